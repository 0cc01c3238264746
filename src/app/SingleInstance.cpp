#include "app/SingleInstance.h"

#include "app/Logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace knvt {

SingleInstance::SingleInstance(std::function<void()> reopen, QObject *parent)
    : QObject(parent), m_reopen(std::move(reopen))
{}

SingleInstance::~SingleInstance()
{
    if (m_registered) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QStringLiteral("/"));
        bus.unregisterService(QString::fromLatin1(ServiceName));
    }
}

bool SingleInstance::registerOrActivate()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    const QString name = QString::fromLatin1(ServiceName);
    if (bus.registerService(name)) {
        m_registered = bus.registerObject(QStringLiteral("/"), this, QDBusConnection::ExportAllSlots);
        return true;
    }
    QDBusMessage reopen = QDBusMessage::createMethodCall(name, QStringLiteral("/"), name, QStringLiteral("Reopen"));
    const QDBusMessage reply = bus.call(reopen, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        qCWarning(lcApp).noquote() << "SingleInstance:registerOrActivate the running instance did not answer:"
                                   << reply.errorMessage();
    return false;
}

void SingleInstance::Reopen()
{
    qCInfo(lcApp).noquote() << "SingleInstance:Reopen another launch handed over";
    if (m_reopen)
        m_reopen();
}

} // namespace knvt
