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
    lines.reserve(count);
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("line %1").arg(i) + (i % 3 == 2 ? extra : QString()));
    return lines.join(QLatin1Char('\n'));
}

int plainLineHeight(const QFont &font)
{
    QTextLayout layout(QStringLiteral("Wg"), font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    layout.endLayout();
    return qCeil(line.height());
}

bool isCursorRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }
bool isBlueInk(QRgb p) { return qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60; }

int countPixels(const QImage &image, const QRect &rect, bool (*pred)(QRgb))
{
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += pred(image.pixel(x, y)) ? 1 : 0;
    return n;
}

QImage grabViewport(EditViewBase &view)
{
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// What is on the (offscreen) screen now, as opposed to a fresh rendering.
QImage screenViewport(EditViewBase &view)
{
    const QPoint origin = view.viewport()->mapTo(view.window(), QPoint(0, 0));
    const QPixmap shot = view.window()->screen()->grabWindow(
        view.window()->winId(), origin.x(), origin.y(),
        view.viewport()->width(), view.viewport()->height());
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
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
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        return QTest::qWaitFor([target] { return target->hasFocus(); }, 2000);
    }
    void setCursor(int position)
    {
        QTextCursor c(view->document());
        c.setPosition(position);
        view->setTextCursor(c);
    }
    int lineHeight() const { return view->cursorRect(QTextCursor(view->document())).height(); }

    GlobalSettings settings;
    ViEngine engine;
    QWidget window;
    EditViewBase *view = nullptr;
    QLineEdit *other = nullptr;
};

const int Cmd = ViEngine::CommandMode;
const int Ins = ViEngine::InsertMode;

} // namespace

class TestEditViewBase : public QObject
{
    Q_OBJECT
private slots:
    void init() { clearCommandStatistics(); }

    void identity_data();
    void identity();
    void setCurrentDirToFile();

    void wheelZoom_data();
    void wheelZoom();
    void zoomKeepsMeasuresInStep_data();
    void zoomKeepsMeasuresInStep();

    void jumpToLine_data();
    void jumpToLine();

    void cursorShape_data();
    void cursorShape();
    void cursorShapeFollowsModeChange();
    void inputMethodByMode_data();
    void inputMethodByMode();

    void cursorPainting_data();
    void cursorPainting();
    void unfocusedCursorIsDottedAndSteady();
    void movedCursorShowsAtOnceAndLeavesNoTrace();
    void cursorScrolledOutOfSightIsForgotten();

    void marginLabels_data();
    void marginLabels();
    void marginPixels_data();
    void marginPixels();
    void eofMark_data();
    void eofMark();
    void shiftedLinesOnScreen_data();
    void shiftedLinesOnScreen();

    void focusSignals();
    void mouseCommandsCounted();
    void editViewSignals();
    void editViewUpdateSettingsAppliesColours();
};

void TestEditViewBase::identity_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<QString>("expectedDirectory");
    QTest::addColumn<QString>("expectedWithEncoding");
    for (const TestRow &r : readTestTable("editor/identity.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2).toInt()
                                          << r.fields.at(3) << r.fields.at(4) << r.fields.at(5);
}

void TestEditViewBase::identity()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QFETCH(int, encoding);
    QFETCH(QString, expectedTitle);
    QFETCH(QString, expectedDirectory);
    QFETCH(QString, expectedWithEncoding);

    GlobalSettings settings = makeSettings(false);
    EditViewBase view(&settings, nullptr);
    if (!path.isEmpty())
        view.setFullPath(path);
    if (!title.isEmpty())
        view.setTitle(title);
    QSignalSpy changed(&view, &EditViewBase::encodingChanged);
    view.setCharEncoding(CharEncoding(encoding));
    view.setCharEncoding(CharEncoding(encoding));  // the same value signals again

    QCOMPARE(changed.count(), 2);
    QCOMPARE(view.title(), expectedTitle);
    QCOMPARE(view.fileDirectory(), expectedDirectory);
    QCOMPARE(view.titleWithEncoding(), expectedWithEncoding);
}

void TestEditViewBase::setCurrentDirToFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString before = QDir::currentPath();
    GlobalSettings settings = makeSettings(false);
    EditViewBase view(&settings, nullptr);

    view.setCurrentDirToFile();  // no path: the current directory stays
    QCOMPARE(QDir::currentPath(), before);

    view.setFullPath(dir.filePath(QStringLiteral("page.html")));
    view.setCurrentDirToFile();
    QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(),
             QFileInfo(dir.path()).canonicalFilePath());
    QDir::setCurrent(before);
}

void TestEditViewBase::wheelZoom_data()
{
    QTest::addColumn<int>("startSize");
    QTest::addColumn<int>("delta");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<int>("expectedSize");

    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QTest::newRow("in 12") << 12 << 120 << ctrl << 13;
    QTest::newRow("out 12") << 12 << -120 << ctrl << 11;
    QTest::newRow("in 99 reaches 100") << 99 << 120 << ctrl << 100;
    QTest::newRow("in 100 stays") << 100 << 120 << ctrl << 100;
    QTest::newRow("out 5 reaches 4") << 5 << -120 << ctrl << 4;
    QTest::newRow("out 4 stays") << 4 << -120 << ctrl << 4;
    QTest::newRow("zero delta zooms out") << 12 << 0 << ctrl << 11;
    QTest::newRow("small touchpad step") << 12 << 15 << ctrl << 13;
    QTest::newRow("keypad bit ignored") << 12 << 120 << (ctrl | Qt::KeypadModifier) << 13;
    QTest::newRow("meta bit ignored") << 12 << 120 << (ctrl | Qt::MetaModifier) << 13;
    // Rows that keep the size must scroll instead.
    QTest::newRow("ctrl shift scrolls") << 12 << -120 << (ctrl | Qt::ShiftModifier) << 12;
    QTest::newRow("ctrl alt scrolls") << 12 << -120 << (ctrl | Qt::AltModifier) << 12;
    QTest::newRow("plain wheel scrolls") << 12 << -120 << Qt::KeyboardModifiers() << 12;
}

void TestEditViewBase::wheelZoom()
{
    QFETCH(int, startSize);
    QFETCH(int, delta);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(int, expectedSize);
    const bool zooms = mods.testFlag(Qt::ControlModifier)
                       && !(mods & (Qt::ShiftModifier | Qt::AltModifier));

    Shown s(true, Ins, numberedLines(400), startSize);
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    QCOMPARE(s.view->verticalScrollBar()->value(), 0);

    QSignalSpy sizeSpy(s.view, &EditViewBase::fontSizeChanged);
    sendWheel(s.view->viewport(), delta, mods);

    QCOMPARE(s.view->font().pointSize(), expectedSize);
    QCOMPARE(commandCount(QStringLiteral("Edit.WheelZoom")), zooms ? 1 : 0);
    QCOMPARE(sizeSpy.count(), zooms ? 1 : 0);
    if (zooms) {
        QCOMPARE(sizeSpy.at(0).at(0).toInt(), expectedSize);
        QCOMPARE(s.view->verticalScrollBar()->value(), 0);
    } else {
        QVERIFY2(s.view->verticalScrollBar()->value() > 0, "the wheel should have scrolled down");
    }
    // Zooming is the view's own business: the stored size stays.
    QCOMPARE(s.settings.fontSize, makeSettings(true).fontSize);
}

void TestEditViewBase::zoomKeepsMeasuresInStep_data()
{
    QTest::addColumn<bool>("lineNumber");
    QTest::addColumn<int>("tabWidth");
    QTest::addColumn<int>("steps");
    QTest::newRow("numbers, tab 4, no zoom") << true << 4 << 0;
    QTest::newRow("numbers, tab 4, zoom in") << true << 4 << 10;
    QTest::newRow("numbers, tab 2, zoom out") << true << 2 << -5;
    QTest::newRow("no numbers, tab 8, zoom in") << false << 8 << 12;
}

void TestEditViewBase::zoomKeepsMeasuresInStep()
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
    const QFontMetrics fm(s.view->font());
    const int d = fm.horizontalAdvance(QLatin1Char('8'));
    QWidget *margin = s.view->lineNumberWidget();
    QCOMPARE(margin->width(), (lineNumber ? 7 : 2) * d);
    QCOMPARE(s.view->viewport()->geometry().left(), margin->geometry().right() + 1);

    // A tab still spans tabWidth blanks, and the block cursor on it covers it.
    QTextCursor c(s.view->document());
    const int atTab = s.view->cursorRect(c).left();
    c.setPosition(1);
    const int span = s.view->cursorRect(c).left() - atTab;
    QVERIFY(qAbs(span - fm.horizontalAdvance(QString(tabWidth, QLatin1Char(' ')))) <= 1);
    QVERIFY2(qAbs(s.view->drawnCursorWidth() - span) <= 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(s.view->drawnCursorWidth()).arg(span)));
}

void TestEditViewBase::jumpToLine_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("lineAtTop");  // else: the view keeps its scroll position

    QTest::newRow("zero") << 500 << 0 << false << false;
    QTest::newRow("past last") << 500 << 501 << false << false;
    QTest::newRow("first") << 500 << 1 << true << false;
    QTest::newRow("visible line, no scroll") << 500 << 3 << true << false;
    QTest::newRow("middle") << 500 << 250 << true << true;
    QTest::newRow("last") << 500 << 500 << true << true;
    QTest::newRow("single line document") << 1 << 1 << true << false;
}

void TestEditViewBase::jumpToLine()
{
    QFETCH(int, lines);
    QFETCH(int, line);
    QFETCH(bool, moves);
    QFETCH(bool, lineAtTop);

    Shown s(true, Ins, numberedLines(lines));
    EditViewBase &view = *s.view;
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));

    // Start from a selection, scrolled to the top.
    QTextCursor start(view.document());
    start.setPosition(qMin(8, view.document()->characterCount() - 1));
    start.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view.setTextCursor(start);
    view.verticalScrollBar()->setValue(0);

    view.jumpToLine(line);

    const QTextCursor after = view.textCursor();
    if (!moves) {
        QCOMPARE(after.anchor(), start.anchor());
        QCOMPARE(after.position(), start.position());
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        return;
    }
    QVERIFY(!after.hasSelection());
    QCOMPARE(after.blockNumber(), line - 1);
    QCOMPARE(after.positionInBlock(), 0);
    const int top = view.topLine() - 1;
    if (lineAtTop) {
        // The line becomes the top line, unless the document ends first.
        QCOMPARE(top, qMin(line - 1, view.verticalScrollBar()->maximum()));
        QVERIFY(top > 0);
    } else {
        QCOMPARE(top, 0);
    }
    QVERIFY(view.viewport()->rect().contains(view.cursorRect().center()));
}

void TestEditViewBase::cursorShape_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("measured");  // its advance is the width; empty: one tab stop
    for (const TestRow &r : readTestTable("editor/cursorshape.txt"))
        QTest::newRow(qPrintable(r.name)) << (r.fields.at(0) == "insert" ? Ins : Cmd) << r.fields.at(1)
                                          << r.fields.at(2).toInt() << r.fields.at(3);
}

void TestEditViewBase::cursorShape()
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
    const int lineHeight = plainLineHeight(s.view->font());
    if (line.height() != lineHeight) {
        QVERIFY2(drawn.top() >= line.top() && drawn.bottom() <= line.bottom(), qPrintable(QStringLiteral("%1,%2 in %3,%4").arg(drawn.top()).arg(drawn.height()).arg(line.top()).arg(line.height())));
        QCOMPARE(drawn.height(), mode == Ins ? lineHeight : lineHeight / 2);
        return;
    }
    if (mode == Ins) {
        QCOMPARE(s.view->drawnCursorWidth(), 1);
        QCOMPARE(drawn.top(), line.top());
        QCOMPARE(drawn.height(), line.height());
        return;
    }
    const int expected = measured.isEmpty() ? qRound(s.view->tabStopDistance())
                                            : s.view->fontMetrics().horizontalAdvance(measured);
    QVERIFY2(qAbs(s.view->drawnCursorWidth() - expected) <= 1,
             qPrintable(QStringLiteral("width %1, expected %2").arg(s.view->drawnCursorWidth()).arg(expected)));
    QCOMPARE(drawn.width(), s.view->drawnCursorWidth());
    QCOMPARE(drawn.top(), line.top() + line.height() / 2);
    QCOMPARE(drawn.height(), line.height() / 2);
}

void TestEditViewBase::cursorShapeFollowsModeChange()
{
    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(Ins);
    EditViewBase view(&settings, &engine);
    view.setPlainText(QStringLiteral("WWW"));
    QCOMPARE(view.drawnCursorWidth(), 1);

    engine.setMode(Cmd);
    QCOMPARE(view.drawnCursorWidth(), view.fontMetrics().horizontalAdvance(QLatin1Char('W')));
    engine.setMode(Ins);
    QCOMPARE(view.drawnCursorWidth(), 1);
}

void TestEditViewBase::inputMethodByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("command") << Cmd << false << false;
    QTest::newRow("command, read-only") << Cmd << true << false;
    QTest::newRow("insert") << Ins << false << true;
}

void TestEditViewBase::inputMethodByMode()
{
    QFETCH(int, mode);
    QFETCH(bool, readOnly);
    QFETCH(bool, enabled);
    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(uchar(mode));
    EditViewBase view(&settings, &engine);
    view.setReadOnly(readOnly);
    QCOMPARE(view.inputMethodQuery(Qt::ImEnabled).toBool(), enabled);

    // The platform asks through a query event; it must get the same answer.
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(&view, &query);
    QCOMPARE(query.value(Qt::ImEnabled).toBool(), enabled);
}

void TestEditViewBase::cursorPainting_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("insert") << Ins;
    QTest::newRow("command") << Cmd;
}

void TestEditViewBase::cursorPainting()
{
    QFETCH(int, mode);
    Shown s(true, mode, QStringLiteral("MWM\nsecond"), 16);
    QVERIFY(s.focus(s.view));
    s.setCursor(1);
    const QRect drawn = s.view->drawnCursorRect();
    QImage image;
    for (int attempt = 0; attempt < 3; ++attempt) {
        s.view->restartCursorBlink();
        image = grabViewport(*s.view);
        if (s.view->cursorBlinkOn())  // the grab ran inside the visible phase
            break;
    }

    // Every pixel of the shape is cursor-coloured, and nothing around it
    // (the line's upper half in command mode).
    const int area = drawn.width() * drawn.height();
    QCOMPARE(countPixels(image, drawn, isCursorRed), area);
    const QRect around = s.view->cursorRect().adjusted(-2, -2, s.view->drawnCursorWidth() + 2, 2);
    QCOMPARE(countPixels(image, around, isCursorRed), area);
}

void TestEditViewBase::unfocusedCursorIsDottedAndSteady()
{
    Shown s(false, Cmd, QStringLiteral("MMM"), 20);
    QVERIFY(s.focus(s.other));

    QRect outline = s.view->cursorRect();
    outline.setWidth(s.view->drawnCursorWidth());
    QVERIFY(outline.width() > 4);
    // Sampled in both blink phases: the outline shows all the time.
    for (bool phase : {true, false}) {
        QTRY_COMPARE_WITH_TIMEOUT(s.view->cursorBlinkOn(), phase, 2000);
        const QImage image = grabViewport(*s.view);
        const int onOutline = countPixels(image, outline, isCursorRed);
        QVERIFY2(onOutline > 4, "the outline should be drawn");
        QCOMPARE(countPixels(image, outline.adjusted(1, 1, -1, -1), isCursorRed), 0);
        // Dotted: gaps that a solid pen would not leave.
        QVERIFY(onOutline < 2 * (outline.width() + outline.height()) - 4);
    }
}

void TestEditViewBase::movedCursorShowsAtOnceAndLeavesNoTrace()
{
    Shown s(false, Cmd, QStringLiteral("MMMM\nMMMM"), 24);
    QVERIFY(s.focus(s.view));
    s.setCursor(1);
    const QRect oldRect = s.view->drawnCursorRect();
    const int area = oldRect.width() * oldRect.height();
    auto redOnScreen = [&](const QRect &r) { return countPixels(screenViewport(*s.view), r, isCursorRed); };
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), area, 1500);
    // An unrelated partial repaint while the cursor stands still.
    s.view->viewport()->update(QRect(oldRect.right() + 30, 0, 10, 10));

    // Wait for the hidden phase, then move: the cursor shows at once.
    QTRY_VERIFY_WITH_TIMEOUT(!s.view->cursorBlinkOn(), 1500);
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), 0, 1500);
    s.setCursor(0);
    QVERIFY(s.view->cursorBlinkOn());
    QCOMPARE(countPixels(grabViewport(*s.view), s.view->drawnCursorRect(), isCursorRed), area);

    // Moving in the visible phase wipes the old image from the screen.
    s.setCursor(1);
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), area, 1500);
    s.setCursor(8);
    const QRect newRect = s.view->drawnCursorRect();
    QVERIFY(!newRect.intersects(oldRect));
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(newRect), area, 1500);
    QCOMPARE(redOnScreen(oldRect), 0);
    // What counts is what reaches the screen, not a fresh rendering: the
    // view repaints the cursor itself when the phase changes.
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(newRect), 0, 1500);
    QVERIFY(!s.view->cursorBlinkOn());
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(newRect), area, 1500);
    QVERIFY(s.view->cursorBlinkOn());
}

// Its pixels scrolled away with it; kept in mind, every later cursor repaint
// would cover a strip from there to the cursor.
void TestEditViewBase::cursorScrolledOutOfSightIsForgotten()
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

void TestEditViewBase::marginLabels_data()
{
    QTest::addColumn<bool>("lineNumber");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("jumpTo");
    QTest::addColumn<QString>("firstLabel");
    QTest::addColumn<QString>("extra");

    QTest::newRow("off") << false << 100 << 0 << QString() << QString();
    QTest::newRow("empty document") << true << 0 << 0 << "1:" << QString();
    QTest::newRow("short document") << true << 3 << 0 << "1:" << QString();
    QTest::newRow("long document, top") << true << 5000 << 0 << "1:" << QString();
    QTest::newRow("long document, line 1000") << true << 5000 << 1000 << "1000:" << QString();
    QTest::newRow("six-digit lines") << true << 250000 << 200000 << "200000:" << QString();
    // Glyphs of a fallback font must not make their lines taller.
    QTest::newRow("kanji lines") << true << 12 << 0 << "1:" << QString::fromUtf8(" 日本語");
}

void TestEditViewBase::marginLabels()
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
    const int d = view.fontMetrics().horizontalAdvance(QLatin1Char('8'));
    const QList<EditViewBase::MarginLabel> labels = view.marginLabels(0, area->height());
    if (!lineNumber) {
        QCOMPARE(area->width(), 2 * d);
        QVERIFY(labels.isEmpty());
        return;
    }
    QVERIFY(area->width() >= 7 * d);
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
        if (i > 0)
            QVERIFY(qAbs(label.baseline - labels.at(i - 1).baseline - lineHeight) <= 1);
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

void TestEditViewBase::marginPixels_data()
{
    QTest::addColumn<bool>("lineNumber");
    QTest::newRow("numbers") << true;
    QTest::newRow("blank margin") << false;
}

void TestEditViewBase::marginPixels()
{
    QFETCH(bool, lineNumber);
    Shown s(lineNumber, Ins, numberedLines(3));
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));

    const QRgb margin = s.settings.color(GlobalSettings::ColLeftMargin).rgb();
    const QImage image = s.view->lineNumberWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int inkRight = -1;
    int inkRows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool rowInk = false;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != margin) {
                rowInk = true;
                inkRight = qMax(inkRight, x);
            }
        }
        inkRows += rowInk ? 1 : 0;
    }
    if (!lineNumber) {
        QCOMPARE(inkRows, 0);
        return;
    }
    // Ink only in the three lines' band, right-aligned 8 pixels from the edge.
    QVERIFY(inkRows > 0 && inkRows <= 3 * s.lineHeight());
    QVERIFY(inkRight <= image.width() - 8);
    QVERIFY(inkRight >= image.width() - 8 - s.view->fontMetrics().horizontalAdvance(QLatin1Char(':')) - 2);
}

void TestEditViewBase::eofMark_data()
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

void TestEditViewBase::eofMark()
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

    const QImage image = grabViewport(*s.view);
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

void TestEditViewBase::shiftedLinesOnScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("topLine");
    QTest::addColumn<int>("at");       // block where the edit starts
    QTest::addColumn<int>("removed");  // whole lines taken out there
    QTest::addColumn<QString>("inserted");

    const QString page = numberedLines(60);
    const QString shortPage = numberedLines(8);
    QString broken = numberedLines(6);
    broken.replace(QLatin1String("line 4"), QStringLiteral("line 4 ") + QString(5000, QLatin1Char('x')));

    QTest::newRow("line removed in the view") << page << 1 << 2 << 1 << QString();
    QTest::newRow("lines removed at the top") << page << 1 << 0 << 3 << QString();
    QTest::newRow("lines inserted in the view") << page << 1 << 3 << 0 << "new a\nnew b\n";
    QTest::newRow("line replaced by two") << page << 1 << 4 << 1 << "two a\ntwo b\n";
    QTest::newRow("line removed, scrolled") << page << 20 << 25 << 1 << QString();
    QTest::newRow("line removed above the view") << page << 20 << 3 << 1 << QString();
    QTest::newRow("line removed below the view") << page << 1 << 50 << 1 << QString();
    QTest::newRow("line removed, end in view") << shortPage << 1 << 3 << 1 << QString();
    QTest::newRow("line added, end in view") << shortPage << 1 << 5 << 0 << "added\n";
    QTest::newRow("last line removed") << shortPage << 1 << 7 << 1 << QString();
    QTest::newRow("line removed above virtual breaks") << broken << 1 << 1 << 1 << QString();
}

void TestEditViewBase::shiftedLinesOnScreen()
{
    QFETCH(QString, text);
    QFETCH(int, topLine);
    QFETCH(int, at);
    QFETCH(int, removed);
    QFETCH(QString, inserted);

    // Lines added or removed move the pixels below them rather than
    // repainting them: what reaches the screen must still be what a fresh
    // painting shows, text and numbers.
    Shown s(true, Ins, QString());
    s.view->loadText(text);
    QCOMPARE(s.view->virtualBreaks()->hasBreaks(), QByteArray(QTest::currentDataTag()).contains("virtual breaks"));
    QVERIFY(s.focus(s.other));
    s.view->verticalScrollBar()->setValue(topLine - 1);
    QCoreApplication::processEvents();
    QTRY_COMPARE_WITH_TIMEOUT(screenViewport(*s.view), grabViewport(*s.view), 1000);

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

    const QImage screen = screenViewport(*s.view);
    const QImage fresh = grabViewport(*s.view);
    QCOMPARE(screen.size(), fresh.size());
    int differing = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            differing += screen.pixel(x, y) != fresh.pixel(x, y) ? 1 : 0;
    QCOMPARE(differing, 0);

    // The margin beside the text; a horizontal scroll bar covers the rest.
    QWidget *margin = s.view->lineNumberWidget();
    const int height = s.view->viewport()->height();
    const QPoint origin = margin->mapTo(&s.window, QPoint(0, 0));
    const QImage marginScreen = s.window.screen()
            ->grabWindow(s.window.winId(), origin.x(), origin.y(), margin->width(), height)
            .toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(marginScreen, margin->grab(QRect(0, 0, margin->width(), height)).toImage().convertToFormat(QImage::Format_RGB32));
}

void TestEditViewBase::focusSignals()
{
    Shown s(false, Ins, QString());
    QVERIFY(s.focus(s.other));
    QSignalSpy in(s.view, &EditViewBase::focusIn);
    QSignalSpy out(s.view, &EditViewBase::focusOut);
    s.view->setFocus();
    QTRY_COMPARE(in.count(), 1);
    QCOMPARE(out.count(), 0);
    s.other->setFocus();
    QTRY_COMPARE(out.count(), 1);
    QCOMPARE(in.count(), 1);
}

void TestEditViewBase::mouseCommandsCounted()
{
    Shown s(false, Ins, QStringLiteral("one two three\nfour"));
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    const QPoint onFirstLine =
        s.view->cursorRect(QTextCursor(s.view->document())).center() + QPoint(20, 0);

    QTest::mouseClick(s.view->viewport(), Qt::LeftButton, {}, onFirstLine);
    QCOMPARE(commandCount(QStringLiteral("Edit.mousePress")), 1);
    QCOMPARE(commandCount(QStringLiteral("Edit.mouseDoubleClick")), 0);
    QVERIFY(s.view->textCursor().position() > 0);  // the click still reached the text

    QTest::mouseDClick(s.view->viewport(), Qt::LeftButton, {}, onFirstLine);
    QCOMPARE(commandCount(QStringLiteral("Edit.mouseDoubleClick")), 1);
    QVERIFY(s.view->textCursor().hasSelection());  // a double click selects a word
}

void TestEditViewBase::editViewSignals()
{
    GlobalSettings settings = makeSettings(false);
    const QSet<QString> keywords{QStringLiteral("var")};
    auto *view = new EditView(&settings, nullptr);
    view->setScriptKeywords(&keywords);

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

void TestEditViewBase::editViewUpdateSettingsAppliesColours()
{
    GlobalSettings settings = makeSettings(true);
    settings.colors[GlobalSettings::ColBackground] = QColor(10, 20, 30);
    settings.colors[GlobalSettings::ColText] = QColor(200, 210, 220);
    settings.colors[GlobalSettings::ColSelBackground] = QColor(1, 2, 3);
    settings.colors[GlobalSettings::ColSelText] = QColor(4, 5, 6);
    EditView view(&settings, nullptr);
    view.updateSettings();
    const QPalette pal = view.palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        QCOMPARE(pal.color(g, QPalette::Base), QColor(10, 20, 30));
        QCOMPARE(pal.color(g, QPalette::Window), QColor(10, 20, 30));
        QCOMPARE(pal.color(g, QPalette::Text), QColor(200, 210, 220));
        QCOMPARE(pal.color(g, QPalette::Highlight), QColor(1, 2, 3));
        QCOMPARE(pal.color(g, QPalette::HighlightedText), QColor(4, 5, 6));
    }
    // The line-number switch takes effect on the next update.
    const int d = view.fontMetrics().horizontalAdvance(QLatin1Char('8'));
    QCOMPARE(view.lineNumberWidget()->width(), 7 * d);
    settings.lineNumber = false;
    view.updateSettings();
    QCOMPARE(view.lineNumberWidget()->width(), 2 * d);
}

QTEST_MAIN(TestEditViewBase)
#include "tst_editviewbase.moc"
