#include "foundation/DateFormat.h"
#include "foundation/KNVTDateOrTimeFormatter.h"
#include "foundation/KNVTMinimalDateFormatter.h"
#include "support/FakeClock.h"
#include "support/ScopedInterfaceLanguage.h"
#include "support/ScopedLocale.h"
#include "support/ScopedTimeZone.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <optional>

using knvt::DateFormat;
using knvt::test::ScopedLocale;

namespace {

// ICU puts a narrow no-break space before the day period in English short times.
const QString nnbsp(QChar(0x202F));

QDateTime local(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// Every case runs in New York under an en_US user, on Wednesday 2025-03-12 at 14:00 unless it moves the clock. The
// en_US week runs from Sunday 9 to Saturday 15 March; the zone is on daylight-saving time since 9 March.
class DateFormatters : public ::testing::Test
{
protected:
    QString minimal(const QDateTime &date) const { return minimalFormatter.stringFromDate(date); }
    QString dateOrTime(const QDateTime &date) const { return dateOrTimeFormatter.stringFromDate(date); }

    knvt::test::ScopedTimeZone zone{"America/New_York"};
    ScopedLocale locale{"en_US"};
    knvt::test::FakeClock clock{local(2025, 3, 12, 14, 0)};
    KNVTMinimalDateFormatter minimalFormatter;
    KNVTDateOrTimeFormatter dateOrTimeFormatter;
};

TEST_F(DateFormatters, TodayIsTheTimeOfDayOrTheWordForToday)
{
    EXPECT_EQ(dateOrTime(local(2025, 3, 12, 9, 30)), "9:30" + nnbsp + "AM");
    EXPECT_EQ(minimal(local(2025, 3, 12, 9, 30)), "Today");
    // Later today, up to the last second of the day.
    EXPECT_EQ(dateOrTime(local(2025, 3, 12, 23, 59, 59)), "11:59" + nnbsp + "PM");
    EXPECT_EQ(minimal(local(2025, 3, 12, 23, 59, 59)), "Today");
    EXPECT_EQ(dateOrTime(local(2025, 3, 12, 0, 0, 0)), "12:00" + nnbsp + "AM");
}

TEST_F(DateFormatters, TheDaysNextToTodayAreWords)
{
    EXPECT_EQ(dateOrTime(local(2025, 3, 13, 0, 0)), "Tomorrow");
    EXPECT_EQ(minimal(local(2025, 3, 13, 23, 59)), "Tomorrow");
    EXPECT_EQ(dateOrTime(local(2025, 3, 11, 23, 59, 59)), "Yesterday");
    // Past days are never words in the compact form.
    EXPECT_EQ(minimal(local(2025, 3, 11, 8, 0)), "Mar 11");
}

TEST_F(DateFormatters, TheDayAfterTomorrowHasNoEnglishWord)
{
    EXPECT_EQ(minimal(local(2025, 3, 14, 8, 0)), "Fri");
    EXPECT_EQ(dateOrTime(local(2025, 3, 14, 8, 0)), "3/14/25");
}

TEST_F(DateFormatters, PastDaysOfThisWeekAreEnglishWeekdays)
{
    EXPECT_EQ(dateOrTime(local(2025, 3, 9, 10, 0)), "Sunday");
    EXPECT_EQ(minimal(local(2025, 3, 9, 10, 0)), "Mar 9");

    // From Monday, three days back is the Friday of the week before.
    clock.setNow(local(2025, 3, 10, 14, 0));
    EXPECT_EQ(dateOrTime(local(2025, 3, 7, 10, 0)), "3/7/25");

    clock.setNow(local(2025, 3, 15, 14, 0)); // Saturday
    EXPECT_EQ(dateOrTime(local(2025, 3, 13, 10, 0)), "Thursday") << "the day before yesterday has no English word";
    EXPECT_EQ(dateOrTime(local(2025, 3, 9, 0, 0)), "Sunday");
}

TEST_F(DateFormatters, TheWeekOfNewYearIsThisWeekAcrossTheYearBoundary)
{
    clock.setNow(local(2025, 1, 2, 12, 0)); // Thursday; the week began on Sunday 29 December 2024.
    EXPECT_EQ(dateOrTime(local(2024, 12, 30, 9, 0)), "Monday");
    EXPECT_EQ(minimal(local(2024, 12, 30, 9, 0)), "Dec 30, 2024");
    EXPECT_EQ(dateOrTime(local(2024, 12, 28, 9, 0)), "12/28/24");

    // The first days of January 2024 fall in week 1 as well, but of another year.
    clock.setNow(local(2024, 12, 31, 12, 0));
    EXPECT_EQ(dateOrTime(local(2024, 1, 2, 9, 0)), "1/2/24");
}

TEST_F(DateFormatters, TheComingWeekEndsSevenDaysAfterTheStartOfToday)
{
    EXPECT_EQ(minimal(local(2025, 3, 19, 0, 0, 0)), "Mar 19");
    EXPECT_EQ(minimal(local(2025, 3, 18, 23, 59, 59)), "Tue");
    EXPECT_EQ(minimal(local(2025, 3, 15, 9, 0)), "Sat");
    // Later days this year, of either formatter, are plain dates.
    EXPECT_EQ(minimal(local(2025, 4, 1, 9, 0)), "Apr 1");
    EXPECT_EQ(dateOrTime(local(2025, 3, 18, 23, 59, 59)), "3/18/25");
}

TEST_F(DateFormatters, AnotherYearCarriesTheYear)
{
    EXPECT_EQ(minimal(local(2024, 7, 4, 9, 0)), "Jul 4, 2024");
    EXPECT_EQ(minimal(local(2026, 1, 2, 9, 0)), "Jan 2, 2026");
    EXPECT_EQ(dateOrTime(local(2024, 7, 4, 9, 0)), "7/4/24");
    EXPECT_EQ(dateOrTime(local(2026, 1, 2, 9, 0)), "1/2/26");
}

TEST_F(DateFormatters, AnInvalidDateWritesNothing)
{
    EXPECT_EQ(minimal(QDateTime()), QString());
    EXPECT_EQ(dateOrTime(QDateTime()), QString());
}

TEST_F(DateFormatters, ReplacedFormatsAreUsed)
{
    minimalFormatter.setDayFormatter(DateFormat::withPattern(QStringLiteral("EEEE"), QStringLiteral("en_US_POSIX")));
    EXPECT_EQ(minimal(local(2025, 3, 14, 8, 0)), "Friday");
    dateOrTimeFormatter.setTimeFormatter(DateFormat::withPattern(QStringLiteral("HH:mm")));
    EXPECT_EQ(dateOrTime(local(2025, 3, 12, 9, 30)), "09:30");
}

TEST(DateFormattersInOtherLocales, BritishOrderWithEnglishWeekdays)
{
    knvt::test::ScopedTimeZone zone("Europe/London");
    ScopedLocale locale("en_GB");
    knvt::test::FakeClock clock(local(2025, 3, 12, 14, 0)); // Wednesday
    const KNVTMinimalDateFormatter minimal;
    const KNVTDateOrTimeFormatter dateOrTime;

    EXPECT_EQ(minimal.stringFromDate(local(2025, 3, 11)), "11 Mar");
    EXPECT_EQ(minimal.stringFromDate(local(2024, 7, 4)), "4 Jul 2024");
    EXPECT_EQ(minimal.stringFromDate(local(2025, 3, 13)), "Tomorrow");
    EXPECT_EQ(minimal.stringFromDate(local(2025, 3, 14)), "Fri");
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 12, 9, 30)), "09:30");
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 14)), "14/03/2025");
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 10)), "Monday");
}

TEST(DateFormattersInOtherLocales, GermanNamesTwoDaysEitherSideAndStartsTheWeekOnMonday)
{
    knvt::test::ScopedTimeZone zone("Europe/Berlin");
    ScopedLocale locale("de_DE");
    const knvt::test::ScopedInterfaceLanguage german("de");
    knvt::test::FakeClock clock(local(2025, 3, 12, 14, 0)); // Wednesday
    const KNVTMinimalDateFormatter minimal;
    const KNVTDateOrTimeFormatter dateOrTime;

    EXPECT_EQ(minimal.stringFromDate(local(2025, 3, 14)), "übermorgen");
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 14)), "übermorgen");
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 10)), "vorgestern");
    EXPECT_EQ(minimal.stringFromDate(local(2025, 3, 15)), "Sat");
    EXPECT_EQ(minimal.stringFromDate(local(2025, 3, 10)), "10. März");
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 12, 9, 30)), "09:30");
    // Sunday 9 March closed the previous German week.
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 9)), "09.03.25");
    clock.setNow(local(2025, 3, 16, 14, 0)); // Sunday, the last day of the German week
    EXPECT_EQ(dateOrTime.stringFromDate(local(2025, 3, 11)), "Tuesday");
}

// Without a translation into the user's language the words are the interface's English; the dates stay the user's.
TEST(DateFormattersInOtherLocales, AnUntranslatedLanguageHasEnglishWordsAndItsOwnDates)
{
    knvt::test::ScopedTimeZone zone("America/Montreal");
    knvt::test::FakeClock clock(local(2025, 3, 12, 14, 0)); // Wednesday
    const struct
    {
        const char *locale;
        QDateTime date;
        const char *minimal, *dateOrTime;
    } rows[] = {
        {"fr_CA", local(2025, 3, 12, 9, 0), "Today", "09 h 00"},
        {"fr_CA", local(2025, 3, 13), "Tomorrow", "Tomorrow"},
        {"fr_CA", local(2025, 3, 11), "11 mars", "Yesterday"},
        {"fr_CA", local(2025, 3, 14), "Fri", "2025-03-14"},
        {"fr_CA", local(2025, 3, 10), "10 mars", "Monday"},
        {"de_DE", local(2025, 3, 14), "Fri", "14.03.25"},
        {"he_IL", local(2025, 3, 13), "Tomorrow", "Tomorrow"},
        {"ar_EG", local(2025, 3, 20), "٢٠ مارس", "٢٠‏/٣‏/٢٠٢٥"},
    };
    for (const auto &row : rows) {
        ScopedLocale locale(row.locale);
        EXPECT_EQ(KNVTMinimalDateFormatter().stringFromDate(row.date), QString::fromUtf8(row.minimal)) << row.locale;
        EXPECT_EQ(KNVTDateOrTimeFormatter().stringFromDate(row.date), QString::fromUtf8(row.dateOrTime)) << row.locale;
    }
}

TEST(DateFormattersInOtherZones, TodayFollowsTheZoneOfTheMoment)
{
    // 22:00 UTC is 18:00 in New York and 23:00 in Berlin; 00:30 UTC the next day is still today in New York but
    // tomorrow in Berlin.
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1741816800, Qt::UTC); // 2025-03-12 22:00 UTC
    const QDateTime later = now.addSecs(9000);
    ScopedLocale locale("en_US");
    knvt::test::FakeClock clock(now);
    std::optional<knvt::test::ScopedTimeZone> zone;
    zone.emplace("America/New_York");
    const KNVTDateOrTimeFormatter dateOrTime;
    EXPECT_EQ(dateOrTime.stringFromDate(later), "8:30" + nnbsp + "PM");
    zone.reset();
    zone.emplace("Europe/Berlin");
    EXPECT_EQ(dateOrTime.stringFromDate(later), "Tomorrow");
    EXPECT_EQ(dateOrTime.stringFromDate(now), "11:00" + nnbsp + "PM");
}

TEST(DateFormat, WritesInTheSystemZoneOfEachCall)
{
    const QDateTime instant = QDateTime::fromSecsSinceEpoch(1741804200, Qt::UTC); // 2025-03-12 18:30 UTC
    std::optional<knvt::test::ScopedTimeZone> zone;
    zone.emplace("America/New_York");
    const DateFormat format = DateFormat::withPattern(QStringLiteral("HH:mm"), QStringLiteral("en_US"));
    EXPECT_EQ(format.stringFromDate(instant), "14:30");
    zone.reset();
    zone.emplace("Asia/Kolkata");
    EXPECT_EQ(format.stringFromDate(instant), "00:00");
    const DateFormat copy = format;
    zone.reset();
    zone.emplace("America/New_York");
    EXPECT_EQ(copy.stringFromDate(instant), "14:30");
    // A rule ICU cannot name still gives the local wall clock.
    zone.reset();
    zone.emplace("XYZ-3");
    EXPECT_EQ(format.stringFromDate(instant), "21:30");
}

TEST(DateFormat, TheLocaleIsFixedWhenTheFormatIsMade)
{
    knvt::test::ScopedTimeZone zone("America/New_York");
    std::optional<ScopedLocale> locale;
    locale.emplace("de_DE");
    const DateFormat german = DateFormat::withTemplate(QStringLiteral("MMMd"));
    locale.reset();
    locale.emplace("en_US");
    EXPECT_EQ(german.localeName(), "de_DE");
    EXPECT_EQ(german.stringFromDate(local(2025, 3, 10)), "10. März");
    // Neither a date nor a time: nothing to write.
    EXPECT_EQ(DateFormat().stringFromDate(local(2025, 3, 12)), QString());
}

TEST(DateFormat, RelativeWordsStandAloneAsTheLocaleCapitalisesThem)
{
    knvt::test::ScopedTimeZone zone("America/New_York");
    knvt::test::FakeClock clock(local(2025, 3, 12, 14, 0));
    const DateFormat english(DateFormat::Style::Medium, DateFormat::Style::None, true, QStringLiteral("en_US"));
    EXPECT_TRUE(english.isRelative());
    EXPECT_EQ(english.stringFromDate(local(2025, 3, 10)), "Mar 10, 2025");
    EXPECT_EQ(english.stringFromDate(local(2025, 3, 11)), "Yesterday");
    EXPECT_EQ(english.stringFromDate(local(2025, 3, 12, 0, 0)), "Today");
    EXPECT_EQ(english.stringFromDate(local(2025, 3, 13, 23, 59, 59)), "Tomorrow");
    EXPECT_EQ(english.stringFromDate(local(2025, 3, 14, 0, 0)), "Mar 14, 2025");

    // The words are those of the interface's language, here each locale's own.
    const auto relativeIn = [](const char *language, const char *locale, const QDateTime &date) {
        const knvt::test::ScopedInterfaceLanguage translation(language);
        return DateFormat(DateFormat::Style::Medium, DateFormat::Style::None, true, QString::fromLatin1(locale))
            .stringFromDate(date);
    };
    EXPECT_EQ(relativeIn("ru", "ru_RU", local(2025, 3, 13)), "Завтра");
    // pt_PT's context transforms leave relative words out; the capitalisation comes from pt.
    EXPECT_EQ(relativeIn("pt", "pt_PT", local(2025, 3, 13)), "Amanhã");
    EXPECT_EQ(relativeIn("de", "de_DE", local(2025, 3, 10)), "vorgestern");
    EXPECT_EQ(relativeIn("de", "de_DE", local(2025, 3, 9)), "09.03.2025");
    // An interface in English leaves the German user its dates, and the day before yesterday without a word.
    EXPECT_EQ(relativeIn("en", "de_DE", local(2025, 3, 10)), "10.03.2025");
    EXPECT_EQ(relativeIn("en", "de_DE", local(2025, 3, 11)), "Yesterday");

    // With no date style there is no day to name.
    const DateFormat time(DateFormat::Style::None, DateFormat::Style::Short, true, QStringLiteral("en_US"));
    EXPECT_FALSE(time.isRelative());
    EXPECT_EQ(time.stringFromDate(local(2025, 3, 12, 15, 57)), "3:57" + nnbsp + "PM");
}

} // namespace
