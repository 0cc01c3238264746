#pragma once

namespace knvt::test {

// While it lives, every wait for the disk (fsync, fdatasync) that a thread other than the one that made it starts is
// held there, before it reaches the C library, until release(): work a program leaves to a thread of its own is
// caught in the middle, for as long as a test needs, as a slow disk would hold it. A call is let go by itself after
// half a minute, so that a program that waits for what is held fails its test instead of hanging it. One at a time.
class DiskHold
{
public:
    DiskHold();
    ~DiskHold(); // releases
    DiskHold(const DiskHold &) = delete;
    DiskHold &operator=(const DiskHold &) = delete;

    // Returns once a call is held (false if none came within the patience of a busy machine).
    bool waitUntilHolding() const;
    // Whether a call is held at this moment.
    bool holding() const;
    // The calls of other threads since it was made, held or come after release().
    int calls() const;
    // Lets the held calls go on, and those to come.
    void release();

    // Where the process's waits for the disk are caught (DiskWaits.cpp): returns once the call may go on.
    static void holdIfAsked();
};

} // namespace knvt::test
