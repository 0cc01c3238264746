#include "hotkeys/X11HotKeyBackend.h"
#include "hotkeys/KNVTHotKey.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTKeyCodeTransformer.h"
#include "hotkeys/ShortcutStrings.h"
#include "hotkeys/X11KeyboardLayout.h"
#include "support/OtherXClient.h"
#include "support/WaitUntil.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

using knvt::test::OtherXClient;
using knvt::test::waitUntil;

namespace {

constexpr quint32 kCmd = 0x100;
constexpr quint32 kShift = 0x200;
constexpr quint32 kOption = 0x800;

void setLayout(const QString &layout)
{
    QProcess::execute(QStringLiteral("setxkbmap"), {layout});
}

// The real keyboard of the private X server: Qt's connection for this process, another client beside it.
class X11HotKeyBackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_TRUE(other.isConnected());
        layout = knvt::X11KeyboardLayout::create();
        ASSERT_NE(layout, nullptr);
        knvt::KeyboardLayoutSource::setCurrent(layout.get());
        backend = std::make_unique<knvt::X11HotKeyBackend>(layout.get());
        KNVTHotKeyCenter::sharedCenter().setBackend(backend.get());
        other.showFocusedWindow();
    }
    void TearDown() override
    {
        KNVTHotKeyCenter::sharedCenter().setBackend(nullptr);
        backend.reset();
        knvt::KeyboardLayoutSource::setCurrent(nullptr);
        layout.reset();
    }

    std::shared_ptr<KNVTHotKey> hotKey(KNVTKeyCombo combo)
    {
        return std::make_shared<KNVTHotKey>(QStringLiteral("quick"), combo, &target,
                                            [this](KNVTHotKey *) { ++presses; });
    }
    // Lets the events of the server reach this process; nothing may arrive for a press that must not fire.
    void settle()
    {
        waitUntil([] { return false; }, std::chrono::milliseconds(150));
    }

    OtherXClient other;
    std::unique_ptr<knvt::X11KeyboardLayout> layout;
    std::unique_ptr<knvt::X11HotKeyBackend> backend;
    QObject target;
    int presses = 0;
};

} // namespace

TEST_F(X11HotKeyBackendTest, ARegisteredChordFiresWhileAnotherProgramHasTheFocus)
{
    ASSERT_TRUE(other.hasFocus());
    const auto quick = hotKey({31, kCmd | kShift});
    ASSERT_TRUE(KNVTHotKeyCenter::sharedCenter().registerHotKey(quick));

    other.press(QStringLiteral("Ctrl+Shift+O"));
    ASSERT_TRUE(waitUntil([this] { return presses == 1; }));
    EXPECT_NE(KNVTHotKeyCenter::sharedCenter().currentEventTime(), 0u) << "the server's time of the press";

    other.press(QStringLiteral("Ctrl+Shift+O"), 1200);
    settle();
    EXPECT_EQ(presses, 2) << "a held chord fires once";

    other.toggleCapsLock();
    other.press(QStringLiteral("Ctrl+Shift+O"));
    settle();
    other.toggleCapsLock();
    EXPECT_EQ(presses, 3) << "Caps Lock does not get in the way";

    other.press(QStringLiteral("Ctrl+O"));
    other.press(QStringLiteral("Ctrl+Shift+P"));
    settle();
    EXPECT_EQ(presses, 3) << "other chords are not ours";

    KNVTHotKeyCenter::sharedCenter().unregisterHotKey(quick);
    other.press(QStringLiteral("Ctrl+Shift+O"));
    settle();
    EXPECT_EQ(presses, 3);
    EXPECT_TRUE(other.grab(QStringLiteral("Ctrl+Shift+O"))) << "nothing of ours is left on the key";
    other.ungrab(QStringLiteral("Ctrl+Shift+O"));
}

TEST_F(X11HotKeyBackendTest, ChordsAnotherProgramHoldsAreRefusedAndOursAreNotReportedAsHeld)
{
    ASSERT_TRUE(other.grab(QStringLiteral("Ctrl+Alt+U")));
    EXPECT_TRUE(backend->isChordHeldElsewhere(32, kCmd | kOption));
    EXPECT_FALSE(KNVTHotKeyCenter::sharedCenter().registerHotKey(hotKey({32, kCmd | kOption})));
    EXPECT_FALSE(backend->isChordHeldElsewhere(32, kCmd | kOption | kShift));
    other.ungrab(QStringLiteral("Ctrl+Alt+U"));

    const auto quick = hotKey({31, kCmd | kShift});
    ASSERT_TRUE(KNVTHotKeyCenter::sharedCenter().registerHotKey(quick));
    EXPECT_FALSE(backend->isChordHeldElsewhere(31, kCmd | kShift)) << "our own chord";
    EXPECT_FALSE(other.grab(QStringLiteral("Ctrl+Shift+O"))) << "the probe left our grab in place";
    other.press(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_TRUE(waitUntil([this] { return presses == 1; }));
}

TEST_F(X11HotKeyBackendTest, SuspendedChordsReachTheFocusedWindow)
{
    const auto quick = hotKey({31, kCmd | kShift});
    ASSERT_TRUE(KNVTHotKeyCenter::sharedCenter().registerHotKey(quick));
    KNVTHotKeyCenter::sharedCenter().setSuspended(true);
    KNVTHotKeyCenter::sharedCenter().setSuspended(true);
    EXPECT_TRUE(other.grab(QStringLiteral("Ctrl+Shift+O")));
    other.ungrab(QStringLiteral("Ctrl+Shift+O"));
    other.press(QStringLiteral("Ctrl+Shift+O"));
    settle();
    EXPECT_EQ(presses, 0);
    KNVTHotKeyCenter::sharedCenter().setSuspended(false);
    other.press(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_TRUE(waitUntil([this] { return presses == 1; }));
}

TEST_F(X11HotKeyBackendTest, ALayoutChangeRelabelsKeysAndKeepsChordsOnTheirKeys)
{
    const auto quick = hotKey({12, kCmd | kOption});
    ASSERT_TRUE(KNVTHotKeyCenter::sharedCenter().registerHotKey(quick));
    EXPECT_EQ(KNVTKeyCodeDisplayString(12), QStringLiteral("Q"));

    QSignalSpy reloaded(layout.get(), &knvt::X11KeyboardLayout::keymapChanged);
    setLayout(QStringLiteral("fr"));
    ASSERT_TRUE(waitUntil([&] { return KNVTKeyCodeDisplayString(12) == QStringLiteral("A"); }));
    EXPECT_GE(reloaded.count(), 1);
    EXPECT_EQ(KNVTKeyCodeTransformer().reverse(QStringLiteral("A")), 12);
    other.press(QStringLiteral("Ctrl+Alt+AD01"));
    EXPECT_TRUE(waitUntil([this] { return presses == 1; })) << "the chord stays on its physical key";

    setLayout(QStringLiteral("us,de"));
    ASSERT_TRUE(waitUntil([&] { return KNVTKeyCodeDisplayString(12) == QStringLiteral("Q"); }));
    EXPECT_EQ(KNVTKeyCodeDisplayString(16), QStringLiteral("Y"));
    other.lockGroup(1);
    EXPECT_TRUE(waitUntil([&] { return KNVTKeyCodeDisplayString(16) == QStringLiteral("Z"); }))
        << "a switch to the second layout relabels the keys";
    EXPECT_EQ(KNVTKeyCodeTransformer().reverse(QStringLiteral("Z")), 16);
    other.press(QStringLiteral("Ctrl+Alt+AD01"));
    EXPECT_TRUE(waitUntil([this] { return presses == 2; }));
    other.lockGroup(0);
    setLayout(QStringLiteral("us"));
    EXPECT_TRUE(waitUntil([&] { return KNVTKeyCodeDisplayString(16) == QStringLiteral("Y"); }));
}
