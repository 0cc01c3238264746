#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTUserFriendshipStatus.h"

#include <QJsonObject>

#include <vector>

class KNVTCDAccount;
class KNVTCDAvatar;
class KNVTCDFriendship;
class KNVTCDTag;
class KNVTCDTask;
class KNVTCDTaskComment;
class KNVTCDTaskList;
class KNVTCDTaskListCollaborator;
class KNVTCDTaskWatcher;

// A person known to the account, including the local user "Me" (friendshipStatus 6). Users are only ever pulled,
// so they keep no change-tracking string. fullName, initials and extendedDisplayName are stored so that queries and
// sorts can use them; they follow the names whenever those are written. Every user has an avatar.
class KNVTCDUser : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDUser)
    KNVTCD_PULLED_ATTRIBUTES
    OSTORE_STRING(emailAddress, setEmailAddress)
    OSTORE_STRING(username, setUsername)
    OSTORE_STRING(firstName, setFirstName)
    OSTORE_STRING(lastName, setLastName)
    OSTORE_STRING(fullName, setFullName)
    OSTORE_STRING(initials, setInitials)
    OSTORE_STRING(isoCountryCode, setIsoCountryCode)
    OSTORE_STRING(extendedDisplayName, setExtendedDisplayName)
    OSTORE_INT(friendshipStatus, setFriendshipStatus)
    KNVTCD_TO_ONE_INVERSE(KNVTCDAvatar, avatar)
    KNVTCD_TO_ONE_INVERSE(KNVTCDAccount, ownedAccount)
    KNVTCD_TO_MANY(KNVTCDTaskComment, comments)
    KNVTCD_TO_MANY(KNVTCDTag, createdTags)
    KNVTCD_TO_MANY(KNVTCDTaskListCollaborator, taskListCollaborators)
    KNVTCD_TO_MANY(KNVTCDTaskWatcher, taskWatchers)
    KNVTCD_TO_MANY(KNVTCDTask, assignedTasks)
    KNVTCD_TO_MANY(KNVTCDTask, createdTasks)
    KNVTCD_TO_MANY(KNVTCDTaskList, createdTaskLists)
    KNVTCD_TO_MANY(KNVTCDFriendship, inviterFriendships)
    KNVTCD_TO_MANY(KNVTCDFriendship, inviteeFriendships)

public:
    // By extendedDisplayName, localized and case-insensitive.
    static Comparator userComparator();

    bool isMe() const;

    // What an avatar without a picture shows: the first letters of the first and the last name, however many words
    // each has (the stored initials take a letter of every word of the full name); the stored initials when the user
    // has neither name.
    QString avatarInitials() const;

    // The lists of the user's accepted, live memberships, unless the list is archived or deleted; unsorted, one
    // entry per membership.
    std::vector<KNVTCDTaskList *> activeTaskLists() const;
    // The user's live watcher rows that have a task, by the task's title (plain, case-sensitive).
    std::vector<KNVTCDTaskWatcher *> activeTaskWatchers() const;

    // Derives the relation to the local user from the two friendship records between them, "mine" (from the local
    // user) deciding over "theirs". A tombstoned or removed record of mine counts as absent; a tombstoned record of
    // theirs ends the relation. The local user itself is never derived.
    void updateFriendshipStatus();

    // -- Sync service --------------------------------------------------------------------------------------------
    // The identity, the names, the e-mail address and the country code (JSON null empties a field, a missing key
    // leaves it) and, when both "avatar_content_type" and "avatar_updated_at" are present, the avatar's metadata.
    // The service sends users no "deleted_at".
    void updateWithAttributes(const knvt::JSONView &attributes) override;

    void awakeFromInsert() override;
    void awakeFromFetch() override;
    void didChangeValue(std::string_view key) override;
    // A friendship record that goes away (deleted outright, or moved to another user) changes the relation too.
    void didChangeToMany(std::string_view key, ostore::Mutation mutation,
                         const std::vector<ostore::Object *> &objects) override;

private:
    void insertAvatarIfNeeded();
    void updateAvatarWithAttributes(const knvt::JSONView &attributes);
};
