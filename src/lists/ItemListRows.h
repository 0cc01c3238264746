#pragma once

#include "lists/ListSection.h"

#include "objectstore/ChangeSet.h"
#include "objectstore/ObjectID.h"

#include <QList>
#include <QModelIndex>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractItemView;
class QObject;

namespace knvt {

class ListMembership;
class ListRows;
struct ItemRow;

// What the table and the outline item lists do alike with the rows they show, written once for both: reading and
// setting the selection by shown row numbers, moving it to the next or previous item row, and changing the rows
// (for the store's changes above all) so that the list's host hears of a changed selection once, after the change,
// and only when it lost or gained a row.
class ItemListRows
{
public:
    // `rowsDidChange` runs after every change of the rows (the list's empty label, its open sections);
    // `selectionDidChange` when the selection changed: as it happens, or once after a change of the rows.
    ItemListRows(ListRows &model, std::function<void()> rowsDidChange, std::function<void()> selectionDidChange);

    // The view that shows the rows; its selection changes are heard through `context`, which the connection dies with.
    void setView(QAbstractItemView *view, QObject *context);

    ListRows &model() const { return m_model; }
    int numberOfRows() const;
    const ItemRow *rowAt(int row) const;
    QModelIndex indexForRow(int row) const;
    // The row of the object with `uri`; nullopt when no row shows it.
    std::optional<int> rowForUri(const QUrl &uri) const;

    // The selected item rows, ascending; none before there is a view.
    QList<int> selectedRows() const;
    // Selects exactly the item rows among `rows` (headers and rows past the end are skipped).
    void selectRows(const QList<int> &rows);
    // Moves the selection to the item row after (`forward`) or before the first selected row and scrolls to it; beeps
    // when nothing is selected or no item row lies that way.
    void selectNeighbour(bool forward);

    // Runs `change` on the rows; the selection is told once, after it, when it no longer holds the same objects.
    void change(const std::function<void()> &change);
    // A store change: the change set placed task by task through the list's `membership` (nullptr: the list cannot
    // place a task on its own) when it can be, else every row computed again by `sections` and updated in place.
    // Nothing happens for a change that touches no row.
    void applyStoreChange(const std::optional<ostore::ChangeSet> &changes,
                          const std::function<std::unique_ptr<ListMembership>()> &membership,
                          const std::function<std::vector<ListSection>()> &sections);

private:
    void viewSelectionDidChange();
    QList<ostore::ObjectID> selectedObjectIDs() const;

    ListRows &m_model;
    std::function<void()> m_rowsDidChange;
    std::function<void()> m_selectionDidChange;
    QPointer<QAbstractItemView> m_view;
    int m_changing = 0;
};

} // namespace knvt
