#include "lists/ItemListRows.h"

#include "lists/ItemRow.h"
#include "lists/ItemViews.h"
#include "lists/ListChanges.h"
#include "lists/ListMembership.h"
#include "lists/ListRows.h"

#include "store/KNVTTaskStore.h"

#include "uikit/Beeper.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <algorithm>

namespace knvt {

ItemListRows::ItemListRows(ListRows &model, std::function<void()> rowsDidChange,
                           std::function<void()> selectionDidChange)
    : m_model(model), m_rowsDidChange(std::move(rowsDidChange)), m_selectionDidChange(std::move(selectionDidChange))
{}

void ItemListRows::setView(QAbstractItemView *view, QObject *context)
{
    m_view = view;
    QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, context,
                     [this] { viewSelectionDidChange(); });
}

int ItemListRows::numberOfRows() const
{
    return m_model.numberOfRows();
}

const ItemRow *ItemListRows::rowAt(int row) const
{
    return m_model.rowAt(row);
}

QModelIndex ItemListRows::indexForRow(int row) const
{
    return m_model.indexForRow(row);
}

std::optional<int> ItemListRows::rowForUri(const QUrl &uri) const
{
    const int row = m_model.rowForUri(uri);
    return row < 0 ? std::nullopt : std::optional<int>(row);
}

QList<int> ItemListRows::selectedRows() const
{
    if (!m_view)
        return {};
    const ListRows &model = m_model;
    return selectedRowNumbers(*m_view->selectionModel(),
                              [&model](const QModelIndex &index) { return model.itemRowForIndex(index); });
}

void ItemListRows::selectRows(const QList<int> &rows)
{
    if (!m_view)
        return;
    const ListRows &model = m_model;
    selectRowNumbers(*m_view->selectionModel(), rows, [&model](int row) {
        const ItemRow *item = model.rowAt(row);
        return item && !item->isHeader() ? model.indexForRow(row) : QModelIndex();
    });
}

void ItemListRows::selectNeighbour(bool forward)
{
    const QList<int> rows = selectedRows();
    const int step = forward ? 1 : -1;
    if (!rows.isEmpty()) {
        for (int row = rows.first() + step; row >= 0 && row < numberOfRows(); row += step) {
            if (!rowAt(row)->isHeader()) {
                selectRows({row});
                m_view->scrollTo(indexForRow(row));
                return;
            }
        }
    }
    Beeper::shared().beep();
}

void ItemListRows::viewSelectionDidChange()
{
    // A change of the rows reports the selection once, when it is over.
    if (m_changing == 0)
        m_selectionDidChange();
}

QList<ostore::ObjectID> ItemListRows::selectedObjectIDs() const
{
    QList<ostore::ObjectID> ids;
    for (int row : selectedRows())
        if (const ItemRow *item = rowAt(row))
            ids << item->objectID;
    // Compared as a set: a selected row that moves past another is still the same selection.
    std::sort(ids.begin(), ids.end(), [](const ostore::ObjectID &a, const ostore::ObjectID &b) {
        return a.entity != b.entity ? a.entity < b.entity : a.zid < b.zid;
    });
    return ids;
}

void ItemListRows::change(const std::function<void()> &change)
{
    const QList<ostore::ObjectID> before = selectedObjectIDs();
    ++m_changing;
    change();
    --m_changing;
    m_rowsDidChange();
    if (m_changing == 0 && selectedObjectIDs() != before)
        m_selectionDidChange();
}

void ItemListRows::applyStoreChange(const std::optional<ostore::ChangeSet> &changes,
                                    const std::function<std::unique_ptr<ListMembership>()> &membership,
                                    const std::function<std::vector<ListSection>()> &sections)
{
    ostore::Context *context = KNVTTaskStore::defaultTaskStore()->managedObjectContext();
    if (changes && context && ListChanges::touchesNoRows(*changes, *context))
        return;
    change([&] {
        if (changes && context)
            if (const std::unique_ptr<ListMembership> placing = membership())
                if (ListChanges::apply(m_model, *changes, *context, *placing))
                    return;
        m_model.updateSections(sections());
    });
}

} // namespace knvt
