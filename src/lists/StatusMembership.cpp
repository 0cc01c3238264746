#include "lists/StatusMembership.h"

#include "model/KNVTCDTask.h"

#include <QCoreApplication>

namespace knvt {

StatusMembership::StatusMembership(std::function<bool(KNVTCDTask &)> belongs, Sections sections,
                                   TaskSections::Archived archived,
                                   TaskSections::SomedayInSomedayList somedayInSomedayList, bool showsTaskListTitle,
                                   ItemRowCache *cache)
    : m_belongs(std::move(belongs)),
      m_sections(std::move(sections)),
      m_archived(archived),
      m_somedayInSomedayList(somedayInSomedayList),
      m_showsTaskListTitle(showsTaskListTitle),
      m_cache(cache)
{}

StatusMembership::Sections StatusMembership::outlineSections()
{
    Sections sections;
    for (int i = 0; i < 4; ++i) {
        const KNVTOutlineViewSection::Pointer section =
            TaskSections::outlineSection(TaskSections::outlineIdentifier(i));
        sections.identifiers[size_t(i)] = section->identifier();
        sections.names[size_t(i)] = section->name();
    }
    return sections;
}

StatusMembership::Sections StatusMembership::tableSections(const QString (&titles)[4])
{
    Sections sections;
    for (int i = 0; i < 4; ++i) {
        sections.identifiers[size_t(i)] = titles[i];
        sections.names[size_t(i)] = titles[i];
    }
    return sections;
}

std::optional<ListMembership::Placement> StatusMembership::placementOfTask(KNVTCDTask &task)
{
    if (!m_belongs(task))
        return std::nullopt;
    const std::optional<int> group = TaskSections::statusGroupOf(task, m_archived, m_somedayInSomedayList);
    if (!group)
        return std::nullopt;
    return Placement{m_sections.identifiers[size_t(*group)], ItemRow::task(task, m_showsTaskListTitle, m_cache)};
}

bool StatusMembership::taskLessThan(const QString &section, const KNVTCDTask &a, const KNVTCDTask &b)
{
    return TaskSections::lessThan(groupOf(section), a, b);
}

std::optional<ListSection> StatusMembership::sectionToShow(const QString &identifier)
{
    const int group = groupOf(identifier);
    if (group < 0)
        return std::nullopt;
    return ListSection{KNVTOutlineViewSection::create(identifier, m_sections.names[size_t(group)]), {}, true};
}

std::optional<int> StatusMembership::sectionRank(const QString &identifier)
{
    const int group = groupOf(identifier);
    return group < 0 ? std::nullopt : std::optional<int>(group);
}

int StatusMembership::groupOf(const QString &identifier) const
{
    for (int i = 0; i < 4; ++i)
        if (m_sections.identifiers[size_t(i)] == identifier)
            return i;
    return -1;
}

} // namespace knvt
