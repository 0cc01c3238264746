#include "foundation/Timing.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace knvt {

namespace {

double scaleFromEnvironment()
{
    bool ok = false;
    const double value = qEnvironmentVariable("KNVT_TIMER_SCALE").toDouble(&ok);
    return ok && value > 0 && std::isfinite(value) ? value : 1.0;
}

std::atomic<double> &currentScale()
{
    static std::atomic<double> value{scaleFromEnvironment()};
    return value;
}

} // namespace

int Timing::ms(double seconds)
{
    if (seconds <= 0)
        return 0;
    const double scaled = std::round(seconds * 1000.0 * scale());
    if (scaled >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return std::max(1, int(scaled));
}

double Timing::scale()
{
    return currentScale().load(std::memory_order_relaxed);
}

void Timing::setScale(double scale)
{
    currentScale().store(scale > 0 && std::isfinite(scale) ? scale : 1.0, std::memory_order_relaxed);
}

} // namespace knvt
