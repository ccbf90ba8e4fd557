#include "panels/outlinebar.h"

#include "html/editview.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QList>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTreeWidgetItemIterator>

namespace {

QIcon folderIcon()
{
    return QIcon(QStringLiteral(":/MainWindow/Resources/folder.png"));
}

QIcon sourceIcon()
{
    return QIcon(QStringLiteral(":/MainWindow/Resources/source.png"));
}

// The text a path below directory `dir` starts with. A root ("/", "C:/")
// already ends in the separator.
QString dirPrefix(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace

OutlineBar::OutlineBar(QWidget *parent)
    : QTreeWidget(parent)
    , m_contextMenu(new QMenu(this))
{
    setColumnCount(1);
    setHeaderHidden(true);
    m_contextMenu->addAction(tr("&Close"), this, &OutlineBar::closeItem);
    m_contextMenu->addAction(tr("Copy &Full Path"), this, &OutlineBar::copyFullPath);
    m_contextMenu->addAction(tr("Copy &Title"), this, &OutlineBar::copyTitle);
}

int OutlineBar::itemKind(const QTreeWidgetItem *item)
{
    return item ? item->data(0, KindRole).toInt() : -1;
}

EditView *OutlineBar::itemView(const QTreeWidgetItem *item)
{
    if (itemKind(item) != DocumentItem)
        return nullptr;
    return reinterpret_cast<EditView *>(
        static_cast<quintptr>(item->data(0, ViewRole).toULongLong()));
}

QTreeWidgetItem *OutlineBar::findViewItem(const EditView *view) const
{
    if (!view)
        return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<OutlineBar *>(this)); *it; ++it) {
        if (itemKind(*it) == DocumentItem && itemView(*it) == view)
            return *it;
    }
    return nullptr;
}

QTreeWidgetItem *OutlineBar::findDirItem(const QString &path) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        if (itemKind(item) == DirectoryItem && item->text(0) == path)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem *OutlineBar::dirItemFor(const QString &filePath)
{
    // Purely textual: the directory of a document that was removed meanwhile
    // must still group it under its own directory.
    const QString dir = QFileInfo(filePath).absolutePath();
    if (QTreeWidgetItem *item = findDirItem(dir))
        return item;
    auto *item = new QTreeWidgetItem;
    item->setText(0, dir);
    item->setIcon(0, folderIcon());
    item->setData(0, KindRole, int(DirectoryItem));
    addTopLevelItem(item);
    return item;
}

void OutlineBar::addView(EditView *view)
{
    if (!view)
        return;
    auto *item = new QTreeWidgetItem;
    item->setText(0, view->title());
    item->setIcon(0, sourceIcon());
    item->setData(0, KindRole, int(DocumentItem));
    item->setData(0, ViewRole, QVariant::fromValue<quint64>(reinterpret_cast<quintptr>(view)));
    const QString path = view->fullPath();
    if (!path.isEmpty()) {
        QTreeWidgetItem *dir = dirItemFor(path);
        dir->addChild(item);
        dir->setExpanded(true);
    } else {
        addTopLevelItem(item);
    }
    setCurrentItem(item);
    item->setExpanded(true);
}

void OutlineBar::updateView(EditView *view)
{
    QTreeWidgetItem *item = findViewItem(view);
    if (!item)
        return;
    const QString path = view->fullPath();
    if (!path.isEmpty()) {
        QTreeWidgetItem *oldDir = item->parent();
        if (!oldDir || !path.startsWith(dirPrefix(oldDir->text(0)))) {
            if (oldDir)
                oldDir->takeChild(oldDir->indexOfChild(item));
            else
                takeTopLevelItem(indexOfTopLevelItem(item));
            QTreeWidgetItem *newDir = dirItemFor(path);
            newDir->addChild(item);
            newDir->setExpanded(true);
            if (oldDir && oldDir->childCount() == 0)
                deleteItem(oldDir);
        }
    }
    item->setText(0, view->title());
}

void OutlineBar::setCurrentView(EditView *view)
{
    m_currentView = view;
    if (QTreeWidgetItem *item = findViewItem(view))
        setCurrentItem(item);
}

void OutlineBar::deleteItem(QTreeWidgetItem *item)
{
    if (m_contextItem == item)
        m_contextItem = nullptr;
    delete item;
}

void OutlineBar::removeView(EditView *view)
{
    // The view is being destroyed: it must not be remembered as current.
    if (m_currentView == view)
        m_currentView = nullptr;
    QTreeWidgetItem *item = findViewItem(view);
    if (!item)
        return;
    QTreeWidgetItem *dir = item->parent();
    deleteItem(item);
    if (dir && dir->childCount() == 0)
        deleteItem(dir);
}

void OutlineBar::activateCurrent()
{
    QTreeWidgetItem *item = currentItem();
    switch (itemKind(item)) {
    case DirectoryItem:
        emit dirActivated(item->text(0));
        break;
    case DocumentItem:
        if (QPointer<EditView> view = itemView(item)) {
            emit viewActivated(view, 0);
            if (view)
                view->setFocus(Qt::OtherFocusReason);
        }
        break;
    default:
        break;
    }
}

void OutlineBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    activateCurrent();
}

void OutlineBar::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    Qt::Key arrow = Qt::Key_unknown;
    if (event->key() == Qt::Key_Return) {
        activateCurrent();
        return;
    }
    if (event->key() == Qt::Key_Space) {
        arrow = Qt::Key_Right;
    } else if ((mods & Qt::ControlModifier) && !(mods & (Qt::ShiftModifier | Qt::AltModifier))) {
        switch (event->key()) {
        case Qt::Key_K: arrow = Qt::Key_Up; break;
        case Qt::Key_J: arrow = Qt::Key_Down; break;
        case Qt::Key_H: arrow = Qt::Key_Left; break;
        case Qt::Key_L: arrow = Qt::Key_Right; break;
        default: break;
        }
    }
    if (arrow == Qt::Key_unknown) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    QKeyEvent moved(QEvent::KeyPress, arrow, Qt::NoModifier);
    QTreeWidget::keyPressEvent(&moved);
}

void OutlineBar::contextMenuEvent(QContextMenuEvent *event)
{
    // Mouse menus arrive on the viewport, keyboard menus on the tree itself.
    QTreeWidgetItem *item = itemAt(viewport()->mapFromGlobal(event->globalPos()));
    if (!item)
        return;
    m_contextItem = item;
    setCurrentItem(item);
    runContextMenu(m_contextMenu, event->globalPos());
    // Closing a document from the menu deletes its item and clears this.
    if (m_contextItem)
        setCurrentItem(m_contextItem);
    m_contextItem = nullptr;
}

void OutlineBar::runContextMenu(QMenu *menu, const QPoint &globalPos)
{
    menu->exec(globalPos);
}

void OutlineBar::closeItem()
{
    if (!m_contextItem)
        return;
    if (itemKind(m_contextItem) == DocumentItem) {
        emit closeView(itemView(m_contextItem));
        return;
    }
    // Last first. The views are collected up front and guarded: each close
    // may delete items of this group, or the group itself.
    QList<QPointer<EditView>> views;
    for (int i = m_contextItem->childCount() - 1; i >= 0; --i) {
        if (EditView *view = itemView(m_contextItem->child(i)))
            views.append(view);
    }
    for (const QPointer<EditView> &view : views) {
        if (view)
            emit closeView(view);
    }
}

QString OutlineBar::contextText(bool fullPath) const
{
    if (itemKind(m_contextItem) == DocumentItem) {
        const EditView *view = itemView(m_contextItem);
        if (!view)
            return {};
        return fullPath ? view->fullPath() : view->title();
    }
    return m_contextItem ? m_contextItem->text(0) : QString();
}

void OutlineBar::copyToClipboard(const QString &text) const
{
    if (text.isEmpty())
        return;
    auto *mime = new QMimeData;
    mime->setText(text);
    QGuiApplication::clipboard()->setMimeData(mime);
}

void OutlineBar::copyFullPath()
{
    copyToClipboard(contextText(true));
}

void OutlineBar::copyTitle()
{
    copyToClipboard(contextText(false));
}

void OutlineBar::focusInEvent(QFocusEvent *event)
{
    QTreeWidget::focusInEvent(event);
    if (QTreeWidgetItem *item = findViewItem(m_currentView))
        setCurrentItem(item);
}
