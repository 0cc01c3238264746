#pragma once

#include "foundation/WallClockAlarm.h"

namespace knvt {

// An alarm that fires only when a test says so; it remembers the date it was armed for.
class FakeWallClockAlarm final : public WallClockAlarm
{
    Q_OBJECT

public:
    explicit FakeWallClockAlarm(QObject *parent = nullptr);

    void arm(const QDateTime &date) override;
    void disarm() override;
    bool isArmed() const override;
    QDateTime fireDate() const override;

    // Fires as the real alarm would at its date: disarms, then emits fired(). Does nothing and returns false when the
    // alarm is not armed.
    bool fire();
    // Emits clockChanged() and keeps the alarm armed, as setting the clock would. Like the real alarm, a disarmed one
    // does not notice and returns false.
    bool changeClock();

private:
    QDateTime m_fireDate;
};

} // namespace knvt
