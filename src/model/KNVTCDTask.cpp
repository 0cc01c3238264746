#include "model/KNVTCDTask.h"

#include "model/FillInsertion.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceOccurrence.h"
#include "model/TitleSortKeys.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"
#include "foundation/DateFormat.h"
#include "foundation/KNVTRailsDateFormatter.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QPointer>

#include <algorithm>

KNVTCD_DEFINE_TO_ONE(KNVTCDTask, KNVTCDTaskList, taskList, setTaskList)
KNVTCD_DEFINE_TO_ONE(KNVTCDTask, KNVTCDUser, assignee, setAssignee)
KNVTCD_DEFINE_TO_ONE(KNVTCDTask, KNVTCDUser, creator, setCreator)
KNVTCD_DEFINE_TO_MANY(KNVTCDTask, KNVTCDTaskWatcher, taskWatchers)
KNVTCD_DEFINE_TO_MANY(KNVTCDTask, KNVTCDTaggedTask, taggedTasks)
KNVTCD_DEFINE_TO_MANY(KNVTCDTask, KNVTCDTaskComment, comments)

using namespace ostore::where;

namespace {

// Every use stores the instant or compares it with stored (UTC) dates, so the cheap UTC reading serves.
QDateTime now()
{
    return knvt::Clock::shared().nowUTC();
}

bool isClosedStatus(std::optional<qint64> status)
{
    return status == KNVTTaskStatusCompleted || status == KNVTTaskStatusCancelled;
}

// The service's date in `value`, or none for anything else (a missing key, null, a number, an unreadable text).
QDateTime dateOrNone(const knvt::JSONView &value)
{
    return KNVTCDTaskStoreObject::dateFromJSON(value);
}

const KNVTCDTask *asTask(const KNVTCDTaskStoreObject *object)
{
    return static_cast<const KNVTCDTask *>(object);
}

bool titleOrder(const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b)
{
    return knvt::TitleSortKeys::compare(a, b) < 0;
}

// A tag-separated list for the printout: "a, b, c".
QString joinedForPrinting(const QStringList &texts)
{
    QString joined;
    for (qsizetype i = 0; i < texts.size(); ++i)
        joined += i == 0 ? texts[i] : QStringLiteral(", %1").arg(texts[i]);
    return joined;
}

QString printedDiv(const QString &className, const QString &content)
{
    return QStringLiteral("<div class=\"%1\">").arg(className) + content + QStringLiteral("</div>");
}

KNVTAlertHandler &installedStandardAlertHandler()
{
    static KNVTAlertHandler handler;
    return handler;
}

} // namespace

// ---- Names ----

QString KNVTCDTask::localizedDisplayNameForStatus(KNVTTaskStatus status)
{
    switch (status) {
    case KNVTTaskStatusSomeday: return QCoreApplication::translate("KNVTCDTask", "Someday");
    case KNVTTaskStatusActionable: return QCoreApplication::translate("KNVTCDTask", "Actionable");
    case KNVTTaskStatusCompleted: return QCoreApplication::translate("KNVTCDTask", "Completed");
    case KNVTTaskStatusCancelled: return QCoreApplication::translate("KNVTCDTask", "Cancelled");
    }
    return QString();
}

KNVTTaskStatus KNVTCDTask::taskStatusForTaskStatusString(const QString &string)
{
    if (string == QLatin1String("someday"))
        return KNVTTaskStatusSomeday;
    if (string == QLatin1String("cancelled") || string == QLatin1String("canceled"))
        return KNVTTaskStatusCancelled;
    if (string == QLatin1String("completed"))
        return KNVTTaskStatusCompleted;
    return KNVTTaskStatusActionable;
}

QString KNVTCDTask::taskStatusStringForTaskStatus(KNVTTaskStatus status)
{
    switch (status) {
    case KNVTTaskStatusSomeday: return QStringLiteral("someday");
    case KNVTTaskStatusCompleted: return QStringLiteral("completed");
    case KNVTTaskStatusCancelled: return QStringLiteral("cancelled");
    default: break;
    }
    return QStringLiteral("actionable");
}

QString KNVTCDTask::localizedDisplayNameForPriorityLevel(KNVTTaskPriorityLevel priorityLevel)
{
    switch (priorityLevel) {
    case KNVTTaskPriorityLevelHigh: return QCoreApplication::translate("KNVTCDTask", "High");
    case KNVTTaskPriorityLevelMedium: return QCoreApplication::translate("KNVTCDTask", "Medium");
    case KNVTTaskPriorityLevelLow: return QCoreApplication::translate("KNVTCDTask", "Low");
    default: break;
    }
    // Fixed text: the list rows compare against it.
    return QStringLiteral("None");
}

QString KNVTCDTask::localizedDisplayNameForFocusType(KNVTFocusType focusType)
{
    switch (focusType) {
    case KNVTFocusTypeInbox: return QCoreApplication::translate("KNVTCDTask", "Inbox");
    case KNVTFocusTypeToday: return QCoreApplication::translate("KNVTCDTask", "Today");
    case KNVTFocusTypeNext: return QCoreApplication::translate("KNVTCDTask", "Next");
    case KNVTFocusTypeScheduled: return QCoreApplication::translate("KNVTCDTask", "Scheduled");
    case KNVTFocusTypeSomeday: return QCoreApplication::translate("KNVTCDTask", "Someday");
    case KNVTFocusTypeWatched: return QCoreApplication::translate("KNVTCDTask", "Watched");
    case KNVTFocusTypeDelegated: return QCoreApplication::translate("KNVTCDTask", "Delegated");
    case KNVTFocusTypeArchived: return QCoreApplication::translate("KNVTCDTask", "Archived");
    }
    return QString();
}

KNVTCDTaskList *KNVTCDTask::taskListForTasks(const std::vector<KNVTCDTask *> &tasks)
{
    if (tasks.empty() || !tasks.front())
        return nullptr;
    KNVTCDTaskList *taskList = tasks.front()->taskList();
    if (!taskList)
        return nullptr;
    for (const KNVTCDTask *task : tasks)
        if (!task || task->taskList() != taskList)
            return nullptr;
    return taskList;
}

// ---- Comparators ----

KNVTCDTaskStoreObject::Comparator KNVTCDTask::taskComparator()
{
    return objectTitleComparator();
}

KNVTCDTaskStoreObject::Comparator KNVTCDTask::uncompletedTaskComparator()
{
    return [](const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b) {
        const std::optional<qint64> ia = asTask(a)->taskListOrderIndex();
        const std::optional<qint64> ib = asTask(b)->taskListOrderIndex();
        if (ia.has_value() != ib.has_value())
            return ia.has_value();
        if (ia && *ia != *ib)
            return *ia < *ib;
        return titleOrder(a, b);
    };
}

KNVTCDTaskStoreObject::Comparator KNVTCDTask::todayTaskComparator()
{
    return [](const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b) {
        const bool closedA = asTask(a)->isCompletedOrCancelled();
        const bool closedB = asTask(b)->isCompletedOrCancelled();
        if (closedA != closedB)
            return !closedA;
        return titleOrder(a, b);
    };
}

KNVTCDTaskStoreObject::Comparator KNVTCDTask::scheduledTaskComparator()
{
    return scheduledObjectComparator();
}

KNVTCDTaskStoreObject::Comparator KNVTCDTask::somedayTaskComparator()
{
    return objectTitleComparator();
}

KNVTCDTaskStoreObject::Comparator KNVTCDTask::completedTaskComparator()
{
    return completedObjectComparator();
}

KNVTCDTaskStoreObject::Comparator KNVTCDTask::archivedTaskComparator()
{
    return archivedObjectComparator();
}

// ---- Standard alert handler ----

KNVTAlertHandler KNVTCDTask::standardAlertHandler()
{
    if (const KNVTAlertHandler &handler = installedStandardAlertHandler())
        return handler;
    return [](const QString &, const QString &, const QStringList &, int cancelButtonIndex, int,
              KNVTAlertIndexHandler indexHandler) {
        if (indexHandler)
            indexHandler(cancelButtonIndex);
    };
}

void KNVTCDTask::setStandardAlertHandler(KNVTAlertHandler alertHandler)
{
    installedStandardAlertHandler() = std::move(alertHandler);
}

// ---- State ----

bool KNVTCDTask::isCompleted() const
{
    return status() == KNVTTaskStatusCompleted;
}

bool KNVTCDTask::isCancelled() const
{
    return status() == KNVTTaskStatusCancelled;
}

bool KNVTCDTask::isCompletedOrCancelled() const
{
    return isClosedStatus(status());
}

bool KNVTCDTask::isArchived() const
{
    return archivedDate().isValid();
}

void KNVTCDTask::setArchived(bool archived)
{
    if (archived && !isArchived())
        setArchivedDate(now());
    else if (!archived && isArchived())
        setArchivedDate(QDateTime());
}

bool KNVTCDTask::isArchivable() const
{
    return isCompletedOrCancelled();
}

bool KNVTCDTask::isArchivableWithTaskList() const
{
    return isCompletedOrCancelled();
}

bool KNVTCDTask::isRecurrening() const
{
    return recurrence() != nullptr;
}

bool KNVTCDTask::isToday() const
{
    return focusType() == KNVTFocusTypeToday;
}

bool KNVTCDTask::dateHasCome(const QDateTime &date, const QDateTime &now)
{
    return date.isValid() && date <= now;
}

bool KNVTCDTask::hasStarted() const
{
    return dateHasCome(startDate(), now());
}

bool KNVTCDTask::isScheduled() const
{
    return focusType() == KNVTFocusTypeScheduled;
}

bool KNVTCDTask::isSomeday() const
{
    return focusType() == KNVTFocusTypeSomeday;
}

bool KNVTCDTask::isOverdue() const
{
    const QDateTime due = dueDate();
    return due.isValid() && due <= now();
}

bool KNVTCDTask::isDue() const
{
    const QDateTime due = dueDate();
    return due.isValid() && due < now();
}

bool KNVTCDTask::canEdit() const
{
    const KNVTCDTaskList *list = taskList();
    return !list || list->canEditTasks();
}

bool KNVTCDTask::canMove() const
{
    return canEdit();
}

std::shared_ptr<KNVTRecurrence> KNVTCDTask::recurrence() const
{
    return KNVTRecurrence::recurrenceWithStoredString(recurrenceString());
}

void KNVTCDTask::setRecurrence(const std::shared_ptr<KNVTRecurrence> &recurrence)
{
    setRecurrenceString(recurrence ? recurrence->recurrenceComponentStrings().join(QLatin1Char(' ')) : QString());
}

// ---- Focus ----

KNVTFocusType KNVTCDTask::focusType() const
{
    if (isArchived())
        return KNVTFocusTypeArchived;
    const std::optional<qint64> s = status();
    if (s == KNVTTaskStatusSomeday)
        return KNVTFocusTypeSomeday;
    if (s != KNVTTaskStatusActionable)
        return KNVTFocusTypeNext;
    const QDateTime current = now();
    const QDateTime start = startDate();
    const QDateTime due = dueDate();
    if (dateHasCome(start, current) || dateHasCome(due, current))
        return KNVTFocusTypeToday;
    return start.isValid() ? KNVTFocusTypeScheduled : KNVTFocusTypeNext;
}

void KNVTCDTask::setFocusType(KNVTFocusType focusType)
{
    switch (focusType) {
    case KNVTFocusTypeInbox: {
        QPointer<ostore::Context> ctx = context();
        performMoveToTaskList(nullptr, standardAlertHandler(), [this, ctx](bool moved) {
            if (!moved || !ctx || !context())
                return;
            setArchived(false);
            setTaskList(nullptr);
            setStartDate(QDateTime());
            setDueDate(QDateTime());
            setStatus(KNVTTaskStatusActionable);
        });
        break;
    }
    case KNVTFocusTypeToday:
        setArchived(false);
        setStartDate(knvt::zeroHundredHoursDateForDate(now()));
        setStatus(KNVTTaskStatusActionable);
        break;
    case KNVTFocusTypeNext:
        setArchived(false);
        setStartDate(QDateTime());
        setStatus(KNVTTaskStatusActionable);
        break;
    case KNVTFocusTypeSomeday:
        setArchived(false);
        setStartDate(QDateTime());
        setDueDate(QDateTime());
        setStatus(KNVTTaskStatusSomeday);
        break;
    case KNVTFocusTypeArchived:
        if (isArchivable())
            setArchived(true);
        break;
    default: break;
    }
}

// ---- Status actions ----

void KNVTCDTask::markAsCompleted()
{
    // A completed task made its next occurrence when it was completed; marking it again (a selection that holds
    // completed tasks) leaves it as it is rather than making a copy out of nothing.
    if (isCompleted())
        return;
    setStatus(KNVTTaskStatusCompleted);
    const std::shared_ptr<KNVTRecurrence> taskRecurrence = recurrence();
    if (!taskRecurrence)
        return;
    const QDateTime today = knvt::todayAtZeroHundredHours();
    const std::optional<KNVTRecurrenceOccurrence> next = taskRecurrence->nextReoccurrenceForOriginalOccurrence(
        KNVTRecurrenceOccurrence::recurrenceOccurrenceWithStartDate(today, today));
    if (!next)
        return;
    KNVTCDTask *copy = duplicateTask();
    if (!copy)
        return;
    copy->setStatus(KNVTTaskStatusActionable);
    if (next->startDate().isValid()) {
        copy->setStartDate(QDateTime());
        copy->setDueDate(knvt::zeroHundredHoursDateForDate(next->startDate()));
    }
}

void KNVTCDTask::markAsUncompleted()
{
    setStatus(KNVTTaskStatusActionable);
}

void KNVTCDTask::markAsCancelled()
{
    setStatus(KNVTTaskStatusCancelled);
}

void KNVTCDTask::markAsDeleted()
{
    // A task whose creation may have reached the service stays, deleted, until a read says whether it did: found
    // there, it is deleted there too; dropped now, the service's copy would come back with the next read. One of which
    // the service may hold two copies stays until the sync drops it, which tells the user that those copies remain.
    if (numericIdentifier() || pushState() == PushState::PossiblySent || pushState() == PushState::Unsettled) {
        setDeletedDate(now());
        return;
    }
    if (ostore::Context *ctx = context())
        ctx->remove(this);
}

// ---- Tags ----

KNVTCDTask::PrintGroups KNVTCDTask::printGroups(const std::vector<KNVTCDTask *> &tasks, bool somedayApart)
{
    PrintGroups groups;
    for (KNVTCDTask *task : tasks) {
        if (task->deletedDate().isValid())
            continue;
        if (somedayApart && task->status() == qint64(KNVTTaskStatusSomeday))
            groups.someday.push_back(task);
        else if (task->isCompletedOrCancelled())
            groups.completed.push_back(task);
        else if (task->isScheduled())
            groups.scheduled.push_back(task);
        else
            groups.incomplete.push_back(task);
    }
    return groups;
}

std::vector<KNVTCDTag *> KNVTCDTask::tags() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return {};
    // One link row must be both this task's and live: a tag removed from this task stays linked to others.
    std::vector<KNVTCDTag *> result = ctx->fetch<KNVTCDTag>(
        any(QStringLiteral("taggedTasks"), key(QStringLiteral("task")) == this && isNull(QStringLiteral("deletedDate")))
        && isNull(QStringLiteral("deletedDate")));
    std::stable_sort(result.begin(), result.end(), KNVTCDTag::tagComparator());
    return result;
}

void KNVTCDTask::addTag(KNVTCDTag *tag)
{
    ostore::Context *ctx = context();
    if (!tag || !ctx || taggedTaskForTag(tag, this))
        return;
    auto *taggedTask = ctx->insert<KNVTCDTaggedTask>();
    taggedTask->setTag(tag);
    taggedTask->setTask(this);
}

void KNVTCDTask::removeTag(KNVTCDTag *tag)
{
    if (!tag)
        return;
    KNVTCDTaggedTask *taggedTask = taggedTaskForTag(tag, this);
    if (!taggedTask)
        return;
    if (taggedTask->numericIdentifier()) {
        taggedTask->setDeletedDate(now());
    } else if (ostore::Context *ctx = taggedTask->context()) {
        ctx->remove(taggedTask);
    }
}

// ---- Watchers and comments ----

KNVTCDTaskWatcher *KNVTCDTask::taskWatcherForUser(const KNVTCDUser *user) const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return nullptr;
    // "task == %@ && user == %@ && deletedDate == nil"
    const std::vector<KNVTCDTaskWatcher *> rows =
        ctx->fetch<KNVTCDTaskWatcher>(key(QStringLiteral("task")) == this && key(QStringLiteral("user")) == user
                                          && isNull(QStringLiteral("deletedDate")),
                                      {}, 1);
    return rows.empty() ? nullptr : rows.front();
}

bool KNVTCDTask::isWatchedByUser(const KNVTCDUser *user) const
{
    return taskWatcherForUser(user) != nullptr;
}

void KNVTCDTask::addWatcher(KNVTCDUser *user)
{
    ostore::Context *ctx = context();
    if (!ctx || taskWatcherForUser(user))
        return;
    auto *taskWatcher = ctx->insert<KNVTCDTaskWatcher>();
    taskWatcher->setUser(user);
    taskWatcher->setTask(this);
}

void KNVTCDTask::removeWatcher(const KNVTCDUser *user)
{
    if (KNVTCDTaskWatcher *taskWatcher = taskWatcherForUser(user))
        removeTaskWatcher(taskWatcher);
}

void KNVTCDTask::removeTaskWatcher(KNVTCDTaskWatcher *taskWatcher)
{
    if (taskWatcher->numericIdentifier()) {
        taskWatcher->setDeletedDate(now());
        return;
    }
    ostore::Context *ctx = taskWatcher->context();
    if (!ctx)
        return;
    taskWatcher->setUser(nullptr);
    taskWatcher->setTask(nullptr);
    ctx->remove(taskWatcher);
}

std::vector<KNVTCDTaskWatcher *> KNVTCDTask::activeTaskWatchers() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return {};
    // "task == %@ && deletedDate == nil && user != nil", by "user.fullName"
    return ctx->fetch<KNVTCDTaskWatcher>(key(QStringLiteral("task")) == this && isNull(QStringLiteral("deletedDate"))
                                             && notNull(QStringLiteral("user")),
                                         {ostore::SortDescriptor{QStringLiteral("user.fullName")}});
}

std::vector<KNVTCDUser *> KNVTCDTask::activeTaskWatcherUsers() const
{
    std::vector<KNVTCDUser *> users;
    for (const KNVTCDTaskWatcher *taskWatcher : activeTaskWatchers())
        users.push_back(taskWatcher->user());
    return users;
}

std::vector<KNVTCDTaskComment *> KNVTCDTask::commentsOrderedByCreatedDate() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return {};
    // "task == %@ && deletedDate == nil", by "createdDate"
    return ctx->fetch<KNVTCDTaskComment>(key(QStringLiteral("task")) == this && isNull(QStringLiteral("deletedDate")),
                                         {ostore::SortDescriptor{QStringLiteral("createdDate")}});
}

// ---- Moving ----

void KNVTCDTask::performMoveToTaskList(KNVTCDTaskList *target, const KNVTAlertHandler &alertHandler,
                                       const MoveCompletionHandler &completionHandler)
{
    const auto complete = [completionHandler](bool moved) {
        if (completionHandler)
            completionHandler(moved);
    };
    if (target && target == taskList()) {
        complete(false);
        return;
    }

    KNVTCDUser *me = myUser();
    std::vector<KNVTCDTaskWatcher *> watchersToRemove;
    bool assigneeHasToChange = false;
    if (!target) {
        watchersToRemove = activeTaskWatchers();
        assigneeHasToChange = assignee() != me || !assignee();
    } else {
        std::vector<KNVTCDUser *> collaborators;
        for (const KNVTCDTaskListCollaborator *row : target->activeTaskListCollaborators())
            collaborators.push_back(row->user());
        const auto collaborates = [&collaborators](const KNVTCDUser *user) {
            return user && std::find(collaborators.begin(), collaborators.end(), user) != collaborators.end();
        };
        for (KNVTCDTaskWatcher *taskWatcher : activeTaskWatchers())
            if (!collaborates(taskWatcher->user()))
                watchersToRemove.push_back(taskWatcher);
        assigneeHasToChange = !collaborates(assignee());
    }

    if (watchersToRemove.empty()) {
        setTaskList(target);
        if (assigneeHasToChange)
            setAssignee(me);
        complete(true);
        return;
    }

    const QString title = this->title();
    const QString message = target
        ? QStringLiteral("There are watchers on the Task \"%1\" that do not collaborate on \"%2\".\n\nIf you "
                         "move the Task \"%3\" to \"%4\" these watchers will be removed.")
              .arg(title, target->title(), title, target->title())
        : QStringLiteral("There are watchers on the Task \"%1\" that will be removed if you move it to the "
                         "inbox.")
              .arg(title);

    // The answer may come on a later pass of the event loop. Objects live as long as their context, so the
    // pointers stay readable; what matters is whether the context is still there and the objects still in it.
    QPointer<ostore::Context> ctx = context();
    KNVTAlertIndexHandler indexHandler = [this, ctx, target, me, watchersToRemove, assigneeHasToChange,
                                          complete](int buttonIndex) {
        const auto alive = [](const ostore::Object *object) {
            return object && object->context() && !object->isDeleted();
        };
        if (buttonIndex != 0 || !ctx || !alive(this) || (target && !alive(target))) {
            complete(false);
            return;
        }
        for (KNVTCDTaskWatcher *taskWatcher : watchersToRemove)
            if (alive(taskWatcher) && !taskWatcher->deletedDate().isValid())
                removeTaskWatcher(taskWatcher);
        setTaskList(target);
        if (assigneeHasToChange)
            setAssignee(alive(me) ? me : nullptr);
        complete(true);
    };
    if (!alertHandler) {
        indexHandler(1);
        return;
    }
    const QStringList buttonTitles{QCoreApplication::translate("KNVTCDTask", "Move Task"),
                                   QCoreApplication::translate("KNVTCDTask", "Cancel")};
    alertHandler(QCoreApplication::translate("KNVTCDTask", "Remove Watchers?"), message, buttonTitles, 1, -1,
                 std::move(indexHandler));
}

void KNVTCDTask::moveToTaskList(KNVTCDTaskList *target)
{
    if (target != taskList())
        setTaskList(target);
}

// ---- Duplication ----

KNVTCDTask *KNVTCDTask::duplicateTask()
{
    ostore::Context *ctx = context();
    if (!ctx)
        return nullptr;
    auto *copy = ctx->insert<KNVTCDTask>();
    copy->setTitle(title());
    copy->setPriority(priority());
    copy->setNotes(notes());
    copy->setStartDate(startDate());
    copy->setDueDate(dueDate());
    copy->setStatus(status());
    copy->setArchivedDate(archivedDate());
    copy->setCreator(myUser());
    copy->setAssignee(assignee());
    copy->setTaskList(taskList());
    // The text as it is: reading it into rules and writing them back would drop the parts another client wrote
    // that this one does not understand.
    copy->setRecurrenceString(recurrenceString());
    for (KNVTCDTag *tag : tags())
        copy->addTag(tag);
    return copy;
}

// ---- Push ----

QJsonObject KNVTCDTask::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &name : keys) {
        if (name == QLatin1String("deletedDate")) {
            attributes.insert(QStringLiteral("deleted_at"), JSONValueFromDate(deletedDate()));
        } else if (name == QLatin1String("title")) {
            const QString t = title();
            attributes.insert(QStringLiteral("title"), t.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(t));
        } else if (name == QLatin1String("notes")) {
            const QString n = notes();
            attributes.insert(QStringLiteral("description"), n.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(n));
        } else if (name == QLatin1String("priority")) {
            attributes.insert(QStringLiteral("priority"), QJsonValue(priority().value_or(0)));
        } else if (name == QLatin1String("status")) {
            attributes.insert(QStringLiteral("status"),
                              taskStatusStringForTaskStatus(KNVTTaskStatus(status().value_or(0))));
        } else if (name == QLatin1String("statusModifiedDate")) {
            attributes.insert(QStringLiteral("status_updated_at"), JSONValueFromDate(statusModifiedDate()));
        } else if (name == QLatin1String("startDate")) {
            attributes.insert(QStringLiteral("start_at"), JSONValueFromDate(startDate()));
        } else if (name == QLatin1String("dueDate")) {
            attributes.insert(QStringLiteral("due_at"), JSONValueFromDate(dueDate()));
        } else if (name == QLatin1String("archivedDate")) {
            attributes.insert(QStringLiteral("archived_at"), JSONValueFromDate(archivedDate()));
        } else if (name == QLatin1String("taskList")) {
            const KNVTCDTaskList *list = taskList();
            if (!list)
                attributes.insert(QStringLiteral("task_list_id"), QJsonValue(QJsonValue::Null));
            else if (const std::optional<qint64> id = list->numericIdentifier())
                attributes.insert(QStringLiteral("task_list_id"), QJsonValue(*id));
        } else if (name == QLatin1String("taskListOrderIndex")) {
            const std::optional<qint64> index = taskListOrderIndex();
            attributes.insert(QStringLiteral("task_list_order_index"),
                              index ? QJsonValue(*index) : QJsonValue(QJsonValue::Null));
        } else if (name == QLatin1String("recurrenceString")) {
            // A removed recurrence must reach the service too: an empty array is how it says "no rules".
            const QStringList rules = recurrenceString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            attributes.insert(QStringLiteral("recurrence"), QJsonArray::fromStringList(rules));
        } else if (name == QLatin1String("assignee")) {
            if (const KNVTCDUser *user = assignee())
                if (const std::optional<qint64> id = user->numericIdentifier())
                    attributes.insert(QStringLiteral("assignee_id"), QJsonValue(*id));
        }
    }
    return attributes;
}

bool KNVTCDTask::hasAttributesForKeys(const QStringList &keys) const
{
    if (!keys.contains(QStringLiteral("taskList")))
        return true;
    const KNVTCDTaskList *list = taskList();
    return !list || list->numericIdentifier().has_value();
}

// ---- Pull ----

void KNVTCDTask::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);

    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);

    if (KNVTCDUser *user = relatedUserWithAttributes(attributes, "assignee"))
        setAssignee(user);

    setArchivedDate(dateOrNone(attributes.value("archived_at")));
    setDueDate(dateOrNone(attributes.value("due_at")));

    if (KNVTCDUser *user = relatedUserWithAttributes(attributes, "creator"))
        setCreator(user);

    setNotes(attributes.value("description").toString());

    QStringList rules;
    for (const knvt::JSONView &rule : attributes.value("recurrence"))
        if (rule.isString() && !rule.utf8().empty())
            rules << rule.toString();
    setRecurrenceString(rules.isEmpty() ? QString() : rules.join(QLatin1Char(' ')));

    setStartDate(dateOrNone(attributes.value("start_at")));

    // The status write stamps statusModifiedDate with now and un-archives an open task; the service's own status
    // date then replaces the stamp.
    const knvt::JSONView statusValue = attributes.value("status");
    if (statusValue.isString())
        setStatus(taskStatusForTaskStatusString(statusValue.toString()));
    setStatusModifiedDate(dateOrNone(attributes.value("status_updated_at")));

    setTitle(attributes.value("title").toString());

    const knvt::JSONView priorityValue = attributes.value("priority");
    if (priorityValue.isNumber())
        setPriority(priorityValue.toInteger());

    // A pull never moves a task into the Inbox: null and unknown lists keep the local one.
    if (const std::optional<qint64> listID = numericIdentifierFromJSON(attributes.value("task_list_id")))
        if (KNVTCDTaskList *list = taskListForNumericIdentifier(listID))
            setTaskList(list);

    const knvt::JSONView orderIndex = attributes.value("task_list_order_index");
    setTaskListOrderIndex(orderIndex.isNumber() ? std::optional<qint64>(orderIndex.toInteger()) : std::nullopt);

    fillNestedComments(attributes, NestedMerge::Reconcile);
    fillNestedWatchers(attributes, NestedMerge::Reconcile);

    clearChangedKeys();
}

void KNVTCDTask::takeInboxPlaceFromService()
{
    if (!taskList() || changedKeys().contains(QLatin1String("taskList")))
        return;
    UpdatingScope updating(*this);
    setTaskList(nullptr);
}

namespace {

// Merges the service's array of `T` under `arrayKey` into this task's rows: each element updates the row with its
// identifier anywhere in the store, or a new row; afterwards, when the array is the whole collection and every element
// could be read, the task's synced rows that the array no longer names are deleted outright. Rows not pushed yet stay.
// An element without an identifier cannot be matched to anything and would only plant a local row that the next push
// sends as new, so it is skipped.
template <class T, class Rows, class Lookup>
void fillNested(KNVTCDTask *task, const knvt::JSONView &attributes, std::string_view arrayKey,
                KNVTCDTaskStoreObject::NestedMerge merge, Rows rows, Lookup lookup)
{
    const knvt::JSONView array = attributes.value(arrayKey);
    ostore::Context *ctx = task->context();
    if (!array.isArray() || !ctx)
        return;
    std::vector<T *> remembered = rows();
    bool complete = true;
    for (const knvt::JSONView &element : array) {
        const std::optional<knvt::JSONView> readable = KNVTCDTaskStoreObject::readableNestedElement(arrayKey, element);
        if (!readable) {
            complete = false;
            continue;
        }
        T *row = lookup(KNVTCDTaskStoreObject::numericIdentifierFromJSON(readable->value("id")));
        if (row)
            remembered.erase(std::remove(remembered.begin(), remembered.end(), row), remembered.end());
        else
            row = knvt::insertObjectForFill<T>(*ctx);
        row->mergeAttributes(*readable);
    }
    if (merge == KNVTCDTaskStoreObject::NestedMerge::InsertMissing || !complete)
        return;
    for (T *row : remembered)
        if (row->numericIdentifier() && row->context())
            ctx->remove(row);
}

} // namespace

void KNVTCDTask::fillNestedComments(const knvt::JSONView &attributes, NestedMerge merge)
{
    fillNested<KNVTCDTaskComment>(
        this, attributes, "comments", merge, [this] { return comments(); },
        [this](std::optional<qint64> id) { return taskCommentForNumericIdentifier(id); });
}

void KNVTCDTask::fillNestedWatchers(const knvt::JSONView &attributes, NestedMerge merge)
{
    fillNested<KNVTCDTaskWatcher>(
        this, attributes, "task_watchers", merge, [this] { return taskWatchers(); },
        [this](std::optional<qint64> id) { return taskWatcherForNumericIdentifier(id); });
}

void KNVTCDTask::insertMissingNestedObjectsWithAttributes(const knvt::JSONView &attributes)
{
    fillNestedComments(attributes, NestedMerge::InsertMissing);
    fillNestedWatchers(attributes, NestedMerge::InsertMissing);
}

// ---- Change tracking ----

void KNVTCDTask::didChangeValue(std::string_view key)
{
    if (key == "status") {
        // A fill writes the service's status date right after the status; reading the clock would be wasted.
        if (!isUpdatingWithAttributes())
            setStatusModifiedDate(now());
        const std::optional<qint64> s = status();
        if ((s == 1 || s == 2 || s == 3) && isArchived())
            setArchived(false);
    }
    recordChangedKey(key);
}

bool KNVTCDTask::excludesChangedKey(std::string_view key) const
{
    return key == "creator" || key == "comments" || key == "taskWatchers" || key == "contextTasks";
}

void KNVTCDTask::awakeFromInsert()
{
    KNVTCDTaskStoreObject::awakeFromInsert();
    setStatus(KNVTTaskStatusActionable);
}

// ---- Text forms ----

QString KNVTCDTask::pasteboardString() const
{
    const QString n = notes();
    if (!n.isEmpty())
        return QStringLiteral("- %1 (%2)\n").arg(title(), n);
    return QStringLiteral("- %1\n").arg(title());
}

QString KNVTCDTask::HTMLStringForPrinting() const
{
    const knvt::DateFormat formatter(knvt::DateFormat::Style::Medium, knvt::DateFormat::Style::None);
    QString html = QStringLiteral("<div class=\"task\">");

    const QString t = title();
    if (!t.isNull())
        html += printedDiv(QStringLiteral("title"), t.toHtmlEscaped());

    if (const std::optional<qint64> s = status()) {
        const QString name = localizedDisplayNameForStatus(KNVTTaskStatus(*s));
        html += printedDiv(QStringLiteral("status"), QStringLiteral(" Status: ") + name);
    }

    if (const KNVTCDTaskList *list = taskList())
        html += printedDiv(QStringLiteral("task_list_title"),
                           QStringLiteral("List: %1").arg(list->title().toHtmlEscaped()));

    if (isCompletedOrCancelled()) {
        html += printedDiv(QStringLiteral("completed_date"),
                           QStringLiteral("Completed: %1").arg(formatter.stringFromDate(statusModifiedDate())));
    } else {
        if (startDate().isValid())
            html += printedDiv(QStringLiteral("start_date"),
                               QStringLiteral("Start Date: %1").arg(formatter.stringFromDate(startDate())));
        if (dueDate().isValid())
            html += printedDiv(QStringLiteral("due_date"),
                               QStringLiteral("Due Date: %1").arg(formatter.stringFromDate(dueDate())));
    }

    const std::vector<KNVTCDTag *> taskTags = tags();
    if (!taskTags.empty()) {
        QStringList titles;
        for (const KNVTCDTag *tag : taskTags)
            titles << tag->title().toHtmlEscaped();
        html += printedDiv(QStringLiteral("tags"), QStringLiteral("Tags: ") + joinedForPrinting(titles));
    }

    const KNVTCDTaskList *list = taskList();
    if (list && list->isCollaborative()) {
        // A person the task does not name has no line: "Creator: " followed by nothing says nothing.
        if (const KNVTCDUser *user = creator())
            html += printedDiv(QStringLiteral("creator"),
                               QStringLiteral("Creator: %1").arg(user->extendedDisplayName().toHtmlEscaped()));
        if (const KNVTCDUser *user = assignee())
            html += printedDiv(QStringLiteral("assignee"),
                               QStringLiteral("Assignee: %1").arg(user->extendedDisplayName().toHtmlEscaped()));
        std::vector<KNVTCDUser *> watchers = activeTaskWatcherUsers();
        if (!watchers.empty()) {
            std::stable_sort(watchers.begin(), watchers.end(), KNVTCDUser::userComparator());
            QStringList names;
            for (const KNVTCDUser *user : watchers)
                names << user->extendedDisplayName().toHtmlEscaped();
            html += printedDiv(QStringLiteral("watchers"), QStringLiteral("Watchers: ") + joinedForPrinting(names));
        }
    }

    const QString n = notes();
    if (!n.isNull())
        html += printedDiv(QStringLiteral("notes"), n.toHtmlEscaped());

    html += QStringLiteral("</div>");
    return html;
}

QString KNVTCDTask::shareActivityText() const
{
    QString text;
    if (isCompleted())
        text += QStringLiteral("✓ ");
    else if (isCancelled())
        text += QStringLiteral("x ");
    else
        text += QStringLiteral("- ");
    text += QStringLiteral("%1\n").arg(title());

    if (isCompletedOrCancelled()) {
        const knvt::DateFormat formatter = knvt::DateFormat::withTemplate(QStringLiteral("EEEddMMMyyyy"), QString(),
                                                                          knvt::DateFormat::Weekdays::English);
        if (startDate().isValid() && knvt::isInTheFuture(startDate()))
            text += QStringLiteral("Start Date: %1\n").arg(formatter.stringFromDate(startDate()));
        if (dueDate().isValid())
            text += QStringLiteral("Due Date: %1\n").arg(formatter.stringFromDate(dueDate()));
    }

    const QString n = notes();
    if (!n.isEmpty())
        text += QStringLiteral("\n%1\n").arg(n);
    return text;
}
