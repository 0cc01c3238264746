// The main window's commands as one set of actions: every place that offers a command shows the same action, and
// the commands no control can reach while they are refused.

#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"

#include "support/CountingBeeper.h"
#include "support/TaskStoreSandbox.h"

#include "uikit/ActionSet.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using knvt::Command;

class MainWindowControllerTest : public ::testing::Test
{
protected:
    knvt::test::TaskStoreSandbox sandbox;
    knvt::test::CountingBeeper beeper;

    // The entries of the menu bar's menus and their submenus.
    static QList<QAction *> menuBarActions(QMenuBar *bar)
    {
        QList<QAction *> actions;
        for (QAction *top : bar->actions())
            if (top->menu())
                for (QAction *action : top->menu()->actions()) {
                    actions << action;
                    if (action->menu())
                        actions << action->menu()->actions();
                }
        return actions;
    }
};

} // namespace

TEST_F(MainWindowControllerTest, TheMenuBarTheToolbarAndTheAddMenuShowTheOneActionOfEachCommand)
{
    KNVTMainWindowController main;
    knvt::ActionSet *set = main.actions();
    ASSERT_NE(set, nullptr);
    const QList<QAction *> menuBar = menuBarActions(main.menuBar());
    for (Command command :
         {Command::NewTask, Command::NewProject, Command::NewArea, Command::NewTag, Command::Print, Command::Delete,
          Command::Duplicate, Command::MoveToToday, Command::RemoveFromToday, Command::MoveToSomeday,
          Command::RemoveFromSomeday, Command::Schedule, Command::MarkAsCompleted, Command::MarkAsUncompleted,
          Command::MarkAsCancelled, Command::DetachFromTaskList, Command::SelectNext, Command::SelectPrevious}) {
        QAction *action = set->action(command);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(menuBar.count(action), 1) << action->text().toStdString();
        // No second entry of the same title stands beside it.
        int sameTitle = 0;
        for (QAction *entry : menuBar)
            sameTitle += entry->text() == action->text();
        EXPECT_EQ(sameTitle, 1) << action->text().toStdString();
    }
    const std::pair<const char *, Command> buttons[] = {
        {"taskButton", Command::NewTask},      {"syncButton", Command::Sync},     {"moveButton", Command::MoveTo},
        {"assignButton", Command::Assign},     {"deleteButton", Command::Delete}, {"commentButton", Command::Comment},
        {"todayButton", Command::ToggleToday}, {"editButton", Command::Edit},
    };
    for (const auto &[name, command] : buttons) {
        QToolButton *button = main.toolbarButton(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->defaultAction(), set->action(command)) << name;
    }
    QMenu *add = main.homeViewController()->addPopUpButton()->menu();
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->actions(),
              (QList<QAction *>{set->action(Command::NewTask), set->action(Command::NewProject),
                                set->action(Command::NewArea), set->action(Command::NewTag)}));
    EXPECT_EQ(main.moveMenu(), set->menu(Command::MoveTo));
}

TEST_F(MainWindowControllerTest, SyncBeepsWhileAutomaticSyncIsOffAndNoControlOffersItThen)
{
    KNVTMainWindowController main;
    ASSERT_FALSE(sandbox.store().isAutoSyncEnabled());
    EXPECT_FALSE(main.actions()->activate(Command::Sync)) << "the command is refused";
    EXPECT_FALSE(main.toolbarButton(QStringLiteral("syncButton"))->isEnabled());
    EXPECT_EQ(beeper.count(), 0);
    // The window's own operation, reached by nothing while sync is off, beeps.
    main.sync();
    EXPECT_EQ(beeper.count(), 1);
}
