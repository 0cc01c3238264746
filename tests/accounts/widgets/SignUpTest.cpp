// The sign-up form against the fake service.
#include "AccountsTest.h"

#include "accounts/KNVTSignUpViewController.h"

#include "uikit/KNVTImageView.h"

#include "support/ChosenFileImagePicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

namespace {

struct RecordingSignUpDelegate final : KNVTSignUpViewControllerDelegate
{
    void signUpViewControllerDidSuccessfullySignUp(KNVTSignUpViewController *) override { messages << "signedUp"; }
    void signUpViewControllerDidCancel(KNVTSignUpViewController *) override { messages << "cancel"; }
    void signUpViewControllerDidSelectTermsAndConditions(KNVTSignUpViewController *) override { messages << "terms"; }
    QStringList messages;
};

} // namespace

class SignUpTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        form = std::make_unique<KNVTSignUpViewController>(&store());
        form->setSignUpViewControllerDelegate(&delegate);
        form->view();
    }

    template <class T = QLineEdit>
    T *widget(const char *name)
    {
        return child<T>(form->view(), name);
    }
    QPushButton *signUpButton() { return widget<QPushButton>("signUpButton"); }
    QLabel *line() { return widget<QLabel>("progressLabel"); }

    // Every field acceptable, the terms not yet accepted.
    void fillIn()
    {
        widget("firstNameTextField")->setText(QStringLiteral("Mika"));
        widget("lastNameTextField")->setText(QStringLiteral("Rautio"));
        widget("usernameTextField")->setText(QStringLiteral("mikar1"));
        widget("emailAddressTextField")->setText(QStringLiteral("mika@example.com"));
        widget("passwordSecureTextField")->setText(QStringLiteral("secret1"));
        widget("passwordConfirmationSecureTextField")->setText(QStringLiteral("secret1"));
    }
    void acceptTerms() { widget<QCheckBox>("termsAndConditionsCheckBoxButton")->click(); }
    void signUpWithReply(int status, const QByteArray &body)
    {
        fake.on("POST", "/accounts.json").json(status, body);
        fillIn();
        acceptTerms();
        ASSERT_TRUE(signUpButton()->isEnabled());
        signUpButton()->click();
        ASSERT_TRUE(waitUntil([this] { return !form->isRunning(); }));
    }

    RecordingSignUpDelegate delegate;
    std::unique_ptr<KNVTSignUpViewController> form;
};

TEST_F(SignUpTest, SignUpIsOfferedOnlyForAcceptableFieldsAndAcceptedTerms)
{
    fillIn();
    EXPECT_FALSE(signUpButton()->isEnabled()) << "terms not accepted";
    acceptTerms();
    EXPECT_TRUE(signUpButton()->isEnabled());

    struct Case
    {
        const char *field;
        QString text;
        bool enabled;
    };
    const Case cases[] = {
        {"usernameTextField", QString(5, u'a'), false}, {"usernameTextField", QString(6, u'a'), true},
        {"usernameTextField", QString(32, u'a'), true}, {"usernameTextField", QString(33, u'a'), false},
        {"firstNameTextField", QString(), false},       {"lastNameTextField", QString(), false},
        {"emailAddressTextField", QString(), false},    {"passwordSecureTextField", QStringLiteral("secret2"), false},
    };
    for (const Case &c : cases) {
        fillIn();
        widget(c.field)->setText(c.text);
        EXPECT_EQ(signUpButton()->isEnabled(), c.enabled) << c.field << ' ' << c.text.size();
    }
    fillIn();
    widget("passwordSecureTextField")->setText(QString(33, u'p'));
    widget("passwordConfirmationSecureTextField")->setText(QString(33, u'p'));
    EXPECT_FALSE(signUpButton()->isEnabled());
    widget("passwordSecureTextField")->setText(QString(5, u'p'));
    widget("passwordConfirmationSecureTextField")->setText(QString(5, u'p'));
    EXPECT_FALSE(signUpButton()->isEnabled());
}

TEST_F(SignUpTest, TheRequestCarriesTheFormAndTheChosenPictureAndSignsIn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("me.png"));
    picture({300, 200}, QColor(10, 200, 30)).save(path);
    knvt::test::ChosenFileImagePicker picker;
    // A file that is no picture is named as such.
    QFile notes(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("Buy milk") > 0);
    notes.close();
    picker.choose(notes.fileName());
    widget<QPushButton>("avatarPickerButton")->click();
    EXPECT_EQ(widget<QLabel>("progressLabel")->text(),
              QStringLiteral("“notes.txt” is not a picture. Choose a PNG, JPEG, GIF, BMP or WebP file."));
    picker.choose(path);
    widget<QPushButton>("avatarPickerButton")->click();
    ASSERT_EQ(widget<KNVTImageView>("avatarImageView")->image().size(), QSize(200, 200));
    widget<QCheckBox>("marketingCheckBoxButton")->click();
    auto *countries = widget<QComboBox>("locationPopUpButton");
    EXPECT_EQ(countries->currentData().toString(), QStringLiteral("US")) << "the user's own country first";

    signUpWithReply(202, accountReply(QStringLiteral("mikar1")));
    const auto request = *fake.lastRequest("POST", "/accounts.json");
    EXPECT_EQ(request.query, QByteArray("include=owner"));
    EXPECT_EQ(request.header("Content-Type"), QByteArray("application/json"));
    EXPECT_FALSE(request.hasHeader("Authorization"));
    EXPECT_EQ(request.header("X-Application-Identifier"), QByteArray(KNVT_APP_ID));
    const QJsonObject owner = request.json().object().value("account").toObject().value("owner").toObject();
    const QByteArray avatar = QByteArray::fromBase64(owner.value("avatar_data").toString().toLatin1());
    QImage sent;
    ASSERT_TRUE(sent.loadFromData(avatar, "PNG"));
    EXPECT_EQ(sent.size(), QSize(200, 200));
    EXPECT_EQ(QColor(sent.pixel(100, 100)), QColor(10, 200, 30));
    QJsonObject rest = owner;
    rest.remove("avatar_data");
    EXPECT_EQ(rest,
              QJsonObject({{"first_name", "Mika"},
                           {"last_name", "Rautio"},
                           {"username", "mikar1"},
                           {"email", "mika@example.com"},
                           {"password", "secret1"},
                           {"password_confirmation", "secret1"},
                           {"country_code", "US"},
                           {"receive_marketing_information", true}}));

    EXPECT_EQ(delegate.messages, QStringList{"signedUp"});
    EXPECT_TRUE(store().isConfigured());
    EXPECT_EQ(storedPassword(QStringLiteral("mikar1")), QStringLiteral("secret1"));
}

TEST_F(SignUpTest, WithoutAPictureNoPictureIsSentAnd200SignsInToo)
{
    signUpWithReply(200, accountReply(QStringLiteral("mikar1")));
    const QJsonObject owner = fake.lastRequest("POST", "/accounts.json")
                                  ->json()
                                  .object()
                                  .value("account")
                                  .toObject()
                                  .value("owner")
                                  .toObject();
    EXPECT_FALSE(owner.contains("avatar_data"));
    EXPECT_EQ(owner.value("receive_marketing_information"), QJsonValue(false));
    EXPECT_EQ(delegate.messages, QStringList{"signedUp"});
}

TEST_F(SignUpTest, RefusalsShowTheServicesReasonAndLeaveTheFormEditable)
{
    struct Case
    {
        int status;
        QByteArray body;
        QString message;
    };
    const Case cases[] = {
        {201, accountReply(QStringLiteral("mikar1")), QStringLiteral("Unable to create account.")},
        {422, R"({"username":["has already been taken"],"email":["is invalid"]})",
         QStringLiteral("Unable to create an account as the username \"mikar1\" is already taken.")},
        {422, R"({"email":["is associated with another account"]})",
         QStringLiteral("Unable to create an account as that email address \"mika@example.com\" is already associated "
                        "with an account.")},
        {503, "<html>down</html>",
         QStringLiteral("We are currently unable to create new accounts as the service is down for maintenance. "
                        "Please try again in a few minutes.")},
        {200, R"({"account":{}})", QStringLiteral("Unable to create account.")},
    };
    for (const Case &c : cases) {
        fake.on("POST", "/accounts.json").clear();
        widget<QCheckBox>("termsAndConditionsCheckBoxButton")->setChecked(false);
        signUpWithReply(c.status, c.body);
        EXPECT_EQ(line()->text(), c.message) << c.status;
        EXPECT_TRUE(widget("usernameTextField")->isEnabled());
        EXPECT_TRUE(widget<QPushButton>("cancelButton")->isEnabled());
        EXPECT_TRUE(signUpButton()->isEnabled());
    }
    EXPECT_TRUE(delegate.messages.isEmpty());
    EXPECT_FALSE(store().isConfigured());
    EXPECT_TRUE(storedPassword(QStringLiteral("mikar1")).isNull());
}

TEST_F(SignUpTest, TheTermsBoxCannotStartASecondRequestWhileOneRuns)
{
    fake.on("POST", "/accounts.json").json(422, R"({"username":["has already been taken"]})").hold();
    fillIn();
    acceptTerms();
    signUpButton()->click();
    EXPECT_EQ(line()->text(), QStringLiteral("Creating account..."));
    EXPECT_FALSE(widget<QPushButton>("cancelButton")->isEnabled());
    auto *terms = widget<QCheckBox>("termsAndConditionsCheckBoxButton");
    EXPECT_TRUE(terms->isEnabled());
    terms->click();
    terms->click();
    EXPECT_FALSE(signUpButton()->isEnabled());
    terms->click();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("POST", "/accounts.json"); }));
    fake.release("POST", "/accounts.json");
    ASSERT_TRUE(waitUntil([this] { return !form->isRunning(); }));
    EXPECT_EQ(fake.count("POST", "/accounts.json"), 1);
    EXPECT_FALSE(signUpButton()->isEnabled()) << "the terms were unticked meanwhile";
}

TEST_F(SignUpTest, AfterAConnectionFailureCancelLeavesTheForm)
{
    fake.stop();
    fillIn();
    acceptTerms();
    signUpButton()->click();
    ASSERT_TRUE(waitUntil([this] { return !form->isRunning(); }));
    EXPECT_EQ(line()->text(), QStringLiteral("Unable to create account as the connection failed."));
    widget<QPushButton>("cancelButton")->click();
    widget<QPushButton>("viewTermsAndConditionsButton")->click();
    EXPECT_EQ(delegate.messages, QStringList({"cancel", "terms"}));
}
