#include "foundation/ThreadAdditions.h"

#include "foundation/Assert.h"
#include "foundation/Logging.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <climits>
#include <thread>

namespace knvt {

namespace {

bool livesOnCallingThread(const QObject *receiver)
{
    return receiver->thread() == QThread::currentThread();
}

int delayInMilliseconds(std::chrono::duration<double> delay)
{
    const double milliseconds = std::chrono::duration<double, std::milli>(delay).count();
    if (!(milliseconds > 0)) // also catches NaN
        return 0;
    if (milliseconds >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(milliseconds + 0.5);
}

} // namespace

void performBlockOnMainThread(std::function<void()> block)
{
    QCoreApplication *application = QCoreApplication::instance();
    // The program is ending: a worker that finishes after the application object has gone (a reply the quit stopped
    // waiting for) has nowhere to run its block, which is dropped like any block whose receiver is gone.
    if (!application) {
        qCDebug(lcFoundation) << "performBlockOnMainThread: no application, the block is dropped";
        return;
    }
    performBlock(application, std::move(block));
}

void performBlockInBackground(std::function<void()> block)
{
    std::thread([block = std::move(block)] { runBlock(block); }).detach();
}

void runBlock(const std::function<void()> &block)
{
    if (block)
        block();
}

void performBlock(QObject *receiver, std::function<void()> block)
{
    KNVT_ASSERT(receiver != nullptr, "QThread", "performBlock");
    if (livesOnCallingThread(receiver))
        runBlock(block);
    else
        performBlock(receiver, std::move(block), false);
}

void performBlock(QObject *receiver, std::function<void()> block, bool waitUntilDone)
{
    KNVT_ASSERT(receiver != nullptr, "QThread", "performBlock");
    if (waitUntilDone && livesOnCallingThread(receiver)) {
        runBlock(block);
        return;
    }
    QMetaObject::invokeMethod(
        receiver, [block = std::move(block)] { runBlock(block); },
        waitUntilDone ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void performBlock(QObject *receiver, std::function<void()> block, std::chrono::duration<double> afterDelay)
{
    KNVT_ASSERT(receiver != nullptr, "QThread", "performBlock");
    // The timer fires on the receiver's thread, so the block is already where it must run.
    QTimer::singleShot(delayInMilliseconds(afterDelay), receiver, [block = std::move(block)] { runBlock(block); });
}

void performBlockAfterWaitingEvents(QObject *receiver, std::function<void()> block)
{
    KNVT_ASSERT(receiver != nullptr, "QThread", "performBlockAfterWaitingEvents");
    // A timer of its own, not a posted call (nor a single shot of no delay, which Qt turns into one): the loop handles
    // every posted call before it looks at input or timers again, and fires due timers in the order they were started.
    auto *timer = new QTimer(receiver);
    timer->setSingleShot(true);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, receiver, [timer, block = std::move(block)] {
        timer->deleteLater();
        runBlock(block);
    });
    timer->start();
}

} // namespace knvt
