// Two launches on one library that share no session bus: the second finds the library held, says so on stderr and in
// an alert on the X server, and ends without opening the library; the first goes on.

#include "support/WaitUntil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The windows the process shows on the X server, as xdotool finds them by the process's id.
QStringList windowsOf(qint64 pid)
{
    QProcess search;
    search.start(
        QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid)});
    search.waitForFinished(5000);
    return QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(LibraryLock, ASecondLaunchThatCannotReachTheFirstSaysTheLibraryIsOpenAndEndsWithoutOpeningIt)
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QStringLiteral("xcb") || qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the X server of scripts/with-x11";
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("knvt.*.info=true"));
    // Each launch has a session bus of its own that nobody answers on, as two logins or a terminal without a bus.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
    const QString library = home.filePath(QStringLiteral("data/Quillvane/Quillvane Library.quillvaneLibrary"));

    QProcessEnvironment offscreen = environment;
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(offscreen);
    first.start(QStringLiteral(KNVT_QUILLVANE_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(
        knvt::test::waitUntil([&] { return QFileInfo::exists(library + QStringLiteral("/TaskStoreData.sqlite3")); },
                              std::chrono::seconds(20)))
        << QDir(library).entryList().join(QLatin1Char(' ')).toStdString();

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(KNVT_QUILLVANE_BINARY), {});
    ASSERT_TRUE(second.waitForStarted());
    QStringList shown;
    EXPECT_TRUE(knvt::test::waitUntil(
        [&] {
            shown = windowsOf(second.processId());
            return !shown.isEmpty() || second.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(20)));
    ASSERT_EQ(shown.size(), 1) << "only the alert shows";
    // The user reads the alert and presses Return on its one button.
    QProcess answer;
    answer.start(QStringLiteral("xdotool"),
                 {QStringLiteral("windowactivate"), QStringLiteral("--sync"), shown.front(), QStringLiteral("key"),
                  QStringLiteral("Return")});
    answer.waitForFinished(10000);
    ASSERT_TRUE(second.waitForFinished(20000)) << "the second launch ended";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    const QByteArray said = second.readAllStandardError();
    EXPECT_TRUE(said.contains("Quillvane Is Already Open")) << said.toStdString();
    EXPECT_FALSE(said.contains("KNVTTaskStore")) << "the second launch never touched the library";

    EXPECT_EQ(first.state(), QProcess::Running) << "the first launch goes on";
    first.terminate();
    first.waitForFinished(5000);
}
