#include "support/FakeGlobalShortcutsPortal.h"

#include "support/FakePortalSession.h"

#include <QDBusMessage>
#include <QDateTime>
#include <QTimer>

namespace knvt::test {

namespace {

int g_portals = 0;

} // namespace

FakeGlobalShortcutsPortal::FakeGlobalShortcutsPortal(uint version, bool withGlobalShortcuts)
    : m_connectionName(QStringLiteral("knvt-fake-portal-%1").arg(++g_portals)),
      m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName)),
      m_version(version)
{
    portal::registerTypes();
    if (!m_connection.isConnected())
        return;
    if (withGlobalShortcuts
        && !m_connection.registerObject(QString::fromLatin1(portal::Path), this,
                                        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties))
        return;
    m_registered = m_connection.registerService(QString::fromLatin1(portal::Service));
}

FakeGlobalShortcutsPortal::~FakeGlobalShortcutsPortal()
{
    vanish();
}

void FakeGlobalShortcutsPortal::vanish()
{
    if (!m_connection.isConnected())
        return;
    m_registered = false;
    // Leaving the bus releases the name, as a portal process that ends does.
    QDBusConnection::disconnectFromBus(m_connectionName);
    m_connection = QDBusConnection(QString());
    qDeleteAll(m_sessions);
    m_sessions.clear();
}

QString FakeGlobalShortcutsPortal::describe(const QString &trigger)
{
    QStringList words;
    const QStringList parts = trigger.split(QLatin1Char('+'));
    for (const QString &part : parts.mid(0, parts.size() - 1)) {
        if (part == QLatin1String("CTRL"))
            words << QStringLiteral("Ctrl");
        else if (part == QLatin1String("ALT"))
            words << QStringLiteral("Alt");
        else if (part == QLatin1String("SHIFT"))
            words << QStringLiteral("Shift");
        else if (part == QLatin1String("LOGO"))
            words << QStringLiteral("Meta");
    }
    const QString key = parts.constLast();
    words << (key.size() == 1 ? key.toUpper() : key);
    return words.join(QLatin1Char('+'));
}

QDBusObjectPath FakeGlobalShortcutsPortal::CreateSession(const QVariantMap &options)
{
    const QString sender = message().service();
    const QString requestPath = portal::requestPath(sender, options.value(QStringLiteral("handle_token")).toString());
    const QString sessionPath =
        portal::sessionPath(sender, options.value(QStringLiteral("session_handle_token")).toString());
    auto *session = new FakePortalSession([this, sessionPath] { closed(sessionPath); }, this);
    m_connection.registerObject(sessionPath, session, QDBusConnection::ExportAllSlots);
    m_sessions.insert(sessionPath, session);
    m_open << sessionPath;
    QTimer::singleShot(m_delay, this, [this, requestPath, sessionPath] {
        respond(requestPath, portal::ResponseSuccess, {{QStringLiteral("session_handle"), sessionPath}});
    });
    return QDBusObjectPath(requestPath);
}

QDBusObjectPath FakeGlobalShortcutsPortal::BindShortcuts(const QDBusObjectPath &session,
                                                         const QList<QPair<QString, QVariantMap>> &shortcuts,
                                                         const QString &, const QVariantMap &options)
{
    const QString requestPath =
        portal::requestPath(message().service(), options.value(QStringLiteral("handle_token")).toString());
    if (!m_open.contains(session.path())) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Invalid session"));
        return {};
    }
    portal::Shortcuts bound;
    for (const auto &[id, properties] : shortcuts) {
        const QString preferred = properties.value(QStringLiteral("preferred_trigger")).toString();
        m_bindings.append({session.path(), id, properties.value(QStringLiteral("description")).toString(), preferred});
        const QString trigger = m_assigned.isEmpty() ? describe(preferred) : m_assigned;
        bound.append({id,
                      {{QStringLiteral("description"), properties.value(QStringLiteral("description"))},
                       {QStringLiteral("trigger_description"), trigger}}});
    }
    m_bound.clear();
    uint response = portal::ResponseSuccess;
    QVariantMap results;
    switch (m_mode) {
    case Mode::Confirm:
        m_bound = bound.isEmpty() ? QString()
                                  : bound.constFirst().second.value(QStringLiteral("trigger_description")).toString();
        results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
        break;
    case Mode::Refuse: response = portal::ResponseCancelled; break;
    case Mode::LeaveUnbound:
        results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(portal::Shortcuts()));
        break;
    case Mode::Error: response = 2; break;
    case Mode::Silent: return QDBusObjectPath(requestPath);
    }
    QTimer::singleShot(m_delay, this,
                       [this, requestPath, response, results] { respond(requestPath, response, results); });
    return QDBusObjectPath(requestPath);
}

QDBusObjectPath FakeGlobalShortcutsPortal::ListShortcuts(const QDBusObjectPath &, const QVariantMap &options)
{
    const QString requestPath =
        portal::requestPath(message().service(), options.value(QStringLiteral("handle_token")).toString());
    portal::Shortcuts listed;
    if (!m_bindings.isEmpty() && !m_bound.isEmpty())
        listed.append({m_bindings.constLast().id, {{QStringLiteral("trigger_description"), m_bound}}});
    QTimer::singleShot(m_delay, this, [this, requestPath, listed] {
        respond(requestPath, portal::ResponseSuccess, {{QStringLiteral("shortcuts"), QVariant::fromValue(listed)}});
    });
    return QDBusObjectPath(requestPath);
}

void FakeGlobalShortcutsPortal::press(const QString &activationToken)
{
    if (m_bindings.isEmpty() || m_bound.isEmpty())
        return;
    const Binding &binding = m_bindings.constLast();
    QVariantMap options;
    if (!activationToken.isEmpty())
        options.insert(QStringLiteral("activation_token"), activationToken);
    const qulonglong now = qulonglong(QDateTime::currentMSecsSinceEpoch());
    emitSignal(QStringLiteral("Activated"),
               {QVariant::fromValue(QDBusObjectPath(binding.session)), binding.id, now, options});
    emitSignal(QStringLiteral("Deactivated"),
               {QVariant::fromValue(QDBusObjectPath(binding.session)), binding.id, now + 80, QVariantMap()});
}

void FakeGlobalShortcutsPortal::changeTrigger(const QString &description)
{
    if (m_bindings.isEmpty())
        return;
    const Binding &binding = m_bindings.constLast();
    m_bound = description;
    const portal::Shortcuts shortcuts{
        {binding.id,
         {{QStringLiteral("description"), binding.description}, {QStringLiteral("trigger_description"), description}}}};
    emitSignal(QStringLiteral("ShortcutsChanged"),
               {QVariant::fromValue(QDBusObjectPath(binding.session)), QVariant::fromValue(shortcuts)});
}

void FakeGlobalShortcutsPortal::respond(const QString &requestPath, uint response, const QVariantMap &results)
{
    if (!m_connection.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(requestPath, QString::fromLatin1(portal::RequestInterface),
                                                     QStringLiteral("Response"));
    signal << response << results;
    m_connection.send(signal);
}

void FakeGlobalShortcutsPortal::emitSignal(const QString &name, const QVariantList &arguments)
{
    if (!m_connection.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(portal::Path),
                                                     QString::fromLatin1(portal::GlobalShortcutsInterface), name);
    signal.setArguments(arguments);
    m_connection.send(signal);
}

void FakeGlobalShortcutsPortal::closed(const QString &session)
{
    m_open.removeOne(session);
    m_closed << session;
    m_connection.unregisterObject(session);
    if (FakePortalSession *object = m_sessions.take(session))
        object->deleteLater();
}

} // namespace knvt::test
