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
        // A "//" comment ran to the line's end. A virtual piece of the same
        // line goes on in it; a real line starts in Script again.
        ScriptLineComment = 15,
        // Template literals: the text between backquotes, and a ${...}
        // expression inside one.
        TemplateString = 16,
        TemplateExpr = 17,
        // Style sheets: Style is the rule level (selectors); a declaration
        // block, a property's value, the prelude of a block at-rule such as
        // @media, a comment and the two kinds of string.
        StyleBlock = 18,
        StyleValue = 19,
        StyleAtRule = 20,
        StyleComment = 21,
        StyleDqString = 22,
        StyleSqString = 23,
        // Declarations in a style="..." attribute value, and their values;
        // StyleAttrQuote: the value's opening quote is next (in-line only).
        StyleAttr = 24,
        StyleAttrValue = 25,
        StyleAttrQuote = 26,
        // PHP blocks: code, a "//" or "#" comment that ran to the line's end
        // (like ScriptLineComment), a block comment, the two strings, and the
        // bodies of heredoc and nowdoc texts.
        PhpCode = 27,
        PhpLineComment = 28,
        PhpBlockComment = 29,
        PhpDqString = 30,
        PhpSqString = 31,
        PhpHeredoc = 32,
        PhpNowdoc = 33,
    };
    static constexpr int StateCount = 34;

    // The state stored at a line's end is carriedState(): the ScanState in
    // the low bits and, where they matter, what the state returns to. For
    // every state of a page without PHP and outside a style-sheet comment
    // or string it is the plain ScanState number.
    static constexpr int StateMask = 0x3f;
    // Or'ed into the initial state of a piece that continues the same line
    // behind a virtual break: the rules for a line's start do not apply.
    static constexpr int Continued = 0x40000000;

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
        // Style sheets: an at-rule keyword with its "@", a number with its
        // unit or a colour such as #fc0, and "!important".
        AtRule = 14,
        Number = 15,
        Important = 16,
        // PHP: a variable, "$name".
        Variable = 17,
    };
    static constexpr int TokenCount = 18;

    // initialState is the state the previous line ended in (carriedState()).
    // A value outside the known states starts in Html; a state that cannot
    // stand at a line start (the in-line transients) starts in the state it
    // belongs to. PHP keywords are looked up in lower case in `phpKeywords`.
    HtmlScanner(const QSet<QString> *scriptKeywords, const QString &text, int initialState,
                const QSet<QString> *phpKeywords = nullptr);

    // Scans the next token; its text is tokenText(), its start tokenStart().
    // After End every further call answers End.
    ScanToken nextToken();

    ScanState state() const { return m_state; }
    // The state to store at the line's end and to hand to the next line.
    int carriedState() const;
    // Whether anything the scanner remembers only within this line (nesting
    // in a template literal) decides how it goes on: a piece of the line
    // started from carriedState() would then be scanned differently.
    bool hasLineContext() const;
    // Inside a tag, also in an attribute's style declarations or a PHP block
    // there.
    bool inTag() const;

    static bool isStyleState(int state);
    static bool isPhpState(int state);
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
    ScanToken scanStyle();
    ScanToken scanPhp();
    ScanToken scanPhpString();
    ScanToken openPhp(qsizetype end);
    qsizetype phpOpenEnd(qsizetype at) const;
    qsizetype findClose(qsizetype from, QLatin1StringView close, bool *found) const;
    qsizetype phpIdentEnd(qsizetype from) const;
    bool isPhpKeyword(qsizetype start, qsizetype end) const;
    quint16 labelHash(qsizetype start, qsizetype end) const;
    ScanState scriptHome() const { return m_inExpr ? TemplateExpr : Script; }
    ScanToken singleCharacter();
    qsizetype identifierEnd(qsizetype from) const;
    qsizetype entityEnd(qsizetype from) const;
    qsizetype charEnd(qsizetype at) const;
    bool letterAt(qsizetype at) const;
    bool startsWithAt(qsizetype at, QLatin1StringView what) const;
    bool isKeyword(qsizetype start, qsizetype end) const;
    bool tagNameIs(QLatin1StringView name) const;

    const QSet<QString> *m_keywords;
    const QSet<QString> *m_phpKeywords;
    QString m_text;
    qsizetype m_pos = 0;
    ScanState m_state;
    // What a PHP block returns to at "?>", what a style-sheet comment or
    // string returns to, and the hashed label that closes a heredoc.
    ScanState m_host = Html;
    ScanState m_cssReturn = Style;
    quint16 m_label = 0;
    // Line start rules apply to the first token (not on a continued piece).
    bool m_lineStart = true;
    // Within this line only: a string or comment opened in a ${...}
    // expression returns to it; template literals opened inside one, and
    // braces open in the expression.
    bool m_inExpr = false;
    int m_templateNest = 0;
    int m_braceDepth = 0;
    Span m_lastAttr;
    ScanToken m_lastKind = NoToken;
    bool m_closing = false;
    quint8 m_current = 0;
    Span m_tokens[2];
    Span m_tagName;
    bool m_nameBefore = false;
};
