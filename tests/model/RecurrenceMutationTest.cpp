// Seeded random damage to rule texts, as the service may send them: reading never crashes, a rule read from any text
// writes a text that reads back as the same rule, and stepping moves forward, never past year 9999.
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include "support/Mutator.h"

#include <gtest/gtest.h>

using knvt::test::Mutator;

namespace {

const QStringList kRules{QStringLiteral("RRULE:FREQ=DAILY"),
                         QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE,-1FR;WKST=SU"),
                         QStringLiteral("RRULE:FREQ=MONTHLY;BYMONTHDAY=31,-1;COUNT=12"),
                         QStringLiteral("RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29;UNTIL=20300101T000000Z"),
                         QStringLiteral("RRULE:FREQ=HOURLY;INTERVAL=36;BYSETPOS=1,-1;BYYEARDAY=100;BYWEEKNO=20"),
                         QStringLiteral("RRULE:FREQ=MINUTELY;INTERVAL=90;UNTIL=20150305"),
                         QStringLiteral("RRULE:FREQ=SECONDLY;COUNT=3")};
const QString kAlphabet = QStringLiteral("RULEFQ:=;,-+0123456789TZDAILYWEKMONTHSCBXPV ");

} // namespace

TEST(RecurrenceMutation, DamagedRuleTextsReadWriteAndStepSafely)
{
    Mutator mutate(20261208);
    const QDateTime start(QDate(2015, 1, 31), QTime(0, 0), Qt::LocalTime);
    const QDateTime end = start.addSecs(3600);
    const QDateTime lastInstant(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::LocalTime);
    for (int round = 0; round < 4000; ++round) {
        const QString text = mutate.text(mutate.pick(std::vector<QString>(kRules.begin(), kRules.end())), kAlphabet);
        SCOPED_TRACE(QStringLiteral("round %1: %2").arg(round).arg(text).toStdString());

        if (KNVTRecurrenceRule::isValidRRULE(text)) {
            const KNVTRecurrenceRule rule(text);
            const QString written = rule.RRULE();
            ASSERT_TRUE(KNVTRecurrenceRule::isValidRRULE(written)) << qPrintable(written);
            const KNVTRecurrenceRule reread(written);
            EXPECT_TRUE(reread.isEqual(rule)) << qPrintable(written);
            EXPECT_EQ(reread.RRULE(), written);
        }

        const KNVTRecurrence recurrence(QStringList{text, mutate.chance(20) ? text : kRules.first()});
        KNVTRecurrenceOccurrence previous(start, end);
        int steps = 0;
        recurrence.enumerateReoccurrencesForOriginalOccurrence(
            previous, [&](const KNVTRecurrenceOccurrence &occurrence, bool &stop) {
                EXPECT_GT(occurrence.startDate(), previous.startDate());
                EXPECT_LE(occurrence.startDate(), lastInstant);
                EXPECT_TRUE(occurrence.endDate().isValid());
                previous = occurrence;
                stop = ++steps == 25;
            });
        // Collecting is bounded whatever the rule's end says; done now and then, as it may take thousands of steps.
        if (round % 40 == 0) {
            EXPECT_LE(recurrence.reccurrencesForOriginalOccurrence(KNVTRecurrenceOccurrence(start, end)).size(),
                      KNVTRecurrence::maximumNumberOfCollectedOccurrences);
        }
    }
}
