#pragma once

#include <QString>
#include <QStringList>

// The names a session works through, in session order, and the keys its requests carry in their user info.

// The request user-info key of the identifier URI (as a string) of the local object a request was built from.
inline constexpr char KNVTTaskStoreManagedObjectURIStringRepresentation[] =
    "KNVTTaskStoreManagedObjectURIStringRepresentation";
// The request user-info key of what a push sent, per changed property name: the wire attributes of that one key
// (a QJsonObject), so that a reply clears only the keys whose values are still the ones sent.
inline constexpr char KNVTTaskStoreSyncSentAttributesByKey[] = "KNVTTaskStoreSyncSentAttributesByKey";
// The request user-info key of the identifier URIs (a QStringList) of the new objects whose creation may have reached
// the service, that a read made before they are sent again settles.
inline constexpr char KNVTTaskStoreSyncCreationsInDoubt[] = "KNVTTaskStoreSyncCreationsInDoubt";

namespace knvt {

inline QStringList syncPushResources()
{
    return {QStringLiteral("friendships"), QStringLiteral("task_lists"),    QStringLiteral("task_list_collaborators"),
            QStringLiteral("tasks"),       QStringLiteral("task_watchers"), QStringLiteral("comments"),
            QStringLiteral("tags"),        QStringLiteral("tagged_items")};
}

inline QStringList syncPullResources()
{
    return {QStringLiteral("account"),
            QStringLiteral("friendships"),
            QStringLiteral("friendships/invites"),
            QStringLiteral("task_lists/active"),
            QStringLiteral("task_lists/pending"),
            QStringLiteral("task_lists/archived"),
            QStringLiteral("task_lists/declined"),
            QStringLiteral("task_lists"),
            QStringLiteral("tasks/inbox"),
            QStringLiteral("tags"),
            QStringLiteral("user/avatar")};
}

} // namespace knvt
