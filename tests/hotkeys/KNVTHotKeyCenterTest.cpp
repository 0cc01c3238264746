#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTHotKey.h"
#include "support/FakeHotKeyBackend.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

using knvt::test::FakeHotKeyBackend;

namespace {

struct Pressed
{
    QObject target;
    QList<KNVTHotKey *> hotKeys;

    std::shared_ptr<KNVTHotKey> make(const QString &identifier, KNVTKeyCombo combo)
    {
        return std::make_shared<KNVTHotKey>(identifier, combo, &target,
                                            [this](KNVTHotKey *hotKey) { hotKeys.append(hotKey); });
    }
};

} // namespace

TEST(KNVTHotKeyCenter, NumbersEveryRegistrationAndRegistersAgainUnderANewNumber)
{
    FakeHotKeyBackend backend;
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    Pressed pressed;
    const auto first = pressed.make(QStringLiteral("one"), {31, 0x300});
    const auto second = pressed.make(QStringLiteral("two"), {14, 0x900});

    ASSERT_TRUE(center.registerHotKey(first));
    const quint32 number = first->hotKeyID().id;
    EXPECT_EQ(first->hotKeyID().signature, 0x4B4E486Bu);
    EXPECT_GT(number, 0u);
    ASSERT_TRUE(center.registerHotKey(second));
    EXPECT_EQ(second->hotKeyID().id, number + 1);

    ASSERT_TRUE(center.registerHotKey(first));
    EXPECT_EQ(first->hotKeyID().id, number + 2);
    EXPECT_EQ(center.allHotKeys().size(), 2);
    EXPECT_EQ(backend.grabs().size(), 2);

    backend.refuse(0, 0x100);
    const auto refused = pressed.make(QStringLiteral("refused"), {0, 0x100});
    EXPECT_FALSE(center.registerHotKey(refused));
    EXPECT_EQ(refused->hotKeyID().id, number + 3) << "a refused registration uses up its number";
    EXPECT_EQ(center.hotKeyWithIdentifier(QStringLiteral("refused")), nullptr);

    const auto invalid = pressed.make(QStringLiteral("invalid"), {12, 0});
    EXPECT_TRUE(center.registerHotKey(invalid)) << "an invalid combination registers nothing and succeeds";
    EXPECT_EQ(invalid->hotKeyID().id, 0u);
    invalid->setKeyCombo(KNVTKeyCombo::clearKeyCombo());
    EXPECT_TRUE(center.registerHotKey(invalid));

    const auto next = pressed.make(QStringLiteral("next"), {1, 0x100});
    ASSERT_TRUE(center.registerHotKey(next));
    EXPECT_EQ(next->hotKeyID().id, number + 4) << "an invalid combination uses no number";

    EXPECT_EQ(center.hotKeyWithIdentifier(QStringLiteral("two")), second);
    EXPECT_EQ(center.hotKeyWithIdentifier(QString()), nullptr);
}

TEST(KNVTHotKeyCenter, UnregisteringReleasesTheChordTakenEvenAfterTheCombinationChanged)
{
    FakeHotKeyBackend backend;
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    Pressed pressed;
    const auto hotKey = pressed.make(QStringLiteral("quick"), {31, 0x300});
    ASSERT_TRUE(center.registerHotKey(hotKey));

    hotKey->setKeyCombo({14, 0x900});
    EXPECT_TRUE(backend.isGrabbed(31, 0x300)) << "a new combination waits for the next registration";
    ASSERT_TRUE(center.registerHotKey(hotKey));
    EXPECT_FALSE(backend.isGrabbed(31, 0x300));
    EXPECT_TRUE(backend.isGrabbed(14, 0x900));

    hotKey->setKeyCombo(KNVTKeyCombo::clearKeyCombo());
    center.unregisterHotKey(hotKey);
    EXPECT_TRUE(backend.grabs().isEmpty());
    EXPECT_TRUE(center.allHotKeys().isEmpty());
    center.unregisterHotKey(hotKey);
    EXPECT_TRUE(center.eventHandlerInstalled()) << "the handler stays once installed";
}

TEST(KNVTHotKeyCenter, APressRunsTheActionOfItsHotKeyOnly)
{
    FakeHotKeyBackend backend;
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    Pressed pressed;
    const auto quick = pressed.make(QStringLiteral("quick"), {31, 0x300});
    const auto other = pressed.make(QStringLiteral("other"), {14, 0x900});
    EXPECT_FALSE(center.eventHandlerInstalled());
    ASSERT_TRUE(center.registerHotKey(quick));
    ASSERT_TRUE(center.registerHotKey(other));
    EXPECT_TRUE(center.eventHandlerInstalled());

    EXPECT_TRUE(backend.press(31, 0x300, 4242));
    ASSERT_EQ(pressed.hotKeys.size(), 1) << "the release runs nothing";
    EXPECT_EQ(pressed.hotKeys.first(), quick.get());
    EXPECT_EQ(center.currentEventTime(), 4242u);

    EXPECT_EQ(center.sendHotKeyEvent({KNVTHotKeyCenter::EventKind::Pressed, {KNVTHotKeySignature, 999999}, 0, {}}), 0);
    EXPECT_EQ(center.sendHotKeyEvent({KNVTHotKeyCenter::EventKind::Released, other->hotKeyID(), 0, {}}), 0);
    EXPECT_EQ(pressed.hotKeys.size(), 1);
    EXPECT_EQ(center.sendHotKeyEvent({KNVTHotKeyCenter::EventKind::Pressed, other->hotKeyID(), 0, {}}), 0);
    ASSERT_EQ(pressed.hotKeys.size(), 2);
    EXPECT_EQ(pressed.hotKeys.last(), other.get());

    backend.setSuspended(true);
    EXPECT_FALSE(backend.press(31, 0x300));
    backend.setSuspended(false);

    // A target that is gone hears nothing.
    auto orphan = std::make_shared<KNVTHotKey>(QStringLiteral("orphan"), KNVTKeyCombo(2, 0x100));
    {
        QObject target;
        orphan->setTarget(&target);
        orphan->setAction([&pressed](KNVTHotKey *hotKey) { pressed.hotKeys.append(hotKey); });
    }
    ASSERT_TRUE(center.registerHotKey(orphan));
    EXPECT_TRUE(backend.press(2, 0x100));
    EXPECT_EQ(pressed.hotKeys.size(), 2);
    EXPECT_EQ(orphan->description(), QStringLiteral("<KNVTHotKey: orphan, Ctrl+D>"));
}

TEST(KNVTHotKeyCenter, WithoutABackendNothingRegisters)
{
    {
        FakeHotKeyBackend backend;
        backend.setAvailable(false);
        Pressed pressed;
        EXPECT_FALSE(KNVTHotKeyCenter::sharedCenter().registerHotKey(pressed.make(QStringLiteral("x"), {31, 0x300})));
    }
    EXPECT_EQ(KNVTHotKeyCenter::sharedCenter().backend(), nullptr);
    Pressed pressed;
    EXPECT_FALSE(KNVTHotKeyCenter::sharedCenter().registerHotKey(pressed.make(QStringLiteral("y"), {31, 0x300})));
    EXPECT_TRUE(KNVTHotKeyCenter::sharedCenter().allHotKeys().isEmpty());
}

TEST(KNVTHotKeyCenter, MovingToAnotherBackendTakesEveryHotKeyAlong)
{
    FakeHotKeyBackend first;
    FakeHotKeyBackend second; // installs itself: the centre goes back to the first below
    second.refuse(14, 0x900);
    KNVTHotKeyCenter::sharedCenter().setBackend(&first);
    Pressed pressed;
    const std::shared_ptr<KNVTHotKey> quick = pressed.make(QStringLiteral("quick"), {31, 0x300});
    const std::shared_ptr<KNVTHotKey> other = pressed.make(QStringLiteral("other"), {14, 0x900});
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    ASSERT_TRUE(center.registerHotKey(quick));
    ASSERT_TRUE(center.registerHotKey(other));
    const quint32 number = quick->hotKeyID().id;

    center.moveHotKeysTo(&second);
    EXPECT_EQ(center.backend(), &second);
    EXPECT_TRUE(first.grabs().isEmpty()) << "the first backend holds nothing any more";
    EXPECT_TRUE(second.isGrabbed(31, 0x300));
    EXPECT_NE(quick->hotKeyID().id, number) << "registered again under a new number";
    EXPECT_EQ(center.allHotKeys(), (QList<std::shared_ptr<KNVTHotKey>>{quick})) << "the refused one is dropped";
    EXPECT_FALSE(first.press(31, 0x300));
    EXPECT_TRUE(second.press(31, 0x300));
    EXPECT_EQ(pressed.hotKeys, (QList<KNVTHotKey *>{quick.get()}));
    center.setBackend(nullptr);
}
