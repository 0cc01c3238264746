// A first session worked with the keyboard alone: every step is a key sent to the widget that has the keyboard focus,
// and the user finds where the focus is by what a screen reader says.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class KeyboardOnlyFeature : public ::testing::Test
{
protected:
    // Tab until the screen reader reads `control` in the front editor, as a user listens for it; false after a round
    // without it.
    bool tabTo(const QString &control)
    {
        for (int i = 0; i < 30; ++i) {
            if (app.focusAsRead().endsWith(control))
                return true;
            app.pressWhereTheFocusIs(QStringLiteral("Tab"));
        }
        return false;
    }

    // F6 until the keyboard is in the pane.
    bool paneTo(const QString &pane)
    {
        for (int i = 0; i < 5; ++i) {
            if (app.focusedPane() == pane)
                return true;
            app.pressWhereTheFocusIs(QStringLiteral("F6"));
        }
        return false;
    }

    KNVTCDTask *taskTitled(const QString &title)
    {
        for (KNVTCDTask *task : app.store().tasks())
            if (task->title() == title && !task->isDeleted())
                return task;
        return nullptr;
    }

    AppDriver app;
};

} // namespace

TEST_F(KeyboardOnlyFeature, AFirstSessionAddsATaskWithADueDateAndATagFindsItCompletesItAndDeletesIt)
{
    app.launch();

    // Add: the new-task form takes the keyboard; the fields are reached with Tab and filled by typing.
    app.press(QStringLiteral("Ctrl+N"));
    ASSERT_EQ(app.focusAsRead(), QStringLiteral("dialog New Task: text Title"));
    app.typeWhereTheFocusIs(QStringLiteral("Buy stamps"));
    ASSERT_TRUE(tabTo(QStringLiteral("check box Due (not checked)")));
    app.pressWhereTheFocusIs(QStringLiteral("Space"));
    app.pressWhereTheFocusIs(QStringLiteral("Tab"));
    app.pressWhereTheFocusIs(QStringLiteral("Ctrl+A"));
    app.typeWhereTheFocusIs(QStringLiteral("3/6/15"));
    ASSERT_TRUE(tabTo(QStringLiteral("text Tags")));
    app.typeWhereTheFocusIs(QStringLiteral("errand"));
    ASSERT_TRUE(tabTo(QStringLiteral("button Save")));
    app.pressWhereTheFocusIs(QStringLiteral("Space"));
    EXPECT_TRUE(app.openEditors().isEmpty());
    KNVTCDTask *stamps = taskTitled(QStringLiteral("Buy stamps"));
    ASSERT_NE(stamps, nullptr);
    EXPECT_EQ(stamps->dueDate().date(), QDate(2015, 3, 6));
    ASSERT_EQ(stamps->tags().size(), 1u);
    EXPECT_EQ(stamps->tags().front()->title(), QStringLiteral("errand"));

    // Find: F6 to the search field, type; F6 on to the list and down onto its first task.
    ASSERT_TRUE(paneTo(QStringLiteral("search")));
    app.typeWhereTheFocusIs(QStringLiteral("stamps"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Search Results"));
    ASSERT_TRUE(paneTo(QStringLiteral("list")));
    app.pressWhereTheFocusIs(QStringLiteral("Down"));
    EXPECT_EQ(app.selectedRowTitles(), QStringList{"Buy stamps"}) << "the section header is passed over";
    EXPECT_EQ(app.rightPane(), QStringLiteral("Buy stamps"));

    // Complete: the box reads as checked.
    app.pressWhereTheFocusIs(QStringLiteral("Ctrl+."));
    EXPECT_TRUE(stamps->isCompleted());
    EXPECT_TRUE(app.centreAsRead().contains(QStringLiteral("Buy stamps, completed (checked) [Toggle]")))
        << app.centreAsRead().join('\n').toStdString();

    // Delete: the Delete key asks, as Ctrl+Backspace does, and the list then says why it is empty.
    app.answerAlert(QStringLiteral("Delete"));
    app.pressWhereTheFocusIs(QStringLiteral("Del"));
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(app.alertsShown().first().startsWith(QStringLiteral("Delete Task?")));
    EXPECT_EQ(taskTitled(QStringLiteral("Buy stamps")), nullptr);
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Search Results: No Results"));

    // Escape in the search field brings back the list shown before the search.
    ASSERT_TRUE(paneTo(QStringLiteral("search")));
    app.pressWhereTheFocusIs(QStringLiteral("Escape"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Inbox: No Tasks"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
}

TEST_F(KeyboardOnlyFeature, EachMenuOfTheMenuBarOpensWithAltAndTheLetterItsTitleMarks)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    const QStringList rows = app.centreRows();
    const std::pair<const char *, const char *> menus[] = {
        {"Alt+F", "File: "}, {"Alt+E", "Edit: "},   {"Alt+I", "Items: "},
        {"Alt+V", "View: "}, {"Alt+W", "Window: "}, {"Alt+H", "Help: "},
    };
    for (const auto &[keys, menu] : menus) {
        app.press(QString::fromLatin1(keys));
        const QString read = app.openMenuAsRead();
        EXPECT_TRUE(read.startsWith(QString::fromLatin1(menu))) << keys << " opened " << read.toStdString();
        app.pressWhereTheFocusIs(QStringLiteral("Escape"));
    }
    app.closeMenus();
    EXPECT_EQ(app.centreRows(), rows) << "opening menus changed nothing";
    EXPECT_EQ(app.selectedRowTitles(), QStringList{QStringLiteral("Pay rent")});
}
