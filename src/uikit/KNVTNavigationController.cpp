#include "uikit/KNVTNavigationController.h"

#include "foundation/Assert.h"
#include "uikit/KNVTNavigationControllerDelegate.h"
#include "uikit/KNVTNavigationControllerView.h"

#include <QEvent>
#include <QVariantAnimation>
#include <QWidget>

bool KNVTNavigationController::animationsEnabled = true;

namespace {

// Takes a view controller's view out of `container` without deleting it: its controller still owns it.
void detachFrom(QWidget *container, QWidget *view)
{
    if (view != nullptr && view->parentWidget() == container) {
        view->hide();
        view->setParent(nullptr);
    }
}

QWidget *loadedView(const KNVTNavigationController::ViewControllerPointer &viewController)
{
    return viewController != nullptr ? viewController->viewIfLoaded() : nullptr;
}

} // namespace

KNVTNavigationController::KNVTNavigationController(QObject *parent) : KNVTViewController(parent) {}

KNVTNavigationController::~KNVTNavigationController()
{
    if (m_animation != nullptr)
        m_animation->stop();
    // The views belong to their controllers, which may outlive this one; keep the container from deleting them.
    if (isViewLoaded()) {
        QWidget *container = view();
        container->removeEventFilter(this);
        for (const ViewControllerPointer &viewController : m_viewControllers)
            detachFrom(container, loadedView(viewController));
        detachFrom(container, loadedView(m_previous));
    }
}

void KNVTNavigationController::loadView()
{
    auto *container = new KNVTNavigationControllerView;
    container->installEventFilter(this);
    setView(container);
}

bool KNVTNavigationController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && isViewLoaded() && watched == view() && !isTransitioning())
        fitTopView();
    return KNVTViewController::eventFilter(watched, event);
}

KNVTNavigationController::ViewControllerPointer KNVTNavigationController::topViewController() const
{
    return m_viewControllers.isEmpty() ? nullptr : m_viewControllers.last();
}

KNVTNavigationController::ViewControllerPointer KNVTNavigationController::rootViewController() const
{
    return m_viewControllers.isEmpty() ? nullptr : m_viewControllers.first();
}

void KNVTNavigationController::setViewControllers(const ViewControllerList &viewControllers)
{
    m_viewControllers = viewControllers;
}

void KNVTNavigationController::setViewControllers(const ViewControllerList &viewControllers, bool animated)
{
    const ViewControllerPointer from = topViewController();
    m_viewControllers = viewControllers;
    transition(from, topViewController(), Direction::FromRight, animated);
}

void KNVTNavigationController::setRootViewController(const ViewControllerPointer &viewController, bool animated)
{
    setViewControllers(viewController == nullptr ? ViewControllerList{} : ViewControllerList{viewController}, animated);
}

void KNVTNavigationController::pushViewController(const ViewControllerPointer &viewController, bool animated)
{
    KNVT_ASSERT(viewController != nullptr, "KNVTNavigationController", "pushViewController");
    const ViewControllerPointer from = topViewController();
    m_viewControllers.append(viewController);
    transition(from, viewController, Direction::FromRight, animated);
}

KNVTNavigationController::ViewControllerPointer KNVTNavigationController::popViewControllerAnimated(bool animated)
{
    if (m_viewControllers.size() < 2)
        return nullptr;
    const ViewControllerList removed =
        popToViewController(m_viewControllers.at(m_viewControllers.size() - 2), animated);
    return removed.isEmpty() ? nullptr : removed.first();
}

KNVTNavigationController::ViewControllerList
KNVTNavigationController::popToViewController(const ViewControllerPointer &viewController, bool animated)
{
    const ViewControllerPointer from = topViewController();
    const qsizetype found = m_viewControllers.indexOf(viewController);
    if (viewController == nullptr || found < 0)
        return {};
    const ViewControllerList removed = m_viewControllers.mid(found + 1);
    m_viewControllers = m_viewControllers.first(found + 1);
    transition(from, topViewController(), Direction::FromLeft, animated);
    return removed;
}

KNVTNavigationController::ViewControllerList KNVTNavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (m_viewControllers.isEmpty())
        return {};
    return popToViewController(m_viewControllers.first(), animated);
}

void KNVTNavigationController::transition(const ViewControllerPointer &from, const ViewControllerPointer &to,
                                          Direction direction, bool animated)
{
    QWidget *container = view();
    ViewControllerPointer leaving = from;
    if (from == to) {
        // The same controller stays on top: sliding its view out and in again would end with it removed. Nothing
        // to do unless its view is not in the container yet (the stack was stored without a transition).
        if (to == nullptr || (loadedView(to) != nullptr && loadedView(to)->parentWidget() == container))
            return;
        leaving = nullptr;
    }

    animated = animated && m_wantsLayer && animationsEnabled;
    if (m_delegate != nullptr)
        m_delegate->navigationControllerWillShowViewController(this, to, animated);

    if (!animated) {
        abandonTransition();
        const QList<QWidget *> children = container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (QWidget *child : children)
            detachFrom(container, child);
        if (to != nullptr) {
            QWidget *incoming = to->view();
            incoming->setParent(container);
            incoming->setGeometry(container->rect());
            incoming->show();
        }
        if (m_delegate != nullptr)
            m_delegate->navigationControllerDidShowViewController(this, to, false);
        return;
    }

    abandonTransition();
    m_previous = leaving;
    m_incoming = to;
    m_direction = direction;
    if (to != nullptr) {
        QWidget *incoming = to->view();
        if (incoming->parentWidget() != container)
            incoming->setParent(container);
        incoming->resize(container->size());
        incoming->show();
        incoming->raise();
    }
    placeSlidingViews(0.0);

    m_animation = new QVariantAnimation(this);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(TransitionDuration);
    m_animation->setEasingCurve(QEasingCurve::InOutCubic);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { placeSlidingViews(value.toReal()); });
    connect(m_animation, &QVariantAnimation::finished, this, &KNVTNavigationController::finishTransition);
    m_animation->start();
}

void KNVTNavigationController::placeSlidingViews(qreal progress)
{
    QWidget *container = view();
    const int width = container->width();
    const int sign = m_direction == Direction::FromRight ? 1 : -1;
    if (QWidget *incoming = loadedView(m_incoming); incoming != nullptr && incoming->parentWidget() == container)
        incoming->move(qRound(sign * width * (1.0 - progress)), 0);
    if (QWidget *outgoing = loadedView(m_previous); outgoing != nullptr && outgoing->parentWidget() == container)
        outgoing->move(qRound(-sign * width * progress), 0);
}

void KNVTNavigationController::finishTransition()
{
    if (m_animation != nullptr) {
        m_animation->deleteLater();
        m_animation = nullptr;
    }
    QWidget *container = view();
    const ViewControllerPointer previous = std::exchange(m_previous, nullptr);
    m_incoming = nullptr;
    // The view that left may have come back on top meanwhile (a pop straight after a push); keep it then.
    if (previous != topViewController())
        detachFrom(container, loadedView(previous));
    fitTopView();
    if (m_delegate != nullptr)
        m_delegate->navigationControllerDidShowViewController(this, topViewController(), true);
}

void KNVTNavigationController::abandonTransition()
{
    if (m_animation != nullptr) {
        m_animation->disconnect(this);
        m_animation->stop();
        m_animation->deleteLater();
        m_animation = nullptr;
    }
    m_incoming = nullptr;
    if (ViewControllerPointer previous = std::exchange(m_previous, nullptr))
        detachFrom(view(), loadedView(previous));
}

void KNVTNavigationController::fitTopView()
{
    if (QWidget *top = loadedView(topViewController()); top != nullptr && top->parentWidget() == view())
        top->setGeometry(view()->rect());
}
