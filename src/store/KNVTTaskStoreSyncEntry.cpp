// The store as its sync coordinator's delegate: what it records and posts as sessions start and end, and the
// completion handlers of manual syncs waiting for the end of the sessions that were asked for.
#include "store/KNVTTaskStore.h"

#include "foundation/Clock.h"

knvt::Error KNVTTaskStore::syncCancelledError()
{
    return knvt::Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), KNVTTaskStoreCancelledErrorCode,
                       {{QStringLiteral("NSLocalizedDescription"), tr("The sync was cancelled.")}});
}

void KNVTTaskStore::callSyncCompletionHandlers(const knvt::Error &error)
{
    // A handler may ask for another sync; it waits for a later end.
    std::vector<SyncCompletionHandler> handlers;
    handlers.swap(m_syncCompletionHandlers);
    for (const SyncCompletionHandler &handler : handlers)
        handler(error);
}

void KNVTTaskStore::keepResourceETags(const KNVTTaskStoreSyncSessionInfo &session)
{
    QVariantMap tags = resourceETags();
    for (auto it = session.resourceETags.begin(); it != session.resourceETags.end(); ++it)
        tags.insert(it.key(), it.value());
    setResourceETags(tags);
}

void KNVTTaskStore::tellLostEdits(const KNVTTaskStoreSyncSessionInfo &session)
{
    if (!session.lostEdits.empty() && taskStoreDelegate())
        taskStoreDelegate()->taskStoreLostEditsOfObjectsDeletedElsewhere(this, session.lostEdits);
}

void KNVTTaskStore::taskStoreSyncCoordinatorWillStartSyncSession(KNVTTaskStoreSyncCoordinating &,
                                                                 const KNVTTaskStoreSyncSessionInfo &)
{
    postNotification(KNVTTaskStoreWillStartSyncingNotification);
}

void KNVTTaskStore::taskStoreSyncCoordinatorDidStartSyncSession(KNVTTaskStoreSyncCoordinating &,
                                                                const KNVTTaskStoreSyncSessionInfo &)
{
    postNotification(KNVTTaskStoreDidStartSyncingNotification);
}

void KNVTTaskStore::taskStoreSyncCoordinatorDidCancelSyncSession(KNVTTaskStoreSyncCoordinating &,
                                                                 const KNVTTaskStoreSyncSessionInfo &)
{
    postNotification(KNVTTaskStoreDidFinishSyncingNotification);
}

void KNVTTaskStore::taskStoreSyncCoordinatorSyncSessionDidFailWithError(KNVTTaskStoreSyncCoordinating &coordinator,
                                                                        const KNVTTaskStoreSyncSessionInfo &session,
                                                                        const knvt::Error &error)
{
    m_lastSyncFailureDate = knvt::Clock::shared().now();
    m_lastSyncError = error;
    m_lastSyncRefusedChanges = {};
    tellLostEdits(session);
    // A failed request leaves only its own work to the next session: what the others read stands, and is not read
    // whole again.
    if (session.ranThrough)
        keepResourceETags(session);
    if (session.failedReadError) {
        m_readFailureDate = m_lastSyncFailureDate;
        m_readFailureError = session.failedReadError;
    }
    if (coordinator.pendingSyncSessionsCount() == 0)
        callSyncCompletionHandlers(error);
    postNotification(KNVTTaskStoreDidFinishSyncingNotification);
}

void KNVTTaskStore::taskStoreSyncCoordinatorDidFinishSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                                 const KNVTTaskStoreSyncSessionInfo &session)
{
    if (session.type == 1) {
        setLastSuccessfullSyncDate(session.startDate);
        if (!session.useETags)
            setLastCleanUpSyncDate(session.startDate);
    }
    keepResourceETags(session);
    // What a failed read missed is still missing after a session that read nothing: the line keeps saying so rather
    // than go back to an earlier success.
    if (session.type == 1) {
        m_readFailureDate = {};
        m_readFailureError = {};
    }
    m_lastSyncFailureDate = m_readFailureDate;
    m_lastSyncError = m_readFailureError;
    // The session finished: what the service refused is told beside its success. Only a failure of an earlier read,
    // which the line keeps telling, takes its place, and then it names the refusal.
    m_lastSyncRefusedChanges = session.refusedChangesError;
    if (session.refusedChangesError && m_lastSyncFailureDate.isValid()) {
        m_lastSyncFailureDate = knvt::Clock::shared().now();
        m_lastSyncError = session.refusedChangesError;
        m_lastSyncRefusedChanges = {};
    }
    tellLostEdits(session);

    if (coordinator.pendingSyncSessionsCount() == 0)
        callSyncCompletionHandlers({});
    postNotification(KNVTTaskStoreDidFinishSyncingNotification);
    postNotification(KNVTTaskStoreDidSyncNotification);
}

void KNVTTaskStore::taskStoreSyncCoordinatorDidFailAuthentication(KNVTTaskStoreSyncCoordinating &)
{
    if (KNVTTaskStoreDelegate *delegate = taskStoreDelegate())
        delegate->taskStoreDidFailToAuthenticate(this);
    setAuthenticationFailureDate(knvt::Clock::shared().now());
}

void KNVTTaskStore::taskStoreSyncCoordinatorDidFailAsNewerAPIVersionIsRequired(KNVTTaskStoreSyncCoordinating &)
{
    if (KNVTTaskStoreDelegate *delegate = taskStoreDelegate())
        delegate->taskStoreRequiresNewerAPIVersion(this);
    // Before the switch, whose notification the windows read it by.
    m_newerVersionNeeded = true;
    setAutoSyncEnabled(false);
}

void KNVTTaskStore::taskStoreSyncCoordinatorDidCancelSyncSessions(KNVTTaskStoreSyncCoordinating &)
{
    // Sign-out: the sessions these handlers wait for are gone with the library, so they hear of it now, once.
    callSyncCompletionHandlers(syncCancelledError());
}
