#include "html/completiondelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

CompletionDelegate::CompletionDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void CompletionDelegate::measure(const QStringList &rows, const QFontMetrics &metrics)
{
    m_keywordWidth = 0;
    m_descriptionWidth = 0;
    for (const QString &row : rows) {
        const qsizetype tab = row.indexOf(u'\t');
        if (tab < 0) {
            m_keywordWidth = qMax(m_keywordWidth, metrics.horizontalAdvance(row));
            continue;
        }
        m_keywordWidth = qMax(m_keywordWidth, metrics.horizontalAdvance(row.left(tab)));
        m_descriptionWidth = qMax(m_descriptionWidth, metrics.horizontalAdvance(row.mid(tab + 1)));
    }
}

int CompletionDelegate::contentWidth() const
{
    return m_keywordWidth + (m_descriptionWidth > 0 ? ColumnGap + m_descriptionWidth : 0);
}

void CompletionDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    const qsizetype tab = text.indexOf(u'\t');
    if (tab < 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The style draws the row's background and focus; the two texts follow.
    opt.text.clear();
    const QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    const QPalette::ColorRole role =
        opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
    QRect keyword = textRect;
    keyword.setWidth(qMin(m_keywordWidth, textRect.width()));
    QRect description = textRect;
    description.setLeft(textRect.left() + m_keywordWidth + ColumnGap);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Active, role));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter->drawText(keyword, flags, opt.fontMetrics.elidedText(text.left(tab), Qt::ElideRight, keyword.width()));
    if (description.width() > 0)
        painter->drawText(description, flags,
                          opt.fontMetrics.elidedText(text.mid(tab + 1), Qt::ElideRight,
                                                     description.width()));
    painter->restore();
}

QSize CompletionDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // Rows are as wide as the widest one: the list measures only the first.
    const int margin = 2 * (QApplication::style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    size.setWidth(contentWidth() + margin);
    return size;
}
