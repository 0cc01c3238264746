#pragma once

#include "hotkeys/HotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QObject>
#include <QPointer>

namespace knvt {

class X11KeyboardLayout;

// Global hot keys on X11: a passive grab of the chord on the root window for every combination of the lock keys
// (Caps Lock, Num Lock and, where bound, Scroll Lock), on Qt's own connection. Key codes come from the live keymap
// by key name, modifiers from the server's modifier mapping (Command is Ctrl, Option is Alt, Control is Super); the
// Function bit is never grabbed. Grabs follow keymap changes. Holding a chord reports one press until its release.
class X11HotKeyBackend : public HotKeyBackend, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // Without a layout (no X display) the backend is unavailable and refuses every registration.
    explicit X11HotKeyBackend(X11KeyboardLayout *layout);
    ~X11HotKeyBackend() override;

    bool isAvailable() const override;
    std::optional<GrabRecord> registerGrab(int keyCode, quint32 carbonModifiers) override;
    void unregisterGrab(const GrabRecord &record) override;
    bool isChordHeldElsewhere(int keyCode, quint32 carbonModifiers) override;
    void setSuspended(bool suspended) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // The X chord of a stored combination in the current keymap, for tests and diagnostics.
    struct Chord
    {
        quint8 keycode = 0;
        quint16 modifiers = 0;
        bool operator==(const Chord &other) const = default;
    };
    std::optional<Chord> chordFor(int keyCode, quint32 carbonModifiers) const;

private:
    struct Grab
    {
        GrabRecord record;
        Chord chord;
        bool grabbed = false;
        bool down = false;
    };

    void readModifierMapping();
    QList<quint16> lockVariants() const;
    bool grab(const Chord &chord);
    void ungrab(const Chord &chord);
    void keymapChanged();

    QPointer<X11KeyboardLayout> m_layout;
    QHash<quint64, Grab> m_grabs;
    quint64 m_nextSerial = 1;
    bool m_suspended = false;
    bool m_filterInstalled = false;
    quint16 m_alt = 0;
    quint16 m_super = 0;
    quint16 m_numLock = 0;
    quint16 m_scrollLock = 0;
};

} // namespace knvt
