#pragma once

#include <QList>
#include <QMargins>

class QWidget;

namespace knvt {

// Where a window the application opens stands (KeyboardOwner).

// `window` stands in front of `concerned`, the window it is about: it is that window's transient, raised over it when
// it shows already, unless `concerned` is minimized (it would be hidden with it). While a window of the application floats over every other (quick entry), a window not yet shown
// floats as well, or it would open hidden under it. A window with a parent widget stands over it already.
void standInFrontOf(QWidget *window, QWidget *concerned);

// Moves the shown `window` so that neither it nor the window manager's frame around it covers `control` (the control
// with the keyboard), one of the `others` (the windows that wait already) or a push button of the window the user is
// in (a sheet's Cancel and Save): below the control, else above it, else beside it, wherever the screen has room and
// keeps the whole window; failing that, clear of the control and the others alone. Its frame is `knownFrame`, what the
// window manager said it puts around it; where it said nothing, the frame Qt knows of the window, else that of the
// window the user is in, or of another framed window of the application.
void placeClearOf(QWidget *window, const QWidget *control, const QList<QWidget *> &others = {},
                  const QMargins &knownFrame = {});

} // namespace knvt
