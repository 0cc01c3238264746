#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace knvt {

// Changes of the machine's situation after which everything computed from "today" must be computed again.
//
// The system implementation listens to:
// - the real-time clock being set (a timer that is cancelled by every clock change);
// - the time zone: timedated's PropertiesChanged on the system bus and changes of the zone file (/etc/localtime),
//   either of which may come alone; both within a short time give one signal. The C library is told (tzset) before
//   the signal, so local times read in a receiver are already in the new zone;
// - waking: logind's PrepareForSleep(false) on the system bus.
// The bus-borne events come only in a process that installed a bus listener (the application: see
// listenToSystemBus), so that one which only reads the library loads no bus library. Without a system bus they never
// come either; that is not an error.
//
// The object belongs to the thread that made it; its signals come from that thread's event loop.
class SystemEvents : public QObject
{
    Q_OBJECT

public:
    // Listens to the running system. `zoneFile` is the zone file to watch; only tests pass another.
    static std::unique_ptr<SystemEvents> create(const QString &zoneFile = QStringLiteral("/etc/localtime"),
                                                QObject *parent = nullptr);

    ~SystemEvents() override;

    // Called by every later create() with the new object, which it may extend with the system bus's events.
    using BusListener = void (*)(SystemEvents &events);
    static void setBusListener(BusListener listener);

    // The zone may have changed by another account than the zone file's own events: the receivers hear one
    // timeZoneChanged for both.
    virtual void zoneMayHaveChanged() {}

signals:
    void clockChanged();
    void timeZoneChanged();
    void didWake();

protected:
    explicit SystemEvents(QObject *parent = nullptr);
};

} // namespace knvt
