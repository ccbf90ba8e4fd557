// Search commands of the Navigation menu.
#include "app/mainwindow.h"

#include "app/commandstatistics.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "html/editview.h"

#include <QTextCursor>

void MainWindow::on_action_FindPrev_triggered()
{
    recordCommand(QStringLiteral("Action.findPrev"));
    EditView *view = currentView();
    if (!view)
        return;
    const QString text = settings->lastFindString();
    if (!text.isEmpty())
        view->findWithLoop(text, true, false);
}

void MainWindow::on_action_FindNext_triggered()
{
    recordCommand(QStringLiteral("Action.findNext"));
    EditView *view = currentView();
    if (!view)
        return;
    const QString text = settings->lastFindString();
    if (!text.isEmpty())
        view->findWithLoop(text, false, false);
}

void MainWindow::on_action_FindWord_triggered()
{
    recordCommand(QStringLiteral("Action.findWordAtCursor"));
    EditView *view = currentView();
    if (!view)
        return;
    QTextCursor cursor = view->textCursor();
    if (!cursor.hasSelection()) {
        const int at = cursor.position();
        cursor.movePosition(QTextCursor::StartOfWord);
        cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        // From white space the moves reach back to the word before it; only
        // a word the cursor stands in or touches counts.
        if (at < cursor.selectionStart() || at > cursor.selectionEnd())
            return;
    }
    if (!cursor.hasSelection())
        return;
    const QString word = cursor.selectedText();
    settings->addFindString(word);
    // Later find-next steps look for the whole word; this first one is a
    // plain forward search from the view's own cursor.
    settings->wordSearch = true;
    view->findPlain(word, {});
}

void MainWindow::on_action_Find_Replace_triggered()
{
    EditView *view = currentView();
    if (!view)
        return;
    FindReplaceDlg dialog(view, settings, nullptr);
    connect(&dialog, &FindReplaceDlg::showMessage, this, &MainWindow::showMessage);
    dialog.exec();
}
