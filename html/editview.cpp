#include "html/editview.h"

#include "editor/datapaths.h"
#include "editor/documentsearch.h"
#include "editor/globalsettings.h"
#include "editor/userprompt.h"
#include "editor/virtualbreaks.h"
#include "highlight/htmlscanner.h"
#include "highlight/linesplitter.h"
#include "highlight/syntaxhighlighter.h"
#include "highlight/viengine.h"
#include "html/closetags.h"
#include "html/completionwidget.h"
#include "html/keywordlist.h"
#include "html/zencoding.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

bool isBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The cursor's line as the file has it: its first block and the blocks that
// continue it behind virtual breaks.
struct RealLine {
    QTextBlock first;
    QString text;
    int column = 0;        // of the cursor
    QList<int> offsets;    // where each block's text begins in `text`
    QList<int> positions;  // document position of each block

    // Document position of an offset; at a virtual break, behind it.
    int position(int offset) const
    {
        const qsizetype i = std::upper_bound(offsets.cbegin(), offsets.cend(), offset) - offsets.cbegin() - 1;
        return positions.at(i) + offset - offsets.at(i);
    }
};

RealLine realLineAt(const QTextCursor &cursor)
{
    RealLine line;
    const QTextBlock block = cursor.block();
    line.first = block;
    while (VirtualBreaks::isContinuation(line.first))
        line.first = line.first.previous();
    for (QTextBlock b = line.first; b.isValid(); b = b.next()) {
        if (b != line.first && !VirtualBreaks::isContinuation(b))
            break;
        if (b == block)
            line.column = int(line.text.size()) + cursor.positionInBlock();
        line.offsets.append(int(line.text.size()));
        line.positions.append(b.position());
        line.text += b.text();
    }
    return line;
}

// The document as the file has it and `position` in it, for the scans that
// go through the whole text. toPlainText() also turns no-break spaces into
// blanks, which the scans rely on.
QString fileText(const EditViewBase *view, int *position)
{
    const VirtualBreaks *breaks = view->virtualBreaks();
    if (!breaks->hasBreaks())
        return view->document()->toPlainText();
    *position = breaks->toReal(*position);
    QString text = breaks->realText();
    text.replace(QChar::Nbsp, u' ');
    return text;
}

// Where the reference commands work: the selection, or without one the
// whole document. Answers a cursor at the start and the end position.
QTextCursor referenceScanStart(QTextCursor cursor, int *end)
{
    if (cursor.hasSelection()) {
        *end = cursor.selectionEnd();
        cursor.setPosition(cursor.selectionStart());
    } else {
        *end = cursor.document()->characterCount();
        cursor.movePosition(QTextCursor::Start);
    }
    return cursor;
}

// The highlighter's colours from the settings record (the defaults without one).
HighlightPalette paletteOf(const GlobalSettings *settings)
{
    using G = GlobalSettings;
    static constexpr G::ColorIndex keys[HighlightPalette::KindCount] = {
        G::ColComment, G::ColTag, G::ColTagIdent, G::ColDqString, G::ColRegexp,
        G::ColEscapedChar, G::ColQuoteChar, G::ColHtmlSpecialChar, G::ColScriptText,
        G::ColScriptKeyword, G::ColCssProp, G::ColCssSelector, G::ColCssAtRule,
        G::ColCssValue, G::ColCssNumber, G::ColCssImportant, G::ColPhpVariable,
    };
    const auto colour = [settings](G::ColorIndex index) {
        return settings ? settings->color(index) : QColor::fromString(G::defaultColorName(index));
    };
    HighlightPalette palette;
    for (int i = 0; i < HighlightPalette::KindCount; ++i)
        palette.foreground[i] = colour(keys[i]);
    palette.background = colour(G::ColBackground);
    return palette;
}

} // namespace

EditView::EditView(GlobalSettings *settings, ViEngine *viEngine, QWidget *parent)
    : EditViewBase(settings, viEngine, parent)
{
    // Long lines are cut where this view's colouring goes on exactly.
    virtualBreaks()->setCutRules(LineSplitter::cutRules());
    connect(document(), &QTextDocument::contentsChanged, this, &EditView::onContentsChanged);
    connect(document(), &QTextDocument::modificationChanged, this, &EditView::onModificationChanged);
    m_highlighter = new SyntaxHighlighter(this, paletteOf(settings));
}

EditView::~EditView()
{
    emit toClose(this);
}

void EditView::onContentsChanged()
{
    emit contentsChanged();
}

void EditView::onModificationChanged(bool changed)
{
    emit modificationChanged(changed);
}

void EditView::updateSettings()
{
    updateEditorSettings();
    m_highlighter->rebuildFormats(paletteOf(globalSettings()));
    m_highlighter->rehighlight();
    update();
}

QString EditView::keywordFile(const QString &name) const
{
    if (m_keywordDir.isEmpty())
        return DataPaths::settingsFile(name);
    return m_keywordDir + QLatin1Char('/') + name;
}

QStringList EditView::readLines(const QString &name, bool *ok) const
{
    return KeywordList::fromFile(keywordFile(name), ok).lines();
}

// ---------------------------------------------------------------------------
// Template

QString EditView::builtInTemplate()
{
    return QStringLiteral(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
        "<html>\n"
        "<head>\n"
        "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />\n"
        "\t<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />\n"
        "\t<meta name=\"author\" content=\"\" />\n"
        "\t<link rel=\"stylesheet\" href=\"docs.css\" type=\"text/css\" />\n"
        "\t<title>TITLE</title>\n"
        "</head>\n"
        "<body>\n"
        "\n"
        "</body>\n"
        "</html>\n");
}

void EditView::insertTemplate()
{
    QFile file(keywordFile(QStringLiteral("template.html")));
    QString text;
    if (file.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(file.readAll());
        // Documents keep LF line ends; a CR would start an extra line.
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    } else {
        text = builtInTemplate();
    }
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty()) {
            cursor.setPosition(block.position());
            break;
        }
    }
    setTextCursor(cursor);
}

// ---------------------------------------------------------------------------
// Character references

void EditView::encodeLtGtAmp()
{
    int end = 0;
    QTextCursor cursor = referenceScanStart(textCursor(), &end);
    static const QRegularExpression special(QStringLiteral("[<>&]"));
    cursor.beginEditBlock();
    for (;;) {
        QTextCursor found = document()->find(special, cursor, QTextDocument::FindCaseSensitively);
        if (found.isNull() || found.position() > end)
            break;
        const QChar c = found.selectedText().at(0);
        const QLatin1String reference = c == u'<' ? QLatin1String("&lt;")
                                      : c == u'>' ? QLatin1String("&gt;")
                                                  : QLatin1String("&amp;");
        found.insertText(reference);
        cursor = found;
        end += int(reference.size()) - 1;
    }
    cursor.endEditBlock();
    cursor.clearSelection();
    setTextCursor(cursor);
}

void EditView::decodeLtGtAmp()
{
    int end = 0;
    QTextCursor cursor = referenceScanStart(textCursor(), &end);
    cursor.beginEditBlock();
    for (;;) {
        const QTextCursor found = document()->find(QStringLiteral("&"), cursor,
                                                   QTextDocument::FindCaseSensitively);
        if (found.isNull() || found.position() > end)
            break;
        const int at = found.selectionStart();
        const QTextBlock block = found.block();
        // The view must not outlive the line's text.
        const QString text = block.text();
        const QStringView rest = QStringView(text).sliced(at - block.position());
        QString replacement;
        int length = 0;
        if (rest.startsWith(QLatin1String("&lt;"))) {
            replacement = QStringLiteral("<");
            length = 4;
        } else if (rest.startsWith(QLatin1String("&gt;"))) {
            replacement = QStringLiteral(">");
            length = 4;
        } else if (rest.startsWith(QLatin1String("&amp;"))) {
            replacement = QStringLiteral("&");
            length = 5;
        }
        if (length == 0) {
            cursor.setPosition(found.position());
            continue;
        }
        cursor.setPosition(at);
        cursor.setPosition(at + length, QTextCursor::KeepAnchor);
        cursor.insertText(replacement);
        end -= length - 1;
    }
    cursor.endEditBlock();
    cursor.clearSelection();
    setTextCursor(cursor);
}

// ---------------------------------------------------------------------------
// Links and anchors

void EditView::tagJump()
{
    const QString line = textCursor().block().text();
    const qsizetype href = line.indexOf(QLatin1String("href="), 0, Qt::CaseInsensitive);
    if (href < 0)
        return;
    const qsizetype i = href + 5;
    if (i >= line.size())
        return;
    QString link;
    QString anchor;
    const QChar quote = line.at(i);
    if (quote == u'"' || quote == u'\'') {
        const qsizetype close = line.indexOf(quote, i + 1);
        if (close < 0)
            return;
        link = line.mid(i + 1, close - i - 1);
        const qsizetype hash = link.indexOf(u'#');
        if (hash > 0) {
            anchor = link.mid(hash + 1);
            link.truncate(hash);
        }
    } else {
        qsizetype e = i;
        while (e < line.size() && !isBlankOrTab(line.at(e)) && line.at(e) != u'>')
            ++e;
        link = line.mid(i, e - i);
    }
    if (link.isEmpty())
        return;
    // "#name" points into this page; there is no file of that name to open.
    if (link.startsWith(u'#')) {
        if (link.size() > 1)
            jumpToAnchor(link.mid(1));
        return;
    }
    if (link.startsWith(u'/') && settings && !settings->docRootPath.isEmpty())
        link = settings->docRootPath + link;

    EditView *view = nullptr;
    emit openFile(link, &view);
    if (view && !anchor.isEmpty())
        view->jumpToAnchor(anchor);
}

bool EditView::jumpToAnchor(const QString &name)
{
    // The name is text from the page, never a pattern: "a.b" must not find "axb".
    const QRegularExpression pattern(
        QStringLiteral("<a name=\"?%1\\b").arg(QRegularExpression::escape(name)));
    const QTextCursor found = document()->find(pattern, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull())
        return false;
    QTextCursor cursor = textCursor();
    cursor.setPosition(found.selectionStart());
    setTextCursor(cursor);
    return true;
}

// ---------------------------------------------------------------------------
// Short texts and Zen-Coding

void EditView::insertShortText(int index)
{
    if (!settings || index < 0)
        return;
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        cursor.insertText(settings->shortText.value(index));
        setTextCursor(cursor);
        return;
    }
    const QStringList parts = settings->shortTextSel.value(index).split(QLatin1Char(','));
    if (parts.size() != 2)
        return;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    cursor.setPosition(end);
    cursor.beginEditBlock();
    cursor.insertText(parts.at(1));
    cursor.setPosition(start);
    cursor.insertText(parts.at(0));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void EditView::zenCoding()
{
    if (document()->isEmpty()) {
        insertTemplate();
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    // The abbreviation and the alignment come from the file's line: a long
    // one may begin before a virtual break.
    const RealLine line = realLineAt(cursor);
    const int end = line.column;
    int start = 0;
    QString prefix;
    if (!ZenCoding::findAbbreviation(line.text, end, start, prefix))
        return;
    QString markup = line.text.mid(start, end - start);
    int lines = 0;
    int column = 0;
    if (!ZenCoding::expandAbbreviation(prefix, markup, lines, column)) {
        emit showMessage(ZenCoding::tooLargeMessage(), true);
        return;
    }
    const int abbreviationStart = line.position(start);
    cursor.setPosition(abbreviationStart, QTextCursor::KeepAnchor);
    DocumentSearch::replaceSelection(cursor, markup);
    // The column counts UTF-16 units, as positions do; cursor moves would
    // step over a surrogate pair as one.
    qsizetype target = 0;
    for (int i = 0; i < lines; ++i) {
        const qsizetype feed = markup.indexOf(u'\n', target);
        if (feed < 0)
            break;
        target = feed + 1;
    }
    target += column;
    int position = abbreviationStart + int(target);
    if (const VirtualBreaks *breaks = VirtualBreaks::of(document()); breaks && breaks->hasBreaks())
        position = breaks->toDocument(breaks->toReal(abbreviationStart) + int(target));
    cursor.setPosition(position);
    setTextCursor(cursor);
}

// ---------------------------------------------------------------------------
// Completion support

QStringList EditView::closeTagCandidates() const
{
    // One flat copy: walking a big document block by block costs far more.
    int position = textCursor().position();
    const QString text = fileText(this, &position);
    return CloseTags::forText(text, position);
}

void EditView::insertCompletion(int from, const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(from, QTextCursor::KeepAnchor);
    DocumentSearch::replaceSelection(cursor, text);
    const qsizetype between = text.indexOf(QLatin1String("></"));
    if (text.endsWith(QLatin1String("\"\"")))
        cursor.movePosition(QTextCursor::Left);
    else if (between > 0)
        cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, int(text.size() - between - 1));
    setTextCursor(cursor);
}

bool EditView::tagAtCursor(QString &tagName) const
{
    const RealLine line = realLineAt(textCursor());
    const int column = line.column;
    int startState = HtmlScanner::Html;
    const QTextBlock previous = line.first.previous();
    if (previous.isValid())
        startState = std::max(previous.userState(), 0);  // not coloured yet: Html

    HtmlScanner scanner(scriptKeywords, line.text, startState);
    tagName.clear();
    int prev = startState;
    // Only a tag that begins on this line has its name here; on a line that
    // continues a tag the first identifier is an attribute.
    bool tagBegun = false;
    HtmlScanner::ScanToken token = scanner.nextToken();
    while (token != HtmlScanner::End && scanner.tokenStart() < column) {
        // A tag begins with its "<" or "</"; a PHP block or a style
        // attribute inside the tag leads back into the same tag.
        if (token == HtmlScanner::TagPunct && scanner.state() == HtmlScanner::InTag
            && scanner.tokenView().startsWith(u'<')) {
            tagName.clear();
            tagBegun = true;
        }
        if (token == HtmlScanner::Ident && scanner.state() == HtmlScanner::InTag && tagBegun
            && tagName.isEmpty())
            tagName = scanner.tokenText().toLower();
        prev = scanner.state();
        token = scanner.nextToken();
    }
    return prev == HtmlScanner::InTag || prev == HtmlScanner::StyleAttr
        || prev == HtmlScanner::StyleAttrValue;
}

bool EditView::isStyleContext(int column) const
{
    const RealLine real = realLineAt(textCursor());
    const QTextBlock previous = real.first.previous();
    bool style;
    if (previous.isValid())
        style = previous.userState() >= 0 && HtmlScanner::isStyleState(previous.userState())
            && !HtmlScanner::isPhpState(previous.userState());
    else
        style = QFileInfo(fullPath()).suffix().toLower() == QLatin1String("css");
    if (!style)
        return false;
    const QString &line = real.text;
    for (int i = 0; i < column && i < line.size(); ++i) {
        if (!isBlankOrTab(line.at(i)))
            return false;
    }
    return true;
}

QStringList EditView::tagCandidates() const
{
    return KeywordList(readLines(QStringLiteral("tags.txt"))).tags();
}

QStringList EditView::attributeCandidates(const QString &tag) const
{
    if (tag.isEmpty())
        return {};
    return KeywordList(readLines(QStringLiteral("tags.txt"))).attributes(tag);
}

QStringList EditView::cssCandidates() const
{
    return readLines(QStringLiteral("css.txt"));
}

QStringList EditView::charRefCandidates() const
{
    bool ok = false;
    const QStringList lines = readLines(QStringLiteral("htmlSpecialChars.txt"), &ok);
    return ok ? lines : KeywordList::charRefFallback();
}

QStringList EditView::listItemCandidates() const
{
    for (QTextBlock block = realLineAt(textCursor()).first.previous(); block.isValid();
         block = block.previous()) {
        // Only the first block of a line holds its start.
        if (VirtualBreaks::isContinuation(block))
            continue;
        const QString line = block.text();
        qsizetype i = 0;
        while (i < line.size() && line.at(i).isSpace())
            ++i;
        if (i == line.size() || line.at(i) != u'<'
            || QStringView(line).sliced(i).startsWith(QLatin1String("<!--")))
            continue;
        qsizetype e = i + 1;
        while (e < line.size() && line.at(e).isLetterOrNumber())
            ++e;
        const QString name = line.mid(i + 1, e - i - 1).toLower();
        if (name == QLatin1String("li") || name == QLatin1String("ul") || name == QLatin1String("ol"))
            return {QStringLiteral("<li></li>")};
        if (name == QLatin1String("p") || name == QLatin1String("br"))
            continue;
        return {};
    }
    return {};
}

QStringList EditView::wordCandidates(const QString &prefix, int from, int &row) const
{
    row = -1;
    if (prefix.isEmpty())
        return {};
    int position = from;
    const QString text = fileText(this, &position);
    return KeywordList::documentWords(text, prefix, position, row);
}

// ---------------------------------------------------------------------------
// Completion commands

void EditView::dynamicCompletion()
{
    if (document()->isEmpty())
        insertTemplate();
    else
        completion(false);
}

void EditView::closeTagCompletion()
{
    completion(true);
}

void EditView::completion(bool closeTagOnly)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.clearSelection();
        setTextCursor(cursor);
    }
    int from = cursor.position();
    const QPoint anchor = cursorRect(cursor).bottomLeft() + QPoint(lineNumberAreaWidth(), 0);
    // Columns count in the file's line: the word or the "</" before the
    // cursor may begin before a virtual break.
    const RealLine real = realLineAt(cursor);
    const QString &line = real.text;
    int col = real.column;
    QString prefix;

    if (!closeTagOnly && col > 0) {
        const QChar before = line.at(col - 1);
        if ((before.unicode() < 256 && before.isLetter()) || before == u'_') {
            int start = col;
            while (start > 0 && KeywordList::isWordChar(line.at(start - 1)))
                --start;
            prefix = line.mid(start, col - start);
            from = real.position(start);
            col = start;
        }
    }

    const QChar c1 = col > 0 ? line.at(col - 1) : QChar();
    const QChar c2 = col > 1 ? line.at(col - 2) : QChar();
    const bool afterCloseOpen = col > 1 && c2 == u'<' && c1 == u'/';
    QStringList candidates;
    int row = -1;
    QString tag;
    if (closeTagOnly) {
        candidates = closeTagCandidates();
        if (afterCloseOpen)
            from = real.position(col - 2);
        row = int(candidates.size()) - 1;
    } else if (col > 0 && c1 == u'<') {
        candidates = tagCandidates();
    } else if (afterCloseOpen) {
        candidates = closeTagCandidates();
        from = real.position(col - 2);
        row = int(candidates.size()) - 1;
    } else if (prefix.isEmpty() && col > 0 && c1 == u'>') {
        candidates = closeTagCandidates();
        row = int(candidates.size()) - 1;
    } else if (col > 0 && c1 == u'&') {
        candidates = charRefCandidates();
        from = real.position(col - 1);
        prefix = QStringLiteral("&");
    } else if (col > 0 && isBlankOrTab(c1) && tagAtCursor(tag)) {
        candidates = attributeCandidates(tag);
    } else if (isStyleContext(col)) {
        candidates = cssCandidates();
    } else if (prefix.isEmpty()
               && std::all_of(line.cbegin(), line.cbegin() + col, [](QChar c) { return c.isSpace(); })) {
        candidates = listItemCandidates();
    } else {
        candidates = wordCandidates(prefix, from, row);
    }
    if (candidates.isEmpty())
        return;

    CompletionWidget popup(this, candidates, prefix, row);
    if (popup.count() == 0) {
        emit showMessage(tr("No matched keyword."));
        return;
    }
    // Under the cursor, moved left or above where the screen ends.
    QPoint at = mapToGlobal(anchor);
    if (const QScreen *shown = screen()) {
        const QRect available = shown->availableGeometry();
        at.setX(qMax(available.left(), qMin(at.x(), available.right() + 1 - popup.width())));
        if (at.y() + popup.height() > available.bottom() + 1)
            at.setY(qMax(available.top(), at.y() - popup.height() - fontMetrics().height()));
    }
    popup.move(at);
    if (popup.count() == 1) {
        insertCompletion(from, popup.selectedText());
        return;
    }
    const int result = UserPrompt::instance()->runDialog(&popup);
    if (result == QDialog::Accepted) {
        insertCompletion(from, popup.selectedText());
    } else if (result == CompletionWidget::BackspaceResult) {
        QTextCursor current = textCursor();
        current.deletePreviousChar();
        setTextCursor(current);
    }
}
