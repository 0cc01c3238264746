// The launcher badge and the single instance on a private session bus.

#include "app/BadgeSink.h"
#include "app/SingleInstance.h"

#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The launcher's signal is a broadcast: every program on the bus that shows a badge sends it, and another launch of the
// application on the same desktop does. Only this process's own are the test's.
class SignalRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QVariantList> updates;

public slots:
    void update(const QDBusMessage &message)
    {
        if (message.service() == QDBusConnection::sessionBus().baseService())
            updates << message.arguments();
    }
};

} // namespace

TEST(SessionBus, TheLauncherEntrySignalCarriesTheCountAndWhetherItShows)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run inside scripts/with-keyring";
    // The dock listens on a connection of its own. Listening on the one the sink sends on, the process heard its own
    // two signals in either order on a busy machine, though the bus carried them in the order sent.
    SignalRecorder recorder;
    {
        QDBusConnection dock = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("dock"));
        ASSERT_TRUE(dock.connect(QString(), QStringLiteral("/"), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                 QStringLiteral("Update"), &recorder, SLOT(update(QDBusMessage))));
    }
    knvt::LauncherEntryBadgeSink sink;
    sink.setBadgeCount(5);
    sink.setBadgeCount(0);
    ASSERT_TRUE(knvt::test::waitUntil([&] { return recorder.updates.size() == 2; }));
    QDBusConnection::disconnectFromBus(QStringLiteral("dock"));
    EXPECT_EQ(recorder.updates[0][0].toString(), QStringLiteral("application://quillvane.desktop"));
    const QVariantMap first = qdbus_cast<QVariantMap>(recorder.updates[0][1]);
    EXPECT_EQ(first.value(QStringLiteral("count")).toLongLong(), 5);
    EXPECT_TRUE(first.value(QStringLiteral("count-visible")).toBool());
    const QVariantMap second = qdbus_cast<QVariantMap>(recorder.updates[1][1]);
    EXPECT_FALSE(second.value(QStringLiteral("count-visible")).toBool());
}

TEST(SessionBus, ASecondLaunchMakesTheFirstReopenAndEndsAtOnce)
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("knvt.app.info=true"));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(KNVT_QUILLVANE_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(knvt::test::waitUntil(
        [&] { return bus->isServiceRegistered(QString::fromLatin1(knvt::SingleInstance::ServiceName)).value(); },
        std::chrono::seconds(20)));

    QProcess second;
    second.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    second.start(QStringLiteral(KNVT_QUILLVANE_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    QByteArray log;
    EXPECT_TRUE(knvt::test::waitUntil([&] {
        log += first.readAllStandardError();
        return log.contains("SingleInstance:Reopen");
    }));
    EXPECT_EQ(first.state(), QProcess::Running) << "the first instance goes on";
    first.terminate();
    first.waitForFinished(5000);
}

#include "SessionBusTest.moc"
