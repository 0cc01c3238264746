#include "lists/DroppedObjects.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

namespace knvt {

DroppedObjects DroppedObjects::read(const QMimeData &mime)
{
    const std::optional<QList<QUrl>> uris = ObjectReferencePayload::read(mime);
    return uris ? fromURIs(*uris) : DroppedObjects();
}

DroppedObjects DroppedObjects::fromURIs(const QList<QUrl> &uris)
{
    DroppedObjects dropped;
    for (KNVTCDTaskStoreObject *object : KNVTTaskStore::defaultTaskStore()->objectsForURIs(uris)) {
        if (object->isDeleted())
            continue;
        if (auto *task = dynamic_cast<KNVTCDTask *>(object)) {
            if (!task->deletedDate().isValid())
                dropped.tasks.push_back(task);
        } else if (auto *list = dynamic_cast<KNVTCDTaskList *>(object)) {
            if (list->deletedDate().isValid())
                continue;
            dropped.taskLists.push_back(list);
            if (list->isProject())
                dropped.projects.push_back(list);
            else if (list->isArea())
                dropped.areas.push_back(list);
        } else if (auto *tag = dynamic_cast<KNVTCDTag *>(object)) {
            if (!tag->deletedDate().isValid())
                dropped.tags.push_back(tag);
        }
    }
    return dropped;
}

} // namespace knvt
