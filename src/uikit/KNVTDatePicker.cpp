#include "uikit/KNVTDatePicker.h"

#include "uikit/CalendarGridAccessible.h"

#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

namespace {

// QCalendarWidget's own range when no bound is set.
const QDate EarliestDay(100, 1, 1);
const QDate LatestDay(9999, 12, 31);

} // namespace

KNVTDatePicker::KNVTDatePicker(QWidget *parent) : QCalendarWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    // Typing digits would open Qt's inline date editor; the popover picks dates by pointer and arrow keys only.
    setDateEditEnabled(false);

    // Keys reach the calendar's inner view (the focus proxy), which would step the selection by itself.
    m_calendarView = findChild<QAbstractItemView *>(QStringLiteral("qt_calendar_calendarview"));
    knvt::CalendarGridAccessible::install(qobject_cast<QAbstractItemView *>(m_calendarView.data()));
    if (m_calendarView)
        m_calendarView->installEventFilter(this);

    // The month buttons show only arrows; screen readers read them by these names.
    if (auto *previous = findChild<QToolButton *>(QStringLiteral("qt_calendar_prevmonth")))
        previous->setAccessibleName(tr("Previous Month"));
    if (auto *next = findChild<QToolButton *>(QStringLiteral("qt_calendar_nextmonth")))
        next->setAccessibleName(tr("Next Month"));
    setCalendarName(tr("Calendar"));

    connect(this, &QCalendarWidget::selectionChanged, this, &KNVTDatePicker::calendarSelectionChanged);
    storeDateValue(knvt::Clock::shared().now());
}

QDateTime KNVTDatePicker::dateOnDay(const QDate &day, const QTime &timeOfDay)
{
    const QDateTime direct(day, timeOfDay, Qt::LocalTime);
    if (direct.isValid())
        return direct;
    // A day starts at its first moment that exists; adding the time-of-day as an interval moves a time
    // lost to the gap forward by the gap's length.
    return knvt::zeroHundredHoursDateForDay(day).addMSecs(timeOfDay.msecsSinceStartOfDay());
}

QDateTime KNVTDatePicker::dateByAddingDays(const QDateTime &value, qint64 days)
{
    return dateOnDay(knvt::dayForDate(value).addDays(days), value.toLocalTime().time());
}

QDateTime KNVTDatePicker::bounded(const QDateTime &value) const
{
    if (!value.isValid())
        return value;
    if (m_minDate.isValid() && value < m_minDate)
        return m_minDate;
    if (m_maxDate.isValid() && value > m_maxDate)
        return m_maxDate;
    return value;
}

void KNVTDatePicker::setDateValue(const QDateTime &dateValue)
{
    storeDateValue(bounded(dateValue));
}

void KNVTDatePicker::storeDateValue(const QDateTime &dateValue)
{
    const bool changed = dateValue != m_dateValue || dateValue.isValid() != m_dateValue.isValid();
    m_dateValue = dateValue;
    if (m_dateValue.isValid()) {
        m_showingDateValue = true;
        setSelectedDate(knvt::dayForDate(m_dateValue));
        m_showingDateValue = false;
    }
    if (changed)
        emit dateValueChanged(m_dateValue);
}

void KNVTDatePicker::setMinDate(const QDateTime &minDate)
{
    m_minDate = minDate;
    m_showingDateValue = true;
    setMinimumDate(minDate.isValid() ? knvt::dayForDate(minDate) : EarliestDay);
    m_showingDateValue = false;
    setDateValue(m_dateValue);
}

void KNVTDatePicker::setMaxDate(const QDateTime &maxDate)
{
    m_maxDate = maxDate;
    m_showingDateValue = true;
    setMaximumDate(maxDate.isValid() ? knvt::dayForDate(maxDate) : LatestDay);
    m_showingDateValue = false;
    setDateValue(m_dateValue);
}

void KNVTDatePicker::propose(const QDateTime &proposedDateValue)
{
    emit dateValueProposed(proposedDateValue);
    storeDateValue(proposedDateValue);
}

void KNVTDatePicker::calendarSelectionChanged()
{
    if (m_showingDateValue)
        return;
    const QDate day = selectedDate();
    if (!m_dateValue.isValid()) {
        propose(bounded(knvt::zeroHundredHoursDateForDay(day)));
        return;
    }
    if (day != knvt::dayForDate(m_dateValue))
        propose(bounded(dateOnDay(day, m_dateValue.toLocalTime().time())));
}

bool KNVTDatePicker::stepForKey(const QKeyEvent *event)
{
    qint64 days = 0;
    switch (event->key()) {
    case Qt::Key_Up: days = -7; break;
    case Qt::Key_Down: days = 7; break;
    case Qt::Key_Left: days = -1; break;
    case Qt::Key_Right: days = 1; break;
    default: return false;
    }
    if (!m_dateValue.isValid())
        return true;
    const QDateTime stepped = bounded(dateByAddingDays(m_dateValue, days));
    if (stepped != m_dateValue)
        propose(stepped);
    return true;
}

bool KNVTDatePicker::passOnReturn(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return)
        return false;
    event->ignore();
    return true;
}

bool KNVTDatePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_calendarView && event->type() == QEvent::FocusIn) {
        // The grid tells only of the grid as it takes the focus; the reader hears the day once that is told.
        QMetaObject::invokeMethod(
            this,
            [this] {
                knvt::CalendarGridAccessible::tellFocusedDay(qobject_cast<QAbstractItemView *>(m_calendarView.data()));
            },
            Qt::QueuedConnection);
    }
    if (watched == m_calendarView && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (stepForKey(key)) {
            key->accept();
            return true;
        }
        // Filtered but left unaccepted, Return travels on to the picker and from there to its parents, instead of
        // ending in the inner view's "activated" handling.
        if (passOnReturn(key))
            return true;
    }
    return QCalendarWidget::eventFilter(watched, event);
}

void KNVTDatePicker::setCalendarName(const QString &name)
{
    setAccessibleName(name);
    if (m_calendarView)
        m_calendarView->setAccessibleName(name);
}

void KNVTDatePicker::showEvent(QShowEvent *event)
{
    // The grid of days has the keyboard focus while the calendar has it; it goes by the calendar's name, which the
    // owner may have changed.
    if (m_calendarView)
        m_calendarView->setAccessibleName(accessibleName());
    QCalendarWidget::showEvent(event);
}

void KNVTDatePicker::keyPressEvent(QKeyEvent *event)
{
    if (stepForKey(event)) {
        event->accept();
        return;
    }
    if (passOnReturn(event))
        return;
    QCalendarWidget::keyPressEvent(event);
}

void KNVTDatePicker::paintCell(QPainter *painter, const QRect &rect, QDate date) const
{
    if (date >= minimumDate() && date <= maximumDate()) {
        QCalendarWidget::paintCell(painter, rect, date);
        return;
    }
    painter->save();
    painter->fillRect(rect, palette().brush(QPalette::Base));
    painter->setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter->drawText(rect, Qt::AlignCenter, locale().toString(date.day()));
    painter->restore();
}
