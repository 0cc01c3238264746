#include "support/FakeClock.h"

#include <algorithm>

namespace knvt::test {

FakeClock::FakeClock(QDateTime now) : m_now(std::move(now))
{
    Clock::setShared(this);
}

void FakeClock::setNow(const QDateTime &now)
{
    m_elapsed += std::max<qint64>(0, m_now.msecsTo(now));
    m_now = now;
}

FakeClock::~FakeClock()
{
    Clock::setShared(nullptr);
}

} // namespace knvt::test
