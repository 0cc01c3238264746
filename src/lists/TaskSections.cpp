#include "lists/TaskSections.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include <algorithm>

namespace knvt {

TaskSections TaskSections::byFocus(const std::vector<KNVTCDTask *> &tasks)
{
    TaskSections sections;
    for (KNVTCDTask *task : tasks) {
        if (task->isScheduled())
            sections.scheduled.push_back(task);
        else if (task->isSomeday())
            sections.someday.push_back(task);
        else if (task->isCompletedOrCancelled())
            sections.completed.push_back(task);
        else
            sections.incomplete.push_back(task);
    }
    return sections;
}

TaskSections TaskSections::byStatus(const std::vector<KNVTCDTask *> &tasks)
{
    TaskSections sections;
    for (KNVTCDTask *task : tasks) {
        if (task->isArchived() || task->deletedDate().isValid() || task->isDeleted())
            continue;
        const KNVTCDTaskList *list = task->taskList();
        const bool listIsSomeday = list && list->status() == qint64(KNVTTaskListStatusSomeday);
        if (task->status() == qint64(KNVTTaskStatusSomeday) && !listIsSomeday)
            sections.someday.push_back(task);
        else if (task->isCompletedOrCancelled())
            sections.completed.push_back(task);
        else if (task->isScheduled())
            sections.scheduled.push_back(task);
        else
            sections.incomplete.push_back(task);
    }
    return sections;
}

void TaskSections::appendRows(std::vector<ItemRow> &rows, const QString (&titles)[4]) const
{
    const std::pair<const std::vector<KNVTCDTask *> *, KNVTCDTaskStoreObject::Comparator> groups[] = {
        {&incomplete, KNVTCDTask::uncompletedTaskComparator()},
        {&scheduled, KNVTCDTask::scheduledTaskComparator()},
        {&someday, KNVTCDTask::somedayTaskComparator()},
        {&completed, KNVTCDTask::completedTaskComparator()},
    };
    for (int i = 0; i < 4; ++i) {
        std::vector<KNVTCDTask *> tasks = *groups[i].first;
        if (tasks.empty())
            continue;
        const KNVTCDTaskStoreObject::Comparator &comparator = groups[i].second;
        std::stable_sort(tasks.begin(), tasks.end(),
                         [&comparator](const KNVTCDTask *a, const KNVTCDTask *b) { return comparator(a, b); });
        rows.push_back(ItemRow::header(titles[i]));
        for (KNVTCDTask *task : tasks)
            rows.push_back(ItemRow::task(*task));
    }
}

} // namespace knvt
