#pragma once

#include <vector>

class KNVTCDTag;
class KNVTCDTask;
class KNVTCDTaskList;
class QMimeData;

namespace knvt {

// The objects of a dropped object payload that still exist, sorted by kind in the payload's order; objects of other
// kinds are left out. An unreadable payload gives none.
struct DroppedObjects
{
    std::vector<KNVTCDTask *> tasks;
    std::vector<KNVTCDTaskList *> taskLists;
    std::vector<KNVTCDTag *> tags;

    static DroppedObjects read(const QMimeData &mime);

    bool isEmpty() const { return tasks.empty() && taskLists.empty() && tags.empty(); }
    bool hasOnlyTags() const { return tasks.empty() && taskLists.empty() && !tags.empty(); }
};

} // namespace knvt
