#include "foundation/ProcessLock.h"

#include "foundation/Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

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
    if (m_lock.error() == QLockFile::LockFailedError)
        return Outcome::Held;
    // QLockFile tells only "permission" or "unknown"; the folder's disk says which of the user's cases it is.
    const QString where = folder();
    const QStorageInfo disk(where);
    Outcome outcome = Outcome::CannotCreate;
    if (disk.isValid() && disk.isReadOnly())
        outcome = Outcome::ReadOnly;
    else if (::access(QFile::encodeName(where).constData(), W_OK | X_OK) != 0)
        outcome = Outcome::NoPermission;
    else if (disk.isValid() && disk.bytesAvailable() < 4096)
        outcome = Outcome::DiskFull;
    qCWarning(lcFoundation).noquote() << "ProcessLock:tryLock" << m_path << "could not be made, QLockFile error"
                                      << int(m_lock.error()) << "outcome" << int(outcome);
    return outcome;
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
