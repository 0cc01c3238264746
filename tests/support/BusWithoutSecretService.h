#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace knvt::test {

// A private session bus, made the process's session bus for its lifetime, on which no Secret Service runs: the
// service is only activatable there, and starting it would run a script that leaves a marker file behind and exits
// without taking the name. GIO keeps its first session bus connection for the process, so make this before anything
// talks to the session bus.
class BusWithoutSecretService
{
public:
    BusWithoutSecretService();
    ~BusWithoutSecretService();
    BusWithoutSecretService(const BusWithoutSecretService &) = delete;
    BusWithoutSecretService &operator=(const BusWithoutSecretService &) = delete;

    // Empty when the bus did not start.
    const QString &address() const { return m_address; }
    QString markerPath() const { return m_dir.filePath(QStringLiteral("activated")); }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    std::optional<QByteArray> m_previous;
};

} // namespace knvt::test
