#include "app/KNVTHomeActivityView.h"

#include "sync/SyncFailure.h"

#include "store/KNVTTaskStore.h"

#include "foundation/KNVTDateOrTimeFormatter.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTProgressIndicator.h"
#include "uikit/TextInItsDirection.h"

#include <QLabel>
#include <QResizeEvent>
#include <QTextLayout>

#include <functional>

namespace {

// The line never takes more than this many lines under the home list, whatever the service or the user wrote.
constexpr int kMostLines = 3;

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

// What the service refused, as the line tells it: the first change and what became of it, the others counted, then
// the service's words for why.
QString refusalText(const knvt::Error &error, const Shown &name, const Shown &words)
{
    const QString object = knvt::syncRefusedObjectName(error);
    const int others = knvt::syncOtherRefusedChanges(error);
    // The other changes are counted before the service's words, which the line gives up first for room.
    const auto counted = [others](const char *none, const char *one, const char *many) {
        return others == 0 ? KNVTHomeActivityView::tr(none)
            : others == 1  ? KNVTHomeActivityView::tr(one)
                           : KNVTHomeActivityView::tr(many, nullptr, others);
    };
    switch (knvt::syncRefusal(error)) {
    case knvt::SyncRefusal::Undone:
        if (object.isEmpty())
            return KNVTHomeActivityView::tr("the service did not allow a change, undone");
        return counted(
                   QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service did not allow “%1”, undone"),
                   QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service did not allow “%1”, undone, and 1 more"),
                   QT_TRANSLATE_N_NOOP("KNVTHomeActivityView", "the service did not allow “%1”, undone, and %n more"))
            .arg(name(object));
    case knvt::SyncRefusal::Held: {
        const QString place = knvt::syncRefusedPlaceName(error);
        if (place.isEmpty())
            return counted(QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service did not allow “%1”"),
                           QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service did not allow “%1”, and 1 more"),
                           QT_TRANSLATE_N_NOOP("KNVTHomeActivityView", "the service did not allow “%1”, and %n more"))
                .arg(name(object));
        return counted(
                   QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service did not allow “%1” in “%2”"),
                   QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service did not allow “%1” in “%2”, and 1 more"),
                   QT_TRANSLATE_N_NOOP("KNVTHomeActivityView", "the service did not allow “%1” in “%2”, and %n more"))
            .arg(name(object), name(place));
    }
    case knvt::SyncRefusal::Unsettled:
        return counted(QT_TRANSLATE_NOOP("KNVTHomeActivityView",
                                         "“%1” may already be on the service twice: keep yours, or delete it"),
                       QT_TRANSLATE_NOOP("KNVTHomeActivityView",
                                         "“%1” may already be on the service twice: keep yours, or delete it, and 1 "
                                         "more"),
                       QT_TRANSLATE_N_NOOP("KNVTHomeActivityView",
                                           "“%1” may already be on the service twice: keep yours, or delete it, and %n "
                                           "more"))
            .arg(name(object));
    case knvt::SyncRefusal::UnsettledDeleted:
        return counted(QT_TRANSLATE_NOOP("KNVTHomeActivityView",
                                         "“%1”, deleted here, may be on the service twice: delete what you do not want"),
                       QT_TRANSLATE_NOOP("KNVTHomeActivityView",
                                         "“%1”, deleted here, may be on the service twice: delete what you do not "
                                         "want, and 1 more"),
                       QT_TRANSLATE_N_NOOP("KNVTHomeActivityView",
                                           "“%1”, deleted here, may be on the service twice: delete what you do not "
                                           "want, and %n more"))
            .arg(name(object));
    case knvt::SyncRefusal::Kept: break;
    }
    QString reason = words(knvt::syncRefusalMessages(error).join(QStringLiteral("; ")));
    if (reason.isEmpty())
        reason = knvt::syncRefusalStatus(error) == 403
            ? KNVTHomeActivityView::tr("not allowed")
            : KNVTHomeActivityView::tr("status %1").arg(knvt::syncRefusalStatus(error));
    if (object.isEmpty())
        return KNVTHomeActivityView::tr("the service refused a change (%1)").arg(reason);
    return counted(QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service refused “%1” (%2)"),
                   QT_TRANSLATE_NOOP("KNVTHomeActivityView", "the service refused “%1” and 1 more (%2)"),
                   QT_TRANSLATE_N_NOOP("KNVTHomeActivityView", "the service refused “%1” and %n more (%2)"))
        .arg(name(object), reason);
}

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
    return KNVTHomeActivityView::tr("Sync failed %1: %2").arg(time, refusalText(error, name, words));
}

// The line of a sync that finished at `time` with changes the service refused.
QString syncedText(const QString &time, const knvt::Error &refusals, const Shown &name, const Shown &words)
{
    return KNVTHomeActivityView::tr("Synced %1; %2").arg(time, refusalText(refusals, name, words));
}

using LineText = std::function<QString(const Shown &name, const Shown &words)>;

// Where each line of `text` starts as a label of `width` wraps it at its words.
std::vector<int> lineStarts(const QString &text, const QFont &font, int width)
{
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignCenter);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    std::vector<int> starts;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        starts.push_back(line.textStart());
    }
    layout.endLayout();
    return starts;
}

// The line as a label of `width` shows it in at most kMostLines lines: the names the user wrote are cut with "…" to a
// line at most, then shorter, then the service's words too, and what still does not fit is cut at the end.
QString shownLineText(const LineText &lineText, const QFont &font, int width)
{
    const QFontMetrics metrics(font);
    const auto cutTo = [&metrics](int room) -> Shown {
        return [&metrics, room](const QString &text) {
            return knvt::isolatedText(metrics.elidedText(text, Qt::ElideRight, std::max(room, 1)));
        };
    };
    const Shown whole = [](const QString &text) { return text; };
    const int line = width - metrics.horizontalAdvance(QStringLiteral("“”"));
    QString text;
    const auto fits = [&](const Shown &name, const Shown &words) {
        text = lineText(name, words);
        return lineStarts(text, font, width).size() <= size_t(kMostLines);
    };
    for (const int room : {line, line / 2, line / 4}) {
        if (fits(cutTo(room), whole))
            return text;
    }
    for (const int room : {width, width / 2, width / 4}) {
        if (fits(cutTo(line / 4), cutTo(room)))
            return text;
    }
    const std::vector<int> starts = lineStarts(text, font, width);
    const int last = starts[kMostLines - 1];
    return text.left(last) + metrics.elidedText(text.mid(last), Qt::ElideRight, width);
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
    QString whole;
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
    } else if (failed.isValid() || (store.lastSyncRefusedChanges() && store.lastSuccessfullSyncDate().isValid())) {
        // Until a sync succeeds the line says that nothing is being sent, not when it last was; one that finished with
        // changes the service refused says so beside its success. A name the user or the service wrote takes one line
        // at most, and the whole text is the line's tooltip.
        const QString time = KNVTDateOrTimeFormatter::mainThreadFormatter().stringFromDate(
            failed.isValid() ? failed : store.lastSuccessfullSyncDate());
        const knvt::Error error = failed.isValid() ? store.lastSyncError() : store.lastSyncRefusedChanges();
        const LineText lineText = [&time, &error, failed](const Shown &name, const Shown &words) {
            return failed.isValid() ? failureText(time, error, name, words) : syncedText(time, error, name, words);
        };
        const auto isolated = [](const QString &text) { return knvt::isolatedText(text); };
        whole = lineText(isolated, [](const QString &text) { return text; });
        setCompletedText(width() > 0 ? shownLineText(lineText, textLabel()->font(), width()) : whole);
        setCompletedDate({});
        setState(KNVTActivityViewStateCompleted);
    } else if (const QDateTime date = store.lastSuccessfullSyncDate(); date.isValid()) {
        setCompletedText(tr("Synced"));
        setCompletedDate(date);
        setState(KNVTActivityViewStateCompleted);
    } else {
        setState(KNVTActivityViewStateInactive);
    }
    // What the line says, whole, for a screen reader that reads the status.
    if (whole.isEmpty() && state() != KNVTActivityViewStateInactive)
        whole = textLabel()->text();
    setToolTip(whole != textLabel()->text() ? whole : QString());
    setAccessibleDescription(whole);
}

void KNVTHomeActivityView::resizeEvent(QResizeEvent *event)
{
    KNVTActivityView::resizeEvent(event);
    // What a name may take of the line depends on its width.
    if (event->oldSize().width() != width())
        reloadData();
}
