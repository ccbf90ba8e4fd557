// vi command mode on a 250,000-line page: a long counted motion, a held `x`,
// a counted undo, `1000dd`, `.` pressed 1000 times and `:%s` over every
// line, each sent as real key events (the command line's text as the status
// bar hands it over) to a shown view and including the repaints they cause.
#include "bench/benchsupport.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "highlight/syntaxhighlighter.h"
#include "html/editview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTextBlock>
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

// A step's wall-clock and processor time; the bounds apply to the wall clock,
// the processor time shows the step's own cost on a busy machine.
struct Time {
    double wall = 0, cpu = 0;
    bool operator<(double ms) const { return wall < ms; }
};

class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_cpu = threadCpuMs();
        m_wall.start();
    }
    Time elapsed() const { return {m_wall.nsecsElapsed() / 1e6, threadCpuMs() - m_cpu}; }

private:
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

Time timeMs(QWidget *target, const QString &keys)
{
    const Stopwatch watch;
    press(target, keys);
    return watch.elapsed();
}

struct Result {
    Time down, up, held, undo;
    int lineAfterDown = 0, lineAfterUp = 0, changed = 0, undoLeft = 0;
    bool restored = false;
    Time dd, dots, charDots, substitute, substituteUndo, substituteFew;
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
    // The page is coloured to the end first, so that each row counts its own
    // work and not the background colouring of the load (bench_highlight
    // measures that).
    if (const auto *edit = qobject_cast<EditView *>(&view)) {
        while (edit->highlighter()->isBusy())
            QCoreApplication::processEvents();
    }
    engine.setMode(ViEngine::CommandMode);

    r.down = timeMs(&view, QStringLiteral("100000j"));
    r.lineAfterDown = view.textCursor().blockNumber() + 1;
    r.up = timeMs(&view, QStringLiteral("100000k"));
    r.lineAfterUp = view.textCursor().blockNumber() + 1;

    // A held x in the middle of the page, on lines long enough for every press.
    view.jumpToLine(Lines / 2);
    settle();
    const Stopwatch held;
    for (int i = 0; i < HeldPresses; ++i) {
        press(&view, QStringLiteral("x"));
        if (view.textCursor().block().length() <= 1)
            press(&view, QStringLiteral("j0"));
    }
    r.held = held.elapsed();
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
    Stopwatch dots;
    for (int i = 0; i < HeldPresses; ++i)
        press(&view, QStringLiteral("."));
    r.dots = dots.elapsed();
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
    r.charDots = dots.elapsed();
    press(&view, QStringLiteral("1001u"));
    r.restored = r.restored && view.toPlainText() == text;

    // A substitution over all lines, and its one undo step: every <td> and
    // </td> (333,336 matches on 83,334 lines), then one word on every third line.
    Stopwatch subst;
    engine.executeCommandLine(QStringLiteral(":%s/t[d]>/th>/g"), &view);
    QCoreApplication::processEvents();
    r.substitute = subst.elapsed();
    r.substituted = view.toPlainText() != text && !view.toPlainText().contains(QLatin1String("<td>"));
    r.substituteUndo = timeMs(&view, QStringLiteral("u"));
    r.substituteRestored = view.toPlainText() == text;
    subst.restart();
    engine.executeCommandLine(QStringLiteral(":%s/few/couple of/"), &view);
    QCoreApplication::processEvents();
    r.substituteFew = subst.elapsed();
    r.substituted = r.substituted && view.toPlainText().count(QLatin1String("couple of")) == Lines / 3;
    press(&view, QStringLiteral("u"));
    r.substituteRestored = r.substituteRestored && view.toPlainText() == text;
    view.hide();
    return r;
}

void row(const char *what, const Time &t, const QString &note)
{
    std::printf("  %-30s %8.1f ms  cpu %8.1f ms  (%s)\n", what, t.wall, t.cpu, qPrintable(note));
}

void print(const char *name, const Result &r)
{
    const auto perPress = [](const Time &t) { return QStringLiteral("%1 ms a press").arg(t.wall / HeldPresses, 0, 'f', 3); };
    std::printf("%s\n", name);
    row("100000j", r.down, QStringLiteral("line 1 -> %1").arg(r.lineAfterDown));
    row("100000k", r.up, QStringLiteral("back to line %1").arg(r.lineAfterUp));
    row("x held, 1000 presses", r.held, perPress(r.held) + QStringLiteral(", %1 undo steps").arg(r.changed));
    row("1000u", r.undo, QStringLiteral("%1 steps left, page %2").arg(r.undoLeft).arg(r.restored ? "restored" : "NOT restored"));
    row("1000dd", r.dd, QStringLiteral("%1 lines left").arg(r.linesAfterDd));
    row(". after dd, 1000 presses", r.dots, perPress(r.dots) + QStringLiteral(", %1 lines left").arg(r.linesAfterDots));
    row(". after x, 1000 presses", r.charDots, perPress(r.charDots));
    row(":%s on every line", r.substitute,
        QStringLiteral("%1; undo %2 ms, page %3")
            .arg(r.substituted ? "replaced" : "NOT replaced")
            .arg(r.substituteUndo.wall, 0, 'f', 1)
            .arg(r.substituteRestored ? "restored" : "NOT restored"));
    row(":%s, one word in 83,333 lines", r.substituteFew, QStringLiteral("one match a line"));
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
