#include "foundation/NotificationCenter.h"
#include "support/NotificationRecorder.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

using knvt::Notification;
using knvt::NotificationCenter;

TEST(NotificationCenter, DeliversByNameAndObjectFilterInOrderOfObservation)
{
    NotificationCenter center;
    int store = 0, other = 0;
    QStringList calls;
    center.addObserver("A", &store, nullptr, [&](const Notification &n) { calls << "store-only:" + n.name; });
    center.addObserver("A", nullptr, nullptr, [&](const Notification &n) { calls << "any:" + n.name; });
    center.addObserver(QString(), nullptr, nullptr, [&](const Notification &n) { calls << "all:" + n.name; });

    center.post("A", &store, {{"k", 1}});
    center.post("A", &other);
    center.post("B", &store);

    EXPECT_EQ(calls, (QStringList{"store-only:A", "any:A", "all:A", "any:A", "all:A", "all:B"}));
}

TEST(NotificationCenter, CarriesUserInfoAndSenderToTheHandler)
{
    NotificationCenter center;
    int sender = 0;
    knvt::test::NotificationRecorder recorder({"X"}, center);
    center.post("X", &sender, {{"count", 3}});
    ASSERT_EQ(recorder.notifications().size(), 1u);
    EXPECT_EQ(recorder.notifications()[0].object, &sender);
    EXPECT_EQ(recorder.notifications()[0].userInfo.value("count").toInt(), 3);
}

TEST(NotificationCenter, ObserverRemovedDuringPostIsNotCalledAndAddedOneWaitsForTheNextPost)
{
    NotificationCenter center;
    int firstCalls = 0, secondCalls = 0, lateCalls = 0;
    NotificationCenter::Token second = 0;
    center.addObserver("N", nullptr, nullptr, [&](const Notification &) {
        ++firstCalls;
        center.removeObserver(second);
        center.addObserver("N", nullptr, nullptr, [&](const Notification &) { ++lateCalls; });
    });
    second = center.addObserver("N", nullptr, nullptr, [&](const Notification &) { ++secondCalls; });

    center.post("N");
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
    EXPECT_EQ(lateCalls, 0);
    center.post("N");
    EXPECT_EQ(lateCalls, 1);
}

TEST(NotificationCenter, ObservationEndsWithItsContextObject)
{
    NotificationCenter center;
    int calls = 0;
    auto context = std::make_unique<QObject>();
    center.addObserver("N", nullptr, context.get(), [&](const Notification &) { ++calls; });
    center.post("N");
    context.reset();
    center.post("N");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, RemoveObserversDropsEverythingOfOneContext)
{
    NotificationCenter center;
    QObject window, other;
    int windowCalls = 0, otherCalls = 0;
    center.addObserver("A", nullptr, &window, [&](const Notification &) { ++windowCalls; });
    center.addObserver("B", nullptr, &window, [&](const Notification &) { ++windowCalls; });
    center.addObserver("A", nullptr, &other, [&](const Notification &) { ++otherCalls; });
    center.removeObservers(&window);
    center.post("A");
    center.post("B");
    EXPECT_EQ(windowCalls, 0);
    EXPECT_EQ(otherCalls, 1);
}
