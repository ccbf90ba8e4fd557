#include "highlight/htmlscanner.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <ctime>

namespace {

const char *const kindNames[] = {"NoToken", "TextRun", "Comment", "TagPunct", "Kind4",
                                 "Ident", "String", "RegExp", "EscapedChar", "QuoteChar",
                                 "EntityRef", "ScriptText", "OtherChar", "End", "AtRule",
                                 "Number", "Important", "Variable"};
const char *const stateNames[] = {"Html", "HtmlComment", "InTag", "InAttrString",
                                  "AttrStringOpen", "Script", "ScriptComment", "DqString",
                                  "SqString", "RegExpLiteral", "DqEscape", "SqEscape",
                                  "RegExpEscape", "CloseQuote", "Style", "ScriptLineComment",
                                  "TemplateString", "TemplateExpr", "StyleBlock", "StyleValue",
                                  "StyleAtRule", "StyleComment", "StyleDqString", "StyleSqString",
                                  "StyleAttr", "StyleAttrValue", "StyleAttrQuote", "PhpCode",
                                  "PhpLineComment", "PhpBlockComment", "PhpDqString",
                                  "PhpSqString", "PhpHeredoc", "PhpNowdoc"};

QString kindName(int kind)
{
    return kind >= 0 && kind < HtmlScanner::TokenCount ? QString::fromLatin1(kindNames[kind])
                                   : QStringLiteral("Kind%1").arg(kind);
}

QString stateName(int state)
{
    state &= HtmlScanner::StateMask;
    return state >= 0 && state < HtmlScanner::StateCount ? QString::fromLatin1(stateNames[state])
                                     : QStringLiteral("State%1").arg(state);
}

// The states a line may end in: the transient ones are always resolved on
// the line that entered them.
bool isLineEndState(int state)
{
    static const QList<int> transient = {3, 10, 11, 12, 13, 26};
    return state >= 0 && state < HtmlScanner::StateCount && !transient.contains(state);
}

const QSet<QString> &testKeywords()
{
    static const QSet<QString> set = {"var", "function", "return", "if", "else",
                                      "typeof", "new", "this"};
    return set;
}

const QSet<QString> &testPhpKeywords()
{
    static const QSet<QString> set = {"if", "echo", "function"};
    return set;
}

// Scans lines one after another, carrying the state, and writes every token as
// "Kind@start:text" and every line end as "= State".
QStringList scanLines(const QStringList &lines, int startState,
                      const QSet<QString> *keywords = &testKeywords())
{
    QStringList out;
    int state = startState;
    for (const QString &line : lines) {
        HtmlScanner scanner(keywords, line, state, &testPhpKeywords());
        for (int guard = 0; guard < 10 * (line.size() + 2); ++guard) {
            const HtmlScanner::ScanToken kind = scanner.nextToken();
            if (kind == HtmlScanner::End)
                break;
            out << QStringLiteral("%1@%2:%3").arg(kindName(kind)).arg(scanner.tokenStart())
                       .arg(scanner.tokenText());
        }
        state = scanner.carriedState();
        out << QStringLiteral("= %1").arg(stateName(state));
    }
    return out;
}

QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        if (c == u'\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

// The reference form of a whole file: the start state comes from the file's
// suffix the way the highlighter picks it.
QString referenceText(const QString &fileName, const QString &content)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    int state = (suffix == u"js" || suffix == u"mjs") ? HtmlScanner::Script
        : suffix == u"css"      ? HtmlScanner::Style
                                : HtmlScanner::Html;
    // A fixed list of its own, so that edits to the shipped keyword file do
    // not move the references.
    static QSet<QString> keywords;
    if (keywords.isEmpty()) {
        const QString list =
            QString::fromUtf8(readFile(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/keywords.txt")));
        for (const QString &word : list.split(u'\n', Qt::SkipEmptyParts))
            keywords.insert(word.trimmed());
    }
    QString out;
    const QStringList lines = content.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        out += QStringLiteral("%1 %2\n").arg(n + 1).arg(stateName(state));
        // The script words that PHP shares serve as its keywords too.
        HtmlScanner scanner(&keywords, lines.at(n), state, &keywords);
        while (scanner.nextToken() != HtmlScanner::End)
            out += QStringLiteral("  %1 %2 \"%3\"\n")
                       .arg(scanner.tokenStart())
                       .arg(kindName(scanner.lastKind()))
                       .arg(escaped(scanner.tokenText()));
        state = scanner.carriedState();
    }
    out += QStringLiteral("end %1\n").arg(stateName(state));
    return out;
}

struct Violation {
    QString what;
    QString line;
    int startState = 0;
};

// Runs one line and checks what must hold for any input; answers the first
// broken rule, or an empty description.
Violation checkLine(const QString &line, int startState, const QSet<QString> *keywords)
{
    auto fail = [&](const QString &what) { return Violation{what, line, startState}; };
    HtmlScanner scanner(keywords, line, startState);
    const int n = int(line.size());
    int end = 0;
    int calls = 0;
    const int maxCalls = 3 * (n + 2);
    for (;;) {
        if (++calls > maxCalls)
            return fail(QStringLiteral("does not terminate"));
        const int kind = scanner.nextToken();
        if (kind == HtmlScanner::End)
            break;
        if (kind < 1 || kind >= HtmlScanner::TokenCount || kind == 4 || kind == HtmlScanner::End)
            return fail(QStringLiteral("kind %1 returned").arg(kind));
        if (scanner.lastKind() != kind)
            return fail(QStringLiteral("lastKind differs from the returned kind"));
        if (scanner.state() >= HtmlScanner::StateCount)
            return fail(QStringLiteral("state %1 out of range").arg(scanner.state()));
        const int start = scanner.tokenStart();
        const int length = scanner.tokenLength();
        if (start < end || length < 0 || start + length > n)
            return fail(QStringLiteral("token %1+%2 outside [%3,%4]").arg(start).arg(length).arg(end).arg(n));
        if (scanner.tokenText() != line.mid(start, length))
            return fail(QStringLiteral("token text is not the line's text at %1").arg(start));
        if (length > 0 && line.at(start).isSpace())
            return fail(QStringLiteral("token at %1 begins with white space").arg(start));
        if (length > 0 && line.at(start).isLowSurrogate() && start > 0
            && line.at(start - 1).isHighSurrogate())
            return fail(QStringLiteral("token at %1 splits a surrogate pair").arg(start));
        if (scanner.position() != start + length)
            return fail(QStringLiteral("position is not behind the token at %1").arg(start));
        end = start + length;
    }
    if (!isLineEndState(scanner.state()))
        return fail(QStringLiteral("line ends in %1").arg(stateName(scanner.state())));
    for (int i = 0; i < 3; ++i)
        if (scanner.nextToken() != HtmlScanner::End)
            return fail(QStringLiteral("a call after End answered another kind"));
    return {};
}

double bestSeconds(const QString &line, int state, int runs)
{
    double best = 1e9;
    // Processor time rather than wall time: other work on the machine must
    // not make a linear scan look quadratic.
    for (int r = 0; r < runs; ++r) {
        const std::clock_t start = std::clock();
        HtmlScanner scanner(&testKeywords(), line, state);
        qint64 tokens = 0;
        while (scanner.nextToken() != HtmlScanner::End)
            ++tokens;
        const double s = double(std::clock() - start) / CLOCKS_PER_SEC;
        if (tokens == 0)
            return -1;
        best = std::min(best, s);
        if (s >= 1.0)
            break;
    }
    return best;
}

QString repeatedTo(const QString &piece, qsizetype size)
{
    QString out;
    out.reserve(size + piece.size());
    while (out.size() < size)
        out += piece;
    out.truncate(size);
    return out;
}

} // namespace

class TestHtmlScanner : public QObject
{
    Q_OBJECT
private slots:
    void tokens_data();
    void tokens();

    void isRegExpContext_data();
    void isRegExpContext();
    void withoutKeywordSet();
    void endIsFinal();
    void tagNameFollowsFirstIdentifier_data();
    void tagNameFollowsFirstIdentifier();

    void referenceFiles_data();
    void referenceFiles();

    void randomLinesKeepInvariants();
    void mutatedLinesKeepInvariants();

    void linearInLineLength_data();
    void linearInLineLength();
};

static void addRow(const char *name, int startState, const QStringList &lines,
                   const QStringList &expected)
{
    QTest::newRow(name) << startState << lines << expected;
}

void TestHtmlScanner::tokens()
{
    QFETCH(int, startState);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    const QStringList actual = scanLines(lines, startState);
    if (actual != expected) {
        qWarning().noquote() << "actual:  " << actual.join(QStringLiteral(" | "));
        qWarning().noquote() << "expected:" << expected.join(QStringLiteral(" | "));
    }
    QCOMPARE(actual, expected);
}

using S = HtmlScanner;

void TestHtmlScanner::tokens_data()
{
    QTest::addColumn<int>("startState");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    // Tags and attributes.
    addRow("paragraph with class, entity and end tag", S::Html,
           {R"(<p class="x">Hi &amp; bye</p>)"},
           {"TagPunct@0:<", "Ident@1:p", "Ident@3:class", "TagPunct@8:=", "String@9:\"x\"",
            "TagPunct@12:>", "TextRun@13:Hi ", "EntityRef@16:&amp;", "TextRun@22:bye",
            "TagPunct@25:</", "Ident@27:p", "TagPunct@28:>", "= Html"});
    addRow("script start tag enters script", S::Html,
           {R"(<script type="text/javascript">)"},
           {"TagPunct@0:<", "Ident@1:script", "Ident@8:type", "TagPunct@12:=",
            "String@13:\"text/javascript\"", "TagPunct@30:>", "= Script"});
    addRow("upper-case script tag enters script", S::Html, {"<SCRIPT>"},
           {"TagPunct@0:<", "Ident@1:SCRIPT", "TagPunct@7:>", "= Script"});
    addRow("script end tag leaves script", S::Script, {"x();</script>"},
           {"ScriptText@0:x", "ScriptText@1:(", "ScriptText@2:)", "ScriptText@3:;",
            "TagPunct@4:</", "Ident@6:script", "TagPunct@12:>", "= Html"});
    addRow("style start tag enters style", S::Html, {"<style>"},
           {"TagPunct@0:<", "Ident@1:style", "TagPunct@6:>", "= Style"});
    addRow("style end tag leaves style", S::Style, {"</style>"},
           {"TagPunct@0:</", "Ident@2:style", "TagPunct@7:>", "= Html"});
    addRow("end tag named script in html stays html", S::Html, {"</script>"},
           {"TagPunct@0:</", "Ident@2:script", "TagPunct@8:>", "= Html"});
    addRow("tag named scripts is not script", S::Html, {"<scripts>"},
           {"TagPunct@0:<", "Ident@1:scripts", "TagPunct@8:>", "= Html"});
    addRow("unquoted values run into the punctuation", S::Html, {"<a href=x title='y'>"},
           {"TagPunct@0:<", "Ident@1:a", "Ident@3:href", "TagPunct@7:=x title='y'>", "= Html"});
    addRow("punctuation keeps its trailing blank", S::Html, {R"(<p class= "a b" >)"},
           {"TagPunct@0:<", "Ident@1:p", "Ident@3:class", "TagPunct@8:= ", "String@10:\"a b\"",
            "TagPunct@16:>", "= Html"});
    addRow("backslash keeps a quote inside the value", S::Html, {R"(<a title="x\"y">)"},
           {"TagPunct@0:<", "Ident@1:a", "Ident@3:title", "TagPunct@8:=",
            R"(String@9:"x\"y")", "TagPunct@15:>", "= Html"});
    addRow("self-closing tag", S::Html, {R"(<img src="a.png"/>)"},
           {"TagPunct@0:<", "Ident@1:img", "Ident@5:src", "TagPunct@8:=", "String@9:\"a.png\"",
            "TagPunct@16:/>", "= Html"});
    addRow("entity inside a value is part of the value", S::Html, {R"(<p title="&amp;">)"},
           {"TagPunct@0:<", "Ident@1:p", "Ident@3:title", "TagPunct@8:=", "String@9:\"&amp;\"",
            "TagPunct@16:>", "= Html"});
    addRow("hyphenated attribute names and a digit after a letter", S::Html, {"<h1 data-x-2>"},
           {"TagPunct@0:<", "Ident@1:h1", "Ident@4:data-x-2", "TagPunct@12:>", "= Html"});

    // Character references.
    addRow("numeric reference is not an entity", S::Html, {"&#169;"},
           {"OtherChar@0:&", "TextRun@1:#169;", "= Html"});
    addRow("two entities inside text", S::Html, {"a &lt;b&gt; c"},
           {"TextRun@0:a ", "EntityRef@2:&lt;", "TextRun@6:b", "EntityRef@7:&gt;",
            "TextRun@12:c", "= Html"});
    addRow("no semicolon", S::Html, {"&amp"}, {"OtherChar@0:&", "TextRun@1:amp", "= Html"});
    addRow("no letters", S::Html, {"&;"}, {"OtherChar@0:&", "TextRun@1:;", "= Html"});
    addRow("digit inside the name", S::Html, {"&a1;"},
           {"OtherChar@0:&", "TextRun@1:a1;", "= Html"});
    addRow("blank after ampersand", S::Html, {"& x"}, {"OtherChar@0:&", "TextRun@2:x", "= Html"});
    addRow("doubled ampersand", S::Html, {"&&nbsp;"},
           {"OtherChar@0:&", "EntityRef@1:&nbsp;", "= Html"});
    addRow("entity in a script string", S::Script, {R"(s = "&amp;";)"},
           {"ScriptText@0:s", "ScriptText@2:=", "QuoteChar@4:\"", "EntityRef@5:&amp;",
            "String@10:", "QuoteChar@10:\"", "ScriptText@11:;", "= Script"});
    addRow("entity in style", S::Style, {"a&gt;b"},
           {"Ident@0:a", "EntityRef@1:&gt;", "Ident@5:b", "= Style"});

    // Comments in markup, script and style.
    addRow("html comment left open", S::Html, {"<!-- a"},
           {"Comment@0:<!--", "Comment@5:a", "= HtmlComment"});
    addRow("html comment closed mid-line", S::HtmlComment, {"b --> <p>"},
           {"Comment@0:b -->", "TagPunct@6:<", "Ident@7:p", "TagPunct@8:>", "= Html"});
    addRow("html comment over three lines", S::Html, {"x <!-- one", "two", "three --> y"},
           {"TextRun@0:x ", "Comment@2:<!--", "Comment@7:one", "= HtmlComment",
            "Comment@0:two", "= HtmlComment", "Comment@0:three -->", "TextRun@10:y", "= Html"});
    addRow("empty html comment", S::Html, {"<!---->"},
           {"Comment@0:<!--", "Comment@4:-->", "= Html"});
    addRow("markers in script stay script", S::Script, {"<!-- x -->"},
           {"Comment@0:<!--", "ScriptText@5:x", "Comment@7:-->", "= Script"});
    addRow("block comment over two lines", S::Script, {"a /* b", "c */ d"},
           {"ScriptText@0:a", "Comment@2:/*", "Comment@5:b", "= ScriptComment",
            "Comment@0:c */", "ScriptText@5:d", "= Script"});
    addRow("empty block comment", S::Script, {"/**/x"},
           {"Comment@0:/*", "Comment@2:*/", "ScriptText@4:x", "= Script"});
    // The comment's state ends with the real line: the next line is script.
    addRow("line comment takes the rest", S::Script, {"a; // note <b> \"x", "b"},
           {"ScriptText@0:a", "ScriptText@1:;", "Comment@3:// note <b> \"x",
            "= ScriptLineComment", "ScriptText@0:b", "= Script"});
    addRow("slash as last character", S::Script, {"x/"},
           {"ScriptText@0:x", "ScriptText@1:/", "= Script"});
    addRow("comment opener inside a string is string text", S::Script, {R"(s = "<!--";)"},
           {"ScriptText@0:s", "ScriptText@2:=", "QuoteChar@4:\"", "String@5:<!--",
            "QuoteChar@9:\"", "ScriptText@10:;", "= Script"});
    addRow("comment opener inside a single-quoted string", S::Script, {"s = '<!--';"},
           {"ScriptText@0:s", "ScriptText@2:=", "QuoteChar@4:'", "String@5:<!--",
            "QuoteChar@9:'", "ScriptText@10:;", "= Script"});
    addRow("comment opener inside a block comment is comment text", S::Script,
           {"/*", "<!-- */ x"},
           {"Comment@0:/*", "= ScriptComment", "Comment@0:<!-- */", "ScriptText@8:x", "= Script"});
    addRow("markers in style stay style", S::Style, {"<!-- a{} -->"},
           {"Comment@0:<!--", "Ident@5:a", "OtherChar@6:{", "OtherChar@7:}", "Comment@9:-->",
            "= Style"});

    // Strings and escapes in script.
    addRow("unicode escape of six characters", S::Script, {R"("a\u00e9b")"},
           {"QuoteChar@0:\"", "String@1:a", R"(EscapedChar@2:\u00e9)", "String@8:b",
            "QuoteChar@9:\"", "= Script"});
    addRow("hex escape of four characters", S::Script, {R"('\x41')"},
           {"QuoteChar@0:'", "String@1:", R"(EscapedChar@1:\x41)", "String@5:", "QuoteChar@5:'",
            "= Script"});
    addRow("octal escape of four characters", S::Script, {R"("\101z")"},
           {"QuoteChar@0:\"", "String@1:", R"(EscapedChar@1:\101)", "String@5:z",
            "QuoteChar@6:\"", "= Script"});
    addRow("octal escape stops after three", S::Script, {R"("\1234")"},
           {"QuoteChar@0:\"", "String@1:", R"(EscapedChar@1:\123)", "String@5:4",
            "QuoteChar@6:\"", "= Script"});
    addRow("octal escape stops at a non-octal digit", S::Script, {R"("\189")"},
           {"QuoteChar@0:\"", "String@1:", R"(EscapedChar@1:\1)", "String@3:89",
            "QuoteChar@5:\"", "= Script"});
    addRow("short unicode escape", S::Script, {R"("\u12g")"},
           {"QuoteChar@0:\"", "String@1:", R"(EscapedChar@1:\u12)", "String@5:g",
            "QuoteChar@6:\"", "= Script"});
    addRow("short hex escape", S::Script, {R"("\x4")"},
           {"QuoteChar@0:\"", "String@1:", R"(EscapedChar@1:\x4)", "String@4:",
            "QuoteChar@4:\"", "= Script"});
    addRow("other escape of two characters", S::Script, {R"("\n")"},
           {"QuoteChar@0:\"", "String@1:", R"(EscapedChar@1:\n)", "String@3:", "QuoteChar@3:\"",
            "= Script"});
    addRow("escaped quote in a single-quoted string", S::Script, {R"('it\'s')"},
           {"QuoteChar@0:'", "String@1:it", R"(EscapedChar@3:\')", "String@5:s",
            "QuoteChar@6:'", "= Script"});
    addRow("empty string", S::Script, {R"("")"},
           {"QuoteChar@0:\"", "String@1:", "QuoteChar@1:\"", "= Script"});
    addRow("other quotes and inner blanks belong to the string", S::Script, {R"("a 'b' c")"},
           {"QuoteChar@0:\"", "String@1:a 'b' c", "QuoteChar@8:\"", "= Script"});
    addRow("leading blank is not part of the string", S::Script, {R"(" x")"},
           {"QuoteChar@0:\"", "String@2:x", "QuoteChar@3:\"", "= Script"});
    addRow("backslash at the line end continues the string", S::Script, {R"("a\)", R"(b" + c)"},
           {"QuoteChar@0:\"", R"(String@1:a\)", "= DqString", "String@0:b", "QuoteChar@1:\"",
            "ScriptText@3:+", "ScriptText@5:c", "= Script"});
    addRow("escape inside a regular expression", S::Script, {R"(/a\/b/)"},
           {"QuoteChar@0:/", "RegExp@1:a", R"(EscapedChar@2:\/)", "RegExp@4:b",
            "QuoteChar@5:/", "= Script"});
    addRow("end tag inside a string stays in the string", S::Script, {R"('</p>')"},
           {"QuoteChar@0:'", "String@1:</p>", "QuoteChar@5:'", "= Script"});

    // A slash in script: division or a literal.
    addRow("divisions after identifiers", S::Script, {"a = b / c / d;"},
           {"ScriptText@0:a", "ScriptText@2:=", "ScriptText@4:b", "ScriptText@6:/",
            "ScriptText@8:c", "ScriptText@10:/", "ScriptText@12:d", "ScriptText@13:;",
            "= Script"});
    addRow("literal after an equals sign", S::Script, {"x = /ab+c/g;"},
           {"ScriptText@0:x", "ScriptText@2:=", "QuoteChar@4:/", "RegExp@5:ab+c",
            "QuoteChar@9:/", "ScriptText@10:g", "ScriptText@11:;", "= Script"});
    addRow("division after a closing parenthesis", S::Script, {"f(a) / 2"},
           {"ScriptText@0:f", "ScriptText@1:(", "ScriptText@2:a", "ScriptText@3:)",
            "ScriptText@5:/", "ScriptText@7:2", "= Script"});
    addRow("division after a closing bracket", S::Script, {"a[0] / 2"},
           {"ScriptText@0:a", "ScriptText@1:[", "ScriptText@2:0", "ScriptText@3:]",
            "ScriptText@5:/", "ScriptText@7:2", "= Script"});
    addRow("division after a number", S::Script, {"10 / 2"},
           {"ScriptText@0:1", "ScriptText@1:0", "ScriptText@3:/", "ScriptText@5:2", "= Script"});
    addRow("division after a dot", S::Script, {"a./b"},
           {"ScriptText@0:a", "ScriptText@1:.", "ScriptText@2:/", "ScriptText@3:b", "= Script"});
    addRow("literal inside parentheses", S::Script, {"(/a/)"},
           {"ScriptText@0:(", "QuoteChar@1:/", "RegExp@2:a", "QuoteChar@3:/", "ScriptText@4:)",
            "= Script"});
    addRow("literal at the line start", S::Script, {"/x/"},
           {"QuoteChar@0:/", "RegExp@1:x", "QuoteChar@2:/", "= Script"});
    addRow("division after a keyword", S::Script, {"return /x/"},
           {"Ident@0:return", "ScriptText@7:/", "ScriptText@8:x", "ScriptText@9:/", "= Script"});
    addRow("literal left open", S::Script, {"a = /ab"},
           {"ScriptText@0:a", "ScriptText@2:=", "QuoteChar@4:/", "RegExp@5:ab",
            "= RegExpLiteral"});
    addRow("open literal closed on the next line", S::Script, {"a = /ab", "c/.test(d)"},
           {"ScriptText@0:a", "ScriptText@2:=", "QuoteChar@4:/", "RegExp@5:ab",
            "= RegExpLiteral", "RegExp@0:c", "QuoteChar@1:/", "ScriptText@2:.",
            "ScriptText@3:test", "ScriptText@7:(", "ScriptText@8:d", "ScriptText@9:)",
            "= Script"});

    // Brackets, operators and keywords.
    addRow("brackets, operators and a keyword", S::Script, {"if (a[i] !== {}) {"},
           {"Ident@0:if", "ScriptText@3:(", "ScriptText@4:a", "ScriptText@5:[",
            "ScriptText@6:i", "ScriptText@7:]", "ScriptText@9:!", "ScriptText@10:=",
            "ScriptText@11:=", "ScriptText@13:{", "ScriptText@14:}", "ScriptText@15:)",
            "ScriptText@17:{", "= Script"});
    addRow("hyphen joins an identifier", S::Script, {"a-b"}, {"ScriptText@0:a-b", "= Script"});
    addRow("spaced minus is an operator", S::Script, {"a - b"},
           {"ScriptText@0:a", "ScriptText@2:-", "ScriptText@4:b", "= Script"});
    addRow("underscore splits an identifier", S::Script, {"foo_bar"},
           {"ScriptText@0:foo", "ScriptText@3:_", "ScriptText@4:bar", "= Script"});
    addRow("keywords are exact and case sensitive", S::Script, {"var typeof new Foo Var"},
           {"Ident@0:var", "Ident@4:typeof", "Ident@11:new", "ScriptText@15:Foo",
            "ScriptText@19:Var", "= Script"});
    addRow("keyword prefix is not a keyword", S::Script, {"variable"},
           {"ScriptText@0:variable", "= Script"});
    addRow("less-than before a letter does not open a tag in script", S::Script, {"x<y"},
           {"ScriptText@0:x", "ScriptText@1:<", "ScriptText@2:y", "= Script"});
    addRow("end tag in script code leaves script", S::Script, {"a</b"},
           {"ScriptText@0:a", "TagPunct@1:</", "Ident@3:b", "= InTag"});

    // Style sheets.
    addRow("property and value", S::Style, {"color: red;"},
           {"Ident@0:color", "OtherChar@5::", "Ident@7:red", "OtherChar@10:;", "= Style"});
    addRow("rule with a hyphenated property and a number", S::Style,
           {"p { margin-top: 10px }"},
           {"Ident@0:p", "OtherChar@2:{", "Ident@4:margin-top", "OtherChar@14::",
            "Number@16:10px", "OtherChar@21:}", "= Style"});
    addRow("selectors", S::Style, {"#id .cls"},
           {"OtherChar@0:#", "Ident@1:id", "OtherChar@4:.", "Ident@5:cls", "= Style"});
    addRow("pseudo-class then end tag", S::Style, {"a:hover</style>"},
           {"Ident@0:a", "OtherChar@1::", "Ident@2:hover", "TagPunct@7:</", "Ident@9:style",
            "TagPunct@14:>", "= Html"});
    addRow("style comment", S::Style, {"/* c */a"},
           {"Comment@0:/*", "Comment@3:c */", "Ident@7:a", "= Style"});
    // Comments and strings return to the part of the rule they began in,
    // also across lines.
    addRow("style comment over lines in a value", S::Style, {"a{b:/* x", "y */ 1em}"},
           {"Ident@0:a", "OtherChar@1:{", "Ident@2:b", "OtherChar@3::", "Comment@4:/*",
            "Comment@7:x", "= StyleComment", "Comment@0:y */", "Number@5:1em",
            "OtherChar@8:}", "= Style"});
    addRow("style strings, at-rules, colours, important", S::Style,
           {"@media print{a[x='y']{color:#fc0 !important;content:\"\\\"\"}}"},
           {"AtRule@0:@media", "Ident@7:print", "OtherChar@12:{", "Ident@13:a",
            "OtherChar@14:[", "Ident@15:x", "OtherChar@16:=", "String@17:'", "String@18:y'",
            "OtherChar@20:]", "OtherChar@21:{", "Ident@22:color", "OtherChar@27::",
            "Number@28:#fc0", "Important@33:!important", "OtherChar@43:;",
            "Ident@44:content", "OtherChar@51::", "String@52:\"", "String@53:\\\"\"",
            "OtherChar@56:}", "OtherChar@57:}", "= Style"});
    addRow("style attribute", S::Html, {"<p style=\"margin:0 'a\" id=\"s\">"},
           {"TagPunct@0:<", "Ident@1:p", "Ident@3:style", "TagPunct@8:=", "String@9:\"",
            "Ident@10:margin", "OtherChar@16::", "Number@17:0", "String@19:'", "String@20:a",
            "String@21:\"", "Ident@23:id", "TagPunct@25:=", "String@26:\"s\"",
            "TagPunct@29:>", "= Html"});

    // Template literals, nested ones included.
    addRow("template literal", S::Script, {"x=`a${b+`c${d}`}\\n`;"},
           {"ScriptText@0:x", "ScriptText@1:=", "QuoteChar@2:`", "String@3:a",
            "QuoteChar@4:${", "ScriptText@6:b", "ScriptText@7:+", "QuoteChar@8:`",
            "String@9:c", "QuoteChar@10:${", "ScriptText@12:d", "QuoteChar@13:}",
            "QuoteChar@14:`", "QuoteChar@15:}", "EscapedChar@16:\\n", "QuoteChar@18:`",
            "ScriptText@19:;", "= Script"});
    addRow("template literal over lines", S::Script, {"`a ${ {b:'}'}.b", "} c`"},
           {"QuoteChar@0:`", "String@1:a ", "QuoteChar@3:${", "ScriptText@6:{",
            "ScriptText@7:b", "ScriptText@8::", "QuoteChar@9:'", "String@10:}",
            "QuoteChar@11:'", "ScriptText@12:}", "ScriptText@13:.", "ScriptText@14:b",
            "= TemplateExpr", "QuoteChar@0:}", "String@2:c", "QuoteChar@3:`", "= Script"});

    addRow("php number with a leading zero", S::PhpCode, {"$a=0x1F;"},
           {"Variable@0:$a", "ScriptText@2:=", "ScriptText@3:0x1F", "ScriptText@7:;", "= PhpCode"});
    addRow("end tag leaves the template expression", S::TemplateExpr,
           {"</script><script>/* c */}"},
           {"TagPunct@0:</", "Ident@2:script", "TagPunct@8:>", "TagPunct@9:<", "Ident@10:script",
            "TagPunct@16:>", "Comment@17:/*", "Comment@20:c */", "ScriptText@24:}", "= Script"});
    addRow("php block in a template expression over lines", S::Script,
           {"`${<?php $a", "?>/* c */}`"},
           {"QuoteChar@0:`", "QuoteChar@1:${", "TagPunct@3:<?php", "Variable@9:$a", "= PhpCode",
            "TagPunct@0:?>", "Comment@2:/*", "Comment@5:c */", "QuoteChar@9:}", "QuoteChar@10:`",
            "= Script"});

    // PHP blocks return to what they interrupted, also across lines.
    addRow("php in text, tag and attribute value", S::Html,
           {"a<?= $x ?><p <?php if ($y): ?>class=\"<?php echo 'q\\''; ?>z\">"},
           {"TextRun@0:a", "TagPunct@1:<?=", "Variable@5:$x", "TagPunct@8:?>",
            "TagPunct@10:<", "Ident@11:p", "TagPunct@13:<?php", "Ident@19:if",
            "ScriptText@22:(", "Variable@23:$y", "ScriptText@25:)", "ScriptText@26::",
            "TagPunct@28:?>", "Ident@30:class", "TagPunct@35:=", "String@36:\"",
            "TagPunct@37:<?php", "Ident@43:echo", "QuoteChar@48:'", "String@49:q",
            "EscapedChar@50:\\'", "QuoteChar@52:'", "ScriptText@53:;", "TagPunct@55:?>",
            "String@57:z\"", "TagPunct@59:>", "= Html"});
    addRow("php in a script string over lines", S::Script, {"s = \"<?php /* a", "*/ ?>\";"},
           {"ScriptText@0:s", "ScriptText@2:=", "QuoteChar@4:\"", "TagPunct@5:<?php",
            "Comment@11:/* a", "= PhpBlockComment", "Comment@0:*/", "TagPunct@3:?>",
            "String@5:", "QuoteChar@5:\"", "ScriptText@6:;", "= Script"});
    addRow("php comments end at ?>, strings do not", S::Html,
           {"<? # a ?>b<?php \"?>$v\\x41\" // c", "d"},
           {"TagPunct@0:<?", "Comment@3:# a ", "TagPunct@7:?>", "TextRun@9:b",
            "TagPunct@10:<?php", "QuoteChar@16:\"", "String@17:?>", "Variable@19:$v",
            "EscapedChar@21:\\x41", "QuoteChar@25:\"", "Comment@27:// c",
            "= PhpLineComment", "ScriptText@0:d", "= PhpCode"});
    addRow("heredoc and nowdoc", S::Html,
           {"<?php $a = <<<EOT", "x $b EOTX", "  EOT;", "<<<'N'", "$c", "N ?>"},
           {"TagPunct@0:<?php", "Variable@6:$a", "ScriptText@9:=", "QuoteChar@11:<<<EOT",
            "= PhpHeredoc", "String@0:x ", "Variable@2:$b", "String@5:EOTX",
            "= PhpHeredoc", "QuoteChar@2:EOT", "ScriptText@5:;", "= PhpCode",
            "QuoteChar@0:<<<'N'", "= PhpNowdoc", "String@0:$c", "= PhpNowdoc",
            "QuoteChar@0:N", "TagPunct@2:?>", "= Html"});
    addRow("xml declaration is not php", S::Html, {"<?xml v?>"},
           {"OtherChar@0:<", "TextRun@1:?xml v?>", "= Html"});

    // Tags and values split over lines.
    addRow("script tag split before its attributes loses its name", S::Html,
           {"<script", R"(src="a.js">)"},
           {"TagPunct@0:<", "Ident@1:script", "= InTag", "Ident@0:src", "TagPunct@3:=",
            "String@4:\"a.js\"", "TagPunct@10:>", "= Html"});
    addRow("style tag split before its end", S::Html, {R"(<style type="text/css")", ">"},
           {"TagPunct@0:<", "Ident@1:style", "Ident@7:type", "TagPunct@11:=",
            "String@12:\"text/css\"", "= InTag", "TagPunct@0:>", "= Html"});
    addRow("punctuation running to the line end stays in the tag", S::Html, {"<a =x", "y>"},
           {"TagPunct@0:<", "Ident@1:a", "TagPunct@3:=x", "= InTag", "Ident@0:y",
            "TagPunct@1:>", "= Html"});
    addRow("value at the start of a continued tag line", S::InTag, {R"("x">)"},
           {"String@0:\"x\"", "TagPunct@3:>", "= Html"});
    addRow("indented value in a continued tag line", S::InTag, {R"(  "x">)"},
           {"TagPunct@2:", "String@2:\"x\"", "TagPunct@5:>", "= Html"});
    addRow("attribute value over two lines", S::Html, {R"(<a title="one)", R"(two" href="x">z)"},
           {"TagPunct@0:<", "Ident@1:a", "Ident@3:title", "TagPunct@8:=", "String@9:\"one",
            "= AttrStringOpen", "String@0:two\"", "Ident@5:href", "TagPunct@9:=",
            "String@10:\"x\"", "TagPunct@13:>", "TextRun@14:z", "= Html"});
    addRow("attribute value over three lines", S::Html, {R"(<p title="a)", "b", R"(c">)"},
           {"TagPunct@0:<", "Ident@1:p", "Ident@3:title", "TagPunct@8:=", "String@9:\"a",
            "= AttrStringOpen", "String@0:b", "= AttrStringOpen", "String@0:c\"",
            "TagPunct@2:>", "= Html"});
    addRow("continued value holds markup as text", S::AttrStringOpen, {R"(<!-- &amp; b">x)"},
           {"String@0:<!-- &amp; b\"", "TagPunct@13:>", "TextRun@14:x", "= Html"});
    addRow("continued value with an escaped quote", S::AttrStringOpen, {R"(a\"b)"},
           {R"(String@0:a\"b)", "= AttrStringOpen"});

    // Declarations and angles that open no tag.
    addRow("document type declaration", S::Html, {"<!DOCTYPE html>"},
           {"TagPunct@0:<", "TagPunct@1:!DOCTYPE html>", "= Html"});
    addRow("less-than before a blank", S::Html, {"a < b"},
           {"TextRun@0:a ", "OtherChar@2:<", "TextRun@4:b", "= Html"});
    addRow("less-than alone", S::Html, {"<"}, {"OtherChar@0:<", "= Html"});
    addRow("less-than and slash alone", S::Html, {"</"},
           {"OtherChar@0:<", "TextRun@1:/", "= Html"});
    addRow("end tag with a blank after the slash", S::Html, {"</ p>"},
           {"OtherChar@0:<", "TextRun@1:/ p>", "= Html"});
    addRow("tag inside a style sheet", S::Style, {"<b>"},
           {"TagPunct@0:<", "Ident@1:b", "TagPunct@2:>", "= Html"});

    // Empty and blank lines keep their state.
    for (int state : {S::Html, S::HtmlComment, S::InTag, S::AttrStringOpen, S::Script,
                      S::ScriptComment, S::DqString, S::SqString, S::RegExpLiteral, S::Style}) {
        const QByteArray name = "empty line in " + stateName(state).toLatin1();
        addRow(name.constData(), state, {QString()}, {"= " + stateName(state)});
    }
    addRow("blank line in script", S::Script, {" \t  "}, {"= Script"});
    addRow("blank line in a string", S::DqString, {"   "}, {"= DqString"});
    addRow("ideographic space is white space", S::Html, {QStringLiteral("\u3000a")},
           {"TextRun@1:a", "= Html"});

    // Text beyond ASCII.
    addRow("non-ASCII attribute name, value and text", S::Html,
           {QStringLiteral("<p 属性=\"値\">日本語 &amp;")},
           {"TagPunct@0:<", "Ident@1:p", QStringLiteral("Ident@3:属性"), "TagPunct@5:=",
            QStringLiteral("String@6:\"値\""), "TagPunct@9:>", QStringLiteral("TextRun@10:日本語 "),
            "EntityRef@14:&amp;", "= Html"});
    addRow("accented identifiers in script", S::Script, {QStringLiteral("var café = naïve2;")},
           {"Ident@0:var", QStringLiteral("ScriptText@4:café"), "ScriptText@9:=",
            QStringLiteral("ScriptText@11:naïve2"), "ScriptText@17:;", "= Script"});
    addRow("full-width digit continues an identifier", S::Script, {QStringLiteral("a１")},
           {QStringLiteral("ScriptText@0:a１"), "= Script"});
    addRow("letter outside the basic plane starts an identifier", S::Script,
           {QStringLiteral("\U0001D49Cb")}, {QStringLiteral("ScriptText@0:\U0001D49Cb"), "= Script"});
    addRow("symbol outside the basic plane is one token", S::Script,
           {QStringLiteral("\U0001F600;")},
           {QStringLiteral("ScriptText@0:\U0001F600"), "ScriptText@2:;", "= Script"});
    addRow("escape of a character outside the basic plane", S::Script,
           {QStringLiteral("'\\\U0001F600'")},
           {"QuoteChar@0:'", "String@1:", QStringLiteral("EscapedChar@1:\\\U0001F600"),
            "String@4:", "QuoteChar@4:'", "= Script"});

    // Unusual states at a line start.
    addRow("value state at a line start continues the value", S::InAttrString, {R"(x" y>)"},
           {"String@0:x\"", "Ident@3:y", "TagPunct@4:>", "= Html"});
    addRow("escape state at a line start continues the string", S::DqEscape, {R"(a")"},
           {"String@0:a", "QuoteChar@1:\"", "= Script"});
    addRow("regexp escape state on an empty line", S::RegExpEscape, {QString()},
           {"= RegExpLiteral"});
    addRow("closing-quote state at a line start is script", S::CloseQuote, {"a"},
           {"ScriptText@0:a", "= Script"});
    addRow("no state yet", -1, {"<b>"}, {"TagPunct@0:<", "Ident@1:b", "TagPunct@2:>", "= Html"});
    addRow("unknown state", 99, {"x"}, {"TextRun@0:x", "= Html"});
}

void TestHtmlScanner::isRegExpContext_data()
{
    QTest::addColumn<QString>("previous");
    QTest::addColumn<bool>("regExp");
    QTest::newRow("nothing before") << QString() << true;
    QTest::newRow("closing bracket") << "]" << false;
    QTest::newRow("closing parenthesis") << ")" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("equals") << "=" << true;
    QTest::newRow("opening parenthesis") << "(" << true;
    QTest::newRow("closing brace") << "}" << true;
    QTest::newRow("underscore") << "_" << true;
    QTest::newRow("exclamation, first punctuation") << "!" << true;
    QTest::newRow("slash, end of first range") << "/" << true;
    QTest::newRow("colon, start of second range") << ":" << true;
    QTest::newRow("at sign, end of second range") << "@" << true;
    QTest::newRow("opening bracket") << "[" << true;
    QTest::newRow("backquote") << "`" << true;
    QTest::newRow("tilde") << "~" << true;
    QTest::newRow("comment marker") << "-->" << true;
    QTest::newRow("identifier") << "abc" << false;
    QTest::newRow("digit") << "9" << false;
    QTest::newRow("digit zero") << "0" << false;
    QTest::newRow("upper-case letter") << "Z" << false;
    QTest::newRow("space") << " " << false;
    QTest::newRow("delete character") << QString(QChar(127)) << false;
    QTest::newRow("non-ASCII letter") << QStringLiteral("é") << false;
    QTest::newRow("non-ASCII punctuation") << QStringLiteral("、") << false;
}

void TestHtmlScanner::isRegExpContext()
{
    QFETCH(QString, previous);
    QFETCH(bool, regExp);
    QCOMPARE(HtmlScanner::isRegExpContext(previous), regExp);
}

void TestHtmlScanner::withoutKeywordSet()
{
    QCOMPARE(scanLines({"var x = typeof y;"}, S::Script, nullptr),
             QStringList({"ScriptText@0:var", "ScriptText@4:x", "ScriptText@6:=",
                          "ScriptText@8:typeof", "ScriptText@15:y", "ScriptText@16:;",
                          "= Script"}));
    const QSet<QString> empty;
    QCOMPARE(scanLines({"var"}, S::Script, &empty), QStringList({"ScriptText@0:var", "= Script"}));
}

void TestHtmlScanner::endIsFinal()
{
    HtmlScanner scanner(&testKeywords(), QStringLiteral("<b> x"), S::Html);
    int tokens = 0;
    while (scanner.nextToken() != HtmlScanner::End)
        ++tokens;
    QCOMPARE(tokens, 4);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(scanner.nextToken(), HtmlScanner::End);
        QCOMPARE(scanner.lastKind(), HtmlScanner::End);
        QCOMPARE(scanner.tokenLength(), 0);
        QVERIFY(scanner.tokenText().isEmpty());
        QCOMPARE(scanner.state(), HtmlScanner::Html);
    }
    HtmlScanner empty(&testKeywords(), QString(), S::ScriptComment);
    QCOMPARE(empty.nextToken(), HtmlScanner::End);
    QCOMPARE(empty.state(), HtmlScanner::ScriptComment);
}

void TestHtmlScanner::tagNameFollowsFirstIdentifier_data()
{
    QTest::addColumn<int>("startState");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("tokens");
    QTest::addColumn<QString>("tagName");
    QTest::newRow("start tag") << int(S::Html) << "<Div class=x>" << 3 << "div";
    QTest::newRow("end tag") << int(S::Html) << "</SCRIPT>" << 2 << "script";
    QTest::newRow("before the name") << int(S::Html) << "<b>" << 1 << QString();
    QTest::newRow("continued tag takes its first word") << int(S::InTag) << "src=x>" << 1 << "src";
    QTest::newRow("new tag clears the old name") << int(S::Html) << "<a></b" << 4 << QString();
}

void TestHtmlScanner::tagNameFollowsFirstIdentifier()
{
    QFETCH(int, startState);
    QFETCH(QString, line);
    QFETCH(int, tokens);
    QFETCH(QString, tagName);
    HtmlScanner scanner(&testKeywords(), line, startState);
    for (int i = 0; i < tokens; ++i)
        QVERIFY(scanner.nextToken() != HtmlScanner::End);
    QCOMPARE(scanner.tagName(), tagName);
}

void TestHtmlScanner::referenceFiles_data()
{
    QTest::addColumn<QString>("input");
    const QDir dir(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/input"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 3, "scanner reference inputs are missing");
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

// The token streams of whole sample files against references kept beside
// them. After a deliberate change tools/regen_scanner_references.sh rewrites
// the references; review their diff before committing it.
void TestHtmlScanner::referenceFiles()
{
    QFETCH(QString, input);
    const QString name = QFileInfo(input).fileName();
    const QString reference =
        QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/reference/") + name + QStringLiteral(".tokens");
    const QString actual = referenceText(name, QString::fromUtf8(readFile(input)));
    if (qEnvironmentVariableIsSet("MOSSGLEN_REGENERATE_REFERENCES")) {
        QVERIFY(writeFile(reference, actual.toUtf8()));
        return;
    }
    QVERIFY2(QFileInfo::exists(reference), qPrintable(reference + " is missing"));
    const QStringList expectedLines = QString::fromUtf8(readFile(reference)).split(u'\n');
    const QStringList actualLines = actual.split(u'\n');
    for (int i = 0; i < std::min(expectedLines.size(), actualLines.size()); ++i) {
        if (expectedLines.at(i) != actualLines.at(i)) {
            QFAIL(qPrintable(QStringLiteral("%1 line %2: expected\n  %3\nbut got\n  %4")
                                 .arg(reference).arg(i + 1)
                                 .arg(expectedLines.at(i), actualLines.at(i))));
        }
    }
    QCOMPARE(actualLines.size(), expectedLines.size());
}

void TestHtmlScanner::randomLinesKeepInvariants()
{
    // Pieces weighted towards the characters that switch states.
    const QStringList pieces = {
        "<", ">", "</", "<!--", "-->", "&", "&amp;", ";", "\"", "'", "/", "\\", "*", "/*",
        "*/", "//", "!", "=", " ", "\t", "a", "script", "style", "x", "9", "-", "u", "x4",
        "0", "(", ")", "[", "]", ".", "_", "#", ":",
        QStringLiteral("é"), QStringLiteral("日"), QStringLiteral("\u3000"),
        QStringLiteral("\u00a0"), QStringLiteral("\U0001F600"), QStringLiteral("\U0001D49C"),
        QString(QChar(0xD83D)), QString(QChar(0xDE00)), QString(QChar(0))};
    QRandomGenerator random(20240611);
    int checked = 0;
    for (int i = 0; i < 40000; ++i) {
        QString line;
        const int count = int(random.bounded(24));
        for (int k = 0; k < count; ++k)
            line += pieces.at(int(random.bounded(pieces.size())));
        const int state = int(random.bounded(S::StateCount));
        const QSet<QString> *keywords = random.bounded(4) == 0 ? nullptr : &testKeywords();
        const Violation v = checkLine(line, state, keywords);
        QVERIFY2(v.what.isEmpty(), qPrintable(QStringLiteral("%1 for \"%2\" from %3")
                                                  .arg(v.what, v.line, stateName(v.startState))));
        ++checked;
    }
    QCOMPARE(checked, 40000);
}

void TestHtmlScanner::mutatedLinesKeepInvariants()
{
    QStringList seeds;
    const QDir dir(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/input"));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        seeds += QString::fromUtf8(readFile(dir.filePath(name))).split(u'\n');
    seeds.removeAll(QString());
    QVERIFY(seeds.size() > 20);

    const QString alphabet = QStringLiteral("<>/\\\"'&;!-*= \tax9é\u3000");
    QRandomGenerator random(7);
    for (int i = 0; i < 20000; ++i) {
        QString line = seeds.at(int(random.bounded(seeds.size())));
        const int edits = 1 + int(random.bounded(4));
        for (int e = 0; e < edits; ++e) {
            const int at = line.isEmpty() ? 0 : int(random.bounded(int(line.size()) + 1));
            switch (random.bounded(4)) {
            case 0:
                line.insert(at, alphabet.at(int(random.bounded(alphabet.size()))));
                break;
            case 1:
                line.remove(at, 1 + int(random.bounded(3)));
                break;
            case 2:
                if (at < line.size())
                    line[at] = alphabet.at(int(random.bounded(alphabet.size())));
                break;
            default: // cut the line, leaving any construct open
                line.truncate(at);
                break;
            }
        }
        const int state = int(random.bounded(S::StateCount));
        const Violation v = checkLine(line, state, &testKeywords());
        QVERIFY2(v.what.isEmpty(), qPrintable(QStringLiteral("%1 for \"%2\" from %3")
                                                  .arg(v.what, v.line, stateName(v.startState))));
    }
}

void TestHtmlScanner::linearInLineLength_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<int>("state");
    QTest::newRow("minified script") << QStringLiteral(
        R"(var a1=function(b){if(b.c[0]>2)return b/2+"x\u00e9\n"+/re+g\//.test('d');/*k*/};)")
                                     << int(S::Script);
    QTest::newRow("markup") << QStringLiteral(R"(<a href="x.html" class=y>t &amp; u</a>)")
                            << int(S::Html);
    QTest::newRow("ampersands and letters") << QStringLiteral("&&abcdefgh&") << int(S::Html);
    QTest::newRow("unclosed html comment") << QStringLiteral("<!-- - -- ->") << int(S::Html);
    QTest::newRow("unclosed block comment") << QStringLiteral("/* * / *") << int(S::Script);
    QTest::newRow("escapes in an open string") << QStringLiteral(R"("\\\x\u12)") << int(S::Script);
    QTest::newRow("open attribute value") << QStringLiteral(R"(<p title="\"a b)") << int(S::Html);
    QTest::newRow("bare angles") << QStringLiteral("<<</") << int(S::Html);
    QTest::newRow("style words") << QStringLiteral("a-b:c;") << int(S::Style);
}

// A quadratic step (re-searching from the line start, copying the rest of the
// line per token) shows as a 64-fold time for an 8-fold line; linear is 8.
// The lengths grow step by step so that a quadratic scanner fails within
// seconds instead of running for hours on the longest line.
void TestHtmlScanner::linearInLineLength()
{
    QFETCH(QString, piece);
    QFETCH(int, state);
    double previous = -1;
    for (const int bits : {13, 16, 19, 22}) {
        const QString line = repeatedTo(piece, qsizetype(1) << bits);
        const double t = bestSeconds(line, state, 3);
        QVERIFY2(t >= 0, "a long line gave no tokens");
        qInfo("%9d characters: %8.2f ms", int(line.size()), t * 1e3);
#ifdef __OPTIMIZE__
        // Unoptimised and sanitizer builds run several times slower; the
        // growth below still tells linear from quadratic there.
        QVERIFY2(t < 1.0, qPrintable(QStringLiteral("%1 characters take a second or more")
                                         .arg(line.size())));
#endif
        // Below two milliseconds the ratio is dominated by noise; the absolute
        // bound above still holds.
        if (previous > 2e-3)
            QVERIFY2(t / previous < 24.0, qPrintable(QStringLiteral("grows %1-fold for an 8-fold line")
                                                         .arg(t / previous)));
        previous = t;
    }
}

QTEST_GUILESS_MAIN(TestHtmlScanner)
#include "tst_htmlscanner.moc"
