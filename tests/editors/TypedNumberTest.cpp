// What a field that takes a number reads: digits of any script, and nothing else.
#include "editors/TypedNumber.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct Case
{
    QString text;
    std::optional<unsigned int> number;
    QValidator::State state;
};

TEST(TypedNumber, DigitsOfAnyScriptAreReadAsTheirNumberAndAnythingElseIsRefused)
{
    const Case cases[] = {
        {QStringLiteral("3"), 3u, QValidator::Acceptable},
        {QString::fromUtf8("\u0663\u0660"), 30u, QValidator::Acceptable}, // Arabic-Indic
        {QString::fromUcs4(U"\U0001E953"), 3u, QValidator::Acceptable},   // Adlam, beyond the first plane
        {QStringLiteral(" 42 "), 42u, QValidator::Acceptable},
        {QStringLiteral("1000"), std::nullopt, QValidator::Invalid},
        {QStringLiteral("0"), 0u, QValidator::Intermediate},
        {QString(), std::nullopt, QValidator::Intermediate},
        {QStringLiteral("-2"), std::nullopt, QValidator::Invalid},
        {QStringLiteral("2a"), std::nullopt, QValidator::Invalid},
        {QString::fromUtf8("\u00B2"), std::nullopt, QValidator::Invalid}, // a superscript is no digit to type
        {QString::fromUtf8("\u2165"), std::nullopt, QValidator::Invalid}, // nor a Roman numeral
    };
    const knvt::TypedNumberValidator validator(1, 999, nullptr);
    for (const Case &c : cases) {
        EXPECT_EQ(knvt::typedNumber(c.text, 999), c.number) << c.text.toStdString();
        QString input = c.text;
        int position = 0;
        EXPECT_EQ(validator.validate(input, position), c.state) << c.text.toStdString();
    }
    EXPECT_EQ(knvt::typedNumber(QStringLiteral("4294967295")), 4294967295u);
    EXPECT_EQ(knvt::typedNumber(QStringLiteral("4294967296")), std::nullopt) << "beyond what an unsigned holds";
}

} // namespace
