#include "app/KNVTHomeActivityView.h"

#include "store/KNVTTaskStore.h"

#include "service/ServiceRefusal.h"

#include "foundation/KNVTDateOrTimeFormatter.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTProgressIndicator.h"

#include <QLabel>

namespace {

// Transfers that never reached the service: its name could not be looked up, nothing answered, or it took too long.
bool isOffline(const knvt::Error &error)
{
    if (error.domain() != QLatin1String(knvt::CURLErrorDomain))
        return false;
    enum : int { CouldNotResolveProxy = 5, CouldNotResolveHost = 6, CouldNotConnect = 7, TimedOut = 28 };
    switch (error.code()) {
    case CouldNotResolveProxy:
    case CouldNotResolveHost:
    case CouldNotConnect:
    case TimedOut: return true;
    default: return false;
    }
}

// Why a sync failed, in the few words the line has room for.
QString failureReason(const knvt::Error &error)
{
    if (knvt::serviceRefusal(error) == knvt::ServiceRefusal::Credentials)
        return KNVTHomeActivityView::tr("password refused");
    if (isOffline(error))
        return KNVTHomeActivityView::tr("offline");
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
    if (!store.isAutoSyncEnabled()) {
        setState(KNVTActivityViewStateInactive);
    } else if (store.isSyncing()) {
        setActiveText(tr("Syncing"));
        setState(KNVTActivityViewStateActive);
    } else if (const QDateTime failed = store.lastSyncFailureDate(); failed.isValid()) {
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
