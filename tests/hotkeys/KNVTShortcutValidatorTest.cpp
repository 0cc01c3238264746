#include "hotkeys/KNVTShortcutValidator.h"
#include "hotkeys/KNVTMainMenuSource.h"
#include "hotkeys/KNVTShortcutValidatorDelegate.h"
#include "support/FakeHotKeyBackend.h"
#include "support/ScopedKeyboardLayout.h"

#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

using knvt::test::FakeHotKeyBackend;
using knvt::test::ScopedKeyboardLayout;

namespace {

constexpr quint64 kCmd = 0x100;
constexpr quint64 kShift = 0x200;
constexpr quint64 kOption = 0x800;
constexpr quint64 kControl = 0x1000;

// File: Open… (Ctrl+O), Export ▸ As PDF… (Ctrl+Shift+E), Close (Ctrl+W); Edit: Find ▸ Find Next (Ctrl+G), Help (F1).
struct MainMenu : KNVTMainMenuSource
{
    QMenuBar bar;
    MainMenu()
    {
        QMenu *file = bar.addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("&Open\u2026"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
        QMenu *exportMenu = file->addMenu(QStringLiteral("Export"));
        exportMenu->addAction(QStringLiteral("As &PDF\u2026"))
            ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
        file->addSeparator();
        file->addAction(QStringLiteral("Close"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
        QMenu *edit = bar.addMenu(QStringLiteral("Edit"));
        QMenu *find = edit->addMenu(QStringLiteral("Find"));
        find->addAction(QStringLiteral("Find Next"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
        find->addAction(QStringLiteral("Also Next"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
        edit->addAction(QStringLiteral("Help"))->setShortcut(QKeySequence(Qt::Key_F1));
        edit->addAction(QStringLiteral("Jump"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Meta+Return")));
        setShared(this);
    }
    ~MainMenu() override { setShared(nullptr); }
    QMenuBar *mainMenuBar() const override { return const_cast<QMenuBar *>(&bar); }
};

struct ReservingDelegate : KNVTShortcutValidatorDelegate
{
    QString reason;
    QList<std::pair<qint64, quint64>> asked;
    bool shortcutValidator(KNVTShortcutValidator *, qint64 keyCode, quint64 cocoaFlags, QString *out) override
    {
        asked.append({keyCode, cocoaFlags});
        if (keyCode != 11)
            return false;
        *out = reason;
        return true;
    }
};

} // namespace

TEST(KNVTShortcutValidator, MenuItemsAnywhereInTheMenuBarTakeTheirCombination)
{
    ScopedKeyboardLayout us(QStringLiteral("us"));
    FakeHotKeyBackend backend;
    MainMenu menu;
    KNVTShortcutValidator validator;
    KNVTShortcutError error;

    EXPECT_TRUE(validator.isKeyCodeTaken(31, kCmd, &error));
    EXPECT_EQ(error.title, QStringLiteral("The key combination Ctrl+O can't be used!"));
    EXPECT_EQ(error.suggestion,
              QStringLiteral("The key combination \"Ctrl+O\" can't be used because it's already used by the menu "
                             "item \"Open\u2026\"."));
    EXPECT_EQ(error.options, QStringList{QStringLiteral("OK")});

    EXPECT_TRUE(validator.isKeyCodeTaken(14, kCmd | kShift, &error)) << "in a submenu";
    EXPECT_EQ(error.suggestion,
              QStringLiteral("The key combination \"Ctrl+Shift+E\" can't be used because it's "
                             "already used by the menu item \"As PDF\u2026\"."));
    EXPECT_TRUE(validator.isKeyCodeTaken(5, kCmd, &error));
    EXPECT_TRUE(error.suggestion.endsWith(QStringLiteral("\"Find Next\"."))) << "the first item in menu order is named";
    EXPECT_TRUE(validator.isKeyCodeTaken(122, 0x800000, &error)) << "F1 carries only the Function bit";
    EXPECT_TRUE(validator.isKeyCodeTaken(36, kCmd | kOption | kControl, &error));

    EXPECT_FALSE(validator.isKeyCodeTaken(31, kCmd | kShift)) << "the item has no Shift";
    EXPECT_FALSE(validator.isKeyCodeTaken(14, kCmd)) << "the item has Shift";
    EXPECT_FALSE(validator.isKeyCodeTaken(31, kOption));
    EXPECT_FALSE(validator.isKeyCodeTaken(0, kCmd));
    EXPECT_TRUE(validator.isKeyCodeTaken(31, kCmd)) << "the same answer without an error to fill";
}

TEST(KNVTShortcutValidator, MenuItemsMatchTheCharacterOfTheKeyInTheCurrentLayout)
{
    ScopedKeyboardLayout de(QStringLiteral("de"));
    MainMenu menu;
    KNVTShortcutValidator validator;
    QMenu extra;
    extra.addAction(QStringLiteral("Undo"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_TRUE(validator.isKeyCodeTakenInMenu(16, kCmd, extra.actions())) << "Z lies where Y lies on a US keyboard";
    EXPECT_FALSE(validator.isKeyCodeTakenInMenu(6, kCmd, extra.actions()));
}

TEST(KNVTShortcutValidator, ChordsOtherProgramsHoldAreTaken)
{
    ScopedKeyboardLayout us(QStringLiteral("us"));
    FakeHotKeyBackend backend;
    backend.holdElsewhere(32, kCmd | kOption);
    KNVTShortcutValidator validator;
    KNVTShortcutError error;

    EXPECT_TRUE(validator.isKeyCodeTaken(32, kCmd | kOption, &error));
    EXPECT_EQ(error.title, QStringLiteral("The key combination Ctrl+Alt+U can't be used!"));
    EXPECT_EQ(error.suggestion,
              QStringLiteral("The key combination \"Ctrl+Alt+U\" can't be used because it's already used by "
                             "a system-wide keyboard shortcut. (If you really want to use this key combination, most "
                             "shortcuts can be changed in the keyboard settings of your desktop.)"));
    EXPECT_TRUE(validator.isKeyCodeTaken(32, kCmd | kOption | 0x800000)) << "the Function bit is not compared";
    EXPECT_FALSE(validator.isKeyCodeTaken(32, kCmd | kOption | kShift)) << "an extra Shift is another chord";

    // A key that cannot be shown is refused without an explanation.
    ScopedKeyboardLayout de(QStringLiteral("de"));
    KNVTShortcutError unexplained;
    EXPECT_TRUE(validator.isKeyCodeTaken(24, kCmd, &unexplained));
    EXPECT_TRUE(unexplained.title.isEmpty());

    // Without a display there is nothing system-wide to collide with.
    backend.setAvailable(false);
    EXPECT_FALSE(validator.isKeyCodeTaken(24, kCmd));
    EXPECT_FALSE(validator.isKeyCodeTaken(32, kCmd | kOption));
}

TEST(KNVTShortcutValidator, TheDelegateIsAskedFirst)
{
    ScopedKeyboardLayout us(QStringLiteral("us"));
    FakeHotKeyBackend backend;
    ReservingDelegate delegate;
    KNVTShortcutValidator validator(&delegate);
    KNVTShortcutError error;

    EXPECT_TRUE(validator.isKeyCodeTaken(11, kCmd | kControl, &error));
    EXPECT_EQ(delegate.asked.constLast(), (std::pair<qint64, quint64>{11, 0x140000}));
    EXPECT_EQ(error.suggestion,
              QStringLiteral("The key combination \"Meta+Ctrl+B\" can't be used because it's already used."));
    EXPECT_EQ(backend.probeCount(), 0);

    delegate.reason = QStringLiteral("the notes field needs it");
    EXPECT_TRUE(validator.isKeyCodeTaken(11, kCmd, &error));
    EXPECT_EQ(error.suggestion,
              QStringLiteral("The key combination \"Ctrl+B\" can't be used because the notes "
                             "field needs it."));
    EXPECT_FALSE(validator.isKeyCodeTaken(12, kCmd));
    EXPECT_EQ(backend.probeCount(), 1);
}

TEST(KNVTShortcutValidator, AlertsForRefusals)
{
    KNVTShortcutError error{QStringLiteral("Title"), QStringLiteral("Because."), {QStringLiteral("OK")}};
    const knvt::AlertPresenter::Request explained = alertWithNonRecoverableError(&error);
    EXPECT_EQ(explained.title, QStringLiteral("Title"));
    EXPECT_EQ(explained.message, QStringLiteral("Because."));
    EXPECT_EQ(explained.buttonTitles, QStringList{QStringLiteral("OK")});
    EXPECT_TRUE(explained.critical);

    const knvt::AlertPresenter::Request bare = alertWithNonRecoverableError(nullptr);
    EXPECT_EQ(bare.title, QStringLiteral("The key combination can't be used!"));
    EXPECT_EQ(bare.message, QString());
    EXPECT_EQ(bare.buttonTitles, QStringList{QStringLiteral("OK")});
    EXPECT_TRUE(bare.critical);
}
