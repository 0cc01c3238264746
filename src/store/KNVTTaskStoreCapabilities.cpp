#include "store/KNVTTaskStoreCapabilities.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListType.h"

#include <algorithm>
#include <utility>

namespace {

using Tasks = KNVTTaskStoreCapabilities::Tasks;
using TaskLists = KNVTTaskStoreCapabilities::TaskLists;
using Items = KNVTTaskStoreCapabilities::Items;
using TaskRule = KNVTTaskStoreCapabilities::TaskRule;
using TaskListRule = KNVTTaskStoreCapabilities::TaskListRule;

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

} // namespace

Tasks KNVTTaskStoreCapabilities::tasksInItems(const Items &items)
{
    return Selection(items).tasks();
}

TaskLists KNVTTaskStoreCapabilities::taskListsInItems(const Items &items)
{
    return Selection(items).taskLists();
}

// -- A selection asked many rules ------------------------------------------------------------------------------------

KNVTTaskStoreCapabilities::Selection::Selection(Items items) : m_items(std::move(items))
{
    for (ostore::Object *item : m_items) {
        if (auto *task = dynamic_cast<KNVTCDTask *>(item))
            m_tasks.push_back(task);
        else if (auto *list = dynamic_cast<KNVTCDTaskList *>(item))
            m_taskLists.push_back(list);
    }
}

namespace {

template <class Rule, class Ask>
bool remembered(std::vector<std::pair<Rule, bool>> &answers, Rule rule, const Ask &ask)
{
    for (const auto &[asked, answer] : answers)
        if (asked == rule)
            return answer;
    const bool answer = ask();
    answers.emplace_back(rule, answer);
    return answer;
}

} // namespace

bool KNVTTaskStoreCapabilities::Selection::answer(KNVTTaskStoreCapabilities &store, TaskRule rule) const
{
    return remembered(m_taskAnswers, rule, [&] { return (store.*rule)(m_tasks); });
}

bool KNVTTaskStoreCapabilities::Selection::answer(KNVTTaskStoreCapabilities &store, TaskListRule rule) const
{
    return remembered(m_taskListAnswers, rule, [&] { return (store.*rule)(m_taskLists); });
}

// -- Combining the layers --------------------------------------------------------------------------------------------

namespace {

using Selection = KNVTTaskStoreCapabilities::Selection;

// A selection of tasks only is judged by the task rule, of lists only by the list rule, a mixed one by both.
bool both(KNVTTaskStoreCapabilities &store, const Selection &s, TaskRule taskRule, TaskListRule listRule)
{
    const bool t = s.answer(store, taskRule);
    const bool l = s.answer(store, listRule);
    return (t && l) || (t && s.taskLists().empty()) || (l && s.tasks().empty());
}

bool tasksOnly(KNVTTaskStoreCapabilities &store, const Selection &s, TaskRule taskRule)
{
    return s.taskLists().empty() && s.answer(store, taskRule);
}

bool listsOnly(KNVTTaskStoreCapabilities &store, const Selection &s, TaskListRule listRule)
{
    return s.tasks().empty() && s.answer(store, listRule);
}

} // namespace

using C = KNVTTaskStoreCapabilities;

// -- Item rules ------------------------------------------------------------------------------------------------------

bool C::canEditItems(const Selection &selection)
{
    return both(*this, selection, &C::canEditTasks, &C::canEditTaskLists);
}

bool C::canDeleteItems(const Selection &selection)
{
    return canEditItems(selection);
}

bool C::canMoveItemsToInbox(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToInbox);
}

bool C::canMoveItemsToToday(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToToday);
}

bool C::canRemoveItemsFromToday(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canEditTasks);
}

bool C::canMoveItemsToNext(const Selection &selection)
{
    return both(*this, selection, &C::canMoveTasksToNext, &C::canMoveTaskListsToNext);
}

bool C::canRemoveItemsFromNext(const Selection &selection)
{
    return both(*this, selection, &C::canRemoveTasksFromNext, &C::canRemoveTaskListsFromNext);
}

bool C::canMoveItemsToSomeday(const Selection &selection)
{
    return both(*this, selection, &C::canMoveTasksToSomeday, &C::canMoveTaskListsToSomeday);
}

bool C::canRemoveItemsFromSomeday(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canEditTasks);
}

bool C::canScheduleItems(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canScheduleTasks);
}

bool C::canUnscheduledItems(const Selection &)
{
    return true;
}

bool C::canMarkItems(const Selection &selection)
{
    const std::size_t count = selection.items().size();
    const bool oneKind = (selection.taskLists().empty() && selection.tasks().size() == count)
        || (selection.tasks().empty() && selection.taskLists().size() == count);
    return oneKind
        && (canMarkItemsAsUncompleted(selection) || canMarkItemsAsCancelled(selection)
            || canMarkItemsAsCompleted(selection));
}

bool C::canMarkItemsAsCompleted(const Selection &selection)
{
    return both(*this, selection, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canMarkItemsAsUncompleted(const Selection &selection)
{
    return both(*this, selection, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canMarkItemsAsCancelled(const Selection &selection)
{
    return both(*this, selection, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canAssignItems(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canAssignTasks);
}

bool C::canStartWatchingItems(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canStartWatchingTasks);
}

bool C::canStopWatchingItems(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canStopWatchingTasks);
}

bool C::canArchiveItems(const Selection &selection)
{
    return both(*this, selection, &C::canArchiveTasks, &C::canArchiveTaskLists);
}

bool C::canUnarchiveSelectedItems(const Selection &selection)
{
    return both(*this, selection, &C::canUnarchiveTasks, &C::canUnarchiveTaskLists);
}

bool C::canDuplicateItems(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canDuplicateTasks);
}

bool C::canMoveItemsToTaskList(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToTaskList);
}

bool C::canDetachItemsFromTaskList(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canDetachTasksFromTaskList);
}

bool C::canMoveItemsToContext(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToContext);
}

bool C::shouldDisplayMoveItemsToToday(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::shouldDisplayMoveTasksToToday);
}

bool C::shouldDisplayRemoveItemsFromToday(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::shouldDisplayRemoveTasksFromToday);
}

bool C::shouldDisplayRemoveItemsFromSomeday(const Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayRemoveTasksFromSomeday, &C::shouldDisplayRemoveTaskListsFromSomeday);
}

bool C::shouldDisplayScheduleItems(const Selection &selection)
{
    return tasksOnly(*this, selection, &C::shouldDisplayScheduleTasks);
}

bool C::shouldDisplayMarkItemsAsCompleted(const Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayMarkTasksAsCompleted, &C::shouldDisplayMarkTaskListsAsCompleted);
}

bool C::shouldDisplayMarkItemsAsUncompleted(const Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayMarkTasksAsUncompleted, &C::shouldDisplayMarkTaskListsAsUncompleted);
}

bool C::shouldDisplayMarkItemsAsCancelled(const Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayMarkTasksAsCancelled, &C::shouldDisplayMarkTaskListsAsCancelled);
}

bool C::shouldDisplayReviewItems(const Selection &selection)
{
    return listsOnly(*this, selection, &C::shouldDisplayReviewTaskLists);
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
    // In Today by a start date that has come, which a move to Next takes away. A task in Today only through its
    // passed due date would stay there: it is offered Today, which gives it today's start.
    return every(tasks, [](const KNVTCDTask *task) { return task->isToday() && task->hasStarted(); });
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
