#include "model/KNVTCDTaskListCollaborator.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"

#include "foundation/KNVTRailsDateFormatter.h"

#include <QCoreApplication>
#include <QJsonArray>

KNVTCD_DEFINE_TO_ONE(KNVTCDTaskListCollaborator, KNVTCDTaskList, taskList, setTaskList)
KNVTCD_DEFINE_TO_ONE(KNVTCDTaskListCollaborator, KNVTCDUser, user, setUser)

namespace {

constexpr qint64 kMyUserFriendshipStatus = 6;

// Null clears, anything else is read as a date: a missing key clears as well.
QDateTime optionalDate(const knvt::JSONView &attributes, std::string_view key)
{
    return KNVTCDTaskStoreObject::dateFromJSON(attributes.value(key));
}

} // namespace

// ---- Role and status ----

KNVTTaskListCollaboratorRole
KNVTCDTaskListCollaborator::taskListCollaboratorRoleForTaskListCollaboratorRoleString(const QString &string)
{
    if (string == QLatin1String("owner"))
        return KNVTTaskListCollaboratorRoleOwner;
    return KNVTTaskListCollaboratorRoleEditor;
}

QString
KNVTCDTaskListCollaborator::taskListCollaboratorRoleStringForTaskListCollaboratorRole(KNVTTaskListCollaboratorRole role)
{
    return role == KNVTTaskListCollaboratorRoleOwner ? QStringLiteral("owner") : QStringLiteral("editor");
}

QString KNVTCDTaskListCollaborator::localizedDisplayNameForTaskListCollaboratorRole(KNVTTaskListCollaboratorRole role)
{
    if (role == KNVTTaskListCollaboratorRoleOwner)
        return QCoreApplication::translate("KNVTCDTaskListCollaborator", "Owner");
    return QCoreApplication::translate("KNVTCDTaskListCollaborator", "Editor");
}

KNVTTaskListCollaboratorStatus
KNVTCDTaskListCollaborator::taskListCollaboratorStatusForTaskListCollaboratorStatusString(const QString &string)
{
    if (string == QLatin1String("pending"))
        return KNVTTaskListCollaboratorStatusPending;
    if (string == QLatin1String("declined"))
        return KNVTTaskListCollaboratorStatusDeclined;
    return KNVTTaskListCollaboratorStatusAccepted;
}

QString KNVTCDTaskListCollaborator::taskListCollaboratorStatusStringForTaskListCollaboratorStatus(
    KNVTTaskListCollaboratorStatus status)
{
    switch (status) {
    case KNVTTaskListCollaboratorStatusPending: return QStringLiteral("pending");
    case KNVTTaskListCollaboratorStatusDeclined: return QStringLiteral("declined");
    default: return QStringLiteral("accepted");
    }
}

QString
KNVTCDTaskListCollaborator::localizedDisplayNameForTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatus status)
{
    switch (status) {
    case KNVTTaskListCollaboratorStatusPending:
        return QCoreApplication::translate("KNVTCDTaskListCollaborator", "Pending");
    case KNVTTaskListCollaboratorStatusAccepted:
        return QCoreApplication::translate("KNVTCDTaskListCollaborator", "Accepted");
    case KNVTTaskListCollaboratorStatusDeclined:
        return QCoreApplication::translate("KNVTCDTaskListCollaborator", "Declined");
    default: return QStringLiteral("-");
    }
}

// ---- Review schedule ----

std::shared_ptr<KNVTRecurrence> KNVTCDTaskListCollaborator::reviewRecurrence() const
{
    return KNVTRecurrence::recurrenceWithStoredString(reviewRecurrenceString());
}

void KNVTCDTaskListCollaborator::setReviewRecurrence(const std::shared_ptr<KNVTRecurrence> &recurrence)
{
    setReviewRecurrenceString(recurrence ? recurrence->recurrenceComponentStrings().join(QLatin1Char(' ')) : QString());
}

// ---- Wire mapping ----

QJsonObject KNVTCDTaskListCollaborator::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &key : keys) {
        if (key == QLatin1String("deletedDate")) {
            attributes.insert(QStringLiteral("deleted_at"), JSONValueFromDate(deletedDate()));
        } else if (key == QLatin1String("role")) {
            attributes.insert(QStringLiteral("role"),
                              taskListCollaboratorRoleStringForTaskListCollaboratorRole(
                                  KNVTTaskListCollaboratorRole(role().value_or(0))));
        } else if (key == QLatin1String("status")) {
            attributes.insert(QStringLiteral("status"),
                              taskListCollaboratorStatusStringForTaskListCollaboratorStatus(
                                  KNVTTaskListCollaboratorStatus(status().value_or(0))));
        } else if (key == QLatin1String("taskList")) {
            if (const KNVTCDTaskList *list = taskList()) {
                if (const std::optional<qint64> id = list->numericIdentifier())
                    attributes.insert(QStringLiteral("task_list_id"), *id);
            }
        } else if (key == QLatin1String("taskListTypeOrderIndex")) {
            const std::optional<qint64> index = taskListTypeOrderIndex();
            attributes.insert(QStringLiteral("task_list_type_order_index"),
                              index ? QJsonValue(*index) : QJsonValue(QJsonValue::Null));
        } else if (key == QLatin1String("reviewedDate")) {
            attributes.insert(QStringLiteral("reviewed_at"), JSONValueFromDate(reviewedDate()));
        } else if (key == QLatin1String("reviewDate")) {
            attributes.insert(QStringLiteral("review_at"), JSONValueFromDate(reviewDate()));
        } else if (key == QLatin1String("reviewRecurrenceString")) {
            // A removed schedule must reach the service as "no rules"; leaving the key out would keep the old one
            // there, and it would come back with the next pull.
            const QString string = reviewRecurrenceString();
            attributes.insert(QStringLiteral("review_recurrence"),
                              string.isEmpty() ? QJsonArray()
                                               : QJsonArray::fromStringList(string.split(QLatin1Char(' '))));
        } else if (key == QLatin1String("user")) {
            if (const KNVTCDUser *member = user()) {
                if (const std::optional<qint64> id = member->numericIdentifier())
                    attributes.insert(QStringLiteral("user_id"), *id);
            }
        }
    }
    return attributes;
}

void KNVTCDTaskListCollaborator::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);

    if (KNVTCDUser *member = relatedUserWithAttributes(attributes, "user"))
        setUser(member);

    if (const std::optional<qint64> listIdentifier = numericIdentifierFromJSON(attributes.value("task_list_id"))) {
        if (KNVTCDTaskList *list = taskListForNumericIdentifier(listIdentifier))
            setTaskList(list);
    }

    const knvt::JSONView roleValue = attributes.value("role");
    if (roleValue.isString())
        setRole(taskListCollaboratorRoleForTaskListCollaboratorRoleString(roleValue.toString()));

    const knvt::JSONView statusValue = attributes.value("status");
    if (statusValue.isString())
        setStatus(taskListCollaboratorStatusForTaskListCollaboratorStatusString(statusValue.toString()));

    const knvt::JSONView indexValue = attributes.value("task_list_type_order_index");
    if (indexValue.isNumber())
        setTaskListTypeOrderIndex(indexValue.toInteger());

    setReviewedDate(optionalDate(attributes, "reviewed_at"));
    setReviewDate(optionalDate(attributes, "review_at"));

    const knvt::JSONView recurrenceValue = attributes.value("review_recurrence");
    if (recurrenceValue.isArray()) {
        QStringList rules;
        for (const knvt::JSONView &rule : recurrenceValue)
            rules.append(rule.toString());
        // An empty array is an empty text, not none (joining no words gives a null string).
        const QString joined = rules.join(QLatin1Char(' '));
        setReviewRecurrenceString(joined.isNull() ? QStringLiteral("") : joined);
    } else {
        setReviewRecurrenceString(QString());
    }

    clearChangedKeys();
}

// ---- Change tracking ----

void KNVTCDTaskListCollaborator::didChangeValue(std::string_view key)
{
    updateTaskListMirrors(key);
    KNVTCDTaskStoreObject::didChangeValue(key);
}

bool KNVTCDTaskListCollaborator::excludesChangedKey(std::string_view key) const
{
    return key == "taskList" || key == "user";
}

void KNVTCDTaskListCollaborator::updateTaskListMirrors(std::string_view key)
{
    const bool identityChanged = key == "user" || key == "taskList";
    if (!identityChanged && key != "status" && key != "taskListTypeOrderIndex")
        return;
    KNVTCDUser *member = user();
    KNVTCDTaskList *list = taskList();
    if (!member || !list || member->friendshipStatus() != kMyUserFriendshipStatus)
        return;

    // The list copies a mirror into this row only when the two differ, so neither copy echoes back.
    if (identityChanged || key == "status") {
        const std::optional<qint64> rowStatus = status();
        const std::optional<qint64> mirror = list->taskListCollaboratorStatus();
        if (rowStatus && (!mirror || *mirror != *rowStatus))
            list->setTaskListCollaboratorStatus(rowStatus);
    }
    // The order index travels on this row, so a pull must reach the mirror that the lists are sorted by.
    if (identityChanged || key == "taskListTypeOrderIndex") {
        const std::optional<qint64> rowIndex = taskListTypeOrderIndex();
        const std::optional<qint64> mirror = list->taskListCollaboratorTaskListTypeOrderIndex();
        if (rowIndex && (!mirror || *mirror != *rowIndex))
            list->setTaskListCollaboratorTaskListTypeOrderIndex(rowIndex);
    }
}
