#include "FileSystemTestSupport.h"

#include "support/NotificationRecorder.h"

#include "foundation/filesystem/KNVTDirectory.h"
#include "foundation/filesystem/KNVTFileSystem.h"
#include "foundation/filesystem/KNVTVolume.h"

#include <algorithm>

using knvt::test::NotificationRecorder;
using knvt::test::TemporaryFolderTest;

namespace {

using DirectoryTest = TemporaryFolderTest;

QStringList pathsOf(const KNVTDirectory::FileList &files)
{
    QStringList paths;
    for (const auto &file : files)
        paths.append(file->path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST_F(DirectoryTest, ListingIsLoadedOnDemandAndCounted)
{
    const auto folder = KNVTDirectory::fileWithPath(path());
    EXPECT_FALSE(folder->hasFilesBeenLoaded());
    EXPECT_EQ(folder->numberOfFiles(), 0);
    EXPECT_EQ(folder->fileViewerNumberOfFilesString(), "0 items");
    folder->loadFiles();
    EXPECT_TRUE(folder->hasFilesBeenLoaded());
    EXPECT_FALSE(folder->hasFiles());
    EXPECT_EQ(folder->fileViewerNumberOfFilesString(), "0 items");

    write("one.txt");
    EXPECT_EQ(folder->numberOfFiles(), 0) << "the kept listing does not follow the disk";
    folder->loadFiles();
    EXPECT_EQ(folder->fileViewerNumberOfFilesString(), "1 item");
    QDir().mkdir(path("sub"));
    folder->loadFiles();
    EXPECT_EQ(folder->fileViewerNumberOfFilesString(), "2 items");
    const auto files = folder->files();
    ASSERT_TRUE(files);
    for (const auto &entry : *files) {
        EXPECT_EQ(entry->fileSystem(), folder->fileSystem());
        EXPECT_EQ(entry->isDirectory(), entry->isKindOfClass(KNVTDirectory::staticClass()));
    }
    folder->unloadFiles();
    EXPECT_FALSE(folder->hasFilesBeenLoaded());
}

TEST_F(DirectoryTest, HiddenItemsOnlyOnRequestAndNeverInTheSize)
{
    write("visible.txt", "12345");
    write(".hidden", "1234567890");
    write(".secret/inside.txt", "1234567890");
    const auto folder = KNVTDirectory::fileWithPath(path());
    folder->loadFiles();
    EXPECT_EQ(pathsOf(*folder->files()), QStringList({path("visible.txt")}));
    folder->setShowHiddenFiles(true);
    EXPECT_EQ(folder->numberOfFiles(), 1);
    folder->loadFiles();
    EXPECT_EQ(folder->numberOfFiles(), 3);
    EXPECT_EQ(folder->contentsFileSizeWithError(), 5u);
}

TEST_F(DirectoryTest, SizesAddUpTheTree)
{
    write("a.txt", "123");
    write("sub/b.txt", "4567");
    write("sub/deeper/c.txt", "89");
    EXPECT_EQ(KNVTDirectory::fileWithPath(path())->contentsFileSizeWithError(), 9u);
    EXPECT_EQ(KNVTDirectory::fileWithPath(path("missing"))->contentsFileSizeWithError(), 0u);
    EXPECT_EQ(KNVTDirectory::fileWithPath(path())->fileViewerFileSizeString(), "--");
}

TEST_F(DirectoryTest, AllFilesAreTheNonFoldersBelow)
{
    write("a.txt");
    write("sub/b.txt");
    write("sub/c.txt");
    QDir().mkdir(path("empty"));
    const auto folder = KNVTDirectory::fileWithPath(path());
    EXPECT_EQ(pathsOf(folder->allFiles()), QStringList({path("a.txt"), path("sub/b.txt"), path("sub/c.txt")}));
}

TEST_F(DirectoryTest, ContainsFileLoadsAndComparesPathsExactly)
{
    write("Note.txt");
    const auto folder = KNVTDirectory::fileWithPath(path());
    EXPECT_TRUE(folder->containsFile(*KNVTFile::fileWithPath(path("Note.txt"))));
    EXPECT_TRUE(folder->hasFilesBeenLoaded());
    EXPECT_FALSE(folder->containsFile(*KNVTFile::fileWithPath(path("note.txt"))));
}

TEST_F(DirectoryTest, EnumerationCanStopAndLeavesTheListingAlone)
{
    write("a.txt");
    write("b.txt");
    QDir().mkdir(path("c"));
    const auto folder = KNVTDirectory::fileWithPath(path());
    QList<KNVTFile::Ptr> seen;
    folder->enumerateContentsUsingBlock([&](KNVTFile::Ptr file, bool *) { seen.append(file); });
    EXPECT_EQ(seen.size(), 3);
    EXPECT_TRUE(std::any_of(seen.cbegin(), seen.cend(),
                            [](const auto &f) { return f->isKindOfClass(KNVTDirectory::staticClass()); }));
    int calls = 0;
    folder->enumerateContentsUsingBlock([&](KNVTFile::Ptr, bool *stop) { *stop = ++calls == 2; });
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(folder->hasFilesBeenLoaded());
}

TEST_F(DirectoryTest, LoadSubDirectoriesLoadsOneLevelDown)
{
    write("sub/x.txt");
    write("sub/deeper/y.txt");
    const auto folder = KNVTDirectory::fileWithPath(path());
    folder->loadSubDirectories();
    const auto sub = std::dynamic_pointer_cast<KNVTDirectory>(folder->files()->first());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->numberOfFiles(), 2);
}

TEST_F(DirectoryTest, CreatingFolders)
{
    EXPECT_FALSE(KNVTDirectory::directoryExistsAtPath(write("file.txt")));
    EXPECT_FALSE(KNVTDirectory::directoryExistsAtPath(path("missing")));
    const auto nested = KNVTDirectory::fileWithPath(path("a/b/c"));
    knvt::Error error;
    EXPECT_FALSE(nested->createWithIntermediateDirectories(false, {}, &error));
    EXPECT_EQ(error.code(), ENOENT);
    ASSERT_TRUE(nested->createWithIntermediateDirectories(true));
    EXPECT_TRUE(KNVTDirectory::directoryExistsAtURL(nested->URL()));
    ASSERT_TRUE(nested->createNestedDirectoryWithName("with spaces in it"));
    EXPECT_TRUE(KNVTDirectory::directoryExistsAtPath(path("a/b/c/with spaces in it")));
    EXPECT_FALSE(KNVTDirectory::fileWithPath(path("nowhere"))->createNestedDirectoryWithName("x"));
    EXPECT_TRUE(KNVTDirectory::createDirectoryAtPath(path("a/b"), true)) << "an existing folder is fine";
}

TEST_F(DirectoryTest, AddingFilesByMoveAndByCopy)
{
    QDir().mkdir(path("inbox"));
    const auto inbox = KNVTDirectory::fileWithPath(path("inbox"));
    const auto moved = KNVTFile::fileWithPath(write("moved.txt"));
    NotificationRecorder recorder({KNVTFileDidSuccessfullyMoveNotification, KNVTFileDidSuccessfullyCopyNotification});
    ASSERT_TRUE(inbox->addFile(moved));
    EXPECT_EQ(moved->path(), path("inbox/moved.txt"));
    const auto original = KNVTFile::fileWithPath(write("copied.txt"));
    const auto copy = inbox->addCopyOfFile(original);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->path(), path("inbox/copied.txt"));
    EXPECT_EQ(original->path(), path("copied.txt"));
    EXPECT_EQ(recorder.names(), QStringList({KNVTFileDidSuccessfullyMoveNotification}));
    EXPECT_EQ(inbox->addCopyOfFile(original), nullptr) << "the name is taken";
    EXPECT_FALSE(inbox->hasFilesBeenLoaded());
}

TEST_F(DirectoryTest, EnclosingFoldersUpToTheRoot)
{
    const auto file = KNVTFile::fileWithPath("/a/b/c");
    const auto above = file->enclosingDirectories();
    ASSERT_TRUE(above);
    QStringList paths;
    for (const auto &directory : *above)
        paths.append(directory->path());
    EXPECT_EQ(paths, QStringList({"/a/b", "/a", "/"}));
    EXPECT_EQ(file->enclosingDirectory()->path(), "/a/b");
    EXPECT_TRUE(KNVTFile::fileWithPath("/")->enclosingDirectories()->isEmpty());
    EXPECT_EQ(KNVTFile::fileWithPath("/")->enclosingDirectory(), nullptr);
    const auto volume = KNVTFile::fileWithPath(write("x.txt"))->enclosingVolume();
    ASSERT_NE(volume, nullptr);
    EXPECT_TRUE(volume->isMounted());
    EXPECT_TRUE(path().startsWith(volume->path()));
}

TEST(Volumes, TheRootIsAMountedVolume)
{
    const auto root = KNVTVolume::fileWithPath("/");
    EXPECT_TRUE(root->isMounted());
    EXPECT_FALSE(KNVTVolume::fileWithPath("/definitely/not/mounted")->isMounted());
    const auto volumes = KNVTFileSystem::defaultFileSystem()->volumes();
    EXPECT_TRUE(std::any_of(volumes.cbegin(), volumes.cend(), [](const auto &v) { return v->path() == "/"; }));
    EXPECT_TRUE(std::none_of(volumes.cbegin(), volumes.cend(), [](const auto &v) { return v->path() == "/proc"; }))
        << "system mounts are hidden";
}

TEST(Volumes, DesktopVolumeEventsArriveAsVolumeObjectsOfTheConfiguredClass)
{
    const auto fileSystem =
        KNVTFileSystem::fileSystemWithConfiguration(KNVTFileSystemConfiguration::defaultFileSystemConfiguration());
    NotificationRecorder recorder(
        {KNVTFileSystemDidMountVolumeNotification, KNVTFileSystemWillUnmountVolumeNotification,
         KNVTFileSystemDidUmountVolumeNotification, KNVTFileSystemDidChangeFileLabelsNotification});
    fileSystem->workspaceDidMountNotification(QUrl::fromLocalFile("/media/stick"));
    fileSystem->workspaceWillUnmountNotification(QUrl::fromLocalFile("/media/stick"));
    fileSystem->workspaceDidUnmountNotification(QUrl::fromLocalFile("/media/stick"));
    fileSystem->workspaceDidChangeFileLabelsNotification();
    ASSERT_EQ(recorder.names(),
              QStringList({KNVTFileSystemDidMountVolumeNotification, KNVTFileSystemWillUnmountVolumeNotification,
                           KNVTFileSystemDidUmountVolumeNotification, KNVTFileSystemDidChangeFileLabelsNotification}));
    const auto &mounted = recorder.notifications()[0];
    EXPECT_EQ(mounted.object, fileSystem.get());
    const auto volume = mounted.userInfo.value(KNVTFileSystemVolumeNotificationKey).value<std::shared_ptr<KNVTFile>>();
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(&volume->objectClass(), &KNVTVolume::staticClass());
    EXPECT_EQ(volume->path(), "/media/stick");
    EXPECT_EQ(volume->fileSystem(), fileSystem);
    EXPECT_TRUE(recorder.notifications()[3].userInfo.isEmpty());
}

TEST(Volumes, EjectNeedsARemovableMount)
{
    knvt::Error error;
    EXPECT_FALSE(KNVTVolume::fileWithPath("/definitely/not/mounted")->unmountAndEjectWithError(&error));
    EXPECT_FALSE(error.isNull());
    GTEST_SKIP() << "mounting and ejecting real media needs a desktop session with removable storage";
}

} // namespace
