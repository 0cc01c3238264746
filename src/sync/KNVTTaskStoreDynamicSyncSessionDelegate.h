#pragma once

#include "sync/KNVTSyncSessionDelegate.h"
#include "sync/KNVTTaskStoreSyncPlan.h"

#include <QString>

class KNVTTaskStoreDynamicSyncSession;

// What a dynamic session asks of the coordinator: the requests of one resource, built just before they are sent (a
// push request just before it is sent).
class KNVTTaskStoreDynamicSyncSessionDelegate : public KNVTSyncSessionDelegate
{
public:
    virtual KNVTRESTFulRequestSource
    taskStoreDynamicSyncSessionPushRequestSourceForResource(KNVTTaskStoreDynamicSyncSession &session,
                                                            const QString &resource) = 0;
    virtual KNVTRESTFulRequestList
    taskStoreDynamicSyncSessionPullRequestsForResource(KNVTTaskStoreDynamicSyncSession &session,
                                                       const QString &resource) = 0;
    virtual void taskStoreDynamicSyncSessionDidFinishPushRequests(KNVTTaskStoreDynamicSyncSession &) {}
    virtual void taskStoreDynamicSyncSessionDidFinishPullRequests(KNVTTaskStoreDynamicSyncSession &) {}
};
