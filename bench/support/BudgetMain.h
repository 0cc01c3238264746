#pragma once

// Every benchmark executable links this main: it starts as the program does (support/ProgramStart.h), runs the
// benchmarks like benchmark_main, then compares each median with bench/budgets.h, prints one "budget <name> ok|MISSED
// ..." line per budget it can check and exits 1 when one is missed, or when the process did not start as the program.

#include <QCoreApplication>

#include <memory>

namespace knvt::bench {

// Makes the application object of a benchmark executable; benchmarks of windows install one that makes a
// QApplication (from a static initializer, before main runs). Without one the main makes a QCoreApplication.
using ApplicationFactory = std::unique_ptr<QCoreApplication> (*)(int &argc, char **argv);
bool setApplicationFactory(ApplicationFactory factory);

} // namespace knvt::bench
