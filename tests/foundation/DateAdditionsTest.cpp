#include "foundation/DateAdditions.h"
#include "support/FakeClock.h"
#include "support/ScopedLocale.h"
#include "support/ScopedTimeZone.h"

#include <QLocale>

#include <gtest/gtest.h>

using knvt::test::FakeClock;
using knvt::test::ScopedLocale;
using knvt::test::ScopedTimeZone;

namespace {

// Local wall-clock time in whatever zone the test has switched to; build these only after the zone is set.
QDateTime local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

} // namespace

TEST(DayBoundaries, TodayAndTomorrowAreCalendarDaysOnTheDaylightSavingDaysOfBerlin)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 3, 30, 10));
    EXPECT_EQ(knvt::todayAtZeroHundredHours(), utc(2025, 3, 29, 23));
    EXPECT_EQ(knvt::tomorrowAtZeroHundredHours(), utc(2025, 3, 30, 22));
    EXPECT_EQ(knvt::endOfToday(), utc(2025, 3, 30, 21, 59, 59));
    EXPECT_EQ(knvt::endOfToday().toLocalTime().time(), QTime(23, 59, 59));

    clock.setNow(local(2025, 10, 26, 12));
    EXPECT_EQ(knvt::todayAtZeroHundredHours().secsTo(knvt::tomorrowAtZeroHundredHours()), 25 * 3600);
    EXPECT_EQ(knvt::endOfToday(), local(2025, 10, 26, 23, 59, 59));
}

TEST(DayBoundaries, ADayThatBeginsInAGapStartsAtItsFirstInstant)
{
    // Sao Paulo sprang forward at midnight: 2018-11-04 began at 01:00, three hours behind UTC.
    ScopedTimeZone zone("America/Sao_Paulo");
    FakeClock clock(utc(2018, 11, 4, 15));
    EXPECT_EQ(knvt::todayAtZeroHundredHours(), utc(2018, 11, 4, 3));
    EXPECT_EQ(knvt::todayAtZeroHundredHours().toLocalTime().time(), QTime(1, 0));

    clock.setNow(utc(2018, 11, 3, 18));
    EXPECT_EQ(knvt::tomorrowAtZeroHundredHours(), utc(2018, 11, 4, 3));
    EXPECT_EQ(knvt::endOfToday(), utc(2018, 11, 4, 2, 59, 59));
    EXPECT_EQ(knvt::endOfToday().toLocalTime(), local(2018, 11, 3, 23, 59, 59));
}

TEST(DayBoundaries, EveryInstantOfADayGivesThatDaysStartAndEnd)
{
    {
        ScopedTimeZone zone("Europe/Berlin");
        for (const QDateTime &instant :
             {utc(2025, 3, 29, 23), utc(2025, 3, 30, 0, 59, 59), utc(2025, 3, 30, 1), utc(2025, 3, 30, 21, 59, 59)}) {
            SCOPED_TRACE(instant.toString(Qt::ISODate).toStdString());
            EXPECT_EQ(knvt::zeroHundredHoursDateForDate(instant), local(2025, 3, 30));
            EXPECT_EQ(knvt::endOfDateForDate(instant), local(2025, 3, 30, 23, 59, 59));
        }
        // The 25-hour day: the hour from 02:00 to 03:00 happens twice.
        for (const QDateTime &instant :
             {utc(2025, 10, 26, 0, 30), utc(2025, 10, 26, 1, 30), utc(2025, 10, 26, 22, 59)}) {
            SCOPED_TRACE(instant.toString(Qt::ISODate).toStdString());
            EXPECT_EQ(knvt::zeroHundredHoursDateForDate(instant), utc(2025, 10, 25, 22));
            EXPECT_EQ(knvt::endOfDateForDate(instant), utc(2025, 10, 26, 22, 59, 59));
        }
    }
    {
        ScopedTimeZone zone("America/Sao_Paulo");
        for (const QDateTime &instant : {utc(2018, 11, 4, 3), utc(2018, 11, 5, 1, 59, 59)}) {
            SCOPED_TRACE(instant.toString(Qt::ISODate).toStdString());
            EXPECT_EQ(knvt::zeroHundredHoursDateForDate(instant), utc(2018, 11, 4, 3));
            EXPECT_EQ(knvt::endOfDateForDate(instant), utc(2018, 11, 5, 1, 59, 59));
        }
        // 2019-02-16 lasted 25 hours: its last hour ran twice, first at -02 and then at -03.
        for (const QDateTime &instant : {utc(2019, 2, 17, 1, 30), utc(2019, 2, 17, 2, 30)}) {
            SCOPED_TRACE(instant.toString(Qt::ISODate).toStdString());
            EXPECT_EQ(knvt::zeroHundredHoursDateForDate(instant), utc(2019, 2, 16, 2));
            EXPECT_EQ(knvt::endOfDateForDate(instant), utc(2019, 2, 17, 2, 59, 59));
        }
    }
}

TEST(DayBoundaries, AStoredInstantShowsAsItsLocalDayAndADayIsStoredAsItsLocalStart)
{
    // Midnight of Christmas Day in Greenwich, as the library gives a date back, is Christmas Eve west of it.
    struct Place
    {
        const char *zone;
        QDate shown;
        QDateTime christmasStart;
    };
    const QDateTime greenwich = utc(2026, 12, 25);
    for (const Place &place : {Place{"Europe/Berlin", QDate(2026, 12, 25), utc(2026, 12, 24, 23)},
                               Place{"Pacific/Auckland", QDate(2026, 12, 25), utc(2026, 12, 24, 11)},
                               Place{"America/Los_Angeles", QDate(2026, 12, 24), utc(2026, 12, 25, 8)}}) {
        SCOPED_TRACE(place.zone);
        ScopedTimeZone zone(place.zone);
        EXPECT_EQ(knvt::dayForDate(greenwich), place.shown);
        EXPECT_EQ(knvt::zeroHundredHoursDateForDay(QDate(2026, 12, 25)), place.christmasStart);
        EXPECT_EQ(knvt::dayForDate(knvt::zeroHundredHoursDateForDay(QDate(2026, 12, 25)).toUTC()), QDate(2026, 12, 25));
    }
    EXPECT_FALSE(knvt::dayForDate(QDateTime()).isValid());
    EXPECT_FALSE(knvt::zeroHundredHoursDateForDay(QDate()).isValid());
}

TEST(DayBoundaries, FollowAChangeOfTimeZoneAtTheNextCall)
{
    FakeClock clock(utc(2025, 3, 30, 1, 30)); // Sunday 03:30 in Berlin, Saturday 22:30 in Sao Paulo
    {
        ScopedTimeZone zone("Europe/Berlin");
        EXPECT_EQ(knvt::todayAtZeroHundredHours(), utc(2025, 3, 29, 23));
        EXPECT_EQ(knvt::weekdayForToday(), 1);
    }
    {
        ScopedTimeZone zone("America/Sao_Paulo");
        EXPECT_EQ(knvt::todayAtZeroHundredHours(), utc(2025, 3, 29, 3));
        EXPECT_EQ(knvt::weekdayForToday(), 7);
    }
}

TEST(DayBoundaries, WeekdayCountsFromSundayWhateverTheFirstDayOfTheWeek)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 3, 30, 12));
    EXPECT_EQ(knvt::weekdayForToday(), 1);
    clock.setNow(local(2025, 3, 29, 23, 59, 59));
    EXPECT_EQ(knvt::weekdayForToday(), 7);
    clock.setNow(local(2025, 3, 31, 0, 0));
    EXPECT_EQ(knvt::weekdayForToday(), 2);

    ScopedLocale german("de_DE");
    clock.setNow(local(2025, 3, 30, 12));
    EXPECT_EQ(knvt::weekdayForToday(), 1);
}

TEST(DateTests, IsTodayEndsAtMidnight)
{
    ScopedTimeZone zone("America/Sao_Paulo");
    FakeClock clock(local(2025, 3, 10, 23, 59, 59));
    EXPECT_TRUE(knvt::isToday(knvt::Clock::shared().now()));
    EXPECT_TRUE(knvt::isToday(local(2025, 3, 10)));
    EXPECT_FALSE(knvt::isToday(local(2025, 3, 11)));
    EXPECT_FALSE(knvt::isToday(local(2025, 3, 9, 23, 59, 59)));

    clock.setNow(local(2025, 3, 11));
    EXPECT_FALSE(knvt::isToday(local(2025, 3, 10, 22)));
    EXPECT_TRUE(knvt::isToday(local(2025, 3, 11)));
}

TEST(DateTests, IsTodayCoversTheShortAndTheLongDayExactly)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 3, 30, 10));
    EXPECT_FALSE(knvt::isToday(local(2025, 3, 31, 0, 0)));
    EXPECT_FALSE(knvt::isToday(local(2025, 3, 31, 0, 59, 59)));
    EXPECT_TRUE(knvt::isToday(local(2025, 3, 30, 23, 59, 59)));

    clock.setNow(local(2025, 10, 26, 23, 30));
    EXPECT_TRUE(knvt::isToday(knvt::Clock::shared().now()));
    EXPECT_TRUE(knvt::isToday(local(2025, 10, 26, 0, 0)));
    EXPECT_FALSE(knvt::isToday(local(2025, 10, 27, 0, 0)));
}

TEST(DateTests, IsTodayOnADayThatBeginsInAGap)
{
    ScopedTimeZone zone("America/Sao_Paulo");
    FakeClock clock(utc(2018, 11, 4, 15));
    EXPECT_TRUE(knvt::isToday(utc(2018, 11, 4, 3)));
    EXPECT_FALSE(knvt::isToday(utc(2018, 11, 4, 2, 59, 59)));
    EXPECT_TRUE(knvt::isToday(utc(2018, 11, 5, 1, 59, 59)));
    EXPECT_FALSE(knvt::isToday(utc(2018, 11, 5, 2)));
}

TEST(DateTests, IntervalSinceTheStartOfTodayCountsRealSeconds)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 10, 26, 23, 30));
    EXPECT_DOUBLE_EQ(knvt::timeIntervalSinceTodayAtZeroHundredHours(knvt::Clock::shared().now()), 24.5 * 3600);
    EXPECT_DOUBLE_EQ(knvt::timeIntervalSinceTodayAtZeroHundredHours(local(2025, 10, 25, 23)), -3600);
    EXPECT_DOUBLE_EQ(knvt::timeIntervalSinceTodayAtZeroHundredHours(local(2025, 10, 26).addMSecs(1500)), 1.5);
}

TEST(DateTests, PastAndFutureAreStrict)
{
    ScopedTimeZone zone("Europe/Berlin");
    const QDateTime now = local(2025, 6, 1, 12);
    FakeClock clock(now);
    EXPECT_FALSE(knvt::isInThePast(now));
    EXPECT_FALSE(knvt::isInTheFuture(now));
    EXPECT_TRUE(knvt::isInThePast(now.addMSecs(-1)));
    EXPECT_FALSE(knvt::isInTheFuture(now.addMSecs(-1)));
    EXPECT_TRUE(knvt::isInTheFuture(now.addMSecs(1)));
    EXPECT_FALSE(knvt::isInThePast(now.addMSecs(1)));
    EXPECT_TRUE(knvt::isInThePast(now.toUTC().addSecs(-1)));
}

TEST(DateTests, IsThisHourComparesOnlyTheLocalHour)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 6, 1, 14, 50));
    EXPECT_TRUE(knvt::isThisHour(local(2025, 6, 1, 14, 10)));
    EXPECT_TRUE(knvt::isThisHour(local(2019, 1, 7, 14, 59, 59)));
    EXPECT_TRUE(knvt::isThisHour(utc(2025, 6, 1, 12, 5))); // 14:05 in Berlin
    EXPECT_FALSE(knvt::isThisHour(local(2025, 6, 1, 13, 59, 59)));
    EXPECT_FALSE(knvt::isThisHour(local(2025, 6, 1, 15)));
}

TEST(DateTests, IsThisYearUsesTheLocalYear)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 6, 1, 12));
    EXPECT_TRUE(knvt::isThisYear(local(2025, 1, 1)));
    EXPECT_TRUE(knvt::isThisYear(local(2025, 12, 31, 23, 59, 59)));
    EXPECT_TRUE(knvt::isThisYear(utc(2024, 12, 31, 23, 30))); // already New Year in Berlin
    EXPECT_FALSE(knvt::isThisYear(local(2024, 12, 31, 23, 59, 59)));
    EXPECT_FALSE(knvt::isThisYear(local(2026, 1, 1)));
}

TEST(DateTests, IsThisWeekMatchesWeekAndYearOfTheWeek)
{
    ScopedTimeZone zone("Europe/Berlin");
    ScopedLocale american("en_US");
    FakeClock clock(local(2025, 6, 11, 12)); // Wednesday of the week Sunday 8 to Saturday 14 June
    EXPECT_TRUE(knvt::isThisWeek(local(2025, 6, 8)));
    EXPECT_TRUE(knvt::isThisWeek(local(2025, 6, 14, 23, 59, 59)));
    EXPECT_FALSE(knvt::isThisWeek(local(2025, 6, 7, 23, 59, 59)));
    EXPECT_FALSE(knvt::isThisWeek(local(2025, 6, 15)));
    EXPECT_FALSE(knvt::isThisWeek(local(2024, 6, 12))); // the same week number a year earlier
}

TEST(DateTests, IsThisWeekAcrossNewYear)
{
    ScopedTimeZone zone("Europe/Berlin");
    ScopedLocale american("en_US");
    // The week from Sunday 2024-12-29 to Saturday 2025-01-04 is the first week of 2025.
    FakeClock clock(local(2024, 12, 31, 12));
    EXPECT_FALSE(knvt::isThisWeek(local(2024, 1, 2)));
    EXPECT_TRUE(knvt::isThisWeek(local(2024, 12, 29)));
    EXPECT_TRUE(knvt::isThisWeek(local(2025, 1, 4)));
    EXPECT_FALSE(knvt::isThisWeek(local(2024, 12, 28, 23, 59, 59)));
    EXPECT_FALSE(knvt::isThisWeek(local(2025, 1, 5)));

    clock.setNow(local(2025, 1, 1, 12));
    EXPECT_TRUE(knvt::isThisWeek(local(2024, 12, 30)));
    EXPECT_FALSE(knvt::isThisWeek(local(2024, 1, 2)));
}

TEST(DateTests, IsThisWeekFollowsTheLocalesWeek)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 1, 6, 12)); // a Monday
    {
        ScopedLocale american("en_US");
        EXPECT_TRUE(knvt::isThisWeek(local(2025, 1, 5)));
    }
    {
        ScopedLocale german("de_DE");
        EXPECT_FALSE(knvt::isThisWeek(local(2025, 1, 5)));
        EXPECT_TRUE(knvt::isThisWeek(local(2025, 1, 12)));
    }
}

TEST(DateTests, IsWithinThisWeekIsSevenCalendarDaysEitherSideOfTodayExclusive)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 3, 28, 12)); // a week ahead crosses the spring change
    EXPECT_FALSE(knvt::isWithinThisWeek(local(2025, 4, 4)));
    EXPECT_FALSE(knvt::isWithinThisWeek(local(2025, 4, 4, 0, 30)));
    EXPECT_TRUE(knvt::isWithinThisWeek(local(2025, 4, 3, 23, 59, 59)));
    EXPECT_FALSE(knvt::isWithinThisWeek(local(2025, 3, 21)));
    EXPECT_TRUE(knvt::isWithinThisWeek(local(2025, 3, 21, 0, 0, 1)));
    EXPECT_FALSE(knvt::isWithinThisWeek(local(2025, 3, 20, 23)));
    EXPECT_TRUE(knvt::isWithinThisWeek(knvt::Clock::shared().now()));
}

TEST(DateTests, IsWithinThisWeekWhenAWeekAheadBeginsInAGap)
{
    ScopedTimeZone zone("America/Sao_Paulo");
    FakeClock clock(local(2018, 10, 28, 12)); // a week later, 00:00 does not exist and the day starts at 01:00
    EXPECT_TRUE(knvt::isWithinThisWeek(local(2018, 11, 3, 23, 59, 59)));
    EXPECT_FALSE(knvt::isWithinThisWeek(utc(2018, 11, 4, 3)));
}

TEST(DateTests, AnInvalidDateIsNoneOfThem)
{
    ScopedTimeZone zone("Europe/Berlin");
    FakeClock clock(local(2025, 6, 1, 12));
    const QDateTime invalid;
    EXPECT_FALSE(knvt::zeroHundredHoursDateForDate(invalid).isValid());
    EXPECT_FALSE(knvt::endOfDateForDate(invalid).isValid());
    EXPECT_EQ(knvt::timeIntervalSinceTodayAtZeroHundredHours(invalid), 0);
    EXPECT_FALSE(knvt::isToday(invalid));
    EXPECT_FALSE(knvt::isThisHour(invalid));
    EXPECT_FALSE(knvt::isThisYear(invalid));
    EXPECT_FALSE(knvt::isThisWeek(invalid));
    EXPECT_FALSE(knvt::isWithinThisWeek(invalid));
    EXPECT_FALSE(knvt::isInThePast(invalid));
    EXPECT_FALSE(knvt::isInTheFuture(invalid));
}
