// The centre pane's outline lists: a tag's tasks, search results, the projects and areas, and a project's own list;
// their sections, check boxes, drags and drops, keys and printouts.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"

#include "lists/KNVTTaskStoreItemsOutlineView.h"
#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "foundation/NotificationCenter.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/TableViewAdditions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class OutlineListsFeature : public ::testing::Test
{
protected:
    AppDriver app;
    QDateTime now() const { return AppDriver::defaultNow(); }

    QStringList selectedTitles()
    {
        QStringList titles;
        for (const KNVTCDTask *task : app.centreItems()->selectedTasks())
            titles << task->title();
        return titles;
    }
    QString emptyLabel()
    {
        return knvt::isLabelVisible(app.centreView()) ? knvt::labelText(app.centreView()) : QString();
    }
};

} // namespace

TEST_F(OutlineListsFeature, ChoosingATagShowsItsTasksInTheirSectionsEachInItsOrder)
{
    app.givenProject(QStringLiteral("Old"), {.archived = true});
    app.givenTask(QStringLiteral("buy stamps"), {.tags = {"errand"}});
    app.givenTask(QStringLiteral("bank"), {.tags = {"errand"}});
    app.givenTask(QStringLiteral("return parcel"),
                  {.list = QStringLiteral("Old"), .archived = true, .tags = {"errand"}});
    app.givenTask(QStringLiteral("pick up suit"), {.start = now().addDays(2), .tags = {"errand"}});
    app.givenTask(QStringLiteral("visit aunt"), {.status = 1, .tags = {"errand"}});
    app.givenTask(QStringLiteral("post letter"), {.completed = true, .tags = {"errand"}});
    app.givenTask(QStringLiteral("untagged"));
    app.givenTask(QStringLiteral("read"), {.tags = {"quiet"}})->markAsDeleted();
    app.saveGivens();

    app.selectHome(QStringLiteral("errand"));
    EXPECT_EQ(app.centreRows(),
              (QStringList{"# Incomplete", "[ ] bank", "[ ] buy stamps", "[ ] return parcel", "# Scheduled",
                           "[ ] pick up suit", "# Someday", "[ ] visit aunt", "# Completed", "[x] post letter"}));
    EXPECT_TRUE(emptyLabel().isEmpty());

    app.selectHome(QStringLiteral("quiet"));
    EXPECT_TRUE(app.centreRows().isEmpty());
    EXPECT_EQ(emptyLabel(), QStringLiteral("No Tasks"));

    // Two tags: the tasks that carry both.
    app.givenTask(QStringLiteral("quiet errand"), {.tags = {"errand", "quiet"}});
    app.selectHomeEntries({QStringLiteral("errand"), QStringLiteral("quiet")});
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] quiet errand"}));
}

TEST_F(OutlineListsFeature, ControlClickingASecondTagShowsTheTasksCarryingBothAndAddsNothingElse)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("bank"), {.tags = {"errand"}});
    app.givenTask(QStringLiteral("quiet errand"), {.tags = {"errand", "quiet"}});
    app.givenTask(QStringLiteral("read"), {.tags = {"quiet"}});
    app.saveGivens();
    app.mainWindow().show();
    app.settle();

    app.clickHomeEntry(QStringLiteral("errand"));
    app.clickHomeEntry(QStringLiteral("quiet"), Qt::ControlModifier);
    EXPECT_EQ(app.selectedHomeEntries(), (QStringList{"errand", "quiet"}));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] quiet errand"}));

    // A project or a focus list is never added to tags, with either key.
    app.clickHomeEntry(QStringLiteral("Garden"), Qt::ControlModifier);
    app.clickHomeEntry(QStringLiteral("Inbox"), Qt::ShiftModifier);
    EXPECT_EQ(app.selectedHomeEntries(), (QStringList{"errand", "quiet"}));

    // A plain click chooses one entry again; a tag is not added to it.
    app.clickHomeEntry(QStringLiteral("Garden"));
    app.clickHomeEntry(QStringLiteral("errand"), Qt::ControlModifier);
    EXPECT_EQ(app.selectedHomeEntries(), (QStringList{"Garden"}));

    // Shift extends from one tag to another.
    app.clickHomeEntry(QStringLiteral("errand"));
    app.clickHomeEntry(QStringLiteral("quiet"), Qt::ShiftModifier);
    EXPECT_EQ(app.selectedHomeEntries(), (QStringList{"errand", "quiet"}));
}

TEST_F(OutlineListsFeature, TickingARowOfATagListMovesItUnderCompletedAndKeepsTheSelectionAndScroll)
{
    for (int i = 0; i < 30; ++i)
        app.givenTask(QStringLiteral("errand %1").arg(i, 2, 10, QLatin1Char('0')), {.tags = {"errand"}});
    app.selectHome(QStringLiteral("errand"));
    app.mainWindow().resize(1100, 400);
    app.mainWindow().show();
    app.settle();
    app.selectRows({QStringLiteral("errand 14"), QStringLiteral("errand 16")});
    // Rows 12 to 18 or so are in sight.
    app.centreView()->verticalScrollBar()->setValue(600);
    ASSERT_EQ(app.rightPane(), QStringLiteral("Multiple Tasks Selected"));

    app.clickCheckBox(QStringLiteral("errand 14"));

    EXPECT_EQ(app.centreRows().mid(app.centreRows().size() - 2), (QStringList{"# Completed", "[x] errand 14"}));
    EXPECT_EQ(selectedTitles(), (QStringList{"errand 16", "errand 14"}));
    EXPECT_EQ(app.centreView()->verticalScrollBar()->value(), 600);
    EXPECT_EQ(app.rightPane(), QStringLiteral("Multiple Tasks Selected"));
}

TEST_F(OutlineListsFeature, ReorderingInATagListKeepsEachProjectsOwnOrderAndRefusesWhatItMayNotChange)
{
    app.givenProject(QStringLiteral("P"));
    app.givenProject(QStringLiteral("Q"));
    app.givenProject(QStringLiteral("R"), {.archived = true});
    KNVTCDTask *a = app.givenTask(QStringLiteral("a"), {.list = QStringLiteral("P"), .tags = {"t"}, .orderIndex = 0});
    KNVTCDTask *b = app.givenTask(QStringLiteral("b"), {.list = QStringLiteral("P"), .orderIndex = 1});
    KNVTCDTask *c = app.givenTask(QStringLiteral("c"), {.list = QStringLiteral("P"), .tags = {"t"}, .orderIndex = 2});
    KNVTCDTask *d = app.givenTask(QStringLiteral("d"), {.list = QStringLiteral("P"), .orderIndex = 3});
    KNVTCDTask *x = app.givenTask(QStringLiteral("x"), {.list = QStringLiteral("Q"), .tags = {"t"}, .orderIndex = 0});
    KNVTCDTask *y = app.givenTask(QStringLiteral("y"), {.list = QStringLiteral("Q"), .orderIndex = 1});
    KNVTCDTask *pump =
        app.givenTask(QStringLiteral("pump"), {.list = QStringLiteral("R"), .archived = true, .tags = {"t"}});
    app.selectHome(QStringLiteral("t"));
    ASSERT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] a", "[ ] x", "[ ] c", "[ ] pump"}));

    EXPECT_TRUE(app.dragRows({QStringLiteral("c")}).ontoSection(QStringLiteral("Incomplete"), 0));
    EXPECT_EQ(c->taskListOrderIndex(), 0);
    EXPECT_EQ(b->taskListOrderIndex(), 1);
    EXPECT_EQ(a->taskListOrderIndex(), 2);
    EXPECT_EQ(d->taskListOrderIndex(), 3);
    EXPECT_EQ(x->taskListOrderIndex(), 0);
    EXPECT_EQ(y->taskListOrderIndex(), 1);

    EXPECT_EQ(app.dragRows({QStringLiteral("pump")}).mime, nullptr) << "an archived project's task is not dragged";
    EXPECT_TRUE(pump->isArchived());

    AppDriver::Drag foreign = app.dragRows({QStringLiteral("a")});
    foreign.fromThisProcess = false;
    EXPECT_FALSE(foreign.ontoSection(QStringLiteral("Incomplete"), 3));
    EXPECT_EQ(a->taskListOrderIndex(), 2);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(OutlineListsFeature, DroppingOnCompletedAsksFirstAndOnScheduledOpensTheScheduleSheet)
{
    app.givenTask(QStringLiteral("open one"), {.tags = {"t"}});
    app.givenTask(QStringLiteral("open two"), {.tags = {"t"}});
    app.givenTask(QStringLiteral("done"), {.completed = true, .tags = {"t"}});
    app.givenTask(QStringLiteral("later"), {.start = now().addDays(3), .tags = {"t"}});
    app.selectHome(QStringLiteral("t"));

    app.answerAlert(QStringLiteral("Mark as Completed"));
    EXPECT_TRUE(
        app.dragRows({QStringLiteral("open one"), QStringLiteral("done")}).ontoSection(QStringLiteral("Completed")));
    EXPECT_EQ(app.alertsShown(),
              QStringList{"Complete Or Cancel Task / Do you want to complete or cancel this task? "
                          "[Mark as Completed, Mark as Cancelled, Cancel]"});
    EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[x] open one")));

    EXPECT_TRUE(app.dragRows({QStringLiteral("done")}).ontoSection(QStringLiteral("Completed")));
    EXPECT_EQ(app.alertsShown().size(), 1) << "closed tasks only: nothing to ask";

    EXPECT_TRUE(app.dragRows({QStringLiteral("open two")}).ontoSection(QStringLiteral("Scheduled")));
    EXPECT_TRUE(app.windowsOpened().contains(QStringLiteral("KNVTScheduleTasksWindowController: open two")));
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
    EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[ ] open two")));
}

TEST_F(OutlineListsFeature, TypingASearchFindsTasksInTheirSectionsOrNoResults)
{
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.givenProject(QStringLiteral("Old"), {.archived = true});
    app.givenTask(QStringLiteral("invoice draft"), {.status = 1});
    app.givenTask(QStringLiteral("invoice template"), {.list = QStringLiteral("Shelf"), .status = 1});
    app.givenTask(QStringLiteral("invoice paid"), {.list = QStringLiteral("Old"), .completed = true});
    app.givenTask(QStringLiteral("groceries"));
    app.launch();

    app.typeInSearch(QStringLiteral("invoice"));
    EXPECT_EQ(app.centreRows(),
              (QStringList{"# Incomplete", "[ ] invoice template", "# Someday", "[ ] invoice draft", "# Completed",
                           "[x] invoice paid"}));
    EXPECT_FALSE(app.checkBoxEnabled(QStringLiteral("invoice paid")));
    EXPECT_TRUE(app.checkBoxEnabled(QStringLiteral("invoice draft")));

    app.typeInSearch(QString());
    app.typeInSearch(QStringLiteral("qqq"));
    EXPECT_TRUE(app.centreRows().isEmpty());
    EXPECT_EQ(emptyLabel(), QStringLiteral("No Results"));
}

TEST_F(OutlineListsFeature, TheProjectsAndAreasItemShowsFourSectionsOpensAListAndDoesNotPrint)
{
    KNVTCDTaskList *done = app.givenProject(QStringLiteral("Finished"));
    done->markAsCompleted();
    app.givenProject(QStringLiteral("Garden"));
    app.givenArea(QStringLiteral("Home"));
    app.givenProject(QStringLiteral("Boat"), {.status = 1});
    app.givenArea(QStringLiteral("Music"), {.status = 1});
    app.givenTask(QStringLiteral("rake"), {.list = QStringLiteral("Garden"), .tags = {"t"}});
    app.saveGivens();

    app.selectHome(QStringLiteral("Projects/Areas"));
    EXPECT_EQ(app.centreRows(),
              (QStringList{"# Active Projects", "[x] Finished", "[ ] Garden", "# Active Areas", "[ ] Home",
                           "# Someday Projects", "[ ] Boat", "# Someday Areas", "[ ] Music"}));
    const int beeps = app.beeps();
    app.chooseMenu(QStringLiteral("File"), QStringLiteral("Print"));
    EXPECT_EQ(app.beeps(), beeps + 1);

    // Notes previewed: the tag list's rows grow, the projects' stay.
    EXPECT_EQ(app.centreRowHeight(QStringLiteral("Garden")), 50);
    app.givenDefault(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines), 2);
    knvt::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLinesDidChangeNotification));
    app.settle();
    EXPECT_EQ(app.centreRowHeight(QStringLiteral("Garden")), 50);

    // A double click on empty space does nothing; on a row it shows that list.
    QAbstractItemView *view = app.centreView();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, view->viewport()->height() - 3));
    app.settle();
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Projects/Areas"));
    app.doubleClickRow(QStringLiteral("Garden"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Garden"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] rake"}));

    app.selectHome(QStringLiteral("t"));
    EXPECT_EQ(app.centreRowHeight(QStringLiteral("rake")), 90);
}

TEST_F(OutlineListsFeature, AProjectsOwnListKeepsItsOrderAcrossARelaunchAndForgetsTheProjectWhenItGoes)
{
    app.givenProject(QStringLiteral("Garden"), {.synced = true});
    app.givenProject(QStringLiteral("Shed"), {.archived = true});
    app.givenTask(QStringLiteral("oil hinges"), {.list = QStringLiteral("Shed")});
    app.givenTask(QStringLiteral("paint"), {.list = QStringLiteral("Garden")});
    app.givenProject(QStringLiteral("Fence"));
    app.givenTask(QStringLiteral("paint fence"), {.list = QStringLiteral("Fence")});
    app.selectHome(QStringLiteral("Garden"));
    for (const char *title : {"rake leaves", "sow beans"}) {
        app.clickToolbar(QStringLiteral("New Task"));
        app.typeIn(QStringLiteral("titleTextField"), QString::fromLatin1(title));
        app.pressReturn();
        app.wait(0.4);
    }
    ASSERT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] paint", "[ ] rake leaves", "[ ] sow beans"}));

    EXPECT_TRUE(app.dragRows({QStringLiteral("sow beans")}).ontoSection(QStringLiteral("Incomplete"), 0));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] sow beans", "[ ] paint", "[ ] rake leaves"}));
    app.relaunch();
    app.selectHome(QStringLiteral("Garden"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] sow beans", "[ ] paint", "[ ] rake leaves"}));

    // Another project's task is refused.
    app.selectHome(QStringLiteral("Fence"));
    AppDriver::Drag other = app.dragRows({QStringLiteral("paint fence")});
    ASSERT_NE(other.mime, nullptr);
    app.selectHome(QStringLiteral("Garden"));
    EXPECT_FALSE(other.ontoSection(QStringLiteral("Incomplete"), 0));
    EXPECT_EQ(app.centreRows().size(), 4);

    // An archived project's rows are not dragged.
    app.selectHome(QStringLiteral("Archived"));
    app.doubleClickRow(QStringLiteral("Shed"));
    ASSERT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] oil hinges"}));
    EXPECT_EQ(app.dragRows({QStringLiteral("oil hinges")}).mime, nullptr);

    // A sync removes the project while its list is shown: nothing of it is left to click.
    app.selectHome(QStringLiteral("Garden"));
    QPointer<KNVTTaskStoreItemsViewController> gardenList = app.centreItems();
    KNVTCDTaskList *garden = nullptr;
    for (KNVTCDTaskList *list : app.store().activeProjects())
        if (list->title() == QStringLiteral("Garden"))
            garden = list;
    ASSERT_NE(garden, nullptr);
    app.givenRemovedBySync(garden);
    EXPECT_TRUE(gardenList.isNull() || gardenList->numberOfRows() == 0);
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox"));
}

TEST_F(OutlineListsFeature, KeysInAnOutlineListSelectOpenEditAndMoveTheFocus)
{
    app.givenProject(QStringLiteral("Shed"), {.archived = true});
    app.givenTask(QStringLiteral("mine"), {.tags = {"t"}});
    app.givenTask(QStringLiteral("old"), {.list = QStringLiteral("Shed"), .tags = {"t"}});
    app.givenTask(QStringLiteral("done"), {.completed = true, .tags = {"t"}});
    app.selectHome(QStringLiteral("t"));
    QAbstractItemView *view = app.centreView();

    app.selectRows({QStringLiteral("mine")});
    app.press(QStringLiteral("Ctrl+A"));
    EXPECT_EQ(selectedTitles(), (QStringList{"mine", "old", "done"}));
    app.press(QStringLiteral("Space"));
    EXPECT_EQ(selectedTitles().size(), 3);
    app.press(QStringLiteral("Ctrl+Shift+A"));
    EXPECT_TRUE(selectedTitles().isEmpty());

    app.selectRows({QStringLiteral("old")});
    const int beeps = app.beeps();
    app.press(QStringLiteral("Return"));
    EXPECT_EQ(app.beeps(), beeps + 1) << "a task I may not edit";
    app.press(QStringLiteral("Ctrl+O"));
    EXPECT_TRUE(app.windowsOpened().contains(QStringLiteral("KNVTTaskWindowController: old")))
        << app.windowsOpened().join(QStringLiteral(" | ")).toStdString();

    app.selectRows({QStringLiteral("done")});
    app.chooseMenu(QStringLiteral("Edit"), QStringLiteral("Select Next"));
    EXPECT_EQ(app.beeps(), beeps + 2) << "the last row";
    app.selectRows({QStringLiteral("mine")});
    app.chooseMenu(QStringLiteral("Edit"), QStringLiteral("Select Previous"));
    EXPECT_EQ(app.beeps(), beeps + 3) << "the first row";

    app.press(QStringLiteral("Tab"));
    EXPECT_EQ(selectedTitles(), QStringList{"mine"}) << "Tab moves the focus, not the selection";
    EXPECT_NE(QApplication::focusWidget(), view);
}

TEST_F(OutlineListsFeature, PrintingATagListToAFileNamesTheJobAndHoldsWhatWasChosen)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Water roses"), {.list = QStringLiteral("Garden"), .tags = {"garden"}});
    app.givenTask(QStringLiteral("Buy seeds"), {.tags = {"garden"}});
    app.givenTask(QStringLiteral("Mow lawn"), {.tags = {"garden"}});
    app.selectHome(QStringLiteral("garden"));

    app.selectRows({QStringLiteral("Water roses"), QStringLiteral("Buy seeds")});
    QString text = app.printedPdfText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Title: Tasks\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Water roses")) && text.contains(QStringLiteral("Buy seeds")));
    EXPECT_FALSE(text.contains(QStringLiteral("Mow lawn")));

    app.selectRows({});
    text = app.printedPdfText();
    EXPECT_TRUE(text.contains(QStringLiteral("Mow lawn")) && text.contains(QStringLiteral("Water roses")))
        << text.toStdString();

    app.selectHome(QStringLiteral("Garden"));
    EXPECT_TRUE(app.printedPdfText().startsWith(QStringLiteral("Title: Garden\n")));

    app.typeInSearch(QStringLiteral("seeds"));
    text = app.printedPdfText();
    EXPECT_FALSE(text.contains(QStringLiteral("Buy seeds"))) << "nothing selected: an empty page";

    // A cancelled print dialog writes nothing and answers once.
    QTemporaryDir dir;
    int dialogs = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&dialogs] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            ++dialogs;
            dialog->reject();
        }
    });
    closer.start(20);
    app.press(QStringLiteral("Ctrl+P"));
    closer.stop();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(OutlineListsFeature, AProjectOpenedFromProjectsAndAreasShowsItsTitleAndChoosingProjectsAndAreasAgainGoesBack)
{
    app.givenProject(QStringLiteral("Boat"), {.status = 1});
    app.givenTask(QStringLiteral("Paint hull"), {.list = QStringLiteral("Boat")});
    app.givenProject(QStringLiteral("Garden"));
    app.clickHomeEntry(QStringLiteral("Projects/Areas"));

    // Someday projects are not in the home list: the project's list opens above, under its title.
    app.doubleClickRow(QStringLiteral("Boat"));
    EXPECT_EQ(app.listHeading(), QStringLiteral("Boat"));
    // A line over the list, not a block taking half the pane.
    const QLabel *heading = app.mainWindow().listHeadingTextField();
    EXPECT_EQ(heading->height(), heading->sizeHint().height());
    EXPECT_GT(app.centreView()->height(), 4 * heading->height());
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Paint hull"}));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Projects/Areas"));

    // A save keeps it where it is.
    app.clickCheckBox(QStringLiteral("Paint hull"));
    EXPECT_EQ(app.listHeading(), QStringLiteral("Boat"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Completed", "[x] Paint hull"}));

    app.clickHomeEntry(QStringLiteral("Projects/Areas"));
    EXPECT_EQ(app.listHeading(), QString());
    EXPECT_EQ(app.centreRows(), (QStringList{"# Active Projects", "[ ] Garden", "# Someday Projects", "[ ] Boat"}));
}
