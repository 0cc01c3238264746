#include "uikit/X11WaitingWindows.h"

#include "uikit/Logging.h"
#include "uikit/WindowSystem.h"
#include "uikit/XcbAtom.h"
#include "uikit/XcbInputFocus.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace knvt {

namespace {

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

// Whether X server time `later` comes after `earlier`: the server's millisecond clock wraps every 49 days.
bool isAfter(xcb_timestamp_t later, xcb_timestamp_t earlier)
{
    return qint32(later - earlier) > 0;
}

// A focus that lands in the window itself, not one the pointer's position merely passes on (PointerRoot focus).
bool landsInWindow(const xcb_focus_in_event_t *focus)
{
    return (focus->mode == XCB_NOTIFY_MODE_NORMAL || focus->mode == XCB_NOTIFY_MODE_WHILE_GRABBED)
        && focus->detail != XCB_NOTIFY_DETAIL_POINTER && focus->detail != XCB_NOTIFY_DETAIL_POINTER_ROOT
        && focus->detail != XCB_NOTIFY_DETAIL_NONE;
}

// The window the window manager names active on the root window; XCB_WINDOW_NONE: none.
xcb_window_t readActiveWindow(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t activeWindow)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, activeWindow, XCB_ATOM_WINDOW, 0, 1), nullptr);
    xcb_window_t active = XCB_WINDOW_NONE;
    if (reply != nullptr && xcb_get_property_value_length(reply) >= int(sizeof(xcb_window_t)))
        active = *static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return active;
}

} // namespace

// A window of the application's own that shows nothing, beside the screen and unknown to the window manager, where the
// X focus waits while a window is unmapped and mapped again, and from which every key goes on to that window. Qt
// blocks every window an application-modal window does not own: this one stands over the window it waits for, so
// that the keys it gets are not dropped once that window is modal.
class X11WaitingWindows::Harbour : public QWindow
{
public:
    Harbour()
    {
        // The X focus is set on it directly; neither Qt nor a window manager is to give it the keyboard.
        setFlags(Qt::Window | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        setGeometry(-100, -100, 1, 1);
        setObjectName(QStringLiteral("keyboardHarbour"));
    }

    void waitFor(QWidget *window)
    {
        m_for = window;
        setTransientParent(window->windowHandle());
        if (!isVisible())
            show();
    }

protected:
    void keyPressEvent(QKeyEvent *event) override { handOn(event); }
    void keyReleaseEvent(QKeyEvent *event) override { handOn(event); }

private:
    void handOn(QKeyEvent *event)
    {
        QWidget *to = m_for != nullptr && m_for->focusWidget() != nullptr ? m_for->focusWidget() : m_for.data();
        if (WindowSystem::Listener *listener = WindowSystem::listener(); listener != nullptr && to != nullptr)
            listener->keyOnItsWay(to, *event);
    }

    QPointer<QWidget> m_for;
};

X11WaitingWindows::X11WaitingWindows(xcb_connection_t *connection)
    : m_connection(connection),
      m_wmState(xcbAtom(connection, "WM_STATE")),
      m_wmProtocols(xcbAtom(connection, "WM_PROTOCOLS")),
      m_takeFocus(xcbAtom(connection, "WM_TAKE_FOCUS")),
      m_activeWindow(xcbAtom(connection, "_NET_ACTIVE_WINDOW")),
      m_windowType(xcbAtom(connection, "_NET_WM_WINDOW_TYPE")),
      m_normalType(xcbAtom(connection, "_NET_WM_WINDOW_TYPE_NORMAL")),
      m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root)
{
    qGuiApp->installNativeEventFilter(this);
    // The window manager names its active window on the root window: the events of its changes are added to those
    // the application's connection hears there already (the mask is the connection's own, replaced as a whole).
    xcb_get_window_attributes_reply_t *root =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, m_root), nullptr);
    const uint32_t mask = (root != nullptr ? root->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::free(root);
    xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
    activeWindowIs(readActiveWindow(connection, m_root, m_activeWindow));
}

X11WaitingWindows::~X11WaitingWindows()
{
    if (qGuiApp != nullptr)
        qGuiApp->removeNativeEventFilter(this);
}

namespace {

X11WaitingWindows *gMade = nullptr;

// Before the application takes its connection to the X server down, with the window parked in it.
void destroyMade()
{
    delete std::exchange(gMade, nullptr);
}

} // namespace

X11WaitingWindows *X11WaitingWindows::instance()
{
    if (gMade == nullptr) {
        xcb_connection_t *connection = x11Connection();
        if (connection == nullptr)
            return nullptr;
        gMade = new X11WaitingWindows(connection);
        qAddPostRoutine(destroyMade);
    }
    return gMade;
}

X11WaitingWindows::Held *X11WaitingWindows::held(xcb_window_t id)
{
    std::erase_if(m_held, [](const Held &entry) { return entry.window.isNull(); });
    const auto found = std::find_if(m_held.begin(), m_held.end(), [id](const Held &entry) { return entry.id == id; });
    return found != m_held.end() ? &*found : nullptr;
}

void X11WaitingWindows::hold(QWidget *window)
{
    const auto id = xcb_window_t(window->winId());
    release(id);
    m_held.push_back({.window = window, .id = id});
    // A normal window to the window manager, still the transient of the window it stands over: xfwm4 and metacity
    // leave a transient dialog out of their switcher and task bar, and list a transient normal window, which every
    // window manager of the desktops keeps over its parent all the same. Qt wrote the dialog's type as it made the X
    // window; this replaces it before the window maps.
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, m_windowType, XCB_ATOM_ATOM, 32, 1, &m_normalType);
    xcb_flush(m_connection);
}

void X11WaitingWindows::release(xcb_window_t id)
{
    if (m_pending == id)
        m_pending = XCB_WINDOW_NONE;
    std::erase_if(m_held, [id](const Held &entry) { return entry.id == id || entry.window.isNull(); });
}

void X11WaitingWindows::park(QWidget *window)
{
    release(xcb_window_t(window->winId()));
    if (!m_harbour)
        m_harbour = std::make_unique<Harbour>();
    m_harbour->waitFor(window);
    m_arriving = window;
    // Asked of the X server: a window the window manager has not mapped yet gives no word of its hiding.
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, xcb_window_t(window->winId())), nullptr);
    m_arrivingHidden = attributes == nullptr || attributes->map_state == XCB_MAP_STATE_UNMAPPED;
    std::free(attributes);
    m_landing = false;
    m_passedThrough = XCB_WINDOW_NONE;
    // Mapped before the focus is set, in the order the server handles the requests: it can take it.
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(m_harbour->winId()), XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

void X11WaitingWindows::activateOnceMapped(QWidget *window)
{
    m_activating = window;
    // A round trip to the server: the time of the moment the window is asked for, right after the user's act.
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    m_activatingSince = native != nullptr && window->screen() != nullptr
        ? xcb_timestamp_t(quintptr(native->nativeResourceForScreen("gettimestamp", window->screen())))
        : 0;
}

void X11WaitingWindows::askedFor(const QWidget *window)
{
    if (m_activating != window)
        m_activating = nullptr;
}

void X11WaitingWindows::activateMapped(QWidget *window)
{
    if (window == nullptr || window != m_activating || !window->isVisible() || window->windowHandle() == nullptr)
        return;
    m_activating = nullptr;
    // Asked of the X server: Qt hears that the focus left the application only a moment after it did.
    const xcb_window_t focused = xcbInputFocus(m_connection);
    const QWindowList windows = QGuiApplication::topLevelWindows();
    const bool applicationHasIt = std::any_of(windows.cbegin(), windows.cend(), [focused](const QWindow *shown) {
        return shown->handle() != nullptr && xcb_window_t(shown->winId()) == focused;
    });
    if (applicationHasIt || m_activatingSince == XCB_CURRENT_TIME) {
        qCInfo(lcUikit).noquote() << "X11WaitingWindows:" << window->objectName() << "mapped, asks for the keyboard";
        window->activateWindow();
        return;
    }
    qCInfo(lcUikit).noquote() << "X11WaitingWindows:" << window->objectName() << "mapped, asks for the keyboard as of"
                              << m_activatingSince;
    const auto id = xcb_window_t(window->windowHandle()->winId());
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = id;
    request.type = m_activeWindow;
    request.data.data32[0] = 1;
    request.data.data32[1] = m_activatingSince;
    request.data.data32[2] = XCB_WINDOW_NONE;
    xcb_send_event(m_connection, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&request));
    xcb_flush(m_connection);
}

void X11WaitingWindows::landArriving()
{
    QWidget *window = m_arriving;
    if (window == nullptr || !window->isVisible() || window->windowHandle() == nullptr)
        return;
    const auto id = xcb_window_t(window->windowHandle()->winId());
    // Only a viewable window takes the focus: the window manager maps the window's frame after the window itself.
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, id), nullptr);
    const bool viewable = attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    if (!viewable)
        return;
    if (xcbInputFocus(m_connection) == id)
        return;
    qCInfo(lcUikit).noquote() << "X11WaitingWindows: the keyboard lands in" << window->objectName();
    // The user went there: the application holds the keyboard for it (in the harbour, or in the window the window
    // manager picked on the way), and moves it on itself.
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
    m_landing = true;
}

void X11WaitingWindows::activeWindowIs(xcb_window_t active)
{
    if (active == XCB_WINDOW_NONE || active == m_active)
        return;
    if (m_active != XCB_WINDOW_NONE && held(m_active) == nullptr)
        m_activeBefore = m_active;
    m_active = active;
}

bool X11WaitingWindows::hasGone(xcb_window_t window) const
{
    xcb_generic_error_t *error = nullptr;
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), &error);
    std::free(error);
    if (attributes == nullptr)
        return true;
    const bool mapped = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    if (mapped)
        return false;
    // Unmapped: minimized (the window manager's WM_STATE says iconic) or taken away.
    constexpr uint32_t IconicState = 3;
    xcb_get_property_reply_t *state = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_wmState, m_wmState, 0, 1), nullptr);
    const bool iconic = state != nullptr && xcb_get_property_value_length(state) >= int(sizeof(uint32_t))
        && *static_cast<const uint32_t *>(xcb_get_property_value(state)) == IconicState;
    std::free(state);
    return !iconic;
}

void X11WaitingWindows::focusMessage(Held &held, xcb_timestamp_t time)
{
    if (m_pending == held.id)
        m_pending = XCB_WINDOW_NONE;
    const bool stampedAsSwitch = time != XCB_CURRENT_TIME && held.mapped != 0 && isAfter(time, held.mapped);
    if (!stampedAsSwitch)
        qCInfo(lcUikit).noquote() << "X11WaitingWindows: the window manager focused"
                                  << (held.window ? held.window->objectName() : QString()) << "by itself";
    const QPointer<QWidget> window = held.window;
    WindowSystem::Listener *listener = WindowSystem::listener();
    // The window manager hands the focus on by itself when the window that had it goes away, stamped like a switch with
    // the last time it knew.
    const bool cameFromGone = stampedAsSwitch && held.cameFrom != XCB_WINDOW_NONE && hasGone(held.cameFrom);
    if (window == nullptr || listener == nullptr || !listener->userSwitchedTo(window, stampedAsSwitch, cameFromGone)) {
        giveBack(held);
        return;
    }
    qCInfo(lcUikit).noquote() << "X11WaitingWindows: the user switched to" << window->objectName();
    release(held.id);
}

bool X11WaitingWindows::givenBack(const Held &held)
{
    const WindowSystem::Listener *listener = WindowSystem::listener();
    return listener != nullptr && held.window != nullptr && listener->isGivenBack(held.window);
}

void X11WaitingWindows::giveBack(Held &held)
{
    if (!givenBack(held))
        return;
    QWidget *back = held.back != nullptr ? held.back->window() : nullptr;
    if (back == nullptr || back->windowHandle() == nullptr || !back->isVisible()) {
        // Nowhere left to go: the window keeps the keyboard, and Qt hears of it.
        WindowSystem::listener()->keyboardLeft(held.window);
        return;
    }
    // Set directly: the application has the focus, and may move it among its windows; asked of the window manager, the
    // request could be refused as coming from a window that has not been used.
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(back->windowHandle()->winId()),
                        XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

void X11WaitingWindows::standOnTop(const Held &held)
{
    // Metacity and KWin stack a window they do not activate as it maps just under the window that has the focus: a
    // form popover of the window it stands over (a transient of that window as well) would hide it. Asked once the
    // window manager has mapped it, they raise it. Only then: a request made while another program is in use would
    // bring it in front of the user's work, and xfwm4 took one over a framed window of the application for the
    // user's switch, the keys typed on going into the window.
    const QWindow *focus = QGuiApplication::focusWindow();
    if (focus == nullptr || focus->type() != Qt::Tool || held.window == nullptr || !held.window->isVisible())
        return;
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, held.id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_connection);
}

bool X11WaitingWindows::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto *property = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (property->window == m_root && property->atom == m_activeWindow)
            activeWindowIs(readActiveWindow(m_connection, m_root, m_activeWindow));
    }
    if (type == XCB_MAP_NOTIFY && m_activating != nullptr && m_activating->windowHandle() != nullptr
        && reinterpret_cast<const xcb_map_notify_event_t *>(event)->window
            == xcb_window_t(m_activating->windowHandle()->winId())) {
        // Asked once Qt has taken the window for mapped, which it does after this filter.
        QMetaObject::invokeMethod(
            qApp,
            [window = m_activating] {
                if (gMade != nullptr)
                    gMade->activateMapped(window);
            },
            Qt::QueuedConnection);
    }
    if (m_held.empty() && !m_harbour)
        return false;
    const auto *client =
        type == XCB_CLIENT_MESSAGE ? reinterpret_cast<const xcb_client_message_event_t *>(event) : nullptr;
    const bool takeFocus = client != nullptr && client->format == 32 && client->type == m_wmProtocols
        && client->data.data32[0] == m_takeFocus;
    // The window manager sends its message right after the focus: anything else next means there is none.
    if (m_pending != XCB_WINDOW_NONE && !(takeFocus && client->window == m_pending)) {
        Held *pending = held(m_pending);
        m_pending = XCB_WINDOW_NONE;
        if (pending != nullptr)
            giveBack(*pending);
    }
    // A window closed on the way takes no keys.
    if (m_arriving != nullptr && (!m_arriving->isVisible() || m_arriving->windowHandle() == nullptr))
        m_arriving = nullptr;
    const xcb_window_t arriving =
        m_arriving != nullptr ? xcb_window_t(m_arriving->windowHandle()->winId()) : xcb_window_t(XCB_WINDOW_NONE);
    switch (type) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
        // A key that reaches another window of the application while the keyboard is on its way goes on through the
        // harbour: Qt drops the keys of a window that the window, shown modal again, blocks.
        auto *key = static_cast<xcb_key_press_event_t *>(message);
        const auto harbour = m_harbour ? xcb_window_t(m_harbour->winId()) : xcb_window_t(XCB_WINDOW_NONE);
        if (arriving != XCB_WINDOW_NONE && key->event != arriving && key->event != harbour) {
            key->event = harbour;
            key->child = XCB_WINDOW_NONE;
        }
        return false;
    }
    case XCB_MAP_NOTIFY: {
        const xcb_window_t mapped = reinterpret_cast<const xcb_map_notify_event_t *>(event)->window;
        if (arriving != XCB_WINDOW_NONE && mapped == arriving)
            landArriving();
        // Mutter writes WM_STATE as it takes the window in, and stacks it under the window with the focus only as it
        // maps it: the raise is asked again then.
        if (const Held *entry = held(mapped); entry != nullptr && entry->mapped != 0)
            standOnTop(*entry);
        return false;
    }
    case XCB_UNMAP_NOTIFY:
        if (arriving != XCB_WINDOW_NONE && reinterpret_cast<const xcb_unmap_notify_event_t *>(event)->window == arriving)
            m_arrivingHidden = true;
        return false;
    case XCB_EXPOSE:
        if (arriving != XCB_WINDOW_NONE && reinterpret_cast<const xcb_expose_event_t *>(event)->window == arriving)
            landArriving();
        return false;
    case XCB_PROPERTY_NOTIFY: {
        const auto *property = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        Held *entry =
            property->atom == m_wmState && property->state == XCB_PROPERTY_NEW_VALUE ? held(property->window) : nullptr;
        // The first WM_STATE is the window manager's mapping of it.
        if (entry != nullptr && entry->mapped == 0) {
            entry->mapped = property->time;
            standOnTop(*entry);
        }
        return false;
    }
    case XCB_FOCUS_IN: {
        const auto *focus = reinterpret_cast<const xcb_focus_in_event_t *>(event);
        // The keys reach the window that shows nothing without Qt taking it for a window the user went to: a reader
        // would hear an activation of the application on the way.
        if (m_harbour && focus->event == xcb_window_t(m_harbour->winId()))
            return true;
        // Arrived; or, once the application gave the window the focus itself, gone on where the user went next.
        // A focus in the window before the X server hid it is the window manager's late answer to an earlier act, not
        // the keyboard coming: the keys the user types next would go where the window manager turns when it is hidden.
        if (landsInWindow(focus) && ((focus->event == arriving && m_arrivingHidden) || m_landing))
            m_arriving = nullptr;
        // The window manager's pick on the way is withheld from Qt as the harbour is: Qt hands every key to the window
        // it last heard of the focus in, which the window shown modal again blocks.
        if (m_arriving != nullptr && landsInWindow(focus) && focus->event != m_root) {
            m_passedThrough = focus->event;
            return true;
        }
        Held *entry = held(focus->event);
        if (entry == nullptr || !landsInWindow(focus))
            return false;
        if (givenBack(*entry))
            return true;
        // Where the focus came from: the window manager names the window it focuses active as it focuses it, before
        // or after the application hears of the focus.
        entry->cameFrom = m_active != XCB_WINDOW_NONE && held(m_active) == nullptr ? m_active : m_activeBefore;
        WindowSystem::Listener *listener = WindowSystem::listener();
        QWidget *back =
            listener != nullptr && entry->window != nullptr ? listener->keyboardBackFrom(entry->window) : nullptr;
        if (back == nullptr)
            return false;
        entry->back = back;
        m_pending = entry->id;
        return true;
    }
    case XCB_FOCUS_OUT: {
        const auto *focus = reinterpret_cast<const xcb_focus_out_event_t *>(event);
        if (m_harbour && focus->event == xcb_window_t(m_harbour->winId()))
            return true;
        if (focus->event == m_passedThrough) {
            m_passedThrough = XCB_WINDOW_NONE;
            return true;
        }
        Held *entry = held(focus->event);
        if (entry == nullptr || !givenBack(*entry))
            return false;
        // Qt never heard that it had the focus.
        WindowSystem::listener()->keyboardLeft(entry->window);
        return true;
    }
    case XCB_CLIENT_MESSAGE: {
        Held *entry = takeFocus ? held(client->window) : nullptr;
        if (entry == nullptr)
            return false;
        // The window manager's pick on the way to the window the user went to, which unmaps to come up modal: xfwm4
        // hands the focus to another waiting window then, with no FocusIn (the X focus is in the harbour) and stamped
        // like a switch, and that window took the keyboard the user went to the other for. Qt hears nothing of it
        // either: it would set the X focus there.
        if (arriving != XCB_WINDOW_NONE && client->window != arriving)
            return true;
        const bool wasWithheld = givenBack(*entry);
        focusMessage(*entry, client->data.data32[1]);
        // Qt would hand the focus on as its own answer to the message: the window manager's own doing is not passed.
        return wasWithheld && held(client->window) != nullptr;
    }
    default: return false;
    }
}

} // namespace knvt
