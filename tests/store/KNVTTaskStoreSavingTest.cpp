#include "TaskStoreTest.h"

#include "foundation/Timing.h"

#include "support/DiskWaits.h"
#include "support/RefusedWrites.h"
#include "support/ScopedTimeZone.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <functional>

using namespace ostore::where;

namespace {

const QStringList kStoreChanges = {QString::fromLatin1(KNVTTaskStoreWillChangeNotification),
                                   QString::fromLatin1(KNVTTaskStoreSystemInformationDidChangeNotification),
                                   QString::fromLatin1(KNVTTaskStoreDidChangeNotification)};
const QStringList kWillDid = {QString::fromLatin1(KNVTTaskStoreWillChangeNotification),
                              QString::fromLatin1(KNVTTaskStoreDidChangeNotification)};

class ScopedTimerScale
{
public:
    explicit ScopedTimerScale(double scale) { knvt::Timing::setScale(scale); }
    ~ScopedTimerScale() { knvt::Timing::setScale(0); }
};

} // namespace

using TaskStoreSavingTest = TaskStoreTest;

TEST_F(TaskStoreSavingTest, ASaveIsRelayedAsWillChangeAndDidChangeWithTheChangedObjects)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *kept = s.taskWithTitle("Kept");
    KNVTCDTask *removed = s.taskWithTitle("Removed");
    save();

    knvt::test::NotificationRecorder recorder(kWillDid);
    KNVTCDTask *added = s.taskWithTitle("Added");
    kept->setTitle("Kept, renamed");
    context().remove(removed);
    m_clock.advance(60);
    save();

    ASSERT_EQ(recorder.names(), kWillDid);
    const knvt::Notification &will = recorder.notifications()[0];
    const knvt::Notification &did = recorder.notifications()[1];
    EXPECT_EQ(will.object, &s);
    EXPECT_TRUE(will.userInfo.isEmpty());
    EXPECT_EQ(did.object, &s);
    EXPECT_EQ(urisIn(did, KNVTTaskStoreInsertedObjectsKey), QList<QUrl>({added->uri()}));
    EXPECT_EQ(urisIn(did, KNVTTaskStoreUpdatedObjectsKey), QList<QUrl>({kept->uri()}));
    EXPECT_EQ(urisIn(did, KNVTTaskStoreDeletedObjectsKey), QList<QUrl>({removed->uri()}));

    // Other processes learn the date of the save from the library, where it was committed with the rows.
    EXPECT_EQ(s.lastSaveDate(), startDate().addSecs(60));
    EXPECT_EQ(recordedSaveDate(s), startDate().addSecs(60));
}

// A save that finds nothing to save writes nothing: no date for others to read, no signal, no wait for the disk (the
// table below counts them).
TEST_F(TaskStoreSavingTest, ASaveWithNothingToSaveWritesNothingAndTellsNobody)
{
    KNVTTaskStore &s = store();
    s.taskWithTitle("Paint");
    save();
    KNVTTaskStore &other = makeStore();
    context(other);
    m_clock.advance(60);
    knvt::test::NotificationRecorder recorder(kWillDid);
    EXPECT_TRUE(s.save());
    EXPECT_TRUE(recorder.names().isEmpty());
    EXPECT_EQ(s.lastSaveDate(), startDate());
    EXPECT_EQ(recordedSaveDate(s), startDate());
    EXPECT_FALSE(other.hasChangedExternally());
}

TEST_F(TaskStoreSavingTest, AFailedSaveReportsTheErrorAndTellsNobody)
{
    KNVTTaskStore &s = store();
    context();
    save();
    const QDateTime before = s.lastSaveDate();
    s.taskWithTitle("Never written");
    s.persistentStoreCoordinator()->close();
    m_clock.advance(60);

    knvt::Error error;
    EXPECT_FALSE(s.save(&error));
    EXPECT_EQ(error.code(), 16) << "the store is closed";
    EXPECT_EQ(s.lastSaveDate(), before);
    KNVTTaskStore &other = makeStore();
    ASSERT_NE(other.managedObjectContext(), nullptr);
    EXPECT_EQ(other.lastSaveDate(), before) << "the library holds the date of the last save that went through";
}

TEST_F(TaskStoreSavingTest, DeferredSavesRunLaterAndEachCallsItsHandler)
{
    KNVTTaskStore &s = store();
    context();
    s.taskWithTitle("Deferred");
    knvt::test::NotificationRecorder recorder(kWillDid);

    std::vector<QString> handled;
    s.saveWithCompletionHandler([&](const knvt::Error &error) { handled.push_back("first " + error.domain()); });
    s.saveWithCompletionHandler([&](const knvt::Error &error) { handled.push_back("second " + error.domain()); });
    EXPECT_TRUE(handled.empty()) << "nothing is saved before the next pass";
    EXPECT_TRUE(context().hasChanges());

    ASSERT_TRUE(QTest::qWaitFor([&] { return handled.size() == 2; }, 5000));
    EXPECT_EQ(handled, std::vector<QString>({"first ", "second "}));
    EXPECT_EQ(recorder.names(), kWillDid) << "the second found nothing to save";
    EXPECT_FALSE(context().hasChanges());
}

TEST_F(TaskStoreSavingTest, EditsMadeWhileASaveIsDeferredGoIntoThatOneSave)
{
    ScopedTimerScale fast(0.01);
    KNVTTaskStore &s = store();
    KNVTCDTask *task = s.taskWithTitle("Typing");
    save();

    knvt::test::NotificationRecorder recorder(kWillDid);
    bool saved = false;
    task->setTitle("Typing a");
    s.saveWithCompletionHandler([&](const knvt::Error &) { saved = true; }, 0.5);
    task->setTitle("Typing a title");
    task->setNotes("with notes");
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved; }, 5000));

    ASSERT_EQ(recorder.names(), kWillDid);
    EXPECT_EQ(urisIn(recorder.notifications()[1], KNVTTaskStoreUpdatedObjectsKey), QList<QUrl>({task->uri()}));
    EXPECT_FALSE(context().hasChanges());
    EXPECT_EQ(context().committedValues(task, {"title"}).value("title"), ostore::Value(QString("Typing a title")));
}

TEST_F(TaskStoreSavingTest, ASecondContextsMergeIsRelayedToo)
{
    KNVTTaskStore &s = store();
    context();
    ostore::Context session(s.persistentStoreCoordinator());
    auto *task = session.insert<KNVTCDTask>();
    task->setTitle("Pulled");
    ostore::ChangeSet saved;
    QObject::connect(&session, &ostore::Context::didSave, [&](const ostore::ChangeSet &c) { saved = c; });
    ASSERT_TRUE(session.save());

    knvt::test::NotificationRecorder recorder(kWillDid);
    context().mergeChanges(saved, ostore::ChangeOrigin::Merge);
    ASSERT_EQ(recorder.names(), kWillDid);
    EXPECT_EQ(urisIn(recorder.notifications()[1], KNVTTaskStoreInsertedObjectsKey), QList<QUrl>({task->uri()}));
    EXPECT_EQ(count<KNVTCDTask>(s, key("title") == QString("Pulled")), 1);
}

// Two stores on one library stand for two processes: each has its own engine connection, and they meet only
// through the library and the cross-process notification.
TEST_F(TaskStoreSavingTest, AnotherProcessesSaveRefreshesThisOneAndKeepsItsUnsavedEdits)
{
    KNVTTaskStore &a = store();
    KNVTCDTask *edited = a.taskWithTitle("Edited here");
    KNVTCDTask *other = a.taskWithTitle("Saved there");
    save(a);
    const QUrl editedUri = edited->uri();
    const QUrl otherUri = other->uri();

    KNVTTaskStore &b = makeStore();
    ASSERT_NE(b.managedObjectContext(), nullptr);
    EXPECT_EQ(b.lastSaveDate(), startDate()) << "read from the library as it opened";

    // An editor's deferred save has not run yet.
    edited->setTitle("Edited here, not saved yet");

    knvt::test::NotificationRecorder recorder(kWillDid);
    auto *there =
        static_cast<KNVTCDTask *>(context(b).existingObject(*b.persistentStoreCoordinator()->objectIDForURI(otherUri)));
    ASSERT_NE(there, nullptr);
    there->setTitle("Saved there, renamed");
    m_clock.advance(30);
    save(b);

    // b's own relay, then a's refresh once the notification arrives.
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.notifications().size() >= 4; }, 5000));
    QTest::qWait(200); // nothing more may follow: b does not refresh from its own save
    ASSERT_EQ(recorder.notifications().size(), 4u) << recorder.names().join(", ").toStdString();
    EXPECT_EQ(recorder.notifications()[2].name, "KNVTTaskStoreWillChangeNotification");
    EXPECT_EQ(recorder.notifications()[2].object, &a);
    EXPECT_EQ(recorder.notifications()[3].name, "KNVTTaskStoreDidChangeNotification");
    EXPECT_EQ(recorder.notifications()[3].object, &a);
    EXPECT_EQ(urisIn(recorder.notifications()[3], KNVTTaskStoreUpdatedObjectsKey), QList<QUrl>({otherUri}));

    EXPECT_EQ(other->title(), "Saved there, renamed");
    EXPECT_EQ(edited->title(), "Edited here, not saved yet");
    EXPECT_EQ(a.lastSaveDate(), startDate().addSecs(30));
    EXPECT_FALSE(a.hasChangedExternally()) << "the same date again does nothing";

    // a's next save writes the edit it kept.
    m_clock.advance(30);
    save(a);
    destroyStores();
    KNVTTaskStore &reopened = makeStore();
    auto *stored = static_cast<KNVTCDTask *>(
        context(reopened).existingObject(*reopened.persistentStoreCoordinator()->objectIDForURI(editedUri)));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->title(), "Edited here, not saved yet");
    EXPECT_EQ(count<KNVTCDTask>(reopened, key("title") == QString("Saved there, renamed")), 1);
}

TEST_F(TaskStoreSavingTest, ARefreshWithNothingNewStillTellsTheLists)
{
    KNVTTaskStore &a = store();
    context(a);
    knvt::test::NotificationRecorder recorder(kWillDid);
    a.changedExternally();
    ASSERT_EQ(recorder.names(), kWillDid);
    EXPECT_EQ(recorder.notifications()[1].object, &a);
}

TEST_F(TaskStoreSavingTest, AStoreThatNeverSawASaveDateIgnoresOthers)
{
    KNVTTaskStore &a = store();
    context(a);
    KNVTTaskStore &b = makeStore();
    b.taskWithTitle("Saved there");
    save(b);
    EXPECT_FALSE(a.lastSaveDate().isValid());
    EXPECT_FALSE(a.hasChangedExternally());
    EXPECT_FALSE(b.hasChangedExternally()) << "its own save wrote the same date in both places";
}

// Whatever a user's save holds, it waits for the disk once, for the commit that holds the rows and the date other
// processes read, and with nothing to save not at all; the first save of a session too, the library's journal made
// ready while it opened, which waits for the disk not at all on the window's thread. The settings file is no part of
// it.
TEST_F(TaskStoreSavingTest, AUsersSaveWaitsForTheDiskOnceAndLeavesTheSettingsAlone)
{
    store().taskWithTitle("Paint");
    store().taskWithTitle("Sand");
    save();
    destroyStores(); // the last connection closed takes the journal with it
    ASSERT_FALSE(QFile::exists(storeFilePath() + "-wal"));

    KNVTTaskStore *opened = nullptr;
    {
        knvt::test::DiskWaits waits;
        opened = &makeStore();
        context(*opened);
        EXPECT_EQ(waits.count(), 0) << qPrintable(waits.files().join(", "));
    }
    QCoreApplication::processEvents(); // the window's event loop turns long before the first edit
    KNVTTaskStore &s = *opened;
    const auto saved = [this, &s](const char *title) {
        const std::vector<KNVTCDTask *> found = context(s).fetch<KNVTCDTask>(key("title") == QString(title));
        return found.empty() ? nullptr : found.front();
    };
    KNVTCDTask *task = saved("Paint");
    KNVTCDTask *done = saved("Sand");
    ASSERT_TRUE(task && done);

    const struct
    {
        const char *save;
        std::function<void()> change;
        int waits;
    } cases[] = {
        {"the session's first save", [&] { task->setTitle("Paint the gate"); }, 1},
        {"an edit", [&] { task->setTitle("Paint the fence"); }, 1},
        {"a new task and a deletion",
         [&] {
             s.taskWithTitle("Oil the gate");
             context().remove(done);
         },
         1},
        {"nothing to save", [] {}, 0},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.save);
        row.change();
        const QDateTime before = recordedSaveDate(s);
        m_clock.advance(60);
        knvt::test::DiskWaits waits;
        ASSERT_TRUE(s.saveUserChanges());
        EXPECT_EQ(waits.count(), row.waits) << qPrintable(waits.files().join(", "));
        EXPECT_EQ(recordedSaveDate(s), row.waits ? m_clock.now() : before);
    }
    EXPECT_FALSE(QFile::exists(suite().fileName())) << "no save wrote the settings";
}

// What a sync applied is saved before the user's changes, in a commit of its own; when the user changed nothing, the
// date goes alone after it, so that other processes still hear of what the sync saved.
TEST_F(TaskStoreSavingTest, ASaveOfOnlyWhatASyncAppliedRecordsItsDateAfterIt)
{
    FakeSyncCoordinatorLog &log = registerFakeSyncCoordinator();
    KNVTTaskStore &s = store();
    s.taskWithTitle("Paint");
    save();
    KNVTTaskStore &other = makeStore();
    context(other);
    ostore::Context session(s.persistentStoreCoordinator());
    log.saveSession = [&session] {
        session.insert<KNVTCDTask>()->setTitle("Pulled");
        EXPECT_TRUE(session.save());
    };
    m_clock.advance(60);
    knvt::test::DiskWaits waits;
    ASSERT_TRUE(s.saveUserChanges());
    EXPECT_EQ(waits.count(), 2) << "the sync's commit, then the date's";
    EXPECT_EQ(recordedSaveDate(s), m_clock.now());
    EXPECT_TRUE(other.hasChangedExternally());
}

// A library that older versions saved into holds no date: the one they kept in the settings stands for it until a
// save records one, and a save another process records there is seen.
TEST_F(TaskStoreSavingTest, ALibraryFromBeforeSavesRecordedTheirDateInItKeepsTheSettingsDateUntilASaveRecordsOne)
{
    context(store());
    destroyStores();
    const QDateTime kept = startDate().addSecs(-3600);
    suite().setValue(QString::fromLatin1(KNVTTaskStoreLastSavedDateKey), kept);
    ASSERT_TRUE(suite().synchronize());

    KNVTTaskStore &a = makeStore();
    context(a);
    EXPECT_EQ(a.lastSaveDate(), kept);
    EXPECT_FALSE(recordedSaveDate(a).isValid());
    EXPECT_FALSE(a.hasChangedExternally());

    KNVTTaskStore &b = makeStore();
    b.taskWithTitle("Saved there");
    save(b);
    ASSERT_TRUE(a.hasChangedExternally());
    a.changedExternally();
    EXPECT_EQ(a.lastSaveDate(), startDate());
    EXPECT_EQ(count<KNVTCDTask>(a, key("title") == QString("Saved there")), 1);
    EXPECT_EQ(suite().value(QString::fromLatin1(KNVTTaskStoreLastSavedDateKey)).toDateTime(), kept)
        << "the settings are left as the older version wrote them";
}

TEST_F(TaskStoreSavingTest, MidnightPostsTheThreeChangesAndRearmsForTheNextMidnight)
{
    KNVTTaskStore &s = store();
    EXPECT_TRUE(s.hasSystemInformationTimer());
    EXPECT_EQ(alarm().fireDate(), midnightAfter(startDate().date()));

    knvt::test::NotificationRecorder recorder(kStoreChanges);
    m_clock.setNow(midnightAfter(startDate().date()));
    ASSERT_TRUE(alarm().fire());
    ASSERT_EQ(recorder.names(), kStoreChanges);
    for (const knvt::Notification &n : recorder.notifications()) {
        EXPECT_EQ(n.object, &s);
        EXPECT_TRUE(n.userInfo.isEmpty());
    }
    EXPECT_TRUE(s.hasSystemInformationTimer());
    EXPECT_EQ(alarm().fireDate(), midnightAfter(startDate().date().addDays(1)));
}

TEST_F(TaskStoreSavingTest, ClockChangeAndWakePostTheThreeChangesAndRearm)
{
    KNVTTaskStore &s = store();
    knvt::test::NotificationRecorder recorder(kStoreChanges);

    m_clock.setNow(QDateTime(QDate(2015, 3, 10), QTime(9, 0)));
    events().changeClock();
    EXPECT_EQ(recorder.names(), kStoreChanges);
    EXPECT_EQ(alarm().fireDate(), midnightAfter(QDate(2015, 3, 10)));

    recorder.clear();
    m_clock.setNow(QDateTime(QDate(2015, 3, 12), QTime(23, 59)));
    events().wake();
    EXPECT_EQ(recorder.names(), kStoreChanges);
    EXPECT_EQ(alarm().fireDate(), midnightAfter(QDate(2015, 3, 12)));

    recorder.clear();
    s.workspaceWillSleepNotification();
    EXPECT_TRUE(recorder.names().isEmpty());
}

TEST_F(TaskStoreSavingTest, ATimeZoneChangeRearmsAtTheNewZonesMidnight)
{
    store();
    // 10:20:30 in New York is 16:20:30 in Berlin on the same day; 20:00 in New York is already the next day there.
    m_clock.setNow(QDateTime(QDate(2015, 3, 4), QTime(20, 0), QTimeZone("America/New_York")));
    knvt::test::NotificationRecorder recorder(kStoreChanges);
    knvt::test::ScopedTimeZone berlin("Europe/Berlin");
    events().changeTimeZone();
    EXPECT_EQ(recorder.names(), kStoreChanges);
    EXPECT_EQ(alarm().fireDate().toUTC(),
              QDateTime(QDate(2015, 3, 6), QTime(0, 0), QTimeZone("Europe/Berlin")).toUTC());
}

TEST_F(TaskStoreSavingTest, AFailedSaveNobodyWaitsForIsLoggedAndPresentedOnceWhileAHandlerHearsItItself)
{
    KNVTTaskStore &s = store();
    context();
    save();
    s.taskWithTitle("Never written");
    s.persistentStoreCoordinator()->close();

    QStringList warnings;
    static QStringList *captured = nullptr;
    captured = &warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtWarningMsg && captured)
                captured->append(message);
        });
    knvt::Error heard;
    s.saveWithCompletionHandler([&heard](const knvt::Error &error) { heard = error; });
    s.saveLater(knvt::Opener::User);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s.hasPendingSaves(); }, 5000));
    qInstallMessageHandler(previous);
    captured = nullptr;

    EXPECT_FALSE(heard.isNull());
    ASSERT_EQ(presentedErrors().size(), 1u) << "only the save nobody waited for is presented";
    EXPECT_EQ(presentedErrors()[0].code(), 16);
    EXPECT_EQ(warnings.filter(QStringLiteral("KNVTTaskStore:save couldn't save")).size(), 2);
}

TEST_F(TaskStoreSavingTest, AUserSaveTheLibraryRefusesIsPresentedOnceAndItsChangesAreDiscardedAndRelayed)
{
    KNVTTaskStore &s = store();
    KNVTCDTask *kept = s.taskWithTitle("Kept");
    save();
    const QDateTime before = s.lastSaveDate();
    ASSERT_TRUE(knvt::test::refuseWrites(s));

    // Saved now, as a click on a row's box does.
    kept->markAsCompleted();
    KNVTCDTask *added = s.taskWithTitle("Never written");
    const QUrl addedUri = added->uri();
    knvt::test::NotificationRecorder recorder(kWillDid);
    m_clock.advance(60);
    EXPECT_FALSE(s.saveUserChanges());
    ASSERT_EQ(presentedErrors().size(), 1u);
    EXPECT_EQ(presentedErrors()[0].code(), 13) << "the library is read-only";
    EXPECT_EQ(presentedErrors()[0].userInfo().value("NSLocalizedDescription"), "Your change could not be saved.");
    EXPECT_EQ(presentedErrors()[0].userInfo().value("NSLocalizedFailureReason"), "The library file is read-only.");
    EXPECT_FALSE(context().hasChanges());
    EXPECT_FALSE(kept->isCompleted()) << "the task shows what the library holds";
    EXPECT_TRUE(added->isDeleted());
    // The save's own will-change, then the discarded changes as one change for the lists to show.
    ASSERT_EQ(recorder.names(), QStringList({kWillDid[0], kWillDid[0], kWillDid[1]}));
    EXPECT_EQ(urisIn(recorder.notifications()[2], KNVTTaskStoreUpdatedObjectsKey), QList<QUrl>({kept->uri()}));
    EXPECT_EQ(urisIn(recorder.notifications()[2], KNVTTaskStoreDeletedObjectsKey), QList<QUrl>({addedUri}));
    EXPECT_EQ(s.lastSaveDate(), before);
    EXPECT_EQ(recordedSaveDate(s), before);

    // A save on a later pass that nobody waits for goes the same way; the saves after it find nothing to refuse. One
    // a service's reply asked for is told as the application's own, whose alert waits beside the user's work.
    kept->setTitle("Renamed");
    s.saveLater(knvt::Opener::Application);
    s.saveLater(knvt::Opener::User);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s.hasPendingSaves(); }, 5000));
    EXPECT_EQ(presentedErrors().size(), 2u);
    EXPECT_TRUE(presentedOpeners() == std::vector({knvt::Opener::User, knvt::Opener::Application}));
    EXPECT_EQ(kept->title(), "Kept");
    EXPECT_TRUE(s.saveUserChanges());
    EXPECT_EQ(presentedErrors().size(), 2u);

    // Writes taken again: nothing of the refused saves reaches the library.
    ASSERT_TRUE(knvt::test::refuseWrites(s, false));
    EXPECT_TRUE(s.saveUserChanges());
    destroyStores();
    KNVTTaskStore &reopened = makeStore();
    EXPECT_EQ(count<KNVTCDTask>(reopened), 1);
    EXPECT_EQ(count<KNVTCDTask>(reopened, key("title") == QString("Kept") && key("status") == qint64(2)), 1);
}

TEST_F(TaskStoreSavingTest, WaitingSavesCanBeRunAtOnceInTheOrderAskedAndRunOnlyOnce)
{
    KNVTTaskStore &s = store();
    context();
    s.taskWithTitle("Before quitting");
    std::vector<int> order;
    s.saveWithCompletionHandler([&](const knvt::Error &) { order.push_back(1); }, 0.01);
    s.saveWithCompletionHandler([&](const knvt::Error &) { order.push_back(2); });
    s.performPendingSaves();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_FALSE(context().hasChanges());
    QTest::qWait(50);
    EXPECT_EQ(order.size(), 2u) << "the timers find nothing left to run";
}
