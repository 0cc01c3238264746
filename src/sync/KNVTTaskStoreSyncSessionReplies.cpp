// The reply processing of KNVTTaskStoreSyncSession: what each successful or failed exchange does to the session's
// context. Nothing here saves; the session's end state does.
#include "sync/KNVTTaskStoreSyncSession.h"
#include "sync/Logging.h"
#include "sync/SessionPull.h"

#include "sync/KNVTTaskStoreSyncResources.h"
#include "sync/SyncWireAttributes.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRESTFulPullRequest.h"
#include "service/KNVTRESTFulPushRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

#include "foundation/Clock.h"
#include "foundation/JSONDocument.h"

#include <QImage>
#include <QJsonDocument>

#include <algorithm>

using namespace ostore::where;

namespace {

const QString kNumericIdentifier = QStringLiteral("numericIdentifier");
const QString kChangedKeysString = QStringLiteral("changedKeysString");
const QString kTaskEntity = QStringLiteral("KNVTCDTask");
const QString kTaskListEntity = QStringLiteral("KNVTCDTaskList");
const QString kFriendshipEntity = QStringLiteral("KNVTCDFriendship");

// Root key of a wrapped entity -> entity name.
const QHash<QString, QString> &entityNamesByRootKey()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("task"), kTaskEntity},
        {QStringLiteral("task_list"), kTaskListEntity},
        {QStringLiteral("task_list_collaborator"), QStringLiteral("KNVTCDTaskListCollaborator")},
        {QStringLiteral("comment"), QStringLiteral("KNVTCDTaskComment")},
        {QStringLiteral("task_watcher"), QStringLiteral("KNVTCDTaskWatcher")},
        {QStringLiteral("friendship"), kFriendshipEntity},
        {QStringLiteral("tag"), QStringLiteral("KNVTCDTag")},
        {QStringLiteral("tagged_item"), QStringLiteral("KNVTCDTaggedTask")},
        {QStringLiteral("account"), QStringLiteral("KNVTCDAccount")}};
    return names;
}

// Push resource -> root key of its replies.
const QHash<QString, QString> &rootKeysByPushResource()
{
    static const QHash<QString, QString> keys{
        {QStringLiteral("tasks"), QStringLiteral("task")},
        {QStringLiteral("task_lists"), QStringLiteral("task_list")},
        {QStringLiteral("task_list_collaborators"), QStringLiteral("task_list_collaborator")},
        {QStringLiteral("comments"), QStringLiteral("comment")},
        {QStringLiteral("task_watchers"), QStringLiteral("task_watcher")},
        {QStringLiteral("tags"), QStringLiteral("tag")},
        {QStringLiteral("tagged_items"), QStringLiteral("tagged_item")},
        {QStringLiteral("friendships"), QStringLiteral("friendship")}};
    return keys;
}

// The seven resources whose push replies remove or settle the pushed object; friendships follow their own rules.
bool isObjectPushResource(const QString &resource)
{
    return resource != QLatin1String("friendships") && rootKeysByPushResource().contains(resource);
}

// Item pull resource -> entity looked up by the request's identifier when the item is gone or forbidden.
const QHash<QString, QString> &entityNamesByItemResource()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("tasks"), kTaskEntity},
        {QStringLiteral("task_lists"), kTaskListEntity},
        {QStringLiteral("task_list_collaborators"), QStringLiteral("KNVTCDTaskListCollaborator")},
        {QStringLiteral("comments"), QStringLiteral("KNVTCDTaskComment")},
        {QStringLiteral("tags"), QStringLiteral("KNVTCDTag")},
        {QStringLiteral("tagged_items"), QStringLiteral("KNVTCDTaggedTask")}};
    return names;
}

KNVTCDTaskStoreObject *storeObject(ostore::Object *object)
{
    return static_cast<KNVTCDTaskStoreObject *>(object);
}

std::optional<qint64> identifierOf(const ostore::Object &object)
{
    const ostore::Value value = object.value(kNumericIdentifier);
    if (const qint64 *id = std::get_if<qint64>(&value))
        return *id;
    return std::nullopt;
}

// The resources whose pulls keep an entity tag, with the root key of their entities.
const QHash<QString, QString> &rootKeysByTaggedResource()
{
    static const QHash<QString, QString> keys{{QStringLiteral("account"), QStringLiteral("account")},
                                              {QStringLiteral("friendships"), QStringLiteral("friendship")},
                                              {QStringLiteral("friendships/invites"), QStringLiteral("friendship")},
                                              {QStringLiteral("task_lists"), QStringLiteral("task_list")},
                                              {QStringLiteral("task_lists/pending"), QStringLiteral("task_list")},
                                              {QStringLiteral("task_lists/archived"), QStringLiteral("task_list")},
                                              {QStringLiteral("task_lists/declined"), QStringLiteral("task_list")},
                                              {QStringLiteral("tasks/inbox"), QStringLiteral("task")},
                                              {QStringLiteral("tags"), QStringLiteral("tag")}};
    return keys;
}

std::string rootKeyText(const QString &rootKey)
{
    return rootKey.toStdString();
}

// The elements of the nested arrays of an entity that cannot be read, at every level the entities read: the rows and
// tasks of a list, the comments and watchers of those tasks or of a task, the links of a tag. A nested key that holds
// something other than an array counts as one.
int unreadableNestedElements(const knvt::JSONView &inner, std::string_view rootKey)
{
    struct Nested
    {
        const char *rootKey;
        const char *arrayKey;
        const char *elementRootKey; // nullptr when its elements nest nothing themselves
    };
    static constexpr Nested kNested[] = {{"task_list", "task_list_collaborators", nullptr},
                                         {"task_list", "tasks", "task"},
                                         {"task", "comments", nullptr},
                                         {"task", "task_watchers", nullptr},
                                         {"tag", "tagged_items", nullptr}};
    int count = 0;
    for (const Nested &nested : kNested) {
        if (rootKey != nested.rootKey)
            continue;
        const std::string_view arrayKey = nested.arrayKey;
        const knvt::JSONView value = inner.value(arrayKey);
        if (value.isUndefined() || value.isNull())
            continue;
        if (!value.isArray()) {
            ++count;
            continue;
        }
        for (const knvt::JSONView &element : value) {
            const std::optional<knvt::JSONView> readable =
                KNVTCDTaskStoreObject::readableNestedElement(arrayKey, element);
            if (!readable)
                ++count;
            else if (nested.elementRootKey)
                count += unreadableNestedElements(*readable, nested.elementRootKey);
        }
    }
    return count;
}

QString describeErrorBody(const knvt::Error &error)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(error.userInfo())).toJson(QJsonDocument::Compact));
}

} // namespace

// ---- Lookups ----

std::optional<knvt::JSONView> KNVTTaskStoreSyncSession::readableEntity(const knvt::JSONView &element,
                                                                       std::string_view rootKey)
{
    const knvt::JSONView inner = element.value(rootKey);
    if (!inner.isObject() || !KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id")))
        return std::nullopt;
    return inner;
}

ostore::Object *KNVTTaskStoreSyncSession::objectForNumericIdentifier(const QString &entityName,
                                                                     std::optional<qint64> identifier) const
{
    // A missing identifier must not match the objects that were never pushed. Every object of a reply is looked up
    // here, so the lookup goes straight to the identifier indexes instead of compiling a predicate each time.
    if (!m_context || !identifier)
        return nullptr;
    return m_context->objectWithNumericIdentifier(entityName, *identifier);
}

ostore::Object *KNVTTaskStoreSyncSession::friendshipForInviterNumericIdentifier(std::optional<qint64> inviter,
                                                                                std::optional<qint64> invitee) const
{
    if (!m_context || !inviter || !invitee)
        return nullptr;
    // "inviter.numericIdentifier == %@ AND invitee.numericIdentifier == %@"
    return knvt::firstObjectForFetchRequestForEntityName(*m_context, kFriendshipEntity,
                                                         key(QStringLiteral("inviter.numericIdentifier")) == *inviter
                                                             && key(QStringLiteral("invitee.numericIdentifier"))
                                                                 == *invitee);
}

std::vector<ostore::Object *>
KNVTTaskStoreSyncSession::tasksForTaskListWithNumericIdentifier(std::optional<qint64> identifier) const
{
    if (!m_context)
        return {};
    if (!identifier || *identifier < 1)
        return knvt::executeFetchRequestForEntityName(*m_context, kTaskEntity, isNull(QStringLiteral("taskList")), {});
    return knvt::executeFetchRequestForEntityName(*m_context, kTaskEntity,
                                                  key(QStringLiteral("taskList.numericIdentifier")) == *identifier, {});
}

ostore::Object *KNVTTaskStoreSyncSession::pushedObject(const KNVTRESTFulRequest &request) const
{
    if (!m_context)
        return nullptr;
    const QString uri =
        request.userInfo().value(QString::fromLatin1(KNVTTaskStoreManagedObjectURIStringRepresentation)).toString();
    const std::optional<ostore::ObjectID> id = m_context->coordinator()->objectIDForURI(QUrl(uri));
    if (!id)
        return nullptr;
    ostore::Object *object = m_context->existingObject(*id);
    return object && !object->isDeleted() ? object : nullptr;
}

// ---- Merging ----

void KNVTTaskStoreSyncSession::setChangedKeys(ostore::Object &object, QStringList keys)
{
    keys.removeAll(QString());
    keys.removeDuplicates();
    std::sort(keys.begin(), keys.end());
    object.setValue(kChangedKeysString, keys.isEmpty() ? ostore::Value() : ostore::Value(keys.join(QLatin1Char(' '))));
}

bool KNVTTaskStoreSyncSession::mergeReply(ostore::Object &object, const knvt::JSONView &inner, const QVariantMap &sent)
{
    KNVTCDTaskStoreObject *storeObj = storeObject(&object);
    // An object inserted for this reply records only its own defaults, nothing that waits for a push.
    if (object.isInserted())
        return storeObj->mergeAttributes(inner);
    QStringList waiting;
    for (const QString &changedKey : storeObj->changedKeys()) {
        const auto it = sent.constFind(changedKey);
        if (it == sent.constEnd() || !knvt::syncWireAttributesUnchanged(object, changedKey, *it))
            waiting.append(changedKey);
    }
    for (const QString &settled : storeObj->keysSettledByReply(inner))
        waiting.removeAll(settled);
    if (waiting.isEmpty())
        return storeObj->mergeAttributes(inner);
    // The local values of the waiting keys take the place of the reply's, so the fill keeps them. They are read back
    // the way every reply is, from the text they would be pushed as.
    const knvt::JSONDocument local = knvt::JSONDocument::fromJson(
        QJsonDocument(knvt::syncWireAttributesForKeys(object, waiting)).toJson(QJsonDocument::Compact));
    const knvt::JSONDocument attributes = knvt::JSONDocument::merged(inner, local);
    // The reply is the service's copy of every field the user has not changed here, whatever the dates say: the
    // modified date here is that of the user's own change, whose fields keep their local values and wait for the push.
    storeObj->updateWithAttributes(attributes.isUndefined() ? inner : attributes.root());
    setChangedKeys(object, waiting);
    return true;
}

ostore::Object *KNVTTaskStoreSyncSession::processJSONEntityObject(const QString &entityName,
                                                                  const knvt::JSONView &inner, bool *applied)
{
    if (!m_context)
        return nullptr;
    const std::optional<qint64> id = KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id"));
    if (!id)
        return nullptr;
    ostore::Object *object = objectForNumericIdentifier(entityName, id);
    if (!object && entityName == kFriendshipEntity)
        object = friendshipForInviterNumericIdentifier(
            KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("inviter_id")),
            KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("invitee_id")));
    if (!object)
        object = knvt::insertNewObjectForFillForEntityForName(*m_context, entityName);
    const bool merged = mergeReply(*object, inner);
    if (applied)
        *applied = merged;
    return object;
}

// ---- Entry points ----

void KNVTTaskStoreSyncSession::processGETRequest(const KNVTRESTFulRequest &request)
{
    // The caller keeps the request for the length of the call.
    beginGETRequest(std::shared_ptr<const KNVTRESTFulRequest>(std::shared_ptr<void>(), &request));
    continueGETRequest(QDeadlineTimer::Forever);
}

void KNVTTaskStoreSyncSession::beginGETRequest(std::shared_ptr<const KNVTRESTFulRequest> request)
{
    m_pull->begin(std::move(request));
}

bool KNVTTaskStoreSyncSession::continueGETRequest(const QDeadlineTimer &deadline)
{
    return m_pull->proceed(deadline);
}

void KNVTTaskStoreSyncSession::checkReadabilityOfPullReply(const knvt::JSONView &value,
                                                           const KNVTRESTFulRequest &request)
{
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&request);
    const std::optional<knvt::HttpResponse> response = request.HTTPURLResponse();
    // A 304 has no body by design.
    if (!pull || (response && response->statusCode() == 304))
        return;
    const bool collection = KNVTRESTFulRequest::isNoIdentifier(pull->identifier());
    const std::string rootKey =
        rootKeyText(collection ? rootKeysByTaggedResource().value(pull->resource())
                        : pull->resource() == QLatin1String("task_lists") ? QStringLiteral("task_list")
                                                                          : QString());
    if (rootKey.empty())
        return;
    int unreadable = 0;
    int elements = 1;
    const bool expectsArray = collection && pull->resource() != QLatin1String("account");
    if (expectsArray && value.isArray()) {
        elements = int(value.size());
        for (const knvt::JSONView &element : value) {
            if (const std::optional<knvt::JSONView> inner = readableEntity(element, rootKey))
                unreadable += unreadableNestedElements(*inner, rootKey);
            else
                ++unreadable;
        }
    } else if (!expectsArray && value.isObject()) {
        if (const std::optional<knvt::JSONView> inner = readableEntity(value, rootKey))
            unreadable += unreadableNestedElements(*inner, rootKey);
        else
            unreadable = 1;
    } else {
        // Not JSON, or not the shape of the resource: nothing of it is applied.
        unreadable = 1;
    }
    if (unreadable == 0)
        return;
    // Nothing was deleted for lacking from this reply, so the entity tag stays unknown and the next pull asks for the
    // whole collection again.
    qCWarning(lcSync).noquote() << QStringLiteral(
                                       "KNVTTaskStoreSyncSession:processGETRequest the reply for %1 holds %2 "
                                       "element(s) that cannot be read (of %3); nothing was deleted for "
                                       "lacking from it")
                                       .arg(collection ? pull->resource()
                                                       : pull->resource() + QLatin1Char('/')
                                                    + KNVTRESTFulRequest::identifierText(pull->identifier()))
                                       .arg(unreadable)
                                       .arg(elements);
    if (collection)
        invalidateResourceETag(pull->resource());
}

bool KNVTTaskStoreSyncSession::linksTasksThatAreNotHere(const knvt::JSONView &tags) const
{
    for (const knvt::JSONView &element : tags) {
        const std::optional<knvt::JSONView> tag = readableEntity(element, "tag");
        if (!tag)
            continue;
        for (const knvt::JSONView &link : tag->value("tagged_items")) {
            if (link.value("taggable_type").utf8() != "Task")
                continue;
            if (!objectForNumericIdentifier(
                    kTaskEntity, KNVTCDTaskStoreObject::numericIdentifierFromJSON(link.value("taggable_id"))))
                return true;
        }
    }
    return false;
}

void KNVTTaskStoreSyncSession::invalidateResourceETag(const QString &resource)
{
    if (!m_staleResourceETags.contains(resource))
        m_staleResourceETags.append(resource);
    m_resourceETags.remove(resource);
}

void KNVTTaskStoreSyncSession::invalidateResourceETagsOfCascadedDeletions()
{
    if (!m_context)
        return;
    static const QString taggedTaskEntity = QStringLiteral("KNVTCDTaggedTask");
    static const QString taskKey = QStringLiteral("task");
    for (ostore::Object *object : m_context->deletedObjects()) {
        if (object->entity().name != taggedTaskEntity || !identifierOf(*object))
            continue;
        const ostore::Value task = m_context->committedValues(object, {taskKey}).value(taskKey);
        const ostore::ObjectID *taskID = std::get_if<ostore::ObjectID>(&task);
        const ostore::Object *taskObject = taskID ? m_context->existingObject(*taskID) : nullptr;
        // Gone with its task, while the tag and the service's list of tags stay as they were.
        if (!taskObject || taskObject->isDeleted()) {
            invalidateResourceETag(QStringLiteral("tags"));
            return;
        }
    }
}

void KNVTTaskStoreSyncSession::processPOSTRequest(const KNVTRESTFulRequest &request)
{
    const knvt::JSONDocument reply = knvt::JSONDocument::fromJson(request.responseData());
    processJSONObject(reply.root(), request);
}

void KNVTTaskStoreSyncSession::processJSONObject(const knvt::JSONView &value, const KNVTRESTFulRequest &request)
{
    if (request.requestMethod() == KNVTRequestMethodPOST) {
        if (!dynamic_cast<const KNVTRESTFulPushRequest *>(&request))
            return;
        const QString rootKey = rootKeysByPushResource().value(request.resource());
        if (rootKey.isEmpty())
            return;
        const knvt::JSONView inner = value.value(rootKeyText(rootKey));
        const bool hasIdentifier = KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id")).has_value();
        ostore::Object *object = pushedObject(request);
        if (!inner.isObject() || !hasIdentifier) {
            // Without an identifier the object stays as it is and is posted again by the next push.
            qCInfo(lcSync).noquote() << "a create of" << request.resource()
                                     << "was answered without the created object; it will be posted again";
            return;
        }
        if (!object) {
            // Deleted here while its create was under way: the service keeps the new entity, so a tombstone carrying
            // its identifier makes the next push delete it there too.
            if (isObjectPushResource(request.resource()))
                insertTombstone(entityNamesByRootKey().value(rootKey), inner);
            return;
        }
        mergeReply(*object, inner,
                   request.userInfo().value(QString::fromLatin1(KNVTTaskStoreSyncSentAttributesByKey)).toMap());
        return;
    }
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&request);
    if (!pull) {
        processJSONObject(value);
        return;
    }
    if (pull->resource() == QLatin1String("account") && value.isObject()) {
        const knvt::JSONView account = value.value("account");
        if (account.isObject())
            processJSONEntityObject(QStringLiteral("KNVTCDAccount"), account);
        return;
    }
    processJSONObject(value);
}

void KNVTTaskStoreSyncSession::insertTombstone(const QString &entityName, const knvt::JSONView &inner)
{
    if (!m_context || entityName.isEmpty())
        return;
    ostore::Object *tombstone = knvt::insertNewObjectForFillForEntityForName(*m_context, entityName);
    storeObject(tombstone)->updateWithAttributes(inner);
    tombstone->setValue(QStringLiteral("deletedDate"), knvt::Clock::shared().now());
}

void KNVTTaskStoreSyncSession::processJSONObject(const knvt::JSONView &value)
{
    if (value.isArray())
        processJSONArray(value);
    else if (value.isObject())
        processJSONDictionary(value);
}

void KNVTTaskStoreSyncSession::processJSONArray(const knvt::JSONView &array)
{
    for (const knvt::JSONView &element : array) {
        if (element.isObject())
            processJSONDictionary(element);
    }
}

void KNVTTaskStoreSyncSession::processJSONDictionary(const knvt::JSONView &object)
{
    for (const knvt::JSONView::Member &member : object.members()) {
        const std::string_view key = member.key();
        const knvt::JSONView &inner = member.value();
        const QString entityName = entityNamesByRootKey().value(member.keyString());
        if (entityName.isEmpty() || !inner.isObject())
            continue;
        // A comment or tagged item is stored only with a task it can hang on.
        if (key == "comment" || key == "tagged_item") {
            const bool comment = key == "comment";
            if (inner.value(comment ? "commentable_type" : "taggable_type").utf8() != "Task")
                continue;
            const bool known = objectForNumericIdentifier(kTaskEntity,
                                                          KNVTCDTaskStoreObject::numericIdentifierFromJSON(
                                                              inner.value(comment ? "commentable_id" : "taggable_id")));
            if (!known && !inner.value(comment ? "commentable" : "taggable").isObject())
                continue;
        }
        processJSONEntityObject(entityName, inner);
    }
}

// ---- Removal ----

void KNVTTaskStoreSyncSession::removeTaskListWithTasks(ostore::Object *taskList)
{
    // The engine only detaches a removed list's tasks, which would drop them into the Inbox.
    for (KNVTCDTask *task : static_cast<KNVTCDTaskList *>(taskList)->tasks())
        m_context->remove(task);
    m_context->remove(taskList);
}

// ---- Pushes that need no body ----

void KNVTTaskStoreSyncSession::processPUTRequest(const KNVTRESTFulRequest &request)
{
    if (request.requestMethod() != KNVTRequestMethodPUT || !dynamic_cast<const KNVTRESTFulPushRequest *>(&request)
        || !rootKeysByPushResource().contains(request.resource()))
        return;
    ostore::Object *object = pushedObject(request);
    if (!object)
        return;
    // The change list as stored now, which may hold keys recorded while the request was under way; this
    // context's own copy may be older.
    QStringList keys;
    const ostore::ValueMap stored = m_context->committedValues(object, {kChangedKeysString});
    const ostore::ValueMap mine = object->changedValues();
    const ostore::Value current = mine.contains(kChangedKeysString) || stored.isEmpty()
        ? object->value(kChangedKeysString)
        : stored.value(kChangedKeysString);
    if (const QString *string = std::get_if<QString>(&current))
        keys = string->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QVariantMap sent =
        request.userInfo().value(QString::fromLatin1(KNVTTaskStoreSyncSentAttributesByKey)).toMap();
    // Delivered: the keys the request carried whose values are still the ones it carried.
    keys.erase(std::remove_if(keys.begin(), keys.end(),
                              [&](const QString &changedKey) {
                                  const auto it = sent.constFind(changedKey);
                                  return it != sent.constEnd()
                                      && knvt::syncWireAttributesUnchanged(*object, changedKey, *it);
                              }),
               keys.end());
    setChangedKeys(*object, keys);
}

void KNVTTaskStoreSyncSession::processDELETERequest(const KNVTRESTFulRequest &request)
{
    if (request.requestMethod() != KNVTRequestMethodDELETE || !dynamic_cast<const KNVTRESTFulPushRequest *>(&request)
        || !rootKeysByPushResource().contains(request.resource()))
        return;
    if (ostore::Object *object = pushedObject(request))
        m_context->remove(object);
}

// ---- Failures ----

void KNVTTaskStoreSyncSession::processFailedRequest(const KNVTRESTFulRequest &request)
{
    if (settleFailedRequest(request))
        return;
    if (!m_failedRequestError)
        m_failedRequestError = request.requestError();
    if (request.requestMethod() == KNVTRequestMethodGET)
        m_hasFailedPull = true;
}

bool KNVTTaskStoreSyncSession::settleFailedRequest(const KNVTRESTFulRequest &request)
{
    if (!m_context)
        return false;
    const knvt::Error requestError = request.requestError();
    const qint64 code = requestError.code();
    if (dynamic_cast<const KNVTRESTFulPushRequest *>(&request)) {
        const KNVTRequestMethod method = request.requestMethod();
        const bool friendship = request.resource() == QLatin1String("friendships");
        if (!friendship && !isObjectPushResource(request.resource()))
            return false;
        bool remove = false;
        if (method == KNVTRequestMethodPOST && code == 422)
            remove = true;
        else if (method == KNVTRequestMethodDELETE && code == 404)
            remove = true;
        else if (method == KNVTRequestMethodPUT && code == 404)
            remove = !friendship;
        if (!remove)
            return false;
        // Gone or refused for good either way: there is nothing left to send.
        ostore::Object *object = pushedObject(request);
        if (!object)
            return true;
        if (method == KNVTRequestMethodPOST)
            // The service refuses the object as it is; posting it again would be refused for ever.
            qCInfo(lcSync).noquote() << "deleting" << object->entity().name
                                     << "that the service refused:" << describeErrorBody(requestError);
        m_context->remove(object);
        return true;
    }
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&request);
    if (!pull)
        return false;
    const std::optional<knvt::HttpResponse> response = request.HTTPURLResponse();
    const int status = response ? response->statusCode() : int(code);
    if (status != 404 && status != 403)
        return false;
    // A picture the service does not have, or does not show this user, is its answer: the avatar stays as it is.
    if (request.resources() == QStringList{QStringLiteral("users"), QStringLiteral("avatar")})
        return true;
    if (KNVTRESTFulRequest::isNoIdentifier(pull->identifier()))
        return false;
    const QString entityName = entityNamesByItemResource().value(pull->resource());
    if (entityName.isEmpty())
        return false;
    bool ok = false;
    const qint64 id = pull->identifier().toLongLong(&ok);
    ostore::Object *object = ok ? objectForNumericIdentifier(entityName, id) : nullptr;
    if (!object)
        return true;
    if (entityName == kTaskListEntity)
        removeTaskListWithTasks(object);
    else
        m_context->remove(object);
    return true;
}

// ---- Entity tags ----

void KNVTTaskStoreSyncSession::processMetaDataForRequest(const KNVTRESTFulRequest &request)
{
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&request);
    if (!pull || !KNVTRESTFulRequest::isNoIdentifier(pull->identifier())
        || !rootKeysByTaggedResource().contains(pull->resource()) || m_staleResourceETags.contains(pull->resource()))
        return;
    const std::optional<knvt::HttpResponse> response = request.HTTPURLResponse();
    if (!response)
        return;
    // Header names are matched without regard to case, which covers both "Etag" and "ETag".
    const QString tag = response->valueForHeaderField(QStringLiteral("ETag"));
    if (!tag.isEmpty())
        m_resourceETags.insert(pull->resource(), tag);
}

// ---- Avatars ----

bool KNVTTaskStoreSyncSession::processPNGData(const QByteArray &data, const KNVTRESTFulRequest &request)
{
    if (request.resources() != QStringList{QStringLiteral("users"), QStringLiteral("avatar")}
        || request.identifiers().isEmpty())
        return false;
    bool ok = false;
    const qint64 id = request.identifiers().constFirst().toLongLong(&ok);
    auto *user = static_cast<KNVTCDUser *>(ok ? objectForNumericIdentifier(QStringLiteral("KNVTCDUser"), id) : nullptr);
    KNVTCDAvatar *avatar = user ? user->avatar() : nullptr;
    if (!avatar)
        return false;
    // A 200 can carry anything (a captive portal's page); storing that would replace the picture and stop the
    // download until the service's avatar date changes.
    QImage image;
    if (data.isEmpty() || !image.loadFromData(data)) {
        qCInfo(lcSync) << "ignoring an avatar reply that is no image";
        return false;
    }
    // Emptied first, so the thumbnail is rebuilt even when the bytes are the same.
    avatar->setData(QByteArray());
    avatar->setData(data);
    avatar->setNeedsUpdating(false);
    return true;
}
