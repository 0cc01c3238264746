// The outline of one project or area: its sections, row lookup and selection commands, reordering by drag within the
// list, what it refuses, the list going away, and printing under the list's title.

#include "OutlineListTest.h"

#include "lists/KNVTTaskListItemsOutlineViewController.h"

#include "uikit/TableViewAdditions.h"

#include <QDropEvent>

namespace {

class TaskListOutlineTest : public OutlineListTest
{
protected:
    std::unique_ptr<KNVTTaskListItemsOutlineViewController> show(KNVTCDTaskList *taskList)
    {
        auto list = make<KNVTTaskListItemsOutlineViewController>();
        list->setTaskList(taskList);
        settle();
        return list;
    }
};

} // namespace

TEST_F(TaskListOutlineTest, ShowsTheListsTasksInSectionsAndFindsEachRow)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    b.task(QStringLiteral("rake"), {.list = garden, .orderIndex = 1});
    b.task(QStringLiteral("dig"), {.list = garden, .orderIndex = 0});
    b.task(QStringLiteral("water"), {.list = garden});
    b.task(QStringLiteral("old"), {.list = garden, .archived = true});
    b.task(QStringLiteral("done later"),
           {.start = now().addDays(3), .list = garden, .status = 4, .statusModified = now().addDays(-1)});
    b.task(QStringLiteral("someday done"), {.list = garden, .status = 1});
    KNVTCDTask *cancelled =
        b.task(QStringLiteral("cancelled"), {.list = garden, .status = 5, .statusModified = now().addDays(-2)});
    b.task(QStringLiteral("gone"), {.list = garden, .synced = true})->markAsDeleted();
    b.task(QStringLiteral("elsewhere"));
    save();

    auto list = show(garden);
    EXPECT_EQ(rowsOf(*list),
              (QStringList{"# Incomplete", "[ ] dig", "[ ] rake", "[ ] old", "[ ] water", "# Someday",
                           "[ ] someday done", "# Completed", "[x] done later", "[-] cancelled"}))
        << "archived tasks stay in their list; a closed task with a later start is not scheduled";
    EXPECT_TRUE(list->rowAt(1)->subtitle.isEmpty()) << "rows do not repeat the list's name";
    // Incomplete 4 rows, then Someday 1: the second completed task stands at 1 + 4 + 1 + 1 + 1 + 1 = 9.
    EXPECT_EQ(list->cellIndexForObjectValue(cancelled->uri()), 9);
    EXPECT_EQ(list->cellIndexForObjectValue(garden->uri()), std::nullopt);

    // Setting the same list again changes nothing; another shows its rows with their sections open at once.
    KNVTCDTaskList *home = b.area(QStringLiteral("Home"));
    b.task(QStringLiteral("sweep"), {.list = home});
    save();
    settle();
    list->setTaskList(garden);
    EXPECT_TRUE(list->outlineView()->isExpanded(sectionIndex(*list, QStringLiteral("Incomplete"))));
    list->setTaskList(home);
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] sweep"}));
    EXPECT_TRUE(list->outlineView()->isExpanded(sectionIndex(*list, QStringLiteral("Incomplete"))));

    auto empty = show(b.project(QStringLiteral("Empty")));
    EXPECT_EQ(knvt::labelText(empty->outlineView()), QStringLiteral("No Tasks"));
}

TEST_F(TaskListOutlineTest, SelectionCommandsSkipTheSectionRowsAndBeepAtTheEnds)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *a = b.task(QStringLiteral("a"), {.list = garden});
    KNVTCDTask *c = b.task(QStringLiteral("c"), {.list = garden, .status = 4});
    save();
    auto list = show(garden); // # Incomplete, a, # Completed, c
    list->selectNextItem();
    EXPECT_EQ(m_beeper.count(), 1) << "nothing selected";
    select(*list, {a});
    list->selectPreviousItem();
    EXPECT_EQ(m_beeper.count(), 2) << "the first task row";
    list->selectNextItem();
    EXPECT_EQ(titles(list->selectedTasks()), QStringList{"c"});
    list->selectNextItem();
    EXPECT_EQ(m_beeper.count(), 3);
    EXPECT_EQ(titles(list->selectedTasks()), QStringList{"c"});
    list->selectAllItems();
    EXPECT_EQ(list->selectedRows(), (QList<int>{1, 3}));
    list->deselectAllItems();
    EXPECT_TRUE(list->selectedRows().isEmpty());
    (void)c;

    auto empty = show(b.project(QStringLiteral("Empty")));
    empty->selectAllItems();
    EXPECT_TRUE(empty->selectedRows().isEmpty());
    EXPECT_EQ(m_beeper.count(), 3) << "select all with nothing to select is silent";
}

TEST_F(TaskListOutlineTest, DraggingWithinIncompleteRenumbersTheSectionAndPersists)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *first = b.task(QStringLiteral("first"), {.list = garden, .orderIndex = 0});
    KNVTCDTask *second = b.task(QStringLiteral("second"), {.list = garden, .orderIndex = 1});
    KNVTCDTask *third = b.task(QStringLiteral("third"), {.list = garden, .orderIndex = 2});
    save();
    auto list = show(garden);
    const QModelIndex incomplete = sectionIndex(*list, QStringLiteral("Incomplete"));

    EXPECT_TRUE(drop(*list, *dragOf(*list, {third}), incomplete, 0));
    settle();
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] third", "[ ] first", "[ ] second"}));
    EXPECT_EQ(third->taskListOrderIndex(), 0);
    EXPECT_EQ(first->taskListOrderIndex(), 1);
    EXPECT_EQ(second->taskListOrderIndex(), 2);

    // From above the drop point: after the last row is index 3, and the task takes position 2.
    EXPECT_TRUE(drop(*list, *dragOf(*list, {third}), sectionIndex(*list, QStringLiteral("Incomplete")), 3));
    settle();
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] first", "[ ] second", "[ ] third"}));
    EXPECT_FALSE(store().managedObjectContext()->hasChanges()) << "saved";

    // Dropped onto a row: the top of the section.
    EXPECT_TRUE(drop(*list, *dragOf(*list, {second}), rowIndex(*list, third)));
    settle();
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] second", "[ ] first", "[ ] third"}));
}

TEST_F(TaskListOutlineTest, RefusesOtherListsTasksTaskListsAndDragsOutOfAnArchivedList)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTaskList *home = b.area(QStringLiteral("Home"));
    KNVTCDTask *rake = b.task(QStringLiteral("rake"), {.list = garden});
    KNVTCDTask *sweep = b.task(QStringLiteral("sweep"), {.list = home});
    KNVTCDTag *tag = b.tag(QStringLiteral("tag"));
    save();
    auto list = show(garden);
    auto homeList = show(home);
    const QModelIndex incomplete = sectionIndex(*list, QStringLiteral("Incomplete"));

    EXPECT_EQ(list->validateDrop(*dragOf(*homeList, {sweep}), incomplete, 0, true).operation, Qt::IgnoreAction);
    QMimeData lists;
    knvt::ObjectReferencePayload::write(lists, {garden->uri()}, QString());
    EXPECT_EQ(list->validateDrop(lists, incomplete, 0, true).operation, Qt::IgnoreAction);
    // The same task written by another list is not this list's own drag.
    QMimeData copied;
    knvt::ObjectReferencePayload::write(copied, {rake->uri()}, QString());
    EXPECT_EQ(list->validateDrop(copied, incomplete, 0, true).operation, Qt::IgnoreAction);
    EXPECT_FALSE(list->acceptDrop(copied, incomplete, 0, true));

    QMimeData tags;
    knvt::ObjectReferencePayload::write(tags, {tag->uri()}, QString());
    EXPECT_EQ(list->validateDrop(tags, incomplete, -1, true).operation, Qt::IgnoreAction) << "not on a section";
    EXPECT_TRUE(drop(*list, tags, rowIndex(*list, rake)));

    garden->setArchived(true);
    save();
    settle();
    EXPECT_EQ(dragOf(*list, {rake}), nullptr);
    EXPECT_FALSE(list->rowAt(*list->cellIndexForObjectValue(rake->uri()))->checkBoxEnabled);
    list->toggleStatus(rake->uri());
    EXPECT_EQ(m_beeper.count(), 1);
    EXPECT_FALSE(rake->isCompleted());
}

TEST_F(TaskListOutlineTest, ADropFromAnotherProcessIsRefusedAndChangesNothing)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *first = b.task(QStringLiteral("first"), {.list = garden, .orderIndex = 0});
    KNVTCDTask *second = b.task(QStringLiteral("second"), {.list = garden, .orderIndex = 1});
    KNVTCDTag *tag = b.tag(QStringLiteral("tag"));
    save();
    auto list = show(garden);
    const auto reorder = dragOf(*list, {second});
    QMimeData tags;
    knvt::ObjectReferencePayload::write(tags, {tag->uri()}, QString());
    const QModelIndex incomplete = sectionIndex(*list, QStringLiteral("Incomplete"));
    for (const QMimeData *mime :
         {static_cast<const QMimeData *>(reorder.get()), static_cast<const QMimeData *>(&tags)}) {
        for (const auto &[target, childIndex] : {std::pair{incomplete, 0}, std::pair{rowIndex(*list, first), -1}}) {
            EXPECT_EQ(list->validateDrop(*mime, target, childIndex, false).operation, Qt::IgnoreAction);
            EXPECT_FALSE(list->acceptDrop(*mime, target, childIndex, false));
        }
    }

    // Brought over the view, the same drags have no source in this process: the view takes none of them.
    KNVTTaskStoreItemsOutlineView *view = list->outlineView();
    view->show();
    const QPoint onFirst = view->visualRect(rowIndex(*list, first)).center();
    for (const QMimeData *mime :
         {static_cast<const QMimeData *>(reorder.get()), static_cast<const QMimeData *>(&tags)}) {
        QDragEnterEvent enter(onFirst, Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &enter);
        EXPECT_FALSE(enter.isAccepted());
        QDragMoveEvent move(onFirst, Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
        QDropEvent dropped(QPointF(onFirst), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &dropped);
        EXPECT_FALSE(dropped.isAccepted());
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(view->viewport(), &leave);
    }
    settle();
    EXPECT_FALSE(store().managedObjectContext()->hasChanges());
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] first", "[ ] second"}));
    EXPECT_TRUE(first->tags().empty());

    // From this process the same drags are taken.
    EXPECT_TRUE(drop(*list, *reorder, incomplete, 0));
    EXPECT_TRUE(drop(*list, tags, rowIndex(*list, first)));
    settle();
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] second", "[ ] first"}));
    EXPECT_EQ(first->tags().size(), 1u);
}

TEST_F(TaskListOutlineTest, AListDeletedAfterItWasSyncedLeavesNoRowsBehind)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"), {.synced = true});
    KNVTCDTask *rake = b.task(QStringLiteral("rake"), {.list = garden, .synced = true});
    save();
    auto list = show(garden);
    select(*list, {rake});
    garden->setDeletedDate(now());
    save();
    settle();
    EXPECT_EQ(list->numberOfRows(), 0);
    EXPECT_EQ(list->taskList(), nullptr);
    EXPECT_EQ(knvt::labelText(list->outlineView()), QStringLiteral("No Tasks"));

    // Gone altogether, as a sync removes it.
    KNVTCDTaskList *home = b.area(QStringLiteral("Home"));
    b.task(QStringLiteral("sweep"), {.list = home});
    save();
    auto homeList = show(home);
    ASSERT_EQ(homeList->numberOfRows(), 2);
    deleteElsewhere(home);
    settle();
    EXPECT_EQ(homeList->numberOfRows(), 0);
}

TEST_F(TaskListOutlineTest, PrintsTheSelectionOrTheListUnderTheListsTitle)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *rake = b.task(QStringLiteral("rake"), {.list = garden});
    save();
    auto list = show(garden);
    EXPECT_TRUE(list->HTMLStringForPrinting().contains(garden->HTMLStringForPrinting()));
    select(*list, {rake});
    EXPECT_TRUE(list->HTMLStringForPrinting().contains(rake->HTMLStringForPrinting()));
    EXPECT_FALSE(list->HTMLStringForPrinting().contains(garden->HTMLStringForPrinting()));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("garden.pdf"));
    qputenv("KNVT_PRINT_PDF", pdf.toLocal8Bit());
    list->print();
    qunsetenv("KNVT_PRINT_PDF");
    EXPECT_EQ(list->printer(), nullptr) << "released once printed";
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Title:\\s+Garden\\n")));
}

TEST_F(TaskListOutlineTest, TheTodayToggleMovesATaskOrAListToTodayAndBackToNext)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *rake = b.task(QStringLiteral("rake"), {.list = garden});
    save();
    auto list = show(garden);
    list->toggleToday(rake->uri());
    EXPECT_EQ(rake->focusType(), KNVTFocusTypeToday);
    list->toggleToday(rake->uri());
    EXPECT_EQ(rake->focusType(), KNVTFocusTypeNext);
    // A list moves with its open tasks.
    list->toggleToday(garden->uri());
    EXPECT_EQ(rake->focusType(), KNVTFocusTypeToday);
    list->toggleToday(garden->uri());
    EXPECT_EQ(rake->focusType(), KNVTFocusTypeNext);
    EXPECT_EQ(garden->focusType(), KNVTTaskListFocusTypeNext);
    EXPECT_FALSE(store().managedObjectContext()->hasChanges()) << "each toggle saves at once";
}
