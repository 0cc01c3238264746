// A first session worked with the keyboard alone: every step is a key sent to the widget that has the keyboard focus,
// and the user finds where the focus is by what a screen reader says.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "uikit/KNVTPreferenceKeys.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class KeyboardOnlyFeature : public ::testing::Test
{
protected:
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
    ASSERT_TRUE(app.tabTo(QStringLiteral("check box Due (not checked)")));
    app.pressWhereTheFocusIs(QStringLiteral("Space"));
    app.pressWhereTheFocusIs(QStringLiteral("Tab"));
    app.pressWhereTheFocusIs(QStringLiteral("Ctrl+A"));
    app.typeWhereTheFocusIs(QStringLiteral("3/6/15"));
    ASSERT_TRUE(app.tabTo(QStringLiteral("text Tags")));
    app.typeWhereTheFocusIs(QStringLiteral("errand"));
    ASSERT_TRUE(app.tabTo(QStringLiteral("button Save")));
    app.pressWhereTheFocusIs(QStringLiteral("Space"));
    EXPECT_TRUE(app.openEditors().isEmpty());
    KNVTCDTask *stamps = app.taskTitled(QStringLiteral("Buy stamps"));
    ASSERT_NE(stamps, nullptr);
    EXPECT_EQ(stamps->dueDate().date(), QDate(2015, 3, 6));
    ASSERT_EQ(stamps->tags().size(), 1u);
    EXPECT_EQ(stamps->tags().front()->title(), QStringLiteral("errand"));

    // Find: F6 to the search field, type; F6 on to the list and down onto its first task.
    ASSERT_TRUE(app.paneTo(QStringLiteral("search")));
    app.typeWhereTheFocusIs(QStringLiteral("stamps"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Search Results"));
    ASSERT_TRUE(app.paneTo(QStringLiteral("list")));
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
    EXPECT_EQ(app.taskTitled(QStringLiteral("Buy stamps")), nullptr);
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Search Results: No Results"));

    // Escape in the search field brings back the list shown before the search.
    ASSERT_TRUE(app.paneTo(QStringLiteral("search")));
    app.pressWhereTheFocusIs(QStringLiteral("Escape"));
    EXPECT_EQ(app.centreListAsRead(), QStringLiteral("Inbox: No Tasks"));
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
}

TEST_F(KeyboardOnlyFeature, EachMenuOfTheMenuBarOpensWithAltAndTheLetterItsTitleMarks)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    const QStringList rows = app.centreRows();
    // This build has no contact page, the Help menu's one entry, and so no Help menu.
    const std::pair<const char *, const char *> menus[] = {
        {"Alt+F", "File: "}, {"Alt+E", "Edit: "}, {"Alt+I", "Items: "}, {"Alt+V", "View: "}, {"Alt+W", "Window: "},
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

TEST_F(KeyboardOnlyFeature, SearchResultsFormsContextMenusAndInformationWindowsAnswerTheKeysAUserTries)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenArea(QStringLiteral("Home"));
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Water plants"));
    app.launch();

    // Down or Return in the search field goes to the first result; Escape there ends the search as in the field.
    for (const QString &key : {QStringLiteral("Down"), QStringLiteral("Return")}) {
        ASSERT_TRUE(app.paneTo(QStringLiteral("search")));
        app.typeWhereTheFocusIs(QStringLiteral("rent"));
        app.pressWhereTheFocusIs(key);
        EXPECT_EQ(app.focusedPane(), QStringLiteral("list")) << key.toStdString();
        EXPECT_EQ(app.selectedRowTitles(), QStringList{"Pay rent"}) << key.toStdString();
        app.pressWhereTheFocusIs(QStringLiteral("Escape"));
        EXPECT_TRUE(app.mainWindow().searchField()->text().isEmpty()) << key.toStdString();
        EXPECT_TRUE(app.centreListAsRead().startsWith(QStringLiteral("Inbox"))) << key.toStdString();
        EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
    }

    // Shift+F10 opens the menu a right click on the row opens.
    app.openContextMenu(QStringLiteral("Water plants"));
    const QStringList rowMenu = app.contextMenu();
    ASSERT_FALSE(rowMenu.isEmpty());
    app.closeMenus();
    app.selectRows({QStringLiteral("Water plants")});
    app.pressWhereTheFocusIs(QStringLiteral("Shift+F10"));
    EXPECT_EQ(app.contextMenu(), rowMenu);
    app.closeMenus();

    // Return in the New Task form's Tags field presses Save, which is drawn as the default button.
    app.press(QStringLiteral("Ctrl+N"));
    app.typeWhereTheFocusIs(QStringLiteral("Buy stamps"));
    ASSERT_TRUE(app.tabTo(QStringLiteral("text Tags")));
    auto *save = app.frontEditor()->findChild<QPushButton *>(QStringLiteral("saveButton"));
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->isDefault());
    app.pressWhereTheFocusIs(QStringLiteral("Return"));
    EXPECT_TRUE(app.openEditors().isEmpty());
    EXPECT_NE(app.taskTitled(QStringLiteral("Buy stamps")), nullptr);

    // The task window and the information windows close with Escape and Ctrl+W, and Tab reaches their Close.
    const struct
    {
        const char *window;
        std::function<void()> open;
        QString close;
    } windows[] = {
        {"task", [&] { app.doubleClickRow(QStringLiteral("Pay rent")); }, QStringLiteral("button Done")},
        {"project", [&] { app.viewHomeEntry(QStringLiteral("Garden")); }, QStringLiteral("button Close")},
        {"area", [&] { app.viewHomeEntry(QStringLiteral("Home")); }, QStringLiteral("button Close")},
    };
    for (const auto &window : windows) {
        for (const QString &key : {QStringLiteral("Escape"), QStringLiteral("Ctrl+W"), QStringLiteral("Tab")}) {
            window.open();
            ASSERT_EQ(app.openEditors().size(), 1) << window.window;
            if (key == QStringLiteral("Tab")) {
                EXPECT_TRUE(app.tabTo(window.close)) << window.window;
                app.pressWhereTheFocusIs(QStringLiteral("Space"));
            } else {
                app.pressWhereTheFocusIs(key);
            }
            EXPECT_TRUE(app.openEditors().isEmpty()) << window.window << " " << key.toStdString();
            if (!app.openEditors().isEmpty())
                return;
            app.selectHome(QStringLiteral("Inbox"));
        }
    }
}

// The keyboard goes nowhere the user did not go: not on to the toolbar's New Task when the list or the task it was in
// goes away under the user, not out of the form a second Ctrl+N asks for again, not onto the menu bar, where no arrow
// works, when a window opened from there closes. Space then changes nothing.
TEST_F(KeyboardOnlyFeature, TheKeyboardStaysWhereTheUserWorksWhenWhatHeldItGoesOrIsAskedForAgain)
{
    app.givenDefault(QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey),
                     QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"), {.synced = true});
    app.givenTask(QStringLiteral("Dig"), {.list = QStringLiteral("Garden"), .synced = true});
    KNVTCDTask *rake = app.givenTask(QStringLiteral("Rake"), {.synced = true});
    app.givenTask(QStringLiteral("Mow"), {.synced = true});
    app.saveGivens();
    const auto pane = [this] { return app.focusedPane(); };
    const auto control = [this] { return app.focusedControl(); };
    const struct
    {
        const char *name;
        std::function<void()> in;
        std::function<void()> then;
        std::function<QString()> where;
        QString keyboard;
    } rows[] = {
        {"the list shown, deleted elsewhere",
         [this] {
             app.selectHome(QStringLiteral("Garden"));
             app.selectRows({QStringLiteral("Dig")});
         },
         [this, garden] { app.givenRemovedBySync(garden); }, pane, QStringLiteral("list")},
        {"the task shown, deleted elsewhere",
         [this] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Rake")});
             ASSERT_TRUE(app.paneTo(QStringLiteral("task")));
         },
         [this, rake] { app.givenRemovedBySync(rake); }, pane, QStringLiteral("list")},
        {"the new task form, asked for again", [this] { app.press(QStringLiteral("Ctrl+N")); },
         [this] { app.pressWhereTheFocusIs(QStringLiteral("Ctrl+N")); }, control, QStringLiteral("titleTextField")},
        {"the list, when a window opened from the menu bar's keys closes",
         [this] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Mow")});
             app.pressWhereTheFocusIs(QStringLiteral("Alt"));
             app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
         },
         [this] { app.pressWhereTheFocusIs(QStringLiteral("Escape")); }, pane, QStringLiteral("list")},
        {"the list, when Preferences chosen from the Window menu opened a second time closes",
         [this] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Mow")});
             app.typeKeyByKey({QStringLiteral("Alt+W"), QStringLiteral("Escape"), QStringLiteral("Alt+W"),
                               QStringLiteral("Down"), QStringLiteral("Return")});
             ASSERT_TRUE(app.openWindows().join(u',').contains(QStringLiteral("Preference")))
                 << app.openWindows().join(u',').toStdString();
         },
         [this] { app.closeFrontWindow(); }, pane, QStringLiteral("list")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        row.in();
        row.then();
        app.settle();
        EXPECT_EQ(row.where(), row.keyboard);
        const QStringList open = app.openEditors();
        app.pressWhereTheFocusIs(QStringLiteral("Space"));
        EXPECT_EQ(app.openEditors(), open) << "Space opened nothing";
        if (!open.isEmpty())
            app.closePopover();
    }
}
