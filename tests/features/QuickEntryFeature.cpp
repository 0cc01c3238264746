// The quick-entry hot key and its shortcut recorder, offscreen: the hot keys of the window system are recorded by a
// stand-in (FakeHotKeyBackend); the same scenarios on a real X server live in x11/.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "foundation/Defaults.h"
#include "hotkeys/KNVTShortcutRecorderControl.h"
#include "support/ScopedKeyboardLayout.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/Popover.h"

#include <QAccessible>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>

#include <cstdlib>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

const QString kHotKey = QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey);

// The hot-key entry of the defaults file as written on disk.
QJsonValue storedHotKey()
{
    knvt::Defaults::standard().synchronize();
    QFile file(knvt::Defaults::standardFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return QJsonValue::Undefined;
    return QJsonDocument::fromJson(file.readAll()).object().value(kHotKey);
}

} // namespace

TEST(QuickEntryFeature, TheStoredQuickEntryKeyOpensATaskWindowOnEveryPress)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    AppDriver app;
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1);
    EXPECT_TRUE(app.windowsOpened().constLast().startsWith(QStringLiteral("KNVTTaskNewWindowController")));
    EXPECT_TRUE(app.newTaskWindowHasTitleFocus());
    QAccessibleInterface *read =
        QAccessible::queryAccessibleInterface(app.app().taskNewWindowControllers()[0]->window());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::Window) << "a screen reader announces a window, not a filler";
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("New Task"));
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    ASSERT_EQ(app.newTaskWindows(), 2);
    // The second window cascades from the first rather than hiding it.
    const QPoint first = app.app().taskNewWindowControllers()[0]->window()->pos();
    const QPoint second = app.app().taskNewWindowControllers()[1]->window()->pos();
    EXPECT_GT(second.x(), first.x());
    EXPECT_GT(second.y(), first.y());
    app.pressAnywhere(QStringLiteral("Ctrl+O"));
    EXPECT_EQ(app.newTaskWindows(), 2);
}

TEST(QuickEntryFeature, TheQuickEntryWindowOpensAcrossTheUpperMiddleOfTheScreenAndTheNewTaskPopoverOverTheWindow)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    AppDriver app;
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.launch();
    // The window manager put the main window away from the screen's left edge.
    KNVTMainWindowController &main = app.mainWindow();
    main.move(150, 40);
    app.clickToolbar(QStringLiteral("New Task"));
    const auto *popover = qobject_cast<knvt::Popover *>(app.frontEditor());
    ASSERT_NE(popover, nullptr);
    const QRect window = main.geometry();
    EXPECT_GE(popover->geometry().left(), window.left());
    EXPECT_LE(popover->geometry().right(), window.right());
    EXPECT_GE(popover->geometry().top(), window.top());
    app.closePopover();

    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    ASSERT_EQ(app.newTaskWindows(), 1);
    const QWidget *entry = app.app().taskNewWindowControllers().back()->window();
    const QRect screen = entry->screen()->availableGeometry();
    const QRect frame = entry->frameGeometry();
    EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 4) << "across the middle";
    EXPECT_GT(frame.top(), screen.top()) << "not in a corner";
    EXPECT_LT(frame.center().y(), screen.center().y()) << "in the upper part";
}

TEST(QuickEntryFeature, AQuickEntryKeyOnTheAKeySurvivesARestart)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    AppDriver app;
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 0}, {"modifiers", 2304}});
    app.launch();
    app.relaunch();
    app.pressAnywhere(QStringLiteral("Ctrl+Alt+A"));
    EXPECT_EQ(app.newTaskWindows(), 1);
    app.openPreferences();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Alt+A"));
}

TEST(QuickEntryFeature, OpeningThePreferencesChangesNothing)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    {
        AppDriver app;
        app.openPreferences();
        EXPECT_EQ(app.recorderFace(), QStringLiteral("Click to record shortcut"));
        app.closePreferences();
        app.quit();
        EXPECT_TRUE(storedHotKey().isUndefined()) << "nothing was recorded, so nothing is written";
    }
    AppDriver app;
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    const quint32 number = app.quickEntryHotKeyNumber();
    app.openPreferences();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Shift+O"));
    QAccessibleInterface *recorder = QAccessible::queryAccessibleInterface(app.shortcutRecorder());
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->text(QAccessible::Name), QStringLiteral("Quick Entry shortcut"));
    EXPECT_EQ(recorder->text(QAccessible::Value), QStringLiteral("Ctrl+Shift+O"));
    app.closePreferences();
    EXPECT_EQ(app.quickEntryHotKeyNumber(), number) << "the hot key was not registered again";
    EXPECT_FALSE(app.preferencesSayGlobalShortcutsNeedX11());
}

TEST(QuickEntryFeature, RecordingANewQuickEntryKey)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    AppDriver app;
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    app.clickShortcutRecorder();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Type shortcut"));
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(storedHotKey().toObject(), (QJsonObject{{"keyCode", 14}, {"modifiers", 0x900}}));

    app.pressAnywhere(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.newTaskWindows(), 1);
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    EXPECT_EQ(app.newTaskWindows(), 1) << "the old chord no longer opens a window";

    app.clickRecorderRemoveButton();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Click to record shortcut"));
    EXPECT_TRUE(app.chordIsFree(QStringLiteral("Ctrl+Alt+E")));
    app.relaunch();
    app.pressAnywhere(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.newTaskWindows(), 0);
    app.openPreferences();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Click to record shortcut"));
}

TEST(QuickEntryFeature, AChordAnotherProgramOrAMenuItemUsesIsRefused)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    AppDriver app;
    app.givenAnotherProgramHolds(QStringLiteral("Ctrl+Alt+U"));
    app.openPreferences();
    app.clickShortcutRecorder();
    app.alerts().answerWithIndex(0);
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+U"));
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(app.alertsShown().constFirst().startsWith(
        QStringLiteral("The key combination Ctrl+Alt+U can't be used! / The key combination \"Ctrl+Alt+U\" can't "
                       "be used because it's already used by a system-wide keyboard shortcut.")))
        << app.alertsShown().constFirst().toStdString();
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Type shortcut")) << "recording goes on";

    app.alerts().answerWithIndex(0);
    app.typeInRecorder(QStringLiteral("Ctrl+P"));
    ASSERT_EQ(app.alertsShown().size(), 2);
    EXPECT_TRUE(app.alertsShown().constLast().contains(QStringLiteral("already used by the menu item \"Print\"")))
        << app.alertsShown().constLast().toStdString();
    EXPECT_TRUE(storedHotKey().isUndefined());
}

TEST(QuickEntryFeature, WithoutAnXServerThePreferencesSaySo)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    AppDriver app;
    app.fakeHotKeys()->setAvailable(false);
    app.givenDefault(kHotKey, QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.openPreferences();
    EXPECT_TRUE(app.preferencesSayGlobalShortcutsNeedX11());
    app.clickShortcutRecorder();
    app.typeInRecorder(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.recorderFace(), QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(storedHotKey().toObject(), (QJsonObject{{"keyCode", 14}, {"modifiers", 0x900}}))
        << "kept for a session that has one";
    app.pressAnywhere(QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(app.newTaskWindows(), 0);
}
