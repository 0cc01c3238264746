#include "KNVTCDTaskListTest.h"

namespace {

class KNVTCDTaskListCollaboratorTest : public KNVTCDTaskListTest
{
protected:
    static QJsonObject rowObject(QJsonObject fields = {})
    {
        QJsonObject o{{"id", 70}, {"created_at", wireDate(-900)}, {"updated_at", wireDate(-800)}};
        for (auto it = fields.begin(); it != fields.end(); ++it)
            o.insert(it.key(), it.value());
        return o;
    }
    // The row of a synced member in a synced list, as the last pull left it.
    KNVTCDTaskListCollaborator *pulledRow(KNVTCDTaskList *taskList, KNVTCDUser *member, qint64 id = 70)
    {
        auto *r = insert<KNVTCDTaskListCollaborator>();
        r->updateWithAttributes(wire(rowObject({{"id", id},
                                                {"task_list_id", taskList->numericIdentifier().value_or(0)},
                                                {"user_id", member->numericIdentifier().value_or(0)},
                                                {"role", "editor"},
                                                {"status", "accepted"}})));
        return r;
    }
};

using Row = KNVTCDTaskListCollaborator;

TEST_F(KNVTCDTaskListCollaboratorTest, RoleAndStatusWireStringsAndDisplayNames)
{
    EXPECT_EQ(Row::taskListCollaboratorRoleForTaskListCollaboratorRoleString("owner"), 1u);
    EXPECT_EQ(Row::taskListCollaboratorStatusForTaskListCollaboratorStatusString("declined"), 3u);
    EXPECT_EQ(Row::localizedDisplayNameForTaskListCollaboratorRole(KNVTTaskListCollaboratorRole(1)), "Owner");
    EXPECT_EQ(Row::localizedDisplayNameForTaskListCollaboratorRole(KNVTTaskListCollaboratorRole(0)), "Editor");
    EXPECT_EQ(Row::localizedDisplayNameForTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatus(1)), "Pending");
    EXPECT_EQ(Row::localizedDisplayNameForTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatus(3)), "Declined");
    EXPECT_EQ(Row::localizedDisplayNameForTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatus(0)), "-");
}

TEST_F(KNVTCDTaskListCollaboratorTest, PushesEveryMappedKey)
{
    KNVTCDTaskList *l = synced(list(), 7);
    auto *r = row(l, user(QStringLiteral("Ann"), 2), 1, 3);
    r->setTaskListTypeOrderIndex(4);
    r->setReviewedDate(date(-86400));
    r->setReviewDate(date(86400));
    r->setDeletedDate(date(1));
    r->setReviewRecurrenceString(QStringLiteral("RRULE:FREQ=WEEKLY RRULE:FREQ=DAILY"));
    const QStringList all{"deletedDate",
                          "role",
                          "status",
                          "taskList",
                          "taskListTypeOrderIndex",
                          "reviewedDate",
                          "reviewDate",
                          "reviewRecurrenceString",
                          "user",
                          "numericIdentifier",
                          "modifiedDate",
                          "needsUpdating"};
    EXPECT_EQ(r->attributesForKeys(all),
              (QJsonObject{{"deleted_at", "2015-03-04T10:20:31+0000"},
                           {"role", "owner"},
                           {"status", "declined"},
                           {"task_list_id", 7},
                           {"task_list_type_order_index", 4},
                           {"reviewed_at", "2015-03-03T10:20:30+0000"},
                           {"review_at", "2015-03-05T10:20:30+0000"},
                           {"review_recurrence", QJsonArray{"RRULE:FREQ=WEEKLY", "RRULE:FREQ=DAILY"}},
                           {"user_id", 2}}));
}

TEST_F(KNVTCDTaskListCollaboratorTest, RemovedReviewScheduleIsPushedAsNoRules)
{
    KNVTCDTaskList *l = synced(myList(), 7);
    KNVTCDTaskListCollaborator *mine = synced(l->myTaskListCollaborator(), 70);
    mine->setReviewRecurrenceString(QStringLiteral("RRULE:FREQ=WEEKLY"));
    mine->setChangedKeysString(QString());

    l->setReviewRecurrence(nullptr);
    EXPECT_TRUE(mine->changedKeys().contains("reviewRecurrenceString"));
    EXPECT_EQ(mine->attributesForKeys({"reviewRecurrenceString"}), (QJsonObject{{"review_recurrence", QJsonArray()}}));
}

TEST_F(KNVTCDTaskListCollaboratorTest, FillAppliesEveryKey)
{
    KNVTCDTaskList *l = synced(list(), 7);
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 2);
    auto *r = insert<Row>();
    r->mergeAttributes(wire(rowObject({{"task_list_id", 7},
                                       {"user_id", 2},
                                       {"role", "owner"},
                                       {"status", "pending"},
                                       {"task_list_type_order_index", 6},
                                       {"reviewed_at", wireDate(-86400)},
                                       {"review_at", wireDate(86400)},
                                       {"deleted_at", wireDate(5)},
                                       {"review_recurrence", QJsonArray{"RRULE:FREQ=WEEKLY", "RRULE:FREQ=DAILY"}}})));
    EXPECT_EQ(r->taskList(), l);
    EXPECT_EQ(r->user(), ann);
    EXPECT_EQ(r->role(), 1);
    EXPECT_EQ(r->status(), 1);
    EXPECT_EQ(r->taskListTypeOrderIndex(), 6);
    EXPECT_EQ(r->reviewedDate(), date(-86400));
    EXPECT_EQ(r->reviewDate(), date(86400));
    EXPECT_EQ(r->reviewRecurrenceString(), "RRULE:FREQ=WEEKLY RRULE:FREQ=DAILY");
    EXPECT_EQ(r->deletedDate(), date(5));
    EXPECT_TRUE(r->changedKeysString().isNull());
}

TEST_F(KNVTCDTaskListCollaboratorTest, MissingNullAndWrongTypedKeys)
{
    KNVTCDTaskList *l = synced(list(), 7);
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 2);
    KNVTCDTaskListCollaborator *r = pulledRow(l, ann);
    r->setTaskListTypeOrderIndex(6);
    r->setReviewedDate(date());
    r->setReviewDate(date());
    r->setReviewRecurrenceString(QStringLiteral("RRULE:FREQ=DAILY"));
    r->setDeletedDate(date(1));

    r->updateWithAttributes(wire(rowObject({{"task_list_id", 99},
                                            {"user_id", 98},
                                            {"status", QJsonValue::Null},
                                            {"review_at", QJsonValue::Null},
                                            {"review_recurrence", QJsonArray()},
                                            {"deleted_at", QJsonValue::Null}})));
    EXPECT_EQ(r->taskList(), l) << "an unknown list leaves the row's list";
    EXPECT_EQ(r->user(), ann) << "an unknown user without its object leaves the row's user";
    EXPECT_EQ(r->status(), 2);
    EXPECT_EQ(r->taskListTypeOrderIndex(), 6);
    EXPECT_FALSE(r->reviewedDate().isValid()) << "a missing date clears it";
    EXPECT_FALSE(r->reviewDate().isValid());
    EXPECT_EQ(r->reviewRecurrence(), nullptr) << "an empty array is no rule";
    EXPECT_EQ(r->deletedDate(), date(1));
}

TEST_F(KNVTCDTaskListCollaboratorTest, LocalUsersRowIsMirroredOnTheList)
{
    me()->setNumericIdentifier(42);
    KNVTCDTaskList *l = synced(list(), 7);
    KNVTCDTaskListCollaborator *mine = pulledRow(l, me());
    KNVTCDTaskListCollaborator *theirs = pulledRow(l, user(QStringLiteral("Ann"), 2), 71);
    ASSERT_EQ(l->taskListCollaboratorStatus(), 2);

    theirs->mergeAttributes(wire(rowObject({{"id", 71}, {"updated_at", wireDate(1)}, {"status", "declined"}})));
    EXPECT_EQ(theirs->status(), 3);
    EXPECT_EQ(l->taskListCollaboratorStatus(), 2) << "another member's row never touches the list";

    mine->mergeAttributes(wire(rowObject({{"updated_at", wireDate(1)}, {"status", "declined"}})));
    EXPECT_EQ(l->taskListCollaboratorStatus(), 3);
    EXPECT_TRUE(l->changedKeysString().isNull());
    EXPECT_TRUE(mine->changedKeysString().isNull());
}

} // namespace
