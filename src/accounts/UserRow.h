#pragma once

#include "objectstore/ObjectID.h"

#include <QCollatorSortKey>
#include <QImage>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

class KNVTCDUser;
class KNVTTaskStore;

namespace knvt {

// What a list row shows of a person, taken once per rebuild. The object reference and the picture are made only when
// the row is first drawn or dragged, so that a rebuild of thousands of people builds neither.
struct UserRow
{
    ostore::ObjectID objectID;
    QString fullName;
    QString username; // empty when the user has none
    QString initials;
    bool isMe = false;
    // What a sorted list puts the row in order by (sortedUserRows): the person's display name and its collation key,
    // kept so that a list that reads a few people again places them among the others without keys made anew.
    QString sortName;
    std::optional<QCollatorSortKey> sortKey;
    // What the picture is made of: the avatar and its thumbnail's bytes, compared instead of the pictures' pixels.
    struct PictureKey
    {
        ostore::ObjectID avatar; // null when the user has no avatar
        size_t bytesHash = 0;
        qsizetype byteCount = 0;

        bool operator==(const PictureKey &) const = default;
    };
    // The picture's key, once the row was drawn (or the row before it of the same person was).
    mutable std::optional<PictureKey> pictureKey;
    // The avatar thumbnail once decoded; a null image when the user has none.
    mutable std::optional<QImage> thumbnail;
    mutable QUrl cachedURI;

    static UserRow fromUser(const KNVTCDUser *user);
    // The object reference of the person, made through `store` on first use.
    const QUrl &uri(KNVTTaskStore &store) const;
    // The name the row stands for in other programs: the full name, else the user name.
    QString shownName() const;
    // The thumbnail, read through `store` on first use.
    const QImage &avatarImage(KNVTTaskStore &store) const;

    // Shown the same: the same person, names, mark and place in the order, and the same picture where both rows have
    // its key.
    bool operator==(const UserRow &other) const;
};

// Reads the picture's key of `row` when `shown`, the row it replaces, is of the same person and has its key (a row
// that was drawn), so that a new picture counts as a change of the row while rows never drawn read nothing. The
// picture already decoded goes over to `row` when the key stayed.
void readShownPicture(UserRow &row, const UserRow &shown, KNVTTaskStore &store);
// The same for each row of `rows`, each with the row of its person in `shown`.
void readShownPictures(std::vector<UserRow> &rows, const std::vector<UserRow> &shown, KNVTTaskStore &store);

// What a screen reader reads of a person's row: what the row shows, in one line (the full name, the user name, and
// "me" on the local user's row).
QString accessibleTextOfUserRow(const UserRow &row);

// The people lists' search: the term is in the user name or in the full name, ignoring case and accents.
// `foldedTerm` is the term as searchFolded() gives it; an empty term matches everybody.
bool userMatchesSearch(const KNVTCDUser *user, const QString &foldedTerm);
// The users that match, in their order.
std::vector<KNVTCDUser *> usersMatchingSearch(const std::vector<KNVTCDUser *> &users, const QString &term);

// The rows of `users`, in the order of the users' display names (localized, ignoring case; people whose names collate
// alike in the one fixed order of their identities). Each name's collation key is made once and kept in its row, so that a
// sort of thousands of people compares keys, not strings.
std::vector<UserRow> sortedUserRows(const std::vector<KNVTCDUser *> &users);
// Whether `a` comes before `b` in the order of sortedUserRows; both rows have their sort keys.
bool sortsBefore(const UserRow &a, const UserRow &b);
// The rows of `users` in the given order.
std::vector<UserRow> userRows(const std::vector<KNVTCDUser *> &users);

} // namespace knvt
