#include "highlight/piecescanner.h"

#include <utility>

namespace {

bool isTagState(HtmlScanner::ScanState state)
{
    return state == HtmlScanner::InTag || state == HtmlScanner::InAttrString
        || state == HtmlScanner::AttrStringOpen;
}

int stateOf(int carried)
{
    return carried < 0 ? carried : carried & PieceScanner::StateMask;
}

} // namespace

PieceScanner::PieceScanner(const QSet<QString> *scriptKeywords, const QString &text, int carried)
    : m_keywords(scriptKeywords),
      m_text(text),
      m_scanner(scriptKeywords, text, stateOf(carried)),
      m_state(m_scanner.state()),
      m_inComment(carried >= 0 && (carried & LineComment)),
      m_identifierCarried(carried >= 0 && (carried & Identifier)),
      m_tagCarry(carried >= 0 && isTagState(m_scanner.state()) ? carried & TagMask : 0)
{
    if (m_inComment)
        m_state = HtmlScanner::Script;
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
    if (m_inComment) {
        // The `//` comment of the piece before runs to the end of the line.
        const bool first = std::exchange(m_first, false);
        if (!first || m_text.isEmpty()) {
            m_tokenStart = int(m_text.size());
            m_tokenLength = 0;
            return HtmlScanner::End;
        }
        m_tokenStart = 0;
        m_tokenLength = int(m_text.size());
        m_continues = true;
        return HtmlScanner::Comment;
    }

    const HtmlScanner::ScanState before = m_scanner.state();
    HtmlScanner::ScanToken kind = m_scanner.nextToken();
    m_tokenStart = m_offset + m_scanner.tokenStart();
    m_tokenLength = m_scanner.tokenLength();
    if (std::exchange(m_first, false) && m_identifierCarried && m_tokenStart == 0
        && (kind == HtmlScanner::Ident || kind == HtmlScanner::ScriptText)
        && m_tokenLength > 0 && m_text.at(0).isLetter()) {
        m_continues = true;
        if (before == HtmlScanner::Script)
            kind = HtmlScanner::ScriptText;  // part of a name far too long for a keyword
    }
    m_state = m_scanner.state();

    if (kind == HtmlScanner::TagPunct && !isTagState(before) && m_state == HtmlScanner::InTag) {
        m_tagCarry = 0;  // a tag of this piece: the scanner knows its name
        m_closing = tokenView().startsWith(QLatin1String("</"));
    } else if (m_tagCarry && isTagState(before) && !isTagState(m_state)) {
        // The tag open at the piece start ends here.
        const int carry = std::exchange(m_tagCarry, 0);
        const HtmlScanner::ScanState target = carry == TagToScript ? HtmlScanner::Script
                : carry == TagToStyle                              ? HtmlScanner::Style
                                                                   : HtmlScanner::Html;
        if (m_state != target) {
            m_offset = position();
            m_scanner = HtmlScanner(m_keywords, m_text.mid(m_offset), target);
            m_state = target;
        }
    }
    if (kind != HtmlScanner::End) {
        m_lastKind = kind;
        m_lastBefore = before;
        m_lastStart = m_tokenStart;
        m_lastEnd = m_tokenStart + m_tokenLength;
    }
    return kind;
}

int PieceScanner::endValue() const
{
    int value = m_state;
    if (m_inComment)
        return value | LineComment;
    const QStringView last = QStringView(m_text).mid(m_lastStart, m_lastEnd - m_lastStart);
    if (m_lastKind == HtmlScanner::Comment && m_lastBefore == HtmlScanner::Script
        && last.startsWith(QLatin1String("//")))
        value |= LineComment;
    // A name that reaches the end of the piece may go on in the next one.
    if ((m_lastKind == HtmlScanner::Ident || m_lastKind == HtmlScanner::ScriptText)
        && m_lastEnd == m_text.size() && !last.isEmpty()
        && (last.front().isLetter() || last.front().isHighSurrogate())
        && (m_state == HtmlScanner::Script || m_state == HtmlScanner::Style
            || m_state == HtmlScanner::InTag))
        value |= Identifier;
    if (isTagState(m_state))
        value |= m_tagCarry ? m_tagCarry : tagTarget(m_closing, m_scanner.tagName());
    return value;
}
