#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace knvt {

// Reachability flags are fixed bit values, so that the status mappings above the platform layer read the same
// numbers whichever source reports them.
using ReachabilityFlags = std::uint32_t;
inline constexpr ReachabilityFlags kReachabilityFlagReachable = 0x2;
inline constexpr ReachabilityFlags kReachabilityFlagConnectionRequired = 0x4;
inline constexpr ReachabilityFlags kReachabilityFlagConnectionOnTraffic = 0x8;
inline constexpr ReachabilityFlags kReachabilityFlagInterventionRequired = 0x10;
inline constexpr ReachabilityFlags kReachabilityFlagConnectionOnDemand = 0x20;
inline constexpr ReachabilityFlags kReachabilityFlagIsDirect = 0x20000;

// A reachability reference: the platform's view of whether one target (a host name or an IPv4 address) can be
// reached. The listener owns one reference and reads it from two threads: the flags from its owner's thread and from
// its own thread, the change descriptor only from its own thread. So `currentFlags()` must be safe to call from any
// thread, while `changeDescriptor()` and `readChanges()` are only ever used by one thread at a time.
//
// Changes are signalled through a descriptor rather than a callback so that the listener's own thread is the only one
// that ever runs listener code: a reference never calls into its listener, and destroying either side cannot race
// with a delivery from the other.
class ReachabilitySource
{
public:
    struct Target
    {
        enum class Kind { HostName, Address };
        Kind kind = Kind::Address;
        std::string hostName;     // UTF-8; set for Kind::HostName
        sockaddr_in address = {}; // set for Kind::Address
    };

    // Makes the reference for a target, or nullptr when none can be made.
    using Maker = std::function<std::unique_ptr<ReachabilitySource>(const Target &target)>;

    virtual ~ReachabilitySource();

    // The flags as they are now, or nothing when they cannot be read.
    virtual std::optional<ReachabilityFlags> currentFlags() = 0;

    // A descriptor that becomes readable when the flags may have changed, for poll(); owned by the reference.
    virtual int changeDescriptor() const = 0;

    // Consumes what made the descriptor readable, without blocking. True when the flags may have changed.
    virtual bool readChanges() = 0;

    // A reference for a host name; none for an empty name or one with an embedded NUL.
    static std::unique_ptr<ReachabilitySource> createWithName(const std::string &hostName);
    // A reference for an IPv4 socket address; none for a null pointer or another family.
    static std::unique_ptr<ReachabilitySource> createWithAddress(const sockaddr_in *address);

    // Replaces the maker used by the two functions above (netlink when none is installed) and returns the previous
    // one. Tests install a fake network this way; production code never calls it.
    static Maker setMaker(Maker maker);
};

} // namespace knvt
