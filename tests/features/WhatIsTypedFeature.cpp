// What the user types goes where it was typed: a window a sync opens meanwhile does not take the keys.

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
