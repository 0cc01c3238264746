// The window of the two pages.
#include "AccountsTest.h"

#include "accounts/KNVTSignInAndSignUpWindowController.h"
#include "accounts/KNVTSignInViewController.h"
#include "accounts/KNVTSignUpViewController.h"

#include "support/RecordingUrlOpener.h"

#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

namespace {

struct RecordingWindowDelegate final : KNVTSignInAndSignUpWindowControllerDelegate
{
    void signInAndSignUpWindowControllerDidSignIn(KNVTSignInAndSignUpWindowController *) override
    {
        messages << "signedIn";
    }
    void signInAndSignUpWindowControllerDidCancel(KNVTSignInAndSignUpWindowController *) override
    {
        messages << "cancel";
    }
    QStringList messages;
};

} // namespace

class SignInAndSignUpWindowTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        window.setSignInAndSignUpWindowControllerDelegate(&delegate);
        window.window()->show();
    }

    QPushButton *button(QWidget *page, const char *name)
    {
        return page->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    RecordingWindowDelegate delegate;
    knvt::test::RecordingUrlOpener opener;
    KNVTSignInAndSignUpWindowController window{nullptr};
};

TEST_F(SignInAndSignUpWindowTest, PagesSwapAroundTheTopEdgeAndTheSignUpFormKeepsItsTexts)
{
    QWidget *signInPage = window.signInViewController()->view();
    const QRect start = window.window()->geometry();
    button(signInPage, "createAccountButton")->click();
    KNVTSignUpViewController *signUp = window.signUpViewController();
    ASSERT_NE(signUp, nullptr);
    const QRect grown = window.window()->geometry();
    EXPECT_EQ(grown.top(), start.top());
    EXPECT_NEAR(grown.center().x(), start.center().x(), 1);
    EXPECT_GT(grown.height(), start.height());
    EXPECT_TRUE(signInPage->isHidden());
    EXPECT_FALSE(signUp->view()->isHidden());

    signUp->view()->findChild<QLineEdit *>(QStringLiteral("firstNameTextField"))->setText(QStringLiteral("Mika"));
    button(signUp->view(), "cancelButton")->click();
    EXPECT_EQ(window.window()->geometry(), start);
    button(signInPage, "createAccountButton")->click();
    EXPECT_EQ(window.signUpViewController(), signUp);
    EXPECT_EQ(signUp->view()->findChild<QLineEdit *>(QStringLiteral("firstNameTextField"))->text(),
              QStringLiteral("Mika"));

    button(signUp->view(), "viewTermsAndConditionsButton")->click();
    button(signUp->view(), "cancelButton")->click();
    button(signInPage, "forgottenPasswordButton")->click();
    EXPECT_EQ(opener.opened(),
              QList<QUrl>({QUrl(fake.baseURL().chopped(7) + "/terms_and_conditions"),
                           QUrl(fake.baseURL().chopped(7) + "/forgotten_password")}));
    button(signInPage, "cancelButton")->click();
    EXPECT_EQ(delegate.messages, QStringList{"cancel"});
}

TEST_F(SignInAndSignUpWindowTest, ASignUpReportsASignIn)
{
    fake.on("POST", "/accounts.json").json(202, accountReply(QStringLiteral("mikar1")));
    button(window.signInViewController()->view(), "createAccountButton")->click();
    QWidget *page = window.signUpViewController()->view();
    const auto set = [page](const char *name, const QString &text) {
        page->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
    };
    set("firstNameTextField", QStringLiteral("Mika"));
    set("lastNameTextField", QStringLiteral("Rautio"));
    set("usernameTextField", QStringLiteral("mikar1"));
    set("emailAddressTextField", QStringLiteral("m@example.com"));
    set("passwordSecureTextField", QStringLiteral("secret1"));
    set("passwordConfirmationSecureTextField", QStringLiteral("secret1"));
    page->findChild<QAbstractButton *>(QStringLiteral("termsAndConditionsCheckBoxButton"))->click();
    button(page, "signUpButton")->click();
    ASSERT_TRUE(waitUntil([this] { return !delegate.messages.isEmpty(); }));
    EXPECT_EQ(delegate.messages, QStringList{"signedIn"});
}
