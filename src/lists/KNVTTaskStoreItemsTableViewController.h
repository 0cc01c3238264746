#pragma once

#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsViewController.h"

#include <QPointer>
#include <QSet>
#include <QUrl>

#include <optional>
#include <vector>

class KNVTTaskStoreItemsTableView;
class QMimeData;

namespace knvt {
class ItemRowDelegate;
class ItemsTableModel;
} // namespace knvt

// The common part of the lists shown as one table of section headers and item rows: the view, the model, the row
// heights from the notes preview preference (headers 20, items 50 or 90), double click, the row buttons, the keys,
// the selection commands, and keeping the selection and the scroll position across a store change. Subclasses
// build their rows; every rebuild is one reset of the model.
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

    int numberOfRows() const override;
    const knvt::ItemRow *rowAt(int row) const override;
    std::optional<int> cellIndexForObjectValue(const QUrl &uri) const override;
    QModelIndex indexForRow(int row) const override;
    QList<int> selectedRows() const override;
    // The objects of `rows` that resolve, in row order.
    Tasks tasksForRowIndexes(const QList<int> &rows) const;
    TaskLists taskListsForRowIndexes(const QList<int> &rows) const;
    // Selects exactly `rows` (headers are skipped).
    void selectRows(const QList<int> &rows) override;

    // ---- Selection commands ------------------------------------------------------------------------------------
    // Select all and deselect all do nothing in the base; next and previous move to the neighbouring item row, or
    // beep.
    void selectNextItem() override;
    void selectPreviousItem() override;

    // ---- Events ------------------------------------------------------------------------------------------------
    void numberOfPreviewLinesForTaskNotesDidChangeNotification() override;

    // ---- Drag and drop (no drops in the base) ------------------------------------------------------------------
    // The payload of `rows` (ascending), or nullptr when nothing may be dragged.
    virtual QMimeData *writeRows(const QList<int> &rows) const;
    virtual Qt::DropAction validateDrop(const QMimeData &mime, int row, bool fromThisProcess);
    virtual bool acceptDrop(const QMimeData &mime, int row, bool fromThisProcess);

protected:
    void loadView() override;
    // Replaces the rows (one reset); the selection is gone until reselected.
    void setRows(std::vector<knvt::ItemRow> rows);
    // The empty-list label: "No Tasks" while there is no row.
    void updateTableViewLabel();

    // The selection memory of a store change: at will-change the selected tasks that are not being deleted, their
    // number, and the scroll position; at did-change the rows are rebuilt (by the subclass) and then
    // restoreSelection() selects exactly the remembered tasks that are still listed, puts the scroll position back
    // and, when the number of selected tasks changed, tells the host.
    void rememberSelection();
    void restoreSelection();
    bool hasRememberedSelection() const { return m_numberOfPreviouslySelectedTasks.has_value(); }

private:
    void selectionDidChange();
    void ensureView();

    QPointer<KNVTTaskStoreItemsTableView> m_tableView;
    knvt::ItemsTableModel *m_model = nullptr;
    knvt::ItemRowDelegate *m_delegate = nullptr;
    std::optional<qsizetype> m_numberOfPreviouslySelectedTasks;
    QList<QUrl> m_tasksToReselect;
    int m_savedScrollValue = 0;
    bool m_reselecting = false;
};
