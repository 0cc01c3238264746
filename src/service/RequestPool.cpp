#include "service/RequestPool.h"

#include "service/HttpTransport.h"

#include <QThreadPool>

namespace knvt {

QThreadPool *RequestPool::shared()
{
    static QThreadPool *pool = [] {
        // Never destroyed: a worker still finishing at exit must not find its pool gone.
        auto *threadPool = new QThreadPool;
        threadPool->setMaxThreadCount(4);
        threadPool->setObjectName(QStringLiteral("knvt.RequestPool"));
        return threadPool;
    }();
    return pool;
}

void RequestPool::start(std::function<void()> task, QThreadPool *pool)
{
    HttpTransport::initialise();
    (pool ? pool : shared())->start(std::move(task));
}

bool RequestPool::waitForDone(int msecs)
{
    return shared()->waitForDone(msecs);
}

} // namespace knvt
