#pragma once

#include "store/KNVTTaskStoreCapabilities.h"
#include "store/KNVTTaskStoreDelegate.h"
#include "store/KNVTTaskStoreSyncCoordinating.h"
#include "store/KNVTTaskStoreSyncCoordinatorDelegate.h"
#include "store/SyncAccountState.h"

#include "model/KNVTFocusType.h"

#include "objectstore/ChangeSet.h"
#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/OpenResult.h"

#include "service/URLRequest.h"

#include "foundation/Error.h"
#include "foundation/JSONView.h"
#include "foundation/Opener.h"
#include "foundation/SystemEvents.h"
#include "foundation/WallClockAlarm.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class KNVTCDAccount;
class KNVTCDFriendship;
class KNVTCDTag;
class KNVTCDTask;
class KNVTCDTaskComment;
class KNVTCDTaskList;
class KNVTCDTaskListCollaborator;
class KNVTCDTaskStoreInformation;
class KNVTCDTaskWatcher;
class KNVTCDUser;
class KNVTRequest;
struct KNVTTaskStoreRetiredStacks;

namespace knvt {
class Defaults;
class NotifyCenter;
} // namespace knvt

// Notifications the store posts on the default centre, always with the store as object.
inline constexpr char KNVTTaskStoreWillChangeNotification[] = "KNVTTaskStoreWillChangeNotification";
inline constexpr char KNVTTaskStoreDidChangeNotification[] = "KNVTTaskStoreDidChangeNotification";
inline constexpr char KNVTTaskStoreSystemInformationDidChangeNotification[] =
    "KNVTTaskStoreSystemInformationDidChangeNotification";
inline constexpr char KNVTTaskStoreSyncSettingsDidChangeNotification[] =
    "KNVTTaskStoreSyncSettingsDidChangeNotification";
inline constexpr char KNVTTaskStoreDidConfigureAccountNotification[] = "KNVTTaskStoreDidConfigureAccountNotification";
inline constexpr char KNVTTaskStoreDidUnconfigureAccountNotification[] =
    "KNVTTaskStoreDidUnconfigureAccountNotification";
inline constexpr char KNVTTaskStoreWillStartSyncingNotification[] = "KNVTTaskStoreWillStartSyncingNotification";
inline constexpr char KNVTTaskStoreDidStartSyncingNotification[] = "KNVTTaskStoreDidStartSyncingNotification";
inline constexpr char KNVTTaskStoreDidFinishSyncingNotification[] = "KNVTTaskStoreDidFinishSyncingNotification";
inline constexpr char KNVTTaskStoreDidSyncNotification[] = "KNVTTaskStoreDidSyncNotification";

// User-info keys of the change notifications relayed from the main context: lists (QList<QUrl>) of the identifier
// URIs of the objects a save or a merge inserted, updated and deleted.
inline constexpr char KNVTTaskStoreInsertedObjectsKey[] = "inserted";
inline constexpr char KNVTTaskStoreUpdatedObjectsKey[] = "updated";
inline constexpr char KNVTTaskStoreDeletedObjectsKey[] = "deleted";

// Between the processes that share a library: the date of the last save, recorded in the library in the commit of the
// save's rows (under the name the shared suite kept it by, where older versions left it), and the name posted after it.
inline constexpr char KNVTTaskStoreLastSavedDateKey[] = "KNVTTaskStoreLastSavedDate";
inline constexpr char KNVTTaskStoreChangedDarwinNotification[] = "com.hollowpine.macos.quillvane.taskstore.changed";

// The failure presented when the library cannot be opened at all.
inline constexpr qint64 KNVTTaskStoreFailedToInitializeErrorCode = 9999;

// Waiting sync handlers at sign-out, and replies to a request made for a library that sign-out has since replaced.
// Never 401 or 410, which the coordinator reads as the service's answers.
inline constexpr qint64 KNVTTaskStoreCancelledErrorCode = 3072;
// An avatar download answered with bytes that are no picture.
inline constexpr qint64 KNVTTaskStoreUnreadableImageErrorCode = 259;

// The one facade over the application's persistent data: the library folder and its SQLite file, the lazily built
// engine stack, saves with their change notifications, other processes' saves, the midnight refresh, the metadata
// property list with the sync settings, the factories and removals, and the sync coordinator. One shared instance
// per process; tests make their own on a folder of their choosing. Main thread only.
class KNVTTaskStore : public QObject, public KNVTTaskStoreCapabilities, public KNVTTaskStoreSyncCoordinatorDelegate
{
    Q_OBJECT

public:
    using SaveCompletionHandler = std::function<void(const knvt::Error &error)>;
    // Shows the error to the user, in an alert opened as `opener` says: the user's own command (a refused save of what
    // the user did) or the application by itself (a refused save of what a service's reply brought in).
    using ErrorPresenter = std::function<void(const knvt::Error &error, knvt::Opener opener)>;
    using SyncCompletionHandler = std::function<void(const knvt::Error &error)>;

    // What a store is built on. Every empty member takes the running system's own: the library at
    // taskStoreLibraryPath(), the shared defaults suite (read once, for the last save date older versions kept there),
    // the real-time alarm, the system's events.
    struct Environment
    {
        QString libraryPath;
        knvt::Defaults *containerUserDefaults = nullptr; // not owned
        std::unique_ptr<knvt::WallClockAlarm> systemInformationAlarm;
        std::unique_ptr<knvt::SystemEvents> systemEvents;
        ErrorPresenter errorPresenter; // empty: the process-wide presenter (see setDefaultErrorPresenter)
    };

    // A store on the running system's library and services.
    KNVTTaskStore();
    explicit KNVTTaskStore(Environment environment, QObject *parent = nullptr);
    ~KNVTTaskStore() override;

    // ---- The instance and its library -------------------------------------------------------------------------------
    // The shared store, made on first use and never destroyed.
    static KNVTTaskStore *defaultTaskStore();
    // Makes `store` (not owned) the shared store until it is replaced; nullptr brings back the one made on first use.
    // Lets a test run the application on stores of its own, one per launch.
    static void setDefaultTaskStore(KNVTTaskStore *store);
    // <data folder>/Quillvane/Quillvane Library.quillvaneLibrary (the temporary folder when there is no data folder).
    static QString taskStoreLibraryPath();
    // Whether anything exists at taskStoreLibraryPath().
    static bool exists();
    static QUrl taskStoreMetaDataURL();
    static inline const QString kLibraryFolderName = QStringLiteral("Quillvane Library.quillvaneLibrary");
    static inline const QString kStoreFileName = QStringLiteral("TaskStoreData.sqlite3");
    static inline const QString kMetaDataFileName = QStringLiteral("TaskStoreMetaData.plist");

    // How error 9999 reaches the user when a store has no presenter of its own; the application installs a modal
    // alert. Without one the error is only logged.
    static void setDefaultErrorPresenter(ErrorPresenter presenter);

    // The folder this store's stack opens, removes at sign-out and builds again afterwards.
    QString libraryPath() const { return m_libraryPath; }

    // The engine stack, built on first use: the model, then the opened library, then the main context, which seeds a
    // fresh library with its store-information record and the local user. nullptr when the library cannot be
    // opened; the failure is presented once, and later calls answer nullptr quietly until sign-out.
    ostore::Context *managedObjectContext() override;
    ostore::Coordinator *persistentStoreCoordinator();
    bool hasManagedObjectModel() const { return m_hasModel; }
    bool hasPersistentStoreCoordinator() const { return m_coordinator != nullptr; }
    bool hasManagedObjectContext() const { return m_context != nullptr; }

    QUrl libraryURL() const { return m_libraryURL; }
    // Another path drops the stack unsaved; the same path keeps it.
    void setLibraryURL(const QUrl &url);
    bool doesLibraryDirectoryExist() const;
    // -- library directory object (file-system model) --
    // The library folder as a directory object; nullptr after sign-out.
    std::shared_ptr<class KNVTDirectory> libraryDirectory() const;
    // Makes the library folder with any missing parents; nothing after sign-out, and an existing folder stays as it is.
    void createLibraryDirectory() const;
    // -- end library directory object --

    KNVTCDTaskStoreInformation *taskStoreInformation();
    // A store-information record and the local user both exist.
    bool isSetup();
    static constexpr qint64 environmentType() { return 4; }
    bool isConfiguredWithCorrectEnvironmentType();

    KNVTTaskStoreDelegate *taskStoreDelegate() const { return m_delegate; }
    void setTaskStoreDelegate(KNVTTaskStoreDelegate *delegate) { m_delegate = delegate; }

    // Sign-out: the account's password removed from the keychain and from memory, sync off and cancelled, the stack
    // dropped unsaved, the library folder removed; the midnight refresh stays armed. The next access builds a fresh
    // library in the same place.
    void unconfigureAccount();

    // ---- Saving and change notifications ----------------------------------------------------------------------------
    QDateTime lastSaveDate() const { return m_lastSaveDate; }
    // Saves the main context now, recording the date in the library in the same commit, and on success tells other
    // processes. The disk is waited for once, for that commit.
    bool save(knvt::Error *error = nullptr);
    // Saves now what the user changed: the one save of every command, click and editor. A save the library refuses
    // is logged and presented once through the error presenter, as the user's, and its changes are discarded, so that
    // every list and window, told through the change notifications, shows what the library holds instead of a change
    // that was never stored.
    bool saveUserChanges();
    // The same for a save `causedBy` says whose it is: the user's, or the application's own work (what a service's
    // reply brought in), whose refusal is told by an alert that waits beside whatever the user is doing then.
    bool saveChanges(knvt::Opener causedBy);
    // Saves on a later pass of the event loop (`delaySeconds` from now) as saveChanges() does.
    void saveLater(knvt::Opener causedBy, double delaySeconds = 0.0);
    // Saves on a later pass of the event loop, then calls the handler (required) with the save's error (null on
    // success), which hears of a failure itself and decides. Each call saves on its own; a failed save is always
    // logged.
    void saveWithCompletionHandler(SaveCompletionHandler handler, double delaySeconds = 0.0);
    // Runs every save still waiting for its pass of the event loop now, in the order they were asked for (before the
    // program ends, so that none is lost).
    void performPendingSaves();
    bool hasPendingSaves() const { return !m_pendingSaves.empty(); }

    // Another process saved after this one's last known save.
    bool hasChangedExternally();
    // Takes in what other processes saved, keeping this process's unsaved edits, and tells the observers.
    void changedExternally();

    // The alarm rings at the next midnight, and before it at each instant at which a task's start or due date passes,
    // so that the lists move the tasks whose place the clock changed.
    bool hasSystemInformationTimer() const;
    void instantiateSystemInformationTimer();
    void invalidateSystemInformationTimer();
    void systemInformationTimerDidFire();
    void systemClockDidChangeNotification();
    void systemTimeZoneDidChangeNotification();
    void workspaceWillSleepNotification() {}
    void workspaceDidWakeNotification();

    // ---- Metadata and sync settings ---------------------------------------------------------------------------------
    QVariantMap taskStoreMetaData();
    void setTaskStoreMetaData(const QVariantMap &metaData);
    QVariantMap syncMetaData();
    void setSyncMetaData(const QVariantMap &syncMetaData);

    bool isAutoSyncEnabled();
    // The user's switch: switching on also asks for a sync; either way a pause for the password is over. Switched on
    // while the service refuses the password, sync pauses instead until the password is typed again: a sync would
    // only send the refused password again.
    void setAutoSyncEnabled(bool enabled);
    bool isPushSyncingEnabled();
    void setPushSyncingEnabled(bool enabled);
    // Seconds; a stored value under 300 (or none) is replaced by 900.
    double autoSyncTimeInterval();
    void setAutoSyncTimeInterval(double seconds);
    QDateTime lastSuccessfullSyncDate();
    void setLastSuccessfullSyncDate(const QDateTime &date);
    // When the last session failed and with what error, until a session finishes: an invalid date when the last
    // session did not fail. A push-only session reads nothing, so its end leaves the failure of a read in place until
    // a session that reads finishes. Kept for this run only.
    QDateTime lastSyncFailureDate() const { return m_lastSyncFailureDate; }
    const knvt::Error &lastSyncError() const { return m_lastSyncError; }
    // The changes the service refused in the last session, which finished all the same: told beside its success, and
    // gone with the next session's end. Null when it refused none, or did not finish.
    const knvt::Error &lastSyncRefusedChanges() const { return m_lastSyncRefusedChanges; }
    QDateTime lastCleanSyncDate();
    void setLastCleanUpSyncDate(const QDateTime &date);
    QDateTime authenticationFailureDate();
    // Any valid date records the current time; an invalid one removes the record.
    void setAuthenticationFailureDate(const QDateTime &date);
    void resetAuthenticationFailureDate();
    // No authentication failure is recorded.
    bool isAuthenticated();
    // The user turned down typing a refused password again: automatic sync, when on, stops until the password is
    // verified, also across a restart.
    void pauseSyncUntilSignedInAgain();
    // Automatic sync waits for the password to be typed again, and the user has not switched it since.
    bool isSyncPausedForPassword();
    // A password typed again was verified: the refusal is forgotten, automatic sync is on again when it was paused,
    // else as the user left it, and one sync runs.
    void resumeSyncAfterSigningInAgain();
    // Where the account leaves sync now. That a newer version is needed is known for this run only: a restart of the
    // same version is refused again at its first sync.
    knvt::SyncAccountState syncAccountState();
    QVariant resourcesLastModifiedDates();
    void setResourcesLastModifiedDates(const QVariant &dates);
    // Resource name -> entity tag; never null.
    QVariantMap resourceETags();
    void setResourceETags(const QVariantMap &tags);
    // Removes the stored tags, so that the next pull fetches every list in full.
    void removeResourceETags();
    QString ETagForResource(const QString &resource);

    // ---- Sync coordinator -------------------------------------------------------------------------------------------
    KNVTTaskStoreSyncCoordinating *syncCoordinator() const { return m_syncCoordinator.get(); }
    bool isSyncing() const;
    // While automatic sync is on: keeps the handler and asks the coordinator for a session, answering YES.
    bool syncWithCompletionHandler(SyncCompletionHandler handler);
    bool sync();

    // ---- The account ------------------------------------------------------------------------------------------------
    // The store-information record's identity; nothing without a record.
    QString username();
    std::optional<qint64> userNumericIdentifier();
    std::optional<qint64> accountNumericIdentifier();
    // The account record whose identifier is accountNumericIdentifier().
    KNVTCDAccount *account();
    // Pages of the service's web site, opened in the browser.
    QUrl accountURL();
    static QUrl forgottenPasswordURL();
    static QUrl termsAndConditionsURL();
    // A user name, a user identifier of 1 or more and an account identifier other than 0.
    bool isConfigured();
    // "Basic ..." from the user name and its password, built afresh each time; empty without either. The password is
    // the one held in memory for that user name (setAccountPassword), else the keychain's.
    QString accountAuthorizationHeaderField();
    // Keeps `password` as the password of `username`, the name the store signs its requests with: its keychain item
    // is replaced. When the keychain refuses, the password is held in memory instead, until sign-out or a later
    // password the keychain takes, so that requests carry it as long as the program runs; the keychain's error is
    // answered then and kept as accountPasswordKeychainError(). A null error: the keychain holds the password.
    knvt::Error setAccountPassword(const QString &username, const QString &password);
    // Why the account's password is held only in memory; null while none is.
    const knvt::Error &accountPasswordKeychainError() const { return m_accountPasswordKeychainError; }
    // Why no password is at hand for the account's requests: the keychain's error reading it, errSecItemNotFound when
    // the keychain holds none. Null while a password is at hand (in memory or in the keychain), so that a refusal of
    // the service then means the password itself is wrong.
    knvt::Error accountPasswordLookupError();
    // "Authorization" (when there are credentials), "X-Application-Identifier" and "X-Application-Version".
    knvt::HeaderFields HTTPHeaderFields();
    // The same plus the stored entity tag of the resource as both "ETag" and "If-None-Match", when one is stored.
    knvt::HeaderFields HTTPHeaderFieldsIncludingETagForResource(const QString &resource);
    // Signs in: the identity, the local user "Me" and a new account record from the service's account JSON, saved;
    // then the owner's avatar download, a new sync coordinator and the did-configure notification. Identifiers are
    // read as numbers or numeric strings; anything else leaves the store unconfigured. Null texts become empty.
    void configureWithAccountAttributes(const knvt::JSONView &attributes);
    // Whether those attributes configure the store: an account identifier other than 0, and an owner with an
    // identifier of 1 or more and a user name text, read as configureWithAccountAttributes reads them.
    static bool canConfigureWithAccountAttributes(const knvt::JSONView &attributes);
    // Sets the local user's names, e-mail address and country from the keys present; does not save.
    void updateWithUserAttributes(const knvt::JSONView &attributes);

    // ---- The coordinator's delegate ---------------------------------------------------------------------------------
    void taskStoreSyncCoordinatorWillStartSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                      const KNVTTaskStoreSyncSessionInfo &session) override;
    void taskStoreSyncCoordinatorDidStartSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                     const KNVTTaskStoreSyncSessionInfo &session) override;
    void taskStoreSyncCoordinatorDidCancelSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                      const KNVTTaskStoreSyncSessionInfo &session) override;
    void taskStoreSyncCoordinatorSyncSessionDidFailWithError(KNVTTaskStoreSyncCoordinating &coordinator,
                                                             const KNVTTaskStoreSyncSessionInfo &session,
                                                             const knvt::Error &error) override;
    void taskStoreSyncCoordinatorDidFinishSyncSession(KNVTTaskStoreSyncCoordinating &coordinator,
                                                      const KNVTTaskStoreSyncSessionInfo &session) override;
    void taskStoreSyncCoordinatorDidFailAuthentication(KNVTTaskStoreSyncCoordinating &coordinator) override;
    void
    taskStoreSyncCoordinatorDidFailAsNewerAPIVersionIsRequired(KNVTTaskStoreSyncCoordinating &coordinator) override;
    void taskStoreSyncCoordinatorDidCancelSyncSessions(KNVTTaskStoreSyncCoordinating &coordinator) override;
    // Of KNVTTaskStoreErrorDomain with KNVTTaskStoreCancelledErrorCode.
    static knvt::Error syncCancelledError();

    // ---- Requests of its own and local friendship records -----------------------------------------------------------
    // Called on the main thread with the outcome; both errors are null on success.
    using RequestCompletionHandler =
        std::function<void(bool success, const knvt::Error &requestError, const knvt::Error &error)>;
    // Asks the service to invite the person of that user name and merges the friendship it answers with.
    void createFriendshipWithUsername(const QString &username, RequestCompletionHandler completionHandler);
    // A new record from the local user to `user`, status pending (invite), accepted (accept) or declined; only the
    // decline saves.
    void createFriendshipInviteFromUser(KNVTCDUser *user);
    void acceptFriendshipInviteFromUser(KNVTCDUser *user);
    void declineFriendshipInviteFromUser(KNVTCDUser *user);
    // Refreshes the account record and its owner, then the local user's avatar when it is marked.
    void syncAccountWithCompletionHandler(RequestCompletionHandler completionHandler = {});
    // What a store runs once it has opened a configured library and made its coordinator. Programs that talk to the
    // service install refreshAccountAfterOpening (the application does at start-up); a program that only reads the
    // library installs nothing, and so neither loads nor reaches the network and keyring code.
    using OpenedLibraryHandler = void (*)(KNVTTaskStore &store);
    static void setConfiguredLibraryOpenedHandler(OpenedLibraryHandler handler);
    // With automatic sync off nothing else refreshes the account (and the owner's avatar) during the session; a
    // recorded authentication failure or missing credentials leave it alone.
    static void refreshAccountAfterOpening(KNVTTaskStore &store);
    // Downloads the user's avatar; bytes that are no picture leave the avatar as it was, still marked.
    void syncAvatarForUser(KNVTCDUser *user, RequestCompletionHandler completionHandler = {});
    // Which library the stack has open; sign-out replaces it. Empty while no library is open.
    QString libraryGeneration() const;

    // ---- Factories and removal --------------------------------------------------------------------------------------
    // None of these saves.
    KNVTCDTask *taskWithTitle(const QString &title);
    KNVTCDTaskList *projectWithTitle(const QString &title);
    KNVTCDTaskList *areaWithTitle(const QString &title);
    // nullptr, inserting nothing, for a title that is empty once trimmed.
    KNVTCDTag *tagWithTitle(const QString &title);
    // ---- Focus lists: the one move of every window, list, menu and drop ----------------------------------------------
    // Moves the items to a focus list and saves: Inbox (tasks only; each becomes mine), Today, Next, Someday or
    // Archived. Lists go before tasks to Today and Someday, after them to Next and Archived (a list's own move takes
    // its open tasks along). Scheduled and Delegated are sheets, not moves: nothing happens.
    void moveItemsToFocus(const Items &items, KNVTFocusType focus);
    // Today's one toggle: to Next when the items are in Today by their start dates (shouldDisplayRemoveItemsFromToday;
    // for a list, every open task), else to Today. A task in Today only because it is overdue goes to Today first,
    // where a move to Next would change nothing the user sees.
    void toggleToday(const Items &items);

    KNVTCDTaskComment *commentWithText(const QString &text, KNVTCDTask *task);
    KNVTCDTaskListCollaborator *taskListCollaboratorWithUser(KNVTCDUser *user, KNVTCDTaskList *taskList, qint64 role);
    // The user's watcher row of the task, revived when its removal was made here and not yet pushed, else new.
    KNVTCDTaskWatcher *taskWatcherWithUser(KNVTCDUser *user, KNVTCDTask *task);

    // An object the service knows becomes a tombstone for the next push; any other is deleted at once.
    bool removeTask(KNVTCDTask *task, knvt::Error *error = nullptr);
    // The list's live tasks go by the same rule; tasks already tombstoned are detached when the list itself is
    // deleted outright, so that their deletions are still pushed.
    bool removeTaskList(KNVTCDTaskList *taskList, knvt::Error *error = nullptr);
    bool removeTag(KNVTCDTag *tag, knvt::Error *error = nullptr);
    void removeTaskComment(KNVTCDTaskComment *comment);
    void removeTaskWatcher(KNVTCDTaskWatcher *watcher);
    void removeTaskWatcherForUser(KNVTCDUser *user, KNVTCDTask *task);
    // The user's tasks in the list go to their creator while the creator still collaborates, else to the local
    // user; then the user's collaborator row goes by the removal rule.
    void removeTaskListCollaboratorForUser(KNVTCDUser *user, KNVTCDTaskList *taskList);

private:
    // The account's password: the one held in memory for its user name, else the keychain's; nothing without a user
    // name or when the keychain has none to give, and then `error` says why (null without a user name).
    std::optional<QString> accountPassword(knvt::Error *error);
    // `current` is false for a reply to a request made for a library that has since been replaced.
    using ServiceReplyHandler = std::function<void(bool current, const QByteArray &data,
                                                   const knvt::Error &requestError, const knvt::Error &error)>;
    void performServiceRequest(const std::shared_ptr<KNVTRequest> &request, ServiceReplyHandler replyHandler);
    KNVTCDFriendship *insertFriendshipFromMe(KNVTCDUser *user, qint64 status);
    // Calls every waiting sync handler once, in order, and empties the queue.
    void callSyncCompletionHandlers(const knvt::Error &error);
    // Merges the entity tags a session read into the stored ones, key by key.
    void keepResourceETags(const KNVTTaskStoreSyncSessionInfo &session);
    // Tells the delegate what the user wrote on objects a session found the service had deleted.
    void tellLostEdits(const KNVTTaskStoreSyncSessionInfo &session);
    QString metaDataPath() const;
    void dropStack();
    void presentStackFailure();
    void seedStore();
    void applyOldVersionFixUps();
    void startWatching();
    void observeSystemEvents();
    void createSyncCoordinator();
    void dropSyncCoordinator();
    void observeContext();
    // Will-change says when what comes is a change made elsewhere (a merge of a sync, another process's writes), so
    // that a form whose object it takes away tells it so.
    void relayWillSave(bool madeElsewhere = false);
    void relayChanges(const ostore::ChangeSet &changes);
    // A sync's merge or another process's writes, taken in.
    void relayChangesMadeElsewhere(const ostore::ChangeSet &changes);
    void postDidChange(const ostore::ChangeSet &changes, bool madeElsewhere);
    // Will-change and a did-change that carries no change set.
    void relayUnknownChanges();
    // The date the library holds of its last save, by whichever process; invalid while no library is open.
    QDateTime recordedLastSaveDate();
    void postSystemInformationChange();
    void refreshForSystemEvent();
    // Sets the alarm for the earlier of the next midnight and the next task date after the lists' placing.
    void armSystemInformationTimer();
    // Tells the lists, as a change of those tasks, which tasks the clock moved since they were last placed. True when
    // it relayed such a change, which has set the alarm again.
    bool relayPassedTaskDates(const QDateTime &now);
    void writeSyncMetaDataValue(const QString &key, const QVariant &value, bool post);
    KNVTCDTaskList *taskListWithTitle(const QString &title, qint64 type);
    void postNotification(const char *name, const QVariantMap &userInfo = {});
    void runPendingSave(quint64 identifier);
    void queueSave(SaveCompletionHandler handler, std::optional<knvt::Opener> causedBy, double delaySeconds);
    void discardRefusedChanges();
    void presentError(const knvt::Error &error, knvt::Opener opener);

    Environment m_environment;
    QString m_libraryPath;
    QDateTime m_lastSaveDate;
    std::unique_ptr<KNVTTaskStoreSyncCoordinating> m_syncCoordinator;
    QVariantMap m_taskStoreMetaData;
    bool m_hasTaskStoreMetaData = false;
    ostore::OpenResult m_openResult;
    bool m_needsOldVersionFixUps = false;
    std::vector<SyncCompletionHandler> m_syncCompletionHandlers;
    QDateTime m_lastSyncFailureDate;
    knvt::Error m_lastSyncError;
    knvt::Error m_lastSyncRefusedChanges;
    // The service refused this version, and the user has not switched sync on since.
    bool m_newerVersionNeeded = false;
    // The failure of a read that no session has read again since.
    QDateTime m_readFailureDate;
    knvt::Error m_readFailureError;
    KNVTTaskStoreDelegate *m_delegate = nullptr;
    QUrl m_libraryURL;
    bool m_hasModel = false;
    std::unique_ptr<ostore::Coordinator> m_coordinator;
    std::unique_ptr<ostore::Context> m_context;
    bool m_stackFailurePresented = false;
    // The password the keychain refused, for the user name it was given for, and the keychain's error.
    QString m_memoryPasswordUsername;
    QString m_memoryPassword;
    knvt::Error m_accountPasswordKeychainError;
    std::unique_ptr<knvt::NotifyCenter> m_notifyCenter;
    int m_notifyToken = 0;
    std::unique_ptr<KNVTTaskStoreRetiredStacks> m_retired;
    struct PendingSave
    {
        quint64 identifier;
        SaveCompletionHandler handler;
        // Without a handler: whose save it is, the user told of its refusal as such.
        std::optional<knvt::Opener> causedBy;
    };
    std::vector<PendingSave> m_pendingSaves;
    quint64 m_nextPendingSave = 1;
    // The midnight the alarm is for (invalid while it is off), and whether it rings for that midnight rather than
    // for a task date before it.
    QDateTime m_nextMidnight;
    bool m_alarmIsForMidnight = false;
    // Every list placed every task by the clock as it was at this instant or later: the task dates after it have
    // still to be told.
    QDateTime m_taskDatesPlacedAt;
};
