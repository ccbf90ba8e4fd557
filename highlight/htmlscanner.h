#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

// Cuts one line of an HTML page (with inline script and style) into tokens.
// The state reached at the end of a line is handed to the scanner of the
// next line, which is how comments, tags, strings and script blocks carry
// over line ends. A plain value object: build one on the stack per line.
//
// Script keywords are looked up in a plain set (the views share one, read
// from jsKeywords.txt); a null set means "no keywords", so every script
// identifier comes back as ScriptText.
//
// A line that starts in AttrStringOpen continues the attribute value of the
// line before: it is one String token up to and including the closing quote
// (back in InTag), or to the line end (still AttrStringOpen). Markup inside
// the value is value text, as it is on the line where the value began.
class HtmlScanner
{
public:
    // The state carried from line to line. InAttrString and the escape and
    // CloseQuote states only live between two calls on the same line.
    enum ScanState : quint8 {
        Html = 0,
        HtmlComment = 1,
        InTag = 2,
        InAttrString = 3,
        AttrStringOpen = 4,
        Script = 5,
        ScriptComment = 6,
        DqString = 7,
        SqString = 8,
        RegExpLiteral = 9,
        DqEscape = 10,
        SqEscape = 11,
        RegExpEscape = 12,
        CloseQuote = 13,
        Style = 14,
    };
    static constexpr int StateCount = 15;

    // Kinds of token handed out by nextToken(); 0 and 4 are never returned.
    enum ScanToken : quint8 {
        NoToken = 0,
        TextRun = 1,
        Comment = 2,
        TagPunct = 3,
        Ident = 5,
        String = 6,
        RegExp = 7,
        EscapedChar = 8,
        QuoteChar = 9,
        EntityRef = 10,
        ScriptText = 11,
        OtherChar = 12,
        End = 13,
    };

    // initialState is the state the previous line ended in. A value outside
    // 0..14 starts in Html; a state that cannot stand at a line start (the
    // in-line transients) starts in the state it belongs to.
    HtmlScanner(const QSet<QString> *scriptKeywords, const QString &text, int initialState);

    // Scans the next token; its text is tokenText(), its start tokenStart().
    // After End every further call answers End.
    ScanToken nextToken();

    ScanState state() const { return m_state; }
    ScanToken lastKind() const { return m_lastKind; }
    int tokenStart() const { return int(token().start); }
    int tokenLength() const { return int(token().length); }
    QString tokenText() const { return m_text.mid(token().start, token().length); }
    QStringView tokenView() const { return QStringView(m_text).mid(token().start, token().length); }
    // Index of the next character to scan: right behind the last token.
    int position() const { return int(m_pos); }
    // Lower-cased name of the tag being scanned, empty until its first identifier.
    QString tagName() const;
    const QString &text() const { return m_text; }

    static bool isRegExpContext(QStringView previousToken);

private:
    // Tokens are ranges of the line; the history is kept the same way so
    // that no token is ever copied while scanning.
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    // The last token and the one before take turns in two slots: shifting
    // the history is flipping an index, not copying a range.
    const Span &token() const { return m_tokens[m_current]; }
    Span &token() { return m_tokens[m_current]; }
    const Span &previousToken() const { return m_tokens[m_current ^ 1]; }

    ScanToken finish();
    ScanToken take(ScanToken kind, qsizetype end);
    ScanToken scanInTag();
    ScanToken scanAttrValue(qsizetype from);
    ScanToken scanOther();
    ScanToken singleCharacter();
    qsizetype identifierEnd(qsizetype from) const;
    qsizetype entityEnd(qsizetype from) const;
    qsizetype charEnd(qsizetype at) const;
    bool letterAt(qsizetype at) const;
    bool startsWithAt(qsizetype at, QLatin1StringView what) const;
    bool isKeyword(qsizetype start, qsizetype end) const;
    bool tagNameIs(QLatin1StringView name) const;

    const QSet<QString> *m_keywords;
    QString m_text;
    qsizetype m_pos = 0;
    ScanState m_state;
    ScanToken m_lastKind = NoToken;
    bool m_closing = false;
    quint8 m_current = 0;
    Span m_tokens[2];
    Span m_tagName;
};
