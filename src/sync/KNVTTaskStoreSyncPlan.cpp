#include "sync/KNVTTaskStoreSyncPlan.h"

#include "sync/CreationsInDoubt.h"
#include "sync/KNVTTaskStoreSyncResources.h"
#include "sync/Logging.h"
#include "sync/SyncWireAttributes.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTFriendshipStatus.h"
#include "model/KNVTUserFriendshipStatus.h"

#include "service/KNVTRESTFulPullRequest.h"
#include "service/KNVTRESTFulPushRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

#include <algorithm>

using namespace ostore::where;

namespace {

const QString kInclude = QStringLiteral("include");
const QString kListInclude = QStringLiteral("task_list_collaborators,users");
const QString kListItemInclude = QStringLiteral("task_list_collaborators,tasks,comments,task_watchers,users");

using PushState = KNVTCDTaskStoreObject::PushState;

// The include of each read of a collection.
QString includeOf(const QString &resource)
{
    static const QHash<QString, QString> includes{
        {QStringLiteral("account"), QStringLiteral("owner")},
        {QStringLiteral("friendships"), QStringLiteral("invitee")},
        {QStringLiteral("friendships/invites"), QStringLiteral("inviter")},
        {QStringLiteral("tasks/inbox"), QStringLiteral("comments,users,task_watchers")},
        {QStringLiteral("tags"), QStringLiteral("tagged_items")}};
    return resource.startsWith(QLatin1String("task_lists")) ? kListInclude : includes.value(resource);
}

bool hasNumericIdentifier(const ostore::Object &object)
{
    return std::holds_alternative<qint64>(object.value(QStringLiteral("numericIdentifier")));
}

// What a new object names on the service by identifier: its list, its task, its tag.
std::vector<const ostore::Object *> parentsOf(const ostore::Object &object)
{
    const QString &entity = object.entity().name;
    if (entity == QLatin1String("KNVTCDTask"))
        return {static_cast<const KNVTCDTask &>(object).taskList()};
    if (entity == QLatin1String("KNVTCDTaskComment"))
        return {static_cast<const KNVTCDTaskComment &>(object).task()};
    if (entity == QLatin1String("KNVTCDTaskWatcher"))
        return {static_cast<const KNVTCDTaskWatcher &>(object).task()};
    if (entity == QLatin1String("KNVTCDTaggedTask")) {
        const auto &link = static_cast<const KNVTCDTaggedTask &>(object);
        return {link.tag(), link.task()};
    }
    if (entity == QLatin1String("KNVTCDTaskListCollaborator"))
        return {static_cast<const KNVTCDTaskListCollaborator &>(object).taskList()};
    return {};
}

// A new object whose parent the service does not have yet would reach it without the parent's identifier, and its
// refusal would read as the user's. It waits, unsent, until the parent is made; a parent the service refused keeps it
// waiting with it, named once as the parent is.
bool waitsForParent(const ostore::Object &object)
{
    const std::vector<const ostore::Object *> parents = parentsOf(object);
    return std::any_of(parents.begin(), parents.end(),
                       [](const ostore::Object *parent) { return parent && !hasNumericIdentifier(*parent); });
}

} // namespace

KNVTTaskStoreSyncPlan::KNVTTaskStoreSyncPlan(ostore::Context &context, KNVTTaskStoreSyncRequestHeaders headers)
    : m_context(context), m_headers(std::move(headers))
{}

// ---- Push ----

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pushRequestsForResource(const QString &resource)
{
    if (resource == QLatin1String("friendships"))
        return pendingFriendshipPushRequests();
    return pendingPushRequests(resource);
}

KNVTRESTFulRequestSource
KNVTTaskStoreSyncPlan::pushRequestSourceForResource(const std::shared_ptr<KNVTTaskStoreSyncPlan> &plan,
                                                    const QString &resource)
{
    if (resource != QLatin1String("friendships"))
        return plan->pendingPushRequestSource(resource, plan);
    std::vector<ostore::Object *> friendships;
    for (KNVTCDFriendship *friendship : plan->pendingFriendships())
        friendships.push_back(friendship);
    // Few enough to build at once, once the reads that settle them are in; building them may remove a friendship that
    // can never be pushed.
    return [checks = requestSource(plan->creationChecks(friendships)), plan,
            rest = KNVTRESTFulRequestSource()]() mutable -> std::shared_ptr<KNVTRESTFulRequest> {
        if (std::shared_ptr<KNVTRESTFulRequest> check = checks())
            return check;
        if (!rest)
            rest = requestSource(plan->pendingFriendshipPushRequests());
        return rest();
    };
}

KNVTRESTFulRequestSource KNVTTaskStoreSyncPlan::requestSource(KNVTRESTFulRequestList requests)
{
    return [requests = std::move(requests), next = size_t(0)]() mutable -> std::shared_ptr<KNVTRESTFulRequest> {
        return next < requests.size() ? requests[next++] : nullptr;
    };
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingTaskListPushRequests()
{
    return pendingPushRequests(QStringLiteral("task_lists"));
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingTaskListCollaboratorPushRequests()
{
    return pendingPushRequests(QStringLiteral("task_list_collaborators"));
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingTaskPushRequests()
{
    return pendingPushRequests(QStringLiteral("tasks"));
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingTaskWatcherPushRequests()
{
    return pendingPushRequests(QStringLiteral("task_watchers"));
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingTaskCommentPushRequests()
{
    return pendingPushRequests(QStringLiteral("comments"));
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingTagPushRequests()
{
    return pendingPushRequests(QStringLiteral("tags"));
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingTaggedTaskPushRequests()
{
    return pendingPushRequests(QStringLiteral("tagged_items"));
}

std::vector<ostore::Object *> KNVTTaskStoreSyncPlan::pendingObjectsForEntityName(const QString &entityName)
{
    // "numericIdentifier == nil || changedKeysString != nil"
    return knvt::executeFetchRequestForEntityName(
        m_context, entityName,
        isNull(QStringLiteral("numericIdentifier")) || notNull(QStringLiteral("changedKeysString")), {});
}

std::vector<KNVTCDFriendship *> KNVTTaskStoreSyncPlan::pendingFriendships()
{
    // "(numericIdentifier == nil || changedKeysString != nil || deletedDate != nil)
    //  && inviter.friendshipStatus == %@ && status != 3"
    const auto predicate = (isNull(QStringLiteral("numericIdentifier")) || notNull(QStringLiteral("changedKeysString"))
                            || notNull(QStringLiteral("deletedDate")))
        && key(QStringLiteral("inviter.friendshipStatus")) == qint64(KNVTUserFriendshipStatusMe)
        && key(QStringLiteral("status")) != qint64(KNVTFriendshipStatusDeclined);
    std::vector<KNVTCDFriendship *> out;
    for (ostore::Object *object :
         knvt::executeFetchRequestForEntityName(m_context, QStringLiteral("KNVTCDFriendship"), predicate, {}))
        out.push_back(static_cast<KNVTCDFriendship *>(object));
    return out;
}

const knvt::HeaderFields &KNVTTaskStoreSyncPlan::plainHeaders()
{
    if (!m_plainHeaders)
        m_plainHeaders = m_headers.plain();
    return *m_plainHeaders;
}

QStringList KNVTTaskStoreSyncPlan::committedKeys(const ostore::Object &object) const
{
    return m_context.committedValues(&object).keys();
}

bool KNVTTaskStoreSyncPlan::holdsCreation(ostore::Object &object)
{
    if (hasNumericIdentifier(object))
        return false;
    auto &storeObject = static_cast<KNVTCDTaskStoreObject &>(object);
    switch (storeObject.pushState()) {
    case PushState::None: return false;
    // Sent only once a read of where it lands says the service did not make it.
    case PushState::PossiblySent: return true;
    // Sent again once the user changed or moved it, so that it is no longer what the service was asked for.
    case PushState::Refused:
    case PushState::NotFound:
    case PushState::Unsettled: return knvt::CreationsInDoubt::creationText(object) == storeObject.pushedAttributes();
    // A read since its 404 showed the service holding where it lands.
    case PushState::PlaceShown: return false;
    }
    return false;
}

bool KNVTTaskStoreSyncPlan::holdsUnsettled(ostore::Object &object)
{
    // Deleted by the user, it is held as long as the copies are, so that they stay named, and then goes with nothing
    // sent (as a deleted object without an identifier does): nothing the service holds is deleted unasked.
    if (knvt::CreationsInDoubt::settleUnsettled(m_context, object) != knvt::CreationsInDoubt::Verdict::Unsettled)
        return false;
    if (m_heldCreationHandler)
        m_heldCreationHandler(object);
    return true;
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::creationChecks(const std::vector<ostore::Object *> &pending)
{
    // Each place read once, for every object in doubt that lands there.
    std::vector<std::pair<knvt::CreationsInDoubt::Place, QStringList>> places;
    for (ostore::Object *object : pending) {
        const PushState state = static_cast<KNVTCDTaskStoreObject *>(object)->pushState();
        // An unsettled one is held or not by the copies that the reads before its turn leave in the library (a
        // friendship, addressed by its invitee, is held until the user changes it).
        if (state == PushState::None || hasNumericIdentifier(*object)
            || (state == PushState::Unsettled && object->entity().name != QLatin1String("KNVTCDFriendship")))
            continue;
        if (m_heldCreationHandler)
            m_heldCreationHandler(*object);
        if (state != PushState::PossiblySent)
            continue;
        const std::optional<knvt::CreationsInDoubt::Place> place = knvt::CreationsInDoubt::placeSentTo(*object);
        if (!place) {
            // Where it would land is not on the service (its list or task never went), so neither can it be.
            static_cast<KNVTCDTaskStoreObject *>(object)->setPushState(PushState::None);
            continue;
        }
        auto found = std::find_if(places.begin(), places.end(), [&](const auto &read) { return read.first == *place; });
        if (found == places.end())
            found = places.insert(places.end(), {*place, {}});
        found->second.append(knvt::managedObjectIDURIStringRepresentation(*object));
    }
    KNVTRESTFulRequestList checks;
    for (const auto &[place, inDoubt] : places) {
        std::shared_ptr<KNVTRESTFulRequest> read;
        if (!place.list)
            read = listPullRequest(place.collection, includeOf(place.collection), place.collection, false);
        else if (auto *list = static_cast<KNVTCDTaskList *>(
                     m_context.objectWithNumericIdentifier(QStringLiteral("KNVTCDTaskList"), *place.list)))
            read = listReadRequest(*list);
        if (!read)
            continue;
        QVariantMap userInfo = read->userInfo();
        userInfo.insert(QString::fromLatin1(KNVTTaskStoreSyncCreationsInDoubt), inDoubt);
        read->setUserInfo(userInfo);
        checks.push_back(std::move(read));
    }
    return checks;
}

std::shared_ptr<KNVTRESTFulRequest>
KNVTTaskStoreSyncPlan::pushRequest(const ostore::Object &object, const QString &resource, const QString &bodyEntityName,
                                   const QVariant &identifier, const QStringList &keys, KNVTRESTFulRequestAction action)
{
    const QJsonObject attributes = keys.isEmpty() ? QJsonObject() : knvt::syncWireAttributesForKeys(object, keys);
    if (action == KNVTRESTFulRequestActionUpdate && attributes.isEmpty())
        return nullptr;
    auto request =
        std::make_shared<KNVTRESTFulPushRequest>(KNVTSyncServiceAPIURLString(), resource, identifier, bodyEntityName,
                                                 attributes, KNVTRequestFormatJSON, action, plainHeaders());
    QVariantMap userInfo{{QString::fromLatin1(KNVTTaskStoreManagedObjectURIStringRepresentation),
                          knvt::managedObjectIDURIStringRepresentation(object)}};
    // What the reply may count as delivered: only the keys sent, and only while their values stay the ones sent.
    if (action != KNVTRESTFulRequestActionDestroy)
        userInfo.insert(QString::fromLatin1(KNVTTaskStoreSyncSentAttributesByKey),
                        knvt::syncWireAttributesByKey(object, keys));
    request->setUserInfo(userInfo);
    return request;
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingPushRequests(const QString &resource)
{
    KNVTRESTFulRequestList requests;
    const KNVTRESTFulRequestSource source = pendingPushRequestSource(resource, nullptr);
    while (std::shared_ptr<KNVTRESTFulRequest> request = source())
        requests.push_back(std::move(request));
    return requests;
}

KNVTRESTFulRequestSource KNVTTaskStoreSyncPlan::pendingPushRequestSource(const QString &resource,
                                                                         std::shared_ptr<KNVTTaskStoreSyncPlan> keep)
{
    // Resource -> the entity pushed there and its name in a request body.
    static const QHash<QString, std::pair<QString, QString>> entities{
        {QStringLiteral("task_lists"), {QStringLiteral("KNVTCDTaskList"), QStringLiteral("task_list")}},
        {QStringLiteral("task_list_collaborators"),
         {QStringLiteral("KNVTCDTaskListCollaborator"), QStringLiteral("task_list_collaborator")}},
        {QStringLiteral("tasks"), {QStringLiteral("KNVTCDTask"), QStringLiteral("task")}},
        {QStringLiteral("task_watchers"), {QStringLiteral("KNVTCDTaskWatcher"), QStringLiteral("task_watcher")}},
        {QStringLiteral("comments"), {QStringLiteral("KNVTCDTaskComment"), QStringLiteral("comment")}},
        {QStringLiteral("tags"), {QStringLiteral("KNVTCDTag"), QStringLiteral("tag")}},
        {QStringLiteral("tagged_items"), {QStringLiteral("KNVTCDTaggedTask"), QStringLiteral("tagged_item")}}};
    const auto entity = entities.constFind(resource);
    if (entity == entities.cend())
        return requestSource({});
    // Identifiers rather than objects: an object can be gone from the library by the time its turn comes, and then
    // sends nothing.
    std::vector<ostore::ObjectID> pending;
    const std::vector<ostore::Object *> objects = pendingObjectsForEntityName(entity->first);
    for (const ostore::Object *object : objects)
        pending.push_back(object->objectID());
    return [this, keep = std::move(keep), checks = requestSource(creationChecks(objects)), pending = std::move(pending),
            next = size_t(0), resource, entityName = entity->first,
            bodyEntityName = entity->second]() mutable -> std::shared_ptr<KNVTRESTFulRequest> {
        if (std::shared_ptr<KNVTRESTFulRequest> check = checks())
            return check;
        while (next < pending.size()) {
            ostore::Object *object = m_context.existingObject(pending[next++]);
            if (!object)
                continue;
            if (std::shared_ptr<KNVTRESTFulRequest> request =
                    pendingPushRequest(*object, entityName, resource, bodyEntityName))
                return request;
        }
        return nullptr;
    };
}

std::shared_ptr<KNVTRESTFulRequest> KNVTTaskStoreSyncPlan::pendingPushRequest(ostore::Object &object,
                                                                              const QString &entityName,
                                                                              const QString &resource,
                                                                              const QString &bodyEntityName)
{
    if (!hasNumericIdentifier(object)
        && static_cast<KNVTCDTaskStoreObject &>(object).pushState() == PushState::Unsettled && holdsUnsettled(object))
        return nullptr;
    if (holdsCreation(object))
        return nullptr;
    const ostore::Value identifierValue = object.value(QStringLiteral("numericIdentifier"));
    const bool hasIdentifier = std::holds_alternative<qint64>(identifierValue);
    const bool deleted = std::holds_alternative<QDateTime>(object.value(QStringLiteral("deletedDate")));
    if (!hasIdentifier && deleted) {
        // Deleted while its creation was in doubt, and the service did not make it: there is nothing to send.
        m_context.remove(&object);
        return nullptr;
    }
    if (hasIdentifier && deleted)
        return pushRequest(object, resource, bodyEntityName, std::get<qint64>(identifierValue), {},
                           KNVTRESTFulRequestActionDestroy);
    const QStringList keys =
        hasIdentifier ? static_cast<KNVTCDTaskStoreObject *>(&object)->changedKeys() : committedKeys(object);
    // A task whose list has no server identifier yet would reach the service without its list; it waits, keeping its
    // changes, until the list has been pushed.
    if (entityName == QLatin1String("KNVTCDTask") && !static_cast<KNVTCDTask *>(&object)->hasAttributesForKeys(keys))
        return nullptr;
    if (hasIdentifier)
        return pushRequest(object, resource, bodyEntityName, std::get<qint64>(identifierValue), keys,
                           KNVTRESTFulRequestActionUpdate);
    if (waitsForParent(object))
        return nullptr;
    return pushRequest(object, resource, bodyEntityName, QVariant(), keys, KNVTRESTFulRequestActionCreate);
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pendingFriendshipPushRequests()
{
    const QString resource = QStringLiteral("friendships");
    const QString body = QStringLiteral("friendship");
    KNVTRESTFulRequestList requests;
    for (KNVTCDFriendship *friendship : pendingFriendships()) {
        const KNVTCDUser *invitee = friendship->invitee();
        const std::optional<qint64> inviteeValue = invitee ? invitee->numericIdentifier() : std::nullopt;
        const qint64 inviteeIdentifier = inviteeValue.value_or(0);
        std::shared_ptr<KNVTRESTFulRequest> request;
        if (!friendship->deletedDate().isValid() && holdsCreation(*friendship))
            continue;
        if (!friendship->numericIdentifier() && !friendship->deletedDate().isValid()) {
            request = pushRequest(*friendship, resource, body, QVariant(), committedKeys(*friendship),
                                  KNVTRESTFulRequestActionCreate);
        } else if (!inviteeValue) {
            // Addressed by the invitee's identifier, which it lacks: no ".../null.json" is sent, and the record
            // could never be pushed, so it goes locally.
            qCInfo(lcSync) << "dropping a friendship whose invitee has no identifier";
            m_context.remove(friendship);
            continue;
        } else if (friendship->deletedDate().isValid()) {
            request = pushRequest(*friendship, resource, body, inviteeIdentifier, {}, KNVTRESTFulRequestActionDestroy);
        } else {
            request = pushRequest(*friendship, resource, body, inviteeIdentifier, friendship->changedKeys(),
                                  KNVTRESTFulRequestActionUpdate);
        }
        if (request)
            requests.push_back(std::move(request));
    }
    return requests;
}

// ---- Pull ----

std::shared_ptr<KNVTRESTFulRequest> KNVTTaskStoreSyncPlan::listPullRequest(const QString &resource,
                                                                           const QString &include,
                                                                           const QString &eTagKey, bool useETags)
{
    return std::make_shared<KNVTRESTFulPullRequest>(KNVTSyncServiceAPIURLString(), resource, QVariant(),
                                                    KNVTRequestFormatJSON, knvt::QueryParameters{{kInclude, include}},
                                                    useETags ? m_headers.includingETagForResource(eTagKey)
                                                             : plainHeaders());
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::pullRequestsForResource(const QString &resource, bool useETags,
                                                                      const QStringList &untrustedETags)
{
    const auto tagged = [&](const QString &eTagKey) { return useETags && !untrustedETags.contains(eTagKey); };
    if (resource == QLatin1String("account") || resource == QLatin1String("friendships")
        || resource == QLatin1String("friendships/invites") || resource == QLatin1String("tasks/inbox")
        || resource == QLatin1String("tags"))
        return {listPullRequest(resource, includeOf(resource), resource, tagged(resource))};
    if (resource == QLatin1String("task_lists/active"))
        return {listPullRequest(QStringLiteral("task_lists"), kListInclude, QStringLiteral("task_lists"),
                                tagged(QStringLiteral("task_lists")))};
    if (resource == QLatin1String("task_lists/pending") || resource == QLatin1String("task_lists/archived")
        || resource == QLatin1String("task_lists/declined"))
        return {listPullRequest(resource, kListInclude, resource, tagged(resource))};
    if (resource == QLatin1String("task_lists"))
        return taskListsNeedingUpdateRequests();
    if (resource == QLatin1String("user/avatar"))
        return usersNeedingAvatarUpdateRequests();
    return {};
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreSyncPlan::taskListsNeedingUpdate()
{
    std::vector<KNVTCDTaskList *> out;
    for (ostore::Object *object : knvt::executeFetchRequestForEntityName(
             m_context, QStringLiteral("KNVTCDTaskList"), key(QStringLiteral("needsUpdating")) == true, {}))
        out.push_back(static_cast<KNVTCDTaskList *>(object));
    return out;
}

std::vector<KNVTCDUser *> KNVTTaskStoreSyncPlan::usersNeedingAvatarUpdate()
{
    std::vector<KNVTCDUser *> out;
    for (ostore::Object *object : knvt::executeFetchRequestForEntityName(
             m_context, QStringLiteral("KNVTCDUser"), key(QStringLiteral("avatar.needsUpdating")) == true, {}))
        out.push_back(static_cast<KNVTCDUser *>(object));
    return out;
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::taskListsNeedingUpdateRequests()
{
    KNVTRESTFulRequestList requests;
    for (KNVTCDTaskList *taskList : taskListsNeedingUpdate()) {
        // Only a list the service knows can be fetched; a new one is flagged once its POST reply arrives.
        if (taskList->numericIdentifier())
            requests.push_back(listReadRequest(*taskList));
    }
    return requests;
}

std::shared_ptr<KNVTRESTFulRequest> KNVTTaskStoreSyncPlan::listReadRequest(const KNVTCDTaskList &taskList)
{
    auto request = std::make_shared<KNVTRESTFulPullRequest>(
        KNVTSyncServiceAPIURLString(), QStringLiteral("task_lists"), *taskList.numericIdentifier(),
        KNVTRequestFormatJSON, knvt::QueryParameters{{kInclude, kListItemInclude}}, plainHeaders());
    request->setUserInfo({{QString::fromLatin1(KNVTTaskStoreManagedObjectURIStringRepresentation),
                           knvt::managedObjectIDURIStringRepresentation(taskList)}});
    return request;
}

KNVTRESTFulRequestList KNVTTaskStoreSyncPlan::usersNeedingAvatarUpdateRequests()
{
    KNVTRESTFulRequestList requests;
    for (KNVTCDUser *user : usersNeedingAvatarUpdate()) {
        if (!user->numericIdentifier())
            continue;
        auto request = std::make_shared<KNVTRESTFulPullRequest>(
            KNVTSyncServiceAPIURLString(), QStringList{QStringLiteral("users"), QStringLiteral("avatar")},
            QVariantList{*user->numericIdentifier(), QStringLiteral("medium")}, KNVTRequestFormatPNG, plainHeaders());
        request->setUserInfo({{QString::fromLatin1(KNVTTaskStoreManagedObjectURIStringRepresentation),
                               knvt::managedObjectIDURIStringRepresentation(*user)}});
        requests.push_back(std::move(request));
    }
    return requests;
}
