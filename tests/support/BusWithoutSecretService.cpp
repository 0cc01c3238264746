#include "support/BusWithoutSecretService.h"

#include <QDir>
#include <QFile>

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <cstdlib>

namespace knvt::test {

namespace {

void write(const QString &path, const QString &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
}

} // namespace

BusWithoutSecretService::BusWithoutSecretService()
{
    const QString services = m_dir.filePath(QStringLiteral("services"));
    QDir().mkpath(services);
    const QString script = m_dir.filePath(QStringLiteral("activate.sh"));
    write(script, QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(markerPath()));
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    write(services + QStringLiteral("/org.freedesktop.secrets.service"),
          QStringLiteral("[D-BUS Service]\nName=org.freedesktop.secrets\nExec=%1\n").arg(script));
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    write(config,
          QStringLiteral("<busconfig><type>session</type><listen>unix:path=%1</listen><servicedir>%2</servicedir>"
                         "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                         "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
              .arg(m_dir.filePath(QStringLiteral("bus")), services));
    m_daemon.start(
        QStringLiteral("dbus-daemon"),
        {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (m_daemon.waitForStarted() && m_daemon.waitForReadyRead(10000))
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (const char *previous = std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        m_previous = previous;
    setenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8().constData(), 1);
}

BusWithoutSecretService::~BusWithoutSecretService()
{
    // GIO ends the process when its session bus goes away, unless told otherwise.
    if (GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
        g_dbus_connection_set_exit_on_close(bus, FALSE);
        g_object_unref(bus);
    }
    if (m_previous)
        setenv("DBUS_SESSION_BUS_ADDRESS", m_previous->constData(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    m_daemon.kill();
    m_daemon.waitForFinished();
}

} // namespace knvt::test
