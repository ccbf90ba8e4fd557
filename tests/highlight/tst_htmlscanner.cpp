// The line scanner: token tables, golden token streams of whole files, the
// rules every scan keeps on random lines, and time linear in line length.
// Then cutting long lines: where the cuts go, and that colouring piece by
// piece from the state the piece before ends in gives exactly the tokens of
// the whole line.

#define MOSSGLEN_SCANNER_RULES_ONLY
#include "fuzz_htmlscanner.cpp"
#include "highlight/linesplitter.h"
#include "highlight/piecescanner.h"
#include "testsupport.h"

#include <ctime>

namespace {

const QStringList kindNames = QStringLiteral(
    "NoToken TextRun Comment TagPunct Kind4 Ident String RegExp EscapedChar QuoteChar EntityRef "
    "ScriptText OtherChar End AtRule Number Important Variable").split(u' ');
const QStringList stateNames = QStringLiteral(
    "Html HtmlComment InTag InAttrString AttrStringOpen Script ScriptComment DqString SqString "
    "RegExpLiteral DqEscape SqEscape RegExpEscape CloseQuote Style ScriptLineComment TemplateString "
    "TemplateExpr StyleBlock StyleValue StyleAtRule StyleComment StyleDqString StyleSqString StyleAttr "
    "StyleAttrValue StyleAttrQuote PhpCode PhpLineComment PhpBlockComment PhpDqString PhpSqString "
    "PhpHeredoc PhpNowdoc").split(u' ');

const QSet<QString> testKeywords{"var", "function", "return", "if", "else", "typeof", "new", "this"};
// A user's list may hold any word; one with a "z" shows how capitals are told.
const QSet<QString> testPhpKeywords{"if", "echo", "function", "gzopen"};

// Scans lines one after another, carrying the state, and writes every token as
// "Kind@start:text" and every line end as "= State".
QStringList scanLines(const QStringList &lines, int state, const QSet<QString> *keywords,
                      const QSet<QString> *phpKeywords)
{
    QStringList out;
    for (const QString &line : lines) {
        HtmlScanner scanner(keywords, line, state, phpKeywords);
        while (scanner.nextToken() != HtmlScanner::End)
            out << QStringLiteral("%1@%2:%3").arg(kindNames.value(scanner.lastKind()))
                       .arg(scanner.tokenStart()).arg(scanner.tokenText());
        state = scanner.carriedState();
        out << QStringLiteral("= %1").arg(stateNames.value(state & HtmlScanner::StateMask));
    }
    return out;
}

int stateValue(const QString &name)
{
    return stateNames.contains(name) ? int(stateNames.indexOf(name)) : name.toInt();
}

struct Token {
    int kind;
    int start;
    int end;
    int state;  // after the token
    bool operator==(const Token &) const = default;
};

char *toString(const Token &t)
{
    return QTest::toString(QStringLiteral("kind %1 at %2-%3, then state %4").arg(t.kind).arg(t.start).arg(t.end).arg(t.state));
}

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
// the piece before hands on (its state and carries) as the highlighter does,
// and compares the tokens; the last entry of each list is the line's end state.
void compareWithWhole(const QString &line, int state, const QList<int> &cuts)
{
    QList<Token> whole, pieces;
    HtmlScanner wholeScanner(&testKeywords, line, state, &testPhpKeywords);
    appendTokens(whole, wholeScanner, 0, cuts);
    whole.append({HtmlScanner::End, int(line.size()), int(line.size()), wholeScanner.carriedState()});
    int carried = state;
    int from = 0;
    for (int i = 0; i <= cuts.size(); ++i) {
        const int to = i < cuts.size() ? cuts.at(i) : int(line.size());
        QVERIFY2(to > from || line.isEmpty(), qPrintable(QStringLiteral("cut %1 does not go forward").arg(to)));
        PieceScanner scanner(&testKeywords, &testPhpKeywords, line.mid(from, to - from),
                             from > 0 ? carried | HtmlScanner::Continued : carried);
        appendTokens(pieces, scanner, from, cuts);
        carried = scanner.endValue();
        from = to;
    }
    pieces.append({HtmlScanner::End, int(line.size()), int(line.size()), PieceScanner::lineState(carried)});
    QCOMPARE(pieces, whole);
}

} // namespace

class TestHtmlScanner : public QObject
{
    Q_OBJECT
private slots:
    // Fields: start state, "/none" or "/empty" after it for the script keywords |
    // lines | tokens.
    void tokens_data() { addTableRows(QStringLiteral("highlight/scanner_tokens.txt")); }
    void tokens()
    {
        static_assert(HtmlScanner::StateCount == 34 && HtmlScanner::TokenCount == 18, "name lists out of date");
        QFETCH(QStringList, fields);
        const QString state = fields.at(0).section(u'/', 0, 0), keywords = fields.at(0).section(u'/', 1);
        static const QSet<QString> none;
        const QSet<QString> *set = keywords.isEmpty() ? &testKeywords : keywords == u"empty" ? &none : nullptr;
        QCOMPARE(scanLines(fields.at(1).split(u'\n'), stateValue(state), set, &testPhpKeywords), fields.mid(2));
    }
    // What may stand before a "/" that opens a regular expression: nothing,
    // punctuation (both ASCII ranges and the ones beyond), a comment marker; not
    // a value's end, a letter, a digit, a blank or non-ASCII text.
    void isRegExpContext()
    {
        for (const QString &before : {"", "=", "(", "}", "_", "!", "/", ":", "@", "[", "`", "~", "-->"})
            QVERIFY2(HtmlScanner::isRegExpContext(before), qPrintable(before));
        for (const QString &before : {"]", ")", ".", "abc", "9", "0", "Z", " ", "\x7f", "\u00e9", "\u3001"})
            QVERIFY2(!HtmlScanner::isRegExpContext(before), qPrintable(before));
    }
    void tagNameFollowsFirstIdentifier_data() { addTableRows(QStringLiteral("highlight/scanner_tags.txt")); }
    void tagNameFollowsFirstIdentifier()
    {
        QFETCH(QStringList, fields);
        HtmlScanner scanner(&testKeywords, fields.at(1), stateValue(fields.at(0)));
        for (int i = fields.at(2).toInt(); i > 0; --i)
            QVERIFY(scanner.nextToken() != HtmlScanner::End);
        QCOMPARE(scanner.tagName(), fields.at(3));
    }
    // The token streams of whole sample files, scanned from the state the file's
    // suffix gives, against references kept beside them. After a deliberate change
    // tools/regen_scanner_references.sh rewrites them; review their diff.
    void referenceFiles_data() { addDirectoryRows(QStringLiteral("scanner/input")); }
    void referenceFiles()
    {
        QFETCH(QString, input);
        // A fixed list of its own, so that edits to the shipped keyword file do
        // not move the references; PHP shares the script words.
        QSet<QString> keywords;
        for (const QString &word : QString::fromUtf8(readFile(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/keywords.txt")))
                                       .split(u'\n', Qt::SkipEmptyParts))
            keywords.insert(word.trimmed());
        const QString suffix = QFileInfo(input).suffix().toLower();
        const int state = suffix == u"js" || suffix == u"mjs" ? HtmlScanner::Script
                          : suffix == u"css"                 ? HtmlScanner::Style : HtmlScanner::Html;
        const QStringList out = scanLines(QString::fromUtf8(readFile(input)).split(u'\n'), state, &keywords, &keywords);
        compareWithReference(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/reference/") + QFileInfo(input).fileName()
                                     + QStringLiteral(".tokens"), out.join(u'\n') + u'\n');
    }
    // Random lines of pieces weighted towards the characters that switch states,
    // and lines of the sample files with random edits, from every start state.
    void linesKeepRules()
    {
        const auto check = [](const QString &line, int state, const QSet<QString> *keywords) {
            int end = 0;
            const char *rule = brokenRule(keywords, line, state, &end);
            QVERIFY2(!rule, qPrintable(QStringLiteral("%1 for \"%2\" from %3").arg(QLatin1String(rule), line, stateNames.at(state))));
        };
        QStringList pieces = QStringLiteral("<|>|</|<!--|-->|&|&amp;|;|\"|'|/|\\|*|/*|*/|//|!|=| |\t|a|script|style|x"
                                            "|9|-|u|x4|0|(|)|[|]|.|_|#|:|é|日|\u3000|\u00a0|\U0001F600|\U0001D49C").split(u'|');
        pieces << QString(QChar(0xD83D)) << QString(QChar(0xDE00)) << QString(QChar(0));
        QRandomGenerator random(20240611);
        for (int i = 0; i < 40000 && !QTest::currentTestFailed(); ++i) {
            QString line;
            for (int k = int(random.bounded(24)); k > 0; --k)
                line += pieces.at(int(random.bounded(pieces.size())));
            const int state = int(random.bounded(HtmlScanner::StateCount));
            check(line, state, random.bounded(4) == 0 ? nullptr : &testKeywords);
        }

        QStringList seeds;
        const QDir dir(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/input"));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            seeds += QString::fromUtf8(readFile(dir.filePath(name))).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(seeds.size() > 20);
        const QString alphabet = QStringLiteral("<>/\\\"'&;!-*= \tax9é\u3000");
        random.seed(7);
        for (int i = 0; i < 20000 && !QTest::currentTestFailed(); ++i) {
            QString line = seeds.at(int(random.bounded(seeds.size())));
            for (int e = 1 + int(random.bounded(4)); e > 0; --e) {
                const int at = line.isEmpty() ? 0 : int(random.bounded(int(line.size()) + 1));
                const auto c = [&] { return alphabet.at(int(random.bounded(alphabet.size()))); };
                switch (random.bounded(4)) {
                case 0: line.insert(at, c()); break;
                case 1: line.remove(at, 1 + int(random.bounded(3))); break;
                case 2:
                    if (at < line.size())
                        line[at] = c();
                    break;
                default: line.truncate(at); break;  // leaves any construct open
                }
            }
            check(line, int(random.bounded(HtmlScanner::StateCount)), &testKeywords);
        }
    }
    // A quadratic step (re-searching from the line start, copying the rest of the
    // line per token) shows as a 64-fold time for an 8-fold line; linear is 8.
    // The lengths grow step by step so that a quadratic scanner fails within
    // seconds instead of running for hours on the longest line.
    void linearInLineLength_data() { addTableRows(QStringLiteral("highlight/scanner_linear.txt")); }
    void linearInLineLength()
    {
        QFETCH(QStringList, fields);
        const int startState = stateValue(fields.at(0));
        const QString text = fields.at(1);
        double previous = -1;
        for (const int bits : {13, 16, 19, 22}) {
            const QString longLine = text.repeated((1 << bits) / text.size() + 1).left(1 << bits);
            // Processor time rather than wall time, the best of three: other work
            // on the machine must not make a linear scan look quadratic.
            double t = 1e9, last = 0;
            for (int run = 0; run < 3 && last < 1.0; ++run) {
                const std::clock_t start = std::clock();
                HtmlScanner scanner(&testKeywords, longLine, startState);
                qint64 tokens = 0;
                while (scanner.nextToken() != HtmlScanner::End)
                    ++tokens;
                QVERIFY2(tokens > 0, "a long line gave no tokens");
                last = double(std::clock() - start) / CLOCKS_PER_SEC;
                t = std::min(t, last);
            }
            qInfo("%9d characters: %8.2f ms", int(longLine.size()), t * 1e3);
    #ifdef __OPTIMIZE__
            // Unoptimised and sanitizer builds run several times slower; the
            // growth below still tells linear from quadratic there.
            QVERIFY2(t < 1.0, qPrintable(QStringLiteral("%1 characters take a second or more").arg(longLine.size())));
    #endif
            // Below two milliseconds the ratio is dominated by noise.
            if (previous > 2e-3)
                QVERIFY2(t / previous < 24.0, qPrintable(QStringLiteral("grows %1-fold for an 8-fold line").arg(t / previous)));
            previous = t;
        }
    }
    void cuts_data() { addTableRows(QStringLiteral("highlight/line_cuts.txt")); }
    void cuts()
    {
        QFETCH(QStringList, fields);
        const QString line = fields.at(2);
        const int state = stateValue(fields.at(0));
        QList<int> expected;
        for (const QString &c : fields.at(3).split(u' ', Qt::SkipEmptyParts))
            expected << c.toInt();
        const QList<int> cuts = LineSplitter::breaks(line, state, fields.at(1).toInt());
        QCOMPARE(cuts, expected);
        compareWithWhole(line, state, cuts);
    }
    // Lines of markup, script, style sheets, PHP and template literals in
    // random pieces, from random states and limits.
    void randomLinesColourAsWhole()
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
            compareWithWhole(line, state, cuts);
            QVERIFY2(!QTest::currentTestFailed(), qPrintable(QStringLiteral("state %1, limit %2, %3 cuts in\n%4")
                                                                 .arg(state).arg(limit).arg(cuts.size()).arg(line)));
        }
        QVERIFY(cutsMade > 10000);  // the soup is cut, not left whole
    }
};

QTEST_GUILESS_MAIN(TestHtmlScanner)
#include "tst_htmlscanner.moc"
