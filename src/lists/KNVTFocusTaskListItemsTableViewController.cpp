#include "lists/KNVTFocusTaskListItemsTableViewController.h"

#include "lists/DroppedObjects.h"
#include "lists/ItemsTableModel.h"
#include "lists/KNVTHTMLPrinter.h"
#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/Logging.h"
#include "lists/PrintedPage.h"
#include "lists/TaskSections.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/ObjectReferencePayload.h"
#include "model/TitleSortKeys.h"

#include "foundation/Clock.h"

#include <QMimeData>
#include <QPrinter>

#include <algorithm>

using knvt::ItemRow;

namespace {

using Comparator = KNVTCDTaskStoreObject::Comparator;

template <class T>
void sortObjects(std::vector<T *> &objects, const Comparator &comparator)
{
    std::stable_sort(objects.begin(), objects.end(),
                     [&comparator](const T *a, const T *b) { return comparator(a, b); });
}

// A section: its header, then one row per task; nothing when there are none.
void appendTaskSection(std::vector<ItemRow> &rows, const QString &title, std::vector<KNVTCDTask *> tasks,
                       const Comparator &comparator, bool showsTaskListTitle = true, bool withHeader = true)
{
    if (tasks.empty())
        return;
    sortObjects(tasks, comparator);
    if (withHeader)
        rows.push_back(ItemRow::header(title));
    for (KNVTCDTask *task : tasks)
        rows.push_back(ItemRow::task(*task, showsTaskListTitle));
}

template <class Query>
void appendPerListSections(std::vector<ItemRow> &rows, KNVTTaskStore &store, Query query, const Comparator &comparator)
{
    appendTaskSection(rows, QStringLiteral("Inbox"), query(nullptr), comparator);
    for (auto lists : {store.activeProjects(), store.activeAreas()}) {
        sortObjects(lists, KNVTCDTaskList::taskListComparator());
        for (KNVTCDTaskList *list : lists)
            appendTaskSection(rows, list->title(), query(list), comparator, false);
    }
}

const QString kStateSectionTitles[4] = {QStringLiteral("Incomplete"), QStringLiteral("Scheduled"),
                                        QStringLiteral("Someday"), QStringLiteral("Completed")};

std::vector<ItemRow> inboxRows(KNVTTaskStore &store)
{
    std::vector<ItemRow> rows;
    knvt::TaskSections::byFocus(store.inboxTasks()).appendRows(rows, kStateSectionTitles);
    return rows;
}

std::vector<ItemRow> watchedRows(KNVTTaskStore &store)
{
    std::vector<ItemRow> rows;
    knvt::TaskSections::byStatus(store.watchedTasks()).appendRows(rows, kStateSectionTitles);
    return rows;
}

std::vector<ItemRow> somedayRows(KNVTTaskStore &store)
{
    std::vector<ItemRow> rows;
    appendTaskSection(rows, QStringLiteral("Someday Tasks"), store.somedayTaskWhosTaskListIsntInSomeday(),
                      KNVTCDTaskStoreObject::somedayObjectComparator());
    auto appendLists = [&rows](const QString &title, std::vector<KNVTCDTaskList *> lists, bool projects) {
        if (lists.empty())
            return;
        sortObjects(lists, KNVTCDTaskStoreObject::somedayObjectComparator());
        rows.push_back(ItemRow::header(title));
        for (KNVTCDTaskList *list : lists)
            rows.push_back(projects ? ItemRow::project(*list) : ItemRow::area(*list));
    };
    appendLists(QStringLiteral("Someday Projects"), store.suspendedProjects(), true);
    appendLists(QStringLiteral("Someday Areas"), store.suspendedAreas(), false);
    return rows;
}

std::vector<ItemRow> delegatedRows(KNVTTaskStore &store)
{
    std::vector<KNVTCDUser *> users = store.sortedUsersExcludingMe();
    sortObjects(users, KNVTCDUser::userComparator());
    std::vector<ItemRow> rows;
    for (KNVTCDUser *user : users)
        appendTaskSection(rows, user->extendedDisplayName(), store.uncompletedTasksDelegatedTo(user),
                          KNVTCDTask::uncompletedTaskComparator());
    return rows;
}

std::vector<ItemRow> archivedRows(KNVTTaskStore &store)
{
    std::vector<KNVTCDTaskStoreObject *> objects;
    for (KNVTCDTask *task : store.archivedTasksNotInArchivedTaskList())
        objects.push_back(task);
    for (KNVTCDTaskList *list : store.archivedProjects())
        objects.push_back(list);
    for (KNVTCDTaskList *list : store.archivedAreas())
        objects.push_back(list);
    sortObjects(objects, KNVTCDTaskStoreObject::archivedObjectComparator());
    std::vector<ItemRow> rows;
    rows.reserve(objects.size());
    for (KNVTCDTaskStoreObject *object : objects) {
        if (auto *task = dynamic_cast<KNVTCDTask *>(object)) {
            ItemRow row = ItemRow::task(*task);
            row.checkBoxEnabled = false;
            rows.push_back(std::move(row));
        } else if (auto *list = dynamic_cast<KNVTCDTaskList *>(object)) {
            if (list->isProject()) {
                ItemRow row = ItemRow::project(*list);
                row.checkBoxEnabled = false;
                rows.push_back(std::move(row));
            } else if (list->isArea()) {
                rows.push_back(ItemRow::area(*list));
            }
        }
    }
    return rows;
}

std::vector<ItemRow> defaultRows(KNVTTaskStore &store, unsigned int focusType)
{
    KNVTFocusTaskList focus(KNVTFocusType(focusType), &store);
    std::vector<KNVTCDTask *> incomplete, completed;
    for (KNVTCDTask *task : focus.tasks())
        (task->isCompletedOrCancelled() ? completed : incomplete).push_back(task);
    std::vector<ItemRow> rows;
    auto append = [&rows](const QString &title, const std::vector<KNVTCDTask *> &tasks) {
        if (tasks.empty())
            return;
        rows.push_back(ItemRow::header(title));
        for (KNVTCDTask *task : tasks)
            rows.push_back(ItemRow::task(*task));
    };
    append(QStringLiteral("Incomplete"), incomplete);
    append(QStringLiteral("Completed"), completed);
    return rows;
}

} // namespace

KNVTFocusTaskListItemsTableViewController::KNVTFocusTaskListItemsTableViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsTableViewController(delegate, parent)
{
    tableModel()->setAcceptsDrops(true);
}

KNVTFocusTaskListItemsTableViewController::~KNVTFocusTaskListItemsTableViewController() = default;

void KNVTFocusTaskListItemsTableViewController::loadView()
{
    KNVTTaskStoreItemsTableViewController::loadView();
    tableView()->setAcceptDrops(true);
    updateTableViewLabel();
}

std::vector<ItemRow> KNVTFocusTaskListItemsTableViewController::rowsForFocusType(unsigned int focusType)
{
    KNVTTaskStore &store = taskStore();
    // Each title of the rebuild is collated once, not in every comparison of the sorts.
    knvt::TitleSortKeys titleKeys;
    switch (focusType) {
    case KNVTFocusTypeInbox: return inboxRows(store);
    case KNVTFocusTypeToday: {
        std::vector<ItemRow> rows;
        appendPerListSections(
            rows, store, [&store](const KNVTCDTaskList *list) { return store.todayTasksForTaskList(list); },
            KNVTCDTask::todayTaskComparator());
        return rows;
    }
    case KNVTFocusTypeNext: {
        std::vector<ItemRow> rows;
        appendPerListSections(
            rows, store, [&store](const KNVTCDTaskList *list) { return store.nextTasksForTaskList(list); },
            KNVTCDTask::uncompletedTaskComparator());
        return rows;
    }
    case KNVTFocusTypeScheduled: {
        std::vector<ItemRow> rows;
        appendTaskSection(rows, QString(), store.scheduledTasks(), KNVTCDTask::scheduledTaskComparator(), true, false);
        return rows;
    }
    case KNVTFocusTypeSomeday: return somedayRows(store);
    case KNVTFocusTypeWatched: return watchedRows(store);
    case KNVTFocusTypeDelegated: return delegatedRows(store);
    case KNVTFocusTypeArchived: return archivedRows(store);
    default: return defaultRows(store, focusType);
    }
}

void KNVTFocusTaskListItemsTableViewController::setFocusTaskList(std::optional<unsigned int> focusType)
{
    const std::optional<KNVTFocusType> type =
        focusType ? std::optional<KNVTFocusType>(KNVTFocusType(*focusType)) : std::nullopt;
    if (type == m_focusType)
        return;
    m_focusType = type;
    updateCells();
}

void KNVTFocusTaskListItemsTableViewController::updateCells()
{
    setRows(m_focusType ? rowsForFocusType(*m_focusType) : std::vector<ItemRow>());
    updateTableViewLabel();
}

void KNVTFocusTaskListItemsTableViewController::reloadData()
{
    rememberSelection();
    updateCells();
    restoreSelection();
}

void KNVTFocusTaskListItemsTableViewController::selectAllItems()
{
    QList<int> rows;
    for (int row = 0; row < numberOfRows(); ++row)
        rows << row;
    selectRows(rows);
}

void KNVTFocusTaskListItemsTableViewController::deselectAllItems()
{
    selectRows({});
}

// ---- Store changes ----

void KNVTFocusTaskListItemsTableViewController::taskStoreWillChangeNotification()
{
    if (!m_focusType)
        return;
    rememberSelection();
}

void KNVTFocusTaskListItemsTableViewController::taskStoreDidChangeNotification()
{
    if (!m_focusType) {
        updateTableViewLabel();
        return;
    }
    // Every query of the focus type runs again.
    updateCells();
    restoreSelection();
}

// ---- Printing ----

QString KNVTFocusTaskListItemsTableViewController::HTMLStringForPrinting()
{
    QString body;
    const Tasks selected = selectedTasks();
    if (!selected.empty()) {
        for (KNVTCDTask *task : selected)
            body += task->HTMLStringForPrinting();
    } else if (m_focusType) {
        body = KNVTFocusTaskList(*m_focusType).HTMLStringForPrinting();
    }
    return knvt::printedPage(body);
}

void KNVTFocusTaskListItemsTableViewController::print()
{
    const QString title = m_focusType ? KNVTCDTask::localizedDisplayNameForFocusType(*m_focusType) : QString();
    auto *printer = new KNVTHTMLPrinter(HTMLStringForPrinting());
    printer->printWithInfo(
        std::nullopt, [title](QPrinter &qprinter) { qprinter.setDocName(title); },
        [printer](bool printed) {
            qCInfo(lcLists).noquote() << "KNVTFocusTaskListItemsTableViewController:print" << printed;
            printer->deleteLater();
        });
}

// ---- Drag and drop ----

QMimeData *KNVTFocusTaskListItemsTableViewController::writeRows(const QList<int> &rows) const
{
    // Tasks first, then lists, each in row order.
    std::vector<const KNVTCDTaskStoreObject *> objects;
    for (KNVTCDTask *task : tasksForRowIndexes(rows))
        objects.push_back(task);
    for (KNVTCDTaskList *list : taskListsForRowIndexes(rows))
        objects.push_back(list);
    if (objects.empty())
        return nullptr;
    auto *mime = new QMimeData;
    knvt::ObjectReferencePayload::writeObjects(*mime, objects);
    return mime;
}

Qt::DropAction KNVTFocusTaskListItemsTableViewController::validateDrop(const QMimeData &mime, int row,
                                                                       bool fromThisProcess)
{
    // Another program's drag never changes anything here.
    if (!fromThisProcess || !knvt::ObjectReferencePayload::hasPayload(mime))
        return Qt::IgnoreAction;
    if (knvt::DroppedObjects::read(mime).tags.empty())
        return Qt::IgnoreAction;
    const ItemRow *target = rowAt(row);
    if (!target || target->isHeader())
        return Qt::IgnoreAction;
    return Qt::MoveAction;
}

bool KNVTFocusTaskListItemsTableViewController::acceptDrop(const QMimeData &mime, int row, bool fromThisProcess)
{
    if (!fromThisProcess)
        return false;
    const knvt::DroppedObjects dropped = knvt::DroppedObjects::read(mime);
    const ItemRow *target = rowAt(row);
    if (dropped.tasks.empty() && dropped.taskLists.empty() && !dropped.tags.empty() && target) {
        if (auto *task = dynamic_cast<KNVTCDTask *>(taskStore().objectForURI(target->uri))) {
            for (KNVTCDTag *tag : dropped.tags)
                task->addTag(tag);
            taskStore().saveWithCompletionHandler();
        }
    }
    return true;
}
