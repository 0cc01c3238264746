// Every answer the service can give to every kind of request a session sends, each against a library and a fake
// service of its own: what the line under the home list says, what is left of the user's change or of what was read,
// and what the library and the service end with once the service answers as it should again. The creates, updates and
// deletes of comments, watchers, collaborators, tagged items and friendships take their stories from the same table as
// the tasks'.
#include "sync/SyncCoordinatorTest.h"

#include "app/KNVTHomeActivityView.h"

#include "sync/SyncWireAttributes.h"

#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"

#include "support/SyncFixtures.h"
#include "support/TestImages.h"

#include <QLabel>

namespace {

enum class Kind { CollectionRead, ListRead, AvatarRead, Create, Update, Delete };
// What a change is made to.
enum class Subject { Task, Comment, Watcher, Collaborator, TaggedItem, Friendship };
// What the user lives through.
enum class Story {
    // Done at once: the line says "Synced".
    Done,
    // The line says the sync failed and why (and what it could not read); the user's change stays here, and the next
    // sync does what this one did not.
    FailedThenDone,
    // The line says the sync went through and names the change and the service's reason; the change stays here, and
    // the service takes it once it answers as it should.
    NamedThenDone,
    // The line says the sync went through and names the change undone; the service keeps its own.
    Undone,
    // The line says the sync went through and names the new object the service did not allow; it stays here, unsent
    // until the user changes it, and the service never gets it.
    Held,
    // The line says the password was refused, or that a newer version is needed.
    Stopped,
    // The line says the sync failed and why; the service made the change all the same, which the session's own reads
    // may already have found, and the next sync leaves it made once.
    FailedButMade,
    // Named as Held; the read that follows shows the service holding where it lands, so the next sync makes it.
    HeldTillShown,
};
constexpr Story D = Story::Done, F = Story::FailedThenDone, N = Story::NamedThenDone, U = Story::Undone,
                H = Story::Held, S = Story::Stopped, M = Story::FailedButMade, R = Story::HeldTillShown;

struct Row
{
    const char *answer;
    // How the fake answers; 0 for a reply of its own store, -1 for one that does not read, -2 for a connection cut,
    // -3 for no reply in time; -4 for a 502 once its store made the change, -5 for a 200 with no body once it did.
    int status;
    const char *reason;
    // A story per kind, in the order of Kind.
    Story stories[6];
};

const Row kRows[] = {
    {"Success", 0, "", {D, D, D, D, D, D}},
    {"UnreadableSuccess", -1, "unreadable reply", {F, F, F, F, F, F}},
    {"BadRequest", 400, "service failed", {F, F, F, N, N, N}},
    {"Unauthorized", 401, "password refused", {S, S, S, S, S, S}},
    {"Forbidden", 403, "service failed", {F, F, D, H, U, U}},
    {"NotFound", 404, "service failed", {F, F, D, R, F, F}},
    {"RequestTimeout", 408, "service failed", {F, F, F, F, F, F}},
    {"Conflict", 409, "service failed", {F, F, F, N, N, N}},
    {"Gone", 410, "newer version needed", {S, S, S, S, S, S}},
    {"Unprocessable", 422, "service failed", {F, F, F, N, N, N}},
    {"TooManyRequests", 429, "service failed", {F, F, F, F, F, F}},
    {"ServiceError", 503, "service failed", {F, F, F, F, F, F}},
    {"ConnectionCut", -2, "service failed", {F, F, F, F, F, F}},
    {"TimedOut", -3, "offline", {F, F, F, F, F, F}},
    // A gateway's failure says nothing of whether the service made the change: a creation is looked for before it goes
    // again, and is made once.
    {"ServiceErrorAfterMaking", -4, "service failed", {F, F, F, M, M, M}},
    // Nothing is a deletion's answer, never an update's or a creation's, whose answers hold the object.
    {"EmptySuccessAfterMaking", -5, "unreadable reply", {F, F, F, M, M, D}},
};
const char *const kKindNames[] = {"CollectionRead", "ListRead", "AvatarRead", "Create", "Update", "Delete"};
const char *const kSubjectNames[] = {"", "Comment", "Watcher", "Collaborator", "TaggedItem", "Friendship"};

struct Case
{
    Kind kind;
    Subject subject;
};
const Case kCases[] = {
    {Kind::CollectionRead, Subject::Task}, {Kind::ListRead, Subject::Task},       {Kind::AvatarRead, Subject::Task},
    {Kind::Create, Subject::Task},         {Kind::Update, Subject::Task},         {Kind::Delete, Subject::Task},
    {Kind::Create, Subject::Comment},      {Kind::Update, Subject::Comment},      {Kind::Delete, Subject::Comment},
    {Kind::Create, Subject::Watcher},      {Kind::Delete, Subject::Watcher},      {Kind::Create, Subject::Collaborator},
    {Kind::Update, Subject::Collaborator}, {Kind::Delete, Subject::Collaborator}, {Kind::Create, Subject::TaggedItem},
    {Kind::Delete, Subject::TaggedItem},   {Kind::Create, Subject::Friendship},   {Kind::Delete, Subject::Friendship},
};

// The change a case makes, and what the service keeps of it.
struct Change
{
    QByteArray method;
    QByteArray path;
    // How the line names it.
    QString name;
    ostore::ObjectID object;
    QByteArray resource;
    // Of an update or a delete: the object on the service; of an update, the key changed and its wire field, before
    // and after.
    qint64 id = 0;
    QString key;
    QString field;
    QJsonValue before;
    QJsonValue after;
};

bool holdsIdentifier(const ostore::Object &object)
{
    return std::holds_alternative<qint64>(object.value(QStringLiteral("numericIdentifier")));
}

bool isTombstone(const ostore::Object &object)
{
    const ostore::Value deleted = object.value(QStringLiteral("deletedDate"));
    const QDateTime *date = std::get_if<QDateTime>(&deleted);
    return date && date->isValid();
}

} // namespace

class SyncAnswers : public SyncCoordinatorTest, public ::testing::WithParamInterface<std::tuple<int, int>>
{
protected:
    void TearDown() override
    {
        KNVTTaskStore::setDefaultTaskStore(nullptr);
        SyncCoordinatorTest::TearDown();
    }

    int sessionsEnded() const
    {
        return int(std::count_if(m_recorder.notifications().begin(), m_recorder.notifications().end(),
                                 [](const knvt::Notification &notification) {
                                     return notification.name
                                         == QLatin1String(KNVTTaskStoreDidFinishSyncingNotification);
                                 }));
    }
    template <class T>
    T *withIdentifier(qint64 id)
    {
        return context().firstObject<T>(ostore::where::key(QStringLiteral("numericIdentifier")) == id);
    }
    KNVTCDTask *titled(const QString &title)
    {
        return context().firstObject<KNVTCDTask>(ostore::where::key(QStringLiteral("title")) == title);
    }
};

TEST_P(SyncAnswers, EachAnswerLeavesTheUsersChangeAndTheLineAsTheUserExpects)
{
    const Row &row = kRows[std::get<0>(GetParam())];
    const Case &test = kCases[std::get<1>(GetParam())];
    const Kind kind = test.kind;
    const Story story = row.stories[int(kind)];
    KNVTTaskStore::setDefaultTaskStore(&store());
    KNVTHomeActivityView line;

    // The library as the service has it, read by the start-up session: tasks in the Inbox and in a project shared with
    // Ben, who watches one; a comment and a tag on a task, a comment of Cy's on another; Ben a friend.
    setSyncSettings(true, false, 1e6);
    const qint64 milk = fake.seedTask(QStringLiteral("Buy milk"));
    const qint64 old = fake.seedTask(QStringLiteral("Old"));
    const qint64 garden = fake.seedProject(QStringLiteral("Garden"));
    const qint64 dig = fake.seedTask(QStringLiteral("Dig"), garden);
    fake.seed("users", knvt::test::user(43, QStringLiteral("ben"), {{"first_name", "Ben"}, {"last_name", "Ito"}}));
    fake.seed("users", knvt::test::user(44, QStringLiteral("cy"), {{"first_name", "Cy"}, {"last_name", "Lee"}}));
    const qint64 benInGarden =
        fake.seed("task_list_collaborators",
                  {{"task_list_id", garden}, {"user_id", 43}, {"status", "accepted"}, {"role", "editor"}});
    const qint64 comment = fake.seed(
        "comments",
        {{"text", "At the corner shop"}, {"commentable_id", milk}, {"commentable_type", "Task"}, {"user_id", 42}});
    const qint64 watcher = fake.seed("task_watchers", {{"task_id", dig}, {"user_id", 43}});
    fake.seed("comments",
              {{"text", "Deep enough"}, {"commentable_id", dig}, {"commentable_type", "Task"}, {"user_id", 44}});
    const qint64 errand = fake.seed("tags", {{"title", "errand"}});
    const qint64 link =
        fake.seed("tagged_items", {{"tag_id", errand}, {"taggable_id", milk}, {"taggable_type", "Task"}});
    const qint64 friendship =
        fake.seed("friendships", {{"inviter_id", 42}, {"invitee_id", 43}, {"status", "accepted"}});
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return sessionsEnded() == 1; }, std::chrono::seconds(20)));
    ASSERT_TRUE(titled(QStringLiteral("Dig")));
    const QByteArray png = knvt::test::pngBytes(Qt::darkCyan);
    const auto local = [this](QByteArrayView resource, qint64 id) -> ostore::Object * {
        static const QHash<QByteArray, QString> entities{{"tasks", "KNVTCDTask"},
                                                         {"task_lists", "KNVTCDTaskList"},
                                                         {"comments", "KNVTCDTaskComment"},
                                                         {"task_watchers", "KNVTCDTaskWatcher"},
                                                         {"task_list_collaborators", "KNVTCDTaskListCollaborator"},
                                                         {"tagged_items", "KNVTCDTaggedTask"},
                                                         {"tags", "KNVTCDTag"},
                                                         {"users", "KNVTCDUser"},
                                                         {"friendships", "KNVTCDFriendship"}};
        return context().objectWithNumericIdentifier(entities.value(resource.toByteArray()), id);
    };
    auto *milkTask = static_cast<KNVTCDTask *>(local("tasks", milk));
    auto *digTask = static_cast<KNVTCDTask *>(local("tasks", dig));
    auto *cy = static_cast<KNVTCDUser *>(local("users", 44));
    ASSERT_TRUE(milkTask && digTask && cy);
    const auto pathOf = [](QByteArrayView resource, qint64 id) {
        return "/" + resource.toByteArray() + (id ? "/" + QByteArray::number(id) : QByteArray()) + ".json";
    };
    const auto removed = [this](ostore::Object *object) {
        object->setValue(QStringLiteral("deletedDate"), startDate());
        return object->objectID();
    };

    // What the user or another device changed since, and the request of the next session that it answers.
    Change change;
    const auto changeOf = [&](QByteArrayView resource, qint64 id, QString name) {
        change.method = kind == Kind::Create ? "POST" : kind == Kind::Update ? "PUT" : "DELETE";
        change.resource = resource.toByteArray();
        change.id = id;
        change.path = pathOf(resource, resource == "friendships" ? (id ? 43 : 0) : id);
        change.name = std::move(name);
    };
    const auto update = [&](ostore::Object *object, const QString &key, const QString &field, const QJsonValue &after) {
        change.key = key;
        change.field = field;
        change.before = knvt::syncWireAttributesForKeys(*object, {key}).value(field);
        change.after = after;
        change.object = object->objectID();
    };
    switch (test.subject) {
    case Subject::Task:
        switch (kind) {
        case Kind::CollectionRead:
            fake.update("tasks", milk, {{"title", "Buy oat milk"}});
            fake.remove("tasks", old);
            change.method = "GET";
            change.path = "/tasks/inbox.json";
            break;
        case Kind::ListRead:
            fake.seedTask(QStringLiteral("Weed"), garden);
            change.method = "GET";
            change.path = pathOf("task_lists", garden);
            break;
        case Kind::AvatarRead:
            fake.setAvatar(42, png);
            store().me()->avatar()->setNeedsUpdating(true);
            change.method = "GET";
            change.path = "/users/42/avatar/medium.png";
            break;
        case Kind::Create:
            changeOf("tasks", 0, QStringLiteral("Buy eggs"));
            change.object = store().taskWithTitle(change.name)->objectID();
            break;
        case Kind::Update:
            changeOf("tasks", milk, QStringLiteral("Buy oat milk"));
            update(milkTask, QStringLiteral("title"), QStringLiteral("title"), change.name);
            milkTask->setTitle(change.name);
            break;
        case Kind::Delete:
            changeOf("tasks", milk, QStringLiteral("Buy milk"));
            change.object = removed(milkTask);
            break;
        }
        break;
    case Subject::Comment:
        if (kind == Kind::Create) {
            changeOf("comments", 0, QStringLiteral("Bring bags"));
            change.object = store().commentWithText(change.name, milkTask)->objectID();
        } else if (kind == Kind::Update) {
            changeOf("comments", comment, QStringLiteral("At the shop on the corner"));
            auto *written = static_cast<KNVTCDTaskComment *>(local("comments", comment));
            update(written, QStringLiteral("text"), QStringLiteral("text"), change.name);
            written->setText(change.name);
        } else {
            changeOf("comments", comment, QStringLiteral("At the corner shop"));
            change.object = removed(local("comments", comment));
        }
        break;
    case Subject::Watcher:
        changeOf("task_watchers", kind == Kind::Create ? 0 : watcher, QStringLiteral("Dig"));
        change.object = kind == Kind::Create ? store().taskWatcherWithUser(cy, digTask)->objectID()
                                             : removed(local("task_watchers", watcher));
        break;
    case Subject::Collaborator:
        if (kind == Kind::Create) {
            changeOf("task_list_collaborators", 0, QStringLiteral("Cy Lee"));
            change.object =
                store()
                    .taskListCollaboratorWithUser(cy, digTask->taskList(), KNVTTaskListCollaboratorRoleEditor)
                    ->objectID();
        } else if (kind == Kind::Update) {
            changeOf("task_list_collaborators", benInGarden, QStringLiteral("Ben Ito"));
            auto *ben = static_cast<KNVTCDTaskListCollaborator *>(local("task_list_collaborators", benInGarden));
            update(ben, QStringLiteral("role"), QStringLiteral("role"), QStringLiteral("owner"));
            ben->setRole(KNVTTaskListCollaboratorRoleOwner);
        } else {
            changeOf("task_list_collaborators", benInGarden, QStringLiteral("Ben Ito"));
            change.object = removed(local("task_list_collaborators", benInGarden));
        }
        break;
    case Subject::TaggedItem:
        changeOf("tagged_items", kind == Kind::Create ? 0 : link, QStringLiteral("errand"));
        if (kind == Kind::Create) {
            digTask->addTag(static_cast<KNVTCDTag *>(local("tags", errand)));
            change.object =
                digTask->taggedTaskForTag(static_cast<KNVTCDTag *>(local("tags", errand)), digTask)->objectID();
        } else {
            change.object = removed(local("tagged_items", link));
        }
        break;
    case Subject::Friendship:
        if (kind == Kind::Create) {
            changeOf("friendships", 0, QStringLiteral("Cy Lee"));
            store().createFriendshipInviteFromUser(cy);
            change.object = cy->friendshipForInviter(store().me(), cy)->objectID();
        } else {
            changeOf("friendships", friendship, QStringLiteral("Ben Ito"));
            change.object = removed(local("friendships", friendship));
        }
        break;
    }
    save();
    const qsizetype storedBefore = change.resource.isEmpty() ? 0 : qsizetype(fake.storedAll(change.resource).size());
    FakeSyncService::Route route = fake.on(change.method, change.path);
    switch (row.status) {
    case 0: route.pass(); break;
    case -1: route.reply(200, "<html>Sign in to the hotel Wi-Fi</html>", {{"Content-Type", "text/html"}}); break;
    case -2: route.drop(); break;
    case -4: route.rewrite(502, "<html>Bad Gateway</html>"); break;
    case -5: route.rewrite(200); break;
    case -3:
        // Whatever comes after the wait is never read, so it changes nothing on the service either.
        route.json(503, "{}").hold();
        KNVTRequest::setDefaultTimeoutInterval(1.0 / kScale);
        break;
    default: route.json(row.status, R"({"title":["is invalid"]})");
    }
    fake.clearRequests();
    coordinator().startSyncSession();
    ASSERT_TRUE(waitUntil([&] { return fake.hasRequest(change.method, change.path) && sessionsEnded() == 2; },
                          std::chrono::seconds(20)));

    // What the line says: what could not be read, unless nothing answered.
    const QString text = line.textLabel()->text();
    const QString read = row.status < -1 ? QString()
        : kind == Kind::CollectionRead   ? QStringLiteral("could not read the Inbox")
        : kind == Kind::ListRead         ? QStringLiteral("could not read “Garden”")
        : kind == Kind::AvatarRead       ? QStringLiteral("could not read the picture of ann")
                                         : QString();
    switch (story) {
    case Story::Done: EXPECT_TRUE(text.startsWith(QStringLiteral("Synced"))) << text.toStdString(); break;
    case Story::FailedThenDone:
    case Story::FailedButMade:
    case Story::Stopped:
        EXPECT_TRUE(text.startsWith(QStringLiteral("Sync failed 10:20"))
                    && text.endsWith(QStringLiteral(" (%1)").arg(QLatin1String(row.reason)))
                    && (story == Story::Stopped || text.contains(read)))
            << text.toStdString();
        break;
    // The sync itself went through.
    case Story::NamedThenDone:
        EXPECT_TRUE(text.startsWith(QStringLiteral("Synced 10:20"))
                    && text.endsWith(QStringLiteral("; the service refused “%1” (title is invalid)").arg(change.name)))
            << text.toStdString();
        break;
    case Story::Undone:
        EXPECT_TRUE(text.startsWith(QStringLiteral("Synced 10:20"))
                    && text.endsWith(QStringLiteral("; the service did not allow “%1”, undone").arg(change.name)))
            << text.toStdString();
        break;
    case Story::Held:
    case Story::HeldTillShown:
        EXPECT_TRUE(text.startsWith(QStringLiteral("Synced 10:20"))
                    && text.contains(QStringLiteral("; the service did not allow “%1”").arg(change.name)))
            << text.toStdString();
        break;
    }
    if (story == Story::Stopped)
        return;

    // What is left here of the user's change.
    const auto *changed = static_cast<const KNVTCDTaskStoreObject *>(
        change.object.isNull() ? nullptr : context().existingObject(change.object));
    if (changed && changed->isDeleted())
        changed = nullptr;
    switch (story == Story::FailedButMade ? Kind::CollectionRead : kind) {
    case Kind::Create:
        ASSERT_NE(changed, nullptr) << "a new object is the user's until the service has it";
        EXPECT_EQ(holdsIdentifier(*changed), story == Story::Done);
        break;
    case Kind::Update:
        ASSERT_NE(changed, nullptr);
        EXPECT_EQ(changed->changedKeys().isEmpty(), story == Story::Done || story == Story::Undone);
        EXPECT_EQ(knvt::syncWireAttributesForKeys(*changed, {change.key}).value(change.field),
                  story == Story::Undone ? change.before : change.after)
            << "the service's value is back once undone";
        break;
    case Kind::Delete:
        EXPECT_EQ(changed == nullptr, story == Story::Done);
        EXPECT_EQ(changed && !isTombstone(*changed), story == Story::Undone) << "back once undone";
        break;
    default: break;
    }

    // The service answers as it should again: the next sync leaves the library and the service where the user left
    // them, unless the change was undone, or the new object is held until the user changes it.
    route.clear();
    fake.releaseAll();
    const auto ended = [&] {
        switch (kind) {
        case Kind::CollectionRead: return titled(QStringLiteral("Buy oat milk")) && !local("tasks", old);
        case Kind::ListRead: return titled(QStringLiteral("Weed")) && titled(QStringLiteral("Dig"));
        case Kind::AvatarRead: return story == Story::Done || store().me()->avatar()->data() == png;
        case Kind::Create:
            return qsizetype(fake.storedAll(change.resource).size()) == storedBefore + (story == Story::Held ? 0 : 1);
        case Kind::Update:
            return fake.stored(change.resource, change.id)->value(change.field)
                == (story == Story::Undone ? change.before : change.after);
        case Kind::Delete: return fake.stored(change.resource, change.id).has_value() == (story == Story::Undone);
        }
        return false;
    };
    coordinator().startSyncSession();
    // Made already, it must still be made once when the next sync has ended.
    if (story == Story::FailedButMade) {
        EXPECT_TRUE(waitUntil([&] { return sessionsEnded() == 3 && idle(); }, std::chrono::seconds(20)));
    }
    EXPECT_TRUE(waitUntil([&] { return ended() && idle(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(line.textLabel()->text().startsWith(QStringLiteral("Synced"))
                && !line.textLabel()->text().contains(u';'))
        << line.textLabel()->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, SyncAnswers,
                         ::testing::Combine(::testing::Range(0, int(std::size(kRows))),
                                            ::testing::Range(0, int(std::size(kCases)))),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>> &param) {
                             const Case &test = kCases[std::get<1>(param.param)];
                             return std::string(kSubjectNames[int(test.subject)]) + kKindNames[int(test.kind)]
                                 + kRows[std::get<0>(param.param)].answer;
                         });

// The answer to a new task's creation is lost and the user's other device makes the same task before the next read:
// the line names it once, with the way out, and the next sync, while the user has not acted, names it again rather
// than say "Synced" over it.
TEST_F(SyncAnswers, ATaskTheServiceMayHoldTwiceIsNamedOnceWithTheWayOut)
{
    KNVTTaskStore::setDefaultTaskStore(&store());
    KNVTHomeActivityView line;
    setSyncSettings(true, false, 1e6);
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return sessionsEnded() == 1 && idle(); }, std::chrono::seconds(20)));
    store().taskWithTitle(QStringLiteral("Buy eggs"));
    save();
    fake.on("POST", "/tasks.json").dropAfterAnswering();
    coordinator().startSyncSession();
    const auto text = [&line] { return line.textLabel()->text(); };
    ASSERT_TRUE(waitUntil([&] { return text().startsWith(QStringLiteral("Sync failed")); }, std::chrono::seconds(20)));
    ASSERT_EQ(fake.storedAll("tasks").size(), 1u);
    fake.on("POST", "/tasks.json").clear();
    QJsonObject same = fake.storedAll("tasks").back();
    for (const char *own : {"id", "created_at", "updated_at"})
        same.remove(own);
    fake.seed("tasks", same);

    coordinator().startSyncSession();
    ASSERT_TRUE(waitUntil([&] { return text().contains(u';'); }, std::chrono::seconds(20))) << text().toStdString();
    EXPECT_TRUE(text().startsWith(QStringLiteral("Synced 10:20"))
                && text().endsWith(
                    QStringLiteral("; “Buy eggs” may already be on the service twice: keep yours, or delete it")))
        << text().toStdString();
    const int ended = sessionsEnded();
    coordinator().startSyncSession();
    ASSERT_TRUE(waitUntil([&] { return sessionsEnded() > ended && !text().startsWith(QStringLiteral("Syncing")); },
                          std::chrono::seconds(20)));
    EXPECT_TRUE(text().endsWith(
        QStringLiteral("; “Buy eggs” may already be on the service twice: keep yours, or delete it")))
        << "still named, once, while the user has not acted: " << text().toStdString();
    EXPECT_EQ(fake.count("POST", "/tasks.json"), 1);
    EXPECT_EQ(fake.storedAll("tasks").size(), 2u);
}
