#pragma once

#include "objectstore/Types.h"

#include <QString>

namespace ostore {

// One sort key. Nulls come first when ascending (last when descending).
struct SortDescriptor
{
    QString key;
    bool ascending = true;
    Collation collation = Collation::Binary;
};

} // namespace ostore
