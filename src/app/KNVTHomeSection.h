#pragma once

#include "app/HomeEntry.h"
#include "app/KNVTHomeSectionType.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <vector>

class KNVTTaskStore;

// One section of the home list and the entries under it, fetched and ordered when it is made: Focus (the focus lists
// and the overview item), Projects, Areas, Tags and Archived. It remembers in the user defaults whether it is
// expanded; Focus is always expanded and cannot collapse. A section is a snapshot: the list makes new ones at every
// store change. Two sections of the same type are equal.
class KNVTHomeSection
{
public:
    explicit KNVTHomeSection(int homeSectionType, KNVTTaskStore *store = nullptr);

    // The types stored as expanded (nothing when the defaults hold no array).
    static QList<int> expandedHomeSectionNumbers();
    // The upper-cased name of the type; "-" for a type outside the five.
    static QString localizedDisplayNameForHomeSectionType(int homeSectionType);

    int homeSectionType() const { return m_type; }
    const QString &localizedDisplayName() const { return m_localizedDisplayName; }
    const std::vector<knvt::HomeEntry> &children() const { return m_children; }
    qsizetype numberOfChildren() const { return qsizetype(m_children.size()); }
    const knvt::HomeEntry &childAtIndex(qsizetype index) const { return m_children.at(size_t(index)); }

    // Focus lists reload their own counts (Delegated stays as it was); the lists are fetched again.
    void reloadData();

    bool isExpanded() const { return m_expanded; }
    // Writes the defaults first (each type once), then the flag.
    void setExpanded(bool expanded);
    bool isExpandable() const { return true; }
    bool isCollapsible() const { return m_type != KNVTHomeSectionTypeFocus; }

    bool operator==(const KNVTHomeSection &other) const { return m_type == other.m_type; }

private:
    void fetchChildren();
    KNVTTaskStore &store() const;

    int m_type;
    QString m_localizedDisplayName;
    std::vector<knvt::HomeEntry> m_children;
    bool m_expanded = false;
    KNVTTaskStore *m_store;
};

inline size_t qHash(const KNVTHomeSection &section, size_t seed = 0)
{
    return qHash(section.localizedDisplayName(), seed);
}
