#pragma once

#include <xcb/xcb.h>

namespace knvt {

// The atom the X server knows by `name`, interned when no client has yet; XCB_ATOM_NONE when the server does not
// answer. One round trip: callers that need an atom often keep it.
xcb_atom_t xcbAtom(xcb_connection_t *connection, const char *name);

} // namespace knvt
