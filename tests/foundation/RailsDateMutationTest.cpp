// Seeded random damage to the service's date texts: reading never crashes, and whatever it reads is a UTC instant
// that the formatter writes as a text it reads back as the same instant (to the second).
#include "foundation/KNVTRailsDateFormatter.h"

#include "support/Mutator.h"

#include <gtest/gtest.h>

using knvt::test::Mutator;

TEST(RailsDateMutation, DamagedDateTextsReadAsNothingOrAsAnInstantThatRoundTrips)
{
    const std::vector<QString> texts{QStringLiteral("2014-05-01T10:20:30+02:00"),
                                     QStringLiteral("2015-03-04T10:20:30+0000"),
                                     QStringLiteral("2014-05-01T10:20:30-05:30"),
                                     QStringLiteral("2016-02-29T23:59:59.999Z"),
                                     QStringLiteral("0001-01-01T00:00:00+2359"),
                                     QStringLiteral("9999-12-31T23:59:59-2359"),
                                     QStringLiteral("2014-05-01")};
    const QString alphabet = QStringLiteral("0123456789-+:.TZ ");
    const KNVTRailsDateFormatter dateTime(KNVTRailsDateFormatterTypeDateTime);
    const KNVTRailsDateFormatter date(KNVTRailsDateFormatterTypeDate);
    Mutator mutate(20261209);
    int read = 0;
    for (int round = 0; round < 6000; ++round) {
        const QString text = mutate.text(mutate.pick(texts), alphabet);
        for (const KNVTRailsDateFormatter *formatter : {&dateTime, &date}) {
            const QDateTime instant = formatter->dateFromString(text);
            if (!instant.isValid())
                continue;
            ++read;
            SCOPED_TRACE(QStringLiteral("round %1: \"%2\"").arg(round).arg(text).toStdString());
            EXPECT_EQ(instant.timeSpec(), Qt::UTC);
            const QString written = formatter->stringFromDate(instant);
            EXPECT_EQ(formatter->dateFromString(written), instant.addMSecs(-instant.time().msec()))
                << qPrintable(written);
        }
    }
    EXPECT_GT(read, 100) << "the damage leaves some texts readable, so the round trip is tried";
}
