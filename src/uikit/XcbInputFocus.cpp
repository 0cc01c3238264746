#include "uikit/XcbInputFocus.h"

#include <cstdlib>

namespace knvt {

xcb_window_t xcbInputFocus(xcb_connection_t *connection)
{
    xcb_get_input_focus_reply_t *focus =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const xcb_window_t focused = focus != nullptr ? focus->focus : xcb_window_t(XCB_WINDOW_NONE);
    std::free(focus);
    return focused;
}

} // namespace knvt
