#include "panels/filesystemview.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>

FileSystemView::FileSystemView(QWidget *parent)
    : QTreeView(parent)
{
}

QFileSystemModel *FileSystemView::fileSystemModel() const
{
    return qobject_cast<QFileSystemModel *>(model());
}

void FileSystemView::openCurrent()
{
    const QModelIndex index = currentIndex();
    const QFileSystemModel *fsModel = fileSystemModel();
    if (!index.isValid() || !fsModel)
        return;
    const QString path = fsModel->filePath(index);
    if (QFileInfo(path).isFile())
        emit openFile(path);
}

void FileSystemView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    openCurrent();
}

void FileSystemView::passKey(Qt::Key key)
{
    QKeyEvent moved(QEvent::KeyPress, key, Qt::NoModifier);
    QTreeView::keyPressEvent(&moved);
}

void FileSystemView::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return;

    const int key = event->key();
    const QFileSystemModel *fsModel = fileSystemModel();
    if ((key == Qt::Key_Space || key == Qt::Key_Return) && fsModel && fsModel->isDir(index)) {
        // Expansion is kept on the first column whichever cell is current.
        passKey(isExpanded(index.siblingAtColumn(0)) ? Qt::Key_Left : Qt::Key_Right);
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_K: passKey(Qt::Key_Up); return;
        case Qt::Key_J: passKey(Qt::Key_Down); return;
        case Qt::Key_H: passKey(Qt::Key_Left); return;
        case Qt::Key_L: passKey(Qt::Key_Right); return;
        default:
            QTreeView::keyPressEvent(event);
            return;
        }
    }
    if (key == Qt::Key_Return) {
        openCurrent();
        return;
    }
    QTreeView::keyPressEvent(event);
}
