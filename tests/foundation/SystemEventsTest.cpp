#include "foundation/SystemEvents.h"
#include "foundation/SystemBusEvents.h"
#include "support/FakeSystemEvents.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using knvt::FakeSystemEvents;
using knvt::SystemEvents;

TEST(FakeSystemEvents, EmitsEachEventWhenTold)
{
    FakeSystemEvents events;
    SystemEvents &asSystem = events;
    QSignalSpy clock(&asSystem, &SystemEvents::clockChanged);
    QSignalSpy zone(&asSystem, &SystemEvents::timeZoneChanged);
    QSignalSpy wake(&asSystem, &SystemEvents::didWake);

    events.changeClock();
    events.wake();
    events.wake();
    events.changeTimeZone();

    EXPECT_EQ(clock.count(), 1);
    EXPECT_EQ(zone.count(), 1);
    EXPECT_EQ(wake.count(), 2);
}

TEST(SystemEvents, WithoutASystemBusTheRestStillWorks)
{
    // Each test runs in a process of its own, so the system bus has not been looked up before this.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quillvane-test-bus");
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString zoneFile = folder.filePath("localtime");
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Europe/Berlin", zoneFile));

    std::unique_ptr<SystemEvents> events = SystemEvents::create(zoneFile);
    QSignalSpy zone(events.get(), &SystemEvents::timeZoneChanged);
    QSignalSpy wake(events.get(), &SystemEvents::didWake);
    QTest::qWait(100);
    EXPECT_EQ(zone.count(), 0);
    EXPECT_EQ(wake.count(), 0);

    // Zones are switched by replacing the link in one rename; the burst of events is one change.
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Asia/Tokyo", folder.filePath("localtime.new")));
    ASSERT_TRUE(QFile::rename(folder.filePath("localtime.new"), zoneFile)
                || (QFile::remove(zoneFile) && QFile::rename(folder.filePath("localtime.new"), zoneFile)));
    EXPECT_TRUE(zone.wait(2000));
    QTest::qWait(300);
    EXPECT_EQ(zone.count(), 1);

    // Other files beside it are not the zone.
    QFile other(folder.filePath("adjtime"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("0.0 0 0.0\n");
    other.close();
    QTest::qWait(300);
    EXPECT_EQ(zone.count(), 1);

    events.reset();
}

TEST(SystemEvents, AZoneChangeToldByTheBusAndTheFileIsOneChange)
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quillvane-test-bus");
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString zoneFile = folder.filePath("localtime");
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Europe/Berlin", zoneFile));

    static int listened = 0;
    SystemEvents::setBusListener([](SystemEvents &events) {
        ++listened;
        knvt::listenToSystemBus(events); // no bus here: adds nothing, and fails nothing
    });
    std::unique_ptr<SystemEvents> events = SystemEvents::create(zoneFile);
    SystemEvents::setBusListener(nullptr);
    EXPECT_EQ(listened, 1);
    QSignalSpy zone(events.get(), &SystemEvents::timeZoneChanged);

    events->zoneMayHaveChanged();
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Asia/Tokyo", folder.filePath("localtime.new")));
    ASSERT_TRUE(QFile::rename(folder.filePath("localtime.new"), zoneFile)
                || (QFile::remove(zoneFile) && QFile::rename(folder.filePath("localtime.new"), zoneFile)));
    EXPECT_TRUE(zone.wait(2000));
    QTest::qWait(300);
    EXPECT_EQ(zone.count(), 1);

    // Later objects no longer hear the bus once the listener is gone.
    const std::unique_ptr<SystemEvents> later = SystemEvents::create(zoneFile);
    EXPECT_EQ(listened, 1);
}
