#pragma once

#include <memory>

class KNVTTabBarController;
class KNVTTabBarItemView;
class KNVTViewController;

class KNVTTabBarControllerDataSource
{
public:
    virtual ~KNVTTabBarControllerDataSource() = default;

    // The tab for a view controller; nullptr lets the controller make a plain tab titled with the view
    // controller's title.
    virtual KNVTTabBarItemView *
    tabBarControllerTabBarItemViewForViewController(KNVTTabBarController *tabBarController,
                                                    const std::shared_ptr<KNVTViewController> &viewController)
    {
        (void)tabBarController;
        (void)viewController;
        return nullptr;
    }
};
