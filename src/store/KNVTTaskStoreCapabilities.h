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
    // a window's actions): each task and task-list rule is worked out on its first question and its answer kept, so
    // that forty commands read each selected object a few times, not forty. A list of items becomes one on the spot
    // wherever an item rule is asked about it. It holds the objects and the answers of one moment: whoever keeps it
    // past that moment must drop it once the selection or any of its objects may have changed.
    class Selection
    {
    public:
        Selection(Items items = {});
        const Items &items() const { return m_items; }
        const Tasks &tasks() const { return m_tasks; }
        const TaskLists &taskLists() const { return m_taskLists; }
        // The rule's answer for the selection's tasks (or lists), asked of `store` the first time only.
        bool answer(KNVTTaskStoreCapabilities &store, TaskRule rule) const;
        bool answer(KNVTTaskStoreCapabilities &store, TaskListRule rule) const;

    private:
        Items m_items;
        Tasks m_tasks;
        TaskLists m_taskLists;
        // What was asked and answered so far; remembering an answer leaves the selection itself as it was.
        mutable std::vector<std::pair<TaskRule, bool>> m_taskAnswers;
        mutable std::vector<std::pair<TaskListRule, bool>> m_taskListAnswers;
    };

    // The items that are tasks (or task lists), in selection order.
    static Tasks tasksInItems(const Items &items);
    static TaskLists taskListsInItems(const Items &items);

    // -- Item rules ----------------------------------------------------------------------------------------------
    bool canEditItems(const Selection &selection);
    bool canDeleteItems(const Selection &selection);
    bool canMoveItemsToInbox(const Selection &selection);
    bool canMoveItemsToToday(const Selection &selection);
    bool canRemoveItemsFromToday(const Selection &selection);
    bool canMoveItemsToNext(const Selection &selection);
    bool canRemoveItemsFromNext(const Selection &selection);
    bool canMoveItemsToSomeday(const Selection &selection);
    bool canRemoveItemsFromSomeday(const Selection &selection);
    bool canScheduleItems(const Selection &selection);
    // Always YES, whatever the selection.
    bool canUnscheduledItems(const Selection &selection);
    // Tasks only, or lists only: YES when any of the three mark rules holds. Mixed kinds give NO.
    bool canMarkItems(const Selection &selection);
    bool canMarkItemsAsCompleted(const Selection &selection);
    bool canMarkItemsAsUncompleted(const Selection &selection);
    bool canMarkItemsAsCancelled(const Selection &selection);
    bool canAssignItems(const Selection &selection);
    bool canStartWatchingItems(const Selection &selection);
    bool canStopWatchingItems(const Selection &selection);
    bool canArchiveItems(const Selection &selection);
    bool canUnarchiveSelectedItems(const Selection &selection);
    bool canDuplicateItems(const Selection &selection);
    bool canMoveItemsToTaskList(const Selection &selection);
    bool canDetachItemsFromTaskList(const Selection &selection);
    bool canMoveItemsToContext(const Selection &selection);
    bool shouldDisplayMoveItemsToToday(const Selection &selection);
    bool shouldDisplayRemoveItemsFromToday(const Selection &selection);
    bool shouldDisplayRemoveItemsFromSomeday(const Selection &selection);
    bool shouldDisplayScheduleItems(const Selection &selection);
    bool shouldDisplayMarkItemsAsCompleted(const Selection &selection);
    bool shouldDisplayMarkItemsAsUncompleted(const Selection &selection);
    bool shouldDisplayMarkItemsAsCancelled(const Selection &selection);
    bool shouldDisplayReviewItems(const Selection &selection);

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
