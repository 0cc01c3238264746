#include "uikit/KNVTTabBarController.h"

#include "uikit/KNVTTabBar.h"
#include "uikit/KNVTTabBarControllerDataSource.h"
#include "uikit/KNVTTabBarControllerDelegate.h"
#include "uikit/KNVTTabBarItemView.h"

#include <QEvent>
#include <QWidget>

namespace {

constexpr int BarAlongTop = 0;
constexpr int BarAlongBottom = 1;

// A bar that was never given a size (or a zero height) gets the standard height; a widget's default geometry is
// not a size anybody chose.
void adoptDefaultHeight(KNVTTabBar *bar)
{
    if (bar->height() == 0 || !bar->testAttribute(Qt::WA_Resized))
        bar->resize(bar->width(), KNVTTabBarController::DefaultTabBarHeight);
}

} // namespace

KNVTTabBarController::KNVTTabBarController(QObject *parent) : KNVTViewController(parent) {}

KNVTTabBarController::KNVTTabBarController(KNVTTabBar *tabBar, QObject *parent) : KNVTViewController(parent)
{
    setTabBar(tabBar);
}

KNVTTabBarController *KNVTTabBarController::createWithStyle(int style, QObject *parent)
{
    auto *bar = new KNVTTabBar(style);
    auto *controller = new KNVTTabBarController(parent);
    bar->setTabBarDataSource(controller);
    bar->setTabBarDelegate(controller);
    controller->setTabBar(bar);
    return controller;
}

KNVTTabBarController::~KNVTTabBarController()
{
    if (m_tabBar != nullptr) {
        m_tabBar->setTabBarDataSource(nullptr);
        m_tabBar->setTabBarDelegate(nullptr);
        delete m_tabBar.data();
    }
    // The children's views belong to the children, which may outlive this controller.
    if (isViewLoaded()) {
        QWidget *container = view();
        container->removeEventFilter(this);
        if (m_shownView != nullptr && m_shownView->parentWidget() == container) {
            m_shownView->hide();
            m_shownView->setParent(nullptr);
        }
    }
}

void KNVTTabBarController::setViewControllers(const ViewControllerList &viewControllers)
{
    m_viewControllers = viewControllers;
    m_viewControllers.removeAll(nullptr);
    tabBar()->reloadTabs();
    if (isViewLoaded())
        layoutSelectedChild();
}

void KNVTTabBarController::setViewControllers(const ViewControllerList &viewControllers, bool animated)
{
    (void)animated;
    setViewControllers(viewControllers);
}

KNVTTabBar *KNVTTabBarController::tabBar()
{
    if (m_tabBar == nullptr) {
        auto *bar = new KNVTTabBar(1);
        bar->setObjectName(QStringLiteral("tabBar"));
        bar->setTabBarDataSource(this);
        bar->setTabBarDelegate(this);
        adoptDefaultHeight(bar);
        m_tabBar = bar;
        if (isViewLoaded()) {
            placeTabBar();
            bar->reloadTabs();
            layoutSelectedChild();
        }
    }
    return m_tabBar;
}

void KNVTTabBarController::setTabBar(KNVTTabBar *newBar)
{
    if (newBar == m_tabBar)
        return;
    KNVTTabBar *old = m_tabBar;
    m_tabBar = newBar;
    delete old;
    if (newBar == nullptr)
        return;
    adoptDefaultHeight(newBar);
    if (!isViewLoaded()) {
        view(); // loading places the bar
        return;
    }
    placeTabBar();
    newBar->reloadTabs();
    layoutSelectedChild();
}

void KNVTTabBarController::loadView()
{
    auto *container = new QWidget;
    container->installEventFilter(this);
    setView(container);
    KNVTTabBar *bar = tabBar();
    adoptDefaultHeight(bar);
    placeTabBar();
    bar->reloadTabs();
    layoutSelectedChild();
}

bool KNVTTabBarController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && isViewLoaded() && watched == view()) {
        placeTabBar();
        layoutSelectedChild();
    }
    return KNVTViewController::eventFilter(watched, event);
}

int KNVTTabBarController::barHeight() const
{
    return m_tabBar == nullptr || m_tabBar->height() == 0 ? DefaultTabBarHeight : m_tabBar->height();
}

void KNVTTabBarController::placeTabBar()
{
    if (m_tabBar == nullptr)
        return;
    QWidget *container = view();
    const int height = barHeight();
    int y = m_tabBarPosition == BarAlongBottom ? container->height() - height : 0;
    // A hidden bar is moved just outside the view rather than hidden: it keeps its size and state, and showing it
    // again is only a move.
    if (m_tabBarHidden)
        y = m_tabBarPosition == BarAlongBottom ? container->height() : -height;
    if (m_tabBar->parentWidget() != container)
        m_tabBar->setParent(container);
    m_tabBar->setGeometry(0, y, container->width(), height);
    m_tabBar->show();
}

void KNVTTabBarController::layoutSelectedChild()
{
    QWidget *container = view();
    // Also a child that is no longer among the view controllers leaves the view.
    if (m_shownView != nullptr && m_shownView->parentWidget() == container) {
        m_shownView->hide();
        m_shownView->setParent(nullptr);
    }
    m_shownView = nullptr;
    const ViewControllerPointer selected = selectedViewController();
    if (selected == nullptr)
        return;
    QRect frame = container->rect();
    if (!m_tabBarHidden) {
        frame.setHeight(frame.height() - barHeight());
        if (m_tabBarPosition == BarAlongTop)
            frame.moveTop(barHeight());
    }
    QWidget *childView = selected->view();
    childView->setParent(container);
    childView->setGeometry(frame);
    childView->show();
    m_shownView = childView;
    if (m_tabBar != nullptr)
        m_tabBar->raise();
}

void KNVTTabBarController::setTabBarHidden(bool hidden, bool animated)
{
    (void)animated;
    m_tabBarHidden = hidden;
    if (isViewLoaded()) {
        placeTabBar();
        layoutSelectedChild();
    }
}

int KNVTTabBarController::selectedIndex() const
{
    return m_tabBar == nullptr ? 0 : m_tabBar->selectedTabIndex();
}

void KNVTTabBarController::setSelectedIndex(int index)
{
    tabBar()->setSelectedTabIndex(index);
}

KNVTTabBarController::ViewControllerPointer KNVTTabBarController::selectedViewController() const
{
    const int index = selectedIndex();
    return index >= 0 && index < m_viewControllers.size() ? m_viewControllers.at(index) : nullptr;
}

void KNVTTabBarController::setSelectedViewController(const ViewControllerPointer &viewController)
{
    const qsizetype index = m_viewControllers.indexOf(viewController);
    if (viewController != nullptr && index >= 0)
        setSelectedIndex(static_cast<int>(index));
}

int KNVTTabBarController::numberOfTabsInTabBar(KNVTTabBar *)
{
    return static_cast<int>(m_viewControllers.size());
}

KNVTTabBarItemView *KNVTTabBarController::tabBarItemViewForTabAtIndex(KNVTTabBar *bar, int index)
{
    if (index < 0 || index >= m_viewControllers.size())
        return nullptr;
    const ViewControllerPointer &child = m_viewControllers.at(index);
    if (m_dataSource != nullptr) {
        if (KNVTTabBarItemView *itemView = m_dataSource->tabBarControllerTabBarItemViewForViewController(this, child))
            return itemView;
    }
    auto *itemView = new KNVTTabBarItemView(bar->style());
    itemView->setTitle(child->title());
    return itemView;
}

bool KNVTTabBarController::tabBarShouldSelectTabAtIndex(KNVTTabBar *, int index)
{
    if (m_delegate == nullptr || index < 0 || index >= m_viewControllers.size())
        return true;
    return m_delegate->tabBarControllerShouldSelectViewController(this, m_viewControllers.at(index));
}

void KNVTTabBarController::tabBarDidSelectTabAtIndex(KNVTTabBar *, int)
{
    if (isViewLoaded())
        layoutSelectedChild();
    if (m_delegate != nullptr)
        m_delegate->tabBarControllerDidSelectViewController(this, selectedViewController());
}

void KNVTTabBarController::navigationControllerWillShowViewController(KNVTNavigationController *navigationController,
                                                                      const ViewControllerPointer &viewController,
                                                                      bool animated)
{
    if (m_delegate != nullptr)
        m_delegate->tabBarControllerNavigationControllerWillShowViewController(this, navigationController,
                                                                               viewController, animated);
}

void KNVTTabBarController::navigationControllerDidShowViewController(KNVTNavigationController *navigationController,
                                                                     const ViewControllerPointer &viewController,
                                                                     bool animated)
{
    if (m_delegate != nullptr)
        m_delegate->tabBarControllerNavigationControllerDidShowViewController(this, navigationController,
                                                                              viewController, animated);
}
