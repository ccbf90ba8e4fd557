#pragma once

#include "editor/linecutrules.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTextFormat>

class QTextBlock;
class QTextDocument;

// Virtual line breaks of one document. A line far longer than a screen (a
// minified script or style sheet) costs Qt's text layout time in proportion
// to its length on every keystroke, so such a line is shown as several
// blocks. A block that continues the line of the block before carries a
// block-format property; the break in front of it is not part of the text.
//
// The real text is the document's text without those breaks: it is what is
// saved, copied, searched and numbered. Undo and redo keep the property with
// their blocks. A line break the user makes is always real: blocks that an
// edit (never an undo or redo) opens behind a new break lose the property.
class VirtualBreaks : public QObject
{
    Q_OBJECT
public:
    static constexpr int Property = QTextFormat::UserProperty + 0x4d47;
    // Qt lays out and draws a whole block for every keystroke in it, at
    // about 4 us a character in coloured minified code (bench_minified):
    // lines longer than the threshold are cut into pieces of at most
    // `piece` characters, where a keystroke costs about 2 ms.
    static constexpr int DefaultThreshold = 2000;
    static constexpr int DefaultPiece = 250;

    explicit VirtualBreaks(QTextDocument *document);

    // The breaks of `document`, when it has any object for them.
    static VirtualBreaks *of(const QTextDocument *document);
    static bool isContinuation(const QTextBlock &block);

    int threshold() const { return m_threshold; }
    int piece() const { return m_piece; }
    void setLimits(int threshold, int piece)
    {
        m_threshold = threshold;
        m_piece = piece;
    }

    // Where lines may be cut; until they are set nothing is cut.
    const LineCutRules &cutRules() const { return m_rules; }
    void setCutRules(const LineCutRules &rules) { m_rules = rules; }
    // The scanner state a file starts in, for cut() and splitLongBlocks().
    int startStateFor(const QString &path) const
    {
        return m_rules.isValid() ? m_rules.startState(path) : 0;
    }

    // `text` with every line longer than the threshold cut where colouring can
    // go on exactly; `startState` is the scanner state the text starts in.
    // `continuationLines` receives the block numbers of the continuations.
    QString cut(const QString &text, int startState, QList<int> *continuationLines) const;
    // Marks those blocks once the cut text is in the document.
    void markLoaded(const QList<int> &continuationLines);
    // Cuts the blocks from `from` to `to` (document positions) that have
    // grown past the threshold, as part of the last undo step. True if any
    // cut; `notYet` tells whether a long block waits for the colouring to
    // reach it (its start state is not known before).
    bool splitLongBlocks(int from, int to, int startState, bool *notYet = nullptr);

    // Around an edit whose only new line breaks are those the editing code
    // unmarks itself (a search replacement): an edit block reports one range
    // for all its changes, and the breaks inside that range must not be taken
    // for breaks the user typed. Calls nest.
    void beginKeepingBreaks() { ++m_keeping; }
    void endKeepingBreaks();

    // Whether any block ever was a continuation: without, every mapping is
    // the identity and costs nothing.
    bool hasBreaks() const { return m_everSplit; }

    // The text with real line breaks as '\n' and virtual ones left out.
    QString realText() const;
    // Ascending document positions of the virtual break characters.
    QList<int> breakPositions() const;
    // Position in the real text of a document position, and back.
    int toReal(int position) const;
    int toDocument(int realPosition) const;

    // 1-based real line number of a block, and the first block of a line.
    int realLineNumber(const QTextBlock &block) const;
    QTextBlock blockOfRealLine(int line) const;

private:
    void onContentsChange(int from, int charsRemoved, int charsAdded);
    void onContentsChanged();
    const QList<int> &continuationNumbers() const;
    bool isFlaggedIndex(int formatIndex) const;

    QTextDocument *m_document;
    LineCutRules m_rules;
    int m_threshold = DefaultThreshold;
    int m_piece = DefaultPiece;
    bool m_everSplit = false;
    bool m_userEdit = false;     // an undo command was just added: not an undo or redo
    bool m_ownEdit = false;      // our own cuts and repairs in progress
    struct Repair {
        int position;       // of the block
        bool continuation;  // the mark it must have
    };
    QList<Repair> m_repairs;
    mutable int m_blockCount = -1;  // when the continuation list was made
    int m_keeping = 0;           // nested beginKeepingBreaks()
    mutable bool m_numbersDirty = true;
    mutable QList<int> m_continuations;  // block numbers, ascending
    mutable QHash<int, bool> m_flaggedIndex;
};
