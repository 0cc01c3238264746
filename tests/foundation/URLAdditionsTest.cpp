#include "foundation/URLAdditions.h"
#include "foundation/StringAdditions.h"

#include <gtest/gtest.h>

using namespace knvt;

TEST(Escaping, EscapesEveryReservedCharacterAndNonAsciiAsUtf8)
{
    EXPECT_EQ(URLEscapedString(":/?#[]@!$&\u2019()*+,;="),
              "%3A%2F%3F%23%5B%5D%40%21%24%26%E2%80%99%28%29%2A%2B%2C%3B%3D");
    EXPECT_EQ(URLEscapedString("Anna's list\r\n"), "Anna's%20list%0D%0A");
    EXPECT_EQ(URLEscapedString("caf\u00e9\u00a0\U0001F600"), "caf%C3%A9%C2%A0%F0%9F%98%80");
    EXPECT_EQ(percentEncodedStringWithString("100% \"a\" <b|c>"), "100%25%20%22a%22%20%3Cb%7Cc%3E");
}

TEST(Escaping, KeepsOnlyLettersDigitsAndFiveMarksAmongAscii)
{
    for (int c = 0; c < 128; ++c) {
        const QString input(QChar(static_cast<char16_t>(c)));
        const bool kept = QChar(c).isLetterOrNumber() || QByteArrayView("-._~'").contains(static_cast<char>(c));
        const QString expected = kept ? input : QStringLiteral("%%1").arg(c, 2, 16, QChar(u'0')).toUpper();
        EXPECT_EQ(URLEscapedString(input), expected) << "character " << c;
    }
}

TEST(QueryString, WritesPairsInTheGivenOrderWithOnlyValuesEscaped)
{
    EXPECT_EQ(parameterStringWithParameters({{"include", "owner"}}), "?include=owner");
    EXPECT_EQ(parameterStringWithParameters({{"z", "1"}, {"a", "2"}}, false), "z=1&a=2");
    EXPECT_EQ(parameterStringWithParameters({}), "");
    EXPECT_EQ(parameterStringWithParameters({}, false), "");
    EXPECT_EQ(parameterStringWithParameters({{"ids[]", "1,2&3"}}), "?ids[]=1%2C2%263");

    const QUrl url = URLWithBaseString("https://api.example.com/tasks", {{"since", "10:20+02"}, {"q", "a b"}});
    EXPECT_EQ(url.toString(QUrl::FullyEncoded), "https://api.example.com/tasks?since=10%3A20%2B02&q=a%20b");
    // Keys are not escaped, so a key with a blank or a quote makes the whole text invalid.
    EXPECT_TRUE(URLWithBaseString("https://api.example.com/x", {{"bad key", "1"}}).isEmpty());
    EXPECT_TRUE(URLWithBaseString("https://api.example.com/x", {{"k\"", "1"}}).isEmpty());
    EXPECT_TRUE(URLWithBaseString("", {}).isEmpty());
}

TEST(PercentDecoding, ReplacesEscapesByTheirUtf8Characters)
{
    EXPECT_EQ(percentDecodedStringWithString("Anna%E2%80%99s%20list+%2b"), "Anna\u2019s list++");
    EXPECT_EQ(percentDecodedStringWithString("%EF%BB%BFx"), QString(QChar(0xFEFF)) + u'x');
    EXPECT_FALSE(percentDecodedStringWithString("").isNull());

    const QString text = "Gr\u00fc\u00dfe, \u2018Anna\u2019 & \u65e5\u672c \U0001F600 100%";
    EXPECT_EQ(percentDecodedStringWithString(percentEncodedStringWithString(text)), text);
}

TEST(PercentDecoding, GivesNoStringForMalformedEscapesOrInvalidUtf8)
{
    for (const char *bad : {"%FF", "%E2%80", "%C0%80", "%ED%A0%80", "%F4%90%80%80", "%zz", "%4", "abc%", "%%41"})
        EXPECT_TRUE(percentDecodedStringWithString(bad).isNull()) << bad;
}
