#include "app/HomeModel.h"

#include "lists/DroppedObjects.h"

#include "store/KNVTFocusTaskList.h"
#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

#include "uikit/ImageAdditions.h"
#include "uikit/ItemDataRole.h"
#include "uikit/KNVTSourceListTableCellView.h"

#include <QHash>
#include <QMimeData>

namespace knvt {

HomeModel::HomeModel(QObject *parent) : QAbstractItemModel(parent) {}

namespace {

QString iconNameForFocusType(KNVTFocusType focusType)
{
    switch (focusType) {
    case KNVTFocusTypeInbox: return QStringLiteral("SL_InboxTemplate");
    case KNVTFocusTypeToday: return QStringLiteral("SL_StarTemplate");
    case KNVTFocusTypeNext: return QStringLiteral("SL_NextTemplate");
    case KNVTFocusTypeScheduled: return QStringLiteral("SL_ScheduledTemplate");
    case KNVTFocusTypeSomeday: return QStringLiteral("SL_SomedayTemplate");
    case KNVTFocusTypeDelegated: return QStringLiteral("TB_UserTemplate");
    case KNVTFocusTypeArchived: return QStringLiteral("SL_ArchiveTemplate");
    default: return QString();
    }
}

// The icons of the rows, made once: every rebuild would otherwise load them again.
QIcon cachedIcon(const QString &name)
{
    static QHash<QString, QIcon> icons;
    auto found = icons.find(name);
    if (found == icons.end())
        found = icons.insert(name, templateImageFromMainBundleWithName(name));
    return *found;
}

} // namespace

HomeModel::Row HomeModel::rowFor(const HomeEntry &entry, const QSet<const KNVTCDTaskList *> &collaborative)
{
    Row row;
    row.entry = entry;
    switch (entry.kind) {
    case HomeEntry::Kind::FocusList: {
        // Name, icon and count only: a focus list object would run the list's whole query.
        row.title = KNVTCDTask::localizedDisplayNameForFocusType(entry.focusType);
        row.iconName = iconNameForFocusType(entry.focusType);
        KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
        qsizetype count = 0;
        if (entry.focusType == KNVTFocusTypeInbox)
            count = store.numberOfUncompletedInboxTasks();
        else if (entry.focusType == KNVTFocusTypeToday)
            count = store.numberOfUncompletedDueAndTodayTasks();
        if (count != 0)
            row.badge = QString::number(count);
        break;
    }
    case HomeEntry::Kind::TaskList:
        if (auto *list = dynamic_cast<KNVTCDTaskList *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry.uri))) {
            row.title = list->title();
            row.showsSharedIconButton = collaborative.contains(list);
        }
        row.iconName = QStringLiteral("SL_TaskListTemplate");
        break;
    case HomeEntry::Kind::Item:
        row.title = entry.item.localizedDisplayName();
        row.iconName = QStringLiteral("SL_ListsTemplate");
        break;
    case HomeEntry::Kind::Tag:
        if (auto *tag = dynamic_cast<KNVTCDTag *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry.uri)))
            row.title = tag->title();
        row.iconName = QStringLiteral("SL_TagTemplate");
        break;
    }
    row.icon = cachedIcon(row.iconName);
    return row;
}

bool HomeModel::Row::sameAs(const Row &other) const
{
    return entry == other.entry && title == other.title && iconName == other.iconName && badge == other.badge
        && showsSharedIconButton == other.showsSharedIconButton;
}

std::vector<std::vector<HomeModel::Row>> HomeModel::rowsFor(const std::vector<KNVTHomeSection> &sections)
{
    QSet<const KNVTCDTaskList *> collaborative;
    for (const KNVTCDTaskList *list : KNVTTaskStore::defaultTaskStore()->collaborativeTaskLists())
        collaborative.insert(list);
    std::vector<std::vector<Row>> rows;
    for (const KNVTHomeSection &section : sections) {
        std::vector<Row> sectionRows;
        for (const HomeEntry &entry : section.children())
            sectionRows.push_back(rowFor(entry, collaborative));
        rows.push_back(std::move(sectionRows));
    }
    return rows;
}

void HomeModel::setSections(std::vector<KNVTHomeSection> sections)
{
    beginResetModel();
    m_rows = rowsFor(sections);
    m_sections = std::move(sections);
    m_serials.clear();
    for (size_t s = 0; s < m_sections.size(); ++s)
        m_serials.push_back(m_nextSerial++);
    endResetModel();
}

QModelIndex HomeModel::sectionIndex(int section) const
{
    return createIndex(section, 0, quintptr(0));
}

int HomeModel::sectionOfSerial(quintptr serial) const
{
    for (size_t s = 0; s < m_serials.size(); ++s)
        if (m_serials[s] == serial)
            return int(s);
    return -1;
}

void HomeModel::insertSection(int at, KNVTHomeSection section, std::vector<Row> rows)
{
    beginInsertRows(QModelIndex(), at, at);
    m_sections.insert(m_sections.begin() + at, std::move(section));
    m_serials.insert(m_serials.begin() + at, m_nextSerial++);
    m_rows.insert(m_rows.begin() + at, std::vector<Row>());
    endInsertRows();
    placeRows(at, std::move(rows));
}

void HomeModel::placeRows(int section, std::vector<Row> rows)
{
    const QModelIndex parent = sectionIndex(section);
    std::vector<Row> &shown = m_rows[size_t(section)];
    auto find = [&shown](const HomeEntry &entry) {
        for (size_t r = 0; r < shown.size(); ++r)
            if (shown[r].entry == entry)
                return int(r);
        return -1;
    };
    // Entries that went.
    for (int r = int(shown.size()) - 1; r >= 0; --r) {
        const bool kept =
            std::any_of(rows.begin(), rows.end(), [&](const Row &row) { return row.entry == shown[size_t(r)].entry; });
        if (kept)
            continue;
        beginRemoveRows(parent, r, r);
        shown.erase(shown.begin() + r);
        endRemoveRows();
    }
    // Each entry at its place in turn: moved there, or inserted; then its contents.
    for (int k = 0; k < int(rows.size()); ++k) {
        const int current = find(rows[size_t(k)].entry);
        if (current < 0) {
            beginInsertRows(parent, k, k);
            shown.insert(shown.begin() + k, rows[size_t(k)]);
            endInsertRows();
            continue;
        }
        if (current != k) {
            beginMoveRows(parent, current, current, parent, k);
            Row row = std::move(shown[size_t(current)]);
            shown.erase(shown.begin() + current);
            shown.insert(shown.begin() + k, std::move(row));
            endMoveRows();
        }
        if (!shown[size_t(k)].sameAs(rows[size_t(k)])) {
            shown[size_t(k)] = rows[size_t(k)];
            const QModelIndex changed = createIndex(k, 0, m_serials[size_t(section)]);
            emit dataChanged(changed, changed);
        }
    }
}

void HomeModel::updateSections(std::vector<KNVTHomeSection> sections)
{
    std::vector<std::vector<Row>> rows = rowsFor(sections);
    // Sections stand in a fixed order of their types; those that went go first, new ones come in at their place.
    for (int s = int(m_sections.size()) - 1; s >= 0; --s) {
        const bool kept = std::any_of(sections.begin(), sections.end(), [&](const KNVTHomeSection &section) {
            return section.homeSectionType() == m_sections[size_t(s)].homeSectionType();
        });
        if (kept)
            continue;
        beginRemoveRows(QModelIndex(), s, s);
        m_sections.erase(m_sections.begin() + s);
        m_serials.erase(m_serials.begin() + s);
        m_rows.erase(m_rows.begin() + s);
        endRemoveRows();
    }
    for (int t = 0; t < int(sections.size()); ++t) {
        if (t < int(m_sections.size())
            && m_sections[size_t(t)].homeSectionType() == sections[size_t(t)].homeSectionType()) {
            // The section keeps its expansion; its entries are new.
            const bool expanded = m_sections[size_t(t)].isExpanded();
            m_sections[size_t(t)] = std::move(sections[size_t(t)]);
            if (m_sections[size_t(t)].isExpanded() != expanded && m_sections[size_t(t)].isCollapsible())
                m_sections[size_t(t)].setExpanded(expanded);
            placeRows(t, std::move(rows[size_t(t)]));
            continue;
        }
        insertSection(t, std::move(sections[size_t(t)]), std::move(rows[size_t(t)]));
    }
}

KNVTHomeSection *HomeModel::sectionAt(const QModelIndex &index)
{
    if (!index.isValid() || index.internalId() != 0 || index.row() >= int(m_sections.size()))
        return nullptr;
    return &m_sections[size_t(index.row())];
}

std::optional<HomeEntry> HomeModel::entryAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.internalId() == 0)
        return std::nullopt;
    const int section = sectionOfSerial(index.internalId());
    if (section < 0 || size_t(index.row()) >= m_rows[size_t(section)].size())
        return std::nullopt;
    return m_rows[size_t(section)][size_t(index.row())].entry;
}

QModelIndex HomeModel::indexForEntry(const HomeEntry &entry) const
{
    for (size_t s = 0; s < m_rows.size(); ++s)
        for (size_t r = 0; r < m_rows[s].size(); ++r)
            if (m_rows[s][r].entry == entry)
                return createIndex(int(r), 0, m_serials[s]);
    return {};
}

QModelIndex HomeModel::indexForSection(int homeSectionType) const
{
    for (size_t s = 0; s < m_sections.size(); ++s)
        if (m_sections[s].homeSectionType() == homeSectionType)
            return createIndex(int(s), 0, quintptr(0));
    return {};
}

QModelIndex HomeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < int(m_sections.size()) ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || parent.row() >= int(m_rows.size()))
        return {};
    return row < int(m_rows[size_t(parent.row())].size()) ? createIndex(row, 0, m_serials[size_t(parent.row())])
                                                          : QModelIndex();
}

QModelIndex HomeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    const int section = sectionOfSerial(child.internalId());
    return section < 0 ? QModelIndex() : createIndex(section, 0, quintptr(0));
}

int HomeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_sections.size());
    if (parent.internalId() != 0 || parent.row() >= int(m_rows.size()))
        return 0;
    return int(m_rows[size_t(parent.row())].size());
}

int HomeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant HomeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.internalId() == 0) {
        const KNVTHomeSection &section = m_sections[size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return section.localizedDisplayName();
        case IsSectionRole: return true;
        default: return {};
        }
    }
    const int section = sectionOfSerial(index.internalId());
    if (section < 0 || size_t(index.row()) >= m_rows[size_t(section)].size())
        return {};
    const Row &row = m_rows[size_t(section)][size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return row.title;
    case Qt::AccessibleTextRole:
        return row.badge.isEmpty() ? row.title : QStringLiteral("%1, %2").arg(row.title, row.badge);
    case Qt::AccessibleDescriptionRole:
        // What the sharing picture beside a shared project or area says.
        return row.showsSharedIconButton ? tr("Shared") : QString();
    case Qt::DecorationRole: return row.icon;
    case KNVTSourceListTableCellView::LabelTextRole: return row.badge;
    case KNVTSourceListTableCellView::ShowsSharedIconButtonRole: return row.showsSharedIconButton;
    case ObjectUriRole:
        return row.entry.kind == HomeEntry::Kind::TaskList || row.entry.kind == HomeEntry::Kind::Tag
            ? QVariant(row.entry.uri)
            : QVariant();
    case IsSectionRole: return false;
    default: return {};
    }
}

Qt::ItemFlags HomeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    // Group rows cannot be selected; they take drops (the Projects and Areas headers reorder).
    if (index.internalId() == 0)
        return Qt::ItemIsEnabled | Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (const std::optional<HomeEntry> entry = entryAt(index);
        entry && (entry->kind == HomeEntry::Kind::TaskList || entry->kind == HomeEntry::Kind::Tag))
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList HomeModel::mimeTypes() const
{
    return {QStringLiteral("KNVTTastStoreManagedObjectDragAndDropUTI")};
}

QMimeData *HomeModel::mimeData(const QModelIndexList &indexes) const
{
    return m_mimeWriter ? m_mimeWriter(indexes) : nullptr;
}

Qt::DropActions HomeModel::supportedDragActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions HomeModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

namespace {

// A list may be dropped on its section's header when I may edit it or its tasks, or it is active anyway.
bool passesListTest(const KNVTCDTaskList *list)
{
    return list->canEdit() || list->canEditTasks() || list->status() == qint64(KNVTTaskListStatusActionable);
}

template <class T, class Predicate>
bool all(const std::vector<T *> &objects, Predicate predicate)
{
    return std::all_of(objects.begin(), objects.end(), predicate);
}

} // namespace

Qt::DropAction HomeModel::dropAction(const QMimeData &mime, const QModelIndex &target, bool fromThisProcess) const
{
    // Only this program's own drags, read strictly: another program's data never changes anything here.
    if (!fromThisProcess)
        return Qt::IgnoreAction;
    const std::optional<QList<QUrl>> uris = ObjectReferencePayload::read(mime);
    if (!uris)
        return Qt::IgnoreAction;
    const DroppedObjects dragged = DroppedObjects::fromURIs(*uris);
    const bool hasTasks = !dragged.tasks.empty();
    const bool hasLists = !dragged.taskLists.empty();

    if (target.isValid() && !target.parent().isValid()) {
        const KNVTHomeSection &section = m_sections[size_t(target.row())];
        if (section.homeSectionType() == KNVTHomeSectionTypeProjects)
            return hasLists && !hasTasks && !dragged.projects.empty() && dragged.areas.empty()
                    && all(dragged.taskLists, passesListTest)
                ? Qt::MoveAction
                : Qt::IgnoreAction;
        if (section.homeSectionType() == KNVTHomeSectionTypeAreas)
            return hasLists && !hasTasks && !dragged.areas.empty() && dragged.projects.empty()
                    && all(dragged.taskLists, passesListTest)
                ? Qt::MoveAction
                : Qt::IgnoreAction;
        // Tags are reordered among themselves; a drop onto the header puts them first.
        if (section.homeSectionType() == KNVTHomeSectionTypeTags)
            return !dragged.tags.empty() && !hasTasks && !hasLists ? Qt::MoveAction : Qt::IgnoreAction;
        return Qt::IgnoreAction;
    }

    const std::optional<HomeEntry> entry = entryAt(target);
    if (!entry)
        return Qt::IgnoreAction;
    if (entry->kind == HomeEntry::Kind::FocusList) {
        const KNVTFocusTaskList focus(entry->focusType);
        const bool tasksOk =
            all(dragged.tasks, [](const KNVTCDTask *t) { return t->canEdit(); }) && focus.canHandleTasks(dragged.tasks);
        const bool listsOk = all(dragged.taskLists, [](const KNVTCDTaskList *l) { return l->canEdit(); })
            && focus.canHandleTaskLists(dragged.taskLists);
        if (hasTasks && !hasLists)
            return tasksOk ? Qt::MoveAction : Qt::IgnoreAction;
        if (hasLists && !hasTasks)
            return listsOk ? Qt::MoveAction : Qt::IgnoreAction;
        if (hasLists && hasTasks)
            return tasksOk && listsOk ? Qt::MoveAction : Qt::IgnoreAction;
        return Qt::IgnoreAction;
    }
    if (entry->kind == HomeEntry::Kind::Tag)
        return hasTasks && !hasLists
                && dynamic_cast<KNVTCDTag *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry->uri))
            ? Qt::MoveAction
            : Qt::IgnoreAction;
    if (entry->kind == HomeEntry::Kind::TaskList) {
        const auto *list =
            dynamic_cast<const KNVTCDTaskList *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry->uri));
        // Each task must also be movable out of where it is now.
        return list && hasTasks && !hasLists
                && all(dragged.tasks, [list](const KNVTCDTask *t) { return list->canAddTask(t) && t->canMove(); })
            ? Qt::MoveAction
            : Qt::IgnoreAction;
    }
    return Qt::IgnoreAction;
}

} // namespace knvt
