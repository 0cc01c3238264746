#include "hotkeys/HotKeySession.h"

#include "hotkeys/GlobalShortcutsPortal.h"

#include <QGuiApplication>

namespace knvt {

bool HotKeySession::isWayland() const
{
    return platformName == QLatin1String("wayland")
        || sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 || waylandDisplay;
}

HotKeySession HotKeySession::current(bool xServer)
{
    HotKeySession session;
    session.platformName = QGuiApplication::platformName();
    session.waylandDisplay = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    session.xDisplay = !qEnvironmentVariableIsEmpty("DISPLAY");
    session.xServer = xServer;
    session.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
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
