#include "editor/editviewbase.h"

#include "editor/commandstatistics.h"
#include "editor/editdocumentlayout.h"
#include "editor/linescrollbar.h"
#include "editor/modalkeyhandler.h"
#include "editor/virtualbreaks.h"
#include "editor/globalsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QWheelEvent>

namespace {

// Line numbers end this many pixels left of the margin's right edge.
constexpr int MarginNumberGap = 8;
// How long typing pauses before a line it made too long is cut.
constexpr int SplitPauseMs = 400;
constexpr int MaxSplitTries = 25;

bool inCommandMode(const ModalKeyHandler *engine)
{
    return engine && engine->takesKeys();
}

// The cursor's rectangle cut to the height every line has: on a line with
// glyphs of a taller fallback font the plain rectangle reaches into the
// neighbouring lines.
QRect lineSlot(const QTextCursor &cursor, QRect rect)
{
    const auto *layout = qobject_cast<const EditDocumentLayout *>(
            cursor.document()->documentLayout());
    const QTextLayout *text = cursor.block().layout();
    if (!layout || !text || layout->lineHeight() <= 0)
        return rect;
    const QTextLine line = text->lineForTextPosition(cursor.positionInBlock());
    if (!line.isValid())
        return rect;
    rect.moveTop(rect.top() + qRound(line.ascent() - layout->lineAscent()));
    rect.setHeight(qRound(layout->lineHeight()));
    return rect;
}

} // namespace

EditViewBase::EditViewBase(GlobalSettings *settings, ModalKeyHandler *viEngine, QWidget *parent)
    : QPlainTextEdit(parent)
    , settings(settings)
    , viEngine(viEngine)
{
    // A document of our own, laid out so that colouring an edited line
    // repaints that line, not the screen.
    auto *doc = new QTextDocument(this);
    auto *layout = new EditDocumentLayout(doc);
    doc->setDocumentLayout(layout);
    connect(layout, &EditDocumentLayout::linesShifted, this, &EditViewBase::onLinesShifted);
    m_breaks = new VirtualBreaks(doc);
    setDocument(doc);
    setVerticalScrollBar(new LineScrollBar(Qt::Vertical, this));

    m_splitTimer.setSingleShot(true);
    m_splitTimer.setInterval(SplitPauseMs);
    connect(&m_splitTimer, &QTimer::timeout, this, &EditViewBase::splitGrownLines);
    connect(doc, &QTextDocument::contentsChange, this, [this](int from, int, int added) {
        if (m_loading)
            return;
        // Steps to redo mean an undo or redo made this change. A cut now
        // would be a new edit that throws those steps away, and after an
        // undo of the cut itself it would come straight back.
        if (document()->availableRedoSteps() > 0) {
            m_splitTimer.stop();
            m_grownFrom = m_grownTo = -1;
            return;
        }
        const QTextBlock block = document()->findBlock(from);
        const QTextBlock last = document()->findBlock(from + added);
        bool grown = false;
        for (QTextBlock b = block; b.isValid() && !grown; b = b.next()) {
            grown = b.length() - 1 > m_breaks->threshold();
            if (b == last)
                break;
        }
        if (!grown)
            return;
        m_grownFrom = m_grownFrom < 0 ? from : std::min(m_grownFrom, from);
        m_grownTo = std::max(m_grownTo, from + added);
        m_splitTimer.start();
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged,
            this, &EditViewBase::onCursorPositionChanged);
    setAcceptDrops(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // The view draws its own cursor; Qt's stays invisible.
    setCursorWidth(0);

    lineNumberArea = new QWidget(this);
    lineNumberArea->installEventFilter(this);
    updateLineNumberArea();
    // Repaint the margin only where the text changed or scrolled.
    connect(this, &QPlainTextEdit::updateRequest, this, &EditViewBase::onLayoutUpdateRequest);
    // The numbers themselves are repainted with the lines that changed.
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] {
        if (lineNumberArea->width() != lineNumberAreaWidth())
            updateLineNumberArea();
    });

    blinkTimer.setSingleShot(true);
    blinkTimer.setTimerType(Qt::PreciseTimer);
    connect(&blinkTimer, &QTimer::timeout, this, [this] {
        repaintCursor();
        scheduleBlinkRepaint();
    });
    if (viEngine) {
        connect(viEngine, &ModalKeyHandler::modeChanged, this, [this] {
            updateCursorShape();
            repaintCursor();
            // Command mode turns input-method input off; let the platform ask again.
            if (hasFocus())
                if (QInputMethod *im = QGuiApplication::inputMethod())
                    im->update(Qt::ImEnabled);
        });
    }

    blinkClock.start();
    lastCursorMove = blinkClock.elapsed();
    onCursorPositionChanged();
}

void EditViewBase::setFullPath(const QString &path)
{
    const bool changed = path != m_fullPath;
    m_fullPath = path;
    m_title = QFileInfo(path).fileName();
    if (changed)
        emit fullPathChanged();
}

QString EditViewBase::fileDirectory() const
{
    if (m_fullPath.isEmpty())
        return {};
    return QFileInfo(m_fullPath).absolutePath();
}

void EditViewBase::setCurrentDirToFile() const
{
    const QString dir = fileDirectory();
    if (!dir.isEmpty())
        QDir::setCurrent(dir);
}

void EditViewBase::setCharEncoding(CharEncoding encoding)
{
    if (encoding != m_format.encoding) {
        // A chosen encoding starts with its usual mark: UTF-16 readers
        // expect one, UTF-8 ones mostly do not.
        m_format.byteOrderMark = encoding == UTF16LE || encoding == UTF16BE;
        m_format.encoding = encoding;
    }
    emit encodingChanged();
}

void EditViewBase::setFileFormat(const FileFormat &format)
{
    m_format = format;
    emit encodingChanged();
}

void EditViewBase::setLineEnd(LineEnd lineEnd)
{
    m_format.lineEnd = lineEnd;
    emit encodingChanged();
}

void EditViewBase::setByteOrderMark(bool on)
{
    m_format.byteOrderMark = on && canHaveByteOrderMark(m_format.encoding);
    emit encodingChanged();
}

QString EditViewBase::formatDescription() const
{
    QString text;
    if (const char *name = encodingName(m_format.encoding)) {
        text = QLatin1String(name);
        if (m_format.byteOrderMark && canHaveByteOrderMark(m_format.encoding))
            text = tr("%1 with BOM").arg(text);
        text += QLatin1String(", ");
    }
    return text + QLatin1String(lineEndName(m_format.lineEnd));
}

QString EditViewBase::titleWithEncoding() const
{
    return (m_fullPath.isEmpty() ? m_title : m_fullPath)
        + QStringLiteral(" (%1)").arg(formatDescription());
}

void EditViewBase::replaceText(const QString &text)
{
    const int position = textCursor().position();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
    cursor.setPosition(std::min(position, document()->characterCount() - 1));
    setTextCursor(cursor);
}

QColor EditViewBase::settingsColor(int index, const QColor &fallback) const
{
    if (!settings)
        return fallback;
    const QColor c = settings->color(GlobalSettings::ColorIndex(index));
    return c.isValid() ? c : fallback;
}

void EditViewBase::applyTabStop()
{
    const int tabWidth = settings ? qMax(settings->tabWidth, 0) : 8;
    setTabStopDistance(fontMetrics().horizontalAdvance(QString(tabWidth, QLatin1Char(' '))));
}

void EditViewBase::updateEditorSettings()
{
    if (settings) {
        applyTabStop();
        QPalette pal = palette();
        const QColor background = settingsColor(GlobalSettings::ColBackground, pal.color(QPalette::Base));
        pal.setColor(QPalette::Base, background);
        pal.setColor(QPalette::Window, background);
        pal.setColor(QPalette::Text, settingsColor(GlobalSettings::ColText, pal.color(QPalette::Text)));
        pal.setColor(QPalette::Highlight,
                     settingsColor(GlobalSettings::ColSelBackground, pal.color(QPalette::Highlight)));
        pal.setColor(QPalette::HighlightedText,
                     settingsColor(GlobalSettings::ColSelText, pal.color(QPalette::HighlightedText)));
        setPalette(pal);
    }
    updateLineNumberArea();
    viewport()->update();
}

int EditViewBase::lineNumberAreaWidth() const
{
    const QFontMetrics fm(font());
    const int digitWidth = fm.horizontalAdvance(QLatin1Char('8'));
    if (!settings || !settings->lineNumber)
        return 2 * digitWidth;
    // Seven digit widths hold numbers up to five digits; longer documents get
    // a wider margin so that no leading digit is cut off.
    const int digits = QString::number(qMax(blockCount(), 1)).size();
    const int needed = fm.horizontalAdvance(QString(digits, QLatin1Char('8')) + QLatin1Char(':'))
                       + MarginNumberGap + digitWidth / 2;
    return qMax(7 * digitWidth, needed);
}

void EditViewBase::updateLineNumberArea()
{
    const int w = lineNumberAreaWidth();
    const QRect cr = contentsRect();
    lineNumberArea->setGeometry(cr.left(), cr.top(), w, cr.height());
    setViewportMargins(w, 0, 0, 0);
    lineNumberArea->update();
}

void EditViewBase::onLayoutUpdateRequest(const QRect &rect, int dy)
{
    if (dy) {
        lineNumberArea->scroll(0, dy);
        // The scrolled pixels carry the cursor image along.
        paintedCursorRect.translate(0, dy);
    } else
        lineNumberArea->update(0, rect.y(), lineNumberArea->width(), rect.height());
}

void EditViewBase::onLinesShifted(int first, int last, int delta)
{
    const auto *layout = qobject_cast<const EditDocumentLayout *>(document()->documentLayout());
    const QTextBlock block = document()->findBlockByNumber(first);
    const QTextBlock top = firstVisibleBlock();
    const QRect area = viewport()->rect();
    // Lines are rows of one height only without wrapping; a change above the
    // view moves what the view shows.
    if (!layout || !block.isValid() || !top.isValid() || first < top.blockNumber()
        || lineWrapMode() != NoWrap || document()->lineCount() != document()->blockCount()) {
        viewport()->update();
        lineNumberArea->update();
        return;
    }
    const int rowHeight = qRound(layout->lineHeight());
    const int firstY = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    if (firstY > area.bottom() || rowHeight <= 0)
        return;
    // The rows below the change show the lines they showed, moved.
    const int newBelow = firstY + (last - first + 1) * rowHeight;
    const int oldBelow = newBelow - delta * rowHeight;
    const int shiftTop = std::min(newBelow, oldBelow);
    if (shiftTop <= area.bottom()) {
        viewport()->scroll(0, newBelow - oldBelow, QRect(0, shiftTop, area.width(), area.bottom() - shiftTop + 1));
        if (!paintedCursorRect.isNull() && paintedCursorRect.top() >= oldBelow)
            paintedCursorRect.translate(0, newBelow - oldBelow);
    }
    viewport()->update(QRect(0, firstY, area.width(), std::max(newBelow - firstY, rowHeight)));

    // Numbers stay with their rows, except where the document now ends; a
    // virtual break's mark travels with its line.
    const int marginWidth = lineNumberArea->width();
    if (m_breaks->hasBreaks()) {
        lineNumberArea->update(0, firstY, marginWidth, area.bottom() - firstY + 1);
        return;
    }
    lineNumberArea->update(0, firstY, marginWidth, std::max(newBelow - firstY, rowHeight));
    const int lastY = firstY + (document()->blockCount() - 1 - first) * rowHeight;
    const int endTop = std::max(std::min(lastY, lastY - delta * rowHeight), firstY);
    if (endTop <= area.bottom())
        lineNumberArea->update(0, endTop, marginWidth, area.bottom() - endTop + 1);
}

EditViewBase::VisibleRange EditViewBase::visibleBlocks(int bottom) const
{
    VisibleRange range;
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return range;
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    range.first = block.blockNumber();
    // Rows of one height: counted, not walked, since measuring each block lays
    // it out and this runs on every cursor move and paint.
    const auto *layout = qobject_cast<const EditDocumentLayout *>(document()->documentLayout());
    if (layout && layout->lineHeight() > 0 && lineWrapMode() == NoWrap
        && document()->lineCount() == document()->blockCount()) {
        const int rows = top <= bottom ? int(std::floor((bottom - top) / layout->lineHeight())) : -1;
        range.last = std::min(range.first + rows, document()->blockCount() - 1);
        return range;
    }
    while (block.isValid() && top <= bottom) {
        range.last = block.blockNumber();
        top += blockBoundingRect(block).height();
        block = block.next();
    }
    return range;
}

void EditViewBase::loadText(const QString &text)
{
    m_loading = true;
    m_splitTimer.stop();
    m_grownFrom = m_grownTo = -1;
    QList<int> continuations;
    const QString shown =
            m_breaks->cut(text, m_breaks->startStateFor(fullPath()), &continuations);
    if (m_undoableLoad) {
        // One edit block: the marks of the old text come back with Undo.
        m_breaks->beginKeepingBreaks();
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        // What is left may carry the mark of the old last block.
        cursor.setBlockFormat(QTextBlockFormat());
        cursor.insertText(shown);
        QTextBlockFormat continuation;
        continuation.setProperty(VirtualBreaks::Property, true);
        for (int number : std::as_const(continuations)) {
            cursor.setPosition(document()->findBlockByNumber(number).position());
            cursor.mergeBlockFormat(continuation);
        }
        cursor.endEditBlock();
        m_breaks->endKeepingBreaks();
        cursor.setPosition(0);
        setTextCursor(cursor);
    } else {
        setPlainText(shown);
        m_breaks->markLoaded(continuations);
    }
    m_loading = false;
}

QString EditViewBase::realText() const
{
    return m_breaks->realText();
}

int EditViewBase::realLineNumber(const QTextBlock &block) const
{
    return m_breaks->hasBreaks() ? m_breaks->realLineNumber(block) : block.blockNumber() + 1;
}

void EditViewBase::splitGrownLines()
{
    if (m_grownFrom < 0)
        return;
    const int end = document()->characterCount() - 1;
    const int from = std::min(m_grownFrom, end);
    const int to = std::min(m_grownTo, end);
    m_grownFrom = m_grownTo = -1;
    bool notYet = false;
    m_breaks->splitLongBlocks(from, to, m_breaks->startStateFor(fullPath()), &notYet);
    // Tried again once the colouring has come further; a view that never
    // colours gives up after a while.
    if (notYet && ++m_splitTries < MaxSplitTries) {
        m_grownFrom = from;
        m_grownTo = to;
        m_splitTimer.start();
    } else {
        m_splitTries = 0;
    }
}

QMimeData *EditViewBase::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    if (!m_breaks->hasBreaks() || !cursor.hasSelection())
        return QPlainTextEdit::createMimeDataFromSelection();
    // The selection as the file has it: without the virtual breaks.
    QString text;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        if (block.position() > start)
            text += VirtualBreaks::isContinuation(block) ? QString() : QStringLiteral("\n");
        const int from = std::max(start - block.position(), 0);
        const int to = std::min(end - block.position(), block.length() - 1);
        text += block.text().mid(from, to - from);
    }
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

QList<EditViewBase::MarginLabel> EditViewBase::marginLabels(int top, int bottom) const
{
    QList<MarginLabel> labels;
    if (!settings || !settings->lineNumber)
        return labels;
    const QFontMetrics fm(font());
    const int areaWidth = lineNumberArea->width();
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return labels;
    qreal y = blockBoundingGeometry(block).translated(contentOffset()).top();
    // Walk only the lines that show: the cost must not depend on how much
    // of the document lies below the margin.
    while (block.isValid() && y <= bottom) {
        const qreal height = blockBoundingRect(block).height();
        if (block.isVisible() && y + height >= top) {
            const QTextLayout *layout = block.layout();
            // On the text's own baseline, wherever the layout put the line.
            const qreal baseline = layout && layout->lineCount() > 0
                    ? layout->lineAt(0).y() + layout->lineAt(0).ascent()
                    : fm.ascent();
            MarginLabel label;
            // A block that continues a line shows a mark, not a number.
            label.text = VirtualBreaks::isContinuation(block)
                    ? QStringLiteral("\u21b3")
                    : QStringLiteral("%1:").arg(realLineNumber(block));
            label.x = areaWidth - fm.horizontalAdvance(label.text) - MarginNumberGap;
            label.baseline = qRound(y + baseline);
            labels.append(label);
        }
        y += height;
        block = block.next();
    }
    return labels;
}

void EditViewBase::paintLineNumberArea(QPaintEvent *event)
{
    QPainter painter(lineNumberArea);
    painter.fillRect(event->rect(), settingsColor(GlobalSettings::ColLeftMargin, palette().color(QPalette::Window)));
    const QList<MarginLabel> labels = marginLabels(event->rect().top(), event->rect().bottom());
    if (labels.isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(settingsColor(GlobalSettings::ColLineNumber, palette().color(QPalette::Text)));
    for (const MarginLabel &label : labels)
        painter.drawText(label.x, label.baseline, label.text);
}

bool EditViewBase::eventFilter(QObject *object, QEvent *event)
{
    if (object == lineNumberArea && event->type() == QEvent::Paint) {
        paintLineNumberArea(static_cast<QPaintEvent *>(event));
        return true;
    }
    return false;
}

void EditViewBase::paintEvent(QPaintEvent *event)
{
    // The stock paint lays out and draws every line within the bounding
    // rectangle; a changed line at the top and lines moved up from the bottom
    // would draw the whole screen. Small pieces far apart are drawn each.
    const QRegion region = event->region();
    qint64 area = 0;
    for (const QRect &r : region)
        area += qint64(r.width()) * r.height();
    const QRect bounds = event->rect();
    if (region.rectCount() > 1 && area * 2 < qint64(bounds.width()) * bounds.height()) {
        for (const QRect &r : region) {
            QPaintEvent piece(r);
            QPlainTextEdit::paintEvent(&piece);
        }
    } else {
        QPlainTextEdit::paintEvent(event);
    }

    QPainter painter(viewport());
    const VisibleRange visible = visibleBlocks(event->rect().bottom());

    if (visible.contains(document()->lastBlock().blockNumber())) {
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        const QRect r = lineSlot(end, cursorRect(end));
        painter.setFont(font());
        painter.setPen(settingsColor(GlobalSettings::ColEOF, palette().color(QPalette::Text)));
        painter.drawText(r.left(), r.bottom(), QStringLiteral("[EOF]"));
    }

    // Whatever of the old cursor image lies outside this paint is still on
    // screen; what scrolled out of the viewport went with its pixels, and kept
    // it would make every later cursor repaint a strip from there.
    paintedCursorRect &= viewport()->rect();
    if (QRegion(paintedCursorRect).subtracted(event->region()).isEmpty())
        paintedCursorRect = QRect();
    if (!visible.contains(textCursor().blockNumber()))
        return;
    const QColor cursorColor = settingsColor(GlobalSettings::ColTextCursor, palette().color(QPalette::Text));
    if (hasFocus()) {
        if (cursorBlinkOn()) {
            const QRect r = drawnCursorRect();
            painter.fillRect(r, cursorColor);
            paintedCursorRect = paintedCursorRect.united(r);
        }
    } else {
        QRect r = lineSlot(textCursor(), cursorRect());
        r.setWidth(m_cursorWidth);
        QPen pen(cursorColor, 0, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        // A QRect outline covers one pixel more than the rectangle; keep it inside.
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        paintedCursorRect = paintedCursorRect.united(r);
    }
}

void EditViewBase::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    updateLineNumberArea();
}

void EditViewBase::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // Tab stops, the margin and the cursor are measured in the font.
        if (settings)
            applyTabStop();
        updateLineNumberArea();
        updateCursorShape();
    }
}

void EditViewBase::scrollContentsBy(int dx, int dy)
{
    QPlainTextEdit::scrollContentsBy(dx, dy);
    // Vertical steps count lines here; their pixel shift arrives through
    // updateRequest. Horizontal steps are pixels.
    paintedCursorRect.translate(isRightToLeft() ? -dx : dx, 0);
}

QRect EditViewBase::drawnCursorRect() const
{
    QRect r = lineSlot(textCursor(), cursorRect());
    r.setWidth(m_cursorWidth);
    if (inCommandMode(viEngine)) {
        const int h = r.height();
        r.setTop(r.top() + h / 2);
        r.setHeight(h / 2);
    }
    return r;
}

bool EditViewBase::cursorBlinkOn() const
{
    return (blinkClock.elapsed() - lastCursorMove) % (2 * BlinkPhase) < BlinkPhase;
}

void EditViewBase::restartCursorBlink()
{
    lastCursorMove = blinkClock.elapsed();
    repaintCursor();
    scheduleBlinkRepaint();
}

void EditViewBase::scheduleBlinkRepaint()
{
    if (!hasFocus()) {
        blinkTimer.stop();
        return;
    }
    const qint64 t = blinkClock.elapsed() - lastCursorMove;
    blinkTimer.start(int(BlinkPhase - t % BlinkPhase));
}

void EditViewBase::repaintCursor()
{
    if (!paintedCursorRect.isNull())
        viewport()->update(paintedCursorRect.adjusted(-1, -1, 1, 1));
    // A cursor far outside the viewport is not measured: that would lay out
    // every line between it and the top of the view.
    const VisibleRange visible = visibleBlocks(viewport()->height());
    if (!visible.contains(textCursor().blockNumber()))
        return;
    QRect r = lineSlot(textCursor(), cursorRect());
    r.setWidth(m_cursorWidth);
    viewport()->update(r.adjusted(-1, -1, 1, 1));
}

void EditViewBase::updateCursorShape()
{
    int width = 1;
    if (inCommandMode(viEngine)) {
        const QTextCursor cursor = textCursor();
        const int pos = cursor.position();
        QTextCursor next(document());
        next.setPosition(pos);
        next.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        QString text = next.selectedText();
        if (text.isEmpty() || text.at(0) == QChar::ParagraphSeparator)
            text = QStringLiteral(" ");
        width = 0;
        // The laid-out line knows the real advance, tabs included.
        const QTextBlock block = cursor.block();
        const QTextLayout *layout = block.layout();
        const int column = pos - block.position();
        if (text != QLatin1String(" ") && layout && layout->lineCount() > 0) {
            const QTextLine line = layout->lineForTextPosition(column);
            if (line.isValid())
                width = qRound(line.cursorToX(column + text.size()) - line.cursorToX(column));
        }
        if (width <= 0)
            width = fontMetrics().horizontalAdvance(text);
        if (width <= 0)
            width = fontMetrics().horizontalAdvance(QLatin1Char(' '));
    }
    m_cursorWidth = qMax(width, 1);
}

void EditViewBase::onCursorPositionChanged()
{
    lastCursorMove = blinkClock.elapsed();
    updateCursorShape();
    repaintCursor();
    scheduleBlinkRepaint();
}

void EditViewBase::scrollCursorLineToTop()
{
    // Without wrapping the scroll value is the number of the top line.
    verticalScrollBar()->setValue(textCursor().blockNumber());
}

void EditViewBase::setModified(bool modified, bool force)
{
    if (force || modified != document()->isModified())
        document()->setModified(modified);
}

void EditViewBase::jumpToLine(int line)
{
    // Lines of the file: a line shown as several blocks counts once.
    if (line <= 0 || line > realLineNumber(document()->lastBlock()))
        return;
    const int scrollBefore = verticalScrollBar()->value();
    QTextCursor cursor(m_breaks->hasBreaks() ? m_breaks->blockOfRealLine(line)
                                             : document()->findBlockByNumber(line - 1));
    setTextCursor(cursor);
    if (verticalScrollBar()->value() != scrollBefore)
        scrollCursorLineToTop();
    viewport()->update();
}

QVariant EditViewBase::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled && inCommandMode(viEngine))
        return false;
    return QPlainTextEdit::inputMethodQuery(query);
}

void EditViewBase::mousePressEvent(QMouseEvent *event)
{
    recordCommand(QStringLiteral("Edit.mousePress"));
    QPlainTextEdit::mousePressEvent(event);
}

void EditViewBase::mouseDoubleClickEvent(QMouseEvent *event)
{
    recordCommand(QStringLiteral("Edit.mouseDoubleClick"));
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

void EditViewBase::wheelEvent(QWheelEvent *event)
{
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    if (mods != Qt::ControlModifier) {
        QPlainTextEdit::wheelEvent(event);
        return;
    }
    recordCommand(QStringLiteral("Edit.WheelZoom"));
    zoomBy(event->angleDelta().y() > 0 ? 1 : -1);
    event->accept();
}

void EditViewBase::zoomBy(int points)
{
    int size = font().pointSize();
    if (size <= 0)  // a font sized in pixels
        size = QFontInfo(font()).pointSize();
    setZoomPointSize(size + points);
}

void EditViewBase::setZoomPointSize(int size)
{
    size = qBound(MinZoomPointSize, size, MaxZoomPointSize);
    QFont f = font();
    f.setPointSize(size);
    setFont(f);
    emit fontSizeChanged(size);
}

void EditViewBase::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    emit focusIn();
    repaintCursor();
    scheduleBlinkRepaint();
}

void EditViewBase::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    emit focusOut();
    blinkTimer.stop();
    repaintCursor();
}

int EditViewBase::topLine() const
{
    return realLineNumber(firstVisibleBlock());
}
