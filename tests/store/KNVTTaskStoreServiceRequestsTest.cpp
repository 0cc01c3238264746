// The store's own requests against the fake service over real HTTP (add a friend, refresh the account, download an
// avatar) and the local friendship records.
#include "TaskStoreTest.h"

#include "model/KNVTCDAccount.h"
#include "model/KNVTCDFriendship.h"

#include "service/KNVTRequest.h"

#include "foundation/KNVTGenericKeychainItem.h"

#include "support/FakeSyncService.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/ScopedSyncServiceClient.h"
#include "support/SyncFixtures.h"
#include "support/TestImages.h"
#include "support/WaitUntil.h"

#include <QJsonDocument>

using knvt::test::FakeSyncService;
using knvt::test::waitUntil;

namespace {

class CountingDelegate final : public KNVTTaskStoreDelegate
{
public:
    void taskStoreDidFailToOpenPersistentStoreWithError(KNVTTaskStore *, const knvt::Error &) override {}
    void taskStoreDidFailToAuthenticate(KNVTTaskStore *) override { ++authenticationFailures; }
    void taskStoreRequiresNewerAPIVersion(KNVTTaskStore *) override {}
    int authenticationFailures = 0;
};

struct Outcome
{
    bool called = false;
    bool success = false;
    knvt::Error requestError;
    knvt::Error error;

    KNVTTaskStore::RequestCompletionHandler handler()
    {
        return [this](bool ok, const knvt::Error &request, const knvt::Error &transport) {
            EXPECT_FALSE(called) << "called twice";
            called = true;
            success = ok;
            requestError = request;
            error = transport;
        };
    }
};

} // namespace

class TaskStoreServiceRequestsTest : public TaskStoreTest
{
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        store().setTaskStoreDelegate(&delegate);
    }
    void TearDown() override
    {
        store().setTaskStoreDelegate(nullptr);
        TaskStoreTest::TearDown();
    }

    // "ann" (user 42, account 7) with her password, configured, unless another account is named.
    void signIn(const QString &name = QStringLiteral("ann"), qint64 user = 42, qint64 accountId = 7)
    {
        KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), name, {},
                                                                QStringLiteral("secret1"));
        KNVTCDTaskStoreInformation *information = store().taskStoreInformation();
        information->setUsername(name);
        information->setUserNumericIdentifier(user);
        information->setAccountNumericIdentifier(accountId);
        KNVTCDUser *me = store().me();
        me->setUsername(name);
        me->setNumericIdentifier(user);
        auto *account = context().insert<KNVTCDAccount>();
        account->setNumericIdentifier(accountId);
        account->setOwner(me);
        save();
    }

    static bool wait(const Outcome &outcome)
    {
        return waitUntil([&outcome] { return outcome.called; });
    }

    knvt::test::ScopedInMemoryKeychain keychain;
    FakeSyncService fake;
    knvt::test::ScopedSyncServiceClient client{fake, 5.0};
    CountingDelegate delegate;
};

// ---- Adding a friend by user name -------------------------------------------------------------------------------------

TEST_F(TaskStoreServiceRequestsTest, AddingAFriendPostsTheUserNameAndMergesTheAnsweredRecordByItsPair)
{
    signIn();
    KNVTCDUser *ben = insertUser(QStringLiteral("Ben"), 0);
    ben->setNumericIdentifier(43);
    store().createFriendshipInviteFromUser(ben);
    save();
    fake.on("POST", "/friendships.json")
        .json(201,
              QJsonDocument(knvt::test::entity(QStringLiteral("friendship"), 90, 1,
                                               {{"inviter_id", 42},
                                                {"invitee_id", 43},
                                                {"status", "pending"},
                                                {"invitee", knvt::test::user(43, QStringLiteral("ben"))}}))
                  .toJson());

    Outcome outcome;
    store().createFriendshipWithUsername(QStringLiteral("ben"), outcome.handler());
    ASSERT_TRUE(wait(outcome));

    EXPECT_TRUE(outcome.success);
    const auto request = fake.lastRequest("POST", "/friendships.json");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->query, QByteArray("include=invitee"));
    EXPECT_EQ(request->header("Content-Type"), QByteArray("application/json"));
    EXPECT_EQ(request->header("Authorization"), QByteArray("Basic YW5uOnNlY3JldDE="));
    EXPECT_EQ(request->json().object(), (QJsonObject{{"friendship", QJsonObject{{"invitee_username", "ben"}}}}));
    // The local record without identifier took the answer; no second one was added.
    EXPECT_EQ(context().count<KNVTCDFriendship>(), 1);
    EXPECT_EQ(context().firstObject<KNVTCDFriendship>()->numericIdentifier(), 90);
}

TEST_F(TaskStoreServiceRequestsTest, AddingAFriendReportsARefusedPasswordButNotAnInvalidName)
{
    signIn();
    fake.on("POST", "/friendships.json").json(401, "{}").json(422, R"({"invitee_username":["is unknown"]})");

    Outcome refused;
    store().createFriendshipWithUsername(QStringLiteral("ben"), refused.handler());
    ASSERT_TRUE(wait(refused));
    EXPECT_FALSE(refused.success);
    EXPECT_EQ(refused.requestError.code(), 401);
    EXPECT_EQ(delegate.authenticationFailures, 1);
    // The store's own request records no failure date.
    EXPECT_TRUE(store().isAuthenticated());

    Outcome invalid;
    store().createFriendshipWithUsername(QStringLiteral("nobody"), invalid.handler());
    ASSERT_TRUE(wait(invalid));
    EXPECT_FALSE(invalid.success);
    EXPECT_EQ(invalid.requestError.code(), 422);
    EXPECT_EQ(invalid.requestError.userInfo().value(QStringLiteral("invitee_username")).toList().value(0).toString(),
              QStringLiteral("is unknown"));
    EXPECT_EQ(delegate.authenticationFailures, 1);
}

TEST_F(TaskStoreServiceRequestsTest, AnAnswerWithoutAFriendshipStillSucceedsAndChangesNothing)
{
    signIn();
    fake.on("POST", "/friendships.json").json(200, "{}");
    Outcome outcome;
    store().createFriendshipWithUsername(QStringLiteral("ben"), outcome.handler());
    ASSERT_TRUE(wait(outcome));
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(context().count<KNVTCDFriendship>(), 0);
}

// ---- Local friendship records -----------------------------------------------------------------------------------------

TEST_F(TaskStoreServiceRequestsTest, DecliningAddsARecordOfMyOwnAndLeavesTheInvitationAlone)
{
    signIn();
    KNVTCDUser *ben = insertUser(QStringLiteral("Ben"), 0);
    ben->setNumericIdentifier(43);
    auto *invitation = context().insert<KNVTCDFriendship>();
    invitation->setNumericIdentifier(80);
    invitation->setStatus(1);
    invitation->setInvitee(store().me());
    invitation->setInviter(ben);
    save();
    ASSERT_EQ(ben->friendshipStatus(), 2);

    store().declineFriendshipInviteFromUser(ben);
    EXPECT_EQ(ben->friendshipStatus(), 0);
    EXPECT_EQ(invitation->status(), 1);
    const auto declines = context().fetch<KNVTCDFriendship>(ostore::where::key(QStringLiteral("status")) == 3);
    ASSERT_EQ(declines.size(), 1u);
    EXPECT_EQ(declines[0]->inviter(), store().me());
    EXPECT_EQ(declines[0]->invitee(), ben);
    // The decline is saved by itself, on the next pass of the event loop.
    EXPECT_TRUE(waitUntil([this] { return !context().hasChanges(); }));
}

TEST_F(TaskStoreServiceRequestsTest, InvitingAndAcceptingDeriveThePersonsRelationWithoutSaving)
{
    signIn();
    KNVTCDUser *ben = insertUser(QStringLiteral("Ben"), 0);
    KNVTCDUser *cy = insertUser(QStringLiteral("Cy"), 2);
    save();
    store().createFriendshipInviteFromUser(ben);
    store().acceptFriendshipInviteFromUser(cy);
    EXPECT_EQ(ben->friendshipStatus(), 1);
    EXPECT_EQ(cy->friendshipStatus(), 3);
    EXPECT_TRUE(context().hasChanges());
}

// ---- The account refresh ----------------------------------------------------------------------------------------------

TEST_F(TaskStoreServiceRequestsTest, TheAccountRefreshAppliesTheAccountAndFetchesAMarkedAvatar)
{
    signIn();
    const QByteArray picture = knvt::test::pngBytes(Qt::red, 4);
    fake.on("GET", "/account.json")
        .json(200,
              QJsonDocument(knvt::test::account(7,
                                                knvt::test::user(42, QStringLiteral("ann"),
                                                                 {{"first_name", "Annie"},
                                                                  {"avatar_content_type", "image/png"},
                                                                  {"avatar_updated_at", knvt::test::fixtureDate(5)}}),
                                                3))
                  .toJson());
    fake.on("GET", "/users/42/avatar/medium.png").png(picture);

    Outcome outcome;
    store().syncAccountWithCompletionHandler(outcome.handler());
    ASSERT_TRUE(wait(outcome));
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(fake.lastRequest("GET", "/account.json")->query, QByteArray("include=owner"));
    EXPECT_EQ(store().me()->firstName(), QStringLiteral("Annie"));
    ASSERT_TRUE(waitUntil([this] { return !store().me()->avatar()->needsUpdating().value_or(true); }));
    EXPECT_EQ(store().me()->avatar()->data(), picture);
}

TEST_F(TaskStoreServiceRequestsTest, OpeningAConfiguredLibraryRefreshesTheAccountOnlyWhileAutomaticSyncIsOff)
{
    // As the application installs it at start-up.
    KNVTTaskStore::setConfiguredLibraryOpenedHandler(&KNVTTaskStore::refreshAccountAfterOpening);
    signIn();
    fake.on("GET", "/account.json").json(500, "{}");

    store().setAutoSyncEnabled(true);
    ASSERT_NE(makeStore().managedObjectContext(), nullptr);
    store().setAutoSyncEnabled(false);
    ASSERT_NE(makeStore().managedObjectContext(), nullptr);

    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));
    EXPECT_FALSE(waitUntil([this] { return fake.count("GET", "/account.json") > 1; }, std::chrono::milliseconds(300)));

    // A recorded refusal means the password is wrong: asking again would only be refused again.
    store().setAuthenticationFailureDate(m_clock.now());
    ASSERT_NE(makeStore().managedObjectContext(), nullptr);
    EXPECT_FALSE(waitUntil([this] { return fake.count("GET", "/account.json") > 1; }, std::chrono::milliseconds(300)));
}

TEST_F(TaskStoreServiceRequestsTest, ARefusedAccountRefreshRecordsTheFailure)
{
    signIn();
    fake.on("GET", "/account.json").json(401, "{}");
    Outcome outcome;
    store().syncAccountWithCompletionHandler(outcome.handler());
    ASSERT_TRUE(wait(outcome));
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(delegate.authenticationFailures, 1);
    EXPECT_FALSE(store().isAuthenticated());
}

TEST_F(TaskStoreServiceRequestsTest, WithoutANetworkOnlyMissingCredentialsCountAsAnAuthenticationFailure)
{
    signIn();
    fake.stop();
    Outcome withCredentials;
    store().syncAccountWithCompletionHandler(withCredentials.handler());
    ASSERT_TRUE(wait(withCredentials));
    EXPECT_FALSE(withCredentials.success);
    EXPECT_FALSE(withCredentials.error.isNull());
    EXPECT_EQ(delegate.authenticationFailures, 0);
    EXPECT_TRUE(store().isAuthenticated());

    KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {})
        ->removeFromKeychain();
    Outcome withoutCredentials;
    store().syncAccountWithCompletionHandler(withoutCredentials.handler());
    ASSERT_TRUE(wait(withoutCredentials));
    EXPECT_FALSE(withoutCredentials.success);
    EXPECT_EQ(delegate.authenticationFailures, 1);
    EXPECT_FALSE(store().isAuthenticated());
}

// ---- Avatars ----------------------------------------------------------------------------------------------------------

TEST_F(TaskStoreServiceRequestsTest, AFailedAvatarDownloadKeepsTheAvatarMarked)
{
    signIn();
    store().me()->avatar()->setNeedsUpdating(true);
    save();
    fake.on("GET", "/users/42/avatar/medium.png").reply(404);

    Outcome outcome;
    store().syncAvatarForUser(store().me(), outcome.handler());
    ASSERT_TRUE(wait(outcome));
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.requestError.code(), 404);
    EXPECT_TRUE(store().me()->avatar()->needsUpdating().value_or(false));
    EXPECT_EQ(delegate.authenticationFailures, 0);
    EXPECT_EQ(fake.lastRequest("GET", "/users/42/avatar/medium.png")->header("Content-Type"), QByteArray("image/png"));
}

TEST_F(TaskStoreServiceRequestsTest, APageInsteadOfAPictureLeavesTheAvatarAsItWasAndStillMarked)
{
    signIn();
    const QByteArray picture = knvt::test::pngBytes(Qt::blue, 4);
    KNVTCDAvatar *avatar = store().me()->avatar();
    avatar->setData(picture);
    avatar->setNeedsUpdating(true);
    save();
    fake.on("GET", "/users/42/avatar/medium.png")
        .reply(200, "<html><body>Sign in to the hotel network</body></html>", {{"Content-Type", "text/html"}});

    Outcome outcome;
    store().syncAvatarForUser(store().me(), outcome.handler());
    ASSERT_TRUE(wait(outcome));
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(avatar->data(), picture);
    EXPECT_TRUE(avatar->needsUpdating().value_or(false));
}

// ---- Replies after a sign-out -----------------------------------------------------------------------------------------

TEST_F(TaskStoreServiceRequestsTest, AReplyForTheLibraryOfAnEarlierAccountChangesNothingInTheNextOne)
{
    signIn();
    fake.on("GET", "/account.json")
        .json(200, QJsonDocument(knvt::test::account(7, knvt::test::user(42, QStringLiteral("ann")), 3)).toJson())
        .hold();
    Outcome outcome;
    store().syncAccountWithCompletionHandler(outcome.handler());
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));

    // Sign-out and another account on a fresh library while the reply is still on its way.
    store().unconfigureAccount();
    signIn(QStringLiteral("bob"), 50, 8);
    fake.release("GET", "/account.json");
    ASSERT_TRUE(wait(outcome));
    QCoreApplication::processEvents();

    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.error.code(), KNVTTaskStoreCancelledErrorCode);
    ASSERT_NE(store().account(), nullptr);
    EXPECT_EQ(store().account()->owner(), store().me());
    EXPECT_EQ(store().me()->username(), QStringLiteral("bob"));
    EXPECT_EQ(store().userForNumericIdentifier(42), nullptr);
    EXPECT_FALSE(context().hasChanges());
}
