#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "testsupport.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

namespace {

DocumentSearch::Options plain(quint8 caseMode = IgnoreCase, bool wholeWords = false)
{
    DocumentSearch::Options options;
    options.caseMode = caseMode;
    options.wholeWords = wholeWords;
    return options;
}

DocumentSearch::Options regexp(quint8 caseMode = IgnoreCase)
{
    DocumentSearch::Options options;
    options.regexp = true;
    options.caseMode = caseMode;
    return options;
}

QTextCursor cursorAt(QTextDocument *document, int position, int anchor = -1)
{
    QTextCursor cursor(document);
    cursor.setPosition(anchor < 0 ? position : anchor);
    if (anchor >= 0)
        cursor.setPosition(position, QTextCursor::KeepAnchor);
    return cursor;
}

// Start and length of a found cursor, or (-1, 0) for none.
QPair<int, int> span(const QTextCursor &cursor)
{
    if (cursor.isNull())
        return {-1, 0};
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

} // namespace

Q_DECLARE_METATYPE(DocumentSearch::Options)

class TestDocumentSearch : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        store = new ScopedSettingsStore;
        prompt = new ScriptedPrompt;
        settings = GlobalSettings();
        settings.load();
    }
    void cleanup()
    {
        QVERIFY2(!prompt->unexpected, "a question was asked that the test did not expect");
        delete prompt;
        delete store;
    }

    // The document-level search.
    void caseRule_data();
    void caseRule();
    void caseModesPlainAndRegExp_data();
    void caseModesPlainAndRegExp();
    void wholeWords_data();
    void wholeWords();
    void stepsForwardAndBackward_data();
    void stepsForwardAndBackward();
    void emptyMatchesMoveOn_data();
    void emptyMatchesMoveOn();
    void farMatchesInLargeDocuments_data();
    void farMatchesInLargeDocuments();
    void matchAtCursor_data();
    void matchAtCursor();
    void replaceAll_data();
    void replaceAll();
    void replaceAllIsOneUndoStep();
    void replaceAllEndsAfterLastReplacement();
    void invalidRegExp();

    // The view's steps.
    void loopModes_data();
    void loopModes();
    void invalidRegExpIsReportedAsSuch();
    void viewMatchesAtCursorFollowsSettings_data();
    void viewMatchesAtCursorFollowsSettings();
    void scrollRule_data();
    void scrollRule();
    void findPlainUsesItsOwnFlags();

private:
    ScopedSettingsStore *store = nullptr;
    ScriptedPrompt *prompt = nullptr;
    GlobalSettings settings;
};

void TestDocumentSearch::caseRule_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ignores");

    QTest::newRow("ignore, capital") << 0 << "Foo" << true;
    QTest::newRow("sensitive, lower") << 2 << "foo" << false;
    QTest::newRow("if lower, lower") << 1 << "foo bar" << true;
    QTest::newRow("if lower, one capital") << 1 << "fooBar" << false;
    QTest::newRow("if lower, digits and marks") << 1 << "12-3 <p>" << true;
    QTest::newRow("if lower, accented capital") << 1 << QStringLiteral("caf\u00c9") << false;
    QTest::newRow("if lower, kana has no case") << 1 << QStringLiteral("\u3042\u3044") << true;
    QTest::newRow("unknown mode acts as if lower") << 7 << "Foo" << false;
    QTest::newRow("unknown mode, lower") << 7 << "foo" << true;
}

void TestDocumentSearch::caseRule()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(bool, ignores);
    QCOMPARE(DocumentSearch::ignoresCase(text, quint8(mode)), ignores);
    settings.ignoreCase = quint8(mode);
    EditViewBase view(&settings, nullptr);
    QCOMPARE(view.ignoresCase(text), ignores);
}

void TestDocumentSearch::caseModesPlainAndRegExp_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");

    // Document: "alpha BETA beta Beta"; BETA at 6, beta at 11, Beta at 16.
    QTest::newRow("plain ignore") << plain(0) << "beta" << 6;
    QTest::newRow("plain ignore, capital text") << plain(0) << "Beta" << 6;
    QTest::newRow("plain sensitive") << plain(2) << "beta" << 11;
    QTest::newRow("plain sensitive capital") << plain(2) << "Beta" << 16;
    QTest::newRow("plain if-lower, lower text") << plain(1) << "beta" << 6;
    QTest::newRow("plain if-lower, capital text") << plain(1) << "Beta" << 16;
    QTest::newRow("plain sensitive, absent") << plain(2) << "bETA" << -1;
    QTest::newRow("regexp ignore") << regexp(0) << "b[a-z]+a" << 6;
    QTest::newRow("regexp sensitive") << regexp(2) << "b[a-z]+a" << 11;
    QTest::newRow("regexp if-lower, lower") << regexp(1) << "b.ta" << 6;
    QTest::newRow("regexp if-lower, capital") << regexp(1) << "B[a-z]+" << 16;
    QTest::newRow("regexp sensitive, absent") << regexp(2) << "BeTa" << -1;
}

void TestDocumentSearch::caseModesPlainAndRegExp()
{
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, text);
    QFETCH(int, found);
    QTextDocument document(QStringLiteral("alpha BETA beta Beta"));
    const QTextCursor match = DocumentSearch(text, options).find(&document, QTextCursor(&document), false);
    QCOMPARE(span(match).first, found);
    if (found >= 0)
        QCOMPARE(match.selectedText().toLower(), QStringLiteral("beta"));
}

void TestDocumentSearch::wholeWords_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");

    QTest::newRow("part of a word skipped") << plain(0, true) << "foobar barfoo foo" << "foo" << 14;
    QTest::newRow("without the option") << plain(0, false) << "foobar barfoo foo" << "foo" << 0;
    QTest::newRow("digit joins the word") << plain(0, true) << "foo1 foo" << "foo" << 5;
    QTest::newRow("punctuation ends it") << plain(0, true) << "<foo>" << "foo" << 1;
    QTest::newRow("japanese letters are letters")
            << plain(0, true) << QStringLiteral("\u65e5\u672c \u672c") << QStringLiteral("\u672c") << 3;
    QTest::newRow("word on the next line")
            << plain(0, true) << "foobar\nfoo" << "foo" << 7;
    QTest::newRow("no whole word at all") << plain(0, true) << "foobar" << "foo" << -1;
    DocumentSearch::Options rx = regexp();
    rx.wholeWords = true;
    QTest::newRow("regexp ignores the option") << rx << "foobar foo" << "fo+" << 0;
}

void TestDocumentSearch::wholeWords()
{
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, document);
    QFETCH(QString, text);
    QFETCH(int, found);
    QTextDocument doc(document);
    QCOMPARE(span(DocumentSearch(text, options).find(&doc, QTextCursor(&doc), false)).first, found);
}

void TestDocumentSearch::stepsForwardAndBackward_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<int>("found");
    QTest::addColumn<int>("length");

    // Document: "ab ab\nab" (ab at 0, 3 and 6).
    QTest::newRow("forward from inside") << plain() << "ab" << 1 << -1 << false << 3 << 2;
    QTest::newRow("forward at a match") << plain() << "ab" << 3 << -1 << false << 3 << 2;
    QTest::newRow("forward steps over selection") << plain() << "ab" << 5 << 3 << false << 6 << 2;
    QTest::newRow("forward past the last") << plain() << "ab" << 7 << -1 << false << -1 << 0;
    QTest::newRow("backward from the end") << plain() << "ab" << 8 << -1 << true << 6 << 2;
    QTest::newRow("backward steps over selection") << plain() << "ab" << 5 << 3 << true << 0 << 2;
    QTest::newRow("backward over a line end") << plain() << "ab" << 6 << -1 << true << 3 << 2;
    QTest::newRow("backward from the start") << plain() << "ab" << 0 << -1 << true << -1 << 0;
    QTest::newRow("regexp forward") << regexp() << "a+b" << 1 << -1 << false << 3 << 2;
    QTest::newRow("regexp backward") << regexp() << "a+b" << 8 << -1 << true << 6 << 2;
    QTest::newRow("regexp backward over selection") << regexp() << "a+b" << 8 << 6 << true << 3 << 2;
    QTest::newRow("regexp backward, line start") << regexp() << "^a" << 6 << -1 << true << 0 << 1;
    QTest::newRow("regexp does not cross lines") << regexp() << "b.a" << 4 << -1 << false << -1 << 0;
}

void TestDocumentSearch::stepsForwardAndBackward()
{
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(int, anchor);
    QFETCH(bool, backward);
    QFETCH(int, found);
    QFETCH(int, length);
    QTextDocument document(QStringLiteral("ab ab\nab"));
    const QTextCursor match = DocumentSearch(text, options)
            .find(&document, cursorAt(&document, position, anchor), backward);
    QCOMPARE(span(match), qMakePair(found, length));
}

void TestDocumentSearch::emptyMatchesMoveOn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QList<int>>("starts");

    // Repeating the step walks on and ends.
    const QString text = QStringLiteral("ab\ncd");
    QTest::newRow("x*") << text << "x*" << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("line starts") << text << "^" << QList<int>{3};
    QTest::newRow("line ends") << text << "$" << QList<int>{2, 5};
    QTest::newRow("word boundaries") << text << "\\b" << QList<int>{2, 3, 5};
    // The empty line behind the final line end is no line of the file.
    const QString ended = QStringLiteral("ab\ncd\n");
    QTest::newRow("x*, final line end") << ended << "x*" << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("line starts, final line end") << ended << "^" << QList<int>{3};
    QTest::newRow("line ends, final line end") << ended << "$" << QList<int>{2, 5};
    QTest::newRow("empty line, final line end") << QStringLiteral("ab\n\n") << "^$" << QList<int>{3};
}

void TestDocumentSearch::emptyMatchesMoveOn()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QList<int>, starts);
    QTextDocument document(text);
    const DocumentSearch search(pattern, regexp());
    QTextCursor cursor(&document);
    QList<int> seen;
    for (int step = 0; step < 20; ++step) {
        const QTextCursor found = search.find(&document, cursor, false);
        if (found.isNull())
            break;
        seen.append(found.selectionStart());
        cursor = found;
    }
    QCOMPARE(seen, starts);
}

void TestDocumentSearch::farMatchesInLargeDocuments_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<int>("fromLine");      // cursor at the start of this line
    QTest::addColumn<QString>("expected");  // the line text found there, empty: none
    QTest::addColumn<int>("column");

    // Lines "row N"; far away lie "Target here" (line 4000), "targets" (line
    // 3000) and "a target" (line 500). Most rows search further than the
    // first couple of thousand lines.
    QTest::newRow("plain forward") << plain() << "target here" << false << 10 << "Target here" << 0;
    QTest::newRow("plain forward, case kept") << plain(2) << "Targets" << false << 1000 << "" << 0;
    QTest::newRow("plain forward, whole words") << plain(0, true) << "target" << false << 1000
                                                << "Target here" << 0;
    QTest::newRow("plain forward, part of a word") << plain() << "target" << false << 1000 << "targets" << 0;
    QTest::newRow("plain backward") << plain() << "a target" << true << 4999 << "a target" << 0;
    QTest::newRow("plain backward, whole words") << plain(0, true) << "target" << true << 3500
                                                 << "a target" << 2;
    QTest::newRow("regexp forward") << regexp() << "^t\\w+s$" << false << 10 << "targets" << 0;
    QTest::newRow("regexp forward, line end") << regexp() << "e$" << false << 3001 << "Target here" << 10;
    QTest::newRow("regexp backward") << regexp() << "t.rget" << true << 4999 << "Target here" << 0;
    QTest::newRow("regexp backward, line start") << regexp() << "^a " << true << 4999 << "a target" << 0;
    QTest::newRow("regexp stays in its line") << regexp() << "here.row" << false << 10 << "" << 0;
    QTest::newRow("regexp nothing") << regexp() << "nowhere" << true << 4999 << "" << 0;
}

void TestDocumentSearch::farMatchesInLargeDocuments()
{
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, text);
    QFETCH(bool, backward);
    QFETCH(int, fromLine);
    QFETCH(QString, expected);
    QFETCH(int, column);
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("row %1").arg(i);
    lines[500] = QStringLiteral("a target");
    lines[3000] = QStringLiteral("targets");
    lines[4000] = QStringLiteral("Target here");
    QTextDocument document(lines.join(QLatin1Char('\n')));
    const QTextCursor from(document.findBlockByNumber(fromLine));
    const QTextCursor found = DocumentSearch(text, options).find(&document, from, backward);
    if (expected.isEmpty()) {
        QVERIFY(found.isNull());
        return;
    }
    QVERIFY(!found.isNull());
    QCOMPARE(found.block().text(), expected);
    QCOMPARE(found.selectionStart() - found.block().position(), column);
}

void TestDocumentSearch::matchAtCursor_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("start");  // -1: no match
    QTest::addColumn<int>("length");

    QTest::newRow("regexp before bbc") << regexp() << "abbc" << "b+" << 1 << -1 << 1 << 2;
    QTest::newRow("regexp before abb") << regexp() << "abb" << "b+" << 0 << -1 << -1 << 0;
    QTest::newRow("regexp takes its own length") << regexp() << "aaab" << "a+" << 0 << -1 << 0 << 3;
    QTest::newRow("regexp alternatives both anchored") << regexp() << "xab" << "a|b" << 0 << -1 << -1 << 0;
    QTest::newRow("regexp caret only at line start") << regexp() << "abb" << "^b" << 1 << -1 << -1 << 0;
    QTest::newRow("regexp caret at line start") << regexp() << "x\nbb" << "^b" << 2 << -1 << 2 << 1;
    QTest::newRow("regexp sees the text before") << regexp() << "xfoo" << "\\bfoo" << 1 << -1 << -1 << 0;
    QTest::newRow("regexp within the selection") << regexp() << "bbbb" << "b+" << 2 << 0 << 0 << 2;
    QTest::newRow("regexp case rule") << regexp(2) << "Bb" << "b" << 0 << -1 << -1 << 0;
    QTest::newRow("plain at cursor") << plain() << "xfoo" << "foo" << 1 << -1 << 1 << 3;
    QTest::newRow("plain not at cursor") << plain() << "xfoo" << "foo" << 0 << -1 << -1 << 0;
    QTest::newRow("plain ignores case when asked") << plain(0) << "FOO" << "foo" << 0 << -1 << 0 << 3;
    QTest::newRow("plain keeps case when asked") << plain(2) << "FOO" << "foo" << 0 << -1 << -1 << 0;
    QTest::newRow("plain whole words") << plain(0, true) << "foobar" << "foo" << 0 << -1 << -1 << 0;
    QTest::newRow("plain whole word at line end") << plain(0, true) << "a foo\nb" << "foo" << 2 << -1 << 2 << 3;
    QTest::newRow("selection begins with text") << plain() << "foobar" << "foo" << 6 << 0 << 0 << 6;
    QTest::newRow("selection shorter than text") << plain() << "foobar" << "foo" << 2 << 0 << -1 << 0;
    QTest::newRow("selection elsewhere") << plain() << "barfoo" << "foo" << 3 << 0 << -1 << 0;
    QTest::newRow("rest of line too short") << plain() << "fo\no" << "foo" << 0 << -1 << -1 << 0;
}

void TestDocumentSearch::matchAtCursor()
{
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, document);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(int, anchor);
    QFETCH(int, start);
    QFETCH(int, length);
    QTextDocument doc(document);
    const QTextCursor match = DocumentSearch(text, options).matchAt(cursorAt(&doc, position, anchor));
    QCOMPARE(span(match), qMakePair(start, length));
}

void TestDocumentSearch::replaceAll_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("count");

    QTest::newRow("match at the document start")
            << plain() << "foo x foo" << "foo" << "bar" << "bar x bar" << 2;
    QTest::newRow("empty replacement deletes")
            << plain() << "a-b-c-" << "-" << "" << "abc" << 3;
    QTest::newRow("replacement contains the text")
            << plain() << "aXa" << "a" << "aa" << "aaXaa" << 2;
    QTest::newRow("adjacent matches") << plain() << "aaaa" << "aa" << "b" << "bb" << 2;
    QTest::newRow("over several lines")
            << plain() << "ab\nab\n\nab" << "ab" << "c" << "c\nc\n\nc" << 3;
    QTest::newRow("case ignored") << plain(0) << "Foo foo FOO" << "foo" << "x" << "x x x" << 3;
    QTest::newRow("case kept") << plain(2) << "Foo foo FOO" << "foo" << "x" << "Foo x FOO" << 1;
    QTest::newRow("whole words, first at start")
            << plain(0, true) << "foobar foo" << "foo" << "x" << "foobar x" << 1;
    QTest::newRow("replacement with line break")
            << plain() << "a,b,c" << "," << "\n" << "a\nb\nc" << 2;
    QTest::newRow("line break and the text again")
            << plain() << "a,a" << "a" << "a\na" << "a\na,a\na" << 2;
    QTest::newRow("nothing to replace") << plain() << "abc" << "x" << "y" << "abc" << 0;
    QTest::newRow("regexp takes whole matches")
            << regexp() << "aaab aab" << "a+" << "X" << "Xb Xb" << 2;
    QTest::newRow("regexp empty matches everywhere")
            << regexp() << "ab" << "x*" << "-" << "-a-b-" << 3;
    QTest::newRow("regexp empty beside a real match")
            << regexp() << "baac" << "a*" << "-" << "-b--c-" << 4;
    QTest::newRow("regexp line starts") << regexp() << "a\nb" << "^" << "> " << "> a\n> b" << 2;
    QTest::newRow("regexp line starts, final line end")
            << regexp() << "a\nb\n" << "^" << "> " << "> a\n> b\n" << 2;
    QTest::newRow("regexp empty matches, final line end")
            << regexp() << "a\n" << "x*" << "-" << "-a-\n" << 2;
    QTest::newRow("regexp word boundaries")
            << regexp() << "ab cd" << "\\b" << "|" << "|ab| |cd|" << 4;
    QTest::newRow("regexp empty line") << regexp() << "a\n\nb" << "^$" << "-" << "a\n-\nb" << 1;
    QTest::newRow("regexp back-references")
            << regexp() << "ab cd" << "(\\w)(\\w)" << "\\2\\1" << "ba dc" << 2;
    QTest::newRow("regexp whole match, backslash, missing group")
            << regexp() << "ab" << "(a)" << "[\\0\\\\1\\5$1\\n]" << "[a\\1$1\\n]b" << 1;
    QTest::newRow("plain replacement is literal")
            << plain() << "ab" << "a" << "\\1" << "\\1b" << 1;
}

void TestDocumentSearch::replaceAll()
{
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, document);
    QFETCH(QString, text);
    QFETCH(QString, replacement);
    QFETCH(QString, result);
    QFETCH(int, count);
    QTextDocument doc(document);
    QCOMPARE(DocumentSearch(text, options).replaceAll(&doc, replacement), count);
    QCOMPARE(doc.toPlainText(), result);
}

void TestDocumentSearch::replaceAllIsOneUndoStep()
{
    const QString original = QStringLiteral("one two\ntwo three two\n\ntwo");
    QTextDocument document;
    document.setPlainText(original);
    QCOMPARE(DocumentSearch(QStringLiteral("two"), plain()).replaceAll(&document, QStringLiteral("2")), 4);
    QCOMPARE(document.toPlainText(), QStringLiteral("one 2\n2 three 2\n\n2"));
    document.undo();
    QCOMPARE(document.toPlainText(), original);
    QVERIFY(!document.isUndoAvailable());
    document.redo();
    QCOMPARE(document.toPlainText(), QStringLiteral("one 2\n2 three 2\n\n2"));
}

void TestDocumentSearch::replaceAllEndsAfterLastReplacement()
{
    QTextDocument document(QStringLiteral("ab ab\nxx ab yy"));
    QTextCursor last;
    QCOMPARE(DocumentSearch(QStringLiteral("ab"), plain()).replaceAll(&document, QStringLiteral("LONG"), &last), 3);
    QVERIFY(!last.hasSelection());
    QCOMPARE(last.position(), document.toPlainText().indexOf(QStringLiteral(" yy")));

    QTextCursor untouched(&document);
    untouched.setPosition(2);
    QTextCursor copy = untouched;
    QCOMPARE(DocumentSearch(QStringLiteral("zz"), plain()).replaceAll(&document, QStringLiteral("y"), &copy), 0);
    QCOMPARE(copy.position(), 2);
}

void TestDocumentSearch::invalidRegExp()
{
    QTextDocument document(QStringLiteral("a(b"));
    const DocumentSearch broken(QStringLiteral("a(b"), regexp());
    QVERIFY(!broken.isValid());
    QVERIFY(!broken.errorString().isEmpty());
    QVERIFY(broken.invalidMessage().contains(broken.errorString()));
    QVERIFY(broken.find(&document, QTextCursor(&document), false).isNull());
    QVERIFY(broken.matchAt(QTextCursor(&document)).isNull());
    QCOMPARE(broken.replaceAll(&document, QStringLiteral("x")), 0);
    QCOMPARE(document.toPlainText(), QStringLiteral("a(b"));

    // The same text is fine as plain text.
    const DocumentSearch literal(QStringLiteral("a(b"), plain());
    QVERIFY(literal.isValid());
    QVERIFY(literal.errorString().isEmpty());
    QCOMPARE(span(literal.find(&document, QTextCursor(&document), false)), qMakePair(0, 3));
}

void TestDocumentSearch::loopModes_data()
{
    QTest::addColumn<int>("loop");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("endPosition");  // cursor position afterwards
    QTest::addColumn<int>("endAnchor");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("notFoundMessage");

    using Answers = QList<QMessageBox::StandardButton>;
    // Document: "cat dog\nbird cat" (cat at 0 and 13, dog at 4).
    QTest::newRow("found without wrapping")
            << int(NoLoop) << "cat" << 2 << -1 << false << false << Answers{} << true << 16 << 13 << 0 << false;
    QTest::newRow("no loop reports")
            << int(NoLoop) << "dog" << 9 << -1 << false << false << Answers{} << false << 9 << 9 << 0 << true;
    QTest::newRow("confirm, yes wraps")
            << int(ConfirmLoop) << "dog" << 9 << -1 << false << false << Answers{QMessageBox::Yes}
            << true << 7 << 4 << 1 << false;
    QTest::newRow("confirm, no leaves all as it was")
            << int(ConfirmLoop) << "dog" << 14 << 9 << false << false << Answers{QMessageBox::No}
            << false << 14 << 9 << 1 << false;
    QTest::newRow("loop wraps without asking")
            << int(Loop) << "dog" << 9 << -1 << false << false << Answers{} << true << 7 << 4 << 0 << false;
    QTest::newRow("loop backwards wraps to the end")
            << int(Loop) << "bird" << 3 << -1 << true << false << Answers{} << true << 12 << 8 << 0 << false;
    QTest::newRow("backwards from a selection at the start reports at once")
            << int(Loop) << "cat" << 0 << 3 << true << false << Answers{} << false << 0 << 3 << 0 << true;
    QTest::newRow("only match is the start point")
            << int(Loop) << "dog" << 7 << 4 << false << false << Answers{} << true << 7 << 4 << 0 << false;
    QTest::newRow("confirm at the document end reports at once")
            << int(ConfirmLoop) << "dog" << 16 << -1 << false << false << Answers{} << false << 16 << 16 << 0 << true;
    QTest::newRow("loop at the document start reports at once")
            << int(Loop) << "dog" << 0 << -1 << true << false << Answers{} << false << 0 << 0 << 0 << true;
    QTest::newRow("failed wrap restores the selection")
            << int(Loop) << "fish" << 6 << 4 << false << false << Answers{} << false << 6 << 4 << 0 << true;
    QTest::newRow("confirm then nothing restores")
            << int(ConfirmLoop) << "fish" << 6 << 4 << true << false << Answers{QMessageBox::Yes}
            << false << 6 << 4 << 1 << true;
    QTest::newRow("silent does nothing more")
            << int(ConfirmLoop) << "dog" << 9 << 8 << false << true << Answers{} << false << 9 << 8 << 0 << false;
}

void TestDocumentSearch::loopModes()
{
    QFETCH(int, loop);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(int, anchor);
    QFETCH(bool, backward);
    QFETCH(bool, silent);
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(bool, found);
    QFETCH(int, endPosition);
    QFETCH(int, endAnchor);
    QFETCH(int, questions);
    QFETCH(bool, notFoundMessage);

    settings.findLoop = quint8(loop);
    EditViewBase view(&settings, nullptr);
    view.setPlainText(QStringLiteral("cat dog\nbird cat"));
    view.setTextCursor(cursorAt(view.document(), position, anchor));
    prompt->answers = answers;
    QSignalSpy messages(&view, &EditViewBase::showMessage);

    QCOMPARE(view.findWithLoop(text, backward, silent), found);
    QCOMPARE(view.textCursor().position(), endPosition);
    QCOMPARE(view.textCursor().anchor(), endAnchor);
    QCOMPARE(prompt->asked.size(), questions);
    if (questions > 0) {
        QCOMPARE(prompt->asked.first().title, QStringLiteral("Find Loop"));
        QCOMPARE(prompt->asked.first().text,
                 QStringLiteral("reached begin/end of document.\nsearch again from end/begin ?"));
    }
    if (notFoundMessage) {
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first().toString(), QStringLiteral("'%1' not found.").arg(text));
    } else {
        QCOMPARE(messages.size(), 0);
    }
}

void TestDocumentSearch::invalidRegExpIsReportedAsSuch()
{
    settings.regexp = true;
    settings.findLoop = ConfirmLoop;
    EditViewBase view(&settings, nullptr);
    view.setPlainText(QStringLiteral("a[b"));
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(1);
    view.setTextCursor(cursor);
    QSignalSpy messages(&view, &EditViewBase::showMessage);

    QVERIFY(!view.findWithLoop(QStringLiteral("[b"), false, false));
    QCOMPARE(prompt->asked.size(), 0);
    QCOMPARE(messages.size(), 1);
    const QString message = messages.first().first().toString();
    QVERIFY2(message.contains(QStringLiteral("[b")) && !message.contains(QStringLiteral("not found")),
             qPrintable(message));
    QCOMPARE(message, DocumentSearch(QStringLiteral("[b"), regexp()).invalidMessage());
    QCOMPARE(view.textCursor().position(), 1);

    messages.clear();
    QVERIFY(!view.findWithLoop(QStringLiteral("[b"), false, true));
    QCOMPARE(messages.size(), 0);
}

void TestDocumentSearch::viewMatchesAtCursorFollowsSettings_data()
{
    QTest::addColumn<bool>("regexp");
    QTest::addColumn<int>("caseMode");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");

    // Document: "abbc Abb". What a match is, is matchAtCursor's business;
    // these rows check that the view passes on the regexp and case settings.
    QTest::newRow("letters b before bbc") << true << 0 << 1 << "b+" << true;
    QTest::newRow("plain b+ is literal") << false << 0 << 1 << "b+" << false;
    QTest::newRow("regexp case sensitive") << true << 2 << 5 << "abb" << false;
    QTest::newRow("regexp case ignored") << true << 0 << 5 << "abb" << true;
    QTest::newRow("plain case sensitive") << false << 2 << 5 << "abb" << false;
    QTest::newRow("plain case ignored") << false << 0 << 5 << "abb" << true;
}

void TestDocumentSearch::viewMatchesAtCursorFollowsSettings()
{
    QFETCH(bool, regexp);
    QFETCH(int, caseMode);
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    settings.regexp = regexp;
    settings.ignoreCase = quint8(caseMode);
    EditViewBase view(&settings, nullptr);
    view.setPlainText(QStringLiteral("abbc Abb"));
    view.setTextCursor(cursorAt(view.document(), position));
    QCOMPARE(view.matchesAtCursor(text), matches);
    QCOMPARE(view.textCursor().position(), position);
    QVERIFY(!view.textCursor().hasSelection());
}

void TestDocumentSearch::scrollRule_data()
{
    QTest::addColumn<int>("matchLine");  // from 1
    QTest::addColumn<int>("topLine");

    QTest::newRow("visible match stays") << 4 << 1;
    QTest::newRow("match below becomes the top line") << 150 << 150;
}

void TestDocumentSearch::scrollRule()
{
    QFETCH(int, matchLine);
    QFETCH(int, topLine);
    EditViewBase view(&settings, nullptr);
    QStringList lines;
    for (int i = 1; i <= 300; ++i)
        lines << (i == matchLine ? QStringLiteral("needle") : QStringLiteral("hay %1").arg(i));
    view.setPlainText(lines.join(QLatin1Char('\n')));
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.topLine(), 1);
    QVERIFY(view.findOnce(QStringLiteral("needle"), false));
    QCOMPARE(view.textCursor().blockNumber() + 1, matchLine);
    QCOMPARE(view.topLine(), topLine);
}

void TestDocumentSearch::findPlainUsesItsOwnFlags()
{
    settings.ignoreCase = CaseSensitive;
    settings.wordSearch = true;
    EditViewBase view(&settings, nullptr);
    view.setPlainText(QStringLiteral("xx FOOBAR foo"));
    QVERIFY(view.findPlain(QStringLiteral("foo"), {}));
    QCOMPARE(span(view.textCursor()), qMakePair(3, 3));
    QVERIFY(view.findPlain(QStringLiteral("foo"), QTextDocument::FindWholeWords));
    QCOMPARE(span(view.textCursor()), qMakePair(10, 3));
    QVERIFY(!view.findPlain(QStringLiteral("foo"), {}));
    QCOMPARE(span(view.textCursor()), qMakePair(10, 3));
}

QTEST_MAIN(TestDocumentSearch)
#include "tst_documentsearch.moc"
