#pragma once

#include "foundation/ReachabilitySource.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace knvt {

// Reachability read from the kernel's routing tables over rtnetlink.
//
// Two sockets, both opened by `create()` and so bound to the network namespace of the thread that made the
// reference: one subscribed to link, IPv4 address and IPv4/IPv6 route changes, whose readability is the change signal,
// and one for the route and link queries behind `currentFlags()`.
//
// Flags: Reachable when the kernel has a usable route to the target. For the address 0.0.0.0 that means a unicast
// default route in the main table whose outgoing interface is up and running (a plain route lookup of 0.0.0.0 always
// answers with the loopback device). IsDirect when that route has no gateway, which for the link-local network
// 169.254.0.0 is what tells a directly attached network. ConnectionRequired, OnTraffic, InterventionRequired and
// OnDemand describe dial-up and VPN-on-demand services that Linux does not have, so they are never set.
//
// Host names are resolved with getaddrinfo each time the flags are read; a name that does not resolve is not
// reachable. The resolution blocks the calling thread, normally the listener's own.
class NetlinkReachability final : public ReachabilitySource
{
public:
    // The reference for the target, or nullptr when the netlink sockets cannot be opened.
    static std::unique_ptr<NetlinkReachability> create(const Target &target);

    ~NetlinkReachability() override;

    NetlinkReachability(const NetlinkReachability &) = delete;
    NetlinkReachability &operator=(const NetlinkReachability &) = delete;

    std::optional<ReachabilityFlags> currentFlags() override;
    int changeDescriptor() const override;
    bool readChanges() override;

private:
    NetlinkReachability(const Target &target, int eventSocket, int querySocket);

    std::optional<ReachabilityFlags> defaultRouteFlags();
    std::optional<ReachabilityFlags> routeLookupFlags(int family, const void *address, std::size_t length);
    std::optional<bool> interfaceIsUp(int index);

    template <typename Visitor>
    bool query(void *request, std::size_t length, int *kernelError, Visitor &&visitor);

    const Target m_target;
    const int m_eventSocket;

    // Queries may come from the owner's thread and the listener's thread at once; they share one socket and buffer.
    std::mutex m_queryMutex;
    const int m_querySocket;
    std::uint32_t m_sequence = 0;
    std::vector<char> m_buffer;
};

} // namespace knvt
