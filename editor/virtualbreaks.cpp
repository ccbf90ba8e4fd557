#include "editor/virtualbreaks.h"

#include <QTextBlock>
#include <QTextBlockUserData>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// On the continuation blocks this object made or saw come back by undo. A
// block split off by an edit inherits the format of the block it came from,
// but not this: flagged and unknown means made by the edit.
struct KnownContinuation : QTextBlockUserData {
};

void markKnown(QTextBlock block)
{
    if (!block.userData())
        block.setUserData(new KnownContinuation);
}

} // namespace

VirtualBreaks::VirtualBreaks(QTextDocument *document)
    : QObject(document), m_document(document)
{
    setObjectName(QStringLiteral("virtualBreaks"));
    // The document reports a new undo command before the change it made,
    // and none for an undo or redo: that tells the user's breaks apart.
    connect(document, &QTextDocument::undoCommandAdded, this, [this] { m_userEdit = true; });
    connect(document, &QTextDocument::contentsChange, this, &VirtualBreaks::onContentsChange);
    connect(document, &QTextDocument::contentsChanged, this, &VirtualBreaks::onContentsChanged);
}

VirtualBreaks *VirtualBreaks::of(const QTextDocument *document)
{
    return document ? document->findChild<VirtualBreaks *>(QStringLiteral("virtualBreaks"),
                                                           Qt::FindDirectChildrenOnly)
                    : nullptr;
}

bool VirtualBreaks::isContinuation(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(Property);
}

bool VirtualBreaks::isFlaggedIndex(int formatIndex) const
{
    auto it = m_flaggedIndex.constFind(formatIndex);
    if (it == m_flaggedIndex.cend()) {
        const bool flagged = m_document->allFormats().value(formatIndex).boolProperty(Property);
        it = m_flaggedIndex.insert(formatIndex, flagged);
    }
    return it.value();
}

const QList<int> &VirtualBreaks::continuationNumbers() const
{
    if (!m_numbersDirty)
        return m_continuations;
    m_continuations.clear();
    if (m_everSplit) {
        // Format indexes are compared, not formats: a walk over 250,000
        // blocks stays a few milliseconds.
        m_flaggedIndex.clear();
        int number = 0;
        for (QTextBlock block = m_document->firstBlock(); block.isValid();
             block = block.next(), ++number) {
            if (isFlaggedIndex(block.blockFormatIndex()))
                m_continuations.append(number);
        }
    }
    m_numbersDirty = false;
    m_blockCount = m_document->blockCount();
    return m_continuations;
}

QString VirtualBreaks::cut(const QString &text, int startState, QList<int> *continuationLines) const
{
    QString shown;
    continuationLines->clear();
    if (!m_rules.isValid())
        return text;
    int blockNumber = 0;
    // The scanner state at the start of a long line decides where it may be
    // cut; the lines before it are scanned only once a long line turns up.
    int state = startState;
    qsizetype scannedTo = 0;
    qsizetype lineStart = 0;
    bool anyCut = false;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (lineEnd - lineStart > m_threshold) {
            while (scannedTo < lineStart) {
                qsizetype end = text.indexOf(QLatin1Char('\n'), scannedTo);
                state = m_rules.endState(QStringView(text).mid(scannedTo, end - scannedTo), state);
                scannedTo = end + 1;
            }
            const QString line = text.mid(lineStart, lineEnd - lineStart);
            const QList<int> cuts = m_rules.breaks(line, state, m_piece);
            if (!cuts.isEmpty()) {
                if (!anyCut) {
                    shown = text.left(lineStart);
                    anyCut = true;
                }
                int from = 0;
                for (int cut : cuts) {
                    shown += QStringView(line).mid(from, cut - from);
                    shown += QLatin1Char('\n');
                    continuationLines->append(blockNumber + 1 + int(continuationLines->size()));
                    from = cut;
                }
                shown += QStringView(line).mid(from);
            } else if (anyCut) {
                shown += line;
            }
        } else if (anyCut) {
            shown += QStringView(text).mid(lineStart, lineEnd - lineStart);
        }
        if (lineEnd >= text.size())
            break;
        if (anyCut)
            shown += QLatin1Char('\n');
        lineStart = lineEnd + 1;
        ++blockNumber;
    }

    return anyCut ? shown : text;
}

void VirtualBreaks::markLoaded(const QList<int> &continuationLines)
{
    m_ownEdit = true;
    if (!continuationLines.isEmpty()) {
        m_everSplit = true;
        // Loading is not an edit: the marks go in without undo steps.
        const bool undo = m_document->isUndoRedoEnabled();
        m_document->setUndoRedoEnabled(false);
        QTextBlockFormat continuation;
        continuation.setProperty(Property, true);
        QTextCursor cursor(m_document);
        cursor.beginEditBlock();
        for (int number : continuationLines) {
            cursor.setPosition(m_document->findBlockByNumber(number).position());
            cursor.mergeBlockFormat(continuation);
            markKnown(cursor.block());
        }
        cursor.endEditBlock();
        m_document->setUndoRedoEnabled(undo);
    }
    m_ownEdit = false;
    m_userEdit = false;
    m_repairs.clear();
    m_numbersDirty = true;
}

bool VirtualBreaks::splitLongBlocks(int from, int to, int startState, bool *notYet)
{
    if (notYet)
        *notYet = false;
    if (!m_rules.isValid())
        return false;
    struct Cut {
        int position;
        QList<int> offsets;
    };
    QList<Cut> cuts;
    const QTextBlock last = m_document->findBlock(std::max(from, to));
    for (QTextBlock block = m_document->findBlock(from); block.isValid(); block = block.next()) {
        if (block.length() - 1 > m_threshold) {
            const QTextBlock previous = block.previous();
            // The state the block starts in is the end state the colouring
            // stored on the block before; not coloured yet means not now.
            int state = previous.isValid() ? previous.userState() : startState;
            if (state >= 0)
                state = m_rules.lineState(state);  // a new cut starts from the line's state
            if (state < 0 && notYet)
                *notYet = true;
            if (state >= 0) {
                QList<int> offsets = m_rules.breaks(block.text(), state, m_piece);
                if (!offsets.isEmpty())
                    cuts.append({block.position(), std::move(offsets)});
            }
        }
        if (block == last)
            break;
    }
    if (cuts.isEmpty())
        return false;

    m_ownEdit = true;
    m_everSplit = true;
    QTextBlockFormat continuation;
    continuation.setProperty(Property, true);
    QTextCursor cursor(m_document);
    // Part of the edit that made the block long when that was an edit block
    // (a paste): one undo takes both back. Typed keys are no edit block to
    // join, so after typing the cut is an undo step of its own.
    cursor.joinPreviousEditBlock();
    for (qsizetype i = cuts.size() - 1; i >= 0; --i) {
        const Cut &cut = cuts.at(i);
        for (qsizetype j = cut.offsets.size() - 1; j >= 0; --j) {
            cursor.setPosition(cut.position + cut.offsets.at(j));
            QTextBlockFormat format = cursor.blockFormat();
            format.merge(continuation);
            cursor.insertBlock(format);
            markKnown(cursor.block());
        }
    }
    cursor.endEditBlock();
    m_ownEdit = false;
    m_userEdit = false;
    m_numbersDirty = true;
    return true;
}

QList<int> VirtualBreaks::breakPositions() const
{
    QList<int> positions;
    const QList<int> &numbers = continuationNumbers();
    positions.reserve(numbers.size());
    for (int number : numbers)
        positions.append(m_document->findBlockByNumber(number).position() - 1);
    return positions;
}

QString VirtualBreaks::realText() const
{
    QString text = m_document->toRawText();
    const QList<int> breaks = breakPositions();
    if (!breaks.isEmpty()) {
        // One pass that leaves the break characters out.
        QString joined;
        joined.reserve(text.size() - breaks.size());
        qsizetype from = 0;
        for (int at : breaks) {
            joined += QStringView(text).mid(from, at - from);
            from = at + 1;
        }
        joined += QStringView(text).mid(from);
        text = std::move(joined);
    }
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

int VirtualBreaks::toReal(int position) const
{
    const QList<int> breaks = breakPositions();
    return position - int(std::lower_bound(breaks.begin(), breaks.end(), position) - breaks.begin());
}

int VirtualBreaks::toDocument(int realPosition) const
{
    int position = realPosition;
    for (int at : breakPositions()) {
        if (at >= position)
            break;
        ++position;
    }
    return position;
}

int VirtualBreaks::realLineNumber(const QTextBlock &block) const
{
    const QList<int> &numbers = continuationNumbers();
    const int number = block.blockNumber();
    const auto behind = std::upper_bound(numbers.begin(), numbers.end(), number);
    return number - int(behind - numbers.begin()) + 1;
}

QTextBlock VirtualBreaks::blockOfRealLine(int line) const
{
    int number = line - 1;
    for (int continuation : continuationNumbers()) {
        if (continuation > number)
            break;
        ++number;
    }
    return m_document->findBlockByNumber(number);
}

void VirtualBreaks::endKeepingBreaks()
{
    if (m_keeping > 0 && --m_keeping == 0)
        m_userEdit = false;
}

void VirtualBreaks::onContentsChange(int from, int charsRemoved, int charsAdded)
{
    if (m_ownEdit)
        return;
    if (m_keeping > 0) {
        // The editing code marks the blocks of its change itself; those
        // marks are known ones.
        m_userEdit = false;
        m_numbersDirty = true;
        for (QTextBlock block = m_document->findBlock(from);
             block.isValid() && block.position() <= from + charsAdded; block = block.next()) {
            if (isContinuation(block)) {
                markKnown(block);
                m_everSplit = true;  // a text put in whole may bring the first breaks
            }
        }
        return;
    }
    // Without an undo stack there is no undo or redo either: every change
    // is an edit.
    const bool userEdit =
            std::exchange(m_userEdit, false) || !m_document->isUndoRedoEnabled();
    if (!m_everSplit)
        return;
    // The marks as they were before this change, when nothing since has
    // moved blocks or changed formats (the list is brought up to date after
    // every change that does).
    const bool knewBefore = !m_numbersDirty;
    const QList<int> before = m_continuations;
    if (m_document->blockCount() != m_blockCount || (charsRemoved > 0 && charsRemoved == charsAdded))
        m_numbersDirty = true;
    const int end = from + charsAdded;
    if (!userEdit) {
        // An undo or redo (or a keystroke merged into the last undo step)
        // brings blocks back with their marks: they are known continuations
        // again, and where one differs from the list the list is redone.
        for (QTextBlock block = m_document->findBlock(from);
             block.isValid() && block.position() <= end; block = block.next()) {
            const bool flagged = isContinuation(block);
            if (flagged)
                markKnown(block);
            if (knewBefore && !m_numbersDirty
                && flagged != std::binary_search(before.begin(), before.end(), block.blockNumber()))
                m_numbersDirty = true;
        }
        if (!knewBefore)
            m_numbersDirty = true;
        return;
    }
    // The break in front of the first block is in front of the change, so it
    // is what it was; but where a removal starts at a block start Qt keeps
    // the block format of the last block the removal reaches.
    const QTextBlock first = m_document->findBlock(from);
    if (knewBefore && first.isValid() && first.blockNumber() > 0) {
        const bool was = std::binary_search(before.begin(), before.end(), first.blockNumber());
        if (was != isContinuation(first))
            m_repairs.append({first.position(), was});
    }
    // An edit block reports one range for all its changes: only the blocks
    // the edit split off (flagged, but not known) had their break typed.
    for (QTextBlock block = first.next(); block.isValid() && block.position() <= end;
         block = block.next()) {
        if (isContinuation(block) && !block.userData())
            m_repairs.append({block.position(), false});
    }
}

void VirtualBreaks::onContentsChanged()
{
    if (m_ownEdit)
        return;
    if (!m_repairs.isEmpty()) {
        const QList<Repair> repairs = std::exchange(m_repairs, {});
        m_ownEdit = true;
        QTextCursor cursor(m_document);
        cursor.joinPreviousEditBlock();
        for (const Repair &repair : repairs) {
            cursor.setPosition(repair.position);
            QTextBlockFormat format = cursor.blockFormat();
            if (repair.continuation)
                format.setProperty(Property, true);
            else
                format.clearProperty(Property);
            cursor.setBlockFormat(format);
            if (repair.continuation)
                markKnown(cursor.block());
        }
        cursor.endEditBlock();
        m_ownEdit = false;
        m_userEdit = false;
        m_numbersDirty = true;
    }
    // Up to date before the next change, which may need to know.
    if (m_everSplit)
        continuationNumbers();
}
