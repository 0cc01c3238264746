#include "store/KNVTTaskStoreQueries.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListCollaboratorStatus.h"
#include "model/KNVTTaskListStatus.h"
#include "model/KNVTTaskListType.h"
#include "model/KNVTTaskStatus.h"
#include "model/KNVTUserFriendshipStatus.h"

#include "objectstore/Where.h"

#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"
#include "foundation/StringAdditions.h"

#include "store/Logging.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

using namespace ostore::where;
using ostore::Predicate;

namespace {

constexpr char Task[] = "KNVTCDTask";
constexpr char TaskList[] = "KNVTCDTaskList";
constexpr char Collaborator[] = "KNVTCDTaskListCollaborator";
constexpr char Watcher[] = "KNVTCDTaskWatcher";
constexpr char Tag[] = "KNVTCDTag";
constexpr char User[] = "KNVTCDUser";
constexpr char Friendship[] = "KNVTCDFriendship";

constexpr int Someday = KNVTTaskStatusSomeday;
constexpr int Actionable = KNVTTaskStatusActionable;
constexpr int Completed = KNVTTaskStatusCompleted;
constexpr int Cancelled = KNVTTaskStatusCancelled;
constexpr int Accepted = KNVTTaskListCollaboratorStatusAccepted;
constexpr int Pending = KNVTTaskListCollaboratorStatusPending;
constexpr int Project = KNVTTaskListTypeProject;
constexpr int Area = KNVTTaskListTypeArea;

QDateTime now()
{
    return knvt::Clock::shared().now();
}

// A calendar day as [its 00:00, the next day's 00:00), so that an instant late in the last second of the day (as a
// status change can be) still falls in it.
struct DayWindow
{
    QDateTime start;
    QDateTime nextStart;
};

DayWindow dayWindow(const QDateTime &date)
{
    const QDateTime end = knvt::endOfDateForDate(date);
    return {knvt::zeroHundredHoursDateForDate(date), end.isValid() ? end.addSecs(1) : QDateTime()};
}

Predicate live()
{
    return isNull("deletedDate");
}

Predicate notArchived()
{
    return isNull("archivedDate");
}

// The tasks whose place the clock can move: neither gone nor archived.
Predicate movedByClock()
{
    return notArchived() && live();
}

// "status != 5 AND status != 4": an absent status is open.
Predicate open()
{
    return key("status") != Cancelled && key("status") != Completed;
}

// "(dueDate <= now || startDate <= now)": a date counts from its instant, as KNVTCDTask::dateHasCome has it.
Predicate dueOrStartedBy(const QDateTime &date)
{
    return key("dueDate") <= date || key("startDate") <= date;
}

// "(taskList == nil || taskList.taskListCollaboratorStatus == 2)"
Predicate inNoListOrAcceptedList()
{
    return isNull("taskList") || key("taskList.taskListCollaboratorStatus") == Accepted;
}

// "assignee == %@ && (dueDate <= %@ || startDate <= %@) && status != %@ && status != %@ && archivedDate == nil &&
// deletedDate == nil"
Predicate dueAndToday(const KNVTCDUser *me, const QDateTime &date)
{
    return key("assignee") == me && dueOrStartedBy(date) && open() && notArchived() && live();
}

// "assignee == %@ && dueDate <= %@ && status != %@ AND status != %@ && archivedDate == nil && deletedDate == nil"
Predicate due(const KNVTCDUser *me, const QDateTime &date)
{
    return key("assignee") == me && key("dueDate") <= date && open() && notArchived() && live();
}

// "assignee == %@ AND (dueDate <= %@ || startDate <= %@ || (taskList == nil AND status == %@)) AND status != %@ AND
// status != %@ AND archivedDate == nil AND deletedDate == nil"
Predicate dueTodayAndInbox(const KNVTCDUser *me, const QDateTime &date)
{
    return key("assignee") == me && (dueOrStartedBy(date) || (isNull("taskList") && key("status") == Actionable))
        && open() && notArchived() && live();
}

// "assignee == %@ AND (dueDate <= %@ || startDate <= %@) && status != %@ AND status != %@ AND (taskList == nil ||
// taskList.taskListCollaboratorStatus == %@) AND archivedDate == nil AND deletedDate == nil"
Predicate acceptedDueAndToday(const KNVTCDUser *me, const QDateTime &date)
{
    return dueAndToday(me, date) && inNoListOrAcceptedList();
}

// The three "uncompletedDueTasks...Date:" formats differ only in their date test.
Predicate acceptedUncompletedDue(const KNVTCDUser *me, const Predicate &dateTest)
{
    return key("assignee") == me && dateTest && open() && inNoListOrAcceptedList() && notArchived() && live();
}

Predicate dueBefore(const QDateTime &date)
{
    return key("dueDate") < date;
}

Predicate dueAfter(const QDateTime &date)
{
    return key("dueDate") > date;
}

Predicate dueWithinDay(const QDateTime &date)
{
    const DayWindow day = dayWindow(date);
    return key("dueDate") >= day.start && key("dueDate") < day.nextStart;
}

// "assignee != %@ AND creator == %@ AND status != %@ AND status != %@ AND archivedDate == nil AND deletedDate ==
// nil". An unassigned task is nobody's, so it is not delegated.
Predicate delegated(const KNVTCDUser *me)
{
    return key("assignee") != me && notNull("assignee") && key("creator") == me && open() && notArchived() && live();
}

// "type == %@ AND status == %@ AND taskListCollaboratorStatus == %@ AND archivedDate == nil AND deletedDate == nil"
Predicate listsWithStatus(int type, int status)
{
    return key("type") == type && key("status") == status && key("taskListCollaboratorStatus") == Accepted
        && notArchived() && live();
}

// "type == %@ && taskListCollaboratorStatus == %@ && archivedDate == nil && deletedDate == nil"
Predicate pendingLists(int type)
{
    return key("type") == type && key("taskListCollaboratorStatus") == Pending && notArchived() && live();
}

// "type == %@ AND archivedDate != nil AND deletedDate == nil"
Predicate archivedLists(int type)
{
    return key("type") == type && notNull("archivedDate") && live();
}

// "friendshipStatus == %i"
Predicate friendshipStatus(int status)
{
    return key("friendshipStatus") == status;
}

// "username != %@" with my user name.
Predicate notMyUsername(const KNVTCDUser *me)
{
    return key("username") != (me ? me->username() : QString());
}

// "title contains[cd] %@ AND deletedDate == nil"
Predicate titleContains(const QString &term)
{
    return key("title").contains(term, ostore::Fold::CaseDiacritic) && live();
}

// "user == %@ AND reviewDate != nil AND deletedDate == nil"
Predicate rowsForReview(const KNVTCDUser *me)
{
    return key("user") == me && notNull("reviewDate") && live();
}

// "user == %@ AND reviewDate <= %@ AND deletedDate == nil"
Predicate rowsDueForReview(const KNVTCDUser *me)
{
    return key("user") == me && key("reviewDate") <= now() && live();
}

Predicate ofProjects()
{
    return key("taskList.type") == Project;
}

const std::vector<ostore::SortDescriptor> &byDisplayName()
{
    static const std::vector<ostore::SortDescriptor> sort{
        {QStringLiteral("extendedDisplayName"), true, ostore::Collation::Localized}};
    return sort;
}

} // namespace

// -- Plumbing ------------------------------------------------------------------------------------------------------

template <class T>
std::vector<T *> KNVTTaskStoreQueries::fetch(const char *entity, const Predicate &predicate,
                                             const std::vector<ostore::SortDescriptor> &sort)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return {};
    std::vector<T *> out;
    for (ostore::Object *object : knvt::executeFetchRequestForEntityName(*context, entity, predicate, sort))
        out.push_back(static_cast<T *>(object));
    return out;
}

qsizetype KNVTTaskStoreQueries::count(const char *operation, const char *entity, const Predicate &predicate)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return 0;
    knvt::Error error;
    const qsizetype n = knvt::countForFetchRequestForEntityName(*context, entity, predicate, &error);
    if (error || n < 0) {
        qCWarning(lcStore, "KNVTTaskStore:%s couldn't count %s because of error:%s", operation, entity,
                  qPrintable(error.description()));
        return 0;
    }
    return n;
}

template <class T>
T *KNVTTaskStoreQueries::firstObject(const char *entity, const Predicate &predicate)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    return static_cast<T *>(knvt::firstObjectForFetchRequestForEntityName(*context, entity, predicate));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::taskListsOfRows(const Predicate &rows)
{
    std::vector<KNVTCDTaskList *> lists;
    for (KNVTCDTaskListCollaborator *row : fetch<KNVTCDTaskListCollaborator>(Collaborator, rows)) {
        if (KNVTCDTaskList *list = row->taskList())
            lists.push_back(list);
    }
    return lists;
}

// -- Lookups -------------------------------------------------------------------------------------------------------

KNVTCDUser *KNVTTaskStoreQueries::me()
{
    // "friendshipStatus == %@" with 6
    return firstObject<KNVTCDUser>(User, key("friendshipStatus") == int(KNVTUserFriendshipStatusMe));
}

KNVTCDTaskListCollaborator *KNVTTaskStoreQueries::taskListCollaboratorForUser(const KNVTCDUser *user,
                                                                              const KNVTCDTaskList *taskList)
{
    if (!user || !managedObjectContext())
        return nullptr;
    for (KNVTCDTaskListCollaborator *row : user->taskListCollaborators()) {
        if (row->taskList() == taskList)
            return row;
    }
    return nullptr;
}

KNVTCDTaskWatcher *KNVTTaskStoreQueries::taskWatcherForUser(const KNVTCDUser *user, const KNVTCDTask *task)
{
    // "user == %@ AND task == %@"
    return firstObject<KNVTCDTaskWatcher>(Watcher, key("user") == user && key("task") == task);
}

KNVTCDTaskStoreObject *KNVTTaskStoreQueries::objectForURI(const QUrl &uri)
{
    if (uri.isEmpty())
        return nullptr;
    const std::vector<KNVTCDTaskStoreObject *> objects = objectsForURIs({uri});
    return objects.empty() ? nullptr : objects.front();
}

std::vector<KNVTCDTaskStoreObject *> KNVTTaskStoreQueries::objectsForURIs(const QList<QUrl> &uris)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return {};
    std::vector<KNVTCDTaskStoreObject *> objects;
    knvt::enumerateManagedObjectIDURIRepresentations(
        *context, uris, [&](const QUrl &, std::optional<ostore::ObjectID>, ostore::Object *object, bool *) {
            if (auto *storeObject = dynamic_cast<KNVTCDTaskStoreObject *>(object))
                objects.push_back(storeObject);
        });
    return objects;
}

KNVTCDTask *KNVTTaskStoreQueries::taskForNumericIdentifier(std::optional<qint64> numericIdentifier)
{
    if (!numericIdentifier)
        return nullptr;
    // "numericIdentifier == %@"
    return firstObject<KNVTCDTask>(Task, key("numericIdentifier") == *numericIdentifier);
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::tasks()
{
    return fetch<KNVTCDTask>(Task, {});
}

qsizetype KNVTTaskStoreQueries::numberOfNotifications()
{
    return count("numberOfNotifications", User, friendshipStatus(KNVTUserFriendshipStatusPending))
        + count("numberOfNotifications", TaskList, pendingLists(Project))
        + count("numberOfNotifications", TaskList, pendingLists(Area));
}

// -- Focus lists ---------------------------------------------------------------------------------------------------

Predicate KNVTTaskStoreQueries::inboxTasksPredicate()
{
    // "assignee == %@ AND taskList == nil AND archivedDate == nil && deletedDate == nil"
    return key("assignee") == me() && isNull("taskList") && notArchived() && live();
}

Predicate KNVTTaskStoreQueries::todayTasksPredicate()
{
    return dueAndToday(me(), now());
}

Predicate KNVTTaskStoreQueries::nextTasksPredicate()
{
    // "assignee == %@ && dueDate == nil AND startDate == nil AND archivedDate == nil AND status == %@ AND
    // deletedDate == nil"
    return key("assignee") == me() && isNull("dueDate") && isNull("startDate") && notArchived()
        && key("status") == Actionable && live();
}

Predicate KNVTTaskStoreQueries::scheduledTasksPredicate()
{
    // "assignee == %@ AND (dueDate > %@ OR startDate > %@) AND status != %@ AND status != %@ AND archivedDate == nil
    // AND deletedDate == nil"
    const QDateTime date = now();
    return key("assignee") == me() && (key("dueDate") > date || key("startDate") > date) && open() && notArchived()
        && live();
}

bool KNVTTaskStoreQueries::evaluate(const ostore::Object *object, const Predicate &predicate)
{
    ostore::Context *context = managedObjectContext();
    return context && context->evaluate(object, predicate);
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::inboxTasks()
{
    return fetch<KNVTCDTask>(Task, inboxTasksPredicate());
}

QDateTime KNVTTaskStoreQueries::nextTaskDateAfter(const QDateTime &after)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return {};
    const Predicate placed = movedByClock();
    const QDateTime start = context->nextDate(QString::fromLatin1(Task), QStringLiteral("startDate"), after, placed);
    const QDateTime due = context->nextDate(QString::fromLatin1(Task), QStringLiteral("dueDate"), after, placed);
    if (!start.isValid() || !due.isValid())
        return start.isValid() ? start : due;
    return std::min(start, due);
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::tasksWithDatesPassingBetween(const QDateTime &from, const QDateTime &to)
{
    return fetch<KNVTCDTask>(
        Task,
        ((key("startDate") > from && key("startDate") <= to) || (key("dueDate") > from && key("dueDate") <= to))
            && movedByClock());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::todayTasks()
{
    return fetch<KNVTCDTask>(Task, todayTasksPredicate());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::nextTasks()
{
    return fetch<KNVTCDTask>(Task, nextTasksPredicate());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::scheduledTasks()
{
    return fetch<KNVTCDTask>(Task, scheduledTasksPredicate());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::somedayTasks()
{
    // "assignee == %@ AND status == %@ AND deletedDate == nil"
    return fetch<KNVTCDTask>(Task, key("assignee") == me() && key("status") == Someday && live());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::delegatedTasks()
{
    return fetch<KNVTCDTask>(Task, delegated(me()));
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::watchedTasks()
{
    KNVTCDUser *user = me();
    if (!user)
        return {};
    // Two devices can each add my watcher row before they sync; the list names a task once, or selection by the
    // task's URI would not know which row is meant.
    std::vector<KNVTCDTask *> watched;
    std::unordered_set<const KNVTCDTask *> seen;
    for (KNVTCDTaskWatcher *row : user->activeTaskWatchers()) {
        KNVTCDTask *task = row->task();
        if (task && !task->deletedDate().isValid() && seen.insert(task).second)
            watched.push_back(task);
    }
    return watched;
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::archivedTasks()
{
    // "archivedDate != nil AND deletedDate == nil"
    return fetch<KNVTCDTask>(Task, notNull("archivedDate") && live());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::archivedTasksNotInArchivedTaskList()
{
    // "archivedDate != nil AND (taskList == nil OR taskList.archivedDate == nil) AND deletedDate == nil"
    return fetch<KNVTCDTask>(
        Task, notNull("archivedDate") && (isNull("taskList") || isNull("taskList.archivedDate")) && live());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::somedayTaskWhosTaskListIsntInSomeday()
{
    // "assignee == %@ AND (taskList == nil OR taskList.status != %@)AND status == %@ AND deletedDate == nil"
    return fetch<KNVTCDTask>(Task,
                             key("assignee") == me()
                                 && (isNull("taskList") || key("taskList.status") != int(KNVTTaskListStatusSomeday))
                                 && key("status") == Someday && live());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::todayTasksForTaskList(const KNVTCDTaskList *taskList)
{
    return fetch<KNVTCDTask>(Task, key("taskList") == taskList && todayTasksPredicate());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::nextTasksForTaskList(const KNVTCDTaskList *taskList)
{
    // "assignee == %@ AND taskList == %@ && dueDate == nil AND startDate == nil AND archivedDate == nil AND status ==
    // %@ AND deletedDate == nil"
    return fetch<KNVTCDTask>(Task, key("taskList") == taskList && nextTasksPredicate());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::scheduledTasksForTaskList(const KNVTCDTaskList *taskList)
{
    // "assignee == %@ AND taskList == %@ AND (dueDate > %@ OR startDate > %@) AND archivedDate == nil && deletedDate
    // == nil"
    const QDateTime date = now();
    return fetch<KNVTCDTask>(Task,
                             key("assignee") == me() && key("taskList") == taskList
                                 && (key("dueDate") > date || key("startDate") > date) && notArchived() && live());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::delegatedTasksForTaskList(const KNVTCDTaskList *taskList)
{
    // "assignee != %@ AND creator == %@ AND taskList == %@ AND archivedDate == nil AND deletedDate == nil"
    KNVTCDUser *user = me();
    return fetch<KNVTCDTask>(Task,
                             key("assignee") != user && notNull("assignee") && key("creator") == user
                                 && key("taskList") == taskList && notArchived() && live());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::uncompletedTasksCreatedBy(const KNVTCDUser *creator,
                                                                          const KNVTCDUser *assignee)
{
    // "creator == %@ && assignee == %@ && status != %@ AND status != %@ && archivedDate == nil && deletedDate == nil"
    return fetch<KNVTCDTask>(
        Task, key("creator") == creator && key("assignee") == assignee && open() && notArchived() && live());
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::uncompletedTasksDelegatedTo(const KNVTCDUser *user)
{
    return uncompletedTasksCreatedBy(me(), user);
}

// -- Due dates -----------------------------------------------------------------------------------------------------

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::dueTasks()
{
    return fetch<KNVTCDTask>(Task, due(me(), now()));
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::dueAndTodayTasks()
{
    return fetch<KNVTCDTask>(Task, dueAndToday(me(), now()));
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::dueTodayAndInboxTasks()
{
    return fetch<KNVTCDTask>(Task, dueTodayAndInbox(me(), now()));
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::uncompletedDueTasksBeforeDate(const QDateTime &date)
{
    return fetch<KNVTCDTask>(Task, acceptedUncompletedDue(me(), dueBefore(date)));
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::uncompletedDueTasksForDay(const QDateTime &date)
{
    return fetch<KNVTCDTask>(Task, acceptedUncompletedDue(me(), dueWithinDay(date)));
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::uncompletedDueTasksAfterDate(const QDateTime &date)
{
    return fetch<KNVTCDTask>(Task, acceptedUncompletedDue(me(), dueAfter(date)));
}

// -- Counts --------------------------------------------------------------------------------------------------------

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueTasks()
{
    return count("numberOfUncompletedDueTasks", Task, due(me(), now()));
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedInboxTasks()
{
    // "assignee == %@ AND status == %@ AND taskList == nil AND archivedDate == nil && deletedDate == nil"
    return count("numberOfUncompletedInboxTasks", Task,
                 key("assignee") == me() && key("status") == Actionable && isNull("taskList") && notArchived()
                     && live());
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueAndTodayTasks()
{
    return count("numberOfUncompletedDueAndTodayTasks", Task, acceptedDueAndToday(me(), now()));
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueTodayAndInboxTasks()
{
    return count("numberOfUncompletedDueTodayAndInboxTasks", Task, dueTodayAndInbox(me(), now()));
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueTasksBeforeDate(const QDateTime &date)
{
    return count("numberOfUncompletedDueTasksBeforeDate", Task, acceptedUncompletedDue(me(), dueBefore(date)));
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueTasksForDay(const QDateTime &date)
{
    return count("numberOfUncompletedDueTasksForDay", Task, acceptedUncompletedDue(me(), dueWithinDay(date)));
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueTasksForDate(const QDateTime &date)
{
    return count("numberOfUncompletedDueTasksForDate", Task, acceptedUncompletedDue(me(), key("dueDate") <= date));
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueTasksAfterDate(const QDateTime &date)
{
    return count("numberOfUncompletedDueTasksAfterDate", Task, acceptedUncompletedDue(me(), dueAfter(date)));
}

qsizetype KNVTTaskStoreQueries::numberOfUncompletedDueAndTodayTasksForDate(const QDateTime &date)
{
    return count("numberOfUncompletedDueAndTodayTasksForDate", Task, acceptedDueAndToday(me(), date));
}

qsizetype KNVTTaskStoreQueries::numberOfCompletedOrCancelledDueAndTodayTasksForDate(const QDateTime &date)
{
    // "assignee == %@ AND (dueDate <= %@ || startDate <= %@) AND (status == %@ OR status == %@) AND
    // statusModifiedDate >= %@ AND statusModifiedDate <= %@ AND archivedDate == nil AND deletedDate == nil"
    const DayWindow day = dayWindow(date);
    return count("numberOfCompletedOrCancelledDueAndTodayTasksForDate", Task,
                 key("assignee") == me() && dueOrStartedBy(now())
                     && (key("status") == Cancelled || key("status") == Completed)
                     && key("statusModifiedDate") >= day.start && key("statusModifiedDate") < day.nextStart
                     && notArchived() && live());
}

qsizetype KNVTTaskStoreQueries::numberOfDelegatedTasks()
{
    return count("numberOfDelegatedTasks", Task, delegated(me()));
}

qsizetype KNVTTaskStoreQueries::numberOfTasksNotAssignedToMe()
{
    // "assignee != %@ AND status != %@ AND status != %@ AND archivedDate == nil AND deletedDate == nil"
    return count("numberOfTasksNotAssignedToMe", Task, key("assignee") != me() && open() && notArchived() && live());
}

qsizetype KNVTTaskStoreQueries::numberOfWatchedTasks()
{
    // "user == %@ AND deletedDate == nil AND self.task.archivedDate == nil AND self.task.deletedDate == nil"
    return count("numberOfWatchedTasks", Watcher,
                 key("user") == me() && live() && isNull("task.archivedDate") && isNull("task.deletedDate"));
}

// -- Tags and search -----------------------------------------------------------------------------------------------

Predicate KNVTTaskStoreQueries::tasksForTagsPredicate(const std::vector<KNVTCDTag *> &tags)
{
    // "deletedDate == nil", then for each tag one link of this task to it that is itself live: a tag removed from a
    // task leaves a tombstoned link behind until the removal is pushed.
    Predicate predicate = live();
    for (const KNVTCDTag *tag : tags)
        predicate = predicate && any("taggedTasks", key("tag") == tag && isNull("deletedDate"));
    return predicate;
}

Predicate KNVTTaskStoreQueries::tasksForSearchTermPredicate(const QString &term)
{
    // "(title contains[cd] %@ OR notes contains[cd] %@) AND deletedDate == nil"
    return (key("title").contains(term, ostore::Fold::CaseDiacritic)
            || key("notes").contains(term, ostore::Fold::CaseDiacritic))
        && live();
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::tasksForTags(const std::vector<KNVTCDTag *> &tags)
{
    return fetch<KNVTCDTask>(Task, tasksForTagsPredicate(tags));
}

Predicate KNVTTaskStoreQueries::openTasksPredicate()
{
    return open();
}

std::vector<KNVTCDTask *> KNVTTaskStoreQueries::tasksForSearchTerm(const QString &term)
{
    return fetch<KNVTCDTask>(Task, tasksForSearchTermPredicate(term));
}

// -- Projects and areas --------------------------------------------------------------------------------------------

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::collaborativeTaskLists()
{
    // "deletedDate == nil AND user != nil", counted per list
    std::unordered_map<KNVTCDTaskList *, int> members;
    std::vector<KNVTCDTaskList *> order;
    for (KNVTCDTaskListCollaborator *row :
         fetch<KNVTCDTaskListCollaborator>(Collaborator, isNull("deletedDate") && notNull("user")))
        if (KNVTCDTaskList *list = row->taskList())
            if (++members[list] == 2)
                order.push_back(list);
    return order;
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::projects()
{
    return fetch<KNVTCDTaskList>(TaskList, key("type") == Project);
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::areas()
{
    return fetch<KNVTCDTaskList>(TaskList, key("type") == Area);
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::activeProjects()
{
    // "type == %@ AND taskListCollaboratorStatus == %@ AND (status != %@ OR status == nil) AND archivedDate == nil
    // AND deletedDate == nil"
    return fetch<KNVTCDTaskList>(TaskList,
                                 key("type") == Project && key("taskListCollaboratorStatus") == Accepted
                                     && (key("status") != Someday || isNull("status")) && notArchived() && live());
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::activeAreas()
{
    // "type == %@ AND taskListCollaboratorStatus == %@ && (status != %@ || status == nil) AND
    // taskListCollaboratorStatus == %@ && archivedDate == nil && deletedDate == nil"
    return fetch<KNVTCDTaskList>(TaskList,
                                 key("type") == Area && key("taskListCollaboratorStatus") == Accepted
                                     && (key("status") != Someday || isNull("status")) && notArchived() && live());
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::actionableProjects()
{
    return fetch<KNVTCDTaskList>(TaskList, listsWithStatus(Project, Actionable));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::suspendedProjects()
{
    return fetch<KNVTCDTaskList>(TaskList, listsWithStatus(Project, Someday));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::completedProjects()
{
    return fetch<KNVTCDTaskList>(TaskList, listsWithStatus(Project, Completed));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::cancelledProjects()
{
    return fetch<KNVTCDTaskList>(TaskList, listsWithStatus(Project, Cancelled));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::actionableAreas()
{
    return fetch<KNVTCDTaskList>(TaskList, listsWithStatus(Area, Actionable));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::suspendedAreas()
{
    return fetch<KNVTCDTaskList>(TaskList, listsWithStatus(Area, Someday));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::pendingProjects()
{
    return fetch<KNVTCDTaskList>(TaskList, pendingLists(Project));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::pendingAreas()
{
    return fetch<KNVTCDTaskList>(TaskList, pendingLists(Area));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::archivedTaskLists()
{
    // "archivedDate != nil AND deletedDate == nil"
    return fetch<KNVTCDTaskList>(TaskList, notNull("archivedDate") && live());
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::archivedProjects()
{
    return fetch<KNVTCDTaskList>(TaskList, archivedLists(Project));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::archivedAreas()
{
    return fetch<KNVTCDTaskList>(TaskList, archivedLists(Area));
}

// -- Reviews -------------------------------------------------------------------------------------------------------

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::taskListsForReview()
{
    return taskListsOfRows(rowsForReview(me()));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::taskListsDueForReview()
{
    return taskListsOfRows(rowsDueForReview(me()));
}

qsizetype KNVTTaskStoreQueries::numberOfTaskListsForReview()
{
    return count("numberOfTaskListsForReview", Collaborator, rowsForReview(me()));
}

qsizetype KNVTTaskStoreQueries::numberOfTaskListsDueForReview()
{
    return count("numberOfTaskListsDueForReview", Collaborator, rowsDueForReview(me()));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::projectsForReview()
{
    return taskListsOfRows(rowsForReview(me()) && ofProjects());
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::projectsDueForReview()
{
    return taskListsOfRows(rowsDueForReview(me()) && ofProjects());
}

qsizetype KNVTTaskStoreQueries::numberOfProjectsForReview()
{
    return count("numberOfProjectsForReview", Collaborator, rowsForReview(me()) && ofProjects());
}

qsizetype KNVTTaskStoreQueries::numberOfProjectsDueForReview()
{
    return count("numberOfProjectsDueForReview", Collaborator, rowsDueForReview(me()) && ofProjects());
}

// -- Task-list search ----------------------------------------------------------------------------------------------

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::taskListsForSearchTerm(const QString &term)
{
    return fetch<KNVTCDTaskList>(TaskList, titleContains(term));
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::projectsForSearchTerm(const QString &term)
{
    return fetch<KNVTCDTaskList>(TaskList, titleContains(term) && key("type") == Project);
}

std::vector<KNVTCDTaskList *> KNVTTaskStoreQueries::areasForSearchTerm(const QString &term)
{
    return fetch<KNVTCDTaskList>(TaskList, titleContains(term) && key("type") == Area);
}

// -- Tags ----------------------------------------------------------------------------------------------------------

std::vector<KNVTCDTag *> KNVTTaskStoreQueries::tags()
{
    return fetch<KNVTCDTag>(Tag, live());
}

KNVTCDTag *KNVTTaskStoreQueries::tagForTitle(const QString &title)
{
    // The tag windows ask while the user types, so the title is compared as plain text, never as a pattern.
    return firstObject<KNVTCDTag>(
        Tag, key("title").equals(knvt::trimmedString(title), ostore::Fold::CaseDiacritic) && live());
}

// -- Users ---------------------------------------------------------------------------------------------------------

KNVTCDUser *KNVTTaskStoreQueries::userForNumericIdentifier(std::optional<qint64> numericIdentifier)
{
    if (!numericIdentifier)
        return nullptr;
    // "numericIdentifier == %@"
    return firstObject<KNVTCDUser>(User, key("numericIdentifier") == *numericIdentifier);
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::users()
{
    return fetch<KNVTCDUser>(User, {});
}

qsizetype KNVTTaskStoreQueries::numberOfUsers()
{
    return count("numberOfUsers", User, {});
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::sortedUsers()
{
    return fetch<KNVTCDUser>(User, {}, byDisplayName());
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::usersExcludingMe()
{
    return fetch<KNVTCDUser>(User, notMyUsername(me()));
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::sortedUsersExcludingMe()
{
    return fetch<KNVTCDUser>(User, notMyUsername(me()), byDisplayName());
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::usersExcludingUsers(const std::vector<KNVTCDUser *> &excluded)
{
    // "NONE SELF IN %@"
    return fetch<KNVTCDUser>(User, !self().in(excluded));
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::friends()
{
    return fetch<KNVTCDUser>(User, friendshipStatus(KNVTUserFriendshipStatusFriend));
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::invitedFriends()
{
    return fetch<KNVTCDUser>(User, friendshipStatus(KNVTUserFriendshipStatusInvited));
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::pendingFriends()
{
    return fetch<KNVTCDUser>(User, friendshipStatus(KNVTUserFriendshipStatusPending));
}

std::vector<KNVTCDUser *> KNVTTaskStoreQueries::taskListCollaboratorUsers()
{
    // "taskListCollaborators.@count > 0 AND ANY taskListCollaborators.deletedDate == nil AND self != %@"
    KNVTCDUser *user = me();
    Predicate predicate = ostore::where::count("taskListCollaborators") > 0 && any("taskListCollaborators", live());
    if (user)
        predicate = predicate && self() != user;
    return fetch<KNVTCDUser>(User, predicate);
}

// -- Friendship records --------------------------------------------------------------------------------------------

KNVTCDFriendship *
KNVTTaskStoreQueries::friendshipForInviterNumericIdentifier(std::optional<qint64> inviterNumericIdentifier,
                                                            std::optional<qint64> inviteeNumericIdentifier)
{
    // "inviter.numericIdentifier == %@ AND invitee.numericIdentifier == %@"
    return firstObject<KNVTCDFriendship>(Friendship,
                                         key("inviter.numericIdentifier") == inviterNumericIdentifier
                                             && key("invitee.numericIdentifier") == inviteeNumericIdentifier);
}
