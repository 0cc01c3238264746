// A window's action set: one action per command, kept as its target says, with keys that find the state of the
// moment they are pressed.

#include "uikit/ActionSet.h"

#include <QAccessible>
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using knvt::Command;

// A target whose answers the test sets: "today" decides between Move To Today and Remove From Today.
class ScriptedTarget : public knvt::CommandTarget
{
public:
    void validateCommand(Command command, knvt::CommandState &state) override
    {
        ++validations;
        switch (command) {
        case Command::MoveToToday:
            state.visible = !today;
            state.enabled = allowed;
            return;
        case Command::RemoveFromToday:
            state.visible = today;
            state.enabled = allowed;
            return;
        case Command::Delete: state.enabled = allowed; return;
        default: return;
        }
    }
    void performCommand(Command command, QWidget *source) override
    {
        performed << command;
        sources << source;
    }

    bool today = false;
    bool allowed = true;
    int validations = 0;
    QList<Command> performed;
    QList<QWidget *> sources;
};

class ActionSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(300, 200);
        set = new knvt::ActionSet(&window, {Command::MoveToToday, Command::RemoveFromToday, Command::Delete});
        set->setTarget(&target);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void press(const char *keys) { QTest::keySequence(&window, QKeySequence(QString::fromLatin1(keys))); }

    QMainWindow window;
    ScriptedTarget target;
    knvt::ActionSet *set = nullptr;
};

} // namespace

TEST_F(ActionSetTest, OfTwoCommandsSharingAKeyOnlyTheOneShownHasItAndTheKeyRunsIt)
{
    QAction *move = set->action(Command::MoveToToday);
    QAction *remove = set->action(Command::RemoveFromToday);
    EXPECT_TRUE(move->isVisible());
    EXPECT_EQ(move->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    EXPECT_FALSE(remove->isVisible());
    EXPECT_TRUE(remove->shortcut().isEmpty());
    press("Ctrl+T");
    EXPECT_EQ(target.performed, QList<Command>{Command::MoveToToday});

    // The selection changed without telling the set: the key still finds the state of the moment.
    target.today = true;
    press("Ctrl+T");
    EXPECT_EQ(target.performed, (QList<Command>{Command::MoveToToday, Command::RemoveFromToday}));
    EXPECT_TRUE(remove->isVisible());
    EXPECT_EQ(remove->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    EXPECT_FALSE(move->isVisible());
}

TEST_F(ActionSetTest, AMenuItemTellsAScreenReaderTheKeysItShows)
{
    QMenu menu(&window);
    menu.addActions(
        {set->action(Command::MoveToToday), set->action(Command::RemoveFromToday), set->action(Command::Delete)});
    set->validate();
    // Remove From Today is hidden: it gave up the key it shares.
    const std::pair<Command, QStringList> items[] = {{Command::MoveToToday, {"Ctrl+T"}},
                                                     {Command::RemoveFromToday, {}},
                                                     {Command::Delete, {"Ctrl+Backspace", "Ctrl+Del", "Del"}}};
    for (const auto &[command, keys] : items) {
        QAccessibleInterface *read = QAccessible::queryAccessibleInterface(set->action(command));
        ASSERT_NE(read->actionInterface(), nullptr);
        EXPECT_EQ(read->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()), keys);
        EXPECT_EQ(read->text(QAccessible::Accelerator), keys.value(0));
    }
}

TEST_F(ActionSetTest, ARefusedCommandRunsFromNoKeyNoButtonAndNoActivation)
{
    QToolButton *button = set->makeToolButton(Command::Delete, QStringLiteral("deleteButton"), &window);
    EXPECT_EQ(button->defaultAction(), set->action(Command::Delete));
    EXPECT_EQ(button->text(), QStringLiteral("Delete"));
    button->show();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(target.sources, QList<QWidget *>{button}) << "the button tells where the command came from";

    target.allowed = false;
    press("Ctrl+Backspace");
    press("Ctrl+Del");
    EXPECT_FALSE(set->activate(Command::Delete));
    set->validate();
    EXPECT_FALSE(button->isEnabled()) << "the button follows the action";
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(target.performed, QList<Command>{Command::Delete});
    EXPECT_FALSE(set->activate(Command::Schedule)) << "a command the window does not offer";
}

TEST_F(ActionSetTest, AMenuShowingTheActionsAsksTheTargetAsItOpens)
{
    QMenu menu;
    menu.addAction(set->action(Command::Delete));
    set->validateBeforeShowing(&menu);
    target.allowed = false;
    const int before = target.validations;
    emit menu.aboutToShow();
    EXPECT_GT(target.validations, before);
    EXPECT_FALSE(set->action(Command::Delete)->isEnabled());
    EXPECT_EQ(knvt::ActionSet::title(Command::Delete), set->action(Command::Delete)->text());
}
