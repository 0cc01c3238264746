// Dates in the forms: the day a field shows is the day the lists show, in the user's zone and locale; a field that
// names no day keeps the form from saving.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "support/ScopedLocale.h"
#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

// Wall-clock time in the zone the scenario has switched to; made only after the switch.
QDateTime local(int year, int month, int day, int hour = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0));
}

struct UserPlace
{
    const char *zone;
    const char *locale;
    // What the fields show for today (7 December 2026), for Christmas Day, and for the instant that begins Christmas
    // Day in Greenwich, which is still Christmas Eve west of it.
    QString today;
    QString christmas;
    QString christmasInGreenwich;
    // New Year's Day as the user types it, and as the field writes it.
    QString newYearTyped;
    QString newYearShown;
};

} // namespace

TEST(DatesFeature, TheEditFormShowsAndStoresTheDayTheListsShowInBerlinAucklandAndLosAngeles)
{
    const UserPlace places[] = {
        {"Europe/Berlin", "de_DE", "07.12.26", "25.12.26", "25.12.26", "1.1.27", "01.01.27"},
        {"Pacific/Auckland", "en_NZ", "7/12/26", "25/12/26", "25/12/26", "1/1/2027", "1/01/27"},
        {"America/Los_Angeles", "en_US", "12/7/26", "12/25/26", "12/24/26", "1/1/2027", "1/1/27"},
    };
    for (const UserPlace &place : places) {
        SCOPED_TRACE(place.zone);
        knvt::test::ScopedTimeZone zone(place.zone);
        knvt::test::ScopedLocale locale(place.locale);
        AppDriver app;
        app.givenNow(local(2026, 12, 7, 12));
        // The library holds instants: the start of today and of Christmas Day where the user is, and midnight in
        // Greenwich as another program may have written it.
        KNVTCDTask *gifts =
            app.givenTask("Wrap gifts", {.due = local(2026, 12, 25).toUTC(), .start = local(2026, 12, 7).toUTC()});
        KNVTCDTask *call = app.givenTask(
            "Call home", {.due = QDateTime(QDate(2026, 12, 25), QTime(0, 0), Qt::UTC), .start = local(2026, 12, 7)});
        app.selectHome("Today");

        app.selectRows({"Wrap gifts"});
        app.clickToolbar("Edit");
        EXPECT_EQ(app.shownText("startDateDatePicker"), place.today);
        EXPECT_EQ(app.shownText("dueDateDatePicker"), place.christmas);
        app.typeOver("dueDateDatePicker", place.newYearTyped);
        EXPECT_TRUE(app.isEnabled("saveButton"));
        app.pressReturn();
        EXPECT_TRUE(app.openEditors().isEmpty());
        EXPECT_EQ(gifts->dueDate(), local(2027, 1, 1));
        EXPECT_EQ(gifts->startDate(), local(2026, 12, 7)) << "a start shown and not changed is not written";

        app.selectRows({"Wrap gifts"});
        app.clickToolbar("Edit");
        EXPECT_EQ(app.shownText("dueDateDatePicker"), place.newYearShown);
        EXPECT_EQ(app.shownText("startDateDatePicker"), place.today);
        app.clickButton("cancelButton");

        app.selectRows({"Call home"});
        app.clickToolbar("Edit");
        EXPECT_EQ(app.shownText("dueDateDatePicker"), place.christmasInGreenwich);
        app.pressReturn();
        EXPECT_EQ(call->dueDate(), QDateTime(QDate(2026, 12, 25), QTime(0, 0), Qt::UTC))
            << "a date saved back unchanged keeps its instant";
    }
}

TEST(DatesFeature, ADateFieldThatNamesNoDayKeepsSaveOffUntilItNamesOneOrIsUnticked)
{
    AppDriver app;
    KNVTCDTask *paint = app.givenTask("Paint", {.due = QDateTime(QDate(2015, 3, 20), QTime(0, 0)), .synced = true});
    const qsizetype tasks = app.store().tasks().size();
    app.selectHome("Inbox");
    app.press("Ctrl+N");
    app.typeIn("titleTextField", "Buy paint");
    app.tick("dueDateCheckBoxButton");
    for (const QString &text : {QStringLiteral("tomorrow"), QStringLiteral("2/30/15"), QString()}) {
        SCOPED_TRACE(text.toStdString());
        app.typeOver("dueDateDatePicker", text);
        EXPECT_EQ(app.shownText("dueDateDatePicker"), text);
        EXPECT_EQ(app.descriptionAsRead("dueDateDatePicker"), QStringLiteral("Not a day"));
        EXPECT_FALSE(app.isEnabled("saveButton"));
    }
    app.pressReturn();
    EXPECT_EQ(app.beeps(), 1);
    EXPECT_EQ(app.store().tasks().size(), tasks);
    app.tick("dueDateCheckBoxButton", false);
    EXPECT_TRUE(app.isEnabled("saveButton")) << "an unticked date is not asked for";
    app.tick("dueDateCheckBoxButton");
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.typeOver("dueDateDatePicker", "3/6/15");
    EXPECT_TRUE(app.isEnabled("saveButton"));
    EXPECT_EQ(app.descriptionAsRead("dueDateDatePicker"), QString());

    app.tick("startDateCheckBoxButton");
    app.typeOver("startDateDatePicker", "3/3/15");
    EXPECT_EQ(app.descriptionAsRead("startDateDatePicker"), QStringLiteral("Start cannot be before today"));
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.pressReturn();
    EXPECT_EQ(app.beeps(), 2);
    app.typeOver("startDateDatePicker", "3/5/15");
    app.pressReturn();
    KNVTCDTask *bought = app.taskTitled("Buy paint");
    ASSERT_NE(bought, nullptr);
    EXPECT_EQ(bought->startDate(), QDateTime(QDate(2015, 3, 5), QTime(0, 0)));
    EXPECT_EQ(bought->dueDate(), QDateTime(QDate(2015, 3, 6), QTime(0, 0)));

    // The edit form: an emptied date is no day, and neither Return nor the button stores the one it held.
    app.selectHome("Inbox");
    app.selectRows({"Paint"});
    app.clickToolbar("Edit");
    app.typeOver("dueDateDatePicker", "");
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.pressReturn();
    app.clickButton("saveButton");
    EXPECT_EQ(app.beeps(), 3);
    EXPECT_EQ(app.openEditors().size(), 1);
    EXPECT_EQ(paint->dueDate(), QDateTime(QDate(2015, 3, 20), QTime(0, 0)));
    EXPECT_FALSE(paint->isUpdated());
    app.clickButton("cancelButton");

    // A new project: a start before today is refused with its reason.
    app.chooseMenu("File", "New Project");
    app.typeIn("titleTextField", "Orchard");
    app.tick("startDateCheckBoxButton");
    app.typeOver("startDateDatePicker", "3/1/15");
    EXPECT_EQ(app.descriptionAsRead("startDateDatePicker"), QStringLiteral("Start cannot be before today"));
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.pressReturn();
    EXPECT_EQ(app.beeps(), 4);
    EXPECT_TRUE(app.store().projects().empty());
    app.typeOver("startDateDatePicker", "3/9/15");
    app.pressReturn();
    ASSERT_EQ(app.store().projects().size(), 1u);
    EXPECT_EQ(app.store().projects().front()->startDate(), QDateTime(QDate(2015, 3, 9), QTime(0, 0)));
}
