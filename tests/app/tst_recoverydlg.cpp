#include "app/mainwindow.h"
#include "app/messagebar.h"
#include "app/recoverydlg.h"
#include "app/recoveryjournal.h"
#include "editor/charencoding.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextCursor>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

// The recovery dialog, and restoring kept documents in the main window.
class TestRecoveryDlg : public MainWindowTest
{
    Q_OBJECT
    int dialogsRun = 0;
    // Answers the recovery dialog by calling its slots, as a person would
    // click; a dialog the slot left open counts as closed unanswered.
    void onRecovery(const std::function<void(RecoveryDlg *)> &answer)
    {
        dialogsRun = 0;
        prompt->dialogHandler = [this, answer](QDialog *dialog) {
            ++dialogsRun;
            auto *dlg = qobject_cast<RecoveryDlg *>(dialog);
            if (!dlg) {
                prompt->unexpected = true;
                return int(QDialog::Rejected);
            }
            answer(dlg);
            if (dlg->isVisible() || dlg->result() == 0)
                dlg->reject();
            return dlg->result();
        };
    }
private slots:
    void decisions_data()
    {
        QTest::addColumn<QList<int>>("unchecked");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("confirm");     // NoButton: no confirmation expected
        QTest::addColumn<int>("decision");
        QTest::addColumn<QString>("restored");  // titles, in list order
        QTest::addColumn<QString>("discarded");

        QTest::newRow("restore all") << QList<int>{} << "restore" << int(QMessageBox::NoButton)
                                     << int(RecoveryDlg::Restore) << "a b c" << "";
        QTest::newRow("restore some, confirm") << QList<int>{1} << "restore" << int(QMessageBox::Discard)
                                               << int(RecoveryDlg::Restore) << "a c" << "b";
        QTest::newRow("restore some, cancel") << QList<int>{0, 2} << "restore" << int(QMessageBox::Cancel)
                                              << int(RecoveryDlg::Later) << "" << "";
        QTest::newRow("none checked") << QList<int>{0, 1, 2} << "restore" << int(QMessageBox::Discard)
                                      << int(RecoveryDlg::Restore) << "" << "a b c";
        QTest::newRow("discard all, confirm") << QList<int>{} << "discard" << int(QMessageBox::Discard)
                                              << int(RecoveryDlg::DiscardAll) << "" << "a b c";
        QTest::newRow("discard all, cancel") << QList<int>{} << "discard" << int(QMessageBox::Cancel)
                                             << int(RecoveryDlg::Later) << "" << "";
        QTest::newRow("later") << QList<int>{1} << "reject" << int(QMessageBox::NoButton)
                               << int(RecoveryDlg::Later) << "" << "";
    }
    void decisions()
    {
        QFETCH(QList<int>, unchecked);
        QFETCH(QString, action);
        QFETCH(int, confirm);
        QFETCH(int, decision);
        QFETCH(QString, restored);
        QFETCH(QString, discarded);

        QList<RecoveryJournal::Entry> entries(3);
        for (int i = 0; i < 3; ++i) {
            entries[i].title = QString(QChar(u'a' + i));
            entries[i].lastChange = QDateTime(QDate(2024, 3, 4), QTime(5, 6 + i), Qt::UTC);
        }
        entries[0].fullPath = dir->filePath(QStringLiteral("a.html"));
        RecoveryDlg dlg(entries);
        QCOMPARE(dlg.count(), 3);
        QCOMPARE(dlg.documentText(0), QDir::toNativeSeparators(entries[0].fullPath));
        QCOMPARE(dlg.documentText(1), QStringLiteral("b (never saved)"));
        QCOMPARE(dlg.timeText(0), QLocale().toString(entries[0].lastChange.toLocalTime(), QLocale::ShortFormat));
        QVERIFY(dlg.timeText(0) != dlg.timeText(1));
        QVERIFY(dlg.isChecked(0) && dlg.isChecked(1) && dlg.isChecked(2));
        QCOMPARE(dlg.decision(), RecoveryDlg::Later);
        QVERIFY(dlg.toRestore().isEmpty() && dlg.toDiscard().isEmpty());
        for (int row : unchecked)
            dlg.setChecked(row, false);
        if (confirm != QMessageBox::NoButton)
            prompt->answers << QMessageBox::StandardButton(confirm);
        if (action == QLatin1String("restore"))
            dlg.restoreChecked();
        else if (action == QLatin1String("discard"))
            dlg.discardAll();
        else
            dlg.reject();

        QCOMPARE(prompt->asked.size(), confirm == QMessageBox::NoButton ? 0 : 1);
        if (!prompt->asked.isEmpty()) {
            const int lost = action == QLatin1String("discard") ? 3 : int(unchecked.size());
            QCOMPARE(prompt->asked[0].text,
                     QStringLiteral("The unsaved changes of %1 document(s) will be lost.\nDiscard them?")
                         .arg(lost));
        }
        QCOMPARE(int(dlg.decision()), decision);
        const auto titles = [](const QList<RecoveryJournal::Entry> &list) {
            QStringList t;
            for (const auto &e : list)
                t << e.title;
            return t.join(QLatin1Char(' '));
        };
        QCOMPARE(titles(dlg.toRestore()), restored);
        QCOMPARE(titles(dlg.toDiscard()), discarded);
        // Only a decision closes the dialog as accepted.
        QCOMPARE(dlg.result(), decision != RecoveryDlg::Later ? int(QDialog::Accepted)
                                                              : int(QDialog::Rejected));
    }
    void mainWindowRestores()
    {
        const QString page = dir->filePath(QStringLiteral("page.html"));
        QVERIFY(writeFile(page, "<p>on disk</p>\n"));
        const QString owner = QStringLiteral("0123456789abcdef0123456789abcdef");
        const QString pageCopy = keep(owner, page, QStringLiteral("page.html"), ShiftJIS,
                                      QStringLiteral("<p>on disk</p>\n<p>typed 日本</p>\n"), 20, 1);
        const QString untitledCopy = keep(owner, QString(), QStringLiteral("Untitled-1"), UTF16LE,
                                          QStringLiteral("never saved\ntext"), 5, 5);
        const QString droppedCopy = keep(owner, QString(), QStringLiteral("Untitled-2"), UTF8,
                                         QStringLiteral("not wanted"), 0, 9);
        QStringList listed;
        onRecovery([&](RecoveryDlg *dlg) {
            for (int i = 0; i < dlg->count(); ++i)
                listed << dlg->documentText(i);
            dlg->setChecked(2, false);
            dlg->restoreChecked();
        });
        prompt->answers << QMessageBox::Discard;  // the unchecked one

        MainWindow window({});
        QTRY_COMPARE(dialogsRun, 1);
        // Newest first.
        QCOMPARE(listed, (QStringList{QDir::toNativeSeparators(page),
                                      QStringLiteral("Untitled-1 (never saved)"),
                                      QStringLiteral("Untitled-2 (never saved)")}));

        // The empty start-up document made way for the two restored ones.
        QCOMPARE(window.tabs()->count(), 2);
        EditView *pageView = window.viewAt(0);
        EditView *untitled = window.viewAt(1);
        QCOMPARE(pageView->fullPath(), page);
        QCOMPARE(pageView->toPlainText(), QStringLiteral("<p>on disk</p>\n<p>typed 日本</p>\n"));
        QCOMPARE(pageView->charEncoding(), ShiftJIS);
        QCOMPARE(pageView->textCursor().position(), 20);
        QVERIFY(pageView->document()->isModified());
        QCOMPARE(window.tabs()->tabText(0), QStringLiteral("page.html *"));
        QVERIFY(untitled->fullPath().isEmpty());
        // A fresh number: the restored title could clash with a document of this run.
        QCOMPARE(untitled->title(), QStringLiteral("Untitled-2"));
        QCOMPARE(window.tabs()->tabText(1), QStringLiteral("Untitled-2 *"));
        QCOMPARE(untitled->toPlainText(), QStringLiteral("never saved\ntext"));
        QCOMPARE(untitled->charEncoding(), UTF16LE);
        QVERIFY(untitled->document()->isModified());
        QCOMPARE(window.currentView(), untitled);

        // The old copies are gone only because this program now keeps its own.
        RecoveryJournal *journal = window.recoveryJournal();
        journal->waitForIdle();
        QVERIFY(!QFileInfo::exists(pageCopy));
        QVERIFY(!QFileInfo::exists(untitledCopy));
        QVERIFY(!QFileInfo::exists(droppedCopy));
        QString kept;
        QVERIFY(RecoveryJournal::readText(journal->journalFile(pageView), &kept));
        QCOMPARE(kept, pageView->toPlainText());
        QVERIFY(RecoveryJournal::readText(journal->journalFile(untitled), &kept));
        QCOMPARE(kept, untitled->toPlainText());
        QCOMPARE(copies().size(), 2);
        QCOMPARE(readFile(page), QByteArray("<p>on disk</p>\n"));

        // Saving the restored page writes its encoding and drops its copy.
        window.tabs()->setCurrentIndex(0);
        QVERIFY(window.on_action_Save_triggered());
        QCOMPARE(readFile(page),
                 encodeText(QStringLiteral("<p>on disk</p>\n<p>typed 日本</p>\n"), ShiftJIS).bytes);
        journal->waitForIdle();
        QCOMPARE(copies().size(), 1);
    }
    // Decided later: the copies stay and are offered again at the next start.
    // A copy that cannot be read is named in the window, left alone, and the
    // good ones are still offered.
    void mainWindowLaterKeepsCopies()
    {
        const QString copy = keep(QStringLiteral("feedfacefeedfacefeedfacefeedface"), QString(),
                                  QStringLiteral("Untitled-7"), UTF8, QStringLiteral("later"), 0, 1);
        const QString damaged = recoveryDir() + QStringLiteral("/feedfacefeedfacefeedfacefeedface-x.journal");
        QVERIFY(writeFile(damaged, "not a recovery file"));
        onRecovery([](RecoveryDlg *dlg) { dlg->reject(); });
        {
            MainWindow window({});
            QTRY_COMPARE(dialogsRun, 1);
            QCOMPARE(window.tabs()->count(), 1);
            QVERIFY(window.currentView()->toPlainText().isEmpty());
            QVERIFY(QFileInfo::exists(copy));
            const QStringList shown = window.messages()->texts(nullptr);
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown[0].contains(QDir::toNativeSeparators(damaged)), qPrintable(shown[0]));
        }
        onRecovery([](RecoveryDlg *dlg) { dlg->restoreChecked(); });
        MainWindow again({});
        QTRY_COMPARE(dialogsRun, 1);
        QCOMPARE(again.tabs()->count(), 1);
        QCOMPARE(again.currentView()->toPlainText(), QStringLiteral("later"));
        QVERIFY(QFileInfo::exists(damaged));
    }
    // The command line opened the file already: its tab gets the kept text
    // rather than a second tab for the same file.
    void restoredFileOpenedFromCommandLine()
    {
        const QString page = dir->filePath(QStringLiteral("open.html"));
        QVERIFY(writeFile(page, "old\n"));
        keep(QStringLiteral("00000000000000000000000000000001"), page, QStringLiteral("open.html"),
             UTF8, QStringLiteral("old\nnew\n"), 4, 1);
        onRecovery([](RecoveryDlg *dlg) { dlg->restoreChecked(); });
        MainWindow window({page});
        QTRY_COMPARE(dialogsRun, 1);
        QCOMPARE(window.tabs()->count(), 1);
        QCOMPARE(window.viewAt(0)->fullPath(), page);
        QCOMPARE(window.viewAt(0)->toPlainText(), QStringLiteral("old\nnew\n"));
        QVERIFY(window.viewAt(0)->document()->isModified());
        QCOMPARE(window.tabs()->tabText(0), QStringLiteral("open.html *"));
    }
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
    // Saving and keeping recovery copies on a file system that is full: the old
    // file or copy stays as it was, and the document keeps its changes.
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
    QString keep(const QString &owner, const QString &path, const QString &title,
                 CharEncoding encoding, const QString &text, int cursor, int minutesAgo);
    static QStringList copies()
    {
        return QDir(recoveryDir()).entryList({QStringLiteral("*.journal")}, QDir::Files);
    }
};

// A copy as a crashed program leaves it: its owner holds no lock any more.
QString TestRecoveryDlg::keep(const QString &owner, const QString &path, const QString &title,
                              CharEncoding encoding, const QString &text, int cursor,
                              int minutesAgo)
{
    static int serial = 0;
    QDir().mkpath(recoveryDir());
    RecoveryJournal::Snapshot s;
    s.entry.file = QStringLiteral("%1/%2-%3.journal").arg(recoveryDir(), owner).arg(++serial);
    s.entry.fullPath = path;
    s.entry.title = title;
    s.entry.encoding = encoding;
    s.entry.cursorPosition = cursor;
    s.entry.lastChange = QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo);
    s.text = text;
    if (!RecoveryJournal::writeSnapshot(s.entry.file, s))
        qFatal("cannot write %s", qPrintable(s.entry.file));
    return s.entry.file;
}

void TestRecoveryDlg::mountFull(qint64 spare)
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

QTEST_MAIN(TestRecoveryDlg)
#include "tst_recoverydlg.moc"
