#include "hotkeys/X11KeyboardLayout.h"

#include "hotkeys/Logging.h"

#include <QGuiApplication>
#include <QTimer>

#include <xcb/xcb.h>
// The XKB protocol header names a member "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

namespace knvt {

std::unique_ptr<X11KeyboardLayout> X11KeyboardLayout::create()
{
    auto *x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return nullptr;
    quint8 firstEvent = 0;
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &firstEvent, nullptr)) {
        qCWarning(lcHotkeys) << "X11KeyboardLayout:create the X server has no keyboard extension";
        return nullptr;
    }
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(setup).data;
    if (screen == nullptr)
        return nullptr;
    std::unique_ptr<X11KeyboardLayout> layout(new X11KeyboardLayout(connection, screen->root, firstEvent));
    if (layout->keymap() == nullptr)
        return nullptr;
    return layout;
}

X11KeyboardLayout::X11KeyboardLayout(xcb_connection_t *connection, quint32 root, quint8 xkbFirstEvent)
    : m_connection(connection),
      m_root(root),
      m_xkbFirstEvent(xkbFirstEvent),
      m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
    // The same selection Qt makes for itself: adding it again changes nothing for Qt and keeps these events coming
    // should Qt ever stop asking for them.
    const uint16_t events =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    xcb_xkb_select_events(m_connection, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, 0, 0, nullptr);
    xcb_flush(m_connection);
    reload();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11KeyboardLayout::~X11KeyboardLayout()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

void X11KeyboardLayout::reload()
{
    m_reloadPending = false;
    m_deviceId = xkb_x11_get_core_keyboard_device_id(m_connection);
    xkb_keymap *keymap = m_deviceId < 0
        ? nullptr
        : xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        qCWarning(lcHotkeys) << "X11KeyboardLayout:reload couldn't read the keymap of the X server";
        return;
    }
    xkb_state *state = xkb_x11_state_new_from_device(keymap, m_connection, m_deviceId);
    const xkb_layout_index_t layout =
        state != nullptr ? xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE) : 0;
    xkb_state_unref(state);
    xkb_keymap *previous = m_keymap;
    m_keymap = keymap;
    m_layoutIndex = layout;
    announceChange();
    xkb_keymap_unref(previous);
    emit keymapChanged();
}

void X11KeyboardLayout::scheduleReload()
{
    // One change of layout arrives as a burst of notifications; read the server once after it.
    if (m_reloadPending)
        return;
    m_reloadPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_reloadPending)
            reload();
    });
}

bool X11KeyboardLayout::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & ~0x80;
    if (type == XCB_MAPPING_NOTIFY) {
        scheduleReload();
    } else if (type == m_xkbFirstEvent) {
        // Every XKB event carries its own kind in the second byte.
        switch (event->pad0) {
        case XCB_XKB_NEW_KEYBOARD_NOTIFY:
        case XCB_XKB_MAP_NOTIFY: scheduleReload(); break;
        case XCB_XKB_STATE_NOTIFY: {
            const auto *state = reinterpret_cast<const xcb_xkb_state_notify_event_t *>(event);
            if ((state->changed & XCB_XKB_STATE_PART_GROUP_STATE) && state->group != m_layoutIndex) {
                m_layoutIndex = state->group;
                announceChange();
            }
            break;
        }
        default: break;
        }
    }
    // Qt reads the same events for its own keyboard.
    return false;
}

} // namespace knvt
