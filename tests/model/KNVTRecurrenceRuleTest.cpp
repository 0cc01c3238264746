#include "model/KNVTRecurrenceRule.h"

#include "support/ScopedTimeZone.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <limits>

namespace {

using DayList = KNVTRecurrenceRule::DayList;
using NumberList = KNVTRecurrenceRule::NumberList;

QString rewritten(const QString &text)
{
    return KNVTRecurrenceRule(text).RRULE();
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

// Reading ------------------------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleReading, FrequencyAndInterval)
{
    const struct { const char *text; KNVTRecurrenceFrequency frequency; unsigned int interval; const char *written; }
    rows[] = {
        {"rrule:freq=monthly;interval=3", KNVTRecurrenceFrequencyMonthly, 3, "RRULE:FREQ=MONTHLY;INTERVAL=3"},
        {"FREQ=HOURLY;INTERVAL=12", KNVTRecurrenceFrequencyHourly, 12, "RRULE:FREQ=HOURLY;INTERVAL=12"},
        // FREQ gives an interval of at least one.
        {"RRULE:FREQ=DAILY", KNVTRecurrenceFrequencyDaily, 1, "RRULE:FREQ=DAILY"},
        {"RRULE:INTERVAL=0;FREQ=DAILY", KNVTRecurrenceFrequencyDaily, 1, "RRULE:FREQ=DAILY"},
        {"RRULE:FREQ=DAILY;INTERVAL=often", KNVTRecurrenceFrequencyDaily, 1, "RRULE:FREQ=DAILY"},
        {"RRULE:FREQ=DAILY;INTERVAL=7days", KNVTRecurrenceFrequencyDaily, 7, "RRULE:FREQ=DAILY;INTERVAL=7"},
        // Without FREQ the interval stays as read, and there is no frequency.
        {"RRULE:INTERVAL=0;COUNT=5", KNVTRecurrenceFrequency(0), 0, "RRULE:;COUNT=5"},
        {"RRULE:INTERVAL=3", KNVTRecurrenceFrequency(0), 3, "RRULE:;INTERVAL=3"},
        // An unknown frequency is weekly.
        {"RRULE:FREQ=FORTNIGHTLY", KNVTRecurrenceFrequencyWeekly, 1, "RRULE:FREQ=WEEKLY"},
        {"RRULE:FREQ=", KNVTRecurrenceFrequencyWeekly, 1, "RRULE:FREQ=WEEKLY"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const KNVTRecurrenceRule rule(QString::fromUtf8(row.text));
        EXPECT_EQ(rule.frequency(), row.frequency);
        EXPECT_EQ(rule.interval(), row.interval);
        EXPECT_EQ(rule.RRULE(), QString::fromUtf8(row.written));
    }
}

TEST(KNVTRecurrenceRuleReading, UnknownWordsFallBack)
{
    const KNVTRecurrenceRule week(QStringLiteral("RRULE:FREQ=WEEKLY;WKST=XX"));
    EXPECT_EQ(week.firstDayOfTheWeek(), KNVTRecurrenceDayMonday);
    EXPECT_EQ(week.RRULE(), QStringLiteral("RRULE:FREQ=WEEKLY;WKST=MO"));

    const KNVTRecurrenceRule days(QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=ZZ,,2XY"));
    ASSERT_TRUE(days.daysOfTheWeek());
    EXPECT_EQ(*days.daysOfTheWeek(), (DayList{{KNVTRecurrenceDayMonday, 0},
                                              {KNVTRecurrenceDayMonday, 0},
                                              {KNVTRecurrenceDayMonday, 2}}));

    // An empty BYDAY value is one empty item, which is Monday.
    const KNVTRecurrenceRule emptyDays(QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY="));
    ASSERT_TRUE(emptyDays.daysOfTheWeek());
    EXPECT_EQ(*emptyDays.daysOfTheWeek(), (DayList{{KNVTRecurrenceDayMonday, 0}}));
}

TEST(KNVTRecurrenceRuleReading, ReadsWeekDaysWithSignedWeekNumbers)
{
    const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=MONTHLY;BYDAY=-1FR,MO,+2TU,1su"));
    ASSERT_TRUE(rule.daysOfTheWeek());
    EXPECT_EQ(*rule.daysOfTheWeek(), (DayList{{KNVTRecurrenceDayFriday, -1},
                                              {KNVTRecurrenceDayMonday, 0},
                                              {KNVTRecurrenceDayTuesday, 2},
                                              {KNVTRecurrenceDaySunday, 1}}));
    EXPECT_EQ(rule.RRULE(), QStringLiteral("RRULE:FREQ=MONTHLY;BYDAY=-1FR,MO,2TU,1SU"));
}

TEST(KNVTRecurrenceRuleReading, ReadsNumberListsWithoutRangeChecks)
{
    const KNVTRecurrenceRule rule(QStringLiteral(
        "RRULE:FREQ=YEARLY;BYMONTHDAY=40,-1;BYMONTH=13;BYWEEKNO=60,x;BYYEARDAY=-366,+100;BYSETPOS=-1"));
    EXPECT_EQ(rule.daysOfTheMonth(), NumberList({40, -1}));
    EXPECT_EQ(rule.monthsOfTheYear(), NumberList({13}));
    EXPECT_EQ(rule.weeksOfTheYear(), NumberList({60, 0}));
    EXPECT_EQ(rule.daysOfTheYear(), NumberList({-366, 100}));
    EXPECT_EQ(rule.positions(), NumberList({-1}));
    EXPECT_EQ(rule.RRULE(), QStringLiteral("RRULE:FREQ=YEARLY;BYMONTHDAY=40,-1;BYMONTH=13;BYWEEKNO=60,0;"
                                           "BYYEARDAY=-366,100;BYSETPOS=-1"));
}

TEST(KNVTRecurrenceRuleReading, PartsNotGivenAreAbsentRatherThanEmpty)
{
    const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=DAILY"));
    EXPECT_FALSE(rule.daysOfTheWeek());
    EXPECT_FALSE(rule.daysOfTheMonth());
    EXPECT_FALSE(rule.monthsOfTheYear());
    EXPECT_FALSE(rule.weeksOfTheYear());
    EXPECT_FALSE(rule.daysOfTheYear());
    EXPECT_FALSE(rule.positions());
    EXPECT_EQ(rule.firstDayOfTheWeek(), KNVTRecurrenceDay(0));
    EXPECT_EQ(rule.recurrenceEnd(), nullptr);
}

TEST(KNVTRecurrenceRuleReading, NormalisesForeignTexts)
{
    const struct
    {
        const char *text;
        const char *written;
    } rows[] = {
        {"RRULE:FREQ=DAILY;INTERVAL=1", "RRULE:FREQ=DAILY"},
        {"RRULE:INTERVAL=2;FREQ=DAILY", "RRULE:FREQ=DAILY;INTERVAL=2"},
        {"RRULE:FREQ=DAILY;BYHOUR=9;BYMINUTE=30;X-NAME=VALUE", "RRULE:FREQ=DAILY"},
        {"RRULE:FREQ=DAILY;FREQ=YEARLY", "RRULE:FREQ=YEARLY"},
        {"RRULE:FREQ=DAILY=HOURLY", "RRULE:FREQ=DAILY"},
        {"RRULE:BYSETPOS=1;BYYEARDAY=2;BYWEEKNO=3;BYMONTH=4;BYMONTHDAY=5;BYDAY=SA;WKST=SU;COUNT=6;INTERVAL=7;"
         "FREQ=SECONDLY",
         "RRULE:FREQ=SECONDLY;INTERVAL=7;COUNT=6;WKST=SU;BYDAY=SA;BYMONTHDAY=5;BYMONTH=4;BYWEEKNO=3;BYYEARDAY=2;"
         "BYSETPOS=1"},
        // A rule without a frequency keeps the ";" of its first part, and reads back the same.
        {"RRULE:COUNT=5", "RRULE:;COUNT=5"},
        {"RRULE:;COUNT=5", "RRULE:;COUNT=5"},
        {"RRULE:FREQ=DAILY;", "RRULE:FREQ=DAILY"},
        {"", "RRULE:"},
        {"RRULE:", "RRULE:"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(rewritten(QString::fromUtf8(row.text)), QString::fromUtf8(row.written));
        EXPECT_EQ(rewritten(QString::fromUtf8(row.written)), QString::fromUtf8(row.written));
    }
}

TEST(KNVTRecurrenceRuleReading, MalformedTextsReadAsSafeValues)
{
    // Parts without a value are skipped instead of being read past their end.
    const KNVTRecurrenceRule broken(QStringLiteral("RRULE:FREQ;INTERVAL;;=;=3;;;COUNT"));
    EXPECT_EQ(broken.frequency(), KNVTRecurrenceFrequency(0));
    EXPECT_EQ(broken.interval(), 0u);
    EXPECT_EQ(broken.recurrenceEnd(), nullptr);
    EXPECT_EQ(broken.RRULE(), QStringLiteral("RRULE:"));

    // A signed or overflowing interval is no interval, not an enormous one: FREQ raises it to 1.
    for (const char *interval : {"-1", "-3", "+2", "2147483648", "99999999999999999999999"}) {
        SCOPED_TRACE(interval);
        const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=") + QString::fromUtf8(interval));
        EXPECT_EQ(rule.interval(), 1u);
        EXPECT_EQ(rule.RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
    }
    EXPECT_EQ(KNVTRecurrenceRule(QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=2147483647")).interval(), 2147483647u);

    // Other numbers too large for their field stop at its limit instead of wrapping round.
    const KNVTRecurrenceRule huge(QStringLiteral(
        "RRULE:FREQ=DAILY;INTERVAL=99999999999999999999999;BYDAY=99999999999MO,-99999999999TU;BYMONTHDAY=99999999999"));
    ASSERT_TRUE(huge.daysOfTheWeek());
    EXPECT_EQ(huge.daysOfTheWeek()->at(0).weekNumber(), std::numeric_limits<int>::max());
    EXPECT_EQ(huge.daysOfTheWeek()->at(1).weekNumber(), std::numeric_limits<int>::min());
    EXPECT_EQ(huge.daysOfTheMonth(), NumberList({std::numeric_limits<int>::max()}));
    EXPECT_TRUE(KNVTRecurrenceRule(huge.RRULE()).isEqual(huge));

    // A very long text is read in one pass.
    const KNVTRecurrenceRule longText(QStringLiteral("RRULE:FREQ=DAILY") + QStringLiteral(";X=1").repeated(200000));
    EXPECT_EQ(longText.RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
}

TEST(KNVTRecurrenceRuleReading, CountMustBePositive)
{
    const KNVTRecurrenceRule five(QStringLiteral("RRULE:FREQ=DAILY;COUNT=5"));
    ASSERT_NE(five.recurrenceEnd(), nullptr);
    EXPECT_EQ(five.recurrenceEnd()->occurrenceCount(), 5u);
    EXPECT_FALSE(five.recurrenceEnd()->endDate().isValid());

    for (const char *count : {"0", "-1", "-99999999999999999999", "many", "", "99999999999999", "2147483648"}) {
        SCOPED_TRACE(count);
        const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=DAILY;COUNT=") + QString::fromUtf8(count));
        EXPECT_EQ(rule.recurrenceEnd(), nullptr);
        EXPECT_EQ(rule.RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
    }
}

// The end date ------------------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleUntil, ReadsAndWritesUtcDateTimes)
{
    const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=WEEKLY;UNTIL=20151231T235958Z"));
    ASSERT_NE(rule.recurrenceEnd(), nullptr);
    EXPECT_EQ(rule.recurrenceEnd()->endDate(), utc(2015, 12, 31, 23, 59, 58));
    EXPECT_EQ(rule.recurrenceEnd()->occurrenceCount(), 0u);
    EXPECT_EQ(rule.RRULE(), QStringLiteral("RRULE:FREQ=WEEKLY;UNTIL=20151231T235958Z"));

    // Upper-casing the text makes a lower-case T and Z readable too.
    EXPECT_EQ(rewritten(QStringLiteral("rrule:freq=weekly;until=20150704t090807z")),
              QStringLiteral("RRULE:FREQ=WEEKLY;UNTIL=20150704T090807Z"));
}

TEST(KNVTRecurrenceRuleUntil, IsIndependentOfZoneAndLocale)
{
    const knvt::test::ScopedTimeZone zone("Asia/Kolkata");
    const QLocale previous;
    QLocale::setDefault(QLocale(QStringLiteral("ar_EG")));
    const KNVTRecurrenceRule read(QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20150310T013000Z"));
    const auto written = KNVTRecurrenceRule::recurrenceRuleWithFrequency(
        KNVTRecurrenceFrequencyDaily, 1, KNVTRecurrenceDay(0), {}, {}, {}, {}, {}, {},
        KNVTRecurrenceEnd::recurrenceEndWithEndDate(QDateTime(QDate(2015, 3, 10), QTime(7, 0))));
    QLocale::setDefault(previous);

    ASSERT_NE(read.recurrenceEnd(), nullptr);
    EXPECT_EQ(read.recurrenceEnd()->endDate(), utc(2015, 3, 10, 1, 30, 0));
    EXPECT_EQ(read.RRULE(), QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20150310T013000Z"));
    // 07:00 in Kolkata is 01:30 UTC.
    EXPECT_EQ(written->RRULE(), QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20150310T013000Z"));
}

TEST(KNVTRecurrenceRuleUntil, UnreadableDatesGiveNoEnd)
{
    for (const char *value : {"20150310", "20150310T120000", "20150310T120000+0100", "20150310T120000ZZ",
                              "2015-03-10T12:00:00Z", "20150230T120000Z", "20151301T120000Z", "20150310T240000Z",
                              "20150310T126000Z", "20150310T120060Z", "00000310T120000Z", "2O150310T120000Z",
                              "\xd9\xa2\xd9\xa0\xd9\xa1\xd9\xa5\x30\x33\x31\x30T120000Z", ""}) {
        SCOPED_TRACE(value);
        const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=DAILY;UNTIL=") + QString::fromUtf8(value));
        EXPECT_EQ(rule.recurrenceEnd(), nullptr);
    }
}

TEST(KNVTRecurrenceRuleUntil, UntilWinsOverCountEvenWhenUnreadable)
{
    const KNVTRecurrenceRule both(QStringLiteral("RRULE:FREQ=DAILY;COUNT=4;UNTIL=20160101T000000Z"));
    ASSERT_NE(both.recurrenceEnd(), nullptr);
    EXPECT_EQ(both.recurrenceEnd()->endDate(), utc(2016, 1, 1, 0, 0, 0));
    EXPECT_EQ(both.recurrenceEnd()->occurrenceCount(), 0u);
    EXPECT_EQ(both.RRULE(), QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20160101T000000Z"));

    const KNVTRecurrenceRule unreadable(QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20160101;COUNT=4"));
    EXPECT_EQ(unreadable.recurrenceEnd(), nullptr);
    EXPECT_EQ(unreadable.RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
}

// Writing -----------------------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleWriting, EditorRulesWriteFrequencyAndInterval)
{
    EXPECT_EQ(KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyDaily, 1)->RRULE(),
              QStringLiteral("RRULE:FREQ=DAILY"));
    EXPECT_EQ(KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyWeekly, 2)->RRULE(),
              QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=2"));
    EXPECT_EQ(KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyYearly, 0)->RRULE(),
              QStringLiteral("RRULE:FREQ=YEARLY"));
    EXPECT_EQ(KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequency(0), 4)->RRULE(),
              QStringLiteral("RRULE:;INTERVAL=4"));
}

TEST(KNVTRecurrenceRuleWriting, FullRuleWritesEveryPartInCanonicalOrder)
{
    const auto rule = KNVTRecurrenceRule::recurrenceRuleWithFrequency(
        KNVTRecurrenceFrequencyMonthly, 3, KNVTRecurrenceDaySunday,
        DayList{KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceDayFriday, -1),
                KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceDaySaturday)},
        NumberList{1, 15}, NumberList{6}, NumberList{}, std::nullopt, NumberList{-2},
        KNVTRecurrenceEnd::recurrenceEndWithOccurrenceCount(10));
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:FREQ=MONTHLY;INTERVAL=3;COUNT=10;WKST=SU;BYDAY=-1FR,SA;"
                                            "BYMONTHDAY=1,15;BYMONTH=6;BYSETPOS=-2"));
    EXPECT_EQ(rule->weeksOfTheYear(), NumberList{});
    EXPECT_FALSE(rule->daysOfTheYear());

    const auto reread = std::make_shared<KNVTRecurrenceRule>(rule->RRULE());
    EXPECT_TRUE(reread->isEqual(*rule));
    EXPECT_EQ(reread->frequency(), KNVTRecurrenceFrequencyMonthly);
    EXPECT_EQ(reread->interval(), 3u);
    EXPECT_EQ(reread->firstDayOfTheWeek(), KNVTRecurrenceDaySunday);
    EXPECT_EQ(reread->daysOfTheWeek(), rule->daysOfTheWeek());
    EXPECT_EQ(reread->positions(), NumberList({-2}));
}

TEST(KNVTRecurrenceRuleWriting, EndWritesDateBeforeCountAndNothingWhenEmpty)
{
    auto rule = KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyDaily, 1);
    rule->setRecurrenceEnd(std::make_shared<KNVTRecurrenceEnd>());
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));

    auto both = std::make_shared<KNVTRecurrenceEnd>();
    both->setOccurrenceCount(3);
    both->setEndDate(utc(2020, 2, 29, 12, 0, 0));
    rule->setRecurrenceEnd(both);
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20200229T120000Z"));

    // The end is shared: changing it changes the rule's text.
    both->setEndDate(QDateTime());
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:FREQ=DAILY;COUNT=3"));

    rule->setRecurrenceEnd(nullptr);
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
}

TEST(KNVTRecurrenceRuleWriting, ValuesOutsideTheTablesAreLeftOut)
{
    const auto rule = KNVTRecurrenceRule::recurrenceRuleWithFrequency(
        KNVTRecurrenceFrequency(9), 2, KNVTRecurrenceDay(8),
        DayList{KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceDay(0), 1),
                KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceDayTuesday, 1)},
        std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, nullptr);
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:;INTERVAL=2;BYDAY=1TU"));

    const auto noValidDay = KNVTRecurrenceRule::recurrenceRuleWithFrequency(
        KNVTRecurrenceFrequencyWeekly, 1, KNVTRecurrenceDay(0), DayList{KNVTRecurrenceDayOfWeek::dayOfWeek(
                                                                   KNVTRecurrenceDay(12))},
        std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, nullptr);
    EXPECT_EQ(noValidDay->RRULE(), QStringLiteral("RRULE:FREQ=WEEKLY"));
}

// Identity ----------------------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleIdentity, EqualityAndHashFollowTheText)
{
    const KNVTRecurrenceRule a(QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=2"));
    const KNVTRecurrenceRule b(QStringLiteral("RRULE:INTERVAL=2;FREQ=DAILY"));
    const KNVTRecurrenceRule c(QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=3"));
    const KNVTRecurrenceRule d(KNVTRecurrenceFrequencyDaily, 2);
    EXPECT_TRUE(a.isEqual(b));
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_TRUE(a.isEqual(d));
    EXPECT_FALSE(a.isEqual(c));
    EXPECT_TRUE(KNVTRecurrenceRule(KNVTRecurrenceFrequencyDaily, 0).isEqual(KNVTRecurrenceRule(
        KNVTRecurrenceFrequencyDaily, 1)));

    EXPECT_TRUE(a.description().startsWith(QStringLiteral("<KNVTRecurrenceRule: 0x")));
    EXPECT_TRUE(a.description().endsWith(QStringLiteral("> RRULE:FREQ=DAILY;INTERVAL=2")));
}

// Class conversions and names ---------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleConversions, IsValidRRULEWantsTheExactPrefix)
{
    EXPECT_TRUE(KNVTRecurrenceRule::isValidRRULE(QStringLiteral("RRULE:FREQ=DAILY")));
    EXPECT_TRUE(KNVTRecurrenceRule::isValidRRULE(QStringLiteral("RRULE:")));
    EXPECT_FALSE(KNVTRecurrenceRule::isValidRRULE(QStringLiteral("rrule:freq=daily")));
    EXPECT_FALSE(KNVTRecurrenceRule::isValidRRULE(QStringLiteral("FREQ=DAILY")));
    EXPECT_FALSE(KNVTRecurrenceRule::isValidRRULE(QStringLiteral(" RRULE:FREQ=DAILY")));
    EXPECT_FALSE(KNVTRecurrenceRule::isValidRRULE(QString()));
}

TEST(KNVTRecurrenceRuleNames, FixedEnglishWordsWhateverTheLocale)
{
    const struct
    {
        KNVTRecurrenceFrequency frequency;
        const char *singular;
        const char *plural;
        const char *adverb;
    } rows[] = {
        {KNVTRecurrenceFrequencySecondly, "Second", "Seconds", "Secondly"},
        {KNVTRecurrenceFrequencyMinutely, "Minute", "Minutes", "Minutely"},
        {KNVTRecurrenceFrequencyHourly, "Hour", "Hours", "Hourly"},
        {KNVTRecurrenceFrequencyDaily, "Day", "Days", "Daily"},
        {KNVTRecurrenceFrequencyWeekly, "Week", "Weeks", "Weekly"},
        {KNVTRecurrenceFrequencyMonthly, "Month", "Months", "Monthly"},
        {KNVTRecurrenceFrequencyYearly, "Year", "Years", "Yearly"},
    };
    const QLocale previous;
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.adverb);
        const QString singular = QString::fromUtf8(row.singular);
        const QString plural = QString::fromUtf8(row.plural);
        EXPECT_EQ(KNVTRecurrenceRule::localizedSingularNameForFrequency(row.frequency), singular);
        EXPECT_EQ(KNVTRecurrenceRule::localizedPluralNameForFrequency(row.frequency), plural);
        EXPECT_EQ(KNVTRecurrenceRule::localizedNameForFrequency(row.frequency), QString::fromUtf8(row.adverb));
        EXPECT_EQ(KNVTRecurrenceRule::localizedNameForFrequency(row.frequency, 1), QStringLiteral("1 ") + singular);
        EXPECT_EQ(KNVTRecurrenceRule::localizedNameForFrequency(row.frequency, 0), QStringLiteral("0 ") + plural);
        EXPECT_EQ(KNVTRecurrenceRule::localizedRepeatNameForFrequency(row.frequency, 1), singular);
        EXPECT_EQ(KNVTRecurrenceRule::localizedRepeatNameForFrequency(row.frequency, 1500),
                  QStringLiteral("1500 ") + plural);
    }
    QLocale::setDefault(previous);

    // No half-made texts such as "2 " for a frequency outside the table.
    for (const unsigned int outside : {0u, 8u}) {
        const auto frequency = KNVTRecurrenceFrequency(outside);
        EXPECT_TRUE(KNVTRecurrenceRule::localizedSingularNameForFrequency(frequency).isNull());
        EXPECT_TRUE(KNVTRecurrenceRule::localizedPluralNameForFrequency(frequency).isNull());
        EXPECT_TRUE(KNVTRecurrenceRule::localizedNameForFrequency(frequency).isNull());
        EXPECT_TRUE(KNVTRecurrenceRule::localizedNameForFrequency(frequency, 2).isNull());
        EXPECT_TRUE(KNVTRecurrenceRule::localizedRepeatNameForFrequency(frequency, 1).isNull());
        EXPECT_TRUE(KNVTRecurrenceRule::localizedRepeatNameForFrequency(frequency, 2).isNull());
    }
}

} // namespace
