// The account's identity, the header fields of requests to the sync service, and configuration from account JSON.
#include "TaskStoreTest.h"

#include "model/KNVTCDAccount.h"

#include "service/KNVTRequest.h"

#include "foundation/KNVTGenericKeychainItem.h"

#include "support/FakeSyncService.h"
#include "support/NotificationRecorder.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/ScopedSyncServiceClient.h"
#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include <QJsonDocument>

using knvt::test::FakeSyncService;
using knvt::test::waitUntil;

class TaskStoreAccountTest : public TaskStoreTest
{
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        fake.on("GET", "/users/42/avatar/medium.png").reply(404);
    }

    static void storePassword(const QString &user, const QString &password)
    {
        KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), user, {}, password);
    }

    static QJsonObject annAccount(const QJsonObject &ownerFields = {}, const QJsonValue &accountId = 7)
    {
        QJsonObject wrapped = knvt::test::account(7, knvt::test::user(42, QStringLiteral("ann"), ownerFields), 1);
        QJsonObject account = knvt::test::unwrap(wrapped);
        account.insert(QStringLiteral("id"), accountId);
        return account;
    }

    void setIdentity(const QString &name, std::optional<qint64> user, std::optional<qint64> account)
    {
        KNVTCDTaskStoreInformation *information = store().taskStoreInformation();
        information->setUsername(name);
        information->setUserNumericIdentifier(user);
        information->setAccountNumericIdentifier(account);
    }

    knvt::test::ScopedInMemoryKeychain keychain;
    FakeSyncService fake;
    knvt::test::ScopedSyncServiceClient client{fake};
};

TEST_F(TaskStoreAccountTest, IsConfiguredNeedsAUserNameAPositiveUserAndANonZeroAccount)
{
    EXPECT_FALSE(store().isConfigured());
    setIdentity(QStringLiteral("a"), 0, 7);
    EXPECT_FALSE(store().isConfigured());
    setIdentity(QStringLiteral("a"), 1, 7);
    EXPECT_TRUE(store().isConfigured());
    setIdentity(QStringLiteral("a"), 1, 0);
    EXPECT_FALSE(store().isConfigured());
    setIdentity(QString(), 1, 7);
    EXPECT_FALSE(store().isConfigured());
}

TEST_F(TaskStoreAccountTest, ConfiguringTakesTheIdentityMakesMeTheOwnerAndAnnounces)
{
    knvt::test::NotificationRecorder recorder({QString::fromLatin1(KNVTTaskStoreDidConfigureAccountNotification)});
    store().configureWithAccountAttributes(knvt::test::wire(annAccount({{"country_code", QJsonValue()}})));

    EXPECT_TRUE(store().isConfigured());
    EXPECT_EQ(store().username(), QStringLiteral("ann"));
    EXPECT_EQ(store().userNumericIdentifier(), 42);
    EXPECT_EQ(store().accountNumericIdentifier(), 7);
    KNVTCDUser *me = store().me();
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(me->numericIdentifier(), 42);
    EXPECT_EQ(me->emailAddress(), QStringLiteral("ann@example.com"));
    // A null from the service becomes an empty attribute.
    EXPECT_TRUE(me->isoCountryCode().isEmpty());
    ASSERT_NE(store().account(), nullptr);
    EXPECT_EQ(store().account()->owner(), me);
    EXPECT_EQ(recorder.notifications().size(), 1u);
    // The owner's picture is asked for right away.
    EXPECT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/users/42/avatar/medium.png"); }));
    // Everything was saved.
    EXPECT_FALSE(context().hasChanges());
}

TEST_F(TaskStoreAccountTest, IdentifiersAreReadAsNumbersOrNumericTextsAndAnythingElseLeavesTheStoreUnconfigured)
{
    QJsonObject account = annAccount({}, QStringLiteral("7"));
    QJsonObject owner = account.value(QStringLiteral("owner")).toObject();
    owner.insert(QStringLiteral("id"), QStringLiteral("42"));
    account.insert(QStringLiteral("owner"), owner);
    store().configureWithAccountAttributes(knvt::test::wire(account));
    EXPECT_TRUE(store().isConfigured());
    EXPECT_EQ(store().accountNumericIdentifier(), 7);

    store().configureWithAccountAttributes(knvt::test::wire(annAccount({}, QStringLiteral("seven"))));
    EXPECT_FALSE(store().isConfigured());
    EXPECT_EQ(store().accountNumericIdentifier(), std::nullopt);
}

TEST_F(TaskStoreAccountTest, AnOwnerKnownAsAUserBecomesMeAndTheSeededMeStays)
{
    KNVTCDUser *seeded = store().me();
    KNVTCDUser *known = insertUser(QStringLiteral("Ann"));
    known->setNumericIdentifier(42);
    save();

    store().configureWithAccountAttributes(knvt::test::wire(annAccount()));
    EXPECT_EQ(known->friendshipStatus(), 6);
    EXPECT_EQ(known->username(), QStringLiteral("ann"));
    EXPECT_EQ(seeded->numericIdentifier(), std::nullopt);
    EXPECT_EQ(store().account()->owner(), known);
}

TEST_F(TaskStoreAccountTest, ConfiguringTwiceKeepsBothAccountsAndAnswersTheOneOfTheStoredIdentifier)
{
    store().configureWithAccountAttributes(knvt::test::wire(annAccount({}, 7)));
    store().configureWithAccountAttributes(knvt::test::wire(annAccount({}, 8)));
    EXPECT_EQ(context().count<KNVTCDAccount>(), 2);
    ASSERT_NE(store().account(), nullptr);
    EXPECT_EQ(store().account()->numericIdentifier(), 8);
}

TEST_F(TaskStoreAccountTest, HeaderFieldsCarryTheKeychainCredentialsAndTheApplication)
{
    setIdentity(QStringLiteral("ann"), 42, 7);
    knvt::HeaderFields fields = store().HTTPHeaderFields();
    EXPECT_FALSE(fields.contains(QStringLiteral("Authorization")));
    EXPECT_EQ(fields.value(QStringLiteral("X-Application-Identifier")), QStringLiteral(KNVT_APP_ID));
    EXPECT_EQ(fields.value(QStringLiteral("X-Application-Version")), QStringLiteral(KNVT_APP_BUILD));

    storePassword(QStringLiteral("ann"), QStringLiteral("secret1"));
    fields = store().HTTPHeaderFields();
    EXPECT_EQ(fields.value(QStringLiteral("Authorization")), QStringLiteral("Basic YW5uOnNlY3JldDE="));
    // Another user's password is not this account's.
    setIdentity(QStringLiteral("bob"), 43, 7);
    EXPECT_TRUE(store().accountAuthorizationHeaderField().isEmpty());
}

TEST_F(TaskStoreAccountTest, TheEntityTagOfAResourceGoesOutUnderBothNames)
{
    // Opening a new library clears the tags, so open it first.
    setIdentity(QStringLiteral("ann"), 42, 7);
    store().setResourceETags({{QStringLiteral("tags"), QStringLiteral("\"t-1\"")}});
    const knvt::HeaderFields tags = store().HTTPHeaderFieldsIncludingETagForResource(QStringLiteral("tags"));
    EXPECT_EQ(tags.value(QStringLiteral("ETag")), QStringLiteral("\"t-1\""));
    EXPECT_EQ(tags.value(QStringLiteral("If-None-Match")), QStringLiteral("\"t-1\""));
    const knvt::HeaderFields lists = store().HTTPHeaderFieldsIncludingETagForResource(QStringLiteral("task_lists"));
    EXPECT_FALSE(lists.contains(QStringLiteral("ETag")));
    EXPECT_FALSE(lists.contains(QStringLiteral("If-None-Match")));
}

TEST_F(TaskStoreAccountTest, WebPagesHangOffTheServiceSite)
{
    setIdentity(QStringLiteral("ann"), 42, 7);
    const QString site = fake.baseURL().chopped(QStringLiteral("/api/v1").size());
    EXPECT_EQ(store().accountURL(), QUrl(site + QStringLiteral("/accounts/7")));
    EXPECT_EQ(KNVTTaskStore::forgottenPasswordURL(), QUrl(site + QStringLiteral("/forgotten_password")));
    EXPECT_EQ(KNVTTaskStore::termsAndConditionsURL(), QUrl(site + QStringLiteral("/terms_and_conditions")));
}

TEST_F(TaskStoreAccountTest, UserAttributesChangeOnlyTheKeysGiven)
{
    KNVTCDUser *me = store().me();
    me->setFirstName(QStringLiteral("Ann"));
    store().updateWithUserAttributes(knvt::test::wire({{"email", "new@example.com"}}));
    EXPECT_EQ(me->emailAddress(), QStringLiteral("new@example.com"));
    EXPECT_EQ(me->firstName(), QStringLiteral("Ann"));
    store().updateWithUserAttributes(knvt::test::wire({{"first_name", QJsonValue()}}));
    EXPECT_TRUE(me->firstName().isEmpty());
}

TEST_F(TaskStoreAccountTest, APasswordTheKeychainRefusesIsKeptForThisRunAndSignsTheRequestsOfItsUser)
{
    setIdentity(QStringLiteral("ann"), 42, 7);
    storePassword(QStringLiteral("ann"), QStringLiteral("old"));
    KNVTKeychainItem::lockKeychain();
    const knvt::Error refused = store().setAccountPassword(QStringLiteral("ann"), QStringLiteral("secret2"));
    EXPECT_EQ(refused.domain(), QString::fromLatin1(knvt::NSOSStatusErrorDomain));
    EXPECT_EQ(refused.code(), knvt::errSecInteractionNotAllowed);
    EXPECT_EQ(store().accountPasswordKeychainError(), refused);
    EXPECT_EQ(store().HTTPHeaderFields().value(QStringLiteral("Authorization")),
              QStringLiteral("Basic ") + QString::fromLatin1(QByteArray("ann:secret2").toBase64()));
    setIdentity(QStringLiteral("bob"), 43, 7);
    EXPECT_TRUE(store().accountAuthorizationHeaderField().isEmpty()) << "kept for ann only";

    // Once the keychain takes a password, it is the keychain's again.
    setIdentity(QStringLiteral("ann"), 42, 7);
    KNVTKeychainItem::unlockKeychain();
    EXPECT_FALSE(store().setAccountPassword(QStringLiteral("ann"), QStringLiteral("secret3")));
    EXPECT_FALSE(store().accountPasswordKeychainError());
    const auto item =
        KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {});
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->password(), QStringLiteral("secret3"));
    EXPECT_EQ(store().accountAuthorizationHeaderField(),
              QStringLiteral("Basic ") + QString::fromLatin1(QByteArray("ann:secret3").toBase64()));
}

TEST_F(TaskStoreAccountTest, SigningOutForgetsTheAccountsPasswordAndOnlyItsOwn)
{
    store().configureWithAccountAttributes(knvt::test::wire(annAccount()));
    storePassword(QStringLiteral("ann"), QStringLiteral("secret1"));
    storePassword(QStringLiteral("bob"), QStringLiteral("theirs"));
    store().unconfigureAccount();
    EXPECT_EQ(
        KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {}),
        nullptr);
    EXPECT_NE(
        KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), QStringLiteral("bob"), {}),
        nullptr);

    // A password held only in memory goes too: the next account does not sign with it.
    store().configureWithAccountAttributes(knvt::test::wire(annAccount()));
    KNVTKeychainItem::lockKeychain();
    EXPECT_TRUE(store().setAccountPassword(QStringLiteral("ann"), QStringLiteral("secret2")));
    store().unconfigureAccount();
    KNVTKeychainItem::unlockKeychain();
    EXPECT_FALSE(store().accountPasswordKeychainError());
    store().configureWithAccountAttributes(knvt::test::wire(annAccount()));
    EXPECT_TRUE(store().accountAuthorizationHeaderField().isEmpty());
}
