#include "FileSystemTestSupport.h"

#include "foundation/filesystem/FileAttributeKeys.h"
#include "foundation/filesystem/KNVTDirectory.h"
#include "foundation/filesystem/KNVTFile.h"
#include "foundation/filesystem/KNVTFileAttributeReader.h"
#include "foundation/filesystem/KNVTFileSystem.h"
#include "foundation/filesystem/KNVTVolume.h"

#include <QImage>

using knvt::test::TemporaryFolderTest;

namespace {

// Stands in for the disk where it cannot be made to answer as a test needs.
class ScriptedAttributeReader : public KNVTFileAttributeReader
{
public:
    std::optional<QVariantMap> attributesOfItemAtPath(const QString &path, knvt::Error *error) const override
    {
        auto attributes = KNVTFileAttributeReader::attributesOfItemAtPath(path, error);
        if (!attributes)
            return attributes;
        attributes->remove(QLatin1String(knvt::NSFileCreationDate));
        if (creationDate.isValid() && (onlyFor.isEmpty() || path == onlyFor))
            attributes->insert(QLatin1String(knvt::NSFileCreationDate), creationDate);
        attributes->insert(QLatin1String(knvt::NSFileHFSTypeCode), typeCode);
        return attributes;
    }

    QDateTime creationDate;
    QString onlyFor; // the one path the creation date is given for; every path when empty
    uint typeCode = 0;
};

class FileTest : public TemporaryFolderTest
{
protected:
    std::shared_ptr<KNVTFileSystem> scriptedFileSystem()
    {
        auto fileSystem =
            KNVTFileSystem::fileSystemWithConfiguration(KNVTFileSystemConfiguration::defaultFileSystemConfiguration());
        fileSystem->setAttributeReader(reader);
        return fileSystem;
    }

    std::shared_ptr<ScriptedAttributeReader> reader = std::make_shared<ScriptedAttributeReader>();
};

// A client's own file class, for the configuration's class substitution.
class CustomDirectory : public KNVTDirectory
{
public:
    static const KNVTFileClass &staticClass()
    {
        static const KNVTFileClass cls(
            "CustomDirectory", &KNVTDirectory::staticClass(),
            +[]() -> std::shared_ptr<KNVTFile> { return std::shared_ptr<CustomDirectory>(new CustomDirectory); });
        return cls;
    }
    const KNVTFileClass &objectClass() const override { return staticClass(); }
};

TEST(FileNames, OnlyATrailingExtensionIsStripped)
{
    EXPECT_EQ(KNVTFile::nameWithoutExtensionForPath("/x/report.txt"), "report");
    EXPECT_EQ(KNVTFile::nameWithoutExtensionForPath("/x/a.tar.gz"), "a.tar");
    EXPECT_EQ(KNVTFile::nameWithoutExtensionForPath("/x/txtnotes.txt"), "txtnotes");
    EXPECT_EQ(KNVTFile::nameWithoutExtensionForPath("/x/atxt.txt"), "atxt");
    EXPECT_EQ(KNVTFile::nameWithoutExtensionForPath("/x/a-txt.txt"), "a-txt");
    EXPECT_EQ(KNVTFile::nameWithoutExtensionForPath("/x/README"), "README");
    EXPECT_EQ(KNVTFile::nameWithoutExtensionForPath("/x/.profile"), ".profile");
    EXPECT_EQ(KNVTFile::fileWithPath("/x/atxt.txt")->nameWithoutExtension(), "atxt");
}

TEST(FileNames, NamesAndExtensionsOfAPath)
{
    const auto file = KNVTFile::fileWithPath("/nowhere/Archive.tar.gz");
    EXPECT_EQ(file->nameWithExtension(), "Archive.tar.gz");
    EXPECT_EQ(file->extension(), "gz");
    EXPECT_EQ(file->displayName(), "Archive.tar.gz");
    EXPECT_EQ(KNVTFile::fileWithPath("/nowhere/README")->extension(), "");
    EXPECT_TRUE(KNVTFile::fileWithPath("/nowhere/.hidden")->isHidden());
    EXPECT_FALSE(file->isHidden());
    EXPECT_TRUE(KNVTFile::fileWithPath("/Applications/Mail.app")->isApplication());
    EXPECT_FALSE(KNVTFile::fileWithPath("/Applications/Mail.APP")->isApplication());
}

TEST(FileNames, RelativePathsBecomeAbsoluteAndClean)
{
    const auto file = KNVTFile::fileWithPath("a/../b.txt");
    EXPECT_EQ(file->path(), QDir::cleanPath(QDir::currentPath() + "/b.txt"));
    EXPECT_EQ(file->URL(), QUrl::fromLocalFile(file->path()));
}

TEST(FileMIMETypes, TableIsExactAndCaseSensitive)
{
    EXPECT_EQ(KNVTFile::MIMETypeForExtension("tab"), "text/tab-separated-values");
    EXPECT_EQ(KNVTFile::MIMETypeForExtension("jpeg"), "image/jpeg");
    EXPECT_EQ(KNVTFile::MIMETypeForExtension("pps"), "application/vnd.ms-powerpoint");
    EXPECT_EQ(KNVTFile::MIMETypeForExtension("xlsx"),
              "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    EXPECT_TRUE(KNVTFile::MIMETypeForExtension("JPG").isNull());
    EXPECT_TRUE(KNVTFile::MIMETypeForExtension("zzz").isNull());
}

TEST_F(FileTest, MIMETypeFallsBackToTheContentsAndIsNilForNothing)
{
    EXPECT_EQ(KNVTFile::fileWithPath(write("notes.txt"))->MIMEType(), "text/plain");
    const QString png = path("picture.data");
    QImage(4, 3, QImage::Format_RGB32).save(png, "PNG");
    EXPECT_EQ(KNVTFile::fileWithPath(png)->MIMEType(), "image/png");
    EXPECT_TRUE(KNVTFile::fileWithPath(path("missing.zzz"))->MIMEType().isNull());
}

TEST_F(FileTest, ObjectsTakeTheConfiguredClassForFoldersAndVolumes)
{
    write("plain.txt");
    QDir().mkdir(path("folder"));
    EXPECT_EQ(&KNVTFile::fileWithPath(path("plain.txt"))->objectClass(), &KNVTFile::staticClass());
    EXPECT_EQ(&KNVTFile::fileWithPath(path("missing"))->objectClass(), &KNVTFile::staticClass());
    EXPECT_EQ(&KNVTFile::fileWithPath(path("folder"))->objectClass(), &KNVTDirectory::staticClass());
    EXPECT_EQ(&KNVTFile::fileWithPath("/")->objectClass(), &KNVTVolume::staticClass());
    // Made through the directory class, an object stays a directory even for a plain file.
    EXPECT_EQ(&KNVTDirectory::fileWithPath(path("plain.txt"))->objectClass(), &KNVTDirectory::staticClass());
    EXPECT_EQ(&KNVTVolume::fileWithPath(path("folder"))->objectClass(), &KNVTVolume::staticClass());

    KNVTFileSystemConfiguration configuration = KNVTFileSystemConfiguration::defaultFileSystemConfiguration();
    configuration.setDirectoryClass(&CustomDirectory::staticClass());
    const auto fileSystem = KNVTFileSystem::fileSystemWithConfiguration(configuration);
    const auto folder = fileSystem->fileWithURL(QUrl::fromLocalFile(path("folder")));
    EXPECT_EQ(&folder->objectClass(), &CustomDirectory::staticClass());
    EXPECT_EQ(folder->fileSystem(), fileSystem);
    EXPECT_NE(std::dynamic_pointer_cast<CustomDirectory>(folder), nullptr);
}

TEST_F(FileTest, IdentityFollowsTheURL)
{
    QDir().mkdir(path("folder"));
    const auto directory = KNVTFile::fileWithPath(path("folder"));
    const auto plain = KNVTFile::makeFile(KNVTFile::staticClass(), QUrl::fromLocalFile(path("folder")), {}, false);
    EXPECT_TRUE(directory->isEqual(*plain));
    EXPECT_EQ(directory->hash(), plain->hash());
    const auto copy = directory->copy();
    EXPECT_NE(copy, directory);
    EXPECT_EQ(&copy->objectClass(), &KNVTDirectory::staticClass());
    EXPECT_TRUE(copy->isEqual(*directory));
    EXPECT_EQ(copy->fileSystem(), directory->fileSystem());
    EXPECT_EQ(directory->description(), "KNVTDirectory:" + QUrl::fromLocalFile(path("folder")).toString());
    EXPECT_FALSE(directory->isEqual(*KNVTFile::fileWithPath(path("other"))));
}

TEST_F(FileTest, ContentsAndAttributes)
{
    const auto file = KNVTFile::fileWithPath(write("data.bin", "12345"));
    EXPECT_EQ(file->dataRepresentation(), QByteArray("12345"));
    EXPECT_EQ(file->fileSizeWithError(), 5u);
    EXPECT_TRUE(file->exists());
    EXPECT_FALSE(file->isDirectory());
    ASSERT_TRUE(file->setPosixPermissions(0640));
    EXPECT_EQ(file->posixPermissionsWithError(), 0640u);
    EXPECT_TRUE(file->isReadableWithError());
    EXPECT_FALSE(file->isExecutableWithError());
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1500000000, Qt::UTC);
    ASSERT_TRUE(file->setAttributes({{QLatin1String(knvt::NSFileModificationDate), stamp}}));
    EXPECT_EQ(file->modificationDateWithError(), stamp);
    const auto volume = file->fileSystemAttributesWithError();
    ASSERT_TRUE(volume);
    EXPECT_GT(volume->value(QLatin1String(knvt::NSFileSystemSize)).toULongLong(), 0u);
    EXPECT_FALSE(KNVTFile::fileWithPath(path())->fileSizeWithError()) << "folders have no size";
}

TEST_F(FileTest, ReadsOfAMissingItemFailWithTheSystemError)
{
    const auto file = KNVTFile::fileWithPath(path("gone.txt"));
    knvt::Error error;
    EXPECT_FALSE(file->attributesWithError(&error));
    EXPECT_EQ(error.code(), ENOENT);
    EXPECT_FALSE(file->dataRepresentation());
    EXPECT_FALSE(file->exists());
    EXPECT_FALSE(file->isReadableWithError());
    EXPECT_TRUE(file->fileTypeWithError().isNull());
}

TEST_F(FileTest, TypeCodesReadAsFourCharacters)
{
    reader->typeCode = 0x62726f6b; // 'brok'
    const auto file = KNVTFile::fileWithPath(write("copying.txt"), scriptedFileSystem());
    EXPECT_EQ(file->fileTypeWithError(), "'brok'");
    EXPECT_TRUE(file->isBusyInFileViewer());
}

TEST_F(FileTest, BusyOnlyForACreationDateReadAndNoLaterThanTheAnnouncement)
{
    const auto file = KNVTFile::fileWithPath(write("old.txt"), scriptedFileSystem());
    reader->creationDate = QDateTime();
    EXPECT_FALSE(file->isBusyInFileViewer()) << "a file system without creation dates has no busy files";
    reader->creationDate = KNVTFile::macAnnouncementDate();
    EXPECT_TRUE(file->isBusyInFileViewer());
    reader->creationDate = KNVTFile::macAnnouncementDate().addSecs(1);
    EXPECT_FALSE(file->isBusyInFileViewer());
}

TEST_F(FileTest, BusyFolderSearchGoesDownTheTree)
{
    const auto fileSystem = scriptedFileSystem();
    write("a/b/c.txt");
    const auto folder = KNVTDirectory::fileWithPath(path("a"), fileSystem);
    EXPECT_FALSE(folder->isBusyInFileViewer());
    reader->creationDate = KNVTFile::ENIACCreationDate();
    reader->onlyFor = path("a/b/c.txt");
    folder->unloadFiles();
    EXPECT_TRUE(folder->isBusyInFileViewer());
    EXPECT_TRUE(folder->hasFilesBeenLoaded());
}

TEST(FileViewerStrings, DatesAfterTheENIACOnly)
{
    EXPECT_EQ(KNVTFile::fileViewerDateStringForDate(QDateTime()), "--");
    EXPECT_EQ(KNVTFile::fileViewerDateStringForDate(KNVTFile::ENIACCreationDate()), "--");
    EXPECT_EQ(KNVTFile::fileViewerDateStringForDate(KNVTFile::ENIACCreationDate().addDays(-1)), "--");
    const QString later = KNVTFile::fileViewerDateStringForDate(KNVTFile::ENIACCreationDate().addSecs(1));
    EXPECT_NE(later, "--");
    EXPECT_TRUE(later.startsWith("2/14/46")) << later.toStdString();
    EXPECT_EQ(KNVTFile::ENIACCreationDate().toSecsSinceEpoch(), -753549904);
    EXPECT_EQ(KNVTFile::macAnnouncementDate().toSecsSinceEpoch(), 443779200);
}

TEST(FileViewerStrings, ByteCountsInDecimalUnits)
{
    EXPECT_EQ(KNVTFile::fileViewerStringForFileSizeInBytes(0), "Zero KB");
    EXPECT_EQ(KNVTFile::fileViewerStringForFileSizeInBytes(1), "1 byte");
    EXPECT_EQ(KNVTFile::fileViewerStringForFileSizeInBytes(999), "999 bytes");
    EXPECT_EQ(KNVTFile::fileViewerStringForFileSizeInBytes(1500), "2 KB");
    EXPECT_EQ(KNVTFile::fileViewerStringForFileSizeInBytes(1500000), "1.5 MB");
    EXPECT_EQ(KNVTFile::fileViewerStringForFileSizeInBytes(2000000), "2 MB");
    EXPECT_EQ(KNVTFile::fileViewerStringForFileSizeInBytes(1234567890), "1.23 GB");
}

TEST_F(FileTest, ImageSizeFromTheHeader)
{
    const QString png = path("picture.png");
    ASSERT_TRUE(QImage(7, 5, QImage::Format_RGB32).save(png, "PNG"));
    quint64 width = 1;
    quint64 height = 1;
    EXPECT_TRUE(KNVTFile::fileWithPath(png)->getImageWidth(&width, &height));
    EXPECT_EQ(width, 7u);
    EXPECT_EQ(height, 5u);
    width = height = 99;
    EXPECT_FALSE(KNVTFile::fileWithPath(write("text.png", "not an image"))->getImageWidth(&width, &height));
    EXPECT_EQ(width, 99u);
}

TEST_F(FileTest, BookmarksResolveWhileTheItemExists)
{
    const auto file = KNVTFile::fileWithPath(write("kept.txt"));
    const QByteArray bookmark = file->securityScopedBookmarkDataWithError();
    ASSERT_FALSE(bookmark.isEmpty());
    EXPECT_TRUE(KNVTFile::fileWithSecurityScopedBookmarkData(bookmark)->isEqual(*file));
    QFile::remove(file->path());
    knvt::Error error;
    EXPECT_FALSE(KNVTFile::URLForSecurityScopedBookmarkData(bookmark, &error).isValid());
    EXPECT_FALSE(error.isNull());
    const auto unresolved = KNVTFile::fileWithSecurityScopedBookmarkData("garbage");
    EXPECT_TRUE(unresolved->path().isEmpty());
    EXPECT_TRUE(unresolved->URL().isEmpty());
}

TEST(FileSandbox, AContainerIsAPathComponentNamedAfterTheApplication)
{
    EXPECT_TRUE(KNVTFile::isURLInSandboxedContainer(
        QUrl::fromLocalFile(QStringLiteral("/home/u/.var/" KNVT_APP_ID "/data/x"))));
    EXPECT_FALSE(
        KNVTFile::isURLInSandboxedContainer(QUrl::fromLocalFile(QStringLiteral("/home/u/" KNVT_APP_ID "-other/x"))));
}

TEST_F(FileTest, DisplayNameComparatorIgnoresCase)
{
    const auto comparator = KNVTFile::fileDisplayNameComparator();
    const auto apple = KNVTFile::fileWithPath(path("apple"));
    const auto banana = KNVTFile::fileWithPath(path("Banana"));
    EXPECT_LT(comparator(*apple, *banana), 0);
    EXPECT_GT(comparator(*banana, *apple), 0);
    EXPECT_EQ(comparator(*apple, *KNVTFile::fileWithPath(path("APPLE"))), 0);
}

TEST(FileSystemConfiguration, DefaultsAndCopies)
{
    const auto first = KNVTFileSystemConfiguration::defaultFileSystemConfiguration();
    EXPECT_EQ(first.identifier(), "com.hollowpine.filesystemconfiguration.default");
    EXPECT_EQ(first.fileClass(), &KNVTFile::staticClass());
    EXPECT_EQ(first.directoryClass(), &KNVTDirectory::staticClass());
    EXPECT_EQ(first.volumeClass(), &KNVTVolume::staticClass());
    EXPECT_EQ(first.incompleteFileExtensions(), QSet<QString>({"download", "part", "parts", "ichattransfer"}));
    EXPECT_FALSE(first.showHiddenFiles());
    EXPECT_TRUE(first.isValid());

    KNVTFileSystemConfiguration invalid = first;
    invalid.setVolumeClass(nullptr);
    EXPECT_FALSE(invalid.isValid());
    invalid = first;
    invalid.setIdentifier(QString());
    EXPECT_FALSE(invalid.isValid());

    auto named = KNVTFileSystemConfiguration::fileSystemConfigurationWithIdentifier("com.example.x");
    const auto fileSystem = KNVTFileSystem::fileSystemWithConfiguration(named);
    named.setIdentifier("com.example.changed");
    EXPECT_EQ(fileSystem->configuration().identifier(), "com.example.x");
    EXPECT_EQ(KNVTFileSystem::defaultFileSystem(), KNVTFileSystem::defaultFileSystem());
    EXPECT_TRUE(fileSystem->fileLabels().isEmpty());
}

TEST(FileSystemConfigurationDeathTest, BrokenPreconditionsStopTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(KNVTFileSystemConfiguration::fileSystemConfigurationWithIdentifier(QString()),
                 "indentifier must not be nil!");
    KNVTFileSystemConfiguration invalid;
    invalid.setFileClass(nullptr);
    EXPECT_DEATH(KNVTFileSystem::fileSystemWithConfiguration(invalid), "configuration is not valid");
}

} // namespace
