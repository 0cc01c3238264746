#pragma once

class QKeyEvent;
class QMargins;
class QWidget;

namespace knvt {

// What the application asks of the window system about its windows. Window managers differ in what they do on their
// own (activating a window they map, late on a loaded machine or twice, or a window of their choice when the one that
// had the keyboard closes); KeyboardOwner asks only through here, so that tests can stand in for any of them.
//
// Two implementations: X11WindowSystem on an X server, where the window manager acts on its own and the X events tell
// what it did, and QtWindowSystem everywhere else (Wayland, offscreen), where Qt's platform plugin is all there is.
// Neither calls into the owner: what they learn goes to the one Listener.
//
// A window the application opened by itself waits (showWaiting): showing it never activates it, yet it accepts the
// keyboard, so that the window manager lists it among the windows the user switches to. When the window system gives
// it the keyboard, the listener tells whether the user went there (a switch or a click: the window then takes the
// keyboard through takeKeyboard) or the window system did it by itself (the keyboard then goes back unheard).
class WindowSystem
{
public:
    // What the application answers the window system about the windows that wait (KeyboardOwner).
    class Listener
    {
    public:
        virtual ~Listener();
        // The window system gives the keyboard to the waiting `window` by itself, without an act of the user's: the
        // window the keyboard goes back to, which hears nothing of it, or nullptr when the window keeps it (no other
        // window of the application shows). Named, the window is given back until the window system takes the
        // keyboard out of it (keyboardLeft).
        virtual QWidget *keyboardBackFrom(QWidget *window) = 0;
        // Whether the keyboard the window system gave the waiting `window` by itself is being given back: Qt has not
        // heard of it, and hears nothing of its leaving either.
        virtual bool isGivenBack(const QWidget *window) const = 0;
        // The keyboard given back has left `window`, or has nowhere to go and stays.
        virtual void keyboardLeft(QWidget *window) = 0;
        // The window system says the user switched to the waiting `window` (the window manager's window switcher, its
        // task bar or pager, a click in it): true when the keys typed from then on are the window's; false when the
        // application knows better, and the keyboard goes back as from the window system's own activation: the window
        // manager handed the focus on by itself as the window that had it went away (`cameFromGone`: the window it
        // came from, this application's or another program's, is closed or hidden), which it tells like a switch.
        // `stampedAsSwitch`: the window system tells the focus as a switch of the user's (on X, the window manager's
        // message is stamped later than the window's mapping); a focus it gives otherwise is its own doing.
        virtual bool userSwitchedTo(QWidget *window, bool stampedAsSwitch, bool cameFromGone) = 0;
        // A key the window system delivered to a window of the application's own while the keyboard was on its way
        // to `to`, which it is typing for.
        virtual void keyOnItsWay(QWidget *to, const QKeyEvent &key) = 0;
    };

    virtual ~WindowSystem();

    // Maps the hidden `window` in front of the others and asks for the keyboard for it.
    virtual void showActive(QWidget *window) = 0;
    // Maps the hidden `window` in front of the others without activating it; it waits (above) until the user goes to it.
    virtual void showWaiting(QWidget *window) = 0;
    // The shown `window`, which waited, comes up with the keyboard and the modality it has now (a window's modality
    // takes effect only as it shows). No key typed meanwhile is lost or reordered: those the window system delivers
    // elsewhere before it has the keyboard still reach the application.
    virtual void takeKeyboard(QWidget *window) = 0;
    // Asks for the keyboard for the shown `window`.
    virtual void activate(QWidget *window) = 0;
    // Whether the window manager, when the window that has the keyboard closes, hands the keyboard to a window of its
    // own choice: a window the application asks for meanwhile would lose it to that choice.
    virtual bool picksAWindowWhenOneCloses() const = 0;
    // The shown window of the application the window system has the keyboard in now, as it says itself, whether Qt
    // has heard of it or not; nullptr: another program's, none, or it cannot tell. A window manager may refuse the
    // keyboard to a window Qt takes for active (on X, Qt takes its own request for the answer): the keyboard stays in
    // the window it was in, and when the refused window closes no pick follows, since the keyboard never left.
    virtual QWidget *windowWithKeyboard() = 0;
    // The frame the window manager puts around the shown `window`, asked of it before the window is placed (its
    // frame is known to Qt only later); none where the window system cannot tell.
    virtual QMargins frameOf(QWidget *window) = 0;

    // The window system every window goes through: the platform's (X11WindowSystem on an X server, else
    // QtWindowSystem) unless a test installed another.
    static WindowSystem &shared();
    // Installs `system` (not owned) as the shared one; nullptr restores the real one.
    static void setShared(WindowSystem *system);

    // The one listener (not owned; nullptr: none), which every window system tells.
    static void setListener(Listener *listener);
    static Listener *listener();
};

} // namespace knvt
