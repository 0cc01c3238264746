#include "support/BudgetMain.h"
#include "budgets.h"
#include "support/ProgramStart.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Passes everything on to the console reporter and keeps the medians.
class MedianCollector : public benchmark::ConsoleReporter
{
public:
    struct Median
    {
        double realTimeNs = 0;
        std::map<std::string, double> counters;
    };

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single)
                continue;
            Median m;
            m.realTimeNs = run.GetAdjustedRealTime() * multiplier(run.time_unit);
            for (const auto &[name, counter] : run.counters)
                m.counters[name] = counter.value;
            // The budget names a benchmark as written: its function (or capture) name and arguments, without the
            // "/iterations:1", "/real_time" or "/repeats:5" decorations of the run name.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            medians[name] = m;
        }
    }

    std::map<std::string, Median> medians;

private:
    static double multiplier(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1;
        }
    }
};

} // namespace

namespace {

knvt::bench::ApplicationFactory &applicationFactory()
{
    static knvt::bench::ApplicationFactory factory = nullptr;
    return factory;
}

} // namespace

bool knvt::bench::setApplicationFactory(ApplicationFactory factory)
{
    applicationFactory() = factory;
    return true;
}

int main(int argc, char **argv)
{
    knvt::bench::startAsTheProgram();
    const std::unique_ptr<QCoreApplication> app =
        applicationFactory() ? applicationFactory()(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    int failures = 0;
    std::printf("\nBudgets (median):\n");
    for (const knvt::bench::Budget &b : knvt::bench::kBudgets) {
        auto it = collector.medians.find(b.benchmark);
        if (it == collector.medians.end())
            continue; // another executable's benchmark, or one that failed: run-benchmarks notices a budget nobody reported

        double value = it->second.realTimeNs;
        if (b.measure == knvt::bench::Measure::Counter) {
            auto c = it->second.counters.find(b.counter);
            if (c == it->second.counters.end()) {
                std::printf("budget %-32s MISSED counter %s not reported\n", b.benchmark, b.counter);
                ++failures;
                continue;
            }
            value = c->second;
        }
        const bool ok = value < b.limit || (b.measure == knvt::bench::Measure::Counter && value <= b.limit);
        // "budget <name> ok|MISSED <figure> (limit ...)": bench/run-benchmarks also checks that every budget was
        // reported by some run. A figure measured against a reference of the same run names that reference too.
        const auto &counters = it->second.counters;
        const auto referenceOf = [&counters]() -> std::string {
            for (const char *name : {"reference_ms", "bare_ms"})
                if (auto r = counters.find(name); r != counters.end())
                    return std::to_string(r->second) + " ms";
            return std::string();
        };
        const std::string reference = referenceOf();
        char figure[160];
        if (b.measure == knvt::bench::Measure::Counter)
            std::snprintf(figure, sizeof figure, "%s = %.3f (limit %.3f); %.4f ms", b.counter, value, b.limit,
                          it->second.realTimeNs / 1e6);
        else
            std::snprintf(figure, sizeof figure, "%.4f ms (limit %.3f ms)", value / 1e6, b.limit / 1e6);
        std::printf("budget %-32s %-6s %s; reference %s\n", b.benchmark, ok ? "ok" : "MISSED", figure,
                    reference.empty() ? "none (absolute budget)" : reference.c_str());
        failures += ok ? 0 : 1;
    }
    if (!knvt::bench::checkStartedAsTheProgram()) {
        std::printf("start-up MISSED: the figures above are not the program's\n");
        ++failures;
    }
    return failures ? 1 : 0;
}
