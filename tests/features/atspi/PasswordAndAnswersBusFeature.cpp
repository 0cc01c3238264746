// What a program listening on the accessibility bus hears while the user types a password, and what a screen reader
// hears of the answers a window gives in place (inside scripts/with-x11 and scripts/with-atspi).

#include "../AppDriver.h"
#include "BusReader.h"

#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include "app/KNVTTasksAppDelegate.h"

#include "accounts/KNVTSignInAndSignUpWindowController.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using knvt::features::AppDriver;
using knvt::test::BusReader;

namespace {

class PasswordAndAnswersBusFeature : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")
            || !qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
            GTEST_SKIP() << "needs the X server and the accessibility bus of scripts/with-x11 and scripts/with-atspi";
    }
};

// The shown field named `name` of the active window.
QLineEdit *shownField(const char *name)
{
    QLineEdit *found = nullptr;
    knvt::test::waitUntil([&] {
        QWidget *window = QApplication::activeWindow();
        if (window == nullptr)
            return false;
        for (QLineEdit *field : window->findChildren<QLineEdit *>(QString::fromLatin1(name)))
            if (field->isVisible())
                found = field;
        return found != nullptr;
    });
    return found;
}

// The events of `events` about a password field.
QStringList aboutPasswords(const QStringList &events)
{
    return events.filter(QStringLiteral("\tpassword text "));
}

// The events and answers of `heard` that carry one of the characters of `secret`.
QStringList carrying(const QStringList &heard, const QString &secret)
{
    QStringList found;
    for (const QString &line : heard) {
        const QString data = line.section(QLatin1Char('\t'), -1);
        if (std::any_of(secret.begin(), secret.end(), [&](QChar c) { return data.contains(c); }))
            found << line;
    }
    return found;
}

} // namespace

// Each password field of the application, typed into, edited and typed over: a listener hears that something was
// typed, never what.
TEST_F(PasswordAndAnswersBusFeature, APasswordTypedPutsNoneOfItsCharactersOnTheBus)
{
    const struct
    {
        const char *what;
        std::function<void(AppDriver &)> launch;
        // Brings the user to the window of the field; holds what the window needs.
        std::function<std::shared_ptr<void>(AppDriver &)> open;
        const char *field;
        QString asRead;
    } fields[] = {
        {"the password window",
         [](AppDriver &app) {
             app.service().enableState();
             app.service().on("GET", "/account.json").reply(401).pass();
             app.givenSignedIn(QStringLiteral("mika.r"), QStringLiteral("secret1"), true);
             app.launch();
         },
         [](AppDriver &app) {
             app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.goToThePasswordWindow();
             return std::shared_ptr<void>();
         },
         "passwordSecureTextField", QStringLiteral("password text Password:")},
        {"the Account pane's sign-in", [](AppDriver &app) { app.launch(); },
         [](AppDriver &app) {
             app.openPreferences();
             app.choosePreferencePane("Account");
             return std::shared_ptr<void>();
         },
         "passwordSecureTextField", QStringLiteral("password text Password:")},
        {"Sign In Again",
         [](AppDriver &app) {
             app.service().enableState();
             app.service().on("GET", "/account.json").reply(401).pass();
             app.givenSignedIn(QStringLiteral("mika.r"), QStringLiteral("secret1"), true);
             app.launch();
         },
         [](AppDriver &app) {
             app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.goToThePasswordWindow();
             app.clickButton("cancelButton");
             knvt::test::waitUntil([&] { return app.app().authenticationFailureWindowController() == nullptr; });
             app.openPreferences();
             app.choosePreferencePane("Account");
             app.clickButton("authenticateAccountButton");
             return std::shared_ptr<void>();
         },
         "passwordSecureTextField", QStringLiteral("password text Password:")},
        {"Sign In", [](AppDriver &app) { app.launch(); },
         [](AppDriver &app) {
             auto window = std::make_shared<KNVTSignInAndSignUpWindowController>();
             window->window()->show();
             app.bringToFront(window->window());
             return std::shared_ptr<void>(window);
         },
         "passwordSecureTextField", QStringLiteral("password text Password:")},
        {"Sign Up", [](AppDriver &app) { app.launch(); },
         [](AppDriver &app) {
             auto window = std::make_shared<KNVTSignInAndSignUpWindowController>();
             window->window()->show();
             app.bringToFront(window->window());
             app.clickButton(QStringLiteral("createAccountButton"));
             return std::shared_ptr<void>(window);
         },
         "passwordConfirmationSecureTextField", QStringLiteral("password text Confirm Password:")},
    };
    // No digit: a caret's event carries its place as digits.
    const QString secret = QStringLiteral("QZX#JW");
    for (const auto &place : fields) {
        SCOPED_TRACE(place.what);
        AppDriver app;
        place.launch(app);
        BusReader reader;
        ASSERT_TRUE(reader.isReady());
        const std::shared_ptr<void> window = place.open(app);
        QLineEdit *field = shownField(place.field);
        ASSERT_NE(field, nullptr);
        AppDriver::clickWhereItShows(field, field->rect().center());
        ASSERT_EQ(reader.focusOnceItReads(place.asRead), place.asRead);
        reader.textEvents();

        // Typed, a character taken back, a character put in the middle, then typed over.
        app.typeWhereTheFocusIs(secret.left(4));
        app.pressWhereTheFocusIs("Backspace");
        app.pressWhereTheFocusIs("Left");
        app.typeWhereTheFocusIs(secret.mid(3, 1));
        app.pressWhereTheFocusIs("Ctrl+A");
        app.typeWhereTheFocusIs(secret.mid(4));
        app.pressWhereTheFocusIs("Shift+Home");
        ASSERT_TRUE(knvt::test::waitUntil([&] { return field->text() == secret.mid(4); }))
            << field->text().toStdString();

        QStringList heard;
        // The listener heard the typing: the last character's insertion, as a mask.
        EXPECT_TRUE(knvt::test::waitUntil([&] {
            heard << aboutPasswords(reader.textEvents());
            return heard.filter(QStringLiteral("object:text-changed:insert")).size() >= 5;
        })) << heard.join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(carrying(heard, secret), QStringList());
        // Keys typed while the window the user went to shows again reach the field before the window has the focus back.
        ASSERT_EQ(reader.focusOnceItReads(place.asRead), place.asRead);
        const std::optional<QStringList> answers = reader.textAnswers();
        ASSERT_TRUE(answers.has_value()) << "the field answered the reader";
        EXPECT_EQ(carrying(*answers, secret), QStringList());
    }
}

namespace {

// What the reader heard of the windows and the focus until `done` holds, or a while.
struct Heard
{
    QStringList windows;
    QStringList focus;
    QStringList announced;
};

Heard heardUntil(BusReader &reader, const std::function<bool(const Heard &)> &done)
{
    Heard heard;
    knvt::test::waitUntil([&] {
        heard.windows << reader.windowsHeard();
        heard.focus << reader.focusHeard();
        heard.announced << reader.announced();
        return done(heard);
    });
    return heard;
}

} // namespace

// Each answer of Add Friend is read wherever the user is, and the keyboard stays in the user name for the next.
TEST_F(PasswordAndAnswersBusFeature, AddFriendsAnswersAreHeardAndTheKeyboardStaysInTheUsername)
{
    AppDriver app;
    app.givenSignedIn();
    app.service()
        .on("POST", "/friendships.json")
        .json(200,
              knvt::test::body(knvt::test::friendship(80, 42, 43, QStringLiteral("pending"), 1,
                                                      {{"invitee", knvt::test::user(43, "bea")}})))
        .json(422, R"({"invitee":["not found"]})")
        .json(401, "{}");
    app.launch();
    BusReader reader;
    ASSERT_TRUE(reader.isReady());
    app.openPeopleWindow();
    app.clickButton(QStringLiteral("addUserButton"));
    ASSERT_EQ(reader.focusOnceItReads("text Username"), "text Username");
    const QStringList answers{
        QStringLiteral("You Successfully invited bea!"),
        QStringLiteral("Unable to invite, please check that the username you have entered is correct."),
        QStringLiteral("Unable to authenticate.")};
    for (const QString &answer : answers) {
        SCOPED_TRACE(answer.toStdString());
        reader.focusHeard();
        reader.announced();
        app.typeWhereTheFocusIs(QStringLiteral("bea"));
        app.pressWhereTheFocusIs("Return");
        const Heard heard = heardUntil(reader, [&](const Heard &now) { return now.announced.contains(answer); });
        EXPECT_TRUE(heard.announced.contains(answer)) << heard.announced.join(" | ").toStdString();
        // A refused password asks for it again in a window that waits beside the sheet.
        EXPECT_EQ(heard.focus, QStringList()) << "the keyboard never left the user name";
        EXPECT_EQ(reader.focusOnceItReads("text Username"), "text Username");
        app.pressWhereTheFocusIs("Ctrl+A");
        app.pressWhereTheFocusIs("Backspace");
    }
}
