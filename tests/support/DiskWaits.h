#pragma once

#include <QStringList>

namespace knvt::test {

// Counts the calls that wait until the disk holds what was written (fsync and fdatasync: SQLite's commits, QSaveFile's
// and QLockFile's alike) made by the thread that makes it, while it lives, and the files they waited for. The calls
// are caught where the process calls the C library, so that no layer of the program can wait unseen; calls of other
// threads are left out. One at a time.
class DiskWaits
{
public:
    DiskWaits();
    ~DiskWaits();
    DiskWaits(const DiskWaits &) = delete;
    DiskWaits &operator=(const DiskWaits &) = delete;

    int count() const;
    // The names of the files waited for, one per wait, in order.
    QStringList files() const;
};

} // namespace knvt::test
