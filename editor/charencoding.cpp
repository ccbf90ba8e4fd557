#include "editor/charencoding.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>

const char *encodingName(int encoding)
{
    switch (static_cast<quint8>(encoding)) {
    case ShiftJIS: return "Shift-JIS";
    case EucJP: return "EUC-JP";
    case UTF8: return "UTF-8";
    case UTF16LE: return "UTF-16LE";
    case UTF16BE: return "UTF-16BE";
    default: return nullptr;
    }
}

namespace {

// Byte classes of the scan, one table so that each byte costs one lookup.
enum ByteClass : quint8 {
    SjisLead = 0x01,      // 81-9F, E0-FD
    SjisTrail = 0x02,     // 40-7E, 80-FD
    SjisKana = 0x04,      // A1-DF, single-byte katakana
    EucByte = 0x08,       // A1-FE, either byte of a two-byte character
    EucKanaTrail = 0x10,  // A1-DF after the 8E lead
    Utf8Cont = 0x20,      // 80-BF
};

constexpr std::array<quint8, 256> makeClasses()
{
    std::array<quint8, 256> t{};
    for (int b = 0; b < 256; ++b) {
        quint8 c = 0;
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD))
            c |= SjisLead;
        if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFD))
            c |= SjisTrail;
        if (b >= 0xA1 && b <= 0xDF)
            c |= SjisKana | EucKanaTrail;
        if (b >= 0xA1 && b <= 0xFE)
            c |= EucByte;
        if (b >= 0x80 && b <= 0xBF)
            c |= Utf8Cont;
        t[b] = c;
    }
    return t;
}

constexpr std::array<quint8, 256> byteClass = makeClasses();

constexpr qsizetype detectWindow = 65536;
constexpr qsizetype declarationWindow = 1024;

bool isSpace(uchar c)
{
    return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x20;
}

uchar lower(uchar c)
{
    return (c >= 'A' && c <= 'Z') ? uchar(c + 0x20) : c;
}

bool startsWithNoCase(const uchar *p, const uchar *end, const char *what)
{
    for (; *what; ++p, ++what) {
        if (p >= end || lower(*p) != uchar(*what))
            return false;
    }
    return true;
}

// The charset inside a content attribute ("text/html; charset=utf-8").
// Follows the HTML rule for extracting an encoding from a meta element.
QByteArray charsetFromContent(const QByteArray &content)
{
    qsizetype pos = 0;
    const qsizetype n = content.size();
    while (true) {
        const qsizetype found = content.indexOf("charset", pos);
        if (found < 0)
            return {};
        qsizetype p = found + 7;
        while (p < n && isSpace(uchar(content[p])))
            ++p;
        if (p >= n || content[p] != '=') {
            pos = p;
            continue;
        }
        ++p;
        while (p < n && isSpace(uchar(content[p])))
            ++p;
        if (p >= n)
            return {};
        const char q = content[p];
        if (q == '"' || q == '\'') {
            const qsizetype close = content.indexOf(q, p + 1);
            if (close < 0)
                return {};
            return content.mid(p + 1, close - p - 1);
        }
        qsizetype e = p;
        while (e < n && !isSpace(uchar(content[e])) && content[e] != ';')
            ++e;
        return content.mid(p, e - p);
    }
}

// The pre-scan browsers run over the first bytes of a page to find its
// declared encoding: comments and other tags are stepped over, only <meta>
// attributes count.
class Prescan
{
public:
    Prescan(const uchar *begin, const uchar *end) : p(begin), end(end) {}

    CharEncoding run();

private:
    enum class Attr { Found, None, Exhausted };
    Attr nextAttribute(QByteArray &name, QByteArray &value);
    bool skipPast(const char *what);
    CharEncoding meta();

    const uchar *p;
    const uchar *end;
};

bool Prescan::skipPast(const char *what)
{
    const qsizetype len = qsizetype(qstrlen(what));
    for (; p + len <= end; ++p) {
        if (std::equal(p, p + len, reinterpret_cast<const uchar *>(what))) {
            p += len;
            return true;
        }
    }
    p = end;
    return false;
}

Prescan::Attr Prescan::nextAttribute(QByteArray &name, QByteArray &value)
{
    name.clear();
    value.clear();
    while (p < end && (isSpace(*p) || *p == '/'))
        ++p;
    if (p >= end)
        return Attr::Exhausted;
    if (*p == '>')
        return Attr::None;
    // Name: up to '=', a blank, '/' or '>'. A leading '=' belongs to the name.
    while (true) {
        if (p >= end)
            return Attr::Exhausted;
        const uchar c = *p;
        if (c == '=' && !name.isEmpty()) {
            ++p;
            break;
        }
        if (isSpace(c)) {
            while (p < end && isSpace(*p))
                ++p;
            if (p >= end)
                return Attr::Exhausted;
            if (*p != '=')
                return Attr::Found;
            ++p;
            break;
        }
        if (c == '/' || c == '>')
            return Attr::Found;
        name.append(char(lower(c)));
        ++p;
    }
    while (p < end && isSpace(*p))
        ++p;
    if (p >= end)
        return Attr::Exhausted;
    if (*p == '"' || *p == '\'') {
        const uchar quote = *p++;
        while (true) {
            if (p >= end)
                return Attr::Exhausted;
            if (*p == quote) {
                ++p;
                return Attr::Found;
            }
            value.append(char(lower(*p++)));
        }
    }
    if (*p == '>')
        return Attr::Found;
    while (p < end && !isSpace(*p) && *p != '>')
        value.append(char(lower(*p++)));
    return p < end ? Attr::Found : Attr::Exhausted;
}

CharEncoding Prescan::meta()
{
    QList<QByteArray> seen;
    bool gotPragma = false;
    enum { Unset, NeedPragma, NoPragma } need = Unset;
    CharEncoding charset = NoEncoding;
    QByteArray name, value;
    while (true) {
        const Attr a = nextAttribute(name, value);
        if (a == Attr::Exhausted) {
            p = end;
            return NoEncoding;
        }
        if (a == Attr::None)
            break;
        if (seen.contains(name))
            continue;
        seen.append(name);
        if (name == "http-equiv") {
            if (value == "content-type")
                gotPragma = true;
        } else if (name == "content") {
            if (charset == NoEncoding) {
                if (const CharEncoding enc = encodingForLabel(charsetFromContent(value))) {
                    charset = enc;
                    need = NeedPragma;
                }
            }
        } else if (name == "charset") {
            charset = encodingForLabel(value);
            need = NoPragma;
        }
    }
    if (need == Unset || (need == NeedPragma && !gotPragma))
        return NoEncoding;
    return charset;
}

CharEncoding Prescan::run()
{
    while (p < end) {
        if (startsWithNoCase(p, end, "<!--")) {
            // "<!-->" already closes the comment: the dashes may be shared.
            p += 2;
            if (!skipPast("-->"))
                return NoEncoding;
            continue;
        }
        if (startsWithNoCase(p, end, "<meta") && p + 5 < end && (isSpace(p[5]) || p[5] == '/')) {
            p += 5;
            if (const CharEncoding enc = meta())
                return enc;
            if (p < end)
                ++p;
            continue;
        }
        if (*p == '<' && p + 1 < end) {
            const uchar *q = p + 1;
            if (*q == '/')
                ++q;
            if (q < end && ((*q >= 'a' && *q <= 'z') || (*q >= 'A' && *q <= 'Z'))) {
                p = q;
                while (p < end && !isSpace(*p) && *p != '>')
                    ++p;
                QByteArray name, value;
                Attr a;
                while ((a = nextAttribute(name, value)) == Attr::Found) {
                }
                if (a == Attr::Exhausted)
                    return NoEncoding;
                ++p;
                continue;
            }
            if (p[1] == '!' || p[1] == '/' || p[1] == '?') {
                if (!skipPast(">"))
                    return NoEncoding;
                continue;
            }
        }
        ++p;
    }
    return NoEncoding;
}

// A style sheet names its encoding in a first line of exactly this shape:
// @charset "label";
CharEncoding styleSheetCharset(const uchar *begin, const uchar *end)
{
    static const char prefix[] = "@charset \"";
    const qsizetype len = sizeof(prefix) - 1;
    if (!startsWithNoCase(begin, end, prefix))
        return NoEncoding;
    for (const uchar *q = begin + len; q + 1 < end; ++q) {
        if (*q == '"') {
            if (q[1] != ';')
                return NoEncoding;
            return encodingForLabel(QByteArrayView(begin + len, q - begin - len));
        }
    }
    return NoEncoding;
}

} // namespace

CharEncoding encodingForLabel(QByteArrayView label)
{
    QByteArray key = label.trimmed().toByteArray().toLower();
    struct Entry { const char *label; CharEncoding encoding; };
    static const Entry table[] = {
        {"unicode-1-1-utf-8", UTF8}, {"unicode11utf8", UTF8}, {"unicode20utf8", UTF8},
        {"utf-8", UTF8}, {"utf8", UTF8}, {"x-unicode20utf8", UTF8},
        {"csshiftjis", ShiftJIS}, {"ms932", ShiftJIS}, {"ms_kanji", ShiftJIS},
        {"shift-jis", ShiftJIS}, {"shift_jis", ShiftJIS}, {"sjis", ShiftJIS},
        {"windows-31j", ShiftJIS}, {"x-sjis", ShiftJIS},
        {"cseucpkdfmtjapanese", EucJP}, {"euc-jp", EucJP}, {"x-euc-jp", EucJP},
        // Anything legible here is not really UTF-16 (see the header).
        {"unicodefffe", UTF8}, {"utf-16be", UTF8}, {"csunicode", UTF8},
        {"iso-10646-ucs-2", UTF8}, {"ucs-2", UTF8}, {"unicode", UTF8},
        {"unicodefeff", UTF8}, {"utf-16", UTF8}, {"utf-16le", UTF8},
    };
    for (const Entry &e : table) {
        if (key == e.label)
            return e.encoding;
    }
    return NoEncoding;
}

CharEncoding declaredEncoding(const char *begin, const char *end)
{
    if (!begin || end <= begin)
        return NoEncoding;
    const auto *b = reinterpret_cast<const uchar *>(begin);
    const auto *e = b + std::min<qsizetype>(end - begin, declarationWindow);
    if (const CharEncoding enc = styleSheetCharset(b, e))
        return enc;
    return Prescan(b, e).run();
}

CharEncoding detectEncoding(const char *begin, const char *end)
{
    const auto *data = reinterpret_cast<const uchar *>(begin);
    const qsizetype size = (begin && end > begin) ? end - begin : 0;

    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return UTF8;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
        return UTF16LE;
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF)
        return UTF16BE;

    const qsizetype window = std::min(size, detectWindow);
    // The last two bytes of the window are only look-ahead.
    const qsizetype scanEnd = window >= 2 ? window - 2 : window;
    const auto at = [data, size](qsizetype i) -> uchar { return i < size ? data[i] : 0; };

    bool sjisPossible = true, eucPossible = true, utf8Possible = true;
    int s = 0, e = 0, u = 0;
    bool sjisSeen = false, sjisPending = false, eucPending = false;
    int utf8Skip = 0;
    qsizetype bareLf = 0, crLf = 0, evenNul = 0, oddNul = 0;

    for (qsizetype i = 0; i < scanEnd; ++i) {
        const uchar b = data[i];
        if (b >= 0x80) {
            const uchar c1 = at(i + 1);
            const quint8 cb = byteClass[b];
            const quint8 cc1 = byteClass[c1];
            if (sjisPossible) {
                if (sjisPending) {
                    sjisPending = false;
                } else if ((cb & SjisLead) && (cc1 & SjisTrail)) {
                    s += 2;
                    sjisSeen = true;
                    sjisPending = true;
                } else if (!(cb & SjisKana)) {
                    sjisPossible = false;
                }
            }
            if (eucPossible) {
                if (eucPending) {
                    eucPending = false;
                } else if (((cb & EucByte) && (cc1 & EucByte))
                           || (b == 0x8E && (cc1 & EucKanaTrail))) {
                    e += 2;
                    eucPending = true;
                } else {
                    eucPossible = false;
                }
            }
            if (utf8Possible) {
                if (utf8Skip > 0) {
                    --utf8Skip;
                } else if (b >= 0xC0 && b <= 0xDF && (cc1 & Utf8Cont)) {
                    u += 2;
                    utf8Skip = 1;
                } else if (b >= 0xE0 && b <= 0xEF && (cc1 & Utf8Cont)
                           && (byteClass[at(i + 2)] & Utf8Cont)) {
                    u += 3;
                    utf8Skip = 2;
                } else if (b >= 0xF0 && b <= 0xF4 && (cc1 & Utf8Cont)
                           && (byteClass[at(i + 2)] & Utf8Cont)
                           && (byteClass[at(i + 3)] & Utf8Cont)) {
                    // Emoji and rare kanji: without this such files open as
                    // Shift-JIS and are mangled on save.
                    u += 4;
                    utf8Skip = 3;
                } else {
                    utf8Possible = false;
                }
            }
            continue;
        }
        // A Shift-JIS trail below 0x80 was already taken with its lead.
        sjisPending = false;
        eucPending = false;
        if (b == 0) {
            ++((i & 1) ? oddNul : evenNul);
            if (at(i + 2) == 0 && at(i + 4) == 0 && at(i + 6) == 0)
                return evenNul > oddNul ? UTF16BE : UTF16LE;
        } else if (b == '\n') {
            ++bareLf;
        } else if (b == '\r' && at(i + 1) == '\n') {
            ++crLf;
            ++i;
        }
    }

    const auto lineEndRule = [&]() {
        // Nothing in the bytes decides: a declaration in the page does, and
        // only then the line-end style.
        if (const CharEncoding declared = declaredEncoding(begin, end))
            return declared;
        return crLf < bareLf ? EucJP : ShiftJIS;
    };

    const bool S = sjisPossible, E = eucPossible, U = utf8Possible;
    if (S && !E && !U)
        return ShiftJIS;
    if (!S && !E)
        return U ? UTF8 : lineEndRule();
    if (!S && E && !U)
        return EucJP;
    // Valid UTF-8 wins ties: real Shift-JIS or EUC-JP text is practically
    // never valid UTF-8, whereas short UTF-8 snippets often score evenly.
    // This also covers a UTF-8 score above both others.
    if (U && u > 0 && s <= u && e <= u)
        return UTF8;
    if (S && s > e && s > u)
        return ShiftJIS;
    if (E && e > s && e > u)
        return EucJP;
    if (S && sjisSeen && !E)
        return ShiftJIS;
    return lineEndRule();
}

DecodedText decodeBytes(const QByteArray &bytes)
{
    return decodeBytes(bytes, detectEncoding(bytes));
}

DecodedText decodeBytes(const QByteArray &bytes, CharEncoding encoding)
{
    // Stateless: a sequence cut off at the end of the file counts as an
    // error instead of vanishing into the decoder's state.
    const auto flags = QStringConverter::Flag::Stateless;
    const char *name = encodingName(encoding);
    QStringDecoder decoder = name ? QStringDecoder(name, flags)
                                  : QStringDecoder(QStringConverter::System, flags);
    if (!decoder.isValid()) {
        decoder = QStringDecoder(QStringConverter::System, flags);
        name = nullptr;
    }
    DecodedText result;
    result.encoding = name ? encoding : NoEncoding;
    result.text = decoder.decode(bytes);
    result.hadErrors = decoder.hasError();
    // Qt's UTF-16 decoder turns a dangling last byte into U+FFFD silently.
    if ((encoding == UTF16LE || encoding == UTF16BE) && (bytes.size() & 1))
        result.hadErrors = true;
    return result;
}

EncodedText encodeText(const QString &text, CharEncoding encoding)
{
    QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
    if (encoding == UTF16LE || encoding == UTF16BE)
        flags |= QStringConverter::Flag::WriteBom;
    const char *name = encodingName(encoding);
    QStringEncoder encoder = name ? QStringEncoder(name, flags)
                                  : QStringEncoder(QStringConverter::System, flags);
    if (!encoder.isValid())
        encoder = QStringEncoder(QStringConverter::System, flags);
    EncodedText result;
    result.bytes = encoder.encode(text);
    result.lossy = encoder.hasError();
    return result;
}
