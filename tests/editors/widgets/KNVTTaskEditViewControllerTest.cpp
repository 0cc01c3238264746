#include "TaskFormTest.h"

#include "editors/CheckableUserSelection.h"
#include "editors/KNVTTaskEditViewController.h"
#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskViewModel.h"

#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include "uikit/KNVTDatePicker.h"

#include "support/DiskWaits.h"

#include <QSignalSpy>

namespace {

class KNVTTaskEditViewControllerTest : public TaskFormTest
{
protected:
    KNVTTaskEditViewController *editForm(KNVTCDTask *edited)
    {
        auto *form = new KNVTTaskEditViewController(edited);
        popover = present(form);
        return form;
    }

    knvt::Popover *popover = nullptr;
};

TEST_F(KNVTTaskEditViewControllerTest, SavingWithoutAChangeWritesNothingAndLeavesNothingUnsaved)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTask *paint = task("Paint", club);
    paint->setStartDate(QDateTime(QDate(2015, 3, 2), QTime(9, 30, 17)));
    paint->setDueDate(day(20, 18));
    paint->setNotes("Two coats");
    paint->setPriority(1);
    paint->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyMonthly, 2)));
    paint->addTag(tag("home"));
    paint->addWatcher(ann);
    save();
    paint->setChangedKeysString(QString());
    save();

    KNVTTaskEditViewController *form = editForm(paint);
    EXPECT_EQ(form->view()->size(), QSize(480, 327));
    EXPECT_EQ(form->creatorTextField()->text(), QStringLiteral("Maria Mendes (maria)"));
    EXPECT_EQ(form->priorityLevelIndicator(), nullptr);
    EXPECT_EQ(form->recurrenceRuleIntervalTextField()->text(), QStringLiteral("2"));
    EXPECT_EQ(form->recurrenceRuleFrequencyPopUpButton()->currentText(), QStringLiteral("Months"));
    EXPECT_EQ(form->tagsTokenField()->tokenStrings(), QStringList{"home"});
    EXPECT_EQ(form->watchersTokenField()->tokenStrings(), QStringList{"Ann Lee"});
    EXPECT_EQ(form->taskListPopUpButton()->currentText(), QStringLiteral("Club"));
    QTest::mouseClick(form->saveButton(), Qt::LeftButton);
    EXPECT_FALSE(popover->isShown());
    EXPECT_FALSE(paint->isUpdated());
    EXPECT_TRUE(paint->changedKeys().isEmpty());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";

    KNVTTaskEditViewController *second = editForm(paint);
    second->titleTextField()->setText("Paint the fence");
    second->save();
    EXPECT_EQ(paint->changedKeys(), QStringList{"title"});
    EXPECT_EQ(paint->priority(), 1);
}

// The form closes once the library took the edit, and the library is all the click waits for: one wait for the disk,
// the commit that holds the edit and the date that tells other processes of it.
TEST_F(KNVTTaskEditViewControllerTest, SaveWaitsForTheDiskOnceBeforeTheFormCloses)
{
    KNVTCDTask *paint = task("Paint");
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    form->titleTextField()->setText("Paint the fence");
    knvt::test::DiskWaits waits;
    QTest::mouseClick(form->saveButton(), Qt::LeftButton);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(waits.count(), 1) << qPrintable(waits.files().join(", "));
    EXPECT_EQ(store->managedObjectContext()->committedValues(paint, {"title"}).value("title"),
              ostore::Value(QStringLiteral("Paint the fence")));
}

TEST_F(KNVTTaskEditViewControllerTest, TurningTheDueBoxOffAndChoosingNoListClearBothAndHideThePeople)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTask *paint = task("Paint", club);
    paint->setDueDate(day(20));
    paint->setNotes("Two coats");
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    form->dueDateDatePicker()->setDateValue(day(22));
    form->dueDateCheckBoxButton()->setChecked(false);
    form->notesTextView()->clear();
    ASSERT_TRUE(choose(form->taskListPopUpButton(), "No Project/Area"));
    EXPECT_EQ(form->view()->size(), QSize(480, 279));
    EXPECT_FALSE(form->collaboratorsView()->isVisible());
    form->save();
    EXPECT_FALSE(paint->dueDate().isValid());
    EXPECT_EQ(paint->taskList(), nullptr);
    EXPECT_TRUE(paint->notes().isNull());
    EXPECT_EQ(paint->assignee(), me);
}

TEST_F(KNVTTaskEditViewControllerTest, AnEditOfATaskInASomedayProjectKeepsItsAssignee)
{
    KNVTCDUser *u2 = user("Uwe", "Two", "u2");
    KNVTCDTaskList *yard = taskList("Yard", {{u2}});
    yard->setStatus(KNVTTaskListStatusSomeday);
    KNVTCDTask *fence = task("fence", yard);
    fence->setAssignee(u2);
    save();
    KNVTTaskEditViewController *form = editForm(fence);
    EXPECT_EQ(form->taskListPopUpButton()->currentText(), QStringLiteral("Yard"));
    EXPECT_EQ(form->assigneePopUpButton()->currentText(), QStringLiteral("Uwe Two (u2)"));
    EXPECT_TRUE(form->isCollaboratorsSectionExpanded());
    form->titleTextField()->setText("Mend the fence");
    form->save();
    EXPECT_EQ(fence->title(), QStringLiteral("Mend the fence"));
    EXPECT_EQ(fence->assignee(), u2);
    EXPECT_EQ(fence->taskList(), yard);

    KNVTTaskEditViewController *chosen = editForm(fence);
    ASSERT_TRUE(choose(chosen->assigneePopUpButton(), "Maria Mendes (maria)"));
    chosen->save();
    EXPECT_EQ(fence->assignee(), me);
}

TEST_F(KNVTTaskEditViewControllerTest, ATaskDeletedInAnotherWindowClosesItsFormWithoutWriting)
{
    KNVTCDTask *paint = task("Paint");
    paint->setNumericIdentifier(5);
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    form->titleTextField()->setText("Never written");
    paint->markAsDeleted(); // synced: a tombstone until the deletion is pushed
    save();
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
    form->save();
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
    EXPECT_TRUE(saves.requestedDelays().empty());
}

TEST_F(KNVTTaskEditViewControllerTest, StatusChoicesGoThroughTheTasksOwnOperations)
{
    KNVTCDTask *paint = task("Paint");
    paint->markAsCompleted();
    save();
    KNVTTaskEditViewController *same = editForm(paint);
    EXPECT_EQ(same->statusPopUpButton()->currentText(), QStringLiteral("Completed"));
    same->save();
    EXPECT_FALSE(paint->isUpdated());

    KNVTTaskEditViewController *reopen = editForm(paint);
    ASSERT_TRUE(choose(reopen->statusPopUpButton(), "Actionable"));
    reopen->save();
    EXPECT_EQ(paint->status(), KNVTTaskStatusActionable);

    KNVTTaskEditViewController *later = editForm(paint);
    ASSERT_TRUE(choose(later->statusPopUpButton(), "Someday"));
    later->save();
    EXPECT_EQ(paint->status(), KNVTTaskStatusSomeday);
}

TEST_F(KNVTTaskEditViewControllerTest, TheStartCalendarReachesBackToAnEarlierStart)
{
    KNVTCDTask *old = task("Old");
    old->setStartDate(day(1, 9));
    KNVTCDTask *fresh = task("Fresh");
    save();
    KNVTTaskEditViewController *form = editForm(old);
    QTest::mouseClick(form->startDateCalendarButton(), Qt::LeftButton);
    KNVTDatePicker *calendar = form->startDatePickerPopover()->findChild<KNVTDatePicker *>("datePicker");
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->minDate(), day(1, 9));

    KNVTTaskEditViewController *other = editForm(fresh);
    QTest::mouseClick(other->startDateCalendarButton(), Qt::LeftButton);
    EXPECT_EQ(other->startDatePickerPopover()->findChild<KNVTDatePicker *>("datePicker")->minDate(), day(4));
    EXPECT_FALSE(other->startDateDatePicker()->isVisible());
    other->startDateCheckBoxButton()->setChecked(true);
    other->save();
    EXPECT_EQ(fresh->startDate(), day(4));
}

TEST_F(KNVTTaskEditViewControllerTest, AnEmptyIntervalRepeatsEveryWeekAndTheDetailSaysSo)
{
    KNVTCDTask *paint = task("Paint");
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    form->recurrenceRuleCheckBoxButton()->setChecked(true);
    ASSERT_TRUE(choose(form->recurrenceRuleFrequencyPopUpButton(), "Weeks"));
    EXPECT_EQ(form->recurrenceRuleIntervalTextField()->text(), QStringLiteral("1"));
    // The user empties the field and types what is no number.
    form->recurrenceRuleIntervalTextField()->clear();
    QTest::keyClicks(form->recurrenceRuleIntervalTextField(), "x-");
    EXPECT_TRUE(form->recurrenceRuleIntervalTextField()->text().isEmpty());
    form->save();
    ASSERT_TRUE(paint->recurrence());
    EXPECT_EQ(paint->recurrence()->recurrenceRule()->frequency(), KNVTRecurrenceFrequencyWeekly);
    EXPECT_EQ(paint->recurrence()->recurrenceRule()->interval(), 1u);
    const std::vector<KNVTTaskViewModel::Row> rows = KNVTTaskViewModel::rowsForTask(paint, me);
    EXPECT_EQ(rows.back().text, QStringLiteral("Every week"));
    saves.runAll();

    KNVTTaskEditViewController *zero = editForm(paint);
    zero->recurrenceRuleIntervalTextField()->setText("0");
    zero->save();
    EXPECT_EQ(paint->recurrence()->recurrenceRule()->interval(), 1u);
    EXPECT_FALSE(paint->isUpdated());

    KNVTTaskEditViewController *off = editForm(paint);
    off->recurrenceRuleCheckBoxButton()->setChecked(false);
    off->save();
    EXPECT_FALSE(paint->recurrence());
}

TEST_F(KNVTTaskEditViewControllerTest, TagAndWatcherChangesAreAppliedAndATypedTitleFindsItsTagInAnyCase)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDUser *bob = user("Bob", "Kahn", "bob");
    KNVTCDTaskList *club = taskList("Club", {{ann}, {bob}});
    KNVTCDTag *home = tag("home");
    KNVTCDTag *errand = tag("errand");
    KNVTCDTask *paint = task("Paint", club);
    paint->addTag(home);
    paint->addWatcher(ann);
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    form->tagsTokenField()->setObjectValue({QStringLiteral("Errand")});
    form->watchersTokenField()->setObjectValue({bob->uri()});
    form->save();
    EXPECT_EQ(paint->tags(), std::vector<KNVTCDTag *>{errand});
    EXPECT_EQ(store->tags().size(), 2u);
    EXPECT_EQ(paint->activeTaskWatcherUsers(), std::vector<KNVTCDUser *>{bob});
}

TEST_F(KNVTTaskEditViewControllerTest, TheOpenWatchersListFollowsTheWatcherFieldWhileTheUserTypes)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDUser *bob = user("Bob", "Kahn", "bob");
    KNVTCDTaskList *club = taskList("Club", {{ann}, {bob}});
    KNVTCDTask *paint = task("Paint", club);
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    QTest::mouseClick(form->watchersButton(), Qt::LeftButton);
    auto *list = dynamic_cast<knvt::CheckableUserSelection *>(form->userSelection());
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->selectedUsers().empty());
    form->watchersTokenField()->setObjectValue({bob->uri()});
    EXPECT_EQ(list->selectedUsers(), std::vector<KNVTCDUser *>{bob});
    EXPECT_EQ(list->model()->rowCount(), 3);
}

TEST_F(KNVTTaskEditViewControllerTest, TheEditSheetEndsOnSaveAndCancel)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTask *paint = task("Paint");
    save();
    QWidget host;
    host.resize(600, 500);
    host.show();
    KNVTTaskEditWindowController sheet(paint, &host);
    sheet.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    EXPECT_EQ(sheet.size(), QSize(480, 279));
    KNVTTaskEditViewController *form = sheet.taskEditViewController();
    ASSERT_TRUE(choose(form->taskListPopUpButton(), club->title()));
    EXPECT_EQ(sheet.size(), QSize(480, 327));
    QSignalSpy finished(&sheet, &QDialog::finished);
    QTest::keyClick(form->titleTextField(), Qt::Key_Return);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(paint->taskList(), club);

    KNVTTaskEditWindowController cancelled(paint, &host);
    cancelled.open();
    QSignalSpy cancelledFinished(&cancelled, &QDialog::finished);
    cancelled.taskEditViewController()->titleTextField()->setText("Nope");
    QTest::mouseClick(cancelled.taskEditViewController()->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancelledFinished.count(), 1);
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
}

TEST_F(KNVTTaskEditViewControllerTest, ChangesMadeElsewhereWhileTheFormIsOpenSurviveItsSave)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTask *paint = task("Paint", club);
    paint->setNotes("Two coats");
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    KNVTTaskEditViewController *untouched = editForm(paint);

    // Meanwhile Today is pressed in the main window, the notes change in the task's window and a pull hands the task
    // to Ann and completes it.
    paint->setStartDate(day(4));
    paint->setNotes("One coat");
    paint->setAssignee(ann);
    paint->markAsCompleted();
    save();
    paint->setChangedKeysString(QString());
    save();

    untouched->save();
    EXPECT_FALSE(paint->isUpdated());
    EXPECT_TRUE(paint->changedKeys().isEmpty());

    form->titleTextField()->setFocus();
    form->titleTextField()->end(false);
    QTest::keyClicks(form->titleTextField(), " twice");
    QTest::mouseClick(form->saveButton(), Qt::LeftButton);
    EXPECT_EQ(paint->title(), QStringLiteral("Paint twice"));
    EXPECT_EQ(paint->startDate(), day(4));
    EXPECT_EQ(paint->notes(), QStringLiteral("One coat"));
    EXPECT_EQ(paint->assignee(), ann);
    EXPECT_TRUE(paint->isCompleted());
    EXPECT_EQ(paint->changedKeys(), QStringList{"title"});
}

TEST_F(KNVTTaskEditViewControllerTest, ARepeatRuleTheFormCannotShowStaysAsStoredUntilTheUserReplacesIt)
{
    KNVTCDTask *weekly = task("Swim");
    weekly->setRecurrenceString("RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10");
    KNVTCDTask *hourly = task("Stretch");
    hourly->setRecurrenceString("RRULE:FREQ=HOURLY;INTERVAL=2");
    save();
    hourly->setChangedKeysString(QString());
    weekly->setChangedKeysString(QString());
    save();

    KNVTTaskEditViewController *same = editForm(hourly);
    EXPECT_TRUE(same->recurrenceRuleCheckBoxButton()->isChecked());
    EXPECT_TRUE(same->recurrenceDescriptionLabel()->isVisible());
    EXPECT_EQ(same->recurrenceDescriptionLabel()->text(), QStringLiteral("Every 2 hours"));
    EXPECT_FALSE(same->recurrenceRuleIntervalTextField()->isVisible());
    EXPECT_FALSE(same->recurrenceRuleFrequencyPopUpButton()->isVisible());
    QTest::mouseClick(same->saveButton(), Qt::LeftButton);
    EXPECT_FALSE(hourly->isUpdated());
    EXPECT_EQ(hourly->recurrenceString(), QStringLiteral("RRULE:FREQ=HOURLY;INTERVAL=2"));

    KNVTTaskEditViewController *titled = editForm(weekly);
    EXPECT_EQ(titled->recurrenceDescriptionLabel()->text(),
              QStringLiteral("Every week on Monday and Wednesday, 10 times"));
    EXPECT_EQ(titled->recurrenceDescriptionLabel()->textFormat(), Qt::PlainText);
    QTest::keyClicks(titled->titleTextField(), "!");
    titled->save();
    EXPECT_EQ(weekly->recurrenceString(), QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10"));
    EXPECT_EQ(weekly->changedKeys(), QStringList{"title"});

    // Unticking and ticking the box again offers the interval and frequency, which then replace the rule.
    KNVTTaskEditViewController *replaced = editForm(hourly);
    QCheckBox *box = replaced->recurrenceRuleCheckBoxButton();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(replaced->recurrenceDescriptionLabel()->isVisible());
    EXPECT_TRUE(replaced->recurrenceRuleIntervalTextField()->isVisible());
    EXPECT_EQ(replaced->recurrenceRuleIntervalTextField()->text(), QStringLiteral("2"));
    ASSERT_TRUE(choose(replaced->recurrenceRuleFrequencyPopUpButton(), "Days"));
    replaced->save();
    EXPECT_EQ(hourly->recurrenceString(), QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=2"));

    KNVTTaskEditViewController *cleared = editForm(weekly);
    QCheckBox *off = cleared->recurrenceRuleCheckBoxButton();
    QTest::mouseClick(off, Qt::LeftButton, {}, QPoint(6, off->height() / 2));
    EXPECT_FALSE(cleared->recurrenceDescriptionLabel()->isVisible());
    cleared->save();
    EXPECT_FALSE(weekly->recurrence());
}

TEST_F(KNVTTaskEditViewControllerTest, NoProjectOrAreaChosenSurvivesASaveElsewhereWhileTheFormIsOpen)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTask *paint = task("Paint", club);
    paint->setAssignee(ann);
    KNVTCDTask *other = task("Other");
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    ASSERT_TRUE(choose(form->taskListPopUpButton(), "No Project/Area"));
    other->setTitle("Other, changed by a sync");
    save();
    EXPECT_EQ(form->taskListPopUpButton()->currentText(), QStringLiteral("No Project/Area"));
    EXPECT_FALSE(form->isCollaboratorsSectionExpanded());
    form->save();
    EXPECT_EQ(paint->taskList(), nullptr);
    EXPECT_EQ(paint->assignee(), me);
}

TEST_F(KNVTTaskEditViewControllerTest, ATaskThatBecameReadOnlyWhileTheFormWasOpenClosesItUnwrittenSayingSo)
{
    KNVTCDUser *olga = user("Olga", "Orr", "olga");
    KNVTCDTaskList *theirs = make.taskList({.title = "Theirs",
                                            .type = KNVTTaskListTypeProject,
                                            .status = KNVTTaskListStatusActionable,
                                            .members = {{olga, KNVTTaskListCollaboratorRoleOwner}, {me}}});
    KNVTCDTask *paint = task("Paint", theirs);
    save();
    ASSERT_TRUE(paint->canEdit());
    KNVTTaskEditViewController *form = editForm(paint);
    QTest::keyClicks(form->titleTextField(), " twice");
    // A pull: the owner took my role away.
    alerts.answerWithTitle("OK");
    theirs->myTaskListCollaborator()->setRole(std::nullopt);
    save();
    ASSERT_FALSE(paint->canEdit());
    EXPECT_FALSE(popover->isShown());
    QCoreApplication::processEvents();
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests().last().title, QStringLiteral("The task “Paint” can no longer be changed."));
    EXPECT_TRUE(alerts.requests().last().message.endsWith(QStringLiteral("What you typed:")));
    EXPECT_EQ(alerts.requests().last().typed, QStringLiteral("Paint twice"));
    EXPECT_EQ(beeper.count(), 0);
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
    EXPECT_FALSE(paint->isUpdated());
    EXPECT_TRUE(saves.requestedDelays().empty());
}

TEST_F(KNVTTaskEditViewControllerTest, ATitleOfSpacesCannotBeSaved)
{
    KNVTCDTask *paint = task("Paint");
    save();
    KNVTTaskEditViewController *form = editForm(paint);
    form->titleTextField()->setFocus();
    form->titleTextField()->selectAll();
    QTest::keyClicks(form->titleTextField(), "   ");
    EXPECT_FALSE(form->saveButton()->isEnabled());
    QTest::keyClick(form->titleTextField(), Qt::Key_Return);
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
}

} // namespace
