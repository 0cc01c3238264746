#pragma once

#include "sync/KNVTSyncSession.h"
#include "sync/KNVTSyncSessionStateDelegate.h"
#include "sync/KNVTTaskStoreSyncPlan.h"
#include "sync/KNVTTaskStoreSyncSessionType.h"
#include "sync/SyncFailure.h"

#include "store/KNVTTaskStoreLostEdit.h"

#include "service/URLRequest.h"

#include "objectstore/ObjectID.h"

#include "foundation/JSONView.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <vector>

namespace ostore {
class Context;
class Object;
} // namespace ostore

class KNVTRESTFulPullRequest;

namespace knvt {
class SessionPull;
}

// A session over the task store: it sends its push requests and then its pull requests, applies every reply to its
// own object context, and saves that context at the end. The replies are applied here, on the main thread.
class KNVTTaskStoreSyncSession : public KNVTSyncSession, public KNVTSyncSessionStateDelegate
{
public:
    KNVTTaskStoreSyncSession(KNVTRESTFulRequestList pushRequests, KNVTRESTFulRequestList pullRequests);
    ~KNVTTaskStoreSyncSession() override;

    // Records the start date, then pushes, pulls, or finishes at once when it has no requests.
    void start() override;
    void cancel() override;

    void startPushingState();
    void startPullingState();
    void startFinishedState();
    void startCancelledState();

    bool hasPushRequests() const { return !m_pushRequests.empty(); }
    bool hasPullRequests() const { return !m_pullRequests.empty(); }
    const KNVTRESTFulRequestList &pushRequests() const { return m_pushRequests; }
    const KNVTRESTFulRequestList &pullRequests() const { return m_pullRequests; }

    KNVTTaskStoreSyncSessionType type() const { return m_type; }
    void setType(KNVTTaskStoreSyncSessionType type) { m_type = type; }
    bool useETags() const { return m_useETags; }
    void setUseETags(bool useETags) { m_useETags = useETags; }
    QDateTime startDate() const { return m_startDate; }
    const knvt::HeaderFields &HTTPHeaderFields() const { return m_HTTPHeaderFields; }
    void setHTTPHeaderFields(const knvt::HeaderFields &fields) { m_HTTPHeaderFields = fields; }
    // Resource key -> entity tag (a QString) received in this session.
    const QVariantMap &resourceETags() const;
    // Resource keys whose stored entity tag no longer describes what is here, so that the next pull of each must
    // fetch it whole (knvt::SessionPull::staleResourceETags). The session hands over no tag for them.
    QStringList staleResourceETags() const;
    bool hasChanges() const { return m_hasChanges; }

    // The session's own context, given by the coordinator the first time the session runs. A failed session has
    // already saved what it applied and holds none, so its resume works on a fresh view of the store.
    ostore::Context *managedObjectContext() const { return m_context.get(); }
    void setManagedObjectContext(std::unique_ptr<ostore::Context> context);
    std::unique_ptr<ostore::Context> takeManagedObjectContext();
    // Saves what the replies applied to the session's context, when there is anything; every save of a session goes
    // through here.
    bool saveManagedObjectContext(knvt::Error *error = nullptr);

    // Whether the session got an answer to every request it made and saved what they brought, whether or not some
    // failed: what it read then stands in the library.
    bool ranThrough() const { return m_ranThrough; }

    // Whether a failed session can be started again where it stopped. A session whose final save failed cannot: its
    // requests are all done and what they applied is lost, so the coordinator drops it.
    bool isResumable() const { return m_resumable; }

    // ---- Requests, called by the states on the main thread -------------------------------------------------------
    // Before a request goes out: a create is marked as possibly sent, and the mark is saved, so that however the
    // program ends while the create is under way (kill -9 included), the next push first asks a read of where it
    // lands what the service made of it.
    void willSendRequest(const KNVTRESTFulRequest &request);
    // A new object the push holds back (KNVTTaskStoreSyncPlan::setHeldCreationHandler), for the reads to settle.
    void creationHeld(ostore::Object &object);

    // ---- Replies, called by the states on the main thread --------------------------------------------------------
    // Every answer is settled by knvt::SyncAnswerTable: what it does to the object or list it concerns, and whether
    // the session ends failed. A session fails when any request's work is left to a later session (sent or read
    // again): the user is told why until a session succeeds. A change the service refuses fails nothing else: the
    // session ends as its other requests have it, and names the change to the user.
    // Applies a read's reply at once.
    void processGETRequest(const KNVTRESTFulRequest &request);
    // Applies a read's reply a slice at a time through the session's pull (knvt::SessionPull), so that the window
    // answers between the slices of a reply of thousands of objects: begin, then continue in later passes until it
    // answers true.
    void beginGETRequest(std::shared_ptr<const KNVTRESTFulRequest> request);
    bool continueGETRequest(const QDeadlineTimer &deadline);
    // A create's reply is merged into the object that was posted.
    void processPOSTRequest(const KNVTRESTFulRequest &request);
    // The change is delivered when the body of the reply reads as the service's answer (none, or JSON).
    void processPUTRequest(const KNVTRESTFulRequest &request);
    void processDELETERequest(const KNVTRESTFulRequest &request);
    // A reply with an HTTP error status that does not end the session.
    void processFailedRequest(const KNVTRESTFulRequest &request);
    // The error of the first request whose work is left to a later session; null while there is none. It outlives a
    // resume: the work of that request is still not done.
    knvt::Error failedRequestError() const { return m_failedRequestError; }
    // The changes the service refused in this session, the first named with the number of the others
    // (knvt::syncRefusedChangesError); null while it refused none.
    knvt::Error refusedChangesError() const;
    // The error of the first read that failed, or whose answer left the library at odds with what the session read;
    // null while none did.
    const knvt::Error &failedReadError() const;
    // Names to the user a change of `object` that the service refused with `error` (none for a new object the
    // service may already hold more than once), and what became of it; the first is named, the others counted.
    void nameRefusedChange(const ostore::Object &object, const knvt::Error &error, knvt::SyncRefusal refusal);
    // What the user wrote on objects the service had deleted before it got the edit, handed over once.
    std::vector<KNVTTaskStoreLostEdit> takeLostEdits();

    // A reply of the service's wrapped entities, applied as a whole: a create's under its root key, the account's,
    // or whatever entities it holds; no collection rule runs.
    void processJSONObject(const knvt::JSONView &value, const KNVTRESTFulRequest &request);

    // KNVTSyncSessionStateDelegate
    void syncSessionStateDidFinish(KNVTSyncSessionState &state) override;
    void syncSessionStateDidCancel(KNVTSyncSessionState &state) override;
    void syncSessionState(KNVTSyncSessionState &state, const knvt::Error &error) override;

protected:
    // With `listsOnly` only the lists: once every collection of lists is read, a list none of them holds is gone and
    // need not be fetched.
    void removeObjectsStillMissing(bool listsOnly);
    // A failed or cancelled session removes nothing the pull put off: what it read is fetched whole again instead.
    void fetchAgainWhatWentMissing();
    // Replaces the current state by `state`, owned by this session, and starts it.
    void runState(std::shared_ptr<KNVTSyncSessionState> state);
    void setStartDate(const QDateTime &date) { m_startDate = date; }
    void setHasChanges(bool hasChanges) { m_hasChanges = hasChanges; }
    // Copies the hasChanges of an ending state into the session.
    void takeHasChangesOf(const KNVTSyncSessionState &state);
    // The endings every kind of session shares: a Cancelled state ends the session cancelled, and so does any state
    // cancelled while its last reply was in flight (its queues are already empty); a Finished state ends it finished.
    // True when `state` ended the session here.
    bool endSessionWithState(KNVTSyncSessionState &state);
    std::shared_ptr<KNVTTaskStoreSyncSession> sharedSession();

private:
    // Carries out the cell of knvt::SyncAnswerTable for what `request` was answered; `readable` tells whether a
    // reply of a success status read as what was asked.
    void settleAnswer(const KNVTRESTFulRequest &request, bool readable = true);
    // Leaves the work of a request to a later session: the session ends failed with the first such error.
    void failRequest(const knvt::Error &error);
    // Undoes the change `request` carried of `object`, which the service does not allow: a new object goes; any other
    // waits for the service's copy and sends nothing of what the request carried again.
    void undoChange(ostore::Object &object, const KNVTRESTFulRequest &request);
    // The keys of `object` still waiting for a push once `request` is answered: those it did not carry, or whose values
    // changed since it went out.
    QStringList changedKeysAfter(const ostore::Object &object, const KNVTRESTFulRequest &request) const;
    // Reports the end of the run as a failure; a session whose requests are all done has nothing to resume.
    void endAsFailed(bool resumable, const knvt::Error &error);
    ostore::Object *pushedObject(const KNVTRESTFulRequest &request) const;
    // Merges a create's reply into the object that was posted; false when the reply does not hold the created object.
    bool applyCreatedObject(const knvt::JSONView &value, const KNVTRESTFulRequest &request);
    void insertTombstone(const QString &entityName, const knvt::JSONView &inner);

    KNVTRESTFulRequestList m_pushRequests;
    KNVTRESTFulRequestList m_pullRequests;
    KNVTTaskStoreSyncSessionType m_type = KNVTTaskStoreSyncSessionTypeSync;
    bool m_useETags = false;
    QDateTime m_startDate;
    knvt::HeaderFields m_HTTPHeaderFields;
    bool m_hasChanges = false;
    bool m_resumable = true;
    bool m_ranThrough = false;
    knvt::Error m_failedRequestError;
    knvt::Error m_refusedChangeError;
    int m_refusedChanges = 0;
    // New objects sent once more because a read since their 404 showed where they land.
    QSet<ostore::ObjectID> m_sentAfterPlaceShown;
    // The read whose reply the pull applies now.
    std::shared_ptr<const KNVTRESTFulRequest> m_readRequest;
    std::unique_ptr<ostore::Context> m_context;
    // Declared after the context, which it works in, so that it goes first.
    std::unique_ptr<knvt::SessionPull> m_pull;
};
