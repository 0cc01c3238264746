#include "model/RecurrenceInWords.h"

#include "support/ScopedInterfaceLanguage.h"
#include "support/ScopedTimeZone.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

// Every part the words can say, in the user's language; whatever they cannot say in full stays as stored.
TEST(RecurrenceInWords, RulesReadAsSentencesWithTheirDaysAndEndOrAsTheirStoredText)
{
    const knvt::test::ScopedTimeZone zone("America/New_York");
    const struct
    {
        const char *locale, *stored, *words;
    } rows[] = {
        {"en_US", "RRULE:FREQ=DAILY", "Every day"},
        {"en_US", "RRULE:FREQ=WEEKLY;INTERVAL=2", "Every 2 weeks"},
        {"en_US", "RRULE:FREQ=HOURLY;INTERVAL=2", "Every 2 hours"},
        {"en_US", "RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10", "Every week on Monday and Wednesday, 10 times"},
        // The order of the stored text does not matter, nor the case after its prefix or an INTERVAL of one.
        {"en_US", "RRULE:count=10;byday=mo,we;INTERVAL=1;freq=weekly", "Every week on Monday and Wednesday, 10 times"},
        {"en_US", "RRULE:FREQ=MONTHLY;UNTIL=20271231T170000Z;BYMONTHDAY=15",
         "Every month on the 15th, until Dec 31, 2027"},
        {"en_US", "RRULE:FREQ=MONTHLY;BYMONTHDAY=1,-1;COUNT=1", "Every month on the 1st and the last day, once"},
        {"en_US", "RRULE:FREQ=MONTHLY;INTERVAL=3;BYDAY=1MO,-1FR",
         "Every 3 months on the first Monday and the last Friday"},
        {"en_US", "RRULE:FREQ=YEARLY;BYMONTH=3,6;BYMONTHDAY=2", "Every year in March and June on the 2nd"},
        {"en_US", "RRULE:FREQ=WEEKLY;WKST=SU;BYDAY=TU,TH,SA", "Every week on Tuesday, Thursday, and Saturday"},
        // With no translation for the user's language the sentence is English throughout; its date is the user's.
        {"de_DE", "RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10", "Every week on Monday and Wednesday, 10 times"},
        {"de_DE", "RRULE:FREQ=MONTHLY;BYMONTHDAY=15;UNTIL=20271231T170000Z",
         "Every month on the 15th, until 31. Dez. 2027"},
        {"fr_CA", "RRULE:FREQ=YEARLY;BYMONTH=3,6;BYDAY=-1FR;UNTIL=20271231T170000Z",
         "Every year in March and June on the last Friday, until 31 déc. 2027"},
        // Two rules, each said.
        {"en_US", "RRULE:FREQ=DAILY;COUNT=3 RRULE:FREQ=YEARLY", "Every day, 3 times; Every year"},
        // What the words cannot say, or what would be read otherwise than written, stays as it is stored.
        {"en_US", "RRULE:FREQ=DAILY;BYHOUR=9", "RRULE:FREQ=DAILY;BYHOUR=9"},
        {"en_US", "RRULE:FREQ=FORTNIGHTLY", "RRULE:FREQ=FORTNIGHTLY"},
        {"en_US", "RRULE:FREQ=WEEKLY;BYDAY=XX", "RRULE:FREQ=WEEKLY;BYDAY=XX"},
        {"en_US", "RRULE:FREQ=WEEKLY;UNTIL=20271231;COUNT=2", "RRULE:FREQ=WEEKLY;UNTIL=20271231;COUNT=2"},
        {"en_US", "RRULE:FREQ=MONTHLY;BYSETPOS=-1;BYDAY=MO", "RRULE:FREQ=MONTHLY;BYSETPOS=-1;BYDAY=MO"},
        {"en_US", "RRULE:FREQ=MONTHLY;BYMONTHDAY=40", "RRULE:FREQ=MONTHLY;BYMONTHDAY=40"},
        {"en_US", "RRULE:FREQ=WEEKLY;BYDAY=2MO", "RRULE:FREQ=WEEKLY;BYDAY=2MO"},
        {"en_US", "RRULE:COUNT=5", "RRULE:COUNT=5"},
        {"en_US", "RRULE:FREQ=DAILY RRULE:FREQ=DAILY;BYHOUR=9", "Every day; RRULE:FREQ=DAILY;BYHOUR=9"},
        {"en_US", "FREQ=DAILY", "FREQ=DAILY"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(knvt::recurrenceInWords(QString::fromLatin1(row.stored), QLocale(QString::fromLatin1(row.locale))),
                  QString::fromUtf8(row.words))
            << row.locale << " " << row.stored;
}

// A translated interface takes the names of its own language, and leaves a user of another language with its words.
TEST(RecurrenceInWords, NamesAreInTheLanguageOfTheInterface)
{
    const knvt::test::ScopedTimeZone zone("America/New_York");
    const knvt::test::ScopedInterfaceLanguage german("de");
    const QString weekly = QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10");
    EXPECT_EQ(knvt::recurrenceInWords(weekly, QLocale(QStringLiteral("de_AT"))),
              "Every week on Montag und Mittwoch, 10 times");
    EXPECT_EQ(knvt::recurrenceInWords(weekly, QLocale(QStringLiteral("fr_CA"))),
              "Every week on Montag und Mittwoch, 10 times");
    EXPECT_EQ(knvt::recurrenceInWords(QStringLiteral("RRULE:FREQ=MONTHLY;BYMONTHDAY=15;UNTIL=20271231T170000Z"),
                                      QLocale(QStringLiteral("fr_CA"))),
              "Every month on the 15., until 31 déc. 2027");
}

} // namespace
