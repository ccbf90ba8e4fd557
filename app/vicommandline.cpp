#include "app/vicommandline.h"

#include <QKeyEvent>

ViCommandLine::ViCommandLine(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("viCommandLine"));
    setFrame(false);
    hide();
}

void ViCommandLine::start(const QString &start, const QStringList &history)
{
    m_prefix = start.left(1);
    m_history = history;
    m_historyIndex = -1;
    setText(start);
    show();
    setFocus(Qt::OtherFocusReason);
    end(false);
}

void ViCommandLine::finish(bool accepted)
{
    if (isHidden())
        return;
    const QString line = text();
    hide();
    if (accepted)
        emit submitted(line);
    else
        emit cancelled();
}

void ViCommandLine::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish(true);
        return;
    case Qt::Key_Escape:
        finish(false);
        return;
    case Qt::Key_Backspace:
        if (text().size() <= 1) {
            finish(false);
            return;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (m_history.isEmpty())
            return;
        if (m_historyIndex < 0)
            m_typed = text().mid(1);
        const int step = event->key() == Qt::Key_Up ? 1 : -1;
        m_historyIndex = std::clamp(m_historyIndex + step, -1, int(m_history.size()) - 1);
        setText(m_prefix + (m_historyIndex < 0 ? m_typed : m_history.at(m_historyIndex)));
        return;
    }
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
    // The leading character stays.
    if (!text().startsWith(m_prefix)) {
        setText(m_prefix + text());
        setCursorPosition(1);
    }
}

void ViCommandLine::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Clicking elsewhere leaves the line as Escape does.
    if (event->reason() != Qt::PopupFocusReason)
        finish(false);
}
