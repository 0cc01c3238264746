#pragma once

// The longest time the main thread's event loop went without a turn while a benchmark waited for something: how long
// a window would have answered nothing. A timer due every millisecond fires on the first pass of the loop after it is
// due; the longest gap between two firings, and the wait for the first one, is the longest block (give or take the
// millisecond). Work that the loop runs in slices between events shows as its longest slice; work done in one go
// shows whole. The loop does not spin meanwhile, so the threads the work waits for keep their processor.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace knvt::bench {

class LongestBlock
{
public:
    // Runs `start` (timed as a block of its own: the handling of a key, say), then turns the event loop until `done`
    // answers true or `timeoutMs` pass. Answers false on a time-out.
    bool run(const std::function<void()> &start, const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        start();
        m_longestNs = clock.nsecsElapsed();
        QEventLoop loop;
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        beat.setInterval(1);
        qint64 last = clock.nsecsElapsed();
        bool finished = false;
        QObject::connect(&beat, &QTimer::timeout, &loop, [&] {
            const qint64 now = clock.nsecsElapsed();
            m_longestNs = std::max(m_longestNs, now - last);
            last = now;
            if (done()) {
                finished = true;
                loop.quit();
            } else if (now > qint64(timeoutMs) * 1000000) {
                loop.quit();
            }
        });
        beat.start();
        loop.exec();
        m_totalNs = clock.nsecsElapsed();
        return finished;
    }

    double longestMs() const { return double(m_longestNs) / 1e6; }
    double totalMs() const { return double(m_totalNs) / 1e6; }

private:
    qint64 m_longestNs = 0;
    qint64 m_totalNs = 0;
};

} // namespace knvt::bench
