#pragma once

#include "store/KNVTTaskStoreQueries.h"

#include <vector>

class KNVTCDTask;
class KNVTCDTaskList;

namespace ostore {
class Object;
}

// Which user actions apply to a selection of tasks, task lists and other items. Pure functions of the selection and
// the entities' own states and permissions: they change nothing and do not depend on where the selection was made.
//
// Three layers: task rules judge tasks, task-list rules judge lists, and item rules split a mixed selection once
// into its tasks and its lists and combine the two. Every task and task-list rule answers NO for an empty list;
// objects of any other kind (tags, users) belong to neither part and are ignored.
class KNVTTaskStoreCapabilities : public KNVTTaskStoreQueries
{
public:
    using Items = std::vector<ostore::Object *>;
    using Tasks = std::vector<KNVTCDTask *>;
    using TaskLists = std::vector<KNVTCDTaskList *>;

    // The items that are tasks (or task lists), in selection order.
    static Tasks tasksInItems(const Items &items);
    static TaskLists taskListsInItems(const Items &items);

    // -- Item rules ----------------------------------------------------------------------------------------------
    bool canEditItems(const Items &items);
    bool canDeleteItems(const Items &items);
    bool canMoveItemsToInbox(const Items &items);
    bool canMoveItemsToToday(const Items &items);
    bool canRemoveItemsFromToday(const Items &items);
    bool canMoveItemsToNext(const Items &items);
    bool canRemoveItemsFromNext(const Items &items);
    bool canMoveItemsToSomeday(const Items &items);
    bool canRemoveItemsFromSomeday(const Items &items);
    bool canScheduleItems(const Items &items);
    // Always YES, whatever the selection.
    bool canUnscheduledItems(const Items &items);
    // Tasks only, or lists only: YES when any of the three mark rules holds. Mixed kinds give NO.
    bool canMarkItems(const Items &items);
    bool canMarkItemsAsCompleted(const Items &items);
    bool canMarkItemsAsUncompleted(const Items &items);
    bool canMarkItemsAsCancelled(const Items &items);
    bool canAssignItems(const Items &items);
    bool canStartWatchingItems(const Items &items);
    bool canStopWatchingItems(const Items &items);
    bool canArchiveItems(const Items &items);
    bool canUnarchiveSelectedItems(const Items &items);
    bool canDuplicateItems(const Items &items);
    bool canMoveItemsToTaskList(const Items &items);
    bool canDetachItemsFromTaskList(const Items &items);
    bool canMoveItemsToContext(const Items &items);
    bool shouldDisplayMoveItemsToToday(const Items &items);
    bool shouldDisplayRemoveItemsFromToday(const Items &items);
    bool shouldDisplayRemoveItemsFromSomeday(const Items &items);
    bool shouldDisplayScheduleItems(const Items &items);
    bool shouldDisplayMarkItemsAsCompleted(const Items &items);
    bool shouldDisplayMarkItemsAsUncompleted(const Items &items);
    bool shouldDisplayMarkItemsAsCancelled(const Items &items);
    bool shouldDisplayReviewItems(const Items &items);

    // -- Task rules ----------------------------------------------------------------------------------------------
    bool canEditTasks(const Tasks &tasks);
    bool canMoveTasksToToday(const Tasks &tasks);
    bool canMoveTasksToNext(const Tasks &tasks);
    bool canRemoveTasksFromNext(const Tasks &tasks);
    bool canMoveTasksToSomeday(const Tasks &tasks);
    bool canScheduleTasks(const Tasks &tasks);
    bool canMarkTasks(const Tasks &tasks);
    bool canAssignTasks(const Tasks &tasks);
    // YES when every one of `tasks` is in one and the same task list whose tasks I may edit; that list is then
    // written to `taskList`, which every NO leaves as it was. The lists' Assign To menu and the assign sheets offer
    // that list's collaborators.
    static bool canAssignTasks(const Tasks &tasks, KNVTCDTaskList **taskList);
    bool canDeleteTasks(const Tasks &tasks);
    bool canDuplicateTasks(const Tasks &tasks);
    bool canMoveTasksToInbox(const Tasks &tasks);
    bool canStartWatchingTasks(const Tasks &tasks);
    bool canStopWatchingTasks(const Tasks &tasks);
    bool canArchiveTasks(const Tasks &tasks);
    bool canUnarchiveTasks(const Tasks &tasks);
    bool canMoveTasksToTaskList(const Tasks &tasks);
    bool canDetachTasksFromTaskList(const Tasks &tasks);
    bool canMoveTasksToContext(const Tasks &tasks);
    bool shouldDisplayMoveTasksToToday(const Tasks &tasks);
    bool shouldDisplayRemoveTasksFromToday(const Tasks &tasks);
    bool shouldDisplayRemoveTasksFromSomeday(const Tasks &tasks);
    bool shouldDisplayScheduleTasks(const Tasks &tasks);
    bool shouldDisplayMarkTasksAsCompleted(const Tasks &tasks);
    bool shouldDisplayMarkTasksAsUncompleted(const Tasks &tasks);
    bool shouldDisplayMarkTasksAsCancelled(const Tasks &tasks);

    // -- Task-list rules -----------------------------------------------------------------------------------------
    bool canEditTaskLists(const TaskLists &taskLists);
    bool canMoveTaskListsToNext(const TaskLists &taskLists);
    bool canRemoveTaskListsFromNext(const TaskLists &taskLists);
    bool canMoveTaskListsToSomeday(const TaskLists &taskLists);
    bool canRemoveTaskListsFromSomeday(const TaskLists &taskLists);
    bool canDeleteTaskLists(const TaskLists &taskLists);
    // Areas are never marked.
    bool canMarkTaskLists(const TaskLists &taskLists);
    // Asks no ownership: only that every list is archivable and not archived yet.
    bool canArchiveTaskLists(const TaskLists &taskLists);
    bool canUnarchiveTaskLists(const TaskLists &taskLists);
    bool shouldDisplayRemoveTaskListsFromTodayUnarchiveTaskLists(const TaskLists &taskLists);
    bool shouldDisplayRemoveTaskListsFromSomeday(const TaskLists &taskLists);
    bool shouldDisplayMarkTaskListsAsCompleted(const TaskLists &taskLists);
    bool shouldDisplayMarkTaskListsAsUncompleted(const TaskLists &taskLists);
    bool shouldDisplayMarkTaskListsAsCancelled(const TaskLists &taskLists);
    bool shouldDisplayReviewTaskLists(const TaskLists &taskLists);
};
