// What the user types goes where it was typed and is never dropped without a word: a window or alert the application
// opens by itself meanwhile does not take the keys, and a form whose chosen list a sync deletes says so rather than
// filing the task elsewhere.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "support/ScopedKeyboardLayout.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/Popover.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QWindow>

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
    // The user clicks into the password window, modal from then on, and saves `password`.
    void goToThePasswordWindowAndSave(const QString &password)
    {
        ASSERT_NE(passwordField(), nullptr);
        AppDriver::clickWhereItShows(passwordField(), passwordField()->rect().center());
        app.settle();
        EXPECT_EQ(QApplication::activeModalWidget(), passwordField()->window());
        app.typeWhereTheFocusIs(password);
        const int ended = app.syncsEnded();
        app.pressWhereTheFocusIs(QStringLiteral("Return"));
        // It stays while the sync tries the password, and goes once the service took it.
        app.waitForService([this] { return app.app().authenticationFailureWindowController() == nullptr; });
        // The sync the password resumed ends before the next step: a sync asked for while it still ran would be
        // answered by it, and a change the service made after it read the lists would not be heard.
        app.waitForService([&] { return app.syncsEnded() > ended && !app.store().isSyncing(); });
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
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    // The form gone, the window still waits: the next task goes where the first went.
    app.pressWhereTheFocusIs(QStringLiteral("Ctrl+N"));
    app.typeWhereTheFocusIs(QStringLiteral("Call Ann"));
    ASSERT_NE(passwordField(), nullptr);
    EXPECT_TRUE(passwordField()->text().isEmpty()) << "nothing typed in the forms reaches the password";
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    app.wait(1);
    EXPECT_NE(app.taskTitled(QStringLiteral("Leave the sheet before six")), nullptr) << "the title is saved whole";
    EXPECT_NE(app.taskTitled(QStringLiteral("Call Ann")), nullptr);
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));

    // Only the password window's own Save, once the user went to it, changes the keyring.
    goToThePasswordWindowAndSave(QStringLiteral("newpass2"));
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("newpass2"));
}

// In any field of any window, whatever the application opens by itself meanwhile waits in front of it without the
// keyboard, and every key goes on into the field: the password window of a refused sync, the alerts that a task in a
// window of its own was deleted elsewhere and that a newer version is needed.
TEST_F(WhatIsTypedFeature, WhatIsTypedInAnyFieldStaysThereWhateverTheApplicationOpensMeanwhile)
{
    knvt::test::ScopedKeyboardLayout us("us");
    app.givenDefault(KNVTQuickTaskEntryKeyboardShortcutHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    givenSignedInAndSynced();
    const qint64 house = app.service().seedProject("House");
    app.service().seedTask("Paint", house);
    const struct
    {
        const char *name;
        std::function<void()> open;
        QString field;
    } fields[] = {
        {"the main window's search", [] {}, "searchField"},
        {"a sheet's title", [this] { app.chooseMenu("File", "New Project"); }, "titleTextField"},
        {"a task form's title", [this] { app.clickToolbar("New Task"); }, "titleTextField"},
        {"Add Friend", [this] { app.openPeopleWindow(), app.clickButton("addUserButton"); }, "usernameTextField"},
        {"quick entry, which floats", [this] { app.pressAnywhere("Ctrl+Shift+O"); }, "titleTextField"},
        {"the comment composer", [this] { app.selectRows({"Paint"}), app.clickToolbar("Comment"); }, "commentTextView"},
    };
    for (const auto &row : fields) {
        SCOPED_TRACE(row.name);
        const qint64 mow = app.service().seedTask("Mow", house);
        syncAndWait();
        app.selectHome("House");
        app.doubleClickRow("Mow");
        app.bringToFront(&app.mainWindow());
        row.open();
        const QPointer<QWidget> window = app.frontEditor();
        const auto type = [&](const QString &keys) {
            ASSERT_NE(window, nullptr);
            app.bringToFront(window);
            app.typeIn(row.field, keys);
        };

        type("pick ");
        app.service().on("GET", "/account.json").reply(401).pass();
        app.store().sync();
        app.waitForService([this] { return passwordField() != nullptr; });
        ASSERT_NE(passwordField(), nullptr);
        app.typeWhereTheFocusIs("up ");
        EXPECT_EQ(app.fieldText(row.field), "pick up ");
        EXPECT_EQ(passwordField()->text(), "");
        EXPECT_EQ(app.storedPassword("ann"), "secret1");
        // In front of the window the user is in (the window under a form popover, the sheet over the main window,
        // which would block it), never of the main window behind it, which a window manager would raise with it; in
        // front of the main window from quick entry, which floats and goes, floating over it too; clear of the field.
        QWindow *password = passwordField()->window()->windowHandle();
        const QWidget *front =
            qobject_cast<knvt::Popover *>(window.data()) != nullptr ? window->parentWidget()->window() : window.data();
        if (front->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            front = &app.mainWindow();
        EXPECT_EQ(password->transientParent(), front->windowHandle()) << front->objectName().toStdString();
        EXPECT_EQ(password->flags() & Qt::WindowStaysOnTopHint, window->windowFlags() & Qt::WindowStaysOnTopHint);
        const QWidget *field = app.frontEditor()->findChild<QWidget *>(row.field);
        ASSERT_NE(field, nullptr);
        EXPECT_FALSE(
            passwordField()->window()->frameGeometry().intersects(QRect(field->mapToGlobal(QPoint()), field->size())));
        goToThePasswordWindowAndSave("secret1");

        const auto typeWhileAnAlertComesUp = [&](const QString &keys, const std::function<void()> &cause) {
            QString seen;
            const auto typing = [&] { app.typeWhereTheFocusIs(keys), seen = app.fieldText(row.field); };
            app.answerAlert("OK", {.whileShown = typing, .input = knvt::ScriptedAlertPresenter::Input::Pointer});
            cause();
            app.store().sync();
            app.waitForService([this] { return app.alerts().pendingAnswerCount() == 0; });
            return seen;
        };
        type("the ");
        EXPECT_EQ(typeWhileAnAlertComesUp("pre", [&] { app.service().remove("tasks", mow); }), "pick up the pre");
        EXPECT_EQ(app.alertsShown().last(), "The task “Mow” was deleted elsewhere. / Its window closed. [OK]");
        type("scription ");
        const auto newerVersionNeeded = [this] { app.service().on("GET", "/account.json").reply(410).pass(); };
        EXPECT_EQ(typeWhileAnAlertComesUp("today", newerVersionNeeded), "pick up the prescription today");
        EXPECT_TRUE(app.alertsShown().last().startsWith("You need to update your version"));

        // The user switches sync on again, empties the field and puts away what the row opened.
        app.store().setAutoSyncEnabled(true);
        type("");
        for (const char *keys : {"Ctrl+A", "Backspace", row.field == "searchField" ? "" : "Escape"})
            app.pressWhereTheFocusIs(keys);
    }
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
