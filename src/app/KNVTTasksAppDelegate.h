#pragma once

#include "app/KNVTMainWindowControllerDelegate.h"
#include "app/PeopleUserSelectionFactory.h"

#include "accounts/KNVTAccountsShell.h"
#include "app/WindowFactory.h"

#include "hotkeys/KNVTMainMenuSource.h"
#include "hotkeys/KNVTQuickEntryHost.h"
#include "lists/KNVTApplicationServices.h"

#include "uikit/ApplicationCommands.h"

#include "store/KNVTTaskStoreDelegate.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class KNVTMainWindowController;
class QMenu;

namespace knvt {
class ContextMenuKey;
}

// The application: it registers the defaults, checks that the library belongs to this build, sets up the main
// window, the window registries and the menu bar, keeps the launcher badge, answers the store's failures, closes
// everything when the account goes and makes sure nothing waiting to be saved is lost when the program ends.
class KNVTTasksAppDelegate : public QObject,
                             public KNVTMainWindowControllerDelegate,
                             public KNVTTaskStoreDelegate,
                             public KNVTApplicationServices,
                             public knvt::ApplicationCommands,
                             public KNVTQuickEntryHost,
                             public KNVTMainMenuSource,
                             public KNVTAccountsShell
{
    Q_OBJECT

public:
    explicit KNVTTasksAppDelegate(QObject *parent = nullptr);
    ~KNVTTasksAppDelegate() override;

    static KNVTTasksAppDelegate *sharedAppDelegate();
    // The registered (never written) defaults: the badge type and the expanded home sections.
    static void registerDefaults();
    // Makes the keyboard shortcut manager at set-up; without a hook, the process's shared manager.
    static void setKeyboardShortcutManagerHook(std::function<void()> hook);

    // The launch check, then the normal set-up. False when the program is to end at once (another environment's
    // library, a library that cannot be opened); the user has been told why.
    bool applicationDidFinishLaunching();
    void setupForNormalUse();

    // Runs before the program ends: every waiting save, a last save of what is still unsaved, and the sync sessions
    // cancelled (waiting at most 2 s for them to stop). Runs once; later calls do nothing.
    void applicationWillTerminate();
    // Quit as the menu does: the steps above, then the event loop ends.
    void quit();
    // The launcher or tray icon was activated, or the program launched again: the main window comes to the front,
    // also when it was minimised, covered or closed; a new one opens when no window of the program shows.
    void applicationShouldHandleReopen();

    // ---- Windows -----------------------------------------------------------------------------------------------
    // Each window opens as `opener` says (KeyboardOwner).
    void newMainWindow(knvt::Opener opener);
    void showMainWindow(knvt::Opener opener);
    KNVTMainWindowController *mainWindowController() const;
    void showPreferenceWindow(knvt::Opener opener);
    void showUsersWindow(knvt::Opener opener);
    void contactUs();
    void showAuthenticationFailureWindow() override;
    void showNewerAPIVersionAlert();
    void showDidFailToOpenPersistentStoreAlert(const knvt::Error &error);
    void newTask();
    void newTaskWindow(knvt::Opener opener);

    // ---- Registries --------------------------------------------------------------------------------------------
    knvt::TaskWindow *taskWindowControllerForTask(KNVTCDTask *task) override;
    bool hasTaskWindowControllerForTask(KNVTCDTask *task) const override;
    void takeOwnershipOfTaskNewWindowController(std::unique_ptr<knvt::TaskNewWindow> controller) override;
    const std::vector<std::unique_ptr<knvt::TaskWindow>> &taskWindowControllers() const
    {
        return m_taskWindowControllers;
    }
    const std::vector<std::unique_ptr<knvt::TaskNewWindow>> &taskNewWindowControllers() const
    {
        return m_taskNewWindowControllers;
    }
    knvt::ApplicationWindow *preferenceWindowController() const { return m_preferenceWindowController.get(); }
    knvt::ApplicationWindow *usersWindowController() const { return m_usersWindowController.get(); }
    knvt::AuthenticationFailureWindow *authenticationFailureWindowController() const
    {
        return m_authenticationFailureWindowController.get();
    }

    void mainWindowControllerWillClose(KNVTMainWindowController *controller) override;
    void performApplicationCommand(knvt::Command command) override;
    bool canContactUs() const override;

    // ---- The account windows' shell ------------------------------------------------------------------------------
    QWidget *mainWindow() override;
    // Both end the authentication-failure window as its own Save and Cancel do.
    void authenticationFailureWindowControllerDidSave(KNVTAuthenticationFailureWindowController *controller) override;
    void authenticationFailureWindowControllerDidCancel(KNVTAuthenticationFailureWindowController *controller) override;

    // ---- Quick entry ---------------------------------------------------------------------------------------------
    // The quick-entry hot key: a new-task window over every program, its title field focused, kept until it closes.
    void openQuickEntryWindow(quint32 userTime, const QString &activationToken) override;
    // The main window's menu bar, whose shortcuts the shortcut recorder refuses.
    QMenuBar *mainMenuBar() const override;

    // ---- Store delegate ----------------------------------------------------------------------------------------
    void taskStoreDidFailToOpenPersistentStoreWithError(KNVTTaskStore *taskStore, const knvt::Error &error) override;
    void taskStoreDidFailToAuthenticate(KNVTTaskStore *taskStore) override;
    void taskStoreRequiresNewerAPIVersion(KNVTTaskStore *taskStore) override;
    void taskStoreLostEditsOfObjectsDeletedElsewhere(KNVTTaskStore *taskStore,
                                                     const std::vector<KNVTTaskStoreLostEdit> &edits) override;

    // ---- Badge ---------------------------------------------------------------------------------------------------
    void updateDockBadge();
    // The count the badge shows for the stored badge type.
    static qint64 badgeCount();

private:
    void observeStore();
    void taskStoreDidUnconfigureAccountNotification();
    void releaseLater(std::unique_ptr<knvt::ApplicationWindow> window);
    void setUpQuickEntryHotKey();
    void tearDownQuickEntryHotKey();
    // While an application-modal window waits for an answer (the password asked again, an alert) every other window
    // is blocked: a new-task window opened then is modal itself, above that one, so that it takes the keyboard; the
    // other gets it back when the new task closes.
    static void openAboveAnyModalWindow(QWidget *window);

    std::unique_ptr<KNVTMainWindowController> m_mainWindowController;
    std::unique_ptr<knvt::ApplicationWindow> m_preferenceWindowController;
    std::unique_ptr<knvt::ApplicationWindow> m_usersWindowController;
    std::unique_ptr<knvt::AuthenticationFailureWindow> m_authenticationFailureWindowController;
    std::vector<std::unique_ptr<knvt::TaskWindow>> m_taskWindowControllers;
    std::vector<std::unique_ptr<knvt::TaskNewWindow>> m_taskNewWindowControllers;
    knvt::PeopleUserSelectionFactory m_userSelectionFactory;
    bool m_failedToOpenStore = false;
    bool m_terminated = false;
    bool m_setUp = false;
    QPointer<knvt::ContextMenuKey> m_contextMenuKey;
};
