#pragma once

class QWidget;

namespace knvt {

// What the application asks of the window system about its windows. Window managers differ in what they do on their
// own (activating a window they map, late on a loaded machine or twice, or a window of their choice when the one that
// had the keyboard closes); KeyboardOwner asks only through here, so that tests can stand in for any of them.
class WindowSystem
{
public:
    virtual ~WindowSystem();

    // Maps the hidden `window` in front of the others and asks for the keyboard for it.
    virtual void showActive(QWidget *window);
    // Maps the hidden `window` in front of the others without the keyboard, and asks the window manager never to hand
    // it the keyboard on its own.
    virtual void showInactive(QWidget *window);
    // The window shown by showInactive(), hidden again, may take the keyboard from now on: the user went to it.
    virtual void allowKeyboard(QWidget *window);
    // Asks for the keyboard for the shown `window`.
    virtual void activate(QWidget *window);
    // Whether the window manager, when the window that has the keyboard closes, hands the keyboard to a window of its
    // own choice: a window the application asks for meanwhile would lose it to that choice.
    virtual bool picksAWindowWhenOneCloses() const;

    // The window system every window goes through; the real one unless a test installed another.
    static WindowSystem &shared();
    // Installs `system` (not owned) as the shared one; nullptr restores the real one.
    static void setShared(WindowSystem *system);
};

} // namespace knvt
