#pragma once

// How the memory that large transient work took (a search through a large library, a pull of thousands of changes)
// goes back to the system. The allocator keeps what the program frees for its next allocations: after every large
// block freed it raises the size from which blocks are mapped on their own, and the free space it leaves at the end of
// a heap, to that block's size, so that the heaps keep the memory of the largest work done for good; it returns on its
// own only the free end of a heap, and then only as a block freed joins it; and it keeps small freed blocks apart,
// unjoined, until something gathers them. Without both of the calls below the process keeps its peak size for the
// rest of its life.
namespace knvt {

// Keeps the size from which blocks are mapped on their own at a megabyte, so that such a block goes back as soon as it
// is freed, and the free end a heap keeps at a quarter of one; and joins every small block to its free neighbours as
// it is freed. Each thread keeps a heap of its own, so that the pool's threads allocate side by side: the free end of
// a thread's heap goes back only as a freed block joins it, which small blocks kept apart would never do. Part of
// knvt::applyStartUpSettings(), before any thread starts.
void returnLargeBlocksWhenFreed();

// Work that may have freed much calls this when it ends (main thread only): once freedMemoryIdleSeconds have passed
// without another call, every whole free page of every heap goes back. A call in the meantime puts the return off, so
// that work in several steps returns its memory once, after the last, and no step waits for it.
void returnFreedMemoryWhenIdle();

// Scaled by knvt::Timing.
inline constexpr double freedMemoryIdleSeconds = 2.0;

} // namespace knvt
