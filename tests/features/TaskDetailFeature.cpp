// The task detail of the main window and the task's own window.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class TaskDetailFeature : public ::testing::Test
{
protected:
    QDateTime now() const { return AppDriver::defaultNow(); }

    KNVTCDTaskComment *givenComment(KNVTCDTask *task, const QString &text, KNVTCDUser *author)
    {
        KNVTCDTaskComment *comment = app.store().commentWithText(text, task);
        comment->setUser(author);
        app.saveGivens();
        return comment;
    }

    AppDriver app;
};

} // namespace

TEST_F(TaskDetailFeature, SelectingATaskShowsItsListDatesNotesPeopleAndComments)
{
    app.givenSharedProject("Travel", {.members = {"Ann"}});
    KNVTCDTask *passport = app.givenTask("Renew passport",
                                         {.due = now().addDays(-1),
                                          .start = now().addDays(-3),
                                          .list = "Travel",
                                          .notes = "Two photos and the old passport",
                                          .assignee = "Ann"});
    KNVTCDUser *ann = app.givenUser("Ann");
    givenComment(passport, "Booked the slot", ann);
    app.givenNow(now().addSecs(60));
    givenComment(passport, "Thanks", app.store().me());
    app.selectHome("Travel");
    app.selectRows({"Renew passport"});
    EXPECT_EQ(app.detailRows(),
              (QStringList{
                  "title [ ] Renew passport (tint red)",
                  "list Travel",
                  "header Dates",
                  "due Tue, Mar 03, 2015 (red)",
                  "header Notes",
                  "notes Two photos and the old passport",
                  "header People",
                  "people Me (me), Ann",
                  "header Comments",
                  "comment Ann: Booked the slot",
                  "my comment Me: Thanks [Edit, Delete]",
              }));
}

TEST_F(TaskDetailFeature, TickingTheBoxCompletesAtOnceAndARepeatingTaskGetsItsNextOccurrence)
{
    KNVTCDTask *water = app.givenTask("Water plants", {.due = now()});
    water->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyDaily, 1)));
    app.saveGivens();
    app.selectRows({"Water plants"});
    const qsizetype before = app.store().tasks().size();
    app.clickDetailCheckBox();
    EXPECT_TRUE(water->isCompleted());
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "saved at once";
    EXPECT_EQ(app.store().tasks().size(), before + 1);
    EXPECT_EQ(app.detailRows().first(), QStringLiteral("title [x] Water plants"));
}

TEST_F(TaskDetailFeature, NarrowingTheWindowMakesTheNotesTallerWithoutRebuildingAndASaveKeepsTheScrollPosition)
{
    QString notes;
    for (int i = 0; i < 30; ++i)
        notes += QStringLiteral("Paragraph %1 of notes that run on about the task at hand. ").arg(i);
    KNVTCDTask *essay = app.givenTask("Essay", {.notes = notes});
    app.selectRows({"Essay"});
    app.resizeMainWindow(1400, 500);
    const int wide = app.detailRowHeight("notes");
    QSignalSpy resets(app.detailModel(), &QAbstractItemModel::modelReset);
    app.resizeMainWindow(1000, 500);
    EXPECT_GT(app.detailRowHeight("notes"), wide);
    EXPECT_EQ(resets.count(), 0);

    app.scrollDetailTo(120);
    const int position = app.detailScrollPosition();
    ASSERT_GT(position, 0);
    essay->setTitle("Essay, revised");
    app.saveGivens();
    EXPECT_EQ(resets.count(), 0) << "the title's row changes in place";
    EXPECT_EQ(app.detailScrollPosition(), position);
    EXPECT_EQ(app.detailRows().first(), QStringLiteral("title [ ] Essay, revised"));
}

TEST_F(TaskDetailFeature, APastStartShowsNoStartRow)
{
    app.givenTask("Started", {.start = now().addDays(-2)});
    app.givenTask("Later", {.start = now().addDays(5)});
    app.selectRows({"Started"});
    EXPECT_EQ(app.detailRows(), QStringList{"title [ ] Started (tint yellow)"});
    app.selectHome("Scheduled");
    app.selectRows({"Later"});
    EXPECT_EQ(app.detailRows(), (QStringList{"title [ ] Later", "header Dates", "start Mon, Mar 09, 2015"}));
}

TEST_F(TaskDetailFeature, DoubleClickingATaskOpensOneWindowForItAndTheToolbarActsOnIt)
{
    app.givenTask("Renew passport");
    app.doubleClickRow("Renew passport");
    EXPECT_TRUE(app.openEditors().contains(QStringLiteral("KNVTTaskWindowController 'Renew passport' 420x520")))
        << app.openEditors().join('\n').toStdString();
    app.doubleClickRow("Renew passport");
    EXPECT_EQ(app.windowsOpened().count(QStringLiteral("KNVTTaskWindowController: Renew passport")), 1);
    EXPECT_EQ(app.app().taskWindowControllers().size(), 1u);

    app.pressInTaskWindow("Renew passport", "Edit");
    EXPECT_TRUE(app.openEditors().contains(QStringLiteral("KNVTTaskEditViewController '' 480x279")))
        << app.openEditors().join('\n').toStdString();
    app.pressInTaskWindow("Renew passport", "Edit");
    EXPECT_FALSE(app.openEditors().join('\n').contains(QStringLiteral("KNVTTaskEditViewController")));

    app.editFromMainWindowWhileTaskWindowIsOpen("Renew passport");
    EXPECT_TRUE(app.openEditors().join('\n').contains(QStringLiteral("KNVTTaskEditWindowController 'Edit Task'")));
    EXPECT_EQ(app.fieldText("titleTextField"), QStringLiteral("Renew passport"));
    app.typeIn("titleTextField", " now");
    app.pressReturn();
    app.wait(0.5);
    EXPECT_TRUE(app.openEditors().join('\n').contains(QStringLiteral("KNVTTaskWindowController 'Renew passport now'")))
        << app.openEditors().join('\n').toStdString();

    KNVTCDTask *task = app.store().tasks().front();
    app.pressInTaskWindow("Renew passport now", "Today");
    EXPECT_TRUE(task->isToday());
    app.pressInTaskWindow("Renew passport now", "Today");
    EXPECT_EQ(task->focusType(), KNVTFocusTypeNext);
}

TEST_F(TaskDetailFeature, TodayInTheTaskWindowMovesAnOverdueTaskToTodayAsTheMainWindowDoes)
{
    KNVTCDTask *pay = app.givenTask("Pay rent", {.due = now().addDays(-1)});
    app.selectHome("Today");
    app.doubleClickRow("Pay rent");
    app.pressInTaskWindow("Pay rent", "Today");
    EXPECT_EQ(pay->startDate(), QDateTime(now().date(), QTime(0, 0)));
    EXPECT_TRUE(pay->isToday());
    // In Today by its start now, it goes to Next; its due date keeps it in Today's list.
    app.pressInTaskWindow("Pay rent", "Today");
    EXPECT_FALSE(pay->startDate().isValid());
    EXPECT_EQ(pay->dueDate(), now().addDays(-1));

    // The main window's toolbar and the list's keys do the same.
    app.selectRows({"Pay rent"});
    app.clickToolbar("Today");
    EXPECT_EQ(pay->startDate(), QDateTime(now().date(), QTime(0, 0)));
    app.press("Ctrl+T");
    EXPECT_FALSE(pay->startDate().isValid());
    app.press("Ctrl+T");
    EXPECT_EQ(pay->startDate(), QDateTime(now().date(), QTime(0, 0)));
}

TEST_F(TaskDetailFeature, ATaskOfAnArchivedProjectCanOnlyBeClosedFromItsWindow)
{
    KNVTCDTaskList *trip = app.givenProject("Trip");
    app.givenTask("Pack", {.list = "Trip"});
    app.selectHome("Trip");
    app.doubleClickRow("Pack");
    trip->setArchived(true);
    app.saveGivens();
    for (const char *button : {"Today", "Assign", "Comment", "Edit"}) {
        app.pressInTaskWindow("Pack", button);
        EXPECT_EQ(app.openEditors(), QStringList{"KNVTTaskWindowController 'Pack' 420x520"}) << button;
    }
    app.pressInTaskWindow("Pack", "Done");
    EXPECT_TRUE(app.openEditors().isEmpty());
}

TEST_F(TaskDetailFeature, DeletingFromATaskWindowAsksAndAPullThatDeletesATaskClosesItsWindow)
{
    app.givenTask("Old");
    KNVTCDTask *synced = app.givenTask("Synced", {.synced = true});
    app.doubleClickRow("Old");
    app.answerAlert("Delete");
    app.pressKeysInTaskWindow("Old", "Ctrl+Backspace");
    EXPECT_EQ(app.alertsShown(), QStringList{"Delete Task? / This action cannot be undone. [Delete, Cancel]"});
    EXPECT_TRUE(app.openEditors().isEmpty());
    app.wait(0);
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Synced"}));

    app.doubleClickRow("Synced");
    ASSERT_EQ(app.openEditors().size(), 1);
    synced->setDeletedDate(now());
    app.saveGivens();
    EXPECT_TRUE(app.openEditors().isEmpty());
    EXPECT_TRUE(app.app().taskWindowControllers().empty() || app.app().taskWindowControllers().size() == 0);
}

TEST_F(TaskDetailFeature, AScreenReaderReadsTheDetailRowByRowAndTicksTheTaskThroughItsBox)
{
    KNVTCDTask *rent = app.givenTask("Pay rent", {.due = now().addDays(-1), .notes = "Transfer before noon"});
    app.selectRows({"Pay rent"});
    QStringList read = app.detailAsRead();
    ASSERT_FALSE(read.isEmpty());
    EXPECT_EQ(read.first(), QStringLiteral("Pay rent (not checked) [Toggle]"));
    EXPECT_TRUE(read.contains(QStringLiteral("Transfer before noon"))) << read.join(" | ").toStdString();
    EXPECT_TRUE(read.contains(QStringLiteral("Dates"))) << read.join(" | ").toStdString();

    app.doDetailRowAction("Pay rent", "Toggle");
    EXPECT_TRUE(rent->isCompleted());
    EXPECT_EQ(app.detailAsRead().first(), QStringLiteral("Pay rent, completed (checked) [Toggle]"));
    EXPECT_EQ(app.detailRows().first(), QStringLiteral("title [x] Pay rent"));

    rent->markAsCancelled();
    app.saveGivens();
    EXPECT_EQ(app.detailAsRead().first(), QStringLiteral("Pay rent, cancelled (mixed) [Toggle]"));
}

TEST_F(TaskDetailFeature, NewTaskAndQuitWorkInATaskWindowAsInTheMainWindow)
{
    KNVTCDTask *pack = app.givenTask("Pack");
    app.doubleClickRow("Pack");
    app.pressKeysInTaskWindow("Pack", "Ctrl+N");
    EXPECT_EQ(app.newTaskWindows(), 1);
    EXPECT_TRUE(app.newTaskWindowHasTitleFocus());

    // A change another part of the program has not saved yet is written as the program quits.
    pack->setTitle("Pack bags");
    app.pressKeysInTaskWindow("Pack", "Ctrl+Q");
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "written while quitting";
}
