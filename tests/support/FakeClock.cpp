#include "support/FakeClock.h"

namespace knvt::test {

FakeClock::FakeClock(QDateTime now) : m_now(std::move(now))
{
    Clock::setShared(this);
}

FakeClock::~FakeClock()
{
    Clock::setShared(nullptr);
}

} // namespace knvt::test
