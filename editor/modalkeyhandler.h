#pragma once

#include <QObject>
#include <QString>

class EditViewBase;

// What the editor widget needs of a handler that takes keys as commands in
// some modes (the vi engine): whether a key goes to it, handing it the keys,
// and leaving a mode with Escape. The view knows the handler only through
// this class, so the editor core builds on nothing that builds on it.
class ModalKeyHandler : public QObject
{
    Q_OBJECT
public:
    enum Mode : uchar { CommandMode = 0, InsertMode = 1, VisualMode = 2, VisualLineMode = 3 };

    explicit ModalKeyHandler(QObject *parent = nullptr);
    ~ModalKeyHandler() override;

    virtual uchar mode() const = 0;
    // Keys go to the handler, not to the text.
    virtual bool takesKeys() const = 0;
    virtual bool isVisual() const = 0;
    virtual void setMode(uchar m) = 0;
    // Forgets a command half typed (Escape).
    virtual void cancelPending() = 0;
    // Carries out the characters of one key event's text as commands.
    virtual void processKeys(const QString &text, EditViewBase *view) = 0;

signals:
    void modeChanged(uchar mode);
};
