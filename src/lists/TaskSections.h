#pragma once

#include "lists/ItemRow.h"
#include "lists/ListSection.h"

#include "model/TitleKeysUnderWay.h"

#include <QHash>
#include <QString>

#include <QCollatorSortKey>

#include <optional>
#include <vector>

class KNVTCDTask;

namespace ostore {
class Object;
}

namespace knvt {

// The four groups of the lists that sort tasks by state, each shown under its header in this order and sorted by
// its own comparator (the model's orders of open, scheduled, someday and closed tasks).
struct TaskSections
{
    std::vector<KNVTCDTask *> incomplete;
    std::vector<KNVTCDTask *> scheduled;
    std::vector<KNVTCDTask *> someday;
    std::vector<KNVTCDTask *> completed;

    // Inbox: scheduled first, then someday, then closed, the rest incomplete.
    static TaskSections byFocus(const std::vector<KNVTCDTask *> &tasks);
    enum class Archived { LeftOut, Kept };
    // Whether a someday task of a list that is itself someday stands under Someday or counts as any other task.
    enum class SomedayInSomedayList { CountsAsOther, IsSomeday };

    // Tombstoned tasks are left out, archived ones as `archived` says; a someday task is in Someday (but see
    // `somedayInSomedayList`); then closed, scheduled, incomplete. Watched tasks and the table of one list leave
    // archived tasks out and count a someday list's someday tasks as any other.
    static TaskSections byStatus(const std::vector<KNVTCDTask *> &tasks, Archived archived = Archived::LeftOut,
                                 SomedayInSomedayList somedayInSomedayList = SomedayInSomedayList::CountsAsOther);

    // The group (0 incomplete to 3 completed) of one task, as byFocus() and byStatus() decide it; nullopt for a task
    // byStatus() leaves out.
    static int focusGroupOf(const KNVTCDTask &task);
    static std::optional<int>
    statusGroupOf(const KNVTCDTask &task, Archived archived = Archived::LeftOut,
                  SomedayInSomedayList somedayInSomedayList = SomedayInSomedayList::CountsAsOther);

    // The group at `i` (0 incomplete to 3 completed), sorted by its comparator.
    std::vector<KNVTCDTask *> sortedGroup(int i) const;

    // The sort of sortedGroup() cut into steps of bounded work, for a list of very many tasks that sorts between
    // events: each step() reads the keys of a few hundred tasks, sorts one run of a few thousand or merges as many
    // into longer runs, and answers true once the group is sorted. The tasks must stay as they are until then.
    class GroupSort
    {
    public:
        explicit GroupSort(int group);
        GroupSort(int group, const std::vector<KNVTCDTask *> &tasks);
        // Reads what the group's order needs of `task` while it is at hand. The collation keys of the titles that
        // order tasks without a key are made on the pool's threads meanwhile.
        void add(KNVTCDTask *task);
        size_t size() const { return m_head.size() + m_entries.size(); }
        // Asks for the first `rows` tasks of a large group in their order before the rest: a list shows them while the
        // rest is sorted. Before the first step.
        void setHeadRows(size_t rows) { m_headRows = rows; }
        // The first tasks are in their order, and not yet taken.
        bool hasHead() const { return !m_head.empty() && !m_headTaken; }
        std::vector<KNVTCDTask *> takeHead();
        bool step();
        // The group in its order once step() answered true: after takeHead(), the tasks that follow the head.
        std::vector<KNVTCDTask *> sorted() const;

    private:
        struct Entry
        {
            KNVTCDTask *task = nullptr;
            // The task's identity, the last order, kept here: read through the task, it costs a sort of very many
            // tasks a wait for memory at every comparison.
            qint64 zid = 0;
            // Incomplete: the order index; Scheduled: the earlier of start and due date; Completed: the status date.
            std::optional<qint64> key;
            // The collation key of the title, in m_titleKeys, where the order needs it.
            const QCollatorSortKey *title = nullptr;
        };
        bool lessThan(const Entry &a, const Entry &b) const;
        // The collation keys of the titles of these entries.
        void makeTitleKeys(const std::vector<size_t> &entries);
        // Points these entries, in order, at those keys, which this sort keeps.
        void keepTitleKeys(TitleKeysUnderWay::Keys keys, const std::vector<size_t> &entries);

        int m_group;
        std::vector<Entry> m_entries;
        std::vector<Entry> m_merged;
        enum class Stage { Keys, Titles, Head, Runs, Merges, Done } m_stage = Stage::Keys;
        size_t m_headRows = 0;
        std::vector<KNVTCDTask *> m_head;
        bool m_headTaken = false;
        size_t m_next = 0;
        size_t m_width = 0;
        size_t m_left = 0;
        QHash<qint64, int> m_keyCounts;
        // The entries without a key, whose titles' keys m_keysUnderWay makes in this order.
        std::vector<size_t> m_titled;
        TitleKeysUnderWay m_keysUnderWay;
        // The collation keys the entries point to, in the batches that made them, which stay where they are when the
        // batches move.
        TitleKeysUnderWay::Keys m_titleKeys;
    };
    std::vector<KNVTCDTask *> &group(int i);
    // The order of sortedGroup(): whether `a` comes before `b` in group `group`. Tasks that tie on everything shown
    // are ordered by their identities, so a task placed on its own lands where a whole sort would put it.
    static bool lessThan(int group, const KNVTCDTask &a, const KNVTCDTask &b);
    // The last order of every sort of the lists: by identity.
    static bool identityLessThan(const ostore::Object &a, const ostore::Object &b);

    // Each non-empty group as a section whose identifier and header are `titles[i]`.
    std::vector<ListSection> tableSections(const QString (&titles)[4], ItemRowCache *cache = nullptr) const;

    // The non-empty groups as the sections "Incomplete", "Scheduled", "Someday" and "Completed" of an outline list
    // (names localised). `showsTaskListTitle`: the rows name each task's list.
    std::vector<ListSection> outlineSections(bool showsTaskListTitle, ItemRowCache *cache = nullptr) const;
    // The identifiers of the four groups' outline sections.
    static const char *outlineIdentifier(int group);
    // The section of an outline list with `identifier`, shown as its localised name.
    static KNVTOutlineViewSection::Pointer outlineSection(const char *identifier);
};

} // namespace knvt
