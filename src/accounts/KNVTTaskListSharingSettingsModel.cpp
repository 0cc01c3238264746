#include "accounts/KNVTTaskListSharingSettingsModel.h"

#include "accounts/UserPresentation.h"

#include "uikit/ItemDataRole.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"
#include "model/ObjectReferencePayload.h"

#include <QHash>
#include <QMimeData>

#include <algorithm>

KNVTTaskListSharingSettingsModel::KNVTTaskListSharingSettingsModel(QObject *parent) : FlatRowsModel(parent) {}

void KNVTTaskListSharingSettingsModel::reload(const std::vector<KNVTCDUser *> &users, KNVTCDTaskList *taskList)
{
    QHash<const KNVTCDUser *, const KNVTCDTaskListCollaborator *> records;
    if (taskList) {
        // A person's first record for the list, whatever its state, as the store's lookup answers it.
        for (const KNVTCDTaskListCollaborator *record : taskList->taskListCollaborators()) {
            if (record->isDeleted() || !record->user())
                continue;
            if (!records.contains(record->user()))
                records.insert(record->user(), record);
        }
    }
    std::vector<Row> rows;
    rows.reserve(users.size());
    for (KNVTCDUser *user : users) {
        Row row{user, user->extendedDisplayName(), QStringLiteral("-"), QStringLiteral("-")};
        if (const KNVTCDTaskListCollaborator *record = records.value(user)) {
            row.status = KNVTCDTaskListCollaborator::localizedDisplayNameForTaskListCollaboratorStatus(
                KNVTTaskListCollaboratorStatus(record->status().value_or(0)));
            row.role = KNVTCDTaskListCollaborator::localizedDisplayNameForTaskListCollaboratorRole(
                KNVTTaskListCollaboratorRole(record->role().value_or(0)));
        }
        rows.push_back(std::move(row));
    }
    // In place: a person who stays keeps their row and its selection.
    updateRows(m_rows, std::move(rows), [](const Row &row) { return row.user; });
}

KNVTCDUser *KNVTTaskListSharingSettingsModel::userAtRow(int row) const
{
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].user : nullptr;
}

int KNVTTaskListSharingSettingsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int KNVTTaskListSharingSettingsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant KNVTTaskListSharingSettingsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || size_t(index.row()) >= m_rows.size())
        return QVariant();
    const Row &row = m_rows[size_t(index.row())];
    if (role == knvt::ObjectUriRole)
        return knvt::managedObjectIDURIRepresentation(*row.user);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return QVariant();
    switch (index.column()) {
    case UserColumn: return row.name;
    case StatusColumn: return row.status;
    case RoleColumn: return row.role;
    default: return QVariant();
    }
}

QVariant KNVTTaskListSharingSettingsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case UserColumn: return tr("User");
    case StatusColumn: return tr("Status");
    case RoleColumn: return tr("Role");
    default: return QVariant();
    }
}

Qt::ItemFlags KNVTTaskListSharingSettingsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList KNVTTaskListSharingSettingsModel::mimeTypes() const
{
    return {QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI), QStringLiteral("text/plain")};
}

QMimeData *KNVTTaskListSharingSettingsModel::mimeData(const QModelIndexList &indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid())
            rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<const KNVTCDTaskStoreObject *> users;
    for (int row : rows) {
        if (const KNVTCDUser *user = userAtRow(row))
            users.push_back(user);
    }
    if (users.empty())
        return nullptr;
    auto *mime = new QMimeData;
    knvt::ObjectReferencePayload::writeObjects(*mime, users, [](const KNVTCDTaskStoreObject &object) {
        return knvt::shownNameOfUser(static_cast<const KNVTCDUser *>(&object));
    });
    return mime;
}

Qt::DropActions KNVTTaskListSharingSettingsModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

Qt::DropActions KNVTTaskListSharingSettingsModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}
