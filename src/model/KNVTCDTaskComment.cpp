#include "model/KNVTCDTaskComment.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDUser.h"

#include "foundation/Clock.h"
#include "foundation/KNVTRailsDateFormatter.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDTaskComment, KNVTCDTask, task, setTask)
KNVTCD_DEFINE_TO_ONE(KNVTCDTaskComment, KNVTCDUser, user, setUser)

bool KNVTCDTaskComment::isEdited() const
{
    const QDateTime created = createdDate();
    const QDateTime modified = modifiedDate();
    if (!numericIdentifier() || !created.isValid() || !modified.isValid())
        return false;
    return created.msecsTo(modified) > 5000;
}

QJsonObject KNVTCDTaskComment::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &name : keys) {
        if (name == QLatin1String("deletedDate")) {
            const QDateTime deleted = deletedDate();
            attributes.insert(QStringLiteral("deleted_at"),
                              deleted.isValid() ? QJsonValue(
                                  KNVTRailsDateFormatter(KNVTRailsDateFormatterTypeDateTime).stringFromDate(deleted))
                                                : QJsonValue());
        } else if (name == QLatin1String("task")) {
            const KNVTCDTask *commented = task();
            if (const std::optional<qint64> identifier = commented ? commented->numericIdentifier() : std::nullopt) {
                attributes.insert(QStringLiteral("commentable_id"), *identifier);
                attributes.insert(QStringLiteral("commentable_type"), QStringLiteral("Task"));
            }
        } else if (name == QLatin1String("text")) {
            if (!text().isNull())
                attributes.insert(QStringLiteral("text"), text());
        }
    }
    return attributes;
}

void KNVTCDTaskComment::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);
    // The text first: on a synced comment it stamps the modified date, which the service's date then replaces.
    const knvt::JSONView textValue = attributes.value("text");
    if (textValue.isNull())
        setText(QString());
    else if (textValue.isString())
        setText(textValue.toString());

    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);
    if (KNVTCDUser *author = relatedUserWithAttributes(attributes, "user"))
        setUser(author);
    if (KNVTCDTask *commented = taskForNumericIdentifier(numericIdentifierFromJSON(attributes.value("commentable_id"))))
        setTask(commented);
    clearChangedKeys();
}

void KNVTCDTaskComment::didChangeValue(std::string_view key)
{
    // A fill writes the service's modified date after the text, so it needs no stamp of its own.
    if (key == "text" && !isUpdatingWithAttributes() && numericIdentifier())
        setModifiedDate(knvt::Clock::shared().nowUTC());
    KNVTCDTaskStoreObject::didChangeValue(key);
}
