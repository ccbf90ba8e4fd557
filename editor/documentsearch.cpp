#include "editor/documentsearch.h"

#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"

#include <QCoreApplication>
#include <QTextBlock>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

// Document position of the last character that can be searched (the end of
// the last line).
int documentEnd(const QTextDocument *document)
{
    return document->characterCount() - 1;
}

// The empty line behind the final line end is no line of the file: an empty
// match there would add text after the last line.
bool isBehindFinalLineEnd(const QTextDocument *document, int position)
{
    const QTextBlock last = document->lastBlock();
    return last.length() == 1 && last.blockNumber() > 0 && position == last.position();
}

bool isSearchWordChar(QChar c)
{
    return c.isLetterOrNumber();
}

// The breaks of a document that has any; null keeps every position as it is.
VirtualBreaks *breaksOf(const QTextDocument *document)
{
    VirtualBreaks *breaks = VirtualBreaks::of(document);
    return breaks && breaks->hasBreaks() ? breaks : nullptr;
}

// Replacements put line breaks only where their text has them; the breaks
// the document shows inside a long line stay virtual.
class KeptBreaks
{
public:
    explicit KeptBreaks(VirtualBreaks *breaks) : m_breaks(breaks)
    {
        if (m_breaks)
            m_breaks->beginKeepingBreaks();
    }
    ~KeptBreaks()
    {
        if (m_breaks)
            m_breaks->endKeepingBreaks();
    }
    KeptBreaks(const KeptBreaks &) = delete;
    KeptBreaks &operator=(const KeptBreaks &) = delete;

private:
    VirtualBreaks *m_breaks;
};

} // namespace

DocumentSearch::RealSpan DocumentSearch::lineOf(QTextBlock block, const VirtualBreaks *breaks,
                                                QTextBlock *next, int *blocks)
{
    RealSpan line;
    int count = 1;
    if (breaks) {
        while (VirtualBreaks::isContinuation(block))
            block = block.previous();
    }
    line.base = block.position();
    line.text = block.text();
    block = block.next();
    if (breaks) {
        for (; VirtualBreaks::isContinuation(block); block = block.next(), ++count) {
            line.cuts.append(int(line.text.size()));
            line.text += block.text();
        }
    }
    if (next)
        *next = block;
    if (blocks)
        *blocks = count;
    return line;
}

DocumentSearch::RealSpan DocumentSearch::wholeText(const QTextDocument *document,
                                                   const VirtualBreaks *breaks)
{
    RealSpan whole;
    if (!breaks) {
        whole.text = document->toRawText();
        return whole;
    }
    whole.text = breaks->realText();
    whole.separator = QLatin1Char('\n');
    const QList<int> positions = breaks->breakPositions();
    whole.cuts.reserve(positions.size());
    for (qsizetype i = 0; i < positions.size(); ++i)
        whole.cuts.append(positions.at(i) - int(i));
    return whole;
}

int DocumentSearch::RealSpan::startPosition(int offset) const
{
    return base + offset + int(std::upper_bound(cuts.cbegin(), cuts.cend(), offset) - cuts.cbegin());
}

int DocumentSearch::RealSpan::endPosition(int offset) const
{
    return base + offset + int(std::lower_bound(cuts.cbegin(), cuts.cend(), offset) - cuts.cbegin());
}

int DocumentSearch::RealSpan::offsetOf(int position) const
{
    // The break in front of cuts[i] is the document character at
    // base + cuts[i] + i; count those before the position.
    const int relative = position - base;
    qsizetype low = 0;
    qsizetype high = cuts.size();
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (cuts.at(middle) + int(middle) < relative)
            low = middle + 1;
        else
            high = middle;
    }
    return relative - int(low);
}

DocumentSearch::DocumentSearch(const QString &text, const Options &options)
    : m_text(text)
    , m_options(options)
    , m_ignoreCase(ignoresCase(text, options.caseMode))
{
    if (m_options.regexp) {
        // Unicode classes so that \w and \b know Japanese letters too.
        QRegularExpression::PatternOptions patternOptions =
                QRegularExpression::UseUnicodePropertiesOption;
        if (m_ignoreCase)
            patternOptions |= QRegularExpression::CaseInsensitiveOption;
        m_expression = QRegularExpression(text, patternOptions);
        m_expression.optimize();
    } else {
        // The same text as a literal pattern runs through a large document
        // faster than a case-insensitive string search.
        m_literal = QRegularExpression(QRegularExpression::escape(text),
                                       m_ignoreCase ? QRegularExpression::CaseInsensitiveOption
                                                    : QRegularExpression::NoPatternOption);
        m_literal.optimize();
    }
}

DocumentSearch::Options DocumentSearch::optionsOf(const GlobalSettings &settings)
{
    Options options;
    options.regexp = settings.regexp;
    options.wholeWords = settings.wordSearch;
    options.caseMode = settings.ignoreCase;
    return options;
}

bool DocumentSearch::ignoresCase(const QString &text, quint8 caseMode)
{
    if (caseMode == IgnoreCase)
        return true;
    if (caseMode == CaseSensitive)
        return false;
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.category() == QChar::Letter_Uppercase;
    });
}

bool DocumentSearch::isValid() const
{
    if (m_text.isEmpty())
        return false;
    return !m_options.regexp || m_expression.isValid();
}

QString DocumentSearch::errorString() const
{
    if (!m_options.regexp || m_expression.isValid())
        return {};
    return m_expression.errorString();
}

QString DocumentSearch::invalidMessage() const
{
    return QCoreApplication::translate("EditViewBase", "'%1' is not a valid regular expression: %2")
            .arg(m_text, errorString());
}

QTextCursor DocumentSearch::find(const QTextDocument *document, const QTextCursor &from,
                                 bool backward) const
{
    if (!document || !isValid())
        return {};
    if (backward)
        return findBackward(document, from.isNull() ? 0 : from.selectionStart());
    // Only a bare cursor refuses an empty match at itself; after a selected
    // match the place right behind it is new ground.
    const QTextCursor found = findForward(document, from.isNull() ? 0 : from.selectionEnd(),
                                          !from.isNull() && from.hasSelection());
    if (!found.isNull() && !found.hasSelection() && isBehindFinalLineEnd(document, found.position()))
        return {};
    return found;
}

DocumentSearch::LineHit DocumentSearch::searchLine(QStringView line, int offset,
                                                   int refuseEmptyAt,
                                                   QRegularExpressionMatch *found) const
{
    if (m_options.regexp) {
        while (offset <= line.size()) {
            const QRegularExpressionMatch match = m_expression.match(line, offset);
            if (!match.hasMatch())
                return {};
            const int start = int(match.capturedStart());
            if (match.capturedLength() == 0 && start == refuseEmptyAt) {
                offset = start + 1;
                continue;
            }
            if (found)
                *found = match;
            return {start, int(match.capturedLength())};
        }
        return {};
    }
    const Qt::CaseSensitivity cs = m_ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const int length = int(m_text.size());
    qsizetype at = offset;
    while ((at = line.indexOf(m_text, at, cs)) >= 0) {
        if (!m_options.wholeWords || isWholeWordIn(line, int(at), length))
            return {int(at), length};
        ++at;
    }
    return {};
}

DocumentSearch::LineHit DocumentSearch::searchLineBackward(QStringView line, int limit) const
{
    limit = std::min<int>(limit, int(line.size()));
    if (m_options.regexp) {
        // Every place where a match can start, left to right, keeping the
        // last one not beyond the limit.
        LineHit hit;
        int at = 0;
        while (at <= limit) {
            const QRegularExpressionMatch match = m_expression.match(line, at);
            if (!match.hasMatch() || match.capturedStart() > limit)
                break;
            hit = {int(match.capturedStart()), int(match.capturedLength())};
            at = hit.start + 1;
        }
        return hit;
    }
    const Qt::CaseSensitivity cs = m_ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const int length = int(m_text.size());
    qsizetype at = std::min<int>(limit, int(line.size()) - length);
    while (at >= 0 && (at = line.lastIndexOf(m_text, at, cs)) >= 0) {
        if (!m_options.wholeWords || isWholeWordIn(line, int(at), length))
            return {int(at), length};
        --at;
    }
    return {};
}

bool DocumentSearch::isWholeWordIn(QStringView line, int start, int length)
{
    const int end = start + length;
    return (start == 0 || !isSearchWordChar(line.at(start - 1)))
            && (end >= line.size() || !isSearchWordChar(line.at(end)));
}

// The first lines are searched one at a time, which is quickest for a match
// nearby; a search that has to go further takes one flat copy of the
// document and walks its lines as views, which avoids building a string for
// every line of a large document. A line is a line of the file: a block and
// the blocks that continue it behind virtual breaks.
QTextCursor DocumentSearch::findForward(const QTextDocument *document, int from,
                                        bool emptyAtFromAllowed) const
{
    if (from < 0 || from > documentEnd(document))
        return {};
    const VirtualBreaks *breaks = breaksOf(document);
    QTextBlock block;
    int blocks = 0;
    RealSpan line = lineOf(document->findBlock(from), breaks, &block, &blocks);
    int offset = line.offsetOf(from);
    int refuse = emptyAtFromAllowed ? -1 : offset;
    for (int walked = blocks;; walked += blocks) {
        const LineHit hit = searchLine(line.text, offset, refuse);
        if (hit.start >= 0)
            return selection(document, line, hit);
        if (!block.isValid() || walked >= BlockWalk)
            break;
        line = lineOf(block, breaks, &block, &blocks);
        offset = 0;
        refuse = -1;
    }
    if (!block.isValid())
        return {};

    const RealSpan whole = wholeText(document, breaks);
    const QStringView text(whole.text);
    if (!m_options.regexp) {
        // A plain text holds no line break, so the flat text is searched
        // in one go.
        qsizetype at = whole.offsetOf(block.position());
        while (at <= text.size()) {
            const QRegularExpressionMatch match = m_literal.match(text, at);
            if (!match.hasMatch())
                return {};
            const int start = int(match.capturedStart());
            const int length = int(match.capturedLength());
            if (!m_options.wholeWords || isWholeWordIn(text, start, length))
                return selection(document, whole, {start, length});
            at = start + 1;
        }
        return {};
    }
    qsizetype lineStart = whole.offsetOf(block.position());
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(whole.separator, lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const LineHit hit = searchLine(text.mid(lineStart, lineEnd - lineStart), 0, -1);
        if (hit.start >= 0)
            return selection(document, whole, {int(lineStart) + hit.start, hit.length});
        lineStart = lineEnd + 1;
    }
    return {};
}

// Backwards: the last match that starts before `from` (a match may reach
// into the text after it).
QTextCursor DocumentSearch::findBackward(const QTextDocument *document, int from) const
{
    const int last = from - 1;
    if (last < 0 || last > documentEnd(document))
        return {};
    const VirtualBreaks *breaks = breaksOf(document);
    int blocks = 0;
    RealSpan line = lineOf(document->findBlock(last), breaks, nullptr, &blocks);
    // At the start of a block behind a virtual break, `last` is the break:
    // the same place of the line as `from`, so the limit lies before both.
    int limit = line.offsetOf(from) - 1;
    QTextBlock block = document->findBlock(line.base);
    for (int walked = blocks;; walked += blocks) {
        const LineHit hit = searchLineBackward(line.text, limit);
        if (hit.start >= 0)
            return selection(document, line, hit);
        block = block.previous();
        if (!block.isValid() || walked >= BlockWalk)
            break;
        line = lineOf(block, breaks, nullptr, &blocks);
        block = document->findBlock(line.base);
        limit = std::numeric_limits<int>::max();
    }
    if (!block.isValid())
        return {};

    const RealSpan whole = wholeText(document, breaks);
    const QStringView text(whole.text);
    qsizetype lineEnd = whole.offsetOf(block.position() + block.length() - 1);
    if (!m_options.regexp) {
        const LineHit hit = searchLineBackward(text.left(lineEnd), std::numeric_limits<int>::max());
        return hit.start >= 0 ? selection(document, whole, hit) : QTextCursor();
    }
    while (lineEnd >= 0) {
        const qsizetype lineStart =
                lineEnd == 0 ? 0 : text.lastIndexOf(whole.separator, lineEnd - 1) + 1;
        const LineHit hit = searchLineBackward(text.mid(lineStart, lineEnd - lineStart),
                                               std::numeric_limits<int>::max());
        if (hit.start >= 0)
            return selection(document, whole, {int(lineStart) + hit.start, hit.length});
        lineEnd = lineStart - 1;
    }
    return {};
}

// A match that spans a virtual break is selected across it; one that only
// touches a break leaves it outside the selection.
QTextCursor DocumentSearch::selection(const QTextDocument *document, const RealSpan &span,
                                      LineHit hit)
{
    const int start = span.startPosition(hit.start);
    const int end = std::max(span.endPosition(hit.start + hit.length), start);
    QTextCursor cursor(const_cast<QTextDocument *>(document));
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor;
}

QTextCursor DocumentSearch::matchAt(const QTextCursor &cursor) const
{
    if (cursor.isNull() || !isValid())
        return {};
    QTextDocument *document = cursor.document();
    const VirtualBreaks *breaks = breaksOf(document);
    const int start = cursor.selectionStart();
    const RealSpan line = lineOf(document->findBlock(start), breaks);
    const int offset = line.offsetOf(start);
    const auto selected = [&](int length) {
        if (cursor.hasSelection())
            return cursor;
        return selection(document, line, {offset, length});
    };

    if (m_options.regexp) {
        const QRegularExpressionMatch match = regExpMatchAt(cursor);
        if (!match.hasMatch())
            return {};
        return selected(int(match.capturedLength()));
    }

    const int length = int(m_text.size());
    if (cursor.hasSelection() && line.offsetOf(cursor.selectionEnd()) - offset < length)
        return {};
    const Qt::CaseSensitivity cs = m_ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (offset + length > line.text.size()
            || QStringView(line.text).mid(offset, length).compare(m_text, cs) != 0)
        return {};
    if (m_options.wholeWords && !isWholeWordIn(line.text, offset, length))
        return {};
    return selected(length);
}

QRegularExpressionMatch DocumentSearch::regExpMatchAt(const QTextCursor &cursor) const
{
    QTextDocument *document = cursor.document();
    const VirtualBreaks *breaks = breaksOf(document);
    const int start = cursor.selectionStart();
    const RealSpan line = lineOf(document->findBlock(start), breaks);
    const int offset = line.offsetOf(start);
    // The text before the cursor stays in the subject, so that look-behind
    // and \b see it; "^" still only matches at the line start.
    QString subject = line.text.left(offset);
    if (!cursor.hasSelection())
        subject += QStringView(line.text).mid(offset);
    else if (!breaks)
        subject += cursor.selectedText();
    else
        subject += realSelectedText(cursor);
    return m_expression.match(subject, offset, QRegularExpression::NormalMatch,
                              QRegularExpression::AnchorAtOffsetMatchOption);
}

QString DocumentSearch::expandReplacement(const QString &replacement,
                                          const QRegularExpressionMatch &match)
{
    if (!replacement.contains(QLatin1Char('\\')))
        return replacement;
    QString text;
    text.reserve(replacement.size());
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement.at(i);
        const QChar next = i + 1 < replacement.size() ? replacement.at(i + 1) : QChar();
        if (c == QLatin1Char('\\') && next >= QLatin1Char('0') && next <= QLatin1Char('9')) {
            text += match.captured(next.unicode() - '0');
            ++i;
        } else if (c == QLatin1Char('\\') && next == QLatin1Char('\\')) {
            text += c;
            ++i;
        } else {
            text += c;
        }
    }
    // Captured text lies on one line of the file; its line breaks are the
    // paragraph separators of the subject.
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QString DocumentSearch::replacementAt(const QTextCursor &cursor, const QString &replacement) const
{
    if (!m_options.regexp || cursor.isNull() || !isValid())
        return replacement;
    const QRegularExpressionMatch match = regExpMatchAt(cursor);
    return match.hasMatch() ? expandReplacement(replacement, match) : replacement;
}

// The selection as the file has it: real breaks as the paragraph separators
// selectedText() gives, virtual ones left out.
QString DocumentSearch::realSelectedText(const QTextCursor &cursor)
{
    const QTextDocument *document = cursor.document();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    QString text;
    for (QTextBlock block = document->findBlock(start);
         block.isValid() && block.position() <= end; block = block.next()) {
        if (block.position() > start && !VirtualBreaks::isContinuation(block))
            text += QChar::ParagraphSeparator;
        const int from = std::max(start - block.position(), 0);
        const int to = std::min(end - block.position(), block.length() - 1);
        text += QStringView(block.text()).mid(from, to - from);
    }
    return text;
}

void DocumentSearch::replaceSelection(QTextCursor &cursor, const QString &replacement)
{
    VirtualBreaks *breaks = breaksOf(cursor.document());
    const KeptBreaks kept(breaks);
    cursor.beginEditBlock();
    insertOver(cursor, replacement, breaks);
    cursor.endEditBlock();
}

void DocumentSearch::insertOver(QTextCursor &cursor, const QString &text, const VirtualBreaks *breaks)
{
    if (!breaks) {
        cursor.insertText(text);
        return;
    }
    const int start = cursor.selectionStart();
    const QTextDocument *document = cursor.document();
    const bool continuation = VirtualBreaks::isContinuation(document->findBlock(start));
    cursor.insertText(text);
    // A selection that begins at a block start leaves the joined block with
    // the format of its last block; the line must stay as it began. The
    // blocks that the text's own line breaks open are real lines.
    const auto mark = [&cursor](int position, bool on) {
        cursor.setPosition(position);
        QTextBlockFormat format = cursor.blockFormat();
        if (format.boolProperty(VirtualBreaks::Property) == on)
            return;
        if (on)
            format.setProperty(VirtualBreaks::Property, true);
        else
            format.clearProperty(VirtualBreaks::Property);
        cursor.setBlockFormat(format);
    };
    const int end = cursor.position();
    mark(start, continuation);
    for (qsizetype i = 0; (i = text.indexOf(QLatin1Char('\n'), i)) >= 0; ++i)
        mark(start + int(i) + 1, false);
    cursor.setPosition(end);
}

int DocumentSearch::replaceAll(QTextDocument *document, const QString &replacement,
                               QTextCursor *last) const
{
    return replaceInLines(document, replacement, 0, std::numeric_limits<int>::max(), false, last);
}

int DocumentSearch::replaceInLines(QTextDocument *document, const QString &replacement, int from,
                                   int to, bool firstInLine, QTextCursor *last) const
{
    if (!document || !isValid())
        return 0;

    VirtualBreaks *breaks = breaksOf(document);
    QTextBlock first = document->findBlock(std::max(from, 0));
    while (VirtualBreaks::isContinuation(first) && first.previous().isValid())
        first = first.previous();
    // Every match is found on one flat copy of the lines taken before the
    // first edit, and each line's replacements go in from its back: what is
    // inserted is never searched again, and the document's growth so far
    // carries the copy's positions over to the edited text.
    const RealSpan span = linesFrom(document, first, to, breaks);
    const QStringView text(span.text);
    // The one edit block reports one range for all replacements: the
    // breaks inside it are not ones the user typed.
    const KeptBreaks kept(breaks);
    QTextCursor editor(document);
    int growth = 0;

    struct Replaced { int start; int length; QString text; };
    std::vector<Replaced> matches;  // start in the line
    QRegularExpressionMatch match;
    int count = 0;
    int lastEnd = -1;
    bool editing = false;
    for (qsizetype lineStart = span.offsetOf(first.position());
         lineStart <= text.size() && span.startPosition(int(lineStart)) <= to;) {
        qsizetype lineEnd = text.indexOf(span.separator, lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView line = text.mid(lineStart, lineEnd - lineStart);
        const int base = int(lineStart);
        lineStart = lineEnd + 1;
        matches.clear();
        int at = 0;
        int refuse = -1;
        while (at <= line.size()) {
            const LineHit hit = searchLine(line, at, refuse, &match);
            if (hit.start < 0)
                break;
            matches.push_back({base + hit.start, hit.length,
                               m_options.regexp ? expandReplacement(replacement, match) : replacement});
            at = hit.start + hit.length;
            // An empty match is not taken twice at the same place.
            refuse = hit.length == 0 ? at : -1;
            if (firstInLine)
                break;
        }
        if (matches.empty() || (line.isEmpty() && isBehindFinalLineEnd(document, span.startPosition(base) + growth)))
            continue;
        if (!editing) {
            editor.beginEditBlock();
            editing = true;
        }
        const auto cut = std::upper_bound(span.cuts.cbegin(), span.cuts.cend(), base);
        const bool oneBlock = cut == span.cuts.cend() || *cut > int(lineEnd);
        int lineGrowth = 0;
        if (matches.size() > 1 && oneBlock) {
            // Several matches in a line without virtual breaks: one edit
            // for all of them, which halves the work of a large replace.
            QString joined;
            int previousEnd = matches.front().start;
            for (const auto &m : matches) {
                joined += text.mid(previousEnd, m.start - previousEnd);
                joined += m.text;
                previousEnd = m.start + m.length;
            }
            const int start = span.startPosition(matches.front().start) + growth;
            const int end = std::max(span.endPosition(previousEnd) + growth, start);
            editor.setPosition(start);
            editor.setPosition(end, QTextCursor::KeepAnchor);
            insertOver(editor, joined, breaks);
            lineGrowth = int(joined.size()) - (end - start);
            lastEnd = end;
        } else {
            for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
                const int start = span.startPosition(it->start) + growth;
                const int end = std::max(span.endPosition(it->start + it->length) + growth, start);
                editor.setPosition(start);
                editor.setPosition(end, QTextCursor::KeepAnchor);
                insertOver(editor, it->text, breaks);
                lineGrowth += int(it->text.size()) - (end - start);
                if (it == matches.rbegin())
                    lastEnd = end;
            }
        }
        lastEnd += lineGrowth;
        growth += lineGrowth;
        count += int(matches.size());
    }
    if (editing)
        editor.endEditBlock();
    if (count > 0 && last) {
        *last = QTextCursor(document);
        last->setPosition(lastEnd);
    }
    return count;
}

// A long stretch is cut from one copy of the document, which is quicker than
// a string for every line; a short one is put together from its lines.
DocumentSearch::RealSpan DocumentSearch::linesFrom(const QTextDocument *document, QTextBlock first,
                                                   int to, const VirtualBreaks *breaks)
{
    const QTextBlock last = document->findBlock(std::clamp(to, 0, documentEnd(document)));
    if (last.blockNumber() - first.blockNumber() >= BlockWalk)
        return wholeText(document, breaks);
    RealSpan span;
    span.base = first.position();
    span.separator = QLatin1Char('\n');
    for (QTextBlock block = first; block.isValid() && block.position() <= to;) {
        if (block != first)
            span.text += span.separator;
        const int offset = int(span.text.size());
        const RealSpan line = lineOf(block, breaks, &block);
        for (const int c : line.cuts)
            span.cuts.append(offset + c);
        span.text += line.text;
    }
    return span;
}
