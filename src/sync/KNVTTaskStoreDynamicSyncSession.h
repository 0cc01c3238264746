#pragma once

#include "sync/KNVTTaskStoreSyncSession.h"

#include <QStringList>

class KNVTTaskStoreDynamicSyncSessionDelegate;

// The session the coordinator runs: it holds resource names instead of requests and asks its delegate for one
// resource's requests just before sending them, so each resource sees what the earlier ones applied. A resource
// leaves its queue only when its state has finished, so a failed session resumes at the resource that failed.
class KNVTTaskStoreDynamicSyncSession : public KNVTTaskStoreSyncSession
{
public:
    KNVTTaskStoreDynamicSyncSession(const QStringList &pushResources, const QStringList &pullResources);

    // Records now as the start date (every start, a resume included), then works on the first pending resource.
    void start() override;
    // Empties both queues; the state stops after the reply in flight.
    void cancel() override;

    bool hasPendingPushResources() const { return !m_pendingPushResources.isEmpty(); }
    bool hasPendingPullResources() const { return !m_pendingPullResources.isEmpty(); }
    const QStringList &pendingPushResources() const { return m_pendingPushResources; }
    const QStringList &pendingPullResources() const { return m_pendingPullResources; }

    void processNextPushResource();
    void processNextPullResource();

    void syncSessionStateDidFinish(KNVTSyncSessionState &state) override;

private:
    KNVTTaskStoreDynamicSyncSessionDelegate *dynamicDelegate() const;

    QStringList m_pendingPushResources;
    QStringList m_pendingPullResources;
};
