#pragma once

#include <QAccessibleWidget>
#include <QDate>
#include <QHash>

#include <vector>

class QAbstractItemView;

namespace knvt {

// What assistive technology reads of a date picker's grid of days: a table named as the picker, whose weekday row
// reads the full day names as column headers the keyboard never stops on, and whose days read their full dates in the
// locale's long form ("Tuesday, December 8, 2026"), the chosen one selected, days outside the picker's bounds
// unavailable.
//
// The elements are numbered as Qt's table views number them in the focus and selection events they send (a row and a
// column for the hidden headers first), so that an event names the day it is about.
class CalendarGridAccessible : public QAccessibleWidget
{
public:
    explicit CalendarGridAccessible(QAbstractItemView *grid);
    ~CalendarGridAccessible() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // Makes the grid of every calendar answer with this interface, `grid` (made before the call) included; a date
    // picker calls it when it is made.
    static void install(QAbstractItemView *grid);
    // Tells assistive technology of the day that has the keyboard focus in `grid`, as the grid does when the focus
    // moves between days but not when the grid itself takes the focus: a calendar that opens reads its day.
    static void tellFocusedDay(QAbstractItemView *grid);

private:
    QAbstractItemView *grid() const;
    int indexOfCell(int row, int column) const;

    // The elements of the places that are no day (headers, weekdays) by their number, the days' by their date.
    mutable std::vector<QAccessible::Id> m_headers;
    mutable QHash<QDate, QAccessible::Id> m_days;
};

} // namespace knvt
