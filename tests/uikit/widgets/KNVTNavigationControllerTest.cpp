#include "uikit/KNVTNavigationController.h"
#include "uikit/KNVTNavigationControllerDelegate.h"
#include "uikit/KNVTViewController.h"

#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using Pointer = KNVTNavigationController::ViewControllerPointer;
using List = KNVTNavigationController::ViewControllerList;

struct Call
{
    QString kind; // "will" or "did"
    Pointer viewController;
    bool animated = false;
    bool operator==(const Call &other) const = default;
};

class RecordingDelegate : public KNVTNavigationControllerDelegate
{
public:
    void navigationControllerWillShowViewController(KNVTNavigationController *, const Pointer &viewController,
                                                    bool animated) override
    {
        calls.append({QStringLiteral("will"), viewController, animated});
    }
    void navigationControllerDidShowViewController(KNVTNavigationController *, const Pointer &viewController,
                                                   bool animated) override
    {
        calls.append({QStringLiteral("did"), viewController, animated});
    }
    int didCount() const
    {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [](const Call &c) { return c.kind == QLatin1String("did"); }));
    }
    QList<Call> calls;
};

Pointer makeController(const QString &title)
{
    auto controller = std::make_shared<KNVTViewController>();
    controller->setTitle(title);
    controller->view()->setObjectName(title);
    return controller;
}

class NavigationControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KNVTNavigationController::animationsEnabled = false;
        navigation.setNavigationControllerDelegate(&delegate);
        navigation.view()->resize(400, 300);
        navigation.view()->show();
    }
    void TearDown() override
    {
        KNVTNavigationController::animationsEnabled = true;
        navigation.setNavigationControllerDelegate(nullptr);
    }

    QWidget *container() { return navigation.view(); }
    // The one view the user sees: in the container, not hidden, covering it.
    bool shows(const Pointer &controller)
    {
        QWidget *view = controller->view();
        return view->parentWidget() == container() && !view->isHidden() && view->geometry() == container()->rect();
    }
    void waitForTransition()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !navigation.isTransitioning(); }, 5000));
    }

    KNVTNavigationController navigation;
    RecordingDelegate delegate;
    Pointer a = makeController(QStringLiteral("A"));
    Pointer b = makeController(QStringLiteral("B"));
    Pointer c = makeController(QStringLiteral("C"));
};

TEST_F(NavigationControllerTest, ANewControllerHasAnEmptyStackAndPushShowsTheFirstController)
{
    EXPECT_EQ(navigation.topViewController(), nullptr);
    EXPECT_EQ(navigation.rootViewController(), nullptr);
    EXPECT_EQ(navigation.visibleViewController(), nullptr);

    navigation.pushViewController(a, true);
    EXPECT_EQ(navigation.viewControllers(), List({a}));
    EXPECT_EQ(navigation.topViewController(), a);
    EXPECT_EQ(navigation.rootViewController(), a);
    EXPECT_TRUE(shows(a));
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", a, false}, {"did", a, false}}));
}

TEST_F(NavigationControllerTest, PushAndPopSwapTheShownViewAndTellTheDelegate)
{
    navigation.setRootViewController(a);
    navigation.pushViewController(b, false);
    EXPECT_TRUE(shows(b));
    EXPECT_EQ(a->view()->parentWidget(), nullptr) << "the view that left is taken out, not kept behind";

    delegate.calls.clear();
    EXPECT_EQ(navigation.popViewControllerAnimated(false), b);
    EXPECT_EQ(navigation.viewControllers(), List({a}));
    EXPECT_TRUE(shows(a));
    EXPECT_EQ(b->view()->parentWidget(), nullptr);
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", a, false}, {"did", a, false}}));
}

TEST_F(NavigationControllerTest, PoppingAStackOfOneOrNoneChangesNothing)
{
    EXPECT_EQ(navigation.popViewControllerAnimated(true), nullptr);
    EXPECT_TRUE(navigation.popToRootViewControllerAnimated(true).isEmpty());
    navigation.setRootViewController(a);
    delegate.calls.clear();
    EXPECT_EQ(navigation.popViewControllerAnimated(true), nullptr);
    EXPECT_EQ(navigation.viewControllers(), List({a}));
    EXPECT_TRUE(delegate.calls.isEmpty());
    EXPECT_TRUE(shows(a));
}

TEST_F(NavigationControllerTest, PopToRootReturnsTheUpperControllersInStackOrder)
{
    navigation.setViewControllers({a, b, c}, false);
    EXPECT_TRUE(shows(c));
    delegate.calls.clear();
    EXPECT_EQ(navigation.popToRootViewControllerAnimated(false), List({b, c}));
    EXPECT_EQ(navigation.viewControllers(), List({a}));
    EXPECT_TRUE(shows(a));
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", a, false}, {"did", a, false}}));
}

TEST_F(NavigationControllerTest, PopToAControllerInTheMiddleKeepsItOnTop)
{
    const Pointer d = makeController(QStringLiteral("D"));
    navigation.setViewControllers({a, b, c, d}, false);
    EXPECT_EQ(navigation.popToViewController(b, false), List({c, d}));
    EXPECT_EQ(navigation.topViewController(), b);
    EXPECT_TRUE(shows(b));
}

TEST_F(NavigationControllerTest, SettingTheStackWithoutTransitionShowsNothingNew)
{
    navigation.setRootViewController(a);
    delegate.calls.clear();
    navigation.setViewControllers(List{a, b});
    EXPECT_EQ(navigation.topViewController(), b);
    EXPECT_TRUE(delegate.calls.isEmpty());
    EXPECT_TRUE(shows(a));
    EXPECT_EQ(b->view()->parentWidget(), nullptr);
}

TEST_F(NavigationControllerTest, AContainerThatCannotAnimateSwapsAtOnce)
{
    KNVTNavigationController::animationsEnabled = true;
    navigation.setWantsLayer(false);
    navigation.setRootViewController(a);
    delegate.calls.clear();
    navigation.pushViewController(b, true);
    EXPECT_FALSE(navigation.isTransitioning());
    EXPECT_TRUE(shows(b));
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", b, false}, {"did", b, false}}));
}

TEST_F(NavigationControllerTest, WithAnimationsSwitchedOffAnAnimatedRequestIsReportedAsImmediate)
{
    navigation.setRootViewController(a);
    delegate.calls.clear();
    navigation.pushViewController(b, true);
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", b, false}, {"did", b, false}}));
}

TEST_F(NavigationControllerTest, AnAnimatedPushSlidesInFromTheRightAndReportsTheEndOnlyWhenItStops)
{
    KNVTNavigationController::animationsEnabled = true;
    navigation.setRootViewController(a);
    delegate.calls.clear();

    navigation.pushViewController(b, true);
    EXPECT_TRUE(navigation.isTransitioning());
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", b, true}}));
    EXPECT_EQ(b->view()->parentWidget(), container());
    EXPECT_GT(b->view()->x(), 0) << "the new view starts off to the right";
    EXPECT_EQ(a->view()->parentWidget(), container()) << "the old view slides out, it is not removed at once";

    waitForTransition();
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", b, true}, {"did", b, true}}));
    EXPECT_TRUE(shows(b));
    EXPECT_EQ(a->view()->parentWidget(), nullptr);
}

TEST_F(NavigationControllerTest, AnAnimatedPopSlidesInFromTheLeft)
{
    navigation.setViewControllers({a, b}, false);
    KNVTNavigationController::animationsEnabled = true;
    navigation.popViewControllerAnimated(true);
    EXPECT_LT(a->view()->x(), 0);
    waitForTransition();
    EXPECT_TRUE(shows(a));
    EXPECT_EQ(b->view()->parentWidget(), nullptr);
}

TEST_F(NavigationControllerTest, ReplacingTheStackSlidesFromTheRightEvenToALowerController)
{
    navigation.setViewControllers({a, b, c}, false);
    KNVTNavigationController::animationsEnabled = true;
    delegate.calls.clear();
    navigation.setViewControllers({a, b}, true);
    EXPECT_GT(b->view()->x(), 0);
    waitForTransition();
    EXPECT_TRUE(shows(b));
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", b, true}, {"did", b, true}}));
}

TEST_F(NavigationControllerTest, TheEndOfAnAnimationNamesTheTopAtThatMoment)
{
    navigation.setRootViewController(a);
    KNVTNavigationController::animationsEnabled = true;
    delegate.calls.clear();
    navigation.pushViewController(b, true);
    navigation.setViewControllers(List{a, b, c});
    waitForTransition();
    EXPECT_EQ(delegate.calls, QList<Call>({{"will", b, true}, {"did", c, true}}));
}

TEST_F(NavigationControllerTest, APopDuringAPushEndsWithTheRootShownAndOneEndNotice)
{
    navigation.setRootViewController(a);
    KNVTNavigationController::animationsEnabled = true;
    delegate.calls.clear();
    navigation.pushViewController(b, true);
    navigation.popViewControllerAnimated(true);
    waitForTransition();
    QTest::qWait(50);
    EXPECT_TRUE(shows(a));
    EXPECT_EQ(b->view()->parentWidget(), nullptr);
    EXPECT_EQ(delegate.didCount(), 1);
    EXPECT_EQ(delegate.calls.last(), (Call{"did", a, true}));
}

// Moving to the controller that is already on top must leave its view where it is, animated or not.
TEST_F(NavigationControllerTest, ATransitionToTheSameTopKeepsItsViewShown)
{
    navigation.setViewControllers({a, b}, false);
    KNVTNavigationController::animationsEnabled = true;
    delegate.calls.clear();

    EXPECT_TRUE(navigation.popToViewController(b, true).isEmpty());
    navigation.setViewControllers({a, b}, true);
    navigation.setRootViewController(b, true);
    EXPECT_FALSE(navigation.isTransitioning());
    QTest::qWait(KNVTNavigationController::TransitionDuration + 200);
    EXPECT_TRUE(shows(b));
    EXPECT_TRUE(delegate.calls.isEmpty());

    EXPECT_TRUE(navigation.popToRootViewControllerAnimated(true).isEmpty());
    QTest::qWait(KNVTNavigationController::TransitionDuration + 200);
    EXPECT_TRUE(shows(b));
}

TEST_F(NavigationControllerTest, PoppingToAControllerNotOnTheStackChangesNothing)
{
    navigation.setViewControllers({a, b}, false);
    KNVTNavigationController::animationsEnabled = true;
    delegate.calls.clear();
    EXPECT_TRUE(navigation.popToViewController(c, true).isEmpty());
    EXPECT_TRUE(navigation.popToViewController(nullptr, true).isEmpty());
    EXPECT_EQ(navigation.viewControllers(), List({a, b}));
    EXPECT_FALSE(navigation.isTransitioning());
    EXPECT_TRUE(delegate.calls.isEmpty());
    EXPECT_TRUE(shows(b));
}

TEST_F(NavigationControllerTest, TheSameTopStoredWithoutTransitionIsShownWhenSetAgain)
{
    navigation.setViewControllers(List{a});
    KNVTNavigationController::animationsEnabled = true;
    navigation.setRootViewController(a, true);
    waitForTransition();
    EXPECT_TRUE(shows(a));
}

TEST_F(NavigationControllerTest, TheShownViewFollowsTheContainerSize)
{
    navigation.setRootViewController(a);
    container()->resize(640, 480);
    EXPECT_EQ(a->view()->geometry(), QRect(0, 0, 640, 480));
}

TEST_F(NavigationControllerTest, ViewsOutliveTheNavigationControllerWithTheirControllers)
{
    QPointer<QWidget> view;
    {
        KNVTNavigationController other;
        other.setRootViewController(a);
        view = a->view();
        EXPECT_EQ(view->parentWidget(), other.view());
    }
    ASSERT_FALSE(view.isNull());
    EXPECT_EQ(view->parentWidget(), nullptr);
}

} // namespace
