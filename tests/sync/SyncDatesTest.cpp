#include "SyncSessionTest.h"

#include <QTimeZone>

using namespace knvt::test;

class SyncDatesTest : public SyncSessionTest
{
protected:
    static QDateTime utc(int hour, int minute, int second)
    {
        return QDateTime(QDate(2014, 5, 1), QTime(hour, minute, second), QTimeZone::utc());
    }
};

TEST_F(SyncDatesTest, PulledDatesAreReadWithTheirOffset)
{
    scriptEmptyService();
    m_fake.on("GET", "/tasks/inbox.json")
        .clear()
        .json(200,
              listBody({task(12, "Colon", 1, {{"due_at", "2014-05-01T10:20:30+02:00"}}),
                        task(13, "Negative half hour", 1, {{"due_at", "2014-05-01T10:20:30-05:30"}}),
                        task(14, "No colon", 1, {{"due_at", "2014-05-01T10:20:30+0200"}}),
                        task(15, "Zulu", 1, {{"due_at", "2014-05-01T08:20:30Z"}}),
                        task(16, "Day only", 1, {{"due_at", "2014-05-01"}})}));

    ASSERT_EQ(run(makeSession()), Outcome::Finished) << qPrintable(m_error.description());

    EXPECT_EQ(withIdentifier<KNVTCDTask>(12)->dueDate(), utc(8, 20, 30));
    EXPECT_EQ(withIdentifier<KNVTCDTask>(13)->dueDate(), utc(15, 50, 30));
    EXPECT_EQ(withIdentifier<KNVTCDTask>(14)->dueDate(), utc(8, 20, 30));
    // The service's own writer never sends "Z", but the date reader takes it as UTC.
    EXPECT_EQ(withIdentifier<KNVTCDTask>(15)->dueDate(), utc(8, 20, 30));
    EXPECT_FALSE(withIdentifier<KNVTCDTask>(16)->dueDate().isValid()) << "a day without a time is no date";
}

TEST_F(SyncDatesTest, PushedDatesAreWrittenInUTCWithoutAColon)
{
    KNVTCDTask *task = syncedTask(12, "Due soon");
    save();
    // Written in another zone, sent as the same instant in UTC.
    task->setDueDate(QDateTime(QDate(2015, 3, 4), QTime(5, 20, 30), QTimeZone("America/New_York")));
    save();
    m_fake.on("PUT", "/tasks/12.json").json(200, R"({"task":{"id":12}})");

    ASSERT_EQ(run(makeSession(true, false)), Outcome::Finished) << qPrintable(m_error.description());

    const auto put = m_fake.lastRequest("PUT", "/tasks/12.json");
    ASSERT_TRUE(put);
    EXPECT_EQ(json(*put), QJsonObject({{"task", QJsonObject{{"due_at", "2015-03-04T10:20:30+0000"}}}}));
    EXPECT_TRUE(task->changedKeys().isEmpty());
}
