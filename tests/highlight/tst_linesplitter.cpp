// Cutting long lines: where the cuts go, and that colouring piece by piece
// from the state the piece before ends in gives exactly the tokens of the
// whole line.

#include "highlight/htmlscanner.h"
#include "highlight/linesplitter.h"
#include "highlight/piecescanner.h"
#include "testtable.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

struct Token {
    int kind;
    int start;
    int end;
    int state;  // after the token
    bool operator==(const Token &) const = default;
};

const QSet<QString> keywords{"var", "return", "function", "typeof"};

// A token cut in two by a piece boundary comes back as two touching tokens
// of one kind; they count as one.
template <typename Scanner>
void appendTokens(QList<Token> &tokens, Scanner &scanner, int offset, const QList<int> &cuts)
{
    for (int kind = scanner.nextToken(); kind != HtmlScanner::End; kind = scanner.nextToken()) {
        const Token t{kind, offset + int(scanner.tokenStart()), offset + int(scanner.tokenStart() + scanner.tokenLength()),
                      scanner.carriedState()};
        if (!tokens.isEmpty() && tokens.last().kind == kind && tokens.last().end == t.start && cuts.contains(t.start))
            tokens.last() = {kind, tokens.last().start, t.end, t.state};
        else
            tokens.append(t);
    }
}

// Scans the whole line, then the pieces one after another, each from what
// the piece before hands on (its state and carries) as the highlighter does;
// reports the first difference, empty when there is none.
QString compareWithWhole(const QString &line, int state, const QList<int> &cuts, int *endState = nullptr)
{
    QList<Token> whole, pieces;
    HtmlScanner wholeScanner(&keywords, line, state, &keywords);
    appendTokens(whole, wholeScanner, 0, cuts);
    if (endState)
        *endState = wholeScanner.carriedState();
    int carried = state;
    int from = 0;
    for (int i = 0; i <= cuts.size(); ++i) {
        const int to = i < cuts.size() ? cuts.at(i) : int(line.size());
        if (to <= from && !line.isEmpty())
            return QStringLiteral("cut %1 does not go forward").arg(to);
        PieceScanner scanner(&keywords, &keywords, line.mid(from, to - from), from > 0 ? carried | HtmlScanner::Continued : carried);
        appendTokens(pieces, scanner, from, cuts);
        carried = scanner.endValue();
        from = to;
    }
    for (qsizetype i = 0; i < std::min(whole.size(), pieces.size()); ++i) {
        const Token &a = whole.at(i), &b = pieces.at(i);
        if (!(a == b))
            return QStringLiteral("token %1 \"%2\" (kind %3, state %6) comes out as \"%4\" (kind %5, state %7)")
                    .arg(i).arg(line.mid(a.start, a.end - a.start)).arg(a.kind)
                    .arg(line.mid(b.start, b.end - b.start)).arg(b.kind).arg(a.state).arg(b.state);
    }
    if (PieceScanner::lineState(carried) != wholeScanner.carriedState())
        return QStringLiteral("end state %1, whole line %2").arg(PieceScanner::lineState(carried)).arg(wholeScanner.carriedState());
    if (whole.size() != pieces.size())
        return QStringLiteral("%1 tokens, whole line %2").arg(pieces.size()).arg(whole.size());
    return {};
}

} // namespace

class TestLineSplitter : public QObject
{
    Q_OBJECT
private slots:
    void cuts_data();
    void cuts();
    void randomLinesColourAsWhole();
    void realMinifiedFiles_data();
    void realMinifiedFiles();
};

void TestLineSplitter::cuts_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QList<int>>("expected");
    const QStringList states{"Html", "Script", "DqString", "Style"};
    const int values[] = {HtmlScanner::Html, HtmlScanner::Script, HtmlScanner::DqString, HtmlScanner::Style};
    for (const TestRow &r : readTestTable(QStringLiteral("highlight/line_cuts.txt"))) {
        QList<int> cuts;
        for (const QString &c : r.fields.at(3).split(u' ', Qt::SkipEmptyParts))
            cuts << c.toInt();
        QVERIFY(states.contains(r.fields.at(0)));
        QTest::newRow(qPrintable(r.name)) << r.fields.at(2) << values[states.indexOf(r.fields.at(0))]
                                          << r.fields.at(1).toInt() << cuts;
    }
}

void TestLineSplitter::cuts()
{
    QFETCH(QString, line);
    QFETCH(int, state);
    QFETCH(int, limit);
    QFETCH(QList<int>, expected);
    const QList<int> cuts = LineSplitter::breaks(line, state, limit);
    QCOMPARE(cuts, expected);
    const QString difference = compareWithWhole(line, state, cuts);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// Lines of markup, script, style sheets, PHP and template literals in
// random pieces, from random states and limits.
void TestLineSplitter::randomLinesColourAsWhole()
{
    static const QStringList fragments = QStringLiteral(
        "<div class=\"a b\">|</div>|<p>|text, more; words |&amp;|&lt;|<!-- note -->|<!--|-->|<script>"
        "|</script>|<style>|</style>|var a=b/c;|x = a / b / c|return /re[/]x\\/y/g.test(s),"
        "|\"str\\\"ing, x;\"|'s\\u0041q'|/* c; } */|// line|}|{|;|,|>|<| |   |color:red;|a>b{margin:0}"
        "|\\|\"|'|/|*|abcdefghij0123456789|\u65e5\u672c|\U0001F600|typeof q|\t"
        "|<?php |<?= $v ?>|?>|# c |$abc->d(1, 'x\\'y');|\"a $b \\n\"|<<<EOT |EOT;|<<<'N' |`t ${a} `|${"
        "|`|@media x{|p{color:#fc0 !important}|margin:1.5em -2px;|content:'a;b'|<p style=\"a:b;c:d\">|#|:")
            .split(u'|');
    QRandomGenerator rng(20261206);
    int cutsMade = 0;
    for (int round = 0; round < 20000; ++round) {
        QString line;
        for (const int size = 20 + rng.bounded(600); line.size() < size;)
            line += fragments.at(rng.bounded(int(fragments.size())));
        const int state = rng.bounded(HtmlScanner::StateCount);
        const int limit = 4 + rng.bounded(80);
        const QList<int> cuts = LineSplitter::breaks(line, state, limit);
        cutsMade += int(cuts.size());
        const QString difference = compareWithWhole(line, state, cuts);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("state %1, limit %2, %3 cuts: %4\n%5")
                                                      .arg(state).arg(limit).arg(cuts.size()).arg(difference, line)));
    }
    QVERIFY(cutsMade > 10000);  // the soup is cut, not left whole
}

void TestLineSplitter::realMinifiedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("state");
    const QString dir = QStringLiteral(MOSSGLEN_TEST_DATA "/minified");
    QTest::newRow("script") << dir + QStringLiteral("/site.min.js") << int(HtmlScanner::Script);
    QTest::newRow("style sheet") << dir + QStringLiteral("/site.min.css") << int(HtmlScanner::Style);
    QTest::newRow("page") << dir + QStringLiteral("/page.min.html") << int(HtmlScanner::Html);
    // Minified by its makers, from Debian's libjs-jquery.
    QTest::newRow("jquery.min.js") << QStringLiteral("/usr/share/javascript/jquery/jquery.min.js")
                                   << int(HtmlScanner::Script);
}

// Real code has places to cut everywhere: no piece much over the limit.
void TestLineSplitter::realMinifiedFiles()
{
    QFETCH(QString, path);
    QFETCH(int, state);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        QSKIP(qPrintable(path + QStringLiteral(" is not installed")));
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QList<int> cuts = LineSplitter::breaks(line, state, 300);
        const QString difference = compareWithWhole(line, state, cuts, &state);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        for (int i = 0, from = 0; i <= cuts.size(); from = cuts.value(i++)) {
            const int to = i < cuts.size() ? cuts.at(i) : int(line.size());
            QVERIFY2(to - from <= 300 || line.size() <= 300,
                     qPrintable(QStringLiteral("piece of %1 at %2").arg(to - from).arg(from)));
        }
    }
}

QTEST_APPLESS_MAIN(TestLineSplitter)
#include "tst_linesplitter.moc"
