// The vi engine's command line: `/` and `?` searches and the `:` commands.
#include "highlight/viengine.h"

#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"

#include <QTextBlock>
#include <QTextDocument>

namespace {

DocumentSearch::Options regexOptions(const EditViewBase *view)
{
    DocumentSearch::Options options;
    // vi patterns are regular expressions, matched as the find dialog
    // matches them, with its case setting.
    options.regexp = true;
    if (const GlobalSettings *settings = view->globalSettings())
        options.caseMode = settings->ignoreCase;
    return options;
}

QTextBlock firstBlockOfLine(const EditViewBase *view, int line)
{
    const VirtualBreaks *breaks = view->virtualBreaks();
    return breaks && breaks->hasBreaks() ? breaks->blockOfRealLine(line)
                                         : view->document()->findBlockByNumber(line - 1);
}

} // namespace

void ViEngine::cancelCommandLine()
{
    cancelPending();
}

void ViEngine::rememberSearch(EditViewBase *view, const QString &pattern, bool backward)
{
    m_searchPattern = pattern;
    m_searchBackward = backward;
    // The find dialog offers it next time, and F3 finds it again.
    if (GlobalSettings *settings = view->globalSettings())
        settings->addFindString(pattern);
}

ViEngine::Motion ViEngine::searchMotion(EditViewBase *view, int from, const QString &pattern,
                                        bool backward, int n, bool quiet)
{
    Motion m;
    const DocumentSearch search(pattern, regexOptions(view));
    if (!search.isValid()) {
        if (!quiet)
            emit view->showMessage(search.invalidMessage(), true);
        return m;
    }
    const QTextDocument *doc = view->document();
    const int docEnd = doc->characterCount() - 1;
    QTextCursor at(view->document());
    // Forwards the match under the cursor is passed by.
    at.setPosition(backward ? from : std::min(from + 1, docEnd));
    int first = -1;
    bool wrapped = false;
    for (int i = 0; i < n; ++i) {
        QTextCursor found = search.find(doc, at, backward);
        if (found.isNull()) {
            // Round the end of the document, as vi does.
            at.setPosition(backward ? docEnd : 0);
            found = search.find(doc, at, backward);
            if (found.isNull() && !backward)
                found = search.matchAt(at);
            wrapped = true;
        }
        if (found.isNull()) {
            if (!quiet)
                emit view->showMessage(tr("Pattern not found: %1").arg(pattern));
            return m;
        }
        const int pos = found.selectionStart();
        if (i == 0) {
            first = pos;
        } else if (pos == first) {
            // Every match was visited: the rest of a huge count goes round again.
            const int cycle = i;
            i = n - 1 - (n - 1 - i) % cycle;
            i = std::max(i, 0);
        }
        m.position = pos;
        at.setPosition(backward ? pos : std::min(pos + 1, docEnd));
    }
    if (wrapped && !quiet)
        emit view->showMessage(tr("Search wrapped around the end of the document"));
    m.ok = true;
    return m;
}

void ViEngine::executeCommandLine(const QString &line, EditViewBase *view)
{
    const QChar kind = line.isEmpty() ? QChar(QLatin1Char(':')) : line.at(0);
    const QString body = line.mid(1);
    m_awaiting = QChar();
    if (!view) {
        cancelPending();
        return;
    }
    if (kind == QLatin1Char('/') || kind == QLatin1Char('?')) {
        const QString pattern = body.isEmpty() ? m_searchPattern : body;
        if (pattern.isEmpty()) {
            emit view->showMessage(tr("No previous search pattern"));
            cancelPending();
            return;
        }
        rememberSearch(view, pattern, kind == QLatin1Char('?'));
        const int from = viCursor(view);
        const Motion m = searchMotion(view, from, pattern, m_searchBackward, takeCount());
        if (!m_operator.isEmpty())
            applyOperator(view, from, m);
        else
            applyMotion(view, m);
        finishCommand(false);
        return;
    }
    const QString command = body.trimmed();
    if (!command.isEmpty()) {
        m_commandHistory.removeAll(command);
        m_commandHistory.prepend(command);
        while (m_commandHistory.size() > GlobalSettings::HistoryLimit)
            m_commandHistory.removeLast();
    }
    cancelPending();
    runExCommand(command, view);
}

void ViEngine::runExCommand(const QString &command, EditViewBase *view)
{
    const QTextDocument *doc = view->document();
    const int current = view->realLineNumber(view->textCursor().block());
    const int lastLine = view->realLineNumber(doc->lastBlock());
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < command.size() && command.at(i).isSpace())
            ++i;
    };
    // One address: a number, `.`, `$`, each with an optional +N or -N.
    const auto address = [&](bool *given) -> qint64 {
        skipBlanks();
        qint64 line = current;
        *given = false;
        if (i < command.size() && command.at(i) == QLatin1Char('.')) {
            ++i;
            *given = true;
        } else if (i < command.size() && command.at(i) == QLatin1Char('$')) {
            line = lastLine;
            ++i;
            *given = true;
        } else if (i < command.size() && command.at(i).isDigit()) {
            line = 0;
            while (i < command.size() && command.at(i).isDigit()) {
                line = std::min<qint64>(line * 10 + command.at(i).digitValue(), MaxRepeatCount);
                ++i;
            }
            *given = true;
        }
        while (i < command.size() && (command.at(i) == QLatin1Char('+') || command.at(i) == QLatin1Char('-'))) {
            const int sign = command.at(i) == QLatin1Char('+') ? 1 : -1;
            ++i;
            qint64 offset = 0;
            bool digits = false;
            while (i < command.size() && command.at(i).isDigit()) {
                offset = std::min<qint64>(offset * 10 + command.at(i).digitValue(), MaxRepeatCount);
                ++i;
                digits = true;
            }
            line += sign * (digits ? offset : 1);
            *given = true;
        }
        return line;
    };

    qint64 first = current;
    qint64 last = current;
    bool ranged = false;
    skipBlanks();
    if (i < command.size() && command.at(i) == QLatin1Char('%')) {
        ++i;
        first = 1;
        last = lastLine;
        ranged = true;
    } else {
        bool given = false;
        first = last = address(&given);
        ranged = given;
        if (i < command.size() && command.at(i) == QLatin1Char(',')) {
            ++i;
            last = address(&given);
            ranged = true;
        }
    }
    skipBlanks();
    qsizetype nameEnd = i;
    while (nameEnd < command.size() && command.at(nameEnd).isLetter())
        ++nameEnd;
    const QString name = command.mid(i, nameEnd - i);
    const bool bang = nameEnd < command.size() && command.at(nameEnd) == QLatin1Char('!');
    const QString argument = command.mid(nameEnd + (bang ? 1 : 0)).trimmed();
    const auto clampLine = [&](qint64 line) { return int(std::clamp<qint64>(line, 1, lastLine)); };

    if (name.isEmpty() && !bang && argument.isEmpty()) {
        if (ranged) {
            // `:N` goes to line N, the last line when there are fewer.
            view->jumpToLine(clampLine(last));
            moveInView(view, FirstNonBlank, 1);
        }
        return;
    }
    const auto is = [&](const char *shortName, const char *longName) {
        const QString full = QLatin1String(longName);
        return name.size() >= qsizetype(qstrlen(shortName)) && full.startsWith(name);
    };
    if (is("s", "substitute")) {
        if (first > last)
            std::swap(first, last);
        substitute(view, clampLine(first), clampLine(last), command.mid(nameEnd));
        return;
    }
    const bool plain = argument.isEmpty() && !ranged;
    if (plain && name == QLatin1String("wq")) {
        emit windowRequest(view, WriteQuit, QString());
        return;
    }
    if (plain && (is("x", "xit") || name == QLatin1String("exit")) && !bang) {
        emit windowRequest(view, WriteIfModifiedQuit, QString());
        return;
    }
    if (plain && is("w", "write") && !bang) {
        emit windowRequest(view, Write, QString());
        return;
    }
    if (plain && is("q", "quit")) {
        emit windowRequest(view, bang ? ForceQuit : Quit, QString());
        return;
    }
    if (!ranged && is("e", "edit") && !bang) {
        if (argument.isEmpty())
            emit view->showMessage(tr("No file name"), true);
        else
            emit windowRequest(view, Edit, argument);
        return;
    }
    emit view->showMessage(tr("Not an editor command: %1").arg(command), true);
}

void ViEngine::substitute(EditViewBase *view, int firstLine, int lastLine, const QString &arguments)
{
    const QString trimmed = arguments.trimmed();
    if (trimmed.isEmpty() || trimmed.at(0).isLetterOrNumber() || trimmed.at(0) == QLatin1Char('\\')
        || trimmed.at(0) == QLatin1Char('"')) {
        emit view->showMessage(tr("Not an editor command: %1").arg(QStringLiteral("s") + arguments), true);
        return;
    }
    // s/pattern/replacement/flags, any delimiter; a backslash keeps a
    // delimiter in the text.
    const QChar delimiter = trimmed.at(0);
    QStringList parts{QString()};
    for (qsizetype k = 1; k < trimmed.size(); ++k) {
        const QChar c = trimmed.at(k);
        if (c == QLatin1Char('\\') && k + 1 < trimmed.size() && trimmed.at(k + 1) == delimiter) {
            parts.last() += delimiter;
            ++k;
        } else if (c == delimiter && parts.size() < 3) {
            parts.append(QString());
        } else {
            parts.last() += c;
        }
    }
    QString pattern = parts.value(0);
    const QString replacement = parts.value(1);
    const QString flags = parts.value(2).trimmed();
    for (const QChar f : flags) {
        if (!QStringLiteral("giIc").contains(f)) {
            emit view->showMessage(tr("Not an editor command: %1").arg(QStringLiteral("s") + arguments), true);
            return;
        }
    }
    // Asking before each replacement is not offered here; replacing them all
    // unasked would do what the user meant to check first.
    if (flags.contains(QLatin1Char('c'))) {
        emit view->showMessage(tr("Substitution with confirmation is not available: "
                                  "use Replace Next in Find and Replace"), true);
        return;
    }
    if (pattern.isEmpty())
        pattern = m_searchPattern;
    if (pattern.isEmpty()) {
        emit view->showMessage(tr("No previous search pattern"));
        return;
    }
    DocumentSearch::Options options = regexOptions(view);
    if (flags.contains(QLatin1Char('i')))
        options.caseMode = IgnoreCase;
    else if (flags.contains(QLatin1Char('I')))
        options.caseMode = CaseSensitive;
    const DocumentSearch search(pattern, options);
    if (!search.isValid()) {
        emit view->showMessage(search.invalidMessage(), true);
        return;
    }
    m_searchPattern = pattern;
    if (GlobalSettings *settings = view->globalSettings()) {
        settings->addFindString(pattern);
        settings->addReplaceString(replacement);
    }
    QTextDocument *doc = view->document();
    QTextBlock lastBlock = firstBlockOfLine(view, lastLine);
    while (VirtualBreaks::isContinuation(lastBlock.next()))
        lastBlock = lastBlock.next();
    QTextCursor after;
    // One undo step for all the lines.
    const int count = search.replaceInLines(doc, replacement, firstBlockOfLine(view, firstLine).position(),
                                            lastBlock.position() + lastBlock.length() - 1,
                                            !flags.contains(QLatin1Char('g')), &after);
    if (count == 0) {
        emit view->showMessage(tr("Pattern not found: %1").arg(pattern));
        return;
    }
    QTextCursor cursor(after.block());
    moveCursor(cursor, FirstNonBlank);
    clampToLine(cursor);
    view->setTextCursor(cursor);
    emit view->showMessage(tr("%1 substitutions").arg(count));
}
