// The preference window: its panes, the Account pane following the account, and the settings they write.
#include "AccountsTest.h"

#include "accounts/ApplicationBadgeValuePopUp.h"
#include "accounts/KNVTAccountAuthenticationWindowController.h"
#include "accounts/KNVTAccountDetailsWindowController.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceSignInViewController.h"
#include "accounts/KNVTPreferenceUnauthenticatedAccountViewController.h"
#include "accounts/KNVTPreferenceViewingViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTSignInViewController.h"
#include "model/KNVTCDAccount.h"

#include "foundation/KNVTKeychainItem.h"

#include "uikit/KNVTAvatarView.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/KNVTSwitch.h"

#include "support/NotificationRecorder.h"
#include "support/ScriptedAlertPresenter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using knvt::test::waitUntil;

namespace {

// What the local user "Me" is known by.
using KNVTUserIdentity = std::pair<QString, std::optional<qint64>>;

// A General pane as the application makes it, with the badge choice only.
KNVTPreferenceViewController *generalPane()
{
    auto *pane = new KNVTPreferenceViewController;
    pane->setTitle(QStringLiteral("General"));
    auto *view = new QWidget;
    auto *layout = new QVBoxLayout(view);
    layout->addWidget(new knvt::ApplicationBadgeValuePopUp);
    view->setMinimumSize(480, 120);
    pane->setView(view);
    return pane;
}

} // namespace

class PreferenceWindowTest : public AccountsTest
{
protected:
    std::unique_ptr<KNVTPreferenceWindowController> makeWindow()
    {
        auto window = std::make_unique<KNVTPreferenceWindowController>(&generalPane, &store());
        window->show();
        return window;
    }
    template <class Pane>
    Pane *accountPane(KNVTPreferenceWindowController &window)
    {
        return qobject_cast<Pane *>(window.viewControllers().at(1));
    }
};

TEST_F(PreferenceWindowTest, TheAccountPaneFollowsTheAccount)
{
    fake.on("GET", "/account.json").json(200, accountReply());
    auto window = makeWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("General"));
    EXPECT_TRUE(window->generalToolbarItem()->isChecked());
    ASSERT_NE(accountPane<KNVTPreferenceSignInViewController>(*window), nullptr);

    window->accountToolbarItem()->trigger();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Account"));
    auto *signIn = accountPane<KNVTPreferenceSignInViewController>(*window);
    child<QLineEdit>(signIn->view(), "usernameTextField")->setText(QStringLiteral("ann"));
    child<QLineEdit>(signIn->view(), "passwordSecureTextField")->setText(QStringLiteral("secret1"));
    child<QPushButton>(signIn->view(), "signInButton")->click();
    ASSERT_TRUE(waitUntil([&] { return accountPane<KNVTPreferenceConfiguredAccountViewController>(*window); }));
    EXPECT_EQ(window->currentViewController(), window->viewControllers().at(1)) << "shown at once";

    // A refused password swaps in the offer to type it again; the checked password swaps the account back.
    store().setAuthenticationFailureDate(m_clock.now());
    ASSERT_NE(accountPane<KNVTPreferenceUnauthenticatedAccountViewController>(*window), nullptr);
    child<QPushButton>(window->currentViewController()->view(), "authenticateAccountButton")->click();
    KNVTAccountAuthenticationWindowController *sheet = window->accountAuthenticationWindowController();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    child<QLineEdit>(sheet, "passwordSecureTextField")->setText(QStringLiteral("secret2"));
    sheet->authenticate();
    ASSERT_TRUE(waitUntil([&] { return accountPane<KNVTPreferenceConfiguredAccountViewController>(*window); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->accountAuthenticationWindowController(), nullptr) << "dismissed and released";
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("secret2"));

    // Swapped while another pane shows, the new pane waits for Account to be chosen.
    window->viewingToolbarItem()->trigger();
    store().setAuthenticationFailureDate(m_clock.now());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Viewing"));
    ASSERT_NE(accountPane<KNVTPreferenceUnauthenticatedAccountViewController>(*window), nullptr);
}

TEST_F(PreferenceWindowTest, PanesResizeTheWindowAroundThemKeepingItsTopLeftCorner)
{
    auto window = std::make_unique<KNVTPreferenceWindowController>(
        [] {
            auto *pane = new KNVTPreferenceViewController;
            pane->view()->setMinimumSize(700, 500);
            return pane;
        },
        &store());
    window->show();
    window->move(40, 60);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Preferences")) << "a pane without a title";
    const QRect general = window->geometry();
    window->viewingToolbarItem()->trigger();
    const QRect viewing = window->geometry();
    EXPECT_EQ(viewing.topLeft(), general.topLeft());
    EXPECT_LT(viewing.height(), general.height());
    window->generalToolbarItem()->trigger();
    EXPECT_EQ(window->geometry(), general);
}

TEST_F(PreferenceWindowTest, TheBadgeChoiceIsStoredAndAnnounced)
{
    knvt::Defaults &defaults = knvt::Defaults::standard();
    const QString key = QString::fromLatin1(KNVTDockIconBadgeValueTypePreference);
    defaults.setValue(key, 102);
    knvt::ApplicationBadgeValuePopUp popUp;
    EXPECT_EQ(popUp.currentData().toInt(), 102);
    EXPECT_EQ(popUp.count(), 8);
    EXPECT_EQ(popUp.itemText(4), QStringLiteral("Notifications"));

    knvt::test::NotificationRecorder recorder(
        {QString::fromLatin1(KNVTDockIconBadgeValueTypePreferenceDidChangeNotification)});
    popUp.setCurrentIndex(2);
    emit popUp.activated(2);
    EXPECT_EQ(defaults.value(key).toInt(), 2);
    EXPECT_EQ(recorder.notifications().size(), 1u);

    // A stored value no item carries shows the item at that position.
    defaults.setValue(key, 5);
    popUp.reload();
    EXPECT_EQ(popUp.currentIndex(), 5);
    EXPECT_EQ(popUp.currentData().toInt(), 101);
}

TEST_F(PreferenceWindowTest, ThePreviewOfNotesWritesTwoOrNoLines)
{
    knvt::test::NotificationRecorder recorder(
        {QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLinesDidChangeNotification)});
    KNVTPreferenceViewingViewController pane;
    auto *box = child<QCheckBox>(pane.view(), "previewTaskNotesCheckboxButton");
    EXPECT_FALSE(box->isChecked());
    const QString key = QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines);
    box->click();
    EXPECT_EQ(knvt::Defaults::standard().value(key).toInt(), 2);
    box->click();
    EXPECT_EQ(knvt::Defaults::standard().value(key).toInt(), 0);
    EXPECT_EQ(recorder.notifications().size(), 2u);
    knvt::Defaults::standard().setValue(key, 3);
    KNVTPreferenceViewingViewController again;
    EXPECT_TRUE(child<QCheckBox>(again.view(), "previewTaskNotesCheckboxButton")->isChecked());
}

TEST_F(PreferenceWindowTest, AnAcceptedAnswerThatCannotConfigureTheAccountIsAFailedSignIn)
{
    // Accepted answers whose account the store could not be configured with.
    const auto withAccount = [](const std::function<void(QJsonObject & account, QJsonObject & owner)> &change) {
        QJsonObject account =
            knvt::test::unwrap(knvt::test::account(7, knvt::test::user(42, QStringLiteral("ann")), 1));
        QJsonObject owner = account.value(QStringLiteral("owner")).toObject();
        change(account, owner);
        account.insert(QStringLiteral("owner"), owner);
        return QJsonDocument(QJsonObject{{QStringLiteral("account"), account}}).toJson(QJsonDocument::Compact);
    };
    const QList<QByteArray> replies{
        withAccount([](QJsonObject &account, QJsonObject &) { account.remove(QStringLiteral("id")); }),
        withAccount([](QJsonObject &account, QJsonObject &) { account.insert(QStringLiteral("id"), 0); }),
        withAccount([](QJsonObject &, QJsonObject &owner) { owner.remove(QStringLiteral("username")); }),
        withAccount([](QJsonObject &, QJsonObject &owner) { owner.insert(QStringLiteral("username"), QString()); }),
        withAccount([](QJsonObject &, QJsonObject &owner) { owner.remove(QStringLiteral("id")); }),
    };
    auto route = fake.on("GET", "/account.json");
    for (const QByteArray &reply : replies)
        route.json(200, reply);
    auto window = makeWindow();
    window->accountToolbarItem()->trigger();
    KNVTUserIdentity before{store().me()->username(), store().me()->numericIdentifier()};

    for (const QByteArray &reply : replies) {
        SCOPED_TRACE(reply.toStdString());
        auto *pane = accountPane<KNVTPreferenceSignInViewController>(*window);
        ASSERT_NE(pane, nullptr);
        auto *username = child<QLineEdit>(pane->view(), "usernameTextField");
        auto *password = child<QLineEdit>(pane->view(), "passwordSecureTextField");
        username->setText(QStringLiteral("Ann"));
        password->setText(QStringLiteral("secret1"));
        child<QPushButton>(pane->view(), "signInButton")->click();
        ASSERT_TRUE(waitUntil([&] { return !pane->signInViewController()->isRunning(); }));

        EXPECT_EQ(window->viewControllers().at(1), pane) << "still the sign-in pane";
        auto *line = child<QLabel>(pane->view(), "progressLabel");
        EXPECT_EQ(line->text(), QStringLiteral("Unable to verify your username and password."));
        EXPECT_FALSE(line->isHidden());
        EXPECT_TRUE(username->isEnabled());
        EXPECT_TRUE(password->isEnabled());
        EXPECT_TRUE(storedPassword(QStringLiteral("Ann")).isNull());
        EXPECT_TRUE(storedPassword(QStringLiteral("ann")).isNull());
        EXPECT_FALSE(store().isConfigured());
        EXPECT_TRUE(store().username().isEmpty());
        EXPECT_EQ(context().count<KNVTCDAccount>(), 0);
        EXPECT_EQ(KNVTUserIdentity(store().me()->username(), store().me()->numericIdentifier()), before);
        EXPECT_FALSE(context().hasChanges());
    }
    EXPECT_EQ(fake.count("GET", "/users/42/avatar/medium.png"), 0);
}

TEST_F(PreferenceWindowTest, SigningInWhileTheKeyringRefusesSaysSoAndKeepsThePasswordForThisRun)
{
    fake.on("GET", "/account.json").json(200, accountReply());
    KNVTKeychainItem::lockKeychain();
    auto window = makeWindow();
    window->accountToolbarItem()->trigger();
    auto *signIn = accountPane<KNVTPreferenceSignInViewController>(*window);
    ASSERT_NE(signIn, nullptr);
    child<QLineEdit>(signIn->view(), "usernameTextField")->setText(QStringLiteral("ann"));
    child<QLineEdit>(signIn->view(), "passwordSecureTextField")->setText(QStringLiteral("pass word 1"));
    child<QPushButton>(signIn->view(), "signInButton")->click();
    ASSERT_TRUE(waitUntil([&] { return accountPane<KNVTPreferenceConfiguredAccountViewController>(*window); }));

    auto *line = child<QLabel>(window->currentViewController()->view(), "messageLabel");
    EXPECT_EQ(line->text(), QStringLiteral("The password could not be stored in the keyring: the keyring is locked."));
    EXPECT_FALSE(line->isHidden());
    EXPECT_TRUE(store().isConfigured());
    // The requests of this run carry the password all the same: the owner's picture is asked for with it.
    const QByteArray credentials = "Basic " + QByteArray("ann:pass word 1").toBase64();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/users/42/avatar/medium.png"); }));
    EXPECT_EQ(fake.lastRequest("GET", "/users/42/avatar/medium.png")->header("Authorization"), credentials);
    KNVTKeychainItem::unlockKeychain();
    EXPECT_TRUE(storedPassword(QStringLiteral("ann")).isNull());

    // A pane made later in the run says it as well; a password the keyring takes ends it.
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    EXPECT_EQ(child<QLabel>(pane.view(), "messageLabel")->text(), line->text());
    store().setAccountPassword(QStringLiteral("ann"), QStringLiteral("pass word 1"));
    pane.update();
    EXPECT_TRUE(child<QLabel>(pane.view(), "messageLabel")->isHidden());
}

TEST_F(PreferenceWindowTest, DuringSignInTheKeyboardWaitsInThePasswordFieldAndThenIsOnTheMessageOrStillThere)
{
    struct Case
    {
        const char *outcome;
        int status;
        bool keyringLocked;
        const char *focused; // the control with the keyboard afterwards
        const char *from;    // the control with the keyboard as Sign In is pressed
    };
    const Case cases[] = {
        {"refused", 401, false, "passwordSecureTextField", "passwordSecureTextField"},
        {"down for maintenance", 503, false, "passwordSecureTextField", "signInButton"},
        {"accepted, the keyring locked", 200, true, "messageLabel", "usernameTextField"},
        {"accepted", 200, false, "fullNameLabel", "passwordSecureTextField"},
    };
    for (const Case &given : cases) {
        SCOPED_TRACE(given.outcome);
        if (store().isConfigured())
            store().unconfigureAccount();
        auto window = makeWindow();
        window->accountToolbarItem()->trigger();
        fake.on("GET", "/account.json").clear().json(given.status, given.status == 200 ? accountReply() : "{}");
        if (given.keyringLocked)
            KNVTKeychainItem::lockKeychain();
        auto *pane = accountPane<KNVTPreferenceSignInViewController>(*window);
        ASSERT_NE(pane, nullptr);
        child<QLineEdit>(pane->view(), "usernameTextField")->setText(QStringLiteral("ann"));
        auto *password = child<QLineEdit>(pane->view(), "passwordSecureTextField");
        password->setText(QStringLiteral("secret1"));
        child<QWidget>(pane->view(), given.from)->setFocus();
        // A sign-in that succeeds replaces the pane and its form, so the wait must not reach them through the pane.
        const QPointer<KNVTSignInViewController> form(pane->signInViewController());
        child<QPushButton>(pane->view(), "signInButton")->click();
        EXPECT_EQ(window->focusWidget(), password) << "no stop on a message or a button on the way";
        EXPECT_TRUE(password->isReadOnly());
        ASSERT_TRUE(waitUntil([&] { return !form || !form->isRunning(); }));
        QWidget *focused = window->focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->objectName(), QString::fromLatin1(given.focused));
        EXPECT_TRUE(focused->isVisible());
        KNVTKeychainItem::unlockKeychain();
    }
}

TEST_F(PreferenceWindowTest, TheSignedInPaneShowsTheAccountAndItsSyncSettings)
{
    configureAccount();
    store().setAutoSyncTimeInterval(120);
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    QWidget *view = pane.view();
    EXPECT_EQ(child<QLabel>(view, "fullNameLabel")->text(), QStringLiteral("ann Doe"));
    EXPECT_EQ(child<QLabel>(view, "usernameLabel")->text(), QStringLiteral("ann"));
    EXPECT_EQ(child<KNVTAvatarView>(view, "avatarImageView")->text(), store().me()->avatarInitials());
    EXPECT_EQ(child<QLabel>(view, "lastSyncDateLabel")->text(), QStringLiteral("Never"));
    auto *interval = child<QComboBox>(view, "autoSyncTimeIntervalPopUpButton");
    EXPECT_EQ(interval->currentData().toInt(), 900) << "an interval under 300 s reads as 900 s";
    auto *syncSwitch = child<KNVTSwitch>(view, "syncingEnabledCheckBoxButton");
    auto *syncNow = child<QPushButton>(view, "syncNowButton");
    EXPECT_FALSE(syncSwitch->isOn());
    EXPECT_FALSE(interval->isEnabled());
    EXPECT_FALSE(syncNow->isEnabled());

    syncSwitch->setOn(true);
    emit syncSwitch->action(syncSwitch);
    EXPECT_TRUE(store().isAutoSyncEnabled());
    EXPECT_TRUE(interval->isEnabled());
    EXPECT_TRUE(syncNow->isEnabled());
    interval->setCurrentIndex(interval->findData(3600));
    emit interval->activated(interval->currentIndex());
    EXPECT_EQ(store().autoSyncTimeInterval(), 3600);

    store().setLastSuccessfullSyncDate(QDateTime(QDate(2015, 3, 4), QTime(9, 5)));
    knvt::NotificationCenter::defaultCenter().post(QString::fromLatin1(KNVTTaskStoreDidSyncNotification), &store());
    EXPECT_EQ(child<QLabel>(view, "lastSyncDateLabel")->text(), QStringLiteral("Mar 4, 2015, 9:05\u202FAM"));

    syncSwitch->setOn(false);
    emit syncSwitch->action(syncSwitch);
    EXPECT_FALSE(store().isAutoSyncEnabled());
    EXPECT_FALSE(syncNow->isEnabled());
    EXPECT_FALSE(interval->isEnabled());
}

TEST_F(PreferenceWindowTest, SigningOutAsksFirst)
{
    configureAccount();
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    knvt::ScriptedAlertPresenter alerts;
    alerts.answerWithTitle(QStringLiteral("Cancel"));
    alerts.answerWithTitle(QStringLiteral("Sign Out"));
    child<QPushButton>(pane.view(), "signOutButton")->click();
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Sign Out?"));
    EXPECT_EQ(alerts.requests()[0].message,
              QStringLiteral("Signing Out will remove all of you data, any unsynced changes will be lost."));
    EXPECT_EQ(alerts.requests()[0].buttonTitles, QStringList({"Cancel", "Sign Out"}));
    EXPECT_TRUE(store().isConfigured());

    knvt::test::NotificationRecorder recorder({QString::fromLatin1(KNVTTaskStoreDidUnconfigureAccountNotification)});
    child<QPushButton>(pane.view(), "signOutButton")->click();
    EXPECT_EQ(recorder.notifications().size(), 1u);
    EXPECT_FALSE(store().isConfigured());
}

TEST_F(PreferenceWindowTest, TheDetailsSheetRefreshesThePaneWhenItEnds)
{
    configureAccount(QStringLiteral("annlee"));
    fake.on("PUT", "/users/42.json").json(200, "{}");
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    pane.view()->show();
    child<QPushButton>(pane.view(), "detailsButton")->click();
    // The pane lets go of an ended sheet later, in the event loop the wait below spins.
    QPointer<KNVTAccountDetailsWindowController> sheet = pane.accountDetailsWindowController();
    ASSERT_NE(sheet, nullptr);
    child<QLineEdit>(sheet, "firstNameTextField")->setText(QStringLiteral("Anna"));
    sheet->save();
    ASSERT_TRUE(waitUntil([&] { return !sheet || !sheet->isVisible(); }));
    EXPECT_EQ(child<QLabel>(pane.view(), "fullNameLabel")->text(), QStringLiteral("Anna Doe"));
}
