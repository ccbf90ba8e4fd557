#include "editor/editdocumentlayout.h"

#include <QTextBlock>
#include <QTextDocument>

EditDocumentLayout::EditDocumentLayout(QTextDocument *document)
    : QPlainTextDocumentLayout(document)
{
    // Connected before any highlighter, so this sees the edit first.
    connect(document, &QTextDocument::contentsChange, this, &EditDocumentLayout::onContentsChange);
}

void EditDocumentLayout::onContentsChange(int from, int charsRemoved, int charsAdded)
{
    editFrom = from;
    editRemoved = charsRemoved;
    editAdded = charsAdded;
}

void EditDocumentLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    const int ownFrom = editFrom;
    editFrom = -1;
    if (ownFrom >= 0 && (from != ownFrom || charsRemoved != editRemoved || charsAdded != editAdded)) {
        // The change was widened after the edit was reported. Keep to the
        // edit only when everything widened lies in the lines the edit
        // itself touches.
        const QTextDocument *doc = document();
        const QTextBlock first = doc->findBlock(ownFrom);
        const QTextBlock last = doc->findBlock(ownFrom + editAdded);
        if (first.isValid() && last.isValid() && from >= first.position()
            && from + charsAdded <= last.position() + last.length()) {
            QPlainTextDocumentLayout::documentChanged(ownFrom, editRemoved, editAdded);
            return;
        }
    }
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
}
