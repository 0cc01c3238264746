#include "hotkeys/CompiledKeyboardLayout.h"
#include "hotkeys/GlobalShortcutsPortal.h"
#include "hotkeys/MacKeyCodes.h"
#include "support/ScopedEnvironmentVariable.h"

#include <gtest/gtest.h>

using knvt::CompiledKeyboardLayout;

// Without an X server the trigger asked of the desktop names the recorded key by what the session's layout puts on
// it: the key right of T is Z on a German keyboard, and the desktop must hear "z" to bind that key.
TEST(CompiledKeyboardLayout, TheTriggerNamesTheRecordedKeyOnTheLayoutTheSessionNames)
{
    struct Case
    {
        const char *layout;
        const char *variant;
        int keyCode;
        quint32 modifiers;
        const char *trigger;
    };
    const quint32 cmd = knvt::kCarbonCommand;
    const Case cases[] = {
        {"", "", 16, cmd, "CTRL+y"},
        {"us", "", 16, cmd | knvt::kCarbonOption, "CTRL+ALT+y"},
        {"de", "", 16, cmd | knvt::kCarbonOption, "CTRL+ALT+z"},
        {"de", "", 6, cmd, "CTRL+y"},
        {"de,us", "", 16, cmd, "CTRL+z"},
        {"fr", "", 12, cmd | knvt::kCarbonShift, "CTRL+SHIFT+a"},
        {"fr", "", 0, knvt::kCarbonControl, "LOGO+q"},
        {"us", "dvorak", 12, cmd, "CTRL+apostrophe"},
        {"ru", "", 12, cmd, "CTRL+Cyrillic_shorti"},
    };
    {
        knvt::test::ScopedEnvironmentVariable layout("XKB_DEFAULT_LAYOUT");
        knvt::test::ScopedEnvironmentVariable variant("XKB_DEFAULT_VARIANT");
        for (const Case &c : cases) {
            layout.set(c.layout);
            variant.set(c.variant);
            const std::unique_ptr<CompiledKeyboardLayout> session =
                CompiledKeyboardLayout::ofSession(QDBusConnection(QString()));
            ASSERT_NE(session->keymap(), nullptr) << c.layout;
            EXPECT_EQ(session->names().layouts, QString::fromLatin1(c.layout));
            knvt::KeyboardLayoutSource::setCurrent(session.get());
            EXPECT_EQ(knvt::portal::triggerFor(c.keyCode, c.modifiers), QString::fromLatin1(c.trigger))
                << c.layout << " " << c.variant << " key " << c.keyCode;
            knvt::KeyboardLayoutSource::setCurrent(nullptr);
        }
    }

    const CompiledKeyboardLayout unknown(
        CompiledKeyboardLayout::Names{{}, {}, QStringLiteral("no-such-layout"), {}, {}});
    EXPECT_EQ(unknown.keymap(), nullptr) << "a layout xkbcommon does not know compiles nothing";
}
