#include "store/TaskStoreChanges.h"

#include "foundation/Notification.h"

namespace knvt {

std::optional<ostore::ChangeSet> TaskStoreChanges::fromUserInfo(const QVariantMap &userInfo)
{
    const auto found = userInfo.constFind(QString::fromLatin1(ChangeSetKey));
    if (found == userInfo.constEnd() || !found->canConvert<ostore::ChangeSet>())
        return std::nullopt;
    return found->value<ostore::ChangeSet>();
}

std::optional<ostore::ChangeSet> TaskStoreChanges::fromNotification(const Notification &notification)
{
    return fromUserInfo(notification.userInfo);
}

void TaskStoreChanges::insert(QVariantMap &userInfo, const ostore::ChangeSet &changes)
{
    userInfo.insert(QString::fromLatin1(ChangeSetKey), QVariant::fromValue(changes));
}

} // namespace knvt
