#include "editor/commandstatistics.h"
#include "app/mainwindow.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

class TestMainWindowEditing : public MainWindowTest
{
    Q_OBJECT
private slots:
    void menuActions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("parenCount");

        QTest::newRow("open line above") << "actionOpenLine_Above" << "  a\nb|c" << "  a\n  |\nbc" << 0;
        QTest::newRow("open line above the first line") << "actionOpenLine_Above" << "\ta|b" << "|\n\tab" << 0;
        QTest::newRow("open line below") << "actionOpenLine_Below" << "  a|b\nc" << "  ab\n  |\nc" << 0;
        QTest::newRow("matching bracket") << "action_MatchedParen" << "f|(a(b)c)" << "f(a(b)c|)" << 1;
        QTest::newRow("matching bracket, none right of the cursor")
                << "action_MatchedParen" << "(a)|b" << "(a)|b" << 1;
    }
    void menuActions()
    {
        QFETCH(QString, action);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, parenCount);
        MainWindow w({});
        EditView *view = w.currentView();
        QVERIFY(view);
        setCursorMarked(*view, before);
        auto *a = w.findChild<QAction *>(action);
        QVERIFY(a);
        a->trigger();
        QCOMPARE(cursorMarked(*view), after);
        QCOMPARE(commandCount(QStringLiteral("Action.gotoMatchParen")), parenCount);
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
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("effect");
        QTest::addColumn<int>("expected");  // font size change for "zoom", line for "line"

        const int ctrl = Qt::ControlModifier, ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("Ctrl+R redoes") << int(Qt::Key_R) << ctrl << "redo" << 0;
        QTest::newRow("Ctrl+Shift+Z redoes") << int(Qt::Key_Z) << ctrlShift << "redo" << 0;
        QTest::newRow("Ctrl+Shift+S saves as") << int(Qt::Key_S) << ctrlShift << "save as" << 0;
        QTest::newRow("Ctrl+Q quits") << int(Qt::Key_Q) << ctrl << "quit" << 0;
        QTest::newRow("Ctrl+G goes to a line") << int(Qt::Key_G) << ctrl << "line" << 3;
        QTest::newRow("Ctrl++ zooms in") << int(Qt::Key_Plus) << ctrl << "zoom" << 1;
        QTest::newRow("Ctrl+= zooms in") << int(Qt::Key_Equal) << ctrl << "zoom" << 1;
        QTest::newRow("Ctrl+- zooms out") << int(Qt::Key_Minus) << ctrl << "zoom" << -1;
        QTest::newRow("Ctrl+0 takes the stored size") << int(Qt::Key_0) << ctrl << "zoom" << 0;
    }
    void commonKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
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

        QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

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

};

QTEST_MAIN(TestMainWindowEditing)
#include "tst_mainwindow_editing.moc"
