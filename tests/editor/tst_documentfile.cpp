#include "editor/documentfile.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString sourceText() { return QString::fromUtf8(encodingFixture(QStringLiteral("ja_source.html"))); }

int answer(const QString &word)
{
    static const QHash<QString, int> answers = {
        {"yes", QMessageBox::Yes}, {"no", QMessageBox::No}, {"cancel", QMessageBox::Cancel},
        {"save", QMessageBox::Save}, {"apply", QMessageBox::Apply}, {"none", -1}};
    if (!answers.contains(word))
        qFatal("no answer %s", qPrintable(word));
    return answers.value(word);
}

} // namespace

// Reading files into a view and writing them back: round trips in every
// encoding and line-end style, the questions before a lossy save, and saves
// that fail without harming the file on disk.
class TestDocumentFile : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<GlobalSettings> settings;
    std::unique_ptr<ViEngine> engine;
    std::unique_ptr<EditView> view;
    std::unique_ptr<ScriptedPrompt> prompt;

    QString path(const QString &name) const { return dir->filePath(name); }
    QString copyFixture(const QString &name, const QString &as = QStringLiteral("doc.html"))
    {
        if (!writeFile(path(as), encodingFixture(name)))
            qFatal("cannot write %s", qPrintable(path(as)));
        return path(as);
    }
    void setModifiedText(const QString &text)
    {
        view->setPlainText(text);
        view->document()->setModified(true);
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        settings = std::make_unique<GlobalSettings>();
        engine = std::make_unique<ViEngine>();
        view = std::make_unique<EditView>(settings.get(), engine.get());
        prompt = std::make_unique<ScriptedPrompt>();
    }
    void cleanup()
    {
        const bool unexpected = prompt->unexpected;
        prompt.reset();
        view.reset();
        engine.reset();
        settings.reset();
        dir.reset();
        QVERIFY2(!unexpected, "a question was asked that the test did not expect");
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("expected");  // empty: the bytes as read
        QTest::addColumn<QString>("said");         // a part of the status line
        for (const TestRow &r : readTestTable("editor/roundtrip.txt"))
            QTest::newRow(qPrintable(r.name)) << tableBytes(r.fields.at(0)) << int(tableEncoding(r.fields.at(1)))
                                              << tableBytes(r.fields.at(2)) << r.fields.at(3);
        // Lone CR, a line far over the virtual-break threshold, a U+2029 and a
        // U+2028 inside lines: none of them may move a line end.
        QString page = sourceText();
        page.insert(page.indexOf(QLatin1String("</body>")),
                    QStringLiteral("<p>%1</p>\n").arg(QString::fromUtf8("苔の庭、").repeated(900)));
        page.replace(QStringLiteral("</h1>"), QStringLiteral("</h1>\u2029<hr>\u2028"));
        const struct { const char *name; CharEncoding enc; bool mark; } encodings[] = {
            {"utf-8", UTF8, false}, {"utf-8 bom", UTF8, true}, {"utf-16le", UTF16LE, false},
            {"utf-16be bom", UTF16BE, true}, {"shift-jis", ShiftJIS, false}, {"euc-jp", EucJP, false},
        };
        const struct { const char *name; const char *text; } separators[] = {
            {"lf", "\n"}, {"crlf", "\r\n"}, {"cr", "\r"}};
        for (const auto &e : encodings)
            for (const auto &sep : separators) {
                QString text = page;
                if (e.enc == ShiftJIS || e.enc == EucJP)
                    text.remove(QChar(0x2029)).remove(QChar(0x2028));
                text.replace(QLatin1Char('\n'), QLatin1String(sep.text));
                QTest::addRow("long line, %s, %s", e.name, sep.name)
                    << encodeText(text, e.enc, e.mark).bytes << int(e.enc) << QByteArray() << QString();
            }
        // 100 lines ended by CR only, one of them long: the virtual breaks must
        // not land on the wrong lines.
        QByteArray paragraphs;
        for (int i = 0; i < 100; ++i)
            paragraphs += "<p>line " + QByteArray::number(i) + (i == 50 ? QByteArray(3000, 'x') : "") + "</p>\r";
        QTest::newRow("lone CR lines, one long") << paragraphs << int(UTF8) << QByteArray() << QString();
    }
    // Read, save unchanged, compare bytes: every file comes back byte for byte,
    // line ends, byte-order mark and all, and nothing else is left beside it.
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(QByteArray, expected);
        QFETCH(QString, said);
        const QString target = path(QStringLiteral("doc.html"));
        QVERIFY(writeFile(target, bytes));
        QSignalSpy messages(view.get(), &EditViewBase::notice);
        QString summary;
        QVERIFY(readDocument(view.get(), target, NoEncoding, &summary));
        QCOMPARE(int(view->charEncoding()), encoding);
        QVERIFY(!view->document()->isModified());
        QCOMPARE(messages.count(), 0);
        QVERIFY2(summary.contains(said), qPrintable(summary));
        QVERIFY(writeDocument(view.get(), target, nullptr));
        QCOMPARE(readFile(target), expected.isEmpty() ? bytes : expected);
        QVERIFY(prompt->asked.isEmpty());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.html"});
    }

    // The encoding menu only changes the view's encoding (the line ends stay);
    // the next save converts.
    void saveInChosenEncoding()
    {
        const QString target = copyFixture(QStringLiteral("ja_utf8_crlf.html"));
        for (const auto &[encoding, expected] : {std::pair{ShiftJIS, "ja_sjis_crlf.html"}, {EucJP, "ja_eucjp_crlf.html"},
                                                 {UTF16LE, "ja_utf16lebom_crlf.html"}, {UTF16BE, "ja_utf16bebom_crlf.html"}}) {
            QVERIFY(readDocument(view.get(), target));
            view->setCharEncoding(encoding);
            QVERIFY(writeDocument(view.get(), path(QStringLiteral("converted.html")), nullptr));
            QVERIFY2(readFile(path(QStringLiteral("converted.html"))) == encodingFixture(expected), expected);
            QCOMPARE(readFile(target), encodingFixture(QStringLiteral("ja_utf8_crlf.html")));
        }
    }

    // A read replaces text, modified flag and encoding (saying so even when
    // it stays UTF-8); a yen sign stands for the folder separator.
    void readReplacesViewState()
    {
        setModifiedText(QStringLiteral("old text"));
        view->setCharEncoding(UTF8);
        QVERIFY(QFileInfo::exists(copyFixture(QStringLiteral("ja_utf8_lf.html"), QStringLiteral("sub/page.html"))));
        QSignalSpy encodingSpy(view.get(), &EditViewBase::encodingChanged);
        QVERIFY(readDocument(view.get(), dir->path() + QChar(0x00A5) + QStringLiteral("sub") + QChar(0x00A5)
                                             + QStringLiteral("page.html")));
        QCOMPARE(encodingSpy.count(), 1);
        QCOMPARE(view->toPlainText(), sourceText());
        QVERIFY(!view->document()->isModified());
    }

    void readFailure_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"missing", "directory", "fifo", "device"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    // Unreadable names leave the view alone and say nothing; a FIFO or an
    // endless device must not hang or fill the memory.
    void readFailure()
    {
        QFETCH(QString, kind);
        QString target = path(QStringLiteral("x.html"));
        if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(target));
        } else if (kind == QLatin1String("fifo")) {
#ifdef Q_OS_LINUX
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
#else
            QSKIP("FIFOs are made here only on Linux");
#endif
        } else if (kind == QLatin1String("device")) {
            target = QStringLiteral("/dev/zero");
            if (!QFileInfo::exists(target))
                QSKIP("no /dev/zero on this system");
        }
        view->setPlainText(QStringLiteral("kept"));
        view->setCharEncoding(EucJP);
        QSignalSpy encodingSpy(view.get(), &EditViewBase::encodingChanged);
        QSignalSpy messages(view.get(), &EditViewBase::notice);
        QVERIFY(!readDocument(view.get(), target));
        QCOMPARE(view->toPlainText(), QStringLiteral("kept"));
        QCOMPARE(int(view->charEncoding()), int(EucJP));
        QCOMPARE(encodingSpy.count() + messages.count(), 0);
    }

    // Strange files open with the detected encoding and, where bytes were lost
    // or look binary, a status message naming the file.
    void oddInput_data() { addTableRows("editor/oddinput.txt", "f"); }
    void oddInput()
    {
        QFETCH(QStringList, f);
        QVERIFY(writeFile(path(QStringLiteral("odd.bin")), tableBytes(f.at(0))));
        QSignalSpy messages(view.get(), &EditViewBase::notice);
        QVERIFY(readDocument(view.get(), path(QStringLiteral("odd.bin"))));
        QCOMPARE(int(view->charEncoding()), int(tableEncoding(f.at(1))));
        QCOMPARE(messages.count(), f.at(2).isEmpty() ? 0 : 1);
        if (!f.at(2).isEmpty()) {
            const QString text = messages.at(0).at(0).toString();
            QVERIFY2(text.contains(QLatin1String("odd.bin")) && text.contains(f.at(2)), qPrintable(text));
        }
    }

    void invalidBytesAskBeforeOverwrite_data() { addTableRows("editor/invalidbytes.txt", "f"); }
    void invalidBytesAskBeforeOverwrite()
    {
        QFETCH(QStringList, f);
        const QByteArray original = tableBytes(f.at(0));
        const CharEncoding encoding = tableEncoding(f.at(1));
        const bool edited = f.at(2) == QLatin1String("yes"), written = f.at(5) == QLatin1String("yes");
        const QString saveAs = f.at(3);
        const int answer = ::answer(f.at(4));
        const QString source = path(QStringLiteral("latin.html"));
        QVERIFY(writeFile(source, original));
        QSignalSpy messages(view.get(), &EditViewBase::notice);
        QVERIFY(readDocument(view.get(), source, encoding));
        QCOMPARE(messages.count(), 1);  // said when read
        const CharEncoding read = encoding ? encoding : UTF8;
        QCOMPARE(int(view->charEncoding()), int(read));
        if (edited)
            view->document()->setModified(true);
        if (answer >= 0)
            prompt->answers << QMessageBox::StandardButton(answer);
        const QString target = saveAs.isEmpty() ? source : path(saveAs);
        QCOMPARE(writeDocument(view.get(), target, nullptr), written);
        QCOMPARE(prompt->asked.size(), answer >= 0 ? 1 : 0);
        if (answer >= 0) {
            QCOMPARE(prompt->asked[0].icon, QMessageBox::Warning);
            QVERIFY(prompt->asked[0].text.contains(QLatin1String(encodingName(read))));
            QVERIFY(prompt->asked[0].text.contains(QLatin1String("original bytes")));
        }
        QCOMPARE(readFile(target), written ? encodeText(view->realText(), read).bytes : original);
        QCOMPARE(view->document()->isModified(), edited && !written);
        if (saveAs.isEmpty() && written && !encodeText(view->realText(), read).lossy) {
            // The original bytes are gone: the next save has nothing to ask.
            view->document()->setModified(true);
            QVERIFY(writeDocument(view.get(), source, nullptr));
            QCOMPARE(prompt->asked.size(), 1);
        }
        if (!saveAs.isEmpty())
            QCOMPARE(readFile(source), original);
    }

    // Characters the encoding lacks are never replaced without asking; Cancel
    // leaves the file and the modified document as they were; references are
    // what the view shows afterwards too.
    void lossySave_data() { addTableRows("editor/lossysave.txt", "f"); }
    void lossySave()
    {
        QFETCH(QStringList, f);
        const CharEncoding encoding = tableEncoding(f.at(1));
        const QByteArray written = tableBytes(f.at(4));
        const QString target = path(f.at(0));
        const QByteArray old("previous contents\n");
        QVERIFY(writeFile(target, old));
        setModifiedText(f.at(2));
        view->setCharEncoding(encoding);
        prompt->answers << QMessageBox::StandardButton(answer(f.at(3)));
        const bool saved = writeDocument(view.get(), target, nullptr);
        QCOMPARE(prompt->asked.size(), 1);
        QCOMPARE(prompt->asked[0].icon, QMessageBox::Warning);
        QCOMPARE(prompt->asked[0].title, QStringLiteral("save"));
        QVERIFY(prompt->asked[0].text.contains(QLatin1String(encodingName(encoding))));
        QCOMPARE(saved, !written.isEmpty());
        if (f.at(3) == QLatin1String("save"))
            QVERIFY(readFile(target).startsWith(written));
        else
            QCOMPARE(readFile(target), saved ? written : old);
        QCOMPARE(view->document()->isModified(), !saved);
        if (f.at(3) == QLatin1String("apply"))
            QCOMPARE(encodeText(view->realText(), encoding).bytes, written);
    }

    // A page declaring another encoding than the one it is saved in: Yes
    // rewrites the label, No keeps it and is remembered, Cancel saves nothing.
    void declarationFollowsTheEncoding_data() { addTableRows("editor/declaration.txt", "f"); }
    void declarationFollowsTheEncoding()
    {
        QFETCH(QStringList, f);
        const QByteArray page = tableBytes(f.at(0)), written = tableBytes(f.at(3));
        const int reply = answer(f.at(2));
        const QString source = path(QStringLiteral("page.html"));
        QVERIFY(writeFile(source, page));
        QVERIFY(readDocument(view.get(), source));
        view->setCharEncoding(tableEncoding(f.at(1)));
        if (reply >= 0)
            prompt->answers << QMessageBox::StandardButton(reply);
        QCOMPARE(writeDocument(view.get(), source, nullptr), !written.isEmpty());
        QCOMPARE(prompt->asked.size(), reply >= 0 ? 1 : 0);
        QCOMPARE(readFile(source), written.isEmpty() ? page : written);
        if (reply == QMessageBox::No || reply == QMessageBox::Yes) {
            // Neither answer is asked for again.
            QVERIFY(writeDocument(view.get(), source, nullptr));
            QCOMPARE(prompt->asked.size(), 1);
            QCOMPARE(readFile(source), written);
        }
    }

    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");  // as the C library words it
        QTest::newRow("parent is a regular file") << QStringLiteral("file-parent") << "Not a directory";
        QTest::newRow("immutable directory") << QStringLiteral("immutable") << "Operation not permitted";
        QTest::newRow("read-only file system") << QStringLiteral("readonly-mount") << "Read-only file system";
        QTest::newRow("full disk") << QStringLiteral("full-disk") << "No space left on device";
        QTest::newRow("file size limit hit mid-write") << QStringLiteral("size-limit") << "File too large";
    }
    // Every way a save can fail leaves the old file intact, shows the critical
    // box, keeps the document modified and answers false.
    void failedSaveKeepsOldFile()
    {
#ifndef Q_OS_LINUX
        QSKIP("these failures are staged with Linux calls");
#else
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString folder = path(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        QString target = folder + QStringLiteral("/doc.html");
        const QByteArray old("<p>the old contents</p>\n");
        const QByteArray folderName = QFile::encodeName(folder);
        bool mounted = false;
        int immutableFd = -1;
        rlimit oldLimit{};
        bool limited = false;
        const auto undo = qScopeGuard([&] {
            if (immutableFd >= 0) {
                int flags = 0;
                ::ioctl(immutableFd, FS_IOC_GETFLAGS, &flags);
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(immutableFd, FS_IOC_SETFLAGS, &flags);
                ::close(immutableFd);
            }
            if (mounted)
                ::umount2(folderName.constData(), MNT_DETACH);
            if (limited) {
                ::setrlimit(RLIMIT_FSIZE, &oldLimit);
                ::signal(SIGXFSZ, SIG_DFL);
            }
        });

        if (kind == QLatin1String("file-parent")) {
            QVERIFY(writeFile(folder + QStringLiteral("/plain.txt"), old));
            target = folder + QStringLiteral("/plain.txt/doc.html");
        } else if (kind == QLatin1String("readonly-mount") || kind == QLatin1String("full-disk")) {
            if (::mount("tmpfs", folderName.constData(), "tmpfs", 0, "size=16k") != 0)
                QSKIP("cannot mount a small tmpfs here (needs root and mount rights)");
            mounted = true;
            QVERIFY(writeFile(target, old));
            if (kind == QLatin1String("readonly-mount")
                && ::mount("tmpfs", folderName.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16k") != 0)
                QSKIP("cannot remount the tmpfs read-only");
        } else if (kind == QLatin1String("immutable")) {
            QVERIFY(writeFile(target, old));
            immutableFd = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY);
            QVERIFY(immutableFd >= 0);
            int flags = 0;
            if (::ioctl(immutableFd, FS_IOC_GETFLAGS, &flags) != 0) {
                ::close(immutableFd);
                immutableFd = -1;
                QSKIP("this file system has no inode flags");
            }
            flags |= FS_IMMUTABLE_FL;
            if (::ioctl(immutableFd, FS_IOC_SETFLAGS, &flags) != 0) {
                ::close(immutableFd);
                immutableFd = -1;
                QSKIP("cannot make a directory immutable here (needs root)");
            }
        } else if (kind == QLatin1String("size-limit")) {
            QVERIFY(writeFile(target, old));
            ::getrlimit(RLIMIT_FSIZE, &oldLimit);
            rlimit small = oldLimit;
            small.rlim_cur = 8192;
            ::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
            limited = true;
        }

        // Larger than any of the limits above, so the write itself fails.
        QString text;
        while (text.size() < 40000)
            text += QStringLiteral("<p>a line of the new contents</p>\n");
        setModifiedText(text);
        QSignalSpy modified(view.get(), &EditView::modificationChanged);
        prompt->answers << QMessageBox::Ok;

        QVERIFY(!writeDocument(view.get(), target, nullptr));

        QCOMPARE(prompt->asked.size(), 1);
        QCOMPARE(prompt->asked[0].icon, QMessageBox::Critical);
        QCOMPARE(prompt->asked[0].title, QStringLiteral("save"));
        QCOMPARE(prompt->asked[0].text, QStringLiteral("failed to save file '%1':\n%2").arg(target, reason));
        QVERIFY(view->document()->isModified());
        QCOMPARE(modified.count(), 0);
        if (kind == QLatin1String("file-parent")) {
            QCOMPARE(readFile(folder + QStringLiteral("/plain.txt")), old);
        } else {
            QCOMPARE(readFile(target), old);
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.html"});
        }
#endif
    }

    void readOnlyFolderSavesInPlace_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("write in place") << int(QMessageBox::Save);
        QTest::newRow("cancel") << int(QMessageBox::Cancel);
    }
    // No temporary file can be made beside a writable file: the save says it
    // cannot be atomic there and, when the user agrees, writes the file itself.
    void readOnlyFolderSavesInPlace()
    {
#ifndef Q_OS_LINUX
        QSKIP("staged with Linux permissions");
#else
        QFETCH(int, answer);
        const QString folder = path(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QStringLiteral("/doc.html");
        const QByteArray old("<p>the old contents</p>\n");
        QVERIFY(writeFile(target, old));
        const QByteArray folderName = QFile::encodeName(folder);
        QCOMPARE(::chmod(QFile::encodeName(dir->path()).constData(), 0755), 0);
        QCOMPARE(::chmod(folderName.constData(), 0555), 0);
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0666), 0);
        // Root passes every permission check: the save runs as another user then.
        const bool asRoot = ::geteuid() == 0;
        const auto restore = qScopeGuard([&] {
            if (asRoot)
                QCOMPARE(::seteuid(0), 0);
            ::chmod(folderName.constData(), 0755);
        });
        setModifiedText(QStringLiteral("<p>new</p>"));
        prompt->answers << QMessageBox::StandardButton(answer);

        if (asRoot)
            QCOMPARE(::seteuid(65534), 0);
        const bool saved = writeDocument(view.get(), target, nullptr);
        if (asRoot)
            QCOMPARE(::seteuid(0), 0);

        QCOMPARE(prompt->asked.size(), 1);
        QVERIFY2(prompt->asked[0].icon == QMessageBox::Warning, qPrintable(prompt->asked[0].text));
        QVERIFY2(prompt->asked[0].text.contains(QLatin1String("in place")), qPrintable(prompt->asked[0].text));
        QCOMPARE(saved, answer == QMessageBox::Save);
        QCOMPARE(readFile(target), saved ? QByteArray("<p>new</p>") : old);
        QCOMPARE(view->document()->isModified(), !saved);
#endif
    }

    // A save clears the modified flag (signalled only when it changes) and
    // keeps the file's permissions and a symbolic link as they were.
    void saveKeepsSignalModeAndLinks()
    {
        const QString real = copyFixture(QStringLiteral("ja_eucjp_lf.html"));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(real, mode));
        const QString link = path(QStringLiteral("link.html"));
        if (!QFile::link(real, link))
            QSKIP("cannot make symbolic links here");
        QVERIFY(readDocument(view.get(), link));
        QSignalSpy modified(view.get(), &EditView::modificationChanged);
        QVERIFY(writeDocument(view.get(), link, nullptr));
        QCOMPARE(modified.count(), 0);
        QTextCursor(view->document()).insertText(QStringLiteral("<!-- -->"));
        QCOMPARE(modified.count(), 1);
        QVERIFY(writeDocument(view.get(), link, nullptr));
        QCOMPARE(modified.count(), 2);
        QCOMPARE(modified.at(1).at(0).toBool(), false);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(readFile(real).startsWith("<!-- --><!DOCTYPE"));
        const auto ownerGroupOther = QFileDevice::Permissions(0x7077);
        QCOMPARE(QFile::permissions(real) & ownerGroupOther, mode & ownerGroupOther);
    }
};

QTEST_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
