#include "support/FakeLocaleService.h"

#include <QDBusConnection>

namespace knvt::test {

namespace {

const QString kConnection = QStringLiteral("knvt-fake-locale1");

} // namespace

FakeLocaleService::FakeLocaleService(const QString &layout, const QString &variant) : m_settings(new LocaleSettings)
{
    m_settings->layout = layout;
    m_settings->variant = variant;
    m_thread.start();
    m_settings->moveToThread(&m_thread);
    // Calls to an object are delivered in its thread; the connection is made and the name owned there too.
    QMetaObject::invokeMethod(
        m_settings,
        [this] {
            QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection);
            m_registered = connection.isConnected()
                && connection.registerObject(QStringLiteral("/org/freedesktop/locale1"), m_settings,
                                             QDBusConnection::ExportAllProperties)
                && connection.registerService(QStringLiteral("org.freedesktop.locale1"));
        },
        Qt::BlockingQueuedConnection);
}

FakeLocaleService::~FakeLocaleService()
{
    // Qt closes a connection it drops later, in its own thread: until then the bus would still route the name here.
    // The name is given up first, with an answer from the bus, so that whoever asks next finds no settings.
    QMetaObject::invokeMethod(
        m_settings,
        [] {
            QDBusConnection connection(kConnection);
            connection.unregisterObject(QStringLiteral("/org/freedesktop/locale1"));
            connection.unregisterService(QStringLiteral("org.freedesktop.locale1"));
            QDBusConnection::disconnectFromBus(kConnection);
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    // Its thread has ended: nothing can reach it any more.
    delete m_settings;
}

} // namespace knvt::test
