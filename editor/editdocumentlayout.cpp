#include "editor/editdocumentlayout.h"

#include <QFontMetricsF>
#include <QMetaMethod>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

EditDocumentLayout::EditDocumentLayout(QTextDocument *document)
    : QPlainTextDocumentLayout(document)
{
    // Connected before any highlighter, so this sees the edit first.
    connect(document, &QTextDocument::contentsChange, this, &EditDocumentLayout::onContentsChange);
    m_blockCount = document->blockCount();
    updateLineMetrics();
}

void EditDocumentLayout::updateLineMetrics()
{
    const QFont font = document()->defaultFont();
    if (m_lineHeight > 0 && font == m_font)
        return;
    m_font = font;
    // What the plain layout gives a line of this font: leading included,
    // rounded up to whole pixels.
    const QFontMetricsF fm(font);
    m_ascent = fm.ascent();
    m_lineHeight = std::ceil(fm.ascent() + fm.descent() + std::max<qreal>(fm.leading(), 0));
}

QRectF EditDocumentLayout::blockBoundingRect(const QTextBlock &block) const
{
    // The base lays the block out when it has no lines yet.
    QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
    if (!block.isValid() || !block.isVisible() || m_lineHeight <= 0)
        return rect;
    QTextLayout *layout = block.layout();
    const int lines = layout ? layout->lineCount() : 0;
    if (lines == 0)
        return rect;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout->lineAt(i);
        const qreal y = i * m_lineHeight + m_ascent - line.ascent();
        if (line.y() != y)
            line.setPosition(QPointF(line.x(), y));
    }
    qreal height = lines * m_lineHeight;
    if (!block.next().isValid())
        height += document()->documentMargin();
    rect.setHeight(height);
    return rect;
}

void EditDocumentLayout::onContentsChange(int from, int charsRemoved, int charsAdded)
{
    editFrom = from;
    editRemoved = charsRemoved;
    editAdded = charsAdded;
}

void EditDocumentLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    // A new default font reaches the layout as a change of the whole text.
    updateLineMetrics();
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
            changeLayout(ownFrom, editRemoved, editAdded);
            return;
        }
    }
    changeLayout(from, charsRemoved, charsAdded);
}

void EditDocumentLayout::changeLayout(int from, int charsRemoved, int charsAdded)
{
    const QTextDocument *doc = document();
    const int blocksBefore = m_blockCount;
    m_blockCount = doc->blockCount();
    const int delta = m_blockCount - blocksBefore;
    if (delta == 0 || blocksBefore == 0
        || !isSignalConnected(QMetaMethod::fromSignal(&EditDocumentLayout::linesShifted))) {
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        return;
    }
    {
        // The stock layout asks for the whole screen here; the view repaints
        // what the shift leaves to repaint.
        const QSignalBlocker quiet(this);
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    }
    emit documentSizeChanged(documentSize());
    const int first = doc->findBlock(from).blockNumber();
    const int last = std::max(doc->findBlock(from + charsAdded).blockNumber(), first);
    emit linesShifted(first, last, delta);
}
