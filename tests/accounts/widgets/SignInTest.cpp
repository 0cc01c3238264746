// The sign-in form of the sign-in window and of the Account pane, against the fake service.
#include "AccountsTest.h"

#include "accounts/KNVTSignInViewController.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "service/KNVTRequest.h"
#include "uikit/KNVTProgressIndicator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

namespace {

struct RecordingSignInDelegate final : KNVTSignInViewControllerDelegate
{
    void signInViewControllerDidSuccessfullySignIn(KNVTSignInViewController *) override { messages << "signedIn"; }
    void signInViewControllerDidSelectCreateAccount(KNVTSignInViewController *) override { messages << "create"; }
    void signInViewControllerDidSelectForgottenPassword(KNVTSignInViewController *) override
    {
        messages << "forgotten";
    }
    void signInViewControllerDidSelectCancel(KNVTSignInViewController *) override { messages << "cancel"; }
    QStringList messages;
};

} // namespace

class SignInTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        form = std::make_unique<KNVTSignInViewController>(KNVTSignInViewController::Style::Window, &store());
        form->setSignInViewControllerDelegate(&delegate);
        form->view();
    }

    template <class T = QWidget>
    T *widget(const char *name)
    {
        return child<T>(form->view(), name);
    }
    QLabel *line() { return widget<QLabel>("progressLabel"); }
    QPushButton *signInButton() { return widget<QPushButton>("signInButton"); }

    void signIn(const QString &username, const QString &password)
    {
        form->usernameTextField()->setText(username);
        form->passwordSecureTextField()->setText(password);
        ASSERT_TRUE(signInButton()->isEnabled());
        signInButton()->click();
    }
    bool waitForEnd()
    {
        return waitUntil([this] { return !form->isRunning(); });
    }
    // Whether both fields take typing: while the check runs the password is only read, keeping the keyboard.
    bool fieldsEnabled()
    {
        return form->usernameTextField()->isEnabled() && form->passwordSecureTextField()->isEnabled()
            && !form->passwordSecureTextField()->isReadOnly();
    }

    RecordingSignInDelegate delegate;
    std::unique_ptr<KNVTSignInViewController> form;
};

TEST_F(SignInTest, AcceptedCredentialsAreKeptAndConfigureTheAccountWhileTheFormStaysBusy)
{
    fake.on("GET", "/account.json").json(200, accountReply());
    EXPECT_FALSE(signInButton()->isEnabled()) << "empty fields";
    EXPECT_TRUE(line()->isHidden());
    signIn(QStringLiteral("ann"), QStringLiteral("pass word 1"));

    EXPECT_EQ(line()->text(), QStringLiteral("Verifying username and password..."));
    EXPECT_TRUE(widget<KNVTProgressIndicator>("progressIndicator")->isAnimating());
    EXPECT_FALSE(fieldsEnabled());
    EXPECT_FALSE(widget<QPushButton>("createAccountButton")->isEnabled());
    EXPECT_TRUE(widget<QPushButton>("cancelButton")->isEnabled());
    ASSERT_TRUE(waitForEnd());

    ASSERT_EQ(fake.count("GET", "/account.json"), 1);
    const auto request = *fake.lastRequest("GET", "/account.json");
    EXPECT_EQ(request.query, QByteArray("include=owner"));
    EXPECT_EQ(request.header("Authorization"), QByteArray("Basic ") + QByteArray("ann:pass word 1").toBase64());
    EXPECT_EQ(request.header("X-Application-Identifier"), QByteArray(KNVT_APP_ID));
    EXPECT_EQ(request.header("X-Application-Version"), QByteArray(KNVT_APP_BUILD));
    EXPECT_FALSE(request.hasHeader("Content-Type"));
    EXPECT_TRUE(request.body.isEmpty());

    EXPECT_EQ(delegate.messages, QStringList{"signedIn"});
    EXPECT_TRUE(store().isConfigured());
    EXPECT_EQ(store().username(), QStringLiteral("ann"));
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("pass word 1"));
    EXPECT_FALSE(store().isAutoSyncEnabled()) << "signing in leaves automatic sync alone";
    EXPECT_EQ(line()->text(), QStringLiteral("Verifying username and password...")) << "the host takes over";
    EXPECT_FALSE(fieldsEnabled());
}

// A user name pasted with spaces around it signs in as the name; the password keeps its spaces.
TEST_F(SignInTest, TheUserNameIsSentAndKeptWithoutTheSpacesAroundIt)
{
    fake.on("GET", "/account.json").json(200, accountReply());
    signIn(QStringLiteral(" ann\t"), QStringLiteral(" pass 1 "));
    ASSERT_TRUE(waitForEnd());
    ASSERT_EQ(fake.count("GET", "/account.json"), 1);
    EXPECT_EQ(fake.lastRequest("GET", "/account.json")->header("Authorization"),
              QByteArray("Basic ") + QByteArray("ann: pass 1 ").toBase64());
    EXPECT_EQ(delegate.messages, QStringList{"signedIn"});
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral(" pass 1 "));
}

TEST_F(SignInTest, RefusalsShowTheirTextStoreNothingAndWaitForAnEdit)
{
    fake.on("GET", "/account.json").json(401, R"({"error":"unauthorized"})").json(503, "{}");
    signIn(QStringLiteral("ann"), QStringLiteral("wrong"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(line()->text(), QStringLiteral("Unable to verify your username and password."));
    EXPECT_FALSE(line()->isHidden());
    EXPECT_TRUE(fieldsEnabled());
    EXPECT_FALSE(signInButton()->isEnabled()) << "the same credentials are not sent twice";
    EXPECT_FALSE(widget<KNVTProgressIndicator>("progressIndicator")->isAnimating());
    EXPECT_FALSE(store().isConfigured());
    EXPECT_TRUE(storedPassword(QStringLiteral("ann")).isNull());

    form->passwordSecureTextField()->setText(QStringLiteral("wrong2"));
    EXPECT_TRUE(signInButton()->isEnabled());
    signInButton()->click();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(line()->text(),
              QStringLiteral("We are unable to verify your username and password at the moment, as the "
                             "service is currently down for maintenance. Please try again in a few "
                             "minutes."));
    EXPECT_FALSE(store().isConfigured());
}

TEST_F(SignInTest, AnAcceptedAnswerWithoutTheAccountIsARefusal)
{
    fake.on("GET", "/account.json").json(200, R"({"account":{}})");
    signIn(QStringLiteral("ann"), QStringLiteral("secret1"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(line()->text(), QStringLiteral("Unable to verify your username and password."));
    EXPECT_TRUE(fieldsEnabled());
    EXPECT_TRUE(delegate.messages.isEmpty());
    EXPECT_FALSE(store().isConfigured());
    EXPECT_TRUE(storedPassword(QStringLiteral("ann")).isNull());
}

TEST_F(SignInTest, NoAnswerInTimeOrNoServiceIsAConnectionFailure)
{
    fake.on("GET", "/account.json").json(200, accountReply()).hold();
    signIn(QStringLiteral("ann"), QStringLiteral("secret1"));
    // The check gives up after a third of the lowered request time-out.
    ASSERT_TRUE(waitUntil([this] { return !form->isRunning(); }, std::chrono::seconds(10)));
    EXPECT_EQ(line()->text(), QStringLiteral("Unable to verify username and password as the connection failed."));
    EXPECT_TRUE(fieldsEnabled());
    EXPECT_TRUE(signInButton()->isEnabled());
    fake.releaseAll();

    fake.stop();
    signInButton()->click();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(line()->text(), QStringLiteral("Unable to verify username and password as the connection failed."));
    EXPECT_FALSE(store().isConfigured());
}

TEST_F(SignInTest, CancelDuringTheCheckEmptiesTheLineAndItsLateAnswerChangesNothing)
{
    fake.on("GET", "/account.json").json(200, accountReply()).hold();
    signIn(QStringLiteral("ann"), QStringLiteral("secret1"));
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));
    widget<QPushButton>("cancelButton")->click();
    EXPECT_FALSE(form->isRunning());
    EXPECT_TRUE(line()->text().isEmpty());
    EXPECT_TRUE(line()->isHidden());
    EXPECT_TRUE(fieldsEnabled());
    EXPECT_TRUE(signInButton()->isEnabled());
    EXPECT_TRUE(delegate.messages.isEmpty()) << "a running check is cancelled, not the form";

    fake.release("GET", "/account.json");
    QTest::qWait(300);
    EXPECT_FALSE(store().isConfigured());
    EXPECT_TRUE(storedPassword(QStringLiteral("ann")).isNull());
    EXPECT_TRUE(line()->text().isEmpty());

    widget<QPushButton>("cancelButton")->click();
    widget<QPushButton>("createAccountButton")->click();
    widget<QPushButton>("forgottenPasswordButton")->click();
    EXPECT_EQ(delegate.messages, QStringList({"cancel", "create", "forgotten"}));
}

TEST_F(SignInTest, ThePasswordIsKeptUnderTheUserNameTheServiceAnswersAndSignsTheNextSync)
{
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
    fake.enableState();
    fake.on("GET", "/account.json").json(200, accountReply(QStringLiteral("mika.r")));
    storePassword(QStringLiteral("Mika.R"), QStringLiteral("old"));
    storePassword(QStringLiteral("someone"), QStringLiteral("theirs"));
    signIn(QStringLiteral("Mika.R"), QStringLiteral("pass1"));
    ASSERT_TRUE(waitForEnd());
    ASSERT_EQ(store().username(), QStringLiteral("mika.r"));
    EXPECT_EQ(storedPassword(QStringLiteral("mika.r")), QStringLiteral("pass1"));
    EXPECT_EQ(storedPassword(QStringLiteral("someone")), QStringLiteral("theirs")) << "other accounts stay";
    EXPECT_EQ(fake.requests("GET", "/account.json").front().header("Authorization"),
              QByteArray("Basic ") + QByteArray("Mika.R:pass1").toBase64())
        << "the check itself sends the name as typed";

    store().setAutoSyncEnabled(true);
    ASSERT_TRUE(waitUntil([this] { return fake.count("GET", "/account.json") >= 2; }));
    EXPECT_EQ(fake.requests("GET", "/account.json").at(1).header("Authorization"),
              QByteArray("Basic ") + QByteArray("mika.r:pass1").toBase64());
    store().setAutoSyncEnabled(false);
}

TEST_F(SignInTest, SignInIsOfferedWhenBothFieldsHoldTextSpacesIncluded)
{
    form->usernameTextField()->setText(QStringLiteral(" "));
    EXPECT_FALSE(signInButton()->isEnabled());
    form->passwordSecureTextField()->setText(QStringLiteral(" "));
    EXPECT_TRUE(signInButton()->isEnabled());
    form->usernameTextField()->clear();
    EXPECT_FALSE(signInButton()->isEnabled());
    EXPECT_EQ(form->passwordSecureTextField()->echoMode(), QLineEdit::Password);

    KNVTSignInViewController pane(KNVTSignInViewController::Style::Pane, &store());
    EXPECT_EQ(pane.view()->findChild<QPushButton *>(QStringLiteral("cancelButton")), nullptr);
    EXPECT_EQ(pane.view()->findChild<QPushButton *>(QStringLiteral("createAccountButton")), nullptr);
}

TEST_F(SignInTest, ReleasingTheFormDuringTheCheckStopsIt)
{
    fake.on("GET", "/account.json").json(200, accountReply()).hold();
    signIn(QStringLiteral("ann"), QStringLiteral("secret1"));
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));
    form.reset();
    fake.release("GET", "/account.json");
    QTest::qWait(300);
    EXPECT_FALSE(store().isConfigured());
}
