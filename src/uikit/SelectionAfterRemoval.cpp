#include "uikit/SelectionAfterRemoval.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QTreeView>

namespace knvt {

namespace {

int gMadeElsewhere = 0;

// Whether `index` is one of the rows first..last of `parent`, or lies under one of them.
bool isInside(QModelIndex index, const QModelIndex &parent, int first, int last)
{
    for (; index.isValid(); index = index.parent())
        if (index.parent() == parent)
            return index.row() >= first && index.row() <= last;
    return false;
}

// The row shown after (`down`) or before `index`.
QModelIndex neighbour(const QAbstractItemView &view, const QModelIndex &index, bool down)
{
    if (const auto *tree = qobject_cast<const QTreeView *>(&view))
        return down ? tree->indexBelow(index) : tree->indexAbove(index);
    return index.sibling(index.row() + (down ? 1 : -1), 0);
}

// A row the selection (`selects`) or else the keyboard's row may go to: no section header.
bool canTake(const QModelIndex &index, bool selects)
{
    return index.isValid() && index.flags().testFlag(selects ? Qt::ItemIsSelectable : Qt::ItemIsEnabled);
}

// The last such row the view shows.
QModelIndex lastTaking(const QAbstractItemView &view, bool selects)
{
    const QAbstractItemModel *model = view.model();
    QModelIndex index = model->index(model->rowCount(view.rootIndex()) - 1, 0, view.rootIndex());
    if (const auto *tree = qobject_cast<const QTreeView *>(&view))
        while (index.isValid() && tree->isExpanded(index) && model->rowCount(index) > 0)
            index = model->index(model->rowCount(index) - 1, 0, index);
    while (index.isValid() && !canTake(index, selects))
        index = neighbour(view, index, false);
    return index;
}

} // namespace

SelectionAfterRemoval::MadeElsewhere::MadeElsewhere(bool elsewhere) : m_elsewhere(elsewhere)
{
    if (m_elsewhere)
        ++gMadeElsewhere;
}

SelectionAfterRemoval::MadeElsewhere::~MadeElsewhere()
{
    if (m_elsewhere)
        --gMadeElsewhere;
}

void SelectionAfterRemoval::rowsAboutToBeRemoved(QAbstractItemView &view, const QModelIndex &parent, int first,
                                                 int last)
{
    const QItemSelectionModel *selection = view.selectionModel();
    if (selection == nullptr || gMadeElsewhere > 0)
        return;
    // Only a removal that takes what is left of the selection leaves the user nowhere; in a list whose rows are never
    // selected (the task detail), one that takes the keyboard's row.
    if (selection->hasSelection()) {
        for (const QItemSelectionRange &range : selection->selection())
            if (!isInside(range.topLeft(), parent, first, last) || !isInside(range.bottomRight(), parent, first, last))
                return;
        m_selects = true;
    } else if (isInside(selection->currentIndex(), parent, first, last)) {
        m_selects = false;
    } else {
        return;
    }
    const QModelIndex lastRemoved = view.model()->index(last, 0, parent);
    QModelIndex next = m_amongSiblings ? lastRemoved.sibling(last + 1, 0) : neighbour(view, lastRemoved, true);
    while (next.isValid() && (isInside(next, parent, first, last) || !canTake(next, m_selects)))
        next = m_amongSiblings ? next.sibling(next.row() + 1, 0) : neighbour(view, next, true);
    m_successor = next;
    m_parent = parent;
    m_underRoot = !parent.isValid();
    if (m_waiting)
        return;
    m_waiting = true;
    QObject::connect(
        view.model(), &QAbstractItemModel::rowsRemoved, &view, [this, &view] { rowsRemoved(view); },
        Qt::SingleShotConnection);
}

void SelectionAfterRemoval::rowsRemoved(QAbstractItemView &view)
{
    m_waiting = false;
    QItemSelectionModel *selection = view.selectionModel();
    if (selection == nullptr || (m_selects && selection->hasSelection()))
        return;
    QModelIndex next = m_successor;
    if (!canTake(next, m_selects) && !m_amongSiblings) {
        next = lastTaking(view, m_selects);
    } else if (!canTake(next, m_selects) && (m_underRoot || m_parent.isValid())) {
        next = view.model()->index(view.model()->rowCount(m_parent) - 1, 0, m_parent);
        while (next.isValid() && !canTake(next, m_selects))
            next = next.sibling(next.row() - 1, 0);
    }
    m_successor = QPersistentModelIndex();
    if (!next.isValid())
        return;
    selection->setCurrentIndex(next,
                               m_selects ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                                         : QItemSelectionModel::NoUpdate);
    view.scrollTo(next);
}

} // namespace knvt
