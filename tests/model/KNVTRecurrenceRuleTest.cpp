#include "model/KNVTRecurrenceRule.h"

#include "support/ScopedLocale.h"
#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

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

// What a text reads as shows in the text it writes back, which must itself read back the same.
TEST(KNVTRecurrenceRuleReading, TextsReadAndWriteBackInCanonicalForm)
{
    const struct
    {
        const char *text, *written;
    } rows[] = {
        {"rrule:freq=monthly;interval=3", "RRULE:FREQ=MONTHLY;INTERVAL=3"},
        // FREQ gives an interval of at least one; without FREQ the interval stays as read.
        {"RRULE:INTERVAL=0;FREQ=DAILY", "RRULE:FREQ=DAILY"},
        {"RRULE:FREQ=DAILY;INTERVAL=often", "RRULE:FREQ=DAILY"},
        // A rule without a frequency keeps the ";" of its first part.
        {"RRULE:INTERVAL=0;COUNT=5", "RRULE:;COUNT=5"},
        // Unknown words fall back: a frequency to weekly, a day to Monday.
        {"RRULE:FREQ=FORTNIGHTLY", "RRULE:FREQ=WEEKLY"},
        {"RRULE:FREQ=WEEKLY;WKST=XX;BYDAY=ZZ,-1fr", "RRULE:FREQ=WEEKLY;WKST=MO;BYDAY=MO,-1FR"},
        // An UNTIL rules out COUNT; upper-casing makes a lower-case T and Z readable.
        {"rrule:freq=weekly;count=4;until=20150704t090807z", "RRULE:FREQ=WEEKLY;UNTIL=20150704T090807Z"},
        {"RRULE:FREQ=DAILY;BYHOUR=9;BYMINUTE=30;X-NAME=VALUE", "RRULE:FREQ=DAILY"},
        {"RRULE:BYSETPOS=1;BYYEARDAY=2;BYWEEKNO=3;BYMONTH=4;BYMONTHDAY=5;BYDAY=SA;WKST=SU;COUNT=6;INTERVAL=7;"
         "FREQ=SECONDLY",
         "RRULE:FREQ=SECONDLY;INTERVAL=7;COUNT=6;WKST=SU;BYDAY=SA;BYMONTHDAY=5;BYMONTH=4;BYWEEKNO=3;BYYEARDAY=2;"
         "BYSETPOS=1"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(rewritten(QString::fromUtf8(row.text)), QString::fromUtf8(row.written));
        EXPECT_EQ(rewritten(QString::fromUtf8(row.written)), QString::fromUtf8(row.written));
    }
    const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=MONTHLY;INTERVAL=3;BYDAY=-1FR"));
    EXPECT_EQ(rule.frequency(), KNVTRecurrenceFrequencyMonthly);
    EXPECT_EQ(rule.interval(), 3u);
    EXPECT_EQ(*rule.daysOfTheWeek(), (DayList{{KNVTRecurrenceDayFriday, -1}}));
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
    for (const char *interval : {"-3", "2147483648"}) {
        SCOPED_TRACE(interval);
        const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=") + QString::fromUtf8(interval));
        EXPECT_EQ(rule.interval(), 1u);
        EXPECT_EQ(rule.RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
    }

    // Other numbers too large for their field stop at its limit instead of wrapping round.
    const KNVTRecurrenceRule huge(QStringLiteral(
        "RRULE:FREQ=DAILY;INTERVAL=99999999999999999999999;BYDAY=99999999999MO,-99999999999TU;BYMONTHDAY=99999999999"));
    ASSERT_TRUE(huge.daysOfTheWeek());
    EXPECT_EQ(huge.daysOfTheWeek()->at(0).weekNumber(), std::numeric_limits<int>::max());
    EXPECT_EQ(huge.daysOfTheWeek()->at(1).weekNumber(), std::numeric_limits<int>::min());
    EXPECT_EQ(huge.daysOfTheMonth(), NumberList({std::numeric_limits<int>::max()}));
    EXPECT_TRUE(KNVTRecurrenceRule(huge.RRULE()).isEqual(huge));
}

TEST(KNVTRecurrenceRuleReading, CountMustBePositive)
{
    EXPECT_EQ(KNVTRecurrenceRule(QStringLiteral("RRULE:FREQ=DAILY;COUNT=5")).recurrenceEnd()->occurrenceCount(), 5u);
    for (const char *count : {"0", "-1", "many"}) {
        SCOPED_TRACE(count);
        const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=DAILY;COUNT=") + QString::fromUtf8(count));
        EXPECT_EQ(rule.recurrenceEnd(), nullptr);
        EXPECT_EQ(rule.RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
    }
}

// The end date ------------------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleUntil, IsIndependentOfZoneAndLocale)
{
    const knvt::test::ScopedTimeZone zone("Asia/Kolkata");
    std::shared_ptr<KNVTRecurrenceRule> read;
    std::shared_ptr<KNVTRecurrenceRule> written;
    {
        const knvt::test::ScopedLocale arabic("ar_EG");
        read = std::make_shared<KNVTRecurrenceRule>(QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20150310T013000Z"));
        written = KNVTRecurrenceRule::recurrenceRuleWithFrequency(
            KNVTRecurrenceFrequencyDaily, 1, KNVTRecurrenceDay(0), {}, {}, {}, {}, {}, {},
            KNVTRecurrenceEnd::recurrenceEndWithEndDate(QDateTime(QDate(2015, 3, 10), QTime(7, 0))));
    }

    ASSERT_NE(read->recurrenceEnd(), nullptr);
    EXPECT_EQ(read->recurrenceEnd()->endDate(), utc(2015, 3, 10, 1, 30, 0));
    EXPECT_EQ(read->RRULE(), QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20150310T013000Z"));
    // 07:00 in Kolkata is 01:30 UTC.
    EXPECT_EQ(written->RRULE(), QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20150310T013000Z"));
}

TEST(KNVTRecurrenceRuleUntil, UnreadableDatesGiveNoEnd)
{
    for (const char *value : {"20150310", "20150310T120000", "20150230T120000Z", ""}) {
        SCOPED_TRACE(value);
        const KNVTRecurrenceRule rule(QStringLiteral("RRULE:FREQ=DAILY;UNTIL=") + QString::fromUtf8(value));
        EXPECT_EQ(rule.recurrenceEnd(), nullptr);
    }
}

// Writing -----------------------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleWriting, EditorRulesWriteFrequencyAndInterval)
{
    EXPECT_EQ(KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyWeekly, 2)->RRULE(),
              QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=2"));
}

TEST(KNVTRecurrenceRuleWriting, FullRuleWritesEveryPartInCanonicalOrder)
{
    const auto rule = KNVTRecurrenceRule::recurrenceRuleWithFrequency(
        KNVTRecurrenceFrequencyMonthly, 3, KNVTRecurrenceDaySunday,
        DayList{KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceDayFriday, -1),
                KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceDaySaturday)},
        NumberList{1, 15}, NumberList{6}, NumberList{}, std::nullopt, NumberList{-2},
        KNVTRecurrenceEnd::recurrenceEndWithOccurrenceCount(10));
    EXPECT_EQ(rule->RRULE(),
              QStringLiteral("RRULE:FREQ=MONTHLY;INTERVAL=3;COUNT=10;WKST=SU;BYDAY=-1FR,SA;"
                             "BYMONTHDAY=1,15;BYMONTH=6;BYSETPOS=-2"));

    const KNVTRecurrenceRule reread(rule->RRULE());
    EXPECT_EQ(reread.daysOfTheWeek(), rule->daysOfTheWeek());
    EXPECT_EQ(reread.positions(), NumberList({-2}));
}

TEST(KNVTRecurrenceRuleWriting, EndWritesDateBeforeCount)
{
    auto rule = KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyDaily, 1);
    auto both = std::make_shared<KNVTRecurrenceEnd>();
    both->setOccurrenceCount(3);
    both->setEndDate(utc(2020, 2, 29, 12, 0, 0));
    rule->setRecurrenceEnd(both);
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:FREQ=DAILY;UNTIL=20200229T120000Z"));

    rule->setRecurrenceEnd(nullptr);
    EXPECT_EQ(rule->RRULE(), QStringLiteral("RRULE:FREQ=DAILY"));
}

// Identity ----------------------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleIdentity, EqualityAndHashFollowTheText)
{
    const KNVTRecurrenceRule a(QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=2"));
    const KNVTRecurrenceRule b(QStringLiteral("RRULE:INTERVAL=2;FREQ=DAILY"));
    EXPECT_TRUE(a.isEqual(b));
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_FALSE(a.isEqual(KNVTRecurrenceRule(QStringLiteral("RRULE:FREQ=DAILY;INTERVAL=3"))));
    EXPECT_TRUE(KNVTRecurrenceRule(KNVTRecurrenceFrequencyDaily, 0)
                    .isEqual(KNVTRecurrenceRule(KNVTRecurrenceFrequencyDaily, 1)));
}

// Class conversions and names ---------------------------------------------------------------------------------------

TEST(KNVTRecurrenceRuleNames, FixedEnglishWordsWhateverTheLocale)
{
    {
        const knvt::test::ScopedLocale german("de_DE");
        const KNVTRecurrenceFrequency monthly = KNVTRecurrenceFrequencyMonthly;
        EXPECT_EQ(KNVTRecurrenceRule::localizedSingularNameForFrequency(monthly), QStringLiteral("Month"));
        EXPECT_EQ(KNVTRecurrenceRule::localizedPluralNameForFrequency(monthly), QStringLiteral("Months"));
        EXPECT_EQ(KNVTRecurrenceRule::localizedNameForFrequency(monthly), QStringLiteral("Monthly"));
        EXPECT_EQ(KNVTRecurrenceRule::localizedNameForFrequency(monthly, 1), QStringLiteral("1 Month"));
        EXPECT_EQ(KNVTRecurrenceRule::localizedRepeatNameForFrequency(monthly, 1), QStringLiteral("Month"));
        EXPECT_EQ(KNVTRecurrenceRule::localizedRepeatNameForFrequency(monthly, 1500), QStringLiteral("1500 Months"));
    }

    // No half-made texts such as "2 " for a frequency outside the table.
    EXPECT_TRUE(KNVTRecurrenceRule::localizedNameForFrequency(KNVTRecurrenceFrequency(8), 2).isNull());
    EXPECT_TRUE(KNVTRecurrenceRule::localizedRepeatNameForFrequency(KNVTRecurrenceFrequency(0), 2).isNull());
}

} // namespace
