#include "service/ServiceRefusal.h"

namespace knvt {

ServiceRefusal serviceRefusal(const Error &error)
{
    if (error.domain() != QLatin1String(KNVTRequestErrorDomain))
        return ServiceRefusal::None;
    switch (error.code()) {
    case 401: return ServiceRefusal::Credentials;
    case 410: return ServiceRefusal::Version;
    default: return ServiceRefusal::None;
    }
}

} // namespace knvt
