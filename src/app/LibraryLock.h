#pragma once

#include <QLockFile>
#include <QString>

namespace knvt {

// One process at a time works on a library, also when the processes share no session bus (another login, a
// terminal without one): two would each sync and save the same file. The lock is a file beside the library folder,
// not inside it, because signing out removes that folder while the process goes on.
class LibraryLock
{
public:
    explicit LibraryLock(const QString &libraryPath);

    // True when this process holds the lock now. A lock left by a process that ended is taken over; one held by a
    // live process, however old, is not.
    bool tryLock();

    // The second process's refusal, on stderr and in an alert: the library is open in another process this one
    // cannot reach.
    void tellTheUserItIsHeld() const;

private:
    // "process 123 on host", of the holder that tryLock() found; empty when it could not be read.
    QString holder() const;

    QString m_path;
    QLockFile m_lock;
};

} // namespace knvt
