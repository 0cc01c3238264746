#pragma once

#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "store/KNVTFocusTaskList.h"

#include <memory>
#include <optional>

// The centre list of a focus list (Inbox, Today, Next, Scheduled, Someday, Watched, Delegated, Archived): its tasks,
// projects and areas in the sections of the focus type, rebuilt whole after every store change with the selection
// kept; it prints the list or the selected tasks, writes drags of its rows and takes tags dropped onto a task.
class KNVTFocusTaskListItemsTableViewController : public KNVTTaskStoreItemsTableViewController
{
    Q_OBJECT

public:
    explicit KNVTFocusTaskListItemsTableViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                       QObject *parent = nullptr);
    ~KNVTFocusTaskListItemsTableViewController() override;

    // The focus type shown, or none.
    std::optional<KNVTFocusType> focusType() const { return m_focusType; }
    // A focus list of the type already shown changes nothing; nullopt shows no rows.
    void setFocusTaskList(std::optional<unsigned int> focusType);

    // The rows of the focus type, as the store has them now.
    static std::vector<knvt::ItemRow> rowsForFocusType(unsigned int focusType);

    void selectAllItems() override;
    void deselectAllItems() override;
    void reloadData() override;
    void print() override;
    // The printed page (all of the list, or the selected tasks).
    QString HTMLStringForPrinting();

    void taskStoreWillChangeNotification() override;
    void taskStoreDidChangeNotification() override;

    QMimeData *writeRows(const QList<int> &rows) const override;
    Qt::DropAction validateDrop(const QMimeData &mime, int row, bool fromThisProcess) override;
    bool acceptDrop(const QMimeData &mime, int row, bool fromThisProcess) override;

protected:
    void loadView() override;

private:
    void updateCells();

    std::optional<KNVTFocusType> m_focusType;
};
