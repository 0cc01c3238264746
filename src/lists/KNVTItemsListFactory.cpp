#include "lists/KNVTItemsListFactory.h"

#include "lists/KNVTFocusTaskListItemsTableViewController.h"
#include "lists/KNVTSearchItemsOutlineViewController.h"
#include "lists/KNVTTagsItemsOutlineViewController.h"
#include "lists/KNVTTaskListItemsOutlineViewController.h"
#include "lists/KNVTTaskListsOutlineViewController.h"

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
    auto list = std::make_shared<KNVTTaskListItemsOutlineViewController>(delegate);
    list->setTaskList(taskList);
    return list;
}

KNVTItemsListFactory::List KNVTItemsListFactory::tagsItems(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                           const std::vector<KNVTCDTag *> &tags)
{
    auto list = std::make_shared<KNVTTagsItemsOutlineViewController>(delegate);
    list->setTags(tags);
    return list;
}

KNVTItemsListFactory::List KNVTItemsListFactory::searchItems(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                             const QString &searchString)
{
    auto list = std::make_shared<KNVTSearchItemsOutlineViewController>(delegate);
    list->setSearchString(searchString);
    return list;
}

KNVTItemsListFactory::List KNVTItemsListFactory::taskListsItems(KNVTTaskStoreItemsViewControllerDelegate *delegate)
{
    return std::make_shared<KNVTTaskListsOutlineViewController>(delegate);
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
