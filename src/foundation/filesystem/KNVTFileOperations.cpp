// The operations of KNVTFile that change the disk: moves, copies, removals, duplicates and free paths.
#include "foundation/filesystem/KNVTFile.h"

#include "foundation/NotificationCenter.h"
#include "foundation/filesystem/FileOperations.h"
#include "foundation/filesystem/KNVTFileSystem.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUuid>

#include <limits>

using knvt::Error;

namespace {

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString parentPath(const QString &path)
{
    return QFileInfo(path).path();
}

// The value of the leading decimal digits of a word, 0 without any; large values saturate.
quint64 leadingNumber(const QString &word)
{
    constexpr quint64 limit = std::numeric_limits<quint64>::max() / 2;
    quint64 value = 0;
    for (QChar c : word) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value >= limit / 10 ? limit : value * 10 + quint64(c.unicode() - '0');
    }
    return value;
}

template <class Handler, class Operation>
void runInBackground(Handler handler, Operation operation)
{
    QThreadPool::globalInstance()->start([handler = std::move(handler), operation = std::move(operation)] {
        Error error;
        auto result = operation(&error);
        if (handler)
            handler(std::move(result), error);
    });
}

} // namespace

void KNVTFile::postNotification(const char *name, const QVariantMap &userInfo)
{
    knvt::NotificationCenter::defaultCenter().post(QLatin1String(name), this, userInfo);
}

bool KNVTFile::moveToURL(const QUrl &url, Error *error)
{
    const QString destination = knvt::fileops::absoluteCleanPath(url.toLocalFile());
    if (!knvt::fileops::moveItem(path(), destination, error))
        return false;
    setPath(destination);
    return true;
}

bool KNVTFile::moveToURL(const QUrl &url, bool overwriteExisting, Error *error)
{
    const QString destination = knvt::fileops::absoluteCleanPath(url.toLocalFile());
    if (!overwriteExisting || !knvt::fileops::itemExists(destination))
        return moveToURL(url, error);
    if (!knvt::fileops::moveItemReplacing(path(), destination, error))
        return false;
    setPath(destination);
    return true;
}

void KNVTFile::moveToURL(const QUrl &url, CompletionHandler completionHandler)
{
    runInBackground(std::move(completionHandler),
                    [self = shared_from_this(), url](Error *error) { return self->moveToURL(url, error); });
}

bool KNVTFile::moveToPath(const QString &path, Error *error)
{
    const QString destination = knvt::fileops::absoluteCleanPath(path);
    const QString original = this->path();
    bool hopped = false;
    // A change of letter case goes through a neutral name first, for file systems that ignore case.
    if (original.toLower() == destination.toLower())
        hopped = renameToFileName(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());

    Error moveError;
    const bool moved = knvt::fileops::moveItem(this->path(), destination, &moveError);
    const QVariantMap userInfo{{QLatin1String(KNVTFileOldURLNotificationKey), this->path()},
                               {QLatin1String(KNVTFileNewURLNotificationKey), destination}};
    if (moved) {
        postNotification(KNVTFileDidSuccessfullyMoveNotification, userInfo);
        setPath(destination);
        return true;
    }
    postNotification(KNVTFileDidFailToMoveNotification, userInfo);
    // Never leave the item under the neutral name: it goes back where it was.
    if (hopped)
        moveToPath(original, nullptr);
    Error::report(error, moveError);
    return false;
}

bool KNVTFile::renameToFileName(const QString &fileName, Error *error)
{
    QString name = fileName;
    name.replace(QLatin1Char('/'), QLatin1Char(':'));
    return moveToPath(joinPath(parentPath(path()), name), error);
}

bool KNVTFile::moveToDesktopWithError(Error *error)
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return moveToPath(QStringLiteral("%1/%2").arg(desktop, nameWithExtension()), error);
}

bool KNVTFile::copyToURL(const QUrl &url, Error *error)
{
    return knvt::fileops::copyItem(path(), knvt::fileops::absoluteCleanPath(url.toLocalFile()), error);
}

bool KNVTFile::copyToURL(const QUrl &url, bool overwriteExisting, Error *error)
{
    const QString destination = knvt::fileops::absoluteCleanPath(url.toLocalFile());
    if (!overwriteExisting || !knvt::fileops::itemExists(destination))
        return copyToURL(url, error);
    return knvt::fileops::copyItemReplacing(path(), destination, error);
}

void KNVTFile::copyToURL(const QUrl &url, CompletionHandler completionHandler)
{
    runInBackground(std::move(completionHandler),
                    [self = shared_from_this(), url](Error *error) { return self->copyToURL(url, error); });
}

bool KNVTFile::copyToPath(const QString &path, Error *error)
{
    const bool copied = copyToURL(QUrl::fromLocalFile(path), error);
    postNotification(copied ? KNVTFileDidSuccessfullyCopyNotification : KNVTFileDidFailToCopyNotification,
                     {{QLatin1String(KNVTFileOldURLNotificationKey), this->path()},
                      {QLatin1String(KNVTFileNewURLNotificationKey), path}});
    return copied;
}

KNVTFile::Ptr KNVTFile::copyFileToURL(const QUrl &url, Error *error)
{
    return copyToURL(url, error) ? makeFile(objectClass(), url, fileSystem()) : nullptr;
}

KNVTFile::Ptr KNVTFile::copyFileToURL(const QUrl &url, bool overwriteExisting, Error *error)
{
    return copyToURL(url, overwriteExisting, error) ? makeFile(objectClass(), url, fileSystem()) : nullptr;
}

void KNVTFile::copyFileToURL(const QUrl &url, FileCompletionHandler completionHandler)
{
    runInBackground(std::move(completionHandler),
                    [self = shared_from_this(), url](Error *error) { return self->copyFileToURL(url, error); });
}

KNVTFile::Ptr KNVTFile::copyFileToPath(const QString &path, Error *error)
{
    return copyFileToURL(QUrl::fromLocalFile(path), error);
}

bool KNVTFile::removeWithError(Error *error)
{
    const bool removed = knvt::fileops::removeItem(path(), error);
    postNotification(removed ? KNVTFileDidSuccessfullyRemoveNotification : KNVTFileDidFailToRemoveNotification,
                     {{QLatin1String(KNVTFileOldURLNotificationKey), path()}});
    return removed;
}

void KNVTFile::removeWithCompletionHandler(CompletionHandler completionHandler)
{
    runInBackground(std::move(completionHandler),
                    [self = shared_from_this()](Error *error) { return self->removeWithError(error); });
}

bool KNVTFile::duplicateWithError(Error *error)
{
    return copyToPath(avaliableDuplicatePathForPath(path()), error);
}

void KNVTFile::duplicateWithCompletionHandler(CompletionHandler completionHandler)
{
    runInBackground(std::move(completionHandler),
                    [self = shared_from_this()](Error *error) { return self->duplicateWithError(error); });
}

KNVTFile::Ptr KNVTFile::duplicateFileWithError(Error *error)
{
    const QString duplicatePath = avaliableDuplicatePathForPath(path());
    if (!copyToPath(duplicatePath, error))
        return nullptr;
    return makeFile(objectClass(), QUrl::fromLocalFile(duplicatePath), nullptr);
}

void KNVTFile::duplicateFileWithCompletionHandler(FileCompletionHandler completionHandler)
{
    runInBackground(std::move(completionHandler),
                    [self = shared_from_this()](Error *error) { return self->duplicateFileWithError(error); });
}

QString KNVTFile::avaliableDuplicatePathForPath(const QString &path)
{
    const QString folder = parentPath(path);
    const QString extension = extensionForPath(path);
    QString baseName = nameWithoutExtensionForPath(path);
    quint64 number = 1;
    const qsizetype space = baseName.lastIndexOf(QLatin1Char(' '));
    const quint64 lastNumber = leadingNumber(baseName.mid(space + 1));
    if (lastNumber >= 2) {
        number = lastNumber;
        // A single word has no space to cut at; it keeps its text and the numbering goes on from its value.
        if (space >= 0)
            baseName = baseName.left(space);
    }
    for (quint64 k = number + 1;; ++k) {
        QString name = QStringLiteral("%1 %2").arg(baseName).arg(k);
        if (!extension.isEmpty())
            name += QLatin1Char('.') + extension;
        const QString candidate = joinPath(folder, name);
        if (!knvt::fileops::itemExists(candidate))
            return candidate;
    }
}

QUrl KNVTFile::avaliableDuplicateURLForURL(const QUrl &url)
{
    return QUrl::fromLocalFile(avaliableDuplicatePathForPath(url.toLocalFile()));
}

QString KNVTFile::avalaiblePathForSuggestedPath(const QString &path)
{
    return knvt::fileops::itemExists(path) ? avaliableDuplicatePathForPath(path) : path;
}

QUrl KNVTFile::avalaibleURLForSuggestedURL(const QUrl &url)
{
    return QUrl::fromLocalFile(avalaiblePathForSuggestedPath(url.toLocalFile()));
}
