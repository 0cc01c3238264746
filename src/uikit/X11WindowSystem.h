#pragma once

#include "uikit/QtWindowSystem.h"

namespace knvt {

// The window system on an X server, where a window manager maps the windows, activates them by its own rules and picks
// a window when the one with the keyboard closes. What it does with the windows that wait is read from the X server's
// events (X11WaitingWindows) and told to the listener; the keyboard moves among the application's own windows
// directly, as X lets the focus's holder do.
class X11WindowSystem final : public QtWindowSystem
{
public:
    void showActive(QWidget *window) override;
    void showWaiting(QWidget *window) override;
    void takeKeyboard(QWidget *window) override;
    void activate(QWidget *window) override;
    bool picksAWindowWhenOneCloses() const override;
    // The window of the X server's input focus, asked of the server.
    QWidget *windowWithKeyboard() override;
    // What the window manager says of it (_NET_FRAME_EXTENTS), asked for as the window waits to be mapped.
    QMargins frameOf(QWidget *window) override;

    // Whether the application runs on an X server.
    static bool available();
};

} // namespace knvt
