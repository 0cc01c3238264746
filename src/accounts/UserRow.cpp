#include "accounts/UserRow.h"

#include "accounts/TextFolding.h"
#include "accounts/UserPresentation.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAvatar.h"
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
    row.initials = user->avatarInitials();
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

namespace {

const KNVTCDUser *userOfRow(const UserRow &row, KNVTTaskStore &store)
{
    return dynamic_cast<const KNVTCDUser *>(store.objectForURI(row.uri(store)));
}

UserRow::PictureKey pictureKeyOfUser(const KNVTCDUser *user)
{
    const KNVTCDAvatar *avatar = user ? user->avatar() : nullptr;
    if (!avatar)
        return {};
    // Without a thumbnail (written by a program that draws no pictures) the picture is what the thumbnail shows.
    QByteArray bytes = avatar->thumbnailData();
    if (bytes.isEmpty())
        bytes = avatar->data();
    return {avatar->objectID(), qHash(bytes), bytes.size()};
}

} // namespace

const QImage &UserRow::avatarImage(KNVTTaskStore &store) const
{
    if (!thumbnail) {
        const KNVTCDUser *user = userOfRow(*this, store);
        if (!pictureKey)
            pictureKey = pictureKeyOfUser(user);
        thumbnail = avatarThumbnailOfUser(user);
    }
    return *thumbnail;
}

bool UserRow::operator==(const UserRow &other) const
{
    return objectID == other.objectID && fullName == other.fullName && username == other.username
        && initials == other.initials && isMe == other.isMe && sortName == other.sortName
        && (!pictureKey || !other.pictureKey || *pictureKey == *other.pictureKey);
}

void readShownPicture(UserRow &row, const UserRow &shown, KNVTTaskStore &store)
{
    if (!shown.pictureKey || shown.objectID != row.objectID)
        return;
    row.cachedURI = shown.cachedURI;
    row.pictureKey = pictureKeyOfUser(userOfRow(row, store));
    if (row.pictureKey == shown.pictureKey)
        row.thumbnail = shown.thumbnail;
}

void readShownPictures(std::vector<UserRow> &rows, const std::vector<UserRow> &shown, KNVTTaskStore &store)
{
    QHash<ostore::ObjectID, const UserRow *> drawn;
    for (const UserRow &row : shown)
        if (row.pictureKey)
            drawn.insert(row.objectID, &row);
    if (drawn.isEmpty())
        return;
    for (UserRow &row : rows)
        if (const UserRow *before = drawn.value(row.objectID))
            readShownPicture(row, *before, store);
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
    // Spaces around a search come from a paste or a slip of the thumb, never from a name.
    const QString foldedTerm = searchFolded(trimmedString(term));
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

bool sortsBefore(const UserRow &a, const UserRow &b)
{
    if (const int order = a.sortKey->compare(*b.sortKey))
        return order < 0;
    // Names that collate alike keep one order however the people were read, so that a person placed on their own
    // lands where a whole sort puts them, whatever order the store read them in.
    return a.objectID.zid < b.objectID.zid;
}

std::vector<UserRow> sortedUserRows(const std::vector<KNVTCDUser *> &users)
{
    const QCollator &collator = knvt::titleCollator();
    // Each person is read once, in the order the users come: reading them in sorted order jumps about the store's
    // memory and costs more than the sort.
    std::vector<UserRow> read;
    read.reserve(users.size());
    for (const KNVTCDUser *user : users) {
        UserRow &row = read.emplace_back(UserRow::fromUser(user));
        row.sortName = user->extendedDisplayName();
        row.sortKey = collator.sortKey(row.sortName);
    }
    std::vector<size_t> order(users.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&read](size_t a, size_t b) { return sortsBefore(read[a], read[b]); });
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
