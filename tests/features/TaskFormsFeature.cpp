// Creating and editing tasks in the new-task popover and window and in the edit form.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
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
    const QString openedWith = app.fieldText("dueDateDatePicker");
    app.clickButton("dueDateCalendarButton");
    app.pickDay(QDate(2015, 3, 9));
    app.closePopover();
    EXPECT_EQ(app.fieldText("dueDateDatePicker"), openedWith) << "Escape puts back the day the calendar opened with";
    app.clickButton("dueDateCalendarButton");
    app.pickDay(QDate(2015, 3, 6));
    // Return takes the day the arrows reached; Escape would put back the day the calendar opened with.
    app.pressReturn("datePicker");
    EXPECT_TRUE(app.isChecked("dueDateCheckBoxButton"));
    app.addToken("tagsTokenField", "errand");
    app.addToken("tagsTokenField", "garage");
    EXPECT_EQ(app.fieldText("tagsTokenField"), QStringLiteral("errand, garage"));
    app.setPriority(2);
    app.tick("recurrenceRuleCheckBoxButton");
    app.choosePopUp("recurrenceRuleFrequencyPopUpButton", "Weeks");
    app.pressReturn();
    EXPECT_TRUE(app.openEditors().isEmpty());

    KNVTCDTask *paint = app.taskTitled("Buy paint");
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
    KNVTCDTask *carried = app.taskTitled("Carry over");
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

TEST_F(TaskFormsFeature, TodayPressedAndNotesPulledWhileTheEditSheetIsOpenSurviveATitleChange)
{
    KNVTCDTask *paint = app.givenTask("Paint", {.notes = "Two coats", .synced = true});
    app.doubleClickRow("Paint");
    // With the task's own window open, Edit in the main window shows the form as a sheet over that window.
    app.selectRows({"Paint"});
    app.clickToolbar("Edit");
    EXPECT_TRUE(app.openEditors().join('\n').contains("KNVTTaskEditWindowController"))
        << app.openEditors().join('\n').toStdString();
    EXPECT_FALSE(app.isChecked("startDateCheckBoxButton"));

    app.selectRows({"Paint"});
    app.clickToolbar("Today");
    EXPECT_EQ(paint->startDate(), day(4));
    app.givenChangedBySync(paint, [](KNVTCDTaskStoreObject &pulled) {
        dynamic_cast<KNVTCDTask &>(pulled).setNotes("One coat, then varnish");
    });
    EXPECT_EQ(paint->notes(), QStringLiteral("One coat, then varnish"));

    app.typeIn("titleTextField", " the fence");
    app.pressReturn();
    EXPECT_FALSE(app.openEditors().join('\n').contains("KNVTTaskEditWindowController"));
    EXPECT_EQ(paint->title(), QStringLiteral("Paint the fence"));
    EXPECT_EQ(paint->startDate(), day(4));
    EXPECT_EQ(paint->notes(), QStringLiteral("One coat, then varnish"));
    app.wait(0.5);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(TaskFormsFeature, ARepeatRuleFromAnotherProgramIsShownInWordsAndKeptThroughEdits)
{
    KNVTCDTask *swim = app.givenTask("Swim", {.synced = true});
    swim->setRecurrenceString("RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10");
    swim->setChangedKeysString(QString());
    app.saveGivens();
    app.selectRows({"Swim"});
    app.clickToolbar("Edit");
    EXPECT_TRUE(app.isChecked("recurrenceRuleCheckBoxButton"));
    EXPECT_EQ(app.fieldText("recurrenceDescriptionLabel"),
              QStringLiteral("Every week on Monday and Wednesday, 10 times"));
    app.givenChangedBySync(
        swim, [](KNVTCDTaskStoreObject &pulled) { dynamic_cast<KNVTCDTask &>(pulled).setNotes("Lane 3"); });
    app.typeIn("titleTextField", " laps");
    app.clickButton("saveButton");
    EXPECT_EQ(swim->title(), QStringLiteral("Swim laps"));
    EXPECT_EQ(swim->recurrenceString(), QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10"));
    EXPECT_EQ(swim->notes(), QStringLiteral("Lane 3"));
    EXPECT_EQ(swim->changedKeys(), QStringList{"title"});
    app.wait(0.5);

    // Unticking Repeat and ticking it again replaces the rule by what the form shows.
    app.selectRows({"Swim laps"});
    app.clickToolbar("Edit");
    app.tick("recurrenceRuleCheckBoxButton", false);
    app.tick("recurrenceRuleCheckBoxButton", true);
    app.choosePopUp("recurrenceRuleFrequencyPopUpButton", "Days");
    app.pressReturn();
    EXPECT_EQ(swim->recurrenceString(), QStringLiteral("RRULE:FREQ=DAILY"));
}

TEST_F(TaskFormsFeature, NoProjectOrAreaChosenInTheEditFormStaysChosenThroughASyncPull)
{
    app.givenSharedProject("Club", {.members = {"Ann"}});
    KNVTCDTask *paint = app.givenTask("Paint", {.list = "Club", .assignee = "Ann", .synced = true});
    KNVTCDTask *other = app.givenTask("Sweep", {.synced = true});
    app.selectHome("Club");
    app.selectRows({"Paint"});
    app.clickToolbar("Edit");
    app.choosePopUp("taskListPopUpButton", "No Project/Area");
    app.givenChangedBySync(
        other, [](KNVTCDTaskStoreObject &pulled) { dynamic_cast<KNVTCDTask &>(pulled).setTitle("Sweep the yard"); });
    EXPECT_EQ(app.fieldText("taskListPopUpButton"), QStringLiteral("No Project/Area"));
    app.clickButton("saveButton");
    EXPECT_EQ(paint->taskList(), nullptr);
    EXPECT_TRUE(paint->assignee()->isMe());
}

TEST_F(TaskFormsFeature, AnEditOfATaskWhoseProjectWasTakenAwayMeanwhileSaysSoAndWritesNothing)
{
    KNVTCDTaskList *theirs = app.givenProject("Theirs", {.owner = "Olga", .myRole = 2, .synced = true});
    KNVTCDTask *paint = app.givenTask("Paint", {.list = "Theirs", .synced = true});
    app.selectHome("Theirs");
    app.selectRows({"Paint"});
    app.clickToolbar("Edit");
    app.typeIn("titleTextField", " twice");
    // A pull: Olga took my role in her project away. The form closes, giving back what was typed.
    app.answerAlert("OK");
    app.givenChangedBySync(theirs->myTaskListCollaborator(), [](KNVTCDTaskStoreObject &pulled) {
        dynamic_cast<KNVTCDTaskListCollaborator &>(pulled).setRole(std::nullopt);
    });
    app.settle();
    EXPECT_TRUE(app.openEditors().isEmpty());
    EXPECT_EQ(app.alertsShown(),
              QStringList{"The task “Paint” can no longer be changed. / Its project or area was archived or made "
                          "read-only elsewhere. The form for it in the window “Quillvane” closed. Your changes were "
                          "not saved. What you typed:\n\nPaint twice [OK]"});
    EXPECT_EQ(app.beeps(), 0);
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
    EXPECT_FALSE(paint->isUpdated());
}

TEST_F(TaskFormsFeature, ANewTaskWhoseChosenProjectASyncRemovedSaysSoAndGoesToNoListAndToMeOnceChosen)
{
    KNVTCDTaskList *club = app.givenSharedProject("Club", {.members = {"Ann"}, .synced = true});
    app.selectHome("Inbox");
    app.clickToolbar("New Task");
    app.typeIn("titleTextField", "Bring chairs");
    app.choosePopUp("taskListPopUpButton", "Club");
    app.choosePopUp("assigneePopUpButton", "Ann (ann)");
    app.addToken("watchersTokenField", "Ann (ann)");
    EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskNewViewController '' 480x315"});

    app.givenRemovedBySync(club);
    EXPECT_EQ(app.fieldText("taskListPopUpButton"), QStringLiteral("Club (deleted)"));
    EXPECT_EQ(app.popUpItems("assigneePopUpButton"), QStringList{"Me"});
    EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskNewViewController '' 480x283"});
    app.answerAlert("OK");
    app.pressReturn();
    EXPECT_EQ(app.alertsShown(),
              QStringList{"The project Club was deleted elsewhere. / Choose another project or area "
                          "for the task, or No Project/Area. [OK]"});
    EXPECT_EQ(app.taskTitled("Bring chairs"), nullptr);
    app.choosePopUp("taskListPopUpButton", "No Project/Area");
    app.pressReturn();
    KNVTCDTask *chairs = app.taskTitled("Bring chairs");
    ASSERT_NE(chairs, nullptr);
    EXPECT_EQ(chairs->taskList(), nullptr);
    EXPECT_TRUE(chairs->assignee()->isMe());
    EXPECT_TRUE(chairs->activeTaskWatchers().empty());
}

TEST_F(TaskFormsFeature, ATitleOfSpacesAndADueDateThatIsNoDayAreRefused)
{
    KNVTCDTask *paint = app.givenTask("Paint", {.due = day(20), .synced = true});
    app.selectHome("Inbox");
    app.clickToolbar("New Task");
    app.typeIn("titleTextField", "   ");
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.pressReturn();
    EXPECT_EQ(app.beeps(), 1);
    app.clickButton("cancelButton");

    app.selectRows({"Paint"});
    app.clickToolbar("Edit");
    app.typeIn("dueDateDatePicker", " or so");
    app.clickButton("saveButton");
    EXPECT_EQ(paint->dueDate(), day(20));
    EXPECT_FALSE(paint->isUpdated());
}

TEST_F(TaskFormsFeature, ANewTaskIsFilledInAndSavedWithTheKeyboardAlone)
{
    app.selectHome("Today");
    app.press("Ctrl+N");
    EXPECT_EQ(app.focusedControl(), QStringLiteral("titleTextField"));
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: text Title"));
    app.typeWhereTheFocusIs("Buy paint");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: text Notes"));
    app.typeWhereTheFocusIs("White, two litres");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: check box Start (checked)"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: text Start Date"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: button Choose Start Date"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: pop-up Status"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: check box Due (not checked)"));
    app.pressWhereTheFocusIs("Space");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: check box Due (checked)"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusedControl(), QStringLiteral("dueDateDatePicker"));
    app.pressWhereTheFocusIs("Ctrl+A");
    app.typeWhereTheFocusIs("3/6/15");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusedControl(), QStringLiteral("dueDateCalendarButton"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: slider Priority"));
    app.pressWhereTheFocusIs("Right");
    app.pressWhereTheFocusIs("Right");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: check box Repeat (not checked)"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: pop-up List"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: text Tags"));
    app.typeWhereTheFocusIs("garage");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: button Cancel"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: button Save"));
    app.pressWhereTheFocusIs("Space");
    EXPECT_TRUE(app.openEditors().isEmpty());

    KNVTCDTask *paint = app.taskTitled("Buy paint");
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->notes(), QStringLiteral("White, two litres"));
    EXPECT_EQ(paint->startDate(), day(4));
    EXPECT_EQ(paint->dueDate(), day(6));
    EXPECT_EQ(paint->priority(), 5);
    EXPECT_EQ(tagTitles(paint), QStringList{"garage"});
}

TEST_F(TaskFormsFeature, EscapeClosesTheNewTaskFormAndItsCalendarWithoutSaving)
{
    const qsizetype before = app.store().tasks().size();
    app.selectHome("Inbox");
    app.press("Ctrl+N");
    app.typeWhereTheFocusIs("Never mind");
    app.tick("dueDateCheckBoxButton");
    app.clickButton("dueDateCalendarButton");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Due Date: table Due Date"));
    app.pressWhereTheFocusIs("Escape");
    EXPECT_EQ(app.openEditors().size(), 1) << "the calendar closes, the form stays";
    app.typeIn("titleTextField", " at all");
    app.pressWhereTheFocusIs("Escape");
    EXPECT_TRUE(app.openEditors().isEmpty());
    app.wait(1);
    EXPECT_EQ(app.store().tasks().size(), before);
}
