#include "QueryFixture.h"

#include "store/KNVTFocusTaskList.h"

namespace {

class FocusTaskList : public QueryFixture
{
protected:
    KNVTFocusTaskList focus(unsigned int type) { return KNVTFocusTaskList(KNVTFocusType(type), &store()); }
};

TEST_F(FocusTaskList, NamesIconsAndEquality)
{
    const char *names[] = {"Inbox", "Today", "Next", "Scheduled", "Someday", "Watched", "Delegated", "Archived"};
    for (unsigned int type = 0; type < 8; ++type) {
        KNVTFocusTaskList list = focus(type);
        EXPECT_EQ(list.localizedDisplayName(), names[type]);
        EXPECT_EQ(list.focusType(), type);
        KNVTFocusTaskList same = focus(type);
        EXPECT_TRUE(list.isEqual(&same));
        EXPECT_TRUE(list == same);
        EXPECT_EQ(list.hash(), same.hash());
        EXPECT_FALSE(list.isEqual(nullptr));
        KNVTFocusTaskList other = focus((type + 1) % 8);
        EXPECT_FALSE(list.isEqualTo(&other));
    }
    EXPECT_EQ(focus(0).sourceIconName(), "SL_InboxTemplate");
    EXPECT_EQ(focus(6).sourceIconName(), "TB_UserTemplate");

    KNVTFocusTaskList unknown = focus(8);
    EXPECT_TRUE(unknown.localizedDisplayName().isEmpty());
    EXPECT_TRUE(unknown.sourceIconName().isEmpty());
    EXPECT_TRUE(unknown.sourceIcon().isNull());
    EXPECT_TRUE(unknown.tasks().empty());
    EXPECT_FALSE(unknown.canHandleTasks({}));
    EXPECT_FALSE(unknown.supportsTaskLists());
}

TEST_F(FocusTaskList, EachTypeShowsItsQueryAndReloadsOnEveryRead)
{
    task({.title = "inbox"});
    task({.title = "someday", .status = 1});
    taskList("Area later", 2, 1, 2);
    taskList("Project later", 1, 1, 2);

    KNVTFocusTaskList inbox = focus(KNVTFocusTypeInbox);
    EXPECT_EQ(titles(inbox.tasks()), sorted({"inbox", "someday"}));
    task({.title = "added"});
    EXPECT_EQ(inbox.numberOfTasks(), 3u);
    EXPECT_EQ(inbox.numberOfTaskLists(), 0u);

    KNVTFocusTaskList someday = focus(KNVTFocusTypeSomeday);
    EXPECT_EQ(titles(someday.tasks()), QStringList{"someday"});
    const std::vector<KNVTCDTaskList *> lists = someday.taskLists();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0]->title(), "Project later"); // projects come before areas
    EXPECT_EQ(lists[1]->title(), "Area later");
    EXPECT_EQ(someday.numberOfTaskStoreObjects(), 3u);
    const std::vector<KNVTCDTaskStoreObject *> objects = someday.taskStoreObjects();
    EXPECT_EQ(objects.front()->pasteboardString(), "- someday\n");

    EXPECT_EQ(titles(focus(KNVTFocusTypeToday).tasks()), titles(store().todayTasks()));
    EXPECT_EQ(titles(focus(KNVTFocusTypeNext).tasks()), titles(store().nextTasks()));
    EXPECT_EQ(titles(focus(KNVTFocusTypeScheduled).tasks()), titles(store().scheduledTasks()));
    EXPECT_EQ(titles(focus(KNVTFocusTypeWatched).tasks()), titles(store().watchedTasks()));
    EXPECT_EQ(titles(focus(KNVTFocusTypeDelegated).tasks()), titles(store().delegatedTasks()));
    EXPECT_EQ(focus(KNVTFocusTypeToday).numberOfTaskLists(), 0u);
}

TEST_F(FocusTaskList, BadgesCountOpenWork)
{
    KNVTCDTaskList *pending = taskList("Pending", 1, 2, 1, user("anna", 3));
    task({.title = "actionable"});
    task({.title = "completed", .status = 4});
    task({.title = "someday", .status = 1});
    task({.title = "due", .due = noon().addSecs(-1)});
    task({.title = "due in pending list", .list = pending, .due = noon().addSecs(-1)});

    EXPECT_EQ(focus(KNVTFocusTypeInbox).badgeCount(), 2u);
    EXPECT_EQ(focus(KNVTFocusTypeToday).badgeCount(), 1u);
    for (unsigned int type = 2; type < 9; ++type)
        EXPECT_EQ(focus(type).badgeCount(), 0u);
    EXPECT_TRUE(focus(KNVTFocusTypeInbox).shouldBadge());
    EXPECT_TRUE(focus(KNVTFocusTypeToday).shouldBadge());
    EXPECT_FALSE(focus(KNVTFocusTypeNext).shouldBadge());
    EXPECT_TRUE(focus(KNVTFocusTypeInbox).allowsTaskReordering());
    EXPECT_FALSE(focus(KNVTFocusTypeToday).allowsTaskReordering());
}

TEST_F(FocusTaskList, DropRules)
{
    KNVTCDTaskList *one = taskList("One", 1, 2, 2);
    KNVTCDTaskList *two = taskList("Two", 1, 2, 2);
    KNVTCDTaskList *somedayList = taskList("Later", 1, 1, 2);
    KNVTCDTask *inOne = task({.title = "in one", .list = one});
    KNVTCDTask *alsoInOne = task({.title = "also in one", .list = one});
    KNVTCDTask *inTwo = task({.title = "in two", .list = two});
    KNVTCDTask *loose = task({.title = "loose"});
    KNVTCDTask *done = task({.title = "done", .status = 4});
    KNVTCDTask *cancelled = task({.title = "cancelled", .status = 5});
    KNVTCDTask *inSomeday = task({.title = "in someday", .status = 4, .list = somedayList});

    KNVTFocusTaskList delegated = focus(KNVTFocusTypeDelegated);
    EXPECT_FALSE(delegated.canHandleTasks({inOne, inTwo}));
    EXPECT_TRUE(delegated.canHandleTasks({inOne, alsoInOne}));
    EXPECT_FALSE(delegated.canHandleTasks({loose}));
    EXPECT_FALSE(delegated.canHandleTasks({}));

    KNVTFocusTaskList archived = focus(KNVTFocusTypeArchived);
    EXPECT_FALSE(archived.canHandleTasks({done, loose}));
    EXPECT_TRUE(archived.canHandleTasks({done, cancelled}));
    EXPECT_FALSE(archived.canHandleTasks({done, inSomeday}));

    for (unsigned int type : {KNVTFocusTypeToday, KNVTFocusTypeNext, KNVTFocusTypeScheduled, KNVTFocusTypeSomeday}) {
        EXPECT_FALSE(focus(type).canHandleTasks({loose, inSomeday}));
        EXPECT_TRUE(focus(type).canHandleTasks({loose, inOne}));
    }
    for (unsigned int type : {KNVTFocusTypeInbox, KNVTFocusTypeWatched})
        EXPECT_TRUE(focus(type).canHandleTasks({inSomeday, inTwo, done}));
    for (unsigned int type = 0; type < 8; ++type)
        EXPECT_EQ(focus(type).canHandleTasks({}), type != KNVTFocusTypeDelegated) << type;

    const std::vector<unsigned int> takingLists{KNVTFocusTypeToday, KNVTFocusTypeNext, KNVTFocusTypeSomeday,
                                                KNVTFocusTypeArchived};
    for (unsigned int type = 0; type < 9; ++type) {
        const bool takes = std::find(takingLists.begin(), takingLists.end(), type) != takingLists.end();
        EXPECT_EQ(focus(type).canHandleTaskLists({one}), takes) << type;
    }
}

TEST_F(FocusTaskList, SomedayPrintoutPutsProjectsBetweenTasksAndAreas)
{
    task({.title = "someday task", .status = 1});
    taskList("Someday project", 1, 1, 2);
    taskList("Someday area", 2, 1, 2);

    const QString html = focus(KNVTFocusTypeSomeday).HTMLStringForPrinting();
    EXPECT_TRUE(html.startsWith("<div class=\"page_title\">Someday</div>")) << qPrintable(html);
    EXPECT_EQ(html.count("<div class=\"group_header\">Someday</div>"), 1);
    const qsizetype taskAt = html.indexOf("someday task");
    const qsizetype projectAt = html.indexOf("Someday project");
    const qsizetype areaAt = html.indexOf("Someday area");
    ASSERT_GE(taskAt, 0);
    EXPECT_LT(taskAt, projectAt);
    EXPECT_LT(projectAt, areaAt);
    EXPECT_FALSE(html.contains("Incomplete"));
}

TEST_F(FocusTaskList, ArchivedPrintoutShowsOnlyClosedLists)
{
    KNVTCDTaskList *finished = taskList("Finished project", 1, 4, 2);
    finished->setArchivedDate(noon());
    KNVTCDTaskList *stillOpen = taskList("Still open project", 1, 2, 2);
    stillOpen->setArchivedDate(noon());
    task({.title = "archived task", .status = 4, .archived = true});

    const QString html = focus(KNVTFocusTypeArchived).HTMLStringForPrinting();
    const qsizetype completedAt = html.indexOf("<div class=\"group_header\">Completed</div>");
    ASSERT_GE(completedAt, 0);
    EXPECT_GT(html.indexOf("Finished project"), completedAt);
    EXPECT_GT(html.indexOf("archived task"), completedAt);
    EXPECT_FALSE(html.contains("Still open project"));
}

TEST_F(FocusTaskList, PrintoutGroupsTasksAndEscapesTheirText)
{
    task({.title = "<b>bold</b> & co"});
    task({.title = "later", .due = noon().addDays(2)});
    task({.title = "gone", .due = noon().addSecs(-5), .deleted = true});

    const QString html = focus(KNVTFocusTypeInbox).HTMLStringForPrinting();
    EXPECT_TRUE(html.contains("&lt;b&gt;bold&lt;/b&gt; &amp; co")) << qPrintable(html);
    EXPECT_FALSE(html.contains("<b>bold"));
    const qsizetype incompleteAt = html.indexOf("<div class=\"group_header\">Incomplete</div>");
    const qsizetype scheduledAt = html.indexOf("<div class=\"group_header\">Scheduled</div>");
    ASSERT_GE(incompleteAt, 0);
    EXPECT_LT(incompleteAt, html.indexOf("bold"));
    EXPECT_LT(scheduledAt, html.indexOf("later"));
    EXPECT_FALSE(html.contains("gone"));
    EXPECT_TRUE(focus(KNVTFocusTypeNext).hasHTMLStringForPrinting());
}

} // namespace
