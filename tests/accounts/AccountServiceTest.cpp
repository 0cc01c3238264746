// The account forms' requests and the reading of the service's answers, without a form.
#include "accounts/AccountService.h"
#include "accounts/CountryList.h"
#include "accounts/ImagePicker.h"
#include "accounts/TextFolding.h"

#include "service/KNVTRequest.h"

#include <QImage>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const knvt::RejectionTexts kSignUpTexts{QStringLiteral("maintenance"),    QStringLiteral("generic"),
                                        QStringLiteral("user %1 taken"),  QStringLiteral("user %1 invalid"),
                                        QStringLiteral("email %1 taken"), QStringLiteral("email %1 invalid")};

QString messageFor(int status, const char *body, const knvt::RejectionTexts &texts = kSignUpTexts)
{
    return knvt::rejectionMessage(status, QByteArray(body), QStringLiteral("ann%1"), QStringLiteral("a@b.c"), texts);
}

} // namespace

TEST(AccountService, RejectionsReadTheUserNameErrorsFirstThenTheAddressErrors)
{
    struct Case
    {
        int status;
        const char *body;
        const char *expected;
    };
    const Case cases[] = {
        {503, "down", "maintenance"},
        {500, "down", "generic"},
        {503, R"({"base":["down"]})", "generic"},
        {422, R"({"username":["has already been taken"]})", "user ann%1 taken"},
        {422, R"({"username":["is Invalid"]})", "user ann%1 invalid"},
        {422, R"({"username":["was Taken"]})", "generic"},
        {422, R"({"username":["is invalid","has already been taken"]})", "user ann%1 invalid"},
        {422, R"({"username":["has already been taken"],"email":["is invalid"]})", "user ann%1 taken"},
        {422, R"({"username":["is too short"],"email":["is associated with another account"]})", "email a@b.c taken"},
        {422, R"({"email":["is INVALID"]})", "email a@b.c invalid"},
        {422, R"({"email":"taken"})", "generic"},
        {422, R"({"email":["is not nice"]})", "generic"},
        {201, R"({"account":{"owner":{}}})", "generic"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(messageFor(c.status, c.body), QString::fromLatin1(c.expected)) << c.body;

    // Without the texts of a reason (the account details have no "invalid" texts) the walk goes on.
    knvt::RejectionTexts details = kSignUpTexts;
    details.usernameInvalid = QString();
    details.emailInvalid = QString();
    EXPECT_EQ(messageFor(422, R"({"username":["is invalid"],"email":["has been taken"]})", details),
              QStringLiteral("email a@b.c taken"));
}

TEST(AccountService, TheVerificationIsAnAuthenticatedReadOfTheAccountWithAShorterTimeOut)
{
    KNVTSetSyncServiceAPIURLString(QStringLiteral("http://127.0.0.1:9/api/v1"));
    KNVTRequest::setDefaultTimeoutInterval(3.0);
    const knvt::URLRequest signIn =
        knvt::accountVerificationURLRequest(QStringLiteral(" mika "), QStringLiteral("pass word 1"), true);
    EXPECT_EQ(signIn.url.toString(), QStringLiteral("http://127.0.0.1:9/api/v1/account.json?include=owner"));
    EXPECT_EQ(signIn.method, QStringLiteral("GET"));
    EXPECT_TRUE(signIn.body.isNull());
    EXPECT_EQ(signIn.timeoutMs, 1000);
    EXPECT_EQ(signIn.headerFields.value(QStringLiteral("Authorization")),
              KNVTRequest::basicAuthenticationAuthorizationHeaderFieldForUsername(QStringLiteral(" mika "),
                                                                                  QStringLiteral("pass word 1")));
    EXPECT_EQ(signIn.headerFields.keys(),
              QStringList({"Authorization", "X-Application-Identifier", "X-Application-Version"}));

    const knvt::URLRequest sheet =
        knvt::accountVerificationURLRequest(QStringLiteral("ann"), QStringLiteral("x"), false);
    EXPECT_EQ(sheet.headerFields.keys(), QStringList({"Authorization"}));

    const knvt::URLRequest signUp = knvt::signUpURLRequest(QJsonObject{{"username", "mika"}});
    EXPECT_EQ(signUp.url.toString(), QStringLiteral("http://127.0.0.1:9/api/v1/accounts.json?include=owner"));
    EXPECT_EQ(signUp.method, QStringLiteral("POST"));
    EXPECT_EQ(signUp.timeoutMs, 3000);
    EXPECT_EQ(signUp.headerFields.value(QStringLiteral("Content-Type")), QStringLiteral("application/json"));
    EXPECT_FALSE(signUp.headerFields.contains(QStringLiteral("Authorization")));
    EXPECT_EQ(QJsonDocument::fromJson(signUp.body).object(),
              QJsonObject({{"account", QJsonObject{{"owner", QJsonObject{{"username", "mika"}}}}}}));

    KNVTRequest::setDefaultTimeoutInterval(0);
    KNVTSetSyncServiceAPIURLString(QString());
}

TEST(AccountService, OnlyAnAccountWithAnOwnerSignsIn)
{
    EXPECT_TRUE(knvt::accountWithOwner(R"({"account":{"id":7,"owner":{"id":42,"username":"ann"}}})"));
    EXPECT_TRUE(knvt::accountWithOwner(R"({"account":{"id":"7","owner":{"id":"42","username":"ann"}}})"));
    // What could not configure the store signs nobody in: no account id, no owner id, no user name.
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"owner":{"id":42,"username":"ann"}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":0,"owner":{"id":42,"username":"ann"}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":"seven","owner":{"id":42,"username":"ann"}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":7,"owner":{"username":"ann"}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":7,"owner":{"id":0,"username":"ann"}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":7,"owner":{"id":42}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":7,"owner":{"id":42,"username":""}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":7,"owner":{"id":42,"username":null}}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"id":7}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"({"account":{"owner":"ann"}})"));
    EXPECT_FALSE(knvt::accountWithOwner(R"([{"account":{}}])"));
    EXPECT_FALSE(knvt::accountWithOwner("not json"));
}

TEST(AccountService, SearchesFoldAccentsAndCase)
{
    EXPECT_EQ(knvt::searchFolded(QStringLiteral("Zoë Ångström")), knvt::searchFolded(QStringLiteral("zoe angstrom")));
    EXPECT_EQ(knvt::withoutDiacritics(QStringLiteral("Côte d’Ivoire")), QStringLiteral("Cote d’Ivoire"));
    EXPECT_EQ(knvt::searchFolded(QStringLiteral("STRASSE")), knvt::searchFolded(QStringLiteral("strasse")));
}

TEST(AccountService, CountriesAreTwoLetterCodesSortedByTheirPlainNames)
{
    const QList<knvt::Country> countries = knvt::countries();
    ASSERT_GT(countries.size(), 200);
    for (qsizetype i = 0; i < countries.size(); ++i) {
        EXPECT_EQ(countries[i].code.size(), 2);
        EXPECT_EQ(countries[i].name, knvt::withoutDiacritics(countries[i].name));
        if (i > 0) {
            EXPECT_LE(countries[i - 1].name, countries[i].name);
        }
    }
    const auto ivoryCoast = std::find_if(countries.cbegin(), countries.cend(),
                                         [](const knvt::Country &c) { return c.code == QLatin1String("CI"); });
    ASSERT_NE(ivoryCoast, countries.cend());
    EXPECT_FALSE(ivoryCoast->name.contains(QChar(0x00F4))) << "no accent in Côte";
    EXPECT_EQ(knvt::currentCountryCode(), QStringLiteral("US"));
}

TEST(AccountService, APickedPictureIsTheCentredSquareAtMost1024PixelsWide)
{
    QTemporaryDir dir;
    const auto write = [&dir](const QString &name, QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        // A blue band on the left third: it must be cut off in a landscape picture.
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width() / 6; ++x)
                image.setPixel(x, y, qRgb(0, 0, 255));
        }
        const QString path = dir.filePath(name);
        image.save(path);
        return path;
    };
    const QImage landscape = knvt::ImagePicker::accountImageFromFile(write(QStringLiteral("a.png"), {600, 400}));
    EXPECT_EQ(landscape.size(), QSize(400, 400));
    EXPECT_EQ(QColor(landscape.pixel(0, 200)), QColor(Qt::red));
    EXPECT_EQ(knvt::ImagePicker::accountImageFromFile(write(QStringLiteral("b.png"), {1800, 2400})).size(),
              QSize(1024, 1024));
    EXPECT_TRUE(knvt::ImagePicker::accountImageFromFile(dir.filePath(QStringLiteral("missing.png"))).isNull());
}
