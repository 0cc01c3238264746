// The coordinator against the fake service over real HTTP: when sessions start (start-up, timers, reachability,
// saves, on demand), that they run one at a time in order, and what the service's refusals (401, 410) leave behind.
// Timers run scaled down; the network is a fake one.
#include "SyncCoordinatorTest.h"

#include <QSet>
#include <QTimer>

// ---- Start-up -----------------------------------------------------------------------------------------------------

TEST_F(SyncCoordinatorTest, StartUpWithAutomaticSyncRunsOneFullSessionWithoutEntityTags)
{
    setSyncSettings(true);
    store().setResourceETags({{QStringLiteral("tags"), QStringLiteral("\"t-0\"")}});
    const QDateTime start = startDate().addSecs(60);
    m_clock.setNow(start);

    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tags.json"); }));
    ASSERT_TRUE(waitForIdle());

    EXPECT_EQ(sessionStarts(), 1);
    for (const FakeSyncService::Request &request : fake.requests())
        EXPECT_FALSE(request.hasHeader("If-None-Match")) << request.target.constData();
    EXPECT_EQ(store().lastSuccessfullSyncDate(), start);
    EXPECT_EQ(store().lastCleanSyncDate(), start);
    // The start-up session leaves the full-sync timer armed for the next regular session.
    EXPECT_TRUE(coordinator().hasFullSyncSessionTimer());
}

TEST_F(SyncCoordinatorTest, StartUpWithoutAutomaticSyncStartsNothingAndArmsNoTimer)
{
    setSyncSettings(false);
    startCoordinator();
    spin(std::chrono::milliseconds(100));

    EXPECT_TRUE(fake.requests().empty());
    EXPECT_FALSE(coordinator().isSyncing());
    EXPECT_FALSE(coordinator().hasFullSyncSessionTimer());
    EXPECT_FALSE(coordinator().hasPushSyncSessionTimer());
}

// ---- One session at a time, in order --------------------------------------------------------------------------------

TEST_F(SyncCoordinatorTest, SessionsRunOneAtATimeInTheOrderTheyWereAsked)
{
    setSyncSettings(true);
    fake.on("GET", "/account.json").hold();
    store().setResourceETags({{QStringLiteral("tags"), QStringLiteral("\"t-0\"")}});
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));

    // The full start-up session runs and the user changes something it may have pushed before: two requests add one
    // regular session, a third adds nothing.
    store().taskWithTitle(QStringLiteral("Written while it runs"));
    save();
    coordinator().startSyncSessionIfRequired();
    coordinator().startSyncSessionIfRequired();
    coordinator().startSyncSessionIfRequired();
    EXPECT_EQ(coordinator().numberOfPendingSyncSessions(), 1);
    ASSERT_EQ(coordinator().pendingSyncSessions().size(), 1u);
    EXPECT_TRUE(coordinator().pendingSyncSessions().front()->useETags());

    fake.on("GET", "/account.json").clear().pass();
    fake.release("GET", "/account.json");
    ASSERT_TRUE(
        waitUntil([this] { return fake.count("GET", "/account.json") == 2 && idle(); }, std::chrono::seconds(10)));

    // The second session began only after the first had sent its last pull, and only it sent the stored tag.
    const QList<QByteArray> calls = fake.calls();
    const qsizetype firstTags = calls.indexOf("GET /tags.json");
    const qsizetype secondAccount = calls.lastIndexOf("GET /account.json");
    EXPECT_LT(firstTags, secondAccount);
    const auto tagPulls = fake.requests("GET", "/tags.json");
    ASSERT_EQ(tagPulls.size(), 2u);
    EXPECT_FALSE(tagPulls[0].hasHeader("If-None-Match"));
    EXPECT_TRUE(tagPulls[1].hasHeader("If-None-Match"));
    EXPECT_EQ(sessionStarts(), 2);
}

TEST_F(SyncCoordinatorTest, CancellingEndsTheRunningSessionAndDropsTheWaitingOnes)
{
    setSyncSettings(false);
    fake.on("GET", "/account.json").hold();
    startCoordinator();
    coordinator().startSyncSession();
    coordinator().startSyncSession();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));

    coordinator().cancelSyncSessions();
    EXPECT_TRUE(coordinator().isSyncing());
    fake.release("GET", "/account.json");
    ASSERT_TRUE(waitForIdle());

    // The reply in flight was the last request sent; the cancel is reported as an end of syncing, not as a sync.
    EXPECT_EQ(fake.requests().size(), 1u);
    EXPECT_EQ(m_recorder.names(),
              QStringList({QString::fromLatin1(KNVTTaskStoreWillStartSyncingNotification),
                           QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification)}));
}

// A failed session waits at the head of the queue with a regular session behind it; every later request must still
// make one of them run. A request that a session about to run, or running with nothing saved since it started,
// already answers (a double click) runs no second sync.
TEST_F(SyncCoordinatorTest, AfterTwoFailuresARequestStillReachesTheServiceAndARepeatedRequestRunsOneSession)
{
    setSyncSettings(false);
    fake.on("GET", "/tags.json").drop();
    startCoordinator();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const int failures = m_recorder.names().count(QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification));
        coordinator().startSyncSessionIfRequired();
        ASSERT_TRUE(waitUntil(
            [&] {
                return m_recorder.names().count(QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification))
                    > failures;
            },
            std::chrono::seconds(10)));
    }
    ASSERT_EQ(coordinator().numberOfPendingSyncSessions(), 2);

    fake.on("GET", "/tags.json").clear().pass();
    fake.clearRequests();
    coordinator().startSyncSessionIfRequired();
    ASSERT_TRUE(waitUntil([this] { return fake.count("GET", "/tags.json") == 2 && idle(); }, std::chrono::seconds(10)))
        << "the failed session resumes and the one behind it runs";
    EXPECT_EQ(fake.calls().first(), "GET /tags.json");
    EXPECT_TRUE(store().lastSuccessfullSyncDate().isValid());

    // Two requests before the session starts, and two while it runs.
    const int starts = sessionStarts();
    fake.clearRequests();
    fake.on("GET", "/account.json").hold();
    coordinator().startSyncSessionIfRequired();
    coordinator().startSyncSessionIfRequired();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));
    coordinator().startSyncSessionIfRequired();
    EXPECT_EQ(coordinator().numberOfPendingSyncSessions(), 0);
    fake.on("GET", "/account.json").clear().pass();
    fake.release("GET", "/account.json");
    ASSERT_TRUE(waitForIdle());
    spin(std::chrono::milliseconds(knvt::Timing::ms(1)));
    EXPECT_EQ(sessionStarts(), starts + 1);
}

// ---- Timers -------------------------------------------------------------------------------------------------------

// Reachability arms the full-sync timer while the start-up session runs, the session's end arms it again and the user
// then switches automatic sync off: no countdown may survive to start a session.
TEST_F(SyncCoordinatorTest, ArmingTheFullSyncTimerAgainLeavesOneCountdownThatSwitchingOffStops)
{
    setSyncSettings(true);
    fake.on("GET", "/account.json").hold();
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));

    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    ASSERT_TRUE(waitUntil([this] { return coordinator().hasFullSyncSessionTimer(); }));

    fake.on("GET", "/account.json").clear().pass();
    fake.release("GET", "/account.json");
    ASSERT_TRUE(waitForIdle());
    EXPECT_TRUE(coordinator().hasFullSyncSessionTimer());

    store().setAutoSyncEnabled(false);
    EXPECT_FALSE(coordinator().hasFullSyncSessionTimer());
    const size_t requests = fake.requests().size();
    spin(interval() * 2);

    EXPECT_EQ(fake.requests().size(), requests);
    EXPECT_EQ(sessionStarts(), 1);
}

TEST_F(SyncCoordinatorTest, TheFullSyncTimerStartsARegularSessionWithEntityTags)
{
    setSyncSettings(true);
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tags.json"); }));
    ASSERT_TRUE(waitForIdle());
    ASSERT_TRUE(coordinator().hasFullSyncSessionTimer());

    ASSERT_TRUE(waitUntil([this] { return fake.count("GET", "/tags.json") == 2; }, std::chrono::seconds(10)));
    ASSERT_TRUE(waitForIdle());
    // The fake tags every list reply, so the timer's session sends what the start-up session stored.
    EXPECT_TRUE(fake.requests("GET", "/tags.json").back().hasHeader("If-None-Match"));
}

TEST_F(SyncCoordinatorTest, ReachabilityArmsTheTimerTenSecondsLaterOnlyWhenTheNetworkIsThere)
{
    setSyncSettings(false);
    startCoordinator();
    store().setAutoSyncTimeInterval(300); // any sync setting re-reads the settings; automatic sync stays off
    EXPECT_FALSE(coordinator().hasFullSyncSessionTimer());

    // With automatic sync off the interval is 0 and reachability arms nothing.
    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    spin(std::chrono::milliseconds(knvt::Timing::ms(10) * 4));
    EXPECT_FALSE(coordinator().hasFullSyncSessionTimer());

    QVariantMap settings = store().syncMetaData();
    settings.insert(QStringLiteral("AutoSyncEnabled"), true);
    store().setSyncMetaData(settings);
    coordinator().setEnabled(true);
    coordinator().setAutoSyncTimeInterval(300);
    network.setStatus(KNVTNetworkReachabilityStatusNotReachable);
    spin(std::chrono::milliseconds(knvt::Timing::ms(10) * 4));
    EXPECT_FALSE(coordinator().hasFullSyncSessionTimer());

    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    EXPECT_FALSE(coordinator().hasFullSyncSessionTimer());
    EXPECT_TRUE(waitUntil([this] { return coordinator().hasFullSyncSessionTimer(); }));
    EXPECT_TRUE(fake.requests().empty());
}

TEST_F(SyncCoordinatorTest, ABurstOfSavesPushesOnceAfterTheLastAndDeletionsAloneSchedulesNothing)
{
    // No full sync comes due while it runs, however long a busy machine makes it.
    setSyncSettings(true, true, 100000);
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tags.json"); }));
    ASSERT_TRUE(waitForIdle());
    fake.clearRequests();

    // A task nobody has pushed, then removed before any push: a save that only deletes.
    KNVTCDTask *doomed = store().taskWithTitle(QStringLiteral("Doomed"));
    coordinator().setAutomaticallyPushChanges(false);
    save();
    coordinator().setAutomaticallyPushChanges(true);
    ASSERT_TRUE(store().removeTask(doomed));
    save();
    spin(std::chrono::milliseconds(knvt::Timing::ms(0.1) * 20));
    EXPECT_FALSE(coordinator().hasPushSyncSessionTimer());

    // The burst runs with the program's own ten seconds from a save to its push: scaled down, a save that a busy
    // disk holds longer than the countdown would end it inside the burst.
    knvt::Timing::setScale(1.0);
    KNVTCDTask *task = store().taskWithTitle(QStringLiteral("Draft 0"));
    for (int i = 1; i <= 10; ++i) {
        task->setTitle(QStringLiteral("Draft %1").arg(i));
        save();
        spin(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("POST", "/tasks.json"); }, std::chrono::seconds(60)));
    ASSERT_TRUE(waitForIdle());
    EXPECT_FALSE(coordinator().hasPushSyncSessionTimer()) << "no countdown is left for a second push";

    // One push-only session: one create with the last title, no update after it, no pull.
    EXPECT_EQ(fake.count("POST", "/tasks.json"), 1);
    EXPECT_EQ(fake.lastRequest("POST", "/tasks.json")->json()["task"]["title"].toString(), QStringLiteral("Draft 10"));
    EXPECT_FALSE(fake.hasRequest("GET", "/account.json"));
    EXPECT_EQ(sessionStarts(), 2);
}

// ---- What the service's refusals leave behind -----------------------------------------------------------------------

TEST_F(SyncCoordinatorTest, ARefusedPasswordIsReportedOnceAndNothingAutomaticRetriesUntilANewOneIsSaved)
{
    setSyncSettings(true, true);
    fake.on("GET", "/task_lists/pending.json").json(401, "{}").pass();
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/task_lists/pending.json"); }));
    ASSERT_TRUE(waitUntil([this] { return !coordinator().isSyncing(); }));

    EXPECT_EQ(storeDelegate.authenticationFailures, 1);
    EXPECT_TRUE(store().authenticationFailureDate().isValid());
    EXPECT_FALSE(store().isAuthenticated());
    const QList<QByteArray> stopped = fake.calls();
    EXPECT_EQ(stopped.last(), "GET /task_lists/pending.json");

    // Timers, the network and saves send nothing while the failure is recorded.
    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    store().taskWithTitle(QStringLiteral("Offline edit"));
    save();
    spin(interval() * 2);
    EXPECT_EQ(fake.calls(), stopped);
    EXPECT_EQ(storeDelegate.authenticationFailures, 1);

    // Save in the failure window: the new password, the failure cleared, one sync.
    KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {})
        ->removeFromKeychain();
    KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {},
                                                            QStringLiteral("newpass2"));
    store().resetAuthenticationFailureDate();
    fake.clearRequests();
    ASSERT_TRUE(store().sync());
    ASSERT_TRUE(waitUntil([this] { return fake.count("GET", "/account.json") == 1; }, std::chrono::seconds(10)));
    ASSERT_TRUE(waitForIdle());

    // The refused session is not resumed: the one sync asked for sends the edit made meanwhile, then reads everything
    // once with the new credentials.
    const QList<QByteArray> calls = fake.calls();
    ASSERT_FALSE(calls.isEmpty());
    EXPECT_EQ(calls.first(), "POST /tasks.json");
    EXPECT_EQ(fake.requests().front().header("Authorization"), QByteArray("Basic YW5uOm5ld3Bhc3My"));
    EXPECT_LT(calls.indexOf("POST /tasks.json"), calls.indexOf("GET /account.json"));
    for (const char *pull : {"GET /friendships.json", "GET /task_lists/pending.json", "GET /tags.json"})
        EXPECT_EQ(calls.count(pull), 1) << pull;
    EXPECT_EQ(sessionStarts(), 2) << "the refused one and the one asked for";
}

TEST_F(SyncCoordinatorTest, ANewerInterfaceVersionSwitchesSyncOffUntilTheUserSwitchesItOnAgain)
{
    setSyncSettings(true, true);
    fake.on("GET", "/account.json").json(410, "{}").pass();
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }));
    ASSERT_TRUE(waitUntil([this] { return !coordinator().isSyncing(); }));

    EXPECT_EQ(storeDelegate.newerVersionNotices, 1);
    EXPECT_FALSE(store().isAutoSyncEnabled());
    EXPECT_FALSE(store().sync());
    EXPECT_FALSE(coordinator().hasFullSyncSessionTimer());

    network.setStatus(KNVTNetworkReachabilityStatusReachable);
    store().taskWithTitle(QStringLiteral("Offline edit"));
    save();
    spin(interval() * 2);
    EXPECT_EQ(fake.requests().size(), 1u);

    fake.clearRequests();
    store().setAutoSyncEnabled(true);
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tags.json"); }, std::chrono::seconds(10)));
    ASSERT_TRUE(waitForIdle());
    // The stopped session resumes at the refused request (its pushes are behind it), then the regular one follows.
    const QList<QByteArray> calls = fake.calls();
    ASSERT_FALSE(calls.isEmpty());
    EXPECT_EQ(calls.first(), "GET /account.json");
    EXPECT_EQ(fake.count("POST", "/tasks.json"), 1);
    EXPECT_TRUE(store().lastSuccessfullSyncDate().isValid());
}

TEST_F(SyncCoordinatorTest, ATransportFailureArmsTheTimerAndTheNextTriggerResumes)
{
    setSyncSettings(false);
    // Every attempt is dropped: libcurl sends again once when a kept-alive connection dies before the reply.
    fake.on("GET", "/tags.json").drop();
    startCoordinator();
    coordinator().setEnabled(true);
    coordinator().setAutoSyncTimeInterval(300);
    coordinator().startSyncSession();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tags.json") && !coordinator().isSyncing(); }));

    EXPECT_TRUE(coordinator().hasFullSyncSessionTimer());
    EXPECT_EQ(coordinator().numberOfPendingSyncSessions(), 1);
    EXPECT_FALSE(store().lastSuccessfullSyncDate().isValid());

    fake.on("GET", "/tags.json").clear().pass();
    fake.clearRequests();
    coordinator().startSyncSessionIfRequired();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/account.json"); }, std::chrono::seconds(10)));
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(fake.calls().first(), "GET /tags.json");
    EXPECT_TRUE(store().lastSuccessfullSyncDate().isValid());
}

// ---- Merging, the lock ------------------------------------------------------------------------------------------------

TEST_F(SyncCoordinatorTest, PulledObjectsReachTheMainContextWithChangeNotificationsButNoPushTimer)
{
    setSyncSettings(true, true);
    fake.seed("tasks",
              QJsonObject{{"title", "From elsewhere"}, {"status", "actionable"}, {"task_list_id", QJsonValue()}});
    NotificationRecorder changes({QString::fromLatin1(KNVTTaskStoreDidChangeNotification)});
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tasks/inbox.json"); }));
    ASSERT_TRUE(waitForIdle());

    const auto tasks =
        context().fetch<KNVTCDTask>(ostore::where::key(QStringLiteral("title")) == QStringLiteral("From elsewhere"));
    EXPECT_EQ(tasks.size(), 1u);
    EXPECT_FALSE(changes.notifications().empty());
    spin(std::chrono::milliseconds(knvt::Timing::ms(0.1) * 20));
    EXPECT_FALSE(coordinator().hasPushSyncSessionTimer());
}

TEST_F(SyncCoordinatorTest, AnUnreadableCollectionDropsItsStoredEntityTagSoTheNextPullFetchesItWhole)
{
    setSyncSettings(true);
    store().setResourceETags({{QStringLiteral("tags"), QStringLiteral("\"t-0\"")}});
    // A tag without the service's identifier cannot be matched with anything here; the reply's own tag must not be
    // kept either.
    fake.on("GET", "/tags.json").json(200, R"([{"tag": {"title": "errands"}}])").etag("\"t-1\"");
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tags.json"); }));
    ASSERT_TRUE(waitForIdle());

    EXPECT_TRUE(store().lastSuccessfullSyncDate().isValid());
    EXPECT_FALSE(store().resourceETags().contains(QStringLiteral("tags")));
}

TEST_F(SyncCoordinatorTest, OnlyTheProcessHoldingTheLibraryLockGetsACoordinator)
{
    std::unique_ptr<KNVTTaskStoreSyncCoordinator> first =
        KNVTTaskStoreSyncCoordinator::coordinatorForTaskStore(store());
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(QFile::exists(QDir(store().libraryPath()).filePath(KNVTTaskStoreSyncCoordinator::kSyncLockFileName)));

    // Another holder of the same file (here: this process's second look) is turned away while the first lives.
    EXPECT_EQ(KNVTTaskStoreSyncCoordinator::coordinatorForTaskStore(store()), nullptr);
    first.reset();
    EXPECT_NE(KNVTTaskStoreSyncCoordinator::coordinatorForTaskStore(store()), nullptr);
}

TEST_F(SyncCoordinatorTest, TheRegisteredFactoryGivesTheStoreItsCoordinator)
{
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
    KNVTTaskStore &other = makeStore(scratchPath(QStringLiteral("Other/") + KNVTTaskStore::kLibraryFolderName));
    ASSERT_NE(other.managedObjectContext(), nullptr);
    auto *made = dynamic_cast<KNVTTaskStoreSyncCoordinator *>(other.syncCoordinator());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(&made->taskStore(), &other);
    EXPECT_EQ(made->taskStoreSyncCoordinatorDelegate(), static_cast<KNVTTaskStoreSyncCoordinatorDelegate *>(&other));
}

// ---- Large pulls --------------------------------------------------------------------------------------------------

// A pull of thousands of tasks (of the Inbox, or of one project) is applied a slice at a time with the window
// answering in between, and saved a part at a time: titles the user saves meanwhile outlive the pulled copies and wait
// for their push, every pulled note arrives, and the lists have heard of all of it by the time the sync reports its
// end.
class SyncLargePullTest : public SyncCoordinatorTest, public ::testing::WithParamInterface<bool>
{};

TEST_P(SyncLargePullTest, TitlesSavedWhileItIsAppliedOutliveItAndTheListsHearOfItBeforeItsEnd)
{
    constexpr int kTasks = 2000;
    setSyncSettings(true, true);
    const QJsonValue project =
        GetParam() ? QJsonValue(fake.seed("task_lists", QJsonObject{{"title", "Big"}})) : QJsonValue(QJsonValue::Null);
    for (int i = 0; i < kTasks; ++i)
        fake.seed("tasks",
                  QJsonObject{{"title", QStringLiteral("Task %1").arg(i)},
                              {"status", "actionable"},
                              {"task_list_id", project}});
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("GET", "/tasks/inbox.json"); }));
    ASSERT_TRUE(waitForIdle());
    ASSERT_EQ(context().count<KNVTCDTask>(), kTasks);
    fake.clearRequests();
    for (const QJsonObject &task : fake.storedAll("tasks"))
        fake.update("tasks", task.value("id").toInteger(), {{"description", "Changed elsewhere"}});

    NotificationRecorder heard({QString::fromLatin1(KNVTTaskStoreDidChangeNotification),
                                QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification)});
    std::vector<KNVTCDTask *> tasks = context().fetch<KNVTCDTask>();
    std::vector<KNVTCDTask *> edited;
    // The user renames one task after another for as long as the sync runs, each saved at once.
    QTimer typing;
    typing.setInterval(0);
    QObject::connect(&typing, &QTimer::timeout, &typing, [&] {
        if (!coordinator().isSyncing() || edited.size() == tasks.size())
            return;
        KNVTCDTask *task = tasks[edited.size() * 37 % tasks.size()];
        task->setTitle(QStringLiteral("Renamed %1").arg(edited.size()));
        edited.push_back(task);
        store().saveUserChanges();
    });
    coordinator().startSyncSession();
    typing.start();
    // Thousands of tasks applied and a save at every pass between slices: under the address sanitizer on a busy
    // machine that takes well over the ten seconds an ordinary sync is given.
    ASSERT_TRUE(waitUntil([this] { return idle(); }, std::chrono::minutes(2)));
    typing.stop();
    ASSERT_FALSE(edited.empty());

    EXPECT_EQ(context().count<KNVTCDTask>(), kTasks) << "nothing pulled twice";
    if (GetParam()) {
        EXPECT_TRUE(fake.hasRequest("GET", "/task_lists/" + QByteArray::number(project.toInteger()) + ".json"));
    }
    for (size_t i = 0; i < edited.size(); ++i) {
        EXPECT_EQ(edited[i]->title(), QStringLiteral("Renamed %1").arg(i));
        EXPECT_TRUE(edited[i]->changedKeys().contains(QStringLiteral("title"))) << "waits for its push";
    }
    int pulled = 0;
    for (KNVTCDTask *task : tasks)
        pulled += task->notes() == QStringLiteral("Changed elsewhere") ? 1 : 0;
    EXPECT_EQ(pulled, kTasks);

    QSet<QUrl> updatedBeforeTheEnd;
    bool ended = false;
    for (const knvt::Notification &notification : heard.notifications()) {
        if (notification.name == QLatin1String(KNVTTaskStoreDidFinishSyncingNotification)) {
            ended = true;
            break;
        }
        const QList<QUrl> updated =
            notification.userInfo.value(QString::fromLatin1(KNVTTaskStoreUpdatedObjectsKey)).value<QList<QUrl>>();
        for (const QUrl &uri : updated)
            updatedBeforeTheEnd.insert(uri);
    }
    EXPECT_TRUE(ended);
    int told = 0;
    for (KNVTCDTask *task : tasks)
        told += updatedBeforeTheEnd.contains(task->uri()) ? 1 : 0;
    EXPECT_EQ(told, kTasks);
}

INSTANTIATE_TEST_SUITE_P(Places, SyncLargePullTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &place) {
                             return std::string(place.param ? "OfAProject" : "OfTheInbox");
                         });
