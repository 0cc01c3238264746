#include "accounts/KNVTUserSelectionModel.h"

KNVTUserSelectionModel::KNVTUserSelectionModel(KNVTTaskStore *store, QObject *parent) : KNVTUsersModel(store, parent) {}

void KNVTUserSelectionModel::setSelectedURIs(const QSet<QUrl> &uris)
{
    m_selectedURIs = uris;
    refreshCheckStates();
}

void KNVTUserSelectionModel::setUnselectableURIs(const QSet<QUrl> &uris)
{
    m_unselectableURIs = uris;
    refreshCheckStates();
}

void KNVTUserSelectionModel::refreshCheckStates()
{
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
}

QVariant KNVTUserSelectionModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::CheckStateRole && index.isValid() && size_t(index.row()) < rows().size())
        return m_selectedURIs.contains(uriAtRow(index.row())) ? Qt::Checked : Qt::Unchecked;
    return KNVTUsersModel::data(index, role);
}

bool KNVTUserSelectionModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !flags(index).testFlag(Qt::ItemIsUserCheckable))
        return false;
    const QUrl uri = uriAtRow(index.row());
    const bool selected = value.toInt() == Qt::Checked;
    if (selected == m_selectedURIs.contains(uri))
        return true;
    if (selected)
        m_selectedURIs.insert(uri);
    else
        m_selectedURIs.remove(uri);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    if (m_toggleHandler)
        m_toggleHandler(uri, selected);
    return true;
}

Qt::ItemFlags KNVTUserSelectionModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = KNVTUsersModel::flags(index);
    if (index.isValid() && size_t(index.row()) < rows().size() && !isUnselectable(uriAtRow(index.row())))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}
