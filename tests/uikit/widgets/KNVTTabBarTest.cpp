#include "uikit/KNVTTabBar.h"
#include "uikit/KNVTNavigationController.h"
#include "uikit/KNVTTabBarController.h"
#include "uikit/KNVTTabBarControllerDataSource.h"
#include "uikit/KNVTTabBarControllerDelegate.h"
#include "uikit/KNVTTabBarDataSource.h"
#include "uikit/KNVTTabBarDelegate.h"
#include "uikit/KNVTTabBarItemView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FakeTabSource : public KNVTTabBarDataSource, public KNVTTabBarDelegate
{
public:
    int numberOfTabsInTabBar(KNVTTabBar *) override { return count; }
    KNVTTabBarItemView *tabBarItemViewForTabAtIndex(KNVTTabBar *bar, int index) override
    {
        auto *view = new KNVTTabBarItemView(bar->style());
        view->setTitle(QStringLiteral("Tab %1").arg(index));
        return view;
    }
    bool tabBarShouldSelectTabAtIndex(KNVTTabBar *, int index) override
    {
        asked.append(index);
        return allow;
    }
    void tabBarDidSelectTabAtIndex(KNVTTabBar *, int index) override { selected.append(index); }

    int count = 3;
    bool allow = true;
    QList<int> asked;
    QList<int> selected;
};

// Delivers a mouse event straight to the bar at a point that real routing could not reach (its own right edge).
void sendMouse(QWidget *widget, QEvent::Type type, const QPointF &point)
{
    QMouseEvent event(type, point, widget->mapToGlobal(point), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

class TabBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar = new KNVTTabBar(1);
        bar->setTabBarDataSource(&source);
        bar->setTabBarDelegate(&source);
        window.resize(300, 44);
        bar->setParent(&window);
        bar->setGeometry(0, 0, 300, 44);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    FakeTabSource source;
    KNVTTabBar *bar = nullptr;
};

TEST(TabBar, LoadsItsTabsOnlyOnceItHasAParent)
{
    FakeTabSource source;
    KNVTTabBar bar;
    bar.setTabBarDataSource(&source);
    bar.reloadTabs();
    EXPECT_EQ(bar.numberOfTabs(), 0);

    QWidget window;
    bar.setParent(&window);
    EXPECT_EQ(bar.numberOfTabs(), 3);
    EXPECT_TRUE(bar.tabBarItemViews().at(0)->isSelected());
    EXPECT_FALSE(bar.tabBarItemViews().at(1)->isSelected());
    bar.setParent(nullptr);
}

TEST_F(TabBarTest, TabsShareTheWidthEqually)
{
    ASSERT_EQ(bar->numberOfTabs(), 3);
    EXPECT_EQ(bar->tabBarItemViews().at(0)->geometry(), QRect(0, 0, 100, 44));
    EXPECT_EQ(bar->tabBarItemViews().at(1)->geometry(), QRect(100, 0, 100, 44));
    EXPECT_EQ(bar->tabBarItemViews().at(2)->geometry(), QRect(200, 0, 100, 44));
}

TEST_F(TabBarTest, AClickSelectsTheTabUnderTheRelease)
{
    QSignalSpy changed(bar, &KNVTTabBar::selectedTabIndexChanged);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(150, 20));
    EXPECT_EQ(bar->selectedTabIndex(), 1);
    EXPECT_EQ(source.asked, QList<int>({1}));
    EXPECT_EQ(source.selected, QList<int>({1}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(bar->tabBarItemViews().at(0)->isSelected());
    EXPECT_TRUE(bar->tabBarItemViews().at(1)->isSelected());

    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(160, 20));
    EXPECT_EQ(source.selected, QList<int>({1})) << "selecting the selected tab again tells nobody";
}

TEST_F(TabBarTest, AClickThatEndsOutsideTheBarSelectsNothing)
{
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(250, 20));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(250, 60));
    EXPECT_EQ(bar->selectedTabIndex(), 0);
    EXPECT_TRUE(source.asked.isEmpty());
}

TEST_F(TabBarTest, TheDelegateCanRefuseASelection)
{
    source.allow = false;
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(250, 20));
    EXPECT_EQ(source.asked, QList<int>({2}));
    EXPECT_EQ(bar->selectedTabIndex(), 0);
    EXPECT_TRUE(source.selected.isEmpty());
}

TEST_F(TabBarTest, AReleaseOnTheRightEdgeSelectsTheLastTab)
{
    sendMouse(bar, QEvent::MouseButtonPress, QPointF(300, 10));
    sendMouse(bar, QEvent::MouseButtonRelease, QPointF(300, 10));
    EXPECT_EQ(bar->selectedTabIndex(), 2);
}

TEST_F(TabBarTest, ClicksOnABarWithoutTabsAreIgnored)
{
    source.count = 0;
    bar->reloadTabs();
    EXPECT_EQ(bar->numberOfTabs(), 0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(150, 20));
    sendMouse(bar, QEvent::MouseButtonPress, QPointF(0, 0));
    sendMouse(bar, QEvent::MouseButtonRelease, QPointF(0, 0));
    EXPECT_TRUE(source.asked.isEmpty());
    EXPECT_TRUE(source.selected.isEmpty());
    EXPECT_EQ(bar->selectedTabIndex(), 0);
}

TEST_F(TabBarTest, ReloadingPastTheSelectedTabSelectsTheFirst)
{
    bar->setSelectedTabIndex(2);
    source.selected.clear();
    source.count = 2;
    bar->reloadTabs();
    EXPECT_EQ(bar->selectedTabIndex(), 0);
    EXPECT_EQ(source.selected, QList<int>({0}));
    ASSERT_EQ(bar->numberOfTabs(), 2);
    EXPECT_TRUE(bar->tabBarItemViews().at(0)->isSelected());
}

TEST_F(TabBarTest, TheBackgroundViewStaysBehindTheTabsAndFillsAStyledBar)
{
    auto *background = new QWidget;
    bar->setBackgroundView(background);
    EXPECT_EQ(background->parentWidget(), bar);
    EXPECT_EQ(bar->children().indexOf(background), 0);
    EXPECT_EQ(background->geometry(), bar->rect());
    QPointer<QWidget> old = background;
    bar->setBackgroundView(new QWidget);
    EXPECT_TRUE(old.isNull());
}

TEST(TabBarItemView, AStyledTabPutsItsTitleAboveItsImage)
{
    KNVTTabBarItemView view(1);
    QPixmap image(16, 16);
    image.fill(Qt::red);
    view.setTitle(QStringLiteral("Inbox"));
    view.setImage(image);
    view.resize(100, 60);
    view.show();
    const int l = view.textLabel()->sizeHint().height();
    EXPECT_EQ(view.textLabel()->geometry(), QRect(6, 6, 88, l));
    EXPECT_EQ(view.imageView()->geometry(), QRect(6, l + 10, 88, 60 - l - 16));

    view.setImage(QPixmap());
    EXPECT_EQ(view.textLabel()->geometry(), QRect(8, 8, 84, 44));
    EXPECT_TRUE(view.imageView()->geometry().isEmpty());

    view.setTitle(QString());
    EXPECT_EQ(view.title(), QStringLiteral(""));
    EXPECT_FALSE(view.title().isNull());
    view.setImage(image);
    EXPECT_EQ(view.imageView()->geometry(), QRect(8, 8, 84, 44));
    EXPECT_TRUE(view.textLabel()->geometry().isEmpty());
}

TEST(TabBarItemView, SelectionSwapsImageAndBackground)
{
    KNVTTabBarItemView view(1);
    QPixmap normal(8, 8);
    normal.fill(Qt::gray);
    QPixmap chosen(8, 8);
    chosen.fill(Qt::blue);
    view.setImage(normal, chosen);
    auto *background = new QWidget;
    auto *selectedBackground = new QWidget;
    view.setBackgroundView(background);
    view.setSelectedBackgroundView(selectedBackground);
    view.resize(80, 50);
    view.show();
    EXPECT_EQ(background->geometry(), QRect(4, 4, 72, 42));

    EXPECT_FALSE(background->isHidden());
    EXPECT_TRUE(selectedBackground->isHidden());
    EXPECT_EQ(view.imageView()->pixmap().toImage(), normal.toImage());

    view.setSelected(true);
    EXPECT_TRUE(background->isHidden());
    EXPECT_FALSE(selectedBackground->isHidden());
    EXPECT_EQ(view.imageView()->pixmap().toImage(), chosen.toImage());

    view.setSelectedImage(QPixmap());
    EXPECT_EQ(view.imageView()->pixmap().toImage(), normal.toImage()) << "without a selected image the image shows";
}

class RecordingTabControllerDelegate : public KNVTTabBarControllerDelegate
{
public:
    bool tabBarControllerShouldSelectViewController(KNVTTabBarController *, const ViewControllerPointer &vc) override
    {
        return vc != refused;
    }
    void tabBarControllerDidSelectViewController(KNVTTabBarController *, const ViewControllerPointer &vc) override
    {
        selected.append(vc);
    }
    void tabBarControllerNavigationControllerWillShowViewController(KNVTTabBarController *,
                                                                    KNVTNavigationController *navigation,
                                                                    const ViewControllerPointer &vc,
                                                                    bool animated) override
    {
        shown.append({navigation, vc, animated, false});
    }
    void tabBarControllerNavigationControllerDidShowViewController(KNVTTabBarController *,
                                                                   KNVTNavigationController *navigation,
                                                                   const ViewControllerPointer &vc,
                                                                   bool animated) override
    {
        shown.append({navigation, vc, animated, true});
    }

    struct Shown
    {
        KNVTNavigationController *navigation;
        ViewControllerPointer viewController;
        bool animated;
        bool did;
    };
    ViewControllerPointer refused;
    QList<ViewControllerPointer> selected;
    QList<Shown> shown;
};

std::shared_ptr<KNVTViewController> child(const QString &title)
{
    auto controller = std::make_shared<KNVTViewController>();
    controller->setTitle(title);
    return controller;
}

class TabBarControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        controller.setTabBarControllerDelegate(&delegate);
        controller.view()->resize(300, 244);
        controller.view()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.view()));
    }
    void TearDown() override { controller.setTabBarControllerDelegate(nullptr); }

    bool shows(const std::shared_ptr<KNVTViewController> &vc, const QRect &frame)
    {
        return vc->isViewLoaded() && vc->view()->parentWidget() == controller.view() && !vc->view()->isHidden()
            && vc->view()->geometry() == frame;
    }

    KNVTTabBarController controller;
    RecordingTabControllerDelegate delegate;
    std::shared_ptr<KNVTViewController> first = child(QStringLiteral("First"));
    std::shared_ptr<KNVTViewController> second = child(QStringLiteral("Second"));
    std::shared_ptr<KNVTViewController> third = child(QStringLiteral("Third"));
};

TEST_F(TabBarControllerTest, WithoutViewControllersItShowsOnlyTheBar)
{
    KNVTTabBar *bar = controller.tabBar();
    EXPECT_EQ(bar->style(), 1);
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 300, 44));
    EXPECT_EQ(controller.selectedViewController(), nullptr);
    const auto children = controller.view()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(children, QList<QWidget *>({bar}));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(150, 20));
    EXPECT_TRUE(delegate.selected.isEmpty());
}

TEST_F(TabBarControllerTest, ShowsTheSelectedChildBelowTheBarWithOneTabPerChild)
{
    controller.setViewControllers({first, second, third});
    KNVTTabBar *bar = controller.tabBar();
    ASSERT_EQ(bar->numberOfTabs(), 3);
    EXPECT_EQ(bar->tabBarItemViews().at(1)->title(), QStringLiteral("Second"));
    EXPECT_TRUE(shows(first, QRect(0, 44, 300, 200)));
    EXPECT_FALSE(second->isViewLoaded() && second->view()->parentWidget() != nullptr);

    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(150, 20));
    EXPECT_EQ(controller.selectedIndex(), 1);
    EXPECT_EQ(controller.selectedViewController(), second);
    EXPECT_TRUE(shows(second, QRect(0, 44, 300, 200)));
    EXPECT_EQ(first->view()->parentWidget(), nullptr);
    EXPECT_EQ(delegate.selected, QList<std::shared_ptr<KNVTViewController>>({second}));
}

TEST_F(TabBarControllerTest, TheDelegateCanRefuseAChild)
{
    controller.setViewControllers({first, second, third});
    delegate.refused = third;
    QTest::mouseClick(controller.tabBar(), Qt::LeftButton, {}, QPoint(250, 20));
    EXPECT_EQ(controller.selectedViewController(), first);
    EXPECT_TRUE(delegate.selected.isEmpty());
}

TEST_F(TabBarControllerTest, SelectingAViewControllerNotAmongTheChildrenChangesNothing)
{
    controller.setViewControllers({first, second});
    controller.setSelectedViewController(third);
    EXPECT_EQ(controller.selectedViewController(), first);
    controller.setSelectedViewController(second);
    EXPECT_EQ(controller.selectedIndex(), 1);
    EXPECT_TRUE(shows(second, QRect(0, 44, 300, 200)));
}

TEST_F(TabBarControllerTest, FewerChildrenThanTheSelectedIndexGoBackToTheFirst)
{
    controller.setViewControllers({first, second, third});
    controller.setSelectedIndex(2);
    controller.setViewControllers({first, second});
    EXPECT_EQ(controller.selectedViewController(), first);
    controller.setViewControllers({});
    EXPECT_EQ(controller.selectedViewController(), nullptr);
    EXPECT_EQ(first->view()->parentWidget(), nullptr);
}

TEST_F(TabBarControllerTest, HidingTheBarGivesTheChildTheWholeView)
{
    controller.setViewControllers({first});
    controller.setTabBarHidden(true);
    EXPECT_TRUE(shows(first, QRect(0, 0, 300, 244)));
    EXPECT_FALSE(controller.view()->rect().intersects(controller.tabBar()->geometry()));
    controller.setTabBarHidden(false);
    EXPECT_TRUE(shows(first, QRect(0, 44, 300, 200)));
    EXPECT_EQ(controller.tabBar()->geometry(), QRect(0, 0, 300, 44));
}

TEST_F(TabBarControllerTest, ABarInstalledWithoutAHeightIsFortyFourHighAndPosition1PutsItAtTheBottom)
{
    controller.setViewControllers({first});
    controller.setTabBarPosition(1);
    auto *bar = new KNVTTabBar(1);
    bar->setTabBarDataSource(&controller);
    bar->setTabBarDelegate(&controller);
    bar->resize(300, 0);
    controller.setTabBar(bar);
    EXPECT_EQ(bar->geometry(), QRect(0, 200, 300, 44));
    EXPECT_EQ(bar->numberOfTabs(), 1);
    EXPECT_TRUE(shows(first, QRect(0, 0, 300, 200)));

    controller.view()->resize(400, 344);
    EXPECT_EQ(bar->geometry(), QRect(0, 300, 400, 44));
    EXPECT_TRUE(shows(first, QRect(0, 0, 400, 300)));
}

TEST_F(TabBarControllerTest, PassesNavigationNoticesOn)
{
    KNVTNavigationController::animationsEnabled = false;
    KNVTNavigationController navigation;
    navigation.setNavigationControllerDelegate(&controller);
    navigation.setRootViewController(first);
    KNVTNavigationController::animationsEnabled = true;
    ASSERT_EQ(delegate.shown.size(), 2);
    EXPECT_EQ(delegate.shown.at(0).navigation, &navigation);
    EXPECT_EQ(delegate.shown.at(0).viewController, first);
    EXPECT_FALSE(delegate.shown.at(0).did);
    EXPECT_TRUE(delegate.shown.at(1).did);
}

class TitleSource : public KNVTTabBarControllerDataSource
{
public:
    KNVTTabBarItemView *
    tabBarControllerTabBarItemViewForViewController(KNVTTabBarController *,
                                                    const std::shared_ptr<KNVTViewController> &vc) override
    {
        if (vc->title() != QLatin1String("Second"))
            return nullptr;
        auto *view = new KNVTTabBarItemView(1);
        view->setTitle(QStringLiteral("Custom"));
        return view;
    }
};

TEST_F(TabBarControllerTest, TheDataSourceMaySupplyTabs)
{
    TitleSource titles;
    controller.setTabBarControllerDataSource(&titles);
    controller.setViewControllers({first, second});
    EXPECT_EQ(controller.tabBar()->tabBarItemViews().at(0)->title(), QStringLiteral("First"));
    EXPECT_EQ(controller.tabBar()->tabBarItemViews().at(1)->title(), QStringLiteral("Custom"));
    controller.setTabBarControllerDataSource(nullptr);
}

} // namespace
