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
        EXPECT_EQ(request.requestAction(), c.action);
    }
}

TEST(KNVTRESTFulRequestURLs, MethodTableCoversOnlyCreateUpdateDestroy)
{
    EXPECT_EQ(KNVTRESTFulRequest::requestMethodForRequestAction(4), KNVTRequestMethodPOST);
    EXPECT_EQ(KNVTRESTFulRequest::requestMethodForRequestAction(5), KNVTRequestMethodPUT);
    EXPECT_EQ(KNVTRESTFulRequest::requestMethodForRequestAction(6), KNVTRequestMethodDELETE);
    for (unsigned int action : {0u, 1u, 2u, 3u, 7u, 1000u})
        EXPECT_EQ(KNVTRESTFulRequest::requestMethodForRequestAction(action), KNVTRequestMethodGET) << action;
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
        EXPECT_EQ(request.requestFormat(), c.format);
    }
}

TEST(KNVTRESTFulRequestURLs, SingleResourceKeepsResourceAndIdentifierLists)
{
    KNVTRESTFulRequest withId(B, "task_lists", 5, KNVTRequestFormatJSON, KNVTRESTFulRequestActionShow, {}, {}, {});
    EXPECT_EQ(withId.resource(), "task_lists");
    EXPECT_EQ(withId.identifier(), QVariant(5));
    EXPECT_EQ(withId.resources(), QStringList{"task_lists"});
    EXPECT_EQ(withId.identifiers(), QVariantList{5});

    // Without identifier the reply processing must see no identifier at all.
    KNVTRESTFulRequest withoutId(B, "task_lists/pending", QVariant(), KNVTRequestFormatJSON,
                                 KNVTRESTFulRequestActionIndex, {}, {}, {});
    EXPECT_TRUE(withoutId.identifiers().isEmpty());
    EXPECT_FALSE(withoutId.identifier().isValid());
    EXPECT_EQ(urlOf(withoutId), B + "/task_lists/pending.json");
}

TEST(KNVTRESTFulRequestURLs, IdentifiersAreWrittenAsTheirText)
{
    // JSON numbers arrive as doubles; they must not become "1.2e+07" or "12.0".
    for (const QVariant &identifier : {QVariant(12), QVariant(qint64(12345678901)), QVariant(12.0),
                                       QVariant(12345678901.0), QVariant(QStringLiteral("12"))}) {
        KNVTRESTFulRequest request(B, "tasks", identifier, KNVTRequestFormatJSON, KNVTRESTFulRequestActionShow, {},
                                   {}, {});
        EXPECT_EQ(urlOf(request), B + "/tasks/" + KNVTRESTFulRequest::identifierText(identifier) + ".json");
    }
    EXPECT_EQ(KNVTRESTFulRequest::identifierText(QVariant(12345678901.0)), "12345678901");
    EXPECT_EQ(KNVTRESTFulRequest::identifierText(QVariant(7.0)), "7");
    EXPECT_EQ(KNVTRESTFulRequest::identifierText(QVariant(QStringLiteral("medium"))), "medium");
    EXPECT_EQ(KNVTRESTFulRequest::identifierText(QVariant()), "null");
}

TEST(KNVTRESTFulPullRequests, CollectionAndItemPullsOfTheService)
{
    const knvt::HeaderFields store{{"Authorization", "Basic YW5uOnNlY3JldDE="},
                                   {"X-Application-Identifier", "com.hollowpine.macos.quillvane"},
                                   {"X-Application-Version", "1"}};
    const struct
    {
        const char *resource;
        QVariant identifier;
        knvt::QueryParameters parameters;
        const char *url;
    } cases[] = {
        {"account", QVariant(), {{"include", "owner"}}, "/account.json?include=owner"},
        {"friendships/invites", QVariant(), {{"include", "inviter"}}, "/friendships/invites.json?include=inviter"},
        {"task_lists/pending", QVariant(), {{"include", "task_list_collaborators,users"}},
         "/task_lists/pending.json?include=task_list_collaborators%2Cusers"},
        {"task_lists", 5, {{"include", "task_list_collaborators,tasks,comments,task_watchers,users"}},
         "/task_lists/5.json?include=task_list_collaborators%2Ctasks%2Ccomments%2Ctask_watchers%2Cusers"},
        {"tasks/inbox", QVariant(), {{"include", "comments,users,task_watchers"}},
         "/tasks/inbox.json?include=comments%2Cusers%2Ctask_watchers"},
        {"tags", QVariant(), {}, "/tags.json"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        KNVTRESTFulPullRequest request(B, c.resource, c.identifier, KNVTRequestFormatJSON, c.parameters, store);
        EXPECT_EQ(urlOf(request), B + c.url);
        EXPECT_EQ(request.requestMethod(), KNVTRequestMethodGET);
        EXPECT_EQ(request.requestAction(),
                  c.identifier.isValid() ? KNVTRESTFulRequestActionShow : KNVTRESTFulRequestActionIndex);
        EXPECT_TRUE(request.bodyData().isNull());
        EXPECT_EQ(request.HTTPHeaderFields().value("Content-Type"), "application/json");
        EXPECT_EQ(request.HTTPHeaderFields().value("Authorization"), "Basic YW5uOnNlY3JldDE=");
    }

    KNVTRESTFulPullRequest noParameters(B, "tags", QVariant(), KNVTRequestFormatJSON, knvt::HeaderFields{});
    EXPECT_TRUE(noParameters.parameters().empty());
    EXPECT_EQ(noParameters.description(), "KNVTRESTFulPullRequest resource:tags");
    KNVTRESTFulPullRequest item(B, "task_lists", 5, KNVTRequestFormatJSON, knvt::HeaderFields{});
    EXPECT_EQ(item.description(), "KNVTRESTFulPullRequest resource:task_lists identifier:5");
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
    EXPECT_EQ(avatar.resources(), (QStringList{"users", "avatar"}));
    EXPECT_EQ(avatar.identifiers(), (QVariantList{42, "medium"}));

    KNVTRESTFulPullRequest index(B, QStringList{"users", "friends"}, QVariantList{}, KNVTRequestFormatJSON,
                                 knvt::QueryParameters{{"page", "2"}}, knvt::HeaderFields{});
    EXPECT_EQ(urlOf(index), B + "/users/friends.json?page=2");
    EXPECT_EQ(index.requestAction(), KNVTRESTFulRequestActionIndex);
}

TEST(KNVTRESTFulRequestURLs, ExplicitActionsOfTheAccountForms)
{
    KNVTRESTFulRequest signUp(B, "accounts", QVariant(), KNVTRequestFormatJSON, KNVTRESTFulRequestActionCreate,
                              {{"include", "owner"}}, QByteArray(R"({"account":{}})"), {});
    EXPECT_EQ(urlOf(signUp), B + "/accounts.json?include=owner");
    EXPECT_EQ(signUp.requestMethod(), KNVTRequestMethodPOST);
    EXPECT_EQ(signUp.bodyData(), QByteArray(R"({"account":{}})"));

    KNVTRESTFulRequest details(B, "users", 42, KNVTRequestFormatJSON, KNVTRESTFulRequestActionUpdate, {}, {}, {});
    EXPECT_EQ(urlOf(details), B + "/users/42.json");
    EXPECT_EQ(details.requestMethod(), KNVTRequestMethodPUT);
}

TEST(KNVTRESTFulPushRequests, JSONDataWrapsAttributesInTheEntityName)
{
    EXPECT_EQ(KNVTRESTFulPushRequest::JSONDataForEntityName("task", {}), QByteArray(R"({"task":{}})"));
    EXPECT_TRUE(KNVTRESTFulPushRequest::JSONDataForEntityName("", {}).isNull());
    EXPECT_EQ(KNVTRESTFulPushRequest::JSONDataForEntityName("", {{"a", 1}}), QByteArray(R"({"a":1})"));
    const QByteArray data = KNVTRESTFulPushRequest::JSONDataForEntityName(
        "task", {{"title", "Buy milk"}, {"task_list_id", QJsonValue::Null}, {"recurrence", QJsonArray{"RRULE:X"}}});
    // Compact: no blanks or line breaks outside strings.
    EXPECT_FALSE(data.contains('\n'));
    EXPECT_FALSE(data.contains(": "));
    EXPECT_EQ(QJsonDocument::fromJson(data).object(),
              (QJsonObject{{"task", QJsonObject{{"title", "Buy milk"},
                                                {"task_list_id", QJsonValue::Null},
                                                {"recurrence", QJsonArray{"RRULE:X"}}}}}));
}

TEST(KNVTRESTFulPushRequests, ExplicitActionsBuildCreateUpdateAndDestroy)
{
    const QJsonObject attributes{{"title", "Buy oat milk"}};
    KNVTRESTFulPushRequest create(B, "tasks", 99, "task", attributes, KNVTRequestFormatPNG,
                                  KNVTRESTFulRequestActionCreate, {});
    EXPECT_EQ(urlOf(create), B + "/tasks.json");
    EXPECT_EQ(create.requestMethod(), KNVTRequestMethodPOST);
    EXPECT_EQ(create.requestFormat(), KNVTRequestFormatJSON);
    EXPECT_FALSE(create.identifier().isValid());
    EXPECT_TRUE(create.identifiers().isEmpty());
    EXPECT_EQ(create.bodyData(), QByteArray(R"({"task":{"title":"Buy oat milk"}})"));
    EXPECT_EQ(create.HTTPHeaderFields().value("Content-Type"), "application/json");
    EXPECT_EQ(create.description(), "KNVTRESTFulPushRequest resource:tasks");

    KNVTRESTFulPushRequest update(B, "tasks", 12, "task", attributes, KNVTRequestFormatJSON,
                                  KNVTRESTFulRequestActionUpdate, {});
    EXPECT_EQ(urlOf(update), B + "/tasks/12.json");
    EXPECT_EQ(update.requestMethod(), KNVTRequestMethodPUT);
    EXPECT_EQ(update.bodyData(), QByteArray(R"({"task":{"title":"Buy oat milk"}})"));
    EXPECT_EQ(update.description(), "KNVTRESTFulPushRequest resource:tasks identifier:12");

    KNVTRESTFulPushRequest destroy(B, "tasks", 12, "task", attributes, KNVTRequestFormatJSON,
                                   KNVTRESTFulRequestActionDestroy, {});
    EXPECT_EQ(urlOf(destroy), B + "/tasks/12.json");
    EXPECT_EQ(destroy.requestMethod(), KNVTRequestMethodDELETE);
    EXPECT_TRUE(destroy.bodyData().isNull());
    EXPECT_EQ(destroy.HTTPHeaderFields().value("Content-Type"), "application/json");
    EXPECT_TRUE(destroy.parameters().empty());

    // A create of an object that yields no field posts no body.
    KNVTRESTFulPushRequest bare(B, "tags", QVariant(), "tag", {}, KNVTRequestFormatJSON,
                                KNVTRESTFulRequestActionCreate, {});
    EXPECT_TRUE(bare.bodyData().isNull());
}

TEST(KNVTRESTFulPushRequests, ChoosingInitialiserPicksTheActionFromIdentifierAndAttributes)
{
    const QJsonObject attributes{{"title", "B"}};
    KNVTRESTFulPushRequest create(B, "tasks", QVariant(), "task", attributes, KNVTRequestFormatJSON, {});
    EXPECT_EQ(create.requestAction(), KNVTRESTFulRequestActionCreate);
    EXPECT_EQ(urlOf(create), B + "/tasks.json");

    KNVTRESTFulPushRequest zero(B, "tasks", 0, "task", attributes, KNVTRequestFormatJSON, {});
    EXPECT_EQ(zero.requestAction(), KNVTRESTFulRequestActionCreate);
    EXPECT_EQ(urlOf(zero), B + "/tasks.json");
    EXPECT_TRUE(zero.identifiers().isEmpty());

    KNVTRESTFulPushRequest update(B, "tasks", 12, "task", attributes, KNVTRequestFormatJSON, {});
    EXPECT_EQ(update.requestAction(), KNVTRESTFulRequestActionUpdate);
    EXPECT_EQ(update.requestMethod(), KNVTRequestMethodPUT);

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
    request.setBodyDataFetchBlock([&calls] {
        ++calls;
        return QByteArray("fetched ") + QByteArray::number(calls);
    });
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(request.signedURLRequest().body, QByteArray("fetched 1"));
    EXPECT_EQ(request.signedURLRequest().body, QByteArray("fetched 2"));
    EXPECT_EQ(request.bodyData(), QByteArray("fetched 2"));

    // A block that yields nothing removes the earlier body.
    request.setBodyDataFetchBlock([] { return QByteArray(); });
    EXPECT_TRUE(request.signedURLRequest().body.isNull());
    EXPECT_TRUE(request.bodyData().isNull());
}

} // namespace
