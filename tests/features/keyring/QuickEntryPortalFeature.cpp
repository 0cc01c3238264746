// The quick-entry hot key on a Wayland desktop, which binds global shortcuts through its GlobalShortcuts portal: a
// fake portal on the private session bus stands for the desktop, its dialogs and its settings.

#include "AppDriver.h"

#include "support/FakeGlobalShortcutsPortal.h"
#include "support/ScopedKeyboardLayout.h"
#include "support/WaitUntil.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;
using knvt::test::FakeGlobalShortcutsPortal;

namespace {

const QString kHotKey = QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey);

class QuickEntryPortalFeature : public ::testing::Test
{
protected:
    knvt::test::ScopedKeyboardLayout us{QStringLiteral("us")};
    AppDriver app;
};

} // namespace

TEST_F(QuickEntryPortalFeature, TheStoredKeyIsBoundAtTheStartAndOpensOneQuickEntryWindowPerPress)
{
    app.useTheDesktopPortal();
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.launch();
    app.waitForTheDesktop();
    ASSERT_EQ(app.desktop().bindings().size(), 1);
    EXPECT_EQ(app.desktop().bindings()[0].id, QStringLiteral("quick-entry"));
    EXPECT_EQ(app.desktop().bindings()[0].preferredTrigger, QStringLiteral("CTRL+SHIFT+o"));

    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1) << "the press and its release open one window";
    EXPECT_TRUE(app.windowsOpened().constLast().startsWith(QStringLiteral("KNVTTaskNewWindowController")));
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 2);

    app.openPreferences();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.preferencesGlobalShortcutLine(), QStringLiteral("The desktop bound the shortcut to Ctrl+Shift+O."));
}

TEST_F(QuickEntryPortalFeature, RecordingANewKeyBindsItAsTheDesktopsNewTrigger)
{
    app.useTheDesktopPortal();
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    app.clickShortcutRecorder();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Type shortcut"));
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.preferencesGlobalShortcutLine(), QStringLiteral("The desktop bound the shortcut to Ctrl+Alt+E."));
    EXPECT_EQ(app.desktop().bindings().constLast().preferredTrigger, QStringLiteral("CTRL+ALT+e"));
    EXPECT_TRUE(knvt::test::waitUntil([this] { return app.desktop().openSessions().size() == 1; }))
        << "the old binding's session was closed";
    EXPECT_EQ(app.defaults(kHotKey).toMap(), (QVariantMap{{"keyCode", 14}, {"modifiers", 0x900}}))
        << "the stored form of what the user recorded";
    app.closePreferences();

    app.pressAnywhere(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.newTaskWindows(), 1);
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1) << "the old trigger is gone";

    app.openPreferences();
    app.clickRecorderRemoveButton();
    EXPECT_EQ(app.preferencesGlobalShortcutLine(), QString()) << "nothing recorded, nothing bound";
    EXPECT_TRUE(knvt::test::waitUntil([this] { return app.desktop().openSessions().isEmpty(); }));
}

TEST_F(QuickEntryPortalFeature, TheTriggerTheDesktopAssignedInsteadIsShown)
{
    app.useTheDesktopPortal();
    app.desktop().assignTrigger(QStringLiteral("Ctrl+Alt+K"));
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Shift+O")) << "what the user recorded";
    EXPECT_EQ(app.preferencesGlobalShortcutLine(),
              QStringLiteral("The desktop assigned Ctrl+Alt+K instead of the recorded shortcut."));
    EXPECT_EQ(app.defaults(kHotKey).toMap(), (QVariantMap{{"keyCode", 31}, {"modifiers", 768}}));

    app.pressAnywhere(QStringLiteral("Ctrl+Alt+K"));
    EXPECT_EQ(app.newTaskWindows(), 1) << "the desktop's trigger opens quick entry";

    // Later the user gives it another key in the desktop's settings; the open pane follows.
    app.desktop().changeTrigger(QStringLiteral("Meta+J"));
    EXPECT_TRUE(knvt::test::waitUntil([this] {
        return app.preferencesGlobalShortcutLine()
            == QStringLiteral("The desktop assigned Meta+J instead of the recorded shortcut.");
    }));
}

TEST_F(QuickEntryPortalFeature, ADesktopThatRefusesTheShortcutLeavesTheApplicationWorkingAndThePaneSaysWhy)
{
    app.useTheDesktopPortal();
    app.desktop().setMode(FakeGlobalShortcutsPortal::Mode::Refuse);
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.givenTask(QStringLiteral("Pay rent"));
    app.openPreferences();
    EXPECT_EQ(app.preferencesGlobalShortcutLine(),
              QStringLiteral("The desktop did not bind the shortcut: it was refused or left without a key. There is no "
                             "global key."));
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Shift+O")) << "the recorded shortcut is kept";
    EXPECT_EQ(app.defaults(kHotKey).toMap(), (QVariantMap{{"keyCode", 31}, {"modifiers", 768}}));
    app.closePreferences();
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 0);
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[x] Pay rent"))) << "the application works";
}

TEST_F(QuickEntryPortalFeature, ADesktopPortalThatStopsLeavesTheApplicationWorkingAndThePaneSaysWhy)
{
    app.useTheDesktopPortal();
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    app.waitForTheDesktop();
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    ASSERT_EQ(app.newTaskWindows(), 1);

    app.desktop().vanish();
    app.openPreferences();
    EXPECT_TRUE(knvt::test::waitUntil([this] {
        return app.preferencesGlobalShortcutLine()
            == QStringLiteral("The desktop's global shortcuts portal has stopped. There is no global key until it "
                              "starts again.");
    })) << app.preferencesGlobalShortcutLine().toStdString();
    app.closePreferences();
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1);
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[x] Pay rent")))
        << "the application goes on working without a global key";
}

TEST_F(QuickEntryPortalFeature, ADesktopWithoutTheGlobalShortcutsPortalSaysGlobalShortcutsAreUnavailable)
{
    app.useTheDesktopPortal(false);
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    EXPECT_EQ(app.preferencesGlobalShortcutLine(),
              QStringLiteral("Global shortcuts are unavailable: this desktop offers no global shortcuts portal."));
    EXPECT_FALSE(app.preferencesSayGlobalShortcutsNeedX11());
    app.clickShortcutRecorder();
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.defaults(kHotKey).toMap(), (QVariantMap{{"keyCode", 14}, {"modifiers", 0x900}}))
        << "kept for a session that has global shortcuts";
}
