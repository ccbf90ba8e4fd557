#pragma once

#include <QLineEdit>
#include <QStringList>

// The vi command line in the status bar: `:` commands and `/` `?` searches.
// It opens with its leading character typed, keeps that character (Backspace
// over it, like Escape, leaves the line) and steps through a history with
// Up and Down.
class ViCommandLine : public QLineEdit
{
    Q_OBJECT
public:
    explicit ViCommandLine(QWidget *parent = nullptr);

    // Shows the line with `start` in it and takes the focus; `history` is
    // offered newest first.
    void start(const QString &start, const QStringList &history);

signals:
    // Return: the whole text, with its leading character.
    void submitted(const QString &text);
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void finish(bool accepted);

    QStringList m_history;
    int m_historyIndex = -1;
    QString m_prefix;  // the leading character
    QString m_typed;   // what was typed before stepping into the history
};
