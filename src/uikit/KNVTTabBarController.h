#pragma once

#include "uikit/KNVTNavigationControllerDelegate.h"
#include "uikit/KNVTTabBarDataSource.h"
#include "uikit/KNVTTabBarDelegate.h"
#include "uikit/KNVTViewController.h"

#include <QList>
#include <QPointer>

#include <memory>

class KNVTTabBar;
class KNVTTabBarControllerDataSource;
class KNVTTabBarControllerDelegate;

// Shows the view of the selected child view controller beside a tab bar along the top (position 0) or the bottom
// (position 1) of its view, one tab per child.
class KNVTTabBarController : public KNVTViewController,
                             public KNVTTabBarDataSource,
                             public KNVTTabBarDelegate,
                             public KNVTNavigationControllerDelegate
{
    Q_OBJECT
    Q_PROPERTY(int tabBarPosition READ tabBarPosition WRITE setTabBarPosition)
    Q_PROPERTY(bool tabBarHidden READ isTabBarHidden WRITE setTabBarHidden)
    Q_PROPERTY(int selectedIndex READ selectedIndex WRITE setSelectedIndex)

public:
    using ViewControllerPointer = std::shared_ptr<KNVTViewController>;
    using ViewControllerList = QList<ViewControllerPointer>;

    static constexpr int DefaultTabBarHeight = 44;

    explicit KNVTTabBarController(QObject *parent = nullptr);
    // Installs `tabBar` (owned) without making the controller its data source or delegate.
    explicit KNVTTabBarController(KNVTTabBar *tabBar, QObject *parent = nullptr);
    // A controller with a new bar of `style` whose data source and delegate it is.
    static KNVTTabBarController *createWithStyle(int style, QObject *parent = nullptr);
    ~KNVTTabBarController() override;

    ViewControllerList viewControllers() const { return m_viewControllers; }
    void setViewControllers(const ViewControllerList &viewControllers);
    void setViewControllers(const ViewControllerList &viewControllers, bool animated);

    // Made on first use with style 1 and this controller as data source and delegate.
    KNVTTabBar *tabBar();
    // Replaces (and deletes) the bar; the controller owns the new one.
    void setTabBar(KNVTTabBar *tabBar);

    int tabBarPosition() const { return m_tabBarPosition; }
    // Takes effect at the next placement of the bar (setTabBar(), loading the view).
    void setTabBarPosition(int position) { m_tabBarPosition = position; }

    bool isTabBarHidden() const { return m_tabBarHidden; }
    void setTabBarHidden(bool hidden) { setTabBarHidden(hidden, true); }
    void setTabBarHidden(bool hidden, bool animated);

    int selectedIndex() const;
    void setSelectedIndex(int index);
    // nullptr when there is no child at the selected index.
    ViewControllerPointer selectedViewController() const;
    void setSelectedViewController(const ViewControllerPointer &viewController);

    // Not owned; clear them before they go away.
    KNVTTabBarControllerDataSource *tabBarControllerDataSource() const { return m_dataSource; }
    void setTabBarControllerDataSource(KNVTTabBarControllerDataSource *dataSource) { m_dataSource = dataSource; }
    KNVTTabBarControllerDelegate *tabBarControllerDelegate() const { return m_delegate; }
    void setTabBarControllerDelegate(KNVTTabBarControllerDelegate *delegate) { m_delegate = delegate; }

    int numberOfTabsInTabBar(KNVTTabBar *tabBar) override;
    KNVTTabBarItemView *tabBarItemViewForTabAtIndex(KNVTTabBar *tabBar, int index) override;
    bool tabBarShouldSelectTabAtIndex(KNVTTabBar *tabBar, int index) override;
    void tabBarDidSelectTabAtIndex(KNVTTabBar *tabBar, int index) override;
    void navigationControllerWillShowViewController(KNVTNavigationController *navigationController,
                                                    const ViewControllerPointer &viewController,
                                                    bool animated) override;
    void navigationControllerDidShowViewController(KNVTNavigationController *navigationController,
                                                   const ViewControllerPointer &viewController, bool animated) override;

protected:
    void loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int barHeight() const;
    void placeTabBar();
    void layoutSelectedChild();

    ViewControllerList m_viewControllers;
    QPointer<KNVTTabBar> m_tabBar;
    QPointer<QWidget> m_shownView; // the child view placed in the view, if any
    int m_tabBarPosition = 0;
    bool m_tabBarHidden = false;
    KNVTTabBarControllerDataSource *m_dataSource = nullptr;
    KNVTTabBarControllerDelegate *m_delegate = nullptr;
};
