// Markup commands of the menus: passed to the current view, uncounted.
#include "app/mainwindow.h"

#include "html/editview.h"

void MainWindow::on_action_Zen_Coding_triggered()
{
    if (EditView *view = currentView())
        view->zenCoding();
}

void MainWindow::on_action_DynamicCompletion_triggered()
{
    if (EditView *view = currentView())
        view->dynamicCompletion();
}

void MainWindow::on_actionCloseTagCompletion_triggered()
{
    if (EditView *view = currentView())
        view->closeTagCompletion();
}

void MainWindow::on_action_TagJump_triggered()
{
    if (EditView *view = currentView())
        view->tagJump();
}

void MainWindow::on_action_lt_gt_amp_triggered()
{
    if (EditView *view = currentView())
        view->encodeLtGtAmp();
}

void MainWindow::on_action_lt_gt_amp_decode_triggered()
{
    if (EditView *view = currentView())
        view->decodeLtGtAmp();
}
