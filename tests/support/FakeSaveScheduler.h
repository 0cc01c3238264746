#pragma once

#include "editors/SaveScheduler.h"
#include "store/KNVTTaskStore.h"

#include <algorithm>
#include <vector>

namespace knvt::test {

// Installed as the editors' save scheduler for its lifetime. Records the delay of every save an editor asks for and
// runs those saves only when the test moves the scheduler's own clock past them, so that a test checks "saved 0.5 s
// later" without waiting. Each save that comes due saves the shared task store once, in the order they come due.
// Header only: tests that use it link the editors.
class FakeSaveScheduler final : public knvt::SaveScheduler
{
public:
    FakeSaveScheduler() { knvt::SaveScheduler::setShared(this); }
    ~FakeSaveScheduler() override { knvt::SaveScheduler::setShared(nullptr); }
    FakeSaveScheduler(const FakeSaveScheduler &) = delete;
    FakeSaveScheduler &operator=(const FakeSaveScheduler &) = delete;

    void scheduleSave(double delaySeconds) override
    {
        m_requestedDelays.push_back(delaySeconds);
        m_dueTimes.push_back(m_now + delaySeconds);
    }

    // Every delay asked for, in order.
    const std::vector<double> &requestedDelays() const { return m_requestedDelays; }
    int pendingCount() const { return int(m_dueTimes.size()); }

    // Moves the clock on by `seconds` and runs the saves that came due; returns how many ran.
    int advance(double seconds)
    {
        m_now += seconds;
        int ran = 0;
        // A millisecond of slack: delays are written in tenths of seconds and summed in floating point.
        while (true) {
            auto due = std::min_element(m_dueTimes.begin(), m_dueTimes.end());
            if (due == m_dueTimes.end() || *due > m_now + 0.0005)
                break;
            m_dueTimes.erase(due);
            // The user's save, as the store's own delayed save without a handler makes it.
            KNVTTaskStore::defaultTaskStore()->saveUserChanges();
            ++ran;
        }
        return ran;
    }
    // Runs every pending save, whatever its delay.
    int runAll()
    {
        double latest = m_now;
        for (double due : m_dueTimes)
            latest = std::max(latest, due);
        return advance(latest - m_now);
    }

private:
    double m_now = 0.0;
    std::vector<double> m_requestedDelays;
    std::vector<double> m_dueTimes;
};

} // namespace knvt::test
