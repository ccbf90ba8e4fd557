// Recent files, favourites and recent directories. The lists live only in the
// settings store; each change reads, edits and writes the stored list, and the
// menus are rebuilt from the store.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "editor/commandstatistics.h"
#include "editor/globalsettings.h"
#include "html/editview.h"

#include <QDir>
#include <QSettings>

namespace {
const QString recentFileKey = QStringLiteral("recentFileList");
const QString favoriteFileKey = QStringLiteral("favoriteFileList");
const QString recentDirKey = QStringLiteral("recentDirList");

QList<QAction *> makeSlots(QObject *parent, QMenu *menu)
{
    QList<QAction *> actions;
    for (int i = 0; i < MainWindow::ListLimit; ++i) {
        auto *action = new QAction(parent);
        action->setVisible(false);
        menu->addAction(action);
        actions.append(action);
    }
    return actions;
}

void fillSlots(const QList<QAction *> &actions, const QString &key,
               const QSettings &store = QSettings())
{
    const QStringList list = store.value(key).toStringList();
    const int n = std::min<int>(list.size(), MainWindow::ListLimit);
    for (int i = 0; i < actions.size(); ++i) {
        QAction *action = actions.at(i);
        if (i < n) {
            action->setText(MainWindow::listEntryText(i, list.at(i)));
            action->setData(list.at(i));
            action->setStatusTip(list.at(i));
        }
        action->setVisible(i < n);
    }
}
} // namespace

QString MainWindow::listEntryText(int index, const QString &entry)
{
    const QChar accel = index < 9 ? QChar('1' + index)
                      : index == 9 ? QChar('0')
                                   : QChar(index + 55);
    QString shown = entry;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return tr("&%1 %2").arg(accel).arg(shown);
}

void MainWindow::addToStoredList(const QString &key, const QString &entry)
{
    QSettings store;
    addToStoredList(store, key, entry);
}

void MainWindow::addToStoredList(QSettings &store, const QString &key, const QString &entry)
{
    QStringList list = store.value(key).toStringList();
    list.removeAll(entry);
    list.prepend(entry);
    while (list.size() > ListLimit)
        list.removeLast();
    store.setValue(key, list);
}

void MainWindow::createListActions()
{
    recentFileActions = makeSlots(this, ui->menuRecentFiles);
    favoriteFileActions = makeSlots(this, ui->menuFavoriteFiles);
    recentDirOpenActions = makeSlots(this, ui->menuOpenFromRcentDir);
    recentDirActions = makeSlots(this, ui->menuRecentDir);
    for (QAction *a : std::as_const(recentFileActions))
        connect(a, &QAction::triggered, this, &MainWindow::openRecentFile);
    for (QAction *a : std::as_const(favoriteFileActions))
        connect(a, &QAction::triggered, this, &MainWindow::openRecentFile);
    for (QAction *a : std::as_const(recentDirActions))
        connect(a, &QAction::triggered, this, &MainWindow::openRecentFileSystem);
    updateRecentFileMenu();
    updateFavoriteMenu();
    updateRecentDirMenus();
}

void MainWindow::addRecentFile(const QString &path)
{
    addToStoredList(recentFileKey, path);
}

void MainWindow::addFavoriteFile(const QString &path)
{
    addToStoredList(favoriteFileKey, path);
}

static QString directoryOf(const QString &path)
{
    QDir dir(path);
    dir.cdUp();
    return dir.absolutePath();
}

void MainWindow::addRecentDir(const QString &path)
{
    addToStoredList(recentDirKey, directoryOf(path));
}

void MainWindow::updateRecentFileMenu()
{
    fillSlots(recentFileActions, recentFileKey);
}

void MainWindow::updateFavoriteMenu()
{
    fillSlots(favoriteFileActions, favoriteFileKey);
}

void MainWindow::updateRecentDirMenus()
{
    fillSlots(recentDirOpenActions, recentDirKey);
    fillSlots(recentDirActions, recentDirKey);
}

// One store object for the whole update: every QSettings that changed the
// store writes the file (with fsync) when it goes, and this runs per file
// loaded.
void MainWindow::noteLoaded(const QString &absolutePath)
{
    QSettings store;
    addToStoredList(store, recentFileKey, absolutePath);
    addToStoredList(store, recentDirKey, directoryOf(absolutePath));
    fillSlots(recentFileActions, recentFileKey, store);
    fillSlots(recentDirOpenActions, recentDirKey, store);
    fillSlots(recentDirActions, recentDirKey, store);
}

void MainWindow::openRecentFile()
{
    recordCommand(QStringLiteral("Action.openRecentFile"));
    if (auto *action = qobject_cast<QAction *>(sender()))
        loadFile(action->data().toString());
}

void MainWindow::openRecentFileSystem()
{
    recordCommand(QStringLiteral("Action.openRecentFileSystem"));
    if (auto *action = qobject_cast<QAction *>(sender()))
        openDir(action->data().toString());
}

void MainWindow::onUpdateShortTextMenu()
{
    EditView *view = currentView();
    if (!view)
        return;
    const QStringList &texts = view->textCursor().hasSelection() ? settings->shortTextSel
                                                                 : settings->shortText;
    QAction *const actions[] = {
        ui->actionText_1, ui->actionText_2, ui->actionText_3, ui->actionText_4, ui->actionText_5,
        ui->actionText_6, ui->actionText_7, ui->actionText_8, ui->actionText_9, ui->actionText_10,
    };
    for (int i = 0; i < 10; ++i)
        actions[i]->setText(QStringLiteral("&%1 '%2'").arg((i + 1) % 10).arg(texts.value(i)));
}

void MainWindow::insertShortText(int index)
{
    if (EditView *view = currentView())
        view->insertShortText(index);
}

void MainWindow::on_actionAddThisFile_triggered()
{
    EditView *view = currentView();
    if (!view || view->fullPath().isEmpty())
        return;
    addFavoriteFile(view->fullPath());
    updateFavoriteMenu();
}
