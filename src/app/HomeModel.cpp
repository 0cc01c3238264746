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
#include "uikit/KeyedRowDiff.h"

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

bool HomeModel::Row::operator==(const Row &other) const
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
    std::vector<std::vector<Row>> rows = rowsFor(sections);
    reset(std::move(sections), std::move(rows));
}

void HomeModel::reset(std::vector<KNVTHomeSection> sections, std::vector<std::vector<Row>> rows)
{
    beginResetModel();
    m_sections = std::move(sections);
    m_rows = std::move(rows);
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

// The home list's sections and entries as the one diff reads and changes them.
struct HomeModel::DiffHost
{
    struct Section
    {
        KNVTHomeSection section;
        std::vector<HomeModel::Row> rows;
    };
    using Row = HomeModel::Row;
    using SectionKey = int;
    using RowKey = HomeEntry;
    static constexpr bool foldsRepeatedRows = true;

    HomeModel &model;

    static SectionKey sectionKey(const Section &section) { return section.section.homeSectionType(); }
    static RowKey rowKey(const Row &row) { return row.entry; }
    static std::vector<Row> &rowsOf(Section &section) { return section.rows; }
    static const std::vector<Row> &rowsOf(const Section &section) { return section.rows; }

    int shownSectionCount() const { return int(model.m_sections.size()); }
    SectionKey shownSectionKey(int s) const { return model.m_sections[size_t(s)].homeSectionType(); }
    const std::vector<Row> &shownRows(int s) const { return model.m_rows[size_t(s)]; }
    // A section's entries are a snapshot of the store: it is always taken again, and shown again only when its name
    // differs.
    bool sectionDiffers(int, const Section &) const { return true; }

    void resetSections(std::vector<Section> sections)
    {
        std::vector<KNVTHomeSection> shown;
        std::vector<std::vector<Row>> rows;
        for (Section &section : sections) {
            shown.push_back(std::move(section.section));
            rows.push_back(std::move(section.rows));
        }
        model.reset(std::move(shown), std::move(rows));
    }
    void insertSection(int at, const Section &section)
    {
        model.beginInsertRows(QModelIndex(), at, at);
        model.m_sections.insert(model.m_sections.begin() + at, section.section);
        model.m_serials.insert(model.m_serials.begin() + at, model.m_nextSerial++);
        model.m_rows.insert(model.m_rows.begin() + at, std::vector<Row>());
        model.endInsertRows();
    }
    void removeSection(int at)
    {
        model.beginRemoveRows(QModelIndex(), at, at);
        model.m_sections.erase(model.m_sections.begin() + at);
        model.m_serials.erase(model.m_serials.begin() + at);
        model.m_rows.erase(model.m_rows.begin() + at);
        model.endRemoveRows();
    }
    void moveSection(int from, int to)
    {
        model.beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
        moveElement(model.m_sections, from, to);
        moveElement(model.m_serials, from, to);
        moveElement(model.m_rows, from, to);
        model.endMoveRows();
    }
    void setSection(int at, const Section &wanted)
    {
        KNVTHomeSection &shown = model.m_sections[size_t(at)];
        // The section keeps its expansion.
        const bool expanded = shown.isExpanded();
        const bool renamed = shown.localizedDisplayName() != wanted.section.localizedDisplayName();
        shown = wanted.section;
        if (shown.isExpanded() != expanded && shown.isCollapsible())
            shown.setExpanded(expanded);
        if (renamed)
            emit model.dataChanged(model.sectionIndex(at), model.sectionIndex(at));
    }
    void insertRows(int section, int at, std::vector<Row> rows)
    {
        if (rows.empty())
            return;
        model.beginInsertRows(model.sectionIndex(section), at, at + int(rows.size()) - 1);
        std::vector<Row> &shown = model.m_rows[size_t(section)];
        shown.insert(shown.begin() + at, std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        model.endInsertRows();
    }
    void removeRows(int section, int first, int count)
    {
        model.beginRemoveRows(model.sectionIndex(section), first, first + count - 1);
        std::vector<Row> &shown = model.m_rows[size_t(section)];
        shown.erase(shown.begin() + first, shown.begin() + first + count);
        model.endRemoveRows();
    }
    void moveRow(int fromSection, int from, int toSection, int to)
    {
        if (fromSection == toSection && from == to)
            return;
        const int destination = fromSection == toSection && to > from ? to + 1 : to;
        model.beginMoveRows(model.sectionIndex(fromSection), from, from, model.sectionIndex(toSection), destination);
        std::vector<Row> &source = model.m_rows[size_t(fromSection)];
        Row row = std::move(source[size_t(from)]);
        source.erase(source.begin() + from);
        std::vector<Row> &target = model.m_rows[size_t(toSection)];
        target.insert(target.begin() + to, std::move(row));
        model.endMoveRows();
    }
    void setRow(int section, int at, Row row)
    {
        model.m_rows[size_t(section)][size_t(at)] = std::move(row);
        const QModelIndex changed = model.createIndex(at, 0, model.m_serials[size_t(section)]);
        emit model.dataChanged(changed, changed);
    }
    void rearrangeRows(std::vector<std::vector<Row>> arrangement)
    {
        emit model.layoutAboutToBeChanged();
        // Where each kept index stands: a section by its place (sections do not move here), an entry by itself.
        const QModelIndexList before = model.persistentIndexList();
        std::vector<std::optional<HomeEntry>> entries;
        entries.reserve(size_t(before.size()));
        for (const QModelIndex &index : before)
            entries.push_back(model.entryAt(index));
        model.m_rows = std::move(arrangement);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            after << (entries[size_t(i)] ? model.indexForEntry(*entries[size_t(i)]) : before[i]);
        model.changePersistentIndexList(before, after);
        emit model.layoutChanged();
    }

    template <class T>
    static void moveElement(std::vector<T> &all, int from, int to)
    {
        T element = std::move(all[size_t(from)]);
        all.erase(all.begin() + from);
        all.insert(all.begin() + to, std::move(element));
    }
};

void HomeModel::updateSections(std::vector<KNVTHomeSection> sections)
{
    std::vector<std::vector<Row>> rows = rowsFor(sections);
    std::vector<DiffHost::Section> target;
    target.reserve(sections.size());
    for (size_t s = 0; s < sections.size(); ++s)
        target.push_back(DiffHost::Section{std::move(sections[s]), std::move(rows[s])});
    DiffHost host{*this};
    KeyedRowDiff<DiffHost>::apply(host, std::move(target));
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
