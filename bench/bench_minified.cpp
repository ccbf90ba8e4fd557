// Minified files in a shown, coloured view: opening a one-line script of
// several MB, the time a typed character costs (with its repaint) at several
// places of it, the same for a minified style sheet, and whether saving the
// unedited files gives back their bytes.
//
// Real code made minified (jQuery from Debian's libjs-jquery repeated to
// 5 MiB, the style sheet of Qt's documentation from qt6-base-dev to 150 KiB):
//
//   python3 tools/minify.py /usr/share/javascript/jquery/jquery.js /tmp/min.js --kib 5120
//   python3 tools/minify.py /usr/share/qt6/doc/global/template/style/online.css /tmp/min.css --kib 150
//   build/bin/bench_minified /tmp/min.js /tmp/min.css [--unsplit]
//
// The third page is made here: 5 MB of Japanese text on one line, which
// has no blank and no punctuation the colouring could cut behind.
//
// --unsplit also measures the script left as one block, as without virtual
// line breaks.
//
// BENCH_JAPANESE_MB=50 build/bin/bench_minified measures only a Japanese line
// of that many MB (not run by default: it takes a while and much memory), so
// that /usr/bin/time -v reports that case's peak memory alone.

#include "bench/benchsupport.h"
#include "editor/documentfile.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "highlight/syntaxhighlighter.h"
#include "html/editview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int KeysPerPlace = 20;

GlobalSettings benchSettings()
{
    GlobalSettings s = defaultBenchSettings();
    s.fontFamily = QStringLiteral("DejaVu Sans Mono");
    s.fontSize = 11;
    return s;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Figures {
    qint64 bytes = 0;
    int blocks = 0;
    int longest = 0;
    double openMs = 0;
    double colouredMs = 0;
    double meanKeyMs = 0;
    double medianKeyMs = 0;
    double worstKeyMs = 0;
    bool savedSame = false;
};

Figures measure(const QString &path, GlobalSettings &settings, QTemporaryDir &dir,
                bool unsplit = false)
{
    Figures f;
    const QByteArray original = bytesOf(path);
    f.bytes = original.size();

    EditView view(&settings, nullptr);
    view.updateSettings();
    if (unsplit)
        view.virtualBreaks()->setLimits(1 << 30, 1 << 30);
    view.resize(1000, 700);
    view.show();
    settle(50);

    QElapsedTimer clock;
    clock.start();
    view.setFullPath(path);
    if (!readDocument(&view, path)) {
        std::printf("cannot read %s\n", qPrintable(path));
        return f;
    }
    QCoreApplication::processEvents();  // the first paint
    f.openMs = clock.nsecsElapsed() / 1e6;
    while (view.highlighter()->isBusy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    f.colouredMs = clock.nsecsElapsed() / 1e6;

    f.blocks = view.document()->blockCount();
    for (QTextBlock b = view.document()->firstBlock(); b.isValid(); b = b.next())
        f.longest = std::max(f.longest, b.length() - 1);

    const QString unedited = dir.filePath(QStringLiteral("unedited") + QFileInfo(path).suffix());
    f.savedSame = writeDocument(&view, unedited) && bytesOf(unedited) == original;

    // Characters typed at the start, a quarter, the middle, three quarters
    // and the end of the text, each with the repaint it causes.
    std::vector<double> times;
    const int length = view.document()->characterCount() - 1;
    const std::vector<double> places =
            unsplit ? std::vector<double>{0.5} : std::vector<double>{0.0, 0.25, 0.5, 0.75, 1.0};
    const int keys = unsplit ? 3 : KeysPerPlace;
    for (double at : places) {
        QTextCursor cursor(view.document());
        cursor.setPosition(int(at * length));
        view.setTextCursor(cursor);
        view.ensureCursorVisible();
        settle(30);
        for (int i = 0; i < keys; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QElapsedTimer key;
            key.start();
            QApplication::sendEvent(view.viewport(), &press);
            QApplication::sendEvent(view.viewport(), &release);
            QCoreApplication::processEvents();
            times.push_back(key.nsecsElapsed() / 1e6);
        }
    }
    double sum = 0;
    for (double t : times)
        sum += t;
    f.meanKeyMs = sum / double(times.size());
    f.worstKeyMs = *std::max_element(times.begin(), times.end());
    std::sort(times.begin(), times.end());
    f.medianKeyMs = times[times.size() / 2];
    view.hide();
    return f;
}

// Japanese prose without a line break, as pasted from a word processor.
QString writeJapaneseLine(QTemporaryDir &dir, qint64 bytes)
{
    static const char16_t *const sentences[] = {
        u"\u65e5\u672c\u8a9e\u306e\u6587\u7ae0\u306f\u7a7a\u767d\u3067\u533a\u5207\u3089\u308c\u307e\u305b\u3093\u3002",
        u"\u9577\u3044\u884c\u3082\u4fdd\u5b58\u3059\u308b\u3068\u5143\u306e\u30d0\u30a4\u30c8\u306b\u623b\u308a\u307e\u3059\u3002",
        u"\u300c\u30ab\u30bf\u30ab\u30ca\u300d\u3001\u3072\u3089\u304c\u306a\u3001\u6f22\u5b57\u2460\u3002",
    };
    QString text;
    QByteArray utf8;
    for (int i = 0; utf8.size() < bytes; ++i) {
        text += QString::fromUtf16(sentences[(i * 7 + i / 3) % 3]);
        if (text.size() > 4096) {
            utf8 += text.toUtf8();
            text.clear();
        }
    }
    const QString path = dir.filePath(QStringLiteral("japanese-one-line.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(utf8) != utf8.size())
        return {};
    return path;
}

void print(const char *name, const Figures &f, double keyTarget)
{
    std::printf("%s: %.1f KiB, shown as %d blocks (longest %d characters)\n", name,
                f.bytes / 1024.0, f.blocks, f.longest);
    std::printf("  open (read, decode, cut, first paint) %10.1f ms\n", f.openMs);
    std::printf("  fully coloured                        %10.1f ms\n", f.colouredMs);
    std::printf("  typed character, %d at 5 places       mean %.2f ms, median %.2f ms, worst %.2f ms (target < %.0f ms)\n",
                KeysPerPlace, f.meanKeyMs, f.medianKeyMs, f.worstKeyMs, keyTarget);
    std::printf("  saved unedited: %s\n", f.savedSame ? "same bytes" : "DIFFERENT BYTES");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int japaneseMb = qEnvironmentVariableIntValue("BENCH_JAPANESE_MB");
    if (japaneseMb > 0) {
        GlobalSettings settings = benchSettings();
        QTemporaryDir dir;
        const Figures big = measure(writeJapaneseLine(dir, qint64(japaneseMb) * 1024 * 1024), settings, dir);
        print("Japanese text on one line", big, 10);
        return big.savedSame ? 0 : 1;
    }
    if (argc < 3) {
        std::printf("usage: %s SCRIPT.min.js STYLE.min.css [--unsplit]\n"
                    "       BENCH_JAPANESE_MB=N %s\n", argv[0], argv[0]);
        return 2;
    }
    GlobalSettings settings = benchSettings();
    QTemporaryDir dir;
    const Figures script = measure(QString::fromLocal8Bit(argv[1]), settings, dir);
    const Figures style = measure(QString::fromLocal8Bit(argv[2]), settings, dir);
    const QString japanesePath = writeJapaneseLine(dir, 5 * 1024 * 1024);
    const Figures japanese = measure(japanesePath, settings, dir);
    print("minified script", script, 10);
    print("minified style sheet", style, 3);
    print("Japanese text on one line", japanese, 10);
    if (argc > 3 && QByteArray(argv[3]) == "--unsplit") {
        // The same script as one block, for comparison: 3 keys in the middle.
        const Figures whole = measure(QString::fromLocal8Bit(argv[1]), settings, dir, true);
        std::printf("minified script left as one block: open %.1f ms, typed character mean %.1f ms "
                    "(3 keys), saved unedited: %s\n",
                    whole.openMs, whole.meanKeyMs, whole.savedSame ? "same bytes" : "DIFFERENT BYTES");
    }
    const bool met = script.openMs < 2000 && script.meanKeyMs < 10 && style.meanKeyMs < 3
                     && japanese.openMs < 1000 && japanese.meanKeyMs < 10 && script.savedSame
                     && style.savedSame && japanese.savedSame;
    std::printf("targets (script opens < 2 s, < 10 ms a key; style sheet < 3 ms a key; "
                "Japanese line opens < 1 s, < 10 ms a key; same bytes): %s\n",
                met ? "met" : "NOT met");
    return met ? 0 : 1;
}
