#include "sync/KNVTTaskStoreSyncSession.h"

#include "sync/KNVTSyncSessionDelegate.h"
#include "sync/KNVTTaskStoreSyncSessionStateCancelled.h"
#include "sync/KNVTTaskStoreSyncSessionStateFinished.h"
#include "sync/KNVTTaskStoreSyncSessionStatePulling.h"
#include "sync/KNVTTaskStoreSyncSessionStatePushing.h"
#include "sync/Logging.h"
#include "sync/SessionPull.h"
#include "sync/SyncFailure.h"

#include "objectstore/Context.h"

#include "foundation/Clock.h"

KNVTTaskStoreSyncSession::KNVTTaskStoreSyncSession(KNVTRESTFulRequestList pushRequests,
                                                   KNVTRESTFulRequestList pullRequests)
    : m_pushRequests(std::move(pushRequests)),
      m_pullRequests(std::move(pullRequests)),
      m_pull(std::make_unique<knvt::SessionPull>(*this))
{}

KNVTTaskStoreSyncSession::~KNVTTaskStoreSyncSession() = default;

std::shared_ptr<KNVTTaskStoreSyncSession> KNVTTaskStoreSyncSession::sharedSession()
{
    return std::static_pointer_cast<KNVTTaskStoreSyncSession>(shared_from_this());
}

void KNVTTaskStoreSyncSession::setManagedObjectContext(std::unique_ptr<ostore::Context> context)
{
    m_context = std::move(context);
}

std::unique_ptr<ostore::Context> KNVTTaskStoreSyncSession::takeManagedObjectContext()
{
    return std::move(m_context);
}

bool KNVTTaskStoreSyncSession::saveManagedObjectContext(knvt::Error *error)
{
    m_pull->didSave();
    if (!m_context || !m_context->hasChanges())
        return true;
    m_pull->willSave();
    return m_context->save(error);
}

const QVariantMap &KNVTTaskStoreSyncSession::resourceETags() const
{
    return m_pull->resourceETags();
}

QStringList KNVTTaskStoreSyncSession::staleResourceETags() const
{
    return m_pull->staleResourceETags();
}

const knvt::Error &KNVTTaskStoreSyncSession::failedReadError() const
{
    return m_pull->failedReadError();
}

knvt::Error KNVTTaskStoreSyncSession::refusedChangesError() const
{
    return m_refusedChangeError ? knvt::syncRefusedChangesError(m_refusedChangeError, m_refusedChanges - 1)
                                : knvt::Error();
}

void KNVTTaskStoreSyncSession::start()
{
    m_startDate = knvt::Clock::shared().now();
    m_resumable = true;
    m_ranThrough = false;
    if (hasPushRequests())
        startPushingState();
    else if (hasPullRequests())
        startPullingState();
    else
        startFinishedState();
}

void KNVTTaskStoreSyncSession::cancel()
{
    if (state())
        state()->cancel();
}

void KNVTTaskStoreSyncSession::runState(std::shared_ptr<KNVTSyncSessionState> newState)
{
    // The session, and the state it drops, must live until this call returns, whatever the reports in between do.
    const auto self = shared_from_this();
    if (const auto &old = state())
        old->setSyncSessionStateDelegate(nullptr);
    newState->setSyncSession(sharedSession());
    newState->setSyncSessionStateDelegate(this);
    setState(newState);
    newState->start();
}

void KNVTTaskStoreSyncSession::startPushingState()
{
    runState(std::make_shared<KNVTTaskStoreSyncSessionStatePushing>(m_pushRequests));
}

void KNVTTaskStoreSyncSession::startPullingState()
{
    runState(std::make_shared<KNVTTaskStoreSyncSessionStatePulling>(m_pullRequests));
}

void KNVTTaskStoreSyncSession::startFinishedState()
{
    // What a reply left out and a failed read might hold is put off: a later pull reads that again and judges.
    removeObjectsStillMissing(false);
    m_pull->settleAnsweredGone();
    // A change the service answered it had no object for, while it still holds one, goes out again next time.
    if (const knvt::Error gone = m_pull->changeStillAnsweredGone())
        failRequest(gone);
    runState(std::make_shared<KNVTTaskStoreSyncSessionStateFinished>());
}

void KNVTTaskStoreSyncSession::removeObjectsStillMissing(bool listsOnly)
{
    m_pull->removeObjectsStillMissing(listsOnly);
}

void KNVTTaskStoreSyncSession::fetchAgainWhatWentMissing()
{
    m_pull->fetchAgainWhatWentMissing();
}

void KNVTTaskStoreSyncSession::startCancelledState()
{
    m_pull->settleAnsweredGone();
    fetchAgainWhatWentMissing();
    runState(std::make_shared<KNVTTaskStoreSyncSessionStateCancelled>());
}

void KNVTTaskStoreSyncSession::takeHasChangesOf(const KNVTSyncSessionState &state)
{
    if (const auto *finished = dynamic_cast<const KNVTTaskStoreSyncSessionStateFinished *>(&state))
        m_hasChanges = finished->hasChanges();
    else if (const auto *cancelled = dynamic_cast<const KNVTTaskStoreSyncSessionStateCancelled *>(&state))
        m_hasChanges = cancelled->hasChanges();
}

bool KNVTTaskStoreSyncSession::endSessionWithState(KNVTSyncSessionState &state)
{
    if (dynamic_cast<KNVTTaskStoreSyncSessionStateCancelled *>(&state)) {
        takeHasChangesOf(state);
        if (syncSessionDelegate())
            syncSessionDelegate()->syncSessionDidCancel(*this);
        return true;
    }
    if (state.isCancelling()) {
        startCancelledState();
        return true;
    }
    if (dynamic_cast<KNVTTaskStoreSyncSessionStateFinished *>(&state)) {
        takeHasChangesOf(state);
        setState(nullptr);
        m_ranThrough = true;
        // A session finishes only when every request it made went through; what one that failed was to send or read
        // is left to the next session, and until then the user is told that syncing failed. A change the service
        // refused is named first, as only the user can change it.
        if (const knvt::Error error = failedRequestError())
            endAsFailed(false, m_refusedChangeError ? refusedChangesError() : error);
        else if (syncSessionDelegate())
            syncSessionDelegate()->syncSessionDidFinish(*this);
        return true;
    }
    return false;
}

void KNVTTaskStoreSyncSession::syncSessionStateDidFinish(KNVTSyncSessionState &state)
{
    const auto self = shared_from_this();
    if (endSessionWithState(state))
        return;
    if (dynamic_cast<KNVTTaskStoreSyncSessionStatePushing *>(&state) && hasPullRequests())
        startPullingState();
    else
        startFinishedState();
}

void KNVTTaskStoreSyncSession::syncSessionStateDidCancel(KNVTSyncSessionState &)
{
    startCancelledState();
}

void KNVTTaskStoreSyncSession::syncSessionState(KNVTSyncSessionState &state, const knvt::Error &error)
{
    const bool finalSave = dynamic_cast<KNVTTaskStoreSyncSessionStateFinished *>(&state) != nullptr;
    endAsFailed(!finalSave, error);
}

void KNVTTaskStoreSyncSession::endAsFailed(bool resumable, const knvt::Error &error)
{
    const auto self = shared_from_this();
    m_resumable = resumable;
    m_pull->settleAnsweredGone();
    fetchAgainWhatWentMissing();
    if (resumable) {
        // What the replies so far applied (server identifiers of created objects above all) exists only in this
        // context; kept unsaved it would be lost at quit, and a late resume would overwrite newer edits with it.
        knvt::Error saveError;
        if (!saveManagedObjectContext(&saveError))
            qCWarning(lcSync).noquote() << "a failed session could not keep its results:" << saveError.description();
    }
    // The resume starts on a fresh view of the store.
    m_context.reset();
    if (syncSessionDelegate())
        syncSessionDelegate()->syncSession(*this, error);
}
