// The launcher badge for each badge type, and the sync status line's three states.

#include "app/BadgeSink.h"
#include "app/KNVTHomeActivityView.h"
#include "app/KNVTTasksAppDelegate.h"

#include "support/TaskStoreSandbox.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTDockIconBadgeValueType.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QDateTime>

#include <vector>

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2015, 3, 4), QTime(12, 0));

void setBadgeType(unsigned int type)
{
    knvt::Defaults::standard().setValue(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference), type);
}

} // namespace

TEST(LauncherBadge, EachTypeCountsItsTasksAndNotificationsAndOtherTypesShowNone)
{
    knvt::test::TaskStoreSandbox sandbox;
    auto &b = sandbox.build();
    b.task(QStringLiteral("overdue"), {.due = kNow.addSecs(-3600)});
    b.task(QStringLiteral("overdue 2"), {.due = kNow.addSecs(-7200)});
    b.task(QStringLiteral("started"), {.start = kNow.addSecs(-60)});
    b.task(QStringLiteral("inbox"));
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    // A project Ann shares with me that I have not answered yet.
    KNVTCDTaskList *club = b.project(QStringLiteral("Club"), {.owner = ann});
    club->myTaskListCollaborator()->setStatus(1);
    club->setTaskListCollaboratorStatus(1);
    ASSERT_TRUE(b.save());
    KNVTTasksAppDelegate::registerDefaults();

    const struct
    {
        unsigned int type;
        qint64 count;
    } rows[] = {
        {KNVTDockIconBadgeValueTypeUncompletedDueTasks, 2},
        {KNVTDockIconBadgeValueTypeUncompletedDueAndTodayTasks, 3},
        {KNVTDockIconBadgeValueTypeUncompletedDueTodayAndInboxTasks, 4},
        {KNVTDockIconBadgeValueTypeNotifications, 1},
        {KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTasks, 3},
        {KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueAndTodayTasks, 4},
        {KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTodayAndInboxTasks, 5},
        {KNVTDockIconBadgeValueTypeNone, 0},
        {4, 0},
        {99, 0},
    };
    for (const auto &row : rows) {
        setBadgeType(row.type);
        EXPECT_EQ(KNVTTasksAppDelegate::badgeCount(), row.count) << "type " << row.type;
    }
    knvt::Defaults::standard().remove(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference));
    EXPECT_EQ(KNVTTasksAppDelegate::badgeCount(), 1) << "the registered type counts notifications";
}

TEST(SyncStatusLine, ShowsNothingWhileSyncIsOffSyncingWhileASessionRunsAndTheLastSyncOtherwise)
{
    knvt::test::TaskStoreSandbox sandbox;
    KNVTTaskStore &store = sandbox.store();
    store.managedObjectContext();
    KNVTHomeActivityView view;
    EXPECT_EQ(view.state(), KNVTActivityViewStateInactive);

    store.setLastSuccessfullSyncDate(kNow);
    store.setAutoSyncEnabled(true);
    knvt::NotificationCenter::defaultCenter().post(QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification),
                                                   &store);
    EXPECT_EQ(view.state(), KNVTActivityViewStateCompleted);
    EXPECT_EQ(view.completedText(), QStringLiteral("Synced"));
    EXPECT_EQ(view.completedDate(), kNow);

    store.setAutoSyncEnabled(false);
    EXPECT_EQ(view.state(), KNVTActivityViewStateInactive) << "switching sync off hides the line at once";
}

namespace {

// Stands for the coordinator in the reports the store hears from it.
class IdleCoordinator final : public KNVTTaskStoreSyncCoordinating
{
public:
    bool isSyncing() const override { return false; }
    void startSyncSessionIfRequired() override {}
    void cancelSyncSessions() override {}
    qsizetype pendingSyncSessionsCount() const override { return 0; }
    void setTaskStoreSyncCoordinatorDelegate(KNVTTaskStoreSyncCoordinatorDelegate *) override {}
};

} // namespace

TEST(SyncStatusLine, AFailureSaysWhyUntilASessionFinishes)
{
    knvt::test::TaskStoreSandbox sandbox;
    KNVTTaskStore &store = sandbox.store();
    store.managedObjectContext();
    store.setLastSuccessfullSyncDate(kNow.addDays(-1));
    store.setAutoSyncEnabled(true);
    KNVTHomeActivityView view;
    IdleCoordinator coordinator;
    struct Case
    {
        knvt::Error error;
        QString reason;
    };
    const QString transport = QString::fromLatin1(knvt::CURLErrorDomain);
    const std::vector<Case> cases = {
        {knvt::Error(transport, 7), QStringLiteral("(offline)")},
        {knvt::Error(transport, 6), QStringLiteral("(offline)")},
        {knvt::Error(transport, 28), QStringLiteral("(offline)")},
        {knvt::Error(transport, 18), QStringLiteral("(service failed)")},
        {knvt::Error(QString::fromLatin1(KNVTRequestErrorDomain), 401), QStringLiteral("(password refused)")},
        {knvt::Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), 401), QStringLiteral("(service failed)")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error.description().toStdString());
        store.taskStoreSyncCoordinatorSyncSessionDidFailWithError(coordinator, {}, c.error);
        EXPECT_EQ(view.state(), KNVTActivityViewStateCompleted);
        EXPECT_TRUE(view.completedText().startsWith(QStringLiteral("Sync failed ")))
            << view.completedText().toStdString();
        EXPECT_TRUE(view.completedText().endsWith(c.reason)) << view.completedText().toStdString();
        EXPECT_FALSE(view.completedDate().isValid()) << "no day of a last success";
    }

    KNVTTaskStoreSyncSessionInfo finished;
    finished.startDate = kNow;
    store.taskStoreSyncCoordinatorDidFinishSyncSession(coordinator, finished);
    EXPECT_EQ(view.completedText(), QStringLiteral("Synced"));
    EXPECT_EQ(view.completedDate(), kNow);
}
