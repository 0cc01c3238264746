#pragma once

// Every benchmark process starts as the program does: its main first makes the program's start-up call
// (knvt::applyStartUpSettings), so that what it measures is the program as it ships. The benchmark executables' main
// (BudgetMain.cpp) does so, and so do the programs timed as whole processes.
//
// For a run side by side with the settings the current ones replaced, KNVT_BENCH_SETTINGS=replaced applies those
// instead, in every process of the run: such a process fails its check, so that its figures are never taken for the
// program's.
namespace knvt::bench {

void startAsTheProgram();

// Whether this process applied the program's start-up settings, before any other thread ran; when not, says so on
// stderr.
bool checkStartedAsTheProgram();

} // namespace knvt::bench
