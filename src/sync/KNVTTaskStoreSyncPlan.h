#pragma once

#include "sync/KNVTTaskStoreSyncRequestHeaders.h"

#include "service/KNVTRESTFulRequest.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ostore {
class Context;
class Object;
} // namespace ostore

class KNVTCDFriendship;
class KNVTCDTask;
class KNVTCDTaskList;
class KNVTCDUser;

using KNVTRESTFulRequestList = std::vector<std::shared_ptr<KNVTRESTFulRequest>>;
// Hands out requests one at a time, as a session is about to send them; nullptr once there are none left.
using KNVTRESTFulRequestSource = std::function<std::shared_ptr<KNVTRESTFulRequest>()>;

// The push and pull requests of one resource name, built from a context as it stands at that moment (during a
// session, the session's own context, so that each resource sees what the earlier ones applied) and with the header
// fields of that moment. The sync coordinator answers its sessions' requests through it.
class KNVTTaskStoreSyncPlan
{
public:
    KNVTTaskStoreSyncPlan(ostore::Context &context, KNVTTaskStoreSyncRequestHeaders headers);

    // A new object the push holds back, as the plan of its resource is made: one whose creation may have reached the
    // service (a read of where it lands goes first, and settles it), or one kept unsent until the user changes it. One
    // kept while more than one object of the service could be it, as its turn comes: held (deleted by the user too, while
    // the service's copies stand).
    using HeldCreationHandler = std::function<void(ostore::Object &object)>;
    void setHeldCreationHandler(HeldCreationHandler handler) { m_heldCreationHandler = std::move(handler); }

    // A name outside the push resources gives no requests. A new object whose creation may have reached the service is
    // sent only once a read of where it lands has settled it: those reads come first.
    KNVTRESTFulRequestList pushRequestsForResource(const QString &resource);
    // The same requests, each built from the objects as they stand when the session is about to send it, so that a
    // push of thousands of objects never holds the main thread up building them all at once. The source keeps `plan`.
    static KNVTRESTFulRequestSource pushRequestSourceForResource(const std::shared_ptr<KNVTTaskStoreSyncPlan> &plan,
                                                                 const QString &resource);
    // Hands out `requests` in their order.
    static KNVTRESTFulRequestSource requestSource(KNVTRESTFulRequestList requests);
    // List pulls carry the stored entity tag of their resource when `useETags` is set, except for the tag keys of
    // `untrustedETags`, whose collections are fetched whole. A name outside the pull resources gives no requests.
    KNVTRESTFulRequestList pullRequestsForResource(const QString &resource, bool useETags,
                                                   const QStringList &untrustedETags = {});

    KNVTRESTFulRequestList pendingFriendshipPushRequests();
    KNVTRESTFulRequestList pendingTaskListPushRequests();
    KNVTRESTFulRequestList pendingTaskListCollaboratorPushRequests();
    KNVTRESTFulRequestList pendingTaskPushRequests();
    KNVTRESTFulRequestList pendingTaskWatcherPushRequests();
    KNVTRESTFulRequestList pendingTaskCommentPushRequests();
    KNVTRESTFulRequestList pendingTagPushRequests();
    KNVTRESTFulRequestList pendingTaggedTaskPushRequests();

    // Never pushed, or changed since the last push, of one entity.
    std::vector<ostore::Object *> pendingObjectsForEntityName(const QString &entityName);
    // Those the local user sent, deleted ones included; declines are never pushed, as the service has no declined
    // state and their body would read as an acceptance.
    std::vector<KNVTCDFriendship *> pendingFriendships();

    std::vector<KNVTCDTaskList *> taskListsNeedingUpdate();
    std::vector<KNVTCDUser *> usersNeedingAvatarUpdate();
    KNVTRESTFulRequestList taskListsNeedingUpdateRequests();
    KNVTRESTFulRequestList usersNeedingAvatarUpdateRequests();

private:
    KNVTRESTFulRequestList pendingPushRequests(const QString &resource);
    // Over the objects pending when it is made; `keep` is held by the source for as long as it lives.
    KNVTRESTFulRequestSource pendingPushRequestSource(const QString &resource,
                                                      std::shared_ptr<KNVTTaskStoreSyncPlan> keep);
    // nullptr for an object that sends nothing now.
    std::shared_ptr<KNVTRESTFulRequest> pendingPushRequest(ostore::Object &object, const QString &entityName,
                                                           const QString &resource, const QString &bodyEntityName);
    std::shared_ptr<KNVTRESTFulRequest> pushRequest(const ostore::Object &object, const QString &resource,
                                                    const QString &bodyEntityName, const QVariant &identifier,
                                                    const QStringList &keys, KNVTRESTFulRequestAction action);
    std::shared_ptr<KNVTRESTFulRequest> listPullRequest(const QString &resource, const QString &include,
                                                        const QString &eTagKey, bool useETags);
    QStringList committedKeys(const ostore::Object &object) const;
    // The reads that settle the new objects of `pending` whose creation may have reached the service; hands every new
    // object held back to the handler.
    KNVTRESTFulRequestList creationChecks(const std::vector<ostore::Object *> &pending);
    // Whether a new object is held back now: in doubt until a read settles it, or kept until the user changes it.
    static bool holdsCreation(ostore::Object &object);
    // Whether a new object kept while more than one object of the service could be it is held back now, by what the
    // user did to it and the copies the library holds (knvt::CreationsInDoubt::settleUnsettled); deleted, it is held
    // while two or more copies stand, then dropped with nothing sent.
    bool holdsUnsettled(ostore::Object &object);
    std::shared_ptr<KNVTRESTFulRequest> listReadRequest(const KNVTCDTaskList &taskList);
    // The plain header fields, read once per plan: they carry the password, which the keychain answers over the
    // session bus, and a push of thousands of objects would wait for one round trip per request.
    const knvt::HeaderFields &plainHeaders();

    ostore::Context &m_context;
    KNVTTaskStoreSyncRequestHeaders m_headers;
    std::optional<knvt::HeaderFields> m_plainHeaders;
    HeldCreationHandler m_heldCreationHandler;
};
