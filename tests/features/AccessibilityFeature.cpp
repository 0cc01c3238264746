// The main window as a screen reader reads it: the lists by their names and empty texts, the painted rows by their
// texts, boxes and buttons, every control by its name, and menus that stay whole however often they are rebuilt.

#include "AppDriver.h"

#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"

#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "support/RecordedAccessibilityEvents.h"

#include <QAccessible>
#include <QToolBar>
#include <QToolButton>

#include <functional>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class AccessibilityFeature : public ::testing::Test
{
protected:
    AppDriver app;
    QDateTime now() const { return AppDriver::defaultNow(); }
};

const QStringList kMenuBar{
    "File: New Task, New Project, New Area, New Tag, Print, Close, Quit",
    "Edit: Delete, Duplicate, Select Next, Select Previous",
    "Items: Move To Today, Remove From Today, Move To Someday, Remove From Someday, Schedule, Mark, Detach from Task "
    "List",
    "View: Toggle Full Screen",
    // No Help menu: this build has no contact page, its one entry.
    "Window: People, Preferences, Go to Waiting Window"};

QStringList names(QAccessibleInterface *interface)
{
    QStringList out;
    if (!interface)
        return out;
    for (int i = 0; i < interface->childCount(); ++i)
        if (QAccessibleInterface *child = interface->child(i))
            out << child->text(QAccessible::Name);
    return out;
}

// The rows of `list` that say they open and close: "<name>: expanded" or "<name>: collapsed".
QStringList openableRows(QAccessibleInterface *list)
{
    QStringList out;
    for (int i = 0; list != nullptr && i < list->childCount(); ++i) {
        QAccessibleInterface *row = list->child(i);
        if (row == nullptr)
            continue;
        const QAccessible::State state = row->state();
        if (state.expandable || state.expanded || state.collapsed)
            out << row->text(QAccessible::Name)
                    + (state.expanded ? QStringLiteral(": expanded") : QStringLiteral(": collapsed"));
    }
    return out;
}

} // namespace

TEST_F(AccessibilityFeature, TickingATaskByItsBoxAKeyOrTheMenuTellsAScreenReaderTheRowsNewState)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Water plants"));
    app.launch();
    knvt::test::RecordedAccessibilityEvents heard;
    // The reader has met the list, as it does when the list takes the focus.
    ASSERT_FALSE(app.centreAsRead().isEmpty());

    app.clickCheckBox(QStringLiteral("Pay rent"));
    app.settle();
    EXPECT_EQ(heard.takeBoxes(), QStringList{"Pay rent: checked"});

    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Ctrl+."));
    app.settle();
    EXPECT_EQ(heard.takeBoxes(), QStringList{"Pay rent: not checked"});

    app.openContextMenu(QStringLiteral("Water plants"));
    app.choose({QStringLiteral("Mark"), QStringLiteral("As Completed")});
    app.settle();
    EXPECT_EQ(heard.takeBoxes(), QStringList{"Water plants: checked"});
}

TEST_F(AccessibilityFeature, TickingATaskInAProjectATagListOrSearchResultsTellsAScreenReaderToo)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Buy seeds"), {.tags = {QStringLiteral("shop")}});
    app.givenTask(QStringLiteral("Water ferns"));
    app.launch();
    knvt::test::RecordedAccessibilityEvents heard;
    const struct
    {
        const char *where;
        std::function<void()> show;
        QString task;
    } lists[] = {
        {"project", [this] { app.selectHome(QStringLiteral("Garden")); }, QStringLiteral("Rake leaves")},
        {"tag list", [this] { app.selectHome(QStringLiteral("shop")); }, QStringLiteral("Buy seeds")},
        {"search results", [this] { app.typeInSearch(QStringLiteral("ferns")); }, QStringLiteral("Water ferns")},
    };
    for (const auto &list : lists) {
        list.show();
        // The reader has met the list, as it does when the list takes the focus.
        ASSERT_FALSE(app.centreAsRead().isEmpty()) << list.where;
        heard.takeBoxes();
        app.clickCheckBox(list.task);
        app.settle();
        EXPECT_EQ(heard.takeBoxes(), QStringList{list.task + QStringLiteral(": checked")}) << list.where;
        app.selectRows({list.task});
        app.press(QStringLiteral("Ctrl+."));
        app.settle();
        EXPECT_EQ(heard.takeBoxes(), QStringList{list.task + QStringLiteral(": not checked")}) << list.where;
    }
}

TEST_F(AccessibilityFeature, RowsReadWhatTheyShowAndToolbarButtonsHaveNames)
{
    app.givenTask(QStringLiteral("Pay rent"), {.due = AppDriver::defaultNow().addDays(-1)});
    app.givenTask(QStringLiteral("Call Ann"), {.completed = true});
    app.launch();

    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(app.centreList()->tableView());
    ASSERT_NE(table, nullptr);
    const QStringList rows = names(table);
    EXPECT_TRUE(rows.contains(QStringLiteral("Pay rent, due Mar 3, overdue"))) << rows.join(" | ").toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("Call Ann, completed"))) << rows.join(" | ").toStdString();

    for (const char *name : {"taskButton", "moveButton", "todayButton", "deleteButton", "editButton"}) {
        QToolButton *button = app.mainWindow().toolbarButton(QString::fromLatin1(name));
        QAccessibleInterface *interface = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(interface, nullptr);
        EXPECT_FALSE(interface->text(QAccessible::Name).isEmpty()) << name;
    }
}

TEST_F(AccessibilityFeature, ButtonsThatOpenAMenuSaySo)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    app.selectRows({QStringLiteral("Pay rent")});
    const std::pair<QWidget *, bool> buttons[] = {
        {app.mainWindow().toolbarButton(QStringLiteral("moveButton")), true},
        {app.mainWindow().homeViewController()->addPopUpButton(), true},
        {app.mainWindow().toolbarButton(QStringLiteral("deleteButton")), false},
    };
    for (const auto &[button, opensMenu] : buttons) {
        ASSERT_NE(button, nullptr);
        QAccessibleInterface *read = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(read, nullptr);
        const std::string name = read->text(QAccessible::Name).toStdString();
        EXPECT_EQ(read->role() == QAccessible::ButtonMenu, opensMenu) << name;
        EXPECT_EQ(bool(read->state().hasPopup), opensMenu) << name;
    }
}

TEST_F(AccessibilityFeature, TheCentreListReadsItsNameItsRowsWithTheirBoxesAndWhyItIsEmpty)
{
    app.givenTask(QStringLiteral("Pay rent"), {.due = now().addDays(-1), .notes = QStringLiteral("Before Friday")});
    app.givenTask(QStringLiteral("Water the ferns"), {.start = now().addSecs(-3600)});
    app.givenTask(QStringLiteral("Call Ann"), {.completed = true});
    app.givenTask(QStringLiteral("Skip the party"))->markAsCancelled();
    app.saveGivens();
    app.launch();
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Inbox"));
    EXPECT_EQ(app.centreAsRead(),
              (QStringList{"Incomplete", "Pay rent, due Mar 3, overdue (not checked) - Before Friday [Toggle]",
                           "Water the ferns (not checked) - Today [Toggle]", "Completed",
                           "Call Ann, completed (checked) [Toggle]", "Skip the party, cancelled (mixed) [Toggle]"}));

    // The box read as the toggle action does what a click on it does.
    app.doCentreRowAction(QStringLiteral("Pay rent"), QStringLiteral("Toggle"));
    EXPECT_TRUE(app.centreAsRead().contains(QStringLiteral("Pay rent, completed (checked) - Before Friday [Toggle]")))
        << app.centreAsRead().join('\n').toStdString();

    app.selectHome(QStringLiteral("Someday"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Someday: No Tasks"));
    EXPECT_TRUE(app.centreAsRead().isEmpty());
    app.typeInSearch(QStringLiteral("qqq"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Search Results: No Results"));
    app.typeInSearch(QString());
    app.typeInSearch(QStringLiteral("ferns"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Search Results"));
}

TEST_F(AccessibilityFeature, TheHomeListReadsItsEntriesWithTheirCountsAndAProjectsListByItsTitle)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenSharedProject(QStringLiteral("Club"), {.members = {QStringLiteral("Ann")}});
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Pay rent"));
    const QStringList home = app.homeAsRead();
    ASSERT_FALSE(home.isEmpty());
    EXPECT_EQ(home.first(), QStringLiteral("Home"));
    EXPECT_TRUE(home.contains(QStringLiteral("Inbox, 1"))) << home.join('\n').toStdString();
    EXPECT_TRUE(home.contains(QStringLiteral("Club - Shared [Sharing Setting...]"))) << home.join('\n').toStdString();
    app.selectHome(QStringLiteral("Garden"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Garden"));
}

TEST_F(AccessibilityFeature, OnlySectionsTheUserCanCloseSayTheyOpenAndClose)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    QAccessibleInterface *home =
        QAccessible::queryAccessibleInterface(app.mainWindow().homeViewController()->outlineView());
    const QStringList homeSections = openableRows(home);
    EXPECT_FALSE(homeSections.isEmpty()) << "the home list's other sections open and close";
    for (const QString &section : homeSections)
        EXPECT_FALSE(section.startsWith(QStringLiteral("Focus"), Qt::CaseInsensitive)) << section.toStdString();

    // Item lists never fold their sections, so the search results' sections, like every item list's, stay open.
    app.typeInSearch(QStringLiteral("e"));
    ASSERT_GE(app.centreAsRead().size(), 2);
    EXPECT_EQ(openableRows(QAccessible::queryAccessibleInterface(app.centreView())), QStringList());
}

TEST_F(AccessibilityFeature, EveryControlOfTheMainWindowIsNamedAndTheMenuBarStaysWholeAcrossSigningOut)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"));
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    EXPECT_EQ(app.mainWindowUnreadable(), QStringList());
    EXPECT_EQ(app.menuBarAsRead(), kMenuBar);

    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.answerAlert(QStringLiteral("Sign Out"));
    app.clickButton(QStringLiteral("signOutButton"));
    ASSERT_FALSE(app.store().isConfigured());
    EXPECT_EQ(app.menuBarAsRead(), kMenuBar);
    EXPECT_EQ(app.mainWindowUnreadable(), QStringList());
    app.givenTask(QStringLiteral("Buy stamps"));
    app.selectRows({QStringLiteral("Buy stamps")});
    EXPECT_EQ(app.mainWindowUnreadable(), QStringList());
}

TEST_F(AccessibilityFeature, AContextMenuReadAndClosedLeavesTheMenuBarReadableAndReadsItselfWhereItStands)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.openContextMenu(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.openMenuAsRead(),
              QStringLiteral("Pay rent: Move To Today, Move To Someday, Schedule, Mark, Open, "
                             "Edit, Duplicate, Delete, Move To"));
    app.closeMenus();
    EXPECT_EQ(app.menuBarAsRead(), kMenuBar) << "the entries the context menu showed are still the menu bar's";

    // Read in the menu bar first, the same entries read as shown in the next context menu.
    app.openContextMenu(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.openMenuAsRead(),
              QStringLiteral("Pay rent: Move To Today, Move To Someday, Schedule, Mark, Open, "
                             "Edit, Duplicate, Delete, Move To"));
    app.closeMenus();
    app.selectRows({QStringLiteral("Pay rent")});
    app.openHomeContextMenu(QStringLiteral("Inbox"));
    EXPECT_EQ(app.openMenuAsRead(), QString()) << "a focus list has no menu";
}
