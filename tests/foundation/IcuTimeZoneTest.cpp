#include "foundation/IcuTimeZone.h"

#include "support/ScopedTimeZone.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <memory>

using knvt::test::ScopedTimeZone;

// ICU's calendars and formats follow the system's zone as it is at each call; a zone ICU cannot name stands as the
// fixed offset local time has at the instant asked about.
TEST(IcuTimeZone, FollowsTheSystemZoneAndFallsBackToTheLocalOffsetOfTheInstant)
{
    struct Case
    {
        const char *zone;
        bool fixedOffset;
        int offsetMinutes; // at the instant below
    };
    const QDateTime instant(QDate(2025, 7, 1), QTime(12, 0), QTimeZone::utc());
    for (const Case &c :
         {Case{"Europe/Berlin", false, 120}, Case{"America/Sao_Paulo", false, -180}, Case{"<+0330>-3:30", true, 210}}) {
        SCOPED_TRACE(c.zone);
        ScopedTimeZone zone(c.zone);
        bool fixedOffset = !c.fixedOffset;
        const std::unique_ptr<icu::TimeZone> icuZone(knvt::createCurrentIcuTimeZone(instant, &fixedOffset));
        ASSERT_NE(icuZone, nullptr);
        EXPECT_EQ(fixedOffset, c.fixedOffset);
        int32_t raw = 0, dst = 0;
        UErrorCode status = U_ZERO_ERROR;
        icuZone->getOffset(UDate(instant.toMSecsSinceEpoch()), false, raw, dst, status);
        ASSERT_TRUE(U_SUCCESS(status));
        EXPECT_EQ((raw + dst) / 60000, c.offsetMinutes);
    }
}
