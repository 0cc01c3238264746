#include "TaskStoreTest.h"

using namespace ostore::where;

using TaskStoreFactoriesTest = TaskStoreTest;

namespace {

KNVTCDTaskListCollaborator *onlyCollaborator(KNVTCDTaskList *list)
{
    const std::vector<KNVTCDTaskListCollaborator *> rows = list->taskListCollaborators();
    EXPECT_EQ(rows.size(), 1u);
    return rows.empty() ? nullptr : rows.front();
}

} // namespace

TEST_F(TaskStoreFactoriesTest, ATaskKeepsItsTitleAsGivenAndBelongsToMe)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *task = s.taskWithTitle("  spaced  ");
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->title(), "  spaced  ");
    EXPECT_EQ(task->creator(), s.me());
    EXPECT_EQ(task->assignee(), s.me());
    EXPECT_TRUE(task->isInserted()) << "factories leave saving to the caller";
}

TEST_F(TaskStoreFactoriesTest, ProjectsAndAreasGetTrimmedTitlesAndAnOwnerRow)
{
    KNVTTaskStore &s = store();
    KNVTCDTaskList *project = s.projectWithTitle("\n Garden \t");
    KNVTCDTaskList *area = s.areaWithTitle(" Home ");
    ASSERT_NE(project, nullptr);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(project->title(), "Garden");
    EXPECT_EQ(project->type(), 1);
    EXPECT_EQ(area->title(), "Home");
    EXPECT_EQ(area->type(), 2);
    EXPECT_EQ(project->creator(), s.me());

    KNVTCDTaskListCollaborator *owner = onlyCollaborator(project);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->user(), s.me());
    EXPECT_EQ(owner->role(), 1);
    EXPECT_EQ(owner->status(), 2);
    EXPECT_EQ(owner->taskListTypeOrderIndex(), 0) << "the first project";
}

TEST_F(TaskStoreFactoriesTest, ANewProjectSharesTheHighestIndexOfItsType)
{
    KNVTTaskStore &s = store();
    KNVTCDTaskList *first = s.projectWithTitle("First");
    onlyCollaborator(first)->setTaskListTypeOrderIndex(7);
    KNVTCDTaskList *area = s.areaWithTitle("Area");
    onlyCollaborator(area)->setTaskListTypeOrderIndex(12);
    save();

    // Someone else's row counts too, and so does a tombstoned one.
    KNVTCDUser *friendUser = insertUser("Friend");
    KNVTCDTaskList *shared = s.projectWithTitle("Shared");
    auto *theirs = s.taskListCollaboratorWithUser(friendUser, shared, 2);
    theirs->setTaskListTypeOrderIndex(9);
    theirs->setDeletedDate(startDate());

    EXPECT_EQ(onlyCollaborator(s.projectWithTitle("Second"))->taskListTypeOrderIndex(), 9);
    EXPECT_EQ(onlyCollaborator(s.areaWithTitle("Other area"))->taskListTypeOrderIndex(), 12);
}

TEST_F(TaskStoreFactoriesTest, ATagNeedsATitleThatIsNotBlank)
{
    KNVTTaskStore &s = store();
    context();
    EXPECT_EQ(s.tagWithTitle("  "), nullptr);
    EXPECT_EQ(s.tagWithTitle(QString()), nullptr);
    EXPECT_EQ(count<KNVTCDTag>(s), 0);

    KNVTCDTag *tag = s.tagWithTitle(" word ");
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->title(), "word");
    EXPECT_EQ(tag->creator(), s.me());
}

TEST_F(TaskStoreFactoriesTest, ACommentIsMineAndDatedNow)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *task = s.taskWithTitle("Commented");
    KNVTCDTaskComment *comment = s.commentWithText("Looks good", task);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->text(), "Looks good");
    EXPECT_EQ(comment->user(), s.me());
    EXPECT_EQ(comment->task(), task);
    EXPECT_EQ(comment->createdDate(), startDate());
    EXPECT_EQ(comment->modifiedDate(), startDate());
}

TEST_F(TaskStoreFactoriesTest, AnInvitedCollaboratorIsPendingWithTheGivenRole)
{
    KNVTTaskStore &s = store();
    KNVTCDTaskList *project = s.projectWithTitle("Shared");
    KNVTCDUser *friendUser = insertUser("Friend");
    KNVTCDTaskListCollaborator *row = s.taskListCollaboratorWithUser(friendUser, project, 2);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->user(), friendUser);
    EXPECT_EQ(row->taskList(), project);
    EXPECT_EQ(row->status(), 1);
    EXPECT_EQ(row->role(), 2);
}

TEST_F(TaskStoreFactoriesTest, WatchingAgainRevivesALocalRemovalButNotOneFromTheService)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *task = s.taskWithTitle("Watched");
    KNVTCDUser *me = s.me();

    KNVTCDTaskWatcher *watcher = s.taskWatcherWithUser(me, task);
    ASSERT_NE(watcher, nullptr);
    EXPECT_EQ(watcher->user(), me);
    EXPECT_EQ(watcher->task(), task);
    EXPECT_EQ(s.taskWatcherWithUser(me, task), watcher) << "a live row is returned as it is";

    // Removed here after its last push: the same row comes back.
    watcher->setNumericIdentifier(41);
    watcher->setModifiedDate(startDate().addSecs(-60));
    s.removeTaskWatcher(watcher);
    ASSERT_TRUE(watcher->deletedDate().isValid());
    EXPECT_EQ(s.taskWatcherWithUser(me, task), watcher);
    EXPECT_FALSE(watcher->deletedDate().isValid());

    // Removed by the service (its date is not later than the row's): a new row, the tombstone stays.
    watcher->setDeletedDate(startDate().addSecs(-120));
    KNVTCDTaskWatcher *renewed = s.taskWatcherWithUser(me, task);
    ASSERT_NE(renewed, nullptr);
    EXPECT_NE(renewed, watcher);
    EXPECT_TRUE(watcher->deletedDate().isValid());
    EXPECT_EQ(count<KNVTCDTaskWatcher>(s), 2);
}

TEST_F(TaskStoreFactoriesTest, RemovalTombstonesWhatTheServiceKnowsAndDeletesTheRest)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *synced = s.taskWithTitle("Synced");
    synced->setNumericIdentifier(1);
    KNVTCDTask *local = s.taskWithTitle("Local");
    KNVTCDTag *syncedTag = s.tagWithTitle("synced");
    syncedTag->setNumericIdentifier(2);
    KNVTCDTag *localTag = s.tagWithTitle("local");
    save();

    m_clock.advance(5);
    EXPECT_TRUE(s.removeTask(synced));
    EXPECT_TRUE(s.removeTask(local));
    EXPECT_TRUE(s.removeTag(syncedTag));
    EXPECT_TRUE(s.removeTag(localTag));
    EXPECT_EQ(synced->deletedDate(), startDate().addSecs(5));
    EXPECT_FALSE(synced->isDeleted());
    EXPECT_TRUE(local->isDeleted());
    EXPECT_EQ(syncedTag->deletedDate(), startDate().addSecs(5));
    EXPECT_TRUE(localTag->isDeleted());
    save();
    EXPECT_EQ(count<KNVTCDTask>(s), 1);
    EXPECT_EQ(count<KNVTCDTag>(s), 1);
}

TEST_F(TaskStoreFactoriesTest, RemovingALocalListRemovesItsTasksAndDetachesTheirTombstones)
{
    KNVTTaskStore &s = store();
    KNVTCDTaskList *list = s.projectWithTitle("Local list");
    KNVTCDTask *live = s.taskWithTitle("Live");
    live->moveToTaskList(list);
    KNVTCDTask *syncedLive = s.taskWithTitle("Synced live");
    syncedLive->setNumericIdentifier(10);
    syncedLive->moveToTaskList(list);
    KNVTCDTask *tombstone = s.taskWithTitle("Tombstone");
    tombstone->setNumericIdentifier(11);
    tombstone->moveToTaskList(list);
    tombstone->setDeletedDate(startDate().addSecs(-3600));
    save();

    m_clock.advance(5);
    EXPECT_TRUE(s.removeTaskList(list));
    save();

    EXPECT_TRUE(list->isDeleted());
    EXPECT_TRUE(live->isDeleted());
    EXPECT_EQ(syncedLive->deletedDate(), startDate().addSecs(5));
    // The earlier removal keeps its date and is still pushed, from the Inbox.
    EXPECT_EQ(tombstone->deletedDate(), startDate().addSecs(-3600));
    EXPECT_EQ(tombstone->taskList(), nullptr);
    EXPECT_EQ(count<KNVTCDTask>(s, notNull("deletedDate")), 2);
    EXPECT_EQ(count<KNVTCDTaskListCollaborator>(s), 0);
}

TEST_F(TaskStoreFactoriesTest, RemovingASyncedListTombstonesItAndItsTasks)
{
    KNVTTaskStore &s = store();
    KNVTCDTaskList *list = s.projectWithTitle("Synced list");
    list->setNumericIdentifier(20);
    KNVTCDTask *task = s.taskWithTitle("Task");
    task->setNumericIdentifier(21);
    task->moveToTaskList(list);
    KNVTCDTask *tombstone = s.taskWithTitle("Tombstone");
    tombstone->setNumericIdentifier(22);
    tombstone->moveToTaskList(list);
    tombstone->setDeletedDate(startDate().addSecs(-60));
    save();

    EXPECT_TRUE(s.removeTaskList(list));
    EXPECT_EQ(list->deletedDate(), startDate());
    EXPECT_EQ(task->deletedDate(), startDate());
    EXPECT_EQ(task->taskList(), list);
    EXPECT_EQ(tombstone->deletedDate(), startDate().addSecs(-60));
    EXPECT_EQ(tombstone->taskList(), list);
    EXPECT_EQ(list->taskListCollaborators().size(), 1u) << "member rows are left alone";
}

TEST_F(TaskStoreFactoriesTest, CommentsAndWatchersFollowTheRemovalRule)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *task = s.taskWithTitle("Task");
    KNVTCDTaskComment *synced = s.commentWithText("synced", task);
    synced->setNumericIdentifier(30);
    KNVTCDTaskComment *local = s.commentWithText("local", task);
    KNVTCDTaskWatcher *watcher = s.taskWatcherWithUser(s.me(), task);
    save();

    s.removeTaskComment(synced);
    s.removeTaskComment(local);
    s.removeTaskWatcherForUser(s.me(), task);
    s.removeTaskWatcher(nullptr);
    EXPECT_EQ(synced->deletedDate(), startDate());
    EXPECT_EQ(synced->task(), task);
    EXPECT_TRUE(local->isDeleted());
    EXPECT_TRUE(watcher->isDeleted());
    EXPECT_EQ(task->comments(), std::vector<KNVTCDTaskComment *>({synced}));
    EXPECT_TRUE(task->taskWatchers().empty());
}

TEST_F(TaskStoreFactoriesTest, ALeavingCollaboratorsTasksGoToTheirCreatorOrToMe)
{
    KNVTTaskStore &s = store();
    KNVTCDUser *me = s.me();
    KNVTCDUser *leaving = insertUser("Leaving");
    KNVTCDUser *staying = insertUser("Staying");
    KNVTCDUser *gone = insertUser("Gone");
    KNVTCDTaskList *list = s.projectWithTitle("Shared");
    s.taskListCollaboratorWithUser(leaving, list, 2)->setStatus(2);
    s.taskListCollaboratorWithUser(staying, list, 2)->setStatus(2);

    auto assigned = [&](KNVTCDUser *creator, KNVTCDUser *assignee) {
        KNVTCDTask *task = s.taskWithTitle("Task");
        task->moveToTaskList(list);
        task->setCreator(creator);
        task->setAssignee(assignee);
        return task;
    };
    KNVTCDTask *fromStaying = assigned(staying, leaving);
    KNVTCDTask *fromLeaving = assigned(leaving, leaving);
    KNVTCDTask *fromGone = assigned(gone, leaving);
    KNVTCDTask *untouched = assigned(staying, staying);
    save();

    s.removeTaskListCollaboratorForUser(leaving, list);
    EXPECT_EQ(fromStaying->assignee(), staying);
    EXPECT_EQ(fromLeaving->assignee(), me);
    EXPECT_EQ(fromGone->assignee(), me);
    EXPECT_EQ(untouched->assignee(), staying);
    EXPECT_EQ(s.taskListCollaboratorForUser(leaving, list), nullptr) << "a row never pushed is deleted";
    EXPECT_EQ(list->taskListCollaborators().size(), 2u);
}

TEST_F(TaskStoreFactoriesTest, ASyncedCollaboratorRowIsTombstoned)
{
    KNVTTaskStore &s = store();
    KNVTCDUser *leaving = insertUser("Leaving");
    KNVTCDTaskList *list = s.projectWithTitle("Shared");
    KNVTCDTaskListCollaborator *row = s.taskListCollaboratorWithUser(leaving, list, 2);
    row->setNumericIdentifier(40);
    save();
    s.removeTaskListCollaboratorForUser(leaving, list);
    EXPECT_EQ(row->deletedDate(), startDate());
    EXPECT_EQ(row->user(), leaving);
    EXPECT_EQ(s.taskListCollaboratorForUser(leaving, list), row);
}

TEST_F(TaskStoreFactoriesTest, WithoutALibraryFactoriesGiveNothingAndRemovalsSucceed)
{
    QFile blocker(scratchPath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    KNVTTaskStore &s = makeStore(scratchPath("blocker/Library"));
    EXPECT_EQ(s.taskWithTitle("t"), nullptr);
    EXPECT_EQ(s.projectWithTitle("p"), nullptr);
    EXPECT_EQ(s.areaWithTitle("a"), nullptr);
    EXPECT_EQ(s.tagWithTitle("t"), nullptr);
    EXPECT_EQ(s.commentWithText("c", nullptr), nullptr);
    EXPECT_TRUE(s.removeTask(nullptr));
    EXPECT_TRUE(s.removeTaskList(nullptr));
    EXPECT_TRUE(s.removeTag(nullptr));
    s.removeTaskListCollaboratorForUser(nullptr, nullptr);
    EXPECT_EQ(presentedErrors().size(), 1u);
}
