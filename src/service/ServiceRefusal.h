#pragma once

#include "foundation/Error.h"

namespace knvt {

// What the sync service's answer to a request says about this client as a whole, beyond the one request.
enum class ServiceRefusal {
    None,
    // 401: the service refuses the credentials; the user has to sign in again.
    Credentials,
    // 410: the service no longer serves this version of the program.
    Version,
};

// The refusal `error` carries. Only an error of KNVTRequestErrorDomain is the service's own answer: a 401 or 410 of
// any other domain (the transport's, the store's, the file system's) refuses nothing.
ServiceRefusal serviceRefusal(const Error &error);

} // namespace knvt
