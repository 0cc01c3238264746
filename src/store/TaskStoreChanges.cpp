#include "store/TaskStoreChanges.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Model.h"

#include "foundation/Notification.h"

#include <algorithm>

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

bool TaskStoreChanges::madeElsewhere(const Notification &notification)
{
    return notification.userInfo.value(QString::fromLatin1(MadeElsewhereKey)).toBool();
}

void TaskStoreChanges::insert(QVariantMap &userInfo, const ostore::ChangeSet &changes, bool madeElsewhere)
{
    userInfo.insert(QString::fromLatin1(ChangeSetKey), QVariant::fromValue(changes));
    if (madeElsewhere)
        userInfo.insert(QString::fromLatin1(MadeElsewhereKey), true);
}

bool TaskStoreChanges::touchesOnly(const ostore::ChangeSet &changes, const ostore::Context &context,
                                   std::initializer_list<QLatin1String> entities)
{
    const ostore::Model &model = context.coordinator()->model();
    for (const std::vector<ostore::ObjectID> *ids : {&changes.inserted, &changes.updated, &changes.deleted})
        for (const ostore::ObjectID &id : *ids) {
            const QString &name = model.entity(id.entity).name;
            if (std::none_of(entities.begin(), entities.end(),
                             [&name](QLatin1String entity) { return name == entity; }))
                return false;
        }
    return true;
}

} // namespace knvt
