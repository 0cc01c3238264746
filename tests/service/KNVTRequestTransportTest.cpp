#include "service/HttpTransport.h"
#include "service/KNVTRESTFulAsyncBodyDataFetchPushRequest.h"
#include "service/KNVTRESTFulPullRequest.h"
#include "service/KNVTRESTFulPushRequest.h"

#include "foundation/Timing.h"
#include "support/FakeSyncService.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using knvt::test::FakeSyncService;

const knvt::HeaderFields kStoreHeaders{{"Authorization", "Basic YW5uOnNlY3JldDE="},
                                       {"X-Application-Identifier", "com.hollowpine.macos.quillvane"},
                                       {"X-Application-Version", "17"}};

struct Outcome
{
    bool called = false;
    std::optional<knvt::HttpResponse> response;
    QByteArray data;
    knvt::Error requestError;
    knvt::Error error;
    QThread *thread = nullptr;
};

// Sends and waits for the handler, which runs on a worker thread.
Outcome send(const std::shared_ptr<KNVTRequest> &request, QThreadPool *pool = nullptr)
{
    auto promise = std::make_shared<std::promise<Outcome>>();
    std::future<Outcome> future = promise->get_future();
    request->performRequestUsingQueue(
        pool,
        [promise](const std::optional<knvt::HttpResponse> &response, const QByteArray &data,
                  const knvt::Error &requestError, const knvt::Error &error) {
            promise->set_value(Outcome{true, response, data, requestError, error, QThread::currentThread()});
        });
    if (future.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
        return {};
    return future.get();
}

class KNVTRequestTransport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        knvt::Timing::setScale(1.0);
        B = fake.baseURL();
    }
    void TearDown() override
    {
        if (expectAllMatched) {
            EXPECT_TRUE(fake.unmatched().empty());
        }
    }

    std::shared_ptr<KNVTRESTFulPullRequest> pull(const QString &resource,
                                                 KNVTRequestFormat format = KNVTRequestFormatJSON)
    {
        return std::make_shared<KNVTRESTFulPullRequest>(B, resource, QVariant(), format, kStoreHeaders);
    }

    FakeSyncService fake;
    QString B;
    bool expectAllMatched = true;
};

TEST_F(KNVTRequestTransport, PostReachesTheServiceWithExactlyItsBytesAndHeaders)
{
    fake.on("POST", "/tasks.json").json(201, R"({"task":{"id":12,"title":"Buy milk"}})");
    const QJsonObject attributes{{"title", "Buy milk"}, {"task_list_id", QJsonValue::Null}};
    auto request = std::make_shared<KNVTRESTFulPushRequest>(B, "tasks", QVariant(), "task", attributes,
                                                            KNVTRequestFormatJSON, kStoreHeaders);
    const QByteArray body = request->bodyData();

    const Outcome outcome = send(request);
    ASSERT_TRUE(outcome.called);
    EXPECT_NE(outcome.thread, QThread::currentThread());
    EXPECT_TRUE(outcome.error.isNull()) << qPrintable(outcome.error.description());
    EXPECT_TRUE(outcome.requestError.isNull());
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode(), 201);
    EXPECT_EQ(outcome.data, QByteArray(R"({"task":{"id":12,"title":"Buy milk"}})"));
    EXPECT_EQ(request->responseData(), outcome.data);

    const auto received = fake.lastRequest("POST", "/tasks.json");
    ASSERT_TRUE(received);
    EXPECT_EQ(received->body, body);
    for (auto it = kStoreHeaders.cbegin(); it != kStoreHeaders.cend(); ++it)
        EXPECT_EQ(received->header(it.key().toUtf8()), it.value().toUtf8());
    EXPECT_EQ(received->header("Content-Type"), "application/json");
    EXPECT_EQ(received->header("Content-Length"), QByteArray::number(body.size()));
    EXPECT_FALSE(received->hasHeader("Expect"));
    EXPECT_FALSE(received->hasHeader("Cookie"));
}

TEST_F(KNVTRequestTransport, PullCarriesTheRawIncludeQueryAndEntityTagsVerbatim)
{
    fake.on("GET", "/task_lists/5.json").reply(200, "{}", {{"Etag", "W/\"l-2\""}});
    knvt::HeaderFields headers = kStoreHeaders;
    headers.insert("ETag", "W/\"l-1\"");
    headers.insert("If-None-Match", "W/\"l-1\"");
    auto request = std::make_shared<KNVTRESTFulPullRequest>(
        B, "task_lists", 5, KNVTRequestFormatJSON,
        knvt::QueryParameters{{"include", "task_list_collaborators,tasks,comments,task_watchers,users"}}, headers);

    const Outcome outcome = send(request);
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->valueForHeaderField("ETag"), "W/\"l-2\"");

    const auto received = fake.lastRequest("GET", "/task_lists/5.json");
    ASSERT_TRUE(received);
    EXPECT_EQ(received->query, "include=task_list_collaborators%2Ctasks%2Ccomments%2Ctask_watchers%2Cusers");
    EXPECT_EQ(received->header("If-None-Match"), "W/\"l-1\"");
    EXPECT_EQ(received->header("ETag"), "W/\"l-1\"");
    EXPECT_TRUE(received->body.isEmpty());
}

TEST_F(KNVTRequestTransport, PutSendsItsBodyAndDeleteSendsNone)
{
    fake.on("PUT", "/tasks/12.json").json(200, "{}");
    fake.on("DELETE", "/tasks/12.json").json(200, "{}");
    auto update = std::make_shared<KNVTRESTFulPushRequest>(
        B, "tasks", 12, "task", QJsonObject{{"title", "Buy oat milk"}}, KNVTRequestFormatJSON, kStoreHeaders);
    auto destroy = std::make_shared<KNVTRESTFulPushRequest>(B, "tasks", 12, "task", QJsonObject{},
                                                            KNVTRequestFormatJSON, kStoreHeaders);
    EXPECT_TRUE(send(update).requestError.isNull());
    EXPECT_TRUE(send(destroy).requestError.isNull());

    EXPECT_EQ(fake.lastRequest("PUT", "/tasks/12.json")->body, QByteArray(R"({"task":{"title":"Buy oat milk"}})"));
    const auto del = fake.lastRequest("DELETE", "/tasks/12.json");
    EXPECT_TRUE(del->body.isEmpty());
    EXPECT_EQ(del->header("Authorization"), "Basic YW5uOnNlY3JldDE=");
}

TEST_F(KNVTRequestTransport, ErrorStatusesBecomeRequestErrorsWithTheServicesJSONDetails)
{
    const struct
    {
        int status;
        QByteArray body;
        QVariantMap details;
    } cases[] = {
        {404, "", {}},
        {422, R"({"title":["is invalid"]})", {{"title", QVariantList{"is invalid"}}}},
        {500, "<html>boom</html>", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        fake.on("GET", "/tags.json").clear().json(c.status, c.body);
        const Outcome outcome = send(pull("tags"));
        ASSERT_TRUE(outcome.response);
        EXPECT_TRUE(outcome.error.isNull()) << qPrintable(outcome.error.description());
        EXPECT_EQ(outcome.requestError.domain(), "KNVTRequestErrorDomain");
        EXPECT_EQ(outcome.requestError.code(), c.status);
        EXPECT_EQ(outcome.requestError.userInfo(), c.details);
        EXPECT_EQ(outcome.data, c.body);
    }
}

TEST_F(KNVTRequestTransport, ChallengeAnswersAreRefusalsNotRetries)
{
    fake.on("GET", "/account.json").reply(401, "", {{"WWW-Authenticate", "Basic realm=\"sync\""}});
    const Outcome outcome = send(pull("account"));
    EXPECT_EQ(outcome.requestError.code(), 401);
    EXPECT_TRUE(outcome.error.isNull());
    EXPECT_EQ(fake.count("GET", "/account.json"), 1);
}

TEST_F(KNVTRequestTransport, NotModifiedAndRedirectsAreNoErrors)
{
    fake.on("GET", "/tags.json").json(200, "[]").etag("\"t-1\"");
    knvt::HeaderFields headers = kStoreHeaders;
    headers.insert("If-None-Match", "\"t-1\"");
    auto request = std::make_shared<KNVTRESTFulPullRequest>(B, "tags", QVariant(), KNVTRequestFormatJSON, headers);
    const Outcome notModified = send(request);
    ASSERT_TRUE(notModified.response);
    EXPECT_EQ(notModified.response->statusCode(), 304);
    EXPECT_TRUE(notModified.data.isEmpty());
    EXPECT_TRUE(notModified.requestError.isNull());
    EXPECT_EQ(notModified.response->valueForHeaderField("etag"), "\"t-1\"");

    // The service sends no redirects; one is not followed, so credentials never go to another address.
    fake.on("GET", "/account.json").reply(302, "", {{"Location", (B + "/elsewhere.json").toUtf8()}});
    const Outcome redirect = send(pull("account"));
    ASSERT_TRUE(redirect.response);
    EXPECT_EQ(redirect.response->statusCode(), 302);
    EXPECT_TRUE(redirect.requestError.isNull());
    EXPECT_FALSE(fake.hasRequest("GET", "/elsewhere.json"));
}

TEST_F(KNVTRequestTransport, ResponseDateReadsTheDateHeader)
{
    fake.on("GET", "/tags.json")
        .reply(200, "[]", {{"Date", "Wed, 04 Mar 2015 10:20:30 GMT"}})
        .reply(200, "[]", {{"Date", "yesterday"}})
        .reply(200, "[]");
    auto request = pull("tags");
    EXPECT_FALSE(request->responseDate().isValid());
    send(request);
    EXPECT_EQ(request->responseDate(), QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30), QTimeZone::utc()));
    send(request);
    EXPECT_FALSE(request->responseDate().isValid());
    send(request);
    EXPECT_FALSE(request->responseDate().isValid());
}

TEST_F(KNVTRequestTransport, ResendClearsTheOutcomeOfTheEarlierSend)
{
    fake.on("PUT", "/tasks/12.json").json(500, R"({"error":"later"})").json(200, R"({"task":{}})");
    auto request = std::make_shared<KNVTRESTFulPushRequest>(B, "tasks", 12, "task", QJsonObject{{"title", "C"}},
                                                            KNVTRequestFormatJSON, kStoreHeaders);
    EXPECT_EQ(send(request).requestError.code(), 500);
    EXPECT_EQ(request->requestError().code(), 500);

    const Outcome second = send(request);
    EXPECT_TRUE(second.requestError.isNull());
    EXPECT_TRUE(request->requestError().isNull());
    EXPECT_EQ(request->HTTPURLResponse()->statusCode(), 200);
    EXPECT_EQ(request->responseData(), QByteArray(R"({"task":{}})"));
    EXPECT_EQ(fake.count("PUT", "/tasks/12.json"), 2);
}

class ConnectionFailure : public KNVTRequestTransport, public ::testing::WithParamInterface<const char *>
{};

TEST_P(ConnectionFailure, NoReplyIsAConnectionErrorWithoutResponse)
{
    const std::string how = GetParam();
    auto route = fake.on("GET", "/tags.json");
    if (how == "drop")
        route.drop();
    else if (how == "reset")
        route.reset();
    else if (how == "truncate")
        route.json(200, R"([{"tag":{"id":3}}])").truncate();
    else
        fake.stop();

    const Outcome outcome = send(pull("tags"));
    ASSERT_TRUE(outcome.called);
    EXPECT_EQ(outcome.error.domain(), "CURLErrorDomain");
    EXPECT_NE(outcome.error.code(), 0);
    EXPECT_FALSE(outcome.error.userInfo().value("NSLocalizedDescription").toString().isEmpty());
    EXPECT_TRUE(outcome.requestError.isNull());
    EXPECT_FALSE(outcome.response.has_value());
    EXPECT_FALSE(outcome.error.description().contains("secret1"));
    EXPECT_FALSE(outcome.error.description().contains("YW5uOnNlY3JldDE"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConnectionFailure, ::testing::Values("drop", "reset", "truncate", "refused"));

TEST_F(KNVTRequestTransport, OnlyAnAbsoluteHttpAddressIsSentAndARefusedServiceAddressSendsNothing)
{
    fake.on("GET", "/tags.json").json(200, "[]");
    // The HTTP library would read "localhost:<port>" as a host and port, guess "http://" and reach the service.
    knvt::URLRequest bare;
    bare.url = QUrl(QStringLiteral("localhost:%1/api/v1/tags.json").arg(fake.port()));
    bare.headerFields = kStoreHeaders;
    bare.timeoutMs = 3000;
    const knvt::HttpResult result = knvt::HttpTransport::perform(bare);
    EXPECT_FALSE(result.response);
    EXPECT_EQ(result.error.domain(), "CURLErrorDomain");
    EXPECT_EQ(result.error.code(), 3) << "CURLE_URL_MALFORMAT";

    // Requests built on a refused address have no host at all.
    KNVTSetSyncServiceAPIURLString("http://sync.example.org/api/v1");
    const Outcome outcome = send(std::make_shared<KNVTRESTFulPullRequest>(
        KNVTSyncServiceAPIURLString(), "tags", QVariant(), KNVTRequestFormatJSON, kStoreHeaders));
    KNVTSetSyncServiceAPIURLString(QString());
    ASSERT_TRUE(outcome.called);
    EXPECT_FALSE(outcome.response);
    EXPECT_EQ(outcome.error.code(), 3);
    EXPECT_FALSE(outcome.error.description().contains("YW5uOnNlY3JldDE"));
    EXPECT_EQ(fake.count("GET", "/tags.json"), 0);
}

// The service may have acted on a create whose connection died before any reply byte came back: sending it again
// could create the object twice, so the transport never does that by itself. One worker thread sends everything,
// so the create follows other requests on the connection they kept alive, where a silent second attempt would
// otherwise happen.
TEST_F(KNVTRequestTransport, ACreateWhoseConnectionDiesAfterItWasSentIsNeverSentAgain)
{
    fake.on("GET", "/tags.json").json(200, "[]");
    fake.on("POST", "/tasks.json").drop();
    fake.on("PUT", "/tasks/12.json").json(200, "{}");
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    auto create = [this] {
        return std::make_shared<KNVTRESTFulPushRequest>(
            B, "tasks", QVariant(), "task", QJsonObject{{"title", "Buy milk"}}, KNVTRequestFormatJSON, kStoreHeaders);
    };

    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(send(pull("tags"), &pool).response->statusCode(), 200);
        const Outcome outcome = send(create(), &pool);
        ASSERT_TRUE(outcome.called);
        EXPECT_EQ(fake.count("POST", "/tasks.json"), round + 1) << "round " << round;
        EXPECT_FALSE(outcome.response.has_value());
        EXPECT_EQ(outcome.error.domain(), "CURLErrorDomain");
        EXPECT_NE(outcome.error.code(), 0);
    }

    // Requests that may be repeated keep their connections: the updates that follow reuse one.
    const auto update = std::make_shared<KNVTRESTFulPushRequest>(B, "tasks", 12, "task", QJsonObject{{"title", "B"}},
                                                                 KNVTRequestFormatJSON, kStoreHeaders);
    ASSERT_EQ(send(update, &pool).response->statusCode(), 200);
    ASSERT_EQ(send(update, &pool).response->statusCode(), 200);
    const auto updates = fake.requests("PUT", "/tasks/12.json");
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_EQ(updates[0].connection, updates[1].connection);
    pool.waitForDone();
}

TEST_F(KNVTRequestTransport, StalledReplyTimesOutAsAConnectionError)
{
    fake.on("GET", "/tags.json").json(200, "[]").hold();
    auto request = pull("tags");
    request->setTimeoutInterval(1.0);

    const auto started = std::chrono::steady_clock::now();
    const Outcome outcome = send(request);
    fake.releaseAll();
    ASSERT_TRUE(outcome.called);
    EXPECT_EQ(outcome.error.domain(), "CURLErrorDomain");
    EXPECT_EQ(outcome.error.code(), 28); // operation timed out
    EXPECT_FALSE(outcome.response.has_value());
    // Well below the production time-out: the lowered one applied.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(KNVTRequestTransport, ACancelledSendStopsWaitingAtOnceAndOneCancelledBeforehandIsNotSent)
{
    fake.on("GET", "/account.json").json(200, "{}").hold();
    knvt::URLRequest request = pull("account")->signedURLRequest();
    request.cancelFlag = std::make_shared<std::atomic<bool>>(false);
    auto sending = std::async(std::launch::async, [request] { return knvt::HttpTransport::perform(request); });
    const auto arrived = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!fake.hasRequest("GET", "/account.json") && std::chrono::steady_clock::now() < arrived)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(fake.hasRequest("GET", "/account.json"));

    request.cancelFlag->store(true);
    ASSERT_EQ(sending.wait_for(std::chrono::seconds(2)), std::future_status::ready) << "long before the time-out";
    const knvt::HttpResult result = sending.get();
    EXPECT_FALSE(result.response.has_value());
    EXPECT_EQ(result.error.domain(), "CURLErrorDomain");
    EXPECT_EQ(result.error.code(), 42); // aborted by callback
    fake.releaseAll();

    fake.clearRequests();
    EXPECT_EQ(knvt::HttpTransport::perform(request).error.code(), 42);
    EXPECT_FALSE(fake.hasRequest("GET", "/account.json"));
}

TEST_F(KNVTRequestTransport, HttpsToAPlainServerFailsInsteadOfFallingBack)
{
    expectAllMatched = false;
    QString https = B;
    https.replace("http://", "https://");
    auto request =
        std::make_shared<KNVTRESTFulPullRequest>(https, "tags", QVariant(), KNVTRequestFormatJSON, kStoreHeaders);
    // The plain server waits for a request head that never comes, so the handshake stalls until the time-out.
    request->setTimeoutInterval(1.0);
    const Outcome outcome = send(request);
    ASSERT_TRUE(outcome.called);
    EXPECT_EQ(outcome.error.domain(), "CURLErrorDomain");
    EXPECT_NE(outcome.error.code(), 0);
    EXPECT_FALSE(outcome.response.has_value());
    EXPECT_FALSE(fake.hasRequest("GET", "/tags.json"));
}

// A real TLS server whose self-signed certificate no authority vouches for.
TEST(KNVTRequestTLS, UntrustedCertificateIsAConnectionError)
{
    const QString openssl = QStandardPaths::findExecutable("openssl");
    if (openssl.isEmpty())
        GTEST_SKIP() << "openssl is not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString key = folder.filePath("key.pem");
    const QString certificate = folder.filePath("certificate.pem");
    QProcess generator;
    generator.setProcessChannelMode(QProcess::MergedChannels);
    generator.start(openssl,
                    {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                     key, "-out", certificate, "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                     "subjectAltName=IP:127.0.0.1"});
    ASSERT_TRUE(generator.waitForFinished(30000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAll().toStdString();

    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(openssl, {"s_server", "-accept", "127.0.0.1:0", "-cert", certificate, "-key", key, "-www"});
    ASSERT_TRUE(server.waitForStarted(10000));
    QByteArray announced;
    while (!announced.contains("ACCEPT") || !announced.contains('\n')) {
        ASSERT_TRUE(server.waitForReadyRead(10000)) << announced.toStdString();
        announced += server.readAll();
    }
    const QByteArray line = announced.mid(announced.indexOf("ACCEPT"));
    const int port = line.mid(line.lastIndexOf(':', line.indexOf('\n')) + 1).trimmed().split('\n').first().toInt();
    ASSERT_GT(port, 0) << announced.toStdString();

    auto request = std::make_shared<KNVTRESTFulPullRequest>(QStringLiteral("https://127.0.0.1:%1/api/v1").arg(port),
                                                            "tags", QVariant(), KNVTRequestFormatJSON, kStoreHeaders);
    request->setTimeoutInterval(10.0);
    const Outcome outcome = send(request);
    server.kill();
    server.waitForFinished();

    ASSERT_TRUE(outcome.called);
    EXPECT_EQ(outcome.error.domain(), "CURLErrorDomain");
    EXPECT_EQ(outcome.error.code(), 60); // peer certificate cannot be authenticated
    EXPECT_FALSE(outcome.response.has_value());
    EXPECT_FALSE(outcome.error.description().contains("YW5uOnNlY3JldDE"));
}

TEST_F(KNVTRequestTransport, HeaderWithLineBreakIsNeverSent)
{
    knvt::HeaderFields headers = kStoreHeaders;
    headers.insert("If-None-Match", "\"t-1\"\r\nX-Injected: 1");
    auto request = std::make_shared<KNVTRESTFulPullRequest>(B, "tags", QVariant(), KNVTRequestFormatJSON, headers);
    const Outcome outcome = send(request);
    EXPECT_EQ(outcome.error.domain(), "CURLErrorDomain");
    EXPECT_FALSE(outcome.response.has_value());
    EXPECT_TRUE(fake.requests().empty());
    EXPECT_FALSE(outcome.error.description().contains("secret1"));
}

TEST_F(KNVTRequestTransport, ParametersThatMakeNoURLAreNeverSent)
{
    auto request = std::make_shared<KNVTRESTFulPullRequest>(B, "tags", QVariant(), KNVTRequestFormatJSON,
                                                            knvt::QueryParameters{{"in clude", "x"}}, kStoreHeaders);
    const Outcome outcome = send(request);
    ASSERT_TRUE(outcome.called);
    EXPECT_EQ(outcome.error.domain(), "CURLErrorDomain");
    EXPECT_EQ(outcome.error.code(), 3); // malformed URL
    EXPECT_FALSE(outcome.response.has_value());
    EXPECT_TRUE(fake.requests().empty());
}

TEST_F(KNVTRequestTransport, RequestStaysAliveUntilItsHandlerHasRun)
{
    fake.on("GET", "/tags.json").json(200, "[]").delay(100);
    QThreadPool pool;
    auto promise = std::make_shared<std::promise<int>>();
    auto future = promise->get_future();
    {
        auto request = pull("tags");
        request->performRequestUsingQueue(
            &pool,
            [promise](const std::optional<knvt::HttpResponse> &response, const QByteArray &, const knvt::Error &,
                      const knvt::Error &) { promise->set_value(response ? response->statusCode() : 0); });
    }
    ASSERT_EQ(future.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(future.get(), 200);
    pool.waitForDone();
}

TEST_F(KNVTRequestTransport, HandlerRunsOnAThreadOfTheGivenPool)
{
    fake.on("GET", "/tags.json").json(200, "[]");
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    // Learn which thread the pool uses, then check the handler ran there.
    std::promise<QThread *> worker;
    pool.start([&worker] { worker.set_value(QThread::currentThread()); });
    QThread *poolThread = worker.get_future().get();
    const Outcome outcome = send(pull("tags"), &pool);
    EXPECT_EQ(outcome.thread, poolThread);
    pool.waitForDone();
}

TEST_F(KNVTRequestTransport, AsyncBodyIsProducedOnTheWorkerAtSendTime)
{
    fake.on("PUT", "/users/42.json").json(200, "{}");
    auto request = std::make_shared<KNVTRESTFulAsyncBodyDataFetchPushRequest>(
        B, "users", 42, "user", QJsonObject{{"first_name", "Ann"}}, KNVTRequestFormatJSON,
        KNVTRESTFulRequestActionUpdate, kStoreHeaders);
    QThread *fetchThread = nullptr;
    request->setBodyDataFetchBlock([&fetchThread] {
        fetchThread = QThread::currentThread();
        return QByteArray(R"({"user":{"avatar":null}})");
    });
    const Outcome outcome = send(request);
    EXPECT_TRUE(outcome.requestError.isNull());
    EXPECT_EQ(fetchThread, outcome.thread);
    EXPECT_NE(fetchThread, QThread::currentThread());
    EXPECT_EQ(fake.lastRequest("PUT", "/users/42.json")->body, QByteArray(R"({"user":{"avatar":null}})"));
}

} // namespace
