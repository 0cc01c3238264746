#include "foundation/ProcessLock.h"

#include "foundation/Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace knvt {

ProcessLock::ProcessLock(const QString &path) : m_path(path), m_lock(path)
{
    m_lock.setStaleLockTime(0);
}

QString ProcessLock::folder() const
{
    QFileInfo info(QFileInfo(m_path).absolutePath());
    while (!info.isDir() && !info.isRoot())
        info.setFile(info.absolutePath());
    return info.absoluteFilePath();
}

ProcessLock::Outcome ProcessLock::tryLock()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (m_lock.tryLock(0))
        return Outcome::Locked;
    // QLockFile takes over a lock of an ended process only by writing a lock of its own beside it first; a full or
    // read-only disk refuses that one too, and the dead holder would be reported as a live one.
    if (m_lock.error() == QLockFile::LockFailedError && !holderEnded())
        return Outcome::Held;
    const Outcome outcome = whyTheFolderRefuses();
    qCWarning(lcFoundation).noquote() << "ProcessLock:tryLock" << m_path << "could not be made, QLockFile error"
                                      << int(m_lock.error()) << "outcome" << int(outcome);
    return outcome;
}

bool ProcessLock::holderEnded() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_lock.getLockInfo(&pid, &host, &application) || pid <= 0)
        return false;
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

ProcessLock::Outcome ProcessLock::whyTheFolderRefuses() const
{
    // QLockFile tells only "permission" or "unknown"; the folder's disk says which of the user's cases it is.
    const QString where = folder();
    const QStorageInfo disk(where);
    if (disk.isValid() && disk.isReadOnly())
        return Outcome::ReadOnly;
    if (::access(QFile::encodeName(where).constData(), W_OK | X_OK) != 0)
        return Outcome::NoPermission;
    if (disk.isValid() && disk.bytesAvailable() < 4096)
        return Outcome::DiskFull;
    // A dead holder's lock on a disk that takes writes is one another launch is taking over at this moment.
    return m_lock.error() == QLockFile::LockFailedError ? Outcome::Held : Outcome::CannotCreate;
}

QString ProcessLock::holder() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_lock.getLockInfo(&pid, &host, &application))
        return {};
    return QStringLiteral("process %1 on %2").arg(QString::number(pid), host);
}

} // namespace knvt
