// A collection reply whose elements cannot all be read is no account of what the service holds: the elements that can
// be read are applied, nothing is deleted for lacking from the reply, the failure is logged with the resource's name,
// and no entity tag is kept for the collection, so the next regular session fetches it whole.
#include "SyncSessionTest.h"

#include "model/KNVTTaskListCollaboratorStatus.h"
#include "support/LogCapture.h"

using namespace knvt::test;

namespace {

QByteArray listOf(const QList<QJsonValue> &elements)
{
    QJsonArray array;
    for (const QJsonValue &element : elements)
        array.append(element);
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QJsonObject withFriend(const QJsonObject &wrapped, const char *key, qint64 id, const char *name)
{
    return wrap("friendship", merged(unwrap(wrapped), {{QLatin1String(key), user(id, QLatin1String(name))}}));
}

} // namespace

class SyncUnreadableRepliesTest : public SyncSessionTest
{
protected:
    std::shared_ptr<KNVTTaskStoreDynamicSyncSession> pullOnly(const QStringList &resources, bool useETags = false)
    {
        auto session = std::make_shared<KNVTTaskStoreDynamicSyncSession>(QStringList(), resources);
        session->setType(KNVTTaskStoreSyncSessionTypeSync);
        session->setUseETags(useETags);
        return session;
    }

    // Pulls `resources` once with `complete` as the reply of `path` (entity tag "r-1"), which fills the library, then
    // in a regular session with `partial` (entity tag "r-2"). Expects the failure in the log under `logged`.
    void pullCompleteThenPartial(const QStringList &resources, const char *path, const QByteArray &complete,
                                 const QByteArray &partial, const QString &logged)
    {
        m_fake.on("GET", path).json(200, complete).etag("\"r-1\"");
        ASSERT_EQ(run(pullOnly(resources)), Outcome::Finished) << qPrintable(m_error.description());
        ASSERT_FALSE(m_storedETags.isEmpty());
        afterCompletePull();

        m_fake.on("GET", path).clear().json(200, partial).etag("\"r-2\"");
        const LogCapture log;
        ASSERT_EQ(run(pullOnly(resources, true)), Outcome::Finished) << qPrintable(m_error.description());
        const QStringList lines = log.lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
            return line.startsWith(QLatin1String("knvt.sync ")) && line.contains(logged)
                && line.contains(QLatin1String("cannot be read"));
        })) << qPrintable(lines.join(QLatin1Char('\n')));
    }

    // The next regular session asks for the whole collection: it sends no entity tag for it.
    void expectTheNextPullAsksForTheWholeCollection(const QStringList &resources, const char *path,
                                                    const QString &tagKey)
    {
        EXPECT_FALSE(m_storedETags.contains(tagKey)) << qPrintable(tagKey);
        m_fake.clearRequests();
        ASSERT_EQ(run(pullOnly(resources, true)), Outcome::Finished);
        const auto request = m_fake.lastRequest("GET", path);
        ASSERT_TRUE(request);
        EXPECT_FALSE(request->hasHeader("If-None-Match")) << path;
    }

    virtual void afterCompletePull() {}
};

// ---- The list collections ---------------------------------------------------------------------------------------

struct ListCollection
{
    const char *resource;
    const char *path;
    const char *status;
    bool archived;
    QJsonValue unreadable;
};

class SyncUnreadableListCollectionTest : public SyncUnreadableRepliesTest,
                                         public ::testing::WithParamInterface<ListCollection>
{
protected:
    QJsonObject list(qint64 id, const QString &title, qint64 n)
    {
        const ListCollection &collection = GetParam();
        return sharedList(id, title, n, QLatin1String(collection.status),
                          collection.archived ? QJsonObject{{"archived_at", fixtureDate(1)}, {"status", "completed"}}
                                              : QJsonObject{});
    }
    void afterCompletePull() override
    {
        syncedTask(60, "In the unlisted list", withIdentifier<KNVTCDTaskList>(6));
        save();
    }
};

TEST_P(SyncUnreadableListCollectionTest, AnUnreadableListDeletesNoListAndNoTask)
{
    const ListCollection &collection = GetParam();
    pullCompleteThenPartial(
        {QLatin1String(collection.resource)}, collection.path, listOf({list(5, "Listed", 1), list(6, "Unlisted", 1)}),
        listOf({list(5, "Renamed", 2), collection.unreadable}), QString::fromLatin1(collection.path).mid(1).chopped(5));

    ASSERT_TRUE(withIdentifier<KNVTCDTaskList>(5));
    EXPECT_EQ(withIdentifier<KNVTCDTaskList>(5)->title(), "Renamed") << "the readable element is applied";
    EXPECT_TRUE(withIdentifier<KNVTCDTaskList>(6));
    EXPECT_TRUE(withIdentifier<KNVTCDTask>(60));
    expectTheNextPullAsksForTheWholeCollection({QLatin1String(collection.resource)}, collection.path,
                                               QString::fromLatin1(collection.path).mid(1).chopped(5));
}

INSTANTIATE_TEST_SUITE_P(Collections, SyncUnreadableListCollectionTest,
                         ::testing::Values(ListCollection{"task_lists/active", "/task_lists.json", "accepted", false,
                                                          QJsonValue(QStringLiteral("6"))},
                                           ListCollection{"task_lists/pending", "/task_lists/pending.json", "pending",
                                                          false, QJsonValue(6)},
                                           ListCollection{"task_lists/archived", "/task_lists/archived.json",
                                                          "accepted", true, QJsonValue(QJsonValue::Null)}),
                         [](const ::testing::TestParamInfo<ListCollection> &param) {
                             return std::string(param.param.status) + (param.param.archived ? "Archived" : "");
                         });

TEST_F(SyncUnreadableRepliesTest, AnUnreadableDeclinedListKeepsTheDeclinedListsNotNamed)
{
    KNVTCDTaskList *declinedElsewhere = syncedList(20, "Declined on another device");
    syncedTask(200, "Its task", declinedElsewhere);
    syncedList(22, "Declined long ago", "declined");
    save();
    m_storedETags.insert("task_lists/declined", "\"r-1\"");
    m_fake.on("GET", "/task_lists/declined.json")
        .json(200,
              listOf({sharedList(20, "Declined on another device", 2, "declined"),
                      QJsonObject{{"task_list", QJsonObject{{"id", "22"}}}}}))
        .etag("\"r-2\"");

    const LogCapture log;
    ASSERT_EQ(run(pullOnly({"task_lists/declined"}, true)), Outcome::Finished) << qPrintable(m_error.description());

    EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(20)) << "the list named as declined goes";
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(200));
    EXPECT_TRUE(withIdentifier<KNVTCDTaskList>(22)) << "a declined list the reply may have named stays";
    EXPECT_TRUE(log.lines().join(' ').contains("task_lists/declined"));
    expectTheNextPullAsksForTheWholeCollection({"task_lists/declined"}, "/task_lists/declined.json",
                                               "task_lists/declined");
}

// ---- Tasks, tags and friendships --------------------------------------------------------------------------------

TEST_F(SyncUnreadableRepliesTest, AnUnreadableInboxTaskOrCommentDeletesNoTaskAndNoComment)
{
    const auto inboxTask = [](qint64 id, const QString &title, qint64 n, const QList<QJsonValue> &comments) {
        QJsonObject inner = unwrap(task(id, title, n));
        QJsonArray array;
        for (const QJsonValue &comment : comments)
            array.append(comment);
        inner.insert("comments", array);
        return wrap("task", inner);
    };
    pullCompleteThenPartial(
        {"tasks/inbox"}, "/tasks/inbox.json",
        listOf({inboxTask(13, "Listed", 1,
                          {unwrap(comment(130, 13, 42, "First", 1)), unwrap(comment(131, 13, 42, "Second", 1))}),
                task(14, "Unlisted", 1)}),
        listOf({inboxTask(13, "Renamed", 2, {unwrap(comment(130, 13, 42, "First", 1)), QJsonValue("131")}),
                QJsonObject{{"task", QJsonObject{{"title", "No identifier"}}}}}),
        "tasks/inbox");

    ASSERT_TRUE(withIdentifier<KNVTCDTask>(13));
    EXPECT_EQ(withIdentifier<KNVTCDTask>(13)->title(), "Renamed");
    EXPECT_TRUE(withIdentifier<KNVTCDTask>(14));
    EXPECT_TRUE(withIdentifier<KNVTCDTaskComment>(130));
    EXPECT_TRUE(withIdentifier<KNVTCDTaskComment>(131)) << "an unreadable comment keeps the task's comments";
    expectTheNextPullAsksForTheWholeCollection({"tasks/inbox"}, "/tasks/inbox.json", "tasks/inbox");
}

TEST_F(SyncUnreadableRepliesTest, AnUnreadableTagOrLinkDeletesNoTagAndNoLink)
{
    syncedTask(15, "Tagged once");
    syncedTask(16, "Tagged twice");
    save();
    pullCompleteThenPartial(
        {"tags"}, "/tags.json",
        listBody({nest(tag(3, "home", 1), "tagged_items", {taggedItem(30, 3, 15, 1), taggedItem(31, 3, 16, 1)}),
                  tag(4, "work", 1)}),
        listOf({nest(tag(3, "house", 2), "tagged_items",
                     {taggedItem(30, 3, 15, 1), taggedItem(31, 3, 16, 1, {{"taggable_type", 1}})}),
                QJsonObject{{"tag", 4}}}),
        "tags");

    ASSERT_TRUE(withIdentifier<KNVTCDTag>(3));
    EXPECT_EQ(withIdentifier<KNVTCDTag>(3)->title(), "house");
    EXPECT_TRUE(withIdentifier<KNVTCDTag>(4));
    EXPECT_TRUE(withIdentifier<KNVTCDTaggedTask>(30));
    EXPECT_TRUE(withIdentifier<KNVTCDTaggedTask>(31)) << "a link whose type cannot be read keeps the tag's links";
    expectTheNextPullAsksForTheWholeCollection({"tags"}, "/tags.json", "tags");
}

TEST_F(SyncUnreadableRepliesTest, AnUnreadableFriendshipDeletesNoFriendship)
{
    pullCompleteThenPartial({"friendships"}, "/friendships.json",
                            listBody({withFriend(friendship(1, 42, 43, "pending", 1), "invitee", 43, "bob"),
                                      withFriend(friendship(2, 42, 44, "accepted", 1), "invitee", 44, "cid")}),
                            listOf({withFriend(friendship(1, 42, 43, "accepted", 2), "invitee", 43, "bob"),
                                    QJsonObject{{"friendship", QJsonObject{{"id", 2.5}}}}}),
                            "friendships");

    ASSERT_TRUE(withIdentifier<KNVTCDFriendship>(1));
    EXPECT_EQ(withIdentifier<KNVTCDUser>(43)->friendshipStatus(), KNVTUserFriendshipStatusFriend);
    EXPECT_TRUE(withIdentifier<KNVTCDFriendship>(2));
    expectTheNextPullAsksForTheWholeCollection({"friendships"}, "/friendships.json", "friendships");
}

TEST_F(SyncUnreadableRepliesTest, AnUnreadableInvitationDeletesNoInvitation)
{
    pullCompleteThenPartial({"friendships/invites"}, "/friendships/invites.json",
                            listBody({withFriend(friendship(1, 43, 42, "pending", 1), "inviter", 43, "bob"),
                                      withFriend(friendship(2, 44, 42, "pending", 1), "inviter", 44, "cid")}),
                            listOf({withFriend(friendship(1, 43, 42, "accepted", 2), "inviter", 43, "bob"),
                                    QJsonObject{{"task", unwrap(task(2, "Wrong root key", 1))}}}),
                            "friendships/invites");

    ASSERT_TRUE(withIdentifier<KNVTCDFriendship>(1));
    EXPECT_EQ(withIdentifier<KNVTCDUser>(43)->friendshipStatus(), KNVTUserFriendshipStatusFriend);
    EXPECT_TRUE(withIdentifier<KNVTCDFriendship>(2));
    expectTheNextPullAsksForTheWholeCollection({"friendships/invites"}, "/friendships/invites.json",
                                               "friendships/invites");
}

// ---- One list's tasks and collaborators ---------------------------------------------------------------------------

TEST_F(SyncUnreadableRepliesTest, AnUnreadableTaskOrRowOfAListDeletesNoTaskAndNoRow)
{
    const QJsonObject ownRow = unwrap(collaborator(50, 5, 42, "accepted", "owner", 1));
    const QJsonObject otherRow = unwrap(collaborator(51, 5, 43, "accepted", "editor", 1, {{"user", user(43, "bob")}}));
    const auto listWith = [](qint64 n, const QList<QJsonValue> &rows, const QList<QJsonValue> &tasks) {
        QJsonObject inner = unwrap(taskList(5, QStringLiteral("Project"), n));
        QJsonArray rowArray;
        for (const QJsonValue &row : rows)
            rowArray.append(row);
        QJsonArray taskArray;
        for (const QJsonValue &task : tasks)
            taskArray.append(task);
        inner.insert("task_list_collaborators", rowArray);
        if (!tasks.isEmpty())
            inner.insert("tasks", taskArray);
        return wrap("task_list", inner);
    };
    const QJsonObject task50 = unwrap(task(50, "Listed", 1, {{"task_list_id", 5}}));
    const QJsonObject task51 = unwrap(task(51, "Unlisted", 1, {{"task_list_id", 5}}));
    m_fake.on("GET", "/task_lists.json").json(200, listOf({listWith(1, {ownRow, otherRow}, {})}));
    m_fake.on("GET", "/task_lists/5.json").json(200, body(listWith(1, {ownRow, otherRow}, {task50, task51})));
    ASSERT_EQ(run(pullOnly({"task_lists/active", "task_lists"})), Outcome::Finished);
    ASSERT_TRUE(withIdentifier<KNVTCDTask>(51));
    ASSERT_EQ(withIdentifier<KNVTCDTaskList>(5)->taskListCollaborators().size(), 2u);

    // A later list: fetched whole again, with a task and a row that cannot be read.
    m_fake.on("GET", "/task_lists.json").clear().json(200, listOf({listWith(2, {ownRow, otherRow}, {})}));
    m_fake.on("GET", "/task_lists/5.json")
        .clear()
        .json(200,
              body(listWith(2, {ownRow, merged(otherRow, {{"user_id", "43"}})},
                            {unwrap(task(50, "Renamed", 2, {{"task_list_id", 5}})), QJsonValue(51)})));
    const LogCapture log;
    ASSERT_EQ(run(pullOnly({"task_lists/active", "task_lists"})), Outcome::Finished);

    EXPECT_TRUE(m_fake.count("GET", "/task_lists/5.json") == 2);
    ASSERT_TRUE(withIdentifier<KNVTCDTask>(50));
    EXPECT_EQ(withIdentifier<KNVTCDTask>(50)->title(), "Renamed");
    EXPECT_TRUE(withIdentifier<KNVTCDTask>(51)) << "an unreadable task keeps the list's tasks";
    KNVTCDTaskList *list = withIdentifier<KNVTCDTaskList>(5);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->taskListCollaborators().size(), 2u) << "a row without a readable user keeps the list's rows";
    EXPECT_EQ(list->taskListCollaboratorStatus(), KNVTTaskListCollaboratorStatusAccepted);
    EXPECT_TRUE(log.lines().join(' ').contains("task_lists/5"));
}
