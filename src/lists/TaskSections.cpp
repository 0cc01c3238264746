#include "lists/TaskSections.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/TitleSortKeys.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <optional>

namespace knvt {

int TaskSections::focusGroupOf(const KNVTCDTask &task)
{
    if (task.isScheduled())
        return 1;
    if (task.isSomeday())
        return 2;
    if (task.isCompletedOrCancelled())
        return 3;
    return 0;
}

std::optional<int> TaskSections::statusGroupOf(const KNVTCDTask &task, Archived archived,
                                               SomedayInSomedayList somedayInSomedayList)
{
    if (task.deletedDate().isValid() || task.isDeleted())
        return std::nullopt;
    if (archived == Archived::LeftOut && task.isArchived())
        return std::nullopt;
    const KNVTCDTaskList *list = task.taskList();
    const bool listIsSomeday = list && list->status() == qint64(KNVTTaskListStatusSomeday);
    const bool someday = task.status() == qint64(KNVTTaskStatusSomeday)
        && (!listIsSomeday || somedayInSomedayList == SomedayInSomedayList::IsSomeday);
    if (someday)
        return 2;
    if (task.isCompletedOrCancelled())
        return 3;
    if (task.isScheduled())
        return 1;
    return 0;
}

std::vector<KNVTCDTask *> &TaskSections::group(int i)
{
    std::vector<KNVTCDTask *> *groups[] = {&incomplete, &scheduled, &someday, &completed};
    return *groups[i];
}

TaskSections TaskSections::byFocus(const std::vector<KNVTCDTask *> &tasks)
{
    TaskSections sections;
    for (KNVTCDTask *task : tasks)
        sections.group(focusGroupOf(*task)).push_back(task);
    return sections;
}

TaskSections TaskSections::byStatus(const std::vector<KNVTCDTask *> &tasks, Archived archived,
                                    SomedayInSomedayList somedayInSomedayList)
{
    TaskSections sections;
    for (KNVTCDTask *task : tasks)
        if (const std::optional<int> i = statusGroupOf(*task, archived, somedayInSomedayList))
            sections.group(*i).push_back(task);
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

std::optional<qint64> groupKey(int group, const KNVTCDTask &task)
{
    switch (group) {
    case 0: return task.taskListOrderIndex();
    case 1: return scheduleKey(task);
    case 3: {
        const QDateTime date = task.statusModifiedDate();
        if (date.isValid())
            return date.toMSecsSinceEpoch();
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

// Orders by the key (missing keys last; `descending` for the newest first), then by title where titles are known,
// then by the objects' identities, so that the order is the same whichever order the tasks came in.
void sortEntries(std::vector<SortEntry> &entries, bool descending)
{
    std::sort(entries.begin(), entries.end(), [descending](const SortEntry &a, const SortEntry &b) {
        if (a.key.has_value() != b.key.has_value())
            return a.key.has_value();
        if (a.key && *a.key != *b.key)
            return descending ? *a.key > *b.key : *a.key < *b.key;
        if (a.title && b.title)
            if (const int order = a.title->compare(*b.title); order != 0)
                return order < 0;
        return TaskSections::identityLessThan(*a.task, *b.task);
    });
}

} // namespace

bool TaskSections::identityLessThan(const ostore::Object &a, const ostore::Object &b)
{
    const ostore::ObjectID x = a.objectID();
    const ostore::ObjectID y = b.objectID();
    return x.entity != y.entity ? x.entity < y.entity : x.zid < y.zid;
}

bool TaskSections::lessThan(int group, const KNVTCDTask &a, const KNVTCDTask &b)
{
    const std::optional<qint64> x = groupKey(group, a);
    const std::optional<qint64> y = groupKey(group, b);
    if (x.has_value() != y.has_value())
        return x.has_value();
    if (x && *x != *y)
        return group == 3 ? *x > *y : *x < *y;
    // Closed tasks have no second order.
    if (group != 3)
        if (const int order = TitleSortKeys::sortKey(a.title()).compare(TitleSortKeys::sortKey(b.title())); order != 0)
            return order < 0;
    return identityLessThan(a, b);
}

std::vector<KNVTCDTask *> TaskSections::sortedGroup(int i) const
{
    const std::vector<KNVTCDTask *> *groups[] = {&incomplete, &scheduled, &someday, &completed};
    const std::vector<KNVTCDTask *> &tasks = *groups[i];
    std::vector<SortEntry> entries;
    entries.reserve(tasks.size());
    QHash<qint64, int> keyCounts;
    for (KNVTCDTask *task : tasks) {
        SortEntry entry{task, groupKey(i, *task), std::nullopt};
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

std::vector<ListSection> TaskSections::tableSections(const QString (&titles)[4], ItemRowCache *cache) const
{
    std::vector<ListSection> sections;
    for (int i = 0; i < 4; ++i) {
        const std::vector<KNVTCDTask *> tasks = sortedGroup(i);
        if (tasks.empty())
            continue;
        ListSection section{KNVTOutlineViewSection::create(titles[i], titles[i]), {}, true};
        section.rows.reserve(tasks.size());
        for (KNVTCDTask *task : tasks)
            section.rows.push_back(ItemRow::task(*task, true, cache));
        sections.push_back(std::move(section));
    }
    return sections;
}

KNVTOutlineViewSection::Pointer TaskSections::outlineSection(const char *identifier)
{
    return KNVTOutlineViewSection::create(
        QString::fromLatin1(identifier),
        QCoreApplication::translate("KNVTTaskStoreItemsOutlineViewController", identifier));
}

const char *TaskSections::outlineIdentifier(int group)
{
    static const char *const identifiers[4] = {
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Incomplete"),
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Scheduled"),
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Someday"),
        QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Completed")};
    return identifiers[group];
}

std::vector<ListSection> TaskSections::outlineSections(bool showsTaskListTitle, ItemRowCache *cache) const
{
    std::vector<ListSection> sections;
    for (int i = 0; i < 4; ++i) {
        const std::vector<KNVTCDTask *> tasks = sortedGroup(i);
        if (tasks.empty())
            continue;
        ListSection section{outlineSection(outlineIdentifier(i)), {}, true};
        section.rows.reserve(tasks.size());
        for (KNVTCDTask *task : tasks)
            section.rows.push_back(ItemRow::task(*task, showsTaskListTitle, cache));
        sections.push_back(std::move(section));
    }
    return sections;
}

} // namespace knvt
