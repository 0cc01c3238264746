#pragma once

#include "app/HomeEntry.h"

#include <vector>

class KNVTCDTask;
class KNVTHomeViewController;
class QObject;
class QWidget;

namespace knvt {
class ActionSet;
}

// What the home list tells the main window, and the main window's operations it asks for (the new-item commands of
// its add button, the sheets its drops open). The main window implements it.
class KNVTHomeViewControllerDelegate
{
public:
    virtual ~KNVTHomeViewControllerDelegate() = default;

    virtual void homeViewControllerDidSelectItems(KNVTHomeViewController *controller,
                                                  const std::vector<knvt::HomeEntry> &items) = 0;
    virtual bool homeViewControllerShouldInsertTab(KNVTHomeViewController *controller) = 0;
    virtual bool homeViewControllerShouldInsertBacktab(KNVTHomeViewController *controller) = 0;

    // The window's actions: the add button's menu and the list's context menu show them, and they act on the home
    // list while it has the keyboard focus.
    virtual knvt::ActionSet *actions() = 0;
    virtual void newTaskPopover(QObject *sender) = 0;
    virtual void newProjectSheet(QObject *sender) = 0;
    virtual void newAreaSheet(QObject *sender) = 0;
    virtual void newTagSheet(QObject *sender) = 0;
    virtual void presentScheduleTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) = 0;
    virtual void presentAssignTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) = 0;
};
