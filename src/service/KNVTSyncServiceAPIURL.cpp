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

bool isLoopbackHost(const QString &host)
{
    // QUrl gives hosts in lower case and IPv6 addresses without brackets.
    return host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1");
}

// The value as a base URL, or nothing when it may not be one. `source` names where it came from, for the log.
std::optional<QString> acceptedBaseURLString(const QString &value, const char *source)
{
    QUrl url(value.trimmed(), QUrl::StrictMode);
    // The user part is never logged: it may hold a password.
    url = url.adjusted(QUrl::RemoveUserInfo);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        qCWarning(lcService, "KNVTSyncServiceAPIURLString: ignoring %s, which is no absolute http(s) URL", source);
        return std::nullopt;
    }
    // Every request carries Basic credentials; in clear text they may only travel inside this machine.
    if (scheme == QLatin1String("http") && !isLoopbackHost(url.host())) {
        qCWarning(lcService,
                  "KNVTSyncServiceAPIURLString: ignoring %s (%s): plain http is accepted only for loopback hosts",
                  source, qPrintable(url.toString(QUrl::RemoveQuery | QUrl::RemoveFragment)));
        return std::nullopt;
    }
    QString text = url.toString(QUrl::FullyEncoded);
    while (text.endsWith(u'/'))
        text.chop(1);
    return text;
}

const std::optional<QString> &environmentBaseURLString()
{
    static const std::optional<QString> value = []() -> std::optional<QString> {
        const QByteArray raw = qgetenv("KNVT_SYNC_API_URL");
        if (raw.isEmpty())
            return std::nullopt;
        return acceptedBaseURLString(QString::fromUtf8(raw), "KNVT_SYNC_API_URL");
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
    }
    if (const std::optional<QString> &environment = environmentBaseURLString())
        return *environment;
    return kBuiltInSyncServiceAPIURLString;
}

void KNVTSetSyncServiceAPIURLString(const QString &urlString)
{
    std::optional<QString> accepted;
    if (!urlString.isEmpty())
        accepted = acceptedBaseURLString(urlString, "the base URL override");
    std::lock_guard lock(gOverrideMutex);
    gOverride = accepted.value_or(QString());
}
