#include "accounts/KNVTUserDetailModel.h"

#include "accounts/TaskStoreReference.h"
#include "accounts/UserRowRoles.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListType.h"
#include "model/KNVTUserFriendshipStatus.h"

KNVTUserDetailModel::KNVTUserDetailModel(KNVTTaskStore *store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{}

namespace {

bool isLive(const KNVTCDTaskStoreObject *object)
{
    return object && !object->isDeleted();
}

} // namespace

void KNVTUserDetailModel::setUser(KNVTCDUser *user)
{
    beginResetModel();
    m_rows.clear();
    m_user = user ? knvt::UserRow::fromUser(user) : knvt::UserRow();
    if (user) {
        m_rows.push_back({RowKind::Header, QString(), m_user.uri(knvt::taskStore(m_store))});
        std::vector<Row> projects;
        std::vector<Row> areas;
        for (const KNVTCDTaskListCollaborator *record : user->taskListCollaborators()) {
            const KNVTCDTaskList *taskList = record->taskList();
            if (!isLive(record) || record->deletedDate().isValid() || !isLive(taskList)
                || taskList->deletedDate().isValid()) {
                continue;
            }
            const Row row{RowKind::TaskList, taskList->title(), knvt::managedObjectIDURIRepresentation(*taskList)};
            if (taskList->type() == KNVTTaskListTypeProject)
                projects.push_back(row);
            else if (taskList->type() == KNVTTaskListTypeArea)
                areas.push_back(row);
        }
        if (!projects.empty()) {
            m_rows.push_back({RowKind::Group, tr("Projects"), QUrl()});
            m_rows.insert(m_rows.end(), projects.begin(), projects.end());
        }
        if (!areas.empty()) {
            m_rows.push_back({RowKind::Group, tr("Areas"), QUrl()});
            m_rows.insert(m_rows.end(), areas.begin(), areas.end());
        }
        switch (user->friendshipStatus().value_or(KNVTUserFriendshipStatusNone)) {
        case KNVTUserFriendshipStatusNone: m_rows.push_back({RowKind::Invite, QString(), QUrl()}); break;
        case KNVTUserFriendshipStatusInvited: m_rows.push_back({RowKind::Invited, QString(), QUrl()}); break;
        case KNVTUserFriendshipStatusPending: m_rows.push_back({RowKind::AcceptOrDecline, QString(), QUrl()}); break;
        default: break;
        }
    }
    endResetModel();
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
    if (row.kind == RowKind::Header) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return m_user.shownName();
        case knvt::UserFullNameRole: return m_user.fullName;
        case knvt::UserUsernameRole: return m_user.username;
        case knvt::UserInitialsRole: return m_user.initials;
        case knvt::UserIsMeRole: return m_user.isMe;
        case knvt::UserAvatarImageRole: return m_user.avatarImage(knvt::taskStore(m_store));
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
    // Nothing in the detail is selected: its rows are read and its buttons pressed.
    return Qt::ItemIsEnabled;
}
