#include "lists/KNVTTaskListItemsTableViewController.h"

#include "lists/StatusMembership.h"
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

namespace {

const QString (&sectionTitles())[4]
{
    auto tr = [](const char *text) {
        return QCoreApplication::translate("KNVTTaskListItemsTableViewController", text);
    };
    static const QString titles[4] = {tr("Uncompleted"), tr("Scheduled"), tr("Someday"), tr("Completed")};
    return titles;
}

} // namespace

QString KNVTTaskListItemsTableViewController::listTitle() const
{
    const KNVTCDTaskList *list = taskList();
    return list ? list->title() : QString();
}

void KNVTTaskListItemsTableViewController::setTaskList(KNVTCDTaskList *taskList)
{
    const QUrl uri = taskList ? taskList->uri() : QUrl();
    if (uri == m_taskListURI)
        return;
    m_taskListURI = uri;
    resetSections(taskList ? sectionsForTaskList(*taskList) : std::vector<knvt::ListSection>());
}

std::vector<knvt::ListSection> KNVTTaskListItemsTableViewController::sectionsForTaskList(const KNVTCDTaskList &taskList)
{
    // Each title of the rebuild is collated once, not in every comparison of the sorts.
    knvt::TitleSortKeys titleKeys;
    return knvt::TaskSections::byStatus(taskList.tasks()).tableSections(sectionTitles());
}

void KNVTTaskListItemsTableViewController::reloadData()
{
    const KNVTCDTaskList *list = taskList();
    updateSections(list ? sectionsForTaskList(*list) : std::vector<knvt::ListSection>());
}

void KNVTTaskListItemsTableViewController::forgetTaskList()
{
    // The rows of a list that is gone would still act on its tasks; the list shows nothing from now on.
    m_taskListURI = QUrl();
    updateSections({});
}

void KNVTTaskListItemsTableViewController::taskStoreWillChangeNotification()
{
    if (m_taskListURI.isEmpty())
        return;
    const KNVTCDTaskList *list = taskList();
    if (!list || list->isDeleted() || list->deletedDate().isValid())
        forgetTaskList();
}

void KNVTTaskListItemsTableViewController::taskStoreDidChangeNotification(
    const std::optional<ostore::ChangeSet> &changes)
{
    if (m_taskListURI.isEmpty()) {
        updateTableViewLabel();
        return;
    }
    KNVTCDTaskList *list = taskList();
    if (!list || list->deletedDate().isValid()) {
        forgetTaskList();
        return;
    }
    applyStoreChange(
        changes,
        [list] {
            return std::make_unique<knvt::StatusMembership>(
                [list](KNVTCDTask &task) { return task.taskList() == list; },
                knvt::StatusMembership::tableSections(sectionTitles()));
        },
        [list] { return sectionsForTaskList(*list); });
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
