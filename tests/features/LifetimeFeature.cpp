// The application's life: windows closing and reopening, the tray, sign-out, failures of the store and of the
// service, the launcher badge and the notifications button.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"
#include "support/NotificationRecorder.h"
#include "uikit/KNVTDockIconBadgeValueType.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QDir>
#include <QFile>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class LifetimeFeature : public ::testing::Test
{
protected:
    AppDriver app;
    QDateTime now() const { return AppDriver::defaultNow(); }
};

} // namespace

TEST_F(LifetimeFeature, ClosingTheMainWindowKeepsTheApplicationAndTheTrayOpensANewOneOnlyWhenNoneIsVisible)
{
    app.launch();
    KNVTMainWindowController *first = &app.mainWindow();
    app.activateTray();
    EXPECT_EQ(&app.mainWindow(), first) << "a visible window: nothing new";
    app.closeMainWindow();
    EXPECT_TRUE(app.openWindows().isEmpty());
    EXPECT_EQ(app.app().mainWindowController(), first) << "the closed window is kept";
    app.activateTray();
    EXPECT_EQ(app.openWindows(), QStringList{"mainWindow"});
}

TEST_F(LifetimeFeature, SigningOutClosesEveryOtherWindowAndLeavesOneMainWindow)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Ctrl+O"));
    app.chooseMenu(QStringLiteral("Window"), QStringLiteral("Preferences"));
    app.chooseMenu(QStringLiteral("Window"), QStringLiteral("People"));
    // Another window is in front: the tray's New Task opens a window of its own.
    app.chooseNewTaskFromTray();
    EXPECT_EQ(app.openWindows(),
              (QStringList{"KNVTPreferenceWindowController", "KNVTTaskNewWindowController", "KNVTTaskWindowController",
                           "KNVTUsersWindowController", "mainWindow"}));
    // A half-typed task goes with the library the user chose to sign out of, without another question.
    app.clickToolbar(QStringLiteral("New Task"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Buy mi"));
    app.store().unconfigureAccount();
    app.settle();
    EXPECT_TRUE(app.alertsShown().isEmpty()) << app.alertsShown().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(app.openWindows(), QStringList{"mainWindow"});
    EXPECT_TRUE(app.app().taskWindowControllers().empty());
    EXPECT_TRUE(app.app().taskNewWindowControllers().empty());
}

TEST_F(LifetimeFeature, TwoAuthenticationFailuresOpenOneWindowAndALaterOneOpensANewWindow)
{
    app.launch();
    app.app().taskStoreDidFailToAuthenticate(&app.store());
    app.app().taskStoreDidFailToAuthenticate(&app.store());
    EXPECT_EQ(app.windowsOpened().count(QStringLiteral("KNVTAuthenticationFailureWindowController")), 1);
    ASSERT_NE(app.app().authenticationFailureWindowController(), nullptr);
    app.goToThePasswordWindow();
    app.clickButton(QStringLiteral("cancelButton"));
    EXPECT_EQ(app.app().authenticationFailureWindowController(), nullptr);
    app.app().taskStoreDidFailToAuthenticate(&app.store());
    EXPECT_EQ(app.windowsOpened().count(QStringLiteral("KNVTAuthenticationFailureWindowController")), 2);
}

TEST_F(LifetimeFeature, ALibraryThatCannotBeOpenedIsReportedAndNoWindowOpens)
{
    const QString library = KNVTTaskStore::taskStoreLibraryPath();
    QDir().mkpath(library);
    QFile file(QDir(library).filePath(KNVTTaskStore::kStoreFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    app.launch();
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(
        app.alertsShown().first().startsWith(QStringLiteral("Cannot Load Quillvane Database / This is usually")));
    EXPECT_TRUE(app.openWindows().isEmpty());
}

TEST_F(LifetimeFeature, TheBadgeFollowsSavesAndThePreference)
{
    app.givenDefault(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference),
                     int(KNVTDockIconBadgeValueTypeUncompletedDueTasks));
    app.givenTask(QStringLiteral("Pay rent"), {.due = now().addDays(-1)});
    app.launch();
    EXPECT_EQ(app.badge(), 1);
    app.givenTask(QStringLiteral("Pay tax"), {.due = now().addDays(-2)});
    EXPECT_EQ(app.badge(), 2);
    app.givenDefault(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference), int(KNVTDockIconBadgeValueTypeNone));
    knvt::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(KNVTDockIconBadgeValueTypePreferenceDidChangeNotification));
    EXPECT_EQ(app.badge(), 0);
}

TEST_F(LifetimeFeature, TheNotificationsButtonShowsTheNumberOfInvitations)
{
    app.launch();
    QToolButton *button = app.mainWindow().toolbarButton(QStringLiteral("notificationsButton"));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->text(), QStringLiteral("Notifications"));
    app.givenUser(QStringLiteral("Ann"));
    for (const QString &title : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
        KNVTCDTaskList *list = app.givenSharedProject(title, {.owner = QStringLiteral("Ann")});
        list->myTaskListCollaborator()->setStatus(1);
        list->setTaskListCollaboratorStatus(1);
    }
    app.saveGivens();
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->text(), QStringLiteral("3"));
}

TEST_F(LifetimeFeature, TheMoveMenuListsAProjectICannotAddToDisabled)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenSharedProject(QStringLiteral("Club"), {.owner = QStringLiteral("Ann"), .myRole = knvt::test::NoRole});
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    const QStringList move = app.toolbarMoveMenu();
    const qsizetype projects = move.indexOf(QStringLiteral("Projects (off)"));
    ASSERT_GE(projects, 0) << move.join('|').toStdString();
    EXPECT_EQ(move.mid(projects + 1), (QStringList{"Club (off)", "Garden"}));
}

TEST_F(LifetimeFeature, MarkingAProjectWithOpenTasksAsksAndTheAnswerSurvivesARelaunch)
{
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.givenTask(QStringLiteral("saw"), {.list = QStringLiteral("Shelf")});
    app.givenTask(QStringLiteral("sand"), {.list = QStringLiteral("Shelf")});
    app.selectHome(QStringLiteral("Someday"));
    app.answerAlert(QStringLiteral("Mark As Completed"));
    app.openContextMenu(QStringLiteral("Shelf"));
    app.choose({QStringLiteral("Mark"), QStringLiteral("As Completed")});
    // Completed, it is no longer a someday project; the answer was saved, so a new start finds it done.
    EXPECT_TRUE(app.centreRows().isEmpty());
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
    app.relaunch();
    ASSERT_EQ(app.store().projects().size(), 1u);
    KNVTCDTaskList *shelf = app.store().projects().front();
    EXPECT_TRUE(shelf->isCompleted());
    for (KNVTCDTask *task : shelf->tasks())
        EXPECT_TRUE(task->isCompletedOrCancelled()) << task->title().toStdString();
}

TEST_F(LifetimeFeature, AnAnswerGivenAfterTheStepsOwnSaveIsSavedAndTheListsHearOfIt)
{
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.givenTask(QStringLiteral("saw"), {.list = QStringLiteral("Shelf")});
    app.givenTask(QStringLiteral("sand"), {.list = QStringLiteral("Shelf")});
    app.selectHome(QStringLiteral("Someday"));
    knvt::test::NotificationRecorder changes({QString::fromLatin1(KNVTTaskStoreDidChangeNotification)});
    bool savedBeforeTheAnswer = false;
    size_t changesBeforeTheAnswer = 0;
    app.answerAlert(QStringLiteral("Mark As Completed"), {.whileShown = [&] {
                        savedBeforeTheAnswer =
                            !app.store().hasPendingSaves() && !app.store().managedObjectContext()->hasChanges();
                        changesBeforeTheAnswer = changes.notifications().size();
                    }});
    app.openContextMenu(QStringLiteral("Shelf"));
    app.choose({QStringLiteral("Mark"), QStringLiteral("As Completed")});
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(savedBeforeTheAnswer) << "the step's own save came first";
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges()) << "the answer was saved";
    EXPECT_GT(changes.notifications().size(), changesBeforeTheAnswer) << "and the lists heard of it";
    EXPECT_TRUE(app.centreRows().isEmpty()) << "completed, it left Someday at once";

    app.relaunch();
    ASSERT_EQ(app.store().projects().size(), 1u);
    for (KNVTCDTask *task : app.store().projects().front()->tasks())
        EXPECT_TRUE(task->isCompleted()) << task->title().toStdString();
}

TEST_F(LifetimeFeature, ALibraryThatCannotBeOpenedNamesNoSupportAddressWhenThereIsNone)
{
    const QString library = KNVTTaskStore::taskStoreLibraryPath();
    QDir().mkpath(library);
    QFile file(QDir(library).filePath(KNVTTaskStore::kStoreFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    app.launch();
    // The test build is configured without a support address.
    EXPECT_EQ(
        app.alertsShown(),
        QStringList{QStringLiteral("Cannot Load Quillvane Database / This is usually because you have opened your "
                                   "Quillvane Database with a newer version of Quillvane. [Quit]")});
}

TEST_F(LifetimeFeature, QuittingOrClosingTheWindowAsksBeforeDroppingWhatIsTypedInAForm)
{
    app.givenTask(QStringLiteral("Paint"));
    app.saveGivens();
    const auto asked = [](const QString &typed) {
        return QStringLiteral("Discard What You Typed? / What you typed has not been saved:\n\n%1 [Cancel, Discard]")
            .arg(typed);
    };

    // A half-typed new task in the popover: Cancel keeps it as it was, on closing the window and on Ctrl+Q alike.
    app.clickToolbar(QStringLiteral("New Task"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Buy mi"));
    app.answerAlert(QStringLiteral("Cancel"));
    app.closeMainWindow();
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Ctrl+Q"));
    EXPECT_EQ(app.alertsShown(), QStringList(2, asked(QStringLiteral("Buy mi"))));
    EXPECT_EQ(app.openWindows(), QStringList{"mainWindow"});
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Buy mi"));
    app.closePopover();

    // A new task in a window of its own (the tray's New Task while the main window is closed) and an edit in the edit
    // popover: Discard lets the quit go on, and nothing typed was written.
    app.closeMainWindow();
    app.chooseNewTaskFromTray();
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Call Ann"));
    app.activateTray();
    app.selectRows({QStringLiteral("Paint")});
    app.clickToolbar(QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" twice"));
    app.answerAlert(QStringLiteral("Discard"));
    app.quit();
    EXPECT_EQ(app.alertsShown().size(), 3);
    EXPECT_EQ(app.alertsShown().last(), asked(QStringLiteral("Call Ann\n\nPaint twice")));
    app.launch();
    ASSERT_EQ(app.store().tasks().size(), 1u);
    EXPECT_EQ(app.store().tasks().front()->title(), QStringLiteral("Paint"));
}
