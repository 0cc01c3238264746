#include "uikit/KNVTDatePicker.h"

#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

namespace {

using Picker = KNVTDatePicker;

QDateTime local(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

TEST(KNVTDatePickerDates, StepsKeepTheWallClockTimeAcrossDaylightSavingChanges)
{
    knvt::test::ScopedTimeZone zone("Europe/Berlin");
    // The last Sunday of October has 25 hours: one day later is the next midnight, not 23:00 the same day.
    EXPECT_EQ(Picker::dateByAddingDays(local(2025, 10, 26), 1), local(2025, 10, 27));
    EXPECT_EQ(local(2025, 10, 26).secsTo(Picker::dateByAddingDays(local(2025, 10, 26), 1)), 90000);
    // A week over the spring change is an hour short of 7 x 24 hours.
    const QDateTime week = Picker::dateByAddingDays(local(2025, 3, 26, 12), 7);
    EXPECT_EQ(week, local(2025, 4, 2, 12));
    EXPECT_EQ(local(2025, 3, 26, 12).secsTo(week), 7 * 86400 - 3600);
    EXPECT_EQ(Picker::dateByAddingDays(local(2025, 3, 1, 12), -1), local(2025, 2, 28, 12));
    EXPECT_EQ(Picker::dateByAddingDays(local(2024, 3, 1, 12), -7), local(2024, 2, 23, 12));
}

TEST(KNVTDatePickerDates, ATimeLostToTheSpringGapMovesForwardByTheGap)
{
    knvt::test::ScopedTimeZone zone("Europe/Berlin");
    const QDateTime inGap = Picker::dateOnDay(QDate(2025, 3, 30), QTime(2, 30));
    ASSERT_TRUE(inGap.isValid());
    EXPECT_EQ(inGap.time(), QTime(3, 30));
    EXPECT_EQ(Picker::dateByAddingDays(local(2025, 3, 29, 2, 30), 1), inGap);
    EXPECT_EQ(Picker::dateOnDay(QDate(2025, 3, 30), QTime(12, 0)), local(2025, 3, 30, 12));
}

TEST(KNVTDatePickerDates, AMidnightThatDoesNotExistBecomesTheStartOfThatDay)
{
    knvt::test::ScopedTimeZone zone("America/Sao_Paulo");
    const QDateTime start = Picker::dateOnDay(QDate(2018, 11, 4), QTime(0, 0));
    ASSERT_TRUE(start.isValid());
    EXPECT_EQ(start.date(), QDate(2018, 11, 4));
    EXPECT_EQ(start.time(), QTime(1, 0));
    EXPECT_EQ(Picker::dateByAddingDays(local(2018, 11, 3), 1), start);
}

} // namespace
