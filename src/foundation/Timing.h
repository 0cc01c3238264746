#pragma once

namespace knvt {

// Scales the program's own delays (deferred saves, sync timers, request time-outs) so that tests can run them fast.
// The midnight alarm and stored values are never scaled.
class Timing
{
public:
    // Milliseconds for a delay of `seconds`: max(1, round(seconds * 1000 * scale)); zero stays zero.
    static int ms(double seconds);

    static double scale();
    // Sets the scale for the whole process; a non-positive scale restores 1.0. The initial scale comes from the
    // environment variable KNVT_TIMER_SCALE when it holds a positive number.
    static void setScale(double scale);
};

} // namespace knvt
