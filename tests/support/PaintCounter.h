#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace knvt::test {

// Counts the paint events the widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace knvt::test
