#include "accounts/KNVTUsersModel.h"

#include "accounts/TaskStoreReference.h"
#include "accounts/UserRowRoles.h"

#include "model/KNVTCDUser.h"
#include "model/ObjectReferencePayload.h"

#include <QMimeData>
#include <QSet>

#include <algorithm>
#include <iterator>

KNVTUsersModel::KNVTUsersModel(KNVTTaskStore *store, QObject *parent) : FlatRowsModel(parent), m_store(store) {}

KNVTTaskStore &KNVTUsersModel::taskStore() const
{
    return knvt::taskStore(m_store);
}

void KNVTUsersModel::setUsers(const std::vector<KNVTCDUser *> &users, bool sort)
{
    setRows(sort ? knvt::sortedUserRows(users) : knvt::userRows(users));
}

void KNVTUsersModel::updateUsers(const std::vector<KNVTCDUser *> &users, const ostore::ChangeSet &changes)
{
    QSet<ostore::ObjectID> changed;
    changed.reserve(qsizetype(changes.inserted.size() + changes.updated.size()));
    for (const std::vector<ostore::ObjectID> *ids : {&changes.inserted, &changes.updated})
        for (const ostore::ObjectID &id : *ids)
            changed.insert(id);
    std::vector<bool> kept(m_rows.size(), false);
    std::vector<KNVTCDUser *> read;
    for (KNVTCDUser *user : users) {
        const int row = changed.contains(user->objectID()) ? -1 : m_rowOfObjectID.value(user->objectID(), -1);
        if (row < 0 || !m_rows[size_t(row)].sortKey) {
            read.push_back(user);
            continue;
        }
        kept[size_t(row)] = true;
    }
    // The rows kept are still in order among themselves; the few read again are sorted and merged in.
    std::vector<knvt::UserRow> keptRows;
    keptRows.reserve(users.size());
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (kept[row])
            keptRows.push_back(m_rows[row]);
    const std::vector<knvt::UserRow> readRows = knvt::sortedUserRows(read);
    std::vector<knvt::UserRow> rows;
    rows.reserve(keptRows.size() + readRows.size());
    std::merge(std::make_move_iterator(keptRows.begin()), std::make_move_iterator(keptRows.end()), readRows.begin(),
               readRows.end(), std::back_inserter(rows), knvt::sortsBefore);
    setRows(std::move(rows));
}

void KNVTUsersModel::setRows(std::vector<knvt::UserRow> rows)
{
    // In place: a person who stays keeps their selection, and only a row that shows something else is reported.
    knvt::readShownPictures(rows, m_rows, taskStore());
    if (!updateRows(m_rows, std::move(rows), [](const knvt::UserRow &row) { return row.objectID; })
        && m_rowOfObjectID.size() == qsizetype(m_rows.size()))
        return;
    m_rowOfObjectID.clear();
    m_rowOfObjectID.reserve(qsizetype(m_rows.size()));
    for (size_t row = 0; row < m_rows.size(); ++row)
        m_rowOfObjectID.insert(m_rows[row].objectID, int(row));
}

int KNVTUsersModel::rowOfUser(const KNVTCDUser *user) const
{
    return user ? m_rowOfObjectID.value(user->objectID(), -1) : -1;
}

QUrl KNVTUsersModel::uriAtRow(int row) const
{
    if (row < 0 || size_t(row) >= m_rows.size())
        return QUrl();
    return m_rows[size_t(row)].uri(taskStore());
}

KNVTCDUser *KNVTUsersModel::userAtRow(int row) const
{
    if (row < 0 || size_t(row) >= m_rows.size())
        return nullptr;
    return dynamic_cast<KNVTCDUser *>(taskStore().objectForURI(uriAtRow(row)));
}

int KNVTUsersModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant KNVTUsersModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return QVariant();
    const knvt::UserRow &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return row.shownName();
    case Qt::AccessibleTextRole: return knvt::accessibleTextOfUserRow(row);
    case knvt::ObjectUriRole: return row.uri(taskStore());
    case knvt::UserFullNameRole: return row.fullName;
    case knvt::UserUsernameRole: return row.username;
    case knvt::UserInitialsRole: return row.initials;
    case knvt::UserIsMeRole: return row.isMe;
    case knvt::UserAvatarImageRole: return row.avatarImage(taskStore());
    default: return QVariant();
    }
}

Qt::ItemFlags KNVTUsersModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList KNVTUsersModel::mimeTypes() const
{
    return {QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI), QStringLiteral("text/plain")};
}

QMimeData *KNVTUsersModel::mimeData(const QModelIndexList &indexes) const
{
    QModelIndexList sorted = indexes;
    std::sort(sorted.begin(), sorted.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QList<QUrl> uris;
    QString text;
    int lastRow = -1;
    for (const QModelIndex &index : sorted) {
        if (!index.isValid() || index.row() == lastRow || size_t(index.row()) >= m_rows.size())
            continue;
        lastRow = index.row();
        const knvt::UserRow &row = m_rows[size_t(index.row())];
        uris.append(row.uri(taskStore()));
        text += row.shownName() + QLatin1Char('\n');
    }
    if (uris.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    knvt::ObjectReferencePayload::write(*mime, uris, text);
    return mime;
}

Qt::DropActions KNVTUsersModel::supportedDragActions() const
{
    return Qt::CopyAction;
}
