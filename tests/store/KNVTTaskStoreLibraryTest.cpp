#include "TaskStoreTest.h"

#include "support/LogCapture.h"
#include "support/SyncFixtures.h"
#include "support/TestImages.h"

#include "foundation/PropertyList.h"

#include <QStandardPaths>

#include <sqlite3.h>

using namespace ostore::where;

namespace {

const QStringList kChangeNames = {QString::fromLatin1(KNVTTaskStoreWillChangeNotification),
                                  QString::fromLatin1(KNVTTaskStoreDidChangeNotification),
                                  QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification),
                                  QString::fromLatin1(KNVTTaskStoreDidUnconfigureAccountNotification)};

bool exec(const QString &file, const QStringList &statements)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK;
    for (const QString &statement : statements)
        ok = ok && sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// What version 4 of the model lacked: where each new object stands with the service.
QStringList withoutPushStates()
{
    QStringList statements;
    for (const char *table : {"KNVTCDFriendship", "KNVTCDTaskList", "KNVTCDTaskListCollaborator", "KNVTCDTask",
                              "KNVTCDTag", "KNVTCDTaggedTask", "KNVTCDTaskComment", "KNVTCDTaskWatcher"})
        statements << QStringLiteral("ALTER TABLE %1 DROP COLUMN pushState").arg(QLatin1String(table))
                   << QStringLiteral("ALTER TABLE %1 DROP COLUMN pushedAttributes").arg(QLatin1String(table));
    return statements;
}

} // namespace

using TaskStoreLibraryTest = TaskStoreTest;

TEST_F(TaskStoreLibraryTest, DefaultLibraryLivesInTheDataFolder)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_EQ(KNVTTaskStore::taskStoreLibraryPath(), data + "/Quillvane/Quillvane Library.quillvaneLibrary");
    EXPECT_EQ(KNVTTaskStore::taskStoreMetaDataURL().toLocalFile(),
              data + "/Quillvane/Quillvane Library.quillvaneLibrary/TaskStoreMetaData.plist");
    EXPECT_FALSE(KNVTTaskStore::exists());
}

TEST_F(TaskStoreLibraryTest, FirstRunCreatesTheLibraryAndSeedsInformationAndMe)
{
    KNVTTaskStore &s = store();
    EXPECT_FALSE(s.hasManagedObjectContext());
    EXPECT_FALSE(QFileInfo::exists(libraryPath())) << "nothing is built before the first access";
    EXPECT_EQ(s.libraryURL().toLocalFile(), libraryPath());

    knvt::test::NotificationRecorder recorder(kChangeNames);
    ASSERT_NE(s.managedObjectContext(), nullptr);
    EXPECT_TRUE(QFileInfo::exists(storeFilePath()));

    // The entity tags are cleared for a library that did not match the model (here: none at all), then the seed
    // is saved through the relay.
    ASSERT_EQ(recorder.names(),
              QStringList({"KNVTTaskStoreSyncSettingsDidChangeNotification", "KNVTTaskStoreWillChangeNotification",
                           "KNVTTaskStoreDidChangeNotification"}));
    for (const knvt::Notification &n : recorder.notifications())
        EXPECT_EQ(n.object, &s);
    const QList<QUrl> inserted = urisIn(recorder.notifications()[2], KNVTTaskStoreInsertedObjectsKey);

    KNVTCDTaskStoreInformation *information = s.taskStoreInformation();
    ASSERT_NE(information, nullptr);
    EXPECT_EQ(information->environmentType(), 4);
    EXPECT_EQ(information->createdDate(), startDate());
    EXPECT_EQ(information->modifiedDate(), startDate());
    KNVTCDUser *me = s.me();
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(me->fullName(), "Me");
    EXPECT_EQ(me->extendedDisplayName(), "Me");
    EXPECT_EQ(me->friendshipStatus(), 6);
    EXPECT_TRUE(s.isSetup());
    EXPECT_TRUE(s.isConfiguredWithCorrectEnvironmentType());
    EXPECT_FALSE(me->isInserted()) << "the seed is saved";
    EXPECT_TRUE(inserted.contains(information->uri()));
    EXPECT_TRUE(inserted.contains(me->uri()));

    // Seeding is no save of the user's: other processes are not told.
    EXPECT_FALSE(s.lastSaveDate().isValid());
    EXPECT_FALSE(recordedSaveDate(s).isValid());
}

TEST_F(TaskStoreLibraryTest, ReopeningAStoreSeedsNothingAndPostsNothing)
{
    context();
    destroyStores();

    knvt::test::NotificationRecorder recorder(kChangeNames);
    KNVTTaskStore &reopened = makeStore();
    ASSERT_NE(reopened.managedObjectContext(), nullptr);
    EXPECT_TRUE(recorder.names().isEmpty()) << recorder.names().join(", ").toStdString();
    EXPECT_EQ(count<KNVTCDTaskStoreInformation>(reopened), 1);
    EXPECT_EQ(count<KNVTCDUser>(reopened), 1);
    EXPECT_TRUE(reopened.isSetup());
}

TEST_F(TaskStoreLibraryTest, ANormalFirstStartAndReopeningPrintNothing)
{
    const knvt::test::LogCapture log;
    context();
    destroyStores();
    ASSERT_NE(makeStore().managedObjectContext(), nullptr);
    EXPECT_TRUE(log.lines().isEmpty()) << qPrintable(log.lines().join('\n'));
}

TEST_F(TaskStoreLibraryTest, ARecordOfAnotherEnvironmentGetsANewestRecordBesideIt)
{
    store().taskStoreInformation()->setEnvironmentType(5);
    save();
    destroyStores();

    KNVTTaskStore &reopened = makeStore();
    ASSERT_NE(reopened.managedObjectContext(), nullptr);
    EXPECT_EQ(count<KNVTCDTaskStoreInformation>(reopened), 2);
    EXPECT_EQ(count<KNVTCDUser>(reopened, key("friendshipStatus") == 6), 2);
    // The newest record answers, every time.
    EXPECT_EQ(reopened.taskStoreInformation()->environmentType(), 4);
    EXPECT_TRUE(reopened.isConfiguredWithCorrectEnvironmentType());
    destroyStores();
    EXPECT_TRUE(makeStore().isConfiguredWithCorrectEnvironmentType());
}

TEST_F(TaskStoreLibraryTest, AnUnbuildableLibraryPresentsItsErrorOnceUntilSignOut)
{
    // A folder cannot be made below a regular file, whoever runs the test.
    QFile blocker(scratchPath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    KNVTTaskStore &s = makeStore(scratchPath("blocker/Library"));

    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(s.managedObjectContext(), nullptr);
        EXPECT_EQ(s.taskWithTitle("t"), nullptr);
        EXPECT_EQ(s.me(), nullptr);
        EXPECT_FALSE(s.save());
    }
    ASSERT_EQ(presentedErrors().size(), 1u);
    const knvt::Error &error = presentedErrors().front();
    EXPECT_EQ(error.domain(), "KNVTTaskStoreErrorDomain");
    EXPECT_EQ(error.code(), 9999);
    EXPECT_EQ(error.userInfo().value("NSLocalizedDescription").toString(), "Failed to initialize the store");
    EXPECT_EQ(error.userInfo().value("NSLocalizedFailureReason").toString(),
              "There was an error building up the data file.");

    s.unconfigureAccount();
    EXPECT_EQ(s.managedObjectContext(), nullptr);
    EXPECT_EQ(presentedErrors().size(), 2u) << "a sign-out starts over";
}

TEST_F(TaskStoreLibraryTest, AFileTheEngineRefusesGoesToTheDelegateAndStaysUntouched)
{
    ASSERT_TRUE(QDir().mkpath(libraryPath()));
    QFile file(storeFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray garbage(8192, 'x');
    file.write(garbage);
    file.close();

    RecordingTaskStoreDelegate delegate;
    KNVTTaskStore &s = store();
    s.setTaskStoreDelegate(&delegate);
    EXPECT_EQ(s.managedObjectContext(), nullptr);
    EXPECT_EQ(s.managedObjectContext(), nullptr);
    ASSERT_EQ(delegate.openFailures.size(), 1u);
    EXPECT_EQ(delegate.openFailures.front().code(), 2) << "not a database";
    EXPECT_EQ(presentedErrors().size(), 1u);
    EXPECT_FALSE(s.hasPersistentStoreCoordinator());

    QFile after(storeFilePath());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), garbage);
}

TEST_F(TaskStoreLibraryTest, SettingTheLibraryURLDropsTheStackOnlyForAnotherPath)
{
    KNVTTaskStore &s = store();
    ostore::Context *first = s.managedObjectContext();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(s.doesLibraryDirectoryExist());

    s.setLibraryURL(QUrl::fromLocalFile(libraryPath()));
    EXPECT_EQ(s.managedObjectContext(), first);

    s.setLibraryURL(QUrl::fromLocalFile(scratchPath("elsewhere")));
    EXPECT_FALSE(s.hasManagedObjectContext());
    EXPECT_FALSE(s.hasPersistentStoreCoordinator());
    EXPECT_FALSE(s.doesLibraryDirectoryExist());
    // The stack still opens the store's own folder.
    ASSERT_NE(s.managedObjectContext(), nullptr);
    EXPECT_EQ(s.persistentStoreCoordinator()->path(), storeFilePath());
}

TEST_F(TaskStoreLibraryTest, SigningOutTwiceRemovesTheLibraryEachTimeAndKeepsTheMidnightRefresh)
{
    KNVTTaskStore &s = store();
    s.taskWithTitle("Before the first sign-out");
    save();
    const QUrl oldUri = s.me()->uri();

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(QFileInfo::exists(storeFilePath()));
        s.configureWithAccountAttributes(knvt::test::wire(
            knvt::test::unwrap(knvt::test::account(7, knvt::test::user(42, QStringLiteral("ann")), 1))));
        ASSERT_TRUE(s.isConfigured());
        knvt::test::NotificationRecorder recorder(kChangeNames);
        s.unconfigureAccount();

        EXPECT_FALSE(QFileInfo::exists(libraryPath()));
        EXPECT_FALSE(s.hasManagedObjectContext());
        EXPECT_TRUE(s.libraryURL().isEmpty());
        EXPECT_FALSE(s.doesLibraryDirectoryExist());
        ASSERT_EQ(recorder.names(), QStringList({"KNVTTaskStoreDidUnconfigureAccountNotification"}));
        EXPECT_EQ(recorder.notifications()[0].object, &s);
        EXPECT_TRUE(recorder.notifications()[0].userInfo.isEmpty());

        // The next access builds a fresh library in the same place.
        ASSERT_NE(s.managedObjectContext(), nullptr);
        EXPECT_TRUE(QFileInfo::exists(storeFilePath()));
        EXPECT_EQ(count<KNVTCDTask>(s), 0);
        EXPECT_TRUE(s.isSetup());
        EXPECT_FALSE(s.isConfigured());
        EXPECT_FALSE(s.persistentStoreCoordinator()->objectIDForURI(oldUri).has_value());
    }

    EXPECT_TRUE(s.hasSystemInformationTimer());
    EXPECT_EQ(alarm().fireDate(), midnightAfter(startDate().date()));
    knvt::test::NotificationRecorder recorder({"KNVTTaskStoreWillChangeNotification",
                                               "KNVTTaskStoreSystemInformationDidChangeNotification",
                                               "KNVTTaskStoreDidChangeNotification"});
    m_clock.setNow(midnightAfter(startDate().date()));
    ASSERT_TRUE(alarm().fire());
    EXPECT_EQ(recorder.names().size(), 3);
}

TEST_F(TaskStoreLibraryTest, SigningOutSwitchesSyncOffAndCancelsTheCoordinator)
{
    FakeSyncCoordinatorLog &log = registerFakeSyncCoordinator();
    KNVTTaskStore &s = store();
    ASSERT_NE(s.managedObjectContext(), nullptr);
    ASSERT_EQ(log.created, 1);
    EXPECT_TRUE(log.contextExistedAtCreation);
    EXPECT_EQ(log.delegate, static_cast<KNVTTaskStoreSyncCoordinatorDelegate *>(&s));
    s.setAutoSyncEnabled(true);

    knvt::test::NotificationRecorder recorder(kChangeNames);
    s.unconfigureAccount();
    EXPECT_EQ(recorder.names(),
              QStringList({"KNVTTaskStoreSyncSettingsDidChangeNotification",
                           "KNVTTaskStoreDidUnconfigureAccountNotification"}));
    EXPECT_EQ(log.cancellations, 1);
    EXPECT_EQ(log.destroyed, 1);
    EXPECT_EQ(s.syncCoordinator(), nullptr);
    EXPECT_FALSE(s.isAutoSyncEnabled()) << "the metadata went with the library";

    ASSERT_NE(s.managedObjectContext(), nullptr);
    EXPECT_EQ(log.created, 2) << "a fresh library gets a fresh coordinator";
}

TEST_F(TaskStoreLibraryTest, ObjectsOfASignedOutLibraryStayReadable)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *task = s.taskWithTitle("Kept by a window");
    save();
    s.unconfigureAccount();
    EXPECT_EQ(task->title(), "Kept by a window");
    EXPECT_EQ(task->context(), nullptr);
}

TEST_F(TaskStoreLibraryTest, WithoutACoordinatorFactoryTheStoreSyncsNothing)
{
    KNVTTaskStore &s = store();
    ASSERT_NE(s.managedObjectContext(), nullptr);
    EXPECT_EQ(s.syncCoordinator(), nullptr);
    EXPECT_FALSE(s.isSyncing());
    EXPECT_FALSE(s.sync()) << "automatic sync is off";
    s.setAutoSyncEnabled(true);
    EXPECT_TRUE(s.sync());
}

TEST_F(TaskStoreLibraryTest, SyncAsksTheCoordinatorOnlyWhileAutomaticSyncIsOn)
{
    FakeSyncCoordinatorLog &log = registerFakeSyncCoordinator();
    KNVTTaskStore &s = store();
    ASSERT_NE(s.managedObjectContext(), nullptr);

    int handled = 0;
    EXPECT_FALSE(s.syncWithCompletionHandler([&](const knvt::Error &) { ++handled; }));
    EXPECT_EQ(log.startRequests, 0);

    knvt::test::NotificationRecorder recorder({"KNVTTaskStoreSyncSettingsDidChangeNotification"});
    s.setAutoSyncEnabled(true);
    EXPECT_EQ(recorder.names().size(), 1);
    EXPECT_EQ(log.startRequests, 1) << "switching on asks for a sync";
    EXPECT_TRUE(s.sync());
    EXPECT_EQ(log.startRequests, 2);

    s.setAutoSyncEnabled(false);
    EXPECT_EQ(log.startRequests, 2) << "switching off asks for none";

    log.syncing = true;
    EXPECT_TRUE(s.isSyncing());
    EXPECT_EQ(handled, 0);
}

TEST_F(TaskStoreLibraryTest, ALibraryOfTheOlderModelIsMigratedAndItsDerivedValuesFilledIn)
{
    KNVTTaskStore &s = store();
    KNVTCDUser *user = insertUser("Daz Dorod");
    auto *avatar = context().insert<KNVTCDAvatar>();
    avatar->setUser(user);
    avatar->setData(knvt::test::pngBytes(Qt::red));
    s.setResourceETags({{"tags", "1"}});
    save();
    const QUrl userUri = user->uri();
    destroyStores();
    // The library as the previous version wrote it.
    ASSERT_TRUE(
        exec(storeFilePath(),
             withoutPushStates()
                 + QStringList{"ALTER TABLE KNVTCDUser DROP COLUMN initials",
                               "ALTER TABLE KNVTCDAvatar DROP COLUMN thumbnailData", "PRAGMA user_version = 3",
                               "UPDATE Z_METADATA SET value = '[\"3\"]' WHERE key = 'modelVersionIdentifiers'"}));

    knvt::test::NotificationRecorder recorder(kChangeNames);
    KNVTTaskStore &migrated = makeStore();
    ASSERT_NE(migrated.managedObjectContext(), nullptr);
    // The stored entity tags no longer describe this library; the fix-ups are not the user's changes.
    EXPECT_EQ(recorder.names(), QStringList({"KNVTTaskStoreSyncSettingsDidChangeNotification"}));
    EXPECT_TRUE(migrated.resourceETags().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(storeFilePath() + ".v3.backup")) << "the old file is kept";

    auto *reread = static_cast<KNVTCDUser *>(
        context(migrated).existingObject(*migrated.persistentStoreCoordinator()->objectIDForURI(userUri)));
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(reread->initials(), "DD");
    ASSERT_NE(reread->avatar(), nullptr);
    EXPECT_FALSE(reread->avatar()->thumbnailData().isEmpty());
    EXPECT_EQ(reread->avatar()->thumbnailImage().pixelColor(64, 64), QColor(Qt::red));
    EXPECT_FALSE(context(migrated).hasChanges()) << "the fix-ups are saved";
    EXPECT_EQ(count<KNVTCDTaskStoreInformation>(migrated), 1);
}

// A library of the version before keeps its objects, and a new object's standing with the service, kept from then on,
// outlives the process.
TEST_F(TaskStoreLibraryTest, ALibraryOfTheVersionBeforeKeepsItsTasksAndThenKeepsWhereANewTaskStandsWithTheService)
{
    KNVTCDTask *task = store().taskWithTitle(QStringLiteral("Plant roses"));
    save();
    const QUrl taskUri = task->uri();
    destroyStores();
    ASSERT_TRUE(
        exec(storeFilePath(),
             withoutPushStates()
                 + QStringList{"PRAGMA user_version = 4",
                               "UPDATE Z_METADATA SET value = '[\"4\"]' WHERE key = 'modelVersionIdentifiers'"}));

    KNVTTaskStore &migrated = makeStore();
    ASSERT_NE(migrated.managedObjectContext(), nullptr);
    EXPECT_TRUE(QFileInfo::exists(storeFilePath() + ".v4.backup")) << "the old file is kept";
    auto *reread = static_cast<KNVTCDTask *>(
        context(migrated).existingObject(*migrated.persistentStoreCoordinator()->objectIDForURI(taskUri)));
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(reread->title(), QStringLiteral("Plant roses"));
    EXPECT_EQ(reread->pushState(), KNVTCDTaskStoreObject::PushState::None);

    reread->setPushState(KNVTCDTaskStoreObject::PushState::Refused,
                         QStringLiteral(R"({"title":{"title":"Plant roses"}})"));
    ASSERT_TRUE(migrated.saveUserChanges());
    destroyStores();
    KNVTTaskStore &reopened = makeStore();
    auto *kept = static_cast<KNVTCDTask *>(
        context(reopened).existingObject(*reopened.persistentStoreCoordinator()->objectIDForURI(taskUri)));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->pushState(), KNVTCDTaskStoreObject::PushState::Refused);
    EXPECT_EQ(kept->pushedAttributes(), QStringLiteral(R"({"title":{"title":"Plant roses"}})"));
}
