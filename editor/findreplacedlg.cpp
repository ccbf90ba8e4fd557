#include "editor/findreplacedlg.h"
#include "ui_findreplacedlg.h"

#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"

#include <QApplication>
#include <QLineEdit>

FindReplaceDlg::FindReplaceDlg(EditViewBase *view, GlobalSettings *settings, QWidget *parent)
    : QDialog(parent)
    , view(view)
    , settings(settings)
    , ui(new Ui::FindReplaceDlg)
{
    ui->setupUi(this);
    // The history is offered by the list; completing while typing would
    // turn a new, shorter search text into an old, longer one.
    ui->findString->setCompleter(nullptr);

    if (settings) {
        ui->findString->addItems(settings->findStrings);
        ui->replaceTo->addItems(settings->replaceStrings);
    }
    ui->findString->lineEdit()->selectAll();

    ui->ignoreCase->addItem(tr("Ignore case"));
    ui->ignoreCase->addItem(tr("Ignore case unless the text has capitals"));
    ui->ignoreCase->addItem(tr("Match case"));

    if (settings) {
        ui->ignoreCase->setCurrentIndex(settings->ignoreCase);
        ui->regExp->setChecked(settings->regexp);
        ui->wordSearch->setChecked(settings->wordSearch);
        switch (settings->findLoop) {
        case NoLoop: ui->noLoop->setChecked(true); break;
        case ConfirmLoop: ui->confirmLoop->setChecked(true); break;
        case Loop: ui->loop->setChecked(true); break;
        default: break;
        }
    }
    ui->wordSearch->setEnabled(!ui->regExp->isChecked());
}

FindReplaceDlg::~FindReplaceDlg()
{
    delete ui;
}

void FindReplaceDlg::storeOptions()
{
    if (!settings)
        return;
    settings->ignoreCase = quint8(ui->ignoreCase->currentIndex());
    settings->regexp = ui->regExp->isChecked();
    settings->wordSearch = ui->wordSearch->isChecked();
    if (ui->noLoop->isChecked())
        settings->findLoop = NoLoop;
    else if (ui->confirmLoop->isChecked())
        settings->findLoop = ConfirmLoop;
    else
        settings->findLoop = Loop;
}

void FindReplaceDlg::addFindHistory(const QString &text)
{
    if (settings)
        settings->addFindString(text);
    const int at = ui->findString->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at >= 0)
        ui->findString->removeItem(at);
    ui->findString->insertItem(0, text);
    ui->findString->setCurrentIndex(0);
}

bool FindReplaceDlg::findInView(bool backward, bool silent)
{
    if (!view)
        return false;
    const QString text = ui->findString->currentText();
    if (text.isEmpty())
        return false;
    storeOptions();
    addFindHistory(text);
    return view->findWithLoop(text, backward, silent);
}

bool FindReplaceDlg::on_findBackward_clicked()
{
    return findInView(true, false);
}

bool FindReplaceDlg::on_findForward_clicked()
{
    return findInView(false, false);
}

void FindReplaceDlg::on_Close_clicked()
{
    reject();
}

void FindReplaceDlg::on_regExp_toggled(bool checked)
{
    // Whole words are a plain-text notion.
    ui->wordSearch->setEnabled(!checked);
}

void FindReplaceDlg::on_undo_clicked()
{
    if (view)
        view->undo();
}

void FindReplaceDlg::on_redo_clicked()
{
    if (view)
        view->redo();
}

void FindReplaceDlg::on_replaceNext_clicked()
{
    if (!view || !settings)
        return;
    const QString text = ui->findString->currentText();
    if (text.isEmpty())
        return;
    storeOptions();
    settings->addFindString(text);

    // The match at the cursor is taken whole, whatever its length: a regular
    // expression rarely matches as many characters as its pattern has.
    const DocumentSearch search(text, DocumentSearch::optionsOf(*settings));
    QTextCursor cursor = search.matchAt(view->textCursor());
    if (cursor.isNull()) {
        if (!findInView(false, false))
            return;
        cursor = view->textCursor();
    }
    const QString replacement = ui->replaceTo->currentText();
    DocumentSearch::replaceSelection(cursor, search.replacementAt(cursor, replacement));
    view->setTextCursor(cursor);
    if (!replacement.isEmpty())
        settings->addReplaceString(replacement);
    findInView(false, false);
}

void FindReplaceDlg::on_replaceAll_clicked()
{
    if (!view || !settings)
        return;
    const QString text = ui->findString->currentText();
    if (text.isEmpty())
        return;
    // Options and history are stored once for the whole run, not once per
    // match: a large replace-all would otherwise spend its time writing
    // the settings store.
    storeOptions();
    addFindHistory(text);

    const DocumentSearch search(text, DocumentSearch::optionsOf(*settings));
    if (!search.isValid()) {
        QApplication::beep();
        emit showMessage(search.invalidMessage(), true);
        return;
    }

    QTextCursor start(view->document());
    view->setTextCursor(start);
    const QString replacement = ui->replaceTo->currentText();
    QTextCursor last;
    const int count = search.replaceAll(view->document(), replacement, &last);
    if (count == 0)
        return;
    if (!replacement.isEmpty())
        settings->addReplaceString(replacement);
    view->setTextCursor(last);
    emit showMessage(tr("%1 replaced.").arg(count));
}
