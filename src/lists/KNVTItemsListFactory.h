#pragma once

#include <QString>

#include <memory>
#include <vector>

class KNVTCDTag;
class KNVTCDTaskList;
class KNVTTaskStoreItemsViewController;
class KNVTTaskStoreItemsViewControllerDelegate;

// How the main window makes the list of the centre pane for each home selection and search. The shared factory
// makes the lists of this library; tests install one that records what was asked.
class KNVTItemsListFactory
{
public:
    using List = std::shared_ptr<KNVTTaskStoreItemsViewController>;

    virtual ~KNVTItemsListFactory() = default;

    virtual List focusTaskListItems(KNVTTaskStoreItemsViewControllerDelegate *delegate, unsigned int focusType);
    // The tasks of a project or area.
    virtual List taskListItems(KNVTTaskStoreItemsViewControllerDelegate *delegate, KNVTCDTaskList *taskList);
    virtual List tagsItems(KNVTTaskStoreItemsViewControllerDelegate *delegate, const std::vector<KNVTCDTag *> &tags);
    virtual List searchItems(KNVTTaskStoreItemsViewControllerDelegate *delegate, const QString &searchString);
    // Every project and area.
    virtual List taskListsItems(KNVTTaskStoreItemsViewControllerDelegate *delegate);

    static KNVTItemsListFactory &shared();
    // Not owned; nullptr restores the library's own factory.
    static void setShared(KNVTItemsListFactory *factory);
};
