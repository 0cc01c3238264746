#include "foundation/SystemBusEvents.h"

#include "foundation/SystemEvents.h"

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

namespace knvt {

namespace {

// Receives the bus's signals for one SystemEvents, whose child it is.
class SystemBusReceiver final : public QObject
{
    Q_OBJECT

public:
    explicit SystemBusReceiver(SystemEvents &events) : QObject(&events), m_events(events) {}

private slots:
    void prepareForSleep(bool sleeping)
    {
        if (!sleeping)
            emit m_events.didWake();
    }

    void timedatePropertiesChanged(const QString &, const QVariantMap &changed, const QStringList &invalidated)
    {
        const QString zone = QStringLiteral("Timezone");
        if (changed.contains(zone) || invalidated.contains(zone))
            m_events.zoneMayHaveChanged();
    }

private:
    SystemEvents &m_events;
};

} // namespace

void listenToSystemBus(SystemEvents &events)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    auto *receiver = new SystemBusReceiver(events);
    bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), receiver,
                SLOT(prepareForSleep(bool)));
    bus.connect(QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"), receiver,
                SLOT(timedatePropertiesChanged(QString, QVariantMap, QStringList)));
}

} // namespace knvt

#include "SystemBusEvents.moc"
