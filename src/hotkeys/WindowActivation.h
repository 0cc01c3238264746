#pragma once

#include <QtGlobal>

class QWidget;

namespace knvt {

// Brings a top-level window in front of every program and gives it the keyboard, as a direct answer to the key
// press made at the window system's `userTime`: window managers refuse the focus to a window that asks without a
// recent user action. On X11 the request carries that time; elsewhere the window asks as usual.
void bringWindowForward(QWidget *window, quint32 userTime);

} // namespace knvt
