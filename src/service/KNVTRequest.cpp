#include "service/KNVTRequest.h"

#include "foundation/DataAdditions.h"
#include "foundation/JSONDocument.h"
#include "foundation/Timing.h"
#include "service/HttpTransport.h"
#include "service/KNVTRESTFulAsyncBodyDataFetchPushRequest.h"
#include "service/KNVTRESTFulPullRequest.h"
#include "service/KNVTRESTFulPushRequest.h"
#include "service/RequestPool.h"

#include <QDataStream>
#include <QIODevice>
#include <QLocale>
#include <QTimeZone>

#include <atomic>
#include <cstring>

namespace {

constexpr double kDefaultTimeoutInterval = 60.0;
std::atomic<double> gDefaultTimeoutInterval{kDefaultTimeoutInterval};

const char kArchiveMagic[] = "KNVTRequestArchive";
constexpr qint32 kArchiveVersion = 1;

} // namespace

KNVTRequest::KNVTRequest(const QUrl &URL, KNVTRequestMethod requestMethod, const knvt::QueryParameters &parameters,
                         const QByteArray &bodyData, const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRequest(Fields{URL, requestMethod, KNVTRequestFormatNone, parameters, bodyData, HTTPHeaderFields, {}})
{}

KNVTRequest::KNVTRequest(const Fields &fields)
    : m_URL(fields.URL),
      m_requestMethod(fields.requestMethod),
      m_requestFormat(fields.requestFormat),
      m_parameters(fields.parameters),
      m_HTTPHeaderFields(fields.HTTPHeaderFields),
      m_bodyData(fields.bodyData),
      m_userInfo(fields.userInfo),
      m_timeoutInterval(defaultTimeoutInterval())
{}

KNVTRequest::~KNVTRequest() = default;

QString KNVTRequest::basicAuthenticationAuthorizationHeaderFieldForUsername(const QString &username,
                                                                            const QString &password)
{
    // UTF-8, as the sign-in forms send it: an ASCII-only encoding would leave a non-ASCII password without any
    // usable credentials.
    return QStringLiteral("Basic ") + knvt::base64Encoded((username + u':' + password).toUtf8());
}

QString KNVTRequest::extensionForRequestFormat(KNVTRequestFormat requestFormat)
{
    switch (requestFormat) {
    case KNVTRequestFormatHTML: return QStringLiteral("html");
    case KNVTRequestFormatXML: return QStringLiteral("xml");
    case KNVTRequestFormatJSON: return QStringLiteral("json");
    case KNVTRequestFormatPNG: return QStringLiteral("png");
    case KNVTRequestFormatJPEG: return QStringLiteral("jpeg");
    default: return QString();
    }
}

QString KNVTRequest::contentTypeHeaderFieldForRequestFormat(KNVTRequestFormat requestFormat)
{
    switch (requestFormat) {
    case KNVTRequestFormatXML: return QStringLiteral("application/xml");
    case KNVTRequestFormatJSON: return QStringLiteral("application/json");
    case KNVTRequestFormatPNG: return QStringLiteral("image/png");
    case KNVTRequestFormatJPEG: return QStringLiteral("image/jpeg");
    default: return QString();
    }
}

QByteArray KNVTRequest::bodyData() const
{
    std::lock_guard lock(m_mutex);
    return m_bodyData;
}

void KNVTRequest::setBodyData(const QByteArray &bodyData)
{
    std::lock_guard lock(m_mutex);
    m_bodyData = bodyData;
}

QVariantMap KNVTRequest::userInfo() const
{
    std::lock_guard lock(m_mutex);
    return m_userInfo;
}

void KNVTRequest::setUserInfo(const QVariantMap &userInfo)
{
    std::lock_guard lock(m_mutex);
    m_userInfo = userInfo;
}

double KNVTRequest::timeoutInterval() const
{
    std::lock_guard lock(m_mutex);
    return m_timeoutInterval;
}

void KNVTRequest::setTimeoutInterval(double seconds)
{
    std::lock_guard lock(m_mutex);
    m_timeoutInterval = seconds > 0 ? seconds : defaultTimeoutInterval();
}

double KNVTRequest::defaultTimeoutInterval()
{
    return gDefaultTimeoutInterval.load();
}

void KNVTRequest::setDefaultTimeoutInterval(double seconds)
{
    gDefaultTimeoutInterval.store(seconds > 0 ? seconds : kDefaultTimeoutInterval);
}

QUrl KNVTRequest::URLIncludingParameters() const
{
    return knvt::URLWithBaseString(m_URL.toString(QUrl::FullyEncoded), m_parameters);
}

knvt::URLRequest KNVTRequest::signedURLRequest()
{
    knvt::URLRequest request;
    request.url = URLIncludingParameters();
    request.headerFields = m_HTTPHeaderFields;
    switch (m_requestMethod) {
    case KNVTRequestMethodPOST: request.method = QStringLiteral("POST"); break;
    case KNVTRequestMethodPUT: request.method = QStringLiteral("PUT"); break;
    case KNVTRequestMethodDELETE: request.method = QStringLiteral("DELETE"); break;
    default: request.method = QStringLiteral("GET"); break;
    }
    std::lock_guard lock(m_mutex);
    request.body = m_bodyData;
    request.timeoutMs = knvt::Timing::ms(m_timeoutInterval);
    return request;
}

void KNVTRequest::performRequestWithCompletionHandler(KNVTRequestCompletionHandler completionHandler)
{
    performRequestUsingQueue(nullptr, std::move(completionHandler));
}

void KNVTRequest::performRequestUsingQueue(QThreadPool *queue, KNVTRequestCompletionHandler completionHandler)
{
    // The task holds the request until its handler has returned, whoever else lets go of it meanwhile.
    std::shared_ptr<KNVTRequest> self = shared_from_this();
    knvt::RequestPool::start([self, handler = std::move(completionHandler)] { self->send(handler); }, queue);
}

void KNVTRequest::send(const KNVTRequestCompletionHandler &completionHandler)
{
    const knvt::URLRequest request = signedURLRequest();
    {
        std::lock_guard lock(m_mutex);
        m_HTTPURLResponse.reset();
        m_responseData.clear();
        m_requestError = {};
        m_error = {};
    }

    knvt::HttpResult result;
    if (request.url.isValid()) {
        result = knvt::HttpTransport::perform(request);
    } else {
        // Parameters that make no valid URL (a key with a blank, say) are not sent under some other address.
        result.error =
            knvt::Error(QString::fromLatin1(knvt::CURLErrorDomain), 3 /* CURLE_URL_MALFORMAT */,
                        {{QStringLiteral("NSLocalizedDescription"), QStringLiteral("The request has no valid URL")}});
    }

    const knvt::Error requestError = recordResult(result);
    if (completionHandler)
        completionHandler(result.response, result.data, requestError, result.error);
}

knvt::Error KNVTRequest::recordResult(const knvt::HttpResult &result)
{
    const knvt::Error requestError = result.response
        ? requestErrorForStatusCode(result.response->statusCode(), result.data, m_requestFormat)
        : knvt::Error();
    std::lock_guard lock(m_mutex);
    m_HTTPURLResponse = result.response;
    m_responseData = result.data;
    m_requestError = requestError;
    m_error = result.error;
    return requestError;
}

knvt::Error KNVTRequest::requestErrorForStatusCode(int statusCode, const QByteArray &responseData,
                                                   KNVTRequestFormat requestFormat)
{
    if (statusCode < 400 || statusCode > 599)
        return {};
    QVariantMap userInfo;
    // The body of an image is never parsed: it is no error object whatever it holds.
    if (requestFormat == KNVTRequestFormatJSON && !responseData.isEmpty()) {
        const knvt::JSONDocument document = knvt::JSONDocument::fromJson(responseData);
        if (document.root().isObject())
            userInfo = document.root().toVariant().toMap();
    }
    return knvt::Error(QString::fromLatin1(KNVTRequestErrorDomain), statusCode, userInfo);
}

std::optional<knvt::HttpResponse> KNVTRequest::HTTPURLResponse() const
{
    std::lock_guard lock(m_mutex);
    return m_HTTPURLResponse;
}

QByteArray KNVTRequest::responseData() const
{
    std::lock_guard lock(m_mutex);
    return m_responseData;
}

knvt::Error KNVTRequest::requestError() const
{
    std::lock_guard lock(m_mutex);
    return m_requestError;
}

knvt::Error KNVTRequest::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

QDateTime KNVTRequest::responseDate() const
{
    const std::optional<knvt::HttpResponse> response = HTTPURLResponse();
    if (!response)
        return {};
    const QString value = response->valueForHeaderField(QStringLiteral("Date")).trimmed();
    if (value.isEmpty())
        return {};
    QDateTime date = QLocale::c().toDateTime(value, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!date.isValid())
        return {};
    date.setTimeZone(QTimeZone::utc());
    return date;
}

const char *KNVTRequest::archiveClassName() const
{
    return "KNVTRequest";
}

QByteArray KNVTRequest::archivedData() const
{
    QVariantList parameters;
    for (const auto &[key, value] : m_parameters)
        parameters.append(QVariant(QStringList{key, value}));
    QVariantMap headerFields;
    for (auto it = m_HTTPHeaderFields.cbegin(); it != m_HTTPHeaderFields.cend(); ++it) {
        // Archives end up in files, and the credentials must never: whoever sends the request again signs it anew.
        if (it.key().compare(QLatin1String("Authorization"), Qt::CaseInsensitive) == 0)
            continue;
        headerFields.insert(it.key(), it.value());
    }

    QVariantMap archive;
    archive.insert(QStringLiteral("class"), QString::fromLatin1(archiveClassName()));
    archive.insert(QStringLiteral("requestMethod"), qulonglong(m_requestMethod));
    archive.insert(QStringLiteral("requestFormat"), qulonglong(m_requestFormat));
    archive.insert(QStringLiteral("URLString"), m_URL.toString(QUrl::FullyEncoded));
    {
        std::lock_guard lock(m_mutex);
        // A null body stays apart from an empty one.
        if (!m_bodyData.isNull())
            archive.insert(QStringLiteral("bodyData"), m_bodyData);
        archive.insert(QStringLiteral("userInfo"), m_userInfo);
    }
    archive.insert(QStringLiteral("parameters"), parameters);
    archive.insert(QStringLiteral("HTTPHeaderFields"), headerFields);

    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << QByteArray(kArchiveMagic) << kArchiveVersion << archive;
    return data;
}

std::shared_ptr<KNVTRequest> KNVTRequest::requestWithArchivedData(const QByteArray &data, knvt::Error *error)
{
    const auto fail = [error](const QString &reason) {
        knvt::Error::report(error,
                            knvt::Error(QString::fromLatin1(KNVTRequestErrorDomain), 0,
                                        {{QStringLiteral("NSLocalizedDescription"), reason}}));
        return std::shared_ptr<KNVTRequest>();
    };

    QDataStream stream(data);
    stream.setVersion(QDataStream::Qt_6_4);
    QByteArray magic;
    qint32 version = 0;
    QVariantMap archive;
    stream >> magic >> version;
    if (stream.status() != QDataStream::Ok || magic != kArchiveMagic || version != kArchiveVersion)
        return fail(QStringLiteral("The data is no archived request"));
    stream >> archive;
    if (stream.status() != QDataStream::Ok)
        return fail(QStringLiteral("The archived request is damaged"));

    Fields fields;
    fields.requestMethod = KNVTRequestMethod(archive.value(QStringLiteral("requestMethod")).toULongLong());
    fields.requestFormat = KNVTRequestFormat(archive.value(QStringLiteral("requestFormat")).toULongLong());
    fields.URL = QUrl(archive.value(QStringLiteral("URLString")).toString());
    fields.bodyData = archive.value(QStringLiteral("bodyData")).toByteArray();
    for (const QVariant &pair : archive.value(QStringLiteral("parameters")).toList()) {
        const QStringList keyAndValue = pair.toStringList();
        if (keyAndValue.size() != 2)
            return fail(QStringLiteral("The archived request is damaged"));
        fields.parameters.emplace_back(keyAndValue.at(0), keyAndValue.at(1));
    }
    const QVariantMap headerFields = archive.value(QStringLiteral("HTTPHeaderFields")).toMap();
    for (auto it = headerFields.cbegin(); it != headerFields.cend(); ++it)
        fields.HTTPHeaderFields.insert(it.key(), it.value().toString());
    fields.userInfo = archive.value(QStringLiteral("userInfo")).toMap();

    const QString className = archive.value(QStringLiteral("class")).toString();
    if (className == QLatin1String("KNVTRequest"))
        return std::make_shared<KNVTRequest>(fields);
    if (className == QLatin1String("KNVTRESTFulRequest"))
        return std::make_shared<KNVTRESTFulRequest>(fields);
    if (className == QLatin1String("KNVTRESTFulPullRequest"))
        return std::make_shared<KNVTRESTFulPullRequest>(fields);
    if (className == QLatin1String("KNVTRESTFulPushRequest"))
        return std::make_shared<KNVTRESTFulPushRequest>(fields);
    if (className == QLatin1String("KNVTRESTFulAsyncBodyDataFetchPushRequest"))
        return std::make_shared<KNVTRESTFulAsyncBodyDataFetchPushRequest>(fields);
    return fail(QStringLiteral("The archive holds an unknown class"));
}
