#include "editor/documentfile.h"
#include "editor/virtualbreaks.h"

#include "editor/editviewbase.h"
#include "editor/userprompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextDocument>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A document read with invalid bytes or NUL characters remembers the file it
// came from, so that overwriting those original bytes is asked first. Kept on
// the document because it describes the content.
const char readIssueFileProperty[] = "readIssueFile";
const char readIssueKindProperty[] = "readIssueKind";

enum ReadIssue { InvalidBytes = 0x1, NulCharacters = 0x2, NotRoundTrip = 0x4 };

// The texts belong to the main window's context; declared this way so that
// lupdate finds them in these free functions.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(MainWindow)
};

QString displayName(CharEncoding encoding)
{
    if (const char *name = encodingName(encoding))
        return QString::fromLatin1(name);
    return Texts::tr("the system encoding");
}

// Both names refer to the same file (symbolic links resolved where they exist).
bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

void clearReadIssue(QTextDocument *doc)
{
    doc->setProperty(readIssueFileProperty, QVariant());
    doc->setProperty(readIssueKindProperty, QVariant());
}

// The whole text with every block break as one LF. toPlainText() would also
// turn no-break spaces into plain spaces, silently changing the file.
QString documentText(const QTextDocument *doc)
{
    // Virtual breaks of long lines are not in the file.
    if (const VirtualBreaks *breaks = VirtualBreaks::of(doc))
        return breaks->realText();
    QString text = doc->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QString sourceText(EncodingSource source, CharEncoding encoding)
{
    const QString name = displayName(encoding);
    switch (source) {
    case EncodingSource::ByteOrderMark:
        return Texts::tr("%1, told by its byte-order mark").arg(name);
    case EncodingSource::NulPattern:
        return Texts::tr("%1, told by its zero bytes").arg(name);
    case EncodingSource::Utf16Text:
        return Texts::tr("%1 without byte-order mark, told by its characters").arg(name);
    case EncodingSource::Declaration:
        return Texts::tr("%1, as the page declares").arg(name);
    case EncodingSource::ByteScan:
        return Texts::tr("%1, found by scanning its bytes").arg(name);
    case EncodingSource::PlainAscii:
        return Texts::tr("plain ASCII, opened as %1").arg(name);
    case EncodingSource::LineEndGuess:
        return Texts::tr("%1, a guess: nothing in the bytes decides").arg(name);
    case EncodingSource::Chosen:
        return Texts::tr("%1, as chosen").arg(name);
    case EncodingSource::NotRead:
        break;
    }
    return name;
}

// Offers to rewrite a charset declaration that names another encoding than
// the one the page is saved in. False when the user cancels the save. A "no"
// is remembered for the document, so that it is not asked at every save.
bool updateDeclaration(QString &text, QTextDocument *doc, CharEncoding encoding,
                       const QString &fileName, QWidget *parent, bool *changed)
{
    static const char keptProperty[] = "declarationKeptFor";
    const char *label = declarationLabel(encoding);
    if (!label || doc->property(keptProperty).toInt() == encoding)
        return true;
    // One byte per character keeps the offsets those of the text.
    const QByteArray head = text.left(1024).toLatin1();
    const Declaration found = findDeclaration(head.constData(), head.constData() + head.size());
    if (!found.encoding || found.encoding == encoding)
        return true;
    const QString declared = text.mid(found.labelFrom, found.labelLength);
    const auto answer = UserPrompt::warning(
        parent, Texts::tr("save"),
        Texts::tr("'%1' declares its encoding as %2 but is saved in %3.\n"
                  "Change the declaration to %4?")
            .arg(fileName, declared, displayName(encoding), QLatin1String(label)),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel || answer == QMessageBox::NoButton)
        return false;
    if (answer == QMessageBox::Yes) {
        text.replace(found.labelFrom, found.labelLength, QLatin1String(label));
        *changed = true;
    } else {
        doc->setProperty(keptProperty, int(encoding));
    }
    return true;
}

bool isMarkupFile(const QString &fileName)
{
    static const QStringList suffixes = {QStringLiteral("html"), QStringLiteral("htm"),
                                         QStringLiteral("xhtml"), QStringLiteral("shtml"),
                                         QStringLiteral("php"), QStringLiteral("phtml")};
    return suffixes.contains(QFileInfo(fileName).suffix(), Qt::CaseInsensitive);
}

// Only where a write in place would succeed: the folder denies new files to
// this user, the file takes writes (what QSaveFile's fallback relies on).
bool onlyInPlaceWritable(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        return false;
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray file = QFile::encodeName(info.absoluteFilePath());
    return ::faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES
        && ::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) == 0;
#else
    return !QFileInfo(info.absolutePath()).isWritable() && info.isWritable();
#endif
}

// The system's word for why the file cannot be written where there is one
// (a read-only file system), else what the save file said.
QString openFailure(const QString &fileName, const QString &said)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(fileName);
    if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        return QString::fromLocal8Bit(std::strerror(errno));
#else
    Q_UNUSED(fileName);
#endif
    return said;
}

// Writes all bytes through QSaveFile; `inPlace` allows writing over the file
// itself when no temporary file can be made beside it. On failure `reason`
// says why, or stays empty when only a write in place could succeed.
bool saveBytes(const QString &fileName, const QByteArray &bytes, bool inPlace, QString *reason)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(inPlace);
    // Unbuffered: a write that fails says why (disk full), which the flush
    // inside commit() would not.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (!inPlace && file.error() == QFileDevice::OpenError && onlyInPlaceWritable(fileName))
            reason->clear();
        else
            *reason = openFailure(fileName, file.errorString());
        return false;
    }
    // A short write is tried again: the second one tells why (disk full).
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done == bytes.size() && file.commit())
        return true;
    *reason = file.errorString();
    file.cancelWriting();
    return false;
}

} // namespace

bool readDocument(EditViewBase *view, const QString &fileName, CharEncoding encoding,
                  QString *summary)
{
    QString name = fileName;
    name.replace(QChar(0x00A5), QLatin1Char('/'));
    // Only regular files: a FIFO would block the open, a device like
    // /dev/zero would never end.
    const QFileInfo info(name);
    if (!info.isFile())
        return false;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();

    DecodedText decoded = encoding ? decodeBytes(bytes, encoding) : decodeBytes(bytes);
    bytes = QByteArray();  // keep the peak memory of large files down
    bool ambiguous = false;
    const LineEndCount lineEnds = toDocumentText(decoded.text, &ambiguous);
    view->loadText(decoded.text);
    const bool hasNul = decoded.text.contains(QChar(0));
    decoded.text = QString();
    QTextDocument *doc = view->document();
    doc->setModified(false);
    FileFormat format;
    format.encoding = decoded.encoding;
    format.byteOrderMark = decoded.byteOrderMark;
    format.lineEnd = lineEnds.dominant();
    format.source = decoded.source;
    view->setFileFormat(format);

    if (summary) {
        *summary = Texts::tr("Opened '%1': %2, %3")
                       .arg(info.fileName(), sourceText(format.source, format.encoding),
                            QLatin1String(lineEndName(format.lineEnd)));
        if (lineEnds.mixed())
            *summary += QLatin1String(". ")
                + Texts::tr("Mixed line ends (LF %1, CRLF %2, CR %3) are saved as %4")
                      .arg(lineEnds.lf).arg(lineEnds.crlf).arg(lineEnds.cr)
                      .arg(QLatin1String(lineEndName(format.lineEnd)));
    }

    const int issues = (decoded.hadErrors ? InvalidBytes : 0) | (hasNul ? NulCharacters : 0)
        | (decoded.notRoundTrip || ambiguous ? NotRoundTrip : 0);
    if (!issues) {
        clearReadIssue(doc);
        emit view->readWithoutProblem();
        return true;
    }
    doc->setProperty(readIssueFileProperty, info.absoluteFilePath());
    doc->setProperty(readIssueKindProperty, issues);
    if (issues & InvalidBytes)
        emit view->notice(Texts::tr("'%1' has bytes that are not valid %2; they were replaced")
                                   .arg(info.fileName(), displayName(decoded.encoding)));
    else if (issues & NotRoundTrip)
        emit view->notice(
            Texts::tr("'%1' has characters that %2 writes back as other bytes")
                .arg(info.fileName(), displayName(decoded.encoding)));
    else
        emit view->notice(Texts::tr("'%1' contains NUL characters; it may be a binary file")
                                   .arg(info.fileName()));
    return true;
}

bool writeDocument(EditViewBase *view, const QString &fileName, QWidget *dialogParent)
{
    QTextDocument *doc = view->document();
    const FileFormat format = view->fileFormat();
    const CharEncoding encoding = format.encoding;
    QString text = documentText(doc);
    const QString issueFile = doc->property(readIssueFileProperty).toString();
    const bool overwritesIssueFile = !issueFile.isEmpty() && sameFile(issueFile, fileName);

    bool textChanged = false;
    if (!updateDeclaration(text, doc, encoding, fileName, dialogParent, &textChanged))
        return false;
    EncodedText encoded = encodeText(toFileText(text, format.lineEnd), encoding,
                                     format.byteOrderMark);
    // An unedited document going back where it came from was already
    // reported when read; the question about its original bytes follows.
    if (encoded.lossy && !(overwritesIssueFile && !doc->isModified())) {
        const bool markup = isMarkupFile(fileName);
        QString question = Texts::tr("Some characters of '%1' cannot be written in %2 and would be replaced.")
                               .arg(fileName, displayName(encoding));
        question += QLatin1Char('\n');
        question += markup ? Texts::tr("Write them as character references (&#x...;), save anyway, "
                                       "or cancel and choose another encoding?")
                           : Texts::tr("Save anyway, or cancel and choose another encoding?");
        UserPrompt::ButtonLabels labels;
        if (markup)
            labels.append({QMessageBox::Apply, Texts::tr("Write as &references")});
        const auto answer = UserPrompt::warning(
            dialogParent, Texts::tr("save"), question,
            (markup ? QMessageBox::Apply : QMessageBox::NoButton) | QMessageBox::Save
                | QMessageBox::Cancel,
            labels);
        if (answer == QMessageBox::Apply && markup) {
            text = withCharacterReferences(text, encoding);
            textChanged = true;
            encoded = encodeText(toFileText(text, format.lineEnd), encoding, format.byteOrderMark);
        } else if (answer != QMessageBox::Save) {
            return false;
        }
    }

    if (overwritesIssueFile) {
        const int kind = doc->property(readIssueKindProperty).toInt();
        const QString why = (kind & InvalidBytes)
            ? Texts::tr("'%1' had bytes that are not valid %2 when it was read; they were replaced.")
                  .arg(fileName, displayName(encoding))
            : (kind & NotRoundTrip)
            ? Texts::tr("'%1' has characters that %2 writes back as other bytes than were read.")
                  .arg(fileName, displayName(encoding))
            : Texts::tr("'%1' contained NUL characters when it was read; it may be a binary file.")
                  .arg(fileName);
        const auto answer = UserPrompt::warning(
            dialogParent, Texts::tr("save"),
            why + QLatin1Char('\n') + Texts::tr("Saving overwrites the original bytes. Save anyway?"),
            QMessageBox::Save | QMessageBox::Cancel);
        if (answer != QMessageBox::Save)
            return false;
    }

    // Written to a temporary file and renamed over the old one on commit, so
    // a full disk or a crash leaves the old file as it was.
    QString reason;
    bool written = saveBytes(fileName, encoded.bytes, false, &reason);
    if (!written && reason.isEmpty()) {
        // The folder refuses the temporary file, the file itself takes writes.
        const auto answer = UserPrompt::warning(
            dialogParent, Texts::tr("save"),
            Texts::tr("'%1' is in a folder where no new file can be made, so it cannot be saved "
                      "safely: if writing stops half-way (disk full, power cut), the file is "
                      "damaged.\nWrite over the file in place?")
                .arg(fileName),
            QMessageBox::Save | QMessageBox::Cancel);
        if (answer != QMessageBox::Save)
            return false;
        written = saveBytes(fileName, encoded.bytes, true, &reason);
    }
    if (!written) {
        UserPrompt::critical(dialogParent, Texts::tr("save"),
                             Texts::tr("failed to save file '%1':\n%2").arg(fileName, reason));
        return false;
    }
    if (overwritesIssueFile)
        clearReadIssue(doc);
    if (textChanged)
        view->replaceText(text);  // what was written is what the view shows
    if (doc->isModified())
        doc->setModified(false);
    return true;
}
