#pragma once

class KNVTCDTaskList;
class KNVTTaskStoreItemsViewController;

// What an item list tells the window that hosts it. The main window implements it; a list keeps its host for its
// whole life, so the host must outlive the lists it makes or replace itself first.
class KNVTTaskStoreItemsViewControllerDelegate
{
public:
    virtual ~KNVTTaskStoreItemsViewControllerDelegate() = default;

    // The list's selection changed, by the user or because a store change took selected rows away.
    virtual void taskStoreItemsViewControllerSelectionDidChange(KNVTTaskStoreItemsViewController *controller) = 0;
    // A project or area was double-clicked.
    virtual void taskStoreItemsViewControllerItemWasDoubleClicked(KNVTTaskStoreItemsViewController *controller,
                                                                  KNVTCDTaskList *taskList) = 0;
    // Tab and Back-tab in the list: the host moves the keyboard focus to its neighbour. The answers are not used.
    virtual bool taskStoreItemsViewControllerShouldInsertTab(KNVTTaskStoreItemsViewController *controller) = 0;
    virtual bool taskStoreItemsViewControllerShouldInsertBacktab(KNVTTaskStoreItemsViewController *controller) = 0;
};
