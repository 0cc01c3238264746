#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTFocusType.h"
#include "model/KNVTTaskPriorityLevel.h"
#include "model/KNVTTaskStatus.h"

#include "foundation/KNVTAlertHandler.h"

#include <QJsonObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class KNVTCDTag;
class KNVTCDTaskComment;
class KNVTCDTaggedTask;
class KNVTCDTaskList;
class KNVTCDTaskWatcher;
class KNVTCDUser;
class KNVTRecurrence;

// A task: in a task list or in the Inbox, with its tags, comments and watchers.
//
// Every write goes through the setters, so that the change tracking below sees it: each written property name is
// recorded for the next push, and a write of `status` also stamps statusModifiedDate and, for an open status,
// un-archives the task. None of the operations saves; the caller asks the task store to.
class KNVTCDTask : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTask)
    KNVTCD_SYNCED_ATTRIBUTES
    OSTORE_STRING(title, setTitle)
    OSTORE_STRING(notes, setNotes)
    OSTORE_INT(priority, setPriority)
    OSTORE_INT(status, setStatus)
    OSTORE_DATE(statusModifiedDate, setStatusModifiedDate)
    OSTORE_DATE(startDate, setStartDate)
    OSTORE_DATE(dueDate, setDueDate)
    OSTORE_DATE(archivedDate, setArchivedDate)
    OSTORE_INT(taskListOrderIndex, setTaskListOrderIndex)
    OSTORE_STRING(recurrenceString, setRecurrenceString)
    KNVTCD_TO_ONE(KNVTCDTaskList, taskList, setTaskList)
    KNVTCD_TO_ONE(KNVTCDUser, assignee, setAssignee)
    KNVTCD_TO_ONE(KNVTCDUser, creator, setCreator)
    KNVTCD_TO_MANY(KNVTCDTaskWatcher, taskWatchers)
    KNVTCD_TO_MANY(KNVTCDTaggedTask, taggedTasks)
    KNVTCD_TO_MANY(KNVTCDTaskComment, comments)

public:
    // Called once with YES when the task moved, NO when it stayed where it was.
    using MoveCompletionHandler = std::function<void(bool moved)>;

    // -- Status, priority and focus names ------------------------------------------------------------------------
    // "Someday", "Actionable", "Completed" or "Cancelled", localized; a null string for any other value.
    static QString localizedDisplayNameForStatus(KNVTTaskStatus status);
    // "canceled" is the service's older spelling; anything unknown (and a null string) is actionable.
    static KNVTTaskStatus taskStatusForTaskStatusString(const QString &string);
    static QString taskStatusStringForTaskStatus(KNVTTaskStatus status);
    // "High", "Medium" or "Low", localized; "None" for every other value.
    static QString localizedDisplayNameForPriorityLevel(KNVTTaskPriorityLevel priorityLevel);
    // A null string above KNVTFocusTypeArchived.
    static QString localizedDisplayNameForFocusType(KNVTFocusType focusType);

    // The task list every one of `tasks` is in; nullptr when they are in different lists, any is in the Inbox, or
    // there are none.
    static KNVTCDTaskList *taskListForTasks(const std::vector<KNVTCDTask *> &tasks);

    // -- Orders of the focus lists -------------------------------------------------------------------------------
    // By title.
    static Comparator taskComparator();
    // By position in the list, tasks with a position first; then by title.
    static Comparator uncompletedTaskComparator();
    // Open tasks before completed or cancelled ones; then by title.
    static Comparator todayTaskComparator();
    static Comparator scheduledTaskComparator();
    static Comparator somedayTaskComparator();
    // Most recent status change first.
    static Comparator completedTaskComparator();
    static Comparator archivedTaskComparator();

    // The groups a printout shows live tasks in; someday tasks go with the incomplete ones unless `somedayApart`.
    struct PrintGroups
    {
        std::vector<KNVTCDTask *> incomplete, scheduled, someday, completed;
    };
    static PrintGroups printGroups(const std::vector<KNVTCDTask *> &tasks, bool somedayApart);

    // -- The interface's confirmation ----------------------------------------------------------------------------
    // The alert handler that setFocusType(KNVTFocusTypeInbox) asks with; the application installs the interface
    // kit's standard one at start-up. Until then every question is answered with its cancelling button, so a move
    // that needs confirmation does not happen.
    static KNVTAlertHandler standardAlertHandler();
    static void setStandardAlertHandler(KNVTAlertHandler alertHandler);

    // -- State ---------------------------------------------------------------------------------------------------
    bool isCompleted() const;
    bool isCancelled() const;
    bool isCompletedOrCancelled() const;
    bool isArchived() const;
    // YES stamps the archive date unless there is one; NO clears it. Nothing is written when the state is already
    // the one asked for.
    void setArchived(bool archived);
    bool isArchivable() const;
    bool isArchivableWithTaskList() const;
    bool isRecurrening() const;
    bool isToday() const;
    // Whether a start or due date has come by `now`: from its instant itself, so that a task starting at 00:00 is
    // Today from that midnight on. The one answer to "has started" for the focus, the rows and the focus commands;
    // the store's queries compare alike (startDate <= now).
    static bool dateHasCome(const QDateTime &date, const QDateTime &now);
    bool hasStarted() const;
    bool isScheduled() const;
    bool isSomeday() const;
    // Due at or before now.
    bool isOverdue() const;
    // Due strictly before now.
    bool isDue() const;
    // An Inbox task is always editable; a task in a list is as editable as the list's tasks are.
    bool canEdit() const;
    bool canMove() const;

    // nullptr when recurrenceString is none or empty.
    std::shared_ptr<KNVTRecurrence> recurrence() const;
    // Stores the rules' texts joined by single blanks; nullptr clears the recurrence.
    void setRecurrence(const std::shared_ptr<KNVTRecurrence> &recurrence);

    // Derived from the status and dates against the current time: Archived, Someday, Next (also for closed
    // tasks), Today (start or due date at or before now), Scheduled (a future start) or Next. Never Inbox, Watched or
    // Delegated.
    KNVTFocusType focusType() const;
    // Moves the task into a focus: Inbox (out of its list, with the standard alert handler when watchers would be
    // lost, and with its dates cleared), Today, Next, Someday, or Archived (only when archivable). Every other
    // value does nothing.
    void setFocusType(KNVTFocusType focusType);

    // -- Actions -------------------------------------------------------------------------------------------------
    // Completing a recurring task also inserts its next occurrence: an open copy due on the day the recurrence
    // next falls after today.
    void markAsCompleted();
    void markAsUncompleted();
    void markAsCancelled();
    // A task the service knows is only tombstoned (deletedDate) until its deletion has been pushed; any other is
    // deleted from its context at once, with its comments, watcher rows and tag links.
    void markAsDeleted();

    // The live tags linked to this task through a live link of its own, in tag order.
    std::vector<KNVTCDTag *> tags() const;
    // A tombstoned link is never revived: tagging again inserts a new link beside it.
    void addTag(KNVTCDTag *tag);
    void removeTag(KNVTCDTag *tag);

    // This task's live watcher row of `user`, or nullptr.
    KNVTCDTaskWatcher *taskWatcherForUser(const KNVTCDUser *user) const;
    bool isWatchedByUser(const KNVTCDUser *user) const;
    void addWatcher(KNVTCDUser *user);
    void removeWatcher(const KNVTCDUser *user);
    // The live watcher rows that have a user, by the user's full name.
    std::vector<KNVTCDTaskWatcher *> activeTaskWatchers() const;
    std::vector<KNVTCDUser *> activeTaskWatcherUsers() const;
    // The live comments, oldest first.
    std::vector<KNVTCDTaskComment *> commentsOrderedByCreatedDate() const;

    // Moves the task into `taskList`, or into the Inbox for nullptr. Watchers who cannot see the target (all of
    // them for the Inbox) would lose the task, so when there are any the move asks through `alertHandler` first and
    // happens only when the user picks "Move Task", possibly after this returns. A moved task whose assignee cannot
    // see the target is assigned to the local user. Moving a task into the list it is in does nothing and reports
    // NO.
    void performMoveToTaskList(KNVTCDTaskList *taskList, const KNVTAlertHandler &alertHandler,
                               const MoveCompletionHandler &completionHandler = {});
    // Sets the list without any watcher or assignee handling.
    void moveToTaskList(KNVTCDTaskList *taskList);

    // A new local task in the same context with this task's fields, recurrence and tags, created by the local user.
    // Comments, watchers, the position in the list and the sync state are not copied.
    KNVTCDTask *duplicateTask();

    // -- Sync service --------------------------------------------------------------------------------------------
    // The JSON attributes to push for the property names in `keys`; names without a wire form add nothing.
    QJsonObject attributesForKeys(const QStringList &keys) const;
    // NO when pushing `keys` now would leave out a change that only waits for a related object to be pushed
    // first: the task's list has no server identifier yet. The push keeps the task's changes for a later push.
    bool hasAttributesForKeys(const QStringList &keys) const;
    // Fills the task, its comments and its watchers from the service's JSON and discards every recorded change.
    void updateWithAttributes(const knvt::JSONView &attributes) override;

    void didChangeValue(std::string_view key) override;
    void awakeFromInsert() override;

    // -- Text forms ----------------------------------------------------------------------------------------------
    // "- title\n", or "- title (notes)\n" when there are notes.
    QString pasteboardString() const override;
    // The task as an HTML fragment of a printout; every text of the user's is escaped.
    QString HTMLStringForPrinting() const override;
    // A few plain lines for sharing: a completion marker and the title, the dates of a closed task, the notes.
    QString shareActivityText() const override;

protected:
    bool excludesChangedKey(std::string_view key) const override;
    void insertMissingNestedObjectsWithAttributes(const knvt::JSONView &attributes) override;

private:
    void fillNestedComments(const knvt::JSONView &attributes, NestedMerge merge);
    void fillNestedWatchers(const knvt::JSONView &attributes, NestedMerge merge);
    void removeTaskWatcher(KNVTCDTaskWatcher *taskWatcher);
};
