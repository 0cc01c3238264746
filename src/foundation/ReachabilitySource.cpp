#include "foundation/ReachabilitySource.h"

#include "foundation/NetlinkReachability.h"

#include <mutex>

namespace knvt {

namespace {

// Listeners may be created on any thread (the live tests make theirs inside a network namespace on a thread of their
// own), so the installed maker is read under a lock.
std::mutex &makerMutex()
{
    static std::mutex mutex;
    return mutex;
}

ReachabilitySource::Maker &installedMaker()
{
    static ReachabilitySource::Maker maker;
    return maker;
}

std::unique_ptr<ReachabilitySource> make(const ReachabilitySource::Target &target)
{
    ReachabilitySource::Maker maker;
    {
        std::lock_guard lock(makerMutex());
        maker = installedMaker();
    }
    if (maker)
        return maker(target);
    return NetlinkReachability::create(target);
}

} // namespace

ReachabilitySource::~ReachabilitySource() = default;

std::unique_ptr<ReachabilitySource> ReachabilitySource::createWithName(const std::string &hostName)
{
    if (hostName.empty() || hostName.find('\0') != std::string::npos)
        return nullptr;
    Target target;
    target.kind = Target::Kind::HostName;
    target.hostName = hostName;
    return make(target);
}

std::unique_ptr<ReachabilitySource> ReachabilitySource::createWithAddress(const sockaddr_in *address)
{
    if (!address || address->sin_family != AF_INET)
        return nullptr;
    Target target;
    target.kind = Target::Kind::Address;
    target.address = *address;
    return make(target);
}

ReachabilitySource::Maker ReachabilitySource::setMaker(Maker maker)
{
    std::lock_guard lock(makerMutex());
    Maker previous = std::move(installedMaker());
    installedMaker() = std::move(maker);
    return previous;
}

} // namespace knvt
