#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

namespace knvt {

// Brings a top-level window in front of every program and gives it the keyboard, as a direct answer to the key
// press made at the window system's `userTime`: window managers refuse the focus to a window that asks without a
// recent user action. On X11 the request carries that time. On Wayland the compositor lets a window take the focus
// only with an xdg-activation token: the one the desktop handed out with the press is given to Qt, whose Wayland
// shell integration uses it for the window's activation request; elsewhere the window asks as usual.
void bringWindowForward(QWidget *window, quint32 userTime, const QString &activationToken = {});

} // namespace knvt
