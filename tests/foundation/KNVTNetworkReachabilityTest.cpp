#include "foundation/KNVTNetworkReachability.h"
#include "support/FakeReachability.h"

#include <arpa/inet.h>
#include <pthread.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace knvt;

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// Collects the handler calls of one listener, with the thread each came on.
struct HandlerLog
{
    struct Call
    {
        KNVTNetworkReachabilityStatus status;
        bool connectionRequired;
        std::thread::id thread;
        std::string threadName;
    };

    KNVTNetworkReachability::StatusHandler handler()
    {
        return [this](KNVTNetworkReachabilityStatus status, bool connectionRequired) {
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof name);
            std::lock_guard lock(mutex);
            calls.push_back({status, connectionRequired, std::this_thread::get_id(), name});
            changed.notify_all();
        };
    }

    bool waitForCalls(std::size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, [&] { return calls.size() >= count; });
    }

    std::vector<Call> snapshot()
    {
        std::lock_guard lock(mutex);
        return calls;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Call> calls;
};

std::string addressText(const sockaddr_in &address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

constexpr ReachabilityFlags R = kReachabilityFlagReachable;
constexpr ReachabilityFlags Required = kReachabilityFlagConnectionRequired;
constexpr ReachabilityFlags OnTraffic = kReachabilityFlagConnectionOnTraffic;
constexpr ReachabilityFlags Intervention = kReachabilityFlagInterventionRequired;
constexpr ReachabilityFlags OnDemand = kReachabilityFlagConnectionOnDemand;
constexpr ReachabilityFlags Direct = kReachabilityFlagIsDirect;

} // namespace

TEST(NetworkReachabilityFlags, NetworkMappingTakesTheFirstRuleThatApplies)
{
    const struct
    {
        ReachabilityFlags flags;
        KNVTNetworkReachabilityStatus expected;
    } rows[] = {
        {0, KNVTNetworkReachabilityStatusNotReachable},
        {R, KNVTNetworkReachabilityStatusReachable},
        {R | Direct, KNVTNetworkReachabilityStatusReachable},
        {R | Required, KNVTNetworkReachabilityStatusNotReachable},
        {R | Required | OnDemand, KNVTNetworkReachabilityStatusReachable},
        {R | Required | OnTraffic, KNVTNetworkReachabilityStatusReachable},
        {R | Required | OnDemand | Intervention, KNVTNetworkReachabilityStatusNotReachable},
        {R | OnDemand | Intervention, KNVTNetworkReachabilityStatusReachable},
        {Required | OnDemand | OnTraffic | Direct, KNVTNetworkReachabilityStatusNotReachable},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << row.flags);
        EXPECT_EQ(KNVTNetworkReachability::networkStatusForNetworkReachabilityFlags(row.flags), row.expected);
    }
}

TEST(NetworkReachabilityFlags, LocalWiFiMappingNeedsReachableAndDirect)
{
    const struct
    {
        ReachabilityFlags flags;
        KNVTNetworkReachabilityStatus expected;
    } rows[] = {
        {0, KNVTNetworkReachabilityStatusNotReachable},
        {R, KNVTNetworkReachabilityStatusNotReachable},
        {Direct, KNVTNetworkReachabilityStatusNotReachable},
        {R | Direct, KNVTNetworkReachabilityStatusReachable},
        {R | Direct | Required | Intervention, KNVTNetworkReachabilityStatusReachable},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << row.flags);
        EXPECT_EQ(KNVTNetworkReachability::localWiFiStatusForNetworkReachabilityFlags(row.flags), row.expected);
    }
}

TEST(NetworkReachability, FactoriesMakeTheirTargets)
{
    FakeReachability network;
    const auto internet = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    const auto wifi = KNVTNetworkReachability::networkReachabilityForLocalWiFi();
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(443);
    inet_pton(AF_INET, "198.51.100.7", &address.sin_addr);
    const auto byAddress = KNVTNetworkReachability::networkReachabilityWithAddress(&address);
    const auto byName = KNVTNetworkReachability::networkReachabilityWithHostName(QStringLiteral("sync.example.org"));

    const std::vector<ReachabilitySource::Target> targets = network.targets();
    ASSERT_EQ(targets.size(), 4u);
    EXPECT_EQ(targets[0].kind, ReachabilitySource::Target::Kind::Address);
    EXPECT_EQ(addressText(targets[0].address), "0.0.0.0");
    EXPECT_EQ(targets[0].address.sin_port, 0);
    EXPECT_EQ(addressText(targets[1].address), "169.254.0.0");
    EXPECT_EQ(addressText(targets[2].address), "198.51.100.7");
    EXPECT_EQ(targets[3].kind, ReachabilitySource::Target::Kind::HostName);
    EXPECT_EQ(targets[3].hostName, "sync.example.org");

    EXPECT_FALSE(internet->isLocalWiFiNetworkReachabilityRef());
    EXPECT_TRUE(wifi->isLocalWiFiNetworkReachabilityRef());
    EXPECT_FALSE(byAddress->isLocalWiFiNetworkReachabilityRef());
    EXPECT_EQ(byName->hostName(), QStringLiteral("sync.example.org"));
    EXPECT_TRUE(internet->hostName().isEmpty());
    for (const auto *listener : {internet.get(), wifi.get(), byAddress.get(), byName.get()})
        EXPECT_EQ(listener->hostAddress(), nullptr);
}

TEST(NetworkReachability, WithoutAReferenceTheStatusIsUnknownAndNothingStarts)
{
    FakeReachability network;
    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    std::vector<std::unique_ptr<KNVTNetworkReachability>> listeners;
    listeners.push_back(std::make_unique<KNVTNetworkReachability>());
    listeners.push_back(KNVTNetworkReachability::networkReachabilityWithHostName(QString()));
    listeners.push_back(KNVTNetworkReachability::networkReachabilityWithHostName(QString::fromUtf8("a\0b", 3)));
    listeners.push_back(KNVTNetworkReachability::networkReachabilityWithAddress(nullptr));
    sockaddr_in wrongFamily = {};
    wrongFamily.sin_family = AF_INET6;
    listeners.push_back(KNVTNetworkReachability::networkReachabilityWithAddress(&wrongFamily));
    network.setRefusesReferences(true);
    listeners.push_back(KNVTNetworkReachability::networkReachabilityWithHostName(QStringLiteral("example.org")));

    for (std::size_t i = 0; i < listeners.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "listener " << i);
        KNVTNetworkReachability &listener = *listeners[i];
        EXPECT_EQ(listener.networkReachabilityStatus(), KNVTNetworkReachabilityStatusUnknown);
        EXPECT_FALSE(listener.isConnectionRequired());
        EXPECT_TRUE(listener.hostName().isEmpty());
        listener.setStatusHandler([](KNVTNetworkReachabilityStatus, bool) {});
        EXPECT_FALSE(listener.monitoring());
        EXPECT_FALSE(listener.startMonitoring());
        EXPECT_FALSE(listener.stopMonitoring());
    }
}

TEST(NetworkReachability, CurrentStatusMapsTheFlagsByTheListenersKind)
{
    FakeReachability network;
    const auto internet = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    const auto wifi = KNVTNetworkReachability::networkReachabilityForLocalWiFi();

    network.setFlags(R);
    EXPECT_EQ(internet->networkReachabilityStatus(), KNVTNetworkReachabilityStatusReachable);
    EXPECT_EQ(wifi->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);

    network.setFlags(R | Direct);
    EXPECT_EQ(wifi->networkReachabilityStatus(), KNVTNetworkReachabilityStatusReachable);

    network.setFlags(R | Required);
    EXPECT_EQ(internet->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
    EXPECT_TRUE(internet->isConnectionRequired());

    network.setFlagsUnreadable();
    EXPECT_EQ(internet->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
    EXPECT_EQ(wifi->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
    EXPECT_FALSE(internet->isConnectionRequired());

    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    EXPECT_EQ(internet->networkReachabilityStatus(), KNVTNetworkReachabilityStatusReachable);
    EXPECT_EQ(wifi->networkReachabilityStatus(), KNVTNetworkReachabilityStatusReachable);
    network.setStatus(KNVTNetworkReachabilityStatusNotReachable);
    EXPECT_EQ(internet->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
}

TEST(NetworkReachability, StartAndStopAnswerByState)
{
    FakeReachability network;
    const auto listener = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    EXPECT_FALSE(listener->monitoring());
    EXPECT_FALSE(listener->stopMonitoring());
    EXPECT_TRUE(listener->startMonitoring());
    EXPECT_TRUE(listener->monitoring());
    EXPECT_FALSE(listener->startMonitoring());
    EXPECT_TRUE(listener->stopMonitoring());
    EXPECT_FALSE(listener->monitoring());
    EXPECT_FALSE(listener->stopMonitoring());
    EXPECT_TRUE(listener->startMonitoring());
}

TEST(NetworkReachability, HandlerHearsEachChangeOnTheListenersOwnThread)
{
    FakeReachability network;
    // The logs outlive the listeners that write to them.
    HandlerLog log, otherLog;
    const auto listener = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    const auto other = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    listener->setStatusHandler(log.handler());
    other->setStatusHandler(otherLog.handler());
    ASSERT_TRUE(listener->monitoring());

    network.setFlags(R | Required);
    ASSERT_TRUE(log.waitForCalls(1));
    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    ASSERT_TRUE(log.waitForCalls(2));
    ASSERT_TRUE(otherLog.waitForCalls(1));

    const std::vector<HandlerLog::Call> calls = log.snapshot();
    EXPECT_EQ(calls[0].status, KNVTNetworkReachabilityStatusNotReachable);
    EXPECT_TRUE(calls[0].connectionRequired);
    EXPECT_EQ(calls[1].status, KNVTNetworkReachabilityStatusReachable);
    EXPECT_FALSE(calls[1].connectionRequired);
    EXPECT_NE(calls[0].thread, std::this_thread::get_id());
    EXPECT_EQ(calls[0].thread, calls[1].thread);
    EXPECT_NE(calls[0].thread, otherLog.snapshot()[0].thread);
    EXPECT_EQ(QString::fromStdString(calls[0].threadName), listener->queueLabel().right(15));
}

TEST(NetworkReachability, ReplacingTheHandlerKeepsListeningAndNilStops)
{
    FakeReachability network;
    HandlerLog first, second, witnessLog;
    const auto listener = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    // A second listener on the same network is signalled by the same changes; once it has heard one, the first
    // would have heard it too if it were still listening. Waiting for it after each change also keeps changes from
    // merging into one signal.
    const auto witness = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    witness->setStatusHandler(witnessLog.handler());

    listener->setStatusHandler(first.handler());
    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    ASSERT_TRUE(first.waitForCalls(1));
    ASSERT_TRUE(witnessLog.waitForCalls(1));

    listener->setStatusHandler(second.handler());
    EXPECT_TRUE(listener->monitoring());
    network.setStatus(KNVTNetworkReachabilityStatusNotReachable);
    ASSERT_TRUE(second.waitForCalls(1));
    ASSERT_TRUE(witnessLog.waitForCalls(2));
    EXPECT_EQ(second.snapshot()[0].status, KNVTNetworkReachabilityStatusNotReachable);

    listener->setStatusHandler(nullptr);
    EXPECT_FALSE(listener->monitoring());
    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    ASSERT_TRUE(witnessLog.waitForCalls(3));

    // Restarting does not replay the change made while stopped; the next one arrives.
    listener->setStatusHandler(second.handler());
    EXPECT_TRUE(listener->monitoring());
    network.setFlags(R | Required);
    ASSERT_TRUE(witnessLog.waitForCalls(4));
    ASSERT_TRUE(second.waitForCalls(2));

    EXPECT_EQ(first.snapshot().size(), 1u);
    const std::vector<HandlerLog::Call> calls = second.snapshot();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[1].connectionRequired);
}

TEST(NetworkReachability, EveryListenerHasItsOwnQueueLabel)
{
    const auto first = std::make_unique<KNVTNetworkReachability>();
    const auto second = std::make_unique<KNVTNetworkReachability>();
    EXPECT_EQ(first->queueLabel(),
              QString::asprintf("com.hollowpine.knvtnetworkreachability.%p", static_cast<const void *>(first.get())));
    EXPECT_TRUE(second->queueLabel().startsWith(QStringLiteral("com.hollowpine.knvtnetworkreachability.0x")));
    EXPECT_NE(first->queueLabel(), second->queueLabel());
}
