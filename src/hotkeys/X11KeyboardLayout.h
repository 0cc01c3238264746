#pragma once

#include "hotkeys/KeyboardLayoutSource.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <memory>

struct xcb_connection_t;

namespace knvt {

// The keyboard of the X server the application runs on: its keymap as the server holds it and the active layout
// (group), both followed as they change. Shares Qt's own connection, whose XKB events it watches next to Qt.
class X11KeyboardLayout : public QObject, public KeyboardLayoutSource, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // Nothing when the application does not run on an X display (another platform, or no XKB).
    static std::unique_ptr<X11KeyboardLayout> create();
    ~X11KeyboardLayout() override;

    xkb_keymap *keymap() const override { return m_keymap; }
    xkb_layout_index_t layoutIndex() const override { return m_layoutIndex; }

    xcb_connection_t *connection() const { return m_connection; }
    quint32 rootWindow() const { return m_root; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Reads the keymap and the active layout from the server again.
    void reload();

signals:
    // The keymap was replaced: key codes and modifiers of grabs may have moved.
    void keymapChanged();

private:
    X11KeyboardLayout(xcb_connection_t *connection, quint32 root, quint8 xkbFirstEvent);
    void scheduleReload();

    xcb_connection_t *m_connection;
    quint32 m_root;
    quint8 m_xkbFirstEvent;
    qint32 m_deviceId = -1;
    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_layout_index_t m_layoutIndex = 0;
    bool m_reloadPending = false;
};

} // namespace knvt
