#pragma once

#include <QString>

#include <optional>

namespace knvt {

// Where global hot keys can come from in this session: what the start-up looks at to choose a backend.
struct HotKeySession
{
    QString platformName;              // Qt's platform plugin: "xcb", "wayland", "offscreen"
    bool waylandDisplay = false;       // WAYLAND_DISPLAY is set
    bool xDisplay = false;             // DISPLAY is set
    bool xServer = false;              // Qt is connected to an X server, whose keys can be grabbed
    std::optional<uint> portalVersion; // the GlobalShortcuts portal's version, once it answered
    QString sessionType;               // XDG_SESSION_TYPE: "wayland", "x11", "tty" or empty

    // A Wayland session: the login session says so, a Wayland display is there, or Qt runs on Wayland. An X server
    // next to it is XWayland, whose grabs see only the keys typed into X programs.
    bool isWayland() const;

    // This process's session; the portal's version is not asked here.
    static HotKeySession current(bool xServer);
};

enum class HotKeyBackendKind {
    Portal, // the desktop's GlobalShortcuts portal
    X11,    // key grabs on the X server
    None,   // no global hot keys; the preferences say why
};

// The portal in a Wayland session whose portal answered with a usable version; otherwise X11 where Qt talks to an X
// server; otherwise none.
HotKeyBackendKind chooseHotKeyBackend(const HotKeySession &session);

} // namespace knvt
