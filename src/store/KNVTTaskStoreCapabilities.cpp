#include "store/KNVTTaskStoreCapabilities.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListType.h"

#include "foundation/Clock.h"

#include <algorithm>
#include <functional>
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

template <class Rule>
bool remembered(std::vector<std::pair<Rule, bool>> &answers, Rule rule, const std::function<bool()> &ask)
{
    for (const auto &[asked, answer] : answers)
        if (asked == rule)
            return answer;
    const bool answer = ask();
    answers.emplace_back(rule, answer);
    return answer;
}

} // namespace

bool KNVTTaskStoreCapabilities::Selection::answer(KNVTTaskStoreCapabilities &store, TaskRule rule)
{
    return remembered(m_taskAnswers, rule, [&] { return (store.*rule)(m_tasks); });
}

bool KNVTTaskStoreCapabilities::Selection::answer(KNVTTaskStoreCapabilities &store, TaskListRule rule)
{
    return remembered(m_taskListAnswers, rule, [&] { return (store.*rule)(m_taskLists); });
}

// -- Combining the layers --------------------------------------------------------------------------------------------

namespace {

using Selection = KNVTTaskStoreCapabilities::Selection;

// A selection of tasks only is judged by the task rule, of lists only by the list rule, a mixed one by both.
bool both(KNVTTaskStoreCapabilities &store, Selection &s, TaskRule taskRule, TaskListRule listRule)
{
    const bool t = s.answer(store, taskRule);
    const bool l = s.answer(store, listRule);
    return (t && l) || (t && s.taskLists().empty()) || (l && s.tasks().empty());
}

bool tasksOnly(KNVTTaskStoreCapabilities &store, Selection &s, TaskRule taskRule)
{
    return s.taskLists().empty() && s.answer(store, taskRule);
}

bool listsOnly(KNVTTaskStoreCapabilities &store, Selection &s, TaskListRule listRule)
{
    return s.tasks().empty() && s.answer(store, listRule);
}

} // namespace

using C = KNVTTaskStoreCapabilities;

// -- Item rules ------------------------------------------------------------------------------------------------------

bool C::canEditItems(const Items &items)
{
    Selection selection(items);
    return canEditItems(selection);
}

bool C::canEditItems(Selection &selection)
{
    return both(*this, selection, &C::canEditTasks, &C::canEditTaskLists);
}

bool C::canDeleteItems(const Items &items)
{
    Selection selection(items);
    return canDeleteItems(selection);
}

bool C::canDeleteItems(Selection &selection)
{
    return canEditItems(selection);
}

bool C::canMoveItemsToInbox(const Items &items)
{
    Selection selection(items);
    return canMoveItemsToInbox(selection);
}

bool C::canMoveItemsToInbox(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToInbox);
}

bool C::canMoveItemsToToday(const Items &items)
{
    Selection selection(items);
    return canMoveItemsToToday(selection);
}

bool C::canMoveItemsToToday(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToToday);
}

bool C::canRemoveItemsFromToday(const Items &items)
{
    Selection selection(items);
    return canRemoveItemsFromToday(selection);
}

bool C::canRemoveItemsFromToday(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canEditTasks);
}

bool C::canMoveItemsToNext(const Items &items)
{
    Selection selection(items);
    return canMoveItemsToNext(selection);
}

bool C::canMoveItemsToNext(Selection &selection)
{
    return both(*this, selection, &C::canMoveTasksToNext, &C::canMoveTaskListsToNext);
}

bool C::canRemoveItemsFromNext(const Items &items)
{
    Selection selection(items);
    return canRemoveItemsFromNext(selection);
}

bool C::canRemoveItemsFromNext(Selection &selection)
{
    return both(*this, selection, &C::canRemoveTasksFromNext, &C::canRemoveTaskListsFromNext);
}

bool C::canMoveItemsToSomeday(const Items &items)
{
    Selection selection(items);
    return canMoveItemsToSomeday(selection);
}

bool C::canMoveItemsToSomeday(Selection &selection)
{
    return both(*this, selection, &C::canMoveTasksToSomeday, &C::canMoveTaskListsToSomeday);
}

bool C::canRemoveItemsFromSomeday(const Items &items)
{
    Selection selection(items);
    return canRemoveItemsFromSomeday(selection);
}

bool C::canRemoveItemsFromSomeday(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canEditTasks);
}

bool C::canScheduleItems(const Items &items)
{
    Selection selection(items);
    return canScheduleItems(selection);
}

bool C::canScheduleItems(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canScheduleTasks);
}

bool C::canUnscheduledItems(const Items &items)
{
    Selection selection(items);
    return canUnscheduledItems(selection);
}

bool C::canUnscheduledItems(Selection &)
{
    return true;
}

bool C::canMarkItems(const Items &items)
{
    Selection selection(items);
    return canMarkItems(selection);
}

bool C::canMarkItems(Selection &selection)
{
    const std::size_t count = selection.items().size();
    const bool oneKind = (selection.taskLists().empty() && selection.tasks().size() == count)
        || (selection.tasks().empty() && selection.taskLists().size() == count);
    return oneKind
        && (canMarkItemsAsUncompleted(selection) || canMarkItemsAsCancelled(selection)
            || canMarkItemsAsCompleted(selection));
}

bool C::canMarkItemsAsCompleted(const Items &items)
{
    Selection selection(items);
    return canMarkItemsAsCompleted(selection);
}

bool C::canMarkItemsAsCompleted(Selection &selection)
{
    return both(*this, selection, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canMarkItemsAsUncompleted(const Items &items)
{
    Selection selection(items);
    return canMarkItemsAsUncompleted(selection);
}

bool C::canMarkItemsAsUncompleted(Selection &selection)
{
    return both(*this, selection, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canMarkItemsAsCancelled(const Items &items)
{
    Selection selection(items);
    return canMarkItemsAsCancelled(selection);
}

bool C::canMarkItemsAsCancelled(Selection &selection)
{
    return both(*this, selection, &C::canMarkTasks, &C::canMarkTaskLists);
}

bool C::canAssignItems(const Items &items)
{
    Selection selection(items);
    return canAssignItems(selection);
}

bool C::canAssignItems(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canAssignTasks);
}

bool C::canStartWatchingItems(const Items &items)
{
    Selection selection(items);
    return canStartWatchingItems(selection);
}

bool C::canStartWatchingItems(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canStartWatchingTasks);
}

bool C::canStopWatchingItems(const Items &items)
{
    Selection selection(items);
    return canStopWatchingItems(selection);
}

bool C::canStopWatchingItems(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canStopWatchingTasks);
}

bool C::canArchiveItems(const Items &items)
{
    Selection selection(items);
    return canArchiveItems(selection);
}

bool C::canArchiveItems(Selection &selection)
{
    return both(*this, selection, &C::canArchiveTasks, &C::canArchiveTaskLists);
}

bool C::canUnarchiveSelectedItems(const Items &items)
{
    Selection selection(items);
    return canUnarchiveSelectedItems(selection);
}

bool C::canUnarchiveSelectedItems(Selection &selection)
{
    return both(*this, selection, &C::canUnarchiveTasks, &C::canUnarchiveTaskLists);
}

bool C::canDuplicateItems(const Items &items)
{
    Selection selection(items);
    return canDuplicateItems(selection);
}

bool C::canDuplicateItems(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canDuplicateTasks);
}

bool C::canMoveItemsToTaskList(const Items &items)
{
    Selection selection(items);
    return canMoveItemsToTaskList(selection);
}

bool C::canMoveItemsToTaskList(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToTaskList);
}

bool C::canDetachItemsFromTaskList(const Items &items)
{
    Selection selection(items);
    return canDetachItemsFromTaskList(selection);
}

bool C::canDetachItemsFromTaskList(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canDetachTasksFromTaskList);
}

bool C::canMoveItemsToContext(const Items &items)
{
    Selection selection(items);
    return canMoveItemsToContext(selection);
}

bool C::canMoveItemsToContext(Selection &selection)
{
    return tasksOnly(*this, selection, &C::canMoveTasksToContext);
}

bool C::shouldDisplayMoveItemsToToday(const Items &items)
{
    Selection selection(items);
    return shouldDisplayMoveItemsToToday(selection);
}

bool C::shouldDisplayMoveItemsToToday(Selection &selection)
{
    return tasksOnly(*this, selection, &C::shouldDisplayMoveTasksToToday);
}

bool C::shouldDisplayRemoveItemsFromToday(const Items &items)
{
    Selection selection(items);
    return shouldDisplayRemoveItemsFromToday(selection);
}

bool C::shouldDisplayRemoveItemsFromToday(Selection &selection)
{
    return tasksOnly(*this, selection, &C::shouldDisplayRemoveTasksFromToday);
}

bool C::shouldDisplayRemoveItemsFromSomeday(const Items &items)
{
    Selection selection(items);
    return shouldDisplayRemoveItemsFromSomeday(selection);
}

bool C::shouldDisplayRemoveItemsFromSomeday(Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayRemoveTasksFromSomeday, &C::shouldDisplayRemoveTaskListsFromSomeday);
}

bool C::shouldDisplayScheduleItems(const Items &items)
{
    Selection selection(items);
    return shouldDisplayScheduleItems(selection);
}

bool C::shouldDisplayScheduleItems(Selection &selection)
{
    return tasksOnly(*this, selection, &C::shouldDisplayScheduleTasks);
}

bool C::shouldDisplayMarkItemsAsCompleted(const Items &items)
{
    Selection selection(items);
    return shouldDisplayMarkItemsAsCompleted(selection);
}

bool C::shouldDisplayMarkItemsAsCompleted(Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayMarkTasksAsCompleted, &C::shouldDisplayMarkTaskListsAsCompleted);
}

bool C::shouldDisplayMarkItemsAsUncompleted(const Items &items)
{
    Selection selection(items);
    return shouldDisplayMarkItemsAsUncompleted(selection);
}

bool C::shouldDisplayMarkItemsAsUncompleted(Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayMarkTasksAsUncompleted, &C::shouldDisplayMarkTaskListsAsUncompleted);
}

bool C::shouldDisplayMarkItemsAsCancelled(const Items &items)
{
    Selection selection(items);
    return shouldDisplayMarkItemsAsCancelled(selection);
}

bool C::shouldDisplayMarkItemsAsCancelled(Selection &selection)
{
    return both(*this, selection, &C::shouldDisplayMarkTasksAsCancelled, &C::shouldDisplayMarkTaskListsAsCancelled);
}

bool C::shouldDisplayReviewItems(const Items &items)
{
    Selection selection(items);
    return shouldDisplayReviewItems(selection);
}

bool C::shouldDisplayReviewItems(Selection &selection)
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
    const QDateTime now = knvt::Clock::shared().now();
    return every(tasks, [&now](const KNVTCDTask *task) {
        return task->isToday() && task->startDate().isValid() && task->startDate() < now;
    });
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
