// A sign-in against the fake service keeps the password in a real Secret Service (run under scripts/with-keyring),
// where other programs find it under the service "Hollowpine" and the account's user name.
#include "widgets/AccountsTest.h"

#include "accounts/KNVTSignInViewController.h"

#include "foundation/KeychainBackend.h"

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
