#include "foundation/KNVTNetworkReachability.h"

#include <arpa/inet.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <string>
#include <system_error>
#include <thread>

using knvt::ReachabilityFlags;
using knvt::ReachabilitySource;

// The listener's private serial queue: one thread, started at the first successful startMonitoring() and kept until
// the listener ends, that waits in poll() on the reference's change descriptor and on a wake-up eventfd.
//
// The thread holds the queue by shared_ptr and never the listener: a handler that destroys its own listener leaves
// the queue alive until the thread has noticed `quit` and returned, and the thread touches nothing of the listener
// after the handler call. Everything the owner and the thread share is under `mutex`; `delivering` is what
// stopMonitoring() and the destructor wait on.
class KNVTNetworkReachability::Queue
{
public:
    explicit Queue(QString queueLabel)
        : label(std::move(queueLabel))
          // Thread names are limited to 15 bytes; the end of the label carries the listener's address.
          ,
          threadName(label.right(15).toStdString())
    {}

    ~Queue()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }

    Queue(const Queue &) = delete;
    Queue &operator=(const Queue &) = delete;

    void wake()
    {
        if (wakeFd < 0)
            return;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
    }

    bool isCurrentThread() const { return thread.joinable() && std::this_thread::get_id() == threadId; }

    static void run(std::shared_ptr<Queue> queue);

    const QString label;
    const std::string threadName;

    std::mutex mutex;
    std::condition_variable idle;
    std::thread thread;
    std::thread::id threadId;
    int wakeFd = -1;
    int sourceFd = -1;
    KNVTNetworkReachability *listener = nullptr;
    bool scheduled = false;
    bool delivering = false;
    bool quit = false;
};

void KNVTNetworkReachability::Queue::run(std::shared_ptr<Queue> queue)
{
    pthread_setname_np(pthread_self(), queue->threadName.c_str());
    for (;;) {
        int watched = -1;
        {
            std::lock_guard lock(queue->mutex);
            if (queue->quit)
                return;
            if (queue->scheduled)
                watched = queue->sourceFd;
        }

        // A negative descriptor is ignored by poll(), so an unscheduled queue waits for the wake-up alone.
        pollfd descriptors[2] = {{queue->wakeFd, POLLIN, 0}, {watched, POLLIN, 0}};
        if (::poll(descriptors, 2, -1) < 0)
            continue;
        if (descriptors[0].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] const ssize_t read = ::read(queue->wakeFd, &count, sizeof count);
        }
        if (!(descriptors[1].revents & (POLLIN | POLLERR | POLLHUP)))
            continue;

        KNVTNetworkReachability *listener = nullptr;
        {
            std::lock_guard lock(queue->mutex);
            // Stopped or destroyed while this thread was waiting: the descriptor may belong to nobody now.
            if (queue->quit || !queue->scheduled || queue->sourceFd != watched)
                continue;
            queue->delivering = true;
            listener = queue->listener;
        }
        listener->deliverChange();
        {
            std::lock_guard lock(queue->mutex);
            queue->delivering = false;
        }
        queue->idle.notify_all();
    }
}

namespace {

sockaddr_in ipv4Address(const char *text)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    ::inet_pton(AF_INET, text, &address.sin_addr);
    return address;
}

} // namespace

std::unique_ptr<KNVTNetworkReachability>
KNVTNetworkReachability::networkReachabilityWithHostName(const QString &hostName)
{
    return std::make_unique<KNVTNetworkReachability>(hostName);
}

std::unique_ptr<KNVTNetworkReachability>
KNVTNetworkReachability::networkReachabilityWithAddress(const sockaddr_in *hostAddress)
{
    return std::make_unique<KNVTNetworkReachability>(hostAddress);
}

std::unique_ptr<KNVTNetworkReachability> KNVTNetworkReachability::networkReachabilityForInternetConnection()
{
    const sockaddr_in address = ipv4Address("0.0.0.0");
    return std::make_unique<KNVTNetworkReachability>(&address);
}

std::unique_ptr<KNVTNetworkReachability> KNVTNetworkReachability::networkReachabilityForLocalWiFi()
{
    const sockaddr_in address = ipv4Address("169.254.0.0");
    auto listener = std::make_unique<KNVTNetworkReachability>(&address);
    listener->m_isLocalWiFiNetworkReachabilityRef = true;
    return listener;
}

KNVTNetworkReachability::KNVTNetworkReachability()
    : m_queue(std::make_shared<Queue>(
        QString::asprintf("com.hollowpine.knvtnetworkreachability.%p", static_cast<const void *>(this))))
{}

KNVTNetworkReachability::KNVTNetworkReachability(const QString &hostName) : KNVTNetworkReachability()
{
    m_reference = ReachabilitySource::createWithName(hostName.toStdString());
    if (m_reference)
        m_hostName = hostName;
}

KNVTNetworkReachability::KNVTNetworkReachability(const sockaddr_in *hostAddress) : KNVTNetworkReachability()
{
    m_reference = ReachabilitySource::createWithAddress(hostAddress);
}

KNVTNetworkReachability::~KNVTNetworkReachability()
{
    stopMonitoring();

    bool detach = false;
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->quit = true;
        m_queue->listener = nullptr;
        detach = m_queue->isCurrentThread();
    }
    m_queue->wake();
    if (m_queue->thread.joinable()) {
        // On its own thread the listener is being destroyed by its handler: that thread finishes the handler call
        // and then sees `quit`.
        if (detach)
            m_queue->thread.detach();
        else
            m_queue->thread.join();
    }
}

void KNVTNetworkReachability::setStatusHandler(StatusHandler statusHandler)
{
    const bool start = static_cast<bool>(statusHandler);
    {
        std::lock_guard lock(m_handlerMutex);
        m_statusHandler = std::move(statusHandler);
    }
    if (start)
        startMonitoring();
    else
        stopMonitoring();
}

KNVTNetworkReachability::StatusHandler KNVTNetworkReachability::statusHandler() const
{
    std::lock_guard lock(m_handlerMutex);
    return m_statusHandler;
}

bool KNVTNetworkReachability::startMonitoring()
{
    if (!m_reference)
        return false;
    std::lock_guard lock(m_queue->mutex);
    if (m_queue->scheduled)
        return false;

    const int descriptor = m_reference->changeDescriptor();
    if (descriptor < 0)
        return false;
    if (!m_queue->thread.joinable()) {
        if (m_queue->wakeFd < 0) {
            m_queue->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
            if (m_queue->wakeFd < 0)
                return false;
        }
        try {
            m_queue->thread = std::thread(&Queue::run, m_queue);
        } catch (const std::system_error &) {
            return false;
        }
        m_queue->threadId = m_queue->thread.get_id();
    }

    // Only changes from now on are reported. Nothing else reads the reference's descriptor while the queue is not
    // scheduled, so draining it here cannot race with the queue's thread.
    m_reference->readChanges();
    m_queue->listener = this;
    m_queue->sourceFd = descriptor;
    m_queue->scheduled = true;
    m_queue->wake();
    return true;
}

bool KNVTNetworkReachability::stopMonitoring()
{
    if (!m_reference)
        return false;
    std::unique_lock lock(m_queue->mutex);
    if (!m_queue->scheduled)
        return false;
    m_queue->scheduled = false;
    m_queue->wake();
    // From a handler the running call is the caller itself; anywhere else, wait until it has returned.
    if (!m_queue->isCurrentThread())
        m_queue->idle.wait(lock, [this] { return !m_queue->delivering; });
    return true;
}

bool KNVTNetworkReachability::monitoring() const
{
    std::lock_guard lock(m_queue->mutex);
    return m_queue->scheduled;
}

QString KNVTNetworkReachability::queueLabel() const
{
    return m_queue->label;
}

KNVTNetworkReachabilityStatus KNVTNetworkReachability::networkReachabilityStatus() const
{
    if (!m_reference)
        return KNVTNetworkReachabilityStatusUnknown;
    return statusForFlags(m_reference->currentFlags());
}

bool KNVTNetworkReachability::isConnectionRequired() const
{
    if (!m_reference)
        return false;
    const std::optional<ReachabilityFlags> flags = m_reference->currentFlags();
    return flags && (*flags & knvt::kReachabilityFlagConnectionRequired);
}

KNVTNetworkReachabilityStatus KNVTNetworkReachability::networkStatusForNetworkReachabilityFlags(ReachabilityFlags flags)
{
    if (!(flags & knvt::kReachabilityFlagReachable))
        return KNVTNetworkReachabilityStatusNotReachable;
    if ((flags & (knvt::kReachabilityFlagConnectionOnDemand | knvt::kReachabilityFlagConnectionOnTraffic))
        && !(flags & knvt::kReachabilityFlagInterventionRequired))
        return KNVTNetworkReachabilityStatusReachable;
    if (flags & knvt::kReachabilityFlagConnectionRequired)
        return KNVTNetworkReachabilityStatusNotReachable;
    return KNVTNetworkReachabilityStatusReachable;
}

KNVTNetworkReachabilityStatus
KNVTNetworkReachability::localWiFiStatusForNetworkReachabilityFlags(ReachabilityFlags flags)
{
    const ReachabilityFlags direct = knvt::kReachabilityFlagReachable | knvt::kReachabilityFlagIsDirect;
    return (flags & direct) == direct ? KNVTNetworkReachabilityStatusReachable
                                      : KNVTNetworkReachabilityStatusNotReachable;
}

KNVTNetworkReachabilityStatus
KNVTNetworkReachability::statusForFlags(const std::optional<ReachabilityFlags> &flags) const
{
    if (!flags)
        return KNVTNetworkReachabilityStatusNotReachable;
    return m_isLocalWiFiNetworkReachabilityRef ? localWiFiStatusForNetworkReachabilityFlags(*flags)
                                               : networkStatusForNetworkReachabilityFlags(*flags);
}

// Runs on the queue's thread. Once the handler has been called the listener may no longer exist: nothing of it is
// touched afterwards.
void KNVTNetworkReachability::deliverChange()
{
    if (!m_reference->readChanges())
        return;
    const StatusHandler handler = statusHandler();
    if (!handler)
        return;
    // One reading for both values, so that the pair handed over always describes the same moment.
    const std::optional<ReachabilityFlags> flags = m_reference->currentFlags();
    const bool connectionRequired = flags && (*flags & knvt::kReachabilityFlagConnectionRequired);
    handler(statusForFlags(flags), connectionRequired);
}
