#include "foundation/Clock.h"

#include <QElapsedTimer>

#include <atomic>

namespace knvt {

namespace {

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    QDateTime nowUTC() const override { return QDateTime::currentDateTimeUtc(); }
};

std::atomic<const Clock *> installedClock{nullptr};

} // namespace

Clock::~Clock() = default;

QDateTime Clock::nowUTC() const
{
    return now().toUTC();
}

qint64 Clock::elapsedMilliseconds() const
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

const Clock &Clock::system()
{
    static const SystemClock clock;
    return clock;
}

const Clock &Clock::shared()
{
    const Clock *clock = installedClock.load(std::memory_order_acquire);
    return clock ? *clock : system();
}

void Clock::setShared(const Clock *clock)
{
    installedClock.store(clock, std::memory_order_release);
}

} // namespace knvt
