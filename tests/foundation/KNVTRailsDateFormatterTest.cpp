#include "foundation/KNVTRailsDateFormatter.h"

#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

using namespace knvt;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

const KNVTRailsDateFormatter dateTime(KNVTRailsDateFormatterTypeDateTime);
const KNVTRailsDateFormatter dateOnly =
    KNVTRailsDateFormatter::railsDateFormatterWithType(KNVTRailsDateFormatterTypeDate);

} // namespace

TEST(KNVTRailsDateFormatter, ReadsOffsetsWithOrWithoutColonZuluAndFractions)
{
    const std::pair<const char *, QDateTime> rows[] = {
        {"2014-05-01T10:20:30+02:00", utc(2014, 5, 1, 8, 20, 30)},
        {"2014-05-01T10:20:30+0200", utc(2014, 5, 1, 8, 20, 30)},
        {"2014-05-01T10:20:30-05:30", utc(2014, 5, 1, 15, 50, 30)},
        {"2014-05-01T08:20:30Z", utc(2014, 5, 1, 8, 20, 30)},
        {"2014-05-01T08:20:30.123Z", utc(2014, 5, 1, 8, 20, 30, 123)},
        {"2014-05-01T10:20:30.5+02:00", utc(2014, 5, 1, 8, 20, 30, 500)},
        {"2014-05-01T08:20:30.123999Z", utc(2014, 5, 1, 8, 20, 30, 123)},
        {"2015-01-01T00:59:59+01:00", utc(2014, 12, 31, 23, 59, 59)},
        {"2016-02-29T12:00:00+14:00", utc(2016, 2, 28, 22, 0, 0)},
    };
    test::ScopedTimeZone zone("Asia/Kolkata"); // the machine's zone must not matter
    for (const auto &[text, expected] : rows) {
        const QDateTime date = dateTime.dateFromString(text);
        EXPECT_EQ(date, expected) << text;
        EXPECT_EQ(date.timeSpec(), Qt::UTC) << text;
    }
}

TEST(KNVTRailsDateFormatter, GivesNoDateForMalformedOrImpossibleTexts)
{
    for (const char *text :
         {"2014-05-01", "2014-05-01T10:20:30", "2014-05-01T10:20:30+02", "2014-05-01 10:20:30+02:00",
          "2014-05-01T10:20:30.Z", "2014-05-01T10:20:30+02:00\n", "2014-5-01T10:20:30+02:00",
          "2014-05-01T10:20:30+02:00Z", "2014-05-01T10:20:30:+0200", "2014-13-01T10:20:30Z", "2014-04-31T10:20:30Z",
          "2015-02-29T10:20:30Z", "2014-05-01T24:00:00Z", "2014-05-01T10:60:00Z", "2014-05-01T10:20:60Z",
          "2014-05-01T10:20:30+2400", "2014-05-01T10:20:30+02:60", "0000-01-01T00:00:00Z",
          // Instants an offset carries out of the four-digit years, which could not be written.
          "0001-01-01T00:00:00+0001", "9999-12-31T23:59:59-00:01", "12:34", "", "2014-05-01T10:20:\uff130Z"})
        EXPECT_FALSE(dateTime.dateFromString(text).isValid()) << text;
}

TEST(KNVTRailsDateFormatter, AcceptsOnlyAsciiDigitsAndTheExactShape)
{
    // Digits of other scripts have digit values too, and a fraction or offset one character too long or too short
    // must not be read as a nearby valid date.
    for (const QString &text :
         {QStringLiteral("\u0662\u0660\u0661\u0664-05-01T08:20:30Z"), QStringLiteral("2014-05-01T08:20:30.1\u06612Z"),
          QStringLiteral("2014-05-01T08:20:30.12aZ"), QStringLiteral("2014-05-01T08:20:30+02000"),
          QStringLiteral("2014-05-01T08:20:30+020"), QStringLiteral("2014-05-01T08:20:30~0200"),
          QStringLiteral("2014-05-01T08:20:30ZZ"), QStringLiteral("2014-05-01T08:20:30.Z"),
          QStringLiteral("2014-05-01T8:20:30Z"), QStringLiteral(" 2014-05-01T08:20:30Z")})
        EXPECT_FALSE(dateTime.dateFromString(text).isValid()) << qPrintable(text);
    for (const char *text : {"2014-05-01 ", "2014/05/01", "2014-05-1", "\u0662014-05-01"})
        EXPECT_FALSE(dateOnly.dateFromString(QString::fromUtf8(text)).isValid()) << text;

    EXPECT_EQ(dateTime.dateFromString(QStringLiteral("2014-05-01T08:20:30-0000")), utc(2014, 5, 1, 8, 20, 30));
    EXPECT_EQ(dateTime.dateFromString(QStringLiteral("2014-05-01T08:20:30.9-23:59")), utc(2014, 5, 2, 8, 19, 30, 900));
    EXPECT_EQ(dateTime.dateFromString(QStringLiteral("2014-05-01T08:20:30.05Z")), utc(2014, 5, 1, 8, 20, 30, 50));
}

TEST(KNVTRailsDateFormatter, WritesUtcWholeSecondsAndRoundTrips)
{
    EXPECT_EQ(dateTime.stringFromDate(utc(2014, 5, 1, 8, 20, 30, 999)), "2014-05-01T08:20:30+0000");
    EXPECT_EQ(dateTime.stringFromDate(QDateTime::fromMSecsSinceEpoch(-1, Qt::UTC)), "1969-12-31T23:59:59+0000");
    EXPECT_TRUE(dateTime.stringFromDate(QDateTime()).isNull());
    {
        test::ScopedTimeZone zone("Asia/Kolkata");
        EXPECT_EQ(dateTime.stringFromDate(QDateTime(QDate(2014, 5, 1), QTime(0, 30))), "2014-04-30T19:00:00+0000");
    }

    for (const QDateTime &instant : {utc(2014, 5, 1, 8, 20, 30, 456), utc(1900, 2, 28, 23, 59, 59),
                                     utc(1969, 7, 20, 20, 17, 40, 1), QDateTime(QDate(2025, 3, 9), QTime(3, 30))}) {
        const QString text = dateTime.stringFromDate(instant);
        const QDateTime wholeSecond = instant.toUTC().addMSecs(-instant.toUTC().time().msec());
        EXPECT_EQ(dateTime.dateFromString(text), wholeSecond) << text.toStdString();
    }
}

TEST(KNVTRailsDateFormatter, DateTypeAndUnknownTypes)
{
    EXPECT_EQ(dateOnly.type(), KNVTRailsDateFormatterTypeDate);
    EXPECT_EQ(dateOnly.dateFromString("2014-05-01"), utc(2014, 5, 1, 0, 0, 0));
    EXPECT_FALSE(dateOnly.dateFromString("2014-05-01T10:20:30+02:00").isValid());
    EXPECT_FALSE(dateOnly.dateFromString("2014-02-30").isValid());
    EXPECT_EQ(dateOnly.stringFromDate(utc(2014, 5, 1, 23, 59, 59)), "2014-05-01");

    const KNVTRailsDateFormatter plain(static_cast<KNVTRailsDateFormatterType>(7));
    EXPECT_EQ(static_cast<unsigned>(plain.type()), 7u);
    EXPECT_FALSE(plain.dateFromString("2014-05-01T10:20:30+02:00").isValid());
    EXPECT_EQ(plain.stringFromDate(utc(2014, 5, 1, 8, 20, 30)), QStringLiteral(""));
}
