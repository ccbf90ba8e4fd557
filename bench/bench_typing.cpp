// Typing in the middle of a 10 MB HTML page of about 190,000 lines: time per
// keystroke, including the repaint it causes.
#include "bench/benchsupport.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

namespace {

int Keystrokes = 200;  // a first argument overrides it (for profiling)

GlobalSettings benchSettings()
{
    return defaultBenchSettings();
}

// A page of table rows, list items and paragraphs, about 55 bytes a line.
QString page()
{
    QString text;
    text.reserve(10 * 1024 * 1024 + 4096);
    text += QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<title>bench</title>\n</head>\n<body>\n");
    int i = 0;
    while (text.size() < 10 * 1024 * 1024) {
        switch (i % 4) {
        case 0: text += QStringLiteral("<tr><td class=\"n\">%1</td><td>some cell text here</td></tr>\n").arg(i); break;
        case 1: text += QStringLiteral("\t<li><a href=\"p%1.html\">the list item %1</a></li>\n").arg(i); break;
        case 2: text += QStringLiteral("<p id=\"x%1\">Some words &amp; quite a few more words.</p>\n").arg(i); break;
        default: text += QStringLiteral("\t\t<span class=\"k\">the value of %1</span>\n").arg(i); break;
        }
        ++i;
    }
    text += QStringLiteral("</body>\n</html>\n");
    return text;
}

void type(QWidget *target, QChar ch)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(ch));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    // Lets the repaint the keystroke asked for happen now.
    QCoreApplication::processEvents();
}

struct Result {
    int lines = 0;
    double loadMs = 0;
    double meanMs = 0;
    double medianMs = 0;
    double worstMs = 0;
    double cpuMs = 0;  // processor time of this thread per keystroke
};

// Loads the page into the shown view, puts the cursor in the middle line and
// types there.
Result measure(QPlainTextEdit &view, const QString &text,
               const std::function<void(int)> &goToLine)
{
    Result r;
    QElapsedTimer timer;
    timer.start();
    view.setPlainText(text);
    view.resize(1000, 800);
    view.show();
    settle();
    r.loadMs = timer.nsecsElapsed() / 1e6;
    r.lines = view.document()->blockCount();
    goToLine(r.lines / 2);
    view.setFocus();
    settle();

    for (int i = 0; i < 10; ++i)  // warm-up
        type(&view, QLatin1Char('w'));

    std::vector<double> each;
    each.reserve(Keystrokes);
    const double cpuStart = threadCpuMs();
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < Keystrokes; ++i) {
        QElapsedTimer one;
        one.start();
        type(&view, QChar(u'a' + i % 26));
        each.push_back(one.nsecsElapsed() / 1e6);
    }
    r.meanMs = total.nsecsElapsed() / 1e6 / Keystrokes;
    r.cpuMs = (threadCpuMs() - cpuStart) / Keystrokes;
    std::sort(each.begin(), each.end());
    r.medianMs = each[each.size() / 2];
    r.worstMs = each.back();
    return r;
}

void print(const char *name, const Result &r)
{
    std::printf("%-22s %9.3f ms %9.3f ms %9.3f ms %9.3f ms %10.0f ms\n", name, r.meanMs,
                r.medianMs, r.worstMs, r.cpuMs, r.loadMs);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]).toInt() > 0)
        Keystrokes = QByteArray(argv[1]).toInt();
    const QFont font(QStringLiteral("DejaVu Sans Mono"), 11);
    const QString text = page();

    // Qt's bare widget first, as the yardstick on this machine and its load.
    Result bare;
    {
        QPlainTextEdit view;
        view.setLineWrapMode(QPlainTextEdit::NoWrap);
        view.setFont(font);
        bare = measure(view, text, [&view](int line) {
            view.setTextCursor(QTextCursor(view.document()->findBlockByNumber(line - 1)));
        });
    }

    GlobalSettings settings = benchSettings();
    ViEngine engine;
    engine.setMode(ViEngine::InsertMode);
    Result ours;
    {
        EditView view(&settings, &engine);
        view.setFont(font);
        view.updateSettings();
        ours = measure(view, text, [&view](int line) { view.jumpToLine(line); });
    }

    std::printf("document: %.1f MB, %d lines; %d keystrokes in line %d\n",
                text.size() / (1024.0 * 1024.0), ours.lines, Keystrokes, ours.lines / 2);
    std::printf("%-22s %12s %12s %12s %12s %13s\n", "", "per key", "median", "worst",
                "cpu per key", "load+paint");
    print("QPlainTextEdit (bare)", bare);
    print("EditView", ours);
    // The target is on the wall clock, what the user waits for.
    const bool ok = ours.meanMs < 3.0;
    std::printf("target under 3 ms per keystroke (wall clock): %s\n", ok ? "met" : "NOT met");
    return ok ? 0 : 1;
}

