// The launcher badge for each badge type, and the sync status line's three states.

#include "app/BadgeSink.h"
#include "app/KNVTHomeActivityView.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "sync/SyncFailure.h"

#include "support/FakeClock.h"
#include "support/TaskStoreSandbox.h"
#include "support/WaitUntil.h"

#include "foundation/Clock.h"
#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTDockIconBadgeValueType.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QDateTime>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

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
        {knvt::Error(QString::fromLatin1(KNVTRequestErrorDomain), 503), QStringLiteral("(service failed)")},
        {knvt::Error(QString::fromLatin1(KNVTRequestErrorDomain), 410), QStringLiteral("(newer version needed)")},
        {knvt::syncLocalSaveError(knvt::Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), 11)),
         QStringLiteral("(could not save locally)")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error.description().toStdString());
        // The refusal of this version switches automatic sync off, and the line still says why.
        store.setAutoSyncEnabled(c.reason != QLatin1String("(newer version needed)"));
        store.taskStoreSyncCoordinatorSyncSessionDidFailWithError(coordinator, {}, c.error);
        EXPECT_EQ(view.state(), KNVTActivityViewStateCompleted);
        EXPECT_TRUE(view.completedText().startsWith(QStringLiteral("Sync failed ")))
            << view.completedText().toStdString();
        EXPECT_TRUE(view.completedText().endsWith(c.reason)) << view.completedText().toStdString();
        EXPECT_FALSE(view.completedDate().isValid()) << "no day of a last success";
    }

    store.setAutoSyncEnabled(true);
    KNVTTaskStoreSyncSessionInfo finished;
    finished.startDate = kNow;
    store.taskStoreSyncCoordinatorDidFinishSyncSession(coordinator, finished);
    EXPECT_EQ(view.completedText(), QStringLiteral("Synced"));
    EXPECT_EQ(view.completedDate(), kNow);
}

// The line shows all of its text, where the home list leaves it room at the window's default width and at its
// smallest: a text wider than the line takes more lines, three at most, and a screen reader hears what is shown. A name
// too long for that is cut with "…", and the whole text is the line's tooltip and what a screen reader reads of it.
TEST(SyncStatusLine, AFailureShowsWhollyAtTheDefaultAndTheSmallestWindowWidths)
{
    knvt::test::FakeClock clock(QDateTime(kNow.date(), QTime(22, 12)));
    knvt::test::TaskStoreSandbox sandbox;
    KNVTTaskStore &store = sandbox.store();
    store.managedObjectContext();
    store.setAutoSyncEnabled(true);
    KNVTMainWindowController main;
    const int defaultWidth = main.width();
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    IdleCoordinator coordinator;
    auto *line = main.findChild<KNVTHomeActivityView *>(QStringLiteral("activityView"));
    ASSERT_NE(line, nullptr);
    QLabel *label = line->textLabel();
    const QString title = QStringLiteral("Plan the garden for the spring ").repeated(20).trimmed();
    const knvt::Error refusal = knvt::syncRefusedChangesError(
        knvt::syncRefusedChangeError(
            knvt::Error(QString::fromLatin1(KNVTRequestErrorDomain), 422,
                        {{QStringLiteral("title"), QStringList{QStringLiteral("is too long")}}}),
            title),
        2);
    const struct
    {
        knvt::Error error;
        QString end;
        bool cut;
        // A sync that went through with changes the service refused.
        bool finished;
    } cases[] = {{knvt::Error(QString::fromLatin1(KNVTRequestErrorDomain), 503), QStringLiteral("PM (service failed)"),
                  false, false},
                 {refusal, QStringLiteral("and 2 more (title is too long)"), true, false},
                 {refusal, QStringLiteral("and 2 more (title is too long)"), true, true}};

    for (const auto &c : cases) {
        if (c.finished) {
            KNVTTaskStoreSyncSessionInfo session;
            session.startDate = knvt::Clock::shared().now();
            session.refusedChangesError = c.error;
            store.taskStoreSyncCoordinatorDidFinishSyncSession(coordinator, session);
        } else {
            store.taskStoreSyncCoordinatorSyncSessionDidFailWithError(coordinator, {}, c.error);
        }
        for (const int width : {defaultWidth, main.minimumWidth()}) {
            SCOPED_TRACE(width);
            main.resize(width, main.height());
            // Nothing of the label lies outside the line, nor the line outside the window, once the layout has
            // settled.
            EXPECT_TRUE(knvt::test::waitUntil([&] {
                return main.width() == width && label->isVisible() && line->rect().contains(label->geometry())
                    && main.rect().contains(QRect(line->mapTo(&main, QPoint()), line->size()));
            })) << label->y()
                << "+" << label->height() << " in a line of " << line->height();
            const QString text = label->text();
            // Cut, the service's words go first.
            EXPECT_TRUE(
                text.startsWith(c.finished ? QStringLiteral("Synced 10:12") : QStringLiteral("Sync failed 10:12"))
                && (text.endsWith(c.end) || (c.cut && text.contains(QStringLiteral("and 2 more (")))))
                << text.toStdString();
            const QFontMetrics metrics(label->font());
            const QRect needed =
                metrics.boundingRect(QRect(0, 0, label->width(), 1000), Qt::AlignCenter | Qt::TextWordWrap, text);
            EXPECT_LE(needed.width(), label->width());
            EXPECT_LE(needed.height(), label->height());
            const int oneLine = metrics.boundingRect(QStringLiteral("Sync")).height();
            EXPECT_LE(needed.height(), 3 * oneLine) << "three lines at most";
            QAccessibleInterface *read = QAccessible::queryAccessibleInterface(label);
            ASSERT_NE(read, nullptr);
            EXPECT_EQ(read->text(QAccessible::Name), text);
            if (c.cut) {
                EXPECT_TRUE(text.contains(QStringLiteral("…")) && !text.contains(title)) << text.toStdString();
                EXPECT_TRUE(line->toolTip().contains(title) && line->toolTip().endsWith(c.end))
                    << line->toolTip().toStdString();
                EXPECT_EQ(line->accessibleDescription(), line->toolTip());
            } else {
                EXPECT_EQ(line->toolTip(), QString());
                EXPECT_EQ(line->accessibleDescription(), text);
            }
        }
    }
}
