#pragma once

#include "lists/ItemListRows.h"
#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsViewController.h"
#include "lists/ListSection.h"

#include <QPointer>
#include <QSet>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class KNVTTaskStoreItemsTableView;
class QMimeData;

namespace knvt {
class ItemRowDelegate;
class ItemsTableModel;
class ListMembership;
} // namespace knvt

// The common part of the lists shown as one table of section headers and item rows: the view, the model, the row
// heights from the notes preview preference (headers 20, items 50 or 90), double click, the row buttons, the keys,
// the selection commands, and following the store's changes in place. Subclasses say what their sections are and,
// where they can, where one task stands (knvt::ListMembership); a store change then moves, inserts, updates or
// removes only the rows concerned, so the selection, the current row and the scroll position stay with their rows.
class KNVTTaskStoreItemsTableViewController : public KNVTTaskStoreItemsViewController
{
    Q_OBJECT

public:
    explicit KNVTTaskStoreItemsTableViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                   QObject *parent = nullptr);
    ~KNVTTaskStoreItemsTableViewController() override;

    KNVTTaskStoreItemsTableView *tableView();
    knvt::ItemsTableModel *tableModel() const { return m_model; }
    QWidget *focusView() override;

    int rowHeight() const;

    // ---- Content -----------------------------------------------------------------------------------------------
    Items items() const override;
    Items selectedItems() const override;
    Tasks tasks() const override;
    Tasks selectedTasks() const override;
    TaskLists taskLists() const override;
    TaskLists selectedTaskLists() const override;

    int numberOfRows() const override { return m_rows.numberOfRows(); }
    const knvt::ItemRow *rowAt(int row) const override { return m_rows.rowAt(row); }
    std::optional<int> cellIndexForObjectValue(const QUrl &uri) const override { return m_rows.rowForUri(uri); }
    const knvt::ListRows *listRows() const override { return &m_rows.model(); }
    QModelIndex indexForRow(int row) const override { return m_rows.indexForRow(row); }
    QList<int> selectedRows() const override { return m_rows.selectedRows(); }
    // The objects of `rows` that resolve, in row order.
    Tasks tasksForRowIndexes(const QList<int> &rows) const;
    TaskLists taskListsForRowIndexes(const QList<int> &rows) const;
    // Selects exactly `rows` (headers are skipped).
    void selectRows(const QList<int> &rows) override;

    // ---- Selection commands ------------------------------------------------------------------------------------
    // Select all and deselect all do nothing in the base; next and previous move to the neighbouring item row, or
    // beep.
    void selectNextItem() override { m_rows.selectNeighbour(true); }
    void selectPreviousItem() override { m_rows.selectNeighbour(false); }

    // ---- Events ------------------------------------------------------------------------------------------------
    void numberOfPreviewLinesForTaskNotesDidChangeNotification() override;

    // ---- Drag and drop (no drops in the base) ------------------------------------------------------------------
    // The payload of `rows` (ascending), or nullptr when nothing may be dragged.
    virtual QMimeData *writeRows(const QList<int> &rows) const;
    virtual Qt::DropAction validateDrop(const QMimeData &mime, int row, bool fromThisProcess);
    virtual bool acceptDrop(const QMimeData &mime, int row, bool fromThisProcess);

protected:
    void loadView() override;
    // Shows other contents: every row replaced (one reset).
    void resetSections(std::vector<knvt::ListSection> sections);
    // Shows `sections` in place of what is shown, changing only the rows that differ.
    void updateSections(std::vector<knvt::ListSection> sections);
    // A store change (knvt::ItemListRows::applyStoreChange): the host hears once when the selection lost a row.
    void applyStoreChange(const std::optional<ostore::ChangeSet> &changes,
                          const std::function<std::unique_ptr<knvt::ListMembership>()> &membership,
                          const std::function<std::vector<knvt::ListSection>()> &sections)
    {
        m_rows.applyStoreChange(changes, membership, sections);
    }
    // The empty-list label: "No Tasks" while there is no row.
    void updateTableViewLabel();

private:
    void ensureView();

    QPointer<KNVTTaskStoreItemsTableView> m_tableView;
    knvt::ItemsTableModel *m_model = nullptr;
    knvt::ItemRowDelegate *m_delegate = nullptr;
    knvt::ItemListRows m_rows;
};
