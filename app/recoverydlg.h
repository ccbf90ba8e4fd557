#pragma once

#include "app/recoveryjournal.h"

#include <QDialog>
#include <QList>

class QTreeWidget;

// Lists the documents whose unsaved changes were kept by a run that did not
// end normally, each with the time of its last change. Checked ones are to be
// restored, the others discarded; closing the dialog decides nothing, and the
// same documents are offered at the next start.
class RecoveryDlg : public QDialog
{
    Q_OBJECT
public:
    enum Decision { Later, Restore, DiscardAll };

    explicit RecoveryDlg(const QList<RecoveryJournal::Entry> &entries, QWidget *parent = nullptr);

    int count() const { return m_entries.size(); }
    bool isChecked(int row) const;
    // The texts shown in the row: the document (path or title) and the time.
    QString documentText(int row) const;
    QString timeText(int row) const;

    Decision decision() const { return m_decision; }
    QList<RecoveryJournal::Entry> toRestore() const;
    QList<RecoveryJournal::Entry> toDiscard() const;

public slots:
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    // Restores the checked documents; asks first when that discards others.
    void restoreChecked();
    // Asks, then discards every document of the list.
    void discardAll();
    void reject() override;

private:
    bool confirmDiscard(int count);

    QList<RecoveryJournal::Entry> m_entries;
    QTreeWidget *m_list;
    Decision m_decision = Later;
};
