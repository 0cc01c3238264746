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

    void scheduleSave(knvt::Opener causedBy, double delaySeconds) override
    {
        m_requestedDelays.push_back(delaySeconds);
        m_due.push_back({m_now + delaySeconds, causedBy});
    }

    // Every delay asked for, in order.
    const std::vector<double> &requestedDelays() const { return m_requestedDelays; }
    int pendingCount() const { return int(m_due.size()); }

    // Moves the clock on by `seconds` and runs the saves that came due; returns how many ran.
    int advance(double seconds)
    {
        m_now += seconds;
        int ran = 0;
        // A millisecond of slack: delays are written in tenths of seconds and summed in floating point.
        while (true) {
            auto due = std::min_element(m_due.begin(), m_due.end(),
                                        [](const Due &a, const Due &b) { return a.time < b.time; });
            if (due == m_due.end() || due->time > m_now + 0.0005)
                break;
            const knvt::Opener causedBy = due->causedBy;
            m_due.erase(due);
            // As the store's own delayed save makes it.
            KNVTTaskStore::defaultTaskStore()->saveChanges(causedBy);
            ++ran;
        }
        return ran;
    }
    // Runs every pending save, whatever its delay.
    int runAll()
    {
        double latest = m_now;
        for (const Due &due : m_due)
            latest = std::max(latest, due.time);
        return advance(latest - m_now);
    }

private:
    struct Due
    {
        double time;
        knvt::Opener causedBy;
    };

    double m_now = 0.0;
    std::vector<double> m_requestedDelays;
    std::vector<Due> m_due;
};

} // namespace knvt::test
