#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Where.h"

#include "foundation/Clock.h"
#include "foundation/StringAdditions.h"

namespace {

constexpr qint64 kProjectType = 1;
constexpr qint64 kAreaType = 2;
constexpr qint64 kOwnerRole = 1;
constexpr qint64 kPendingStatus = 1;
constexpr qint64 kAcceptedStatus = 2;

QDateTime now()
{
    return knvt::Clock::shared().now();
}

// A row the service knows becomes a tombstone for the next push; a row it never saw goes at once, unlinked first
// so that nothing on the other side of its links still counts it.
template <class Row, class Unlink>
void removeRow(Row *row, Unlink unlink)
{
    if (!row || !row->context())
        return;
    if (row->numericIdentifier()) {
        row->setDeletedDate(now());
        return;
    }
    ostore::Context *context = row->context();
    unlink(row);
    context->remove(row);
}

} // namespace

// ---- Factories ----

KNVTCDTask *KNVTTaskStore::taskWithTitle(const QString &title)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    KNVTCDUser *localUser = me();
    auto *task = context->insert<KNVTCDTask>();
    task->setTitle(title);
    task->setCreator(localUser);
    task->setAssignee(localUser);
    return task;
}

KNVTCDTaskList *KNVTTaskStore::projectWithTitle(const QString &title)
{
    return taskListWithTitle(title, kProjectType);
}

KNVTCDTaskList *KNVTTaskStore::areaWithTitle(const QString &title)
{
    return taskListWithTitle(title, kAreaType);
}

KNVTCDTaskList *KNVTTaskStore::taskListWithTitle(const QString &title, qint64 type)
{
    using namespace ostore::where;
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    KNVTCDUser *localUser = me();
    auto *taskList = context->insert<KNVTCDTaskList>();
    taskList->setType(type);
    taskList->setTitle(knvt::trimmedString(title));
    taskList->setCreator(localUser);

    auto *collaborator = context->insert<KNVTCDTaskListCollaborator>();
    collaborator->setUser(localUser);
    collaborator->setTaskList(taskList);
    collaborator->setRole(kOwnerRole);
    collaborator->setStatus(kAcceptedStatus);

    // "taskList.type == %@", sorted by taskListTypeOrderIndex descending, limit 1. The new list takes the highest
    // index as it is, not one more: ties sort by title, and the index travels to the service unchanged.
    const std::vector<KNVTCDTaskListCollaborator *> highest = context->fetch<KNVTCDTaskListCollaborator>(
        key(QStringLiteral("taskList.type")) == type, {{QStringLiteral("taskListTypeOrderIndex"), false}}, 1);
    qint64 index = 0;
    if (!highest.empty())
        index = std::max<qint64>(0, highest.front()->taskListTypeOrderIndex().value_or(0));
    collaborator->setTaskListTypeOrderIndex(index);
    return taskList;
}

KNVTCDTag *KNVTTaskStore::tagWithTitle(const QString &title)
{
    const QString trimmed = knvt::trimmedString(title);
    if (trimmed.isEmpty())
        return nullptr;
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    auto *tag = context->insert<KNVTCDTag>();
    tag->setCreator(me());
    tag->setTitle(trimmed);
    return tag;
}

KNVTCDTaskComment *KNVTTaskStore::commentWithText(const QString &text, KNVTCDTask *task)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    const QDateTime date = now();
    auto *comment = context->insert<KNVTCDTaskComment>();
    comment->setText(text);
    comment->setUser(me());
    comment->setTask(task);
    comment->setCreatedDate(date);
    comment->setModifiedDate(date);
    return comment;
}

KNVTCDTaskListCollaborator *KNVTTaskStore::taskListCollaboratorWithUser(KNVTCDUser *user, KNVTCDTaskList *taskList,
                                                                        qint64 role)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    auto *collaborator = context->insert<KNVTCDTaskListCollaborator>();
    collaborator->setUser(user);
    collaborator->setTaskList(taskList);
    collaborator->setStatus(kPendingStatus);
    collaborator->setRole(role);
    return collaborator;
}

KNVTCDTaskWatcher *KNVTTaskStore::taskWatcherWithUser(KNVTCDUser *user, KNVTCDTask *task)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    if (KNVTCDTaskWatcher *watcher = taskWatcherForUser(user, task)) {
        const QDateTime deleted = watcher->deletedDate();
        const QDateTime modified = watcher->modifiedDate();
        if (!deleted.isValid()) {
            watcher->setDeletedDate(QDateTime());
            return watcher;
        }
        // A removal made here and not pushed yet is simply taken back; one that came from the service stays, and
        // the watch starts over with a new row.
        if (!modified.isValid() || deleted > modified) {
            watcher->setDeletedDate(QDateTime());
            return watcher;
        }
    }
    auto *watcher = context->insert<KNVTCDTaskWatcher>();
    watcher->setUser(user);
    watcher->setTask(task);
    return watcher;
}

// ---- Removal ----

bool KNVTTaskStore::removeTask(KNVTCDTask *task, knvt::Error *)
{
    if (task && task->context())
        task->markAsDeleted();
    return true;
}

bool KNVTTaskStore::removeTaskList(KNVTCDTaskList *taskList, knvt::Error *error)
{
    if (!taskList || !taskList->context())
        return true;
    const bool deletedOutright = !taskList->numericIdentifier();
    for (KNVTCDTask *task : taskList->tasks()) {
        if (!task->deletedDate().isValid())
            removeTask(task, error);
        else if (deletedOutright)
            task->setTaskList(nullptr); // its deletion must still reach the service
    }
    taskList->markAsDeleted();
    return true;
}

bool KNVTTaskStore::removeTag(KNVTCDTag *tag, knvt::Error *)
{
    removeRow(tag, [](KNVTCDTag *) {});
    return true;
}

void KNVTTaskStore::removeTaskComment(KNVTCDTaskComment *comment)
{
    removeRow(comment, [](KNVTCDTaskComment *row) {
        row->setUser(nullptr);
        row->setTask(nullptr);
    });
}

void KNVTTaskStore::removeTaskWatcher(KNVTCDTaskWatcher *watcher)
{
    removeRow(watcher, [](KNVTCDTaskWatcher *row) {
        row->setUser(nullptr);
        row->setTask(nullptr);
    });
}

void KNVTTaskStore::removeTaskWatcherForUser(KNVTCDUser *user, KNVTCDTask *task)
{
    if (managedObjectContext())
        removeTaskWatcher(taskWatcherForUser(user, task));
}

void KNVTTaskStore::removeTaskListCollaboratorForUser(KNVTCDUser *user, KNVTCDTaskList *taskList)
{
    if (!taskList || !managedObjectContext())
        return;
    KNVTCDTaskListCollaborator *collaborator = taskListCollaboratorForUser(user, taskList);
    KNVTCDUser *localUser = me();
    for (KNVTCDTask *task : taskList->tasks()) {
        if (task->assignee() != user)
            continue;
        KNVTCDUser *creator = task->creator();
        if (creator != user && taskList->isCollaboratingUser(creator))
            task->setAssignee(creator);
        else
            task->setAssignee(localUser);
    }
    removeRow(collaborator, [](KNVTCDTaskListCollaborator *row) {
        row->setUser(nullptr);
        row->setTaskList(nullptr);
    });
}
