// Search steps of the editor view: one step, the wrap-around at the end of
// the document, and the match test used by replace.
#include "editor/editviewbase.h"

#include "editor/documentsearch.h"
#include "editor/globalsettings.h"
#include "editor/userprompt.h"

#include <QApplication>
#include <QScrollBar>

namespace {

DocumentSearch searchFor(const GlobalSettings *settings, const QString &text)
{
    return DocumentSearch(text, settings ? DocumentSearch::optionsOf(*settings)
                                         : DocumentSearch::Options());
}

// A match that had to be scrolled into view goes to the top line, so that
// what follows it is visible too; one already on screen stays where it is.
void scrollToMatch(EditViewBase *view, int scrollBefore)
{
    if (view->verticalScrollBar()->value() != scrollBefore)
        view->scrollCursorLineToTop();
}

} // namespace

bool EditViewBase::ignoresCase(const QString &text) const
{
    return DocumentSearch::ignoresCase(text, settings ? settings->ignoreCase : quint8(IgnoreCase));
}

bool EditViewBase::findOnce(const QString &text, bool backward)
{
    const DocumentSearch search = searchFor(settings, text);
    const int scrollBefore = verticalScrollBar()->value();
    const QTextCursor found = search.find(document(), textCursor(), backward);
    if (found.isNull())
        return false;
    setTextCursor(found);
    scrollToMatch(this, scrollBefore);
    return true;
}

bool EditViewBase::findWithLoop(const QString &text, bool backward, bool silent)
{
    const QTextCursor start = textCursor();
    const int scrollStart = verticalScrollBar()->value();
    if (findOnce(text, backward))
        return true;
    if (silent)
        return false;

    const DocumentSearch search = searchFor(settings, text);
    if (!search.isValid() && !text.isEmpty()) {
        // Searching again from the other end could not help.
        QApplication::beep();
        emit showMessage(search.invalidMessage(), true);
        return false;
    }

    const QString notFound = tr("'%1' not found.").arg(text);
    const quint8 loop = settings ? settings->findLoop : quint8(NoLoop);
    const bool atEdge = backward ? start.selectionStart() == 0
                                 : start.selectionEnd() >= document()->characterCount() - 1;
    if (loop == NoLoop || atEdge) {
        QApplication::beep();
        emit showMessage(notFound);
        return false;
    }
    if (loop == ConfirmLoop) {
        const QMessageBox::StandardButton answer = UserPrompt::warning(
                nullptr, tr("Find Loop"),
                tr("reached begin/end of document.\nsearch again from end/begin ?"),
                QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
    }

    QTextCursor wrapped = start;
    wrapped.clearSelection();
    wrapped.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    setTextCursor(wrapped);
    if (findOnce(text, backward))
        return true;

    setTextCursor(start);
    verticalScrollBar()->setValue(scrollStart);
    QApplication::beep();
    emit showMessage(notFound);
    return false;
}

bool EditViewBase::findPlain(const QString &text, QTextDocument::FindFlags flags)
{
    // QTextDocument's own search stops at every block, the virtual breaks
    // of a long line too; the document search sees the file's lines.
    DocumentSearch::Options options;
    options.wholeWords = flags.testFlag(QTextDocument::FindWholeWords);
    options.caseMode = flags.testFlag(QTextDocument::FindCaseSensitively) ? quint8(CaseSensitive)
                                                                           : quint8(IgnoreCase);
    const int scrollBefore = verticalScrollBar()->value();
    const QTextCursor found = DocumentSearch(text, options)
            .find(document(), textCursor(), flags.testFlag(QTextDocument::FindBackward));
    if (found.isNull())
        return false;
    setTextCursor(found);
    scrollToMatch(this, scrollBefore);
    return true;
}

bool EditViewBase::matchesAtCursor(const QString &text) const
{
    return !searchFor(settings, text).matchAt(textCursor()).isNull();
}
