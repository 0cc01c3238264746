#include "KNVTCDTaskTest.h"

namespace {

using KNVTCDTaskWireTest = KNVTCDTaskTest;

// The body a push of `names` sends, in its compact text.
QByteArray pushed(const KNVTCDTask *t, const QStringList &names)
{
    return QJsonDocument(t->attributesForKeys(names)).toJson(QJsonDocument::Compact);
}
QByteArray pushedChanges(const KNVTCDTask *t)
{
    return pushed(t, t->changedKeys());
}

// ---- Push ----

TEST_F(KNVTCDTaskWireTest, EmptyValuesHaveTheirOwnWireForms)
{
    KNVTCDTask *t = task(QString());
    t->setStatus(std::nullopt);
    EXPECT_EQ(
        pushed(t, {"notes", "title", "status", "taskList", "assignee", "dueDate"}),
        QByteArray(R"({"description":null,"due_at":null,"status":"actionable","task_list_id":null,"title":null})"));
}

TEST_F(KNVTCDTaskWireTest, ValuesInTheServicesForm)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 7);
    KNVTCDTaskList *l = list(QStringLiteral("L"), {}, 31);
    KNVTCDTask *t = task(QStringLiteral("Call"));
    t->setNotes(QStringLiteral("about the roof"));
    t->setPriority(9);
    t->setStatus(5);
    t->setStatusModifiedDate(date());
    t->setStartDate(date(60));
    t->setDueDate(QDateTime(QDate(2015, 3, 5), QTime(0, 0))); // New York midnight
    t->setArchivedDate(date(120));
    t->setDeletedDate(date(180));
    t->setTaskList(l);
    t->setTaskListOrderIndex(4);
    t->setAssignee(ann);

    EXPECT_EQ(pushed(t,
                     {"title", "notes", "priority", "status", "statusModifiedDate", "startDate", "dueDate",
                      "archivedDate", "deletedDate", "taskList", "taskListOrderIndex", "assignee"}),
              QByteArray(R"({"archived_at":"2015-03-04T10:22:30+0000","assignee_id":7,)"
                         R"("deleted_at":"2015-03-04T10:23:30+0000","description":"about the roof",)"
                         R"("due_at":"2015-03-05T05:00:00+0000","priority":9,"start_at":"2015-03-04T10:21:30+0000",)"
                         R"("status":"cancelled","status_updated_at":"2015-03-04T10:20:30+0000","task_list_id":31,)"
                         R"("task_list_order_index":4,"title":"Call"})"));
}

TEST_F(KNVTCDTaskWireTest, RecurrenceIsSentAsItsRulesAndARemovalAsAnEmptyArray)
{
    KNVTCDTask *t = task();
    t->setRecurrenceString(QStringLiteral("RRULE:FREQ=DAILY RRULE:FREQ=WEEKLY;BYDAY=MO"));
    EXPECT_EQ(pushed(t, {"recurrenceString"}),
              QByteArray(R"({"recurrence":["RRULE:FREQ=DAILY","RRULE:FREQ=WEEKLY;BYDAY=MO"]})"));

    // Clearing the recurrence of a synced task is pushed.
    KNVTCDTask *synced = syncedTask(QStringLiteral("Daily"), 9);
    synced->setRecurrenceString(QStringLiteral("RRULE:FREQ=DAILY"));
    synced->setChangedKeysString(QString());
    save();
    synced->setRecurrence(nullptr);
    EXPECT_EQ(pushedChanges(synced), QByteArray(R"({"recurrence":[]})"));
}

TEST_F(KNVTCDTaskWireTest, StatusChangeCarriesItsDateAndTheUnarchiving)
{
    KNVTCDTask *t = syncedTask(QStringLiteral("t"), 1);
    t->setStatus(4);
    t->setArchivedDate(date());
    t->setChangedKeysString(QString());
    m_clock.setNow(date(3600));

    t->markAsUncompleted();
    EXPECT_EQ(pushedChanges(t),
              QByteArray(R"({"archived_at":null,"status":"actionable",)"
                         R"("status_updated_at":"2015-03-04T11:20:30+0000"})"));
}

TEST_F(KNVTCDTaskWireTest, PushWaitsForTheListsIdentifier)
{
    KNVTCDTask *t = task();
    // A move into a list the service does not know yet is held until the list has its identifier.
    KNVTCDTaskList *l = list(QStringLiteral("new"));
    t->setTaskList(l);
    EXPECT_FALSE(t->hasAttributesForKeys({"title", "taskList"}));
    EXPECT_TRUE(t->hasAttributesForKeys({"title", "notes"}));

    l->setNumericIdentifier(12);
    EXPECT_TRUE(t->hasAttributesForKeys({"title", "taskList"}));
    EXPECT_EQ(pushed(t, {"taskList"}), QByteArray(R"({"task_list_id":12})"));
}

TEST_F(KNVTCDTaskWireTest, RelationshipsTheServiceKeepsAreNeitherRecordedNorSent)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 7);
    KNVTCDTask *t = syncedTask(QStringLiteral("t"), 1);
    t->setCreator(ann);
    t->addWatcher(ann);
    insert<KNVTCDTaskComment>()->setTask(t);
    EXPECT_TRUE(t->changedKeys().isEmpty());
    EXPECT_EQ(pushed(t,
                     {"creator", "comments", "taskWatchers", "taggedTasks", "numericIdentifier", "createdDate",
                      "modifiedDate", "eTag", "changedKeysString", "unknown"}),
              QByteArray("{}"));
    t->setAssignee(ann);
    EXPECT_EQ(keysOf(t), set({"assignee"}));
}

// ---- Pull ----

TEST_F(KNVTCDTaskWireTest, PulledStatusAndItsDate)
{
    KNVTCDTask *t = insert<KNVTCDTask>();
    t->updateWithAttributes(
        wire(json(R"({"id":1,"status":"completed","status_updated_at":"2015-03-04T10:20:30+0000"})")));
    EXPECT_EQ(t->status(), 4);
    EXPECT_EQ(t->statusModifiedDate(), date());
    EXPECT_TRUE(t->changedKeysString().isNull());
}

TEST_F(KNVTCDTaskWireTest, PulledListNeverMovesATaskIntoTheInbox)
{
    KNVTCDTaskList *home = list(QStringLiteral("Home"), {}, 5);
    KNVTCDTaskList *work = list(QStringLiteral("Work"), {}, 6);
    KNVTCDTask *t = insert<KNVTCDTask>();
    t->setTaskList(home);

    for (const char *leavesIt : {R"({"id":1,"task_list_id":null})", R"({"id":1})"}) {
        t->updateWithAttributes(wire(json(leavesIt)));
        EXPECT_EQ(t->taskList(), home) << leavesIt;
    }
    t->updateWithAttributes(wire(json(R"({"id":1,"task_list_id":6})")));
    EXPECT_EQ(t->taskList(), work);
}

TEST_F(KNVTCDTaskWireTest, PulledFieldsMissingAndNull)
{
    KNVTCDTask *t = insert<KNVTCDTask>();
    t->updateWithAttributes(wire(json(R"({
        "id": 12, "created_at": "2015-03-04T10:20:30+0000", "updated_at": "2015-03-04T10:21:30+0000",
        "title": "Call", "description": "about the roof", "priority": 5, "start_at": "2015-03-04T10:20:30+0000",
        "due_at": "2015-03-04T10:21:30+0000", "task_list_order_index": 3,
        "recurrence": ["RRULE:FREQ=DAILY", "RRULE:FREQ=WEEKLY"]})")));
    EXPECT_EQ(t->title(), QStringLiteral("Call"));
    EXPECT_EQ(t->notes(), QStringLiteral("about the roof"));
    EXPECT_EQ(t->priority(), 5);
    EXPECT_EQ(t->startDate(), date());
    EXPECT_EQ(t->dueDate(), date(60));
    EXPECT_EQ(t->taskListOrderIndex(), 3);
    EXPECT_EQ(t->recurrenceString(), QStringLiteral("RRULE:FREQ=DAILY RRULE:FREQ=WEEKLY"));

    // A missing key is a cleared field, like null.
    t->updateWithAttributes(wire(json(R"({"id": 12, "description": null})")));
    EXPECT_TRUE(t->title().isNull());
    EXPECT_TRUE(t->notes().isNull());
    EXPECT_FALSE(t->isRecurrening());
    EXPECT_TRUE(t->changedKeysString().isNull());
}

TEST_F(KNVTCDTaskWireTest, PulledPeople)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 7);
    KNVTCDTask *t = insert<KNVTCDTask>();
    const knvt::JSONDocument attributes = json(R"({"id":1,"assignee_id":7,"creator_id":8,"creator":{"id":8,
        "created_at":"2015-03-04T10:20:30+0000","updated_at":"2015-03-04T10:21:30+0000"}})");
    t->updateWithAttributes(wire(attributes));
    EXPECT_EQ(t->assignee(), ann);
    ASSERT_NE(t->creator(), nullptr);
    EXPECT_EQ(t->creator()->numericIdentifier(), 8);
    EXPECT_EQ(t->creator()->modifiedDate(), date(60));
    // The next reference to the same person finds the user made by the first.
    KNVTCDUser *creator = t->creator();
    t->updateWithAttributes(wire(attributes));
    EXPECT_EQ(t->creator(), creator);
    EXPECT_EQ(context().count<KNVTCDUser>(), 2);
}

TEST_F(KNVTCDTaskWireTest, NestedCommentsFollowTheService)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 7);
    KNVTCDTask *t = syncedTask(QStringLiteral("t"), 40);
    KNVTCDTaskComment *kept = comment(t, QStringLiteral("kept"), date(), 1);
    KNVTCDTaskComment *dropped = comment(t, QStringLiteral("dropped on the service"), date(), 2);
    KNVTCDTaskComment *unpushed = comment(t, QStringLiteral("not pushed yet"), date());
    save();

    t->updateWithAttributes(wire(json(R"({"id":40,"comments":[
        {"id":1,"text":"kept and edited","commentable_id":40,"user_id":7,
         "created_at":"2015-03-04T10:20:30+0000","updated_at":"2015-03-04T10:25:30+0000"},
        {"id":3,"text":"new","commentable_id":40,"user_id":7,
         "created_at":"2015-03-04T10:20:30+0000","updated_at":"2015-03-04T10:20:30+0000"}]})")));

    EXPECT_TRUE(dropped->isDeleted());
    EXPECT_FALSE(unpushed->isDeleted());
    EXPECT_EQ(kept->text(), QStringLiteral("kept and edited"));
    KNVTCDTaskComment *added = t->taskCommentForNumericIdentifier(3);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->task(), t);
    EXPECT_EQ(added->user(), ann);
    EXPECT_EQ(context().count<KNVTCDTaskComment>(), 3);

    // Without the array nothing of the comments changes.
    t->updateWithAttributes(wire(json(R"({"id":40})")));
    EXPECT_FALSE(kept->isDeleted());
}

TEST_F(KNVTCDTaskWireTest, NestedWatchersFollowTheService)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 7);
    KNVTCDUser *bob = user(QStringLiteral("Bob"), 8);
    KNVTCDTask *t = syncedTask(QStringLiteral("t"), 40);
    t->addWatcher(ann);
    t->taskWatcherForUser(ann)->setNumericIdentifier(1);
    t->addWatcher(bob); // not pushed yet
    save();

    t->updateWithAttributes(wire(json(R"({"id":40,"task_watchers":[
        {"id":2,"task_id":40,"user_id":8,"created_at":"2015-03-04T10:20:30+0000",
         "updated_at":"2015-03-04T10:20:30+0000"}]})")));
    EXPECT_FALSE(t->isWatchedByUser(ann));
    EXPECT_EQ(context().count<KNVTCDTaskWatcher>(), 2);
    ASSERT_NE(t->taskWatcherForNumericIdentifier(2), nullptr);
    EXPECT_TRUE(t->isWatchedByUser(bob));
}

TEST_F(KNVTCDTaskWireTest, PulledTaskJoiningACompletedListLeavesItCompleted)
{
    KNVTCDTaskList *l = list(QStringLiteral("Done"), {}, 5);
    l->setStatus(4);
    l->setArchived(true);
    KNVTCDTask *t = insert<KNVTCDTask>();
    t->updateWithAttributes(wire(json(R"({"id":1,"status":"actionable","task_list_id":5})")));
    EXPECT_EQ(t->taskList(), l);
    EXPECT_EQ(l->status(), 4);
    EXPECT_TRUE(l->isArchived());

    // A local move into the list is the user's: it reopens the list.
    task(QStringLiteral("local"), l);
    EXPECT_EQ(l->status(), 2);
}

} // namespace
