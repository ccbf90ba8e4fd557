// Close-tag candidates and Zen-Coding expansion on large inputs.
//
// The close-tag scan runs over a 10 MB HTML document three ways: over the
// plain text, with a QTextDocument's text copied out first (the route a view
// takes), and block by block over the QTextDocument, which is shown for
// comparison only: QTextBlock::text() costs more than the scan itself. The
// completion command's whole budget, popup included, is 200 ms.

#include "bench/benchsupport.h"
#include "html/closetags.h"
#include "html/zencoding.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

QString makeDocument(qsizetype targetSize)
{
    QString text = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n\t<title>x</title>\n</head>\n<body>\n");
    int n = 0;
    while (text.size() < targetSize) {
        ++n;
        text += QStringLiteral("<div class=\"item\" id=\"d%1\">\n"
                               "\t<h2>Heading %1</h2>\n"
                               "\t<p>Some <b>bold</b> and <i>italic</i> text, a <a href=\"p%1.html\">link</a>,"
                               " an image <img src=\"i%1.png\" alt=\"\"> and a break<br>.</p>\n"
                               "\t<ul>\n\t\t<li>one</li>\n\t\t<li>two &amp; three</li>\n\t</ul>\n"
                               "</div>\n").arg(n);
    }
    text += QStringLiteral("<section><p>");
    return text;
}

// Wall-clock time and the CPU time of this thread: on a busy machine the
// first also counts the time other processes had the processor.
struct Figures {
    double best = 0;
    double median = 0;
    double cpuMedian = 0;
};

Figures measure(int runs, const std::function<void()> &work)
{
    QList<double> times;
    QList<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
        cpu.append(threadCpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    return {times.first(), times.at(times.size() / 2), cpu.at(cpu.size() / 2)};
}

void report(const char *what, const Figures &f)
{
    std::printf("%-52s best %7.1f ms  median %7.1f ms  cpu median %7.1f ms\n", what, f.best,
                f.median, f.cpuMedian);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int runs = 7;

    const QString text = makeDocument(10 * 1024 * 1024);
    std::printf("document: %lld characters, %lld lines\n", qlonglong(text.size()),
                qlonglong(text.count(u'\n') + 1));

    QStringList expected;
    const Figures plain = measure(runs, [&] { expected = CloseTags::forText(text, text.size()); });
    report("close tags, plain text", plain);
    std::printf("  candidates at the end: %s\n", qPrintable(expected.join(u' ')));

    QTextDocument document;
    document.setPlainText(text);
    const int position = document.characterCount() - 1;
    QStringList byBlocks;
    const Figures blocks = measure(runs, [&] {
        CloseTags scanner;
        for (QTextBlock block = document.begin(); block.isValid() && block.position() <= position;
             block = block.next())
            scanner.addLine(block.text());
        byBlocks = scanner.candidates();
    });
    report("close tags, QTextDocument block by block (compare)", blocks);

    QStringList copied;
    const Figures copy = measure(runs, [&] {
        copied = CloseTags::forText(document.toPlainText(), position);
    });
    report("close tags, QTextDocument::toPlainText + scan", copy);

    if (byBlocks != expected || copied != expected) {
        std::printf("MISMATCH between the three scans\n");
        return 1;
    }

    QString markup;
    const Figures refuse = measure(runs, [&] {
        markup = QStringLiteral("div*100000>p*100000");
        int lines = 0, column = 0;
        if (ZenCoding::expandAbbreviation(QString(), markup, lines, column))
            std::printf("unexpectedly expanded\n");
    });
    report("zen: refuse div*100000>p*100000", refuse);

    const Figures limit = measure(runs, [&] {
        markup = QStringLiteral("li.item$*20000");
        int lines = 0, column = 0;
        ZenCoding::expandAbbreviation(QStringLiteral("    "), markup, lines, column);
    });
    report("zen: li.item$*20000 after four blanks", limit);
    std::printf("  markup: %lld characters\n", qlonglong(markup.size()));

    double load[3] = {};
    if (getloadavg(load, 3) > 0)
        std::printf("load average while measuring: %.2f\n", load[0]);
    const bool ok = std::max(plain.cpuMedian, copy.cpuMedian) < 200.0;
    std::printf("close-tag scan (plain text and toPlainText + scan) within 200 ms of CPU time: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
