#include "model/KNVTCDTaskWatcher.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDUser.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDTaskWatcher, KNVTCDTask, task, setTask)
KNVTCD_DEFINE_TO_ONE(KNVTCDTaskWatcher, KNVTCDUser, user, setUser)

QJsonObject KNVTCDTaskWatcher::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &name : keys) {
        if (name == QLatin1String("task")) {
            const KNVTCDTask *watched = task();
            if (const std::optional<qint64> identifier = watched ? watched->numericIdentifier() : std::nullopt)
                attributes.insert(QStringLiteral("task_id"), *identifier);
        } else if (name == QLatin1String("user")) {
            const KNVTCDUser *watching = user();
            if (const std::optional<qint64> identifier = watching ? watching->numericIdentifier() : std::nullopt)
                attributes.insert(QStringLiteral("user_id"), *identifier);
        }
    }
    return attributes;
}

void KNVTCDTaskWatcher::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);
    if (KNVTCDUser *watching = relatedUserWithAttributes(attributes, "user"))
        setUser(watching);
    if (KNVTCDTask *watched = taskForNumericIdentifier(numericIdentifierFromJSON(attributes.value("task_id"))))
        setTask(watched);
    clearChangedKeys();
}
