#include "uikit/WindowSystem.h"

#include "uikit/XcbAtom.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace knvt {

namespace {

WindowSystem *installed = nullptr;

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

std::vector<xcb_atom_t> protocols(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property)
{
    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply != nullptr && reply->format == 32) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        atoms.assign(values, values + xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t)));
    }
    std::free(reply);
    return atoms;
}

// A window manager gives the keyboard to a window that accepts input (ICCCM's input hint) or that it may ask to take
// it (WM_TAKE_FOCUS): Qt's windows say both. One that says neither is never given the keyboard, neither when it maps,
// nor late, nor as the window manager's pick when another closes; a click in it still reaches the application.
void acceptKeyboardFromWindowManager(QWidget *window, bool accept)
{
    QWindow *handle = window->windowHandle();
    if (handle == nullptr)
        return;
    handle->setFlag(Qt::WindowDoesNotAcceptFocus, !accept);
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr)
        return;
    const xcb_atom_t property = xcbAtom(connection, "WM_PROTOCOLS");
    const xcb_atom_t takeFocus = xcbAtom(connection, "WM_TAKE_FOCUS");
    const auto xid = xcb_window_t(handle->winId());
    std::vector<xcb_atom_t> atoms = protocols(connection, xid, property);
    std::erase(atoms, takeFocus);
    if (accept)
        atoms.push_back(takeFocus);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xid, property, XCB_ATOM_ATOM, 32, quint32(atoms.size()),
                        atoms.data());
    xcb_flush(connection);
}

// Whether a window manager runs on the X server: it announces itself on the root window.
bool windowManagerRuns(xcb_connection_t *connection)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t check = xcbAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, screen->root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool runs = reply != nullptr && xcb_get_property_value_length(reply) >= int(sizeof(xcb_window_t));
    std::free(reply);
    return runs;
}

} // namespace

WindowSystem::~WindowSystem() = default;

void WindowSystem::showActive(QWidget *window)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    window->show();
    window->raise();
    window->activateWindow();
}

void WindowSystem::showInactive(QWidget *window)
{
    // Qt then maps it with a user time of 0, which window managers that prevent focus stealing leave alone.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->winId();
    acceptKeyboardFromWindowManager(window, false);
    window->show();
    window->raise();
}

void WindowSystem::allowKeyboard(QWidget *window)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    acceptKeyboardFromWindowManager(window, true);
}

void WindowSystem::activate(QWidget *window)
{
    window->activateWindow();
}

bool WindowSystem::picksAWindowWhenOneCloses() const
{
    // An X window manager focuses the last window it focused; with none, the keyboard goes nowhere until asked for.
    // Other platforms hand it to the window the application asks for.
    xcb_connection_t *connection = x11Connection();
    return connection != nullptr && windowManagerRuns(connection);
}

WindowSystem &WindowSystem::shared()
{
    static WindowSystem real;
    return installed != nullptr ? *installed : real;
}

void WindowSystem::setShared(WindowSystem *system)
{
    installed = system;
}

} // namespace knvt
