// Key handling of the editor widget and the editing commands it shares with
// the menus and the vi engine.
#include "editor/editviewbase.h"
#include "editor/virtualbreaks.h"

#include "editor/commandstatistics.h"
#include "editor/globalsettings.h"
#include "editor/modalkeyhandler.h"

#include <QDir>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Keys that keep their editing meaning in vi command mode.
bool passesViCommandMode(int key)
{
    switch (key) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

// The name under which a key press is counted; empty for none.
QString commandName(int key, Qt::KeyboardModifiers modifiers)
{
    const bool control = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    if (modifiers & Qt::AltModifier)
        return {};
    const char *name = nullptr;
    if (control && !shift) {
        switch (key) {
        case Qt::Key_A: name = "Edit.SelectAll"; break;
        case Qt::Key_Backspace: name = "Edit.WordBackspace"; break;
        case Qt::Key_Enter: name = "Edit.OpenNextLine"; break;
        case Qt::Key_Delete: name = "Edit.WordDelete"; break;
        case Qt::Key_Home: name = "Edit.StartOfDoc"; break;
        case Qt::Key_End: name = "Edit.EndOfDoc"; break;
        case Qt::Key_Left: name = "Edit.PrevWord"; break;
        case Qt::Key_Right: name = "Edit.NextWord"; break;
        default: break;
        }
    } else if (shift && !control) {
        switch (key) {
        case Qt::Key_Enter: name = "Edit.OpenPrevLine"; break;
        case Qt::Key_Home: name = "Edit.SelToStartOfBlock"; break;
        case Qt::Key_End: name = "Edit.SelToEndOfBlock"; break;
        case Qt::Key_Left: name = "Edit.SelLeft"; break;
        case Qt::Key_Up: name = "Edit.SelUp"; break;
        case Qt::Key_Right: name = "Edit.SelRight"; break;
        case Qt::Key_Down: name = "Edit.SelDown"; break;
        default: break;
        }
    } else if (!shift && !control) {
        switch (key) {
        case Qt::Key_Escape: name = "Edit.Escape"; break;
        case Qt::Key_Backspace: name = "Edit.Backspace"; break;
        case Qt::Key_Delete: name = "Edit.Delete"; break;
        case Qt::Key_Home: name = "Edit.StartOfBlock"; break;
        case Qt::Key_End: name = "Edit.EndOfBlock"; break;
        case Qt::Key_Left: name = "Edit.Left"; break;
        case Qt::Key_Right: name = "Edit.Right"; break;
        case Qt::Key_Up: name = "Edit.Up"; break;
        case Qt::Key_Down: name = "Edit.Down"; break;
        case Qt::Key_PageUp: name = "Edit.PageUp"; break;
        case Qt::Key_PageDown: name = "Edit.PageDown"; break;
        case Qt::Key_Tab: break;
        default: name = "Edit.InsNormalChar"; break;
        }
    }
    return name ? QString::fromLatin1(name) : QString();
}

// Escape: drop the selection, show where relative paths lead, and go back to
// vi command mode on the character before the cursor.
void runEscape(EditViewBase *view)
{
    recordCommand(QStringLiteral("Edit.Escape"));
    QTextCursor cursor = view->textCursor();
    if (cursor.hasSelection()) {
        cursor.clearSelection();
        view->setTextCursor(cursor);
    }
    emit view->showMessage(QStringLiteral("%1").arg(QDir::currentPath()));
    const GlobalSettings *settings = view->globalSettings();
    if (settings && settings->viEnabled && view->engine()) {
        // Visual mode ends with the cursor where vi had it, not one left.
        const bool fromVisual = view->engine()->isVisual();
        view->engine()->cancelPending();
        view->engine()->setMode(ModalKeyHandler::CommandMode);
        cursor = view->textCursor();
        if (!fromVisual && cursor.positionInBlock() > 0) {
            cursor.movePosition(QTextCursor::PreviousCharacter);
            view->setTextCursor(cursor);
        }
    }
    view->onCursorPositionChanged();
    view->restartCursorBlink();
}

} // namespace

int EditViewBase::tabColumns() const
{
    return settings ? qMax(settings->tabWidth, 1) : 1;
}

// Ctrl+Return is also the menu's shortcut for opening a line below; taken
// here, it reaches keyPressEvent and is counted like Shift+Return, which
// the text widget already keeps from the shortcut as typed text.
bool EditViewBase::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return && key->modifiers() == Qt::ControlModifier) {
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void EditViewBase::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();

    if (!(modifiers & Qt::ControlModifier) && viEngine && viEngine->takesKeys()
        && !passesViCommandMode(key)) {
        viEngine->processKeys(event->text(), this);
        event->accept();
        return;
    }

    if (key == Qt::Key_Escape
        && !(modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier))) {
        runEscape(this);
        event->accept();
        return;
    }
    const QString name = commandName(key, modifiers);
    if (!name.isEmpty())
        recordCommand(name);

    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && modifiers == Qt::NoModifier
        && deleteAcrossVirtualBreak(key == Qt::Key_Backspace)) {
        event->accept();
        return;
    }

    if (key == Qt::Key_Return) {
        if (modifiers == Qt::NoModifier) {
            recordCommand(QStringLiteral("Edit.InsEnter"));
            const QString indent = leadingIndent(textCursor());
            QTextCursor cursor = textCursor();
            cursor.beginEditBlock();
            cursor.insertText(QLatin1Char('\n') + indent);
            // White space that followed the cursor would add to the copied
            // indentation; it goes.
            const QString rest = cursor.block().text().mid(cursor.positionInBlock());
            int blanks = 0;
            while (blanks < rest.size() && rest.at(blanks).isSpace())
                ++blanks;
            if (blanks > 0) {
                cursor.setPosition(cursor.position() + blanks, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
            cursor.endEditBlock();
            setTextCursor(cursor);
            event->accept();
            return;
        }
        if (modifiers == Qt::ShiftModifier) {
            recordCommand(QStringLiteral("Edit.openLineAbove"));
            openLineAbove();
            event->accept();
            return;
        }
        if (modifiers == Qt::ControlModifier) {
            recordCommand(QStringLiteral("Edit.openLineBelow"));
            openLineBelow();
            event->accept();
            return;
        }
    }

    if (key == Qt::Key_Tab && modifiers == Qt::NoModifier) {
        QTextCursor cursor = textCursor();
        if (cursor.hasSelection()) {
            indentSelection();
            event->accept();
            return;
        }
        if (settings && settings->softTab) {
            const int width = tabColumns();
            cursor.insertText(QString(width - cursor.positionInBlock() % width, QLatin1Char(' ')));
            setTextCursor(cursor);
            event->accept();
            return;
        }
    }

    QPlainTextEdit::keyPressEvent(event);
}

QString EditViewBase::leadingIndent(const QTextCursor &cursor)
{
    const QString text = cursor.block().text();
    qsizetype n = 0;
    while (n < text.size() && (text.at(n) == QLatin1Char(' ') || text.at(n) == QLatin1Char('\t')))
        ++n;
    return text.left(n);
}

void EditViewBase::openLineBelow()
{
    // Below the file's line, however many pieces a long one is shown in,
    // with the indentation of its first piece.
    QTextBlock last = textCursor().block();
    while (VirtualBreaks::isContinuation(last.next()))
        last = last.next();
    QTextBlock first = textCursor().block();
    while (VirtualBreaks::isContinuation(first))
        first = first.previous();
    const QString indent = leadingIndent(QTextCursor(first));
    QTextCursor cursor(last);
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.beginEditBlock();
    cursor.insertText(QLatin1Char('\n') + indent);
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void EditViewBase::openLineAbove()
{
    // Above the file's line: from its first piece.
    QTextBlock first = textCursor().block();
    while (VirtualBreaks::isContinuation(first))
        first = first.previous();
    QTextCursor cursor(first);
    if (cursor.block().previous().isValid()) {
        // The new line takes the indentation of the line above it.
        cursor.movePosition(QTextCursor::PreviousBlock);
        setTextCursor(cursor);
        openLineBelow();
        return;
    }
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.insertText(QStringLiteral("\n"));
    cursor.movePosition(QTextCursor::PreviousBlock);
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void EditViewBase::indentSelection()
{
    const QTextCursor selection = textCursor();
    const int start = qMin(selection.position(), selection.anchor());
    int end = qMax(selection.position(), selection.anchor());
    const QString unit = settings && settings->softTab ? QString(tabColumns(), QLatin1Char(' '))
                                                       : QStringLiteral("\t");
    QTextCursor edit(document());
    edit.beginEditBlock();
    // A selection ending at the start of a line leaves that line alone; a
    // block that continues a long line is not a line of its own.
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        if (VirtualBreaks::isContinuation(block))
            continue;
        edit.setPosition(block.position());
        edit.insertText(unit);
        end += int(unit.size());
    }
    edit.endEditBlock();
}

void EditViewBase::jumpToMatchingBracket()
{
    static const QString brackets = QStringLiteral("{([})]");
    const QTextCursor cursor = textCursor();
    QTextBlock block = cursor.block();
    QString text = block.text();
    int i = cursor.positionInBlock();
    while (i < text.size() && !brackets.contains(text.at(i)))
        ++i;
    if (i >= text.size())
        return;
    const int kind = int(brackets.indexOf(text.at(i)));
    const bool forward = kind < 3;
    const QChar same = text.at(i);
    const QChar partner = brackets.at(forward ? kind + 3 : kind - 3);
    int depth = 1;
    for (;;) {
        i += forward ? 1 : -1;
        while (i < 0 || i >= text.size()) {
            block = forward ? block.next() : block.previous();
            if (!block.isValid())
                return;
            text = block.text();
            i = forward ? 0 : int(text.size()) - 1;
        }
        const QChar c = text.at(i);
        if (c == same)
            ++depth;
        else if (c == partner && --depth == 0)
            break;
    }
    QTextCursor target(document());
    target.setPosition(block.position() + i);
    setTextCursor(target);
    viewport()->update();
}

void EditViewBase::deleteInLine(int count, QString *removed)
{
    if (removed)
        removed->clear();
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        const qint64 position = cursor.position();
        const qint64 column = cursor.positionInBlock();
        const qint64 lineEnd = cursor.block().position() + cursor.block().length() - 1;
        qint64 other = position;
        if (count > 0)
            other = qMin(position + count, lineEnd);
        else if (count < 0)
            other = qMax(position + count, position - column);
        if (other == position)
            return;
        cursor.setPosition(int(other), QTextCursor::KeepAnchor);
    }
    if (removed)
        *removed = cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

// A virtual break is not in the text: Backspace at the start of a block that
// continues a line deletes the character before the break, Delete at the end
// of a block that a continuation follows the character behind it. The two
// blocks join; a line that is still too long is cut again after a pause.
bool EditViewBase::deleteAcrossVirtualBreak(bool backward)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        return false;
    const auto crossesBreak = [&] {
        return backward ? cursor.atBlockStart() && VirtualBreaks::isContinuation(cursor.block())
                        : cursor.atBlockEnd() && VirtualBreaks::isContinuation(cursor.block().next());
    };
    if (!crossesBreak())
        return false;
    const QTextCursor::MoveOperation step =
            backward ? QTextCursor::PreviousCharacter : QTextCursor::NextCharacter;
    cursor.beginEditBlock();
    while (crossesBreak())
        cursor.movePosition(step, QTextCursor::KeepAnchor);
    cursor.movePosition(step, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
    setTextCursor(cursor);
    return true;
}
