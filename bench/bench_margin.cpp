// Repaint cost of the line-number margin and of the whole view at the top of
// a short and of a long document. The margin only visits the lines that show,
// so both documents should cost about the same.
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <cstdio>

namespace {

constexpr int Repaints = 300;

struct Figures {
    double marginMicros = 0;
    double viewMicros = 0;
};

GlobalSettings benchSettings()
{
    GlobalSettings s;
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        s.colors[i] = QColor::fromString(GlobalSettings::defaultColorName(i));
    s.lineNumber = true;
    s.tabWidth = 4;
    return s;
}

QString document(int lines)
{
    QStringList list;
    list.reserve(lines);
    for (int i = 0; i < lines; ++i)
        list.append(QStringLiteral("<li><a href=\"page%1.html\">entry %1</a></li>").arg(i));
    return list.join(QLatin1Char('\n'));
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}

Figures measure(int lines)
{
    GlobalSettings settings = benchSettings();
    ViEngine engine;
    EditViewBase view(&settings, &engine);
    view.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
    view.updateEditorSettings();
    view.setPlainText(document(lines));
    view.resize(900, 700);
    view.show();
    settle();

    QWidget *margin = view.lineNumberWidget();
    for (int i = 0; i < 20; ++i)  // warm caches and glyphs
        margin->repaint();

    Figures f;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Repaints; ++i)
        margin->repaint();
    f.marginMicros = timer.nsecsElapsed() / 1000.0 / Repaints;

    timer.restart();
    for (int i = 0; i < Repaints; ++i) {
        view.viewport()->repaint();
        margin->repaint();
    }
    f.viewMicros = timer.nsecsElapsed() / 1000.0 / Repaints;
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const Figures small = measure(1000);
    const Figures large = measure(250000);

    std::printf("Repaint at the top of the document (mean of %d repaints)\n", Repaints);
    std::printf("%-24s %14s %14s\n", "", "1,000 lines", "250,000 lines");
    std::printf("%-24s %11.1f us %11.1f us\n", "margin only", small.marginMicros, large.marginMicros);
    std::printf("%-24s %11.1f us %11.1f us\n", "text view + margin", small.viewMicros, large.viewMicros);
    const double ratio = large.marginMicros / small.marginMicros;
    std::printf("margin cost, long / short: %.2f (%s)\n", ratio,
                ratio <= 1.2 && ratio >= 1 / 1.2 ? "within 20%" : "NOT within 20%");
    return ratio <= 1.2 && ratio >= 1 / 1.2 ? 0 : 1;
}
