#include "store/KNVTTaskStore.h"
#include "store/Logging.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDModel.h"
#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Where.h"

#include "foundation/Clock.h"
#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotifyCenter.h"
#include "foundation/SystemEvents.h"
#include "foundation/WallClockAlarm.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace {

KNVTTaskStore::ErrorPresenter &defaultErrorPresenter()
{
    static KNVTTaskStore::ErrorPresenter presenter;
    return presenter;
}

KNVTTaskStore::OpenedLibraryHandler configuredLibraryOpenedHandler = nullptr;

// Contexts and coordinators of libraries closed at sign-out. Windows and sync sessions may still hold objects of
// them for a moment; a closed coordinator keeps those readable (and inert) instead of leaving them dangling.
struct RetiredStack
{
    std::unique_ptr<ostore::Context> context;
    std::unique_ptr<ostore::Coordinator> coordinator;
};

} // namespace

struct KNVTTaskStoreRetiredStacks
{
    std::vector<RetiredStack> stacks;
};

// ---- The instance ----

KNVTTaskStore::KNVTTaskStore() : KNVTTaskStore(Environment{}) {}

KNVTTaskStore::KNVTTaskStore(Environment environment, QObject *parent)
    : QObject(parent), m_environment(std::move(environment))
{
    m_libraryPath = m_environment.libraryPath.isEmpty() ? taskStoreLibraryPath() : m_environment.libraryPath;
    setLibraryURL(QUrl::fromLocalFile(m_libraryPath));

    // Saves record their date in the library itself now (see persistentStoreCoordinator); the date the settings kept
    // before that stands for a library whose saves recorded none yet.
    knvt::Defaults &suite = m_environment.containerUserDefaults
        ? *m_environment.containerUserDefaults
        : knvt::Defaults::suite(QString::fromLatin1(KNVTSharedDefaultsSuiteName));
    suite.synchronize();
    m_lastSaveDate = suite.value(QString::fromLatin1(KNVTTaskStoreLastSavedDateKey)).toDateTime();

    if (!m_environment.systemInformationAlarm)
        m_environment.systemInformationAlarm = knvt::WallClockAlarm::create();
    connect(m_environment.systemInformationAlarm.get(), &knvt::WallClockAlarm::fired, this,
            &KNVTTaskStore::systemInformationTimerDidFire);
    instantiateSystemInformationTimer();

    // The system's own watchers start on the first pass of the event loop: a process that only answers a question
    // (a count, a badge) and ends never sets them up, and one that runs shows its first answer without waiting for
    // them.
    if (m_environment.systemEvents)
        observeSystemEvents();
    QTimer::singleShot(0, this, &KNVTTaskStore::startWatching);
}

void KNVTTaskStore::startWatching()
{
    if (!m_environment.systemEvents) {
        m_environment.systemEvents = knvt::SystemEvents::create();
        observeSystemEvents();
    }
    if (m_notifyCenter)
        return;
    m_notifyCenter = std::make_unique<knvt::NotifyCenter>();
    knvt::Error error;
    m_notifyToken = m_notifyCenter->addObserver(
        QString::fromLatin1(KNVTTaskStoreChangedDarwinNotification),
        [this] {
            if (hasChangedExternally())
                changedExternally();
        },
        &error);
    if (!m_notifyToken)
        qCWarning(lcStore) << "Other processes' saves will go unnoticed:" << error.description();
    // A save another process announced before the watch began would otherwise go unnoticed until the next one.
    if (m_context && hasChangedExternally())
        changedExternally();
}

void KNVTTaskStore::observeSystemEvents()
{
    connect(m_environment.systemEvents.get(), &knvt::SystemEvents::clockChanged, this,
            &KNVTTaskStore::systemClockDidChangeNotification);
    connect(m_environment.systemEvents.get(), &knvt::SystemEvents::timeZoneChanged, this,
            &KNVTTaskStore::systemTimeZoneDidChangeNotification);
    connect(m_environment.systemEvents.get(), &knvt::SystemEvents::didWake, this,
            &KNVTTaskStore::workspaceDidWakeNotification);
}

KNVTTaskStore::~KNVTTaskStore()
{
    dropSyncCoordinator();
    if (m_notifyCenter && m_notifyToken)
        m_notifyCenter->removeObserver(m_notifyToken);
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    invalidateSystemInformationTimer();
    dropStack();
    // Retired contexts go before their coordinators.
    if (m_retired) {
        for (RetiredStack &stack : m_retired->stacks)
            stack.context.reset();
        m_retired->stacks.clear();
    }
}

namespace {

KNVTTaskStore *&installedDefaultTaskStore()
{
    static KNVTTaskStore *store = nullptr;
    return store;
}

} // namespace

KNVTTaskStore *KNVTTaskStore::defaultTaskStore()
{
    if (KNVTTaskStore *installed = installedDefaultTaskStore())
        return installed;
    // Never destroyed: windows, timers and sync sessions may still call it while the process ends.
    static KNVTTaskStore *const store = new KNVTTaskStore();
    return store;
}

void KNVTTaskStore::setDefaultTaskStore(KNVTTaskStore *store)
{
    installedDefaultTaskStore() = store;
}

QString KNVTTaskStore::taskStoreLibraryPath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return QDir(base).filePath(QStringLiteral("Quillvane/") + kLibraryFolderName);
}

bool KNVTTaskStore::exists()
{
    return QFileInfo::exists(taskStoreLibraryPath());
}

QUrl KNVTTaskStore::taskStoreMetaDataURL()
{
    return QUrl::fromLocalFile(QDir(taskStoreLibraryPath()).filePath(kMetaDataFileName));
}

void KNVTTaskStore::setConfiguredLibraryOpenedHandler(OpenedLibraryHandler handler)
{
    configuredLibraryOpenedHandler = handler;
}

void KNVTTaskStore::setDefaultErrorPresenter(ErrorPresenter presenter)
{
    defaultErrorPresenter() = std::move(presenter);
}

QString KNVTTaskStore::metaDataPath() const
{
    return QDir(m_libraryPath).filePath(kMetaDataFileName);
}

void KNVTTaskStore::postNotification(const char *name, const QVariantMap &userInfo)
{
    knvt::NotificationCenter::defaultCenter().post(QString::fromLatin1(name), this, userInfo);
}

void KNVTTaskStore::setLibraryURL(const QUrl &url)
{
    if (url.toLocalFile() != m_libraryURL.toLocalFile())
        dropStack();
    m_libraryURL = url;
}

bool KNVTTaskStore::doesLibraryDirectoryExist() const
{
    return !m_libraryURL.isEmpty() && QFileInfo::exists(m_libraryURL.toLocalFile());
}

// ---- The stack ----

ostore::Coordinator *KNVTTaskStore::persistentStoreCoordinator()
{
    if (m_coordinator)
        return m_coordinator.get();

    // The model is compiled in, so unlike a bundle resource it cannot be missing.
    m_hasModel = true;

    // The folder the stack opens is fixed for the life of the store; libraryURL only serves the directory
    // operations and is empty after a sign-out.
    if (!QFileInfo::exists(m_libraryPath) && !QDir().mkpath(m_libraryPath)) {
        qCWarning(lcStore).noquote() << QStringLiteral("Error creating application support directory at %1 : %2")
                                            .arg(m_libraryPath, QStringLiteral("the folder could not be created"));
        return nullptr;
    }

    const QString storeFile = QDir(m_libraryPath).filePath(kStoreFileName);
    auto coordinator = std::make_unique<ostore::Coordinator>(KNVTCDModel());

    // The coordinator reports what the file said about itself before it touched it, failed open included.
    ostore::OpenResult result;
    knvt::Error error;
    const bool opened = coordinator->open(storeFile, &result, &error);
    const ostore::StoreMetadata &sourceMetadata = result.sourceMetadata;
    const QStringList modelVersions = {QString::number(coordinator->model().version())};
    const bool compatible = sourceMetadata.exists && sourceMetadata.modelVersionIdentifiers == modelVersions;
    if (!compatible) {
        QStringList described;
        if (sourceMetadata.exists)
            described << QStringLiteral("modelVersionIdentifiers = (%1)")
                             .arg(sourceMetadata.modelVersionIdentifiers.join(QStringLiteral(", ")));
        qCInfo(lcStore).noquote() << QStringLiteral("KNVTTaskStore:persistentStoreCoordinator Will Attempt To "
                                                    "Migrate Data Model From Source Meta Data {%1}")
                                         .arg(described.join(QStringLiteral("; ")));
    }

    if (!opened) {
        qCWarning(lcStore).noquote() << QStringLiteral("KNVTTaskStore:persistentStoreCoordinator %1")
                                            .arg(error.userInfo()
                                                     .value(QStringLiteral("NSLocalizedDescription"),
                                                            error.description())
                                                     .toString());
        if (m_delegate)
            m_delegate->taskStoreDidFailToOpenPersistentStoreWithError(this, error);
        return nullptr;
    }

    m_coordinator = std::move(coordinator);
    // What this process reads from here on is the library as of its last recorded save: a later date names a save
    // made elsewhere since.
    if (const QDateTime recorded = m_coordinator->recordedDate(QString::fromLatin1(KNVTTaskStoreLastSavedDateKey));
        recorded.isValid())
        m_lastSaveDate = recorded;
    connect(m_coordinator.get(), &ostore::Coordinator::externalChangesLoaded, this,
            [this](const ostore::ChangeSet &changes) {
                if (m_context)
                    m_context->mergeChanges(changes, ostore::ChangeOrigin::External);
            });

    m_needsOldVersionFixUps = false;
    if (!compatible) {
        // Entity tags name the service's lists as this build last stored them; after a change of model the next
        // pull must fetch everything again.
        removeResourceETags();
        m_openResult = result;
        const QStringList versions = result.sourceMetadata.modelVersionIdentifiers;
        bool numeric = false;
        const qint64 last = versions.isEmpty() ? 0 : versions.last().toLongLong(&numeric);
        m_needsOldVersionFixUps = numeric && last < 4;
    }
    return m_coordinator.get();
}

ostore::Context *KNVTTaskStore::managedObjectContext()
{
    if (m_context)
        return m_context.get();
    // Presenting the failure again on every query would stack one modal alert inside another.
    if (m_stackFailurePresented)
        return nullptr;

    ostore::Coordinator *coordinator = persistentStoreCoordinator();
    if (!coordinator) {
        presentStackFailure();
        return nullptr;
    }

    m_context = std::make_unique<ostore::Context>(coordinator);
    if (m_needsOldVersionFixUps) {
        m_needsOldVersionFixUps = false;
        applyOldVersionFixUps();
    }
    observeContext();
    // The lists built from here on place the tasks by the clock as it is now; the alarm learns the next task date on
    // the first pass of the event loop, so that a process that only answers a question never looks.
    m_taskDatesPlacedAt = knvt::Clock::shared().now();
    QTimer::singleShot(0, this, &KNVTTaskStore::armSystemInformationTimer);

    if (taskStoreInformation() && isConfiguredWithCorrectEnvironmentType()) {
        createSyncCoordinator();
        if (configuredLibraryOpenedHandler)
            configuredLibraryOpenedHandler(*this);
        return m_context.get();
    }
    dropSyncCoordinator();
    seedStore();
    createSyncCoordinator();
    return m_context.get();
}

void KNVTTaskStore::presentStackFailure()
{
    m_stackFailurePresented = true;
    const knvt::Error error(
        QString::fromLatin1(KNVTTaskStoreErrorDomain), KNVTTaskStoreFailedToInitializeErrorCode,
        {{QStringLiteral("NSLocalizedDescription"), tr("Failed to initialize the store")},
         {QStringLiteral("NSLocalizedFailureReason"), tr("There was an error building up the data file.")}});
    qCWarning(lcStore).noquote() << error.description();
    // The library is built when the user starts the program or signs in.
    presentError(error, knvt::Opener::User);
}

void KNVTTaskStore::presentError(const knvt::Error &error, knvt::Opener opener)
{
    if (m_environment.errorPresenter)
        m_environment.errorPresenter(error, opener);
    else if (defaultErrorPresenter())
        defaultErrorPresenter()(error, opener);
}

void KNVTTaskStore::applyOldVersionFixUps()
{
    // Re-assigning the source attributes makes users derive their initials and avatars their thumbnails, which the
    // older model did not store. These saves happen before the relay is connected: nobody is told.
    using namespace ostore::where;
    for (KNVTCDUser *user : m_context->fetch<KNVTCDUser>())
        user->setFullName(user->fullName());
    m_context->save();
    for (KNVTCDAvatar *avatar : m_context->fetch<KNVTCDAvatar>()) {
        avatar->setData(avatar->data());
        m_context->save();
    }
}

void KNVTTaskStore::seedStore()
{
    const QDateTime now = knvt::Clock::shared().now();
    auto *information = m_context->insert<KNVTCDTaskStoreInformation>();
    information->setEnvironmentType(environmentType());
    information->setCreatedDate(now);
    information->setModifiedDate(now);

    auto *user = m_context->insert<KNVTCDUser>();
    user->setFullName(QStringLiteral("Me"));
    user->setExtendedDisplayName(QStringLiteral("Me"));
    user->setFriendshipStatus(6);

    // Straight to the context: the change notifications go out, other processes are not told.
    knvt::Error error;
    if (!m_context->save(&error))
        qCWarning(lcStore).noquote() << "The new library could not be seeded:" << error.description();
}

void KNVTTaskStore::observeContext()
{
    connect(m_context.get(), &ostore::Context::willSave, this, [this] { relayWillSave(); });
    connect(m_context.get(), &ostore::Context::didSave, this, &KNVTTaskStore::relayChanges);
    connect(m_context.get(), &ostore::Context::objectsDidChange, this,
            [this](const ostore::ChangeSet &changes, ostore::ChangeOrigin) {
                relayWillSave(true);
                relayChangesMadeElsewhere(changes);
            });
}

void KNVTTaskStore::dropStack()
{
    if (!m_context && !m_coordinator)
        return;
    if (m_context)
        m_context->disconnect(this);
    if (m_coordinator) {
        m_coordinator->disconnect(this);
        m_coordinator->close();
    }
    if (!m_retired)
        m_retired = std::make_unique<KNVTTaskStoreRetiredStacks>();
    m_retired->stacks.push_back({std::move(m_context), std::move(m_coordinator)});
    m_hasModel = false;
    m_openResult = {};
    m_needsOldVersionFixUps = false;
}

KNVTCDTaskStoreInformation *KNVTTaskStore::taskStoreInformation()
{
    ostore::Context *context = managedObjectContext();
    if (!context)
        return nullptr;
    return static_cast<KNVTCDTaskStoreInformation *>(
        knvt::firstObjectForFetchRequestForEntityName(*context, QStringLiteral("KNVTCDTaskStoreInformation")));
}

bool KNVTTaskStore::isSetup()
{
    return taskStoreInformation() && me();
}

bool KNVTTaskStore::isConfiguredWithCorrectEnvironmentType()
{
    const KNVTCDTaskStoreInformation *information = taskStoreInformation();
    return information && information->environmentType().value_or(0) == environmentType();
}

// ---- Sync coordinator ----

void KNVTTaskStore::createSyncCoordinator()
{
    dropSyncCoordinator();
    // A failure of another account's sessions says nothing about this one.
    m_lastSyncFailureDate = {};
    m_lastSyncError = {};
    m_lastSyncRefusedChanges = {};
    m_readFailureDate = {};
    m_readFailureError = {};
    if (const KNVTTaskStoreSyncCoordinating::Factory &factory = KNVTTaskStoreSyncCoordinating::factory())
        m_syncCoordinator = factory(*this);
    if (m_syncCoordinator)
        m_syncCoordinator->setTaskStoreSyncCoordinatorDelegate(this);
}

void KNVTTaskStore::dropSyncCoordinator()
{
    m_syncCoordinator.reset();
}

bool KNVTTaskStore::isSyncing() const
{
    return m_syncCoordinator && m_syncCoordinator->isSyncing();
}

bool KNVTTaskStore::syncWithCompletionHandler(SyncCompletionHandler handler)
{
    if (!isAutoSyncEnabled())
        return false;
    if (handler)
        m_syncCompletionHandlers.push_back(std::move(handler));
    if (m_syncCoordinator)
        m_syncCoordinator->startSyncSessionIfRequired();
    return true;
}

bool KNVTTaskStore::sync()
{
    return syncWithCompletionHandler({});
}

#include "moc_KNVTTaskStore.cpp"
