#include "app/commandline.h"
#include "app/documentwatcher.h"
#include "app/inputmethodmemory.h"
#include "app/mainwindow.h"
#include "app/messagebar.h"
#include "editor/commandstatistics.h"
#include "editor/findreplacedlg.h"
#include "editor/virtualbreaks.h"
#include "panels/filesystemview.h"
#include "panels/outlinebar.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDockWidget>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>

#include <sys/stat.h>

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

// Catches what the program hands to the desktop's URL handler.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

static QStringList stored(const char *key) { return QSettings().value(QLatin1String(key)).toStringList(); }

// The main window: documents in tabs (opening, saving, closing, the lists of
// files, the window's own state) and the editing commands of its menus and keys.
class TestMainWindow : public FixtureTest
{
    Q_OBJECT
    QAction *action(const MainWindow &w, const QString &name) { return w.findChild<QAction *>(name); }
private slots:
    void tabCommands_data() { addTableRows("app/tabcommands.txt"); }
    void tabCommands()
    {
        QFETCH(QStringList, fields);
        MainWindow w({});
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("mossGlen version 0.014.Dev"));
        prompt->answers = standardButtons(fields.at(1));
        QString first;  // the file named first in the commands
        for (const QString &step : fields.at(0).split(' ', Qt::SkipEmptyParts)) {
            const QString argument = step.section(':', 1), name = argument.section('=', 0, 0);
            EditView *loaded = reinterpret_cast<EditView *>(0x1);  // every load must set it
            if (step.startsWith("open:") || step.startsWith("here:") || step.startsWith("load:")) {
                QDir::setCurrent(dir->path());
                const QByteArray bytes = argument.contains('=') ? tableBytes(argument.section('=', 1)) : "<meta charset=\"utf-8\">\n";
                const QString path = step.startsWith("open:") ? file(name, bytes) : step.startsWith("load:") ? dir->filePath(name) : argument;
                first = first.isEmpty() ? name : first;
                w.loadFile(path, &loaded);
                // What gives no view (a missing file not wanted, a folder, a pipe) gives none back.
                const bool shown = w.currentView() && w.currentView()->fullPath() == QFileInfo(path).absoluteFilePath();
                QCOMPARE(quintptr(loaded), quintptr(shown ? w.currentView() : nullptr));
            } else if (step.startsWith("drop:")) {
                QMimeData files, text;
                QList<QUrl> urls;
                for (const QString &dropped : argument.split(','))
                    urls << QUrl::fromLocalFile(file(dropped));
                files.setUrls(urls);
                text.setText("not files");
                QDragEnterEvent enter({}, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
                QDragEnterEvent other({}, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
                QDropEvent drop({}, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
                for (QEvent *event : std::initializer_list<QEvent *>{&enter, &other, &drop})
                    QApplication::sendEvent(&w, event);
                QVERIFY(enter.isAccepted() && !other.isAccepted());
            } else if (step == "dismiss") {
                const auto buttons = w.messages()->findChildren<QPushButton *>();
                QCOMPARE(buttons.size(), 1);
                QCOMPARE(buttons[0]->focusPolicy(), Qt::NoFocus);
                buttons[0]->click();
            } else if (step.startsWith("write:"))
                QVERIFY(writeFile(dir->filePath(name), tableBytes(argument.section('=', 1))));
            else if (step == "check")
                w.documentWatcher()->checkAll();
            else if (step.startsWith("remove:"))
                QVERIFY(QFile::remove(dir->filePath(argument)));
            else if (step.startsWith("mkdir:"))
                QVERIFY(QDir(dir->path()).mkpath(argument));
            else if (step.startsWith("fifo:")) {
                if (::mkfifo(QFile::encodeName(dir->filePath(argument)).constData(), 0600) != 0)
                    QSKIP("cannot make a named pipe here");
            } else if (step.startsWith("type:"))
                w.currentView()->insertPlainText(argument);
            else if (step.startsWith("key:"))
                QTest::keySequence(w.currentView(), QKeySequence(argument));
            else if (step.startsWith("tab:"))
                w.tabs()->setCurrentIndex(argument.toInt());
            else if (step == "close")
                QCOMPARE(w.QMainWindow::close(), fields.at(6) == "closes");
            else
                action(w, step)->trigger();
        }
        QStringList titles = tabTitles(w), asked, recent;
        if (w.tabs()->currentIndex() >= 0)
            titles[w.tabs()->currentIndex()].prepend('>');
        QCOMPARE(titles.join(", "), fields.at(2));
        for (const ScriptedPrompt::Asked &question : prompt->asked)
            asked << QString(question.title + ": " + question.text).replace(dir->path(), "<folder>");
        QCOMPARE(asked.join('\n'), fields.at(4));
        QCOMPARE(w.currentView() ? w.currentView()->toPlainText() : QString(), fields.at(5));
        QStringList menus{w.findChild<QMenu *>("menuEncoding_of_cur_doc")->title()};
        for (const QAction *entry : w.findChild<QMenu *>("menuEncoding_of_cur_doc")->actions() + w.findChild<QMenu *>("menuLineEnds")->actions()) {
            if (entry->isChecked())
                menus << entry->objectName();
            if (!entry->isEnabled())
                menus << '-' + entry->objectName();
        }
        QCOMPARE(menus.join(' '), fields.at(3));
        // The window state is stored only when the window really closes.
        const bool closes = fields.at(6) == "closes";
        QCOMPARE(w.isVisible(), !closes);
        QCOMPARE(QSettings().contains("geometry"), closes);
        QCOMPARE(QSettings().contains("windowState"), closes);
        QCOMPARE(QSettings().value("tabWidth", 0).toInt(), closes ? 2 : 0);
        // A file comes only with a save: loading a missing one makes none.
        const QFileInfo named(dir->filePath(first));
        QCOMPARE(named.isFile() ? readFile(named.filePath()) : QByteArray("-"), tableBytes(fields.at(7)));
        const QStringList shown = w.messages()->texts(nullptr) + w.messages()->texts(w.currentView());
        QCOMPARE(shown.join('\n').replace(dir->path(), "<folder>"), fields.at(8));
        QCOMPARE(w.messages()->isVisibleTo(&w), !shown.isEmpty());
        if (!fields.at(10).isEmpty())
            QCOMPARE(w.statusBar()->currentMessage().replace(dir->path(), "<folder>"), fields.at(10));
        for (const QString &path : stored("recentFileList"))
            recent << QString(path).replace(dir->path(), "<folder>");
        QCOMPARE(recent.join(' '), fields.at(9));
    }
    // The first start has no stored state: a window of two thirds of the screen
    // with the Outline in front; later starts keep what the user made of it.
    void firstStartWindowAndDocks()
    {
        // A dock behind another stays "visible" but is moved out of sight.
        const auto inFront = [](QWidget *w) { return !w->visibleRegion().isEmpty(); };
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        {
            MainWindow w({});
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(qAbs(w.width() - available.width() * 2 / 3) <= 2);
            QVERIFY(qAbs(w.height() - available.height() * 2 / 3) <= 2);
            QVERIFY(available.contains(w.geometry()));
            QTRY_VERIFY(inFront(w.outline()));
            QVERIFY(!inFront(w.fileSystem()));
            qobject_cast<QDockWidget *>(w.fileSystem()->parentWidget())->raise();
            w.resize(500, 400);
            QTRY_VERIFY(inFront(w.fileSystem()));
            QVERIFY(w.QMainWindow::close());
        }
        MainWindow again({});
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), QSize(500, 400));
        QTRY_VERIFY(inFront(again.fileSystem()));
        QVERIFY(!inFront(again.outline()));
    }
    void saveAs_data() { addTableRows("app/saveas.txt"); }
    void saveAs()
    {
        QFETCH(QStringList, fields);
        const QString source = fields.at(0).isEmpty() ? QString() : file(fields.at(0), tableBytes(fields.at(1)));
        MainWindow w(source.isEmpty() ? QStringList() : QStringList{source});
        w.currentView()->insertPlainText("body");
        for (const QString &name : fields.at(2).split(' ', Qt::SkipEmptyParts))
            action(w, name)->trigger();
        const QString target = dir->filePath("saved.html");
        prompt->saveAnswers = {target};
        QVERIFY(w.on_actionSave_As_triggered());
        QStringList kinds;
        for (const QString &filter : prompt->asked.last().filter.split(";;"))
            kinds << filter.section(' ', 0, 0);
        QCOMPARE(kinds.join(' '), fields.at(3));
        QCOMPARE(prompt->asked.last().title, QStringLiteral("Save As"));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Saved saved.html (%1)").arg(fields.at(4)));
        QCOMPARE(tabTitles(w), QStringList{"saved.html"});
        QCOMPARE(w.tabs()->tabToolTip(0), QStringLiteral("%1 (%2)").arg(target, fields.at(4)));
        QCOMPARE(readFile(target), tableBytes(fields.at(5)));
        QCOMPARE(readFile(source), tableBytes(fields.at(1)));
        QCOMPARE(stored("recentFileList").value(0), target);
        prompt->saveAnswers.clear();  // cancelled in the dialog
        QVERIFY(!w.on_actionSave_As_triggered());
        // Nothing written, nothing renamed: the tab goes on naming its file.
        w.currentView()->insertPlainText("more");
        prompt->saveAnswers = {dir->filePath("no folder/c.css")};
        prompt->answers = {QMessageBox::Ok};
        QVERIFY(!w.on_actionSave_As_triggered());
        QCOMPARE(w.currentView()->fullPath(), target);
        QCOMPARE(tabTitles(w), QStringList{"saved.html *"});
    }
    // The recent list, and the favourites, which take files only and each once.
    void recentAndFavouriteLists()
    {
        MainWindow w({});
        QStringList paths;
        for (int i = 0; i < 37; ++i)
            w.loadFile(paths.emplace_back(file(QStringLiteral("f%1.html").arg(i))));
        // Newest first; the oldest of 37 falls off.
        QStringList newestFirst(paths.crbegin(), paths.crend() - 1);
        QCOMPARE(stored("recentFileList"), newestFirst);
        // Third in the list, closed and loaded again: moves to the front.
        w.close(w.viewAt(34));
        QCOMPARE(w.tabs()->count(), 36);
        w.loadFile(paths.at(34));
        newestFirst.move(2, 0);
        QCOMPARE(stored("recentFileList"), newestFirst);
        const QList<QAction *> entries = w.findChild<QMenu *>("menuRecentFiles")->actions();
        QCOMPARE(std::count_if(entries.cbegin(), entries.cend(), [](QAction *a) { return a->isVisible(); }), 36);
        QCOMPARE(stored("recentDirList"), QStringList{QDir(dir->path()).absolutePath()});
        // Access keys 1-9, 0, then letters; an ampersand in a path is shown as one.
        QCOMPARE(MainWindow::listEntryText(0, "/web/a&b.html"), QStringLiteral("&1 /web/a&&b.html"));
        QCOMPARE(MainWindow::listEntryText(9, "/a"), QStringLiteral("&0 /a"));
        QCOMPARE(MainWindow::listEntryText(10, "/a"), QStringLiteral("&A /a"));
        QAction *add = action(w, "actionAddThisFile");
        add->trigger();
        add->trigger();
        w.close(w.currentView());
        w.on_action_New_triggered();
        add->trigger();  // untitled: nothing to add
        QCOMPARE(stored("favoriteFileList"), QStringList{paths.at(34)});
        // A favourite entry opens its file like a recent entry.
        const QList<QAction *> favourites = w.findChild<QMenu *>("menuFavoriteFiles")->actions();
        const auto entry = std::find_if(favourites.cbegin(), favourites.cend(),
                                        [&](QAction *a) { return a->isVisible() && a->data().toString() == paths.at(34); });
        QVERIFY(entry != favourites.cend());
        clearCommandStatistics();
        (*entry)->trigger();
        QCOMPARE(w.currentView()->fullPath(), paths.at(34));
        QCOMPARE(commandCount("Action.openRecentFile"), 1);
    }
    // A saved file is shown as it is on disk; an untitled one is written to a
    // fresh file each time, in UTF-8, and an empty one is not shown at all.
    void preview()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });
        const QString a = file("a.html", "saved\n");
        MainWindow w({a});
        w.currentView()->insertPlainText("unsaved ");
        w.on_action_Browse_triggered();
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(a)});
        QCOMPARE(readFile(a), QByteArray("saved\n"));
        w.on_action_New_triggered();
        w.on_action_Browse_triggered();
        QCOMPARE(catcher.urls.size(), 1);
        w.currentView()->setCharEncoding(ShiftJIS);
        // A long line shown in pieces is written as the one line it is.
        const QByteArray page = "<p>\xe6\x97\xa5\xe6\x9c\xac</p><script>var a=\"x y\";var b=2;</script>";
        w.currentView()->virtualBreaks()->setLimits(20, 8);
        w.currentView()->loadText(QString::fromUtf8(page));
        QVERIFY(w.currentView()->document()->blockCount() > 3);
        w.on_action_Browse_triggered();
        w.on_action_Browse_triggered();
        QCOMPARE(catcher.urls.size(), 3);
        QVERIFY(catcher.urls.at(1) != catcher.urls.at(2));
        for (const QUrl &url : catcher.urls.mid(1)) {
            QVERIFY(url.toLocalFile().endsWith(".html"));
            QCOMPARE(readFile(url.toLocalFile()), page);
            QFile::remove(url.toLocalFile());
        }
    }
    void commandLine_data() { addTableRows("app/commandline.txt"); }
    void commandLine()
    {
        QFETCH(QStringList, fields);
        const CommandLine cmd = CommandLine::parse(fields.at(0).split(u' '));
        QCOMPARE(QStringList({"Run", "ShowHelp", "ShowVersion"}).at(cmd.request), fields.at(1));
        QCOMPARE(cmd.files, fields.at(2).split(u' ', Qt::SkipEmptyParts));
    }
    void scriptKeywordLines_data() { addTableRows("app/scriptkeywords.txt"); }
    void scriptKeywordLines()
    {
        QFETCH(QStringList, fields);
        QStringList got = MainWindow::parseScriptKeywords(fields.at(0).toUtf8()).values();
        QCOMPARE((got.sort(), got), fields.at(1).split(' ', Qt::SkipEmptyParts));
    }
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
