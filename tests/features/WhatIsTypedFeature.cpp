// What the user types goes where it was typed and is never dropped without a word: a window a sync opens meanwhile
// does not take the keys, and a form whose chosen list a sync deletes says so rather than filing the task elsewhere.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

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
    // It stays while the sync tries the password, and goes once the service took it.
    app.waitForService([this] { return app.app().authenticationFailureWindowController() == nullptr; });
}

// Another device deletes the list chosen in a task form: the form keeps it, marked, and Save says so rather than
// filing the task somewhere the user did not choose. (A task whose list is archived meanwhile: SyncFeature.)
TEST_F(WhatIsTypedFeature, AListChosenInAFormThatASyncDeletesIsMarkedAndSaveSaysSo)
{
    struct Case
    {
        const char *form;
        std::function<void()> open;
    };
    const std::vector<Case> cases = {
        {"new task",
         [this] {
             app.selectHome(QStringLiteral("Inbox"));
             app.clickToolbar(QStringLiteral("New Task"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Sow beans"));
         }},
        {"edit task",
         [this] {
             app.selectHome(QStringLiteral("Garden"));
             app.selectRows({QStringLiteral("Paint")});
             app.clickToolbar(QStringLiteral("Edit"));
         }},
    };
    givenSignedInAndSynced();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.form);
        const qint64 garden = app.service().seedProject(QStringLiteral("Garden"));
        const qint64 shed = app.service().seedProject(QStringLiteral("Shed"));
        const qint64 paint = app.service().seedTask(QStringLiteral("Paint"), garden);
        syncAndWait();
        c.open();
        app.choosePopUp(QStringLiteral("taskListPopUpButton"), QStringLiteral("Shed"));

        app.service().remove("task_lists", shed);
        syncAndWait();
        EXPECT_EQ(app.fieldText(QStringLiteral("taskListPopUpButton")), QStringLiteral("Shed (deleted)"));
        const qsizetype alerts = app.alertsShown().size();
        app.answerAlert(QStringLiteral("OK"));
        app.pressReturn();
        ASSERT_FALSE(app.openEditors().isEmpty()) << "Save keeps the form while its list is gone";
        ASSERT_EQ(app.alertsShown().size(), alerts + 1);
        EXPECT_EQ(app.alertsShown().last(),
                  QStringLiteral("The project Shed was deleted elsewhere. / Choose another "
                                 "project or area for the task, or No Project/Area. [OK]"));
        app.wait(1);
        EXPECT_EQ(app.taskTitled(QStringLiteral("Sow beans")), nullptr) << "no task filed in the Inbox";
        EXPECT_EQ(app.taskTitled(QStringLiteral("Paint"))->taskList()->title(), QStringLiteral("Garden"));
        EXPECT_EQ(app.beeps(), 0);

        app.clickButton(QStringLiteral("cancelButton"));
        app.service().remove("tasks", paint);
        app.service().remove("task_lists", garden);
        syncAndWait();
        ASSERT_EQ(app.taskTitled(QStringLiteral("Paint")), nullptr);
    }
}
