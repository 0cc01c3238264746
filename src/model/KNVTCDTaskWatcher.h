#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QJsonObject>
#include <QStringList>

class KNVTCDTask;
class KNVTCDUser;

// That a user watches a task. Un-watching tombstones a synced row (see the task), so a live row has no deletedDate.
class KNVTCDTaskWatcher : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTaskWatcher)
    KNVTCD_SYNCED_ATTRIBUTES
    KNVTCD_TO_ONE(KNVTCDTask, task, setTask)
    KNVTCD_TO_ONE(KNVTCDUser, user, setUser)

public:
    // "task_id" and "user_id", each only once that end has the service's identifier; nothing else is ever pushed.
    QJsonObject attributesForKeys(const QStringList &keys) const;
    // Fills the row from the service's JSON. A user the store does not know is created from the embedded "user"
    // object; a known one is only linked. The task is linked when it is here.
    void updateWithAttributes(const knvt::JSONView &attributes) override;

protected:
    bool wasFilledFromService() const override { return numericIdentifier().has_value(); }
};
