// vi command mode on a 250,000-line page: a long counted motion, a held `x`,
// a counted undo, `1000dd`, `.` pressed 1000 times and `:%s` over every
// line, each sent as real key events (the command line's text as the status
// bar hands it over) to a shown view and including the repaints they cause.
#include "bench/benchsupport.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTextBlock>
#include <QThread>
#include <cstdio>

namespace {

constexpr int Lines = 250000;
constexpr int HeldPresses = 1000;

GlobalSettings benchSettings()
{
    GlobalSettings s = defaultBenchSettings();
    s.viEnabled = true;
    return s;
}

QString page()
{
    QString text;
    text.reserve(Lines * 48);
    for (int i = 0; i < Lines; ++i) {
        switch (i % 3) {
        case 0: text += QStringLiteral("<tr><td>%1</td><td>some cell text</td></tr>\n").arg(i); break;
        case 1: text += QStringLiteral("\t<li><a href=\"p%1.html\">item</a></li>\n").arg(i); break;
        default: text += QStringLiteral("<p>Some words &amp; a few more.</p>\n"); break;
        }
    }
    text.chop(1);
    return text;
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}

int keyCode(QChar ch)
{
    if (ch.isDigit())
        return Qt::Key_0 + (ch.unicode() - '0');
    if (ch == QLatin1Char('.'))
        return Qt::Key_Period;
    return Qt::Key_A + (ch.toUpper().unicode() - 'A');
}

// Each key is pressed and released; the repaint it asked for happens before
// the next one, as between the presses of a held key.
void press(QWidget *target, const QString &keys)
{
    for (const QChar ch : keys) {
        QKeyEvent down(QEvent::KeyPress, keyCode(ch), Qt::NoModifier, QString(ch));
        QKeyEvent up(QEvent::KeyRelease, keyCode(ch), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &down);
        QApplication::sendEvent(target, &up);
        QCoreApplication::processEvents();
    }
}

double timeMs(QWidget *target, const QString &keys)
{
    QElapsedTimer timer;
    timer.start();
    press(target, keys);
    return timer.nsecsElapsed() / 1e6;
}

struct Result {
    double down = 0, up = 0, held = 0, undo = 0;
    int lineAfterDown = 0, lineAfterUp = 0, changed = 0, undoLeft = 0;
    bool restored = false;
    double dd = 0, dots = 0, charDots = 0, substitute = 0, substituteUndo = 0, substituteFew = 0;
    int linesAfterDd = 0, linesAfterDots = 0;
    bool substituted = false, substituteRestored = false;
    bool ok() const
    {
        return down < 500 && up < 500 && held < 1000 && undo < 500 && restored
               && lineAfterDown == 100001 && lineAfterUp == 1 && dd < 1000 && dots < 1000 && charDots < 1000
               && substitute < 1000 && substituteFew < 1000 && linesAfterDd == Lines - 1000
               && linesAfterDots == Lines - 2001 && substituted && substituteRestored;
    }
};

Result measure(EditViewBase &view, ViEngine &engine, const QString &text)
{
    Result r;
    view.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
    view.setPlainText(text);
    view.resize(1000, 800);
    view.show();
    view.setFocus();
    settle();
    engine.setMode(ViEngine::CommandMode);

    r.down = timeMs(&view, QStringLiteral("100000j"));
    r.lineAfterDown = view.textCursor().blockNumber() + 1;
    r.up = timeMs(&view, QStringLiteral("100000k"));
    r.lineAfterUp = view.textCursor().blockNumber() + 1;

    // A held x in the middle of the page, on lines long enough for every press.
    view.jumpToLine(Lines / 2);
    settle();
    QElapsedTimer held;
    held.start();
    for (int i = 0; i < HeldPresses; ++i) {
        press(&view, QStringLiteral("x"));
        if (view.textCursor().block().length() <= 1)
            press(&view, QStringLiteral("j0"));
    }
    r.held = held.nsecsElapsed() / 1e6;
    r.changed = view.document()->availableUndoSteps();

    r.undo = timeMs(&view, QStringLiteral("1000u"));
    r.undoLeft = view.document()->availableUndoSteps();
    r.restored = view.toPlainText() == text;

    // 1000 lines deleted at once, then the same change repeated 1000 times.
    view.jumpToLine(Lines / 2);
    settle();
    r.dd = timeMs(&view, QStringLiteral("1000dd"));
    r.linesAfterDd = view.document()->blockCount();
    press(&view, QStringLiteral("dd"));
    QElapsedTimer dots;
    dots.start();
    for (int i = 0; i < HeldPresses; ++i)
        press(&view, QStringLiteral("."));
    r.dots = dots.nsecsElapsed() / 1e6;
    r.linesAfterDots = view.document()->blockCount();
    press(&view, QStringLiteral("1002u"));
    // `.` after `x`: the edit stays in one line, as does the repaint.
    view.jumpToLine(Lines / 2);
    press(&view, QStringLiteral("x"));
    dots.restart();
    for (int i = 0; i < HeldPresses; ++i) {
        press(&view, QStringLiteral("."));
        if (view.textCursor().block().length() <= 1)
            press(&view, QStringLiteral("j0"));
    }
    r.charDots = dots.nsecsElapsed() / 1e6;
    press(&view, QStringLiteral("1001u"));
    r.restored = r.restored && view.toPlainText() == text;

    // A substitution over all lines, and its one undo step: every <td> and
    // </td> (333,336 matches on 83,334 lines), then one word on every third line.
    QElapsedTimer subst;
    subst.start();
    engine.executeCommandLine(QStringLiteral(":%s/t[d]>/th>/g"), &view);
    QCoreApplication::processEvents();
    r.substitute = subst.nsecsElapsed() / 1e6;
    r.substituted = view.toPlainText() != text && !view.toPlainText().contains(QLatin1String("<td>"));
    r.substituteUndo = timeMs(&view, QStringLiteral("u"));
    r.substituteRestored = view.toPlainText() == text;
    subst.restart();
    engine.executeCommandLine(QStringLiteral(":%s/few/couple of/"), &view);
    QCoreApplication::processEvents();
    r.substituteFew = subst.nsecsElapsed() / 1e6;
    r.substituted = r.substituted && view.toPlainText().count(QLatin1String("couple of")) == Lines / 3;
    press(&view, QStringLiteral("u"));
    r.substituteRestored = r.substituteRestored && view.toPlainText() == text;
    view.hide();
    return r;
}

void print(const char *name, const Result &r)
{
    std::printf("%s\n", name);
    std::printf("  %-26s %10.1f ms  (line 1 -> %d)\n", "100000j", r.down, r.lineAfterDown);
    std::printf("  %-26s %10.1f ms  (back to line %d)\n", "100000k", r.up, r.lineAfterUp);
    std::printf("  %-26s %10.1f ms  (%.3f ms a press, %d undo steps)\n", "x held, 1000 presses",
                r.held, r.held / HeldPresses, r.changed);
    std::printf("  %-26s %10.1f ms  (%d steps left, page %s)\n", "1000u", r.undo, r.undoLeft,
                r.restored ? "restored" : "NOT restored");
    std::printf("  %-26s %10.1f ms  (%d lines left)\n", "1000dd", r.dd, r.linesAfterDd);
    std::printf("  %-26s %10.1f ms  (%.3f ms a press, %d lines left)\n", ". after dd, 1000 presses",
                r.dots, r.dots / HeldPresses, r.linesAfterDots);
    std::printf("  %-26s %10.1f ms  (%.3f ms a press)\n", ". after x, 1000 presses", r.charDots,
                r.charDots / HeldPresses);
    std::printf("  %-26s %10.1f ms  (%s; undo %.1f ms, page %s)\n", ":%s on every line", r.substitute,
                r.substituted ? "replaced" : "NOT replaced", r.substituteUndo,
                r.substituteRestored ? "restored" : "NOT restored");
    std::printf("  %-26s %10.1f ms\n", ":%s, one word in 83,333 lines", r.substituteFew);
    std::printf("  targets (motions and undo under 500 ms; 1000 x, 1000dd, 1000 ., :%%s under 1 s): %s\n",
                r.ok() ? "met" : "NOT met");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString text = page();
    GlobalSettings settings = benchSettings();

    // The editor widget alone: the engine's own cost.
    Result base;
    {
        ViEngine engine;
        EditViewBase view(&settings, &engine);
        view.updateEditorSettings();
        base = measure(view, engine, text);
    }
    // The document view of a tab, with its colouring.
    Result full;
    {
        ViEngine engine;
        EditView view(&settings, &engine);
        view.updateSettings();
        full = measure(view, engine, text);
    }

    std::printf("document: %d lines, view 1000x800, vi command mode\n", Lines);
    print("EditViewBase", base);
    print("EditView", full);
    return base.ok() && full.ok() ? 0 : 1;
}
