#include "EditorsFixture.h"

#include "editors/KNVTProjectNewWindowController.h"
#include "editors/KNVTScheduleTasksWindowController.h"
#include "editors/KNVTTasksAssignViewController.h"
#include "editors/KNVTTasksAssignWindowController.h"

#include "uikit/KNVTDatePicker.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextLayout>

namespace {

QStringList itemTexts(const QComboBox *popUp)
{
    QStringList texts;
    for (int i = 0; i < popUp->count(); ++i)
        texts.append(popUp->itemText(i));
    return texts;
}

class AssignAndScheduleTest : public EditorsFixture
{
protected:
    void SetUp() override
    {
        EditorsFixture::SetUp();
        host.resize(500, 400);
        host.show();
        ann = user("Ann", "Lee", "ann");
        uma = user("Uma", "Three", "u3");
        club = taskList("Club", {{ann}, {uma}});
        first = task("Paint fence", club);
        second = task("Mow lawn", club);
        save();
    }

    QWidget host;
    KNVTCDUser *ann = nullptr;
    KNVTCDUser *uma = nullptr;
    KNVTCDTaskList *club = nullptr;
    KNVTCDTask *first = nullptr;
    KNVTCDTask *second = nullptr;
};

TEST_F(AssignAndScheduleTest, TheAssignSheetOffersTheListsMembersAndAssignsEveryTaskHalfASecondLater)
{
    KNVTTasksAssignWindowController sheet({first, second}, &host);
    sheet.open();
    EXPECT_EQ(sheet.titleTextField()->text(), QStringLiteral("Delegate Tasks"));
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
    QComboBox *popUp = sheet.assigneePopUpButton();
    EXPECT_EQ(itemTexts(popUp), (QStringList{"Ann Lee (ann)", "Maria Mendes (maria)", "Uma Three (u3)"}));
    EXPECT_EQ(popUp->currentText(), QStringLiteral("Maria Mendes (maria)"));
    EXPECT_EQ(popUp->currentData().toUrl(), me->uri());

    QSignalSpy finished(&sheet, &QDialog::finished);
    popUp->setCurrentIndex(2);
    QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(first->assignee(), uma);
    EXPECT_EQ(second->assignee(), uma);
    EXPECT_EQ(saves.requestedDelays(), std::vector<double>{0.5});
    EXPECT_EQ(saves.advance(0.49), 0);
    EXPECT_EQ(saves.advance(0.01), 1);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());

    KNVTTasksAssignWindowController again({first, second}, &host);
    again.open();
    again.assigneePopUpButton()->setCurrentIndex(0);
    QTest::mouseClick(again.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(first->assignee(), uma);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());
}

TEST_F(AssignAndScheduleTest, OneTaskOpensOnItsAssigneeWhileThatPersonIsStillAMember)
{
    first->setAssignee(ann);
    save();
    KNVTTasksAssignWindowController sheet({first}, &host);
    EXPECT_EQ(sheet.titleTextField()->text(), QStringLiteral("Delegate Task"));
    EXPECT_EQ(sheet.assigneePopUpButton()->currentText(), QStringLiteral("Ann Lee (ann)"));

    KNVTCDUser *stranger = user("Sam", "Stone", "sam");
    second->setAssignee(stranger);
    save();
    KNVTTasksAssignWindowController other({second}, &host);
    EXPECT_EQ(other.assigneePopUpButton()->currentText(), QStringLiteral("Maria Mendes (maria)"));
}

TEST_F(AssignAndScheduleTest, TasksWithoutOneCommonEditableListCanOnlyGoToMe)
{
    KNVTCDTask *inbox = task("Inbox task");
    inbox->setAssignee(nullptr);
    first->setAssignee(ann);
    save();
    KNVTTasksAssignWindowController mixed({first, inbox}, &host);
    EXPECT_EQ(itemTexts(mixed.assigneePopUpButton()), QStringList{"Maria Mendes (maria)"});
    mixed.save();
    EXPECT_EQ(first->assignee(), me);
    EXPECT_EQ(inbox->assignee(), me);

    KNVTTasksAssignWindowController none({}, &host);
    EXPECT_EQ(itemTexts(none.assigneePopUpButton()), QStringList{"Maria Mendes (maria)"});
}

TEST_F(AssignAndScheduleTest, AssigningSkipsTasksThatAreGoneOrNoLongerEditable)
{
    KNVTCDTaskList *archive = taskList("Archive", {{ann}});
    KNVTCDTask *frozen = task("Frozen", archive);
    save();
    KNVTTasksAssignWindowController sheet({first, second}, &host);
    sheet.assigneePopUpButton()->setCurrentIndex(0); // Ann
    second->markAsDeleted();
    save();
    sheet.save();
    EXPECT_EQ(first->assignee(), ann);
    EXPECT_TRUE(second->isDeleted());

    KNVTTasksAssignWindowController later({frozen}, &host);
    later.assigneePopUpButton()->setCurrentIndex(0); // Ann
    archive->setArchived(true);
    later.save();
    EXPECT_EQ(frozen->assignee(), me);
}

TEST_F(AssignAndScheduleTest, TheAssignPopoverFillsWhenShownAndClosesOnSave)
{
    auto *form = new KNVTTasksAssignViewController({first});
    auto *popover = new knvt::Popover(&host);
    form->setParent(popover);
    form->setPopover(popover);
    popover->setContentWidget(form->view());
    popover->showRelativeTo(QRect(), &host, knvt::Opener::User);
    EXPECT_EQ(itemTexts(form->assigneePopUpButton()).size(), 3);
    EXPECT_EQ(form->assigneePopUpButton()->currentText(), QStringLiteral("Maria Mendes (maria)"));
    form->assigneePopUpButton()->setCurrentIndex(2);
    QTest::mouseClick(form->saveButton(), Qt::LeftButton);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(first->assignee(), uma);
    EXPECT_EQ(saves.requestedDelays(), std::vector<double>{0.5});
}

TEST_F(AssignAndScheduleTest, TheScheduleSheetNamesItsTasksAndStartsOnTomorrowOrTheTasksStart)
{
    KNVTScheduleTasksWindowController two({first, second}, &host);
    EXPECT_EQ(two.titleTextField()->text(), QStringLiteral("Schedule 2 Tasks"));
    // A sheet's frame has a close button and no maximise button.
    EXPECT_TRUE(two.windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(two.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(two.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(two.datePicker()->dateValue(), day(5));
    EXPECT_EQ(two.datePicker()->minDate(), day(4));
    EXPECT_EQ(two.startDateTextField()->text(), QStringLiteral("Thu, Mar 05, 2015"));

    KNVTScheduleTasksWindowController unscheduled({first}, &host);
    EXPECT_EQ(unscheduled.titleTextField()->text(), QStringLiteral("Schedule \"Paint fence\""));

    second->setStartDate(day(9, 7));
    KNVTScheduleTasksWindowController later({second}, &host);
    EXPECT_EQ(later.titleTextField()->text(), QStringLiteral("Reschedule \"Mow lawn\""));
    EXPECT_EQ(later.datePicker()->dateValue(), day(9, 7));

    second->setStartDate(day(1, 7));
    KNVTScheduleTasksWindowController past({second}, &host);
    EXPECT_EQ(past.titleTextField()->text(), QStringLiteral("Reschedule \"Mow lawn\""));
    EXPECT_EQ(past.datePicker()->dateValue(), day(4));
    EXPECT_EQ(past.startDateTextField()->text(), QStringLiteral("Wed, Mar 04, 2015"));
}

// A Hebrew title ending in "!" inside the English heading: the "!" ends the Hebrew, so it stands at the Hebrew's left,
// and the heading's own quote marks stay outside the title's run. An English title is shown as it is.
TEST_F(AssignAndScheduleTest, TheScheduleHeadingKeepsATitleInItsOwnDirection)
{
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
    first->setTitle(hebrew + QLatin1Char('!'));
    save();
    KNVTScheduleTasksWindowController sheet({first}, &host);
    const QString heading = sheet.titleTextField()->text();
    QTextLayout layout(heading, sheet.titleTextField()->font());
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(10000);
    layout.endLayout();
    const auto x = [&](qsizetype at) { return line.cursorToX(int(at)); };
    const qsizetype mark = heading.indexOf(QLatin1Char('!'));
    const qsizetype word = heading.indexOf(hebrew);
    ASSERT_GE(mark, 0);
    ASSERT_GE(word, 0);
    for (qsizetype between = word + 1; between < word + hebrew.size(); ++between)
        EXPECT_LT(x(mark), x(between)) << "the ! stands at the left of the Hebrew letters";
    EXPECT_GT(x(heading.lastIndexOf(QLatin1Char('"'))), x(heading.indexOf(QLatin1Char('"'))));
    EXPECT_LT(x(heading.indexOf(QLatin1Char('"'))), x(word + 1));

    KNVTScheduleTasksWindowController english({second}, &host);
    EXPECT_EQ(english.titleTextField()->text(), QStringLiteral("Schedule \"Mow lawn\""));
}

TEST_F(AssignAndScheduleTest, SavingStartsEveryTaskOnThePickedDayAtMidnight)
{
    first->setDueDate(day(20, 17));
    first->markAsCompleted();
    first->setArchived(true);
    second->setStatus(KNVTTaskStatusSomeday);
    save();
    KNVTScheduleTasksWindowController sheet({first, second}, &host);
    sheet.open();
    sheet.datePicker()->setFocus();
    QTest::keyClick(sheet.datePicker(), Qt::Key_Right); // Friday the 6th
    EXPECT_EQ(sheet.startDateTextField()->text(), QStringLiteral("Fri, Mar 06, 2015"));
    QSignalSpy finished(&sheet, &QDialog::finished);
    QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
    for (KNVTCDTask *scheduled : {first, second}) {
        EXPECT_EQ(scheduled->startDate(), day(6));
        EXPECT_EQ(scheduled->status(), KNVTTaskStatusActionable);
        EXPECT_FALSE(scheduled->isArchived());
    }
    EXPECT_EQ(first->dueDate(), day(20, 17));
    EXPECT_EQ(saves.requestedDelays(), std::vector<double>{0.5});
}

TEST_F(AssignAndScheduleTest, ATaskDeletedWhileTheScheduleSheetIsOpenIsLeftOutAndCancelChangesNothing)
{
    KNVTScheduleTasksWindowController sheet({first, second}, &host);
    second->markAsDeleted();
    save();
    EXPECT_EQ(sheet.titleTextField()->text(), QStringLiteral("Schedule \"Paint fence\"")) << "the title follows";
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Schedule \"Paint fence\""));
    sheet.save();
    EXPECT_EQ(first->startDate(), day(5));
    EXPECT_TRUE(second->isDeleted());
    saves.runAll();

    KNVTScheduleTasksWindowController cancelled({first}, &host);
    QTest::keyClick(cancelled.datePicker(), Qt::Key_Right);
    cancelled.cancel();
    EXPECT_EQ(first->startDate(), day(5));
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());

    // With none of its tasks left the sheet closes.
    KNVTScheduleTasksWindowController emptied({first}, &host);
    emptied.open();
    QSignalSpy finished(&emptied, &QDialog::finished);
    first->markAsDeleted();
    save();
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(AssignAndScheduleTest, ATaskDeletedAfterItWasSyncedOrNoLongerMineToEditIsNeitherScheduledNorAssigned)
{
    first->setNumericIdentifier(11);
    second->setNumericIdentifier(12);
    KNVTCDTaskList *archive = taskList("Archive", {{ann}});
    KNVTCDTask *frozen = task("Frozen", archive);
    save();
    KNVTScheduleTasksWindowController schedule({first, second, frozen}, &host);
    KNVTTasksAssignWindowController assign({first, second}, &host);
    assign.assigneePopUpButton()->setCurrentIndex(0); // Ann
    // A synced task stays behind as a deletion for the service to hear of.
    second->markAsDeleted();
    archive->setArchived(true);
    save();
    ASSERT_FALSE(second->isDeleted());
    ASSERT_TRUE(second->deletedDate().isValid());

    schedule.save();
    assign.save();
    EXPECT_EQ(first->startDate(), day(5));
    EXPECT_EQ(first->assignee(), ann);
    EXPECT_FALSE(second->startDate().isValid());
    EXPECT_EQ(second->assignee(), me);
    EXPECT_FALSE(second->isUpdated()) << "nothing is queued for the service about a deleted task";
    EXPECT_FALSE(frozen->startDate().isValid());
    EXPECT_FALSE(frozen->isUpdated());
}

} // namespace

// A sheet is as large as what it asks: its window says so to the window manager (its least size is its largest), which
// then offers no resizing and draws no grip under the buttons.
TEST_F(AssignAndScheduleTest, TheNewProjectDelegateAndScheduleSheetsKeepTheSizeOfWhatTheyAsk)
{
    KNVTProjectNewWindowController project(&host);
    KNVTTasksAssignWindowController delegate({first, second}, &host);
    KNVTScheduleTasksWindowController schedule({first, second}, &host);
    for (knvt::Sheet *sheet : std::initializer_list<knvt::Sheet *>{&project, &delegate, &schedule}) {
        SCOPED_TRACE(sheet->windowTitle().toStdString());
        sheet->open();
        EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize());
        EXPECT_EQ(sheet->size(), sheet->sizeHint());
        sheet->reject();
    }
}
