#pragma once

#include <QPlainTextDocumentLayout>

// The plain-text layout with one repair: a change of a line's colours made
// while that line is being edited stays a change of that line.
//
// Setting formats on a block during an edit widens the document's pending
// change to the whole block, and the stock layout judges the end of a change
// by removed plus added characters, which then always reaches into the next
// line; every keystroke in a coloured document repainted the whole screen.
// This layout remembers the edit as the document first reported it and, when
// the widened change still lies within the edited lines, lays out just the
// edit: those lines are laid out anew anyway, with their new colours.
class EditDocumentLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT

public:
    explicit EditDocumentLayout(QTextDocument *document);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void onContentsChange(int from, int charsRemoved, int charsAdded);

    // The edit as reported before any colouring widened it; from < 0: none.
    int editFrom = -1;
    int editRemoved = 0;
    int editAdded = 0;
};
