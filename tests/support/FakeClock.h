#pragma once

#include "foundation/Clock.h"

namespace knvt::test {

// A clock that stands still until the test moves it. Installed as the shared clock for the lifetime of the object.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime now);
    ~FakeClock() override;

    QDateTime now() const override { return m_now; }
    void setNow(const QDateTime &now) { m_now = now; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

} // namespace knvt::test
