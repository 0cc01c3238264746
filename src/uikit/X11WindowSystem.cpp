#include "uikit/X11WindowSystem.h"

#include "uikit/X11WaitingWindows.h"
#include "uikit/XcbAtom.h"
#include "uikit/XcbInputFocus.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace knvt {

namespace {

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
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

// Whether the window manager maps `window` and hears its requests for the keyboard: not a pop-up it never sees.
bool managedWindow(const QWidget *window)
{
    const Qt::WindowType type = window->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen
        && !window->windowFlags().testFlag(Qt::X11BypassWindowManagerHint);
}

// Whether the window manager says it supports `feature` (_NET_SUPPORTED on the root window).
bool windowManagerSupports(xcb_connection_t *connection, const char *feature)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t wanted = xcbAtom(connection, feature);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, screen->root, xcbAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 1024),
        nullptr);
    bool supports = false;
    if (reply != nullptr) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        supports = std::find(atoms, atoms + count, wanted) != atoms + count;
    }
    std::free(reply);
    return supports;
}

// The frame the window manager wrote on `window` (left, right, top, bottom); false while it wrote none.
bool readFrameExtents(xcb_connection_t *connection, xcb_window_t window, QMargins *margins)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, xcbAtom(connection, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4),
        nullptr);
    const bool written = reply != nullptr && xcb_get_property_value_length(reply) >= int(4 * sizeof(uint32_t));
    if (written) {
        const auto *extents = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        *margins = QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3]));
    }
    std::free(reply);
    return written;
}

// Asks the window manager to write the frame it will put around the unmapped `window` (_NET_REQUEST_FRAME_EXTENTS).
void requestFrameExtents(xcb_connection_t *connection, xcb_window_t window)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = window;
    request.type = xcbAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&request));
    xcb_flush(connection);
}

// Sends the application the FocusIn of `window` the X server sends when the focus moves there; with no event mask, the
// X server delivers it only to the client that made the window, the application itself.
void tellFocusIn(xcb_connection_t *connection, xcb_window_t window)
{
    // Every event on the wire is 32 bytes long, a FocusIn's own fields first.
    union
    {
        xcb_focus_in_event_t focus;
        char wire[32];
    } event{};
    event.focus.response_type = XCB_FOCUS_IN;
    event.focus.detail = XCB_NOTIFY_DETAIL_NONLINEAR;
    event.focus.event = window;
    event.focus.mode = XCB_NOTIFY_MODE_NORMAL;
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, event.wire);
    xcb_flush(connection);
}

} // namespace

bool X11WindowSystem::available()
{
    return x11Connection() != nullptr;
}

void X11WindowSystem::showActive(QWidget *window)
{
    const bool mapping = !window->isVisible();
    showInFront(window, true);
    // Opened while the application has no keyboard (at the start, by a hot key), a window asks for it as of now, once
    // it is mapped; between its own windows the application moves the keyboard as Qt does.
    X11WaitingWindows *x11 = X11WaitingWindows::instance();
    if (mapping && x11 != nullptr && QGuiApplication::focusWindow() == nullptr && managedWindow(window)
        && windowManagerRuns(x11Connection())) {
        x11->activateOnceMapped(window);
        return;
    }
    if (x11 != nullptr)
        x11->askedFor(window);
    window->activateWindow();
}

void X11WindowSystem::showWaiting(QWidget *window)
{
    // Qt maps it with a user time of 0, which window managers that prevent focus stealing leave alone; the X layer
    // names its type normal, over a window as on its own.
    readyToWait(window);
    if (X11WaitingWindows *x11 = X11WaitingWindows::instance())
        x11->hold(window);
    // The window is placed clear of the user's field with the frame it gets (frameOf), which differs from one window
    // manager and one kind of window to the next: the window manager is asked for it before it maps the window.
    if (xcb_connection_t *connection = x11Connection();
        connection != nullptr && windowManagerSupports(connection, "_NET_REQUEST_FRAME_EXTENTS")) {
        QMargins known;
        if (!readFrameExtents(connection, xcb_window_t(window->winId()), &known))
            requestFrameExtents(connection, xcb_window_t(window->winId()));
    }
    showInFront(window, false);
}

void X11WindowSystem::takeKeyboard(QWidget *window)
{
    if (X11WaitingWindows *x11 = X11WaitingWindows::instance())
        x11->park(window);
    window->hide();
    showActive(window);
}

void X11WindowSystem::activate(QWidget *window)
{
    if (X11WaitingWindows *x11 = X11WaitingWindows::instance())
        x11->askedFor(window);
    xcb_connection_t *connection = x11Connection();
    QWindow *handle = window->windowHandle();
    const bool shown = handle != nullptr && window->isVisible() && !window->isMinimized();
    // Qt takes the window for active once the X server moves the focus there, and asks the window manager only for a
    // window that is no transient parent of the one it takes for active: for the window under a form popover it sets
    // the X focus itself. Where the focus is in the window already (the window manager refused it to the popover Qt
    // took for active), it moves nowhere and no FocusIn comes: the application sends itself the one that would have.
    const bool alreadyThere = connection != nullptr && shown && QGuiApplication::focusWindow() != handle
        && xcbInputFocus(connection) == xcb_window_t(handle->winId());
    window->activateWindow();
    if (alreadyThere) {
        tellFocusIn(connection, xcb_window_t(handle->winId()));
        return;
    }
    // KWin refuses the request when it has just picked another window of the application by itself: while the
    // application holds the keyboard, it moves it among its own windows directly, as X lets the focus's holder do.
    if (connection != nullptr && QGuiApplication::focusWindow() != nullptr && shown) {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(handle->winId()), XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
}

QMargins X11WindowSystem::frameOf(QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (connection == nullptr || window->windowHandle() == nullptr)
        return {};
    const auto id = xcb_window_t(window->winId());
    // The window manager answers the request of showWaiting, or frames the window as it maps it, in its own time: a
    // few round trips to the server wait for it. One that never answers leaves the frame to be guessed (none).
    constexpr int Asks = 40;
    QMargins margins;
    for (int ask = 0; ask < Asks; ++ask) {
        if (readFrameExtents(connection, id, &margins))
            return margins;
        if (ask == 0 && !windowManagerSupports(connection, "_NET_FRAME_EXTENTS"))
            return {};
        QThread::msleep(5);
    }
    return {};
}

QWidget *X11WindowSystem::windowWithKeyboard()
{
    xcb_connection_t *connection = x11Connection();
    const xcb_window_t focused = connection != nullptr ? xcbInputFocus(connection) : xcb_window_t(XCB_WINDOW_NONE);
    if (focused == XCB_WINDOW_NONE)
        return nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto found = std::find_if(windows.cbegin(), windows.cend(), [focused](const QWidget *window) {
        return window->isVisible() && window->internalWinId() != 0 && xcb_window_t(window->internalWinId()) == focused;
    });
    return found != windows.cend() ? *found : nullptr;
}

bool X11WindowSystem::picksAWindowWhenOneCloses() const
{
    // An X window manager focuses the last window it focused; with none, the keyboard goes nowhere until asked for.
    xcb_connection_t *connection = x11Connection();
    return connection != nullptr && windowManagerRuns(connection);
}

} // namespace knvt
