#include "foundation/filesystem/KNVTDirectory.h"

#include "foundation/filesystem/FileOperations.h"
#include "foundation/filesystem/KNVTFileSystem.h"
#include "foundation/filesystem/KNVTVolume.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QThreadPool>

using knvt::Error;

KNVTDirectory::KNVTDirectory() = default;

const KNVTFileClass &KNVTDirectory::staticClass()
{
    static const KNVTFileClass cls(
        "KNVTDirectory", &KNVTFile::staticClass(),
        +[]() -> std::shared_ptr<KNVTFile> { return std::shared_ptr<KNVTDirectory>(new KNVTDirectory); });
    return cls;
}

const KNVTFileClass &KNVTDirectory::objectClass() const
{
    return staticClass();
}

KNVTDirectory::Ptr KNVTDirectory::fileWithPath(const QString &path, std::shared_ptr<KNVTFileSystem> fileSystem)
{
    return makeFileOfClass<KNVTDirectory>(QUrl::fromLocalFile(path), std::move(fileSystem));
}

KNVTDirectory::Ptr KNVTDirectory::fileWithURL(const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem)
{
    return makeFileOfClass<KNVTDirectory>(url, std::move(fileSystem));
}

bool KNVTDirectory::createDirectoryAtPath(const QString &path, bool withIntermediateDirectories,
                                          const QVariantMap &attributes, Error *error)
{
    if (!knvt::fileops::createDirectory(path, withIntermediateDirectories, error))
        return false;
    return attributes.isEmpty() || KNVTFile::fileWithPath(path)->setAttributes(attributes, error);
}

bool KNVTDirectory::directoryExistsAtPath(const QString &path)
{
    return knvt::fileops::isDirectory(path, true);
}

bool KNVTDirectory::directoryExistsAtURL(const QUrl &url)
{
    return directoryExistsAtPath(url.toLocalFile());
}

bool KNVTDirectory::createWithIntermediateDirectories(bool withIntermediateDirectories, const QVariantMap &attributes,
                                                      Error *error)
{
    return createDirectoryAtPath(path(), withIntermediateDirectories, attributes, error);
}

bool KNVTDirectory::createNestedDirectoryWithName(const QString &name, const QVariantMap &attributes, Error *error)
{
    return createDirectoryAtPath(QStringLiteral("%1/%2").arg(path(), name), false, attributes, error);
}

std::optional<KNVTDirectory::FileList> KNVTDirectory::files() const
{
    std::lock_guard lock(m_filesMutex);
    return m_files;
}

QStringList KNVTDirectory::listing() const
{
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System;
    if (m_showHiddenFiles)
        filters |= QDir::Hidden;
    QStringList paths;
    for (const QFileInfo &entry : QDir(path()).entryInfoList(filters, QDir::Name))
        paths.append(entry.filePath());
    return paths;
}

void KNVTDirectory::loadFiles()
{
    FileList loaded;
    const auto system = fileSystem();
    for (const QString &entry : listing()) {
        const QUrl url = QUrl::fromLocalFile(entry);
        KNVTFile::Ptr file;
        if (knvt::fileops::isMountPoint(entry))
            file = makeFile(KNVTVolume::staticClass(), url, system);
        else if (knvt::fileops::isDirectory(entry, false))
            file = makeFile(KNVTDirectory::staticClass(), url, system);
        else
            file = makeFile(KNVTFile::staticClass(), url, system);
        // The desktop here keeps no file labels.
        file->setLabelColor(QColor());
        loaded.append(file);
    }
    std::lock_guard lock(m_filesMutex);
    m_files = std::move(loaded);
}

void KNVTDirectory::unloadFiles()
{
    std::lock_guard lock(m_filesMutex);
    m_files.reset();
}

bool KNVTDirectory::hasFilesBeenLoaded() const
{
    std::lock_guard lock(m_filesMutex);
    return m_files.has_value();
}

void KNVTDirectory::loadSubDirectories()
{
    if (!hasFilesBeenLoaded())
        loadFiles();
    for (const KNVTFile::Ptr &entry : files().value_or(FileList()))
        if (entry->isDirectory())
            if (auto directory = std::dynamic_pointer_cast<KNVTDirectory>(entry))
                directory->loadFiles();
}

KNVTDirectory::FileList KNVTDirectory::allFiles()
{
    loadFiles();
    FileList result;
    for (const KNVTFile::Ptr &entry : files().value_or(FileList())) {
        if (auto directory = std::dynamic_pointer_cast<KNVTDirectory>(entry))
            result.append(directory->allFiles());
        else
            result.append(entry);
    }
    return result;
}

qsizetype KNVTDirectory::numberOfFiles() const
{
    std::lock_guard lock(m_filesMutex);
    return m_files ? m_files->size() : 0;
}

bool KNVTDirectory::hasFiles() const
{
    return numberOfFiles() > 0;
}

bool KNVTDirectory::containsFile(const KNVTFile &file)
{
    if (!hasFilesBeenLoaded())
        loadFiles();
    const QString wanted = file.path();
    for (const KNVTFile::Ptr &entry : files().value_or(FileList()))
        if (entry->path() == wanted)
            return true;
    return false;
}

void KNVTDirectory::enumerateContentsUsingBlock(const std::function<void(KNVTFile::Ptr, bool *)> &block) const
{
    const auto system = fileSystem();
    for (const QString &entry : listing()) {
        bool stop = false;
        block(KNVTFile::fileWithURL(QUrl::fromLocalFile(entry), system), &stop);
        if (stop)
            break;
    }
}

quint64 KNVTDirectory::contentsFileSizeWithError(Error *error) const
{
    quint64 total = 0;
    // Without QDir::Hidden the walk neither lists hidden items nor goes into hidden folders.
    QDirIterator items(path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDirIterator::Subdirectories);
    const auto system = fileSystem();
    while (items.hasNext()) {
        const KNVTFile::Ptr item =
            KNVTFile::makeFile(KNVTFile::staticClass(), QUrl::fromLocalFile(items.next()), system, false);
        total += item->fileSizeWithError(error).value_or(0);
    }
    return total;
}

QString KNVTDirectory::destinationForFile(const KNVTFile &file) const
{
    return QStringLiteral("%1/%2").arg(path(), file.nameWithExtension());
}

bool KNVTDirectory::addFile(const KNVTFile::Ptr &file, Error *error)
{
    return file->moveToPath(destinationForFile(*file), error);
}

void KNVTDirectory::addFile(const KNVTFile::Ptr &file, CompletionHandler completionHandler)
{
    auto self = std::static_pointer_cast<KNVTDirectory>(shared_from_this());
    QThreadPool::globalInstance()->start([self, file, completionHandler = std::move(completionHandler)] {
        Error error;
        const bool added = self->addFile(file, &error);
        if (completionHandler)
            completionHandler(added, error);
    });
}

KNVTFile::Ptr KNVTDirectory::addCopyOfFile(const KNVTFile::Ptr &file, Error *error)
{
    return file->copyFileToPath(destinationForFile(*file), error);
}

void KNVTDirectory::addCopyOfFile(const KNVTFile::Ptr &file, FileCompletionHandler completionHandler)
{
    auto self = std::static_pointer_cast<KNVTDirectory>(shared_from_this());
    QThreadPool::globalInstance()->start([self, file, completionHandler = std::move(completionHandler)] {
        Error error;
        KNVTFile::Ptr copy = self->addCopyOfFile(file, &error);
        if (completionHandler)
            completionHandler(copy, error);
    });
}

QString KNVTDirectory::fileViewerFileSizeString() const
{
    if (isPackage())
        return fileViewerStringForFileSizeInBytes(qint64(contentsFileSizeWithError()));
    return QStringLiteral("--");
}

QString KNVTDirectory::fileViewerNumberOfFilesString() const
{
    const qsizetype count = numberOfFiles();
    return (count == 1 ? QStringLiteral("%1 item") : QStringLiteral("%1 items")).arg(count);
}

bool KNVTDirectory::isBusyInFileViewer() const
{
    if (KNVTFile::isBusyInFileViewer())
        return true;
    // Asking loads a folder not yet loaded; the kept listing is the only state that changes.
    auto *self = const_cast<KNVTDirectory *>(this);
    if (!self->hasFilesBeenLoaded())
        self->loadFiles();
    for (const KNVTFile::Ptr &entry : files().value_or(FileList()))
        if (entry->isBusyInFileViewer())
            return true;
    return false;
}

// Enclosing folders, given to every file object.

std::shared_ptr<KNVTDirectory> KNVTFile::enclosingDirectory() const
{
    const QString current = path();
    // The root has nothing above it.
    if (current.isEmpty() || current == QLatin1String("/"))
        return nullptr;
    return KNVTDirectory::fileWithPath(QFileInfo(current).path(), fileSystem());
}

std::optional<QList<std::shared_ptr<KNVTDirectory>>> KNVTFile::enclosingDirectories() const
{
    QString current = path();
    if (current.isEmpty())
        return std::nullopt;
    QList<std::shared_ptr<KNVTDirectory>> result;
    while (current != QLatin1String("/")) {
        current = QFileInfo(current).path();
        result.append(KNVTDirectory::fileWithPath(current, fileSystem()));
    }
    return result;
}

std::optional<QList<std::shared_ptr<KNVTDirectory>>> KNVTFile::enclosingDirectoriesForDisplay() const
{
    return enclosingDirectories();
}
