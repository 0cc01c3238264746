#pragma once

#include "hotkeys/HotKeyBackend.h"

#include <QDBusConnection>
#include <QHash>
#include <QVariantMap>

#include <optional>

class OrgFreedesktopPortalGlobalShortcutsInterface;
class QDBusMessage;
class QDBusPendingCall;
class QTimer;

namespace knvt {

// Global hot keys through the desktop's GlobalShortcuts portal, where a Wayland desktop (KDE Plasma, GNOME from 48)
// lets no program see another's keys. The desktop owns the key: the program opens a session and asks for its one
// shortcut, the quick entry, with the recorded combination as preferred trigger; the desktop may confirm it with the
// user, assign another trigger or refuse, and reports presses in any program (with an activation token for the window
// that answers them). Every call is asynchronous and bounded by a time-out; a refusal, an error or a portal that
// leaves the bus leaves the program without a global key, and statusText() says why. A portal that comes back on the
// bus (restarted by an upgrade) is asked again, and the wanted shortcut is bound with it.
class PortalHotKeyBackend : public HotKeyBackend
{
    Q_OBJECT

public:
    enum class State {
        Probing,     // asking the portal for its interface version
        Unavailable, // the desktop has no GlobalShortcuts portal
        Idle,        // the portal answered; no shortcut is wanted
        Binding,     // a session and the shortcut are being asked for
        Bound,       // the desktop bound the shortcut to assignedTrigger()
        Refused,     // the user refused the shortcut or left it without a trigger
        Failed,      // the portal answered with an error, or not in time
        Vanished,    // the portal left the bus; its name owned again, it is asked again
    };

    // Seconds, scaled by knvt::Timing: a method call's reply, a session's answer, and the answer to a binding, which
    // may wait for the user in the desktop's own dialog.
    struct Timeouts
    {
        double call = 5;
        double session = 10;
        double bind = 120;
    };

    // The id of the one shortcut, as the desktop lists it among the program's shortcuts.
    static constexpr char ShortcutId[] = "quick-entry";

    explicit PortalHotKeyBackend(const QDBusConnection &bus, QObject *parent = nullptr);
    PortalHotKeyBackend(const QDBusConnection &bus, Timeouts timeouts, QObject *parent = nullptr);
    ~PortalHotKeyBackend() override;

    // Asks for the portal's interface version; a registration made before the answer waits for it. Once.
    void start();

    State state() const { return m_state; }
    // The interface version the portal answered; nothing before the answer or without a portal.
    std::optional<uint> version() const { return m_version; }
    // What the desktop bound the shortcut to, in its own key names; empty unless bound.
    QString assignedTrigger() const { return m_assigned; }
    // The trigger asked for ("CTRL+ALT+j"); empty without a wanted shortcut.
    QString preferredTrigger() const;
    bool desktopAssignedAnotherTrigger() const;

    bool isAvailable() const override;
    std::optional<GrabRecord> registerGrab(int keyCode, quint32 carbonModifiers) override;
    void unregisterGrab(const GrabRecord &record) override;
    // The desktop decides about its keys; no chord is known to be held elsewhere.
    bool isChordHeldElsewhere(int keyCode, quint32 carbonModifiers) override;
    // While suspended, presses the desktop reports are not acted on.
    void setSuspended(bool suspended) override;
    QString statusText() const override;

signals:
    // The version question was answered (true) or not (false: no portal, no GlobalShortcuts, no answer in time).
    void probed(bool answered);

private slots:
    void requestAnswered(const QDBusMessage &message);
    void activated(const QDBusMessage &message);
    void deactivated(const QDBusMessage &message);
    void shortcutsChanged(const QDBusMessage &message);

private:
    enum class RequestKind { Session, Bind };
    struct Wanted
    {
        GrabRecord record;
        QString trigger;    // the XDG shortcuts format
        QString nativeText; // the desktop's key names of the recorded combination
    };
    struct Request
    {
        RequestKind kind = RequestKind::Session;
        QTimer *timer = nullptr;
        // No longer wanted; a session it opens after all is closed at once.
        bool abandoned = false;
    };

    void setState(State state);
    void beginBinding();
    void createSession();
    void bindShortcut();
    void listen(const QString &path, RequestKind kind, double seconds);
    void forget(const QString &path);
    void forgetAllRequests();
    void abandonRequests();
    void watchCall(const QDBusPendingCall &call, const QString &requestPath);
    void closeSession();
    void closeSessionAt(const QString &session);
    void fail(const QString &reason);
    void applyShortcuts(const QVariant &shortcuts);
    void listenToPortal(const char *signal, const char *slot);
    bool concernsTheShortcut(const QString &session, const QString &shortcutId) const;
    void probe();
    void vanished();
    void returned();
    QString nextToken();

    QDBusConnection m_bus;
    Timeouts m_timeouts;
    OrgFreedesktopPortalGlobalShortcutsInterface *m_portal = nullptr;
    State m_state = State::Probing;
    bool m_started = false;
    bool m_suspended = false;
    std::optional<uint> m_version;
    std::optional<Wanted> m_wanted;
    QString m_session;
    QString m_assigned;
    QString m_failure;
    QHash<QString, Request> m_requests;
    quint64 m_nextSerial = 1;
    quint64 m_nextToken = 1;
    quint64 m_probeGeneration = 0;
};

} // namespace knvt
