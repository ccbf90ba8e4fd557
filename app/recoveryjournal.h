#pragma once

#include "editor/charencoding.h"
#include "editor/fileformat.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>

class EditViewBase;
class QLockFile;
class QTimer;

// Keeps a copy of every document with unsaved changes in the user's data
// folder, so that a crash or a power cut loses at most a few seconds of
// typing. A copy is written about two seconds after the last edit, and at
// least every ten seconds while the user keeps typing. The text is copied on
// the GUI thread in short slices between keystrokes; joining, encoding and
// writing happen on one worker thread, in order, through QSaveFile.
//
// Every running program holds a lock file of its own in the folder; copies
// whose owner's lock can be taken were left by a run that did not end
// normally and can be claimed, restored or discarded.
class RecoveryJournal : public QObject
{
    Q_OBJECT
public:
    // What one recovery file holds besides the text.
    struct Entry {
        QString file;            // the recovery file itself
        QString fullPath;        // empty for an untitled document
        QString title;
        CharEncoding encoding = UTF8;
        bool byteOrderMark = false;
        LineEnd lineEnd = LineEnd::LF;
        int cursorPosition = 0;
        QDateTime lastChange;    // UTC
    };

    // Everything needed to write one recovery file.
    struct Snapshot {
        Entry entry;
        QString text;            // raw document text: blocks end in U+2029
    };

    static constexpr int DefaultIdleDelay = 2000;
    static constexpr int DefaultMaxDelay = 10000;
    // The GUI thread copies the text in slices of about this much time,
    // checking the clock after every so many characters.
    static constexpr qint64 DefaultSliceBudgetNs = 2000000;
    static constexpr int DefaultSliceChars = 1 << 13;

    // `directory` empty: "recovery" under the application's data location.
    explicit RecoveryJournal(const QString &directory = QString(), QObject *parent = nullptr);
    ~RecoveryJournal() override;

    QString directory() const { return m_directory; }
    // False when the folder or the lock could not be made; nothing is written then.
    bool isEnabled() const { return m_enabled; }
    QString instanceId() const { return m_instanceId; }

    // Delays in milliseconds: after the last edit, and at most since the
    // first edit that has not been written yet.
    void setDelays(int idleMs, int maxMs);
    void setSlices(qint64 budgetNs, int chars);

    // Starts following a view: edits schedule a copy, saving or undoing to
    // the saved state removes it, and so does destroying the view.
    void track(EditViewBase *view);
    // The view's text is about to be replaced by its file read again: the copy
    // is brought up to date and kept, since the text is then only in the undo
    // history. It goes when the view does, or with the copy of later edits.
    void keepThroughReload(EditViewBase *view);
    // The recovery file currently kept for the view (empty when it has none).
    QString journalFile(const EditViewBase *view) const;

    // Starts the copy of the view's text at once, without waiting for the
    // delays; the first slice is taken before this returns.
    void writeSoon(EditViewBase *view);
    // Writes every scheduled copy now and waits until the worker is done.
    void flush();
    // Waits for the worker; results are delivered before this returns.
    void waitForIdle();

    // Recovery files left by runs that ended abnormally. Their owners' locks
    // stay taken by this program until releaseClaimed(), so that another
    // program started at the same time does not offer them too. Newest first.
    // Files that cannot be read go to `damaged` and are left alone.
    QList<Entry> claimOrphans(QStringList *damaged = nullptr);
    // The restored view takes over the orphan: its copy is written under this
    // program's name first, and only then is the old file removed.
    void adopt(EditViewBase *view, const Entry &orphan);
    void discard(const Entry &orphan);
    // Gives up the claimed locks; files still there are offered next time.
    void releaseClaimed();

    // The file format, also used by the tests and the benchmark.
    static bool writeSnapshot(const QString &fileName, const Snapshot &snapshot);
    static bool readEntry(const QString &fileName, Entry *entry);
    // The document text with LF line ends; false when the file is damaged.
    static bool readText(const QString &fileName, QString *text, Entry *entry = nullptr);

    // How long the GUI thread was held by one slice of the copy, in microseconds.
    qint64 lastSnapshotMicros() const { return m_lastSnapshotMicros; }
    qint64 longestSnapshotMicros() const { return m_longestSnapshotMicros; }
    int writesDone() const { return m_writesDone; }

signals:
    // A copy was written (ok) or could not be written.
    void written(const QString &fileName, bool ok);

private:
    struct Tracked;

    void onEdited(EditViewBase *view);
    void onModificationChanged(EditViewBase *view, bool modified);
    void onDestroyed(QObject *object);
    void writeNow(Tracked *doc, const QString &replacedFile = QString());
    void copySlice(QObject *key, bool all);
    void startWrite(Tracked *doc);
    void removeFileOf(Tracked *doc);
    void onWriteDone(QObject *key, const QString &fileName, bool ok);
    void scheduleRemoval(const QString &fileName);

    QString m_directory;
    QString m_instanceId;
    bool m_enabled = false;
    int m_idleDelay = DefaultIdleDelay;
    int m_maxDelay = DefaultMaxDelay;
    int m_serial = 0;
    qint64 m_sliceBudgetNs = DefaultSliceBudgetNs;
    int m_sliceChars = DefaultSliceChars;
    std::unique_ptr<QLockFile> m_lock;
    std::vector<std::unique_ptr<QLockFile>> m_claimed;
    QHash<QObject *, Tracked *> m_docs;
    QThreadPool m_worker;
    qint64 m_lastSnapshotMicros = 0;
    qint64 m_longestSnapshotMicros = 0;
    int m_writesDone = 0;
};
