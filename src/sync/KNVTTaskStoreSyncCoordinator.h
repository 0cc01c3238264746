#pragma once

#include "sync/KNVTTaskStoreDynamicSyncSession.h"
#include "sync/KNVTTaskStoreDynamicSyncSessionDelegate.h"
#include "sync/KNVTTaskStoreSyncRequestHeaders.h"

#include "store/KNVTTaskStoreSyncCoordinating.h"

#include "foundation/KNVTNetworkReachability.h"
#include "foundation/ProcessLock.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class KNVTTaskStore;
class KNVTTaskStoreSyncCoordinatorDelegate;

namespace ostore {
class Context;
class Coordinator;
struct ChangeSet;
} // namespace ostore

// Decides when the task store is synchronised and runs one session at a time, first in first out: a full session
// at start-up, a regular session on the full-sync timer, after reachability returns and on demand, and a push-only
// session ten seconds after the last of a burst of local saves. It answers its sessions' questions for requests,
// merges every save of a session's context into the store's main context and reports each session's end to its
// delegate, the store. Main thread only.
class KNVTTaskStoreSyncCoordinator : public QObject,
                                     public KNVTTaskStoreSyncCoordinating,
                                     public KNVTTaskStoreDynamicSyncSessionDelegate
{
    Q_OBJECT

public:
    using SessionPointer = std::shared_ptr<KNVTTaskStoreDynamicSyncSession>;

    // The file in the library folder that only one syncing process holds: two processes pushing the same unpushed
    // objects would create them twice on the service.
    static inline const QString kSyncLockFileName = QStringLiteral("sync.lock");

    // Makes every task store create its coordinator through this class, in the process that holds the library's
    // sync lock only; a store in any other process goes without one (it still sees the syncing process's saves).
    static void registerWithTaskStore();
    // The coordinator for `taskStore`, or nullptr when another process holds the sync lock of its library.
    static std::unique_ptr<KNVTTaskStoreSyncCoordinator> coordinatorForTaskStore(KNVTTaskStore &taskStore);

    // Copies the store's sync settings, listens for reachability, observes the main context's saves and the sync
    // settings, and with automatic sync on starts a full session 0.1 s later. `syncLock`, when given, is held for
    // the coordinator's lifetime.
    explicit KNVTTaskStoreSyncCoordinator(KNVTTaskStore &taskStore,
                                          std::unique_ptr<knvt::ProcessLock> syncLock = nullptr);
    ~KNVTTaskStoreSyncCoordinator() override;

    KNVTTaskStore &taskStore() const { return *m_taskStore; }
    KNVTTaskStoreSyncCoordinatorDelegate *taskStoreSyncCoordinatorDelegate() const { return m_delegate; }
    void setTaskStoreSyncCoordinatorDelegate(KNVTTaskStoreSyncCoordinatorDelegate *delegate) override;

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    double autoSyncTimeInterval() const { return m_autoSyncTimeInterval; }
    void setAutoSyncTimeInterval(double seconds) { m_autoSyncTimeInterval = seconds; }
    bool automaticallyPushChanges() const { return m_automaticallyPushChanges; }
    void setAutomaticallyPushChanges(bool push) { m_automaticallyPushChanges = push; }

    // ---- The queue ---------------------------------------------------------------------------------------------
    bool isSyncing() const override { return m_currentSyncSession != nullptr; }
    const SessionPointer &currentSyncSession() const { return m_currentSyncSession; }
    // The queued sessions that are not running: the whole queue when none runs, otherwise all after the first.
    std::vector<SessionPointer> pendingSyncSessions() const;
    qsizetype numberOfPendingSyncSessions() const;
    qsizetype pendingSyncSessionsCount() const override { return numberOfPendingSyncSessions(); }
    // The running session's context while there is one, otherwise the store's main context.
    ostore::Context *managedObjectContext() const;
    ostore::Coordinator *persistentStoreCoordinator() const;

    // Push then pull with the stored entity tags; stops the full-sync timer.
    void startSyncSession();
    // Push then pull without entity tags.
    void startFullSyncSession();
    // Push only; stops the push timer.
    void startPushSyncSession();
    // A regular session unless one that will run or is running answers the request already, and the queue going
    // again when none runs, so that a session left by a failure resumes.
    void startSyncSessionIfRequired() override;
    // Appends; when none runs, the head of the queue starts 0.1 s later.
    void addSyncSession(SessionPointer session);
    void addSyncSessions(const std::vector<SessionPointer> &sessions);
    void processNextSyncSession();
    void saveSyncSessionChanges() override;
    // Empties the queue and cancels the running session, which stays current until it reports its cancel.
    void cancelSyncSessions() override;

    // ---- Timers ------------------------------------------------------------------------------------------------
    // One full-sync timer and one push timer, each a single restartable object, so a timer armed again replaces the
    // pending countdown instead of adding a second one.
    bool hasFullSyncSessionTimer() const { return m_fullSyncSessionTimer.isActive(); }
    bool hasPushSyncSessionTimer() const { return m_pushSyncSessionTimer.isActive(); }
    // Only while enabled with an interval above 0: a one-shot countdown of autoSyncTimeInterval seconds.
    void instantiateFullSyncSessionTimer();
    // Only with an interval above 0: a one-shot countdown of 10 s.
    void instantiatePushSyncSessionTimer();
    void invalidateFullSyncSessionTimer();
    void invalidatePushSyncSessionTimer();
    void fullSyncSessionTimerDidFire();
    void pushSyncSessionTimerDidFire();

    // ---- Observed events ---------------------------------------------------------------------------------------
    void managedObjectContextDidSave(const ostore::ChangeSet &changes);
    void currentSyncSessionManagedObjectContextDidSave(const ostore::ChangeSet &changes);
    void taskStoreSyncSettingsDidChange();
    // On the main thread, for every status but not-reachable: arms the full-sync timer 10 s later when none runs.
    void networkReachabilityDidChange();

    // ---- KNVTSyncSessionDelegate and KNVTTaskStoreDynamicSyncSessionDelegate -----------------------------------
    void syncSessionDidFinish(KNVTSyncSession &session) override;
    void syncSession(KNVTSyncSession &session, const knvt::Error &error) override;
    void syncSessionDidCancel(KNVTSyncSession &session) override;
    KNVTRESTFulRequestSource
    taskStoreDynamicSyncSessionPushRequestSourceForResource(KNVTTaskStoreDynamicSyncSession &session,
                                                            const QString &resource) override;
    KNVTRESTFulRequestList taskStoreDynamicSyncSessionPullRequestsForResource(KNVTTaskStoreDynamicSyncSession &session,
                                                                              const QString &resource) override;

    // The header fields the store gives at the moment a request is built.
    KNVTTaskStoreSyncRequestHeaders requestHeaders() const;

private:
    SessionPointer makeSession(KNVTTaskStoreSyncSessionType type, bool pulls, bool useETags) const;
    // Timers, reachability and saves start sessions only while automatic sync is on and the service has not turned
    // the credentials down; otherwise every interval would resend a refused password.
    bool mayStartAutomatically() const;
    // Ends the running session's part in the queue: stops merging its saves and clears it as current.
    SessionPointer releaseCurrentSyncSession(KNVTSyncSession &session);
    void removeFromQueue(const KNVTSyncSession &session);
    // Drops from the store the entity tags that the session found no longer describe what is here, so that the next
    // regular session fetches those collections whole.
    void forgetStaleResourceETags(const KNVTTaskStoreSyncSession &session);
    void scheduleProcessNextSyncSession();

    KNVTTaskStore *m_taskStore;
    KNVTTaskStoreSyncCoordinatorDelegate *m_delegate = nullptr;
    std::unique_ptr<knvt::ProcessLock> m_syncLock;
    bool m_enabled = false;
    double m_autoSyncTimeInterval = 0.0;
    bool m_automaticallyPushChanges = false;

    std::deque<SessionPointer> m_syncSessions;
    SessionPointer m_currentSyncSession;
    QMetaObject::Connection m_currentContextConnection;
    // Whether the main context saved since the running session started: its pushes may have missed that change.
    bool m_savedSinceCurrentSessionStarted = false;

    QTimer m_fullSyncSessionTimer;
    QTimer m_pushSyncSessionTimer;
    std::unique_ptr<KNVTNetworkReachability> m_networkReachability;
};
