#pragma once

#include "uikit/Command.h"

#include <memory>

class KNVTCDTask;
class KNVTMainWindowController;

namespace knvt {
class TaskNewWindow;
class TaskWindow;
} // namespace knvt

// What the main window needs of the application: to be told that it closes, the registries of task windows and
// new-task windows, and the application's own commands of its menu bar. The application delegate implements it.
class KNVTMainWindowControllerDelegate
{
public:
    virtual ~KNVTMainWindowControllerDelegate() = default;

    virtual void mainWindowControllerWillClose(KNVTMainWindowController *controller) = 0;
    virtual knvt::TaskWindow *taskWindowControllerForTask(KNVTCDTask *task) = 0;
    virtual bool hasTaskWindowControllerForTask(KNVTCDTask *task) const = 0;
    virtual void takeOwnershipOfTaskNewWindowController(std::unique_ptr<knvt::TaskNewWindow> controller) = 0;
    // Quit, People, Preferences and Contact Us (and New Task, for the application's other windows).
    virtual void performApplicationCommand(knvt::Command command) = 0;
    // Whether there is a contact page to open.
    virtual bool canContactUs() const = 0;
};
