#pragma once

#include <functional>

class QThreadPool;

namespace knvt {

// The worker threads that send HTTP requests, kept apart from other background work so that it cannot starve them.
class RequestPool
{
public:
    // The process-wide pool of four threads.
    static QThreadPool *shared();

    // Runs the task on a thread of `pool` (the shared pool when null).
    static void start(std::function<void()> task, QThreadPool *pool = nullptr);

    // Waits up to `msecs` for the running and queued requests of the shared pool; false when some are still running.
    static bool waitForDone(int msecs);
};

} // namespace knvt
