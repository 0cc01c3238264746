#include "lists/TaskSections.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/TitleSortKeys.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <optional>
#include <utility>

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
    // The status first, and the list only for a someday task: a search groups every task it finds.
    const std::optional<qint64> status = task.status();
    if (status == qint64(KNVTTaskStatusSomeday)) {
        const KNVTCDTaskList *list = task.taskList();
        const bool listIsSomeday = list && list->status() == qint64(KNVTTaskListStatusSomeday);
        if (!listIsSomeday || somedayInSomedayList == SomedayInSomedayList::IsSomeday)
            return 2;
    }
    if (status == qint64(KNVTTaskStatusCompleted) || status == qint64(KNVTTaskStatusCancelled))
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

// What one step of a GroupSort does: the keys or titles of this many tasks, or a run of this many sorted. The titles'
// collation keys, a microsecond or two each, are shared with other threads, each of which takes a few hundred.
constexpr size_t kKeysPerStep = 2048;
constexpr size_t kRunLength = 2048;

} // namespace

TaskSections::GroupSort::GroupSort(int group) : m_group(group) {}

TaskSections::GroupSort::GroupSort(int group, const std::vector<KNVTCDTask *> &tasks) : m_group(group)
{
    m_entries.reserve(tasks.size());
    for (KNVTCDTask *task : tasks)
        add(task);
}

void TaskSections::GroupSort::add(KNVTCDTask *task)
{
    Entry entry{task, task->objectID().zid, groupKey(m_group, *task), nullptr};
    if (entry.key) {
        // Closed tasks have no second order: their ties need no count.
        if (m_group != 3)
            ++m_keyCounts[*entry.key];
    } else if (m_group != 3) {
        // Without a key a task sorts by its title whatever the others' keys are.
        m_titled.push_back(m_entries.size());
        m_keysUnderWay.add(task->title());
    }
    m_entries.push_back(std::move(entry));
}

// Orders by the key (missing keys last; the newest first for closed tasks), then by title where titles are known,
// then by the objects' identities, so that the order is the same whichever order the tasks came in.
bool TaskSections::GroupSort::lessThan(const Entry &a, const Entry &b) const
{
    if (a.key.has_value() != b.key.has_value())
        return a.key.has_value();
    if (a.key && *a.key != *b.key)
        return m_group == 3 ? *a.key > *b.key : *a.key < *b.key;
    if (a.title && b.title)
        if (const int order = a.title->compare(*b.title); order != 0)
            return order < 0;
    // The tasks of a group are all of one entity.
    return a.zid < b.zid;
}

void TaskSections::GroupSort::keepTitleKeys(TitleKeysUnderWay::Keys keys, const std::vector<size_t> &entries)
{
    size_t k = 0;
    for (std::vector<QCollatorSortKey> &batch : keys)
        for (const QCollatorSortKey &key : m_titleKeys.emplace_back(std::move(batch)))
            m_entries[entries[k++]].title = &key;
}

void TaskSections::GroupSort::makeTitleKeys(const std::vector<size_t> &entries)
{
    std::vector<QString> titles;
    titles.reserve(entries.size());
    for (const size_t i : entries)
        titles.push_back(m_entries[i].task->title());
    keepTitleKeys(TitleSortKeys::sortKeys(std::move(titles)), entries);
}

bool TaskSections::GroupSort::step()
{
    const size_t count = m_entries.size();
    const auto less = [this](const Entry &a, const Entry &b) { return lessThan(a, b); };
    switch (m_stage) {
    case Stage::Keys: {
        if (!m_keysUnderWay.collect(kKeysPerStep))
            return false;
        keepTitleKeys(m_keysUnderWay.takeKeys(), m_titled);
        m_titled = {};
        // Closed tasks have no second order; the others fall back on their titles where the first key does not
        // decide.
        m_stage = m_group == 3 ? Stage::Head : Stage::Titles;
        m_next = 0;
        return false;
    }
    case Stage::Titles: {
        std::vector<size_t> titled;
        for (const size_t end = std::min(count, m_next + kKeysPerStep); m_next < end; ++m_next) {
            const Entry &entry = m_entries[m_next];
            if (entry.key && m_keyCounts.value(*entry.key) > 1)
                titled.push_back(m_next);
        }
        makeTitleKeys(titled);
        if (m_next == count) {
            m_stage = Stage::Head;
            m_next = 0;
        }
        return false;
    }
    case Stage::Head: {
        m_stage = Stage::Runs;
        // Worth it only where the rest is far longer than the head: the head alone is then found in a fraction of
        // the time of the whole order.
        if (m_headRows == 0 || count <= 2 * m_headRows)
            return false;
        const auto headEnd = m_entries.begin() + qsizetype(m_headRows);
        std::nth_element(m_entries.begin(), headEnd, m_entries.end(), less);
        std::sort(m_entries.begin(), headEnd, less);
        m_head.reserve(m_headRows);
        for (auto entry = m_entries.begin(); entry != headEnd; ++entry)
            m_head.push_back(entry->task);
        m_entries.erase(m_entries.begin(), headEnd);
        return false;
    }
    case Stage::Runs: {
        const size_t end = std::min(count, m_next + kRunLength);
        std::sort(m_entries.begin() + qsizetype(m_next), m_entries.begin() + qsizetype(end), less);
        m_next = end;
        if (m_next == count) {
            m_stage = Stage::Merges;
            m_next = 0;
            m_width = kRunLength;
        }
        return false;
    }
    case Stage::Merges: {
        // Runs of m_width are merged pairwise from m_entries into m_merged, a bounded share per step; each pass ends
        // with the two swapped and the runs twice as long.
        if (m_width >= count) {
            m_stage = Stage::Done;
            return true;
        }
        if (m_merged.size() != count)
            m_merged.resize(count);
        for (size_t budget = kRunLength; budget > 0 && m_next < count; --budget) {
            const size_t start = m_next / (2 * m_width) * (2 * m_width);
            const size_t middle = std::min(count, start + m_width);
            const size_t end = std::min(count, start + 2 * m_width);
            // m_next counts the entries written; m_left those of them taken from the left run.
            const size_t left = start + m_left;
            const size_t right = middle + (m_next - start - m_left);
            const bool takeLeft = left < middle && (right >= end || !lessThan(m_entries[right], m_entries[left]));
            m_merged[m_next++] = std::move(m_entries[takeLeft ? left : right]);
            m_left += takeLeft ? 1 : 0;
            if (m_next == end)
                m_left = 0;
        }
        if (m_next == count) {
            m_entries.swap(m_merged);
            m_next = 0;
            m_width *= 2;
        }
        return false;
    }
    case Stage::Done: return true;
    }
    return true;
}

std::vector<KNVTCDTask *> TaskSections::GroupSort::takeHead()
{
    m_headTaken = true;
    return std::exchange(m_head, {});
}

std::vector<KNVTCDTask *> TaskSections::GroupSort::sorted() const
{
    std::vector<KNVTCDTask *> tasks = m_head;
    tasks.reserve(m_head.size() + m_entries.size());
    for (const Entry &entry : m_entries)
        tasks.push_back(entry.task);
    return tasks;
}

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
    GroupSort sort(i, *groups[i]);
    while (!sort.step()) {}
    return sort.sorted();
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
