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

class TestDocumentSearch : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScopedSettingsStore> store;
    std::unique_ptr<ScriptedPrompt> prompt;
    GlobalSettings settings;

private slots:
    void init()
    {
        store = std::make_unique<ScopedSettingsStore>();
        prompt = std::make_unique<ScriptedPrompt>();
        settings = GlobalSettings();
        settings.load();
    }
    void cleanup()
    {
        QVERIFY2(!prompt->unexpected, "a question was asked that the test did not expect");
        prompt.reset();
        store.reset();
    }

    void caseRule_data() { addTableRows("editor/caserule.txt", "f"); }
    void caseRule()
    {
        QFETCH(QStringList, f);
        settings.ignoreCase = quint8(f.at(0).toInt());
        QCOMPARE(DocumentSearch::ignoresCase(f.at(1), settings.ignoreCase), f.at(2) == QLatin1String("yes"));
        QCOMPARE(EditViewBase(&settings, nullptr).ignoresCase(f.at(1)), f.at(2) == QLatin1String("yes"));
    }

    void find_data() { addTableRows("editor/find.txt", "f"); }
    void find()
    {
        QFETCH(QStringList, f);
        QTextDocument doc(f.at(1));
        const DocumentSearch search(f.at(2), options(f.at(0)));
        const QTextCursor from = cursorAt(&doc, f.at(3).toInt(), f.at(4).toInt());
        const QTextCursor match = f.at(5) == QLatin1String("at")
            ? search.matchAt(from) : search.find(&doc, from, f.at(5) == QLatin1String("backward"));
        QCOMPARE(span(match), qMakePair(f.at(6).toInt(), f.at(7).toInt()));
    }

    void emptyMatchesMoveOn_data() { addTableRows("editor/emptymatches.txt", "f"); }
    void emptyMatchesMoveOn()
    {
        QFETCH(QStringList, f);
        QTextDocument document(f.at(0));
        const DocumentSearch search(f.at(1), options("regexp"));
        QTextCursor cursor(&document);
        QStringList seen;
        for (int step = 0; step < 20; ++step) {
            cursor = search.find(&document, cursor, false);
            if (cursor.isNull())
                break;
            seen.append(QString::number(cursor.selectionStart()));
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), f.at(2));
    }

    void farMatchesInLargeDocuments_data() { addTableRows("editor/farmatches.txt", "f"); }
    void farMatchesInLargeDocuments()
    {
        QFETCH(QStringList, f);
        QStringList lines;
        for (int i = 0; i < 5000; ++i)
            lines << QStringLiteral("row %1").arg(i);
        lines[500] = QStringLiteral("a target");
        lines[3000] = QStringLiteral("targets");
        lines[4000] = QStringLiteral("Target here");
        QTextDocument document(lines.join(QLatin1Char('\n')));
        const QTextCursor found = DocumentSearch(f.at(1), options(f.at(0)))
            .find(&document, QTextCursor(document.findBlockByNumber(f.at(3).toInt())), f.at(2) == QLatin1String("backward"));
        QCOMPARE(found.isNull() ? QString() : found.block().text(), f.at(4));
        if (!found.isNull())
            QCOMPARE(found.selectionStart() - found.block().position(), f.at(5).toInt());
    }

    void replaceAll_data() { addTableRows("editor/replace.txt", "f"); }
    void replaceAll()
    {
        QFETCH(QStringList, f);
        QTextDocument doc(f.at(1));
        QCOMPARE(DocumentSearch(f.at(2), options(f.at(0))).replaceAll(&doc, f.at(3)), f.at(5).toInt());
        QCOMPARE(doc.toPlainText(), f.at(4));
    }

    // Replace All is one undo step and leaves the cursor behind the last
    // replacement, or where it was when nothing matched; an invalid pattern
    // finds and replaces nothing, the same text as plain text does.
    void replaceAllUndoCursorAndInvalid()
    {
        const QString original = QStringLiteral("ab ab\nxx ab yy");
        QTextDocument document;
        document.setPlainText(original);
        QTextCursor last;
        QCOMPARE(DocumentSearch(QStringLiteral("ab"), options("plain")).replaceAll(&document, QStringLiteral("LONG"), &last), 3);
        QCOMPARE(document.toPlainText(), QStringLiteral("LONG LONG\nxx LONG yy"));
        QVERIFY(!last.hasSelection());
        QCOMPARE(last.position(), document.toPlainText().indexOf(QStringLiteral(" yy")));
        document.undo();
        QCOMPARE(document.toPlainText(), original);
        QVERIFY(!document.isUndoAvailable());
        document.redo();
        QCOMPARE(document.toPlainText(), QStringLiteral("LONG LONG\nxx LONG yy"));
        QTextCursor untouched = cursorAt(&document, 2);
        QCOMPARE(DocumentSearch(QStringLiteral("zz"), options("plain")).replaceAll(&document, QStringLiteral("y"), &untouched), 0);
        QCOMPARE(untouched.position(), 2);

        document.setPlainText(QStringLiteral("a(b"));
        const DocumentSearch broken(QStringLiteral("a(b"), options("regexp"));
        QVERIFY(!broken.isValid());
        QVERIFY(!broken.errorString().isEmpty());
        QVERIFY(broken.invalidMessage().contains(broken.errorString()));
        QVERIFY(broken.find(&document, QTextCursor(&document), false).isNull());
        QVERIFY(broken.matchAt(QTextCursor(&document)).isNull());
        QCOMPARE(broken.replaceAll(&document, QStringLiteral("x")), 0);
        QCOMPARE(document.toPlainText(), QStringLiteral("a(b"));
        const DocumentSearch literal(QStringLiteral("a(b"), options("plain"));
        QVERIFY(literal.isValid());
        QVERIFY(literal.errorString().isEmpty());
        QCOMPARE(span(literal.find(&document, QTextCursor(&document), false)), qMakePair(0, 3));
    }

    void loopModes_data() { addTableRows("editor/loop.txt", "f"); }
    void loopModes()
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

    // The view says the pattern is broken, not that nothing was found, and
    // says nothing when asked to be silent.
    void invalidRegExpIsReportedAsSuch()
    {
        settings.regexp = true;
        settings.findLoop = ConfirmLoop;
        EditViewBase view(&settings, nullptr);
        view.setPlainText(QStringLiteral("a[b"));
        view.setTextCursor(cursorAt(view.document(), 1));
        QSignalSpy messages(&view, &EditViewBase::showMessage);
        QVERIFY(!view.findWithLoop(QStringLiteral("[b"), false, false));
        QCOMPARE(prompt->asked.size(), 0);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first().toString(), DocumentSearch(QStringLiteral("[b"), options("regexp")).invalidMessage());
        const QString said = messages.first().first().toString();
        QVERIFY2(said.contains(QStringLiteral("[b")) && !said.contains(QStringLiteral("not found")), qPrintable(said));
        QCOMPARE(view.textCursor().position(), 1);
        messages.clear();
        QVERIFY(!view.findWithLoop(QStringLiteral("[b"), false, true));
        QCOMPARE(messages.size(), 0);
    }

    void viewMatchesAtCursorFollowsSettings_data() { addTableRows("editor/viewmatch.txt", "f"); }
    void viewMatchesAtCursorFollowsSettings()
    {
        QFETCH(QStringList, f);
        settings.regexp = options(f.at(0)).regexp;
        settings.ignoreCase = quint8(options(f.at(0)).caseMode);
        EditViewBase view(&settings, nullptr);
        view.setPlainText(QStringLiteral("abbc Abb"));
        view.setTextCursor(cursorAt(view.document(), f.at(1).toInt()));
        QCOMPARE(view.matchesAtCursor(f.at(2)), f.at(3) == QLatin1String("yes"));
        QCOMPARE(view.textCursor().position(), f.at(1).toInt());
        QVERIFY(!view.textCursor().hasSelection());
    }

    void scrollRule_data()
    {
        QTest::addColumn<int>("matchLine");  // from 1
        QTest::addColumn<int>("topLine");
        QTest::newRow("visible match stays") << 4 << 1;
        QTest::newRow("match below becomes the top line") << 150 << 150;
    }
    void scrollRule()
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

    void findPlainUsesItsOwnFlags()
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
};

QTEST_MAIN(TestDocumentSearch)
#include "tst_documentsearch.moc"
