// Repaint cost of the line-number margin and of the whole view at the top of
// a short and of a long document. The margin only visits the lines that show,
// so both documents should cost about the same.
//
// The two views are measured in alternating rounds on the thread's processor
// time, so that other load on the machine touches both alike.
#include "bench/benchsupport.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"

#include <QApplication>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Rounds = 21;
constexpr int RepaintsPerRound = 40;

GlobalSettings benchSettings()
{
    return defaultBenchSettings();
}

QString document(int lines)
{
    QStringList list;
    list.reserve(lines);
    for (int i = 0; i < lines; ++i)
        list.append(QStringLiteral("<li><a href=\"page%1.html\">entry %1</a></li>").arg(i));
    return list.join(QLatin1Char('\n'));
}

std::unique_ptr<EditViewBase> makeView(GlobalSettings *settings, ViEngine *engine, int lines)
{
    auto view = std::make_unique<EditViewBase>(settings, engine);
    view->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
    view->updateEditorSettings();
    view->setPlainText(document(lines));
    view->resize(900, 700);
    view->show();
    settle();
    for (int i = 0; i < 20; ++i)  // warm caches and glyphs
        view->lineNumberWidget()->repaint();
    return view;
}

double round(EditViewBase &view, bool wholeView)
{
    const double start = threadCpuMs() * 1e3;
    for (int i = 0; i < RepaintsPerRound; ++i) {
        if (wholeView)
            view.viewport()->repaint();
        view.lineNumberWidget()->repaint();
    }
    return (threadCpuMs() * 1e3 - start) / RepaintsPerRound;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    GlobalSettings settings = benchSettings();
    ViEngine engine;
    const std::unique_ptr<EditViewBase> small = makeView(&settings, &engine, 1000);
    const std::unique_ptr<EditViewBase> large = makeView(&settings, &engine, 250000);

    std::vector<double> marginSmall, marginLarge, viewSmall, viewLarge;
    for (int r = 0; r < Rounds; ++r) {
        marginSmall.push_back(round(*small, false));
        marginLarge.push_back(round(*large, false));
        viewSmall.push_back(round(*small, true));
        viewLarge.push_back(round(*large, true));
    }

    std::printf("Repaint at the top of the document: processor time per repaint,\n"
                "median of %d alternating rounds of %d repaints\n", Rounds, RepaintsPerRound);
    std::printf("%-24s %14s %14s\n", "", "1,000 lines", "250,000 lines");
    std::printf("%-24s %11.1f us %11.1f us\n", "margin only", median(marginSmall), median(marginLarge));
    std::printf("%-24s %11.1f us %11.1f us\n", "text view + margin", median(viewSmall),
                median(viewLarge));
    const double ratio = median(marginLarge) / median(marginSmall);
    const bool ok = ratio <= 1.2 && ratio >= 1 / 1.2;
    std::printf("margin cost, long / short: %.2f (%s)\n", ratio, ok ? "within 20%" : "NOT within 20%");
    return ok ? 0 : 1;
}
