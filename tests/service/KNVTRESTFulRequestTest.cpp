#include "service/KNVTRESTFulAsyncBodyDataFetchPushRequest.h"
#include "service/KNVTRESTFulPullRequest.h"
#include "service/KNVTRESTFulPushRequest.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

const QString B = QStringLiteral("https://sync.quillvane.example/api/v1");

QString urlOf(KNVTRequest &request)
{
    return request.signedURLRequest().url.toString(QUrl::FullyEncoded);
}

TEST(KNVTRESTFulRequestURLs, EveryActionGivesItsSuffixAndMethod)
{
    const struct
    {
        KNVTRESTFulRequestAction action;
        QVariant identifier;
        const char *url;
        const char *method;
    } cases[] = {
        {KNVTRESTFulRequestActionIndex, QVariant(), "/tasks.json", "GET"},
        {KNVTRESTFulRequestActionShow, 12, "/tasks/12.json", "GET"},
        {KNVTRESTFulRequestActionNew, QVariant(), "/tasks/new.json", "GET"},
        {KNVTRESTFulRequestActionEdit, 12, "/tasks/12/edit.json", "GET"},
        {KNVTRESTFulRequestActionCreate, QVariant(), "/tasks.json", "POST"},
        {KNVTRESTFulRequestActionUpdate, 12, "/tasks/12.json", "PUT"},
        {KNVTRESTFulRequestActionDestroy, 12, "/tasks/12.json", "DELETE"},
        // A destroy without identifier still addresses something the service can refuse.
        {KNVTRESTFulRequestActionDestroy, QVariant(), "/tasks/null.json", "DELETE"},
        {KNVTRESTFulRequestAction(7), 12, "/tasks.json", "GET"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        KNVTRESTFulRequest request(B, "tasks", c.identifier, KNVTRequestFormatJSON, c.action, {}, {}, {});
        EXPECT_EQ(urlOf(request), B + c.url);
        EXPECT_EQ(request.signedURLRequest().method, c.method);
    }
}

TEST(KNVTRESTFulRequestURLs, EveryFormatGivesItsExtensionAndContentType)
{
    const struct
    {
        KNVTRequestFormat format;
        const char *url;
        const char *contentType;
    } cases[] = {
        {KNVTRequestFormatNone, "/account", nullptr},
        {KNVTRequestFormatHTML, "/account.html", nullptr},
        {KNVTRequestFormatXML, "/account.xml", "application/xml"},
        {KNVTRequestFormatJSON, "/account.json", "application/json"},
        {KNVTRequestFormatPNG, "/account.png", "image/png"},
        {KNVTRequestFormatJPEG, "/account.jpeg", "image/jpeg"},
        {KNVTRequestFormat(9), "/account", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        // The caller's own content type, in any spelling, gives way to the format's.
        KNVTRESTFulRequest request(B, "account", QVariant(), c.format, KNVTRESTFulRequestActionIndex, {}, {},
                                   {{"content-type", "text/plain"}, {"X-Application-Version", "3"}});
        EXPECT_EQ(urlOf(request), B + c.url);
        knvt::HeaderFields expected{{"X-Application-Version", "3"}};
        if (c.contentType)
            expected.insert("Content-Type", c.contentType);
        EXPECT_EQ(request.HTTPHeaderFields(), expected);
    }
}

TEST(KNVTRESTFulRequestURLs, IdentifiersAreWrittenAsTheirText)
{
    // JSON numbers arrive as doubles; they must not become "1.2e+07" or "12.0".
    const struct
    {
        QVariant identifier;
        const char *text;
    } cases[] = {{12, "12"},
                 {qint64(12345678901), "12345678901"},
                 {12.0, "12"},
                 {12345678901.0, "12345678901"},
                 {QStringLiteral("12"), "12"}};
    for (const auto &c : cases) {
        KNVTRESTFulRequest request(B, "tasks", c.identifier, KNVTRequestFormatJSON, KNVTRESTFulRequestActionShow, {},
                                   {}, {});
        EXPECT_EQ(urlOf(request), B + "/tasks/" + c.text + ".json");
    }

    // Without identifier the reply processing must see no identifier at all.
    KNVTRESTFulRequest withoutId(B, "task_lists/pending", QVariant(), KNVTRequestFormatJSON,
                                 KNVTRESTFulRequestActionIndex, {}, {}, {});
    EXPECT_TRUE(withoutId.identifiers().isEmpty());
    EXPECT_EQ(urlOf(withoutId), B + "/task_lists/pending.json");
}

TEST(KNVTRESTFulPullRequests, NestedAvatarPullIsMatchedByResourcesOnly)
{
    KNVTRESTFulPullRequest avatar(B, QStringList{"users", "avatar"}, QVariantList{42, "medium"}, KNVTRequestFormatPNG,
                                  knvt::HeaderFields{{"Content-Type", "application/json"}});
    EXPECT_EQ(urlOf(avatar), B + "/users/42/avatar/medium.png");
    EXPECT_EQ(avatar.requestMethod(), KNVTRequestMethodGET);
    EXPECT_EQ(avatar.requestAction(), KNVTRESTFulRequestActionShow);
    EXPECT_EQ(avatar.HTTPHeaderFields().value("Content-Type"), "image/png");
    EXPECT_TRUE(avatar.resource().isNull());
    EXPECT_FALSE(avatar.identifier().isValid());

    KNVTRESTFulPullRequest index(B, QStringList{"users", "friends"}, QVariantList{}, KNVTRequestFormatJSON,
                                 knvt::QueryParameters{{"page", "2"}}, knvt::HeaderFields{});
    EXPECT_EQ(urlOf(index), B + "/users/friends.json?page=2");
    EXPECT_EQ(index.requestAction(), KNVTRESTFulRequestActionIndex);
}

TEST(KNVTRESTFulPushRequests, JSONDataWrapsAttributesInTheEntityName)
{
    EXPECT_EQ(KNVTRESTFulPushRequest::JSONDataForEntityName("task", {}), QByteArray(R"({"task":{}})"));
    EXPECT_TRUE(KNVTRESTFulPushRequest::JSONDataForEntityName("", {}).isNull());
    EXPECT_EQ(KNVTRESTFulPushRequest::JSONDataForEntityName("", {{"a", 1}}), QByteArray(R"({"a":1})"));
    // Compact, with nulls and arrays kept.
    EXPECT_EQ(KNVTRESTFulPushRequest::JSONDataForEntityName(
                  "task", {{"task_list_id", QJsonValue::Null}, {"recurrence", QJsonArray{"RRULE:X"}}}),
              QByteArray(R"({"task":{"recurrence":["RRULE:X"],"task_list_id":null}})"));
}

TEST(KNVTRESTFulPushRequests, ExplicitActionsBuildCreateUpdateAndDestroy)
{
    const QJsonObject attributes{{"title", "Buy oat milk"}};
    // A create ignores the identifier, and pushes always speak JSON.
    KNVTRESTFulPushRequest create(B, "tasks", 99, "task", attributes, KNVTRequestFormatPNG,
                                  KNVTRESTFulRequestActionCreate, {});
    EXPECT_EQ(urlOf(create), B + "/tasks.json");
    EXPECT_EQ(create.requestMethod(), KNVTRequestMethodPOST);
    EXPECT_TRUE(create.identifiers().isEmpty());
    EXPECT_EQ(create.bodyData(), QByteArray(R"({"task":{"title":"Buy oat milk"}})"));
    EXPECT_EQ(create.HTTPHeaderFields().value("Content-Type"), "application/json");

    KNVTRESTFulPushRequest update(B, "tasks", 12, "task", attributes, KNVTRequestFormatJSON,
                                  KNVTRESTFulRequestActionUpdate, {});
    EXPECT_EQ(urlOf(update), B + "/tasks/12.json");
    EXPECT_EQ(update.bodyData(), QByteArray(R"({"task":{"title":"Buy oat milk"}})"));

    KNVTRESTFulPushRequest destroy(B, "tasks", 12, "task", attributes, KNVTRequestFormatJSON,
                                   KNVTRESTFulRequestActionDestroy, {});
    EXPECT_EQ(urlOf(destroy), B + "/tasks/12.json");
    EXPECT_EQ(destroy.requestMethod(), KNVTRequestMethodDELETE);
    EXPECT_TRUE(destroy.bodyData().isNull());

    // A create of an object that yields no field posts no body.
    KNVTRESTFulPushRequest bare(B, "tags", QVariant(), "tag", {}, KNVTRequestFormatJSON, KNVTRESTFulRequestActionCreate,
                                {});
    EXPECT_TRUE(bare.bodyData().isNull());
}

TEST(KNVTRESTFulPushRequests, ChoosingInitialiserPicksTheActionFromIdentifierAndAttributes)
{
    const QJsonObject attributes{{"title", "B"}};
    for (const QVariant &none : {QVariant(), QVariant(0)}) {
        KNVTRESTFulPushRequest create(B, "tasks", none, "task", attributes, KNVTRequestFormatJSON, {});
        EXPECT_EQ(create.requestAction(), KNVTRESTFulRequestActionCreate);
        EXPECT_EQ(urlOf(create), B + "/tasks.json");
    }

    KNVTRESTFulPushRequest update(B, "tasks", 12, "task", attributes, KNVTRequestFormatJSON, {});
    EXPECT_EQ(update.requestAction(), KNVTRESTFulRequestActionUpdate);

    // With an identifier and nothing to send, the only thing left to push is the deletion.
    KNVTRESTFulPushRequest destroy(B, "tasks", 12.0, "task", {}, KNVTRequestFormatJSON, {});
    EXPECT_EQ(destroy.requestAction(), KNVTRESTFulRequestActionDestroy);
    EXPECT_EQ(urlOf(destroy), B + "/tasks/12.json");
    EXPECT_TRUE(destroy.bodyData().isNull());
}

TEST(KNVTRESTFulPushRequests, AsyncBodyIsFetchedWhenTheRequestIsBuilt)
{
    KNVTRESTFulAsyncBodyDataFetchPushRequest request(B, "users", 42, "user", {{"first_name", "Ann"}},
                                                     KNVTRequestFormatJSON, KNVTRESTFulRequestActionUpdate, {});
    EXPECT_EQ(request.signedURLRequest().body, QByteArray(R"({"user":{"first_name":"Ann"}})"));

    int calls = 0;
    request.setBodyDataFetchBlock([&calls] { return QByteArray("fetched ") + QByteArray::number(++calls); });
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(request.signedURLRequest().body, QByteArray("fetched 1"));
    EXPECT_EQ(request.signedURLRequest().body, QByteArray("fetched 2"));

    // A block that yields nothing removes the earlier body.
    request.setBodyDataFetchBlock([] { return QByteArray(); });
    EXPECT_TRUE(request.signedURLRequest().body.isNull());
}

} // namespace
