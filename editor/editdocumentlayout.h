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
class EditDocumentLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT

public:
    explicit EditDocumentLayout(QTextDocument *document);

    QRectF blockBoundingRect(const QTextBlock &block) const override;

    // Height of every line and the distance from a line's top to its baseline.
    qreal lineHeight() const { return m_lineHeight; }
    qreal lineAscent() const { return m_ascent; }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void onContentsChange(int from, int charsRemoved, int charsAdded);
    void updateLineMetrics();

    // The edit as reported before any colouring widened it; from < 0: none.
    int editFrom = -1;
    int editRemoved = 0;
    int editAdded = 0;

    QFont m_font;
    qreal m_lineHeight = 0;
    qreal m_ascent = 0;
};
