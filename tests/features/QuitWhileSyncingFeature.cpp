// Quitting while the sync service keeps the application waiting.

#include "AppDriver.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRequest.h"

#include "foundation/KNVTGenericKeychainItem.h"
#include "foundation/Timing.h"
#include "support/FakeSyncService.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

TEST(QuitWhileSyncingFeature, QuittingWhileTheServiceHoldsAReplyEndsWithinTwoSeconds)
{
    knvt::test::ScopedInMemoryKeychain keychain;
    knvt::test::FakeSyncService fake;
    KNVTSetSyncServiceAPIURLString(fake.baseURL());
    fake.enableState();
    fake.on("GET", "/account.json")
        .json(200, knvt::test::body(knvt::test::account(7, knvt::test::user(42, "ann"), 1)))
        .hold();
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
    knvt::Timing::setScale(0.01);

    {
        AppDriver app;
        KNVTTaskStore &store = app.store();
        KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {},
                                                                QStringLiteral("secret1"));
        KNVTCDTaskStoreInformation *information = store.taskStoreInformation();
        information->setUsername(QStringLiteral("ann"));
        information->setUserNumericIdentifier(42);
        information->setAccountNumericIdentifier(7);
        store.me()->setUsername(QStringLiteral("ann"));
        store.me()->setNumericIdentifier(42);
        app.saveGivens();
        app.launch();
        store.setAutoSyncEnabled(true);
        ASSERT_TRUE(knvt::test::waitUntil([&] { return fake.count("GET", "/account.json") > 0; }));
        ASSERT_TRUE(store.isSyncing());

        QElapsedTimer timer;
        timer.start();
        app.quit();
        EXPECT_LT(timer.elapsed(), 2500) << "the quit waited for the held reply";
    }
    fake.releaseAll();
    fake.stop();
    knvt::Timing::setScale(1.0);
    KNVTTaskStoreSyncCoordinating::setFactory({});
    KNVTSetSyncServiceAPIURLString(QString());
}
