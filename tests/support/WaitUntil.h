#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <chrono>

namespace knvt::test {

// Spins the calling thread's Qt event loop until `predicate` holds or `timeout` passes; returns the last result of
// the predicate. Tests wait this way, never by blocking, because the client builds its requests and handles replies
// on the main thread. The predicate may read state set by other threads (the fake service's counters).
template <typename Predicate>
bool waitUntil(Predicate &&predicate, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    QDeadlineTimer deadline(timeout);
    while (!predicate()) {
        if (deadline.hasExpired())
            return predicate();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Events may come from other threads without waking us, so never wait for them without a bound.
        QThread::msleep(1);
    }
    return true;
}

} // namespace knvt::test
