// The focus list table: sections and order of each focus type, the selection across saves, selection commands, the
// row check box, drags and drops of tags, and the empty label.

#include "ListTest.h"

#include "lists/ItemsTableModel.h"
#include "lists/KNVTFocusTaskListItemsTableViewController.h"
#include "lists/KNVTTaskStoreItemsTableView.h"

#include "model/ObjectReferencePayload.h"

#include "uikit/TableViewAdditions.h"

#include <QMimeData>
#include <QScrollBar>

namespace {

class FocusListTest : public ListTest
{
protected:
    std::unique_ptr<KNVTFocusTaskListItemsTableViewController> show(unsigned int focusType)
    {
        auto list = std::make_unique<KNVTFocusTaskListItemsTableViewController>(&m_host);
        list->view()->resize(400, 600);
        list->setFocusTaskList(focusType);
        return list;
    }
};

} // namespace

TEST_F(FocusListTest, InboxGroupsItsTasksAndTheOtherTypesShowTheirOwnSections)
{
    auto &b = build();
    b.task(QStringLiteral("b open"));
    b.task(QStringLiteral("a open"));
    b.task(QStringLiteral("later"), {.start = now().addDays(2)});
    b.task(QStringLiteral("one day"), {.status = 1});
    KNVTCDTask *done = b.task(QStringLiteral("done"));
    done->markAsCompleted();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTaskList *home = b.area(QStringLiteral("Home"));
    b.task(QStringLiteral("rake"), {.due = now().addDays(-1), .list = garden});
    b.task(QStringLiteral("sweep"), {.start = now().addDays(-1), .list = home});
    b.task(QStringLiteral("prune"), {.list = garden});
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    b.task(QStringLiteral("for ann"), {.list = garden, .assignee = ann});
    b.project(QStringLiteral("Shelf"), {.status = 1});
    KNVTCDTaskList *old = b.project(QStringLiteral("Old"));
    b.task(QStringLiteral("old task"), {.list = old})->markAsCompleted();
    old->markAsCompleted();
    old->setArchived(true);
    save();

    EXPECT_EQ(rowsOf(*show(KNVTFocusTypeInbox)),
              (QStringList{"# Incomplete", "[ ] a open", "[ ] b open", "# Scheduled", "[ ] later", "# Someday",
                           "[ ] one day", "# Completed", "[x] done"}));
    EXPECT_EQ(rowsOf(*show(KNVTFocusTypeToday)), (QStringList{"# Garden", "[ ] rake", "# Home", "[ ] sweep"}));
    EXPECT_EQ(rowsOf(*show(KNVTFocusTypeNext)),
              (QStringList{"# Inbox", "[ ] a open", "[ ] b open", "# Garden", "[ ] prune"}));
    // Scheduled and Archived have no headers.
    EXPECT_EQ(rowsOf(*show(KNVTFocusTypeScheduled)), (QStringList{"[ ] later"}));
    EXPECT_EQ(rowsOf(*show(KNVTFocusTypeSomeday)),
              (QStringList{"# Someday Tasks", "[ ] one day", "# Someday Projects", "[ ] Shelf"}));
    EXPECT_EQ(rowsOf(*show(KNVTFocusTypeDelegated)), (QStringList{"# Ann (ann)", "[ ] for ann"}));

    auto archived = show(KNVTFocusTypeArchived);
    EXPECT_EQ(rowsOf(*archived), (QStringList{"[x] Old"}));
    EXPECT_FALSE(archived->rowAt(0)->checkBoxEnabled);
}

TEST_F(FocusListTest, WatchedGroupsTheTasksIWatchAndLeavesOutArchivedOnes)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1});
    b.watch(b.task(QStringLiteral("open"), {.list = garden}));
    b.watch(b.task(QStringLiteral("later"), {.start = now().addDays(5), .list = garden}));
    b.watch(b.task(QStringLiteral("one day"), {.list = garden, .status = 1}));
    // A someday task of a someday list counts as any other.
    b.watch(b.task(QStringLiteral("someday in someday"), {.list = shelf, .status = 1}));
    KNVTCDTask *done = b.task(QStringLiteral("done"), {.list = garden});
    done->markAsCompleted();
    b.watch(done);
    b.watch(b.task(QStringLiteral("archived"), {.archived = true}));
    save();
    EXPECT_EQ(rowsOf(*show(KNVTFocusTypeWatched)),
              (QStringList{"# Incomplete", "[ ] open", "[ ] someday in someday", "# Scheduled", "[ ] later",
                           "# Someday", "[ ] one day", "# Completed", "[x] done"}));
}

TEST_F(FocusListTest, TickingATaskMovesItUnderCompletedAndKeepsItSelected)
{
    auto &b = build();
    for (int i = 0; i < 40; ++i)
        b.task(QStringLiteral("task %1").arg(i, 2, 10, QLatin1Char('0')));
    save();
    auto list = show(KNVTFocusTypeInbox);
    list->view()->resize(400, 300);
    list->view()->show();
    settle();
    const int row = *list->cellIndexForObjectValue(list->tasks()[20]->uri());
    list->selectRows({row});
    list->tableView()->verticalScrollBar()->setValue(200);
    const QUrl uri = list->rowAt(row)->uri;
    m_host.selectionChanges = 0;

    list->toggleStatus(uri);
    settle();

    const int moved = *list->cellIndexForObjectValue(uri);
    EXPECT_EQ(list->rowAt(moved)->checkBoxState, KNVTCheckBoxStateTick);
    EXPECT_EQ(list->selectedRows(), QList<int>{moved});
    EXPECT_EQ(list->tableView()->verticalScrollBar()->value(), 200);
    EXPECT_EQ(m_host.selectionChanges, 0) << "the same task stays selected: nothing to tell";
    EXPECT_TRUE(rowsOf(*list).contains(QStringLiteral("# Completed")));
}

TEST_F(FocusListTest, ADeletedSelectedTaskIsReportedAndTheOtherStaysSelected)
{
    auto &b = build();
    KNVTCDTask *a = b.task(QStringLiteral("a"));
    KNVTCDTask *c = b.task(QStringLiteral("c"));
    save();
    auto list = show(KNVTFocusTypeInbox);
    list->selectRows({*list->cellIndexForObjectValue(a->uri()), *list->cellIndexForObjectValue(c->uri())});
    m_host.selectionChanges = 0;
    c->markAsDeleted();
    save();
    settle();
    EXPECT_EQ(titles(list->selectedTasks()), QStringList{"a"});
    EXPECT_EQ(m_host.selectionChanges, 1);
}

TEST_F(FocusListTest, NextAndPreviousSkipHeadersAndBeepAtTheEnds)
{
    auto &b = build();
    b.task(QStringLiteral("a"));
    b.task(QStringLiteral("later"), {.start = now().addDays(1)});
    save();
    auto list = show(KNVTFocusTypeInbox); // # Incomplete, a, # Scheduled, later
    list->selectNextItem();
    EXPECT_EQ(m_beeper.count(), 1) << "nothing selected";
    list->selectRows({1});
    list->selectNextItem();
    EXPECT_EQ(list->selectedRows(), QList<int>{3});
    list->selectNextItem();
    EXPECT_EQ(m_beeper.count(), 2);
    list->selectPreviousItem();
    EXPECT_EQ(list->selectedRows(), QList<int>{1});
    list->selectPreviousItem();
    EXPECT_EQ(m_beeper.count(), 3);
    // Headers are never selected, not even by select all.
    list->selectAllItems();
    EXPECT_EQ(list->selectedRows(), (QList<int>{1, 3}));
    EXPECT_EQ(titles(list->selectedTasks()), (QStringList{"a", "later"}));
}

TEST_F(FocusListTest, AnEmptyListSaysNoTasksUntilTheFirstRowArrives)
{
    auto list = show(KNVTFocusTypeToday);
    EXPECT_EQ(knvt::labelText(list->tableView()), QStringLiteral("No Tasks"));
    EXPECT_TRUE(knvt::isLabelVisible(list->tableView()));
    build().task(QStringLiteral("now"), {.start = now().addSecs(-60)});
    save();
    EXPECT_FALSE(knvt::isLabelVisible(list->tableView()));
}

TEST_F(FocusListTest, ABoxOfATaskIMayNotEditIsDisabledAndItsToggleOnlyBeeps)
{
    auto &b = build();
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    KNVTCDTaskList *club = b.project(QStringLiteral("Club"), {.owner = ann, .myRole = knvt::test::NoRole});
    KNVTCDTask *task = b.task(QStringLiteral("Pay dues"), {.start = now().addSecs(-60), .list = club});
    save();
    auto list = show(KNVTFocusTypeToday);
    const int row = *list->cellIndexForObjectValue(task->uri());
    EXPECT_FALSE(list->rowAt(row)->checkBoxEnabled);
    list->toggleStatus(task->uri());
    EXPECT_EQ(m_beeper.count(), 1);
    EXPECT_FALSE(task->isCompleted());
}

TEST_F(FocusListTest, TickingAProjectWithOpenTasksAsksAndOnlyCompletingSaves)
{
    auto &b = build();
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1});
    b.task(QStringLiteral("saw"), {.list = shelf});
    save();
    auto list = show(KNVTFocusTypeSomeday);

    m_alerts.answerWithTitle(QStringLiteral("Cancel"));
    list->toggleStatus(shelf->uri());
    settle();
    ASSERT_EQ(m_alerts.requests().size(), 1);
    EXPECT_FALSE(shelf->isCompleted());
    EXPECT_FALSE(store().managedObjectContext()->hasChanges());

    m_alerts.answerWithIndex(0);
    list->toggleStatus(shelf->uri());
    settle();
    EXPECT_TRUE(shelf->isCompleted());
    EXPECT_FALSE(store().managedObjectContext()->hasChanges()) << "the answer was saved";
}

TEST_F(FocusListTest, DraggedRowsCarryTheirReferencesAndTextTasksFirst)
{
    auto &b = build();
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1});
    KNVTCDTask *plain = b.task(QStringLiteral("A"), {.status = 1});
    KNVTCDTask *noted = b.task(QStringLiteral("B"), {.status = 1, .notes = QStringLiteral("n")});
    save();
    auto list = show(KNVTFocusTypeSomeday); // # Someday Tasks, A, B, # Someday Projects, Shelf
    std::unique_ptr<QMimeData> mime(list->writeRows({0, 1, 2, 3, 4}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(*knvt::ObjectReferencePayload::read(*mime), (QList<QUrl>{plain->uri(), noted->uri(), shelf->uri()}));
    EXPECT_EQ(mime->text(), QStringLiteral("- A\n- B (n)\nShelf\n"));
    EXPECT_EQ(list->writeRows({0, 3}), nullptr) << "headers alone start no drag";
}

TEST_F(FocusListTest, TagsDroppedOntoATaskAreAddedAndForeignOrOtherDropsChangeNothing)
{
    auto &b = build();
    KNVTCDTask *task = b.task(QStringLiteral("Pay rent"));
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    save();
    auto list = show(KNVTFocusTypeInbox);
    QMimeData tags;
    knvt::ObjectReferencePayload::write(tags, {errand->uri()}, QStringLiteral("errand\n"));

    EXPECT_EQ(list->validateDrop(tags, 0, true), Qt::IgnoreAction) << "a header";
    EXPECT_EQ(list->validateDrop(tags, 1, false), Qt::IgnoreAction) << "another program";
    EXPECT_FALSE(list->acceptDrop(tags, 1, false));
    EXPECT_TRUE(task->tags().empty());
    QMimeData garbage;
    garbage.setData(QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI), QByteArray("\x01\x02", 2));
    EXPECT_EQ(list->validateDrop(garbage, 1, true), Qt::IgnoreAction);

    ASSERT_EQ(list->validateDrop(tags, 1, true), Qt::MoveAction);
    EXPECT_TRUE(list->acceptDrop(tags, 1, true));
    settle();
    ASSERT_EQ(task->tags().size(), 1u);
    EXPECT_EQ(task->tags().front(), errand);
}

TEST_F(FocusListTest, TagsDroppedOnAProjectRowAreTakenAndChangeNothing)
{
    auto &b = build();
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1});
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    save();
    auto list = show(KNVTFocusTypeSomeday); // # Someday Projects, Shelf
    QMimeData tags;
    knvt::ObjectReferencePayload::write(tags, {errand->uri()}, QStringLiteral("errand\n"));
    ASSERT_EQ(list->validateDrop(tags, 1, true), Qt::MoveAction);
    EXPECT_TRUE(list->acceptDrop(tags, 1, true));
    settle();
    EXPECT_FALSE(store().managedObjectContext()->hasChanges());
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Someday Projects", "[ ] Shelf"}));
    EXPECT_EQ(shelf->status(), qint64(KNVTTaskListStatusSomeday));
}

TEST_F(FocusListTest, TheArchiveButtonArchivesAClosedProjectAtOnceAndAsksForAnOpenOne)
{
    auto &b = build();
    KNVTCDTaskList *done = b.project(QStringLiteral("Done"));
    done->markAsCompleted();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *rake = b.task(QStringLiteral("rake"), {.list = garden});
    save();
    auto list = show(KNVTFocusTypeArchived);
    EXPECT_TRUE(rowsOf(*list).isEmpty());

    list->toggleArchive(done->uri());
    settle();
    EXPECT_TRUE(done->isArchived());
    EXPECT_FALSE(store().managedObjectContext()->hasChanges()) << "archived and saved";
    EXPECT_EQ(rowsOf(*list), QStringList{"[x] Done"});
    EXPECT_TRUE(m_alerts.requests().empty());

    m_alerts.answerWithTitle(QStringLiteral("Cancel"));
    list->toggleArchive(garden->uri());
    settle();
    ASSERT_EQ(m_alerts.requests().size(), 1u);
    EXPECT_FALSE(garden->isArchived());
    EXPECT_FALSE(store().managedObjectContext()->hasChanges());

    list->toggleArchive(rake->uri());
    settle();
    EXPECT_FALSE(rake->isArchived()) << "a task has no archive button";
}
