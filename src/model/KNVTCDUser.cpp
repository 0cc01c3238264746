#include "model/KNVTCDUser.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAccount.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTFriendshipStatus.h"
#include "model/KNVTTaskListCollaboratorStatus.h"

#include "objectstore/Where.h"

#include "foundation/StringAdditions.h"

using namespace ostore::where;

KNVTCD_DEFINE_TO_ONE_INVERSE(KNVTCDUser, KNVTCDAvatar, avatar)
KNVTCD_DEFINE_TO_ONE_INVERSE(KNVTCDUser, KNVTCDAccount, ownedAccount)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDTaskComment, comments)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDTag, createdTags)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDTaskListCollaborator, taskListCollaborators)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDTaskWatcher, taskWatchers)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDTask, assignedTasks)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDTask, createdTasks)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDTaskList, createdTaskLists)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDFriendship, inviterFriendships)
KNVTCD_DEFINE_TO_MANY(KNVTCDUser, KNVTCDFriendship, inviteeFriendships)

namespace {

// The parts that are there, one blank between them; never a placeholder for a missing one.
QString joinedNames(const QString &first, const QString &last)
{
    QStringList parts;
    if (!first.isEmpty())
        parts << first;
    if (!last.isEmpty())
        parts << last;
    return parts.isEmpty() ? QString() : parts.join(QLatin1Char(' '));
}

// The first character of every word, upper-cased; a character outside the basic plane keeps both of its halves.
QString initialsOfName(const QString &name)
{
    QString initials;
    for (const QString &word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype length = word.size() > 1 && word.at(0).isHighSurrogate() && word.at(1).isLowSurrogate() ? 2 : 1;
        initials += word.left(length).toUpper();
    }
    return initials;
}

// Applies a JSON string to a text field: null empties it, a string replaces it, anything else leaves it.
template <class Setter>
void updateString(const knvt::JSONView &attributes, const char *wireKey, Setter &&setter)
{
    const knvt::JSONView value = attributes.value(wireKey);
    if (value.isNull())
        setter(QString());
    else if (value.isString())
        setter(value.toString());
}

} // namespace

KNVTCDTaskStoreObject::Comparator KNVTCDUser::userComparator()
{
    return [](const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b) {
        return knvt::titleCollator().compare(static_cast<const KNVTCDUser *>(a)->extendedDisplayName(),
                                             static_cast<const KNVTCDUser *>(b)->extendedDisplayName())
            < 0;
    };
}

QString KNVTCDUser::avatarInitials() const
{
    const auto firstWord = [](const QString &name) {
        return name.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    };
    const QString letters = initialsOfName(QStringList{firstWord(firstName()), firstWord(lastName())}.join(u' '));
    return letters.isEmpty() ? initials() : letters;
}

bool KNVTCDUser::isMe() const
{
    return friendshipStatus() == KNVTUserFriendshipStatusMe;
}

std::vector<KNVTCDTaskList *> KNVTCDUser::activeTaskLists() const
{
    std::vector<KNVTCDTaskList *> lists;
    for (const KNVTCDTaskListCollaborator *row : taskListCollaborators()) {
        // A tombstoned row is a membership that has ended and only waits for its DELETE to go out.
        if (row->isDeleted() || row->deletedDate().isValid() || row->status() != KNVTTaskListCollaboratorStatusAccepted)
            continue;
        KNVTCDTaskList *list = row->taskList();
        if (!list || list->isDeleted() || list->deletedDate().isValid() || list->isArchived())
            continue;
        lists.push_back(list);
    }
    return lists;
}

std::vector<KNVTCDTaskWatcher *> KNVTCDUser::activeTaskWatchers() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return {};
    std::vector<KNVTCDTaskWatcher *> watchers;
    for (ostore::Object *object : knvt::executeFetchRequestForEntityName(
             *ctx, QStringLiteral("KNVTCDTaskWatcher"),
             key(QStringLiteral("user")) == this && isNull(QStringLiteral("deletedDate"))
                 && notNull(QStringLiteral("task")),
             {ostore::SortDescriptor{QStringLiteral("task.title"), true, ostore::Collation::Binary}}))
        watchers.push_back(static_cast<KNVTCDTaskWatcher *>(object));
    return watchers;
}

void KNVTCDUser::updateFriendshipStatus()
{
    if (isMe())
        return;
    KNVTCDUser *me = myUser();
    const KNVTCDFriendship *mine = friendshipForInviter(me, this);
    const KNVTCDFriendship *theirs = friendshipForInviter(this, me);
    // A record on its way out of the context is still found while its removal notifies the ends.
    if (theirs && theirs->isDeleted())
        theirs = nullptr;
    // A record deleted on the service (its tombstone pulled) no longer relates anyone either.
    if (mine && (mine->isDeleted() || mine->deletedDate().isValid()))
        mine = nullptr;

    std::optional<qint64> status = friendshipStatus();
    if (mine && mine->inviter()) {
        if (mine->status() == KNVTFriendshipStatusDeclined || (theirs && theirs->deletedDate().isValid()))
            status = KNVTUserFriendshipStatusNone;
        else if (mine->status() == KNVTFriendshipStatusPending)
            status = KNVTUserFriendshipStatusInvited;
        else if (mine->status() == KNVTFriendshipStatusAccepted)
            status = KNVTUserFriendshipStatusFriend;
    } else if (theirs && !theirs->deletedDate().isValid() && theirs->invitee()) {
        if (theirs->status() == KNVTFriendshipStatusPending)
            status = KNVTUserFriendshipStatusPending;
        else if (theirs->status() == KNVTFriendshipStatusAccepted)
            status = KNVTUserFriendshipStatusFriend;
    } else {
        status = KNVTUserFriendshipStatusNone;
    }
    if (status != friendshipStatus())
        setFriendshipStatus(status);
}

void KNVTCDUser::updateWithAttributes(const knvt::JSONView &attributes)
{
    updateIdentityWithAttributes(attributes);
    updateString(attributes, "first_name", [this](const QString &v) { setFirstName(v); });
    updateString(attributes, "last_name", [this](const QString &v) { setLastName(v); });
    updateString(attributes, "email", [this](const QString &v) { setEmailAddress(v); });
    updateString(attributes, "username", [this](const QString &v) { setUsername(v); });
    updateString(attributes, "country_code", [this](const QString &v) { setIsoCountryCode(v); });
    updateAvatarWithAttributes(attributes);
}

void KNVTCDUser::updateAvatarWithAttributes(const knvt::JSONView &attributes)
{
    const knvt::JSONView contentType = attributes.value("avatar_content_type");
    const knvt::JSONView updatedAt = attributes.value("avatar_updated_at");
    if (contentType.isUndefined() || updatedAt.isUndefined())
        return;
    insertAvatarIfNeeded();
    KNVTCDAvatar *picture = avatar();
    if (!picture)
        return;

    if (contentType.isString()) {
        const QString type = contentType.toString().toLower();
        if (type == QLatin1String("image/png"))
            picture->setFileExtension(QStringLiteral("png"));
        else if (type == QLatin1String("image/jpg") || type == QLatin1String("image/jpeg"))
            picture->setFileExtension(QStringLiteral("jpeg"));
    } else {
        picture->setFileExtension(QString());
        picture->setData(QByteArray());
        picture->setOpaque(std::nullopt);
    }

    if (updatedAt.isString()) {
        // A date that cannot be read says nothing about the picture: it must neither cancel a pending download
        // nor make the next readable date look new.
        const QDateTime serviceDate = dateFromJSON(updatedAt);
        if (!serviceDate.isValid())
            return;
        const QDateTime seen = picture->modifiedDate();
        if (!seen.isValid() || seen < serviceDate)
            picture->setNeedsUpdating(!picture->fileExtension().isEmpty());
        else
            picture->setNeedsUpdating(false);
        picture->setModifiedDate(serviceDate);
    } else {
        picture->setNeedsUpdating(false);
        picture->setModifiedDate(QDateTime());
        picture->setFileExtension(QString());
        picture->setData(QByteArray());
        picture->setOpaque(std::nullopt);
    }
}

void KNVTCDUser::awakeFromInsert()
{
    KNVTCDTaskStoreObject::awakeFromInsert();
    insertAvatarIfNeeded();
}

void KNVTCDUser::awakeFromFetch()
{
    KNVTCDTaskStoreObject::awakeFromFetch();
    insertAvatarIfNeeded();
}

void KNVTCDUser::insertAvatarIfNeeded()
{
    ostore::Context *ctx = context();
    if (!ctx || avatar())
        return;
    auto *picture =
        static_cast<KNVTCDAvatar *>(knvt::insertNewObjectForEntityForName(*ctx, QStringLiteral("KNVTCDAvatar")));
    picture->setUser(this);
}

void KNVTCDUser::didChangeValue(std::string_view key)
{
    KNVTCDTaskStoreObject::didChangeValue(key);
    const bool namesChanged = key == "firstName" || key == "lastName";
    if (namesChanged)
        setFullName(joinedNames(firstName(), lastName()));
    if (namesChanged || key == "username") {
        QString display = joinedNames(firstName(), lastName());
        const QString user = username();
        if (!user.isEmpty())
            display =
                display.isEmpty() ? QStringLiteral("(%1)").arg(user) : QStringLiteral("%1 (%2)").arg(display, user);
        setExtendedDisplayName(display);
    }
    if (key == "fullName") {
        const QString name = fullName();
        if (!name.isEmpty()) {
            const QString letters = initialsOfName(name);
            setInitials(letters.isEmpty() ? QString() : letters);
        }
    }
}

void KNVTCDUser::didChangeToMany(std::string_view key, ostore::Mutation mutation,
                                 const std::vector<ostore::Object *> &objects)
{
    KNVTCDTaskStoreObject::didChangeToMany(key, mutation, objects);
    if (mutation == ostore::Mutation::Remove && !isDeleted()
        && (key == "inviterFriendships" || key == "inviteeFriendships"))
        updateFriendshipStatus();
}
