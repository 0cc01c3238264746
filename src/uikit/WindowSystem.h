#pragma once

class QWidget;

namespace knvt {

// What the application asks of the window system about its windows. Window managers differ in what they do on their
// own (activating a window they map, late on a loaded machine or twice, or a window of their choice when the one that
// had the keyboard closes); KeyboardOwner asks only through here, so that tests can stand in for any of them.
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
        // window of the application shows).
        virtual QWidget *keyboardBackFrom(QWidget *window) = 0;
        // The window system says the user switched to the waiting `window` (the window manager's window switcher, its
        // task bar or pager, a click in it): true when the keys typed from then on are the window's; false when the
        // application knows better, and the keyboard goes back as from the window system's own activation: the window
        // manager handed the focus on by itself as the window that had it went away (`cameFromGone`: the window it
        // came from, this application's or another program's, is closed or hidden), which it tells like a switch.
        virtual bool userSwitchedTo(QWidget *window, bool cameFromGone) = 0;
    };

    virtual ~WindowSystem();

    // Maps the hidden `window` in front of the others and asks for the keyboard for it.
    virtual void showActive(QWidget *window);
    // Maps the hidden `window` in front of the others without activating it; it waits (above) until the user goes to it.
    virtual void showWaiting(QWidget *window);
    // The shown `window`, which waited, comes up with the keyboard and the modality it has now (a window's modality
    // takes effect only as it shows). No key typed meanwhile is lost or reordered: those the window system delivers
    // elsewhere before it has the keyboard still reach the application.
    virtual void takeKeyboard(QWidget *window);
    // Asks for the keyboard for the shown `window`.
    virtual void activate(QWidget *window);
    // Whether the window manager, when the window that has the keyboard closes, hands the keyboard to a window of its
    // own choice: a window the application asks for meanwhile would lose it to that choice.
    virtual bool picksAWindowWhenOneCloses() const;

    // The window system every window goes through; the real one unless a test installed another.
    static WindowSystem &shared();
    // Installs `system` (not owned) as the shared one; nullptr restores the real one.
    static void setShared(WindowSystem *system);

    // The one listener (not owned; nullptr: none), which every window system tells.
    static void setListener(Listener *listener);
    static Listener *listener();
};

} // namespace knvt
