// The reply processing of KNVTTaskStoreSyncSession: what each answer of the service does to the session's context, as
// knvt::SyncAnswerTable has it. The replies of reads go to the session's pull; nothing here saves, the session's end
// state does.
#include "sync/CreationsInDoubt.h"
#include "sync/KNVTTaskStoreSyncSession.h"
#include "sync/Logging.h"
#include "sync/ReplyMerge.h"
#include "sync/SessionPull.h"
#include "sync/SyncAnswerTable.h"
#include "sync/SyncFailure.h"

#include "sync/KNVTTaskStoreSyncResources.h"
#include "sync/SyncWireAttributes.h"

#include "model/FillInsertion.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRESTFulPushRequest.h"

#include "objectstore/Context.h"

#include "foundation/Clock.h"
#include "foundation/JSONDocument.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <utility>

namespace {

const QString kChangedKeysString = QStringLiteral("changedKeysString");

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

QString describeErrorBody(const knvt::Error &error)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(error.userInfo())).toJson(QJsonDocument::Compact));
}

QString nameOfUser(const KNVTCDUser *user)
{
    if (!user)
        return {};
    return user->fullName().isEmpty() ? user->username() : user->fullName();
}

// What names `object` to the user: its title or text, or that of what it belongs to.
QString nameOf(const ostore::Object &object)
{
    const QString &entity = object.entity().name;
    if (entity == QLatin1String("KNVTCDTask"))
        return static_cast<const KNVTCDTask &>(object).title();
    if (entity == QLatin1String("KNVTCDTaskList"))
        return static_cast<const KNVTCDTaskList &>(object).title();
    if (entity == QLatin1String("KNVTCDTag"))
        return static_cast<const KNVTCDTag &>(object).title();
    if (entity == QLatin1String("KNVTCDTaskComment"))
        return static_cast<const KNVTCDTaskComment &>(object).text();
    if (entity == QLatin1String("KNVTCDTaggedTask")) {
        const KNVTCDTag *tag = static_cast<const KNVTCDTaggedTask &>(object).tag();
        return tag ? tag->title() : QString();
    }
    if (entity == QLatin1String("KNVTCDTaskWatcher")) {
        const KNVTCDTask *task = static_cast<const KNVTCDTaskWatcher &>(object).task();
        return task ? task->title() : QString();
    }
    if (entity == QLatin1String("KNVTCDTaskListCollaborator"))
        return nameOfUser(static_cast<const KNVTCDTaskListCollaborator &>(object).user());
    if (entity == QLatin1String("KNVTCDFriendship"))
        return nameOfUser(static_cast<const KNVTCDFriendship &>(object).invitee());
    return {};
}

// Where a new object of `object`'s kind was to go, for the user: the list of a task or a row, the task of a comment, a
// watcher or a tag's link; empty where it names nothing.
QString placeNameOf(const ostore::Object &object)
{
    const QString &entity = object.entity().name;
    const auto listOf = [](const KNVTCDTask *task) {
        return task && task->taskList() ? task->taskList()->title() : QString();
    };
    if (entity == QLatin1String("KNVTCDTask"))
        return listOf(static_cast<const KNVTCDTask *>(&object));
    if (entity == QLatin1String("KNVTCDTaskComment")) {
        const KNVTCDTask *task = static_cast<const KNVTCDTaskComment &>(object).task();
        return task ? task->title() : QString();
    }
    if (entity == QLatin1String("KNVTCDTaggedTask")) {
        const KNVTCDTask *task = static_cast<const KNVTCDTaggedTask &>(object).task();
        return task ? task->title() : QString();
    }
    if (entity == QLatin1String("KNVTCDTaskListCollaborator")) {
        const KNVTCDTaskList *list = static_cast<const KNVTCDTaskListCollaborator &>(object).taskList();
        return list ? list->title() : QString();
    }
    return {};
}

bool isRead(knvt::SyncAnswerTable::Request request)
{
    using Request = knvt::SyncAnswerTable::Request;
    return request == Request::CollectionRead || request == Request::ListRead || request == Request::AvatarRead;
}

// Whether the body of a success to an update or a delete reads as the service's answer: the object under its root key,
// or for a delete none at all (its 204). Anything else (a captive portal's page, JSON that holds no object, an update
// answered with nothing) is no sign that the service took the change.
bool isChangeReply(const QByteArray &body, const QString &rootKey, KNVTRequestMethod method)
{
    if (body.trimmed().isEmpty())
        return method == KNVTRequestMethodDELETE;
    const knvt::JSONDocument reply = knvt::JSONDocument::fromJson(body);
    return !rootKey.isEmpty() && reply.root().value(rootKey.toStdString()).isObject();
}

} // namespace

// ---- Answers ----

void KNVTTaskStoreSyncSession::settleAnswer(const KNVTRESTFulRequest &request, bool readable)
{
    using Table = knvt::SyncAnswerTable;
    Table::Answer answer = Table::answerOf(request);
    if (answer == Table::Answer::Success && !readable)
        answer = Table::Answer::UnreadableSuccess;
    const Table::Request kind = Table::requestOf(request);
    const knvt::Error error = answer == Table::Answer::UnreadableSuccess
        ? knvt::syncUnreadableReplyError(request.URL().path())
        : request.requestError();
    const Table::Outcome outcome = Table::outcome(kind, answer);
    if (kind == Table::Request::Create) {
        if (ostore::Object *object = pushedObject(request)) {
            auto *created = static_cast<KNVTCDTaskStoreObject *>(object);
            // A create the service refused with a status of its own was not made; one answered with nothing that
            // reads, or with a failure of the service's own, which a gateway gives as readily after its back end made
            // the object as before, may have been, and the reads of where it lands are asked first.
            if (answer == Table::Answer::UnreadableSuccess || answer == Table::Answer::ServiceError)
                m_pull->creationInDoubt(*object);
            else if (request.requestError())
                created->setPushState(KNVTCDTaskStoreObject::PushState::None);
        }
    }
    switch (outcome) {
    case Table::Outcome::Done:
        if (kind == Table::Request::AvatarRead && answer != Table::Answer::Success)
            m_pull->noPicture(request);
        return;
    case Table::Outcome::SessionRefused: // the state has ended the session
        return;
    case Table::Outcome::ObjectGone:
        if (isRead(kind)) {
            // A list read earlier this session named the list the service now says is gone: the session has not
            // synced until a read of that collection agrees.
            if (const knvt::Error named = m_pull->listGone(request, error))
                failRequest(named);
        } else if (ostore::Object *object = pushedObject(request)) {
            m_pull->changeAnsweredGone(*object, error);
        }
        return;
    case Table::Outcome::KeptToSendAgain:
        failRequest(isRead(kind) ? m_pull->readFailed(request, error) : error);
        return;
    case Table::Outcome::KeptAndNamed:
    case Table::Outcome::Undone:
    case Table::Outcome::HeldRefused:
        if (ostore::Object *object = pushedObject(request)) {
            qCInfo(lcSync).noquote() << "KNVTTaskStoreSyncSession:processFailedRequest the service refused"
                                     << object->entity().name << request.URL().path() << describeErrorBody(error);
            const knvt::SyncRefusal refusal = outcome == Table::Outcome::Undone ? knvt::SyncRefusal::Undone
                : outcome == Table::Outcome::HeldRefused                        ? knvt::SyncRefusal::Held
                                                                                : knvt::SyncRefusal::Kept;
            // A 404 to a create, where a read has just shown the service holding where it lands, is no sign of a place
            // gone: it is held as refused, and the user, told at the first 404, is not told again.
            const bool notFound = outcome == Table::Outcome::HeldRefused && answer == Table::Answer::NotFound;
            const bool placeShown = notFound && m_sentAfterPlaceShown.contains(object->objectID());
            if (!placeShown)
                nameRefusedChange(*object, error, refusal);
            if (outcome == Table::Outcome::Undone) {
                undoChange(*object, request);
            } else if (outcome == Table::Outcome::HeldRefused) {
                // Held as what the service was asked for: a change of the user's makes it another request.
                const auto held = notFound && !placeShown ? KNVTCDTaskStoreObject::PushState::NotFound
                                                          : KNVTCDTaskStoreObject::PushState::Refused;
                static_cast<KNVTCDTaskStoreObject *>(object)->setPushState(
                    held,
                    knvt::CreationsInDoubt::creationText(
                        request.userInfo().value(QString::fromLatin1(KNVTTaskStoreSyncSentAttributesByKey)).toMap()));
                if (held == KNVTCDTaskStoreObject::PushState::NotFound)
                    m_pull->creationNotFound(*object);
            }
        }
        return;
    }
}

void KNVTTaskStoreSyncSession::nameRefusedChange(const ostore::Object &object, const knvt::Error &error,
                                                 knvt::SyncRefusal refusal)
{
    if (!m_refusedChangeError)
        m_refusedChangeError = knvt::syncRefusedChangeError(error, nameOf(object), refusal, placeNameOf(object));
    ++m_refusedChanges;
}

void KNVTTaskStoreSyncSession::willSendRequest(const KNVTRESTFulRequest &request)
{
    if (request.requestMethod() != KNVTRequestMethodPOST || !rootKeysByPushResource().contains(request.resource()))
        return;
    ostore::Object *object = pushedObject(request);
    if (!object)
        return;
    if (static_cast<KNVTCDTaskStoreObject *>(object)->pushState() == KNVTCDTaskStoreObject::PushState::PlaceShown)
        m_sentAfterPlaceShown.insert(object->objectID());
    static_cast<KNVTCDTaskStoreObject *>(object)->setPushState(
        KNVTCDTaskStoreObject::PushState::PossiblySent,
        knvt::CreationsInDoubt::creationText(
            request.userInfo().value(QString::fromLatin1(KNVTTaskStoreSyncSentAttributesByKey)).toMap()));
    // On disk before the request leaves: a save that fails leaves the mark in this context only, which still keeps
    // this run from sending it twice.
    knvt::Error error;
    if (!saveManagedObjectContext(&error))
        qCWarning(lcSync).noquote() << "KNVTTaskStoreSyncSession:willSendRequest couldn't keep that a create goes out:"
                                    << error.description();
}

void KNVTTaskStoreSyncSession::creationHeld(ostore::Object &object)
{
    m_pull->creationHeld(object);
}

std::vector<KNVTTaskStoreLostEdit> KNVTTaskStoreSyncSession::takeLostEdits()
{
    return m_pull->takeLostEdits();
}

void KNVTTaskStoreSyncSession::failRequest(const knvt::Error &error)
{
    if (!m_failedRequestError)
        m_failedRequestError = error;
}

void KNVTTaskStoreSyncSession::undoChange(ostore::Object &object, const KNVTRESTFulRequest &request)
{
    m_pull->changeUndone(object);
    // What the request carried is not sent again; a key changed since it went out is still the user's to send.
    const QStringList waiting = changedKeysAfter(object, request);
    // The service's copy comes back whatever its date: the copy here is no longer newer.
    for (const QString &key : {QStringLiteral("deletedDate"), QStringLiteral("modifiedDate")}) {
        if (object.entity().property(key) >= 0 && !ostore::isNone(object.value(key)))
            object.setValue(key, ostore::Value());
    }
    knvt::ReplyMerge::setChangedKeys(object, waiting);
}

QStringList KNVTTaskStoreSyncSession::changedKeysAfter(const ostore::Object &object,
                                                       const KNVTRESTFulRequest &request) const
{
    // The change list as stored now, which may hold keys recorded while the request was under way; this context's
    // own copy may be older.
    QStringList keys;
    const ostore::ValueMap stored = m_context->committedValues(&object, {kChangedKeysString});
    const ostore::ValueMap mine = object.changedValues();
    const ostore::Value current = mine.contains(kChangedKeysString) || stored.isEmpty()
        ? object.value(kChangedKeysString)
        : stored.value(kChangedKeysString);
    if (const QString *string = std::get_if<QString>(&current))
        keys = string->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QVariantMap sent =
        request.userInfo().value(QString::fromLatin1(KNVTTaskStoreSyncSentAttributesByKey)).toMap();
    // Answered: the keys the request carried whose values are still the ones it carried. A delete carries the
    // deletion.
    const bool deletes = request.requestMethod() == KNVTRequestMethodDELETE;
    keys.erase(std::remove_if(keys.begin(), keys.end(),
                              [&](const QString &changedKey) {
                                  if (deletes && changedKey == QLatin1String("deletedDate"))
                                      return true;
                                  const auto it = sent.constFind(changedKey);
                                  return it != sent.constEnd()
                                      && knvt::syncWireAttributesUnchanged(object, changedKey, *it);
                              }),
               keys.end());
    return keys;
}

void KNVTTaskStoreSyncSession::processFailedRequest(const KNVTRESTFulRequest &request)
{
    settleAnswer(request);
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

// ---- Reads ----

void KNVTTaskStoreSyncSession::processGETRequest(const KNVTRESTFulRequest &request)
{
    // The caller keeps the request for the length of the call.
    beginGETRequest(std::shared_ptr<const KNVTRESTFulRequest>(std::shared_ptr<void>(), &request));
    continueGETRequest(QDeadlineTimer::Forever);
}

void KNVTTaskStoreSyncSession::beginGETRequest(std::shared_ptr<const KNVTRESTFulRequest> request)
{
    m_readRequest = request;
    m_pull->begin(std::move(request));
}

bool KNVTTaskStoreSyncSession::continueGETRequest(const QDeadlineTimer &deadline)
{
    if (!m_pull->proceed(deadline))
        return false;
    if (const std::shared_ptr<const KNVTRESTFulRequest> request = std::exchange(m_readRequest, nullptr))
        settleAnswer(*request, m_pull->lastReplyWasReadable());
    return true;
}

// ---- Pushes ----

void KNVTTaskStoreSyncSession::processPOSTRequest(const KNVTRESTFulRequest &request)
{
    const knvt::JSONDocument reply = knvt::JSONDocument::fromJson(request.responseData());
    settleAnswer(request, applyCreatedObject(reply.root(), request));
}

void KNVTTaskStoreSyncSession::processJSONObject(const knvt::JSONView &value, const KNVTRESTFulRequest &request)
{
    if (request.requestMethod() == KNVTRequestMethodPOST)
        applyCreatedObject(value, request);
    else
        m_pull->applyWhole(value, request);
}

bool KNVTTaskStoreSyncSession::applyCreatedObject(const knvt::JSONView &value, const KNVTRESTFulRequest &request)
{
    const QString rootKey = rootKeysByPushResource().value(request.resource());
    if (!dynamic_cast<const KNVTRESTFulPushRequest *>(&request) || rootKey.isEmpty() || !m_context)
        return true;
    const knvt::JSONView inner = value.value(rootKey.toStdString());
    if (!inner.isObject() || !KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id"))) {
        // The service may have made it all the same: a read of where it lands says so before it is posted again.
        qCInfo(lcSync).noquote() << "KNVTTaskStoreSyncSession:processPOSTRequest a create of" << request.resource()
                                 << "was answered without the created object; a read settles it before it is posted "
                                    "again";
        return false;
    }
    ostore::Object *object = pushedObject(request);
    if (object)
        static_cast<KNVTCDTaskStoreObject *>(object)->setPushState(KNVTCDTaskStoreObject::PushState::None);
    if (!object) {
        // Deleted here while its create was under way: the service keeps the new entity, so a tombstone carrying its
        // identifier makes the next push delete it there too.
        if (request.resource() != QLatin1String("friendships"))
            insertTombstone(knvt::ReplyMerge::entityNameForRootKey(rootKey), inner);
        return true;
    }
    knvt::ReplyMerge(*m_context, m_pull.get())
        .mergeReply(*object, inner,
                    request.userInfo().value(QString::fromLatin1(KNVTTaskStoreSyncSentAttributesByKey)).toMap());
    return true;
}

void KNVTTaskStoreSyncSession::insertTombstone(const QString &entityName, const knvt::JSONView &inner)
{
    if (!m_context || entityName.isEmpty())
        return;
    ostore::Object *tombstone = knvt::insertNewObjectForFillForEntityForName(*m_context, entityName);
    static_cast<KNVTCDTaskStoreObject *>(tombstone)->updateWithAttributes(inner);
    tombstone->setValue(QStringLiteral("deletedDate"), knvt::Clock::shared().now());
}

void KNVTTaskStoreSyncSession::processPUTRequest(const KNVTRESTFulRequest &request)
{
    const bool readable = isChangeReply(request.responseData(), rootKeysByPushResource().value(request.resource()),
                                        request.requestMethod());
    ostore::Object *object = rootKeysByPushResource().contains(request.resource()) ? pushedObject(request) : nullptr;
    if (object && readable)
        knvt::ReplyMerge::setChangedKeys(*object, changedKeysAfter(*object, request));
    settleAnswer(request, readable);
}

void KNVTTaskStoreSyncSession::processDELETERequest(const KNVTRESTFulRequest &request)
{
    const bool readable = isChangeReply(request.responseData(), rootKeysByPushResource().value(request.resource()),
                                        request.requestMethod());
    if (readable && rootKeysByPushResource().contains(request.resource())) {
        if (ostore::Object *object = pushedObject(request))
            m_context->remove(object);
    }
    settleAnswer(request, readable);
}
