#pragma once

#include "accounts/UserRow.h"
#include "uikit/FlatRowsModel.h"

#include <QAbstractListModel>

#include <vector>

class KNVTCDUser;
class KNVTTaskStore;

// The rows of the people window's detail pane for one person: a header (avatar, names, "me"), the projects and then
// the areas they are a member of, each group under a title row, and one row of what can be done about the
// friendship: invite, "invited", or accept and decline. Memberships that have ended (a removed member, a deleted
// list) are not listed; pending and declined ones are.
class KNVTUserDetailModel : public knvt::FlatRowsModel<QAbstractListModel>
{
    Q_OBJECT

public:
    enum class RowKind { Header, Group, TaskList, Invite, Invited, AcceptOrDecline };
    // The row's RowKind, as an int.
    static constexpr int RowKindRole = Qt::UserRole + 200;

    struct Row
    {
        RowKind kind = RowKind::Header;
        QString text;       // the group's title or the list's title
        QUrl uri;           // the list's reference on list rows
        knvt::UserRow user; // the header's person

        bool operator==(const Row &other) const = default;
    };

    // `store`: nullptr means the shared store.
    explicit KNVTUserDetailModel(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);

    // The rows of `user` (none: no rows); for the person already shown, updated in place.
    void setUser(KNVTCDUser *user);
    const std::vector<Row> &detailRows() const { return m_rows; }
    RowKind kindAtRow(int row) const;
    // Without an account no invitation can be sent or answered: the Invite, Accept and Decline rows are disabled.
    void setInvitationsAvailable(bool available);
    bool invitationsAvailable() const { return m_invitationsAvailable; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    KNVTTaskStore *m_store;
    std::vector<Row> m_rows;
    bool m_invitationsAvailable = true;
};
