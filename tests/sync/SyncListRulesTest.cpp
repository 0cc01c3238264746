#include "SyncSessionTest.h"

#include "model/KNVTTaskListCollaboratorRole.h"
#include "model/KNVTTaskListCollaboratorStatus.h"

using namespace knvt::test;

class SyncListRulesTest : public SyncSessionTest
{
protected:
    // A session that pulls only `resources`, so that one list rule can be watched alone.
    std::shared_ptr<KNVTTaskStoreDynamicSyncSession> pullOnly(const QStringList &resources)
    {
        auto session = std::make_shared<KNVTTaskStoreDynamicSyncSession>(QStringList(), resources);
        session->setType(KNVTTaskStoreSyncSessionTypeSync);
        return session;
    }
};

TEST_F(SyncListRulesTest, EachCollectionDeletesOnlyItsOwnSyncedListsThatItLacks)
{
    scriptEmptyService();
    syncedList(5, "Active");
    KNVTCDTaskList *pendingKept = syncedList(7, "Pending kept", "pending");
    KNVTCDTaskList *pendingGone = syncedList(8, "Pending gone", "pending");
    syncedTask(80, "In pending gone", pendingGone);
    syncedList(11, "Archived kept", "accepted", {{"archived_at", fixtureDate(1)}, {"status", "completed"}});
    KNVTCDTaskList *archivedGone =
        syncedList(12, "Archived gone", "accepted", {{"archived_at", fixtureDate(1)}, {"status", "completed"}});
    syncedTask(120, "In archived gone", archivedGone);
    auto *unsynced = m_main->insert<KNVTCDTaskList>();
    unsynced->setTitle("Never pushed");
    save();
    ASSERT_EQ(pendingKept->taskListCollaboratorStatus(), KNVTTaskListCollaboratorStatusPending);
    ASSERT_TRUE(withIdentifier<KNVTCDTaskList>(12)->archivedDate().isValid());
    m_fake.on("POST", "/task_lists.json").reply(500);
    m_fake.on("GET", "/task_lists.json").clear().json(200, listBody({sharedList(5, "Active", 1, "accepted")}));
    m_fake.on("GET", "/task_lists/pending.json")
        .clear()
        .json(200, listBody({sharedList(7, "Pending kept", 1, "pending"), sharedList(9, "Invited", 1, "pending")}));
    m_fake.on("GET", "/task_lists/archived.json")
        .clear()
        .json(200,
              listBody({sharedList(11, "Archived kept", 1, "accepted",
                                   {{"archived_at", fixtureDate(1)}, {"status", "completed"}})}));

    m_fake.on("GET", "/task_lists/9.json").json(200, body(sharedList(9, "Invited", 1, "pending")));

    // The refused create fails the session; every reply was read, so the lists' rules still hold.
    ASSERT_EQ(run(makeSession()), Outcome::Failed);

    EXPECT_TRUE(m_fake.hasRequest("GET", "/task_lists/9.json"));
    EXPECT_TRUE(withIdentifier<KNVTCDTaskList>(5));
    EXPECT_TRUE(withIdentifier<KNVTCDTaskList>(7));
    EXPECT_TRUE(withIdentifier<KNVTCDTaskList>(11)) << "the active lists do not judge archived ones";
    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(8));
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(80)) << "a removed list takes its tasks";
    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(12));
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(120));
    ASSERT_TRUE(withIdentifier<KNVTCDTaskList>(9)) << "a new invitation arrives";
    EXPECT_EQ(withIdentifier<KNVTCDTaskList>(9)->taskListCollaboratorStatus(), KNVTTaskListCollaboratorStatusPending);
    EXPECT_EQ(all<KNVTCDTaskList>(ostore::where::key("title") == QStringLiteral("Never pushed")).size(), 1u);
    EXPECT_TRUE(all<KNVTCDTask>().empty());
}

TEST_F(SyncListRulesTest, DeclinedListsLeaveWithTheirTasksAndAreNeverCreated)
{
    KNVTCDTaskList *declinedElsewhere = syncedList(20, "Declined on another device");
    syncedTask(200, "Its task", declinedElsewhere);
    KNVTCDTaskList *declinedBefore = syncedList(22, "Declined long ago", "declined");
    syncedTask(220, "Its task", declinedBefore);
    syncedList(5, "Active");
    save();
    m_fake.on("GET", "/task_lists/declined.json")
        .json(200,
              listBody({sharedList(20, "Declined on another device", 2, "declined"),
                        sharedList(21, "Never held here", 1, "declined")}));

    ASSERT_EQ(run(pullOnly({"task_lists/declined"})), Outcome::Finished) << qPrintable(m_error.description());

    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(20));
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(200));
    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(21));
    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(22)) << "a synced declined list the service no longer lists goes";
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(220));
    EXPECT_TRUE(withIdentifier<KNVTCDTaskList>(5));
    EXPECT_TRUE(all<KNVTCDTask>().empty()) << "no task of a removed list falls into the Inbox";
}

// The local user accepted an invitation, but the acceptance has not reached the service yet: the service still
// lists the list as pending, and not among the active lists.
TEST_F(SyncListRulesTest, AListAcceptedLocallyOutlivesAnActiveListsReplyThatLacksIt)
{
    scriptEmptyService();
    KNVTCDTaskList *list = syncedList(7, "Shared with me", "pending");
    syncedTask(70, "Shared task", list);
    save();
    list->setTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatusAccepted);
    save();
    ASSERT_TRUE(list->hasUnpushedMembershipChange());
    m_fake.on("PUT", "/task_list_collaborators/70.json")
        .reply(500)
        .json(200, R"({"task_list_collaborator":{"id":70}})");
    m_fake.on("GET", "/task_lists/pending.json")
        .clear()
        .json(200, listBody({sharedList(7, "Shared with me", 1, "pending")}));

    ASSERT_EQ(run(makeSession()), Outcome::Failed) << "the acceptance was not sent";
    ASSERT_TRUE(withIdentifier<KNVTCDTaskList>(7));
    EXPECT_TRUE(withIdentifier<KNVTCDTask>(70));
    EXPECT_EQ(list->taskListCollaboratorStatus(), KNVTTaskListCollaboratorStatusAccepted);

    ASSERT_EQ(run(makeSession(true, false)), Outcome::Finished);
    const auto put = m_fake.lastRequest("PUT", "/task_list_collaborators/70.json");
    ASSERT_TRUE(put);
    EXPECT_EQ(json(*put).value("task_list_collaborator").toObject().value("status"), "accepted");
    EXPECT_FALSE(list->hasUnpushedMembershipChange());
}

TEST_F(SyncListRulesTest, ANewProjectWithATaskIsCreatedThenFetchedInTheSameSession)
{
    scriptEmptyService();
    auto *project = m_main->insert<KNVTCDTaskList>();
    project->setType(1);
    project->setTitle("New project");
    project->setCreator(me());
    auto *ownRow = m_main->insert<KNVTCDTaskListCollaborator>();
    ownRow->setUser(me());
    ownRow->setTaskList(project);
    ownRow->setRole(KNVTTaskListCollaboratorRoleOwner);
    ownRow->setStatus(KNVTTaskListCollaboratorStatusAccepted);
    auto *task = m_main->insert<KNVTCDTask>();
    task->setTitle("First step");
    task->moveToTaskList(project);
    save();
    const QJsonObject created = sharedList(5, "New project", 1, "accepted");
    m_fake.on("POST", "/task_lists.json").json(201, body(created));
    m_fake.on("POST", "/tasks.json").json(201, body(knvt::test::task(12, "First step", 2, {{"task_list_id", 5}})));
    m_fake.on("GET", "/task_lists.json").clear().json(200, listBody({sharedList(5, "New project", 2, "accepted")}));
    m_fake.on("GET", "/task_lists/5.json")
        .json(200,
              body(nest(sharedList(5, "New project", 2, "accepted"), "tasks",
                        {knvt::test::task(12, "First step", 2, {{"task_list_id", 5}})})));

    ASSERT_EQ(run(makeSession()), Outcome::Finished) << qPrintable(m_error.description());

    const QList<QByteArray> order = calls();
    ASSERT_TRUE(order.contains("POST /task_lists.json"));
    ASSERT_TRUE(order.contains("POST /tasks.json"));
    EXPECT_LT(order.indexOf("POST /task_lists.json"), order.indexOf("POST /tasks.json"));
    EXPECT_EQ(json(*m_fake.lastRequest("POST", "/tasks.json")).value("task").toObject().value("task_list_id"), 5);
    EXPECT_TRUE(order.contains("GET /task_lists/5.json")) << "the new list is fetched in the same session";
    EXPECT_FALSE(m_fake.hasRequest("POST", "/task_list_collaborators.json"))
        << "the reply's owner row is the local one";
    EXPECT_EQ(project->numericIdentifier(), 5);
    ASSERT_EQ(project->taskListCollaborators().size(), 1u);
    EXPECT_EQ(project->myTaskListCollaborator()->numericIdentifier(), 50);
    ASSERT_EQ(all<KNVTCDTask>().size(), 1u);
    EXPECT_EQ(task->taskList(), project);
    EXPECT_NE(project->needsUpdating(), true);

    // Nothing is left to push.
    m_fake.clearRequests();
    ASSERT_EQ(run(makeSession(true, false)), Outcome::Finished);
    EXPECT_TRUE(m_fake.requests().empty());
}

TEST_F(SyncListRulesTest, ServerSideDeletionsOfTasksAndTaggedItems)
{
    scriptEmptyService();
    syncedTask(13, "Kept");
    syncedTask(14, "Deleted on the service");
    KNVTCDTask *tagged = syncedTask(15, "Tagged");
    auto *tag = m_main->insert<KNVTCDTag>();
    tag->updateWithAttributes(
        knvt::test::wire(unwrap(nest(knvt::test::tag(3, "home", 1), "tagged_items", {taggedItem(30, 3, 15, 1)}))));
    tag->setChangedKeysString(QString());
    for (KNVTCDTaggedTask *item : tag->taggedTasks())
        item->setChangedKeysString(QString());
    auto *unsynced = m_main->insert<KNVTCDTask>();
    unsynced->setTitle("Never pushed");
    save();
    ASSERT_EQ(tagged->taggedTasks().size(), 1u);
    m_fake.on("POST", "/tasks.json").reply(500);
    m_fake.on("GET", "/tasks/inbox.json")
        .clear()
        .json(200,
              listBody({task(13, "Kept", 1), task(14, "Deleted on the service", 2, {{"deleted_at", fixtureDate(2)}}),
                        task(15, "Tagged", 1)}));
    m_fake.on("GET", "/tags.json")
        .clear()
        .json(200, listBody({nest(knvt::test::tag(3, "home", 2), "tagged_items", {})}));

    ASSERT_EQ(run(makeSession()), Outcome::Failed) << "the new task was not sent";

    EXPECT_TRUE(withIdentifier<KNVTCDTask>(13));
    EXPECT_TRUE(unsynced->numericIdentifier() == std::nullopt && !unsynced->isDeleted())
        << "an Inbox task the service cannot know yet survives";
    KNVTCDTask *deleted = withIdentifier<KNVTCDTask>(14);
    EXPECT_TRUE(!deleted || deleted->deletedDate().isValid()) << "a tombstoned task leaves every list";
    EXPECT_TRUE(tagged->taggedTasks().empty()) << "the tag leaves its task";
    ASSERT_TRUE(withIdentifier<KNVTCDTag>(3));

    m_fake.clearRequests();
    m_fake.on("POST", "/tasks.json").clear().json(201, body(task(16, "Never pushed", 3)));
    ASSERT_EQ(run(makeSession(true, false)), Outcome::Finished);
    EXPECT_EQ(calls(), QList<QByteArray>{"POST /tasks.json"}) << "nothing is ever sent for task 14";
}
