#include "editor/documentsearch.h"

#include "editor/globalsettings.h"

#include <QCoreApplication>
#include <QTextBlock>

#include <algorithm>
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
    if (backward) {
        const int start = from.isNull() ? 0 : from.selectionStart();
        return m_options.regexp ? findRegExp(document, start, true, true)
                                : findPlain(document, start, true);
    }
    const int start = from.isNull() ? 0 : from.selectionEnd();
    // Only a bare cursor refuses an empty match at itself; after a selected
    // match the place right behind it is new ground.
    return findForward(document, start, !from.isNull() && from.hasSelection());
}

QTextCursor DocumentSearch::findForward(const QTextDocument *document, int from,
                                        bool emptyAtFromAllowed) const
{
    return m_options.regexp ? findRegExp(document, from, false, emptyAtFromAllowed)
                            : findPlain(document, from, false);
}

QTextCursor DocumentSearch::findPlain(const QTextDocument *document, int from, bool backward) const
{
    QTextDocument::FindFlags flags;
    if (!m_ignoreCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (m_options.wholeWords)
        flags |= QTextDocument::FindWholeWords;
    if (backward)
        flags |= QTextDocument::FindBackward;
    return document->find(m_text, from, flags);
}

// QTextDocument::find would recompile the expression for every line it
// visits; this walks the lines with the one compiled expression instead.
QTextCursor DocumentSearch::findRegExp(const QTextDocument *document, int from, bool backward,
                                       bool emptyAtFromAllowed) const
{
    const auto select = [document](const QTextBlock &block, int start, int length) {
        QTextCursor cursor(const_cast<QTextDocument *>(document));
        cursor.setPosition(block.position() + start);
        cursor.setPosition(block.position() + start + length, QTextCursor::KeepAnchor);
        return cursor;
    };

    if (!backward) {
        if (from < 0 || from > documentEnd(document))
            return {};
        QTextBlock block = document->findBlock(from);
        int offset = from - block.position();
        while (block.isValid()) {
            const QString text = block.text();
            while (offset <= text.size()) {
                const QRegularExpressionMatch match = m_expression.match(text, offset);
                if (!match.hasMatch())
                    break;
                const int start = int(match.capturedStart());
                const int length = int(match.capturedLength());
                if (length == 0 && !emptyAtFromAllowed && block.position() + start == from) {
                    offset = start + 1;
                    continue;
                }
                return select(block, start, length);
            }
            block = block.next();
            offset = 0;
        }
        return {};
    }

    // Backwards: the last match that starts before `from` (a match may
    // reach into the text after it, as with plain text).
    const int last = from - 1;
    if (last < 0)
        return {};
    QTextBlock block = document->findBlock(last);
    int limit = last - block.position();
    while (block.isValid()) {
        const QString text = block.text();
        limit = std::min<int>(limit, int(text.size()));
        // Every place where a match can start, left to right, keeping the
        // last one not beyond the limit.
        int found = -1, foundLength = 0, at = 0;
        while (at <= limit) {
            const QRegularExpressionMatch match = m_expression.match(text, at);
            if (!match.hasMatch() || match.capturedStart() > limit)
                break;
            found = int(match.capturedStart());
            foundLength = int(match.capturedLength());
            at = found + 1;
        }
        if (found >= 0)
            return select(block, found, foundLength);
        block = block.previous();
        limit = block.isValid() ? block.length() - 1 : 0;
    }
    return {};
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
    const Qt::CaseSensitivity cs = m_ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    std::vector<std::pair<int, int>> matches;  // (start in line, length)
    QTextCursor editor(document);
    int count = 0;
    int lastEnd = -1;
    bool editing = false;

    for (QTextBlock block = document->begin(); block.isValid(); ) {
        const QString text = block.text();
        matches.clear();
        if (m_options.regexp) {
            int at = 0;
            bool emptyAllowed = true;
            while (at <= text.size()) {
                const QRegularExpressionMatch match = m_expression.match(text, at);
                if (!match.hasMatch())
                    break;
                const int start = int(match.capturedStart());
                const int length = int(match.capturedLength());
                if (length == 0 && start == at && !emptyAllowed) {
                    // The place an empty match was just taken: move on.
                    ++at;
                    emptyAllowed = true;
                    continue;
                }
                matches.emplace_back(start, length);
                at = start + length;
                emptyAllowed = length > 0;
            }
        } else {
            const int length = int(m_text.size());
            qsizetype at = 0;
            while ((at = text.indexOf(m_text, at, cs)) >= 0) {
                const int start = int(at);
                const bool whole = !m_options.wholeWords
                        || ((start == 0 || !isWordChar(text.at(start - 1)))
                            && (start + length == text.size() || !isWordChar(text.at(start + length))));
                if (whole) {
                    matches.emplace_back(start, length);
                    at = start + length;
                } else {
                    at = start + 1;
                }
            }
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
