#include "support/OtherXClient.h"

#include <QStringList>

#include <xcb/xcb.h>
#include <xcb/xtest.h>
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdlib>
#include <unistd.h>

namespace knvt::test {

namespace {

// The US position of the letters and digits a chord may name.
const char *keyNameOf(QChar character)
{
    static const char *const letters[] = {"AC01", "AB05", "AB03", "AC03", "AD03", "AC04", "AC05", "AC06", "AD08",
                                          "AC07", "AC08", "AC09", "AB07", "AB06", "AD09", "AD10", "AD01", "AD04",
                                          "AC02", "AD05", "AD07", "AB04", "AD02", "AB02", "AD06", "AB01"};
    static const char *const digits[] = {"AE10", "AE01", "AE02", "AE03", "AE04",
                                         "AE05", "AE06", "AE07", "AE08", "AE09"};
    const QChar upper = character.toUpper();
    if (upper >= QLatin1Char('A') && upper <= QLatin1Char('Z'))
        return letters[upper.unicode() - 'A'];
    if (upper >= QLatin1Char('0') && upper <= QLatin1Char('9'))
        return digits[upper.unicode() - '0'];
    return nullptr;
}

} // namespace

OtherXClient::OtherXClient()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    xkb_x11_setup_xkb_extension(m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr);
}

OtherXClient::~OtherXClient()
{
    if (m_connection != nullptr)
        xcb_disconnect(m_connection);
}

void OtherXClient::sync()
{
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void OtherXClient::showFocusedWindow()
{
    if (m_window == 0) {
        m_window = xcb_generate_id(m_connection);
        const uint32_t values[] = {0xffffff, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 40, 40, 200, 120, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                          values);
        const char title[] = "Another program";
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            sizeof(title) - 1, title);
        xcb_map_window(m_connection, m_window);
        sync();
    }
    // Asked of the window manager too, as a pager asks: KWin takes back a focus set past it from a window it did not
    // activate.
    xcb_intern_atom_reply_t *active =
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, 18, "_NET_ACTIVE_WINDOW"), nullptr);
    if (active != nullptr) {
        xcb_client_message_event_t request{};
        request.response_type = XCB_CLIENT_MESSAGE;
        request.format = 32;
        request.window = m_window;
        request.type = active->atom;
        request.data.data32[0] = 2;
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&request));
        std::free(active);
        sync();
    }
    // The window manager may take a moment to map it; the focus can only go to a viewable window.
    for (int attempt = 0; attempt < 50 && !hasFocus(); ++attempt) {
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
        sync();
        if (!hasFocus())
            usleep(20000);
    }
}

void OtherXClient::closeWindow()
{
    if (m_window == 0)
        return;
    xcb_destroy_window(m_connection, m_window);
    m_window = 0;
    sync();
}

bool OtherXClient::hasFocus() const
{
    xcb_get_input_focus_reply_t *reply =
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
    const bool focused = reply != nullptr && m_window != 0 && reply->focus == m_window;
    std::free(reply);
    return focused;
}

int OtherXClient::takeKeyPresses()
{
    sync();
    int presses = 0;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS
            && reinterpret_cast<xcb_key_press_event_t *>(event)->event == m_window)
            ++presses;
        std::free(event);
    }
    return presses;
}

quint8 OtherXClient::keycodeForName(const char *name) const
{
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap = xkb_x11_keymap_new_from_device(
        context, m_connection, xkb_x11_get_core_keyboard_device_id(m_connection), XKB_KEYMAP_COMPILE_NO_FLAGS);
    const xkb_keycode_t keycode = keymap != nullptr ? xkb_keymap_key_by_name(keymap, name) : XKB_KEYCODE_INVALID;
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return keycode == XKB_KEYCODE_INVALID || keycode > 255 ? 0 : quint8(keycode);
}

OtherXClient::Chord OtherXClient::parse(const QString &chord) const
{
    Chord parsed;
    const QStringList parts = chord.split(QLatin1Char('+'));
    for (const QString &part : parts.mid(0, parts.size() - 1)) {
        if (part == QLatin1String("Ctrl")) {
            parsed.modifiers |= XCB_MOD_MASK_CONTROL;
            parsed.modifierKeys.append(keycodeForName("LCTL"));
        } else if (part == QLatin1String("Shift")) {
            parsed.modifiers |= XCB_MOD_MASK_SHIFT;
            parsed.modifierKeys.append(keycodeForName("LFSH"));
        } else if (part == QLatin1String("Alt")) {
            parsed.modifiers |= XCB_MOD_MASK_1;
            parsed.modifierKeys.append(keycodeForName("LALT"));
        } else if (part == QLatin1String("Super")) {
            parsed.modifiers |= XCB_MOD_MASK_4;
            parsed.modifierKeys.append(keycodeForName("LWIN"));
        }
    }
    const QString key = parts.constLast();
    const char *name = key.size() == 1 ? keyNameOf(key.at(0)) : nullptr;
    const QByteArray given = key.toLatin1();
    parsed.keycode = keycodeForName(name != nullptr ? name : given.constData());
    return parsed;
}

void OtherXClient::fakeKey(quint8 keycode, bool press)
{
    xcb_test_fake_input(m_connection, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0,
                        0, 0);
}

void OtherXClient::press(const QString &chord, int holdMilliseconds)
{
    const Chord parsed = parse(chord);
    for (const quint8 modifier : parsed.modifierKeys)
        fakeKey(modifier, true);
    fakeKey(parsed.keycode, true);
    if (holdMilliseconds > 0) {
        sync();
        usleep(useconds_t(holdMilliseconds) * 1000);
    }
    fakeKey(parsed.keycode, false);
    for (auto it = parsed.modifierKeys.crbegin(); it != parsed.modifierKeys.crend(); ++it)
        fakeKey(*it, false);
    sync();
}

void OtherXClient::toggleCapsLock()
{
    const quint8 caps = keycodeForName("CAPS");
    fakeKey(caps, true);
    fakeKey(caps, false);
    sync();
}

bool OtherXClient::grab(const QString &chord)
{
    const Chord parsed = parse(chord);
    xcb_generic_error_t *error =
        xcb_request_check(m_connection,
                          xcb_grab_key_checked(m_connection, 0, m_root, parsed.modifiers, parsed.keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool taken = error == nullptr;
    std::free(error);
    return taken;
}

void OtherXClient::ungrab(const QString &chord)
{
    const Chord parsed = parse(chord);
    xcb_ungrab_key(m_connection, parsed.keycode, m_root, parsed.modifiers);
    sync();
}

void OtherXClient::lockGroup(int group)
{
    xcb_xkb_latch_lock_state(m_connection, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1, quint8(group), 0, 0, 0);
    sync();
}

} // namespace knvt::test
