#include "store/KNVTTaskStore.h"
#include "store/Logging.h"
#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTask.h"

#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"
#include "foundation/NotifyCenter.h"
#include "foundation/ThreadAdditions.h"
#include "foundation/Timing.h"
#include "foundation/WallClockAlarm.h"

#include <QList>

#include <algorithm>
#include <chrono>

namespace {

QList<QUrl> uris(const ostore::Coordinator *coordinator, const std::vector<ostore::ObjectID> &ids)
{
    QList<QUrl> result;
    result.reserve(qsizetype(ids.size()));
    for (const ostore::ObjectID &id : ids)
        result.append(coordinator->uri(id));
    return result;
}

} // namespace

// ---- Saving ----

bool KNVTTaskStore::save(knvt::Error *error)
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return false;
    // The user's changes are saved after what a sync applied meanwhile, so that they are what the library keeps.
    const quint64 before = context->changeCount();
    if (m_syncCoordinator)
        m_syncCoordinator->saveSyncSessionChanges();
    // The date goes into the library in the commit of the rows (alone, when only the sync's work was saved just now):
    // the save waits for the disk once, and a process woken by the signal reads the date only with what was saved
    // with it. A save that finds nothing to save writes nothing, so that it neither waits for the disk nor fails on a
    // library that refuses writes, and has nothing to tell.
    const bool reachesLibrary = context->hasChanges() || context->changeCount() != before;
    const QDateTime now = knvt::Clock::shared().now();
    knvt::Error saveError;
    const bool saved = reachesLibrary
        ? context->save(ostore::RecordedDate{QString::fromLatin1(KNVTTaskStoreLastSavedDateKey), now}, &saveError)
        : context->save(&saveError);
    if (!saved) {
        qCWarning(lcStore).noquote() << QStringLiteral(
                                            "KNVTTaskStore:save couldn't save ManagedObjectContext because of error:%1")
                                            .arg(saveError.description());
        knvt::Error::report(error, saveError);
        return false;
    }
    if (!reachesLibrary)
        return true;
    m_lastSaveDate = now;
    knvt::Error postError;
    if (!knvt::NotifyCenter::post(QString::fromLatin1(KNVTTaskStoreChangedDarwinNotification), &postError))
        qCWarning(lcStore).noquote() << "Other processes were not told of a save:" << postError.description();
    return true;
}

bool KNVTTaskStore::saveUserChanges()
{
    return saveChanges(knvt::Opener::User);
}

bool KNVTTaskStore::saveChanges(knvt::Opener causedBy)
{
    knvt::Error error;
    if (save(&error))
        return true;
    // Without an error there was no library to save into, and opening it has been presented already.
    if (error.isNull())
        return false;
    // The lists are told before the alert is up, so that behind it they already show what is stored.
    discardRefusedChanges();
    // The library's own words say why; the alert leads with what it means for the user.
    QVariantMap userInfo = error.userInfo();
    const QString reason = userInfo.value(QStringLiteral("NSLocalizedDescription")).toString();
    userInfo.insert(QStringLiteral("NSLocalizedDescription"), tr("Your change could not be saved."));
    if (!reason.isEmpty())
        userInfo.insert(QStringLiteral("NSLocalizedFailureReason"), reason);
    presentError(knvt::Error(error.domain(), error.code(), userInfo), causedBy);
    return false;
}

void KNVTTaskStore::discardRefusedChanges()
{
    if (!m_context)
        return;
    // Kept, the refused changes would still be shown and would be written by whichever later save succeeds, although
    // the user was told they were not saved.
    const ostore::ChangeSet changes = m_context->rollback();
    if (changes.isEmpty())
        return;
    relayWillSave();
    relayChanges(changes);
}

void KNVTTaskStore::saveLater(knvt::Opener causedBy, double delaySeconds)
{
    queueSave({}, causedBy, delaySeconds);
}

void KNVTTaskStore::saveWithCompletionHandler(SaveCompletionHandler handler, double delaySeconds)
{
    Q_ASSERT(handler);
    queueSave(std::move(handler), std::nullopt, delaySeconds);
}

void KNVTTaskStore::queueSave(SaveCompletionHandler handler, std::optional<knvt::Opener> causedBy, double delaySeconds)
{
    const auto delay = std::chrono::duration<double>(knvt::Timing::ms(delaySeconds) / 1000.0);
    const quint64 identifier = m_nextPendingSave++;
    m_pendingSaves.push_back({identifier, std::move(handler), causedBy});
    knvt::performBlock(
        this, [this, identifier] { runPendingSave(identifier); }, delay);
}

void KNVTTaskStore::runPendingSave(quint64 identifier)
{
    const auto found = std::find_if(m_pendingSaves.begin(), m_pendingSaves.end(),
                                    [identifier](const PendingSave &save) { return save.identifier == identifier; });
    // Already run by performPendingSaves().
    if (found == m_pendingSaves.end())
        return;
    SaveCompletionHandler handler = std::move(found->handler);
    const std::optional<knvt::Opener> causedBy = found->causedBy;
    m_pendingSaves.erase(found);
    if (!handler) {
        // Nobody asked to hear of a failure: the user is told, as whoever caused the save.
        saveChanges(causedBy.value_or(knvt::Opener::Application));
        return;
    }
    knvt::Error error;
    save(&error);
    handler(error);
}

void KNVTTaskStore::performPendingSaves()
{
    while (!m_pendingSaves.empty())
        runPendingSave(m_pendingSaves.front().identifier);
}

void KNVTTaskStore::relayWillSave(bool madeElsewhere)
{
    QVariantMap userInfo;
    if (madeElsewhere)
        userInfo.insert(QString::fromLatin1(knvt::TaskStoreChanges::MadeElsewhereKey), true);
    postNotification(KNVTTaskStoreWillChangeNotification, userInfo);
}

void KNVTTaskStore::relayChanges(const ostore::ChangeSet &changes)
{
    postDidChange(changes, false);
}

void KNVTTaskStore::relayChangesMadeElsewhere(const ostore::ChangeSet &changes)
{
    postDidChange(changes, true);
}

void KNVTTaskStore::postDidChange(const ostore::ChangeSet &changes, bool madeElsewhere)
{
    QVariantMap userInfo;
    if (m_coordinator) {
        userInfo.insert(QString::fromLatin1(KNVTTaskStoreInsertedObjectsKey),
                        QVariant::fromValue(uris(m_coordinator.get(), changes.inserted)));
        userInfo.insert(QString::fromLatin1(KNVTTaskStoreUpdatedObjectsKey),
                        QVariant::fromValue(uris(m_coordinator.get(), changes.updated)));
        userInfo.insert(QString::fromLatin1(KNVTTaskStoreDeletedObjectsKey),
                        QVariant::fromValue(uris(m_coordinator.get(), changes.deleted)));
        knvt::TaskStoreChanges::insert(userInfo, changes, madeElsewhere);
    }
    postNotification(KNVTTaskStoreDidChangeNotification, userInfo);
    // The change may have brought a task date nearer, or taken away the one the alarm waits for.
    armSystemInformationTimer();
}

void KNVTTaskStore::relayUnknownChanges()
{
    postNotification(KNVTTaskStoreWillChangeNotification);
    postNotification(KNVTTaskStoreDidChangeNotification);
}

// ---- Other processes ----

QDateTime KNVTTaskStore::recordedLastSaveDate()
{
    // Only a library this process opened has anything to refresh; one it has not opened yet is read as it stands
    // when it opens.
    if (!m_coordinator || !m_coordinator->isOpen())
        return {};
    knvt::Error error;
    const QDateTime date = m_coordinator->recordedDate(QString::fromLatin1(KNVTTaskStoreLastSavedDateKey), &error);
    if (error)
        qCWarning(lcStore).noquote() << "The date of the library's last save could not be read:" << error.description();
    return date;
}

bool KNVTTaskStore::hasChangedExternally()
{
    const QDateTime shared = recordedLastSaveDate();
    if (!m_lastSaveDate.isValid() || !shared.isValid())
        return false;
    return m_lastSaveDate < shared;
}

void KNVTTaskStore::changedExternally()
{
    const QDateTime shared = recordedLastSaveDate();

    // Other processes' rows are read into the shared cache; objects with unsaved edits keep them and show the
    // other process's values in every other property, and the next save writes the edits.
    if (m_coordinator && m_context) {
        knvt::Error error;
        const ostore::ChangeSet changes = m_coordinator->reloadExternalChanges(&error);
        m_context->refreshAll(true);
        if (error) {
            qCWarning(lcStore).noquote() << "Other processes' changes could not be read:" << error.description();
            // What changed is not known: every list computes its rows again.
            relayUnknownChanges();
        } else {
            m_context->mergeChanges(changes, ostore::ChangeOrigin::External);
        }
    } else {
        relayUnknownChanges();
    }
    if (shared.isValid())
        m_lastSaveDate = shared;
}

// ---- The midnight refresh ----

bool KNVTTaskStore::hasSystemInformationTimer() const
{
    return m_environment.systemInformationAlarm->isArmed();
}

void KNVTTaskStore::instantiateSystemInformationTimer()
{
    m_nextMidnight = knvt::tomorrowAtZeroHundredHours();
    armSystemInformationTimer();
}

void KNVTTaskStore::armSystemInformationTimer()
{
    if (!m_nextMidnight.isValid())
        return;
    QDateTime date = m_nextMidnight;
    // Only an open library has task dates; a process that only reads a count never gets here with one.
    if (m_context && m_taskDatesPlacedAt.isValid()) {
        const QDateTime next = nextTaskDateAfter(m_taskDatesPlacedAt);
        if (next.isValid() && next < date)
            date = next;
    }
    m_alarmIsForMidnight = date == m_nextMidnight;
    // A date already past rings at once: a task date the lists have not yet been told of is never skipped.
    m_environment.systemInformationAlarm->arm(date);
}

void KNVTTaskStore::invalidateSystemInformationTimer()
{
    m_nextMidnight = QDateTime();
    m_environment.systemInformationAlarm->disarm();
}

void KNVTTaskStore::postSystemInformationChange()
{
    // Every list computes its rows again, by the clock as it is now.
    m_taskDatesPlacedAt = knvt::Clock::shared().now();
    postNotification(KNVTTaskStoreWillChangeNotification);
    postNotification(KNVTTaskStoreSystemInformationDidChangeNotification);
    postNotification(KNVTTaskStoreDidChangeNotification);
}

bool KNVTTaskStore::relayPassedTaskDates(const QDateTime &now)
{
    const QDateTime placedAt = m_taskDatesPlacedAt;
    m_taskDatesPlacedAt = now;
    if (!m_context || !placedAt.isValid() || now <= placedAt)
        return false;
    // The lists take these tasks in as they take a save of them: each placed again, its section and tint included,
    // and the badges counted again, all by the same clock.
    ostore::ChangeSet changes;
    for (const KNVTCDTask *task : tasksWithDatesPassingBetween(placedAt, now))
        changes.updated.push_back(task->objectID());
    if (changes.isEmpty())
        return false;
    relayWillSave();
    relayChanges(changes);
    return true;
}

void KNVTTaskStore::systemInformationTimerDidFire()
{
    const QDateTime now = knvt::Clock::shared().now();
    if (m_alarmIsForMidnight || !m_nextMidnight.isValid() || now >= m_nextMidnight) {
        postSystemInformationChange();
        instantiateSystemInformationTimer();
        return;
    }
    // A relayed change sets the alarm again itself.
    if (!relayPassedTaskDates(now))
        armSystemInformationTimer();
}

void KNVTTaskStore::refreshForSystemEvent()
{
    invalidateSystemInformationTimer();
    postSystemInformationChange();
    instantiateSystemInformationTimer();
}

void KNVTTaskStore::systemClockDidChangeNotification()
{
    refreshForSystemEvent();
}

void KNVTTaskStore::systemTimeZoneDidChangeNotification()
{
    refreshForSystemEvent();
}

void KNVTTaskStore::workspaceDidWakeNotification()
{
    refreshForSystemEvent();
}
