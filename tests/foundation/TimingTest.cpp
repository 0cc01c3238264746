#include "foundation/Timing.h"
#include "foundation/Clock.h"
#include "foundation/Error.h"
#include "support/FakeClock.h"
#include "support/ScopedTimeZone.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using knvt::Timing;

TEST(Timing, ScalesDelaysButNeverToZeroUnlessZero)
{
    Timing::setScale(0.01);
    EXPECT_EQ(Timing::ms(10), 100);
    EXPECT_EQ(Timing::ms(0.1), 1);
    EXPECT_EQ(Timing::ms(0.0001), 1);
    EXPECT_EQ(Timing::ms(0), 0);
    Timing::setScale(-3);
    EXPECT_EQ(Timing::scale(), 1.0);
    EXPECT_EQ(Timing::ms(0.3), 300);
    EXPECT_EQ(Timing::ms(1e12), std::numeric_limits<int>::max());
}

TEST(Clock, FakeClockReplacesTheSharedClockForItsLifetime)
{
    const QDateTime fixed(QDate(2025, 3, 30), QTime(10, 0));
    {
        knvt::test::FakeClock clock(fixed);
        EXPECT_EQ(knvt::Clock::shared().now(), fixed);
        clock.advance(60);
        EXPECT_EQ(knvt::Clock::shared().now(), fixed.addSecs(60));
    }
    EXPECT_NE(knvt::Clock::shared().now(), fixed.addSecs(60));
}

TEST(Clock, ScopedTimeZoneMovesLocalTime)
{
    const QDateTime instant = QDateTime::fromSecsSinceEpoch(1743328800, Qt::UTC); // 2025-03-30 10:00 UTC
    {
        knvt::test::ScopedTimeZone zone("Europe/Berlin");
        EXPECT_EQ(QTimeZone::systemTimeZoneId(), QByteArray("Europe/Berlin"));
        EXPECT_EQ(instant.toLocalTime().time(), QTime(12, 0));
    }
    {
        knvt::test::ScopedTimeZone zone("America/Sao_Paulo");
        EXPECT_EQ(instant.toLocalTime().time(), QTime(7, 0));
    }
}

TEST(Error, ReportFillsOnlyAGivenSlotAndDescribesItself)
{
    knvt::Error::report(nullptr, knvt::Error(KNVTTaskStoreErrorDomain, 1));
    knvt::Error slot;
    EXPECT_TRUE(slot.isNull());
    knvt::Error::report(&slot, knvt::Error(KNVTRequestErrorDomain, 404, {{"error", "missing"}}));
    EXPECT_EQ(slot.domain(), "KNVTRequestErrorDomain");
    EXPECT_EQ(slot.code(), 404);
    EXPECT_EQ(slot.description(), R"(Error Domain=KNVTRequestErrorDomain Code=404 UserInfo={"error":"missing"})");
}
