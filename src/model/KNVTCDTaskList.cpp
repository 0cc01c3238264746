#include "model/KNVTCDTaskList.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceOccurrence.h"
#include "model/TitleSortKeys.h"

#include "objectstore/Where.h"

#include "foundation/Clock.h"
#include "foundation/CollectionAdditions.h"
#include "foundation/DateAdditions.h"
#include "foundation/DateFormat.h"
#include "foundation/KNVTRailsDateFormatter.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QSet>

#include <algorithm>

using namespace ostore::where;

KNVTCD_DEFINE_TO_ONE(KNVTCDTaskList, KNVTCDUser, creator, setCreator)
KNVTCD_DEFINE_TO_MANY(KNVTCDTaskList, KNVTCDTask, tasks)
KNVTCD_DEFINE_TO_MANY(KNVTCDTaskList, KNVTCDTaskListCollaborator, taskListCollaborators)

namespace {

const QString kTaskEntityName = QStringLiteral("KNVTCDTask");
const QString kTaskListCollaboratorEntityName = QStringLiteral("KNVTCDTaskListCollaborator");

QString tr(const char *text)
{
    return QCoreApplication::translate("KNVTCDTaskList", text);
}

bool isClosedStatus(std::optional<qint64> status)
{
    return status == KNVTTaskListStatusCompleted || status == KNVTTaskListStatusCancelled;
}

bool hasRole(const KNVTCDTaskListCollaborator *row)
{
    if (!row)
        return false;
    const std::optional<qint64> role = row->role();
    return role == KNVTTaskListCollaboratorRoleOwner || role == KNVTTaskListCollaboratorRoleEditor;
}

int compareTitles(const KNVTCDTaskList *a, const KNVTCDTaskList *b)
{
    return knvt::TitleSortKeys::compare(a, b);
}

// Null clears, anything else is read as a date, so a missing key clears as well.
QDateTime optionalDate(const knvt::JSONView &attributes, std::string_view key)
{
    return KNVTCDTaskStoreObject::dateFromJSON(attributes.value(key));
}

void sortTasks(std::vector<KNVTCDTask *> &tasks, const KNVTCDTaskStoreObject::Comparator &comparator)
{
    std::stable_sort(tasks.begin(), tasks.end(),
                     [&comparator](const KNVTCDTask *a, const KNVTCDTask *b) { return comparator(a, b); });
}

} // namespace

// ---- Status and type ----

KNVTTaskListStatus KNVTCDTaskList::taskListStatusForTaskListStatusString(const QString &string)
{
    if (string == QLatin1String("someday"))
        return KNVTTaskListStatusSomeday;
    if (string == QLatin1String("cancelled") || string == QLatin1String("canceled"))
        return KNVTTaskListStatusCancelled;
    if (string == QLatin1String("completed"))
        return KNVTTaskListStatusCompleted;
    return KNVTTaskListStatusActionable;
}

QString KNVTCDTaskList::taskListStatusStringForTaskListStatus(KNVTTaskListStatus status)
{
    switch (status) {
    case KNVTTaskListStatusSomeday: return QStringLiteral("someday");
    case KNVTTaskListStatusCompleted: return QStringLiteral("completed");
    case KNVTTaskListStatusCancelled: return QStringLiteral("cancelled");
    default: return QStringLiteral("actionable");
    }
}

QString KNVTCDTaskList::localizedDisplayNameForStatus(KNVTTaskListStatus status)
{
    switch (status) {
    case KNVTTaskListStatusSomeday: return tr("Someday");
    case KNVTTaskListStatusActionable: return tr("Actionable");
    case KNVTTaskListStatusCompleted: return tr("Completed");
    case KNVTTaskListStatusCancelled: return tr("Cancelled");
    default: return QString();
    }
}

bool KNVTCDTaskList::isCompleted() const
{
    return status() == KNVTTaskListStatusCompleted;
}

bool KNVTCDTaskList::isCancelled() const
{
    return status() == KNVTTaskListStatusCancelled;
}

bool KNVTCDTaskList::isCompletedOrCancelled() const
{
    return isClosedStatus(status());
}

bool KNVTCDTaskList::isProject() const
{
    return type() == KNVTTaskListTypeProject;
}

bool KNVTCDTaskList::isArea() const
{
    return type() == KNVTTaskListTypeArea;
}

// ---- Sorting ----

KNVTCDTaskStoreObject::Comparator KNVTCDTaskList::taskListComparator()
{
    return [](const KNVTCDTaskStoreObject *objectA, const KNVTCDTaskStoreObject *objectB) {
        const auto *a = static_cast<const KNVTCDTaskList *>(objectA);
        const auto *b = static_cast<const KNVTCDTaskList *>(objectB);
        const std::optional<qint64> indexA = a->taskListCollaboratorTaskListTypeOrderIndex();
        const std::optional<qint64> indexB = b->taskListCollaboratorTaskListTypeOrderIndex();
        if (indexA && indexB && *indexA != *indexB)
            return *indexA < *indexB;
        if (indexA.has_value() != indexB.has_value())
            return indexA.has_value();
        return compareTitles(a, b) < 0;
    };
}

KNVTCDTaskStoreObject::Comparator KNVTCDTaskList::reviewDateTaskListComparator()
{
    return [](const KNVTCDTaskStoreObject *objectA, const KNVTCDTaskStoreObject *objectB) {
        const auto *a = static_cast<const KNVTCDTaskList *>(objectA);
        const auto *b = static_cast<const KNVTCDTaskList *>(objectB);
        const QDateTime dateA = a->reviewDate();
        const QDateTime dateB = b->reviewDate();
        if (dateA.isValid() && dateB.isValid())
            return dateA < dateB;
        if (dateA.isValid() != dateB.isValid())
            return !dateA.isValid();
        return compareTitles(a, b) < 0;
    };
}

// ---- The local user's values ----

KNVTCDTaskListCollaborator *KNVTCDTaskList::myTaskListCollaborator() const
{
    const KNVTCDUser *me = myUser();
    if (!me)
        return nullptr;
    return taskListCollaboratorForTaskList(this, me);
}

QDateTime KNVTCDTaskList::reviewedDate() const
{
    const KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    return row ? row->reviewedDate() : QDateTime();
}

void KNVTCDTaskList::setReviewedDate(const QDateTime &date)
{
    if (KNVTCDTaskListCollaborator *row = myTaskListCollaborator())
        row->setReviewedDate(date);
}

QDateTime KNVTCDTaskList::reviewDate() const
{
    const KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    return row ? row->reviewDate() : QDateTime();
}

void KNVTCDTaskList::setReviewDate(const QDateTime &date)
{
    if (KNVTCDTaskListCollaborator *row = myTaskListCollaborator())
        row->setReviewDate(date);
}

std::shared_ptr<KNVTRecurrence> KNVTCDTaskList::reviewRecurrence() const
{
    const KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    return row ? row->reviewRecurrence() : nullptr;
}

void KNVTCDTaskList::setReviewRecurrence(const std::shared_ptr<KNVTRecurrence> &recurrence)
{
    KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    if (!row)
        return;
    row->setReviewRecurrence(recurrence);
    if (!recurrence) {
        // A review date left behind would keep the list overdue for ever: nothing moves it without a schedule.
        row->setReviewedDate(QDateTime());
        row->setReviewDate(QDateTime());
        return;
    }
    scheduleNextReview(row, *recurrence);
}

void KNVTCDTaskList::scheduleNextReview(KNVTCDTaskListCollaborator *row, const KNVTRecurrence &recurrence)
{
    const QDateTime today = knvt::todayAtZeroHundredHours();
    const std::optional<KNVTRecurrenceOccurrence> next = recurrence.nextReoccurrenceForOriginalOccurrence(
        KNVTRecurrenceOccurrence::recurrenceOccurrenceWithStartDate(today, today));
    if (next && next->startDate().isValid())
        row->setReviewDate(knvt::zeroHundredHoursDateForDate(next->startDate()));
}

bool KNVTCDTaskList::isOverdueForReview() const
{
    const QDateTime date = reviewDate();
    return date.isValid() && date <= knvt::Clock::shared().now();
}

void KNVTCDTaskList::markAsReviewed()
{
    KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    if (!row)
        return;
    row->setReviewedDate(knvt::Clock::shared().nowUTC());
    if (const std::shared_ptr<KNVTRecurrence> recurrence = row->reviewRecurrence())
        scheduleNextReview(row, *recurrence);
}

// ---- Archive ----

bool KNVTCDTaskList::isArchived() const
{
    return archivedDate().isValid();
}

void KNVTCDTaskList::setArchived(bool archived)
{
    if (archived == isArchived())
        return;
    if (archived) {
        setArchivedDate(knvt::Clock::shared().nowUTC());
        for (KNVTCDTask *task : tasks()) {
            if (!task->isArchived())
                task->setArchived(true);
        }
    } else {
        for (KNVTCDTask *task : tasks()) {
            if (task->isArchived())
                task->setArchived(false);
        }
        setArchivedDate(QDateTime());
    }
}

bool KNVTCDTaskList::isArchivable() const
{
    return openTasks().empty();
}

std::vector<KNVTCDTask *> KNVTCDTaskList::openTasks() const
{
    // A deleted task waits only for its deletion to be pushed; it is not work left to do, and completing it could
    // even bring it back as the next occurrence of its recurrence.
    std::vector<KNVTCDTask *> open;
    for (KNVTCDTask *task : tasks()) {
        if (!task->deletedDate().isValid() && !task->isArchivableWithTaskList())
            open.push_back(task);
    }
    return open;
}

// ---- Focus ----

KNVTTaskListFocusType KNVTCDTaskList::focusType() const
{
    if (isArchived())
        return KNVTTaskListFocusTypeArchived;
    const std::optional<qint64> current = status();
    if (current == KNVTTaskListStatusSomeday)
        return KNVTTaskListFocusTypeSomeday;
    if (current != KNVTTaskListStatusActionable)
        return KNVTTaskListFocusTypeNext;
    const QDateTime start = startDate();
    if (start.isValid() && start < knvt::Clock::shared().now())
        return KNVTTaskListFocusTypeToday;
    return KNVTTaskListFocusTypeNext;
}

void KNVTCDTaskList::setFocusType(KNVTTaskListFocusType focusType)
{
    KNVTFocusType taskFocus;
    switch (focusType) {
    case KNVTTaskListFocusTypeToday:
        setArchived(false);
        setStatus(KNVTTaskListStatusActionable);
        setStartDate(QDateTime());
        taskFocus = KNVTFocusTypeToday;
        break;
    case KNVTTaskListFocusTypeNext:
        setArchived(false);
        setStartDate(QDateTime());
        setDueDate(QDateTime());
        setStatus(KNVTTaskListStatusActionable);
        taskFocus = KNVTFocusTypeNext;
        break;
    case KNVTTaskListFocusTypeSomeday:
        setArchived(false);
        setStartDate(QDateTime());
        setDueDate(QDateTime());
        setStatus(KNVTTaskListStatusSomeday);
        taskFocus = KNVTFocusTypeSomeday;
        break;
    case KNVTTaskListFocusTypeArchived: performArchiveWithAlertHandler(KNVTCDTask::standardAlertHandler()); return;
    default: return;
    }
    for (KNVTCDTask *task : openTasks())
        task->setFocusType(taskFocus);
}

bool KNVTCDTaskList::isSomeday() const
{
    return focusType() == KNVTTaskListFocusTypeSomeday;
}

bool KNVTCDTaskList::isScheduled() const
{
    return focusType() == KNVTTaskListFocusTypeScheduled;
}

// ---- Members ----

std::vector<KNVTCDTaskListCollaborator *> KNVTCDTaskList::activeTaskListCollaborators() const
{
    std::vector<KNVTCDTaskListCollaborator *> rows;
    ostore::Context *ctx = context();
    if (!ctx)
        return rows;
    // "taskList == %@ && deletedDate == nil && user != nil", by "user.fullName"
    const std::vector<ostore::Object *> objects = knvt::executeFetchRequestForEntityName(
        *ctx, kTaskListCollaboratorEntityName,
        key(QStringLiteral("taskList")) == this && isNull(QStringLiteral("deletedDate"))
            && notNull(QStringLiteral("user")),
        {ostore::SortDescriptor{QStringLiteral("user.fullName"), true, ostore::Collation::Binary}});
    rows.reserve(objects.size());
    for (ostore::Object *object : objects)
        rows.push_back(static_cast<KNVTCDTaskListCollaborator *>(object));
    return rows;
}

std::vector<KNVTCDUser *> KNVTCDTaskList::activeTaskListCollaboratorUsers() const
{
    std::vector<KNVTCDUser *> users;
    for (KNVTCDTaskListCollaborator *row : activeTaskListCollaborators())
        users.push_back(row->user());
    return users;
}

KNVTCDUser *KNVTCDTaskList::owner() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return nullptr;
    // "taskList == %@ AND role == %i"
    auto *row = static_cast<KNVTCDTaskListCollaborator *>(knvt::firstObjectForFetchRequestForEntityName(
        *ctx, kTaskListCollaboratorEntityName,
        key(QStringLiteral("taskList")) == this
            && key(QStringLiteral("role")) == int(KNVTTaskListCollaboratorRoleOwner)));
    return row ? row->user() : nullptr;
}

// ---- Counts ----

qsizetype KNVTCDTaskList::numberOfTasks() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return 0;
    // "taskList == %@ && deletedDate == nil"
    return knvt::countForFetchRequestForEntityName(
        *ctx, kTaskEntityName, key(QStringLiteral("taskList")) == this && isNull(QStringLiteral("deletedDate")));
}

qsizetype KNVTCDTaskList::numberOfUncompletedTasks() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return 0;
    // "taskList == %@ AND status != %@ AND status != %@ AND deletedDate == nil"
    return knvt::countForFetchRequestForEntityName(
        *ctx, kTaskEntityName,
        key(QStringLiteral("taskList")) == this && key(QStringLiteral("status")) != int(KNVTTaskStatusCancelled)
            && key(QStringLiteral("status")) != int(KNVTTaskStatusCompleted) && isNull(QStringLiteral("deletedDate")));
}

qsizetype KNVTCDTaskList::numberOfCompletedTasks() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return 0;
    // "taskList == %@ AND (status == %@ OR status == %@) && deletedDate == nil"
    return knvt::countForFetchRequestForEntityName(
        *ctx, kTaskEntityName,
        key(QStringLiteral("taskList")) == this
            && (key(QStringLiteral("status")) == int(KNVTTaskStatusCancelled)
                || key(QStringLiteral("status")) == int(KNVTTaskStatusCompleted))
            && isNull(QStringLiteral("deletedDate")));
}

float KNVTCDTaskList::taskCompletionProgress() const
{
    const qsizetype total = numberOfTasks();
    if (total == 0)
        return 0.0f;
    return float(double(numberOfCompletedTasks()) / double(total));
}

// ---- Actions ----

namespace {

struct Confirmation
{
    const char *projectTitle;
    const char *areaTitle;
    const char *projectMessage;
    const char *areaMessage;
};

const Confirmation kArchiveConfirmation{
    QT_TRANSLATE_NOOP("KNVTCDTaskList", "Archive Project?"), QT_TRANSLATE_NOOP("KNVTCDTaskList", "Archive Area?"),
    QT_TRANSLATE_NOOP("KNVTCDTaskList",
                      "You have incomplete Tasks in this Project that need completing or "
                      "cancelling before the Project can be archived."),
    QT_TRANSLATE_NOOP("KNVTCDTaskList",
                      "You have incomplete Tasks in this Area that need completing or cancelling "
                      "before the Area can be archived.")};
const Confirmation kCompleteConfirmation{
    QT_TRANSLATE_NOOP("KNVTCDTaskList", "Complete Project?"), QT_TRANSLATE_NOOP("KNVTCDTaskList", "Complete Area?"),
    QT_TRANSLATE_NOOP(
        "KNVTCDTaskList",
        "You have incomplete Tasks in this Project that also need completing before it can be completed."),
    QT_TRANSLATE_NOOP("KNVTCDTaskList",
                      "You have incomplete Tasks in this Area that also need completing before it can be completed.")};
const Confirmation kCancelConfirmation{
    QT_TRANSLATE_NOOP("KNVTCDTaskList", "Cancel Project"), QT_TRANSLATE_NOOP("KNVTCDTaskList", "Cancel Area"),
    QT_TRANSLATE_NOOP("KNVTCDTaskList",
                      "You have incomplete Tasks in this Project that also need to be cancelled "
                      "before it can be cancelled."),
    QT_TRANSLATE_NOOP("KNVTCDTaskList",
                      "You have incomplete Tasks in this Area that also need to be cancelled "
                      "before it can be cancelled.")};

void report(const KNVTCDTaskList::CompletionHandler &completionHandler, bool done)
{
    if (completionHandler)
        completionHandler(done);
}

// Asks the question of `confirmation` for `list`. The index handler may run much later: when the list's library has
// been closed by then, the answer can no longer be acted on and counts as declined.
void confirm(KNVTCDTaskList *list, const Confirmation &confirmation, const QStringList &buttonTitles, int cancelIndex,
             const KNVTAlertHandler &alertHandler, const KNVTCDTaskList::CompletionHandler &completionHandler,
             std::function<bool(int index)> act)
{
    const bool project = list->isProject();
    const QString title = tr(project ? confirmation.projectTitle : confirmation.areaTitle);
    const QString message = tr(project ? confirmation.projectMessage : confirmation.areaMessage);
    QPointer<ostore::Context> context(list->context());
    alertHandler(title, message, buttonTitles, cancelIndex, -1,
                 [context, act = std::move(act), completionHandler](int index) {
                     report(completionHandler, context && act(index));
                 });
}

// Completes (or cancels) the open tasks, then the list itself.
void closeWithTasks(KNVTCDTaskList *list, const std::vector<KNVTCDTask *> &open, bool cancel)
{
    for (KNVTCDTask *task : open)
        cancel ? task->markAsCancelled() : task->markAsCompleted();
    cancel ? list->markAsCancelled() : list->markAsCompleted();
}

// Marking a list completed or cancelled: at once when no task is open, else after the user agreed to close them too.
void performClose(KNVTCDTaskList *list, const std::vector<KNVTCDTask *> &open, bool cancel,
                  const KNVTAlertHandler &alertHandler, const KNVTCDTaskList::CompletionHandler &completionHandler)
{
    if (open.empty()) {
        if (!(cancel ? list->isCancelled() : list->isCompleted()))
            closeWithTasks(list, open, cancel);
        report(completionHandler, true);
        return;
    }
    const QStringList buttons{cancel ? tr("Mark As Cancelled") : tr("Mark As Completed"), tr("Cancel")};
    confirm(list, cancel ? kCancelConfirmation : kCompleteConfirmation, buttons, 1, alertHandler, completionHandler,
            [list, open, cancel](int index) {
                if (index != 0)
                    return false;
                closeWithTasks(list, open, cancel);
                return true;
            });
}

} // namespace

void KNVTCDTaskList::performArchiveWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                                    const CompletionHandler &completionHandler)
{
    const std::vector<KNVTCDTask *> open = openTasks();
    if (open.empty()) {
        if (!isCompletedOrCancelled())
            markAsCompleted();
        setArchived(true);
        report(completionHandler, true);
        return;
    }
    const QStringList buttons{tr("Mark Tasks as Completed"), tr("Mark as Cancelled"), tr("Cancel")};
    confirm(this, kArchiveConfirmation, buttons, 2, alertHandler, completionHandler, [this, open](int index) {
        if (index != 0 && index != 1)
            return false;
        closeWithTasks(this, open, /*cancel*/ index == 1);
        setArchived(true);
        return true;
    });
}

void KNVTCDTaskList::performMarkAsCompletedWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                                            const CompletionHandler &completionHandler)
{
    performClose(this, openTasks(), /*cancel*/ false, alertHandler, completionHandler);
}

void KNVTCDTaskList::performMarkAsCancelledWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                                            const CompletionHandler &completionHandler)
{
    performClose(this, openTasks(), /*cancel*/ true, alertHandler, completionHandler);
}

void KNVTCDTaskList::archive()
{
    for (KNVTCDTask *task : openTasks())
        task->markAsCancelled();
    markAsCompleted();
    setArchived(true);
}

void KNVTCDTaskList::unarchive()
{
    if (isArchived())
        setArchived(false);
}

void KNVTCDTaskList::markAsCompleted()
{
    setStatus(KNVTTaskListStatusCompleted);
}

void KNVTCDTaskList::markAsCancelled()
{
    setStatus(KNVTTaskListStatusCancelled);
}

void KNVTCDTaskList::markAsUncompleted()
{
    setStatus(KNVTTaskListStatusActionable);
    if (isArchived())
        unarchive();
}

void KNVTCDTaskList::markAsDeleted()
{
    if (numericIdentifier()) {
        setDeletedDate(knvt::Clock::shared().nowUTC());
        return;
    }
    if (ostore::Context *ctx = context())
        ctx->remove(this);
}

// ---- Permissions ----

bool KNVTCDTaskList::canView() const
{
    return myTaskListCollaborator() != nullptr;
}

bool KNVTCDTaskList::canEdit() const
{
    const KNVTCDUser *listOwner = owner();
    return listOwner && listOwner == myUser();
}

bool KNVTCDTaskList::canRemove() const
{
    return canEdit();
}

bool KNVTCDTaskList::canShare() const
{
    return canEdit();
}

bool KNVTCDTaskList::canReview() const
{
    return hasRole(myTaskListCollaborator());
}

bool KNVTCDTaskList::canEditTasks() const
{
    return !isArchived() && canReview();
}

bool KNVTCDTaskList::canAddTasks() const
{
    return canEditTasks();
}

bool KNVTCDTaskList::canRemoveTasks() const
{
    return canEditTasks();
}

bool KNVTCDTaskList::canAddTask(const KNVTCDTask *task) const
{
    return task && task->canMove() && canAddTasks();
}

bool KNVTCDTaskList::canUnsubscribe() const
{
    const KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    return row && row->role() != KNVTTaskListCollaboratorRoleOwner;
}

// ---- Sharing ----

bool KNVTCDTaskList::isCollaborative() const
{
    return activeTaskListCollaborators().size() > 1;
}

bool KNVTCDTaskList::isShared() const
{
    if (!isCollaborative())
        return false;
    const KNVTCDUser *listOwner = owner();
    return listOwner && listOwner == myUser();
}

bool KNVTCDTaskList::isSubscribed() const
{
    if (!isCollaborative())
        return false;
    const KNVTCDUser *listOwner = owner();
    return !listOwner || listOwner != myUser();
}

bool KNVTCDTaskList::isCollaboratingUser(const KNVTCDUser *user) const
{
    if (!user)
        return false;
    const KNVTCDTaskListCollaborator *row = taskListCollaboratorForTaskList(this, user);
    return row && !row->deletedDate().isValid();
}

void KNVTCDTaskList::performStopSharingWithAlertHandler(const KNVTAlertHandler &alertHandler,
                                                        const CompletionHandler &completionHandler)
{
    if (!isShared())
        return;
    // Fixed texts: only the cancel button goes through the translations.
    const bool project = isProject();
    const QString question = (project ? QStringLiteral("Are you sure that you want to stop sharing the Project \"%1\"?")
                                      : QStringLiteral("Are you sure that you want to stop sharing the Area \"%1\"?"))
                                 .arg(title());
    const QString message = project
        ? QStringLiteral("If you stop sharing the project, all of the current collaborators will be removed "
                         "from it, and they will be unable to complete any of the Task assigned to them.")
        : QStringLiteral("If you stop sharing the area, all of the current collaborators will be removed "
                         "from it, and they will be unable to complete any of the Task assigned to them.");
    const QStringList buttons{QStringLiteral("Stop Sharing"), tr("Cancel")};
    QPointer<ostore::Context> ctx(context());
    alertHandler(question, message, buttons, 1, 0, [this, ctx, completionHandler](int index) {
        const bool stop = ctx && index == 0;
        if (stop)
            stopSharing();
        report(completionHandler, stop);
    });
}

void KNVTCDTaskList::stopSharing()
{
    if (!isShared())
        return;
    KNVTCDUser *listOwner = owner();
    QSet<KNVTCDUser *> members;
    for (KNVTCDTaskListCollaborator *row : activeTaskListCollaborators())
        members.insert(row->user());
    QSet<KNVTCDUser *> added;
    QSet<KNVTCDUser *> removed;
    knvt::comparedToSet(members, QSet<KNVTCDUser *>{listOwner}, added, removed);

    const QDateTime now = knvt::Clock::shared().now();
    for (KNVTCDUser *member : std::as_const(removed)) {
        for (KNVTCDTaskListCollaborator *row : activeTaskListCollaborators()) {
            if (row->user() != member)
                continue;
            // The service must withdraw the member's access as well: a row it knows is tombstoned, and the next
            // push sends its DELETE. Deleting it here would only hide it until the list's next pull.
            if (row->numericIdentifier()) {
                row->setDeletedDate(now);
            } else {
                row->setUser(nullptr);
                row->setTaskList(nullptr);
                if (ostore::Context *ctx = row->context())
                    ctx->remove(row);
            }
        }
    }
}

KNVTCDTaskListCollaborator *KNVTCDTaskList::unsubscribe()
{
    KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    if (row)
        setTaskListCollaboratorStatus(KNVTTaskListCollaboratorStatusDeclined);
    return row;
}

bool KNVTCDTaskList::resendInvitations()
{
    for (KNVTCDTaskListCollaborator *row : activeTaskListCollaborators()) {
        const std::optional<qint64> rowStatus = row->status();
        if (rowStatus == KNVTTaskListCollaboratorStatusPending || rowStatus == KNVTTaskListCollaboratorStatusDeclined)
            row->setStatus(KNVTTaskListCollaboratorStatusPending);
    }
    return true;
}

// ---- Wire mapping ----

QJsonObject KNVTCDTaskList::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &key : keys) {
        if (key == QLatin1String("archivedDate")) {
            attributes.insert(QStringLiteral("archived_at"), JSONValueFromDate(archivedDate()));
        } else if (key == QLatin1String("deletedDate")) {
            attributes.insert(QStringLiteral("deleted_at"), JSONValueFromDate(deletedDate()));
        } else if (key == QLatin1String("dueDate")) {
            attributes.insert(QStringLiteral("due_at"), JSONValueFromDate(dueDate()));
        } else if (key == QLatin1String("notes")) {
            const QString text = notes();
            attributes.insert(QStringLiteral("description"), text.isNull() ? QJsonValue(QJsonValue::Null) : text);
        } else if (key == QLatin1String("startDate")) {
            attributes.insert(QStringLiteral("start_at"), JSONValueFromDate(startDate()));
        } else if (key == QLatin1String("status")) {
            attributes.insert(QStringLiteral("status"),
                              taskListStatusStringForTaskListStatus(KNVTTaskListStatus(status().value_or(0))));
        } else if (key == QLatin1String("statusModifiedDate")) {
            attributes.insert(QStringLiteral("status_updated_at"), JSONValueFromDate(statusModifiedDate()));
        } else if (key == QLatin1String("type")) {
            attributes.insert(QStringLiteral("task_list_type"),
                              isProject() ? QStringLiteral("project") : QStringLiteral("area"));
        } else if (key == QLatin1String("title")) {
            const QString text = title();
            attributes.insert(QStringLiteral("title"), text.isEmpty() ? QJsonValue(QJsonValue::Null) : text);
        }
    }
    return attributes;
}

bool KNVTCDTaskList::mergesRegardlessOfDate() const
{
    return needsUpdating() == true;
}

void KNVTCDTaskList::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);

    // Whether the service's copy is newer than the one last applied, before anything is written.
    bool newer = true;
    if (createdDate().isValid()) {
        const QDateTime local = modifiedDate();
        const QDateTime remote = dateFromJSON(attributes.value("updated_at"));
        newer = !local.isValid() || (remote.isValid() && local < remote);
    }

    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);

    // Written directly: the tasks keep their own archive state from the service.
    setArchivedDate(optionalDate(attributes, "archived_at"));

    if (KNVTCDUser *user = relatedUserWithAttributes(attributes, "creator"))
        setCreator(user);

    setDueDate(optionalDate(attributes, "due_at"));

    setNotes(attributes.value("description").toString());

    setStartDate(optionalDate(attributes, "start_at"));

    const knvt::JSONView statusValue = attributes.value("status");
    if (statusValue.isString())
        setStatus(taskListStatusForTaskListStatusString(statusValue.toString()));
    // After the status, whose write stamps now.
    setStatusModifiedDate(optionalDate(attributes, "status_updated_at"));

    const knvt::JSONView typeValue = attributes.value("task_list_type");
    if (typeValue.isString())
        setType(typeValue.utf8() == "project" ? KNVTTaskListTypeProject : KNVTTaskListTypeArea);

    const knvt::JSONView titleValue = attributes.value("title");
    if (titleValue.isString())
        setTitle(titleValue.toString());

    const knvt::JSONView collaborators = attributes.value("task_list_collaborators");
    if (collaborators.isArray())
        updateTaskListCollaboratorsWithAttributes(collaborators, NestedMerge::Reconcile);

    const knvt::JSONView taskElements = attributes.value("tasks");
    if (taskElements.isArray()) {
        updateTasksWithAttributes(taskElements, NestedMerge::Reconcile);
    } else if (newer) {
        setNeedsUpdating(true);
    }

    clearChangedKeys();
}

void KNVTCDTaskList::insertMissingNestedObjectsWithAttributes(const knvt::JSONView &attributes)
{
    const knvt::JSONView collaborators = attributes.value("task_list_collaborators");
    if (collaborators.isArray())
        updateTaskListCollaboratorsWithAttributes(collaborators, NestedMerge::InsertMissing);
    const knvt::JSONView taskElements = attributes.value("tasks");
    if (taskElements.isArray())
        updateTasksWithAttributes(taskElements, NestedMerge::InsertMissing);
}

void KNVTCDTaskList::updateTaskListCollaboratorsWithAttributes(const knvt::JSONView &elements, NestedMerge merge)
{
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    std::vector<KNVTCDTaskListCollaborator *> remaining = taskListCollaborators();
    bool complete = true;
    for (const knvt::JSONView &value : elements) {
        // A row is matched by its user: one without a readable user could only be taken for a row of nobody.
        const std::optional<knvt::JSONView> readable = readableNestedElement("task_list_collaborators", value);
        if (!readable) {
            complete = false;
            continue;
        }
        const knvt::JSONView &element = *readable;
        const qint64 userIdentifier = element.value("user_id").toInteger();
        auto match = remaining.end();
        for (auto it = remaining.begin(); it != remaining.end(); ++it) {
            const KNVTCDUser *member = (*it)->user();
            const qint64 memberIdentifier = member ? member->numericIdentifier().value_or(0) : 0;
            if ((*it)->taskList() == this && memberIdentifier == userIdentifier)
                match = it;
        }
        if (match != remaining.end()) {
            KNVTCDTaskListCollaborator *row = *match;
            remaining.erase(match);
            row->mergeAttributes(element);
        } else {
            auto *row = knvt::insertObjectForFill<KNVTCDTaskListCollaborator>(*ctx);
            row->mergeAttributes(element);
        }
    }
    if (merge == NestedMerge::InsertMissing || !complete)
        return;
    for (KNVTCDTaskListCollaborator *row : remaining) {
        if (row->numericIdentifier())
            ctx->remove(row);
    }
}

void KNVTCDTaskList::updateTasksWithAttributes(const knvt::JSONView &elements, NestedMerge merge)
{
    PulledTasks pulled(*this, merge);
    for (const knvt::JSONView &value : elements)
        pulled.apply(*this, value);
    pulled.finish(*this);
}

KNVTCDTaskList::PulledTasks::PulledTasks(const KNVTCDTaskList &list, NestedMerge merge, PulledTaskHandler *handler)
    : m_merge(merge), m_handler(handler)
{
    const std::vector<KNVTCDTask *> tasks = list.tasks();
    m_before.reserve(tasks.size());
    for (const KNVTCDTask *task : tasks)
        m_before.push_back(task->objectID());
    m_named.reserve(qsizetype(tasks.size()));
}

void KNVTCDTaskList::PulledTasks::apply(KNVTCDTaskList &list, const knvt::JSONView &value)
{
    ostore::Context *ctx = list.context();
    if (!ctx)
        return;
    // Applied as part of the list's own fill, whenever it runs: a task joining a completed list does not reopen it.
    UpdatingScope updating(list);
    const std::optional<knvt::JSONView> readable = readableNestedElement("tasks", value);
    if (!readable) {
        m_complete = false;
        return;
    }
    const knvt::JSONView &element = *readable;
    KNVTCDTask *task = list.taskForNumericIdentifier(numericIdentifierFromJSON(element.value("id")));
    if (task) {
        // Marked in a set: erasing each from the list of the tasks before made a list of thousands of tasks cost the
        // square of their number.
        m_named.insert(task->objectID());
        if (m_handler) {
            m_handler->mergePulledTask(*task, element);
            return;
        }
    } else {
        task = knvt::insertObjectForFill<KNVTCDTask>(*ctx);
    }
    task->mergeAttributes(element);
}

void KNVTCDTaskList::PulledTasks::finish(KNVTCDTaskList &list)
{
    ostore::Context *ctx = list.context();
    if (!ctx || m_merge == NestedMerge::InsertMissing)
        return;
    UpdatingScope updating(list);
    if (m_complete) {
        for (const ostore::ObjectID &id : m_before) {
            if (m_named.contains(id))
                continue;
            auto *task = static_cast<KNVTCDTask *>(ctx->existingObject(id));
            if (!task || task->isDeleted() || !task->numericIdentifier() || task->taskList() != &list)
                continue;
            if (m_handler) {
                m_handler->pulledTaskMissing(list, *task);
                continue;
            }
            // A task changed on this device (moved into this list, above all) may be missing from the service's array
            // only because its change has not been pushed yet; deleting it would lose what the user did. Its push
            // settles it: the service takes the change, or answers that it no longer has the task.
            if (task->changedKeys().isEmpty())
                ctx->remove(task);
        }
    }
    if (list.needsUpdating().has_value())
        list.setNeedsUpdating(std::nullopt);
}

void KNVTCDTaskList::setToBeFetchedAgain(bool again)
{
    UpdatingScope updating(*this);
    if (again)
        setNeedsUpdating(true);
    else if (needsUpdating().has_value())
        setNeedsUpdating(std::nullopt);
}

bool KNVTCDTaskList::hasUnpushedMembershipChange() const
{
    const KNVTCDTaskListCollaborator *row = myTaskListCollaborator();
    return row && row->changedKeys().contains(QLatin1String("status"));
}

// ---- Change tracking ----

bool KNVTCDTaskList::excludesChangedKey(std::string_view key) const
{
    return key == "tasks" || key == "taskListCollaboratorStatus" || key == "taskListCollaboratorTaskListTypeOrderIndex"
        || key == "creator";
}

void KNVTCDTaskList::didChangeValue(std::string_view key)
{
    if (key == "status") {
        // A fill writes the service's status date right after the status; reading the clock would be wasted.
        if (!isUpdatingWithAttributes())
            setStatusModifiedDate(knvt::Clock::shared().nowUTC());
        const std::optional<qint64> current = status();
        const bool open =
            current == KNVTTaskListStatusSomeday || current == KNVTTaskListStatusActionable || current == 3;
        // Reopening a list here takes it out of the archive. The service's copy says where the list stands by its own
        // archive date, whatever its status: a list archived on another device without being closed stays archived.
        if (open && isArchived() && !isUpdatingWithAttributes())
            unarchive();
    } else if (key == "taskListCollaboratorStatus") {
        if (KNVTCDTaskListCollaborator *row = myTaskListCollaborator()) {
            const std::optional<qint64> mirror = taskListCollaboratorStatus();
            if (row->status().value_or(0) != mirror.value_or(0))
                row->setStatus(mirror);
        }
    } else if (key == "taskListCollaboratorTaskListTypeOrderIndex") {
        if (KNVTCDTaskListCollaborator *row = myTaskListCollaborator()) {
            const std::optional<qint64> mirror = taskListCollaboratorTaskListTypeOrderIndex();
            if (row->taskListTypeOrderIndex().value_or(0) != mirror.value_or(0))
                row->setTaskListTypeOrderIndex(mirror);
        }
    }
    KNVTCDTaskStoreObject::didChangeValue(key);
}

void KNVTCDTaskList::didChangeToMany(std::string_view key, ostore::Mutation mutation,
                                     const std::vector<ostore::Object *> &objects)
{
    KNVTCDTaskStoreObject::didChangeToMany(key, mutation, objects);
    if (key != "tasks" || !isCompletedOrCancelled())
        return;
    // Data from the service carries the service's status: an open task inside a completed list is legitimate
    // there, and un-completing the list here would only make this device disagree without telling anyone.
    if (isUpdatingWithAttributes())
        return;
    for (ostore::Object *object : objects) {
        if (static_cast<const KNVTCDTask *>(object)->isUpdatingWithAttributes())
            return;
    }
    for (const KNVTCDTask *task : tasks()) {
        if (task->deletedDate().isValid())
            continue;
        if (!isClosedStatus(task->status())) {
            markAsUncompleted();
            return;
        }
    }
}

// ---- Text forms ----

QString KNVTCDTaskList::pasteboardString() const
{
    return title();
}

QString KNVTCDTaskList::HTMLStringForPrinting() const
{
    QString html = QStringLiteral("<div class=\"page_title\">%1</div>").arg(title().toHtmlEscaped());

    // A someday list prints its someday tasks with the others instead of in a group of their own.
    KNVTCDTask::PrintGroups printed = KNVTCDTask::printGroups(tasks(), status() != KNVTTaskListStatusSomeday);
    auto &[incomplete, scheduled, someday, completed] = printed;

    struct Group
    {
        const char *name;
        std::vector<KNVTCDTask *> *tasks;
        Comparator comparator;
    };
    const Group groups[] = {
        {QT_TRANSLATE_NOOP("KNVTCDTaskList", "Incomplete"), &incomplete, KNVTCDTask::uncompletedTaskComparator()},
        {QT_TRANSLATE_NOOP("KNVTCDTaskList", "Scheduled"), &scheduled, KNVTCDTask::scheduledTaskComparator()},
        {QT_TRANSLATE_NOOP("KNVTCDTaskList", "Someday"), &someday, KNVTCDTask::somedayTaskComparator()},
        {QT_TRANSLATE_NOOP("KNVTCDTaskList", "Completed"), &completed, completedObjectComparator()},
    };
    for (const Group &group : groups) {
        if (group.tasks->empty())
            continue;
        html += QStringLiteral("<div class=\"group_header\">%1</div>").arg(tr(group.name));
        sortTasks(*group.tasks, group.comparator);
        for (const KNVTCDTask *task : *group.tasks)
            html += task->HTMLOverviewStringForPrinting();
    }
    return html;
}

QString KNVTCDTaskList::HTMLOverviewStringForPrinting() const
{
    QString html = QStringLiteral("<div class=\"task_list\">");
    const QString text = title();
    if (!text.isEmpty()) {
        // Only the tasks the page shows are counted: deleted ones wait only for their push.
        const qsizetype count = numberOfTasks();
        html += QStringLiteral("<div class=\"title\">") + text.toHtmlEscaped()
            + (count == 1 ? QStringLiteral(" (%1 Item)") : QStringLiteral(" (%1 Items)")).arg(count)
            + QStringLiteral("</div>");
    }
    // A status without a name (never written by this program) gets no line rather than an empty one.
    if (const std::optional<qint64> current = status()) {
        const QString name = localizedDisplayNameForStatus(KNVTTaskListStatus(*current));
        if (!name.isNull())
            html += QStringLiteral("<div class=\"status\"> Status: ") + name + QStringLiteral("</div>");
    }
    if (isCompletedOrCancelled()) {
        const knvt::DateFormat format(knvt::DateFormat::Style::Medium, knvt::DateFormat::Style::None);
        html += QStringLiteral("<div class=\"completed_date\">")
            + QStringLiteral("Completed: %1").arg(format.stringFromDate(statusModifiedDate()))
            + QStringLiteral("</div>");
    }
    html += QStringLiteral("</div>");
    return html;
}

QString KNVTCDTaskList::shareActivityText() const
{
    QString text = title() + QStringLiteral("\n\n\n");

    const bool archivedList = isArchived();
    const bool somedayList = status() == KNVTTaskListStatusSomeday;
    std::vector<KNVTCDTask *> incomplete, scheduled, someday, completed, archived;
    for (KNVTCDTask *task : tasks()) {
        if (task->deletedDate().isValid())
            continue;
        if (task->isArchived() && !archivedList)
            archived.push_back(task);
        else if (task->status() == KNVTTaskStatusSomeday && !somedayList)
            someday.push_back(task);
        else if (task->isCompletedOrCancelled())
            completed.push_back(task);
        else if (task->isScheduled())
            scheduled.push_back(task);
        else
            incomplete.push_back(task);
    }

    struct Group
    {
        QString heading;
        std::vector<KNVTCDTask *> *tasks;
        Comparator comparator;
    };
    const Group groups[] = {
        {QString(), &incomplete, KNVTCDTask::uncompletedTaskComparator()},
        {QStringLiteral("Scheduled:\n\n\n"), &scheduled, KNVTCDTask::scheduledTaskComparator()},
        {QStringLiteral("Someday:\n\n\n"), &someday, KNVTCDTask::somedayTaskComparator()},
        {QStringLiteral("Completed:\n\n\n"), &completed, completedObjectComparator()},
        {QStringLiteral("Archived:\n\n\n"), &archived, archivedObjectComparator()},
    };
    for (const Group &group : groups) {
        if (group.tasks->empty())
            continue;
        text += group.heading;
        sortTasks(*group.tasks, group.comparator);
        for (const KNVTCDTask *task : *group.tasks)
            text += task->shareActivityText() + QStringLiteral("\n\n");
    }
    return text;
}
