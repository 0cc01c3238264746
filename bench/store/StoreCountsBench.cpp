// The badges of the dock and of the home list are counts over the whole library, recomputed after every save. This
// benchmark builds a 100,000-task library with a realistic mix (lists of every state, shared and pending ones,
// statuses, dates, archived tasks, tombstones, watchers and tag links, text as a user writes it), then, after a
// one-task save, runs every count the badges use.

#include "store/KNVTTaskStoreQueries.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTask.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Clock.h"
#include "foundation/Error.h"

#include "objectstore/Where.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include "support/SameRunRatio.h"
#include "support/TaskStoreBuilder.h"
#include "support/UserText.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kTasks = 100000;
constexpr int kUsers = 100;
constexpr int kLists = 200;
constexpr int kTags = 50;
constexpr int kWatchers = 20000;

const QDateTime kNow(QDate(2015, 3, 4), QTime(12, 0));

class FixedClock final : public knvt::Clock
{
public:
    QDateTime now() const override { return kNow; }
};

class BenchStore final : public KNVTTaskStoreQueries
{
public:
    explicit BenchStore(ostore::Context *context) : m_context(context) {}
    ostore::Context *managedObjectContext() override { return m_context; }

private:
    ostore::Context *m_context;
};

QString libraryPath()
{
    return QStringLiteral(KNVT_BENCH_DATA_DIR "/store-counts-text%1/TaskStoreData.sqlite3")
        .arg(knvt::test::UserText::kVersion);
}

void buildLibrary(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    ostore::Coordinator coordinator(KNVTCDModel());
    knvt::Error error;
    if (!coordinator.open(path, nullptr, &error)) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(error.description()));
        std::exit(2);
    }
    ostore::Context context(&coordinator);
    knvt::test::TaskStoreBuilder(&context).generateLibrary({.users = kUsers,
                                                            .lists = kLists,
                                                            .tasks = kTasks,
                                                            .tags = kTags,
                                                            .watchers = kWatchers,
                                                            .seed = 42,
                                                            .now = kNow,
                                                            .text = knvt::test::LibraryText::UserWritten});
    if (!context.save(&error)) {
        std::fprintf(stderr, "cannot save %s: %s\n", qPrintable(path), qPrintable(error.description()));
        std::exit(2);
    }
}

struct Library
{
    FixedClock clock;
    std::unique_ptr<ostore::Coordinator> coordinator;
    std::unique_ptr<ostore::Context> context;
    std::unique_ptr<BenchStore> store;
    KNVTCDTask *edited = nullptr;
};

Library &library()
{
    static Library *l = [] {
        auto *built = new Library;
        knvt::Clock::setShared(&built->clock);
        const QString path = libraryPath();
        if (!QFile::exists(path))
            buildLibrary(path);
        built->coordinator = std::make_unique<ostore::Coordinator>(KNVTCDModel());
        knvt::Error error;
        if (!built->coordinator->open(path, nullptr, &error)) {
            std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(error.description()));
            std::exit(2);
        }
        built->context = std::make_unique<ostore::Context>(built->coordinator.get());
        built->store = std::make_unique<BenchStore>(built->context.get());
        built->edited = built->store->taskForNumericIdentifier(qint64(kTasks / 2));
        if (!built->edited)
            built->edited = built->store->tasks().front();
        return built;
    }();
    return *l;
}

// The six numbers the dock badge and the home list show.
qsizetype allBadgeCounts(KNVTTaskStoreQueries &store)
{
    return store.numberOfUncompletedInboxTasks() + store.numberOfUncompletedDueAndTodayTasks()
        + store.numberOfUncompletedDueTasks() + store.numberOfUncompletedDueTodayAndInboxTasks()
        + store.numberOfDelegatedTasks() + store.numberOfNotifications();
}

void BM_FocusCountsAfterSave(benchmark::State &state)
{
    Library &l = library();
    benchmark::DoNotOptimize(allBadgeCounts(*l.store)); // loads every entity once
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        l.edited->setTitle(flip ? QStringLiteral("Edited title A") : QStringLiteral("Edited title B"));
        flip = !flip;
        if (!l.context->save())
            state.SkipWithError("save failed");
        state.ResumeTiming();
        benchmark::DoNotOptimize(allBadgeCounts(*l.store));
    }
}
BENCHMARK(BM_FocusCountsAfterSave)->UseRealTime()->Unit(benchmark::kMillisecond);

// The next instant at which a task's start or due date passes, which the store's alarm waits for, asked again after
// a one-task save that moved the edited task's start: answered from ordered indexes of the two dates. The same answer
// found by scanning the tasks (what the indexes spare every save) is timed in the same run as scan_ms and x_scan.
void BM_NextTaskDateAfterSave(benchmark::State &state)
{
    using namespace ostore::where;
    Library &l = library();
    const QDateTime originalStart = l.edited->startDate();
    benchmark::DoNotOptimize(l.store->nextTaskDateAfter(kNow)); // builds the indexes once
    double indexedSeconds = 0;
    double scanSeconds = 0;
    qint64 minutes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        l.edited->setStartDate(kNow.addSecs(60 * (1 + (minutes++ % 600))));
        if (!l.context->save())
            state.SkipWithError("save failed");
        scanSeconds += knvt::bench::secondsOf([&l] {
            const std::vector<KNVTCDTask *> scanned =
                l.context->fetch<KNVTCDTask>(key("startDate") > kNow && isNull("deletedDate") && isNull("archivedDate"),
                                             {{QStringLiteral("startDate")}}, 1);
            benchmark::DoNotOptimize(scanned);
        });
        state.ResumeTiming();
        indexedSeconds += knvt::bench::secondsOf([&l] { benchmark::DoNotOptimize(l.store->nextTaskDateAfter(kNow)); });
    }
    l.edited->setStartDate(originalStart);
    l.context->save();
    state.counters["scan_ms"] = benchmark::Counter(scanSeconds * 1e3 / double(state.iterations()));
    state.counters["x_scan"] = benchmark::Counter(scanSeconds > 0 ? indexedSeconds / scanSeconds : 0);
}
BENCHMARK(BM_NextTaskDateAfterSave)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Each count alone, to show where the time goes.
template <qsizetype (KNVTTaskStoreQueries::*count)()>
void BM_OneCount(benchmark::State &state)
{
    Library &l = library();
    for (auto _ : state)
        benchmark::DoNotOptimize(((*l.store).*count)());
}
BENCHMARK_TEMPLATE(BM_OneCount, &KNVTTaskStoreQueries::numberOfUncompletedInboxTasks)
    ->Name("BM_Count/inbox")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCount, &KNVTTaskStoreQueries::numberOfUncompletedDueAndTodayTasks)
    ->Name("BM_Count/today")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCount, &KNVTTaskStoreQueries::numberOfUncompletedDueTasks)
    ->Name("BM_Count/due")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCount, &KNVTTaskStoreQueries::numberOfUncompletedDueTodayAndInboxTasks)
    ->Name("BM_Count/todayAndInbox")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCount, &KNVTTaskStoreQueries::numberOfDelegatedTasks)
    ->Name("BM_Count/delegated")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCount, &KNVTTaskStoreQueries::numberOfNotifications)
    ->Name("BM_Count/notifications")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
