#pragma once

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRequest.h"

#include "foundation/KNVTGenericKeychainItem.h"
#include "foundation/Timing.h"
#include "support/FakeReachability.h"

#include "store/TaskStoreTest.h"
#include "support/FakeSyncService.h"
#include "support/NotificationRecorder.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/ScopedSyncServiceClient.h"
#include "support/WaitUntil.h"

#include <QLockFile>

using knvt::test::FakeSyncService;
using knvt::test::NotificationRecorder;
using knvt::test::waitUntil;

class CountingStoreDelegate final : public KNVTTaskStoreDelegate
{
public:
    void taskStoreDidFailToOpenPersistentStoreWithError(KNVTTaskStore *, const knvt::Error &) override {}
    void taskStoreDidFailToAuthenticate(KNVTTaskStore *) override { ++authenticationFailures; }
    void taskStoreRequiresNewerAPIVersion(KNVTTaskStore *) override { ++newerVersionNotices; }

    int authenticationFailures = 0;
    int newerVersionNotices = 0;
};

inline constexpr double kScale = 0.004; // 10 s -> 40 ms, 300 s -> 1.2 s

// A configured store ("ann", user 42, account 7, password "secret1") on its own library, with a coordinator the test
// makes itself, so that it decides when the start-up happens.
class SyncCoordinatorTest : public TaskStoreTest
{
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        knvt::Timing::setScale(kScale);
        KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {},
                                                                QStringLiteral("secret1"));
        fake.enableState();

        store().setTaskStoreDelegate(&storeDelegate);
        KNVTCDTaskStoreInformation *information = store().taskStoreInformation();
        ASSERT_NE(information, nullptr);
        information->setUsername(QStringLiteral("ann"));
        information->setUserNumericIdentifier(42);
        information->setAccountNumericIdentifier(7);
        KNVTCDUser *me = store().me();
        me->setUsername(QStringLiteral("ann"));
        me->setNumericIdentifier(42);
        save();
        ASSERT_TRUE(store().isConfigured());
    }

    void TearDown() override
    {
        m_coordinator.reset();
        knvt::Timing::setScale(1.0);
        TaskStoreTest::TearDown();
    }

    // The sync settings as a user left them, written without telling anyone.
    void setSyncSettings(bool autoSync, bool push = false, double interval = 300)
    {
        QVariantMap settings = store().syncMetaData();
        settings.insert(QStringLiteral("AutoSyncEnabled"), autoSync);
        settings.insert(QStringLiteral("PushSyncEnabled"), push);
        settings.insert(QStringLiteral("AutoSyncTimeInterval"), interval);
        store().setSyncMetaData(settings);
    }

    KNVTTaskStoreSyncCoordinator &startCoordinator()
    {
        m_coordinator = std::make_unique<KNVTTaskStoreSyncCoordinator>(store());
        m_coordinator->setTaskStoreSyncCoordinatorDelegate(&store());
        return *m_coordinator;
    }
    KNVTTaskStoreSyncCoordinator &coordinator() { return *m_coordinator; }

    bool idle() const { return !m_coordinator->isSyncing() && m_coordinator->numberOfPendingSyncSessions() == 0; }
    bool waitForIdle()
    {
        return waitUntil([this] { return idle(); }, std::chrono::seconds(10));
    }
    // Lets scaled time pass while the event loop runs.
    static void spin(std::chrono::milliseconds duration)
    {
        waitUntil([] { return false; }, duration);
    }
    // One full interval of the full-sync timer and a margin.
    static std::chrono::milliseconds interval() { return std::chrono::milliseconds(knvt::Timing::ms(300)) * 3 / 2; }

    int sessionStarts() const
    {
        int starts = 0;
        for (const knvt::Notification &notification : m_recorder.notifications())
            starts += notification.name == QLatin1String(KNVTTaskStoreWillStartSyncingNotification);
        return starts;
    }

    knvt::test::ScopedInMemoryKeychain keychain;
    FakeSyncService fake;
    // A send may wait for its reply a few seconds of real time whatever the scale.
    knvt::test::ScopedSyncServiceClient client{fake, 5.0 / kScale};
    knvt::FakeReachability network;
    CountingStoreDelegate storeDelegate;
    NotificationRecorder m_recorder{{QString::fromLatin1(KNVTTaskStoreWillStartSyncingNotification),
                                     QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification),
                                     QString::fromLatin1(KNVTTaskStoreDidSyncNotification)}};

private:
    std::unique_ptr<KNVTTaskStoreSyncCoordinator> m_coordinator;
};
