#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"
#include "app/Logging.h"

#include "hotkeys/KNVTKeyboardShortcutManager.h"
#include "hotkeys/WindowActivation.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QWidget>

void KNVTTasksAppDelegate::setUpQuickEntryHotKey()
{
    // Obtaining the manager restores and registers the stored combination; the application keeps no reference.
    KNVTKeyboardShortcutManager &manager = KNVTKeyboardShortcutManager::sharedManager();
    manager.setQuickEntryHost(this);
    KNVTMainMenuSource::setShared(this);
}

void KNVTTasksAppDelegate::tearDownQuickEntryHotKey()
{
    if (!m_setUp)
        return;
    KNVTKeyboardShortcutManager &manager = KNVTKeyboardShortcutManager::sharedManager();
    if (manager.quickEntryHost() == this)
        manager.setQuickEntryHost(nullptr);
    if (KNVTMainMenuSource::shared() == this)
        KNVTMainMenuSource::setShared(nullptr);
}

void KNVTTasksAppDelegate::openQuickEntryWindow(quint32 userTime, const QString &activationToken)
{
    knvt::NewTaskValues values;
    values.status = 2;
    values.priority = 0;
    std::unique_ptr<knvt::TaskNewWindow> controller = knvt::WindowFactory::shared().taskNewWindowController(values);
    if (!controller) {
        qCWarning(lcApp) << "KNVTTasksAppDelegate:openQuickEntryWindow no new-task window";
        return;
    }
    QWidget *window = controller->window();
    // A small window of its own kind that floats over every program, as a quick note does.
    window->setWindowFlags(window->windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
    controller->showWindow();
    knvt::bringWindowForward(window, userTime, activationToken);
    if (knvt::TaskNewForm *form = controller->form()) {
        if (QLineEdit *title = form->titleTextField())
            title->setFocus(Qt::OtherFocusReason);
    }
    takeOwnershipOfTaskNewWindowController(std::move(controller));
}

QMenuBar *KNVTTasksAppDelegate::mainMenuBar() const
{
    KNVTMainWindowController *main = mainWindowController();
    return main != nullptr ? main->menuBar() : nullptr;
}
