// The listener's handler runs on the listener's own thread while its owner replaces the handler, stops or destroys
// the listener on another. These tests drive that overlap hard with the fake network; under ThreadSanitizer an
// unsynchronised handler or a callback outliving its listener shows as a race, elsewhere as a late call or a crash.
#include "foundation/KNVTNetworkReachability.h"
#include "support/FakeReachability.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using namespace knvt;

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// Flips the fake network between its two states from a thread of its own until told to stop.
class ChangeInjector
{
public:
    explicit ChangeInjector(FakeReachability &network)
        : m_thread([this, &network] {
              for (int round = 0; !m_stop.load() && round < 10'000'000; ++round)
                  network.setStatus(round % 2 ? KNVTNetworkReachabilityStatusReachable
                                              : KNVTNetworkReachabilityStatusNotReachable);
          })
    {}
    ~ChangeInjector()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// One-shot signal between a handler and the test thread.
class Latch
{
public:
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    bool wait()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

bool eventually(const std::function<bool()> &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace

TEST(NetworkReachabilityThreading, ListenersDieSafelyWhileChangesArrive)
{
    FakeReachability network;
    ChangeInjector injector(network);
    std::atomic<int> lateCalls{0};
    int totalCalls = 0;

    for (int round = 0; round < 150; ++round) {
        // What the handlers write to: plain memory, freed right after the listener, so that a call running after
        // the destructor is a data race, a use after free, or at least a late call.
        struct Sink
        {
            int calls = 0;
            KNVTNetworkReachabilityStatus last = KNVTNetworkReachabilityStatusUnknown;
            std::atomic<int> heard{0};
        };
        auto sink = std::make_unique<Sink>();
        auto released = std::make_shared<std::atomic<bool>>(false);
        auto handler = [s = sink.get(), released, &lateCalls](KNVTNetworkReachabilityStatus status, bool) {
            if (released->load())
                ++lateCalls;
            ++s->calls;
            s->last = status;
            ++s->heard;
        };

        auto listener = KNVTNetworkReachability::networkReachabilityForInternetConnection();
        listener->setStatusHandler(handler);
        // Every other round, wait for the traffic to reach the handler and replace it while calls keep coming.
        if (round % 2) {
            ASSERT_TRUE(eventually([&] { return sink->heard.load() > 0; }));
            listener->setStatusHandler(handler);
            listener->setStatusHandler(handler);
        }
        if (round % 3 == 0)
            listener->setStatusHandler(nullptr);
        listener.reset();
        released->store(true);
        totalCalls += sink->calls;
        sink.reset();
    }
    EXPECT_EQ(lateCalls.load(), 0);
    EXPECT_GT(totalCalls, 0);
}

TEST(NetworkReachabilityThreading, HandlerCallsNeverOverlap)
{
    FakeReachability network;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> calls{0};
    auto listener = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    listener->setStatusHandler([&](KNVTNetworkReachabilityStatus, bool) {
        if (inside.fetch_add(1) != 0)
            ++overlaps;
        std::this_thread::yield();
        inside.fetch_sub(1);
        ++calls;
    });
    {
        ChangeInjector first(network);
        ChangeInjector second(network);
        ASSERT_TRUE(eventually([&] { return calls.load() >= 200; }));
    }
    listener.reset();
    EXPECT_EQ(overlaps.load(), 0);
}

// stopMonitoring() and the destructor, called from the owner's thread, return only after a running call has ended.
TEST(NetworkReachabilityThreading, StoppingAndDestroyingWaitForTheRunningCall)
{
    FakeReachability network;
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroy" : "stop");
        Latch entered, release;
        std::atomic<bool> ownerReturned{false};
        std::atomic<bool> returnedBeforeCallEnded{false};
        std::atomic<bool> firstCall{true};
        auto listener = KNVTNetworkReachability::networkReachabilityForInternetConnection();
        listener->setStatusHandler([&](KNVTNetworkReachabilityStatus, bool) {
            if (!firstCall.exchange(false))
                return;
            entered.open();
            release.wait();
            returnedBeforeCallEnded = ownerReturned.load();
        });
        network.setStatus(destroy ? KNVTNetworkReachabilityStatusReachable : KNVTNetworkReachabilityStatusNotReachable);
        ASSERT_TRUE(entered.wait());

        KNVTNetworkReachability *raw = listener.get();
        std::thread owner([&] {
            if (destroy)
                listener.reset();
            else
                raw->stopMonitoring();
            ownerReturned = true;
        });
        // The owner has begun: it marks the listener stopped before it waits. The destructor stops first as well.
        ASSERT_TRUE(eventually([&] { return !raw->monitoring() || ownerReturned.load(); }));
        release.open();
        owner.join();
        EXPECT_TRUE(ownerReturned.load());
        EXPECT_FALSE(returnedBeforeCallEnded.load());
    }
}

// From inside its handler a listener can be stopped or destroyed without waiting for itself.
TEST(NetworkReachabilityThreading, HandlerMayStopOrDestroyItsOwnListener)
{
    FakeReachability network;

    Latch stopDone, destroyDone;
    std::atomic<bool> stopAnswer{false};
    std::mutex ownerMutex;
    auto stopped = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    KNVTNetworkReachability *stoppedRaw = stopped.get();
    stopped->setStatusHandler([&](KNVTNetworkReachabilityStatus, bool) {
        stopAnswer = stoppedRaw->stopMonitoring();
        stopDone.open();
    });

    auto destroyed = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    auto payload = std::make_shared<int>(7);
    std::weak_ptr<int> payloadAlive = payload;
    destroyed->setStatusHandler([&, payload](KNVTNetworkReachabilityStatus, bool) {
        std::lock_guard lock(ownerMutex);
        // Destroys the listener together with its stored handler; this call runs on a copy and keeps `payload`.
        destroyed.reset();
        destroyDone.open();
    });
    payload.reset();

    ChangeInjector injector(network);
    ASSERT_TRUE(stopDone.wait());
    ASSERT_TRUE(destroyDone.wait());
    EXPECT_TRUE(stopAnswer.load());
    EXPECT_FALSE(stopped->monitoring());
    {
        std::lock_guard lock(ownerMutex);
        EXPECT_TRUE(destroyed == nullptr);
    }
    // The copy the running call used is gone once that call has ended.
    EXPECT_TRUE(eventually([&] { return payloadAlive.expired(); }));
}
