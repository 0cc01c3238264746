#pragma once

#include "foundation/Error.h"
#include "foundation/filesystem/KNVTFileClass.h"

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class KNVTDirectory;
class KNVTFileSystem;
class KNVTVolume;

inline constexpr char KNVTFileDidSuccessfullyMoveNotification[] = "KNVTFileDidSuccessfullyMoveNotification";
inline constexpr char KNVTFileDidFailToMoveNotification[] = "KNVTFileDidFailToMoveNotification";
inline constexpr char KNVTFileDidSuccessfullyCopyNotification[] = "KNVTFileDidSuccessfullyCopyNotification";
inline constexpr char KNVTFileDidFailToCopyNotification[] = "KNVTFileDidFailToCopyNotification";
inline constexpr char KNVTFileDidSuccessfullyRemoveNotification[] = "KNVTFileDidSuccessfullyRemoveNotification";
inline constexpr char KNVTFileDidFailToRemoveNotification[] = "KNVTFileDidFailToRemoveNotification";
// The two keys the file notifications carry; their values are path strings.
inline constexpr char KNVTFileOldURLNotificationKey[] = "KNVTFileOldURLNotificationKey";
inline constexpr char KNVTFileNewURLNotificationKey[] = "KNVTFileNewURLNotificationKey";
// Exported beside them for clients; no notification carries them.
inline constexpr char KNVTFileNewPathNotificationKey[] = "KNVTFileNewPathNotificationKey";
inline constexpr char KNVTFileOldPathNotificationKey[] = "KNVTFileOldPathNotificationKey";
inline constexpr char KNVTFileErrorNotificationKey[] = "KNVTFileErrorNotificationKey";

// The file-system model's object for one item on disk, named by an absolute file URL and the equal path and bound to
// a KNVTFileSystem. Nothing is cached: every name, attribute and kind is read at the call. Objects are made by the
// class operations below and shared through std::shared_ptr; one made for a folder or a volume takes the class the
// file system's configuration names for those.
//
// The path-based operations post their notifications on the default centre, on the thread that runs them; the
// asynchronous forms run the synchronous operation and then the handler on a thread of the global pool. An object
// is used by one thread at a time.
class KNVTFile : public std::enable_shared_from_this<KNVTFile>
{
public:
    using Ptr = std::shared_ptr<KNVTFile>;
    using CompletionHandler = std::function<void(bool success, const knvt::Error &error)>;
    using FileCompletionHandler = std::function<void(Ptr file, const knvt::Error &error)>;
    // Negative, zero or positive as the first file orders before, with or after the second.
    using Comparator = std::function<int(const KNVTFile &a, const KNVTFile &b)>;

    virtual ~KNVTFile();
    KNVTFile(const KNVTFile &) = delete;
    KNVTFile &operator=(const KNVTFile &) = delete;

    static const KNVTFileClass &staticClass();
    virtual const KNVTFileClass &objectClass() const;
    bool isKindOfClass(const KNVTFileClass &cls) const { return objectClass().isSubclassOfClass(cls); }

    // Construction. Without a file system the object belongs to the default one; relative paths are taken from the
    // working folder.
    static Ptr fileWithPath(const QString &path, std::shared_ptr<KNVTFileSystem> fileSystem = {});
    static Ptr fileWithURL(const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem = {});
    // An object for the bookmarked item; one with no URL and no path when the data cannot be resolved.
    static Ptr fileWithSecurityScopedBookmarkData(const QByteArray &data);
    // An object of `receiverClass` for the URL. With `substitute`, a volume URL gives the configured volume class
    // and a folder URL the configured directory class unless the receiver class already is one.
    static Ptr makeFile(const KNVTFileClass &receiverClass, const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem,
                        bool substitute = true);

    // Identity: equal when both URLs are; the class does not count.
    Ptr copy() const;
    bool isEqual(const KNVTFile &other) const { return URL() == other.URL(); }
    size_t hash() const;
    QString description() const;
    std::optional<QByteArray> dataRepresentation() const;

    // Location.
    QString path() const;
    QUrl URL() const;
    void setURL(const QUrl &url);
    void setPath(const QString &path);
    // Set by directory listings; no label colours exist here, so an invalid colour.
    QColor labelColor() const;
    void setLabelColor(const QColor &labelColor);
    std::shared_ptr<KNVTFileSystem> fileSystem() const;
    void setFileSystem(std::shared_ptr<KNVTFileSystem> fileSystem);

    // Names.
    QString displayName() const;
    QString nameWithExtension() const;
    QString extension() const;
    QString nameWithoutExtension() const;
    static QString nameWithoutExtensionForPath(const QString &path);
    static QString displayNameAtURL(const QUrl &url);
    static Comparator fileDisplayNameComparator();
    QIcon icon() const;
    QString MIMEType() const;
    static QString MIMETypeForExtension(const QString &extension);

    static QDateTime ENIACCreationDate();
    static QDateTime macAnnouncementDate();

    // Attributes; failures give nullopt, an invalid date, an empty string or false, with the reason in `error`.
    std::optional<QVariantMap> attributesWithError(knvt::Error *error = nullptr) const;
    // Understands NSFilePosixPermissions, NSFileModificationDate, NSFileOwnerAccountID and NSFileGroupOwnerAccountID.
    bool setAttributes(const QVariantMap &attributes, knvt::Error *error = nullptr);
    QDateTime creationDateWithError(knvt::Error *error = nullptr) const;
    QDateTime modificationDateWithError(knvt::Error *error = nullptr) const;
    std::optional<uint> posixPermissionsWithError(knvt::Error *error = nullptr) const;
    bool setPosixPermissions(uint permissions, knvt::Error *error = nullptr);
    bool isReadableWithError(knvt::Error *error = nullptr) const;
    bool isWriteableWithError(knvt::Error *error = nullptr) const;
    bool isExecutableWithError(knvt::Error *error = nullptr) const;
    // No size for folders.
    std::optional<quint64> fileSizeWithError(knvt::Error *error = nullptr) const;
    std::optional<quint32> fileTypeCodeWithError(knvt::Error *error = nullptr) const;
    // The type code as four characters in single quotes, such as "'brok'".
    QString fileTypeWithError(knvt::Error *error = nullptr) const;
    std::optional<QVariantMap> fileSystemAttributesWithError(knvt::Error *error = nullptr) const;

    // Kinds and tests; what cannot be read counts as false.
    bool exists() const;
    static bool fileExistsAtURL(const QUrl &url);
    bool isDirectory() const;
    // Folders that stand for one document; the desktop here has none.
    bool isPackage() const;
    bool isApplication() const;
    bool isHidden() const;
    bool hasIcon() const;
    // A file browser's busy mark: the type code 'brok', or a creation date that was read and is no later than
    // macAnnouncementDate.
    virtual bool isBusyInFileViewer() const;
    bool isInSandboxedContainerWithError(knvt::Error *error = nullptr) const;
    static bool isURLInSandboxedContainer(const QUrl &url, knvt::Error *error = nullptr);

    // File-browser strings.
    QString fileViewerDisplayName() const;
    QString fileViewerCreationDateString() const;
    QString fileViewerModificationDateString() const;
    virtual QString fileViewerFileSizeString() const;
    static QString fileViewerStringForFileSizeInBytes(qint64 bytes);
    static QString fileViewerDateStringForDate(const QDateTime &date);

    // Applications (their desktop-entry files), images and bookmarks.
    QList<QUrl> applicationURLs() const;
    static QList<QUrl> applicationURLsForURLs(const QList<QUrl> &urls);
    bool getImageWidth(quint64 *width, quint64 *height) const;
    static QByteArray securityScopedBookmarkDataForURL(const QUrl &url, knvt::Error *error = nullptr);
    QByteArray securityScopedBookmarkDataWithError(knvt::Error *error = nullptr) const;
    static QUrl URLForSecurityScopedBookmarkData(const QByteArray &data, const QUrl &relativeToURL,
                                                 bool *bookmarkDataIsStale, knvt::Error *error = nullptr);
    static QUrl URLForSecurityScopedBookmarkData(const QByteArray &data, knvt::Error *error = nullptr);

    // Moving: no move replaces an existing item unless asked to; on success the object follows the item. The
    // asynchronous forms take a handler (possibly empty) and call it once on a pool thread.
    bool moveToURL(const QUrl &url, knvt::Error *error = nullptr);
    bool moveToURL(const QUrl &url, bool overwriteExisting, knvt::Error *error = nullptr);
    void moveToURL(const QUrl &url, CompletionHandler completionHandler);
    bool moveToPath(const QString &path, knvt::Error *error = nullptr);
    bool renameToFileName(const QString &fileName, knvt::Error *error = nullptr);
    bool moveToDesktopWithError(knvt::Error *error = nullptr);

    // Copying: the object stays at the source.
    bool copyToURL(const QUrl &url, knvt::Error *error = nullptr);
    bool copyToURL(const QUrl &url, bool overwriteExisting, knvt::Error *error = nullptr);
    void copyToURL(const QUrl &url, CompletionHandler completionHandler);
    bool copyToPath(const QString &path, knvt::Error *error = nullptr);
    Ptr copyFileToURL(const QUrl &url, knvt::Error *error = nullptr);
    Ptr copyFileToURL(const QUrl &url, bool overwriteExisting, knvt::Error *error = nullptr);
    void copyFileToURL(const QUrl &url, FileCompletionHandler completionHandler);
    Ptr copyFileToPath(const QString &path, knvt::Error *error = nullptr);

    // Removing and duplicating.
    bool removeWithError(knvt::Error *error = nullptr);
    void removeWithCompletionHandler(CompletionHandler completionHandler);
    bool duplicateWithError(knvt::Error *error = nullptr);
    void duplicateWithCompletionHandler(CompletionHandler completionHandler);
    Ptr duplicateFileWithError(knvt::Error *error = nullptr);
    void duplicateFileWithCompletionHandler(FileCompletionHandler completionHandler);

    // Free paths, named letter for letter as clients know them.
    static QString avaliableDuplicatePathForPath(const QString &path);
    static QUrl avaliableDuplicateURLForURL(const QUrl &url);
    static QString avalaiblePathForSuggestedPath(const QString &path);
    static QUrl avalaibleURLForSuggestedURL(const QUrl &url);

    // The trash: the desktop's own, $XDG_DATA_HOME/Trash, with its restore information.
    static QString recycleDirectoryPath();
    QString recyclePath() const;
    bool recycleWithError(knvt::Error *error = nullptr);
    void recycleInFileViewerWithCompletionHandler(CompletionHandler completionHandler);
    void duplicateInFileViewerWithCompletionHandler(CompletionHandler completionHandler);

    // Desktop actions.
    bool openWithDefaultApplication() const;
    bool openWithApplicationNamed(const QString &applicationName) const;
    bool selectInFileViewer() const;
    bool setAsDesktopBackgroundWithError(knvt::Error *error = nullptr) const;
    static QString temporaryDirectoryPathForCurrentApplication();

    // Archives, made by the system's tools; true when the tool exits with status 0. The calling thread waits.
    static bool zipFromPath(const QString &sourcePath, const QString &destinationPath);
    static bool zipFromPaths(const QStringList &sourcePaths, const QString &destinationPath);
    static bool zipFiles(const QList<Ptr> &files, const QString &destinationPath);
    static bool tarGzFromPath(const QString &sourcePath, const QString &destinationPath);
    // Copies the files into the staging folder (which must exist, and is neither made nor emptied) under free names,
    // then archives the folder; false, without an archive, as soon as one copy fails.
    static bool zipFiles(const QList<Ptr> &files, const QString &destinationPath, const QString &stagingPath);
    static bool tarGzFiles(const QList<Ptr> &files, const QString &destinationPath, const QString &stagingPath);
    static std::optional<QStringList> fileNamesInZipAtPath(const QString &path);
    bool zipToPath(const QString &destinationPath) const;
    bool zipToURL(const QUrl &destinationURL) const;
    bool compressToPath(const QString &destinationPath) const;
    bool compressToURL(const QUrl &destinationURL) const;
    bool zip() const;

    // Enclosing folders (nearest first; none above the root) and the volume that holds the item.
    std::shared_ptr<KNVTDirectory> enclosingDirectory() const;
    std::optional<QList<std::shared_ptr<KNVTDirectory>>> enclosingDirectories() const;
    std::optional<QList<std::shared_ptr<KNVTDirectory>>> enclosingDirectoriesForDisplay() const;
    std::shared_ptr<KNVTVolume> enclosingVolume() const;

protected:
    KNVTFile();

    // Typed construction for the factories of the classes derived from this one.
    template <class T>
    static std::shared_ptr<T> makeFileOfClass(const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem)
    {
        if (auto file = std::dynamic_pointer_cast<T>(makeFile(T::staticClass(), url, fileSystem)))
            return file;
        return std::static_pointer_cast<T>(makeFile(T::staticClass(), url, std::move(fileSystem), false));
    }

private:
    static QString extensionForPath(const QString &path);
    std::optional<QVariantMap> readAttributes(knvt::Error *error) const;
    bool checkAccess(int mode, knvt::Error *error) const;
    static bool stageFiles(const QList<Ptr> &files, const QString &stagingPath);
    void postNotification(const char *name, const QVariantMap &userInfo);
    void finishFileViewerOperation(const QUrl &newURL, const knvt::Error &error,
                                   const CompletionHandler &completionHandler);

    mutable std::mutex m_mutex;
    QString m_path;
    QUrl m_URL;
    QColor m_labelColor;
    std::shared_ptr<KNVTFileSystem> m_fileSystem;
};

Q_DECLARE_METATYPE(std::shared_ptr<KNVTFile>)
