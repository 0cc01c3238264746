#include "lists/KNVTFocusTaskListItemsTableViewController.h"

#include "lists/DroppedObjects.h"
#include "lists/ItemsTableModel.h"
#include "lists/KNVTHTMLPrinter.h"
#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/ListMembership.h"
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
using knvt::ListSection;

// The model's order, then the objects' identities: the same order whichever order the store answered in.
bool orderedBefore(const Comparator &comparator, const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b)
{
    if (comparator(a, b))
        return true;
    if (comparator(b, a))
        return false;
    return knvt::TaskSections::identityLessThan(*a, *b);
}

template <class T>
void sortObjects(std::vector<T *> &objects, const Comparator &comparator)
{
    std::sort(objects.begin(), objects.end(),
              [&comparator](const T *a, const T *b) { return orderedBefore(comparator, a, b); });
}

ListSection section(const QString &identifier, const QString &title, bool showsHeader = true)
{
    return ListSection{KNVTOutlineViewSection::create(identifier, title), {}, showsHeader};
}

// The fixed sections of the focus lists: their English titles are their identifiers, which the list's changes find
// them by; the headers read them in the user's language.
[[maybe_unused]] const char *const kFixedSectionTitles[] = {
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Incomplete"),
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Scheduled"),
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Someday"),
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Completed"),
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Inbox"),
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Someday Tasks"),
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Someday Projects"),
    QT_TRANSLATE_NOOP("KNVTFocusTaskListItemsTableViewController", "Someday Areas"),
};

QString sectionName(const QString &identifier)
{
    return QCoreApplication::translate("KNVTFocusTaskListItemsTableViewController", identifier.toUtf8().constData());
}

// A fixed section under its translated header.
ListSection fixedSection(const QString &identifier, bool showsHeader = true)
{
    return section(identifier, sectionName(identifier), showsHeader);
}

// The sections of the four states with their headers translated.
std::vector<ListSection> named(std::vector<ListSection> sections)
{
    for (ListSection &made : sections)
        made.section = KNVTOutlineViewSection::create(made.identifier(), sectionName(made.identifier()));
    return sections;
}

// A section: its header, then one row per task; nothing when there are none.
void appendTaskSection(std::vector<ListSection> &sections, const QString &identifier, const QString &title,
                       std::vector<KNVTCDTask *> tasks, const Comparator &comparator, bool showsTaskListTitle = true,
                       bool withHeader = true)
{
    if (tasks.empty())
        return;
    sortObjects(tasks, comparator);
    ListSection added = section(identifier, title, withHeader);
    added.rows.reserve(tasks.size());
    for (KNVTCDTask *task : tasks)
        added.rows.push_back(ItemRow::task(*task, showsTaskListTitle));
    sections.push_back(std::move(added));
}

// Today and Next: the inbox's tasks, then those of each active project and area, each list a section of its own.
const QString kInboxSection = QStringLiteral("Inbox");

QString listSection(const KNVTCDTaskList *list)
{
    return list ? list->uri().toString() : kInboxSection;
}

template <class Query>
std::vector<ListSection> perListSections(KNVTTaskStore &store, Query query, const Comparator &comparator)
{
    std::vector<ListSection> sections;
    appendTaskSection(sections, kInboxSection, sectionName(kInboxSection), query(nullptr), comparator);
    for (auto lists : {store.activeProjects(), store.activeAreas()}) {
        sortObjects(lists, KNVTCDTaskList::taskListComparator());
        for (KNVTCDTaskList *list : lists)
            appendTaskSection(sections, listSection(list), list->title(), query(list), comparator, false);
    }
    return sections;
}

const QString kStateSectionTitles[4] = {QStringLiteral("Incomplete"), QStringLiteral("Scheduled"),
                                        QStringLiteral("Someday"), QStringLiteral("Completed")};

std::vector<ListSection> inboxSections(KNVTTaskStore &store)
{
    return named(knvt::TaskSections::byFocus(store.inboxTasks()).tableSections(kStateSectionTitles));
}

std::vector<ListSection> watchedSections(KNVTTaskStore &store)
{
    return named(knvt::TaskSections::byStatus(store.watchedTasks()).tableSections(kStateSectionTitles));
}

std::vector<ListSection> somedaySections(KNVTTaskStore &store)
{
    std::vector<ListSection> sections;
    appendTaskSection(sections, QStringLiteral("Someday Tasks"), sectionName(QStringLiteral("Someday Tasks")),
                      store.somedayTaskWhosTaskListIsntInSomeday(), KNVTCDTaskStoreObject::somedayObjectComparator());
    auto appendLists = [&sections](const QString &title, std::vector<KNVTCDTaskList *> lists, bool projects) {
        if (lists.empty())
            return;
        sortObjects(lists, KNVTCDTaskStoreObject::somedayObjectComparator());
        ListSection added = fixedSection(title);
        for (KNVTCDTaskList *list : lists)
            added.rows.push_back(projects ? ItemRow::project(*list) : ItemRow::area(*list));
        sections.push_back(std::move(added));
    };
    appendLists(QStringLiteral("Someday Projects"), store.suspendedProjects(), true);
    appendLists(QStringLiteral("Someday Areas"), store.suspendedAreas(), false);
    return sections;
}

std::vector<ListSection> delegatedSections(KNVTTaskStore &store)
{
    std::vector<KNVTCDUser *> users = store.sortedUsersExcludingMe();
    sortObjects(users, KNVTCDUser::userComparator());
    std::vector<ListSection> sections;
    for (KNVTCDUser *user : users)
        appendTaskSection(sections, user->uri().toString(), user->extendedDisplayName(),
                          store.uncompletedTasksDelegatedTo(user), KNVTCDTask::uncompletedTaskComparator());
    return sections;
}

std::vector<ListSection> archivedSections(KNVTTaskStore &store)
{
    std::vector<KNVTCDTaskStoreObject *> objects;
    for (KNVTCDTask *task : store.archivedTasksNotInArchivedTaskList())
        objects.push_back(task);
    for (KNVTCDTaskList *list : store.archivedProjects())
        objects.push_back(list);
    for (KNVTCDTaskList *list : store.archivedAreas())
        objects.push_back(list);
    if (objects.empty())
        return {};
    sortObjects(objects, KNVTCDTaskStoreObject::archivedObjectComparator());
    ListSection archived = section(QStringLiteral("Archived"), QString(), false);
    archived.rows.reserve(objects.size());
    for (KNVTCDTaskStoreObject *object : objects) {
        if (auto *task = dynamic_cast<KNVTCDTask *>(object)) {
            ItemRow row = ItemRow::task(*task);
            row.checkBoxEnabled = false;
            archived.rows.push_back(std::move(row));
        } else if (auto *list = dynamic_cast<KNVTCDTaskList *>(object)) {
            if (list->isProject()) {
                ItemRow row = ItemRow::project(*list);
                row.checkBoxEnabled = false;
                archived.rows.push_back(std::move(row));
            } else if (list->isArea()) {
                archived.rows.push_back(ItemRow::area(*list));
            }
        }
    }
    return {std::move(archived)};
}

std::vector<ListSection> defaultSections(KNVTTaskStore &store, unsigned int focusType)
{
    KNVTFocusTaskList focus(KNVTFocusType(focusType), &store);
    std::vector<KNVTCDTask *> incomplete, completed;
    for (KNVTCDTask *task : focus.tasks())
        (task->isCompletedOrCancelled() ? completed : incomplete).push_back(task);
    std::vector<ListSection> sections;
    auto append = [&sections](const QString &title, const std::vector<KNVTCDTask *> &tasks) {
        if (tasks.empty())
            return;
        ListSection added = fixedSection(title);
        for (KNVTCDTask *task : tasks)
            added.rows.push_back(ItemRow::task(*task));
        sections.push_back(std::move(added));
    };
    append(QStringLiteral("Incomplete"), incomplete);
    append(QStringLiteral("Completed"), completed);
    return sections;
}

// Where one task stands in the focus lists that show tasks only, decided by the condition of the list's own query.
class FocusMembership final : public knvt::ListMembership
{
public:
    FocusMembership(KNVTTaskStore &store, KNVTFocusType focusType) : m_store(store), m_focusType(focusType)
    {
        switch (focusType) {
        case KNVTFocusTypeInbox: m_predicate = store.inboxTasksPredicate(); break;
        case KNVTFocusTypeToday:
            m_predicate = store.todayTasksPredicate();
            m_comparator = KNVTCDTask::todayTaskComparator();
            break;
        case KNVTFocusTypeNext:
            m_predicate = store.nextTasksPredicate();
            m_comparator = KNVTCDTask::uncompletedTaskComparator();
            break;
        case KNVTFocusTypeScheduled:
            m_predicate = store.scheduledTasksPredicate();
            m_comparator = KNVTCDTask::scheduledTaskComparator();
            break;
        default: break;
        }
    }

    static bool placesTasks(KNVTFocusType focusType)
    {
        return focusType == KNVTFocusTypeInbox || focusType == KNVTFocusTypeToday || focusType == KNVTFocusTypeNext
            || focusType == KNVTFocusTypeScheduled;
    }

    std::optional<Placement> placementOfTask(KNVTCDTask &task) override
    {
        if (!m_store.evaluate(&task, m_predicate))
            return std::nullopt;
        switch (m_focusType) {
        case KNVTFocusTypeInbox:
            return Placement{kStateSectionTitles[knvt::TaskSections::focusGroupOf(task)], ItemRow::task(task)};
        case KNVTFocusTypeScheduled: return Placement{QStringLiteral("Scheduled"), ItemRow::task(task)};
        default: {
            // Shown only under the inbox or an active project or area: a section the list does not show yet is left
            // to the whole rebuild.
            const KNVTCDTaskList *list = task.taskList();
            return Placement{listSection(list), ItemRow::task(task, list == nullptr)};
        }
        }
    }

    bool taskLessThan(const QString &section, const KNVTCDTask &a, const KNVTCDTask &b) override
    {
        if (m_focusType == KNVTFocusTypeInbox)
            return knvt::TaskSections::lessThan(rank(section), a, b);
        return orderedBefore(m_comparator, &a, &b);
    }

    std::optional<ListSection> sectionToShow(const QString &identifier) override
    {
        if (m_focusType == KNVTFocusTypeInbox)
            return fixedSection(identifier);
        if (m_focusType == KNVTFocusTypeScheduled)
            return section(identifier, QString(), false);
        return std::nullopt;
    }

    std::optional<int> sectionRank(const QString &identifier) override
    {
        if (m_focusType == KNVTFocusTypeInbox)
            return rank(identifier);
        if (m_focusType == KNVTFocusTypeScheduled)
            return 0;
        return std::nullopt;
    }

private:
    static int rank(const QString &identifier)
    {
        for (int i = 0; i < 4; ++i)
            if (kStateSectionTitles[i] == identifier)
                return i;
        return 0;
    }

    KNVTTaskStore &m_store;
    KNVTFocusType m_focusType;
    ostore::Predicate m_predicate;
    Comparator m_comparator;
};

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

std::vector<ListSection> KNVTFocusTaskListItemsTableViewController::sectionsForFocusType(unsigned int focusType)
{
    KNVTTaskStore &store = taskStore();
    // Each title of the rebuild is collated once, not in every comparison of the sorts.
    knvt::TitleSortKeys titleKeys;
    switch (focusType) {
    case KNVTFocusTypeInbox: return inboxSections(store);
    case KNVTFocusTypeToday:
        return perListSections(
            store, [&store](const KNVTCDTaskList *list) { return store.todayTasksForTaskList(list); },
            KNVTCDTask::todayTaskComparator());
    case KNVTFocusTypeNext:
        return perListSections(
            store, [&store](const KNVTCDTaskList *list) { return store.nextTasksForTaskList(list); },
            KNVTCDTask::uncompletedTaskComparator());
    case KNVTFocusTypeScheduled: {
        std::vector<ListSection> sections;
        appendTaskSection(sections, QStringLiteral("Scheduled"), QString(), store.scheduledTasks(),
                          KNVTCDTask::scheduledTaskComparator(), true, false);
        return sections;
    }
    case KNVTFocusTypeSomeday: return somedaySections(store);
    case KNVTFocusTypeWatched: return watchedSections(store);
    case KNVTFocusTypeDelegated: return delegatedSections(store);
    case KNVTFocusTypeArchived: return archivedSections(store);
    default: return defaultSections(store, focusType);
    }
}

void KNVTFocusTaskListItemsTableViewController::setFocusTaskList(std::optional<unsigned int> focusType)
{
    const std::optional<KNVTFocusType> type =
        focusType ? std::optional<KNVTFocusType>(KNVTFocusType(*focusType)) : std::nullopt;
    if (type == m_focusType)
        return;
    m_focusType = type;
    resetSections(m_focusType ? sectionsForFocusType(*m_focusType) : std::vector<ListSection>());
}

void KNVTFocusTaskListItemsTableViewController::reloadData()
{
    updateSections(m_focusType ? sectionsForFocusType(*m_focusType) : std::vector<ListSection>());
}

QString KNVTFocusTaskListItemsTableViewController::listTitle() const
{
    return m_focusType ? KNVTCDTask::localizedDisplayNameForFocusType(*m_focusType) : QString();
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

void KNVTFocusTaskListItemsTableViewController::taskStoreDidChangeNotification(
    const std::optional<ostore::ChangeSet> &changes)
{
    if (!m_focusType) {
        updateTableViewLabel();
        return;
    }
    const KNVTFocusType focusType = *m_focusType;
    applyStoreChange(
        changes,
        [focusType]() -> std::unique_ptr<knvt::ListMembership> {
            if (!FocusMembership::placesTasks(focusType))
                return nullptr;
            return std::make_unique<FocusMembership>(taskStore(), focusType);
        },
        [focusType] { return sectionsForFocusType(focusType); });
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
            taskStore().saveLater(knvt::Opener::User);
        }
    }
    return true;
}
