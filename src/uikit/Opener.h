#pragma once

namespace knvt {

// Who opens a window, a sheet, a popover or an alert, as the code that opens it says: the user (a key, a click, a menu,
// a toolbar button, an accessibility action, a command the user gave), whose window comes up in front with the
// keyboard, or the application by itself (a sync's answer, a pull's deletion or archive, a timer), whose window never
// takes a key until the user goes to it (KeyboardOwner).
enum class Opener { User, Application };

} // namespace knvt
