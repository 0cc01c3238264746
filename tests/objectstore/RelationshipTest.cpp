#include "StoreTest.h"

#include <QSignalSpy>

using namespace ostore;
using namespace ostore::where;

using OstoreRelationshipTest = StoreTest;

TEST_F(OstoreRelationshipTest, MovingATaskUpdatesBothListsAtOnceWithHooksInOrder)
{
    auto *l1 = main().insert<TaskList>();
    auto *l2 = main().insert<TaskList>();
    Task *t = main().insert<Task>();
    t->setTaskList(l1);
    ASSERT_TRUE(main().save());
    HookLog::entries().clear();
    t->setTaskList(l2);
    EXPECT_TRUE(l1->tasks().empty());
    EXPECT_EQ(l2->tasks(), std::vector<Task *>{t});
    EXPECT_EQ(HookLog::entries(),
              QStringList({QStringLiteral("Task.didChangeValue taskList"),
                           QStringLiteral("TaskList.didChangeToMany tasks Remove 1"),
                           QStringLiteral("TaskList.didChangeToMany tasks Insert 1")}));
    Context session(&coordinator());
    auto *sessionL1 = static_cast<TaskList *>(session.existingObject(l1->objectID()));
    EXPECT_EQ(sessionL1->tasks().size(), 1u); // not saved yet
}

TEST_F(OstoreRelationshipTest, ASameValueWriteStillCallsDidChangeValueAndAWriteBackClearsTheDirtyMark)
{
    Task *t = saveTasks({QStringLiteral("same")}).front();
    HookLog::entries().clear();
    t->setTitle(QStringLiteral("same"));
    EXPECT_EQ(HookLog::entries(), QStringList{QStringLiteral("Task.didChangeValue title")});
    EXPECT_FALSE(t->isUpdated());
    t->setTitle(QStringLiteral("other"));
    EXPECT_TRUE(t->isUpdated());
    EXPECT_EQ(t->changedValues().value(QStringLiteral("title")), Value(QStringLiteral("other")));
    t->setTitle(QStringLiteral("same"));
    EXPECT_FALSE(t->isUpdated());
    EXPECT_FALSE(main().hasChanges());
}

TEST_F(OstoreRelationshipTest, OneToOneClearsThePreviousHolder)
{
    auto *u = main().insert<User>();
    auto *a1 = main().insert<Avatar>();
    a1->setUser(u);
    ASSERT_TRUE(main().save());
    auto *a2 = main().insert<Avatar>();
    HookLog::entries().clear();
    a2->setUser(u);
    EXPECT_EQ(a1->user(), nullptr);
    EXPECT_EQ(u->avatar(), a2);
    EXPECT_TRUE(HookLog::entries().contains(QStringLiteral("Avatar.didChangeValue user")));
    EXPECT_EQ(main().count<User>(key(QStringLiteral("avatar.needsUpdating")) == false), 1);
    ASSERT_TRUE(main().save());
    EXPECT_EQ(main().count<Avatar>(isNull(QStringLiteral("user"))), 1);
}

TEST_F(OstoreRelationshipTest, RemovingATaskCascadesToItsCommentsWatchersAndLinks)
{
    Task *t = saveTasks({QStringLiteral("doomed")}).front();
    auto *tag = main().insert<Tag>();
    std::vector<Object *> dependents;
    for (int i = 0; i < 2; ++i) {
        auto *c = main().insert<Comment>();
        c->setTask(t);
        dependents.push_back(c);
    }
    auto *w = main().insert<Watcher>();
    w->setTask(t);
    dependents.push_back(w);
    auto *link = main().insert<TaggedTask>();
    link->setTask(t);
    link->setTag(tag);
    dependents.push_back(link);
    ASSERT_TRUE(main().save());
    QSignalSpy saved(&main(), &Context::didSave);
    main().remove(t);
    for (Object *d : dependents)
        EXPECT_TRUE(d->isDeleted());
    EXPECT_TRUE(tag->taggedTasks().empty());
    EXPECT_FALSE(tag->isDeleted());
    ASSERT_TRUE(main().save());
    ASSERT_EQ(saved.count(), 1);
    const auto changes = saved.front().front().value<ChangeSet>();
    EXPECT_EQ(changes.deleted.size(), 5u);
    for (Object *d : dependents)
        EXPECT_NE(std::find(changes.deleted.begin(), changes.deleted.end(), d->objectID()), changes.deleted.end());
    EXPECT_EQ(main().count<Comment>(), 0);
}

TEST_F(OstoreRelationshipTest, RemovingAListNullifiesItsTasksThroughTheSetter)
{
    auto *list = main().insert<TaskList>();
    auto tasks = saveTasks({QStringLiteral("a"), QStringLiteral("b")});
    for (Task *t : tasks)
        t->setTaskList(list);
    ASSERT_TRUE(main().save());
    HookLog::entries().clear();
    main().remove(list);
    EXPECT_EQ(HookLog::entries().count(QStringLiteral("Task.didChangeValue taskList")), 2);
    for (Task *t : tasks) {
        EXPECT_EQ(t->taskList(), nullptr);
        EXPECT_TRUE(t->isUpdated());
        EXPECT_FALSE(t->isDeleted());
    }
    ASSERT_TRUE(main().save());
    reopen();
    EXPECT_EQ(main().count<Task>(isNull(QStringLiteral("taskList"))), 2);
    EXPECT_EQ(main().count<TaskList>(), 0);
}

TEST_F(OstoreRelationshipTest, ARemovedUnsavedInsertLeavesNoTrace)
{
    auto *list = main().insert<TaskList>();
    ASSERT_TRUE(main().save());
    Task *t = main().insert<Task>();
    t->setTaskList(list);
    auto *comment = main().insert<Comment>();
    comment->setTask(t);
    EXPECT_EQ(list->tasks().size(), 1u);
    main().remove(t);
    EXPECT_TRUE(t->isDeleted());
    EXPECT_TRUE(comment->isDeleted()); // the cascade reaches unsaved members too
    EXPECT_TRUE(list->tasks().empty());
    EXPECT_FALSE(main().hasChanges());
    QSignalSpy saved(&main(), &Context::didSave);
    EXPECT_TRUE(main().save());
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(main().existingObject(t->objectID()), nullptr);
}

TEST_F(OstoreRelationshipTest, ToManyOrderIsRowidThenUnsavedInserts)
{
    auto *list = main().insert<TaskList>();
    auto tasks = saveTasks({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    tasks[2]->setTaskList(list);
    tasks[0]->setTaskList(list);
    Task *u1 = main().insert<Task>();
    u1->setTitle(QStringLiteral("u1"));
    u1->setTaskList(list);
    ASSERT_TRUE(main().save());
    Task *u2 = main().insert<Task>();
    u2->setTitle(QStringLiteral("u2"));
    u2->setTaskList(list);
    tasks[1]->setTaskList(list);
    EXPECT_EQ(titles(list->tasks()), QStringList({"1", "2", "3", "u1", "u2"}));
}

TEST_F(OstoreRelationshipTest, PendingDeletionsTakeWritesButDoNotSaveThemAndRefreshRestores)
{
    auto *list = main().insert<TaskList>();
    Task *t = saveTasks({QStringLiteral("x")}).front();
    t->setTaskList(list);
    ASSERT_TRUE(main().save());
    main().remove(list);
    EXPECT_EQ(t->taskList(), nullptr);
    main().remove(t);
    t->setTitle(QStringLiteral("written while pending"));
    EXPECT_EQ(t->title(), QStringLiteral("written while pending"));
    EXPECT_EQ(main().count<Task>(), 0);
    main().refresh(t, false);
    EXPECT_FALSE(t->isDeleted());
    EXPECT_EQ(t->title(), QStringLiteral("x"));
    EXPECT_EQ(t->taskList(), list); // refresh of one object restores it alone
    EXPECT_TRUE(list->isDeleted());
    main().refreshAll(false);
    EXPECT_FALSE(list->isDeleted());
    EXPECT_EQ(list->tasks(), std::vector<Task *>{t});
    EXPECT_FALSE(main().hasChanges());
}
