#pragma once

#include <QDateTime>
#include <QObject>

#include <memory>

namespace knvt {

// A one-shot alarm at a wall-clock time, such as the next midnight.
//
// Unlike a QTimer, which counts elapsed time and so stops while the machine sleeps, the alarm is tied to the real-time
// clock: it fires at its date even when that date passed during a suspend (as soon as the machine wakes), and it
// follows the clock when the clock is set. Setting the clock while the alarm is armed also emits clockChanged(); the
// alarm stays armed for the same date.
//
// The alarm belongs to the thread that made it; its signals come from that thread's event loop.
class WallClockAlarm : public QObject
{
    Q_OBJECT

public:
    // The alarm on the system's real-time clock.
    static std::unique_ptr<WallClockAlarm> create(QObject *parent = nullptr);

    ~WallClockAlarm() override;

    // Replaces any earlier date. A date already past fires at once; an invalid date disarms.
    virtual void arm(const QDateTime &date) = 0;
    virtual void disarm() = 0;

    // Whether the alarm is set and has not fired yet.
    virtual bool isArmed() const = 0;
    // The date the alarm is set for; invalid when disarmed.
    virtual QDateTime fireDate() const = 0;

signals:
    // The alarm reached its date; it is disarmed when this is emitted, so a receiver may arm it again.
    void fired();
    // The clock was set while the alarm was armed.
    void clockChanged();

protected:
    explicit WallClockAlarm(QObject *parent = nullptr);
};

} // namespace knvt
