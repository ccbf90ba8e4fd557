// Opening large HTML files: read + detect + decode + setPlainText into an
// EditView + first paint, and the resident memory afterwards.
//
// Budgets: a 10 MB page (about 190,000 lines) opens in under 1.0 s and leaves
// the process under 200 MB resident; a 50 MB page opens in under 6 s and
// stays editable (one keystroke in its middle is timed).
//
// Each size runs in a fresh child process so that its memory figure is its
// own. The pages are UTF-8 with Japanese text; --encoding sjis or euc writes
// them in that encoding instead.
//
// usage: bench_open [--encoding utf8|sjis|euc] [MB ...]      (default: 10 50)

#include "bench/benchsupport.h"
#include "editor/documentfile.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>

#include <cstdio>

namespace {

// Resident set size of this process in MB, from /proc/self/status.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// About 55 bytes a line, so that 10 MB is about 190,000 lines.
QByteArray makePage(qsizetype megabytes, CharEncoding encoding, qsizetype *lineCount)
{
    const qsizetype target = megabytes * 1000 * 1000;
    QString text = QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<title>苔の庭</title>\n"
                                  "</head>\n<body>\n<table>\n");
    qsizetype lines = 7;
    qsizetype bytes = text.toUtf8().size();
    const QString templates[] = {
        QStringLiteral("<tr><td class=\"n\">%1</td><td>苔の記録</td></tr>\n"),
        QStringLiteral("<tr><td class=\"n\">%1</td><td>moss &amp; stone</td></tr>\n"),
        QStringLiteral("  <!-- row %1: 北側の区画 -->\n"),
        QStringLiteral("<tr><td colspan=\"2\"><a href=\"#r%1\">link %1</a></td></tr>\n"),
    };
    QString chunk;
    for (qsizetype n = 1; bytes < target; ++n) {
        const QString line = templates[n % 4].arg(n);
        chunk += line;
        bytes += line.toUtf8().size();
        ++lines;
    }
    text += chunk;
    text += QStringLiteral("</table>\n</body>\n</html>\n");
    *lineCount = lines + 3;
    return encodeText(text, encoding).bytes;
}

class PaintWatcher : public QObject
{
public:
    bool painted = false;
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// Processes events until the viewport has painted (at most 10 s).
void waitForPaint(QWidget *viewport, PaintWatcher &watcher)
{
    watcher.painted = false;
    QElapsedTimer timer;
    timer.start();
    while (!watcher.painted && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    Q_UNUSED(viewport);
}

int runOne(qsizetype megabytes, CharEncoding encoding)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("big.html"));
    qsizetype lines = 0;
    {
        const QByteArray page = makePage(megabytes, encoding, &lines);
        QFile out(fileName);
        if (!out.open(QIODevice::WriteOnly) || out.write(page) != page.size())
            return 2;
    }
    const double rssBefore = residentMb();

    // Phases alone, on the bytes as they are read.
    QElapsedTimer t;
    t.start();
    QByteArray bytes;
    {
        QFile in(fileName);
        if (!in.open(QIODevice::ReadOnly))
            return 2;
        bytes = in.readAll();
    }
    const double readMs = t.nsecsElapsed() / 1e6;
    t.restart();
    const CharEncoding detected = detectEncoding(bytes);
    const double detectMs = t.nsecsElapsed() / 1e6;
    t.restart();
    DecodedText decoded = decodeBytes(bytes, detected);
    const double decodeMs = t.nsecsElapsed() / 1e6;
    decoded = DecodedText();
    bytes = QByteArray();

    // The real path: readDocument into a shown view, then the first paint.
    GlobalSettings settings;
    settings.lineNumber = true;
    ViEngine engine;
    engine.setMode(ViEngine::InsertMode);  // keys type text, as with vi off
    EditView view(&settings, &engine);
    view.updateSettings();
    view.resize(1000, 700);
    view.show();
    PaintWatcher watcher;
    view.viewport()->installEventFilter(&watcher);
    waitForPaint(view.viewport(), watcher);

    const double cpuStart = threadCpuMs();
    t.restart();
    if (!readDocument(&view, fileName))
        return 3;
    const double loadMs = t.nsecsElapsed() / 1e6;
    view.viewport()->update();
    waitForPaint(view.viewport(), watcher);
    const double openMs = t.nsecsElapsed() / 1e6;
    const double openCpuMs = threadCpuMs() - cpuStart;
    const double rssAfter = residentMb();

    // One keystroke in the middle of the page, painted.
    QTextCursor cursor(view.document()->findBlockByNumber(view.document()->blockCount() / 2));
    view.setTextCursor(cursor);
    QCoreApplication::processEvents();
    t.restart();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QCoreApplication::sendEvent(&view, &press);
    QCoreApplication::sendEvent(&view, &release);
    waitForPaint(view.viewport(), watcher);
    const double keyMs = t.nsecsElapsed() / 1e6;
    const bool typed = view.textCursor().block().text().contains(QLatin1Char('x'));

    const int blocks = view.document()->blockCount();
    const QString encodingText = QString::fromLatin1(encodingName(view.charEncoding()));
    view.hide();
    view.clear();

    // For comparison: a bare QPlainTextEdit given the same text.
    double bareCpuMs = 0;
    {
        QFile in(fileName);
        if (!in.open(QIODevice::ReadOnly))
            return 2;
        const QString text = decodeBytes(in.readAll()).text;
        QPlainTextEdit bare;
        bare.setLineWrapMode(QPlainTextEdit::NoWrap);
        bare.resize(1000, 700);
        bare.show();
        PaintWatcher bareWatcher;
        bare.viewport()->installEventFilter(&bareWatcher);
        waitForPaint(bare.viewport(), bareWatcher);
        const double start = threadCpuMs();
        bare.setPlainText(text);
        bare.viewport()->update();
        waitForPaint(bare.viewport(), bareWatcher);
        bareCpuMs = threadCpuMs() - start;
    }

    // One machine-readable line for the parent.
    std::printf("ROW %lld %lld %s %.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f %d %d %.1f\n",
                static_cast<long long>(megabytes), static_cast<long long>(lines),
                qPrintable(encodingText), readMs, detectMs, decodeMs, loadMs, openMs,
                openCpuMs, rssBefore, rssAfter, keyMs, typed ? 1 : 0, blocks, bareCpuMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    CharEncoding encoding = UTF8;
    const int encAt = args.indexOf(QStringLiteral("--encoding"));
    if (encAt >= 0 && encAt + 1 < args.size()) {
        const QString name = args.at(encAt + 1);
        encoding = name == QLatin1String("sjis") ? ShiftJIS
                 : name == QLatin1String("euc") ? EucJP : UTF8;
        args.remove(encAt, 2);
    }
    if (args.value(0) == QLatin1String("--one"))
        return runOne(args.value(1).toLongLong(), encoding);

    QList<qsizetype> sizes;
    for (const QString &a : args)
        sizes.append(a.toLongLong());
    if (sizes.isEmpty())
        sizes = {10, 50};

    std::printf("Opening an HTML page (%s): read, detect and decode alone, then readDocument\n"
                "into a shown EditView up to its first paint; one keystroke in the middle.\n\n",
                encodingName(encoding));
    std::printf("%5s %8s %7s %7s %7s | %8s %8s %8s %8s | %7s %7s | %7s\n", "MB", "lines", "read",
                "detect", "decode", "load ms", "open ms", "open cpu", "bare cpu", "RSS0 MB",
                "RSS MB", "key ms");
    for (qsizetype mb : sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList childArgs{QStringLiteral("--one"), QString::number(mb), QStringLiteral("--encoding"),
                              encoding == ShiftJIS ? QStringLiteral("sjis")
                              : encoding == EucJP ? QStringLiteral("euc") : QStringLiteral("utf8")};
        child.start(QCoreApplication::applicationFilePath(), childArgs);
        child.waitForFinished(-1);
        const QByteArray out = child.readAllStandardOutput();
        const int at = out.indexOf("ROW ");
        if (child.exitCode() != 0 || at < 0) {
            std::printf("%5lld failed (exit %d)\n", static_cast<long long>(mb), child.exitCode());
            continue;
        }
        const QList<QByteArray> f = out.mid(at).split('\n').first().split(' ');
        std::printf("%5s %8s %7s %7s %7s | %8s %8s %8s %8s | %7s %7s | %7s%s\n", f[1].constData(),
                    f[2].constData(), f[4].constData(), f[5].constData(), f[6].constData(),
                    f[7].constData(), f[8].constData(), f[9].constData(), f[15].constData(),
                    f[10].constData(), f[11].constData(), f[12].constData(),
                    f[13] == "1" ? "" : "  (keystroke lost!)");
    }
    std::printf("\nread/detect/decode: the phases alone; load: readDocument (all of them plus\n"
                "setPlainText); open: load plus the first paint, wall clock; open cpu: the same\n"
                "in this thread's processor time; bare cpu: a plain QPlainTextEdit given the\n"
                "decoded text, to the first paint. RSS0: resident before opening, RSS: after.\n");
    return 0;
}
