#pragma once

#include "highlight/htmlscanner.h"

#include <QSet>
#include <QString>
#include <QStringView>

// Scans one piece of a long line that virtual breaks cut into several
// blocks. Most cuts lie where the scanner of the next piece goes on exactly
// from the state the piece before ended in; where a line had no such place
// it was cut anyway, inside a long identifier or a tag, and the piece before
// hands on what the scanner state alone cannot say:
//
// - the identifier goes on: its rest is not looked up as a keyword, tag or
//   property name of its own;
// - the tag goes on: the tag's name (script, style or another) decides the
//   state behind its '>', not the first name in this piece.
//
// The value handed on is the scanner's carried state with these carries in
// bits that the state leaves free outside heredoc and nowdoc texts (whose
// closing label takes them; neither carry arises there) (endValue()); a
// piece that begins a line of the file starts from lineState() of it.
class PieceScanner
{
public:
    enum Carry : int {
        Identifier = 1 << 15,
        // Two bits: the state behind the '>' of the tag still open.
        TagToHtml = 1 << 16,
        TagToScript = 2 << 16,
        TagToStyle = 3 << 16,
        TagMask = 3 << 16,
    };

    // `carried` is what the piece before handed on, with
    // HtmlScanner::Continued set when this piece goes on with its line.
    PieceScanner(const QSet<QString> *scriptKeywords, const QSet<QString> *phpKeywords,
                 const QString &text, int carried);

    // The carried state without the carries, for a real line start.
    static int lineState(int value);

    HtmlScanner::ScanToken nextToken();
    HtmlScanner::ScanState state() const { return m_state; }
    int carriedState() const { return m_scanner.carriedState(); }
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
    const QSet<QString> *m_phpKeywords;
    QString m_text;
    HtmlScanner m_scanner;
    int m_offset = 0;  // of m_scanner's text in the piece
    HtmlScanner::ScanState m_state;
    bool m_identifierCarried;
    int m_tagCarry;     // TagMask bits of the tag open at the piece start
    bool m_closing = false;  // the tag begun in this piece is an end tag
    bool m_continues = false;
    bool m_first = true;
    HtmlScanner::ScanToken m_lastKind = HtmlScanner::NoToken;  // of the last token before End
    int m_lastStart = 0;
    int m_lastEnd = 0;
    int m_tokenStart = 0;
    int m_tokenLength = 0;
};
