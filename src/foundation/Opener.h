#pragma once

namespace knvt {

// Who opens a window, a sheet, a popover or an alert, as the code that opens it says: the user (a key, a click, a menu,
// a toolbar button, an accessibility action, a command the user gave), whose window comes up in front with the
// keyboard, or the application by itself (a sync's answer, a service's reply, a pull's deletion or archive, a timer),
// whose window never takes a key until the user goes to it (KeyboardOwner). A save says it too: its refusal is told
// by an alert of the same opener.
//
// Every door says it, and none can forget: an opener has no default, so neither a call nor a struct that carries one
// (an alert's request) compiles without it.
class Opener
{
public:
    static const Opener User;
    static const Opener Application;

    Opener() = delete;
    constexpr bool operator==(const Opener &) const = default;

private:
    enum class Who : unsigned char { User, Application };
    constexpr explicit Opener(Who who) : m_who(who) {}
    Who m_who;
};

inline constexpr Opener Opener::User{Opener::Who::User};
inline constexpr Opener Opener::Application{Opener::Who::Application};

} // namespace knvt
