#include "app/documentwatcher.h"
#include "app/mainwindow.h"
#include "app/messagebar.h"
#include "editor/commandstatistics.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QDesktopServices>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

#include <sys/stat.h>

// Catches what the program hands to the desktop's URL handler.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

static QStringList stored(const char *key)
{
    return QSettings().value(QLatin1String(key)).toStringList();
}

class TestMainWindowDocuments : public MainWindowTest
{
    Q_OBJECT
    QAction *action(const MainWindow &w, const char *name) { return w.findChild<QAction *>(QLatin1String(name)); }
private slots:
    // Tabs cycle round; untitled numbers are never given twice; an empty
    // untitled tab gives way to a loaded file, one with text does not.
    void untitledTabs()
    {
        MainWindow w({});
        w.on_action_NextTab_triggered();
        QCOMPARE(w.tabs()->currentIndex(), 0);
        w.on_action_New_triggered();
        w.on_action_New_triggered();
        QCOMPARE(tabTitles(w), (QStringList{"Untitled-1", "Untitled-2", "Untitled-3"}));
        for (const int expected : {0, 2, 1}) {
            expected ? w.on_action_PrevTab_triggered() : w.on_action_NextTab_triggered();
            QCOMPARE(w.tabs()->currentIndex(), expected);
        }
        for (int i = 0; i < 3; ++i)
            w.on_action_Close_triggered();  // empty: closed without a question
        QCOMPARE(w.tabs()->count(), 0);
        w.on_action_New_triggered();
        w.on_action_New_triggered();
        w.currentView()->insertPlainText("notes");
        w.loadFile(file("a.html"));
        QCOMPARE(tabTitles(w), (QStringList{"Untitled-5 *", "a.html"}));
    }
    void openingAnOpenFileActivatesItsTab()
    {
        MainWindow w({file("a.html", "one\n"), file("b.html")});
        QCOMPARE(w.tabs()->currentIndex(), 1);
        w.viewAt(0)->setPlainText("edited");
        // Another spelling of the same path finds the same tab.
        EditView *found = nullptr;
        QDir::setCurrent(dir->path());
        w.loadFile("a.html", &found);
        QCOMPARE(w.tabs()->count(), 2);
        QCOMPARE(w.tabs()->currentIndex(), 0);
        QCOMPARE(found, w.viewAt(0));
        QCOMPARE(found->toPlainText(), QStringLiteral("edited"));  // not read again
    }
    void createQuestionAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("ok creates an empty tab") << int(QMessageBox::Ok);
        QTest::newRow("no") << int(QMessageBox::No);
        QTest::newRow("cancel") << int(QMessageBox::Cancel);
    }
    void createQuestionAnswers()
    {
        QFETCH(int, answer);
        MainWindow w({});
        w.currentView()->setPlainText("keep me");
        prompt->answers = {QMessageBox::StandardButton(answer)};
        const QString missing = dir->filePath("new.html");
        w.loadFile(missing);
        QCOMPARE(prompt->asked.size(), 1);
        QCOMPARE(prompt->asked.first().text, QStringLiteral("'%1' does not exist.\nDo you want to create it?").arg(missing));
        QCOMPARE(w.tabs()->count(), answer == QMessageBox::Ok ? 2 : 1);
        if (answer == QMessageBox::Ok) {
            QCOMPARE(w.tabs()->tabText(1), QStringLiteral("new.html"));
            QVERIFY(w.currentView()->toPlainText().isEmpty() && !w.currentView()->document()->isModified());
            QCOMPARE(stored("recentFileList").value(0), missing);
            QVERIFY(!QFile::exists(missing));  // the file comes at the first save
        }
    }
    void modifiedMarkerFollowsTheDocument()
    {
        const QString a = file("a.html", "abc\n");
        MainWindow w({a});
        EditView *v = w.currentView();
        v->moveCursor(QTextCursor::End);
        v->insertPlainText("x");
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("a.html *"));
        v->undo();
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("a.html"));
        v->insertPlainText("y");
        QVERIFY(w.on_action_Save_triggered());
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("a.html"));
        QCOMPARE(readFile(a), QByteArray("abc\ny"));
    }
    void closeQuestions_data()
    {
        QTest::addColumn<bool>("emptied");  // all text deleted instead of "new" added
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("save") << false << int(QMessageBox::Save) << QByteArray("old\nnew");
        QTest::newRow("discard") << false << int(QMessageBox::Discard) << QByteArray("old\n");
        QTest::newRow("cancel") << false << int(QMessageBox::Cancel) << QByteArray("old\n");
        QTest::newRow("emptied file still asks") << true << int(QMessageBox::Cancel) << QByteArray("old\n");
    }
    void closeQuestions()
    {
        QFETCH(bool, emptied);
        QFETCH(int, answer);
        QFETCH(QByteArray, onDisk);
        const QString a = file("a.html", "old\n");
        MainWindow w({a});
        emptied ? w.currentView()->selectAll() : w.currentView()->moveCursor(QTextCursor::End);
        w.currentView()->textCursor().insertText(emptied ? "" : "new");
        prompt->answers = {QMessageBox::StandardButton(answer)};
        w.on_action_Close_triggered();
        QCOMPARE(prompt->asked.size(), 1);
        QCOMPARE(prompt->asked.first().title, QStringLiteral("Mossglen"));
        QCOMPARE(w.tabs()->count(), answer == QMessageBox::Cancel ? 1 : 0);
        QCOMPARE(readFile(a), onDisk);
    }
    void saveAsFilterAndTitle_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("order");  // of the filters, by their first word
        QTest::newRow("untitled") << QString() << "Web HTML CSS JavaScript PHP All";
        QTest::newRow("css file") << "a.css" << "CSS Web HTML JavaScript PHP All";
        QTest::newRow("htm file, upper case") << "a.HTM" << "HTML Web CSS JavaScript PHP All";
        QTest::newRow("phtml file") << "a.phtml" << "PHP Web HTML CSS JavaScript All";
        QTest::newRow("other suffix") << "notes.txt" << "Web HTML CSS JavaScript PHP All";
    }
    void saveAsFilterAndTitle()
    {
        QFETCH(QString, existing);
        QFETCH(QString, order);
        const QHash<QString, QString> filters{{"Web", "Web Files (*.html *.htm *.css *.js *.php *.phtml)"},
            {"HTML", "HTML Files (*.html *.htm)"}, {"CSS", "CSS Files (*.css)"},
            {"JavaScript", "JavaScript Files (*.js)"}, {"PHP", "PHP Files (*.php *.phtml)"}, {"All", "All Files (*)"}};
        QStringList expected;
        for (const QString &name : order.split(' '))
            expected << filters.value(name);
        MainWindow w(existing.isEmpty() ? QStringList() : QStringList{file(existing)});
        w.currentView()->insertPlainText("body");
        const QString target = dir->filePath("saved.html");
        prompt->saveAnswers = {target};
        QVERIFY(w.on_actionSave_As_triggered());
        QCOMPARE(prompt->asked.last().filter, expected.join(";;"));
        QCOMPARE(prompt->asked.last().title, QStringLiteral("Save As"));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Saved saved.html (UTF-8, LF)"));
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("saved.html"));
        QCOMPARE(w.tabs()->tabToolTip(0), target + " (UTF-8, LF)");
        QVERIFY(readFile(target).startsWith("body"));
        QCOMPARE(stored("recentFileList").value(0), target);
        // Cancel in the dialog changes nothing.
        prompt->saveAnswers.clear();
        QVERIFY(!w.on_actionSave_As_triggered());
        QCOMPARE(w.currentView()->fullPath(), target);
    }
    void failedReadLeavesNoView_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder") << "it is a folder";
        QTest::newRow("fifo") << "it is not a regular file";
    }
    // No view, but a message in the window that names the file and why.
    void failedReadLeavesNoView()
    {
        QFETCH(QString, reason);
        MainWindow w({});
        const QString unreadable = dir->filePath(QTest::currentDataTag());
        if (reason.contains("folder"))
            QVERIFY(QDir().mkpath(unreadable));
        else if (::mkfifo(QFile::encodeName(unreadable).constData(), 0600) != 0)
            QSKIP("cannot make a named pipe here");
        EditView *result = reinterpret_cast<EditView *>(0x1);
        w.loadFile(unreadable, &result);
        QCOMPARE(result, nullptr);
        QCOMPARE(tabTitles(w), QStringList{"Untitled-1"});
        QCOMPARE(w.messages()->texts(nullptr),
                 QStringList{QStringLiteral("'%1' cannot be opened: %2").arg(QDir::toNativeSeparators(unreadable), reason)});
    }
    void readProblem_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("dismissed") << "dismiss";
        QTest::newRow("reloaded after the file was mended") << "reload";
        QTest::newRow("reopened in another encoding") << "reopen";
    }
    // A read problem is not a status message that the next tab change wipes:
    // it stays with its document until dismissed, or until the file reads
    // cleanly, so that the bar never speaks of bytes the document no longer has.
    void readProblem()
    {
        QFETCH(QString, ending);
        const QString path = file("bad.html", "<p>caf\xE9 \xFF</p>\n");
        MainWindow w({path});
        EditView *view = w.currentView();
        MessageBar *bar = w.messages();
        const QStringList texts = bar->texts(view);
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].contains("bad.html") && texts[0].contains("valid"), qPrintable(texts[0]));
        QVERIFY(bar->isVisibleTo(&w));
        w.on_action_New_triggered();
        QVERIFY(!bar->isVisibleTo(&w));
        w.tabs()->setCurrentWidget(view);
        QVERIFY(bar->isVisibleTo(&w));
        if (ending == "dismiss") {
            const auto buttons = bar->findChildren<QPushButton *>();
            QCOMPARE(buttons.size(), 1);
            QCOMPARE(buttons[0]->focusPolicy(), Qt::NoFocus);
            buttons[0]->click();
        } else {
            // Mended elsewhere, in Shift-JIS: "\x82\xA0" is not UTF-8.
            QVERIFY(writeFile(path, "<p>caf\x82\xA0</p>\n"));
            ending == "reopen" ? action(w, "actionReopen_SJIS")->trigger() : w.documentWatcher()->checkAll();
            QCOMPARE(view->toPlainText(), QString::fromUtf8("<p>caf\u3042</p>\n"));
        }
        QCOMPARE(bar->texts(view), QStringList());
        QVERIFY(!bar->isVisibleTo(&w));
    }
    void previousDocumentGoesBackAndForth()
    {
        MainWindow w({file("a.html"), file("b.html")});
        w.on_action_New_triggered();
        for (const char *title : {"b.html", "Untitled-2"}) {
            w.on_action_PreviousDoc_triggered();
            QCOMPARE(w.currentView()->title(), QLatin1String(title));
        }
        // A closed file's tab comes back by reading the file again.
        w.tabs()->setCurrentIndex(0);
        w.tabs()->setCurrentIndex(1);
        w.on_action_Close_triggered();
        w.on_action_PreviousDoc_triggered();
        QCOMPARE(w.currentView()->title(), QStringLiteral("b.html"));
    }
    void encodingMenuFollowsTab()
    {
        MainWindow w({});
        QAction *utf8 = action(w, "action_UTF8"), *sjis = action(w, "action_SJIS");
        QAction *mark = action(w, "actionByteOrderMark"), *crlf = action(w, "actionLineEnd_CRLF");
        auto *menu = w.findChild<QMenu *>("menuEncoding_of_cur_doc");
        w.on_action_New_triggered();
        QVERIFY(utf8->isChecked());
        QCOMPARE(menu->title(), QStringLiteral("&Encoding of 'Untitled-2'"));
        sjis->trigger();
        QCOMPARE(w.currentView()->charEncoding(), ShiftJIS);
        QVERIFY(sjis->isChecked() && !utf8->isChecked());
        // Shift-JIS has no byte-order mark to choose; UTF-16 starts with one.
        QVERIFY(!mark->isEnabled());
        action(w, "action_UTF16LE")->trigger();
        QVERIFY(mark->isEnabled() && mark->isChecked());
        mark->trigger();
        QVERIFY(!w.currentView()->fileFormat().byteOrderMark);
        crlf->trigger();
        QCOMPARE(w.currentView()->fileFormat().lineEnd, LineEnd::CRLF);
        QVERIFY(w.currentView()->document()->isModified());
        w.currentView()->document()->setModified(false);  // no question on close
        w.tabs()->setCurrentIndex(0);
        QVERIFY(utf8->isChecked() && !sjis->isChecked() && !mark->isChecked());
        QVERIFY(!crlf->isChecked() && action(w, "actionLineEnd_LF")->isChecked());
        w.on_action_Close_triggered();
        w.on_action_Close_triggered();
        QCOMPARE(menu->title(), QStringLiteral("&Encoding of This Document"));
    }
    void reopenWithEncoding_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<int>("answer");  // -1: no question
        QTest::addColumn<bool>("reread");
        QTest::newRow("unmodified") << false << false << -1 << true;
        QTest::newRow("modified, reopen") << true << false << int(QMessageBox::Discard) << true;
        QTest::newRow("modified, cancel") << true << false << int(QMessageBox::Cancel) << false;
        QTest::newRow("file removed") << false << true << int(QMessageBox::Ok) << false;
    }
    // A wrong guess is mended in one step; the user's text is never lost unasked.
    void reopenWithEncoding()
    {
        QFETCH(bool, modified);
        QFETCH(bool, removed);
        QFETCH(int, answer);
        QFETCH(bool, reread);
        // "あい" in EUC-JP; read as Shift-JIS the same bytes are half-width kana.
        const QString path = file(QStringLiteral("guess.html"), QByteArray("\xA4\xA2\xA4\xA4\r\n"));
        MainWindow w({path});
        EditView *view = w.currentView();
        QCOMPARE(view->charEncoding(), EucJP);
        if (modified)
            view->insertPlainText(QStringLiteral("typed "));
        const QString before = view->toPlainText();
        if (removed)
            QVERIFY(QFile::remove(path));
        if (answer >= 0)
            prompt->answers = {QMessageBox::StandardButton(answer)};
        action(w, "actionReopen_SJIS")->trigger();
        QCOMPARE(prompt->asked.size(), answer >= 0 ? 1 : 0);
        if (removed)
            QVERIFY(prompt->asked.first().text.contains("no longer exists"));
        QCOMPARE(view->toPlainText(), reread ? QString::fromUtf8("､｢､､\n") : before);
        QCOMPARE(view->charEncoding(), reread ? ShiftJIS : EucJP);
        QCOMPARE(view->fileFormat().lineEnd, LineEnd::CRLF);
        QCOMPARE(view->document()->isModified(), modified && !reread);
        if (reread)
            QVERIFY(w.statusBar()->currentMessage().contains("Shift-JIS, as chosen"));
        view->document()->setModified(false);
    }
    void recentListOrderAndLimit()
    {
        MainWindow w({});
        QStringList paths;
        for (int i = 0; i < 37; ++i)
            w.loadFile(paths.emplace_back(file(QStringLiteral("f%1.html").arg(i))));
        QStringList list = stored("recentFileList");
        QCOMPARE(list.size(), 36);
        QCOMPARE(list.first(), paths.last());
        QVERIFY(!list.contains(paths.first()));
        // Third in the list, closed and loaded again: moves to the front.
        QCOMPARE(list.at(2), paths.at(34));
        for (int i = 0; i < w.tabs()->count(); ++i)
            if (w.viewAt(i)->fullPath() == paths.at(34))
                w.close(w.viewAt(i));
        QCOMPARE(w.tabs()->count(), 36);
        w.loadFile(paths.at(34));
        list = stored("recentFileList");
        QCOMPARE(list.size(), 36);
        QCOMPARE(list.first(), paths.at(34));
        QCOMPARE(list.count(paths.at(34)), 1);
        const QList<QAction *> entries = w.findChild<QMenu *>("menuRecentFiles")->actions();
        QCOMPARE(std::count_if(entries.cbegin(), entries.cend(), [](QAction *a) { return a->isVisible(); }), 36);
        QCOMPARE(stored("recentDirList"), QStringList{QDir(dir->path()).absolutePath()});
        // Access keys 1-9, 0, then letters; an ampersand in a path is shown as one.
        QCOMPARE(MainWindow::listEntryText(0, "/web/a&b.html"), QStringLiteral("&1 /web/a&&b.html"));
        QCOMPARE(MainWindow::listEntryText(9, "/a"), QStringLiteral("&0 /a"));
        QCOMPARE(MainWindow::listEntryText(10, "/a"), QStringLiteral("&A /a"));
    }
    void favouritesOnlyForFiles()
    {
        const QString a = file("a.html");
        MainWindow w({a});
        QAction *add = action(w, "actionAddThisFile");
        add->trigger();
        add->trigger();
        QCOMPARE(stored("favoriteFileList"), QStringList{a});
        w.on_action_New_triggered();
        add->trigger();  // untitled: nothing to add
        QCOMPARE(stored("favoriteFileList"), QStringList{a});
        // A favourite entry opens its file like a recent entry.
        w.tabs()->setCurrentIndex(0);
        w.on_action_Close_triggered();
        QAction *entry = nullptr;
        for (QAction *act : w.findChild<QMenu *>("menuFavoriteFiles")->actions())
            if (act->isVisible() && act->data().toString() == a)
                entry = act;
        QVERIFY(entry);
        clearCommandStatistics();
        entry->trigger();
        QCOMPARE(w.currentView()->fullPath(), a);
        QCOMPARE(commandCount("Action.openRecentFile"), 1);
    }
    void shortTextInsertion_data() { addTableRows("app/shorttext.txt"); }
    void shortTextInsertion()
    {
        QFETCH(QStringList, fields);
        MainWindow w({});
        w.globalSettings()->shortTextSel[0] = fields.at(0);
        EditView *v = w.currentView();
        setCursorMarked(*v, fields.at(1));
        action(w, "actionText_1")->trigger();
        QCOMPARE(v->toPlainText(), fields.at(2));
        QCOMPARE(v->textCursor().position(), fields.at(3).toInt());
        v->undo();  // one step restores the text
        QCOMPARE(v->toPlainText(), QStringLiteral("aword"));
    }
    void shortTextMenuShowsWhatWouldBeInserted()
    {
        MainWindow w({});
        auto *menu = w.findChild<QMenu *>("menu_ShortText");
        w.currentView()->setPlainText("word");
        for (const auto &[first, tenth] : {std::pair{"&1 '<p>'", "&0 '<br>'"}, {"&1 '<b>,</b>'", "&0 '<!--,-->'"}}) {
            QMetaObject::invokeMethod(menu, "aboutToShow");
            QCOMPARE(action(w, "actionText_1")->text(), QLatin1String(first));
            QCOMPARE(action(w, "actionText_10")->text(), QLatin1String(tenth));
            w.currentView()->selectAll();
        }
    }
    void droppedFilesOpenInOrder()
    {
        MainWindow w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QStringList names{"c.html", "a.html", "b.html"};
        QList<QUrl> urls;
        for (const QString &n : names)
            urls << QUrl::fromLocalFile(file(n));
        QMimeData data, text;
        data.setUrls(urls);
        text.setText("not files");
        const QPoint at = w.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
        QCOMPARE(tabTitles(w), names);  // the empty Untitled-1 gave way
        QCOMPARE(w.currentView()->title(), QStringLiteral("b.html"));
        QDragEnterEvent other(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &other);
        QVERIFY(!other.isAccepted());
    }
    void aboutBoxShowsVersions()
    {
        MainWindow w({});
        QString mainText, credits;
        bool hasIcon = false;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                mainText = box->text();
                credits = box->informativeText();
                hasIcon = !box->iconPixmap().isNull();
                box->accept();
            }
        });
        clearCommandStatistics();
        action(w, "action_AboutMossglen")->trigger();
        QCOMPARE(mainText, QStringLiteral("<div align=center><b>Mossglen</b> version 0.014.Dev</div>"));
        // The credits name the Qt that is really running, not a fixed number.
        QVERIFY(credits.contains(QLatin1String(qVersion())) && credits.contains("0.014.Dev") && hasIcon);
        QCOMPARE(commandCount("Action.about"), 1);
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
    void previewWithoutBrowserSaysSo()
    {
        // No program on the path and none named: no browser can be started.
        QTemporaryDir emptyPath;
        const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER");
        qputenv("PATH", QFile::encodeName(emptyPath.path()));
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            if (!browser.isEmpty())
                qputenv("BROWSER", browser);
        });
        const QString a = file("a.html", "<p>page\n");
        MainWindow w({a});
        w.on_action_Browse_triggered();
        const QString shown = w.statusBar()->currentMessage();
        QVERIFY2(shown.startsWith("No web browser could be started") && shown.contains(QDir::toNativeSeparators(a)),
                 qPrintable(shown));
        QTest::qWait(MainWindow::MessageTimeout + 500);
        QCOMPARE(w.statusBar()->currentMessage(), shown);
        QCOMPARE(readFile(a), QByteArray("<p>page\n"));
    }
};

QTEST_MAIN(TestMainWindowDocuments)
#include "tst_mainwindow_documents.moc"
