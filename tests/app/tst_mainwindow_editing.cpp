#include "app/mainwindow.h"
#include "editor/commandstatistics.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

void placeCursor(EditView *view, int position, int anchor = -1)
{
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(anchor < 0 ? position : anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
}

} // namespace

class TestMainWindowEditing : public MainWindowTest
{
    Q_OBJECT
private slots:
    void menuActions_data() { addTableRows("app/menuactions.txt"); }
    void menuActions()
    {
        QFETCH(QStringList, fields);
        MainWindow w({});
        EditView *view = w.currentView();
        setCursorMarked(*view, fields.at(1));
        w.findChild<QAction *>(fields.at(0))->trigger();
        QCOMPARE(cursorMarked(*view), fields.at(2));
        QCOMPARE(commandCount(QStringLiteral("Action.gotoMatchParen")), fields.at(3).toInt());
        // Menu commands are not key presses.
        QCOMPARE(commandCount(QStringLiteral("Edit.openLineAbove")), 0);
        QCOMPARE(commandCount(QStringLiteral("Edit.openLineBelow")), 0);
    }
    // With every tab closed the commands are counted but touch nothing, and
    // Find and Replace opens no dialog.
    void commandsWithoutView()
    {
        MainWindow w({});
        w.globalSettings()->findStrings = QStringList{"x"};
        w.on_action_Close_triggered();
        QVERIFY(!w.currentView());
        for (const char *name : {"actionOpenLine_Above", "actionOpenLine_Below", "action_MatchedParen"}) {
            auto *a = w.findChild<QAction *>(QLatin1String(name));
            QVERIFY(a);
            a->trigger();
        }
        w.on_action_FindNext_triggered();
        w.on_action_FindPrev_triggered();
        w.on_action_FindWord_triggered();
        bool opened = false;
        QTimer::singleShot(0, &w, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = true;
                modal->close();
            }
        });
        w.on_action_Find_Replace_triggered();
        QCoreApplication::processEvents();
        QVERIFY(!opened);
        QCOMPARE(commandCount(QStringLiteral("Action.gotoMatchParen")), 0);
        QCOMPARE(commandCount(QStringLiteral("Action.findNext")), 1);
        QCOMPARE(commandCount(QStringLiteral("Action.findPrev")), 1);
        QCOMPARE(commandCount(QStringLiteral("Action.findWordAtCursor")), 1);
        QCOMPARE(w.globalSettings()->findStrings, QStringList{"x"});
        QVERIFY(!w.globalSettings()->wordSearch);
        QCOMPARE(w.tabs()->count(), 0);
    }
    void shortcutOpensOneLine_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("after");

        QTest::newRow("Shift+Return") << int(Qt::ShiftModifier) << "x\n|\n  a";
        QTest::newRow("Ctrl+Return") << int(Qt::ControlModifier) << "x\n  a\n  |";
    }
    void shortcutOpensOneLine()
    {
        QFETCH(int, modifiers);
        QFETCH(QString, after);
        MainWindow w({});
        w.show();
        EditView *view = w.currentView();
        setCursorMarked(*view, QStringLiteral("x\n  |a"));
        w.activateWindow();
        view->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // The menu shortcut and the key handler must not both open a line.
        QTest::keyClick(view, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(cursorMarked(*view), after);
    }
    void commonKeys_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("effect");
        QTest::addColumn<int>("expected");  // font size change for "zoom", line for "line"
        const std::tuple<const char *, const char *, int> rows[] = {
            {"Ctrl+R", "redo", 0}, {"Ctrl+Shift+Z", "redo", 0}, {"Ctrl+Shift+S", "save as", 0},
            {"Ctrl+Q", "quit", 0}, {"Ctrl+G", "line", 3}, {"Ctrl++", "zoom", 1}, {"Ctrl+=", "zoom", 1},
            {"Ctrl+-", "zoom", -1}, {"Ctrl+0", "zoom", 0}};  // Ctrl+0: back to the stored size
        for (const auto &[key, effect, expected] : rows)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(key, effect))) << QKeySequence(key) << effect << expected;
    }
    void commonKeys()
    {
        QFETCH(QKeySequence, key);
        QFETCH(QString, effect);
        QFETCH(int, expected);
        MainWindow w({});
        w.show();
        EditView *view = w.currentView();
        setCursorMarked(*view, QStringLiteral("one\ntwo\nthree\nfour|"));
        w.activateWindow();
        view->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const int storedSize = w.globalSettings()->fontSize;
        if (effect == "redo") {
            QTest::keyClicks(view, QStringLiteral("x"));
            view->undo();
            QCOMPARE(view->toPlainText(), QStringLiteral("one\ntwo\nthree\nfour"));
        } else if (effect == "zoom" && expected == 0) {
            view->zoomBy(5);  // the reset must undo it
        } else if (effect == "save as") {
            prompt->saveAnswers = {dir->filePath("saved.html")};
        } else if (effect == "line") {
            prompt->dialogHandler = [expected](QDialog *dialog) {
                auto *input = qobject_cast<QInputDialog *>(dialog);
                if (!input)
                    return int(QDialog::Rejected);
                input->setIntValue(expected);
                return int(QDialog::Accepted);
            };
        }

        QTest::keyClick(view, key[0].key(), key[0].keyboardModifiers());

        if (effect == "redo") {
            QCOMPARE(view->toPlainText(), QStringLiteral("one\ntwo\nthree\nfourx"));
        } else if (effect == "zoom") {
            QCOMPARE(view->font().pointSize(), storedSize + expected);
            QCOMPARE(w.globalSettings()->fontSize, storedSize);
        } else if (effect == "save as") {
            QCOMPARE(prompt->asked.size(), 1);
            QCOMPARE(prompt->asked.first().title, QStringLiteral("Save As"));
            QCOMPARE(readFile(dir->filePath("saved.html")), QByteArray("one\ntwo\nthree\nfour"));
        } else if (effect == "quit") {
            QVERIFY(!w.isVisible());
        } else if (effect == "line") {
            QCOMPARE(view->textCursor().blockNumber() + 1, expected);
            QCOMPARE(view->textCursor().positionInBlock(), 0);
        }
    }
    void viModesThroughKeys()
    {
        QSettings().setValue("viEnabled", 1);
        MainWindow w({});
        EditView *view = w.currentView();
        setCursorMarked(*view, QStringLiteral("abc|"));
        QCOMPARE(w.modeText(), QStringLiteral("CMD"));

        QTest::keyClick(view, Qt::Key_I);
        QCOMPARE(w.modeText(), QStringLiteral("INS"));
        QCOMPARE(view->drawnCursorWidth(), 1);
        QTest::keyClicks(view, QStringLiteral("de"));
        QCOMPARE(cursorMarked(*view), QStringLiteral("abcde|"));

        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(w.modeText(), QStringLiteral("CMD"));
        QCOMPARE(cursorMarked(*view), QStringLiteral("abcd|e"));
        QVERIFY(view->drawnCursorWidth() > 1);
        // "i" is a command again, and so is "2X".
        QTest::keyClicks(view, QStringLiteral("2X"));
        QCOMPARE(cursorMarked(*view), QStringLiteral("ab|e"));

        QTest::keyClick(view, 'O', Qt::ShiftModifier);
        QCOMPARE(w.modeText(), QStringLiteral("INS"));
        QCOMPARE(cursorMarked(*view), QStringLiteral("|\nabe"));
    }
    void inputMethodNoticeDuringEscape()
    {
        QSettings().setValue("viEnabled", 1);
        MainWindow w({});
        EditView *view = w.currentView();
        setCursorMarked(*view, QStringLiteral("ab|"));
        QTest::keyClick(view, Qt::Key_A);
        QCOMPARE(w.modeText(), QStringLiteral("INS"));
        // Closing the input method on the way into command mode reports a status
        // change at once; it must not send the engine back to insert mode.
        connect(w.engine(), &ViEngine::modeChanged, &w, &MainWindow::onImeOpenStatusChanged);
        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(w.modeText(), QStringLiteral("CMD"));
        QCOMPARE(int(w.engine()->mode()), int(ViEngine::CommandMode));
        // A later switch of the input method in command mode means typing.
        w.onImeOpenStatusChanged();
        QCOMPARE(w.modeText(), QStringLiteral("INS"));
        QTest::keyClick(view, Qt::Key_X);
        QCOMPARE(view->toPlainText(), QStringLiteral("axb"));
    }
    void viOffKeepsInsertMode()
    {
        MainWindow w({});
        EditView *view = w.currentView();
        setCursorMarked(*view, QStringLiteral("ab|"));
        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(w.modeText(), QStringLiteral("INS"));
        QTest::keyClicks(view, QStringLiteral("xj"));
        QCOMPARE(cursorMarked(*view), QStringLiteral("abxj|"));
        // Turning vi on leaves the mode alone until the next Escape.
        w.findChild<QAction *>(QStringLiteral("action_viEnabled"))->setChecked(true);
        QCOMPARE(w.modeText(), QStringLiteral("INS"));
        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(w.modeText(), QStringLiteral("CMD"));
        QTest::keyClick(view, Qt::Key_X);
        QCOMPARE(cursorMarked(*view), QStringLiteral("abx|"));
    }

    void findNextAndPrevious_data()
    {
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("selectionStart");  // afterwards
        QTest::addColumn<int>("selectionLength");
        QTest::addColumn<QString>("message");     // "?": any; a failure to find goes, a bad pattern stays

        // Document "red green red blue": red at 0 and 10.
        QTest::newRow("next") << QStringList{"red", "blue"} << false << 1 << 10 << 3 << "";
        QTest::newRow("previous") << QStringList{"red"} << true << 10 << 0 << 3 << "";
        QTest::newRow("next, not found") << QStringList{"pink"} << false << 1 << 1 << 0 << "'pink' not found.";
        QTest::newRow("empty history does nothing") << QStringList{} << false << 1 << 1 << 0 << "";
        QTest::newRow("invalid pattern") << QStringList{"("} << false << 1 << 1 << 0 << "?";
    }
    void findNextAndPrevious()
    {
        QFETCH(QStringList, history);
        QFETCH(bool, backward);
        QFETCH(int, start);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionLength);
        QFETCH(QString, message);
        MainWindow w({});
        GlobalSettings *settings = w.globalSettings();
        settings->findStrings = history;
        settings->regexp = message == "?";
        EditView *view = w.currentView();
        view->setPlainText(QStringLiteral("red green red blue"));
        placeCursor(view, start);
        const QString messageBefore = w.statusBar()->currentMessage();
        backward ? w.on_action_FindPrev_triggered() : w.on_action_FindNext_triggered();
        QCOMPARE(view->textCursor().selectionStart(), selectionStart);
        QCOMPARE(view->textCursor().selectionEnd() - selectionStart, selectionLength);
        const QString shown = w.statusBar()->currentMessage();
        QCOMPARE(shown, message.isEmpty() ? messageBefore : message == "?" ? shown : message);
        QCOMPARE(settings->findStrings, history);
        QCOMPARE(commandCount(QStringLiteral("Action.findPrev")), backward ? 1 : 0);
        QCOMPARE(commandCount(QStringLiteral("Action.findNext")), backward ? 0 : 1);
        if (message == "?") {
            QVERIFY(!shown.isEmpty());
            QTest::qWait(MainWindow::MessageTimeout + 500);
            QCOMPARE(w.statusBar()->currentMessage(), shown);
        } else if (!message.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(w.statusBar()->currentMessage().isEmpty(), MainWindow::MessageTimeout + 2000);
        }
    }
    void findWordAtCursor_data() { addTableRows("app/findword.txt"); }
    void findWordAtCursor()
    {
        QFETCH(QStringList, fields);
        const QString word = fields.at(1);
        const int foundAt = fields.at(2).toInt(), piece = fields.at(3).toInt();
        MainWindow w({});
        GlobalSettings *settings = w.globalSettings();
        settings->findStrings = QStringList{"older"};
        settings->ignoreCase = CaseSensitive;
        EditView *view = w.currentView();
        QPlainTextEdit marked;
        setCursorMarked(marked, fields.at(0));
        const QString document = marked.toPlainText();
        const int position = marked.textCursor().position();
        if (piece > 0) {
            view->virtualBreaks()->setLimits(piece, piece);
            view->loadText(document);
            QVERIFY(view->document()->blockCount() > 2);
            QCOMPARE(view->realText(), document);
        } else {
            view->setPlainText(document);
        }
        placeCursor(view, position, marked.textCursor().anchor());
        w.on_action_FindWord_triggered();
        QCOMPARE(commandCount(QStringLiteral("Action.findWordAtCursor")), 1);
        QCOMPARE(view->virtualBreaks()->toReal(view->textCursor().selectionStart()), foundAt);
        if (word.isEmpty()) {
            QCOMPARE(settings->findStrings, QStringList{"older"});
            QVERIFY(!settings->wordSearch);
            QVERIFY(!QSettings().contains(QStringLiteral("findStrings")));
            return;
        }
        QCOMPARE(settings->findStrings, (QStringList{word, "older"}));
        QCOMPARE(QSettings().value(QStringLiteral("findStrings")).toStringList(), (QStringList{word, "older"}));
        QVERIFY(settings->wordSearch);
        // The switch is stored with the next full save, not with the history.
        QCOMPARE(QSettings().value(QStringLiteral("wordSearch")).toInt(), 0);
        if (foundAt != position)
            QCOMPARE(view->textCursor().selectedText().remove(QChar::ParagraphSeparator).toLower(),
                     word.toLower());
    }
    void findWordLeavesWholeWordsOn()
    {
        MainWindow w({});
        GlobalSettings *settings = w.globalSettings();
        settings->findLoop = Loop;
        EditView *view = w.currentView();
        view->setPlainText(QStringLiteral("cat category cat."));
        placeCursor(view, 1);
        w.on_action_FindWord_triggered();
        QCOMPARE(view->textCursor().selectionStart(), 4);  // inside "category"
        // Find next now looks for the whole word only.
        w.on_action_FindNext_triggered();
        QCOMPARE(view->textCursor().selectionStart(), 13);
        w.on_action_FindNext_triggered();
        QCOMPARE(view->textCursor().selectionStart(), 0);
    }
    void findReplaceRunsOnCurrentView()
    {
        MainWindow w({});
        w.globalSettings()->findStrings = QStringList{"b"};
        w.on_action_New_triggered();
        EditView *view = w.currentView();
        view->setPlainText(QStringLiteral("a b c b"));
        w.viewAt(0)->setPlainText(QStringLiteral("b in the other tab"));

        QStringList shown;
        bool ran = false;
        QTimer::singleShot(0, &w, [&] {
            auto *dialog = qobject_cast<FindReplaceDlg *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ran = true;
            QVERIFY(!dialog->parent());
            auto *find = dialog->findChild<QComboBox *>(QStringLiteral("findString"));
            shown << find->currentText();
            dialog->findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(QStringLiteral("B"));
            dialog->findChild<QPushButton *>(QStringLiteral("replaceAll"))->click();
            dialog->findChild<QPushButton *>(QStringLiteral("Close"))->click();
        });
        w.on_action_Find_Replace_triggered();
        QVERIFY(ran);
        QCOMPARE(shown, QStringList{"b"});
        QCOMPARE(view->toPlainText(), QStringLiteral("a B c B"));
        QCOMPARE(w.viewAt(0)->toPlainText(), QStringLiteral("b in the other tab"));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("2 replaced."));
        // The count is not left behind for the next thing the user does.
        QTRY_VERIFY_WITH_TIMEOUT(w.statusBar()->currentMessage().isEmpty(),
                                 MainWindow::MessageTimeout + 2000);
        QCOMPARE(w.globalSettings()->replaceStrings, QStringList{"B"});
        QVERIFY(!QApplication::activeModalWidget());
        // The dialog is not one of the counted commands.
        QCOMPARE(commandCount(QStringLiteral("Action.findNext")), 0);
    }
};

QTEST_MAIN(TestMainWindowEditing)
#include "tst_mainwindow_editing.moc"
