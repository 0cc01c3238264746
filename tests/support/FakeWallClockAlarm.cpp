#include "support/FakeWallClockAlarm.h"

namespace knvt {

FakeWallClockAlarm::FakeWallClockAlarm(QObject *parent) : WallClockAlarm(parent) {}

void FakeWallClockAlarm::arm(const QDateTime &date)
{
    m_fireDate = date;
}

void FakeWallClockAlarm::disarm()
{
    m_fireDate = QDateTime();
}

bool FakeWallClockAlarm::isArmed() const
{
    return m_fireDate.isValid();
}

QDateTime FakeWallClockAlarm::fireDate() const
{
    return m_fireDate;
}

bool FakeWallClockAlarm::fire()
{
    if (!isArmed())
        return false;
    m_fireDate = QDateTime();
    emit fired();
    return true;
}

bool FakeWallClockAlarm::changeClock()
{
    if (!isArmed())
        return false;
    emit clockChanged();
    return true;
}

} // namespace knvt
