#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTTaskListFocusType.h"
#include "model/KNVTTaskListStatus.h"
#include "model/KNVTTaskListType.h"

#include "foundation/KNVTAlertHandler.h"

#include <QJsonObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class KNVTCDTask;
class KNVTCDTaskListCollaborator;
class KNVTCDUser;
class KNVTRecurrence;

// A project (type 1) or an area (type 2). The list row is the same for every member; what belongs to one member
// (acceptance, order among the lists, review schedule) lives on that member's collaborator row. The two mirror
// attributes copy the local user's row, so that queries can filter and sort lists without a join; the per-user
// accessors below read and write the local user's row directly.
class KNVTCDTaskList : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTaskList)
    KNVTCD_SYNCED_ATTRIBUTES
    OSTORE_DATE(startDate, setStartDate)
    OSTORE_STRING(title, setTitle)
    OSTORE_STRING(notes, setNotes)
    OSTORE_INT(priority, setPriority)
    OSTORE_INT(type, setType)
    OSTORE_DATE(dueDate, setDueDate)
    OSTORE_DATE(archivedDate, setArchivedDate)
    OSTORE_INT(status, setStatus)
    OSTORE_DATE(statusModifiedDate, setStatusModifiedDate)
    OSTORE_INT(taskListCollaboratorStatus, setTaskListCollaboratorStatus)
    OSTORE_INT(taskListCollaboratorTaskListTypeOrderIndex, setTaskListCollaboratorTaskListTypeOrderIndex)
    KNVTCD_TO_ONE(KNVTCDUser, creator, setCreator)
    KNVTCD_TO_MANY(KNVTCDTask, tasks)
    KNVTCD_TO_MANY(KNVTCDTaskListCollaborator, taskListCollaborators)

public:
    // Called once by the confirming actions: YES when the change was made, NO when the user declined.
    using CompletionHandler = std::function<void(bool)>;

    // -- Status and type -----------------------------------------------------------------------------------------
    // "someday" 1, "actionable" 2, "completed" 4, "cancelled" and "canceled" 5; anything else (none included) 2.
    static KNVTTaskListStatus taskListStatusForTaskListStatusString(const QString &string);
    // 1 "someday", 4 "completed", 5 "cancelled", every other value "actionable".
    static QString taskListStatusStringForTaskListStatus(KNVTTaskListStatus status);
    // The translated name of 1, 2, 4 and 5; a null string for any other value.
    static QString localizedDisplayNameForStatus(KNVTTaskListStatus status);

    bool isCompleted() const;
    bool isCancelled() const;
    bool isCompletedOrCancelled() const;
    bool isProject() const;
    bool isArea() const;

    // -- Sorting -------------------------------------------------------------------------------------------------
    // By the local user's order index (the mirror) ascending, lists without one after those with one, then by
    // title, localized and case-insensitive.
    static Comparator taskListComparator();
    // By the local user's review date, earliest first, lists without one before those with one, then by title.
    static Comparator reviewDateTaskListComparator();

    // -- The local user's values -----------------------------------------------------------------------------------
    // The local user's row of this list, tombstoned or not; nullptr without a local user or without a row. Without
    // a row the getters below answer nothing and the setters do nothing.
    KNVTCDTaskListCollaborator *myTaskListCollaborator() const;
    QDateTime reviewedDate() const;
    void setReviewedDate(const QDateTime &date);
    QDateTime reviewDate() const;
    void setReviewDate(const QDateTime &date);
    std::shared_ptr<KNVTRecurrence> reviewRecurrence() const;
    // Stores the schedule and moves the review date to the start of the day of its next occurrence after today.
    // Removing the schedule also removes the reviewed date and the review date, so that the list stops being due.
    void setReviewRecurrence(const std::shared_ptr<KNVTRecurrence> &recurrence);
    // The review date is set and not later than now.
    bool isOverdueForReview() const;
    // Reviewed now; with a schedule, the next review is due at the start of the day of its next occurrence.
    void markAsReviewed();

    // -- Archive -------------------------------------------------------------------------------------------------
    bool isArchived() const;
    // YES stamps the archived date (when not archived yet) and then archives every task; NO un-archives the tasks
    // and then clears the date (when archived). Tombstoned tasks follow the list too.
    void setArchived(bool archived);
    // Every live task is completed or cancelled; a list without tasks is archivable.
    bool isArchivable() const;

    // -- Focus ---------------------------------------------------------------------------------------------------
    // Archived 4; status 1 Someday (3); any status but 2 Next (1); status 2 with a start date before now Today (0),
    // otherwise Next. Never Scheduled.
    KNVTTaskListFocusType focusType() const;
    // Moves the list and its open tasks to a focus: Today (the list loses its start date, its open tasks become
    // Today), Next, Someday, or Archived (through performArchiveWithAlertHandler() with the application's standard
    // alert handler, KNVTCDTask::standardAlertHandler()).
    // Scheduled and values above Archived do nothing.
    void setFocusType(KNVTTaskListFocusType focusType);
    bool isSomeday() const;
    bool isScheduled() const;

    // -- Members -------------------------------------------------------------------------------------------------
    // Rows without a tombstone and with a user, of every status, by the user's full name.
    std::vector<KNVTCDTaskListCollaborator *> activeTaskListCollaborators() const;
    std::vector<KNVTCDUser *> activeTaskListCollaboratorUsers() const;
    // The user of a row with the owner role (tombstoned rows included); nullptr when there is none.
    KNVTCDUser *owner() const;

    // -- Counts (tombstones never count) ---------------------------------------------------------------------------
    qsizetype numberOfTasks() const;
    qsizetype numberOfUncompletedTasks() const;
    // Cancelled tasks count as completed.
    qsizetype numberOfCompletedTasks() const;
    // Completed share of the live tasks; 0 without tasks.
    float taskCompletionProgress() const;

    // -- Actions (none of them saves) ------------------------------------------------------------------------------
    // Each first collects the open tasks: the live tasks that are neither completed nor cancelled. With none, the
    // change happens at once and the completion handler hears YES. Otherwise the alert handler asks what becomes of
    // them, and the change happens (YES) or nothing changes (NO) when it answers. The open tasks are those of the
    // moment of the call, even if the list changes while the question is shown.
    void performArchiveWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                        const CompletionHandler &completionHandler = {});
    void performMarkAsCompletedWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                                const CompletionHandler &completionHandler = {});
    void performMarkAsCancelledWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                                const CompletionHandler &completionHandler = {});
    // Without asking: the open tasks are cancelled, the list is completed and archived.
    void archive();
    void unarchive();
    void markAsCompleted();
    void markAsCancelled();
    // Status 2, and never archived afterwards.
    void markAsUncompleted();
    // A list the service knows becomes a tombstone; any other is deleted from its context at once. Its tasks and
    // member rows are the caller's business.
    void markAsDeleted();

    // -- Permissions (the status of the local user's row plays no part) --------------------------------------------
    bool canView() const;
    // The local user owns the list.
    bool canEdit() const;
    bool canRemove() const;
    bool canShare() const;
    // The local user's row has the owner or the editor role.
    bool canReview() const;
    // As canReview(), and the list is not archived.
    bool canEditTasks() const;
    bool canAddTasks() const;
    bool canRemoveTasks() const;
    bool canAddTask(const KNVTCDTask *task) const;
    // The local user has a row here that is not the owner's.
    bool canUnsubscribe() const;

    // -- Sharing -------------------------------------------------------------------------------------------------
    // More than one active row.
    bool isCollaborative() const;
    bool isShared() const;
    bool isSubscribed() const;
    bool isCollaboratingUser(const KNVTCDUser *user) const;
    // On a shared list: asks, then stopSharing() (YES) or nothing (NO). On any other list nothing happens and
    // neither handler is called.
    void performStopSharingWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                            const CompletionHandler &completionHandler = {});
    // Removes every member but the owner: a row the service knows becomes a tombstone, so that the next push
    // withdraws the member's access there too; a row never pushed is detached and deleted at once.
    void stopSharing();
    // Declines the list for the local user (recorded on the local user's row for the next push). Returns that row,
    // or nullptr when there is none; then nothing changes.
    KNVTCDTaskListCollaborator *unsubscribe();
    // Every active pending or declined row is set pending again, which records it for the next push even when it
    // already was pending: that push re-sends the invitation. Always YES.
    bool resendInvitations();

    // -- Sync ----------------------------------------------------------------------------------------------------
    // The wire attributes for the given changed keys, in the service's names.
    QJsonObject attributesForKeys(const QStringList &keys) const;
    // Applies the service's list, with its nested member rows and tasks, whatever its date. The status stands as
    // the service sent it, even when an open task arrives in a completed list: such a list is legitimate
    // (completing a list whose task recurs makes one).
    void updateWithAttributes(const knvt::JSONView &attributes) override;
    // Whether the local user's acceptance or decline of this list still waits for its push. A list reply that
    // leaves such a list out must not delete it: the service does not know yet that the list belongs there.
    bool hasUnpushedMembershipChange() const;
    // Sets or clears needsUpdating, the mark of a list to be fetched again with its tasks, as a fill does: the mark is
    // the sync's own bookkeeping, never a change of the user's that waits for a push.
    void setToBeFetchedAgain(bool again);
    // Takes over what a list's reply does with its tasks, for whoever applies the reply (the sync): the fields the
    // user changed here and has not pushed keep their values, and a synced task the reply no longer holds may only
    // have moved to a list read later, where it must stay the same object.
    class PulledTaskHandler
    {
    public:
        virtual ~PulledTaskHandler() = default;
        // A task of the reply that is here already.
        virtual void mergePulledTask(KNVTCDTask &task, const knvt::JSONView &attributes) = 0;
        // A synced task of the list that the reply no longer holds, whether or not it has changes waiting for a push.
        virtual void pulledTaskMissing(KNVTCDTaskList &list, KNVTCDTask &task) = 0;
    };
    // The tasks of a list's reply, applied one at a time as updateWithAttributes applies them all at once, so that a
    // pull of a list of thousands of tasks can apply them in slices between events. The list's tasks are held by
    // identity, so that one removed in between is passed over. Without a handler a task that is here takes the reply
    // by its dates, and a synced task the reply lacks is deleted unless it has changes waiting for a push.
    class PulledTasks
    {
    public:
        PulledTasks(const KNVTCDTaskList &list, NestedMerge merge, PulledTaskHandler *handler = nullptr);
        void apply(KNVTCDTaskList &list, const knvt::JSONView &element);
        // After the whole array: the synced tasks it did not name go (Reconcile), and the list no longer waits for
        // its full fetch.
        void finish(KNVTCDTaskList &list);

    private:
        NestedMerge m_merge;
        PulledTaskHandler *m_handler;
        bool m_complete = true;
        std::vector<ostore::ObjectID> m_before;
        QSet<ostore::ObjectID> m_named;
    };

    // A status write stamps statusModifiedDate and, for an open status, un-archives the list; a mirror write is
    // copied into the local user's row, where it is recorded. The mirrors, the creator and the tasks are never
    // recorded on the list itself.
    void didChangeValue(std::string_view key) override;
    // An open task joining (or any task leaving) a completed or cancelled list reopens the list, except while data
    // from the service is applied.
    void didChangeToMany(std::string_view key, ostore::Mutation mutation,
                         const std::vector<ostore::Object *> &objects) override;

    // -- Text forms ------------------------------------------------------------------------------------------------
    // The title.
    QString pasteboardString() const override;
    // The page of the list: its title, then its live tasks grouped Incomplete, Scheduled, Someday, Completed.
    QString HTMLStringForPrinting() const override;
    // The block that stands for the list on a page of several lists: title with item count, status, completion.
    QString HTMLOverviewStringForPrinting() const override;
    // The title, then the live tasks grouped Incomplete, Scheduled, Someday, Completed and Archived.
    QString shareActivityText() const override;

protected:
    bool excludesChangedKey(std::string_view key) const override;
    // A list waiting for its full fetch takes the reply whatever its date.
    bool mergesRegardlessOfDate() const override;
    void insertMissingNestedObjectsWithAttributes(const knvt::JSONView &attributes) override;

private:
    // The live tasks that are neither completed nor cancelled, in the relationship's order.
    std::vector<KNVTCDTask *> openTasks() const;
    void updateTaskListCollaboratorsWithAttributes(const knvt::JSONView &elements, NestedMerge merge);
    void updateTasksWithAttributes(const knvt::JSONView &elements, NestedMerge merge);
    // The next review date of `recurrence` counted from today, written into `row`.
    static void scheduleNextReview(KNVTCDTaskListCollaborator *row, const KNVTRecurrence &recurrence);
};
