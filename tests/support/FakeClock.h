#pragma once

#include "foundation/Clock.h"

namespace knvt::test {

// A clock that stands still until the test moves it. Installed as the shared clock for the lifetime of the object. Its
// elapsed milliseconds go forward as the test moves it forward, and stand where it is set back.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime now);
    ~FakeClock() override;

    QDateTime now() const override { return m_now; }
    qint64 elapsedMilliseconds() const override { return m_elapsed; }
    void setNow(const QDateTime &now);
    void advance(qint64 seconds) { setNow(m_now.addSecs(seconds)); }

private:
    QDateTime m_now;
    qint64 m_elapsed = 0;
};

} // namespace knvt::test
