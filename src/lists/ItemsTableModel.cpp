#include "lists/ItemsTableModel.h"

#include "model/KNVTCDTaskStoreObject.h"

#include <QMimeData>

#include <algorithm>

namespace knvt {

ItemsTableModel::ItemsTableModel(QObject *parent) : QAbstractListModel(parent) {}

void ItemsTableModel::recount()
{
    m_starts.resize(m_sections.size());
    m_headers.resize(m_sections.size());
    int row = 0;
    for (size_t s = 0; s < m_sections.size(); ++s) {
        m_starts[s] = row;
        row += length(int(s));
    }
    m_rowCount = row;
    m_rowForUriValid = false;
}

void ItemsTableModel::setRows(const std::vector<ItemRow> &rows)
{
    std::vector<ListSection> sections;
    int untitled = 0;
    for (const ItemRow &row : rows) {
        if (row.isHeader()) {
            sections.push_back(ListSection{KNVTOutlineViewSection::create(row.title, row.title), {}, true});
        } else {
            if (sections.empty())
                sections.push_back(
                    ListSection{KNVTOutlineViewSection::create(QStringLiteral("#%1").arg(untitled++)), {}, false});
            sections.back().rows.push_back(row);
        }
    }
    resetSections(std::move(sections));
}

std::vector<ItemRow> ItemsTableModel::rows() const
{
    std::vector<ItemRow> all;
    all.reserve(size_t(m_rowCount));
    for (int row = 0; row < m_rowCount; ++row)
        all.push_back(*rowAt(row));
    return all;
}

void ItemsTableModel::relayout()
{
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

const ItemRow *ItemsTableModel::rowAt(int row) const
{
    if (row < 0 || row >= m_rowCount)
        return nullptr;
    // The last section that starts at or before `row` and has rows to show.
    const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    int section = int(it - m_starts.begin()) - 1;
    while (section > 0 && length(section) == 0)
        --section;
    const int offset = row - start(section);
    if (m_sections[size_t(section)].showsHeader) {
        if (offset == 0)
            return &m_headers[size_t(section)];
        return &m_sections[size_t(section)].rows[size_t(offset - 1)];
    }
    return &m_sections[size_t(section)].rows[size_t(offset)];
}

int ItemsTableModel::itemRowForIndex(const QModelIndex &index) const
{
    const ItemRow *row = index.isValid() && index.model() == this ? rowAt(index.row()) : nullptr;
    return row && !row->isHeader() ? index.row() : -1;
}

int ItemsTableModel::rowForUri(const QUrl &uri) const
{
    if (!m_rowForUriValid) {
        m_rowForUri.clear();
        m_rowForUri.reserve(m_rowCount);
        for (int s = 0; s < int(m_sections.size()); ++s) {
            const std::vector<ItemRow> &rows = m_sections[size_t(s)].rows;
            for (int r = 0; r < int(rows.size()); ++r)
                // The first row of an object answers for it.
                if (!rows[size_t(r)].uri.isEmpty() && !m_rowForUri.contains(rows[size_t(r)].uri))
                    m_rowForUri.insert(rows[size_t(r)].uri, flatRow(s, r));
        }
        m_rowForUriValid = true;
    }
    return m_rowForUri.value(uri, -1);
}

int ItemsTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

QVariant ItemsTableModel::data(const QModelIndex &index, int role) const
{
    const ItemRow *row = rowAt(index.row());
    if (!row || index.column() != 0)
        return {};
    return row->data(role);
}

Qt::ItemFlags ItemsTableModel::flags(const QModelIndex &index) const
{
    const ItemRow *row = rowAt(index.row());
    if (!row)
        return Qt::NoItemFlags;
    if (row->isHeader())
        return Qt::ItemIsEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_mimeWriter)
        flags |= Qt::ItemIsDragEnabled;
    if (m_acceptsDrops)
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QStringList ItemsTableModel::mimeTypes() const
{
    return {QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI)};
}

QMimeData *ItemsTableModel::mimeData(const QModelIndexList &indexes) const
{
    if (!m_mimeWriter)
        return nullptr;
    QList<int> rows;
    for (const QModelIndex &index : indexes)
        if (index.isValid() && !rows.contains(index.row()))
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    return m_mimeWriter(rows);
}

Qt::DropActions ItemsTableModel::supportedDragActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions ItemsTableModel::supportedDropActions() const
{
    return m_acceptsDrops ? Qt::MoveAction : Qt::IgnoreAction;
}

// ---- Changes ----

void ItemsTableModel::resetSections(std::vector<ListSection> sections)
{
    beginResetModel();
    m_sections = std::move(sections);
    m_headers.clear();
    for (const ListSection &section : m_sections)
        m_headers.push_back(ItemRow::header(section.name()));
    recount();
    endResetModel();
}

void ItemsTableModel::insertSection(int at, ListSection section)
{
    section.rows.clear();
    const int flat = at < int(m_sections.size()) ? start(at) : m_rowCount;
    const bool shown = section.showsHeader;
    if (shown)
        beginInsertRows(QModelIndex(), flat, flat);
    m_headers.insert(m_headers.begin() + at, ItemRow::header(section.name()));
    m_sections.insert(m_sections.begin() + at, std::move(section));
    m_starts.insert(m_starts.begin() + at, flat);
    recount();
    if (shown)
        endInsertRows();
}

void ItemsTableModel::removeSection(int at)
{
    const bool shown = m_sections[size_t(at)].showsHeader;
    if (shown)
        beginRemoveRows(QModelIndex(), start(at), start(at));
    m_sections.erase(m_sections.begin() + at);
    m_headers.erase(m_headers.begin() + at);
    m_starts.erase(m_starts.begin() + at);
    recount();
    if (shown)
        endRemoveRows();
}

void ItemsTableModel::moveSection(int from, int to)
{
    if (from == to)
        return;
    const int first = start(from);
    const int count = length(from);
    auto reorder = [this, from, to] {
        ListSection section = std::move(m_sections[size_t(from)]);
        ItemRow header = std::move(m_headers[size_t(from)]);
        m_sections.erase(m_sections.begin() + from);
        m_headers.erase(m_headers.begin() + from);
        m_sections.insert(m_sections.begin() + to, std::move(section));
        m_headers.insert(m_headers.begin() + to, std::move(header));
        recount();
    };
    if (count == 0) {
        reorder();
        return;
    }
    const int destination = to < from ? start(to) : start(to) + length(to);
    beginMoveRows(QModelIndex(), first, first + count - 1, QModelIndex(), destination);
    reorder();
    endMoveRows();
}

void ItemsTableModel::setSectionHeader(int at, const KNVTOutlineViewSection::Pointer &section, bool showsHeader)
{
    const bool shown = m_sections[size_t(at)].showsHeader;
    const int flat = start(at);
    if (shown && !showsHeader)
        beginRemoveRows(QModelIndex(), flat, flat);
    else if (!shown && showsHeader)
        beginInsertRows(QModelIndex(), flat, flat);
    m_sections[size_t(at)].section = section;
    m_sections[size_t(at)].showsHeader = showsHeader;
    m_headers[size_t(at)] = ItemRow::header(section->name());
    recount();
    if (shown && !showsHeader) {
        endRemoveRows();
    } else if (!shown && showsHeader) {
        endInsertRows();
    } else if (shown) {
        const QModelIndex header = index(flat);
        emit dataChanged(header, header);
    }
}

void ItemsTableModel::insertItemRows(int section, int at, std::vector<ItemRow> rows)
{
    if (rows.empty())
        return;
    const int flat = flatRow(section, at);
    beginInsertRows(QModelIndex(), flat, flat + int(rows.size()) - 1);
    std::vector<ItemRow> &shown = m_sections[size_t(section)].rows;
    shown.insert(shown.begin() + at, std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    recount();
    endInsertRows();
}

void ItemsTableModel::removeItemRows(int section, int first, int count)
{
    if (count <= 0)
        return;
    const int flat = flatRow(section, first);
    beginRemoveRows(QModelIndex(), flat, flat + count - 1);
    std::vector<ItemRow> &shown = m_sections[size_t(section)].rows;
    shown.erase(shown.begin() + first, shown.begin() + first + count);
    recount();
    endRemoveRows();
}

void ItemsTableModel::moveItemRow(int fromSection, int from, int toSection, int to)
{
    if (fromSection == toSection && from == to)
        return;
    const int source = flatRow(fromSection, from);
    // Where the row stands once moved: the target section starts one row earlier when the row leaves from before it.
    const int placed = start(toSection) - (fromSection < toSection ? 1 : 0) + headerRows(toSection) + to;
    auto move = [this, fromSection, from, toSection, to] {
        std::vector<ItemRow> &rows = m_sections[size_t(fromSection)].rows;
        ItemRow row = std::move(rows[size_t(from)]);
        rows.erase(rows.begin() + from);
        std::vector<ItemRow> &target = m_sections[size_t(toSection)].rows;
        target.insert(target.begin() + to, std::move(row));
        recount();
    };
    if (placed == source) {
        // Into a neighbouring section without a header: the row stays on its line.
        move();
        return;
    }
    beginMoveRows(QModelIndex(), source, source, QModelIndex(), placed > source ? placed + 1 : placed);
    move();
    endMoveRows();
}

void ItemsTableModel::setItemRow(int section, int at, ItemRow row)
{
    ItemRow &shown = m_sections[size_t(section)].rows[size_t(at)];
    if (shown == row)
        return;
    if (shown.uri != row.uri)
        m_rowForUriValid = false;
    shown = std::move(row);
    itemRowChanged(section, at);
}

void ItemsTableModel::announceItemRowsChanged(int section, int first, int last)
{
    emit dataChanged(index(flatRow(section, first)), index(flatRow(section, last)));
}

void ItemsTableModel::rearrange(std::vector<ListSection> arrangement)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    struct Place
    {
        QString section;
        ostore::ObjectID object;
    };
    std::vector<Place> places;
    places.reserve(size_t(before.size()));
    for (const QModelIndex &index : before) {
        const ItemRow *row = rowAt(index.row());
        Place place;
        if (row && !row->isHeader()) {
            place.object = row->objectID;
        } else if (row) {
            // A header: the section that starts here.
            for (int s = 0; s < int(m_sections.size()); ++s)
                if (m_sections[size_t(s)].showsHeader && start(s) == index.row())
                    place.section = m_sections[size_t(s)].identifier();
        }
        places.push_back(place);
    }
    m_sections = std::move(arrangement);
    m_headers.clear();
    for (const ListSection &section : m_sections)
        m_headers.push_back(ItemRow::header(section.name()));
    recount();
    QHash<ostore::ObjectID, int> rows;
    for (int s = 0; s < int(m_sections.size()); ++s)
        for (int r = 0; r < int(m_sections[size_t(s)].rows.size()); ++r)
            rows.insert(m_sections[size_t(s)].rows[size_t(r)].objectID, flatRow(s, r));
    QModelIndexList after;
    after.reserve(before.size());
    for (const Place &place : places) {
        if (!place.object.isNull()) {
            const int row = rows.value(place.object, -1);
            after << (row < 0 ? QModelIndex() : index(row));
        } else {
            const int section = sectionIndex(place.section);
            after << (section >= 0 && m_sections[size_t(section)].showsHeader ? index(start(section)) : QModelIndex());
        }
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

} // namespace knvt
