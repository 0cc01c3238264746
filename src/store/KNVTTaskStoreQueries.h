#pragma once

#include "objectstore/Context.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

class KNVTCDFriendship;
class KNVTCDTag;
class KNVTCDTask;
class KNVTCDTaskList;
class KNVTCDTaskListCollaborator;
class KNVTCDTaskStoreObject;
class KNVTCDTaskWatcher;
class KNVTCDUser;

// The task store's read-only questions over its main context: the local-user and identifier lookups, every
// focus-list query and count, and the task-list and people queries. They keep no state, so the store inherits them
// and tests can ask them of any context.
//
// Every query reads "me" and the clock afresh, runs one fetch or one count and returns the result unsorted (callers
// sort with the entities' comparators); tombstones are left out unless a query says otherwise. A missing context
// answers empty results and 0. A count that fails answers 0 and logs why, so that a badge never shows nonsense.
class KNVTTaskStoreQueries
{
public:
    virtual ~KNVTTaskStoreQueries() = default;

    // The context every query runs on; nullptr while no library is open (every query then answers empty or 0).
    virtual ostore::Context *managedObjectContext() = 0;

    // -- Lookups -------------------------------------------------------------------------------------------------
    // The local user ("Me"), or nullptr when the store has none.
    KNVTCDUser *me();
    // The user's row for the list, tombstoned or not.
    KNVTCDTaskListCollaborator *taskListCollaboratorForUser(const KNVTCDUser *user, const KNVTCDTaskList *taskList);
    // The user's watcher row for the task, tombstoned or not.
    KNVTCDTaskWatcher *taskWatcherForUser(const KNVTCDUser *user, const KNVTCDTask *task);
    // The object an identifier URI names; nullptr for an empty, foreign or malformed URI and for an object that is
    // gone.
    KNVTCDTaskStoreObject *objectForURI(const QUrl &uri);
    // The objects that resolve, in the given order: a reference that resolves to nothing is left out, so the result
    // can be shorter than `uris`.
    std::vector<KNVTCDTaskStoreObject *> objectsForURIs(const QList<QUrl> &uris);
    // Tombstones included; nullptr for no identifier (tasks never pushed have none and are not a match).
    KNVTCDTask *taskForNumericIdentifier(std::optional<qint64> numericIdentifier);
    // Every task, tombstones included.
    std::vector<KNVTCDTask *> tasks();
    // Friendship invitations waiting for my answer, plus projects and areas shared with me and not yet accepted.
    qsizetype numberOfNotifications();

    // -- Focus lists ---------------------------------------------------------------------------------------------
    std::vector<KNVTCDTask *> inboxTasks();
    std::vector<KNVTCDTask *> todayTasks();
    std::vector<KNVTCDTask *> nextTasks();
    std::vector<KNVTCDTask *> scheduledTasks();
    std::vector<KNVTCDTask *> somedayTasks();
    // Created by me and assigned to somebody else (an unassigned task is nobody's, so it is not delegated).
    std::vector<KNVTCDTask *> delegatedTasks();
    // The tasks of my live watcher rows, each once, in the order of the tasks' titles; archived ones included.
    std::vector<KNVTCDTask *> watchedTasks();
    std::vector<KNVTCDTask *> archivedTasks();
    std::vector<KNVTCDTask *> archivedTasksNotInArchivedTaskList();
    std::vector<KNVTCDTask *> somedayTaskWhosTaskListIsntInSomeday();

    std::vector<KNVTCDTask *> todayTasksForTaskList(const KNVTCDTaskList *taskList);
    std::vector<KNVTCDTask *> nextTasksForTaskList(const KNVTCDTaskList *taskList);
    // Closed tasks with a later date are included.
    std::vector<KNVTCDTask *> scheduledTasksForTaskList(const KNVTCDTaskList *taskList);
    // Closed tasks are included.
    std::vector<KNVTCDTask *> delegatedTasksForTaskList(const KNVTCDTaskList *taskList);

    std::vector<KNVTCDTask *> uncompletedTasksCreatedBy(const KNVTCDUser *creator, const KNVTCDUser *assignee);
    std::vector<KNVTCDTask *> uncompletedTasksDelegatedTo(const KNVTCDUser *user);

    // -- Membership of one object ----------------------------------------------------------------------------------
    // The conditions of the queries of the same names. A list that shows a query's result decides with them whether
    // an object a save changed belongs to it, on that object alone, exactly as the query would.
    ostore::Predicate inboxTasksPredicate();
    ostore::Predicate todayTasksPredicate();
    ostore::Predicate nextTasksPredicate();
    ostore::Predicate scheduledTasksPredicate();
    ostore::Predicate tasksForTagsPredicate(const std::vector<KNVTCDTag *> &tags);
    ostore::Predicate tasksForSearchTermPredicate(const QString &term);
    // Tasks neither completed nor cancelled (an absent status is open).
    ostore::Predicate openTasksPredicate();
    // Whether `object` meets `predicate` now (false without a library, and for an object being deleted).
    bool evaluate(const ostore::Object *object, const ostore::Predicate &predicate);

    // -- Time ----------------------------------------------------------------------------------------------------
    // The first instant after `after` at which the start or due date of a saved task, neither tombstoned nor archived,
    // passes; invalid when there is none. Costs the dates it passes over, not a scan of the tasks.
    QDateTime nextTaskDateAfter(const QDateTime &after);
    // The tasks, neither tombstoned nor archived, whose start or due date lies after `from` and at or before `to`:
    // those whose place in the lists changed as the clock went from one to the other.
    std::vector<KNVTCDTask *> tasksWithDatesPassingBetween(const QDateTime &from, const QDateTime &to);

    // -- Due dates -----------------------------------------------------------------------------------------------
    std::vector<KNVTCDTask *> dueTasks();
    std::vector<KNVTCDTask *> dueAndTodayTasks();
    std::vector<KNVTCDTask *> dueTodayAndInboxTasks();
    // The ...Date queries take lists whose invitation I have not accepted out.
    std::vector<KNVTCDTask *> uncompletedDueTasksBeforeDate(const QDateTime &date);
    // Due within the calendar day of `date`, from its 00:00 up to (not including) the next day's 00:00.
    std::vector<KNVTCDTask *> uncompletedDueTasksForDay(const QDateTime &date);
    std::vector<KNVTCDTask *> uncompletedDueTasksAfterDate(const QDateTime &date);

    // -- Counts (badges) -----------------------------------------------------------------------------------------
    qsizetype numberOfUncompletedDueTasks();
    // Actionable tasks only.
    qsizetype numberOfUncompletedInboxTasks();
    qsizetype numberOfUncompletedDueAndTodayTasks();
    qsizetype numberOfUncompletedDueTodayAndInboxTasks();
    qsizetype numberOfUncompletedDueTasksBeforeDate(const QDateTime &date);
    qsizetype numberOfUncompletedDueTasksForDay(const QDateTime &date);
    // Due at or before the instant `date`.
    qsizetype numberOfUncompletedDueTasksForDate(const QDateTime &date);
    qsizetype numberOfUncompletedDueTasksAfterDate(const QDateTime &date);
    // `date` stands for now.
    qsizetype numberOfUncompletedDueAndTodayTasksForDate(const QDateTime &date);
    // Due or started by now, and closed within the calendar day of `date`.
    qsizetype numberOfCompletedOrCancelledDueAndTodayTasksForDate(const QDateTime &date);
    qsizetype numberOfDelegatedTasks();
    qsizetype numberOfTasksNotAssignedToMe();
    // Watcher rows, not distinct tasks; archived tasks do not count.
    qsizetype numberOfWatchedTasks();

    // -- Tags and search -----------------------------------------------------------------------------------------
    // Tasks that carry every one of `tags` through a live link; no tags gives every task without a tombstone.
    std::vector<KNVTCDTask *> tasksForTags(const std::vector<KNVTCDTag *> &tags);
    // Title or notes contain the term, ignoring case and diacritics; every assignee, closed and archived included.
    std::vector<KNVTCDTask *> tasksForSearchTerm(const QString &term);

    // -- Projects and areas --------------------------------------------------------------------------------------
    // Every project or area, archived, declined and tombstoned ones included.
    std::vector<KNVTCDTaskList *> projects();
    std::vector<KNVTCDTaskList *> areas();
    // Accepted, not Someday (a list without a status is active), not archived.
    std::vector<KNVTCDTaskList *> activeProjects();
    std::vector<KNVTCDTaskList *> activeAreas();
    std::vector<KNVTCDTaskList *> actionableProjects();
    std::vector<KNVTCDTaskList *> suspendedProjects();
    std::vector<KNVTCDTaskList *> completedProjects();
    std::vector<KNVTCDTaskList *> cancelledProjects();
    std::vector<KNVTCDTaskList *> actionableAreas();
    std::vector<KNVTCDTaskList *> suspendedAreas();
    // Shared with me, invitation not answered.
    std::vector<KNVTCDTaskList *> pendingProjects();
    std::vector<KNVTCDTaskList *> pendingAreas();
    std::vector<KNVTCDTaskList *> archivedTaskLists();
    std::vector<KNVTCDTaskList *> archivedProjects();
    std::vector<KNVTCDTaskList *> archivedAreas();

    // -- Reviews (my own collaborator rows; the list's own state is not looked at) ---------------------------------
    std::vector<KNVTCDTaskList *> taskListsForReview();
    std::vector<KNVTCDTaskList *> taskListsDueForReview();
    qsizetype numberOfTaskListsForReview();
    qsizetype numberOfTaskListsDueForReview();
    std::vector<KNVTCDTaskList *> projectsForReview();
    std::vector<KNVTCDTaskList *> projectsDueForReview();
    qsizetype numberOfProjectsForReview();
    qsizetype numberOfProjectsDueForReview();

    // -- Task-list search (titles only) --------------------------------------------------------------------------
    std::vector<KNVTCDTaskList *> taskListsForSearchTerm(const QString &term);
    std::vector<KNVTCDTaskList *> projectsForSearchTerm(const QString &term);
    std::vector<KNVTCDTaskList *> areasForSearchTerm(const QString &term);

    // Lists shared among more than one user: those with more than one live membership row of a user, all counted in
    // one fetch.
    std::vector<KNVTCDTaskList *> collaborativeTaskLists();

    // -- Tags ----------------------------------------------------------------------------------------------------
    std::vector<KNVTCDTag *> tags();
    // The live tag whose whole title equals the trimmed text, ignoring case and diacritics; any text is literal.
    KNVTCDTag *tagForTitle(const QString &title);

    // -- Users (tombstones are not tested) -------------------------------------------------------------------------
    KNVTCDUser *userForNumericIdentifier(std::optional<qint64> numericIdentifier);
    std::vector<KNVTCDUser *> users();
    qsizetype numberOfUsers();
    // By extendedDisplayName, localized and case-insensitive.
    std::vector<KNVTCDUser *> sortedUsers();
    // Users whose user name differs from mine; without a user name of mine, the users that have one.
    std::vector<KNVTCDUser *> usersExcludingMe();
    std::vector<KNVTCDUser *> sortedUsersExcludingMe();
    std::vector<KNVTCDUser *> usersExcludingUsers(const std::vector<KNVTCDUser *> &excluded);
    std::vector<KNVTCDUser *> friends();
    std::vector<KNVTCDUser *> invitedFriends();
    std::vector<KNVTCDUser *> pendingFriends();
    // Users other than me with at least one collaborator row without a tombstone, whatever its status.
    std::vector<KNVTCDUser *> taskListCollaboratorUsers();

    // -- Friendship records (tombstones included) ------------------------------------------------------------------
    KNVTCDFriendship *friendshipForInviterNumericIdentifier(std::optional<qint64> inviterNumericIdentifier,
                                                            std::optional<qint64> inviteeNumericIdentifier);

private:
    template <class T>
    std::vector<T *> fetch(const char *entity, const ostore::Predicate &predicate,
                           const std::vector<ostore::SortDescriptor> &sort = {});
    qsizetype count(const char *operation, const char *entity, const ostore::Predicate &predicate);
    template <class T>
    T *firstObject(const char *entity, const ostore::Predicate &predicate);
    std::vector<KNVTCDTaskList *> taskListsOfRows(const ostore::Predicate &rows);
};
