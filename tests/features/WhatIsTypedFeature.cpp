// What the user types goes where it was typed and is never dropped without a word: a window a sync opens meanwhile
// does not take the keys, and a form whose task or chosen list changes on the service says so rather than saving
// nothing or filing the task elsewhere.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "support/SyncFixtures.h"

#include <QApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>

using knvt::features::AppDriver;

namespace {

class WhatIsTypedFeature : public ::testing::Test
{
protected:
    // Signed in with automatic sync; the start-up sync has ended.
    void givenSignedInAndSynced()
    {
        app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
        app.service().enableState();
        app.launch();
        app.waitForService(
            [this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
    }
    void syncAndWait()
    {
        app.service().clearRequests();
        app.store().sync();
        app.waitForService(
            [this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
    }
    QLineEdit *passwordField()
    {
        QWidget *window = app.app().authenticationFailureWindowController()
            ? app.app().authenticationFailureWindowController()->window()
            : nullptr;
        return window ? window->findChild<QLineEdit *>(QStringLiteral("passwordSecureTextField")) : nullptr;
    }

    AppDriver app;
};

} // namespace

TEST_F(WhatIsTypedFeature, APasswordRefusedWhileATitleIsTypedLeavesTheKeysToTheTitleAndTheKeyringAlone)
{
    givenSignedInAndSynced();
    app.selectHome(QStringLiteral("Inbox"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.typeWhereTheFocusIs(QStringLiteral("Leave the sh"));

    // The password was changed on another device: the next sync is refused.
    app.service().on("GET", "/account.json").reply(401).pass();
    app.store().sync();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    ASSERT_TRUE(app.openWindows().contains(QStringLiteral("KNVTAuthenticationFailureWindowController")));

    app.typeWhereTheFocusIs(QStringLiteral("eet before six"));
    ASSERT_NE(passwordField(), nullptr);
    EXPECT_TRUE(passwordField()->text().isEmpty()) << "nothing typed in the form reaches the password";
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    app.wait(1);
    EXPECT_NE(app.taskTitled(QStringLiteral("Leave the sheet before six")), nullptr) << "the title is saved whole";
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));

    // With the form gone the window asks for the keyboard, and only its Save changes the keyring.
    EXPECT_EQ(app.focusedControl(), QStringLiteral("passwordSecureTextField"));
    app.typeWhereTheFocusIs(QStringLiteral("newpass2"));
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("newpass2"));
    EXPECT_EQ(app.app().authenticationFailureWindowController(), nullptr);
}

// A sync archives the list of the task the form edits, or deletes the list chosen in a form: the form says so, and
// Save neither closes it unwritten nor files the task somewhere the user did not choose.
TEST_F(WhatIsTypedFeature, AFormWhoseTaskOrChosenListChangesOnTheServiceSaysSo)
{
    struct Case
    {
        const char *what;
        // Opens the form and types in it.
        std::function<void()> open;
        // What another device does to the project Garden or Shed on the service.
        std::function<void(qint64 garden, qint64 shed)> elsewhere;
        // What the list pop-up shows after the sync, "" when the form closed by itself.
        QString popUp;
        // The alert the user is shown (by the sync or by Save).
        QString said;
        bool formStaysOpen;
    };
    const QString shedGone = QStringLiteral("The project Shed was deleted elsewhere. / Choose another project or "
                                            "area for the task, or No Project/Area. [OK]");
    const std::vector<Case> cases = {
        {"the edited task's project archived",
         [this] {
             app.selectHome(QStringLiteral("Garden"));
             app.selectRows({QStringLiteral("Paint")});
             app.clickToolbar(QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" the fence"));
         },
         [this](qint64 garden, qint64) {
             app.service().update("task_lists", garden,
                                  {{"archived_at", knvt::test::fixtureDate(1)}, {"status", "completed"}});
         },
         QString(),
         QStringLiteral("The task can no longer be changed. / Its project or area was archived or made read-only "
                        "elsewhere. Your changes were not saved. What you typed:\n\nPaint the fence [OK]"),
         false},
        {"the project chosen in the new-task form deleted",
         [this] {
             app.selectHome(QStringLiteral("Inbox"));
             app.clickToolbar(QStringLiteral("New Task"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Sow beans"));
             app.choosePopUp(QStringLiteral("taskListPopUpButton"), QStringLiteral("Shed"));
         },
         [this](qint64, qint64 shed) { app.service().remove("task_lists", shed); }, QStringLiteral("Shed (deleted)"),
         shedGone, true},
        {"another project chosen in the edit form deleted",
         [this] {
             app.selectHome(QStringLiteral("Garden"));
             app.selectRows({QStringLiteral("Paint")});
             app.clickToolbar(QStringLiteral("Edit"));
             app.choosePopUp(QStringLiteral("taskListPopUpButton"), QStringLiteral("Shed"));
         },
         [this](qint64, qint64 shed) { app.service().remove("task_lists", shed); }, QStringLiteral("Shed (deleted)"),
         shedGone, true},
    };
    givenSignedInAndSynced();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const qint64 garden = app.service().seed(
            "task_lists", {{"title", "Garden"}, {"task_list_type", "project"}, {"status", "actionable"}});
        const qint64 shed = app.service().seed(
            "task_lists", {{"title", "Shed"}, {"task_list_type", "project"}, {"status", "actionable"}});
        const qint64 paint =
            app.service().seed("tasks", {{"title", "Paint"}, {"task_list_id", garden}, {"status", "actionable"}});
        syncAndWait();
        ASSERT_NE(app.taskTitled(QStringLiteral("Paint")), nullptr);

        c.open();
        ASSERT_FALSE(app.openEditors().isEmpty());
        const qsizetype alerts = app.alertsShown().size();
        app.answerAlert(QStringLiteral("OK"));
        c.elsewhere(garden, shed);
        syncAndWait();
        if (c.formStaysOpen) {
            ASSERT_FALSE(app.openEditors().isEmpty());
            EXPECT_EQ(app.fieldText(QStringLiteral("taskListPopUpButton")), c.popUp);
            app.pressReturn();
            ASSERT_FALSE(app.openEditors().isEmpty()) << "Save keeps the form while its list is gone";
            EXPECT_EQ(app.fieldText(QStringLiteral("taskListPopUpButton")), c.popUp);
        } else {
            EXPECT_TRUE(app.openEditors().isEmpty());
        }
        ASSERT_EQ(app.alertsShown().size(), alerts + 1);
        EXPECT_EQ(app.alertsShown().last(), c.said);
        app.wait(1);
        EXPECT_EQ(app.taskTitled(QStringLiteral("Sow beans")), nullptr) << "no task filed in the Inbox";
        const KNVTCDTask *task = app.taskTitled(QStringLiteral("Paint"));
        ASSERT_NE(task, nullptr);
        EXPECT_EQ(task->taskList() ? task->taskList()->title() : QString(), QStringLiteral("Garden"));
        EXPECT_EQ(app.beeps(), 0);

        if (!app.openEditors().isEmpty())
            app.clickButton(QStringLiteral("cancelButton"));
        app.settle();
        app.service().remove("tasks", paint);
        app.service().remove("task_lists", garden);
        app.service().remove("task_lists", shed);
        syncAndWait();
        ASSERT_EQ(app.taskTitled(QStringLiteral("Paint")), nullptr);
    }
}
