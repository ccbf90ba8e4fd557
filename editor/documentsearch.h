#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>

class GlobalSettings;
class QTextBlock;
class VirtualBreaks;

// One search text with its options, applied to a QTextDocument. It knows
// nothing of widgets: the editor view and the find/replace dialog put its
// results into the view. Matches never cross a line end; a line is a line of
// the file, so a match may span the virtual breaks of a long line.
class DocumentSearch
{
public:
    struct Options {
        bool regexp = false;
        bool wholeWords = false;  // plain text only
        quint8 caseMode = 0;      // CaseMode
    };

    DocumentSearch(const QString &text, const Options &options);

    // The search options currently kept in the settings record.
    static Options optionsOf(const GlobalSettings &settings);
    // Whether `text` is searched without regard to case under `caseMode`:
    // mode 1 (and anything unknown) ignores case only for a text without a
    // capital letter.
    static bool ignoresCase(const QString &text, quint8 caseMode);

    QString text() const { return m_text; }
    const Options &options() const { return m_options; }
    bool ignoresCase() const { return m_ignoreCase; }

    // False for an empty text or a regular expression that does not compile.
    bool isValid() const;
    // Why a regular expression does not compile (empty when it does).
    QString errorString() const;
    // The status message for a search that cannot run because the
    // regular expression is broken.
    QString invalidMessage() const;

    // The next match after (or, backwards, before) `from`, selected in the
    // returned cursor; a null cursor when there is none. A selection in
    // `from` is stepped over. Forwards from a cursor without selection, an
    // empty match right at the cursor is passed by, so that repeating the
    // step moves on.
    QTextCursor find(const QTextDocument *document, const QTextCursor &from, bool backward) const;

    // The match that starts at the cursor: with a selection, at its start and
    // within it (the selection itself is returned); without one, at the
    // cursor (the match is returned selected, possibly empty). Null when the
    // text does not match there.
    QTextCursor matchAt(const QTextCursor &cursor) const;

    // The text that replaces `match`: in a regular expression search "\0"
    // to "\9" stand for the captured texts (empty for a group the
    // expression lacks) and "\\" for one backslash; any other backslash is
    // kept. A plain search takes the replacement as it is.
    static QString expandReplacement(const QString &replacement, const QRegularExpressionMatch &match);
    // The replacement for the match selected in `cursor` (see matchAt).
    QString replacementAt(const QTextCursor &cursor, const QString &replacement) const;

    // Replaces the selection of `cursor` by `replacement` as one undo step;
    // the cursor ends up behind it. The virtual breaks the selection spans
    // go with it, the others stay virtual, and a line break in the
    // replacement is a real one.
    static void replaceSelection(QTextCursor &cursor, const QString &replacement);

    // Replaces every match from the start of the document onwards, as one
    // undo step, and returns how many were replaced. Replacements are not
    // searched again, and an empty match is never taken twice at the same
    // place. `last` (when given) receives a cursor just after the final
    // replacement; it is left alone when nothing matched.
    int replaceAll(QTextDocument *document, const QString &replacement,
                   QTextCursor *last = nullptr) const;
    // The same over the lines from the one of position `from` to the one of
    // `to`; with `firstInLine` only the first match of each line.
    int replaceInLines(QTextDocument *document, const QString &replacement, int from, int to,
                       bool firstInLine, QTextCursor *last = nullptr) const;

private:
    // Blocks searched a line at a time before the rest of the document is
    // taken as one flat text.
    static constexpr int BlockWalk = 2000;

    struct LineHit {
        int start = -1;
        int length = 0;
    };
    // A stretch of the document as the file has it: one line (a block and
    // the blocks that continue it) or the whole text. A virtual break stands
    // in front of every offset in `cuts`; `base` is the document position of
    // offset 0. Without breaks offsets and positions differ by `base` only.
    struct RealSpan {
        QString text;
        int base = 0;
        QList<int> cuts;  // ascending
        QChar separator = QChar::ParagraphSeparator;  // of the lines in `text`

        // Document position of an offset, behind a break that stands there
        // (where a match starts) or before it (where one ends).
        int startPosition(int offset) const;
        int endPosition(int offset) const;
        // Offset of a document position; a break and the position behind
        // it have the same offset.
        int offsetOf(int position) const;
    };
    // The line `block` belongs to; `next` receives the block after the
    // line and `blocks` how many blocks it has. `breaks` null: one block.
    static RealSpan lineOf(QTextBlock block, const VirtualBreaks *breaks,
                           QTextBlock *next = nullptr, int *blocks = nullptr);
    static RealSpan wholeText(const QTextDocument *document, const VirtualBreaks *breaks);
    // The lines from `first` (the first block of a line) to the one that
    // holds `to`, as one flat text.
    static RealSpan linesFrom(const QTextDocument *document, QTextBlock first, int to,
                              const VirtualBreaks *breaks);
    static QString realSelectedText(const QTextCursor &cursor);
    // Inserts `text` over the cursor's selection with the block marks right.
    static void insertOver(QTextCursor &cursor, const QString &text, const VirtualBreaks *breaks);

    // First match at or after `offset`, never an empty one at `refuseEmptyAt`.
    // `match` (when given) receives the regular expression's match.
    LineHit searchLine(QStringView line, int offset, int refuseEmptyAt,
                       QRegularExpressionMatch *match = nullptr) const;
    QRegularExpressionMatch regExpMatchAt(const QTextCursor &cursor) const;
    // Last match that starts at or before `limit`.
    LineHit searchLineBackward(QStringView line, int limit) const;
    static bool isWholeWordIn(QStringView line, int start, int length);
    static QTextCursor selection(const QTextDocument *document, const RealSpan &span, LineHit hit);
    QTextCursor findForward(const QTextDocument *document, int from, bool emptyAtFromAllowed) const;
    QTextCursor findBackward(const QTextDocument *document, int from) const;

    QString m_text;
    Options m_options;
    bool m_ignoreCase = true;
    QRegularExpression m_expression;
    QRegularExpression m_literal;
};
