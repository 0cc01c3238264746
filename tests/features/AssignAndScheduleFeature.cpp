// Giving tasks to a member of their project, and scheduling tasks dropped on a Scheduled section.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDUser.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class AssignAndScheduleFeature : public ::testing::Test
{
protected:
    QDateTime now() const { return AppDriver::defaultNow(); }
    AppDriver app;
};

} // namespace

TEST_F(AssignAndScheduleFeature, AssigningTwoTasksOfASharedProjectPreselectsMeAndGivesBothToTheChosenMember)
{
    app.givenSharedProject("Club", {.members = {"Ann", "U3"}});
    KNVTCDTask *paint = app.givenTask("Paint fence", {.list = "Club"});
    KNVTCDTask *mow = app.givenTask("Mow lawn", {.list = "Club"});
    app.selectHome("Club");
    app.selectRows({"Paint fence", "Mow lawn"});
    app.clickToolbar("Assign");
    EXPECT_EQ(app.fieldText("assigneePopUpButton"), QStringLiteral("Me"));
    EXPECT_EQ(app.popUpItems("assigneePopUpButton"), (QStringList{"Ann (ann)", "Me", "U3 (u3)"}));
    app.choosePopUp("assigneePopUpButton", "U3 (u3)");
    app.clickButton("saveButton");
    KNVTCDUser *u3 = paint->assignee();
    ASSERT_NE(u3, nullptr);
    EXPECT_EQ(u3->username(), QStringLiteral("u3"));
    EXPECT_EQ(mow->assignee(), u3);
    app.wait(0.49);
    EXPECT_TRUE(app.store().managedObjectContext()->hasChanges());
    app.wait(0.01);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());

    app.clickToolbar("Assign");
    app.choosePopUp("assigneePopUpButton", "Ann (ann)");
    app.clickButton("cancelButton");
    EXPECT_EQ(paint->assignee(), u3);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(AssignAndScheduleFeature, TheAssignSheetForTwoTasksIsTitledDelegateTasks)
{
    app.givenSharedProject("Club", {.members = {"Ann"}});
    app.givenTask("Paint fence", {.list = "Club"});
    app.givenTask("Mow lawn", {.list = "Club"});
    app.selectHome("Club");
    app.givenTask("Already given", {.assignee = "Ann"}); // so that Delegated is listed
    app.selectRows({"Paint fence", "Mow lawn"});
    EXPECT_TRUE(app.dragRows({"Paint fence", "Mow lawn"}).onto("Delegated"));
    EXPECT_TRUE(app.openEditors().join('\n').contains("KNVTTasksAssignWindowController 'Delegate Tasks'"))
        << app.openEditors().join('\n').toStdString();
    EXPECT_EQ(app.fieldText("titleTextField"), QStringLiteral("Delegate Tasks"));
}

TEST_F(AssignAndScheduleFeature, DroppingTwoTasksOnScheduledStartsThemOnThePickedDay)
{
    KNVTCDTask *paint = app.givenTask("Paint fence", {.due = now().addDays(20)});
    KNVTCDTask *mow = app.givenTask("Mow lawn", {.completed = true});
    app.selectHome("Inbox");
    EXPECT_TRUE(app.dragRows({"Paint fence", "Mow lawn"}).onto("Scheduled"));
    EXPECT_TRUE(app.openEditors().join('\n').contains("KNVTScheduleTasksWindowController 'Schedule 2 Tasks'"))
        << app.openEditors().join('\n').toStdString();
    EXPECT_EQ(app.fieldText("startDateTextField"), QStringLiteral("Thu, Mar 05, 2015"));
    app.pickDay(QDate(2015, 3, 9));
    EXPECT_EQ(app.fieldText("startDateTextField"), QStringLiteral("Mon, Mar 09, 2015"));
    app.clickButton("saveButton");
    for (KNVTCDTask *task : {paint, mow}) {
        EXPECT_EQ(task->startDate(), QDateTime(QDate(2015, 3, 9), QTime(0, 0)));
        EXPECT_EQ(task->status(), 2);
        EXPECT_FALSE(task->isArchived());
    }
    EXPECT_EQ(paint->dueDate(), now().addDays(20));
    app.wait(0.5);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(AssignAndScheduleFeature, TheAssignPopoverAndTheScheduleSheetAreWorkedWithTheKeyboardAlone)
{
    app.givenSharedProject("Club", {.members = {"Ann"}});
    KNVTCDTask *paint = app.givenTask("Paint fence", {.list = "Club"});
    app.selectHome("Club");
    app.selectRows({"Paint fence"});
    app.clickToolbar("Assign");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Assign: pop-up Assign to:"));
    app.pressWhereTheFocusIs("Up");
    app.pressWhereTheFocusIs("Escape");
    EXPECT_TRUE(app.openEditors().isEmpty()) << "Escape leaves the task with whom it had";
    EXPECT_EQ(paint->assignee(), app.store().me());

    app.clickToolbar("Assign");
    app.pressWhereTheFocusIs("Up");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Assign: button Cancel"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Assign: button Save"));
    app.pressWhereTheFocusIs("Space");
    ASSERT_NE(paint->assignee(), nullptr);
    EXPECT_EQ(paint->assignee()->firstName(), QStringLiteral("Ann"));

    app.selectHome("Inbox");
    KNVTCDTask *mow = app.givenTask("Mow lawn");
    app.selectRows({"Mow lawn"});
    EXPECT_TRUE(app.dragRows({"Mow lawn"}).onto("Scheduled"));
    app.pressWhereTheFocusIs("Right");
    EXPECT_EQ(app.fieldText("startDateTextField"), QStringLiteral("Fri, Mar 06, 2015"));
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Schedule \"Mow lawn\": table Start Date"));
    app.pressWhereTheFocusIs("Escape");
    EXPECT_TRUE(app.openEditors().isEmpty());
    app.wait(1);
    EXPECT_FALSE(mow->startDate().isValid()) << "Escape schedules nothing";
}
