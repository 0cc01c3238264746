#include "SyncSessionTest.h"

#include "sync/SyncFailure.h"

using namespace knvt::test;

namespace {

const QByteArray kPNG = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");

} // namespace

class SyncPullTest : public SyncSessionTest
{};

TEST_F(SyncPullTest, FirstFullSyncPullsInOrderAndFillsAnEmptyStore)
{
    scriptEmptyService();
    m_fake.on("GET", "/account.json")
        .clear()
        .json(
            200,
            body(account(
                7, user(42, "ann", {{"avatar_content_type", "image/png"}, {"avatar_updated_at", fixtureDate(5)}}), 5)));
    m_fake.on("GET", "/friendships.json")
        .clear()
        .json(200,
              listBody({wrap("friendship",
                             merged(unwrap(friendship(1, 42, 43, "accepted", 1)), {{"invitee", user(43, "bob")}}))}));
    m_fake.on("GET", "/friendships/invites.json")
        .clear()
        .json(200,
              listBody({wrap("friendship",
                             merged(unwrap(friendship(2, 44, 42, "pending", 1)), {{"inviter", user(44, "cid")}}))}));
    m_fake.on("GET", "/task_lists.json")
        .clear()
        .json(200,
              listBody({nest(taskList(5, "P", 1), "task_list_collaborators",
                             {collaborator(50, 5, 42, "accepted", "owner", 1)})}))
        .etag("\"l-1\"");
    m_fake.on("GET", "/task_lists/5.json")
        .json(200,
              body(nest(nest(taskList(5, "P", 1), "task_list_collaborators",
                             {collaborator(50, 5, 42, "accepted", "owner", 1)}),
                        "tasks",
                        {nest(task(10, "One", 1, {{"task_list_id", 5}}), "comments",
                              {comment(60, 10, 43, "Hi", 1, {{"user", user(43, "bob")}})}),
                         task(11, "Two", 1, {{"task_list_id", 5}})})));
    m_fake.on("GET", "/tasks/inbox.json")
        .clear()
        .json(200, listBody({nest(task(12, "Inbox task", 1), "comments", {comment(61, 12, 42, "Note", 1)})}));
    m_fake.on("GET", "/tags.json")
        .clear()
        .json(200, listBody({nest(tag(3, "home", 1), "tagged_items", {taggedItem(30, 3, 12, 1)})}))
        .etag("\"t-1\"");
    m_fake.on("GET", "/users/42/avatar/medium.png").png(kPNG);

    ASSERT_EQ(run(makeSession()), Outcome::Finished) << qPrintable(m_error.description());

    EXPECT_EQ(
        calls(),
        (QList<QByteArray>{"GET /account.json", "GET /friendships.json", "GET /friendships/invites.json",
                           "GET /task_lists.json", "GET /task_lists/pending.json", "GET /task_lists/archived.json",
                           "GET /task_lists/declined.json", "GET /task_lists/5.json", "GET /tasks/inbox.json",
                           "GET /tags.json", "GET /users/42/avatar/medium.png"}));
    for (const auto &request : m_fake.requests()) {
        EXPECT_EQ(request.header("Authorization"), "Basic YW5uOnNlY3JldDE=") << request.path.constData();
        EXPECT_TRUE(request.hasHeader("X-Application-Identifier"));
        EXPECT_TRUE(request.hasHeader("X-Application-Version"));
        EXPECT_TRUE(request.hasHeader("Content-Type"));
        EXPECT_FALSE(request.hasHeader("If-None-Match"));
        EXPECT_FALSE(request.hasHeader("ETag"));
    }
    EXPECT_EQ(m_fake.lastRequest("GET", "/task_lists.json")->queryItem("include"), "task_list_collaborators,users");
    EXPECT_EQ(m_fake.lastRequest("GET", "/users/42/avatar/medium.png")->header("Content-Type"), "image/png");

    KNVTCDTaskList *project = withIdentifier<KNVTCDTaskList>(5);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->tasks().size(), 2u);
    KNVTCDTask *inboxTask = withIdentifier<KNVTCDTask>(12);
    ASSERT_TRUE(inboxTask);
    EXPECT_EQ(inboxTask->taskList(), nullptr);
    EXPECT_EQ(inboxTask->comments().size(), 1u);
    ASSERT_EQ(inboxTask->taggedTasks().size(), 1u);
    EXPECT_EQ(inboxTask->taggedTasks().front()->tag()->title(), "home");
    EXPECT_EQ(withIdentifier<KNVTCDUser>(43)->friendshipStatus(), 3);
    EXPECT_EQ(withIdentifier<KNVTCDUser>(44)->friendshipStatus(), 2);
    EXPECT_FALSE(me()->avatar()->data().isEmpty());
    EXPECT_EQ(m_storedETags, (QVariantMap{{"task_lists", "\"l-1\""}, {"tags", "\"t-1\""}}));

    // The same replies again change nothing and fetch no list or avatar again.
    m_fake.clearRequests();
    ASSERT_EQ(run(makeSession(true, true, true)), Outcome::Finished);
    EXPECT_FALSE(m_fake.hasRequest("GET", "/task_lists/5.json"));
    EXPECT_FALSE(m_fake.hasRequest("GET", "/users/42/avatar/medium.png"));
    EXPECT_EQ(all<KNVTCDTask>().size(), 3u);
}

TEST_F(SyncPullTest, NotModifiedListsChangeNothingAndRecordTheirTagAgain)
{
    scriptEmptyService();
    syncedTask(12, "Kept");
    save();
    m_storedETags.insert("tags", "\"t-1\"");
    m_storedETags.insert("tasks/inbox", "\"i-1\"");
    m_fake.on("GET", "/tasks/inbox.json").clear().reply(304, {}, {{"ETag", "\"i-2\""}});
    m_fake.on("GET", "/tags.json").clear().json(200, listBody()).etag("\"t-1\"");

    ASSERT_EQ(run(makeSession(true, true, true)), Outcome::Finished);

    const auto tags = m_fake.lastRequest("GET", "/tags.json");
    EXPECT_EQ(tags->header("If-None-Match"), "\"t-1\"");
    EXPECT_EQ(tags->header("ETag"), "\"t-1\"");
    // A 304 is no empty list: the synced inbox task stays.
    EXPECT_TRUE(withIdentifier<KNVTCDTask>(12));
    EXPECT_EQ(m_storedETags.value("tasks/inbox"), "\"i-2\"");
    EXPECT_EQ(m_storedETags.value("tags"), "\"t-1\"");
}

TEST_F(SyncPullTest, ServerDeletionsRemoveSyncedObjectsOnly)
{
    scriptEmptyService();
    auto *project = m_main->insert<KNVTCDTaskList>();
    project->updateWithAttributes(knvt::test::wire(unwrap(
        nest(taskList(5, "P", 1), "task_list_collaborators", {collaborator(50, 5, 42, "accepted", "owner", 1)}))));
    auto *gone = m_main->insert<KNVTCDTaskList>();
    gone->updateWithAttributes(knvt::test::wire(unwrap(
        nest(taskList(6, "Gone", 1), "task_list_collaborators", {collaborator(51, 6, 42, "accepted", "owner", 1)}))));
    syncedTask(20, "In P", project);
    syncedTask(21, "In Gone", gone);
    syncedTask(13, "Dropped by the service");
    auto *local = m_main->insert<KNVTCDTask>();
    local->setTitle("Never pushed");
    project->setNeedsUpdating(true);
    save();
    // The local task is pushed first; the service gives it an id the inbox reply then lists.
    m_fake.on("POST", "/tasks.json").json(201, body(task(14, "Never pushed", 2)));
    m_fake.on("GET", "/task_lists.json")
        .clear()
        .json(200,
              listBody({nest(taskList(5, "P", 1), "task_list_collaborators",
                             {collaborator(50, 5, 42, "accepted", "owner", 1)})}));
    m_fake.on("GET", "/task_lists/5.json").reply(403);
    m_fake.on("GET", "/tasks/inbox.json").clear().json(200, listBody({task(14, "Never pushed", 2)}));

    // The collection read in the same session named the forbidden list: until a read of it agrees, the session has
    // not synced.
    ASSERT_EQ(run(makeSession()), Outcome::Failed);
    EXPECT_EQ(m_error.code(), 403);

    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(6));
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(21)) << "a removed list takes its tasks";
    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(5)) << "a forbidden list goes";
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(20));
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(13));
    ASSERT_EQ(all<KNVTCDTask>().size(), 1u);
    EXPECT_EQ(all<KNVTCDTask>().front()->numericIdentifier(), 14);
}

TEST_F(SyncPullTest, FailedListPullsDeleteNothing)
{
    scriptEmptyService();
    syncedTask(12, "Kept");
    auto *project = m_main->insert<KNVTCDTaskList>();
    project->updateWithAttributes(knvt::test::wire(unwrap(taskList(5, "P", 1))));
    project->setNeedsUpdating(true);
    save();
    m_fake.on("GET", "/tasks/inbox.json").clear().reply(500);
    m_fake.on("GET", "/task_lists/5.json").reply(500);

    ASSERT_EQ(run(makeSession()), Outcome::Failed) << "what was not read is read by the next session";

    EXPECT_TRUE(withIdentifier<KNVTCDTask>(12));
    ASSERT_TRUE(withIdentifier<KNVTCDTaskList>(5));
    EXPECT_EQ(withIdentifier<KNVTCDTaskList>(5)->needsUpdating(), true) << "fetched again next session";
    EXPECT_TRUE(m_fake.hasRequest("GET", "/tags.json")) << "the session went on";
}

// Another device moved a task from one project to another: the first project's reply lacks it, and the read of the
// second fails. The task stays the one object it was until a pull that reads both judges it.
TEST_F(SyncPullTest, ATaskOneProjectLeftOutOutlivesAFailedReadOfTheOther)
{
    scriptEmptyService();
    KNVTCDTaskList *from = syncedList(5, "From");
    syncedList(6, "To");
    KNVTCDTask *moved = syncedTask(12, "Moved", from);
    save();
    m_fake.on("GET", "/task_lists.json")
        .clear()
        .json(200, listBody({sharedList(5, "From", 2, "accepted"), sharedList(6, "To", 2, "accepted")}));
    m_fake.on("GET", "/task_lists/5.json").json(200, body(nest(sharedList(5, "From", 2, "accepted"), "tasks", {})));
    m_fake.on("GET", "/task_lists/6.json").reply(503);

    ASSERT_EQ(run(makeSession()), Outcome::Failed);

    EXPECT_TRUE(m_fake.hasRequest("GET", "/task_lists/5.json"));
    ASSERT_EQ(withIdentifier<KNVTCDTask>(12), moved) << "the same object";
    EXPECT_FALSE(moved->isDeleted());
    EXPECT_EQ(from->needsUpdating(), true) << "the list that left it out is read again";
    EXPECT_EQ(withIdentifier<KNVTCDTaskList>(6)->needsUpdating(), true);
}

// A read that fails puts off only the removals of what it could have named: a picture names nothing, the tags name
// tags, the Inbox names tasks, and the collections of lists name lists and where tasks are.
TEST_F(SyncPullTest, AFailedReadPutsOffOnlyTheRemovalsItCouldHaveNamed)
{
    scriptEmptyService();
    const struct
    {
        const char *failing;
        bool listGoes;
        bool taskGoes;
    } cases[] = {{"/users/42/avatar/medium.png", true, true},
                 {"/tags.json", true, true},
                 {"/tasks/inbox.json", true, false},
                 {"/task_lists/pending.json", false, false}};
    qint64 id = 10;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.failing);
        // A list the collections no longer hold, and a list whose own reply no longer holds one of its tasks.
        const qint64 gone = ++id;
        const qint64 kept = ++id;
        const qint64 task = ++id;
        syncedList(gone, "Gone");
        KNVTCDTaskList *list = syncedList(kept, "Kept");
        syncedTask(task, "Left out", list);
        list->setToBeFetchedAgain(true);
        me()->avatar()->setNeedsUpdating(true);
        save();
        m_fake.on("GET", "/task_lists.json").clear().json(200, listBody({sharedList(kept, "Kept", 2, "accepted")}));
        m_fake.on("GET", "/task_lists/" + QByteArray::number(kept) + ".json")
            .clear()
            .json(200, body(nest(sharedList(kept, "Kept", 2, "accepted"), "tasks", {})));
        m_fake.on("GET", "/users/42/avatar/medium.png").clear().png(kPNG);
        m_fake.on("GET", c.failing).clear().reply(503);

        EXPECT_EQ(run(makeSession()), Outcome::Failed);
        EXPECT_EQ(withIdentifier<KNVTCDTaskList>(gone) == nullptr, c.listGoes);
        EXPECT_EQ(withIdentifier<KNVTCDTask>(task) == nullptr, c.taskGoes);
        m_fake.on("GET", c.failing).clear();
        scriptEmptyService();
    }
}

// The service answers the read of a list 404 although its collection named it, while a task of the list holds an edit
// not yet sent: the list stays with it until the next read of its collection, which leaves it out; then it goes with
// its tasks, as any list the service no longer lists. (Listed again, its work goes out: the sync scenarios.)
TEST_F(SyncPullTest, AListAnswered404WithUnsentWorkStaysUntilItsCollectionLeavesItOut)
{
    scriptEmptyService();
    KNVTCDTaskList *list = syncedList(5, "Garden");
    KNVTCDTask *dig = syncedTask(12, "Dig", list);
    list->setToBeFetchedAgain(true);
    save();
    dig->setTitle("Dig deep");
    save();
    m_fake.on("GET", "/task_lists.json").clear().json(200, listBody({sharedList(5, "Garden", 2, "accepted")}));
    m_fake.on("GET", "/task_lists/5.json").json(404, "{}");

    ASSERT_EQ(run(makeSession(false, true)), Outcome::Failed) << "the collection named the list";
    ASSERT_EQ(withIdentifier<KNVTCDTaskList>(5), list);
    EXPECT_EQ(list->needsUpdating(), true) << "read again";
    ASSERT_EQ(withIdentifier<KNVTCDTask>(12), dig);
    EXPECT_EQ(dig->title(), "Dig deep");

    m_fake.on("GET", "/task_lists.json").json(200, listBody());
    m_fake.on("PUT", "/tasks/12.json").json(404, "{}");
    EXPECT_EQ(run(makeSession()), Outcome::Finished);
    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(5));
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(12)) << "gone with its list";
}

TEST_F(SyncPullTest, AnAvatarReplyThatIsNoImageLeavesTheAvatarFlaggedAndFailsTheSession)
{
    scriptEmptyService();
    me()->avatar()->setData(kPNG);
    me()->avatar()->setNeedsUpdating(true);
    save();
    m_fake.on("GET", "/users/42/avatar/medium.png")
        .reply(200, "<html>Sign in to the hotel Wi-Fi</html>", {{"Content-Type", "text/html"}});

    ASSERT_EQ(run(makeSession()), Outcome::Failed);
    EXPECT_EQ(knvt::syncFailureCause(m_error), knvt::SyncFailureCause::UnreadableReply);

    EXPECT_TRUE(m_fake.hasRequest("GET", "/users/42/avatar/medium.png"));
    EXPECT_EQ(me()->avatar()->data(), kPNG);
    EXPECT_EQ(me()->avatar()->needsUpdating(), true);
}

TEST_F(SyncPullTest, AnInboxTaskMovedLocallyOutlivesAnInboxReplyThatLacksIt)
{
    scriptEmptyService();
    auto *list = m_main->insert<KNVTCDTaskList>();
    list->updateWithAttributes(knvt::test::wire(unwrap(taskList(5, "L", 1))));
    list->setNeedsUpdating(std::nullopt);
    KNVTCDTask *task = syncedTask(12, "Moved", list);
    save();
    task->moveToTaskList(nullptr);
    save();
    m_fake.on("PUT", "/tasks/12.json").reply(500).json(200, R"({"task":{"id":12}})");

    ASSERT_EQ(run(makeSession()), Outcome::Failed) << "the move was not sent";
    ASSERT_TRUE(withIdentifier<KNVTCDTask>(12)) << "its move waits for the push";

    ASSERT_EQ(run(makeSession(true, false)), Outcome::Finished);
    const auto put = m_fake.lastRequest("PUT", "/tasks/12.json");
    ASSERT_TRUE(put);
    EXPECT_TRUE(json(*put).value("task").toObject().contains("task_list_id"));
    EXPECT_TRUE(json(*put).value("task").toObject().value("task_list_id").isNull());
}

// The service's list leaves out a task whose new title waits for its push: the task stays with it, and its push settles
// it (here the service answers that it no longer has the task, and the list, read again, still leaves it out).
TEST_F(SyncPullTest, ATaskWithAnUnpushedTitleOutlivesItsListsReplyThatLacksItUntilItsPushSettlesIt)
{
    scriptEmptyService();
    KNVTCDTaskList *list = syncedList(5, "L");
    KNVTCDTask *task = syncedTask(12, "Paint", list);
    save();
    task->setTitle("Paint the shed");
    list->setToBeFetchedAgain(true);
    save();
    m_fake.on("GET", "/task_lists.json").clear().json(200, listBody({sharedList(5, "L", 1, "accepted")}));
    m_fake.on("GET", "/task_lists/5.json").json(200, body(nest(sharedList(5, "L", 2, "accepted"), "tasks", {})));
    m_fake.on("PUT", "/tasks/12.json").reply(500).reply(404);

    ASSERT_EQ(run(makeSession()), Outcome::Failed) << "the title was not sent";
    ASSERT_EQ(withIdentifier<KNVTCDTask>(12), task);
    EXPECT_EQ(task->title(), "Paint the shed");

    ASSERT_EQ(run(makeSession()), Outcome::Finished);
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(12));
}
