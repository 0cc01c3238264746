#pragma once

#include "lists/ItemRow.h"

#include "uikit/KNVTOutlineViewSection.h"

#include <vector>

namespace knvt {

// One section of an item list: the section (its identifier, which no other section of the list shares and which the
// drop handling tests, and its shown name) and the rows under it, in display order. Outline lists show every
// section's name as a group row; table lists show it as a header row before the section's rows, except in the lists
// of one untitled section (`showsHeader` false).
struct ListSection
{
    KNVTOutlineViewSection::Pointer section;
    std::vector<ItemRow> rows;
    bool showsHeader = true;

    const QString &identifier() const { return section->identifier(); }
    const QString &name() const { return section->name(); }
};

} // namespace knvt
