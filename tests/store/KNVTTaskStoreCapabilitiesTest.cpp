#include "QueryFixture.h"

namespace {

using Items = KNVTTaskStoreCapabilities::Items;
using Selection = KNVTTaskStoreCapabilities::Selection;

class Capabilities : public QueryFixture
{
protected:
    void SetUp() override
    {
        QueryFixture::SetUp();
        anna = user("anna", 3);
        mine = taskList("Mine", 1, 2, 2);
        member(mine, anna, 2, 2);
        annasProject = taskList("Anna's", 1, 2, 2, anna);
        area = taskList("Area", 2, 2, 2);
        open1 = task({.title = "open 1"});
        open2 = task({.title = "open 2", .list = mine});
        done = task({.title = "done", .status = 4});
    }

    template <class... T>
    static Items items(T *...objects)
    {
        return Items{static_cast<ostore::Object *>(objects)...};
    }

    KNVTCDUser *anna = nullptr;
    KNVTCDTaskList *mine = nullptr;
    KNVTCDTaskList *annasProject = nullptr;
    KNVTCDTaskList *area = nullptr;
    KNVTCDTask *open1 = nullptr;
    KNVTCDTask *open2 = nullptr;
    KNVTCDTask *done = nullptr;
};

// Every item rule, for the selections that must say NO to all of them.
std::vector<bool (KNVTTaskStoreCapabilities::*)(const Selection &)> allItemRules()
{
    using C = KNVTTaskStoreCapabilities;
    return {&C::canEditItems,
            &C::canDeleteItems,
            &C::canMoveItemsToInbox,
            &C::canMoveItemsToToday,
            &C::canRemoveItemsFromToday,
            &C::canMoveItemsToNext,
            &C::canRemoveItemsFromNext,
            &C::canMoveItemsToSomeday,
            &C::canRemoveItemsFromSomeday,
            &C::canScheduleItems,
            &C::canMarkItems,
            &C::canMarkItemsAsCompleted,
            &C::canMarkItemsAsUncompleted,
            &C::canMarkItemsAsCancelled,
            &C::canAssignItems,
            &C::canStartWatchingItems,
            &C::canStopWatchingItems,
            &C::canArchiveItems,
            &C::canUnarchiveSelectedItems,
            &C::canDuplicateItems,
            &C::canMoveItemsToTaskList,
            &C::canDetachItemsFromTaskList,
            &C::canMoveItemsToContext,
            &C::shouldDisplayMoveItemsToToday,
            &C::shouldDisplayRemoveItemsFromToday,
            &C::shouldDisplayRemoveItemsFromSomeday,
            &C::shouldDisplayScheduleItems,
            &C::shouldDisplayMarkItemsAsCompleted,
            &C::shouldDisplayMarkItemsAsUncompleted,
            &C::shouldDisplayMarkItemsAsCancelled,
            &C::shouldDisplayReviewItems};
}

TEST_F(Capabilities, EmptyOrTagOnlySelectionsAllowOnlyUnscheduling)
{
    KNVTCDTag *work = tag("work");
    for (const Items &selection : {Items{}, items(work)}) {
        for (auto rule : allItemRules())
            EXPECT_FALSE((store().*rule)(selection));
        EXPECT_TRUE(store().canUnscheduledItems(selection));
    }
}

TEST_F(Capabilities, MixedSelectionsNeedBothRules)
{
    const Items selection = items(open1, open2, mine);
    EXPECT_TRUE(store().canEditItems(selection));
    EXPECT_FALSE(store().canMoveItemsToToday(selection)); // a task list is selected
    EXPECT_TRUE(store().canMoveItemsToNext(selection));
    EXPECT_FALSE(store().canEditItems(items(open1, annasProject)));
    EXPECT_TRUE(store().canMarkItemsAsCompleted(items(open1, mine)));
    EXPECT_FALSE(store().canMarkItems(items(open1, mine)));
    EXPECT_TRUE(store().canMarkItems(items(open1, open2)));
    EXPECT_TRUE(store().canMarkItems(items(mine)));
    EXPECT_FALSE(store().canMarkItems(items(open1, tag("work"))));
}

TEST_F(Capabilities, AreasAreNeverMarked)
{
    EXPECT_TRUE(store().canMarkTaskLists({mine}));
    EXPECT_FALSE(store().canMarkTaskLists({mine, area}));
    EXPECT_FALSE(store().shouldDisplayMarkTaskListsAsCompleted({mine, area}));
    EXPECT_TRUE(store().shouldDisplayMarkTaskListsAsCompleted({mine}));
}

TEST_F(Capabilities, ArchivingATaskNeedsItClosedAndOutsideAnyList)
{
    EXPECT_TRUE(store().canArchiveTasks({done}));
    EXPECT_FALSE(store().canArchiveTasks({done, open1}));
    done->setTaskList(mine);
    EXPECT_FALSE(store().canArchiveTasks({done}));
}

TEST_F(Capabilities, UnarchivingAndMovingArchivedTasks)
{
    KNVTCDTask *archived = task({.title = "archived", .status = 4, .archived = true});
    EXPECT_TRUE(store().canUnarchiveTasks({archived}));
    EXPECT_FALSE(store().canEditTasks({archived}));
    EXPECT_TRUE(store().canMoveTasksToInbox({archived}));
    archived->setTaskList(mine);
    mine->setArchivedDate(noon());
    EXPECT_FALSE(store().canUnarchiveTasks({archived}));
    EXPECT_FALSE(store().canMoveTasksToInbox({archived}));
    EXPECT_FALSE(store().canUnarchiveTasks({open1}));
}

TEST_F(Capabilities, DetachingTasksThatAreInNoListIsAllowed)
{
    EXPECT_TRUE(store().canDetachTasksFromTaskList({open1, done}));
    EXPECT_TRUE(store().canDetachTasksFromTaskList({open1, open2}));
}

TEST_F(Capabilities, WatchingNeedsASharedListAndSomethingToChange)
{
    EXPECT_TRUE(store().canStartWatchingTasks({open2}));
    EXPECT_FALSE(store().canStartWatchingTasks({open2, open1})); // one is in no list
    EXPECT_FALSE(store().canStopWatchingTasks({open2}));

    watch(me(), open2);
    EXPECT_FALSE(store().canStartWatchingTasks({open2}));
    EXPECT_TRUE(store().canStopWatchingTasks({open2}));

    KNVTCDTask *alone = task({.title = "alone", .list = taskList("Solo", 1, 2, 2)});
    EXPECT_FALSE(store().canStartWatchingTasks({alone}));
}

TEST_F(Capabilities, MarkDisplayRules)
{
    EXPECT_TRUE(store().shouldDisplayMarkTasksAsCompleted({done, open1}));
    KNVTCDTask *archived = task({.title = "archived", .status = 4, .archived = true});
    EXPECT_FALSE(store().shouldDisplayMarkTasksAsCompleted({archived}));
    EXPECT_FALSE(store().shouldDisplayMarkTasksAsUncompleted({archived}));
    EXPECT_TRUE(store().shouldDisplayMarkTasksAsUncompleted({done, archived}));
    EXPECT_FALSE(store().shouldDisplayMarkTasksAsUncompleted({open1}));
}

TEST_F(Capabilities, RemoveFromSomedayLooksIntoTheListsTasks)
{
    KNVTCDTask *s1 = task({.title = "someday 1", .status = 1});
    KNVTCDTaskList *allSomeday = taskList("All someday", 1, 1, 2);
    task({.title = "someday 2", .status = 1, .list = allSomeday});
    EXPECT_TRUE(store().shouldDisplayRemoveItemsFromSomeday(items(s1)));
    EXPECT_TRUE(store().shouldDisplayRemoveItemsFromSomeday(items(s1, allSomeday)));
    task({.title = "actionable", .list = allSomeday});
    EXPECT_FALSE(store().shouldDisplayRemoveItemsFromSomeday(items(s1, allSomeday)));
}

TEST_F(Capabilities, AProjectOfSomebodyElse)
{
    EXPECT_FALSE(store().canEditTaskLists({annasProject}));
    EXPECT_FALSE(store().canMarkTaskLists({annasProject}));
    EXPECT_FALSE(store().shouldDisplayMarkTaskListsAsUncompleted({annasProject}));
    // Archiving asks no ownership, only that the project can be archived.
    EXPECT_TRUE(store().canArchiveTaskLists({annasProject}));
    annasProject->setArchivedDate(noon());
    EXPECT_FALSE(store().canUnarchiveTaskLists({annasProject}));
    EXPECT_FALSE(store().canArchiveTaskLists({annasProject}));
    // As an editor I still edit its tasks.
    KNVTCDTask *t = task({.title = "in anna's", .list = taskList("Anna's other", 1, 2, 2, anna)});
    EXPECT_TRUE(store().canEditTasks({t}));
}

TEST_F(Capabilities, AssigningNeedsOneEditableListForEveryTask)
{
    KNVTCDTaskList *found = area;
    KNVTCDTask *inMineToo = task({.title = "in mine too", .list = mine});
    EXPECT_TRUE(KNVTTaskStoreCapabilities::canAssignTasks({open2, inMineToo}, &found));
    EXPECT_EQ(found, mine);

    KNVTCDTaskList *viewOnly = taskList("View only", 1, 2, 2, anna);
    viewOnly->myTaskListCollaborator()->setRole(0);
    KNVTCDTask *inAnnas = task({.title = "in anna's", .list = annasProject});
    KNVTCDTask *viewed = task({.title = "viewed", .list = viewOnly});
    const std::vector<std::vector<KNVTCDTask *>> refused{{}, {open2, inAnnas}, {open2, open1}, {open1}, {viewed}};
    for (const auto &tasks : refused) {
        found = area;
        EXPECT_FALSE(KNVTTaskStoreCapabilities::canAssignTasks(tasks, &found));
        EXPECT_EQ(found, area) << "a refusal leaves the list as it was";
    }
}

TEST_F(Capabilities, TodayDisplayRules)
{
    KNVTCDTask *today = task({.title = "today", .due = noon().addSecs(-60)});
    KNVTCDTask *started = task({.title = "started", .start = noon().addSecs(-60)});
    // Only a start that has come is taken away by Remove From Today; an overdue task is offered Today instead.
    EXPECT_TRUE(store().shouldDisplayRemoveTasksFromToday({started}));
    EXPECT_FALSE(store().shouldDisplayRemoveTasksFromToday({today}));
    EXPECT_FALSE(store().shouldDisplayRemoveTasksFromToday({started, today}));
    // A start at this very instant has come: the task is in Today, and only Remove From Today is offered for it.
    KNVTCDTask *startsNow = task({.title = "starts now", .start = noon()});
    ASSERT_TRUE(startsNow->isToday());
    EXPECT_TRUE(store().shouldDisplayRemoveTasksFromToday({startsNow}));
    EXPECT_FALSE(store().shouldDisplayMoveTasksToToday({startsNow}));
    EXPECT_FALSE(store().shouldDisplayMoveTasksToToday({today, open1}));
    EXPECT_TRUE(store().shouldDisplayMoveTasksToToday({open1}));
    EXPECT_TRUE(store().shouldDisplayScheduleItems(items(open1, today)));
    EXPECT_FALSE(store().shouldDisplayScheduleItems(items(open1, mine)));
}

TEST_F(Capabilities, SplittingASelectionKeepsItsOrder)
{
    KNVTCDTag *work = tag("work");
    const Items selection = items(open2, mine, work, open1, area);
    EXPECT_EQ(KNVTTaskStoreCapabilities::tasksInItems(selection), (std::vector<KNVTCDTask *>{open2, open1}));
    EXPECT_EQ(KNVTTaskStoreCapabilities::taskListsInItems(selection), (std::vector<KNVTCDTaskList *>{mine, area}));
}

} // namespace
