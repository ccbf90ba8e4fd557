#include "app/recoverydlg.h"

#include "editor/userprompt.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

RecoveryDlg::RecoveryDlg(const QList<RecoveryJournal::Entry> &entries, QWidget *parent)
    : QDialog(parent)
    , m_entries(entries)
{
    setWindowTitle(tr("Recover unsaved changes"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        tr("Mossglen did not end normally. The unsaved changes of these documents were kept:")));

    m_list = new QTreeWidget;
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("Document"), tr("Last change"), tr("Encoding")});
    const QLocale locale;
    for (const RecoveryJournal::Entry &e : entries) {
        auto *item = new QTreeWidgetItem(m_list);
        item->setText(0, e.fullPath.isEmpty() ? tr("%1 (never saved)").arg(e.title)
                                              : QDir::toNativeSeparators(e.fullPath));
        item->setText(1, locale.toString(e.lastChange.toLocalTime(), QLocale::ShortFormat));
        const char *name = encodingName(e.encoding);
        item->setText(2, name ? QString::fromLatin1(name) : QString());
        item->setCheckState(0, Qt::Checked);
        item->setToolTip(0, item->text(0));
    }
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    layout->addWidget(m_list);
    layout->addWidget(new QLabel(tr("Checked documents are restored, each in a tab of its own and "
                                    "marked modified; unchecked ones are discarded.")));

    auto *buttons = new QDialogButtonBox;
    QPushButton *restore = buttons->addButton(tr("&Restore"), QDialogButtonBox::AcceptRole);
    QPushButton *discard = buttons->addButton(tr("&Discard All"), QDialogButtonBox::DestructiveRole);
    QPushButton *later = buttons->addButton(tr("Decide &Later"), QDialogButtonBox::RejectRole);
    restore->setDefault(true);
    connect(restore, &QPushButton::clicked, this, &RecoveryDlg::restoreChecked);
    connect(discard, &QPushButton::clicked, this, &RecoveryDlg::discardAll);
    connect(later, &QPushButton::clicked, this, &RecoveryDlg::reject);
    layout->addWidget(buttons);
    resize(640, 320);
}

bool RecoveryDlg::isChecked(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

QString RecoveryDlg::documentText(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(0) : QString();
}

QString RecoveryDlg::timeText(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(1) : QString();
}

QList<RecoveryJournal::Entry> RecoveryDlg::toRestore() const
{
    QList<RecoveryJournal::Entry> chosen;
    if (m_decision == Restore)
        for (int i = 0; i < m_entries.size(); ++i)
            if (isChecked(i))
                chosen.append(m_entries.at(i));
    return chosen;
}

QList<RecoveryJournal::Entry> RecoveryDlg::toDiscard() const
{
    QList<RecoveryJournal::Entry> chosen;
    if (m_decision == DiscardAll)
        return m_entries;
    if (m_decision == Restore)
        for (int i = 0; i < m_entries.size(); ++i)
            if (!isChecked(i))
                chosen.append(m_entries.at(i));
    return chosen;
}

void RecoveryDlg::setChecked(int row, bool checked)
{
    if (QTreeWidgetItem *item = m_list->topLevelItem(row))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void RecoveryDlg::setAllChecked(bool checked)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        setChecked(i, checked);
}

bool RecoveryDlg::confirmDiscard(int count)
{
    const auto answer = UserPrompt::warning(
        this, tr("Mossglen"),
        tr("The unsaved changes of %n document(s) will be lost.\nDiscard them?", nullptr, count),
        QMessageBox::Discard | QMessageBox::Cancel);
    return answer == QMessageBox::Discard;
}

void RecoveryDlg::restoreChecked()
{
    int unchecked = 0;
    for (int i = 0; i < m_entries.size(); ++i)
        unchecked += isChecked(i) ? 0 : 1;
    if (unchecked > 0 && !confirmDiscard(unchecked))
        return;
    m_decision = Restore;
    accept();
}

void RecoveryDlg::discardAll()
{
    if (!confirmDiscard(int(m_entries.size())))
        return;
    m_decision = DiscardAll;
    accept();
}

void RecoveryDlg::reject()
{
    m_decision = Later;
    QDialog::reject();
}
