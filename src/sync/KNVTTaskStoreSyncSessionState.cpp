#include "sync/KNVTTaskStoreSyncSessionState.h"

#include "sync/KNVTTaskStoreSyncSession.h"
#include "sync/SyncAnswerTable.h"

#include "objectstore/Context.h"

#include "foundation/ThreadAdditions.h"

#include <algorithm>
#include <chrono>

namespace {

// How long one slice of a pulled reply may hold the main thread: a few milliseconds, well inside a frame.
constexpr std::chrono::milliseconds kReplySlice{4};

} // namespace

KNVTTaskStoreSyncSessionState::KNVTTaskStoreSyncSessionState(Phase phase, KNVTRESTFulRequestList requests)
    : m_phase(phase), m_pending(std::move(requests))
{}

KNVTTaskStoreSyncSessionState::KNVTTaskStoreSyncSessionState(Phase phase, KNVTRESTFulRequestSource source)
    : m_phase(phase), m_source(std::move(source))
{}

bool KNVTTaskStoreSyncSessionState::hasNextRequest()
{
    if (m_pending.empty() && m_source) {
        if (std::shared_ptr<KNVTRESTFulRequest> request = m_source())
            m_pending.push_back(std::move(request));
        else
            m_source = nullptr;
    }
    return !m_pending.empty();
}

void KNVTTaskStoreSyncSessionState::startSending()
{
    if (hasNextRequest())
        processNextRequest();
    else
        finish();
}

void KNVTTaskStoreSyncSessionState::processNextRequest()
{
    if (isCancelling()) {
        finishAsCancelled();
        return;
    }
    if (m_pending.empty())
        return;
    const std::shared_ptr<KNVTRESTFulRequest> request = m_pending.front();
    if (const auto session = syncSession())
        session->willSendRequest(*request);
    const std::weak_ptr<KNVTSyncSessionState> weakState = weak_from_this();
    request->performRequestWithCompletionHandler(
        [weakState, request](const std::optional<knvt::HttpResponse> &, const QByteArray &,
                             const knvt::Error &requestError, const knvt::Error &error) {
            // Everything that touches the model runs on the main thread.
            knvt::performBlockOnMainThread([weakState, request, requestError, error] {
                const auto state = std::static_pointer_cast<KNVTTaskStoreSyncSessionState>(weakState.lock());
                if (state)
                    state->handleReply(request, requestError, error);
            });
        });
}

void KNVTTaskStoreSyncSessionState::settle(const std::shared_ptr<KNVTRESTFulRequest> &request,
                                           KNVTRESTFulRequestList &into)
{
    into.push_back(request);
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), request), m_pending.end());
}

void KNVTTaskStoreSyncSessionState::handleReply(const std::shared_ptr<KNVTRESTFulRequest> &request,
                                                const knvt::Error &requestError, const knvt::Error &error)
{
    const auto self = shared_from_this();
    const auto session = syncSession();
    if (!session || !isExecuting())
        return;
    const knvt::SyncAnswerTable::Answer answer = knvt::SyncAnswerTable::answerOf(*request);
    if (knvt::SyncAnswerTable::stopsSession(answer)) {
        // A refusal concerns every request alike, and a service that does not answer is not asked again now: the
        // session ends rather than trying the rest, and this request stays pending for its resume.
        finishWithError(requestError ? requestError : error);
        return;
    }
    if (answer != knvt::SyncAnswerTable::Answer::Success) {
        session->processFailedRequest(*request);
        settle(request, m_failed);
    } else if (m_phase == Phase::Pull || request->requestMethod() == KNVTRequestMethodGET) {
        // A push reads too, where a read settles what the service made of a create whose answer never came.
        session->beginGETRequest(request);
        applyPulledReply(request);
        return;
    } else {
        switch (request->requestMethod()) {
        case KNVTRequestMethodPOST: session->processPOSTRequest(*request); break;
        case KNVTRequestMethodPUT: session->processPUTRequest(*request); break;
        case KNVTRequestMethodDELETE: session->processDELETERequest(*request); break;
        default: break;
        }
        settle(request, m_successful);
    }
    sendNextRequestOrFinish();
}

void KNVTTaskStoreSyncSessionState::sendNextRequestOrFinish()
{
    if (hasNextRequest())
        processNextRequest();
    else
        finish();
}

void KNVTTaskStoreSyncSessionState::applyPulledReply(const std::shared_ptr<KNVTRESTFulRequest> &request)
{
    const auto self = shared_from_this();
    const auto session = syncSession();
    if (!session || !isExecuting())
        return;
    if (!session->continueGETRequest(QDeadlineTimer(kReplySlice))) {
        const std::weak_ptr<KNVTSyncSessionState> weakState = weak_from_this();
        knvt::performBlockAfterWaitingEvents(session->managedObjectContext(), [weakState, request] {
            if (const auto state = std::static_pointer_cast<KNVTTaskStoreSyncSessionState>(weakState.lock()))
                state->applyPulledReply(request);
        });
        return;
    }
    settle(request, m_successful);
    sendNextRequestOrFinish();
}
