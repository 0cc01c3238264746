#include "lists/KNVTTaskListItemsOutlineViewController.h"

#include "lists/StatusMembership.h"
#include "lists/TaskSections.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/TitleSortKeys.h"

#include <algorithm>

KNVTTaskListItemsOutlineViewController::KNVTTaskListItemsOutlineViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsOutlineViewController(delegate, parent)
{}

KNVTCDTaskList *KNVTTaskListItemsOutlineViewController::taskList() const
{
    if (m_taskListURI.isEmpty())
        return nullptr;
    return dynamic_cast<KNVTCDTaskList *>(taskStore().objectForURI(m_taskListURI));
}

QString KNVTTaskListItemsOutlineViewController::listTitle() const
{
    const KNVTCDTaskList *list = taskList();
    return list ? list->title() : QString();
}

void KNVTTaskListItemsOutlineViewController::setTaskList(KNVTCDTaskList *taskList)
{
    const QUrl uri = taskList ? taskList->uri() : QUrl();
    if (taskList && uri == m_taskListURI)
        return;
    m_taskListURI = uri;
    resetContent();
}

bool KNVTTaskListItemsOutlineViewController::contentStillExists(bool)
{
    // A list the service knows is only marked when it is deleted; its tasks must go from view all the same.
    const KNVTCDTaskList *list = taskList();
    return list && !list->isDeleted() && !list->deletedDate().isValid();
}

std::vector<knvt::ListSection> KNVTTaskListItemsOutlineViewController::sectionsForContent()
{
    const KNVTCDTaskList *list = taskList();
    if (!list)
        return {};
    knvt::TitleSortKeys titleKeys;
    return knvt::TaskSections::byStatus(list->tasks(), knvt::TaskSections::Archived::Kept)
        .outlineSections(/*showsTaskListTitle=*/false, rowCache());
}

std::unique_ptr<knvt::ListMembership> KNVTTaskListItemsOutlineViewController::membership()
{
    const KNVTCDTaskList *list = taskList();
    if (!list)
        return nullptr;
    return std::make_unique<knvt::StatusMembership>(
        [list](KNVTCDTask &task) { return task.taskList() == list; }, knvt::StatusMembership::outlineSections(),
        knvt::TaskSections::Archived::Kept, knvt::TaskSections::SomedayInSomedayList::CountsAsOther,
        /*showsTaskListTitle=*/false, rowCache());
}

bool KNVTTaskListItemsOutlineViewController::dropOfTasksQualifies(const Tasks &tasks, const TaskLists &taskLists,
                                                                  bool fromThisView) const
{
    // Only this list's own tasks, dragged within it.
    const KNVTCDTaskList *list = taskList();
    return !tasks.empty() && taskLists.empty() && fromThisView && list
        && std::all_of(tasks.begin(), tasks.end(), [list](const KNVTCDTask *task) { return task->taskList() == list; });
}

void KNVTTaskListItemsOutlineViewController::renumberIncompleteTasks(const Tasks &, const Tasks &after)
{
    // The section holds one list's open tasks: they are numbered from 0 in their new order.
    qint64 index = 0;
    for (KNVTCDTask *task : after) {
        if (task->taskListOrderIndex() != index)
            task->setTaskListOrderIndex(index);
        ++index;
    }
}

QString KNVTTaskListItemsOutlineViewController::HTMLStringForPrintingWithoutSelection() const
{
    const KNVTCDTaskList *list = taskList();
    return list ? list->HTMLStringForPrinting() : QString();
}

QString KNVTTaskListItemsOutlineViewController::printJobTitle() const
{
    const KNVTCDTaskList *list = taskList();
    return list ? list->title() : QString();
}
