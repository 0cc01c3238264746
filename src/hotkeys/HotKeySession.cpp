#include "hotkeys/HotKeySession.h"

#include "hotkeys/GlobalShortcutsPortal.h"

#include <QGuiApplication>

namespace knvt {

bool HotKeySession::isWayland() const
{
    return platformName == QLatin1String("wayland") || (waylandDisplay && !xDisplay);
}

HotKeySession HotKeySession::current(bool xServer)
{
    HotKeySession session;
    session.platformName = QGuiApplication::platformName();
    session.waylandDisplay = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    session.xDisplay = !qEnvironmentVariableIsEmpty("DISPLAY");
    session.xServer = xServer;
    return session;
}

HotKeyBackendKind chooseHotKeyBackend(const HotKeySession &session)
{
    if (session.isWayland() && session.portalVersion && *session.portalVersion >= portal::RequiredVersion)
        return HotKeyBackendKind::Portal;
    if (session.xServer)
        return HotKeyBackendKind::X11;
    return HotKeyBackendKind::None;
}

} // namespace knvt
