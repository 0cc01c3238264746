#pragma once

#include "objectstore/ChangeSet.h"

#include <QLatin1String>
#include <QVariantMap>

#include <initializer_list>
#include <optional>

namespace ostore {
class Context;
}

namespace knvt {

struct Notification;

// What a did-change notification of the task store says about the objects that changed. A save, a sync's merge and a
// reload of another process's writes carry their change set; the midnight, clock, time-zone and wake refreshes and a
// reload that failed carry none, and then nothing is known: a list must compute its rows again.
class TaskStoreChanges
{
public:
    // The user-info key of the change set (an ostore::ChangeSet), next to the URI lists of the store's own keys.
    static constexpr char ChangeSetKey[] = "changeSet";
    static constexpr char MadeElsewhereKey[] = "madeElsewhere";

    // The change set of `userInfo`, or nullopt when the notification does not know what changed.
    static std::optional<ostore::ChangeSet> fromUserInfo(const QVariantMap &userInfo);
    static std::optional<ostore::ChangeSet> fromNotification(const Notification &notification);
    // Whether the change was made elsewhere and taken in (a sync's merge, another process's writes), rather than
    // saved here.
    static bool madeElsewhere(const Notification &notification);
    static void insert(QVariantMap &userInfo, const ostore::ChangeSet &changes, bool madeElsewhere = false);
    // Every object the change set names is of one of the entities named (as the model names them), so a view that
    // shows none of them has nothing to update.
    static bool touchesOnly(const ostore::ChangeSet &changes, const ostore::Context &context,
                            std::initializer_list<QLatin1String> entities);
};

} // namespace knvt
