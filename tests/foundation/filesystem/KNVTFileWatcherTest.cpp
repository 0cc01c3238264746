#include "FileSystemTestSupport.h"

#include "foundation/filesystem/KNVTFile.h"
#include "foundation/filesystem/KNVTFileWatcher.h"
#include "foundation/filesystem/KNVTFileWatcherDelegate.h"

#include <QThread>

using knvt::test::TemporaryFolderTest;
using knvt::test::waitUntil;

namespace {

class CountingDelegate : public KNVTFileWatcherDelegate
{
public:
    void fileWatcherDidDetectActivity(KNVTFileWatcher *watcher) override
    {
        ++calls;
        lastWatcher = watcher;
        onWrongThread = onWrongThread || QThread::currentThread() != expectedThread;
    }

    int calls = 0;
    KNVTFileWatcher *lastWatcher = nullptr;
    QThread *expectedThread = QThread::currentThread();
    bool onWrongThread = false;
};

class FileWatcherTest : public TemporaryFolderTest
{
protected:
    // Lets every pending event through, so that one test's changes do not count in the next step.
    void settle()
    {
        waitUntil([] { return false; }, 100);
        delegate.calls = 0;
    }

    CountingDelegate delegate;
};

TEST_F(FileWatcherTest, WritesAreReportedOnTheCreatingThread)
{
    const QString file = write("watched.txt");
    KNVTFileWatcher watcher(KNVTFile::fileWithPath(file));
    watcher.setDelegate(&delegate);
    EXPECT_EQ(watcher.file()->path(), file);
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::Append));
    out.write("more");
    out.close();
    ASSERT_TRUE(waitUntil([&] { return delegate.calls > 0; }));
    EXPECT_EQ(delegate.lastWatcher, &watcher);
    EXPECT_FALSE(delegate.onWrongThread);
}

TEST_F(FileWatcherTest, AttributeLinkAndDeleteChangesAreReported)
{
    const QString file = write("watched.txt");
    KNVTFileWatcher watcher(KNVTFile::fileWithPath(file));
    watcher.setDelegate(&delegate);

    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);
    EXPECT_TRUE(waitUntil([&] { return delegate.calls > 0; })) << "permissions";
    settle();
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(path("link.txt")).constData()), 0);
    EXPECT_TRUE(waitUntil([&] { return delegate.calls > 0; })) << "new hard link";
    settle();
    ASSERT_TRUE(QFile::remove(path("link.txt")));
    EXPECT_TRUE(waitUntil([&] { return delegate.calls > 0; })) << "removed hard link";
    settle();
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_TRUE(waitUntil([&] { return delegate.calls > 0; })) << "deletion";
    settle();
    write("watched.txt", "a new item at the old path");
    EXPECT_FALSE(waitUntil([&] { return delegate.calls > 0; }, 300)) << "the new item is not watched";
}

TEST_F(FileWatcherTest, AFolderReportsItemsCreatedAndDeletedInside)
{
    KNVTFileWatcher watcher(KNVTFile::fileWithPath(path()));
    watcher.setDelegate(&delegate);
    write("inside.txt");
    EXPECT_TRUE(waitUntil([&] { return delegate.calls > 0; }));
    settle();
    QFile::remove(path("inside.txt"));
    EXPECT_TRUE(waitUntil([&] { return delegate.calls > 0; }));
}

TEST_F(FileWatcherTest, AMissingPathIsNeverReported)
{
    KNVTFileWatcher watcher(KNVTFile::fileWithPath(path("missing.txt")));
    watcher.setDelegate(&delegate);
    write("missing.txt");
    EXPECT_FALSE(waitUntil([&] { return delegate.calls > 0; }, 300));
}

TEST_F(FileWatcherTest, WithoutADelegateEventsAreDropped)
{
    const QString file = write("watched.txt");
    KNVTFileWatcher watcher(KNVTFile::fileWithPath(file));
    write("watched.txt", "changed while nobody listens");
    settle();
    watcher.setDelegate(&delegate);
    EXPECT_FALSE(waitUntil([&] { return delegate.calls > 0; }, 200)) << "the dropped events do not come back";
    write("watched.txt", "changed again");
    EXPECT_TRUE(waitUntil([&] { return delegate.calls > 0; }));
}

} // namespace
