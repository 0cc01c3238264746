#include "sync/SyncFailure.h"

#include "service/ServiceRefusal.h"

namespace knvt {

namespace {

// Of KNVTTaskStoreErrorDomain, beside the store's own codes and the storage engine's.
constexpr qint64 kLocalSaveFailedErrorCode = 134030;
constexpr qint64 kUnreadableReplyErrorCode = 134031;
constexpr qint64 kChangeRefusedErrorCode = 134032;

const QString kRefusedObjectNameKey = QStringLiteral("KNVTSyncRefusedObjectName");
const QString kRefusalStatusKey = QStringLiteral("KNVTSyncRefusalStatus");
const QString kRefusalBodyKey = QStringLiteral("KNVTSyncRefusalBody");
const QString kRefusalKey = QStringLiteral("KNVTSyncRefusal");
const QString kRefusedPlaceNameKey = QStringLiteral("KNVTSyncRefusedPlaceName");
const QString kOtherRefusalsKey = QStringLiteral("KNVTSyncOtherRefusedChanges");
const QString kFailedReadKey = QStringLiteral("KNVTSyncFailedRead");
const QString kFailedReadNameKey = QStringLiteral("KNVTSyncFailedReadName");

Error withDetails(const Error &error, const QVariantMap &details)
{
    QVariantMap userInfo = error.userInfo();
    userInfo.insert(details);
    return Error(error.domain(), error.code(), userInfo);
}

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

bool isOfStore(const Error &error, qint64 code)
{
    return error.domain() == QLatin1String(KNVTTaskStoreErrorDomain) && error.code() == code;
}

// The words of one value of an error body: a text, or the texts of a list.
QStringList textsOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return {value.toString()};
    QStringList texts;
    for (const QVariant &element : value.toList()) {
        if (element.typeId() == QMetaType::QString)
            texts.append(element.toString());
    }
    return texts;
}

} // namespace

Error syncLocalSaveError(const Error &saveError)
{
    QVariantMap userInfo = saveError.userInfo();
    userInfo.insert(QStringLiteral("NSUnderlyingError"), saveError.description());
    return Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), kLocalSaveFailedErrorCode, userInfo);
}

Error syncUnreadableReplyError(const QString &what)
{
    return Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), kUnreadableReplyErrorCode,
                 {{QStringLiteral("KNVTSyncUnreadableReplyOf"), what}});
}

Error syncRefusedChangeError(const Error &requestError, const QString &objectName, SyncRefusal refusal,
                             const QString &placeName)
{
    return Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), kChangeRefusedErrorCode,
                 {{kRefusedObjectNameKey, objectName},
                  {kRefusalStatusKey, requestError ? requestError.code() : 0},
                  {kRefusalBodyKey, requestError.userInfo()},
                  {kRefusalKey, int(refusal)},
                  {kRefusedPlaceNameKey, placeName}});
}

Error syncFailedReadError(const Error &cause, SyncRead read, const QString &name)
{
    return withDetails(cause, {{kFailedReadKey, int(read)}, {kFailedReadNameKey, name}});
}

Error syncRefusedChangesError(const Error &firstRefusal, int otherRefusals)
{
    return withDetails(firstRefusal, {{kOtherRefusalsKey, otherRefusals}});
}

SyncRead syncFailedRead(const Error &error)
{
    const int read = error.userInfo().value(kFailedReadKey).toInt();
    return read > int(SyncRead::None) && read <= int(SyncRead::Picture) ? SyncRead(read) : SyncRead::None;
}

QString syncFailedReadName(const Error &error)
{
    return syncFailedRead(error) == SyncRead::None ? QString() : error.userInfo().value(kFailedReadNameKey).toString();
}

int syncOtherRefusedChanges(const Error &error)
{
    return isOfStore(error, kChangeRefusedErrorCode) ? error.userInfo().value(kOtherRefusalsKey).toInt() : 0;
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
    if (isOfStore(error, kLocalSaveFailedErrorCode))
        return SyncFailureCause::CouldNotSaveLocally;
    if (isOfStore(error, kUnreadableReplyErrorCode))
        return SyncFailureCause::UnreadableReply;
    if (isOfStore(error, kChangeRefusedErrorCode))
        return SyncFailureCause::ChangeRefused;
    return SyncFailureCause::ServiceFailed;
}

QString syncRefusedObjectName(const Error &error)
{
    return isOfStore(error, kChangeRefusedErrorCode) ? error.userInfo().value(kRefusedObjectNameKey).toString()
                                                     : QString();
}

qint64 syncRefusalStatus(const Error &error)
{
    return isOfStore(error, kChangeRefusedErrorCode) ? error.userInfo().value(kRefusalStatusKey).toLongLong() : 0;
}

SyncRefusal syncRefusal(const Error &error)
{
    const int refusal = isOfStore(error, kChangeRefusedErrorCode) ? error.userInfo().value(kRefusalKey).toInt() : 0;
    return refusal > int(SyncRefusal::Kept) && refusal <= int(SyncRefusal::UnsettledDeleted) ? SyncRefusal(refusal)
                                                                                             : SyncRefusal::Kept;
}

QString syncRefusedPlaceName(const Error &error)
{
    return isOfStore(error, kChangeRefusedErrorCode) ? error.userInfo().value(kRefusedPlaceNameKey).toString()
                                                     : QString();
}

QStringList syncRefusalMessages(const Error &error)
{
    if (!isOfStore(error, kChangeRefusedErrorCode))
        return {};
    // The service words its refusals field by field, {"title": ["is invalid"]}; a refusal of the whole object, or one
    // of a single text, stands alone.
    QStringList messages;
    const QVariantMap body = error.userInfo().value(kRefusalBodyKey).toMap();
    for (auto it = body.cbegin(); it != body.cend(); ++it) {
        const bool whole = it.key() == QLatin1String("base") || it.key() == QLatin1String("error")
            || it.key() == QLatin1String("message");
        QString field = it.key();
        field.replace(QLatin1Char('_'), QLatin1Char(' '));
        for (const QString &text : textsOf(it.value()))
            messages.append(whole ? text : field + QLatin1Char(' ') + text);
    }
    return messages;
}

} // namespace knvt
