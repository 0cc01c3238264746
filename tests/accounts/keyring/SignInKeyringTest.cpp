// A sign-in against the fake service keeps the password in a real Secret Service (run under scripts/with-keyring),
// where other programs find it under the service "Hollowpine" and the account's user name.
#include "widgets/AccountsTest.h"

#include "accounts/KNVTAuthenticationFailureWindowController.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTSignInViewController.h"

#include "foundation/KeychainBackend.h"

#include "support/BusWithoutSecretService.h"
#include "support/ScriptedAlertPresenter.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

namespace {

// What `secret-tool lookup service Hollowpine account <account>` prints; null when it finds nothing.
QByteArray lookUp(const QString &account)
{
    QProcess process;
    process.start(QStringLiteral("secret-tool"),
                  {QStringLiteral("lookup"), QStringLiteral("service"), QStringLiteral("Hollowpine"),
                   QStringLiteral("account"), account});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

} // namespace

class SignInKeyringTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        // The real Secret Service instead of the in-memory keychain.
        knvt::KeychainBackend::setShared(nullptr);
    }
    void TearDown() override
    {
        knvt::KeychainBackend::shared()->remove(
            {{knvt::kSecClass, knvt::kSecClassGenericPassword}, {knvt::kSecAttrService, QStringLiteral("Hollowpine")}});
        AccountsTest::TearDown();
    }
};

TEST_F(SignInKeyringTest, SigningInKeepsThePasswordInTheKeyringUnderTheAccountsUserName)
{
    storePassword(QStringLiteral("quillvane-keyring-user"), QStringLiteral("old password"));
    fake.on("GET", "/account.json").json(200, accountReply(QStringLiteral("quillvane-keyring-user")));
    KNVTSignInViewController form(KNVTSignInViewController::Style::Pane, &store());
    form.usernameTextField()->setText(QStringLiteral("Quillvane-Keyring-User"));
    form.passwordSecureTextField()->setText(QStringLiteral("pässwörd 1"));
    form.view()->findChild<QPushButton *>(QStringLiteral("signInButton"))->click();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return store().isConfigured(); }, std::chrono::seconds(20)));

    EXPECT_EQ(QString::fromUtf8(lookUp(QStringLiteral("quillvane-keyring-user"))), QStringLiteral("pässwörd 1"));
    EXPECT_TRUE(lookUp(QStringLiteral("Quillvane-Keyring-User")).isNull());
    EXPECT_EQ(store().HTTPHeaderFields().value(QStringLiteral("Authorization")),
              QStringLiteral("Basic ")
                  + QString::fromLatin1(QByteArray("quillvane-keyring-user:pässwörd 1").toBase64()));
}

TEST_F(SignInKeyringTest, SigningOutRemovesTheAccountsPasswordFromTheKeyring)
{
    configureAccount(QStringLiteral("quillvane-keyring-user"));
    storePassword(QStringLiteral("quillvane-other-user"), QStringLiteral("theirs"));
    ASSERT_EQ(QString::fromUtf8(lookUp(QStringLiteral("quillvane-keyring-user"))), QStringLiteral("secret1"));
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    knvt::ScriptedAlertPresenter alerts;
    alerts.answerWithTitle(QStringLiteral("Sign Out"));
    pane.view()->findChild<QPushButton *>(QStringLiteral("signOutButton"))->click();
    ASSERT_FALSE(store().isConfigured());

    EXPECT_TRUE(lookUp(QStringLiteral("quillvane-keyring-user")).isNull());
    EXPECT_EQ(QString::fromUtf8(lookUp(QStringLiteral("quillvane-other-user"))), QStringLiteral("theirs"))
        << "only the signed-out account's password goes";
}

// No Secret Service runs on this session bus; the keyring group's own bus is left alone.
class NoSecretServiceTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_bus.address().isEmpty());
        AccountsTest::SetUp();
        knvt::KeychainBackend::setShared(nullptr);
    }

    knvt::test::BusWithoutSecretService m_bus;
};

TEST_F(NoSecretServiceTest, SignInAndTheFailureWindowSaySoAndTheRunKeepsThePassword)
{
    fake.on("GET", "/account.json").json(200, accountReply());
    KNVTPreferenceWindowController window({}, &store());
    window.show();
    window.accountToolbarItem()->trigger();
    QWidget *signIn = window.currentViewController()->view();
    signIn->findChild<QLineEdit *>(QStringLiteral("usernameTextField"))->setText(QStringLiteral("ann"));
    signIn->findChild<QLineEdit *>(QStringLiteral("passwordSecureTextField"))->setText(QStringLiteral("secret1"));
    signIn->findChild<QPushButton *>(QStringLiteral("signInButton"))->click();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return store().isConfigured(); }));
    const QString notStored =
        QStringLiteral("The password could not be stored in the keyring: no Secret Service (keyring) is available.");
    ASSERT_TRUE(knvt::test::waitUntil([&] {
        auto *line = window.currentViewController()->view()->findChild<QLabel *>(QStringLiteral("messageLabel"));
        return line && line->text() == notStored && !line->isHidden();
    }));
    EXPECT_EQ(store().HTTPHeaderFields().value(QStringLiteral("Authorization")),
              QStringLiteral("Basic ") + QString::fromLatin1(QByteArray("ann:secret1").toBase64()));

    // The failure window keeps a new password the service took the same way, says why, and the requests carry it.
    store().setAuthenticationFailureDate(m_clock.now());
    KNVTAuthenticationFailureWindowController failure(&store());
    failure.findChild<QLineEdit *>(QStringLiteral("passwordSecureTextField"))->setText(QStringLiteral("newpass2"));
    failure.findChild<QPushButton *>(QStringLiteral("saveButton"))->click();
    auto *message = failure.findChild<QLabel *>(QStringLiteral("messageLabel"));
    ASSERT_TRUE(knvt::test::waitUntil([&] { return message->text() == notStored; })) << qPrintable(message->text());
    EXPECT_TRUE(store().isAuthenticated());
    EXPECT_EQ(store().HTTPHeaderFields().value(QStringLiteral("Authorization")),
              QStringLiteral("Basic ") + QString::fromLatin1(QByteArray("ann:newpass2").toBase64()));
    EXPECT_FALSE(QFile::exists(m_bus.markerPath())) << "nothing asked the bus to start a keyring";
}

TEST_F(NoSecretServiceTest, AtTheStartTheFailureWindowSaysNoPasswordIsStoredAndOneTypedIsKeptUntilQuit)
{
    configureAccount();
    KNVTAuthenticationFailureWindowController failure(&store());
    EXPECT_EQ(failure.findChild<QLabel *>(QStringLiteral("messageLabel"))->text(),
              QStringLiteral("No password is stored for the account ann: no Secret Service (keyring) is available."));
    EXPECT_EQ(failure.findChild<QLabel *>(QStringLiteral("explanationLabel"))->text(),
              QStringLiteral("Type your password; it will be kept until you quit."));
}
