#include "editors/PopUpRowsModel.h"

namespace knvt {

PopUpRowsModel::PopUpRowsModel(QObject *parent) : FlatRowsModel<QAbstractListModel>(parent) {}

void PopUpRowsModel::setRows(std::vector<Row> rows)
{
    // A separator takes the key of the header after it, made distinct by its kind.
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].kind == Kind::Separator)
            rows[r].value = r + 1 < rows.size() ? rows[r + 1].text : QString();
    updateRows(m_rows, std::move(rows), [](const Row &row) {
        switch (row.kind) {
        case Kind::Header: return QStringLiteral("#") + row.text;
        case Kind::Separator: return QStringLiteral("-") + row.value.toString();
        case Kind::Item: break;
        }
        return QStringLiteral("@") + row.value.toString();
    });
}

int PopUpRowsModel::rowOf(const QVariant &value) const
{
    for (size_t r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].kind == Kind::Item && m_rows[r].value == value)
            return int(r);
    return -1;
}

int PopUpRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant PopUpRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return row.kind == Kind::Separator ? QVariant() : QVariant(row.text);
    case Qt::DecorationRole: return row.icon.isNull() ? QVariant() : QVariant(row.icon);
    case Qt::UserRole: return row.kind == Kind::Item ? row.value : QVariant();
    // What a combo box draws as a separator line.
    case Qt::AccessibleDescriptionRole:
        return row.kind == Kind::Separator ? QVariant(QStringLiteral("separator")) : QVariant();
    default: return {};
    }
}

Qt::ItemFlags PopUpRowsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return Qt::NoItemFlags;
    const Row &row = m_rows[size_t(index.row())];
    if (row.kind != Kind::Item)
        return Qt::NoItemFlags;
    return row.enabled ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::ItemIsSelectable;
}

} // namespace knvt
