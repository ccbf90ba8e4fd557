// Times replace-all over a large document (and the undo that takes it back)
// and a find-next whose only match lies near the end of a large document.
#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"

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

    const QString storeFile = QSettings().fileName();
    QSettings().clear();
    QFile::remove(storeFile);
    return ok ? 0 : 1;
}
