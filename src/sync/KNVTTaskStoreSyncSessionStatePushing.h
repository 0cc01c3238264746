#pragma once

#include "sync/KNVTTaskStoreSyncSessionState.h"

// Sends the push requests of one resource, one after another.
class KNVTTaskStoreSyncSessionStatePushing : public KNVTTaskStoreSyncSessionState
{
public:
    explicit KNVTTaskStoreSyncSessionStatePushing(KNVTRESTFulRequestList requests)
        : KNVTTaskStoreSyncSessionState(Phase::Push, std::move(requests))
    {}
    explicit KNVTTaskStoreSyncSessionStatePushing(KNVTRESTFulRequestSource source)
        : KNVTTaskStoreSyncSessionState(Phase::Push, std::move(source))
    {}

    void start() override { startSending(); }
    void processNextPushRequest() { processNextRequest(); }

    const KNVTRESTFulRequestList &pendingPushRequests() const { return pendingRequests(); }
    const KNVTRESTFulRequestList &successfulPushRequests() const { return successfulRequests(); }
    const KNVTRESTFulRequestList &failedPushRequests() const { return failedRequests(); }
};
