#pragma once

namespace knvt {

class SystemEvents;

// Adds the system bus's events to `events`: waking (logind's PrepareForSleep(false)) and a change of time zone
// (timedated's PropertiesChanged). The application installs it with SystemEvents::setBusListener; it is kept apart
// so that only a program that installs it links the bus library.
void listenToSystemBus(SystemEvents &events);

} // namespace knvt
