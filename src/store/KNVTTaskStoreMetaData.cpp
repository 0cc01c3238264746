#include "store/KNVTTaskStore.h"
#include "store/Logging.h"

#include "foundation/Clock.h"
#include "foundation/PropertyList.h"

namespace {

const QString kSyncMetaData = QStringLiteral("SyncMetaData");
const QString kAutoSyncEnabled = QStringLiteral("AutoSyncEnabled");
const QString kPushSyncEnabled = QStringLiteral("PushSyncEnabled");
const QString kAutoSyncTimeInterval = QStringLiteral("AutoSyncTimeInterval");
const QString kLastSuccessfullSyncDate = QStringLiteral("LastSuccessfullSyncDate");
const QString kLastSuccessfullFullSyncDate = QStringLiteral("LastSuccessfullFullSyncDate");
const QString kLastSyncAuthenticationFailureDate = QStringLiteral("LastSyncAuthenticationFailureDate");
const QString kAutoSyncPausedForPassword = QStringLiteral("AutoSyncPausedForPassword");
const QString kResourceLastModifiedDates = QStringLiteral("ResourceLastModifiedDates");
const QString kResourceETags = QStringLiteral("ResourceETags");

constexpr double kDefaultAutoSyncTimeInterval = 900.0;
constexpr float kMinimumAutoSyncTimeInterval = 300.0f;

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: return true;
    default: return false;
    }
}

QDateTime dateValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QDateTime ? value.toDateTime() : QDateTime();
}

} // namespace

QVariantMap KNVTTaskStore::taskStoreMetaData()
{
    if (!m_hasTaskStoreMetaData) {
        // A missing or unreadable file reads as no dictionary, so every setting shows its default.
        const QVariant root = knvt::PropertyList::readFile(metaDataPath());
        if (root.typeId() == QMetaType::QVariantMap) {
            m_taskStoreMetaData = root.toMap();
            m_hasTaskStoreMetaData = true;
        }
    }
    return m_taskStoreMetaData;
}

void KNVTTaskStore::setTaskStoreMetaData(const QVariantMap &metaData)
{
    m_taskStoreMetaData = metaData;
    m_hasTaskStoreMetaData = true;
    knvt::Error error;
    // A failed write keeps the new values in memory for the rest of the process.
    if (!knvt::PropertyList::writeFile(metaDataPath(), m_taskStoreMetaData, &error))
        qCWarning(lcStore).noquote() << "The library's metadata could not be written:" << error.description();
}

QVariantMap KNVTTaskStore::syncMetaData()
{
    const QVariant entry = taskStoreMetaData().value(kSyncMetaData);
    if (entry.typeId() == QMetaType::QVariantMap)
        return entry.toMap();
    return {{kAutoSyncEnabled, false}, {kPushSyncEnabled, true}, {kAutoSyncTimeInterval, kDefaultAutoSyncTimeInterval}};
}

void KNVTTaskStore::setSyncMetaData(const QVariantMap &syncMetaData)
{
    QVariantMap root = taskStoreMetaData();
    root.insert(kSyncMetaData, syncMetaData);
    setTaskStoreMetaData(root);
}

void KNVTTaskStore::writeSyncMetaDataValue(const QString &key, const QVariant &value, bool post)
{
    QVariantMap sync = syncMetaData();
    if (value.isValid())
        sync.insert(key, value);
    else
        sync.remove(key);
    setSyncMetaData(sync);
    if (post)
        postNotification(KNVTTaskStoreSyncSettingsDidChangeNotification);
}

bool KNVTTaskStore::isAutoSyncEnabled()
{
    return syncMetaData().value(kAutoSyncEnabled).toBool();
}

void KNVTTaskStore::setAutoSyncEnabled(bool enabled)
{
    if (enabled) {
        m_newerVersionNeeded = false;
        // Only a password typed again and verified ends a refusal; until then switching on is the pause that signing
        // in again ends by switching sync on.
        if (!isAuthenticated()) {
            writeSyncMetaDataValue(kAutoSyncPausedForPassword, true, false);
            writeSyncMetaDataValue(kAutoSyncEnabled, false, true);
            return;
        }
    }
    // The user's switch, either way, ends a pause: signing in again keeps what was chosen since.
    if (syncMetaData().contains(kAutoSyncPausedForPassword))
        writeSyncMetaDataValue(kAutoSyncPausedForPassword, QVariant(), false);
    writeSyncMetaDataValue(kAutoSyncEnabled, enabled, true);
    if (enabled)
        sync();
}

bool KNVTTaskStore::isPushSyncingEnabled()
{
    return syncMetaData().value(kPushSyncEnabled).toBool();
}

void KNVTTaskStore::setPushSyncingEnabled(bool enabled)
{
    writeSyncMetaDataValue(kPushSyncEnabled, enabled, true);
}

double KNVTTaskStore::autoSyncTimeInterval()
{
    const QVariant stored = syncMetaData().value(kAutoSyncTimeInterval);
    if (isNumber(stored)) {
        const float seconds = stored.toFloat();
        if (seconds >= kMinimumAutoSyncTimeInterval)
            return double(seconds);
    }
    setAutoSyncTimeInterval(kDefaultAutoSyncTimeInterval);
    return kDefaultAutoSyncTimeInterval;
}

void KNVTTaskStore::setAutoSyncTimeInterval(double seconds)
{
    writeSyncMetaDataValue(kAutoSyncTimeInterval, seconds, true);
}

QDateTime KNVTTaskStore::lastSuccessfullSyncDate()
{
    return dateValue(syncMetaData().value(kLastSuccessfullSyncDate));
}

void KNVTTaskStore::setLastSuccessfullSyncDate(const QDateTime &date)
{
    writeSyncMetaDataValue(kLastSuccessfullSyncDate, date.isValid() ? QVariant(date.toUTC()) : QVariant(), false);
}

QDateTime KNVTTaskStore::lastCleanSyncDate()
{
    return dateValue(syncMetaData().value(kLastSuccessfullFullSyncDate));
}

void KNVTTaskStore::setLastCleanUpSyncDate(const QDateTime &date)
{
    writeSyncMetaDataValue(kLastSuccessfullFullSyncDate, date.isValid() ? QVariant(date.toUTC()) : QVariant(), false);
}

QDateTime KNVTTaskStore::authenticationFailureDate()
{
    return dateValue(syncMetaData().value(kLastSyncAuthenticationFailureDate));
}

void KNVTTaskStore::setAuthenticationFailureDate(const QDateTime &date)
{
    writeSyncMetaDataValue(kLastSyncAuthenticationFailureDate,
                           date.isValid() ? QVariant(knvt::Clock::shared().now().toUTC()) : QVariant(), true);
}

void KNVTTaskStore::resetAuthenticationFailureDate()
{
    setAuthenticationFailureDate(QDateTime());
}

bool KNVTTaskStore::isAuthenticated()
{
    return !authenticationFailureDate().isValid();
}

void KNVTTaskStore::pauseSyncUntilSignedInAgain()
{
    // Kept with the library, so that signing in again after a restart still brings automatic sync back, and written
    // before the switch, whose notification tells the windows that sync is now paused.
    if (isAutoSyncEnabled()) {
        writeSyncMetaDataValue(kAutoSyncPausedForPassword, true, false);
        writeSyncMetaDataValue(kAutoSyncEnabled, false, true);
    }
}

bool KNVTTaskStore::isSyncPausedForPassword()
{
    return syncMetaData().value(kAutoSyncPausedForPassword).toBool() && !isAuthenticated();
}

void KNVTTaskStore::resumeSyncAfterSigningInAgain()
{
    const bool paused = isSyncPausedForPassword();
    writeSyncMetaDataValue(kAutoSyncPausedForPassword, QVariant(), false);
    resetAuthenticationFailureDate();
    // Switching on asks for the sync itself; asking again would find it queued and add nothing.
    if (paused && !isAutoSyncEnabled())
        setAutoSyncEnabled(true);
    else
        sync();
}

QVariant KNVTTaskStore::resourcesLastModifiedDates()
{
    return syncMetaData().value(kResourceLastModifiedDates);
}

void KNVTTaskStore::setResourcesLastModifiedDates(const QVariant &dates)
{
    writeSyncMetaDataValue(kResourceLastModifiedDates, dates, true);
}

QVariantMap KNVTTaskStore::resourceETags()
{
    const QVariant tags = syncMetaData().value(kResourceETags);
    return tags.typeId() == QMetaType::QVariantMap ? tags.toMap() : QVariantMap();
}

void KNVTTaskStore::setResourceETags(const QVariantMap &tags)
{
    writeSyncMetaDataValue(kResourceETags, tags, true);
}

void KNVTTaskStore::removeResourceETags()
{
    writeSyncMetaDataValue(kResourceETags, QVariant(), true);
}

QString KNVTTaskStore::ETagForResource(const QString &resource)
{
    return resourceETags().value(resource).toString();
}
