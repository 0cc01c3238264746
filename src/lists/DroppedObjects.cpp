#include "lists/DroppedObjects.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

namespace knvt {

DroppedObjects DroppedObjects::read(const QMimeData &mime)
{
    DroppedObjects dropped;
    const std::optional<QList<QUrl>> uris = ObjectReferencePayload::read(mime);
    if (!uris)
        return dropped;
    for (KNVTCDTaskStoreObject *object : KNVTTaskStore::defaultTaskStore()->objectsForURIs(*uris)) {
        if (auto *task = dynamic_cast<KNVTCDTask *>(object))
            dropped.tasks.push_back(task);
        else if (auto *list = dynamic_cast<KNVTCDTaskList *>(object))
            dropped.taskLists.push_back(list);
        else if (auto *tag = dynamic_cast<KNVTCDTag *>(object))
            dropped.tags.push_back(tag);
    }
    return dropped;
}

} // namespace knvt
