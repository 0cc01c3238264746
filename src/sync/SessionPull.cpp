#include "sync/SessionPull.h"

#include "sync/CreationsInDoubt.h"
#include "sync/KNVTTaskStoreSyncResources.h"
#include "sync/KNVTTaskStoreSyncSession.h"
#include "sync/Logging.h"
#include "sync/ReplyMerge.h"
#include "sync/SyncFailure.h"
#include "sync/SyncWireAttributes.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListCollaboratorStatus.h"
#include "model/KNVTUserFriendshipStatus.h"

#include "service/KNVTRESTFulPullRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Where.h"

#include <QImage>

using namespace ostore::where;

namespace knvt {

namespace {

const QString kTaskEntity = QStringLiteral("KNVTCDTask");
const QString kTaskListEntity = QStringLiteral("KNVTCDTaskList");
const QString kInbox = QStringLiteral("tasks/inbox");
const QString kTags = QStringLiteral("tags");

bool hasNumericIdentifier(const ostore::Object &object)
{
    return std::holds_alternative<qint64>(object.value(QStringLiteral("numericIdentifier")));
}

bool isList(const ostore::Object &object)
{
    return object.entity().name == kTaskListEntity;
}

// Whether the service has yet to take something of the user's in `object`: it was never pushed, or a change of it
// that a push carries waits.
bool waitsForPush(const KNVTCDTaskStoreObject &object)
{
    const QStringList changed = object.changedKeys();
    return !hasNumericIdentifier(object)
        || (!changed.isEmpty() && !syncWireAttributesForKeys(object, changed).isEmpty());
}

// Whether `list`, one of its tasks, or their comments, watchers and tags hold work of the user's that the service has
// not taken.
bool holdsUnsentWork(const KNVTCDTaskList &list)
{
    if (waitsForPush(list))
        return true;
    for (const KNVTCDTask *task : list.tasks()) {
        if (waitsForPush(*task))
            return true;
        for (const KNVTCDTaskComment *comment : task->comments())
            if (waitsForPush(*comment))
                return true;
        for (const KNVTCDTaskWatcher *watcher : task->taskWatchers())
            if (waitsForPush(*watcher))
                return true;
        for (const KNVTCDTaggedTask *link : task->taggedTasks())
            if (waitsForPush(*link))
                return true;
    }
    return false;
}

// The resources whose reads keep an entity tag, with the root key of their entities.
const QHash<QString, QString> &rootKeysByTaggedResource()
{
    static const QHash<QString, QString> keys{{QStringLiteral("account"), QStringLiteral("account")},
                                              {QStringLiteral("friendships"), QStringLiteral("friendship")},
                                              {QStringLiteral("friendships/invites"), QStringLiteral("friendship")},
                                              {QStringLiteral("task_lists"), QStringLiteral("task_list")},
                                              {QStringLiteral("task_lists/pending"), QStringLiteral("task_list")},
                                              {QStringLiteral("task_lists/archived"), QStringLiteral("task_list")},
                                              {QStringLiteral("task_lists/declined"), QStringLiteral("task_list")},
                                              {kInbox, QStringLiteral("task")},
                                              {kTags, QStringLiteral("tag")}};
    return keys;
}

// The collection that holds `list` by the local user's place in it.
QString collectionOf(const KNVTCDTaskList &list)
{
    return CreationsInDoubt::collectionOf(list);
}

// What a new object held back waits for, when it waits in a list: a task's own, that of a comment's or watcher's task,
// a row's.
const ostore::Object *listOfCreation(const ostore::Object &object)
{
    const QString &entity = object.entity().name;
    const KNVTCDTask *task = nullptr;
    if (entity == QLatin1String("KNVTCDTask"))
        task = static_cast<const KNVTCDTask *>(&object);
    else if (entity == QLatin1String("KNVTCDTaskComment"))
        task = static_cast<const KNVTCDTaskComment &>(object).task();
    else if (entity == QLatin1String("KNVTCDTaskWatcher"))
        task = static_cast<const KNVTCDTaskWatcher &>(object).task();
    else if (entity == QLatin1String("KNVTCDTaskListCollaborator"))
        return static_cast<const KNVTCDTaskListCollaborator &>(object).taskList();
    return task ? task->taskList() : nullptr;
}

// The object whose reply carries `object` in one of its arrays, and the array's key; none for an object read on its
// own.
std::pair<const ostore::Object *, std::string_view> holderOf(const ostore::Object &object)
{
    const QString &entity = object.entity().name;
    if (entity == QLatin1String("KNVTCDTaskComment"))
        return {static_cast<const KNVTCDTaskComment &>(object).task(), "comments"};
    if (entity == QLatin1String("KNVTCDTaskWatcher"))
        return {static_cast<const KNVTCDTaskWatcher &>(object).task(), "task_watchers"};
    if (entity == QLatin1String("KNVTCDTaskListCollaborator"))
        return {static_cast<const KNVTCDTaskListCollaborator &>(object).taskList(), "task_list_collaborators"};
    if (entity == QLatin1String("KNVTCDTaggedTask"))
        return {static_cast<const KNVTCDTaggedTask &>(object).tag(), "tagged_items"};
    return {nullptr, {}};
}

// What the user wrote in the change of `keys` to `object`, to be told if the object turns out gone.
KNVTTaskStoreLostEdit writtenIn(const ostore::Object &object, const QStringList &keys)
{
    using Kind = KNVTTaskStoreLostEdit::Kind;
    const QString &entity = object.entity().name;
    const auto titleAndNotes = [&keys](const QString &title, const QString &notes) {
        QStringList texts;
        if (keys.contains(QLatin1String("title")) && !title.isEmpty())
            texts << title;
        if (keys.contains(QLatin1String("notes")) && !notes.isEmpty())
            texts << notes;
        return texts.join(QStringLiteral("\n\n"));
    };
    if (entity == QLatin1String("KNVTCDTaskComment")) {
        const auto &comment = static_cast<const KNVTCDTaskComment &>(object);
        if (!keys.contains(QLatin1String("text")))
            return {};
        return {Kind::Comment, comment.task() ? comment.task()->title() : QString(), comment.text()};
    }
    if (entity == kTaskEntity) {
        const auto &task = static_cast<const KNVTCDTask &>(object);
        return {Kind::Task, task.title(), titleAndNotes(task.title(), task.notes())};
    }
    if (entity == kTaskListEntity) {
        const auto &list = static_cast<const KNVTCDTaskList &>(object);
        return {list.isArea() ? Kind::Area : Kind::Project, list.title(), titleAndNotes(list.title(), list.notes())};
    }
    if (entity == QLatin1String("KNVTCDTag")) {
        const auto &tag = static_cast<const KNVTCDTag &>(object);
        return {Kind::Tag, tag.title(), titleAndNotes(tag.title(), QString())};
    }
    return {};
}

// The elements of the nested arrays of an entity that cannot be read, at every level the entities read: the rows and
// tasks of a list, the comments and watchers of those tasks or of a task, the links of a tag. A nested key that holds
// something other than an array counts as one.
int unreadableNestedElements(const JSONView &inner, std::string_view rootKey)
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
        const JSONView value = inner.value(arrayKey);
        if (value.isUndefined() || value.isNull())
            continue;
        if (!value.isArray()) {
            ++count;
            continue;
        }
        for (const JSONView &element : value) {
            const std::optional<JSONView> readable = KNVTCDTaskStoreObject::readableNestedElement(arrayKey, element);
            if (!readable)
                ++count;
            else if (nested.elementRootKey)
                count += unreadableNestedElements(*readable, nested.elementRootKey);
        }
    }
    return count;
}

} // namespace

SessionPull::SessionPull(KNVTTaskStoreSyncSession &session) : m_session(session) {}

SessionPull::~SessionPull() = default;

ostore::Context *SessionPull::context() const
{
    return m_session.managedObjectContext();
}

ReplyMerge SessionPull::merge()
{
    return ReplyMerge(*context(), this);
}

QStringList SessionPull::staleResourceETags() const
{
    QStringList stale = m_staleResourceETags;
    for (const QString &resource : m_distrustedResourceETags) {
        if (!stale.contains(resource))
            stale.append(resource);
    }
    return stale;
}

// ---- Replies ----

bool SessionPull::settlesCreations(const KNVTRESTFulRequest &request)
{
    return request.userInfo().contains(QString::fromLatin1(KNVTTaskStoreSyncCreationsInDoubt));
}

void SessionPull::begin(std::shared_ptr<const KNVTRESTFulRequest> request)
{
    m_reply = std::make_unique<Reply>();
    m_lastReplyReadable = true;
    m_lastReplyWhole = true;
    Reply &reply = *m_reply;
    reply.request = std::move(request);
    const KNVTRESTFulRequest &pulled = *reply.request;
    if (!context())
        return;
    if (pulled.requestFormat() == KNVTRequestFormatPNG) {
        m_lastReplyReadable = applyPicture(pulled.responseData(), pulled);
        return;
    }
    if (pulled.requestFormat() != KNVTRequestFormatJSON)
        return;
    reply.document = JSONDocument::fromJson(pulled.responseData());
    const JSONView &value = reply.document.root();
    m_lastReplyReadable = checkReadability(value, pulled);
    // Before the reply is applied, which would take the service's object made of a create in doubt for a new one.
    settleCreationsInDoubt(pulled, value);
    if (!value.isArray()) {
        if (!beginListReply(reply, value))
            applyWhole(value, pulled);
        return;
    }
    // Every array a read receives is applied element by element, under its collection's rule when it has one. A read a
    // push makes to settle its creates in doubt comes before the other collections of its kind: it removes nothing
    // for lacking, which only the pull's reads, all of them, may judge.
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&pulled);
    if (pull && pull->requestAction() == KNVTRESTFulRequestActionIndex && !settlesCreations(pulled)) {
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
    while (reply.next != reply.end && context()) {
        const JSONView element = *reply.next;
        ++reply.next;
        if (reply.listTasks) {
            if (KNVTCDTaskList *list = listOfReply(reply))
                reply.listTasks->apply(*list, element);
        } else if (reply.listRule) {
            applyListRuleElement(*reply.listRule, element);
        } else if (element.isObject()) {
            merge().applyWrappedEntities(element);
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

void SessionPull::applyWhole(const JSONView &value, const KNVTRESTFulRequest &request)
{
    if (!context())
        return;
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&request);
    if (pull && pull->resource() == QLatin1String("account") && value.isObject()) {
        const JSONView account = value.value("account");
        if (account.isObject())
            merge().applyEntity(QStringLiteral("KNVTCDAccount"), account);
        return;
    }
    merge().applyWrappedEntities(value);
}

bool SessionPull::beginListReply(Reply &reply, const JSONView &value)
{
    // The reply of a list's own read holds that list alone, with its tasks.
    const JSONView inner = value.value("task_list");
    const JSONView tasks = inner.value("tasks");
    if (!tasks.isArray() || value.size() != 1)
        return false;
    bool applied = false;
    const std::optional<qint64> id = KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id"));
    const ostore::Object *before = merge().objectForNumericIdentifier(kTaskListEntity, id);
    const bool refusedWaiting = refusedCreationsWaitIn(before);
    const bool couldAdd = refusedWaiting && static_cast<const KNVTCDTaskList *>(before)->canAddTasks();
    ostore::Object *list = merge().applyEntity(kTaskListEntity, ReplyMerge::withoutTasks(inner).root(), &applied);
    if (!list)
        return true;
    settleAnsweredGoneUnder(*list, inner);
    if (refusedWaiting && !couldAdd && static_cast<const KNVTCDTaskList *>(list)->canAddTasks())
        allowRefusedCreationsIn(static_cast<const KNVTCDTaskList &>(*list));
    const auto &taskList = static_cast<const KNVTCDTaskList &>(*list);
    reply.listTasks.emplace(taskList,
                            applied ? KNVTCDTaskStoreObject::NestedMerge::Reconcile
                                    : KNVTCDTaskStoreObject::NestedMerge::InsertMissing,
                            this);
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
    const JSONView &value = reply.document.root();
    if (context() && value.isArray() && request.resource() == kTags
        && KNVTRESTFulRequest::isNoIdentifier(request.identifier()) && linksTasksThatAreNotHere(value))
        invalidateResourceETag(request.resource());
    // The read that settles creates removed nothing, so its tag says nothing of what is here.
    if (!settlesCreations(request))
        keepETag(request);
}

bool SessionPull::checkReadability(const JSONView &value, const KNVTRESTFulRequest &request)
{
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&request);
    const std::optional<HttpResponse> response = request.HTTPURLResponse();
    // A 304 has no body by design.
    if (!pull || (response && response->statusCode() == 304))
        return true;
    const bool collection = KNVTRESTFulRequest::isNoIdentifier(pull->identifier());
    QString rootKeyName = collection ? rootKeysByTaggedResource().value(pull->resource()) : QString();
    if (!collection && pull->resource() == QLatin1String("task_lists"))
        rootKeyName = QStringLiteral("task_list");
    if (rootKeyName.isEmpty())
        return true;
    const std::string rootKey = rootKeyName.toStdString();
    const bool expectsArray = collection && pull->resource() != QLatin1String("account");
    const std::optional<JSONView> single =
        expectsArray ? std::optional<JSONView>() : ReplyMerge::readableEntity(value, rootKey);
    int unreadable = 0;
    int elements = 1;
    bool readable = true;
    if (expectsArray && value.isArray()) {
        elements = int(value.size());
        for (const JSONView &element : value) {
            if (const std::optional<JSONView> inner = ReplyMerge::readableEntity(element, rootKey))
                unreadable += unreadableNestedElements(*inner, rootKey);
            else
                ++unreadable;
        }
    } else if (single) {
        unreadable += unreadableNestedElements(*single, rootKey);
    } else {
        // Not JSON, or not the shape of the resource: nothing of it can be taken for the resource's reply.
        unreadable = 1;
        readable = false;
    }
    m_lastReplyWhole = unreadable == 0;
    if (unreadable == 0)
        return true;
    // Nothing was deleted for lacking from this reply, so the entity tag stays unknown and the next read asks for the
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
    return readable;
}

bool SessionPull::applyPicture(const QByteArray &data, const KNVTRESTFulRequest &request)
{
    // A 200 can carry anything (a captive portal's page); storing that would replace the picture and stop the download
    // until the service's avatar date changes.
    QImage image;
    if (data.isEmpty() || !image.loadFromData(data)) {
        qCInfo(lcSync) << "SessionPull:applyPicture the reply of an avatar is no image";
        return false;
    }
    if (request.resources() != QStringList{QStringLiteral("users"), QStringLiteral("avatar")}
        || request.identifiers().isEmpty())
        return true;
    bool ok = false;
    const qint64 id = request.identifiers().constFirst().toLongLong(&ok);
    auto *user =
        static_cast<KNVTCDUser *>(ok ? merge().objectForNumericIdentifier(QStringLiteral("KNVTCDUser"), id) : nullptr);
    if (KNVTCDAvatar *avatar = user ? user->avatar() : nullptr) {
        // Emptied first, so the thumbnail is rebuilt even when the bytes are the same.
        avatar->setData(QByteArray());
        avatar->setData(data);
        avatar->setNeedsUpdating(false);
    }
    return true;
}

void SessionPull::mergePulledTask(KNVTCDTask &task, const JSONView &attributes)
{
    merge().mergeReply(task, attributes);
    settleAnsweredGoneUnder(task, attributes);
}

void SessionPull::pulledTaskMissing(KNVTCDTaskList &list, KNVTCDTask &task)
{
    // A task changed here (moved into this list, above all) may be missing from the service's list only because its
    // change has not been pushed yet: its push settles it, unless the service already answered that it has it no more.
    if (!task.changedKeys().isEmpty() && !wasAnsweredGone(task.objectID()))
        return;
    m_missingObjects.push_back({task.objectID(), QString(), list.objectID(), {}, false, Names::Tasks});
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
    Error error;
    if (!m_session.saveManagedObjectContext(&error))
        qCInfo(lcSync).noquote() << "SessionPull:saveInPassing couldn't save:" << error.description();
}

// ---- Failures and what the service removed ----

SessionPull::Names SessionPull::namesOfCollection(const QString &resource)
{
    if (resource == QLatin1String("account"))
        return Names::Account;
    if (resource.startsWith(QLatin1String("friendships")))
        return Names::People;
    if (resource.startsWith(QLatin1String("task_lists")))
        return Names::Lists;
    if (resource == kInbox)
        return Names::Tasks;
    if (resource == kTags)
        return Names::Tags;
    return Names::Nothing;
}

SessionPull::Names SessionPull::namesOf(const KNVTRESTFulRequest &request)
{
    // A picture names no object; a list's own read names its tasks.
    if (request.resources().size() > 1)
        return Names::Nothing;
    if (!KNVTRESTFulRequest::isNoIdentifier(request.identifier()))
        return Names::Tasks;
    return namesOfCollection(request.resource());
}

Error SessionPull::namedReadError(const KNVTRESTFulRequest &request, const Error &error)
{
    ostore::Context *ctx = context();
    if (request.resources().size() > 1) {
        bool ok = false;
        const qint64 id = request.identifiers().value(0).toLongLong(&ok);
        const auto *user = static_cast<const KNVTCDUser *>(
            ok && ctx ? merge().objectForNumericIdentifier(QStringLiteral("KNVTCDUser"), id) : nullptr);
        const QString name = !user ? QString() : user->fullName().isEmpty() ? user->username() : user->fullName();
        return syncFailedReadError(error, SyncRead::Picture, name);
    }
    if (!KNVTRESTFulRequest::isNoIdentifier(request.identifier())) {
        bool ok = false;
        const qint64 id = request.identifier().toLongLong(&ok);
        const auto *list = static_cast<const KNVTCDTaskList *>(
            ok && ctx ? merge().objectForNumericIdentifier(kTaskListEntity, id) : nullptr);
        return syncFailedReadError(error, SyncRead::List, list ? list->title() : QString());
    }
    const QString &resource = request.resource();
    SyncRead read = SyncRead::None;
    switch (namesOfCollection(resource)) {
    case Names::Account: read = SyncRead::Account; break;
    case Names::People:
        read = resource == QLatin1String("friendships/invites") ? SyncRead::Invitations : SyncRead::People;
        break;
    case Names::Lists: read = SyncRead::Lists; break;
    case Names::Tasks: read = SyncRead::Inbox; break;
    case Names::Tags: read = SyncRead::Tags; break;
    case Names::Nothing: break;
    }
    return syncFailedReadError(error, read);
}

Error SessionPull::readFailed(const KNVTRESTFulRequest &request, const Error &error)
{
    const Names names = namesOf(request);
    m_unreadNames |= 1u << unsigned(names);
    // The collections of lists say which lists are read, and so where tasks are.
    if (names == Names::Lists)
        m_unreadNames |= 1u << unsigned(Names::Tasks);
    const Error named = namedReadError(request, error);
    if (!m_failedReadError)
        m_failedReadError = named;
    return named;
}

Error SessionPull::listGone(const KNVTRESTFulRequest &request, const Error &error)
{
    bool ok = false;
    const qint64 id = request.identifier().toLongLong(&ok);
    ostore::Object *list = ok && context() ? merge().objectForNumericIdentifier(kTaskListEntity, id) : nullptr;
    if (!list || list->isDeleted())
        return {};
    const Error named = namedReadError(request, error);
    distrustReadsThatNamed(*list);
    auto &taskList = static_cast<KNVTCDTaskList &>(*list);
    if (holdsUnsentWork(taskList)) {
        // One answer is not enough to take what the user did and the service never had: the list stays until a read
        // of its collection says whether it is still there, and its work goes out meanwhile. Left out of that read, it
        // goes as any list the service no longer lists.
        qCInfo(lcSync).noquote() << "SessionPull:listGone list" << id
                                 << "holds changes not yet sent; it stays until its collection is read again";
        taskList.setToBeFetchedAgain(true);
    } else {
        merge().removeTaskListWithTasks(*list);
    }
    if (!m_failedReadError)
        m_failedReadError = named;
    return named;
}

void SessionPull::changeAnsweredGone(ostore::Object &object, const Error &error)
{
    distrustReadsThatNamed(object);
    AnsweredGone gone{
        object.objectID(), error, static_cast<const KNVTCDTaskStoreObject &>(object).changedKeys(), {}, {}};
    for (const QString &changed : std::as_const(gone.keys)) {
        if (object.entity().property(changed) >= 0)
            gone.values.insert(changed, object.value(changed));
    }
    gone.written = writtenIn(object, gone.keys);
    m_answeredGone.push_back(std::move(gone));
}

void SessionPull::settleAnsweredGoneUnder(const ostore::Object &parent, const JSONView &inner)
{
    ostore::Context *ctx = context();
    if (m_answeredGone.empty() || !ctx)
        return;
    for (const AnsweredGone &gone : m_answeredGone) {
        ostore::Object *object = ctx->existingObject(gone.object);
        if (!object || object->isDeleted())
            continue;
        const auto [holder, arrayKey] = holderOf(*object);
        const JSONView array = holder == &parent ? inner.value(arrayKey) : JSONView();
        if (!array.isArray())
            continue;
        const ostore::Value idValue = object->value(QStringLiteral("numericIdentifier"));
        const qint64 *id = std::get_if<qint64>(&idValue);
        bool named = false;
        bool whole = true;
        for (const JSONView &element : array) {
            const std::optional<JSONView> readable = KNVTCDTaskStoreObject::readableNestedElement(arrayKey, element);
            whole = whole && readable.has_value();
            named = named
                || (readable && id && KNVTCDTaskStoreObject::numericIdentifierFromJSON(readable->value("id")) == *id);
        }
        // What its holder's array, read whole, leaves out is no longer on the service.
        if (whole && !named)
            ctx->remove(object);
    }
}

void SessionPull::settleAnsweredGone()
{
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    for (AnsweredGone &gone : m_answeredGone) {
        ostore::Object *object = ctx->existingObject(gone.object);
        if (!object || object->isDeleted()) {
            if (!gone.told && !gone.written.text.isEmpty())
                m_lostEdits.push_back(gone.written);
            gone.told = true;
            continue;
        }
        // A read brought the object back with the service's values: the user's change goes over them again.
        auto *storeObject = static_cast<KNVTCDTaskStoreObject *>(object);
        QStringList keys = storeObject->changedKeys();
        for (const QString &changed : std::as_const(gone.keys)) {
            // What it points to may be gone meanwhile: a relationship is left as the read has it.
            const int property = object->entity().property(changed);
            if (keys.contains(changed) || property < 0
                || object->entity().properties[size_t(property)].type == ostore::Type::ToOne)
                continue;
            object->setValue(changed, gone.values.value(changed));
            keys.append(changed);
        }
        if (keys != storeObject->changedKeys())
            ReplyMerge::setChangedKeys(*object, keys);
    }
}

Error SessionPull::changeStillAnsweredGone() const
{
    ostore::Context *ctx = context();
    for (const AnsweredGone &gone : m_answeredGone) {
        const ostore::Object *object = ctx ? ctx->existingObject(gone.object) : nullptr;
        if (object && !object->isDeleted())
            return gone.error;
    }
    return {};
}

bool SessionPull::wasAnsweredGone(const ostore::ObjectID &object) const
{
    return std::any_of(m_answeredGone.begin(), m_answeredGone.end(),
                       [&object](const AnsweredGone &gone) { return gone.object == object; });
}

void SessionPull::creationInDoubt(const ostore::Object &object)
{
    if (std::find(m_creationsInDoubt.begin(), m_creationsInDoubt.end(), object.objectID()) == m_creationsInDoubt.end())
        m_creationsInDoubt.push_back(object.objectID());
}

void SessionPull::creationHeld(const ostore::Object &object)
{
    switch (static_cast<const KNVTCDTaskStoreObject &>(object).pushState()) {
    case KNVTCDTaskStoreObject::PushState::PossiblySent: creationInDoubt(object); return;
    case KNVTCDTaskStoreObject::PushState::Refused:
        if (listOfCreation(object)
            && std::find(m_refusedCreations.begin(), m_refusedCreations.end(), object.objectID())
                == m_refusedCreations.end())
            m_refusedCreations.push_back(object.objectID());
        return;
    case KNVTCDTaskStoreObject::PushState::NotFound:
        if (std::find(m_creationsNotFound.begin(), m_creationsNotFound.end(), object.objectID())
            == m_creationsNotFound.end())
            m_creationsNotFound.push_back(object.objectID());
        return;
    case KNVTCDTaskStoreObject::PushState::Unsettled: nameUnsettled(object); return;
    default: return;
    }
}

void SessionPull::nameUnsettled(const ostore::Object &object)
{
    if (m_unsettledNamed.contains(object.objectID()))
        return;
    m_unsettledNamed.insert(object.objectID());
    const bool deleted = !ostore::isNone(object.value(QStringLiteral("deletedDate")));
    m_session.nameRefusedChange(object, Error(), deleted ? SyncRefusal::UnsettledDeleted : SyncRefusal::Unsettled);
}

void SessionPull::creationNotFound(const ostore::Object &object)
{
    // With the entity tags it keeps, a read shows nothing when nothing changed, and the create would wait for good:
    // where it lands is read whole, the collection or the list's own read.
    if (const std::optional<CreationsInDoubt::Place> place = CreationsInDoubt::placeSentTo(object); place && place->list) {
        if (ostore::Object *list = merge().objectForNumericIdentifier(kTaskListEntity, place->list))
            static_cast<KNVTCDTaskList *>(list)->setToBeFetchedAgain(true);
    } else if (place) {
        distrust(place->collection);
    }
    creationHeld(object);
}

void SessionPull::showPlacesOfCreationsNotFound(const KNVTRESTFulRequest &request, const JSONView &value)
{
    ostore::Context *ctx = context();
    const std::optional<CreationsInDoubt::Place> read = CreationsInDoubt::placeRead(request);
    // A 304 shows nothing.
    if (m_creationsNotFound.empty() || !ctx || !read || !m_lastReplyReadable || !(value.isArray() || value.isObject()))
        return;
    for (auto it = m_creationsNotFound.begin(); it != m_creationsNotFound.end();) {
        auto *object = static_cast<KNVTCDTaskStoreObject *>(ctx->existingObject(*it));
        if (!object || object->isDeleted() || object->pushState() != KNVTCDTaskStoreObject::PushState::NotFound) {
            it = m_creationsNotFound.erase(it);
            continue;
        }
        if (CreationsInDoubt::placeSentTo(*object) != read) {
            ++it;
            continue;
        }
        qCInfo(lcSync).noquote() << "SessionPull:showPlacesOfCreationsNotFound the service holds where the"
                                 << object->entity().name << "it answered 404 lands; it goes once more";
        object->setPushState(KNVTCDTaskStoreObject::PushState::PlaceShown, object->pushedAttributes());
        it = m_creationsNotFound.erase(it);
    }
}

void SessionPull::settleCreationsInDoubt(const KNVTRESTFulRequest &request, const JSONView &value)
{
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    showPlacesOfCreationsNotFound(request, value);
    // A read that a push makes first names those it is for.
    const QStringList named =
        request.userInfo().value(QString::fromLatin1(KNVTTaskStoreSyncCreationsInDoubt)).toStringList();
    for (const QString &uri : named) {
        if (const std::optional<ostore::ObjectID> id = ctx->coordinator()->objectIDForURI(QUrl(uri)))
            if (std::find(m_creationsInDoubt.begin(), m_creationsInDoubt.end(), *id) == m_creationsInDoubt.end())
                m_creationsInDoubt.push_back(*id);
    }
    if (m_creationsInDoubt.empty())
        return;
    std::vector<ostore::Object *> inDoubt;
    for (const ostore::ObjectID &id : m_creationsInDoubt) {
        ostore::Object *object = ctx->existingObject(id);
        if (object && !object->isDeleted() && !hasNumericIdentifier(*object)
            && static_cast<KNVTCDTaskStoreObject *>(object)->pushState()
                == KNVTCDTaskStoreObject::PushState::PossiblySent)
            inDoubt.push_back(object);
    }
    for (const CreationsInDoubt::Settled &settled :
         CreationsInDoubt::settle(*ctx, inDoubt, request, value, m_lastReplyReadable && m_lastReplyWhole)) {
        if (settled.verdict == CreationsInDoubt::Verdict::Unknown)
            continue;
        m_creationsInDoubt.erase(
            std::remove(m_creationsInDoubt.begin(), m_creationsInDoubt.end(), settled.object->objectID()),
            m_creationsInDoubt.end());
        if (settled.verdict != CreationsInDoubt::Verdict::Unsettled)
            continue;
        // Deleted by the user meanwhile, it stays, hidden and unsent, so that the copies this read brings, which
        // would otherwise show up after the deletion with no word, are told of in every session until they settle.
        nameUnsettled(*settled.object);
    }
}

bool SessionPull::refusedCreationsWaitIn(const ostore::Object *list) const
{
    ostore::Context *ctx = context();
    if (m_refusedCreations.empty() || !list || !ctx)
        return false;
    return std::any_of(m_refusedCreations.begin(), m_refusedCreations.end(), [&](const ostore::ObjectID &id) {
        const ostore::Object *object = ctx->existingObject(id);
        return object && !object->isDeleted() && listOfCreation(*object) == list;
    });
}

void SessionPull::allowRefusedCreationsIn(const KNVTCDTaskList &list)
{
    ostore::Context *ctx = context();
    for (auto it = m_refusedCreations.begin(); ctx && it != m_refusedCreations.end();) {
        ostore::Object *object = ctx->existingObject(*it);
        if (!object || object->isDeleted() || listOfCreation(*object) != &list) {
            ++it;
            continue;
        }
        qCInfo(lcSync) << "SessionPull:allowRefusedCreationsIn the user may add to the list again; a"
                       << object->entity().name << "it refused goes out again";
        static_cast<KNVTCDTaskStoreObject *>(object)->setPushState(KNVTCDTaskStoreObject::PushState::None);
        it = m_refusedCreations.erase(it);
    }
}

void SessionPull::changeUndone(const ostore::Object &object)
{
    distrustReadsThatNamed(object);
    // A task may have been moved here from the Inbox by the very change undone.
    if (object.entity().name == kTaskEntity)
        distrust(kInbox);
    m_undone.insert(object.objectID());
}

void SessionPull::noPicture(const KNVTRESTFulRequest &request)
{
    bool ok = false;
    const qint64 id = request.identifiers().value(0).toLongLong(&ok);
    auto *user = static_cast<KNVTCDUser *>(
        ok && context() ? merge().objectForNumericIdentifier(QStringLiteral("KNVTCDUser"), id) : nullptr);
    if (KNVTCDAvatar *avatar = user ? user->avatar() : nullptr)
        avatar->setNeedsUpdating(false);
}

void SessionPull::distrustReadsThatNamed(const ostore::Object &object)
{
    const QString &entity = object.entity().name;
    const auto distrustTask = [this](const KNVTCDTask *task) {
        if (!task)
            return;
        if (KNVTCDTaskList *list = task->taskList())
            list->setToBeFetchedAgain(true);
        else
            distrust(kInbox);
    };
    if (entity == kTaskEntity) {
        distrustTask(static_cast<const KNVTCDTask *>(&object));
    } else if (entity == kTaskListEntity) {
        distrust(collectionOf(static_cast<const KNVTCDTaskList &>(object)));
    } else if (entity == QLatin1String("KNVTCDTaskListCollaborator")) {
        if (const KNVTCDTaskList *list = static_cast<const KNVTCDTaskListCollaborator &>(object).taskList())
            distrust(collectionOf(*list));
    } else if (entity == QLatin1String("KNVTCDTaskComment")) {
        distrustTask(static_cast<const KNVTCDTaskComment &>(object).task());
    } else if (entity == QLatin1String("KNVTCDTaskWatcher")) {
        distrustTask(static_cast<const KNVTCDTaskWatcher &>(object).task());
    } else if (entity == QLatin1String("KNVTCDTag") || entity == QLatin1String("KNVTCDTaggedTask")) {
        distrust(kTags);
    } else if (entity == QLatin1String("KNVTCDFriendship")) {
        distrust(QStringLiteral("friendships"));
        distrust(QStringLiteral("friendships/invites"));
    }
}

void SessionPull::distrust(const QString &resource)
{
    if (!m_distrustedResourceETags.contains(resource))
        m_distrustedResourceETags.append(resource);
    m_resourceETags.remove(resource);
}

// ---- Entity tags ----

void SessionPull::keepETag(const KNVTRESTFulRequest &request)
{
    const auto *pull = dynamic_cast<const KNVTRESTFulPullRequest *>(&request);
    const std::optional<HttpResponse> response = request.HTTPURLResponse();
    if (!pull || !response || !m_lastReplyReadable || !KNVTRESTFulRequest::isNoIdentifier(pull->identifier())
        || !rootKeysByTaggedResource().contains(pull->resource()) || m_staleResourceETags.contains(pull->resource()))
        return;
    if (m_distrustedResourceETags.contains(pull->resource())) {
        // Only the whole collection, read again, says what is current.
        if (response->statusCode() == 304)
            return;
        m_distrustedResourceETags.removeAll(pull->resource());
    }
    // Header names are matched without regard to case, which covers both "Etag" and "ETag".
    const QString tag = response->valueForHeaderField(QStringLiteral("ETag"));
    if (!tag.isEmpty())
        m_resourceETags.insert(pull->resource(), tag);
}

void SessionPull::invalidateResourceETag(const QString &resource)
{
    if (!m_staleResourceETags.contains(resource))
        m_staleResourceETags.append(resource);
    m_resourceETags.remove(resource);
}

bool SessionPull::linksTasksThatAreNotHere(const JSONView &tags)
{
    const ReplyMerge here = merge();
    for (const JSONView &element : tags) {
        const std::optional<JSONView> tag = ReplyMerge::readableEntity(element, "tag");
        if (!tag)
            continue;
        for (const JSONView &link : tag->value("tagged_items")) {
            if (link.value("taggable_type").utf8() != "Task")
                continue;
            if (!here.objectForNumericIdentifier(
                    kTaskEntity, KNVTCDTaskStoreObject::numericIdentifierFromJSON(link.value("taggable_id"))))
                return true;
        }
    }
    return false;
}

void SessionPull::willSave()
{
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    static const QString taggedTaskEntity = QStringLiteral("KNVTCDTaggedTask");
    static const QString taskKey = QStringLiteral("task");
    for (ostore::Object *object : ctx->deletedObjects()) {
        if (object->entity().name != taggedTaskEntity || !hasNumericIdentifier(*object))
            continue;
        const ostore::Value task = ctx->committedValues(object, {taskKey}).value(taskKey);
        const ostore::ObjectID *taskID = std::get_if<ostore::ObjectID>(&task);
        const ostore::Object *taskObject = taskID ? ctx->existingObject(*taskID) : nullptr;
        // Gone with its task, while the tag and the service's list of tags stay as they were.
        if (!taskObject || taskObject->isDeleted()) {
            invalidateResourceETag(kTags);
            return;
        }
    }
}

// ---- List rules ----

bool SessionPull::beginListRule(const QString &resource, ListRule &rule)
{
    ostore::Context *ctx = context();
    if (!ctx)
        return false;
    ostore::Predicate localSet;
    if (resource == kInbox) {
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
    } else if (resource == kTags) {
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
    const std::vector<ostore::Object *> local = executeFetchRequestForEntityName(*ctx, rule.entityName, localSet, {});
    rule.local.reserve(local.size());
    for (const ostore::Object *object : local)
        rule.local.push_back(object->objectID());
    // The local objects the reply names are marked in a set: erasing each from the list instead made a reply of
    // thousands of tasks cost the square of their number on the main thread.
    rule.seen.reserve(qsizetype(local.size()));
    return true;
}

void SessionPull::applyListRuleElement(ListRule &rule, const JSONView &element)
{
    const std::optional<JSONView> readable = ReplyMerge::readableEntity(element, rule.rootKey);
    if (!readable) {
        rule.complete = false;
        return;
    }
    ReplyMerge replies = merge();
    const JSONView &inner = *readable;
    const std::optional<qint64> id = KNVTCDTaskStoreObject::numericIdentifierFromJSON(inner.value("id"));
    ostore::Object *object = replies.objectForNumericIdentifier(rule.entityName, id);
    if (rule.declined) {
        // A list the user declined leaves this device with its tasks, and is never created here.
        if (object) {
            rule.seen.insert(object->objectID());
            replies.removeTaskListWithTasks(*object);
        }
        return;
    }
    if (object)
        rule.seen.insert(object->objectID());
    else
        object = insertNewObjectForFillForEntityForName(*context(), rule.entityName);
    const bool refusedWaiting = rule.entityName == kTaskListEntity && refusedCreationsWaitIn(object);
    const bool couldAdd = refusedWaiting && static_cast<const KNVTCDTaskList *>(object)->canAddTasks();
    replies.mergeReply(*object, inner);
    settleAnsweredGoneUnder(*object, inner);
    if (refusedWaiting && !couldAdd && static_cast<const KNVTCDTaskList *>(object)->canAddTasks())
        allowRefusedCreationsIn(static_cast<const KNVTCDTaskList &>(*object));
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
            // Moved out of the Inbox since, or changed by the user in a way that waits for its push.
            if (!mayRemoveMissingTask(*static_cast<KNVTCDTask *>(object), {}))
                continue;
        } else if (rule.entityName == kTaskListEntity) {
            // The service does not know yet of the user's answer that put the list in this collection.
            if (static_cast<KNVTCDTaskList *>(object)->hasUnpushedMembershipChange())
                continue;
        }
        putOffRemoval(*object, rule.resource);
    }
}

// ---- What is put off ----

bool SessionPull::mayRemoveMissingTask(const KNVTCDTask &task, const ostore::ObjectID &taskList) const
{
    const KNVTCDTaskList *list = task.taskList();
    const bool inPlace = list ? list->objectID() == taskList : taskList.isNull();
    // A change the service answered it has no object for has nothing left to reach once the read that would hold the
    // object leaves it out.
    return inPlace && (task.changedKeys().isEmpty() || wasAnsweredGone(task.objectID()));
}

void SessionPull::putOffRemoval(ostore::Object &object, const QString &resource)
{
    MissingObject entry{object.objectID(), resource, {}, {}, false, namesOfCollection(resource)};
    if (isList(object)) {
        const auto &list = static_cast<const KNVTCDTaskList &>(object);
        entry.collaboratorStatus = list.taskListCollaboratorStatus();
        entry.archived = list.archivedDate().isValid();
    }
    m_missingObjects.push_back(std::move(entry));
}

void SessionPull::fetchAgain(const MissingObject &entry)
{
    ostore::Context *ctx = context();
    if (entry.taskList.isNull()) {
        invalidateResourceETag(entry.resource);
    } else if (ostore::Object *list = ctx ? ctx->existingObject(entry.taskList) : nullptr; list && !list->isDeleted()) {
        static_cast<KNVTCDTaskList *>(list)->setToBeFetchedAgain(true);
    }
}

void SessionPull::removeObjectsStillMissing(bool listsOnly)
{
    std::vector<MissingObject> missing;
    missing.swap(m_missingObjects);
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    ReplyMerge replies = merge();
    QSet<ostore::ObjectID> settledLists;
    QSet<ostore::ObjectID> unsettledLists;
    for (MissingObject &entry : missing) {
        ostore::Object *object = ctx->existingObject(entry.object);
        const bool list = entry.taskList.isNull() && entry.resource.startsWith(QLatin1String("task_lists"));
        if (listsOnly && !list) {
            m_missingObjects.push_back(std::move(entry));
            continue;
        }
        // A read that failed may hold what this one left out; and the service's copy of what it refused is on its way.
        if ((m_unreadNames & (1u << unsigned(entry.names))) || m_undone.contains(entry.object)) {
            fetchAgain(entry);
            if (!entry.taskList.isNull())
                unsettledLists.insert(entry.taskList);
            continue;
        }
        if (!entry.taskList.isNull())
            settledLists.insert(entry.taskList);
        if (!object || object->isDeleted())
            continue;
        if (list) {
            const auto *taskList = static_cast<const KNVTCDTaskList *>(object);
            if (taskList->taskListCollaboratorStatus() == entry.collaboratorStatus
                && taskList->archivedDate().isValid() == entry.archived)
                replies.removeTaskListWithTasks(*object);
        } else if (object->entity().name == kTaskEntity) {
            if (mayRemoveMissingTask(*static_cast<KNVTCDTask *>(object), entry.taskList))
                ctx->remove(object);
        } else {
            ctx->remove(object);
        }
    }
    for (const ostore::ObjectID &id : std::as_const(settledLists)) {
        auto *list = static_cast<KNVTCDTaskList *>(ctx->existingObject(id));
        if (list && !list->isDeleted() && !unsettledLists.contains(id))
            list->setToBeFetchedAgain(false);
    }
}

void SessionPull::fetchAgainWhatWentMissing()
{
    std::vector<MissingObject> missing;
    missing.swap(m_missingObjects);
    if (!context())
        return;
    for (const MissingObject &entry : missing)
        fetchAgain(entry);
}

} // namespace knvt
