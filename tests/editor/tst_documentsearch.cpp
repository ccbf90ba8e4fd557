#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

namespace {

// "plain" or "regexp"; "ignore", "lower" (ignore if the text has no capital)
// or "sensitive"; "words".
DocumentSearch::Options options(const QString &words)
{
    const QStringList w = words.split(QLatin1Char(' '));
    DocumentSearch::Options o;
    o.regexp = w.contains(QLatin1String("regexp"));
    o.wholeWords = w.contains(QLatin1String("words"));
    o.caseMode = w.contains(QLatin1String("sensitive")) ? CaseSensitive
                 : w.contains(QLatin1String("lower"))   ? IgnoreCaseIfLower
                                                        : IgnoreCase;
    return o;
}

DocumentSearch::Options regexp()
{
    return options(QStringLiteral("regexp"));
}

QTextCursor cursorAt(QTextDocument *document, int position, int anchor = -1)
{
    QTextCursor cursor(document);
    cursor.setPosition(anchor < 0 ? position : anchor);
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
    void find_data();
    void find();
    void emptyMatchesMoveOn_data();
    void emptyMatchesMoveOn();
    void farMatchesInLargeDocuments_data();
    void farMatchesInLargeDocuments();
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

void TestDocumentSearch::find_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    for (const TestRow &r : readTestTable("editor/find.txt"))
        QTest::newRow(qPrintable(r.name)) << options(r.fields.at(0)) << r.fields.at(1) << r.fields.at(2)
                                          << r.fields.at(3).toInt() << r.fields.at(4).toInt() << r.fields.at(5)
                                          << r.fields.at(6).toInt() << r.fields.at(7).toInt();
}

void TestDocumentSearch::find()
{
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, document);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(int, anchor);
    QFETCH(QString, how);
    QFETCH(int, start);
    QFETCH(int, length);
    QTextDocument doc(document);
    const DocumentSearch search(text, options);
    const QTextCursor from = cursorAt(&doc, position, anchor);
    const QTextCursor match = how == QLatin1String("at")
        ? search.matchAt(from) : search.find(&doc, from, how == QLatin1String("backward"));
    QCOMPARE(span(match), qMakePair(start, length));
}

void TestDocumentSearch::emptyMatchesMoveOn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("starts");
    for (const TestRow &r : readTestTable("editor/emptymatches.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2);
}

void TestDocumentSearch::emptyMatchesMoveOn()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, starts);
    QTextDocument document(text);
    const DocumentSearch search(pattern, regexp());
    QTextCursor cursor(&document);
    QStringList seen;
    for (int step = 0; step < 20; ++step) {
        cursor = search.find(&document, cursor, false);
        if (cursor.isNull())
            break;
        seen.append(QString::number(cursor.selectionStart()));
    }
    QCOMPARE(seen.join(QLatin1Char(' ')), starts);
}

void TestDocumentSearch::farMatchesInLargeDocuments_data()
{
    QTest::addColumn<QStringList>("f");
    for (const TestRow &r : readTestTable("editor/farmatches.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields;
}

void TestDocumentSearch::farMatchesInLargeDocuments()
{
    QFETCH(QStringList, f);
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("row %1").arg(i);
    lines[500] = QStringLiteral("a target");
    lines[3000] = QStringLiteral("targets");
    lines[4000] = QStringLiteral("Target here");
    QTextDocument document(lines.join(QLatin1Char('\n')));
    const QTextCursor from(document.findBlockByNumber(f.at(3).toInt()));
    const QTextCursor found = DocumentSearch(f.at(1), options(f.at(0)))
                                  .find(&document, from, f.at(2) == QLatin1String("backward"));
    QCOMPARE(found.isNull() ? QString() : found.block().text(), f.at(4));
    if (!found.isNull())
        QCOMPARE(found.selectionStart() - found.block().position(), f.at(5).toInt());
}

void TestDocumentSearch::replaceAll_data()
{
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("count");
    for (const TestRow &r : readTestTable("editor/replace.txt"))
        QTest::newRow(qPrintable(r.name)) << options(r.fields.at(0)) << r.fields.at(1) << r.fields.at(2)
                                          << r.fields.at(3) << r.fields.at(4) << r.fields.at(5).toInt();
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
    QCOMPARE(DocumentSearch(QStringLiteral("two"), options("plain")).replaceAll(&document, QStringLiteral("2")), 4);
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
    QCOMPARE(DocumentSearch(QStringLiteral("ab"), options("plain")).replaceAll(&document, QStringLiteral("LONG"), &last), 3);
    QVERIFY(!last.hasSelection());
    QCOMPARE(last.position(), document.toPlainText().indexOf(QStringLiteral(" yy")));

    QTextCursor untouched(&document);
    untouched.setPosition(2);
    QTextCursor copy = untouched;
    QCOMPARE(DocumentSearch(QStringLiteral("zz"), options("plain")).replaceAll(&document, QStringLiteral("y"), &copy), 0);
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
    const DocumentSearch literal(QStringLiteral("a(b"), options("plain"));
    QVERIFY(literal.isValid());
    QVERIFY(literal.errorString().isEmpty());
    QCOMPARE(span(literal.find(&document, QTextCursor(&document), false)), qMakePair(0, 3));
}

void TestDocumentSearch::loopModes_data()
{
    QTest::addColumn<QStringList>("f");
    for (const TestRow &r : readTestTable("editor/loop.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields;
}

void TestDocumentSearch::loopModes()
{
    QFETCH(QStringList, f);
    const QString text = f.at(1);
    const auto yes = [&](int i) { return f.at(i) == QLatin1String("yes"); };
    settings.findLoop = f.at(0) == QLatin1String("no") ? NoLoop : f.at(0) == QLatin1String("confirm") ? ConfirmLoop : Loop;
    EditViewBase view(&settings, nullptr);
    view.setPlainText(QStringLiteral("cat dog\nbird cat"));
    view.setTextCursor(cursorAt(view.document(), f.at(2).toInt(), f.at(3).toInt()));
    if (!f.at(6).isEmpty())
        prompt->answers << (yes(6) ? QMessageBox::Yes : QMessageBox::No);
    QSignalSpy messages(&view, &EditViewBase::showMessage);

    QCOMPARE(view.findWithLoop(text, f.at(4) == QLatin1String("backward"), yes(5)), yes(7));
    QCOMPARE(view.textCursor().position(), f.at(8).toInt());
    QCOMPARE(view.textCursor().anchor(), f.at(9).toInt());
    QCOMPARE(prompt->asked.size(), f.at(10).toInt());
    if (!prompt->asked.isEmpty()) {
        QCOMPARE(prompt->asked.first().title, QStringLiteral("Find Loop"));
        QCOMPARE(prompt->asked.first().text,
                 QStringLiteral("reached begin/end of document.\nsearch again from end/begin ?"));
    }
    QCOMPARE(messages.size(), yes(11) ? 1 : 0);
    if (yes(11))
        QCOMPARE(messages.first().first().toString(), QStringLiteral("'%1' not found.").arg(text));
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
