#include "foundation/ThreadAdditions.h"

#include <QCoreApplication>
#include <QObject>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int waitLimitMs = 5000;

// A thread running its own event loop, with a receiver living on it.
class Worker
{
public:
    Worker()
    {
        m_receiver = new QObject;
        m_receiver->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::finished, m_receiver, &QObject::deleteLater);
        m_thread.start();
    }
    ~Worker()
    {
        m_thread.quit();
        m_thread.wait();
    }
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    QObject *receiver() const { return m_receiver; }
    QThread *thread() { return &m_thread; }

private:
    QThread m_thread;
    QObject *m_receiver = nullptr;
};

// Records where and how often a block ran; safe to read from the test thread while another thread writes.
struct BlockRecord
{
    std::atomic<int> count{0};
    std::atomic<QThread *> thread{nullptr};

    std::function<void()> block()
    {
        return [this] {
            thread.store(QThread::currentThread());
            count.fetch_add(1);
        };
    }
    bool waitUntilRun()
    {
        return QTest::qWaitFor([this] { return count.load() > 0; }, waitLimitMs);
    }
};

} // namespace

TEST(PerformBlock, RunsAtOnceWhenTheReceiverLivesOnTheCallingThread)
{
    QObject receiver;
    BlockRecord run;
    knvt::performBlock(&receiver, run.block());
    EXPECT_EQ(run.count.load(), 1);
    knvt::performBlock(&receiver, run.block(), true);
    EXPECT_EQ(run.count.load(), 2);
    knvt::performBlockOnMainThread(run.block());
    EXPECT_EQ(run.count.load(), 3);
    EXPECT_EQ(run.thread.load(), QThread::currentThread());
}

TEST(PerformBlock, WithoutWaitingOnTheSameThreadWaitsForTheEventLoop)
{
    QObject receiver;
    BlockRecord run;
    knvt::performBlock(&receiver, run.block(), false);
    EXPECT_EQ(run.count.load(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(run.count.load(), 1);
}

TEST(PerformBlock, ToAnotherThreadReturnsAtOnceAndRunsThere)
{
    Worker worker;
    QSemaphore release;
    // Hold the worker so that nothing queued behind this can have run when performBlock returns.
    knvt::performBlock(worker.receiver(), [&release] { release.acquire(); });
    BlockRecord run;
    knvt::performBlock(worker.receiver(), run.block());
    EXPECT_EQ(run.count.load(), 0);
    release.release();
    ASSERT_TRUE(run.waitUntilRun());
    EXPECT_EQ(run.thread.load(), worker.thread());
    EXPECT_EQ(run.count.load(), 1);
}

TEST(PerformBlock, WaitUntilDoneReturnsOnlyAfterTheBlockRanThere)
{
    Worker worker;
    BlockRecord run;
    knvt::performBlock(worker.receiver(), run.block(), true);
    EXPECT_EQ(run.count.load(), 1);
    EXPECT_EQ(run.thread.load(), worker.thread());
}

TEST(PerformBlock, OnMainThreadFromAnotherThreadRunsOnTheMainThread)
{
    Worker worker;
    BlockRecord run;
    knvt::performBlock(worker.receiver(), [&run] { knvt::performBlockOnMainThread(run.block()); });
    ASSERT_TRUE(run.waitUntilRun());
    EXPECT_EQ(run.thread.load(), QCoreApplication::instance()->thread());
}

TEST(PerformBlock, QueuedBlocksOfADestroyedReceiverAreDropped)
{
    BlockRecord run;
    auto receiver = std::make_unique<QObject>();
    knvt::performBlock(receiver.get(), run.block(), false);
    knvt::performBlock(receiver.get(), run.block(), 0s);
    knvt::performBlock(receiver.get(), run.block(), 3600s);
    receiver.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(run.count.load(), 0);
}

TEST(PerformBlockAfterDelay, ZeroDelayDefersToTheNextPassInOrder)
{
    QObject receiver;
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        knvt::performBlock(
            &receiver, [&order, i] { order.push_back(i); }, 0s);
    EXPECT_TRUE(order.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(PerformBlockAfterDelay, RunsOnceTheDelayHasPassed)
{
    QObject receiver;
    BlockRecord soon;
    BlockRecord later;
    knvt::performBlock(&receiver, soon.block(), 20ms);
    knvt::performBlock(&receiver, later.block(), std::chrono::duration<double>(3600));
    ASSERT_TRUE(soon.waitUntilRun());
    EXPECT_EQ(soon.count.load(), 1);
    EXPECT_EQ(later.count.load(), 0);
}

TEST(PerformBlockAfterDelay, RunsOnTheReceiversThread)
{
    Worker worker;
    BlockRecord run;
    knvt::performBlock(worker.receiver(), run.block(), 0s);
    ASSERT_TRUE(run.waitUntilRun());
    EXPECT_EQ(run.thread.load(), worker.thread());
}

TEST(PerformBlockInBackground, RunsOnceOnAThreadOfItsOwn)
{
    BlockRecord run;
    std::atomic<bool> onMainThread{true};
    std::atomic<int> finished{0};
    const std::thread::id caller = std::this_thread::get_id();
    knvt::performBlockInBackground([&] {
        onMainThread = std::this_thread::get_id() == caller;
        run.block()();
        finished.fetch_add(1);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.load() == 1; }, waitLimitMs));
    EXPECT_FALSE(onMainThread.load());
    EXPECT_NE(run.thread.load(), QThread::currentThread());
    EXPECT_EQ(run.count.load(), 1);
}

TEST(RunBlock, RunsOnTheCallingThreadAndIgnoresAnEmptyBlock)
{
    BlockRecord run;
    knvt::runBlock(run.block());
    EXPECT_EQ(run.count.load(), 1);
    knvt::runBlock({});
    knvt::performBlock(QCoreApplication::instance(), {});
    EXPECT_EQ(run.count.load(), 1);
}

TEST(PerformBlockDeathTest, NeedsAReceiver)
{
    EXPECT_DEATH(knvt::performBlock(nullptr, [] {}), "QThread:performBlock assertion failed");
    EXPECT_DEATH(knvt::performBlock(
                     nullptr, [] {}, 0s),
                 "QThread:performBlock assertion failed");
}
