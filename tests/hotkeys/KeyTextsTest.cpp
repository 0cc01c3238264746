#include "hotkeys/KNVTKeyCodeTransformer.h"
#include "hotkeys/ShortcutStrings.h"
#include "support/ScopedKeyboardLayout.h"

#include <gtest/gtest.h>

using knvt::test::ScopedKeyboardLayout;

namespace {

std::optional<QString> text(int keyCode)
{
    return KNVTKeyCodeTransformer().transform(keyCode);
}

} // namespace

TEST(KeyTexts, FixedKeysKeypadAndLettersUnderUS)
{
    ScopedKeyboardLayout us(QStringLiteral("us"));
    EXPECT_EQ(text(49), QStringLiteral("Space"));
    EXPECT_EQ(text(36), QStringLiteral("\u21A9"));
    EXPECT_EQ(text(114), QStringLiteral("?"));
    EXPECT_EQ(text(122), QStringLiteral("F1"));
    EXPECT_EQ(text(117), QStringLiteral("\u2326"));
    EXPECT_EQ(text(83), QStringLiteral("Pad 1"));
    EXPECT_EQ(text(65), QStringLiteral("Pad ."));
    EXPECT_EQ(text(76), QStringLiteral("\u2305"));
    EXPECT_EQ(text(0), QStringLiteral("A"));
    EXPECT_EQ(text(40), QStringLiteral("K"));
    EXPECT_EQ(text(50), QStringLiteral("`"));
    EXPECT_EQ(text(-1), std::nullopt);
    EXPECT_EQ(text(0x10000), QStringLiteral("A")) << "key codes are 16-bit";
    EXPECT_EQ(text(52), std::nullopt) << "no key on a PC keyboard";
    EXPECT_EQ(KNVTKeyCodeDisplayString(-5), QString());
}

TEST(KeyTexts, OtherLayoutsShowTheirOwnLabelsAndDeadKeysShowNothing)
{
    {
        ScopedKeyboardLayout de(QStringLiteral("de"));
        EXPECT_EQ(text(6), QStringLiteral("Y"));
        EXPECT_EQ(text(16), QStringLiteral("Z"));
        EXPECT_EQ(text(41), QStringLiteral("\u00D6"));
        EXPECT_EQ(text(65), QStringLiteral("Pad ,"));
        EXPECT_EQ(text(24), std::nullopt) << "the acute accent key is dead";
        EXPECT_EQ(text(50), std::nullopt) << "the circumflex key is dead";
        EXPECT_EQ(KNVTKeyCodeDisplayString(24), QString());
    }
    {
        ScopedKeyboardLayout fr(QStringLiteral("fr"));
        EXPECT_EQ(text(0), QStringLiteral("Q"));
        EXPECT_EQ(text(12), QStringLiteral("A"));
        EXPECT_EQ(text(18), QStringLiteral("&"));
        EXPECT_EQ(text(33), std::nullopt) << "the circumflex key is dead";
        EXPECT_EQ(text(49), QStringLiteral("Space"));
    }
}

TEST(KeyTexts, TheReverseMapFollowsLayoutChanges)
{
    ScopedKeyboardLayout both(QStringLiteral("us,de"));
    const KNVTKeyCodeTransformer transformer;
    EXPECT_EQ(transformer.reverse(QStringLiteral("Y")), 16);
    EXPECT_EQ(transformer.reverse(QStringLiteral("\u21A9")), 36);
    EXPECT_EQ(transformer.reverse(QStringLiteral("Pad 1")), 83);
    EXPECT_EQ(transformer.reverse(QStringLiteral("nothing")), std::nullopt);

    both.layout().setLayoutIndex(1);
    EXPECT_EQ(transformer.reverse(QStringLiteral("Y")), 6);
    EXPECT_EQ(transformer.reverse(QStringLiteral("Z")), 16);
    EXPECT_EQ(KNVTKeyCodeDisplayString(6), QStringLiteral("Y"));

    {
        ScopedKeyboardLayout fr(QStringLiteral("fr"));
        EXPECT_EQ(transformer.reverse(QStringLiteral("A")), 12);
    }
    EXPECT_EQ(transformer.reverse(QStringLiteral("A")), 0) << "back to the US fallback";
}

TEST(KeyTexts, CombinationsShownToTheUserUseTheDesktopsKeyNames)
{
    {
        ScopedKeyboardLayout us(QStringLiteral("us"));
        const quint64 allCarbon = 0x0100 | 0x0800 | 0x1000 | 0x0200;
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100 | 0x0800, 14), QStringLiteral("Ctrl+Alt+E"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(allCarbon, 40), QStringLiteral("Meta+Ctrl+Alt+Shift+K"));
        EXPECT_EQ(KNVTCocoaShortcutNativeText(0x100000, 45), QStringLiteral("Ctrl+N"));
        EXPECT_EQ(KNVTCocoaShortcutNativeText(0x800000, 96), QStringLiteral("F5")) << "the Function bit is no key";
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 36), QStringLiteral("Ctrl+Return"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 49), QStringLiteral("Ctrl+Space"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 51), QStringLiteral("Ctrl+Backspace"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 123), QStringLiteral("Ctrl+Left"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 114), QStringLiteral("Ctrl+Ins")) << "the Insert key of a PC";
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0800, 83), QStringLiteral("Alt+Num+1"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 43), QStringLiteral("Ctrl+,"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 52), QString()) << "no key on a PC keyboard";
        EXPECT_EQ(KNVTCocoaModifierNativeText(0x100000 | 0x80000), QStringLiteral("Ctrl+Alt+"));
        EXPECT_EQ(KNVTCocoaModifierNativeText(0x800000), QString());
    }
    {
        ScopedKeyboardLayout de(QStringLiteral("de"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 6), QStringLiteral("Ctrl+Y"))
            << "the key as the layout labels it";
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 41), QStringLiteral("Ctrl+\u00D6"));
        EXPECT_EQ(KNVTCarbonShortcutNativeText(0x0100, 24), QString()) << "a dead key has no text";
    }
}

TEST(KeyTexts, ModifierGlyphsWordsAndConversions)
{
    ScopedKeyboardLayout us(QStringLiteral("us"));
    const quint64 allCocoa = 0x100000 | 0x80000 | 0x40000 | 0x20000;
    EXPECT_EQ(KNVTCocoaModifierGlyphString(allCocoa), QStringLiteral("\u2303\u2325\u21E7\u2318"));
    EXPECT_EQ(KNVTCarbonModifierGlyphString(0x0100 | 0x0200), QStringLiteral("\u21E7\u2318"));
    EXPECT_EQ(KNVTCocoaModifierGlyphString(0), QString());
    EXPECT_EQ(KNVTCocoaShortcutSpelledString(allCocoa, 40), QStringLiteral("Command + Option + Control + Shift + K"));
    EXPECT_EQ(KNVTCarbonShortcutSpelledString(0x1000, 49), QStringLiteral("Control + Space"));
    EXPECT_EQ(KNVTCarbonShortcutGlyphString(0x0100 | 0x0200, 40), QStringLiteral("\u21E7\u2318K"));
    EXPECT_EQ(KNVTCocoaShortcutGlyphString(0x80000, 83), QStringLiteral("\u2325Pad 1"));

    EXPECT_EQ(KNVTCocoaFlagsFromCarbonFlags(0x0300), 0x120000u);
    EXPECT_EQ(KNVTCarbonFlagsFromCocoaFlags(0x120000), 0x0300u);
    EXPECT_EQ(KNVTCocoaFlagsFromCarbonFlags(0x0800 | 0x1000), 0xC0000u);
    EXPECT_EQ(KNVTCarbonFlagsFromCocoaFlags(0xC0000), 0x1800u);
    EXPECT_EQ(KNVTCocoaFlagsFromCarbonFlags(0x800000 | 0x0001 | 0x0400 | 0x10000), 0x800000u);
    EXPECT_EQ(KNVTCarbonFlagsFromCocoaFlags(0x800000 | 0x10000 | 0x1), 0x800000u);
}

TEST(KeyTexts, CharactersUnderShiftAndOption)
{
    {
        ScopedKeyboardLayout us(QStringLiteral("us"));
        EXPECT_EQ(KNVTKeyCharacterForCocoaFlags(0, 0), QStringLiteral("A")) << "title case";
        EXPECT_EQ(KNVTKeyCharacterForCocoaFlags(18, 0x20000), QStringLiteral("!"));
        EXPECT_EQ(KNVTKeyCharacterForCarbonFlags(18, 0x0200), QStringLiteral("!"));
        EXPECT_EQ(KNVTKeyCharacterForCocoaFlags(122, 0), QString()) << "F1 types nothing";
        EXPECT_EQ(KNVTKeyCharacterForCocoaFlags(52, 0), QString()) << "no such key: its (empty) text";
    }
    ScopedKeyboardLayout de(QStringLiteral("de"));
    EXPECT_EQ(KNVTKeyCharacterForCocoaFlags(12, 0x80000), QStringLiteral("@"));
    EXPECT_EQ(KNVTKeyCharacterForCocoaFlags(27, 0), QStringLiteral("\u00DF"));
    EXPECT_EQ(KNVTKeyCharacterForCocoaFlags(24, 0), QString()) << "dead keys type nothing";
}

TEST(KeyTexts, EaseInOut)
{
    EXPECT_DOUBLE_EQ(KNVTEaseInOut(0), 0);
    EXPECT_NEAR(KNVTEaseInOut(0.5), 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(KNVTEaseInOut(1), 1);
    EXPECT_LT(KNVTEaseInOut(0.1), 0.1);
    EXPECT_GT(KNVTEaseInOut(0.9), 0.9);
}
