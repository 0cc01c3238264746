#include "foundation/filesystem/FileOperations.h"

#include "foundation/filesystem/FileSystemErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace knvt::fileops {

namespace {

std::string native(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

bool fail(Error *error, int errorNumber, const QString &path)
{
    Error::report(error, posixError(errorNumber, path));
    return false;
}

// rename(2) that never replaces; file systems without RENAME_NOREPLACE fall back to a check before the rename.
int renameNoReplace(const QString &from, const QString &to)
{
    const std::string source = native(from);
    const std::string destination = native(to);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    if (itemExists(to))
        return EEXIST;
    return ::rename(source.c_str(), destination.c_str()) == 0 ? 0 : errno;
}

// Puts a destination that was set aside back into place after a failure.
void restore(const QString &aside, const QString &to)
{
    ::rename(native(aside).c_str(), native(to).c_str());
}

// Mount points in /proc/self/mounts escape blanks, tabs, newlines and backslashes as three octal digits.
QString unescapeMountField(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

bool isShownMount(const QString &mountPoint, const QByteArray &type)
{
    static const QList<QByteArray> pseudoTypes = {
        "proc",     "sysfs",       "devpts",     "tmpfs",  "devtmpfs", "cgroup",   "cgroup2",    "mqueue",
        "debugfs",  "tracefs",     "securityfs", "pstore", "bpf",      "autofs",   "hugetlbfs",  "fusectl",
        "configfs", "binfmt_misc", "overlay",    "nsfs",   "ramfs",    "efivarfs", "rpc_pipefs", "squashfs"};
    if (mountPoint == QLatin1String("/"))
        return true;
    if (pseudoTypes.contains(type))
        return false;
    const QString home = QDir::homePath();
    for (const QString &prefix :
         {QStringLiteral("/media/"), QStringLiteral("/run/media/"), QStringLiteral("/mnt/"), home + QLatin1Char('/')})
        if (mountPoint.startsWith(prefix))
            return true;
    return false;
}

} // namespace

bool itemExists(const QString &path)
{
    struct stat info;
    return !path.isEmpty() && ::lstat(native(path).c_str(), &info) == 0;
}

bool isDirectory(const QString &path, bool followLinks)
{
    struct stat info;
    const std::string name = native(path);
    const int result = followLinks ? ::stat(name.c_str(), &info) : ::lstat(name.c_str(), &info);
    return result == 0 && S_ISDIR(info.st_mode);
}

bool moveItem(const QString &from, const QString &to, Error *error)
{
    const int result = renameNoReplace(from, to);
    if (result == 0)
        return true;
    if (result != EXDEV)
        return fail(error, result, result == EEXIST ? to : from);
    if (!copyItem(from, to, error))
        return false;
    Error removal;
    if (!removeItem(from, &removal)) {
        // Leave the item where it was rather than in two places.
        removeItem(to, nullptr);
        Error::report(error, removal);
        return false;
    }
    return true;
}

bool moveItemReplacing(const QString &from, const QString &to, Error *error)
{
    if (!itemExists(to))
        return moveItem(from, to, error);
    if (!isDirectory(from, false) && !isDirectory(to, false)) {
        if (::rename(native(from).c_str(), native(to).c_str()) == 0)
            return true;
        if (errno != EXDEV)
            return fail(error, errno, from);
        if (!copyItemReplacing(from, to, error))
            return false;
        return removeItem(from, error);
    }
    const QString aside = temporarySiblingPath(to);
    if (const int result = renameNoReplace(to, aside))
        return fail(error, result, to);
    if (!moveItem(from, to, error)) {
        restore(aside, to);
        return false;
    }
    removeItem(aside, nullptr);
    return true;
}

bool copyItem(const QString &from, const QString &to, Error *error)
{
    if (itemExists(to))
        return fail(error, EEXIST, to);
    std::error_code code;
    fs::copy(native(from), native(to), fs::copy_options::recursive | fs::copy_options::copy_symlinks, code);
    if (!code)
        return true;
    if (itemExists(to))
        removeItem(to, nullptr);
    return fail(error, code.value(), from);
}

bool copyItemReplacing(const QString &from, const QString &to, Error *error)
{
    if (!itemExists(to))
        return copyItem(from, to, error);
    const QString staged = temporarySiblingPath(to);
    if (!copyItem(from, staged, error))
        return false;
    if (!isDirectory(staged, false) && !isDirectory(to, false)) {
        if (::rename(native(staged).c_str(), native(to).c_str()) == 0)
            return true;
        const int result = errno;
        removeItem(staged, nullptr);
        return fail(error, result, to);
    }
    const QString aside = temporarySiblingPath(to);
    int result = renameNoReplace(to, aside);
    if (result == 0) {
        result = renameNoReplace(staged, to);
        if (result == 0) {
            removeItem(aside, nullptr);
            return true;
        }
        restore(aside, to);
    }
    removeItem(staged, nullptr);
    return fail(error, result, to);
}

bool removeItem(const QString &path, Error *error)
{
    if (!itemExists(path))
        return fail(error, ENOENT, path);
    std::error_code code;
    fs::remove_all(native(path), code);
    if (code)
        return fail(error, code.value(), path);
    return true;
}

bool createDirectory(const QString &path, bool withIntermediateDirectories, Error *error)
{
    const std::string name = native(path);
    if (withIntermediateDirectories) {
        std::error_code code;
        fs::create_directories(name, code);
        if (code)
            return fail(error, code.value(), path);
        if (!isDirectory(path, true))
            return fail(error, EEXIST, path);
        return true;
    }
    if (::mkdir(name.c_str(), 0777) != 0)
        return fail(error, errno, path);
    return true;
}

QString temporarySiblingPath(const QString &path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".knvt-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool isMountPoint(const QString &path)
{
    struct stat item;
    struct stat parent;
    const std::string name = native(path);
    if (::lstat(name.c_str(), &item) != 0 || !S_ISDIR(item.st_mode))
        return false;
    if (::stat((name + "/..").c_str(), &parent) != 0)
        return false;
    return item.st_dev != parent.st_dev || item.st_ino == parent.st_ino;
}

QStringList mountPoints(bool includeHidden)
{
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (!mounts.open(QIODevice::ReadOnly))
        return {};
    QStringList result;
    for (const QByteArray &line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        const QString mountPoint = unescapeMountField(fields[1]);
        if (result.contains(mountPoint))
            continue;
        if (includeHidden || isShownMount(mountPoint, fields[2]))
            result.append(mountPoint);
    }
    return result;
}

QString absoluteCleanPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace knvt::fileops
