#include "foundation/NetlinkReachability.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace knvt {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// The kernel always answers a query at once; the limit only keeps a wedged socket from hanging the listener's thread
// (and with it the owner waiting in stopMonitoring) for ever.
constexpr int kQueryTimeoutSeconds = 5;

struct NextHop
{
    int interfaceIndex = 0;
    bool hasGateway = false;
};

struct Route
{
    unsigned char family = 0;
    unsigned char destinationLength = 0;
    unsigned char type = RTN_UNSPEC;
    unsigned int table = RT_TABLE_UNSPEC;
    bool dead = false;
    std::vector<NextHop> nextHops;
};

// Walks the attributes in [data, data + length). The standard RTA_* macros compare signed with unsigned lengths and
// would not compile cleanly here, so the walk is written out.
template <typename Visitor>
void forEachAttribute(const char *data, std::size_t length, Visitor &&visitor)
{
    while (length >= sizeof(rtattr)) {
        rtattr attribute;
        std::memcpy(&attribute, data, sizeof attribute);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > length)
            return;
        visitor(attribute.rta_type, data + RTA_LENGTH(0), attribute.rta_len - RTA_LENGTH(0));
        const std::size_t step = RTA_ALIGN(attribute.rta_len);
        if (step >= length)
            return;
        data += step;
        length -= step;
    }
}

bool isGatewayAttribute(unsigned short type)
{
    return type == RTA_GATEWAY || type == RTA_VIA;
}

Route parseRoute(const nlmsghdr &header, const char *payload)
{
    Route route;
    const std::size_t payloadLength = header.nlmsg_len - NLMSG_HDRLEN;
    if (payloadLength < sizeof(rtmsg))
        return route;
    rtmsg message;
    std::memcpy(&message, payload, sizeof message);
    route.family = message.rtm_family;
    route.destinationLength = message.rtm_dst_len;
    route.type = message.rtm_type;
    route.table = message.rtm_table;
    route.dead = (message.rtm_flags & RTNH_F_DEAD) != 0;

    NextHop single;
    bool multipath = false;
    const std::size_t attributesOffset = NLMSG_ALIGN(sizeof(rtmsg));
    if (payloadLength < attributesOffset)
        return route;
    forEachAttribute(payload + attributesOffset, payloadLength - attributesOffset,
                     [&](unsigned short type, const char *data, std::size_t length) {
                         if (type == RTA_TABLE && length >= sizeof(std::uint32_t)) {
                             std::uint32_t table;
                             std::memcpy(&table, data, sizeof table);
                             route.table = table;
                         } else if (type == RTA_OIF && length >= sizeof(int)) {
                             std::memcpy(&single.interfaceIndex, data, sizeof(int));
                         } else if (isGatewayAttribute(type)) {
                             single.hasGateway = true;
                         } else if (type == RTA_MULTIPATH) {
                             multipath = true;
                             while (length >= sizeof(rtnexthop)) {
                                 rtnexthop hop;
                                 std::memcpy(&hop, data, sizeof hop);
                                 if (hop.rtnh_len < sizeof(rtnexthop) || hop.rtnh_len > length)
                                     break;
                                 if (!(hop.rtnh_flags & RTNH_F_DEAD)) {
                                     NextHop nextHop;
                                     nextHop.interfaceIndex = hop.rtnh_ifindex;
                                     const std::size_t hopHeader = RTNH_ALIGN(sizeof(rtnexthop));
                                     if (hop.rtnh_len > hopHeader) {
                                         forEachAttribute(data + hopHeader, hop.rtnh_len - hopHeader,
                                                          [&](unsigned short hopType, const char *, std::size_t) {
                                                              if (isGatewayAttribute(hopType))
                                                                  nextHop.hasGateway = true;
                                                          });
                                     }
                                     route.nextHops.push_back(nextHop);
                                 }
                                 const std::size_t step = RTNH_ALIGN(hop.rtnh_len);
                                 if (step >= length)
                                     break;
                                 data += step;
                                 length -= step;
                             }
                         }
                     });
    if (!multipath)
        route.nextHops.push_back(single);
    return route;
}

void appendAttribute(char *message, std::size_t *length, unsigned short type, const void *data, std::size_t size)
{
    rtattr attribute;
    attribute.rta_type = type;
    attribute.rta_len = static_cast<unsigned short>(RTA_LENGTH(size));
    char *at = message + NLMSG_ALIGN(*length);
    std::memcpy(at, &attribute, sizeof attribute);
    std::memcpy(at + RTA_LENGTH(0), data, size);
    *length = NLMSG_ALIGN(*length) + RTA_ALIGN(attribute.rta_len);
}

int openSocket(unsigned int groups)
{
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | (groups ? SOCK_NONBLOCK : 0), NETLINK_ROUTE);
    if (fd < 0)
        return -1;
    sockaddr_nl local = {};
    local.nl_family = AF_NETLINK;
    local.nl_groups = groups;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::unique_ptr<NetlinkReachability> NetlinkReachability::create(const Target &target)
{
    const int eventSocket = openSocket(RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE);
    if (eventSocket < 0)
        return nullptr;
    const int querySocket = openSocket(0);
    if (querySocket < 0) {
        ::close(eventSocket);
        return nullptr;
    }
    timeval timeout = {};
    timeout.tv_sec = kQueryTimeoutSeconds;
    ::setsockopt(querySocket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return std::unique_ptr<NetlinkReachability>(new NetlinkReachability(target, eventSocket, querySocket));
}

NetlinkReachability::NetlinkReachability(const Target &target, int eventSocket, int querySocket)
    : m_target(target), m_eventSocket(eventSocket), m_querySocket(querySocket), m_buffer(kBufferSize)
{}

NetlinkReachability::~NetlinkReachability()
{
    ::close(m_eventSocket);
    ::close(m_querySocket);
}

int NetlinkReachability::changeDescriptor() const
{
    return m_eventSocket;
}

bool NetlinkReachability::readChanges()
{
    // Every message of the subscribed groups is a possible change; the content does not matter because the flags are
    // read afresh. A truncated datagram is still consumed whole.
    bool changed = false;
    char discard[4096];
    for (;;) {
        const ssize_t received = ::recv(m_eventSocket, discard, sizeof discard, MSG_DONTWAIT);
        if (received > 0) {
            changed = true;
            continue;
        }
        if (received < 0 && errno == EINTR)
            continue;
        // The socket overflowed: messages were lost, so something changed.
        if (received < 0 && errno == ENOBUFS) {
            changed = true;
            continue;
        }
        return changed;
    }
}

template <typename Visitor>
bool NetlinkReachability::query(void *request, std::size_t length, int *kernelError, Visitor &&visitor)
{
    auto *header = static_cast<nlmsghdr *>(request);
    header->nlmsg_len = static_cast<std::uint32_t>(length);
    header->nlmsg_seq = ++m_sequence;
    *kernelError = 0;

    sockaddr_nl kernel = {};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do {
        sent = ::sendto(m_querySocket, request, length, 0, reinterpret_cast<const sockaddr *>(&kernel), sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(length))
        return false;

    for (;;) {
        const ssize_t received = ::recv(m_querySocket, m_buffer.data(), m_buffer.size(), MSG_TRUNC);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0 || static_cast<std::size_t>(received) > m_buffer.size())
            return false;
        std::size_t remaining = static_cast<std::size_t>(received);
        const char *at = m_buffer.data();
        while (remaining >= sizeof(nlmsghdr)) {
            nlmsghdr reply;
            std::memcpy(&reply, at, sizeof reply);
            if (reply.nlmsg_len < sizeof(nlmsghdr) || reply.nlmsg_len > remaining)
                return false;
            // Replies to an earlier query that gave up on its time-out may still be queued.
            if (reply.nlmsg_seq == header->nlmsg_seq) {
                if (reply.nlmsg_type == NLMSG_DONE)
                    return true;
                if (reply.nlmsg_type == NLMSG_ERROR) {
                    nlmsgerr error = {};
                    if (reply.nlmsg_len >= NLMSG_LENGTH(sizeof(int)))
                        std::memcpy(&error.error, at + NLMSG_HDRLEN, sizeof(int));
                    *kernelError = -error.error;
                    return true;
                }
                visitor(reply, at + NLMSG_HDRLEN);
                if (!(reply.nlmsg_flags & NLM_F_MULTI))
                    return true;
            }
            const std::size_t step = NLMSG_ALIGN(reply.nlmsg_len);
            if (step >= remaining)
                break;
            at += step;
            remaining -= step;
        }
    }
}

std::optional<bool> NetlinkReachability::interfaceIsUp(int index)
{
    struct
    {
        nlmsghdr header;
        ifinfomsg link;
    } request = {};
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.link.ifi_family = AF_UNSPEC;
    request.link.ifi_index = index;

    bool up = false;
    int kernelError = 0;
    const bool answered =
        query(&request, sizeof request, &kernelError, [&](const nlmsghdr &reply, const char *payload) {
            if (reply.nlmsg_type != RTM_NEWLINK || reply.nlmsg_len - NLMSG_HDRLEN < sizeof(ifinfomsg))
                return;
            ifinfomsg link;
            std::memcpy(&link, payload, sizeof link);
            // IFF_RUNNING follows the operational state: administratively up with a carrier.
            up = (link.ifi_flags & IFF_UP) && (link.ifi_flags & IFF_RUNNING);
        });
    if (!answered)
        return std::nullopt;
    return up;
}

std::optional<ReachabilityFlags> NetlinkReachability::defaultRouteFlags()
{
    struct
    {
        nlmsghdr header;
        rtmsg route;
    } request = {};
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.route.rtm_family = AF_INET;
    request.route.rtm_table = RT_TABLE_MAIN;

    std::vector<Route> defaults;
    int kernelError = 0;
    const bool answered =
        query(&request, sizeof request, &kernelError, [&](const nlmsghdr &reply, const char *payload) {
            if (reply.nlmsg_type != RTM_NEWROUTE)
                return;
            Route route = parseRoute(reply, payload);
            // Dumps are not filtered by table unless the socket asked for strict checking, so filter here.
            if (route.family == AF_INET && route.destinationLength == 0 && route.type == RTN_UNICAST
                && route.table == RT_TABLE_MAIN && !route.dead)
                defaults.push_back(std::move(route));
        });
    if (!answered || kernelError != 0)
        return std::nullopt;

    for (const Route &route : defaults) {
        for (const NextHop &hop : route.nextHops) {
            if (hop.interfaceIndex <= 0)
                continue;
            const std::optional<bool> up = interfaceIsUp(hop.interfaceIndex);
            if (!up)
                return std::nullopt;
            if (*up)
                return kReachabilityFlagReachable | (hop.hasGateway ? 0 : kReachabilityFlagIsDirect);
        }
    }
    return ReachabilityFlags(0);
}

std::optional<ReachabilityFlags> NetlinkReachability::routeLookupFlags(int family, const void *address,
                                                                       std::size_t length)
{
    struct
    {
        nlmsghdr header;
        rtmsg route;
        char attributes[64];
    } request = {};
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.route.rtm_family = static_cast<unsigned char>(family);
    request.route.rtm_dst_len = static_cast<unsigned char>(length * 8);
    std::size_t requestLength = NLMSG_LENGTH(sizeof(rtmsg));
    appendAttribute(reinterpret_cast<char *>(&request), &requestLength, RTA_DST, address, length);

    std::optional<Route> found;
    int kernelError = 0;
    const bool answered = query(&request, requestLength, &kernelError, [&](const nlmsghdr &reply, const char *payload) {
        if (reply.nlmsg_type == RTM_NEWROUTE)
            found = parseRoute(reply, payload);
    });
    if (!answered)
        return std::nullopt;
    // An error answer (no route: ENETUNREACH, EHOSTUNREACH, ...) is a valid reading: the target is not reachable.
    if (kernelError != 0 || !found || (found->type != RTN_UNICAST && found->type != RTN_LOCAL))
        return ReachabilityFlags(0);
    bool hasGateway = false;
    for (const NextHop &hop : found->nextHops)
        hasGateway = hasGateway || hop.hasGateway;
    return kReachabilityFlagReachable | (hasGateway ? 0 : kReachabilityFlagIsDirect);
}

std::optional<ReachabilityFlags> NetlinkReachability::currentFlags()
{
    if (m_target.kind == Target::Kind::Address) {
        std::lock_guard lock(m_queryMutex);
        if (m_target.address.sin_addr.s_addr == htonl(INADDR_ANY))
            return defaultRouteFlags();
        return routeLookupFlags(AF_INET, &m_target.address.sin_addr, sizeof(in_addr));
    }

    // Resolve outside the lock: a slow name server must not hold up a status read of another thread.
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *addresses = nullptr;
    if (::getaddrinfo(m_target.hostName.c_str(), nullptr, &hints, &addresses) != 0)
        return ReachabilityFlags(0);

    std::optional<ReachabilityFlags> reachable;
    bool anyRead = false;
    {
        std::lock_guard lock(m_queryMutex);
        for (const addrinfo *entry = addresses; entry && !reachable; entry = entry->ai_next) {
            std::optional<ReachabilityFlags> entryFlags;
            if (entry->ai_family == AF_INET) {
                const auto *ipv4 = reinterpret_cast<const sockaddr_in *>(entry->ai_addr);
                entryFlags = routeLookupFlags(AF_INET, &ipv4->sin_addr, sizeof(in_addr));
            } else if (entry->ai_family == AF_INET6) {
                const auto *ipv6 = reinterpret_cast<const sockaddr_in6 *>(entry->ai_addr);
                entryFlags = routeLookupFlags(AF_INET6, &ipv6->sin6_addr, sizeof(in6_addr));
            } else {
                anyRead = true;
                continue;
            }
            anyRead = anyRead || entryFlags.has_value();
            if (entryFlags && (*entryFlags & kReachabilityFlagReachable))
                reachable = entryFlags;
        }
    }
    ::freeaddrinfo(addresses);
    if (reachable)
        return reachable;
    // The name resolved but no route could be asked for: the flags could not be read.
    if (!anyRead)
        return std::nullopt;
    return ReachabilityFlags(0);
}

} // namespace knvt
