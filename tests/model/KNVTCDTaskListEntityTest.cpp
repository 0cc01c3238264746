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
    KNVTCDTaskListCollaborator *otherRow = row(shared, user(QStringLiteral("Ann"), 2));
    otherRow->setReviewDate(localDay(-1));

    // A local user without a row of this list.
    me();
    EXPECT_EQ(shared->myTaskListCollaborator(), nullptr);
    shared->setReviewDate(localDay(3));
    shared->markAsReviewed();
    EXPECT_FALSE(shared->reviewedDate().isValid());
    EXPECT_EQ(otherRow->reviewDate(), localDay(-1)) << "another member's schedule is not the local user's";
}

TEST_F(KNVTCDTaskListEntityTest, ReviewScheduleSetsTheNextReviewDate)
{
    KNVTCDTaskList *l = myList();
    KNVTCDTaskListCollaborator *mine = l->myTaskListCollaborator();
    l->setReviewRecurrence(rules({QStringLiteral("RRULE:FREQ=WEEKLY"), QStringLiteral("RRULE:FREQ=DAILY")}));
    EXPECT_EQ(mine->reviewRecurrenceString(), "RRULE:FREQ=WEEKLY RRULE:FREQ=DAILY");
    EXPECT_EQ(l->reviewDate(), localDay(7)) << "the first rule steps from today at 00:00";
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
}

TEST_F(KNVTCDTaskListEntityTest, ArchivingCarriesTheStateToEveryTask)
{
    KNVTCDTaskList *l = list();
    KNVTCDTask *done = task(l, QStringLiteral("done"), 4);

    l->setArchived(true);
    EXPECT_TRUE(l->isArchived());
    EXPECT_EQ(l->archivedDate(), date());
    EXPECT_TRUE(done->isArchived());

    l->setArchived(false);
    EXPECT_FALSE(l->isArchived());
    EXPECT_FALSE(done->isArchived());
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
    KNVTCDTaskList *l = list();
    task(l, QStringLiteral("completed"), 4);
    task(l, QStringLiteral("cancelled"), 5);
    task(l, QStringLiteral("deleted"), 2)->setDeletedDate(date());
    task(list(QStringLiteral("other")), QStringLiteral("elsewhere"), 2);
    EXPECT_EQ(l->numberOfTasks(), 2);
    EXPECT_EQ(l->numberOfCompletedTasks(), 2);

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

    l->setStartDate(date(-1));
    l->setStatus(4);
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeNext);
    l->setStatus(1);
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeSomeday);
    l->setArchivedDate(date());
    EXPECT_EQ(l->focusType(), KNVTTaskListFocusTypeArchived);
}

TEST_F(KNVTCDTaskListEntityTest, FocusTodayClearsTheStartDateAndMovesOpenTasksToToday)
{
    KNVTCDTaskList *l = list();
    KNVTCDTask *open = task(l, QStringLiteral("open"), 2);
    KNVTCDTask *done = task(l, QStringLiteral("done"), 4);
    done->setStartDate(date(86400 * 3));
    l->setStatus(4);
    l->setStartDate(date(-86400));
    l->setDueDate(date(86400));
    l->setArchived(true);

    l->setFocusType(KNVTTaskListFocusTypeToday);
    EXPECT_FALSE(l->isArchived());
    EXPECT_EQ(l->status(), 2);
    EXPECT_FALSE(l->startDate().isValid());
    EXPECT_EQ(l->dueDate(), date(86400)) << "the due date is kept";
    EXPECT_TRUE(open->isToday());
    EXPECT_EQ(done->startDate(), date(86400 * 3)) << "closed tasks keep their focus";
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

    EXPECT_EQ(l->activeTaskListCollaborators(), (std::vector<KNVTCDTaskListCollaborator *>{annRow, zoeRow}));
    EXPECT_EQ(l->activeTaskListCollaboratorUsers(), (std::vector<KNVTCDUser *>{ann, zoe}));
    EXPECT_EQ(l->owner(), gone) << "the newest owner row, tombstoned or not";
}

} // namespace
