#include "service/HttpTransport.h"

#include <QStringList>

#include <curl/curl.h>

#include <atomic>
#include <cmath>
#include <mutex>

namespace knvt {

namespace {

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One easy handle per thread, so that the connections it keeps alive serve the next request of the same worker.
struct ThreadHandle
{
    CURL *handle = nullptr;
    ThreadHandle()
    {
        initialiseCurlOnce();
        handle = curl_easy_init();
    }
    ~ThreadHandle()
    {
        if (handle)
            curl_easy_cleanup(handle);
    }
    ThreadHandle(const ThreadHandle &) = delete;
    ThreadHandle &operator=(const ThreadHandle &) = delete;
};

struct HeaderList
{
    curl_slist *list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
    bool append(const QByteArray &line)
    {
        curl_slist *grown = curl_slist_append(list, line.constData());
        if (!grown)
            return false;
        list = grown;
        return true;
    }
};

struct Reception
{
    QByteArray body;
    QList<QPair<QString, QString>> headerFields;
};

size_t receiveBody(char *data, size_t size, size_t count, void *userData)
{
    static_cast<Reception *>(userData)->body.append(data, qsizetype(size * count));
    return size * count;
}

size_t receiveHeader(char *data, size_t size, size_t count, void *userData)
{
    auto *reception = static_cast<Reception *>(userData);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    // Every status line opens a new header block (an interim 100 answer, for one); only the last block describes
    // the reply.
    if (line.startsWith("HTTP/")) {
        reception->headerFields.clear();
        return size * count;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        reception->headerFields.append(
            {QString::fromLatin1(line.left(colon).trimmed()), QString::fromUtf8(line.mid(colon + 1).trimmed())});
    }
    return size * count;
}

// Called by the library several times a second during a transfer, also while it waits for a reply; a non-zero
// answer aborts the transfer.
int abortWhenCancelled(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool> *>(userData)->load() ? 1 : 0;
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

QString failingURLString(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveUserInfo).toString(QUrl::FullyEncoded);
}

Error transportError(int code, QString message, const URLRequest &request)
{
    // The library's messages name hosts and addresses, not header fields; the credentials are scrubbed all the same
    // in case a future version starts quoting what it sent.
    for (auto it = request.headerFields.cbegin(); it != request.headerFields.cend(); ++it) {
        if (it.key().compare(QLatin1String("Authorization"), Qt::CaseInsensitive) != 0 || it.value().isEmpty())
            continue;
        message.replace(it.value(), QStringLiteral("<credentials>"));
        const QStringList parts = it.value().split(u' ', Qt::SkipEmptyParts);
        if (parts.size() > 1)
            message.replace(parts.last(), QStringLiteral("<credentials>"));
    }
    return Error(QString::fromLatin1(CURLErrorDomain), code,
                 {{QStringLiteral("NSLocalizedDescription"), message},
                  {QStringLiteral("NSErrorFailingURLStringKey"), failingURLString(request.url)}});
}

} // namespace

HttpResult HttpTransport::perform(const URLRequest &request)
{
    HttpResult result;
    if (request.cancelFlag && request.cancelFlag->load()) {
        result.error = transportError(CURLE_ABORTED_BY_CALLBACK, QStringLiteral("The request was cancelled"), request);
        return result;
    }

    // Only an absolute http(s) address is sent. A request built on a refused service address has no host, and the
    // library would otherwise guess one, or a scheme, and send the credentials there.
    const QString scheme = request.url.scheme().toLower();
    if (request.url.isRelative() || request.url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        result.error = transportError(
            CURLE_URL_MALFORMAT,
            QStringLiteral("The address \"%1\" is no absolute http(s) address").arg(failingURLString(request.url)),
            request);
        return result;
    }

    // A line break in a header would let one field smuggle in others (or a second request), so such a request is
    // not sent at all.
    HeaderList headers;
    for (auto it = request.headerFields.cbegin(); it != request.headerFields.cend(); ++it) {
        if (it.key().isEmpty() || it.key().contains(u':') || holdsLineBreak(it.key()) || holdsLineBreak(it.value())) {
            result.error = transportError(CURLE_BAD_FUNCTION_ARGUMENT,
                                          QStringLiteral("Header field \"%1\" cannot be sent")
                                              .arg(holdsLineBreak(it.key()) ? QStringLiteral("?") : it.key()),
                                          request);
            return result;
        }
        // "Name;" is how the library sends a field with an empty value; "Name:" would remove the field.
        const QByteArray line =
            it.value().isEmpty() ? it.key().toUtf8() + ';' : it.key().toUtf8() + ": " + it.value().toUtf8();
        headers.append(line);
    }
    // No 100-continue round trip before a body.
    headers.append("Expect:");

    thread_local ThreadHandle threadHandle;
    CURL *curl = threadHandle.handle;
    if (!curl) {
        result.error = transportError(CURLE_FAILED_INIT, QStringLiteral("The HTTP library could not start"), request);
        return result;
    }
    curl_easy_reset(curl);

    const QByteArray url = request.url.toString(QUrl::FullyEncoded).toUtf8();
    const QByteArray method = request.method.toUpper().toLatin1();
    Reception reception;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, receiveBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reception);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, receiveHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reception);
    if (request.cancelFlag) {
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortWhenCancelled);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, request.cancelFlag.get());
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    }

    // An idle time-out, not a cap on the whole transfer: a slow download that keeps moving is fine.
    const long timeoutMs = std::max(1, request.timeoutMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(std::ceil(double(timeoutMs) / 1000.0)));

    // The body must outlive the transfer; the library reads it in place.
    const QByteArray body = request.body.isNull() ? QByteArray("") : request.body;
    if (method == "GET" || method.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else {
        if (method != "POST")
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.constData());
        // When a kept-alive connection dies before any reply byte, the library sends the request again on a new
        // one. The service may have acted on a create already, and a second one would make the object twice; on a
        // fresh connection there is no such retry, and the failure is reported as it is. Updates and deletions
        // come to the same result when repeated, so they keep the connections alive.
        if (method == "POST")
            curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
        if (method == "POST" || !request.body.isNull()) {
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.constData());
        }
    }

    const CURLcode code = curl_easy_perform(curl);
    // The buffer and the header list are locals; the reset handle must not keep pointers to them.
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);

    if (code != CURLE_OK) {
        const QString message =
            errorBuffer[0] ? QString::fromUtf8(errorBuffer).trimmed() : QString::fromUtf8(curl_easy_strerror(code));
        result.error = transportError(int(code), message, request);
        return result;
    }

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    result.response = HttpResponse(request.url, int(status), std::move(reception.headerFields));
    result.data = std::move(reception.body);
    return result;
}

void HttpTransport::initialise()
{
    initialiseCurlOnce();
}

} // namespace knvt
