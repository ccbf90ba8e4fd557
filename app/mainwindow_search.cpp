// Search commands of the Navigation menu.
#include "app/mainwindow.h"

#include "editor/commandstatistics.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "html/editview.h"

#include <QTextBlock>
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

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// A long line's pieces may be cut inside a word (in a string or comment):
// the word at the cursor goes on across such a cut.
void extendOverVirtualBreaks(QTextCursor &cursor)
{
    int start = cursor.selectionStart();
    int end = cursor.selectionEnd();
    QTextDocument *doc = cursor.document();
    for (QTextBlock block = doc->findBlock(start);
         start == block.position() && VirtualBreaks::isContinuation(block)
         && isWordCharacter(doc->characterAt(start - 2));
         block = doc->findBlock(start)) {
        QTextCursor word(block.previous());
        word.movePosition(QTextCursor::EndOfBlock);
        word.movePosition(QTextCursor::StartOfWord);
        start = word.position();
    }
    for (QTextBlock block = doc->findBlock(end);
         end == block.position() + block.length() - 1 && VirtualBreaks::isContinuation(block.next())
         && isWordCharacter(doc->characterAt(end + 1));
         block = doc->findBlock(end)) {
        QTextCursor word(block.next());
        word.movePosition(QTextCursor::EndOfWord);
        end = word.position();
    }
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
}

} // namespace

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
        extendOverVirtualBreaks(cursor);
    }
    if (!cursor.hasSelection())
        return;
    // A word never holds a real line break; a separator in it is virtual.
    const QString word = cursor.selectedText().remove(QChar::ParagraphSeparator);
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
