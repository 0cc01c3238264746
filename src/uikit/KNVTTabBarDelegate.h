#pragma once

class KNVTTabBar;

class KNVTTabBarDelegate
{
public:
    virtual ~KNVTTabBarDelegate() = default;

    // Asked before a click selects a tab; false leaves the selection as it is.
    virtual bool tabBarShouldSelectTabAtIndex(KNVTTabBar *tabBar, int index)
    {
        (void)tabBar;
        (void)index;
        return true;
    }
    // Told after the selected tab changed, by a click or in code.
    virtual void tabBarDidSelectTabAtIndex(KNVTTabBar *tabBar, int index) = 0;
};
