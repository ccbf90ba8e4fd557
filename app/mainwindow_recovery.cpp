// Crash recovery and files changed on disk: restoring kept documents at
// start, and saving through the watcher's overwrite question.
#include "app/mainwindow.h"

#include "app/documentwatcher.h"
#include "app/messagebar.h"
#include "app/recoverydlg.h"
#include "app/recoveryjournal.h"
#include "editor/documentfile.h"
#include "editor/userprompt.h"
#include "editor/virtualbreaks.h"
#include "html/editview.h"
#include "panels/outlinebar.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>

void MainWindow::startRecovery()
{
    journal = new RecoveryJournal(QString(), this);
    watcher = new DocumentWatcher(this, this);
    watcher->setMessageBar(messageBar);
    connect(watcher, &DocumentWatcher::aboutToReload, journal, &RecoveryJournal::keepThroughReload);
    // After the window is up and the command line's files are open.
    QTimer::singleShot(0, this, &MainWindow::offerRecovery);
}

bool MainWindow::writeWatched(EditView *view, const QString &fileName)
{
    const bool samePath = QFileInfo(fileName).absoluteFilePath() == view->fullPath();
    if (samePath && !watcher->confirmOverwrite(view))
        return false;
    if (!writeDocument(view, fileName, this))
        return false;
    watcher->watch(view);
    showMessage(tr("Saved %1 (%2)").arg(QFileInfo(fileName).fileName(), view->formatDescription()));
    return true;
}

void MainWindow::offerRecovery()
{
    QStringList damaged;
    const QList<RecoveryJournal::Entry> found = journal->claimOrphans(&damaged);
    for (const QString &file : std::as_const(damaged))
        messageBar->post(nullptr, QString(),
                         tr("The recovery file %1 is damaged and cannot be offered; it is left as "
                            "it is.")
                             .arg(QDir::toNativeSeparators(file)));
    if (found.isEmpty()) {
        journal->releaseClaimed();
        return;
    }
    RecoveryDlg dlg(found, this);
    UserPrompt::instance()->runDialog(&dlg);
    for (const RecoveryJournal::Entry &entry : dlg.toDiscard())
        journal->discard(entry);

    int restored = 0;
    for (const RecoveryJournal::Entry &entry : dlg.toRestore()) {
        QString text;
        if (!RecoveryJournal::readText(entry.file, &text)) {
            // Left where it is: perhaps a later version can read it.
            UserPrompt::critical(this, tr("Mossglen"),
                                 tr("The kept changes of '%1' cannot be read; the file %2 is left "
                                    "as it is.")
                                     .arg(entry.fullPath.isEmpty() ? entry.title : entry.fullPath,
                                          QDir::toNativeSeparators(entry.file)));
            continue;
        }
        // A document the command line opened already gets the kept text in its tab.
        EditView *view = nullptr;
        if (!entry.fullPath.isEmpty())
            for (int i = 0; i < tabWidget->count() && !view; ++i)
                if (viewAt(i) && viewAt(i)->fullPath() == entry.fullPath)
                    view = viewAt(i);
        const bool newTab = !view;
        if (newTab) {
            view = createView(entry.fullPath);
            if (entry.fullPath.isEmpty())
                view->setTitle(tr("Untitled-%1").arg(++untitledCount));
        }
        QString lines = text;
        lines.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        view->loadText(lines);
        FileFormat format;
        format.encoding = entry.encoding;
        format.byteOrderMark = entry.byteOrderMark;
        format.lineEnd = entry.lineEnd;
        view->setFileFormat(format);
        QTextCursor cursor(view->document());
        const int position = view->virtualBreaks()->toDocument(entry.cursorPosition);
        cursor.setPosition(qBound(0, position, view->document()->characterCount() - 1));
        view->setTextCursor(cursor);
        view->document()->setModified(true);
        if (newTab) {
            tabWidget->addTab(view, view->title());
            outlineBar->addView(view);
        }
        const int index = tabWidget->indexOf(view);
        if (!tabWidget->tabText(index).endsWith(QLatin1String(" *")))
            tabWidget->setTabText(index, tabWidget->tabText(index) + QLatin1String(" *"));
        tabWidget->setTabToolTip(index, view->titleWithEncoding());
        tabWidget->setCurrentIndex(index);
        // Whatever is on disk now counts as read: Save asks only about later changes.
        watcher->watch(view);
        journal->adopt(view, entry);
        ++restored;
    }
    journal->releaseClaimed();
    if (restored > 0) {
        closeEmptyUntitled();
        if (EditView *cur = currentView())
            cur->setFocus(Qt::OtherFocusReason);
        showMessage(tr("%n document(s) restored with their unsaved changes", nullptr, restored));
    }
}
