#include "model/KNVTRecurrence.h"

#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using RuleList = KNVTRecurrence::RuleList;

std::shared_ptr<KNVTRecurrenceRule> rule(const char *text)
{
    return std::make_shared<KNVTRecurrenceRule>(QString::fromUtf8(text));
}

// A wall-clock time in the current zone, "2018-11-03T00:00:00".
QDateTime local(const char *text)
{
    const QDateTime date = QDateTime::fromString(QString::fromUtf8(text), Qt::ISODate);
    EXPECT_TRUE(date.isValid()) << text;
    EXPECT_EQ(date.timeSpec(), Qt::LocalTime) << text;
    return date;
}

// The wall-clock time with the zone's offset at that instant, "2018-11-04T01:00:00-02:00".
QString wallClock(const QDateTime &date)
{
    if (!date.isValid())
        return QStringLiteral("none");
    return date.toOffsetFromUtc(date.offsetFromUtc()).toString(Qt::ISODate);
}

QStringList steppedStartDates(const KNVTRecurrence &recurrence, const KNVTRecurrenceOccurrence &original, int count)
{
    QStringList dates;
    recurrence.enumerateReoccurrencesForOriginalOccurrence(original,
                                                           [&](const KNVTRecurrenceOccurrence &occurrence, bool &stop) {
                                                               dates.append(wallClock(occurrence.startDate()));
                                                               stop = dates.size() >= count;
                                                           });
    return dates;
}

// Construction and the stored forms ---------------------------------------------------------------------------------

TEST(KNVTRecurrenceConstruction, AdmitsOnlyRuleTextsAndDropsNullRules)
{
    const auto recurrence = KNVTRecurrence::recurrenceWithRecurrenceComponentStrings(
        {QStringLiteral("RRULE:FREQ=DAILY"), QStringLiteral("FREQ=WEEKLY"), QStringLiteral("rrule:freq=daily"),
         QString()});
    ASSERT_EQ(recurrence->recurrenceRules()->size(), 1);
    EXPECT_EQ(recurrence->recurrenceRule()->frequency(), KNVTRecurrenceFrequencyDaily);

    // No rule text at all gives no rule list, which equals nothing and never steps.
    const KNVTRecurrence none(QStringList{QStringLiteral("FREQ=DAILY")});
    EXPECT_FALSE(none.recurrenceRules());
    EXPECT_EQ(none.recurrenceRule(), nullptr);
    EXPECT_FALSE(none.nextReoccurrenceForOriginalOccurrence({local("2020-01-01T00:00:00"), QDateTime()}));

    // A null entry is no rule; keeping it would break every later use of the list.
    const auto daily = rule("RRULE:FREQ=DAILY");
    const auto weekly = rule("RRULE:FREQ=WEEKLY");
    const auto list = KNVTRecurrence::recurrenceWithRecurrenceRules({nullptr, weekly, nullptr, daily});
    EXPECT_EQ(*list->recurrenceRules(), (RuleList{weekly, daily}));
    EXPECT_EQ(list->recurrenceRule(), weekly);
}

TEST(KNVTRecurrenceConstruction, StoredStringRoundTrips)
{
    // The way tasks and review schedules keep a recurrence: its texts joined by one space.
    const QString stored = QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,-1FR RRULE:FREQ=YEARLY;COUNT=3");
    const auto recurrence = KNVTRecurrence::recurrenceWithRecurrenceComponentStrings(stored.split(u' '));
    ASSERT_EQ(recurrence->recurrenceRules()->size(), 2);
    EXPECT_EQ(recurrence->recurrenceComponentStrings().join(u' '), stored);
}

TEST(KNVTRecurrenceIdentity, EqualityIgnoresRuleOrder)
{
    const KNVTRecurrence forward(
        QStringList{QStringLiteral("RRULE:FREQ=DAILY"), QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=2")});
    const KNVTRecurrence backward(RuleList{rule("RRULE:INTERVAL=2;FREQ=WEEKLY"), rule("RRULE:FREQ=DAILY")});
    EXPECT_TRUE(forward.isEqual(backward));
    EXPECT_TRUE(backward.isEqual(forward));
    EXPECT_FALSE(forward.isEqual(KNVTRecurrence(rule("RRULE:FREQ=DAILY"))));
    EXPECT_FALSE(KNVTRecurrence(QStringList{}).isEqual(forward));
}

// Stepping ----------------------------------------------------------------------------------------------------------

struct SteppingRow
{
    const char *zone;
    const char *rule;
    const char *start;
    std::vector<const char *> expected;
};

// Every frequency across the daylight-saving changes of a zone that changes at night (Berlin: spring forward at
// 02:00, fall back at 03:00) and of one whose days began in the gap (Sao Paulo: 2018-11-04 began at 01:00, and
// 2019-02-16 had its hour from 23:00 twice), and across month ends.
const SteppingRow steppingRows[] = {
    {"Europe/Berlin",
     "RRULE:FREQ=SECONDLY",
     "2023-03-26T01:59:59",
     {"2023-03-26T03:00:00+02:00", "2023-03-26T03:00:01+02:00"}},
    {"Europe/Berlin",
     "RRULE:FREQ=MINUTELY;INTERVAL=30",
     "2023-10-29T01:30:00",
     {"2023-10-29T02:00:00+02:00", "2023-10-29T02:30:00+02:00", "2023-10-29T02:00:00+01:00",
      "2023-10-29T02:30:00+01:00", "2023-10-29T03:00:00+01:00"}},
    {"Europe/Berlin",
     "RRULE:FREQ=HOURLY",
     "2023-10-29T01:30:00",
     {"2023-10-29T02:30:00+02:00", "2023-10-29T02:30:00+01:00", "2023-10-29T03:30:00+01:00"}},
    // A time that falls into the gap moves forward by it, and the next step starts from there.
    {"Europe/Berlin",
     "RRULE:FREQ=DAILY",
     "2023-03-25T02:30:00",
     {"2023-03-26T03:30:00+02:00", "2023-03-27T03:30:00+02:00"}},
    {"Europe/Berlin",
     "RRULE:FREQ=WEEKLY",
     "2023-03-20T00:00:00",
     {"2023-03-27T00:00:00+02:00", "2023-04-03T00:00:00+02:00"}},
    {"Europe/Berlin",
     "RRULE:FREQ=MONTHLY",
     "2024-01-31T00:00:00",
     {"2024-02-29T00:00:00+01:00", "2024-03-29T00:00:00+01:00", "2024-04-29T00:00:00+02:00"}},
    {"Europe/Berlin",
     "RRULE:FREQ=YEARLY",
     "2024-02-29T00:00:00",
     {"2025-02-28T00:00:00+01:00", "2026-02-28T00:00:00+01:00", "2027-02-28T00:00:00+01:00"}},

    {"America/Sao_Paulo",
     "RRULE:FREQ=SECONDLY;INTERVAL=2",
     "2018-11-03T23:59:59",
     {"2018-11-04T01:00:01-02:00", "2018-11-04T01:00:03-02:00"}},
    {"America/Sao_Paulo",
     "RRULE:FREQ=MINUTELY",
     "2018-11-03T23:59:00",
     {"2018-11-04T01:00:00-02:00", "2018-11-04T01:01:00-02:00"}},
    {"America/Sao_Paulo",
     "RRULE:FREQ=HOURLY",
     "2019-02-16T22:30:00",
     {"2019-02-16T23:30:00-02:00", "2019-02-16T23:30:00-03:00", "2019-02-17T00:30:00-03:00"}},
    // The day that begins at 01:00 gives 01:00, and the steps after it keep that time.
    {"America/Sao_Paulo",
     "RRULE:FREQ=DAILY",
     "2018-11-03T00:00:00",
     {"2018-11-04T01:00:00-02:00", "2018-11-05T01:00:00-02:00"}},
    {"America/Sao_Paulo",
     "RRULE:FREQ=WEEKLY",
     "2018-10-28T00:00:00",
     {"2018-11-04T01:00:00-02:00", "2018-11-11T01:00:00-02:00"}},
    {"America/Sao_Paulo",
     "RRULE:FREQ=MONTHLY",
     "2018-10-04T00:00:00",
     {"2018-11-04T01:00:00-02:00", "2018-12-04T01:00:00-02:00"}},
    {"America/Sao_Paulo",
     "RRULE:FREQ=YEARLY;INTERVAL=4",
     "2016-02-29T00:00:00",
     {"2020-02-29T00:00:00-03:00", "2024-02-29T00:00:00-03:00"}},
};

TEST(KNVTRecurrenceStepping, EveryFrequencyAcrossDaylightSavingAndMonthEnds)
{
    for (const SteppingRow &row : steppingRows) {
        SCOPED_TRACE(std::string(row.zone) + " " + row.rule + " from " + row.start);
        const knvt::test::ScopedTimeZone zone(row.zone);
        const KNVTRecurrence recurrence(QStringList{QString::fromUtf8(row.rule)});
        const QDateTime start = local(row.start);

        QStringList startDates;
        QStringList endDates;
        recurrence.enumerateReoccurrencesForOriginalOccurrence(
            {start, start}, [&](const KNVTRecurrenceOccurrence &occurrence, bool &stop) {
                EXPECT_EQ(occurrence.startDate().timeSpec(), Qt::LocalTime);
                startDates.append(wallClock(occurrence.startDate()));
                endDates.append(wallClock(occurrence.endDate()));
                stop = startDates.size() == qsizetype(row.expected.size());
            });

        QStringList expected;
        for (const char *date : row.expected)
            expected.append(QString::fromUtf8(date));
        EXPECT_EQ(startDates, expected);
        EXPECT_EQ(endDates, expected);
    }
}

TEST(KNVTRecurrenceStepping, ZeroIntervalStepsForward)
{
    const knvt::test::ScopedTimeZone zone("Europe/Berlin");
    const QDateTime start = local("2023-01-31T00:00:00");
    // A zero interval would give the same occurrence for ever; the rule's text says one interval, and so does the step.
    const KNVTRecurrence zero(KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyMonthly, 0));
    EXPECT_EQ(steppedStartDates(zero, {start, start}, 2),
              (QStringList{QStringLiteral("2023-02-28T00:00:00+01:00"), QStringLiteral("2023-03-28T00:00:00+02:00")}));
}

TEST(KNVTRecurrenceStepping, AbsurdIntervalsEndTheSteppingInsteadOfWrappingRound)
{
    const knvt::test::ScopedTimeZone zone("Europe/Berlin");
    const QDateTime start = local("2024-02-29T12:00:00");
    constexpr unsigned int largest = std::numeric_limits<unsigned int>::max();
    for (const KNVTRecurrenceFrequency frequency :
         {KNVTRecurrenceFrequencySecondly, KNVTRecurrenceFrequencyMinutely, KNVTRecurrenceFrequencyHourly,
          KNVTRecurrenceFrequencyDaily, KNVTRecurrenceFrequencyWeekly, KNVTRecurrenceFrequencyMonthly,
          KNVTRecurrenceFrequencyYearly}) {
        for (const unsigned int interval : {largest, 4000000u}) {
            SCOPED_TRACE(testing::Message() << "frequency " << frequency << " interval " << interval);
            const KNVTRecurrence recurrence(KNVTRecurrenceRule::recurrenceRuleWithFrequency(frequency, interval));
            recurrence.enumerateReoccurrencesForOriginalOccurrence(
                {start, QDateTime()}, [&](const KNVTRecurrenceOccurrence &occurrence, bool &stop) {
                    EXPECT_GT(occurrence.startDate(), start);
                    EXPECT_LE(occurrence.startDate().date().year(), 9999);
                    stop = true;
                });
        }
    }
}

// Collected occurrences ---------------------------------------------------------------------------------------------

TEST(KNVTRecurrenceCollected, CountAndEndDateBoundTheOccurrences)
{
    const knvt::test::ScopedTimeZone zone("Europe/Berlin");
    const QDateTime start = local("2023-03-24T00:00:00");
    const KNVTRecurrence three(rule("RRULE:FREQ=DAILY;COUNT=3"));
    EXPECT_EQ(three.reccurrencesForOriginalOccurrence({start, start}).size(), 3);

    // 2023-03-27 00:00 in Berlin is 2023-03-26 22:00 UTC: the end date itself is included.
    const KNVTRecurrence exactly(rule("RRULE:FREQ=DAILY;UNTIL=20230326T220000Z"));
    EXPECT_EQ(exactly.reccurrencesForOriginalOccurrence({start, start}).size(), 3);
    const KNVTRecurrence secondBefore(rule("RRULE:FREQ=DAILY;UNTIL=20230326T215959Z"));
    EXPECT_EQ(secondBefore.reccurrencesForOriginalOccurrence({start, start}).size(), 2);
}

TEST(KNVTRecurrenceCollected, IsBoundedWhateverTheEnd)
{
    const knvt::test::ScopedTimeZone zone("Europe/Berlin");
    const QDateTime start = local("2023-01-01T00:00:00");
    const qsizetype bound = KNVTRecurrence::maximumNumberOfCollectedOccurrences;
    const QList<KNVTRecurrenceOccurrence> occurrences =
        KNVTRecurrence(rule("RRULE:FREQ=SECONDLY;UNTIL=99991231T235959Z"))
            .reccurrencesForOriginalOccurrence({start, start});
    ASSERT_EQ(occurrences.size(), bound);
    EXPECT_EQ(occurrences.last().startDate(), start.addSecs(bound));
}

} // namespace
