// The main window: what the right pane, the toolbar and the menu bar show for the selection, the search field, the
// focus cycle, the splitter and the window's actions.

#include "AppDriver.h"

#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "store/KNVTTaskStore.h"

#include "uikit/ActionSet.h"
#include "uikit/Announcement.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include "uikit/KNVTPreferenceKeys.h"

#include "support/RefusedWrites.h"
#include "support/WaitUntil.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class MainWindowFeature : public ::testing::Test
{
protected:
    AppDriver app;
    QDateTime now() const { return AppDriver::defaultNow(); }
};

} // namespace

TEST_F(MainWindowFeature, SelectingOneTaskTwoAndNoneShowsTheTaskThenThePlaceholders)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectRows({QStringLiteral("Pay rent")});
    EXPECT_EQ(app.rightPane(), QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent"), QStringLiteral("Call Ann")});
    EXPECT_EQ(app.rightPane(), QStringLiteral("Multiple Tasks Selected"));
    app.selectRows({});
    EXPECT_EQ(app.rightPane(), QStringLiteral("No Task Selected"));
}

TEST_F(MainWindowFeature, TickingATaskMovesItUnderCompleted)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectRows({QStringLiteral("Pay rent")});
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call Ann", "# Completed", "[x] Pay rent"}));
    EXPECT_EQ(app.rightPane(), QStringLiteral("Pay rent")) << "still selected";
}

TEST_F(MainWindowFeature, SelectingTheSameProjectAgainKeepsItsList)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("rake"), {.list = QStringLiteral("Garden")});
    app.selectHome(QStringLiteral("Garden"));
    QPointer<KNVTTaskStoreItemsViewController> first = app.mainWindow().currentTasksViewController();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] rake"}));
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_TRUE(first.isNull()) << "another selection replaced the list";
    app.selectHome(QStringLiteral("Garden"));
    KNVTTaskStoreItemsViewController *second = app.mainWindow().currentTasksViewController();
    app.selectHome(QStringLiteral("Garden"));
    EXPECT_EQ(app.mainWindow().currentTasksViewController(), second);
}

TEST_F(MainWindowFeature, TypingInTheSearchFieldBuildsASearchListPerChangeAndClearingRestoresTheHomeList)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    QPointer<KNVTTaskStoreItemsViewController> inbox = app.mainWindow().currentTasksViewController();
    app.typeInSearch(QStringLiteral("ga"));
    EXPECT_NE(app.mainWindow().currentTasksViewController(), inbox.data()) << "the search list took the Inbox's place";
    EXPECT_TRUE(app.centreRows().isEmpty());
    app.typeInSearch(QString());
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay rent"}));
    EXPECT_EQ(app.mainWindow().currentTasksViewController(), inbox.data())
        << "the Inbox it took the place of came back";
    app.typeInSearch(QStringLiteral("x"));
    app.selectHome(QStringLiteral("Today"));
    EXPECT_TRUE(app.mainWindow().searchField()->text().isEmpty()) << "picking a focus list clears the search";

    // Each change of the text is a search of its own.
    app.typeInSearch(QStringLiteral("P"));
    QPointer<KNVTTaskStoreItemsViewController> first = app.mainWindow().currentTasksViewController();
    EXPECT_EQ(app.centreRows().filter(QStringLiteral("Pay rent")).size(), 1);
    app.typeInSearch(QStringLiteral("a"));
    EXPECT_TRUE(first.isNull()) << "the second letter made a new search list";
    EXPECT_EQ(app.mainWindow().searchField()->text(), QStringLiteral("Pa"));
    EXPECT_EQ(app.centreRows().filter(QStringLiteral("Pay rent")).size(), 1);
}

TEST_F(MainWindowFeature, TabAndBacktabCycleThroughTheToolbarTheSearchFieldAndThePanes)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    KNVTMainWindowController &main = app.mainWindow();
    QWidget *home = main.homeViewController()->outlineView();
    QWidget *list = main.currentListView();
    QWidget *task = main.taskTableView();
    ASSERT_NE(task, nullptr);
    app.clickIntoHomeList();
    app.press(QStringLiteral("Tab"));
    EXPECT_EQ(QApplication::focusWidget(), main.homeViewController()->addPopUpButton()) << "the button under the list";
    app.press(QStringLiteral("Tab"));
    EXPECT_EQ(QApplication::focusWidget(), list);
    app.press(QStringLiteral("Tab"));
    EXPECT_EQ(QApplication::focusWidget(), task);
    app.press(QStringLiteral("Tab"));
    EXPECT_EQ(QApplication::focusWidget(), main.toolbarButton(QStringLiteral("taskButton"))) << "round to the top";
    app.press(QStringLiteral("Shift+Tab"));
    EXPECT_EQ(QApplication::focusWidget(), task);
    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Shift+Tab"));
    EXPECT_EQ(QApplication::focusWidget(), main.homeViewController()->addPopUpButton());
    app.press(QStringLiteral("Shift+Tab"));
    EXPECT_EQ(QApplication::focusWidget(), home);
    app.press(QStringLiteral("Shift+Tab"));
    EXPECT_EQ(QApplication::focusWidget(), main.searchField());
}

TEST_F(MainWindowFeature, ANarrowWindowKeepsEveryPaneAtItsMinimum)
{
    KNVTMainWindowController &main = app.mainWindow();
    main.resize(500, 600);
    app.settle();
    const QList<int> sizes = main.splitView()->sizes();
    ASSERT_EQ(sizes.size(), 3);
    EXPECT_GE(sizes[0], 160);
    EXPECT_LE(sizes[0], 400);
    EXPECT_GE(sizes[1], 300);
    EXPECT_GE(sizes[2], 300);
    EXPECT_GE(main.width(), 760);
}

TEST_F(MainWindowFeature, NewTaskPresetsFollowTheHomeSelectionAndASecondPressCloses)
{
    app.givenProject(QStringLiteral("Garden"));
    app.selectHome(QStringLiteral("Today"));
    app.clickToolbar(QStringLiteral("New Task"));
    EXPECT_TRUE(app.mainWindow().createTaskPopover());
    app.clickToolbar(QStringLiteral("New Task"));
    EXPECT_FALSE(app.mainWindow().createTaskPopover()) << "the second press closes it";
    app.selectHome(QStringLiteral("Scheduled"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.selectHome(QStringLiteral("Someday"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.selectHome(QStringLiteral("Garden"));
    app.clickToolbar(QStringLiteral("New Task"));
    EXPECT_EQ(app.windowsOpened(),
              (QStringList{"KNVTTaskNewViewController: Status: 2; Start Date: 2015-03-04T00:00:00",
                           "KNVTTaskNewViewController: Status: 2; Start Date: 2015-03-05T00:00:00",
                           "KNVTTaskNewViewController: Status: 1",
                           "KNVTTaskNewViewController: Status: 2; Task List: Garden"}));
}

TEST_F(MainWindowFeature, ToggleTodayMovesToTodayAndBackAndAnOverdueTaskGoesToTodayFirst)
{
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectHome(QStringLiteral("Next"));
    app.selectRows({QStringLiteral("Call Ann")});
    app.clickToolbar(QStringLiteral("Today"));
    app.selectHome(QStringLiteral("Today"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Call Ann"}));
    app.selectRows({QStringLiteral("Call Ann")});
    app.clickToolbar(QStringLiteral("Today"));
    EXPECT_TRUE(app.centreRows().isEmpty());

    // In Today only because it is overdue: the first press gives it a start date (Today), the second clears it
    // (Next), and its due date keeps it in Today.
    KNVTCDTask *overdue = app.givenTask(QStringLiteral("Pay rent"), {.due = now().addDays(-1)});
    app.selectRows({QStringLiteral("Pay rent")});
    app.clickToolbar(QStringLiteral("Today"));
    EXPECT_TRUE(overdue->startDate().isValid());
    app.selectRows({QStringLiteral("Pay rent")});
    app.clickToolbar(QStringLiteral("Today"));
    EXPECT_FALSE(overdue->startDate().isValid());
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Pay rent"}));
}

TEST_F(MainWindowFeature, SyncCannotBePressedWhileAutomaticSyncIsOffAndReturnBeepsOnATaskThatCannotBeEdited)
{
    app.givenTask(QStringLiteral("Old"), {.archived = true, .completed = true});
    app.launch();
    // The button cannot be pressed while sync is off (the beep of the command itself is the window's widget test).
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Sync")));
    app.clickToolbar(QStringLiteral("Sync"));
    EXPECT_EQ(app.beeps(), 0);
    app.selectHome(QStringLiteral("Archived"));
    app.selectRows({QStringLiteral("Old")});
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Edit")));
    app.press(QStringLiteral("Return"));
    EXPECT_EQ(app.beeps(), 1);
    EXPECT_TRUE(app.openEditors().isEmpty());
}

TEST_F(MainWindowFeature, EveryToolbarButtonShowsItsPictureWithItsNameUnderIt)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    KNVTMainWindowController &main = app.mainWindow();
    // Disabled, Sync tells why instead of its name: nobody signed in.
    const QString signIn = QStringLiteral("Sign in to the sync service in Preferences > Account to sync.");
    const std::pair<const char *, const char *> buttons[] = {
        {"taskButton", "New Task"}, {"syncButton", "Sync"},       {"moveButton", "Move"},   {"assignButton", "Assign"},
        {"deleteButton", "Delete"}, {"commentButton", "Comment"}, {"todayButton", "Today"}, {"editButton", "Edit"},
    };
    QList<QImage> pictures;
    for (const auto &[name, title] : buttons) {
        QToolButton *button = main.toolbarButton(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon) << name;
        EXPECT_EQ(button->text(), QString::fromLatin1(title));
        EXPECT_EQ(button->toolTip(), QLatin1String(name) == "syncButton" ? signIn : QString::fromLatin1(title));
        EXPECT_FALSE(button->icon().isNull()) << name;
        const QImage picture = button->icon().pixmap(QSize(20, 20)).toImage();
        EXPECT_FALSE(pictures.contains(picture)) << name << " has a picture of its own";
        pictures << picture;
    }

    // With nothing to answer, the notifications button shows its picture and name as the others do.
    QToolButton *notifications = main.toolbarButton(QStringLiteral("notificationsButton"));
    EXPECT_FALSE(notifications->icon().isNull());
    EXPECT_EQ(notifications->text(), QStringLiteral("Notifications"));
    EXPECT_EQ(notifications->toolTip(), QStringLiteral("Notifications"));
    EXPECT_EQ(notifications->height(), main.toolbarButton(QStringLiteral("taskButton"))->height());

    // A disabled button draws its picture in the disabled text colour, not as the enabled one.
    QToolButton *remove = main.toolbarButton(QStringLiteral("deleteButton"));
    ASSERT_FALSE(remove->isEnabled());
    EXPECT_NE(remove->icon().pixmap(QSize(20, 20), QIcon::Disabled).toImage(),
              remove->icon().pixmap(QSize(20, 20), QIcon::Normal).toImage());
}

TEST_F(MainWindowFeature, TheToolbarFollowsTheSelection)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenProject(QStringLiteral("Garden"));
    app.launch();
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Move")));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Today")));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Delete")));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Edit")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("New Task")));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Notifications")));
    app.selectRows({QStringLiteral("Pay rent")});
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Move")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Today")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Delete")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Edit")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Comment")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Assign"))) << "an Inbox task I may edit can be assigned";
    ASSERT_NE(app.mainWindow().moveMenu(), nullptr);
    QStringList move = app.toolbarMoveMenu();
    move.removeAll(QStringLiteral("-"));
    // The window's own actions, the very ones of the menu bar and the keys.
    EXPECT_EQ(move,
              (QStringList{"Focus (off)", "Move To Inbox", "Move To Today\tCtrl+T", "Move To Next", "Schedule",
                           "Move To Someday\tCtrl+S", "Projects (off)", "Garden"}));
    EXPECT_TRUE(app.mainWindow().moveMenu()->actions().contains(
        app.mainWindow().actions()->action(knvt::Command::MoveToToday)));
}

TEST_F(MainWindowFeature, TheTodayAndSomedayPairsShareTheirKeysAndTheMarkItemsFollowTheirRules)
{
    app.givenTask(QStringLiteral("Call Ann"), {.start = now().addSecs(-60)});
    app.givenArea(QStringLiteral("Home"), {.status = 1});
    app.selectHome(QStringLiteral("Today"));
    app.selectRows({QStringLiteral("Call Ann")});
    auto remove = app.menuItem(QStringLiteral("Items"), QStringLiteral("Remove From Today"));
    auto move = app.menuItem(QStringLiteral("Items"), QStringLiteral("Move To Today"));
    EXPECT_TRUE(remove.visible);
    EXPECT_TRUE(remove.enabled);
    EXPECT_EQ(remove.shortcut, QStringLiteral("Ctrl+T"));
    EXPECT_FALSE(move.visible);
    EXPECT_TRUE(move.shortcut.isEmpty()) << "the hidden twin has no key";
    auto completed = app.menuItem(QStringLiteral("Items"), QStringLiteral("As Completed"));
    EXPECT_TRUE(completed.enabled);
    EXPECT_EQ(completed.shortcut, QStringLiteral("Ctrl+."));

    // An area: the display rules would show Mark, but marking is refused, so its keys do nothing.
    app.selectHome(QStringLiteral("Someday"));
    app.selectRows({QStringLiteral("Home")});
    EXPECT_FALSE(app.menuItem(QStringLiteral("Items"), QStringLiteral("As Completed")).enabled);
    EXPECT_FALSE(app.menuItem(QStringLiteral("Items"), QStringLiteral("As Cancelled")).enabled);
    app.press(QStringLiteral("Ctrl+."));
    app.press(QStringLiteral("Alt+Backspace"));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Areas", "[ ] Home"}));

    // An open task: Ctrl+. completes it.
    app.selectHome(QStringLiteral("Today"));
    app.selectRows({QStringLiteral("Call Ann")});
    app.chooseMenu(QStringLiteral("Items"), QStringLiteral("As Completed"));
    EXPECT_TRUE(app.centreRows().isEmpty());
}

TEST_F(MainWindowFeature, RemoveFromTodayOfATaskIMayNotEditIsDisabled)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.owner = QStringLiteral("Ann"), .myRole = knvt::test::NoRole});
    app.givenTask(QStringLiteral("Pay dues"), {.start = now().addSecs(-60), .list = QStringLiteral("Club")});
    app.selectHome(QStringLiteral("Today"));
    app.selectRows({QStringLiteral("Pay dues")});
    EXPECT_FALSE(app.menuItem(QStringLiteral("Items"), QStringLiteral("Remove From Today")).enabled);
    app.chooseMenu(QStringLiteral("Items"), QStringLiteral("Remove From Today"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Club", "[ ] Pay dues"}));
}

TEST_F(MainWindowFeature, ControlTLeavesATaskIMayNotEditInTodayAndTakesOutMyOwn)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.owner = QStringLiteral("Ann"), .myRole = knvt::test::NoRole});
    app.givenTask(QStringLiteral("Pay dues"), {.start = now().addSecs(-60), .list = QStringLiteral("Club")});
    app.givenTask(QStringLiteral("Call Ann"), {.start = now().addSecs(-60)});
    app.selectHome(QStringLiteral("Today"));
    const QStringList both{"# Inbox", "[ ] Call Ann", "# Club", "[ ] Pay dues"};
    ASSERT_EQ(app.centreRows(), both);
    app.selectRows({QStringLiteral("Pay dues")});
    app.press(QStringLiteral("Ctrl+T"));
    app.settle();
    EXPECT_EQ(app.centreRows(), both);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());

    app.selectRows({QStringLiteral("Call Ann")});
    app.press(QStringLiteral("Ctrl+T"));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Club", "[ ] Pay dues"}));
}

TEST_F(MainWindowFeature, NothingWaitingToBeSavedIsLostWhenTheApplicationQuits)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    // Completed with its key, which leaves the save to a later pass, and Quit pressed before that pass came.
    app.press(QStringLiteral("Ctrl+."));
    ASSERT_TRUE(app.store().hasPendingSaves());
    app.pressAtOnce(QStringLiteral("Ctrl+Q"));
    EXPECT_FALSE(app.store().hasPendingSaves());
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "written while quitting";
    app.relaunch();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Completed", "[x] Pay rent"}));
}

TEST_F(MainWindowFeature, AnEditorsSaveStillWaitingIsWrittenWhenTheApplicationQuits)
{
    app.givenSharedProject(QStringLiteral("Club"), {.members = {QStringLiteral("Ann")}});
    app.givenTask(QStringLiteral("Paint fence"), {.list = QStringLiteral("Club")});
    app.selectHome(QStringLiteral("Club"));
    app.selectRows({QStringLiteral("Paint fence")});
    app.clickToolbar(QStringLiteral("Assign"));
    app.choosePopUp(QStringLiteral("assigneePopUpButton"), QStringLiteral("Ann (ann)"));
    app.clickButton(QStringLiteral("saveButton"));
    // The assignment is saved half a second after its popover closed; Quit comes sooner.
    ASSERT_EQ(app.saves().pendingCount(), 1);
    app.press(QStringLiteral("Ctrl+Q"));
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "written while quitting";
    app.relaunch();
    const KNVTCDTask *paint = app.taskTitled(QStringLiteral("Paint fence"));
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->assignee() ? paint->assignee()->username() : QString(), QStringLiteral("ann"));
}

TEST_F(MainWindowFeature, PrintingPrintsTheWholeFocusListOrOnlyTheSelectedTasks)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.launch();
    QString text = app.printedPdfText();
    EXPECT_TRUE(text.contains(QStringLiteral("Title: Inbox")));
    EXPECT_TRUE(text.contains(QStringLiteral("Pay rent")));
    EXPECT_TRUE(text.contains(QStringLiteral("Call Ann")));
    app.selectRows({QStringLiteral("Call Ann")});
    text = app.printedPdfText();
    EXPECT_TRUE(text.contains(QStringLiteral("Call Ann")));
    EXPECT_FALSE(text.contains(QStringLiteral("Pay rent")));
}

TEST_F(MainWindowFeature, TabAndShiftTabMoveTheKeyboardFocusRoundEveryControlInTheOrderTheyStand)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    app.clickIntoHomeList();
    EXPECT_EQ(app.focusedPane(), QStringLiteral("home"));
    // The toolbar's buttons that can be used now, left to right; the disabled ones (Notifications, Sync) take no
    // focus.
    const QStringList round{"add",           "list",           "task",           "toolbar New Task",
                            "toolbar Move",  "toolbar Assign", "toolbar Delete", "toolbar Comment",
                            "toolbar Today", "toolbar Edit",   "search",         "home"};
    QStringList forward;
    for (qsizetype i = 0; i < round.size(); ++i) {
        app.press(QStringLiteral("Tab"));
        forward << app.focusedPane();
    }
    EXPECT_EQ(forward, round);
    QStringList backward;
    for (qsizetype i = 0; i < round.size(); ++i) {
        app.press(QStringLiteral("Shift+Tab"));
        backward << app.focusedPane();
    }
    QStringList reversed(round.rbegin() + 1, round.rend());
    reversed << QStringLiteral("home");
    EXPECT_EQ(backward, reversed);
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox")) << "moving the focus changes no selection";
    EXPECT_EQ(app.rightPane(), QStringLiteral("Pay rent"));

    // With no task on the right, the cycle goes from the list to the toolbar.
    app.selectRows({});
    app.clickIntoHomeList();
    app.press(QStringLiteral("Tab"));
    app.press(QStringLiteral("Tab"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
    app.press(QStringLiteral("Tab"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("toolbar New Task"));
    app.press(QStringLiteral("Shift+Tab"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
}

TEST_F(MainWindowFeature, F6AndShiftF6GoFromPaneToPane)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    QStringList forward;
    for (int i = 0; i < 4; ++i) {
        app.press(QStringLiteral("F6"));
        forward << app.focusedPane();
    }
    EXPECT_EQ(forward, (QStringList{"task", "search", "home", "list"}));
    QStringList backward;
    for (int i = 0; i < 4; ++i) {
        app.press(QStringLiteral("Shift+F6"));
        backward << app.focusedPane();
    }
    EXPECT_EQ(backward, (QStringList{"home", "search", "task", "list"}));
    // From the toolbar, the next pane is the home list; from the button under the home list, the centre list.
    app.clickIntoHomeList();
    app.press(QStringLiteral("Tab"));
    ASSERT_EQ(app.focusedPane(), QStringLiteral("add"));
    app.press(QStringLiteral("F6"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
    for (int i = 0; i < 3; ++i)
        app.press(QStringLiteral("Shift+Tab"));
    ASSERT_EQ(app.focusedPane(), QStringLiteral("search"));
    app.press(QStringLiteral("Shift+Tab"));
    ASSERT_EQ(app.focusedPane(), QStringLiteral("toolbar Edit"));
    app.press(QStringLiteral("F6"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("home"));
}

TEST_F(MainWindowFeature, EscapeInTheSearchFieldEndsTheSearchAndReturnsToTheListShownBefore)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectHome(QStringLiteral("Garden"));
    const QStringList garden = app.centreRows();
    app.typeInSearch(QStringLiteral("rent"));
    ASSERT_NE(app.centreRows(), garden);
    ASSERT_EQ(app.focusedPane(), QStringLiteral("search"));
    app.press(QStringLiteral("Escape"));
    EXPECT_EQ(app.mainWindow().searchField()->text(), QString());
    EXPECT_EQ(app.centreRows(), garden);
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Garden"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list")) << "the keyboard goes back to the list";
}

// The field's undo held every key of every search of the day, for as long as the window lived.
TEST_F(MainWindowFeature, UndoInTheSearchFieldGoesBackToTheStartOfTheSearchAndNoFurther)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    for (const QString &earlier : {QStringLiteral("rent"), QStringLiteral("gas")}) {
        app.typeInSearch(earlier);
        app.typeInSearch(QString());
    }
    app.typeInSearch(QStringLiteral("Pay"));
    QLineEdit *field = app.mainWindow().searchField();
    ASSERT_EQ(field->text(), QStringLiteral("Pay"));
    for (int key = 0; key < 4; ++key)
        app.press(QStringLiteral("Ctrl+Z"));
    EXPECT_EQ(field->text(), QString());
    EXPECT_FALSE(field->isUndoAvailable()) << "the earlier searches are still to undo";
}

TEST_F(MainWindowFeature, EndingASearchBringsBackTheListAsItWasAndBlankSearchesShowTheListItself)
{
    for (int i = 0; i < 40; ++i)
        app.givenTask(QStringLiteral("Task %1").arg(i, 2, 10, QLatin1Char('0')));
    app.selectRows({QStringLiteral("Task 00")});
    app.press(QStringLiteral("End"));
    const QStringList selected = app.selectedRowTitles();
    ASSERT_EQ(selected.size(), 1);
    auto *list = qobject_cast<QAbstractItemView *>(app.mainWindow().currentListView());
    ASSERT_NE(list, nullptr);
    const int scrolled = list->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0) << "the list scrolled to its last task";
    const QStringList rows = app.centreRows();

    // Spaces alone search for nothing: the list stays.
    app.typeInSearch(QStringLiteral("   "));
    EXPECT_EQ(app.centreRows(), rows);
    EXPECT_EQ(app.selectedRowTitles(), selected);
    app.press(QStringLiteral("Escape"));

    // After a search, its selection and scroll come back with the list, by object.
    app.typeInSearch(QStringLiteral("Task 1"));
    ASSERT_NE(app.centreRows(), rows);
    app.press(QStringLiteral("Escape"));
    EXPECT_EQ(app.centreRows(), rows);
    EXPECT_EQ(app.selectedRowTitles(), selected);
    list = qobject_cast<QAbstractItemView *>(app.mainWindow().currentListView());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);

    // Switching lists empties the field, its clear button with it.
    app.typeInSearch(QStringLiteral("x"));
    app.selectHome(QStringLiteral("Today"));
    QLineEdit *field = app.mainWindow().searchField();
    EXPECT_TRUE(field->text().isEmpty());
    const QList<QToolButton *> clear = field->findChildren<QToolButton *>();
    ASSERT_FALSE(clear.isEmpty());
    EXPECT_TRUE(knvt::test::waitUntil([&] { return !clear.first()->isVisible(); })) << "clear button shown";
}

// The list a search took the place of follows the store meanwhile, out of sight: what a sync changed shows when the
// search ends, and its selection, which the sync took away, never reaches the right pane while the results show.
TEST_F(MainWindowFeature, TheListASearchHidFollowsTheStoreMeanwhileWithoutTouchingTheRightPane)
{
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"));
    KNVTCDTask *plants = app.givenTask(QStringLiteral("Water plants"));
    app.givenTask(QStringLiteral("Buy milk"));
    app.selectRows({QStringLiteral("Pay rent")});
    app.typeInSearch(QStringLiteral("milk"));
    app.selectRows({QStringLiteral("Buy milk")});
    ASSERT_EQ(app.rightPane(), QStringLiteral("Buy milk"));
    app.givenRemovedBySync(rent);
    app.givenChangedBySync(plants, [](KNVTCDTaskStoreObject &task) {
        static_cast<KNVTCDTask &>(task).setTitle(QStringLiteral("Water ferns"));
    });
    EXPECT_EQ(app.rightPane(), QStringLiteral("Buy milk"));
    app.press(QStringLiteral("Escape"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Buy milk", "[ ] Water ferns"}));
    EXPECT_TRUE(app.selectedRowTitles().isEmpty());
    EXPECT_EQ(app.rightPane(), QStringLiteral("No Task Selected"));
}

TEST_F(MainWindowFeature, ClearingASearchOverAListOpenedAboveGoesBackToTheHomeSelectionsListAsItStoodUnderIt)
{
    app.givenProject(QStringLiteral("Boat"), {.status = 1});
    app.givenTask(QStringLiteral("Paint hull"), {.list = QStringLiteral("Boat")});
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"));
    app.clickHomeEntry(QStringLiteral("Projects/Areas"));
    app.doubleClickRow(QStringLiteral("Boat"));
    ASSERT_EQ(app.listHeading(), QStringLiteral("Boat"));
    app.typeInSearch(QStringLiteral("hull"));
    app.givenChangedBySync(garden, [](KNVTCDTaskStoreObject &list) {
        static_cast<KNVTCDTaskList &>(list).setTitle(QStringLiteral("Garden plot"));
    });
    app.press(QStringLiteral("Escape"));
    EXPECT_EQ(app.listHeading(), QString()) << "the list opened above went with the search";
    EXPECT_EQ(app.centreRows(),
              (QStringList{"# Active Projects", "[ ] Garden plot", "# Someday Projects", "[ ] Boat"}));
    EXPECT_EQ(app.selectedRowTitles(), QStringList{QStringLiteral("Boat")}) << "the row the user opened";
}

TEST_F(MainWindowFeature, AnArchivedTaskIsShownButCannotBeEditedOrCommented)
{
    app.givenTask(QStringLiteral("Old bill"), {.archived = true, .completed = true});
    app.selectHome(QStringLiteral("Archived"));
    app.selectRows({QStringLiteral("Old bill")});
    EXPECT_EQ(app.rightPane(), QStringLiteral("Old bill"));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Edit")));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Comment")));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Today")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Move")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("New Task")));
}

TEST_F(MainWindowFeature, ATaskAndAProjectTogetherAllowOnlyWhatBothAllow)
{
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.givenTask(QStringLiteral("Learn Greek"), {.status = 1});
    app.selectHome(QStringLiteral("Someday"));
    app.selectRows({QStringLiteral("Learn Greek"), QStringLiteral("Shelf")});
    EXPECT_EQ(app.rightPane(), QStringLiteral("Learn Greek")) << "the one task of the selection";
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Move")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Delete")));
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Edit")));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Today"))) << "only tasks may be moved to Today";
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Assign")));
    EXPECT_FALSE(app.menuItem(QStringLiteral("Edit"), QStringLiteral("Duplicate")).enabled);
    EXPECT_FALSE(app.menuItem(QStringLiteral("Items"), QStringLiteral("Schedule")).enabled);
    EXPECT_TRUE(app.menuItem(QStringLiteral("Items"), QStringLiteral("Remove From Someday")).visible);
    QStringList move = app.toolbarMoveMenu();
    move.removeAll(QStringLiteral("-"));
    EXPECT_EQ(move.mid(0, 6),
              (QStringList{"Focus (off)", "Move To Inbox (off)", "Move To Today\tCtrl+T (off)", "Move To Next",
                           "Schedule (off)", "Remove From Someday\tCtrl+S (off)"}));
}

TEST_F(MainWindowFeature, TheSyncLineSaysSyncingWhileASessionRunsAndWhenItLastSynced)
{
    app.givenSignedIn();
    app.service().enableState();
    app.service().on("GET", "/account.json").truncate().pass().hold();
    app.launch();
    EXPECT_EQ(app.syncStatus(), QString()) << "automatic sync is off";

    // The first session fails (the reply is cut short): the line says so, not when a sync last succeeded.
    app.store().setAutoSyncEnabled(true);
    app.waitForService([this] { return app.service().count("GET", "/account.json") == 1 && !app.store().isSyncing(); });
    EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Sync failed 12:00"))
                && app.syncStatus().endsWith(QStringLiteral("(service failed)")))
        << app.syncStatus().toStdString();

    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([this] { return app.service().count("GET", "/account.json") == 2; });
    EXPECT_EQ(app.syncStatus(), QStringLiteral("Syncing"));
    // The failed session resumes; the session asked for follows it unheld.
    app.service().on("GET", "/account.json").clear().pass();
    app.service().releaseAll();
    app.waitForService([this] { return app.service().count("GET", "/account.json") >= 3 && !app.store().isSyncing(); });
    // The time of the last sync, as the clock says it.
    EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();

    app.store().setAutoSyncEnabled(false);
    app.settle();
    EXPECT_EQ(app.syncStatus(), QString()) << "switching sync off hides the line at once";
}

TEST_F(MainWindowFeature, UntickingACompletedTaskMovesItBackAndKeepsItSelected)
{
    app.givenTask(QStringLiteral("Pay rent"), {.completed = true});
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectRows({QStringLiteral("Pay rent")});
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call Ann", "[ ] Pay rent"}));
    EXPECT_EQ(app.rightPane(), QStringLiteral("Pay rent")) << "still selected";
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "saved at once";
}

TEST_F(MainWindowFeature, WhenTheServiceDeletesTheSelectedTaskTheRightPaneEmptiesAndDeleteHasNothingToActOn)
{
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"), {.synced = true});
    app.givenTask(QStringLiteral("Call Ann"));
    app.clickRow(QStringLiteral("Pay rent"));
    ASSERT_EQ(app.rightPane(), QStringLiteral("Pay rent"));

    app.givenRemovedBySync(rent);
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call Ann"}));
    EXPECT_EQ(app.rightPane(), QStringLiteral("No Task Selected"));
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Delete")));
}

TEST_F(MainWindowFeature, TheSelectionAndTheScrollStayWhenAnotherWindowSavesOtherTasksTwiceInOneGo)
{
    std::vector<KNVTCDTask *> tasks;
    for (int i = 1; i <= 40; ++i)
        tasks.push_back(
            app.givenTask(QStringLiteral("Task %1").arg(i, 2, 10, QLatin1Char('0')), {.tags = {"t"}, .orderIndex = i}));
    app.clickHomeEntry(QStringLiteral("t"));
    app.clickRow(QStringLiteral("Task 20"));
    app.scrollCentreTo(300);
    const int position = app.centreScrollPosition();
    ASSERT_GT(position, 0) << "the list scrolled";

    // Another window ticks a task above the selected one and makes a new one at the top, each saved, before this
    // window draws again.
    tasks[4]->markAsCompleted();
    ASSERT_TRUE(app.store().save());
    KNVTCDTask *first = app.build().task(QStringLiteral("Task 00"), {.orderIndex = 0});
    first->addTag(tasks[0]->tags().front());
    ASSERT_TRUE(app.store().save());
    app.settle();

    EXPECT_EQ(app.selectedRowTitles(), QStringList{"Task 20"});
    EXPECT_EQ(app.rightPane(), QStringLiteral("Task 20"));
    EXPECT_EQ(app.centreScrollPosition(), position);
}

TEST_F(MainWindowFeature, TheWindowOpensWithTheKeyboardOnItsListSoThatWhatIsTypedAtOnceRunsNoSearch)
{
    app.givenTask(QStringLiteral("Paint"));
    app.givenTask(QStringLiteral("Mow"));
    app.launch();
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
    app.typeWhereTheFocusIs(QStringLiteral("Mo"));
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    EXPECT_TRUE(app.mainWindow().searchField()->text().isEmpty());
    EXPECT_FALSE(app.centreListAsRead().startsWith(QStringLiteral("Search Results")));
}

TEST_F(MainWindowFeature, ATaskMadeWithControlNDuringASearchIsShownAndSelectedAndAnEndedSearchIsSaid)
{
    app.givenTask(QStringLiteral("Paint"));
    app.launch();
    const struct
    {
        const char *title;
        // What the search field holds afterwards; what the reader hears.
        const char *searched;
        const char *heard;
        // The library refuses the first Save: the form stays, and the search with it, until Save is pressed again.
        bool refusedFirst = false;
        // The form is torn off into a window of its own before Save.
        bool inItsOwnWindow = false;
    } rows[] = {
        {"Paint the fence", "Pai", ""},
        {"Call Ann", "", "The search ended to show the new task Call Ann."},
        {"Call Ben", "", "The search ended to show the new task Call Ben.", true},
        {"Call Cy", "", "The search ended to show the new task Call Cy.", true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.title);
        app.selectHome(QStringLiteral("Inbox"));
        app.typeInSearch(QStringLiteral("Pai"));
        app.press(QStringLiteral("Ctrl+N"));
        app.typeWhereTheFocusIs(QString::fromUtf8(row.title));
        if (row.inItsOwnWindow)
            app.detachPopover();
        if (row.refusedFirst) {
            const auto lastSaid = [this] {
                const knvt::Announcement *said = knvt::Announcement::of(&app.mainWindow());
                return said != nullptr ? said->accessibleName() : QString();
            };
            const QString saidBefore = lastSaid();
            ASSERT_TRUE(knvt::test::refuseWrites(app.store()));
            app.answerAlert(QStringLiteral("OK"));
            app.pressWhereTheFocusIs(QStringLiteral("Return"));
            EXPECT_EQ(row.inItsOwnWindow ? int(app.app().taskNewWindowControllers().size())
                                         : int(app.openEditors().size()),
                      1)
                << "the form stays";
            EXPECT_EQ(app.mainWindow().searchField()->text(), QStringLiteral("Pai")) << "the search goes on";
            EXPECT_EQ(lastSaid(), saidBefore) << "nothing is said of a task not made";
            ASSERT_TRUE(knvt::test::refuseWrites(app.store(), false));
        }
        app.pressWhereTheFocusIs(QStringLiteral("Return"));
        app.wait(1);
        EXPECT_TRUE(knvt::test::waitUntil([this] { return app.app().taskNewWindowControllers().empty(); }));
        EXPECT_TRUE(knvt::test::waitUntil([&] {
            return app.selectedRowTitles() == QStringList{QString::fromUtf8(row.title)};
        })) << app.selectedRowTitles().join(u',').toStdString();
        if (!row.inItsOwnWindow) {
            EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
        }
        EXPECT_EQ(app.mainWindow().searchField()->text(), QString::fromUtf8(row.searched));
        const knvt::Announcement *said = knvt::Announcement::of(&app.mainWindow());
        EXPECT_EQ(said != nullptr
                      ? said->accessibleName().replace(QChar(0x2068), QString()).replace(QChar(0x2069), QString())
                      : QString(),
                  QString::fromUtf8(row.heard));
        app.typeInSearch(QString());
    }
}
