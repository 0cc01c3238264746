#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTTaskListCollaboratorRole.h"
#include "model/KNVTTaskListCollaboratorStatus.h"

#include <QJsonObject>
#include <QStringList>

#include <memory>

class KNVTCDTaskList;
class KNVTCDUser;
class KNVTRecurrence;

// One user's membership of a task list, with what belongs to that member alone: acceptance, the list's order among
// the member's lists of its type, and the review schedule. The local user's row is the source of the list's
// per-user values: its status and order index are copied into the list's mirrors whenever they change, pulls
// included.
class KNVTCDTaskListCollaborator : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTaskListCollaborator)
    KNVTCD_SYNCED_ATTRIBUTES
    OSTORE_INT(role, setRole)
    OSTORE_INT(status, setStatus)
    OSTORE_INT(taskListTypeOrderIndex, setTaskListTypeOrderIndex)
    OSTORE_DATE(reviewedDate, setReviewedDate)
    OSTORE_DATE(reviewDate, setReviewDate)
    OSTORE_STRING(reviewRecurrenceString, setReviewRecurrenceString)
    KNVTCD_TO_ONE(KNVTCDTaskList, taskList, setTaskList)
    KNVTCD_TO_ONE(KNVTCDUser, user, setUser)

public:
    // "owner" 1; any other string, or none, 2.
    static KNVTTaskListCollaboratorRole
    taskListCollaboratorRoleForTaskListCollaboratorRoleString(const QString &string);
    // "owner" for 1, "editor" for every other value.
    static QString taskListCollaboratorRoleStringForTaskListCollaboratorRole(KNVTTaskListCollaboratorRole role);
    // Translated "Owner" for 1, "Editor" for every other value.
    static QString localizedDisplayNameForTaskListCollaboratorRole(KNVTTaskListCollaboratorRole role);
    // "pending" 1, "accepted" 2, "declined" 3; any other string, or none, 2.
    static KNVTTaskListCollaboratorStatus
    taskListCollaboratorStatusForTaskListCollaboratorStatusString(const QString &string);
    // "pending" for 1, "declined" for 3, "accepted" for every other value.
    static QString taskListCollaboratorStatusStringForTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatus status);
    // Translated "Pending", "Accepted" or "Declined" for 1 to 3; "-" for every other value.
    static QString localizedDisplayNameForTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatus status);

    // The schedule stored in reviewRecurrenceString; nullptr when the string is none or empty.
    std::shared_ptr<KNVTRecurrence> reviewRecurrence() const;
    // Stores the schedule's rule texts joined by one blank; nullptr clears the string.
    void setReviewRecurrence(const std::shared_ptr<KNVTRecurrence> &recurrence);

    // The wire attributes for the given keys, in the service's names. A schedule that was removed is sent as an
    // empty array, which the service reads as "no schedule".
    QJsonObject attributesForKeys(const QStringList &keys) const;
    void updateWithAttributes(const knvt::JSONView &attributes) override;

    void didChangeValue(std::string_view key) override;

protected:
    // The list and the user are the row's identity on the service; only a new row sends them.
    bool excludesChangedKey(std::string_view key) const override;

private:
    // Copies this row's status and order index into its list's mirrors when this is the local user's row.
    void updateTaskListMirrors(std::string_view key);
};
