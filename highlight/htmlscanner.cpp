#include "htmlscanner.h"

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

HtmlScanner::ScanState startState(int initialState)
{
    if (initialState < 0 || initialState >= HtmlScanner::StateCount)
        return HtmlScanner::Html;
    switch (initialState) {
    // These are resolved by the character that follows on the same line, so
    // a line cannot really begin in them; continue in their resting state.
    case HtmlScanner::InAttrString:
        return HtmlScanner::AttrStringOpen;
    case HtmlScanner::DqEscape:
    case HtmlScanner::SqEscape:
    case HtmlScanner::RegExpEscape:
        return HtmlScanner::ScanState(initialState - 3);
    case HtmlScanner::CloseQuote:
        return HtmlScanner::Script;
    default:
        return HtmlScanner::ScanState(initialState);
    }
}

} // namespace

HtmlScanner::HtmlScanner(const QSet<QString> *scriptKeywords, const QString &text, int initialState)
    : m_keywords(scriptKeywords), m_text(text), m_state(startState(initialState))
{
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
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    qsizetype i = charEnd(from);
    while (i < n) {
        const QChar c = s[i];
        if (c.unicode() < 0x80) {
            if (!(isAsciiLetter(c) || (c.unicode() >= u'0' && c.unicode() <= u'9') || c == u'-'))
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

    switch (m_state) {
    case HtmlComment: {
        const qsizetype i = m_text.indexOf(QLatin1StringView("-->"), m_pos);
        if (i < 0)
            return take(Comment, n);
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
        return scanOther();
    }
}

HtmlScanner::ScanToken HtmlScanner::scanInTag()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    if (letterAt(m_pos)) {
        const qsizetype end = identifierEnd(m_pos);
        if (m_tagName.length == 0)
            m_tagName = Span{m_pos, end - m_pos};
        return take(Ident, end);
    }
    qsizetype i = m_pos;
    while (i < n && s[i] != u'"' && s[i] != u'>')
        ++i;
    if (i >= n)
        return take(TagPunct, n);
    if (s[i] == u'"') {
        m_state = InAttrString;
        if (i == 0)
            return scanAttrValue(1);
        return take(TagPunct, i);
    }
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
        i += (s[i] == u'\\' && i + 1 < n) ? 2 : 1;
    }
    return take(String, i);
}

HtmlScanner::ScanToken HtmlScanner::scanOther()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    const qsizetype pos = m_pos;

    // Inside a script comment, string or literal "<!--" is ordinary text:
    // opening an HTML comment there would throw the rest of the script out
    // of script colouring once the matching "-->" turned up.
    const bool inScriptText = m_state == ScriptComment || m_state == DqString
        || m_state == SqString || m_state == RegExpLiteral;
    if (!inScriptText && startsWithAt(pos, QLatin1StringView("<!--"))) {
        if (m_state != Script && m_state != Style)
            m_state = HtmlComment;
        return take(Comment, pos + 4);
    }
    if (const qsizetype e = entityEnd(pos))
        return take(EntityRef, e);

    if (m_state == Style) {
        if (letterAt(pos))
            return take(Ident, identifierEnd(pos));
        if (startsWithAt(pos, QLatin1StringView("-->")))
            return take(Comment, pos + 3);
    } else if (m_state == Script) {
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
        if (c == u'/' && hasNext && s[pos + 1] == u'/')
            return take(Comment, n);
        if (c == u'"' || c == u'\''
            || (c == u'/' && isRegExpContext(QStringView(m_text).mid(previousToken().start, previousToken().length)))) {
            m_state = c == u'"' ? DqString : c == u'\'' ? SqString : RegExpLiteral;
            return take(QuoteChar, pos + 1);
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
        const qsizetype i = m_text.indexOf(QLatin1StringView("*/"), pos);
        if (i < 0)
            return take(Comment, n);
        m_state = Script;
        return take(Comment, i + 2);
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
            ++i;
        }
        return take(literal == RegExpLiteral ? RegExp : String, i);
    }
    case DqEscape:
    case SqEscape:
    case RegExpEscape: {
        const qsizetype b = pos;
        qsizetype e = b + 1;
        if (e < n) {
            const QChar c = s[e];
            e = charEnd(e);
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
        m_state = ScanState(m_state - 3);
        return take(EscapedChar, e);
    }
    case CloseQuote:
        m_state = Script;
        return take(QuoteChar, pos + 1);
    default:
        return singleCharacter();
    }
}

HtmlScanner::ScanToken HtmlScanner::singleCharacter()
{
    const qsizetype n = m_text.size();
    const QChar *s = m_text.constData();
    const qsizetype pos = m_pos;
    if (s[pos] == u'<') {
        if (m_state != Script && pos + 1 < n && (letterAt(pos + 1) || s[pos + 1] == u'!')) {
            m_closing = false;
            m_tagName = Span{};
            m_state = InTag;
            return take(TagPunct, pos + 1);
        }
        if (pos + 2 < n && s[pos + 1] == u'/' && letterAt(pos + 2)) {
            m_closing = true;
            m_tagName = Span{};
            m_state = InTag;
            return take(TagPunct, pos + 2);
        }
    }
    return take(m_state == Script ? ScriptText : OtherChar, charEnd(pos));
}
