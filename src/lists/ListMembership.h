#pragma once

#include "lists/ItemRow.h"
#include "lists/ListSection.h"

#include <QString>

#include <optional>

class KNVTCDTask;

namespace knvt {

// What a list answers about one task on its own, so that a save of a few tasks changes only their rows: whether the
// list shows the task and where (its section and its row), the order within a section, and the sections it may
// show. The answers must be those of the list's whole rebuild, which tests hold them to.
class ListMembership
{
public:
    virtual ~ListMembership() = default;

    struct Placement
    {
        QString section;
        ItemRow row;
    };
    // The task's section and row as the list shows it now; nullopt when the list does not show it.
    virtual std::optional<Placement> placementOfTask(KNVTCDTask &task) = 0;
    // Whether `a` comes before `b` in the section with `identifier`: a strict order without ties.
    virtual bool taskLessThan(const QString &section, const KNVTCDTask &a, const KNVTCDTask &b) = 0;
    // The section with `identifier` as the list would show it (without rows), and its rank among the list's sections
    // (sections stand in ascending rank); nullopt when the list cannot tell on its own.
    virtual std::optional<ListSection> sectionToShow(const QString &identifier) = 0;
    virtual std::optional<int> sectionRank(const QString &identifier) = 0;
};

} // namespace knvt
