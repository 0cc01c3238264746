// The portal backend against a fake desktop portal on the private session bus (inside scripts/with-keyring).

#include "hotkeys/PortalHotKeyBackend.h"
#include "hotkeys/HotKeyBackendSelector.h"
#include "hotkeys/KNVTHotKey.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "support/FakeGlobalShortcutsPortal.h"
#include "support/FakeHotKeyBackend.h"
#include "support/ScopedKeyboardLayout.h"
#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using knvt::HotKeyBackendKind;
using knvt::PortalHotKeyBackend;
using knvt::test::FakeGlobalShortcutsPortal;
using State = knvt::PortalHotKeyBackend::State;

namespace {

// Presses of the hot keys, with the activation token each came with.
struct Pressed
{
    QObject target;
    QStringList tokens;

    std::shared_ptr<KNVTHotKey> make(KNVTKeyCombo combo)
    {
        return std::make_shared<KNVTHotKey>(QStringLiteral("quick"), combo, &target, [this](KNVTHotKey *) {
            tokens.append(KNVTHotKeyCenter::sharedCenter().currentActivationToken());
        });
    }
};

// Nothing that arrives late: the bus has carried what was sent.
void letTheBusDeliver()
{
    knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(200));
}

class PortalHotKeyBackendTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(bus().isConnected()) << "run inside scripts/with-keyring"; }
    void TearDown() override { KNVTHotKeyCenter::sharedCenter().setBackend(nullptr); }

    static QDBusConnection bus() { return QDBusConnection::sessionBus(); }

    // A backend installed on the centre, with short waits so that a desktop that never answers fails within a test.
    std::unique_ptr<PortalHotKeyBackend> makeBackend()
    {
        auto backend = std::make_unique<PortalHotKeyBackend>(bus(), PortalHotKeyBackend::Timeouts{2, 2, 0.5});
        KNVTHotKeyCenter::sharedCenter().setBackend(backend.get());
        return backend;
    }

    static bool reaches(const PortalHotKeyBackend &backend, State state)
    {
        return knvt::test::waitUntil([&] { return backend.state() == state; });
    }

    knvt::test::ScopedKeyboardLayout us{QStringLiteral("us")};
    Pressed pressed;
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
};

} // namespace

TEST_F(PortalHotKeyBackendTest, TheRecordedCombinationIsBoundAsThePreferredTriggerAndItsPressesArrive)
{
    FakeGlobalShortcutsPortal desktop(2);
    ASSERT_TRUE(desktop.isRegistered());
    const auto backend = makeBackend();
    const std::shared_ptr<KNVTHotKey> hotKey = pressed.make({14, 0x900});
    ASSERT_TRUE(center.registerHotKey(hotKey)) << "the registration waits for the portal's answer";
    EXPECT_EQ(backend->statusText(), QStringLiteral("Waiting for the desktop to bind the shortcut\u2026"));
    EXPECT_TRUE(desktop.bindings().isEmpty());

    backend->start();
    ASSERT_TRUE(reaches(*backend, State::Bound));
    EXPECT_EQ(backend->version(), 2u);
    ASSERT_EQ(desktop.bindings().size(), 1);
    EXPECT_EQ(desktop.bindings()[0].id, QStringLiteral("quick-entry"));
    EXPECT_EQ(desktop.bindings()[0].preferredTrigger, QStringLiteral("CTRL+ALT+e"));
    EXPECT_FALSE(desktop.bindings()[0].description.isEmpty());
    EXPECT_EQ(desktop.openSessions(), QStringList{desktop.bindings()[0].session});
    EXPECT_EQ(backend->assignedTrigger(), QStringLiteral("Ctrl+Alt+E"));
    EXPECT_FALSE(backend->desktopAssignedAnotherTrigger());
    EXPECT_EQ(backend->statusText(), QStringLiteral("The desktop bound the shortcut to Ctrl+Alt+E."));

    desktop.press(QStringLiteral("token-of-the-press"));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return pressed.tokens.size() == 1; }));
    letTheBusDeliver();
    EXPECT_EQ(pressed.tokens, QStringList{QStringLiteral("token-of-the-press")}) << "the release runs nothing";

    backend->setSuspended(true);
    desktop.press();
    letTheBusDeliver();
    EXPECT_EQ(pressed.tokens.size(), 1) << "not while the recorder records";
    backend->setSuspended(false);
    desktop.press();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return pressed.tokens.size() == 2; }));
    EXPECT_EQ(pressed.tokens.constLast(), QString()) << "a version 1 desktop gives no token";
}

TEST_F(PortalHotKeyBackendTest, AnotherCombinationIsBoundInASessionOfItsOwnAndTheOldOneCloses)
{
    FakeGlobalShortcutsPortal desktop;
    const auto backend = makeBackend();
    backend->start();
    ASSERT_TRUE(reaches(*backend, State::Idle));
    EXPECT_EQ(backend->statusText(), QString()) << "nothing recorded, nothing to say";
    EXPECT_TRUE(desktop.openSessions().isEmpty()) << "no session without a shortcut";

    const std::shared_ptr<KNVTHotKey> hotKey = pressed.make({14, 0x900});
    ASSERT_TRUE(center.registerHotKey(hotKey));
    ASSERT_TRUE(reaches(*backend, State::Bound));
    const QString first = desktop.openSessions().value(0);

    hotKey->setKeyCombo({31, 0x300});
    ASSERT_TRUE(center.registerHotKey(hotKey));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return backend->assignedTrigger() == QStringLiteral("Ctrl+Shift+O"); }));
    EXPECT_EQ(desktop.bindings().constLast().preferredTrigger, QStringLiteral("CTRL+SHIFT+o"));
    EXPECT_EQ(desktop.closedSessions(), QStringList{first});
    ASSERT_EQ(desktop.openSessions().size(), 1);
    EXPECT_NE(desktop.openSessions()[0], first);
    desktop.press();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return pressed.tokens.size() == 1; }));

    center.unregisterHotKey(hotKey);
    EXPECT_EQ(backend->state(), State::Idle);
    EXPECT_EQ(backend->statusText(), QString());
    ASSERT_TRUE(knvt::test::waitUntil([&] { return desktop.openSessions().isEmpty(); }))
        << "a cleared shortcut leaves no session";
}

TEST_F(PortalHotKeyBackendTest, ACombinationChangedBeforeTheDesktopAnsweredLeavesNoSessionBehind)
{
    FakeGlobalShortcutsPortal desktop;
    desktop.delayAnswers(150);
    const auto backend = makeBackend();
    backend->start();
    const std::shared_ptr<KNVTHotKey> hotKey = pressed.make({14, 0x900});
    ASSERT_TRUE(center.registerHotKey(hotKey));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return desktop.openSessions().size() == 1; }));
    ASSERT_EQ(backend->state(), State::Binding) << "the session is open at the desktop, its answer still to come";

    hotKey->setKeyCombo({31, 0x300});
    ASSERT_TRUE(center.registerHotKey(hotKey));
    ASSERT_TRUE(reaches(*backend, State::Bound));
    EXPECT_EQ(backend->assignedTrigger(), QStringLiteral("Ctrl+Shift+O"));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return desktop.closedSessions().size() == 1; }))
        << "the session opened for the first combination is closed when its answer comes";
    EXPECT_EQ(desktop.openSessions().size(), 1);
    EXPECT_EQ(desktop.bindings().size(), 1) << "only the new combination was bound";

    center.unregisterHotKey(hotKey);
    ASSERT_TRUE(knvt::test::waitUntil([&] { return desktop.openSessions().isEmpty(); }));
}

TEST_F(PortalHotKeyBackendTest, TheTriggerTheDesktopAssignedIsReportedInItsOwnWords)
{
    FakeGlobalShortcutsPortal desktop;
    desktop.assignTrigger(QStringLiteral("Ctrl+Alt+K"));
    const auto backend = makeBackend();
    backend->start();
    ASSERT_TRUE(center.registerHotKey(pressed.make({14, 0x900})));
    ASSERT_TRUE(reaches(*backend, State::Bound));
    EXPECT_EQ(backend->assignedTrigger(), QStringLiteral("Ctrl+Alt+K"));
    EXPECT_TRUE(backend->desktopAssignedAnotherTrigger());
    EXPECT_EQ(backend->statusText(),
              QStringLiteral("The desktop assigned Ctrl+Alt+K instead of the recorded shortcut."));

    // The user changes it in the desktop's settings, back to the recorded keys and to others.
    desktop.changeTrigger(QStringLiteral("Alt+Ctrl+E"));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return backend->assignedTrigger() == QStringLiteral("Alt+Ctrl+E"); }));
    EXPECT_FALSE(backend->desktopAssignedAnotherTrigger()) << "the same keys in another order";
    EXPECT_EQ(backend->statusText(), QStringLiteral("The desktop bound the shortcut to Alt+Ctrl+E."));
    desktop.changeTrigger(QStringLiteral("Meta+J"));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return backend->desktopAssignedAnotherTrigger(); }));
    EXPECT_EQ(backend->statusText(), QStringLiteral("The desktop assigned Meta+J instead of the recorded shortcut."));
}

TEST_F(PortalHotKeyBackendTest, ARefusalAnErrorOrNoAnswerLeavesNoGlobalKeyAndSaysWhy)
{
    struct Case
    {
        FakeGlobalShortcutsPortal::Mode mode;
        State state;
        const char *says;
    };
    const Case cases[] = {
        {FakeGlobalShortcutsPortal::Mode::Refuse, State::Refused, "it was refused or left without a key"},
        {FakeGlobalShortcutsPortal::Mode::LeaveUnbound, State::Refused, "it was refused or left without a key"},
        {FakeGlobalShortcutsPortal::Mode::Error, State::Failed, "the desktop reported an error"},
        {FakeGlobalShortcutsPortal::Mode::Silent, State::Failed, "the desktop did not answer"},
    };
    for (const Case &c : cases) {
        FakeGlobalShortcutsPortal desktop;
        desktop.setMode(c.mode);
        const auto backend = makeBackend();
        backend->start();
        ASSERT_TRUE(center.registerHotKey(pressed.make({14, 0x900})));
        ASSERT_TRUE(reaches(*backend, c.state)) << c.says;
        EXPECT_TRUE(backend->statusText().contains(QLatin1String(c.says))) << backend->statusText().toStdString();
        EXPECT_TRUE(backend->statusText().endsWith(QStringLiteral("There is no global key."))) << c.says;
        EXPECT_TRUE(backend->assignedTrigger().isEmpty());
        desktop.press();
        letTheBusDeliver();
        EXPECT_TRUE(pressed.tokens.isEmpty()) << c.says;
        center.setBackend(nullptr);
    }
}

TEST_F(PortalHotKeyBackendTest, APortalThatIsMissingOrLeavesTheBusLeavesNoGlobalKey)
{
    {
        const auto backend = makeBackend();
        QSignalSpy probed(backend.get(), &PortalHotKeyBackend::probed);
        backend->start();
        ASSERT_TRUE(knvt::test::waitUntil([&] { return probed.count() == 1; }));
        EXPECT_FALSE(probed.at(0).at(0).toBool());
        EXPECT_EQ(backend->state(), State::Unavailable);
        EXPECT_FALSE(backend->isAvailable());
        EXPECT_EQ(backend->statusText(),
                  QStringLiteral("Global shortcuts are unavailable: this desktop offers no global shortcuts portal."));
        EXPECT_FALSE(center.registerHotKey(pressed.make({14, 0x900})));
    }
    {
        FakeGlobalShortcutsPortal desktop(1, false);
        ASSERT_TRUE(desktop.isRegistered());
        const auto backend = makeBackend();
        backend->start();
        ASSERT_TRUE(reaches(*backend, State::Unavailable)) << "a desktop portal without global shortcuts";
    }
    {
        FakeGlobalShortcutsPortal desktop;
        const auto backend = makeBackend();
        backend->start();
        ASSERT_TRUE(center.registerHotKey(pressed.make({14, 0x900})));
        ASSERT_TRUE(reaches(*backend, State::Bound));
        desktop.vanish();
        ASSERT_TRUE(reaches(*backend, State::Vanished));
        EXPECT_FALSE(backend->isAvailable());
        EXPECT_EQ(backend->statusText(),
                  QStringLiteral("The desktop's global shortcuts portal has stopped. There is "
                                 "no global key until it starts again."));
        desktop.press();
        letTheBusDeliver();
        EXPECT_TRUE(pressed.tokens.isEmpty());
    }
    {
        FakeGlobalShortcutsPortal desktop;
        desktop.setMode(FakeGlobalShortcutsPortal::Mode::Silent);
        const auto backend = makeBackend();
        backend->start();
        ASSERT_TRUE(center.registerHotKey(pressed.make({14, 0x900})));
        ASSERT_TRUE(reaches(*backend, State::Binding));
        desktop.vanish();
        ASSERT_TRUE(reaches(*backend, State::Vanished)) << "while the desktop was asking the user";
    }
}

// An upgrade restarts the portal: its sessions are gone, and the one that owns the name next binds the shortcut again,
// also one recorded while there was none.
TEST_F(PortalHotKeyBackendTest, APortalThatComesBackOnTheBusBindsTheShortcutAgain)
{
    auto desktop = std::make_unique<FakeGlobalShortcutsPortal>(2);
    const auto backend = makeBackend();
    QSignalSpy probed(backend.get(), &PortalHotKeyBackend::probed);
    backend->start();
    const std::shared_ptr<KNVTHotKey> first = pressed.make({14, 0x900});
    ASSERT_TRUE(center.registerHotKey(first));
    ASSERT_TRUE(reaches(*backend, State::Bound));

    desktop->vanish();
    ASSERT_TRUE(reaches(*backend, State::Vanished));
    desktop = std::make_unique<FakeGlobalShortcutsPortal>(2);
    ASSERT_TRUE(desktop->isRegistered());
    ASSERT_TRUE(reaches(*backend, State::Bound)) << "bound with the portal that came back";
    ASSERT_EQ(desktop->bindings().size(), 1);
    EXPECT_EQ(desktop->bindings()[0].preferredTrigger, QStringLiteral("CTRL+ALT+e"));
    EXPECT_EQ(desktop->openSessions(), QStringList{desktop->bindings()[0].session});
    EXPECT_EQ(backend->statusText(), QStringLiteral("The desktop bound the shortcut to Ctrl+Alt+E."));
    desktop->press(QStringLiteral("after-the-restart"));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return pressed.tokens.size() == 1; }));
    EXPECT_EQ(pressed.tokens.constFirst(), QStringLiteral("after-the-restart"));

    desktop->vanish();
    ASSERT_TRUE(reaches(*backend, State::Vanished));
    center.unregisterHotKey(first);
    ASSERT_TRUE(center.registerHotKey(pressed.make({31, 0x300}))) << "recorded while the portal is away";
    desktop = std::make_unique<FakeGlobalShortcutsPortal>(1);
    ASSERT_TRUE(reaches(*backend, State::Bound));
    ASSERT_EQ(desktop->bindings().size(), 1);
    EXPECT_EQ(desktop->bindings()[0].preferredTrigger, QStringLiteral("CTRL+SHIFT+o"));
    EXPECT_EQ(probed.count(), 3) << "asked at the start and after each return";
}

TEST_F(PortalHotKeyBackendTest, TheSessionChoosesThePortalOnWaylandAndFallsBackWhenItDoesNotAnswer)
{
    knvt::test::FakeHotKeyBackend x11;
    x11.setAvailable(true);
    const PortalHotKeyBackend::Timeouts quick{2, 2, 2};
    {
        FakeGlobalShortcutsPortal desktop;
        knvt::HotKeyBackendSelector selector({QStringLiteral("wayland"), true, false, false, {}, {}}, &x11, bus(),
                                             quick);
        QSignalSpy chosen(&selector, &knvt::HotKeyBackendSelector::chosen);
        selector.start();
        ASSERT_NE(selector.portal(), nullptr);
        EXPECT_EQ(center.backend(), selector.portal()) << "at once, so the start's registration waits for it";
        ASSERT_TRUE(center.registerHotKey(pressed.make({14, 0x900})));
        ASSERT_TRUE(knvt::test::waitUntil([&] { return chosen.count() == 1; }));
        EXPECT_EQ(selector.choice(), HotKeyBackendKind::Portal);
        EXPECT_EQ(selector.session().portalVersion, 1u);
        ASSERT_TRUE(reaches(*selector.portal(), State::Bound));
        EXPECT_TRUE(x11.grabs().isEmpty());
    }
    {
        // No portal, and an X server Qt talks to.
        knvt::HotKeyBackendSelector selector({QStringLiteral("wayland"), true, true, true, {}, {}}, &x11, bus(), quick);
        QSignalSpy chosen(&selector, &knvt::HotKeyBackendSelector::chosen);
        selector.start();
        ASSERT_TRUE(center.registerHotKey(pressed.make({14, 0x900})));
        ASSERT_TRUE(knvt::test::waitUntil([&] { return chosen.count() == 1; }));
        EXPECT_EQ(selector.choice(), HotKeyBackendKind::X11);
        EXPECT_EQ(center.backend(), &x11);
        EXPECT_TRUE(x11.isGrabbed(14, 0x900)) << "the hot key moved along";
    }
    {
        // No portal and no X server: the portal's status says why there is no global key.
        knvt::HotKeyBackendSelector selector({QStringLiteral("wayland"), true, false, false, {}, {}}, &x11, bus(),
                                             quick);
        QSignalSpy chosen(&selector, &knvt::HotKeyBackendSelector::chosen);
        selector.start();
        ASSERT_TRUE(knvt::test::waitUntil([&] { return chosen.count() == 1; }));
        EXPECT_EQ(selector.choice(), HotKeyBackendKind::None);
        ASSERT_EQ(center.backend(), selector.portal());
        EXPECT_FALSE(center.backend()->isAvailable());
        EXPECT_TRUE(center.backend()->statusText().startsWith(QStringLiteral("Global shortcuts are unavailable")));
    }
    {
        // An X session never asks the portal.
        FakeGlobalShortcutsPortal desktop;
        knvt::HotKeyBackendSelector selector({QStringLiteral("xcb"), false, true, true, {}, {}}, &x11, bus(), quick);
        selector.start();
        EXPECT_EQ(selector.choice(), HotKeyBackendKind::X11);
        EXPECT_EQ(selector.portal(), nullptr);
        EXPECT_EQ(center.backend(), &x11);
        EXPECT_TRUE(desktop.openSessions().isEmpty());
    }
}
