#pragma once

#include "uikit/Beeper.h"

namespace knvt::test {

// Installed as the shared beeper for its lifetime; counts the beeps instead of sounding them.
class CountingBeeper final : public knvt::Beeper
{
public:
    CountingBeeper() { knvt::Beeper::setShared(this); }
    ~CountingBeeper() override { knvt::Beeper::setShared(nullptr); }
    CountingBeeper(const CountingBeeper &) = delete;
    CountingBeeper &operator=(const CountingBeeper &) = delete;

    void beep() override { ++m_count; }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

} // namespace knvt::test
