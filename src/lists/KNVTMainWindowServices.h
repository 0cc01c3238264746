#pragma once

#include <vector>

class KNVTCDTask;
class KNVTCDTaskList;
class QObject;

namespace knvt {
class ActionSet;
}

// The main window's operations an item list may ask for. A list shows in the main window exactly when its host gave
// it one of these; scheduling, assigning through a sheet and opening a project or area work only there.
class KNVTMainWindowServices
{
public:
    virtual ~KNVTMainWindowServices() = default;

    // The main window's actions: a list's context menu and keys use them, and they act on the focused list.
    virtual knvt::ActionSet *actions() = 0;

    // Opens the editor of the shown task: in a popover next to `sender` when it is a widget (a toolbar button), else
    // next to the selected row.
    virtual void editSelectedItems(QObject *sender) = 0;
    virtual void viewSelectedItems(QObject *sender) = 0;
    virtual void presentScheduleTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) = 0;
    virtual void presentAssignTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) = 0;
    // The information or the editor sheet of a project or area; any other type opens nothing.
    virtual void viewTaskList(KNVTCDTaskList *taskList) = 0;
    virtual void editTaskList(KNVTCDTaskList *taskList) = 0;
};
