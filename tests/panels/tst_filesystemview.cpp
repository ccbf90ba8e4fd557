#include "app/mainwindow.h"
#include "panels/filesystemview.h"
#include "testsupport.h"

#include <QDockWidget>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>

class TestFileSystemView : public FixtureTest
{
    Q_OBJECT
private slots:
    void keys_data() { addTableRows("panels/filesystemkeys.txt"); }
    void keys()
    {
        QFETCH(QStringList, fields);
        for (const char *name : {"sub/inner.txt", "a.txt", "j.txt"})
            file(name, "x");
        QFileSystemModel model;
        model.setRootPath(dir->path());
        FileSystemView view;
        view.setModel(&model);
        view.setRootIndex(model.index(dir->path()));
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto at = [&](const QString &relative) {
            return relative.isEmpty() ? QModelIndex() : model.index(dir->filePath(relative));
        };
        // The model lists directories on a worker thread and sorts them
        // later; sorting now fixes the order the keys walk.
        QVERIFY(QTest::qWaitFor([&] { return model.rowCount(view.rootIndex()) == 3; }));
        model.sort(0);
        if (fields[2].startsWith("open")) {
            view.expand(at("sub"));
            QVERIFY(QTest::qWaitFor([&] { return model.rowCount(at("sub")) == 1; }));
        }
        view.setCurrentIndex(at(fields[0]));
        QSignalSpy openSpy(&view, &FileSystemView::openFile);
        if (fields[1] == "double click") {
            const QPoint p = view.visualRect(at(fields[0])).center();
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, p);
            QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, p);
        } else {
            QTest::keySequence(&view, QKeySequence(fields[1]));
        }
        QCOMPARE(view.isExpanded(at("sub")), fields[2].endsWith("> open"));
        QStringList opened;
        for (const auto &args : openSpy)
            opened << QDir(dir->path()).relativeFilePath(args.at(0).toString());
        QCOMPARE(opened.join(' '), fields[3]);
        const QModelIndex now = view.currentIndex();
        QCOMPARE(now.isValid() ? QDir(dir->path()).relativeFilePath(model.filePath(now)) : QString(), fields[4]);
    }
    // The dock starts in the folder of the file opened, or at home, showing
    // names only in a column as wide as the deepest name, and opening a file
    // from it keeps the place; Open Dir shows a directory there and ignores
    // one that does not exist.
    void dockStartsAtTheDocumentsFolder_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::newRow("no file: the home folder") << false;
        QTest::newRow("a file: its folder") << true;
    }
    void dockStartsAtTheDocumentsFolder()
    {
        QFETCH(bool, withFile);
        const QString top = dir->filePath("a-folder-with-a-long-name");
        const QString folder = top + "/another-folder-below-it/and-one-more";
        const auto page = [&](int i) {
            return folder + QStringLiteral("/page-with-a-name-that-is-long-as-well-%1.html").arg(i, 2, 10, QLatin1Char('0'));
        };
        for (int i = 0; i < 60; ++i)
            QVERIFY(writeFile(page(i), "<p>\n"));
        MainWindow w(withFile ? QStringList{page(0)} : QStringList());
        w.resize(800, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FileSystemView *view = w.fileSystem();
        auto *model = qobject_cast<QFileSystemModel *>(view->model());
        auto *dock = qobject_cast<QDockWidget *>(view->parentWidget());
        QVERIFY(dock);
        QCOMPARE(model->filePath(view->currentIndex()), withFile ? folder : QDir::homePath());
        QVERIFY(view->isExpanded(view->currentIndex()));
        for (int column = 1; column < model->columnCount(); ++column)
            QVERIFY(view->header()->isSectionHidden(column));
        if (withFile) {
            const QModelIndex index = model->index(page(0));
            QTRY_VERIFY(view->visualRect(index).isValid());
            QTRY_VERIFY(view->columnWidth(0) >= view->visualRect(index).left() - view->visualRect(view->rootIndex()).left()
                                                    + view->fontMetrics().horizontalAdvance(model->fileName(index)));
            dock->raise();
            QTRY_VERIFY(view->isVisible());
            const QPersistentModelIndex target = model->index(page(45));
            // The listing is sorted after it arrives; rows move until then.
            QTRY_COMPARE(target.row(), 45);
            view->scrollTo(target);
            QTRY_VERIFY(view->visualRect(target).top() >= 0 && view->visualRect(target).bottom() < view->viewport()->height());
            const int scrolled = view->verticalScrollBar()->value();
            QVERIFY(scrolled > 0);
            const QPoint at = view->visualRect(target).topLeft() + QPoint(10, 5);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            QTRY_COMPARE(w.currentView()->fullPath(), page(45));
            QTest::qWait(200);
            QCOMPARE(model->filePath(view->currentIndex()), page(45));
            QCOMPARE(view->verticalScrollBar()->value(), scrolled);
        }
        dock->hide();
        const QModelIndex before = view->currentIndex();
        w.openDir(dir->filePath("no-such-directory"));
        QVERIFY(!dock->isVisible());
        QCOMPARE(view->currentIndex(), before);
        w.openDir(top);
        QVERIFY(dock->isVisible());
        QCOMPARE(model->filePath(view->currentIndex()), top);
        QVERIFY(view->isExpanded(view->currentIndex()));
    }
};

QTEST_MAIN(TestFileSystemView)
#include "tst_filesystemview.moc"
