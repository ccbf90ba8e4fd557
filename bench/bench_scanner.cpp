// Scanner throughput: a whole page scanned line by line with the state carried
// over (the work the highlighter does on a freshly opened document), one very
// long minified-script line, and the growth of the time with the line length.
// Beside it, the same page through KSyntaxHighlighting's command-line
// highlighter when that is installed, for a reference point on this machine.
//
//   python3 tools/gen_page.py page /tmp/page.html
//   python3 tools/gen_page.py minified /tmp/minified.js
//   python3 tools/gen_page.py php /tmp/page.php
//   build/bin/bench_scanner /tmp/page.html /tmp/minified.js [/tmp/page.php]
//                           [--reference-long-line]
//
// --reference-long-line also runs the reference highlighter on the long line
// (JavaScript syntax), stopping it after two minutes.

#include "highlight/htmlscanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <ctime>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

struct ScanCount {
    qint64 tokens = 0;
    int endState = 0;
};

QSet<QString> loadKeywords(const QString &name = QStringLiteral("jsKeywords.txt"))
{
    QSet<QString> set;
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/settings/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return set;
    for (QString line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        line = line.trimmed();
        const qsizetype tab = line.indexOf(u'\t');
        if (tab >= 0)
            line.truncate(tab);
        if (!line.isEmpty())
            set.insert(line);
    }
    return set;
}

ScanCount scanLines(const QStringList &lines, const QSet<QString> *keywords, int startState,
                    const QSet<QString> *phpKeywords = nullptr)
{
    ScanCount count;
    int state = startState;
    for (const QString &line : lines) {
        HtmlScanner scanner(keywords, line, state, phpKeywords);
        while (scanner.nextToken() != HtmlScanner::End)
            ++count.tokens;
        state = scanner.carriedState();
    }
    count.endState = state;
    return count;
}

template <typename F>
Timing best(int runs, F &&work)
{
    Timing t;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer wall;
        const std::clock_t c0 = std::clock();
        wall.start();
        work();
        t.wall = std::min(t.wall, wall.nsecsElapsed() / 1e9);
        t.cpu = std::min(t.cpu, double(std::clock() - c0) / CLOCKS_PER_SEC);
    }
    return t;
}

double childrenCpuSeconds()
{
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#else
    return 0;
#endif
}

enum class Reference { Done, Failed, TimedOut };

// Runs the reference highlighter once on a file with the given syntax,
// giving up after limitSeconds.
Reference runReference(const QString &program, const QString &syntax, const QString &file,
                       int limitSeconds, Timing *t)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    const double cpu0 = childrenCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    process.start(program, {QStringLiteral("-s"), syntax, QStringLiteral("-o"),
                            QProcess::nullDevice(), file});
    if (!process.waitForStarted())
        return Reference::Failed;
    if (!process.waitForFinished(limitSeconds * 1000)) {
        process.kill();
        process.waitForFinished(-1);
        return Reference::TimedOut;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Reference::Failed;
    t->wall = wall.nsecsElapsed() / 1e9;
    t->cpu = childrenCpuSeconds() - cpu0;
    return Reference::Done;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr double MiB = 1024.0 * 1024.0;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Figures appear as they are taken, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QStringList args = app.arguments().mid(1);
    const bool referenceLongLine = args.removeAll(QStringLiteral("--reference-long-line")) > 0;
    if (args.size() != 2 && args.size() != 3) {
        std::fprintf(stderr,
                     "usage: bench_scanner PAGE.html MINIFIED.js [PAGE.php] [--reference-long-line]\n"
                     "make the inputs with tools/gen_page.py page PAGE.html,\n"
                     "tools/gen_page.py minified MINIFIED.js and tools/gen_page.py php PAGE.php\n");
        return 2;
    }
    const QString pagePath = args.at(0);
    const QString minifiedPath = args.at(1);
    const QByteArray pageBytes = readAll(pagePath);
    const QByteArray minifiedBytes = readAll(minifiedPath);
    if (pageBytes.isEmpty() || minifiedBytes.isEmpty()) {
        std::fprintf(stderr, "cannot read %s or %s\n", qPrintable(pagePath), qPrintable(minifiedPath));
        return 1;
    }
    const QSet<QString> keywords = loadKeywords();
    std::printf("script keywords: %lld (from settings/jsKeywords.txt)\n",
                static_cast<long long>(keywords.size()));

    // The page, line by line as the highlighter sees it.
    const QStringList lines = QString::fromUtf8(pageBytes).split(u'\n');
    ScanCount count;
    const Timing page = best(5, [&] { count = scanLines(lines, &keywords, HtmlScanner::Html); });
    const double pageMiB = pageBytes.size() / MiB;
    std::printf("\npage %s: %.2f MiB, %lld lines, %lld tokens, ends in state %d\n",
                qPrintable(pagePath), pageMiB, static_cast<long long>(lines.size()),
                static_cast<long long>(count.tokens), count.endState);
    std::printf("  HtmlScanner            %8.3f s wall %8.3f s cpu   %7.1f MiB/s (best of 5)\n",
                page.wall, page.cpu, pageMiB / page.wall);

    const QString reference = QStandardPaths::findExecutable(QStringLiteral("kate-syntax-highlighter"));
    Timing ref;
    if (reference.isEmpty()) {
        std::printf("  kate-syntax-highlighter not installed (Debian: libkf5syntaxhighlighting-tools)\n");
    } else {
        switch (runReference(reference, QStringLiteral("HTML"), pagePath, 600, &ref)) {
        case Reference::Done:
            std::printf("  kate-syntax-highlighter %7.3f s wall %8.3f s cpu   %7.1f MiB/s (one run, HTML output)\n",
                        ref.wall, ref.cpu, pageMiB / ref.wall);
            break;
        case Reference::TimedOut:
            std::printf("  kate-syntax-highlighter did not finish within 600 s\n");
            break;
        case Reference::Failed:
            std::printf("  kate-syntax-highlighter failed on the page\n");
            break;
        }
    }

    if (args.size() == 3) {
        // A PHP page: PHP blocks between, in and around the markup.
        const QByteArray phpBytes = readAll(args.at(2));
        if (phpBytes.isEmpty()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(2)));
            return 1;
        }
        const QSet<QString> phpKeywords = loadKeywords(QStringLiteral("phpKeywords.txt"));
        const QStringList phpLines = QString::fromUtf8(phpBytes).split(u'\n');
        const Timing php = best(5, [&] {
            count = scanLines(phpLines, &keywords, HtmlScanner::Html, &phpKeywords);
        });
        const double phpMiB = phpBytes.size() / MiB;
        std::printf("\nPHP page %s: %.2f MiB, %lld lines, %lld tokens, ends in state %d\n",
                    qPrintable(args.at(2)), phpMiB, static_cast<long long>(phpLines.size()),
                    static_cast<long long>(count.tokens), count.endState);
        std::printf("  HtmlScanner            %8.3f s wall %8.3f s cpu   %7.1f MiB/s (best of 5)\n",
                    php.wall, php.cpu, phpMiB / php.wall);
    }

    // One long line of minified script.
    const QString minified = QString::fromUtf8(minifiedBytes).split(u'\n').first();
    const Timing longLine = best(3, [&] { count = scanLines({minified}, &keywords, HtmlScanner::Script); });
    std::printf("\nminified line %s: %.2f MiB, %lld tokens\n", qPrintable(minifiedPath),
                minified.size() / MiB, static_cast<long long>(count.tokens));
    std::printf("  HtmlScanner            %8.3f s wall %8.3f s cpu (best of 3)\n", longLine.wall,
                longLine.cpu);
    if (!reference.isEmpty() && referenceLongLine) {
        constexpr int limit = 120;
        switch (runReference(reference, QStringLiteral("JavaScript"), minifiedPath, limit, &ref)) {
        case Reference::Done:
            std::printf("  kate-syntax-highlighter %7.3f s wall %8.3f s cpu\n", ref.wall, ref.cpu);
            break;
        case Reference::TimedOut:
            std::printf("  kate-syntax-highlighter stopped after %d s wall without finishing\n", limit);
            break;
        case Reference::Failed:
            std::printf("  kate-syntax-highlighter failed on the line\n");
            break;
        }
    }

    // Growth with the line length: a linear scanner keeps the time per character.
    std::printf("\nline length      time     per character\n");
    for (qsizetype size = minified.size() / 8; size <= minified.size(); size *= 2) {
        const QString prefix = minified.left(size);
        const Timing t = best(3, [&] { count = scanLines({prefix}, &keywords, HtmlScanner::Script); });
        std::printf("  %8.2f MiB %8.3f s %8.1f ns\n", size / MiB, t.wall, t.wall * 1e9 / size);
    }
    return 0;
}
