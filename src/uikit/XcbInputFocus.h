#pragma once

#include <xcb/xcb.h>

namespace knvt {

// The window the X server has the input focus in now; XCB_WINDOW_NONE, or the pointer's root, where it is in no
// window, and XCB_WINDOW_NONE when the server does not answer. One round trip.
xcb_window_t xcbInputFocus(xcb_connection_t *connection);

} // namespace knvt
