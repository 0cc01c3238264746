#include "KNVTCDTaskListTest.h"

#include <algorithm>

namespace {

using KNVTCDTaskListEntityTest = KNVTCDTaskListTest;

QStringList sortedTitles(std::vector<KNVTCDTaskList *> lists, const KNVTCDTaskStoreObject::Comparator &comparator)
{
    std::sort(lists.begin(), lists.end(), [&](KNVTCDTaskList *a, KNVTCDTaskList *b) { return comparator(a, b); });
    QStringList titles;
    for (const KNVTCDTaskList *l : lists)
        titles.append(l->title());
    return titles;
}

TEST_F(KNVTCDTaskListEntityTest, TaskListComparatorPutsIndexedListsFirst)
{
    KNVTCDTaskList *b = list(QStringLiteral("b"));
    KNVTCDTaskList *a = list(QStringLiteral("a"));
    KNVTCDTaskList *c = list(QStringLiteral("c"));
    KNVTCDTaskList *d = list(QStringLiteral("d"));
    b->setTaskListCollaboratorTaskListTypeOrderIndex(2);
    c->setTaskListCollaboratorTaskListTypeOrderIndex(1);
    EXPECT_EQ(sortedTitles({b, a, c, d}, KNVTCDTaskList::taskListComparator()), (QStringList{"c", "b", "a", "d"}));

    // Equal indexes fall back to the titles, localized and without regard to case.
    KNVTCDTaskList *e = list(QStringLiteral("Émile"));
    KNVTCDTaskList *f = list(QStringLiteral("anna"));
    e->setTaskListCollaboratorTaskListTypeOrderIndex(1);
    f->setTaskListCollaboratorTaskListTypeOrderIndex(1);
    EXPECT_EQ(sortedTitles({e, c, f}, KNVTCDTaskList::taskListComparator()), (QStringList{"anna", "c", "Émile"}));
}

TEST_F(KNVTCDTaskListEntityTest, ReviewDateComparatorPutsUndatedListsFirst)
{
    KNVTCDTaskList *late = myList(QStringLiteral("late"));
    KNVTCDTaskList *early = myList(QStringLiteral("early"));
    KNVTCDTaskList *undatedB = myList(QStringLiteral("B undated"));
    KNVTCDTaskList *undatedA = myList(QStringLiteral("a undated"));
    late->setReviewDate(localDay(5));
    early->setReviewDate(localDay(1));
    EXPECT_EQ(sortedTitles({late, undatedB, early, undatedA}, KNVTCDTaskList::reviewDateTaskListComparator()),
              (QStringList{"a undated", "B undated", "early", "late"}));
}

TEST_F(KNVTCDTaskListEntityTest, PerUserValuesNeedTheLocalUsersRow)
{
    KNVTCDTaskList *shared = list();
    KNVTCDUser *other = user(QStringLiteral("Ann"), 2);
    KNVTCDTaskListCollaborator *otherRow = row(shared, other);
    otherRow->setReviewDate(localDay(-1));
    otherRow->setReviewRecurrenceString(QStringLiteral("RRULE:FREQ=DAILY"));

    // A local user without a row of this list.
    me();
    EXPECT_EQ(shared->myTaskListCollaborator(), nullptr);
    shared->setReviewDate(localDay(3));
    shared->setReviewRecurrence(rules({QStringLiteral("RRULE:FREQ=WEEKLY")}));
    shared->markAsReviewed();
    EXPECT_FALSE(shared->reviewedDate().isValid());
    EXPECT_EQ(otherRow->reviewDate(), localDay(-1)) << "another member's schedule is not the local user's";
    EXPECT_EQ(otherRow->reviewRecurrenceString(), "RRULE:FREQ=DAILY");

    // The local user's row counts even as a tombstone.
    KNVTCDTaskListCollaborator *mine = row(shared, me());
    mine->setDeletedDate(date());
    EXPECT_EQ(shared->myTaskListCollaborator(), mine);
    shared->setReviewedDate(localDay(-2));
    EXPECT_EQ(mine->reviewedDate(), localDay(-2));
}

TEST_F(KNVTCDTaskListEntityTest, ReviewScheduleSetsTheNextReviewDate)
{
    KNVTCDTaskList *l = myList();
    KNVTCDTaskListCollaborator *mine = l->myTaskListCollaborator();
    l->setReviewRecurrence(rules({QStringLiteral("RRULE:FREQ=WEEKLY"), QStringLiteral("RRULE:FREQ=DAILY")}));
    EXPECT_EQ(mine->reviewRecurrenceString(), "RRULE:FREQ=WEEKLY RRULE:FREQ=DAILY");
    EXPECT_EQ(l->reviewDate(), localDay(7)) << "the first rule steps from today at 00:00";
    clock.setNow(localDay(7).addSecs(-1));
    EXPECT_FALSE(l->isOverdueForReview());
    clock.setNow(localDay(7));
    EXPECT_TRUE(l->isOverdueForReview()) << "due at the very instant of the review date";

    clock.setNow(localDay(8).addSecs(3600 * 15));
    l->markAsReviewed();
    EXPECT_EQ(l->reviewedDate(), localDay(8).addSecs(3600 * 15));
    EXPECT_EQ(l->reviewDate(), localDay(15));
}

TEST_F(KNVTCDTaskListEntityTest, RemovingTheReviewScheduleEndsTheOverdueState)
{
    KNVTCDTaskList *l = myList();
    l->setReviewRecurrence(rules({QStringLiteral("RRULE:FREQ=DAILY")}));
    l->setReviewDate(localDay(-1));
    l->setReviewedDate(localDay(-8));
    ASSERT_TRUE(l->isOverdueForReview());

    l->setReviewRecurrence(nullptr);
    EXPECT_FALSE(l->isOverdueForReview());
    EXPECT_FALSE(l->reviewDate().isValid());
    EXPECT_FALSE(l->reviewedDate().isValid());
    EXPECT_EQ(l->reviewRecurrence(), nullptr);
    EXPECT_TRUE(l->myTaskListCollaborator()->reviewRecurrenceString().isNull());
}

TEST_F(KNVTCDTaskListEntityTest, ArchivingCarriesTheStateToEveryTask)
{
    KNVTCDTaskList *l = list();
    KNVTCDTask *done = task(l, QStringLiteral("done"), 4);
    KNVTCDTask *deleted = task(l, QStringLiteral("deleted"), 4);
    deleted->setDeletedDate(date(-60));
    KNVTCDTask *before = task(l, QStringLiteral("archived before"), 5);
    before->setArchivedDate(date(-3600));

    l->setArchived(true);
    EXPECT_TRUE(l->isArchived());
    EXPECT_EQ(l->archivedDate(), date());
    EXPECT_TRUE(done->isArchived());
    EXPECT_TRUE(deleted->isArchived()) << "tombstones follow the list";
    EXPECT_EQ(before->archivedDate(), date(-3600)) << "an archived task keeps its date";

    l->setArchived(false);
    EXPECT_FALSE(l->isArchived());
    EXPECT_FALSE(done->isArchived());
    EXPECT_FALSE(deleted->isArchived());
    EXPECT_FALSE(before->isArchived());
}

TEST_F(KNVTCDTaskListEntityTest, DeletedOpenTasksDoNotBlockArchiving)
{
    KNVTCDTaskList *l = list();
    task(l, QStringLiteral("done"), 4);
    KNVTCDTask *deleted = task(l, QStringLiteral("deleted but open"), 2);
    deleted->setDeletedDate(date(-60));
    EXPECT_TRUE(l->isArchivable());

    task(l, QStringLiteral("open"), 1);
    EXPECT_FALSE(l->isArchivable());
}

TEST_F(KNVTCDTaskListEntityTest, CountsLeaveTombstonesOut)
{
    KNVTCDTaskList *empty = list(QStringLiteral("empty"));
    EXPECT_EQ(empty->numberOfTasks(), 0);
    EXPECT_EQ(empty->taskCompletionProgress(), 0.0f);

    KNVTCDTaskList *l = list();
    task(l, QStringLiteral("completed"), 4);
    task(l, QStringLiteral("cancelled"), 5);
    task(l, QStringLiteral("deleted"), 2)->setDeletedDate(date());
    task(list(QStringLiteral("other")), QStringLiteral("elsewhere"), 2);
    EXPECT_EQ(l->numberOfTasks(), 2);
    EXPECT_EQ(l->numberOfCompletedTasks(), 2);
    EXPECT_EQ(l->numberOfUncompletedTasks(), 0);
    EXPECT_EQ(l->taskCompletionProgress(), 1.0f);

    task(l, QStringLiteral("open"), 2);
    task(l, QStringLiteral("someday"), 1);
    EXPECT_EQ(l->numberOfTasks(), 4);
    EXPECT_EQ(l->numberOfUncompletedTasks(), 2);
    EXPECT_EQ(l->taskCompletionProgress(), 0.5f);
}

TEST_F(KNVTCDTaskListEntityTest, FocusTypeDerivation)
{
    KNVTCDTaskList *l = list();
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeNext);
    l->setStartDate(date(-1));
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeToday);
    l->setStartDate(date());
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeNext) << "a start of exactly now is not past";
    l->setStartDate(date(3600));
    EXPECT_FALSE(l->isScheduled()) << "a list never derives Scheduled";

    l->setStartDate(date(-1));
    l->setStatus(4);
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeNext);
    l->setStatus(1);
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeSomeday);
    EXPECT_TRUE(l->isSomeday());
    l->setArchivedDate(date());
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeArchived);
    EXPECT_FALSE(l->isSomeday());
}

TEST_F(KNVTCDTaskListEntityTest, FocusTodayClearsTheStartDateAndMovesOpenTasksToToday)
{
    KNVTCDTaskList *l = list();
    KNVTCDTask *open = task(l, QStringLiteral("open"), 2);
    KNVTCDTask *done = task(l, QStringLiteral("done"), 4);
    done->setStartDate(date(86400 * 3));
    KNVTCDTask *deleted = task(l, QStringLiteral("deleted"), 2);
    deleted->setDeletedDate(date());
    l->setStatus(4);
    l->setStartDate(date(-86400));
    l->setDueDate(date(86400));
    l->setArchived(true);

    l->setFocusType(KNVTTaskListFocusTypeToday);
    EXPECT_FALSE(l->isArchived());
    EXPECT_EQ(l->status(), 2);
    EXPECT_FALSE(l->startDate().isValid());
    EXPECT_EQ(l->dueDate(), date(86400)) << "the due date is kept";
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeNext) << "without a start date the list itself derives Next";
    EXPECT_TRUE(open->isToday());
    EXPECT_EQ(done->startDate(), date(86400 * 3)) << "closed tasks keep their focus";
    EXPECT_FALSE(deleted->startDate().isValid()) << "deleted tasks are not moved";
}

TEST_F(KNVTCDTaskListEntityTest, FocusArchivedUsesTheStandardAlertHandler)
{
    KNVTTaskListScriptedAlert alert = KNVTTaskListScriptedAlert::answering(1);
    const KNVTAlertHandler previous = KNVTCDTask::standardAlertHandler();
    KNVTCDTask::setStandardAlertHandler(alert.handler());

    KNVTCDTaskList *busy = list(QStringLiteral("busy"));
    KNVTCDTask *open = task(busy, QStringLiteral("open"), 2);
    busy->setFocusType(KNVTTaskListFocusTypeArchived);
    ASSERT_EQ(alert.questions.size(), 1u);
    EXPECT_EQ(alert.questions[0].title, "Archive Project?");
    EXPECT_TRUE(busy->isArchived());
    EXPECT_TRUE(busy->isCancelled());
    EXPECT_TRUE(open->isCancelled());

    KNVTCDTask::setStandardAlertHandler(previous);
}

TEST_F(KNVTCDTaskListEntityTest, MembersAreLiveRowsWithAUserByFullName)
{
    KNVTCDTaskList *l = list();
    KNVTCDUser *zoe = user(QStringLiteral("Zoe"), 3);
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 2);
    KNVTCDUser *gone = user(QStringLiteral("Bob"), 4);
    KNVTCDTaskListCollaborator *zoeRow = row(l, zoe, 2, 3);
    KNVTCDTaskListCollaborator *annRow = row(l, ann, 1, 1);
    row(l, gone, 1)->setDeletedDate(date());
    row(l, nullptr);
    row(list(QStringLiteral("other")), user(QStringLiteral("Cid"), 5));

    EXPECT_EQ(l->activeTaskListCollaborators(), (std::vector<KNVTCDTaskListCollaborator *>{annRow, zoeRow}));
    EXPECT_EQ(l->activeTaskListCollaboratorUsers(), (std::vector<KNVTCDUser *>{ann, zoe}));
    EXPECT_EQ(l->owner(), gone) << "the newest owner row, tombstoned or not";
    EXPECT_EQ(list(QStringLiteral("unowned"))->owner(), nullptr);
}

} // namespace
