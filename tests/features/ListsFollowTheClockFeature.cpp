// The lists on screen and the home list's badges follow the clock while the application runs: a task whose start or
// due time passes during the day, and one that starts at midnight, move into Today where they are shown, with the
// Today tint, as the badge counts them.

#include "AppDriver.h"

#include <gtest/gtest.h>

#include <functional>

using knvt::features::AppDriver;

namespace {

QDateTime at(int day, int hour)
{
    return QDateTime(AppDriver::defaultNow().date().addDays(day), QTime(hour, 0));
}

// The line a screen reader reads for the row of that title; empty when the list shows none.
QString rowAsRead(AppDriver &app, const QString &title)
{
    for (const QStringList lines = app.centreAsRead(); const QString &line : lines)
        if (line.startsWith(title))
            return line;
    return {};
}

TEST(ListsFollowTheClockFeature, AtMidnightATaskStartingThatDayLeavesScheduledWithTheTodayTintInEveryList)
{
    struct Case
    {
        const char *list;
        std::function<void(AppDriver &)> open;
    };
    const Case cases[] = {
        {"Inbox", [](AppDriver &app) { app.selectHome(QStringLiteral("Inbox")); }},
        {"tag list", [](AppDriver &app) { app.selectHome(QStringLiteral("garden")); }},
        {"search", [](AppDriver &app) { app.typeInSearch(QStringLiteral("ferns")); }},
    };
    for (const Case &c : cases) {
        AppDriver app;
        // As Move To Today and the date picker set it: the day's 00:00.
        app.givenTask(QStringLiteral("Water the ferns"), {.start = at(1, 0), .tags = {QStringLiteral("garden")}});
        app.givenTask(QStringLiteral("Rake the ferns' bed"), {.tags = {QStringLiteral("garden")}});
        app.launch();
        c.open(app);
        ASSERT_TRUE(app.centreRows().contains(QStringLiteral("# Scheduled"))) << c.list;

        app.givenTheClockReaches(at(1, 0));
        EXPECT_FALSE(app.centreRows().contains(QStringLiteral("# Scheduled")))
            << c.list << ": " << app.centreRows().join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(rowAsRead(app, QStringLiteral("Water the ferns")),
                  QStringLiteral("Water the ferns (not checked) - Today [Toggle]"))
            << c.list;
        EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Today (1)"))) << c.list;
    }
}

TEST(ListsFollowTheClockFeature, ATaskWhoseStartOrDueTimePassesDuringTheDayMovesIntoTodayWhereItIsShown)
{
    AppDriver app;
    // Times of day, as the service or a peer in another zone sets them.
    app.givenTask(QStringLiteral("Call the plumber"), {.start = at(0, 15)});
    app.givenTask(QStringLiteral("Send the invoice"), {.due = at(0, 17)});
    app.launch();
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_EQ(app.centreRows(),
              (QStringList{"# Incomplete", "[ ] Send the invoice", "# Scheduled", "[ ] Call the plumber"}));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Today"))) << app.homeRows().join('|').toStdString();

    app.givenTheClockReaches(at(0, 15));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call the plumber", "[ ] Send the invoice"}));
    EXPECT_EQ(rowAsRead(app, QStringLiteral("Call the plumber")),
              QStringLiteral("Call the plumber (not checked) - Today [Toggle]"));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Today (1)"))) << app.homeRows().join('|').toStdString();

    // The Today list on screen takes the task whose due time passes, as its badge counts it.
    app.selectHome(QStringLiteral("Today"));
    EXPECT_EQ(app.centreRows().filter(QStringLiteral("[ ]")), (QStringList{"[ ] Call the plumber"}));
    app.givenTheClockReaches(at(0, 17));
    QStringList today = app.centreRows().filter(QStringLiteral("[ ]"));
    today.sort();
    EXPECT_EQ(today, (QStringList{"[ ] Call the plumber", "[ ] Send the invoice"}));
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Today (2)"))) << app.homeRows().join('|').toStdString();
}

} // namespace
