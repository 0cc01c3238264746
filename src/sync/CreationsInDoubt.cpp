#include "sync/CreationsInDoubt.h"

#include "sync/Logging.h"
#include "sync/ReplyMerge.h"
#include "sync/SyncWireAttributes.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListCollaboratorStatus.h"
#include "model/KNVTUserFriendshipStatus.h"

#include "service/KNVTRESTFulRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

#include "foundation/KNVTRailsDateFormatter.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <map>
#include <string_view>

namespace knvt {

namespace {

using PushState = KNVTCDTaskStoreObject::PushState;

// Entity -> the root key of its replies, and the key that names who made it, where it has one.
struct Kind
{
    const char *rootKey;
    const char *maker;
};
const QHash<QString, Kind> &kinds()
{
    static const QHash<QString, Kind> kinds{
        {QStringLiteral("KNVTCDTask"), {"task", "creator_id"}},
        {QStringLiteral("KNVTCDTaskList"), {"task_list", "creator_id"}},
        {QStringLiteral("KNVTCDTag"), {"tag", "creator_id"}},
        {QStringLiteral("KNVTCDTaskComment"), {"comment", "user_id"}},
        {QStringLiteral("KNVTCDTaskWatcher"), {"task_watcher", nullptr}},
        {QStringLiteral("KNVTCDTaskListCollaborator"), {"task_list_collaborator", nullptr}},
        {QStringLiteral("KNVTCDTaggedTask"), {"tagged_item", nullptr}},
        {QStringLiteral("KNVTCDFriendship"), {"friendship", nullptr}}};
    return kinds;
}

struct ServiceObject
{
    std::string_view rootKey;
    JSONView inner;
};

// Every entity a reply holds, at every level the entities read: the lists' rows and tasks, the tasks' comments and
// watchers, the tags' links.
void collect(const JSONView &inner, std::string_view rootKey, std::vector<ServiceObject> &into)
{
    into.push_back({rootKey, inner});
    static constexpr struct
    {
        std::string_view rootKey;
        std::string_view arrayKey;
        std::string_view elementRootKey;
    } kNested[] = {{"task_list", "task_list_collaborators", "task_list_collaborator"},
                   {"task_list", "tasks", "task"},
                   {"task", "comments", "comment"},
                   {"task", "task_watchers", "task_watcher"},
                   {"tag", "tagged_items", "tagged_item"}};
    for (const auto &nested : kNested) {
        if (nested.rootKey != rootKey)
            continue;
        const JSONView array = inner.value(nested.arrayKey);
        if (!array.isArray())
            continue;
        for (const JSONView &element : array) {
            if (element.isObject())
                collect(element, nested.elementRootKey, into);
        }
    }
}

void collectWrapped(const JSONView &wrapped, std::vector<ServiceObject> &into)
{
    if (!wrapped.isObject())
        return;
    for (const JSONView::Member &member : wrapped.members()) {
        if (!member.value().isObject())
            continue;
        for (const Kind &kind : kinds()) {
            if (member.key() == kind.rootKey)
                collect(member.value(), kind.rootKey, into);
        }
    }
}

QDateTime dateOf(const QString &text)
{
    return KNVTRailsDateFormatter(KNVTRailsDateFormatterTypeDateTime).dateFromString(text);
}

// Whether the service's value says what the user gave: the same value, a date at the same instant however written, and
// for no value none at all.
bool sameValue(const QJsonValue &mine, const JSONView &theirs)
{
    switch (mine.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined: return theirs.isNull() || theirs.isUndefined();
    case QJsonValue::Bool: return theirs.isBool() && theirs.toBool() == mine.toBool();
    case QJsonValue::Double: return theirs.isNumber() && theirs.toDouble() == mine.toDouble();
    case QJsonValue::String: {
        if (!theirs.isString())
            return false;
        const QString text = theirs.toString();
        if (text == mine.toString())
            return true;
        const QDateTime date = dateOf(mine.toString());
        return date.isValid() && date == dateOf(text);
    }
    case QJsonValue::Array: {
        const QJsonArray array = mine.toArray();
        if (!theirs.isArray() || theirs.size() != array.size())
            return false;
        qsizetype i = 0;
        for (const JSONView &element : theirs) {
            if (!sameValue(array.at(i++), element))
                return false;
        }
        return true;
    }
    case QJsonValue::Object: return theirs.isObject() && QJsonDocument::fromJson(theirs.toJson()).object() == mine;
    }
    return false;
}

bool holdsEverythingSent(const QJsonObject &sentByKey, const JSONView &inner)
{
    for (auto key = sentByKey.constBegin(); key != sentByKey.constEnd(); ++key) {
        const QJsonObject fields = key.value().toObject();
        for (auto field = fields.constBegin(); field != fields.constEnd(); ++field) {
            if (!sameValue(field.value(), inner.value(field.key().toStdString())))
                return false;
        }
    }
    return true;
}

std::optional<qint64> myIdentifier(ostore::Context &context)
{
    const ostore::Object *me = firstObjectForFetchRequestForEntityName(
        context, QStringLiteral("KNVTCDUser"),
        ostore::where::key(QStringLiteral("friendshipStatus")) == qint64(KNVTUserFriendshipStatusMe));
    return me ? static_cast<const KNVTCDUser *>(me)->numericIdentifier() : std::nullopt;
}

} // namespace

QString CreationsInDoubt::collectionOf(const KNVTCDTaskList &list)
{
    switch (list.taskListCollaboratorStatus().value_or(KNVTTaskListCollaboratorStatusAccepted)) {
    case KNVTTaskListCollaboratorStatusPending: return QStringLiteral("task_lists/pending");
    case KNVTTaskListCollaboratorStatusDeclined: return QStringLiteral("task_lists/declined");
    default:
        return list.archivedDate().isValid() ? QStringLiteral("task_lists/archived") : QStringLiteral("task_lists");
    }
}

std::optional<CreationsInDoubt::Place> CreationsInDoubt::placeOf(const ostore::Object &object)
{
    const QString &entity = object.entity().name;
    const auto inList = [](const KNVTCDTaskList *list) -> std::optional<Place> {
        if (!list || !list->numericIdentifier())
            return std::nullopt;
        return Place{QStringLiteral("task_lists"), list->numericIdentifier()};
    };
    const auto ofTask = [&inList](const KNVTCDTask *task) -> std::optional<Place> {
        if (!task || !task->numericIdentifier())
            return std::nullopt;
        return task->taskList() ? inList(task->taskList()) : Place{QStringLiteral("tasks/inbox"), std::nullopt};
    };
    if (entity == QLatin1String("KNVTCDTask")) {
        const auto &task = static_cast<const KNVTCDTask &>(object);
        return task.taskList() ? inList(task.taskList()) : Place{QStringLiteral("tasks/inbox"), std::nullopt};
    }
    if (entity == QLatin1String("KNVTCDTaskComment"))
        return ofTask(static_cast<const KNVTCDTaskComment &>(object).task());
    if (entity == QLatin1String("KNVTCDTaskWatcher"))
        return ofTask(static_cast<const KNVTCDTaskWatcher &>(object).task());
    if (entity == QLatin1String("KNVTCDTaskListCollaborator"))
        return inList(static_cast<const KNVTCDTaskListCollaborator &>(object).taskList());
    if (entity == QLatin1String("KNVTCDTaskList"))
        return Place{collectionOf(static_cast<const KNVTCDTaskList &>(object)), std::nullopt};
    if (entity == QLatin1String("KNVTCDTag") || entity == QLatin1String("KNVTCDTaggedTask"))
        return Place{QStringLiteral("tags"), std::nullopt};
    if (entity == QLatin1String("KNVTCDFriendship"))
        return Place{QStringLiteral("friendships"), std::nullopt};
    return std::nullopt;
}

std::optional<CreationsInDoubt::Place> CreationsInDoubt::placeRead(const KNVTRESTFulRequest &request)
{
    if (request.requestMethod() != KNVTRequestMethodGET || request.resources().size() > 1)
        return std::nullopt;
    if (KNVTRESTFulRequest::isNoIdentifier(request.identifier()))
        return Place{request.resource(), std::nullopt};
    bool ok = false;
    const qint64 id = request.identifier().toLongLong(&ok);
    if (!ok || request.resource() != QLatin1String("task_lists"))
        return std::nullopt;
    return Place{request.resource(), id};
}

std::optional<CreationsInDoubt::Place> CreationsInDoubt::placeSentTo(const ostore::Object &object)
{
    const auto &storeObject = static_cast<const KNVTCDTaskStoreObject &>(object);
    if (object.entity().name != QLatin1String("KNVTCDTask") || storeObject.pushedAttributes().isEmpty())
        return placeOf(object);
    // A task names its list by the list's identifier, or none for the Inbox.
    const QJsonObject sent = QJsonDocument::fromJson(storeObject.pushedAttributes().toUtf8()).object();
    for (const QJsonValue &fields : sent) {
        const QJsonValue list = fields.toObject().value(QLatin1String("task_list_id"));
        if (list.isDouble())
            return Place{QStringLiteral("task_lists"), qint64(list.toDouble())};
    }
    return Place{QStringLiteral("tasks/inbox"), std::nullopt};
}

QString CreationsInDoubt::creationText(const QVariantMap &sentAttributesByKey)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(sentAttributesByKey)).toJson(QJsonDocument::Compact));
}

QString CreationsInDoubt::creationText(ostore::Object &object)
{
    ostore::Context *context = object.context();
    return context ? creationText(syncWireAttributesByKey(object, context->committedValues(&object).keys()))
                   : QString();
}

std::vector<ostore::Object *> CreationsInDoubt::heldCopies(ostore::Context &context, ostore::Object &object)
{
    const auto &storeObject = static_cast<const KNVTCDTaskStoreObject &>(object);
    const QJsonObject sent = QJsonDocument::fromJson(storeObject.pushedAttributes().toUtf8()).object();
    const std::optional<Place> place = placeSentTo(object);
    const QString identifierKey = QStringLiteral("numericIdentifier");
    std::vector<std::pair<qint64, ostore::Object *>> copies;
    for (ostore::Object *candidate : executeFetchRequestForEntityName(
             context, object.entity().name,
             ostore::where::notNull(identifierKey) && ostore::where::isNull(QStringLiteral("deletedDate")), {})) {
        const ostore::Value identifier = candidate->value(identifierKey);
        const qint64 *id = std::get_if<qint64>(&identifier);
        if (candidate == &object || !id || placeOf(*candidate) != place)
            continue;
        // It says what the user's creation said, key by key, as the library holds it.
        bool holds = true;
        for (auto key = sent.constBegin(); holds && key != sent.constEnd(); ++key)
            holds = syncWireAttributesForKeys(*candidate, {key.key()}) == key.value().toObject();
        if (holds)
            copies.emplace_back(*id, candidate);
    }
    std::sort(copies.begin(), copies.end());
    std::vector<ostore::Object *> objects;
    for (const auto &copy : copies)
        objects.push_back(copy.second);
    return objects;
}

CreationsInDoubt::Verdict CreationsInDoubt::settleUnsettled(ostore::Context &context, ostore::Object &object)
{
    auto &storeObject = static_cast<KNVTCDTaskStoreObject &>(object);
    if (storeObject.pushState() != PushState::Unsettled)
        return Verdict::Unknown;
    const std::vector<ostore::Object *> copies = heldCopies(context, object);
    if (!ostore::isNone(object.value(QStringLiteral("deletedDate")))) {
        // Deleted by the user: which copy its creation made is not to be guessed, so none is deleted for it. It stays,
        // hidden, while the service's copies stand, so that every session still names them; once the user or another
        // device left one or none, the doubt is over, and it goes with nothing sent.
        if (copies.size() > 1)
            return Verdict::Unsettled;
        storeObject.setPushState(PushState::None);
        qCInfo(lcSync).noquote() << "CreationsInDoubt:settleUnsettled a deleted" << object.entity().name
                                 << "kept unsettled has" << copies.size() << "copies left; it goes, with nothing sent";
        return Verdict::NotThere;
    }
    const bool changed = creationText(object) != storeObject.pushedAttributes();
    if (copies.size() > 1 && !changed)
        return Verdict::Unsettled;
    if (copies.empty()) {
        // The service's copies went since (deleted here or elsewhere): the user's own is all there is, and it goes.
        storeObject.setPushState(PushState::None);
        qCInfo(lcSync).noquote() << "CreationsInDoubt:settleUnsettled none of the service's copies of a"
                                 << object.entity().name << "kept unsettled is left; it is sent";
        return Verdict::NotThere;
    }
    // The user's change goes to one copy rather than making another; and with one copy left, that copy is the one the
    // creation could have made.
    ostore::Object *copy = copies.front();
    const ostore::Value identifier = copy->value(QStringLiteral("numericIdentifier"));
    const ostore::Value created = copy->value(QStringLiteral("createdDate"));
    context.remove(copy);
    object.setValue(QStringLiteral("numericIdentifier"), identifier);
    object.setValue(QStringLiteral("createdDate"), created);
    // Left alone, it holds what the copy holds, and there is nothing to send.
    if (!changed)
        storeObject.clearChangedKeys();
    storeObject.setPushState(PushState::None);
    qCInfo(lcSync).noquote() << "CreationsInDoubt:settleUnsettled a" << object.entity().name
                             << "kept unsettled takes the place of the service's copy"
                             << (changed ? "with the user's change" : "left alone");
    return Verdict::Adopted;
}

std::vector<CreationsInDoubt::Settled> CreationsInDoubt::settle(ostore::Context &context,
                                                                const std::vector<ostore::Object *> &inDoubt,
                                                                const KNVTRESTFulRequest &request,
                                                                const JSONView &value, bool whole)
{
    std::vector<Settled> settled;
    const std::optional<Place> read = placeRead(request);
    if (!read)
        return settled;
    std::vector<ostore::Object *> here;
    for (ostore::Object *object : inDoubt) {
        if (placeSentTo(*object) == read)
            here.push_back(object);
    }
    if (here.empty())
        return settled;

    // A reply with nothing in it (a 304) tells nothing of what the service made since.
    whole = whole && (value.isArray() || value.isObject());
    std::vector<ServiceObject> service;
    if (value.isArray()) {
        for (const JSONView &element : value)
            collectWrapped(element, service);
    } else {
        collectWrapped(value, service);
    }
    const std::optional<qint64> me = myIdentifier(context);
    const ReplyMerge merge(context);
    // The service's objects that nothing here holds, each with the objects in doubt it could be.
    std::map<size_t, std::vector<ostore::Object *>> claims;
    std::map<ostore::Object *, std::vector<size_t>> matches;
    for (ostore::Object *object : here) {
        const Kind kind = kinds().value(object->entity().name);
        if (!kind.rootKey)
            continue;
        const QJsonObject sent =
            QJsonDocument::fromJson(static_cast<KNVTCDTaskStoreObject *>(object)->pushedAttributes().toUtf8()).object();
        for (size_t i = 0; i < service.size(); ++i) {
            const ServiceObject &candidate = service[i];
            if (candidate.rootKey != kind.rootKey)
                continue;
            const std::optional<qint64> id =
                KNVTCDTaskStoreObject::numericIdentifierFromJSON(candidate.inner.value("id"));
            if (!id || merge.objectForNumericIdentifier(object->entity().name, id))
                continue;
            if (kind.maker) {
                const JSONView maker = candidate.inner.value(kind.maker);
                if (!maker.isUndefined() && KNVTCDTaskStoreObject::numericIdentifierFromJSON(maker) != me)
                    continue;
            }
            if (!holdsEverythingSent(sent, candidate.inner))
                continue;
            matches[object].push_back(i);
            claims[i].push_back(object);
        }
    }
    for (ostore::Object *object : here) {
        auto *storeObject = static_cast<KNVTCDTaskStoreObject *>(object);
        const std::vector<size_t> &found = matches[object];
        // One object of the service, which no other object in doubt could be either.
        if (found.size() == 1 && claims[found.front()].size() == 1) {
            // Read back as a create's request keeps what it sent, so that the reply delivers what the user has not
            // changed since.
            const QJsonObject sent = QJsonDocument::fromJson(storeObject->pushedAttributes().toUtf8()).object();
            QVariantMap sentByKey;
            for (auto it = sent.constBegin(); it != sent.constEnd(); ++it)
                sentByKey.insert(it.key(), QVariant(it.value().toObject()));
            // Deleted by the user meanwhile: it stays deleted, so that the push deletes what the service made.
            const QString deletedKey = QStringLiteral("deletedDate");
            const ostore::Value deleted =
                object->entity().property(deletedKey) >= 0 ? object->value(deletedKey) : ostore::Value();
            ReplyMerge(context).mergeReply(*object, service[found.front()].inner, sentByKey);
            if (!ostore::isNone(deleted) && object->value(deletedKey) != deleted) {
                object->setValue(deletedKey, deleted);
                ReplyMerge::setChangedKeys(*object, storeObject->changedKeys() << deletedKey);
            }
            storeObject->setPushState(PushState::None);
            qCInfo(lcSync).noquote() << "CreationsInDoubt:settle the service holds the" << object->entity().name
                                     << "it made of an earlier create; nothing is sent again";
            settled.push_back({object, Verdict::Adopted});
        } else if (!found.empty()) {
            storeObject->setPushState(PushState::Unsettled, storeObject->pushedAttributes());
            qCInfo(lcSync).noquote() << "CreationsInDoubt:settle the service holds" << found.size()
                                     << "objects that could be the" << object->entity().name << "in doubt";
            settled.push_back({object, Verdict::Unsettled});
        } else if (whole) {
            storeObject->setPushState(PushState::None);
            settled.push_back({object, Verdict::NotThere});
        } else {
            settled.push_back({object, Verdict::Unknown});
        }
    }
    return settled;
}

} // namespace knvt
