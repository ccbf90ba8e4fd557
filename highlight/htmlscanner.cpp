#include "htmlscanner.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

inline bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

inline bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

inline bool isOctalDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'7';
}

HtmlScanner::ScanState startState(int state, bool continued)
{
    if (state < 0 || state >= HtmlScanner::StateCount)
        return HtmlScanner::Html;
    switch (state) {
    // These are resolved by the character that follows on the same line, so
    // a line cannot really begin in them; continue in their resting state.
    case HtmlScanner::InAttrString:
        return HtmlScanner::AttrStringOpen;
    case HtmlScanner::DqEscape:
    case HtmlScanner::SqEscape:
    case HtmlScanner::RegExpEscape:
        return HtmlScanner::ScanState(state - 3);
    case HtmlScanner::CloseQuote:
        return HtmlScanner::Script;
    case HtmlScanner::StyleAttrQuote:
        return HtmlScanner::StyleAttr;
    // A line comment ends with its line, not at a virtual break.
    case HtmlScanner::ScriptLineComment:
        return continued ? HtmlScanner::ScriptLineComment : HtmlScanner::Script;
    case HtmlScanner::PhpLineComment:
        return continued ? HtmlScanner::PhpLineComment : HtmlScanner::PhpCode;
    default:
        return HtmlScanner::ScanState(state);
    }
}

// What a style-sheet comment or string returns to, as three bits.
constexpr HtmlScanner::ScanState cssReturns[] = {
    HtmlScanner::Style, HtmlScanner::StyleBlock, HtmlScanner::StyleValue,
    HtmlScanner::StyleAtRule, HtmlScanner::StyleAttr, HtmlScanner::StyleAttrValue};

int cssReturnCode(HtmlScanner::ScanState state)
{
    for (int i = 0; i < int(std::size(cssReturns)); ++i) {
        if (cssReturns[i] == state)
            return i;
    }
    return 0;
}

bool isCssTextState(HtmlScanner::ScanState state)
{
    return state == HtmlScanner::StyleComment || state == HtmlScanner::StyleDqString
        || state == HtmlScanner::StyleSqString;
}

// Block at-rules whose braces hold rules (selectors), not declarations.
bool holdsRules(QStringView name)
{
    static const char *const names[] = {"media", "supports", "document", "layer",
                                        "container", "scope", "starting-style"};
    for (const char *n : names) {
        if (name.compare(QLatin1StringView(n), Qt::CaseInsensitive) == 0)
            return true;
    }
    return name.endsWith(QLatin1StringView("keyframes"), Qt::CaseInsensitive);
}

inline bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'-';
}

// Where a name that goes on from `i` ends: letters, digits (any script,
// also outside the BMP) and `joiner`.
qsizetype nameEnd(const QString &text, qsizetype i, char16_t joiner)
{
    const qsizetype n = text.size();
    const QChar *s = text.constData();
    while (i < n) {
        const QChar c = s[i];
        if (c.unicode() < 0x80) {
            if (!(isAsciiLetter(c) || (c.unicode() >= u'0' && c.unicode() <= u'9')
                  || c.unicode() == joiner))
                break;
            ++i;
        } else if (c.isHighSurrogate() && i + 1 < n && s[i + 1].isLowSurrogate()) {
            if (!QChar::isLetterOrNumber(QChar::surrogateToUcs4(c, s[i + 1])))
                break;
            i += 2;
        } else {
            if (!c.isLetterOrNumber())
                break;
            ++i;
        }
    }
    return i;
}

} // namespace

HtmlScanner::HtmlScanner(const QSet<QString> *scriptKeywords, const QString &text,
                         int initialState, const QSet<QString> *phpKeywords)
    : m_keywords(scriptKeywords), m_phpKeywords(phpKeywords), m_text(text)
{
    const bool continued = initialState >= 0 && (initialState & Continued);
    const int raw = initialState < 0 ? 0 : initialState & ~Continued;
    m_lineStart = !continued;
    m_state = startState(raw & StateMask, continued);
    ScanState inner = m_state;
    if (isPhpState(m_state)) {
        const int host = (raw >> 6) & StateMask;
        m_host = isPhpState(host) ? Html : startState(host, continued);
        inner = m_host;
        m_label = quint16((raw >> 15) & 0x7fff);
    }
    if (isCssTextState(inner)) {
        const int code = (raw >> 12) & 7;
        m_cssReturn = code < int(std::size(cssReturns)) ? cssReturns[code] : Style;
    }
    // A PHP block inside a template literal's ${...} goes back to it.
    m_inExpr = inner == TemplateExpr;
    // A piece that goes on inside a tag: its name lay in the piece before,
    // so the first name here is an attribute's.
    m_nameBefore = continued && (m_state == InTag || m_state == AttrStringOpen);
}

int HtmlScanner::carriedState() const
{
    int carried = m_state;
    ScanState inner = m_state;
    if (isPhpState(m_state)) {
        carried |= int(m_host) << 6;
        inner = m_host;
        if (m_state == PhpHeredoc || m_state == PhpNowdoc)
            carried |= int(m_label) << 15;
    }
    if (isCssTextState(inner))
        carried |= cssReturnCode(m_cssReturn) << 12;
    return carried;
}

bool HtmlScanner::hasLineContext() const
{
    if (m_templateNest > 0 || m_braceDepth > 0 || (m_inExpr && m_state != TemplateExpr))
        return true;
    // Within a tag its name (kept for this line only) decides what follows it.
    return inTag();
}

bool HtmlScanner::inTag() const
{
    ScanState inner = isPhpState(m_state) ? m_host : m_state;
    if (isCssTextState(inner))
        inner = m_cssReturn;
    return inner == InTag || inner == InAttrString || inner == AttrStringOpen
        || inner == StyleAttr || inner == StyleAttrValue || inner == StyleAttrQuote;
}

bool HtmlScanner::isStyleState(int state)
{
    state &= StateMask;
    return state == Style || (state >= StyleBlock && state <= StyleAttrQuote);
}

bool HtmlScanner::isPhpState(int state)
{
    state &= StateMask;
    return state >= PhpCode && state <= PhpNowdoc;
}

QString HtmlScanner::tagName() const
{
    return m_text.mid(m_tagName.start, m_tagName.length).toLower();
}

bool HtmlScanner::isRegExpContext(QStringView previousToken)
{
    if (previousToken.isEmpty())
        return true;
    if (previousToken.size() == 1) {
        const char16_t u = previousToken.front().unicode();
        if (u == u']' || u == u')' || u == u'.')
            return false;
    }
    const char16_t u = previousToken.front().unicode();
    return (u >= 33 && u <= 47) || (u >= 58 && u <= 64) || (u >= 91 && u <= 96)
        || (u >= 123 && u <= 126);
}

HtmlScanner::ScanToken HtmlScanner::finish()
{
    token() = Span{m_pos, 0};
    m_lastKind = End;
    return End;
}

inline HtmlScanner::ScanToken HtmlScanner::take(ScanToken kind, qsizetype end)
{
    Span &t = token();
    t.length = end - t.start;
    m_pos = end;
    m_lastKind = kind;
    return kind;
}

// One character for the single-character tokens: a surrogate pair is kept
// whole so that no token ends in the middle of a code point.
inline qsizetype HtmlScanner::charEnd(qsizetype at) const
{
    const qsizetype n = m_text.size();
    if (at + 1 < n && m_text.at(at).isHighSurrogate() && m_text.at(at + 1).isLowSurrogate())
        return at + 2;
    return at + 1;
}

inline bool HtmlScanner::letterAt(qsizetype at) const
{
    const QChar c = m_text.at(at);
    if (c.isHighSurrogate() && at + 1 < m_text.size() && m_text.at(at + 1).isLowSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(c, m_text.at(at + 1)));
    return c.isLetter();
}

// An identifier is a letter followed by letters, digits and '-'.
qsizetype HtmlScanner::identifierEnd(qsizetype from) const
{
    return nameEnd(m_text, charEnd(from), u'-');
}

// "&name;" with one or more ASCII letters; answers the index behind the ';'
// or 0 when no reference starts here.
inline qsizetype HtmlScanner::entityEnd(qsizetype from) const
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    if (s[from] != u'&')
        return 0;
    qsizetype i = from + 1;
    while (i < n && isAsciiLetter(s[i]))
        ++i;
    if (i > from + 1 && i < n && s[i] == u';')
        return i + 1;
    return 0;
}

inline bool HtmlScanner::startsWithAt(qsizetype at, QLatin1StringView what) const
{
    // Most positions differ in the first character: settle those inline.
    return m_text.at(at) == QLatin1Char(what.front())
        && QStringView(m_text).mid(at).startsWith(what);
}

inline bool HtmlScanner::isKeyword(qsizetype start, qsizetype end) const
{
    if (!m_keywords)
        return false;
    // A raw-data string borrows the line's characters: no allocation per lookup.
    return m_keywords->contains(QString::fromRawData(m_text.constData() + start, end - start));
}

bool HtmlScanner::tagNameIs(QLatin1StringView name) const
{
    return QStringView(m_text).mid(m_tagName.start, m_tagName.length)
               .compare(name, Qt::CaseInsensitive) == 0;
}

// "<?php", "<?=" or "<?" at `at`: answers the index behind it, or 0. An XML
// declaration ("<?xml") is not PHP.
qsizetype HtmlScanner::phpOpenEnd(qsizetype at) const
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    if (at + 1 >= n || s[at] != u'<' || s[at + 1] != u'?')
        return 0;
    const QStringView rest = QStringView(m_text).mid(at + 2);
    if (rest.startsWith(u'='))
        return at + 3;
    if (rest.startsWith(QLatin1StringView("php"), Qt::CaseInsensitive)
        && (rest.size() == 3 || rest.at(3).isSpace()))
        return at + 5;
    if (rest.startsWith(QLatin1StringView("xml"), Qt::CaseInsensitive)
        && (rest.size() == 3 || !isIdentChar(rest.at(3))))
        return 0;
    return at + 2;
}

HtmlScanner::ScanToken HtmlScanner::openPhp(qsizetype end)
{
    m_host = m_state;
    m_state = PhpCode;
    return take(TagPunct, end);
}

// The index of the first `close` (or of a PHP opening) from `from`, or the
// line's length; one pass, so that a long line stays linear.
qsizetype HtmlScanner::findClose(qsizetype from, QLatin1StringView close, bool *found) const
{
    const QString &text = m_text;
    const qsizetype n = text.size();
    const QChar *s = text.constData();
    const char16_t first = close.front().unicode();
    for (qsizetype i = from; i < n; ++i) {
        const char16_t u = s[i].unicode();
        if (u == first && QStringView(text).mid(i).startsWith(close)) {
            *found = true;
            return i;
        }
        if (u == u'<' && phpOpenEnd(i)) {
            *found = false;
            return i;
        }
    }
    *found = false;
    return n;
}

HtmlScanner::ScanToken HtmlScanner::nextToken()
{
    if (m_lastKind == End || m_text.isEmpty())
        return finish();

    m_current ^= 1;

    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    while (m_pos < n && s[m_pos].isSpace())
        ++m_pos;
    if (m_pos >= n)
        return finish();
    token() = Span{m_pos, 0};

    if (isPhpState(m_state))
        return scanPhp();
    // A PHP block may open anywhere in the page: in text, a tag, an
    // attribute value, a comment, script or a style sheet.
    if (s[m_pos] == u'<' && m_state != InAttrString && m_state != StyleAttrQuote) {
        if (const qsizetype e = phpOpenEnd(m_pos))
            return openPhp(e);
    }
    m_lineStart = false;

    switch (m_state) {
    case HtmlComment: {
        bool found = false;
        const qsizetype i = findClose(m_pos, QLatin1StringView("-->"), &found);
        if (!found)
            return take(Comment, i);
        m_state = Html;
        return take(Comment, i + 3);
    }
    case InTag:
        return scanInTag();
    case InAttrString:
        // Step over the opening quote.
        return scanAttrValue(m_pos + 1);
    case AttrStringOpen:
        // The value goes on from the previous line until its closing quote.
        return scanAttrValue(m_pos);
    default:
        if (isStyleState(m_state))
            return scanStyle();
        return scanOther();
    }
}

HtmlScanner::ScanToken HtmlScanner::scanInTag()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    if (letterAt(m_pos)) {
        const qsizetype end = identifierEnd(m_pos);
        if (m_tagName.length == 0 && !m_nameBefore)
            m_tagName = Span{m_pos, end - m_pos};
        else
            m_lastAttr = Span{m_pos, end - m_pos};
        return take(Ident, end);
    }
    qsizetype i = m_pos;
    while (i < n && s[i] != u'"' && s[i] != u'>' && !(s[i] == u'<' && phpOpenEnd(i)))
        ++i;
    if (i >= n || s[i] == u'<')
        return take(TagPunct, i);
    if (s[i] == u'"') {
        // The value of a style attribute is a list of declarations.
        const QStringView between =
                QStringView(m_text).mid(m_lastAttr.start + m_lastAttr.length,
                                        i - m_lastAttr.start - m_lastAttr.length);
        if (m_lastAttr.length > 0 && m_lastAttr.start < m_pos
            && QStringView(m_text).mid(m_lastAttr.start, m_lastAttr.length)
                       .compare(QLatin1StringView("style"), Qt::CaseInsensitive) == 0
            && between.trimmed() == u"=") {
            m_lastAttr = Span{};
            if (i == m_pos) {
                m_state = StyleAttr;
                return take(String, i + 1);
            }
            m_state = StyleAttrQuote;
            return take(TagPunct, i);
        }
        m_state = InAttrString;
        if (i == 0)
            return scanAttrValue(1);
        return take(TagPunct, i);
    }
    m_lastAttr = Span{};
    if (!m_closing && tagNameIs(QLatin1StringView("script")))
        m_state = Script;
    else if (!m_closing && tagNameIs(QLatin1StringView("style")))
        m_state = Style;
    else
        m_state = Html;
    return take(TagPunct, i + 1);
}

// A double-quoted attribute value from `from` (behind its opening quote, or
// the start of a continued value) up to and including the closing quote.
HtmlScanner::ScanToken HtmlScanner::scanAttrValue(qsizetype from)
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    qsizetype i = from;
    for (;;) {
        if (i >= n) {
            m_state = AttrStringOpen;
            i = n;
            break;
        }
        if (s[i] == u'"') {
            ++i;
            m_state = InTag;
            break;
        }
        if (s[i] == u'<' && phpOpenEnd(i)) {
            // The value goes on behind the PHP block.
            m_state = AttrStringOpen;
            break;
        }
        i += (s[i] == u'\\' && i + 1 < n) ? 2 : 1;
    }
    return take(String, i);
}

// The end of a backslash escape at `b` in a script string or literal.
static qsizetype escapeEnd(const QString &text, qsizetype b)
{
    const qsizetype n = text.size();
    const QChar *s = text.constData();
    qsizetype e = b + 1;
    if (e < n) {
        const QChar c = s[e];
        e = (e + 1 < n && c.isHighSurrogate() && s[e + 1].isLowSurrogate()) ? e + 2 : e + 1;
        qsizetype limit = e;
        bool (*digit)(QChar) = nullptr;
        if (c == u'u') {
            limit = b + 6;
            digit = isHexDigit;
        } else if (c == u'x') {
            limit = b + 4;
            digit = isHexDigit;
        } else if (isOctalDigit(c)) {
            limit = b + 4;
            digit = isOctalDigit;
        }
        if (limit > n)
            limit = n;
        while (digit && e < limit && digit(s[e]))
            ++e;
    }
    return e;
}

HtmlScanner::ScanToken HtmlScanner::scanOther()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    const qsizetype pos = m_pos;
    const bool scriptCode = m_state == Script || m_state == TemplateExpr;

    // Inside a script comment, string or literal "<!--" is ordinary text:
    // opening an HTML comment there would throw the rest of the script out
    // of script colouring once the matching "-->" turned up.
    const bool inScriptText = m_state == ScriptComment || m_state == DqString
        || m_state == SqString || m_state == RegExpLiteral || m_state == ScriptLineComment
        || m_state == TemplateString;
    if (!inScriptText && startsWithAt(pos, QLatin1StringView("<!--"))) {
        if (!scriptCode)
            m_state = HtmlComment;
        return take(Comment, pos + 4);
    }
    // A continued line comment or template text is read as its whole line
    // reads it: one run, no references inside.
    if (m_state != TemplateString && m_state != ScriptLineComment) {
        if (const qsizetype e = entityEnd(pos))
            return take(EntityRef, e);
    }

    if (scriptCode) {
        if (letterAt(pos)) {
            const qsizetype end = identifierEnd(pos);
            return take(isKeyword(pos, end) ? Ident : ScriptText, end);
        }
        if (startsWithAt(pos, QLatin1StringView("-->")))
            return take(Comment, pos + 3);
        const QChar c = s[pos];
        const bool hasNext = pos + 1 < n;
        if (c == u'/' && hasNext && s[pos + 1] == u'*') {
            m_state = ScriptComment;
            return take(Comment, pos + 2);
        }
        if (c == u'/' && hasNext && s[pos + 1] == u'/') {
            bool found = false;
            const qsizetype i = findClose(pos + 2, QLatin1StringView("\n"), &found);
            // In a ${...} expression the comment ends with the line: the
            // next line is still in the expression.
            if (m_state == Script)
                m_state = ScriptLineComment;
            return take(Comment, i);
        }
        if (c == u'"' || c == u'\''
            || (c == u'/' && isRegExpContext(QStringView(m_text).mid(previousToken().start, previousToken().length)))) {
            m_inExpr = m_state == TemplateExpr;
            m_state = c == u'"' ? DqString : c == u'\'' ? SqString : RegExpLiteral;
            return take(QuoteChar, pos + 1);
        }
        if (c == u'`') {
            if (m_state == TemplateExpr)
                ++m_templateNest;
            m_state = TemplateString;
            return take(QuoteChar, pos + 1);
        }
        if (m_state == TemplateExpr && c == u'{') {
            ++m_braceDepth;
        } else if (m_state == TemplateExpr && c == u'}') {
            if (m_braceDepth == 0) {
                m_state = TemplateString;
                m_inExpr = false;
                return take(QuoteChar, pos + 1);
            }
            --m_braceDepth;
        }
    }

    switch (m_state) {
    case Html: {
        qsizetype i = pos;
        while (i < n && s[i] != u'<' && s[i] != u'&')
            ++i;
        if (i != pos)
            return take(TextRun, i);
        return singleCharacter();
    }
    case ScriptComment: {
        bool found = false;
        const qsizetype i = findClose(pos, QLatin1StringView("*/"), &found);
        if (!found)
            return take(Comment, i);
        m_state = scriptHome();
        return take(Comment, i + 2);
    }
    case ScriptLineComment: {
        bool found = false;
        return take(Comment, findClose(pos, QLatin1StringView("\n"), &found));
    }
    case TemplateString: {
        const char16_t u = s[pos].unicode();
        if (u == u'`') {
            if (m_templateNest > 0) {
                --m_templateNest;
                m_state = TemplateExpr;
                m_inExpr = true;
            } else {
                m_state = Script;
                m_inExpr = false;
            }
            return take(QuoteChar, pos + 1);
        }
        if (u == u'\\' && pos + 1 < n)
            return take(EscapedChar, escapeEnd(m_text, pos));
        if (u == u'$' && pos + 1 < n && s[pos + 1] == u'{') {
            m_state = TemplateExpr;
            m_inExpr = true;
            m_braceDepth = 0;
            return take(QuoteChar, pos + 2);
        }
        qsizetype i = pos + 1;
        while (i < n) {
            const char16_t c = s[i].unicode();
            if (c == u'`' || (c == u'\\' && i + 1 < n) || (c == u'$' && i + 1 < n && s[i + 1] == u'{')
                || (c == u'<' && phpOpenEnd(i)))
                break;
            ++i;
        }
        return take(String, i);
    }
    case DqString:
    case SqString:
    case RegExpLiteral: {
        const ScanState literal = m_state;
        const char16_t close = literal == DqString ? u'"' : literal == SqString ? u'\'' : u'/';
        qsizetype i = pos;
        while (i < n) {
            const char16_t u = s[i].unicode();
            if (u == u'\\' && i + 1 < n) {
                m_state = ScanState(literal + 3);
                break;
            }
            if (u == close) {
                m_state = CloseQuote;
                break;
            }
            if (u == u'<' && phpOpenEnd(i))
                break;
            ++i;
        }
        return take(literal == RegExpLiteral ? RegExp : String, i);
    }
    case DqEscape:
    case SqEscape:
    case RegExpEscape:
        m_state = ScanState(m_state - 3);
        return take(EscapedChar, escapeEnd(m_text, pos));
    case CloseQuote:
        m_state = scriptHome();
        return take(QuoteChar, pos + 1);
    default:
        return singleCharacter();
    }
}

HtmlScanner::ScanToken HtmlScanner::scanStyle()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    const qsizetype pos = m_pos;
    const ScanState state = m_state;
    const bool inAttr = state == StyleAttr || state == StyleAttrValue;

    switch (state) {
    case StyleAttrQuote:
        m_state = StyleAttr;
        return take(String, pos + 1);
    case StyleComment: {
        bool found = false;
        const qsizetype i = findClose(pos, QLatin1StringView("*/"), &found);
        if (!found)
            return take(Comment, i);
        m_state = m_cssReturn;
        return take(Comment, i + 2);
    }
    case StyleDqString:
    case StyleSqString: {
        const char16_t close = state == StyleDqString ? u'"' : u'\'';
        // In a style attribute a double quote ends the attribute.
        const bool attr = m_cssReturn == StyleAttr || m_cssReturn == StyleAttrValue;
        qsizetype i = pos;
        while (i < n) {
            const char16_t u = s[i].unicode();
            if (u == close) {
                m_state = m_cssReturn;
                return take(String, i + 1);
            }
            if (attr && u == u'"') {
                m_state = m_cssReturn;
                break;
            }
            if (u == u'<' && phpOpenEnd(i))
                break;
            i += (u == u'\\' && i + 1 < n) ? 2 : 1;
        }
        return take(String, std::min(i, n));
    }
    default:
        break;
    }

    if (!inAttr && startsWithAt(pos, QLatin1StringView("<!--")))
        return take(Comment, pos + 4);
    if (const qsizetype e = entityEnd(pos))
        return take(EntityRef, e);
    if (letterAt(pos))
        return take(Ident, identifierEnd(pos));
    if (!inAttr && startsWithAt(pos, QLatin1StringView("-->")))
        return take(Comment, pos + 3);

    const char16_t c = s[pos].unicode();
    const bool hasNext = pos + 1 < n;
    const bool value = state == StyleValue || state == StyleAttrValue || state == StyleAtRule;
    if (c == u'/' && hasNext && s[pos + 1] == u'*') {
        m_cssReturn = state;
        m_state = StyleComment;
        return take(Comment, pos + 2);
    }
    if (c == u'"' && inAttr) {
        m_state = InTag;
        return take(String, pos + 1);
    }
    if (c == u'"' || c == u'\'') {
        m_cssReturn = state;
        m_state = c == u'"' ? StyleDqString : StyleSqString;
        return take(String, pos + 1);
    }
    if (c == u'@' && hasNext && letterAt(pos + 1)) {
        const qsizetype end = identifierEnd(pos + 1);
        if (!inAttr && holdsRules(QStringView(m_text).mid(pos + 1, end - pos - 1)))
            m_state = StyleAtRule;
        return take(AtRule, end);
    }
    if (c == u'!') {
        qsizetype i = pos + 1;
        while (i < n && s[i].isSpace())
            ++i;
        if (QStringView(m_text).mid(i).startsWith(QLatin1StringView("important"), Qt::CaseInsensitive)
            && (i + 9 >= n || !isIdentChar(s[i + 9])))
            return take(Important, i + 9);
    }
    if (value) {
        const auto digit = [&](qsizetype i) {
            return i < n && s[i].unicode() >= u'0' && s[i].unicode() <= u'9';
        };
        qsizetype i = pos;
        if ((c == u'-' || c == u'+') && (digit(i + 1) || (i + 2 < n && s[i + 1] == u'.' && digit(i + 2))))
            ++i;
        if (digit(i) || (s[i] == u'.' && digit(i + 1))) {
            while (digit(i))
                ++i;
            if (i + 1 < n && s[i] == u'.' && digit(i + 1)) {
                ++i;
                while (digit(i))
                    ++i;
            }
            // The unit: letters or a percent sign.
            if (i < n && s[i] == u'%')
                ++i;
            else
                while (i < n && (isAsciiLetter(s[i])))
                    ++i;
            return take(Number, i);
        }
        if (c == u'#') {
            qsizetype e = pos + 1;
            while (e < n && isHexDigit(s[e]))
                ++e;
            const qsizetype digits = e - pos - 1;
            if ((digits == 3 || digits == 4 || digits == 6 || digits == 8)
                && (e >= n || !isIdentChar(s[e])))
                return take(Number, e);
        }
    }

    switch (c) {
    case u'{':
        m_state = state == StyleAtRule ? Style : inAttr ? state : StyleBlock;
        return take(OtherChar, pos + 1);
    case u'}':
        if (!inAttr)
            m_state = Style;
        return take(OtherChar, pos + 1);
    case u':':
        if (state == StyleBlock)
            m_state = StyleValue;
        else if (state == StyleAttr)
            m_state = StyleAttrValue;
        return take(OtherChar, pos + 1);
    case u';':
        if (state == StyleValue)
            m_state = StyleBlock;
        else if (state == StyleAttrValue)
            m_state = StyleAttr;
        else if (state == StyleAtRule)
            m_state = Style;
        return take(OtherChar, pos + 1);
    default:
        break;
    }
    if (inAttr)
        return take(OtherChar, charEnd(pos));
    return singleCharacter();
}

// PHP identifiers: letters, digits and underscores.
qsizetype HtmlScanner::phpIdentEnd(qsizetype from) const
{
    return nameEnd(m_text, from, u'_');
}

bool HtmlScanner::isPhpKeyword(qsizetype start, qsizetype end) const
{
    if (!m_phpKeywords || end - start > 16)
        return false;
    bool lower = true;
    for (qsizetype i = start; i < end && lower; ++i)
        lower = !(m_text.at(i).unicode() >= u'A' && m_text.at(i).unicode() <= u'Z');
    // PHP keywords are case-insensitive; most are written in lower case.
    if (lower)
        return m_phpKeywords->contains(QString::fromRawData(m_text.constData() + start, end - start));
    return m_phpKeywords->contains(m_text.mid(start, end - start).toLower());
}

quint16 HtmlScanner::labelHash(qsizetype start, qsizetype end) const
{
    quint32 h = 2166136261u;
    for (qsizetype i = start; i < end; ++i)
        h = (h ^ m_text.at(i).unicode()) * 16777619u;
    return quint16((h ^ (h >> 15)) & 0x7fff);
}

HtmlScanner::ScanToken HtmlScanner::scanPhp()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    const qsizetype pos = m_pos;
    if (m_state != PhpCode && m_state != PhpLineComment)
        return scanPhpString();
    m_lineStart = false;

    const char16_t c = s[pos].unicode();
    const bool hasNext = pos + 1 < n;
    if (c == u'?' && hasNext && s[pos + 1] == u'>') {
        m_state = m_host;
        m_host = Html;
        return take(TagPunct, pos + 2);
    }
    // A line comment ends at the line's end or at "?>".
    const bool lineComment = m_state == PhpLineComment
        || (c == u'#' && !(hasNext && s[pos + 1] == u'['))
        || (c == u'/' && hasNext && s[pos + 1] == u'/');
    if (lineComment) {
        const qsizetype i = m_text.indexOf(QLatin1StringView("?>"), pos);
        if (i < 0) {
            m_state = PhpLineComment;
            return take(Comment, n);
        }
        m_state = PhpCode;
        return take(Comment, i);
    }
    if (c == u'/' && hasNext && s[pos + 1] == u'*') {
        const qsizetype i = m_text.indexOf(QLatin1StringView("*/"), pos + 2);
        if (i < 0) {
            m_state = PhpBlockComment;
            return take(Comment, n);
        }
        return take(Comment, i + 2);
    }
    if (c == u'"' || c == u'\'') {
        m_state = c == u'"' ? PhpDqString : PhpSqString;
        return take(QuoteChar, pos + 1);
    }
    if (c == u'$' && hasNext && (letterAt(pos + 1) || s[pos + 1] == u'_'))
        return take(Variable, phpIdentEnd(pos + 1));
    if (c == u'<' && startsWithAt(pos, QLatin1StringView("<<<"))) {
        qsizetype i = pos + 3;
        while (i < n && (s[i] == u' ' || s[i] == u'\t'))
            ++i;
        const QChar quote = i < n ? s[i] : QChar();
        const bool quoted = quote == u'"' || quote == u'\'';
        if (quoted)
            ++i;
        if (i < n && (letterAt(i) || s[i] == u'_')) {
            const qsizetype end = phpIdentEnd(i);
            if (!quoted || (end < n && s[end] == quote)) {
                m_label = labelHash(i, end);
                m_state = quote == u'\'' ? PhpNowdoc : PhpHeredoc;
                return take(QuoteChar, quoted ? end + 1 : end);
            }
        }
    }
    if (letterAt(pos) || c == u'_') {
        const qsizetype end = phpIdentEnd(pos);
        return take(isPhpKeyword(pos, end) ? Ident : ScriptText, end);
    }
    if (c >= u'0' && c <= u'9')
        return take(ScriptText, phpIdentEnd(pos));
    return take(ScriptText, charEnd(pos));
}

// Comments, strings and heredoc bodies of PHP.
HtmlScanner::ScanToken HtmlScanner::scanPhpString()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    const qsizetype pos = m_pos;
    const bool lineStart = std::exchange(m_lineStart, false);
    const ScanState state = m_state;

    if (state == PhpBlockComment) {
        const qsizetype i = m_text.indexOf(QLatin1StringView("*/"), pos);
        if (i < 0)
            return take(Comment, n);
        m_state = PhpCode;
        return take(Comment, i + 2);
    }
    if ((state == PhpHeredoc || state == PhpNowdoc) && lineStart
        && (letterAt(pos) || s[pos] == u'_')) {
        // The closing label stands first on its line (indented or not).
        const qsizetype end = phpIdentEnd(pos);
        if (labelHash(pos, end) == m_label) {
            m_state = PhpCode;
            m_label = 0;
            return take(QuoteChar, end);
        }
    }
    if (state == PhpNowdoc)
        return take(String, n);

    const char16_t c = s[pos].unicode();
    const bool hasNext = pos + 1 < n;
    const char16_t close = state == PhpDqString ? u'"' : state == PhpSqString ? u'\'' : 0;
    if (close && c == close) {
        m_state = PhpCode;
        return take(QuoteChar, pos + 1);
    }
    if (c == u'\\' && hasNext) {
        if (state == PhpSqString) {
            if (s[pos + 1] == u'\\' || s[pos + 1] == u'\'')
                return take(EscapedChar, pos + 2);
        } else {
            return take(EscapedChar, escapeEnd(m_text, pos));
        }
    }
    if (state != PhpSqString && c == u'$' && hasNext && (letterAt(pos + 1) || s[pos + 1] == u'_'))
        return take(Variable, phpIdentEnd(pos + 1));
    qsizetype i = pos + 1;
    while (i < n) {
        const char16_t u = s[i].unicode();
        if (u == close || (u == u'\\' && i + 1 < n) || (u == u'$' && state != PhpSqString))
            break;
        ++i;
    }
    return take(String, i);
}

HtmlScanner::ScanToken HtmlScanner::singleCharacter()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    const qsizetype pos = m_pos;
    const bool script = m_state == Script || m_state == TemplateExpr;
    if (s[pos] == u'<') {
        if (!script && pos + 1 < n && (letterAt(pos + 1) || s[pos + 1] == u'!')) {
            m_closing = false;
            m_tagName = Span{};
            m_nameBefore = false;
            m_lastAttr = Span{};
            m_state = InTag;
            return take(TagPunct, pos + 1);
        }
        if (pos + 2 < n && s[pos + 1] == u'/' && letterAt(pos + 2)) {
            m_closing = true;
            // Leaving the script leaves any template literal in it.
            m_inExpr = false;
            m_templateNest = m_braceDepth = 0;
            m_tagName = Span{};
            m_nameBefore = false;
            m_lastAttr = Span{};
            m_state = InTag;
            return take(TagPunct, pos + 2);
        }
    }
    return take(script ? ScriptText : OtherChar, charEnd(pos));
}
