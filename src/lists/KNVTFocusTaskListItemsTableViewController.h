#pragma once

#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "store/KNVTFocusTaskList.h"

#include <memory>
#include <optional>

// The centre list of a focus list (Inbox, Today, Next, Scheduled, Someday, Watched, Delegated, Archived): its tasks,
// projects and areas in the sections of the focus type, following every store change in place (the lists of tasks
// alone place each changed task on its own; the others compute their rows again and update the differences); it
// prints the list or the selected tasks, writes drags of its rows and takes tags dropped onto a task.
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

    // The sections of the focus type, as the store has them now.
    static std::vector<knvt::ListSection> sectionsForFocusType(unsigned int focusType);

    QString listTitle() const override;
    void selectAllItems() override;
    void deselectAllItems() override;
    void reloadData() override;
    void print() override;
    // The printed page (all of the list, or the selected tasks).
    QString HTMLStringForPrinting();

    void taskStoreDidChangeNotification(const std::optional<ostore::ChangeSet> &changes) override;

    QMimeData *writeRows(const QList<int> &rows) const override;
    Qt::DropAction validateDrop(const QMimeData &mime, int row, bool fromThisProcess) override;
    bool acceptDrop(const QMimeData &mime, int row, bool fromThisProcess) override;

protected:
    void loadView() override;

private:
    std::optional<KNVTFocusType> m_focusType;
};
