// Documents and tabs: making, loading, saving and closing views.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "editor/commandstatistics.h"
#include "app/documentwatcher.h"
#include "app/messagebar.h"
#include "app/recoveryjournal.h"
#include "editor/documentfile.h"
#include "editor/globalsettings.h"
#include "editor/userprompt.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "panels/filesystemview.h"
#include "panels/outlinebar.h"
#include "panels/settingsdlg.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>

namespace {
const QString modifiedMarker = QStringLiteral(" *");

QString withoutYenSigns(QString name)
{
    // Japanese keyboards type U+00A5 where a path separator is meant.
    name.replace(QChar(0x00A5), QLatin1Char('/'));
    return name;
}

// Why a file that exists cannot be opened, for the message naming it.
QString unreadableReason(const QString &name)
{
    const QFileInfo info(name);
    if (info.isDir())
        return MainWindow::tr("it is a folder");
    if (!info.isFile())
        return MainWindow::tr("it is not a regular file");
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return MainWindow::tr("it could not be read");
}

// The Open and Save As dialogs' filters: web files, each kind, all files.
QStringList fileFilters()
{
    return MainWindow::tr("Web Files (*.html *.htm *.css *.js *.php *.phtml);;"
                          "HTML Files (*.html *.htm);;CSS Files (*.css);;"
                          "JavaScript Files (*.js);;PHP Files (*.php *.phtml);;All Files (*)")
        .split(QStringLiteral(";;"));
}

const QString readProblemKey = QStringLiteral("readProblem");
} // namespace

EditView *MainWindow::viewAt(int index) const
{
    return qobject_cast<EditView *>(tabWidget->widget(index));
}

EditView *MainWindow::currentView() const
{
    return qobject_cast<EditView *>(tabWidget->currentWidget());
}

void MainWindow::applyViewSettings(EditView *view)
{
    view->setFont(QFont(settings->fontFamily, settings->fontSize));
    view->updateSettings();
}

EditView *MainWindow::createView(const QString &path)
{
    auto *view = new EditView(settings, viEngine);
    view->setFullPath(path);
    view->setScriptKeywords(&scriptKeywords);
    applyViewSettings(view);
    connect(view, &EditViewBase::modificationChanged, this, &MainWindow::onModificationChanged);
    connect(view, &EditViewBase::showMessage, this, &MainWindow::showMessage);
    connect(view, &EditViewBase::notice, messageBar, [this, view](const QString &text) {
        messageBar->post(view, readProblemKey, text);
    });
    connect(view, &EditViewBase::readWithoutProblem, messageBar,
            [this, view] { messageBar->withdraw(view, readProblemKey); });
    connect(view, &EditView::openFile, this,
            qOverload<const QString &, EditView **>(&MainWindow::loadFile));
    connect(view, &EditView::toClose, outlineBar, &OutlineBar::removeView);
    connect(view, &EditViewBase::focusIn, this, &MainWindow::viewFocusIn);
    connect(view, &EditViewBase::focusOut, this, &MainWindow::viewFocusOut);
    journal->track(view);
    return view;
}

void MainWindow::newDocument()
{
    EditView *view = createView(QString());
    ++untitledCount;
    const QString title = tr("Untitled-%1").arg(untitledCount);
    view->setTitle(title);
    tabWidget->addTab(view, title);
    tabWidget->setCurrentWidget(view);
    outlineBar->addView(view);
    view->setFocus(Qt::OtherFocusReason);
}

void MainWindow::on_action_New_triggered()
{
    recordCommand(QStringLiteral("Action.FileNew"));
    newDocument();
}

void MainWindow::on_action_Open_triggered()
{
    recordCommand(QStringLiteral("Action.FileOpen"));
    if (EditView *view = currentView())
        view->setCurrentDirToFile();
    const QStringList names = UserPrompt::instance()->openFileNames(
        this, tr("Open File"), QString(), fileFilters().join(QStringLiteral(";;")));
    for (const QString &name : names)
        loadFile(name);
}

void MainWindow::loadFile(const QString &fileName, EditView **result)
{
    saveCommandStatistics();
    if (result)
        *result = nullptr;
    const QString name = withoutYenSigns(fileName);
    const QFileInfo info(name);
    const QString absPath = info.absoluteFilePath();
    const bool exists = info.exists();
    if (exists) {
        for (int i = 0; i < tabWidget->count(); ++i) {
            EditView *view = viewAt(i);
            if (view && view->fullPath() == absPath) {
                if (result)
                    *result = view;
                tabWidget->setCurrentIndex(i);
                return;
            }
        }
    } else {
        const auto answer = UserPrompt::warning(
            this, tr("Mossglen"),
            tr("'%1' does not exist.\nDo you want to create it?").arg(name),
            QMessageBox::Ok | QMessageBox::No | QMessageBox::Cancel);
        if (answer != QMessageBox::Ok)
            return;
    }
    EditView *view = createView(absPath);
    QString summary;
    if (exists) {
        if (!readDocument(view, name, NoEncoding, &summary)) {
            // Never hand out a view that is not shown.
            delete view;
            messageBar->post(nullptr, QString(),
                             tr("'%1' cannot be opened: %2")
                                 .arg(QDir::toNativeSeparators(absPath), unreadableReason(name)));
            return;
        }
        closeEmptyUntitled();
    }
    watcher->watch(view);
    if (result)
        *result = view;
    tabWidget->addTab(view, info.fileName());
    view->setFocus(Qt::OtherFocusReason);
    view->setCurrentDirToFile();
    tabWidget->setCurrentWidget(view);
    tabWidget->setTabToolTip(tabWidget->indexOf(view), view->titleWithEncoding());
    if (!summary.isEmpty())
        statusBar()->showMessage(summary, 8000);
    noteLoaded(absPath);
    outlineBar->addView(view);
}

void MainWindow::closeEmptyUntitled()
{
    for (int i = tabWidget->count() - 1; i >= 0; --i) {
        EditView *view = viewAt(i);
        if (!view || !view->fullPath().isEmpty() || !view->document()->isEmpty())
            continue;
        if (!maybeSave(view))
            continue;
        tabWidget->removeTab(i);
        delete view;
        if (EditView *cur = currentView())
            cur->setFocus(Qt::OtherFocusReason);
    }
}

bool MainWindow::maybeSave(EditView *view)
{
    // An emptied document that has a file is still a change to that file;
    // only an empty untitled document goes without asking.
    const bool emptyUntitled = view->fullPath().isEmpty() && view->document()->isEmpty();
    if (!view->document()->isModified() || emptyUntitled)
        return true;
    tabWidget->setCurrentWidget(view);
    const auto answer = UserPrompt::warning(
        this, tr("Mossglen"),
        tr("'%1' has been modified.\nDo you want to save your changes?").arg(view->title()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return on_action_Save_triggered();
    return answer == QMessageBox::Discard;
}

bool MainWindow::on_action_Save_triggered()
{
    recordCommand(QStringLiteral("Action.FileSave"));
    EditView *view = currentView();
    if (!view)
        return false;
    if (!view->fullPath().isEmpty())
        return writeWatched(view, view->fullPath());
    return on_actionSave_As_triggered();
}

bool MainWindow::on_actionSave_As_triggered()
{
    recordCommand(QStringLiteral("Action.FileSaveAs"));
    EditView *view = currentView();
    if (!view)
        return false;
    view->setCurrentDirToFile();
    // The filter of the document's own kind comes first, so that the dialog
    // starts with it.
    QStringList filters = fileFilters();
    const QString suffix = QFileInfo(view->fullPath()).suffix().toLower();
    if (!suffix.isEmpty()) {
        const QString pattern = QStringLiteral("*.") + suffix;
        for (qsizetype i = 1; i < filters.size() - 1; ++i) {
            if (filters[i].contains(pattern + QLatin1Char(' '))
                || filters[i].contains(pattern + QLatin1Char(')'))) {
                filters.move(i, 0);
                break;
            }
        }
    }
    const QString answer = UserPrompt::instance()->saveFileName(
        this, tr("Save As"), view->title(), filters.join(QStringLiteral(";;")));
    if (answer.isEmpty())
        return false;
    const auto showName = [this, view] {
        outlineBar->updateView(view);
        const int index = tabWidget->indexOf(view);
        if (index >= 0) {
            QString text = view->title();
            if (view->document()->isModified())
                text += modifiedMarker;
            tabWidget->setTabText(index, text);
            tabWidget->setTabToolTip(index, view->titleWithEncoding());
        }
    };
    const QString previousPath = view->fullPath();
    const QString previousTitle = view->title();
    view->setFullPath(QFileInfo(answer).absoluteFilePath());
    showName();
    if (!writeWatched(view, answer)) {
        // Nothing was written there: the tab goes on naming the file it had.
        view->setFullPath(previousPath);
        view->setTitle(previousTitle);
        showName();
        return false;
    }
    noteLoaded(view->fullPath());
    return true;
}

void MainWindow::close(EditView *view)
{
    if (!maybeSave(view))
        return;
    tabWidget->removeTab(tabWidget->indexOf(view));
    delete view;
    if (EditView *cur = currentView())
        cur->setFocus(Qt::OtherFocusReason);
}

void MainWindow::on_action_Close_triggered()
{
    recordCommand(QStringLiteral("Action.closeThisDocument"));
    tabCloseRequested(tabWidget->currentIndex());
}

void MainWindow::tabCloseRequested(int index)
{
    if (index < 0 || index >= tabWidget->count())
        return;
    if (EditView *view = viewAt(index)) {
        close(view);
        return;
    }
    QWidget *w = tabWidget->widget(index);
    tabWidget->removeTab(index);
    delete w;
}

void MainWindow::onTabChanged(int index)
{
    prevFullPath = curFullPath;
    prevTitle = curTitle;
    messageBar->setCurrentOwner(viewAt(index));
    if (index < 0) {
        ui->menuEncoding_of_cur_doc->setTitle(tr("&Encoding of This Document"));
        curFullPath.clear();
        curTitle.clear();
        updateFormatActions();
        return;
    }
    EditView *view = viewAt(index);
    if (!view)
        return;
    curFullPath = view->fullPath();
    curTitle = view->title();
    updateFormatActions();
    QString shownTitle = view->title();
    shownTitle.replace(QLatin1Char('&'), QStringLiteral("&&"));
    ui->menuEncoding_of_cur_doc->setTitle(tr("&Encoding of '%1'").arg(shownTitle));
    outlineBar->setCurrentView(view);
    view->setCurrentDirToFile();
    statusBar()->showMessage(view->titleWithEncoding(), 3000);
}

void MainWindow::onModificationChanged(bool changed)
{
    auto *view = qobject_cast<QWidget *>(sender());
    const int index = tabWidget->indexOf(view);
    if (index < 0)
        return;
    QString text = tabWidget->tabText(index);
    if (changed && !text.endsWith(modifiedMarker))
        tabWidget->setTabText(index, text + modifiedMarker);
    else if (!changed && text.endsWith(modifiedMarker))
        tabWidget->setTabText(index, text.chopped(modifiedMarker.size()));
}

void MainWindow::setEncoding()
{
    recordCommand(QStringLiteral("Action.setEncoding"));
    EditView *view = currentView();
    auto *action = qobject_cast<QAction *>(sender());
    if (!view || !action)
        return;
    const CharEncoding encoding = CharEncoding(action->data().toInt());
    if (encoding != view->charEncoding()) {
        view->setCharEncoding(encoding);
        // The file changes at the next save: closing without it asks.
        view->setModified(true);
    }
    // Keep the menu's marks in line at once rather than at the next tab change.
    refreshFormatShown(view);
}

void MainWindow::activateView(EditView *view, int)
{
    tabWidget->setCurrentWidget(view);
}

void MainWindow::openDir(const QString &path)
{
    const QModelIndex index = fileSystemModel->index(path, 0);
    if (!index.isValid())
        return;
    fileSystemDock->show();
    fileSystemDock->raise();
    fileSystemView->setCurrentIndex(index);
    fileSystemView->expand(index);
    fileSystemView->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showMessage(const QString &text, bool failure)
{
    statusBar()->showMessage(text, failure ? 0 : MessageTimeout);
}

void MainWindow::on_action_NextTab_triggered()
{
    recordCommand(QStringLiteral("Action.nextTabDoc"));
    const int n = tabWidget->count();
    if (n < 2)
        return;
    tabWidget->setCurrentIndex((tabWidget->currentIndex() + 1) % n);
}

void MainWindow::on_action_PrevTab_triggered()
{
    recordCommand(QStringLiteral("Action.prevTabDoc"));
    const int n = tabWidget->count();
    if (n < 2)
        return;
    tabWidget->setCurrentIndex((tabWidget->currentIndex() + n - 1) % n);
}

void MainWindow::on_action_PreviousDoc_triggered()
{
    recordCommand(QStringLiteral("Action.previousDoc"));
    if (!prevFullPath.isEmpty())
        loadFile(prevFullPath);
    else
        activateTabByTitle(prevTitle);
}

void MainWindow::activateTabByTitle(const QString &title)
{
    for (int i = 0; i < tabWidget->count(); ++i) {
        EditView *view = viewAt(i);
        if (view && view->title() == title) {
            tabWidget->setCurrentIndex(i);
            return;
        }
    }
}

void MainWindow::on_action_Settings_triggered()
{
    SettingsDlg dlg(settings);
    connect(&dlg, &SettingsDlg::apply, this, &MainWindow::applySettings);
    if (UserPrompt::instance()->runDialog(&dlg) == QDialog::Accepted)
        applySettings(&dlg);
}

void MainWindow::applySettings(SettingsDlg *dlg)
{
    settings->docRootPath = dlg->rootPath();
    settings->lineNumber = dlg->lineNumber();
    ui->action_LineNumber->setChecked(settings->lineNumber);
    settings->fontSize = dlg->fontPointSize();
    settings->fontFamily = dlg->fontFamily();
    settings->tabWidth = dlg->tabWidth();
    for (int i = 0; i < tabWidget->count(); ++i)
        if (EditView *view = viewAt(i))
            applyViewSettings(view);
    for (int i = 0; i < GlobalSettings::ShortTextCount; ++i) {
        settings->shortText[i] = dlg->shortText(i);
        settings->shortTextSel[i] = dlg->shortTextSel(i);
    }
    settings->save();
}

void MainWindow::on_action_LineNumber_triggered(bool checked)
{
    settings->lineNumber = checked;
    settings->save();
    for (int i = 0; i < tabWidget->count(); ++i)
        if (EditView *view = viewAt(i))
            view->updateSettings();
}

void MainWindow::on_action_viEnabled_toggled(bool checked)
{
    settings->viEnabled = checked;
    if (!checked)
        viEngine->setMode(ViEngine::InsertMode);
    settings->save();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls)
        loadFile(QDir::toNativeSeparators(url.toLocalFile()));
}
