#pragma once

#include "foundation/CollectionAdditions.h"

#include <QModelIndexList>

class QTreeView;

namespace knvt {

// The index shown in each visible row (rows counted over the expanded outline, top to bottom), in ascending row
// order; rows beyond the last visible row are skipped.
QModelIndexList itemsAtRowIndexes(const QTreeView *view, const IndexSet &rowIndexes);

// The index shown in visible row `row`; an invalid index when there is no such row.
QModelIndex itemAtRow(const QTreeView *view, qsizetype row);

} // namespace knvt
