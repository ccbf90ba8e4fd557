// Editing commands of the Edit and Find menus that act on the current view.
#include "app/mainwindow.h"

#include "editor/commandstatistics.h"
#include "html/editview.h"

void MainWindow::on_actionOpenLine_Above_triggered()
{
    if (EditView *view = currentView())
        view->openLineAbove();
}

void MainWindow::on_actionOpenLine_Below_triggered()
{
    if (EditView *view = currentView())
        view->openLineBelow();
}

void MainWindow::on_action_MatchedParen_triggered()
{
    EditView *view = currentView();
    if (!view)
        return;
    recordCommand(QStringLiteral("Action.gotoMatchParen"));
    view->jumpToMatchingBracket();
}
