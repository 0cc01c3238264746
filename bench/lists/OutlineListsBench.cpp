// The outline lists follow each save in place. These benchmarks time that update for a tag list, a search list and
// the outline of one project, each of 10,000 rows with 100 of them selected: from the store's did-change notification
// of a one-task save (the disk's own time for the save is not the list's) until the list has handled it, plus the one
// pass of the event loop in which the view takes the change in; the 100 tasks must still be selected. The tag list
// and the search list also report SQLite scanning the column they select by in the same file, in every iteration,
// which a whole rebuild of the list used to be measured against.

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
#include "support/UserText.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

const bool installed = knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication);

constexpr int kRows = 10000;
constexpr int kSelected = 100;

// One library for every list: 10,000 tasks of one project, all tagged "errand", titled as a user writes titles and
// each followed by the number of its invoice, a third with notes, in a mix of open (ordered), scheduled, someday and
// completed tasks.
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
        knvt::test::UserText text(kRows);
        for (int i = 0; i < kRows; ++i) {
            const int kind = i % 10;
            const QString title =
                QStringLiteral("%1 (invoice %2)")
                    .arg(text.taskTitle(), QStringLiteral("%1").arg(kRows - i, 5, 10, QLatin1Char('0')));
            const QString notes = i % 3 == 0 ? text.taskNotes() : QString();
            KNVTCDTask *task = make.task({.title = title,
                                          .status = kind == 8 ? 1 : (kind == 9 ? 4 : 2),
                                          .assignee = me,
                                          .creator = me,
                                          .start = kind == 7 ? now.addDays(1 + i % 30) : QDateTime(),
                                          .list = project,
                                          .notes = notes,
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

// `referenceSql`, when given, is the bare scan reported next to the update.
template <class List, class Setup>
void updateAfterSave(benchmark::State &state, Setup setup, const QByteArray &referenceSql = {})
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
    // Observers hear a notification in the order they were added: this one before the list, the next after it.
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point handled;
    double startCpu = 0;
    double cpuSeconds = 0;
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    const QString didChange = QString::fromLatin1(KNVTTaskStoreDidChangeNotification);
    const knvt::NotificationCenter::Token before =
        center.addObserver(didChange, lib.store.get(), nullptr, [&start, &startCpu](const knvt::Notification &) {
            start = std::chrono::steady_clock::now();
            startCpu = threadCpuSeconds();
        });
    List list(nullptr);
    const knvt::NotificationCenter::Token after =
        center.addObserver(didChange, lib.store.get(), nullptr,
                           [&handled](const knvt::Notification &) { handled = std::chrono::steady_clock::now(); });
    list.view()->resize(600, 800);
    list.view()->show();
    setup(list, lib);
    QCoreApplication::processEvents();
    QList<int> rows;
    for (int row = 1; rows.size() < kSelected && row < list.numberOfRows(); row += 37)
        if (!list.rowAt(row)->isHeader())
            rows << row;
    list.selectRows(rows);
    auto stop = [&] {
        center.removeObserver(before);
        center.removeObserver(after);
    };
    if (list.numberOfRows() < kRows) {
        state.SkipWithError("the list shows too few rows");
        stop();
        return;
    }
    KNVTCDTask *changed = list.tasks()[kRows / 2];
    static int round = 0;
    for (auto _ : state) {
        changed->setNotes(QStringLiteral("round %1").arg(++round));
        lib.store->save();
        // What the save set off after the list (the library's date, the signal to other processes) is not the
        // list's; the view's own pass is.
        const auto passStart = std::chrono::steady_clock::now();
        QCoreApplication::processEvents();
        const double seconds = std::chrono::duration<double>(handled - start).count()
            + std::chrono::duration<double>(std::chrono::steady_clock::now() - passStart).count();
        state.SetIterationTime(seconds);
        cpuSeconds += threadCpuSeconds() - startCpu;
        if (!referenceSql.isEmpty()) {
            ratio.addWork(seconds);
            ratio.addReference(knvt::bench::secondsOf([&bare, &state] {
                if (bare.run() < kRows)
                    state.SkipWithError("the reference failed");
            }));
        }
        if (list.selectedRows().size() != rows.size()) {
            state.SkipWithError("the selection was lost");
            break;
        }
    }
    stop();
    state.counters["rows"] = double(list.numberOfRows());
    // The same time on this thread's processor clock, which a busy machine does not stretch.
    state.counters["cpu_ms"] = benchmark::Counter(cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
    ratio.report(state);
}

void BM_TagListUpdateAfterSave(benchmark::State &state)
{
    updateAfterSave<KNVTTagsItemsOutlineViewController>(
        state, [](KNVTTagsItemsOutlineViewController &list, Library &lib) { list.setTags({lib.tag}); },
        "SELECT task FROM KNVTCDTaggedTask WHERE tag = (SELECT Z_ID FROM KNVTCDTag WHERE title = 'errand') "
        "AND deletedDate IS NULL");
}

void BM_SearchListUpdateAfterSave(benchmark::State &state)
{
    updateAfterSave<KNVTSearchItemsOutlineViewController>(
        state,
        [](KNVTSearchItemsOutlineViewController &list, Library &) {
            // A search of many tasks is found in slices between events.
            list.setSearchString(QStringLiteral("invoice"));
            while (list.isSearching())
                QCoreApplication::processEvents();
        },
        "SELECT Z_ID FROM KNVTCDTask WHERE (title LIKE '%invoice%' OR notes LIKE '%invoice%') AND deletedDate IS NULL");
}

void BM_TaskListOutlineUpdateAfterSave(benchmark::State &state)
{
    updateAfterSave<KNVTTaskListItemsOutlineViewController>(
        state, [](KNVTTaskListItemsOutlineViewController &list, Library &lib) { list.setTaskList(lib.project); });
}

} // namespace

BENCHMARK(BM_TagListUpdateAfterSave)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchListUpdateAfterSave)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaskListOutlineUpdateAfterSave)->UseManualTime()->Unit(benchmark::kMillisecond);
