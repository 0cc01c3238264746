#include "hotkeys/HotKeySession.h"
#include "support/ScopedEnvironmentVariable.h"

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
        {"Qt on Wayland, the portal answered", {"wayland", true, false, false, 1, {}}, HotKeyBackendKind::Portal},
        {"Qt on Wayland, version 2", {"wayland", true, true, false, 2, {}}, HotKeyBackendKind::Portal},
        {"a Wayland display without an X one", {"offscreen", true, false, false, 1, {}}, HotKeyBackendKind::Portal},
        {"Qt on Wayland, no portal", {"wayland", true, false, false, std::nullopt, {}}, HotKeyBackendKind::None},
        {"Qt on Wayland, a portal of version 0", {"wayland", true, false, false, 0u, {}}, HotKeyBackendKind::None},
        {"Qt on Wayland, no portal, an X server",
         {"wayland", true, true, true, std::nullopt, {}},
         HotKeyBackendKind::X11},
        {"Qt on XWayland in a Wayland session", {"xcb", true, true, true, 1, {}}, HotKeyBackendKind::Portal},
        {"XWayland, a portal without global shortcuts",
         {"xcb", true, true, true, std::nullopt, {}},
         HotKeyBackendKind::X11},
        {"XWayland, the login session says Wayland",
         {"xcb", false, true, true, 1, "wayland"},
         HotKeyBackendKind::Portal},
        {"an X login session", {"xcb", false, true, true, 1, "x11"}, HotKeyBackendKind::X11},
        {"an X session", {"xcb", false, true, true, std::nullopt, {}}, HotKeyBackendKind::X11},
        {"an X display Qt does not use", {"offscreen", false, true, false, std::nullopt, {}}, HotKeyBackendKind::None},
        {"no display at all", {"offscreen", false, false, false, std::nullopt, {}}, HotKeyBackendKind::None},
    };
    for (const Case &c : cases)
        EXPECT_EQ(knvt::chooseHotKeyBackend(c.session), c.expected) << c.what;

    EXPECT_TRUE((HotKeySession{"wayland", false, true, false, {}, {}}).isWayland()) << "the platform says so";
    EXPECT_TRUE((HotKeySession{"offscreen", true, false, false, {}, {}}).isWayland());
    EXPECT_TRUE((HotKeySession{"xcb", true, true, true, {}, {}}).isWayland()) << "X is XWayland there";
    EXPECT_FALSE((HotKeySession{"xcb", false, true, true, {}, {}}).isWayland());
}

// What the start reads from its environment: the session type and the Wayland display, whichever platform Qt uses.
TEST(HotKeySession, AWaylandSessionIsKnownFromItsEnvironmentAndTriesThePortalFirst)
{
    struct Case
    {
        const char *sessionType;
        const char *waylandDisplay;
        bool xServer;
        bool portalAnswers;
        HotKeyBackendKind expected;
    };
    const Case cases[] = {
        {"wayland", "wayland-0", true, true, HotKeyBackendKind::Portal},
        {"wayland", "", true, true, HotKeyBackendKind::Portal},
        {"", "wayland-1", true, true, HotKeyBackendKind::Portal},
        {"wayland", "wayland-0", true, false, HotKeyBackendKind::X11},
        {"wayland", "wayland-0", false, false, HotKeyBackendKind::None},
        {"x11", "", true, true, HotKeyBackendKind::X11},
        {"", "", true, true, HotKeyBackendKind::X11},
        {"tty", "", false, true, HotKeyBackendKind::None},
    };
    knvt::test::ScopedEnvironmentVariable sessionType("XDG_SESSION_TYPE");
    knvt::test::ScopedEnvironmentVariable waylandDisplay("WAYLAND_DISPLAY");
    for (const Case &c : cases) {
        sessionType.set(c.sessionType);
        waylandDisplay.set(c.waylandDisplay);
        HotKeySession session = HotKeySession::current(c.xServer);
        if (c.portalAnswers)
            session.portalVersion = 1;
        EXPECT_EQ(knvt::chooseHotKeyBackend(session), c.expected)
            << c.sessionType << " / " << c.waylandDisplay << (c.xServer ? " with" : " without") << " an X server";
    }
}
