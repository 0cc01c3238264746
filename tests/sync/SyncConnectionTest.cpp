#include "SyncSessionTest.h"

#include "service/RequestPool.h"

#include <QThreadPool>

using namespace knvt::test;

namespace {

// The ways a request can get no HTTP reply at all.
enum class NoReply { Drop, Reset, Truncate, Refused, Timeout };

std::string name(const ::testing::TestParamInfo<NoReply> &info)
{
    switch (info.param) {
    case NoReply::Drop: return "Drop";
    case NoReply::Reset: return "Reset";
    case NoReply::Truncate: return "Truncate";
    case NoReply::Refused: return "Refused";
    case NoReply::Timeout: return "Timeout";
    }
    return "Unknown";
}

// Sends every request on one worker thread while it lives, so that each one finds the connection its predecessor
// kept alive.
class OneRequestWorker
{
public:
    OneRequestWorker() { knvt::RequestPool::shared()->setMaxThreadCount(1); }
    ~OneRequestWorker() { knvt::RequestPool::shared()->setMaxThreadCount(m_threads); }
    OneRequestWorker(const OneRequestWorker &) = delete;
    OneRequestWorker &operator=(const OneRequestWorker &) = delete;

private:
    const int m_threads = knvt::RequestPool::shared()->maxThreadCount();
};

} // namespace

// A request without an HTTP reply stops the session where it is: nothing more is sent, no entity tag is handed
// over, the session is not reported finished (so no success date), and its resume starts at that request.
class SyncConnectionTest : public SyncSessionTest, public ::testing::WithParamInterface<NoReply>
{
protected:
    void scriptFailure(FakeSyncService &fake, NoReply kind)
    {
        auto tags = fake.on("GET", "/tags.json");
        tags.clear();
        switch (kind) {
        case NoReply::Drop: tags.drop(); break;
        case NoReply::Reset: tags.reset(); break;
        case NoReply::Truncate: tags.json(200, listBody({tag(3, "home", 2)})).truncate(); break;
        case NoReply::Timeout: tags.json(200, listBody()).hold(); break;
        case NoReply::Refused: break;
        }
    }

    void scriptService(FakeSyncService &fake)
    {
        fake.on("GET", "/account.json").json(200, body(account(7, user(42, "ann"), 1)));
        for (const char *path : {"/friendships.json", "/friendships/invites.json", "/task_lists/pending.json",
                                 "/task_lists/archived.json", "/task_lists/declined.json"})
            fake.on("GET", path).json(200, listBody());
        // Not newer than the local copy, so the pull leaves it alone.
        fake.on("GET", "/tasks/inbox.json").json(200, listBody({task(12, "A", 1)}));
        fake.on("GET", "/task_lists.json").json(200, listBody()).etag("\"l-1\"");
    }
};

TEST_P(SyncConnectionTest, ARequestWithoutReplyStopsTheSessionAndItsResumeCompletes)
{
    const NoReply kind = GetParam();
    KNVTCDTask *task = syncedTask(12, "A");
    save();
    task->setTitle("B");
    save();
    m_fake.on("PUT", "/tasks/12.json").json(200, R"({"task":{"id":12}})");
    scriptService(m_fake);
    if (kind == NoReply::Timeout)
        KNVTRequest::setDefaultTimeoutInterval(1.0);
    // Refused: the service is gone before the session starts; the resume reaches its successor.
    std::unique_ptr<FakeSyncService> successor;
    if (kind == NoReply::Refused)
        m_fake.stop();
    else
        scriptFailure(m_fake, kind);

    auto session = makeSession();
    ASSERT_EQ(run(session), Outcome::Failed);
    EXPECT_NE(m_error.code(), 401);
    EXPECT_NE(m_error.code(), 410);
    EXPECT_TRUE(session->isResumable());
    EXPECT_TRUE(m_storedETags.isEmpty()) << "a failed session hands over no entity tag";
    if (kind == NoReply::Refused) {
        EXPECT_EQ(session->pendingPushResources().first(), "tasks");
    } else {
        EXPECT_GE(m_fake.count("GET", "/tags.json"), 1);
        EXPECT_FALSE(session->hasPendingPushResources());
        EXPECT_EQ(session->pendingPullResources().first(), "tags");
        EXPECT_TRUE(task->changedKeys().isEmpty()) << "the PUT before the failure was kept";
        m_fake.releaseAll();
    }

    // An edit saved while the session waits is not sent by its resume, which starts at the failed request.
    task->setTitle("C");
    save();
    FakeSyncService *service = &m_fake;
    if (kind == NoReply::Refused) {
        successor = std::make_unique<FakeSyncService>();
        KNVTSetSyncServiceAPIURLString(successor->baseURL());
        service = successor.get();
        service->on("PUT", "/tasks/12.json").json(200, R"({"task":{"id":12}})");
        scriptService(*service);
    }
    service->clearRequests();
    service->on("GET", "/tags.json").clear().json(200, listBody()).etag("\"t-1\"");
    ASSERT_EQ(run(session), Outcome::Finished) << qPrintable(m_error.description());
    const QList<QByteArray> resumed = service->calls();
    ASSERT_FALSE(resumed.isEmpty());
    if (kind == NoReply::Refused) {
        EXPECT_EQ(resumed.first(), "PUT /tasks/12.json");
        EXPECT_EQ(resumed.size(), 10);
        EXPECT_EQ(json(*service->lastRequest("PUT", "/tasks/12.json")),
                  QJsonObject({{"task", QJsonObject{{"title", "C"}}}}));
    } else {
        EXPECT_EQ(resumed, QList<QByteArray>{"GET /tags.json"});
        EXPECT_EQ(task->title(), "C");
        EXPECT_EQ(task->changedKeys(), QStringList{"title"});
        EXPECT_EQ(m_storedETags, (QVariantMap{{"task_lists", "\"l-1\""}, {"tags", "\"t-1\""}}));
    }

    // The next session pushes what is left, once.
    service->clearRequests();
    ASSERT_EQ(run(makeSession(true, false)), Outcome::Finished);
    const auto put = service->lastRequest("PUT", "/tasks/12.json");
    if (kind == NoReply::Refused) {
        EXPECT_FALSE(put) << "the resume sent the edit already";
    } else {
        ASSERT_TRUE(put);
        EXPECT_EQ(json(*put), QJsonObject({{"task", QJsonObject{{"title", "C"}}}}));
    }
    EXPECT_TRUE(task->changedKeys().isEmpty());
    if (successor) {
        EXPECT_TRUE(successor->unmatched().empty());
        KNVTSetSyncServiceAPIURLString(m_fake.baseURL());
    }
}

INSTANTIATE_TEST_SUITE_P(NoReplies, SyncConnectionTest,
                         ::testing::Values(NoReply::Drop, NoReply::Reset, NoReply::Truncate, NoReply::Refused,
                                           NoReply::Timeout),
                         name);

// The service reads a create and the connection dies before its reply: the session stops there, having sent the
// create once. All requests go through one worker, so the create follows an update on the connection that update
// kept alive, where the transport would otherwise have sent it again. The next session reads the Inbox first, where the
// service would have put it; it is not there, so the create goes again, and the task exists once.
TEST_F(SyncSessionTest, ACreateWhoseConnectionDiesIsSentOnceAndTheSessionStops)
{
    const OneRequestWorker oneWorker;
    KNVTCDTaskList *list = syncedList(5, "Errands");
    save();
    list->setTitle("Weekend errands");
    auto *task = m_main->insert<KNVTCDTask>();
    task->setTitle("Buy milk");
    save();
    m_fake.on("PUT", "/task_lists/5.json").json(200, R"({"task_list":{"id":5}})");
    m_fake.on("POST", "/tasks.json").drop();

    auto session = makeSession(true, false);
    EXPECT_EQ(run(session), Outcome::Failed);
    EXPECT_EQ(m_error.domain(), "CURLErrorDomain") << qPrintable(m_error.description());
    EXPECT_EQ(m_fake.count("POST", "/tasks.json"), 1);
    EXPECT_EQ(m_fake.calls(), (QList<QByteArray>{"PUT /task_lists/5.json", "POST /tasks.json"}));
    EXPECT_TRUE(session->isResumable());
    EXPECT_EQ(session->pendingPushResources().first(), "tasks");
    EXPECT_EQ(task->numericIdentifier(), std::nullopt);

    m_fake.on("POST", "/tasks.json").clear().json(201, body(knvt::test::task(12, "Buy milk", 1)));
    m_fake.on("GET", "/tasks/inbox.json").json(200, "[]");
    m_fake.clearRequests();
    ASSERT_EQ(run(session), Outcome::Finished) << qPrintable(m_error.description());
    EXPECT_EQ(m_fake.calls().mid(0, 2), (QList<QByteArray>{"GET /tasks/inbox.json", "POST /tasks.json"}));
    ASSERT_EQ(all<KNVTCDTask>().size(), 1u);
    EXPECT_EQ(task->numericIdentifier(), 12);
}
