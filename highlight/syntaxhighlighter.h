#pragma once

#include "highlight/highlightpalette.h"
#include "highlight/htmlscanner.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTextCharFormat>
#include <QTimer>
#include <array>
#include <climits>
#include <tuple>

class EditView;
class QTextBlock;
class QTextDocument;

// Colours one view's document line by line with HtmlScanner. The state a
// line ends in is kept as its block's userState (-1 while the line has not
// been coloured), so that the next line starts where it stopped.
//
// Colouring never blocks the window for long: an edit colours the lines on
// screen at once, and everything else (a freshly loaded 10 MB page, the lines
// behind a newly opened comment) is done in short slices from the event loop,
// which wait while the user types. After an edit, colouring goes on to the
// next line only while the end state of a line changes. Once the pending
// work is done the result is the same as a straight pass over the whole
// document.
//
// Formats go straight to the block layouts, so colouring neither touches the
// undo stack nor the modified flag.
class SyntaxHighlighter : public QObject
{
    Q_OBJECT
public:
    // After an edit the lines off screen wait this long for the next
    // keystroke before they are coloured.
    static constexpr int InputPauseMs = 50;

    // One character format per colour the highlighter hands out.
    enum FormatKind {
        CommentFormat = HighlightPalette::Comment,
        TagFormat = HighlightPalette::Tag,
        TagIdentFormat = HighlightPalette::TagIdent,
        StringFormat = HighlightPalette::String,
        RegExpFormat = HighlightPalette::RegExp,
        EscapedCharFormat = HighlightPalette::EscapedChar,
        QuoteCharFormat = HighlightPalette::QuoteChar,
        EntityFormat = HighlightPalette::Entity,
        ScriptTextFormat = HighlightPalette::ScriptText,
        ScriptKeywordFormat = HighlightPalette::ScriptKeyword,
        CssPropFormat = HighlightPalette::CssProp,
        CssSelectorFormat = HighlightPalette::CssSelector,
        CssAtRuleFormat = HighlightPalette::CssAtRule,
        CssValueFormat = HighlightPalette::CssValue,
        CssNumberFormat = HighlightPalette::CssNumber,
        CssImportantFormat = HighlightPalette::CssImportant,
        PhpVariableFormat = HighlightPalette::PhpVariable,
        FormatCount = HighlightPalette::KindCount
    };

    // Attaches to the view's document and paints with `palette`; the view's
    // path gives the first line's state, its keyword set the script keywords.
    SyntaxHighlighter(EditView *view, const HighlightPalette &palette);
    ~SyntaxHighlighter() override;

    // Takes new colours. Lines already coloured keep their old colours until
    // they are coloured again (rehighlight()).
    void rebuildFormats(const HighlightPalette &palette);
    const QTextCharFormat &format(FormatKind kind) const { return m_formats[kind]; }

    // Colours the whole document again: the lines on screen now, the rest in
    // the background.
    void rehighlight();
    // A straight synchronous pass over every line, first to last.
    void rehighlightNow();
    // Does all pending work now.
    void finishPending();
    // Whether lines are still waiting to be coloured.
    bool isBusy() const { return !m_runs.isEmpty(); }

    // Longest time one background slice may take, and the most lines it may
    // colour (tests use a small number to leave work pending between edits).
    void setSliceLimits(int msecs, int maxLines = INT_MAX);
    // How long the lines off screen wait for the next keystroke (tests wait
    // longer than a busy machine can stall between two edits).
    void setInputPause(int msecs) { m_inputPauseMs = msecs; }

    // State of a document's first line: Script for script files (".js",
    // ".mjs", ".cjs", ".json"), Style for ".css" (in any case), Html for
    // anything else (PHP pages too) and for an unsaved document.
    static HtmlScanner::ScanState startStateFor(const QString &path);

    // Tag and style-sheet property names that earn a colour of their own,
    // shared by every highlighter and read once from tags.txt and css.txt
    // (a list whose file could not be read is tried again by the next
    // highlighter).
    static const QStringList &tagNames();
    static const QStringList &propertyNames();
    // PHP keywords (phpKeywords.txt), lower-cased, shared like the names.
    static const QSet<QString> &phpKeywords();
    // The names of a keyword file: the first tab-separated field, lower-cased,
    // of every line that begins with a letter, in file order. Empty when the
    // file cannot be read.
    static QStringList readNames(const QString &path);

signals:
    // Every line is coloured.
    void finished();

private:
    // Lines still to colour from `pos` (the start of a line) on. Every line
    // up to the one holding `until` is coloured whatever its state; after
    // that colouring goes on while the end state changes, or the next line
    // has never been coloured. `forceNext`: the line at `pos` must be
    // coloured because the line before it changed its end state.
    struct Run {
        int pos = 0;
        int until = -1;
        bool forceNext = false;
    };

    void onContentsChange(int from, int charsRemoved, int charsAdded);
    void onPathChanged();
    void addRun(int pos, int until, bool forceNext);
    void schedule();
    void slice();
    // Work done at once after an edit of the lines from editPos to editEnd
    // (positions), or a request to colour everything (-1): the lines on
    // screen, or the edited lines when work above them is still pending.
    void syncStep(int editPos, int editEnd);
    // Colours the lines on screen that are known to need it while work
    // before the screen is still pending.
    void colourVisible();
    // Colours the lines from `block` to `last` that need it, from the states
    // the lines before them have now.
    void colourRange(QTextBlock block, const QTextBlock &last);
    // Works off the run that starts first, stopping at the deadline or once
    // it has passed `limit`. Answers false when it stopped early.
    bool processRuns(const QElapsedTimer &clock, qint64 deadlineNs, int limit, int maxLines);
    bool needsColour(const QTextBlock &block) const;
    int firstRun() const;
    void visibleRange(QTextBlock &first, QTextBlock &last) const;
    void keepScreenShaped();

    int startState(const QTextBlock &block) const;
    // Colours one line; answers its end state.
    int colourBlock(QTextBlock &block, int start);
    // Tells the layout about the lines coloured since the last call.
    void flushDirty();

    EditView *m_view;
    QTextDocument *m_document;
    std::array<QTextCharFormat, FormatCount> m_formats;
    QList<Run> m_runs;
    QTimer m_timer;
    int m_sliceMs = 20;
    int m_sliceLines = INT_MAX;
    int m_inputPauseMs = InputPauseMs;
    HtmlScanner::ScanState m_pathState = HtmlScanner::Html;
    // Range of lines coloured since the layout was last told, as positions;
    // -1 when none.
    int m_dirtyFrom = -1;
    int m_dirtyTo = -1;
    // Screen (first and last line position) and document revision of the
    // last provisional colouring of the screen.
    std::tuple<int, int, int> m_provisional{-1, -1, -1};
};
