#include "sync/ReplyMerge.h"

#include "sync/SyncWireAttributes.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskStoreObject.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

#include <QHash>
#include <QJsonDocument>

#include <algorithm>

using namespace ostore::where;

namespace knvt {

namespace {

const QString kTaskEntity = QStringLiteral("KNVTCDTask");
const QString kTaskListEntity = QStringLiteral("KNVTCDTaskList");
const QString kFriendshipEntity = QStringLiteral("KNVTCDFriendship");
const QString kChangedKeysString = QStringLiteral("changedKeysString");

KNVTCDTaskStoreObject *storeObject(ostore::Object &object)
{
    return static_cast<KNVTCDTaskStoreObject *>(&object);
}

} // namespace

ReplyMerge::ReplyMerge(ostore::Context &context, KNVTCDTaskList::PulledTaskHandler *pulledTasks)
    : m_context(context), m_pulledTasks(pulledTasks)
{}

std::optional<JSONView> ReplyMerge::readableEntity(const JSONView &element, std::string_view rootKey)
{
    const JSONView inner = element.value(rootKey);
    if (!inner.isObject() || !KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id")))
        return std::nullopt;
    return inner;
}

QString ReplyMerge::entityNameForRootKey(const QString &rootKey)
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
    return names.value(rootKey);
}

JSONDocument ReplyMerge::withoutTasks(const JSONView &list)
{
    // Without its tasks the list's fill marks it as still to be fetched whole; applying the last task clears that, so
    // a pull cut short before its end leaves the list to be fetched again.
    return JSONDocument::merged(list, JSONDocument::fromJson(R"({"tasks":null})").root());
}

ostore::Object *ReplyMerge::objectForNumericIdentifier(const QString &entityName,
                                                       std::optional<qint64> identifier) const
{
    // Every object of a reply is looked up here, so the lookup goes straight to the identifier indexes instead of
    // compiling a predicate each time.
    return identifier ? m_context.objectWithNumericIdentifier(entityName, *identifier) : nullptr;
}

ostore::Object *ReplyMerge::friendshipForInviterNumericIdentifier(std::optional<qint64> inviter,
                                                                  std::optional<qint64> invitee) const
{
    if (!inviter || !invitee)
        return nullptr;
    // "inviter.numericIdentifier == %@ AND invitee.numericIdentifier == %@"
    return firstObjectForFetchRequestForEntityName(m_context, kFriendshipEntity,
                                                   key(QStringLiteral("inviter.numericIdentifier")) == *inviter
                                                       && key(QStringLiteral("invitee.numericIdentifier")) == *invitee);
}

void ReplyMerge::setChangedKeys(ostore::Object &object, QStringList keys)
{
    keys.removeAll(QString());
    keys.removeDuplicates();
    std::sort(keys.begin(), keys.end());
    object.setValue(kChangedKeysString, keys.isEmpty() ? ostore::Value() : ostore::Value(keys.join(QLatin1Char(' '))));
}

bool ReplyMerge::mergeReply(ostore::Object &object, const JSONView &inner, const QVariantMap &sent)
{
    // A list's tasks go to the handler one by one, each merged as an object of its own.
    if (m_pulledTasks && object.entity().name == kTaskListEntity && inner.value("tasks").isArray()) {
        const bool applied = mergeReply(object, withoutTasks(inner).root(), sent);
        auto &list = static_cast<KNVTCDTaskList &>(object);
        KNVTCDTaskList::PulledTasks tasks(list,
                                          applied ? KNVTCDTaskStoreObject::NestedMerge::Reconcile
                                                  : KNVTCDTaskStoreObject::NestedMerge::InsertMissing,
                                          m_pulledTasks);
        for (const JSONView &task : inner.value("tasks"))
            tasks.apply(list, task);
        tasks.finish(list);
        return applied;
    }
    KNVTCDTaskStoreObject *storeObj = storeObject(object);
    // An object inserted for this reply records only its own defaults, nothing that waits for a push.
    if (object.isInserted())
        return storeObj->mergeAttributes(inner);
    QStringList waiting;
    for (const QString &changedKey : storeObj->changedKeys()) {
        const auto it = sent.constFind(changedKey);
        if (it == sent.constEnd() || !syncWireAttributesUnchanged(object, changedKey, *it))
            waiting.append(changedKey);
    }
    for (const QString &settled : storeObj->keysSettledByReply(inner))
        waiting.removeAll(settled);
    if (waiting.isEmpty())
        return storeObj->mergeAttributes(inner);
    // The local values of the waiting keys take the place of the reply's, so the fill keeps them. They are read back
    // the way every reply is, from the text they would be pushed as.
    const JSONDocument local = JSONDocument::fromJson(
        QJsonDocument(syncWireAttributesForKeys(object, waiting)).toJson(QJsonDocument::Compact));
    const JSONDocument attributes = JSONDocument::merged(inner, local);
    // The reply is the service's copy of every field the user has not changed here, whatever the dates say: the
    // modified date here is that of the user's own change, whose fields keep their local values and wait for the push.
    storeObj->updateWithAttributes(attributes.isUndefined() ? inner : attributes.root());
    setChangedKeys(object, waiting);
    return true;
}

ostore::Object *ReplyMerge::applyEntity(const QString &entityName, const JSONView &inner, bool *applied)
{
    const std::optional<qint64> id = KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id"));
    if (!id)
        return nullptr;
    ostore::Object *object = objectForNumericIdentifier(entityName, id);
    if (!object && entityName == kFriendshipEntity)
        object = friendshipForInviterNumericIdentifier(
            KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("inviter_id")),
            KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("invitee_id")));
    if (!object)
        object = insertNewObjectForFillForEntityForName(m_context, entityName);
    const bool merged = mergeReply(*object, inner);
    if (applied)
        *applied = merged;
    return object;
}

void ReplyMerge::applyWrappedEntities(const JSONView &value)
{
    if (value.isObject()) {
        applyWrappedEntity(value);
        return;
    }
    if (!value.isArray())
        return;
    for (const JSONView &element : value) {
        if (element.isObject())
            applyWrappedEntity(element);
    }
}

void ReplyMerge::applyWrappedEntity(const JSONView &object)
{
    for (const JSONView::Member &member : object.members()) {
        const std::string_view key = member.key();
        const JSONView &inner = member.value();
        const QString entityName = entityNameForRootKey(member.keyString());
        if (entityName.isEmpty() || !inner.isObject())
            continue;
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
        applyEntity(entityName, inner);
    }
}

void ReplyMerge::removeTaskListWithTasks(ostore::Object &taskList)
{
    for (KNVTCDTask *task : static_cast<KNVTCDTaskList &>(taskList).tasks())
        m_context.remove(task);
    m_context.remove(&taskList);
}

} // namespace knvt
