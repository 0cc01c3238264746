// The netlink listener against a real kernel: each test makes two fresh network namespaces joined by a veth pair,
// creates its listener on a thread that has entered the first one (the listener's sockets stay in the namespace they
// were made in), changes routes and links with `ip`, and waits for the handler to report the new status.
//
// Making namespaces needs root with CAP_SYS_ADMIN and iproute2; where either is missing the tests skip and say why.
// No packet is ever sent: only routing tables change, and the addresses come from a documentation range.
#include "foundation/KNVTNetworkReachability.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace knvt;

namespace {

constexpr auto kPatience = std::chrono::seconds(30);

struct CommandResult
{
    int status = -1;
    std::string output;
};

CommandResult run(const std::string &command)
{
    CommandResult result;
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe))
        result.output += chunk;
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The latest status each listener reported, and a way to wait for a given one.
class StatusLog
{
public:
    KNVTNetworkReachability::StatusHandler handler()
    {
        return [this](KNVTNetworkReachabilityStatus status, bool) {
            std::lock_guard lock(m_mutex);
            m_statuses.push_back(status);
            m_changed.notify_all();
        };
    }

    // True once the most recent call reported `status`.
    bool waitForLatest(KNVTNetworkReachabilityStatus status)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [&] { return !m_statuses.empty() && m_statuses.back() == status; });
    }

    std::size_t count()
    {
        std::lock_guard lock(m_mutex);
        return m_statuses.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<KNVTNetworkReachabilityStatus> m_statuses;
};

class NetlinkReachabilityNamespaces : public testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "network namespaces need root: run this group as root (make test does)";
        if (run("ip -V").status != 0)
            GTEST_SKIP() << "iproute2's `ip` is not installed, so no network namespace can be made";

        static std::atomic<int> counter{0};
        const std::string stem = "knvt-reach-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        m_inner = stem + "-a";
        m_outer = stem + "-b";
        const CommandResult added = run("ip netns add " + m_inner);
        if (added.status != 0)
            GTEST_SKIP() << "network namespaces are refused here (`ip netns add` failed; it needs CAP_SYS_ADMIN): "
                         << added.output;
        m_madeInner = true;
        ASSERT_EQ(run("ip netns add " + m_outer).status, 0);
        m_madeOuter = true;

        // Two ends of one cable, each end in its own namespace, both up: the inner end has a carrier.
        ip("-n " + m_inner + " link add kv0 type veth peer name kv1 netns " + m_outer);
        ip("-n " + m_inner + " link set kv0 up");
        ip("-n " + m_outer + " link set kv1 up");
        ip("-n " + m_outer + " addr add 198.51.100.2/24 dev kv1");
    }

    void TearDown() override
    {
        // Deleting a namespace also deletes the veth end inside it, and with it the peer.
        if (m_madeInner)
            run("ip netns del " + m_inner);
        if (m_madeOuter)
            run("ip netns del " + m_outer);
    }

    void ip(const std::string &arguments)
    {
        const CommandResult result = run("ip " + arguments);
        ASSERT_EQ(result.status, 0) << "ip " << arguments << ": " << result.output;
    }

    void inner(const std::string &arguments) { ip("-n " + m_inner + " " + arguments); }

    // Makes the listener on a thread inside the inner namespace.
    std::unique_ptr<KNVTNetworkReachability>
    makeInside(const std::function<std::unique_ptr<KNVTNetworkReachability>()> &factory)
    {
        std::unique_ptr<KNVTNetworkReachability> listener;
        std::string failure;
        std::thread maker([&] {
            const int descriptor = ::open(("/run/netns/" + m_inner).c_str(), O_RDONLY | O_CLOEXEC);
            if (descriptor < 0 || ::setns(descriptor, CLONE_NEWNET) != 0) {
                failure = std::string("cannot enter the namespace: ") + std::strerror(errno);
                if (descriptor >= 0)
                    ::close(descriptor);
                return;
            }
            ::close(descriptor);
            listener = factory();
        });
        maker.join();
        EXPECT_EQ(failure, "");
        return listener;
    }

    std::string m_inner;
    std::string m_outer;
    bool m_madeInner = false;
    bool m_madeOuter = false;
};

} // namespace

TEST_F(NetlinkReachabilityNamespaces, InternetConnectionFollowsTheDefaultRoute)
{
    inner("addr add 198.51.100.1/24 dev kv0");
    // The log outlives the listener that writes to it.
    StatusLog log;
    const auto listener = makeInside(&KNVTNetworkReachability::networkReachabilityForInternetConnection);
    ASSERT_NE(listener, nullptr);
    EXPECT_EQ(listener->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
    listener->setStatusHandler(log.handler());
    ASSERT_TRUE(listener->monitoring());

    inner("route add default via 198.51.100.2");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusReachable));
    EXPECT_EQ(listener->networkReachabilityStatus(), KNVTNetworkReachabilityStatusReachable);

    inner("route del default");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusNotReachable));

    // A default route only counts while its interface is up with a carrier: unplugging the far end keeps the route
    // but takes the carrier away.
    inner("route add default via 198.51.100.2");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusReachable));
    ip("-n " + m_outer + " link set kv1 down");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusNotReachable));
    ip("-n " + m_outer + " link set kv1 up");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusReachable));

    // A default route in another table is not the main default route.
    inner("route del default");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusNotReachable));
    inner("route add default via 198.51.100.2 table 100");
    inner("route add 203.0.113.0/24 via 198.51.100.2");
    EXPECT_EQ(listener->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);

    // After stopping, changes are no longer reported.
    listener->setStatusHandler(nullptr);
    const std::size_t heard = log.count();
    inner("route add default via 198.51.100.2");
    EXPECT_EQ(listener->networkReachabilityStatus(), KNVTNetworkReachabilityStatusReachable);
    EXPECT_EQ(log.count(), heard);
}

TEST_F(NetlinkReachabilityNamespaces, LocalWiFiNeedsADirectLinkLocalRoute)
{
    inner("addr add 198.51.100.1/24 dev kv0");
    inner("route add default via 198.51.100.2");
    StatusLog log;
    const auto listener = makeInside(&KNVTNetworkReachability::networkReachabilityForLocalWiFi);
    ASSERT_NE(listener, nullptr);
    // 169.254.0.0 is reachable through the gateway, but not directly.
    EXPECT_EQ(listener->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
    listener->setStatusHandler(log.handler());

    inner("route add 169.254.0.0/16 dev kv0");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusReachable));
    inner("route del 169.254.0.0/16 dev kv0");
    EXPECT_TRUE(log.waitForLatest(KNVTNetworkReachabilityStatusNotReachable));
    EXPECT_FALSE(listener->isConnectionRequired());
}

TEST_F(NetlinkReachabilityNamespaces, AddressesAndHostNamesFollowTheirRoutes)
{
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    ::inet_pton(AF_INET, "198.51.100.2", &peer.sin_addr);
    StatusLog addressLog, nameLog;
    const auto byAddress = makeInside([&] { return KNVTNetworkReachability::networkReachabilityWithAddress(&peer); });
    const auto byName = makeInside(
        [] { return KNVTNetworkReachability::networkReachabilityWithHostName(QStringLiteral("localhost")); });
    ASSERT_NE(byAddress, nullptr);
    ASSERT_NE(byName, nullptr);
    // A new namespace has its loopback device down and kv0 has no address yet: nothing has a route.
    EXPECT_EQ(byAddress->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
    EXPECT_EQ(byName->networkReachabilityStatus(), KNVTNetworkReachabilityStatusNotReachable);
    EXPECT_EQ(byName->hostName(), QStringLiteral("localhost"));

    byAddress->setStatusHandler(addressLog.handler());
    byName->setStatusHandler(nameLog.handler());

    inner("addr add 198.51.100.1/24 dev kv0");
    EXPECT_TRUE(addressLog.waitForLatest(KNVTNetworkReachabilityStatusReachable));
    inner("link set lo up");
    EXPECT_TRUE(nameLog.waitForLatest(KNVTNetworkReachabilityStatusReachable));

    EXPECT_EQ(byName->networkReachabilityStatus(), KNVTNetworkReachabilityStatusReachable);

    // (Taking lo down again would not do for the name: the kernel keeps loopback's local routes once made.)
    inner("addr del 198.51.100.1/24 dev kv0");
    EXPECT_TRUE(addressLog.waitForLatest(KNVTNetworkReachabilityStatusNotReachable));
}
