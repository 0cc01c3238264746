#include "support/ScopedTimeZone.h"

#include <QtGlobal>

#include <time.h>

namespace knvt::test {

ScopedTimeZone::ScopedTimeZone(const char *ianaId)
    : m_previous(qgetenv("TZ")), m_hadPrevious(qEnvironmentVariableIsSet("TZ"))
{
    qputenv("TZ", ianaId);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (m_hadPrevious)
        qputenv("TZ", m_previous);
    else
        qunsetenv("TZ");
    tzset();
}

} // namespace knvt::test
