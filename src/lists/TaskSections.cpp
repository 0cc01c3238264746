#include "lists/TaskSections.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/TitleSortKeys.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <optional>

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

TaskSections TaskSections::byStatus(const std::vector<KNVTCDTask *> &tasks, Archived archived,
                                    SomedayInSomedayList somedayInSomedayList)
{
    TaskSections sections;
    for (KNVTCDTask *task : tasks) {
        if (task->deletedDate().isValid() || task->isDeleted())
            continue;
        if (archived == Archived::LeftOut && task->isArchived())
            continue;
        const KNVTCDTaskList *list = task->taskList();
        const bool listIsSomeday = list && list->status() == qint64(KNVTTaskListStatusSomeday);
        const bool someday = task->status() == qint64(KNVTTaskStatusSomeday)
            && (!listIsSomeday || somedayInSomedayList == SomedayInSomedayList::IsSomeday);
        if (someday)
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

namespace {

// The model's orders of the four groups (open, scheduled, someday, closed), on keys read once per task rather than
// once per comparison, and titles compared through collation keys made only where the first key ties.
struct SortEntry
{
    KNVTCDTask *task = nullptr;
    // Incomplete: the order index; Scheduled: the earlier of start and due date; Completed: the status date.
    std::optional<qint64> key;
    std::optional<QCollatorSortKey> title;
};

std::optional<qint64> scheduleKey(const KNVTCDTask &task)
{
    const QDateTime start = task.startDate();
    const QDateTime due = task.dueDate();
    if (start.isValid() && due.isValid())
        return std::min(start, due).toMSecsSinceEpoch();
    if (start.isValid())
        return start.toMSecsSinceEpoch();
    if (due.isValid())
        return due.toMSecsSinceEpoch();
    return std::nullopt;
}

// Orders by the key (missing keys last; `descending` for the newest first), then by title where titles are known.
void sortEntries(std::vector<SortEntry> &entries, bool descending)
{
    std::stable_sort(entries.begin(), entries.end(), [descending](const SortEntry &a, const SortEntry &b) {
        if (a.key.has_value() != b.key.has_value())
            return a.key.has_value();
        if (a.key && *a.key != *b.key)
            return descending ? *a.key > *b.key : *a.key < *b.key;
        if (a.title && b.title)
            return a.title->compare(*b.title) < 0;
        return false;
    });
}

} // namespace

std::vector<KNVTCDTask *> TaskSections::sortedGroup(int i) const
{
    const std::vector<KNVTCDTask *> *groups[] = {&incomplete, &scheduled, &someday, &completed};
    const std::vector<KNVTCDTask *> &tasks = *groups[i];
    std::vector<SortEntry> entries;
    entries.reserve(tasks.size());
    QHash<qint64, int> keyCounts;
    for (KNVTCDTask *task : tasks) {
        SortEntry entry{task, std::nullopt, std::nullopt};
        switch (i) {
        case 0: entry.key = task->taskListOrderIndex(); break;
        case 1: entry.key = scheduleKey(*task); break;
        case 3: {
            const QDateTime date = task->statusModifiedDate();
            if (date.isValid())
                entry.key = date.toMSecsSinceEpoch();
            break;
        }
        default: break;
        }
        if (entry.key)
            ++keyCounts[*entry.key];
        entries.push_back(std::move(entry));
    }
    // Closed tasks have no second order; the others fall back on their titles where the first key does not decide.
    if (i != 3) {
        for (SortEntry &entry : entries)
            if (!entry.key || keyCounts.value(*entry.key) > 1)
                entry.title = TitleSortKeys::sortKey(entry.task->title());
    }
    sortEntries(entries, /*descending=*/i == 3);
    std::vector<KNVTCDTask *> sorted;
    sorted.reserve(entries.size());
    for (const SortEntry &entry : entries)
        sorted.push_back(entry.task);
    return sorted;
}

void TaskSections::appendRows(std::vector<ItemRow> &rows, const QString (&titles)[4], ItemRowCache *cache) const
{
    for (int i = 0; i < 4; ++i) {
        const std::vector<KNVTCDTask *> tasks = sortedGroup(i);
        if (tasks.empty())
            continue;
        rows.push_back(ItemRow::header(titles[i]));
        for (KNVTCDTask *task : tasks)
            rows.push_back(ItemRow::task(*task, true, cache));
    }
}

KNVTOutlineViewSection::Pointer TaskSections::outlineSection(const char *identifier)
{
    return KNVTOutlineViewSection::create(
        QString::fromLatin1(identifier),
        QCoreApplication::translate("KNVTTaskStoreItemsOutlineViewController", identifier));
}

std::vector<OutlineSection> TaskSections::outlineSections(bool showsTaskListTitle, ItemRowCache *cache) const
{
    static const char *const identifiers[4] = {
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Incomplete"),
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Scheduled"),
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Someday"),
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Completed")};
    std::vector<OutlineSection> sections;
    for (int i = 0; i < 4; ++i) {
        const std::vector<KNVTCDTask *> tasks = sortedGroup(i);
        if (tasks.empty())
            continue;
        OutlineSection section{outlineSection(identifiers[i]), {}};
        section.rows.reserve(tasks.size());
        for (KNVTCDTask *task : tasks)
            section.rows.push_back(ItemRow::task(*task, showsTaskListTitle, cache));
        sections.push_back(std::move(section));
    }
    return sections;
}

} // namespace knvt
