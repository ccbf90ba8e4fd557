// Edit commands of the menus: counted, then passed to the current view.
#include "app/mainwindow.h"

#include "editor/commandstatistics.h"
#include "html/editview.h"

void MainWindow::on_action_Undo_triggered()
{
    recordCommand(QStringLiteral("Action.EditEndo"));
    if (EditView *view = currentView())
        view->undo();
}

void MainWindow::on_action_Redo_triggered()
{
    recordCommand(QStringLiteral("Action.EditRedo"));
    if (EditView *view = currentView())
        view->redo();
}

void MainWindow::on_action_Cut_triggered()
{
    recordCommand(QStringLiteral("Action.EditCut"));
    if (EditView *view = currentView())
        view->cut();
}

void MainWindow::on_action_Copy_triggered()
{
    recordCommand(QStringLiteral("Action.EditCopy"));
    if (EditView *view = currentView())
        view->copy();
}

void MainWindow::on_action_Paste_triggered()
{
    recordCommand(QStringLiteral("Action.EditPaste"));
    if (EditView *view = currentView())
        view->paste();
}
