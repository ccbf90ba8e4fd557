// vi command mode on a 250,000-line page: a long counted motion, a held `x`
// and a counted undo, each sent as real key events to a shown view and
// including the repaints they cause.
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
    GlobalSettings s;
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        s.colors[i] = QColor::fromString(GlobalSettings::defaultColorName(i));
    s.lineNumber = true;
    s.tabWidth = 4;
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

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    GlobalSettings settings = benchSettings();
    ViEngine engine;
    EditView view(&settings, &engine);
    view.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
    view.updateSettings();
    view.setPlainText(page());
    view.resize(1000, 800);
    view.show();
    view.setFocus();
    settle();
    engine.setMode(ViEngine::CommandMode);

    const double down = timeMs(&view, QStringLiteral("100000j"));
    const int lineAfterDown = view.textCursor().blockNumber() + 1;
    const double up = timeMs(&view, QStringLiteral("100000k"));
    const int lineAfterUp = view.textCursor().blockNumber() + 1;

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
    const double heldMs = held.nsecsElapsed() / 1e6;
    const int changed = view.document()->availableUndoSteps();

    const double undo = timeMs(&view, QStringLiteral("1000u"));
    const int undoLeft = view.document()->availableUndoSteps();
    const bool restored = view.toPlainText() == page();

    std::printf("document: %d lines, view %dx%d, vi command mode\n", view.document()->blockCount(),
                view.width(), view.height());
    std::printf("%-28s %10.1f ms  (line 1 -> %d)\n", "100000j", down, lineAfterDown);
    std::printf("%-28s %10.1f ms  (back to line %d)\n", "100000k", up, lineAfterUp);
    std::printf("%-28s %10.1f ms  (%.3f ms a press, %d undo steps)\n", "x held, 1000 presses", heldMs,
                heldMs / HeldPresses, changed);
    std::printf("%-28s %10.1f ms  (%d steps left, page %s)\n", "1000u", undo, undoLeft,
                restored ? "restored" : "NOT restored");

    const bool ok = down < 500 && up < 500 && heldMs < 1000 && undo < 500 && restored
                    && lineAfterDown == 100001 && lineAfterUp == 1;
    std::printf("targets (motions and undo under 500 ms, 1000 presses of x under 1 s): %s\n",
                ok ? "met" : "NOT met");
    return ok ? 0 : 1;
}
