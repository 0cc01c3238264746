#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QJsonObject>
#include <QStringList>

class KNVTCDTag;
class KNVTCDTask;

// The link between a tag and a task; a tombstoned link (deletedDate) no longer tags the task. The service keeps it
// as a tagged item whose target type is "Task".
class KNVTCDTaggedTask : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTaggedTask)
    KNVTCD_SYNCED_ATTRIBUTES
    KNVTCD_TO_ONE(KNVTCDTag, tag, setTag)
    KNVTCD_TO_ONE(KNVTCDTask, task, setTask)

public:
    // "taggable_id" with "taggable_type" for `task` and "tag_id" for `tag`, each only once that end has the
    // service's identifier. Nothing else is ever pushed, the deleted date included: a removal goes out as a DELETE.
    QJsonObject attributesForKeys(const QStringList &keys) const;
    // Links to the tag and the task named by "tag_id" and "taggable_id" when they are here; neither is created.
    void updateWithAttributes(const knvt::JSONView &attributes) override;

protected:
    bool wasFilledFromService() const override { return numericIdentifier().has_value(); }
    // A link that arrived before its tag or task stays unlinked; its item is applied again whenever it comes, so
    // that it links up as soon as both ends are here, even though the service's copy has not changed.
    bool mergesRegardlessOfDate() const override;
};
