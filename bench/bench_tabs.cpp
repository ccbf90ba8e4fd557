// Opening 100 files given on the command line, and switching between 100 tabs.
#include "app/mainwindow.h"
#include "html/editview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora-bench"));
    QCoreApplication::setApplicationName(QStringLiteral("Mossglen"));
    QSettings().clear();

    QTemporaryDir dir;
    QStringList files;
    // Pages of realistic size (about 20 KB, 500 lines each).
    QByteArray page;
    for (int i = 0; i < 500; ++i)
        page += "  <li class=\"item\"><a href=\"page" + QByteArray::number(i) + ".html\">Entry</a></li>\n";
    for (int i = 0; i < 100; ++i) {
        const QString path = dir.filePath(QStringLiteral("page%1.html").arg(i));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(page);
        files << path;
    }

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    MainWindow window(files);
    window.show();
    QCoreApplication::processEvents();
    const qint64 openMs = timer.elapsed();
    const double openCpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    QTabWidget *tabs = window.tabs();
    qint64 worst = 0, total = 0;
    const int switches = 200;
    for (int i = 0; i < switches; ++i) {
        timer.restart();
        tabs->setCurrentIndex((i * 37) % tabs->count());
        QCoreApplication::processEvents();
        const qint64 ns = timer.nsecsElapsed();
        worst = std::max(worst, ns);
        total += ns;
    }
    std::printf("tabs open: %d\n", tabs->count());
    std::printf("open 100 files from the command line: %lld ms wall, %.0f ms CPU (bound 3000 ms)\n",
                openMs, openCpuMs);
    std::printf("tab switch: mean %.2f ms, worst %.2f ms over %d switches (bound 50 ms)\n",
                total / 1e6 / switches, worst / 1e6, switches);
    QSettings().clear();
    return 0;
}
