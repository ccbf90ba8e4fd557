#pragma once

#include <QRegularExpression>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>

class GlobalSettings;

// One search text with its options, applied to a QTextDocument. It knows
// nothing of widgets: the editor view and the find/replace dialog put its
// results into the view. Matches never cross a line end.
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

    // Replaces every match from the start of the document onwards, as one
    // undo step, and returns how many were replaced. Replacements are not
    // searched again, and an empty match is never taken twice at the same
    // place. `last` (when given) receives a cursor just after the final
    // replacement; it is left alone when nothing matched.
    int replaceAll(QTextDocument *document, const QString &replacement,
                   QTextCursor *last = nullptr) const;

private:
    // Lines searched one block at a time before the rest of the document
    // is taken as one flat text.
    static constexpr int BlockWalk = 2000;

    struct LineHit {
        int start = -1;
        int length = 0;
    };
    // First match at or after `offset`, never an empty one at `refuseEmptyAt`.
    LineHit searchLine(QStringView line, int offset, int refuseEmptyAt) const;
    // Last match that starts at or before `limit`.
    LineHit searchLineBackward(QStringView line, int limit) const;
    static bool isWholeWordIn(QStringView line, int start, int length);
    static QTextCursor selection(const QTextDocument *document, int start, int length);
    QTextCursor findForward(const QTextDocument *document, int from, bool emptyAtFromAllowed) const;
    QTextCursor findBackward(const QTextDocument *document, int from) const;
    bool isWholeWord(const QTextDocument *document, int start, int length) const;

    QString m_text;
    Options m_options;
    bool m_ignoreCase = true;
    QRegularExpression m_expression;
    QRegularExpression m_literal;
};
