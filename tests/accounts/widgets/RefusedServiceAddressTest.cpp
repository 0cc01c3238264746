// A sync service address that is refused (plain http to another machine): every account window says so, and
// nothing is sent anywhere, the built-in address included, since the credentials were meant for the service named.
#include "AccountsTest.h"

#include "accounts/KNVTAccountAuthenticationWindowController.h"
#include "accounts/KNVTAccountDetailsWindowController.h"
#include "accounts/KNVTFriendshipNewWindowController.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceSignInViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTSignInViewController.h"
#include "accounts/KNVTSignUpViewController.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "service/KNVTRequest.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

class RefusedServiceAddressTest : public AccountsTest
{
protected:
    void refuseTheAddress() { KNVTSetSyncServiceAPIURLString(QStringLiteral("http://sync.example.org/api/v1")); }

    static QString line(QWidget *window)
    {
        auto *label = child<QLabel>(window, "progressLabel");
        return label && !label->isHidden() ? label->text() : QString();
    }

    const QString refused = QStringLiteral("The sync service address must use https: http://sync.example.org/api/v1");
};

TEST_F(RefusedServiceAddressTest, SigningInOrUpSaysTheAddressMustUseHttpsAndSendsNothing)
{
    refuseTheAddress();
    KNVTPreferenceWindowController window({}, &store());
    window.show();
    window.accountToolbarItem()->trigger();
    auto *pane = qobject_cast<KNVTPreferenceSignInViewController *>(window.currentViewController());
    ASSERT_NE(pane, nullptr);
    auto *username = child<QLineEdit>(pane->view(), "usernameTextField");
    username->setText(QStringLiteral("ann"));
    child<QLineEdit>(pane->view(), "passwordSecureTextField")->setText(QStringLiteral("secret1"));
    child<QPushButton>(pane->view(), "signInButton")->click();
    EXPECT_FALSE(pane->signInViewController()->isRunning());
    EXPECT_EQ(line(pane->view()), refused);
    EXPECT_TRUE(username->isEnabled());

    KNVTSignUpViewController signUp(&store());
    for (const char *field : {"firstNameTextField", "lastNameTextField"})
        child<QLineEdit>(signUp.view(), field)->setText(QStringLiteral("Mika"));
    child<QLineEdit>(signUp.view(), "usernameTextField")->setText(QStringLiteral("mikar1"));
    child<QLineEdit>(signUp.view(), "emailAddressTextField")->setText(QStringLiteral("mika@example.com"));
    child<QLineEdit>(signUp.view(), "passwordSecureTextField")->setText(QStringLiteral("secret1"));
    child<QLineEdit>(signUp.view(), "passwordConfirmationSecureTextField")->setText(QStringLiteral("secret1"));
    child<QCheckBox>(signUp.view(), "termsAndConditionsCheckBoxButton")->click();
    child<QPushButton>(signUp.view(), "signUpButton")->click();
    EXPECT_FALSE(signUp.isRunning());
    EXPECT_EQ(line(signUp.view()), refused);

    QTest::qWait(200);
    EXPECT_TRUE(fake.requests().empty());
    EXPECT_FALSE(store().isConfigured());
    EXPECT_TRUE(storedPassword(QStringLiteral("ann")).isNull());
}

TEST_F(RefusedServiceAddressTest, AnAddressThatIsNoWebAddressAtAllIsNotToldToUseHttps)
{
    const struct
    {
        const char *address;
        const char *said;
    } cases[] = {
        {"http://sync.example.org/api/v1", "The sync service address must use https: http://sync.example.org/api/v1"},
        {"ftp://sync.example.org/api/v1",
         "The sync service address is not an https address: ftp://sync.example.org/api/v1"},
        {"sync.example.org/api/v1", "The sync service address is not an https address: sync.example.org/api/v1"},
    };
    KNVTPreferenceWindowController window({}, &store());
    window.show();
    window.accountToolbarItem()->trigger();
    auto *pane = qobject_cast<KNVTPreferenceSignInViewController *>(window.currentViewController());
    ASSERT_NE(pane, nullptr);
    child<QLineEdit>(pane->view(), "usernameTextField")->setText(QStringLiteral("ann"));
    child<QLineEdit>(pane->view(), "passwordSecureTextField")->setText(QStringLiteral("secret1"));
    for (const auto &c : cases) {
        KNVTSetSyncServiceAPIURLString(QString::fromUtf8(c.address));
        child<QPushButton>(pane->view(), "signInButton")->click();
        EXPECT_EQ(line(pane->view()), QString::fromUtf8(c.said));
    }
    EXPECT_TRUE(fake.requests().empty());
}

TEST_F(RefusedServiceAddressTest, TheSignedInAccountsWindowsSayItAndNeitherTheyNorSyncingSendAnything)
{
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
    // A user name long enough for the details sheet to save.
    configureAccount(QStringLiteral("annlee"));
    // Configuring asked for the owner's picture while the address was still the fake's.
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/users/42/avatar/medium.png"); }));
    fake.clearRequests();
    refuseTheAddress();

    KNVTPreferenceConfiguredAccountViewController pane(&store());
    auto *message = child<QLabel>(pane.view(), "messageLabel");
    EXPECT_EQ(message->text(), refused);
    EXPECT_FALSE(message->isHidden());

    KNVTAccountDetailsWindowController details(&store());
    child<QLineEdit>(&details, "firstNameTextField")->setText(QStringLiteral("Anna"));
    details.save();
    EXPECT_FALSE(details.isRunning());
    EXPECT_EQ(line(&details), refused);

    KNVTAccountAuthenticationWindowController sheet(&store());
    child<QLineEdit>(&sheet, "passwordSecureTextField")->setText(QStringLiteral("secret2"));
    sheet.authenticate();
    EXPECT_FALSE(sheet.isRunning());
    EXPECT_EQ(line(&sheet), refused);

    KNVTFriendshipNewWindowController invitation(&store());
    invitation.open();
    auto *invitee = child<QLineEdit>(&invitation, "usernameTextField");
    invitee->setText(QStringLiteral("bea"));
    QTest::keyClick(invitee, Qt::Key_Return);
    EXPECT_FALSE(invitation.isRunning());
    EXPECT_EQ(line(&invitation), refused);

    // Syncing sends nothing either: its sessions fail without a connection.
    store().setAutoSyncEnabled(true);
    QTest::qWait(300);
    ASSERT_TRUE(waitUntil([this] { return !store().isSyncing(); }));
    EXPECT_TRUE(fake.requests().empty());
    store().setAutoSyncEnabled(false);
}
