// Signing in and up, typing the password again, the account's details, people, invitations, sharing and the
// preferences, against the fake sync service.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "accounts/KNVTSignInAndSignUpWindowController.h"
#include "accounts/KNVTSignInViewController.h"
#include "accounts/KNVTSignUpViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "foundation/Defaults.h"
#include "uikit/KNVTPreferenceKeys.h"

#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using knvt::features::AppDriver;

namespace {

QByteArray accountReply(const QString &username)
{
    return QJsonDocument(knvt::test::account(7, knvt::test::user(42, username), 1)).toJson(QJsonDocument::Compact);
}

QByteArray basic(const QString &username, const QString &password)
{
    return "Basic " + (username + u':' + password).toUtf8().toBase64();
}

class AccountsFeature : public ::testing::Test
{
protected:
    // Clears a field of the front window and types `text` into it.
    void retype(const QString &field, const QString &text)
    {
        if (auto *line = app.frontEditor()->findChild<QLineEdit *>(field))
            line->clear();
        app.typeIn(field, text);
    }
    qsizetype requests(const char *method, const char *path) { return app.service().count(method, path); }
    // From now on, the names of the controls the keyboard goes to, in focusedOnTheWay.
    void followTheFocus()
    {
        QObject::connect(qApp, &QApplication::focusChanged, &m_focusWatch,
                         [seen = &focusedOnTheWay](QWidget *, QWidget *now) {
                             if (now)
                                 seen->append(now->objectName());
                         });
    }

    QStringList focusedOnTheWay;
    QObject m_focusWatch;

    AppDriver app;
};

} // namespace

TEST_F(AccountsFeature, ANewUserSignsInFromTheAccountPane)
{
    app.service().on("GET", "/account.json").json(200, accountReply(QStringLiteral("mika.r")));
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    EXPECT_EQ(app.accountPane(), QStringLiteral("sign in"));
    app.typeIn(QStringLiteral("usernameTextField"), QStringLiteral("mika.r"));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("pass word 1"));
    app.clickButton(QStringLiteral("signInButton"));
    app.waitForService([this] { return app.accountPane() == QLatin1String("signed in"); });

    ASSERT_EQ(requests("GET", "/account.json"), 1);
    const auto request = *app.service().lastRequest("GET", "/account.json");
    EXPECT_EQ(request.header("Authorization"), basic(QStringLiteral("mika.r"), QStringLiteral("pass word 1")));
    EXPECT_TRUE(request.body.isEmpty());
    EXPECT_EQ(app.storedPassword(QStringLiteral("mika.r")), QStringLiteral("pass word 1"));
    EXPECT_EQ(app.fieldText(QStringLiteral("fullNameLabel")), QStringLiteral("mika.r Doe"));
    EXPECT_FALSE(app.isChecked(QStringLiteral("syncingEnabledCheckBoxButton")));
    EXPECT_EQ(app.fieldText(QStringLiteral("lastSyncDateLabel")), QStringLiteral("Never"));
}

TEST_F(AccountsFeature, AWrongPasswordIsRefused)
{
    app.service().on("GET", "/account.json").json(401, "{}").json(503, "{}");
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.typeIn(QStringLiteral("usernameTextField"), QStringLiteral("mika.r"));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("wrong"));
    app.clickButton(QStringLiteral("signInButton"));
    app.waitForService([this] { return !app.messageLine().startsWith(QLatin1String("Verifying")); });
    EXPECT_EQ(app.messageLine(), QStringLiteral("Unable to verify your username and password."));
    EXPECT_FALSE(app.isEnabled(QStringLiteral("signInButton")));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("2"));
    EXPECT_TRUE(app.isEnabled(QStringLiteral("signInButton")));
    EXPECT_TRUE(app.storedPassword(QStringLiteral("mika.r")).isNull());
    EXPECT_FALSE(app.store().isConfigured());

    app.clickButton(QStringLiteral("signInButton"));
    app.waitForService([this] { return !app.messageLine().startsWith(QLatin1String("Verifying")); });
    EXPECT_TRUE(app.messageLine().contains(QLatin1String("down for maintenance")));

    app.closePreferences();

    // Cancel while the check runs, in the sign-in window (the Account pane has no Cancel of its own).
    app.service().on("GET", "/account.json").clear().json(200, accountReply(QStringLiteral("mika.r"))).hold();
    KNVTSignInAndSignUpWindowController window;
    window.window()->show();
    QApplication::setActiveWindow(window.window());
    app.typeIn(QStringLiteral("usernameTextField"), QStringLiteral("mika.r"));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("pass word 1"));
    app.clickButton(QStringLiteral("signInButton"));
    app.waitForService([this] { return app.service().count("GET", "/account.json") == 3; });
    EXPECT_EQ(app.messageLine(), QStringLiteral("Verifying username and password..."));
    app.clickButton(QStringLiteral("cancelButton"));
    EXPECT_EQ(app.messageLine(), QString());
    app.service().releaseAll();
    QTest::qWait(200);
    app.settle();
    EXPECT_FALSE(app.store().isConfigured()) << "the answer came after the Cancel";
    window.window()->close();

    app.service().stop();
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("4"));
    app.clickButton(QStringLiteral("signInButton"));
    app.waitForService([this] { return !app.messageLine().startsWith(QLatin1String("Verifying")); });
    EXPECT_EQ(app.messageLine(), QStringLiteral("Unable to verify username and password as the connection failed."));
}

TEST_F(AccountsFeature, AnAcceptedAnswerWithoutTheAccountsIdentityLeavesTheAccountPaneReadyToTryAgain)
{
    QJsonObject account = knvt::test::unwrap(knvt::test::account(7, knvt::test::user(42, "mika.r"), 1));
    account.remove(QStringLiteral("id"));
    QJsonObject nameless = knvt::test::unwrap(knvt::test::account(7, knvt::test::user(42, "mika.r"), 1));
    QJsonObject owner = nameless.value(QStringLiteral("owner")).toObject();
    owner.remove(QStringLiteral("username"));
    nameless.insert(QStringLiteral("owner"), owner);
    app.service()
        .on("GET", "/account.json")
        .json(200, QJsonDocument(QJsonObject{{"account", account}}).toJson())
        .json(200, QJsonDocument(QJsonObject{{"account", nameless}}).toJson());
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.typeIn(QStringLiteral("usernameTextField"), QStringLiteral("mika.r"));
    for (const char *password : {"pass word 1", "2"}) {
        app.typeIn(QStringLiteral("passwordSecureTextField"), QString::fromLatin1(password));
        app.clickButton(QStringLiteral("signInButton"));
        app.waitForService([this] { return !app.messageLine().startsWith(QLatin1String("Verifying")); });
        EXPECT_EQ(app.messageLine(), QStringLiteral("Unable to verify your username and password."));
        EXPECT_EQ(app.accountPane(), QStringLiteral("sign in"));
        EXPECT_TRUE(app.isEnabled(QStringLiteral("usernameTextField")));
        EXPECT_TRUE(app.isEnabled(QStringLiteral("passwordSecureTextField")));
        EXPECT_TRUE(app.storedPassword(QStringLiteral("mika.r")).isNull());
        EXPECT_FALSE(app.store().isConfigured());
        EXPECT_TRUE(app.store().username().isEmpty());
    }
    EXPECT_EQ(requests("GET", "/account.json"), 2);
}

TEST_F(AccountsFeature, ASyncServiceAddressWithoutHttpsIsRefusedAndNothingIsSent)
{
    const QString refused = QStringLiteral("The sync service address must use https: http://sync.example.org/api/v1");
    app.givenSyncServiceAddress(QStringLiteral("http://sync.example.org/api/v1"));
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.typeIn(QStringLiteral("usernameTextField"), QStringLiteral("mika.r"));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("pass word 1"));
    app.clickButton(QStringLiteral("signInButton"));
    EXPECT_EQ(app.messageLine(), refused);
    EXPECT_TRUE(app.isEnabled(QStringLiteral("usernameTextField")));
    QTest::qWait(200);
    app.settle();
    EXPECT_TRUE(app.service().requests().empty());
    EXPECT_FALSE(app.store().isConfigured());
}

TEST_F(AccountsFeature, AtTheStartASignedInAccountWithARefusedAddressSendsNothingAndTheAccountPaneSaysWhy)
{
    app.givenSyncServiceAddress(QStringLiteral("http://sync.example.org/api/v1"));
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    QTest::qWait(300);
    app.waitForService([this] { return !app.store().isSyncing(); });
    EXPECT_TRUE(app.service().requests().empty());
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    EXPECT_EQ(app.accountPane(), QStringLiteral("signed in"));
    EXPECT_EQ(app.fieldText(QStringLiteral("messageLabel")),
              QStringLiteral("The sync service address must use https: http://sync.example.org/api/v1"));
}

TEST_F(AccountsFeature, CreatingAnAccount)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("me.png"));
    QImage image(QSize(300, 300), QImage::Format_RGB32);
    image.fill(QColor(20, 140, 90));
    image.save(picture);
    app.givenPictureFile(picture);
    app.service()
        .on("POST", "/accounts.json")
        .json(201, accountReply(QStringLiteral("mikar1")))
        .json(422, R"({"username":["has already been taken"],"email":["is associated with an account"]})")
        .json(202, accountReply(QStringLiteral("mikar1")));
    app.launch();

    // Nothing in the application opens this window; its owner would.
    KNVTSignInAndSignUpWindowController window;
    window.window()->show();
    QApplication::setActiveWindow(window.window());
    app.clickButton(QStringLiteral("createAccountButton"));
    KNVTSignUpViewController *form = window.signUpViewController();
    // Both pages have a user name and a password field: the sign-up page's are typed into.
    const auto typeIn = [form](const char *field, const QString &text) {
        QTest::keyClicks(form->view()->findChild<QLineEdit *>(QString::fromLatin1(field)), text);
    };
    app.clickButton(QStringLiteral("avatarPickerButton"));
    typeIn("firstNameTextField", QStringLiteral("Mika"));
    typeIn("lastNameTextField", QStringLiteral("Rautio"));
    typeIn("usernameTextField", QStringLiteral("mikar1"));
    typeIn("emailAddressTextField", QStringLiteral("mika@example.com"));
    typeIn("passwordSecureTextField", QStringLiteral("secret1"));
    typeIn("passwordConfirmationSecureTextField", QStringLiteral("secret1"));
    app.tick(QStringLiteral("termsAndConditionsCheckBoxButton"));
    const auto messageLine = [form] {
        return form->view()->findChild<QLabel *>(QStringLiteral("progressLabel"))->text();
    };
    const auto signUp = [&] {
        app.clickButton(QStringLiteral("signUpButton"));
        app.waitForService([&] { return !form->isRunning(); });
    };

    signUp();
    EXPECT_EQ(messageLine(), QStringLiteral("Unable to create account.")) << "201 is no creation";
    signUp();
    EXPECT_EQ(messageLine(),
              QStringLiteral("Unable to create an account as the username \"mikar1\" is already taken."));
    signUp();
    EXPECT_TRUE(app.store().isConfigured());
    EXPECT_EQ(app.store().username(), QStringLiteral("mikar1"));
    EXPECT_EQ(app.storedPassword(QStringLiteral("mikar1")), QStringLiteral("secret1"));

    const QJsonObject owner =
        app.service().lastRequest("POST", "/accounts.json")->json().object()["account"].toObject()["owner"].toObject();
    EXPECT_EQ(owner["first_name"], QJsonValue("Mika"));
    EXPECT_EQ(owner["username"], QJsonValue("mikar1"));
    EXPECT_EQ(owner["country_code"], QJsonValue("US"));
    QImage sent;
    ASSERT_TRUE(sent.loadFromData(QByteArray::fromBase64(owner["avatar_data"].toString().toLatin1())));
    EXPECT_EQ(QColor(sent.pixel(10, 10)), QColor(20, 140, 90));
}

TEST_F(AccountsFeature, TheServiceRejectsTheStoredPassword)
{
    // The launch sync is refused; the later ones are answered as the service would.
    app.service().enableState();
    app.service().on("GET", "/account.json").reply(401).pass();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    EXPECT_TRUE(app.openWindows().contains(QStringLiteral("KNVTAuthenticationFailureWindowController")));
    // A sync opened it, not the user: it waits, neither modal nor with the keyboard, until the user goes to it.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(app.store().isAuthenticated());

    app.goToThePasswordWindow();
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("newpass2"));
    app.clickButton(QStringLiteral("saveButton"));
    // The service checks the password first; the window ends once it took it, and the sync goes on with it.
    app.waitForService([this] { return app.app().authenticationFailureWindowController() == nullptr; });
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("newpass2"));
    EXPECT_TRUE(app.store().isAuthenticated());
    app.waitForService([this] { return requests("GET", "/account.json") >= 3 && !app.store().isSyncing(); });
    for (const int request : {1, 2})
        EXPECT_EQ(app.service().requests("GET", "/account.json").at(request).header("Authorization"),
                  basic(QStringLiteral("ann"), QStringLiteral("newpass2")));

    // Refused again: Cancel stops syncing, and the Account pane offers to type the password again.
    app.service().on("GET", "/account.json").clear().reply(401).json(200, accountReply(QStringLiteral("ann")));
    app.store().sync();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    app.goToThePasswordWindow();
    app.clickButton(QStringLiteral("cancelButton"));
    EXPECT_FALSE(app.store().isAutoSyncEnabled());
    EXPECT_FALSE(app.store().isAuthenticated());
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    EXPECT_EQ(app.accountPane(), QStringLiteral("password refused"));
    app.clickButton(QStringLiteral("authenticateAccountButton"));
    EXPECT_EQ(app.fieldText(QStringLiteral("usernameTextField")), QStringLiteral("ann"));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("newpass3"));
    app.clickButton(QStringLiteral("authenticateButton"));
    app.waitForService([this] { return app.accountPane() == QLatin1String("signed in"); });
    const auto check = *app.service().lastRequest("GET", "/account.json");
    EXPECT_EQ(check.header("Authorization"), basic(QStringLiteral("ann"), QStringLiteral("newpass3")));
    EXPECT_FALSE(check.hasHeader("X-Application-Identifier"));
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("newpass3"));
}

// A refusal may be a one-off, with the password in the keyring right all along: a slip typed into the password window
// then (three spaces and Return) is refused by the service in turn, and replaces nothing.
TEST_F(AccountsFeature, AOneOffRefusalAndASlipInThePasswordWindowLeaveTheRightPasswordInTheKeyring)
{
    app.service().enableState();
    // The launch sync is refused once, the slip too; then the service answers as it would.
    app.service().on("GET", "/account.json").reply(401).reply(401).pass();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    app.goToThePasswordWindow();
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("   "));
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    app.waitForService([this] {
        return requests("GET", "/account.json") == 2
            && app.fieldText(QStringLiteral("explanationLabel")).startsWith(QStringLiteral("Nothing was stored"));
    });
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));

    app.typeWhereTheFocusIs(QStringLiteral("secret1"));
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    app.waitForService([this] {
        return app.app().authenticationFailureWindowController() == nullptr
            && app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing();
    });
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));
    EXPECT_TRUE(app.store().isAuthenticated());
    const auto tags = app.service().lastRequest("GET", "/tags.json");
    ASSERT_TRUE(tags.has_value()) << "no sync read the tags";
    EXPECT_EQ(tags->header("Authorization"), basic(QStringLiteral("ann"), QStringLiteral("secret1")));
}

// However the password window was put away, syncing pauses and the main window says so, also after a restart; the
// Account pane's Sign In Again brings syncing back as it was before the refusal, with one sync, unless the user
// switched it off meanwhile.
TEST_F(AccountsFeature, PuttingThePasswordWindowAwayPausesSyncSaysSoAndSigningInAgainResumesItUnlessSwitchedOff)
{
    const QString where = QStringLiteral(" Sign in again in Preferences > Account.");
    const QString paused = QStringLiteral("Sync paused (password refused).") + where;
    const QString why = QStringLiteral("Sync is paused because the password was refused.") + where;
    const QString switchedOff =
        QStringLiteral("Sync is switched off. Switch on Sync automatically in Preferences > Account.");
    struct Way
    {
        const char *name;
        std::function<void()> putAway;
        bool switchedOff = false;
    };
    const std::vector<Way> ways = {
        {"Cancel", [this] { app.clickButton(QStringLiteral("cancelButton")); }},
        {"Escape", [this] { app.pressWhereTheFocusIs(QStringLiteral("Escape")); }},
        {"Alt+F4", [this] { app.closeFrontWindow(); }},
        {"Cancel, then sync switched off", [this] { app.clickButton(QStringLiteral("cancelButton")); }, true},
    };
    app.service().enableState();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        // The password is changed elsewhere: the next sync is refused.
        app.service().on("GET", "/account.json").clear().reply(401).pass();
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
        app.goToThePasswordWindow();
        way.putAway();
        ASSERT_EQ(app.app().authenticationFailureWindowController(), nullptr);
        EXPECT_FALSE(app.store().isAutoSyncEnabled()) << "syncing pauses";
        for (const bool restarted : {false, true}) {
            SCOPED_TRACE(restarted ? "after a restart" : "now");
            if (restarted)
                app.relaunch();
            EXPECT_EQ(app.syncStatus(), paused);
            EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Sync")));
            EXPECT_EQ(app.toolbarHelp(QStringLiteral("Sync")), (QStringList{why, why})) << "tooltip, description";
        }

        app.openPreferences();
        app.choosePreferencePane(QStringLiteral("Account"));
        ASSERT_EQ(app.accountPane(), QStringLiteral("password refused"));
        if (way.switchedOff)
            app.switchSync(false);
        app.service().clearRequests();
        app.clickButton(QStringLiteral("authenticateAccountButton"));
        app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("newpass2"));
        app.clickButton(QStringLiteral("authenticateButton"));
        app.waitForService([this, &way] {
            return app.accountPane() == QLatin1String("signed in")
                && (way.switchedOff || (app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing()));
        });
        app.settle();

        EXPECT_EQ(requests("GET", "/tags.json"), way.switchedOff ? 0 : 1) << "one sync, none when switched off";
        EXPECT_FALSE(app.store().isSyncing());
        EXPECT_EQ(app.syncSwitchIsOn(), !way.switchedOff);
        EXPECT_EQ(app.syncNowIsEnabled(), !way.switchedOff);
        EXPECT_EQ(app.toolbarEnabled(QStringLiteral("Sync")), !way.switchedOff);
        EXPECT_EQ(app.toolbarHelp(QStringLiteral("Sync")).value(0),
                  way.switchedOff ? switchedOff : QStringLiteral("Sync"));
        EXPECT_EQ(app.syncStatus().section(u' ', 0, 0), way.switchedOff ? QString() : QStringLiteral("Synced"));
        const auto tags = app.service().lastRequest("GET", "/tags.json");
        EXPECT_EQ(tags ? tags->header("Authorization") : QByteArray(),
                  way.switchedOff ? QByteArray() : basic(QStringLiteral("ann"), QStringLiteral("newpass2")));
        app.closePreferences();
    }
}

// One state of the account drives the password window, the Account pane's switch, the line and Sync: a sign-in that
// succeeds closes the password window still asking, and switching sync on during the pause asks for the password
// instead of sending the refused one; either way syncing resumes once, and the window never comes back.
TEST_F(AccountsFeature, NeitherASignInAgainNorTheSwitchDuringThePauseLeavesThePasswordWindowOrSendsTheRefusedPassword)
{
    const QString paused = QStringLiteral("Sync paused (password refused). Sign in again in Preferences > Account.");
    const QString switchedOff =
        QStringLiteral("Sync is switched off. Switch on Sync automatically in Preferences > Account.");
    const QString asked =
        QStringLiteral("Sync waits for the password of your account, which the sync service refused.");
    struct Row
    {
        const char *name;
        // The password is refused, and the user does what the row says, up to the Sign In Again sheet.
        std::function<void()> refusedThenAsked;
    };
    const std::vector<Row> rows = {
        {"sync switched off and on again during the pause",
         [&] {
             app.clickToolbar(QStringLiteral("Sync"));
             app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.goToThePasswordWindow();
             app.clickButton(QStringLiteral("cancelButton"));
             app.openPreferences();
             app.choosePreferencePane(QStringLiteral("Account"));
             app.switchSync(false);
             EXPECT_EQ(app.syncStatus(), QString());
             EXPECT_EQ(app.toolbarHelp(QStringLiteral("Sync")), (QStringList{switchedOff, switchedOff}));
             const qsizetype sent = requests("GET", "/account.json");
             app.switchSync(true);
             EXPECT_EQ(requests("GET", "/account.json"), sent) << "the refused password is not sent again";
             EXPECT_EQ(app.app().authenticationFailureWindowController(), nullptr);
             EXPECT_TRUE(app.syncSwitchIsOn());
             EXPECT_EQ(app.syncStatus(), paused);
             ASSERT_TRUE(app.openWindows().contains(QStringLiteral("KNVTAccountAuthenticationWindowController")))
                 << "the switch asks for the password";
         }},
        // Switched off while the window waits: it goes, pausing nothing, and the switch turned on again asks instead.
        {"sync switched off while the password window waits, and on again",
         [&] {
             app.store().sync();
             app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.openPreferences();
             app.choosePreferencePane(QStringLiteral("Account"));
             app.switchSync(false);
             EXPECT_EQ(app.app().authenticationFailureWindowController(), nullptr) << "nothing waits for a password";
             EXPECT_EQ(app.syncStatus(), QString()) << "nothing paused";
             EXPECT_EQ(app.toolbarHelp(QStringLiteral("Sync")), (QStringList{switchedOff, switchedOff}));
             app.switchSync(true);
             ASSERT_TRUE(app.openWindows().contains(QStringLiteral("KNVTAccountAuthenticationWindowController")))
                 << "the switch asks for the password";
         }},
        {"Sign In Again while the password window waits beside the typing",
         [&] {
             // A timer's sync is refused while the user types a search: the window waits beside it.
             app.typeInSearch(QStringLiteral("Pay"));
             app.store().sync();
             app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
             EXPECT_EQ(app.toolbarHelp(QStringLiteral("Sync")), (QStringList{asked, asked}));
             app.openPreferences();
             app.choosePreferencePane(QStringLiteral("Account"));
             ASSERT_EQ(app.accountPane(), QStringLiteral("password refused"));
             app.clickButton(QStringLiteral("authenticateAccountButton"));
         }},
    };
    app.service().enableState();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype opened = app.windowsOpened().count(QStringLiteral("KNVTAuthenticationFailureWindowController"));
        // The password is changed elsewhere: every request with the old one is refused.
        app.service().on("GET", "/account.json").clear().reply(401);
        row.refusedThenAsked();
        app.service().on("GET", "/account.json").clear().pass();
        app.service().clearRequests();
        app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("newpass2"));
        app.clickButton(QStringLiteral("authenticateButton"));
        app.waitForService([this] {
            return app.accountPane() == QLatin1String("signed in") && app.service().hasRequest("GET", "/tags.json")
                && !app.store().isSyncing();
        });
        app.settle();
        EXPECT_EQ(app.app().authenticationFailureWindowController(), nullptr) << "no window asks any more";
        EXPECT_EQ(app.windowsOpened().count(QStringLiteral("KNVTAuthenticationFailureWindowController")), opened + 1);
        EXPECT_EQ(requests("GET", "/tags.json"), 1) << "one sync";
        EXPECT_TRUE(app.store().isAutoSyncEnabled());
        EXPECT_TRUE(app.syncSwitchIsOn());
        EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced"))) << app.syncStatus().toStdString();
        EXPECT_EQ(app.toolbarHelp(QStringLiteral("Sync")).value(0), QStringLiteral("Sync"));
        EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("newpass2"));
        app.closePreferences();
        app.typeInSearch(QString());
    }
}

TEST_F(AccountsFeature, SigningInAgainKeepsTheKeyboardOnThePassword)
{
    app.service().enableState();
    app.service()
        .on("GET", "/account.json")
        .reply(401)
        .reply(401)
        .json(200, accountReply(QStringLiteral("ann")))
        .pass();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    app.goToThePasswordWindow();
    app.clickButton(QStringLiteral("cancelButton"));
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    ASSERT_EQ(app.accountPane(), QStringLiteral("password refused"));

    app.clickButton(QStringLiteral("authenticateAccountButton"));
    EXPECT_EQ(app.focusedControl(), QStringLiteral("passwordSecureTextField")) << "the username is only read";
    app.typeWhereTheFocusIs(QStringLiteral("wrong"));
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    app.waitForService([this] {
        return requests("GET", "/account.json") == 2 && !app.messageLine().startsWith(QLatin1String("Verifying"));
    });
    EXPECT_EQ(app.focusedControl(), QStringLiteral("passwordSecureTextField")) << "a refused password is typed again";

    followTheFocus();
    app.typeWhereTheFocusIs(QStringLiteral("newpass3"));
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    app.waitForService([this] { return app.accountPane() == QLatin1String("signed in"); });
    app.settle();
    EXPECT_FALSE(focusedOnTheWay.contains(QStringLiteral("generalToolbarItem")))
        << focusedOnTheWay.join(' ').toStdString();
}

TEST_F(AccountsFeature, WhileTheKeyringRefusesAPasswordIsKeptUntilQuitAndTheApplicationSaysSo)
{
    const QString notStored = QStringLiteral("The password could not be stored in the keyring: the keyring is locked.");
    app.service().on("GET", "/account.json").json(200, accountReply(QStringLiteral("mika.r")));
    app.givenTheKeyringRefuses();
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.typeIn(QStringLiteral("usernameTextField"), QStringLiteral("mika.r"));
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("pass word 1"));
    app.clickButton(QStringLiteral("signInButton"));
    app.waitForService([this] { return app.accountPane() == QLatin1String("signed in"); });
    EXPECT_EQ(app.fieldText(QStringLiteral("messageLabel")), notStored);

    // Syncing works with it.
    app.service().enableState();
    app.switchSync(true);
    app.waitForService([this] { return requests("GET", "/account.json") >= 2 && !app.store().isSyncing(); });
    EXPECT_EQ(app.service().requests("GET", "/account.json").at(1).header("Authorization"),
              basic(QStringLiteral("mika.r"), QStringLiteral("pass word 1")));

    // The service refuses it later: the password typed into the failure window is kept the same way, the window
    // says so, and the next sync carries it, so the window does not come back.
    app.service().on("GET", "/account.json").clear().reply(401).pass();
    app.closePreferences();
    app.store().sync();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    app.goToThePasswordWindow();
    app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("newpass2"));
    app.clickButton(QStringLiteral("saveButton"));
    app.waitForService([&] { return app.fieldText(QStringLiteral("messageLabel")) == notStored; });
    app.clickButton(QStringLiteral("saveButton"));
    app.settle();
    EXPECT_EQ(app.app().authenticationFailureWindowController(), nullptr);
    // The service's check of the password, then the sync that resumed.
    app.waitForService([this] { return requests("GET", "/account.json") >= 5 && !app.store().isSyncing(); });
    for (const int request : {3, 4})
        EXPECT_EQ(app.service().requests("GET", "/account.json").at(request).header("Authorization"),
                  basic(QStringLiteral("mika.r"), QStringLiteral("newpass2")));
    app.store().sync();
    app.waitForService([this] { return requests("GET", "/account.json") >= 6 && !app.store().isSyncing(); });
    EXPECT_EQ(app.windowsOpened().count(QStringLiteral("KNVTAuthenticationFailureWindowController")), 1);
    EXPECT_TRUE(app.store().isAuthenticated());
}

TEST_F(AccountsFeature, SigningOutForgetsThePassword)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"));
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    ASSERT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));
    app.answerAlert(QStringLiteral("Sign Out"));
    app.clickButton(QStringLiteral("signOutButton"));
    EXPECT_FALSE(app.store().isConfigured());
    EXPECT_TRUE(app.storedPassword(QStringLiteral("ann")).isNull());
}

TEST_F(AccountsFeature, ChangingTheAccountDetails)
{
    app.givenSignedIn(QStringLiteral("annlee"));
    app.store().me()->avatar()->setImage(QImage(QSize(600, 400), QImage::Format_RGB32));
    app.saveGivens();
    const QByteArray picture = app.store().me()->avatar()->data();
    app.service().on("PUT", "/users/42.json").json(200, "{}");
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.clickButton(QStringLiteral("detailsButton"));
    retype(QStringLiteral("emailAddressTextField"), QStringLiteral("ann@elsewhere.com"));
    retype(QStringLiteral("lastNameTextField"), QStringLiteral("Lindqvist"));
    app.clickButton(QStringLiteral("saveButton"));
    app.waitForService([this] { return !app.store().me()->emailAddress().contains(QLatin1String("example")); });

    EXPECT_EQ(app.service().lastRequest("PUT", "/users/42.json")->json().object()["user"].toObject(),
              QJsonObject({{"last_name", "Lindqvist"}, {"email", "ann@elsewhere.com"}}))
        << "only what was changed in the sheet";
    EXPECT_EQ(app.store().me()->avatar()->data(), picture) << "the picture was not touched";
    app.choosePreferencePane(QStringLiteral("Account"));
    EXPECT_EQ(app.fieldText(QStringLiteral("fullNameLabel")), QStringLiteral("annlee Lindqvist"));
}

TEST_F(AccountsFeature, ANameASyncBroughtWhileTheDetailsSheetWasOpenSurvivesItsSave)
{
    app.givenSignedIn(QStringLiteral("annlee"), QStringLiteral("secret1"), true);
    app.service().enableState();
    app.service().update("users", 42, {{"username", "annlee"}, {"first_name", "annlee"}});
    app.service().on("PUT", "/users/42.json").json(200, "{}");
    app.launch();
    app.waitForService([this] { return requests("GET", "/account.json") >= 1 && !app.store().isSyncing(); });
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.clickButton(QStringLiteral("detailsButton"));
    retype(QStringLiteral("lastNameTextField"), QStringLiteral("Lindqvist"));

    // Meanwhile the name is changed on another device and a sync brings it in.
    app.service().update("users", 42, {{"first_name", "Annika"}});
    const qsizetype before = requests("GET", "/account.json");
    app.store().sync();
    app.waitForService([&] { return requests("GET", "/account.json") > before && !app.store().isSyncing(); });
    ASSERT_EQ(app.store().me()->firstName(), QStringLiteral("Annika"));

    app.clickButton(QStringLiteral("saveButton"));
    app.waitForService([this] { return app.store().me()->lastName() == QLatin1String("Lindqvist"); });
    EXPECT_EQ(app.service().lastRequest("PUT", "/users/42.json")->json().object()["user"].toObject(),
              QJsonObject({{"last_name", "Lindqvist"}}));
    EXPECT_EQ(app.store().me()->firstName(), QStringLiteral("Annika"));
}

TEST_F(AccountsFeature, InvitingAFriend)
{
    app.givenSignedIn();
    app.service()
        .on("POST", "/friendships.json")
        .json(200,
              knvt::test::body(knvt::test::friendship(80, 42, 43, QStringLiteral("pending"), 1,
                                                      {{"invitee", knvt::test::user(43, "bea")}})))
        .json(401, "{}")
        .json(422, R"({"invitee":["not found"]})");
    app.openPeopleWindow();
    app.clickButton(QStringLiteral("addUserButton"));
    const QStringList expected{
        QStringLiteral("You Successfully invited bea!"), QStringLiteral("Unable to authenticate."),
        QStringLiteral("Unable to invite, please check that the username you have entered is correct.")};
    for (const QString &line : expected) {
        retype(QStringLiteral("usernameTextField"), QStringLiteral("bea"));
        app.pressReturn(QStringLiteral("usernameTextField"));
        app.waitForService([this] { return !app.messageLine().startsWith(QLatin1String("Inviting")); });
        // A refused password also asks for the password again, beside the sheet whose typing it leaves alone: the user
        // goes to it and cancels there.
        if (knvt::AuthenticationFailureWindow *asking = app.app().authenticationFailureWindowController()) {
            auto *cancel = asking->window()->findChild<QAbstractButton *>(QStringLiteral("cancelButton"));
            ASSERT_NE(cancel, nullptr);
            AppDriver::clickWhereItShows(cancel, cancel->rect().center());
            app.settle();
        }
        EXPECT_EQ(app.messageLine(), line);
    }
    app.service().stop();
    retype(QStringLiteral("usernameTextField"), QStringLiteral("bea"));
    app.pressReturn(QStringLiteral("usernameTextField"));
    app.waitForService([this] { return !app.messageLine().startsWith(QLatin1String("Inviting")); });
    EXPECT_EQ(app.messageLine(), QStringLiteral("Unable to invite as the connection failed."));
    EXPECT_TRUE(app.openWindows().contains(QStringLiteral("KNVTFriendshipNewWindowController")));
}

TEST_F(AccountsFeature, BrowsingPeople)
{
    app.givenSignedIn();
    app.givenPerson(QStringLiteral("Zoë"), 3);
    app.givenPerson(QStringLiteral("Bob"), 2);
    app.saveGivens();
    app.openPeopleWindow();
    QStringList groups;
    for (const char *name : {"All", "Collaborators", "Friends", "Pending"}) {
        app.choosePeopleGroup(QString::fromLatin1(name));
        groups << QString::fromLatin1(name) + QLatin1Char(' ') + app.peopleFooter();
    }
    EXPECT_EQ(groups,
              QStringList({"All 3 Contacts", "Collaborators 0 Contacts", "Friends 1 Contact", "Pending 1 Contact"}));
    app.choosePeopleGroup(QStringLiteral("All"));
    app.typeIn(QStringLiteral("searchField"), QStringLiteral("zoe"));
    EXPECT_EQ(app.peopleRows(), QStringList({"Zoë"}));

    retype(QStringLiteral("searchField"), QString());
    app.choosePerson(QStringLiteral("Bob"));
    EXPECT_EQ(app.personDetail(), QStringList({"header Bob", "accept or decline"}));
    app.clickPersonButton(QStringLiteral("Accept"));
    app.waitForService([this] { return app.personDetail() == QStringList({"header Bob"}); });
    app.choosePeopleGroup(QStringLiteral("Friends"));
    EXPECT_EQ(app.peopleRows(), QStringList({"Bob", "Zoë"}));
}

TEST_F(AccountsFeature, AnsweringNotifications)
{
    app.givenSignedIn();
    app.givenPerson(QStringLiteral("Bob"), 2);
    KNVTCDUser *olga = app.givenPerson(QStringLiteral("Olga"), 3);
    KNVTCDTaskList *club = app.givenSharedProject(QStringLiteral("Book Club"), {.owner = QStringLiteral("Olga")});
    club->myTaskListCollaborator()->setStatus(1);
    app.saveGivens();
    ASSERT_NE(olga, nullptr);
    app.launch();
    EXPECT_EQ(app.badge(), 2);
    app.openNotifications();
    EXPECT_EQ(app.notificationRows(), QStringList({"# Friendship Invites", "Bob", "# Pending Projects", "Book Club"}));
    app.answerNotification(QStringLiteral("Book Club"), QStringLiteral("Decline"));
    app.waitForService([this] { return !app.notificationRows().contains(QStringLiteral("Book Club")); });
    EXPECT_EQ(club->myTaskListCollaborator()->status(), 3);
    EXPECT_EQ(app.badge(), 1);
}

TEST_F(AccountsFeature, SharingAProject)
{
    app.givenSignedIn();
    app.givenPerson(QStringLiteral("Ben"), 3);
    app.givenPerson(QStringLiteral("Cat"), 3);
    app.givenPerson(QStringLiteral("Dan"), 3);
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"), {.members = {QStringLiteral("Ben")}});
    app.saveGivens();
    app.openPeopleWindow();
    app.shareList(QStringLiteral("Garden"));
    EXPECT_EQ(app.sharingRows(), QStringList({"Ben (ben)|Accepted|Editor"}));
    app.tickInPeoplePopover(QStringLiteral("Cat"), true);
    EXPECT_TRUE(app.dropPersonOnSharingTable(QStringLiteral("Dan")));
    app.tickInPeoplePopover(QStringLiteral("Cat"), false);
    EXPECT_EQ(app.sharingRows(), QStringList({"Ben (ben)|Accepted|Editor", "Dan (dan)|-|-"}));
    app.closePopover();
    app.clickButton(QStringLiteral("saveButton"));
    EXPECT_FALSE(app.openWindows().contains(QStringLiteral("KNVTTaskListSharingSettingsWindowController")));
    qsizetype pending = 0;
    for (const KNVTCDTaskListCollaborator *record : garden->taskListCollaborators())
        pending += record->status() == 1 && record->role() == 2 && !record->deletedDate().isValid();
    EXPECT_EQ(pending, 1);

    // A sync that deletes the project closes its sharing settings without writing, and says so.
    app.shareList(QStringLiteral("Garden"));
    app.tickInPeoplePopover(QStringLiteral("Cat"), true);
    app.answerAlert(QStringLiteral("OK"));
    app.givenChangedBySync(garden, [](KNVTCDTaskStoreObject &pulled) {
        dynamic_cast<KNVTCDTaskList &>(pulled).setDeletedDate(AppDriver::defaultNow());
    });
    app.settle();
    EXPECT_FALSE(app.openWindows().contains(QStringLiteral("KNVTTaskListSharingSettingsWindowController")));
    EXPECT_EQ(app.alertsShown().last(),
              QStringLiteral("The project “Garden” was deleted elsewhere. / The form for it "
                             "in the window “Quillvane” closed. Your changes were not saved. What you typed:\n\n"
                             "Shared With: Ben (ben), Dan (dan), Cat (cat) [OK]"));
    EXPECT_EQ(garden->taskListCollaborators().size(), 3u);
}

TEST_F(AccountsFeature, UpdatingTheSharingWritesOnlyTheUsersOwnChoicesAfterASyncChangedTheMembers)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.service().enableState();
    const std::tuple<qint64, const char *, const char *> people[] = {
        {43, "Ben", "ben"}, {44, "Cat", "cat"}, {45, "Dan", "dan"}};
    for (const auto &[id, name, username] : people) {
        app.service().seed(
            "users", knvt::test::user(id, QString::fromLatin1(username), {{"first_name", name}, {"last_name", "Doe"}}));
        app.service().seed("friendships", {{"inviter_id", 42}, {"invitee_id", id}, {"status", "accepted"}});
    }
    app.service().seed(
        "task_lists",
        knvt::test::merged(knvt::test::unwrap(knvt::test::taskList(5, "Garden", 1)), {{"creator_id", 42}}));
    app.service().seed("task_list_collaborators",
                       knvt::test::unwrap(knvt::test::collaborator(51, 5, 43, "accepted", "editor", 1)));
    app.launch();
    app.waitForService([this] { return requests("GET", "/tags.json") >= 1 && !app.store().isSyncing(); });

    app.shareList(QStringLiteral("Garden"));
    EXPECT_EQ(app.sharingRows(), QStringList({"Ben Doe (ben)|Accepted|Editor"}));
    app.tickInPeoplePopover(QStringLiteral("Dan Doe"), true);
    app.closePopover();

    // Meanwhile Ben leaves on another device and Cat is invited there; a sync brings both in.
    app.service().remove("task_list_collaborators", 51);
    app.service().seed("task_list_collaborators",
                       knvt::test::unwrap(knvt::test::collaborator(52, 5, 44, "accepted", "editor", 2)));
    const qsizetype pulls = requests("GET", "/tags.json");
    app.store().sync();
    app.waitForService([&] { return requests("GET", "/tags.json") > pulls && !app.store().isSyncing(); });
    EXPECT_EQ(app.sharingRows(), QStringList({"Cat Doe (cat)|Accepted|Editor", "Dan Doe (dan)|-|-"}));

    app.service().clearRequests();
    app.clickButton(QStringLiteral("saveButton"));
    EXPECT_FALSE(app.openWindows().contains(QStringLiteral("KNVTTaskListSharingSettingsWindowController")));
    app.store().sync();
    app.waitForService([this] { return requests("GET", "/tags.json") >= 1 && !app.store().isSyncing(); });
    QStringList writes;
    for (const knvt::test::FakeSyncService::Request &request : app.service().requests()) {
        if (request.method != "GET")
            writes << QString::fromLatin1(request.method + ' ' + request.path);
    }
    EXPECT_EQ(writes, QStringList({"POST /task_list_collaborators.json"})) << "no other write than Dan's invitation";
    QList<qint64> members;
    for (const QJsonObject &record : app.service().storedAll("task_list_collaborators")) {
        if (record["task_list_id"].toInteger() == 5 && record["deleted_at"].isNull())
            members << record["user_id"].toInteger();
    }
    std::sort(members.begin(), members.end());
    EXPECT_EQ(members, QList<qint64>({42, 44, 45}));
}

TEST_F(AccountsFeature, SharingAProjectWithTheKeyboardAlone)
{
    app.givenSignedIn();
    app.givenPerson(QStringLiteral("Ben"), 3);
    app.givenPerson(QStringLiteral("Cat"), 3);
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"), {.members = {QStringLiteral("Ben")}});
    app.saveGivens();
    app.shareList(QStringLiteral("Garden"));
    EXPECT_EQ(app.focusedInSharingSettings(), QStringLiteral("Shared With"));
    app.pressInSharingSettings(QStringLiteral("Tab"));
    EXPECT_EQ(app.focusedInSharingSettings(), QStringLiteral("Choose People..."));
    app.pressInSharingSettings(QStringLiteral("Space"));
    EXPECT_EQ(app.focusedInSharingSettings(), QStringLiteral("Search People"));
    app.typeInSharingSettings(QStringLiteral("cat"));
    app.pressInSharingSettings(QStringLiteral("Tab"));
    EXPECT_EQ(app.focusedInSharingSettings(), QStringLiteral("People"));
    app.pressInSharingSettings(QStringLiteral("Space"));
    EXPECT_EQ(app.sharingRows(), QStringList({"Ben (ben)|Accepted|Editor", "Cat (cat)|-|-"}));
    app.pressInSharingSettings(QStringLiteral("Escape"));
    EXPECT_EQ(app.focusedInSharingSettings(), QStringLiteral("Choose People..."));
    app.pressInSharingSettings(QStringLiteral("Tab"));
    app.pressInSharingSettings(QStringLiteral("Tab"));
    EXPECT_EQ(app.focusedInSharingSettings(), QStringLiteral("Update"));
    app.pressInSharingSettings(QStringLiteral("Space"));
    EXPECT_FALSE(app.openWindows().contains(QStringLiteral("KNVTTaskListSharingSettingsWindowController")));
    qsizetype pending = 0;
    for (const KNVTCDTaskListCollaborator *record : garden->taskListCollaborators())
        pending += record->status() == 1 && record->role() == 2 && !record->deletedDate().isValid();
    EXPECT_EQ(pending, 1);
}

TEST_F(AccountsFeature, NamesAndTitlesFullOfMarkupFromTheServiceReadAsTyped)
{
    const QString first = QStringLiteral("<b>Olga</b>");
    const QString last = QStringLiteral("<img src=\"file:///tmp/quillvane-test.png\">");
    const QString username = QStringLiteral("<a href=\"https://example.org\">olga</a>");
    const QString title = QStringLiteral("<b>Garden</b> <a href=\"https://example.org\">go</a>");
    const QString fullName = first + u' ' + last;
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.service().enableState();
    app.service().seed("users", knvt::test::user(43, username, {{"first_name", first}, {"last_name", last}}));
    app.service().seed("users", knvt::test::user(44, QStringLiteral("bea"), {{"first_name", first}}));
    app.service().seed("friendships", {{"inviter_id", 42}, {"invitee_id", 43}, {"status", "accepted"}});
    app.service().seed("friendships", {{"inviter_id", 44}, {"invitee_id", 42}, {"status", "pending"}});
    app.service().seed("task_lists",
                       knvt::test::merged(knvt::test::unwrap(knvt::test::taskList(5, title, 1)),
                                          {{"creator_id", 43}, {"task_list_type", "project"}}));
    // My project, shared with Olga: only the owner reaches its sharing settings.
    app.service().seed("task_list_collaborators",
                       knvt::test::unwrap(knvt::test::collaborator(50, 5, 42, "accepted", "owner", 1)));
    app.service().seed("task_list_collaborators",
                       knvt::test::unwrap(knvt::test::collaborator(51, 5, 43, "accepted", "editor", 1)));
    app.launch();
    app.waitForService([this] { return requests("GET", "/tags.json") >= 1 && !app.store().isSyncing(); });

    // The reading of a label the way it is drawn: markup read as markup unless the label shows plain text.
    const auto reads = [this](const char *name) {
        auto *label = app.frontEditor()->findChild<QLabel *>(QString::fromLatin1(name));
        return label ? QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name) : QString();
    };

    app.openPeopleWindow();
    EXPECT_TRUE(app.peopleRows().contains(fullName)) << qPrintable(app.peopleRows().join(u'|'));
    app.choosePerson(fullName);
    EXPECT_EQ(app.personDetail().value(0), QStringLiteral("header ") + fullName);

    app.shareList(title);
    EXPECT_EQ(reads("headingTextField"), QStringLiteral("\"%1\" Sharing settings").arg(title));
    const QStringList shared = app.sharingRows();
    EXPECT_TRUE(shared.contains(QStringLiteral("%1 (%2)|Accepted|Editor").arg(fullName, username)))
        << qPrintable(shared.join(u'/'));
    app.clickButton(QStringLiteral("cancelButton"));

    app.openNotifications();
    EXPECT_TRUE(app.notificationRows().contains(first + QStringLiteral(" Doe")))
        << qPrintable(app.notificationRows().join(u'|'));
    app.closePopover();

    app.service().on("POST", "/friendships.json").pass();
    app.openPeopleWindow();
    app.clickButton(QStringLiteral("addUserButton"));
    retype(QStringLiteral("usernameTextField"), username);
    app.pressReturn(QStringLiteral("usernameTextField"));
    app.waitForService([this] { return !app.messageLine().startsWith(QLatin1String("Inviting")); });
    // Olga is a friend already, as the service's answer says.
    EXPECT_EQ(reads("progressLabel"), QStringLiteral("You and %1 are already friends.").arg(username));
}

TEST_F(AccountsFeature, Preferences)
{
    app.givenSignedIn();
    app.givenTask(QStringLiteral("Pay rent"),
                  {.due = AppDriver::defaultNow().addDays(-1), .notes = QStringLiteral("n")});
    app.saveGivens();
    app.selectHome(QStringLiteral("Today"));
    const int plainRow = app.centreRowHeight(QStringLiteral("Pay rent"));
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("General"));
    app.choosePopUp(QStringLiteral("applicationBadgeValuePopUpButton"), QStringLiteral("Due"));
    EXPECT_EQ(app.defaults(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference)).toInt(), 1);
    EXPECT_EQ(app.badge(), 1);

    app.choosePreferencePane(QStringLiteral("Viewing"));
    app.tick(QStringLiteral("previewTaskNotesCheckboxButton"), true);
    EXPECT_EQ(app.defaults(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines)).toInt(), 2);
    EXPECT_GT(app.centreRowHeight(QStringLiteral("Pay rent")), plainRow);
    app.tick(QStringLiteral("previewTaskNotesCheckboxButton"), false);
    EXPECT_EQ(app.defaults(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines)).toInt(), 0);
    EXPECT_EQ(app.centreRowHeight(QStringLiteral("Pay rent")), plainRow);

    app.service().enableState();
    app.choosePreferencePane(QStringLiteral("Account"));
    EXPECT_FALSE(app.isEnabled(QStringLiteral("syncNowButton")));
    const int ended = app.syncsEnded();
    app.switchSync(true);
    EXPECT_TRUE(app.isEnabled(QStringLiteral("syncNowButton")));
    EXPECT_TRUE(app.isEnabled(QStringLiteral("autoSyncTimeIntervalPopUpButton")));
    app.waitForService([&] { return app.syncsEnded() > ended && !app.store().isSyncing(); });
    app.switchSync(false);

    app.openPeopleWindow();
    app.openPreferences();
    app.choosePreferencePane(QStringLiteral("Account"));
    app.answerAlert(QStringLiteral("Cancel"));
    app.clickButton(QStringLiteral("signOutButton"));
    EXPECT_TRUE(app.store().isConfigured());
    app.answerAlert(QStringLiteral("Sign Out"));
    app.clickButton(QStringLiteral("signOutButton"));
    EXPECT_FALSE(app.store().isConfigured());
    const QStringList windows = app.openWindows();
    EXPECT_FALSE(windows.contains(QStringLiteral("KNVTPreferenceWindowController")));
    EXPECT_FALSE(windows.contains(QStringLiteral("KNVTUsersWindowController")));
    EXPECT_EQ(app.app().preferenceWindowController(), nullptr);
}

TEST_F(AccountsFeature, PreferencesOpenWhollyOnScreenOverTheMainWindowAndCloseWithEscapeOrCtrlW)
{
    QWidget *main = app.app().mainWindow();
    ASSERT_NE(main, nullptr);
    const QRect screen = main->screen()->availableGeometry();
    // The main window moved off the middle of the screen, so that only centring on it puts the preferences there.
    QRect moved = main->frameGeometry();
    moved.moveCenter(screen.center() - QPoint(screen.width() / 8, screen.height() / 10));
    main->move(moved.topLeft());
    const std::pair<const char *, const char *> closings[] = {
        {"General", "Escape"}, {"Account", "Escape"}, {"Viewing", "Ctrl+W"}, {"Account", "Ctrl+W"}};
    for (const auto &[pane, keys] : closings) {
        app.openPreferences();
        QWidget *preferences = app.frontEditor();
        ASSERT_TRUE(preferences && preferences->objectName() == QLatin1String("KNVTPreferenceWindowController"));
        // First opened over the middle of the main window (give or take the pane settling its layout once shown);
        // later where the user left it.
        if (pane == closings[0].first) {
            EXPECT_LE((preferences->frameGeometry().center() - main->frameGeometry().center()).manhattanLength(), 10);
        }
        app.choosePreferencePane(QString::fromLatin1(pane));
        EXPECT_TRUE(screen.contains(preferences->frameGeometry())) << pane;
        EXPECT_TRUE(preferences->isActiveWindow()) << pane;
        app.pressWhereTheFocusIs(QString::fromLatin1(keys));
        EXPECT_FALSE(app.openWindows().contains(QStringLiteral("KNVTPreferenceWindowController"))) << pane << keys;
    }
}
