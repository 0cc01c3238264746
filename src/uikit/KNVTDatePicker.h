#pragma once

#include <QCalendarWidget>
#include <QDateTime>
#include <QPointer>

// The graphical calendar of the date popovers. Its value is a whole date and time (the day shown selected plus a
// time of day that choosing another day keeps), bounded by optional minimum and maximum dates.
//
// When the user chooses another value, by a click or a key, the picker first reports it through
// dateValueProposed() and then takes it. The arrow keys step by calendar days (Left, Right) and weeks (Up, Down) at
// the same wall-clock time, held within the bounds; Return is left to the picker's parents.
class KNVTDatePicker : public QCalendarWidget
{
    Q_OBJECT
    Q_PROPERTY(QDateTime dateValue READ dateValue WRITE setDateValue NOTIFY dateValueChanged)
    Q_PROPERTY(QDateTime minDate READ minDate WRITE setMinDate)
    Q_PROPERTY(QDateTime maxDate READ maxDate WRITE setMaxDate)

public:
    explicit KNVTDatePicker(QWidget *parent = nullptr);

    QDateTime dateValue() const { return m_dateValue; }
    // Held within the bounds; reports nothing.
    void setDateValue(const QDateTime &dateValue);

    // A null date means no bound. A bound that excludes the current value moves the value onto it.
    QDateTime minDate() const { return m_minDate; }
    void setMinDate(const QDateTime &minDate);
    QDateTime maxDate() const { return m_maxDate; }
    void setMaxDate(const QDateTime &maxDate);

    // Names the calendar for screen readers ("Due Date"), and with it its grid of days, which has the keyboard focus
    // while the calendar has it. A name set with setAccessibleName() reaches the grid when the calendar is shown.
    void setCalendarName(const QString &name);

    // `day` at the local time `timeOfDay`; when that time does not exist on that day (it falls into a daylight-saving
    // gap) the result is moved forward by the gap.
    static QDateTime dateOnDay(const QDate &day, const QTime &timeOfDay);
    // `value` moved by `days` calendar days in local time, at the same time of day.
    static QDateTime dateByAddingDays(const QDateTime &value, qint64 days);

signals:
    // The user chose `proposedDateValue`; the picker takes it once the signal returns.
    void dateValueProposed(const QDateTime &proposedDateValue);
    void dateValueChanged(const QDateTime &dateValue);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // Days outside the bounds are drawn greyed out, so the user sees which ones cannot be chosen.
    void paintCell(QPainter *painter, const QRect &rect, QDate date) const override;

private:
    // Handles the arrow keys; true when the key was one of them.
    bool stepForKey(const QKeyEvent *event);
    // Hands Return on to the picker's parents; true when the key was Return.
    bool passOnReturn(QKeyEvent *event);
    QDateTime bounded(const QDateTime &value) const;
    void propose(const QDateTime &proposedDateValue);
    void storeDateValue(const QDateTime &dateValue);
    void calendarSelectionChanged();

    QDateTime m_dateValue;
    QDateTime m_minDate;
    QDateTime m_maxDate;
    QPointer<QWidget> m_calendarView;
    bool m_showingDateValue = false;
};
