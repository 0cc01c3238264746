// The outline lists rebuild every row after each save and then put the selection back. These benchmarks time that
// road for a tag list, a search list and the outline of one project, each of 10,000 rows: from the store's
// did-change notification of a one-task save (the disk's own time for the save is not the list's) through the
// rebuild and the passes of the event loop until the 100 selected tasks are selected again. The tag list and the
// search list are also measured against SQLite scanning the column they select by in the same file, in every
// iteration.

#include "lists/KNVTSearchItemsOutlineViewController.h"
#include "lists/KNVTTagsItemsOutlineViewController.h"
#include "lists/KNVTTaskListItemsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsOutlineView.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "support/BareScan.h"
#include "support/BudgetMain.h"
#include "support/OffscreenApplication.h"
#include "support/SameRunRatio.h"
#include "support/TaskStoreBuilder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

const bool installed = knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication);

constexpr int kRows = 10000;
constexpr int kSelected = 100;

// One library for every list: 10,000 tasks of one project, all tagged "errand", all titled "invoice ...", in a mix
// of open (ordered), scheduled, someday and completed tasks.
struct Library
{
    QTemporaryDir dir;
    std::unique_ptr<knvt::Defaults> suite;
    std::unique_ptr<KNVTTaskStore> store;
    KNVTCDTag *tag = nullptr;
    KNVTCDTaskList *project = nullptr;

    Library()
    {
        suite = std::make_unique<knvt::Defaults>(dir.filePath(QStringLiteral("suite.json")));
        KNVTTaskStore::Environment environment;
        environment.libraryPath = dir.filePath(QStringLiteral("Library"));
        environment.containerUserDefaults = suite.get();
        store = std::make_unique<KNVTTaskStore>(std::move(environment));
        KNVTTaskStore::setDefaultTaskStore(store.get());
        knvt::test::TaskStoreBuilder make(store->managedObjectContext());
        KNVTCDUser *me = store->me();
        tag = make.tag({.title = QStringLiteral("errand"), .creator = me});
        project = make.taskList(
            {.title = QStringLiteral("Office"), .type = 1, .status = 2, .members = {{me, 1}}, .collaboratorStatus = 2});
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < kRows; ++i) {
            const int kind = i % 10;
            KNVTCDTask *task = make.task({.title = QStringLiteral("invoice %1").arg(kRows - i, 5, 10, QLatin1Char('0')),
                                          .status = kind == 8 ? 1 : (kind == 9 ? 4 : 2),
                                          .assignee = me,
                                          .creator = me,
                                          .start = kind == 7 ? now.addDays(1 + i % 30) : QDateTime(),
                                          .list = project,
                                          .tags = {tag}});
            if (kind < 7)
                task->setTaskListOrderIndex(i);
        }
        if (!store->save()) {
            std::fprintf(stderr, "cannot save the benchmark library\n");
            std::exit(2);
        }
    }
    ~Library() { KNVTTaskStore::setDefaultTaskStore(nullptr); }
};

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

Library &library()
{
    static Library shared;
    return shared;
}

// `referenceSql`, when given, is the bare scan the rebuild is measured against.
template <class List, class Setup>
void rebuildAfterSave(benchmark::State &state, Setup setup, const QByteArray &referenceSql = {})
{
    Library &lib = library();
    knvt::bench::BareScan bare;
    if (!referenceSql.isEmpty()
        && (!bare.open(QDir(lib.dir.filePath(QStringLiteral("Library"))).filePath(KNVTTaskStore::kStoreFileName),
                       referenceSql)
            || bare.run() < kRows)) {
        state.SkipWithError("cannot prepare the reference");
        return;
    }
    knvt::bench::SameRunRatio ratio;
    // Observers hear a notification in the order they were added: this one before the list.
    std::chrono::steady_clock::time_point start;
    double startCpu = 0;
    double cpuSeconds = 0;
    const knvt::NotificationCenter::Token token = knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreDidChangeNotification), lib.store.get(), nullptr,
        [&start, &startCpu](const knvt::Notification &) {
            start = std::chrono::steady_clock::now();
            startCpu = threadCpuSeconds();
        });
    List list(nullptr);
    list.view()->resize(600, 800);
    list.view()->show();
    setup(list, lib);
    QCoreApplication::processEvents();
    QList<int> rows;
    for (int row = 1; rows.size() < kSelected && row < list.numberOfRows(); row += 37)
        if (!list.rowAt(row)->isHeader())
            rows << row;
    list.selectRows(rows);
    if (list.numberOfRows() < kRows) {
        state.SkipWithError("the list shows too few rows");
        knvt::NotificationCenter::defaultCenter().removeObserver(token);
        return;
    }
    KNVTCDTask *changed = list.tasks()[kRows / 2];
    static int round = 0;
    for (auto _ : state) {
        changed->setNotes(QStringLiteral("round %1").arg(++round));
        lib.store->save();
        // The rebuild ran inside the save; the expansion and the reselection run on the next passes.
        int passes = 0;
        while (list.selectedRows().size() != rows.size() && passes++ < 100)
            QCoreApplication::processEvents();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        cpuSeconds += threadCpuSeconds() - startCpu;
        if (!referenceSql.isEmpty()) {
            ratio.addWork(seconds);
            ratio.addReference(knvt::bench::secondsOf([&bare, &state] {
                if (bare.run() < kRows)
                    state.SkipWithError("the reference failed");
            }));
        }
        if (passes > 100) {
            state.SkipWithError("the selection did not come back");
            break;
        }
    }
    knvt::NotificationCenter::defaultCenter().removeObserver(token);
    state.counters["rows"] = double(list.numberOfRows());
    // The same time on this thread's processor clock, which a busy machine does not stretch.
    state.counters["cpu_ms"] = benchmark::Counter(cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
    ratio.report(state);
}

void BM_TagListRebuildAfterSave(benchmark::State &state)
{
    rebuildAfterSave<KNVTTagsItemsOutlineViewController>(
        state, [](KNVTTagsItemsOutlineViewController &list, Library &lib) { list.setTags({lib.tag}); },
        "SELECT task FROM KNVTCDTaggedTask WHERE tag = (SELECT Z_ID FROM KNVTCDTag WHERE title = 'errand') "
        "AND deletedDate IS NULL");
}

void BM_SearchListRebuildAfterSave(benchmark::State &state)
{
    rebuildAfterSave<KNVTSearchItemsOutlineViewController>(
        state,
        [](KNVTSearchItemsOutlineViewController &list, Library &) { list.setSearchString(QStringLiteral("invoice")); },
        "SELECT Z_ID FROM KNVTCDTask WHERE (title LIKE '%invoice%' OR notes LIKE '%invoice%') AND deletedDate IS NULL");
}

void BM_TaskListOutlineRebuildAfterSave(benchmark::State &state)
{
    rebuildAfterSave<KNVTTaskListItemsOutlineViewController>(
        state, [](KNVTTaskListItemsOutlineViewController &list, Library &lib) { list.setTaskList(lib.project); });
}

} // namespace

BENCHMARK(BM_TagListRebuildAfterSave)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchListRebuildAfterSave)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaskListOutlineRebuildAfterSave)->UseManualTime()->Unit(benchmark::kMillisecond);
