#include "app/KNVTHomeActivityView.h"

#include "store/KNVTTaskStore.h"

#include "foundation/NotificationCenter.h"
#include "uikit/KNVTProgressIndicator.h"

#include <QLabel>

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
