#include "app/commandstatistics.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
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

QString numberedLines(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    return lines.join(QLatin1Char('\n'));
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

} // namespace

class TestEditViewBase : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void identity_data();
    void identity();
    void setCurrentDirToFile();
    void setCharEncodingAlwaysSignals();

    void wheelZoom_data();
    void wheelZoom();
    void zoomKeepsMarginAndTabsInStep_data();
    void zoomKeepsMarginAndTabsInStep();
    void tabStopFollowsSetting_data();
    void tabStopFollowsSetting();

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
    void blinkRepaintsTheScreen();
    void movingTheCursorShowsItAtOnce();
    void movedCursorLeavesNoTrace();

    void marginLabels_data();
    void marginLabels();
    void marginPixels_data();
    void marginPixels();
    void eofMark_data();
    void eofMark();

    void focusSignals();
    void mouseCommandsCounted();
    void editViewForwardsDocumentSignals();
    void editViewToCloseFromDestructor();
    void editViewUpdateSettingsAppliesColours();
};

void TestEditViewBase::init()
{
    clearCommandStatistics();
}

void TestEditViewBase::identity_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<QString>("expectedDirectory");
    QTest::addColumn<QString>("expectedWithEncoding");

    QTest::newRow("path utf-8") << "/srv/www/site/index.html" << QString() << int(UTF8)
                                << "index.html" << "/srv/www/site"
                                << "/srv/www/site/index.html (UTF-8)";
    QTest::newRow("path shift-jis") << "/a/b.css" << QString() << int(ShiftJIS)
                                    << "b.css" << "/a" << "/a/b.css (Shift-JIS)";
    QTest::newRow("path utf-16be") << "/a/b c/d.js" << QString() << int(UTF16BE)
                                   << "d.js" << "/a/b c" << "/a/b c/d.js (UTF-16BE)";
    QTest::newRow("untitled") << QString() << "Untitled-1" << int(EucJP)
                              << "Untitled-1" << QString() << "Untitled-1 (EUC-JP)";
    QTest::newRow("no encoding name") << QString() << "Untitled-2" << int(NoEncoding)
                                      << "Untitled-2" << QString() << "Untitled-2";
    QTest::newRow("out of range encoding") << "/x/y.html" << QString() << 9
                                           << "y.html" << "/x" << "/x/y.html";
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
    ViEngine engine;
    EditViewBase view(&settings, &engine);
    QCOMPARE(view.charEncoding(), UTF8);
    QVERIFY(view.title().isEmpty());
    QVERIFY(view.fullPath().isEmpty());

    if (!path.isEmpty())
        view.setFullPath(path);
    if (!title.isEmpty())
        view.setTitle(title);
    view.setCharEncoding(CharEncoding(encoding));

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

void TestEditViewBase::setCharEncodingAlwaysSignals()
{
    GlobalSettings settings = makeSettings(false);
    EditViewBase view(&settings, nullptr);
    QSignalSpy spy(&view, &EditViewBase::encodingChanged);
    view.setCharEncoding(UTF8);  // unchanged value still signals
    view.setCharEncoding(UTF8);
    view.setCharEncoding(EucJP);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(view.charEncoding(), EucJP);
}

void TestEditViewBase::wheelZoom_data()
{
    QTest::addColumn<int>("startSize");
    QTest::addColumn<int>("delta");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<int>("expectedSize");
    QTest::addColumn<bool>("zooms");

    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QTest::newRow("in 12") << 12 << 120 << ctrl << 13 << true;
    QTest::newRow("out 12") << 12 << -120 << ctrl << 11 << true;
    QTest::newRow("in 99 reaches 100") << 99 << 120 << ctrl << 100 << true;
    QTest::newRow("in 100 stays") << 100 << 120 << ctrl << 100 << true;
    QTest::newRow("out 5 reaches 4") << 5 << -120 << ctrl << 4 << true;
    QTest::newRow("out 4 stays") << 4 << -120 << ctrl << 4 << true;
    QTest::newRow("zero delta zooms out") << 12 << 0 << ctrl << 11 << true;
    QTest::newRow("small touchpad step") << 12 << 15 << ctrl << 13 << true;
    QTest::newRow("keypad bit ignored")
        << 12 << 120 << (ctrl | Qt::KeypadModifier) << 13 << true;
    QTest::newRow("meta bit ignored") << 12 << 120 << (ctrl | Qt::MetaModifier) << 13 << true;
    QTest::newRow("ctrl shift scrolls")
        << 12 << -120 << (ctrl | Qt::ShiftModifier) << 12 << false;
    QTest::newRow("ctrl alt scrolls") << 12 << -120 << (ctrl | Qt::AltModifier) << 12 << false;
    QTest::newRow("plain wheel scrolls")
        << 12 << -120 << Qt::KeyboardModifiers(Qt::NoModifier) << 12 << false;
}

void TestEditViewBase::wheelZoom()
{
    QFETCH(int, startSize);
    QFETCH(int, delta);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(int, expectedSize);
    QFETCH(bool, zooms);

    GlobalSettings settings = makeSettings(true);
    ViEngine engine;
    EditViewBase view(&settings, &engine);
    QFont font = view.font();
    font.setPointSize(startSize);
    view.setFont(font);
    view.updateEditorSettings();
    view.setPlainText(numberedLines(400));
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.verticalScrollBar()->value(), 0);

    QSignalSpy sizeSpy(&view, &EditViewBase::fontSizeChanged);
    sendWheel(view.viewport(), delta, mods);

    QCOMPARE(view.font().pointSize(), expectedSize);
    QCOMPARE(commandCount(QStringLiteral("Edit.WheelZoom")), zooms ? 1 : 0);
    QCOMPARE(sizeSpy.count(), zooms ? 1 : 0);
    if (zooms) {
        QCOMPARE(sizeSpy.at(0).at(0).toInt(), expectedSize);
        QCOMPARE(view.verticalScrollBar()->value(), 0);
    } else {
        QVERIFY2(view.verticalScrollBar()->value() > 0, "the wheel should have scrolled down");
    }
    // Zooming is the view's own business: the stored size stays.
    QCOMPARE(settings.fontSize, makeSettings(true).fontSize);
}

void TestEditViewBase::zoomKeepsMarginAndTabsInStep_data()
{
    QTest::addColumn<bool>("lineNumber");
    QTest::addColumn<int>("steps");
    QTest::newRow("numbers, zoom in") << true << 10;
    QTest::newRow("numbers, zoom out") << true << -5;
    QTest::newRow("no numbers, zoom in") << false << 12;
}

void TestEditViewBase::zoomKeepsMarginAndTabsInStep()
{
    QFETCH(bool, lineNumber);
    QFETCH(int, steps);

    GlobalSettings settings = makeSettings(lineNumber);
    ViEngine engine;
    engine.setMode(ViEngine::CommandMode);
    EditViewBase view(&settings, &engine);
    QFont font = view.font();
    font.setPointSize(12);
    view.setFont(font);
    view.updateEditorSettings();
    view.setPlainText(QStringLiteral("\tx\n") + numberedLines(50));
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    for (int i = 0; i < qAbs(steps); ++i)
        sendWheel(view.viewport(), steps > 0 ? 120 : -120, Qt::ControlModifier);
    QCOMPARE(view.font().pointSize(), 12 + steps);

    const QFontMetrics fm(view.font());
    const int d = fm.horizontalAdvance(QLatin1Char('8'));
    QCOMPARE(view.lineNumberWidget()->width(), (lineNumber ? 7 : 2) * d);
    QCOMPARE(view.viewport()->geometry().left() - view.lineNumberWidget()->geometry().left(),
             view.lineNumberWidget()->width());

    // The tab after zooming still spans tabWidth blanks of the new font.
    QTextCursor c(view.document());
    const int atTab = view.cursorRect(c).left();
    c.setPosition(1);
    const int afterTab = view.cursorRect(c).left();
    QVERIFY(qAbs((afterTab - atTab) - fm.horizontalAdvance(QStringLiteral("    "))) <= 1);
    // And the block cursor on the tab covers it in the new size.
    QVERIFY2(qAbs(view.drawnCursorWidth() - (afterTab - atTab)) <= 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(view.drawnCursorWidth()).arg(afterTab - atTab)));

    for (const EditViewBase::MarginLabel &label : view.marginLabels(0, view.height()))
        QVERIFY2(label.x >= 0, qPrintable(label.text));
}

void TestEditViewBase::tabStopFollowsSetting_data()
{
    QTest::addColumn<int>("tabWidth");
    QTest::newRow("2") << 2;
    QTest::newRow("4") << 4;
    QTest::newRow("8") << 8;
}

void TestEditViewBase::tabStopFollowsSetting()
{
    QFETCH(int, tabWidth);
    GlobalSettings settings = makeSettings(false);
    settings.tabWidth = tabWidth;
    EditViewBase view(&settings, nullptr);
    view.updateEditorSettings();
    view.setPlainText(QStringLiteral("\tx"));
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QTextCursor c(view.document());
    const int atTab = view.cursorRect(c).left();
    c.setPosition(1);
    const int span = view.cursorRect(c).left() - atTab;
    QVERIFY(qAbs(span - view.fontMetrics().horizontalAdvance(QString(tabWidth, QLatin1Char(' '))))
            <= 1);
}

void TestEditViewBase::jumpToLine_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("lineAtTop");  // else: the view keeps its scroll position

    QTest::newRow("zero") << 500 << 0 << false << false;
    QTest::newRow("negative") << 500 << -3 << false << false;
    QTest::newRow("past last") << 500 << 501 << false << false;
    QTest::newRow("far past last") << 500 << 100000 << false << false;
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

    GlobalSettings settings = makeSettings(true);
    ViEngine engine;
    EditViewBase view(&settings, &engine);
    view.updateEditorSettings();
    view.setPlainText(numberedLines(lines));
    view.resize(400, 250);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // Start with a selection on line 2 (or 1), scrolled to the top.
    QTextCursor start(view.document());
    start.setPosition(qMin(8, view.document()->characterCount() - 1));
    start.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view.setTextCursor(start);
    view.verticalScrollBar()->setValue(0);
    const int anchorBefore = view.textCursor().anchor();
    const int positionBefore = view.textCursor().position();

    view.jumpToLine(line);

    const QTextCursor after = view.textCursor();
    if (!moves) {
        QCOMPARE(after.anchor(), anchorBefore);
        QCOMPARE(after.position(), positionBefore);
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
    // Whatever the scroll, the line must be on screen.
    QVERIFY(view.viewport()->rect().contains(view.cursorRect().center()));
}

void TestEditViewBase::cursorShape_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("measured");  // the text whose advance is the width
    QTest::addColumn<bool>("tabWide");      // the width is one tab stop instead

    const int cmd = ViEngine::CommandMode;
    const int ins = ViEngine::InsertMode;
    QTest::newRow("insert on W") << ins << "WWW" << 0 << QString() << false;
    QTest::newRow("insert at end") << ins << "abc" << 3 << QString() << false;
    QTest::newRow("command on W") << cmd << "Wil" << 0 << "W" << false;
    QTest::newRow("command on i") << cmd << "Wil" << 1 << "i" << false;
    QTest::newRow("command at line end") << cmd << "abc\ndef" << 3 << " " << false;
    QTest::newRow("command at document end") << cmd << "abc" << 3 << " " << false;
    QTest::newRow("command in empty document") << cmd << "" << 0 << " " << false;
    QTest::newRow("command on kanji") << cmd << QString::fromUtf8("漢字") << 0
                                      << QString::fromUtf8("漢") << false;
    QTest::newRow("command on tab") << cmd << "\tx" << 0 << QString() << true;
}

void TestEditViewBase::cursorShape()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(QString, measured);
    QFETCH(bool, tabWide);

    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(uchar(mode));
    EditViewBase view(&settings, &engine);
    view.updateEditorSettings();
    view.setPlainText(text);
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTextCursor c(view.document());
    c.setPosition(position);
    view.setTextCursor(c);

    const QRect line = view.cursorRect();
    const QRect drawn = view.drawnCursorRect();
    QCOMPARE(drawn.left(), line.left());
    if (mode == ViEngine::InsertMode) {
        QCOMPARE(view.drawnCursorWidth(), 1);
        QCOMPARE(drawn.top(), line.top());
        QCOMPARE(drawn.height(), line.height());
        return;
    }
    const int expected = tabWide
        ? qRound(view.tabStopDistance())
        : view.fontMetrics().horizontalAdvance(measured);
    QVERIFY2(qAbs(view.drawnCursorWidth() - expected) <= 1,
             qPrintable(QStringLiteral("width %1, expected %2").arg(view.drawnCursorWidth()).arg(expected)));
    QCOMPARE(drawn.width(), view.drawnCursorWidth());
    QCOMPARE(drawn.top(), line.top() + line.height() / 2);
    QCOMPARE(drawn.height(), line.height() / 2);
}

void TestEditViewBase::cursorShapeFollowsModeChange()
{
    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(ViEngine::InsertMode);
    EditViewBase view(&settings, &engine);
    view.setPlainText(QStringLiteral("WWW"));
    QCOMPARE(view.drawnCursorWidth(), 1);

    engine.setMode(ViEngine::CommandMode);
    QCOMPARE(view.drawnCursorWidth(), view.fontMetrics().horizontalAdvance(QLatin1Char('W')));
    engine.setMode(ViEngine::InsertMode);
    QCOMPARE(view.drawnCursorWidth(), 1);
}

void TestEditViewBase::inputMethodByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("command") << int(ViEngine::CommandMode) << false << false;
    QTest::newRow("insert") << int(ViEngine::InsertMode) << false << true;
    QTest::newRow("command, read-only") << int(ViEngine::CommandMode) << true << false;
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
    QTest::newRow("insert") << int(ViEngine::InsertMode);
    QTest::newRow("command") << int(ViEngine::CommandMode);
}

void TestEditViewBase::cursorPainting()
{
    QFETCH(int, mode);
    GlobalSettings settings = makeSettings(true);
    ViEngine engine;
    engine.setMode(uchar(mode));
    EditViewBase view(&settings, &engine);
    QFont font = view.font();
    font.setPointSize(16);
    view.setFont(font);
    view.updateEditorSettings();
    view.setPlainText(QStringLiteral("MWM\nsecond"));
    view.resize(400, 200);
    view.show();
    view.activateWindow();
    view.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QTRY_VERIFY(view.hasFocus());

    QTextCursor c(view.document());
    c.setPosition(1);
    view.setTextCursor(c);
    view.restartCursorBlink();
    const QRect drawn = view.drawnCursorRect();
    const QImage image = grabViewport(view);
    QVERIFY(view.cursorBlinkOn());  // the grab above ran inside the visible phase

    // Every pixel of the shape is cursor-coloured.
    QCOMPARE(countPixels(image, drawn, isCursorRed), drawn.width() * drawn.height());
    // Nothing of the cursor shows outside it (the line's upper half in command mode).
    const QRect line = view.cursorRect().adjusted(-2, -2, view.drawnCursorWidth() + 2, 2);
    QCOMPARE(countPixels(image, line, isCursorRed), drawn.width() * drawn.height());
}

void TestEditViewBase::unfocusedCursorIsDottedAndSteady()
{
    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(ViEngine::CommandMode);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new EditViewBase(&settings, &engine);
    auto *other = new QLineEdit;
    layout->addWidget(view);
    layout->addWidget(other);
    QFont font = view->font();
    font.setPointSize(20);
    view->setFont(font);
    view->updateEditorSettings();
    view->setPlainText(QStringLiteral("MMM"));
    window.resize(400, 240);
    window.show();
    window.activateWindow();
    other->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(other->hasFocus());
    QVERIFY(!view->hasFocus());

    QRect outline = view->cursorRect();
    outline.setWidth(view->drawnCursorWidth());
    QVERIFY(outline.width() > 4);
    // Sampled in both blink phases: the outline shows all the time.
    for (bool phase : {true, false}) {
        QTRY_COMPARE_WITH_TIMEOUT(view->cursorBlinkOn(), phase, 2000);
        const QImage image = grabViewport(*view);
        const int onOutline = countPixels(image, outline, isCursorRed);
        const int inside = countPixels(image, outline.adjusted(1, 1, -1, -1), isCursorRed);
        QVERIFY2(onOutline > 4, "the outline should be drawn");
        QCOMPARE(inside, 0);
        // Dotted: gaps on the outline, which a solid pen would not leave.
        const int perimeter = 2 * (outline.width() + outline.height()) - 4;
        QVERIFY(onOutline < perimeter);
    }
}

void TestEditViewBase::blinkRepaintsTheScreen()
{
    // What counts is what reaches the screen, not a fresh rendering: the view
    // must repaint the cursor itself when the phase changes.
    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(ViEngine::CommandMode);
    EditViewBase view(&settings, &engine);
    QFont font = view.font();
    font.setPointSize(24);
    view.setFont(font);
    view.updateEditorSettings();
    view.setPlainText(QStringLiteral("MMM"));
    view.resize(400, 200);
    view.show();
    view.activateWindow();
    view.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QTRY_VERIFY(view.hasFocus());
    view.restartCursorBlink();

    const QRect drawn = view.drawnCursorRect();
    QVERIFY(drawn.width() > 8);
    const int area = drawn.width() * drawn.height();
    auto redOnScreen = [&] { return countPixels(screenViewport(view), drawn, isCursorRed); };

    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(), area, 500);
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(), 0, 1500);
    QVERIFY(!view.cursorBlinkOn());
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(), area, 1500);
    QVERIFY(view.cursorBlinkOn());
}

void TestEditViewBase::movingTheCursorShowsItAtOnce()
{
    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(ViEngine::InsertMode);
    EditViewBase view(&settings, &engine);
    view.updateEditorSettings();
    view.setPlainText(QStringLiteral("abcdef\nghijkl"));
    view.resize(400, 200);
    view.show();
    view.activateWindow();
    view.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QTRY_VERIFY(view.hasFocus());

    QTRY_VERIFY_WITH_TIMEOUT(!view.cursorBlinkOn(), 1500);
    QTextCursor c(view.document());
    c.setPosition(9);
    view.setTextCursor(c);
    QVERIFY(view.cursorBlinkOn());
    const QRect drawn = view.drawnCursorRect();
    QCOMPARE(countPixels(grabViewport(view), drawn, isCursorRed), drawn.height());
}

void TestEditViewBase::movedCursorLeavesNoTrace()
{
    GlobalSettings settings = makeSettings(false);
    ViEngine engine;
    engine.setMode(ViEngine::CommandMode);
    EditViewBase view(&settings, &engine);
    QFont font = view.font();
    font.setPointSize(24);
    view.setFont(font);
    view.updateEditorSettings();
    view.setPlainText(QStringLiteral("MMMM\nMMMM"));
    view.resize(400, 200);
    view.show();
    view.activateWindow();
    view.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QTRY_VERIFY(view.hasFocus());

    QTextCursor c(view.document());
    c.setPosition(1);
    view.setTextCursor(c);
    const QRect oldRect = view.drawnCursorRect();
    const int area = oldRect.width() * oldRect.height();
    auto redOnScreen = [&](const QRect &r) { return countPixels(screenViewport(view), r, isCursorRed); };
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(oldRect), area, 500);
    // Let unrelated partial repaints happen while the cursor stands still.
    view.viewport()->update(QRect(oldRect.right() + 30, 0, 10, 10));
    QTest::qWait(50);

    c.setPosition(8);
    view.setTextCursor(c);
    const QRect newRect = view.drawnCursorRect();
    QVERIFY(!newRect.intersects(oldRect));
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(newRect), area, 500);
    QCOMPARE(redOnScreen(oldRect), 0);
}

void TestEditViewBase::marginLabels_data()
{
    QTest::addColumn<bool>("lineNumber");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("jumpTo");
    QTest::addColumn<QString>("firstLabel");

    QTest::newRow("off") << false << 100 << 0 << QString();
    QTest::newRow("empty document") << true << 0 << 0 << "1:";
    QTest::newRow("short document") << true << 3 << 0 << "1:";
    QTest::newRow("long document, top") << true << 5000 << 0 << "1:";
    QTest::newRow("long document, line 1000") << true << 5000 << 1000 << "1000:";
    QTest::newRow("six-digit lines") << true << 250000 << 200000 << "200000:";
}

void TestEditViewBase::marginLabels()
{
    QFETCH(bool, lineNumber);
    QFETCH(int, lines);
    QFETCH(int, jumpTo);
    QFETCH(QString, firstLabel);

    GlobalSettings settings = makeSettings(lineNumber);
    EditViewBase view(&settings, nullptr);
    view.updateEditorSettings();
    view.setPlainText(lines ? numberedLines(lines) : QString());
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    if (jumpTo)
        view.jumpToLine(jumpTo);

    QWidget *area = view.lineNumberWidget();
    const int d = view.fontMetrics().horizontalAdvance(QLatin1Char('8'));
    if (!lineNumber) {
        QCOMPARE(area->width(), 2 * d);
        QVERIFY(view.marginLabels(0, area->height()).isEmpty());
        return;
    }
    QVERIFY(area->width() >= 7 * d);
    const QList<EditViewBase::MarginLabel> labels = view.marginLabels(0, area->height());
    QVERIFY(!labels.isEmpty());
    QCOMPARE(labels.first().text, firstLabel);

    // Consecutive numbers, one line height apart, each ending 8 pixels left
    // of the margin's edge and none cut off on the left.
    const int lineHeight = view.cursorRect(QTextCursor(view.document())).height();
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
    const int textTop = view.cursorRect(QTextCursor(view.document()->findBlockByNumber(view.topLine() - 1))).top();
    QCOMPARE(labels.first().baseline, textTop + view.fontMetrics().ascent());
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
    GlobalSettings settings = makeSettings(lineNumber);
    EditViewBase view(&settings, nullptr);
    view.updateEditorSettings();
    view.setPlainText(numberedLines(3));
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const QColor margin = settings.color(GlobalSettings::ColLeftMargin);
    const QImage image = view.lineNumberWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int inkRight = -1;
    int inkRows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool rowInk = false;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != margin.rgb()) {
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
    QVERIFY(inkRows > 0);
    // Ink only in the three lines' band, and right-aligned 8 pixels from the edge.
    QVERIFY(inkRows <= 3 * view.cursorRect(QTextCursor(view.document())).height());
    QVERIFY(inkRight <= image.width() - 8);
    QVERIFY(inkRight >= image.width() - 8 - view.fontMetrics().horizontalAdvance(QLatin1Char(':')) - 2);
}

void TestEditViewBase::eofMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scrollToLine");
    QTest::addColumn<bool>("shown");

    QTest::newRow("empty document") << QString() << 0 << true;
    QTest::newRow("after text") << "abc" << 0 << true;
    QTest::newRow("on second line") << "abc\nxy" << 0 << true;
    QTest::newRow("below the view") << numberedLines(300) << 0 << false;
    QTest::newRow("scrolled to the end") << numberedLines(300) << 300 << true;
}

void TestEditViewBase::eofMark()
{
    QFETCH(QString, text);
    QFETCH(int, scrollToLine);
    QFETCH(bool, shown);

    GlobalSettings settings = makeSettings(true);
    EditViewBase view(&settings, nullptr);
    view.updateEditorSettings();
    view.setPlainText(text);
    view.resize(400, 250);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    if (scrollToLine)
        view.jumpToLine(scrollToLine);

    const QImage image = grabViewport(view);
    QTextCursor end(view.document());
    end.movePosition(QTextCursor::End);
    const QRect endRect = view.cursorRect(end);
    const int blue = countPixels(image, image.rect(), isBlueInk);
    if (!shown) {
        QCOMPARE(blue, 0);
        return;
    }
    QVERIFY(blue > 0);
    // The mark starts where the document ends and sits on its last line.
    int left = image.width();
    int top = image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isBlueInk(image.pixel(x, y))) {
                left = qMin(left, x);
                top = qMin(top, y);
            }
    QVERIFY2(left >= endRect.left() - 1 && left <= endRect.left() + 4,
             qPrintable(QStringLiteral("ink at %1, end at %2").arg(left).arg(endRect.left())));
    QVERIFY(top >= endRect.top());
    QVERIFY(top <= endRect.bottom());
}

void TestEditViewBase::focusSignals()
{
    GlobalSettings settings = makeSettings(false);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new EditViewBase(&settings, nullptr);
    auto *other = new QLineEdit;
    layout->addWidget(view);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    other->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(other->hasFocus());

    QSignalSpy in(view, &EditViewBase::focusIn);
    QSignalSpy out(view, &EditViewBase::focusOut);
    view->setFocus();
    QTRY_COMPARE(in.count(), 1);
    QCOMPARE(out.count(), 0);
    other->setFocus();
    QTRY_COMPARE(out.count(), 1);
    QCOMPARE(in.count(), 1);
}

void TestEditViewBase::mouseCommandsCounted()
{
    GlobalSettings settings = makeSettings(false);
    EditViewBase view(&settings, nullptr);
    view.setPlainText(QStringLiteral("one two three\nfour"));
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const QPoint onFirstLine = view.cursorRect(QTextCursor(view.document())).center() + QPoint(20, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onFirstLine);
    QCOMPARE(commandCount(QStringLiteral("Edit.mousePress")), 1);
    QCOMPARE(commandCount(QStringLiteral("Edit.mouseDoubleClick")), 0);
    QCOMPARE(view.textCursor().blockNumber(), 0);  // the click still reached the text

    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, onFirstLine);
    QCOMPARE(commandCount(QStringLiteral("Edit.mouseDoubleClick")), 1);
    QVERIFY(view.textCursor().hasSelection());  // double click selects a word
}

void TestEditViewBase::editViewForwardsDocumentSignals()
{
    GlobalSettings settings = makeSettings(false);
    EditView view(&settings, nullptr);
    QSignalSpy modified(&view, &EditViewBase::modificationChanged);
    QSignalSpy contents(&view, &EditViewBase::contentsChanged);

    view.insertPlainText(QStringLiteral("x"));
    QCOMPARE(modified.count(), 1);
    QCOMPARE(modified.at(0).at(0).toBool(), true);
    QVERIFY(contents.count() >= 1);

    view.setModified(false);
    QCOMPARE(modified.count(), 2);
    QCOMPARE(modified.at(1).at(0).toBool(), false);
    view.setModified(false);  // no change, no signal
    QCOMPARE(modified.count(), 2);
}

void TestEditViewBase::editViewToCloseFromDestructor()
{
    GlobalSettings settings = makeSettings(false);
    const QSet<QString> keywords{QStringLiteral("var")};
    auto *view = new EditView(&settings, nullptr);
    view->setScriptKeywords(&keywords);
    QCOMPARE(view->keywords(), &keywords);

    QList<EditView *> closed;
    QObject::connect(view, &EditView::toClose, [&](EditView *v) {
        // Still a whole view while the signal runs.
        QVERIFY(qobject_cast<EditView *>(v));
        closed.append(v);
    });
    EditView *const address = view;
    delete view;
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.first(), address);
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
    const int d = view.fontMetrics().horizontalAdvance(QLatin1Char('8'));
    QCOMPARE(view.lineNumberWidget()->width(), 7 * d);
    settings.lineNumber = false;
    view.updateSettings();
    QCOMPARE(view.lineNumberWidget()->width(), 2 * d);
}

QTEST_MAIN(TestEditViewBase)
#include "tst_editviewbase.moc"
