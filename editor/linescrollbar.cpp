#include "editor/linescrollbar.h"

#include <QStyle>
#include <QStyleOptionSlider>

LineScrollBar::LineScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
}

LineScrollBar::Shown LineScrollBar::current() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    Shown shown;
    shown.handle = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    // The arrows at either end are drawn disabled there.
    shown.atMinimum = value() == minimum();
    shown.atMaximum = value() == maximum();
    return shown;
}

void LineScrollBar::sliderChange(SliderChange change)
{
    if (m_hasPainted && change != SliderOrientationChange && current() == m_painted)
        return;
    QScrollBar::sliderChange(change);
}

void LineScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    m_painted = current();
    m_hasPainted = true;
}
