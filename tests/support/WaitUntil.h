#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <chrono>
#include <cstdio>

namespace knvt::test {

// Spins the calling thread's Qt event loop until `predicate` holds or `timeout` passes; returns the last result of
// the predicate. Tests wait this way, never by blocking, because the client builds its requests and handles replies
// on the main thread. The predicate may read state set by other threads (the fake service's counters).
// The deadline is a busy machine's: a wait that is met returns at once, and on a build machine or beside a desktop
// session a reply, a window or a screen reader's answer can take many seconds (make test-under-load). A wait that
// only gives what must not happen its chance names its own, short, time.
template <typename Predicate>
// The caller's place comes from the compiler's builtins rather than std::source_location, which clang 14 (that the
// lint runs) does not have.
bool waitUntil(Predicate &&predicate, std::chrono::milliseconds timeout = std::chrono::seconds(30),
               const char *file = __builtin_FILE(), unsigned line = __builtin_LINE())
{
    QDeadlineTimer deadline(timeout);
    while (!predicate()) {
        if (deadline.hasExpired()) {
            const bool met = predicate();
            if (!met && timeout >= std::chrono::seconds(5))
                std::fprintf(stderr, "waitUntil: not met within %lld ms (%s:%u)\n",
                             static_cast<long long>(timeout.count()), file, line);
            return met;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Events may come from other threads without waking us, so never wait for them without a bound.
        QThread::msleep(1);
    }
    return true;
}

} // namespace knvt::test
