#pragma once

#include "hotkeys/GlobalShortcutsPortal.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QHash>
#include <QObject>
#include <QStringList>

namespace knvt::test {

class FakePortalSession;

// Stands in for the desktop's GlobalShortcuts portal on the session bus (tests run inside scripts/with-keyring): a
// connection of its own owns org.freedesktop.portal.Desktop and answers as the interface describes, with requests
// whose Response comes at the path the caller can predict, sessions that close, Activated, Deactivated and
// ShortcutsChanged. The desktop may confirm the preferred trigger, assign another, let the user refuse, report an
// error, never answer, or leave the bus.
class FakeGlobalShortcutsPortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    // How the desktop answers a binding.
    enum class Mode {
        Confirm,      // binds the shortcut, with the trigger it describes
        Refuse,       // the user cancels the desktop's dialog (response 1)
        LeaveUnbound, // success, but the user gave the shortcut no trigger: it is missing from the answer
        Error,        // response 2
        Silent,       // never answers (the reply to the call comes, the Response never)
    };

    struct Binding
    {
        QString session;
        QString id;
        QString description;
        QString preferredTrigger;
    };

    // `withGlobalShortcuts` false: a desktop portal without that interface. The portal is on the bus when made;
    // isRegistered() says whether that worked (false without a session bus).
    explicit FakeGlobalShortcutsPortal(uint version = 1, bool withGlobalShortcuts = true);
    ~FakeGlobalShortcutsPortal() override;

    bool isRegistered() const { return m_registered; }
    uint version() const { return m_version; }

    void setMode(Mode mode) { m_mode = mode; }
    // The desktop binds the next shortcuts to this trigger, whatever was preferred.
    void assignTrigger(const QString &description) { m_assigned = description; }
    // Requests are answered that long after the call returned, as by a desktop that takes its time.
    void delayAnswers(int milliseconds) { m_delay = milliseconds; }

    QList<Binding> bindings() const { return m_bindings; }
    QStringList openSessions() const { return m_open; }
    QStringList closedSessions() const { return m_closed; }
    // What the shortcut of the newest binding is bound to now; empty when it is not bound.
    QString boundTrigger() const { return m_bound; }

    // The user presses the bound shortcut in any program: Activated, then Deactivated, on the newest binding's
    // session, with `activationToken` (version 2 carries one) when given.
    void press(const QString &activationToken = {});
    // The user gives the shortcut another trigger in the desktop's settings.
    void changeTrigger(const QString &description);
    // The desktop's portal ends: its name leaves the bus.
    void vanish();

    // The desktop's words for a trigger in the XDG shortcuts format: "CTRL+ALT+j" reads "Ctrl+Alt+J".
    static QString describe(const QString &trigger);

public slots:
    QDBusObjectPath CreateSession(const QVariantMap &options);
    // The list's type is spelled out: QtDBus matches a slot by the type's own name, not an alias of it.
    QDBusObjectPath BindShortcuts(const QDBusObjectPath &session, const QList<QPair<QString, QVariantMap>> &shortcuts,
                                  const QString &parentWindow, const QVariantMap &options);
    QDBusObjectPath ListShortcuts(const QDBusObjectPath &session, const QVariantMap &options);

private:
    void respond(const QString &requestPath, uint response, const QVariantMap &results);
    void emitSignal(const QString &name, const QVariantList &arguments);
    void closed(const QString &session);

    QString m_connectionName;
    QDBusConnection m_connection;
    uint m_version = 1;
    bool m_registered = false;
    Mode m_mode = Mode::Confirm;
    int m_delay = 0;
    QString m_assigned;
    QString m_bound;
    QList<Binding> m_bindings;
    QStringList m_open;
    QStringList m_closed;
    QHash<QString, FakePortalSession *> m_sessions;
};

} // namespace knvt::test
