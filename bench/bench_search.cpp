// Times replace-all over a large document (and the undo that takes it back)
// and a find-next whose only match lies near the end of a large document.
//
// Given a minified file, the same in it while its one long line is shown as
// pieces behind virtual breaks (see bench_minified.cpp for making one):
//
//   python3 tools/minify.py /usr/share/javascript/jquery/jquery.js /tmp/min.js --kib 5120
//   build/bin/bench_search /tmp/min.js
#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "highlight/linesplitter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QUuid>

#include <cstdio>

namespace {

constexpr int Lines = 100000;
constexpr qint64 ReplaceAllLimitMs = 2000;
constexpr qint64 FindNextLimitMs = 100;

// About 100 characters a line: 100,000 lines make 10 MB.
QString filler(int line)
{
    return QStringLiteral("<p class=\"row%1\">lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do</p> ")
            .arg(line, 6, 10, QLatin1Char('0'));
}

QString documentWithNeedles()
{
    QString text;
    text.reserve(Lines * 110);
    for (int i = 0; i < Lines; ++i) {
        text += filler(i);
        text += QStringLiteral("needle\n");
    }
    return text;
}

QString documentWithOneNeedleNearTheEnd()
{
    QString text;
    text.reserve(Lines * 110);
    for (int i = 0; i < Lines; ++i) {
        text += filler(i);
        text += (i == Lines - 3) ? QStringLiteral("needle\n") : QStringLiteral("thread\n");
    }
    return text;
}

bool report(const char *what, qint64 ms, qint64 limit)
{
    const bool ok = ms < limit;
    std::printf("%-58s %6lld ms  (limit %lld ms) %s\n", what, static_cast<long long>(ms),
                static_cast<long long>(limit), ok ? "ok" : "TOO SLOW");
    return ok;
}

bool replaceAll(GlobalSettings &settings, bool regexp)
{
    EditViewBase view(&settings, nullptr);
    const QString original = documentWithNeedles();
    view.setPlainText(original);
    std::printf("document: %.1f MB in %d lines, %s\n", original.size() / 1e6, Lines,
                regexp ? "regular expression ne+dle" : "plain text needle");

    FindReplaceDlg dialog(&view, &settings);
    dialog.findChild<QComboBox *>(QStringLiteral("findString"))
            ->setEditText(regexp ? QStringLiteral("ne+dle") : QStringLiteral("needle"));
    dialog.findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(QStringLiteral("pin"));
    dialog.findChild<QCheckBox *>(QStringLiteral("regExp"))->setChecked(regexp);
    QString message;
    QObject::connect(&dialog, &FindReplaceDlg::showMessage, [&message](const QString &m) { message = m; });

    QElapsedTimer timer;
    timer.start();
    dialog.on_replaceAll_clicked();
    const qint64 replaceMs = timer.elapsed();
    const bool replacedAll = message == QStringLiteral("100000 replaced.")
            && !view.toPlainText().contains(QStringLiteral("needle"));

    timer.restart();
    view.undo();
    const qint64 undoMs = timer.elapsed();
    const bool restored = view.toPlainText() == original;

    std::printf("  message: \"%s\"; all replaced: %s; one undo restores the original: %s\n",
                qPrintable(message), replacedAll ? "yes" : "NO", restored ? "yes" : "NO");
    bool ok = report(regexp ? "replace all, 100,000 matches (regexp)" : "replace all, 100,000 matches",
                     replaceMs, ReplaceAllLimitMs);
    std::printf("  (the undo took %lld ms)\n", static_cast<long long>(undoMs));
    return ok && replacedAll && restored;
}

bool findNext(GlobalSettings &settings, bool regexp)
{
    settings.regexp = regexp;
    EditViewBase view(&settings, nullptr);
    view.resize(800, 600);
    view.setPlainText(documentWithOneNeedleNearTheEnd());
    const QString text = regexp ? QStringLiteral("ne+dle") : QStringLiteral("needle");

    // Best of a few runs, each from the document start.
    qint64 best = -1;
    bool found = true;
    for (int run = 0; run < 5; ++run) {
        view.moveCursor(QTextCursor::Start);
        QElapsedTimer timer;
        timer.start();
        found = view.findWithLoop(text, false, false) && found;
        const qint64 ms = timer.elapsed();
        if (best < 0 || ms < best)
            best = ms;
    }
    found = found && view.textCursor().blockNumber() == Lines - 3;

    // The document search alone, without the view's cursor and scrolling.
    const DocumentSearch search(text, DocumentSearch::optionsOf(settings));
    qint64 searchBest = -1;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        found = !search.find(view.document(), QTextCursor(view.document()), false).isNull() && found;
        const qint64 ms = timer.elapsed();
        if (searchBest < 0 || ms < searchBest)
            searchBest = ms;
    }
    const bool ok = report(regexp ? "find next, only match near the end (regexp)"
                                  : "find next, only match near the end",
                           best, FindNextLimitMs);
    std::printf("  (the document search alone took %lld ms)\n", static_cast<long long>(searchBest));
    if (!found)
        std::printf("  the match was NOT found where it is\n");
    return ok && found;
}

// Find next and replace all in a minified file shown behind virtual breaks:
// the match found must be the one in the file's text, and after replace all
// and its undo the file's text and the breaks must be as they should.
bool minified(GlobalSettings &settings, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("cannot read %s\n", qPrintable(fileName));
        return false;
    }
    QString text = QString::fromUtf8(file.readAll());
    EditViewBase view(&settings, nullptr);
    view.virtualBreaks()->setCutRules(LineSplitter::cutRules());
    view.resize(800, 600);
    view.loadText(text);
    const VirtualBreaks *breaks = view.virtualBreaks();
    if (breaks->breakPositions().size() < 2) {
        std::printf("%s has no long line to cut\n", qPrintable(fileName));
        return false;
    }
    // One needle near the end, where the last break but one fell: the
    // needle's letters move the cuts a little, so it is checked below.
    const QString needle = QStringLiteral("needle_near_the_end");
    const int needleAt = breaks->toReal(breaks->breakPositions().at(breaks->breakPositions().size() - 2)) - 8;
    text.insert(needleAt, needle);
    view.loadText(text);
    const qsizetype breakCount = breaks->breakPositions().size();
    std::printf("minified: %.1f MB in %lld blocks behind virtual breaks\n", text.size() / 1e6,
                static_cast<long long>(breakCount) + 1);

    bool ok = true;
    for (bool regexp : {false, true}) {
        settings.regexp = regexp;
        const QString pattern = regexp ? QStringLiteral("needle_ne+ar_the_end") : needle;
        qint64 best = -1;
        bool found = true;
        for (int run = 0; run < 5; ++run) {
            view.moveCursor(QTextCursor::Start);
            QElapsedTimer timer;
            timer.start();
            found = view.findWithLoop(pattern, false, false) && found;
            const qint64 ms = timer.elapsed();
            if (best < 0 || ms < best)
                best = ms;
        }
        const QTextCursor cursor = view.textCursor();
        found = found && breaks->toReal(cursor.selectionStart()) == needleAt
                && breaks->toReal(cursor.selectionEnd()) == needleAt + needle.size();
        ok = report(regexp ? "minified: find next near the end (regexp)" : "minified: find next near the end",
                    best, FindNextLimitMs) && found && ok;
        if (!found)
            std::printf("  the match was NOT found where it is\n");
        else
            std::printf("  (the match spans %d virtual break(s))\n",
                        cursor.selectionEnd() - cursor.selectionStart() - int(needle.size()));
    }
    settings.regexp = false;

    FindReplaceDlg dialog(&view, &settings);
    dialog.findChild<QComboBox *>(QStringLiteral("findString"))->setEditText(QStringLiteral("function"));
    dialog.findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(QStringLiteral("fn"));
    dialog.findChild<QCheckBox *>(QStringLiteral("regExp"))->setChecked(false);
    QString message;
    QObject::connect(&dialog, &FindReplaceDlg::showMessage, [&message](const QString &m) { message = m; });
    QElapsedTimer timer;
    timer.start();
    dialog.on_replaceAll_clicked();
    const qint64 replaceMs = timer.elapsed();
    // The settings ignore case.
    const int count = int(text.count(QStringLiteral("function"), Qt::CaseInsensitive));
    QString expected = text;
    expected.replace(QStringLiteral("function"), QStringLiteral("fn"), Qt::CaseInsensitive);
    const bool replaced = message == QStringLiteral("%1 replaced.").arg(count) && view.realText() == expected;
    timer.restart();
    view.undo();
    const qint64 undoMs = timer.elapsed();
    const bool restored = view.realText() == text && breaks->breakPositions().size() == breakCount;
    std::printf("  %d matches; file's text right: %s; one undo restores text and breaks: %s\n", count,
                replaced ? "yes" : "NO", restored ? "yes" : "NO");
    ok = report("minified: replace all", replaceMs, ReplaceAllLimitMs) && replaced && restored && ok;
    std::printf("  (the undo took %lld ms)\n", static_cast<long long>(undoMs));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A throw-away settings store: the dialog writes its history.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora-bench-")
                                          + QUuid::createUuid().toString(QUuid::WithoutBraces));
    QCoreApplication::setApplicationName(QStringLiteral("Mossglen"));

    GlobalSettings settings;
    settings.load();
    bool ok = replaceAll(settings, false);
    ok = replaceAll(settings, true) && ok;
    ok = findNext(settings, false) && ok;
    ok = findNext(settings, true) && ok;
    if (argc > 1)
        ok = minified(settings, QString::fromLocal8Bit(argv[1])) && ok;

    const QString storeFile = QSettings().fileName();
    QSettings().clear();
    QFile::remove(storeFile);
    return ok ? 0 : 1;
}
