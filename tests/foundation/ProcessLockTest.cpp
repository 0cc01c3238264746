// The one policy of the library's lock and the sync lock: held while its process lives, however old; taken over from
// a process that ended; a folder that cannot hold it is told apart from a holder.

#include "foundation/ProcessLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ProcessLock, ALiveHolderKeepsItAndALockLeftByAnEndedProcessIsTakenOver)
{
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("deep/folder/library.lock"));
    {
        knvt::ProcessLock first(path);
        EXPECT_EQ(first.tryLock(), knvt::ProcessLock::Outcome::Locked) << "the missing folders are made";
        knvt::ProcessLock second(path);
        EXPECT_EQ(second.tryLock(), knvt::ProcessLock::Outcome::Held);
        EXPECT_TRUE(
            second.holder().startsWith(QStringLiteral("process %1 on ").arg(QCoreApplication::applicationPid())))
            << second.holder().toStdString();
    }

    // A lock file a process left when it ended, written long ago: its pid names no live process.
    QFile left(path);
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("2147483646\nquillvane\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    left.close();
    knvt::ProcessLock after(path);
    EXPECT_EQ(after.tryLock(), knvt::ProcessLock::Outcome::Locked);

    // A plain file where the folder should be: no holder, and the lock says it could not be made.
    QFile blocker(home.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    knvt::ProcessLock nowhere(home.filePath(QStringLiteral("file/library.lock")));
    EXPECT_EQ(nowhere.tryLock(), knvt::ProcessLock::Outcome::CannotCreate);
    EXPECT_EQ(nowhere.folder(), home.path()) << "the nearest folder that exists";
}
