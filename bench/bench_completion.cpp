// Completion commands on a 10 MB page, from the command to the popup.
//
// The popup's modal run is replaced by a prompt that stops the clock the
// moment the popup would be shown and then rejects it, so each figure covers
// reading the cursor's context, building the candidate list, filling and
// sizing the popup. The budget for every command is 200 ms.
//
// Run: bench_completion [size in MB, default 10] [runs, default 7]

#include "bench/benchsupport.h"
#include "editor/globalsettings.h"
#include "editor/userprompt.h"
#include "highlight/viengine.h"
#include "html/completionwidget.h"
#include "html/editview.h"
#include "html/keywordlist.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr double BudgetMs = 200.0;

QString makeDocument(qsizetype targetSize)
{
    QString text = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n\t<title>x</title>\n</head>\n<body>\n");
    int n = 0;
    while (text.size() < targetSize) {
        ++n;
        text += QStringLiteral("<div class=\"item\" id=\"d%1\">\n"
                               "\t<h2>Heading %1 for item_%1</h2>\n"
                               "\t<p>Some <b>bold</b> and <i>italic</i> text, a <a href=\"p%1.html\">link</a>,"
                               " an image <img src=\"i%1.png\" alt=\"\"> and a break<br>. Items itemise"
                               " iterations; it is italic.</p>\n"
                               "\t<ul>\n\t\t<li>one</li>\n\t\t<li>two &amp; three</li>\n\t</ul>\n"
                               "</div>\n").arg(n);
    }
    return text;
}

// Stops the clocks when the popup is about to be shown; the popup is rejected.
class StopwatchPrompt : public UserPrompt
{
public:
    int runDialog(QDialog *dialog) override
    {
        wallAtPopup = clock.nsecsElapsed() / 1e6;
        cpuAtPopup = threadCpuMs() - cpuStart;
        if (auto *popup = qobject_cast<CompletionWidget *>(dialog))
            rows = popup->count();
        return QDialog::Rejected;
    }

    void start()
    {
        wallAtPopup = -1;
        cpuAtPopup = -1;
        rows = 0;
        cpuStart = threadCpuMs();
        clock.start();
    }

    QElapsedTimer clock;
    double cpuStart = 0;
    double wallAtPopup = -1;
    double cpuAtPopup = -1;
    int rows = 0;
};

struct Result {
    double bestWall = 0;
    double medianWall = 0;
    double medianCpu = 0;
    int rows = 0;
    bool shown = true;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

Result measure(StopwatchPrompt &prompt, int runs, const std::function<void()> &command)
{
    QList<double> wall;
    QList<double> cpu;
    Result result;
    for (int i = 0; i < runs; ++i) {
        prompt.start();
        command();
        if (prompt.wallAtPopup < 0) {
            result.shown = false;
            return result;
        }
        wall << prompt.wallAtPopup;
        cpu << prompt.cpuAtPopup;
        result.rows = prompt.rows;
    }
    result.bestWall = *std::min_element(wall.cbegin(), wall.cend());
    result.medianWall = median(wall);
    result.medianCpu = median(cpu);
    return result;
}

void placeAtEnd(EditView &view, const QString &typed)
{
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    view.setTextCursor(cursor);
    view.insertPlainText(typed);
}

void placeInMiddle(EditView &view, const QString &typed)
{
    QTextCursor cursor(view.document()->findBlockByNumber(view.document()->blockCount() / 2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    view.setTextCursor(cursor);
    view.insertPlainText(typed);
}

void undoTyping(EditView &view)
{
    view.undo();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;

    GlobalSettings settings;
    ViEngine engine;
    EditView view(&settings, &engine);
    view.resize(800, 600);
    StopwatchPrompt prompt;
    UserPrompt::setInstance(&prompt);

    const QString text = makeDocument(qsizetype(megabytes * 1024 * 1024));
    QElapsedTimer load;
    load.start();
    view.setPlainText(text);
    std::printf("Document: %.1f MB, %d lines, loaded in %lld ms; %d runs per command\n",
                text.size() / (1024.0 * 1024.0), view.document()->blockCount(),
                static_cast<long long>(load.elapsed()), runs);
    std::printf("Budget: %.0f ms from the command to the popup\n\n", BudgetMs);
    std::printf("%-44s %9s %9s %9s %7s\n", "command", "best ms", "median", "cpu med", "rows");

    struct Case {
        const char *name;
        std::function<void()> place;
        std::function<void()> run;
    };
    const QList<Case> cases = {
        {"word completion \"it\" at the end",
         [&] { placeAtEnd(view, QStringLiteral("\nit")); }, [&] { view.dynamicCompletion(); }},
        {"word completion \"it\" in the middle",
         [&] { placeInMiddle(view, QStringLiteral(" it")); }, [&] { view.dynamicCompletion(); }},
        {"word completion \"item_\" (one word a block)",
         [&] { placeAtEnd(view, QStringLiteral("\nitem_")); }, [&] { view.dynamicCompletion(); }},
        {"close-tag command at the end",
         [&] { placeAtEnd(view, QStringLiteral("\n<section><p>")); }, [&] { view.closeTagCompletion(); }},
        {"close tags after \"</\" at the end",
         [&] { placeAtEnd(view, QStringLiteral("\n<section><p></")); }, [&] { view.dynamicCompletion(); }},
        {"tag names after \"<\"",
         [&] { placeAtEnd(view, QStringLiteral("\n<")); }, [&] { view.dynamicCompletion(); }},
    };

    bool allWithin = true;
    for (const Case &c : cases) {
        c.place();
        const Result r = measure(prompt, runs, c.run);
        undoTyping(view);
        if (!r.shown) {
            std::printf("%-44s popup not shown\n", c.name);
            allWithin = false;
            continue;
        }
        const bool within = r.medianWall < BudgetMs;
        allWithin = allWithin && within;
        std::printf("%-44s %9.1f %9.1f %9.1f %7d%s\n", c.name, r.bestWall, r.medianWall,
                    r.medianCpu, r.rows, within ? "" : "  OVER BUDGET");
    }
    // Where the time of the word list goes.
    std::printf("\nParts of the word completion (median of %d runs, ms):\n", runs);
    QList<double> copyTimes;
    QList<double> scanTimes;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const QString plain = view.document()->toPlainText();
        copyTimes << t.nsecsElapsed() / 1e6;
        t.restart();
        int row = -1;
        const QStringList words = KeywordList::documentWords(plain, QStringLiteral("it"), plain.size(), row);
        scanTimes << t.nsecsElapsed() / 1e6;
        if (words.isEmpty())
            std::printf("  (no words found)\n");
    }
    std::printf("  %-42s %9.1f\n", "copy of the document text", median(copyTimes));
    std::printf("  %-42s %9.1f\n", "word scan for \"it\"", median(scanTimes));

    std::printf("\n%s\n", allWithin ? "All commands within budget." : "Some commands over budget.");
    UserPrompt::setInstance(nullptr);
    return allWithin ? 0 : 1;
}
