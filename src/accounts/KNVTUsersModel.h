#pragma once

#include "accounts/UserRow.h"
#include "objectstore/ChangeSet.h"
#include "uikit/FlatRowsModel.h"

#include <QAbstractListModel>
#include <QHash>

#include <vector>

class KNVTCDUser;
class KNVTTaskStore;

// People as rows, for the people lists: the roles of UserRowRoles, the object reference under
// knvt::ObjectUriRole, and drags that carry the people's references with their names as text.
class KNVTUsersModel : public knvt::FlatRowsModel<QAbstractListModel>
{
    Q_OBJECT

public:
    // `store` resolves the rows' references; nullptr means the shared store.
    explicit KNVTUsersModel(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);

    // Shows these people, sorted by display name when `sort`, else in the given order; people already shown keep
    // their rows (and their selection), the others come and go.
    void setUsers(const std::vector<KNVTCDUser *> &users, bool sort = true);
    // Shows these people sorted by display name, as setUsers does, reading again only the people `changes` inserted
    // or updated and those not listed yet: everybody else keeps their row, its sort key and its place. The rows shown
    // must have come from a sorted setUsers.
    void updateUsers(const std::vector<KNVTCDUser *> &users, const ostore::ChangeSet &changes);
    void setRows(std::vector<knvt::UserRow> rows);
    const std::vector<knvt::UserRow> &rows() const { return m_rows; }
    // The row of the person; -1 when they are not listed.
    int rowOfUser(const KNVTCDUser *user) const;
    // The object reference of a row's person; an empty URL for no row.
    QUrl uriAtRow(int row) const;
    // The person of a row, resolved through the store; nullptr when it is gone.
    KNVTCDUser *userAtRow(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;

protected:
    KNVTTaskStore &taskStore() const;

private:
    KNVTTaskStore *m_store;
    std::vector<knvt::UserRow> m_rows;
    QHash<ostore::ObjectID, int> m_rowOfObjectID;
};
