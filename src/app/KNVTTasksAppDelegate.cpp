#include "app/KNVTTasksAppDelegate.h"

#include "editors/KNVTUserSelectionFactory.h"

#include "app/BadgeSink.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/Logging.h"
#include "app/TrayIcon.h"
#include "app/WindowFactory.h"

#include "lists/SavingAlertHandler.h"

#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreSyncCoordinating.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "objectstore/ErrorCode.h"

#include "service/RequestPool.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"
#include "uikit/AlertAdditions.h"
#include "uikit/ContextMenuKey.h"
#include "uikit/GoneElsewhere.h"
#include "uikit/KNVTDockIconBadgeValueType.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/UnsavedTyping.h"
#include "uikit/UrlOpener.h"
#include "uikit/WindowCommands.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMenu>
#include <QStorageInfo>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#ifndef KNVT_CONTACT_URL
#define KNVT_CONTACT_URL ""
#endif
#ifndef KNVT_SUPPORT_EMAIL
#define KNVT_SUPPORT_EMAIL ""
#endif

namespace {

KNVTTasksAppDelegate *&sharedDelegate()
{
    static KNVTTasksAppDelegate *delegate = nullptr;
    return delegate;
}

std::function<void()> &keyboardShortcutManagerHook()
{
    static std::function<void()> hook;
    return hook;
}

KNVTTaskStore &store()
{
    return *KNVTTaskStore::defaultTaskStore();
}

} // namespace

KNVTTasksAppDelegate::KNVTTasksAppDelegate(QObject *parent) : QObject(parent)
{
    registerDefaults();
    sharedDelegate() = this;
    KNVTApplicationServices::setShared(this);
    knvt::ApplicationCommands::setShared(this);
    // Every window opens as its opener says, asks before typing in it is dropped, and gives the keyboard back where it
    // was when it closes.
    knvt::KeyboardOwner::install();
    KNVTAccountsShell::setShared(this);
    KNVTUserSelectionFactory::setShared(&m_userSelectionFactory);
}

KNVTTasksAppDelegate::~KNVTTasksAppDelegate()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    // The presenter refers to this object.
    KNVTTaskStore::setDefaultErrorPresenter({});
    tearDownQuickEntryHotKey();
    if (store().taskStoreDelegate() == this)
        store().setTaskStoreDelegate(nullptr);
    knvt::TrayIcon::shared().hide();
    m_taskWindowControllers.clear();
    m_taskNewWindowControllers.clear();
    m_mainWindowController.reset();
    if (KNVTApplicationServices::shared() == this)
        KNVTApplicationServices::setShared(nullptr);
    if (knvt::ApplicationCommands::shared() == this)
        knvt::ApplicationCommands::setShared(nullptr);
    if (KNVTAccountsShell::shared() == this)
        KNVTAccountsShell::setShared(nullptr);
    if (&KNVTUserSelectionFactory::shared() == &m_userSelectionFactory)
        KNVTUserSelectionFactory::setShared(nullptr);
    if (sharedDelegate() == this)
        sharedDelegate() = nullptr;
}

KNVTTasksAppDelegate *KNVTTasksAppDelegate::sharedAppDelegate()
{
    return sharedDelegate();
}

void KNVTTasksAppDelegate::registerDefaults()
{
    knvt::Defaults::standard().registerDefaults(
        {{QString::fromLatin1(KNVTDockIconBadgeValueTypePreference), int(KNVTDockIconBadgeValueTypeNotifications)},
         {QString::fromLatin1(KNVTHomeSectionExpandedHomeSectionTypes), QVariantList{0, 1, 2, 3, 4}}});
}

void KNVTTasksAppDelegate::setKeyboardShortcutManagerHook(std::function<void()> hook)
{
    keyboardShortcutManagerHook() = std::move(hook);
}

// ---- Launch ----

bool KNVTTasksAppDelegate::applicationDidFinishLaunching()
{
    // Before the store opens its file: a library that cannot be opened reaches the delegate and the user.
    store().setTaskStoreDelegate(this);
    KNVTTaskStore::setDefaultErrorPresenter([this](const knvt::Error &error, knvt::Opener opener) {
        // A library that cannot be opened has been reported already; the program is ending.
        if (m_failedToOpenStore)
            return;
        // A refused save of the application's own work (what a service's reply brought in) waits in front of the main
        // window beside whatever the user is doing; the user's own is the answer to the user's command.
        knvt::runModal(
            {.title = error.userInfo().value(QStringLiteral("NSLocalizedDescription"), error.description()).toString(),
             .message = error.userInfo().value(QStringLiteral("NSLocalizedFailureReason")).toString(),
             .buttonTitles = {tr("OK")},
             .opener = opener,
             .concerns = opener == knvt::Opener::Application ? mainWindow() : nullptr});
    });
    // The model asks its own questions of the user's commands: a move to a focus list, a drop.
    KNVTCDTask::setStandardAlertHandler(knvt::savingAlertHandler(knvt::Opener::User));

    const bool configured = store().isConfigured();
    if (m_failedToOpenStore)
        return false;
    if (configured && !store().isConfiguredWithCorrectEnvironmentType()) {
        knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
        request.title = tr("Incorrect Enviroment");
        request.message = tr("This application is configured for a different environment than it's library data. If "
                             "you need any assistance solving this issue please contact support.");
        request.buttonTitles = {tr("Quit")};
        knvt::runModal(request);
        return false;
    }
    setupForNormalUse();
    return true;
}

void KNVTTasksAppDelegate::setupForNormalUse()
{
    if (m_setUp)
        return;
    m_setUp = true;
    m_taskWindowControllers.clear();
    m_taskNewWindowControllers.clear();
    if (keyboardShortcutManagerHook())
        keyboardShortcutManagerHook()();
    setUpQuickEntryHotKey();
    if (!m_contextMenuKey)
        m_contextMenuKey = new knvt::ContextMenuKey(this);
    knvt::WindowCommands::offerInEveryWindow();
    newMainWindow(knvt::Opener::User);
    updateDockBadge();
    store().setTaskStoreDelegate(this);
    observeStore();
    knvt::TrayIcon &tray = knvt::TrayIcon::shared();
    // Where a tray stands for the launcher, the program lives on without windows; elsewhere the last window quits.
    if (qApp)
        QApplication::setQuitOnLastWindowClosed(!tray.isAvailable());
    tray.show([this] { applicationShouldHandleReopen(); }, [this] { newTask(); }, [this] { quit(); });
    if (qApp)
        connect(qApp, &QCoreApplication::aboutToQuit, this, &KNVTTasksAppDelegate::applicationWillTerminate);
}

void KNVTTasksAppDelegate::observeStore()
{
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    KNVTTaskStore *s = &store();
    center.addObserver(QString::fromLatin1(KNVTTaskStoreDidChangeNotification), s, this,
                       [this](const knvt::Notification &) { updateDockBadge(); });
    center.addObserver(QString::fromLatin1(KNVTTaskStoreDidUnconfigureAccountNotification), s, this,
                       [this](const knvt::Notification &) { taskStoreDidUnconfigureAccountNotification(); });
    center.addObserver(QString::fromLatin1(KNVTDockIconBadgeValueTypePreferenceDidChangeNotification), nullptr, this,
                       [this](const knvt::Notification &) { updateDockBadge(); });
}

// ---- Termination ----

void KNVTTasksAppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    KNVTTaskStore &s = store();
    // What the lists and editors asked to save on a later pass, and what is still unsaved, is written now; a save
    // the library refuses is told to the user before the program ends, as any other.
    s.performPendingSaves();
    if (s.hasManagedObjectContext() && s.managedObjectContext()->hasChanges())
        s.saveUserChanges();
    // One budget for everything the quit waits on: a reply the service holds back must not keep the user waiting.
    const QDeadlineTimer deadline(2000);
    if (KNVTTaskStoreSyncCoordinating *coordinator = s.syncCoordinator()) {
        coordinator->cancelSyncSessions();
        while (s.isSyncing() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    knvt::RequestPool::waitForDone(int(deadline.remainingTime()));
}

void KNVTTasksAppDelegate::quit()
{
    if (!knvt::UnsavedTyping::mayDiscard())
        return;
    applicationWillTerminate();
    QCoreApplication::quit();
}

void KNVTTasksAppDelegate::applicationShouldHandleReopen()
{
    bool anyShown = false;
    for (QWidget *window : QApplication::topLevelWidgets())
        anyShown = anyShown || (window->isVisible() && window->isWindow() && !window->inherits("QMenu"));
    KNVTMainWindowController *main = mainWindowController();
    if (!main || !anyShown) {
        newMainWindow(knvt::Opener::User);
        return;
    }
    // Closed while another window stayed open, minimised, or under other windows: it comes back in front.
    if (main->isMinimized())
        main->setWindowState(main->windowState() & ~Qt::WindowMinimized);
    showMainWindow(knvt::Opener::User);
}

// ---- Windows ----

void KNVTTasksAppDelegate::newMainWindow(knvt::Opener opener)
{
    m_mainWindowController = std::make_unique<KNVTMainWindowController>(this);
    knvt::KeyboardOwner::open(m_mainWindowController.get(), opener);
}

void KNVTTasksAppDelegate::showMainWindow(knvt::Opener opener)
{
    if (KNVTMainWindowController *main = mainWindowController()) {
        knvt::KeyboardOwner::open(main, opener);
        return;
    }
    newMainWindow(opener);
}

KNVTMainWindowController *KNVTTasksAppDelegate::mainWindowController() const
{
    return m_mainWindowController.get();
}

void KNVTTasksAppDelegate::mainWindowControllerWillClose(KNVTMainWindowController *)
{
    // A closed main window stays held and is shown again by showMainWindow().
}

void KNVTTasksAppDelegate::showPreferenceWindow(knvt::Opener opener)
{
    if (!m_preferenceWindowController)
        m_preferenceWindowController = knvt::WindowFactory::shared().preferenceWindowController();
    m_preferenceWindowController->showWindow(opener);
}

void KNVTTasksAppDelegate::showUsersWindow(knvt::Opener opener)
{
    if (!m_usersWindowController)
        m_usersWindowController = knvt::WindowFactory::shared().usersWindowController();
    m_usersWindowController->showWindow(opener);
}

void KNVTTasksAppDelegate::contactUs()
{
    const QString url = QStringLiteral(KNVT_CONTACT_URL);
    if (!url.isEmpty())
        knvt::UrlOpener::shared().openUrl(QUrl(url));
}

void KNVTTasksAppDelegate::releaseLater(std::unique_ptr<knvt::ApplicationWindow> window)
{
    // The window may be the one whose close is being reported; it goes once that report is over.
    if (!window)
        return;
    knvt::ApplicationWindow *released = window.release();
    QTimer::singleShot(0, this, [released] { delete released; });
}

void KNVTTasksAppDelegate::showAuthenticationFailureWindow()
{
    // Repeated failures open one window.
    if (m_authenticationFailureWindowController)
        return;
    m_authenticationFailureWindowController = knvt::WindowFactory::shared().authenticationFailureWindowController();
    auto end = [this] {
        if (!m_authenticationFailureWindowController)
            return;
        std::unique_ptr<knvt::ApplicationWindow> window = std::move(m_authenticationFailureWindowController);
        window->willClose = nullptr;
        window->close();
        releaseLater(std::move(window));
    };
    m_authenticationFailureWindowController->didSave = end;
    m_authenticationFailureWindowController->didCancel = end;
    // Closed from outside (its close button, Alt+F4), the window takes the close as its Cancel, which ends it; this
    // only ends it should it not, once the close is over: closing it here, inside its close, would hide it before it
    // hears of the close, and nothing would pause.
    m_authenticationFailureWindowController->willClose = [this, end](knvt::ApplicationWindow *closing) {
        QTimer::singleShot(0, this, [this, end, closing] {
            if (m_authenticationFailureWindowController.get() == closing)
                end();
        });
    };
    // A sync opens it, not the user: it waits in front of the main window without the keyboard, and is modal once the
    // user goes to it.
    QWidget *window = m_authenticationFailureWindowController->window();
    window->setWindowModality(Qt::ApplicationModal);
    knvt::KeyboardOwner::open(window, knvt::Opener::Application, mainWindow());
}

QWidget *KNVTTasksAppDelegate::mainWindow()
{
    return m_mainWindowController ? m_mainWindowController->window() : nullptr;
}

void KNVTTasksAppDelegate::authenticationFailureWindowControllerDidSave(KNVTAuthenticationFailureWindowController *)
{
    if (m_authenticationFailureWindowController && m_authenticationFailureWindowController->didSave)
        m_authenticationFailureWindowController->didSave();
}

void KNVTTasksAppDelegate::authenticationFailureWindowControllerDidCancel(KNVTAuthenticationFailureWindowController *)
{
    if (m_authenticationFailureWindowController && m_authenticationFailureWindowController->didCancel)
        m_authenticationFailureWindowController->didCancel();
}

void KNVTTasksAppDelegate::showNewerAPIVersionAlert()
{
    knvt::runModal({.title = tr("You need to update your version of Quillvane"),
                    .message = tr("You need to update your version of Quillvane to continue syncing with our Cloud "
                                  "Sync Service. You can do this from with your system's package manager"),
                    .buttonTitles = {tr("OK")},
                    // A sync's answer, not the user's command.
                    .opener = knvt::Opener::Application,
                    .concerns = mainWindow()});
}

void KNVTTasksAppDelegate::showDidFailToOpenPersistentStoreAlert(const knvt::Error &error)
{
    // The library is opened as the user starts the program or signs in.
    knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.title = tr("Cannot Load Quillvane Database");
    // A library on a read-only or full disk is no newer version: telling so would send the user looking for the wrong
    // cause. Every other failure keeps the usual explanation.
    const QString library = QDir::toNativeSeparators(KNVTTaskStore::taskStoreLibraryPath());
    const QStorageInfo disk(KNVTTaskStore::taskStoreLibraryPath());
    const bool ofObjectStore = error.domain() == QLatin1String(ostore::kErrorDomain);
    if ((ofObjectStore && error.code() == qint64(ostore::ErrorCode::ReadOnly)) || (disk.isValid() && disk.isReadOnly()))
        request.message = tr("Your Quillvane Database in %1 is read-only: Quillvane cannot write in it.").arg(library);
    else if (ofObjectStore && error.code() == qint64(ostore::ErrorCode::DiskFull))
        request.message = tr("The disk that holds your Quillvane Database in %1 is full.").arg(library);
    else
        request.message = tr("This is usually because you have opened your Quillvane Database with a newer version "
                             "of Quillvane.");
    // A build without a support address names none, rather than ending on an empty one.
    const QString supportEmail = QStringLiteral(KNVT_SUPPORT_EMAIL).trimmed();
    if (!supportEmail.isEmpty())
        request.message += QLatin1Char(' ') + tr("If you need assistance email %1.").arg(supportEmail);
    request.buttonTitles = {tr("Quit")};
    qCInfo(lcApp).noquote() << "KNVTTasksAppDelegate:showDidFailToOpenPersistentStoreAlert" << request.message;
    knvt::runModal(request);
    applicationWillTerminate();
    QCoreApplication::quit();
}

void KNVTTasksAppDelegate::newTask()
{
    KNVTMainWindowController *main = mainWindowController();
    if (main && main->isActiveWindow()) {
        main->newTaskPopover(nullptr);
        return;
    }
    newTaskWindow(knvt::Opener::User);
}

void KNVTTasksAppDelegate::newTaskWindow(knvt::Opener opener)
{
    knvt::NewTaskValues values;
    KNVTMainWindowController *main = mainWindowController();
    if (main && main->isActiveWindow())
        values.taskList = main->homeViewController()->selectedTaskList();
    std::unique_ptr<knvt::TaskNewWindow> window = knvt::WindowFactory::shared().taskNewWindowController(values);
    openAboveAnyModalWindow(window->window());
    window->showWindow(opener);
    takeOwnershipOfTaskNewWindowController(std::move(window));
}

// ---- Registries ----

knvt::TaskWindow *KNVTTasksAppDelegate::taskWindowControllerForTask(KNVTCDTask *task)
{
    for (const auto &controller : m_taskWindowControllers)
        if (controller->task() == task)
            return controller.get();
    m_taskWindowControllers.push_back(knvt::WindowFactory::shared().taskWindowController(task));
    knvt::TaskWindow *created = m_taskWindowControllers.back().get();
    created->willClose = [this](knvt::ApplicationWindow *closing) {
        auto found = std::find_if(m_taskWindowControllers.begin(), m_taskWindowControllers.end(),
                                  [closing](const auto &c) { return c.get() == closing; });
        if (found == m_taskWindowControllers.end())
            return;
        std::unique_ptr<knvt::TaskWindow> window = std::move(*found);
        m_taskWindowControllers.erase(found);
        releaseLater(std::move(window));
    };
    return created;
}

bool KNVTTasksAppDelegate::hasTaskWindowControllerForTask(KNVTCDTask *task) const
{
    return std::any_of(m_taskWindowControllers.begin(), m_taskWindowControllers.end(),
                       [task](const auto &controller) { return controller->task() == task; });
}

void KNVTTasksAppDelegate::takeOwnershipOfTaskNewWindowController(std::unique_ptr<knvt::TaskNewWindow> controller)
{
    if (!controller)
        return;
    if (knvt::TaskNewForm *form = controller->form())
        form->setInsertedHandler([this](const QUrl &uri) {
            if (KNVTMainWindowController *main = mainWindowController())
                main->selectNewTask(uri);
        });
    controller->willClose = [this](knvt::ApplicationWindow *closing) {
        auto found = std::find_if(m_taskNewWindowControllers.begin(), m_taskNewWindowControllers.end(),
                                  [closing](const auto &c) { return c.get() == closing; });
        if (found == m_taskNewWindowControllers.end())
            return;
        std::unique_ptr<knvt::TaskNewWindow> window = std::move(*found);
        m_taskNewWindowControllers.erase(found);
        releaseLater(std::move(window));
    };
    m_taskNewWindowControllers.push_back(std::move(controller));
}

// ---- Store ----

void KNVTTasksAppDelegate::taskStoreDidFailToOpenPersistentStoreWithError(KNVTTaskStore *, const knvt::Error &error)
{
    qCWarning(lcApp).noquote() << "KNVTTasksAppDelegate:taskStoreDidFailToOpenPersistentStoreWithError"
                               << error.description();
    m_failedToOpenStore = true;
    // The first failure is told at once; the program then ends.
    showDidFailToOpenPersistentStoreAlert(error);
}

void KNVTTasksAppDelegate::taskStoreDidFailToAuthenticate(KNVTTaskStore *)
{
    showAuthenticationFailureWindow();
}

void KNVTTasksAppDelegate::taskStoreRequiresNewerAPIVersion(KNVTTaskStore *)
{
    // On a later pass: the alert waits for the user, maybe beside a field being typed in, while the store switches
    // automatic sync off and the sync ends.
    QMetaObject::invokeMethod(this, &KNVTTasksAppDelegate::showNewerAPIVersionAlert, Qt::QueuedConnection);
}

void KNVTTasksAppDelegate::taskStoreLostEditsOfObjectsDeletedElsewhere(KNVTTaskStore *,
                                                                       const std::vector<KNVTTaskStoreLostEdit> &edits)
{
    for (const KNVTTaskStoreLostEdit &edit : edits) {
        knvt::EditedObject object = knvt::EditedObject::Task;
        switch (edit.kind) {
        case KNVTTaskStoreLostEdit::Kind::Task: object = knvt::EditedObject::Task; break;
        case KNVTTaskStoreLostEdit::Kind::Project: object = knvt::EditedObject::Project; break;
        case KNVTTaskStoreLostEdit::Kind::Area: object = knvt::EditedObject::Area; break;
        case KNVTTaskStoreLostEdit::Kind::Tag: object = knvt::EditedObject::Tag; break;
        case KNVTTaskStoreLostEdit::Kind::Comment: object = knvt::EditedObject::Comment; break;
        }
        knvt::tellWrittenWentAway(object, edit.name, edit.text);
    }
}

void KNVTTasksAppDelegate::taskStoreDidUnconfigureAccountNotification()
{
    if (m_mainWindowController) {
        m_mainWindowController->close();
        m_mainWindowController.reset();
    }
    for (std::unique_ptr<knvt::ApplicationWindow> *window : {&m_preferenceWindowController, &m_usersWindowController})
        if (*window) {
            (*window)->willClose = nullptr;
            (*window)->close();
            releaseLater(std::move(*window));
        }
    // Each close takes the window out of its registry, hence the copies.
    std::vector<knvt::TaskWindow *> taskWindows;
    for (const auto &window : m_taskWindowControllers)
        taskWindows.push_back(window.get());
    for (knvt::TaskWindow *window : taskWindows)
        window->close();
    std::vector<knvt::TaskNewWindow *> newWindows;
    for (const auto &window : m_taskNewWindowControllers)
        newWindows.push_back(window.get());
    for (knvt::TaskNewWindow *window : newWindows)
        window->close();
    // The user signed out: the main window comes back for signing in again.
    showMainWindow(knvt::Opener::User);
}

// ---- Badge ----

qint64 KNVTTasksAppDelegate::badgeCount()
{
    KNVTTaskStore &s = store();
    const unsigned int type =
        knvt::Defaults::standard().value(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference)).toUInt();
    switch (type) {
    case KNVTDockIconBadgeValueTypeUncompletedDueTasks: return s.numberOfUncompletedDueTasks();
    case KNVTDockIconBadgeValueTypeUncompletedDueAndTodayTasks: return s.numberOfUncompletedDueAndTodayTasks();
    case KNVTDockIconBadgeValueTypeUncompletedDueTodayAndInboxTasks:
        return s.numberOfUncompletedDueTodayAndInboxTasks();
    case KNVTDockIconBadgeValueTypeNotifications: return s.numberOfNotifications();
    case KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTasks:
        return s.numberOfNotifications() + s.numberOfUncompletedDueTasks();
    case KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueAndTodayTasks:
        return s.numberOfNotifications() + s.numberOfUncompletedDueAndTodayTasks();
    case KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTodayAndInboxTasks:
        return s.numberOfNotifications() + s.numberOfUncompletedDueTodayAndInboxTasks();
    default: return 0;
    }
}

void KNVTTasksAppDelegate::updateDockBadge()
{
    knvt::BadgeSink::shared().setBadgeCount(badgeCount());
}

// ---- Commands of the menu bar ----

void KNVTTasksAppDelegate::performApplicationCommand(knvt::Command command)
{
    switch (command) {
    case knvt::Command::NewTask: newTask(); return;
    case knvt::Command::Quit: quit(); return;
    case knvt::Command::People: showUsersWindow(knvt::Opener::User); return;
    case knvt::Command::Preferences: showPreferenceWindow(knvt::Opener::User); return;
    case knvt::Command::ContactUs: contactUs(); return;
    default: return;
    }
}

bool KNVTTasksAppDelegate::canContactUs() const
{
    return !QStringLiteral(KNVT_CONTACT_URL).isEmpty();
}
