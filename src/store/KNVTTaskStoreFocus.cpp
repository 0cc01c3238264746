#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTTaskListFocusType.h"

#include <algorithm>
#include <optional>

namespace {

std::optional<KNVTTaskListFocusType> listFocus(KNVTFocusType focus)
{
    switch (focus) {
    case KNVTFocusTypeToday: return KNVTTaskListFocusTypeToday;
    case KNVTFocusTypeNext: return KNVTTaskListFocusTypeNext;
    case KNVTFocusTypeSomeday: return KNVTTaskListFocusTypeSomeday;
    case KNVTFocusTypeArchived: return KNVTTaskListFocusTypeArchived;
    default: return std::nullopt;
    }
}

} // namespace

void KNVTTaskStore::moveItemsToFocus(const Items &items, KNVTFocusType focus)
{
    const Selection selection(items);
    const Tasks &tasks = selection.tasks();
    const TaskLists &lists = selection.taskLists();
    if (focus == KNVTFocusTypeInbox) {
        KNVTCDUser *mine = me();
        for (KNVTCDTask *task : tasks) {
            task->setFocusType(KNVTFocusTypeInbox);
            if (mine && task->assignee() != mine)
                task->setAssignee(mine);
        }
        saveUserChanges();
        return;
    }
    const std::optional<KNVTTaskListFocusType> forLists = listFocus(focus);
    if (!forLists)
        return;
    const bool listsFirst = focus == KNVTFocusTypeToday || focus == KNVTFocusTypeSomeday;
    if (listsFirst)
        for (KNVTCDTaskList *list : lists)
            list->setFocusType(*forLists);
    for (KNVTCDTask *task : tasks)
        task->setFocusType(focus);
    if (!listsFirst)
        for (KNVTCDTaskList *list : lists)
            list->setFocusType(*forLists);
    saveUserChanges();
}

void KNVTTaskStore::toggleToday(const Items &items)
{
    const Selection selection(items);
    const Tasks &tasks = selection.tasks();
    const TaskLists &lists = selection.taskLists();
    if (tasks.empty() && lists.empty())
        return;
    const bool listsInToday = std::all_of(lists.begin(), lists.end(), [this](const KNVTCDTaskList *list) {
        Tasks open = list->tasks();
        std::erase_if(open, [](const KNVTCDTask *task) { return task->isCompletedOrCancelled(); });
        return !list->isArchived() && (open.empty() || shouldDisplayRemoveTasksFromToday(open));
    });
    const bool inToday = listsInToday && (tasks.empty() || shouldDisplayRemoveTasksFromToday(tasks));
    moveItemsToFocus(items, inToday ? KNVTFocusTypeNext : KNVTFocusTypeToday);
}
