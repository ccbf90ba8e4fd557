#pragma once

#include <QDialog>
#include <QString>

namespace Ui { class FindReplaceDlg; }

class EditViewBase;
class GlobalSettings;

// The modal find/replace dialog of one view. It edits the search options of
// the settings record, keeps the search and replacement histories in its two
// combo boxes and runs the view's search steps. Built for one run.
class FindReplaceDlg : public QDialog
{
    Q_OBJECT
public:
    FindReplaceDlg(EditViewBase *view, GlobalSettings *settings, QWidget *parent = nullptr);
    ~FindReplaceDlg() override;

    // Copies the option widgets into the settings record (not saved here).
    void storeOptions();
    // Puts `text` at the front of the search history and of the combo box.
    void addFindHistory(const QString &text);
    // One search for the combo box's text, with the loop rules unless silent.
    bool findInView(bool backward, bool silent);

signals:
    void undo();
    void redo();
    void nextDoc();
    void showMessage(const QString &text, bool failure = false);

public slots:
    bool on_findBackward_clicked();
    bool on_findForward_clicked();
    void on_Close_clicked();
    void on_regExp_toggled(bool checked);
    void on_undo_clicked();
    void on_redo_clicked();
    void on_replaceNext_clicked();
    void on_replaceAll_clicked();

private:
    EditViewBase *view;
    GlobalSettings *settings;
    Ui::FindReplaceDlg *ui;
};
