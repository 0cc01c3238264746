// The store as its coordinator's delegate: the dates and entity tags it records at a session's end, what it posts,
// and when waiting sync handlers are called. A scripted coordinator stands in for the real one.
#include "TaskStoreTest.h"

#include "support/NotificationRecorder.h"

#include <functional>

namespace {

struct ScriptedCoordinatorState
{
    int startRequests = 0;
    qsizetype pending = 0;
};

class ScriptedCoordinator final : public KNVTTaskStoreSyncCoordinating
{
public:
    explicit ScriptedCoordinator(ScriptedCoordinatorState &state) : m_state(state) {}
    bool isSyncing() const override { return false; }
    void startSyncSessionIfRequired() override { ++m_state.startRequests; }
    void cancelSyncSessions() override {}
    qsizetype pendingSyncSessionsCount() const override { return m_state.pending; }
    void setTaskStoreSyncCoordinatorDelegate(KNVTTaskStoreSyncCoordinatorDelegate *) override {}

private:
    ScriptedCoordinatorState &m_state;
};

// Records the order in which the store tells its delegate and records the failure date.
class OrderRecordingDelegate final : public KNVTTaskStoreDelegate
{
public:
    explicit OrderRecordingDelegate(KNVTTaskStore &store) : m_store(store) {}
    void taskStoreDidFailToOpenPersistentStoreWithError(KNVTTaskStore *, const knvt::Error &) override {}
    void taskStoreDidFailToAuthenticate(KNVTTaskStore *) override
    {
        ++authenticationFailures;
        dateRecordedBeforeDelegate = m_store.authenticationFailureDate().isValid();
    }
    void taskStoreRequiresNewerAPIVersion(KNVTTaskStore *) override
    {
        ++newerVersionNotices;
        autoSyncWhenTold = m_store.isAutoSyncEnabled();
    }

    int authenticationFailures = 0;
    int newerVersionNotices = 0;
    bool dateRecordedBeforeDelegate = true;
    bool autoSyncWhenTold = false;

private:
    KNVTTaskStore &m_store;
};

} // namespace

class TaskStoreSyncEntryTest : public TaskStoreTest
{
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        KNVTTaskStoreSyncCoordinating::setFactory(
            [this](KNVTTaskStore &) { return std::make_unique<ScriptedCoordinator>(coordinatorState); });
        ASSERT_NE(store().managedObjectContext(), nullptr);
        ASSERT_NE(store().syncCoordinator(), nullptr);
    }

    KNVTTaskStoreSyncCoordinating &coordinator() { return *store().syncCoordinator(); }

    void enableAutoSync()
    {
        QVariantMap settings = store().syncMetaData();
        settings.insert(QStringLiteral("AutoSyncEnabled"), true);
        store().setSyncMetaData(settings);
    }

    static KNVTTaskStoreSyncSessionInfo session(unsigned int type, bool useETags, QVariantMap tags = {})
    {
        KNVTTaskStoreSyncSessionInfo info;
        info.type = type;
        info.startDate = QDateTime(QDate(2015, 3, 4), QTime(9, 0), Qt::UTC);
        info.useETags = useETags;
        info.resourceETags = std::move(tags);
        return info;
    }

    static QStringList names(std::initializer_list<const char *> list)
    {
        QStringList out;
        for (const char *name : list)
            out << QString::fromLatin1(name);
        return out;
    }

    ScriptedCoordinatorState coordinatorState;
    knvt::test::NotificationRecorder recorder{
        names({KNVTTaskStoreWillStartSyncingNotification, KNVTTaskStoreDidStartSyncingNotification,
               KNVTTaskStoreDidFinishSyncingNotification, KNVTTaskStoreDidSyncNotification,
               KNVTTaskStoreSyncSettingsDidChangeNotification})};
};

TEST_F(TaskStoreSyncEntryTest, WithoutAutomaticSyncNothingIsAskedAndTheHandlerIsDropped)
{
    int calls = 0;
    EXPECT_FALSE(store().syncWithCompletionHandler([&calls](const knvt::Error &) { ++calls; }));
    EXPECT_EQ(coordinatorState.startRequests, 0);
    store().taskStoreSyncCoordinatorDidFinishSyncSession(coordinator(), session(1, true));
    EXPECT_EQ(calls, 0);
}

TEST_F(TaskStoreSyncEntryTest, AFinishedRegularSessionRecordsItsStartAndMergesItsTagsKeyByKey)
{
    store().setResourceETags({{QStringLiteral("tags"), QStringLiteral("\"t-1\"")},
                              {QStringLiteral("task_lists"), QStringLiteral("\"l-1\"")}});
    recorder.clear();

    store().taskStoreSyncCoordinatorDidFinishSyncSession(
        coordinator(), session(1, true, {{QStringLiteral("tags"), QStringLiteral("\"t-2\"")}}));

    EXPECT_EQ(store().lastSuccessfullSyncDate(), session(1, true).startDate);
    EXPECT_FALSE(store().lastCleanSyncDate().isValid());
    const QVariantMap tags = store().resourceETags();
    EXPECT_EQ(tags.value(QStringLiteral("tags")).toString(), QStringLiteral("\"t-2\""));
    EXPECT_EQ(tags.value(QStringLiteral("task_lists")).toString(), QStringLiteral("\"l-1\""));
    EXPECT_EQ(recorder.names(),
              names({KNVTTaskStoreSyncSettingsDidChangeNotification, KNVTTaskStoreDidFinishSyncingNotification,
                     KNVTTaskStoreDidSyncNotification}));
}

TEST_F(TaskStoreSyncEntryTest, AFullSessionAlsoRecordsTheFullSyncDateAndAPushOnlySessionNoDate)
{
    store().taskStoreSyncCoordinatorDidFinishSyncSession(coordinator(), session(1, false));
    EXPECT_EQ(store().lastCleanSyncDate(), session(1, false).startDate);

    const QDateTime before = store().lastSuccessfullSyncDate();
    KNVTTaskStoreSyncSessionInfo push = session(2, false);
    push.startDate = push.startDate.addSecs(600);
    recorder.clear();
    store().taskStoreSyncCoordinatorDidFinishSyncSession(coordinator(), push);
    EXPECT_EQ(store().lastSuccessfullSyncDate(), before);
    // The tags are stored again even without new ones.
    EXPECT_EQ(recorder.names(),
              names({KNVTTaskStoreSyncSettingsDidChangeNotification, KNVTTaskStoreDidFinishSyncingNotification,
                     KNVTTaskStoreDidSyncNotification}));
}

TEST_F(TaskStoreSyncEntryTest, WaitingHandlersAreCalledOnceWhenNoSessionWaitsAnyMore)
{
    enableAutoSync();
    std::vector<int> calls;
    EXPECT_TRUE(store().syncWithCompletionHandler([&calls](const knvt::Error &error) {
        EXPECT_TRUE(error.isNull());
        calls.push_back(1);
    }));
    EXPECT_TRUE(store().syncWithCompletionHandler([&calls](const knvt::Error &) { calls.push_back(2); }));
    EXPECT_EQ(coordinatorState.startRequests, 2);

    coordinatorState.pending = 1;
    store().taskStoreSyncCoordinatorDidFinishSyncSession(coordinator(), session(1, true));
    EXPECT_TRUE(calls.empty());

    coordinatorState.pending = 0;
    store().taskStoreSyncCoordinatorDidFinishSyncSession(coordinator(), session(1, true));
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    store().taskStoreSyncCoordinatorDidFinishSyncSession(coordinator(), session(1, true));
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(TaskStoreSyncEntryTest, AFailureReachesTheHandlersOnlyWhenNothingWaitsAndACancelNever)
{
    enableAutoSync();
    knvt::Error received;
    int calls = 0;
    store().syncWithCompletionHandler([&](const knvt::Error &error) {
        received = error;
        ++calls;
    });
    const knvt::Error failure(QString::fromLatin1(knvt::CURLErrorDomain), 7);

    store().taskStoreSyncCoordinatorDidCancelSyncSession(coordinator(), session(1, true));
    EXPECT_EQ(calls, 0);
    // The failed session still waits to resume, so it counts as pending.
    coordinatorState.pending = 1;
    store().taskStoreSyncCoordinatorSyncSessionDidFailWithError(coordinator(), session(1, true), failure);
    EXPECT_EQ(calls, 0);
    coordinatorState.pending = 0;
    recorder.clear();
    store().taskStoreSyncCoordinatorSyncSessionDidFailWithError(coordinator(), session(1, true), failure);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(received, failure);
    EXPECT_FALSE(store().lastSuccessfullSyncDate().isValid());
    EXPECT_EQ(recorder.names(), names({KNVTTaskStoreDidFinishSyncingNotification}));
}

TEST_F(TaskStoreSyncEntryTest, SignOutAnswersWaitingHandlersOnceWithACancellation)
{
    enableAutoSync();
    std::vector<knvt::Error> received;
    store().syncWithCompletionHandler([&received](const knvt::Error &error) { received.push_back(error); });

    store().taskStoreSyncCoordinatorDidCancelSyncSessions(coordinator());
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].domain(), QLatin1String(KNVTTaskStoreErrorDomain));
    EXPECT_EQ(received[0].code(), KNVTTaskStoreCancelledErrorCode);
    EXPECT_NE(received[0].code(), 401);
    EXPECT_NE(received[0].code(), 410);

    coordinatorState.pending = 0;
    store().taskStoreSyncCoordinatorDidFinishSyncSession(coordinator(), session(1, true));
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(TaskStoreSyncEntryTest, StartsArePostedAndRefusalsAreReportedBeforeTheyAreRecorded)
{
    OrderRecordingDelegate delegate(store());
    store().setTaskStoreDelegate(&delegate);
    enableAutoSync();
    recorder.clear();

    store().taskStoreSyncCoordinatorWillStartSyncSession(coordinator(), session(1, true));
    store().taskStoreSyncCoordinatorDidStartSyncSession(coordinator(), session(1, true));
    EXPECT_EQ(recorder.names(),
              names({KNVTTaskStoreWillStartSyncingNotification, KNVTTaskStoreDidStartSyncingNotification}));

    store().taskStoreSyncCoordinatorDidFailAuthentication(coordinator());
    EXPECT_EQ(delegate.authenticationFailures, 1);
    EXPECT_FALSE(delegate.dateRecordedBeforeDelegate);
    EXPECT_TRUE(store().authenticationFailureDate().isValid());
    EXPECT_FALSE(store().isAuthenticated());

    store().taskStoreSyncCoordinatorDidFailAsNewerAPIVersionIsRequired(coordinator());
    EXPECT_EQ(delegate.newerVersionNotices, 1);
    EXPECT_TRUE(delegate.autoSyncWhenTold);
    EXPECT_FALSE(store().isAutoSyncEnabled());
    EXPECT_FALSE(store().sync());
    store().setTaskStoreDelegate(nullptr);
}

// Each step of an account's life leaves sync in one state, which every window reads; switching sync on while the
// service refuses the password asks for no sync, which would only send the refused password again.
TEST_F(TaskStoreSyncEntryTest, OneAccountStateSaysWhereSyncStandsAndSwitchingOnNeverSendsARefusedPassword)
{
    using knvt::SyncAccountState;
    struct Step
    {
        const char *step;
        std::function<void()> act;
        SyncAccountState state;
        int syncsAsked;
    };
    KNVTTaskStore &s = store();
    const Step steps[] = {
        {"nobody signed in", [] {}, SyncAccountState::NotSignedIn, 0},
        {"signed in",
         [&s] {
             KNVTCDTaskStoreInformation *information = s.taskStoreInformation();
             information->setUsername(QStringLiteral("ann"));
             information->setUserNumericIdentifier(42);
             information->setAccountNumericIdentifier(7);
         },
         SyncAccountState::SwitchedOff, 0},
        {"switched on", [&s] { s.setAutoSyncEnabled(true); }, SyncAccountState::On, 1},
        {"the password refused", [&] { s.taskStoreSyncCoordinatorDidFailAuthentication(coordinator()); },
         SyncAccountState::PasswordRefused, 0},
        {"the password window put away", [&s] { s.pauseSyncUntilSignedInAgain(); }, SyncAccountState::Paused, 0},
        {"switched off during the pause", [&s] { s.setAutoSyncEnabled(false); }, SyncAccountState::SwitchedOff, 0},
        {"switched on again", [&s] { s.setAutoSyncEnabled(true); }, SyncAccountState::Paused, 0},
        {"signed in again", [&s] { s.resumeSyncAfterSigningInAgain(); }, SyncAccountState::On, 1},
        {"this version refused", [&] { s.taskStoreSyncCoordinatorDidFailAsNewerAPIVersionIsRequired(coordinator()); },
         SyncAccountState::NewerVersionNeeded, 0},
        {"switched on after the refusal of the version", [&s] { s.setAutoSyncEnabled(true); }, SyncAccountState::On, 1},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.step);
        const int asked = coordinatorState.startRequests;
        step.act();
        EXPECT_EQ(s.syncAccountState(), step.state);
        EXPECT_EQ(coordinatorState.startRequests - asked, step.syncsAsked);
        EXPECT_EQ(s.isAutoSyncEnabled(),
                  step.state == SyncAccountState::On || step.state == SyncAccountState::PasswordRefused);
    }
}
