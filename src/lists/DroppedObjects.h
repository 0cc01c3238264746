#pragma once

#include <QList>
#include <QUrl>

#include <vector>

class KNVTCDTag;
class KNVTCDTask;
class KNVTCDTaskList;
class QMimeData;

namespace knvt {

// The objects of a dropped object payload that still exist, sorted by kind in the payload's order; objects of other
// kinds are left out, and so is an object deleted while it was being dragged (gone, being deleted, or marked deleted
// until the service hears of it), as the forms leave out what was deleted while they were open. An unreadable payload
// gives none.
struct DroppedObjects
{
    std::vector<KNVTCDTask *> tasks;
    std::vector<KNVTCDTaskList *> taskLists;
    // The projects and the areas among taskLists.
    std::vector<KNVTCDTaskList *> projects;
    std::vector<KNVTCDTaskList *> areas;
    std::vector<KNVTCDTag *> tags;

    static DroppedObjects read(const QMimeData &mime);
    // The same for the URIs a payload held.
    static DroppedObjects fromURIs(const QList<QUrl> &uris);

    bool isEmpty() const { return tasks.empty() && taskLists.empty() && tags.empty(); }
    bool hasOnlyTags() const { return tasks.empty() && taskLists.empty() && !tags.empty(); }
};

} // namespace knvt
