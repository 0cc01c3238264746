#include "KNVTCDTaskTest.h"

#include <algorithm>

namespace {

using KNVTCDTaskEntityTest = KNVTCDTaskTest;

TEST_F(KNVTCDTaskEntityTest, StatusWireStringsAndNames)
{
    EXPECT_EQ(KNVTCDTask::taskStatusForTaskStatusString(QStringLiteral("canceled")), 5u);
    EXPECT_EQ(KNVTCDTask::taskStatusStringForTaskStatus(KNVTTaskStatus(5)), QStringLiteral("cancelled"));
    EXPECT_EQ(KNVTCDTask::localizedDisplayNameForStatus(KNVTTaskStatus(1)), QStringLiteral("Someday"));
    EXPECT_TRUE(KNVTCDTask::localizedDisplayNameForStatus(KNVTTaskStatus(3)).isNull());
}

// Reopening unarchives (the push test shows it); closing again keeps the archive.
TEST_F(KNVTCDTaskEntityTest, ClosedStatusesKeepTheArchive)
{
    KNVTCDTask *t = syncedTask(QStringLiteral("t"), 1);
    t->setStatus(4);
    t->setArchived(true);
    t->setChangedKeysString(QString());
    t->setStatus(5);
    EXPECT_TRUE(t->isArchived());
    EXPECT_EQ(keysOf(t), set({"status", "statusModifiedDate"}));
}

TEST_F(KNVTCDTaskEntityTest, FocusIsDerivedFromStatusAndDates)
{
    KNVTCDTask *t = task();
    EXPECT_EQ(t->focusType(), KNVTFocusTypeNext);

    t->setStartDate(todayStart());
    EXPECT_EQ(t->focusType(), KNVTFocusTypeToday);
    EXPECT_TRUE(t->isToday());

    t->setStartDate(localDate(2015, 3, 5));
    EXPECT_EQ(t->focusType(), KNVTFocusTypeScheduled);

    t->setStartDate(QDateTime());
    t->setDueDate(localDate(2015, 3, 5));
    EXPECT_EQ(t->focusType(), KNVTFocusTypeNext);

    t->setDueDate(localDate(2015, 3, 4, 14, 59));
    EXPECT_EQ(t->focusType(), KNVTFocusTypeToday);

    t->setStatus(4);
    EXPECT_EQ(t->focusType(), KNVTFocusTypeNext);

    t->setStatus(1);
    EXPECT_EQ(t->focusType(), KNVTFocusTypeSomeday);
    EXPECT_TRUE(t->isSomeday());

    t->setArchived(true);
    EXPECT_EQ(t->focusType(), KNVTFocusTypeArchived);
}

TEST_F(KNVTCDTaskEntityTest, MovingToTodayNextSomedayAndTheInbox)
{
    KNVTCDTask *t = task();
    t->setStatus(4);
    t->setArchived(true);
    t->setStartDate(localDate(2015, 3, 10));
    t->setDueDate(localDate(2015, 3, 12));

    t->setFocusType(KNVTFocusTypeToday);
    EXPECT_FALSE(t->isArchived());
    EXPECT_EQ(t->status(), 2);
    EXPECT_EQ(t->startDate(), todayStart());
    EXPECT_EQ(t->dueDate(), localDate(2015, 3, 12));

    t->setArchived(true);
    t->setFocusType(KNVTFocusTypeNext);
    EXPECT_FALSE(t->isArchived());
    EXPECT_FALSE(t->startDate().isValid());
    EXPECT_EQ(t->dueDate(), localDate(2015, 3, 12));

    t->setFocusType(KNVTFocusTypeSomeday);
    EXPECT_EQ(t->status(), 1);
    EXPECT_FALSE(t->dueDate().isValid());

    // The inbox takes the list, the dates and the status, but not the assignee.
    t->setTaskList(list(QStringLiteral("Home")));
    t->setAssignee(me());
    t->setStartDate(localDate(2015, 3, 10));
    t->setFocusType(KNVTFocusTypeInbox);
    EXPECT_EQ(t->taskList(), nullptr);
    EXPECT_FALSE(t->startDate().isValid());
    EXPECT_EQ(t->status(), 2);
    EXPECT_EQ(t->assignee(), me());
}

TEST_F(KNVTCDTaskEntityTest, InboxMoveAsksThroughTheStandardAlertHandler)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"));
    KNVTCDTaskList *l = list(QStringLiteral("Home"), {ann});
    KNVTCDTask *t = task(QStringLiteral("Task"), l);
    t->setDueDate(localDate(2015, 3, 12));
    t->addWatcher(ann);

    // Until the application installs its handler, every question is cancelled.
    t->setFocusType(KNVTFocusTypeInbox);
    EXPECT_EQ(t->taskList(), l);
    EXPECT_TRUE(t->dueDate().isValid());

    KNVTCDTask::setStandardAlertHandler(answering(0));
    t->setFocusType(KNVTFocusTypeInbox);
    KNVTCDTask::setStandardAlertHandler({});
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(t->taskList(), nullptr);
    EXPECT_FALSE(t->isWatchedByUser(ann));
}

TEST_F(KNVTCDTaskEntityTest, ListOrderPutsIndexedTasksFirstAndTodayOrderOpenTasksFirst)
{
    KNVTCDTask *none = task(QStringLiteral("a without index"));
    KNVTCDTask *zero = task(QStringLiteral("z at zero"));
    zero->setTaskListOrderIndex(0);
    KNVTCDTask *threeB = task(QStringLiteral("B at three"));
    threeB->setTaskListOrderIndex(3);
    KNVTCDTask *threeA = task(QStringLiteral("a at three"));
    threeA->setTaskListOrderIndex(3);
    std::vector<KNVTCDTask *> tasks{threeB, none, threeA, zero};
    std::stable_sort(tasks.begin(), tasks.end(), KNVTCDTask::uncompletedTaskComparator());
    EXPECT_EQ(tasks, (std::vector<KNVTCDTask *>{zero, threeA, threeB, none}));

    zero->setStatus(4);
    threeA->setStatus(5);
    std::stable_sort(tasks.begin(), tasks.end(), KNVTCDTask::todayTaskComparator());
    EXPECT_EQ(tasks, (std::vector<KNVTCDTask *>{none, threeB, threeA, zero}));
}

TEST_F(KNVTCDTaskEntityTest, SharedTaskListOfTasks)
{
    KNVTCDTaskList *l = list(QStringLiteral("L"));
    KNVTCDTask *inL = task(QStringLiteral("Task"), l);
    EXPECT_EQ(KNVTCDTask::taskListForTasks({inL, task(QStringLiteral("Task"), l)}), l);
    EXPECT_EQ(KNVTCDTask::taskListForTasks({inL, task()}), nullptr);
    EXPECT_EQ(KNVTCDTask::taskListForTasks({inL, task(QStringLiteral("Task"), list(QStringLiteral("M")))}), nullptr);
}

TEST_F(KNVTCDTaskEntityTest, EditingFollowsTheListsPermissions)
{
    KNVTCDTask *inbox = task();
    EXPECT_TRUE(inbox->canMove());

    KNVTCDTaskList *mine = list(QStringLiteral("Mine"));
    KNVTCDTask *inMine = task(QStringLiteral("Task"), mine);
    EXPECT_TRUE(inMine->canEdit());
    EXPECT_TRUE(inMine->canMove());

    mine->setArchivedDate(now());
    EXPECT_FALSE(inMine->canEdit());
    EXPECT_FALSE(inMine->canMove());

    me();
    auto *foreign = insert<KNVTCDTaskList>();
    foreign->setTitle(QStringLiteral("Not a member"));
    KNVTCDTask *inForeign = task(QStringLiteral("Task"), foreign);
    EXPECT_FALSE(inForeign->canEdit());
}

} // namespace
