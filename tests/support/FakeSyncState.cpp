#include "support/FakeSyncState.h"

#include "support/SyncFixtures.h"

#include <QCryptographicHash>
#include <QJsonDocument>

#include <cstdio>
#include <cstdlib>

namespace knvt::test {

namespace {

struct ParentLink
{
    const char *key;
    QByteArray resource;
};

// The root key of each resource's entities.
QString rootOf(const QByteArray &resource)
{
    static const std::map<QByteArray, QString> roots = {
        {"tasks", "task"},
        {"task_lists", "task_list"},
        {"task_list_collaborators", "task_list_collaborator"},
        {"tags", "tag"},
        {"tagged_items", "tagged_item"},
        {"comments", "comment"},
        {"task_watchers", "task_watcher"},
        {"friendships", "friendship"},
        {"users", "user"},
        {"account", "account"},
    };
    const auto found = roots.find(resource);
    return found == roots.end() ? QString() : found->second;
}

// The object whose updated_at moves when one of this resource's objects changes.
std::optional<ParentLink> parentOf(const QByteArray &resource)
{
    if (resource == "comments")
        return ParentLink{"commentable_id", "tasks"};
    if (resource == "task_watchers")
        return ParentLink{"task_id", "tasks"};
    if (resource == "tagged_items")
        return ParentLink{"tag_id", "tags"};
    if (resource == "tasks" || resource == "task_list_collaborators")
        return ParentLink{"task_list_id", "task_lists"};
    return std::nullopt;
}

// What goes when an object goes.
std::vector<ParentLink> childrenOf(const QByteArray &resource)
{
    if (resource == "tasks")
        return {{"commentable_id", "comments"}, {"task_id", "task_watchers"}, {"taggable_id", "tagged_items"}};
    if (resource == "task_lists")
        return {{"task_list_id", "tasks"}, {"task_list_id", "task_list_collaborators"}};
    if (resource == "tags")
        return {{"tag_id", "tagged_items"}};
    return {};
}

bool isPushed(const QByteArray &resource)
{
    return resource == "friendships" || resource == "task_lists" || resource == "task_list_collaborators"
        || resource == "tasks" || resource == "task_watchers" || resource == "comments" || resource == "tags"
        || resource == "tagged_items";
}

std::optional<qint64> idValue(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    return value.toInteger();
}

QByteArray compact(const QJsonDocument &document)
{
    return document.toJson(QJsonDocument::Compact);
}

FakeSyncReply jsonReply(int status, const QByteArray &body)
{
    return {status, body, {{"Content-Type", "application/json"}}};
}

FakeSyncReply errorReply(int status, const QString &key, const QString &message)
{
    return jsonReply(status, compact(QJsonDocument(QJsonObject{{key, QJsonArray{message}}})));
}

// The entity a push carries under its root key, without the keys the service owns.
std::optional<QJsonObject> pushedFields(const FakeSyncService::Request &request, const QString &root)
{
    const QJsonValue value = request.json().object().value(root);
    if (!value.isObject())
        return std::nullopt;
    QJsonObject fields = value.toObject();
    for (const char *key : {"id", "created_at", "updated_at"})
        fields.remove(QLatin1String(key));
    return fields;
}

[[noreturn]] void misuse(const char *what, const QByteArray &resource)
{
    std::fprintf(stderr, "FakeSyncService: %s \"%s\"\n", what, resource.constData());
    std::abort();
}

} // namespace

FakeSyncState::FakeSyncState()
{
    seed("users", user(42, QStringLiteral("ann")));
    seed("account", QJsonObject{{"id", 7}, {"owner_id", 42}});
}

// ---------------------------------------------------------------------------------------------------------------
// Storage

FakeSyncState::Table &FakeSyncState::table(const QByteArray &resource)
{
    if (rootOf(resource).isEmpty())
        misuse("has no resource", resource);
    return m_tables[resource];
}

const FakeSyncState::Table *FakeSyncState::findTable(const QByteArray &resource) const
{
    const auto found = m_tables.find(resource);
    return found == m_tables.end() ? nullptr : &found->second;
}

QJsonObject *FakeSyncState::find(const QByteArray &resource, qint64 id)
{
    Table &objects = table(resource);
    const auto found = objects.find(id);
    return found == objects.end() ? nullptr : &found->second;
}

QString FakeSyncState::stamp()
{
    return fixtureDate(++m_clock);
}

void FakeSyncState::observeDates(const QJsonObject &object)
{
    for (const char *key : {"created_at", "updated_at"}) {
        const QDateTime date = QDateTime::fromString(object.value(QLatin1String(key)).toString(), Qt::ISODate);
        if (date.isValid())
            m_clock = std::max(m_clock, fixtureDateTime(0).secsTo(date));
    }
}

void FakeSyncState::touch(const QByteArray &resource, qint64 id)
{
    QJsonObject *object = find(resource, id);
    if (!object)
        return;
    object->insert("updated_at", stamp());
    touchParent(resource, *object);
}

void FakeSyncState::touchParent(const QByteArray &resource, const QJsonObject &object)
{
    if (resource == "users") {
        for (auto &[accountId, account] : table("account")) {
            if (idValue(account.value("owner_id")) == idValue(object.value("id")))
                touch("account", accountId);
        }
        return;
    }
    if (const std::optional<ParentLink> parent = parentOf(resource)) {
        if (const std::optional<qint64> parentId = idValue(object.value(QLatin1String(parent->key))))
            touch(parent->resource, *parentId);
    }
}

qint64 FakeSyncState::ownerId() const
{
    const Table *accounts = findTable("account");
    if (!accounts || accounts->empty())
        return 0;
    return idValue(accounts->begin()->second.value("owner_id")).value_or(0);
}

qint64 FakeSyncState::seed(const QByteArray &resource, QJsonObject fields)
{
    return insert(resource, std::move(fields), true);
}

qint64 FakeSyncState::insert(const QByteArray &resource, QJsonObject fields, bool moveParent)
{
    changed();
    Table &objects = table(resource);
    if (resource == "task_list_collaborators") {
        // One row per list and user: seeding the pair again changes the row.
        for (auto &[rowId, row] : objects) {
            if (row.value("task_list_id") == fields.value("task_list_id")
                && row.value("user_id") == fields.value("user_id") && !fields.contains("id")) {
                update(resource, rowId, fields);
                return rowId;
            }
        }
    }
    if (resource == "account")
        objects.clear();

    observeDates(fields);
    const qint64 id = idValue(fields.value("id")).value_or(m_nextId);
    m_nextId = std::max(m_nextId, id + 1);
    fields.insert("id", id);
    if (!fields.contains("created_at") || !fields.contains("updated_at")) {
        const QString now = stamp();
        if (!fields.contains("created_at"))
            fields.insert("created_at", now);
        if (!fields.contains("updated_at"))
            fields.insert("updated_at", now);
    }
    objects[id] = fields;
    if (moveParent)
        touchParent(resource, fields);

    if (resource == "task_lists" && ownRowStatus(id).isNull()) {
        const std::optional<qint64> creator = idValue(fields.value("creator_id"));
        // The creator's row is part of the list, so it does not count as a change of the list.
        if (!creator || *creator == ownerId()) {
            insert("task_list_collaborators",
                   QJsonObject{{"task_list_id", id},
                               {"user_id", ownerId()},
                               {"role", "owner"},
                               {"status", "accepted"},
                               {"task_list_type_order_index", QJsonValue::Null},
                               {"reviewed_at", QJsonValue::Null},
                               {"review_at", QJsonValue::Null},
                               {"deleted_at", QJsonValue::Null}},
                   false);
        }
    }
    return id;
}

bool FakeSyncState::update(const QByteArray &resource, qint64 id, const QJsonObject &fields)
{
    changed();
    QJsonObject *object = find(resource, id);
    if (!object)
        return false;
    const QJsonObject before = *object;
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        if (it.key() != QLatin1String("id") && it.key() != QLatin1String("created_at")
            && it.key() != QLatin1String("updated_at"))
            object->insert(it.key(), it.value());
    }
    if (*object == before)
        return true;
    touch(resource, id);
    // An object moved to another parent changes the one it left as well.
    if (const std::optional<ParentLink> parent = parentOf(resource)) {
        const QJsonValue oldParent = before.value(QLatin1String(parent->key));
        if (oldParent != object->value(QLatin1String(parent->key)))
            touchParent(resource, before);
    }
    return true;
}

bool FakeSyncState::remove(const QByteArray &resource, qint64 id)
{
    changed();
    const QJsonObject *object = find(resource, id);
    if (!object)
        return false;
    for (const ParentLink &child : childrenOf(resource)) {
        std::vector<qint64> doomed;
        for (const auto &[childId, childObject] : table(child.resource)) {
            if (idValue(childObject.value(QLatin1String(child.key))) == id)
                doomed.push_back(childId);
        }
        for (qint64 childId : doomed)
            remove(child.resource, childId);
    }
    const QJsonObject removed = table(resource).extract(id).mapped();
    touchParent(resource, removed);
    return true;
}

std::optional<QJsonObject> FakeSyncState::stored(const QByteArray &resource, qint64 id) const
{
    if (rootOf(resource).isEmpty())
        misuse("has no resource", resource);
    const Table *objects = findTable(resource);
    if (!objects || !objects->contains(id))
        return std::nullopt;
    return objects->at(id);
}

std::vector<QJsonObject> FakeSyncState::storedAll(const QByteArray &resource) const
{
    if (rootOf(resource).isEmpty())
        misuse("has no resource", resource);
    std::vector<QJsonObject> result;
    if (const Table *objects = findTable(resource)) {
        for (const auto &[id, object] : *objects)
            result.push_back(object);
    }
    return result;
}

void FakeSyncState::setAvatar(qint64 userId, QByteArray png)
{
    m_avatars[userId] = std::move(png);
}

QString FakeSyncState::ownRowStatus(qint64 taskListId) const
{
    if (const Table *rows = findTable("task_list_collaborators")) {
        for (const auto &[id, row] : *rows) {
            if (idValue(row.value("task_list_id")) == taskListId && idValue(row.value("user_id")) == ownerId())
                return row.value("status").toString(QStringLiteral(""));
        }
    }
    return {};
}

// ---------------------------------------------------------------------------------------------------------------
// Replies

QJsonObject FakeSyncState::render(const QByteArray &resource, const QJsonObject &object, const Includes &includes) const
{
    QJsonObject out = object;
    const Table *users = findTable("users");
    for (const char *key : {"assignee", "creator", "user", "owner", "inviter", "invitee"}) {
        const QString name = QLatin1String(key);
        if (!includes.contains(QStringLiteral("users")) && !includes.contains(name))
            continue;
        const std::optional<qint64> userId = idValue(object.value(name + QStringLiteral("_id")));
        if (userId && users && users->contains(*userId))
            out.insert(name, users->at(*userId));
    }
    const qint64 id = idValue(object.value("id")).value_or(0);
    auto nest = [&](const char *include, const QByteArray &childResource, const char *parentKey) {
        if (includes.contains(QLatin1String(include)))
            out.insert(QLatin1String(include), renderChildren(childResource, parentKey, id, includes));
    };
    if (resource == "task_lists") {
        nest("task_list_collaborators", "task_list_collaborators", "task_list_id");
        nest("tasks", "tasks", "task_list_id");
    } else if (resource == "tasks") {
        nest("comments", "comments", "commentable_id");
        nest("task_watchers", "task_watchers", "task_id");
    } else if (resource == "tags") {
        nest("tagged_items", "tagged_items", "tag_id");
    }
    return out;
}

QJsonArray FakeSyncState::renderChildren(const QByteArray &resource, const char *parentKey, qint64 parentId,
                                         const Includes &includes) const
{
    QJsonArray children;
    const ChildIndex &index = childIndex(resource, parentKey);
    if (const auto found = index.find(parentId); found != index.end()) {
        for (const QJsonObject *object : found->second)
            children.append(render(resource, *object, includes));
    }
    return children;
}

const FakeSyncState::ChildIndex &FakeSyncState::childIndex(const QByteArray &resource, const char *parentKey) const
{
    const auto key = std::make_pair(resource, QByteArray(parentKey));
    if (const auto built = m_childIndexes.find(key); built != m_childIndexes.end())
        return built->second;
    ChildIndex &index = m_childIndexes[key];
    if (const Table *objects = findTable(resource)) {
        for (const auto &[id, object] : *objects) {
            if (const std::optional<qint64> parentId = idValue(object.value(QLatin1String(parentKey))))
                index[*parentId].push_back(&object);
        }
    }
    return index;
}

FakeSyncReply FakeSyncState::taggedReply(const FakeSyncService::Request &request, const QByteArray &body) const
{
    // Derived from the content, so the tag changes exactly when the reply would.
    const QByteArray tag = '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(16) + '"';
    if (request.header("If-None-Match") == tag)
        return {304, {}, {{"ETag", tag}}};
    FakeSyncReply reply = jsonReply(200, body);
    reply.headers.emplace_back("ETag", tag);
    return reply;
}

FakeSyncReply FakeSyncState::listReply(const FakeSyncService::Request &request, const QByteArray &resource,
                                       const std::vector<const QJsonObject *> &objects, const Includes &includes) const
{
    QJsonArray array;
    for (const QJsonObject *object : objects)
        array.append(wrap(rootOf(resource), render(resource, *object, includes)));
    return taggedReply(request, compact(QJsonDocument(array)));
}

QJsonObject *FakeSyncState::friendshipWith(qint64 otherUserId, qint64 *id)
{
    const qint64 owner = ownerId();
    for (auto &[friendshipId, friendship] : table("friendships")) {
        const std::optional<qint64> inviter = idValue(friendship.value("inviter_id"));
        const std::optional<qint64> invitee = idValue(friendship.value("invitee_id"));
        if ((inviter == owner && invitee == otherUserId) || (inviter == otherUserId && invitee == owner)) {
            *id = friendshipId;
            return &friendship;
        }
    }
    return nullptr;
}

FakeSyncReply FakeSyncState::createFriendship(const QJsonObject &fields, const Includes &includes)
{
    const qint64 owner = ownerId();
    std::optional<qint64> other;
    if (fields.contains("invitee_username")) {
        for (const auto &[userId, user] : table("users")) {
            if (user.value("username") == fields.value("invitee_username"))
                other = userId;
        }
        if (!other)
            return errorReply(422, QStringLiteral("invitee_username"), QStringLiteral("is not a user"));
    } else {
        other = idValue(fields.value("invitee_id"));
    }
    if (!other || other == owner)
        return errorReply(422, QStringLiteral("invitee_id"), QStringLiteral("is invalid"));

    qint64 id = 0;
    int status = 200;
    if (QJsonObject *existing = friendshipWith(*other, &id)) {
        // The other side's invitation: posting the pair accepts it. An invitation by user name accepts nothing; the
        // answer is the friendship as it stands.
        if (idValue(existing->value("invitee_id")) == owner && !fields.contains("invitee_username"))
            update("friendships", id, {{"status", "accepted"}});
    } else {
        id = seed("friendships", {{"inviter_id", owner}, {"invitee_id", *other}, {"status", "pending"}});
        status = 201;
    }
    const QJsonObject object = render("friendships", *find("friendships", id), includes);
    return jsonReply(status, compact(QJsonDocument(wrap(rootOf("friendships"), object))));
}

FakeSyncReply FakeSyncState::create(const QByteArray &resource, const QJsonObject &pushed, const Includes &includes)
{
    QJsonObject fields = pushed;
    const qint64 owner = ownerId();
    const char *ownerKey = resource == "comments" || resource == "task_watchers" ? "user_id"
        : resource == "tasks" || resource == "task_lists" || resource == "tags"  ? "creator_id"
                                                                                 : nullptr;
    if (ownerKey && !fields.contains(QLatin1String(ownerKey)))
        fields.insert(QLatin1String(ownerKey), owner);
    const qint64 id = seed(resource, fields);
    const QJsonObject object = render(resource, *find(resource, id), includes);
    return jsonReply(201, compact(QJsonDocument(wrap(rootOf(resource), object))));
}

void FakeSyncState::changed()
{
    m_childIndexes.clear();
    m_renderedReplies.clear();
}

std::optional<FakeSyncReply> FakeSyncState::answer(const FakeSyncService::Request &request)
{
    if (request.method != "GET" || request.path.endsWith(".png"))
        return renderReply(request);
    if (const auto rendered = m_renderedReplies.find(request.target); rendered != m_renderedReplies.end()) {
        for (const auto &[name, value] : rendered->second.headers) {
            if (name == "ETag" && request.header("If-None-Match") == value)
                return FakeSyncReply{304, {}, {{"ETag", value}}};
        }
        return rendered->second;
    }
    std::optional<FakeSyncReply> reply = renderReply(request);
    if (reply && reply->status == 200)
        m_renderedReplies.emplace(request.target, *reply);
    return reply;
}

std::optional<FakeSyncReply> FakeSyncState::renderReply(const FakeSyncService::Request &request)
{
    Includes includes;
    for (const QByteArray &name : request.queryItem("include").split(','))
        includes.insert(QString::fromUtf8(name));

    QByteArray path = request.path;
    const bool png = path.endsWith(".png");
    if (!path.startsWith('/') || (!png && !path.endsWith(".json")))
        return std::nullopt;
    path = path.mid(1, path.size() - (png ? 5 : 6));
    const QList<QByteArray> parts = path.split('/');
    bool numeric = false;
    const qint64 itemId = parts.size() >= 2 ? parts[1].toLongLong(&numeric) : 0;
    const QByteArray &method = request.method;
    const qint64 owner = ownerId();

    if (png) {
        if (method != "GET" || parts.size() != 4 || !numeric || parts[0] != "users" || parts[2] != "avatar"
            || parts[3] != "medium")
            return std::nullopt;
        const auto avatar = m_avatars.find(itemId);
        if (avatar == m_avatars.end())
            return FakeSyncReply{404, {}, {}};
        return FakeSyncReply{200, avatar->second, {{"Content-Type", "image/png"}}};
    }

    if (method == "GET") {
        auto select = [&](const QByteArray &resource, auto &&predicate) {
            std::vector<const QJsonObject *> chosen;
            for (const auto &[id, object] : table(resource)) {
                if (predicate(id, object))
                    chosen.push_back(&object);
            }
            return listReply(request, resource, chosen, includes);
        };
        auto isOwner = [&](const QJsonObject &object, const char *key) {
            return idValue(object.value(QLatin1String(key))) == owner;
        };
        auto listsWhere = [&](auto &&predicate) {
            return select("task_lists", [&](qint64 id, const QJsonObject &list) {
                const QString status = ownRowStatus(id);
                return !status.isNull() && predicate(status, list.value("archived_at").isString());
            });
        };

        if (path == "account") {
            const Table &accounts = table("account");
            if (accounts.empty())
                return FakeSyncReply{404, {}, {}};
            const QJsonObject object = render("account", accounts.begin()->second, includes);
            return taggedReply(request, compact(QJsonDocument(wrap(rootOf("account"), object))));
        }
        if (path == "friendships")
            return select("friendships", [&](qint64, const QJsonObject &f) { return isOwner(f, "inviter_id"); });
        if (path == "friendships/invites")
            return select("friendships", [&](qint64, const QJsonObject &f) { return isOwner(f, "invitee_id"); });
        if (path == "task_lists")
            return listsWhere([](const QString &status, bool archived) { return status == "accepted" && !archived; });
        if (path == "task_lists/archived")
            return listsWhere([](const QString &status, bool archived) { return status == "accepted" && archived; });
        if (path == "task_lists/pending")
            return listsWhere([](const QString &status, bool) { return status == "pending"; });
        if (path == "task_lists/declined")
            return listsWhere([](const QString &status, bool) { return status == "declined"; });
        if (path == "tasks/inbox")
            return select("tasks",
                          [](qint64, const QJsonObject &task) { return !idValue(task.value("task_list_id")); });
        if (path == "tags")
            return select("tags", [](qint64, const QJsonObject &) { return true; });
        if (parts.size() == 2 && numeric && parts[0] == "task_lists") {
            const QJsonObject *list = find("task_lists", itemId);
            if (!list)
                return errorReply(404, QStringLiteral("base"), QStringLiteral("not found"));
            if (ownRowStatus(itemId).isNull())
                return errorReply(403, QStringLiteral("base"), QStringLiteral("forbidden"));
            return jsonReply(200,
                             compact(QJsonDocument(wrap(rootOf("task_lists"), render("task_lists", *list, includes)))));
        }
        return std::nullopt;
    }

    const QByteArray resource = parts[0];
    if (!isPushed(resource))
        return std::nullopt;
    const QString root = rootOf(resource);

    if (method == "POST" && parts.size() == 1) {
        const std::optional<QJsonObject> fields = pushedFields(request, root);
        if (!fields)
            return errorReply(422, root, QStringLiteral("is missing"));
        return resource == "friendships" ? createFriendship(*fields, includes) : create(resource, *fields, includes);
    }
    if ((method != "PUT" && method != "DELETE") || parts.size() != 2 || !numeric)
        return std::nullopt;

    // Friendships are addressed by the other user's id.
    qint64 id = itemId;
    const bool exists =
        resource == "friendships" ? friendshipWith(itemId, &id) != nullptr : find(resource, itemId) != nullptr;
    if (!exists)
        return errorReply(404, QStringLiteral("base"), QStringLiteral("not found"));
    if (method == "DELETE") {
        remove(resource, id);
        return FakeSyncReply{200, {}, {}};
    }
    const std::optional<QJsonObject> fields = pushedFields(request, root);
    if (!fields)
        return errorReply(422, root, QStringLiteral("is missing"));
    update(resource, id, *fields);
    return jsonReply(200, compact(QJsonDocument(wrap(root, render(resource, *find(resource, id), {})))));
}

} // namespace knvt::test
