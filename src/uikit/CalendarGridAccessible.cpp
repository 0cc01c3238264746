#include "uikit/CalendarGridAccessible.h"

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

// One place of the grid: `row` and `column` of the calendar's model, -1 for the places Qt counts for the table's
// hidden headers. Row 0 is the weekday row; the others are days.
class CalendarCellElement : public QAccessibleInterface
{
public:
    CalendarCellElement(QAbstractItemView *grid, QCalendarWidget *picker, int row, int column)
        : m_grid(grid), m_picker(picker), m_row(row), m_column(column)
    {}

    bool isValid() const override { return !m_grid.isNull() && !m_picker.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}

    QAccessible::Role role() const override
    {
        if (m_row < 0)
            return QAccessible::ColumnHeader;
        if (m_column < 0)
            return QAccessible::RowHeader;
        return m_row == 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid() || m_row < 0 || m_column < 0)
            return {};
        if (m_row == 0)
            return m_picker->locale().dayName(dayOfWeek(), QLocale::LongFormat);
        return m_picker->locale().toString(date(), QLocale::LongFormat);
    }

    QRect rect() const override
    {
        if (!isValid() || m_row < 0 || m_column < 0)
            return {};
        const QRect local = m_grid->visualRect(index());
        return QRect(m_grid->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid() || m_row < 0 || m_column < 0) {
            state.invisible = true;
            return state;
        }
        if (m_row == 0)
            return state;
        const QDate day = date();
        if (day < m_picker->minimumDate() || day > m_picker->maximumDate()) {
            state.disabled = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = day == m_picker->selectedDate();
        state.focused = m_grid->hasFocus() && m_grid->currentIndex() == index();
        return state;
    }

private:
    QModelIndex index() const { return m_grid->model()->index(m_row, m_column); }

    Qt::DayOfWeek dayOfWeek() const { return Qt::DayOfWeek((int(m_picker->firstDayOfWeek()) - 1 + m_column) % 7 + 1); }

    // The grid shows the day numbers of the month shown, with the end of the month before it in the first week and
    // the start of the month after it in the last two.
    QDate date() const
    {
        const int day = index().data(Qt::DisplayRole).toInt();
        const QDate month(m_picker->yearShown(), m_picker->monthShown(), 1);
        if (m_row == 1 && day > 7)
            return month.addMonths(-1).addDays(day - 1);
        if (m_row >= 5 && day < 15)
            return month.addMonths(1).addDays(day - 1);
        return month.addDays(day - 1);
    }

    QPointer<QAbstractItemView> m_grid;
    QPointer<QCalendarWidget> m_picker;
    int m_row;
    int m_column;
};

} // namespace

CalendarGridAccessible::CalendarGridAccessible(QAbstractItemView *grid) : QAccessibleWidget(grid, QAccessible::Table) {}

CalendarGridAccessible::~CalendarGridAccessible()
{
    for (QAccessible::Id id : m_elements)
        if (id != 0)
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
    m_elements.resize(size_t(count), 0);
    QAccessible::Id &id = m_elements[size_t(index)];
    if (id != 0)
        if (QAccessibleInterface *known = QAccessible::accessibleInterface(id))
            return known;
    const int columns = grid()->model()->columnCount() + 1;
    auto *picker = static_cast<QCalendarWidget *>(grid()->parent());
    auto *element = new CalendarCellElement(grid(), picker, index / columns - 1, index % columns - 1);
    id = QAccessible::registerAccessibleInterface(element);
    return element;
}

int CalendarGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (size_t at = 0; child != nullptr && at < m_elements.size(); ++at)
        if (m_elements[at] != 0 && QAccessible::accessibleInterface(m_elements[at]) == child)
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
