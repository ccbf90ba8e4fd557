// Editing, navigation and zoom commands of the menus that act on the current view.
#include "app/mainwindow.h"

#include "editor/commandstatistics.h"
#include "editor/globalsettings.h"
#include "editor/userprompt.h"
#include "html/editview.h"

#include <QInputDialog>
#include <QTextBlock>

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

void MainWindow::on_action_GoToLine_triggered()
{
    EditView *view = currentView();
    if (!view)
        return;
    recordCommand(QStringLiteral("Action.gotoLine"));
    // Lines of the file, as the margin numbers them.
    const int last = view->realLineNumber(view->document()->lastBlock());
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("goToLineDialog"));
    dialog.setWindowTitle(tr("Go to Line"));
    dialog.setLabelText(tr("&Line number (1-%1):").arg(last));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(1, last);
    dialog.setIntValue(view->realLineNumber(view->textCursor().block()));
    if (UserPrompt::instance()->runDialog(&dialog) != QDialog::Accepted)
        return;
    view->jumpToLine(dialog.intValue());
    view->setFocus(Qt::OtherFocusReason);
}

void MainWindow::on_action_ZoomIn_triggered()
{
    if (EditView *view = currentView())
        view->zoomBy(1);
}

void MainWindow::on_action_ZoomOut_triggered()
{
    if (EditView *view = currentView())
        view->zoomBy(-1);
}

void MainWindow::on_action_ZoomReset_triggered()
{
    if (EditView *view = currentView())
        view->setZoomPointSize(settings->fontSize);
}
