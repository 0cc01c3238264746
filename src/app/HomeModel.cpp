#include "app/HomeModel.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

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

HomeModel::Row HomeModel::rowFor(const HomeEntry &entry, const QHash<const KNVTCDTaskList *, int> &members)
{
    Row row;
    row.entry = entry;
    switch (entry.kind) {
    case HomeEntry::Kind::FocusList: {
        // Name, icon and count only: a focus list object would run the list's whole query.
        row.title = KNVTCDTask::localizedDisplayNameForFocusType(entry.focusType);
        row.icon = cachedIcon(iconNameForFocusType(entry.focusType));
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
            // Collaborative: more than one live membership with a user.
            row.showsSharedIconButton = members.value(list) > 1;
        }
        row.icon = cachedIcon(QStringLiteral("SL_TaskListTemplate"));
        break;
    case HomeEntry::Kind::Item:
        row.title = entry.item.localizedDisplayName();
        row.icon = cachedIcon(QStringLiteral("SL_ListsTemplate"));
        break;
    case HomeEntry::Kind::Tag:
        if (auto *tag = dynamic_cast<KNVTCDTag *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry.uri)))
            row.title = tag->title();
        row.icon = cachedIcon(QStringLiteral("SL_TagTemplate"));
        break;
    }
    return row;
}

void HomeModel::setSections(std::vector<KNVTHomeSection> sections)
{
    beginResetModel();
    m_sections = std::move(sections);
    m_rows.clear();
    // The members of every list in one fetch, instead of one fetch per row.
    QHash<const KNVTCDTaskList *, int> members;
    if (ostore::Context *context = KNVTTaskStore::defaultTaskStore()->managedObjectContext()) {
        using namespace ostore::where;
        for (KNVTCDTaskListCollaborator *row : context->fetch<KNVTCDTaskListCollaborator>(
                 isNull(QStringLiteral("deletedDate")) && notNull(QStringLiteral("user"))))
            if (const KNVTCDTaskList *list = row->taskList())
                ++members[list];
    }
    for (const KNVTHomeSection &section : m_sections) {
        std::vector<Row> rows;
        for (const HomeEntry &entry : section.children())
            rows.push_back(rowFor(entry, members));
        m_rows.push_back(std::move(rows));
    }
    endResetModel();
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
    const size_t section = size_t(index.internalId() - 1);
    if (section >= m_rows.size() || size_t(index.row()) >= m_rows[section].size())
        return std::nullopt;
    return m_rows[section][size_t(index.row())].entry;
}

QModelIndex HomeModel::indexForEntry(const HomeEntry &entry) const
{
    for (size_t s = 0; s < m_rows.size(); ++s)
        for (size_t r = 0; r < m_rows[s].size(); ++r)
            if (m_rows[s][r].entry == entry)
                return createIndex(int(r), 0, quintptr(s + 1));
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
    return row < int(m_rows[size_t(parent.row())].size()) ? createIndex(row, 0, quintptr(parent.row() + 1))
                                                          : QModelIndex();
}

QModelIndex HomeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
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
    const Row &row = m_rows[size_t(index.internalId() - 1)][size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return row.title;
    case Qt::AccessibleTextRole:
        return row.badge.isEmpty() ? row.title : QStringLiteral("%1, %2").arg(row.title, row.badge);
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

} // namespace knvt
