#include "editor/commandstatistics.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "highlight/linesplitter.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const int Cmd = ViEngine::CommandMode;
const int Ins = ViEngine::InsertMode;

GlobalSettings makeSettings(bool lineNumber)
{
    GlobalSettings s;
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        s.colors[i] = QColor::fromString(GlobalSettings::defaultColorName(i));
    s.colors[GlobalSettings::ColTextCursor] = QColor(255, 0, 0);
    s.colors[GlobalSettings::ColEOF] = QColor(0, 0, 255);
    s.colors[GlobalSettings::ColLeftMargin] = QColor(250, 235, 215);
    s.colors[GlobalSettings::ColLineNumber] = QColor(0, 0, 0);
    s.colors[GlobalSettings::ColBackground] = QColor(255, 255, 255);
    s.colors[GlobalSettings::ColText] = QColor(0, 0, 0);
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
    return lines.join(QLatin1Char('\n'));
}

bool isCursorRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }
bool isBlueInk(QRgb p) { return qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60; }

int countPixels(const QImage &image, const QRect &rect, const std::function<bool(QRgb)> &pred)
{
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += pred(image.pixel(x, y)) ? 1 : 0;
    return n;
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
                                             height < 0 ? w->height() : height)
            .toImage().convertToFormat(QImage::Format_RGB32);
}

void sendWheel(QWidget *target, int delta, Qt::KeyboardModifiers mods)
{
    const QPointF pos(target->width() / 2, target->height() / 2);
    QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta),
                      Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// A view with the test colours in a window beside a line edit (somewhere
// else for the focus to go).
struct Shown {
    Shown(bool lineNumber, int mode, const QString &text, int pointSize = 0)
        : settings(makeSettings(lineNumber))
    {
        engine.setMode(uchar(mode));
        auto *layout = new QVBoxLayout(&window);
        view = new EditViewBase(&settings, &engine);
        view->virtualBreaks()->setCutRules(LineSplitter::cutRules());
        other = new QLineEdit;
        layout->addWidget(view);
        layout->addWidget(other);
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
        return QTest::qWaitForWindowActive(&window)
               && QTest::qWaitFor([target] { return target->hasFocus(); }, 2000);
    }
    void setCursor(int position)
    {
        QTextCursor c(view->document());
        c.setPosition(position);
        view->setTextCursor(c);
    }
    int lineHeight() const { return view->cursorRect(QTextCursor(view->document())).height(); }
    int digit() const { return view->fontMetrics().horizontalAdvance(QLatin1Char('8')); }
    int red(const QImage &image, const QRect &r) const { return countPixels(image, r, isCursorRed); }

    GlobalSettings settings;
    ViEngine engine;
    QWidget window;
    EditViewBase *view = nullptr;
    QLineEdit *other = nullptr;
};

} // namespace

class TestEditViewBase : public QObject
{
    Q_OBJECT
private slots:
    void init() { clearCommandStatistics(); }
    void identity_data()
    {
        QTest::addColumn<QStringList>("f");
        for (const TestRow &r : readTestTable("editor/identity.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields;
    }

    void identity()
    {
        QFETCH(QStringList, f);
        GlobalSettings settings = makeSettings(false);
        EditViewBase view(&settings, nullptr);
        if (!f.at(0).isEmpty())
            view.setFullPath(f.at(0));
        if (!f.at(1).isEmpty())
            view.setTitle(f.at(1));
        QSignalSpy changed(&view, &EditViewBase::encodingChanged);
        view.setCharEncoding(CharEncoding(f.at(2).toInt()));
        view.setCharEncoding(CharEncoding(f.at(2).toInt()));  // the same value signals again
        QCOMPARE(changed.count(), 2);
        QCOMPARE(view.title(), f.at(3));
        QCOMPARE(view.fileDirectory(), f.at(4));
        QCOMPARE(view.titleWithEncoding(), f.at(5));

        // Without a path the current directory stays.
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        if (!f.at(0).isEmpty())
            view.setFullPath(dir.filePath(QStringLiteral("page.html")));
        view.setCurrentDirToFile();
        QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(),
                 QFileInfo(f.at(0).isEmpty() ? before : dir.path()).canonicalFilePath());
        QDir::setCurrent(before);
    }

    void wheelZoom_data()
    {
        QTest::addColumn<int>("startSize");
        QTest::addColumn<int>("delta");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<int>("expectedSize");
        const QList<QPair<QString, Qt::KeyboardModifier>> names{
            {"ctrl", Qt::ControlModifier}, {"shift", Qt::ShiftModifier}, {"alt", Qt::AltModifier},
            {"meta", Qt::MetaModifier}, {"keypad", Qt::KeypadModifier}};
        for (const TestRow &r : readTestTable("editor/wheelzoom.txt")) {
            Qt::KeyboardModifiers mods;
            for (const auto &[name, mod] : names)
                mods.setFlag(mod, r.fields.at(2).contains(name));
            QTest::newRow(qPrintable(r.name)) << r.fields.at(0).toInt() << r.fields.at(1).toInt() << mods
                                              << r.fields.at(3).toInt();
        }
    }

    void wheelZoom()
    {
        QFETCH(int, startSize);
        QFETCH(int, delta);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(int, expectedSize);
        const bool zooms = mods.testFlag(Qt::ControlModifier) && !(mods & (Qt::ShiftModifier | Qt::AltModifier));
        Shown s(true, Ins, numberedLines(400), startSize);
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        QSignalSpy sizeSpy(s.view, &EditViewBase::fontSizeChanged);
        sendWheel(s.view->viewport(), delta, mods);

        QCOMPARE(s.view->font().pointSize(), expectedSize);
        QCOMPARE(commandCount(QStringLiteral("Edit.WheelZoom")), zooms ? 1 : 0);
        QCOMPARE(sizeSpy.count(), zooms ? 1 : 0);
        if (zooms)
            QCOMPARE(sizeSpy.at(0).at(0).toInt(), expectedSize);
        QCOMPARE(s.view->verticalScrollBar()->value() > 0, !zooms);
        // Zooming is the view's own business: the stored size stays.
        QCOMPARE(s.settings.fontSize, makeSettings(true).fontSize);
    }

    void zoomKeepsMeasuresInStep_data()
    {
        QTest::addColumn<bool>("lineNumber");
        QTest::addColumn<int>("tabWidth");
        QTest::addColumn<int>("steps");
        QTest::newRow("numbers, tab 4, zoom in") << true << 4 << 10;
        QTest::newRow("numbers, tab 2, zoom out") << true << 2 << -5;
        QTest::newRow("no numbers, tab 8, zoom in") << false << 8 << 12;
    }

    void zoomKeepsMeasuresInStep()
    {
        QFETCH(bool, lineNumber);
        QFETCH(int, tabWidth);
        QFETCH(int, steps);
        Shown s(lineNumber, Cmd, QStringLiteral("\tx\n") + numberedLines(50), 12);
        s.settings.tabWidth = tabWidth;
        s.view->updateEditorSettings();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        for (int i = 0; i < qAbs(steps); ++i)
            sendWheel(s.view->viewport(), steps > 0 ? 120 : -120, Qt::ControlModifier);
        QCOMPARE(s.view->font().pointSize(), 12 + steps);

        // The margin is measured in the new font and the text starts beside it.
        QWidget *margin = s.view->lineNumberWidget();
        QCOMPARE(margin->width(), (lineNumber ? 7 : 2) * s.digit());
        QCOMPARE(s.view->viewport()->geometry().left(), margin->geometry().right() + 1);
        // A tab still spans tabWidth blanks, and the block cursor on it covers it.
        QTextCursor c(s.view->document());
        const int atTab = s.view->cursorRect(c).left();
        c.setPosition(1);
        const int span = s.view->cursorRect(c).left() - atTab;
        QVERIFY(qAbs(span - s.view->fontMetrics().horizontalAdvance(QString(tabWidth, QLatin1Char(' ')))) <= 1);
        QVERIFY2(qAbs(s.view->drawnCursorWidth() - span) <= 1,
                 qPrintable(QStringLiteral("%1 vs %2").arg(s.view->drawnCursorWidth()).arg(span)));
    }

    void jumpToLine_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<bool>("lineAtTop");  // else: the view keeps its scroll position
        for (const TestRow &r : readTestTable("editor/jumptoline.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields.at(0).toInt() << r.fields.at(1).toInt()
                                              << (r.fields.at(2) == "yes") << (r.fields.at(3) == "yes");
    }

    void jumpToLine()
    {
        QFETCH(int, lines);
        QFETCH(int, line);
        QFETCH(bool, moves);
        QFETCH(bool, lineAtTop);
        Shown s(true, Ins, numberedLines(lines));
        EditViewBase &view = *s.view;
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        QTextCursor start(view.document());
        start.setPosition(qMin(8, view.document()->characterCount() - 1));
        start.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        view.setTextCursor(start);
        view.verticalScrollBar()->setValue(0);

        view.jumpToLine(line);
        const QTextCursor after = view.textCursor();
        if (!moves) {
            QCOMPARE(after, start);
            QCOMPARE(view.verticalScrollBar()->value(), 0);
            return;
        }
        QVERIFY(!after.hasSelection());
        QCOMPARE(after.blockNumber(), line - 1);
        QCOMPARE(after.positionInBlock(), 0);
        // The line becomes the top line, unless the document ends first.
        const int top = view.topLine() - 1;
        QCOMPARE(top, lineAtTop ? qMin(line - 1, view.verticalScrollBar()->maximum()) : 0);
        QVERIFY(top > 0 || !lineAtTop);
        QVERIFY(view.viewport()->rect().contains(view.cursorRect().center()));
    }

    void cursorShape_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("measured");  // its advance is the width; empty: one tab stop
        for (const TestRow &r : readTestTable("editor/cursorshape.txt"))
            QTest::newRow(qPrintable(r.name)) << (r.fields.at(0) == "insert" ? Ins : Cmd) << r.fields.at(1)
                                              << r.fields.at(2).toInt() << r.fields.at(3);
    }

    void cursorShape()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, measured);
        Shown s(false, mode, text);
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        s.setCursor(position);
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
        const int expected = mode == Ins ? 1
                             : measured.isEmpty() ? qRound(s.view->tabStopDistance())
                                                  : s.view->fontMetrics().horizontalAdvance(measured);
        QVERIFY2(qAbs(s.view->drawnCursorWidth() - expected) <= (mode == Ins ? 0 : 1),
                 qPrintable(QStringLiteral("width %1, expected %2").arg(s.view->drawnCursorWidth()).arg(expected)));
        QCOMPARE(drawn.width(), s.view->drawnCursorWidth());
        QCOMPARE(drawn.top(), line.top() + (mode == Ins ? 0 : line.height() / 2));
        QCOMPARE(drawn.height(), mode == Ins ? line.height() : line.height() / 2);
    }

    void modeSwitch_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("command") << Cmd << false;
        QTest::newRow("command, read-only") << Cmd << true;
        QTest::newRow("insert") << Ins << false;
    }

    // The drawn cursor and the input method follow the engine's mode.
    void modeSwitch()
    {
        QFETCH(int, mode);
        QFETCH(bool, readOnly);
        GlobalSettings settings = makeSettings(false);
        ViEngine engine;
        engine.setMode(uchar(mode));
        EditViewBase view(&settings, &engine);
        view.setPlainText(QStringLiteral("WWW"));
        view.setReadOnly(readOnly);
        for (int m : {mode, mode == Ins ? Cmd : Ins}) {
            engine.setMode(uchar(m));
            QCOMPARE(view.drawnCursorWidth(), m == Ins ? 1 : view.fontMetrics().horizontalAdvance(QLatin1Char('W')));
            QCOMPARE(view.inputMethodQuery(Qt::ImEnabled).toBool(), m == Ins);
            // The platform asks through a query event; it must get the same answer.
            QInputMethodQueryEvent query(Qt::ImEnabled);
            QApplication::sendEvent(&view, &query);
            QCOMPARE(query.value(Qt::ImEnabled).toBool(), m == Ins);
        }
    }

    void cursorPainting_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("insert") << Ins;
        QTest::newRow("command") << Cmd;
    }

    void cursorPainting()
    {
        QFETCH(int, mode);
        Shown s(true, mode, QStringLiteral("MWM\nsecond"), 16);
        QVERIFY(s.focus(s.view));
        s.setCursor(1);
        const QRect drawn = s.view->drawnCursorRect();
        QImage image;
        for (int attempt = 0; attempt < 3; ++attempt) {
            s.view->restartCursorBlink();
            image = grabbed(s.view->viewport());
            if (s.view->cursorBlinkOn())  // the grab ran inside the visible phase
                break;
        }
        // Every pixel of the shape is cursor-coloured, and nothing around it
        // (the line's upper half in command mode).
        const int area = drawn.width() * drawn.height();
        QCOMPARE(s.red(image, drawn), area);
        QCOMPARE(s.red(image, s.view->cursorRect().adjusted(-2, -2, s.view->drawnCursorWidth() + 2, 2)), area);
    }

    void unfocusedCursorIsDottedAndSteady()
    {
        Shown s(false, Cmd, QStringLiteral("MMM"), 20);
        QVERIFY(s.focus(s.other));
        QRect outline = s.view->cursorRect();
        outline.setWidth(s.view->drawnCursorWidth());
        QVERIFY(outline.width() > 4);
        for (bool phase : {true, false}) {
            QTRY_COMPARE_WITH_TIMEOUT(s.view->cursorBlinkOn(), phase, 2000);
            const QImage image = grabbed(s.view->viewport());
            const int onOutline = s.red(image, outline);
            QVERIFY2(onOutline > 4, "the outline should be drawn in both phases");
            QCOMPARE(s.red(image, outline.adjusted(1, 1, -1, -1)), 0);
            // Dotted: gaps that a solid pen would not leave.
            QVERIFY(onOutline < 2 * (outline.width() + outline.height()) - 4);
        }
    }

    void movedCursorShowsAtOnceAndLeavesNoTrace()
    {
        Shown s(false, Cmd, QStringLiteral("MMMM\nMMMM"), 24);
        QVERIFY(s.focus(s.view));
        s.setCursor(1);
        const QRect oldRect = s.view->drawnCursorRect();
        const int area = oldRect.width() * oldRect.height();
        auto redOnScreen = [&](const QRect &r) { return s.red(onScreen(s.view->viewport()), r); };
        QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), area, 1500);
        // An unrelated partial repaint while the cursor stands still.
        s.view->viewport()->update(QRect(oldRect.right() + 30, 0, 10, 10));

        // Moved in the hidden phase, the cursor shows at once.
        QTRY_VERIFY_WITH_TIMEOUT(!s.view->cursorBlinkOn(), 1500);
        QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), 0, 1500);
        s.setCursor(0);
        QVERIFY(s.view->cursorBlinkOn());
        QCOMPARE(s.red(grabbed(s.view->viewport()), s.view->drawnCursorRect()), area);

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
    }

    // Its pixels scrolled away with it; kept in mind, every later cursor repaint
    // would cover a strip from there to the cursor.
    void cursorScrolledOutOfSightIsForgotten()
    {
        Shown s(false, Cmd, numberedLines(200));
        QVERIFY(s.focus(s.view));
        s.setCursor(0);
        QTRY_VERIFY_WITH_TIMEOUT(s.view->cursorBlinkOn(), 1500);
        QTest::qWait(20);
        s.view->verticalScrollBar()->setValue(20);
        const auto toLine = [&s](int line) { s.setCursor(s.view->document()->findBlockByNumber(line).position()); };
        toLine(28);
        QTest::qWait(20);
        PaintSpy spy(s.view->viewport());
        toLine(29);
        QTRY_VERIFY(!spy.painted.isEmpty());
        QTest::qWait(20);
        QVERIFY2(spy.painted.boundingRect().height() <= 2 * s.lineHeight() + 4,
                 qPrintable(QStringLiteral("repainted %1 px high").arg(spy.painted.boundingRect().height())));
    }

    void margin_data()
    {
        QTest::addColumn<bool>("lineNumber");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("jumpTo");
        QTest::addColumn<QString>("firstLabel");
        QTest::addColumn<QString>("extra");
        for (const TestRow &r : readTestTable("editor/marginlabels.txt"))
            QTest::newRow(qPrintable(r.name)) << (r.fields.at(0) == "yes") << r.fields.at(1).toInt()
                                              << r.fields.at(2).toInt() << r.fields.at(3) << r.fields.at(4);
    }

    void margin()
    {
        QFETCH(bool, lineNumber);
        QFETCH(int, lines);
        QFETCH(int, jumpTo);
        QFETCH(QString, firstLabel);
        QFETCH(QString, extra);
        Shown s(lineNumber, Ins, lines ? numberedLines(lines, extra) : QString());
        EditViewBase &view = *s.view;
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        if (jumpTo)
            view.jumpToLine(jumpTo);

        QWidget *area = view.lineNumberWidget();
        const QImage image = grabbed(area);
        const QRgb paper = s.settings.color(GlobalSettings::ColLeftMargin).rgb();
        const auto isInk = [paper](QRgb p) { return p != paper; };
        int inkRight = -1;
        int inkRows = 0;
        for (int y = 0; y < image.height(); ++y) {
            inkRows += countPixels(image, QRect(0, y, image.width(), 1), isInk) > 0 ? 1 : 0;
            for (int x = 0; x < image.width(); ++x)
                inkRight = isInk(image.pixel(x, y)) ? qMax(inkRight, x) : inkRight;
        }
        const QList<EditViewBase::MarginLabel> labels = view.marginLabels(0, area->height());
        if (!lineNumber) {
            QCOMPARE(area->width(), 2 * s.digit());
            QVERIFY(labels.isEmpty());
            QCOMPARE(inkRows, 0);
            return;
        }
        if (lines == 3) {
            // Ink only in the three lines' band, right-aligned 8 pixels from the edge.
            QVERIFY(inkRows > 0 && inkRows <= 3 * s.lineHeight());
            QVERIFY(inkRight <= image.width() - 8);
            QVERIFY(inkRight >= image.width() - 8 - view.fontMetrics().horizontalAdvance(QLatin1Char(':')) - 2);
        }
        QVERIFY(area->width() >= 7 * s.digit());
        QVERIFY(!labels.isEmpty());
        QCOMPARE(labels.first().text, firstLabel);
        // Consecutive numbers, one line apart, each ending 8 pixels left of the
        // margin's edge and none cut off on the left.
        const int lineHeight = s.lineHeight();
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

    void eofMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("scrollToLine");
        QTest::addColumn<bool>("shown");
        QTest::newRow("empty document") << QString() << 0 << true;
        QTest::newRow("on second line") << "abc\nxy" << 0 << true;
        QTest::newRow("below the view") << numberedLines(300) << 0 << false;
        QTest::newRow("scrolled to the end") << numberedLines(300) << 300 << true;
        // -1: as many lines as put the last one on the bottom row, cut by the edge.
        QTest::newRow("on the bottom row, cut by the edge") << QString() << -1 << true;
    }

    void eofMark()
    {
        QFETCH(QString, text);
        QFETCH(int, scrollToLine);
        QFETCH(bool, shown);
        Shown s(true, Ins, text);
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        if (scrollToLine > 0)
            s.view->jumpToLine(scrollToLine);
        if (scrollToLine < 0) {
            // All of the bottom row shown but its lowest pixels, which the mark does not need.
            const int lh = s.lineHeight();
            const int top = s.view->cursorRect(QTextCursor(s.view->document())).top();
            const int h = s.view->viewport()->height() - top;
            s.window.resize(s.window.width(), s.window.height() + (lh - 3 - h % lh + lh) % lh);
            QTRY_COMPARE((s.view->viewport()->height() - top) % lh, lh - 3);
            s.view->setPlainText(numberedLines((s.view->viewport()->height() - top) / lh + 1));
        }
        const QImage image = grabbed(s.view->viewport());
        QTextCursor end(s.view->document());
        end.movePosition(QTextCursor::End);
        const QRect endRect = s.view->cursorRect(end);
        int left = image.width();
        int top = image.height();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (isBlueInk(image.pixel(x, y))) {
                    left = qMin(left, x);
                    top = qMin(top, y);
                }
        if (!shown) {
            QCOMPARE(top, image.height());  // no ink at all
            return;
        }
        // The mark starts where the document ends, on its last line.
        QVERIFY2(left >= endRect.left() - 1 && left <= endRect.left() + 4,
                 qPrintable(QStringLiteral("ink at %1, end at %2").arg(left).arg(endRect.left())));
        QVERIFY(top >= endRect.top() && top <= endRect.bottom());
    }

    void shiftedLinesOnScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("topLine");
        QTest::addColumn<int>("at");       // block where the edit starts
        QTest::addColumn<int>("removed");  // whole lines taken out there
        QTest::addColumn<QString>("inserted");
        QString broken = numberedLines(6);
        broken.replace(QLatin1String("line 4"), QStringLiteral("line 4 ") + QString(5000, QLatin1Char('x')));
        for (const TestRow &r : readTestTable("editor/shiftedlines.txt"))
            QTest::newRow(qPrintable(r.name)) << (r.fields.at(0) == "broken" ? broken : numberedLines(r.fields.at(0).toInt()))
                                              << r.fields.at(1).toInt() << r.fields.at(2).toInt()
                                              << r.fields.at(3).toInt() << r.fields.at(4);
    }

    // Lines added or removed move the pixels below them rather than repainting
    // them: what reaches the screen must still be what a fresh painting shows,
    // text and numbers.
    void shiftedLinesOnScreen()
    {
        QFETCH(QString, text);
        QFETCH(int, topLine);
        QFETCH(int, at);
        QFETCH(int, removed);
        QFETCH(QString, inserted);
        Shown s(true, Ins, QString());
        s.view->loadText(text);
        QCOMPARE(s.view->virtualBreaks()->hasBreaks(), QByteArray(QTest::currentDataTag()).contains("virtual breaks"));
        QVERIFY(s.focus(s.other));
        s.view->verticalScrollBar()->setValue(topLine - 1);
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
        c.insertText(inserted);
        QCoreApplication::processEvents();
        QCOMPARE(onScreen(s.view->viewport()), grabbed(s.view->viewport()));
        // The margin beside the text; a horizontal scroll bar covers the rest.
        QWidget *margin = s.view->lineNumberWidget();
        const int height = s.view->viewport()->height();
        QCOMPARE(onScreen(margin, height), grabbed(margin, QRect(0, 0, margin->width(), height)));
    }

    void focusAndMouse()
    {
        Shown s(false, Ins, QStringLiteral("one two three\nfour"));
        QVERIFY(s.focus(s.other));
        QSignalSpy in(s.view, &EditViewBase::focusIn);
        QSignalSpy out(s.view, &EditViewBase::focusOut);
        s.view->setFocus();
        QTRY_COMPARE(in.count(), 1);
        QCOMPARE(out.count(), 0);
        s.other->setFocus();
        QTRY_COMPARE(out.count(), 1);
        QCOMPARE(in.count(), 1);

        const QPoint onFirstLine = s.view->cursorRect(QTextCursor(s.view->document())).center() + QPoint(20, 0);
        QTest::mouseClick(s.view->viewport(), Qt::LeftButton, {}, onFirstLine);
        QCOMPARE(commandCount(QStringLiteral("Edit.mousePress")), 1);
        QCOMPARE(commandCount(QStringLiteral("Edit.mouseDoubleClick")), 0);
        QVERIFY(s.view->textCursor().position() > 0);  // the click still reached the text
        QTest::mouseDClick(s.view->viewport(), Qt::LeftButton, {}, onFirstLine);
        QCOMPARE(commandCount(QStringLiteral("Edit.mouseDoubleClick")), 1);
        QVERIFY(s.view->textCursor().hasSelection());
    }

    void editView()
    {
        GlobalSettings settings = makeSettings(true);
        settings.colors[GlobalSettings::ColBackground] = QColor(10, 20, 30);
        settings.colors[GlobalSettings::ColText] = QColor(200, 210, 220);
        settings.colors[GlobalSettings::ColSelBackground] = QColor(1, 2, 3);
        settings.colors[GlobalSettings::ColSelText] = QColor(4, 5, 6);
        const QSet<QString> keywords{QStringLiteral("var")};
        auto *view = new EditView(&settings, nullptr);
        view->setScriptKeywords(&keywords);
        view->updateSettings();
        const QPalette pal = view->palette();
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            QCOMPARE(pal.color(g, QPalette::Base), QColor(10, 20, 30));
            QCOMPARE(pal.color(g, QPalette::Window), QColor(10, 20, 30));
            QCOMPARE(pal.color(g, QPalette::Text), QColor(200, 210, 220));
            QCOMPARE(pal.color(g, QPalette::Highlight), QColor(1, 2, 3));
            QCOMPARE(pal.color(g, QPalette::HighlightedText), QColor(4, 5, 6));
        }
        // The line-number switch takes effect on the next update.
        const int d = view->fontMetrics().horizontalAdvance(QLatin1Char('8'));
        QCOMPARE(view->lineNumberWidget()->width(), 7 * d);
        settings.lineNumber = false;
        view->updateSettings();
        QCOMPARE(view->lineNumberWidget()->width(), 2 * d);

        // The document's modification and content changes come out of the view.
        QSignalSpy modified(view, &EditViewBase::modificationChanged);
        QSignalSpy contents(view, &EditViewBase::contentsChanged);
        view->insertPlainText(QStringLiteral("x"));
        QCOMPARE(modified.count(), 1);
        QCOMPARE(modified.at(0).at(0).toBool(), true);
        QVERIFY(contents.count() >= 1);
        view->setModified(false);
        view->setModified(false);  // no change, no second signal
        QCOMPARE(modified.count(), 2);
        QCOMPARE(modified.at(1).at(0).toBool(), false);

        // toClose comes from the destructor while the view is still whole.
        QList<EditView *> closed;
        QObject::connect(view, &EditView::toClose, [&](EditView *v) {
            QVERIFY(qobject_cast<EditView *>(v));
            closed.append(v);
        });
        EditView *const address = view;
        delete view;
        QCOMPARE(closed, QList<EditView *>{address});
        QCOMPARE(keywords.size(), 1);  // the shared set is not the view's to free
    }
};

QTEST_MAIN(TestEditViewBase)
#include "tst_editviewbase.moc"
