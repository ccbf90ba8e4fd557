#include "highlight/viengine.h"

#include "editor/editviewbase.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextDocument>

namespace {

using CommandAction = void (*)(ViEngine &engine, EditViewBase *view, int n);

struct ViCommand {
    char key;
    CommandAction run;
};

// The command-mode keys. Counts, `0` as a count digit and the `g` prefix are
// handled before the table is consulted.
const ViCommand *findCommand(QChar c)
{
    static const ViCommand table[] = {
        {'h', [](ViEngine &e, EditViewBase *v, int n) { e.moveInView(v, ViEngine::LeftInLine, n); }},
        {'l', [](ViEngine &e, EditViewBase *v, int n) { e.moveInView(v, ViEngine::RightInLine, n); }},
        {' ', [](ViEngine &e, EditViewBase *v, int n) { e.moveInView(v, ViEngine::RightInLine, n); }},
        {'j', [](ViEngine &, EditViewBase *v, int n) {
             QTextCursor c = v->textCursor();
             if (ViEngine::moveLines(c, n)) {
                 ViEngine::clampToLine(c);
                 v->setTextCursor(c);
             }
         }},
        {'k', [](ViEngine &, EditViewBase *v, int n) {
             QTextCursor c = v->textCursor();
             if (ViEngine::moveLines(c, -n)) {
                 ViEngine::clampToLine(c);
                 v->setTextCursor(c);
             }
         }},
        {'0', [](ViEngine &e, EditViewBase *v, int) { e.moveInView(v, QTextCursor::StartOfBlock, 1); }},
        {'^', [](ViEngine &e, EditViewBase *v, int) { e.moveInView(v, ViEngine::FirstNonBlank, 1); }},
        {'\r', [](ViEngine &, EditViewBase *v, int) {
             QTextCursor c = v->textCursor();
             if (!ViEngine::moveCursor(c, QTextCursor::NextBlock))
                 return;
             ViEngine::moveCursor(c, ViEngine::FirstNonBlank);
             ViEngine::clampToLine(c);
             v->setTextCursor(c);
         }},
        {'$', [](ViEngine &e, EditViewBase *v, int) { e.moveInView(v, QTextCursor::EndOfBlock, 1); }},
        {'i', [](ViEngine &e, EditViewBase *v, int) { e.enterInsertMode(v); }},
        {'a', [](ViEngine &e, EditViewBase *v, int) {
             QTextCursor c = v->textCursor();
             // Not clamped: appending after the last character is the point.
             ViEngine::moveCursor(c, ViEngine::RightInLine);
             v->setTextCursor(c);
             e.enterInsertMode(v);
         }},
        {'A', [](ViEngine &e, EditViewBase *v, int) {
             QTextCursor c = v->textCursor();
             ViEngine::moveCursor(c, QTextCursor::EndOfBlock);
             v->setTextCursor(c);
             e.enterInsertMode(v);
         }},
        {'I', [](ViEngine &e, EditViewBase *v, int) {
             QTextCursor c = v->textCursor();
             ViEngine::moveCursor(c, ViEngine::FirstNonBlank);
             v->setTextCursor(c);
             e.enterInsertMode(v);
         }},
        {'o', [](ViEngine &e, EditViewBase *v, int) { v->openLineBelow(); e.enterInsertMode(v); }},
        {'O', [](ViEngine &e, EditViewBase *v, int) { v->openLineAbove(); e.enterInsertMode(v); }},
        {'x', [](ViEngine &e, EditViewBase *v, int n) { e.deleteChars(v, n); }},
        {'X', [](ViEngine &e, EditViewBase *v, int n) { e.deleteChars(v, -n); }},
        {'Y', [](ViEngine &e, EditViewBase *v, int n) { e.yankLines(v, n); }},
        {'p', [](ViEngine &e, EditViewBase *v, int) { e.paste(v, false); }},
        {'P', [](ViEngine &e, EditViewBase *v, int) { e.paste(v, true); }},
        {'u', [](ViEngine &e, EditViewBase *v, int n) { e.undo(v, n); }},
        {'U', [](ViEngine &e, EditViewBase *v, int n) { e.redo(v, n); }},
    };
    // A line feed is the same command as Return.
    const char key = c == QLatin1Char('\n') ? '\r' : (c.unicode() < 128 ? char(c.unicode()) : 0);
    if (!key)
        return nullptr;
    for (const ViCommand &command : table)
        if (command.key == key)
            return &command;
    return nullptr;
}

bool isWordChar(QChar c)
{
    return (c.unicode() < 256 && c.isLetterOrNumber()) || c == QLatin1Char('_');
}

} // namespace

ViEngine::ViEngine(QObject *parent)
    : QObject(parent)
{
}

void ViEngine::setMode(uchar m)
{
    if (m == m_mode)
        return;
    m_mode = m;
    m_inModeChange = true;
    emit modeChanged(m);
    m_inModeChange = false;
}

void ViEngine::enterInsertMode(EditViewBase *view)
{
    setMode(InsertMode);
    view->onCursorPositionChanged();
    view->restartCursorBlink();
}

int ViEngine::lineLength(const QTextCursor &cursor)
{
    const QString text = cursor.block().text();
    qsizetype n = text.size();
    while (n > 0 && (text.at(n - 1) == QLatin1Char('\r') || text.at(n - 1) == QLatin1Char('\n')))
        --n;
    return int(n);
}

bool ViEngine::moveCursor(QTextCursor &cursor, int op, QTextCursor::MoveMode moveMode, int n)
{
    const int column = cursor.positionInBlock();
    switch (op) {
    case LeftInLine:
        if (n > 0)
            cursor.setPosition(cursor.position() - qMin(n, column), moveMode);
        return true;
    case RightInLine:
        if (n > 0)
            cursor.setPosition(cursor.position() + qBound(0, lineLength(cursor) - column, n), moveMode);
        return true;
    case FirstNonBlank: {
        const QString text = cursor.block().text();
        const int length = lineLength(cursor);
        int i = 0;
        while (i < length && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
            ++i;
        cursor.setPosition(cursor.block().position() + i, moveMode);
        return true;
    }
    case WordStart: {
        const QString text = cursor.block().text();
        int i = qMin(column, int(text.size()));
        while (i > 0 && isWordChar(text.at(i - 1)))
            --i;
        cursor.setPosition(cursor.block().position() + i, moveMode);
        return true;
    }
    default:
        return cursor.movePosition(QTextCursor::MoveOperation(op), moveMode, n);
    }
}

namespace {

// The laid-out form of a block; the document's layout lays it out on demand.
const QTextLayout *laidOut(const QTextBlock &block)
{
    if (QAbstractTextDocumentLayout *layout = block.document()->documentLayout())
        layout->blockBoundingRect(block);
    return block.layout();
}

} // namespace

bool ViEngine::moveLines(QTextCursor &cursor, int n)
{
    const QTextDocument *document = cursor.document();
    if (!document || n == 0)
        return n == 0;
    const QTextBlock from = cursor.block();
    const qint64 target = qint64(from.blockNumber()) + n;
    if (target < 0 || target >= document->blockCount())
        return false;
    const QTextBlock to = document->findBlockByNumber(int(target));
    const QTextLayout *fromLayout = laidOut(from);
    const QTextLayout *toLayout = laidOut(to);
    // QTextCursor's own vertical move walks and lays out every line in
    // between, which a count of many thousand lines makes slow. Wrapped
    // blocks, where lines are not blocks, are left to it.
    if (!fromLayout || !toLayout || fromLayout->lineCount() != 1 || toLayout->lineCount() != 1)
        return cursor.movePosition(n > 0 ? QTextCursor::Down : QTextCursor::Up,
                                   QTextCursor::MoveAnchor, qAbs(n));
    int x = cursor.verticalMovementX();
    if (x < 0)
        x = qRound(fromLayout->lineAt(0).cursorToX(cursor.positionInBlock()));
    cursor.setPosition(to.position() + toLayout->lineAt(0).xToCursor(x));
    cursor.setVerticalMovementX(x);
    return true;
}

bool ViEngine::clampToLine(QTextCursor &cursor)
{
    const int column = cursor.positionInBlock();
    if (column == 0 || column < lineLength(cursor))
        return false;
    cursor.movePosition(QTextCursor::PreviousCharacter);
    return true;
}

void ViEngine::moveInView(EditViewBase *view, int op, int n)
{
    QTextCursor cursor = view->textCursor();
    if (!moveCursor(cursor, op, QTextCursor::MoveAnchor, n))
        return;
    clampToLine(cursor);
    view->setTextCursor(cursor);
}

void ViEngine::deleteChars(EditViewBase *view, int n)
{
    QString removed;
    view->deleteInLine(n, &removed);
    // Nothing deleted (already at the line's end or start) keeps what was
    // yanked before, and whether it was whole lines.
    if (removed.isEmpty())
        return;
    m_linewise = false;
    m_yankBuffer = removed;
    // The cursor may keep its position while a new character comes under it.
    view->onCursorPositionChanged();
}

void ViEngine::yankLines(EditViewBase *view, int n)
{
    m_linewise = true;
    m_yankBuffer.clear();
    QTextBlock block = view->textCursor().block();
    for (int i = 0; i < n && block.isValid(); ++i, block = block.next()) {
        if (i > 0)
            m_yankBuffer += QLatin1Char('\n');
        m_yankBuffer += block.text();
    }
}

void ViEngine::paste(EditViewBase *view, bool before)
{
    if (m_yankBuffer.isEmpty())
        return;
    // The document counts nested edit blocks, so opening the line joins the
    // insertion in one undo step.
    QTextCursor step = view->textCursor();
    step.beginEditBlock();
    QTextCursor cursor;
    if (m_linewise) {
        if (before)
            view->openLineAbove();
        else
            view->openLineBelow();
        cursor = view->textCursor();
        // The yanked lines carry their own indentation; the one copied
        // onto the new line would be added to it.
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    } else {
        cursor = view->textCursor();
        cursor.clearSelection();
        if (!before)
            moveCursor(cursor, RightInLine);
    }
    const int at = cursor.position();
    cursor.insertText(m_yankBuffer);
    cursor.setPosition(at);
    step.endEditBlock();
    view->setTextCursor(cursor);
    view->onCursorPositionChanged();
}

void ViEngine::undo(EditViewBase *view, int n)
{
    // Stop when the history runs out, however large the count.
    for (int i = 0; i < n && view->document()->isUndoAvailable(); ++i)
        view->undo();
    view->onCursorPositionChanged();
}

void ViEngine::redo(EditViewBase *view, int n)
{
    for (int i = 0; i < n && view->document()->isRedoAvailable(); ++i)
        view->redo();
    view->onCursorPositionChanged();
}

void ViEngine::processKeys(const QString &text, EditViewBase *view)
{
    if (!view)
        return;
    for (const QChar c : text)
        processKey(c, view);
}

void ViEngine::processKey(QChar c, EditViewBase *view)
{
    const bool countDigit = (c >= QLatin1Char('1') && c <= QLatin1Char('9'))
                            || (c == QLatin1Char('0') && m_repeatCount != 0);
    if (countDigit) {
        const qint64 count = qint64(m_repeatCount) * 10 + (c.unicode() - '0');
        m_repeatCount = int(qMin<qint64>(count, MaxRepeatCount));
        return;
    }
    if (m_repeatCount == 0)
        m_repeatCount = 1;

    if (m_pendingPrefix == 'g') {
        if (c == QLatin1Char('g')) {
            QTextCursor cursor = view->textCursor();
            if (cursor.movePosition(QTextCursor::Start)) {
                clampToLine(cursor);
                view->setTextCursor(cursor);
            }
        }
        // Anything else after `g` is swallowed.
    } else if (c == QLatin1Char('g')) {
        m_pendingPrefix = 'g';
        return;
    } else if (const ViCommand *command = findCommand(c)) {
        command->run(*this, view, m_repeatCount);
    }
    m_repeatCount = 0;
    m_pendingPrefix = 0;
}
