#include "store/TaskChanges.h"

#include "store/KNVTTaskStore.h"
#include "store/Logging.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTTaskStatus.h"

#include <algorithm>

namespace knvt {

namespace {

bool sameDate(const QDateTime &a, const QDateTime &b)
{
    return a.isValid() == b.isValid() && (!a.isValid() || a == b);
}

bool sameRecurrence(const std::shared_ptr<KNVTRecurrence> &a, const std::shared_ptr<KNVTRecurrence> &b)
{
    if (!a || !b)
        return !a && !b;
    // A recurrence without rules equals nothing, itself included: the same object is still no change.
    return a == b || a->isEqual(*b);
}

template <class T>
QList<T> without(const QList<T> &items, const QList<T> &taken)
{
    QList<T> rest;
    for (const T &item : items) {
        if (!taken.contains(item) && !rest.contains(item))
            rest.append(item);
    }
    return rest;
}

// The live object of class T that `uri` names: neither deleted from the library nor waiting as a tombstone.
template <class T>
T *liveObject(KNVTTaskStore &store, const QUrl &uri)
{
    if (uri.isEmpty())
        return nullptr;
    T *object = dynamic_cast<T *>(store.objectForURI(uri));
    return object && !object->isDeleted() && !object->deletedDate().isValid() ? object : nullptr;
}

void applyStatus(KNVTCDTask &task, unsigned int status)
{
    switch (status) {
    case KNVTTaskStatusCancelled:
        if (!task.isCancelled())
            task.markAsCancelled();
        break;
    case KNVTTaskStatusCompleted:
        if (!task.isCompleted())
            task.markAsCompleted();
        break;
    case KNVTTaskStatusSomeday:
    case KNVTTaskStatusActionable:
        if (task.status().value_or(0) != qint64(status)) {
            task.markAsUncompleted();
            task.setStatus(status);
        }
        break;
    default: break;
    }
}

} // namespace

TaskChanges TaskChanges::between(const TaskEditValues &loaded, const TaskEditValues &edited)
{
    TaskChanges changes;
    if (edited.title != loaded.title)
        changes.title = edited.title;
    if (edited.notes != loaded.notes)
        changes.notes = edited.notes;
    if (edited.status != loaded.status)
        changes.status = edited.status;
    if (!sameDate(edited.startDate, loaded.startDate))
        changes.startDate = edited.startDate;
    if (!sameDate(edited.dueDate, loaded.dueDate))
        changes.dueDate = edited.dueDate;
    if (!sameRecurrence(edited.recurrence, loaded.recurrence))
        changes.recurrence = edited.recurrence;
    if (edited.taskList != loaded.taskList)
        changes.taskList = edited.taskList;
    if (edited.assignee != loaded.assignee)
        changes.assignee = edited.assignee;
    changes.addedTags = without(edited.tags, loaded.tags);
    changes.removedTags = without(loaded.tags, edited.tags);
    changes.addedTagTitles = without(edited.tagTitles, loaded.tagTitles);
    changes.addedWatchers = without(edited.watchers, loaded.watchers);
    changes.removedWatchers = without(loaded.watchers, edited.watchers);
    return changes;
}

bool TaskChanges::isEmpty() const
{
    return !title && !notes && !status && !startDate && !dueDate && !recurrence && !taskList && !assignee
        && addedTags.isEmpty() && addedTagTitles.isEmpty() && removedTags.isEmpty() && addedWatchers.isEmpty()
        && removedWatchers.isEmpty();
}

bool TaskChanges::applyTo(KNVTCDTask &task, KNVTTaskStore &store) const
{
    if (!task.canEdit()) {
        qCInfo(lcStore) << "TaskChanges:applyTo the task may no longer be edited; nothing is written";
        return false;
    }
    if (title && *title != task.title())
        task.setTitle(*title);
    if (notes && *notes != task.notes())
        task.setNotes(notes->isEmpty() ? QString() : *notes);
    if (status)
        applyStatus(task, *status);
    if (startDate && !sameDate(*startDate, task.startDate()))
        task.setStartDate(*startDate);
    if (dueDate && !sameDate(*dueDate, task.dueDate()))
        task.setDueDate(*dueDate);
    if (recurrence && !sameRecurrence(*recurrence, task.recurrence()))
        task.setRecurrence(*recurrence);

    if (taskList) {
        KNVTCDTaskList *list = liveObject<KNVTCDTaskList>(store, *taskList);
        // A list deleted meanwhile is no place to move to: the task stays where it is.
        if ((list || taskList->isEmpty()) && list != task.taskList())
            task.setTaskList(list);
    }
    if (assignee) {
        KNVTCDUser *user = liveObject<KNVTCDUser>(store, *assignee);
        if ((user || assignee->isEmpty()) && user != task.assignee())
            task.setAssignee(user);
    }

    const std::vector<KNVTCDTag *> present = task.tags();
    const auto has = [&present](const KNVTCDTag *tag) {
        return std::find(present.begin(), present.end(), tag) != present.end();
    };
    for (const QUrl &uri : removedTags) {
        if (KNVTCDTag *tag = liveObject<KNVTCDTag>(store, uri); tag && has(tag))
            task.removeTag(tag);
    }
    std::vector<KNVTCDTag *> added;
    for (const QUrl &uri : addedTags) {
        if (KNVTCDTag *tag = liveObject<KNVTCDTag>(store, uri))
            added.push_back(tag);
    }
    for (const QString &typed : addedTagTitles) {
        // A title typed in another letter case finds the existing tag rather than making a second one.
        KNVTCDTag *tag = store.tagForTitle(typed);
        if (!tag)
            tag = store.tagWithTitle(typed);
        if (tag)
            added.push_back(tag);
    }
    for (KNVTCDTag *tag : added) {
        const std::vector<KNVTCDTag *> now = task.tags();
        if (std::find(now.begin(), now.end(), tag) == now.end())
            task.addTag(tag);
    }

    const std::vector<KNVTCDUser *> watching = task.activeTaskWatcherUsers();
    const auto watches = [&watching](const KNVTCDUser *user) {
        return std::find(watching.begin(), watching.end(), user) != watching.end();
    };
    for (const QUrl &uri : removedWatchers) {
        if (KNVTCDUser *user = liveObject<KNVTCDUser>(store, uri); user && watches(user))
            task.removeWatcher(user);
    }
    for (const QUrl &uri : addedWatchers) {
        if (KNVTCDUser *user = liveObject<KNVTCDUser>(store, uri); user && !watches(user))
            task.addWatcher(user);
    }
    return true;
}

} // namespace knvt
