#pragma once

#include "foundation/Error.h"
#include "service/HttpResponse.h"
#include "service/URLRequest.h"

#include <QByteArray>

#include <optional>

namespace knvt {

// What one send brought back. Without a reply (refused, reset, empty reply, truncated body, time-out, TLS failure)
// `response` is empty and `error` is set; with a reply `error` is null whatever the status.
struct HttpResult
{
    std::optional<HttpResponse> response;
    QByteArray data;
    Error error;
};

// Synchronous HTTP over libcurl, one easy handle per calling thread so that connections are kept alive between the
// requests of a worker. Blocks the caller until the reply, the idle time-out or a transport failure; call it from a
// worker thread (RequestPool), never from the main thread.
//
// TLS peers and host names are always verified, no redirect is followed, no proxy is used for loopback hosts, and
// only http and https are spoken. A transport failure is an error of CURLErrorDomain whose code is the CURLcode and
// whose user info holds the failure's text ("NSLocalizedDescription") and the address without any user part
// ("NSErrorFailingURLStringKey"); request header fields never reach an error.
class HttpTransport
{
public:
    static HttpResult perform(const URLRequest &request);
    // Readies libcurl and the TLS library under it, which is not safe beside other threads: called on the thread that
    // hands requests to workers, before the first of them runs, never on a worker (where it could also race the
    // process's exit handlers, which tear the TLS library down).
    static void initialise();
};

} // namespace knvt
