#include "sync/SyncFailure.h"

#include "service/ServiceRefusal.h"

namespace knvt {

namespace {

// Of KNVTTaskStoreErrorDomain, beside the store's own codes and the storage engine's.
constexpr qint64 kLocalSaveFailedErrorCode = 134030;

bool isOffline(const Error &error)
{
    if (error.domain() != QLatin1String(CURLErrorDomain))
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

} // namespace

Error syncLocalSaveError(const Error &saveError)
{
    QVariantMap userInfo = saveError.userInfo();
    userInfo.insert(QStringLiteral("NSUnderlyingError"), saveError.description());
    return Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), kLocalSaveFailedErrorCode, userInfo);
}

SyncFailureCause syncFailureCause(const Error &error)
{
    switch (serviceRefusal(error)) {
    case ServiceRefusal::Credentials: return SyncFailureCause::PasswordRefused;
    case ServiceRefusal::Version: return SyncFailureCause::NewerVersionNeeded;
    case ServiceRefusal::None: break;
    }
    if (isOffline(error))
        return SyncFailureCause::Offline;
    if (error.domain() == QLatin1String(KNVTTaskStoreErrorDomain) && error.code() == kLocalSaveFailedErrorCode)
        return SyncFailureCause::CouldNotSaveLocally;
    return SyncFailureCause::ServiceFailed;
}

} // namespace knvt
