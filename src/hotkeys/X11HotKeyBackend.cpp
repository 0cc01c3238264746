#include "hotkeys/X11HotKeyBackend.h"

#include "hotkeys/Logging.h"
#include "hotkeys/MacKeyCodes.h"
#include "hotkeys/X11KeyboardLayout.h"

#include <QCoreApplication>
#include <QTimer>

#include <xcb/xcb.h>
// The XKB protocol header names a member "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace knvt {

namespace {

constexpr quint8 kBadAccess = 10;

} // namespace

X11HotKeyBackend::X11HotKeyBackend(X11KeyboardLayout *layout) : m_layout(layout)
{
    if (m_layout == nullptr)
        return;
    xcb_connection_t *connection = m_layout->connection();
    // Held chords then repeat as presses only, without a release before each: one press, one window.
    xcb_xkb_per_client_flags_cookie_t cookie =
        xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                 XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0);
    std::free(xcb_xkb_per_client_flags_reply(connection, cookie, nullptr));
    readModifierMapping();
    connect(m_layout, &X11KeyboardLayout::keymapChanged, this, &X11HotKeyBackend::keymapChanged);
}

X11HotKeyBackend::~X11HotKeyBackend()
{
    if (m_filterInstalled && QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_layout == nullptr)
        return;
    for (const Grab &grabbed : std::as_const(m_grabs)) {
        if (grabbed.grabbed)
            ungrab(grabbed.chord);
    }
    xcb_flush(m_layout->connection());
}

bool X11HotKeyBackend::isAvailable() const
{
    return m_layout != nullptr && m_layout->keymap() != nullptr;
}

void X11HotKeyBackend::readModifierMapping()
{
    m_alt = m_super = m_numLock = m_scrollLock = 0;
    xcb_connection_t *connection = m_layout->connection();
    xcb_get_modifier_mapping_reply_t *reply =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    xkb_keymap *keymap = m_layout->keymap();
    if (reply != nullptr && keymap != nullptr) {
        const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                if (keycode == 0)
                    continue;
                const xkb_keysym_t *syms = nullptr;
                const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, 0, &syms);
                for (int s = 0; s < count; ++s) {
                    const quint16 bit = quint16(1u << modifier);
                    switch (syms[s]) {
                    case XKB_KEY_Alt_L:
                    case XKB_KEY_Alt_R:
                    case XKB_KEY_Meta_L:
                    case XKB_KEY_Meta_R: m_alt |= m_alt == 0 ? bit : 0; break;
                    case XKB_KEY_Super_L:
                    case XKB_KEY_Super_R: m_super |= m_super == 0 ? bit : 0; break;
                    case XKB_KEY_Num_Lock: m_numLock |= bit; break;
                    case XKB_KEY_Scroll_Lock: m_scrollLock |= bit; break;
                    default: break;
                    }
                }
            }
        }
    }
    std::free(reply);
    // The usual places, for a server whose mapping names none of these keys.
    if (m_alt == 0)
        m_alt = XCB_MOD_MASK_1;
    if (m_super == 0)
        m_super = XCB_MOD_MASK_4;
    if (m_numLock == 0)
        m_numLock = XCB_MOD_MASK_2;
}

std::optional<X11HotKeyBackend::Chord> X11HotKeyBackend::chordFor(int keyCode, quint32 carbonModifiers) const
{
    if (!isAvailable())
        return std::nullopt;
    const std::optional<xkb_keycode_t> keycode = m_layout->keycodeForMacKeyCode(keyCode);
    if (!keycode || *keycode > 255)
        return std::nullopt;
    quint16 modifiers = 0;
    if (carbonModifiers & kCarbonCommand)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (carbonModifiers & kCarbonShift)
        modifiers |= XCB_MOD_MASK_SHIFT;
    if (carbonModifiers & kCarbonOption)
        modifiers |= m_alt;
    if (carbonModifiers & kCarbonControl)
        modifiers |= m_super;
    return Chord{quint8(*keycode), modifiers};
}

QList<quint16> X11HotKeyBackend::lockVariants() const
{
    QList<quint16> variants{0, XCB_MOD_MASK_LOCK, m_numLock, quint16(XCB_MOD_MASK_LOCK | m_numLock)};
    if (m_scrollLock != 0) {
        for (qsizetype i = 0, n = variants.size(); i < n; ++i)
            variants.append(variants.at(i) | m_scrollLock);
    }
    return variants;
}

bool X11HotKeyBackend::grab(const Chord &chord)
{
    xcb_connection_t *connection = m_layout->connection();
    const xcb_window_t root = m_layout->rootWindow();
    QList<xcb_void_cookie_t> cookies;
    for (const quint16 variant : lockVariants()) {
        cookies.append(xcb_grab_key_checked(connection, 0, root, chord.modifiers | variant, chord.keycode,
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (const xcb_void_cookie_t cookie : std::as_const(cookies)) {
        // BadAccess: another program holds this variant; any other error leaves the chord unusable too.
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused) {
        // Releasing only touches this client's own grabs, so the variants another program holds stay its own.
        ungrab(chord);
        xcb_flush(connection);
    }
    return !refused;
}

void X11HotKeyBackend::ungrab(const Chord &chord)
{
    xcb_connection_t *connection = m_layout->connection();
    for (const quint16 variant : lockVariants())
        xcb_ungrab_key(connection, chord.keycode, m_layout->rootWindow(), chord.modifiers | variant);
}

std::optional<GrabRecord> X11HotKeyBackend::registerGrab(int keyCode, quint32 carbonModifiers)
{
    const std::optional<Chord> chord = chordFor(keyCode, carbonModifiers);
    if (!chord)
        return std::nullopt;
    if (!grab(*chord)) {
        qCInfo(lcHotkeys) << "X11HotKeyBackend:registerGrab another program holds key" << chord->keycode
                          << "with modifiers" << chord->modifiers;
        return std::nullopt;
    }
    xcb_flush(m_layout->connection());
    if (!m_filterInstalled) {
        // Installed with the first chord taken and kept for the life of the backend.
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    const GrabRecord record{m_nextSerial++, keyCode, carbonModifiers};
    // A chord taken while the recorder holds the keyboard stays taken: the recording ends right after it.
    m_grabs.insert(record.serial, Grab{record, *chord, true, false});
    return record;
}

void X11HotKeyBackend::unregisterGrab(const GrabRecord &record)
{
    const auto found = m_grabs.constFind(record.serial);
    if (found == m_grabs.cend())
        return;
    if (found->grabbed && m_layout != nullptr) {
        ungrab(found->chord);
        xcb_flush(m_layout->connection());
    }
    m_grabs.erase(found);
}

bool X11HotKeyBackend::isChordHeldElsewhere(int keyCode, quint32 carbonModifiers)
{
    const std::optional<Chord> chord = chordFor(keyCode, carbonModifiers);
    if (!chord)
        return false;
    // Probing a chord of our own would replace our grab and then release it.
    for (const Grab &held : std::as_const(m_grabs)) {
        if (held.chord == *chord)
            return false;
    }
    xcb_connection_t *connection = m_layout->connection();
    const xcb_window_t root = m_layout->rootWindow();
    xcb_generic_error_t *error =
        xcb_request_check(connection,
                          xcb_grab_key_checked(connection, 0, root, chord->modifiers, chord->keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    if (error != nullptr) {
        const bool held = error->error_code == kBadAccess;
        std::free(error);
        return held;
    }
    xcb_ungrab_key(connection, chord->keycode, root, chord->modifiers);
    xcb_flush(connection);
    return false;
}

void X11HotKeyBackend::setSuspended(bool suspended)
{
    if (suspended == m_suspended || m_layout == nullptr)
        return;
    m_suspended = suspended;
    for (Grab &held : m_grabs) {
        if (suspended && held.grabbed) {
            ungrab(held.chord);
            held.grabbed = false;
            held.down = false;
        } else if (!suspended && !held.grabbed) {
            held.grabbed = grab(held.chord);
            if (!held.grabbed)
                qCInfo(lcHotkeys) << "X11HotKeyBackend:setSuspended couldn't take key" << held.chord.keycode << "again";
        }
    }
    xcb_flush(m_layout->connection());
}

void X11HotKeyBackend::keymapChanged()
{
    if (m_layout == nullptr)
        return;
    for (Grab &held : m_grabs) {
        if (held.grabbed)
            ungrab(held.chord);
        held.grabbed = false;
        held.down = false;
    }
    readModifierMapping();
    for (Grab &held : m_grabs) {
        const std::optional<Chord> chord = chordFor(held.record.keyCode, held.record.carbonModifiers);
        if (!chord)
            continue;
        held.chord = *chord;
        if (!m_suspended)
            held.grabbed = grab(held.chord);
    }
    xcb_flush(m_layout->connection());
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || m_layout == nullptr)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (key->event != m_layout->rootWindow())
        return false;
    const quint16 locks = XCB_MOD_MASK_LOCK | m_numLock | m_scrollLock;
    const quint16 state = key->state & 0xFF & ~locks;
    bool matched = false;
    for (Grab &held : m_grabs) {
        if (!held.grabbed || held.chord.keycode != key->detail)
            continue;
        if (type == XCB_KEY_PRESS) {
            if (held.chord.modifiers != state)
                continue;
            matched = true;
            if (held.down)
                continue; // a repeat of the held chord
            held.down = true;
        } else {
            // The modifiers may be let go first, so a release matches by key alone.
            if (!held.down)
                continue;
            matched = true;
            held.down = false;
        }
        const GrabRecord record = held.record;
        const bool pressed = type == XCB_KEY_PRESS;
        const quint32 time = key->time;
        // Out of Qt's event dispatch: the action opens windows.
        QTimer::singleShot(0, this, [this, record, pressed, time] { reportEvent(record, pressed, time); });
    }
    return matched;
}

} // namespace knvt
