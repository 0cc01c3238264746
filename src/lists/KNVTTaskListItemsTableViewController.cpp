#include "lists/KNVTTaskListItemsTableViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

#include <QCoreApplication>
#include <QMimeData>

#include <algorithm>

using knvt::ItemRow;

KNVTTaskListItemsTableViewController::KNVTTaskListItemsTableViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsTableViewController(delegate, parent)
{
}

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
    std::vector<KNVTCDTask *> uncompleted, scheduled, someday, completed;
    const bool listIsSomeday = taskList.status() == qint64(KNVTTaskListStatusSomeday);
    for (KNVTCDTask *task : taskList.tasks()) {
        if (task->isArchived() || task->deletedDate().isValid() || task->isDeleted())
            continue;
        if (task->status() == qint64(KNVTTaskStatusSomeday) && !listIsSomeday)
            someday.push_back(task);
        else if (task->isCompletedOrCancelled())
            completed.push_back(task);
        else if (task->isScheduled())
            scheduled.push_back(task);
        else
            uncompleted.push_back(task);
    }
    std::vector<ItemRow> rows;
    auto append = [&rows](const char *title, std::vector<KNVTCDTask *> &tasks,
                          const KNVTCDTaskStoreObject::Comparator &comparator) {
        if (tasks.empty())
            return;
        std::stable_sort(tasks.begin(), tasks.end(),
                         [&comparator](const KNVTCDTask *a, const KNVTCDTask *b) { return comparator(a, b); });
        rows.push_back(ItemRow::header(QCoreApplication::translate("KNVTTaskListItemsTableViewController", title)));
        for (KNVTCDTask *task : tasks)
            rows.push_back(ItemRow::task(*task));
    };
    append(QT_TRANSLATE_NOOP("KNVTTaskListItemsTableViewController", "Uncompleted"), uncompleted,
           KNVTCDTask::uncompletedTaskComparator());
    append(QT_TRANSLATE_NOOP("KNVTTaskListItemsTableViewController", "Scheduled"), scheduled,
           KNVTCDTask::scheduledTaskComparator());
    append(QT_TRANSLATE_NOOP("KNVTTaskListItemsTableViewController", "Someday"), someday,
           KNVTCDTask::somedayTaskComparator());
    append(QT_TRANSLATE_NOOP("KNVTTaskListItemsTableViewController", "Completed"), completed,
           KNVTCDTask::completedTaskComparator());
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
    QList<QUrl> uris;
    QString text;
    for (KNVTCDTask *task : tasks) {
        uris << task->uri();
        text += task->pasteboardString();
    }
    auto *mime = new QMimeData;
    knvt::ObjectReferencePayload::write(*mime, uris, text);
    return mime;
}
