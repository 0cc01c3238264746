#include "foundation/FreedMemory.h"

#include "foundation/Logging.h"
#include "foundation/Timing.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace knvt {

namespace {

constexpr int kLargeBlockBytes = 1 << 20;
// What the free end of a heap may keep. The threads' heaps keep it for good once a sort's keys are freed: from half a
// megabyte up they kept 2 MB of a search over 100,000 tasks, at a quarter 0.3 MB. Below it, work that frees a few
// hundred kilobytes gives the main heap's end back and takes it again each time (a Today count took 0.5 ms instead
// of 0.35).
constexpr int kKeptFreeEndBytes = 256 << 10;

void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
    qCDebug(lcFoundation) << "returnFreedMemoryWhenIdle: the free pages went back";
#endif
}

} // namespace

void returnLargeBlocksWhenFreed()
{
#if defined(__GLIBC__)
    // Setting either size keeps both where they are set from then on.
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
    mallopt(M_TRIM_THRESHOLD, kKeptFreeEndBytes);
    // No small block is kept apart. The collation keys the pool's threads make for a sort are small blocks of the
    // threads' heaps that the main thread frees: kept apart, they would join the free end of their heap only when the
    // idle return gathers them, which gives back the free end of the main heap alone, and each thread's heap would
    // keep what its keys took for good. One heap for every thread instead made the threads queue for it: their keys
    // took three to four times as long.
    mallopt(M_MXFAST, 0);
#endif
}

void returnFreedMemoryWhenIdle()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread())
        return;
    // One timer for the application, which goes with it.
    static QPointer<QTimer> idle;
    if (!idle) {
        idle = new QTimer(application);
        idle->setSingleShot(true);
        QObject::connect(idle, &QTimer::timeout, application, &returnFreedMemory);
    }
    idle->start(Timing::ms(freedMemoryIdleSeconds));
}

} // namespace knvt
