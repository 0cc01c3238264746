#include "app/KNVTHomeActivityView.h"

#include "sync/SyncFailure.h"

#include "store/KNVTTaskStore.h"

#include "foundation/KNVTDateOrTimeFormatter.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTProgressIndicator.h"
#include "uikit/TextInItsDirection.h"

#include <QLabel>

#include <functional>

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

// What a read that failed was reading, with `name` (a title or a person's name, as the line shows it) where it has
// one; empty for an error of no read.
QString failedRead(const knvt::Error &error, const QString &name)
{
    switch (knvt::syncFailedRead(error)) {
    case knvt::SyncRead::None: return {};
    case knvt::SyncRead::Account: return KNVTHomeActivityView::tr("the account");
    case knvt::SyncRead::People: return KNVTHomeActivityView::tr("your friends");
    case knvt::SyncRead::Invitations: return KNVTHomeActivityView::tr("your invitations");
    case knvt::SyncRead::Lists: return KNVTHomeActivityView::tr("the projects and areas");
    case knvt::SyncRead::List:
        return name.isEmpty() ? KNVTHomeActivityView::tr("a project or area")
                              : KNVTHomeActivityView::tr("“%1”").arg(name);
    case knvt::SyncRead::Inbox: return KNVTHomeActivityView::tr("the Inbox");
    case knvt::SyncRead::Tags: return KNVTHomeActivityView::tr("the tags");
    case knvt::SyncRead::Picture:
        return name.isEmpty() ? KNVTHomeActivityView::tr("a picture")
                              : KNVTHomeActivityView::tr("the picture of %1").arg(name);
    }
    return {};
}

using Shown = std::function<QString(const QString &)>;

// The line of a sync that failed at `time`: which changes the service refused and its own words for why the first was,
// or what it could not read and why, or the cause. `name` and `words` give a name the user wrote and the service's
// words as the line shows them.
QString failureText(const QString &time, const knvt::Error &error, const Shown &name, const Shown &words)
{
    if (knvt::syncFailureCause(error) != knvt::SyncFailureCause::ChangeRefused) {
        const QString read = failedRead(error, name(knvt::syncFailedReadName(error)));
        if (read.isEmpty())
            return KNVTHomeActivityView::tr("Sync failed %1 (%2)").arg(time, failureReason(error));
        return KNVTHomeActivityView::tr("Sync failed %1: could not read %2 (%3)").arg(time, read, failureReason(error));
    }
    QString reason = words(knvt::syncRefusalMessages(error).join(QStringLiteral("; ")));
    if (reason.isEmpty())
        reason = knvt::syncRefusalStatus(error) == 403
            ? KNVTHomeActivityView::tr("not allowed")
            : KNVTHomeActivityView::tr("status %1").arg(knvt::syncRefusalStatus(error));
    const QString object = knvt::syncRefusedObjectName(error);
    if (object.isEmpty())
        return KNVTHomeActivityView::tr("Sync failed %1: the service refused a change (%2)").arg(time, reason);
    switch (const int others = knvt::syncOtherRefusedChanges(error)) {
    case 0:
        return KNVTHomeActivityView::tr("Sync failed %1: the service refused “%2” (%3)")
            .arg(time, name(object), reason);
    case 1:
        return KNVTHomeActivityView::tr("Sync failed %1: the service refused “%2” and 1 more (%3)")
            .arg(time, name(object), reason);
    default:
        return KNVTHomeActivityView::tr("Sync failed %1: the service refused “%2” and %n more (%3)", nullptr, others)
            .arg(time, name(object), reason);
    }
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
        setCompletedText(failureText(
            KNVTDateOrTimeFormatter::mainThreadFormatter().stringFromDate(failed), store.lastSyncError(),
            [](const QString &name) { return knvt::isolatedText(name); }, [](const QString &words) { return words; }));
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
