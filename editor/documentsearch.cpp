#include "editor/documentsearch.h"

#include "editor/globalsettings.h"

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

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber();
}

} // namespace

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
    return findForward(document, from.isNull() ? 0 : from.selectionEnd(),
                       !from.isNull() && from.hasSelection());
}

DocumentSearch::LineHit DocumentSearch::searchLine(QStringView line, int offset,
                                                   int refuseEmptyAt) const
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
    return (start == 0 || !isWordChar(line.at(start - 1)))
            && (end >= line.size() || !isWordChar(line.at(end)));
}

// The first lines are searched one block at a time, which is quickest for a
// match nearby; a search that has to go further takes one flat copy of the
// document and walks its lines as views, which avoids building a string for
// every line of a large document.
QTextCursor DocumentSearch::findForward(const QTextDocument *document, int from,
                                        bool emptyAtFromAllowed) const
{
    if (from < 0 || from > documentEnd(document))
        return {};
    QTextBlock block = document->findBlock(from);
    int offset = from - block.position();
    int refuse = emptyAtFromAllowed ? -1 : offset;
    for (int walked = 0; block.isValid() && walked < BlockWalk; ++walked) {
        const LineHit hit = searchLine(block.text(), offset, refuse);
        if (hit.start >= 0)
            return selection(document, block.position() + hit.start, hit.length);
        block = block.next();
        offset = 0;
        refuse = -1;
    }
    if (!block.isValid())
        return {};

    const QString raw = document->toRawText();
    const QStringView text(raw);
    if (!m_options.regexp) {
        // A plain text holds no line break, so the flat text is searched
        // in one go.
        qsizetype at = block.position();
        while (at <= text.size()) {
            const QRegularExpressionMatch match = m_literal.match(text, at);
            if (!match.hasMatch())
                return {};
            const int start = int(match.capturedStart());
            const int length = int(match.capturedLength());
            if (!m_options.wholeWords || isWholeWordIn(text, start, length))
                return selection(document, start, length);
            at = start + 1;
        }
        return {};
    }
    qsizetype lineStart = block.position();
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(QChar::ParagraphSeparator, lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const LineHit hit = searchLine(text.mid(lineStart, lineEnd - lineStart), 0, -1);
        if (hit.start >= 0)
            return selection(document, int(lineStart) + hit.start, hit.length);
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
    QTextBlock block = document->findBlock(last);
    int limit = last - block.position();
    for (int walked = 0; block.isValid() && walked < BlockWalk; ++walked) {
        const LineHit hit = searchLineBackward(block.text(), limit);
        if (hit.start >= 0)
            return selection(document, block.position() + hit.start, hit.length);
        block = block.previous();
        limit = std::numeric_limits<int>::max();
    }
    if (!block.isValid())
        return {};

    const QString raw = document->toRawText();
    const QStringView text(raw);
    qsizetype lineEnd = block.position() + block.length() - 1;
    if (!m_options.regexp) {
        const LineHit hit = searchLineBackward(text.left(lineEnd), std::numeric_limits<int>::max());
        return hit.start >= 0 ? selection(document, hit.start, hit.length) : QTextCursor();
    }
    while (lineEnd >= 0) {
        const qsizetype lineStart =
                lineEnd == 0 ? 0 : text.lastIndexOf(QChar::ParagraphSeparator, lineEnd - 1) + 1;
        const LineHit hit = searchLineBackward(text.mid(lineStart, lineEnd - lineStart),
                                               std::numeric_limits<int>::max());
        if (hit.start >= 0)
            return selection(document, int(lineStart) + hit.start, hit.length);
        lineEnd = lineStart - 1;
    }
    return {};
}

QTextCursor DocumentSearch::selection(const QTextDocument *document, int start, int length)
{
    QTextCursor cursor(const_cast<QTextDocument *>(document));
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    return cursor;
}

bool DocumentSearch::isWholeWord(const QTextDocument *document, int start, int length) const
{
    if (start > 0 && isWordChar(document->characterAt(start - 1)))
        return false;
    const int end = start + length;
    return end >= documentEnd(document) || !isWordChar(document->characterAt(end));
}

QTextCursor DocumentSearch::matchAt(const QTextCursor &cursor) const
{
    if (cursor.isNull() || !isValid())
        return {};
    QTextDocument *document = cursor.document();
    const int start = cursor.selectionStart();
    const QTextBlock block = document->findBlock(start);
    const QString blockText = block.text();
    const int offset = start - block.position();

    if (m_options.regexp) {
        // The text before the cursor stays in the subject, so that look-behind
        // and \b see it; "^" still only matches at the line start.
        QString subject = blockText.left(offset);
        subject += cursor.hasSelection() ? cursor.selectedText() : blockText.mid(offset);
        const QRegularExpressionMatch match =
                m_expression.match(subject, offset, QRegularExpression::NormalMatch,
                                   QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch())
            return {};
        if (cursor.hasSelection())
            return cursor;
        QTextCursor selected(cursor);
        selected.setPosition(start);
        selected.setPosition(start + int(match.capturedLength()), QTextCursor::KeepAnchor);
        return selected;
    }

    const int length = int(m_text.size());
    if (cursor.hasSelection() && cursor.selectionEnd() - start < length)
        return {};
    const Qt::CaseSensitivity cs = m_ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (offset + length > blockText.size()
            || QStringView(blockText).mid(offset, length).compare(m_text, cs) != 0)
        return {};
    if (m_options.wholeWords && !isWholeWord(document, start, length))
        return {};
    if (cursor.hasSelection())
        return cursor;
    QTextCursor selected(cursor);
    selected.setPosition(start + length, QTextCursor::KeepAnchor);
    return selected;
}

int DocumentSearch::replaceAll(QTextDocument *document, const QString &replacement,
                               QTextCursor *last) const
{
    if (!document || !isValid())
        return 0;

    // Every match is collected line by line on the original text and the
    // replacements then go in from the back of each line, so that positions
    // collected earlier stay right and nothing inserted is searched again.
    std::vector<std::pair<int, int>> matches;  // (start in line, length)
    QTextCursor editor(document);
    int count = 0;
    int lastEnd = -1;
    bool editing = false;

    for (QTextBlock block = document->begin(); block.isValid(); ) {
        const QString text = block.text();
        matches.clear();
        int at = 0;
        int refuse = -1;
        while (at <= text.size()) {
            const LineHit hit = searchLine(text, at, refuse);
            if (hit.start < 0)
                break;
            matches.emplace_back(hit.start, hit.length);
            at = hit.start + hit.length;
            // An empty match is not taken twice at the same place.
            refuse = hit.length == 0 ? at : -1;
        }
        if (matches.empty()) {
            block = block.next();
            continue;
        }
        if (!editing) {
            editor.beginEditBlock();
            editing = true;
        }
        const int blockStart = block.position();
        int growth = 0;
        for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
            editor.setPosition(blockStart + it->first);
            editor.setPosition(blockStart + it->first + it->second, QTextCursor::KeepAnchor);
            editor.insertText(replacement);
            growth += int(replacement.size()) - it->second;
        }
        const auto &rightmost = matches.back();
        lastEnd = blockStart + rightmost.first + rightmost.second + growth;
        count += int(matches.size());
        // A replacement with a line break splits the line: carry on after
        // the last piece of it, not inside what was just inserted.
        block = document->findBlock(blockStart + int(text.size()) + growth).next();
    }
    if (editing)
        editor.endEditBlock();
    if (count > 0 && last) {
        *last = QTextCursor(document);
        last->setPosition(lastEnd);
    }
    return count;
}
