#include "accounts/UserRow.h"

#include "accounts/TextFolding.h"
#include "accounts/UserPresentation.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDUser.h"

#include "store/KNVTTaskStore.h"

#include "objectstore/Coordinator.h"

#include "foundation/StringAdditions.h"

#include <QCollator>
#include <QCoreApplication>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace knvt {

UserRow UserRow::fromUser(const KNVTCDUser *user)
{
    UserRow row;
    row.objectID = user->objectID();
    row.fullName = user->fullName();
    row.username = user->username();
    row.initials = user->initials();
    row.isMe = user->isMe();
    return row;
}

QString UserRow::shownName() const
{
    return fullName.isEmpty() ? username : fullName;
}

const QUrl &UserRow::uri(KNVTTaskStore &store) const
{
    if (cachedURI.isEmpty() && !objectID.isNull()) {
        if (const ostore::Coordinator *coordinator = store.persistentStoreCoordinator())
            cachedURI = coordinator->uri(objectID);
    }
    return cachedURI;
}

const QImage &UserRow::avatarImage(KNVTTaskStore &store) const
{
    if (!thumbnail)
        thumbnail = avatarThumbnailOfUser(dynamic_cast<const KNVTCDUser *>(store.objectForURI(uri(store))));
    return *thumbnail;
}

bool UserRow::operator==(const UserRow &other) const
{
    return objectID == other.objectID && fullName == other.fullName && username == other.username
        && initials == other.initials && isMe == other.isMe
        && (!thumbnail || !other.thumbnail || thumbnail->cacheKey() == other.thumbnail->cacheKey()
            || *thumbnail == *other.thumbnail);
}

void readShownPictures(std::vector<UserRow> &rows, const std::vector<UserRow> &shown, KNVTTaskStore &store)
{
    QHash<ostore::ObjectID, const UserRow *> painted;
    for (const UserRow &row : shown)
        if (row.thumbnail)
            painted.insert(row.objectID, &row);
    if (painted.isEmpty())
        return;
    for (UserRow &row : rows)
        if (const UserRow *before = painted.value(row.objectID)) {
            row.cachedURI = before->cachedURI;
            row.avatarImage(store);
        }
}

QString accessibleTextOfUserRow(const UserRow &row)
{
    QStringList parts;
    if (!row.fullName.isEmpty())
        parts << row.fullName;
    if (!row.username.isEmpty())
        parts << row.username;
    if (row.isMe)
        parts << QCoreApplication::translate("KNVTUserRowDelegate", "me");
    return parts.join(QCoreApplication::translate("UserRow", ", "));
}

bool userMatchesSearch(const KNVTCDUser *user, const QString &foldedTerm)
{
    return foldedTerm.isEmpty() || searchFolded(user->username()).contains(foldedTerm)
        || searchFolded(user->fullName()).contains(foldedTerm);
}

std::vector<KNVTCDUser *> usersMatchingSearch(const std::vector<KNVTCDUser *> &users, const QString &term)
{
    const QString foldedTerm = searchFolded(term);
    if (foldedTerm.isEmpty())
        return users;
    std::vector<KNVTCDUser *> matching;
    for (KNVTCDUser *user : users) {
        if (userMatchesSearch(user, foldedTerm))
            matching.push_back(user);
    }
    return matching;
}

std::vector<UserRow> userRows(const std::vector<KNVTCDUser *> &users)
{
    std::vector<UserRow> rows;
    rows.reserve(users.size());
    for (const KNVTCDUser *user : users)
        rows.push_back(UserRow::fromUser(user));
    return rows;
}

std::vector<UserRow> sortedUserRows(const std::vector<KNVTCDUser *> &users)
{
    const QCollator &collator = knvt::titleCollator();
    // Each person is read once, in the order the users come: reading them in sorted order jumps about the store's
    // memory and costs more than the sort.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(users.size());
    std::vector<UserRow> read;
    read.reserve(users.size());
    for (const KNVTCDUser *user : users) {
        keys.push_back(collator.sortKey(user->extendedDisplayName()));
        read.push_back(UserRow::fromUser(user));
    }
    std::vector<size_t> order(users.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&keys](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
    // The rows take their places in the one vector, cycle by cycle of the order, so that no second copy of every row
    // is made and freed.
    for (size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start)
            continue;
        UserRow held = std::move(read[start]);
        size_t at = start;
        while (order[at] != start) {
            const size_t from = order[at];
            read[at] = std::move(read[from]);
            order[at] = at;
            at = from;
        }
        read[at] = std::move(held);
        order[at] = at;
    }
    return read;
}

} // namespace knvt
