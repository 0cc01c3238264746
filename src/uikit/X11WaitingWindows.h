#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <xcb/xcb.h>

#include <memory>
#include <vector>

class QWidget;
class QWindow;

namespace knvt {

// The X side of the windows that wait (X11WindowSystem): what the window manager does with them, read from the X
// server's events before Qt hears of them. It keeps only the X facts of each (when the window manager mapped it, where
// the focus came from and goes back to); whether it waits, is given back or was gone to is the listener's to say.
//
// A waiting window accepts the keyboard like any other and is of the normal window type (xfwm4 and metacity list no
// transient dialog), so the window manager lists it in its window switcher, task bar and pager, and gives it the X
// focus when the user switches to it; it is raised once mapped (metacity and KWin stack it under the form popover that
// has the keyboard). It gives it the focus by itself too when it breaks the desktop's rules and activates a window
// mapped with a user time of 0 (or a tool sets the focus). The two are told apart by the message the window manager
// sends as it hands over the focus (WM_TAKE_FOCUS), right after the focus: its X server timestamp is that of the user's
// input that caused it (the key of the switcher, the click), later than the window's own mapping (the time the window
// manager wrote WM_STATE); a window manager activating the window as it maps it stamps the message with an earlier
// time, or none. A focus with no such message next in the event stream is the window system's own as well. A message
// stamped like a switch goes to the listener with whether the window the focus came from (the window manager's active
// window before it, read from the root window) has gone: no longer there or no longer mapped, a minimized one counting
// as there. The window manager hands the focus on by itself when the window that had it went away, another program's or
// the application's, stamped with the last time it knew; a switch of the user's leaves the window it came from
// standing.
//
// Qt hears of the focus only once it is known to be the user's: while it is not, the window's FocusIn is withheld
// from Qt, so that no widget of it shows a caret or tells a screen reader of a focus, and the X focus goes back at
// once to the window the listener names, whose widgets hear nothing either (Qt never saw it leave). Where the listener
// lets the window keep the keyboard (no other window of the application shows), Qt hears the focus as usual.
class X11WaitingWindows final : public QAbstractNativeEventFilter
{
public:
    ~X11WaitingWindows() override;
    X11WaitingWindows(const X11WaitingWindows &) = delete;
    X11WaitingWindows &operator=(const X11WaitingWindows &) = delete;

    // The application's one instance, made on first use; nullptr without an X server.
    static X11WaitingWindows *instance();

    // `window`, about to be mapped, waits from now on.
    void hold(QWidget *window);
    // `window`, shown, is about to be mapped again with the keyboard: the X focus waits meanwhile in a window of the
    // application's own that shows nothing and hands every key it gets on to `window`, so that nothing typed in the
    // while goes to the window manager's frame or the root window. Another window of the application the window
    // manager picks on the way, as the window unmaps (Mutter, metacity), is passed through the same way: Qt hands every
    // key to the window it last heard the focus in, which the window shown modal again blocks, so it does not hear of
    // that focus, and the keys go on to `window`. Once it is mapped, the X focus is set in it where the window manager
    // did not: one that keeps the desktop's focus-stealing rules (Mutter) refuses the activation of a window mapped
    // after its own pick, and the window read active while the keys went to the window under it. `window` waits no
    // more.
    void park(QWidget *window);
    // `window`, just shown while the application has no keyboard, asks the window manager for it once it has mapped
    // it: Qt would ask at the mapping with the time of that moment, which a window manager that keeps the desktop's
    // focus-stealing rules takes for the user's latest act, so that a window mapped late (the main window at the
    // start, on a busy machine) took the keyboard from the window or program the user went to meanwhile. Where the
    // application has the keyboard by then, the request is as fresh as Qt's; elsewhere it carries the time the window
    // was opened at, and the window manager keeps the keyboard where a later act of the user's put it. A window asked
    // for the keyboard since (askedFor) wins: the earlier one asks for nothing.
    void activateOnceMapped(QWidget *window);
    // The application asked for the keyboard for `window`.
    void askedFor(const QWidget *window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Held
    {
        QPointer<QWidget> window{};
        xcb_window_t id = XCB_WINDOW_NONE;
        // The X server's time of the window manager's mapping of it; 0 until it is mapped.
        xcb_timestamp_t mapped = 0;
        // Where the X focus goes back to while the listener gives the keyboard back (Listener::isGivenBack): Qt
        // hears neither that the window has the X focus nor that it loses it.
        QPointer<QWidget> back{};
        // The window that had the focus before it came to this one (XCB_WINDOW_NONE: unknown).
        xcb_window_t cameFrom = XCB_WINDOW_NONE;
    };
    class Harbour;

    explicit X11WaitingWindows(xcb_connection_t *connection);
    Held *held(xcb_window_t id);
    void release(xcb_window_t id);
    // The window manager's focus message for `held`: the user's switch or its own doing.
    void focusMessage(Held &held, xcb_timestamp_t time);
    // Whether the listener gives back the keyboard the window manager gave `held` by itself.
    static bool givenBack(const Held &held);
    // The focus given to the window without a message of the user's switch goes back.
    void giveBack(Held &held);
    // Raises the window the window manager has just mapped over the windows of the application, while the application
    // has the keyboard.
    void standOnTop(const Held &held);
    // Gives the X focus to the window the keyboard is on its way to, once it shows again, where it is not there yet.
    void landArriving();
    // The window manager named `active` its active window.
    void activeWindowIs(xcb_window_t active);
    // Whether `window`, which had the focus, has gone: destroyed, or unmapped without being minimized.
    bool hasGone(xcb_window_t window) const;
    // The window on its way to its mapping asks for the keyboard (activateOnceMapped).
    void activateMapped(QWidget *window);

    xcb_connection_t *m_connection;
    xcb_atom_t m_wmState;
    xcb_atom_t m_wmProtocols;
    xcb_atom_t m_takeFocus;
    xcb_atom_t m_activeWindow;
    xcb_atom_t m_windowType;
    xcb_atom_t m_normalType;
    xcb_window_t m_root;
    // The window manager's active window, and the one before it that was not a held window (XCB_WINDOW_NONE: none).
    xcb_window_t m_active = XCB_WINDOW_NONE;
    xcb_window_t m_activeBefore = XCB_WINDOW_NONE;
    std::vector<Held> m_held;
    // The window given the focus whose message, if any, is the next event.
    xcb_window_t m_pending = XCB_WINDOW_NONE;
    std::unique_ptr<Harbour> m_harbour;
    // The window the keyboard is on its way to (park), until the X focus lands in it.
    QPointer<QWidget> m_arriving;
    // The X server has hidden the window the keyboard is on its way to: a focus in it from now on is the arrival.
    bool m_arrivingHidden = false;
    // The application has set the X focus in it.
    bool m_landing = false;
    // The window the X focus passed through on its way, whose focus Qt did not hear.
    xcb_window_t m_passedThrough = XCB_WINDOW_NONE;
    // The window that asks for the keyboard once mapped, and the X server's time it was asked for at (0: unknown).
    QPointer<QWidget> m_activating;
    xcb_timestamp_t m_activatingSince = 0;
};

} // namespace knvt
