#include "support/DiskHold.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QWaitCondition>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

constexpr int kPatienceMs = 30000;
constexpr int kLetGoAfterMs = 30000;

// Never destroyed: a thread of the program may wait for the disk at any time, also while the process ends.
struct Hold
{
    QMutex mutex;
    QWaitCondition changed;
    bool active = false;
    std::thread::id holder;
    int held = 0;
    int calls = 0;
};

Hold &hold()
{
    static auto *made = new Hold;
    return *made;
}

} // namespace

namespace knvt::test {

DiskHold::DiskHold()
{
    Hold &h = hold();
    const QMutexLocker locker(&h.mutex);
    if (h.active) {
        std::fprintf(stderr, "DiskHold: another one is holding\n");
        std::abort();
    }
    h.active = true;
    h.holder = std::this_thread::get_id();
    h.calls = 0;
}

DiskHold::~DiskHold()
{
    release();
}

bool DiskHold::waitUntilHolding() const
{
    Hold &h = hold();
    QMutexLocker locker(&h.mutex);
    QDeadlineTimer deadline(kPatienceMs);
    while (h.held == 0)
        if (!h.changed.wait(&h.mutex, deadline))
            return h.held > 0;
    return true;
}

int DiskHold::calls() const
{
    Hold &h = hold();
    const QMutexLocker locker(&h.mutex);
    return h.calls;
}

bool DiskHold::holding() const
{
    Hold &h = hold();
    const QMutexLocker locker(&h.mutex);
    return h.held > 0;
}

void DiskHold::release()
{
    Hold &h = hold();
    const QMutexLocker locker(&h.mutex);
    h.active = false;
    h.changed.wakeAll();
}

void DiskHold::holdIfAsked()
{
    Hold &h = hold();
    QMutexLocker locker(&h.mutex);
    if (std::this_thread::get_id() == h.holder)
        return;
    ++h.calls;
    if (!h.active)
        return;
    ++h.held;
    h.changed.wakeAll();
    QDeadlineTimer letGo(kLetGoAfterMs);
    while (h.active)
        if (!h.changed.wait(&h.mutex, letGo))
            break;
    --h.held;
    h.changed.wakeAll();
}

} // namespace knvt::test
