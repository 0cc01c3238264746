#pragma once

#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include <QUrl>

class KNVTCDTaskList;

// The table of the tasks of one project or area, in the sections "Uncompleted", "Scheduled", "Someday" and
// "Completed". It writes drags of its tasks, takes no drops, and printing only beeps. When its list is deleted it
// forgets it and shows no rows.
class KNVTTaskListItemsTableViewController : public KNVTTaskStoreItemsTableViewController
{
    Q_OBJECT

public:
    explicit KNVTTaskListItemsTableViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                  QObject *parent = nullptr);

    KNVTCDTaskList *taskList() const;
    QString listTitle() const override;
    void setTaskList(KNVTCDTaskList *taskList);

    static std::vector<knvt::ListSection> sectionsForTaskList(const KNVTCDTaskList &taskList);

    void reloadData() override;
    void taskStoreWillChangeNotification() override;
    void taskStoreDidChangeNotification(const std::optional<ostore::ChangeSet> &changes) override;
    QMimeData *writeRows(const QList<int> &rows) const override;

private:
    void forgetTaskList();

    QUrl m_taskListURI;
};
