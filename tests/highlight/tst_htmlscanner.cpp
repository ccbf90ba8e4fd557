#define MOSSGLEN_SCANNER_RULES_ONLY
#include "fuzz_htmlscanner.cpp"
#include "testsupport.h"
#include "testtable.h"

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

// Runs one line through the rules every scan keeps; answers the first
// broken one, or an empty description.
QString checkLine(const QString &line, int startState, const QSet<QString> *keywords)
{
    int end = 0;
    const char *rule = brokenRule(keywords, line, startState, &end);
    return rule ? QStringLiteral("%1 for \"%2\" from %3").arg(QLatin1String(rule), line, stateName(startState))
                : QString();
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
    void isRegExpContext();
    void withoutKeywordSet();
    void endIsFinal();
    void tagNameFollowsFirstIdentifier_data();
    void tagNameFollowsFirstIdentifier();
    void referenceFiles_data();
    void referenceFiles();
    void linesKeepRules();
    void linearInLineLength_data();
    void linearInLineLength();
};

using S = HtmlScanner;

namespace {

int stateValue(const QString &name)
{
    const auto named = std::find(std::begin(stateNames), std::end(stateNames), name);
    return named != std::end(stateNames) ? int(named - std::begin(stateNames)) : name.toInt();
}

// Rows of highlight/scanner_misc.txt of one kind: start state, line, then the rest.
void miscRows(const char *kind)
{
    QTest::addColumn<int>("startState");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("more");
    for (const TestRow &r : readTestTable(QStringLiteral("highlight/scanner_misc.txt")))
        if (r.fields.at(0) == QLatin1String(kind))
            QTest::newRow(qPrintable(r.name)) << stateValue(r.fields.at(1)) << r.fields.at(2) << r.fields.mid(3);
}

} // namespace

void TestHtmlScanner::tokens_data()
{
    QTest::addColumn<int>("startState");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");
    for (const TestRow &r : readTestTable(QStringLiteral("highlight/scanner_tokens.txt")))
        QTest::newRow(qPrintable(r.name)) << stateValue(r.fields.at(0)) << r.fields.at(1).split(u'\n') << r.fields.mid(2);
}

void TestHtmlScanner::tokens()
{
    QFETCH(int, startState);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    const QStringList actual = scanLines(lines, startState);
    if (actual != expected)
        qWarning().noquote() << "actual:" << actual.join(QStringLiteral(" | "));
    QCOMPARE(actual, expected);
}

// What may stand before a "/" that opens a regular expression: nothing,
// punctuation (both ASCII ranges and the ones beyond), a comment marker; not
// a value's end, a letter, a digit, a blank or non-ASCII text.
void TestHtmlScanner::isRegExpContext()
{
    for (const QString &before : {"", "=", "(", "}", "_", "!", "/", ":", "@", "[", "`", "~", "-->"})
        QVERIFY2(HtmlScanner::isRegExpContext(before), qPrintable(before));
    for (const QString &before : {"]", ")", ".", "abc", "9", "0", "Z", " ", "\x7f", "\u00e9", "\u3001"})
        QVERIFY2(!HtmlScanner::isRegExpContext(before), qPrintable(before));
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

// After End the scanner answers End with an empty token, whatever the line.
void TestHtmlScanner::endIsFinal()
{
    HtmlScanner scanner(&testKeywords(), QStringLiteral("<b> x"), S::Html);
    QCOMPARE(scanLines({"<b> x"}, S::Html).size(), 5);
    while (scanner.nextToken() != HtmlScanner::End) {}
    QCOMPARE(scanner.lastKind(), HtmlScanner::End);
    QCOMPARE(scanner.tokenLength(), 0);
    QVERIFY(scanner.tokenText().isEmpty());
    QCOMPARE(scanner.state(), HtmlScanner::Html);
    HtmlScanner empty(&testKeywords(), QString(), S::ScriptComment);
    QCOMPARE(empty.nextToken(), HtmlScanner::End);
    QCOMPARE(empty.state(), HtmlScanner::ScriptComment);
}

void TestHtmlScanner::tagNameFollowsFirstIdentifier_data()
{
    miscRows("tag");
}

void TestHtmlScanner::tagNameFollowsFirstIdentifier()
{
    QFETCH(int, startState);
    QFETCH(QString, line);
    QFETCH(QStringList, more);
    HtmlScanner scanner(&testKeywords(), line, startState);
    for (int i = more.at(0).toInt(); i > 0; --i)
        QVERIFY(scanner.nextToken() != HtmlScanner::End);
    QCOMPARE(scanner.tagName(), more.at(1));
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
    compareWithReference(reference, referenceText(name, QString::fromUtf8(readFile(input))));
}

// Random lines of pieces weighted towards the characters that switch states,
// and lines of the sample files with random edits, from every start state.
void TestHtmlScanner::linesKeepRules()
{
    const auto check = [](const QString &line, int state, const QSet<QString> *keywords) {
        const QString broken = checkLine(line, state, keywords);
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
    };
    QStringList pieces = QStringLiteral("<|>|</|<!--|-->|&|&amp;|;|\"|'|/|\\|*|/*|*/|//|!|=| |\t|a|script|style|x"
                                        "|9|-|u|x4|0|(|)|[|]|.|_|#|:|é|日|\u3000|\u00a0|\U0001F600|\U0001D49C").split(u'|');
    pieces << QString(QChar(0xD83D)) << QString(QChar(0xDE00)) << QString(QChar(0));
    QRandomGenerator random(20240611);
    for (int i = 0; i < 40000 && !QTest::currentTestFailed(); ++i) {
        QString line;
        for (int k = int(random.bounded(24)); k > 0; --k)
            line += pieces.at(int(random.bounded(pieces.size())));
        const int state = int(random.bounded(S::StateCount));
        check(line, state, random.bounded(4) == 0 ? nullptr : &testKeywords());
    }

    QStringList seeds;
    const QDir dir(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/input"));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        seeds += QString::fromUtf8(readFile(dir.filePath(name))).split(u'\n');
    seeds.removeAll(QString());
    QVERIFY(seeds.size() > 20);
    const QString alphabet = QStringLiteral("<>/\\\"'&;!-*= \tax9é\u3000");
    random.seed(7);
    for (int i = 0; i < 20000 && !QTest::currentTestFailed(); ++i) {
        QString line = seeds.at(int(random.bounded(seeds.size())));
        for (int e = 1 + int(random.bounded(4)); e > 0; --e) {
            const int at = line.isEmpty() ? 0 : int(random.bounded(int(line.size()) + 1));
            switch (random.bounded(4)) {
            case 0: line.insert(at, alphabet.at(int(random.bounded(alphabet.size())))); break;
            case 1: line.remove(at, 1 + int(random.bounded(3))); break;
            case 2:
                if (at < line.size())
                    line[at] = alphabet.at(int(random.bounded(alphabet.size())));
                break;
            default: line.truncate(at); break;  // leaves any construct open
            }
        }
        check(line, int(random.bounded(S::StateCount)), &testKeywords());
    }
}

void TestHtmlScanner::linearInLineLength_data()
{
    miscRows("linear");
}

// A quadratic step (re-searching from the line start, copying the rest of the
// line per token) shows as a 64-fold time for an 8-fold line; linear is 8.
// The lengths grow step by step so that a quadratic scanner fails within
// seconds instead of running for hours on the longest line.
void TestHtmlScanner::linearInLineLength()
{
    QFETCH(int, startState);
    QFETCH(QString, line);
    double previous = -1;
    for (const int bits : {13, 16, 19, 22}) {
        const QString longLine = repeatedTo(line, qsizetype(1) << bits);
        const double t = bestSeconds(longLine, startState, 3);
        QVERIFY2(t >= 0, "a long line gave no tokens");
        qInfo("%9d characters: %8.2f ms", int(longLine.size()), t * 1e3);
#ifdef __OPTIMIZE__
        // Unoptimised and sanitizer builds run several times slower; the
        // growth below still tells linear from quadratic there.
        QVERIFY2(t < 1.0, qPrintable(QStringLiteral("%1 characters take a second or more")
                                         .arg(longLine.size())));
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
