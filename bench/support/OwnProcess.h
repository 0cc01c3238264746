#pragma once

// A memory figure reads what the process holds, which moves with whatever ran before it in the same process: the
// heap the allocator kept, the caches other benchmarks filled. A benchmark registered here runs each of its
// repetitions in a fresh process of the same executable, started with a filter of its own; the process that runs the
// suite reports the child's time and counters as its own. Each repetition is then the first thing its process does.
//
//   const auto *registered = knvt::bench::registerInOwnProcesses("BM_TaskRowBytes", &BM_TaskRowBytes);
//
// Modifiers chained on the answer apply to the benchmark in the child, and to its stand-in in the parent, which runs
// one iteration (one child) a repetition.

#include <benchmark/benchmark.h>

namespace knvt::bench {

benchmark::internal::Benchmark *registerInOwnProcesses(const char *name, void (*function)(benchmark::State &));

} // namespace knvt::bench
