#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

// Picks one of the CSS colour keywords from a list that narrows to the names
// beginning with the typed text.
class NamedColorDlg : public QDialog
{
    Q_OBJECT
public:
    explicit NamedColorDlg(QWidget *parent = nullptr);

    // The 140 keywords in list order, each colour under one name only.
    static const QStringList &colorNames();

    // The name picked by OK or a double click; empty until then.
    QString colorName() const { return m_colorName; }

    QLineEdit *filterEdit() const { return m_filter; }
    QListWidget *colorList() const { return m_list; }

public slots:
    void accept() override;
    void setupColorList();
    void itemDoubleClicked(QListWidgetItem *item);

private:
    QLineEdit *m_filter;
    QListWidget *m_list;
    QString m_colorName;
};
