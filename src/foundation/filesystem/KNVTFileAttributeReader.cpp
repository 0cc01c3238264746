#include "foundation/filesystem/KNVTFileAttributeReader.h"

#include "foundation/filesystem/FileAttributeKeys.h"
#include "foundation/filesystem/FileSystemErrors.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

QDateTime dateFromTimestamp(const struct statx_timestamp &stamp)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(stamp.tv_sec) * 1000 + stamp.tv_nsec / 1000000);
}

const char *typeName(mode_t mode)
{
    if (S_ISREG(mode))
        return knvt::NSFileTypeRegular;
    if (S_ISDIR(mode))
        return knvt::NSFileTypeDirectory;
    if (S_ISLNK(mode))
        return knvt::NSFileTypeSymbolicLink;
    return knvt::NSFileTypeUnknown;
}

} // namespace

KNVTFileAttributeReader::~KNVTFileAttributeReader() = default;

std::optional<QVariantMap> KNVTFileAttributeReader::attributesOfItemAtPath(const QString &path,
                                                                           knvt::Error *error) const
{
    struct statx info;
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME,
                &info)
        != 0) {
        knvt::Error::report(error, knvt::posixError(errno, path));
        return std::nullopt;
    }
    using namespace knvt;
    QVariantMap attributes{
        {QLatin1String(NSFileType), QLatin1String(typeName(info.stx_mode))},
        {QLatin1String(NSFileSize), quint64(info.stx_size)},
        {QLatin1String(NSFileModificationDate), dateFromTimestamp(info.stx_mtime)},
        {QLatin1String(NSFilePosixPermissions), uint(info.stx_mode & 07777)},
        {QLatin1String(NSFileOwnerAccountID), uint(info.stx_uid)},
        {QLatin1String(NSFileGroupOwnerAccountID), uint(info.stx_gid)},
        {QLatin1String(NSFileReferenceCount), uint(info.stx_nlink)},
        {QLatin1String(NSFileSystemNumber), quint64(makedev(info.stx_dev_major, info.stx_dev_minor))},
        {QLatin1String(NSFileSystemFileNumber), quint64(info.stx_ino)},
        // Files here carry no four-character type; the code of an untyped file is 0.
        {QLatin1String(NSFileHFSTypeCode), uint(0)},
    };
    if (info.stx_mask & STATX_BTIME)
        attributes.insert(QLatin1String(NSFileCreationDate), dateFromTimestamp(info.stx_btime));
    return attributes;
}

std::shared_ptr<KNVTFileAttributeReader> KNVTFileAttributeReader::standardReader()
{
    static const auto reader = std::make_shared<KNVTFileAttributeReader>();
    return reader;
}
