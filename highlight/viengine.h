#pragma once

#include "editor/modalkeyhandler.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>

class EditViewBase;
class QTextDocument;

// The one vi engine of the main window, shared by all views. The count being
// typed, the pending operator, the registers, the last change, search and
// character find belong to the window: a count typed in one view and
// finished in another applies there, and a yank in one document can be
// pasted in another. What belongs to one view (the visual selection's
// anchor, where an insert began) is kept per view.
//
// The engine reaches the editor only through the view's public operations;
// what only the window can do (save, close, open) it asks for by signal.
class ViEngine final : public ModalKeyHandler
{
    Q_OBJECT
public:
    // Cursor operations of the engine's own, numbered clear of
    // QTextCursor::MoveOperation. They stay within the cursor's line.
    enum LineOperation {
        LeftInLine = 100,
        RightInLine = 101,
        FirstNonBlank = 102,
        WordStart = 103,  // back over the letters, digits and '_' before the cursor
    };

    // What a `:` command asks of the window.
    enum WindowRequest {
        Write,           // :w
        Quit,            // :q, refused while the document is modified
        ForceQuit,       // :q!, the changes are dropped
        WriteQuit,       // :wq
        WriteIfModifiedQuit,  // :x
        Edit,            // :e FILE
    };

    // Typed counts stop growing here: no command needs more, and a long run of
    // digits must neither overflow nor make a command run for ages.
    static constexpr int MaxRepeatCount = 1000000;

    struct Register {
        QString text;
        bool linewise = false;
    };

    explicit ViEngine(QObject *parent = nullptr);

    uchar mode() const override { return m_mode; }
    // Keys go to the engine, not to the text: command and visual modes.
    bool takesKeys() const override { return m_mode != InsertMode; }
    bool isVisual() const override { return m_mode == VisualMode || m_mode == VisualLineMode; }
    // True only while modeChanged() is being emitted; guards against the
    // input-method notification that closing the IME sends back at once.
    bool inModeChange() const { return m_inModeChange; }
    char pendingPrefix() const { return m_pendingPrefix; }
    int repeatCount() const { return m_repeatCount; }
    // The unnamed register.
    bool linewise() const { return m_linewise; }
    QString yankBuffer() const { return m_yankBuffer; }
    // A register by its vi name: '"' the unnamed one, 'a'-'z', '0' the last
    // yank, '+' and '*' the system clipboard.
    Register registerContents(QChar name) const;

    void setMode(uchar m) override;
    // Forgets a count, operator or prefix half typed (Escape).
    void cancelPending() override;

    // Carries out the characters of one key event's text as commands.
    void processKeys(const QString &text, EditViewBase *view) override;
    void enterInsertMode(EditViewBase *view);

    // The text of the command line, with its leading ':', '/' or '?', once
    // the user pressed Return in it.
    void executeCommandLine(const QString &line, EditViewBase *view);
    // The command line was left with Escape.
    void cancelCommandLine();
    // Earlier `:` commands, newest first.
    QStringList commandHistory() const { return m_commandHistory; }

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
    // Show the command line with `start` (":", "/", "?", ":'<,'>") in it.
    void commandLineRequested(const QString &start);
    void windowRequest(EditViewBase *view, int request, const QString &argument);

private:
    // Where a motion leads and how an operator takes it.
    struct Motion {
        bool ok = false;
        int position = 0;
        bool linewise = false;
        bool inclusive = false;
        bool keepColumn = false;  // j and k: the x position is kept by moveLines
    };
    struct ViewState {
        int anchor = -1;  // visual mode: where the selection began
        int cursor = -1;  // visual mode: the vi cursor, on a character
        int shownAnchor = -1;  // the selection last put on the view
        int shownPosition = -1;
    };
    struct Change {
        QString keys;     // without counts
        int count = 0;    // 0: none typed
        QString inserted;
        bool inserts = false;
    };

    void processKey(QChar c, EditViewBase *view);
    bool handleArgument(QChar c, EditViewBase *view);
    void runCommand(QChar c, EditViewBase *view);
    void runVisualCommand(QChar c, EditViewBase *view);
    void finishCommand(bool change);
    int takeCount();
    bool countTyped() const { return m_countTyped || m_opCount > 0; }
    void clampMessage(EditViewBase *view);

    // Motions (viengine_motions.cpp).
    Motion motion(QChar c, EditViewBase *view, int from, int n, bool forOperator);
    Motion findInLineFrom(EditViewBase *view, int from, QChar kind, QChar target, int n, bool repeat);
    Motion searchMotion(EditViewBase *view, int from, const QString &pattern, bool backward, int n,
                        bool quiet = false);
    Motion lineMotion(EditViewBase *view, int line);
    bool isMotionKey(QChar c) const;
    void applyMotion(EditViewBase *view, const Motion &m);
    void applyOperator(EditViewBase *view, int from, const Motion &m);
    void applyTextObject(EditViewBase *view, QChar kind, QChar object);
    void operate(EditViewBase *view, const QString &op, int start, int end, bool linewise,
                 int cursorAfter);

    // Registers and editing commands.
    void storeRegister(const QString &text, bool linewise, bool yank);
    Register pasteRegister() const;
    void pasteRegisterText(EditViewBase *view, const Register &reg, bool before);
    void replaceChars(EditViewBase *view, QChar with, int n);
    void joinLines(EditViewBase *view, int n);
    void toggleCase(EditViewBase *view, int n);
    void shiftLines(EditViewBase *view, int firstBlock, int lastBlock, bool right);
    void changeCase(EditViewBase *view, int start, int end, char how);
    void repeatLastChange(EditViewBase *view, int count);
    void startInsert(EditViewBase *view, int repeat);
    void finishInsert();

    // Visual mode.
    void enterVisual(EditViewBase *view, uchar m);
    void leaveVisual(EditViewBase *view);
    QString visualRepeatKeys(EditViewBase *view, int lo, int hi, bool lines) const;
    // `.` after a visual change selects as much again from the cursor.
    void rememberVisualChange(const QString &keys);
    void showVisual(EditViewBase *view);
    ViewState &stateOf(EditViewBase *view);
    int viCursor(EditViewBase *view);
    void setViCursor(EditViewBase *view, int position);

    // Command line (viengine_ex.cpp).
    void runExCommand(const QString &command, EditViewBase *view);
    void substitute(EditViewBase *view, int firstLine, int lastLine, const QString &arguments);
    void rememberSearch(EditViewBase *view, const QString &pattern, bool backward);
    // The text between two positions as the file has it: real line breaks
    // as '\n', virtual ones left out.
    static QString realTextOf(const QTextDocument *doc, int start, int end);

    uchar m_mode = CommandMode;
    bool m_inModeChange = false;
    char m_pendingPrefix = 0;
    int m_repeatCount = 0;
    bool m_countTyped = false;
    int m_opCount = 0;
    QString m_operator;
    QChar m_awaiting;         // f F t T r " i a, or ':' '/' '?' while the command line is open
    QChar m_register;         // chosen with "x for the next command
    QString m_keys;           // the current command's keys, for `.`
    bool m_linewise = false;
    QString m_yankBuffer;
    QHash<QChar, Register> m_registers;
    QChar m_findKind;         // last f F t T
    QChar m_findChar;
    QString m_searchPattern;
    bool m_searchBackward = false;
    Change m_lastChange;
    bool m_replaying = false;
    QStringList m_commandHistory;

    // The insert in progress: typed text is what the document grew by
    // between its start and the cursor.
    QPointer<EditViewBase> m_insertView;
    int m_insertStart = -1;
    int m_insertLength = 0;
    int m_insertRepeat = 1;
    bool m_insertForChange = false;

    QHash<const EditViewBase *, ViewState> m_views;

    // A change and the text typed for it take several undo steps of the
    // document; `u` and `U` take them as one.
    struct UndoGroup {
        QPointer<QTextDocument> document;
        int atSteps = 0;  // the document's undo steps right after the group
        int steps = 0;
    };
    QList<UndoGroup> m_undoGroups;
    QList<UndoGroup> m_redoGroups;
    int m_commandUndoBase = 0;
    int m_insertUndoBase = 0;
};
