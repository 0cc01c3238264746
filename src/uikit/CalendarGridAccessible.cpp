#include "uikit/CalendarGridAccessible.h"

#include "uikit/AccessibilityEvents.h"
#include "uikit/AccessibleFactory.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QPointer>
#include <QWindow>

namespace knvt {

namespace {

// Qt's own name for the grid inside a calendar.
constexpr char GridName[] = "qt_calendar_calendarview";

// The grid of days of a calendar, whatever view class shows it. The calendar makes its grid in its own constructor,
// before a date picker made on it is one: asking for the picker there would leave the grid with Qt's table, cached
// for good, whose weekday letters are stops and whose days read as bare numbers.
bool isCalendarsGrid(const QString &, QAbstractItemView *grid)
{
    return grid->objectName() == QLatin1String(GridName) && qobject_cast<QCalendarWidget *>(grid->parent()) != nullptr;
}

// The grid shows the day numbers of the month shown, with the end of the month before it in the first week and the
// start of the month after it in the last two: the date at `row` (1 to 6) and `column` of the calendar's model.
QDate dateAt(const QAbstractItemView *grid, const QCalendarWidget *picker, int row, int column)
{
    const int day = grid->model()->index(row, column).data(Qt::DisplayRole).toInt();
    const QDate month(picker->yearShown(), picker->monthShown(), 1);
    if (row == 1 && day > 7)
        return month.addMonths(-1).addDays(day - 1);
    if (row >= 5 && day < 15)
        return month.addMonths(1).addDays(day - 1);
    return month.addDays(day - 1);
}

// The place of `day` in the grid as it shows now; invalid when the page shown does not hold it.
QModelIndex indexOfDay(const QAbstractItemView *grid, const QCalendarWidget *picker, QDate day)
{
    const QAbstractItemModel *model = grid->model();
    for (int row = 1; row < model->rowCount(); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            if (dateAt(grid, picker, row, column) == day)
                return model->index(row, column);
    return {};
}

// An element of the grid that has no object of its own and no children: a header place or a day.
class CalendarGridElement : public QAccessibleInterface
{
public:
    CalendarGridElement(QAbstractItemView *grid, QCalendarWidget *picker) : m_grid(grid), m_picker(picker) {}

    bool isValid() const override { return !m_grid.isNull() && !m_picker.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}

protected:
    QPointer<QAbstractItemView> m_grid;
    QPointer<QCalendarWidget> m_picker;
};

// One place of the grid that is no day: `row` and `column` of the calendar's model, -1 for the places Qt counts for
// the table's hidden headers. Row 0 is the weekday row.
class CalendarHeaderElement : public CalendarGridElement
{
public:
    CalendarHeaderElement(QAbstractItemView *grid, QCalendarWidget *picker, int row, int column)
        : CalendarGridElement(grid, picker), m_row(row), m_column(column)
    {}

    QAccessible::Role role() const override
    {
        return m_row >= 0 && m_column < 0 ? QAccessible::RowHeader : QAccessible::ColumnHeader;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid() || m_row < 0 || m_column < 0)
            return {};
        const auto dayOfWeek = Qt::DayOfWeek((int(m_picker->firstDayOfWeek()) - 1 + m_column) % 7 + 1);
        return m_picker->locale().dayName(dayOfWeek, QLocale::LongFormat);
    }

    QRect rect() const override
    {
        if (!isValid() || m_row < 0 || m_column < 0)
            return {};
        const QRect local = m_grid->visualRect(m_grid->model()->index(m_row, m_column));
        return QRect(m_grid->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !isValid() || m_row < 0 || m_column < 0;
        return state;
    }

private:
    int m_row;
    int m_column;
};

// One day of the calendar, wherever the page shown puts it. A day is an element of its own rather than a place of the
// grid: the grid tells of the focus on a place while it turns to another month, and a reader that reads the place
// afterwards would hear the day the new month shows there.
class CalendarDayElement : public CalendarGridElement
{
public:
    CalendarDayElement(QAbstractItemView *grid, QCalendarWidget *picker, QDate day)
        : CalendarGridElement(grid, picker), m_day(day)
    {}

    QAccessible::Role role() const override { return QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        return m_picker->locale().toString(m_day, QLocale::LongFormat);
    }

    QRect rect() const override
    {
        const QModelIndex cell = index();
        if (!cell.isValid())
            return {};
        const QRect local = m_grid->visualRect(cell);
        return QRect(m_grid->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        const QModelIndex cell = index();
        if (!cell.isValid()) {
            state.invisible = true;
            return state;
        }
        if (m_day < m_picker->minimumDate() || m_day > m_picker->maximumDate()) {
            state.disabled = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = m_day == m_picker->selectedDate();
        state.focused = m_grid->hasFocus() && m_grid->currentIndex() == cell;
        return state;
    }

    // The day's place in the grid as it shows now; invalid when the page shown does not hold the day.
    QModelIndex index() const { return isValid() ? indexOfDay(m_grid, m_picker, m_day) : QModelIndex(); }

private:
    QDate m_day;
};

} // namespace

CalendarGridAccessible::CalendarGridAccessible(QAbstractItemView *grid) : QAccessibleWidget(grid, QAccessible::Table) {}

CalendarGridAccessible::~CalendarGridAccessible()
{
    for (QAccessible::Id id : m_headers)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
    for (QAccessible::Id id : std::as_const(m_days))
        QAccessible::deleteAccessibleInterface(id);
}

void CalendarGridAccessible::install(QAbstractItemView *grid)
{
    installAccessibleFactory<CalendarGridAccessible, QAbstractItemView, &isCalendarsGrid>();
    // The first calendar made its grid before the factory was there; with a screen reader listening, Qt's table may
    // already stand for it.
    QAccessibleInterface *made = grid != nullptr ? QAccessible::queryAccessibleInterface(grid) : nullptr;
    if (made != nullptr && dynamic_cast<CalendarGridAccessible *>(made) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void CalendarGridAccessible::tellFocusedDay(QAbstractItemView *grid)
{
    AccessibilityEvents &events = AccessibilityEvents::shared();
    if (grid == nullptr || !grid->hasFocus() || !grid->currentIndex().isValid() || !events.isListening())
        return;
    auto *calendar = dynamic_cast<CalendarGridAccessible *>(QAccessible::queryAccessibleInterface(grid));
    if (calendar == nullptr)
        return;
    QAccessibleEvent event(grid, QAccessible::Focus);
    event.setChild(calendar->indexOfCell(grid->currentIndex().row(), grid->currentIndex().column()));
    events.post(&event);
}

QAbstractItemView *CalendarGridAccessible::grid() const
{
    return static_cast<QAbstractItemView *>(widget());
}

int CalendarGridAccessible::childCount() const
{
    const QAbstractItemModel *model = grid()->model();
    return model != nullptr ? (model->rowCount() + 1) * (model->columnCount() + 1) : 0;
}

int CalendarGridAccessible::indexOfCell(int row, int column) const
{
    return (row + 1) * (grid()->model()->columnCount() + 1) + column + 1;
}

QAccessibleInterface *CalendarGridAccessible::child(int index) const
{
    const int count = childCount();
    if (index < 0 || index >= count)
        return nullptr;
    const int columns = grid()->model()->columnCount() + 1;
    const int row = index / columns - 1;
    const int column = index % columns - 1;
    auto *picker = static_cast<QCalendarWidget *>(grid()->parent());
    if (row >= 1 && column >= 0) {
        const QDate day = dateAt(grid(), picker, row, column);
        if (const auto known = m_days.constFind(day); known != m_days.constEnd())
            if (QAccessibleInterface *element = QAccessible::accessibleInterface(*known))
                return element;
        auto *element = new CalendarDayElement(grid(), picker, day);
        m_days.insert(day, QAccessible::registerAccessibleInterface(element));
        return element;
    }
    m_headers.resize(size_t(count), 0);
    QAccessible::Id &id = m_headers[size_t(index)];
    if (id != 0)
        if (QAccessibleInterface *known = QAccessible::accessibleInterface(id))
            return known;
    auto *element = new CalendarHeaderElement(grid(), picker, row, column);
    id = QAccessible::registerAccessibleInterface(element);
    return element;
}

int CalendarGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (const auto *day = dynamic_cast<const CalendarDayElement *>(child)) {
        const QModelIndex cell = day->index();
        return cell.isValid() ? indexOfCell(cell.row(), cell.column()) : -1;
    }
    for (size_t at = 0; child != nullptr && at < m_headers.size(); ++at)
        if (m_headers[at] != 0 && QAccessible::accessibleInterface(m_headers[at]) == child)
            return int(at);
    return -1;
}

QAccessibleInterface *CalendarGridAccessible::childAt(int x, int y) const
{
    const QModelIndex index = grid()->indexAt(grid()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(indexOfCell(index.row(), index.column())) : nullptr;
}

QAccessibleInterface *CalendarGridAccessible::focusChild() const
{
    const QModelIndex current = grid()->currentIndex();
    if (!grid()->hasFocus() || !current.isValid())
        return nullptr;
    return child(indexOfCell(current.row(), current.column()));
}

} // namespace knvt
