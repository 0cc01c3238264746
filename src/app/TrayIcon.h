#pragma once

#include <functional>

namespace knvt {

// The icon that stands for the launcher where the desktop has a tray: activating it reopens the application, its
// menu offers New Task and Quit. Tests replace it.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;
    // Whether the desktop shows tray icons; without one, closing the last window quits.
    virtual bool isAvailable() const = 0;
    virtual void show(std::function<void()> activated, std::function<void()> newTask, std::function<void()> quit) = 0;
    virtual void hide() = 0;

    static TrayIcon &shared();
    // Not owned; nullptr restores the system tray.
    static void setShared(TrayIcon *tray);
};

} // namespace knvt
