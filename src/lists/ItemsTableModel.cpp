#include "lists/ItemsTableModel.h"

#include "model/KNVTCDTaskStoreObject.h"

#include <QMimeData>

#include <algorithm>

namespace knvt {

ItemsTableModel::ItemsTableModel(QObject *parent) : QAbstractListModel(parent) {}

void ItemsTableModel::setRows(std::vector<ItemRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_rowForUri.clear();
    m_rowForUri.reserve(qsizetype(m_rows.size()));
    for (int i = 0; i < int(m_rows.size()); ++i) {
        // The first row of an object answers for it.
        if (!m_rows[size_t(i)].uri.isEmpty())
            m_rowForUri.insert(m_rows[size_t(i)].uri, i);
    }
    endResetModel();
}

void ItemsTableModel::relayout()
{
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

const ItemRow *ItemsTableModel::rowAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? &m_rows[size_t(row)] : nullptr;
}

int ItemsTableModel::rowForUri(const QUrl &uri) const
{
    return m_rowForUri.value(uri, -1);
}

int ItemsTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
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

} // namespace knvt
