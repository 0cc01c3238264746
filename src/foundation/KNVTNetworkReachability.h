#pragma once

#include "foundation/ReachabilitySource.h"

#include <QString>

#include <netinet/in.h>

#include <functional>
#include <memory>
#include <mutex>

enum KNVTNetworkReachabilityStatus : unsigned int {
    KNVTNetworkReachabilityStatusUnknown = 0,
    KNVTNetworkReachabilityStatusNotReachable = 1,
    KNVTNetworkReachabilityStatusReachable = 2,
};

// Watches whether a network target can be reached and reports every change to one status handler, called on the
// listener's own thread (its private serial queue, labelled "com.hollowpine.knvtnetworkreachability.<address>"), one
// call at a time and never on the owner's thread. A handler that touches the user interface or the model posts to the
// main thread itself.
//
// Threading contract:
// - The handler may be set, replaced or cleared from any thread while callbacks run; each call uses a copy taken at
//   the start of that call, so a replacement takes effect from the next change on.
// - stopMonitoring(), setStatusHandler(nullptr) and the destructor return only when no callback is running any more
//   and none will start, so the owner may free whatever the handler uses right after them.
// - Called from inside the handler (on the listener's own thread) they cannot wait for the running call, which is the
//   caller itself: they stop further calls and return at once. A handler may therefore stop or even destroy its own
//   listener; after destroying it, it must not touch the listener again.
// - The waiting means a handler must never block on the thread that is stopping or destroying its listener (for
//   example a blocking queued call to the main thread while the main thread destroys the listener): that deadlocks.
class KNVTNetworkReachability
{
public:
    using StatusHandler = std::function<void(KNVTNetworkReachabilityStatus status, bool connectionRequired)>;

    static std::unique_ptr<KNVTNetworkReachability> networkReachabilityWithHostName(const QString &hostName);
    static std::unique_ptr<KNVTNetworkReachability> networkReachabilityWithAddress(const sockaddr_in *hostAddress);
    // Whether any network is up: the address 0.0.0.0, which follows the default route.
    static std::unique_ptr<KNVTNetworkReachability> networkReachabilityForInternetConnection();
    // Whether the IPv4 link-local network 169.254.0.0 is directly attached.
    static std::unique_ptr<KNVTNetworkReachability> networkReachabilityForLocalWiFi();

    // A listener without a reference: it reports Unknown and never starts.
    KNVTNetworkReachability();
    // Without a reference (and without a host name) when none can be made for the name.
    explicit KNVTNetworkReachability(const QString &hostName);
    // Without a reference when the address is null or not IPv4. The address is not kept.
    explicit KNVTNetworkReachability(const sockaddr_in *hostAddress);
    // Stops monitoring (waiting for a running callback unless called from one), then drops the handler, the queue
    // and the reference.
    ~KNVTNetworkReachability();

    KNVTNetworkReachability(const KNVTNetworkReachability &) = delete;
    KNVTNetworkReachability &operator=(const KNVTNetworkReachability &) = delete;

    // A non-empty handler starts monitoring (a listener that is already monitoring keeps going with the new
    // handler); an empty one stops it.
    void setStatusHandler(StatusHandler statusHandler);
    StatusHandler statusHandler() const;

    // False when already monitoring or without a reference.
    bool startMonitoring();
    // False when not monitoring or without a reference.
    bool stopMonitoring();
    bool monitoring() const;

    // Both read the reference's flags now, on the calling thread.
    KNVTNetworkReachabilityStatus networkReachabilityStatus() const;
    bool isConnectionRequired() const;

    static KNVTNetworkReachabilityStatus networkStatusForNetworkReachabilityFlags(knvt::ReachabilityFlags flags);
    static KNVTNetworkReachabilityStatus localWiFiStatusForNetworkReachabilityFlags(knvt::ReachabilityFlags flags);

    bool isLocalWiFiNetworkReachabilityRef() const { return m_isLocalWiFiNetworkReachabilityRef; }
    QString hostName() const { return m_hostName; }
    // Never set by any initialiser; kept for callers that ask.
    const sockaddr_in *hostAddress() const { return m_hostAddress; }
    QString queueLabel() const;

private:
    class Queue;

    KNVTNetworkReachabilityStatus statusForFlags(const std::optional<knvt::ReachabilityFlags> &flags) const;
    void deliverChange();

    std::shared_ptr<Queue> m_queue;
    bool m_isLocalWiFiNetworkReachabilityRef = false;
    std::unique_ptr<knvt::ReachabilitySource> m_reference;
    mutable std::mutex m_handlerMutex;
    StatusHandler m_statusHandler;
    QString m_hostName;
    const sockaddr_in *m_hostAddress = nullptr;
};
