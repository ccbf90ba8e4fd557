#pragma once

#include "highlight/htmlscanner.h"

#include <QSet>
#include <QString>
#include <QStringView>

// Scans one piece of a long line that virtual breaks cut into several
// blocks. Most cuts lie where the scanner of the next piece goes on exactly
// from the state the piece before ended in; where a line had no such place
// it was cut anyway, inside a `//` comment, a long identifier or a tag, and
// the piece before hands on what the scanner state alone cannot say:
//
// - the comment goes on: the whole piece is comment;
// - the identifier goes on: its rest is not looked up as a keyword, tag or
//   property name of its own;
// - the tag goes on: the tag's name (script, style or another) decides the
//   state behind its '>', not the first name in this piece.
//
// The value handed on is the scanner state in the low byte with these
// carries above it (endValue()); a piece that begins a line of the file
// starts from the plain state.
class PieceScanner
{
public:
    enum Carry : int {
        LineComment = 0x100,
        Identifier = 0x200,
        // Two bits: the state behind the '>' of the tag still open.
        TagToHtml = 0x400,
        TagToScript = 0x800,
        TagToStyle = 0xc00,
        TagMask = 0xc00,
    };
    static constexpr int StateMask = 0xff;

    PieceScanner(const QSet<QString> *scriptKeywords, const QString &text, int carried);

    HtmlScanner::ScanToken nextToken();
    HtmlScanner::ScanState state() const { return m_state; }
    int tokenStart() const { return m_tokenStart; }
    int tokenLength() const { return m_tokenLength; }
    QStringView tokenView() const { return QStringView(m_text).mid(m_tokenStart, m_tokenLength); }
    int position() const { return m_offset + m_scanner.position(); }
    // The token goes on from the piece before: its name is only part of one.
    bool continuesToken() const { return m_continues; }
    // The state and carries for the piece behind this one.
    int endValue() const;

private:
    static int tagTarget(bool closing, const QString &tagName);

    const QSet<QString> *m_keywords;
    QString m_text;
    HtmlScanner m_scanner;
    int m_offset = 0;  // of m_scanner's text in the piece
    HtmlScanner::ScanState m_state;
    bool m_inComment;
    bool m_identifierCarried;
    int m_tagCarry;     // TagMask bits of the tag open at the piece start
    bool m_closing = false;  // the tag begun in this piece is an end tag
    bool m_continues = false;
    bool m_first = true;
    HtmlScanner::ScanToken m_lastKind = HtmlScanner::NoToken;  // of the last token before End
    HtmlScanner::ScanState m_lastBefore = HtmlScanner::Html;  // the state it was scanned in
    int m_lastStart = 0;
    int m_lastEnd = 0;
    int m_tokenStart = 0;
    int m_tokenLength = 0;
};
