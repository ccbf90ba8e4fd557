#pragma once

#include <QTreeWidget>

class EditView;
class QMenu;

// The open documents, grouped under one item per directory; documents that
// were never saved stand at the top level. Directory items live only while
// they hold documents.
class OutlineBar : public QTreeWidget
{
    Q_OBJECT
public:
    enum ItemKind { DirectoryItem = 0, DocumentItem = 1 };
    static constexpr int KindRole = Qt::UserRole;
    static constexpr int ViewRole = Qt::UserRole + 1;

    explicit OutlineBar(QWidget *parent = nullptr);

    void addView(EditView *view);
    // After Save As: regroups the view's item when it left its directory and
    // shows the new title.
    void updateView(EditView *view);
    void setCurrentView(EditView *view);

    EditView *currentView() const { return m_currentView; }
    QTreeWidgetItem *findViewItem(const EditView *view) const;
    QTreeWidgetItem *findDirItem(const QString &path) const;
    // The item the open context menu was raised on; null outside the menu.
    QTreeWidgetItem *contextItem() const { return m_contextItem; }
    QMenu *contextMenu() const { return m_contextMenu; }

    static int itemKind(const QTreeWidgetItem *item);
    static EditView *itemView(const QTreeWidgetItem *item);

signals:
    void viewActivated(EditView *view, int);
    void closeView(EditView *view);
    void dirActivated(const QString &path);

public slots:
    void removeView(EditView *view);
    void closeItem();
    void copyFullPath();
    void copyTitle();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // Runs the context menu to completion; tests answer it without a modal loop.
    virtual void runContextMenu(QMenu *menu, const QPoint &globalPos);

private:
    void activateCurrent();
    QTreeWidgetItem *dirItemFor(const QString &filePath);
    void deleteItem(QTreeWidgetItem *item);
    void copyToClipboard(const QString &text) const;
    QString contextText(bool fullPath) const;

    EditView *m_currentView = nullptr;
    QTreeWidgetItem *m_contextItem = nullptr;
    QMenu *m_contextMenu;
};
