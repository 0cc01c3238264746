// Two launches on one library that share no session bus: the second finds the library held, says so on stderr and in
// an alert on the X server, and ends without opening the library; the first goes on. A launch on a full or read-only
// disk says that instead, never that another Quillvane is open.

#include "support/WaitUntil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
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

// The user reads the one alert the launch shows and presses Return on its button; false when it showed another number
// of windows.
bool answerTheOneAlert(QProcess &launch)
{
    QStringList shown;
    knvt::test::waitUntil(
        [&] {
            shown = windowsOf(launch.processId());
            return !shown.isEmpty() || launch.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(20));
    if (shown.size() != 1)
        return false;
    QProcess answer;
    answer.start(QStringLiteral("xdotool"),
                 {QStringLiteral("windowactivate"), QStringLiteral("--sync"), shown.front(), QStringLiteral("key"),
                  QStringLiteral("Return")});
    answer.waitForFinished(10000);
    return true;
}

} // namespace

TEST(LibraryLock, ALaunchOnAFullOrReadOnlyDiskSaysSoAndOpensNothing)
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QStringLiteral("xcb") || qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the X server of scripts/with-x11";
    QTemporaryDir probe;
    QProcess mountable;
    mountable.start(QStringLiteral("unshare"),
                    {QStringLiteral("--mount"), QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"),
                     QStringLiteral("tmpfs"), probe.path()});
    if (!mountable.waitForFinished(10000) || mountable.exitCode() != 0)
        GTEST_SKIP() << "a private mount namespace is refused here (unshare --mount needs CAP_SYS_ADMIN)";

    struct Case
    {
        const char *disk;
        // Run in the launch's own mount namespace with $1 the data folder, before the program starts.
        QString prepare;
        QByteArray said;
        int status;
        // The library a launch made before, which the case keeps.
        bool libraryKept = false;
    };
    const QString library = QStringLiteral("$1/Quillvane/Quillvane Library.quillvaneLibrary");
    // The lock of a process that has ended: a pid no process has, on this machine.
    const QString staleLock = QStringLiteral("mkdir -p \"%1\" && printf '2147483646\\nquillvane\\n%2\\n' > \"%1.lock\"")
                                  .arg(library, QSysInfo::machineHostName());
    // A launch that made the library and ended while it had it open, as every quit leaves it: the database with its
    // -wal and -shm files beside it.
    const QString libraryWithLog =
        QStringLiteral("mkdir -p \"%1\"; (QT_QPA_PLATFORM=offscreen exec \"$0\") & made=$!; i=0; "
                       "while [ ! -e \"%1/TaskStoreData.sqlite3-shm\" ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i+1)); "
                       "done; kill -9 $made; wait $made; [ -e \"%1/TaskStoreData.sqlite3-wal\" ]")
            .arg(library);
    const std::vector<Case> cases = {
        {"a full disk",
         QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$1\" && { dd if=/dev/zero of=\"$1/filler\" bs=4k "
                        "2>/dev/null; true; }"),
         "The disk is full: nothing can be written in", 1},
        {"a read-only disk", QStringLiteral("mount -t tmpfs -o ro tmpfs \"$1\""), "is on a disk that is read-only", 1},
        // A lock file that a killed process left on a disk that is now full or read-only: nothing can take it over,
        // and its dead holder is no reason to call the library open.
        {"a stale lock on a full disk",
         QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$1\" && %1 && { dd if=/dev/zero of=\"$1/filler\" bs=4k "
                        "2>/dev/null; true; }")
             .arg(staleLock),
         "The disk is full: nothing can be written in", 1},
        {"a stale lock on a read-only disk",
         QStringLiteral("mount -t tmpfs tmpfs \"$1\" && %1 && mount -o remount,ro \"$1\"").arg(staleLock),
         "is on a disk that is read-only", 1},
        {"a read-only library folder",
         QStringLiteral("mkdir -p \"%1\" && mount --bind \"%1\" \"%1\" && mount -o remount,bind,ro \"%1\"")
             .arg(library),
         "Quillvane Library.quillvaneLibrary is read-only", 0},
        {"a read-only library folder holding the -wal and -shm files",
         QStringLiteral("%1 && mount --bind \"%2\" \"%2\" && mount -o remount,bind,ro \"%2\"")
             .arg(libraryWithLog, library),
         "Quillvane Library.quillvaneLibrary is read-only", 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.disk);
        QTemporaryDir home;
        const QString data = home.filePath(QStringLiteral("data"));
        ASSERT_TRUE(QDir().mkpath(data));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("knvt.*.info=true"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
        QProcess launch;
        launch.setProcessEnvironment(environment);
        launch.start(QStringLiteral("unshare"),
                     {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                      c.prepare + QStringLiteral(" && exec \"$0\""), QStringLiteral(KNVT_QUILLVANE_BINARY), data});
        ASSERT_TRUE(launch.waitForStarted());
        EXPECT_TRUE(answerTheOneAlert(launch)) << "only the alert shows";
        ASSERT_TRUE(launch.waitForFinished(20000)) << "the launch ended";
        EXPECT_EQ(launch.exitCode(), c.status);
        const QByteArray said = launch.readAllStandardError();
        EXPECT_TRUE(said.contains(c.said)) << said.toStdString();
        EXPECT_FALSE(said.contains("Already Open")) << said.toStdString();
        EXPECT_FALSE(said.contains("newer version")) << said.toStdString();
        EXPECT_EQ(QFileInfo::exists(data + QStringLiteral("/Quillvane/Quillvane Library.quillvaneLibrary/")
                                    + QStringLiteral("TaskStoreData.sqlite3")),
                  c.libraryKept)
            << "nothing was opened";
    }
}

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
    ASSERT_TRUE(answerTheOneAlert(second)) << "only the alert shows";
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
