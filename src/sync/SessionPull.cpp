#include "sync/SessionPull.h"

#include "sync/KNVTTaskStoreSyncSession.h"
#include "sync/Logging.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTTaskListCollaboratorStatus.h"
#include "model/KNVTUserFriendshipStatus.h"

#include "service/KNVTRESTFulPullRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

using namespace ostore::where;

namespace knvt {

namespace {

const QString kTaskEntity = QStringLiteral("KNVTCDTask");
const QString kTaskListEntity = QStringLiteral("KNVTCDTaskList");

bool hasNumericIdentifier(const ostore::Object &object)
{
    return std::holds_alternative<qint64>(object.value(QStringLiteral("numericIdentifier")));
}

} // namespace

SessionPull::SessionPull(KNVTTaskStoreSyncSession &session) : m_session(session) {}

SessionPull::~SessionPull() = default;

ostore::Context *SessionPull::context() const
{
    return m_session.managedObjectContext();
}

// ---- Replies ----

KNVTCDTaskList::PulledTasksHandling SessionPull::pulledTasksHandling()
{
    return KNVTCDTaskList::PulledTasksHandling(
        [this](KNVTCDTask &task, const knvt::JSONView &attributes) { m_session.mergeReply(task, attributes); },
        [this](KNVTCDTaskList &list, KNVTCDTask &task) { putOffRemovalOfMissingTask(list, task); });
}

void SessionPull::begin(std::shared_ptr<const KNVTRESTFulRequest> request)
{
    m_reply = std::make_unique<Reply>();
    Reply &reply = *m_reply;
    reply.request = std::move(request);
    const KNVTRESTFulRequest &pulled = *reply.request;
    if (pulled.requestFormat() == KNVTRequestFormatPNG) {
        m_session.processPNGData(pulled.responseData(), pulled);
        return;
    }
    if (pulled.requestFormat() != KNVTRequestFormatJSON)
        return;
    reply.document = knvt::JSONDocument::fromJson(pulled.responseData());
    const knvt::JSONView &value = reply.document.root();
    m_session.checkReadabilityOfPullReply(value, pulled);
    if (!value.isArray()) {
        const KNVTCDTaskList::PulledTasksHandling handling = pulledTasksHandling();
        if (!beginListReply(reply, value))
            m_session.processJSONObject(value, pulled);
        return;
    }
    // Every array a pull receives is applied element by element, under its collection's rule when it has one.
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&pulled);
    if (pull && pull->requestAction() == KNVTRESTFulRequestActionIndex) {
        ListRule rule;
        if (beginListRule(pull->resource(), rule))
            reply.listRule = std::move(rule);
    }
    reply.next = value.begin();
    reply.end = value.end();
}

bool SessionPull::proceed(const QDeadlineTimer &deadline)
{
    if (!m_reply)
        return true;
    Reply &reply = *m_reply;
    // Also over the end of the reply, where a list's tasks that the reply left out are handed over.
    const KNVTCDTaskList::PulledTasksHandling handling = pulledTasksHandling();
    while (reply.next != reply.end) {
        const knvt::JSONView element = *reply.next;
        ++reply.next;
        if (reply.listTasks) {
            if (KNVTCDTaskList *list = listOfReply(reply))
                reply.listTasks->apply(*list, element);
        } else if (reply.listRule) {
            applyListRuleElement(*reply.listRule, element);
        } else if (element.isObject()) {
            m_session.processJSONDictionary(element);
        }
        ++m_appliedSinceSave;
        if (reply.next != reply.end && deadline.hasExpired()) {
            saveInPassing();
            return false;
        }
    }
    const std::unique_ptr<Reply> done = std::move(m_reply);
    end(*done);
    return true;
}

bool SessionPull::beginListReply(Reply &reply, const knvt::JSONView &value)
{
    // The reply of a list's own pull holds that list alone, with its tasks.
    const knvt::JSONView inner = value.value("task_list");
    const knvt::JSONView tasks = inner.value("tasks");
    if (!context() || !tasks.isArray() || value.size() != 1)
        return false;
    // Without its tasks the list's fill marks it as still to be fetched whole; applying the last task clears that,
    // so a pull cut short by the end of the program leaves the list to be fetched again.
    const knvt::JSONDocument withoutTasks =
        knvt::JSONDocument::merged(inner, knvt::JSONDocument::fromJson(R"({"tasks":null})").root());
    bool applied = false;
    ostore::Object *list = m_session.processJSONEntityObject(kTaskListEntity, withoutTasks.root(), &applied);
    if (!list)
        return true;
    const auto &taskList = static_cast<const KNVTCDTaskList &>(*list);
    reply.listTasks.emplace(taskList,
                            applied ? KNVTCDTaskStoreObject::NestedMerge::Reconcile
                                    : KNVTCDTaskStoreObject::NestedMerge::InsertMissing);
    reply.list = list->objectID();
    reply.next = tasks.begin();
    reply.end = tasks.end();
    return true;
}

KNVTCDTaskList *SessionPull::listOfReply(const Reply &reply) const
{
    ostore::Object *list = context() ? context()->existingObject(reply.list) : nullptr;
    return list && !list->isDeleted() ? static_cast<KNVTCDTaskList *>(list) : nullptr;
}

void SessionPull::end(Reply &reply)
{
    if (reply.listTasks) {
        if (KNVTCDTaskList *list = listOfReply(reply)) {
            const size_t missingBefore = m_missingObjects.size();
            reply.listTasks->finish(*list);
            // The list's reply is applied, but what it left out is only put off: until its removal is settled the
            // list stays to be fetched, whatever a save writes meanwhile.
            if (m_missingObjects.size() != missingBefore)
                list->setToBeFetchedAgain(true);
        }
    }
    if (reply.listRule)
        endListRule(*reply.listRule);
    const KNVTRESTFulRequest &request = *reply.request;
    const knvt::JSONView &value = reply.document.root();
    if (value.isArray() && request.resource() == QLatin1String("tags")
        && KNVTRESTFulRequest::isNoIdentifier(request.identifier()) && m_session.linksTasksThatAreNotHere(value))
        m_session.invalidateResourceETag(request.resource());
    m_session.processMetaDataForRequest(request);
}

void SessionPull::saveInPassing()
{
    // Writing thousands of rows in one save, and the lists' update that follows it, would hold the window for tens
    // of milliseconds; a few hundred at a time between slices do not. The pulled rows are the service's own, and
    // what is put off keeps its list marked, so a sync that stops after such a save loses nothing: its resume or the
    // next pull fetches the rest. A save that fails leaves everything to the session's last save, which reports it.
    constexpr int kAppliedPerSave = 1000;
    if (m_appliedSinceSave < kAppliedPerSave)
        return;
    knvt::Error error;
    if (!m_session.saveManagedObjectContext(&error))
        qCInfo(lcSync).noquote() << "SessionPull:saveInPassing couldn't save:" << error.description();
}

// ---- List rules ----

bool SessionPull::beginListRule(const QString &resource, ListRule &rule)
{
    ostore::Context *ctx = context();
    if (!ctx)
        return false;
    ostore::Predicate localSet;
    if (resource == QLatin1String("tasks/inbox")) {
        rule.rootKey = "task";
        rule.entityName = kTaskEntity;
        localSet = isNull(QStringLiteral("taskList"));
    } else if (resource == QLatin1String("task_lists")) {
        rule.rootKey = "task_list";
        localSet = key(QStringLiteral("taskListCollaboratorStatus")) == qint64(KNVTTaskListCollaboratorStatusAccepted)
            && isNull(QStringLiteral("archivedDate"));
    } else if (resource == QLatin1String("task_lists/pending")) {
        rule.rootKey = "task_list";
        localSet = key(QStringLiteral("taskListCollaboratorStatus")) == qint64(KNVTTaskListCollaboratorStatusPending)
            && isNull(QStringLiteral("archivedDate"));
    } else if (resource == QLatin1String("task_lists/archived")) {
        rule.rootKey = "task_list";
        localSet = key(QStringLiteral("taskListCollaboratorStatus")) == qint64(KNVTTaskListCollaboratorStatusAccepted)
            && notNull(QStringLiteral("archivedDate"));
    } else if (resource == QLatin1String("task_lists/declined")) {
        rule.rootKey = "task_list";
        localSet = key(QStringLiteral("taskListCollaboratorStatus")) == qint64(KNVTTaskListCollaboratorStatusDeclined);
        rule.declined = true;
    } else if (resource == QLatin1String("tags")) {
        rule.rootKey = "tag";
        rule.entityName = QStringLiteral("KNVTCDTag");
    } else if (resource == QLatin1String("friendships")) {
        rule.rootKey = "friendship";
        localSet = key(QStringLiteral("inviter.friendshipStatus")) == qint64(KNVTUserFriendshipStatusMe);
    } else if (resource == QLatin1String("friendships/invites")) {
        rule.rootKey = "friendship";
        localSet = key(QStringLiteral("invitee.friendshipStatus")) == qint64(KNVTUserFriendshipStatusMe);
    } else {
        return false;
    }
    if (rule.rootKey == "task_list")
        rule.entityName = kTaskListEntity;
    else if (rule.rootKey == "friendship")
        rule.entityName = QStringLiteral("KNVTCDFriendship");
    rule.resource = resource;
    const std::vector<ostore::Object *> local =
        knvt::executeFetchRequestForEntityName(*ctx, rule.entityName, localSet, {});
    rule.local.reserve(local.size());
    for (const ostore::Object *object : local)
        rule.local.push_back(object->objectID());
    // The local objects the reply names are marked in a set: erasing each from the list instead made a reply of
    // thousands of tasks cost the square of their number on the main thread.
    rule.seen.reserve(qsizetype(local.size()));
    return true;
}

void SessionPull::applyListRuleElement(ListRule &rule, const knvt::JSONView &element)
{
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    const std::optional<knvt::JSONView> readable = KNVTTaskStoreSyncSession::readableEntity(element, rule.rootKey);
    if (!readable) {
        rule.complete = false;
        return;
    }
    const knvt::JSONView &inner = *readable;
    const std::optional<qint64> id = KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id"));
    ostore::Object *object = m_session.objectForNumericIdentifier(rule.entityName, id);
    if (rule.declined) {
        // A list the user declined leaves this device with its tasks, and is never created here.
        if (object) {
            rule.seen.insert(object->objectID());
            m_session.removeTaskListWithTasks(object);
        }
        return;
    }
    if (object)
        rule.seen.insert(object->objectID());
    else
        object = knvt::insertNewObjectForFillForEntityForName(*ctx, rule.entityName);
    m_session.mergeReply(*object, inner);
    // A task's own reply never moves it into the Inbox; this one says it is there.
    if (rule.entityName == kTaskEntity)
        static_cast<KNVTCDTask *>(object)->takeInboxPlaceFromService();
}

void SessionPull::endListRule(const ListRule &rule)
{
    ostore::Context *ctx = context();
    // An element that cannot be read may stand for any of the local objects, so none of them counts as gone.
    if (!ctx || !rule.complete)
        return;
    for (const ostore::ObjectID &id : rule.local) {
        ostore::Object *object = rule.seen.contains(id) ? nullptr : ctx->existingObject(id);
        if (!object || object->isDeleted() || !hasNumericIdentifier(*object))
            continue;
        if (rule.entityName == kTaskEntity) {
            auto *task = static_cast<KNVTCDTask *>(object);
            // Still in the Inbox, and not moved there by a change that waits for its push.
            if (task->taskList() || task->changedKeys().contains(QLatin1String("taskList")))
                continue;
            ctx->remove(task);
        } else if (rule.entityName == kTaskListEntity) {
            // The service does not know yet of the user's answer that put the list in this collection.
            if (static_cast<KNVTCDTaskList *>(object)->hasUnpushedMembershipChange())
                continue;
            putOffRemovalOfMissingTaskList(*object, rule.resource);
        } else {
            ctx->remove(object);
        }
    }
}

// ---- What is put off ----

void SessionPull::putOffRemovalOfMissingTask(KNVTCDTaskList &list, ostore::Object &task)
{
    m_missingObjects.push_back({task.objectID(), list.objectID(), {}, {}});
}

void SessionPull::putOffRemovalOfMissingTaskList(ostore::Object &taskList, const QString &resource)
{
    const auto &list = static_cast<const KNVTCDTaskList &>(taskList);
    m_missingObjects.push_back(
        {list.objectID(), {}, resource, list.taskListCollaboratorStatus(), list.archivedDate().isValid()});
}

void SessionPull::removeObjectsStillMissing(bool tasksToo)
{
    std::vector<MissingObject> missing;
    missing.swap(m_missingObjects);
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    QSet<ostore::ObjectID> settledLists;
    for (const MissingObject &entry : missing) {
        if (!entry.taskList.isNull() && !tasksToo) {
            m_missingObjects.push_back(entry);
            continue;
        }
        if (!entry.taskList.isNull())
            settledLists.insert(entry.taskList);
        ostore::Object *object = ctx->existingObject(entry.object);
        if (!object || object->isDeleted())
            continue;
        if (!entry.taskList.isNull()) {
            const KNVTCDTaskList *list = static_cast<KNVTCDTask *>(object)->taskList();
            if (list && list->objectID() == entry.taskList)
                ctx->remove(object);
        } else {
            const auto *list = static_cast<const KNVTCDTaskList *>(object);
            if (list->taskListCollaboratorStatus() == entry.collaboratorStatus
                && list->archivedDate().isValid() == entry.archived)
                m_session.removeTaskListWithTasks(object);
        }
    }
    for (const ostore::ObjectID &id : std::as_const(settledLists)) {
        ostore::Object *object = ctx->existingObject(id);
        auto *list = static_cast<KNVTCDTaskList *>(object);
        if (list && !list->isDeleted())
            list->setToBeFetchedAgain(false);
    }
}

void SessionPull::fetchAgainWhatWentMissing()
{
    std::vector<MissingObject> missing;
    missing.swap(m_missingObjects);
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    for (const MissingObject &entry : missing) {
        if (entry.taskList.isNull()) {
            m_session.invalidateResourceETag(entry.resource);
        } else if (ostore::Object *list = ctx->existingObject(entry.taskList); list && !list->isDeleted()) {
            static_cast<KNVTCDTaskList *>(list)->setToBeFetchedAgain(true);
        }
    }
}

} // namespace knvt
