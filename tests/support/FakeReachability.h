#pragma once

#include "foundation/KNVTNetworkReachability.h"
#include "foundation/ReachabilitySource.h"

#include <memory>
#include <optional>
#include <vector>

namespace knvt {

// A pretend network for tests. While one lives, every listener created gets its reference from it instead of from
// the kernel, and every such reference reports the fake's current flags. Changing them signals each reference, so
// each monitoring listener calls its handler on its own thread, as a real route change would; listeners that are not
// monitoring report nothing, and changes made before a listener starts are not reported to it.
//
// The fake may be changed from any thread and may end before the listeners it served: their references then keep
// the last flags and never signal again.
class FakeReachability
{
public:
    // Installs the fake; the network starts out not reachable.
    FakeReachability();
    // Restores the maker that was installed before.
    ~FakeReachability();

    FakeReachability(const FakeReachability &) = delete;
    FakeReachability &operator=(const FakeReachability &) = delete;

    // Reachable sets Reachable and IsDirect, so that every kind of listener (network and link-local) reports it;
    // any other status clears every flag.
    void setStatus(KNVTNetworkReachabilityStatus status);
    void setFlags(ReachabilityFlags flags);
    // Reading the flags fails from now on, until the next setFlags() or setStatus().
    void setFlagsUnreadable();
    // While refused, no reference can be made, so new listeners have none.
    void setRefusesReferences(bool refuses);

    // The target of every reference made so far, in order.
    std::vector<ReachabilitySource::Target> targets() const;

private:
    class Network;
    class Reference;

    std::shared_ptr<Network> m_network;
    ReachabilitySource::Maker m_previousMaker;
};

} // namespace knvt
