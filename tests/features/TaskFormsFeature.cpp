// Creating and editing tasks in the new-task popover and window and in the edit form.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class TaskFormsFeature : public ::testing::Test
{
protected:
    QDateTime now() const { return AppDriver::defaultNow(); }
    QDateTime day(int dayOfMarch) const { return QDateTime(QDate(2015, 3, dayOfMarch), QTime(0, 0)); }

    KNVTCDTask *taskTitled(const QString &title)
    {
        for (KNVTCDTask *task : app.store().tasks())
            if (task->title() == title && !task->isDeleted())
                return task;
        return nullptr;
    }

    QStringList tagTitles(const KNVTCDTask *task)
    {
        QStringList titles;
        for (const KNVTCDTag *tag : task->tags())
            titles << tag->title();
        titles.sort();
        return titles;
    }

    AppDriver app;
};

} // namespace

TEST_F(TaskFormsFeature, ANewTaskFromTodaySavesItsPriorityTagsAndAWeeklyRule)
{
    app.build().tag("errand");
    app.saveGivens();
    app.selectHome("Today");
    app.clickToolbar("New Task");
    EXPECT_TRUE(app.isChecked("startDateCheckBoxButton"));
    EXPECT_EQ(app.fieldText("startDateDatePicker"), QStringLiteral("2015-03-04T00:00:00"));
    app.typeIn("titleTextField", "Buy paint");
    app.tick("dueDateCheckBoxButton");
    app.clickButton("dueDateCalendarButton");
    app.pickDay(QDate(2015, 3, 6));
    app.closePopover();
    EXPECT_TRUE(app.isChecked("dueDateCheckBoxButton"));
    app.addToken("tagsTokenField", "errand");
    app.addToken("tagsTokenField", "garage");
    EXPECT_EQ(app.fieldText("tagsTokenField"), QStringLiteral("errand, garage"));
    app.setPriority(2);
    app.tick("recurrenceRuleCheckBoxButton");
    app.choosePopUp("recurrenceRuleFrequencyPopUpButton", "Weeks");
    app.pressReturn();
    EXPECT_TRUE(app.openEditors().isEmpty());

    KNVTCDTask *paint = taskTitled("Buy paint");
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->priority(), 5);
    EXPECT_EQ(tagTitles(paint), (QStringList{"errand", "garage"}));
    EXPECT_EQ(app.store().tags().size(), 2u);
    ASSERT_TRUE(paint->recurrence());
    EXPECT_EQ(paint->recurrence()->recurrenceRule()->frequency(), KNVTRecurrenceFrequencyWeekly);
    EXPECT_EQ(paint->recurrence()->recurrenceRule()->interval(), 1u);
    EXPECT_EQ(paint->startDate(), day(4));
    EXPECT_EQ(paint->dueDate(), day(6));
    EXPECT_EQ(paint->status(), 2);
    EXPECT_EQ(paint->taskList(), nullptr);
    EXPECT_TRUE(paint->notes().isEmpty());
    EXPECT_TRUE(paint->activeTaskWatchers().empty());
    app.wait(0.4);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(TaskFormsFeature, CancelInsertsNothingAndADetachedFormCarriesEverythingIntoAWindow)
{
    app.givenSharedProject("Club", {.members = {"Ann"}});
    app.build().tag("errand");
    app.saveGivens();
    const qsizetype before = app.store().tasks().size();
    app.selectHome("Inbox");
    app.clickToolbar("New Task");
    app.typeIn("titleTextField", "Never");
    app.clickButton("cancelButton");
    EXPECT_EQ(app.store().tasks().size(), before);

    app.clickToolbar("New Task");
    app.typeIn("titleTextField", "Carry over");
    app.typeIn("notesTextView", "All of it");
    app.choosePopUp("statusPopUpButton", "Someday");
    app.choosePopUp("taskListPopUpButton", "Club");
    app.choosePopUp("assigneePopUpButton", "Ann (ann)");
    app.addToken("watchersTokenField", "Ann (ann)");
    app.addToken("tagsTokenField", "errand");
    app.addToken("tagsTokenField", "garage");
    app.setPriority(3);
    app.detachPopover();
    ASSERT_EQ(app.app().taskNewWindowControllers().size(), 1u);
    const QStringList editors = app.openEditors();
    EXPECT_TRUE(editors.contains(QStringLiteral("KNVTTaskNewWindowController 'New Task' 480x315")))
        << editors.join('\n').toStdString();
    EXPECT_EQ(app.fieldText("titleTextField"), QStringLiteral("Carry over"));
    EXPECT_TRUE(app.hasFocus("titleTextField"));
    EXPECT_EQ(app.fieldText("notesTextView"), QStringLiteral("All of it"));
    EXPECT_EQ(app.fieldText("statusPopUpButton"), QStringLiteral("Someday"));
    EXPECT_EQ(app.fieldText("taskListPopUpButton"), QStringLiteral("Club"));
    EXPECT_EQ(app.fieldText("assigneePopUpButton"), QStringLiteral("Ann (ann)"));
    EXPECT_EQ(app.fieldText("watchersTokenField"), QStringLiteral("Ann"));
    EXPECT_EQ(app.fieldText("tagsTokenField"), QStringLiteral("errand, garage"));

    app.pressReturn();
    EXPECT_TRUE(app.app().taskNewWindowControllers().empty());
    KNVTCDTask *carried = taskTitled("Carry over");
    ASSERT_NE(carried, nullptr);
    EXPECT_EQ(carried->status(), 1);
    EXPECT_EQ(carried->priority(), 1);
    EXPECT_EQ(carried->taskList()->title(), QStringLiteral("Club"));
    EXPECT_EQ(carried->assignee()->firstName(), QStringLiteral("Ann"));
    EXPECT_EQ(carried->activeTaskWatchers().size(), 1u);
    EXPECT_EQ(tagTitles(carried), (QStringList{"errand", "garage"}));
}

TEST_F(TaskFormsFeature, ASharedProjectGrowsTheNewTaskPopoverAndNoListShrinksItBack)
{
    app.givenSharedProject("Club", {.members = {"Ann"}});
    app.givenProject("Theirs", {.owner = "Olga", .myRole = knvt::test::NoRole});
    app.selectHome("Inbox");
    app.clickToolbar("New Task");
    EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskNewViewController '' 480x283"});
    EXPECT_EQ(app.popUpItems("taskListPopUpButton"),
              (QStringList{"No Project/Area", "", "Projects (off)", "Club", "Theirs (off)"}));
    app.choosePopUp("taskListPopUpButton", "Club");
    EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskNewViewController '' 480x315"});
    EXPECT_EQ(app.popUpItems("assigneePopUpButton"), (QStringList{"Ann (ann)", "Me"}));
    app.choosePopUp("taskListPopUpButton", "No Project/Area");
    EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskNewViewController '' 480x283"});
    EXPECT_EQ(app.popUpItems("assigneePopUpButton"), QStringList{"Me"});
}

TEST_F(TaskFormsFeature, EditingWritesOnlyWhatChangedClearsTheDueDateAndTheListAndKeepsASomedayProjectsAssignee)
{
    app.givenProject("Yard", {.status = 1, .members = {"U2"}});
    KNVTCDTask *fence = app.givenTask("fence", {.list = "Yard", .assignee = "U2"});
    fence->setPriority(1);
    app.givenSharedProject("Club", {.members = {"Ann"}});
    KNVTCDTask *paint = app.givenTask("Paint", {.due = now().addDays(3), .list = "Club"});
    paint->setChangedKeysString(QString());
    fence->setChangedKeysString(QString());
    app.saveGivens();

    // Delegated to U2, in a project that is not active: no list the pop-up would offer.
    app.selectHome("Delegated");
    app.selectRows({"fence"});
    app.clickToolbar("Edit");
    EXPECT_EQ(app.fieldText("taskListPopUpButton"), QStringLiteral("Yard"));
    app.typeIn("titleTextField", " mended");
    app.pressReturn();
    EXPECT_EQ(fence->title(), QStringLiteral("fence mended"));
    EXPECT_EQ(fence->assignee()->firstName(), QStringLiteral("U2"));
    EXPECT_EQ(fence->priority(), 1);
    EXPECT_EQ(fence->changedKeys(), QStringList{"title"});

    app.selectHome("Club");
    app.selectRows({"Paint"});
    app.clickToolbar("Edit");
    EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskEditViewController '' 480x327"});
    app.tick("dueDateCheckBoxButton", false);
    app.choosePopUp("taskListPopUpButton", "No Project/Area");
    EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskEditViewController '' 480x279"});
    app.clickButton("saveButton");
    EXPECT_FALSE(paint->dueDate().isValid());
    EXPECT_EQ(paint->taskList(), nullptr);
    app.wait(0.5);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(TaskFormsFeature, ATaskDeletedInAnotherWindowClosesItsOpenFormWithoutWriting)
{
    KNVTCDTask *paint = app.givenTask("Paint", {.synced = true});
    app.selectRows({"Paint"});
    app.clickToolbar("Edit");
    app.typeIn("titleTextField", " twice");
    paint->markAsDeleted();
    app.saveGivens();
    EXPECT_TRUE(app.openEditors().isEmpty());
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
    EXPECT_TRUE(app.saves().requestedDelays().empty());
}
