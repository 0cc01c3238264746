#include "service/KNVTRequest.h"

#include "service/Logging.h"

#include <QUrl>
#include <QtGlobal>

#include <mutex>
#include <optional>

namespace {

const QString kBuiltInSyncServiceAPIURLString = QStringLiteral("https://sync.quillvane.example/api/v1");

std::mutex gOverrideMutex;
QString gOverride;
// The override that was set and refused: it stands, so that nothing falls back to another service.
QString gRefusedOverride;

bool isLoopbackHost(const QString &host)
{
    // QUrl gives hosts in lower case and IPv6 addresses without brackets.
    return host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1");
}

// The value without a user part, which is never shown or logged: it may hold a password.
QString shownAddress(const QString &value)
{
    const QUrl url(value.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return value.trimmed();
    return url.adjusted(QUrl::RemoveUserInfo).toString(QUrl::RemoveQuery | QUrl::RemoveFragment);
}

// The value as a base URL, or nothing when it may not be one. `source` names where it came from, for the log.
std::optional<QString> acceptedBaseURLString(const QString &value, const char *source)
{
    QUrl url(value.trimmed(), QUrl::StrictMode);
    url = url.adjusted(QUrl::RemoveUserInfo);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        qCWarning(lcService,
                  "KNVTSyncServiceAPIURLString: refusing %s, which is no absolute http(s) URL; nothing is "
                  "sent to the sync service",
                  source);
        return std::nullopt;
    }
    // Every request carries Basic credentials; in clear text they may only travel inside this machine.
    if (scheme == QLatin1String("http") && !isLoopbackHost(url.host())) {
        qCWarning(lcService,
                  "KNVTSyncServiceAPIURLString: refusing %s (%s): plain http is accepted only for loopback hosts; "
                  "nothing is sent to the sync service",
                  source, qPrintable(url.toString(QUrl::RemoveQuery | QUrl::RemoveFragment)));
        return std::nullopt;
    }
    QString text = url.toString(QUrl::FullyEncoded);
    while (text.endsWith(u'/'))
        text.chop(1);
    return text;
}

struct EnvironmentBaseURL
{
    std::optional<QString> accepted;
    QString refused; // the value as shown, when it was refused
};

const EnvironmentBaseURL &environmentBaseURL()
{
    static const EnvironmentBaseURL value = [] {
        EnvironmentBaseURL result;
        const QByteArray raw = qgetenv("KNVT_SYNC_API_URL");
        if (raw.isEmpty())
            return result;
        const QString text = QString::fromUtf8(raw);
        result.accepted = acceptedBaseURLString(text, "KNVT_SYNC_API_URL");
        if (!result.accepted)
            result.refused = shownAddress(text);
        return result;
    }();
    return value;
}

} // namespace

QString KNVTSyncServiceAPIURLString()
{
    {
        std::lock_guard lock(gOverrideMutex);
        if (!gOverride.isEmpty())
            return gOverride;
        if (!gRefusedOverride.isEmpty())
            return QString();
    }
    const EnvironmentBaseURL &environment = environmentBaseURL();
    if (environment.accepted)
        return *environment.accepted;
    if (!environment.refused.isEmpty())
        return QString();
    return kBuiltInSyncServiceAPIURLString;
}

QString KNVTSyncServiceAPIURLRefusedString()
{
    {
        std::lock_guard lock(gOverrideMutex);
        if (!gOverride.isEmpty())
            return QString();
        if (!gRefusedOverride.isEmpty())
            return gRefusedOverride;
    }
    return environmentBaseURL().refused;
}

void KNVTSetSyncServiceAPIURLString(const QString &urlString)
{
    std::optional<QString> accepted;
    if (!urlString.isEmpty())
        accepted = acceptedBaseURLString(urlString, "the base URL override");
    std::lock_guard lock(gOverrideMutex);
    gOverride = accepted.value_or(QString());
    gRefusedOverride = urlString.isEmpty() || accepted ? QString() : shownAddress(urlString);
}
