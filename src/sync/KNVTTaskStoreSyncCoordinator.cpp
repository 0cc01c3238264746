#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "sync/KNVTTaskStoreSyncPlan.h"
#include "sync/KNVTTaskStoreSyncResources.h"
#include "sync/Logging.h"

#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreSyncCoordinatorDelegate.h"

#include "service/ServiceRefusal.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Assert.h"
#include "foundation/Error.h"
#include "foundation/FreedMemory.h"
#include "foundation/NotificationCenter.h"
#include "foundation/ThreadAdditions.h"
#include "foundation/Timing.h"

#include <QDir>
#include <QPointer>

#include <algorithm>

namespace {

constexpr double kProcessDelay = 0.1;
constexpr double kPushDelay = 10.0;
constexpr double kReachabilityDelay = 10.0;

KNVTTaskStoreSyncSessionInfo infoForSession(const KNVTTaskStoreSyncSession &session)
{
    KNVTTaskStoreSyncSessionInfo info;
    info.type = session.type();
    info.startDate = session.startDate();
    info.useETags = session.useETags();
    info.resourceETags = session.resourceETags();
    info.failedReadError = session.failedReadError();
    info.refusedChangesError = session.refusedChangesError();
    info.ranThrough = session.ranThrough();
    return info;
}

// The same at the session's end, which hands over what the user wrote on objects it found gone, once.
KNVTTaskStoreSyncSessionInfo infoForEndedSession(KNVTTaskStoreSyncSession &session)
{
    KNVTTaskStoreSyncSessionInfo info = infoForSession(session);
    info.lostEdits = session.takeLostEdits();
    return info;
}

} // namespace

void KNVTTaskStoreSyncCoordinator::registerWithTaskStore()
{
    KNVTTaskStoreSyncCoordinating::setFactory(
        [](KNVTTaskStore &taskStore) -> std::unique_ptr<KNVTTaskStoreSyncCoordinating> {
            return coordinatorForTaskStore(taskStore);
        });
}

std::unique_ptr<KNVTTaskStoreSyncCoordinator>
KNVTTaskStoreSyncCoordinator::coordinatorForTaskStore(KNVTTaskStore &taskStore)
{
    std::unique_ptr<knvt::ProcessLock> lock;
    const QString libraryPath = taskStore.libraryPath();
    if (!libraryPath.isEmpty() && QDir(libraryPath).exists()) {
        lock = std::make_unique<knvt::ProcessLock>(QDir(libraryPath).filePath(kSyncLockFileName));
        if (lock->tryLock() != knvt::ProcessLock::Outcome::Locked)
            return nullptr;
    }
    return std::make_unique<KNVTTaskStoreSyncCoordinator>(taskStore, std::move(lock));
}

KNVTTaskStoreSyncCoordinator::KNVTTaskStoreSyncCoordinator(KNVTTaskStore &taskStore,
                                                           std::unique_ptr<knvt::ProcessLock> syncLock)
    : m_taskStore(&taskStore), m_syncLock(std::move(syncLock))
{
    m_automaticallyPushChanges = taskStore.isPushSyncingEnabled();
    m_autoSyncTimeInterval = taskStore.autoSyncTimeInterval();
    m_enabled = taskStore.isAutoSyncEnabled();

    m_fullSyncSessionTimer.setSingleShot(true);
    m_pushSyncSessionTimer.setSingleShot(true);
    connect(&m_fullSyncSessionTimer, &QTimer::timeout, this,
            &KNVTTaskStoreSyncCoordinator::fullSyncSessionTimerDidFire);
    connect(&m_pushSyncSessionTimer, &QTimer::timeout, this,
            &KNVTTaskStoreSyncCoordinator::pushSyncSessionTimerDidFire);

    m_networkReachability = KNVTNetworkReachability::networkReachabilityForInternetConnection();
    // Runs on the listener's own thread: it touches nothing and only hands the news to the main thread. The
    // destructor drops the listener first, which waits for a running call, so `this` is alive while it posts.
    m_networkReachability->setStatusHandler([this](KNVTNetworkReachabilityStatus status, bool) {
        if (status == KNVTNetworkReachabilityStatusNotReachable)
            return;
        QMetaObject::invokeMethod(
            this, [this] { networkReachabilityDidChange(); }, Qt::QueuedConnection);
    });

    if (ostore::Context *context = taskStore.managedObjectContext())
        connect(context, &ostore::Context::didSave, this, &KNVTTaskStoreSyncCoordinator::managedObjectContextDidSave);
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification), m_taskStore, this,
        [this](const knvt::Notification &) { taskStoreSyncSettingsDidChange(); });

    if (m_enabled) {
        QTimer::singleShot(knvt::Timing::ms(kProcessDelay), this, [this] {
            if (mayStartAutomatically())
                startFullSyncSession();
        });
    }
}

KNVTTaskStoreSyncCoordinator::~KNVTTaskStoreSyncCoordinator()
{
    m_networkReachability.reset();
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    m_fullSyncSessionTimer.stop();
    m_pushSyncSessionTimer.stop();
    disconnect(m_currentContextConnection);

    // A session may outlive its coordinator while a reply is in flight, but its context must not outlive the store's
    // stack, which the store drops right after the coordinator: so the contexts go now, and a late reply finds none.
    std::vector<SessionPointer> sessions(m_syncSessions.begin(), m_syncSessions.end());
    if (m_currentSyncSession)
        sessions.push_back(m_currentSyncSession);
    for (const SessionPointer &session : sessions) {
        session->setSyncSessionDelegate(nullptr);
        session->cancel();
        session->takeManagedObjectContext().reset();
    }
}

void KNVTTaskStoreSyncCoordinator::setTaskStoreSyncCoordinatorDelegate(KNVTTaskStoreSyncCoordinatorDelegate *delegate)
{
    m_delegate = delegate;
}

// ---- The queue ----------------------------------------------------------------------------------------------------

std::vector<KNVTTaskStoreSyncCoordinator::SessionPointer> KNVTTaskStoreSyncCoordinator::pendingSyncSessions() const
{
    auto first = m_syncSessions.begin();
    if (m_currentSyncSession && first != m_syncSessions.end() && *first == m_currentSyncSession)
        ++first;
    return {first, m_syncSessions.end()};
}

qsizetype KNVTTaskStoreSyncCoordinator::numberOfPendingSyncSessions() const
{
    return qsizetype(pendingSyncSessions().size());
}

ostore::Context *KNVTTaskStoreSyncCoordinator::managedObjectContext() const
{
    if (m_currentSyncSession && m_currentSyncSession->managedObjectContext())
        return m_currentSyncSession->managedObjectContext();
    return m_taskStore->managedObjectContext();
}

ostore::Coordinator *KNVTTaskStoreSyncCoordinator::persistentStoreCoordinator() const
{
    ostore::Context *context = managedObjectContext();
    return context ? context->coordinator() : nullptr;
}

KNVTTaskStoreSyncCoordinator::SessionPointer
KNVTTaskStoreSyncCoordinator::makeSession(KNVTTaskStoreSyncSessionType type, bool pulls, bool useETags) const
{
    auto session = std::make_shared<KNVTTaskStoreDynamicSyncSession>(knvt::syncPushResources(),
                                                                     pulls ? knvt::syncPullResources() : QStringList());
    session->setType(type);
    session->setUseETags(useETags);
    if (pulls)
        session->setHTTPHeaderFields(m_taskStore->HTTPHeaderFields());
    return session;
}

void KNVTTaskStoreSyncCoordinator::startSyncSession()
{
    invalidateFullSyncSessionTimer();
    addSyncSession(makeSession(KNVTTaskStoreSyncSessionTypeSync, true, true));
}

void KNVTTaskStoreSyncCoordinator::startFullSyncSession()
{
    addSyncSession(makeSession(KNVTTaskStoreSyncSessionTypeSync, true, false));
}

void KNVTTaskStoreSyncCoordinator::startPushSyncSession()
{
    invalidatePushSyncSessionTimer();
    addSyncSession(makeSession(KNVTTaskStoreSyncSessionTypePush, false, false));
}

void KNVTTaskStoreSyncCoordinator::startSyncSessionIfRequired()
{
    // A regular session that has not started yet sends and fetches all there is when it runs, and so does the running
    // one while nothing was saved since it started: a second request, such as a double click, adds no second sync.
    const bool answered =
        std::any_of(m_syncSessions.begin(), m_syncSessions.end(), [this](const SessionPointer &queued) {
            if (queued->type() != KNVTTaskStoreSyncSessionTypeSync)
                return false;
            if (queued == m_currentSyncSession)
                return !m_savedSinceCurrentSessionStarted;
            return !queued->startDate().isValid();
        });
    if (!answered) {
        startSyncSession();
        return;
    }
    // A session that failed waits at the head of the queue until something starts the queue again: the user's request
    // does, whatever waits behind it, or nothing would be sent until the next save or timer.
    if (!m_currentSyncSession)
        scheduleProcessNextSyncSession();
}

void KNVTTaskStoreSyncCoordinator::addSyncSession(SessionPointer session)
{
    if (!session)
        return;
    m_syncSessions.push_back(std::move(session));
    if (!m_currentSyncSession)
        scheduleProcessNextSyncSession();
}

void KNVTTaskStoreSyncCoordinator::addSyncSessions(const std::vector<SessionPointer> &sessions)
{
    for (const SessionPointer &session : sessions)
        addSyncSession(session);
}

void KNVTTaskStoreSyncCoordinator::scheduleProcessNextSyncSession()
{
    QTimer::singleShot(knvt::Timing::ms(kProcessDelay), this, [this] { processNextSyncSession(); });
}

void KNVTTaskStoreSyncCoordinator::processNextSyncSession()
{
    if (m_syncSessions.empty() || m_currentSyncSession)
        return;
    // A session asked for before the password was refused would send the refused password again as it starts. It
    // waits in the queue instead: the password typed again asks for a sync, which finds it there and starts it.
    if (!m_taskStore->isAuthenticated())
        return;
    ostore::Context *mainContext = m_taskStore->managedObjectContext();
    if (!mainContext)
        return;

    const SessionPointer session = m_syncSessions.front();
    m_currentSyncSession = session;
    m_savedSinceCurrentSessionStarted = false;
    // A session resumed after a failure has handed its context back with everything it applied saved, so it goes on
    // from a fresh view of the store that includes the edits made while it waited.
    if (!session->managedObjectContext())
        session->setManagedObjectContext(std::make_unique<ostore::Context>(mainContext->coordinator()));
    m_currentContextConnection = connect(session->managedObjectContext(), &ostore::Context::didSave, this,
                                         &KNVTTaskStoreSyncCoordinator::currentSyncSessionManagedObjectContextDidSave);

    const KNVTTaskStoreSyncSessionInfo info = infoForSession(*session);
    if (m_delegate)
        m_delegate->taskStoreSyncCoordinatorWillStartSyncSession(*this, info);
    session->setSyncSessionDelegate(this);
    session->start();
    if (m_delegate)
        m_delegate->taskStoreSyncCoordinatorDidStartSyncSession(*this, infoForSession(*session));
}

void KNVTTaskStoreSyncCoordinator::saveSyncSessionChanges()
{
    if (!m_currentSyncSession)
        return;
    knvt::Error error;
    if (!m_currentSyncSession->saveManagedObjectContext(&error))
        qCWarning(lcSync).noquote() << "KNVTTaskStoreSyncCoordinator:saveSyncSessionChanges couldn't save:"
                                    << error.description();
}

void KNVTTaskStoreSyncCoordinator::cancelSyncSessions()
{
    m_syncSessions.clear();
    if (m_delegate)
        m_delegate->taskStoreSyncCoordinatorDidCancelSyncSessions(*this);
    if (m_currentSyncSession)
        m_currentSyncSession->cancel();
}

KNVTTaskStoreSyncCoordinator::SessionPointer
KNVTTaskStoreSyncCoordinator::releaseCurrentSyncSession(KNVTSyncSession &session)
{
    SessionPointer released;
    // The session's replies, its context and what it applied go with it; a pull of thousands of changes took much.
    knvt::returnFreedMemoryWhenIdle();
    if (m_currentSyncSession.get() == &session) {
        disconnect(m_currentContextConnection);
        m_currentContextConnection = {};
        released = std::move(m_currentSyncSession);
        m_currentSyncSession.reset();
    }
    return released;
}

void KNVTTaskStoreSyncCoordinator::removeFromQueue(const KNVTSyncSession &session)
{
    const auto it = std::find_if(m_syncSessions.begin(), m_syncSessions.end(),
                                 [&session](const SessionPointer &queued) { return queued.get() == &session; });
    if (it != m_syncSessions.end())
        m_syncSessions.erase(it);
}

// ---- Timers -------------------------------------------------------------------------------------------------------

bool KNVTTaskStoreSyncCoordinator::mayStartAutomatically() const
{
    return m_taskStore->isAutoSyncEnabled() && m_taskStore->isAuthenticated();
}

void KNVTTaskStoreSyncCoordinator::instantiateFullSyncSessionTimer()
{
    if (!m_enabled || m_autoSyncTimeInterval <= 0)
        return;
    m_fullSyncSessionTimer.start(knvt::Timing::ms(m_autoSyncTimeInterval));
}

void KNVTTaskStoreSyncCoordinator::instantiatePushSyncSessionTimer()
{
    if (m_autoSyncTimeInterval <= 0)
        return;
    m_pushSyncSessionTimer.start(knvt::Timing::ms(kPushDelay));
}

void KNVTTaskStoreSyncCoordinator::invalidateFullSyncSessionTimer()
{
    m_fullSyncSessionTimer.stop();
}

void KNVTTaskStoreSyncCoordinator::invalidatePushSyncSessionTimer()
{
    m_pushSyncSessionTimer.stop();
}

void KNVTTaskStoreSyncCoordinator::fullSyncSessionTimerDidFire()
{
    if (mayStartAutomatically())
        startSyncSession();
}

void KNVTTaskStoreSyncCoordinator::pushSyncSessionTimerDidFire()
{
    if (mayStartAutomatically())
        startPushSyncSession();
}

// ---- Observed events ----------------------------------------------------------------------------------------------

void KNVTTaskStoreSyncCoordinator::managedObjectContextDidSave(const ostore::ChangeSet &changes)
{
    m_savedSinceCurrentSessionStarted = true;
    // A save that only deletes schedules nothing.
    if (changes.inserted.empty() && changes.updated.empty())
        return;
    if (!m_automaticallyPushChanges || !m_enabled)
        return;
    QTimer::singleShot(knvt::Timing::ms(kProcessDelay), this, [this] {
        invalidatePushSyncSessionTimer();
        instantiatePushSyncSessionTimer();
    });
}

void KNVTTaskStoreSyncCoordinator::currentSyncSessionManagedObjectContextDidSave(const ostore::ChangeSet &changes)
{
    // Contexts share the committed rows, so the merge only tells the main context's observers; the store relays it
    // as its will-change and did-change, and the lists update. It is no local save: the push timer stays as it is.
    // It runs in a later pass than the write, which alone takes tens of milliseconds for thousands of rows; the
    // session's end comes after it.
    if (!m_taskStore->hasManagedObjectContext())
        return;
    const QPointer<ostore::Context> mainContext = m_taskStore->managedObjectContext();
    knvt::performBlockAfterWaitingEvents(this, [this, mainContext, changes] {
        if (mainContext && m_taskStore->hasManagedObjectContext()
            && m_taskStore->managedObjectContext() == mainContext.data())
            mainContext->mergeChanges(changes, ostore::ChangeOrigin::Merge);
    });
}

void KNVTTaskStoreSyncCoordinator::taskStoreSyncSettingsDidChange()
{
    const bool autoSync = m_taskStore->isAutoSyncEnabled();
    m_enabled = true;
    if (autoSync) {
        m_autoSyncTimeInterval = m_taskStore->autoSyncTimeInterval();
        m_automaticallyPushChanges = m_taskStore->isPushSyncingEnabled();
        if (!hasFullSyncSessionTimer())
            instantiateFullSyncSessionTimer();
    } else {
        m_autoSyncTimeInterval = 0;
        m_automaticallyPushChanges = false;
        // Both countdowns stop: a push timer left running would still send after sync was switched off.
        invalidateFullSyncSessionTimer();
        invalidatePushSyncSessionTimer();
    }
}

void KNVTTaskStoreSyncCoordinator::networkReachabilityDidChange()
{
    QTimer::singleShot(knvt::Timing::ms(kReachabilityDelay), this, [this] {
        if (!hasFullSyncSessionTimer())
            instantiateFullSyncSessionTimer();
    });
}

// ---- Session reports ----------------------------------------------------------------------------------------------

void KNVTTaskStoreSyncCoordinator::forgetStaleResourceETags(const KNVTTaskStoreSyncSession &session)
{
    if (session.staleResourceETags().isEmpty())
        return;
    QVariantMap tags = m_taskStore->resourceETags();
    qsizetype removed = 0;
    for (const QString &resource : session.staleResourceETags())
        removed += tags.remove(resource);
    if (removed > 0)
        m_taskStore->setResourceETags(tags);
}

void KNVTTaskStoreSyncCoordinator::syncSessionDidFinish(KNVTSyncSession &session)
{
    auto &storeSession = static_cast<KNVTTaskStoreSyncSession &>(session);
    forgetStaleResourceETags(storeSession);
    if (storeSession.type() == KNVTTaskStoreSyncSessionTypeSync)
        instantiateFullSyncSessionTimer();
    const SessionPointer finished = releaseCurrentSyncSession(session);
    removeFromQueue(session);
    if (m_delegate)
        m_delegate->taskStoreSyncCoordinatorDidFinishSyncSession(*this, infoForEndedSession(storeSession));
    if (!m_syncSessions.empty())
        processNextSyncSession();
}

void KNVTTaskStoreSyncCoordinator::syncSession(KNVTSyncSession &session, const knvt::Error &error)
{
    auto &storeSession = static_cast<KNVTTaskStoreSyncSession &>(session);
    // What the session applied before it failed is saved, and so must be what it learned of the stored tags.
    forgetStaleResourceETags(storeSession);
    const knvt::ServiceRefusal refusal = knvt::serviceRefusal(error);
    switch (refusal) {
    case knvt::ServiceRefusal::Credentials:
        if (m_delegate)
            m_delegate->taskStoreSyncCoordinatorDidFailAuthentication(*this);
        break;
    case knvt::ServiceRefusal::Version:
        if (m_delegate)
            m_delegate->taskStoreSyncCoordinatorDidFailAsNewerAPIVersionIsRequired(*this);
        break;
    case knvt::ServiceRefusal::None: instantiateFullSyncSessionTimer(); break;
    }
    const SessionPointer failed = releaseCurrentSyncSession(session);
    // A failed session waits at the head of the queue to resume where it stopped; one that ran through has nothing
    // left to resume. Nor has one whose password was refused: nothing goes until the password is typed again, and
    // that asks for a sync of everything, which a resume in front of it would only repeat in part.
    if (!storeSession.isResumable() || refusal == knvt::ServiceRefusal::Credentials)
        removeFromQueue(session);
    if (m_delegate)
        m_delegate->taskStoreSyncCoordinatorSyncSessionDidFailWithError(*this, infoForEndedSession(storeSession),
                                                                        error);
}

void KNVTTaskStoreSyncCoordinator::syncSessionDidCancel(KNVTSyncSession &session)
{
    auto &storeSession = static_cast<KNVTTaskStoreSyncSession &>(session);
    forgetStaleResourceETags(storeSession);
    const SessionPointer cancelled = releaseCurrentSyncSession(session);
    removeFromQueue(session);
    if (m_delegate)
        m_delegate->taskStoreSyncCoordinatorDidCancelSyncSession(*this, infoForSession(storeSession));
    instantiateFullSyncSessionTimer();
    // Sessions queued while the cancelled one wound down would otherwise wait for the next trigger.
    if (!m_syncSessions.empty() && !m_currentSyncSession)
        scheduleProcessNextSyncSession();
}

// ---- Requests -----------------------------------------------------------------------------------------------------

KNVTTaskStoreSyncRequestHeaders KNVTTaskStoreSyncCoordinator::requestHeaders() const
{
    KNVTTaskStore *store = m_taskStore;
    KNVTTaskStoreSyncRequestHeaders headers;
    headers.HTTPHeaderFields = [store] { return store->HTTPHeaderFields(); };
    headers.HTTPHeaderFieldsIncludingETagForResource = [store](const QString &resource) {
        return store->HTTPHeaderFieldsIncludingETagForResource(resource);
    };
    return headers;
}

KNVTRESTFulRequestSource KNVTTaskStoreSyncCoordinator::taskStoreDynamicSyncSessionPushRequestSourceForResource(
    KNVTTaskStoreDynamicSyncSession &session, const QString &resource)
{
    ostore::Context *context = session.managedObjectContext();
    if (!context)
        return {};
    auto plan = std::make_shared<KNVTTaskStoreSyncPlan>(*context, requestHeaders());
    // The plan lives in the session's state, which the session outlives.
    plan->setHeldCreationHandler([&session](ostore::Object &object) { session.creationHeld(object); });
    return KNVTTaskStoreSyncPlan::pushRequestSourceForResource(plan, resource);
}

KNVTRESTFulRequestList KNVTTaskStoreSyncCoordinator::taskStoreDynamicSyncSessionPullRequestsForResource(
    KNVTTaskStoreDynamicSyncSession &session, const QString &resource)
{
    ostore::Context *context = session.managedObjectContext();
    if (!context)
        return {};
    KNVTTaskStoreSyncPlan plan(*context, requestHeaders());
    return plan.pullRequestsForResource(resource, session.useETags(), session.staleResourceETags());
}

#include "moc_KNVTTaskStoreSyncCoordinator.cpp"
