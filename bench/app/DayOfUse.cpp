// Memory over a day of use. bench/day-of-use runs each benchmark in a process of its own, once:
//
// - BM_DayOfUse: a user's hour in the application, and how much the live heap (what the program holds: allocated and
//   not freed) and the resident memory grow an hour once the first ten minutes have filled the caches. The service
//   holds a library of 10,000 tasks with text as a user writes it, in some sixty projects, a few of them shared, and
//   the rounds do what a user's 46 minutes did (tasks made, edited, opened in their windows, completed and deleted; a
//   word searched for and cleared; People and Preferences opened and closed; the shared lists and one project after
//   another shown, a task of each opened in its window; once a minute a sync pulling the lists another device changed),
//   240 of them an hour. The hour passes ten times as fast, the program's own delays with it (DayApplication): a round
//   takes at least a tenth of its quarter minute, so that the program's timers fire as often a round as in the user's
//   hour, and the whole run takes about seven minutes. Both figures are read after every round; the growth a round is
//   the least-squares slope over the rounds after the first ten minutes' 40, times 240 for an hour. The resident
//   memory is read whole and split into the process's own (anonymous) and the pages of files it maps (a font file's
//   pages, read as its glyphs are drawn, count there), each with its growth. KNVT_DAY_ROUNDS
//   (240), KNVT_DAY_WARMUP (40) and KNVT_DAY_TASKS (10,000) change the counts. To see who holds what grows, run it
//   under heaptrack twice with different KNVT_DAY_ROUNDS and KNVT_DAY_END_AT_LAST_ROUND=1, which ends the process at
//   its last round with everything the program holds unfreed, and compare the two (again with 160 rounds and -o long):
//     KNVT_DAY_END_AT_LAST_ROUND=1 KNVT_DAY_ROUNDS=40 heaptrack -o short build-bench/bench/knvt_day_of_use
//     heaptrack_print -f long.zst -d short.zst -l 1 -p 0 -a 0 -T 0
// - BM_MemoryAfterSearchCleared, BM_MemoryAfterLargePull: large transient work, a search matching nearly every one
//   of 100,000 tasks typed and cleared, a pull of 6,000 changed tasks, and how much of what it took the process still
//   holds after three seconds of idle, against before it.
#include "support/DayApplication.h"

#include "support/BudgetMain.h"
#include "support/OffscreenApplication.h"
#include "support/UserText.h"

#include "store/KNVTTaskStore.h"

#include "foundation/FreedMemory.h"
#include "foundation/Timing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <vector>

namespace {

using knvt::bench::DayApplication;

const bool installed = knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication);

int fromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

constexpr int kRoundsAnHour = 240;
constexpr int kRoundsAMinute = kRoundsAnHour / 60;
// The library of the user's hour that this day repeats.
constexpr int kLibraryTasks = 10000;

// What the user looks for, one word a round, each finding tens to hundreds of the library's tasks.
const char *const kSearches[] = {"Call",    "Email", "Pay",   "Book",  "Review", "Fix",  "Buy",
                                 "Pick up", "Plan",  "Clean", "Read",  "Write",  "Meet", "Order",
                                 "Update",  "Send",  "Lunch", "Renew", "Errand"};

// One round of a user's day: a task made in the Inbox, its notes edited, its window opened and closed, completed, a
// word searched for and the search cleared, the people window and the preferences opened and closed, the lists switched
// (the two shared ones among them, whose rows paint the sharing picture whatever is chosen, and one project after
// another), the window of another task opened and closed in a shared list and in that project, once a minute a sync
// pulling the lists another device changed, and the task deleted: the library ends as it began.
bool round(DayApplication &day, int number)
{
    const QString title = QStringLiteral("Errand %1").arg(number);
    const QString search = QString::fromUtf8(kSearches[size_t(number) % std::size(kSearches)]);
    return day.clickHome(QStringLiteral("Inbox")) && day.makeTask(title)
        && day.editNotes(title, QStringLiteral("Bring the receipt")) && day.openAndCloseTaskWindow(title)
        && day.complete(title) && day.searchAndClear(search) && day.openAndClosePeople()
        && day.openAndClosePreferences() && day.clickHome(QStringLiteral("Garden"))
        && day.openAndCloseTaskWindow(day.taskRowTitle(number)) && day.clickHome(QStringLiteral("Book Club"))
        && day.clickHome(QStringLiteral("Today")) && day.clickProject(number)
        && day.openAndCloseTaskWindow(day.taskRowTitle(number))
        && (number % kRoundsAMinute != 0
            || (day.tellService(QStringLiteral("change %1").arg(number / kRoundsAMinute)) && day.sync()))
        && day.clickHome(QStringLiteral("Inbox")) && day.deleteTask(title);
}

// The least-squares slope of `values` over their positions.
double slope(const std::vector<double> &values)
{
    const double n = double(values.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const double x = double(i);
        sx += x;
        sy += values[i];
        sxx += x * x;
        sxy += x * values[i];
    }
    const double denominator = n * sxx - sx * sx;
    return denominator > 0 ? (n * sxy - sx * sy) / denominator : 0;
}

void BM_DayOfUse(benchmark::State &state)
{
    const int warmUp = fromEnvironment("KNVT_DAY_WARMUP", kRoundsAnHour / 6);
    const int rounds = fromEnvironment("KNVT_DAY_ROUNDS", kRoundsAnHour);
    for (auto _ : state) {
        DayApplication day({.tasks = fromEnvironment("KNVT_DAY_TASKS", kLibraryTasks)});
        if (!day.ready()) {
            state.SkipWithError(qPrintable(day.why()));
            return;
        }
        std::vector<double> resident;
        std::vector<double> anonymous;
        std::vector<double> fileBacked;
        std::vector<double> heap;
        // A round takes the user a quarter of a minute, which passes as fast as the program's own delays do: its
        // timers (the push after an edit, the automatic sync, the return of freed memory) fire as often a round as
        // in the user's hour.
        const double roundSeconds = 3600.0 / kRoundsAnHour * knvt::Timing::scale();
        std::printf("minutes  rounds  heap_MB  resident_MB  anonymous_MB  file_MB\n");
        for (int number = 1; number <= warmUp + rounds; ++number) {
            QElapsedTimer taken;
            taken.start();
            if (!round(day, number)) {
                state.SkipWithError(qPrintable(QStringLiteral("round %1: %2").arg(number).arg(day.why())));
                return;
            }
            // The figures are read once what the round freed has had its chance to go back, as it has in a pause of
            // the user's.
            knvt::bench::idle(std::max(roundSeconds - double(taken.elapsed()) / 1000,
                                       1.5 * knvt::freedMemoryIdleSeconds * knvt::Timing::scale()));
            if (number <= warmUp)
                continue;
            resident.push_back(knvt::bench::residentMegabytes());
            anonymous.push_back(knvt::bench::anonymousResidentMegabytes());
            fileBacked.push_back(knvt::bench::fileResidentMegabytes());
            heap.push_back(knvt::bench::heapMegabytes());
            if (number % (kRoundsAnHour / 12) == 0) {
                std::printf("%7d  %6d  %7.2f  %11.2f  %12.2f  %7.2f\n", number * 60 / kRoundsAnHour, number,
                            heap.back(), resident.back(), anonymous.back(), fileBacked.back());
                std::fflush(stdout);
            }
        }
        if (qEnvironmentVariableIsSet("KNVT_DAY_END_AT_LAST_ROUND")) {
            // What the program holds after the last round stays unfreed, so that heaptrack names it as leaked.
            std::fflush(stdout);
            std::_Exit(0);
        }
        state.counters["rounds"] = double(rounds);
        state.counters["heap_mb"] = heap.back();
        state.counters["resident_mb"] = resident.back();
        state.counters["heap_growth_mb_per_hour"] = slope(heap) * kRoundsAnHour;
        state.counters["resident_growth_mb_per_hour"] = slope(resident) * kRoundsAnHour;
        state.counters["anonymous_growth_mb_per_hour"] = slope(anonymous) * kRoundsAnHour;
        state.counters["file_backed_growth_mb_per_hour"] = slope(fileBacked) * kRoundsAnHour;
    }
}
BENCHMARK(BM_DayOfUse)->Unit(benchmark::kSecond)->Iterations(1);

// ---- Large transient work ----

// The library of 100,000 tasks the main window's benchmarks use, made once, by another process: what making it took
// would stay in this one's allocator.
QString largeLibrary()
{
    const QString path = QStringLiteral(KNVT_BENCH_DATA_DIR "/day-text%1/large/").arg(knvt::test::UserText::kVersion)
        + KNVTTaskStore::kLibraryFolderName;
    const QString marker = path + QStringLiteral("/complete");
    if (QFile::exists(marker))
        return path;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    if (QProcess::execute(QCoreApplication::applicationDirPath() + QStringLiteral("/knvt_day_service"),
                          {QStringLiteral("--library"), path})
        != 0) {
        std::fprintf(stderr, "cannot make the library %s\n", qPrintable(path));
        std::exit(2);
    }
    QFile(marker).open(QIODevice::WriteOnly);
    return path;
}

constexpr double kIdleSeconds = 3;

// The resident memory before the large work, once `work` is done (`peak_mb`), at the end of `end` (`at_end_mb`), and
// after kIdleSeconds of idle (`after_idle_mb`): counters in megabytes above before. `heap_after_idle_mb` is what the
// program still holds on the heap then, above before (caches it keeps); `kept_freed_mb`, the rest of after_idle_mb, is
// what it freed and the process has not given back.
void measureLargeWork(benchmark::State &state, DayApplication &day, const std::function<bool()> &work,
                      const std::function<bool()> &end)
{
    if (!day.ready()) {
        state.SkipWithError(qPrintable(day.why()));
        return;
    }
    for (auto _ : state) {
        // Opening (and the first sync) settle first.
        knvt::bench::idle(kIdleSeconds);
        const double before = knvt::bench::residentMegabytes();
        const double heapBefore = knvt::bench::heapMegabytes();
        if (!work()) {
            state.SkipWithError(qPrintable(day.why()));
            return;
        }
        const double peak = knvt::bench::residentMegabytes();
        if (!end()) {
            state.SkipWithError(qPrintable(day.why()));
            return;
        }
        const double done = knvt::bench::residentMegabytes();
        knvt::bench::idle(kIdleSeconds);
        state.counters["before_mb"] = before;
        state.counters["peak_mb"] = peak - before;
        state.counters["at_end_mb"] = done - before;
        const double after = knvt::bench::residentMegabytes() - before;
        const double heapKept = knvt::bench::heapMegabytes() - heapBefore;
        state.counters["after_idle_mb"] = after;
        state.counters["heap_after_idle_mb"] = heapKept;
        state.counters["kept_freed_mb"] = after - heapKept;
    }
}

void BM_MemoryAfterSearchCleared(benchmark::State &state)
{
    DayApplication day({.library = largeLibrary()});
    measureLargeWork(
        state, day, [&day] { return day.search(QStringLiteral("e")); }, [&day] { return day.clearSearch(); });
}
BENCHMARK(BM_MemoryAfterSearchCleared)->Unit(benchmark::kSecond)->Iterations(1);

void BM_MemoryAfterLargePull(benchmark::State &state)
{
    DayApplication day({.inboxTasks = 6000});
    measureLargeWork(
        state, day, [&day] { return day.tellService(QStringLiteral("inbox 1")) && day.sync(); }, [] { return true; });
}
BENCHMARK(BM_MemoryAfterLargePull)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
