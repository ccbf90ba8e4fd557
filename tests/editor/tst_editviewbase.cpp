#include "editor/commandstatistics.h"
#include "editor/virtualbreaks.h"
#include "highlight/linesplitter.h"
#include "testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

const int Cmd = ViEngine::CommandMode;
const int Ins = ViEngine::InsertMode;

// The stock colours: black on white, a red cursor, a blue end mark.
GlobalSettings makeSettings(bool lineNumber)
{
    GlobalSettings s;
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        s.colors[i] = QColor::fromString(GlobalSettings::defaultColorName(i));
    s.lineNumber = lineNumber;
    s.tabWidth = 4;
    return s;
}

// `extra` is appended to every third line, from the second on.
QString numberedLines(int count, const QString &extra = QString())
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("line %1").arg(i) + (i % 3 == 2 ? extra : QString()));
    return lines.join(u'\n');
}

int redPixels(const QImage &image, const QRect &rect)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += image.rect().contains(x, y) && qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 60 && qBlue(image.pixel(x, y)) < 60;
    return n;
}

// The bounds of the pixels that `ink` picks out.
QRect inkOf(const QImage &image, const std::function<bool(QRgb)> &ink)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            bounds |= ink(image.pixel(x, y)) ? QRect(x, y, 1, 1) : QRect();
    return bounds;
}

QImage grabbed(QWidget *w, const QRect &r = QRect())
{
    return w->grab(r.isNull() ? w->rect() : r).toImage().convertToFormat(QImage::Format_RGB32);
}

// What is on the (offscreen) screen now, as opposed to a fresh rendering.
QImage onScreen(QWidget *w, int height = -1)
{
    const QPoint origin = w->mapTo(w->window(), QPoint(0, 0));
    return w->window()->screen()->grabWindow(w->window()->winId(), origin.x(), origin.y(), w->width(),
                                             height < 0 ? w->height() : height).toImage().convertToFormat(QImage::Format_RGB32);
}

// A view with the test colours in a window beside a line edit (somewhere
// else for the focus to go).
struct Shown {
    Shown(bool lineNumber, int mode, const QString &text, int pointSize = 0)
        : settings(makeSettings(lineNumber))
    {
        engine.setMode(uchar(mode));
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(view = new EditViewBase(&settings, &engine));
        layout->addWidget(other = new QLineEdit);
        view->virtualBreaks()->setCutRules(LineSplitter::cutRules());
        if (pointSize > 0) {
            QFont font = view->font();
            font.setPointSize(pointSize);
            view->setFont(font);
        }
        view->updateEditorSettings();
        view->setPlainText(text);
        window.resize(420, 300);
        window.show();
    }
    bool focus(QWidget *target)
    {
        window.activateWindow();
        target->setFocus();
        return QTest::qWaitForWindowActive(&window) && QTest::qWaitFor([target] { return target->hasFocus(); }, 2000);
    }
    void setCursor(int position)
    {
        QTextCursor c(view->document());
        c.setPosition(position);
        view->setTextCursor(c);
    }
    int lineHeight() const { return view->cursorRect(QTextCursor(view->document())).height(); }
    int digit() const { return view->fontMetrics().horizontalAdvance(u'8'); }

    GlobalSettings settings;
    ViEngine engine;
    QWidget window;
    EditViewBase *view = nullptr;
    QLineEdit *other = nullptr;
};

QKeyCombination keyOf(const QString &text)
{
    if (text == QLatin1String("Shift"))
        return QKeyCombination(Qt::ShiftModifier, Qt::Key_Shift);
    const QKeySequence sequence = QKeySequence::fromString(text);
    if (sequence.isEmpty())
        qFatal("no key %s", qPrintable(text));
    return sequence[0];
}

} // namespace

class TestEditViewBase : public FixtureTest
{
    Q_OBJECT
private slots:
    void identity_data() { addTableRows("editor/identity.txt"); }

    void identity()
    {
        QFETCH(QStringList, fields);
        GlobalSettings settings = makeSettings(false);
        EditViewBase view(&settings, nullptr);
        if (!fields.at(0).isEmpty())
            view.setFullPath(fields.at(0));
        else
            view.setTitle(fields.at(1));
        QSignalSpy changed(&view, &EditViewBase::encodingChanged);
        view.setCharEncoding(CharEncoding(fields.at(2).toInt()));
        view.setCharEncoding(CharEncoding(fields.at(2).toInt()));  // the same value signals again
        QCOMPARE(changed.count(), 2);
        QCOMPARE(view.title(), fields.at(3));
        QCOMPARE(view.fileDirectory(), fields.at(4));
        QCOMPARE(view.titleWithEncoding(), fields.at(5));
    }

    void wheelZoom_data() { addTableRows("editor/wheelzoom.txt"); }

    // Zooming is the view's own business: the stored size stays. The margin,
    // the tab stops and the block cursor on a tab are measured in the new font.
    void wheelZoom()
    {
        QFETCH(QStringList, fields);
        const Qt::KeyboardModifiers mods = keyOf(fields.at(2) + "F1").keyboardModifiers();
        const int expectedSize = fields.at(3).toInt();
        const bool zooms = fields.at(4) == QLatin1String("zooms");
        Shown s(true, Cmd, "\tx\n" + numberedLines(400), fields.at(0).toInt());
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        QSignalSpy sizeSpy(s.view, &EditViewBase::fontSizeChanged);
        const QPointF pos(s.view->viewport()->width() / 2, s.view->viewport()->height() / 2);
        QWheelEvent event(pos, s.view->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, fields.at(1).toInt()), Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s.view->viewport(), &event);

        QCOMPARE(s.view->font().pointSize(), expectedSize);
        QCOMPARE(commandCount(QStringLiteral("Edit.WheelZoom")), zooms ? 1 : 0);
        QCOMPARE(sizeSpy.count(), zooms ? 1 : 0);
        QVERIFY(!zooms || sizeSpy.at(0).at(0).toInt() == expectedSize);
        QCOMPARE(s.view->verticalScrollBar()->value() > 0, !zooms);
        QCOMPARE(s.settings.fontSize, makeSettings(true).fontSize);
        QWidget *margin = s.view->lineNumberWidget();
        QCOMPARE(margin->width(), 7 * s.digit());
        QCOMPARE(s.view->viewport()->geometry().left(), margin->geometry().right() + 1);
        QTextCursor c(s.view->document());
        const int atTab = s.view->cursorRect(c).left();
        c.setPosition(1);
        const int span = s.view->cursorRect(c).left() - atTab;
        QVERIFY(qAbs(span - s.view->fontMetrics().horizontalAdvance(QStringLiteral("    "))) <= 1);
        QVERIFY2(qAbs(s.view->drawnCursorWidth() - span) <= 1, qPrintable(QStringLiteral("%1 vs %2").arg(s.view->drawnCursorWidth()).arg(span)));
    }

    void cursorShape_data() { addTableRows("editor/cursorshape.txt"); }

    // The drawn cursor and the input method follow the engine's mode.
    void cursorShape()
    {
        QFETCH(QStringList, fields);
        const int mode = fields.at(0) == "insert" ? Ins : Cmd;
        const QString measured = fields.at(3);  // its advance is the width; empty: one tab stop
        Shown s(false, mode == Ins ? Cmd : Ins, fields.at(1));
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        s.setCursor(fields.at(2).toInt());
        s.engine.setMode(uchar(mode));
        QCOMPARE(s.view->inputMethodQuery(Qt::ImEnabled).toBool(), mode == Ins);
        // The platform asks through a query event; it must get the same answer.
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(s.view, &query);
        QCOMPARE(query.value(Qt::ImEnabled).toBool(), mode == Ins);

        const QRect line = s.view->cursorRect();
        const QRect drawn = s.view->drawnCursorRect();
        QCOMPARE(drawn.left(), line.left());
        // Every line is as high as a line of Latin text in the view's font, also
        // one whose glyphs come from a taller fallback font.
        QTextLayout layout(QStringLiteral("Wg"), s.view->font());
        layout.beginLayout();
        QTextLine latin = layout.createLine();
        latin.setLeadingIncluded(true);
        layout.endLayout();
        const int lineHeight = qCeil(latin.height());
        if (line.height() != lineHeight) {
            QVERIFY(drawn.top() >= line.top() && drawn.bottom() <= line.bottom());
            QCOMPARE(drawn.height(), mode == Ins ? lineHeight : lineHeight / 2);
            return;
        }
        const int expected = mode == Ins ? 1 : measured.isEmpty() ? qRound(s.view->tabStopDistance()) : s.view->fontMetrics().horizontalAdvance(measured);
        QVERIFY2(qAbs(s.view->drawnCursorWidth() - expected) <= (mode == Ins ? 0 : 1),
                 qPrintable(QStringLiteral("width %1, expected %2").arg(s.view->drawnCursorWidth()).arg(expected)));
        QCOMPARE(drawn.width(), s.view->drawnCursorWidth());
        QCOMPARE(drawn.top(), line.top() + (mode == Ins ? 0 : line.height() / 2));
        QCOMPARE(drawn.height(), mode == Ins ? line.height() : line.height() / 2);
    }

    void cursorShowsAtOnceAndLeavesNoTrace()
    {
        Shown s(false, Cmd, "MMMM\nMMMM\n" + numberedLines(200), 24);
        QVERIFY(s.focus(s.view));
        s.setCursor(1);
        const QRect oldRect = s.view->drawnCursorRect();
        const int area = oldRect.width() * oldRect.height();
        auto redOnScreen = [&](const QRect &r) { return redPixels(onScreen(s.view->viewport()), r); };
        // Every pixel of the shape is cursor-coloured, and nothing around it
        // (the line's upper half in command mode).
        const QRect around = s.view->cursorRect().adjusted(-2, -2, oldRect.width() + 2, 2);
        QTRY_VERIFY_WITH_TIMEOUT(redOnScreen(oldRect) == area && redOnScreen(around) == area, 1500);
        // An unrelated partial repaint while the cursor stands still.
        s.view->viewport()->update(QRect(oldRect.right() + 30, 0, 10, 10));
        // Moved in the hidden phase, the cursor shows at once.
        QTRY_VERIFY_WITH_TIMEOUT(!s.view->cursorBlinkOn(), 1500);
        QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), 0, 1500);
        s.setCursor(0);
        QVERIFY(s.view->cursorBlinkOn());
        QCOMPARE(redPixels(grabbed(s.view->viewport()), s.view->drawnCursorRect()), area);
        // Moving in the visible phase wipes the old image from the screen.
        s.setCursor(1);
        QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), area, 1500);
        s.setCursor(8);
        const QRect newRect = s.view->drawnCursorRect();
        QVERIFY(!newRect.intersects(oldRect));
        QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(newRect), area, 1500);
        QCOMPARE(redOnScreen(oldRect), 0);
        // The view repaints the cursor itself when the phase changes.
        QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(newRect), 0, 1500);
        QVERIFY(!s.view->cursorBlinkOn());
        QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(newRect), area, 1500);
        QVERIFY(s.view->cursorBlinkOn());

        // Its pixels scrolled away with it; kept in mind, every later cursor
        // repaint would cover a strip from there to the cursor.
        s.setCursor(0);
        QTRY_VERIFY_WITH_TIMEOUT(s.view->cursorBlinkOn(), 1500);
        QTest::qWait(20);
        s.view->verticalScrollBar()->setValue(20);
        const auto toLine = [&s](int line) { s.setCursor(s.view->document()->findBlockByNumber(line).position()); };
        toLine(22);
        QTest::qWait(20);
        PaintSpy spy(s.view->viewport());
        toLine(23);
        QTRY_VERIFY(!spy.painted.isEmpty());
        QTest::qWait(20);
        QVERIFY2(spy.painted.boundingRect().height() <= 2 * s.lineHeight() + 4,
                 qPrintable(QStringLiteral("repainted %1 px high").arg(spy.painted.boundingRect().height())));
        QCOMPARE(s.view->verticalScrollBar()->value(), 20);  // both lines were in sight

        // Without the focus a dotted outline of the character stays, in both phases.
        s.setCursor(0);
        QVERIFY(s.focus(s.other));
        QRect outline = s.view->cursorRect();
        outline.setWidth(s.view->drawnCursorWidth());
        QVERIFY(outline.width() > 4);
        for (bool phase : {true, false}) {
            QTRY_COMPARE_WITH_TIMEOUT(s.view->cursorBlinkOn(), phase, 2000);
            const QImage image = grabbed(s.view->viewport());
            const int onOutline = redPixels(image, outline);
            QVERIFY2(onOutline > 4, "the outline should be drawn in both phases");
            QCOMPARE(redPixels(image, outline.adjusted(-2, -2, 2, 2)), onOutline);
            QCOMPARE(redPixels(image, outline.adjusted(1, 1, -1, -1)), 0);
            // Dotted: gaps that a solid pen would not leave.
            QVERIFY(onOutline < 2 * (outline.width() + outline.height()) - 4);
        }
    }

    void margin_data() { addTableRows("editor/margin.txt"); }

    // The numbers beside the lines, and the end mark, which starts where the
    // document ends, on its last line.
    void margin()
    {
        QFETCH(QStringList, fields);
        const bool lineNumber = fields.at(0) == "yes";
        int lines = fields.at(1).toInt();
        Shown s(lineNumber, Ins, numberedLines(lines, fields.at(4)));
        EditViewBase &view = *s.view;
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        if (fields.at(2).toInt())
            view.jumpToLine(fields.at(2).toInt());
        const int lineHeight = s.lineHeight();
        if (lines < 0) {
            // All of the bottom row shown but its lowest pixels, which the mark does not need.
            const int top = view.cursorRect(QTextCursor(view.document())).top();
            const int h = view.viewport()->height() - top;
            s.window.resize(s.window.width(), s.window.height() + (lineHeight - 3 - h % lineHeight + lineHeight) % lineHeight);
            QTRY_COMPARE((view.viewport()->height() - top) % lineHeight, lineHeight - 3);
            lines = (view.viewport()->height() - top) / lineHeight + 1;
            view.setPlainText(numberedLines(lines));
        }
        QTextCursor end(view.document());
        end.movePosition(QTextCursor::End);
        const QRect endRect = view.cursorRect(end);
        const QRect mark = inkOf(grabbed(view.viewport()), [](QRgb p) { return qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60; });
        QCOMPARE(!mark.isNull(), fields.at(5) == "yes");
        QVERIFY2(mark.isNull() || (mark.left() >= endRect.left() - 1 && mark.left() <= endRect.left() + 4),
                 qPrintable(QStringLiteral("ink at %1, end at %2").arg(mark.left()).arg(endRect.left())));
        QVERIFY(mark.isNull() || (mark.top() >= endRect.top() && mark.top() <= endRect.bottom()));

        QWidget *area = view.lineNumberWidget();
        const QImage image = grabbed(area);
        const QRgb paper = s.settings.color(GlobalSettings::ColLeftMargin).rgb();
        const QRect ink = inkOf(image, [paper](QRgb p) { return p != paper; });
        const QList<EditViewBase::MarginLabel> labels = view.marginLabels(0, area->height());
        if (!lineNumber) {
            QVERIFY(area->width() == 2 * s.digit() && labels.isEmpty() && ink.isNull());
            return;
        }
        if (lines == 3) {
            // Ink only in the three lines' band, right-aligned 8 pixels from the edge.
            QVERIFY(!ink.isNull() && ink.height() <= 3 * lineHeight);
            QVERIFY(ink.right() <= image.width() - 8 && ink.right() >= image.width() - 10 - view.fontMetrics().horizontalAdvance(u':'));
        }
        QVERIFY(area->width() >= 7 * s.digit());
        QVERIFY(!labels.isEmpty());
        // No first label given: the number of the line at the top.
        const QString firstLabel = fields.at(3).isEmpty() ? QStringLiteral("%1:").arg(view.topLine()) : fields.at(3);
        QCOMPARE(labels.first().text, firstLabel);
        // Consecutive numbers, one line apart, each ending 8 pixels left of the
        // margin's edge and none cut off on the left.
        const int firstNumber = firstLabel.chopped(1).toInt();
        for (int i = 0; i < labels.size(); ++i) {
            const EditViewBase::MarginLabel &label = labels.at(i);
            QCOMPARE(label.text, QStringLiteral("%1:").arg(firstNumber + i));
            QCOMPARE(label.x + view.fontMetrics().horizontalAdvance(label.text), area->width() - 8);
            QVERIFY2(label.x >= 0, qPrintable(label.text));
            QVERIFY(i == 0 || qAbs(label.baseline - labels.at(i - 1).baseline - lineHeight) <= 1);
        }
        // The walk stops at the bottom of the margin.
        QVERIFY(labels.size() <= area->height() / lineHeight + 2);
        QVERIFY(labels.last().baseline - view.fontMetrics().ascent() <= area->height());
        if (lines > 100)
            QVERIFY(labels.size() >= area->height() / lineHeight - 1);
        else
            QCOMPARE(labels.size(), qMax(lines, 1));
        // The first label sits on the line it numbers.
        const QTextCursor top(view.document()->findBlockByNumber(view.topLine() - 1));
        QCOMPARE(labels.first().baseline, view.cursorRect(top).top() + view.fontMetrics().ascent());
    }

    void shiftedLinesOnScreen_data() { addTableRows("editor/shiftedlines.txt"); }

    // Lines added or removed move the pixels below them rather than repainting
    // them: what reaches the screen must still be what a fresh painting shows,
    // text and numbers.
    void shiftedLinesOnScreen()
    {
        QFETCH(QStringList, fields);
        const int at = fields.at(2).toInt();
        const int removed = fields.at(3).toInt();
        QString text = numberedLines(fields.at(0) == "broken" ? 6 : fields.at(0).toInt());
        if (fields.at(0) == "broken")
            text.replace(QLatin1String("line 4"), QStringLiteral("line 4 ") + QString(5000, u'x'));
        Shown s(true, Ins, QString());
        s.view->loadText(text);
        QCOMPARE(s.view->virtualBreaks()->hasBreaks(), fields.at(0) == "broken");
        QVERIFY(s.focus(s.other));
        s.view->verticalScrollBar()->setValue(fields.at(1).toInt() - 1);
        QCoreApplication::processEvents();
        QTRY_COMPARE_WITH_TIMEOUT(onScreen(s.view->viewport()), grabbed(s.view->viewport()), 1000);

        QTextDocument *doc = s.view->document();
        QTextCursor c(doc->findBlockByNumber(at));
        if (removed > 0) {
            QTextBlock last = doc->findBlockByNumber(at + removed - 1);
            if (last.next().isValid()) {
                c.setPosition(last.next().position(), QTextCursor::KeepAnchor);
            } else {
                // The last line goes with the break before it.
                c.setPosition(last.position() + last.length() - 1);
                c.setPosition(std::max(doc->findBlockByNumber(at).position() - 1, 0), QTextCursor::KeepAnchor);
            }
        }
        c.insertText(fields.at(4));
        QCoreApplication::processEvents();
        QCOMPARE(onScreen(s.view->viewport()), grabbed(s.view->viewport()));
        // The margin beside the text; a horizontal scroll bar covers the rest.
        QWidget *margin = s.view->lineNumberWidget();
        const int height = s.view->viewport()->height();
        QCOMPARE(onScreen(margin, height), grabbed(margin, QRect(0, 0, margin->width(), height)));
    }

    void editView()
    {
        GlobalSettings settings = makeSettings(true);
        const QList<QPair<GlobalSettings::ColorIndex, QPalette::ColorRole>> roles{{GlobalSettings::ColBackground, QPalette::Base},
            {GlobalSettings::ColBackground, QPalette::Window}, {GlobalSettings::ColText, QPalette::Text},
            {GlobalSettings::ColSelBackground, QPalette::Highlight}, {GlobalSettings::ColSelText, QPalette::HighlightedText}};
        for (int i = 0; i < roles.size(); ++i)
            settings.colors[roles.at(i).first] = QColor(10 * i, 20, 30);
        const QSet<QString> keywords{QStringLiteral("var")};
        auto *view = new EditView(&settings, nullptr);
        view->setScriptKeywords(&keywords);
        view->updateSettings();
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            for (const auto &[index, role] : roles)
                QCOMPARE(view->palette().color(g, role), settings.colors[index]);
        // The line-number switch takes effect on the next update.
        const int d = view->fontMetrics().horizontalAdvance(u'8');
        QCOMPARE(view->lineNumberWidget()->width(), 7 * d);
        settings.lineNumber = false;
        view->updateSettings();
        QCOMPARE(view->lineNumberWidget()->width(), 2 * d);
        delete view;
        QCOMPARE(keywords.size(), 1);  // the shared set is not the view's to free
    }

    void keys_data() { addTableRows("editor/keys.txt"); }

    void keys()
    {
        QFETCH(QStringList, fields);
        const QString after = fields.at(5);
        const bool command = fields.at(6) == QLatin1String("command");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir->path()));
        Shown k(false, fields.at(0) == QLatin1String("command") ? Cmd : Ins, QString());
        k.settings.viEnabled = fields.at(0) != QLatin1String("insert");
        setCursorMarked(*k.view, fields.at(4));
        clearCommandStatistics();
        k.settings.softTab = fields.at(3).startsWith(QLatin1String("soft "));
        k.settings.tabWidth = fields.at(3).section(u' ', -1).toInt();
        const QString original = k.view->toPlainText();
        const int modeBefore = k.engine.mode();
        QSignalSpy messages(k.view, &EditViewBase::showMessage);
        QSignalSpy modes(&k.engine, &ViEngine::modeChanged);
        const QKeyCombination key = keyOf(fields.at(1));
        QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), fields.at(2));
        QApplication::sendEvent(k.view, &press);
        QDir::setCurrent(previous);

        // Keys in command mode never travel on to the widgets around.
        QVERIFY(press.isAccepted() || fields.at(0) != QLatin1String("command"));
        if (after.contains(u'|'))
            QCOMPARE(cursorMarked(*k.view), after);
        else if (!after.isEmpty())
            QVERIFY(k.view->toPlainText() == after && k.view->textCursor().hasSelection());
        QCOMPARE(countedNames(), fields.at(7));
        QCOMPARE(int(k.engine.mode()), int(command ? ViEngine::CommandMode : ViEngine::InsertMode));
        QCOMPARE(modes.size(), int(k.engine.mode()) != modeBefore ? 1 : 0);
        // In command mode the drawn cursor covers the character under it.
        QCOMPARE(k.view->drawnCursorWidth() > 1, command);
        // Escape shows where relative paths lead.
        QCOMPARE(messages.size(), fields.at(7).contains(QLatin1String("Edit.Escape")) ? 1 : 0);
        if (!messages.isEmpty())
            QCOMPARE(messages.first().first().toString(), QDir(dir->path()).canonicalPath());
        k.view->undo();
        QCOMPARE(k.view->toPlainText(), original);
    }

    void cursorCommands_data() { addTableRows("editor/cursorcommands.txt"); }

    void cursorCommands()
    {
        QFETCH(QStringList, fields);
        Shown k(false, Ins, QString());
        setCursorMarked(*k.view, fields.at(0));
        QString taken = QStringLiteral("stale");
        if (fields.at(1).isEmpty())
            k.view->jumpToMatchingBracket();
        else
            k.view->deleteInLine(fields.at(1).toInt(), &taken);
        QCOMPARE(cursorMarked(*k.view), fields.at(2));
        QCOMPARE(taken, fields.at(1).isEmpty() ? QStringLiteral("stale") : fields.at(3));
    }
};

QTEST_MAIN(TestEditViewBase)
#include "tst_editviewbase.moc"
