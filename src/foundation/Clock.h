#pragma once

#include <QDateTime>

namespace knvt {

// The one source of "now" for the whole program, so that tests can fix the time. Every date test and query reads the
// clock once per call, never caching it across calls.
class Clock
{
public:
    virtual ~Clock();

    // The current instant, as a local-time value.
    virtual QDateTime now() const = 0;
    // The same instant as now(), in UTC. Stamps that are stored read this: a local-time value costs two time-zone
    // lookups (one to make it, one to convert it for storage), which shows when a pull creates thousands of objects.
    virtual QDateTime nowUTC() const;
    // Milliseconds on a clock that only goes forward, from a start of its own: what a wait measures, which neither a
    // wall clock set back nor a change of time zone moves.
    virtual qint64 elapsedMilliseconds() const;

    // The clock every caller uses; the system clock unless a test installed another.
    static const Clock &shared();
    // Installs `clock` (not owned) as the shared clock; nullptr restores the system clock.
    static void setShared(const Clock *clock);

    static const Clock &system();
};

} // namespace knvt
