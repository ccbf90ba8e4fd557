#include "highlight/syntaxhighlighter.h"

#include "highlight/piecescanner.h"

#include "editor/datapaths.h"
#include "editor/virtualbreaks.h"
#include "html/editview.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScrollBar>
#include <QSet>
#include <QStringView>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <limits>

namespace {

// A name list and a set of views into its strings for the lookups. The lists
// live for the whole process and never change once filled, so the views stay
// valid.
struct NameList {
    QStringList names;
    QSet<QStringView> lookup;
};

NameList &tagList()
{
    static NameList list;
    return list;
}

NameList &propertyList()
{
    static NameList list;
    return list;
}

QSet<QString> &phpKeywordSet()
{
    static QSet<QString> set;
    return set;
}

void ensureLoaded(NameList &list, const QString &fileName)
{
    if (!list.names.isEmpty())
        return;
    list.names = SyntaxHighlighter::readNames(DataPaths::settingsFile(fileName));
    list.lookup.reserve(list.names.size());
    for (const QString &name : std::as_const(list.names))
        list.lookup.insert(QStringView(name));
}

} // namespace

SyntaxHighlighter::SyntaxHighlighter(EditView *view, const HighlightPalette &palette)
    : QObject(view), m_view(view), m_document(view->document())
{
    rebuildFormats(palette);
    ensureLoaded(tagList(), QStringLiteral("tags.txt"));
    ensureLoaded(propertyList(), QStringLiteral("css.txt"));
    if (phpKeywordSet().isEmpty()) {
        const QStringList words =
                readNames(DataPaths::settingsFile(QStringLiteral("phpKeywords.txt")));
        phpKeywordSet() = QSet<QString>(words.begin(), words.end());
    }
    m_pathState = startStateFor(view->fullPath());

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SyntaxHighlighter::slice);
    connect(m_document, &QTextDocument::contentsChange, this, &SyntaxHighlighter::onContentsChange);
    connect(view, &EditViewBase::fullPathChanged, this, &SyntaxHighlighter::onPathChanged);

    if (!m_document->isEmpty())
        rehighlight();
}

SyntaxHighlighter::~SyntaxHighlighter() = default;

QStringList SyntaxHighlighter::readNames(const QString &path)
{
    QStringList names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return names;
    const QString text = QString::fromUtf8(file.readAll());
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        // Comments, attribute lines (tab or blank first) and anything else
        // not starting with a letter add nothing.
        if (line.isEmpty() || !line.at(0).isLetter())
            continue;
        names.append(line.trimmed().section(QLatin1Char('\t'), 0, 0).toLower());
    }
    return names;
}

const QStringList &SyntaxHighlighter::tagNames()
{
    return tagList().names;
}

const QStringList &SyntaxHighlighter::propertyNames()
{
    return propertyList().names;
}

const QSet<QString> &SyntaxHighlighter::phpKeywords()
{
    return phpKeywordSet();
}

HtmlScanner::ScanState SyntaxHighlighter::startStateFor(const QString &path)
{
    if (path.isEmpty())
        return HtmlScanner::Html;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("js") || suffix == QLatin1String("mjs")
        || suffix == QLatin1String("cjs") || suffix == QLatin1String("json"))
        return HtmlScanner::Script;
    if (suffix == QLatin1String("css"))
        return HtmlScanner::Style;
    return HtmlScanner::Html;
}

void SyntaxHighlighter::rebuildFormats(const HighlightPalette &palette)
{
    for (int i = 0; i < FormatCount; ++i) {
        QTextCharFormat format;
        format.setForeground(palette.foreground[i]);
        format.setBackground(palette.background);
        m_formats[i] = format;
    }
}

void SyntaxHighlighter::setSliceLimits(int msecs, int maxLines)
{
    m_sliceMs = std::max(0, msecs);
    m_sliceLines = std::max(1, maxLines);
}

// ---------------------------------------------------------------------------
// Colouring one line

int SyntaxHighlighter::startState(const QTextBlock &block) const
{
    const QTextBlock previous = block.previous();
    const int state = previous.isValid() ? previous.userState() : -1;
    if (state < 0)
        return int(m_pathState);
    // A piece behind a virtual break goes on with its line; a real line
    // starts from what the line before hands on, without the piece carries.
    return VirtualBreaks::isContinuation(block) ? state | HtmlScanner::Continued
                                                : PieceScanner::lineState(state);
}

int SyntaxHighlighter::colourBlock(QTextBlock &block, int start)
{
    const QString text = block.text();
    PieceScanner scanner(m_view->keywords(), &phpKeywordSet(), text, start);
    const QSet<QStringView> &tags = tagList().lookup;
    const QSet<QStringView> &properties = propertyList().lookup;

    QList<QTextLayout::FormatRange> ranges;
    int lastKind = -1;
    for (HtmlScanner::ScanToken token = scanner.nextToken(); token != HtmlScanner::End;
         token = scanner.nextToken()) {
        int kind = -1;
        switch (token) {
        case HtmlScanner::Comment: kind = CommentFormat; break;
        case HtmlScanner::TagPunct: kind = TagFormat; break;
        case HtmlScanner::String: kind = StringFormat; break;
        case HtmlScanner::RegExp: kind = RegExpFormat; break;
        case HtmlScanner::EscapedChar: kind = EscapedCharFormat; break;
        case HtmlScanner::QuoteChar: kind = QuoteCharFormat; break;
        case HtmlScanner::EntityRef: kind = EntityFormat; break;
        case HtmlScanner::ScriptText: kind = ScriptTextFormat; break;
        case HtmlScanner::AtRule: kind = CssAtRuleFormat; break;
        case HtmlScanner::Number: kind = CssNumberFormat; break;
        case HtmlScanner::Important: kind = CssImportantFormat; break;
        case HtmlScanner::Variable: kind = PhpVariableFormat; break;
        case HtmlScanner::Ident: {
            const HtmlScanner::ScanState state = scanner.state();
            switch (state) {
            case HtmlScanner::InTag:
                // Exactly as written: the list holds lower-case names only.
                if (!scanner.continuesToken() && tags.contains(scanner.tokenView()))
                    kind = TagIdentFormat;
                break;
            case HtmlScanner::Script:
            case HtmlScanner::TemplateExpr:
            case HtmlScanner::PhpCode:
                kind = ScriptKeywordFormat;
                break;
            default:
                if (HtmlScanner::isStyleState(state)) {
                    const int behind = scanner.position();
                    if (behind < text.size() && text.at(behind) == u':'
                        && !scanner.continuesToken() && properties.contains(scanner.tokenView()))
                        kind = CssPropFormat;
                    else if (state == HtmlScanner::Style)
                        kind = CssSelectorFormat;
                    else if (state == HtmlScanner::StyleValue
                             || state == HtmlScanner::StyleAttrValue)
                        kind = CssValueFormat;
                }
                break;
            }
            break;
        }
        case HtmlScanner::OtherChar:
            // The marks of class, id and pseudo-class selectors go with
            // their names.
            if (scanner.state() == HtmlScanner::Style) {
                const int behind = scanner.position();
                const QChar c = text.at(scanner.tokenStart());
                if ((c == u'.' || c == u'#' || c == u':') && behind < text.size()
                    && (text.at(behind).isLetter() || text.at(behind) == u':'))
                    kind = CssSelectorFormat;
            }
            break;
        default:  // text runs and other characters keep the document's colour
            break;
        }
        const int length = scanner.tokenLength();
        if (kind < 0 || length == 0) {
            lastKind = -1;
            continue;
        }
        const int startAt = scanner.tokenStart();
        // Touching tokens of one colour share a range: fewer ranges to keep.
        if (kind == lastKind && !ranges.isEmpty()
            && ranges.last().start + ranges.last().length == startAt) {
            ranges.last().length += length;
        } else {
            ranges.append({startAt, length, m_formats[kind]});
        }
        lastKind = kind;
    }

    QTextLayout *layout = block.layout();
    if (layout->formats() != ranges) {
        // Every layout change is reported to the document; keeping one
        // contiguous stretch per report stops separate stretches from
        // merging into one huge change.
        if (m_dirtyFrom >= 0 && block.position() != m_dirtyTo)
            flushDirty();
        layout->setFormats(ranges);
        if (m_dirtyFrom < 0)
            m_dirtyFrom = block.position();
        m_dirtyTo = block.position() + block.length();
    } else if (m_dirtyFrom >= 0 && block.position() == m_dirtyTo) {
        m_dirtyTo = block.position() + block.length();
    }
    int end = scanner.endValue();
    if (!VirtualBreaks::isContinuation(block.next()))
        end = PieceScanner::lineState(end);
    block.setUserState(end);
    return end;
}

void SyntaxHighlighter::flushDirty()
{
    if (m_dirtyFrom < 0)
        return;
    const int from = m_dirtyFrom;
    const int length = m_dirtyTo - m_dirtyFrom;
    m_dirtyFrom = m_dirtyTo = -1;
    m_document->markContentsDirty(from, length);
}

// ---------------------------------------------------------------------------
// Pending work

int SyntaxHighlighter::firstRun() const
{
    int best = -1;
    for (int i = 0; i < m_runs.size(); ++i) {
        if (best < 0 || m_runs.at(i).pos < m_runs.at(best).pos)
            best = i;
    }
    return best;
}

void SyntaxHighlighter::addRun(int pos, int until, bool forceNext)
{
    // Runs whose lines meet or touch are one run that colours every line of
    // both. A counted undo or a held key adds a run per line while the
    // background waits for the typing to pause, and every edit walks them all.
    Run added{pos, until, forceNext};
    const auto end = [](const Run &run) { return std::max(run.pos, run.until); };
    const auto lineAfter = [this, &end](const Run &run) {
        const QTextBlock next = m_document->findBlock(end(run)).next();
        return next.isValid() ? next.position() : -1;
    };
    for (qsizetype i = m_runs.size() - 1; i >= 0; --i) {
        const Run &run = m_runs.at(i);
        const bool overlap = run.pos <= end(added) && added.pos <= end(run);
        if (!overlap && run.pos != lineAfter(added) && added.pos != lineAfter(run))
            continue;
        const int first = std::min(run.pos, added.pos);
        added.forceNext = (run.pos == first && run.forceNext) || (added.pos == first && added.forceNext);
        added.until = std::max(end(run), end(added));
        added.pos = first;
        m_runs.removeAt(i);
        i = m_runs.size();  // the wider run may meet one passed over
    }
    m_runs.append(added);
}

bool SyntaxHighlighter::needsColour(const QTextBlock &block) const
{
    if (block.userState() < 0)
        return true;
    const int p = block.position();
    for (const Run &run : m_runs) {
        if (run.pos <= p && (p <= run.until || (p == run.pos && run.forceNext)))
            return true;
    }
    return false;
}

void SyntaxHighlighter::schedule()
{
    if (!m_runs.isEmpty() && !m_timer.isActive())
        m_timer.start(0);
}

bool SyntaxHighlighter::processRuns(const QElapsedTimer &clock, qint64 deadlineNs, int limit,
                                    int maxLines)
{
    int lines = 0;
    while (!m_runs.isEmpty()) {
        // The run that starts first has an exact start state: every line
        // before it is coloured consistently.
        Run run = m_runs.takeAt(firstRun());
        if (run.pos > limit) {
            m_runs.append(run);
            return true;
        }
        QTextBlock block = m_document->findBlock(run.pos);
        bool force = run.forceNext;
        int until = run.until;
        while (block.isValid()) {
            const int p = block.position();
            // Runs this one has caught up with become part of it.
            for (qsizetype i = m_runs.size() - 1; i >= 0; --i) {
                const Run &other = m_runs.at(i);
                if (other.pos > p)
                    continue;
                until = std::max(until, other.until);
                if (other.pos == p)
                    force = force || other.forceNext;
                m_runs.removeAt(i);
            }
            if (!force && p > until && block.userState() >= 0)
                break;  // this line and all behind it are consistent
            if (p > limit || lines >= maxLines
                || (lines > 0 && clock.nsecsElapsed() >= deadlineNs)) {
                m_runs.append(Run{p, until, force});
                return false;
            }
            const int old = block.userState();
            force = colourBlock(block, startState(block)) != old;
            ++lines;
            block = block.next();
        }
    }
    return true;
}

void SyntaxHighlighter::visibleRange(QTextBlock &first, QTextBlock &last) const
{
    // Lines are not wrapped, so the scroll bar counts lines from the top.
    first = m_document->findBlockByLineNumber(m_view->verticalScrollBar()->value());
    if (!first.isValid())
        first = m_document->firstBlock();
    const int spacing = std::max(1, QFontMetrics(m_document->defaultFont()).lineSpacing());
    const int lines = m_view->viewport()->height() / spacing + 1;
    last = m_document->findBlockByNumber(first.blockNumber() + lines);
    if (!last.isValid())
        last = m_document->lastBlock();
}

void SyntaxHighlighter::keepScreenShaped()
{
    // Setting a line's formats within an edit makes the layout repaint the
    // whole screen; lines on screen keep their shaped text so that such a
    // repaint does not shape them all again.
    QTextBlock first, last;
    visibleRange(first, last);
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        block.layout()->setCacheEnabled(true);
        if (block == last)
            break;
    }
}

void SyntaxHighlighter::colourRange(QTextBlock block, const QTextBlock &last)
{
    bool changed = false;
    while (block.isValid()) {
        if (changed || needsColour(block)) {
            const int old = block.userState();
            changed = colourBlock(block, startState(block)) != old;
        } else {
            changed = false;
        }
        if (block == last)
            break;
        block = block.next();
    }
    const QTextBlock next = last.next();
    if (changed && next.isValid())
        addRun(next.position(), -1, true);
}

void SyntaxHighlighter::colourVisible()
{
    if (m_runs.isEmpty())
        return;
    QTextBlock first, last;
    visibleRange(first, last);
    if (m_runs.at(firstRun()).pos >= first.position())
        return;  // the pending work reaches the screen first, and exactly
    // Work before the screen is still pending: colour the screen from the
    // states the lines above have now. Should those change, the pending
    // work comes by again and puts it right. Done once per screen and edit.
    const auto memo = std::make_tuple(first.position(), last.position(), m_document->revision());
    if (memo == m_provisional)
        return;
    m_provisional = memo;
    colourRange(first, last);
}

void SyntaxHighlighter::syncStep(int editPos, int editEnd)
{
    QElapsedTimer clock;
    clock.start();
    keepScreenShaped();
    const qint64 deadline = qint64(m_sliceMs) * 1000000;
    QTextBlock first, last;
    visibleRange(first, last);
    const int lowest = m_runs.at(firstRun()).pos;
    if (lowest == editPos || lowest >= first.position()) {
        processRuns(clock, deadline, std::max(last.position(), editPos), m_sliceLines);
    } else if (editPos >= 0) {
        // Colouring above the edit is still pending: colour the edited lines
        // (as far as a screen goes) from the states above them now.
        const QTextBlock edited = m_document->findBlock(editPos);
        QTextBlock end = edited;
        for (int i = 0; i < 100 && end.next().isValid() && end.next().position() <= editEnd; ++i)
            end = end.next();
        colourRange(edited, end);
    } else {
        colourVisible();
    }
    flushDirty();
    if (m_runs.isEmpty())
        emit finished();
    else
        schedule();
}

void SyntaxHighlighter::slice()
{
    QElapsedTimer clock;
    clock.start();
    keepScreenShaped();
    colourVisible();
    processRuns(clock, qint64(m_sliceMs) * 1000000, INT_MAX, m_sliceLines);
    flushDirty();
    if (m_runs.isEmpty())
        emit finished();
    else
        schedule();
}

void SyntaxHighlighter::finishPending()
{
    if (m_runs.isEmpty())
        return;
    m_timer.stop();
    QElapsedTimer clock;
    clock.start();
    processRuns(clock, std::numeric_limits<qint64>::max(), INT_MAX, INT_MAX);
    flushDirty();
    emit finished();
}

// ---------------------------------------------------------------------------
// Triggers

void SyntaxHighlighter::rehighlight()
{
    addRun(0, m_document->lastBlock().position(), false);
    m_provisional = {-1, -1, -1};
    syncStep(-1, -1);
}

void SyntaxHighlighter::rehighlightNow()
{
    m_timer.stop();
    m_runs.clear();
    for (QTextBlock block = m_document->firstBlock(); block.isValid(); block = block.next())
        colourBlock(block, startState(block));
    flushDirty();
    emit finished();
}

void SyntaxHighlighter::onPathChanged()
{
    const HtmlScanner::ScanState state = startStateFor(m_view->fullPath());
    if (state == m_pathState)
        return;
    m_pathState = state;
    addRun(0, 0, false);
    syncStep(0, 0);
}

void SyntaxHighlighter::onContentsChange(int from, int charsRemoved, int charsAdded)
{
    // Pending positions follow the edit; those inside the replaced text move
    // to its start, which the edit's own run covers.
    const int delta = charsAdded - charsRemoved;
    const auto follow = [&](int p) {
        if (p < from)
            return p;
        if (p >= from + charsRemoved)
            return p + delta;
        return from;
    };
    for (Run &run : m_runs) {
        QTextBlock block = m_document->findBlock(follow(run.pos));
        if (!block.isValid())
            block = m_document->lastBlock();
        run.pos = block.position();
        if (run.until >= 0)
            run.until = follow(run.until);
    }
    // Runs moved onto one line become one.
    for (qsizetype i = m_runs.size() - 1; i > 0; --i) {
        for (qsizetype j = 0; j < i; ++j) {
            if (m_runs.at(j).pos == m_runs.at(i).pos) {
                m_runs[j].until = std::max(m_runs.at(j).until, m_runs.at(i).until);
                m_runs[j].forceNext = m_runs.at(j).forceNext || m_runs.at(i).forceNext;
                m_runs.removeAt(i);
                break;
            }
        }
    }

    QTextBlock first = m_document->findBlock(from);
    if (!first.isValid())
        first = m_document->lastBlock();
    // A block that became a continuation changes what the block before
    // hands on to it.
    if (VirtualBreaks::isContinuation(first) && first.previous().isValid())
        first = first.previous();
    QTextBlock last = m_document->findBlock(from + charsAdded);
    if (!last.isValid())
        last = m_document->lastBlock();
    addRun(first.position(), last.position(), false);
    syncStep(first.position(), last.position());
    // Input first: the rest waits until the typing pauses.
    if (isBusy())
        m_timer.start(m_inputPauseMs);
}
