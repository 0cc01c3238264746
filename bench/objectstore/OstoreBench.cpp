#include "LibraryFixture.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTask.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Where.h"

#include "support/BareCommit.h"
#include "support/BareScan.h"
#include "support/OwnProcess.h"
#include "support/SameRunRatio.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <malloc.h>
#include <memory>
#include <random>
#include <vector>

using namespace ostore;
using namespace ostore::where;

namespace {

const QDateTime kNow = QDateTime::fromMSecsSinceEpoch(LibraryFixture::kNowMs, Qt::UTC);

// One library shared by the benchmarks that work on a loaded cache.
struct Shared
{
    Shared()
    {
        coordinator = std::make_unique<Coordinator>(KNVTCDModel());
        if (!coordinator->open(LibraryFixture::path()))
            std::abort();
        main = std::make_unique<Context>(coordinator.get());
        main->count<KNVTCDTask>();
    }
    ~Shared()
    {
        main.reset();
        coordinator.reset();
    }
    std::unique_ptr<Coordinator> coordinator;
    std::unique_ptr<Context> main;
};

Shared &shared()
{
    static Shared s;
    return s;
}

// The load a bare client would do: the same pragmas and SELECT, each column read by its typed accessor.
void bareSelect()
{
    static const QByteArray sql = [] {
        const Model m = [] {
            Model model = KNVTCDModel();
            model.finalize();
            return model;
        }();
        const EntityDescription &e = m.entity(m.entityId(QStringLiteral("KNVTCDTask")));
        QString s = QStringLiteral("SELECT Z_ROWID, Z_ID");
        for (int p : e.columnProperties)
            s += QStringLiteral(", \"%1\"").arg(e.properties[p].name);
        return (s + QStringLiteral(" FROM \"KNVTCDTask\" ORDER BY Z_ROWID")).toUtf8();
    }();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(LibraryFixture::path().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-8192; "
                 "PRAGMA temp_store=MEMORY; PRAGMA foreign_keys=OFF",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(stmt, c)); break;
            case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(stmt, c)); break;
            case SQLITE_TEXT:
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
                benchmark::DoNotOptimize(sqlite3_column_bytes(stmt, c));
                break;
            default: break;
            }
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_BareSelectTasks(benchmark::State &state)
{
    LibraryFixture::path();
    bareSelect();
    for (auto _ : state)
        bareSelect();
}
BENCHMARK(BM_BareSelectTasks)->UseRealTime()->Unit(benchmark::kMillisecond);

void openLoad()
{
    Coordinator c(KNVTCDModel());
    c.open(LibraryFixture::path());
    Context context(&c);
    benchmark::DoNotOptimize(context.count<KNVTCDTask>());
}

void BM_OpenLoadTasks(benchmark::State &state)
{
    LibraryFixture::path();
    openLoad(); // warms the page cache
    std::vector<double> bare;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        bareSelect();
        bare.push_back(seconds(std::chrono::steady_clock::now() - t0));
    }
    std::sort(bare.begin(), bare.end());
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        openLoad();
        total += seconds(std::chrono::steady_clock::now() - t0);
    }
    state.counters["x_bare"] = (total / double(state.iterations())) / bare[2];
    state.counters["bare_ms"] = bare[2] * 1000;
}
BENCHMARK(BM_OpenLoadTasks)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_TaskRowBytes(benchmark::State &state)
{
    LibraryFixture::path();
    for (auto _ : state) {
        malloc_trim(0);
        const struct mallinfo2 m0 = mallinfo2();
        const qint64 s0 = sqlite3_memory_used();
        Coordinator c(KNVTCDModel());
        c.open(LibraryFixture::path());
        Context context(&c);
        context.count<KNVTCDTask>();
        const EntityId task = c.model().entityId(QStringLiteral("KNVTCDTask"));
        c.buildIndexes(task);
        const struct mallinfo2 m1 = mallinfo2();
        const qint64 s1 = sqlite3_memory_used();
        // The characters themselves are not overhead (a byte each where the text is Latin-1, two otherwise); their
        // headers and the allocator's rounding are.
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(c.handle(), "SELECT title, notes, eTag, changedKeysString, recurrenceString FROM KNVTCDTask",
                           -1, &stmt, nullptr);
        double characters = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < 5; ++i) {
                const QString text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                                       sqlite3_column_bytes(stmt, i));
                const bool latin1 =
                    std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x100; });
                characters += double(text.size()) * (latin1 ? 1 : 2);
            }
        }
        sqlite3_finalize(stmt);
        const double delta = double(m1.uordblks + m1.hblkhd) - double(m0.uordblks + m0.hblkhd) - double(s1 - s0);
        state.counters["bytes_per_row"] = (delta - characters) / LibraryFixture::kTasks;
    }
}
[[maybe_unused]] auto *const taskRowBytes = knvt::bench::registerInOwnProcesses("BM_TaskRowBytes", &BM_TaskRowBytes)
                                                -> Unit(benchmark::kMillisecond) -> Iterations(1);

Object *me(Context &context)
{
    FetchRequest request;
    request.entity = QStringLiteral("KNVTCDUser");
    request.predicate = key(QStringLiteral("friendshipStatus")) == 6;
    return context.firstObject(request);
}

// "assignee == %@ AND (dueDate <= %@ || startDate <= %@) && status != %@ AND status != %@ AND
//  (taskList == nil || taskList.taskListCollaboratorStatus == %@) AND archivedDate == nil AND deletedDate == nil"
Predicate dueAndToday(Object *user)
{
    return key(QStringLiteral("assignee")) == user
        && (key(QStringLiteral("dueDate")) <= kNow || key(QStringLiteral("startDate")) <= kNow)
        && key(QStringLiteral("status")) != 5 && key(QStringLiteral("status")) != 4
        && (isNull(QStringLiteral("taskList")) || key(QStringLiteral("taskList.taskListCollaboratorStatus")) == 2)
        && isNull(QStringLiteral("archivedDate")) && isNull(QStringLiteral("deletedDate"));
}

void BM_TodayBadgeCount(benchmark::State &state)
{
    Context &main = *shared().main;
    std::vector<KNVTCDTask *> edited;
    if (state.range(0) > 0)
        edited = main.fetch<KNVTCDTask>({}, {}, state.range(0));
    for (KNVTCDTask *t : edited)
        t->setStatus(2);
    main.count<KNVTCDTask>(dueAndToday(me(main))); // loads users and lists
    for (auto _ : state)
        benchmark::DoNotOptimize(main.count<KNVTCDTask>(dueAndToday(me(main))));
    main.refreshAll(false);
}
BENCHMARK(BM_TodayBadgeCount)->Arg(0)->Arg(20)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_TodayFetch(benchmark::State &state)
{
    Context &main = *shared().main;
    const Predicate today = dueAndToday(me(main));
    benchmark::DoNotOptimize(main.fetch<KNVTCDTask>(today).size()); // registers them
    for (auto _ : state)
        benchmark::DoNotOptimize(main.fetch<KNVTCDTask>(today).size());
}
BENCHMARK(BM_TodayFetch)->UseRealTime()->Unit(benchmark::kMillisecond);

// One edited task saved, against SQLite alone inserting one row and committing it with the library's durability
// (WAL, synchronous=FULL), both timed in every iteration.
void BM_SaveOneTask(benchmark::State &state)
{
    Context &main = *shared().main;
    shared().coordinator->buildIndexes(shared().coordinator->model().entityId(QStringLiteral("KNVTCDTask")));
    KNVTCDTask *task = main.firstObject<KNVTCDTask>(key(QStringLiteral("numericIdentifier")) == 100500);
    QTemporaryDir folder;
    knvt::bench::BareCommit bare;
    if (!folder.isValid() || !bare.open(LibraryFixture::path(), folder.path(), "KNVTCDTask")) {
        state.SkipWithError("cannot prepare the reference");
        return;
    }
    bare.timeAgainst(state, [&](bool flip) {
        task->setTitle(flip ? QStringLiteral("Write the quarterly report") : QStringLiteral("Write the annual report"));
        return main.save();
    });
}
BENCHMARK(BM_SaveOneTask)->UseRealTime()->Unit(benchmark::kMillisecond);

// "(title contains[cd] %@ OR notes contains[cd] %@) AND deletedDate == nil"
Predicate search(const QString &term)
{
    return (key(QStringLiteral("title")).contains(term, Fold::CaseDiacritic)
            || key(QStringLiteral("notes")).contains(term, Fold::CaseDiacritic))
        && isNull(QStringLiteral("deletedDate"));
}

// A search of the task table, against SQLite scanning the same columns of the same file for the same text (its LIKE
// ignores case, in ASCII), both timed in every iteration. Cold: the first search after opening the library, which
// folds the searched texts; warm: a keystroke's search once they are folded.
void BM_Search(benchmark::State &state, bool cold)
{
    LibraryFixture::path();
    knvt::bench::BareScan bare;
    if (!bare.open(LibraryFixture::path(),
                   "SELECT Z_ID FROM KNVTCDTask WHERE (title LIKE '%report%' OR notes LIKE '%report%') "
                   "AND deletedDate IS NULL")
        || bare.run() < 0) {
        state.SkipWithError("cannot prepare the reference");
        return;
    }
    knvt::bench::SameRunRatio ratio;
    const auto reference = [&] {
        if (bare.run() < 0)
            state.SkipWithError("the reference failed");
    };
    if (cold) {
        for (auto _ : state) {
            state.PauseTiming();
            auto c = std::make_unique<Coordinator>(KNVTCDModel());
            c->open(LibraryFixture::path());
            auto context = std::make_unique<Context>(c.get());
            context->count<KNVTCDTask>();
            state.ResumeTiming();
            ratio.addWork(knvt::bench::secondsOf(
                [&] { benchmark::DoNotOptimize(context->count<KNVTCDTask>(search(QStringLiteral("report")))); }));
            state.PauseTiming();
            context.reset();
            c.reset();
            state.ResumeTiming();
            ratio.timeReference(state, reference);
        }
        ratio.report(state);
        return;
    }
    Context &main = *shared().main;
    main.count<KNVTCDTask>(search(QStringLiteral("report")));
    for (auto _ : state) {
        ratio.addWork(knvt::bench::secondsOf(
            [&] { benchmark::DoNotOptimize(main.fetch<KNVTCDTask>(search(QStringLiteral("report"))).size()); }));
        ratio.timeReference(state, reference);
    }
    ratio.report(state);
}
BENCHMARK_CAPTURE(BM_Search, cold, true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, warm, false)->UseRealTime()->Unit(benchmark::kMillisecond);

// The memory a search keeps once it has run, a task's share as the allocator counts it: the searched texts folded
// for it, or whatever else a later keystroke would reuse. One search counts what a term matches, another fetches for
// a term that matches nothing, so that no result is counted.
void BM_FoldedSearchTextBytes(benchmark::State &state)
{
    for (auto _ : state) {
        Coordinator c(KNVTCDModel());
        c.open(LibraryFixture::path());
        Context context(&c);
        context.count<KNVTCDTask>();
        malloc_trim(0);
        const struct mallinfo2 m0 = mallinfo2();
        benchmark::DoNotOptimize(context.count<KNVTCDTask>(search(QStringLiteral("report"))));
        if (!context.fetch<KNVTCDTask>(search(QStringLiteral("zqxwv"))).empty())
            state.SkipWithError("a search for nothing found tasks");
        const struct mallinfo2 m1 = mallinfo2();
        state.counters["bytes_per_task"] =
            (double(m1.uordblks + m1.hblkhd) - double(m0.uordblks + m0.hblkhd)) / LibraryFixture::kTasks;
    }
}
[[maybe_unused]] auto *const foldedSearchTextBytes =
    knvt::bench::registerInOwnProcesses("BM_FoldedSearchTextBytes", &BM_FoldedSearchTextBytes)
        -> Unit(benchmark::kMillisecond) -> Iterations(1);

void BM_LookupByNumericIdentifier(benchmark::State &state)
{
    Context &main = *shared().main;
    std::mt19937 random(42);
    main.firstObject<KNVTCDTask>(key(QStringLiteral("numericIdentifier")) == 100001);
    for (auto _ : state)
        benchmark::DoNotOptimize(main.firstObject<KNVTCDTask>(key(QStringLiteral("numericIdentifier"))
                                                              == qint64(100000 + random() % 90000)));
}
BENCHMARK(BM_LookupByNumericIdentifier)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ExternalReloadOneRow(benchmark::State &state)
{
    Coordinator &coordinator = *shared().coordinator;
    sqlite3 *other = nullptr;
    sqlite3_open(LibraryFixture::path().toUtf8().constData(), &other);
    sqlite3_busy_timeout(other, 5000);
    // The other writer updates by Z_ID, as the engine does; numericIdentifier has no SQL index.
    qint64 zid = 0;
    sqlite3_stmt *find = nullptr;
    sqlite3_prepare_v2(other, "SELECT Z_ID FROM KNVTCDTask WHERE numericIdentifier = 100700", -1, &find, nullptr);
    if (sqlite3_step(find) == SQLITE_ROW)
        zid = sqlite3_column_int64(find, 0);
    sqlite3_finalize(find);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray sql =
            QStringLiteral("BEGIN IMMEDIATE; UPDATE Z_METADATA SET value = value + 1 WHERE key = 'txn'; "
                           "UPDATE KNVTCDTask SET title = 'changed elsewhere %1', Z_TXN = "
                           "(SELECT value FROM Z_METADATA WHERE key = 'txn') WHERE Z_ID = %2; COMMIT;")
                .arg(++n)
                .arg(zid)
                .toUtf8();
        sqlite3_exec(other, sql.constData(), nullptr, nullptr, nullptr);
        state.ResumeTiming();
        const ChangeSet cs = coordinator.reloadExternalChanges();
        if (cs.updated.size() != 1)
            state.SkipWithError("reload missed the row");
    }
    sqlite3_close(other);
}
BENCHMARK(BM_ExternalReloadOneRow)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SessionSave1000(benchmark::State &state)
{
    Coordinator &coordinator = *shared().coordinator;
    Context &main = *shared().main;
    int round = 0;
    for (auto _ : state) {
        ++round;
        Context session(&coordinator);
        QObject::connect(&session, &Context::didSave, &main,
                         [&](const ChangeSet &cs) { main.mergeChanges(cs, ChangeOrigin::Merge); });
        for (int i = 0; i < 1000; ++i) {
            // An upsert by identifier, as a pull does; every tenth is new.
            const qint64 id = i % 10 == 9 ? 900000 + round * 1000 + i : 100000 + i * 7;
            KNVTCDTask *t = session.firstObject<KNVTCDTask>(key(QStringLiteral("numericIdentifier")) == id);
            if (!t) {
                t = session.insert<KNVTCDTask>();
                t->setNumericIdentifier(id);
            }
            t->setTitle(QStringLiteral("pulled %1 %2").arg(round).arg(i));
            t->setStatus(2);
        }
        if (!session.save())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SessionSave1000)->UseRealTime()->Unit(benchmark::kMillisecond);

// A first pull: every reply object is looked up by identifier and, missing, inserted, so the lookups run against a
// growing set of unsaved inserts. One iteration per repetition keeps the shared library from growing much.
void BM_SessionInsert10000(benchmark::State &state)
{
    Coordinator &coordinator = *shared().coordinator;
    static qint64 nextId = 50000000;
    const QString commentEntity = QStringLiteral("KNVTCDTaskComment");
    const QString numericIdentifier = QStringLiteral("numericIdentifier");
    for (auto _ : state) {
        Context session(&coordinator);
        for (int i = 0; i < 10000; ++i) {
            const qint64 id = nextId++;
            KNVTCDTask *t = session.firstObject<KNVTCDTask>(key(numericIdentifier) == id);
            if (!t) {
                t = session.insert<KNVTCDTask>();
                t->setNumericIdentifier(id);
                t->setTitle(QStringLiteral("pulled %1").arg(id));
                t->setStatus(2);
            }
            for (int c = 0; c < 2; ++c) {
                const qint64 commentId = nextId++;
                Object *comment =
                    session.firstObject(FetchRequest{commentEntity, key(numericIdentifier) == commentId, {}, 0});
                if (!comment) {
                    comment = session.insert(commentEntity);
                    comment->setValue(numericIdentifier, commentId);
                    comment->setValue(QStringLiteral("text"), QStringLiteral("comment %1").arg(commentId));
                    comment->setValue(QStringLiteral("task"), t->objectID());
                }
            }
        }
        if (!session.save())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SessionInsert10000)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
