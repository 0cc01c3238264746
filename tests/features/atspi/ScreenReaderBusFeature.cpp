// The running application read over the real accessibility bus, as a screen reader reads it (inside
// scripts/with-x11 and scripts/with-atspi): the controls of every window with their roles, names and descriptions,
// the calendar's days, and where the focus goes after the keys users try.

#include "../AppDriver.h"
#include "BusReader.h"

#include "support/ScopedKeyboardLayout.h"
#include "support/ScopedLocale.h"
#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDUser.h"

#include "uikit/KNVTPreferenceKeys.h"

#include "accounts/ImagePicker.h"
#include "accounts/KNVTSignInAndSignUpWindowController.h"
#include "accounts/KNVTSignInViewController.h"
#include "accounts/KNVTSignUpViewController.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <optional>
#include <ranges>
#include <utility>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

using knvt::features::AppDriver;
using knvt::test::BusElement;
using knvt::test::BusReader;

namespace {

QByteArray accountReply()
{
    return QJsonDocument(knvt::test::account(7, knvt::test::user(42, QStringLiteral("mika.r")), 1))
        .toJson(QJsonDocument::Compact);
}

class ScreenReaderBusFeature : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")
            || !qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
            GTEST_SKIP() << "needs the X server and the accessibility bus of scripts/with-x11 and scripts/with-atspi";
    }

    // The days of the open calendar, as a reader gets them.
    static std::vector<BusElement> calendarCells(const std::vector<BusElement> &controls)
    {
        std::vector<BusElement> cells;
        for (const BusElement &control : controls)
            if (control.role == QStringLiteral("table cell") || control.role == QStringLiteral("column header"))
                cells.push_back(control);
        return cells;
    }
};

} // namespace

TEST_F(ScreenReaderBusFeature, CalendarDaysReadAsFullDatesInTheLocalesDigitsAndWeekdaysAreNoStops)
{
    struct Place
    {
        const char *locale;
        QString sixthOfMarch;
    };
    const Place places[] = {
        {"en_US", QStringLiteral("Friday, March 6, 2015")},
        {"ar_EG", QLocale(QStringLiteral("ar_EG")).toString(QDate(2015, 3, 6), QLocale::LongFormat)},
    };
    for (const Place &place : places) {
        SCOPED_TRACE(place.locale);
        knvt::test::ScopedLocale locale(place.locale);
        AppDriver app;
        app.launch();
        BusReader reader;
        ASSERT_TRUE(reader.isReady());
        app.clickToolbar("New Task");
        app.tick("dueDateCheckBoxButton");
        app.clickButton("dueDateCalendarButton");
        // The reader finds the pop-up once it heard of its focus.
        std::vector<BusElement> cells;
        knvt::test::waitUntil([&] {
            cells = calendarCells(reader.controls());
            return cells.size() >= 28;
        });
        ASSERT_GE(cells.size(), 28u);
        QStringList names;
        for (const BusElement &cell : cells) {
            EXPECT_EQ(cell.role, QStringLiteral("table cell")) << cell.name.toStdString() << " is a stop";
            names << cell.name;
        }
        EXPECT_TRUE(names.contains(place.sixthOfMarch)) << names.join(QStringLiteral(" | ")).toStdString();
    }
}

namespace {

// Presses Tab until the reader hears the focus on `expected` (a role, or a role and a name); what it heard on the way
// when it never does.
QStringList tabUntilHeard(AppDriver &app, BusReader &reader, const QString &expected)
{
    QStringList heard;
    for (int i = 0; i < 10; ++i) {
        heard << reader.focusOnceItReads(expected, std::chrono::milliseconds(500));
        if (heard.last() == expected || heard.last().startsWith(expected + QLatin1Char(' ')))
            return {};
        app.pressWhereTheFocusIs(QStringLiteral("Tab"));
    }
    return heard;
}

// Whether every form closed. The bridge hands each key to the accessibility registry, which may take it for a screen
// reader's own command, and the window gets it only once the registry answered: what a key does, is done a moment
// later.
bool closed(AppDriver &app)
{
    return knvt::test::waitUntil([&] { return app.openEditors().isEmpty(); });
}

// The states of the control of `window` read as `asRead`.
QStringList statesOf(BusReader &reader, const QString &asRead)
{
    for (const BusElement &control : reader.controls())
        if (control.asRead() == asRead)
            return control.states;
    return {QStringLiteral("(not found)")};
}

} // namespace

TEST_F(ScreenReaderBusFeature, TheKeysUsersTryDoWhatTheySay)
{
    AppDriver app;
    app.givenSharedProject("Club", {.members = {"Ann"}});
    KNVTCDTask *paint = app.givenTask("Paint fence", {.list = "Club"});
    app.givenProject("Garden");
    app.givenArea("Home");
    app.launch();
    BusReader reader;
    ASSERT_TRUE(reader.isReady());

    // Tab leaves the list of people the project is shared with for Close.
    app.viewHomeEntry("Club");
    EXPECT_EQ(tabUntilHeard(app, reader, "push button Close"), QStringList());
    app.pressWhereTheFocusIs("Return");
    EXPECT_TRUE(closed(app)) << "Return presses Close";

    // Return on the pop-up presses Save, the popover's default button.
    app.selectHome("Club");
    app.selectRows({"Paint fence"});
    app.clickToolbar("Assign");
    EXPECT_EQ(tabUntilHeard(app, reader, "combo box"), QStringList());
    EXPECT_TRUE(statesOf(reader, "push button Save").contains("is-default"));
    app.pressWhereTheFocusIs("Up");
    app.pressWhereTheFocusIs("Return");
    EXPECT_TRUE(closed(app)) << "Return presses Save";
    app.wait(1);
    ASSERT_NE(paint->assignee(), nullptr);
    EXPECT_EQ(paint->assignee()->firstName(), QStringLiteral("Ann"));

    // And so in the sheets that edit an area or a project.
    for (const QString list : {"Home", "Garden"}) {
        SCOPED_TRACE(list.toStdString());
        app.editHomeEntry(list);
        app.typeOver("titleTextField", list + " Renamed");
        EXPECT_EQ(tabUntilHeard(app, reader, "combo box"), QStringList());
        EXPECT_TRUE(statesOf(reader, "push button Save").contains("is-default"));
        app.pressWhereTheFocusIs("Return");
        EXPECT_TRUE(closed(app)) << "Return presses Save";
        app.wait(1);
        EXPECT_TRUE(app.homeRows().contains("  " + list + " Renamed")) << app.homeRows().join('|').toStdString();
    }

    // A double click on New Task opens its popover once; a click on a day of the calendar takes it and closes.
    app.selectHome("Inbox");
    app.doubleClickToolbar("New Task");
    EXPECT_EQ(reader.focusOnceItReads("text Title"), QStringLiteral("text Title"));
    app.tick("dueDateCheckBoxButton");
    app.clickButton("dueDateCalendarButton");
    ASSERT_TRUE(knvt::test::waitUntil([&] { return app.openEditors().size() == 2; }));
    app.clickDay(QDate(2015, 3, 20));
    EXPECT_TRUE(knvt::test::waitUntil([&] { return app.openEditors().size() == 1; }))
        << "the calendar closed, the form stays";
    EXPECT_EQ(app.fieldText("dueDateDatePicker"), QStringLiteral("2015-03-20T00:00:00"));
}

namespace {

// Reads every focusable control of `window` once the reader finds it on the bus: each has a role, a name, and no bare
// number for a description. The controls read, as "role name (description)".
QStringList checkControlsOf(BusReader &reader, const QString &window)
{
    static const QStringList Unreadable = {QStringLiteral("unknown"), QStringLiteral("invalid"),
                                           QStringLiteral("filler"), QStringLiteral("redundant object")};
    std::vector<BusElement> controls;
    knvt::test::waitUntil([&] {
        controls = reader.controls();
        return std::any_of(controls.begin(), controls.end(),
                           [&](const BusElement &control) { return control.window == window; });
    });
    QStringList read;
    for (const BusElement &control : controls) {
        if (control.window != window)
            continue;
        const QString line = control.asRead() + QStringLiteral(" (") + control.description + QLatin1Char(')');
        read << line;
        EXPECT_FALSE(Unreadable.contains(control.role)) << line.toStdString();
        EXPECT_FALSE(control.name.trimmed().isEmpty()) << line.toStdString();
        bool number = false;
        control.description.toDouble(&number);
        EXPECT_FALSE(number) << line.toStdString();
    }
    return read;
}

} // namespace

TEST_F(ScreenReaderBusFeature, EveryFocusableControlOfEveryWindowReadsWithARoleAndAName)
{
    AppDriver app;
    app.givenSignedIn();
    app.givenSharedProject("Club", {.members = {"Ann"}});
    app.givenTask("Paint fence", {.list = "Club"});
    app.launch();
    BusReader reader;
    ASSERT_TRUE(reader.isReady());

    EXPECT_GT(checkControlsOf(reader, "Quillvane").size(), 10);
    app.selectHome("Club");
    app.clickToolbar("New Task");
    app.tick("recurrenceRuleCheckBoxButton");
    EXPECT_GT(checkControlsOf(reader, "New Task").size(), 8);
    app.tick("dueDateCheckBoxButton");
    app.clickButton("dueDateCalendarButton");
    EXPECT_GT(checkControlsOf(reader, "Due Date").size(), 28);
    app.closePopover();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return app.openEditors().size() == 1; }));
    app.closePopover();
    ASSERT_TRUE(closed(app));

    app.selectRows({"Paint fence"});
    app.clickToolbar("Edit");
    EXPECT_GT(checkControlsOf(reader, "Edit Task").size(), 8);
    app.closePopover();
    ASSERT_TRUE(closed(app));

    app.doubleClickRow("Paint fence");
    EXPECT_GT(checkControlsOf(reader, "Paint fence").size(), 3);
    app.pressWhereTheFocusIs("Ctrl+W");
    ASSERT_TRUE(closed(app));

    app.viewHomeEntry("Club");
    EXPECT_GT(checkControlsOf(reader, "\"Club\" Info").size(), 1);
    app.pressWhereTheFocusIs("Escape");
    ASSERT_TRUE(closed(app));

    app.openPreferences();
    EXPECT_GT(checkControlsOf(reader, "General").size(), 3);
    app.closePreferences();
    app.openPeopleWindow();
    EXPECT_GT(checkControlsOf(reader, "People").size(), 3);
}

TEST_F(ScreenReaderBusFeature, TheFocusGoesWhereTheUserCarriesOnAndTheReaderHearsNothingOnTheWay)
{
    AppDriver app;
    app.service().on("GET", "/account.json").json(200, accountReply());
    app.givenTask("Paint fence");
    app.launch();
    BusReader reader;
    ASSERT_TRUE(reader.isReady());

    // The Notifications popover opened with the mouse gives the keyboard back to the list it came from.
    app.selectHome("Inbox");
    app.selectRows({"Paint fence"});
    const QString before = reader.focusOnceItReads("");
    app.openNotifications();
    app.closePopover();
    ASSERT_TRUE(closed(app));
    EXPECT_EQ(reader.focusOnceItReads(before), before);

    // After signing in, the keyboard goes from the sign-in form straight into the account.
    app.openPreferences();
    app.choosePreferencePane("Account");
    app.typeIn("usernameTextField", "mika.r");
    app.typeIn("passwordSecureTextField", "pass word 1");
    reader.focusOnceItReads("password text Password:");
    reader.focusHeard();
    app.clickButton("signInButton");
    app.waitForService([&] { return app.accountPane() == QLatin1String("signed in"); });
    QStringList heard;
    knvt::test::waitUntil([&] {
        heard << reader.focusHeard();
        return !heard.isEmpty() && !heard.last().contains("Sign In");
    });
    EXPECT_FALSE(heard.join('|').contains("General")) << heard.join('|').toStdString();
}

TEST_F(ScreenReaderBusFeature, TabFromTheSearchOfChoosePeopleGoesToAPersonTheReaderCanTick)
{
    AppDriver app;
    app.givenSignedIn();
    app.givenPerson("Ben", 3);
    app.givenPerson("Cat", 3);
    app.givenProject("Garden", {.members = {"Ben"}});
    app.launch();
    BusReader reader;
    ASSERT_TRUE(reader.isReady());
    app.openPeopleWindow();
    app.shareList("Garden");
    app.clickButton("collaboratingUsersButton");
    EXPECT_EQ(reader.focusOnceItReads("text Search People"), QStringLiteral("text Search People"));
    reader.focusHeard();
    app.pressWhereTheFocusIs("Tab");
    // The reader is told of the list, then of the person the keys act on.
    QStringList heard;
    knvt::test::waitUntil([&] {
        heard << reader.focusHeard();
        return !heard.isEmpty() && heard.last().startsWith("list item ");
    });
    EXPECT_TRUE(!heard.isEmpty() && heard.last().startsWith("list item ")) << heard.join('|').toStdString();
}

TEST_F(ScreenReaderBusFeature, RowsAPullAddsOrRemovesAndACompletionThatTakesARowAwayAreAnnounced)
{
    AppDriver app;
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    const qint64 home = app.service().seedProject(QStringLiteral("House"));
    const qint64 paint = app.service().seedTask(QStringLiteral("Paint fence"), home);
    app.service().seedTask(QStringLiteral("Call Ann"), home);
    app.givenTask("Pay rent", {.due = AppDriver::defaultNow()});
    app.launch();
    app.waitForService([&] { return app.taskTitled("Paint fence") != nullptr && !app.store().isSyncing(); });
    BusReader reader;
    ASSERT_TRUE(reader.isReady());

    const struct
    {
        const char *what;
        const char *list;
        std::function<void()> act;
        QString announced;
    } changes[] = {
        {"a pull", "House",
         [&] {
             app.service().seedTask(QStringLiteral("Buy milk"), home);
             app.service().remove("tasks", paint);
             app.clickToolbar("Sync");
             app.waitForService([&] { return app.taskTitled("Buy milk") != nullptr && !app.store().isSyncing(); });
         },
         "Buy milk added. Paint fence removed."},
        {"completion in Today", "Today",
         [&] {
             app.selectRows({"Pay rent"});
             app.press("Ctrl+.");
         },
         "Pay rent completed."},
    };
    for (const auto &change : changes) {
        SCOPED_TRACE(change.what);
        app.selectHome(change.list);
        app.settle();
        reader.announced();
        change.act();
        QStringList announced;
        knvt::test::waitUntil([&] {
            announced << reader.announced();
            return !announced.isEmpty();
        });
        EXPECT_EQ(announced, QStringList{change.announced});
    }
}

namespace {

// What the reader heard of the focus until it rested on `destination`, each stop once.
QStringList heardUntil(BusReader &reader, const QString &destination)
{
    QStringList heard;
    knvt::test::waitUntil([&] {
        heard << reader.focusHeard();
        return !heard.isEmpty() && heard.last() == destination;
    });
    // And a moment after, in case the focus moves on.
    knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(300));
    heard << reader.focusHeard();
    QStringList stops;
    for (const QString &stop : std::as_const(heard))
        if (stops.isEmpty() || stops.last() != stop)
            stops << stop;
    return stops;
}

} // namespace

TEST_F(ScreenReaderBusFeature, TheCalendarReadsTheDayItSelectsOnOpeningAndAfterEveryKeyAcrossMonthEdges)
{
    AppDriver app;
    app.launch();
    BusReader reader;
    ASSERT_TRUE(reader.isReady());
    app.clickToolbar("New Task");
    app.tick("dueDateCheckBoxButton");
    reader.focusHeard();
    const struct
    {
        const char *key;
        QDate day;
    } steps[] = {
        {nullptr, QDate(2015, 3, 4)}, // the calendar opens on the due day
        {"Up", QDate(2015, 2, 25)},    {"Right", QDate(2015, 2, 26)}, {"Right", QDate(2015, 2, 27)},
        {"Right", QDate(2015, 2, 28)}, {"Right", QDate(2015, 3, 1)},  {"Left", QDate(2015, 2, 28)},
        {"Down", QDate(2015, 3, 7)},   {"Up", QDate(2015, 2, 28)},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.key ? step.key : "opening");
        if (step.key)
            app.pressWhereTheFocusIs(step.key);
        else
            app.clickButton("dueDateCalendarButton");
        // The grid itself may be heard as it takes the focus; the only day heard is the one selected, and last.
        const QString expected = "table cell " + QLocale().toString(step.day, QLocale::LongFormat);
        const QStringList heard = heardUntil(reader, expected);
        ASSERT_FALSE(heard.isEmpty());
        EXPECT_EQ(heard.last(), expected);
        QStringList days = heard.filter(QStringLiteral("table cell "));
        days.removeDuplicates();
        EXPECT_EQ(days, QStringList{expected});
    }
}

namespace {

// The start of a user not signed in whose sign-in the service refuses, its answer held until the test releases it.
void launchWithSignInRefused(AppDriver &app)
{
    app.service().on("GET", "/account.json").reply(401).hold();
    app.launch();
}

} // namespace

TEST_F(ScreenReaderBusFeature, AfterSignInAPasswordCheckAndANewTaskTheReaderHearsOnlyWhereTheUserCarriesOn)
{
    qint64 paint = 0;
    qint64 fence = 0;
    const struct
    {
        const char *what;
        // The world before the start, and the start.
        std::function<void(AppDriver &)> launch;
        // Brings the user to the Return that ends the journey, with the focus where it is pressed.
        std::function<void(AppDriver &, BusReader &)> walk;
        // What the reader hears from the Return on: where the user carries on, after the list it is in for a row;
        // nothing when the keyboard stays where it is, or no window that shows is left to take it.
        QStringList heard;
        // Whether the Return closes the form it is pressed in.
        bool closesTheForm = false;
        // What the reader is told wherever the focus is.
        QString announced = QString();
        // The request ("PUT /users/42.json") whose answer the service holds until the form was heard waiting for it.
        QByteArray held = QByteArray();
        // What closes the form under the user just before the Return, which is then typed on.
        std::function<void(AppDriver &)> closedUnder = nullptr;
    } journeys[] = {
        {"sign-in",
         [](AppDriver &app) {
             app.service().on("GET", "/account.json").json(200, accountReply());
             app.launch();
         },
         [](AppDriver &app, BusReader &reader) {
             app.openPreferences();
             app.choosePreferencePane("Account");
             app.typeIn("usernameTextField", "mika.r");
             app.typeIn("passwordSecureTextField", "pass word 1");
             reader.focusOnceItReads("password text Password:");
         },
         {"label mika.r Doe"}},
        {"Sign In Again",
         [](AppDriver &app) {
             app.service().enableState();
             // Every read of the account after the refusal answers the account signed in, however many the sync and the
             // windows make before the sign-in's own: the service's own account is another user's.
             app.service().on("GET", "/account.json").reply(401).json(200, accountReply());
             app.givenSignedIn(QStringLiteral("mika.r"), QStringLiteral("secret1"), true);
             app.launch();
         },
         [](AppDriver &app, BusReader &reader) {
             app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.goToThePasswordWindow();
             app.clickButton("cancelButton");
             knvt::test::waitUntil([&] { return app.app().authenticationFailureWindowController() == nullptr; });
             app.openPreferences();
             app.choosePreferencePane("Account");
             app.clickButton("authenticateAccountButton");
             reader.focusOnceItReads("password text Password:");
             app.typeWhereTheFocusIs("newpass3");
         },
         {"label mika.r Doe"}},
        {"a refused Save",
         [](AppDriver &app) {
             app.service().enableState();
             app.service().on("GET", "/account.json").reply(401).reply(401).hold().pass();
             app.givenSignedIn(QStringLiteral("mika.r"), QStringLiteral("secret1"), true);
             app.launch();
         },
         [](AppDriver &app, BusReader &reader) {
             app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.goToThePasswordWindow();
             reader.focusOnceItReads("password text Password:");
             app.typeWhereTheFocusIs("wrong1");
         },
         {},
         false,
         "The sync service did not accept the password typed for the account mika.r.",
         "GET /account.json"},
        {"a sync after a password typed in the lone password window, which takes the selected row away",
         [&paint](AppDriver &app) {
             app.service().enableState();
             const qint64 home = app.service().seedProject(QStringLiteral("House"));
             paint = app.service().seedTask(QStringLiteral("Paint fence"), home);
             app.service().seedTask(QStringLiteral("Call Ann"), home);
             app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
             app.launch();
             app.waitForService([&] { return app.taskTitled("Paint fence") != nullptr && !app.store().isSyncing(); });
         },
         [&paint](AppDriver &app, BusReader &reader) {
             // The main window, minimized, keeps its list's current row, which the sync takes away.
             app.selectHome("House");
             app.selectRows({"Paint fence"});
             app.minimiseMainWindow();
             app.service().remove("tasks", paint);
             app.service().on("GET", "/account.json").reply(401).pass();
             app.store().sync();
             app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.goToThePasswordWindow();
             reader.focusOnceItReads("password text Password:");
             app.typeWhereTheFocusIs("secret1");
         },
         {},
         false,
         "Paint fence removed."},
        {"a refused Sign Up",
         [](AppDriver &app) {
             app.service().on("POST", "/accounts.json").json(422, R"({"username":["has already been taken"]})").hold();
             app.launch();
         },
         [](AppDriver &app, BusReader &reader) {
             // Nothing in the application opens this window; its owner would.
             auto *window = new KNVTSignInAndSignUpWindowController(nullptr, &app.app());
             window->window()->show();
             app.bringToFront(window->window());
             app.clickButton(QStringLiteral("createAccountButton"));
             // Both pages have a user name and a password field: the sign-up page's are typed into.
             const auto typeIn = [&app, page = window->signUpViewController()->view()](const char *name,
                                                                                       const char *text) {
                 auto *field = page->findChild<QLineEdit *>(QString::fromLatin1(name));
                 AppDriver::clickWhereItShows(field, field->rect().center());
                 app.typeWhereTheFocusIs(QString::fromLatin1(text));
             };
             for (const char *name : {"firstNameTextField", "usernameTextField", "passwordSecureTextField",
                                      "passwordConfirmationSecureTextField"})
                 typeIn(name, "mikar1");
             typeIn("emailAddressTextField", "mika@example.com");
             app.tick(QStringLiteral("termsAndConditionsCheckBoxButton"));
             typeIn("lastNameTextField", "Rautio");
             reader.focusOnceItReads("text Last Name:");
         },
         {},
         false,
         "Unable to create an account as the username \"mikar1\" is already taken.",
         "POST /accounts.json"},
        {"a refused Save of Account Details",
         [](AppDriver &app) {
             app.givenSignedIn();
             app.service().on("PUT", "/users/42.json").json(422, "{}").hold();
             app.launch();
         },
         [](AppDriver &app, BusReader &reader) {
             app.openPreferences();
             app.choosePreferencePane("Account");
             app.clickButton(QStringLiteral("detailsButton"));
             app.typeIn(QStringLiteral("lastNameTextField"), QStringLiteral("Rautio"));
             reader.focusOnceItReads("text Last Name:");
         },
         {},
         false,
         "Unable to update account details.",
         "PUT /users/42.json"},
        {"a refused sign-in in the Account pane", launchWithSignInRefused,
         [](AppDriver &app, BusReader &reader) {
             app.openPreferences();
             app.choosePreferencePane("Account");
             app.typeIn("usernameTextField", "mika.r");
             app.typeIn("passwordSecureTextField", "pass word 1");
             reader.focusOnceItReads("password text Password:");
         },
         {},
         false,
         "Unable to verify your username and password.",
         "GET /account.json"},
        {"a refused Sign In", launchWithSignInRefused,
         [](AppDriver &app, BusReader &reader) {
             // Nothing in the application opens this window; its owner would.
             auto *window = new KNVTSignInAndSignUpWindowController(nullptr, &app.app());
             window->window()->show();
             app.bringToFront(window->window());
             QWidget *page = window->signInViewController()->view();
             for (const auto &[name, text] : {std::pair{"usernameTextField", "mika.r"},
                                              std::pair{"passwordSecureTextField", "pass word 1"}}) {
                 auto *field = page->findChild<QLineEdit *>(QString::fromLatin1(name));
                 AppDriver::clickWhereItShows(field, field->rect().center());
                 app.typeWhereTheFocusIs(QString::fromLatin1(text));
             }
             reader.focusOnceItReads("password text Password:");
         },
         {},
         false,
         "Unable to verify your username and password.",
         "GET /account.json"},
        {"the keys typed on after a sync took away the task of the form typed in",
         [&fence](AppDriver &app) {
             app.service().enableState();
             fence = app.service().seedTask(QStringLiteral("Paint fence"), app.service().seedProject("House"));
             app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
             app.launch();
             app.waitForService([&] { return app.taskTitled("Paint fence") != nullptr && !app.store().isSyncing(); });
         },
         [](AppDriver &app, BusReader &reader) {
             app.selectHome("House");
             app.selectRows({"Paint fence"});
             app.clickToolbar("Edit");
             app.typeIn("titleTextField", " white");
             reader.focusOnceItReads("text Title");
         },
         {"list House"},
         false,
         "The form you typed in closed. The keys you type do nothing until you press Tab or Escape, or click.",
         QByteArray(),
         [&fence](AppDriver &app) {
             app.service().remove("tasks", fence);
             app.store().sync();
             app.waitForService([&] { return app.taskTitled("Paint fence") == nullptr; });
         }},
        {"a new task",
         [](AppDriver &app) { app.launch(); },
         [](AppDriver &app, BusReader &reader) {
             app.selectHome("Inbox");
             app.press("Ctrl+N");
             reader.focusOnceItReads("text Title");
             app.typeWhereTheFocusIs("Buy milk");
         },
         {"list Inbox", "list item Buy milk"},
         true},
    };
    for (const auto &journey : journeys) {
        SCOPED_TRACE(journey.what);
        AppDriver app;
        journey.launch(app);
        BusReader reader;
        ASSERT_TRUE(reader.isReady());
        journey.walk(app, reader);
        reader.focusHeard();
        reader.announced();
        const QList<QByteArray> held = journey.held.split(' ');
        const int asked = journey.held.isEmpty() ? 0 : app.service().count(held[0], held[1]);
        if (journey.closedUnder)
            journey.closedUnder(app);
        app.pressWhereTheFocusIs("Return");
        // The moment a new task takes to be saved, once the key reached the form.
        if (journey.closesTheForm) {
            ASSERT_TRUE(closed(app));
            app.wait(1);
        }
        if (journey.heard.isEmpty()) {
            QStringList announced;
            if (!journey.held.isEmpty()) {
                // The answer comes once the reader heard the form wait for it, as from a service far away: the reader
                // reads a notification's text as it comes to it, which an answer on the spot would have replaced.
                EXPECT_TRUE(knvt::test::waitUntil([&] {
                    announced << reader.announced();
                    return !announced.isEmpty() && app.service().count(held[0], held[1]) > asked;
                })) << "the form was heard waiting for "
                    << journey.held.toStdString();
                app.service().release(held[0], held[1]);
            }
            EXPECT_TRUE(knvt::test::waitUntil([&] {
                announced << reader.announced();
                return announced.contains(journey.announced);
            })) << announced.join(" | ").toStdString();
            EXPECT_EQ(reader.focusHeard(), QStringList()) << "no focus where no key goes";
            announced << reader.announced();
            EXPECT_EQ(announced.count(journey.announced), 1) << "heard once";
            continue;
        }
        EXPECT_EQ(heardUntil(reader, journey.heard.last()), journey.heard);
        if (journey.announced.isEmpty())
            continue;
        QStringList announced;
        EXPECT_TRUE(knvt::test::waitUntil([&] {
            announced << reader.announced();
            return announced.contains(journey.announced);
        })) << announced.join(" | ").toStdString();
    }
}

namespace {

// The controls the reader finds in the windows named `window`, as read.
QStringList controlsIn(BusReader &reader, const QString &window)
{
    QStringList read;
    for (const BusElement &control : reader.controls(window))
        read << control.asRead();
    return read;
}

// How many task forms the reader finds in windows of their own.
qsizetype taskForms(BusReader &reader)
{
    return controlsIn(reader, QStringLiteral("New Task")).count(QStringLiteral("text Title"));
}

// The window that opened since `before` was taken.
QWidget *windowOpenedSince(const QWidgetList &before)
{
    QWidget *opened = nullptr;
    knvt::test::waitUntil([&] {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && !before.contains(window) && window->windowType() != Qt::Popup
                && window->windowType() != Qt::ToolTip)
                opened = window;
        return opened != nullptr;
    });
    return opened;
}

// Whether the X server's keyboard focus is in `window`. Qt's active window alone says what Qt has heard so far: the
// window manager's own pick, made as a window closed, can reach it later still.
bool hasTheXFocus(QWidget *window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || window->windowHandle() == nullptr)
        return true;
    xcb_connection_t *connection = x11->connection();
    xcb_get_input_focus_reply_t *reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const bool in = reply != nullptr && reply->focus == xcb_window_t(window->windowHandle()->winId());
    std::free(reply);
    return in;
}

// Presses `keys` in `window`, as a user does who has gone to it and sees it active. The window manager may hand the
// keyboard to another window a moment after (keys sent by the test give it no time of input to go by), so they are
// pressed once the window has kept the keyboard, for Qt and for the X server, for a while.
void pressIn(AppDriver &app, QWidget *window, const QString &keys)
{
    ASSERT_NE(window, nullptr);
    app.bringToFront(window);
    auto since = std::chrono::steady_clock::now();
    ASSERT_TRUE(knvt::test::waitUntil([&] {
        if (QApplication::activeWindow() != window || !hasTheXFocus(window)) {
            app.bringToFront(window);
            since = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(300);
    })) << "the window never kept the keyboard";
    app.pressWhereTheFocusIs(keys);
}

} // namespace

TEST_F(ScreenReaderBusFeature, EveryWindowAnswersTheKeysItsMenusShow)
{
    using Input = knvt::ScriptedAlertPresenter::Input;
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    AppDriver app;
    app.givenDefault(QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey),
                     QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.launch();
    BusReader reader;
    ASSERT_TRUE(reader.isReady());
    // Typing in a window of its own, which Ctrl+Q asks about wherever it is pressed.
    app.selectHome("Inbox");
    app.clickToolbar("New Task");
    app.typeIn("titleTextField", "Call Ann");
    ASSERT_TRUE(knvt::test::waitUntil([&] { return app.fieldText("titleTextField") == "Call Ann"; }));
    app.detachPopover();
    const struct
    {
        const char *name;
        std::function<void()> open;
    } windows[] = {
        {"Preferences", [&] { app.openPreferences(); }},
        {"People", [&] { app.openPeopleWindow(); }},
        {"quick entry", [&] { app.pressAnywhere("Ctrl+Shift+O"); }},
        {"new-task window",
         [&] {
             app.clickToolbar("New Task");
             app.detachPopover();
         }},
        {"new project sheet", [&] { app.chooseMenu("File", "New Project"); }},
        {"new tag sheet", [&] { app.openNewTagSheet(); }},
    };
    // Each key reaches the application through the accessibility bridge, which hands it to the bus first: what it
    // does is waited for.
    for (const auto &window : windows) {
        SCOPED_TRACE(window.name);
        const QWidgetList before = QApplication::topLevelWidgets();
        window.open();
        QWidget *const shown = windowOpenedSince(before);
        ASSERT_NE(shown, nullptr);
        const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(shown);
        const QString in = accessible ? accessible->text(QAccessible::Name) : QString();
        ASSERT_TRUE(knvt::test::waitUntil([&] { return !controlsIn(reader, in).isEmpty(); }))
            << "the reader never found " << in.toStdString();

        // Ctrl+Q asks about the typing elsewhere; Escape keeps everything.
        QStringList asked;
        app.answerAlert("Cancel",
                        {.whileShown =
                             [&] {
                                 knvt::test::waitUntil([&] {
                                     asked = controlsIn(reader, "Discard What You Typed?");
                                     return asked.contains("push button Discard");
                                 });
                             },
                         .input = Input::Escape});
        pressIn(app, shown, "Ctrl+Q");
        ASSERT_TRUE(knvt::test::waitUntil([&] { return app.alerts().pendingAnswerCount() == 0; }))
            << "Ctrl+Q asked nothing";
        EXPECT_TRUE(asked.contains("push button Discard") && asked.contains("push button Cancel"))
            << asked.join(" | ").toStdString();
        const qsizetype forms = taskForms(reader);
        const QWidgetList beforeNew = QApplication::topLevelWidgets();
        pressIn(app, shown, "Ctrl+N");
        ASSERT_TRUE(knvt::test::waitUntil([&] { return taskForms(reader) > forms; })) << "Ctrl+N opens a new task";
        pressIn(app, windowOpenedSince(beforeNew), "Escape");
        ASSERT_TRUE(knvt::test::waitUntil([&] { return taskForms(reader) == forms; }))
            << "Escape closes the new task: " << forms << " forms before it, " << taskForms(reader) << " now";
        const qsizetype controls = controlsIn(reader, in).size();
        pressIn(app, shown, "Ctrl+W");
        EXPECT_TRUE(knvt::test::waitUntil([&] { return controlsIn(reader, in).size() < controls; }))
            << "Ctrl+W closes it";
    }
}

TEST_F(ScreenReaderBusFeature, APasswordRefusedWhileASheetIsTypedInWaitsBesideItUntilTheUserClicksIt)
{
    AppDriver app;
    app.givenSignedIn("ann", "secret1", /*autoSync=*/true);
    app.service().enableState();
    app.launch();
    app.waitForService([&] { return app.syncsEnded() > 0; });
    BusReader reader;
    ASSERT_TRUE(reader.isReady());
    app.chooseMenu("File", "New Project");
    app.typeIn("titleTextField", "Garden ");
    const QPointer<QLineEdit> title = app.frontEditor()->findChild<QLineEdit *>("titleTextField");
    const QString titleAsRead = reader.focusOnceItReads("text Title");

    // Refused: once the window is up and the window manager had its say, the reader stays on the title being typed.
    app.service().on("GET", "/account.json").reply(401).pass();
    app.store().sync();
    app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
    QWidget *window = app.app().authenticationFailureWindowController()->window();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return !controlsIn(reader, window->windowTitle()).isEmpty(); }));
    app.typeWhereTheFocusIs("shed");
    EXPECT_TRUE(knvt::test::waitUntil([&] { return title->text() == "Garden shed"; }));
    EXPECT_EQ(reader.focusOnceItReads(titleAsRead), titleAsRead);

    // The user clicks it: modal, with the keyboard; its Save runs one sync, and no other after it.
    auto *password = window->findChild<QLineEdit *>("passwordSecureTextField");
    AppDriver::clickWhereItShows(password, password->rect().center());
    EXPECT_EQ(reader.focusOnceItReads("password text Password:"), "password text Password:");
    EXPECT_EQ(QApplication::activeModalWidget(), window);
    const int syncs = app.syncsEnded();
    app.typeWhereTheFocusIs("secret1");
    app.pressWhereTheFocusIs("Return");
    app.waitForService([&] { return app.app().authenticationFailureWindowController() == nullptr; });
    knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(500));
    EXPECT_EQ(app.syncsEnded(), syncs + 1);
    EXPECT_TRUE(title->isVisible() && title->text() == "Garden shed") << "the sheet keeps its title";
    EXPECT_EQ(reader.focusOnceItReads(titleAsRead), titleAsRead) << "the keyboard goes back to the title";
}

// A window the application opens by itself is announced to a reader wherever the focus is, with the way to it, and
// the window the user is in hears nothing of it; a reader's request for the focus in its password field takes the
// user there, and the keys typed on the keyboard reach the field.
TEST_F(ScreenReaderBusFeature, AWaitingWindowIsAnnouncedWithTheWayToItAndAFocusRequestInItTakesTheKeysThere)
{
    AppDriver app;
    app.useTheXServer();
    app.givenSignedIn("ann", "secret1", /*autoSync=*/true);
    app.service().enableState();
    app.givenTask("Paint");
    app.launch();
    app.waitForService([&] { return app.syncsEnded() > 0; });
    BusReader reader;
    ASSERT_TRUE(reader.isReady());
    app.selectRows({"Paint"});
    // Once the reader heard the focus go to the row, it heard the main window's activation before it.
    ASSERT_TRUE(knvt::test::waitUntil([&] { return reader.focus().value_or(BusElement{}).window == "Quillvane"; }));
    reader.announced();
    reader.windowsHeard();

    app.service().on("GET", "/account.json").reply(401).pass();
    app.store().sync();
    app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
    QWidget *window = app.app().authenticationFailureWindowController()->window();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return !controlsIn(reader, window->windowTitle()).isEmpty(); }));
    QStringList announced;
    EXPECT_TRUE(knvt::test::waitUntil([&] {
        announced << reader.announced();
        return announced.contains("“Incorrect Password” is waiting. Press F8 to answer it.");
    })) << announced.join(" | ").toStdString();
    // Heard after whatever the window's showing set off: the main window was neither left nor activated again.
    EXPECT_EQ(reader.windowsHeard(), QStringList());

    ASSERT_TRUE(reader.grabFocus(window->windowTitle(), "Password:"));
    ASSERT_TRUE(knvt::test::waitUntil([&] {
        return QApplication::activeModalWidget() == window && window->isActiveWindow()
            && reader.focus().value_or(BusElement{}).asRead() == "password text Password:";
    }));
    app.typeOnTheKeyboard(AppDriver::keysOf("secret"));
    EXPECT_EQ(window->findChild<QLineEdit *>("passwordSecureTextField")->text(), "secret");
    QStringList going;
    EXPECT_TRUE(knvt::test::waitUntil([&] {
        going << reader.windowsHeard();
        return going.contains("activate Incorrect Password");
    })) << "the reader heard the user go there";
}

namespace {

// The user's picture folder, where the picture chooser opens, is `folder` while it lasts: as the desktop names it.
class PicturesFolder
{
public:
    explicit PicturesFolder(const QString &folder)
        : m_file(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("user-dirs.dirs")))
    {
        QFile file(m_file);
        if (file.open(QIODevice::WriteOnly))
            file.write("XDG_PICTURES_DIR=\"" + folder.toUtf8() + "\"\n");
    }
    ~PicturesFolder() { QFile::remove(m_file); }
    PicturesFolder(const PicturesFolder &) = delete;
    PicturesFolder &operator=(const PicturesFolder &) = delete;

private:
    QString m_file;
};

// The chooser's view of its folder that shows, and the middle of the row of the file `name` in it, once the chooser
// has read the folder.
std::pair<QWidget *, QPoint> fileInChooser(QFileDialog *chooser, const QString &name)
{
    QAbstractItemView *view = nullptr;
    QModelIndex found;
    knvt::test::waitUntil([&] {
        const QList<QAbstractItemView *> views = chooser->findChildren<QAbstractItemView *>();
        for (QAbstractItemView *shown : views)
            if (shown->isVisible() && (shown->objectName() == "listView" || shown->objectName() == "treeView"))
                view = shown;
        if (view == nullptr)
            return false;
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
            if (const QModelIndex index = model->index(row, 0, view->rootIndex()); index.data().toString() == name)
                found = index;
        return found.isValid();
    });
    if (!found.isValid())
        return {nullptr, QPoint()};
    view->scrollTo(found);
    return {view->viewport(), view->visualRect(found).center()};
}

// The button of `dialog` that reads `text`, as its user sees it.
QAbstractButton *buttonOf(QDialog *dialog, const QString &text)
{
    const QList<QAbstractButton *> buttons = dialog->findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons)
        if (button->isVisible() && button->text().remove(QLatin1Char('&')) == text)
            return button;
    return nullptr;
}

// Prints to the file `path` where the print dialog offers it: its file field typed over, then Print.
void printToAFile(AppDriver &app, QDialog *dialog, const QString &path)
{
    auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
    QAbstractButton *print = buttonOf(dialog, QStringLiteral("Print"));
    ASSERT_TRUE(field != nullptr && field->isVisible() && field->isEnabled() && print != nullptr)
        << "the print dialog offers no file to print to";
    app.clickOnTheScreen(field, field->rect().center(), 1);
    ASSERT_TRUE(knvt::test::waitUntil([&] { return field->hasFocus(); }));
    app.pressWhereTheFocusIs(QStringLiteral("Ctrl+A"));
    app.typeWhereTheFocusIs(path);
    ASSERT_TRUE(knvt::test::waitUntil([&] { return field->text() == path; })) << field->text().toStdString();
    app.clickOnTheScreen(print, print->rect().center(), 1);
}

} // namespace

// A dialog of the platform's (the picture chooser, the print dialog), closed whichever way, gives the window that
// opened it back to the reader: announced active and active, with what the choice brought, and Tab is heard there.
TEST_F(ScreenReaderBusFeature, AfterAPlatformDialogTheWindowThatOpenedItIsActiveAgainAndTabIsHeardThere)
{
    // The picture folder holds a picture and a file named as one that is none.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString notAPicture = folder.filePath(QStringLiteral("me.png"));
    QFile file(notAPicture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
    file.close();
    QImage face(64, 64, QImage::Format_RGB32);
    face.fill(Qt::darkCyan);
    ASSERT_TRUE(face.save(folder.filePath(QStringLiteral("face.png"))));
    const PicturesFolder pictures(folder.path());
    const QString refused = knvt::ImagePicker::notAPictureMessage(QStringLiteral("me.png"));
    const QString details = QStringLiteral("Account Details");
    const auto pictureChooser = [](AppDriver &app) {
        app.givenSignedIn();
        app.launch();
        // The chooser itself, not the file the other tests hand over.
        knvt::ImagePicker::setShared(nullptr);
        app.openPreferences();
        app.choosePreferencePane(QStringLiteral("Account"));
        app.clickButton(QStringLiteral("detailsButton"));
    };
    const auto printDialog = [](AppDriver &app) {
        app.givenTask(QStringLiteral("Pay rent"));
        app.launch();
        app.selectHome(QStringLiteral("Inbox"));
    };
    const auto pickAPicture = [](AppDriver &app) { app.clickButton(QStringLiteral("avatarPickerButton")); };
    const auto print = [](AppDriver &app) { app.chooseMenu(QStringLiteral("File"), QStringLiteral("Print")); };
    const QString pdf = folder.filePath(QStringLiteral("Inbox.pdf"));
    const struct
    {
        const char *what;
        // The start, up to the window that opens the dialog.
        std::function<void(AppDriver &)> launch;
        // That window's name, and the user's act there that opens the dialog: a dialog that runs its own loop is
        // closed from within it.
        QString window;
        std::function<void(AppDriver &)> open;
        std::function<void(AppDriver &, QDialog *)> close;
        QString announced = QString();
    } closings[] = {
        {"a file chosen by its typed name", pictureChooser, details, pickAPicture,
         [&](AppDriver &app, QDialog *) {
             app.typeWhereTheFocusIs(notAPicture);
             app.typeOnTheKeyboard({QStringLiteral("RTRN")});
         },
         refused},
        {"a picture chosen with a double click", pictureChooser, details, pickAPicture,
         [](AppDriver &app, QDialog *chooser) {
             const auto [view, row] = fileInChooser(qobject_cast<QFileDialog *>(chooser), QStringLiteral("face.png"));
             ASSERT_NE(view, nullptr);
             app.clickOnTheScreen(view, row, 2);
         }},
        {"a file picked in the list and chosen with Return", pictureChooser, details, pickAPicture,
         [](AppDriver &app, QDialog *chooser) {
             const auto [view, row] = fileInChooser(qobject_cast<QFileDialog *>(chooser), QStringLiteral("me.png"));
             ASSERT_NE(view, nullptr);
             app.clickOnTheScreen(view, row, 1);
             app.typeOnTheKeyboard({QStringLiteral("RTRN")});
         },
         refused},
        {"the picture chooser's Escape", pictureChooser, details, pickAPicture,
         [](AppDriver &app, QDialog *) { app.typeOnTheKeyboard({QStringLiteral("ESC")}); }},
        {"the print dialog's Cancel", printDialog, QStringLiteral("Quillvane"), print,
         [](AppDriver &app, QDialog *dialog) {
             QAbstractButton *cancel = buttonOf(dialog, QStringLiteral("Cancel"));
             ASSERT_NE(cancel, nullptr);
             app.clickOnTheScreen(cancel, cancel->rect().center(), 1);
         }},
        {"the print dialog's Escape", printDialog, QStringLiteral("Quillvane"), print,
         [](AppDriver &app, QDialog *) { app.typeOnTheKeyboard({QStringLiteral("ESC")}); }},
        {"the print dialog printing to a PDF file", printDialog, QStringLiteral("Quillvane"), print,
         [&pdf](AppDriver &app, QDialog *dialog) { printToAFile(app, dialog, pdf); }},
    };
    for (const auto &closing : closings) {
        SCOPED_TRACE(closing.what);
        AppDriver app;
        app.useTheXServer();
        closing.launch(app);
        BusReader reader;
        ASSERT_TRUE(reader.isReady());
        ASSERT_TRUE(knvt::test::waitUntil([&] { return reader.windowStates(closing.window).has_value(); }));
        // The dialog is closed once it has the keyboard, for Qt and for the X server.
        QPointer<QDialog> dialog;
        bool closed = false;
        const QWidgetList before = QApplication::topLevelWidgets();
        QTimer whileOpen;
        whileOpen.setInterval(50);
        QObject::connect(&whileOpen, &QTimer::timeout, &whileOpen, [&] {
            auto *shown = qobject_cast<QDialog *>(QApplication::activeWindow());
            if (dialog != nullptr || shown == nullptr || before.contains(shown) || !hasTheXFocus(shown))
                return;
            dialog = shown;
            whileOpen.stop();
            reader.windowsHeard();
            reader.focusHeard();
            reader.announced();
            closing.close(app, dialog);
            closed = true;
        });
        whileOpen.start();
        closing.open(app);
        ASSERT_TRUE(knvt::test::waitUntil([&] { return closed; })) << "the dialog never had the keyboard";
        ASSERT_TRUE(knvt::test::waitUntil([&] { return dialog == nullptr || !dialog->isVisible(); }));
        QStringList windows;
        EXPECT_TRUE(knvt::test::waitUntil([&] {
            windows << reader.windowsHeard();
            return windows.contains("activate " + closing.window);
        })) << windows.join(" | ").toStdString();
        EXPECT_TRUE(reader.windowStates(closing.window).value_or(QStringList()).contains("active"));
        if (!closing.announced.isEmpty()) {
            QStringList announced;
            EXPECT_TRUE(knvt::test::waitUntil([&] {
                announced << reader.announced();
                return announced.contains(closing.announced);
            })) << announced.join(" | ").toStdString();
        }
        reader.focusHeard();
        app.typeOnTheKeyboard({QStringLiteral("TAB")});
        QStringList heard;
        EXPECT_TRUE(knvt::test::waitUntil([&] {
            heard << reader.focusHeard();
            return !heard.isEmpty();
        })) << "Tab was heard";
        EXPECT_EQ(reader.focus().value_or(BusElement{}).window, closing.window);
    }
    EXPECT_TRUE(QFileInfo(pdf).size() > 0) << "the print dialog printed to the file";
}

namespace {

// Why a focus the reader was told of is one no key follows ("" when the keys go there): a label, a list or a row of a
// window the reader was not told is active, anything of the window that is minimized.
QString strayFocus(const BusElement &heard, const QString &minimized)
{
    static const QStringList lists = {"list",      "list item", "table",      "table cell",
                                      "tree",      "tree item", "tree table", "row header"};
    if (heard.role == QStringLiteral("label"))
        return QStringLiteral("a label");
    if (!minimized.isEmpty() && heard.window == minimized)
        return QStringLiteral("the minimized ") + minimized;
    if (lists.contains(heard.role) && heard.window != heard.activeWindow)
        return QStringLiteral("a list of ") + heard.window + QStringLiteral(" while ")
            + (heard.activeWindow.isEmpty() ? QStringLiteral("no window") : heard.activeWindow)
            + QStringLiteral(" is active");
    return {};
}

// The focus the reader heard, as "push button Save (in Preferences, Preferences active)".
std::string placesRead(const std::vector<BusElement> &heard)
{
    QStringList read;
    for (const BusElement &place : heard)
        read << place.asRead() + " (in " + place.window + ", " + place.activeWindow + " active)";
    return read.join(QStringLiteral(" | ")).toStdString();
}

// The window the reader reads the focus in, once it reads one that is not `from`; "" when it never does.
QString focusLeaves(BusReader &reader, const QString &from)
{
    QString window;
    knvt::test::waitUntil([&] {
        window = reader.focus().value_or(BusElement{}).window;
        return !window.isEmpty() && window != from;
    });
    return window == from ? QString() : window;
}

} // namespace

// Every focus a reader is told of while the user goes from window to window and back is where the keys go: none on a
// label, on a list of a window the reader was not told is active, or on anything of a minimized window, and from the
// act that goes back on, none but in the place the keys go back to.
TEST_F(ScreenReaderBusFeature, OnTheWayBetweenWindowsTheReaderIsToldOnlyOfFocusWhereTheKeysGo)
{
    const QString main = QStringLiteral("Quillvane");
    // What a journey tells of as it goes: the main window was minimized, the user is about to go back.
    enum class Moment { Minimized, GoingBack };
    using Tell = std::function<void(Moment)>;
    using Go = std::function<void(AppDriver &, BusReader &, const Tell &)>;
    const auto launch = [](AppDriver &app) { app.launch(); };
    // A window the user opens from the main window, and Ctrl+W there back.
    const auto thereAndBack = [main](std::function<void(AppDriver &)> open, const char *window) -> Go {
        return [main, open, window](AppDriver &app, BusReader &reader, const Tell &tell) {
            open(app);
            ASSERT_FALSE(focusLeaves(reader, main).isEmpty()) << window << " took no focus";
            tell(Moment::GoingBack);
            app.pressWhereTheFocusIs("Ctrl+W");
        };
    };
    const struct
    {
        const char *what;
        // The world before the start, and the start.
        std::function<void(AppDriver &)> launch;
        // Goes to the other place and back.
        Go go;
        // The window the focus goes back to, or none ("").
        QString endsIn;
    } journeys[] = {
        {"an Edit form opened and closed", launch,
         [](AppDriver &app, BusReader &reader, const Tell &tell) {
             app.clickToolbar("Edit");
             EXPECT_EQ(reader.focusOnceItReads("text Title"), QStringLiteral("text Title"));
             tell(Moment::GoingBack);
             app.pressWhereTheFocusIs("Escape");
             EXPECT_TRUE(closed(app));
         },
         main},
        {"a task window and back", launch,
         thereAndBack([](AppDriver &app) { app.doubleClickRow("Paint fence"); }, "the task window"), main},
        {"Preferences and back", launch, thereAndBack([](AppDriver &app) { app.openPreferences(); }, "Preferences"),
         main},
        {"People from the Window menu, closed while the main window is minimized", launch,
         [main](AppDriver &app, BusReader &reader, const Tell &tell) {
             app.openPeopleWindow();
             ASSERT_EQ(focusLeaves(reader, main), QStringLiteral("People"));
             app.minimiseMainWindow();
             tell(Moment::Minimized);
             tell(Moment::GoingBack);
             app.pressWhereTheFocusIs("Ctrl+W");
         },
         QString()},
        {"a wrong password typed in the password window",
         [](AppDriver &app) {
             app.service().enableState();
             app.service().on("GET", "/account.json").reply(401).reply(401).pass();
             app.givenSignedIn(QStringLiteral("mika.r"), QStringLiteral("secret1"), true);
             app.launch();
         },
         [](AppDriver &app, BusReader &reader, const Tell &tell) {
             app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
             app.goToThePasswordWindow();
             reader.focusOnceItReads("password text Password:");
             app.typeWhereTheFocusIs("wrong1");
             tell(Moment::GoingBack);
             app.pressWhereTheFocusIs("Return");
             app.waitForService([&] { return app.service().count("GET", "/account.json") >= 2; });
         },
         QStringLiteral("Incorrect Password")},
    };
    for (const auto &journey : journeys) {
        SCOPED_TRACE(journey.what);
        AppDriver app;
        app.givenTask("Paint fence");
        journey.launch(app);
        BusReader reader;
        ASSERT_TRUE(reader.isReady());
        app.selectHome("Inbox");
        app.selectRows({"Paint fence"});
        ASSERT_TRUE(knvt::test::waitUntil([&] { return reader.focus().value_or(BusElement{}).window == main; }));
        reader.focusPlacesHeard();
        std::vector<BusElement> heard;
        std::optional<qsizetype> minimizedFrom;
        std::optional<qsizetype> backFrom;
        journey.go(app, reader, [&](Moment moment) {
            std::ranges::move(reader.focusPlacesHeard(), std::back_inserter(heard));
            (moment == Moment::Minimized ? minimizedFrom : backFrom) = qsizetype(heard.size());
        });
        ASSERT_TRUE(backFrom.has_value());
        // What the way back set off, until the focus rests.
        const bool ended =
            knvt::test::waitUntil([&] { return reader.focus().value_or(BusElement{}).window == journey.endsIn; });
        knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(500));
        std::ranges::move(reader.focusPlacesHeard(), std::back_inserter(heard));
        EXPECT_TRUE(ended) << "the focus went back to " << journey.endsIn.toStdString() << ": " << placesRead(heard);
        for (qsizetype index = 0; index < qsizetype(heard.size()); ++index) {
            const BusElement &place = heard[index];
            EXPECT_EQ(strayFocus(place, minimizedFrom && index >= *minimizedFrom ? main : QString()), QString())
                << place.asRead().toStdString() << " in " << placesRead(heard);
            if (index >= *backFrom)
                EXPECT_EQ(place.window, journey.endsIn)
                    << "on the way back: " << place.asRead().toStdString() << " in " << placesRead(heard);
        }
    }
}
