#pragma once

#include <QRect>
#include <QScrollBar>

// A scroll bar that repaints only when what it shows changes. Each line added
// or removed changes the range by one, which on a long document moves the
// handle by no pixel at all; the stock bar repaints itself every time, and
// its gradients cost as much as the lines that did change.
class LineScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    explicit LineScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Shown {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Shown &) const = default;
    };
    Shown current() const;

    Shown m_painted;
    bool m_hasPainted = false;
};
