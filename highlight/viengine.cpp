// The vi engine's mode, key grammar, registers, editing commands and `.`.
// Motions and text objects are in viengine_motions.cpp, the command line in
// viengine_ex.cpp.
#include "highlight/viengine.h"

#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

bool isWordChar(QChar c)
{
    return (c.unicode() < 256 && c.isLetterOrNumber()) || c == QLatin1Char('_');
}

bool isOperatorKey(QChar c)
{
    return c == QLatin1Char('d') || c == QLatin1Char('c') || c == QLatin1Char('y')
           || c == QLatin1Char('>') || c == QLatin1Char('<');
}

// The first block of the file's line `block` belongs to, and the last.
QTextBlock lineFirst(QTextBlock block)
{
    while (VirtualBreaks::isContinuation(block) && block.previous().isValid())
        block = block.previous();
    return block;
}

QTextBlock lineLast(QTextBlock block)
{
    while (VirtualBreaks::isContinuation(block.next()))
        block = block.next();
    return block;
}

int firstNonBlankOf(const QTextBlock &block)
{
    QTextCursor c(block);
    ViEngine::moveCursor(c, ViEngine::FirstNonBlank);
    ViEngine::clampToLine(c);
    return c.position();
}

} // namespace

QString ViEngine::realTextOf(const QTextDocument *doc, int start, int end)
{
    QString text;
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        if (block.position() > start && !VirtualBreaks::isContinuation(block))
            text += QLatin1Char('\n');
        const int from = std::max(start - block.position(), 0);
        const int to = std::min(end - block.position(), block.length() - 1);
        if (to > from)
            text += QStringView(block.text()).mid(from, to - from);
    }
    return text;
}

ViEngine::ViEngine(QObject *parent)
    : ModalKeyHandler(parent)
{
}

void ViEngine::setMode(uchar m)
{
    if (m == m_mode)
        return;
    const uchar old = m_mode;
    if (old == InsertMode)
        finishInsert();
    m_mode = m;
    if ((old == VisualMode || old == VisualLineMode) && m != VisualMode && m != VisualLineMode) {
        // The selection shown for visual mode goes; the cursor stays where vi had it.
        for (auto it = m_views.begin(); it != m_views.end(); ++it) {
            auto *view = const_cast<EditViewBase *>(it.key());
            if (it->cursor >= 0 && view->textCursor().position() == it->shownPosition) {
                QTextCursor c(view->document());
                c.setPosition(std::min(it->cursor, view->document()->characterCount() - 1));
                view->setTextCursor(c);
            }
            it->anchor = it->cursor = -1;
        }
    }
    m_inModeChange = true;
    emit modeChanged(m);
    m_inModeChange = false;
}

void ViEngine::cancelPending()
{
    m_pendingPrefix = 0;
    m_repeatCount = 0;
    m_countTyped = false;
    m_opCount = 0;
    m_operator.clear();
    m_awaiting = QChar();
    m_register = QChar();
    m_keys.clear();
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

// ---------------------------------------------------------------------------
// Registers

ViEngine::Register ViEngine::registerContents(QChar name) const
{
    if (name.isNull() || name == QLatin1Char('"'))
        return {m_yankBuffer, m_linewise};
    if (name == QLatin1Char('+') || name == QLatin1Char('*')) {
        Register r;
        if (const QClipboard *clipboard = QGuiApplication::clipboard())
            r.text = clipboard->text();
        r.text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        // Whole lines travel through the clipboard with their last line break.
        if (r.text.endsWith(QLatin1Char('\n'))) {
            r.text.chop(1);
            r.linewise = true;
        }
        return r;
    }
    return m_registers.value(name.toLower());
}

void ViEngine::storeRegister(const QString &text, bool linewise, bool yank)
{
    const QChar name = m_register;
    m_register = QChar();
    if (name == QLatin1Char('_'))
        return;
    Register stored{text, linewise};
    if (name.isUpper()) {
        Register &reg = m_registers[name.toLower()];
        if (reg.linewise || linewise)
            reg.text += (reg.text.isEmpty() && !reg.linewise ? QString() : QStringLiteral("\n")) + text;
        else
            reg.text += text;
        reg.linewise = reg.linewise || linewise;
        stored = reg;
    } else if (name.isLower()) {
        m_registers[name] = stored;
    } else if (name == QLatin1Char('+') || name == QLatin1Char('*')) {
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            clipboard->setText(linewise ? text + QLatin1Char('\n') : text);
    } else if (yank) {
        m_registers[QLatin1Char('0')] = stored;
    }
    m_yankBuffer = stored.text;
    m_linewise = stored.linewise;
}

ViEngine::Register ViEngine::pasteRegister() const
{
    return registerContents(m_register);
}

// ---------------------------------------------------------------------------
// Editing commands

void ViEngine::deleteChars(EditViewBase *view, int n)
{
    QString removed;
    view->deleteInLine(n, &removed);
    // Nothing deleted (already at the line's end or start) keeps what was
    // yanked before, and whether it was whole lines.
    if (removed.isEmpty())
        return;
    storeRegister(removed, false, false);
    // The cursor may keep its position while a new character comes under it.
    view->onCursorPositionChanged();
}

void ViEngine::yankLines(EditViewBase *view, int n)
{
    QString text;
    QTextBlock block = lineFirst(view->textCursor().block());
    for (int i = 0; i < n && block.isValid(); ++i) {
        const QTextBlock last = lineLast(block);
        if (i > 0)
            text += QLatin1Char('\n');
        text += realTextOf(view->document(), block.position(), last.position() + last.length() - 1);
        block = last.next();
    }
    storeRegister(text, true, true);
}

void ViEngine::paste(EditViewBase *view, bool before)
{
    const Register reg = pasteRegister();
    m_register = QChar();
    pasteRegisterText(view, reg, before);
}

void ViEngine::pasteRegisterText(EditViewBase *view, const Register &reg, bool before)
{
    if (reg.text.isEmpty())
        return;
    // The document counts nested edit blocks, so opening the line joins the
    // insertion in one undo step.
    QTextCursor step = view->textCursor();
    step.beginEditBlock();
    QTextCursor cursor;
    if (reg.linewise) {
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
    cursor.insertText(reg.text);
    cursor.setPosition(at);
    step.endEditBlock();
    view->setTextCursor(cursor);
    view->onCursorPositionChanged();
}

void ViEngine::undo(EditViewBase *view, int n)
{
    QTextDocument *doc = view->document();
    // Stop when the history runs out, however large the count.
    for (int i = 0; i < n && doc->isUndoAvailable(); ++i) {
        int steps = 1;
        if (!m_undoGroups.isEmpty() && m_undoGroups.last().document == doc
            && m_undoGroups.last().atSteps == doc->availableUndoSteps()) {
            UndoGroup group = m_undoGroups.takeLast();
            steps = group.steps;
            group.atSteps -= group.steps;
            m_redoGroups.append(group);
        }
        for (int k = 0; k < steps && doc->isUndoAvailable(); ++k)
            view->undo();
    }
    view->onCursorPositionChanged();
}

void ViEngine::redo(EditViewBase *view, int n)
{
    QTextDocument *doc = view->document();
    for (int i = 0; i < n && doc->isRedoAvailable(); ++i) {
        int steps = 1;
        if (!m_redoGroups.isEmpty() && m_redoGroups.last().document == doc
            && m_redoGroups.last().atSteps == doc->availableUndoSteps()) {
            UndoGroup group = m_redoGroups.takeLast();
            steps = group.steps;
            group.atSteps += group.steps;
            m_undoGroups.append(group);
        }
        for (int k = 0; k < steps && doc->isRedoAvailable(); ++k)
            view->redo();
    }
    view->onCursorPositionChanged();
}

void ViEngine::replaceChars(EditViewBase *view, QChar with, int n)
{
    QTextCursor cursor = view->textCursor();
    cursor.clearSelection();
    // Like vi: not enough characters left in the line, nothing replaced.
    if (lineLength(cursor) - cursor.positionInBlock() < n)
        return;
    const int at = cursor.position();
    cursor.beginEditBlock();
    cursor.setPosition(at + n, QTextCursor::KeepAnchor);
    cursor.insertText(QString(n, with));
    cursor.endEditBlock();
    cursor.setPosition(at + n - 1);
    view->setTextCursor(cursor);
    view->onCursorPositionChanged();
}

void ViEngine::joinLines(EditViewBase *view, int n)
{
    QTextDocument *doc = view->document();
    QTextCursor cursor(doc);
    const QTextBlock first = lineLast(view->textCursor().block());
    if (!first.next().isValid())
        return;
    cursor.beginEditBlock();
    QTextBlock block = first;
    int joinAt = -1;
    for (int i = 0; i < std::max(n - 1, 1) && block.next().isValid(); ++i) {
        const QTextBlock next = block.next();
        const QTextBlock nextLast = lineLast(next);
        const QString nextText = next.text();
        int blanks = 0;
        while (blanks < nextText.size()
               && (nextText.at(blanks) == QLatin1Char(' ') || nextText.at(blanks) == QLatin1Char('\t')))
            ++blanks;
        const int lineEnd = block.position() + block.length() - 1;
        const QString text = block.text();
        const bool endsBlank = !text.isEmpty() && (text.endsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char('\t')));
        const bool space = !text.isEmpty() && !endsBlank && blanks < nextText.size()
                           && nextText.at(blanks) != QLatin1Char(')');
        cursor.setPosition(lineEnd);
        cursor.setPosition(next.position() + blanks, QTextCursor::KeepAnchor);
        cursor.insertText(space ? QStringLiteral(" ") : QString());
        joinAt = space ? lineEnd : std::max(lineEnd - (endsBlank ? 1 : 0), block.position());
        block = nextLast == next ? doc->findBlock(lineEnd) : lineLast(doc->findBlock(lineEnd));
    }
    cursor.endEditBlock();
    QTextCursor at(doc);
    at.setPosition(joinAt);
    clampToLine(at);
    view->setTextCursor(at);
}

void ViEngine::toggleCase(EditViewBase *view, int n)
{
    QTextCursor cursor = view->textCursor();
    cursor.clearSelection();
    const int available = lineLength(cursor) - cursor.positionInBlock();
    if (available <= 0)
        return;
    const int start = cursor.position();
    changeCase(view, start, start + std::min(n, available), '~');
    cursor.setPosition(start + std::min(n, available));
    clampToLine(cursor);
    view->setTextCursor(cursor);
}

void ViEngine::changeCase(EditViewBase *view, int start, int end, char how)
{
    QTextCursor cursor(view->document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    for (QChar &c : text) {
        if (how == 'u')
            c = c.toLower();
        else if (how == 'U')
            c = c.toUpper();
        else
            c = c.isUpper() ? c.toLower() : c.toUpper();
    }
    if (text == cursor.selectedText())
        return;
    // Line ends are kept: only the characters between them change.
    cursor.beginEditBlock();
    const QStringList pieces = text.split(QChar::ParagraphSeparator);
    int at = start;
    for (const QString &piece : pieces) {
        cursor.setPosition(at);
        cursor.setPosition(at + int(piece.size()), QTextCursor::KeepAnchor);
        cursor.insertText(piece);
        at += int(piece.size()) + 1;
    }
    cursor.endEditBlock();
}

void ViEngine::shiftLines(EditViewBase *view, int firstBlock, int lastBlock, bool right)
{
    QTextDocument *doc = view->document();
    const GlobalSettings *settings = view->globalSettings();
    const int width = view->tabColumns();
    const QString unit = settings && settings->softTab ? QString(width, QLatin1Char(' ')) : QStringLiteral("\t");
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (QTextBlock block = doc->findBlockByNumber(firstBlock);
         block.isValid() && block.blockNumber() <= lastBlock; block = block.next()) {
        if (VirtualBreaks::isContinuation(block) || block.length() <= 1)
            continue;
        cursor.setPosition(block.position());
        if (right) {
            cursor.insertText(unit);
            continue;
        }
        // One tab, or up to a tab stop's worth of blanks.
        const QString text = block.text();
        int n = 0;
        if (!text.isEmpty() && text.at(0) == QLatin1Char('\t'))
            n = 1;
        else
            while (n < width && n < text.size() && text.at(n) == QLatin1Char(' '))
                ++n;
        cursor.setPosition(block.position() + n, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
    view->setTextCursor(QTextCursor(doc->findBlockByNumber(firstBlock)));
    moveInView(view, FirstNonBlank, 1);
}

// One operator over a range: [start, end) of characters, or with `linewise`
// the whole lines from the one of `start` to the one of `end`.
void ViEngine::operate(EditViewBase *view, const QString &op, int start, int end, bool linewise,
                       int cursorAfter)
{
    QTextDocument *doc = view->document();
    const int docEnd = doc->characterCount() - 1;
    if (linewise) {
        const QTextBlock first = lineFirst(doc->findBlock(start));
        const QTextBlock last = lineLast(doc->findBlock(end));
        start = first.position();
        end = last.position() + last.length() - 1;
        if (op == QLatin1String(">") || op == QLatin1String("<")) {
            shiftLines(view, first.blockNumber(), last.blockNumber(), op == QLatin1String(">"));
            return;
        }
    }
    if (end < start)
        return;
    const QString text = realTextOf(doc, start, end);
    QTextCursor cursor(doc);
    if (op == QLatin1String("y")) {
        storeRegister(text, linewise, true);
        cursor.setPosition(linewise ? std::min(cursorAfter, view->textCursor().position()) : start);
        clampToLine(cursor);
        view->setTextCursor(cursor);
        return;
    }
    if (op.startsWith(QLatin1Char('g'))) {
        changeCase(view, start, end, op.at(1).toLatin1());
        cursor.setPosition(linewise ? std::min(cursorAfter, start) : start);
        if (linewise)
            cursor.setPosition(firstNonBlankOf(cursor.block()));
        clampToLine(cursor);
        view->setTextCursor(cursor);
        return;
    }
    if (op == QLatin1String(">") || op == QLatin1String("<")) {
        shiftLines(view, doc->findBlock(start).blockNumber(), doc->findBlock(end).blockNumber(),
                   op == QLatin1String(">"));
        return;
    }
    const bool change = op == QLatin1String("c");
    storeRegister(text, linewise, false);
    cursor.beginEditBlock();
    if (linewise && change) {
        const QString indent = EditViewBase::leadingIndent(QTextCursor(doc->findBlock(start)));
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.insertText(indent);
    } else if (linewise) {
        // The line break after the lines goes with them; at the end of the
        // document the one before them does.
        if (end < docEnd)
            ++end;
        else if (start > 0)
            --start;
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        cursor.setPosition(firstNonBlankOf(doc->findBlock(std::min(start == 0 ? 0 : start + 1,
                                                                    doc->characterCount() - 1))));
    } else {
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
    if (linewise && !change && start > 0 && end >= docEnd) {
        // Deleted at the end: the cursor goes to the new last line.
        cursor.setPosition(firstNonBlankOf(doc->lastBlock()));
    }
    if (!change)
        clampToLine(cursor);
    view->setTextCursor(cursor);
    if (change)
        startInsert(view, 1);
    else
        view->onCursorPositionChanged();
}

// ---------------------------------------------------------------------------
// Insert and `.`

void ViEngine::startInsert(EditViewBase *view, int repeat)
{
    if (m_replaying) {
        // A repeated change types what was typed the first time, without
        // leaving command mode.
        QTextCursor cursor = view->textCursor();
        const QString text = m_lastChange.inserted;
        if (!text.isEmpty()) {
            const qint64 copies = std::min<qint64>(repeat, std::max<qint64>(1, 10000000 / text.size()));
            cursor.insertText(text.repeated(copies));
        }
        if (cursor.positionInBlock() > 0)
            cursor.movePosition(QTextCursor::PreviousCharacter);
        view->setTextCursor(cursor);
        return;
    }
    m_insertView = view;
    m_insertUndoBase = std::min(m_commandUndoBase, view->document()->availableUndoSteps());
    m_insertStart = view->textCursor().position();
    m_insertLength = view->document()->characterCount();
    m_insertRepeat = repeat;
    m_insertForChange = true;
    enterInsertMode(view);
}

void ViEngine::finishInsert()
{
    EditViewBase *view = m_insertView;
    m_insertView = nullptr;
    const bool forChange = m_insertForChange;
    m_insertForChange = false;
    if (!view)
        return;
    QTextCursor cursor = view->textCursor();
    const int grown = view->document()->characterCount() - m_insertLength;
    const int typed = cursor.position() - m_insertStart;
    QString text;
    // Typed at one place: the document grew by what lies before the cursor.
    if (grown > 0 && typed == grown)
        text = realTextOf(view->document(), m_insertStart, cursor.position());
    if (forChange)
        m_lastChange.inserted = text;
    if (m_insertRepeat > 1 && !text.isEmpty()) {
        // A count typed before the insert repeats the text, within reason.
        const qint64 copies = std::min<qint64>(m_insertRepeat - 1,
                                               std::max<qint64>(1, 10000000 / text.size()));
        cursor.insertText(text.repeated(copies));
        view->setTextCursor(cursor);
    }
    QTextDocument *doc = view->document();
    m_redoGroups.clear();
    const int steps = doc->availableUndoSteps() - m_insertUndoBase;
    if (steps > 1) {
        m_undoGroups.append({doc, doc->availableUndoSteps(), steps});
        // Old groups of closed documents or far back in the history go.
        if (m_undoGroups.size() > 200)
            m_undoGroups.removeFirst();
    }
}

void ViEngine::repeatLastChange(EditViewBase *view, int count)
{
    if (m_lastChange.keys.isEmpty())
        return;
    const int n = count > 0 ? count : m_lastChange.count;
    const QString keys = (n > 0 ? QString::number(n) : QString()) + m_lastChange.keys;
    cancelPending();
    m_replaying = true;
    QTextCursor step(view->document());
    step.beginEditBlock();
    for (const QChar c : keys)
        processKey(c, view);
    step.endEditBlock();
    m_replaying = false;
    cancelPending();
    if (count > 0)
        m_lastChange.count = count;
}

// ---------------------------------------------------------------------------
// Visual mode

ViEngine::ViewState &ViEngine::stateOf(EditViewBase *view)
{
    auto it = m_views.find(view);
    if (it == m_views.end()) {
        connect(view, &QObject::destroyed, this, [this, view] { m_views.remove(view); });
        it = m_views.insert(view, ViewState());
    }
    return *it;
}

int ViEngine::viCursor(EditViewBase *view)
{
    const QTextCursor tc = view->textCursor();
    if (!isVisual())
        return tc.position();
    ViewState &s = stateOf(view);
    if (s.cursor < 0 || tc.anchor() != s.shownAnchor || tc.position() != s.shownPosition) {
        // Moved by other means (the mouse, a search): follow the view.
        if (tc.hasSelection()) {
            s.anchor = tc.anchor();
            s.cursor = tc.position() > tc.anchor() ? tc.position() - 1 : tc.position();
        } else {
            s.cursor = tc.position();
            if (s.anchor < 0)
                s.anchor = s.cursor;
        }
        const int last = std::max(view->document()->characterCount() - 2, 0);
        s.anchor = std::min(s.anchor, last);
        s.cursor = std::min(s.cursor, last);
    }
    return s.cursor;
}

void ViEngine::setViCursor(EditViewBase *view, int position)
{
    QTextCursor c(view->document());
    c.setPosition(std::clamp(position, 0, view->document()->characterCount() - 1));
    clampToLine(c);
    if (isVisual()) {
        stateOf(view).cursor = c.position();
        showVisual(view);
        return;
    }
    view->setTextCursor(c);
}

void ViEngine::enterVisual(EditViewBase *view, uchar m)
{
    if (m_mode == m) {
        leaveVisual(view);
        return;
    }
    if (!isVisual()) {
        QTextCursor c = view->textCursor();
        c.clearSelection();
        clampToLine(c);
        ViewState &s = stateOf(view);
        s.anchor = s.cursor = c.position();
    } else {
        viCursor(view);
    }
    setMode(m);
    showVisual(view);
}

void ViEngine::leaveVisual(EditViewBase *view)
{
    const int at = viCursor(view);
    setMode(CommandMode);
    QTextCursor c(view->document());
    c.setPosition(at);
    view->setTextCursor(c);
    view->onCursorPositionChanged();
}

void ViEngine::showVisual(EditViewBase *view)
{
    ViewState &s = stateOf(view);
    QTextDocument *doc = view->document();
    const int docEnd = doc->characterCount() - 1;
    int lo = std::min(s.anchor, s.cursor);
    int hi = std::max(s.anchor, s.cursor);
    if (m_mode == VisualLineMode) {
        lo = lineFirst(doc->findBlock(lo)).position();
        const QTextBlock last = lineLast(doc->findBlock(hi));
        hi = last.position() + last.length() - 1;
    } else {
        hi = std::min(hi + 1, docEnd);
    }
    QTextCursor c(doc);
    if (s.cursor >= s.anchor) {
        c.setPosition(lo);
        c.setPosition(hi, QTextCursor::KeepAnchor);
    } else {
        c.setPosition(hi);
        c.setPosition(lo, QTextCursor::KeepAnchor);
    }
    view->setTextCursor(c);
    s.shownAnchor = c.anchor();
    s.shownPosition = c.position();
}

// ---------------------------------------------------------------------------
// Key grammar

void ViEngine::processKeys(const QString &text, EditViewBase *view)
{
    if (!view)
        return;
    for (const QChar c : text)
        processKey(c, view);
}

int ViEngine::takeCount()
{
    const qint64 n = qint64(std::max(m_opCount, 1)) * (m_countTyped ? std::max(m_repeatCount, 1) : 1);
    return int(std::min<qint64>(n, MaxRepeatCount));
}

void ViEngine::clampMessage(EditViewBase *view)
{
    emit view->showMessage(tr("Count limited to %1").arg(MaxRepeatCount));
}

void ViEngine::finishCommand(bool change)
{
    if (change)
        m_redoGroups.clear();  // a new change ends what could be redone
    if (change && !m_replaying) {
        m_lastChange = Change();
        m_lastChange.keys = m_keys;
        m_lastChange.count = countTyped() ? takeCount() : 0;
        m_lastChange.inserts = m_mode == InsertMode;
    }
    cancelPending();
}

void ViEngine::processKey(QChar c, EditViewBase *view)
{
    if (m_awaiting == QLatin1Char(':') || m_awaiting == QLatin1Char('/') || m_awaiting == QLatin1Char('?')) {
        // A key for the view while the command line is open drops it.
        cancelPending();
    }
    if (m_keys.isEmpty() && m_pendingPrefix == 0 && m_operator.isEmpty() && m_awaiting.isNull()
        && !m_replaying)
        m_commandUndoBase = view->document()->availableUndoSteps();
    if (!m_awaiting.isNull()) {
        m_keys += c;
        handleArgument(c, view);
        return;
    }
    const bool countDigit = m_pendingPrefix == 0
                            && ((c >= QLatin1Char('1') && c <= QLatin1Char('9'))
                                || (c == QLatin1Char('0') && m_countTyped));
    if (countDigit) {
        const qint64 count = (m_countTyped ? qint64(m_repeatCount) * 10 : 0) + (c.unicode() - '0');
        if (count > MaxRepeatCount && m_repeatCount < MaxRepeatCount)
            clampMessage(view);
        m_repeatCount = int(qMin<qint64>(count, MaxRepeatCount));
        m_countTyped = true;
        return;
    }
    if (m_repeatCount == 0)
        m_repeatCount = 1;

    if (m_pendingPrefix == 'g') {
        m_pendingPrefix = 0;
        m_keys += c;
        const QString op = QStringLiteral("g") + c;
        if (c == QLatin1Char('g')) {
            Motion m;
            if (countTyped()) {
                m = lineMotion(view, takeCount());
            } else {
                m.ok = true;
                m.position = 0;
                m.linewise = true;
            }
            if (!m_operator.isEmpty())
                applyOperator(view, viCursor(view), m);
            else
                applyMotion(view, m);
            finishCommand(!m_operator.isEmpty() && m_operator != QLatin1String("y"));
        } else if (c == QLatin1Char('~') || c == QLatin1Char('u') || c == QLatin1Char('U')) {
            if (isVisual()) {
                runVisualCommand(c == QLatin1Char('~') ? c : c, view);
                return;
            }
            if (m_operator == op) {
                runCommand(c, view);  // g~g~ as g~~
                return;
            }
            if (m_operator.isEmpty()) {
                m_operator = op;
                m_opCount = m_countTyped ? m_repeatCount : 0;
                m_repeatCount = 0;
                m_countTyped = false;
                return;
            }
            finishCommand(false);
        } else {
            finishCommand(false);  // anything else after `g` is swallowed
        }
        return;
    }
    if (c == QLatin1Char('g')) {
        m_pendingPrefix = 'g';
        m_keys += c;
        return;
    }
    if (c == QLatin1Char('"')) {
        m_awaiting = c;
        return;
    }
    m_keys += c;
    if (isVisual())
        runVisualCommand(c, view);
    else
        runCommand(c, view);
}

bool ViEngine::handleArgument(QChar c, EditViewBase *view)
{
    const QChar kind = m_awaiting;
    m_awaiting = QChar();
    if (kind == QLatin1Char('"')) {
        m_keys.chop(1);
        const bool valid = c.isLetterOrNumber() || c == QLatin1Char('"') || c == QLatin1Char('+')
                           || c == QLatin1Char('*') || c == QLatin1Char('_');
        if (valid && c.unicode() < 128)
            m_register = c;
        else
            cancelPending();
        return valid;
    }
    if (c == QChar(0x1b) || (c.unicode() < 32 && c != QLatin1Char('\t'))) {
        cancelPending();
        return false;
    }
    const int n = takeCount();
    const int from = viCursor(view);
    if (kind == QLatin1Char('r')) {
        if (isVisual()) {
            QTextCursor sel = view->textCursor();
            const int start = sel.selectionStart();
            const int end = sel.selectionEnd();
            const QString repeat = visualRepeatKeys(view, start, std::max(end - 1, start),
                                                    m_mode == VisualLineMode);
            setMode(CommandMode);
            QTextCursor cursor(view->document());
            cursor.beginEditBlock();
            for (QTextBlock b = view->document()->findBlock(start); b.isValid() && b.position() <= end;
                 b = b.next()) {
                const int a = std::max(start, b.position());
                const int z = std::min(end, b.position() + b.length() - 1);
                if (z <= a)
                    continue;
                cursor.setPosition(a);
                cursor.setPosition(z, QTextCursor::KeepAnchor);
                cursor.insertText(QString(z - a, c));
            }
            cursor.endEditBlock();
            setViCursor(view, start);
            finishCommand(false);
            rememberVisualChange(repeat + QLatin1Char('r') + c);
            return true;
        }
        replaceChars(view, c, n);
        finishCommand(true);
        return true;
    }
    if (kind == QLatin1Char('i') || kind == QLatin1Char('a')) {
        applyTextObject(view, kind, c);
        return true;
    }
    // f F t T
    m_findKind = kind;
    m_findChar = c;
    const Motion m = findInLineFrom(view, from, kind, c, n, false);
    if (!m_operator.isEmpty()) {
        const bool change = m_operator != QLatin1String("y");
        applyOperator(view, from, m);
        finishCommand(change && m.ok);
    } else {
        applyMotion(view, m);
        finishCommand(false);
    }
    return m.ok;
}

void ViEngine::applyMotion(EditViewBase *view, const Motion &m)
{
    if (!m.ok)
        return;
    if (isVisual()) {
        setViCursor(view, m.position);
        return;
    }
    QTextCursor c(view->document());
    if (m.keepColumn) {
        c = view->textCursor();
        c.clearSelection();
        moveLines(c, view->document()->findBlock(m.position).blockNumber() - c.blockNumber());
    } else {
        c.setPosition(m.position);
    }
    clampToLine(c);
    view->setTextCursor(c);
}

void ViEngine::applyOperator(EditViewBase *view, int from, const Motion &m)
{
    if (!m.ok)
        return;
    const QString op = m_operator;
    if (m.linewise) {
        operate(view, op, std::min(from, m.position), std::max(from, m.position), true,
                std::min(from, m.position));
        return;
    }
    QTextDocument *doc = view->document();
    int s = std::min(from, m.position);
    int e = std::max(from, m.position);
    if (m.inclusive)
        e = std::min(e + 1, doc->characterCount() - 1);
    // An exclusive motion that ends at the start of a later line stops at
    // the end of the line before: `dw` on a line's last word keeps the break.
    const QTextBlock endBlock = doc->findBlock(e);
    if (!m.inclusive && e > s && endBlock.position() == e && endBlock != doc->findBlock(s))
        e -= 1;
    operate(view, op, s, e, false, s);
}

void ViEngine::runCommand(QChar c, EditViewBase *view)
{
    const int from = view->textCursor().position();
    const char key = c == QLatin1Char('\n') ? '\r' : (c.unicode() < 128 ? char(c.unicode()) : 0);

    if (!m_operator.isEmpty()) {
        const QString op = m_operator;
        const bool change = op != QLatin1String("y");
        const bool doubled = (op.size() == 1 && op.at(0) == c)
                             || (op.size() == 2 && (op.at(1) == c || (op.at(1) == QLatin1Char('~') && c == QLatin1Char('~'))));
        if (doubled) {
            QTextBlock first = lineFirst(view->textCursor().block());
            QTextBlock last = first;
            // However large the count, no further than the last line.
            for (int i = 1, n = takeCount(); i < n; ++i) {
                const QTextBlock next = lineLast(last).next();
                if (!next.isValid())
                    break;
                last = next;
            }
            operate(view, op, first.position(), lineLast(last).position(), true, from);
            finishCommand(change);
            return;
        }
        if (key == 'i' || key == 'a') {
            m_awaiting = c;
            return;
        }
        if (key == '/' || key == '?') {
            m_awaiting = c;
            emit commandLineRequested(QString(c));
            return;
        }
        if (key == 'f' || key == 'F' || key == 't' || key == 'T') {
            m_awaiting = c;
            return;
        }
        if (isMotionKey(c)) {
            const Motion m = motion(c, view, from, takeCount(), true);
            applyOperator(view, from, m);
            finishCommand(change && m.ok);
            return;
        }
        finishCommand(false);
        return;
    }

    const int n = m_countTyped ? m_repeatCount : 1;
    if (isOperatorKey(c)) {
        m_operator = QString(c);
        m_opCount = m_countTyped ? m_repeatCount : 0;
        m_repeatCount = 0;
        m_countTyped = false;
        return;
    }
    switch (key) {
    case 'f': case 'F': case 't': case 'T': case 'r':
        m_awaiting = c;
        return;
    case '/': case '?':
        m_awaiting = c;
        emit commandLineRequested(QString(c));
        return;
    case ':':
        m_awaiting = c;
        emit commandLineRequested(countTyped() && n > 1 ? QStringLiteral(":.,.+%1").arg(n - 1)
                                                        : QStringLiteral(":"));
        return;
    default:
        break;
    }
    if (key == '\r') {
        QTextCursor cursor = view->textCursor();
        if (moveCursor(cursor, QTextCursor::NextBlock)) {
            moveCursor(cursor, FirstNonBlank);
            clampToLine(cursor);
            view->setTextCursor(cursor);
        }
        finishCommand(false);
        return;
    }
    if (key == 'j' || key == 'k') {
        QTextCursor cursor = view->textCursor();
        if (moveLines(cursor, key == 'j' ? n : -n)) {
            clampToLine(cursor);
            view->setTextCursor(cursor);
        }
        finishCommand(false);
        return;
    }
    if (isMotionKey(c)) {
        applyMotion(view, motion(c, view, from, n, false));
        finishCommand(false);
        return;
    }

    bool change = false;
    QTextCursor cursor = view->textCursor();
    switch (key) {
    case 'i':
        startInsert(view, n);
        change = true;
        break;
    case 'a':
        // Not clamped: appending after the last character is the point.
        moveCursor(cursor, RightInLine);
        view->setTextCursor(cursor);
        startInsert(view, n);
        change = true;
        break;
    case 'A':
        moveCursor(cursor, QTextCursor::EndOfBlock);
        view->setTextCursor(cursor);
        startInsert(view, n);
        change = true;
        break;
    case 'I':
        moveCursor(cursor, FirstNonBlank);
        view->setTextCursor(cursor);
        startInsert(view, n);
        change = true;
        break;
    case 'o':
        view->openLineBelow();
        startInsert(view, 1);
        change = true;
        break;
    case 'O':
        view->openLineAbove();
        startInsert(view, 1);
        change = true;
        break;
    case 'x':
        deleteChars(view, n);
        change = true;
        break;
    case 'X':
        deleteChars(view, -n);
        change = true;
        break;
    case 's':
        m_operator = QStringLiteral("c");
        applyOperator(view, from, motion(QLatin1Char('l'), view, from, n, true));
        change = true;
        break;
    case 'S':
    case 'C':
    case 'D': {
        m_operator = QString(QLatin1Char(key == 'D' ? 'd' : 'c'));
        if (key == 'S') {
            runCommand(QLatin1Char('c'), view);  // cc with the count
            return;
        }
        Motion m = motion(QLatin1Char('$'), view, from, 1, true);
        if (n > 1) {
            const Motion down = lineMotion(view, view->realLineNumber(cursor.block()) + n - 1);
            QTextBlock b = lineLast(view->document()->findBlock(down.position));
            m.position = b.position() + b.length() - 1;
        }
        applyOperator(view, from, m);
        change = true;
        break;
    }
    case 'Y':
        yankLines(view, n);
        break;
    case 'p':
        paste(view, false);
        change = true;
        break;
    case 'P':
        paste(view, true);
        change = true;
        break;
    case 'J':
        joinLines(view, n);
        change = true;
        break;
    case '~':
        toggleCase(view, n);
        change = true;
        break;
    case 'u':
        undo(view, n);
        break;
    case 'U':
        redo(view, n);
        break;
    case '.':
        repeatLastChange(view, m_countTyped ? m_repeatCount : 0);
        return;
    case 'v':
        finishCommand(false);
        enterVisual(view, VisualMode);
        return;
    case 'V':
        finishCommand(false);
        enterVisual(view, VisualLineMode);
        return;
    default:
        break;
    }
    finishCommand(change);
}

void ViEngine::runVisualCommand(QChar c, EditViewBase *view)
{
    const char key = c == QLatin1Char('\n') ? '\r' : (c.unicode() < 128 ? char(c.unicode()) : 0);
    const int n = m_countTyped ? m_repeatCount : 1;
    ViewState &s = stateOf(view);
    const int at = viCursor(view);
    switch (key) {
    case 'v':
        finishCommand(false);
        enterVisual(view, VisualMode);
        return;
    case 'V':
        finishCommand(false);
        enterVisual(view, VisualLineMode);
        return;
    case 'o':
        std::swap(s.anchor, s.cursor);
        showVisual(view);
        finishCommand(false);
        return;
    case 'f': case 'F': case 't': case 'T': case 'i': case 'a': case 'r':
        m_awaiting = c;
        return;
    case '/': case '?':
        m_awaiting = c;
        emit commandLineRequested(QString(c));
        return;
    case ':': {
        const QTextDocument *doc = view->document();
        const int first = view->realLineNumber(doc->findBlock(std::min(s.anchor, s.cursor)));
        const int last = view->realLineNumber(doc->findBlock(std::max(s.anchor, s.cursor)));
        leaveVisual(view);
        m_awaiting = c;
        emit commandLineRequested(QStringLiteral(":%1,%2").arg(first).arg(last));
        return;
    }
    default:
        break;
    }
    if (key == 'j' || key == 'k' || isMotionKey(c)) {
        applyMotion(view, motion(c, view, at, n, false));
        finishCommand(false);
        return;
    }

    // Operators act on the selection at once.
    QString op;
    bool lines = m_mode == VisualLineMode;
    switch (key) {
    case 'd': case 'x': op = QStringLiteral("d"); break;
    case 'X': case 'D': op = QStringLiteral("d"); lines = true; break;
    case 'c': case 's': op = QStringLiteral("c"); break;
    case 'S': case 'C': case 'R': op = QStringLiteral("c"); lines = true; break;
    case 'y': op = QStringLiteral("y"); break;
    case 'Y': op = QStringLiteral("y"); lines = true; break;
    case '>': case '<': op = QString(c); lines = true; break;
    case '~': op = QStringLiteral("g~"); break;
    case 'u': op = QStringLiteral("gu"); break;
    case 'U': op = QStringLiteral("gU"); break;
    case 'J': case 'p': case 'P': break;
    default:
        finishCommand(false);
        return;
    }
    const int lo = std::min(s.anchor, s.cursor);
    const int hi = std::max(s.anchor, s.cursor);
    const int docEnd = view->document()->characterCount() - 1;
    if (key == 'J') {
        const QTextDocument *doc = view->document();
        const int count = doc->findBlock(hi).blockNumber() - doc->findBlock(lo).blockNumber() + 1;
        const QString repeat = visualRepeatKeys(view, lo, hi, true) + c;
        leaveVisual(view);
        setViCursor(view, lo);
        joinLines(view, std::max(count, 2));
        finishCommand(false);
        rememberVisualChange(repeat);
        return;
    }
    if (key == 'p' || key == 'P') {
        // The selection is replaced by the register; what it held is kept
        // in the unnamed register, as vi does.
        const Register reg = pasteRegister();
        m_register = QChar();
        const bool wasLines = m_mode == VisualLineMode;
        leaveVisual(view);
        operate(view, QStringLiteral("d"), lo, wasLines ? hi : std::min(hi + 1, docEnd), wasLines, lo);
        const QTextCursor left = view->textCursor();
        if (wasLines) {
            // Lines deleted at the end of the document: the cursor went up.
            const bool atEnd = left.block().position() < lo && !left.block().next().isValid();
            if (!reg.linewise) {
                if (atEnd)
                    view->openLineBelow();
                else
                    view->openLineAbove();
                pasteRegisterText(view, reg, true);
            } else {
                pasteRegisterText(view, reg, !atEnd);
            }
        } else {
            // At a line's end the cursor went back onto the last character.
            pasteRegisterText(view, reg, left.position() == lo);
        }
        finishCommand(false);
        return;
    }
    // Before the operator: a change's typed text is stored with it when the
    // insert ends.
    if (op != QLatin1String("y"))
        rememberVisualChange(visualRepeatKeys(view, lo, hi, lines) + c);
    leaveVisual(view);
    m_operator = op;
    operate(view, op, lo, lines ? hi : std::min(hi + 1, docEnd), lines, lo);
    finishCommand(false);
}

// The keys that select, from wherever the cursor then is, as much as the
// selection [lo, hi] holds: as many lines; within one line as many
// characters, over several lines down to the same column of the last line.
QString ViEngine::visualRepeatKeys(EditViewBase *view, int lo, int hi, bool lines) const
{
    const QTextDocument *doc = view->document();
    const QTextBlock first = doc->findBlock(lo);
    const QTextBlock last = doc->findBlock(hi);
    const int down = last.blockNumber() - first.blockNumber();
    QString keys = lines ? QStringLiteral("V") : QStringLiteral("v");
    if (down > 0)
        keys += QString::number(down) + QLatin1Char('j');
    if (lines)
        return keys;
    int right = hi - lo;
    if (down > 0) {
        keys += QLatin1Char('0');
        right = hi - last.position();
    }
    if (right > 0)
        keys += QString::number(right) + QLatin1Char('l');
    return keys;
}

void ViEngine::rememberVisualChange(const QString &keys)
{
    if (m_replaying)
        return;
    m_lastChange = Change();
    m_lastChange.keys = keys;
}
