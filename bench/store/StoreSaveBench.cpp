// A user's save as a whole, as an editor's Save makes it: one edited task written through the task store's save, with
// what the save records beside the rows for other processes and the signal that tells them, against SQLite alone
// inserting one row and committing it with the library's durability (WAL, synchronous=FULL), both timed in every
// iteration of the same run and on the same disk.

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include "objectstore/Context.h"

#include "foundation/Defaults.h"
#include "foundation/Error.h"

#include "support/BareCommit.h"
#include "support/TaskStoreBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kTasks = 1000;

void BM_StoreSaveOneTask(benchmark::State &state)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        state.SkipWithError("no folder for the library");
        return;
    }
    // The settings the store keeps beside the library live in the folder too, never in the user's own.
    knvt::Defaults suite(folder.filePath(QStringLiteral("suite.json")));
    const QString libraryPath = folder.filePath(KNVTTaskStore::kLibraryFolderName);
    KNVTTaskStore::Environment environment;
    environment.libraryPath = libraryPath;
    environment.containerUserDefaults = &suite;
    KNVTTaskStore store(std::move(environment));
    ostore::Context *context = store.managedObjectContext();
    if (!context) {
        state.SkipWithError("cannot open the library");
        return;
    }
    const knvt::test::GeneratedLibrary made =
        knvt::test::TaskStoreBuilder(context).generateLibrary({.users = 20,
                                                               .lists = 20,
                                                               .tasks = kTasks,
                                                               .tags = 10,
                                                               .watchers = kTasks / 5,
                                                               .seed = 42,
                                                               .text = knvt::test::LibraryText::UserWritten});
    knvt::Error error;
    if (!store.save(&error)) {
        state.SkipWithError(qPrintable(error.description()));
        return;
    }
    KNVTCDTask *task = made.tasks.front();

    knvt::bench::BareCommit bare;
    if (!bare.open(QDir(libraryPath).filePath(KNVTTaskStore::kStoreFileName), folder.path(), "KNVTCDTask")) {
        state.SkipWithError("cannot prepare the reference");
        return;
    }
    bare.timeAgainst(state, [&](bool flip) {
        task->setTitle(flip ? QStringLiteral("Write the quarterly report") : QStringLiteral("Write the annual report"));
        return store.save();
    });
}
BENCHMARK(BM_StoreSaveOneTask)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
