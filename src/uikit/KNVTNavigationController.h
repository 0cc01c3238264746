#pragma once

#include "uikit/KNVTViewController.h"

#include <QList>

#include <memory>

class KNVTNavigationControllerDelegate;
class QVariantAnimation;

// A stack of view controllers whose top one's view fills the controller's own view. Changes of the top either swap
// the views at once or slide the new view in over 0.5 s (from the right for pushes and replacements, from the left
// for pops); the delegate hears of each change before it starts and after it ends.
class KNVTNavigationController : public KNVTViewController
{
    Q_OBJECT
    Q_PROPERTY(int count READ count)
    Q_PROPERTY(bool wantsLayer READ wantsLayer WRITE setWantsLayer)
    Q_PROPERTY(bool transitioning READ isTransitioning)

public:
    using ViewControllerPointer = std::shared_ptr<KNVTViewController>;
    using ViewControllerList = QList<ViewControllerPointer>;

    explicit KNVTNavigationController(QObject *parent = nullptr);
    ~KNVTNavigationController() override;

    // Index 0 is the root, the last element the top.
    ViewControllerList viewControllers() const { return m_viewControllers; }
    // Stores the stack without any transition and without telling the delegate.
    void setViewControllers(const ViewControllerList &viewControllers);
    // Stores the stack and shows its top, sliding in from the right when animated.
    void setViewControllers(const ViewControllerList &viewControllers, bool animated);
    void setRootViewController(const ViewControllerPointer &viewController, bool animated = false);

    void pushViewController(const ViewControllerPointer &viewController, bool animated);
    // Pops the top when at least two are on the stack; returns it, or nullptr when nothing was popped.
    ViewControllerPointer popViewControllerAnimated(bool animated);
    // Keeps the stack up to and including the first element equal to `viewController` and returns the removed
    // elements in stack order; a view controller that is not on the stack removes nothing.
    ViewControllerList popToViewController(const ViewControllerPointer &viewController, bool animated);
    ViewControllerList popToRootViewControllerAnimated(bool animated);

    ViewControllerPointer topViewController() const;
    ViewControllerPointer visibleViewController() const { return topViewController(); }
    ViewControllerPointer rootViewController() const;
    int count() const { return static_cast<int>(m_viewControllers.size()); }

    // Not owned; clear it before the delegate goes away.
    KNVTNavigationControllerDelegate *navigationControllerDelegate() const { return m_delegate; }
    void setNavigationControllerDelegate(KNVTNavigationControllerDelegate *delegate) { m_delegate = delegate; }

    // Whether the container can animate at all; a container that cannot swaps at once even when asked to animate.
    bool wantsLayer() const { return m_wantsLayer; }
    void setWantsLayer(bool wantsLayer) { m_wantsLayer = wantsLayer; }

    bool isTransitioning() const { return m_animation != nullptr; }

    // Tests switch sliding off; every change then swaps at once and reports animated = false.
    static bool animationsEnabled;
    static constexpr int TransitionDuration = 500; // milliseconds

protected:
    void loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Direction { FromRight, FromLeft };

    void transition(const ViewControllerPointer &from, const ViewControllerPointer &to, Direction direction,
                    bool animated);
    void finishTransition();
    void abandonTransition();
    void placeSlidingViews(qreal progress);
    void fitTopView();

    ViewControllerList m_viewControllers;
    KNVTNavigationControllerDelegate *m_delegate = nullptr;
    ViewControllerPointer m_previous;
    ViewControllerPointer m_incoming;
    QVariantAnimation *m_animation = nullptr;
    Direction m_direction = Direction::FromRight;
    bool m_wantsLayer = true;
};
