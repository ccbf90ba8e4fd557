#include "app/mainwindow.h"
#include "app/recoveryjournal.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

// Saving and keeping recovery copies on a file system that is full: the old
// file or copy stays as it was, and the document keeps its changes.
class TestRecoveryDiskFull : public MainWindowTest
{
    Q_OBJECT
private slots:
    void init()
    {
        MainWindowTest::init();
        folder = dir->filePath(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(folder));
    }
    void cleanup()
    {
#ifdef Q_OS_LINUX
        if (mounted)
            ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
#endif
        mounted = false;
        MainWindowTest::cleanup();
    }
    void saveOntoFullDisk()
    {
        const QString target = folder + QStringLiteral("/page.html");
        const QByteArray old("<p>the old contents</p>\n");
        // Room for the old file and not a page more.
        mountFull(4096);
        if (QTest::currentTestFailed() || !mounted)
            return;
        QVERIFY(writeFile(target, old));

        MainWindow window({target});
        EditView *view = window.currentView();
        QVERIFY(view);
        QCOMPARE(view->fullPath(), target);
        QTextCursor cursor(view->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("<p>much more than there is room for</p>\n").repeated(4000));
        QVERIFY(view->document()->isModified());

        prompt->answers << QMessageBox::Ok;
        QVERIFY(!window.on_action_Save_triggered());
        QCOMPARE(prompt->asked.size(), 1);
        QCOMPARE(prompt->asked[0].icon, QMessageBox::Critical);
        QCOMPARE(prompt->asked[0].text, QStringLiteral("failed to save file '%1':\nNo space left on device").arg(target));
        QCOMPARE(readFile(target), old);
        QVERIFY(view->document()->isModified());
        QVERIFY(window.tabs()->tabText(0).endsWith(QLatin1String(" *")));
        // No temporary file of the failed save is left taking the space.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);

        // The edits are still kept safe where there is room.
        RecoveryJournal *journal = window.recoveryJournal();
        journal->flush();
        QString kept;
        QVERIFY(RecoveryJournal::readText(journal->journalFile(view), &kept));
        QCOMPARE(kept, view->toPlainText());
    }
    void recoveryCopyOntoFullDisk()
    {
        const QString recovery = folder + QStringLiteral("/recovery");
        // Room for a small copy and its folder.
        mountFull(16384);
        if (QTest::currentTestFailed() || !mounted)
            return;
        GlobalSettings settings;
        ViEngine engine;
        EditView view(&settings, &engine);
        view.setTitle(QStringLiteral("Untitled-1"));
        RecoveryJournal journal(recovery);
        QVERIFY(journal.isEnabled());
        journal.setDelays(0, 0);
        journal.track(&view);
        QSignalSpy messages(&view, &EditViewBase::showMessage);

        view.insertPlainText(QStringLiteral("first words"));
        journal.flush();
        const QString file = journal.journalFile(&view);
        QString kept;
        QVERIFY(RecoveryJournal::readText(file, &kept));
        QCOMPARE(kept, QStringLiteral("first words"));
        QVERIFY(messages.isEmpty());

        // Now far more than the disk holds: the write fails, the last good copy stays.
        view.insertPlainText(QStringLiteral(" and a great many more").repeated(3000));
        journal.flush();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0][0].toString().contains(QStringLiteral("Untitled-1")),
                 qPrintable(messages[0][0].toString()));
        QVERIFY(RecoveryJournal::readText(file, &kept));
        QCOMPARE(kept, QStringLiteral("first words"));
        QCOMPARE(QDir(recovery).entryList({QStringLiteral("*.journal*")}, QDir::Files | QDir::Hidden).size(), 1);
    }

private:
    // Mounts a 64 KiB tmpfs on `folder` and fills it up but for `spare` bytes;
    // skips the test where no tmpfs can be mounted.
    void mountFull(qint64 spare);

    QString folder;
    bool mounted = false;
};

void TestRecoveryDiskFull::mountFull(qint64 spare)
{
#ifndef Q_OS_LINUX
    Q_UNUSED(spare);
    QSKIP("the full file system is staged with a Linux tmpfs");
#else
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs here (needs root or the "
                                        "right to mount): %1")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)))));
    mounted = true;
    // Fill in small steps until the file system refuses, then free `spare`.
    QFile filler(folder + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(512, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    QVERIFY(filler.size() > 0);
    QVERIFY(filler.resize(qMax<qint64>(0, filler.size() - spare)));
#endif
}

QTEST_MAIN(TestRecoveryDiskFull)
#include "tst_recoverydiskfull.moc"
