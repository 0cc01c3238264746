#pragma once

#include "lists/ListMembership.h"
#include "lists/TaskSections.h"

#include <QString>

#include <array>
#include <functional>

namespace knvt {

class ItemRowCache;

// Where one task stands in a list of tasks grouped by their state (TaskSections::byStatus): the list's own condition
// on the task, then the group of its state, in the order of that group.
class StatusMembership final : public ListMembership
{
public:
    struct Sections
    {
        // The identifier and the shown name of each group's section, from Incomplete to Completed.
        std::array<QString, 4> identifiers;
        std::array<QString, 4> names;
    };

    StatusMembership(
        std::function<bool(KNVTCDTask &)> belongs, Sections sections,
        TaskSections::Archived archived = TaskSections::Archived::LeftOut,
        TaskSections::SomedayInSomedayList somedayInSomedayList = TaskSections::SomedayInSomedayList::CountsAsOther,
        bool showsTaskListTitle = true, ItemRowCache *cache = nullptr);

    // The sections of the outline lists and of the table lists with `titles` as identifiers and names.
    static Sections outlineSections();
    static Sections tableSections(const QString (&titles)[4]);

    std::optional<Placement> placementOfTask(KNVTCDTask &task) override;
    bool taskLessThan(const QString &section, const KNVTCDTask &a, const KNVTCDTask &b) override;
    std::optional<ListSection> sectionToShow(const QString &identifier) override;
    std::optional<int> sectionRank(const QString &identifier) override;

private:
    int groupOf(const QString &identifier) const;

    std::function<bool(KNVTCDTask &)> m_belongs;
    Sections m_sections;
    TaskSections::Archived m_archived;
    TaskSections::SomedayInSomedayList m_somedayInSomedayList;
    bool m_showsTaskListTitle;
    ItemRowCache *m_cache;
};

} // namespace knvt
