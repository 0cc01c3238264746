// The running application read over the real accessibility bus, as a screen reader reads it (inside
// scripts/with-x11 and scripts/with-atspi): the controls of every window with their roles, names and descriptions,
// the calendar's days, and where the focus goes after the keys users try.

#include "../AppDriver.h"
#include "BusReader.h"

#include "support/ScopedLocale.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

using knvt::features::AppDriver;
using knvt::test::BusElement;
using knvt::test::BusReader;

namespace {

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
        const std::vector<BusElement> all = reader.controls();
        const std::vector<BusElement> cells = calendarCells(all);
        ASSERT_GE(cells.size(), 28u);
        QStringList names;
        for (const BusElement &cell : cells) {
            EXPECT_EQ(cell.role, QStringLiteral("table cell")) << cell.name.toStdString() << " is a stop";
            names << cell.name;
        }
        EXPECT_TRUE(names.contains(place.sixthOfMarch)) << names.join(QStringLiteral(" | ")).toStdString();
    }
}
