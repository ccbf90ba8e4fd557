#include "highlight/piecescanner.h"

#include <utility>

namespace {

// The heredoc and nowdoc states keep their closing label where the carries
// would go.
bool hasLabel(int value)
{
    const int state = value & HtmlScanner::StateMask;
    return state == HtmlScanner::PhpHeredoc || state == HtmlScanner::PhpNowdoc;
}

bool carries(int value)
{
    return value >= 0 && !hasLabel(value);
}

// Where a name may go on from the piece before.
bool takesIdentifier(HtmlScanner::ScanState state)
{
    return state == HtmlScanner::Script || state == HtmlScanner::Style
        || state == HtmlScanner::InTag || state == HtmlScanner::PhpCode;
}

// Names start with a letter, also one outside the BMP.
bool startsWithLetter(QStringView text)
{
    if (text.isEmpty())
        return false;
    if (text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(text.at(0), text.at(1)));
    return text.at(0).isLetter();
}

constexpr int CarryMask = PieceScanner::Identifier | PieceScanner::TagMask;

} // namespace

int PieceScanner::lineState(int value)
{
    return carries(value) ? value & ~CarryMask : value;
}

PieceScanner::PieceScanner(const QSet<QString> *scriptKeywords, const QSet<QString> *phpKeywords,
                           const QString &text, int carried)
    : m_keywords(scriptKeywords),
      m_phpKeywords(phpKeywords),
      m_text(text),
      m_scanner(scriptKeywords, text, lineState(carried), phpKeywords),
      m_state(m_scanner.state()),
      m_identifierCarried(carries(carried) && (carried & Identifier)),
      m_tagCarry(carries(carried) && m_scanner.inTag() ? carried & TagMask : 0)
{
}

int PieceScanner::tagTarget(bool closing, const QString &tagName)
{
    if (!closing && tagName == QLatin1String("script"))
        return TagToScript;
    if (!closing && tagName == QLatin1String("style"))
        return TagToStyle;
    return TagToHtml;
}

HtmlScanner::ScanToken PieceScanner::nextToken()
{
    m_continues = false;
    const HtmlScanner::ScanState before = m_scanner.state();
    const bool wasInTag = m_scanner.inTag();
    HtmlScanner::ScanToken kind = m_scanner.nextToken();
    m_tokenStart = m_offset + m_scanner.tokenStart();
    m_tokenLength = m_scanner.tokenLength();
    if (std::exchange(m_first, false) && m_identifierCarried && m_tokenStart == 0
        && (kind == HtmlScanner::Ident || kind == HtmlScanner::ScriptText)
        && startsWithLetter(m_text)) {
        m_continues = true;
        // Part of a name far too long for a keyword.
        if (before == HtmlScanner::Script || before == HtmlScanner::PhpCode)
            kind = HtmlScanner::ScriptText;
    }
    m_state = m_scanner.state();

    if (kind == HtmlScanner::TagPunct && !wasInTag && m_state == HtmlScanner::InTag) {
        m_tagCarry = 0;  // a tag of this piece: the scanner knows its name
        m_closing = tokenView().startsWith(QLatin1String("</"));
    } else if (m_tagCarry && wasInTag && !m_scanner.inTag()) {
        // The tag open at the piece start ends here.
        const int carry = std::exchange(m_tagCarry, 0);
        const HtmlScanner::ScanState target = carry == TagToScript ? HtmlScanner::Script
                : carry == TagToStyle                              ? HtmlScanner::Style
                                                                   : HtmlScanner::Html;
        if (m_state != target) {
            m_offset = position();
            m_scanner = HtmlScanner(m_keywords, m_text.mid(m_offset),
                                    target | HtmlScanner::Continued, m_phpKeywords);
            m_state = target;
        }
    }
    if (kind != HtmlScanner::End) {
        m_lastKind = kind;
        m_lastStart = m_tokenStart;
        m_lastEnd = m_tokenStart + m_tokenLength;
    }
    return kind;
}

int PieceScanner::endValue() const
{
    int value = m_scanner.carriedState();
    if (!carries(value))
        return value;
    const QStringView last = QStringView(m_text).mid(m_lastStart, m_lastEnd - m_lastStart);
    // A name that reaches the end of the piece may go on in the next one.
    if ((m_lastKind == HtmlScanner::Ident || m_lastKind == HtmlScanner::ScriptText)
        && m_lastEnd == m_text.size() && startsWithLetter(last) && takesIdentifier(m_state))
        value |= Identifier;
    if (m_scanner.inTag())
        value |= m_tagCarry ? m_tagCarry : tagTarget(m_closing, m_scanner.tagName());
    return value;
}
