#include "app/documentwatcher.h"
#include "app/mainwindow.h"
#include "app/messagebar.h"
#include "app/recoveryjournal.h"
#include "editor/documentfile.h"
#include "editor/virtualbreaks.h"
#include "testsupport.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>

#include <cstdio>

namespace {
const QByteArray fiveLines("one\ntwo\nthree and more\nfour\nfive\n");
const QByteArray otherLines("ONE\nTWO\nTHREE changed elsewhere\nFOUR\nFIVE\nSIX\n");
const QString changedKey = QLatin1String(DocumentWatcher::ChangedKey);

// Clicks the button of that text in the bar, as the user would.
bool click(MessageBar *bar, const QString &text)
{
    for (QPushButton *button : bar->findChildren<QPushButton *>())
        if (QString(button->text()).remove(QLatin1Char('&')) == text && button->isVisibleTo(bar)) {
            button->click();
            return true;
        }
    return false;
}
} // namespace

// Files of open documents changed by other programs: reloading, asking,
// deleted files, and the question before Save overwrites such a change.
class TestDocumentWatcher : public FixtureTest
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<EditViewBase *>(); }
    void init()
    {
        FixtureTest::init();
        view = makeView();
        bar = std::make_unique<MessageBar>();
        bar->setCurrentOwner(view.get());
        watcher = std::make_unique<DocumentWatcher>(nullptr);
        watcher->setSettleDelay(50);
        watcher->setMessageBar(bar.get());
        messages = std::make_unique<QSignalSpy>(view.get(), &EditViewBase::showMessage);
        path = dir->filePath(QStringLiteral("page.html"));
    }
    void cleanup()
    {
        messages.reset();
        watcher.reset();
        view.reset();
        bar.reset();
        FixtureTest::cleanup();
    }
    void unmodifiedDocumentReloads_data() { addTableRows("app/watcherreload.txt"); }
    // Our own save is no change on disk, and the watch survives the rename
    // it writes with; a change by another program reloads the document.
    void unmodifiedDocumentReloads()
    {
        QFETCH(QStringList, fields);
        const QString how = fields[0];
        open("the first version\n");
        QSignalSpy reloaded(watcher.get(), &DocumentWatcher::reloaded);
        view->insertPlainText(QString::fromLatin1(fiveLines));
        QVERIFY(writeDocument(view.get(), path));
        watcher->watch(view.get());
        QTest::qWait(200);
        QVERIFY(!watcher->changedOnDisk(view.get()));
        QCOMPARE(reloaded.size(), 0);
        QTextCursor cursor(view->document()->findBlockByNumber(2));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 4);
        view->setTextCursor(cursor);
        change(how, otherLines);
        QTRY_COMPARE_WITH_TIMEOUT(view->toPlainText(), QString::fromLatin1(otherLines), 5000);
        QCOMPARE(reloaded.size(), 1);
        QVERIFY(!view->document()->isModified());
        QCOMPARE(view->textCursor().blockNumber(), 2);
        QCOMPARE(view->textCursor().positionInBlock(), 4);
        QCOMPARE(messages->value(0).value(0).toString(),
                 QStringLiteral("'%1' was changed on disk and has been reloaded").arg(QDir::toNativeSeparators(path)));
        // Still watched after the change, however it was made: a shorter text
        // moves the cursor to the last line there is.
        change(QStringLiteral("in place"), "just one line");
        QTRY_COMPARE_WITH_TIMEOUT(view->toPlainText(), QStringLiteral("just one line"), 5000);
        QCOMPARE(view->textCursor().blockNumber(), 0);
        QCOMPARE(view->textCursor().positionInBlock(), 4);
        QCOMPARE(reloaded.size(), 2);
    }
    void deletedFile_data() { addTableRows("app/watcherdeleted.txt"); }
    void deletedFile()
    {
        QFETCH(QStringList, fields);
        const bool editWhileGone = fields[0] == "true";
        open(fiveLines);
        QVERIFY(QFile::remove(path));
        // Closing must now ask: the text exists only in the editor.
        QTRY_VERIFY_WITH_TIMEOUT(view->document()->isModified(), 5000);
        QCOMPARE(view->toPlainText(), QString::fromLatin1(fiveLines));
        QCOMPARE(bar->texts(view.get()), QStringList{QStringLiteral("'%1' was deleted on disk; Save writes it again")
                                                         .arg(QDir::toNativeSeparators(path))});
        QVERIFY(watcher->watchedDirectories().contains(dir->path()));
        if (editWhileGone)
            view->insertPlainText(QStringLiteral("kept "));
        const QString before = view->toPlainText();
        QVERIFY(writeFile(path, otherLines));
        if (editWhileGone) {
            QTRY_VERIFY_WITH_TIMEOUT(bar->has(view.get(), changedKey), 5000);
            QVERIFY(!bar->has(view.get(), QLatin1String(DocumentWatcher::DeletedKey)));
            QCOMPARE(view->toPlainText(), before);
            QVERIFY(view->document()->isModified());
        } else {
            // Only the deletion had marked it: nothing of the user's is lost.
            QTRY_COMPARE_WITH_TIMEOUT(view->toPlainText(), QString::fromLatin1(otherLines), 5000);
            QVERIFY(!view->document()->isModified());
            QVERIFY(bar->texts(view.get()).isEmpty());
        }
        QTRY_VERIFY_WITH_TIMEOUT(watcher->watchedFiles().contains(path), 5000);
    }
    void confirmOverwrite_data() { addTableRows("app/watcherconfirm.txt"); }
    void confirmOverwrite()
    {
        QFETCH(QStringList, fields);
        const QString disk = fields[0];
        open(fiveLines);
        view->insertPlainText(QStringLiteral("x"));
        // Asked directly, before the watcher's own look at the file.
        watcher->setSettleDelay(60000);
        if (disk == "deleted")
            QVERIFY(QFile::remove(path));
        else if (disk != "unchanged")
            change(disk, disk == "rename" ? fiveLines : otherLines);
        prompt->answers = standardButtons(fields[1]);
        QCOMPARE(watcher->confirmOverwrite(view.get()), fields[2] == "true");
        QCOMPARE(prompt->asked.size(), fields[1].isEmpty() ? 0 : 1);
        if (!prompt->asked.isEmpty())
            QCOMPARE(prompt->asked[0].text, QStringLiteral("'%1' has been changed on disk since it was read or saved.\n"
                                                           "Save and overwrite those changes?")
                                                .arg(QDir::toNativeSeparators(path)));
    }
    void inMainWindow_data() { addTableRows("app/watcherkeys.txt"); }
    // Through the main window: the question goes with the tab it belongs to
    // and is answered with Alt and the button's letter, or a click, while the
    // focus stays in the text; no key typed into the text answers it, and a
    // reload is one undo step.
    void inMainWindow()
    {
        QFETCH(QStringList, fields);
        const QString answer = fields[1];
        // Added to both versions of the file. Lines over 2,000 characters are
        // shown in pieces; the undo brings back the user's text with its pieces.
        const QByteArray longLine = fields[2] == "true"
            ? "<p>" + QByteArray(2500, 'x') + ";" + QByteArray(2500, 'y') + "</p>\n" : QByteArray();
        QVERIFY(writeFile(path, longLine + fiveLines));
        MainWindow window({path});
        window.documentWatcher()->setSettleDelay(50);
        RecoveryJournal *journal = window.recoveryJournal();
        EditView *doc = window.currentView();
        MessageBar *messageBar = window.messages();
        if (fields[3] == "true")
            messageBar->post(nullptr, QStringLiteral("other"), QStringLiteral("a message of the window"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        if (doc->globalSettings()->viEnabled)
            window.engine()->setMode(ViEngine::InsertMode);
        QCOMPARE(doc->virtualBreaks()->hasBreaks(), !longLine.isEmpty());
        doc->insertPlainText(QStringLiteral("mine "));
        const QString mine = doc->realText();
        const QString mineShown = doc->toPlainText();
        change(QStringLiteral("rename"), otherLines + longLine);
        QTRY_VERIFY_WITH_TIMEOUT(messageBar->has(doc, changedKey), 5000);
        const QString asked = messageBar->texts(doc).join(QString());
        QVERIFY2(asked.contains("page.html"), qPrintable(asked));
        // Its buttons take no focus: keys typed meanwhile go into the text.
        const auto buttons = messageBar->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), fields[3] == "true" ? 3 : 2);
        for (QPushButton *button : buttons)
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        window.on_action_New_triggered();
        QVERIFY(!click(messageBar, QStringLiteral("Reload")));
        window.tabs()->setCurrentWidget(doc);
        doc->setFocus();
        QTRY_VERIFY(doc->hasFocus());

        // Only the top message has keys: below another the question is
        // clicked, once its row is shown.
        QCoreApplication::processEvents();
        if (fields[0] == "click")
            QVERIFY(click(messageBar, answer));
        else
            QTest::keySequence(doc, QKeySequence(fields[0]));
        QTest::qWait(300);  // longer than a button's animated click
        QCOMPARE(messageBar->has(doc, changedKey), answer.isEmpty());
        QVERIFY(doc->hasFocus());
        if (answer.isEmpty()) {
            QVERIFY(doc->toPlainText() != mineShown);
            doc->document()->setModified(false);
            return;
        }
        const QString copy = journal->journalFile(doc);
        if (answer == "Reload") {
            // The recovery copy keeps my text until it is saved.
            QCOMPARE(doc->realText(), QString::fromLatin1(otherLines + longLine));
            QVERIFY(!doc->document()->isModified());
            QCOMPARE(doc->virtualBreaks()->hasBreaks(), !longLine.isEmpty());
            journal->waitForIdle();
            QString kept;
            QVERIFY(RecoveryJournal::readText(copy, &kept));
            QCOMPARE(kept, mine);
            doc->undo();
            QCOMPARE(doc->toPlainText(), mineShown);
        }
        QCOMPARE(doc->realText(), mine);
        QVERIFY(doc->document()->isModified());
        // The same change is not asked about twice, a new one is, and Save
        // asks before writing over it.
        window.documentWatcher()->checkAll();
        QVERIFY(!messageBar->has(doc, changedKey));
        change(QStringLiteral("in place"), "third version");
        QTRY_VERIFY_WITH_TIMEOUT(messageBar->has(doc, changedKey), 5000);
        prompt->answers << QMessageBox::Cancel << QMessageBox::Save;
        QVERIFY(!window.on_action_Save_triggered());
        QCOMPARE(readFile(path), QByteArray("third version"));
        QVERIFY(doc->document()->isModified());
        QVERIFY(window.tabs()->tabText(0).endsWith(QLatin1String(" *")));
        QVERIFY(window.on_action_Save_triggered());
        QCOMPARE(readFile(path), mine.toUtf8());
        QVERIFY(!doc->document()->isModified());
        journal->waitForIdle();
        QVERIFY(!QFileInfo::exists(copy));
        // Saved: the next Save has nothing to ask.
        doc->insertPlainText(QStringLiteral("again "));
        QVERIFY(window.on_action_Save_triggered());
        QCOMPARE(prompt->asked.size(), 2);
    }

private:
    void open(const QByteArray &bytes)
    {
        QVERIFY(writeFile(path, bytes));
        view->setFullPath(path);
        QVERIFY(readDocument(view.get(), path));
        watcher->watch(view.get());
        QVERIFY(watcher->watchedFiles().contains(path));
    }
    // The ways other programs write a file.
    void change(const QString &how, const QByteArray &bytes)
    {
        if (how == "in place") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
        } else if (how == "rename") {
            QVERIFY(writeFile(path + ".new", bytes));
            QCOMPARE(::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()), 0);
        } else {
            QVERIFY(QFile::remove(path) && writeFile(path, bytes));
        }
    }

    std::unique_ptr<EditView> view;
    std::unique_ptr<MessageBar> bar;
    std::unique_ptr<DocumentWatcher> watcher;
    std::unique_ptr<QSignalSpy> messages;
    QString path;
};

QTEST_MAIN(TestDocumentWatcher)
#include "tst_documentwatcher.moc"
