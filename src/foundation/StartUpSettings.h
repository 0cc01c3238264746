#pragma once

// The settings of the process that change the program's speed or memory, which must be made before any thread starts:
// how the allocator keeps and returns memory (FreedMemory.h). The program's main makes this one call first, and so does
// every benchmark process, so that a benchmark measures the program as it ships; a setting of that kind goes in here,
// never into main alone.
namespace knvt {

void applyStartUpSettings();

// Whether this process applied them while it had no other thread: a thread that ran before may hold memory the
// allocator kept under its own settings.
bool startUpSettingsApplied();

} // namespace knvt
