#pragma once

#include "foundation/Opener.h"

class KNVTCDTask;
class QObject;

// The application's services an item list needs wherever it is shown: the one task window of a task. The application
// installs itself as the shared instance at start; without one the requests do nothing.
class KNVTApplicationServices
{
public:
    // A task's own window, as the lists use it.
    class TaskWindow
    {
    public:
        virtual ~TaskWindow() = default;
        // Shows the window as `opener` says, in front of the others at the user's command from `sender`.
        virtual void showWindow(QObject *sender, knvt::Opener opener) = 0;
        // Opens the task's editor: as a popover at `sender` when it lies in the task window, else as a sheet.
        virtual void edit(QObject *sender) = 0;
    };

    virtual ~KNVTApplicationServices() = default;

    // The registered window of the task, made and registered when there is none yet; it is not shown.
    virtual TaskWindow *taskWindowControllerForTask(KNVTCDTask *task) = 0;

    static KNVTApplicationServices *shared();
    // Not owned; nullptr removes it.
    static void setShared(KNVTApplicationServices *services);
};
