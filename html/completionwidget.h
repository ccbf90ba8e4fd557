#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QPlainTextEdit;

// The completion popup: a frameless list under the cursor that narrows as the
// user types. Printable characters typed while it is open go into the editor
// and into the filter; Return accepts the current row, Escape rejects, and
// Backspace ends it with BackspaceResult so that the caller deletes the
// character before the cursor.
class CompletionWidget : public QDialog
{
    Q_OBJECT
public:
    static constexpr int BackspaceResult = 8;
    static constexpr int PopupWidth = 240;  // the narrowest it gets

    // Rows are the candidates that begin with `filter`. The current row is
    // `initialRow` when it is 0 or more, else the one refill() suggests.
    CompletionWidget(QPlainTextEdit *editor, const QStringList &candidates,
                     const QString &filter, int initialRow, QWidget *parent = nullptr);

    int count() const;
    // The first selected row up to its first TAB; empty without a selection.
    QString selectedText() const;
    QString filter() const { return m_filter; }
    QListWidget *list() const { return m_list; }

    // Rebuilds the rows from the filter. With no rows left the popup is
    // rejected and 0 returned; otherwise the answer is the row just above the
    // last row that equals the filter exactly (0 when there is none).
    int refill();

public slots:
    // Shows the row's tool tip, if it has one, just above the row's right end.
    void currentRowChanged(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPlainTextEdit *m_editor;
    QStringList m_candidates;
    QString m_filter;
    QListWidget *m_list;
};
