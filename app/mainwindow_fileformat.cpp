// The file-format menus: encoding, byte-order mark, line ends, and reading a
// file again in another encoding.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "editor/commandstatistics.h"
#include "app/documentwatcher.h"
#include "editor/documentfile.h"
#include "editor/userprompt.h"
#include "html/editview.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>

namespace {

struct EncodingEntry
{
    CharEncoding encoding;
    const char *objectName;  // of the matching encoding action of the form
};

const EncodingEntry encodingEntries[] = {
    {UTF8, "action_UTF8"}, {UTF16LE, "action_UTF16LE"}, {UTF16BE, "action_UTF16BE"},
    {ShiftJIS, "action_SJIS"}, {EucJP, "action_EUC"},
};

} // namespace

void MainWindow::setupFileFormatMenus()
{
    QMenu *encodingMenu = ui->menuEncoding_of_cur_doc;
    auto *encodings = new QActionGroup(this);
    encodings->setExclusive(true);
    for (QAction *action : {ui->action_UTF8, ui->action_UTF16LE, ui->action_UTF16BE,
                            ui->action_SJIS, ui->action_EUC}) {
        action->setCheckable(true);
        encodings->addAction(action);
    }
    encodingMenu->addSeparator();
    byteOrderMarkAction = encodingMenu->addAction(tr("Byte-order &mark"));
    byteOrderMarkAction->setObjectName(QStringLiteral("actionByteOrderMark"));
    byteOrderMarkAction->setCheckable(true);
    connect(byteOrderMarkAction, &QAction::triggered, this, &MainWindow::setByteOrderMark);

    lineEndMenu = new QMenu(tr("&Line ends"), this);
    lineEndMenu->setObjectName(QStringLiteral("menuLineEnds"));
    auto *lineEnds = new QActionGroup(this);
    lineEnds->setExclusive(true);
    const struct { LineEnd lineEnd; const char *objectName; QString label; } styles[] = {
        {LineEnd::LF, "actionLineEnd_LF", tr("&LF (Linux, macOS)")},
        {LineEnd::CRLF, "actionLineEnd_CRLF", tr("C&RLF (Windows)")},
        {LineEnd::CR, "actionLineEnd_CR", tr("&CR (classic Mac OS)")},
    };
    for (const auto &style : styles) {
        QAction *action = lineEndMenu->addAction(style.label);
        action->setObjectName(QLatin1String(style.objectName));
        action->setCheckable(true);
        action->setData(int(style.lineEnd));
        lineEnds->addAction(action);
        connect(action, &QAction::triggered, this, &MainWindow::setLineEnd);
    }

    reopenMenu = new QMenu(tr("Reopen &with encoding"), this);
    reopenMenu->setObjectName(QStringLiteral("menuReopenWithEncoding"));
    for (const EncodingEntry &entry : encodingEntries) {
        QAction *action = reopenMenu->addAction(QLatin1String(encodingName(entry.encoding)));
        action->setObjectName(QLatin1String("actionReopen_") + QLatin1String(entry.objectName + 7));
        action->setData(int(entry.encoding));
        connect(action, &QAction::triggered, this, &MainWindow::reopenWithEncoding);
    }

    // Beside the encoding submenu, which they belong with.
    QAction *after = nullptr;
    const QList<QAction *> fileActions = ui->menu_File->actions();
    const qsizetype at = fileActions.indexOf(encodingMenu->menuAction());
    if (at >= 0 && at + 1 < fileActions.size())
        after = fileActions.at(at + 1);
    ui->menu_File->insertMenu(after, lineEndMenu);
    ui->menu_File->insertMenu(after, reopenMenu);
}

void MainWindow::updateFormatActions()
{
    const EditView *view = currentView();
    const FileFormat format = view ? view->fileFormat() : FileFormat();
    for (const EncodingEntry &entry : encodingEntries)
        if (auto *action = findChild<QAction *>(QLatin1String(entry.objectName)))
            action->setChecked(view && format.encoding == entry.encoding);
    byteOrderMarkAction->setEnabled(view && canHaveByteOrderMark(format.encoding));
    byteOrderMarkAction->setChecked(view && format.byteOrderMark);
    for (QAction *action : lineEndMenu->actions())
        action->setChecked(view && action->data().toInt() == int(format.lineEnd));
    lineEndMenu->setEnabled(view);
    reopenMenu->setEnabled(view && !view->fullPath().isEmpty());
}

void MainWindow::setLineEnd()
{
    recordCommand(QStringLiteral("Action.setLineEnd"));
    EditView *view = currentView();
    auto *action = qobject_cast<QAction *>(sender());
    if (!view || !action)
        return;
    const LineEnd lineEnd = LineEnd(action->data().toInt());
    if (lineEnd != view->fileFormat().lineEnd) {
        view->setLineEnd(lineEnd);
        view->setModified(true);  // the file changes at the next save
    }
    refreshFormatShown(view);
}

void MainWindow::setByteOrderMark(bool on)
{
    recordCommand(QStringLiteral("Action.setByteOrderMark"));
    EditView *view = currentView();
    if (!view)
        return;
    if (on != view->fileFormat().byteOrderMark) {
        view->setByteOrderMark(on);
        view->setModified(true);
    }
    refreshFormatShown(view);
}

void MainWindow::refreshFormatShown(EditView *view)
{
    updateFormatActions();
    const int index = tabWidget->indexOf(view);
    if (index >= 0)
        tabWidget->setTabToolTip(index, view->titleWithEncoding());
    statusBar()->showMessage(view->titleWithEncoding(), 3000);
}

void MainWindow::reopenWithEncoding()
{
    recordCommand(QStringLiteral("Action.reopenWithEncoding"));
    EditView *view = currentView();
    auto *action = qobject_cast<QAction *>(sender());
    if (!view || !action || view->fullPath().isEmpty())
        return;
    const CharEncoding encoding = CharEncoding(action->data().toInt());
    const QString path = view->fullPath();
    const QFileInfo info(path);
    if (view->document()->isModified()) {
        const auto answer = UserPrompt::warning(
            this, tr("Mossglen"),
            tr("'%1' has changes that are not saved.\n"
               "Read it again from disk as %2 and lose them?")
                .arg(view->title(), QLatin1String(encodingName(encoding))),
            QMessageBox::Discard | QMessageBox::Cancel,
            {{QMessageBox::Discard, tr("&Reopen and lose changes")}});
        if (answer != QMessageBox::Discard)
            return;
    }
    QString summary;
    if (!readDocument(view, path, encoding, &summary)) {
        const QString why = !info.exists() ? tr("the file no longer exists")
            : !info.isFile()               ? tr("it is not a regular file")
                                           : tr("the file cannot be read");
        UserPrompt::critical(this, tr("Mossglen"),
                             tr("Cannot reopen '%1': %2.").arg(path, why));
        return;
    }
    watcher->watch(view);
    refreshFormatShown(view);
    statusBar()->showMessage(summary, 8000);
}
