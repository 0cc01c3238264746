#include "FileSystemTestSupport.h"

#include "support/FakeClock.h"
#include "support/NotificationRecorder.h"

#include "foundation/filesystem/KNVTDirectory.h"
#include "foundation/filesystem/KNVTFile.h"

#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <atomic>

using knvt::test::NotificationRecorder;
using knvt::test::TemporaryFolderTest;

namespace {

const QString oldKey = QLatin1String(KNVTFileOldURLNotificationKey);
const QString newKey = QLatin1String(KNVTFileNewURLNotificationKey);

using FileOperationsTest = TemporaryFolderTest;

TEST_F(FileOperationsTest, MoveFollowsTheItemAndPostsOldAndNewPaths)
{
    const auto file = KNVTFile::fileWithPath(write("a.txt", "A"));
    NotificationRecorder recorder({KNVTFileDidSuccessfullyMoveNotification, KNVTFileDidFailToMoveNotification});
    ASSERT_TRUE(file->moveToPath(path("b.txt")));
    EXPECT_EQ(file->path(), path("b.txt"));
    EXPECT_EQ(read(path("b.txt")), "A");
    ASSERT_EQ(recorder.notifications().size(), 1u);
    const auto &posted = recorder.notifications()[0];
    EXPECT_EQ(posted.name, KNVTFileDidSuccessfullyMoveNotification);
    EXPECT_EQ(posted.object, file.get());
    EXPECT_EQ(posted.userInfo.value(oldKey), path("a.txt"));
    EXPECT_EQ(posted.userInfo.value(newKey), path("b.txt"));
}

TEST_F(FileOperationsTest, MoveNeverReplacesAnExistingItem)
{
    const auto file = KNVTFile::fileWithPath(write("a.txt", "A"));
    write("b.txt", "B");
    NotificationRecorder recorder({KNVTFileDidFailToMoveNotification});
    knvt::Error error;
    EXPECT_FALSE(file->moveToPath(path("b.txt"), &error));
    EXPECT_EQ(error.code(), EEXIST);
    EXPECT_EQ(recorder.notifications().size(), 1u);
    EXPECT_EQ(file->path(), path("a.txt"));
    EXPECT_EQ(read(path("a.txt")), "A");
    EXPECT_EQ(read(path("b.txt")), "B");
    EXPECT_FALSE(file->moveToURL(QUrl::fromLocalFile(path("b.txt")), false));
    EXPECT_EQ(read(path("b.txt")), "B");
}

TEST_F(FileOperationsTest, CaseOnlyRenameHopsThroughANeutralName)
{
    const auto file = KNVTFile::fileWithPath(write("notes.txt", "N"));
    NotificationRecorder recorder({KNVTFileDidSuccessfullyMoveNotification});
    ASSERT_TRUE(file->renameToFileName("Notes.txt"));
    EXPECT_EQ(file->path(), path("Notes.txt"));
    EXPECT_EQ(read(path("Notes.txt")), "N");
    EXPECT_FALSE(exists(path("notes.txt")));
    ASSERT_EQ(recorder.notifications().size(), 2u);
    const QString hop = recorder.notifications()[0].userInfo.value(newKey).toString();
    EXPECT_EQ(recorder.notifications()[0].userInfo.value(oldKey), path("notes.txt"));
    EXPECT_EQ(recorder.notifications()[1].userInfo.value(oldKey), hop);
    EXPECT_EQ(QFileInfo(hop).fileName().size(), 36);
    EXPECT_EQ(QFileInfo(hop).fileName(), QFileInfo(hop).fileName().toUpper());
}

TEST_F(FileOperationsTest, CaseOnlyRenameOntoAnotherFileLeavesBothFilesAlone)
{
    const auto file = KNVTFile::fileWithPath(write("a.txt", "lower"));
    write("A.txt", "upper");
    knvt::Error error;
    EXPECT_FALSE(file->renameToFileName("A.txt", &error));
    EXPECT_EQ(error.code(), EEXIST);
    EXPECT_EQ(read(path("a.txt")), "lower");
    EXPECT_EQ(read(path("A.txt")), "upper");
    EXPECT_EQ(QDir(path()).entryList(QDir::Files | QDir::Hidden), QStringList({"A.txt", "a.txt"}));
    EXPECT_EQ(file->path(), path("a.txt"));
}

TEST_F(FileOperationsTest, RenameTurnsSlashesIntoColons)
{
    const auto file = KNVTFile::fileWithPath(write("plain.txt"));
    ASSERT_TRUE(file->renameToFileName("a/b.txt"));
    EXPECT_EQ(file->nameWithExtension(), "a:b.txt");
    EXPECT_TRUE(exists(path("a:b.txt")));
}

TEST_F(FileOperationsTest, OverwritingMoveReplacesFilesAndFolders)
{
    const auto file = KNVTFile::fileWithPath(write("new.txt", "new"));
    write("old.txt", "old");
    ASSERT_TRUE(file->moveToURL(QUrl::fromLocalFile(path("old.txt")), true));
    EXPECT_EQ(read(path("old.txt")), "new");
    EXPECT_EQ(file->path(), path("old.txt"));

    write("src/inner.txt", "fresh");
    write("dst/stale.txt", "stale");
    const auto folder = KNVTFile::fileWithPath(path("src"));
    ASSERT_TRUE(folder->moveToURL(QUrl::fromLocalFile(path("dst")), true));
    EXPECT_EQ(read(path("dst/inner.txt")), "fresh");
    EXPECT_FALSE(exists(path("dst/stale.txt")));
    EXPECT_EQ(QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"dst", "old.txt"}))
        << "nothing set aside is left behind";
}

TEST_F(FileOperationsTest, FailedOverwritingMoveKeepsTheDestination)
{
    write("dst/keep.txt", "kept");
    const auto missing = KNVTFile::fileWithPath(path("vanished"));
    EXPECT_FALSE(missing->moveToURL(QUrl::fromLocalFile(path("dst")), true));
    EXPECT_EQ(read(path("dst/keep.txt")), "kept");
}

TEST_F(FileOperationsTest, FailedOverwritingCopyKeepsTheDestination)
{
    const QString source = write("source.txt", "source");
    write("destination.txt", "precious");
    makeUncopyable(source);
    knvt::Error error;
    EXPECT_FALSE(KNVTFile::fileWithPath(source)->copyToURL(QUrl::fromLocalFile(path("destination.txt")), true, &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(read(path("destination.txt")), "precious");
    EXPECT_FALSE(
        KNVTFile::fileWithPath(path("gone.txt"))->copyToURL(QUrl::fromLocalFile(path("destination.txt")), true));
    EXPECT_EQ(read(path("destination.txt")), "precious");
    EXPECT_EQ(QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 2);
}

TEST_F(FileOperationsTest, CopiesLeaveTheObjectAtTheSourceAndPost)
{
    const auto file = KNVTFile::fileWithPath(write("a.txt", "A"));
    NotificationRecorder recorder({KNVTFileDidSuccessfullyCopyNotification, KNVTFileDidFailToCopyNotification});
    ASSERT_TRUE(file->copyToPath(path("b.txt")));
    EXPECT_FALSE(file->copyToPath(path("b.txt")));
    EXPECT_EQ(file->path(), path("a.txt"));
    EXPECT_EQ(recorder.names(),
              QStringList({KNVTFileDidSuccessfullyCopyNotification, KNVTFileDidFailToCopyNotification}));
    EXPECT_EQ(recorder.notifications()[0].userInfo.value(newKey), path("b.txt"));

    ASSERT_TRUE(file->copyToURL(QUrl::fromLocalFile(path("b.txt")), true));
    const auto copy = file->copyFileToPath(path("c.txt"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->path(), path("c.txt"));
    EXPECT_EQ(copy->fileSystem(), file->fileSystem());
    EXPECT_EQ(recorder.notifications().size(), 2u) << "URL-based forms post nothing";
}

TEST_F(FileOperationsTest, RemovePostsAndKeepsThePath)
{
    const auto file = KNVTFile::fileWithPath(write("a.txt"));
    NotificationRecorder recorder({KNVTFileDidSuccessfullyRemoveNotification, KNVTFileDidFailToRemoveNotification});
    ASSERT_TRUE(file->removeWithError());
    EXPECT_FALSE(exists(path("a.txt")));
    EXPECT_EQ(file->path(), path("a.txt"));
    knvt::Error error;
    EXPECT_FALSE(file->removeWithError(&error));
    EXPECT_EQ(error.code(), ENOENT);
    EXPECT_EQ(recorder.names(),
              QStringList({KNVTFileDidSuccessfullyRemoveNotification, KNVTFileDidFailToRemoveNotification}));
    EXPECT_EQ(recorder.notifications()[1].userInfo.value(oldKey), path("a.txt"));
}

TEST_F(FileOperationsTest, DuplicatesTakeTheNextFreeNumber)
{
    write("Notes.txt");
    write("Notes 2.txt");
    const auto notes = KNVTFile::fileWithPath(path("Notes.txt"));
    ASSERT_TRUE(notes->duplicateWithError());
    EXPECT_TRUE(exists(path("Notes 3.txt")));
    const auto plan = KNVTFile::fileWithPath(write("Plan 7"));
    const auto duplicate = plan->duplicateFileWithError();
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(duplicate->path(), path("Plan 8"));

    EXPECT_EQ(KNVTFile::avaliableDuplicatePathForPath(path("Report.txt")), path("Report 2.txt"));
    EXPECT_EQ(KNVTFile::avaliableDuplicatePathForPath(path("Report 2.txt")), path("Report 3.txt"));
    EXPECT_EQ(KNVTFile::avaliableDuplicatePathForPath(path("Report 1.txt")), path("Report 1 2.txt"));
    EXPECT_EQ(KNVTFile::avaliableDuplicatePathForPath(path("Photo 3b.jpg")), path("Photo 4.jpg"));
    EXPECT_EQ(KNVTFile::avaliableDuplicatePathForPath(path("atxt.txt")), path("atxt 2.txt"));
    EXPECT_EQ(KNVTFile::avaliableDuplicatePathForPath(path("7b")), path("7b 8"));
    EXPECT_EQ(KNVTFile::avalaiblePathForSuggestedPath(path("free.txt")), path("free.txt"));
    EXPECT_EQ(KNVTFile::avalaiblePathForSuggestedPath(path("Notes.txt")), path("Notes 4.txt"));
}

TEST_F(FileOperationsTest, RecycleMovesIntoTheDesktopTrashWithItsRecord)
{
    knvt::test::FakeClock clock(QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)));
    const QString original = write("report.txt", "R");
    const auto file = KNVTFile::fileWithPath(original);
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    EXPECT_EQ(KNVTFile::recycleDirectoryPath(), trash + "/files");
    NotificationRecorder recorder({KNVTFileDidSuccessfullyMoveNotification});
    ASSERT_TRUE(file->recycleWithError());
    EXPECT_EQ(file->path(), trash + "/files/report.txt");
    EXPECT_EQ(read(file->path()), "R");
    EXPECT_EQ(recorder.notifications().size(), 1u);
    const QByteArray info = read(trash + "/info/report.txt.trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(original, "/") + "\n")) << info.data();
    EXPECT_TRUE(info.contains("DeletionDate=2024-03-05T14:30:15\n")) << info.data();

    // A second item of the same name is stamped with the time.
    const auto second = KNVTFile::fileWithPath(write("report.txt", "second"));
    ASSERT_TRUE(second->recycleWithError());
    EXPECT_TRUE(second->nameWithExtension().startsWith("report 2-30-15")) << second->path().toStdString();
    EXPECT_TRUE(second->nameWithExtension().endsWith(".txt"));
    EXPECT_TRUE(exists(trash + "/info/" + second->nameWithExtension() + ".trashinfo"));
}

TEST_F(FileOperationsTest, AsynchronousFormsCallTheirHandlerOnceOnAnotherThread)
{
    const auto file = KNVTFile::fileWithPath(write("a.txt"));
    std::atomic<int> calls = 0;
    std::atomic<bool> onOtherThread = false;
    std::atomic<bool> succeeded = false;
    QThread *const mainThread = QThread::currentThread();
    file->copyToURL(QUrl::fromLocalFile(path("b.txt")), [&](bool success, const knvt::Error &) {
        onOtherThread = QThread::currentThread() != mainThread;
        succeeded = success;
        ++calls;
    });
    ASSERT_TRUE(knvt::test::waitUntil([&] { return calls == 1; }));
    EXPECT_TRUE(onOtherThread);
    EXPECT_TRUE(succeeded);

    std::atomic<bool> done = false;
    KNVTFile::Ptr duplicate;
    file->duplicateFileWithCompletionHandler([&](KNVTFile::Ptr made, const knvt::Error &) {
        duplicate = made;
        done = true;
    });
    ASSERT_TRUE(knvt::test::waitUntil([&] { return bool(done); }));
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(duplicate->path(), path("a 2.txt"));

    file->removeWithCompletionHandler({});
    ASSERT_TRUE(knvt::test::waitUntil([&] { return !exists(path("a.txt")); }));
}

class ArchiveTest : public TemporaryFolderTest
{
protected:
    void SetUp() override
    {
        TemporaryFolderTest::SetUp();
        if (QStandardPaths::findExecutable("zip").isEmpty() || QStandardPaths::findExecutable("zipinfo").isEmpty())
            GTEST_SKIP() << "zip and zipinfo are not installed";
    }
};

TEST_F(ArchiveTest, ZipOfPathsHoldsTheFlatNames)
{
    write("a.txt");
    write("sub/b.txt");
    ASSERT_TRUE(KNVTFile::zipFromPaths({path("a.txt"), path("sub/b.txt")}, path("out.zip")));
    EXPECT_EQ(KNVTFile::fileNamesInZipAtPath(path("out.zip")), QStringList({"a.txt", "b.txt"}));
    EXPECT_FALSE(KNVTFile::fileNamesInZipAtPath(write("plain.txt")));
}

TEST_F(ArchiveTest, PathsBeginningWithADashAreNotOptions)
{
    write("-T.txt", "dash");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path()));
    const bool made = KNVTFile::zipFromPaths({"-T.txt"}, "-out.zip");
    QDir::setCurrent(previous);
    ASSERT_TRUE(made);
    EXPECT_EQ(KNVTFile::fileNamesInZipAtPath(path("-out.zip")), QStringList({"-T.txt"}));
}

TEST_F(ArchiveTest, ZipOfAFolderHoldsItsContents)
{
    write("folder/a.txt");
    write("folder/sub/b.txt");
    ASSERT_TRUE(KNVTFile::zipFromPath(path("folder"), path("out.zip")));
    auto names = KNVTFile::fileNamesInZipAtPath(path("out.zip"));
    ASSERT_TRUE(names);
    names->sort();
    EXPECT_EQ(*names, QStringList({"a.txt", "sub/", "sub/b.txt"}));
}

TEST_F(ArchiveTest, StagedFilesGetFreeNamesAndAFailedCopyStopsTheArchive)
{
    QDir().mkdir(path("staging"));
    const QList<KNVTFile::Ptr> files = {KNVTFile::fileWithPath(write("one/same.txt")),
                                        KNVTFile::fileWithPath(write("two/same.txt"))};
    ASSERT_TRUE(KNVTFile::zipFiles(files, path("good.zip"), path("staging")));
    auto names = KNVTFile::fileNamesInZipAtPath(path("good.zip"));
    ASSERT_TRUE(names);
    names->sort();
    EXPECT_EQ(*names, QStringList({"same 2.txt", "same.txt"}));

    QDir().mkdir(path("staging2"));
    const QString bad = write("three/b.txt");
    makeUncopyable(bad);
    const QList<KNVTFile::Ptr> broken = {KNVTFile::fileWithPath(write("three/a.txt")), KNVTFile::fileWithPath(bad),
                                         KNVTFile::fileWithPath(write("three/c.txt"))};
    EXPECT_FALSE(KNVTFile::zipFiles(broken, path("bad.zip"), path("staging2")));
    EXPECT_FALSE(exists(path("bad.zip")));
    EXPECT_FALSE(KNVTFile::tarGzFiles(broken, path("bad.tgz"), path("staging2")));
    EXPECT_FALSE(exists(path("bad.tgz")));
}

TEST_F(ArchiveTest, TarGzOfAFolder)
{
    write("folder/a.txt");
    ASSERT_TRUE(KNVTFile::tarGzFromPath(path("folder"), path("out.tar.gz")));
    QProcess tar;
    tar.start("tar", {"-tzf", path("out.tar.gz")});
    ASSERT_TRUE(tar.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(tar.readAllStandardOutput()).contains("folder/a.txt"));
}

TEST_F(ArchiveTest, ZipBesideTheFileTakesAFreeName)
{
    const auto photo = KNVTFile::fileWithPath(write("Photo.jpeg", "jpeg"));
    ASSERT_TRUE(photo->zip());
    EXPECT_EQ(KNVTFile::fileNamesInZipAtPath(path("Photo.zip")), QStringList({"Photo.jpeg"}));
    ASSERT_TRUE(photo->zip());
    EXPECT_TRUE(exists(path("Photo 2.zip")));
    const auto named = KNVTFile::fileWithPath(write("atxt.txt"));
    ASSERT_TRUE(named->zip());
    EXPECT_TRUE(exists(path("atxt.zip")));
}

} // namespace
