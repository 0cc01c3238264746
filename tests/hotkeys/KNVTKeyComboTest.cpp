#include "hotkeys/KNVTKeyCombo.h"
#include "support/ScopedKeyboardLayout.h"

#include <gtest/gtest.h>

using knvt::test::ScopedKeyboardLayout;

namespace {

KNVTKeyCombo read(const QVariantMap &stored)
{
    return KNVTKeyCombo::fromPlistRepresentation(stored);
}

} // namespace

TEST(KNVTKeyCombo, ReadsTheStoredFormKeepingKeyCodeZero)
{
    struct Row
    {
        QVariantMap stored;
        KNVTKeyCombo expected;
    };
    const Row rows[] = {
        {{{"keyCode", 0}, {"modifiers", 2304}}, {0, 2304}},
        {{{"keyCode", 31}, {"modifiers", 768}}, {31, 768}},
        {{{"keyCode", 31.0}, {"modifiers", 768.0}}, {31, 768}},
        {{{"modifiers", 256}}, {-1, 256}},
        {{{"keyCode", -4}, {"modifiers", 256}}, {-1, 256}},
        {{{"keyCode", QStringLiteral("31")}, {"modifiers", 256}}, {-1, 256}},
        {{{"keyCode", 2.5}, {"modifiers", 256}}, {-1, 256}},
        {{{"keyCode", 31}, {"modifiers", 0}}, {31, -1}},
        {{{"keyCode", 31}}, {31, -1}},
        {{{"keyCode", -1}, {"modifiers", -1}}, {-1, -1}},
        {{}, {-1, -1}},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(read(row.stored), row.expected) << QDebug::toString(row.stored).toStdString();
    }
    EXPECT_EQ(KNVTKeyCombo::fromPlistRepresentation(QVariant()), KNVTKeyCombo::clearKeyCombo());
    EXPECT_TRUE(read({{"keyCode", 0}, {"modifiers", 2304}}).isValidHotKeyCombo());

    const QVariantMap written = KNVTKeyCombo(0, 2304).plistRepresentation();
    EXPECT_EQ(written.size(), 2);
    EXPECT_EQ(read(written), KNVTKeyCombo(0, 2304));
}

TEST(KNVTKeyCombo, ValidityAndTheClearCombination)
{
    const KNVTKeyCombo clear = KNVTKeyCombo::clearKeyCombo();
    EXPECT_TRUE(clear.isClearCombo());
    EXPECT_FALSE(clear.isValidHotKeyCombo());
    EXPECT_EQ(clear.description(), QStringLiteral("(None)"));
    EXPECT_EQ(clear.keyCodeString(), QString());
    EXPECT_EQ(clear.modifierMask(), 0u);

    EXPECT_FALSE(KNVTKeyCombo(12, 0).isValidHotKeyCombo()) << "a key alone never becomes a hot key";
    EXPECT_FALSE(KNVTKeyCombo(-1, 256).isValidHotKeyCombo());
    EXPECT_FALSE(KNVTKeyCombo(-1, 256).isClearCombo());
    EXPECT_TRUE(KNVTKeyCombo(96, 0x800000).isValidHotKeyCombo()) << "F5 with only the Function bit";
    EXPECT_EQ(KNVTKeyCombo(96, 0x800000).description(), QStringLiteral("F5"));
}

TEST(KNVTKeyCombo, DescriptionsInTheCurrentLayout)
{
    ScopedKeyboardLayout us(QStringLiteral("us"));
    EXPECT_EQ(KNVTKeyCombo(40, 0x0200 | 0x0100).description(), QStringLiteral("Ctrl+Shift+K"));
    EXPECT_EQ(KNVTKeyCombo(40, 0x1000 | 0x0800).description(), QStringLiteral("Meta+Alt+K"));
    EXPECT_EQ(KNVTKeyCombo(36, 0x100).keyCodeString(), QStringLiteral("\u21A9"));
    EXPECT_EQ(KNVTKeyCombo(49, 0x100).keyCodeString(), QStringLiteral("Space"));
    EXPECT_EQ(KNVTKeyCombo(83, 0x100).keyCodeString(), QStringLiteral("Pad 1"));
    EXPECT_EQ(KNVTKeyCombo(0x1000 | 0x0100, 0x1000).modifierMask(), 0x40000u);
    EXPECT_EQ(KNVTKeyCombo(31, 0x0100 | 0x0200 | 0x0800 | 0x1000).modifierMask(), 0x1E0000u);

    ScopedKeyboardLayout de(QStringLiteral("de"));
    EXPECT_EQ(KNVTKeyCombo(16, 0x100).description(), QStringLiteral("Ctrl+Z"));
}

TEST(KNVTKeyCombo, BothFormsOfTheKeyCodeList)
{
    ScopedKeyboardLayout us(QStringLiteral("us"));
    const QVariantMap &shipped = KNVTKeyCombo::keyCodesDictionary();
    EXPECT_EQ(shipped.value(QStringLiteral("version")).toInt(), 1);
    EXPECT_EQ(shipped.value(QStringLiteral("unmappedKeys")).toMap().size(), 36);
    EXPECT_EQ(shipped.value(QStringLiteral("padKeys")).toList().size(), 16);

    const QVariantMap legacy{{QStringLiteral("5"), QStringLiteral("G")}};
    EXPECT_EQ(KNVTKeyCombo::stringForKeyCode(5, legacy), QStringLiteral("G"));
    EXPECT_EQ(KNVTKeyCombo::stringForKeyCode(127, legacy), QStringLiteral("7F"));

    const QVariantMap current{
        {QStringLiteral("version"), 1},
        {QStringLiteral("unmappedKeys"), QVariantMap{{QStringLiteral("36"), QStringLiteral("Ret")}}},
        {QStringLiteral("padKeys"), QStringList{QStringLiteral("83")}},
        {QStringLiteral("padKeyString"), QStringLiteral("Keypad")}};
    EXPECT_EQ(KNVTKeyCombo::stringForKeyCode(36, current), QStringLiteral("Ret"));
    EXPECT_EQ(KNVTKeyCombo::stringForKeyCode(83, current), QStringLiteral("Keypad 1"));
    EXPECT_EQ(KNVTKeyCombo::stringForKeyCode(0, current), QStringLiteral("A"));
}
