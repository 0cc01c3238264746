#pragma once

#include "hotkeys/KNVTHotKey.h"

#include <QHash>
#include <QList>

#include <memory>

namespace knvt {
class HotKeyBackend;
struct GrabRecord;
} // namespace knvt

// The one registry of global hot keys of the process. It numbers every registration, takes the chord through the
// backend and runs a hot key's action when the backend reports its chord pressed, whichever window has the keyboard.
class KNVTHotKeyCenter
{
public:
    enum class EventKind { Pressed, Released };
    struct HotKeyEvent
    {
        EventKind kind = EventKind::Pressed;
        KNVTHotKeyID hotKeyID;
        quint32 time = 0;        // the window system's time of the key event
        QString activationToken; // the desktop's token for taking the focus in answer to the press, if any
    };

    static KNVTHotKeyCenter &sharedCenter();

    // Not owned. Hot keys registered with the previous backend are let go and forgotten; nullptr leaves none, and
    // every registration fails until a backend is set.
    void setBackend(knvt::HotKeyBackend *backend);
    // Lets every hot key go from the current backend and registers each again with `backend` (not owned), under new
    // numbers; a hot key the new backend refuses is left unregistered.
    void moveHotKeysTo(knvt::HotKeyBackend *backend);
    knvt::HotKeyBackend *backend() const { return m_backend; }

    // Registers the hot key under a new number, after unregistering it when it was registered. A combination that is
    // not a valid hot key registers nothing and counts as success; false when the backend refused the chord (the
    // number is used up all the same).
    bool registerHotKey(const std::shared_ptr<KNVTHotKey> &hotKey);
    // Lets the chord go; a hot key that is not registered is ignored.
    void unregisterHotKey(const std::shared_ptr<KNVTHotKey> &hotKey);

    QList<std::shared_ptr<KNVTHotKey>> allHotKeys() const;
    std::shared_ptr<KNVTHotKey> hotKeyWithIdentifier(const QString &identifier) const;

    // Runs the action of the registered hot key carrying the event's number on a press; a release runs nothing.
    // Returns 0 (noErr).
    int sendHotKeyEvent(const HotKeyEvent &event);

    bool eventHandlerInstalled() const { return m_eventHandlerInstalled; }
    // The time of the key event being dispatched, for windows that must come forward over another program.
    quint32 currentEventTime() const { return m_currentEventTime; }
    // The desktop's activation token of the press being dispatched; empty when the window system gives none.
    QString currentActivationToken() const { return m_currentActivationToken; }

    // Lets every chord go while the user records a new one, and takes them again afterwards.
    void setSuspended(bool suspended);

private:
    KNVTHotKeyCenter() = default;

    struct Registration
    {
        quint64 serial = 0;
        KNVTHotKeyID hotKeyID;
        std::shared_ptr<KNVTHotKey> hotKey;
    };

    std::optional<quint64> serialOf(const KNVTHotKey *hotKey) const;
    void updateEventHandler();
    void backendReported(const knvt::GrabRecord &record, bool pressed, quint32 time, const QString &activationToken);

    knvt::HotKeyBackend *m_backend = nullptr;
    QHash<quint64, Registration> m_hotKeys;
    QHash<quint64, knvt::GrabRecord> m_records;
    bool m_eventHandlerInstalled = false;
    quint32 m_currentEventTime = 0;
    QString m_currentActivationToken;
};
