// The fake sync service seen from a plain HTTP client: libcurl, without any of the client's own request code, so
// that the sync tests can trust what the fake records and answers.
#include "support/FakeSyncService.h"
#include "support/SyncFixtures.h"
#include "support/SyncServiceFixture.h"
#include "support/WaitUntil.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <atomic>
#include <thread>

using namespace knvt::test;
using namespace std::chrono_literals;

namespace {

struct CurlReply
{
    CURLcode code = CURLE_OK;
    long status = 0;
    QByteArray body;
    FakeSyncService::Headers headers;

    QByteArray header(QByteArrayView name) const
    {
        for (const auto &[key, value] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return {};
    }
    QJsonDocument json() const { return QJsonDocument::fromJson(body); }
};

size_t collectBody(char *data, size_t size, size_t count, void *target)
{
    static_cast<QByteArray *>(target)->append(data, qsizetype(size * count));
    return size * count;
}

size_t collectHeader(char *data, size_t size, size_t count, void *target)
{
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    const qsizetype colon = line.indexOf(':');
    if (colon > 0)
        static_cast<FakeSyncService::Headers *>(target)->emplace_back(line.left(colon), line.mid(colon + 1).trimmed());
    return size * count;
}

// One handle per client, reused across calls, so consecutive requests share a keep-alive connection as the
// client's worker threads do.
class Client
{
public:
    Client() : m_curl(curl_easy_init()) {}
    ~Client() { curl_easy_cleanup(m_curl); }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    long timeoutMs = 10000;

    CurlReply send(const QByteArray &method, const QString &url, const QByteArray &body = {},
                   const QList<QByteArray> &headerLines = {})
    {
        CurlReply reply;
        curl_easy_reset(m_curl);
        const QByteArray urlBytes = url.toUtf8();
        curl_easy_setopt(m_curl, CURLOPT_URL, urlBytes.constData());
        curl_easy_setopt(m_curl, CURLOPT_NOPROXY, "*");
        if (method == "GET" || method == "DELETE") {
            curl_easy_setopt(m_curl, CURLOPT_HTTPGET, 1L);
        } else {
            curl_easy_setopt(m_curl, CURLOPT_POSTFIELDS, body.constData());
            curl_easy_setopt(m_curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
        }
        curl_slist *list = nullptr;
        for (const QByteArray &line : headerLines)
            list = curl_slist_append(list, line.constData());
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method.constData());
        curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, list);
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, timeoutMs);
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, collectBody);
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &reply.body);
        curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, collectHeader);
        curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, &reply.headers);
        reply.code = curl_easy_perform(m_curl);
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &reply.status);
        curl_slist_free_all(list);
        return reply;
    }

private:
    CURL *m_curl;
};

class FakeSyncServiceTest : public SyncServiceFixture
{
protected:
    QString url(const QString &path) const { return fake->baseURL() + path; }
    CurlReply get(const QString &path, const QList<QByteArray> &headers = {})
    {
        return client.send("GET", url(path), {}, headers);
    }
    CurlReply send(const QByteArray &method, const QString &path, const QJsonObject &body)
    {
        return client.send(method, url(path), QJsonDocument(body).toJson(QJsonDocument::Compact),
                           {"Content-Type: application/json"});
    }
    static QJsonObject entityOf(const CurlReply &reply, const QString &root)
    {
        return reply.json().object().value(root).toObject();
    }
    static QJsonArray unwrappedList(const CurlReply &reply)
    {
        QJsonArray result;
        for (const QJsonArray items = reply.json().array(); const QJsonValue &item : items)
            result.append(unwrap(item.toObject()));
        return result;
    }

    Client client;
};

TEST_F(FakeSyncServiceTest, UsesRepliesInOrderAndRepeatsTheLast)
{
    fake->on("GET", "/tags.json").json(500, "{}").reply(201, "second", {{"X-Extra", "yes"}}).json(200, "[]");

    EXPECT_EQ(get("/tags.json").status, 500);
    const CurlReply second = get("/tags.json");
    EXPECT_EQ(second.status, 201);
    EXPECT_EQ(second.body, "second");
    EXPECT_EQ(second.header("X-Extra"), "yes");
    EXPECT_EQ(get("/tags.json").body, "[]");
    EXPECT_EQ(get("/tags.json").body, "[]");

    // Replies added later follow the used ones; clear() starts the script afresh.
    fake->on("GET", "/tags.json").json(404, "{}");
    EXPECT_EQ(get("/tags.json").status, 404);
    fake->on("GET", "/tags.json").clear().json(202, "[]").json(203, "[]");
    EXPECT_EQ(get("/tags.json").status, 202);
    EXPECT_EQ(get("/tags.json").status, 203);
    EXPECT_EQ(fake->count("GET", "/tags.json"), 7);
}

TEST_F(FakeSyncServiceTest, AnswersNotModifiedWhenTheEntityTagMatches)
{
    fake->on("GET", "/tags.json").json(200, R"([{"tag":{"id":3}}])").etag("\"t-1\"");

    const CurlReply first = get("/tags.json");
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.header("ETag"), "\"t-1\"");
    EXPECT_EQ(first.body, R"([{"tag":{"id":3}}])");

    const CurlReply matching = get("/tags.json", {"If-None-Match: \"t-1\"", "ETag: \"t-1\""});
    EXPECT_EQ(matching.status, 304);
    EXPECT_TRUE(matching.body.isEmpty());
    EXPECT_EQ(matching.header("ETag"), "\"t-1\"");

    // Tags compare as exact strings: a weak form of the same tag is a different one.
    EXPECT_EQ(get("/tags.json", {"If-None-Match: W/\"t-1\""}).status, 200);
    EXPECT_EQ(get("/tags.json", {"If-None-Match: \"t-2\""}).status, 200);

    // Each recorded request carries what it was answered.
    std::vector<int> answered;
    for (const FakeSyncService::Request &request : fake->requests("GET", "/tags.json"))
        answered.push_back(request.status);
    EXPECT_EQ(answered, (std::vector<int>{200, 304, 200, 200}));
}

TEST_F(FakeSyncServiceTest, HoldsAReplyUntilReleasedWhileOtherConnectionsGoOn)
{
    fake->on("PUT", "/tasks/12.json").json(200, "{}").hold().json(200, R"({"second":true})");
    fake->on("GET", "/tags.json").json(200, "[]");

    std::atomic<long> heldStatus{0};
    std::thread held([&] {
        Client other;
        heldStatus = other.send("PUT", url("/tasks/12.json"), "{}").status;
    });
    ASSERT_TRUE(waitUntil([&] { return fake->hasRequest("PUT", "/tasks/12.json"); }));

    // A request beside the held one is answered at once, on a connection of its own.
    EXPECT_EQ(get("/tags.json").status, 200);
    EXPECT_EQ(heldStatus.load(), 0);

    fake->release("PUT", "/tasks/12.json");
    held.join();
    EXPECT_EQ(heldStatus.load(), 200);
    const std::vector<FakeSyncService::Request> requests = fake->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].connection, requests[1].connection);

    // The next reply of the script is not held.
    EXPECT_EQ(client.send("PUT", url("/tasks/12.json"), "{}").body, R"({"second":true})");
}

TEST_F(FakeSyncServiceTest, DroppedResetAndTruncatedRepliesAreTransportFailures)
{
    fake->on("GET", "/tags.json").drop();
    fake->on("GET", "/tasks/inbox.json").reset();
    fake->on("GET", "/task_lists.json").json(200, R"([{"task_list":{"id":5}}])").truncate();
    fake->on("GET", "/account.json").reply(200).truncate();

    EXPECT_EQ(get("/tags.json").code, CURLE_GOT_NOTHING);
    EXPECT_EQ(get("/tasks/inbox.json").code, CURLE_RECV_ERROR);
    const CurlReply truncated = get("/task_lists.json");
    EXPECT_EQ(truncated.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(truncated.body, QByteArray(R"([{"task_list":{"id":5}}])").left(12));
    EXPECT_EQ(get("/account.json").code, CURLE_PARTIAL_FILE);

    // Every attempt fails the same way, and each was recorded, as answered with no status.
    EXPECT_EQ(get("/tags.json").code, CURLE_GOT_NOTHING);
    EXPECT_EQ(fake->count("GET", "/tags.json"), 2);
    EXPECT_EQ(fake->lastRequest("GET", "/tags.json")->status, 0);
}

TEST_F(FakeSyncServiceTest, StoreRoundTripOfAnInboxTask)
{
    fake->enableState();

    const CurlReply created =
        send("POST", "/tasks.json", {{"task", QJsonObject{{"title", "Buy milk"}, {"task_list_id", QJsonValue::Null}}}});
    ASSERT_EQ(created.status, 201);
    const QJsonObject task = entityOf(created, "task");
    const qint64 id = task.value("id").toInteger();
    EXPECT_GE(id, 100);
    EXPECT_EQ(task.value("title").toString(), "Buy milk");
    EXPECT_EQ(task.value("creator_id").toInteger(), 42);
    EXPECT_TRUE(task.value("created_at").isString());
    EXPECT_EQ(task.value("created_at"), task.value("updated_at"));

    const QString inbox = QStringLiteral("/tasks/inbox.json?include=comments%2Cusers%2Ctask_watchers");
    const CurlReply pulled = get(inbox);
    ASSERT_EQ(pulled.status, 200);
    const QJsonArray tasks = unwrappedList(pulled);
    ASSERT_EQ(tasks.size(), 1);
    EXPECT_EQ(tasks[0]["id"].toInteger(), id);
    EXPECT_EQ(tasks[0]["comments"], QJsonArray());
    EXPECT_EQ(tasks[0]["creator"]["username"].toString(), "ann");
    const QByteArray tag = pulled.header("ETag");
    ASSERT_FALSE(tag.isEmpty());
    EXPECT_EQ(get(inbox, {"If-None-Match: " + tag}).status, 304);

    ASSERT_EQ(send("PUT", QStringLiteral("/tasks/%1.json").arg(id), {{"task", QJsonObject{{"title", "Buy oat milk"}}}})
                  .status,
              200);
    const QJsonObject renamed = *fake->stored("tasks", id);
    EXPECT_EQ(renamed.value("title").toString(), "Buy oat milk");
    const QDateTime before = QDateTime::fromString(task.value("updated_at").toString(), Qt::ISODate);
    const QDateTime after = QDateTime::fromString(renamed.value("updated_at").toString(), Qt::ISODate);
    EXPECT_GE(before.secsTo(after), 1);
    EXPECT_TRUE(renamed.value("updated_at").toString().endsWith("+00:00"));

    const CurlReply changed = get(inbox, {"If-None-Match: " + tag});
    EXPECT_EQ(changed.status, 200);
    EXPECT_NE(changed.header("ETag"), tag);

    const CurlReply deleted = client.send("DELETE", url(QStringLiteral("/tasks/%1.json").arg(id)));
    EXPECT_EQ(deleted.status, 200);
    EXPECT_EQ(get(inbox).json().array(), QJsonArray());
    EXPECT_EQ(client.send("DELETE", url(QStringLiteral("/tasks/%1.json").arg(id))).status, 404);
    EXPECT_EQ(send("PUT", QStringLiteral("/tasks/%1.json").arg(id), {{"task", QJsonObject{{"title", "x"}}}}).status,
              404);
    EXPECT_EQ(send("POST", "/tasks.json", {{"title", "unwrapped"}}).status, 422);
}

TEST_F(FakeSyncServiceTest, APullAfterAnotherClientsChangeNestsWhatItAdded)
{
    fake->enableState();
    const qint64 first =
        fake->seed("tasks", QJsonObject{{"title", "Water the plants"}, {"task_list_id", QJsonValue::Null}});
    const qint64 second =
        fake->seed("tasks", QJsonObject{{"title", "Feed the cat"}, {"task_list_id", QJsonValue::Null}});
    fake->seed("comments", QJsonObject{{"commentable_id", first}, {"user_id", 42}, {"text", "Twice a week"}});
    const QString inbox = QStringLiteral("/tasks/inbox.json?include=comments%2Cusers%2Ctask_watchers");
    const auto commentTexts = [](const CurlReply &reply) {
        QStringList texts;
        for (const QJsonArray tasks = unwrappedList(reply); const QJsonValue task : tasks)
            for (const QJsonArray comments = task["comments"].toArray(); const QJsonValue comment : comments)
                texts << QStringLiteral("%1:%2").arg(task["id"].toInteger()).arg(comment["text"].toString());
        return texts;
    };
    const CurlReply pulled = get(inbox);
    ASSERT_EQ(pulled.status, 200);
    EXPECT_EQ(commentTexts(pulled), QStringList{QStringLiteral("%1:Twice a week").arg(first)});
    EXPECT_EQ(get(inbox).body, pulled.body);

    fake->seed("comments", QJsonObject{{"commentable_id", second}, {"user_id", 42}, {"text", "Dry food only"}});
    const CurlReply again = get(inbox, {"If-None-Match: " + pulled.header("ETag")});
    ASSERT_EQ(again.status, 200);
    EXPECT_EQ(
        commentTexts(again),
        (QStringList{QStringLiteral("%1:Twice a week").arg(first), QStringLiteral("%1:Dry food only").arg(second)}));
    fake->remove("comments", fake->storedAll("comments").front().value("id").toInteger());
    EXPECT_EQ(commentTexts(get(inbox)), QStringList{QStringLiteral("%1:Dry food only").arg(second)});
}

TEST_F(FakeSyncServiceTest, ScriptedRoutesComeBeforeTheStoreAndCanHoldIt)
{
    fake->enableState();
    const qint64 taskId = fake->seed("tasks", unwrap(task(12, "A", 1)));
    fake->seed("tasks", unwrap(task(500, "seeded", 1)));
    EXPECT_EQ(fake->seed("tasks", {{"title", "next"}}), 501); // fresh ids continue after seeded ones
    fake->on("PUT", "/tasks/12.json").json(500, "{}").pass().hold();

    EXPECT_EQ(send("PUT", "/tasks/12.json", {{"task", QJsonObject{{"title", "B"}}}}).status, 500);
    EXPECT_EQ(fake->stored("tasks", taskId)->value("title").toString(), "A");

    std::atomic<long> status{0};
    std::thread held([&] {
        Client other;
        status = other.send("PUT", url("/tasks/12.json"), R"({"task":{"title":"B"}})").status;
    });
    ASSERT_TRUE(waitUntil([&] { return fake->count("PUT", "/tasks/12.json") == 2; }));
    // The store applies a held push only when it is answered.
    EXPECT_EQ(fake->stored("tasks", taskId)->value("title").toString(), "A");
    fake->releaseAll();
    held.join();
    EXPECT_EQ(status.load(), 200);
    EXPECT_EQ(fake->stored("tasks", taskId)->value("title").toString(), "B");

    // A rewritten answer says nothing of what the store applied.
    fake->on("POST", "/tasks.json").rewrite(201);
    const CurlReply created = send("POST", "/tasks.json", {{"task", QJsonObject{{"title", "C"}}}});
    EXPECT_EQ(created.status, 201);
    EXPECT_TRUE(created.body.isEmpty());
    EXPECT_EQ(fake->storedAll("tasks").back().value("title").toString(), "C");

    // Nor does a connection closed once the store answered.
    fake->on("POST", "/tasks.json").clear().dropAfterAnswering();
    EXPECT_EQ(send("POST", "/tasks.json", {{"task", QJsonObject{{"title", "D"}}}}).status, 0);
    EXPECT_EQ(fake->storedAll("tasks").back().value("title").toString(), "D");
}

} // namespace
