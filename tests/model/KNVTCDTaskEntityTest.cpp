#include "KNVTCDTaskTest.h"

#include <algorithm>

namespace {

using KNVTCDTaskEntityTest = KNVTCDTaskTest;

TEST_F(KNVTCDTaskEntityTest, StatusWireStringsAndNames)
{
    const struct { const char *word; unsigned int status; } read[] = {
        {"someday", 1}, {"canceled", 5}, {"Completed", 2}};
    for (const auto &row : read)
        EXPECT_EQ(KNVTCDTask::taskStatusForTaskStatusString(QString::fromUtf8(row.word)), row.status) << row.word;

    // A null name: the status has none.
    const struct { unsigned int status; const char *word, *name; } written[] = {
        {1, "someday", "Someday"}, {5, "cancelled", "Cancelled"}, {3, "actionable", nullptr}};
    for (const auto &row : written) {
        SCOPED_TRACE(row.status);
        EXPECT_EQ(KNVTCDTask::taskStatusStringForTaskStatus(row.status), QString::fromUtf8(row.word));
        const QString name = KNVTCDTask::localizedDisplayNameForStatus(row.status);
        if (row.name)
            EXPECT_EQ(name, QString::fromUtf8(row.name));
        else
            EXPECT_TRUE(name.isNull());
    }
}

TEST_F(KNVTCDTaskEntityTest, StatusWriteStampsAndUnarchivesOpenStatuses)
{
    for (qint64 status : {1, 2, 3}) {
        KNVTCDTask *t = syncedTask(QStringLiteral("open"), 10 + status);
        t->setStatus(4);
        t->setArchived(true);
        t->setChangedKeysString(QString());
        m_clock.advance(60);
        t->setStatus(status);
        EXPECT_FALSE(t->isArchived()) << status;
        EXPECT_EQ(t->statusModifiedDate(), m_clock.now()) << status;
        EXPECT_EQ(keysOf(t), set({"status", "statusModifiedDate", "archivedDate"})) << status;
    }
    for (qint64 status : {4, 5}) {
        KNVTCDTask *t = syncedTask(QStringLiteral("closed"), 20 + status);
        t->setStatus(4);
        t->setArchived(true);
        const QDateTime archived = t->archivedDate();
        t->setChangedKeysString(QString());
        t->setStatus(status);
        EXPECT_EQ(t->archivedDate(), archived) << status;
        EXPECT_EQ(keysOf(t), set({"status", "statusModifiedDate"})) << status;
    }
}

TEST_F(KNVTCDTaskEntityTest, ArchivingKeepsTheFirstDateAndUnarchivingClearsIt)
{
    KNVTCDTask *t = task();
    t->setArchived(true);
    EXPECT_EQ(t->archivedDate(), now());
    m_clock.advance(3600);
    t->setArchived(true);
    EXPECT_EQ(t->archivedDate(), now());
    t->setArchived(false);
    EXPECT_FALSE(t->archivedDate().isValid());

    // Nothing to do writes nothing.
    t->setChangedKeysString(QString());
    t->setArchived(false);
    EXPECT_TRUE(t->changedKeys().isEmpty());
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

TEST_F(KNVTCDTaskEntityTest, StartAtMidnightIsTodayOnlyOnceMidnightHasPassed)
{
    m_clock.setNow(todayStart());
    KNVTCDTask *t = task();
    t->setStartDate(todayStart());
    EXPECT_EQ(t->focusType(), KNVTFocusTypeScheduled);
    m_clock.advance(1);
    EXPECT_EQ(t->focusType(), KNVTFocusTypeToday);
}

TEST_F(KNVTCDTaskEntityTest, OverdueIncludesNowWhileDueDoesNot)
{
    KNVTCDTask *t = task();
    EXPECT_FALSE(t->isOverdue());
    EXPECT_FALSE(t->isDue());
    t->setDueDate(now());
    EXPECT_TRUE(t->isOverdue());
    EXPECT_FALSE(t->isDue());
    t->setDueDate(now().addSecs(-1));
    EXPECT_TRUE(t->isOverdue());
    EXPECT_TRUE(t->isDue());
    t->setDueDate(now().addSecs(1));
    EXPECT_FALSE(t->isOverdue());
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

    // Next keeps a passed due date, so the task stays in Today.
    t->setDueDate(localDate(2015, 3, 1));
    t->setFocusType(KNVTFocusTypeNext);
    EXPECT_EQ(t->focusType(), KNVTFocusTypeToday);

    // The inbox takes the list, the dates and the status, but not the assignee.
    t->setTaskList(list(QStringLiteral("Home")));
    t->setAssignee(me());
    t->setStatus(1);
    t->setStartDate(localDate(2015, 3, 10));
    t->setDueDate(localDate(2015, 3, 12));
    t->setFocusType(KNVTFocusTypeInbox);
    EXPECT_EQ(t->taskList(), nullptr);
    EXPECT_FALSE(t->startDate().isValid());
    EXPECT_FALSE(t->dueDate().isValid());
    EXPECT_EQ(t->status(), 2);
    EXPECT_EQ(t->assignee(), me());
}

TEST_F(KNVTCDTaskEntityTest, FocusesThatCannotBeSetChangeNothing)
{
    KNVTCDTask *t = syncedTask(QStringLiteral("open"), 1);
    t->setStartDate(localDate(2015, 3, 10));
    t->setChangedKeysString(QString());
    for (unsigned int focus : {3u, 8u}) {
        t->setFocusType(focus);
        EXPECT_TRUE(t->changedKeys().isEmpty()) << focus;
        EXPECT_EQ(t->startDate(), localDate(2015, 3, 10));
    }

    // Only a closed task can be archived on its own.
    t->setFocusType(KNVTFocusTypeArchived);
    EXPECT_FALSE(t->isArchived());
    t->setStatus(5);
    t->setFocusType(KNVTFocusTypeArchived);
    EXPECT_TRUE(t->isArchived());
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
    KNVTCDTaskList *m = list(QStringLiteral("M"));
    KNVTCDTask *inL = task(QStringLiteral("Task"), l);
    KNVTCDTask *alsoInL = task(QStringLiteral("Task"), l);
    KNVTCDTask *inM = task(QStringLiteral("Task"), m);
    KNVTCDTask *inbox = task();

    EXPECT_EQ(KNVTCDTask::taskListForTasks({}), nullptr);
    EXPECT_EQ(KNVTCDTask::taskListForTasks({inL, alsoInL}), l);
    EXPECT_EQ(KNVTCDTask::taskListForTasks({inL, inbox}), nullptr);
    EXPECT_EQ(KNVTCDTask::taskListForTasks({inL, inM}), nullptr);
}

TEST_F(KNVTCDTaskEntityTest, RecurrenceIsReadFromAndWrittenToItsText)
{
    KNVTCDTask *t = task();
    t->setRecurrenceString(QString(""));
    EXPECT_EQ(t->recurrence(), nullptr);

    const QStringList rules{QStringLiteral("RRULE:FREQ=DAILY"), QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=2")};
    t->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceComponentStrings(rules));
    EXPECT_EQ(t->recurrenceString(), rules.join(QLatin1Char(' ')));
    ASSERT_NE(t->recurrence(), nullptr);
    EXPECT_EQ(t->recurrence()->recurrenceComponentStrings(), rules);

    t->setRecurrence(nullptr);
    EXPECT_TRUE(t->recurrenceString().isNull());
    EXPECT_FALSE(t->isRecurrening());
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
