// The quick-entry hot key on a real X server: another program has the focus, keys are typed on the keyboard (XTest)
// and layouts switched with setxkbmap. Each scenario restores the US layout.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"
#include "support/FakeSyncService.h"
#include "support/WaitUntil.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QLineEdit>
#include <QProcess>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

const QString kHotKey = QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey);

class QuickEntryX11Feature : public ::testing::Test
{
protected:
    QuickEntryX11Feature() { app.useTheXServer(); }
    ~QuickEntryX11Feature() override { QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("us")}); }

    AppDriver app;
};

} // namespace

TEST_F(QuickEntryX11Feature, TheStoredQuickEntryKeyOpensATaskWindowFromAnotherProgram)
{
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    ASSERT_EQ(app.newTaskWindows(), 1);
    EXPECT_TRUE(app.newTaskWindowHasTitleFocus()) << "in front, with the title field ready";

    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"), 1200);
    EXPECT_EQ(app.newTaskWindows(), 2) << "holding the chord opens one";

    app.pressAnywhere(QStringLiteral("CAPS"));
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    app.pressAnywhere(QStringLiteral("CAPS"));
    EXPECT_EQ(app.newTaskWindows(), 3) << "with Caps Lock on it still fires";

    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 4);
}

TEST_F(QuickEntryX11Feature, RecordingANewQuickEntryKey)
{
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    app.clickShortcutRecorder();
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.defaults(kHotKey).toMap(), (QVariantMap{{"keyCode", 14}, {"modifiers", 0x900}}));
    app.closePreferences();

    app.pressAnywhere(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.newTaskWindows(), 1);
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1) << "the old chord does not";
    EXPECT_TRUE(app.chordIsFree(QStringLiteral("Ctrl+Shift+O")));

    app.openPreferences();
    app.clickRecorderRemoveButton();
    EXPECT_TRUE(app.chordIsFree(QStringLiteral("Ctrl+Alt+E"))) << "the remove button leaves no chord grabbed";
    app.relaunch();
    EXPECT_TRUE(app.chordIsFree(QStringLiteral("Ctrl+Alt+E"))) << "and none is restored";
    app.pressAnywhere(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.newTaskWindows(), 0);
}

TEST_F(QuickEntryX11Feature, AChordAnotherProgramHoldsIsRefused)
{
    app.givenAnotherProgramHolds(QStringLiteral("Ctrl+Alt+U"));
    app.openPreferences();
    app.clickShortcutRecorder();
    app.alerts().answerWithIndex(0);
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+U"));
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(app.alertsShown().constFirst().contains(QStringLiteral("system-wide keyboard shortcut")));
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Type shortcut")) << "recording goes on";

    app.alerts().answerWithIndex(0);
    app.typeInRecorder(QStringLiteral("Ctrl+P"));
    ASSERT_EQ(app.alertsShown().size(), 2);
    EXPECT_TRUE(app.alertsShown().constLast().contains(QStringLiteral("the menu item \"Print\"")));
}

TEST_F(QuickEntryX11Feature, TheKeyboardLayoutChanges)
{
    // Command-Option on the key right of Tab: Q on a US keyboard, A on a French one.
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 12}, {"modifiers", 0x900}});
    app.openPreferences();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Alt+Q"));
    app.closePreferences();

    app.switchKeyboardLayout(QStringLiteral("fr"));
    app.openPreferences();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Alt+A"));
    app.givenAnotherProgramHolds(QStringLiteral("Ctrl+Alt+AD02"));
    app.clickShortcutRecorder();
    app.alerts().answerWithIndex(0);
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+AD02"));
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(app.alertsShown().constFirst().startsWith(QStringLiteral("The key combination Ctrl+Alt+Z can't")))
        << "the French label of the key: " << app.alertsShown().constFirst().toStdString();
    app.closePreferences();

    app.pressAnywhere(QStringLiteral("Ctrl+Alt+AD01"));
    EXPECT_EQ(app.newTaskWindows(), 1) << "the chord still fires on its physical key";
}

TEST_F(QuickEntryX11Feature, ReRecordingTheCurrentChord)
{
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    app.clickShortcutRecorder();
    app.typeInRecorder(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 0) << "recorded instead of opening a window";
    app.closePreferences();
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1);
}

TEST_F(QuickEntryX11Feature, ClickingIntoAnotherProgramWhileRecordingGivesItsKeyboardBack)
{
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    const QString face = app.recorderFace();
    app.clickShortcutRecorder();
    ASSERT_EQ(app.recorderFace(), QStringLiteral("Type shortcut"));

    app.focusAnotherProgram();
    EXPECT_TRUE(app.typeInAnotherProgram(QStringLiteral("Ctrl+Alt+E"))) << "what the user types there reaches it";
    EXPECT_EQ(app.recorderFace(), face) << "the recording ended with the old shortcut";
    EXPECT_EQ(app.defaults(kHotKey).toMap(), (QVariantMap{{"keyCode", 31}, {"modifiers", 768}}))
        << "nothing was stored";
    EXPECT_TRUE(app.chordIsFree(QStringLiteral("Ctrl+Alt+E")));

    app.closePreferences();
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1) << "the quick-entry key works again";
}

// The service refused the stored password and its window waits for a new one, which a sync opened, not the user. The
// quick-entry key opens quick entry with the keyboard: the title typed after the key is the task's, never the password,
// and once quick entry has gone the keys go back where they were, until the user clicks into the password window.
TEST_F(QuickEntryX11Feature, TheQuickEntryKeyOverThePasswordWindowTakesTheKeyboardForTheTitle)
{
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.service().enableState();
    app.service().on("GET", "/account.json").reply(401).pass();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });

    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    ASSERT_EQ(app.newTaskWindows(), 1);
    EXPECT_TRUE(app.newTaskWindowHasTitleFocus()) << "quick entry has the keyboard";
    app.typeOnTheKeyboard({QStringLiteral("Shift+B"), QStringLiteral("U"), QStringLiteral("Y"), QStringLiteral("SPCE"),
                           QStringLiteral("M"), QStringLiteral("I"), QStringLiteral("L"), QStringLiteral("K")});
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Buy milk"));
    app.typeOnTheKeyboard({QStringLiteral("RTRN")});
    EXPECT_TRUE(knvt::test::waitUntil([this] { return app.newTaskWindows() == 0; })) << "Return saved the task";

    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1")) << "nothing was saved as password";
    ASSERT_NE(app.app().authenticationFailureWindowController(), nullptr) << "the password is still asked for";
    auto *password = app.app().authenticationFailureWindowController()->window()->findChild<QLineEdit *>(
        QStringLiteral("passwordSecureTextField"));
    app.typeOnTheKeyboard({QStringLiteral("Q")});
    EXPECT_EQ(password->text(), QString()) << "the window the application opened takes no key";
    app.clickOnTheScreen(password);
    ASSERT_TRUE(knvt::test::waitUntil([password] { return password->window()->isActiveWindow(); }));
    app.typeOnTheKeyboard({QStringLiteral("P"), QStringLiteral("W")});
    EXPECT_TRUE(knvt::test::waitUntil([password] { return password->text() == QLatin1String("pw"); }))
        << "the password window has the keyboard once the user clicked into it";

    app.clickButton(QStringLiteral("cancelButton"));
    app.selectHome(QStringLiteral("Next"));
    EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[ ] Buy milk"))) << "the task quick entry saved";
}

// The service refuses the password while the user types a title into quick entry: the password window opens beside it
// without the keyboard, the rest of the title and its Return stay in the form, and the window takes the keyboard when
// the user clicks it.
TEST_F(QuickEntryX11Feature, APasswordRefusedWhileATitleIsTypedLeavesTheKeysToTheTitleUntilTheUserClicksIt)
{
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.service().enableState();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    ASSERT_EQ(app.newTaskWindows(), 1);
    app.typeOnTheKeyboard({QStringLiteral("Shift+B"), QStringLiteral("U")});

    app.service().on("GET", "/account.json").reply(401).pass();
    app.store().sync();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    app.typeOnTheKeyboard({QStringLiteral("Y"), QStringLiteral("SPCE"), QStringLiteral("M"), QStringLiteral("I"),
                           QStringLiteral("L"), QStringLiteral("K"), QStringLiteral("RTRN")});
    EXPECT_TRUE(knvt::test::waitUntil([this] { return app.newTaskWindows() == 0; })) << "Return saved the task";
    EXPECT_NE(app.taskTitled(QStringLiteral("Buy milk")), nullptr);
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));

    // The window manager's pick of a window once quick entry has gone is not the user going to the password window:
    // the keys typed then never reach it. A click in it does.
    auto *password = app.app().authenticationFailureWindowController()->window()->findChild<QLineEdit *>(
        QStringLiteral("passwordSecureTextField"));
    app.typeOnTheKeyboard({QStringLiteral("Q")});
    app.clickOnTheScreen(password);
    ASSERT_TRUE(knvt::test::waitUntil([password] { return password->window()->isActiveWindow(); }));
    app.typeOnTheKeyboard({QStringLiteral("P"), QStringLiteral("W")});
    EXPECT_TRUE(knvt::test::waitUntil([password] { return password->text() == QLatin1String("pw"); }))
        << password->text().toStdString();
    app.clickButton(QStringLiteral("cancelButton"));
}
