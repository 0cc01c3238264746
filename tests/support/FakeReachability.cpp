#include "support/FakeReachability.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace knvt {

// The state that the fake and its references share. References hold it by shared_ptr, so they outlive the fake
// safely; the fake holds its references only as registered descriptors, removed by each reference as it ends and
// written only under the same lock, so a signal never reaches a descriptor that was closed and reused.
class FakeReachability::Network
{
public:
    void signalAll()
    {
        const std::uint64_t one = 1;
        for (const int descriptor : descriptors)
            [[maybe_unused]] const ssize_t written = ::write(descriptor, &one, sizeof one);
    }

    mutable std::mutex mutex;
    std::optional<ReachabilityFlags> flags = ReachabilityFlags(0);
    bool refusesReferences = false;
    std::vector<int> descriptors;
    std::vector<ReachabilitySource::Target> targets;
};

class FakeReachability::Reference final : public ReachabilitySource
{
public:
    Reference(std::shared_ptr<FakeReachability::Network> network, int descriptor)
        : m_network(std::move(network)), m_descriptor(descriptor)
    {}

    ~Reference() override
    {
        {
            std::lock_guard lock(m_network->mutex);
            std::erase(m_network->descriptors, m_descriptor);
        }
        ::close(m_descriptor);
    }

    Reference(const Reference &) = delete;
    Reference &operator=(const Reference &) = delete;

    std::optional<ReachabilityFlags> currentFlags() override
    {
        std::lock_guard lock(m_network->mutex);
        return m_network->flags;
    }

    int changeDescriptor() const override { return m_descriptor; }

    bool readChanges() override
    {
        std::uint64_t count = 0;
        return ::read(m_descriptor, &count, sizeof count) == static_cast<ssize_t>(sizeof count) && count > 0;
    }

private:
    std::shared_ptr<FakeReachability::Network> m_network;
    const int m_descriptor;
};

FakeReachability::FakeReachability() : m_network(std::make_shared<Network>())
{
    std::weak_ptr<Network> weakNetwork = m_network;
    m_previousMaker = ReachabilitySource::setMaker(
        [weakNetwork](const ReachabilitySource::Target &target) -> std::unique_ptr<ReachabilitySource> {
            const std::shared_ptr<Network> network = weakNetwork.lock();
            if (!network)
                return nullptr;
            std::lock_guard lock(network->mutex);
            network->targets.push_back(target);
            if (network->refusesReferences)
                return nullptr;
            const int descriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
            if (descriptor < 0)
                return nullptr;
            network->descriptors.push_back(descriptor);
            return std::make_unique<Reference>(network, descriptor);
        });
}

FakeReachability::~FakeReachability()
{
    ReachabilitySource::setMaker(std::move(m_previousMaker));
    std::lock_guard lock(m_network->mutex);
    m_network->descriptors.clear();
}

void FakeReachability::setStatus(KNVTNetworkReachabilityStatus status)
{
    setFlags(status == KNVTNetworkReachabilityStatusReachable ? kReachabilityFlagReachable | kReachabilityFlagIsDirect
                                                              : ReachabilityFlags(0));
}

void FakeReachability::setFlags(ReachabilityFlags flags)
{
    std::lock_guard lock(m_network->mutex);
    m_network->flags = flags;
    m_network->signalAll();
}

void FakeReachability::setFlagsUnreadable()
{
    std::lock_guard lock(m_network->mutex);
    m_network->flags.reset();
    m_network->signalAll();
}

void FakeReachability::setRefusesReferences(bool refuses)
{
    std::lock_guard lock(m_network->mutex);
    m_network->refusesReferences = refuses;
}

std::vector<ReachabilitySource::Target> FakeReachability::targets() const
{
    std::lock_guard lock(m_network->mutex);
    return m_network->targets;
}

} // namespace knvt
