#include "TaskFormTest.h"

#include "support/ScopedLocale.h"

#include "editors/CheckableUserSelection.h"
#include "editors/KNVTTaskNewViewController.h"
#include "editors/KNVTTaskNewWindowController.h"

#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"
#include "model/ObjectReferencePayload.h"

#include "uikit/KNVTDatePicker.h"
#include "uikit/UnsavedTyping.h"

#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>

namespace {

class KNVTTaskNewViewControllerTest : public TaskFormTest
{
protected:
    KNVTTaskNewViewController *newForm(const KNVTTaskNewViewController::Values &values = {})
    {
        auto *form = new KNVTTaskNewViewController(values);
        popover = present(form);
        return form;
    }

    std::vector<KNVTCDTask *> tasksTitled(const QString &title) const
    {
        std::vector<KNVTCDTask *> found;
        for (KNVTCDTask *t : store->tasks()) {
            if (t->title() == title && !t->isDeleted())
                found.push_back(t);
        }
        return found;
    }

    static KNVTDatePicker *calendarOf(knvt::Popover *calendarPopover)
    {
        return calendarPopover ? calendarPopover->findChild<KNVTDatePicker *>("datePicker") : nullptr;
    }

    knvt::Popover *popover = nullptr;
};

TEST(KNVTTaskNewViewControllerPriority, TheIndicatorLevelsStandForNoneLowMediumAndHigh)
{
    EXPECT_EQ(KNVTTaskNewViewController::priorityForLevel(0), 0u);
    EXPECT_EQ(KNVTTaskNewViewController::priorityForLevel(1), 9u);
    EXPECT_EQ(KNVTTaskNewViewController::priorityForLevel(2), 5u);
    EXPECT_EQ(KNVTTaskNewViewController::priorityForLevel(3), 1u);
    EXPECT_EQ(KNVTTaskNewViewController::priorityForLevel(7), 0u);
    EXPECT_EQ(KNVTTaskNewViewController::levelForPriority(1), 3);
    EXPECT_EQ(KNVTTaskNewViewController::levelForPriority(5), 2);
    EXPECT_EQ(KNVTTaskNewViewController::levelForPriority(9), 1);
    EXPECT_EQ(KNVTTaskNewViewController::levelForPriority(0), 0);
    EXPECT_EQ(KNVTTaskNewViewController::levelForPriority(4), 0);
}

TEST_F(KNVTTaskNewViewControllerTest, AFormFromTodaySavesEveryValueWithTagsAndAWeeklyRule)
{
    KNVTCDTag *errand = tag("errand");
    save();
    KNVTTaskNewViewController *form = newForm({.status = 2, .startDate = day(4)});
    EXPECT_TRUE(form->startDateCheckBoxButton()->isChecked());
    EXPECT_EQ(form->startDate(), day(4));
    EXPECT_FALSE(form->dueDateCheckBoxButton()->isChecked());
    EXPECT_EQ(form->statusPopUpButton()->currentText(), QStringLiteral("Actionable"));
    EXPECT_EQ(form->titleTextField()->prompt(), QStringLiteral("New Task"));

    QTest::keyClicks(form->titleTextField(), "Buy paint");
    QTest::mouseClick(form->dueDateCalendarButton(), Qt::LeftButton);
    KNVTDatePicker *calendar = calendarOf(form->dueDatePickerPopover());
    ASSERT_NE(calendar, nullptr);
    QTest::keyClick(calendar, Qt::Key_Right);
    EXPECT_EQ(form->dueDateDatePicker()->dateValue(), day(5));
    EXPECT_FALSE(form->dueDateCheckBoxButton()->isChecked());
    form->dueDateCheckBoxButton()->setChecked(true);

    QTest::keyClicks(form->tagsTokenField()->editor(), "errand");
    QTest::keyClick(form->tagsTokenField()->editor(), Qt::Key_Return);
    QTest::keyClicks(form->tagsTokenField()->editor(), "garage");
    QTest::keyClick(form->tagsTokenField()->editor(), Qt::Key_Return);
    EXPECT_EQ(form->tagsTokenField()->objectValue(), (QVariantList{errand->uri(), QStringLiteral("garage")}));
    EXPECT_EQ(form->tagsTokenField()->tokenStrings(), (QStringList{"errand", "garage"}));

    const QRectF medium = KNVTLevelIndicator::segmentRect(form->priorityLevelIndicator()->size(), 3, 1);
    QTest::mouseClick(form->priorityLevelIndicator(), Qt::LeftButton, {}, medium.center().toPoint());
    EXPECT_EQ(form->priority(), 5u);
    form->recurrenceRuleCheckBoxButton()->setChecked(true);
    EXPECT_TRUE(form->recurrenceRuleIntervalTextField()->isEnabled());
    ASSERT_TRUE(choose(form->recurrenceRuleFrequencyPopUpButton(), "Weeks"));
    EXPECT_EQ(form->recurrenceRuleIntervalTextField()->text(), QStringLiteral("1"));

    QTest::keyClick(form->titleTextField(), Qt::Key_Return);
    EXPECT_FALSE(popover->isShown());
    const std::vector<KNVTCDTask *> saved = tasksTitled("Buy paint");
    ASSERT_EQ(saved.size(), 1u);
    KNVTCDTask *buy = saved.front();
    EXPECT_EQ(buy->priority(), 5);
    EXPECT_EQ(buy->status(), 2);
    EXPECT_EQ(buy->startDate(), day(4));
    EXPECT_EQ(buy->dueDate(), day(5));
    EXPECT_EQ(buy->creator(), me);
    EXPECT_EQ(buy->assignee(), me);
    EXPECT_EQ(buy->taskList(), nullptr);
    ASSERT_TRUE(buy->recurrence());
    EXPECT_EQ(buy->recurrence()->recurrenceRule()->frequency(), KNVTRecurrenceFrequencyWeekly);
    EXPECT_EQ(buy->recurrence()->recurrenceRule()->interval(), 1u);
    QStringList tagTitles;
    for (const KNVTCDTag *t : buy->tags())
        tagTitles.append(t->title());
    tagTitles.sort();
    EXPECT_EQ(tagTitles, (QStringList{"errand", "garage"}));
    EXPECT_EQ(store->tags().size(), 2u);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";
}

TEST_F(KNVTTaskNewViewControllerTest, CancelAnEmptyTitleAndATitleOfSpacesInsertNothing)
{
    const qsizetype before = store->tasks().size();
    KNVTTaskNewViewController *form = newForm();
    EXPECT_FALSE(form->saveButton()->isEnabled());
    QTest::keyClick(form->titleTextField(), Qt::Key_Return);
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_TRUE(popover->isShown());
    QTest::keyClicks(form->titleTextField(), "Nothing");
    QTest::mouseClick(form->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(store->tasks().size(), before);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());

    // A title that is empty once trimmed is no title: Save stays disabled and Return beeps.
    KNVTTaskNewViewController *spaces = newForm();
    QTest::keyClicks(spaces->titleTextField(), "   ");
    EXPECT_FALSE(spaces->saveButton()->isEnabled());
    QTest::keyClick(spaces->titleTextField(), Qt::Key_Return);
    EXPECT_EQ(beeper.count(), 2);
    EXPECT_TRUE(spaces->view()->isVisible());
    EXPECT_EQ(store->tasks().size(), before);
    QTest::keyClicks(spaces->titleTextField(), "x");
    EXPECT_TRUE(spaces->saveButton()->isEnabled());
    QTest::mouseClick(spaces->saveButton(), Qt::LeftButton);
    EXPECT_EQ(tasksTitled("   x").size(), 1u);
}

TEST_F(KNVTTaskNewViewControllerTest, APrefilledPriorityShowsItsLevelAndACompletedRepeatingTaskGetsNoNextOne)
{
    KNVTTaskNewViewController *form = newForm({.title = "Done already", .status = 4, .priority = 5});
    EXPECT_EQ(form->priorityLevelIndicator()->value(), 2);
    form->recurrenceRuleCheckBoxButton()->setChecked(true);
    form->recurrenceRuleIntervalTextField()->setText("3");
    const qsizetype before = store->tasks().size();
    form->save();
    EXPECT_EQ(store->tasks().size(), before + 1);
    KNVTCDTask *done = tasksTitled("Done already").front();
    EXPECT_TRUE(done->isCompleted());
    EXPECT_EQ(done->priority(), 5);
    EXPECT_EQ(done->recurrence()->recurrenceRule()->interval(), 3u);
}

TEST_F(KNVTTaskNewViewControllerTest, AnIntervalTypedInTheLocalesDigitsIsStoredAsThatNumber)
{
    const knvt::test::ScopedLocale arabic("ar_EG");
    KNVTTaskNewViewController *form = newForm({.title = "Water the plants"});
    form->recurrenceRuleCheckBoxButton()->setChecked(true);
    // The field holds one unit in the locale's digits; the user selects it and types over it, with a key of an
    // Arabic keyboard: a key event carrying the digit as its text.
    EXPECT_EQ(form->recurrenceRuleIntervalTextField()->text(), QString::fromUtf8("\u0661"));
    form->recurrenceRuleIntervalTextField()->selectAll();
    QTest::sendKeyEvent(QTest::Click, form->recurrenceRuleIntervalTextField(), Qt::Key_unknown,
                        QString::fromUtf8("\u0663"), Qt::NoModifier);
    EXPECT_EQ(form->recurrenceRuleIntervalTextField()->text(), QString::fromUtf8("\u0663")) << "the field takes it";
    form->save();
    const std::vector<KNVTCDTask *> saved = tasksTitled("Water the plants");
    ASSERT_EQ(saved.size(), 1u);
    ASSERT_TRUE(saved.front()->recurrence());
    EXPECT_EQ(saved.front()->recurrence()->recurrenceRule()->interval(), 3u);
}

TEST_F(KNVTTaskNewViewControllerTest, ASharedProjectGrowsThePopoverAndShowsItsMembersUntilNoListShrinksItBack)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDUser *bob = user("Bob", "Kahn", "bob");
    taskList("Club", {{ann}, {bob}});
    taskList("Garden");
    KNVTCDUser *owner = user("Olga", "Owens", "olga");
    KNVTCDTaskList *theirs = make.taskList({.title = "Read only",
                                            .type = KNVTTaskListTypeProject,
                                            .status = KNVTTaskListStatusActionable,
                                            .members = {{owner, KNVTTaskListCollaboratorRoleOwner}, {me, 3}}});
    taskList("Home", {}, true);
    save();
    ASSERT_FALSE(theirs->canAddTasks());

    KNVTTaskNewViewController *form = newForm();
    QComboBox *lists = form->taskListPopUpButton();
    EXPECT_EQ(itemTexts(lists),
              (QStringList{"No Project/Area", "", "Projects", "Club", "Garden", "Read only", "", "Areas", "Home"}));
    EXPECT_FALSE(isItemEnabled(lists, 2));
    EXPECT_FALSE(isItemEnabled(lists, lists->findText("Read only")));
    EXPECT_FALSE(choose(lists, "Read only"));
    EXPECT_EQ(form->view()->size(), QSize(480, 283));
    EXPECT_FALSE(form->collaboratorsView()->isVisible());

    ASSERT_TRUE(choose(lists, "Club"));
    EXPECT_EQ(form->view()->size(), QSize(480, 315));
    EXPECT_TRUE(form->isCollaboratorsSectionExpanded());
    EXPECT_TRUE(form->collaboratorsView()->isVisible());
    EXPECT_EQ(form->collaboratorsView()->geometry().bottom() + 1, 315 - 40);
    EXPECT_EQ(itemTexts(form->assigneePopUpButton()),
              (QStringList{"Ann Lee (ann)", "Bob Kahn (bob)", "Maria Mendes (maria)"}));
    EXPECT_EQ(form->assigneePopUpButton()->currentText(), QStringLiteral("Maria Mendes (maria)"));

    ASSERT_TRUE(choose(lists, "No Project/Area"));
    EXPECT_EQ(form->view()->size(), QSize(480, 283));
    EXPECT_FALSE(form->collaboratorsView()->isVisible());
    EXPECT_EQ(itemTexts(form->assigneePopUpButton()), QStringList{"Maria Mendes (maria)"});
    EXPECT_TRUE(form->completionsForSubstring(form->watchersTokenField(), "a").isEmpty());
}

TEST_F(KNVTTaskNewViewControllerTest, AChosenProjectDeletedMeanwhileTakesItsPeopleWithIt)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    club->setNumericIdentifier(12);
    save();
    KNVTTaskNewViewController *form = newForm();
    QTest::keyClicks(form->titleTextField(), "Bring chairs");
    ASSERT_TRUE(choose(form->taskListPopUpButton(), "Club"));
    ASSERT_TRUE(choose(form->assigneePopUpButton(), "Ann Lee (ann)"));
    form->watchersTokenField()->setObjectValue({ann->uri()});

    // A pull: the project was deleted on the service. It stays chosen, marked, and Save says so rather than filing
    // the task in the Inbox.
    club->setDeletedDate(now());
    save();
    EXPECT_EQ(form->taskListPopUpButton()->currentText(), QStringLiteral("Club (deleted)"));
    EXPECT_EQ(itemTexts(form->assigneePopUpButton()), QStringList{"Maria Mendes (maria)"});
    EXPECT_FALSE(form->isCollaboratorsSectionExpanded());
    EXPECT_EQ(form->view()->size(), QSize(480, 283));
    alerts.answerWithTitle("OK");
    QTest::mouseClick(form->saveButton(), Qt::LeftButton);
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests().last().title, QStringLiteral("The project Club was deleted elsewhere."));
    EXPECT_TRUE(tasksTitled("Bring chairs").empty());
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(form->taskListPopUpButton()->window()->focusWidget(), form->taskListPopUpButton())
        << "the keyboard waits where another list is chosen";

    ASSERT_TRUE(choose(form->taskListPopUpButton(), "No Project/Area"));
    QTest::mouseClick(form->saveButton(), Qt::LeftButton);
    ASSERT_EQ(tasksTitled("Bring chairs").size(), 1u);
    KNVTCDTask *chairs = tasksTitled("Bring chairs").front();
    EXPECT_EQ(chairs->taskList(), nullptr);
    EXPECT_EQ(chairs->assignee(), me);
    EXPECT_TRUE(chairs->activeTaskWatchers().empty());
}

TEST_F(KNVTTaskNewViewControllerTest, TheListAndAssigneePopUpsChangeInPlaceKeepingTheChoiceAndStayingOpen)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    taskList("Club", {{ann}});
    KNVTCDTaskList *garden = taskList("Garden");
    save();
    KNVTTaskNewViewController *form = newForm();
    QComboBox *lists = form->taskListPopUpButton();
    QComboBox *people = form->assigneePopUpButton();
    ASSERT_TRUE(choose(lists, "Club"));
    ASSERT_TRUE(choose(people, "Ann Lee (ann)"));
    lists->showPopup();
    ASSERT_TRUE(lists->view()->isVisible());
    QSignalSpy listResets(lists->model(), &QAbstractItemModel::modelReset);
    QSignalSpy listRemovals(lists->model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy peopleResets(people->model(), &QAbstractItemModel::modelReset);
    QSignalSpy peopleRemovals(people->model(), &QAbstractItemModel::rowsRemoved);

    // A sync brings a new project, renames another and Ann's first name.
    taskList("Attic");
    garden->setTitle(QStringLiteral("Yard"));
    ann->setFirstName(QStringLiteral("Anna"));
    save();
    EXPECT_EQ(itemTexts(lists), (QStringList{"No Project/Area", "", "Projects", "Attic", "Club", "Yard"}));
    EXPECT_EQ(lists->currentText(), QStringLiteral("Club"));
    EXPECT_TRUE(lists->view()->isVisible()) << "the open pop-up stays open";
    EXPECT_EQ(itemTexts(people), (QStringList{"Anna Lee (ann)", "Maria Mendes (maria)"})) << "moved, not refilled";
    EXPECT_EQ(people->currentText(), QStringLiteral("Anna Lee (ann)"));
    EXPECT_EQ(listResets.count() + listRemovals.count() + peopleResets.count() + peopleRemovals.count(), 0)
        << "no row went away";
    lists->hidePopup();
}

TEST_F(KNVTTaskNewViewControllerTest, AListThePopUpCannotShowIsAddedOrDropped)
{
    KNVTCDTaskList *yard = taskList("Yard");
    yard->setStatus(KNVTTaskListStatusSomeday);
    KNVTCDTaskList *attic = taskList("Attic");
    attic->setArchived(true);
    save();

    KNVTTaskNewViewController *someday = newForm({.taskList = yard});
    EXPECT_EQ(someday->taskListPopUpButton()->currentText(), QStringLiteral("Yard"));
    EXPECT_EQ(someday->taskList(), yard);

    KNVTTaskNewViewController *archived = newForm({.title = "Box up", .taskList = attic});
    EXPECT_EQ(archived->taskListPopUpButton()->currentText(), QStringLiteral("No Project/Area"));
    archived->save();
    EXPECT_EQ(tasksTitled("Box up").front()->taskList(), nullptr);
}

TEST_F(KNVTTaskNewViewControllerTest, TokenFieldsCompleteAddShowAndCarryPeopleAndTags)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDUser *andre = user("André", "Ávila", "andre");
    KNVTCDUser *zed = user("Zed", "Young", "zed");
    KNVTCDTaskList *club = taskList("Club", {{ann}, {andre}, {zed}});
    KNVTCDTag *errand = tag("Errand");
    tag("erasers");
    tag("work");
    save();
    KNVTTaskNewViewController *form = newForm({.taskList = club});
    KNVTTokenField *watchers = form->watchersTokenField();
    KNVTTokenField *tags = form->tagsTokenField();

    EXPECT_EQ(form->completionsForSubstring(watchers, "an"), (QStringList{"André Ávila (andre)", "Ann Lee (ann)"}));
    EXPECT_EQ(form->completionsForSubstring(watchers, "AV"), QStringList{});
    EXPECT_EQ(form->completionsForSubstring(watchers, "ávi"), QStringList{});
    EXPECT_EQ(form->completionsForSubstring(watchers, "y"), QStringList{});
    EXPECT_EQ(form->completionsForSubstring(watchers, "z"), QStringList{"Zed Young (zed)"});
    QStringList tagCompletions = form->completionsForSubstring(tags, "ER");
    tagCompletions.sort();
    EXPECT_EQ(tagCompletions, (QStringList{"Errand", "erasers"}));

    EXPECT_EQ(form->shouldAddObjects(watchers, {QStringLiteral("Ann Lee (ann)"), QStringLiteral("Nobody")}, 0),
              QVariantList{ann->uri()});
    watchers->setObjectValue({ann->uri()});
    EXPECT_TRUE(form->shouldAddObjects(watchers, {QStringLiteral("Ann Lee (ann)")}, 1).isEmpty());
    EXPECT_EQ(form->completionsForSubstring(watchers, "an"), QStringList{"André Ávila (andre)"});
    EXPECT_EQ(form->shouldAddObjects(tags, {QStringLiteral("Errand"), QStringLiteral("errand")}, 0),
              (QVariantList{errand->uri(), QStringLiteral("errand")}));

    EXPECT_EQ(form->tokenField(watchers, ann->uri()), QStringLiteral("Ann Lee"));
    EXPECT_EQ(form->tokenField(tags, errand->uri()), QStringLiteral("Errand"));
    EXPECT_EQ(form->tokenField(tags, QStringLiteral("new")), QStringLiteral("new"));
    EXPECT_TRUE(form->hasMenuForRepresentedObject(watchers, ann->uri()));
    EXPECT_FALSE(form->hasMenuForRepresentedObject(tags, errand->uri()));
    std::unique_ptr<QMenu> menu(form->menuForRepresentedObject(watchers, ann->uri()));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("ann"));

    QMimeData dragged;
    EXPECT_TRUE(form->writeRepresentedObjects(watchers, {ann->uri(), zed->uri()}, dragged));
    EXPECT_EQ(dragged.text(), QStringLiteral("Ann Lee (ann)\nZed Young (zed)\n"));
    EXPECT_EQ(knvt::ObjectReferencePayload::read(dragged), (QList<QUrl>{ann->uri(), zed->uri()}));
    QMimeData typed;
    EXPECT_FALSE(form->writeRepresentedObjects(tags, {QStringLiteral("garage")}, typed));
    // A typed tag that does not exist yet is no object to drag; the existing one reads as its name.
    QMimeData tagged;
    EXPECT_TRUE(form->writeRepresentedObjects(tags, {errand->uri(), QStringLiteral("garage")}, tagged));
    EXPECT_EQ(tagged.text(), QStringLiteral("Errand\n"));
    EXPECT_EQ(knvt::ObjectReferencePayload::read(tagged), QList<QUrl>{errand->uri()});

    QMimeData mixed;
    knvt::ObjectReferencePayload::write(mixed, {zed->uri(), errand->uri()}, QStringLiteral("ignored"));
    EXPECT_EQ(form->readFromPasteboard(watchers, mixed), QStringList{"Zed Young (zed)"});
    EXPECT_EQ(form->readFromPasteboard(tags, mixed), QStringList{"Errand"});
    QMimeData plain;
    plain.setText("Errand");
    EXPECT_TRUE(form->readFromPasteboard(tags, plain).isEmpty());
    EXPECT_TRUE(watchers->dropMimeData(mixed));
    EXPECT_EQ(watchers->objectValue(), (QVariantList{ann->uri(), zed->uri()}));
}

TEST_F(KNVTTaskNewViewControllerTest, TheWatchersListTicksTokensWithoutDoublingThem)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDUser *bob = user("Bob", "Kahn", "bob");
    KNVTCDTaskList *club = taskList("Club", {{ann}, {bob}});
    save();
    KNVTTaskNewViewController *form = newForm({.title = "Watch me", .taskList = club, .watchers = {ann}});
    QTest::mouseClick(form->watchersButton(), Qt::LeftButton);
    auto *list = dynamic_cast<knvt::CheckableUserSelection *>(form->userSelection());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(list->selectedUsers(), std::vector<KNVTCDUser *>{ann});

    list->setRowChecked(1, true); // Bob
    EXPECT_EQ(form->watchersTokenField()->objectValue(), (QVariantList{ann->uri(), bob->uri()}));
    EXPECT_EQ(knvt::UnsavedTyping::typedIn(form->view()), QStringList{"Watchers: Ann Lee, Bob Kahn"})
        << "a tick is the user's change of the watchers, which closing the form asks about";
    form->userSelectionDidSelectUser(list, ann);
    EXPECT_EQ(form->watchersTokenField()->objectValue().size(), 2);
    list->setRowChecked(0, false); // Ann
    EXPECT_EQ(form->watchersTokenField()->objectValue(), QVariantList{bob->uri()});

    QTest::mouseClick(form->watchersButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(form->userSelectionPopover(), nullptr);
    form->save();
    KNVTCDTask *watched = tasksTitled("Watch me").front();
    EXPECT_EQ(watched->activeTaskWatcherUsers(), std::vector<KNVTCDUser *>{bob});
}

TEST_F(KNVTTaskNewViewControllerTest, CalendarsToggleAndOnlyTheStartCalendarStopsAtToday)
{
    KNVTTaskNewViewController *form = newForm();
    QTest::mouseClick(form->startDateCalendarButton(), Qt::LeftButton);
    KNVTDatePicker *start = calendarOf(form->startDatePickerPopover());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->minDate(), day(4));
    QTest::mouseClick(form->startDateCalendarButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(form->startDatePickerPopover(), nullptr);

    QTest::mouseClick(form->dueDateCalendarButton(), Qt::LeftButton);
    KNVTDatePicker *due = calendarOf(form->dueDatePickerPopover());
    ASSERT_NE(due, nullptr);
    EXPECT_FALSE(due->minDate().isValid());
    QTest::keyClick(due, Qt::Key_Left);
    EXPECT_EQ(form->dueDateDatePicker()->dateValue(), day(3));
    EXPECT_EQ(form->startDateDatePicker()->dateValue(), day(4));
}

TEST_F(KNVTTaskNewViewControllerTest, TabInTheNotesGoesOnToTheStartBoxAndBacktabToTheTitle)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    save();
    KNVTTaskNewViewController *form = newForm();
    popover->activateWindow();
    form->notesTextView()->setFocus();
    QTest::keyClick(form->notesTextView(), Qt::Key_Tab);
    settle();
    EXPECT_TRUE(form->startDateCheckBoxButton()->hasFocus());
    EXPECT_TRUE(form->notes().isEmpty());

    form->notesTextView()->setFocus();
    QTest::keyClick(form->notesTextView(), Qt::Key_Backtab);
    settle();
    EXPECT_TRUE(form->titleTextField()->hasFocus());

    // With the collaborators section shown the notes still lead to the next field below them, not past the form.
    ASSERT_TRUE(choose(form->taskListPopUpButton(), club->title()));
    form->notesTextView()->setFocus();
    QTest::keyClick(form->notesTextView(), Qt::Key_Tab);
    settle();
    EXPECT_TRUE(form->startDateCheckBoxButton()->hasFocus());
    EXPECT_TRUE(form->notes().isEmpty());
}

TEST_F(KNVTTaskNewViewControllerTest, AWindowGrowsDownwardsWithTheSectionAndReturnSavesAndClosesIt)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    taskList("Club", {{ann}});
    save();
    KNVTTaskNewWindowController window({.status = 2});
    window.move(100, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    KNVTTaskNewViewController *form = window.taskNewViewController();
    EXPECT_EQ(window.size(), QSize(480, 283));
    const int top = window.geometry().top();
    ASSERT_TRUE(choose(form->taskListPopUpButton(), "Club"));
    EXPECT_EQ(window.size(), QSize(480, 315));
    EXPECT_EQ(window.geometry().top(), top);
    ASSERT_TRUE(choose(form->taskListPopUpButton(), "No Project/Area"));
    EXPECT_EQ(window.size(), QSize(480, 283));

    window.setFloatingPanel(true);
    EXPECT_TRUE(window.isFloatingPanel());
    window.show();
    QTest::keyClicks(form->titleTextField(), "From the panel");
    QTest::keyClick(form->titleTextField(), Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(tasksTitled("From the panel").size(), 1u);
}

TEST_F(KNVTTaskNewViewControllerTest, TheCurrentValuesCarryEverythingIntoAWindow)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTag *errand = tag("errand");
    save();
    KNVTTaskNewViewController *form = newForm({.title = "Carry",
                                               .status = 1,
                                               .priority = 1,
                                               .notes = "All of it",
                                               .dueDate = day(9, 15),
                                               .taskList = club,
                                               .assignee = ann,
                                               .tags = {errand->uri(), QStringLiteral("new")}});
    form->watchersTokenField()->setObjectValue({ann->uri()});
    QTest::keyClicks(form->titleTextField(), " over");

    KNVTTaskNewWindowController window(form->currentValues());
    KNVTTaskNewViewController *detached = window.taskNewViewController();
    EXPECT_EQ(detached->taskTitle(), QStringLiteral("Carry over"));
    EXPECT_EQ(detached->status(), 1u);
    EXPECT_EQ(detached->priority(), 1u);
    EXPECT_EQ(detached->notes(), QStringLiteral("All of it"));
    EXPECT_FALSE(detached->startDate().isValid());
    EXPECT_EQ(detached->dueDate(), day(9, 15));
    EXPECT_EQ(detached->taskList(), club);
    EXPECT_EQ(detached->assignee(), ann);
    EXPECT_EQ(detached->tagTokens(), (QVariantList{errand->uri(), QStringLiteral("new")}));
    EXPECT_EQ(detached->watchers(), std::vector<KNVTCDUser *>{ann});
    EXPECT_TRUE(detached->isCollaboratorsSectionExpanded());
    EXPECT_EQ(window.size(), QSize(480, 315));
}

} // namespace

namespace {

TEST_F(KNVTTaskNewViewControllerTest, AFormFindsThePopoverItWasPutIntoWithoutBeingTold)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    taskList("Club", {{ann}});
    save();
    auto *form = new KNVTTaskNewViewController();
    auto *unnamed = new knvt::Popover(&anchor);
    unnamed->setContentWidget(form->view());
    form->setParent(form->view());
    unnamed->showRelativeTo(QRect(), &anchor, knvt::Opener::User);
    EXPECT_EQ(form->popover(), unnamed);
    const int height = unnamed->height();
    ASSERT_TRUE(choose(form->taskListPopUpButton(), "Club"));
    EXPECT_EQ(unnamed->height(), height + 32);
    QTest::mouseClick(form->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(unnamed->isShown());
    QPointer<KNVTTaskNewViewController> watched = form;
    delete unnamed;
    EXPECT_TRUE(watched.isNull());
}

} // namespace
