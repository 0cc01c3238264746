#include "sync/SyncWireAttributes.h"

#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"

#include <QVariant>

namespace knvt {

QJsonObject syncWireAttributesForKeys(const ostore::Object &object, const QStringList &keys)
{
    const QString &entity = object.entity().name;
    if (entity == QLatin1String("KNVTCDTask"))
        return static_cast<const KNVTCDTask &>(object).attributesForKeys(keys);
    if (entity == QLatin1String("KNVTCDTaskList"))
        return static_cast<const KNVTCDTaskList &>(object).attributesForKeys(keys);
    if (entity == QLatin1String("KNVTCDTaskListCollaborator"))
        return static_cast<const KNVTCDTaskListCollaborator &>(object).attributesForKeys(keys);
    if (entity == QLatin1String("KNVTCDTaskComment"))
        return static_cast<const KNVTCDTaskComment &>(object).attributesForKeys(keys);
    if (entity == QLatin1String("KNVTCDTaskWatcher"))
        return static_cast<const KNVTCDTaskWatcher &>(object).attributesForKeys(keys);
    if (entity == QLatin1String("KNVTCDTag"))
        return static_cast<const KNVTCDTag &>(object).attributesForKeys(keys);
    if (entity == QLatin1String("KNVTCDTaggedTask"))
        return static_cast<const KNVTCDTaggedTask &>(object).attributesForKeys(keys);
    if (entity == QLatin1String("KNVTCDFriendship"))
        return static_cast<const KNVTCDFriendship &>(object).attributesForKeys(keys);
    return {};
}

QVariantMap syncWireAttributesByKey(const ostore::Object &object, const QStringList &keys)
{
    QVariantMap byKey;
    for (const QString &key : keys) {
        const QJsonObject attributes = syncWireAttributesForKeys(object, {key});
        if (!attributes.isEmpty())
            byKey.insert(key, QVariant(attributes));
    }
    return byKey;
}

bool syncWireAttributesUnchanged(const ostore::Object &object, const QString &key, const QVariant &sent)
{
    return syncWireAttributesForKeys(object, {key}) == sent.toJsonObject();
}

} // namespace knvt
