// knvt_first_pull: a user's first sign-in on a new machine, as a whole process. It signs the empty library in
// <library folder> in as "ann" against the service at KNVT_SYNC_API_URL (knvt_fake_sync_service), turns on
// automatic sync as a signed-in user does, waits for the first sync to end, and prints the tasks it pulled:
//
//   KNVT_SYNC_API_URL=<base URL> knvt_first_pull <library folder>
//
// Exits 1 when the sign-in is refused or the sync fails, and 3 after a first sync that did not run as the program does
// (its figures are then no budget's). Passwords live in memory for the process's lifetime only.
#include "accounts/AccountService.h"
#include "accounts/KNVTAccountCheck.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include "objectstore/Context.h"

#include "foundation/Defaults.h"
#include "foundation/KeychainBackend.h"
#include "foundation/NotificationCenter.h"

#include "support/InMemoryKeychain.h"
#include "support/ProgramStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    knvt::bench::startAsTheProgram();
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2 || qEnvironmentVariableIsEmpty("KNVT_SYNC_API_URL")) {
        std::fprintf(stderr, "usage: KNVT_SYNC_API_URL=<base URL> knvt_first_pull <library folder>\n");
        return 2;
    }
    const QDir folder(arguments.at(1));
    if (!QDir().mkpath(folder.path()))
        return 2;
    knvt::KeychainBackend::setShared(std::make_shared<knvt::InMemoryKeychain>());
    // Wired as the application wires them.
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
    KNVTTaskStore::setConfiguredLibraryOpenedHandler(&KNVTTaskStore::refreshAccountAfterOpening);

    knvt::Defaults defaults(folder.filePath(QStringLiteral("Defaults.json")));
    KNVTTaskStore::Environment environment;
    environment.libraryPath = folder.filePath(KNVTTaskStore::kLibraryFolderName);
    environment.containerUserDefaults = &defaults;
    KNVTTaskStore store(std::move(environment));
    KNVTTaskStore::setDefaultTaskStore(&store);
    if (!store.managedObjectContext())
        return 1;

    int status = 1;
    bool synced = false;
    const knvt::NotificationCenter::Token token = knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification), &store, &app,
        [&store, &synced](const knvt::Notification &) {
            // The first pull may take more than one session; the last one to end leaves the store idle.
            QTimer::singleShot(0, &store, [&store, &synced] {
                if (!store.isSyncing()) {
                    synced = store.lastSuccessfullSyncDate().isValid();
                    QCoreApplication::quit();
                }
            });
        });

    QObject form;
    KNVTAccountCheck check(&form, true, [&store](const KNVTAccountCheck::Result &result) {
        if (result.outcome != KNVTAccountCheck::Outcome::Accepted) {
            std::fprintf(stderr, "knvt_first_pull: the sign-in was not accepted\n");
            QCoreApplication::exit(1);
            return;
        }
        knvt::configureAccount(store, result.account.root(), result.password);
        store.setAutoSyncEnabled(true);
    });
    check.start(QStringLiteral("ann"), QStringLiteral("secret1"));
    app.exec();
    knvt::NotificationCenter::defaultCenter().removeObserver(token);

    if (synced) {
        std::printf("%lld tasks\n", static_cast<long long>(store.managedObjectContext()->count<KNVTCDTask>()));
        status = knvt::bench::checkStartedAsTheProgram() ? 0 : 3;
    } else {
        std::fprintf(stderr, "knvt_first_pull: the first sync did not succeed\n");
    }
    store.managedObjectContext()->save();
    KNVTTaskStore::setDefaultTaskStore(nullptr);
    return status;
}
