#pragma once

#include "model/KNVTCDModel.h"
#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Error.h"

#include "support/BareInsert.h"
#include "support/SameRunRatio.h"

#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace knvt::bench {

// An empty library of the application's model in a temporary folder.
struct FreshLibrary
{
    QTemporaryDir dir;
    std::unique_ptr<ostore::Coordinator> coordinator;

    bool open()
    {
        coordinator = std::make_unique<ostore::Coordinator>(KNVTCDModel());
        knvt::Error error;
        if (!dir.isValid()
            || !coordinator->open(dir.filePath(QStringLiteral("TaskStoreData.sqlite3")), nullptr, &error)) {
            std::fprintf(stderr, "cannot open a library: %s\n", qPrintable(error.description()));
            return false;
        }
        return true;
    }
};

// The bare counterpart of a benchmark's work, timed beside it in every iteration: `prepare` runs once, after the
// first run was checked, with its library (to capture the rows it wrote, say); `run` then does the bare work in an
// empty folder of its own and answers its seconds, or a negative number when it failed.
struct SameRunReference
{
    std::function<bool(ostore::Coordinator &)> prepare;
    std::function<double(const QString &folder)> run;
};

// The machine's own limit for a pull: `parse` reading the same reply bytes, then SQLite alone inserting the rows the
// work wrote (captured from the first run's library) in one transaction of its own.
inline SameRunReference bareParseAndInsert(std::function<void()> parse)
{
    auto rows = std::make_shared<BareInsert>();
    return {[rows](ostore::Coordinator &coordinator) { return rows->capture(coordinator.path()); },
            [rows, parse = std::move(parse)](const QString &folder) {
                const double parsing = secondsOf(parse);
                const double insert = rows->insertInto(folder);
                return insert < 0 ? insert : parsing + insert;
            }};
}

// Times `work` once per iteration on a library of its own, opened and seeded (untimed) just before; `finish`, when
// given, then runs untimed. `work`, `finish` and `check` answer the reason they fell short, or an empty string;
// `check` runs once, after the first run, because a figure for a run that lost objects means nothing. Reports
// tasks_per_second for `tasks` tasks per run, and with a reference its mean time (reference_ms) and the ratio of
// the work to it (x_reference).
inline void runOnFreshLibraries(benchmark::State &state, int tasks,
                                const std::function<bool(ostore::Context &seed)> &seed,
                                const std::function<QString(ostore::Coordinator &)> &work,
                                const std::function<QString(ostore::Coordinator &)> &check,
                                const std::function<QString(ostore::Coordinator &)> &finish = {},
                                const SameRunReference &reference = {})
{
    bool checked = false;
    double workSeconds = 0;
    SameRunRatio ratio;
    for (auto _ : state) {
        state.PauseTiming();
        auto library = std::make_unique<FreshLibrary>();
        bool seeded = library->open();
        if (seeded) {
            ostore::Context context(library->coordinator.get());
            seeded = seed(context) && context.save();
        }
        if (!seeded) {
            state.SkipWithError("cannot open a library");
            break;
        }
        state.ResumeTiming();
        QString failure;
        const double workRun = secondsOf([&] { failure = work(*library->coordinator); });
        workSeconds += workRun;
        ratio.addWork(workRun);

        state.PauseTiming();
        QString reason = failure;
        if (reason.isEmpty() && finish)
            reason = finish(*library->coordinator);
        if (reason.isEmpty() && !checked) {
            checked = true;
            reason = check(*library->coordinator);
            if (reason.isEmpty() && reference.prepare && !reference.prepare(*library->coordinator))
                reason = QStringLiteral("cannot prepare the reference");
        }
        if (reason.isEmpty() && reference.run) {
            QTemporaryDir folder;
            const double seconds = folder.isValid() ? reference.run(folder.path()) : -1;
            if (seconds < 0)
                reason = QStringLiteral("the reference failed");
            ratio.addReference(seconds);
        }
        if (!reason.isEmpty()) {
            state.SkipWithError(qPrintable(reason));
            break;
        }
        library.reset();
        state.ResumeTiming();
    }
    if (workSeconds > 0)
        state.counters["tasks_per_second"] = double(tasks) * double(state.iterations()) / workSeconds;
    ratio.report(state);
}

} // namespace knvt::bench
