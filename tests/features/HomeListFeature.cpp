// The home list: its sections and rows, selection across store changes, keys, context menus, and drops.

#include "AppDriver.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"

#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

#include "objectstore/Coordinator.h"
#include "support/NotificationRecorder.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class HomeListFeature : public ::testing::Test
{
protected:
    AppDriver app;
    QDateTime now() const { return AppDriver::defaultNow(); }

    KNVTHomeViewController &home() { return *app.mainWindow().homeViewController(); }
    QModelIndex homeIndex(const QString &name)
    {
        knvt::HomeModel *model = home().model();
        for (int s = 0; s < model->rowCount(); ++s) {
            const QModelIndex section = model->index(s, 0);
            if (section.data().toString() == name)
                return section;
            for (int r = 0; r < model->rowCount(section); ++r)
                if (model->index(r, 0, section).data().toString() == name)
                    return model->index(r, 0, section);
        }
        return {};
    }
    // The titles of the context menu of the home entry, opened with a right click (and closed again).
    QStringList homeMenu(const QString &name)
    {
        app.openHomeContextMenu(name);
        QStringList lines;
        for (const QString &line : app.contextMenu())
            lines << line.section(QLatin1Char('\t'), 0, 0);
        app.closeMenus();
        return lines;
    }
    // Chooses an entry of the context menu of the home entry `name`.
    void chooseInHomeMenu(const QString &name, const QString &entry)
    {
        app.openHomeContextMenu(name);
        app.choose({entry});
    }
    // What a drag of the objects carries.
    std::shared_ptr<QMimeData> payload(std::initializer_list<KNVTCDTaskStoreObject *> objects)
    {
        auto mime = std::make_shared<QMimeData>();
        QList<QUrl> uris;
        for (KNVTCDTaskStoreObject *object : objects)
            uris << object->uri();
        knvt::ObjectReferencePayload::write(*mime, uris, QString());
        return mime;
    }
};

} // namespace

TEST_F(HomeListFeature, ProjectsAndAreasAppearSortedAndOnlyInboxAndTodayShowBadges)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenProject(QStringLiteral("Attic"));
    app.givenArea(QStringLiteral("Home"));
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.members = {QStringLiteral("Ann")}});
    app.givenTask(QStringLiteral("Pay rent"), {.due = now().addDays(-1)});
    app.givenTask(QStringLiteral("Call"), {.start = now().addDays(3)});
    EXPECT_EQ(app.homeRows(),
              (QStringList{"FOCUS", "  Inbox (2)", "  Today (1)", "  Next", "  Scheduled", "  Someday",
                           "  Projects/Areas", "PROJECTS", "  Attic", "  Club [shared]", "  Garden", "AREAS", "  Home",
                           "ARCHIVED", "  Archived"}));
}

TEST_F(HomeListFeature, ARenamedAreaStaysSelectedAndADeletedSelectedProjectGivesInboxBack)
{
    KNVTCDTaskList *home = app.givenArea(QStringLiteral("Home"));
    app.givenArea(QStringLiteral("Garage"));
    app.selectHome(QStringLiteral("Home"));
    home->setTitle(QStringLiteral("A Home"));
    app.saveGivens();
    EXPECT_EQ(app.selectedHome(), QStringLiteral("A Home"));
    QStringList rows = app.homeRows();
    EXPECT_EQ(rows.mid(rows.indexOf(QStringLiteral("AREAS")), 3), (QStringList{"AREAS", "  A Home", "  Garage"}))
        << "at its new place";

    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"));
    app.selectHome(QStringLiteral("Garden"));
    app.store().removeTaskList(garden);
    app.saveGivens();
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox"));
}

TEST_F(HomeListFeature, DelegatedAppearsOnceATaskIsDelegated)
{
    app.launch();
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Delegated")));
    app.givenTask(QStringLiteral("for Ann"), {.assignee = QStringLiteral("Ann")});
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Delegated")));
}

TEST_F(HomeListFeature, CollapsingAreasSurvivesARelaunch)
{
    app.givenArea(QStringLiteral("Home"));
    app.launch();
    app.clickHomeDisclosure(QStringLiteral("AREAS"));
    EXPECT_EQ(app.defaults(QString::fromLatin1(KNVTHomeSectionExpandedHomeSectionTypes)).toList(),
              (QVariantList{0, 1, 3, 4}));
    app.relaunch();
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Home")));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("AREAS")));
}

TEST_F(HomeListFeature, GroupRowsAndASecondEntryCannotBeSelectedAndControlSpaceDoesNothing)
{
    app.givenProject(QStringLiteral("Garden"));
    app.selectHome(QStringLiteral("Today"));
    KNVTHomeOutlineView *view = home().outlineView();
    const QRect section = view->visualRect(homeIndex(QStringLiteral("PROJECTS")));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, section.center());
    app.settle();
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Today"));
    app.clickHomeEntry(QStringLiteral("Garden"), Qt::ShiftModifier);
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Today"));
    app.press(QStringLiteral("Ctrl+Space"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Today"));
}

TEST_F(HomeListFeature, ControlIAndReturnOpenTheInformationAndTheEditorOfAProject)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.owner = QStringLiteral("Ann")});
    app.selectHome(QStringLiteral("Garden"));
    app.press(QStringLiteral("Ctrl+I"));
    app.dismissSheet();
    app.press(QStringLiteral("Return"));
    app.dismissSheet();
    app.selectHome(QStringLiteral("Club"));
    app.press(QStringLiteral("Return"));
    app.dismissSheet();
    app.selectHome(QStringLiteral("Inbox"));
    app.press(QStringLiteral("Return"));
    EXPECT_EQ(app.windowsOpened(),
              (QStringList{"KNVTProjectWindowController: Garden", "KNVTProjectEditWindowController: Garden",
                           "KNVTProjectWindowController: Club"}));
}

TEST_F(HomeListFeature, TheContextMenusFollowOwnershipAndSharing)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Mine"), {.members = {QStringLiteral("Ann")}});
    app.givenSharedProject(QStringLiteral("Ann's"), {.owner = QStringLiteral("Ann")});
    app.givenArea(QStringLiteral("Home"));
    EXPECT_EQ(homeMenu(QStringLiteral("Mine")),
              (QStringList{"Get Info", "-", "Edit", "-", "Sharing Setting...", "Stop Sharing...", "Resend Invitations",
                           "-", "Archive", "-", "Delete"}));
    EXPECT_EQ(homeMenu(QStringLiteral("Ann's")), (QStringList{"Get Info", "-", "Unsubscribe"}));
    EXPECT_EQ(homeMenu(QStringLiteral("Home")),
              (QStringList{"Edit", "-", "Share Area...", "-", "Archive", "-", "Delete"}));
    EXPECT_TRUE(homeMenu(QStringLiteral("Inbox")).isEmpty());
}

TEST_F(HomeListFeature, DeletingAndUnsubscribingAskFirst)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Ann's"), {.owner = QStringLiteral("Ann")});
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("rake"), {.list = QStringLiteral("Garden")});
    app.selectHome(QStringLiteral("Garden"));
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.settle();
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Garden")));
    app.answerAlert(QStringLiteral("Delete"));
    chooseInHomeMenu(QStringLiteral("Garden"), QStringLiteral("Delete"));
    app.settle();
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Garden")));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Ann's"))
        << "none follows the deleted project: the last one is chosen";

    app.answerAlert(QStringLiteral("Unsubscribe"));
    chooseInHomeMenu(QStringLiteral("Ann's"), QStringLiteral("Unsubscribe"));
    app.settle();
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Ann's")));
    EXPECT_EQ(app.alertsShown(),
              (QStringList{"Delete Project / This action cannot be undone. [Delete, Cancel]",
                           "Delete Project / This action cannot be undone. [Delete, Cancel]",
                           "Unsubscribe from Project? / This action cannot be undone. [Unsubscribe, Cancel]"}));
}

TEST_F(HomeListFeature, AFailedSaveAfterDeletingAProjectIsShownOnce)
{
    app.givenProject(QStringLiteral("Garden"));
    app.selectHome(QStringLiteral("Garden"));
    app.answerAlert(QStringLiteral("Delete"));
    app.press(QStringLiteral("Ctrl+Backspace"));
    // The library goes away before the save runs.
    app.store().persistentStoreCoordinator()->close();
    app.settle();
    const QStringList alerts = app.alertsShown();
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts[1].contains(QStringLiteral("[OK]"))) << alerts[1].toStdString();
}

TEST_F(HomeListFeature, ReorderingByDropRenumbersOnlyChangedIndexesAndSurvivesARelaunch)
{
    KNVTCDTaskList *a = app.givenProject(QStringLiteral("A"));
    app.givenProject(QStringLiteral("B"));
    KNVTCDTaskList *c = app.givenProject(QStringLiteral("C"));
    app.launch();
    // C dropped at the top.
    EXPECT_TRUE(app.dragHomeEntries({QStringLiteral("C")}).intoHomeSection(QStringLiteral("PROJECTS"), 0));
    EXPECT_EQ(c->taskListCollaboratorTaskListTypeOrderIndex(), 0);
    EXPECT_EQ(a->taskListCollaboratorTaskListTypeOrderIndex(), 1);
    app.relaunch();
    QStringList rows = app.homeRows();
    EXPECT_EQ(rows.mid(rows.indexOf(QStringLiteral("PROJECTS")), 4), (QStringList{"PROJECTS", "  C", "  A", "  B"}));
    // Moving B between C and A writes only B and A.
    EXPECT_TRUE(app.dragHomeEntries({QStringLiteral("B")}).intoHomeSection(QStringLiteral("PROJECTS"), 1));
    rows = app.homeRows();
    EXPECT_EQ(rows.mid(rows.indexOf(QStringLiteral("PROJECTS")), 4), (QStringList{"PROJECTS", "  C", "  B", "  A"}));
}

TEST_F(HomeListFeature, DropsOnFocusListsAndProjectsMoveTasksAndForeignOrUnsafeDropsAreRefused)
{
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"));
    app.givenArea(QStringLiteral("House"));
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"));
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.owner = QStringLiteral("Ann"), .myRole = knvt::test::NoRole});
    app.givenTask(QStringLiteral("Pay dues"), {.start = now().addSecs(-60), .list = QStringLiteral("Club")});
    app.launch();

    AppDriver::Drag fromAnotherProgram = app.dragRows({QStringLiteral("Pay rent")});
    fromAnotherProgram.fromThisProcess = false;
    EXPECT_FALSE(fromAnotherProgram.onto(QStringLiteral("Today"))) << "another program";
    auto garbage = std::make_shared<QMimeData>();
    garbage->setData(QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI), QByteArray(40, '\xff'));
    EXPECT_FALSE((AppDriver::Drag{app, garbage}.onto(QStringLiteral("Today"))));
    // A task whose list does not let me edit it is not taken out of it.
    app.selectHome(QStringLiteral("Today"));
    EXPECT_FALSE(app.dragRows({QStringLiteral("Pay dues")}).onto(QStringLiteral("Garden")));
    EXPECT_FALSE(app.dragHomeEntries({QStringLiteral("Garden")}).onto(QStringLiteral("Inbox")));
    EXPECT_FALSE(app.dragHomeEntries({QStringLiteral("Garden")}).onto(QStringLiteral("AREAS")));
    EXPECT_EQ(garden->tasks().size(), 0u);

    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_TRUE(app.dragRows({QStringLiteral("Pay rent")}).onto(QStringLiteral("Today")));
    EXPECT_TRUE(rent->isToday());
    app.selectHome(QStringLiteral("Today"));
    EXPECT_TRUE(app.dragRows({QStringLiteral("Pay rent")}).onto(QStringLiteral("Garden")));
    EXPECT_EQ(rent->taskList(), garden);
    EXPECT_TRUE(app.dragRows({QStringLiteral("Pay rent")}).onto(QStringLiteral("Scheduled")));
    EXPECT_EQ(app.windowsOpened().last(), QStringLiteral("KNVTScheduleTasksWindowController: Pay rent"));
}

TEST_F(HomeListFeature, AHomeDragOfAProjectCarriesItsReferenceAndItsText)
{
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"));
    app.launch();
    std::shared_ptr<QMimeData> mime = app.dragHomeEntries({QStringLiteral("Garden")}).mime;
    ASSERT_TRUE(mime);
    EXPECT_EQ(*knvt::ObjectReferencePayload::read(*mime), QList<QUrl>{garden->uri()});
    EXPECT_EQ(mime->text(), QStringLiteral("Garden\n"));
    EXPECT_EQ(app.dragHomeEntries({QStringLiteral("Inbox")}).mime, nullptr) << "a focus list is nothing to drag";
}

TEST_F(HomeListFeature, AReferenceDeletedDuringADragIsLeftOut)
{
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"));
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"), {.status = 1});
    app.launch();
    // A drag of both, and the project goes while it is under way.
    std::shared_ptr<QMimeData> mime = payload({rent, garden});
    app.store().removeTaskList(garden);
    app.saveGivens();
    EXPECT_TRUE((AppDriver::Drag{app, mime}.onto(QStringLiteral("Today"))));
    EXPECT_TRUE(rent->isToday());
}

TEST_F(HomeListFeature, TasksDroppedOnEachFocusListTakeItsFocus)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Old bill"), {.completed = true});

    app.selectHome(QStringLiteral("Next"));
    EXPECT_TRUE(app.dragRows({QStringLiteral("Rake leaves")}).onto(QStringLiteral("Inbox")));
    EXPECT_TRUE(app.dragRows({QStringLiteral("Pay rent")}).onto(QStringLiteral("Someday")));
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_EQ(
        app.centreRows(),
        (QStringList{"# Incomplete", "[ ] Rake leaves", "# Someday", "[ ] Pay rent", "# Completed", "[x] Old bill"}))
        << "the project's task left the project for the Inbox";

    EXPECT_TRUE(app.dragRows({QStringLiteral("Pay rent")}).onto(QStringLiteral("Next")));
    EXPECT_TRUE(app.dragRows({QStringLiteral("Old bill")}).onto(QStringLiteral("Archived")));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay rent", "[ ] Rake leaves"}));
    app.selectHome(QStringLiteral("Archived"));
    EXPECT_EQ(app.centreRows(), QStringList{"[x] Old bill"});
}

TEST_F(HomeListFeature, AProjectDroppedOnAFocusListTakesItsOwnFocusButTheInboxRefusesIt)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.launch();
    EXPECT_FALSE(app.dragHomeEntries({QStringLiteral("Garden")}).onto(QStringLiteral("Inbox")));

    EXPECT_TRUE(app.dragHomeEntries({QStringLiteral("Garden")}).onto(QStringLiteral("Today")));
    app.selectHome(QStringLiteral("Today"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Garden", "[ ] Rake leaves"}));

    EXPECT_TRUE(app.dragHomeEntries({QStringLiteral("Garden")}).onto(QStringLiteral("Someday")));
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Garden"))) << "a someday project is not active";
    app.selectHome(QStringLiteral("Someday"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Projects", "[ ] Garden"}));
}

TEST_F(HomeListFeature, ASomedayProjectDroppedOnTheProjectsHeaderBecomesActiveWhereOtherHeadersRefuseIt)
{
    app.givenProject(QStringLiteral("Attic"));
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.givenArea(QStringLiteral("Home"), {.status = 1});
    app.givenArea(QStringLiteral("Garage"));
    app.selectHome(QStringLiteral("Someday"));

    EXPECT_FALSE(app.dragRows({QStringLiteral("Shelf")}).onto(QStringLiteral("AREAS")));
    EXPECT_FALSE(app.dragRows({QStringLiteral("Shelf"), QStringLiteral("Home")}).onto(QStringLiteral("PROJECTS")));
    EXPECT_FALSE(app.dragRows({QStringLiteral("Shelf")}).onto(QStringLiteral("FOCUS")));
    EXPECT_FALSE(app.dragRows({QStringLiteral("Shelf")}).onto(QStringLiteral("ARCHIVED")));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Projects", "[ ] Shelf", "# Someday Areas", "[ ] Home"}));

    EXPECT_TRUE(app.dragRows({QStringLiteral("Shelf")}).onto(QStringLiteral("PROJECTS")));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Areas", "[ ] Home"}));
    const QStringList rows = app.homeRows();
    EXPECT_EQ(rows.mid(rows.indexOf(QStringLiteral("PROJECTS")), 3), (QStringList{"PROJECTS", "  Attic", "  Shelf"}));
    EXPECT_TRUE(app.dragRows({QStringLiteral("Home")}).onto(QStringLiteral("AREAS")));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Home")));
}

TEST_F(HomeListFeature, TasksAndAProjectDroppedTogetherOnTodayGoOnlyWhenIMayEditThemAll)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.status = 1, .owner = QStringLiteral("Ann")});
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.givenTask(QStringLiteral("Learn Greek"), {.status = 1});
    app.selectHome(QStringLiteral("Someday"));

    EXPECT_FALSE(app.dragRows({QStringLiteral("Learn Greek"), QStringLiteral("Club")}).onto(QStringLiteral("Today")))
        << "I may not edit Ann's project";
    EXPECT_TRUE(app.dragRows({QStringLiteral("Learn Greek"), QStringLiteral("Shelf")}).onto(QStringLiteral("Today")));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Someday Projects", "[ ] Club"}));
    app.selectHome(QStringLiteral("Today"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Inbox", "[ ] Learn Greek"}));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Shelf"))) << "the project is active again";
}

TEST_F(HomeListFeature, TasksDroppedOnTheirOwnProjectStayWhereTheyAre)
{
    app.givenProject(QStringLiteral("Garden"));
    KNVTCDTask *rake = app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectHome(QStringLiteral("Next"));
    const std::optional<qint64> order = rake->taskListOrderIndex();
    EXPECT_TRUE(
        app.dragRows({QStringLiteral("Rake leaves"), QStringLiteral("Pay rent")}).onto(QStringLiteral("Garden")));
    EXPECT_EQ(rake->taskListOrderIndex(), order) << "the task already in the project was not moved again";
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
    QStringList rows = app.centreRows();
    std::sort(rows.begin() + 1, rows.end());
    EXPECT_EQ(rows, (QStringList{"# Garden", "[ ] Pay rent", "[ ] Rake leaves"}));
}

TEST_F(HomeListFeature, ArchivingAProjectWithOpenTasksAsksFirstAndTheAnswerSurvivesARelaunch)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.answerAlert(QStringLiteral("Cancel"));
    chooseInHomeMenu(QStringLiteral("Garden"), QStringLiteral("Archive"));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Garden"))) << "Cancel keeps it";

    app.alerts().answerWithIndex(0);
    chooseInHomeMenu(QStringLiteral("Garden"), QStringLiteral("Archive"));
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Garden")));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox"));
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "the answer was saved";
    const QString question = QStringLiteral(
        "Archive Project? / You have incomplete Tasks in this Project that need completing or cancelling before the "
        "Project can be archived. [Mark Tasks as Completed, Mark as Cancelled, Cancel]");
    EXPECT_EQ(app.alertsShown(), (QStringList{question, question}));
    app.selectHome(QStringLiteral("Archived"));
    EXPECT_EQ(app.centreRows(), QStringList{"[x] Garden"});

    app.relaunch();
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Garden")));
}

TEST_F(HomeListFeature, MyTagsOfferEditAndDeleteWhereSomeoneElsesTagsOfferNothing)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenTask(QStringLiteral("Water the ferns"), {.tags = {QStringLiteral("home"), QStringLiteral("hers")}});
    KNVTCDTag *mine = app.store().tagForTitle(QStringLiteral("home"));
    mine->setCreator(mine->myUser());
    app.store().tagForTitle(QStringLiteral("hers"))->setCreator(app.givenUser(QStringLiteral("Ann")));
    app.saveGivens();

    EXPECT_EQ(homeMenu(QStringLiteral("home")), (QStringList{"Edit", "-", "Delete"}));
    EXPECT_TRUE(homeMenu(QStringLiteral("hers")).isEmpty());

    // Return, a double click and the menu's Edit open the tag editor on my tag; on hers Return and Delete beep.
    app.selectHome(QStringLiteral("home"));
    app.press(QStringLiteral("Return"));
    app.dismissSheet();
    app.doubleClickHomeEntry(QStringLiteral("home"));
    app.dismissSheet();
    chooseInHomeMenu(QStringLiteral("home"), QStringLiteral("Edit"));
    app.dismissSheet();
    app.selectHome(QStringLiteral("hers"));
    app.press(QStringLiteral("Return"));
    app.doubleClickHomeEntry(QStringLiteral("hers"));
    app.press(QStringLiteral("Ctrl+Backspace"));
    EXPECT_EQ(app.windowsOpened(),
              (QStringList{"KNVTTagEditWindowController: home", "KNVTTagEditWindowController: home",
                           "KNVTTagEditWindowController: home"}));
    EXPECT_EQ(app.beeps(), 2);
    EXPECT_TRUE(app.alertsShown().isEmpty());

    // Deleting asks first; a cancelled question keeps the tag.
    app.selectHome(QStringLiteral("home"));
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Ctrl+Del"));
    app.settle();
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  home")));
    app.answerAlert(QStringLiteral("Delete"));
    chooseInHomeMenu(QStringLiteral("home"), QStringLiteral("Delete"));
    app.settle();
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  home")));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  hers")));
    EXPECT_EQ(app.alertsShown(),
              (QStringList{"Delete Tag? / This action cannot be undone. [Delete, Cancel]",
                           "Delete Tag? / This action cannot be undone. [Delete, Cancel]"}));
    EXPECT_EQ(app.store().tagForTitle(QStringLiteral("home")), nullptr);
}

TEST_F(HomeListFeature, TagsAreDraggedReorderedAndPutOnTasksDroppedOnThem)
{
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"));
    KNVTCDTask *ferns =
        app.givenTask(QStringLiteral("Water the ferns"), {.tags = {QStringLiteral("errand"), QStringLiteral("home")}});
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"), {.tags = {QStringLiteral("weekly")}});
    KNVTCDTag *errand = app.store().tagForTitle(QStringLiteral("errand"));
    KNVTCDTag *home_ = app.store().tagForTitle(QStringLiteral("home"));
    KNVTCDTag *weekly = app.store().tagForTitle(QStringLiteral("weekly"));
    errand->setCreatorOrderIndex(0);
    home_->setCreatorOrderIndex(1);
    weekly->setCreatorOrderIndex(2);
    app.launch();

    // A drag of a tag row carries its reference and its name.
    std::shared_ptr<QMimeData> mime = app.dragHomeEntries({QStringLiteral("weekly")}).mime;
    ASSERT_TRUE(mime);
    EXPECT_EQ(*knvt::ObjectReferencePayload::read(*mime), QList<QUrl>{weekly->uri()});
    EXPECT_EQ(mime->text(), QStringLiteral("weekly\n"));

    const QStringList before = app.homeRows();
    EXPECT_FALSE(app.dragHomeEntries({QStringLiteral("weekly")}).onto(QStringLiteral("PROJECTS")));
    EXPECT_FALSE((AppDriver::Drag{app, payload({weekly, rent})}.intoHomeSection(QStringLiteral("TAGS"), 0)))
        << "not with a task";
    EXPECT_FALSE((AppDriver::Drag{app, payload({garden})}.onto(QStringLiteral("home"))));
    EXPECT_FALSE(app.dragHomeEntries({QStringLiteral("weekly")}).onto(QStringLiteral("home")));
    EXPECT_EQ(app.homeRows(), before);

    // Dropped onto the header, a tag goes first; the others follow in their order.
    EXPECT_TRUE(app.dragHomeEntries({QStringLiteral("weekly")}).onto(QStringLiteral("TAGS")));
    QStringList rows = app.homeRows();
    EXPECT_EQ(rows.mid(rows.indexOf(QStringLiteral("TAGS")), 4),
              (QStringList{"TAGS", "  weekly", "  errand", "  home"}));
    EXPECT_EQ(weekly->creatorOrderIndex(), 0);
    EXPECT_EQ(errand->creatorOrderIndex(), 1);
    EXPECT_EQ(home_->creatorOrderIndex(), 2);
    // Between errand and home.
    EXPECT_TRUE(app.dragHomeEntries({QStringLiteral("weekly")}).intoHomeSection(QStringLiteral("TAGS"), 2));
    rows = app.homeRows();
    EXPECT_EQ(rows.mid(rows.indexOf(QStringLiteral("TAGS")), 4),
              (QStringList{"TAGS", "  errand", "  weekly", "  home"}));

    // Tasks dropped on a tag carry it from then on, also after a relaunch.
    EXPECT_TRUE((AppDriver::Drag{app, payload({rent, ferns})}.onto(QStringLiteral("home"))));
    app.relaunch();
    app.selectHome(QStringLiteral("home"));
    EXPECT_EQ(app.centreRows().filter(QStringLiteral("[ ]")).size(), 2) << app.centreRows().join(" | ").toStdString();
}

TEST_F(HomeListFeature, AProjectDroppedOnArchivedAsksAndTheLaterAnswerIsSaved)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Rake leaves"), {.list = QStringLiteral("Garden")});
    app.launch();
    knvt::test::NotificationRecorder changes({QString::fromLatin1(KNVTTaskStoreDidChangeNotification)});
    bool savedBeforeTheAnswer = false;
    size_t changesBeforeTheAnswer = 0;
    app.answerAlert(QStringLiteral("Mark Tasks as Completed"), {.whileShown = [&] {
                        savedBeforeTheAnswer = !app.store().hasPendingSaves();
                        changesBeforeTheAnswer = changes.notifications().size();
                    }});
    EXPECT_TRUE(app.dragHomeEntries({QStringLiteral("Garden")}).onto(QStringLiteral("Archived")));
    app.settle();
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(app.alertsShown().front().startsWith(QStringLiteral("Archive Project? /")));
    EXPECT_TRUE(savedBeforeTheAnswer) << "the drop's own save came first";
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "the answer was saved";
    EXPECT_GT(changes.notifications().size(), changesBeforeTheAnswer) << "and the lists heard of it";
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Garden")));

    app.relaunch();
    app.selectHome(QStringLiteral("Archived"));
    EXPECT_EQ(app.centreRows(), QStringList{"[x] Garden"});
}

TEST_F(HomeListFeature, ASearchStaysWhileItsResultIsTickedAndWhileASyncBringsAnotherMatch)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.launch();
    app.waitForService([this] { return app.syncsEnded() >= 1 && !app.store().isSyncing(); });
    app.typeInSearch(QStringLiteral("pay"));
    ASSERT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay rent"}));

    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.mainWindow().searchField()->text(), QStringLiteral("pay"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Completed", "[x] Pay rent"}));

    // The service knows another match; a sync pulls it in.
    app.service().seed("tasks", QJsonObject{{"title", "Pay the plumber"}, {"task_list_id", QJsonValue::Null}});
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([this] { return !app.store().isSyncing() && app.centreRows().size() == 4; });
    EXPECT_EQ(app.mainWindow().searchField()->text(), QStringLiteral("pay"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay the plumber", "# Completed", "[x] Pay rent"}));
}

TEST_F(HomeListFeature, TwoChosenTagsStayChosenWhenOneOfTheirTasksIsTicked)
{
    app.givenTask(QStringLiteral("Buy nails"), {.tags = {"errand", "hardware"}});
    app.givenTask(QStringLiteral("Buy screws"), {.tags = {"errand", "hardware"}});
    app.givenTask(QStringLiteral("Post letter"), {.tags = {"errand"}});
    app.clickHomeEntry(QStringLiteral("errand"));
    app.clickHomeEntry(QStringLiteral("hardware"), Qt::ControlModifier);
    ASSERT_EQ(app.selectedHomeEntries(), (QStringList{"errand", "hardware"}));
    ASSERT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Buy nails", "[ ] Buy screws"}));

    app.clickCheckBox(QStringLiteral("Buy nails"));
    EXPECT_EQ(app.selectedHomeEntries(), (QStringList{"errand", "hardware"}));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Buy screws", "# Completed", "[x] Buy nails"}));
}

TEST_F(HomeListFeature, TheArrowKeysGoFromEntryToEntryOverTheSectionHeadersAndLeftClosesASection)
{
    app.givenProject(QStringLiteral("Garden"));
    app.clickIntoHomeList();
    ASSERT_EQ(app.selectedHome(), QStringLiteral("Inbox"));
    app.press(QStringLiteral("Up"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox")) << "nothing but the Focus header above";
    app.press(QStringLiteral("End"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Archived"));
    app.press(QStringLiteral("Up"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Garden")) << "over the Archived and Areas headers";
    app.press(QStringLiteral("Up"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Projects/Areas")) << "over the Projects header";
    app.press(QStringLiteral("Home"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox"));

    // Left on an entry goes to its section's header, and Left there closes the section.
    app.selectHome(QStringLiteral("Garden"));
    app.press(QStringLiteral("Left"));
    app.press(QStringLiteral("Left"));
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Garden"))) << app.homeRows().join('|').toStdString();
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Garden")) << "the entry stays chosen";
}
