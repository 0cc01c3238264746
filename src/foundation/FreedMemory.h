#pragma once

// How the memory that large transient work took (a search through a large library, a pull of thousands of changes)
// goes back to the system. The allocator keeps what the program frees for its next allocations: after every large
// block freed it raises the size from which blocks are mapped on their own, and the free space it leaves at the end of
// a heap, to that block's size, so that the threads' heaps keep the memory of the largest work done for good; and it
// returns on its own only the end of the main heap, never the free pages between blocks in use. Without both of the
// calls below the process keeps its peak size for the rest of its life.
namespace knvt {

// Keeps both sizes at a megabyte: a block of that size or more goes back as soon as it is freed, and so does the free
// end of any heap beyond it; and gives every thread the main heap, the one whose free end goes back when the program is
// idle. Called once, first thing in the program, before any thread starts.
void returnLargeBlocksWhenFreed();

// Work that may have freed much calls this when it ends (main thread only): once freedMemoryIdleSeconds have passed
// without another call, every whole free page of every heap goes back. A call in the meantime puts the return off, so
// that work in several steps returns its memory once, after the last, and no step waits for it.
void returnFreedMemoryWhenIdle();

// Scaled by knvt::Timing.
inline constexpr double freedMemoryIdleSeconds = 2.0;

} // namespace knvt
