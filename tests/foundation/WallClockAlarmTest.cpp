#include "foundation/WallClockAlarm.h"
#include "support/FakeWallClockAlarm.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using knvt::FakeWallClockAlarm;
using knvt::WallClockAlarm;

// The real alarm is set relative to the machine's own clock, since that is the clock it watches; only "it fires" and
// "it does not" are asserted, never when.
TEST(WallClockAlarm, FiresOnceAtItsDateAndThenIsDisarmed)
{
    const std::unique_ptr<WallClockAlarm> alarm = WallClockAlarm::create();
    QSignalSpy fired(alarm.get(), &WallClockAlarm::fired);
    const QDateTime date = QDateTime::currentDateTimeUtc().addSecs(1);

    alarm->arm(date);
    EXPECT_TRUE(alarm->isArmed());
    EXPECT_EQ(alarm->fireDate(), date);

    EXPECT_TRUE(fired.wait(10000));
    EXPECT_FALSE(alarm->isArmed());
    EXPECT_FALSE(alarm->fireDate().isValid());
    QTest::qWait(200);
    EXPECT_EQ(fired.count(), 1);
}

TEST(WallClockAlarm, DisarmingOrAnInvalidDateStopsIt)
{
    const std::unique_ptr<WallClockAlarm> alarm = WallClockAlarm::create();
    QSignalSpy fired(alarm.get(), &WallClockAlarm::fired);

    alarm->arm(QDateTime::currentDateTimeUtc().addSecs(1));
    alarm->disarm();
    EXPECT_FALSE(alarm->isArmed());

    auto other = WallClockAlarm::create();
    QSignalSpy otherFired(other.get(), &WallClockAlarm::fired);
    other->arm(QDateTime::currentDateTimeUtc().addSecs(1));
    other->arm(QDateTime());
    EXPECT_FALSE(other->isArmed());

    QTest::qWait(2500);
    EXPECT_EQ(fired.count(), 0);
    EXPECT_EQ(otherFired.count(), 0);
}

TEST(WallClockAlarm, PastDatesFireAtOnceAndAReceiverMayArmAgain)
{
    const std::unique_ptr<WallClockAlarm> alarm = WallClockAlarm::create();
    int firings = 0;
    // The epoch itself and earlier must not be mistaken for "no date".
    const QList<QDateTime> dates{QDateTime::fromMSecsSinceEpoch(0, Qt::UTC),
                                 QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC),
                                 QDateTime::currentDateTimeUtc().addDays(-1)};
    QObject::connect(alarm.get(), &WallClockAlarm::fired, [&] {
        ++firings;
        if (firings < dates.size())
            alarm->arm(dates.at(firings));
    });

    alarm->arm(dates.first());
    EXPECT_TRUE(QTest::qWaitFor([&] { return firings == dates.size(); }, 5000));
    EXPECT_FALSE(alarm->isArmed());
}

TEST(FakeWallClockAlarm, FiresAndNoticesClockChangesOnlyWhileArmed)
{
    FakeWallClockAlarm alarm;
    QSignalSpy fired(&alarm, &WallClockAlarm::fired);
    QSignalSpy clockChanged(&alarm, &WallClockAlarm::clockChanged);
    const QDateTime midnight(QDate(2026, 12, 7), QTime(0, 0), Qt::UTC);

    EXPECT_FALSE(alarm.fire());
    EXPECT_FALSE(alarm.changeClock());

    alarm.arm(midnight);
    EXPECT_EQ(alarm.fireDate(), midnight);
    EXPECT_TRUE(alarm.changeClock());
    EXPECT_TRUE(alarm.isArmed());
    EXPECT_TRUE(alarm.fire());
    EXPECT_FALSE(alarm.isArmed());
    EXPECT_FALSE(alarm.fire());

    EXPECT_EQ(fired.count(), 1);
    EXPECT_EQ(clockChanged.count(), 1);
}
