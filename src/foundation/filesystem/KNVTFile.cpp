#include "foundation/filesystem/KNVTFile.h"

#include "foundation/Assert.h"
#include "foundation/DateFormat.h"
#include "foundation/StringAdditions.h"
#include "foundation/filesystem/FileAttributeKeys.h"
#include "foundation/filesystem/FileOperations.h"
#include "foundation/filesystem/FileSystemErrors.h"
#include "foundation/filesystem/KNVTFileAttributeReader.h"
#include "foundation/filesystem/KNVTFileSystem.h"

#include <QCollator>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QLocale>
#include <QMimeDatabase>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using knvt::Error;

namespace {

QString lastComponent(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

// The text after the last dot of a name, when the dot is not its first character.
QString extensionOfName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}

// Only a trailing "." and extension is the extension; the same letters earlier in the name belong to the name.
QString stripExtension(const QString &name, const QString &extension)
{
    if (extension.isEmpty())
        return name;
    const QString suffix = QLatin1Char('.') + extension;
    if (name.size() > suffix.size() && name.endsWith(suffix))
        return name.left(name.size() - suffix.size());
    return name;
}

QString trimmedNumber(double value, int decimals)
{
    QString text = QLocale().toString(value, 'f', decimals);
    const QString point = QLocale().decimalPoint();
    if (decimals > 0 && text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

QString cleanLocalPath(const QUrl &url)
{
    const QString localPath = url.toLocalFile();
    return localPath.isEmpty() ? QString() : knvt::fileops::absoluteCleanPath(localPath);
}

const QByteArray bookmarkPrefix = QByteArrayLiteral("knvt-bookmark:");

} // namespace

KNVTFile::KNVTFile() = default;
KNVTFile::~KNVTFile() = default;

const KNVTFileClass &KNVTFile::staticClass()
{
    static const KNVTFileClass cls(
        "KNVTFile", nullptr, +[]() -> std::shared_ptr<KNVTFile> { return std::shared_ptr<KNVTFile>(new KNVTFile); });
    return cls;
}

const KNVTFileClass &KNVTFile::objectClass() const
{
    return staticClass();
}

KNVTFile::Ptr KNVTFile::makeFile(const KNVTFileClass &receiverClass, const QUrl &url,
                                 std::shared_ptr<KNVTFileSystem> fileSystem, bool substitute)
{
    if (!fileSystem)
        fileSystem = KNVTFileSystem::defaultFileSystem();
    const QString path = cleanLocalPath(url);
    const KNVTFileClass *cls = &receiverClass;
    if (substitute && !path.isEmpty()) {
        const KNVTFileSystemConfiguration configuration = fileSystem->configuration();
        if (knvt::fileops::isMountPoint(path)) {
            if (!receiverClass.isSubclassOfClass(*configuration.volumeClass()))
                cls = configuration.volumeClass();
        } else if (knvt::fileops::isDirectory(path, false)) {
            if (!receiverClass.isSubclassOfClass(*configuration.directoryClass()))
                cls = configuration.directoryClass();
        }
    }
    Ptr file = cls->instantiate();
    file->m_path = path;
    file->m_URL = path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
    file->m_fileSystem = std::move(fileSystem);
    return file;
}

KNVTFile::Ptr KNVTFile::fileWithPath(const QString &path, std::shared_ptr<KNVTFileSystem> fileSystem)
{
    return makeFile(staticClass(), QUrl::fromLocalFile(path), std::move(fileSystem));
}

KNVTFile::Ptr KNVTFile::fileWithURL(const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem)
{
    return makeFile(staticClass(), url, std::move(fileSystem));
}

KNVTFile::Ptr KNVTFile::fileWithSecurityScopedBookmarkData(const QByteArray &data)
{
    return fileWithURL(URLForSecurityScopedBookmarkData(data));
}

KNVTFile::Ptr KNVTFile::copy() const
{
    return makeFile(objectClass(), URL(), fileSystem());
}

size_t KNVTFile::hash() const
{
    return qHash(URL());
}

QString KNVTFile::description() const
{
    return QStringLiteral("%1:%2").arg(QLatin1String(objectClass().name()), URL().toString());
}

std::optional<QByteArray> KNVTFile::dataRepresentation() const
{
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QString KNVTFile::path() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

QUrl KNVTFile::URL() const
{
    std::lock_guard lock(m_mutex);
    return m_URL;
}

void KNVTFile::setURL(const QUrl &url)
{
    const QString path = cleanLocalPath(url);
    std::lock_guard lock(m_mutex);
    m_path = path;
    m_URL = path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

void KNVTFile::setPath(const QString &path)
{
    setURL(QUrl::fromLocalFile(path));
}

QColor KNVTFile::labelColor() const
{
    std::lock_guard lock(m_mutex);
    return m_labelColor;
}

void KNVTFile::setLabelColor(const QColor &labelColor)
{
    std::lock_guard lock(m_mutex);
    m_labelColor = labelColor;
}

std::shared_ptr<KNVTFileSystem> KNVTFile::fileSystem() const
{
    std::lock_guard lock(m_mutex);
    return m_fileSystem;
}

void KNVTFile::setFileSystem(std::shared_ptr<KNVTFileSystem> fileSystem)
{
    std::lock_guard lock(m_mutex);
    m_fileSystem = std::move(fileSystem);
}

QString KNVTFile::displayName() const
{
    return displayNameAtURL(URL());
}

QString KNVTFile::nameWithExtension() const
{
    return lastComponent(path());
}

QString KNVTFile::extension() const
{
    return extensionForPath(path());
}

QString KNVTFile::extensionForPath(const QString &path)
{
    return extensionOfName(lastComponent(path));
}

QString KNVTFile::nameWithoutExtension() const
{
    return stripExtension(displayName(), extension());
}

QString KNVTFile::nameWithoutExtensionForPath(const QString &path)
{
    return stripExtension(lastComponent(path), extensionForPath(path));
}

QString KNVTFile::displayNameAtURL(const QUrl &url)
{
    // Names are shown as they are on disk here: no hidden extensions and no localised system folders.
    const QString path = cleanLocalPath(url);
    const QString name = lastComponent(path);
    return name.isEmpty() ? path : name;
}

KNVTFile::Comparator KNVTFile::fileDisplayNameComparator()
{
    const QCollator collator = knvt::titleCollator(QLocale());
    return
        [collator](const KNVTFile &a, const KNVTFile &b) { return collator.compare(a.displayName(), b.displayName()); };
}

QIcon KNVTFile::icon() const
{
    if (!exists())
        return QIcon();
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path());
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
}

QString KNVTFile::MIMEType() const
{
    const QString ext = extension();
    if (!ext.isEmpty()) {
        const QString type = MIMETypeForExtension(ext);
        if (!type.isEmpty())
            return type;
    }
    if (!exists())
        return QString();
    const QString type = QMimeDatabase().mimeTypeForFile(path()).name();
    return type.isEmpty() ? QString() : type;
}

QString KNVTFile::MIMETypeForExtension(const QString &extension)
{
    static const QList<std::pair<QString, QString>> types = {
        {QStringLiteral("csv"), QStringLiteral("text/csv")},
        {QStringLiteral("doc"), QStringLiteral("application/msword")},
        {QStringLiteral("docx"),
         QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.document")},
        {QStringLiteral("ods"), QStringLiteral("application/vnd.oasis.opendocument.spreadsheet")},
        {QStringLiteral("odt"), QStringLiteral("application/vnd.oasis.opendocument.text")},
        {QStringLiteral("pps"), QStringLiteral("application/vnd.ms-powerpoint")},
        {QStringLiteral("ppt"), QStringLiteral("application/vnd.ms-powerpoint")},
        {QStringLiteral("rtf"), QStringLiteral("application/rtf")},
        {QStringLiteral("sxw"), QStringLiteral("application/vnd.sun.xml.writer")},
        {QStringLiteral("txt"), QStringLiteral("text/plain")},
        {QStringLiteral("xls"), QStringLiteral("application/vnd.ms-excel")},
        {QStringLiteral("xlsx"), QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet")},
        {QStringLiteral("jpg"), QStringLiteral("image/jpeg")},
        {QStringLiteral("jpeg"), QStringLiteral("image/jpeg")},
        {QStringLiteral("png"), QStringLiteral("image/png")},
        {QStringLiteral("bmp"), QStringLiteral("image/bmp")},
        {QStringLiteral("gif"), QStringLiteral("image/gif")},
        {QStringLiteral("html"), QStringLiteral("text/html")},
        {QStringLiteral("tsv"), QStringLiteral("text/tab-separated-values")},
        {QStringLiteral("tab"), QStringLiteral("text/tab-separated-values")},
        {QStringLiteral("pdf"), QStringLiteral("application/pdf")},
    };
    for (const auto &[known, type] : types)
        if (known == extension)
            return type;
    return QString();
}

QDateTime KNVTFile::ENIACCreationDate()
{
    return QDateTime::fromSecsSinceEpoch(-753549904, Qt::UTC);
}

QDateTime KNVTFile::macAnnouncementDate()
{
    return QDateTime::fromSecsSinceEpoch(443779200, Qt::UTC);
}

std::optional<QVariantMap> KNVTFile::readAttributes(Error *error) const
{
    const auto system = fileSystem();
    const auto reader = system ? system->attributeReader() : KNVTFileAttributeReader::standardReader();
    return reader->attributesOfItemAtPath(path(), error);
}

std::optional<QVariantMap> KNVTFile::attributesWithError(Error *error) const
{
    return readAttributes(error);
}

bool KNVTFile::setAttributes(const QVariantMap &attributes, Error *error)
{
    const QByteArray name = QFile::encodeName(path());
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it) {
        int result = 0;
        if (it.key() == QLatin1String(knvt::NSFilePosixPermissions)) {
            result = ::chmod(name.constData(), mode_t(it.value().toUInt() & 07777));
        } else if (it.key() == QLatin1String(knvt::NSFileModificationDate)) {
            const qint64 ms = it.value().toDateTime().toMSecsSinceEpoch();
            // Floor division keeps the nanoseconds in range for dates before 1970.
            const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
            const struct timespec times[2] = {{0, UTIME_OMIT},
                                              {time_t(seconds), long((ms - seconds * 1000) * 1000000)}};
            result = ::utimensat(AT_FDCWD, name.constData(), times, AT_SYMLINK_NOFOLLOW);
        } else if (it.key() == QLatin1String(knvt::NSFileOwnerAccountID)) {
            result = ::lchown(name.constData(), uid_t(it.value().toUInt()), gid_t(-1));
        } else if (it.key() == QLatin1String(knvt::NSFileGroupOwnerAccountID)) {
            result = ::lchown(name.constData(), uid_t(-1), gid_t(it.value().toUInt()));
        }
        if (result != 0) {
            Error::report(error, knvt::posixError(errno, path()));
            return false;
        }
    }
    return true;
}

QDateTime KNVTFile::creationDateWithError(Error *error) const
{
    const auto attributes = readAttributes(error);
    return attributes ? attributes->value(QLatin1String(knvt::NSFileCreationDate)).toDateTime() : QDateTime();
}

QDateTime KNVTFile::modificationDateWithError(Error *error) const
{
    const auto attributes = readAttributes(error);
    return attributes ? attributes->value(QLatin1String(knvt::NSFileModificationDate)).toDateTime() : QDateTime();
}

std::optional<uint> KNVTFile::posixPermissionsWithError(Error *error) const
{
    const auto attributes = readAttributes(error);
    if (!attributes || !attributes->contains(QLatin1String(knvt::NSFilePosixPermissions)))
        return std::nullopt;
    return attributes->value(QLatin1String(knvt::NSFilePosixPermissions)).toUInt();
}

bool KNVTFile::setPosixPermissions(uint permissions, Error *error)
{
    return setAttributes({{QLatin1String(knvt::NSFilePosixPermissions), permissions}}, error);
}

bool KNVTFile::checkAccess(int mode, Error *error) const
{
    if (!readAttributes(error))
        return false;
    return ::access(QFile::encodeName(path()).constData(), mode) == 0;
}

bool KNVTFile::isReadableWithError(Error *error) const
{
    return checkAccess(R_OK, error);
}

bool KNVTFile::isWriteableWithError(Error *error) const
{
    return checkAccess(W_OK, error);
}

bool KNVTFile::isExecutableWithError(Error *error) const
{
    return checkAccess(X_OK, error);
}

std::optional<quint64> KNVTFile::fileSizeWithError(Error *error) const
{
    const auto attributes = readAttributes(error);
    if (!attributes || attributes->value(QLatin1String(knvt::NSFileType)) == QLatin1String(knvt::NSFileTypeDirectory))
        return std::nullopt;
    return attributes->value(QLatin1String(knvt::NSFileSize)).toULongLong();
}

std::optional<quint32> KNVTFile::fileTypeCodeWithError(Error *error) const
{
    const auto attributes = readAttributes(error);
    if (!attributes || !attributes->contains(QLatin1String(knvt::NSFileHFSTypeCode)))
        return std::nullopt;
    return quint32(attributes->value(QLatin1String(knvt::NSFileHFSTypeCode)).toUInt());
}

QString KNVTFile::fileTypeWithError(Error *error) const
{
    const auto code = fileTypeCodeWithError(error);
    if (!code)
        return QString();
    QString characters;
    if (*code != 0)
        for (int shift = 24; shift >= 0; shift -= 8)
            characters.append(QChar(char16_t((*code >> shift) & 0xff)));
    return QLatin1Char('\'') + characters + QLatin1Char('\'');
}

std::optional<QVariantMap> KNVTFile::fileSystemAttributesWithError(Error *error) const
{
    const QByteArray name = QFile::encodeName(path());
    struct statvfs volume;
    struct stat item;
    if (::statvfs(name.constData(), &volume) != 0 || ::stat(name.constData(), &item) != 0) {
        Error::report(error, knvt::posixError(errno, path()));
        return std::nullopt;
    }
    return QVariantMap{
        {QLatin1String(knvt::NSFileSystemSize), quint64(volume.f_blocks) * volume.f_frsize},
        {QLatin1String(knvt::NSFileSystemFreeSize), quint64(volume.f_bavail) * volume.f_frsize},
        {QLatin1String(knvt::NSFileSystemNodes), quint64(volume.f_files)},
        {QLatin1String(knvt::NSFileSystemFreeNodes), quint64(volume.f_favail)},
        {QLatin1String(knvt::NSFileSystemNumber), quint64(item.st_dev)},
    };
}

bool KNVTFile::exists() const
{
    return knvt::fileops::itemExists(path());
}

bool KNVTFile::fileExistsAtURL(const QUrl &url)
{
    return knvt::fileops::itemExists(url.toLocalFile());
}

bool KNVTFile::isDirectory() const
{
    return knvt::fileops::isDirectory(path(), false);
}

bool KNVTFile::isPackage() const
{
    return false;
}

bool KNVTFile::isApplication() const
{
    return path().endsWith(QLatin1String(".app"));
}

bool KNVTFile::isHidden() const
{
    return nameWithExtension().startsWith(QLatin1Char('.'));
}

bool KNVTFile::hasIcon() const
{
    return !icon().isNull();
}

bool KNVTFile::isBusyInFileViewer() const
{
    if (fileTypeWithError() == QLatin1String("'brok'"))
        return true;
    // Many file systems keep no creation date at all; an item without one is not busy.
    const QDateTime created = creationDateWithError();
    return created.isValid() && created <= macAnnouncementDate();
}

bool KNVTFile::isInSandboxedContainerWithError(Error *error) const
{
    return isURLInSandboxedContainer(URL(), error);
}

bool KNVTFile::isURLInSandboxedContainer(const QUrl &url, Error *)
{
    return url.path().split(QLatin1Char('/')).contains(QLatin1String(KNVT_APP_ID));
}

QString KNVTFile::fileViewerDisplayName() const
{
    return displayName();
}

QString KNVTFile::fileViewerCreationDateString() const
{
    return fileViewerDateStringForDate(creationDateWithError());
}

QString KNVTFile::fileViewerModificationDateString() const
{
    return fileViewerDateStringForDate(modificationDateWithError());
}

QString KNVTFile::fileViewerFileSizeString() const
{
    return fileViewerStringForFileSizeInBytes(qint64(fileSizeWithError().value_or(0)));
}

QString KNVTFile::fileViewerStringForFileSizeInBytes(qint64 bytes)
{
    // Decimal units as a file browser counts them: whole bytes and kilobytes, one decimal for megabytes, two above.
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    const double magnitude = std::abs(double(bytes));
    if (magnitude < 1000)
        return QStringLiteral("%1 %2").arg(QLocale().toString(bytes),
                                           magnitude == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
    static const char *const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1000;
    int unit = 0;
    while (std::abs(value) >= 1000 && unit < 5) {
        value /= 1000;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(trimmedNumber(value,
                                                     unit == 0       ? 0
                                                         : unit == 1 ? 1
                                                                     : 2),
                                       QLatin1String(units[unit]));
}

QString KNVTFile::fileViewerDateStringForDate(const QDateTime &date)
{
    if (!date.isValid() || date <= ENIACCreationDate())
        return QStringLiteral("--");
    return knvt::DateFormat(knvt::DateFormat::Style::Short, knvt::DateFormat::Style::Short).stringFromDate(date);
}

bool KNVTFile::getImageWidth(quint64 *width, quint64 *height) const
{
    QImageReader reader(path());
    const QSize size = reader.size();
    if (!size.isValid())
        return false;
    if (width)
        *width = quint64(qint64(qint32(size.width())));
    if (height)
        *height = quint64(qint64(qint32(size.height())));
    return true;
}

// Bookmarks here carry no security scope: they are the encoded URL, which resolves while the item exists.
QByteArray KNVTFile::securityScopedBookmarkDataForURL(const QUrl &url, Error *error)
{
    if (!url.isLocalFile() || !knvt::fileops::itemExists(url.toLocalFile())) {
        Error::report(error, knvt::posixError(ENOENT, url.toLocalFile()));
        return QByteArray();
    }
    return bookmarkPrefix + url.toEncoded();
}

QByteArray KNVTFile::securityScopedBookmarkDataWithError(Error *error) const
{
    return securityScopedBookmarkDataForURL(URL(), error);
}

QUrl KNVTFile::URLForSecurityScopedBookmarkData(const QByteArray &data, const QUrl &relativeToURL,
                                                bool *bookmarkDataIsStale, Error *error)
{
    KNVT_ASSERT(bookmarkDataIsStale != nullptr, "KNVTFile", "URLForSecurityScopedBookmarkData:relativeToURL:");
    *bookmarkDataIsStale = false;
    if (!data.startsWith(bookmarkPrefix)) {
        Error::report(error, knvt::posixError(EINVAL, QString()));
        return QUrl();
    }
    QUrl url = QUrl::fromEncoded(data.mid(bookmarkPrefix.size()));
    if (url.isRelative() && relativeToURL.isValid())
        url = relativeToURL.resolved(url);
    if (!url.isLocalFile() || !knvt::fileops::itemExists(url.toLocalFile())) {
        Error::report(error, knvt::posixError(ENOENT, url.toLocalFile()));
        return QUrl();
    }
    return url;
}

QUrl KNVTFile::URLForSecurityScopedBookmarkData(const QByteArray &data, Error *error)
{
    bool stale = false;
    return URLForSecurityScopedBookmarkData(data, QUrl(), &stale, error);
}
