// The fake sync service seen from a plain HTTP client: libcurl, without any of the client's own request code, so
// that the sync tests can trust what the fake records and answers.
#include "support/FakeSyncService.h"
#include "support/SyncFixtures.h"
#include "support/SyncServiceFixture.h"
#include "support/WaitUntil.h"

#include <QJsonArray>
#include <QTimer>

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
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method.constData());
        if (method == "GET" || method == "DELETE") {
            curl_easy_setopt(m_curl, CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method.constData());
        } else {
            curl_easy_setopt(m_curl, CURLOPT_POSTFIELDS, body.constData());
            curl_easy_setopt(m_curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
        }
        curl_slist *list = nullptr;
        for (const QByteArray &line : headerLines)
            list = curl_slist_append(list, line.constData());
        curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, list);
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, timeoutMs);
        curl_easy_setopt(m_curl, CURLOPT_EXPECT_100_TIMEOUT_MS, 60000L);
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
        for (const QJsonValue &item : reply.json().array())
            result.append(unwrap(item.toObject()));
        return result;
    }

    Client client;
};

// --- Scripted routes ---------------------------------------------------------------------------------------------

TEST_F(FakeSyncServiceTest, AnswersARouteAndRecordsTheRequestAsItArrived)
{
    fake->on("PUT", "/tasks/12.json").json(200, R"({"task":{"id":12}})");

    EXPECT_EQ(fake->baseURL(), QStringLiteral("http://127.0.0.1:%1/api/v1").arg(fake->port()));
    const CurlReply reply = client.send("PUT", url("/tasks/12.json?include=comments%2Cusers"),
                                        R"({"task":{"title":"Buy oat milk"}})",
                                        {"Content-Type: application/json", "X-Application-Version: 7",
                                         "Authorization: Basic YW5uOnNlY3JldDE="});

    ASSERT_EQ(reply.code, CURLE_OK);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("content-type"), "application/json");
    EXPECT_EQ(entityOf(reply, "task").value("id").toInt(), 12);

    const std::vector<FakeSyncService::Request> requests = fake->requests();
    ASSERT_EQ(requests.size(), 1u);
    const FakeSyncService::Request &request = requests[0];
    EXPECT_EQ(request.method, "PUT");
    EXPECT_EQ(request.path, "/tasks/12.json");
    EXPECT_EQ(request.query, "include=comments%2Cusers");
    EXPECT_EQ(request.queryItem("include"), "comments,users");
    EXPECT_EQ(request.target, "/api/v1/tasks/12.json?include=comments%2Cusers");
    EXPECT_EQ(request.header("authorization"), "Basic YW5uOnNlY3JldDE=");
    EXPECT_EQ(request.header("X-APPLICATION-VERSION"), "7");
    EXPECT_FALSE(request.hasHeader("If-None-Match"));
    EXPECT_TRUE(request.header("If-None-Match").isNull());
    EXPECT_EQ(request.body, R"({"task":{"title":"Buy oat milk"}})");
    EXPECT_EQ(request.json(), QJsonDocument(QJsonObject{{"task", QJsonObject{{"title", "Buy oat milk"}}}}));
    EXPECT_EQ(request.connection, 1);
    EXPECT_TRUE(fake->hasRequest("PUT", "/tasks/12.json"));
    EXPECT_EQ(fake->count("PUT", "/tasks/12.json"), 1);
    EXPECT_EQ(fake->count("GET", "/tasks/12.json"), 0);
    EXPECT_EQ(fake->lastRequest("PUT", "/tasks/12.json")->body, request.body);
    EXPECT_FALSE(fake->lastRequest("GET", "/tags.json"));
}

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

TEST_F(FakeSyncServiceTest, KeepsTheConnectionAliveAcrossRequestsWithBodies)
{
    fake->on("POST", "/tags.json").json(201, R"({"tag":{"id":3}})");
    fake->on("GET", "/tags.json").json(200, "[]");

    // Over one connection, a body read too short or too long would garble the next request line.
    EXPECT_EQ(send("POST", "/tags.json", {{"tag", QJsonObject{{"title", "home"}}}}).status, 201);
    EXPECT_EQ(get("/tags.json").status, 200);
    EXPECT_EQ(client.send("POST", url("/tags.json")).status, 201); // Content-Length: 0
    EXPECT_EQ(get("/tags.json").status, 200);

    const std::vector<FakeSyncService::Request> requests = fake->requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const FakeSyncService::Request &request : requests)
        EXPECT_EQ(request.connection, 1);
    EXPECT_EQ(requests[0].json().object().value("tag").toObject().value("title").toString(), "home");
    EXPECT_TRUE(requests[2].body.isEmpty());
    EXPECT_EQ(fake->calls(), (QList<QByteArray>{"POST /tags.json", "GET /tags.json", "POST /tags.json",
                                                 "GET /tags.json"}));
    EXPECT_EQ(fake->connectionCount(), 1);
    EXPECT_LE(requests[0].arrival, requests[3].arrival);
}

TEST_F(FakeSyncServiceTest, ReadsBodiesAfterExpectContinueAndInChunks)
{
    fake->on("POST", "/comments.json").json(201, "{}");
    const QByteArray body = R"({"comment":{"text":")" + QByteArray(3000, 'x') + R"("}})";

    // curl waits a minute for "100 Continue" here, longer than the request may take.
    client.timeoutMs = 5000;
    EXPECT_EQ(client.send("POST", url("/comments.json"), body, {"Expect: 100-continue"}).code, CURLE_OK);
    EXPECT_EQ(client.send("POST", url("/comments.json"), body, {"Transfer-Encoding: chunked"}).status, 201);

    const std::vector<FakeSyncService::Request> requests = fake->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].body, body);
    EXPECT_EQ(requests[1].body, body);
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
}

TEST_F(FakeSyncServiceTest, ServesPngBytesUnchanged)
{
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    fake->on("GET", "/users/42/avatar/medium.png").png(png);

    const CurlReply reply = get("/users/42/avatar/medium.png");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("Content-Type"), "image/png");
    EXPECT_EQ(reply.body, png);
}

TEST_F(FakeSyncServiceTest, ListsAndRejectsUnscriptedRequests)
{
    const CurlReply reply = get("/tasks/inbox.json?include=comments");
    EXPECT_EQ(reply.status, 501);
    EXPECT_EQ(client.send("GET", QStringLiteral("http://127.0.0.1:%1/elsewhere").arg(fake->port())).status, 501);

    const std::vector<FakeSyncService::Request> unmatched = fake->unmatched();
    ASSERT_EQ(unmatched.size(), 2u);
    EXPECT_EQ(unmatched[0].path, "/tasks/inbox.json");
    EXPECT_EQ(unmatched[1].path, "/elsewhere");
    EXPECT_EQ(fake->requests().size(), 2u);

    // A hold on a route without a reply passes the request on, to nothing here.
    fake->on("GET", "/tags.json").delay(1);
    EXPECT_EQ(get("/tags.json").status, 501);
    EXPECT_EQ(fake->unmatched().size(), 3u);

    fake->clearRequests();
    EXPECT_TRUE(fake->unmatched().empty());
    EXPECT_TRUE(fake->requests().empty());
}

// --- Timing and failures -----------------------------------------------------------------------------------------

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

TEST_F(FakeSyncServiceTest, AHoldOrDelayLongerThanTheClientWaitsIsATimeout)
{
    fake->on("GET", "/tags.json").json(200, "[]").hold();
    fake->on("GET", "/tasks/inbox.json").json(200, "[]").delay(5000);
    client.timeoutMs = 200;

    EXPECT_EQ(get("/tags.json").code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(get("/tasks/inbox.json").code, CURLE_OPERATION_TIMEDOUT);
    // Stopping must not wait for the held and the delayed reply.
    fake->stop();
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

    // Every attempt fails the same way, and each was recorded.
    EXPECT_EQ(get("/tags.json").code, CURLE_GOT_NOTHING);
    EXPECT_EQ(fake->count("GET", "/tags.json"), 2);
}

TEST_F(FakeSyncServiceTest, StoppedServiceRefusesConnections)
{
    fake->on("GET", "/tags.json").json(200, "[]");
    EXPECT_EQ(get("/tags.json").status, 200); // leaves a keep-alive connection open

    fake->stop();
    EXPECT_FALSE(fake->isRunning());
    EXPECT_EQ(get("/tags.json").code, CURLE_COULDNT_CONNECT);
    EXPECT_EQ(fake->count("GET", "/tags.json"), 1);
    fake->stop(); // idempotent
}

// --- The fake's own store ----------------------------------------------------------------------------------------

TEST_F(FakeSyncServiceTest, StoreRoundTripOfAnInboxTask)
{
    fake->enableState();

    const CurlReply created = send("POST", "/tasks.json",
                                   {{"task", QJsonObject{{"title", "Buy milk"}, {"task_list_id", QJsonValue::Null}}}});
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

TEST_F(FakeSyncServiceTest, StoreSortsListsByTheOwnersRowAndMovesParentsWithChildren)
{
    fake->enableState();
    const CurlReply created =
        send("POST", "/task_lists.json", {{"task_list", QJsonObject{{"title", "P"}, {"task_list_type", "project"}}}});
    ASSERT_EQ(created.status, 201);
    const qint64 listId = entityOf(created, "task_list").value("id").toInteger();
    EXPECT_FALSE(entityOf(created, "task_list").contains("tasks")); // nothing embedded without include

    // Lists the owner was invited to, declined, or archived land in their own collections.
    const qint64 pendingId = fake->seed("task_lists", unwrap(taskList(6, "Shared", 1, {{"creator_id", 43}})));
    fake->seed("task_list_collaborators", {{"task_list_id", pendingId}, {"user_id", 42}, {"status", "pending"}});
    const qint64 declinedId = fake->seed("task_lists", unwrap(taskList(8, "No", 1, {{"creator_id", 43}})));
    fake->seed("task_list_collaborators", {{"task_list_id", declinedId}, {"user_id", 42}, {"status", "declined"}});
    const qint64 archivedId = fake->seed("task_lists", unwrap(taskList(9, "Old", 1, {{"archived_at", fixtureDate(1)}})));
    fake->seed("task_lists", unwrap(taskList(10, "Not mine", 1, {{"creator_id", 44}})));

    auto idsOf = [&](const QString &path) {
        QList<qint64> ids;
        for (const QJsonValue &list : unwrappedList(get(path + "?include=task_list_collaborators%2Cusers")))
            ids.append(list["id"].toInteger());
        return ids;
    };
    EXPECT_EQ(idsOf("/task_lists.json"), QList<qint64>{listId});
    EXPECT_EQ(idsOf("/task_lists/pending.json"), QList<qint64>{pendingId});
    EXPECT_EQ(idsOf("/task_lists/declined.json"), QList<qint64>{declinedId});
    EXPECT_EQ(idsOf("/task_lists/archived.json"), QList<qint64>{archivedId});

    const QJsonArray lists = unwrappedList(get("/task_lists.json?include=task_list_collaborators%2Cusers"));
    const QJsonArray rows = lists[0]["task_list_collaborators"].toArray();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["user_id"].toInteger(), 42);
    EXPECT_EQ(rows[0]["task_list_id"].toInteger(), listId);
    EXPECT_EQ(rows[0]["status"].toString(), "accepted");
    EXPECT_EQ(rows[0]["role"].toString(), "owner");
    EXPECT_EQ(rows[0]["user"]["username"].toString(), "ann");

    // A task in the list, then a comment on it: each moves the list's updated_at on.
    const QString listStamp0 = fake->stored("task_lists", listId)->value("updated_at").toString();
    const qint64 taskId = entityOf(send("POST", "/tasks.json", {{"task", QJsonObject{{"title", "T"}, {"task_list_id", listId}}}}),
                                   "task").value("id").toInteger();
    const QString listStamp1 = fake->stored("task_lists", listId)->value("updated_at").toString();
    EXPECT_GT(listStamp1, listStamp0);
    const QString taskStamp0 = fake->stored("tasks", taskId)->value("updated_at").toString();
    ASSERT_EQ(send("POST", "/comments.json",
                   {{"comment", QJsonObject{{"text", "hi"}, {"commentable_id", taskId}, {"commentable_type", "Task"}}}})
                  .status,
              201);
    EXPECT_GT(fake->stored("tasks", taskId)->value("updated_at").toString(), taskStamp0);
    EXPECT_GT(fake->stored("task_lists", listId)->value("updated_at").toString(), listStamp1);

    // Tasks of a list come only with the list's item GET, never in the Inbox.
    EXPECT_EQ(get("/tasks/inbox.json").json().array(), QJsonArray());
    const CurlReply item = get(QStringLiteral("/task_lists/%1.json?include=task_list_collaborators%2Ctasks%2Ccomments"
                                              "%2Ctask_watchers%2Cusers").arg(listId));
    ASSERT_EQ(item.status, 200);
    const QJsonObject list = entityOf(item, "task_list");
    ASSERT_EQ(list.value("tasks").toArray().size(), 1);
    const QJsonObject nested = list.value("tasks")[0].toObject();
    EXPECT_EQ(nested.value("id").toInteger(), taskId);
    ASSERT_EQ(nested.value("comments").toArray().size(), 1);
    EXPECT_EQ(nested.value("comments")[0]["commentable_id"].toInteger(), taskId);
    EXPECT_EQ(nested.value("comments")[0]["user"]["id"].toInteger(), 42);
    EXPECT_EQ(list.value("task_list_collaborators").toArray().size(), 1);
    EXPECT_EQ(get("/task_lists/10.json").status, 403);
    EXPECT_EQ(get("/task_lists/999.json").status, 404);

    // Deleting the list takes its tasks and their comments.
    EXPECT_EQ(client.send("DELETE", url(QStringLiteral("/task_lists/%1.json").arg(listId))).status, 200);
    EXPECT_FALSE(fake->stored("tasks", taskId));
    EXPECT_TRUE(fake->storedAll("comments").empty());
}

TEST_F(FakeSyncServiceTest, StoreServesTheAccountFriendshipsTagsAndAvatars)
{
    fake->enableState();
    EXPECT_EQ(fake->ownerId(), 42);
    fake->seed("users", user(43, "bob"));
    fake->seed("users", user(44, "cy"));
    fake->seed("friendships", unwrap(friendship(1, 44, 42, "pending", 1)));
    const QByteArray png("\x89PNG", 4);
    fake->setAvatar(42, png);

    const CurlReply account = get("/account.json?include=owner");
    ASSERT_EQ(account.status, 200);
    EXPECT_EQ(entityOf(account, "account").value("id").toInteger(), 7);
    EXPECT_EQ(entityOf(account, "account").value("owner")["username"].toString(), "ann");
    const QByteArray accountTag = account.header("ETag");
    fake->update("users", 42, {{"first_name", "Ann"}}); // the owner moves the account on
    EXPECT_NE(get("/account.json?include=owner").header("ETag"), accountTag);

    // Posting the pair invites; posting it back accepts the other side's invitation.
    const CurlReply invited = send("POST", "/friendships.json", {{"friendship", QJsonObject{{"inviter_id", 42}, {"invitee_id", 43}}}});
    EXPECT_EQ(invited.status, 201);
    EXPECT_EQ(entityOf(invited, "friendship").value("status").toString(), "pending");
    EXPECT_EQ(send("POST", "/friendships.json", {{"friendship", QJsonObject{{"inviter_id", 42}, {"invitee_id", 44}}}})
                  .status,
              200);
    const QJsonArray mine = unwrappedList(get("/friendships.json?include=invitee"));
    ASSERT_EQ(mine.size(), 1);
    EXPECT_EQ(mine[0]["invitee"]["username"].toString(), "bob");
    const QJsonArray invites = unwrappedList(get("/friendships/invites.json?include=inviter"));
    ASSERT_EQ(invites.size(), 1);
    EXPECT_EQ(invites[0]["status"].toString(), "accepted");
    EXPECT_EQ(invites[0]["inviter"]["username"].toString(), "cy");
    EXPECT_FALSE(invites[0].toObject().contains("invitee"));
    const CurlReply byName = client.send("POST", url("/friendships.json?include=invitee"),
                                         R"({"friendship":{"invitee_username":"nobody"}})");
    EXPECT_EQ(byName.status, 422);
    EXPECT_TRUE(byName.json().object().contains("invitee_username"));
    // Friendships are addressed by the other user's id.
    EXPECT_EQ(client.send("DELETE", url("/friendships/43.json")).status, 200);
    EXPECT_EQ(get("/friendships.json").json().array(), QJsonArray());

    // A tag moves on with its tagged items.
    const qint64 tagId = entityOf(send("POST", "/tags.json", {{"tag", QJsonObject{{"title", "home"}}}}), "tag")
                             .value("id").toInteger();
    const QByteArray tagsTag = get("/tags.json?include=tagged_items").header("ETag");
    const qint64 taskId = fake->seed("tasks", unwrap(task(12, "A", 1)));
    ASSERT_EQ(send("POST", "/tagged_items.json",
                   {{"tagged_item", QJsonObject{{"tag_id", tagId}, {"taggable_id", taskId}, {"taggable_type", "Task"}}}})
                  .status,
              201);
    const CurlReply tags = get("/tags.json?include=tagged_items", {"If-None-Match: " + tagsTag});
    EXPECT_EQ(tags.status, 200);
    const QJsonArray pulledTags = unwrappedList(tags);
    EXPECT_EQ(pulledTags[0]["tagged_items"][0]["taggable_id"].toInteger(), taskId);

    EXPECT_EQ(get("/users/42/avatar/medium.png").body, png);
    EXPECT_EQ(get("/users/43/avatar/medium.png").status, 404);
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
}

TEST(SyncFixturesTest, BuildWrappedEntitiesWithServiceDatesAndNestUnwrapped)
{
    EXPECT_EQ(fixtureDate(0), "2015-03-04T10:20:30+00:00");
    EXPECT_EQ(fixtureDate(90), "2015-03-04T10:22:00+00:00");

    const QJsonObject list = nest(taskList(5, "P", 3), "tasks", {task(12, "A", 4, {{"task_list_id", 5}})});
    ASSERT_EQ(rootKey(list), "task_list");
    const QJsonObject inner = unwrap(list);
    EXPECT_EQ(inner.value("id").toInteger(), 5);
    EXPECT_EQ(inner.value("created_at").toString(), fixtureDate(0));
    EXPECT_EQ(inner.value("updated_at").toString(), fixtureDate(3));
    EXPECT_TRUE(inner.value("due_at").isNull()); // present, so a pull does not read it as missing
    const QJsonObject nested = inner.value("tasks")[0].toObject();
    EXPECT_FALSE(nested.contains("task"));
    EXPECT_EQ(nested.value("title").toString(), "A");
    EXPECT_EQ(nested.value("task_list_id").toInteger(), 5);

    const QJsonArray array = QJsonDocument::fromJson(listBody({tag(3, "home", 1), tag(4, "work", 2)})).array();
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array[1]["tag"]["title"].toString(), "work");
    EXPECT_EQ(QJsonDocument::fromJson(listBody()).array(), QJsonArray());

    const QJsonObject owner = user(42, "ann", {{"avatar_content_type", "image/png"}});
    const QJsonObject wrappedAccount = unwrap(account(7, owner, 5));
    EXPECT_EQ(wrappedAccount.value("owner_id").toInteger(), 42);
    EXPECT_EQ(wrappedAccount.value("owner")["avatar_content_type"].toString(), "image/png");
}

TEST(WaitUntilTest, SpinsTheEventLoopUntilThePredicateHolds)
{
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    EXPECT_TRUE(waitUntil([&] { return fired; }, 5s));
    EXPECT_FALSE(waitUntil([] { return false; }, 20ms));
}

} // namespace
