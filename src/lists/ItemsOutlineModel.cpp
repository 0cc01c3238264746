#include "lists/ItemsOutlineModel.h"

#include "model/KNVTCDTaskStoreObject.h"

#include <QMimeData>

#include <algorithm>

namespace knvt {

namespace {

// A section's own index carries 0; an item row carries its section's number plus one.
constexpr quintptr kSectionId = 0;

} // namespace

ItemsOutlineModel::ItemsOutlineModel(QObject *parent) : QAbstractItemModel(parent) {}

void ItemsOutlineModel::setSections(std::vector<OutlineSection> sections)
{
    beginResetModel();
    m_sections = std::move(sections);
    m_headers.clear();
    m_firstRows.clear();
    m_rowForUri.clear();
    m_headers.reserve(m_sections.size());
    m_firstRows.reserve(m_sections.size());
    qsizetype items = 0;
    for (const OutlineSection &section : m_sections)
        items += qsizetype(section.rows.size());
    m_rowForUri.reserve(items);
    int row = 0;
    for (const OutlineSection &section : m_sections) {
        m_headers.push_back(ItemRow::header(section.section->name()));
        m_firstRows.push_back(row);
        ++row;
        for (const ItemRow &item : section.rows) {
            // The first row of an object answers for it.
            if (!item.uri.isEmpty())
                m_rowForUri.insert(item.uri, row);
            ++row;
        }
    }
    m_numberOfRows = row;
    endResetModel();
}

void ItemsOutlineModel::relayout()
{
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

QModelIndex ItemsOutlineModel::indexForRow(int row) const
{
    if (row < 0 || row >= m_numberOfRows)
        return {};
    // The last section whose own row is at or before `row`.
    const auto it = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row) - 1;
    const int section = int(it - m_firstRows.begin());
    if (*it == row)
        return indexForSection(section);
    return createIndex(row - *it - 1, 0, quintptr(section + 1));
}

int ItemsOutlineModel::rowForIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    if (index.internalId() == kSectionId)
        return m_firstRows[size_t(index.row())];
    return m_firstRows[size_t(index.internalId() - 1)] + 1 + index.row();
}

int ItemsOutlineModel::rowForUri(const QUrl &uri) const
{
    return m_rowForUri.value(uri, -1);
}

QModelIndex ItemsOutlineModel::indexForUri(const QUrl &uri) const
{
    return indexForRow(rowForUri(uri));
}

const ItemRow *ItemsOutlineModel::itemRowAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (index.internalId() == kSectionId)
        return &m_headers[size_t(index.row())];
    return &m_sections[size_t(index.internalId() - 1)].rows[size_t(index.row())];
}

bool ItemsOutlineModel::isSection(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.internalId() == kSectionId;
}

int ItemsOutlineModel::sectionNumber(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return index.internalId() == kSectionId ? index.row() : int(index.internalId() - 1);
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
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex ItemsOutlineModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == kSectionId)
        return {};
    return indexForSection(int(child.internalId() - 1));
}

int ItemsOutlineModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_sections.size());
    if (parent.internalId() == kSectionId)
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

} // namespace knvt
