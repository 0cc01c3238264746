#include "QueryFixture.h"

#include <QUrl>

namespace {

// One library that exercises every focus-list rule: lists I accepted, one shared with me and not accepted, a
// Someday list and an archived one; tasks of mine, tasks I delegated, tasks of other people, tombstones, archived
// tasks, watcher rows and tag links.
class FocusListQueries : public QueryFixture
{
protected:
    void SetUp() override
    {
        QueryFixture::SetUp();
        anna = user("anna", 3);
        bert = user("bert", 2);
        accepted = taskList("Accepted", 1, 2, 2);
        member(accepted, anna, 2, 2);
        pending = taskList("Pending", 1, 2, 1, anna);
        somedayList = taskList("Someday list", 1, 1, 2);
        archivedList = taskList("Archived list", 1, 4, 2);

        const QDateTime past = noon().addSecs(-3600);
        inboxOpen = task({.title = "inbox open"});
        task({.title = "inbox completed", .status = 4});
        task({.title = "inbox someday", .status = 1});
        duePast = task({.title = "due past", .due = past});
        task({.title = "due at midnight", .list = accepted, .due = todayAt(0)});
        task({.title = "due later today", .list = accepted, .due = todayAt(17)});
        task({.title = "started, due ahead", .list = accepted, .due = noon().addDays(1), .start = noon().addDays(-1)});
        task({.title = "pending list due", .list = pending, .due = past});
        task({.title = "no status", .status = std::nullopt, .list = accepted, .due = past});
        tombstone = task({.title = "tombstone", .due = past, .deleted = true});
        archivedDone = task({.title = "archived done", .status = 4, .archived = true});
        task({.title = "archived in archived list", .status = 4, .list = archivedList, .archived = true});
        task({.title = "archived someday", .status = 1, .archived = true});
        task({.title = "someday in someday list", .status = 1, .list = somedayList});
        delegated = task({.title = "delegated", .list = accepted, .assignee = anna});
        task({.title = "delegated done", .status = 4, .list = accepted, .assignee = anna});
        task({.title = "unassigned", .unassigned = true});
        annas = task({.title = "anna's own", .assignee = anna, .creator = anna});
        task({.title = "from anna", .list = accepted, .creator = anna});
        task({.title = "someday overdue", .status = 1, .due = past});
        task({.title = "done later", .status = 4, .list = accepted, .due = noon().addDays(1)});
        archivedList->setArchivedDate(noon().addDays(-2));

        // Two devices each added my watcher row before syncing.
        watch(me(), delegated);
        watch(me(), delegated);
        watch(me(), annas, true);
        watch(me(), archivedDone);
        watch(me(), tombstone);
        watch(anna, inboxOpen);
    }

    KNVTCDUser *anna = nullptr;
    KNVTCDUser *bert = nullptr;
    KNVTCDTaskList *accepted = nullptr;
    KNVTCDTaskList *pending = nullptr;
    KNVTCDTaskList *somedayList = nullptr;
    KNVTCDTaskList *archivedList = nullptr;
    KNVTCDTask *inboxOpen = nullptr;
    KNVTCDTask *duePast = nullptr;
    KNVTCDTask *tombstone = nullptr;
    KNVTCDTask *archivedDone = nullptr;
    KNVTCDTask *delegated = nullptr;
    KNVTCDTask *annas = nullptr;
};

TEST_F(FocusListQueries, InboxHoldsMyTasksInNoListWhateverTheirStatus)
{
    EXPECT_EQ(titles(store().inboxTasks()),
              sorted({"inbox open", "inbox completed", "inbox someday", "due past", "someday overdue"}));
    // Only actionable ones count in the badge.
    EXPECT_EQ(store().numberOfUncompletedInboxTasks(), 2);
}

TEST_F(FocusListQueries, TodayHoldsOpenTasksDueOrStartedByNow)
{
    EXPECT_EQ(titles(store().todayTasks()),
              sorted({"due past", "due at midnight", "started, due ahead", "pending list due", "no status",
                      "someday overdue"}));
    EXPECT_EQ(titles(store().dueAndTodayTasks()), titles(store().todayTasks()));
    // The badge leaves out the list whose invitation I have not accepted.
    EXPECT_EQ(store().numberOfUncompletedDueAndTodayTasks(), 5);
    EXPECT_EQ(titles(store().todayTasksForTaskList(accepted)),
              sorted({"due at midnight", "started, due ahead", "no status"}));
}

TEST_F(FocusListQueries, ATaskDueLaterTodayMovesFromScheduledToTodayWhenItsTimeComes)
{
    EXPECT_TRUE(titles(store().scheduledTasks()).contains("due later today"));
    EXPECT_FALSE(titles(store().todayTasks()).contains("due later today"));
    m_clock.setNow(todayAt(17));
    EXPECT_TRUE(titles(store().todayTasks()).contains("due later today"));
    EXPECT_FALSE(titles(store().scheduledTasks()).contains("due later today"));
}

TEST_F(FocusListQueries, ScheduledHoldsOpenTasksWithALaterDate)
{
    EXPECT_EQ(titles(store().scheduledTasks()), sorted({"due later today", "started, due ahead"}));
    // The per-list variant keeps closed tasks.
    EXPECT_EQ(titles(store().scheduledTasksForTaskList(accepted)),
              sorted({"due later today", "started, due ahead", "done later"}));
}

TEST_F(FocusListQueries, NextHoldsMyActionableTasksWithoutDates)
{
    EXPECT_EQ(titles(store().nextTasks()), sorted({"inbox open", "from anna"}));
    EXPECT_EQ(titles(store().nextTasksForTaskList(accepted)), QStringList{"from anna"});
}

TEST_F(FocusListQueries, SomedayKeepsArchivedTasks)
{
    EXPECT_EQ(titles(store().somedayTasks()),
              sorted({"inbox someday", "archived someday", "someday in someday list", "someday overdue"}));
    EXPECT_EQ(titles(store().somedayTaskWhosTaskListIsntInSomeday()),
              sorted({"inbox someday", "archived someday", "someday overdue"}));
}

TEST_F(FocusListQueries, DelegatedNeedsAnotherAssigneeNotJustNoneOfMe)
{
    EXPECT_EQ(titles(store().delegatedTasks()), QStringList{"delegated"});
    EXPECT_EQ(store().numberOfDelegatedTasks(), 1);
    EXPECT_EQ(titles(store().delegatedTasksForTaskList(accepted)), sorted({"delegated", "delegated done"}));
    EXPECT_EQ(titles(store().uncompletedTasksDelegatedTo(anna)), QStringList{"delegated"});
    EXPECT_EQ(titles(store().uncompletedTasksCreatedBy(anna, anna)), QStringList{"anna's own"});
    // "Not assigned to me" does count the unassigned task.
    EXPECT_EQ(store().numberOfTasksNotAssignedToMe(), 3);
}

TEST_F(FocusListQueries, WatchedListsEachTaskOnceAndSkipsTombstones)
{
    EXPECT_EQ(titles(store().watchedTasks()), sorted({"delegated", "archived done"}));
    // The count stays a count of rows, and leaves archived tasks out.
    EXPECT_EQ(store().numberOfWatchedTasks(), 2);
}

TEST_F(FocusListQueries, WatchedFollowsTheTitleOrderOfMyRows)
{
    const std::vector<KNVTCDTask *> watched = store().watchedTasks();
    ASSERT_EQ(watched.size(), 2u);
    EXPECT_EQ(watched[0]->title(), "archived done");
    EXPECT_EQ(watched[1]->title(), "delegated");
}

TEST_F(FocusListQueries, ArchivedLeavesOutTasksOfArchivedLists)
{
    EXPECT_EQ(titles(store().archivedTasksNotInArchivedTaskList()), sorted({"archived done", "archived someday"}));
    EXPECT_EQ(titles(store().archivedTasks()),
              sorted({"archived done", "archived in archived list", "archived someday"}));
}

TEST_F(FocusListQueries, DueCounts)
{
    EXPECT_EQ(store().numberOfUncompletedDueTasks(), 5);
    EXPECT_EQ(titles(store().dueTasks()),
              sorted({"due past", "due at midnight", "pending list due", "no status", "someday overdue"}));
    EXPECT_EQ(store().numberOfUncompletedDueTodayAndInboxTasks(), 7);
    EXPECT_EQ(titles(store().dueTodayAndInboxTasks()),
              sorted({"inbox open", "due past", "due at midnight", "started, due ahead", "pending list due",
                      "no status", "someday overdue"}));
}

TEST_F(FocusListQueries, ASavedTombstoneIsInNoListAndNoCount)
{
    save();
    const qsizetype before = store().numberOfUncompletedDueTasks();
    duePast->setNumericIdentifier(77);
    duePast->setDeletedDate(noon());
    save();
    EXPECT_EQ(store().numberOfUncompletedDueTasks(), before - 1);
    EXPECT_FALSE(titles(store().inboxTasks()).contains("due past"));
    EXPECT_FALSE(titles(store().todayTasks()).contains("due past"));
    EXPECT_FALSE(titles(store().tasksForSearchTerm("due past")).contains("due past"));
    // The lookups by identifier still find it.
    EXPECT_EQ(store().taskForNumericIdentifier(77), duePast);
}

TEST_F(FocusListQueries, TagsNeedALiveLinkForEveryTag)
{
    KNVTCDTag *work = tag("work");
    KNVTCDTag *home = tag("home");
    link(work, inboxOpen);
    link(home, inboxOpen);
    link(work, duePast);
    // The tag was removed from this task; its link waits for the push as a tombstone.
    link(home, duePast, true);
    link(home, tombstone);

    EXPECT_EQ(titles(store().tasksForTags({work, home})), QStringList{"inbox open"});
    EXPECT_EQ(titles(store().tasksForTags({work})), sorted({"inbox open", "due past"}));
    EXPECT_EQ(titles(store().tasksForTags({home})), QStringList{"inbox open"});
    EXPECT_EQ(store().tasksForTags({}).size(), store().tasks().size() - 1);
}

TEST_F(FocusListQueries, ShowsOtherPeoplesTasksOnlyWhereTheListsSaySo)
{
    EXPECT_FALSE(titles(store().inboxTasks()).contains("anna's own"));
    EXPECT_FALSE(titles(store().todayTasks()).contains("delegated"));
    EXPECT_TRUE(titles(store().tasksForSearchTerm("anna")).contains("anna's own"));
}

TEST_F(FocusListQueries, NotificationsCountPendingFriendsAndPendingLists)
{
    EXPECT_EQ(store().numberOfNotifications(), 2); // bert and the pending project
    KNVTCDTaskList *area = taskList("Pending area", 2, 2, 1, anna);
    EXPECT_EQ(store().numberOfNotifications(), 3);
    area->setArchivedDate(noon());
    EXPECT_EQ(store().numberOfNotifications(), 2);
}

class DayQueries : public QueryFixture
{};

TEST_F(DayQueries, ADayRunsFromItsMidnightToTheNext)
{
    task({.title = "first second", .due = todayAt(0)});
    task({.title = "last second", .due = todayAt(23, 59, 59)});
    auto *late = task({.title = "last half second", .due = todayAt(23, 59, 59).addMSecs(500)});
    task({.title = "next day", .due = todayAt(0).addDays(1)});
    task({.title = "day before", .due = todayAt(0).addSecs(-1)});
    ASSERT_TRUE(late->dueDate().isValid());

    EXPECT_EQ(titles(store().uncompletedDueTasksForDay(noon())),
              sorted({"first second", "last second", "last half second"}));
    EXPECT_EQ(store().numberOfUncompletedDueTasksForDay(noon()), 3);
    EXPECT_EQ(titles(store().uncompletedDueTasksBeforeDate(todayAt(0))), QStringList{"day before"});
    EXPECT_EQ(store().numberOfUncompletedDueTasksBeforeDate(todayAt(0)), 1);
    EXPECT_EQ(titles(store().uncompletedDueTasksAfterDate(todayAt(23, 59, 59))),
              sorted({"last half second", "next day"}));
    EXPECT_EQ(store().numberOfUncompletedDueTasksAfterDate(todayAt(23, 59, 59)), 2);
    EXPECT_EQ(store().numberOfUncompletedDueTasksForDate(todayAt(0)), 2);
    EXPECT_EQ(store().numberOfUncompletedDueAndTodayTasksForDate(todayAt(0).addDays(1)), 5);
}

TEST_F(DayQueries, CompletedYesterdayCountsTasksDueByNowClosedWithinThatDay)
{
    const QDateTime yesterday = noon().addDays(-1);
    auto closed = [&](const char *title, qint64 status, const QDateTime &due, const QDateTime &closedAt) {
        KNVTCDTask *t = task({.title = title, .status = status, .due = due});
        t->setStatusModifiedDate(closedAt);
    };
    closed("done yesterday, due this morning", 4, todayAt(9), yesterday);
    closed("cancelled at the last instant", 5, todayAt(9), todayAt(23, 59, 59).addDays(-1).addMSecs(500));
    closed("done today", 4, todayAt(9), noon());
    closed("done yesterday, due tonight", 4, todayAt(20), yesterday);
    EXPECT_EQ(store().numberOfCompletedOrCancelledDueAndTodayTasksForDate(yesterday), 2);
}

class LookupQueries : public QueryFixture
{};

TEST_F(LookupQueries, MeIsTheUserWithStatusSix)
{
    user("anna", 3);
    EXPECT_EQ(store().me(), me());
}

TEST_F(LookupQueries, ObjectsForURIsLeavesOutWhatNoLongerResolves)
{
    KNVTCDTask *kept = task({.title = "kept"});
    KNVTCDTask *removed = task({.title = "removed"});
    KNVTCDTask *other = task({.title = "other"});
    save();
    const QUrl removedURI = removed->uri();
    context().remove(removed);
    save();

    const QList<QUrl> uris{other->uri(), removedURI, QUrl("x-ostore://another-library/KNVTCDTask/p12"), kept->uri()};
    const std::vector<KNVTCDTaskStoreObject *> objects = store().objectsForURIs(uris);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0], other);
    EXPECT_EQ(objects[1], kept);
    EXPECT_EQ(store().objectForURI(kept->uri()), kept);
    EXPECT_EQ(store().objectForURI(removedURI), nullptr);
    EXPECT_EQ(store().objectForURI(QUrl()), nullptr);
}

TEST_F(LookupQueries, ATaskNeverPushedHasNoNumericIdentifierToFind)
{
    task({.title = "local"});
    EXPECT_EQ(store().taskForNumericIdentifier(std::nullopt), nullptr);
    EXPECT_EQ(store().taskForNumericIdentifier(5), nullptr);
}

TEST_F(LookupQueries, RowsOfAUserAreFoundInWhateverState)
{
    KNVTCDUser *anna = user("anna", 3);
    KNVTCDTaskList *list = taskList("Shared", 1, 2, 2);
    KNVTCDTaskListCollaborator *row = member(list, anna, 2, 3);
    row->setDeletedDate(noon());
    EXPECT_EQ(store().taskListCollaboratorForUser(anna, list), row);
    EXPECT_EQ(store().taskListCollaboratorForUser(anna, taskList("Other", 1, 2, 2)), nullptr);

    KNVTCDTask *t = task({.title = "watched"});
    KNVTCDTaskWatcher *watcher = watch(anna, t, true);
    EXPECT_EQ(store().taskWatcherForUser(anna, t), watcher);
    EXPECT_EQ(store().taskWatcherForUser(me(), t), nullptr);
}

TEST_F(LookupQueries, WithoutAContextEverythingIsEmpty)
{
    task({.title = "there"});
    TestTaskStore closed(nullptr);
    EXPECT_EQ(closed.me(), nullptr);
    EXPECT_TRUE(closed.inboxTasks().empty());
    EXPECT_TRUE(closed.watchedTasks().empty());
    EXPECT_TRUE(closed.objectsForURIs({QUrl("x-ostore://a/KNVTCDTask/p1")}).empty());
    EXPECT_EQ(closed.numberOfUncompletedDueAndTodayTasks(), 0);
    EXPECT_EQ(closed.numberOfNotifications(), 0);
}

namespace {
QStringList *capturedWarnings = nullptr;
void captureWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg && capturedWarnings)
        capturedWarnings->append(message);
}
} // namespace

TEST_F(LookupQueries, AFailedCountIsZeroAndLogged)
{
    task({.title = "open"});
    save();
    coordinator().close();

    QStringList warnings;
    capturedWarnings = &warnings;
    QtMessageHandler previous = qInstallMessageHandler(captureWarnings);
    const qsizetype n = store().numberOfUncompletedInboxTasks();
    qInstallMessageHandler(previous);
    capturedWarnings = nullptr;

    EXPECT_EQ(n, 0);
    ASSERT_FALSE(warnings.isEmpty());
    EXPECT_TRUE(warnings.last().startsWith("KNVTTaskStore:numberOfUncompletedInboxTasks couldn't count"))
        << qPrintable(warnings.last());
}

TEST_F(LookupQueries, SearchIgnoresCaseAndDiacriticsInTitlesAndNotes)
{
    task({.title = "Café order"});
    KNVTCDTask *noted = task({.title = "errand"});
    noted->setNotes("buy CAFE beans");
    task({.title = "tea"});
    EXPECT_EQ(titles(store().tasksForSearchTerm("cafe")), sorted({"Café order", "errand"}));
    EXPECT_TRUE(store().tasksForSearchTerm("").empty());
}

} // namespace
