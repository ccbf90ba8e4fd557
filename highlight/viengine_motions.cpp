// Motions and text objects of the vi engine.
#include "highlight/viengine.h"

#include "editor/editviewbase.h"
#include "editor/virtualbreaks.h"
#include "highlight/vitext.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

bool ViEngine::isMotionKey(QChar c) const
{
    static const QString keys = QStringLiteral("hl jk0^$\r\n+-wbeWBEG%{}HML;,nN*#");
    return keys.contains(c);
}

ViEngine::Motion ViEngine::lineMotion(EditViewBase *view, int line)
{
    const QTextDocument *doc = view->document();
    const int lines = view->realLineNumber(doc->lastBlock());
    line = std::clamp(line, 1, std::max(lines, 1));
    const VirtualBreaks *breaks = view->virtualBreaks();
    const QTextBlock block = breaks && breaks->hasBreaks() ? breaks->blockOfRealLine(line)
                                                           : doc->findBlockByNumber(line - 1);
    QTextCursor c(block);
    moveCursor(c, FirstNonBlank);
    clampToLine(c);
    Motion m;
    m.ok = block.isValid();
    m.position = c.position();
    m.linewise = true;
    return m;
}

ViEngine::Motion ViEngine::findInLineFrom(EditViewBase *view, int from, QChar kind, QChar target,
                                          int n, bool repeat)
{
    Motion m;
    const QTextBlock block = view->document()->findBlock(from);
    const QString text = block.text();
    const int column = from - block.position();
    const bool forward = kind == QLatin1Char('f') || kind == QLatin1Char('t');
    const bool till = kind == QLatin1Char('t') || kind == QLatin1Char('T');
    // Repeating a `t` that already stands before its character goes on to the next one.
    int i = column + (forward ? 1 : -1);
    if (repeat && till)
        i += forward ? 1 : -1;
    int found = -1;
    for (int left = n; i >= 0 && i < text.size(); i += forward ? 1 : -1) {
        if (text.at(i) == target && --left == 0) {
            found = i;
            break;
        }
    }
    if (found < 0)
        return m;
    if (till)
        found += forward ? -1 : 1;
    m.ok = true;
    m.position = block.position() + found;
    m.inclusive = forward;
    return m;
}

ViEngine::Motion ViEngine::motion(QChar c, EditViewBase *view, int from, int n, bool forOperator)
{
    QTextDocument *doc = view->document();
    const int docEnd = doc->characterCount() - 1;
    QTextCursor cursor(doc);
    cursor.setPosition(std::clamp(from, 0, docEnd));
    Motion m;
    m.ok = true;
    const auto lastCharOf = [&](int pos) {
        // A motion on its own comes to rest on a character, not behind the last.
        QTextCursor c2(doc);
        c2.setPosition(pos);
        clampToLine(c2);
        return c2.position();
    };
    switch (c.unicode()) {
    case 'h':
        moveCursor(cursor, LeftInLine, QTextCursor::MoveAnchor, n);
        m.position = cursor.position();
        m.ok = m.position != from || !forOperator;
        return m;
    case 'l':
    case ' ':
        moveCursor(cursor, RightInLine, QTextCursor::MoveAnchor, n);
        m.position = forOperator ? cursor.position() : lastCharOf(cursor.position());
        return m;
    case 'j':
    case 'k': {
        if (!isVisual() && !forOperator && view->textCursor().position() == from)
            cursor = view->textCursor();
        cursor.clearSelection();
        m.ok = moveLines(cursor, c == QLatin1Char('j') ? n : -n);
        m.position = cursor.position();
        m.linewise = true;
        m.keepColumn = true;
        return m;
    }
    case '+':
    case '-': {
        QTextBlock b = cursor.block();
        for (int i = 0; i < n && b.isValid(); ++i)
            b = c == QLatin1Char('+') ? b.next() : b.previous();
        m.ok = b.isValid();
        if (m.ok) {
            QTextCursor t(b);
            moveCursor(t, FirstNonBlank);
            m.position = lastCharOf(t.position());
        }
        m.linewise = true;
        return m;
    }
    case '\r':
    case '\n':
        m.ok = moveCursor(cursor, QTextCursor::NextBlock);
        moveCursor(cursor, FirstNonBlank);
        m.position = cursor.position();
        m.linewise = true;
        return m;
    case '0':
        moveCursor(cursor, QTextCursor::StartOfBlock);
        m.position = cursor.position();
        return m;
    case '^':
        moveCursor(cursor, FirstNonBlank);
        m.position = forOperator ? cursor.position() : lastCharOf(cursor.position());
        return m;
    case '$':
        moveCursor(cursor, QTextCursor::EndOfBlock);
        m.position = forOperator ? cursor.position() : lastCharOf(cursor.position());
        return m;
    case 'w':
    case 'W': {
        const bool big = c == QLatin1Char('W');
        if (forOperator && m_operator == QLatin1String("c") && ViText::charClass(doc->characterAt(from), big) != 0) {
            // `cw` keeps the blanks after the word: it is `ce`.
            m.position = ViText::wordEndForChange(doc, from, n, big);
            m.inclusive = true;
            return m;
        }
        m.position = ViText::nextWordStart(doc, from, n, big);
        if (!forOperator)
            m.position = lastCharOf(m.position);
        return m;
    }
    case 'e':
    case 'E':
        m.position = ViText::nextWordEnd(doc, from, n, c == QLatin1Char('E'));
        m.inclusive = true;
        return m;
    case 'b':
    case 'B':
        m.position = ViText::previousWordStart(doc, from, n, c == QLatin1Char('B'));
        m.ok = m.position != from || !forOperator;
        return m;
    case 'G':
        return lineMotion(view, countTyped() ? n : view->realLineNumber(doc->lastBlock()));
    case '%': {
        if (countTyped()) {
            const qint64 lines = view->realLineNumber(doc->lastBlock());
            return lineMotion(view, int((std::min(n, 100) * lines + 99) / 100));
        }
        // The view's bracket jump, then its cursor is put back.
        const QTextCursor saved = view->textCursor();
        view->setTextCursor(cursor);
        view->jumpToMatchingBracket();
        const int to = view->textCursor().position();
        view->setTextCursor(saved);
        m.ok = to != from;
        m.position = to;
        m.inclusive = true;
        return m;
    }
    case '{':
    case '}':
        m.position = ViText::paragraphBoundary(doc, from, n, c == QLatin1Char('}'));
        if (!forOperator)
            m.position = lastCharOf(m.position);
        return m;
    case 'H':
    case 'M':
    case 'L': {
        const QWidget *port = view->viewport();
        QTextBlock top = view->cursorForPosition(QPoint(0, 0)).block();
        QTextBlock bottom = view->cursorForPosition(QPoint(0, port->height() - 1)).block();
        QTextBlock b;
        if (c == QLatin1Char('M')) {
            b = doc->findBlockByNumber((top.blockNumber() + bottom.blockNumber()) / 2);
        } else {
            b = c == QLatin1Char('H') ? top : bottom;
            for (int i = 1; i < n && b != (c == QLatin1Char('H') ? bottom : top); ++i)
                b = c == QLatin1Char('H') ? b.next() : b.previous();
        }
        QTextCursor t(b);
        moveCursor(t, FirstNonBlank);
        m.position = lastCharOf(t.position());
        m.linewise = true;
        return m;
    }
    case ';':
    case ',': {
        if (m_findKind.isNull())
            return Motion();
        QChar kind = m_findKind;
        if (c == QLatin1Char(','))
            kind = kind.isUpper() ? kind.toLower() : kind.toUpper();
        return findInLineFrom(view, from, kind, m_findChar, n, true);
    }
    case 'n':
    case 'N':
        if (m_searchPattern.isEmpty()) {
            emit view->showMessage(tr("No previous search pattern"));
            return Motion();
        }
        return searchMotion(view, from, m_searchPattern, m_searchBackward != (c == QLatin1Char('N')), n);
    case '*':
    case '#': {
        const ViText::Span word = ViText::wordObject(doc, from, 1, false, false);
        QString text;
        if (word.isValid() && word.end > word.start)
            text = realTextOf(doc, word.start, word.end);
        if (text.trimmed().isEmpty() || ViText::charClass(text.at(0), false) == 1) {
            emit view->showMessage(tr("No word under the cursor"));
            return Motion();
        }
        QString pattern = QRegularExpression::escape(text);
        if (ViText::charClass(text.at(0), false) == 2)
            pattern = QStringLiteral("\\b") + pattern + QStringLiteral("\\b");
        rememberSearch(view, pattern, c == QLatin1Char('#'));
        // From the word's start, so that `#` does not find the word itself.
        return searchMotion(view, c == QLatin1Char('#') ? word.start : from, pattern,
                            c == QLatin1Char('#'), n);
    }
    default:
        return Motion();
    }
}

void ViEngine::applyTextObject(EditViewBase *view, QChar kind, QChar object)
{
    const QTextDocument *doc = view->document();
    const bool around = kind == QLatin1Char('a');
    const int n = takeCount();
    const int from = viCursor(view);
    ViText::Span span;
    bool linewise = false;
    switch (object.unicode()) {
    case 'w':
    case 'W':
        span = ViText::wordObject(doc, from, n, object == QLatin1Char('W'), around);
        break;
    case '"':
    case '\'':
    case '`':
        span = ViText::quoteObject(doc, from, object, around);
        break;
    case '(': case ')': case 'b':
        span = ViText::bracketObject(doc, from, QLatin1Char('('), QLatin1Char(')'), n, around);
        break;
    case '{': case '}': case 'B':
        span = ViText::bracketObject(doc, from, QLatin1Char('{'), QLatin1Char('}'), n, around);
        break;
    case '[': case ']':
        span = ViText::bracketObject(doc, from, QLatin1Char('['), QLatin1Char(']'), n, around);
        break;
    case '<': case '>':
        span = ViText::bracketObject(doc, from, QLatin1Char('<'), QLatin1Char('>'), n, around);
        break;
    case 't':
        span = ViText::tagObject(doc, from, n, around, nullptr);
        break;
    case 'p': {
        // A paragraph: the run of non-empty lines around the cursor.
        QTextBlock first = doc->findBlock(from);
        QTextBlock last = first;
        const bool empty = first.length() == 1;
        while (first.previous().isValid() && (first.previous().length() == 1) == empty)
            first = first.previous();
        while (last.next().isValid() && (last.next().length() == 1) == empty)
            last = last.next();
        if (around)
            while (last.next().isValid() && last.next().length() == 1)
                last = last.next();
        span = {first.position(), last.position()};
        linewise = true;
        break;
    }
    default:
        break;
    }
    if (!span.isValid()) {
        finishCommand(false);
        return;
    }
    if (isVisual()) {
        ViewState &s = stateOf(view);
        if (linewise && m_mode != VisualLineMode)
            setMode(VisualLineMode);
        s.anchor = span.start;
        s.cursor = linewise ? span.end : std::max(span.end - 1, span.start);
        showVisual(view);
        finishCommand(false);
        return;
    }
    if (m_operator.isEmpty()) {
        finishCommand(false);
        return;
    }
    const bool change = m_operator != QLatin1String("y");
    operate(view, m_operator, span.start, span.end, linewise, span.start);
    finishCommand(change);
}
