#include "app/mainwindow.h"
#include "app/messagebar.h"
#include "app/recoverydlg.h"
#include "app/recoveryjournal.h"
#include "editor/virtualbreaks.h"
#include "testsupport.h"

#include <QApplication>
#include <QTabWidget>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>

namespace {

void typeText(QPlainTextEdit *view, const QString &text)
{
    view->moveCursor(QTextCursor::End);
    view->insertPlainText(text);
}

// What a copy says about its document, and the document as the user sees it.
QString describe(const RecoveryJournal::Entry &e)
{
    return QStringLiteral("%1 %2 %3%4 %5 @%6").arg(e.title, e.fullPath, QString::fromLatin1(encodingName(e.encoding)))
        .arg(e.byteOrderMark ? "+BOM" : "", QString::fromLatin1(lineEndName(e.lineEnd))).arg(e.cursorPosition);
}
QString describe(const EditView *v)
{
    return QStringLiteral("%1 %2 %3 @%4%5: %6").arg(v->title(), v->fullPath(), QString::fromLatin1(encodingName(v->charEncoding())))
        .arg(v->textCursor().position()).arg(v->document()->isModified() ? " *" : "", v->toPlainText());
}

// The text of a copy; a copy that cannot be read must never pass for one.
QString copyText(const QString &file, RecoveryJournal::Entry *entry = nullptr)
{
    QString text;
    return RecoveryJournal::readText(file, &text, entry) ? text : QStringLiteral("<unreadable %1>").arg(file);
}

} // namespace

// Helper mode: edit a document, let its copy be written, then die the hard way.
static int crashWithCopy(int argc, char **argv)
{
    QApplication app(argc, argv);
    GlobalSettings settings;
    ViEngine engine;
    EditView view(&settings, &engine);
    view.setFullPath(app.arguments().at(3));
    view.setCharEncoding(ShiftJIS);
    view.setPlainText(app.arguments().at(4));
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(3);
    view.setTextCursor(cursor);
    view.document()->setModified(true);
    RecoveryJournal journal(app.arguments().at(2));
    journal.setDelays(0, 0);
    journal.track(&view);
    journal.flush();
    std::raise(SIGKILL);
    return 0;
}

// The recovery copies: their file format, when they are written and removed,
// how copies of a crashed run are claimed without taking those of a program
// still running, and how the main window offers and restores them.
class TestRecoveryJournal : public FixtureTest
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        if (mounted)
            ::umount2(QFile::encodeName(dir->filePath("small")).constData(), MNT_DETACH);
        mounted = false;
        FixtureTest::cleanup();
    }
    void format_data() { addTableRows("app/recoveryformat.txt"); }
    void format()
    {
        QFETCH(QStringList, fields);
        const QString damage = fields[3];
        // Long enough that a cut in the middle falls into the text.
        const QString text = damage.isEmpty() ? fields[0] : QStringLiteral("<p>some text that matters</p>\u2029").repeated(50);
        const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);
        const QString file = recoveryDir() + QStringLiteral("/a-1.journal");
        const RecoveryJournal::Snapshot s{
            {file, "/somewhere/page.html", "page.html", tableEncoding(fields[2]), true, LineEnd::CRLF, 7, when}, text};
        QVERIFY(QDir().mkpath(recoveryDir()) && RecoveryJournal::writeSnapshot(file, s));
        QByteArray bytes = readFile(file);
        const qsizetype half = bytes.size() / 2;
        if (damage == "empty")
            bytes.clear();
        else if (damage == "magic")
            bytes[0] = char(bytes[0] ^ 0x20);
        else if (damage == "cut-text")
            bytes.truncate(half);
        else if (damage == "cut-end")
            bytes.chop(2);
        else if (damage == "flip")
            bytes[half] = char(bytes[half] ^ 0x01);
        QVERIFY(writeFile(file, bytes));
        RecoveryJournal::Entry header, full;
        QCOMPARE(RecoveryJournal::readEntry(file, &header), fields[4] == "true");
        QString read = QStringLiteral("untouched");
        QCOMPARE(RecoveryJournal::readText(file, &read, &full), damage.isEmpty());
        QCOMPARE(read, damage.isEmpty() ? fields[1] : QStringLiteral("untouched"));
        for (const auto &e : {header, full}) {
            if (!damage.isEmpty())
                break;
            QCOMPARE(describe(e), describe(s.entry));
            QCOMPARE(e.file, file);
            QCOMPARE(e.lastChange, when);
        }
    }
    void writeTiming_data() { addTableRows("app/recoverytiming.txt"); }
    void writeTiming()
    {
        QFETCH(QStringList, fields);
        const int idleMs = fields[0].toInt(), keyIntervalMs = fields[2].toInt(), keys = fields[3].toInt();
        RecoveryJournal journal(recoveryDir());
        journal.setDelays(idleMs, fields[1].toInt());
        auto view = makeView(QStringLiteral("start"));
        journal.track(view.get());
        QElapsedTimer clock;
        clock.start();
        qint64 firstSeen = -1;
        for (int i = 0; i < keys; ++i) {
            typeText(view.get(), QStringLiteral("k"));
            QVERIFY2(i > 0 || copies().isEmpty(), "the copy must not be written inside the keystroke");
            QTest::qWait(keyIntervalMs);
            journal.waitForIdle();
            if (firstSeen < 0 && !copies().isEmpty())
                firstSeen = clock.elapsed();
        }
        if (keys == 1)
            QTRY_VERIFY_WITH_TIMEOUT(!copies().isEmpty(), idleMs + 5000);
        else  // written while the keys were still coming, well before they stopped
            QVERIFY2(firstSeen >= 0 && firstSeen < clock.elapsed() - 500, qPrintable(QString::number(firstSeen)));
        journal.flush();
        QCOMPARE(copyText(journal.journalFile(view.get())), view->toPlainText());
        QCOMPARE(copies().size(), 1);  // every write replaces the one copy
    }
    void editsWhileCopying_data() { addTableRows("app/recoveryedits.txt"); }
    // The copy is taken in slices; edits between them must end up in it exactly.
    // A long line shown as several blocks is kept as the one line of the file,
    // with the cursor where the file has it.
    void editsWhileCopying()
    {
        QFETCH(QStringList, fields);
        const bool longLine = fields[0] == "long line";
        const int position = fields[1].toInt(), removed = fields[2].toInt();
        const QString put = fields[3].repeated(fields[4].toInt());
        RecoveryJournal journal(recoveryDir());
        journal.setDelays(3600000, 3600000);
        journal.setSlices(0, 100);
        auto view = makeView();
        if (longLine)
            view->virtualBreaks()->setLimits(60, 20);
        QString text = longLine ? QStringLiteral("first\u00a0\n") : QString();
        for (int i = 0; i < (longLine ? 40 : 10); ++i)
            text += longLine ? QStringLiteral("a%1{b:c;d:e}").arg(i)
                             : QString(QLatin1Char(char('a' + i))).repeated(98) + QStringLiteral("\u00a0\n");
        view->loadText(longLine ? text + QStringLiteral("\nlast\n") : text);
        QCOMPARE(view->virtualBreaks()->hasBreaks(), longLine);
        journal.track(view.get());
        typeText(view.get(), QStringLiteral("!"));
        journal.writeSoon(view.get());
        QTextCursor cursor(view->document());
        cursor.setPosition(position);
        if (removed < 0)
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        else
            cursor.setPosition(position + removed, QTextCursor::KeepAnchor);
        cursor.insertText(put);
        view->setTextCursor(cursor);
        journal.flush();
        RecoveryJournal::Entry entry;
        const QString copy = copyText(journal.journalFile(view.get()), &entry);
        QCOMPARE(copy, view->realText());
        QCOMPARE(copy.count(QLatin1Char('\n')), fields[5].toInt());
        QCOMPARE(copy.mid(entry.cursorPosition - put.size(), put.size()), put);
        QVERIFY(copy.contains(QChar(0x00a0)) || removed < 0);
    }
    void copyRemoved_data() { addTableRows("app/recoveryremoved.txt"); }
    void copyRemoved()
    {
        QFETCH(QStringList, fields);
        const QString how = fields[0];
        auto journal = std::make_unique<RecoveryJournal>(recoveryDir());
        journal->setDelays(0, 0);
        auto view = makeView(QStringLiteral("saved text"));
        journal->track(view.get());
        typeText(view.get(), QStringLiteral(" and an edit"));
        journal->flush();
        QCOMPARE(copies().size(), 1);
        if (how == "saved") {
            view->document()->setModified(false);
        } else if (how == "undo") {
            view->undo();
            QVERIFY(!view->document()->isModified());
        } else if (how == "closed-writing") {
            // The second write is on the worker when the view goes.
            typeText(view.get(), QStringLiteral("x").repeated(4 << 20));
            QCoreApplication::processEvents();  // the zero delay fires: the write starts
        } else if (how == "journal-ends") {
            journal.reset();
            QVERIFY(!QFileInfo::exists(recoveryDir()));
            return;
        }
        if (how.startsWith("closed"))
            view.reset();
        journal->waitForIdle();
        QVERIFY2(copies().isEmpty(), qPrintable(copies().join(QLatin1Char(' '))));
        // A saved document that is edited again gets its copy back.
        if (view) {
            typeText(view.get(), QStringLiteral("!"));
            journal->flush();
            QCOMPARE(copies().size(), 1);
        }
    }
    void crashedRunIsClaimedOnce_data() { addTableRows("app/recoveryclaim.txt"); }
    // A real program (this test in helper mode) edits a document, lets its copy be
    // written, and is killed; the next program finds the copy and claims it, and
    // leaves alone the copy of a program that is still running.
    void crashedRunIsClaimedOnce()
    {
        QFETCH(QStringList, fields);
        const QString decision = fields[0];
        RecoveryJournal running(recoveryDir());
        running.setDelays(0, 0);
        auto runningView = makeView();
        running.track(runningView.get());
        typeText(runningView.get(), QStringLiteral("still being edited"));
        running.flush();
        const QString text = QStringLiteral("<p>typed before the crash</p>\n日本語\n");
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedChannels);
        helper.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--crash-with-copy"), recoveryDir(), QStringLiteral("/data/page.html"), text});
        QVERIFY(helper.waitForFinished(60000));
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
        QCOMPARE(copies().size(), 2);

        RecoveryJournal next(recoveryDir());
        next.setDelays(0, 0);
        const QList<RecoveryJournal::Entry> found = next.claimOrphans();
        QCOMPARE(found.size(), 1);
        QCOMPARE(describe(found[0]), QStringLiteral("page.html /data/page.html Shift-JIS LF @3"));
        QVERIFY(qAbs(found[0].lastChange.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QCOMPARE(copyText(found[0].file), text);
        // Started at the same moment: the claimed copy is not offered twice.
        QVERIFY(RecoveryJournal(recoveryDir()).claimOrphans().isEmpty());

        auto view = makeView();
        if (decision == "adopt") {
            view->setPlainText(text);
            view->document()->setModified(true);
            next.adopt(view.get(), found[0]);
        } else if (decision == "discard") {
            next.discard(found[0]);
        }
        next.releaseClaimed();
        next.waitForIdle();
        QCOMPARE(copies().size(), decision == "discard" ? 1 : 2);
        QCOMPARE(copyText(running.journalFile(runningView.get())), QStringLiteral("still being edited"));
        QCOMPARE(QFileInfo::exists(found[0].file), decision == "later");
        if (decision == "adopt")
            QCOMPARE(copyText(next.journalFile(view.get())), text);
        QCOMPARE(RecoveryJournal(recoveryDir()).claimOrphans().size(), decision == "later" ? 1 : 0);
    }
    void dialogDecisions_data() { addTableRows("app/recoverydialog.txt"); }
    void dialogDecisions()
    {
        QFETCH(QStringList, fields);
        const QString action = fields[1];
        QList<RecoveryJournal::Entry> entries(3);
        for (int i = 0; i < 3; ++i) {
            entries[i].title = QString(QChar(u'a' + i));
            entries[i].lastChange = QDateTime(QDate(2024, 3, 4), QTime(5, 6 + i), Qt::UTC);
        }
        RecoveryDlg dlg(entries);
        QCOMPARE(dlg.timeText(0), QLocale().toString(entries[0].lastChange.toLocalTime(), QLocale::ShortFormat));
        QVERIFY(dlg.timeText(0) != dlg.timeText(1));
        QVERIFY(dlg.isChecked(0) && dlg.isChecked(1) && dlg.isChecked(2));
        QVERIFY(dlg.toRestore().isEmpty() && dlg.toDiscard().isEmpty());
        const QStringList unchecked = fields[0].split(' ', Qt::SkipEmptyParts);
        for (const QString &row : unchecked)
            dlg.setChecked(row.toInt(), false);
        prompt->answers = standardButtons(fields[2]);
        if (action == "restore")
            dlg.restoreChecked();
        else if (action == "discard")
            dlg.discardAll();
        else
            dlg.reject();
        QCOMPARE(prompt->asked.size(), fields[2].isEmpty() ? 0 : 1);
        if (!prompt->asked.isEmpty())
            QCOMPARE(prompt->asked[0].text, QStringLiteral("The unsaved changes of %1 document(s) will be lost.\n"
                                                           "Discard them?").arg(action == "discard" ? 3 : unchecked.size()));
        QCOMPARE(QStringList({"Later", "Restore", "DiscardAll"}).value(dlg.decision()), fields[3]);
        const auto titles = [](const QList<RecoveryJournal::Entry> &list) {
            QStringList t;
            for (const auto &e : list)
                t << e.title;
            return t.join(QLatin1Char(' '));
        };
        QCOMPARE(titles(dlg.toRestore()), fields[4]);
        QCOMPARE(titles(dlg.toDiscard()), fields[5]);
        // Only a decision closes the dialog as accepted.
        QCOMPARE(dlg.result(), int(dlg.decision() != RecoveryDlg::Later ? QDialog::Accepted : QDialog::Rejected));
    }
    void mainWindowRestores_data() { addTableRows("app/recoveryrestore.txt"); }
    // Decided later at the first start: the copies stay and are offered again
    // at the next. A copy that cannot be read is named in the window, left
    // alone, and the good ones are still offered.
    void mainWindowRestores()
    {
        QFETCH(QStringList, fields);
        const bool pageOnCommandLine = fields[0] == "true";
        const QString page = file(QStringLiteral("page.html"), "<p>on disk</p>\n");
        const QString pageText = QStringLiteral("<p>on disk</p>\n<p>typed 日本</p>\n");
        const QString owner = QStringLiteral("0123456789abcdef0123456789abcdef");
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QStringList old{keep(owner, page, "page.html", ShiftJIS, pageText, 20, now.addSecs(-60)),
                              keep(owner, {}, "Untitled-1", UTF16LE, "never saved\ntext", 5, now.addSecs(-300)),
                              keep(owner, {}, "Untitled-2", UTF8, "not wanted", 0, now.addSecs(-540))};
        const QString damaged = recoveryDir() + "/" + owner + "-x.journal";
        QVERIFY(writeFile(damaged, "not a recovery file"));
        onRecovery([](RecoveryDlg *dlg) { dlg->reject(); });
        {
            MainWindow window({});
            QTRY_COMPARE(dialogsRun, 1);
            QCOMPARE(window.tabs()->count(), 1);
            QVERIFY(window.currentView()->toPlainText().isEmpty());
            const QStringList shown = window.messages()->texts(nullptr);
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown[0].contains(QDir::toNativeSeparators(damaged)), qPrintable(shown[0]));
        }
        for (const QString &copy : old)
            QVERIFY(QFileInfo::exists(copy));
        QStringList listed;
        onRecovery([&](RecoveryDlg *dlg) {
            for (int i = 0; i < dlg->count(); ++i)
                listed << dlg->documentText(i);
            dlg->setChecked(2, false);
            dlg->restoreChecked();
        });
        prompt->answers << QMessageBox::Discard;  // the unchecked one
        MainWindow window(pageOnCommandLine ? QStringList{page} : QStringList());
        QTRY_COMPARE(dialogsRun, 1);
        // Newest first.
        QCOMPARE(listed, (QStringList{QDir::toNativeSeparators(page), "Untitled-1 (never saved)",
                                      "Untitled-2 (never saved)"}));
        QCOMPARE(tabTitles(window), (QStringList{"page.html *", "Untitled-2 *"}));
        EditView *pageView = window.viewAt(0);
        EditView *untitled = window.viewAt(1);
        QCOMPARE(describe(pageView), "page.html " + page + " Shift-JIS @20 *: " + pageText);
        // A fresh number: the restored title could clash with a document of this run.
        QCOMPARE(describe(untitled), QStringLiteral("Untitled-2  UTF-16LE @5 *: never saved\ntext"));
        QCOMPARE(window.currentView(), untitled);
        // The old copies are gone only because this program now keeps its own.
        RecoveryJournal *journal = window.recoveryJournal();
        journal->waitForIdle();
        for (const QString &copy : old)
            QVERIFY(!QFileInfo::exists(copy));
        QCOMPARE(copyText(journal->journalFile(pageView)), pageText);
        QCOMPARE(copyText(journal->journalFile(untitled)), untitled->toPlainText());
        QVERIFY(QFileInfo::exists(damaged));
        QCOMPARE(copies().size(), 3);
        QCOMPARE(readFile(page), QByteArray("<p>on disk</p>\n"));
        // Saving the restored page writes its encoding and drops its copy.
        window.tabs()->setCurrentIndex(0);
        QVERIFY(window.on_action_Save_triggered());
        QCOMPARE(readFile(page), encodeText(pageText, ShiftJIS).bytes);
        journal->waitForIdle();
        QCOMPARE(copies().size(), 2);
    }
    // Saving and keeping recovery copies on a file system that is full: the old
    // file or copy stays as it was, and the document keeps its changes.
    void fullDisk()
    {
        const QString target = dir->filePath("small/page.html");
        const QByteArray old("<p>the old contents</p>\n");
        mountFull(16384);  // room for the old file, a small copy, and not a page more
        if (QTest::currentTestFailed() || !mounted)
            return;
        QVERIFY(writeFile(target, old));
        MainWindow window({target});
        EditView *view = window.currentView();
        QCOMPARE(view->fullPath(), target);
        typeText(view, QStringLiteral("<p>much more than there is room for</p>\n").repeated(4000));
        prompt->answers << QMessageBox::Ok;
        QVERIFY(!window.on_action_Save_triggered());
        QCOMPARE(prompt->asked.size(), 1);
        QCOMPARE(prompt->asked[0].icon, QMessageBox::Critical);
        QCOMPARE(prompt->asked[0].text, QStringLiteral("failed to save file '%1':\nNo space left on device").arg(target));
        QCOMPARE(readFile(target), old);
        QCOMPARE(tabTitles(window), QStringList{"page.html *"});
        // No temporary file of the failed save is left taking the space.
        QCOMPARE(QDir(dir->filePath("small")).entryList(QDir::Files | QDir::Hidden).size(), 2);
        // The edits are still kept safe where there is room.
        window.recoveryJournal()->flush();
        QCOMPARE(copyText(window.recoveryJournal()->journalFile(view)), view->toPlainText());

        RecoveryJournal journal(dir->filePath("small/recovery"));
        journal.setDelays(0, 200);
        auto untitled = makeView();
        untitled->setTitle(QStringLiteral("Untitled-1"));
        journal.track(untitled.get());
        QSignalSpy messages(untitled.get(), &EditViewBase::showMessage);
        QSignalSpy written(&journal, &RecoveryJournal::written);
        typeText(untitled.get(), QStringLiteral("first words"));
        journal.flush();
        const QString copy = journal.journalFile(untitled.get());
        QCOMPARE(copyText(copy), QStringLiteral("first words"));
        // Now more than the disk holds: the write fails, the last good copy stays.
        typeText(untitled.get(), QStringLiteral(" and a great many more").repeated(600));
        journal.flush();
        QCOMPARE(written.size(), 2);
        QCOMPARE(written[1][1].toBool(), false);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0][0].toString().contains("Untitled-1"), qPrintable(messages[0][0].toString()));
        QCOMPARE(copyText(copy), QStringLiteral("first words"));
        QCOMPARE(QDir(dir->filePath("small/recovery")).entryList({"*.journal*"}, QDir::Files | QDir::Hidden).size(), 1);
        // The retry finds no room either; room again: the copy is written
        // without another edit, and the failure is not reported twice.
        QTRY_COMPARE_WITH_TIMEOUT(written.size(), 3, 5000);
        QCOMPARE(written[2][1].toBool(), false);
        QVERIFY(QFile::remove(dir->filePath("small/filler")));
        QTRY_COMPARE_WITH_TIMEOUT(copyText(copy), untitled->realText(), 5000);
        journal.waitForIdle();
        QCOMPARE(written.last()[1].toBool(), true);
        QCOMPARE(messages.size(), 1);
        // Beyond the disk once more: after that good write, it is reported anew.
        typeText(untitled.get(), QStringLiteral(" and yet more").repeated(6000));
        journal.flush();
        QCOMPARE(written.last()[1].toBool(), false);
        QCOMPARE(messages.size(), 2);
    }

private:
    // Answers the recovery dialog by calling its slots, as a person would
    // click; a dialog the slot left open counts as closed unanswered.
    void onRecovery(const std::function<void(RecoveryDlg *)> &answer)
    {
        dialogsRun = 0;
        prompt->dialogHandler = [this, answer](QDialog *dialog) {
            ++dialogsRun;
            auto *dlg = qobject_cast<RecoveryDlg *>(dialog);
            prompt->unexpected |= !dlg;
            if (dlg)
                answer(dlg);
            if (dlg && (dlg->isVisible() || dlg->result() == 0))
                dlg->reject();
            return dlg ? dlg->result() : int(QDialog::Rejected);
        };
    }
    // Mounts a 64 KiB tmpfs on the folder "small" and fills it up but for
    // `spare` bytes; skips the test where no tmpfs can be mounted.
    void mountFull(qint64 spare)
    {
        const QString folder = dir->filePath("small");
        QVERIFY(QDir().mkpath(folder));
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs here (needs root or the right to mount): %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        mounted = true;
        // Fill in small steps until the file system refuses, then free `spare`.
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        QVERIFY(filler.size() > 0 && filler.resize(qMax<qint64>(0, filler.size() - spare)));
    }

    static QStringList copies()
    {
        return QDir(recoveryDir()).entryList({QStringLiteral("*.journal")}, QDir::Files);
    }
    // A copy as a crashed program leaves it: its owner holds no lock any more.
    static QString keep(const QString &owner, const QString &path, const QString &title, CharEncoding encoding,
                       const QString &text, int cursor = 7, const QDateTime &lastChange = QDateTime::currentDateTimeUtc())
    {
        static int serial = 0;
        QDir().mkpath(recoveryDir());
        RecoveryJournal::Snapshot s;
        s.entry = {QStringLiteral("%1/%2-%3.journal").arg(recoveryDir(), owner).arg(++serial),
                   path, title, encoding, false, LineEnd::LF, cursor, lastChange};
        s.text = text;
        if (!RecoveryJournal::writeSnapshot(s.entry.file, s))
            qFatal("cannot write %s", qPrintable(s.entry.file));
        return s.entry.file;
    }

    int dialogsRun = 0;
    bool mounted = false;
};

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--crash-with-copy") == 0)
        return crashWithCopy(argc, argv);
    QApplication app(argc, argv);
    TestRecoveryJournal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recoveryjournal.moc"
