#pragma once

// A figure measured against the machine's bare counterpart of the same work, both timed in the same process and
// the same run, so that a busy machine slows both sides and their ratio stays put.

#include <benchmark/benchmark.h>

#include <chrono>
#include <utility>

namespace knvt::bench {

// The seconds one call of `work` takes, by the steady clock.
template <class F>
double secondsOf(F &&work)
{
    const auto start = std::chrono::steady_clock::now();
    std::forward<F>(work)();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Adds up the work's and the reference's seconds over a benchmark's iterations; the reference runs with the
// benchmark's timer paused. report() sets the counters the budgets read: reference_ms (the reference's mean) and
// x_reference (the work's time over the reference's).
class SameRunRatio
{
public:
    void addWork(double seconds) { m_work += seconds; }
    void addReference(double seconds) { m_reference += seconds; }

    template <class F>
    void timeReference(benchmark::State &state, F &&reference)
    {
        state.PauseTiming();
        m_reference += secondsOf(std::forward<F>(reference));
        state.ResumeTiming();
    }

    void report(benchmark::State &state) const
    {
        if (m_reference <= 0 || state.iterations() == 0)
            return;
        state.counters["reference_ms"] = m_reference / double(state.iterations()) * 1000;
        if (m_work > 0)
            state.counters["x_reference"] = m_work / m_reference;
    }

private:
    double m_work = 0;
    double m_reference = 0;
};

} // namespace knvt::bench
