#pragma once

#include <QByteArray>

namespace knvt::test {

// Switches the process's time zone (TZ) for the lifetime of the object, the way a user's zone change reaches the
// program: Qt's local time and every calendar of ours follow it at the next call.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char *ianaId);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    QByteArray m_previous;
    bool m_hadPrevious;
};

} // namespace knvt::test
