// The badges of the dock and of the home list are counts over the whole library, recomputed after every save. This
// benchmark builds a 100,000-task library with a realistic mix (lists of every state, shared and pending ones,
// statuses, dates, archived tasks, tombstones, watchers and tag links), then, after a one-task save, runs every count
// the badges use.

#include "store/KNVTTaskStoreQueries.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Clock.h"
#include "foundation/Error.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
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
    return QStringLiteral(KNVT_BENCH_DATA_DIR) + QStringLiteral("/store-counts/TaskStoreData.sqlite3");
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
    std::mt19937_64 random(42);
    auto below = [&](qint64 n) { return qint64(random() % quint64(n)); };
    auto chance = [&](int percent) { return int(random() % 100) < percent; };
    qint64 identifier = 1;

    std::vector<KNVTCDUser *> users;
    for (int i = 0; i < kUsers; ++i) {
        auto *u = context.insert<KNVTCDUser>();
        u->setNumericIdentifier(identifier++);
        u->setUsername(QStringLiteral("user%1").arg(i));
        u->setFirstName(QStringLiteral("User %1").arg(i));
        // The first is me; the others are friends, invited, pending or strangers.
        const qint64 statuses[] = {3, 3, 3, 1, 2, 0};
        u->setFriendshipStatus(i == 0 ? 6 : statuses[below(6)]);
        users.push_back(u);
    }
    KNVTCDUser *me = users.front();

    std::vector<KNVTCDTaskList *> lists;
    for (int i = 0; i < kLists; ++i) {
        auto *list = context.insert<KNVTCDTaskList>();
        list->setNumericIdentifier(identifier++);
        list->setTitle(QStringLiteral("List %1").arg(i));
        list->setType(chance(70) ? 1 : 2);
        const qint64 listStatuses[] = {2, 2, 2, 2, 1, 4, 5};
        list->setStatus(listStatuses[below(7)]);
        const qint64 myStatus = chance(90) ? 2 : (chance(50) ? 1 : 3);
        auto *mine = context.insert<KNVTCDTaskListCollaborator>();
        mine->setNumericIdentifier(identifier++);
        mine->setUser(me);
        mine->setTaskList(list);
        mine->setRole(myStatus == 2 && chance(80) ? 1 : 2);
        mine->setStatus(myStatus);
        if (chance(30)) {
            auto *other = context.insert<KNVTCDTaskListCollaborator>();
            other->setNumericIdentifier(identifier++);
            other->setUser(users[1 + below(kUsers - 1)]);
            other->setTaskList(list);
            other->setRole(2);
            other->setStatus(2);
        }
        list->setTaskListCollaboratorStatus(myStatus);
        if (chance(10))
            list->setArchivedDate(kNow.addDays(-below(300)));
        lists.push_back(list);
    }

    std::vector<KNVTCDTask *> tasks;
    tasks.reserve(kTasks);
    const qint64 taskStatuses[] = {2, 2, 2, 2, 2, 1, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5};
    for (int i = 0; i < kTasks; ++i) {
        auto *t = context.insert<KNVTCDTask>();
        t->setTitle(QStringLiteral("Task %1 of the benchmark library").arg(i));
        if (chance(30))
            t->setNotes(QStringLiteral("Notes of task %1, a few words long.").arg(i));
        t->setStatus(taskStatuses[below(20)]);
        if (chance(40))
            t->setDueDate(kNow.addSecs(below(86400 * 120) - 86400 * 60));
        if (chance(20))
            t->setStartDate(kNow.addSecs(below(86400 * 120) - 86400 * 60));
        if (chance(60))
            t->setTaskList(lists[below(kLists)]);
        t->setAssignee(chance(90) ? me : (chance(90) ? users[1 + below(kUsers - 1)] : nullptr));
        t->setCreator(chance(85) ? me : users[1 + below(kUsers - 1)]);
        if (t->isCompletedOrCancelled() && chance(66))
            t->setArchivedDate(kNow.addDays(-below(300)));
        if (chance(95))
            t->setNumericIdentifier(identifier++);
        if (t->numericIdentifier() && chance(2))
            t->setDeletedDate(kNow.addDays(-below(3)));
        tasks.push_back(t);
    }

    for (int i = 0; i < kWatchers; ++i) {
        auto *w = context.insert<KNVTCDTaskWatcher>();
        w->setNumericIdentifier(identifier++);
        w->setUser(chance(50) ? me : users[1 + below(kUsers - 1)]);
        w->setTask(tasks[below(kTasks)]);
        if (chance(3))
            w->setDeletedDate(kNow.addDays(-1));
    }

    std::vector<KNVTCDTag *> tags;
    for (int i = 0; i < kTags; ++i) {
        auto *tag = context.insert<KNVTCDTag>();
        tag->setNumericIdentifier(identifier++);
        tag->setTitle(QStringLiteral("tag%1").arg(i));
        tag->setCreator(me);
        tags.push_back(tag);
    }
    for (KNVTCDTask *t : tasks) {
        auto *link = context.insert<KNVTCDTaggedTask>();
        link->setNumericIdentifier(identifier++);
        link->setTag(tags[below(kTags)]);
        link->setTask(t);
        if (chance(3))
            link->setDeletedDate(kNow.addDays(-1));
    }

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
