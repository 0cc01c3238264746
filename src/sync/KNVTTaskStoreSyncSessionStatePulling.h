#pragma once

#include "sync/KNVTTaskStoreSyncSessionState.h"

// Sends the pull requests of one resource, one after another.
class KNVTTaskStoreSyncSessionStatePulling : public KNVTTaskStoreSyncSessionState
{
public:
    explicit KNVTTaskStoreSyncSessionStatePulling(KNVTRESTFulRequestList requests)
        : KNVTTaskStoreSyncSessionState(Phase::Pull, std::move(requests))
    {}

    void start() override { startSending(); }
    void processNextPullRequest() { processNextRequest(); }

    const KNVTRESTFulRequestList &pendingPullRequests() const { return pendingRequests(); }
    const KNVTRESTFulRequestList &successfulPullRequests() const { return successfulRequests(); }
    const KNVTRESTFulRequestList &failedPullRequests() const { return failedRequests(); }
};
