#include "app/mainwindow.h"
#include "html/editview.h"
#include "panels/filesystemview.h"
#include "testsupport.h"
#include "testtable.h"

#include <QDockWidget>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A browser over a small temporary tree: sub/ (with inner.txt), a.txt, j.txt.
struct Browser
{
    QTemporaryDir dir;
    QFileSystemModel model;
    FileSystemView view;

    bool setUp()
    {
        if (!dir.isValid() || !writeFile(dir.filePath("sub/inner.txt"), "x")
            || !writeFile(dir.filePath("a.txt"), "a") || !writeFile(dir.filePath("j.txt"), "j"))
            return false;
        model.setRootPath(dir.path());
        view.setModel(&model);
        view.setRootIndex(model.index(dir.path()));
        view.resize(400, 300);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return false;
        // The model lists directories on a worker thread and sorts them
        // later; sorting now fixes the order the key tests walk.
        if (!QTest::qWaitFor([&] { return model.rowCount(view.rootIndex()) == 3; }))
            return false;
        model.sort(0);
        return true;
    }
    // "@first" and "@last" name the top and bottom rows of the listing.
    QModelIndex at(const QString &relative) const
    {
        if (relative == "@first")
            return model.index(0, 0, view.rootIndex());
        if (relative == "@last")
            return model.index(model.rowCount(view.rootIndex()) - 1, 0, view.rootIndex());
        return relative.isEmpty() ? QModelIndex() : model.index(dir.filePath(relative));
    }
    QString relative(const QModelIndex &index) const
    {
        return index.isValid() ? QDir(dir.path()).relativeFilePath(model.filePath(index)) : QString();
    }
};

} // namespace

class TestFileSystemView : public MainWindowTest
{
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("sub");  // expanded before > after
        QTest::addColumn<QString>("opened");
        for (const TestRow &r : readTestTable("panels/filesystemkeys.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields[0] << QKeySequence(r.fields[1]) << r.fields[2] << r.fields[3];
    }
    void keys()
    {
        QFETCH(QString, current);
        QFETCH(QKeySequence, key);
        QFETCH(QString, sub);
        QFETCH(QString, opened);
        Browser b;
        QVERIFY(b.setUp());
        if (sub.startsWith("open")) {
            b.view.expand(b.at("sub"));
            QVERIFY(QTest::qWaitFor([&] { return b.model.rowCount(b.at("sub")) == 1; }));
        }
        b.view.setCurrentIndex(b.at(current));
        QSignalSpy openSpy(&b.view, &FileSystemView::openFile);
        QTest::keyClick(&b.view, key[0].key(), key[0].keyboardModifiers());
        QCOMPARE(b.view.isExpanded(b.at("sub")), sub.endsWith("> open"));
        if (opened.isEmpty()) {
            QCOMPARE(openSpy.count(), 0);
        } else {
            QCOMPARE(openSpy.count(), 1);
            QCOMPARE(openSpy.at(0).at(0).toString(), b.dir.filePath(opened));
        }
        QCOMPARE(b.relative(b.view.currentIndex()), current);
    }
    void ctrlLettersActAsArrows_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("arrow");
        const std::tuple<const char *, const char *, Qt::Key> rows[] = {
            {"@first", "Ctrl+J", Qt::Key_Down}, {"@first", "Ctrl+Shift+J", Qt::Key_Down},
            {"@last", "Ctrl+K", Qt::Key_Up}, {"@last", "Ctrl+Alt+K", Qt::Key_Up},
            {"sub", "Ctrl+L", Qt::Key_Right}, {"sub", "Ctrl+H", Qt::Key_Left}};
        for (const auto &[start, key, arrow] : rows)
            QTest::newRow(key) << start << QKeySequence(key) << int(arrow);
    }
    void ctrlLettersActAsArrows()
    {
        QFETCH(QString, start);
        QFETCH(QKeySequence, key);
        QFETCH(int, arrow);
        // The same start twice: once with the letter, once with the arrow itself.
        QString byLetter, byArrow, startPath;
        bool expandedByLetter = false, expandedByArrow = false;
        for (int pass = 0; pass < 2; ++pass) {
            Browser b;
            QVERIFY(b.setUp());
            b.view.setCurrentIndex(b.at(start));
            startPath = b.relative(b.view.currentIndex());
            QSignalSpy openSpy(&b.view, &FileSystemView::openFile);
            if (pass == 0)
                QTest::keyClick(&b.view, key[0].key(), key[0].keyboardModifiers());
            else
                QTest::keyClick(&b.view, Qt::Key(arrow));
            QCOMPARE(openSpy.count(), 0);
            (pass == 0 ? byLetter : byArrow) = b.relative(b.view.currentIndex());
            (pass == 0 ? expandedByLetter : expandedByArrow) = b.view.isExpanded(b.at("sub"));
        }
        QCOMPARE(byLetter, byArrow);
        QCOMPARE(expandedByLetter, expandedByArrow);
        // Up and down must really have moved, or the comparison proves nothing.
        if (arrow == Qt::Key_Down || arrow == Qt::Key_Up)
            QVERIFY(byLetter != startPath);
        if (arrow == Qt::Key_Right)
            QVERIFY(expandedByLetter);
    }
    void keysDroppedWithoutCurrentItem()
    {
        Browser b;
        QVERIFY(b.setUp());
        b.view.setCurrentIndex(QModelIndex());
        QSignalSpy openSpy(&b.view, &FileSystemView::openFile);
        for (const char *key : {"Down", "Ctrl+J", "A"}) {
            QTest::keySequence(&b.view, QKeySequence(key));
            QVERIFY2(!b.view.currentIndex().isValid(), key);
        }
        QCOMPARE(openSpy.count(), 0);
    }
    void doubleClick_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("expandedAfter");
        QTest::addColumn<QString>("opened");
        QTest::newRow("file") << "a.txt" << false << "a.txt";
        QTest::newRow("directory") << "sub" << true << "";
    }
    void doubleClick()
    {
        QFETCH(QString, target);
        QFETCH(bool, expandedAfter);
        QFETCH(QString, opened);
        Browser b;
        QVERIFY(b.setUp());
        QSignalSpy openSpy(&b.view, &FileSystemView::openFile);
        const QPoint at = b.view.visualRect(b.at(target)).center();
        QTest::mouseClick(b.view.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(b.view.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(b.relative(b.view.currentIndex()), target);
        QCOMPARE(b.view.isExpanded(b.at("sub")), expandedAfter);
        if (opened.isEmpty()) {
            QCOMPARE(openSpy.count(), 0);
        } else {
            QCOMPARE(openSpy.count(), 1);
            QCOMPARE(openSpy.at(0).at(0).toString(), b.dir.filePath(opened));
        }
    }
    void plainLetterSearches()
    {
        Browser b;
        QVERIFY(b.setUp());
        b.view.setCurrentIndex(b.at("sub"));
        QSignalSpy openSpy(&b.view, &FileSystemView::openFile);
        QTest::keyClick(&b.view, Qt::Key_J);
        QCOMPARE(b.relative(b.view.currentIndex()), QStringLiteral("j.txt"));
        QCOMPARE(openSpy.count(), 0);
    }
    void openDirShowsTheDirectory()
    {
        QVERIFY(writeFile(dir->filePath("site/index.html"), "<p>\n"));
        const QString site = QDir(dir->path()).absoluteFilePath("site");
        MainWindow w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FileSystemView *view = w.fileSystem();
        auto *dock = qobject_cast<QDockWidget *>(view->parentWidget());
        QVERIFY(dock);
        dock->hide();

        const QModelIndex before = view->currentIndex();
        w.openDir(dir->filePath("no-such-directory"));
        QVERIFY(!dock->isVisible());
        QCOMPARE(view->currentIndex(), before);

        w.openDir(site);
        QVERIFY(dock->isVisible());
        auto *model = qobject_cast<QFileSystemModel *>(view->model());
        QCOMPARE(model->filePath(view->currentIndex()), site);
        QVERIFY(view->isExpanded(view->currentIndex()));
    }
    void dockStartsAtTheDocumentsFolder_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::newRow("no file: the home folder") << false;
        QTest::newRow("a file: its folder") << true;
    }
    void dockStartsAtTheDocumentsFolder()
    {
        QFETCH(bool, withFile);
        const QString deep = QStringLiteral("a-folder-with-a-long-name/another-folder-below-it/and-one-more");
        QVERIFY(writeFile(dir->filePath(deep + "/page-with-a-name-that-is-long-as-well.html"), "<p>\n"));
        const QString folder = QDir(dir->filePath(deep)).absolutePath();
        MainWindow w(withFile ? QStringList{folder + "/page-with-a-name-that-is-long-as-well.html"}
                              : QStringList());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FileSystemView *view = w.fileSystem();
        auto *model = qobject_cast<QFileSystemModel *>(view->model());
        QCOMPARE(model->filePath(view->currentIndex()), withFile ? folder : QDir::homePath());
        QVERIFY(view->isExpanded(view->currentIndex()));
        // Names only, in a column as wide as the deepest name shown.
        for (int column = 1; column < model->columnCount(); ++column)
            QVERIFY(view->header()->isSectionHidden(column));
        if (withFile) {
            const QModelIndex page = model->index(folder + "/page-with-a-name-that-is-long-as-well.html");
            QTRY_VERIFY(view->visualRect(page).isValid());
            const QString name = model->fileName(page);
            QTRY_VERIFY(view->columnWidth(0) >= view->visualRect(page).left() - view->visualRect(view->rootIndex()).left()
                                                     + view->fontMetrics().horizontalAdvance(name));
            QTRY_VERIFY(view->visualRect(page).right() < view->columnWidth(0));
        }
    }
    void openingAFileKeepsThePlace()
    {
        for (int i = 0; i < 60; ++i)
            QVERIFY(writeFile(dir->filePath(QStringLiteral("site/page%1.html").arg(i, 2, 10, QLatin1Char('0'))), "<p>\n"));
        const QString site = QDir(dir->filePath("site")).absolutePath();
        MainWindow w({site + "/page00.html"});
        w.resize(800, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FileSystemView *view = w.fileSystem();
        qobject_cast<QDockWidget *>(view->parentWidget())->raise();
        QTRY_VERIFY(view->isVisible());
        auto *model = qobject_cast<QFileSystemModel *>(view->model());
        const QPersistentModelIndex target = model->index(site + "/page45.html");
        // The listing is sorted after it arrives; rows move until then.
        QTRY_COMPARE(target.row(), 45);
        view->scrollTo(target);
        const auto inView = [&] {
            const QRect row = view->visualRect(target);
            return row.top() >= 0 && row.bottom() < view->viewport()->height();
        };
        QTRY_VERIFY(inView());
        const int scrolled = view->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        const QPoint at = view->visualRect(target).topLeft() + QPoint(10, 5);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(w.currentView()->fullPath(), site + "/page45.html");
        QTest::qWait(200);
        QCOMPARE(model->filePath(view->currentIndex()), site + "/page45.html");
        QCOMPARE(view->verticalScrollBar()->value(), scrolled);
    }
};

QTEST_MAIN(TestFileSystemView)
#include "tst_filesystemview.moc"
