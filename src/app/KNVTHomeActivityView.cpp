#include "app/KNVTHomeActivityView.h"

#include "sync/SyncFailure.h"

#include "store/KNVTTaskStore.h"

#include "foundation/KNVTDateOrTimeFormatter.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTProgressIndicator.h"
#include "uikit/TextInItsDirection.h"

#include <QLabel>

namespace {

// Why a sync failed, in the few words the line has room for.
QString failureReason(const knvt::Error &error)
{
    switch (knvt::syncFailureCause(error)) {
    case knvt::SyncFailureCause::Offline: return KNVTHomeActivityView::tr("offline");
    case knvt::SyncFailureCause::PasswordRefused: return KNVTHomeActivityView::tr("password refused");
    case knvt::SyncFailureCause::ServiceFailed: return KNVTHomeActivityView::tr("service failed");
    case knvt::SyncFailureCause::CouldNotSaveLocally: return KNVTHomeActivityView::tr("could not save locally");
    case knvt::SyncFailureCause::NewerVersionNeeded: return KNVTHomeActivityView::tr("newer version needed");
    case knvt::SyncFailureCause::UnreadableReply: return KNVTHomeActivityView::tr("unreadable reply");
    case knvt::SyncFailureCause::ChangeRefused: break;
    }
    return KNVTHomeActivityView::tr("service failed");
}

// The line of a sync that failed at `time`: which change the service refused and its own words for why, or the cause.
QString failureText(const QString &time, const knvt::Error &error)
{
    if (knvt::syncFailureCause(error) != knvt::SyncFailureCause::ChangeRefused)
        return KNVTHomeActivityView::tr("Sync failed %1 (%2)").arg(time, failureReason(error));
    QString reason = knvt::syncRefusalMessages(error).join(QStringLiteral("; "));
    if (reason.isEmpty())
        reason = KNVTHomeActivityView::tr("status %1").arg(knvt::syncRefusalStatus(error));
    const QString name = knvt::syncRefusedObjectName(error);
    if (name.isEmpty())
        return KNVTHomeActivityView::tr("Sync failed %1: the service refused a change (%2)").arg(time, reason);
    return KNVTHomeActivityView::tr("Sync failed %1: the service refused “%2” (%3)")
        .arg(time, knvt::isolatedText(name), reason);
}

} // namespace

KNVTHomeActivityView::KNVTHomeActivityView(QWidget *parent) : KNVTActivityView(parent)
{
    setObjectName(QStringLiteral("activityView"));
    setAccessibleName(tr("Sync Status"));
    progressIndicator()->setAccessibleName(tr("Syncing"));
    reloadData();
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    for (const char *name :
         {KNVTTaskStoreWillStartSyncingNotification, KNVTTaskStoreDidFinishSyncingNotification,
          KNVTTaskStoreSyncSettingsDidChangeNotification, KNVTTaskStoreSystemInformationDidChangeNotification})
        center.addObserver(QString::fromLatin1(name), nullptr, this,
                           [this](const knvt::Notification &) { reloadData(); });
}

KNVTHomeActivityView::~KNVTHomeActivityView()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

void KNVTHomeActivityView::reloadData()
{
    KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
    const QDateTime failed = store.lastSyncFailureDate();
    // The refusal of this version switches automatic sync off itself; the line says why rather than go blank.
    const bool versionRefused =
        failed.isValid() && knvt::syncFailureCause(store.lastSyncError()) == knvt::SyncFailureCause::NewerVersionNeeded;
    if (store.isSyncPausedForPassword()) {
        // Paused, not off: nothing is sent until the user signs in again, which only the Account pane offers.
        setCompletedText(tr("Sync paused (password refused). Sign in again in Preferences > Account."));
        setCompletedDate({});
        setState(KNVTActivityViewStateCompleted);
    } else if (!store.isAutoSyncEnabled() && !versionRefused) {
        setState(KNVTActivityViewStateInactive);
    } else if (store.isSyncing()) {
        setActiveText(tr("Syncing"));
        setState(KNVTActivityViewStateActive);
    } else if (failed.isValid()) {
        // Until a sync succeeds the line says that nothing is being sent, not when it last was.
        setCompletedText(
            failureText(KNVTDateOrTimeFormatter::mainThreadFormatter().stringFromDate(failed), store.lastSyncError()));
        setCompletedDate({});
        setState(KNVTActivityViewStateCompleted);
    } else if (const QDateTime date = store.lastSuccessfullSyncDate(); date.isValid()) {
        setCompletedText(tr("Synced"));
        setCompletedDate(date);
        setState(KNVTActivityViewStateCompleted);
    } else {
        setState(KNVTActivityViewStateInactive);
    }
    // What the line shows, for a screen reader that reads the status.
    setAccessibleDescription(state() == KNVTActivityViewStateInactive ? QString() : textLabel()->text());
}
