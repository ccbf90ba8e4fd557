#include "app/recoveryjournal.h"
#include "editor/virtualbreaks.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

#include <csignal>
#include <tuple>
#include <memory>

namespace {

RecoveryJournal::Snapshot snapshot(const QString &file, const QString &text,
                                   CharEncoding encoding = UTF8)
{
    RecoveryJournal::Snapshot s;
    s.entry.file = file;
    s.entry.fullPath = QStringLiteral("/somewhere/page.html");
    s.entry.title = QStringLiteral("page.html");
    s.entry.encoding = encoding;
    s.entry.cursorPosition = 7;
    s.entry.lastChange = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);
    s.text = text;
    return s;
}

void typeText(QPlainTextEdit *view, const QString &text)
{
    QTextCursor cursor = view->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    view->setTextCursor(cursor);
}

} // namespace

// Helper mode: edit a document, let its copy be written, then die the hard way.
static int crashWithCopy(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    GlobalSettings settings;
    ViEngine engine;
    EditView view(&settings, &engine);
    view.setFullPath(args.at(3));
    view.setCharEncoding(ShiftJIS);
    view.setPlainText(args.at(4));
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(3);
    view.setTextCursor(cursor);
    view.document()->setModified(true);
    RecoveryJournal journal(args.at(2));
    journal.setDelays(0, 0);
    journal.track(&view);
    journal.flush();
    std::raise(SIGKILL);
    return 0;
}

// The recovery copies: their file format, when they are written and removed,
// and how copies left by a crashed run are claimed without taking those of a
// program that is still running.
class TestRecoveryJournal : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        settings = std::make_unique<GlobalSettings>();
        engine = std::make_unique<ViEngine>();
    }
    void cleanup()
    {
        engine.reset();
        settings.reset();
        dir.reset();
    }
    void format_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("damage");  // empty: the file is read as written
        QTest::addColumn<bool>("headerReadable");

        QTest::newRow("empty") << QString() << QString() << int(UTF8) << QString() << true;
        QTest::newRow("block ends become LF")
            << QStringLiteral("a\u2029b\u2029") << QStringLiteral("a\nb\n") << int(UTF16LE) << QString() << true;
        QTest::newRow("no-break space and line separator kept")
            << QStringLiteral("a\u00a0b\u2028c") << QStringLiteral("a\u00a0b\u2028c") << int(EucJP) << QString() << true;
        QTest::newRow("NUL and lone surrogate kept")
            << QString::fromUtf16(u"x\0y\xd800z", 5) << QString::fromUtf16(u"x\0y\xd800z", 5)
            << int(ShiftJIS) << QString() << true;
        QTest::newRow("Japanese") << QStringLiteral("日本語\u2029の文章") << QStringLiteral("日本語\nの文章")
                                  << int(UTF16BE) << QString() << true;
        // A damaged copy must never be restored as if it were the user's text.
        const QString text = QStringLiteral("<p>some text that matters</p>\u2029").repeated(50);
        for (const auto &[name, damage, header] :
             {std::tuple{"empty file", "empty", false}, {"other magic", "magic", false},
              {"cut in the text", "cut-text", true}, {"cut before the end mark", "cut-end", true},
              {"one text byte changed", "flip", true}})
            QTest::newRow(name) << text << QString() << int(UTF8) << QString(damage) << header;
    }
    void format()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(int, encoding);
        QFETCH(QString, damage);
        QFETCH(bool, headerReadable);
        const QString file = dir->filePath(QStringLiteral("a-1.journal"));
        const auto s = snapshot(file, text, CharEncoding(encoding));
        QVERIFY(RecoveryJournal::writeSnapshot(file, s));
        if (!damage.isEmpty()) {
            QByteArray bytes = readFile(file);
            QVERIFY(bytes.size() > 2000);
            if (damage == QLatin1String("empty"))
                bytes.clear();
            else if (damage == QLatin1String("magic"))
                bytes[0] = char(bytes[0] ^ 0x20);
            else if (damage == QLatin1String("cut-text"))
                bytes.truncate(bytes.size() / 2);
            else if (damage == QLatin1String("cut-end"))
                bytes.chop(2);
            else
                bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x01);
            QVERIFY(writeFile(file, bytes));
        }
        RecoveryJournal::Entry header, full;
        QCOMPARE(RecoveryJournal::readEntry(file, &header), headerReadable);
        QString read = QStringLiteral("untouched");
        QCOMPARE(RecoveryJournal::readText(file, &read, &full), damage.isEmpty());
        QCOMPARE(read, damage.isEmpty() ? expected : QStringLiteral("untouched"));
        for (const auto &e : {header, full}) {
            if (!damage.isEmpty())
                break;
            QCOMPARE(e.file, file);
            QCOMPARE(e.fullPath, s.entry.fullPath);
            QCOMPARE(e.title, s.entry.title);
            QCOMPARE(int(e.encoding), encoding);
            QCOMPARE(e.cursorPosition, 7);
            QCOMPARE(e.lastChange, s.entry.lastChange);
        }
    }
    void writeTiming_data()
    {
        QTest::addColumn<int>("idleMs");
        QTest::addColumn<int>("maxMs");
        QTest::addColumn<int>("keyIntervalMs");
        QTest::addColumn<int>("keys");

        // One edit, then quiet: written once the idle delay has passed.
        QTest::newRow("single edit") << 150 << 3000 << 0 << 1;
        // Keys come faster than the idle delay: only the maximum delay writes.
        QTest::newRow("steady typing") << 400 << 900 << 50 << 60;
    }
    void writeTiming()
    {
        QFETCH(int, idleMs);
        QFETCH(int, maxMs);
        QFETCH(int, keyIntervalMs);
        QFETCH(int, keys);
        RecoveryJournal journal(recoveryDir());
        QVERIFY(journal.isEnabled());
        journal.setDelays(idleMs, maxMs);
        auto view = makeView(QStringLiteral("start"));
        journal.track(view.get());

        QElapsedTimer clock;
        clock.start();
        qint64 firstSeen = -1;
        for (int i = 0; i < keys; ++i) {
            typeText(view.get(), QStringLiteral("k"));
            if (i == 0)
                QVERIFY2(copies().isEmpty(), "the copy must not be written inside the keystroke");
            QTest::qWait(keyIntervalMs);
            journal.waitForIdle();
            if (firstSeen < 0 && !copies().isEmpty())
                firstSeen = clock.elapsed();
        }
        if (keys == 1) {
            QTRY_VERIFY_WITH_TIMEOUT(!copies().isEmpty(), idleMs + 5000);
        } else {
            // Written while the keys were still coming, well before they stopped.
            QVERIFY2(firstSeen >= 0, "no copy was written during steady typing");
            QVERIFY2(firstSeen < clock.elapsed() - 500, qPrintable(QString::number(firstSeen)));
        }
        journal.flush();
        QString text;
        QVERIFY(RecoveryJournal::readText(journal.journalFile(view.get()), &text));
        QCOMPARE(text, view->toPlainText());
    }
    void copyFollowsDocument()
    {
        RecoveryJournal journal(recoveryDir());
        journal.setDelays(10, 10);
        auto view = makeView(QStringLiteral("line one\nline two\n"));
        view->setFullPath(QStringLiteral("/srv/site/index.html"));
        view->setCharEncoding(EucJP);
        journal.track(view.get());
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(9);
        cursor.insertText(QStringLiteral("inserted "));
        view->setTextCursor(cursor);
        journal.flush();

        const QString file = journal.journalFile(view.get());
        QVERIFY(file.startsWith(recoveryDir() + QLatin1Char('/') + journal.instanceId()));
        QString text;
        RecoveryJournal::Entry entry;
        QVERIFY(RecoveryJournal::readText(file, &text, &entry));
        QCOMPARE(text, QStringLiteral("line one\ninserted line two\n"));
        QCOMPARE(entry.fullPath, QStringLiteral("/srv/site/index.html"));
        QCOMPARE(entry.title, QStringLiteral("index.html"));
        QCOMPARE(entry.encoding, EucJP);
        QCOMPARE(entry.cursorPosition, 18);
        QVERIFY(qAbs(entry.lastChange.secsTo(QDateTime::currentDateTimeUtc())) < 60);

        // A later edit replaces the copy, under the same name.
        view->setCharEncoding(UTF16BE);
        typeText(view.get(), QStringLiteral("more"));
        journal.flush();
        QCOMPARE(journal.journalFile(view.get()), file);
        QVERIFY(RecoveryJournal::readText(file, &text, &entry));
        QCOMPARE(text, QStringLiteral("line one\ninserted line two\nmore"));
        QCOMPARE(entry.encoding, UTF16BE);
        QCOMPARE(copies().size(), 1);
    }
    void editsWhileCopying_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("added");

        // The first slice has copied characters 0-99 when the edit comes.
        QTest::newRow("typing in the copied part") << 50 << 0 << QStringLiteral("typed");
        QTest::newRow("deleting in the copied part") << 20 << 30 << QString();
        QTest::newRow("new line at the start") << 0 << 0 << QStringLiteral("\n");
        QTest::newRow("replacing across the copied end") << 90 << 30 << QStringLiteral("xyz");
        QTest::newRow("edit right at the copied end") << 100 << 1 << QStringLiteral("ab");
        QTest::newRow("typing beyond the copied part") << 500 << 0 << QStringLiteral("later");
        QTest::newRow("large paste in the copied part") << 10 << 5 << QStringLiteral("p").repeated(2000);
        QTest::newRow("whole text replaced") << -1 << 0 << QStringLiteral("all new\ntext");
    }
    // The copy is taken in slices; edits between them must end up in it exactly.
    void editsWhileCopying()
    {
        QFETCH(int, position);
        QFETCH(int, removed);
        QFETCH(QString, added);
        RecoveryJournal journal(recoveryDir());
        journal.setDelays(3600000, 3600000);
        journal.setSlices(0, 100);
        QString text;
        for (int i = 0; i < 10; ++i)
            text += QString(QLatin1Char(char('a' + i))).repeated(98) + QStringLiteral("\u00a0\n");
        auto view = makeView(text);
        journal.track(view.get());
        typeText(view.get(), QStringLiteral("!"));
        journal.writeSoon(view.get());

        if (position < 0) {
            view->selectAll();
            view->insertPlainText(added);
        } else {
            QTextCursor cursor(view->document());
            cursor.setPosition(position);
            cursor.setPosition(position + removed, QTextCursor::KeepAnchor);
            cursor.insertText(added);
        }
        journal.flush();
        QString copy;
        QVERIFY(RecoveryJournal::readText(journal.journalFile(view.get()), &copy));
        QCOMPARE(copy, view->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
        QVERIFY(copy.contains(QChar(0x00a0)) || position < 0);
    }
    // A long line shown as several blocks is kept as the one line of the file,
    // with the cursor where the file has it, also when an edit lands between
    // two slices of the copy.
    void virtualBreaksLeftOut()
    {
        RecoveryJournal journal(recoveryDir());
        journal.setDelays(3600000, 3600000);
        journal.setSlices(0, 100);
        auto view = std::make_unique<EditView>(settings.get(), engine.get());
        view->virtualBreaks()->setLimits(60, 20);
        QString line;
        for (int i = 0; i < 40; ++i)
            line += QStringLiteral("a%1{b:c;d:e}").arg(i);
        view->loadText(QStringLiteral("first\n") + line + QStringLiteral("\nlast\n"));
        QVERIFY(view->document()->blockCount() > 20);
        journal.track(view.get());
        typeText(view.get(), QStringLiteral("!"));
        journal.writeSoon(view.get());
        // One edit in the part already copied, one beyond it.
        QTextCursor early(view->document()->findBlockByNumber(2));
        early.insertText(QStringLiteral("early"));
        QTextCursor cursor(view->document()->findBlockByNumber(12));
        cursor.insertText(QStringLiteral("typed"));
        view->setTextCursor(cursor);
        journal.flush();

        QString copy;
        RecoveryJournal::Entry entry;
        QVERIFY(RecoveryJournal::readText(journal.journalFile(view.get()), &copy, &entry));
        QCOMPARE(copy, view->realText());
        QCOMPARE(copy.count(QLatin1Char('\n')), 3);
        QCOMPARE(entry.cursorPosition, view->virtualBreaks()->toReal(cursor.position()));
        QCOMPARE(copy.mid(entry.cursorPosition - 5, 5), QStringLiteral("typed"));
    }
    void copyRemoved_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("saved") << QStringLiteral("saved");
        QTest::newRow("undone to the saved text") << QStringLiteral("undo");
        QTest::newRow("closed") << QStringLiteral("closed");
        QTest::newRow("closed while the copy is being written") << QStringLiteral("closed-writing");
        QTest::newRow("journal ends with the program") << QStringLiteral("journal-ends");
    }
    void copyRemoved()
    {
        QFETCH(QString, how);
        auto journal = std::make_unique<RecoveryJournal>(recoveryDir());
        journal->setDelays(0, 0);
        auto view = makeView(QStringLiteral("saved text"));
        journal->track(view.get());
        typeText(view.get(), QStringLiteral(" and an edit"));
        journal->flush();
        QCOMPARE(copies().size(), 1);

        if (how == QLatin1String("saved")) {
            view->document()->setModified(false);
        } else if (how == QLatin1String("undo")) {
            view->undo();
            QVERIFY(!view->document()->isModified());
        } else if (how == QLatin1String("closed")) {
            view.reset();
        } else if (how == QLatin1String("closed-writing")) {
            // The second write is on the worker when the view goes.
            const QString big = QStringLiteral("x").repeated(4 << 20);
            typeText(view.get(), big);
            QCoreApplication::processEvents();  // the zero delay fires: the write starts
            view.reset();
        } else {
            journal.reset();
            QVERIFY(copies().isEmpty());
            QVERIFY(!QFileInfo::exists(recoveryDir()));
            return;
        }
        journal->waitForIdle();
        QVERIFY2(copies().isEmpty(), qPrintable(copies().join(QLatin1Char(' '))));
        // A saved document that is edited again gets its copy back.
        if (view) {
            typeText(view.get(), QStringLiteral("!"));
            journal->flush();
            QCOMPARE(copies().size(), 1);
        }
    }
    void runningProgramKeepsItsCopies()
    {
        RecoveryJournal running(recoveryDir());
        running.setDelays(0, 0);
        auto view = makeView();
        running.track(view.get());
        typeText(view.get(), QStringLiteral("still being edited"));
        running.flush();
        QCOMPARE(copies().size(), 1);

        RecoveryJournal starting(recoveryDir());
        QVERIFY(starting.isEnabled());
        QVERIFY(starting.instanceId() != running.instanceId());
        QVERIFY(starting.claimOrphans().isEmpty());
        starting.releaseClaimed();
        QCOMPARE(copies().size(), 1);
        QString text;
        QVERIFY(RecoveryJournal::readText(running.journalFile(view.get()), &text));
        QCOMPARE(text, QStringLiteral("still being edited"));
    }
    void crashedRunIsClaimedOnce_data()
    {
        QTest::addColumn<QString>("decision");
        QTest::addColumn<int>("copiesAfter");
        QTest::addColumn<bool>("offeredAgain");

        QTest::newRow("adopted") << QStringLiteral("adopt") << 1 << false;
        QTest::newRow("discarded") << QStringLiteral("discard") << 0 << false;
        QTest::newRow("decided later") << QStringLiteral("later") << 1 << true;
    }
    // A real program (this test in helper mode) edits a document, lets its copy be
    // written, and is killed; the next program finds the copy and claims it.
    void crashedRunIsClaimedOnce()
    {
        QFETCH(QString, decision);
        QFETCH(int, copiesAfter);
        QFETCH(bool, offeredAgain);
        const QString text = QStringLiteral("<p>typed before the crash</p>\n日本語\n");
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedChannels);
        helper.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--crash-with-copy"), recoveryDir(),
                      QStringLiteral("/data/page.html"), text});
        QVERIFY(helper.waitForFinished(60000));
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
        QCOMPARE(copies().size(), 1);

        RecoveryJournal next(recoveryDir());
        next.setDelays(0, 0);
        const QList<RecoveryJournal::Entry> found = next.claimOrphans();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].fullPath, QStringLiteral("/data/page.html"));
        QCOMPARE(found[0].encoding, ShiftJIS);
        QCOMPARE(found[0].cursorPosition, 3);
        QString read;
        QVERIFY(RecoveryJournal::readText(found[0].file, &read));
        QCOMPARE(read, text);

        {
            // Started at the same moment: the claimed copy is not offered twice.
            RecoveryJournal other(recoveryDir());
            QVERIFY(other.claimOrphans().isEmpty());
        }

        auto view = makeView();
        if (decision == QLatin1String("adopt")) {
            view->setPlainText(read);
            view->document()->setModified(true);
            next.adopt(view.get(), found[0]);
        } else if (decision == QLatin1String("discard")) {
            next.discard(found[0]);
        }
        next.releaseClaimed();
        next.waitForIdle();
        QCOMPARE(copies().size(), copiesAfter);
        if (decision == QLatin1String("adopt")) {
            QVERIFY(!QFileInfo::exists(found[0].file));
            QString adopted;
            QVERIFY(RecoveryJournal::readText(next.journalFile(view.get()), &adopted));
            QCOMPARE(adopted, text);
        }
        RecoveryJournal third(recoveryDir());
        QCOMPARE(third.claimOrphans().size(), offeredAgain ? 1 : 0);
    }
    void failedWriteIsReportedAndRetried()
    {
        RecoveryJournal journal(recoveryDir());
        journal.setDelays(0, 200);
        auto view = makeView();
        view->setTitle(QStringLiteral("Untitled-4"));
        journal.track(view.get());
        QSignalSpy messages(view.get(), &EditViewBase::showMessage);
        QSignalSpy written(&journal, &RecoveryJournal::written);

        // The folder is replaced by a plain file: nothing can be written there.
        const QString aside = dir->filePath(QStringLiteral("aside"));
        QVERIFY(QDir().rename(recoveryDir(), aside));
        QVERIFY(writeFile(recoveryDir(), "not a folder"));
        typeText(view.get(), QStringLiteral("precious"));
        journal.flush();
        QCOMPARE(written.size(), 1);
        QCOMPARE(written[0][1].toBool(), false);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0][0].toString().contains(QStringLiteral("Untitled-4")),
                 qPrintable(messages[0][0].toString()));

        // Room again: the copy is written without another edit, and the failure
        // is not reported twice.
        QVERIFY(QFile::remove(recoveryDir()));
        QVERIFY(QDir().rename(aside, recoveryDir()));
        QTRY_VERIFY_WITH_TIMEOUT(!copies().isEmpty(), 5000);
        journal.waitForIdle();
        QCOMPARE(written.last()[1].toBool(), true);
        QCOMPARE(messages.size(), 1);
        QString text;
        QVERIFY(RecoveryJournal::readText(journal.journalFile(view.get()), &text));
        QCOMPARE(text, QStringLiteral("precious"));
    }

private:
    std::unique_ptr<EditView> makeView(const QString &text = QString());
    QString recoveryDir() const { return dir->filePath(QStringLiteral("recovery")); }
    QStringList copies() const
    {
        return QDir(recoveryDir()).entryList({QStringLiteral("*.journal")}, QDir::Files);
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<GlobalSettings> settings;
    std::unique_ptr<ViEngine> engine;
};

std::unique_ptr<EditView> TestRecoveryJournal::makeView(const QString &text)
{
    auto view = std::make_unique<EditView>(settings.get(), engine.get());
    view->setPlainText(text);
    view->document()->setModified(false);
    return view;
}

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--crash-with-copy") == 0)
        return crashWithCopy(argc, argv);
    QApplication app(argc, argv);
    TestRecoveryJournal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recoveryjournal.moc"
