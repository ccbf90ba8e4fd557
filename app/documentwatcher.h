#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>

class EditViewBase;
class MessageBar;
class QWidget;

// Notices files of open documents being changed, replaced or deleted by other
// programs. An unmodified document is reloaded (the cursor stays on its line),
// a modified one asks first, in the message bar, where typing never answers;
// a reload is one undo step. A deleted file marks its document modified so
// that its text is not lost by closing it. Save asks before it writes over a
// file that changed on disk since it was read or saved.
class DocumentWatcher : public QObject
{
    Q_OBJECT
public:
    // What identifies one state of a file on disk.
    struct FileStamp {
        bool exists = false;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        quint64 inode = 0;  // a replace by rename gives another inode
        static FileStamp of(const QString &path);
        bool operator==(const FileStamp &other) const = default;
    };

    // Events come in bursts while another program writes; the file is looked
    // at once they have settled.
    static constexpr int DefaultSettleDelay = 200;

    explicit DocumentWatcher(QWidget *dialogParent, QObject *parent = nullptr);

    // Notes the view's file as it is now (just read or saved) and watches it;
    // also after Save As, when the path changed.
    void watch(EditViewBase *view);
    void forget(EditViewBase *view);
    // True when the file is not as it was when read or last saved.
    bool changedOnDisk(const EditViewBase *view) const;
    // Before Save: answers whether to go on; asks when the file changed.
    bool confirmOverwrite(EditViewBase *view);

    // Where the questions and notes about a document go; without a bar a
    // changed file is never loaded over the user's changes.
    void setMessageBar(MessageBar *bar) { m_bar = bar; }
    // Keys of the bar's messages about a view.
    static constexpr const char *ChangedKey = "changedOnDisk";
    static constexpr const char *DeletedKey = "deletedOnDisk";

    void setSettleDelay(int ms) { m_settle.setInterval(ms); }
    QStringList watchedFiles() const { return m_watcher.files(); }
    QStringList watchedDirectories() const { return m_watcher.directories(); }

public slots:
    // Looks at every watched file now, as if each had signalled a change.
    void checkAll();

signals:
    // Before a reload replaces the user's unsaved text.
    void aboutToReload(EditViewBase *view);
    void reloaded(EditViewBase *view);

private:
    struct Watched {
        QPointer<EditViewBase> view;
        QString path;
        FileStamp stamp;     // as read or saved
        FileStamp declined;  // a change the user chose not to load
        bool asking = false;
        bool missing = false;
        int markedRevision = -1;  // document revision when a deletion marked it modified
    };

    void onPathChanged(const QString &path);
    void onDirectoryChanged(const QString &directory);
    void onSettled();
    void check(QObject *key);
    void answer(QObject *key, bool reloadIt);
    bool reload(Watched &w);
    void updateWatchedPaths();

    QWidget *m_dialogParent;
    MessageBar *m_bar = nullptr;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QSet<QString> m_pending;
    QHash<QObject *, Watched> m_docs;
};
