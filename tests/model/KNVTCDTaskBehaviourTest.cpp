#include "KNVTCDTaskTest.h"

namespace {

using KNVTCDTaskBehaviourTest = KNVTCDTaskTest;

// The copy that completing `task` left beside it.
KNVTCDTask *nextOccurrence(ostore::Context &context, const KNVTCDTask *task)
{
    for (KNVTCDTask *t : context.fetch<KNVTCDTask>())
        if (t != task && t->title() == task->title())
            return t;
    return nullptr;
}

// The copy is made by duplicateTask (tested on its own below); completion adds the open status and the dates.
TEST_F(KNVTCDTaskBehaviourTest, CompletingARecurringTaskCreatesTheNextOccurrence)
{
    me();
    KNVTCDTask *t = syncedTask(QStringLiteral("Water the plants"), 40);
    t->setStartDate(localDate(2015, 3, 2));
    t->setRecurrenceString(QStringLiteral("RRULE:FREQ=DAILY"));
    t->markAsCompleted();
    EXPECT_EQ(t->status(), 4);
    const KNVTCDTask *copy = nextOccurrence(context(), t);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->status(), 2);
    EXPECT_FALSE(copy->startDate().isValid());
    EXPECT_EQ(copy->dueDate(), localDate(2015, 3, 5));
    EXPECT_EQ(copy->recurrenceString(), QStringLiteral("RRULE:FREQ=DAILY"));

    // A rule written elsewhere is kept as it was written, and steps by its own frequency.
    const QString foreign = QStringLiteral("RRULE:FREQ=WEEKLY;UNTIL=20250101;BYHOUR=9");
    KNVTCDTask *weekly = task(QStringLiteral("Weekly review"));
    weekly->setRecurrenceString(foreign);
    weekly->markAsCompleted();
    const KNVTCDTask *next = nextOccurrence(context(), weekly);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->recurrenceString(), foreign);
    EXPECT_EQ(next->dueDate(), localDate(2015, 3, 11));
    save();
}

TEST_F(KNVTCDTaskBehaviourTest, CompletingAgainAfterUncompletingMakesAnotherCopyButMarkingACompletedTaskMakesNone)
{
    me();
    KNVTCDTask *t = task(QStringLiteral("Daily"));
    t->setRecurrenceString(QStringLiteral("RRULE:FREQ=DAILY"));
    t->markAsCompleted();
    t->markAsCompleted();
    EXPECT_EQ(context().count<KNVTCDTask>(), 2);
    t->markAsUncompleted();
    t->markAsCompleted();
    EXPECT_EQ(context().count<KNVTCDTask>(), 3);
}

TEST_F(KNVTCDTaskBehaviourTest, DeletingTombstonesSyncedTasksAndRemovesLocalOnes)
{
    KNVTCDTask *local = task(QStringLiteral("local"));
    auto *comment = insert<KNVTCDTaskComment>();
    comment->setTask(local);
    save();
    local->markAsDeleted();
    EXPECT_TRUE(local->isDeleted());
    EXPECT_EQ(context().count<KNVTCDTaskComment>(), 0);

    KNVTCDTask *synced = syncedTask(QStringLiteral("synced"), 3);
    synced->markAsDeleted();
    EXPECT_FALSE(synced->isDeleted());
    EXPECT_EQ(synced->deletedDate(), now());
    EXPECT_EQ(keysOf(synced), set({"deletedDate"}));
    save();
    EXPECT_EQ(context().count<KNVTCDTask>(), 1);
}

TEST_F(KNVTCDTaskBehaviourTest, TagTombstonedByThePullNoLongerShows)
{
    KNVTCDTag *t = tag(QStringLiteral("T"), 1);
    KNVTCDTask *a = task(QStringLiteral("A"));
    KNVTCDTask *b = task(QStringLiteral("B"));
    a->addTag(t);
    b->addTag(t);
    for (KNVTCDTaggedTask *link : t->taggedTasks())
        if (link->task() == a)
            link->setDeletedDate(date());
    EXPECT_TRUE(a->tags().empty());
    EXPECT_EQ(b->tags(), std::vector<KNVTCDTag *>{t});

    // A tombstoned tag is gone from every task.
    t->setDeletedDate(date());
    EXPECT_TRUE(b->tags().empty());
}

TEST_F(KNVTCDTaskBehaviourTest, TaggingIsIdempotentAndNeverRevivesATombstone)
{
    KNVTCDTag *t = tag(QStringLiteral("T"), 1);
    KNVTCDTask *a = task(QStringLiteral("A"));
    a->addTag(t);
    a->addTag(t);
    ASSERT_EQ(a->taggedTasks().size(), 1u);
    KNVTCDTaggedTask *first = a->taggedTasks().front();
    first->setNumericIdentifier(100);

    // A pushed link stays as a tombstone until the sync engine has pushed its removal.
    a->removeTag(t);
    EXPECT_EQ(first->deletedDate(), now());
    a->addTag(t);
    EXPECT_EQ(a->taggedTasks().size(), 2u);
    EXPECT_EQ(a->tags(), std::vector<KNVTCDTag *>{t});
}

TEST_F(KNVTCDTaskBehaviourTest, WatchersAreAddedOnceAndUnpushedRowsRemoved)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 7);
    KNVTCDTask *t = task();
    t->addWatcher(ann);
    t->addWatcher(ann);
    EXPECT_EQ(t->taskWatchers().size(), 1u);

    // Never pushed: gone at once (a pushed row becomes a tombstone, as moving a task shows).
    t->removeWatcher(ann);
    EXPECT_TRUE(t->taskWatchers().empty());
    EXPECT_EQ(context().count<KNVTCDTaskWatcher>(), 0);
}

TEST_F(KNVTCDTaskBehaviourTest, CommentsOldestFirstWithoutTombstones)
{
    KNVTCDTask *t = task();
    KNVTCDTaskComment *later = comment(t, QStringLiteral("later"), date(60));
    KNVTCDTaskComment *earlier = comment(t, QStringLiteral("earlier"), date());
    comment(t, QStringLiteral("deleted"), date(30))->setDeletedDate(date(90));
    EXPECT_EQ(t->commentsOrderedByCreatedDate(), (std::vector<KNVTCDTaskComment *>{earlier, later}));
}

TEST_F(KNVTCDTaskBehaviourTest, MoveWithoutOutsidersAsksNothingAndAssignsMeWhenNeeded)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"));
    KNVTCDTaskList *from = list(QStringLiteral("From"), {ann});
    KNVTCDTaskList *withAnn = list(QStringLiteral("With Ann"), {ann});
    KNVTCDTaskList *withoutAnn = list(QStringLiteral("Without Ann"));
    KNVTCDTask *watched = task(QStringLiteral("Task"), from);
    watched->setAssignee(ann);
    watched->addWatcher(ann);
    KNVTCDTask *assigned = task(QStringLiteral("Task"), from);
    assigned->setAssignee(ann);

    std::vector<bool> results;
    watched->performMoveToTaskList(withAnn, answering(1), [&](bool m) { results.push_back(m); });
    assigned->performMoveToTaskList(withoutAnn, answering(1), [&](bool m) { results.push_back(m); });
    EXPECT_EQ(results, (std::vector<bool>{true, true}));
    EXPECT_TRUE(m_questions.empty());
    EXPECT_TRUE(watched->isWatchedByUser(ann));
    EXPECT_EQ(assigned->assignee(), me());
}

TEST_F(KNVTCDTaskBehaviourTest, MoveToTheInboxAsksAndCancelOrALateAnswerChangesNothing)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"));
    KNVTCDTaskList *l = list(QStringLiteral("Garden"), {ann});
    KNVTCDTask *t = task(QStringLiteral("Mow"), l);
    t->setAssignee(ann);
    t->addWatcher(ann);

    std::optional<bool> moved;
    t->performMoveToTaskList(nullptr, answering(1), [&](bool m) { moved = m; });
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0].title, QStringLiteral("Remove Watchers?"));
    EXPECT_EQ(m_questions[0].message,
              QStringLiteral("There are watchers on the Task \"Mow\" that will be removed if you move it to the "
                             "inbox."));
    EXPECT_EQ(m_questions[0].buttonTitles, (QStringList{"Move Task", "Cancel"}));
    EXPECT_EQ(m_questions[0].cancelButtonIndex, 1);
    EXPECT_EQ(moved, false);
    EXPECT_EQ(t->taskList(), l);
    EXPECT_TRUE(t->isWatchedByUser(ann));

    // An answer that comes after the task was deleted moves nothing.
    save();
    moved.reset();
    t->performMoveToTaskList(nullptr, deferring(), [&](bool m) { moved = m; });
    context().remove(t);
    answer(0);
    EXPECT_EQ(moved, false);
}

TEST_F(KNVTCDTaskBehaviourTest, MoveToAnotherListRemovesOutsidersOnceConfirmed)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"));
    KNVTCDUser *bob = user(QStringLiteral("Bob"));
    KNVTCDTaskList *from = list(QStringLiteral("Garden"), {ann, bob});
    KNVTCDTaskList *to = list(QStringLiteral("House"), {ann});
    KNVTCDTask *t = task(QStringLiteral("Paint"), from);
    t->setAssignee(bob);
    t->addWatcher(ann);
    t->addWatcher(bob);
    KNVTCDTaskWatcher *bobsRow = t->taskWatcherForUser(bob);
    bobsRow->setNumericIdentifier(77);

    std::optional<bool> moved;
    t->performMoveToTaskList(to, deferring(), [&](bool m) { moved = m; });
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0].message,
              QStringLiteral("There are watchers on the Task \"Paint\" that do not collaborate on \"House\".\n\nIf you "
                             "move the Task \"Paint\" to \"House\" these watchers will be removed."));
    // The question is still open: nothing has moved yet.
    EXPECT_FALSE(moved.has_value());
    EXPECT_EQ(t->taskList(), from);

    answer(0);
    EXPECT_EQ(moved, true);
    EXPECT_EQ(t->taskList(), to);
    EXPECT_EQ(t->assignee(), me());
    EXPECT_TRUE(t->isWatchedByUser(ann));
    EXPECT_EQ(bobsRow->deletedDate(), now());
}

TEST_F(KNVTCDTaskBehaviourTest, DuplicateCopiesFieldsButNotTheSyncState)
{
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 7);
    KNVTCDTaskList *l = list(QStringLiteral("L"), {ann});
    KNVTCDTag *errand = tag(QStringLiteral("errand"), 3);
    KNVTCDTask *t = syncedTask(QStringLiteral("Original"), 5);
    t->setNotes(QStringLiteral("notes"));
    t->setDueDate(localDate(2015, 3, 7));
    t->setCreator(ann);
    t->setAssignee(ann);
    t->setTaskList(l);
    t->setTaskListOrderIndex(2);
    t->setRecurrenceString(QStringLiteral("RRULE:FREQ=MONTHLY;BYSECOND=5"));
    t->addTag(errand);
    t->addWatcher(ann);
    m_clock.advance(10);

    KNVTCDTask *copy = t->duplicateTask();
    ASSERT_NE(copy, t);
    EXPECT_EQ(copy->title(), QStringLiteral("Original"));
    EXPECT_EQ(copy->notes(), QStringLiteral("notes"));
    EXPECT_EQ(copy->dueDate(), localDate(2015, 3, 7));
    EXPECT_EQ(copy->statusModifiedDate(), m_clock.now());
    EXPECT_EQ(copy->creator(), me());
    EXPECT_EQ(copy->assignee(), ann);
    EXPECT_EQ(copy->taskList(), l);
    EXPECT_FALSE(copy->taskListOrderIndex().has_value());
    EXPECT_EQ(copy->recurrenceString(), QStringLiteral("RRULE:FREQ=MONTHLY;BYSECOND=5"));
    EXPECT_EQ(copy->tags(), std::vector<KNVTCDTag *>{errand});
    EXPECT_TRUE(copy->activeTaskWatchers().empty());
    EXPECT_FALSE(copy->numericIdentifier().has_value());
    save();
}

} // namespace
