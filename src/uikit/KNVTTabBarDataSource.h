#pragma once

class KNVTTabBar;
class KNVTTabBarItemView;

// Supplies a tab bar's tabs. The bar takes ownership of every item view it is given.
class KNVTTabBarDataSource
{
public:
    virtual ~KNVTTabBarDataSource() = default;

    virtual int numberOfTabsInTabBar(KNVTTabBar *tabBar) = 0;
    virtual KNVTTabBarItemView *tabBarItemViewForTabAtIndex(KNVTTabBar *tabBar, int index) = 0;
};
