#pragma once

#include <QPoint>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace knvt::test {

// A double click with the left button at `point` of `widget`, sent through the window system as the mouse sends it:
// the window system, not the widget, tells a double click from two clicks by their times. `betweenClicks` runs after
// the first click, where a person's hand pauses; when it answers false the second click does not come. True when both
// clicks came.
inline bool doubleClick(QWidget *widget, const QPoint &point, const std::function<bool()> &betweenClicks)
{
    QWindow *window = widget->window()->windowHandle();
    const QPoint inWindow = widget->mapTo(widget->window(), point);
    QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
    // After a click QTest moves its clock past the double-click interval, so that its clicks stay single; the second
    // click of a double click comes within the interval.
    QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;
    if (!betweenClicks())
        return false;
    QTest::mouseClick(window, Qt::LeftButton, {}, inWindow, 100);
    return true;
}

} // namespace knvt::test
