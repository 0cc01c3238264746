#pragma once

// Every benchmark executable links this main: it runs the benchmarks like benchmark_main, then compares each
// median with bench/budgets.h, prints one "budget <name> ok|MISSED ..." line per budget it can check and exits 1
// when one is missed.
