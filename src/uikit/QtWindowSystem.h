#pragma once

#include "uikit/WindowSystem.h"

namespace knvt {

// The window system where Qt's platform plugin is all the application has of it (Wayland, offscreen): Qt maps the
// windows and asks for the keyboard, and a window that closes hands the keyboard to the window the application asks
// for. A waiting window is mapped without being activated, which is all this platform can say of it.
class QtWindowSystem : public WindowSystem
{
public:
    void showActive(QWidget *window) override;
    void showWaiting(QWidget *window) override;
    void takeKeyboard(QWidget *window) override;
    void activate(QWidget *window) override;
    bool picksAWindowWhenOneCloses() const override;
    // None: what Qt hears is all this platform says.
    QWidget *windowWithKeyboard() override;
    QMargins frameOf(QWidget *window) override;

protected:
    // Shows the hidden `window` in front of the others, to be activated as it maps or not.
    static void showInFront(QWidget *window, bool activating);
    // Readies the hidden `window` to be mapped without being activated, as a window that waits.
    static void readyToWait(QWidget *window);
};

} // namespace knvt
