#include "lists/KNVTTaskListItemsTableViewController.h"

#include "lists/TaskSections.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"
#include "model/TitleSortKeys.h"

#include <QCoreApplication>
#include <QMimeData>

using knvt::ItemRow;

KNVTTaskListItemsTableViewController::KNVTTaskListItemsTableViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsTableViewController(delegate, parent)
{}

KNVTCDTaskList *KNVTTaskListItemsTableViewController::taskList() const
{
    if (m_taskListURI.isEmpty())
        return nullptr;
    return dynamic_cast<KNVTCDTaskList *>(taskStore().objectForURI(m_taskListURI));
}

void KNVTTaskListItemsTableViewController::setTaskList(KNVTCDTaskList *taskList)
{
    const QUrl uri = taskList ? taskList->uri() : QUrl();
    if (uri == m_taskListURI)
        return;
    m_taskListURI = uri;
    updateCells();
}

std::vector<ItemRow> KNVTTaskListItemsTableViewController::rowsForTaskList(const KNVTCDTaskList &taskList)
{
    auto tr = [](const char *text) {
        return QCoreApplication::translate("KNVTTaskListItemsTableViewController", text);
    };
    const QString titles[4] = {tr("Uncompleted"), tr("Scheduled"), tr("Someday"), tr("Completed")};
    std::vector<ItemRow> rows;
    // Each title of the rebuild is collated once, not in every comparison of the sorts.
    knvt::TitleSortKeys titleKeys;
    knvt::TaskSections::byStatus(taskList.tasks()).appendRows(rows, titles);
    return rows;
}

void KNVTTaskListItemsTableViewController::updateCells()
{
    const KNVTCDTaskList *list = taskList();
    setRows(list ? rowsForTaskList(*list) : std::vector<ItemRow>());
    updateTableViewLabel();
}

void KNVTTaskListItemsTableViewController::reloadData()
{
    rememberSelection();
    updateCells();
    restoreSelection();
}

void KNVTTaskListItemsTableViewController::forgetTaskList()
{
    // The rows of a list that is gone would still act on its tasks; the list shows nothing from now on.
    m_taskListURI = QUrl();
    updateCells();
}

void KNVTTaskListItemsTableViewController::taskStoreWillChangeNotification()
{
    if (m_taskListURI.isEmpty())
        return;
    const KNVTCDTaskList *list = taskList();
    if (!list || list->isDeleted() || list->deletedDate().isValid()) {
        forgetTaskList();
        return;
    }
    rememberSelection();
}

void KNVTTaskListItemsTableViewController::taskStoreDidChangeNotification()
{
    if (m_taskListURI.isEmpty()) {
        updateTableViewLabel();
        return;
    }
    const KNVTCDTaskList *list = taskList();
    if (!list || list->deletedDate().isValid()) {
        forgetTaskList();
        return;
    }
    updateCells();
    restoreSelection();
}

QMimeData *KNVTTaskListItemsTableViewController::writeRows(const QList<int> &rows) const
{
    Tasks tasks = tasksForRowIndexes(rows);
    if (tasks.empty())
        tasks = selectedTasks();
    if (tasks.empty())
        return nullptr;
    auto *mime = new QMimeData;
    knvt::ObjectReferencePayload::writeObjects(*mime,
                                               std::vector<const KNVTCDTaskStoreObject *>(tasks.begin(), tasks.end()));
    return mime;
}
