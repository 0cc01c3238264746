// Quitting while the sync service keeps the application waiting.

#include "AppDriver.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRequest.h"
#include "service/RequestPool.h"

#include "foundation/KNVTGenericKeychainItem.h"
#include "foundation/Timing.h"
#include "support/FakeSyncService.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using knvt::features::AppDriver;

namespace {

// Signed in as ann with automatic sync, against a fake service whose account reply the scenario scripts. A session
// is running when the scenario quits; whoever waits for that sync hears how it ended.
class QuitWhileSyncingFeature : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KNVTSetSyncServiceAPIURLString(fake.baseURL());
        fake.enableState();
        KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
        knvt::Timing::setScale(0.01);
        app = std::make_unique<AppDriver>();
    }

    void TearDown() override
    {
        app.reset();
        fake.releaseAll();
        // The held request ends before the service and the test go.
        knvt::RequestPool::waitForDone(5000);
        fake.stop();
        knvt::Timing::setScale(1.0);
        KNVTRequest::setDefaultTimeoutInterval(0);
        KNVTTaskStoreSyncCoordinating::setFactory({});
        KNVTSetSyncServiceAPIURLString(QString());
    }

    knvt::test::FakeSyncService::Route accountReply()
    {
        return fake.on("GET", "/account.json")
            .json(200, knvt::test::body(knvt::test::account(7, knvt::test::user(42, "ann"), 1)));
    }

    // Launches and waits until the session has asked for the account.
    void launchAndSync()
    {
        KNVTTaskStore &store = app->store();
        KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {},
                                                                QStringLiteral("secret1"));
        KNVTCDTaskStoreInformation *information = store.taskStoreInformation();
        information->setUsername(QStringLiteral("ann"));
        information->setUserNumericIdentifier(42);
        information->setAccountNumericIdentifier(7);
        store.me()->setUsername(QStringLiteral("ann"));
        store.me()->setNumericIdentifier(42);
        app->saveGivens();
        app->launch();
        store.setAutoSyncEnabled(true);
        ASSERT_TRUE(knvt::test::waitUntil([&] { return fake.count("GET", "/account.json") > 0; }));
        ASSERT_TRUE(store.isSyncing());
        store.syncWithCompletionHandler([this](const knvt::Error &error) { heard = error; });
    }

    // Quits and answers how long the quit took.
    qint64 quit()
    {
        QElapsedTimer timer;
        timer.start();
        app->quit();
        return timer.elapsed();
    }

    void expectHeardTheSyncWasCancelled()
    {
        ASSERT_TRUE(heard.has_value()) << "whoever waited for the sync heard of its end";
        EXPECT_EQ(heard->domain(), QString::fromLatin1(KNVTTaskStoreErrorDomain));
        EXPECT_EQ(heard->code(), KNVTTaskStoreCancelledErrorCode);
    }

    knvt::test::ScopedInMemoryKeychain keychain;
    knvt::test::FakeSyncService fake;
    std::unique_ptr<AppDriver> app;
    std::optional<knvt::Error> heard;
};

} // namespace

TEST_F(QuitWhileSyncingFeature, QuittingWhileTheServiceHoldsAReplyEndsWithinTwoSeconds)
{
    // The reply would only come after the quit has long given up on it.
    KNVTRequest::setDefaultTimeoutInterval(1000.0);
    accountReply().hold();
    ASSERT_NO_FATAL_FAILURE(launchAndSync());
    EXPECT_LT(quit(), 2500) << "the quit waited for the held reply";
    expectHeardTheSyncWasCancelled();
}

TEST_F(QuitWhileSyncingFeature, AReplyOnItsWayIsWaitedForAndTheSessionGoesNoFurther)
{
    accountReply().delay(300);
    ASSERT_NO_FATAL_FAILURE(launchAndSync());
    EXPECT_LT(quit(), 2000);
    expectHeardTheSyncWasCancelled();
    EXPECT_FALSE(app->store().isSyncing()) << "the session ended with the reply it waited for";
    EXPECT_EQ(fake.calls().join(", "), QByteArray("GET /account.json")) << "nothing was asked after the quit";
}
