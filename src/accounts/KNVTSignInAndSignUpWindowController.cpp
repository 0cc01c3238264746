#include "accounts/KNVTSignInAndSignUpWindowController.h"

#include "accounts/KNVTSignInViewController.h"
#include "accounts/KNVTSignUpViewController.h"

#include "store/KNVTTaskStore.h"

#include "uikit/Popover.h"
#include "uikit/UrlOpener.h"

#include <QLineEdit>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {

constexpr int kResizeDuration = 200;

QSize preferredSize(const QWidget *page)
{
    // Sizes are those of the styled page, whether or not it has been shown yet.
    page->ensurePolished();
    for (QWidget *child : page->findChildren<QWidget *>())
        child->ensurePolished();
    return page->sizeHint().expandedTo(page->minimumSizeHint());
}

} // namespace

KNVTSignInAndSignUpWindowController::KNVTSignInAndSignUpWindowController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent), m_store(store)
{}

KNVTSignInAndSignUpWindowController::~KNVTSignInAndSignUpWindowController() = default;

KNVTSignInViewController *KNVTSignInAndSignUpWindowController::signInViewController()
{
    view();
    return m_signInViewController;
}

void KNVTSignInAndSignUpWindowController::loadView()
{
    auto *window = new QWidget;
    window->setObjectName(QStringLiteral("KNVTSignInAndSignUpWindowController"));
    window->setWindowTitle(tr("Sign In"));
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window takes the size this controller gives it, page by page; the layout only fills it.
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    m_signInViewController = new KNVTSignInViewController(KNVTSignInViewController::Style::Window, m_store, this);
    m_signInViewController->setSignInViewControllerDelegate(this);
    QWidget *page = m_signInViewController->view();
    layout->addWidget(page);
    window->resize(preferredSize(page));
    m_currentView = page;
    m_signInViewController->usernameTextField()->setFocus();
    setView(window);
}

QRect KNVTSignInAndSignUpWindowController::frameForContentSize(const QRect &frame, const QSize &contentSize,
                                                               const QSize &newSize)
{
    const int dw = newSize.width() - contentSize.width();
    const int dh = newSize.height() - contentSize.height();
    return QRect(frame.x() - dw / 2, frame.y(), frame.width() + dw, frame.height() + dh);
}

void KNVTSignInAndSignUpWindowController::displayViewController(KNVTViewController *controller)
{
    QWidget *window = view();
    QWidget *page = controller->view();
    const QSize contentSize = window->size();
    if (m_currentView && m_currentView != page) {
        window->layout()->removeWidget(m_currentView);
        m_currentView->hide();
    }
    // Measured once inside the window, where the page has the margins of a child.
    window->layout()->addWidget(page);
    page->show();
    m_currentView = page;
    const QRect target = frameForContentSize(window->geometry(), contentSize, preferredSize(page));

    if (m_animation)
        m_animation->stop();
    if (knvt::Popover::animationsEnabled && window->isVisible()) {
        m_animation = new QPropertyAnimation(window, "geometry", window);
        m_animation->setDuration(kResizeDuration);
        m_animation->setStartValue(window->geometry());
        m_animation->setEndValue(target);
        m_animation->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        window->setGeometry(target);
    }
}

void KNVTSignInAndSignUpWindowController::signInViewControllerDidSelectCreateAccount(KNVTSignInViewController *)
{
    if (!m_signUpViewController) {
        m_signUpViewController = new KNVTSignUpViewController(m_store, this);
        m_signUpViewController->setSignUpViewControllerDelegate(this);
    }
    view()->setWindowTitle(tr("Create Account"));
    displayViewController(m_signUpViewController);
}

void KNVTSignInAndSignUpWindowController::signUpViewControllerDidCancel(KNVTSignUpViewController *)
{
    view()->setWindowTitle(tr("Sign In"));
    displayViewController(m_signInViewController);
}

void KNVTSignInAndSignUpWindowController::signInViewControllerDidSelectForgottenPassword(KNVTSignInViewController *)
{
    knvt::UrlOpener::shared().openUrl(KNVTTaskStore::forgottenPasswordURL());
}

void KNVTSignInAndSignUpWindowController::signUpViewControllerDidSelectTermsAndConditions(KNVTSignUpViewController *)
{
    knvt::UrlOpener::shared().openUrl(KNVTTaskStore::termsAndConditionsURL());
}

void KNVTSignInAndSignUpWindowController::signInViewControllerDidSuccessfullySignIn(KNVTSignInViewController *)
{
    if (KNVTSignInAndSignUpWindowControllerDelegate *delegate = m_delegate.get())
        delegate->signInAndSignUpWindowControllerDidSignIn(this);
}

void KNVTSignInAndSignUpWindowController::signUpViewControllerDidSuccessfullySignUp(KNVTSignUpViewController *)
{
    if (KNVTSignInAndSignUpWindowControllerDelegate *delegate = m_delegate.get())
        delegate->signInAndSignUpWindowControllerDidSignIn(this);
}

void KNVTSignInAndSignUpWindowController::signInViewControllerDidSelectCancel(KNVTSignInViewController *)
{
    if (KNVTSignInAndSignUpWindowControllerDelegate *delegate = m_delegate.get())
        delegate->signInAndSignUpWindowControllerDidCancel(this);
}
