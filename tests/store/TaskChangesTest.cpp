#include "store/TaskChanges.h"
#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include "support/FakeClock.h"
#include "support/TaskStoreBuilder.h"
#include "support/TaskStoreSandbox.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using knvt::TaskChanges;
using knvt::TaskEditValues;

// What an edit form loads from a task, as the form would show it.
TaskEditValues valuesOf(const KNVTCDTask &task)
{
    TaskEditValues values;
    values.title = task.title();
    values.notes = task.notes();
    values.status = unsigned(task.status().value_or(0));
    values.startDate = task.startDate();
    values.dueDate = task.dueDate();
    values.recurrence = task.recurrence();
    values.taskList = task.taskList() ? task.taskList()->uri() : QUrl();
    values.assignee = task.assignee() ? task.assignee()->uri() : QUrl();
    for (const KNVTCDTag *tag : task.tags())
        values.tags.append(tag->uri());
    for (const KNVTCDUser *user : task.activeTaskWatcherUsers())
        values.watchers.append(user->uri());
    return values;
}

QStringList tagTitles(const KNVTCDTask &task)
{
    QStringList titles;
    for (const KNVTCDTag *tag : task.tags())
        titles << tag->title();
    titles.sort();
    return titles;
}

class TaskChangesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store = &sandbox.store();
        ASSERT_NE(store->managedObjectContext(), nullptr);
        me = store->me();
        ASSERT_NE(me, nullptr);
        make.setContext(store->managedObjectContext());
        ann = make.user({.username = "ann", .firstName = "Ann", .friendshipStatus = KNVTUserFriendshipStatusFriend});
        bob = make.user({.username = "bob", .firstName = "Bob", .friendshipStatus = KNVTUserFriendshipStatusFriend});
        club = make.taskList({.title = "Club",
                              .type = KNVTTaskListTypeProject,
                              .status = KNVTTaskListStatusActionable,
                              .members = {{me, KNVTTaskListCollaboratorRoleOwner}, {ann}, {bob}}});
        paint = make.task({.title = "Paint",
                           .status = KNVTTaskStatusActionable,
                           .assignee = me,
                           .creator = me,
                           .list = club,
                           .notes = "Two coats"});
        saved();
    }

    // Saved, with nothing left to push.
    void saved()
    {
        ASSERT_TRUE(store->save());
        paint->setChangedKeysString(QString());
        ASSERT_TRUE(store->save());
    }

    static QDateTime day(int dayOfMarch) { return QDateTime(QDate(2015, 3, dayOfMarch), QTime(0, 0)); }

    knvt::test::FakeClock clock{QDateTime(QDate(2015, 3, 4), QTime(12, 0))};
    knvt::test::TaskStoreSandbox sandbox;
    KNVTTaskStore *store = nullptr;
    knvt::test::TaskStoreBuilder make;
    KNVTCDUser *me = nullptr;
    KNVTCDUser *ann = nullptr;
    KNVTCDUser *bob = nullptr;
    KNVTCDTaskList *club = nullptr;
    KNVTCDTask *paint = nullptr;
};

TEST_F(TaskChangesTest, OnlyTheFieldsTheUserChangedAreNamedAndTagsAndWatchersAsAddedAndRemoved)
{
    KNVTCDTag *home = make.tag({.title = "home", .creator = me});
    paint->addTag(home);
    paint->addWatcher(ann);
    const TaskEditValues loaded = valuesOf(*paint);
    EXPECT_TRUE(TaskChanges::between(loaded, loaded).isEmpty());

    TaskEditValues edited = loaded;
    edited.title = "Paint the fence";
    edited.dueDate = day(9);
    edited.tags = {};
    edited.tagTitles = {"garage"};
    edited.watchers = {ann->uri(), bob->uri()};
    const TaskChanges changes = TaskChanges::between(loaded, edited);
    EXPECT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.title, std::optional<QString>("Paint the fence"));
    EXPECT_EQ(changes.dueDate, std::optional<QDateTime>(day(9)));
    EXPECT_FALSE(changes.notes || changes.status || changes.startDate || changes.recurrence || changes.taskList
                 || changes.assignee);
    EXPECT_EQ(changes.removedTags, QList<QUrl>{home->uri()});
    EXPECT_TRUE(changes.addedTags.isEmpty());
    EXPECT_EQ(changes.addedTagTitles, QStringList{"garage"});
    EXPECT_EQ(changes.addedWatchers, QList<QUrl>{bob->uri()});
    EXPECT_TRUE(changes.removedWatchers.isEmpty());

    // Two rules that say the same are no change; a date taken away is one.
    TaskEditValues same = loaded;
    same.recurrence = KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyWeekly, 1));
    TaskEditValues again = loaded;
    again.recurrence = KNVTRecurrence::recurrenceWithRecurrenceRule(
        std::make_shared<KNVTRecurrenceRule>(QStringLiteral("RRULE:FREQ=WEEKLY")));
    EXPECT_FALSE(TaskChanges::between(same, again).recurrence);
    EXPECT_TRUE(TaskChanges::between(loaded, same).recurrence);
    TaskEditValues dated = loaded;
    dated.startDate = day(5);
    EXPECT_EQ(TaskChanges::between(dated, loaded).startDate, std::optional<QDateTime>(QDateTime()));
}

TEST_F(TaskChangesTest, WhatChangedElsewhereWhileTheFormWasOpenStaysAndNoChangeWritesNothing)
{
    const TaskEditValues loaded = valuesOf(*paint);
    // Meanwhile: another window puts the task in Today and changes its notes, a sync completes nothing else.
    paint->setStartDate(day(4));
    paint->setNotes("One coat");
    paint->setAssignee(ann);
    saved();

    EXPECT_TRUE(TaskChanges::between(loaded, loaded).applyTo(*paint, *store));
    EXPECT_FALSE(paint->isUpdated());
    EXPECT_TRUE(paint->changedKeys().isEmpty());

    TaskEditValues edited = loaded;
    edited.title = "Paint twice";
    ASSERT_TRUE(TaskChanges::between(loaded, edited).applyTo(*paint, *store));
    EXPECT_EQ(paint->title(), QStringLiteral("Paint twice"));
    EXPECT_EQ(paint->startDate(), day(4));
    EXPECT_EQ(paint->notes(), QStringLiteral("One coat"));
    EXPECT_EQ(paint->assignee(), ann);
    EXPECT_EQ(paint->changedKeys(), QStringList{"title"});
}

TEST_F(TaskChangesTest, TagsAndWatchersAddedElsewhereStayBesideTheUsersOwnChanges)
{
    KNVTCDTag *home = make.tag({.title = "home", .creator = me});
    KNVTCDTag *errand = make.tag({.title = "errand", .creator = me});
    paint->addTag(home);
    paint->addWatcher(ann);
    saved();
    const TaskEditValues loaded = valuesOf(*paint);
    KNVTCDTag *shed = make.tag({.title = "shed", .creator = me});
    paint->addTag(shed);
    paint->addWatcher(bob);
    saved();

    TaskEditValues edited = loaded;
    edited.tags = {};
    edited.tagTitles = {"Errand", "garage"};
    edited.watchers = {};
    ASSERT_TRUE(TaskChanges::between(loaded, edited).applyTo(*paint, *store));
    EXPECT_EQ(tagTitles(*paint), (QStringList{"errand", "garage", "shed"}));
    const std::vector<KNVTCDTag *> tags = paint->tags();
    EXPECT_NE(std::find(tags.begin(), tags.end(), errand), tags.end());
    EXPECT_EQ(store->tags().size(), 4u);
    EXPECT_EQ(paint->activeTaskWatcherUsers(), std::vector<KNVTCDUser *>{bob});
}

TEST_F(TaskChangesTest, ATaskThatBecameReadOnlyIsNotTouchedAndObjectsDeletedMeanwhileAreLeftOut)
{
    const TaskEditValues loaded = valuesOf(*paint);
    TaskEditValues edited = loaded;
    edited.title = "Never";
    edited.taskList = QUrl();
    club->setArchivedDate(day(3));
    saved();
    EXPECT_FALSE(paint->canEdit());
    EXPECT_FALSE(TaskChanges::between(loaded, edited).applyTo(*paint, *store));
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
    EXPECT_EQ(paint->taskList(), club);
    EXPECT_FALSE(paint->isUpdated());
    club->setArchivedDate(QDateTime());
    saved();

    KNVTCDTaskList *yard = make.taskList({.title = "Yard",
                                          .type = KNVTTaskListTypeProject,
                                          .status = KNVTTaskListStatusActionable,
                                          .members = {{me, KNVTTaskListCollaboratorRoleOwner}}});
    KNVTCDTag *gone = make.tag({.title = "gone", .creator = me});
    saved();
    TaskEditValues moved = loaded;
    moved.taskList = yard->uri();
    moved.assignee = bob->uri();
    moved.tags = {gone->uri()};
    yard->setDeletedDate(day(4));
    gone->setDeletedDate(day(4));
    saved();
    ASSERT_TRUE(TaskChanges::between(loaded, moved).applyTo(*paint, *store));
    EXPECT_EQ(paint->taskList(), club);
    EXPECT_EQ(paint->assignee(), bob);
    EXPECT_TRUE(paint->tags().empty());
}

} // namespace
