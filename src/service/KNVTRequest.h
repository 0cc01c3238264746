#pragma once

#include "foundation/Error.h"
#include "foundation/URLAdditions.h"
#include "service/HttpResponse.h"
#include "service/HttpTransport.h"
#include "service/KNVTRequestFormat.h"
#include "service/KNVTRequestMethod.h"
#include "service/URLRequest.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QThreadPool;

// The base URL of the sync service, an absolute URL whose path ends in "/api/v1", without a trailing slash. Resolved
// at every call; the first of these that is set and acceptable wins:
//   1. KNVTSetSyncServiceAPIURLString(), the in-process override that tests set;
//   2. the environment variable KNVT_SYNC_API_URL, read once at first use;
//   3. the built-in "https://sync.quillvane.example/api/v1".
// Every request carries Basic credentials, so plain http is accepted only for the loopback hosts 127.0.0.1, ::1 and
// localhost. Any other http value, or a value that is not an absolute http(s) URL, is refused with a logged warning,
// and then the result is empty: the credentials meant for the service named there must not go to another one, so
// nothing is sent at all (a request on an empty base has no host, and the transport refuses it). A user part is
// dropped, and so is a trailing "/".
QString KNVTSyncServiceAPIURLString();
// The address that was set and refused, without a user part; empty when none was. An accepted override hides a
// refused environment value, as it hides an accepted one.
QString KNVTSyncServiceAPIURLRefusedString();
// Sets the override; an empty string removes it.
void KNVTSetSyncServiceAPIURLString(const QString &urlString);

// Called exactly once per send, on the worker thread of the send, with the reply (none without one), its body, the
// HTTP-level error (status 400 to 599) and the transport error. Null errors mean none.
using KNVTRequestCompletionHandler =
    std::function<void(const std::optional<knvt::HttpResponse> &response, const QByteArray &responseData,
                       const knvt::Error &requestError, const knvt::Error &error)>;

// One HTTP request to the sync service: a URL, a method, a format, query parameters, a body and header fields. It
// is sent on a worker thread and keeps the outcome of its last send.
//
// Requests are shared between the thread that builds them and the worker that sends them: own them through
// std::shared_ptr (performRequest... keeps the request alive until its handler has returned). Every accessor is
// safe from any thread.
class KNVTRequest : public std::enable_shared_from_this<KNVTRequest>
{
public:
    // The fields that make a request, as the REST classes compute them and as an archive holds them.
    struct Fields
    {
        QUrl URL;
        KNVTRequestMethod requestMethod = KNVTRequestMethodGET;
        KNVTRequestFormat requestFormat = KNVTRequestFormatNone;
        knvt::QueryParameters parameters;
        QByteArray bodyData;
        knvt::HeaderFields HTTPHeaderFields;
        QVariantMap userInfo;
    };

    KNVTRequest(const QUrl &URL, KNVTRequestMethod requestMethod, const knvt::QueryParameters &parameters,
                const QByteArray &bodyData, const knvt::HeaderFields &HTTPHeaderFields);
    virtual ~KNVTRequest();

    KNVTRequest(const KNVTRequest &) = delete;
    KNVTRequest &operator=(const KNVTRequest &) = delete;

    // "Basic " and the Base64 of "user:password" in UTF-8; an empty password still sends the name and the colon.
    static QString basicAuthenticationAuthorizationHeaderFieldForUsername(const QString &username,
                                                                          const QString &password);
    // "html", "xml", "json", "png", "jpeg"; a null QString for any other format.
    static QString extensionForRequestFormat(KNVTRequestFormat requestFormat);
    // "application/xml", "application/json", "image/png", "image/jpeg"; a null QString for html and any other format.
    static QString contentTypeHeaderFieldForRequestFormat(KNVTRequestFormat requestFormat);

    KNVTRequestMethod requestMethod() const { return m_requestMethod; }
    KNVTRequestFormat requestFormat() const { return m_requestFormat; }
    const QUrl &URL() const { return m_URL; }
    const knvt::QueryParameters &parameters() const { return m_parameters; }
    const knvt::HeaderFields &HTTPHeaderFields() const { return m_HTTPHeaderFields; }
    // Null when the request has no body.
    QByteArray bodyData() const;

    // The caller's data carried with the request; the request itself never reads it.
    QVariantMap userInfo() const;
    void setUserInfo(const QVariantMap &userInfo);

    // The idle time-out of a send in seconds, before scaling by knvt::Timing. Starts at defaultTimeoutInterval().
    double timeoutInterval() const;
    void setTimeoutInterval(double seconds);
    // 60 s unless a test lowers it for the whole process (a non-positive value restores 60 s). Every request made
    // afterwards starts with it, including those that sync sessions build themselves.
    static double defaultTimeoutInterval();
    static void setDefaultTimeoutInterval(double seconds);

    // `URL` with the query: "?k=v" for the first parameter, "&k=v" for the others, in order; keys as they are, values
    // percent-escaped as UTF-8. An empty QUrl when the result is no valid URL.
    QUrl URLIncludingParameters() const;

    // The request to send, built anew at every call from the current fields: URLIncludingParameters(), the header
    // fields, the method, the body and the scaled time-out.
    virtual knvt::URLRequest signedURLRequest();

    // Sends on a thread of the shared RequestPool and returns at once. The outcome of an earlier send is cleared when
    // this one starts; the handler may be empty.
    void performRequestWithCompletionHandler(KNVTRequestCompletionHandler completionHandler);
    // The same on a thread of `queue` (the shared RequestPool when null).
    void performRequestUsingQueue(QThreadPool *queue, KNVTRequestCompletionHandler completionHandler);

    // The outcome of the last send, the same values that the handler received.
    std::optional<knvt::HttpResponse> HTTPURLResponse() const;
    QByteArray responseData() const;
    knvt::Error requestError() const;
    knvt::Error error() const;
    // The reply's "Date" header ("EEE, dd MMM yyyy HH:mm:ss GMT"); an invalid QDateTime when missing or unreadable.
    QDateTime responseDate() const;

    // Keyed archive of the request: its class, method, format, URL, body, parameters, header fields and user info.
    // Nothing of the last reply and nothing that the REST classes add beyond these is kept. The "Authorization"
    // field is left out, as archives may be written to files and credentials never are.
    QByteArray archivedData() const;
    // A request of the archived class rebuilt from archivedData(); null, with an error of KNVTRequestErrorDomain
    // (code 0), when the bytes are no such archive.
    static std::shared_ptr<KNVTRequest> requestWithArchivedData(const QByteArray &data, knvt::Error *error = nullptr);

    // The error that a reply of this status makes, given the reply body: null below 400 and above 599. The user info
    // is the body when the format is json and the body is a JSON object.
    static knvt::Error requestErrorForStatusCode(int statusCode, const QByteArray &responseData,
                                                 KNVTRequestFormat requestFormat);

    // Rebuilds a request from its fields; the REST classes and archives use it, each class having one of its own.
    explicit KNVTRequest(const Fields &fields);

protected:
    void setBodyData(const QByteArray &bodyData);
    // Keeps what a send brought back as the request's outcome and returns the HTTP-level error it makes. Every send
    // ends here.
    knvt::Error recordResult(const knvt::HttpResult &result);

    // The class name recorded in an archive; each class that can be rebuilt from one names itself.
    virtual const char *archiveClassName() const;

private:
    void send(const KNVTRequestCompletionHandler &completionHandler);

    const QUrl m_URL;
    const KNVTRequestMethod m_requestMethod;
    const KNVTRequestFormat m_requestFormat;
    const knvt::QueryParameters m_parameters;
    const knvt::HeaderFields m_HTTPHeaderFields;

    mutable std::mutex m_mutex;
    QByteArray m_bodyData;
    QVariantMap m_userInfo;
    double m_timeoutInterval;
    std::optional<knvt::HttpResponse> m_HTTPURLResponse;
    QByteArray m_responseData;
    knvt::Error m_requestError;
    knvt::Error m_error;
};
