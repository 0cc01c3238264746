#pragma once

#include "objectstore/Predicate.h"
#include "objectstore/SortDescriptor.h"

#include <vector>

namespace ostore {

// What to fetch: an entity by name, an optional predicate (empty = all), sort keys and a limit (0 = none), which
// applies after the sort.
struct FetchRequest
{
    QString entity;
    Predicate predicate;
    std::vector<SortDescriptor> sort;
    qsizetype limit = 0;
};

} // namespace ostore
