// The commands on the selected rows of a focus list, as the user reaches them: the row's context menu, the list's own
// keys and the keys of the menu bar; the delete confirmations and their "do not ask again" box.

#include "AppDriver.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include "uikit/KNVTPreferenceKeys.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class ItemActionsFeature : public ::testing::Test
{
protected:
    AppDriver app;
    QDateTime now() const { return AppDriver::defaultNow(); }
    QString suppressionKey() const { return QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey); }
};

} // namespace

TEST_F(ItemActionsFeature, TheContextMenuMovesATaskToTodayAndControlTTakesItBack)
{
    app.givenTask(QStringLiteral("Call Ann"));
    app.openContextMenu(QStringLiteral("Call Ann"));
    EXPECT_EQ(app.contextMenu().first(), QStringLiteral("Move To Today\tCtrl+T"));
    app.choose({QStringLiteral("Move To Today")});
    app.selectHome(QStringLiteral("Today"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Call Ann"}));

    app.openContextMenu(QStringLiteral("Call Ann"));
    EXPECT_EQ(app.contextMenu().first(), QStringLiteral("Remove From Today\tCtrl+T"));
    app.press(QStringLiteral("Ctrl+T"));
    app.settle();
    EXPECT_TRUE(app.centreRows().isEmpty());
    app.selectHome(QStringLiteral("Next"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Call Ann"}));
}

TEST_F(ItemActionsFeature, MovingToSomedayAndBackUsesOneKeyForBothDirections)
{
    app.givenTask(QStringLiteral("Learn Greek"));
    app.openContextMenu(QStringLiteral("Learn Greek"));
    app.choose({QStringLiteral("Move To Someday")});
    app.selectHome(QStringLiteral("Someday"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Tasks", "[ ] Learn Greek"}));

    app.selectRows({QStringLiteral("Learn Greek")});
    const AppDriver::MenuItemState remove =
        app.menuItem(QStringLiteral("Items"), QStringLiteral("Remove From Someday"));
    const AppDriver::MenuItemState move = app.menuItem(QStringLiteral("Items"), QStringLiteral("Move To Someday"));
    EXPECT_TRUE(remove.visible);
    EXPECT_TRUE(remove.enabled);
    EXPECT_EQ(remove.shortcut, QStringLiteral("Ctrl+S"));
    EXPECT_FALSE(move.visible);
    EXPECT_TRUE(move.shortcut.isEmpty()) << "the hidden twin has no key";
    app.openContextMenu(QStringLiteral("Learn Greek"));
    EXPECT_EQ(app.contextMenu()[1], QStringLiteral("Remove From Someday\tCtrl+S"));

    app.press(QStringLiteral("Ctrl+S"));
    app.settle();
    EXPECT_TRUE(app.centreRows().isEmpty());
    app.selectHome(QStringLiteral("Next"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Learn Greek"}));
}

TEST_F(ItemActionsFeature, MarkingCompletedUncompletedAndCancelledThroughTheMenuAndTheKeys)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Water plants"));
    app.openContextMenu(QStringLiteral("Pay rent"));
    app.choose({QStringLiteral("Mark"), QStringLiteral("As Completed")});
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Water plants", "# Completed", "[x] Pay rent"}));

    // A completed task offers the way back on the same key.
    app.openContextMenu(QStringLiteral("Pay rent"));
    const QStringList menu = app.contextMenu();
    const qsizetype mark = menu.indexOf(QStringLiteral("Mark"));
    ASSERT_GE(mark, 0);
    EXPECT_EQ(menu.mid(mark + 1, 2), (QStringList{"  As Uncompleted\tCtrl+.", "  As Cancelled\tAlt+Backspace"}));
    app.press(QStringLiteral("Ctrl+."));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay rent", "[ ] Water plants"}));

    app.selectRows({QStringLiteral("Water plants")});
    app.press(QStringLiteral("Alt+Backspace"));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay rent", "# Completed", "[-] Water plants"}));
    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Ctrl+."));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Completed", "[x] Pay rent", "[-] Water plants"}));
}

TEST_F(ItemActionsFeature, EditingFromTheMenuReturnAndEnterOpensTheEditorBesideTheRow)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.openContextMenu(QStringLiteral("Pay rent"));
    EXPECT_TRUE(app.contextMenu().contains(QStringLiteral("Edit\tReturn")));
    app.choose({QStringLiteral("Edit")});
    app.closePopover();
    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Return"));
    app.closePopover();
    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Enter"));
    EXPECT_EQ(app.windowsOpened(),
              (QStringList{"KNVTTaskEditViewController: Pay rent", "KNVTTaskEditViewController: Pay rent",
                           "KNVTTaskEditViewController: Pay rent"}));
}

TEST_F(ItemActionsFeature, OpeningFromTheMenuOrWithControlOShowsTheTaskInItsOwnWindow)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.openContextMenu(QStringLiteral("Pay rent"));
    app.choose({QStringLiteral("Open")});
    app.selectRows({QStringLiteral("Call Ann")});
    app.press(QStringLiteral("Ctrl+O"));
    EXPECT_EQ(app.windowsOpened(),
              (QStringList{"KNVTTaskWindowController: Pay rent", "KNVTTaskWindowController: Call Ann"}));
    EXPECT_EQ(app.openWindows().count(QStringLiteral("mainWindow")), 1);
    EXPECT_EQ(app.openWindows().size(), 3);
}

TEST_F(ItemActionsFeature, DuplicatingATaskWithControlDMakesASecondRow)
{
    app.givenTask(QStringLiteral("Pay rent"), {.notes = QStringLiteral("to Ann")});
    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Ctrl+D"));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay rent", "[ ] Pay rent"}));
    int withNotes = 0;
    for (KNVTCDTask *task : app.store().inboxTasks())
        withNotes += task->notes() == QStringLiteral("to Ann");
    EXPECT_EQ(withNotes, 2);
}

TEST_F(ItemActionsFeature, DeletingOneTaskAsksAndTheDoNotAskAgainBoxStopsTheQuestionEvenAfterCancel)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectRows({QStringLiteral("Pay rent")});
    app.answerAlert(QStringLiteral("Cancel"), {.suppress = true});
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.settle();
    EXPECT_EQ(app.alertsShown(), QStringList{"Delete Task? / This action cannot be undone. [Delete, Cancel]"});
    EXPECT_EQ(app.alerts().requests().front().showsSuppressionButton, true);
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call Ann", "[ ] Pay rent"})) << "Cancel kept it";
    EXPECT_EQ(app.defaults(suppressionKey()), QVariant(true));

    app.openContextMenu(QStringLiteral("Pay rent"));
    app.choose({QStringLiteral("Delete")});
    EXPECT_EQ(app.alertsShown().size(), 1) << "not asked again";
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call Ann"}));
}

TEST_F(ItemActionsFeature, DeletingTwoTasksAsksOnceForBoth)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectRows({QStringLiteral("Pay rent"), QStringLiteral("Call Ann")});
    app.answerAlert(QStringLiteral("Delete"));
    app.chooseMenu(QStringLiteral("Edit"), QStringLiteral("Delete"));
    EXPECT_EQ(app.alertsShown(), QStringList{"Delete Tasks? / This action cannot be undone. [Delete, Cancel]"});
    EXPECT_TRUE(app.alerts().requests().front().showsSuppressionButton);
    EXPECT_TRUE(app.centreRows().isEmpty());
    EXPECT_FALSE(app.defaults(suppressionKey()).toBool()) << "the box was left off";
}

TEST_F(ItemActionsFeature, DeletingProjectsAlwaysAsksEvenWhenTasksNoLongerAsk)
{
    app.givenDefault(QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey), true);
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.givenTask(QStringLiteral("Learn Greek"), {.status = 1});
    app.selectHome(QStringLiteral("Someday"));

    // A task and a project: one question for both, without the box.
    app.selectRows({QStringLiteral("Learn Greek"), QStringLiteral("Shelf")});
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Tasks", "[ ] Learn Greek", "# Someday Projects", "[ ] Shelf"}));
    ASSERT_EQ(app.alerts().requests().size(), 1u);
    EXPECT_FALSE(app.alerts().requests()[0].showsSuppressionButton);

    app.openContextMenu(QStringLiteral("Shelf"));
    app.answerAlert(QStringLiteral("Delete"));
    app.choose({QStringLiteral("Delete")});
    EXPECT_EQ(app.alertsShown(),
              (QStringList{"Delete Items / This action cannot be undone. [Delete, Cancel]",
                           "Delete Items / This action cannot be undone. [Delete, Cancel]"}));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Tasks", "[ ] Learn Greek"}));
}

TEST_F(ItemActionsFeature, TheMoveToMenuTakesATaskIntoAProjectAndBackToTheInboxOrToNext)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Buy seeds"));
    app.openContextMenu(QStringLiteral("Buy seeds"));
    app.choose({QStringLiteral("Move To"), QStringLiteral("Garden")});
    EXPECT_TRUE(app.centreRows().isEmpty());
    app.selectHome(QStringLiteral("Garden"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Buy seeds"}));

    app.selectHome(QStringLiteral("Next"));
    app.openContextMenu(QStringLiteral("Buy seeds"));
    app.choose({QStringLiteral("Move To"), QStringLiteral("Move To Inbox")});
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Buy seeds"}));

    app.openContextMenu(QStringLiteral("Buy seeds"));
    app.choose({QStringLiteral("Move To"), QStringLiteral("Move To Someday")});
    app.selectHome(QStringLiteral("Someday"));
    app.openContextMenu(QStringLiteral("Buy seeds"));
    app.choose({QStringLiteral("Move To"), QStringLiteral("Move To Next")});
    app.selectHome(QStringLiteral("Next"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Buy seeds"}));

    app.openContextMenu(QStringLiteral("Buy seeds"));
    app.choose({QStringLiteral("Move To"), QStringLiteral("Schedule")});
    app.openContextMenu(QStringLiteral("Buy seeds"));
    app.choose({QStringLiteral("Schedule")});
    EXPECT_EQ(
        app.windowsOpened(),
        (QStringList{"KNVTScheduleTasksWindowController: Buy seeds", "KNVTScheduleTasksWindowController: Buy seeds"}));
}

TEST_F(ItemActionsFeature, DetachingATaskFromItsProjectPutsItInTheInbox)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Buy seeds"), {.list = QStringLiteral("Garden")});
    app.selectHome(QStringLiteral("Next"));
    app.selectRows({QStringLiteral("Buy seeds")});
    EXPECT_TRUE(app.menuItem(QStringLiteral("Items"), QStringLiteral("Detach from Task List")).enabled);
    app.chooseMenu(QStringLiteral("Items"), QStringLiteral("Detach from Task List"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Buy seeds"}));
}

TEST_F(ItemActionsFeature, AssigningATaskOfASharedProjectToAMemberDelegatesIt)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.members = {QStringLiteral("Ann")}});
    app.givenTask(QStringLiteral("Book the hall"), {.list = QStringLiteral("Club")});
    app.selectHome(QStringLiteral("Next"));
    app.openContextMenu(QStringLiteral("Book the hall"));
    const QStringList menu = app.contextMenu();
    const qsizetype assign = menu.indexOf(QStringLiteral("Assign To"));
    ASSERT_GE(assign, 0);
    EXPECT_EQ(menu.mid(assign + 1, 3), (QStringList{"  Me", "  -", "  Ann (ann)"}));
    app.choose({QStringLiteral("Assign To"), QStringLiteral("Ann (ann)")});
    EXPECT_TRUE(app.centreRows().isEmpty());
    app.selectHome(QStringLiteral("Delegated"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Ann (ann)", "[ ] Book the hall"}));
}

TEST_F(ItemActionsFeature, ArchivingACompletedInboxTaskAndUnarchivingItFromArchived)
{
    app.givenTask(QStringLiteral("Pay rent"), {.completed = true});
    app.openContextMenu(QStringLiteral("Pay rent"));
    app.choose({QStringLiteral("Archive")});
    EXPECT_TRUE(app.centreRows().isEmpty());
    app.selectHome(QStringLiteral("Archived"));
    EXPECT_EQ(app.centreRows(), QStringList{"[x] Pay rent"});
    app.openContextMenu(QStringLiteral("Pay rent"));
    EXPECT_FALSE(app.contextMenu().contains(QStringLiteral("Archive")));
    app.choose({QStringLiteral("Unarchive")});
    EXPECT_TRUE(app.centreRows().isEmpty());
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Completed", "[x] Pay rent"}));
}

TEST_F(ItemActionsFeature, AProjectSharedWithMeCannotBeMarkedFromSomedayNotEvenWithTheKey)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.status = 1, .owner = QStringLiteral("Ann")});
    app.selectHome(QStringLiteral("Someday"));
    app.openContextMenu(QStringLiteral("Club"));
    EXPECT_FALSE(app.contextMenu().contains(QStringLiteral("Mark")));
    app.press(QStringLiteral("Ctrl+."));
    app.press(QStringLiteral("Alt+Backspace"));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Projects", "[ ] Club"}));
}

TEST_F(ItemActionsFeature, AChangedTaskStaysSelectedAndTheToolbarStillActsOnIt)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.openContextMenu(QStringLiteral("Pay rent"));
    app.choose({QStringLiteral("Move To Today")});
    EXPECT_EQ(app.rightPane(), QStringLiteral("Pay rent"));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Delete")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Move")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Today")));
    app.clickToolbar(QStringLiteral("Today"));
    app.selectHome(QStringLiteral("Today"));
    EXPECT_TRUE(app.centreRows().isEmpty()) << "the second press took it out of Today again";
}

TEST_F(ItemActionsFeature, SomedayTakesTasksOnlySoATaskWithAProjectIsRefusedBothWays)
{
    app.givenProject(QStringLiteral("Boat"), {.status = 1});
    app.givenTask(QStringLiteral("Learn Greek"), {.status = 1});
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectHome(QStringLiteral("Someday"));
    const QStringList someday{"# Someday Tasks", "[ ] Learn Greek", "# Someday Projects", "[ ] Boat"};
    ASSERT_EQ(app.centreRows(), someday);

    app.openContextMenu({QStringLiteral("Learn Greek"), QStringLiteral("Boat")});
    const QStringList menu = app.contextMenu();
    EXPECT_TRUE(menu.contains(QStringLiteral("Remove From Someday\tCtrl+S (off)"))) << menu.join('|').toStdString();
    EXPECT_TRUE(menu.contains(QStringLiteral("  Remove From Someday\tCtrl+S (off)"))) << "Move To > Someday";
    EXPECT_TRUE(menu.contains(QStringLiteral("  Move To Next"))) << "Next takes tasks and lists together";
    EXPECT_TRUE(app.toolbarMoveMenu().contains(QStringLiteral("Remove From Someday\tCtrl+S (off)")))
        << app.toolbarMoveMenu().join('|').toStdString();
    const AppDriver::MenuItemState remove =
        app.menuItem(QStringLiteral("Items"), QStringLiteral("Remove From Someday"));
    EXPECT_TRUE(remove.visible);
    EXPECT_FALSE(remove.enabled);
    app.press(QStringLiteral("Ctrl+S"));
    app.settle();
    EXPECT_EQ(app.centreRows(), someday) << "neither row left Someday";

    // The task alone may go either way.
    app.openContextMenu(QStringLiteral("Learn Greek"));
    EXPECT_TRUE(app.contextMenu().contains(QStringLiteral("Remove From Someday\tCtrl+S")));
    EXPECT_TRUE(app.contextMenu().contains(QStringLiteral("  Remove From Someday\tCtrl+S")));
    app.selectHome(QStringLiteral("Inbox"));
    app.openContextMenu(QStringLiteral("Call Ann"));
    EXPECT_TRUE(app.contextMenu().contains(QStringLiteral("Move To Someday\tCtrl+S")));
    app.choose({QStringLiteral("Move To"), QStringLiteral("Move To Someday")});
    app.selectHome(QStringLiteral("Someday"));
    EXPECT_EQ(app.centreRows(),
              (QStringList{"# Someday Tasks", "[ ] Call Ann", "[ ] Learn Greek", "# Someday Projects", "[ ] Boat"}));
}

TEST_F(ItemActionsFeature, MarkingEveryRowCompletedMakesOnlyTheOpenRepeatingTaskRepeat)
{
    const QString daily = QStringLiteral("RRULE:FREQ=DAILY");
    app.givenProject(QStringLiteral("Chores"));
    app.givenTask(QStringLiteral("Water plants"), {.list = QStringLiteral("Chores"), .status = 4, .repeats = daily});
    app.givenTask(QStringLiteral("Feed cat"), {.list = QStringLiteral("Chores"), .status = 4, .repeats = daily});
    app.givenTask(QStringLiteral("Take out bins"), {.list = QStringLiteral("Chores"), .repeats = daily});
    app.selectHome(QStringLiteral("Chores"));

    // Each round completes the one open task, whose next occurrence appears; the completed ones stay as they were.
    for (int round = 1; round <= 2; ++round) {
        app.selectRows({QStringLiteral("Take out bins")});
        app.press(QStringLiteral("Ctrl+A"));
        app.press(QStringLiteral("Ctrl+."));
        app.settle();
        EXPECT_EQ(app.store().managedObjectContext()->count<KNVTCDTask>(), 3 + round) << "round " << round;
        EXPECT_EQ(app.centreRows().count(QStringLiteral("[ ] Take out bins")), 1) << "round " << round;
    }
}
