#include "editor/charencoding.h"
#include "editor/fileformat.h"

#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
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
QByteArray charsetFromContent(const QByteArray &content, qsizetype *offset)
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
            *offset = p + 1;
            return content.mid(p + 1, close - p - 1);
        }
        qsizetype e = p;
        while (e < n && !isSpace(uchar(content[e])) && content[e] != ';')
            ++e;
        *offset = p;
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
    // Where the label of the declaration run() found lies.
    const uchar *labelBegin = nullptr;
    qsizetype labelLength = 0;

private:
    enum class Attr { Found, None, Exhausted };
    Attr nextAttribute(QByteArray &name, QByteArray &value);
    bool skipPast(const char *what);
    CharEncoding meta();

    const uchar *p;
    const uchar *end;
    const uchar *valueBegin = nullptr;  // of the attribute nextAttribute read last
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
        valueBegin = p;
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
    valueBegin = p;
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
    const uchar *label = nullptr;
    qsizetype length = 0;
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
                qsizetype offset = 0;
                const QByteArray found = charsetFromContent(value, &offset);
                if (const CharEncoding enc = encodingForLabel(found)) {
                    charset = enc;
                    need = NeedPragma;
                    label = valueBegin + offset;
                    length = found.size();
                }
            }
        } else if (name == "charset") {
            charset = encodingForLabel(value);
            need = NoPragma;
            label = valueBegin;
            length = value.size();
        }
    }
    if (need == Unset || (need == NeedPragma && !gotPragma))
        return NoEncoding;
    labelBegin = label;
    labelLength = length;
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
CharEncoding styleSheetCharset(const uchar *begin, const uchar *end, qsizetype *labelFrom,
                               qsizetype *labelLength)
{
    static const char prefix[] = "@charset \"";
    const qsizetype len = sizeof(prefix) - 1;
    if (!startsWithNoCase(begin, end, prefix))
        return NoEncoding;
    for (const uchar *q = begin + len; q + 1 < end; ++q) {
        if (*q == '"') {
            if (q[1] != ';')
                return NoEncoding;
            *labelFrom = len;
            *labelLength = q - begin - len;
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

Declaration findDeclaration(const char *begin, const char *end)
{
    Declaration found;
    if (!begin || end <= begin)
        return found;
    const auto *b = reinterpret_cast<const uchar *>(begin);
    const auto *e = b + std::min<qsizetype>(end - begin, declarationWindow);
    found.encoding = styleSheetCharset(b, e, &found.labelFrom, &found.labelLength);
    if (found.encoding)
        return found;
    Prescan prescan(b, e);
    found.encoding = prescan.run();
    if (found.encoding) {
        found.labelFrom = prescan.labelBegin - b;
        found.labelLength = prescan.labelLength;
    }
    return found;
}

CharEncoding declaredEncoding(const char *begin, const char *end)
{
    return findDeclaration(begin, end).encoding;
}

namespace {

// Japanese characters of a UTF-16 reading of the bytes, or -1 when some code
// unit is one that text does not contain: a control character, a lone
// surrogate, a private-use or non-character code. ASCII read as UTF-16 gives
// CJK code points too ("ab" is U+6162), so an ideograph counts only with a
// byte of 0x80 or above; kana, CJK punctuation and fullwidth forms always.
qsizetype utf16JapaneseUnits(const uchar *data, qsizetype size, bool bigEndian)
{
    const qsizetype units = size / 2;
    const int hi = bigEndian ? 0 : 1, lo = bigEndian ? 1 : 0;
    qsizetype japanese = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const uchar h = data[2 * i + hi], l = data[2 * i + lo];
        const char16_t u = char16_t(h << 8 | l);
        if (u < 0x20) {
            if (u != u'\t' && u != u'\n' && u != u'\r')
                return -1;
        } else if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0xFF00 && u <= 0xFFEF)) {
            ++japanese;
        } else if (u >= 0x3400 && u <= 0x9FFF) {
            if (h >= 0x80 || l >= 0x80)
                ++japanese;
        } else if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units)
                break;  // cut off by the window
            const char16_t next = char16_t(data[2 * i + 2 + hi] << 8 | data[2 * i + 2 + lo]);
            if (next < 0xDC00 || next > 0xDFFF)
                return -1;
            ++i;
        } else if ((u >= 0x7F && u <= 0x9F) || (u >= 0xDC00 && u <= 0xF8FF)
                   || (u >= 0xFDD0 && u <= 0xFDEF) || u >= 0xFFFE) {
            return -1;
        }
    }
    return japanese;
}

// The first byte of 0x80 or above, eight bytes at a time: a large ASCII file
// is searched at memory speed.
const uchar *firstHighByte(const uchar *p, const uchar *end)
{
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull)
            break;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

} // namespace

EncodingGuess guessEncoding(const char *begin, const char *end)
{
    const auto *data = reinterpret_cast<const uchar *>(begin);
    const qsizetype size = (begin && end > begin) ? end - begin : 0;

    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return {UTF8, EncodingSource::ByteOrderMark};
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
        return {UTF16LE, EncodingSource::ByteOrderMark};
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF)
        return {UTF16BE, EncodingSource::ByteOrderMark};

    const qsizetype window = std::min(size, detectWindow);
    // The last two bytes of the window are only look-ahead.
    const qsizetype scanEnd = window >= 2 ? window - 2 : window;
    const auto at = [data, size](qsizetype i) -> uchar { return i < size ? data[i] : 0; };

    bool sjisPossible = true, eucPossible = true, utf8Possible = true;
    int s = 0, e = 0, u = 0;
    bool sjisSeen = false, sjisPending = false, eucPending = false;
    int utf8Skip = 0;
    qsizetype bareLf = 0, crLf = 0, evenNul = 0, oddNul = 0, high = 0;

    for (qsizetype i = 0; i < scanEnd; ++i) {
        const uchar b = data[i];
        if (b >= 0x80) {
            ++high;
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
                return {evenNul > oddNul ? UTF16BE : UTF16LE, EncodingSource::NulPattern};
        } else if (b == '\n') {
            ++bareLf;
        } else if (b == '\r' && at(i + 1) == '\n') {
            ++crLf;
            ++i;
        }
    }

    // The look-ahead bytes count as well: a file of two bytes is no more ASCII
    // than a longer one.
    for (qsizetype i = scanEnd; i < window; ++i)
        high += data[i] >= 0x80;

    const bool S = sjisPossible, E = eucPossible, U = utf8Possible;

    // Dense Japanese text in UTF-16 has neither a mark nor zero bytes. Its
    // units must all be text, at least 70 % Japanese, and cover more of the
    // bytes than any 8-bit reading still possible does.
    if (high * 8 >= scanEnd && scanEnd > 0 && size % 2 == 0) {
        // Over the bytes the 8-bit scores were counted on.
        const qsizetype even = scanEnd & ~qsizetype(1);
        const qsizetype le = utf16JapaneseUnits(data, even, false);
        const qsizetype be = utf16JapaneseUnits(data, even, true);
        const qsizetype best = std::max(le, be);
        const qsizetype units = even / 2, score = 2 * best;  // bytes, like s, e and u
        // Real Japanese text has well over 80 % such characters (the test
        // page: 84 %); short runs of stray bytes are left to the 8-bit rules.
        if (units >= 8 && best * 10 >= units * 7 && !(S && s >= score) && !(E && e >= score)
            && !(U && u >= score))
            return {le >= be ? UTF16LE : UTF16BE, EncodingSource::Utf16Text};
    }

    if (high == 0) {
        // Nothing but ASCII: a declaration may still name the encoding, and
        // the rest of a longer file may say more; otherwise UTF-8, the only
        // choice under which typing any character later loses nothing.
        if (const CharEncoding declared = declaredEncoding(begin, end))
            return {declared, EncodingSource::Declaration};
        if (size > window) {
            const uchar *rest = firstHighByte(data + window, data + size);
            if (rest != data + size) {
                // Scanned from the start of that line, so that the line ends
                // before it still count and no character is cut in two.
                const auto *from = rest;
                while (from > data + window && from[-1] != '\n')
                    --from;
                EncodingGuess guess = guessEncoding(reinterpret_cast<const char *>(from), end);
                if (guess.source == EncodingSource::ByteOrderMark)
                    guess.source = EncodingSource::ByteScan;
                return guess;
            }
        }
        return {UTF8, EncodingSource::PlainAscii};
    }

    const auto lineEndRule = [&]() -> EncodingGuess {
        // Nothing in the bytes decides: a declaration in the page does, and
        // only then the line-end style.
        if (const CharEncoding declared = declaredEncoding(begin, end))
            return {declared, EncodingSource::Declaration};
        return {crLf < bareLf ? EucJP : ShiftJIS, EncodingSource::LineEndGuess};
    };
    const auto scanned = [](CharEncoding enc) -> EncodingGuess {
        return {enc, EncodingSource::ByteScan};
    };

    if (S && !E && !U)
        return scanned(ShiftJIS);
    if (!S && !E)
        return U ? scanned(UTF8) : lineEndRule();
    if (!S && E && !U)
        return scanned(EucJP);
    // Valid UTF-8 wins ties: real Shift-JIS or EUC-JP text is practically
    // never valid UTF-8, whereas short UTF-8 snippets often score evenly.
    // This also covers a UTF-8 score above both others.
    if (U && u > 0 && s <= u && e <= u)
        return scanned(UTF8);
    if (S && s > e && s > u)
        return scanned(ShiftJIS);
    if (E && e > s && e > u)
        return scanned(EucJP);
    if (S && sjisSeen && !E)
        return scanned(ShiftJIS);
    return lineEndRule();
}

CharEncoding detectEncoding(const char *begin, const char *end)
{
    return guessEncoding(begin, end).encoding;
}

namespace {

// The converter behind each encoding. Japanese Windows writes Shift-JIS as
// Windows-31J, with the NEC and IBM extensions (circled digits, roman
// numerals, extra kanji); ICU's table for it reads all of them.
const char *codecName(CharEncoding encoding)
{
    return encoding == ShiftJIS ? "windows-31j" : encodingName(encoding);
}

QByteArrayView markBytes(CharEncoding encoding)
{
    switch (encoding) {
    case UTF8: return QByteArrayView("\xEF\xBB\xBF", 3);
    case UTF16LE: return QByteArrayView("\xFF\xFE", 2);
    case UTF16BE: return QByteArrayView("\xFE\xFF", 2);
    default: return {};
    }
}

} // namespace

DecodedText decodeBytes(const QByteArray &bytes)
{
    const EncodingGuess guess = guessEncoding(bytes.constData(), bytes.constData() + bytes.size());
    DecodedText decoded = decodeBytes(bytes, guess.encoding);
    decoded.source = guess.source;
    return decoded;
}

DecodedText decodeBytes(const QByteArray &bytes, CharEncoding encoding)
{
    // Stateless: a sequence cut off at the end of the file counts as an
    // error instead of vanishing into the decoder's state.
    const auto flags = QStringConverter::Flag::Stateless;
    const char *name = codecName(encoding);
    QStringDecoder decoder = name ? QStringDecoder(name, flags)
                                  : QStringDecoder(QStringConverter::System, flags);
    if (!decoder.isValid()) {
        decoder = QStringDecoder(QStringConverter::System, flags);
        name = nullptr;
    }
    DecodedText result;
    result.encoding = name ? encoding : NoEncoding;
    result.source = EncodingSource::Chosen;
    const QByteArrayView mark = markBytes(result.encoding);
    result.byteOrderMark = !mark.isEmpty() && QByteArrayView(bytes).startsWith(mark);
    result.text = decoder.decode(bytes);
    result.hadErrors = decoder.hasError();
    // Qt's UTF-16 decoder turns a dangling last byte into U+FFFD silently.
    if ((encoding == UTF16LE || encoding == UTF16BE) && (bytes.size() & 1))
        result.hadErrors = true;
    // The Japanese 8-bit tables map a few codes to characters that encode
    // back to other codes; saving would change those bytes unasked.
    if (!result.hadErrors && (encoding == ShiftJIS || encoding == EucJP)) {
        QStringEncoder encoder(name, flags);
        result.notRoundTrip = encoder.encode(result.text) != bytes || encoder.hasError();
    }
    return result;
}

EncodedText encodeText(const QString &text, CharEncoding encoding, bool byteOrderMark)
{
    const auto flags = QStringConverter::Flag::Stateless;
    const char *name = codecName(encoding);
    QStringEncoder encoder = name ? QStringEncoder(name, flags)
                                  : QStringEncoder(QStringConverter::System, flags);
    if (!encoder.isValid())
        encoder = QStringEncoder(QStringConverter::System, flags);
    EncodedText result;
    // Written here rather than by the encoder, which writes none for UTF-8.
    if (byteOrderMark)
        result.bytes = markBytes(encoding).toByteArray();
    result.bytes += encoder.encode(text);
    result.lossy = encoder.hasError();
    return result;
}

const char *declarationLabel(CharEncoding encoding)
{
    switch (encoding) {
    case UTF8: return "UTF-8";
    case ShiftJIS: return "Shift_JIS";
    case EucJP: return "EUC-JP";
    default: return nullptr;
    }
}

QString withCharacterReferences(const QString &text, CharEncoding encoding)
{
    const char *name = codecName(encoding);
    if (!name)
        return text;
    QHash<char32_t, bool> known;  // a page repeats the same few characters
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out += c;
            continue;
        }
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QStringView one(text.constData() + i, pair ? 2 : 1);
        const char32_t code = pair ? QChar::surrogateToUcs4(c, text.at(i + 1)) : c.unicode();
        auto it = known.find(code);
        if (it == known.end()) {
            QStringEncoder encoder(name, QStringConverter::Flag::Stateless);
            // encode() converts only when its result is taken.
            const QByteArray bytes = encoder.encode(one);
            it = known.insert(code, !encoder.hasError());
        }
        if (it.value())
            out += one;
        else
            out += QLatin1String("&#x") + QString::number(quint32(code), 16).toUpper() + QLatin1Char(';');
        if (pair)
            ++i;
    }
    return out;
}
