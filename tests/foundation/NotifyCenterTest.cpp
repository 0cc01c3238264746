#include "foundation/NotifyCenter.h"

#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

using knvt::Error;
using knvt::NotifyCenter;

namespace {

const QString kChanged = "com.hollowpine.macos.quillvane.taskstore.changed";

// Long enough for any delivery that is going to happen (the coalescing delay is 50 ms).
void settle()
{
    QTest::qWait(300);
}

} // namespace

TEST(NotifyCenter, EveryCentreInTheProcessHearsAPostOfItsName)
{
    NotifyCenter first, second;
    int firstCalls = 0, secondCalls = 0, otherCalls = 0;
    QThread *callbackThread = nullptr;
    ASSERT_NE(first.addObserver(kChanged,
                                [&] {
                                    ++firstCalls;
                                    callbackThread = QThread::currentThread();
                                }),
              0);
    ASSERT_NE(second.addObserver(kChanged, [&] { ++secondCalls; }), 0);
    ASSERT_NE(second.addObserver("com.hollowpine.other", [&] { ++otherCalls; }), 0);

    Error error;
    ASSERT_TRUE(NotifyCenter::post(kChanged, &error)) << error.description().toStdString();

    EXPECT_TRUE(QTest::qWaitFor([&] { return firstCalls == 1 && secondCalls == 1; }, 10000));
    settle();
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 1);
    EXPECT_EQ(otherCalls, 0);
    EXPECT_EQ(callbackThread, QThread::currentThread());
}

TEST(NotifyCenter, APostFromAnotherProcessArrives)
{
    NotifyCenter center;
    int calls = 0;
    ASSERT_NE(center.addObserver(kChanged, [&] { ++calls; }), 0);

    QProcess poster;
    poster.start(KNVT_NOTIFY_POST_HELPER, {kChanged});
    ASSERT_TRUE(poster.waitForStarted(5000));
    const qint64 pid = poster.processId();
    ASSERT_TRUE(poster.waitForFinished(5000));
    ASSERT_EQ(poster.exitCode(), 0) << poster.readAllStandardError().toStdString();

    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 10000));
    QFile file(NotifyCenter::folderPath() + "/" + kChanged);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray::number(pid) + "\n");
}

// A post writes over the file in place: what it held before (another process's longer number) is gone, and the
// observers hear of it all the same.
TEST(NotifyCenter, APostWritesItsProcessOverWhatTheFileHeld)
{
    QFile file(NotifyCenter::folderPath() + "/" + kChanged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("123456789012345678901234567890\n");
    file.close();
    NotifyCenter center;
    int calls = 0;
    ASSERT_NE(center.addObserver(kChanged, [&] { ++calls; }), 0);
    ASSERT_TRUE(NotifyCenter::post(kChanged));
    EXPECT_TRUE(knvt::test::waitUntil([&] { return calls == 1; }));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray::number(QCoreApplication::applicationPid()) + "\n");
}

TEST(NotifyCenter, ABurstOfPostsIsDeliveredOnceAndLaterPostsAgain)
{
    NotifyCenter center;
    int calls = 0;
    ASSERT_NE(center.addObserver(kChanged, [&] { ++calls; }), 0);

    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(NotifyCenter::post(kChanged));
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 1; }, 10000));
    settle();
    EXPECT_EQ(calls, 1);

    ASSERT_TRUE(NotifyCenter::post(kChanged));
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 10000));
}

TEST(NotifyCenter, RemovedObserversAreNotCalledEvenWhenRemovedDuringDelivery)
{
    auto center = std::make_unique<NotifyCenter>();
    int removedCalls = 0, laterCalls = 0, firstCalls = 0;
    int later = 0;
    const int removed = center->addObserver(kChanged, [&] { ++removedCalls; });
    center->addObserver(kChanged, [&] {
        ++firstCalls;
        center->removeObserver(later);
    });
    later = center->addObserver(kChanged, [&] { ++laterCalls; });
    center->removeObserver(removed);

    ASSERT_TRUE(NotifyCenter::post(kChanged));
    EXPECT_TRUE(QTest::qWaitFor([&] { return firstCalls == 1; }, 10000));
    EXPECT_EQ(removedCalls, 0);
    EXPECT_EQ(laterCalls, 0);

    // A callback may also end the centre itself.
    center->addObserver(kChanged, [&] { center.reset(); });
    center->addObserver(kChanged, [&] { ++laterCalls; });
    ASSERT_TRUE(NotifyCenter::post(kChanged));
    EXPECT_TRUE(QTest::qWaitFor([&] { return center == nullptr; }, 10000));
    EXPECT_EQ(laterCalls, 0);
}

TEST(NotifyCenter, NamesThatWouldLeaveTheFolderAreRefused)
{
    NotifyCenter center;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    for (const QString &name : {QString(), QString("."), QString(".."), QString("../escaped"), QString("a/b"),
                                QString("/tmp/x"), QString("a..b"), QString::fromLatin1("nul\0byte", 8)}) {
        Error error;
        EXPECT_FALSE(NotifyCenter::post(name, &error)) << name.toStdString();
        EXPECT_EQ(error.domain(), QString(knvt::NSPOSIXErrorDomain));
        EXPECT_EQ(error.code(), EINVAL);
        Error observerError;
        EXPECT_EQ(center.addObserver(
                      name, [] {}, &observerError),
                  0)
            << name.toStdString();
        EXPECT_EQ(observerError.code(), EINVAL);
    }
    EXPECT_FALSE(QFileInfo::exists(runtime + "/escaped"));
    EXPECT_TRUE(NotifyCenter::post("a.b"));
}

TEST(NotifyCenter, TheFolderIsPrivateToTheUser)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    const QString folder = runtime + "/quillvane-notify";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0755), 0);

    ASSERT_TRUE(NotifyCenter::post(kChanged));
    EXPECT_EQ(NotifyCenter::folderPath(), folder);
    struct stat status = {};
    ASSERT_EQ(stat(QFile::encodeName(folder).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    // A link put in the folder's place is not followed.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    const QString elsewhere = runtime + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, folder));
    Error error;
    EXPECT_FALSE(NotifyCenter::post(kChanged, &error));
    EXPECT_EQ(error.domain(), QString(knvt::NSPOSIXErrorDomain));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    QFile::remove(folder);
}
