#include "editor/documentfile.h"
#include "testsupport.h"

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

// "65536 plain ascii line\n": the text repeated to that many bytes.
QByteArray filled(const QString &field)
{
    const qsizetype space = field.indexOf(QLatin1Char(' '));
    const QByteArray text = tableBytes(field.mid(space + 1));
    const int size = field.left(space).toInt();
    return text.repeated(size / qMax(1, int(text.size())) + 1).left(size);
}

} // namespace

// The user's files: detection and conversion of the five encodings, reading
// files into a view and writing them back byte for byte, the questions before
// a save that would change bytes, and saves that fail without harming the file.
class TestDocumentFile : public FixtureTest
{
    Q_OBJECT
    std::unique_ptr<EditView> view;

    QString path(const QString &name) const { return dir->filePath(name); }

private slots:
    void init()
    {
        FixtureTest::init();
        view = makeView();
    }
    void cleanup()
    {
        view.reset();
        FixtureTest::cleanup();
    }

    void detect_data() { addTableRows("editor/detect.txt", "f"); }
    void detect()
    {
        QFETCH(QStringList, f);
        const QByteArray bytes = filled(f.value(2)) + tableBytes(f.at(0)) + filled(f.value(3));
        QCOMPARE(int(detectEncoding(bytes)), int(tableEncoding(f.at(1))));
    }

    // Dense Japanese without a single ASCII byte: UTF-16 without a mark has
    // no zero bytes either, and must not be taken for an 8-bit encoding, nor
    // the 8-bit encodings for UTF-16.
    void detectDenseJapanese()
    {
        QString dense = QString::fromUtf8(encodingFixture("ja_source.html"));
        dense.removeIf([](QChar c) { return c.unicode() < 0x80; });
        for (CharEncoding e : {ShiftJIS, EucJP, UTF8, UTF16LE, UTF16BE})
            QCOMPARE(int(detectEncoding(QByteArray(QStringEncoder(encodingName(e)).encode(dense)))), int(e));
    }

    void labels_data() { addTableRows("editor/labels.txt", "f"); }
    void labels()
    {
        QFETCH(QStringList, f);
        QCOMPARE(int(encodingForLabel(f.at(0).toLatin1())), int(tableEncoding(f.at(1))));
    }

    void decode_data() { addTableRows("editor/decode.txt", "f"); }
    void decode()
    {
        QFETCH(QStringList, f);
        const DecodedText d = decodeBytes(tableBytes(f.at(0)), tableEncoding(f.at(1)));
        QCOMPARE(int(d.encoding), int(tableEncoding(f.at(1))));
        QCOMPARE(d.hadErrors, f.at(3) == QLatin1String("invalid"));
        QCOMPARE(d.notRoundTrip, f.at(3) == QLatin1String("changes"));
        QCOMPARE(d.byteOrderMark, f.at(4) == QLatin1String("yes"));
        QVERIFY(!d.text.isEmpty());
        if (f.at(2) != QLatin1String("*"))
            QCOMPARE(d.text, f.at(2));
    }

    void encode_data() { addTableRows("editor/encode.txt", "f"); }
    void encode()
    {
        QFETCH(QStringList, f);
        const EncodedText e = encodeText(f.at(0), tableEncoding(f.at(1)), f.at(2) == QLatin1String("yes"));
        QCOMPARE(e.lossy, f.at(3) == QLatin1String("*"));
        QVERIFY(!e.bytes.isEmpty());
        if (!e.lossy)
            QCOMPARE(e.bytes, tableBytes(f.at(3)));
    }

    // Every two-byte Shift-JIS and EUC-JP code and every three-byte JIS X 0212
    // code of EUC-JP: what reads without a report writes back as the same bytes.
    void everyJapaneseCodeRoundTripsOrIsReported()
    {
        QList<QPair<QByteArray, CharEncoding>> codes;
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                if ((lead <= 0x9F || lead >= 0xE0) && trail != 0x7F)
                    codes.append({QByteArray(1, char(lead)) + char(trail), ShiftJIS});
        for (int lead = 0xA1; lead <= 0xFE; ++lead) {
            codes.append({QByteArray(1, char(0x8E)) + char(lead), EucJP});
            for (int trail = 0xA1; trail <= 0xFE; ++trail)
                codes << qMakePair(QByteArray(1, char(lead)) + char(trail), EucJP)
                      << qMakePair(QByteArray("\x8F") + char(lead) + char(trail), EucJP);
        }
        int reported = 0;
        for (const auto &[code, encoding] : codes) {
            const QByteArray bytes = "<p>" + code + "</p>\n";
            const DecodedText d = decodeBytes(bytes, encoding);
            reported += d.hadErrors || d.notRoundTrip;
            const EncodedText e = encodeText(d.text, encoding);
            QVERIFY2(d.hadErrors || d.notRoundTrip || (!e.lossy && e.bytes == bytes), code.toHex().constData());
        }
        // The NEC/IBM duplicates and the unmapped codes are many, not all.
        QVERIFY(reported > 398 && reported < codes.size() / 2);
    }

    // Random and mutated buffers: detection always names one of the five
    // encodings, and whatever decodes cleanly encodes back without loss,
    // byte for byte unless the read reported otherwise.
    void fuzzDetectAndRoundTrip()
    {
        QRandomGenerator rng(20240611);
        QList<QByteArray> seeds;
        for (const char *name : {"ja_sjis_crlf.html", "ja_eucjp_lf.html", "ja_utf8_4byte.html",
                                 "ja_utf16le_lf.html", "ja_utf16bebom_crlf.html", "ja_utf8bom_lf.html"})
            seeds << encodingFixture(QLatin1String(name));
        int clean = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray buf = seeds[rng.bounded(int(seeds.size()))];
            if (round % 3 == 0) {
                buf.resize(int(rng.bounded(round % 50 == 0 ? 70000 : 64)));
                for (char &c : buf)
                    c = char(rng.bounded(256));
            }
            for (int k = round % 3 ? 1 + int(rng.bounded(6)) : 0; k > 0 && !buf.isEmpty(); --k) {
                const int at = int(rng.bounded(int(buf.size())));
                switch (rng.bounded(4)) {
                case 0: buf[at] = char(rng.bounded(256)); break;
                case 1: buf.insert(at, '\0'); break;
                case 2: buf.truncate(at); break;
                default: buf.remove(at, 1); break;
                }
            }
            const QString where = QStringLiteral("round %1").arg(round);
            const DecodedText d = decodeBytes(buf);
            QVERIFY2(d.encoding >= ShiftJIS && d.encoding <= UTF16BE, qPrintable(where));
            QCOMPARE(d.encoding, detectEncoding(buf));
            if (d.hadErrors)
                continue;
            const EncodedText e = encodeText(d.text, d.encoding, d.byteOrderMark);
            QVERIFY2(!e.lossy && (d.notRoundTrip || e.bytes == buf), qPrintable(where));
            ++clean;
        }
        // The mutations must leave enough clean inputs for the round trip to mean something.
        QVERIFY2(clean > 300, qPrintable(QString::number(clean)));
    }

    void readAndSave_data()
    {
        // The bytes, then the fields of saves.txt.
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("f");
        for (const TestRow &r : readTestTable("editor/saves.txt"))
            QTest::newRow(qPrintable(r.name)) << tableBytes(r.fields.at(2)) << r.fields;
        const auto asRead = [](const char *encoding) {
            return QStringList{"doc.html", "", "", "none", encoding, "", "", "", "no", "", "", "", "=", ""};
        };
        // A line far over the virtual-break threshold, a U+2029 and a U+2028
        // inside lines: none of them may move a line end, in any encoding.
        QString page = QString::fromUtf8(encodingFixture(QStringLiteral("ja_source.html")));
        page.insert(page.indexOf(QLatin1String("</body>")), QStringLiteral("<p>%1</p>\n").arg(QString::fromUtf8("苔の庭、").repeated(900)));
        for (const auto &[e, mark] : {std::pair{UTF8, false}, {UTF8, true}, {UTF16LE, false}, {UTF16BE, true}, {ShiftJIS, false}, {EucJP, false}})
            for (const auto &[name, end] : {std::pair{"lf", "\n"}, {"crlf", "\r\n"}, {"cr", "\r"}}) {
                QString text = QString(page).replace(QLatin1Char('\n'), QLatin1String(end));
                if (e != ShiftJIS && e != EucJP)
                    text.replace(QStringLiteral("</h1>"), QStringLiteral("</h1>\u2029<hr>\u2028"));
                QTest::addRow("long line, %s%s, %s", encodingName(e), mark ? " bom" : "", name)
                    << encodeText(text, e, mark).bytes << asRead(encodingName(e));
            }
        // 100 lines ended by CR only, one of them long: the virtual breaks must
        // not land on the wrong lines.
        QByteArray lines;
        for (int i = 0; i < 100; ++i)
            lines += "<p>line " + QByteArray::number(i) + (i == 50 ? QByteArray(3000, 'x') : "") + "</p>\r";
        QTest::newRow("lone CR lines, one long") << lines << asRead("UTF-8");
    }
    // Read over an edited text and saved back: the file comes back byte for
    // byte, line ends, byte-order mark and all, unless the row changes it, and
    // nothing is left beside it. Saves that would not write back what was
    // read, or would lose characters, or keep a declaration of another
    // encoding, ask first; what was answered is not asked again, and what is
    // not saved leaves the file alone.
    void readAndSave()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, f);
        const QString source = path(f.at(0)), target = f.at(1).isEmpty() ? source : path(f.at(1));
        QByteArray written = f.at(12) == QLatin1String("=") ? bytes : tableBytes(f.at(12));
        const bool prefix = written.endsWith("...");
        written.chop(prefix ? 3 : 0);
        QVERIFY(writeFile(source, bytes));
        view->setPlainText(QStringLiteral("old text"));
        view->document()->setModified(true);
        view->setCharEncoding(UTF8);
        QSignalSpy notices(view.get(), &EditViewBase::notice), encodings(view.get(), &EditViewBase::encodingChanged);
        QString summary;
        // A yen sign stands for the folder separator.
        QVERIFY(readDocument(view.get(), QString(source).replace(QLatin1Char('/'), QChar(0xA5)), tableEncoding(f.at(3)), &summary));
        QCOMPARE(int(view->charEncoding()), int(tableEncoding(f.at(4))));
        QCOMPARE(encodings.count(), 1);  // said even when it stays UTF-8
        QVERIFY(!view->document()->isModified());
        QVERIFY2(summary.contains(f.at(5)), qPrintable(summary));
        QCOMPARE(notices.count(), f.at(6).isEmpty() ? 0 : 1);
        for (const QList<QVariant> &notice : std::as_const(notices))
            QVERIFY2(notice.at(0).toString().contains(f.at(0)) && notice.at(0).toString().contains(f.at(6)), qPrintable(notice.at(0).toString()));
        if (!f.at(7).isEmpty())
            view->setPlainText(f.at(7));
        view->document()->setModified(f.at(8) == QLatin1String("yes"));
        if (!f.at(9).isEmpty())
            view->setCharEncoding(tableEncoding(f.at(9)));
        prompt->answers = standardButtons(f.at(10));
        const bool saved = writeDocument(view.get(), target, nullptr);
        QCOMPARE(saved, !f.at(12).isEmpty());
        QCOMPARE(prompt->asked.size(), f.at(10).isEmpty() ? 0 : 1);
        for (const ScriptedPrompt::Asked &asked : std::as_const(prompt->asked)) {
            QCOMPARE(asked.icon, QMessageBox::Warning);
            QCOMPARE(asked.title, QStringLiteral("save"));
            QVERIFY2(asked.text.contains(f.at(11)), qPrintable(asked.text));
        }
        QVERIFY(prefix ? readFile(target).startsWith(written) : readFile(target) == (saved ? written : bytes));
        QCOMPARE(readFile(source), target == source && saved ? readFile(target) : bytes);
        QCOMPARE(view->document()->isModified(), f.at(8) == QLatin1String("yes") && !saved);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), target == source || !saved ? 1 : 2);
        if (f.at(13) == QLatin1String("quiet")) {
            view->document()->setModified(true);
            QVERIFY(writeDocument(view.get(), target, nullptr));
            QCOMPARE(prompt->asked.size(), f.at(10).isEmpty() ? 0 : 1);
            QCOMPARE(readFile(target), written);
        }
    }

    void readFailure_data() { addTableRows("editor/readfailures.txt", "f"); }
    // Unreadable names leave the view alone and say nothing; a FIFO or an
    // endless device must not hang or fill the memory.
    void readFailure()
    {
        QFETCH(QStringList, f);
        const QString kind = f.at(0);
        QString target = path(QStringLiteral("x.html"));
        if (kind == QLatin1String("directory"))
            QVERIFY(QDir().mkpath(target));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        if (kind == QLatin1String("device"))
            target = QStringLiteral("/dev/zero");
        view->setPlainText(QStringLiteral("kept"));
        view->setCharEncoding(EucJP);
        QSignalSpy notices(view.get(), &EditViewBase::notice), encodings(view.get(), &EditViewBase::encodingChanged);
        QVERIFY(!readDocument(view.get(), target));
        QCOMPARE(view->toPlainText(), QStringLiteral("kept"));
        QCOMPARE(int(view->charEncoding()), int(EucJP));
        QCOMPARE(encodings.count() + notices.count(), 0);
    }

#ifdef Q_OS_LINUX
    void failedSave_data() { addTableRows("editor/failedsaves.txt", "f"); }
    // Every way a save can fail leaves the old file as the only file there,
    // shows the critical box, keeps the document modified and answers false.
    // A folder that takes no temporary file asks whether to write in place.
    void failedSave()
    {
        QFETCH(QStringList, f);
        const QString kind = f.at(0), reason = f.at(1), inPlace = f.at(2);
        const QString folder = path(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray folderName = QFile::encodeName(folder), old("<p>the old contents</p>\n");
        const QString file = folder + (kind == QLatin1String("file-parent") ? "/plain.txt" : "/doc.html");
        const QString target = kind == QLatin1String("file-parent") ? file + "/doc.html" : file;
        // Root passes every permission check: the save runs as another user then.
        const bool asUser = kind == QLatin1String("readonly-folder") && ::geteuid() == 0;
        bool mounted = false;
        int immutableFd = -1, flags = 0;
        rlimit oldLimit{};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        const auto undo = qScopeGuard([&] {
            if (asUser)
                ::seteuid(0);
            if (immutableFd >= 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(immutableFd, FS_IOC_SETFLAGS, &flags);
                ::close(immutableFd);
            }
            if (mounted)
                ::umount2(folderName.constData(), MNT_DETACH);
            ::setrlimit(RLIMIT_FSIZE, &oldLimit);
            ::signal(SIGXFSZ, SIG_DFL);
            ::chmod(folderName.constData(), 0755);
        });
        if (kind == QLatin1String("readonly-mount") || kind == QLatin1String("full-disk")) {
            if (::mount("tmpfs", folderName.constData(), "tmpfs", 0, "size=16k") != 0)
                QSKIP("cannot mount a small tmpfs here (needs root and mount rights)");
            mounted = true;
        }
        QVERIFY(writeFile(file, old));
        if (kind == QLatin1String("readonly-mount"))
            QCOMPARE(::mount("tmpfs", folderName.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16k"), 0);
        if (kind == QLatin1String("immutable")) {
            immutableFd = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY);
            const bool hasFlags = ::ioctl(immutableFd, FS_IOC_GETFLAGS, &flags) == 0;
            flags |= FS_IMMUTABLE_FL;
            if (!hasFlags || ::ioctl(immutableFd, FS_IOC_SETFLAGS, &flags) != 0)
                QSKIP("cannot make a directory immutable here (needs root and inode flags)");
        }
        if (kind == QLatin1String("size-limit")) {
            rlimit small = oldLimit;
            small.rlim_cur = 8192;
            ::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        if (kind == QLatin1String("readonly-folder")) {
            QCOMPARE(::chmod(QFile::encodeName(dir->path()).constData(), 0755), 0);
            QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0666), 0);
            QCOMPARE(::chmod(folderName.constData(), 0555), 0);
        }
        // Larger than any of the limits above, so the write itself fails.
        const QString text = QStringLiteral("<p>a line of the new contents</p>\n").repeated(1200);
        view->setPlainText(text);
        view->document()->setModified(true);
        QSignalSpy modified(view.get(), &EditView::modificationChanged);
        prompt->answers = standardButtons(inPlace.isEmpty() ? QStringLiteral("Ok") : inPlace);
        if (asUser)
            QCOMPARE(::seteuid(65534), 0);
        const bool saved = writeDocument(view.get(), target, nullptr);
        if (asUser)
            QCOMPARE(::seteuid(0), 0);

        QCOMPARE(saved, inPlace == QLatin1String("Save"));
        QCOMPARE(prompt->asked.size(), 1);
        QCOMPARE(prompt->asked[0].icon, reason.isEmpty() ? QMessageBox::Warning : QMessageBox::Critical);
        QCOMPARE(prompt->asked[0].title, QStringLiteral("save"));
        if (reason.isEmpty())
            QVERIFY2(prompt->asked[0].text.contains(QLatin1String("in place")), qPrintable(prompt->asked[0].text));
        else
            QCOMPARE(prompt->asked[0].text, QStringLiteral("failed to save file '%1':\n%2").arg(target, reason));
        QCOMPARE(view->document()->isModified(), !saved);
        QCOMPARE(modified.count(), saved ? 1 : 0);
        QCOMPARE(readFile(file), saved ? text.toUtf8() : old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(file).fileName()});
    }
#endif

    // A save clears the modified flag (signalled only when it changes) and
    // keeps the file's permissions and a symbolic link as they were.
    void saveKeepsSignalModeAndLinks()
    {
        const QString real = path(QStringLiteral("doc.html")), link = path(QStringLiteral("link.html"));
        QVERIFY(writeFile(real, encodingFixture(QStringLiteral("ja_eucjp_lf.html"))));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(real, mode));
        if (!QFile::link(real, link))
            QSKIP("cannot make symbolic links here");
        QVERIFY(readDocument(view.get(), link));
        QSignalSpy modified(view.get(), &EditView::modificationChanged);
        QVERIFY(writeDocument(view.get(), link, nullptr));
        QCOMPARE(modified.count(), 0);
        QTextCursor(view->document()).insertText(QStringLiteral("<!-- -->"));
        QVERIFY(writeDocument(view.get(), link, nullptr));
        QCOMPARE(modified.count(), 2);
        QCOMPARE(modified.at(1).at(0).toBool(), false);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(readFile(real).startsWith("<!-- --><!DOCTYPE"));
        QCOMPARE(QFile::permissions(real) & QFileDevice::Permissions(0x7077), mode);
    }
};

QTEST_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
