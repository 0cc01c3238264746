#include "model/KNVTCDTaggedTask.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDTaggedTask, KNVTCDTag, tag, setTag)
KNVTCD_DEFINE_TO_ONE(KNVTCDTaggedTask, KNVTCDTask, task, setTask)

QJsonObject KNVTCDTaggedTask::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &name : keys) {
        if (name == QLatin1String("task")) {
            const KNVTCDTask *linked = task();
            const std::optional<qint64> identifier = linked ? linked->numericIdentifier() : std::nullopt;
            if (identifier) {
                attributes.insert(QStringLiteral("taggable_id"), *identifier);
                attributes.insert(QStringLiteral("taggable_type"), QStringLiteral("Task"));
            }
        } else if (name == QLatin1String("tag")) {
            const KNVTCDTag *linked = tag();
            if (const std::optional<qint64> identifier = linked ? linked->numericIdentifier() : std::nullopt)
                attributes.insert(QStringLiteral("tag_id"), *identifier);
        }
    }
    return attributes;
}

void KNVTCDTaggedTask::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);
    if (KNVTCDTag *linked = tagForNumericIdentifier(numericIdentifierFromJSON(attributes.value("tag_id"))))
        setTag(linked);
    if (KNVTCDTask *linked = taskForNumericIdentifier(numericIdentifierFromJSON(attributes.value("taggable_id"))))
        setTask(linked);
    clearChangedKeys();
}

bool KNVTCDTaggedTask::mergesRegardlessOfDate() const
{
    return !task() || !tag();
}
