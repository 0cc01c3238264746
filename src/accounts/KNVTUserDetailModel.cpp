#include "accounts/KNVTUserDetailModel.h"

#include "accounts/PaintedRowList.h"
#include "accounts/TaskStoreReference.h"
#include "accounts/UserRowRoles.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListType.h"
#include "model/KNVTUserFriendshipStatus.h"

KNVTUserDetailModel::KNVTUserDetailModel(KNVTTaskStore *store, QObject *parent) : FlatRowsModel(parent), m_store(store)
{}

namespace {

bool isLive(const KNVTCDTaskStoreObject *object)
{
    return object && !object->isDeleted();
}

} // namespace

void KNVTUserDetailModel::setUser(KNVTCDUser *user)
{
    knvt::UserRow shown = user ? knvt::UserRow::fromUser(user) : knvt::UserRow();
    std::vector<Row> rows;
    if (user) {
        // A new picture of the person shown is a change of the header.
        if (!m_rows.empty() && m_rows.front().kind == RowKind::Header)
            knvt::readShownPicture(shown, m_rows.front().user, knvt::taskStore(m_store));
        rows.push_back({RowKind::Header, QString(), shown.uri(knvt::taskStore(m_store)), shown});
        std::vector<Row> projects;
        std::vector<Row> areas;
        for (const KNVTCDTaskListCollaborator *record : user->taskListCollaborators()) {
            const KNVTCDTaskList *taskList = record->taskList();
            if (!isLive(record) || record->deletedDate().isValid() || !isLive(taskList)
                || taskList->deletedDate().isValid()) {
                continue;
            }
            const Row row{RowKind::TaskList, taskList->title(), knvt::managedObjectIDURIRepresentation(*taskList), {}};
            if (taskList->type() == KNVTTaskListTypeProject)
                projects.push_back(row);
            else if (taskList->type() == KNVTTaskListTypeArea)
                areas.push_back(row);
        }
        if (!projects.empty()) {
            rows.push_back({RowKind::Group, tr("Projects"), QUrl(), {}});
            rows.insert(rows.end(), projects.begin(), projects.end());
        }
        if (!areas.empty()) {
            rows.push_back({RowKind::Group, tr("Areas"), QUrl(), {}});
            rows.insert(rows.end(), areas.begin(), areas.end());
        }
        switch (user->friendshipStatus().value_or(KNVTUserFriendshipStatusNone)) {
        case KNVTUserFriendshipStatusNone: rows.push_back({RowKind::Invite, QString(), QUrl(), {}}); break;
        case KNVTUserFriendshipStatusInvited: rows.push_back({RowKind::Invited, QString(), QUrl(), {}}); break;
        case KNVTUserFriendshipStatusPending: rows.push_back({RowKind::AcceptOrDecline, QString(), QUrl(), {}}); break;
        default: break;
        }
    }
    // The header, first of every person's rows, names who is shown.
    const ostore::ObjectID shownBefore = m_rows.empty() ? ostore::ObjectID() : m_rows.front().user.objectID;
    if (shown.objectID != shownBefore) {
        // Another person: other rows altogether.
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    // The same person after a change: rows that stay keep their place in the view.
    updateRows(m_rows, std::move(rows), [](const Row &row) {
        return QStringLiteral("%1 %2")
            .arg(int(row.kind))
            .arg(row.kind == RowKind::TaskList ? row.uri.toString() : row.text);
    });
}

KNVTUserDetailModel::RowKind KNVTUserDetailModel::kindAtRow(int row) const
{
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].kind : RowKind::Header;
}

int KNVTUserDetailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant KNVTUserDetailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return QVariant();
    const Row &row = m_rows[size_t(index.row())];
    if (role == RowKindRole)
        return int(row.kind);
    if (role == knvt::ObjectUriRole)
        return row.uri.isEmpty() ? QVariant() : QVariant(row.uri);
    if (role == knvt::PaintedRowList::RowActionsRole) {
        switch (row.kind) {
        case RowKind::Invite: return QStringList{tr("Invite")};
        case RowKind::AcceptOrDecline: return QStringList{tr("Accept"), tr("Decline")};
        default: return QVariant();
        }
    }
    if (row.kind == RowKind::Header) {
        switch (role) {
        case Qt::DisplayRole: return row.user.shownName();
        case Qt::AccessibleTextRole: return knvt::accessibleTextOfUserRow(row.user);
        case knvt::UserFullNameRole: return row.user.fullName;
        case knvt::UserUsernameRole: return row.user.username;
        case knvt::UserInitialsRole: return row.user.initials;
        case knvt::UserIsMeRole: return row.user.isMe;
        case knvt::UserAvatarImageRole: return row.user.avatarImage(knvt::taskStore(m_store));
        default: return QVariant();
        }
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        switch (row.kind) {
        case RowKind::Invite: return tr("Invite");
        case RowKind::Invited: return tr("Invitation sent");
        case RowKind::AcceptOrDecline: return tr("Accept or decline the invitation");
        default: return row.text;
        }
    }
    return QVariant();
}

Qt::ItemFlags KNVTUserDetailModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const RowKind kind = m_rows[size_t(index.row())].kind;
    if (!m_invitationsAvailable && (kind == RowKind::Invite || kind == RowKind::AcceptOrDecline))
        return Qt::NoItemFlags;
    // Nothing in the detail is selected: its rows are read and its buttons pressed.
    return Qt::ItemIsEnabled;
}

void KNVTUserDetailModel::setInvitationsAvailable(bool available)
{
    if (available == m_invitationsAvailable)
        return;
    m_invitationsAvailable = available;
    for (int r = 0; r < int(m_rows.size()); ++r)
        if (m_rows[size_t(r)].kind == RowKind::Invite || m_rows[size_t(r)].kind == RowKind::AcceptOrDecline)
            emit dataChanged(index(r), index(r));
}
