#include "uikit/WindowSystem.h"

#include "uikit/X11WaitingWindows.h"
#include "uikit/XcbAtom.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace knvt {

namespace {

WindowSystem *installed = nullptr;
WindowSystem::Listener *gListener = nullptr;

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

} // namespace

WindowSystem::Listener::~Listener() = default;

WindowSystem::~WindowSystem() = default;

void WindowSystem::showActive(QWidget *window)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (QWindow *handle = window->windowHandle())
        handle->setProperty("_q_showWithoutActivating", false);
    const bool mapping = !window->isVisible();
    window->show();
    window->raise();
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

void WindowSystem::showWaiting(QWidget *window)
{
    // Qt then maps it with a user time of 0, which window managers that prevent focus stealing leave alone. The
    // attribute reaches a window whose handle exists already only through the handle's own property, which Qt reads
    // as it maps the window.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->winId();
    window->windowHandle()->setProperty("_q_showWithoutActivating", true);
    // Standing on its own (the window it concerns is minimized), a normal window to the window manager: Qt makes a
    // dialog with no transient parent the transient of the whole application, which KWin hides with the minimized
    // main window. The type is the X window's alone; the widget stays the dialog it is. Over a window, it stays that
    // window's transient, which window managers stack over it (the X layer names its type normal all the same).
    QWindow *handle = window->windowHandle();
    if (handle->transientParent() == nullptr && (handle->flags() & Qt::WindowType_Mask) == Qt::Dialog)
        handle->setFlags((handle->flags() & ~Qt::WindowType_Mask) | Qt::Window);
    if (X11WaitingWindows *x11 = X11WaitingWindows::instance())
        x11->hold(window);
    window->show();
    window->raise();
}

void WindowSystem::takeKeyboard(QWidget *window)
{
    if (X11WaitingWindows *x11 = X11WaitingWindows::instance())
        x11->park(window);
    window->hide();
    showActive(window);
}

void WindowSystem::activate(QWidget *window)
{
    if (X11WaitingWindows *x11 = X11WaitingWindows::instance())
        x11->askedFor(window);
    window->activateWindow();
    // KWin refuses the request when it has just picked another window of the application by itself: while the
    // application holds the keyboard, it moves it among its own windows directly, as X lets the focus's holder do.
    xcb_connection_t *connection = x11Connection();
    if (connection != nullptr && QGuiApplication::focusWindow() != nullptr && window->windowHandle() != nullptr
        && window->isVisible() && !window->isMinimized()) {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(window->windowHandle()->winId()),
                            XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
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

void WindowSystem::setListener(Listener *listener)
{
    gListener = listener;
}

WindowSystem::Listener *WindowSystem::listener()
{
    return gListener;
}

} // namespace knvt
