#pragma once

#include <QFont>
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
//
// It also gives every line the height of the document's font. A line whose
// glyphs come from a fallback font (CJK, emoji) would otherwise be taller by
// that font's ascent, so that lines sat at uneven steps and the margin's
// numbers lost their lines; such a line keeps its baseline where a line of
// the document's font has it.
//
// Whole lines added or removed move the lines below by whole line heights.
// When a view listens to linesShifted() the layout leaves the repaint to it,
// so that it can move the pixels below instead of repainting the screen: a
// held `dd` or `.` would otherwise repaint every visible line per press.
class EditDocumentLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT

public:
    explicit EditDocumentLayout(QTextDocument *document);

    QRectF blockBoundingRect(const QTextBlock &block) const override;

    // Height of every line and the distance from a line's top to its baseline.
    qreal lineHeight() const { return m_lineHeight; }
    qreal lineAscent() const { return m_ascent; }

signals:
    // Blocks first to last (numbers after the change) are new or changed;
    // the blocks after them are the ones that followed before, moved by
    // delta blocks (negative: up).
    void linesShifted(int first, int last, int delta);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void onContentsChange(int from, int charsRemoved, int charsAdded);
    void updateLineMetrics();
    void changeLayout(int from, int charsRemoved, int charsAdded);

    // The edit as reported before any colouring widened it; from < 0: none.
    int editFrom = -1;
    int editRemoved = 0;
    int editAdded = 0;

    int m_blockCount = 0;  // as last laid out

    QFont m_font;
    qreal m_lineHeight = 0;
    qreal m_ascent = 0;
};
