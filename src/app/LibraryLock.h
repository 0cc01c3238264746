#pragma once

#include "foundation/ProcessLock.h"

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

    // Why tryLock() failed, on stderr and in an alert: the library is open in another process this one cannot reach,
    // or the lock cannot be made where the library lives (a full or read-only disk, a folder the user may not write
    // in), which no other process can mend.
    void tellTheUserWhyNot() const;

private:
    ProcessLock m_lock;
    ProcessLock::Outcome m_outcome = ProcessLock::Outcome::Held;
};

} // namespace knvt
