#pragma once

#include <QObject>
#include <QString>
#include <QTextCursor>

class EditViewBase;

// The one vi engine of the main window, shared by all views. Mode 0 is
// command mode, 1 insert mode. The count being typed, the `g` prefix and the
// yank buffer belong to the window, not to a view: a count typed in one view
// and finished in another applies there, and a yank in one document can be
// pasted in another.
class ViEngine : public QObject
{
    Q_OBJECT
public:
    enum Mode : uchar { CommandMode = 0, InsertMode = 1 };

    // Cursor operations of the engine's own, numbered clear of
    // QTextCursor::MoveOperation. They stay within the cursor's line.
    enum LineOperation {
        LeftInLine = 100,
        RightInLine = 101,
        FirstNonBlank = 102,
        WordStart = 103,  // back over the letters, digits and '_' before the cursor
    };

    // Typed counts stop growing here: no command needs more, and a long run of
    // digits must neither overflow nor make a command run for ages.
    static constexpr int MaxRepeatCount = 9999999;

    explicit ViEngine(QObject *parent = nullptr);

    uchar mode() const { return m_mode; }
    // True only while modeChanged() is being emitted; guards against the
    // input-method notification that closing the IME sends back at once.
    bool inModeChange() const { return m_inModeChange; }
    char pendingPrefix() const { return m_pendingPrefix; }
    int repeatCount() const { return m_repeatCount; }
    bool linewise() const { return m_linewise; }
    QString yankBuffer() const { return m_yankBuffer; }

    void setMode(uchar m);

    // Carries out the characters of one key event's text as commands.
    void processKeys(const QString &text, EditViewBase *view);
    void enterInsertMode(EditViewBase *view);

    // A standard operation is QTextCursor::movePosition; the LineOperation
    // values always succeed.
    static bool moveCursor(QTextCursor &cursor, int op,
                           QTextCursor::MoveMode moveMode = QTextCursor::MoveAnchor, int n = 1);
    // Puts a cursor that stands past the last character of its line onto
    // that character; true when it moved.
    static bool clampToLine(QTextCursor &cursor);
    // n lines down (up when negative), keeping the cursor's x position like
    // QTextCursor::Down and Up; false, with the cursor unchanged, when there
    // are not that many lines. Only the two lines involved are laid out.
    static bool moveLines(QTextCursor &cursor, int n);
    // Length of the cursor's line without trailing line-break characters.
    static int lineLength(const QTextCursor &cursor);

    // The commands behind the table keys; n is the repeat count.
    void moveInView(EditViewBase *view, int op, int n);
    void deleteChars(EditViewBase *view, int n);
    void yankLines(EditViewBase *view, int n);
    void paste(EditViewBase *view, bool before);
    void undo(EditViewBase *view, int n);
    void redo(EditViewBase *view, int n);

signals:
    void modeChanged(uchar mode);

private:
    void processKey(QChar c, EditViewBase *view);

    uchar m_mode = CommandMode;
    bool m_inModeChange = false;
    char m_pendingPrefix = 0;
    int m_repeatCount = 0;
    bool m_linewise = false;
    QString m_yankBuffer;
};
