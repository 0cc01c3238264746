#include "app/KNVTTasksAppDelegate.h"
#include "app/LibraryLock.h"
#include "app/SingleInstance.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "foundation/Defaults.h"
#include "foundation/StartUpSettings.h"
#include "foundation/SystemBusEvents.h"
#include "foundation/SystemEvents.h"
#include "hotkeys/CompiledKeyboardLayout.h"
#include "hotkeys/HotKeyBackendSelector.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/X11HotKeyBackend.h"
#include "hotkeys/X11KeyboardLayout.h"

#include <QApplication>
#include <QDBusConnection>
#include <QIcon>

#include <memory>

int main(int argc, char *argv[])
{
    knvt::applyStartUpSettings();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillvane"));
    QApplication::setOrganizationName(QStringLiteral("Hollowpine"));
    QApplication::setDesktopFileName(QStringLiteral("quillvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillvane.svg")));
    knvt::Defaults::jsonFormat();

    KNVTTasksAppDelegate *delegate = nullptr;
    // A second launch hands over to the first and ends.
    knvt::SingleInstance instance([&delegate] {
        if (delegate)
            delegate->applicationShouldHandleReopen();
    });
    if (!instance.registerOrActivate())
        return 0;
    // A launch that reached no first instance on the bus may still find one at the library, or find no room to lock
    // it: then it says which and ends without opening the library.
    knvt::LibraryLock libraryLock(KNVTTaskStore::taskStoreLibraryPath());
    if (!libraryLock.tryLock()) {
        libraryLock.tellTheUserWhyNot();
        return 1;
    }

    // Key texts and the triggers asked of the desktop come from the X server's keymap; without one from the layout the
    // session or the system names. Global hot keys go through the desktop's GlobalShortcuts portal in a Wayland
    // session where it answers, else through the X server, else there are none and the preferences say why.
    const std::unique_ptr<knvt::X11KeyboardLayout> keyboard = knvt::X11KeyboardLayout::create();
    const std::unique_ptr<knvt::CompiledKeyboardLayout> sessionKeyboard =
        keyboard ? nullptr : knvt::CompiledKeyboardLayout::ofSession(QDBusConnection::systemBus());
    knvt::KeyboardLayoutSource::setCurrent(keyboard ? static_cast<knvt::KeyboardLayoutSource *>(keyboard.get())
                                                    : sessionKeyboard.get());
    knvt::X11HotKeyBackend x11HotKeys(keyboard.get());
    knvt::HotKeyBackendSelector hotKeys(knvt::HotKeySession::current(keyboard != nullptr), &x11HotKeys,
                                        QDBusConnection::sessionBus());
    hotKeys.start();

    // The store syncs through the coordinator of the sync library, and refreshes the account when it opens a
    // signed-in library with automatic sync off.
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
    KNVTTaskStore::setConfiguredLibraryOpenedHandler(&KNVTTaskStore::refreshAccountAfterOpening);
    // The store's watch on the system hears the system bus too: waking from sleep and a change of time zone.
    knvt::SystemEvents::setBusListener(&knvt::listenToSystemBus);
    KNVTTasksAppDelegate appDelegate;
    delegate = &appDelegate;
    // Another environment's library, or one that cannot be opened: the user was told; nothing else happens.
    const int status = appDelegate.applicationDidFinishLaunching() ? QApplication::exec() : 0;
    KNVTHotKeyCenter::sharedCenter().setBackend(nullptr);
    return status;
}
