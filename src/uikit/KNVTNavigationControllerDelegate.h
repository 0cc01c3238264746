#pragma once

#include <memory>

class KNVTNavigationController;
class KNVTViewController;

// Told when a navigation controller changes the view it shows. `animated` says whether the change slides.
class KNVTNavigationControllerDelegate
{
public:
    virtual ~KNVTNavigationControllerDelegate() = default;

    virtual void navigationControllerWillShowViewController(KNVTNavigationController *navigationController,
                                                            const std::shared_ptr<KNVTViewController> &viewController,
                                                            bool animated) = 0;
    virtual void navigationControllerDidShowViewController(KNVTNavigationController *navigationController,
                                                           const std::shared_ptr<KNVTViewController> &viewController,
                                                           bool animated) = 0;
};
