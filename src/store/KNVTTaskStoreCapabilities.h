#pragma once

#include "store/KNVTTaskStoreQueries.h"

#include <utility>
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

    using TaskRule = bool (KNVTTaskStoreCapabilities::*)(const Tasks &);
    using TaskListRule = bool (KNVTTaskStoreCapabilities::*)(const TaskLists &);

    // A selection split once into its tasks and its lists, for a pass that asks many rules about it (the validation of
    // a window's actions): each item rule takes it as well as a list of items, and each task and task-list rule is
    // worked out on its first question and its answer kept, so that forty commands read each selected object a few
    // times, not forty. It holds the objects and the answers of one moment: it lives no longer than the pass.
    class Selection
    {
    public:
        explicit Selection(Items items = {});
        const Items &items() const { return m_items; }
        const Tasks &tasks() const { return m_tasks; }
        const TaskLists &taskLists() const { return m_taskLists; }
        // The rule's answer for the selection's tasks (or lists), asked of `store` the first time only.
        bool answer(KNVTTaskStoreCapabilities &store, TaskRule rule);
        bool answer(KNVTTaskStoreCapabilities &store, TaskListRule rule);

    private:
        Items m_items;
        Tasks m_tasks;
        TaskLists m_taskLists;
        std::vector<std::pair<TaskRule, bool>> m_taskAnswers;
        std::vector<std::pair<TaskListRule, bool>> m_taskListAnswers;
    };

    // The items that are tasks (or task lists), in selection order.
    static Tasks tasksInItems(const Items &items);
    static TaskLists taskListsInItems(const Items &items);

    // -- Item rules ----------------------------------------------------------------------------------------------
    bool canEditItems(const Items &items);
    bool canEditItems(Selection &selection);
    bool canDeleteItems(const Items &items);
    bool canDeleteItems(Selection &selection);
    bool canMoveItemsToInbox(const Items &items);
    bool canMoveItemsToInbox(Selection &selection);
    bool canMoveItemsToToday(const Items &items);
    bool canMoveItemsToToday(Selection &selection);
    bool canRemoveItemsFromToday(const Items &items);
    bool canRemoveItemsFromToday(Selection &selection);
    bool canMoveItemsToNext(const Items &items);
    bool canMoveItemsToNext(Selection &selection);
    bool canRemoveItemsFromNext(const Items &items);
    bool canRemoveItemsFromNext(Selection &selection);
    bool canMoveItemsToSomeday(const Items &items);
    bool canMoveItemsToSomeday(Selection &selection);
    bool canRemoveItemsFromSomeday(const Items &items);
    bool canRemoveItemsFromSomeday(Selection &selection);
    bool canScheduleItems(const Items &items);
    bool canScheduleItems(Selection &selection);
    // Always YES, whatever the selection.
    bool canUnscheduledItems(const Items &items);
    bool canUnscheduledItems(Selection &selection);
    // Tasks only, or lists only: YES when any of the three mark rules holds. Mixed kinds give NO.
    bool canMarkItems(const Items &items);
    bool canMarkItems(Selection &selection);
    bool canMarkItemsAsCompleted(const Items &items);
    bool canMarkItemsAsCompleted(Selection &selection);
    bool canMarkItemsAsUncompleted(const Items &items);
    bool canMarkItemsAsUncompleted(Selection &selection);
    bool canMarkItemsAsCancelled(const Items &items);
    bool canMarkItemsAsCancelled(Selection &selection);
    bool canAssignItems(const Items &items);
    bool canAssignItems(Selection &selection);
    bool canStartWatchingItems(const Items &items);
    bool canStartWatchingItems(Selection &selection);
    bool canStopWatchingItems(const Items &items);
    bool canStopWatchingItems(Selection &selection);
    bool canArchiveItems(const Items &items);
    bool canArchiveItems(Selection &selection);
    bool canUnarchiveSelectedItems(const Items &items);
    bool canUnarchiveSelectedItems(Selection &selection);
    bool canDuplicateItems(const Items &items);
    bool canDuplicateItems(Selection &selection);
    bool canMoveItemsToTaskList(const Items &items);
    bool canMoveItemsToTaskList(Selection &selection);
    bool canDetachItemsFromTaskList(const Items &items);
    bool canDetachItemsFromTaskList(Selection &selection);
    bool canMoveItemsToContext(const Items &items);
    bool canMoveItemsToContext(Selection &selection);
    bool shouldDisplayMoveItemsToToday(const Items &items);
    bool shouldDisplayMoveItemsToToday(Selection &selection);
    bool shouldDisplayRemoveItemsFromToday(const Items &items);
    bool shouldDisplayRemoveItemsFromToday(Selection &selection);
    bool shouldDisplayRemoveItemsFromSomeday(const Items &items);
    bool shouldDisplayRemoveItemsFromSomeday(Selection &selection);
    bool shouldDisplayScheduleItems(const Items &items);
    bool shouldDisplayScheduleItems(Selection &selection);
    bool shouldDisplayMarkItemsAsCompleted(const Items &items);
    bool shouldDisplayMarkItemsAsCompleted(Selection &selection);
    bool shouldDisplayMarkItemsAsUncompleted(const Items &items);
    bool shouldDisplayMarkItemsAsUncompleted(Selection &selection);
    bool shouldDisplayMarkItemsAsCancelled(const Items &items);
    bool shouldDisplayMarkItemsAsCancelled(Selection &selection);
    bool shouldDisplayReviewItems(const Items &items);
    bool shouldDisplayReviewItems(Selection &selection);

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
    // Every task is in Today by its start date (the one rule of Today's toggle).
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
