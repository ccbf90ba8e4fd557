#include "app/messagebar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

MessageBar::MessageBar(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("messageBar"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(1);
    hide();
}

void MessageBar::post(QObject *owner, const QString &key, const QString &text,
                      const QStringList &choices, Answer answer)
{
    if (owner && !m_followed.contains(owner)) {
        m_followed.insert(owner);
        connect(owner, &QObject::destroyed, this, [this](QObject *gone) {
            m_followed.remove(gone);
            m_messages.remove(gone);
            if (m_current == gone)
                m_current = nullptr;
            rebuild();
        });
    }
    QList<Message> &list = m_messages[owner];
    Message message{m_nextId++, key, text, choices, std::move(answer)};
    auto same = std::find_if(list.begin(), list.end(), [&](const Message &m) {
        return !key.isEmpty() && m.key == key;
    });
    if (same != list.end())
        *same = std::move(message);
    else
        list.append(std::move(message));
    if (!owner || owner == m_current)
        rebuild();
}

void MessageBar::withdraw(QObject *owner, const QString &key)
{
    auto it = m_messages.find(owner);
    if (it == m_messages.end())
        return;
    const auto removed = it->removeIf([&](const Message &m) { return m.key == key; });
    if (removed && (!owner || owner == m_current))
        rebuild();
}

bool MessageBar::has(QObject *owner, const QString &key) const
{
    const QList<Message> list = m_messages.value(owner);
    return std::any_of(list.cbegin(), list.cend(), [&](const Message &m) { return m.key == key; });
}

QStringList MessageBar::texts(QObject *owner) const
{
    QStringList result;
    for (const Message &m : m_messages.value(owner))
        result << m.text;
    return result;
}

void MessageBar::setCurrentOwner(QObject *owner)
{
    if (owner == m_current)
        return;
    m_current = owner;
    rebuild();
}

void MessageBar::finish(QObject *owner, int id, int choice)
{
    auto it = m_messages.find(owner);
    if (it == m_messages.end())
        return;
    const auto found = std::find_if(it->begin(), it->end(), [id](const Message &m) { return m.id == id; });
    if (found == it->end())
        return;
    const Answer answer = found->answer;
    it->erase(found);
    rebuild();
    if (answer)
        answer(choice);
}

void MessageBar::rebuild()
{
    // Rows go later: this may run inside a click on one of their buttons.
    for (QWidget *row : std::as_const(m_rows)) {
        row->hide();
        row->setParent(nullptr);
        row->deleteLater();
    }
    m_rows.clear();
    const auto addRows = [this](QObject *owner) {
        for (const Message &m : m_messages.value(owner)) {
            // Alt and the marked letter answer the top message; one set
            // of letters, so that the same letter never means two rows.
            QWidget *row = makeRow(owner, m, m_rows.isEmpty());
            m_layout->addWidget(row);
            m_rows.append(row);
        }
    };
    addRows(nullptr);
    if (m_current)
        addRows(m_current);
    setVisible(!m_rows.isEmpty());
}

namespace {

// A label as it shows on a row that has no keys: "&Reload" and
// "再読み込み(&R)" lose the mark, "&&" stays one '&'.
QString withoutMnemonic(QString text)
{
    static const QRegularExpression inParentheses(QStringLiteral("\\s*\\(&[^&]\\)"));
    text.remove(inParentheses);
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            plain += text.at(i);
        } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
            plain += QLatin1String("&&");
            ++i;
        }
    }
    return plain;
}

} // namespace

QWidget *MessageBar::makeRow(QObject *owner, const Message &message, bool withKeys)
{
    auto *row = new QFrame(this);
    row->setFrameShape(QFrame::StyledPanel);
    row->setAutoFillBackground(true);
    row->setBackgroundRole(QPalette::ToolTipBase);
    row->setForegroundRole(QPalette::ToolTipText);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 3, 6, 3);
    auto *label = new QLabel(message.text, row);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::ToolTipText);
    layout->addWidget(label, 1);
    const QStringList choices =
        message.choices.isEmpty() ? QStringList{tr("&Dismiss")} : message.choices;
    const int id = message.id;
    for (int i = 0; i < choices.size(); ++i) {
        auto *button = new QPushButton(withKeys ? choices[i] : withoutMnemonic(choices[i]), row);
        // The focus stays in the text, so that no key typed there (Space,
        // Return, a letter) answers; Alt with the marked letter does.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        const int choice = message.choices.isEmpty() ? -1 : i;
        connect(button, &QPushButton::clicked, this,
                [this, owner, id, choice] { finish(owner, id, choice); });
        layout->addWidget(button);
    }
    return row;
}
