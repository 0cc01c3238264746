#pragma once

namespace knvt {

// The short system sound that says "that did nothing". Lists, editors and account windows beep through the shared
// instance, so tests count beeps instead of hearing them.
class Beeper
{
public:
    virtual ~Beeper();

    virtual void beep() = 0;

    // The beeper every window uses; QApplication::beep() unless a test installed another.
    static Beeper &shared();
    // Installs `beeper` (not owned) as the shared beeper; nullptr restores the system one.
    static void setShared(Beeper *beeper);
};

} // namespace knvt
