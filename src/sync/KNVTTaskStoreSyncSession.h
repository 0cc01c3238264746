#pragma once

#include "sync/KNVTSyncSession.h"
#include "sync/KNVTSyncSessionStateDelegate.h"
#include "sync/KNVTTaskStoreSyncPlan.h"
#include "sync/KNVTTaskStoreSyncSessionType.h"

#include "service/URLRequest.h"

#include "objectstore/ObjectID.h"

#include "foundation/JSONView.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QVariantMap>

#include <memory>

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
    const QVariantMap &resourceETags() const { return m_resourceETags; }
    // Resource keys whose stored entity tag no longer describes what is here, so that the next pull of each must
    // fetch it whole: a reply held elements that could not be read, a tag links tasks that are not here, or links
    // went with their tasks while the service's tags stayed as they were. The session hands over no tag for them.
    const QStringList &staleResourceETags() const { return m_staleResourceETags; }
    bool hasChanges() const { return m_hasChanges; }

    // The session's own context, given by the coordinator the first time the session runs. A failed session has
    // already saved what it applied and holds none, so its resume works on a fresh view of the store.
    ostore::Context *managedObjectContext() const { return m_context.get(); }
    void setManagedObjectContext(std::unique_ptr<ostore::Context> context);
    std::unique_ptr<ostore::Context> takeManagedObjectContext();
    // Saves what the replies applied to the session's context, when there is anything; every save of a session goes
    // through here.
    bool saveManagedObjectContext(knvt::Error *error = nullptr);

    // Whether a failed session can be started again where it stopped. A session whose final save failed cannot: its
    // requests are all done and what they applied is lost, so the coordinator drops it.
    bool isResumable() const { return m_resumable; }

    // ---- Replies, called by the states on the main thread --------------------------------------------------------
    // Applies a pull's reply at once.
    void processGETRequest(const KNVTRESTFulRequest &request);
    // Applies a pull's reply a slice at a time through the session's pull (knvt::SessionPull), so that the window
    // answers between the slices of a reply of thousands of objects: begin, then continue in later passes until it
    // answers true.
    void beginGETRequest(std::shared_ptr<const KNVTRESTFulRequest> request);
    bool continueGETRequest(const QDeadlineTimer &deadline);
    void processPOSTRequest(const KNVTRESTFulRequest &request);
    void processPUTRequest(const KNVTRESTFulRequest &request);
    void processDELETERequest(const KNVTRESTFulRequest &request);
    // A reply with an HTTP error status that does not end the session. Unless the answer settles what was asked (the
    // service has no such object, or refuses a new one for good), what the request was to send or read is still to
    // do, and the session ends failed once its other requests are done.
    void processFailedRequest(const KNVTRESTFulRequest &request);
    // The error of the first request of this session that failed and left its work to a later session; null while
    // none did. It outlives a resume: the work of that request is still not done.
    const knvt::Error &failedRequestError() const { return m_failedRequestError; }
    // Whether a pull failed so: what its reply would have held is not known, so nothing its siblings left out is gone.
    bool hasFailedPull() const { return m_hasFailedPull; }
    // Keeps the entity tag of a list pull.
    void processMetaDataForRequest(const KNVTRESTFulRequest &request);

    // A reply other than a pull's array, which beginGETRequest applies under its collection's rule.
    void processJSONObject(const knvt::JSONView &value, const KNVTRESTFulRequest &request);
    void processJSONObject(const knvt::JSONView &value);
    void processJSONArray(const knvt::JSONView &array);
    void processJSONDictionary(const knvt::JSONView &object);
    // The upsert of one entity by its "id": the local object of that identifier, or a new one, merged with `inner`.
    // nullptr for an inner object without an identifier, which cannot be matched.
    // `applied` tells whether the reply was applied whole rather than only its missing nested rows.
    ostore::Object *processJSONEntityObject(const QString &entityName, const knvt::JSONView &inner,
                                            bool *applied = nullptr);
    // Stores an avatar's bytes when they decode as an image; returns whether it did.
    bool processPNGData(const QByteArray &data, const KNVTRESTFulRequest &request);

    // ---- Steps the pull applies its replies with ----------------------------------------------------------------
    // The inner object of a wrapped entity when it can be matched with what is here: an object under `rootKey` that
    // carries the service's identifier.
    static std::optional<knvt::JSONView> readableEntity(const knvt::JSONView &element, std::string_view rootKey);
    // Merges a reply into `object` without overwriting what is still waiting locally to be pushed: a key recorded
    // in its change list keeps its local value and stays recorded, unless `sent` shows that the value the reply
    // answers is the one still held (then the reply delivers it).
    bool mergeReply(ostore::Object &object, const knvt::JSONView &inner, const QVariantMap &sent = {});
    void removeTaskListWithTasks(ostore::Object *taskList);
    // Logs a pull reply that holds elements (or nested elements) that cannot be read, or is not what the resource
    // answers, and keeps no entity tag for that collection.
    void checkReadabilityOfPullReply(const knvt::JSONView &value, const KNVTRESTFulRequest &request);
    // Whether a tags reply links a task that is not here, a link that could not be stored.
    bool linksTasksThatAreNotHere(const knvt::JSONView &tags) const;
    void invalidateResourceETag(const QString &resource);

    // ---- Lookups in the session's context ------------------------------------------------------------------------
    ostore::Object *objectForNumericIdentifier(const QString &entityName, std::optional<qint64> identifier) const;
    ostore::Object *friendshipForInviterNumericIdentifier(std::optional<qint64> inviter,
                                                          std::optional<qint64> invitee) const;
    std::vector<ostore::Object *> tasksForTaskListWithNumericIdentifier(std::optional<qint64> identifier) const;

    // KNVTSyncSessionStateDelegate
    void syncSessionStateDidFinish(KNVTSyncSessionState &state) override;
    void syncSessionStateDidCancel(KNVTSyncSessionState &state) override;
    void syncSessionState(KNVTSyncSessionState &state, const knvt::Error &error) override;

protected:
    // With `tasksToo` false only the lists: once every collection of lists is read, a list none of them holds is gone
    // and need not be fetched.
    void removeObjectsStillMissing(bool tasksToo);
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
    // Whether the failure of `request` is the service's answer to it, acted on here.
    bool settleFailedRequest(const KNVTRESTFulRequest &request);
    // Reports the end of the run as a failure; a session whose requests are all done has nothing to resume.
    void endAsFailed(bool resumable, const knvt::Error &error);
    ostore::Object *pushedObject(const KNVTRESTFulRequest &request) const;
    void setChangedKeys(ostore::Object &object, QStringList keys);
    void insertTombstone(const QString &entityName, const knvt::JSONView &inner);
    // Looks at what the context is about to delete for links that go with their task.
    void invalidateResourceETagsOfCascadedDeletions();

    KNVTRESTFulRequestList m_pushRequests;
    KNVTRESTFulRequestList m_pullRequests;
    KNVTTaskStoreSyncSessionType m_type = KNVTTaskStoreSyncSessionTypeSync;
    bool m_useETags = false;
    QDateTime m_startDate;
    knvt::HeaderFields m_HTTPHeaderFields;
    QVariantMap m_resourceETags;
    QStringList m_staleResourceETags;
    bool m_hasChanges = false;
    bool m_resumable = true;
    knvt::Error m_failedRequestError;
    bool m_hasFailedPull = false;
    std::unique_ptr<ostore::Context> m_context;
    // Declared after the context, which it works in, so that it goes first.
    std::unique_ptr<knvt::SessionPull> m_pull;
};
