#include "store/KNVTTaskStoreCapabilities.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListType.h"

#include <algorithm>

namespace {

using Tasks = KNVTTaskStoreCapabilities::Tasks;
using TaskLists = KNVTTaskStoreCapabilities::TaskLists;
using Items = KNVTTaskStoreCapabilities::Items;
using TaskRule = bool (KNVTTaskStoreCapabilities::*)(const Tasks &);
using TaskListRule = bool (KNVTTaskStoreCapabilities::*)(const TaskLists &);

// "Every member" and "some member" over a non-empty list; both stop at the first member that decides.
template <class List, class Test>
bool every(const List &list, Test test)
{
    return !list.empty() && std::all_of(list.begin(), list.end(), test);
}

template <class List, class Test>
bool some(const List &list, Test test)
{
    return !list.empty() && std::any_of(list.begin(), list.end(), test);
}

bool editableAndNotArchived(const KNVTCDTask *task)
{
    return task->canEdit() && !task->isArchived();
}

bool isArea(const KNVTCDTaskList *list)
{
    return list->type() == qint64(KNVTTaskListTypeArea);
}

bool markableList(const KNVTCDTaskList *list)
{
    return !isArea(list) && list->canEdit();
}

struct Selection
{
    Tasks tasks;
    TaskLists taskLists;
};

Selection split(const Items &items)
{
    Selection selection;
    for (ostore::Object *item : items) {
        if (auto *task = dynamic_cast<KNVTCDTask *>(item))
            selection.tasks.push_back(task);
        else if (auto *list = dynamic_cast<KNVTCDTaskList *>(item))
            selection.taskLists.push_back(list);
    }
    return selection;
}

} // namespace

Tasks KNVTTaskStoreCapabilities::tasksInItems(const Items &items)
{
    return split(items).tasks;
}

TaskLists KNVTTaskStoreCapabilities::taskListsInItems(const Items &items)
{
    return split(items).taskLists;
}

// -- Combining the layers --------------------------------------------------------------------------------------------

namespace {

// A selection of tasks only is judged by the task rule, of lists only by the list rule, a mixed one by both.
bool both(KNVTTaskStoreCapabilities &store, const Items &items, TaskRule taskRule, TaskListRule listRule)
{
    const Selection s = split(items);
    const bool t = (store.*taskRule)(s.tasks);
    const bool l = (store.*listRule)(s.taskLists);
    return (t && l) || (t && s.taskLists.empty()) || (l && s.tasks.empty());
}

bool tasksOnly(KNVTTaskStoreCapabilities &store, const Items &items, TaskRule taskRule)
{
    const Selection s = split(items);
    return s.taskLists.empty() && (store.*taskRule)(s.tasks);
}

bool listsOnly(KNVTTaskStoreCapabilities &store, const Items &items, TaskListRule listRule)
{
    const Selection s = split(items);
    return s.tasks.empty() && (store.*listRule)(s.taskLists);
}

} // namespace

// -- Item rules ------------------------------------------------------------------------------------------------------

using C = KNVTTaskStoreCapabilities;

bool C::canEditItems(const Items &items)
{
    return both(*this, items, &C::canEditTasks, &C::canEditTaskLists);
}

bool C::canDeleteItems(const Items &items)
{
    return canEditItems(items);
}

bool C::canMoveItemsToInbox(const Items &items)
{
    return tasksOnly(*this, items, &C::canMoveTasksToInbox);
}

bool C::canMoveItemsToToday(const Items &items)
{
    return tasksOnly(*this, items, &C::canMoveTasksToToday);
}

bool C::canRemoveItemsFromToday(const Items &items)
{
    return tasksOnly(*this, items, &C::canEditTasks);
}

bool C::canMoveItemsToNext(const Items &items)
{
    return both(*this, items, &C::canMoveTasksToNext, &C::canMoveTaskListsToNext);
}

bool C::canRemoveItemsFromNext(const Items &items)
{
    return both(*this, items, &C::canRemoveTasksFromNext, &C::canRemoveTaskListsFromNext);
}

bool C::canMoveItemsToSomeday(const Items &items)
{
    return both(*this, items, &C::canMoveTasksToSomeday, &C::canMoveTaskListsToSomeday);
}

bool C::canRemoveItemsFromSomeday(const Items &items)
{
    return tasksOnly(*this, items, &C::canEditTasks);
}

bool C::canScheduleItems(const Items &items)
{
    return tasksOnly(*this, items, &C::canScheduleTasks);
}

bool C::canUnscheduledItems(const Items &)
{
    return true;
}

bool C::canMarkItems(const Items &items)
{
    const Selection s = split(items);
    if (s.taskLists.empty() && s.tasks.size() == items.size()) {
        const Items tasks(s.tasks.begin(), s.tasks.end());
        return canMarkItemsAsUncompleted(tasks) || canMarkItemsAsCancelled(tasks) || canMarkItemsAsCompleted(tasks);
    }
    if (s.tasks.empty() && s.taskLists.size() == items.size()) {
        const Items lists(s.taskLists.begin(), s.taskLists.end());
        return canMarkItemsAsUncompleted(lists) || canMarkItemsAsCancelled(lists) || canMarkItemsAsCompleted(lists);
    }
    return false;
}

bool C::canMarkItemsAsCompleted(const Items &items)
{
    return both(*this, items, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canMarkItemsAsUncompleted(const Items &items)
{
    return both(*this, items, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canMarkItemsAsCancelled(const Items &items)
{
    return both(*this, items, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canAssignItems(const Items &items)
{
    return tasksOnly(*this, items, &C::canAssignTasks);
}

bool C::canStartWatchingItems(const Items &items)
{
    return tasksOnly(*this, items, &C::canStartWatchingTasks);
}

bool C::canStopWatchingItems(const Items &items)
{
    return tasksOnly(*this, items, &C::canStopWatchingTasks);
}

bool C::canArchiveItems(const Items &items)
{
    return both(*this, items, &C::canArchiveTasks, &C::canArchiveTaskLists);
}

bool C::canUnarchiveSelectedItems(const Items &items)
{
    return both(*this, items, &C::canUnarchiveTasks, &C::canUnarchiveTaskLists);
}

bool C::canDuplicateItems(const Items &items)
{
    return tasksOnly(*this, items, &C::canDuplicateTasks);
}

bool C::canMoveItemsToTaskList(const Items &items)
{
    return tasksOnly(*this, items, &C::canMoveTasksToTaskList);
}

bool C::canDetachItemsFromTaskList(const Items &items)
{
    return tasksOnly(*this, items, &C::canDetachTasksFromTaskList);
}

bool C::canMoveItemsToContext(const Items &items)
{
    return tasksOnly(*this, items, &C::canMoveTasksToContext);
}

bool C::shouldDisplayMoveItemsToToday(const Items &items)
{
    return tasksOnly(*this, items, &C::shouldDisplayMoveTasksToToday);
}

bool C::shouldDisplayRemoveItemsFromToday(const Items &items)
{
    return tasksOnly(*this, items, &C::shouldDisplayRemoveTasksFromToday);
}

bool C::shouldDisplayRemoveItemsFromSomeday(const Items &items)
{
    return both(*this, items, &C::shouldDisplayRemoveTasksFromSomeday, &C::shouldDisplayRemoveTaskListsFromSomeday);
}

bool C::shouldDisplayScheduleItems(const Items &items)
{
    return tasksOnly(*this, items, &C::shouldDisplayScheduleTasks);
}

bool C::shouldDisplayMarkItemsAsCompleted(const Items &items)
{
    return both(*this, items, &C::shouldDisplayMarkTasksAsCompleted, &C::shouldDisplayMarkTaskListsAsCompleted);
}

bool C::shouldDisplayMarkItemsAsUncompleted(const Items &items)
{
    return both(*this, items, &C::shouldDisplayMarkTasksAsUncompleted, &C::shouldDisplayMarkTaskListsAsUncompleted);
}

bool C::shouldDisplayMarkItemsAsCancelled(const Items &items)
{
    return both(*this, items, &C::shouldDisplayMarkTasksAsCancelled, &C::shouldDisplayMarkTaskListsAsCancelled);
}

bool C::shouldDisplayReviewItems(const Items &items)
{
    return listsOnly(*this, items, &C::shouldDisplayReviewTaskLists);
}

// -- Task rules ------------------------------------------------------------------------------------------------------

bool C::canEditTasks(const Tasks &tasks)
{
    return every(tasks, editableAndNotArchived);
}

bool C::canMoveTasksToToday(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canMoveTasksToNext(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canRemoveTasksFromNext(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canMoveTasksToSomeday(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canScheduleTasks(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canMarkTasks(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canAssignTasks(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canAssignTasks(const Tasks &tasks, KNVTCDTaskList **taskList)
{
    KNVTCDTaskList *common = KNVTCDTask::taskListForTasks(tasks);
    if (!common || !common->canEditTasks())
        return false;
    if (taskList)
        *taskList = common;
    return true;
}

bool C::canDeleteTasks(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canDuplicateTasks(const Tasks &tasks)
{
    return canEditTasks(tasks);
}

bool C::canMoveTasksToInbox(const Tasks &tasks)
{
    // An archived task may leave an open list (or no list), but not a list that is archived itself.
    return every(tasks, [](const KNVTCDTask *task) {
        const KNVTCDTaskList *list = task->taskList();
        return task->canEdit() && !(task->isArchived() && list && list->isArchived());
    });
}

bool C::canStartWatchingTasks(const Tasks &tasks)
{
    const KNVTCDUser *user = me();
    return every(tasks,
                 [](const KNVTCDTask *task) {
                     const KNVTCDTaskList *list = task->taskList();
                     return task->canEdit() && list && list->isCollaborative();
                 })
        && some(tasks, [user](const KNVTCDTask *task) { return !task->isWatchedByUser(user); });
}

bool C::canStopWatchingTasks(const Tasks &tasks)
{
    const KNVTCDUser *user = me();
    return every(tasks, [user](const KNVTCDTask *task) { return task->canEdit() && task->isWatchedByUser(user); });
}

bool C::canArchiveTasks(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) {
        return !task->isArchived() && !task->taskList() && task->isCompletedOrCancelled();
    });
}

bool C::canUnarchiveTasks(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) {
        const KNVTCDTaskList *list = task->taskList();
        return task->isArchived() && !(list && list->isArchived());
    });
}

bool C::canMoveTasksToTaskList(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) { return task->canMove(); });
}

bool C::canDetachTasksFromTaskList(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) {
        const KNVTCDTaskList *list = task->taskList();
        return !list || list->canRemoveTasks();
    });
}

bool C::canMoveTasksToContext(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) { return task->canEdit() && task->canMove(); });
}

bool C::shouldDisplayMoveTasksToToday(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) { return !task->isToday(); });
}

bool C::shouldDisplayRemoveTasksFromToday(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) { return task->isToday(); });
}

bool C::shouldDisplayRemoveTasksFromSomeday(const Tasks &tasks)
{
    return every(tasks, [](const KNVTCDTask *task) { return task->isSomeday(); });
}

bool C::shouldDisplayScheduleTasks(const Tasks &tasks)
{
    return every(tasks,
                 [](const KNVTCDTask *task) { return task->canEdit() && task->canMove() && !task->isArchived(); });
}

bool C::shouldDisplayMarkTasksAsCompleted(const Tasks &tasks)
{
    return some(tasks, [](const KNVTCDTask *task) { return !task->isCompleted() && !task->isArchived(); });
}

bool C::shouldDisplayMarkTasksAsUncompleted(const Tasks &tasks)
{
    return some(tasks, [](const KNVTCDTask *task) { return task->isCompletedOrCancelled() && !task->isArchived(); });
}

bool C::shouldDisplayMarkTasksAsCancelled(const Tasks &tasks)
{
    return some(tasks, [](const KNVTCDTask *task) { return !task->isCancelled() && !task->isArchived(); });
}

// -- Task-list rules -------------------------------------------------------------------------------------------------

bool C::canEditTaskLists(const TaskLists &taskLists)
{
    return every(taskLists, [](const KNVTCDTaskList *list) { return list->canEdit(); });
}

bool C::canMoveTaskListsToNext(const TaskLists &taskLists)
{
    return canEditTaskLists(taskLists);
}

bool C::canRemoveTaskListsFromNext(const TaskLists &taskLists)
{
    return canEditTaskLists(taskLists);
}

bool C::canMoveTaskListsToSomeday(const TaskLists &taskLists)
{
    return canEditTaskLists(taskLists);
}

bool C::canRemoveTaskListsFromSomeday(const TaskLists &taskLists)
{
    return canEditTaskLists(taskLists);
}

bool C::canDeleteTaskLists(const TaskLists &taskLists)
{
    return canEditTaskLists(taskLists);
}

bool C::canMarkTaskLists(const TaskLists &taskLists)
{
    return every(taskLists, markableList);
}

bool C::canArchiveTaskLists(const TaskLists &taskLists)
{
    return every(taskLists, [](const KNVTCDTaskList *list) { return list->isArchivable() && !list->isArchived(); });
}

bool C::canUnarchiveTaskLists(const TaskLists &taskLists)
{
    return every(taskLists, [](const KNVTCDTaskList *list) { return list->isArchived() && list->canEdit(); });
}

bool C::shouldDisplayRemoveTaskListsFromTodayUnarchiveTaskLists(const TaskLists &taskLists)
{
    return every(taskLists, [](const KNVTCDTaskList *list) {
        if (list->isArchived())
            return false;
        const Tasks tasks = list->tasks();
        return std::all_of(tasks.begin(), tasks.end(), [](const KNVTCDTask *task) { return task->isToday(); });
    });
}

bool C::shouldDisplayRemoveTaskListsFromSomeday(const TaskLists &taskLists)
{
    return every(taskLists, [](const KNVTCDTaskList *list) {
        const Tasks tasks = list->tasks();
        return std::all_of(tasks.begin(), tasks.end(), [](const KNVTCDTask *task) { return task->isSomeday(); });
    });
}

bool C::shouldDisplayMarkTaskListsAsCompleted(const TaskLists &taskLists)
{
    return every(taskLists, markableList)
        && some(taskLists, [](const KNVTCDTaskList *list) { return !list->isCompleted(); });
}

bool C::shouldDisplayMarkTaskListsAsUncompleted(const TaskLists &taskLists)
{
    return every(taskLists, markableList)
        && some(taskLists, [](const KNVTCDTaskList *list) { return list->isCompletedOrCancelled(); });
}

bool C::shouldDisplayMarkTaskListsAsCancelled(const TaskLists &taskLists)
{
    return every(taskLists, markableList)
        && some(taskLists, [](const KNVTCDTaskList *list) { return !list->isCancelled(); });
}

bool C::shouldDisplayReviewTaskLists(const TaskLists &taskLists)
{
    return every(taskLists, [](const KNVTCDTaskList *list) { return !list->isArchived(); });
}
