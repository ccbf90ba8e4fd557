#include "app/recoveryjournal.h"

#include "editor/virtualbreaks.h"

#include "editor/editviewbase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <utility>

namespace {

constexpr quint32 FileMagic = 0x4d474a52;  // "MGJR"
constexpr quint32 EndMagic = 0x454e4421;   // "END!"
// 2 added the byte-order mark and line ends; copies of 1 are still read.
constexpr quint32 FormatVersion = 2;
constexpr auto StreamVersion = QDataStream::Qt_6_0;

const QString journalSuffix = QStringLiteral(".journal");
const QString lockSuffix = QStringLiteral(".lock");

QString ownerOf(const QString &journalFileName)
{
    return QFileInfo(journalFileName).fileName().section(QLatin1Char('-'), 0, 0);
}

QByteArray textDigest(const QString &text)
{
    return QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char *>(text.constData()), text.size() * 2),
        QCryptographicHash::Sha1);
}

bool readHeader(QDataStream &in, RecoveryJournal::Entry *entry)
{
    quint32 magic = 0, version = 0;
    in >> magic >> version;
    if (in.status() != QDataStream::Ok || magic != FileMagic || version < 1
        || version > FormatVersion)
        return false;
    quint8 encoding = 0, format = 0;
    qint32 cursor = 0;
    in >> entry->fullPath >> entry->title >> encoding;
    if (version >= 2)
        in >> format;
    in >> cursor >> entry->lastChange;
    entry->encoding = CharEncoding(encoding);
    entry->byteOrderMark = format & 0x1;
    entry->lineEnd = LineEnd(std::min((format >> 1) & 0x3, int(LineEnd::CR)));
    entry->cursorPosition = cursor;
    return in.status() == QDataStream::Ok;
}

// Opens a recovery file and reads its header; `in` then reads the rest.
bool openEntry(QFile &file, QDataStream &in, RecoveryJournal::Entry *entry)
{
    if (!file.open(QIODevice::ReadOnly))
        return false;
    in.setDevice(&file);
    in.setVersion(StreamVersion);
    return readHeader(in, entry);
}

} // namespace

struct RecoveryJournal::Tracked {
    EditViewBase *view = nullptr;
    QString fileName;          // this program's recovery file for the view
    QString replaces;          // an adopted orphan, removed after the next good write
    QTimer timer;
    QElapsedTimer pendingSince;  // valid while edits wait to be written
    QDateTime lastChange;
    bool inFlight = false;
    bool writeAgain = false;   // edits arrived while a copy was being written
    bool failureShown = false;
    bool keepThroughReload = false;  // the copy outlives the next return to unmodified
    // The text is copied in slices between turns of the event loop. An edit
    // inside the part copied so far is patched into the copy, so that steady
    // typing does not keep the copy from ever finishing.
    bool copying = false;
    int copied = 0;
    QList<QString> chunks;

    void cutCopyAt(int position)
    {
        const qsizetype from = splitAt(position);
        chunks.erase(chunks.begin() + from, chunks.end());
        copied = position;
    }
    // Makes `position` (at most `copied`) the start of a chunk; answers its index.
    qsizetype splitAt(int position)
    {
        int start = 0;
        for (qsizetype i = 0; i < chunks.size(); ++i) {
            if (start == position)
                return i;
            const int length = int(chunks[i].size());
            if (position < start + length) {
                QString tail = chunks[i].mid(position - start);
                chunks[i].truncate(position - start);
                chunks.insert(i + 1, tail);
                return i + 1;
            }
            start += length;
        }
        return chunks.size();
    }
    void applyEdit(QTextDocument *text, int position, int removed, int added, int largest)
    {
        if (!copying || position >= copied)
            return;  // the slices still to come read it
        if (position + removed > copied || added > largest) {
            cutCopyAt(position);
            return;
        }
        const qsizetype first = splitAt(position);
        const qsizetype last = splitAt(position + removed);
        chunks.erase(chunks.begin() + first, chunks.begin() + last);
        if (added > 0) {
            QTextCursor cursor(text);
            cursor.setPosition(position);
            cursor.setPosition(qMin(position + added, text->characterCount() - 1),
                               QTextCursor::KeepAnchor);
            chunks.insert(first, cursor.selectedText());
        }
        copied += added - removed;
    }
};

RecoveryJournal::RecoveryJournal(const QString &directory, QObject *parent)
    : QObject(parent)
    , m_directory(directory)
{
    if (m_directory.isEmpty())
        m_directory = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
            + QStringLiteral("/recovery");
    // One thread: writes and removals of a document happen in the order asked.
    m_worker.setMaxThreadCount(1);
    m_instanceId = QUuid::createUuid().toString(QUuid::Id128);
    if (!QDir().mkpath(m_directory)) {
        qWarning("recovery folder %s cannot be made; no recovery copies are kept",
                 qPrintable(m_directory));
        return;
    }
    m_lock = std::make_unique<QLockFile>(m_directory + QLatin1Char('/') + m_instanceId + lockSuffix);
    m_enabled = m_lock->tryLock(0);
    if (!m_enabled)
        qWarning("recovery folder %s cannot be locked; no recovery copies are kept",
                 qPrintable(m_directory));
}

RecoveryJournal::~RecoveryJournal()
{
    // Views still tracked are going away with the program; their copies are
    // no longer needed once the program ends normally.
    for (auto it = m_docs.begin(); it != m_docs.end(); ++it) {
        removeFileOf(it.value());
        delete it.value();
    }
    m_docs.clear();
    m_worker.waitForDone();
    m_claimed.clear();
    if (m_lock)
        m_lock->unlock();
    // Leave no empty folder behind (fails harmlessly when it holds files).
    QDir().rmdir(m_directory);
}

void RecoveryJournal::setDelays(int idleMs, int maxMs)
{
    m_idleDelay = qMax(0, idleMs);
    m_maxDelay = qMax(m_idleDelay, maxMs);
}

void RecoveryJournal::setSlices(qint64 budgetNs, int chars)
{
    m_sliceBudgetNs = qMax<qint64>(0, budgetNs);
    m_sliceChars = qMax(1, chars);
}

void RecoveryJournal::track(EditViewBase *view)
{
    if (!view || m_docs.contains(view))
        return;
    auto *doc = new Tracked;
    doc->view = view;
    doc->timer.setSingleShot(true);
    connect(&doc->timer, &QTimer::timeout, this, [this, doc] { writeNow(doc); });
    m_docs.insert(view, doc);
    QTextDocument *text = view->document();
    // Looked up by key: the document may still signal while its view dies.
    connect(text, &QTextDocument::contentsChanged, this, [this, view] { onEdited(view); });
    connect(text, &QTextDocument::contentsChange, this,
            [this, view](int position, int removed, int added) {
                if (Tracked *doc = m_docs.value(view))
                    doc->applyEdit(view->document(), position, removed, added, m_sliceChars * 4);
            });
    connect(text, &QTextDocument::modificationChanged, this,
            [this, view](bool modified) { onModificationChanged(view, modified); });
    connect(view, &QObject::destroyed, this, &RecoveryJournal::onDestroyed);
    if (text->isModified())
        onEdited(view);
}

QString RecoveryJournal::journalFile(const EditViewBase *view) const
{
    const Tracked *doc = m_docs.value(const_cast<EditViewBase *>(view));
    return doc ? doc->fileName : QString();
}

void RecoveryJournal::onEdited(EditViewBase *view)
{
    Tracked *doc = m_docs.value(view);
    if (!doc || !m_enabled || !view->document()->isModified())
        return;
    doc->lastChange = QDateTime::currentDateTimeUtc();
    if (!doc->pendingSince.isValid())
        doc->pendingSince.start();
    // Quiet for a moment, or typing for long: whichever comes first.
    const qint64 untilMax = m_maxDelay - doc->pendingSince.elapsed();
    doc->timer.start(int(qBound(qint64(0), qMin(qint64(m_idleDelay), untilMax), qint64(m_maxDelay))));
}

void RecoveryJournal::onModificationChanged(EditViewBase *view, bool modified)
{
    Tracked *doc = m_docs.value(view);
    if (!doc)
        return;
    if (modified) {
        onEdited(view);
        return;
    }
    // Saved, or undone back to the saved text: nothing left to recover.
    doc->timer.stop();
    doc->pendingSince.invalidate();
    doc->writeAgain = false;
    doc->copying = false;
    doc->chunks.clear();
    // Replaced by a reload, the text lives on only in the undo history.
    if (!std::exchange(doc->keepThroughReload, false))
        removeFileOf(doc);
}

void RecoveryJournal::onDestroyed(QObject *object)
{
    // A view goes away only after its changes were saved or given up.
    Tracked *doc = m_docs.take(object);
    if (!doc)
        return;
    removeFileOf(doc);
    delete doc;
}

void RecoveryJournal::writeNow(Tracked *doc, const QString &replacedFile)
{
    doc->timer.stop();
    if (!replacedFile.isEmpty())
        doc->replaces = replacedFile;
    if (!m_enabled || !doc->view->document()->isModified())
        return;
    if (doc->inFlight) {
        doc->writeAgain = true;
        return;
    }
    if (doc->copying)
        return;  // the copy under way picks the latest edits up
    doc->copying = true;
    doc->copied = 0;
    doc->chunks.clear();
    copySlice(doc->view, false);
}

void RecoveryJournal::copySlice(QObject *key, bool all)
{
    Tracked *doc = m_docs.value(key);
    if (!doc || !doc->copying)
        return;
    QTextDocument *text = doc->view->document();
    // Without the paragraph separator every document ends in.
    const int length = text->characterCount() - 1;
    QElapsedTimer clock;
    clock.start();
    QTextCursor cursor(text);
    // At least one step per slice, however busy the clock says it is.
    bool first = true;
    while (doc->copied < length && (all || first || clock.nsecsElapsed() < m_sliceBudgetNs)) {
        first = false;
        const int end = qMin(length, doc->copied + m_sliceChars);
        cursor.setPosition(doc->copied);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        // Raw text: blocks end in U+2029, no-break spaces stay as they are.
        doc->chunks.append(cursor.selectedText());
        doc->copied = end;
    }
    const qint64 held = clock.nsecsElapsed() / 1000;
    m_lastSnapshotMicros = held;
    m_longestSnapshotMicros = qMax(m_longestSnapshotMicros, held);
    if (doc->copied < length) {
        QTimer::singleShot(0, this, [this, key] { copySlice(key, false); });
        return;
    }
    doc->copying = false;
    startWrite(doc);
}

void RecoveryJournal::startWrite(Tracked *doc)
{
    if (doc->fileName.isEmpty())
        doc->fileName = QStringLiteral("%1/%2-%3%4")
                            .arg(m_directory, m_instanceId).arg(++m_serial).arg(journalSuffix);
    Snapshot snapshot;
    snapshot.entry.file = doc->fileName;
    snapshot.entry.fullPath = doc->view->fullPath();
    snapshot.entry.title = doc->view->title();
    snapshot.entry.encoding = doc->view->charEncoding();
    snapshot.entry.byteOrderMark = doc->view->fileFormat().byteOrderMark;
    snapshot.entry.lineEnd = doc->view->fileFormat().lineEnd;
    // Kept as the file would have it: virtual breaks of long lines are left
    // out, and the restored text is cut again when it is loaded.
    const VirtualBreaks *virtualBreaks = VirtualBreaks::of(doc->view->document());
    QList<int> breaks;
    if (virtualBreaks && virtualBreaks->hasBreaks())
        breaks = virtualBreaks->breakPositions();
    snapshot.entry.cursorPosition = virtualBreaks
            ? virtualBreaks->toReal(doc->view->textCursor().position())
            : doc->view->textCursor().position();
    snapshot.entry.lastChange = doc->lastChange.isValid() ? doc->lastChange
                                                          : QDateTime::currentDateTimeUtc();
    doc->pendingSince.invalidate();
    doc->inFlight = true;
    QObject *key = doc->view;
    const QString replaces = doc->replaces;
    m_worker.start([this, key, snapshot = std::move(snapshot), chunks = std::exchange(doc->chunks, {}),
                    replaces, breaks = std::move(breaks)]() mutable {
        qsizetype size = 0;
        for (const QString &chunk : chunks)
            size += chunk.size();
        snapshot.text.reserve(size);
        for (const QString &chunk : chunks)
            snapshot.text += chunk;
        chunks.clear();
        if (!breaks.isEmpty()) {
            QString joined;
            joined.reserve(snapshot.text.size());
            qsizetype from = 0;
            for (int at : std::as_const(breaks)) {
                joined += QStringView(snapshot.text).mid(from, at - from);
                from = at + 1;
            }
            joined += QStringView(snapshot.text).mid(from);
            snapshot.text = std::move(joined);
        }
        const bool ok = writeSnapshot(snapshot.entry.file, snapshot);
        // An adopted orphan goes only once its text is safe under our name.
        if (ok && !replaces.isEmpty())
            QFile::remove(replaces);
        const QString file = snapshot.entry.file;
        snapshot.text = QString();
        QMetaObject::invokeMethod(this, [this, key, file, ok] { onWriteDone(key, file, ok); },
                                  Qt::QueuedConnection);
    });
}

void RecoveryJournal::onWriteDone(QObject *key, const QString &fileName, bool ok)
{
    ++m_writesDone;
    emit written(fileName, ok);
    Tracked *doc = m_docs.value(key);
    if (!doc)
        return;
    doc->inFlight = false;
    if (ok) {
        doc->replaces.clear();
        doc->failureShown = false;
    } else if (!doc->failureShown) {
        doc->failureShown = true;
        emit doc->view->showMessage(
            tr("The recovery copy of '%1' could not be written to %2")
                .arg(doc->view->title(), QDir::toNativeSeparators(m_directory)),
            true);
    }
    if (!doc->view->document()->isModified())
        return;
    if (doc->writeAgain) {
        doc->writeAgain = false;
        doc->timer.start(0);
    } else if (!ok && !doc->timer.isActive()) {
        doc->timer.start(m_maxDelay);  // try again later, the disk may have room by then
    }
}

void RecoveryJournal::removeFileOf(Tracked *doc)
{
    if (!doc->fileName.isEmpty())
        scheduleRemoval(doc->fileName);
    if (!doc->replaces.isEmpty()) {
        scheduleRemoval(doc->replaces);
        doc->replaces.clear();
    }
}

void RecoveryJournal::scheduleRemoval(const QString &fileName)
{
    // Queued behind any write of the same file still in progress.
    m_worker.start([fileName] { QFile::remove(fileName); });
}

void RecoveryJournal::writeSoon(EditViewBase *view)
{
    if (Tracked *doc = m_docs.value(view))
        writeNow(doc);
}

void RecoveryJournal::keepThroughReload(EditViewBase *view)
{
    Tracked *doc = m_docs.value(view);
    if (!doc || !view->document()->isModified())
        return;
    // The copy must hold the last keystrokes before the text is replaced.
    flush();
    doc->keepThroughReload = true;
}

void RecoveryJournal::flush()
{
    for (Tracked *doc : std::as_const(m_docs)) {
        if (doc->timer.isActive())
            writeNow(doc);
        if (doc->copying)
            copySlice(doc->view, true);
    }
    waitForIdle();
    // Writes asked for by edits made while the first ones were running.
    for (Tracked *doc : std::as_const(m_docs)) {
        if (doc->timer.isActive() && doc->timer.interval() == 0)
            writeNow(doc);
        if (doc->copying)
            copySlice(doc->view, true);
    }
    waitForIdle();
}

void RecoveryJournal::waitForIdle()
{
    m_worker.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

QList<RecoveryJournal::Entry> RecoveryJournal::claimOrphans(QStringList *damaged)
{
    QList<Entry> entries;
    if (!m_enabled)
        return entries;
    const QDir dir(m_directory);
    QHash<QString, QStringList> byOwner;
    const QStringList names = dir.entryList({QLatin1Char('*') + journalSuffix}, QDir::Files);
    for (const QString &name : names)
        byOwner[ownerOf(name)].append(dir.filePath(name));
    for (auto it = byOwner.cbegin(); it != byOwner.cend(); ++it) {
        if (it.key() == m_instanceId)
            continue;
        auto lock = std::make_unique<QLockFile>(dir.filePath(it.key() + lockSuffix));
        // Only a lock whose process is gone counts as stale, however old it is.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue;  // its program is still running
        for (const QString &file : it.value()) {
            Entry entry;
            if (readEntry(file, &entry))
                entries.append(entry);
            else if (damaged)
                damaged->append(file);
            else
                qWarning("recovery file %s is damaged and is left alone", qPrintable(file));
        }
        m_claimed.push_back(std::move(lock));
    }
    // Lock files of programs that crashed with nothing to recover.
    const QStringList locks = dir.entryList({QLatin1Char('*') + lockSuffix}, QDir::Files);
    for (const QString &name : locks) {
        const QString owner = name.chopped(lockSuffix.size());
        if (owner == m_instanceId || byOwner.contains(owner))
            continue;
        QLockFile stale(dir.filePath(name));
        stale.setStaleLockTime(0);
        if (stale.tryLock(0))
            stale.unlock();
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.lastChange > b.lastChange;
    });
    return entries;
}

void RecoveryJournal::adopt(EditViewBase *view, const Entry &orphan)
{
    track(view);
    Tracked *doc = m_docs.value(view);
    if (!doc || !view->document()->isModified()) {
        // Nothing to keep for an unmodified view: the orphan is settled.
        discard(orphan);
        return;
    }
    if (doc->lastChange.isNull() || orphan.lastChange > doc->lastChange)
        doc->lastChange = orphan.lastChange;
    writeNow(doc, orphan.file);
    if (!m_enabled)
        doc->replaces.clear();  // no copy of ours will be written: keep the orphan
}

void RecoveryJournal::discard(const Entry &orphan)
{
    scheduleRemoval(orphan.file);
}

void RecoveryJournal::releaseClaimed()
{
    // Removals and adoptions of the claimed files finish before the locks go.
    m_worker.waitForDone();
    m_claimed.clear();
}

bool RecoveryJournal::writeSnapshot(const QString &fileName, const Snapshot &snapshot)
{
    QString text = snapshot.text;
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setVersion(StreamVersion);
    const Entry &e = snapshot.entry;
    const quint8 format = quint8((e.byteOrderMark ? 0x1 : 0) | int(e.lineEnd) << 1);
    out << FileMagic << FormatVersion << e.fullPath << e.title << quint8(e.encoding) << format
        << qint32(e.cursorPosition) << e.lastChange.toUTC() << text << textDigest(text)
        << EndMagic;
    if (out.status() != QDataStream::Ok) {
        file.cancelWriting();
        return false;
    }
    // commit() flushes to the disk before the rename, so a power cut leaves
    // either the old copy or the new one.
    return file.commit();
}

bool RecoveryJournal::readEntry(const QString &fileName, Entry *entry)
{
    QFile file(fileName);
    QDataStream in;
    Entry read;
    if (!openEntry(file, in, &read))
        return false;
    read.file = fileName;
    *entry = read;
    return true;
}

bool RecoveryJournal::readText(const QString &fileName, QString *text, Entry *entry)
{
    QFile file(fileName);
    QDataStream in;
    Entry read;
    if (!openEntry(file, in, &read))
        return false;
    QString body;
    QByteArray digest;
    quint32 end = 0;
    in >> body >> digest >> end;
    if (in.status() != QDataStream::Ok || end != EndMagic || digest != textDigest(body))
        return false;
    read.file = fileName;
    *text = body;
    if (entry)
        *entry = read;
    return true;
}
