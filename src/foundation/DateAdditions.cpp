#include "foundation/DateAdditions.h"

#include "foundation/Clock.h"
#include "foundation/IcuTimeZone.h"

#include <QLocale>

#include <unicode/calendar.h>
#include <unicode/locid.h>

#include <memory>

namespace knvt {

namespace {

constexpr qint64 secondsPerDay = 86400;

QDateTime now()
{
    return Clock::shared().now().toLocalTime();
}

// The calendar fields of one instant in the user's calendar as it is at the call: the calendar of the current
// locale (its week rules included) and the current system time zone. Nothing is kept between calls.
struct CalendarFields
{
    bool valid = false;
    int year = 0;
    int yearForWeekOfYear = 0;
    int weekOfYear = 0;
    int weekday = 0;
    int hour = 0;
};

CalendarFields calendarFields(const QDateTime &instant)
{
    CalendarFields fields;
    if (!instant.isValid())
        return fields;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale(QLocale().name().toLatin1().constData());
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(createCurrentIcuTimeZone(instant), locale, status));
    if (U_FAILURE(status) || !calendar)
        return fields;
    calendar->setTime(static_cast<UDate>(instant.toMSecsSinceEpoch()), status);
    fields.year = calendar->get(UCAL_YEAR, status);
    fields.yearForWeekOfYear = calendar->get(UCAL_YEAR_WOY, status);
    fields.weekOfYear = calendar->get(UCAL_WEEK_OF_YEAR, status);
    fields.weekday = calendar->get(UCAL_DAY_OF_WEEK, status);
    fields.hour = calendar->get(UCAL_HOUR_OF_DAY, status);
    fields.valid = U_SUCCESS(status);
    return fields;
}

} // namespace

QDate dayForDate(const QDateTime &date)
{
    // A stored date comes back from the library as a UTC value, whose own date() is the day in Greenwich.
    return date.isValid() ? date.toLocalTime().date() : QDate();
}

QDateTime zeroHundredHoursDateForDay(const QDate &day)
{
    return day.isValid() ? day.startOfDay(Qt::LocalTime) : QDateTime();
}

QDateTime todayAtZeroHundredHours()
{
    return zeroHundredHoursDateForDay(dayForDate(now()));
}

QDateTime tomorrowAtZeroHundredHours()
{
    // Stepping the calendar day rather than adding 86400 s keeps this right on the two daylight-saving days.
    return zeroHundredHoursDateForDay(dayForDate(now()).addDays(1));
}

QDateTime endOfToday()
{
    return tomorrowAtZeroHundredHours().addSecs(-1);
}

QDateTime zeroHundredHoursDateForDate(const QDateTime &date)
{
    return zeroHundredHoursDateForDay(dayForDate(date));
}

QDateTime endOfDateForDate(const QDateTime &date)
{
    return zeroHundredHoursDateForDay(dayForDate(date).addDays(1)).addSecs(-1);
}

int weekdayForToday()
{
    return calendarFields(now()).weekday;
}

double timeIntervalSinceTodayAtZeroHundredHours(const QDateTime &date)
{
    if (!date.isValid())
        return 0;
    return todayAtZeroHundredHours().msecsTo(date) / 1000.0;
}

bool isToday(const QDateTime &date)
{
    // Today is a calendar day, which lasts 23 or 25 hours on the daylight-saving days.
    return date.isValid() && zeroHundredHoursDateForDate(date) == todayAtZeroHundredHours();
}

bool isThisHour(const QDateTime &date)
{
    const CalendarFields fields = calendarFields(date);
    const CalendarFields current = calendarFields(now());
    return fields.valid && current.valid && fields.hour == current.hour;
}

bool isThisYear(const QDateTime &date)
{
    const CalendarFields fields = calendarFields(date);
    const CalendarFields current = calendarFields(now());
    return fields.valid && current.valid && fields.year == current.year;
}

bool isThisWeek(const QDateTime &date)
{
    // The week that contains New Year belongs to one year only: the year the week number counts in, not the
    // calendar year of either date, or week 1 in late December would match week 1 of the January before.
    const CalendarFields fields = calendarFields(date);
    const CalendarFields current = calendarFields(now());
    return fields.valid && current.valid && fields.yearForWeekOfYear == current.yearForWeekOfYear
        && fields.weekOfYear == current.weekOfYear;
}

bool isWithinThisWeek(const QDateTime &date)
{
    if (!date.isValid())
        return false;
    const QDateTime today = todayAtZeroHundredHours();
    // A week is seven calendar days, not 604800 s, so that the window keeps its wall-clock bounds across a change.
    return today.addDays(-7) < date && date < today.addDays(7);
}

bool isInThePast(const QDateTime &date)
{
    return date.isValid() && now().msecsTo(date) < 0;
}

bool isInTheFuture(const QDateTime &date)
{
    return date.isValid() && now().msecsTo(date) > 0;
}

} // namespace knvt
