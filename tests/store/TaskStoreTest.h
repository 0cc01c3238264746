#pragma once

#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreSyncCoordinating.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Where.h"

#include "foundation/Defaults.h"
#include "support/FakeSystemEvents.h"
#include "support/FakeWallClockAlarm.h"

#include "support/FakeClock.h"
#include "support/NotificationRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

// What a fake sync coordinator was asked, kept outside it so that a test can read it after the store dropped it.
struct FakeSyncCoordinatorLog
{
    int created = 0;
    int destroyed = 0;
    int startRequests = 0;
    int cancellations = 0;
    bool syncing = false;
    KNVTTaskStoreSyncCoordinatorDelegate *delegate = nullptr;
    bool contextExistedAtCreation = false;
    // What the coordinator does when the store asks it to save the session's work before its own save.
    std::function<void()> saveSession;
};

class FakeSyncCoordinator final : public KNVTTaskStoreSyncCoordinating
{
public:
    FakeSyncCoordinator(KNVTTaskStore &store, FakeSyncCoordinatorLog &log) : m_log(log)
    {
        ++m_log.created;
        // The real coordinator reads the store's context while it starts.
        m_log.contextExistedAtCreation = store.hasManagedObjectContext();
    }
    ~FakeSyncCoordinator() override { ++m_log.destroyed; }

    bool isSyncing() const override { return m_log.syncing; }
    void startSyncSessionIfRequired() override { ++m_log.startRequests; }
    void cancelSyncSessions() override { ++m_log.cancellations; }
    void saveSyncSessionChanges() override
    {
        if (m_log.saveSession)
            m_log.saveSession();
    }
    qsizetype pendingSyncSessionsCount() const override { return 0; }
    void setTaskStoreSyncCoordinatorDelegate(KNVTTaskStoreSyncCoordinatorDelegate *delegate) override
    {
        m_log.delegate = delegate;
    }

private:
    FakeSyncCoordinatorLog &m_log;
};

class RecordingTaskStoreDelegate final : public KNVTTaskStoreDelegate
{
public:
    void taskStoreDidFailToOpenPersistentStoreWithError(KNVTTaskStore *, const knvt::Error &error) override
    {
        openFailures.push_back(error);
    }
    void taskStoreDidFailToAuthenticate(KNVTTaskStore *) override {}
    void taskStoreRequiresNewerAPIVersion(KNVTTaskStore *) override {}

    std::vector<knvt::Error> openFailures;
};

// Stores on a library folder of their own, with a shared-suite file of their own, a fake midnight alarm, fake system
// events, a fixed clock (Wednesday 4 March 2015, 10:20:30 in New York) and a counting error presenter.
class TaskStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_suite = std::make_unique<knvt::Defaults>(m_dir.filePath(QStringLiteral("suite.json")));
    }
    void TearDown() override
    {
        m_stores.clear();
        KNVTTaskStoreSyncCoordinating::setFactory({});
        KNVTTaskStore::setConfiguredLibraryOpenedHandler(nullptr);
    }

    QString libraryPath() const
    {
        return m_dir.filePath(QStringLiteral("Library/") + KNVTTaskStore::kLibraryFolderName);
    }
    QString storeFilePath() const { return QDir(libraryPath()).filePath(KNVTTaskStore::kStoreFileName); }
    QString metaDataPath() const { return QDir(libraryPath()).filePath(KNVTTaskStore::kMetaDataFileName); }
    QString scratchPath(const QString &name) const { return m_dir.filePath(name); }

    // A new store; the first one made is `store()`.
    KNVTTaskStore &makeStore(const QString &path = {})
    {
        KNVTTaskStore::Environment environment;
        environment.libraryPath = path.isEmpty() ? libraryPath() : path;
        environment.containerUserDefaults = m_suite.get();
        auto alarm = std::make_unique<knvt::FakeWallClockAlarm>();
        auto events = std::make_unique<knvt::FakeSystemEvents>();
        m_alarms.push_back(alarm.get());
        m_events.push_back(events.get());
        environment.systemInformationAlarm = std::move(alarm);
        environment.systemEvents = std::move(events);
        environment.errorPresenter = [this](const knvt::Error &error, knvt::Opener opener) {
            m_presentedErrors.push_back(error);
            m_presentedOpeners.push_back(opener);
        };
        m_stores.push_back(std::make_unique<KNVTTaskStore>(std::move(environment)));
        return *m_stores.back();
    }
    KNVTTaskStore &store()
    {
        if (m_stores.empty())
            makeStore();
        return *m_stores.front();
    }
    void destroyStores()
    {
        m_stores.clear();
        m_alarms.clear();
        m_events.clear();
    }
    knvt::FakeWallClockAlarm &alarm(size_t index = 0) { return *m_alarms.at(index); }
    knvt::FakeSystemEvents &events(size_t index = 0) { return *m_events.at(index); }
    knvt::Defaults &suite() { return *m_suite; }
    const std::vector<knvt::Error> &presentedErrors() const { return m_presentedErrors; }
    // Who each presented error's alert was opened by.
    const std::vector<knvt::Opener> &presentedOpeners() const { return m_presentedOpeners; }

    // Every store made from now on gets a fake coordinator reporting into the returned log, which outlives the
    // stores.
    FakeSyncCoordinatorLog &registerFakeSyncCoordinator()
    {
        KNVTTaskStoreSyncCoordinating::setFactory(
            [this](KNVTTaskStore &store) { return std::make_unique<FakeSyncCoordinator>(store, m_syncLog); });
        return m_syncLog;
    }

    ostore::Context &context(KNVTTaskStore &s)
    {
        ostore::Context *c = s.managedObjectContext();
        EXPECT_NE(c, nullptr);
        return *c;
    }
    ostore::Context &context() { return context(store()); }
    void save(KNVTTaskStore &s)
    {
        knvt::Error error;
        ASSERT_TRUE(s.save(&error)) << qPrintable(error.description());
    }
    void save() { save(store()); }

    // The date of the last save that the library holds, as another process reads it.
    static QDateTime recordedSaveDate(KNVTTaskStore &s)
    {
        return s.persistentStoreCoordinator()->recordedDate(QString::fromLatin1(KNVTTaskStoreLastSavedDateKey));
    }

    template <class T>
    qsizetype count(KNVTTaskStore &s, const ostore::Predicate &predicate = {})
    {
        return context(s).count<T>(predicate);
    }

    // A user other than the local one.
    KNVTCDUser *insertUser(const QString &name, qint64 friendshipStatus = 3)
    {
        auto *user = context().insert<KNVTCDUser>();
        user->setFullName(name);
        user->setUsername(name.toLower());
        user->setFriendshipStatus(friendshipStatus);
        return user;
    }

    static QDateTime startDate() { return QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30)); }
    static QDateTime midnightAfter(const QDate &day) { return QDateTime(day.addDays(1), QTime(0, 0)); }

    knvt::test::FakeClock m_clock{startDate()};

private:
    FakeSyncCoordinatorLog m_syncLog;
    QTemporaryDir m_dir;
    std::unique_ptr<knvt::Defaults> m_suite;
    std::vector<knvt::FakeWallClockAlarm *> m_alarms;
    std::vector<knvt::FakeSystemEvents *> m_events;
    std::vector<std::unique_ptr<KNVTTaskStore>> m_stores;
    std::vector<knvt::Error> m_presentedErrors;
    std::vector<knvt::Opener> m_presentedOpeners;
};

inline QList<QUrl> urisIn(const knvt::Notification &notification, const char *key)
{
    return notification.userInfo.value(QString::fromLatin1(key)).value<QList<QUrl>>();
}
