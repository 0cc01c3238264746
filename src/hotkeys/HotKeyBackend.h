#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace knvt {

// One registration with the window system: the handle the backend reports presses by.
struct GrabRecord
{
    quint64 serial = 0;
    int keyCode = -1;            // stored key code
    quint32 carbonModifiers = 0; // stored modifiers, the Function bit included

    bool operator==(const GrabRecord &other) const = default;
};

// How the hot-key centre reaches the window system. Key codes and modifiers arrive in the stored form; only the
// backend knows the native ones.
class HotKeyBackend : public QObject
{
    Q_OBJECT

public:
    // A press (pressed) or release of a registered chord, with the window system's time of the key event and, where
    // the desktop hands one out, the token that lets a window of this program take the focus in answer to it.
    using EventHandler =
        std::function<void(const GrabRecord &record, bool pressed, quint32 time, const QString &activationToken)>;

    ~HotKeyBackend() override;

    // False when there is no window system to register with; every registration then fails.
    virtual bool isAvailable() const = 0;
    // Takes the chord for this process; nothing when it cannot be had (another program holds it, no display).
    virtual std::optional<GrabRecord> registerGrab(int keyCode, quint32 carbonModifiers) = 0;
    // Releases exactly what the record took.
    virtual void unregisterGrab(const GrabRecord &record) = 0;
    // Whether another program holds the chord system-wide; chords this process registered do not count.
    virtual bool isChordHeldElsewhere(int keyCode, quint32 carbonModifiers) = 0;
    // While suspended the registered chords are let go, so that they reach the focused window; resuming takes them
    // again. Both are idempotent.
    virtual void setSuspended(bool suspended) = 0;
    // One sentence for the preferences about the global key: why there is none, or what the desktop made of it.
    // Empty when there is nothing to say beyond the recorded shortcut itself.
    virtual QString statusText() const;

    void setEventHandler(EventHandler handler) { m_eventHandler = std::move(handler); }

signals:
    // statusText() or isAvailable() changed.
    void statusChanged();

protected:
    explicit HotKeyBackend(QObject *parent = nullptr);
    void reportEvent(const GrabRecord &record, bool pressed, quint32 time, const QString &activationToken = {}) const;

private:
    EventHandler m_eventHandler;
};

} // namespace knvt
