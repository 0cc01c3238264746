#pragma once

#include <QLockFile>
#include <QString>

namespace knvt {

// A file that one process at a time holds, for as long as it runs: the library's lock and the sync lock inside the
// library. Age alone never makes a lock stale, because a running program keeps its library for days; a lock left by
// a process that ended is taken over. A lock that cannot be made says why, so that a full or read-only disk is never
// mistaken for another process.
class ProcessLock
{
public:
    enum class Outcome {
        Locked,       // this process holds it now
        Held,         // a live process holds it
        DiskFull,     // the folder's disk has no room for it
        ReadOnly,     // the folder is on a disk mounted read-only
        NoPermission, // this user may not write in the folder
        CannotCreate, // the file could not be made for another reason
    };

    explicit ProcessLock(const QString &path);

    // Makes the folder the file lies in when it is missing. Asks once, never waits.
    Outcome tryLock();

    const QString &path() const { return m_path; }
    // The folder whose disk or permission refused the file: the file's own folder, or the nearest folder above it that
    // exists.
    QString folder() const;
    // "process 123 on host" of the holder; empty when that could not be read.
    QString holder() const;

private:
    // The holder named in the file is a process of this machine that no longer runs.
    bool holderEnded() const;
    Outcome whyTheFolderRefuses() const;

    QString m_path;
    QLockFile m_lock;
};

} // namespace knvt
