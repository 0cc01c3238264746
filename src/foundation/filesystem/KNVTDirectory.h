#pragma once

#include "foundation/filesystem/KNVTFile.h"

// The file-system model's object for a folder: it creates itself and nested folders, keeps a listing of its
// contents that a client loads and reloads (it never follows the disk by itself), sums the sizes below it and takes
// files in by moving or copying them. Hidden items (names beginning with ".") are listed only on request.
class KNVTDirectory : public KNVTFile
{
public:
    using Ptr = std::shared_ptr<KNVTDirectory>;
    using FileList = QList<KNVTFile::Ptr>;

    static const KNVTFileClass &staticClass();
    const KNVTFileClass &objectClass() const override;

    // A directory object (or a volume object for a volume's root) whatever the URL points at.
    static Ptr fileWithPath(const QString &path, std::shared_ptr<KNVTFileSystem> fileSystem = {});
    static Ptr fileWithURL(const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem = {});

    static bool createDirectoryAtPath(const QString &path, bool withIntermediateDirectories,
                                      const QVariantMap &attributes = {}, knvt::Error *error = nullptr);
    // A folder exists at the path, links followed.
    static bool directoryExistsAtPath(const QString &path);
    static bool directoryExistsAtURL(const QUrl &url);

    bool createWithIntermediateDirectories(bool withIntermediateDirectories, const QVariantMap &attributes = {},
                                           knvt::Error *error = nullptr);
    bool createNestedDirectoryWithName(const QString &name, const QVariantMap &attributes = {},
                                       knvt::Error *error = nullptr);

    // The listing as last loaded; std::nullopt until loaded and after unloading.
    std::optional<FileList> files() const;
    bool showHiddenFiles() const { return m_showHiddenFiles; }
    void setShowHiddenFiles(bool showHiddenFiles) { m_showHiddenFiles = showHiddenFiles; }

    // Lists the folder afresh; a folder that cannot be listed lists as empty.
    void loadFiles();
    void unloadFiles();
    bool hasFilesBeenLoaded() const;
    void loadSubDirectories();
    // Every item below that is not a folder, depth first, reloading every folder on the way.
    FileList allFiles();
    qsizetype numberOfFiles() const;
    bool hasFiles() const;
    bool containsFile(const KNVTFile &file);
    void enumerateContentsUsingBlock(const std::function<void(KNVTFile::Ptr file, bool *stop)> &block) const;
    // The sizes of the visible items below, added up.
    quint64 contentsFileSizeWithError(knvt::Error *error = nullptr) const;

    // Takes the file in by moving it; the file object follows. Fails when an item of the name is already here.
    bool addFile(const KNVTFile::Ptr &file, knvt::Error *error = nullptr);
    void addFile(const KNVTFile::Ptr &file, CompletionHandler completionHandler);
    // Takes in a copy of the file; the new file object, or nullptr.
    KNVTFile::Ptr addCopyOfFile(const KNVTFile::Ptr &file, knvt::Error *error = nullptr);
    void addCopyOfFile(const KNVTFile::Ptr &file, FileCompletionHandler completionHandler);

    QString fileViewerFileSizeString() const override;
    QString fileViewerNumberOfFilesString() const;
    bool isBusyInFileViewer() const override;

protected:
    KNVTDirectory();

private:
    QStringList listing() const;
    QString destinationForFile(const KNVTFile &file) const;

    mutable std::mutex m_filesMutex;
    std::optional<FileList> m_files;
    bool m_showHiddenFiles = false;
};
