#include "lists/KNVTItemsListFactory.h"

#include "lists/KNVTFocusTaskListItemsTableViewController.h"
#include "lists/KNVTTaskListItemsTableViewController.h"

namespace {

KNVTItemsListFactory *&installedFactory()
{
    static KNVTItemsListFactory *factory = nullptr;
    return factory;
}

} // namespace

KNVTItemsListFactory::List KNVTItemsListFactory::focusTaskListItems(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                                    unsigned int focusType)
{
    auto list = std::make_shared<KNVTFocusTaskListItemsTableViewController>(delegate);
    list->setFocusTaskList(focusType);
    return list;
}

KNVTItemsListFactory::List KNVTItemsListFactory::taskListItems(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                               KNVTCDTaskList *taskList)
{
    auto list = std::make_shared<KNVTTaskListItemsTableViewController>(delegate);
    list->setTaskList(taskList);
    return list;
}

// Until the outline lists exist, tags, searches and the overview of projects and areas show an empty list.
KNVTItemsListFactory::List KNVTItemsListFactory::tagsItems(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                           const std::vector<KNVTCDTag *> &)
{
    return std::make_shared<KNVTTaskListItemsTableViewController>(delegate);
}

KNVTItemsListFactory::List KNVTItemsListFactory::searchItems(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                             const QString &)
{
    return std::make_shared<KNVTTaskListItemsTableViewController>(delegate);
}

KNVTItemsListFactory::List KNVTItemsListFactory::taskListsItems(KNVTTaskStoreItemsViewControllerDelegate *delegate)
{
    return std::make_shared<KNVTTaskListItemsTableViewController>(delegate);
}

KNVTItemsListFactory &KNVTItemsListFactory::shared()
{
    static KNVTItemsListFactory factory;
    return installedFactory() ? *installedFactory() : factory;
}

void KNVTItemsListFactory::setShared(KNVTItemsListFactory *factory)
{
    installedFactory() = factory;
}
