#include "uikit/OutlineViewAdditions.h"

#include <QTreeView>

namespace knvt {

namespace {

QModelIndex firstRow(const QTreeView *view)
{
    const QAbstractItemModel *model = view->model();
    if (model == nullptr)
        return {};
    QModelIndex index = model->index(0, 0, view->rootIndex());
    // The first row may itself be hidden; indexBelow() skips hidden rows from there on.
    while (index.isValid() && view->isRowHidden(index.row(), index.parent()))
        index = view->indexBelow(index);
    return index;
}

} // namespace

QModelIndexList itemsAtRowIndexes(const QTreeView *view, const IndexSet &rowIndexes)
{
    QModelIndexList items;
    QModelIndex index = firstRow(view);
    qsizetype row = 0;
    for (const qsizetype wanted : indexes(rowIndexes)) {
        if (wanted < 0)
            continue;
        while (index.isValid() && row < wanted) {
            index = view->indexBelow(index);
            ++row;
        }
        if (!index.isValid())
            break;
        items.append(index);
    }
    return items;
}

QModelIndex itemAtRow(const QTreeView *view, qsizetype row)
{
    const QModelIndexList items = itemsAtRowIndexes(view, IndexSet{row});
    return items.isEmpty() ? QModelIndex() : items.first();
}

} // namespace knvt
