#include "app/BadgeSink.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace knvt {

namespace {

BadgeSink *&installedBadgeSink()
{
    static BadgeSink *sink = nullptr;
    return sink;
}

} // namespace

BadgeSink &BadgeSink::shared()
{
    static LauncherEntryBadgeSink launcher;
    return installedBadgeSink() ? *installedBadgeSink() : launcher;
}

void BadgeSink::setShared(BadgeSink *sink)
{
    installedBadgeSink() = sink;
}

void LauncherEntryBadgeSink::setBadgeCount(qint64 count)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/"), QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("count"), QVariant::fromValue<qint64>(count)},
                                 {QStringLiteral("count-visible"), count != 0}};
    signal << QStringLiteral("application://quillvane.desktop") << properties;
    bus.send(signal);
}

} // namespace knvt
