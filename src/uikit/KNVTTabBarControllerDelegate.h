#pragma once

#include <memory>

class KNVTNavigationController;
class KNVTTabBarController;
class KNVTViewController;

// Every operation is optional; the defaults allow every selection and ignore the notices.
class KNVTTabBarControllerDelegate
{
public:
    using ViewControllerPointer = std::shared_ptr<KNVTViewController>;

    virtual ~KNVTTabBarControllerDelegate() = default;

    virtual bool tabBarControllerShouldSelectViewController(KNVTTabBarController *tabBarController,
                                                            const ViewControllerPointer &viewController)
    {
        (void)tabBarController;
        (void)viewController;
        return true;
    }
    virtual void tabBarControllerDidSelectViewController(KNVTTabBarController *tabBarController,
                                                         const ViewControllerPointer &viewController)
    {
        (void)tabBarController;
        (void)viewController;
    }
    // A navigation controller that has the tab bar controller as its delegate is about to show, or has shown,
    // a view controller.
    virtual void tabBarControllerNavigationControllerWillShowViewController(
        KNVTTabBarController *tabBarController, KNVTNavigationController *navigationController,
        const ViewControllerPointer &viewController, bool animated)
    {
        (void)tabBarController;
        (void)navigationController;
        (void)viewController;
        (void)animated;
    }
    virtual void tabBarControllerNavigationControllerDidShowViewController(
        KNVTTabBarController *tabBarController, KNVTNavigationController *navigationController,
        const ViewControllerPointer &viewController, bool animated)
    {
        (void)tabBarController;
        (void)navigationController;
        (void)viewController;
        (void)animated;
    }
};
