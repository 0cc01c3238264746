#include "hotkeys/HotKeySession.h"

#include <gtest/gtest.h>

using knvt::HotKeyBackendKind;
using knvt::HotKeySession;

TEST(HotKeySession, TheBackendFollowsTheSessionAndThePortalsAnswer)
{
    struct Case
    {
        const char *what;
        HotKeySession session;
        HotKeyBackendKind expected;
    };
    const Case cases[] = {
        {"Qt on Wayland, the portal answered", {"wayland", true, false, false, 1}, HotKeyBackendKind::Portal},
        {"Qt on Wayland, version 2", {"wayland", true, true, false, 2}, HotKeyBackendKind::Portal},
        {"a Wayland display without an X one", {"offscreen", true, false, false, 1}, HotKeyBackendKind::Portal},
        {"Qt on Wayland, no portal", {"wayland", true, false, false, std::nullopt}, HotKeyBackendKind::None},
        {"Qt on Wayland, a portal of version 0", {"wayland", true, false, false, 0u}, HotKeyBackendKind::None},
        {"Qt on Wayland, no portal, an X server", {"wayland", true, true, true, std::nullopt}, HotKeyBackendKind::X11},
        {"Qt on XWayland in a Wayland session", {"xcb", true, true, true, 1}, HotKeyBackendKind::X11},
        {"an X session", {"xcb", false, true, true, std::nullopt}, HotKeyBackendKind::X11},
        {"an X display Qt does not use", {"offscreen", false, true, false, std::nullopt}, HotKeyBackendKind::None},
        {"no display at all", {"offscreen", false, false, false, std::nullopt}, HotKeyBackendKind::None},
    };
    for (const Case &c : cases)
        EXPECT_EQ(knvt::chooseHotKeyBackend(c.session), c.expected) << c.what;

    EXPECT_TRUE((HotKeySession{"wayland", false, true, false, {}}).isWayland()) << "the platform says so";
    EXPECT_TRUE((HotKeySession{"offscreen", true, false, false, {}}).isWayland());
    EXPECT_FALSE((HotKeySession{"xcb", true, true, true, {}}).isWayland()) << "X is there too and Qt uses it";
}
