// knvt_sync_child: a second process that syncs the library of the test that starts it (the same XDG folders), so
// that a scenario can cut a sync short by killing a real process. Signed in as <username> with <password> held in
// memory, it runs one sync and prints a line for each save the lists hear of ("saved") and one when the sync ends
// ("synced" or "failed"):
//
//   KNVT_SYNC_API_URL=<base URL> knvt_sync_child <username> <password>
#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "foundation/Defaults.h"
#include "foundation/KNVTGenericKeychainItem.h"
#include "foundation/KeychainBackend.h"
#include "foundation/NotificationCenter.h"

#include "support/FakeReachability.h"
#include "support/InMemoryKeychain.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Hollowpine"));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: KNVT_SYNC_API_URL=<base URL> knvt_sync_child <username> <password>\n");
        return 2;
    }
    knvt::KeychainBackend::setShared(std::make_shared<knvt::InMemoryKeychain>());
    KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), arguments.at(1), {},
                                                            arguments.at(2));
    // Its sync starts when the test says, never on a network change of the machine.
    const knvt::FakeReachability network;
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();

    KNVTTaskStore::Environment environment;
    environment.libraryPath = KNVTTaskStore::taskStoreLibraryPath();
    environment.containerUserDefaults = &knvt::Defaults::suite(QString::fromLatin1(KNVTSharedDefaultsSuiteName));
    KNVTTaskStore store(std::move(environment));
    KNVTTaskStore::setDefaultTaskStore(&store);
    if (!store.managedObjectContext())
        return 1;

    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    const knvt::NotificationCenter::Token saved = center.addObserver(
        QString::fromLatin1(KNVTTaskStoreDidChangeNotification), &store, &app, [](const knvt::Notification &) {
            std::printf("saved\n");
            std::fflush(stdout);
        });
    int status = 1;
    const bool started = store.syncWithCompletionHandler([&status](const knvt::Error &error) {
        status = error ? 1 : 0;
        std::printf(error ? "failed\n" : "synced\n");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    if (started)
        app.exec();
    center.removeObserver(saved);
    KNVTTaskStore::setDefaultTaskStore(nullptr);
    return status;
}
