#pragma once

#include "store/KNVTTaskStoreLostEdit.h"

#include "foundation/Error.h"

#include <QDateTime>
#include <QVariantMap>

#include <vector>

class KNVTTaskStoreSyncCoordinating;

// What the store reads of a session that its coordinator reports.
struct KNVTTaskStoreSyncSessionInfo
{
    // 1: push then pull (regular and full sessions); 2: push only.
    unsigned int type = 1;
    // When the session (last) started.
    QDateTime startDate;
    // Whether its pulls carried the stored entity tags: NO for full and push-only sessions.
    bool useETags = false;
    // Resource key -> entity tag (a string) received in this session.
    QVariantMap resourceETags;
    // The error of a read of this session that failed, or whose answer left the library at odds with what was read:
    // what it would have brought is still missing here until a session that reads finishes. Null when none did.
    knvt::Error failedReadError;
    // The changes the service refused in this session, the first named with the number of the others; null when it
    // refused none. The user is told of them whether or not the session finished.
    knvt::Error refusedChangesError;
    // What the user wrote on objects that this session found the service had deleted before it got the edit.
    std::vector<KNVTTaskStoreLostEdit> lostEdits;
    // Of a session that failed: whether every request it made was answered, so that its entity tags describe what it
    // read, rather than stopping part-way (a refusal of the client, no answer), to resume later.
    bool ranThrough = false;
};

// What a sync coordinator tells its task store about its sessions, on the main thread, in this order for one session:
// will start, did start, then exactly one of did finish, did fail (preceded, for status 401, by the authentication
// failure and, for status 410, by the newer-version notice) or did cancel. The store is the only implementation; the
// coordinator keeps it weakly.
class KNVTTaskStoreSyncCoordinatorDelegate
{
public:
    virtual ~KNVTTaskStoreSyncCoordinatorDelegate() = default;

    virtual void taskStoreSyncCoordinatorWillStartSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                              const KNVTTaskStoreSyncSessionInfo &session) = 0;
    virtual void taskStoreSyncCoordinatorDidStartSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                             const KNVTTaskStoreSyncSessionInfo &session) = 0;
    virtual void taskStoreSyncCoordinatorDidCancelSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                              const KNVTTaskStoreSyncSessionInfo &session) = 0;
    // The coordinator has cleared its running session; a session that can resume still waits in its queue.
    virtual void taskStoreSyncCoordinatorSyncSessionDidFailWithError(KNVTTaskStoreSyncCoordinating &coordinator,
                                                                     const KNVTTaskStoreSyncSessionInfo &session,
                                                                     const knvt::Error &error) = 0;
    // The coordinator has removed the session from its queue and cleared its running session.
    virtual void taskStoreSyncCoordinatorDidFinishSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                              const KNVTTaskStoreSyncSessionInfo &session) = 0;
    virtual void taskStoreSyncCoordinatorDidFailAuthentication(KNVTTaskStoreSyncCoordinating &coordinator) = 0;
    virtual void
    taskStoreSyncCoordinatorDidFailAsNewerAPIVersionIsRequired(KNVTTaskStoreSyncCoordinating &coordinator) = 0;
    // Every session was dropped (sign-out): nothing that waits for a session's end will hear of one.
    virtual void taskStoreSyncCoordinatorDidCancelSyncSessions(KNVTTaskStoreSyncCoordinating &coordinator) = 0;
};
