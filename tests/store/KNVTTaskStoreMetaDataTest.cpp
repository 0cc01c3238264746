#include "TaskStoreTest.h"

#include "foundation/PropertyList.h"

namespace {

const QStringList kSyncSettings = {QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification)};

QVariantMap readSyncMetaData(const QString &path)
{
    knvt::Error error;
    const QVariant root = knvt::PropertyList::readFile(path, &error);
    EXPECT_TRUE(error.isNull()) << qPrintable(error.description());
    return root.toMap().value("SyncMetaData").toMap();
}

} // namespace

class TaskStoreMetaDataTest : public TaskStoreTest
{
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(libraryPath()));
    }

    void writeMetaData(const QVariantMap &root) { ASSERT_TRUE(knvt::PropertyList::writeFile(metaDataPath(), root)); }
};

TEST_F(TaskStoreMetaDataTest, AFreshLibraryShowsTheDefaultsWithoutWritingThem)
{
    KNVTTaskStore &s = store();
    knvt::test::NotificationRecorder recorder(kSyncSettings);
    EXPECT_FALSE(s.isAutoSyncEnabled());
    EXPECT_TRUE(s.isPushSyncingEnabled());
    EXPECT_EQ(s.autoSyncTimeInterval(), 900.0);
    EXPECT_FALSE(s.lastSuccessfullSyncDate().isValid());
    EXPECT_FALSE(s.lastCleanSyncDate().isValid());
    EXPECT_FALSE(s.authenticationFailureDate().isValid());
    EXPECT_TRUE(s.isAuthenticated());
    EXPECT_FALSE(s.resourcesLastModifiedDates().isValid());
    EXPECT_TRUE(s.resourceETags().isEmpty());
    EXPECT_TRUE(s.ETagForResource("tasks").isNull());
    EXPECT_FALSE(QFileInfo::exists(metaDataPath()));
    EXPECT_TRUE(recorder.names().isEmpty());
}

TEST_F(TaskStoreMetaDataTest, TheFirstWriteStoresTheDefaultsWithItInARealPropertyList)
{
    KNVTTaskStore &s = store();
    s.setResourceETags({{"tasks/inbox", "\"abc\""}, {"tags", "W/\"1\""}});

    QFile file(metaDataPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<!DOCTYPE plist")) << xml.constData();
    EXPECT_TRUE(xml.contains("<key>SyncMetaData</key>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<key>PushSyncEnabled</key>")) << xml.constData();

    const QVariantMap sync = readSyncMetaData(metaDataPath());
    EXPECT_EQ(sync.value("AutoSyncEnabled"), QVariant(false));
    EXPECT_EQ(sync.value("PushSyncEnabled"), QVariant(true));
    EXPECT_EQ(sync.value("AutoSyncTimeInterval").toDouble(), 900.0);
    EXPECT_EQ(sync.value("ResourceETags").toMap().value("tasks/inbox"), QVariant("\"abc\""));

    // Another store reads back what this one wrote.
    KNVTTaskStore &other = makeStore();
    EXPECT_EQ(other.ETagForResource("tasks/inbox"), "\"abc\"");
    EXPECT_EQ(other.ETagForResource("tags"), "W/\"1\"");
    EXPECT_TRUE(other.ETagForResource("friendships").isNull());
}

TEST_F(TaskStoreMetaDataTest, EachSettingRoundTripsThroughTheFile)
{
    KNVTTaskStore &s = store();
    const QDateTime synced(QDate(2015, 3, 1), QTime(8, 0, 1), QTimeZone::utc());
    const QDateTime full(QDate(2015, 2, 1), QTime(9, 30), QTimeZone::utc());
    s.setPushSyncingEnabled(false);
    s.setAutoSyncTimeInterval(1800);
    s.setLastSuccessfullSyncDate(synced);
    s.setLastCleanUpSyncDate(full);
    s.setAuthenticationFailureDate(full);

    KNVTTaskStore &other = makeStore();
    EXPECT_FALSE(other.isPushSyncingEnabled());
    EXPECT_EQ(other.autoSyncTimeInterval(), 1800.0);
    EXPECT_EQ(other.lastSuccessfullSyncDate(), synced);
    EXPECT_EQ(other.lastCleanSyncDate(), full);
    EXPECT_EQ(other.authenticationFailureDate(), startDate()) << "the failure is recorded as now, whatever the date";
    EXPECT_FALSE(other.isAuthenticated());
}

// Turning down the password window pauses automatic sync, also across a restart; the password verified again puts it
// back as it was before the refusal.
TEST_F(TaskStoreMetaDataTest, SigningInAgainPutsAutomaticSyncBackAsItWasBeforeThePause)
{
    for (const bool wasOn : {true, false}) {
        SCOPED_TRACE(wasOn);
        destroyStores();
        KNVTTaskStore &s = store();
        s.setAutoSyncEnabled(wasOn);
        s.setAuthenticationFailureDate(startDate());
        s.pauseSyncUntilSignedInAgain();
        EXPECT_FALSE(s.isAutoSyncEnabled());

        KNVTTaskStore &restarted = makeStore();
        EXPECT_FALSE(restarted.isAutoSyncEnabled());
        restarted.resumeSyncAfterSigningInAgain();
        EXPECT_TRUE(restarted.isAuthenticated());
        EXPECT_EQ(restarted.isAutoSyncEnabled(), wasOn);
        restarted.setAutoSyncEnabled(false);
        restarted.resumeSyncAfterSigningInAgain();
        EXPECT_FALSE(restarted.isAutoSyncEnabled()) << "the pause is over once signed in again";
    }
}

TEST_F(TaskStoreMetaDataTest, SettingsPostTheSyncSettingsNotificationAndBookkeepingDoesNot)
{
    KNVTTaskStore &s = store();
    knvt::test::NotificationRecorder recorder(kSyncSettings);
    s.setLastSuccessfullSyncDate(startDate());
    s.setLastCleanUpSyncDate(startDate());
    EXPECT_TRUE(recorder.names().isEmpty());

    s.setAutoSyncEnabled(false);
    s.setPushSyncingEnabled(true);
    s.setAutoSyncTimeInterval(600);
    s.setAuthenticationFailureDate(startDate());
    s.resetAuthenticationFailureDate();
    s.setResourcesLastModifiedDates(QVariant());
    s.setResourceETags({{"tags", "1"}});
    s.removeResourceETags();
    EXPECT_EQ(recorder.names().size(), 8);
    for (const knvt::Notification &n : recorder.notifications())
        EXPECT_EQ(n.object, &s);

    EXPECT_TRUE(s.isAuthenticated());
    EXPECT_FALSE(readSyncMetaData(metaDataPath()).contains("LastSyncAuthenticationFailureDate"));
    EXPECT_FALSE(readSyncMetaData(metaDataPath()).contains("ResourceETags"));
}

TEST_F(TaskStoreMetaDataTest, AnIntervalBelowTheFloorBecomesNineHundredWhenRead)
{
    KNVTTaskStore &s = store();
    s.setAutoSyncTimeInterval(120);
    EXPECT_EQ(readSyncMetaData(metaDataPath()).value("AutoSyncTimeInterval").toDouble(), 120.0)
        << "the writer stores what it is given";

    knvt::test::NotificationRecorder recorder(kSyncSettings);
    EXPECT_EQ(s.autoSyncTimeInterval(), 900.0);
    EXPECT_EQ(recorder.names().size(), 1);
    EXPECT_EQ(readSyncMetaData(metaDataPath()).value("AutoSyncTimeInterval").toDouble(), 900.0);

    recorder.clear();
    s.setAutoSyncTimeInterval(300);
    recorder.clear();
    EXPECT_EQ(s.autoSyncTimeInterval(), 300.0);
    s.setAutoSyncTimeInterval(299);
    recorder.clear();
    EXPECT_EQ(s.autoSyncTimeInterval(), 900.0);
    EXPECT_EQ(recorder.names().size(), 1);

    s.setAutoSyncTimeInterval(600.1);
    EXPECT_EQ(s.autoSyncTimeInterval(), double(600.1f)) << "read at single precision";
}

TEST_F(TaskStoreMetaDataTest, AnIntervalThatIsNoNumberBecomesNineHundred)
{
    writeMetaData({{"SyncMetaData", QVariantMap{{"AutoSyncTimeInterval", "3600"}}}});
    KNVTTaskStore &s = store();
    EXPECT_EQ(s.autoSyncTimeInterval(), 900.0);
    EXPECT_EQ(readSyncMetaData(metaDataPath()).value("AutoSyncTimeInterval").toDouble(), 900.0);
}

TEST_F(TaskStoreMetaDataTest, AnEntryWithoutAKeyGivesNoDefaultForIt)
{
    writeMetaData({{"SyncMetaData", QVariantMap{{"AutoSyncEnabled", true}}}, {"Other", "kept"}});
    KNVTTaskStore &s = store();
    EXPECT_TRUE(s.isAutoSyncEnabled());
    EXPECT_FALSE(s.isPushSyncingEnabled()) << "a missing boolean reads NO once the entry exists";

    s.setLastSuccessfullSyncDate(startDate());
    knvt::Error error;
    const QVariantMap root = knvt::PropertyList::readFile(metaDataPath(), &error).toMap();
    EXPECT_EQ(root.value("Other"), QVariant("kept")) << "entries beside SyncMetaData survive a write";
    EXPECT_FALSE(root.value("SyncMetaData").toMap().contains("PushSyncEnabled"));
}

TEST_F(TaskStoreMetaDataTest, AnUnreadableFileReadsAsDefaults)
{
    QFile file(metaDataPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<plist><dict><key>SyncMetaData</key>");
    file.close();
    KNVTTaskStore &s = store();
    EXPECT_TRUE(s.isPushSyncingEnabled());
    EXPECT_EQ(s.autoSyncTimeInterval(), 900.0);
    s.setAutoSyncEnabled(true);
    EXPECT_TRUE(readSyncMetaData(metaDataPath()).value("AutoSyncEnabled").toBool());
}

TEST_F(TaskStoreMetaDataTest, AFailedWriteKeepsTheValuesForTheProcess)
{
    KNVTTaskStore &s = store();
    ASSERT_TRUE(QDir(libraryPath()).removeRecursively());
    s.setAutoSyncTimeInterval(1200);
    EXPECT_FALSE(QFileInfo::exists(metaDataPath()));
    EXPECT_EQ(s.autoSyncTimeInterval(), 1200.0);
}

TEST_F(TaskStoreMetaDataTest, SignOutTakesTheSettingsWithTheLibrary)
{
    KNVTTaskStore &s = store();
    ASSERT_NE(s.managedObjectContext(), nullptr);
    s.setPushSyncingEnabled(false);
    s.setResourceETags({{"tags", "1"}});
    s.unconfigureAccount();
    EXPECT_TRUE(s.isPushSyncingEnabled());
    EXPECT_TRUE(s.resourceETags().isEmpty());
}
