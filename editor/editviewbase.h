#pragma once

#include "editor/charencoding.h"
#include "editor/fileformat.h"

#include <QElapsedTimer>
#include <QList>
#include <QPlainTextEdit>
#include <QRect>
#include <QString>
#include <QTimer>

class GlobalSettings;
class ModalKeyHandler;
class VirtualBreaks;

// The plain-text editor widget every document view is built on: no rich text,
// no wrapping, a line-number margin, an "[EOF]" mark and a text cursor drawn
// by the view itself (coloured, shaped for vi command mode, blinking on its
// own clock). It carries the document's identity (path, title, encoding).
class EditViewBase : public QPlainTextEdit
{
    Q_OBJECT
public:
    // One line number of the margin: its text and where it is drawn, in the
    // margin's coordinates (x is the left edge, y the baseline).
    struct MarginLabel {
        QString text;
        int x = 0;
        int baseline = 0;
    };

    // Visible and hidden phase of the blinking cursor, in milliseconds.
    static constexpr int BlinkPhase = 600;
    static constexpr int MinZoomPointSize = 4;
    static constexpr int MaxZoomPointSize = 100;

    EditViewBase(GlobalSettings *settings, ModalKeyHandler *viEngine, QWidget *parent = nullptr);

    GlobalSettings *globalSettings() const { return settings; }
    ModalKeyHandler *engine() const { return viEngine; }

    QString fullPath() const { return m_fullPath; }
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    void setFullPath(const QString &path);
    QString fileDirectory() const;
    void setCurrentDirToFile() const;

    // What the file was read as and is written as.
    const FileFormat &fileFormat() const { return m_format; }
    void setFileFormat(const FileFormat &format);
    CharEncoding charEncoding() const { return m_format.encoding; }
    void setCharEncoding(CharEncoding encoding);
    void setLineEnd(LineEnd lineEnd);
    void setByteOrderMark(bool on);
    // "UTF-8 with BOM, CRLF".
    QString formatDescription() const;
    QString titleWithEncoding() const;
    // Replaces the whole text as one undo step (a save that rewrote it).
    void replaceText(const QString &text);

    // Puts a file's text in, very long lines shown as several blocks.
    void loadText(const QString &text);
    // While set, loadText replaces the text as one undo step instead of
    // starting a new history: a reload the user can take back.
    void setUndoableLoad(bool undoable) { m_undoableLoad = undoable; }
    // The text as saved: virtual breaks left out, real ones as '\n'.
    QString realText() const;
    VirtualBreaks *virtualBreaks() const { return m_breaks; }
    // 1-based line of the file a block belongs to.
    int realLineNumber(const QTextBlock &block) const;

    void updateEditorSettings();
    void updateLineNumberArea();
    int lineNumberAreaWidth() const;
    QWidget *lineNumberWidget() const { return lineNumberArea; }
    // The labels the margin paints between the two vertical positions
    // (margin coordinates); only the lines that show there are visited.
    QList<MarginLabel> marginLabels(int top, int bottom) const;

    // Width of the drawn cursor: 1 in insert mode, the width of the character
    // under the cursor in vi command mode.
    int drawnCursorWidth() const { return m_cursorWidth; }
    // The rectangle the focused cursor fills, in viewport coordinates.
    QRect drawnCursorRect() const;
    // Whether a focused cursor is in the visible half of its blink period.
    bool cursorBlinkOn() const;
    void restartCursorBlink();

    void scrollCursorLineToTop();
    // Zooming is the view's own: the stored font size stays.
    void zoomBy(int points);
    void setZoomPointSize(int size);
    // Number (from 1) of the line at the top of the viewport.
    int topLine() const;
    void setModified(bool modified, bool force = false);

    // Search (editviewbase_search.cpp). A successful step leaves the match
    // selected; failures beep and report through showMessage.
    bool ignoresCase(const QString &text) const;
    bool findOnce(const QString &text, bool backward);
    bool findWithLoop(const QString &text, bool backward, bool silent);
    bool findPlain(const QString &text, QTextDocument::FindFlags flags);
    bool matchesAtCursor(const QString &text) const;

    // Editing commands shared by the key handler, the menus and the vi
    // engine (editviewbase_keys.cpp). Each edit is one undo step.
    // leadingIndent: the blanks and tabs that start the cursor's line.
    static QString leadingIndent(const QTextCursor &cursor);
    void openLineBelow();
    void openLineAbove();
    void indentSelection();
    void jumpToMatchingBracket();
    // Deletes the selection, or up to `count` characters forward (backward
    // when negative) without leaving the line; the deleted text goes to
    // `removed`, empty when nothing was deleted.
    void deleteInLine(int count, QString *removed);
    // Columns per tab stop; a stored width below 1 counts as 1.
    int tabColumns() const;

    // No input-method input in vi command mode: keys there are commands.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    using QPlainTextEdit::inputMethodQuery;

public slots:
    void jumpToLine(int line);
    void onCursorPositionChanged();

signals:
    void modificationChanged(bool changed);
    void fontSizeChanged(int size);
    void encodingChanged();
    void focusIn();
    void focusOut();
    // A status message; one that reports a failure stays until the next.
    void showMessage(const QString &text, bool failure = false);
    // A problem with the document the user has to see, kept in view until
    // dismissed (unlike a status message, which the next one replaces).
    void notice(const QString &text);
    // The file was read again, this time without a problem: a notice about
    // what it held before no longer holds.
    void readWithoutProblem();
    void doOutput(const QString &text);
    void contentsChanged();
    // The document's path was set to a different one.
    void fullPathChanged();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *object, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

    GlobalSettings *settings;
    ModalKeyHandler *viEngine;
    VirtualBreaks *m_breaks = nullptr;
    QTimer m_splitTimer;        // cuts lines that editing made too long, once typing pauses
    int m_grownFrom = -1;
    int m_grownTo = -1;
    int m_splitTries = 0;
    bool m_loading = false;
    bool m_undoableLoad = false;

private:
    struct VisibleRange {
        int first = -1;
        int last = -1;
        bool contains(int blockNumber) const { return blockNumber >= first && blockNumber <= last; }
    };

    QColor settingsColor(int index, const QColor &fallback) const;
    bool deleteAcrossVirtualBreak(bool backward);
    void splitGrownLines();
    VisibleRange visibleBlocks(int bottom) const;
    void paintLineNumberArea(QPaintEvent *event);
    void updateCursorShape();
    void applyTabStop();
    void scheduleBlinkRepaint();
    void repaintCursor();
    void onLayoutUpdateRequest(const QRect &rect, int dy);
    void onLinesShifted(int first, int last, int delta);

    FileFormat m_format;
    QString m_title;
    QString m_fullPath;
    QWidget *lineNumberArea = nullptr;
    int m_cursorWidth = 1;
    qint64 lastCursorMove = 0;
    QElapsedTimer blinkClock;
    QTimer blinkTimer;
    QRect paintedCursorRect;  // what the last paint drew, to wipe it on a move
};
