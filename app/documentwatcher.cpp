#include "app/documentwatcher.h"

#include "app/messagebar.h"
#include "editor/documentfile.h"
#include "editor/editviewbase.h"
#include "editor/userprompt.h"

#include <QDir>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

DocumentWatcher::FileStamp DocumentWatcher::FileStamp::of(const QString &path)
{
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.inode = st.st_ino;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return stamp;
}

DocumentWatcher::DocumentWatcher(QWidget *dialogParent, QObject *parent)
    : QObject(parent)
    , m_dialogParent(dialogParent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(DefaultSettleDelay);
    connect(&m_settle, &QTimer::timeout, this, &DocumentWatcher::onSettled);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &DocumentWatcher::onPathChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &DocumentWatcher::onDirectoryChanged);
}

void DocumentWatcher::watch(EditViewBase *view)
{
    if (!view)
        return;
    if (!m_docs.contains(view))
        connect(view, &QObject::destroyed, this, [this](QObject *object) {
            m_docs.remove(object);
            updateWatchedPaths();
        });
    Watched &w = m_docs[view];
    w.view = view;
    w.path = view->fullPath();
    w.stamp = FileStamp::of(w.path);
    w.declined = FileStamp();
    w.missing = false;
    w.markedRevision = -1;
    // Read or saved just now: an open question about the file is settled.
    w.asking = false;
    if (m_bar) {
        m_bar->withdraw(view, QLatin1String(ChangedKey));
        m_bar->withdraw(view, QLatin1String(DeletedKey));
    }
    // A save replaces the file by renaming a new one over it; the old watch
    // followed the old file, so the path is watched afresh.
    if (!w.path.isEmpty())
        m_watcher.removePath(w.path);
    updateWatchedPaths();
}

void DocumentWatcher::forget(EditViewBase *view)
{
    if (m_bar) {
        m_bar->withdraw(view, QLatin1String(ChangedKey));
        m_bar->withdraw(view, QLatin1String(DeletedKey));
    }
    if (m_docs.remove(view)) {
        disconnect(view, &QObject::destroyed, this, nullptr);
        updateWatchedPaths();
    }
}

bool DocumentWatcher::changedOnDisk(const EditViewBase *view) const
{
    const auto it = m_docs.constFind(const_cast<EditViewBase *>(view));
    if (it == m_docs.cend() || it->path.isEmpty() || it->path != view->fullPath())
        return false;
    const FileStamp now = FileStamp::of(it->path);
    // A file gone since is no overwrite: saving simply writes it again.
    return now.exists && now != it->stamp;
}

bool DocumentWatcher::confirmOverwrite(EditViewBase *view)
{
    if (!changedOnDisk(view))
        return true;
    const auto answer = UserPrompt::warning(
        m_dialogParent, tr("save"),
        tr("'%1' has been changed on disk since it was read or saved.\n"
           "Save and overwrite those changes?")
            .arg(QDir::toNativeSeparators(view->fullPath())),
        QMessageBox::Save | QMessageBox::Cancel);
    return answer == QMessageBox::Save;
}

void DocumentWatcher::checkAll()
{
    for (auto it = m_docs.cbegin(); it != m_docs.cend(); ++it)
        if (!it->path.isEmpty())
            m_pending.insert(it->path);
    onSettled();
}

void DocumentWatcher::onPathChanged(const QString &path)
{
    m_pending.insert(path);
    m_settle.start();
}

void DocumentWatcher::onDirectoryChanged(const QString &directory)
{
    // Only directories of deleted files are watched: one may come back.
    for (auto it = m_docs.cbegin(); it != m_docs.cend(); ++it)
        if (it->missing && QFileInfo(it->path).absolutePath() == directory)
            m_pending.insert(it->path);
    if (!m_pending.isEmpty())
        m_settle.start();
}

void DocumentWatcher::onSettled()
{
    const QSet<QString> paths = std::exchange(m_pending, {});
    QList<QObject *> keys;
    for (auto it = m_docs.cbegin(); it != m_docs.cend(); ++it)
        if (paths.contains(it->path))
            keys.append(it.key());
    for (QObject *key : keys)
        check(key);
    updateWatchedPaths();
}

void DocumentWatcher::check(QObject *key)
{
    auto it = m_docs.find(key);
    if (it == m_docs.end() || !it->view || it->asking || it->path.isEmpty())
        return;
    Watched &w = *it;
    EditViewBase *view = w.view;
    QTextDocument *doc = view->document();
    const FileStamp now = FileStamp::of(w.path);
    const QString shown = QDir::toNativeSeparators(w.path);

    if (!now.exists) {
        if (w.missing || !w.stamp.exists)
            return;
        w.missing = true;
        // The text now exists only here: closing must not go without asking.
        if (!doc->isModified()) {
            doc->setModified(true);
            w.markedRevision = doc->revision();
        }
        const QString text = tr("'%1' was deleted on disk; Save writes it again").arg(shown);
        if (m_bar)
            m_bar->post(view, QLatin1String(DeletedKey), text);
        else
            emit view->showMessage(text);
        return;
    }
    const bool cameBack = w.missing;
    w.missing = false;
    if (cameBack && m_bar)
        m_bar->withdraw(view, QLatin1String(DeletedKey));
    if (now == w.stamp || now == w.declined)
        return;
    // Marked modified only because the file had gone: nothing of the user's to lose.
    const bool ownChanges = doc->isModified()
        && !(cameBack && w.markedRevision >= 0 && w.markedRevision == doc->revision());
    if (!ownChanges) {
        if (reload(w))
            emit view->showMessage(tr("'%1' was changed on disk and has been reloaded").arg(shown));
        else
            emit view->showMessage(tr("'%1' was changed on disk but could not be read").arg(shown), true);
        return;
    }
    if (!m_bar) {
        // Nobody to ask: the user's text stays, and Save still asks.
        w.declined = now;
        emit view->showMessage(tr("'%1' was changed on disk; your text is kept").arg(shown));
        return;
    }
    // Asked in the bar, not in a box: a box would take the keys the user is
    // typing, and a Space or Return would throw the text away.
    w.asking = true;
    m_bar->post(view, QLatin1String(ChangedKey),
                tr("'%1' has been changed on disk by another program, and you have unsaved "
                   "changes here. Reload replaces your text with the file (Undo brings it back).")
                    .arg(shown),
                {tr("&Keep my text"), tr("&Reload")},
                [this, key](int choice) { answer(key, choice == 1); });
}

void DocumentWatcher::answer(QObject *key, bool reloadIt)
{
    auto it = m_docs.find(key);
    if (it == m_docs.end() || !it->view || !it->asking)
        return;
    Watched &w = *it;
    w.asking = false;
    EditViewBase *view = w.view;
    const QString shown = QDir::toNativeSeparators(w.path);
    if (!reloadIt) {
        // Not asked again for this change; Save still asks before overwriting it.
        w.declined = FileStamp::of(w.path);
        return;
    }
    emit aboutToReload(view);
    if (reload(w))
        emit view->showMessage(tr("'%1' has been reloaded; Undo brings your text back").arg(shown));
    else
        emit view->showMessage(tr("'%1' could not be read").arg(shown), true);
}

bool DocumentWatcher::reload(Watched &w)
{
    EditViewBase *view = w.view;
    const QTextCursor cursor = view->textCursor();
    const int line = cursor.blockNumber();
    const int column = cursor.positionInBlock();
    const int scroll = view->verticalScrollBar()->value();
    // Stamp first: a change during the read shows up as another change.
    const FileStamp before = FileStamp::of(w.path);
    view->setUndoableLoad(true);
    const bool read = readDocument(view, w.path);
    view->setUndoableLoad(false);
    if (!read)
        return false;
    w.stamp = before;
    w.declined = FileStamp();
    w.markedRevision = -1;
    QTextDocument *doc = view->document();
    const QTextBlock block = doc->findBlockByNumber(qMin(line, doc->blockCount() - 1));
    QTextCursor restored(block);
    restored.setPosition(block.position() + qMin(column, block.length() - 1));
    view->setTextCursor(restored);
    view->verticalScrollBar()->setValue(scroll);
    emit reloaded(view);
    return true;
}

void DocumentWatcher::updateWatchedPaths()
{
    QSet<QString> files, dirs;
    for (auto it = m_docs.cbegin(); it != m_docs.cend(); ++it) {
        if (it->path.isEmpty())
            continue;
        if (it->missing)
            dirs.insert(QFileInfo(it->path).absolutePath());
        else if (QFileInfo::exists(it->path))
            files.insert(it->path);
    }
    const QStringList watchedFiles = m_watcher.files();
    for (const QString &f : watchedFiles)
        if (!files.contains(f))
            m_watcher.removePath(f);
    const QStringList watchedDirs = m_watcher.directories();
    for (const QString &d : watchedDirs)
        if (!dirs.contains(d))
            m_watcher.removePath(d);
    // Paths dropped by the watcher when their file was replaced come back here.
    for (const QString &f : std::as_const(files))
        if (!watchedFiles.contains(f))
            m_watcher.addPath(f);
    for (const QString &d : std::as_const(dirs))
        if (!watchedDirs.contains(d) && QFileInfo::exists(d))
            m_watcher.addPath(d);
}
