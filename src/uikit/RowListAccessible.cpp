#include "uikit/RowListAccessible.h"

#include "uikit/AccessibleFactory.h"
#include "uikit/AccessibleRowActions.h"
#include "uikit/PaintedRowAccessible.h"

#include <QItemSelectionModel>
#include <QListView>

namespace knvt {

namespace {

// A row of a list that takes the keyboard row by row: focusable while enabled, focused while it is the current row,
// selectable where the list lets rows be chosen and selected while chosen.
class RowAccessible : public PaintedRowAccessible
{
public:
    RowAccessible(QListView *view, const QModelIndex &index) : PaintedRowAccessible(view, index, QAccessible::ListItem)
    {}

    QAccessible::State state() const override
    {
        QAccessible::State state = PaintedRowAccessible::state();
        if (!isValid())
            return state;
        state.focusable = !state.disabled;
        state.focused = view()->hasFocus() && view()->currentIndex() == index();
        state.readOnly = true;
        const QItemSelectionModel *selection = view()->selectionModel();
        state.selectable = selection != nullptr && view()->selectionMode() != QAbstractItemView::NoSelection
            && index().flags().testFlag(Qt::ItemIsSelectable);
        state.selected = state.selectable && selection->isSelected(index());
        return state;
    }
};

} // namespace

RowListAccessible::RowListAccessible(QListView *view) : QAccessibleWidget(view, QAccessible::List) {}

QAccessible::State RowListAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QAbstractItemView::SelectionMode mode = view()->selectionMode();
    state.multiSelectable = mode == QAbstractItemView::MultiSelection;
    state.extSelectable =
        mode == QAbstractItemView::ExtendedSelection || mode == QAbstractItemView::ContiguousSelection;
    return state;
}

RowListAccessible::~RowListAccessible()
{
    for (QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
}

QListView *RowListAccessible::view() const
{
    return static_cast<QListView *>(widget());
}

int RowListAccessible::childCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model != nullptr ? model->rowCount(view()->rootIndex()) : 0;
}

QAccessibleInterface *RowListAccessible::child(int index) const
{
    const QAbstractItemModel *model = view()->model();
    if (model == nullptr || index < 0 || index >= childCount())
        return nullptr;
    const QModelIndex row = model->index(index, 0, view()->rootIndex());
    if (const QAccessible::Id known = m_rows.value(index)) {
        auto *cached = static_cast<RowAccessible *>(QAccessible::accessibleInterface(known));
        if (cached != nullptr && cached->isValid() && cached->index() == row)
            return cached;
        // The rows were rebuilt or moved since: the old element goes, a new one stands for the row.
        QAccessible::deleteAccessibleInterface(known);
    }
    auto *element = new RowAccessible(view(), row);
    m_rows.insert(index, QAccessible::registerAccessibleInterface(element));
    return element;
}

int RowListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return child->isValid() ? static_cast<const RowAccessible *>(child)->index().row() : -1;
    }
    return -1;
}

QAccessibleInterface *RowListAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

void RowListAccessible::install()
{
    installAccessibleFactory<RowListAccessible, QListView, &declares<AccessibleRowActions, QListView>>();
}

} // namespace knvt
