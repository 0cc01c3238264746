// The commands every list offers on its selection: the context menu built from the rules, the delete confirmations,
// and what the commands write.

#include "ListTest.h"

#include "support/MenuLines.h"
#include "support/RecordingListServices.h"

#include "lists/KNVTFocusTaskListItemsTableViewController.h"
#include "lists/KNVTTaskListItemsTableViewController.h"
#include "lists/KNVTTaskStoreItemsTableView.h"

#include "foundation/Defaults.h"
#include "uikit/ActionSet.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/TableViewAdditions.h"

#include <QMenu>
#include <QTest>

namespace {

class ItemActionsTest : public ListTest
{
protected:
    std::unique_ptr<KNVTFocusTaskListItemsTableViewController> show(unsigned int focusType)
    {
        auto list = std::make_unique<KNVTFocusTaskListItemsTableViewController>(&m_host);
        list->setFocusTaskList(focusType);
        return list;
    }
    void select(KNVTTaskStoreItemsTableViewController &list, std::initializer_list<KNVTCDTaskStoreObject *> objects)
    {
        QList<int> rows;
        for (KNVTCDTaskStoreObject *object : objects)
            rows << *list.cellIndexForObjectValue(object->uri());
        list.selectRows(rows);
    }
    QStringList menuOf(KNVTTaskStoreItemsViewController &list)
    {
        std::unique_ptr<QMenu> menu(list.menuForEvent());
        return knvt::test::openedMenuLines(*menu);
    }
};

} // namespace

TEST_F(ItemActionsTest, WithNothingSelectedTheMenuOffersOnlyDisabledMovesAndDelete)
{
    build().task(QStringLiteral("a"));
    save();
    auto list = show(KNVTFocusTypeInbox);
    EXPECT_EQ(menuOf(*list),
              (QStringList{"Move To Today\tCtrl+T (off)", "Move To Someday\tCtrl+S (off)", "Schedule (off)", "-",
                           "Delete\tCtrl+Backspace (off)"}));
}

TEST_F(ItemActionsTest, AnOpenInboxTaskGetsTheFullMenuWithOneMarkKey)
{
    auto &b = build();
    KNVTCDTask *task = b.task(QStringLiteral("Pay rent"));
    b.project(QStringLiteral("Garden"));
    save();
    auto list = show(KNVTFocusTypeInbox);
    select(*list, {task});
    const QStringList menu = menuOf(*list);
    EXPECT_EQ(menu.mid(0, 12),
              (QStringList{"Move To Today\tCtrl+T", "Move To Someday\tCtrl+S", "Schedule", "-", "Mark",
                           "  As Completed\tCtrl+.", "  As Cancelled\tAlt+Backspace", "-", "Open\tCtrl+O",
                           "Edit\tReturn", "-", "Duplicate\tCtrl+D"}));
    EXPECT_TRUE(menu.contains(QStringLiteral("Delete\tCtrl+Backspace")));
    const qsizetype move = menu.indexOf(QStringLiteral("Move To"));
    ASSERT_GE(move, 0);
    EXPECT_EQ(menu.mid(move + 1),
              (QStringList{"  Focus (off)", "  Move To Inbox", "  Move To Today\tCtrl+T", "  Move To Next",
                           "  Schedule", "  Move To Someday\tCtrl+S", "  -", "  Projects (off)", "  Garden"}));
}

TEST_F(ItemActionsTest, ATaskInTodayOfAListIMayNotEditOffersRemoveFromTodayDisabled)
{
    auto &b = build();
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    KNVTCDTaskList *club = b.project(QStringLiteral("Club"), {.owner = ann, .myRole = knvt::test::NoRole});
    KNVTCDTask *task = b.task(QStringLiteral("Pay dues"), {.start = now().addSecs(-60), .list = club});
    save();
    auto list = show(KNVTFocusTypeToday);
    select(*list, {task});
    const QStringList menu = menuOf(*list);
    EXPECT_EQ(menu.first(), QStringLiteral("Remove From Today\tCtrl+T (off)"));
    EXPECT_FALSE(list->canRemoveSelectedItemsFromToday());
}

TEST_F(ItemActionsTest, AProjectIDoNotOwnCannotBeMarkedAndAnAreaHidesMark)
{
    auto &b = build();
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    KNVTCDTaskList *club = b.project(QStringLiteral("Club"), {.status = 1, .owner = ann});
    KNVTCDTaskList *home = b.area(QStringLiteral("Home"), {.status = 1});
    save();
    auto list = show(KNVTFocusTypeSomeday);
    select(*list, {club});
    EXPECT_FALSE(list->canMarkSelectedItems());
    EXPECT_FALSE(menuOf(*list).contains(QStringLiteral("Mark")));
    select(*list, {home});
    EXPECT_FALSE(list->canMarkSelectedItems());
    EXPECT_FALSE(menuOf(*list).contains(QStringLiteral("Mark")));
}

TEST_F(ItemActionsTest, DeletingTasksAsksOnceUnlessSuppressedAndTheBoxCountsOnCancelToo)
{
    auto &b = build();
    KNVTCDTask *a = b.task(QStringLiteral("a"));
    KNVTCDTask *c = b.task(QStringLiteral("c"));
    save();
    auto list = show(KNVTFocusTypeInbox);
    select(*list, {a});
    m_alerts.answerWithTitle(QStringLiteral("Cancel"), true);
    list->deleteSelectedItems();
    settle();
    ASSERT_EQ(m_alerts.requests().size(), 1);
    EXPECT_EQ(m_alerts.requests()[0].title, QStringLiteral("Delete Task?"));
    EXPECT_TRUE(m_alerts.requests()[0].showsSuppressionButton);
    EXPECT_EQ(list->tasks().size(), 2u) << "Cancel deletes nothing";
    EXPECT_TRUE(knvt::Defaults::standard()
                    .value(QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey))
                    .toBool());

    select(*list, {a, c});
    list->deleteSelectedItems();
    settle();
    EXPECT_EQ(m_alerts.requests().size(), 1) << "suppressed: no second question";
    EXPECT_TRUE(list->tasks().empty());
}

TEST_F(ItemActionsTest, DeletingASyncedProjectTakesItsTasksWithIt)
{
    auto &b = build();
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1, .synced = true});
    b.task(QStringLiteral("saw"), {.start = now().addDays(1), .list = shelf, .synced = true});
    save();
    auto someday = show(KNVTFocusTypeSomeday);
    auto scheduled = show(KNVTFocusTypeScheduled);
    ASSERT_EQ(rowsOf(*scheduled), QStringList{"[ ] saw"});
    select(*someday, {shelf});
    m_alerts.answerWithTitle(QStringLiteral("Delete"));
    someday->deleteSelectedItems();
    settle();
    EXPECT_EQ(m_alerts.requests()[0].title, QStringLiteral("Delete Items"));
    EXPECT_TRUE(rowsOf(*someday).isEmpty());
    EXPECT_TRUE(rowsOf(*scheduled).isEmpty());
}

TEST_F(ItemActionsTest, MarkingAProjectWithOpenTasksSavesTheAnswer)
{
    auto &b = build();
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1});
    b.task(QStringLiteral("saw"), {.list = shelf});
    b.task(QStringLiteral("sand"), {.list = shelf});
    save();
    auto list = show(KNVTFocusTypeSomeday);
    select(*list, {shelf});
    m_alerts.answerWithIndex(0);
    list->markSelectedItemsAsCompleted();
    settle();
    EXPECT_TRUE(shelf->isCompleted());
    EXPECT_FALSE(store().managedObjectContext()->hasChanges());
    for (KNVTCDTask *task : shelf->tasks())
        EXPECT_TRUE(task->isCompletedOrCancelled());
}

TEST_F(ItemActionsTest, MovingToTheInboxMakesTheTaskMineAndMovesSkipTasksAlreadyThere)
{
    auto &b = build();
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *theirs = b.task(QStringLiteral("theirs"), {.assignee = ann});
    KNVTCDTask *inGarden = b.task(QStringLiteral("in garden"), {.list = garden});
    save();
    auto delegated = show(KNVTFocusTypeDelegated);
    select(*delegated, {theirs});
    delegated->moveSelectedItemsToInbox();
    EXPECT_EQ(theirs->assignee(), store().me());
    auto list = show(KNVTFocusTypeNext);
    select(*list, {inGarden});
    list->moveSelectedItemsToTaskList(garden);
    EXPECT_EQ(inGarden->taskList(), garden);
    list->detachSelectedItemsFromTaskList();
    settle();
    EXPECT_EQ(inGarden->taskList(), nullptr);
}

TEST_F(ItemActionsTest, TheTaskListTableForgetsADeletedListAndSaysNoTasks)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"), {.synced = true});
    b.task(QStringLiteral("rake"), {.list = garden});
    b.task(QStringLiteral("later"), {.start = now().addDays(1), .list = garden})->setStatus(2);
    b.task(QStringLiteral("done"), {.list = garden})->markAsCompleted();
    save();
    KNVTTaskListItemsTableViewController list(&m_host);
    list.setTaskList(garden);
    EXPECT_EQ(rowsOf(list),
              (QStringList{"# Uncompleted", "[ ] rake", "# Scheduled", "[ ] later", "# Completed", "[x] done"}));
    EXPECT_TRUE(knvt::labelText(list.tableView()).isEmpty());
    store().removeTaskList(garden);
    save();
    EXPECT_TRUE(rowsOf(list).isEmpty());
    EXPECT_EQ(list.taskList(), nullptr);
    EXPECT_EQ(knvt::labelText(list.tableView()), QStringLiteral("No Tasks"));
    // Later changes leave it so.
    b.task(QStringLiteral("elsewhere"));
    save();
    EXPECT_TRUE(rowsOf(list).isEmpty());
    EXPECT_EQ(knvt::labelText(list.tableView()), QStringLiteral("No Tasks"));
}

TEST_F(ItemActionsTest, AListStandingAloneHasActionsOfItsOwnWhoseKeysAreTheOnesItsMenuShows)
{
    auto &b = build();
    KNVTCDTask *rent = b.task(QStringLiteral("Pay rent"));
    b.task(QStringLiteral("Call Ann"));
    save();
    auto list = show(KNVTFocusTypeInbox);
    QWidget *window = list->view();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    select(*list, {rent});
    list->tableView()->setFocus();
    // Each entry of the menu with a key: pressing the key does what the entry does.
    const QStringList menu = menuOf(*list);
    EXPECT_TRUE(menu.contains(QStringLiteral("Move To Someday\tCtrl+S"))) << menu.join('|').toStdString();
    QTest::keyClick(list->tableView(), Qt::Key_S, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(rent->isSomeday());
    select(*list, {rent});
    EXPECT_TRUE(menuOf(*list).contains(QStringLiteral("Remove From Someday\tCtrl+S")));
    QTest::keyClick(list->tableView(), Qt::Key_S, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(rent->isSomeday());
    select(*list, {rent});
    QTest::keyClick(list->tableView(), Qt::Key_Period, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(rent->isCompleted());
    // Return on a task that may be edited asks its window to edit it; the same key is the menu's Edit.
    knvt::test::RecordingApplicationServices windows;
    select(*list, {rent});
    ASSERT_TRUE(menuOf(*list).contains(QStringLiteral("Edit\tReturn")));
    QTest::keyClick(list->tableView(), Qt::Key_Return);
    EXPECT_EQ(windows.requests, (QStringList{"show Pay rent", "edit Pay rent"}));
}

namespace {

// A focus list that counts how often its selection is read.
class CountingFocusList : public KNVTFocusTaskListItemsTableViewController
{
public:
    using KNVTFocusTaskListItemsTableViewController::KNVTFocusTaskListItemsTableViewController;
    Items selectedItems() const override
    {
        ++reads;
        return KNVTFocusTaskListItemsTableViewController::selectedItems();
    }
    mutable int reads = 0;
};

} // namespace

TEST_F(ItemActionsTest, CtrlASelectsEachSectionAsOneRangeAndAValidationReadsItOnceAndFillsNoMenu)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    for (int i = 0; i < 40; ++i)
        b.task(QStringLiteral("task %1").arg(i), {.list = i % 2 == 0 ? garden : nullptr});
    save();
    CountingFocusList list(&m_host);
    list.setFocusTaskList(KNVTFocusTypeNext);
    int sections = 0;
    for (int row = 0; row < list.numberOfRows(); ++row)
        sections += list.rowAt(row)->isHeader() ? 1 : 0;
    ASSERT_EQ(sections, 2) << "the tasks of no list and the project's";

    list.reads = 0;
    QTest::keyClick(list.focusView(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list.selectedRows().size(), 40);
    EXPECT_EQ(list.tableView()->selectionModel()->selection().size(), sections);
    EXPECT_EQ(list.selectedTasks().size(), 40u);

    knvt::ActionSet *actions = list.actions();
    QMenu *move = actions->menu(knvt::Command::MoveTo);
    ASSERT_NE(move, nullptr);
    actions->validate();
    EXPECT_EQ(list.reads, 1) << "one reading of the selection for every command of the passes";
    EXPECT_TRUE(actions->action(knvt::Command::MoveToToday)->isEnabled());
    EXPECT_TRUE(move->isEmpty()) << "the Move To menu is filled when it opens, not by every validation";
    move->popup(QPoint());
    EXPECT_EQ(knvt::test::menuLines(*move).mid(0, 3),
              (QStringList{"Focus (off)", "Move To Inbox", "Move To Today\tCtrl+T"}));
    move->hide();

    // Ctrl+Shift+A leaves nothing selected, and the actions follow.
    QTest::keyClick(list.focusView(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    actions->validate();
    EXPECT_TRUE(list.selectedRows().isEmpty());
    EXPECT_FALSE(actions->action(knvt::Command::MoveToToday)->isEnabled());
}

namespace {

// The window's actions as a user sees them: each command of the selection shown or not, and available or not.
QStringList actionStates(knvt::ActionSet &actions)
{
    using knvt::Command;
    QStringList states;
    for (Command command :
         {Command::Delete, Command::Duplicate, Command::MoveToInbox, Command::MoveToToday, Command::RemoveFromToday,
          Command::MoveToNext, Command::MoveToSomeday, Command::RemoveFromSomeday, Command::Schedule,
          Command::MarkAsCompleted, Command::MarkAsUncompleted, Command::MarkAsCancelled, Command::Archive,
          Command::Unarchive, Command::Open, Command::Edit, Command::AssignTo, Command::MoveTo}) {
        const QAction *action = actions.action(command);
        if (action)
            states << QStringLiteral("%1%2%3").arg(action->text(),
                                                   action->isVisible() ? QString() : QStringLiteral(" (hidden)"),
                                                   action->isEnabled() ? QString() : QStringLiteral(" (off)"));
    }
    return states;
}

} // namespace

// A key press validates the window again with nothing changed: the pass keeps the last reading of the selection. Any
// change of the selection, the rows, an object (saved or not) or the clock makes the next pass read it afresh, and its
// answers are those of a list that has never validated.
TEST_F(ItemActionsTest, AValidationKeepsItsReadingOfTheSelectionUntilTheSelectionAnObjectOrTheClockChanges)
{
    auto &b = build();
    const QDateTime threePm(now().date(), QTime(15, 0));
    KNVTCDTask *ann = b.task(QStringLiteral("Call Ann"), {.start = threePm});
    KNVTCDTask *rent = b.task(QStringLiteral("Pay rent"));
    save();
    CountingFocusList list(&m_host);
    list.setFocusTaskList(KNVTFocusTypeInbox);
    ostore::Context &context = *store().managedObjectContext();

    struct Step
    {
        const char *what;
        std::function<void()> change;
        int reads;
        bool moveToTodayShown;
    };
    const std::vector<Step> steps = {
        {"Call Ann selected", [&] { select(list, {ann}); }, 1, true},
        {"nothing changed", [] {}, 0, true},
        {"the clock reaches its start",
         [&] {
             m_clock.setNow(threePm.addSecs(60));
             ASSERT_TRUE(m_sandbox.alarm().fire());
         },
         1, false},
        {"an unsaved start tomorrow", [&] { ann->setStartDate(threePm.addDays(1)); }, 1, true},
        {"the change rolled back", [&] { context.rollback(); }, 1, false},
        {"both tasks selected",
         [&] {
             select(list, {ann, rent});
         },
         1, true},
        {"nothing changed again", [] {}, 0, true},
        {"a save starts Pay rent this morning",
         [&] {
             rent->setStartDate(QDateTime(now().date(), QTime(9, 0)));
             save();
             settle();
         },
         1, false},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        list.reads = 0;
        list.actions()->validate();
        EXPECT_EQ(list.reads, step.reads);
        EXPECT_EQ(list.actions()->action(knvt::Command::MoveToToday)->isVisible(), step.moveToTodayShown);

        CountingFocusList fresh(&m_host);
        fresh.setFocusTaskList(KNVTFocusTypeInbox);
        QList<int> rows;
        for (int row : list.selectedRows())
            rows << *fresh.cellIndexForObjectValue(list.rowAt(row)->uri);
        fresh.selectRows(rows);
        fresh.actions()->validate();
        EXPECT_EQ(actionStates(*list.actions()), actionStates(*fresh.actions()));
    }
}
