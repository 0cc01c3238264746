#include "lists/ItemsOutlineModel.h"

#include "model/KNVTCDTaskStoreObject.h"

#include <QMimeData>

#include <algorithm>

namespace knvt {

namespace {

// A section's own index carries 0; an item row carries the serial of its section.
constexpr quintptr kSectionId = 0;

} // namespace

ItemsOutlineModel::ItemsOutlineModel(QObject *parent) : QAbstractItemModel(parent) {}

ItemsOutlineModel::Shown ItemsOutlineModel::makeShown(const ListSection &section)
{
    return Shown{m_nextSerial++, ItemRow::header(section.name())};
}

void ItemsOutlineModel::relayout()
{
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

void ItemsOutlineModel::ensureRowNumbers() const
{
    if (m_rowNumbersValid)
        return;
    m_firstRows.clear();
    m_firstRows.reserve(m_sections.size());
    int row = 0;
    for (const ListSection &section : m_sections) {
        m_firstRows.push_back(row);
        row += 1 + int(section.rows.size());
    }
    m_numberOfRows = row;
    m_rowNumbersValid = true;
}

void ItemsOutlineModel::ensureRowsOfUris() const
{
    if (m_rowsOfUrisValid)
        return;
    m_rowForUri.clear();
    int row = 0;
    for (const ListSection &section : m_sections) {
        ++row;
        for (const ItemRow &item : section.rows) {
            // The first row of an object answers for it.
            if (!item.uri.isEmpty() && !m_rowForUri.contains(item.uri))
                m_rowForUri.insert(item.uri, row);
            ++row;
        }
    }
    m_rowsOfUrisValid = true;
}

int ItemsOutlineModel::numberOfRows() const
{
    ensureRowNumbers();
    return m_numberOfRows;
}

QModelIndex ItemsOutlineModel::indexForRow(int row) const
{
    ensureRowNumbers();
    if (row < 0 || row >= m_numberOfRows)
        return {};
    // The last section whose own row is at or before `row`.
    const auto it = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row) - 1;
    const int section = int(it - m_firstRows.begin());
    if (*it == row)
        return indexForSection(section);
    return indexOf(section, row - *it - 1);
}

int ItemsOutlineModel::rowForIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    ensureRowNumbers();
    if (index.internalId() == kSectionId)
        return m_firstRows[size_t(index.row())];
    const int section = sectionOfSerial(index.internalId());
    return section < 0 ? -1 : m_firstRows[size_t(section)] + 1 + index.row();
}

int ItemsOutlineModel::rowForUri(const QUrl &uri) const
{
    ensureRowNumbers();
    ensureRowsOfUris();
    if (const auto found = m_rowForUri.constFind(uri); found != m_rowForUri.cend())
        return *found;
    // An unfilled row has no URI yet; its object finds it.
    if (!m_rowSource.objectID || uri.isEmpty())
        return -1;
    const std::optional<Location> location = locate(m_rowSource.objectID(uri));
    return location ? m_firstRows[size_t(location->section)] + 1 + location->row : -1;
}

QModelIndex ItemsOutlineModel::indexForUri(const QUrl &uri) const
{
    return indexForRow(rowForUri(uri));
}

QModelIndex ItemsOutlineModel::indexForObject(const ostore::ObjectID &id) const
{
    const std::optional<Location> location = locate(id);
    return location ? indexOf(location->section, location->row) : QModelIndex();
}

QModelIndex ItemsOutlineModel::indexOf(int section, int row) const
{
    return createIndex(row, 0, m_shown[size_t(section)].serial);
}

int ItemsOutlineModel::sectionOfSerial(quintptr serial) const
{
    for (size_t s = 0; s < m_shown.size(); ++s)
        if (m_shown[s].serial == serial)
            return int(s);
    return -1;
}

const ItemRow *ItemsOutlineModel::itemRowAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (index.internalId() == kSectionId)
        return index.row() < int(m_shown.size()) ? &m_shown[size_t(index.row())].header : nullptr;
    const int section = sectionOfSerial(index.internalId());
    if (section < 0 || index.row() >= int(m_sections[size_t(section)].rows.size()))
        return nullptr;
    // Filling a row changes what it shows, not which row it is: the row numbers and the views stay as they are. The
    // model owns its rows, so the const of the question does not bind them.
    auto &row = const_cast<ItemRow &>(m_sections[size_t(section)].rows[size_t(index.row())]);
    if (row.unfilled && m_rowSource.row) {
        row = m_rowSource.row(row.objectID);
        row.unfilled = false;
    }
    return &row;
}

bool ItemsOutlineModel::isSection(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.internalId() == kSectionId;
}

int ItemsOutlineModel::sectionNumber(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return index.internalId() == kSectionId ? index.row() : sectionOfSerial(index.internalId());
}

QModelIndex ItemsOutlineModel::indexForSection(int section) const
{
    if (section < 0 || section >= int(m_sections.size()))
        return {};
    return createIndex(section, 0, kSectionId);
}

QModelIndex ItemsOutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return indexForSection(row);
    if (parent.internalId() != kSectionId || parent.row() >= int(m_sections.size()))
        return {};
    if (row >= int(m_sections[size_t(parent.row())].rows.size()))
        return {};
    return indexOf(parent.row(), row);
}

QModelIndex ItemsOutlineModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == kSectionId)
        return {};
    return indexForSection(sectionOfSerial(child.internalId()));
}

int ItemsOutlineModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_sections.size());
    if (parent.internalId() == kSectionId && parent.row() < int(m_sections.size()))
        return int(m_sections[size_t(parent.row())].rows.size());
    return 0;
}

int ItemsOutlineModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool ItemsOutlineModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant ItemsOutlineModel::data(const QModelIndex &index, int role) const
{
    if (role == ItemRowKindRole) {
        if (isSection(index))
            return int(ItemRowKind::Header);
        const int section = sectionNumber(index);
        if (section < 0 || index.row() >= int(m_sections[size_t(section)].rows.size()))
            return {};
        return int(m_sections[size_t(section)].rows[size_t(index.row())].kind);
    }
    const ItemRow *row = itemRowAt(index);
    return row ? row->data(role) : QVariant();
}

Qt::ItemFlags ItemsOutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isSection(index))
        return Qt::ItemIsEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_mimeWriter)
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList ItemsOutlineModel::mimeTypes() const
{
    return {QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI)};
}

QMimeData *ItemsOutlineModel::mimeData(const QModelIndexList &indexes) const
{
    if (!m_mimeWriter)
        return nullptr;
    QList<int> rows;
    for (const QModelIndex &index : indexes)
        if (index.isValid() && !isSection(index))
            rows << rowForIndex(index);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QModelIndexList items;
    items.reserve(rows.size());
    for (int row : rows)
        items << indexForRow(row);
    return m_mimeWriter(items);
}

Qt::DropActions ItemsOutlineModel::supportedDragActions() const
{
    // Copy as well, so that other programs can take the rows' text.
    return Qt::MoveAction | Qt::CopyAction;
}

// ---- Changes ----

void ItemsOutlineModel::resetSections(std::vector<ListSection> sections)
{
    beginResetModel();
    m_sections = std::move(sections);
    m_shown.clear();
    m_shown.reserve(m_sections.size());
    for (const ListSection &section : m_sections)
        m_shown.push_back(makeShown(section));
    rowsChanged();
    endResetModel();
}

void ItemsOutlineModel::insertSection(int at, ListSection section)
{
    beginInsertRows(QModelIndex(), at, at);
    m_shown.insert(m_shown.begin() + at, makeShown(section));
    section.rows.clear();
    m_sections.insert(m_sections.begin() + at, std::move(section));
    rowsChanged();
    endInsertRows();
}

void ItemsOutlineModel::removeSection(int at)
{
    beginRemoveRows(QModelIndex(), at, at);
    m_sections.erase(m_sections.begin() + at);
    m_shown.erase(m_shown.begin() + at);
    rowsChanged();
    endRemoveRows();
}

void ItemsOutlineModel::moveSection(int from, int to)
{
    if (from == to)
        return;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    ListSection section = std::move(m_sections[size_t(from)]);
    Shown shown = std::move(m_shown[size_t(from)]);
    m_sections.erase(m_sections.begin() + from);
    m_shown.erase(m_shown.begin() + from);
    m_sections.insert(m_sections.begin() + to, std::move(section));
    m_shown.insert(m_shown.begin() + to, std::move(shown));
    rowsChanged();
    endMoveRows();
}

void ItemsOutlineModel::setSectionHeader(int at, const KNVTOutlineViewSection::Pointer &section, bool showsHeader)
{
    m_sections[size_t(at)].section = section;
    m_sections[size_t(at)].showsHeader = showsHeader;
    m_shown[size_t(at)].header = ItemRow::header(section->name());
    const QModelIndex index = indexForSection(at);
    emit dataChanged(index, index);
}

void ItemsOutlineModel::insertItemRows(int section, int at, std::vector<ItemRow> rows)
{
    if (rows.empty())
        return;
    beginInsertRows(indexForSection(section), at, at + int(rows.size()) - 1);
    std::vector<ItemRow> &shown = m_sections[size_t(section)].rows;
    // A section's first rows are taken whole: moved a row at a time, a section of many thousand rows would be copied
    // into memory freshly mapped for it while the window waits.
    if (shown.empty())
        shown = std::move(rows);
    else
        shown.insert(shown.begin() + at, std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    rowsChanged();
    endInsertRows();
}

void ItemsOutlineModel::removeItemRows(int section, int first, int count)
{
    if (count <= 0)
        return;
    beginRemoveRows(indexForSection(section), first, first + count - 1);
    std::vector<ItemRow> &shown = m_sections[size_t(section)].rows;
    shown.erase(shown.begin() + first, shown.begin() + first + count);
    rowsChanged();
    endRemoveRows();
}

void ItemsOutlineModel::moveItemRow(int fromSection, int from, int toSection, int to)
{
    if (fromSection == toSection && from == to)
        return;
    const int destination = fromSection == toSection && to > from ? to + 1 : to;
    beginMoveRows(indexForSection(fromSection), from, from, indexForSection(toSection), destination);
    std::vector<ItemRow> &source = m_sections[size_t(fromSection)].rows;
    ItemRow row = std::move(source[size_t(from)]);
    source.erase(source.begin() + from);
    std::vector<ItemRow> &target = m_sections[size_t(toSection)].rows;
    target.insert(target.begin() + to, std::move(row));
    rowsChanged();
    endMoveRows();
}

void ItemsOutlineModel::setItemRow(int section, int at, ItemRow row)
{
    ItemRow &shown = m_sections[size_t(section)].rows[size_t(at)];
    if (shown == row)
        return;
    const bool uriChanged = shown.uri != row.uri;
    shown = std::move(row);
    if (uriChanged)
        rowsChanged();
    itemRowChanged(section, at);
}

void ItemsOutlineModel::announceItemRowsChanged(int section, int first, int last)
{
    emit dataChanged(indexOf(section, first), indexOf(section, last));
}

void ItemsOutlineModel::rearrange(std::vector<ListSection> arrangement)
{
    emit layoutAboutToBeChanged();
    // Where each kept index stands: its section by identifier, its row by object.
    const QModelIndexList before = persistentIndexList();
    struct Place
    {
        QString section;
        ostore::ObjectID object;
    };
    std::vector<Place> places;
    places.reserve(size_t(before.size()));
    for (const QModelIndex &index : before) {
        Place place;
        const int section = sectionNumber(index);
        if (section >= 0)
            place.section = m_sections[size_t(section)].identifier();
        if (!isSection(index))
            if (const ItemRow *row = itemRowAt(index))
                place.object = row->objectID;
        places.push_back(place);
    }
    // Sections keep their serials, so that the views' indexes of their rows stay theirs.
    std::vector<Shown> shown;
    shown.reserve(arrangement.size());
    for (const ListSection &section : arrangement) {
        const int old = sectionIndex(section.identifier());
        shown.push_back(old >= 0 ? m_shown[size_t(old)] : makeShown(section));
    }
    m_sections = std::move(arrangement);
    m_shown = std::move(shown);
    rowsChanged();
    QHash<ostore::ObjectID, QModelIndex> rows;
    for (int s = 0; s < int(m_sections.size()); ++s)
        for (int r = 0; r < int(m_sections[size_t(s)].rows.size()); ++r)
            rows.insert(m_sections[size_t(s)].rows[size_t(r)].objectID, indexOf(s, r));
    QModelIndexList after;
    after.reserve(before.size());
    for (size_t i = 0; i < places.size(); ++i) {
        const int section = sectionIndex(places[i].section);
        if (section < 0)
            after << QModelIndex();
        else if (places[i].object.isNull())
            after << indexForSection(section);
        else
            after << rows.value(places[i].object);
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

} // namespace knvt
