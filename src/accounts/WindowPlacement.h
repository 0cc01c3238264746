#pragma once

#include <QRect>

class QScreen;
class QWidget;

namespace knvt {

// `geometry` (the window's, without its frame) moved, and shrunk only where it is larger, so that it lies whole on
// `screen` with the window's frame around it.
QRect onScreen(const QWidget *window, const QRect &geometry, const QScreen *screen);

// Centres `window` on the main window (on the screen's free area when there is none shown), its frame whole on that
// screen: where a window of the application opens the first time, rather than wherever the window system puts it.
void placeOverMainWindow(QWidget *window);

} // namespace knvt
