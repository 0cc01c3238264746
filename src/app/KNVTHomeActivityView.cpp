#include "app/KNVTHomeActivityView.h"

#include "sync/SyncFailure.h"

#include "store/KNVTTaskStore.h"

#include "foundation/KNVTDateOrTimeFormatter.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTProgressIndicator.h"

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
    }
    return KNVTHomeActivityView::tr("service failed");
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
        setCompletedText(tr("Sync failed %1 (%2)")
                             .arg(KNVTDateOrTimeFormatter::mainThreadFormatter().stringFromDate(failed),
                                  failureReason(store.lastSyncError())));
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
