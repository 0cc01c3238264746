// The layout of a session without an X server, read from the system's keyboard settings (a fake systemd-localed on
// the private session bus, inside scripts/with-keyring).

#include "hotkeys/CompiledKeyboardLayout.h"
#include "hotkeys/GlobalShortcutsPortal.h"
#include "hotkeys/MacKeyCodes.h"
#include "support/FakeLocaleService.h"
#include "support/ScopedEnvironmentVariable.h"

#include <gtest/gtest.h>

using knvt::CompiledKeyboardLayout;

TEST(SessionKeyboardLayout, WithoutNamesFromTheSessionTheSystemsKeyboardSettingsNameTheKeys)
{
    knvt::test::ScopedEnvironmentVariable layout("XKB_DEFAULT_LAYOUT");
    layout.unset();
    const QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << "run inside scripts/with-keyring";
    {
        knvt::test::FakeLocaleService system(QStringLiteral("de"), QStringLiteral("nodeadkeys"));
        ASSERT_TRUE(system.isRegistered());
        const CompiledKeyboardLayout::Names names = CompiledKeyboardLayout::sessionNames(bus);
        EXPECT_EQ(names.layouts, QStringLiteral("de"));
        EXPECT_EQ(names.variants, QStringLiteral("nodeadkeys"));
        EXPECT_EQ(names.model, QStringLiteral("pc105"));
        const std::unique_ptr<CompiledKeyboardLayout> session = CompiledKeyboardLayout::ofSession(bus);
        knvt::KeyboardLayoutSource::setCurrent(session.get());
        EXPECT_EQ(knvt::portal::triggerFor(16, knvt::kCarbonCommand), QStringLiteral("CTRL+z"));
        EXPECT_EQ(knvt::portal::triggerFor(24, knvt::kCarbonCommand), QStringLiteral("CTRL+acute"))
            << "the variant without dead keys";
        knvt::KeyboardLayoutSource::setCurrent(nullptr);

        layout.set("fr");
        EXPECT_EQ(CompiledKeyboardLayout::sessionNames(bus).layouts, QStringLiteral("fr"))
            << "the session's own names come first";
        layout.unset();
    }
    EXPECT_EQ(CompiledKeyboardLayout::sessionNames(bus).layouts, QString()) << "no settings: xkbcommon's default";
}
