#pragma once

#include <QFrame>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class QVBoxLayout;

// A strip above the documents for what the user has to see or decide while
// the typing goes on: problems found in a file, a file changed on disk, a
// file that could not be opened. A message belongs to one document view (it
// shows while that view is the current one) or, without an owner, to the
// window. It stays until answered or dismissed. Its buttons never take the
// keyboard focus, so keys meant for the text never answer a question; the
// top message's buttons answer to Alt and their marked letter, which no menu
// of the window uses.
class MessageBar : public QFrame
{
    Q_OBJECT
public:
    // Called with the index of the choice taken, or -1 when a message without
    // choices was dismissed.
    using Answer = std::function<void(int choice)>;

    explicit MessageBar(QWidget *parent = nullptr);

    // Adds a message; a message of the same owner and a non-empty `key` is
    // replaced. With `choices` it shows one button for each (the first being
    // the safe answer), without them a button that dismisses it. Choices mark
    // their letter with '&', clear of the menus' letters.
    void post(QObject *owner, const QString &key, const QString &text,
              const QStringList &choices = {}, Answer answer = {});
    // Takes the message away without an answer.
    void withdraw(QObject *owner, const QString &key);
    bool has(QObject *owner, const QString &key) const;
    // The texts waiting for `owner` (nullptr: the window's own).
    QStringList texts(QObject *owner) const;

    // The owner whose messages are shown along with the window's.
    void setCurrentOwner(QObject *owner);
    QObject *currentOwner() const { return m_current; }

private:
    struct Message {
        int id = 0;
        QString key;
        QString text;
        QStringList choices;
        Answer answer;
    };

    void finish(QObject *owner, int id, int choice);
    void rebuild();
    QWidget *makeRow(QObject *owner, const Message &message, bool withKeys);

    QHash<QObject *, QList<Message>> m_messages;
    QSet<QObject *> m_followed;  // owners whose destruction is watched
    QObject *m_current = nullptr;
    QVBoxLayout *m_layout;
    QList<QWidget *> m_rows;
    int m_nextId = 1;
};
