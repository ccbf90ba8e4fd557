#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

class QFontMetrics;

// Paints a completion row "keyword<TAB>description" as two columns: the
// descriptions of all rows start at one left edge, whatever their keywords'
// widths. Rows without a TAB are painted as they are.
class CompletionDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int ColumnGap = 16;  // pixels between keyword and description

    explicit CompletionDelegate(QObject *parent = nullptr);

    // Measures the widest keyword and description of `rows` in `metrics`.
    void measure(const QStringList &rows, const QFontMetrics &metrics);
    int keywordWidth() const { return m_keywordWidth; }
    // The width a row needs to show its keyword and description whole.
    int contentWidth() const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_keywordWidth = 0;
    int m_descriptionWidth = 0;
};
