// A user's save as a whole, as an editor's Save makes it: one edited task written through the task store's save, with
// what the save records beside the rows for other processes and the signal that tells them, against SQLite alone
// inserting one row and committing it with the library's durability (WAL, synchronous=FULL), both timed in every
// iteration of the same run and on the same disk. BM_StoreSaveFirstOfASession times the first save after the library
// was opened, when no other connection had it open: its write-ahead log was gone with the last one.

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Defaults.h"
#include "foundation/Error.h"

#include "support/BareCommit.h"
#include "support/SameRunRatio.h"
#include "support/TaskStoreBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kTasks = 1000;

// A library of kTasks tasks in a folder of its own, with the settings the store keeps beside it (never the user's
// own), and the bare commit's file beside it.
struct SavedLibrary
{
    QTemporaryDir folder;
    knvt::Defaults suite{folder.filePath(QStringLiteral("suite.json"))};
    const QString libraryPath = folder.filePath(KNVTTaskStore::kLibraryFolderName);
    std::unique_ptr<KNVTTaskStore> store;
    KNVTCDTask *task = nullptr;
    knvt::bench::BareCommit bare;

    // Empty when all went well, else what failed.
    QString make()
    {
        if (!folder.isValid())
            return QStringLiteral("no folder for the library");
        if (!open())
            return QStringLiteral("cannot open the library");
        const knvt::test::GeneratedLibrary made = knvt::test::TaskStoreBuilder(store->managedObjectContext())
                                                      .generateLibrary({.users = 20,
                                                                        .lists = 20,
                                                                        .tasks = kTasks,
                                                                        .tags = 10,
                                                                        .watchers = kTasks / 5,
                                                                        .seed = 42,
                                                                        .text = knvt::test::LibraryText::UserWritten});
        knvt::Error error;
        if (!store->save(&error))
            return error.description();
        task = made.tasks.front();
        if (!bare.open(QDir(libraryPath).filePath(KNVTTaskStore::kStoreFileName), folder.path(), "KNVTCDTask"))
            return QStringLiteral("cannot prepare the reference");
        return {};
    }
    // The library opened anew, as at the start of a session; false when it would not open.
    bool open()
    {
        store.reset();
        KNVTTaskStore::Environment environment;
        environment.libraryPath = libraryPath;
        environment.containerUserDefaults = &suite;
        store = std::make_unique<KNVTTaskStore>(std::move(environment));
        ostore::Context *context = store->managedObjectContext();
        if (!context)
            return false;
        const std::vector<KNVTCDTask *> tasks = context->fetch<KNVTCDTask>({}, {}, 1);
        task = tasks.empty() ? nullptr : tasks.front();
        return true;
    }
    bool saveEdit(bool flip)
    {
        task->setTitle(flip ? QStringLiteral("Write the quarterly report") : QStringLiteral("Write the annual report"));
        return store->save();
    }
};

void BM_StoreSaveOneTask(benchmark::State &state)
{
    SavedLibrary library;
    if (const QString failure = library.make(); !failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    library.bare.timeAgainst(state, [&library](bool flip) { return library.saveEdit(flip); });
}
BENCHMARK(BM_StoreSaveOneTask)->UseRealTime()->Unit(benchmark::kMillisecond);

// The first save after the library was opened, as a session's first edit, once what the opening set going is done (a
// user edits after the window is there), against the same one-row commit. The library is closed and opened again,
// untimed, before each save.
void BM_StoreSaveFirstOfASession(benchmark::State &state)
{
    SavedLibrary library;
    if (const QString failure = library.make(); !failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    knvt::bench::SameRunRatio ratio;
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        if (!library.open() || !library.task) {
            state.SkipWithError("cannot open the library again");
            break;
        }
        library.store->persistentStoreCoordinator()->waitForJournal();
        state.ResumeTiming();
        ratio.addWork(knvt::bench::secondsOf([&] {
            if (!library.saveEdit(flip))
                state.SkipWithError("save failed");
        }));
        flip = !flip;
        state.PauseTiming();
        const double reference = library.bare.insertOneRow();
        state.ResumeTiming();
        if (reference < 0) {
            state.SkipWithError("the reference failed");
            break;
        }
        ratio.addReference(reference);
    }
    ratio.report(state);
}
BENCHMARK(BM_StoreSaveFirstOfASession)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
