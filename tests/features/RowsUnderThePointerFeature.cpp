// The rows the pointer and the keyboard act on: a double click on a completion box, a task just made, the selection
// after a command moved its row.

#include "AppDriver.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class RowsUnderThePointerFeature : public ::testing::Test
{
protected:
    AppDriver app;
};

} // namespace

TEST_F(RowsUnderThePointerFeature, ADoubleClickOnACompletionBoxCompletesOnlyTheTaskUnderTheFirstClick)
{
    app.givenTask(QStringLiteral("Buy milk"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    // The first click moves Buy milk under Completed, and Call Ann slides under the pointer before the second.
    app.doubleClickCheckBox(QStringLiteral("Buy milk"));
    EXPECT_EQ(app.centreRows(),
              (QStringList{"# Incomplete", "[ ] Call Ann", "[ ] Pay rent", "# Completed", "[x] Buy milk"}));
    // Reopened, it moves back up, and Pay rent comes under the pointer.
    app.doubleClickCheckBox(QStringLiteral("Buy milk"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Buy milk", "[ ] Call Ann", "[ ] Pay rent"}));
}

TEST_F(RowsUnderThePointerFeature, ATaskMadeWithTheKeyOrTheToolbarIsSelectedAndShownWhenTheListShowsIt)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenProject(QStringLiteral("Garden"));
    struct Case
    {
        QString list;
        bool byKey;
        QString title;
    };
    for (const Case &c : {Case{QStringLiteral("Inbox"), true, QStringLiteral("Buy stamps")},
                          Case{QStringLiteral("Garden"), false, QStringLiteral("Rake leaves")}}) {
        SCOPED_TRACE(c.title.toStdString());
        app.selectHome(c.list);
        app.selectRows({});
        if (c.byKey)
            app.press(QStringLiteral("Ctrl+N"));
        else
            app.clickToolbar(QStringLiteral("New Task"));
        app.typeWhereTheFocusIs(c.title);
        app.pressReturn();
        app.wait(1);
        EXPECT_EQ(app.selectedRowTitles(), QStringList{c.title});
        EXPECT_EQ(app.rightPane(), c.title);
        EXPECT_TRUE(app.selectedRowIsInView());
    }
}

TEST_F(RowsUnderThePointerFeature, ATaskCompletedByKeyInALongListStaysSelectedAndInView)
{
    for (int i = 0; i < 40; ++i)
        app.givenTask(QStringLiteral("Task %1").arg(i, 2, 10, QLatin1Char('0')));
    app.launch();
    app.clickRow(QStringLiteral("Task 01"));
    ASSERT_TRUE(app.selectedRowIsInView());
    app.press(QStringLiteral("Ctrl+."));
    app.settle();
    EXPECT_TRUE(app.centreRows().endsWith(QStringLiteral("[x] Task 01")));
    EXPECT_EQ(app.selectedRowTitles(), QStringList{"Task 01"});
    EXPECT_EQ(app.rightPane(), QStringLiteral("Task 01"));
    EXPECT_TRUE(app.selectedRowIsInView()) << "the view follows the selection under Completed";
    // The keyboard carries on from there: Up goes to the row above it.
    app.press(QStringLiteral("Up"));
    EXPECT_EQ(app.selectedRowTitles(), QStringList{"Task 39"});
    EXPECT_TRUE(app.selectedRowIsInView());
}
