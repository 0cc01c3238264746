#pragma once

#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include <QUrl>

class KNVTCDTaskList;

// The tasks of one project or area in the sections "Incomplete", "Scheduled", "Someday" and "Completed" (archived
// tasks included, the list's own name left off the rows). Its tasks are reordered, or moved between the sections,
// by dragging them within the list; tags dropped on a task tag it. It prints the selected tasks, or the whole list,
// under the list's title. When the list is deleted it forgets it and shows nothing.
class KNVTTaskListItemsOutlineViewController : public KNVTTaskStoreItemsOutlineViewController
{
    Q_OBJECT

public:
    explicit KNVTTaskListItemsOutlineViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                    QObject *parent = nullptr);

    KNVTCDTaskList *taskList() const;
    QString listTitle() const override;
    // The list already shown changes nothing; another (or none) rebuilds the rows.
    void setTaskList(KNVTCDTaskList *taskList);

protected:
    bool hasContent() const override { return !m_taskListURI.isEmpty(); }
    bool contentStillExists(bool willChange) override;
    void forgetContent() override { m_taskListURI = QUrl(); }
    std::vector<knvt::ListSection> sectionsForContent() override;
    std::unique_ptr<knvt::ListMembership> membership() override;
    bool dropOfTasksQualifies(const Tasks &tasks, const TaskLists &taskLists, bool fromThisView) const override;
    void renumberIncompleteTasks(const Tasks &before, const Tasks &after) override;
    QString HTMLStringForPrintingWithoutSelection() const override;
    QString printJobTitle() const override;

private:
    QUrl m_taskListURI;
};
