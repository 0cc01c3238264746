#pragma once

#include "sync/KNVTSyncSessionState.h"
#include "sync/KNVTTaskStoreSyncPlan.h"

// A state of a task-store session. The pushing and pulling states share the sending here: one request at a time,
// each reply applied on the main thread before the next request goes out.
class KNVTTaskStoreSyncSessionState : public KNVTSyncSessionState
{
protected:
    enum class Phase { Push, Pull };

    KNVTTaskStoreSyncSessionState() = default;
    KNVTTaskStoreSyncSessionState(Phase phase, KNVTRESTFulRequestList requests);
    // Takes each request from `source` only once the one before it has been answered.
    KNVTTaskStoreSyncSessionState(Phase phase, KNVTRESTFulRequestSource source);

    // Sends the first pending request, which stays pending until its reply has been handled. Cancelling stops here.
    void processNextRequest();

    const KNVTRESTFulRequestList &pendingRequests() const { return m_pending; }
    const KNVTRESTFulRequestList &successfulRequests() const { return m_successful; }
    const KNVTRESTFulRequestList &failedRequests() const { return m_failed; }

    // Starts sending, or finishes at once when there is nothing to send.
    void startSending();

private:
    void handleReply(const std::shared_ptr<KNVTRESTFulRequest> &request, const knvt::Error &requestError,
                     const knvt::Error &error);
    void settle(const std::shared_ptr<KNVTRESTFulRequest> &request, KNVTRESTFulRequestList &into);
    // Takes the next request from the source when none is pending; false when none is left.
    bool hasNextRequest();
    void sendNextRequestOrFinish();
    // Applies a pulled reply a slice at a time, each in its own pass of the event loop, and then sends the next
    // request. The request stays pending meanwhile, so one request at a time is under way from its send to its end.
    void applyPulledReply(const std::shared_ptr<KNVTRESTFulRequest> &request);

    Phase m_phase = Phase::Push;
    KNVTRESTFulRequestList m_pending;
    KNVTRESTFulRequestSource m_source;
    KNVTRESTFulRequestList m_successful;
    KNVTRESTFulRequestList m_failed;
};
