#include "KNVTCDTaskListTest.h"

namespace {

class KNVTCDTaskListWireTest : public KNVTCDTaskListTest
{
protected:
    // A list as the service sends it, with the fields the tests do not care about filled in.
    static QJsonObject listObject(qint64 id, qint64 updatedAt, QJsonObject fields = {})
    {
        QJsonObject o{{"id", id}, {"created_at", wireDate(-1000)}, {"updated_at", wireDate(updatedAt)}};
        for (auto it = fields.begin(); it != fields.end(); ++it)
            o.insert(it.key(), it.value());
        return o;
    }
    static QJsonObject taskObject(qint64 id, qint64 listId, const QString &title, const QString &status)
    {
        return {{"id", id},         {"created_at", wireDate(-900)}, {"updated_at", wireDate(-800)}, {"title", title},
                {"status", status}, {"task_list_id", listId}};
    }
    static QJsonObject rowObject(qint64 id, qint64 listId, qint64 userId, const QString &role, const QString &status)
    {
        return {{"id", id},
                {"created_at", wireDate(-900)},
                {"updated_at", wireDate(-800)},
                {"task_list_id", listId},
                {"user_id", userId},
                {"role", role},
                {"status", status}};
    }
    // A list pulled earlier: filled from the service and nothing left to push.
    KNVTCDTaskList *pulledList(qint64 id, qint64 updatedAt = 0)
    {
        auto *l = insert<KNVTCDTaskList>();
        l->updateWithAttributes(wire(listObject(
            id, updatedAt,
            {{"title", "Garden"}, {"task_list_type", "project"}, {"status", "actionable"}, {"tasks", QJsonArray()}})));
        return l;
    }
};

// ---- Push ----

TEST_F(KNVTCDTaskListWireTest, PushesEveryMappedKeyInTheServicesNames)
{
    auto *l = insert<KNVTCDTaskList>();
    l->setTitle(QStringLiteral("Garden"));
    l->setNotes(QStringLiteral("front and back"));
    l->setType(1);
    l->setStatus(5);
    l->setStatusModifiedDate(date(1));
    l->setStartDate(date(2));
    l->setDueDate(date(3));
    l->setArchivedDate(date(4));
    l->setDeletedDate(date(5));
    l->setPriority(9);
    const QStringList all{"archivedDate",
                          "deletedDate",
                          "dueDate",
                          "notes",
                          "startDate",
                          "status",
                          "statusModifiedDate",
                          "type",
                          "title",
                          "priority",
                          "creator",
                          "tasks",
                          "taskListCollaborators",
                          "numericIdentifier",
                          "taskListCollaboratorStatus",
                          "taskListCollaboratorTaskListTypeOrderIndex"};
    EXPECT_EQ(l->attributesForKeys(all),
              (QJsonObject{{"archived_at", "2015-03-04T10:20:34+0000"},
                           {"deleted_at", "2015-03-04T10:20:35+0000"},
                           {"due_at", "2015-03-04T10:20:33+0000"},
                           {"description", "front and back"},
                           {"start_at", "2015-03-04T10:20:32+0000"},
                           {"status", "cancelled"},
                           {"status_updated_at", "2015-03-04T10:20:31+0000"},
                           {"task_list_type", "project"},
                           {"title", "Garden"}}));
}

TEST_F(KNVTCDTaskListWireTest, AnOpenTaskJoiningAClosedListReopensIt)
{
    KNVTCDTaskList *cancelled = pulledList(7);
    task(cancelled, QStringLiteral("done"), 4);
    cancelled->setStatus(5);
    cancelled->setArchived(true);

    KNVTCDTask *deleted = task(nullptr, QStringLiteral("deleted"), 2);
    deleted->setDeletedDate(date());
    deleted->setTaskList(cancelled);
    EXPECT_TRUE(cancelled->isCancelled()) << "a deleted task does not reopen it";

    KNVTCDTask *open = task(nullptr, QStringLiteral("open"), 1);
    open->setTaskList(cancelled);
    EXPECT_EQ(cancelled->status(), 2);
    EXPECT_FALSE(cancelled->isArchived());
}

// The service's copy says by its archive date alone whether a list is archived, open or not; reopening a list here
// takes it out of the archive.
TEST_F(KNVTCDTaskListWireTest, TheServicesArchiveDateStandsWhateverItsStatusAndReopeningHereUnarchives)
{
    KNVTCDTaskList *l = pulledList(7);
    for (const char *status : {"actionable", "someday", "completed"}) {
        SCOPED_TRACE(status);
        l->updateWithAttributes(
            wire(listObject(7, 10, {{"status", status}, {"archived_at", wireDate(5)}, {"tasks", QJsonArray()}})));
        EXPECT_TRUE(l->isArchived());
    }
    l->setStatus(2);
    EXPECT_FALSE(l->isArchived());
}

// The mirrors are edited on the list and pushed as the local user's row; only the status is a membership change.
TEST_F(KNVTCDTaskListWireTest, MirrorsReachTheLocalUsersRow)
{
    KNVTCDTaskList *l = pulledList(7);
    EXPECT_FALSE(l->hasUnpushedMembershipChange()) << "no local user";
    KNVTCDTaskListCollaborator *mine = synced(row(l, me(), 2, 1), 70);
    KNVTCDTaskListCollaborator *theirs = synced(row(l, user(QStringLiteral("Ann"), 2), 1, 2), 71);
    ASSERT_EQ(l->taskListCollaboratorStatus(), 1);

    l->setTaskListCollaboratorTaskListTypeOrderIndex(5);
    EXPECT_EQ(mine->taskListTypeOrderIndex(), 5);
    EXPECT_FALSE(l->hasUnpushedMembershipChange());
    l->setTaskListCollaboratorStatus(2);
    EXPECT_TRUE(l->hasUnpushedMembershipChange());
    EXPECT_EQ(mine->attributesForKeys(mine->changedKeys()),
              (QJsonObject{{"status", "accepted"}, {"task_list_type_order_index", 5}}));
    EXPECT_TRUE(theirs->changedKeysString().isNull());
    EXPECT_TRUE(l->changedKeysString().isNull());
}

// ---- Merge ----

TEST_F(KNVTCDTaskListWireTest, NewerWinsUnlessTheListWaitsForItsFullFetch)
{
    KNVTCDTaskList *l = pulledList(7, 0);
    l->setTitle(QStringLiteral("local"));
    EXPECT_FALSE(l->mergeAttributes(wire(listObject(7, 0, {{"title", "service"}}))));
    EXPECT_EQ(l->title(), "local");

    l->setNeedsUpdating(true);
    EXPECT_TRUE(l->mergeAttributes(wire(listObject(7, 0, {{"title", "service"}}))));
    EXPECT_EQ(l->title(), "service");
}

// ---- Fill ----

TEST_F(KNVTCDTaskListWireTest, FillAppliesEveryKey)
{
    KNVTCDUser *creator = user(QStringLiteral("Ann"), 2);
    auto *l = insert<KNVTCDTaskList>();
    l->setTitle(QStringLiteral("local"));
    l->mergeAttributes(wire(listObject(7, 0,
                                       {{"title", "Garden"},
                                        {"description", "front and back"},
                                        {"status", "completed"},
                                        {"status_updated_at", wireDate(-50)},
                                        {"task_list_type", "project"},
                                        {"start_at", wireDate(10)},
                                        {"due_at", wireDate(20)},
                                        {"archived_at", wireDate(-40)},
                                        {"deleted_at", wireDate(-30)},
                                        {"creator_id", 2},
                                        {"priority", 1}})));
    EXPECT_EQ(l->title(), "Garden");
    EXPECT_EQ(l->notes(), "front and back");
    EXPECT_EQ(l->status(), 4);
    EXPECT_EQ(l->statusModifiedDate(), date(-50)) << "the service's status date replaces the stamp";
    EXPECT_EQ(l->type(), 1);
    EXPECT_EQ(l->startDate(), date(10));
    EXPECT_EQ(l->dueDate(), date(20));
    EXPECT_EQ(l->archivedDate(), date(-40));
    EXPECT_EQ(l->deletedDate(), date(-30));
    EXPECT_EQ(l->creator(), creator);
    EXPECT_EQ(l->priority(), std::nullopt) << "the priority never travels";
    EXPECT_TRUE(l->changedKeysString().isNull());
}

TEST_F(KNVTCDTaskListWireTest, MissingAndNullKeys)
{
    KNVTCDTaskList *l = pulledList(7);
    KNVTCDUser *creator = user(QStringLiteral("Ann"), 2);
    l->setCreator(creator);
    l->setNotes(QStringLiteral("notes"));
    l->setDueDate(date(1));
    l->setStartDate(date(2));
    l->setStatus(4);
    l->setDeletedDate(date(3));
    l->updateWithAttributes(wire(listObject(7, 1)));
    // A missing title, status, deletion or creator keeps the local one; a missing description or date clears it.
    EXPECT_EQ(l->title(), "Garden");
    EXPECT_EQ(l->status(), 4);
    EXPECT_EQ(l->deletedDate(), date(3));
    EXPECT_EQ(l->creator(), creator);
    EXPECT_TRUE(l->notes().isNull());
    EXPECT_FALSE(l->dueDate().isValid());
    EXPECT_FALSE(l->startDate().isValid());

    l->setNotes(QStringLiteral("notes"));
    l->updateWithAttributes(wire(listObject(7, 2,
                                            {{"title", QJsonValue::Null},
                                             {"status", QJsonValue::Null},
                                             {"deleted_at", QJsonValue::Null},
                                             {"description", QJsonValue::Null}})));
    EXPECT_EQ(l->title(), "Garden");
    EXPECT_EQ(l->status(), 4);
    EXPECT_EQ(l->deletedDate(), date(3));
    EXPECT_TRUE(l->notes().isNull());
}

TEST_F(KNVTCDTaskListWireTest, NestedMemberRowsAreMatchedByUser)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 2);
    KNVTCDUser *bob = user(QStringLiteral("Bob"), 3);
    KNVTCDTaskList *l = pulledList(7);
    KNVTCDTaskListCollaborator *annRow = synced(row(l, ann, 2, 1), 70);
    KNVTCDTaskListCollaborator *bobRow = synced(row(l, bob), 71);
    KNVTCDTaskListCollaborator *localRow = row(l, user(QStringLiteral("Cid"), 4), 2, 1);

    QJsonObject annObject = rowObject(70, 7, 2, "editor", "accepted");
    QJsonObject newObject = rowObject(72, 7, 5, "editor", "pending");
    newObject.insert("user", QJsonObject{{"id", 5}, {"first_name", "Dee"}});
    l->updateWithAttributes(wire(listObject(7, 1, {{"task_list_collaborators", QJsonArray{annObject, newObject}}})));

    EXPECT_EQ(annRow->status(), 2);
    EXPECT_TRUE(bobRow->isDeleted()) << "a synced row the service no longer lists is deleted";
    EXPECT_FALSE(localRow->isDeleted()) << "a row not pushed yet stays";
    const std::vector<KNVTCDTaskListCollaborator *> rows = l->taskListCollaborators();
    ASSERT_EQ(rows.size(), 3u);
    KNVTCDTaskListCollaborator *newRow = rows.back();
    EXPECT_EQ(newRow->numericIdentifier(), 72);
    ASSERT_NE(newRow->user(), nullptr);
    EXPECT_EQ(newRow->user()->numericIdentifier(), 5);
}

// A pull leaves nothing to push: an empty change list is stored as none, or every later push would select the
// tasks and send them with no keys.
TEST_F(KNVTCDTaskListWireTest, NestedTasksAreMergedInsertedAndReconciledWithNothingToPush)
{
    KNVTCDTaskList *l = pulledList(7);
    KNVTCDTask *kept = synced(task(l, QStringLiteral("kept")), 200);
    KNVTCDTask *dropped = synced(task(l, QStringLiteral("dropped")), 201);
    KNVTCDTask *local = task(l, QStringLiteral("local"));
    KNVTCDTask *elsewhere = synced(task(nullptr, QStringLiteral("moved by the service")), 203);
    const qsizetype unpushed = context().count<KNVTCDTask>(ostore::where::notNull(QStringLiteral("changedKeysString")));

    l->updateWithAttributes(wire(
        listObject(7, 1,
                   {{"tasks",
                     QJsonArray{taskObject(200, 7, "kept, renamed", "completed"), taskObject(202, 7, "new", "someday"),
                                taskObject(203, 7, "moved", "actionable")}}})));
    EXPECT_EQ(kept->title(), "kept, renamed");
    EXPECT_TRUE(dropped->isDeleted());
    EXPECT_FALSE(local->isDeleted());
    EXPECT_EQ(elsewhere->taskList(), l);
    KNVTCDTask *inserted = l->taskForNumericIdentifier(202);
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted->taskList(), l);
    EXPECT_EQ(inserted->title(), "new");
    EXPECT_EQ(l->tasks().size(), 4u);
    auto expectNothingToPush = [&] {
        for (KNVTCDTask *t : {kept, elsewhere, inserted})
            EXPECT_TRUE(t->changedKeysString().isNull()) << qPrintable(t->changedKeysString());
        EXPECT_TRUE(l->changedKeysString().isNull()) << qPrintable(l->changedKeysString());
        EXPECT_EQ(context().count<KNVTCDTask>(ostore::where::notNull(QStringLiteral("changedKeysString"))), unpushed);
    };
    expectNothingToPush();
    save();
    expectNothingToPush();
}

TEST_F(KNVTCDTaskListWireTest, UnpushedMoveIntoTheListSurvivesItsReply)
{
    KNVTCDTaskList *l = pulledList(7);
    KNVTCDTaskList *old = pulledList(8);
    KNVTCDTask *moved = synced(task(old, QStringLiteral("moved here")), 300);
    moved->setTaskList(l);
    ASSERT_TRUE(moved->changedKeys().contains("taskList"));
    KNVTCDTask *stale = synced(task(l, QStringLiteral("gone on the service")), 301);

    l->updateWithAttributes(wire(listObject(7, 1, {{"tasks", QJsonArray()}})));
    EXPECT_FALSE(moved->isDeleted());
    EXPECT_EQ(moved->taskList(), l);
    EXPECT_EQ(moved->attributesForKeys(moved->changedKeys()), (QJsonObject{{"task_list_id", 7}}));
    EXPECT_TRUE(stale->isDeleted());
}

// An open task arriving with or into a completed list is the service's state, not a local reopening.
TEST_F(KNVTCDTaskListWireTest, CompletedListStaysCompletedThroughPulledOpenTasks)
{
    auto *pulled = insert<KNVTCDTaskList>();
    pulled->mergeAttributes(wire(listObject(7, 0,
                                            {{"title", "Done"},
                                             {"status", "completed"},
                                             {"status_updated_at", wireDate(-60)},
                                             {"archived_at", wireDate(-30)},
                                             {"tasks", QJsonArray{taskObject(200, 7, "repeats", "actionable")}}})));
    EXPECT_TRUE(pulled->isCompleted());
    EXPECT_TRUE(pulled->isArchived());
    EXPECT_EQ(pulled->statusModifiedDate(), date(-60));
    ASSERT_EQ(pulled->tasks().size(), 1u);
    EXPECT_EQ(pulled->tasks()[0]->status(), 2);
    EXPECT_TRUE(pulled->changedKeysString().isNull());

    KNVTCDTaskList *reconciled = pulledList(8);
    synced(task(reconciled, QStringLiteral("repeats")), 210);
    KNVTCDTask *gone = synced(task(reconciled, QStringLiteral("gone"), 4), 211);
    reconciled->updateWithAttributes(wire(listObject(
        8, 1, {{"status", "completed"}, {"tasks", QJsonArray{taskObject(210, 8, "repeats", "actionable")}}})));
    EXPECT_TRUE(gone->isDeleted());
    EXPECT_TRUE(reconciled->isCompleted()) << "removing a task while applying the reply leaves the service's status";

    KNVTCDTaskList *joined = pulledList(9);
    joined->updateWithAttributes(wire(listObject(9, 1, {{"status", "completed"}, {"archived_at", wireDate()}})));
    KNVTCDTask *t = synced(task(nullptr, QStringLiteral("moved by another device")), 220);
    t->mergeAttributes(wire(taskObject(220, 9, "moved by another device", "actionable")));
    ASSERT_EQ(t->taskList(), joined);
    EXPECT_TRUE(joined->isCompleted());
    EXPECT_TRUE(joined->isArchived());
}

TEST_F(KNVTCDTaskListWireTest, PulledOwnRowOrderIndexReachesTheMirror)
{
    KNVTCDUser *mine = me();
    mine->setNumericIdentifier(42);
    auto *l = insert<KNVTCDTaskList>();
    QJsonObject own = rowObject(70, 7, 42, "owner", "accepted");
    own.insert("task_list_type_order_index", 3);
    QJsonObject other = rowObject(71, 7, 2, "editor", "accepted");
    other.insert("task_list_type_order_index", 9);
    other.insert("user", QJsonObject{{"id", 2}});
    l->mergeAttributes(wire(listObject(7, 0, {{"task_list_collaborators", QJsonArray{own, other}}})));

    EXPECT_EQ(l->taskListCollaboratorTaskListTypeOrderIndex(), 3);
    EXPECT_EQ(l->taskListCollaboratorStatus(), 2);
    EXPECT_TRUE(l->changedKeysString().isNull());
    ASSERT_NE(l->myTaskListCollaborator(), nullptr);
    EXPECT_TRUE(l->myTaskListCollaborator()->changedKeysString().isNull()) << "nothing to push back";
}

} // namespace
