#include "sync/KNVTTaskStoreDynamicSyncSession.h"

#include "sync/KNVTTaskStoreDynamicSyncSessionDelegate.h"
#include "sync/KNVTTaskStoreSyncSessionStatePulling.h"
#include "sync/KNVTTaskStoreSyncSessionStatePushing.h"

#include "foundation/Clock.h"

KNVTTaskStoreDynamicSyncSession::KNVTTaskStoreDynamicSyncSession(const QStringList &pushResources,
                                                                 const QStringList &pullResources)
    : KNVTTaskStoreSyncSession({}, {}), m_pendingPushResources(pushResources), m_pendingPullResources(pullResources)
{}

KNVTTaskStoreDynamicSyncSessionDelegate *KNVTTaskStoreDynamicSyncSession::dynamicDelegate() const
{
    return dynamic_cast<KNVTTaskStoreDynamicSyncSessionDelegate *>(syncSessionDelegate());
}

void KNVTTaskStoreDynamicSyncSession::start()
{
    // The store records this as the last successful sync when the session finishes.
    setStartDate(knvt::Clock::shared().now());
    if (hasPendingPushResources())
        processNextPushResource();
    else if (hasPendingPullResources())
        processNextPullResource();
    else
        startFinishedState();
}

void KNVTTaskStoreDynamicSyncSession::cancel()
{
    m_pendingPushResources.clear();
    m_pendingPullResources.clear();
    KNVTTaskStoreSyncSession::cancel();
}

void KNVTTaskStoreDynamicSyncSession::processNextPushResource()
{
    if (m_pendingPushResources.isEmpty())
        return;
    KNVTTaskStoreDynamicSyncSessionDelegate *delegate = dynamicDelegate();
    KNVTRESTFulRequestSource requests = delegate
        ? delegate->taskStoreDynamicSyncSessionPushRequestSourceForResource(*this, m_pendingPushResources.first())
        : KNVTRESTFulRequestSource();
    runState(std::make_shared<KNVTTaskStoreSyncSessionStatePushing>(std::move(requests)));
}

void KNVTTaskStoreDynamicSyncSession::processNextPullResource()
{
    if (m_pendingPullResources.isEmpty())
        return;
    // The collections of lists are read one after another; past them, a list that none of them held is gone, unless
    // a reply failed that might have held it.
    if (!m_pendingPullResources.first().startsWith(QLatin1String("task_lists/")))
        removeObjectsStillMissing(true);
    KNVTTaskStoreDynamicSyncSessionDelegate *delegate = dynamicDelegate();
    KNVTRESTFulRequestList requests = delegate
        ? delegate->taskStoreDynamicSyncSessionPullRequestsForResource(*this, m_pendingPullResources.first())
        : KNVTRESTFulRequestList();
    runState(std::make_shared<KNVTTaskStoreSyncSessionStatePulling>(std::move(requests)));
}

void KNVTTaskStoreDynamicSyncSession::syncSessionStateDidFinish(KNVTSyncSessionState &state)
{
    const auto self = shared_from_this();
    if (endSessionWithState(state))
        return;
    if (dynamic_cast<KNVTTaskStoreSyncSessionStatePushing *>(&state)) {
        if (!m_pendingPushResources.isEmpty())
            m_pendingPushResources.removeFirst();
        if (hasPendingPushResources()) {
            processNextPushResource();
            return;
        }
        if (KNVTTaskStoreDynamicSyncSessionDelegate *delegate = dynamicDelegate())
            delegate->taskStoreDynamicSyncSessionDidFinishPushRequests(*this);
        if (hasPendingPullResources())
            processNextPullResource();
        else
            startFinishedState();
        return;
    }
    if (dynamic_cast<KNVTTaskStoreSyncSessionStatePulling *>(&state)) {
        if (!m_pendingPullResources.isEmpty())
            m_pendingPullResources.removeFirst();
        if (hasPendingPullResources()) {
            processNextPullResource();
            return;
        }
        if (KNVTTaskStoreDynamicSyncSessionDelegate *delegate = dynamicDelegate())
            delegate->taskStoreDynamicSyncSessionDidFinishPullRequests(*this);
        startFinishedState();
        return;
    }
    startFinishedState();
}
