#include "accounts/KNVTNotificationsModel.h"

#include "accounts/PaintedRowList.h"
#include "accounts/TaskStoreReference.h"
#include "accounts/UserRowRoles.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include <QHash>

#include <algorithm>

KNVTNotificationsModel::KNVTNotificationsModel(KNVTTaskStore *store, QObject *parent)
    : FlatRowsModel(parent), m_store(store)
{}

void KNVTNotificationsModel::updateCells()
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    std::vector<Row> rows;
    const std::vector<knvt::UserRow> friends = knvt::sortedUserRows(store.pendingFriends());
    if (!friends.empty()) {
        rows.push_back({RowKind::Header, tr("Friendship Invites"), QString(), {}, QUrl()});
        for (const knvt::UserRow &user : friends)
            rows.push_back({RowKind::Friendship, QString(), QString(), user, user.uri(store)});
    }
    const auto appendLists = [&rows](std::vector<KNVTCDTaskList *> lists, const QString &header, bool isArea) {
        if (lists.empty())
            return;
        std::stable_sort(lists.begin(), lists.end(), KNVTCDTaskList::taskListComparator());
        rows.push_back({RowKind::Header, header, QString(), {}, QUrl()});
        for (const KNVTCDTaskList *list : lists) {
            const KNVTCDUser *owner = list->owner();
            rows.push_back({RowKind::TaskList,
                            list->title(),
                            owner ? owner->extendedDisplayName() : QString(),
                            {},
                            knvt::managedObjectIDURIRepresentation(*list),
                            isArea});
        }
    };
    appendLists(store.pendingProjects(), tr("Pending Projects"), false);
    appendLists(store.pendingAreas(), tr("Pending Areas"), true);

    // In place: an invitation that stays keeps its row, and only a row that shows something else is reported.
    QHash<ostore::ObjectID, const knvt::UserRow *> shownUsers;
    for (const Row &row : m_rows)
        if (row.kind == RowKind::Friendship)
            shownUsers.insert(row.user.objectID, &row.user);
    for (Row &row : rows)
        if (const knvt::UserRow *shown =
                row.kind == RowKind::Friendship ? shownUsers.value(row.user.objectID) : nullptr)
            knvt::readShownPicture(row.user, *shown, store);
    updateRows(m_rows, std::move(rows), [](const Row &row) {
        switch (row.kind) {
        case RowKind::Header: return QStringLiteral("#") + row.title;
        case RowKind::Friendship:
            return QStringLiteral("@%1/%2").arg(row.user.objectID.entity).arg(row.user.objectID.zid);
        case RowKind::TaskList: return row.uri.toString();
        }
        return QString();
    });
}

int KNVTNotificationsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant KNVTNotificationsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return QVariant();
    const Row &row = m_rows[size_t(index.row())];
    switch (role) {
    case RowKindRole: return int(row.kind);
    case OwnerNameRole: return row.ownerName;
    case knvt::ObjectUriRole: return row.uri.isEmpty() ? QVariant() : QVariant(row.uri);
    case Qt::DisplayRole: return row.kind == RowKind::Friendship ? row.user.shownName() : row.title;
    case Qt::AccessibleTextRole: return accessibleText(row);
    case Qt::AccessibleDescriptionRole:
        switch (row.kind) {
        case RowKind::Header: return QVariant();
        case RowKind::Friendship: return tr("Invitation to become friends");
        case RowKind::TaskList:
            return row.isArea ? tr("Invitation to a shared area") : tr("Invitation to a shared project");
        }
        return QVariant();
    case knvt::PaintedRowList::RowActionsRole:
        return row.kind == RowKind::Header ? QVariant() : QVariant(QStringList{tr("Accept"), tr("Decline")});
    case knvt::UserFullNameRole: return row.user.fullName;
    case knvt::UserUsernameRole: return row.user.username;
    case knvt::UserInitialsRole: return row.user.initials;
    case knvt::UserAvatarImageRole:
        return row.kind == RowKind::Friendship ? QVariant(row.user.avatarImage(knvt::taskStore(m_store))) : QVariant();
    default: return QVariant();
    }
}

QString KNVTNotificationsModel::accessibleText(const Row &row)
{
    switch (row.kind) {
    case RowKind::Header: return row.title;
    case RowKind::Friendship:
        // What the row shows: the full name over the user name.
        return row.user.username.isEmpty() || row.user.fullName.isEmpty()
            ? row.user.shownName()
            : tr("%1, %2").arg(row.user.fullName, row.user.username);
    case RowKind::TaskList:
        return row.ownerName.isEmpty() ? row.title : tr("%1, from %2").arg(row.title, row.ownerName);
    }
    return QString();
}

Qt::ItemFlags KNVTNotificationsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return Qt::NoItemFlags;
    // Headers cannot be selected; item rows can, though nothing shows it.
    return m_rows[size_t(index.row())].kind == RowKind::Header ? Qt::ItemIsEnabled
                                                               : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
