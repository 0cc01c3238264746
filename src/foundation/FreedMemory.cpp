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
    mallopt(M_TRIM_THRESHOLD, kLargeBlockBytes);
    // One heap for every thread. A heap of its own would keep the free end of what a thread made (the collation keys
    // the pool's threads make for a sort, which the main thread frees) below that size for good: trimming returns
    // the free end of the main heap only.
    mallopt(M_ARENA_MAX, 1);
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
