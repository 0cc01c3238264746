#include "TaskStoreTest.h"

#include "foundation/filesystem/KNVTDirectory.h"

namespace {

using TaskStoreLibraryDirectoryTest = TaskStoreTest;

TEST_F(TaskStoreLibraryDirectoryTest, TheLibraryFolderAsADirectoryObject)
{
    KNVTTaskStore &s = store();
    QDir(libraryPath()).removeRecursively();
    ASSERT_FALSE(s.doesLibraryDirectoryExist());

    s.createLibraryDirectory();
    EXPECT_TRUE(s.doesLibraryDirectoryExist());
    const auto directory = s.libraryDirectory();
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory->path(), QDir::cleanPath(libraryPath()));
    EXPECT_TRUE(directory->isKindOfClass(KNVTDirectory::staticClass()));
    EXPECT_TRUE(directory->isDirectory());
}

TEST_F(TaskStoreLibraryDirectoryTest, CreatingAnExistingLibraryLeavesItAsItIs)
{
    KNVTTaskStore &s = store();
    ASSERT_TRUE(QDir().mkpath(libraryPath()));
    QFile kept(QDir(libraryPath()).filePath(QStringLiteral("kept.txt")));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("kept");
    kept.close();

    s.createLibraryDirectory();
    EXPECT_TRUE(QFileInfo::exists(kept.fileName()));
    const auto directory = s.libraryDirectory();
    ASSERT_NE(directory, nullptr);
    EXPECT_TRUE(directory->containsFile(*KNVTFile::fileWithPath(kept.fileName())));
}

TEST_F(TaskStoreLibraryDirectoryTest, AfterSignOutThereIsNoLibraryToShowOrMake)
{
    KNVTTaskStore &s = store();
    s.createLibraryDirectory();
    s.unconfigureAccount();
    ASSERT_TRUE(s.libraryURL().isEmpty());

    EXPECT_EQ(s.libraryDirectory(), nullptr);
    s.createLibraryDirectory();
    EXPECT_FALSE(QFileInfo::exists(libraryPath()));
}

} // namespace
