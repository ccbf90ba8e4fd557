#include "app/inputmethodmemory.h"
#include "app/mainwindow.h"
#include "editor/commandstatistics.h"
#include "editor/findreplacedlg.h"
#include "editor/virtualbreaks.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>

namespace {

// Stands for the platform: an input method the user switches on and off.
struct FakeInputMethod : InputMethodMemory::Control {
    bool *open;
    int *switchedOn;
    FakeInputMethod(bool *open, int *switchedOn) : open(open), switchedOn(switchedOn) {}
    bool isOpen() const override { return *open; }
    void switchOn() override { *open = true; ++*switchedOn; }
    void switchOff() override { *open = false; }
};

} // namespace

class TestMainWindowEditing : public FixtureTest
{
    Q_OBJECT
    QAction *action(const MainWindow &w, const QString &name) { return w.findChild<QAction *>(name); }
private slots:
    // With every tab closed the commands are counted but touch nothing, and
    // Find and Replace opens no dialog.
    void commandsWithoutView()
    {
        MainWindow w({});
        w.globalSettings()->findStrings = QStringList{"x"};
        w.on_action_Close_triggered();
        bool opened = false;
        QTimer::singleShot(0, &w, [&] {
            if (QWidget *modal = QApplication::activeModalWidget())
                opened = modal->close();
        });
        for (const char *name : {"actionOpenLine_Above", "actionOpenLine_Below", "action_MatchedParen",
                                 "action_FindNext", "action_FindPrev", "action_FindWord", "action_GoToLine",
                                 "action_Find_Replace", "action_ZoomIn", "actionText_1", "action_Save",
                                 "action_Zen_Coding", "action_DynamicCompletion", "actionCloseTagCompletion",
                                 "action_TagJump", "action_lt_gt_amp", "action_lt_gt_amp_decode"})
            action(w, name)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!opened);
        QCOMPARE(commandCount(QStringLiteral("Action.gotoMatchParen")), 0);
        for (const char *counted : {"Action.findNext", "Action.findPrev", "Action.findWordAtCursor"})
            QCOMPARE(commandCount(QLatin1String(counted)), 1);
        QCOMPARE(w.globalSettings()->findStrings, QStringList{"x"});
        QVERIFY(!w.globalSettings()->wordSearch);
        QCOMPARE(w.tabs()->count(), 0);
    }
    void keysAndMenuCommands_data() { addTableRows("app/keys.txt"); }
    void keysAndMenuCommands()
    {
        QFETCH(QStringList, fields);
        const QKeySequence key(fields.at(0));
        QVERIFY(writeFile(dir->filePath("target.html"), "<p>\n<p>\n<a name=\"end\">\n"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir->path());
        auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
        MainWindow w({});
        EditView *view = w.currentView();
        setCursorMarked(*view, fields.at(1));
        // The keys go to a shown, active window's focused view.
        w.show();
        w.activateWindow();
        view->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const int storedSize = w.globalSettings()->fontSize;
        prompt->saveAnswers = {dir->filePath("saved.html")};
        if (fields.at(2) == "undone") {
            QTest::keyClicks(view, QStringLiteral("x"));
            view->undo();
            QCOMPARE(cursorMarked(*view), fields.at(1));
        } else if (fields.at(2) == "zoomed") {
            view->zoomBy(5);
        } else if (fields.at(2) == "line 3") {
            prompt->dialogHandler = [](QDialog *dialog) {
                auto *input = qobject_cast<QInputDialog *>(dialog);
                return input ? (input->setIntValue(3), int(QDialog::Accepted)) : int(QDialog::Rejected);
            };
        }
        if (fields.at(0).startsWith(QLatin1String("action")))
            action(w, fields.at(0))->trigger();
        else
            QTest::keyClick(view, key[0].key(), key[0].keyboardModifiers());
        QCOMPARE(cursorMarked(*w.currentView()), fields.at(3));
        QCOMPARE(view->font().pointSize(), storedSize + fields.at(4).toInt());
        QCOMPARE(w.globalSettings()->fontSize, storedSize);
        QCOMPARE(readFile(dir->filePath("saved.html")), fields.at(5).toUtf8());
        QCOMPARE(prompt->asked.size(), int(!fields.at(5).isEmpty()));
        QCOMPARE(prompt->asked.value(0).title, fields.at(5).isEmpty() ? QString() : QStringLiteral("Save As"));
        QCOMPARE(countedNames(), fields.at(6));
        QCOMPARE(w.isVisible(), fields.at(7) == "stays");
    }
    void viModesThroughKeys_data() { addTableRows("app/vimodes.txt"); }
    // The next start begins in the mode vi was left in.
    void viModesThroughKeys()
    {
        QFETCH(QStringList, fields);
        const bool vi = fields.at(0) == "1", command = fields.at(4) == "CMD";
        MainWindow w({});
        EditView *view = w.currentView();
        setCursorMarked(*view, QStringLiteral("ab|"));
        action(w, "action_viEnabled")->setChecked(vi);
        if (fields.at(1) == "1")
            connect(w.engine(), &ViEngine::modeChanged, &w, &MainWindow::onImeOpenStatusChanged);
        const QStringList typed = fields.at(2).split(QStringLiteral("<ime>"));
        for (const QString &keys : typed) {
            if (&keys != &typed.first())
                w.onImeOpenStatusChanged();
            QTest::keyClicks(view, keys);  // \e is sent as the Escape key
        }
        QCOMPARE(cursorMarked(*view), fields.at(3));
        QCOMPARE(w.modeText(), fields.at(4));
        QCOMPARE(w.engine()->mode() == ViEngine::CommandMode, command);
        QCOMPARE(view->drawnCursorWidth() > 1, command);
        MainWindow again({});
        QCOMPARE(again.modeText(), QLatin1String(vi ? "CMD" : "INS"));
        QCOMPARE(action(again, "action_viEnabled")->isChecked(), vi);
    }
    void inputMethodRememberedPerMode_data() { addTableRows("app/inputmethod.txt"); }
    void inputMethodRememberedPerMode()
    {
        QFETCH(QStringList, fields);
        bool isOpen = false;
        int ons = 0;
        InputMethodMemory memory(std::make_unique<FakeInputMethod>(&isOpen, &ons));
        uchar mode = ViEngine::CommandMode;
        const auto go = [&](uchar next, bool byUser = false) {
            memory.modeChanged(mode, next, byUser);
            mode = next;
        };
        for (const QChar step : fields.at(0)) {
            switch (step.unicode()) {
            case 'i': case 'I': go(ViEngine::InsertMode); break;
            case 'e': go(ViEngine::CommandMode); break;
            case 'v': go(ViEngine::VisualMode); break;
            case 'V': go(ViEngine::VisualLineMode); break;
            case '+': isOpen = true; break;
            case '-': isOpen = false; break;
            case 'U': isOpen = true; go(ViEngine::InsertMode, true); break;
            default: QFAIL("unknown step");
            }
        }
        QCOMPARE(isOpen, fields.at(1) == "1");
        QCOMPARE(ons, fields.at(2).toInt());
    }
    void findCommands_data() { addTableRows("app/find.txt"); }
    void findCommands()
    {
        QFETCH(QStringList, fields);
        const QStringList history = fields.at(2).split(' ', Qt::SkipEmptyParts);
        const QStringList historyAfter = fields.at(7).split(' ', Qt::SkipEmptyParts);
        const QString options = fields.at(3), message = fields.at(9);
        const int piece = fields.at(5).toInt();
        MainWindow w({});
        GlobalSettings *settings = w.globalSettings();
        settings->findStrings = history;
        settings->ignoreCase = CaseSensitive;
        settings->regexp = options.contains("regexp");
        settings->wordSearch = options.contains("word");
        settings->findLoop = options.contains("loop") ? Loop : NoLoop;
        EditView *view = w.currentView();
        QPlainTextEdit marked;
        setCursorMarked(marked, fields.at(4));
        const QString document = marked.toPlainText();
        if (piece > 0) {
            view->virtualBreaks()->setLimits(piece, piece);
            view->loadText(document);
            QVERIFY(view->document()->blockCount() > 2);
            QCOMPARE(view->realText(), document);
        } else {
            view->setPlainText(document);
        }
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(marked.textCursor().anchor());
        cursor.setPosition(marked.textCursor().position(), QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
        const QString messageBefore = w.statusBar()->currentMessage();
        action(w, fields.at(0))->trigger();
        // The outcome in the file's text, the virtual breaks left out.
        marked.setPlainText(view->realText());
        cursor = marked.textCursor();
        cursor.setPosition(view->virtualBreaks()->toReal(view->textCursor().anchor()));
        cursor.setPosition(view->virtualBreaks()->toReal(view->textCursor().position()), QTextCursor::KeepAnchor);
        marked.setTextCursor(cursor);
        QCOMPARE(cursorMarked(marked), fields.at(6));
        for (const char *counted : {"findNext", "findPrev", "findWordAtCursor"})
            QCOMPARE(commandCount(QStringLiteral("Action.") + counted), int(fields.at(1) == counted));
        QCOMPARE(settings->findStrings, historyAfter);
        QCOMPARE(settings->wordSearch, fields.at(8) == "1");
        // A new history is stored at once, the switch only with the next full save.
        QCOMPARE(QSettings().value(QStringLiteral("findStrings")).toStringList(), historyAfter == history ? QStringList() : historyAfter);
        QCOMPARE(QSettings().value(QStringLiteral("wordSearch")).toInt(), 0);
        const QString shown = w.statusBar()->currentMessage();
        QCOMPARE(shown, message.isEmpty() ? messageBefore : message == "?" ? shown : message);
        // A failure to find goes with the other messages; a bad pattern stays.
        if (message == "?") {
            QVERIFY(!shown.isEmpty());
            QTest::qWait(MainWindow::MessageTimeout + 500);
            QCOMPARE(w.statusBar()->currentMessage(), shown);
        } else if (!message.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(w.statusBar()->currentMessage().isEmpty(), MainWindow::MessageTimeout + 2000);
        }
    }
    void findReplaceRunsOnCurrentView()
    {
        MainWindow w({});
        w.globalSettings()->findStrings = QStringList{"b"};
        w.currentView()->setPlainText(QStringLiteral("b in the other tab"));
        w.on_action_New_triggered();
        w.currentView()->setPlainText(QStringLiteral("a b c b"));
        QString shown = QStringLiteral("not run");
        QTimer::singleShot(0, &w, [&] {
            if (auto *dialog = qobject_cast<FindReplaceDlg *>(QApplication::activeModalWidget())) {
                shown = dialog->parent() ? QStringLiteral("a child of the window") : dialog->findChild<QComboBox *>("findString")->currentText();
                dialog->findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(QStringLiteral("B"));
                dialog->findChild<QPushButton *>(QStringLiteral("replaceAll"))->click();
                dialog->findChild<QPushButton *>(QStringLiteral("Close"))->click();
            }
        });
        w.on_action_Find_Replace_triggered();
        QCOMPARE(shown, QStringLiteral("b"));
        QCOMPARE(w.currentView()->toPlainText(), QStringLiteral("a B c B"));
        QCOMPARE(w.viewAt(0)->toPlainText(), QStringLiteral("b in the other tab"));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("2 replaced."));
        // The count is not left behind for the next thing the user does.
        QTRY_VERIFY_WITH_TIMEOUT(w.statusBar()->currentMessage().isEmpty(), MainWindow::MessageTimeout + 2000);
        QCOMPARE(w.globalSettings()->replaceStrings, QStringList{"B"});
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(commandCount(QStringLiteral("Action.findNext")), 0);  // the dialog is not a counted command
    }
    void shortTextInsertion_data() { addTableRows("app/shorttext.txt"); }
    void shortTextInsertion()
    {
        QFETCH(QStringList, fields);
        MainWindow w({});
        w.globalSettings()->shortTextSel[0] = fields.at(0);
        EditView *v = w.currentView();
        setCursorMarked(*v, fields.at(1));
        // The menu shows what its entry would insert.
        QMetaObject::invokeMethod(w.findChild<QMenu *>("menu_ShortText"), "aboutToShow");
        QCOMPARE(action(w, "actionText_1")->text(), fields.at(4));
        QCOMPARE(action(w, "actionText_10")->text(), v->textCursor().hasSelection() ? "&0 '<!--,-->'" : "&0 '<br>'");
        action(w, "actionText_1")->trigger();
        QCOMPARE(v->toPlainText(), fields.at(2));
        QCOMPARE(v->textCursor().position(), fields.at(3).toInt());
        v->undo();  // one step restores the text
        QCOMPARE(v->toPlainText(), QStringLiteral("aword"));
    }
    // The settings dialog run from the main window, with its values taken over
    // by every open view and stored.
    void settingsDialog_data() { addTableRows("app/settingsdialog.txt", "ending"); }
    void settingsDialog()
    {
        QFETCH(QStringList, ending);
        const bool apply = ending.first() == "apply", ok = ending.first() == "ok";
        MainWindow w({});
        w.on_action_New_triggered();
        const QString family = QFont().family();
        const int before = w.currentView()->font().pointSize(), size = before + 5;
        prompt->dialogHandler = [&](QDialog *d) {
            auto *combo = d->findChild<QComboBox *>("fontFamily");
            combo->setEditable(true);
            combo->setCurrentText(family);
            d->findChild<QSpinBox *>("fontPointSize")->setValue(size);
            d->findChild<QSpinBox *>("tabWidth")->setValue(5);
            d->findChild<QCheckBox *>("lineNumber")->setChecked(true);
            d->findChild<QLineEdit *>("shortText3")->setText("<h3>");
            d->findChild<QLineEdit *>("shortTextSel2")->setText("<i>,</i>");
            if (apply)
                emit qobject_cast<SettingsDlg *>(d)->apply(qobject_cast<SettingsDlg *>(d));
            return int(ok ? QDialog::Accepted : QDialog::Rejected);
        };
        w.on_action_Settings_triggered();
        const bool applied = apply || ok;
        for (int i = 0; i < w.tabs()->count(); ++i) {
            QCOMPARE(w.viewAt(i)->font().pointSize(), applied ? size : before);
            QCOMPARE(w.viewAt(i)->tabColumns(), applied ? 5 : 2);
            if (applied)
                QCOMPARE(w.viewAt(i)->font().family(), family);
        }
        QCOMPARE(action(w, "action_LineNumber")->isChecked(), applied);
        GlobalSettings stored;
        stored.load();
        QCOMPARE(QSettings().contains("fontSize"), applied);
        QCOMPARE(stored.tabWidth, applied ? 5 : 2);
        QCOMPARE(stored.lineNumber, applied);
        QCOMPARE(stored.shortText.at(2) == QStringLiteral("<h3>"), applied);
        QCOMPARE(stored.shortTextSel.at(1) == QStringLiteral("<i>,</i>"), applied);
        if (applied)
            QCOMPARE(stored.fontSize, size);
    }
};

QTEST_MAIN(TestMainWindowEditing)
#include "tst_mainwindow_editing.moc"
