// Typing into a 10 MB document while recovery copies are written: the longest
// time the GUI thread is held up, with the journal off and on, and how long
// the journal's own part on the GUI thread (the text snapshot) takes.
// Usage: bench_journal [seconds per phase, default 8]
#include "app/recoveryjournal.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <cstdio>

namespace {

constexpr qint64 StallLimitMs = 16;

struct Phase {
    qint64 longestGapUs = 0;   // between two turns of the event loop
    qint64 keys = 0;
    int writes = 0;
    qint64 longestSnapshotUs = 0;
};

QString tenMegabytePage()
{
    const QString line = QStringLiteral(
        "<div class=\"row\"><p>Some text of the page, with <a href=\"x.html\">a link</a>.</p></div>\n");
    QString text;
    text.reserve(10 * 1024 * 1024 + line.size());
    while (text.size() < 10 * 1024 * 1024)
        text += line;
    return text;
}

Phase type(EditView *view, RecoveryJournal *journal, int seconds)
{
    Phase phase;
    const int writesBefore = journal ? journal->writesDone() : 0;
    QElapsedTimer clock, gap;
    clock.start();
    gap.start();
    // A key every 30 ms, a fast typist, somewhere in the middle of the page.
    QTimer keys;
    keys.setTimerType(Qt::PreciseTimer);
    QObject::connect(&keys, &QTimer::timeout, view, [&] {
        QTextCursor cursor = view->textCursor();
        cursor.insertText(phase.keys % 40 == 39 ? QStringLiteral("\n") : QStringLiteral("k"));
        view->setTextCursor(cursor);
        ++phase.keys;
    });
    // The event loop's heartbeat: every late beat is a stall someone typing feels.
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        phase.longestGapUs = qMax(phase.longestGapUs, gap.nsecsElapsed() / 1000);
        gap.restart();
    });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    keys.start(30);
    beat.start(1);
    // The first second warms the layout up; it is not counted.
    QTimer::singleShot(1000, [&] { phase.longestGapUs = 0; gap.restart(); });
    loop.exec();
    if (journal) {
        journal->waitForIdle();
        phase.writes = journal->writesDone() - writesBefore;
        phase.longestSnapshotUs = journal->longestSnapshotMicros();
    }
    return phase;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(3, atoi(argv[1])) : 8;
    QTemporaryDir dir;
    GlobalSettings settings;
    ViEngine engine;
    engine.setMode(ViEngine::InsertMode);
    EditView view(&settings, &engine);
    view.resize(900, 700);
    view.show();
    view.setPlainText(tenMegabytePage());
    view.document()->setModified(false);
    QTextCursor cursor(view.document()->findBlockByNumber(view.document()->blockCount() / 2));
    view.setTextCursor(cursor);

    const Phase off = type(&view, nullptr, seconds);

    RecoveryJournal journal(dir.filePath(QStringLiteral("recovery")));
    // Shorter than the program's delays, so that many copies are written.
    journal.setDelays(300, 1000);
    journal.track(&view);
    const Phase on = type(&view, &journal, seconds);

    std::printf("document: %lld characters, %d lines\n",
                qlonglong(view.document()->characterCount()), view.document()->blockCount());
    std::printf("journal off: %lld keys, longest stall %.1f ms\n",
                qlonglong(off.keys), off.longestGapUs / 1000.0);
    std::printf("journal on:  %lld keys, longest stall %.1f ms, %d copies written, "
                "longest hold of the GUI thread by the journal %.1f ms\n",
                qlonglong(on.keys), on.longestGapUs / 1000.0, on.writes,
                on.longestSnapshotUs / 1000.0);
    // The journal's own hold on the GUI thread is what it adds to a keystroke;
    // the stalls above also hold layout and painting of the large document.
    const bool ok = on.writes > 0 && on.longestSnapshotUs <= StallLimitMs * 1000;
    std::printf("%s: journal writes %s hold the GUI thread for more than %lld ms at a time\n",
                ok ? "PASS" : "FAIL", ok ? "never" : "did", qlonglong(StallLimitMs));
    return ok ? 0 : 1;
}
