#pragma once

#include <QDateTime>

// Day boundaries and date tests in the user's current calendar and the system's current time zone. Nothing is
// cached: every call reads the shared clock (knvt::Clock) and the zone afresh, so a call after midnight or after a
// time-zone change sees the new day. Results are local-time QDateTime values.
namespace knvt {

// The one conversion between a stored date and the day a user sees. A stored date is an instant; the day it shows as
// is its calendar day in the zone as it is now, wherever it is shown (lists, detail, calendar, date fields). A day
// the user names is stored as its start there: 00:00, or the first instant of a day that begins in a gap.
QDate dayForDate(const QDateTime &date);
QDateTime zeroHundredHoursDateForDay(const QDate &day);

QDateTime todayAtZeroHundredHours();
QDateTime tomorrowAtZeroHundredHours();
QDateTime endOfToday();
QDateTime zeroHundredHoursDateForDate(const QDateTime &date);
QDateTime endOfDateForDate(const QDateTime &date);
int weekdayForToday(); // 1 = Sunday ... 7 = Saturday

double timeIntervalSinceTodayAtZeroHundredHours(const QDateTime &date);
bool isToday(const QDateTime &date);
bool isThisHour(const QDateTime &date);
bool isThisYear(const QDateTime &date);
bool isThisWeek(const QDateTime &date);
bool isWithinThisWeek(const QDateTime &date);
bool isInThePast(const QDateTime &date);
bool isInTheFuture(const QDateTime &date);

} // namespace knvt
