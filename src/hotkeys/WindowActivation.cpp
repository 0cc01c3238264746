#include "hotkeys/WindowActivation.h"

#include "uikit/XcbAtom.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace knvt {

namespace {

// Asks the window manager, as an application (source 1) acting on a user's key press at `time`, to activate the
// window.
void requestActiveWindow(xcb_connection_t *connection, xcb_window_t window, quint32 time)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(setup).data;
    const xcb_atom_t userTime = xcbAtom(connection, "_NET_WM_USER_TIME");
    if (userTime != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, userTime, XCB_ATOM_CARDINAL, 32, 1, &time);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = xcbAtom(connection, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 1;
    message.data.data32[1] = time;
    message.data.data32[2] = XCB_NONE;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

} // namespace

void bringWindowForward(QWidget *window, quint32 userTime, const QString &activationToken)
{
    if (window == nullptr)
        return;
    window->show();
    window->raise();
    // Qt 6.4 has no call that hands a token to a window; its xdg-shell integration reads the variable when the
    // window asks to be activated, and clears it once used.
    if (!activationToken.isEmpty() && QGuiApplication::platformName() == QLatin1String("wayland"))
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    window->activateWindow();
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 != nullptr && x11->connection() != nullptr && userTime != 0 && window->windowHandle() != nullptr)
        requestActiveWindow(x11->connection(), xcb_window_t(window->windowHandle()->winId()), userTime);
}

} // namespace knvt
