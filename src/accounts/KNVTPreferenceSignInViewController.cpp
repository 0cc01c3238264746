#include "accounts/KNVTPreferenceSignInViewController.h"

#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTSignInViewController.h"

#include <QLabel>
#include <QVBoxLayout>

KNVTPreferenceSignInViewController::KNVTPreferenceSignInViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTPreferenceViewController(parent),
      m_signInViewController(new KNVTSignInViewController(KNVTSignInViewController::Style::Pane, store, this))
{
    setTitle(tr("Account"));
    m_signInViewController->setSignInViewControllerDelegate(this);
}

KNVTPreferenceSignInViewController::~KNVTPreferenceSignInViewController() = default;

void KNVTPreferenceSignInViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTPreferenceSignInViewController"));
    auto *heading = new QLabel(tr("Sign in to sync your tasks between your devices and share projects and areas "
                                  "with friends."));
    heading->setWordWrap(true);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(heading);
    layout->addWidget(m_signInViewController->view());
    view->setMinimumWidth(480);
    setView(view);
}

void KNVTPreferenceSignInViewController::signInViewControllerDidSuccessfullySignIn(KNVTSignInViewController *)
{
    KNVTPreferenceWindowController *window = preferenceWindowController();
    if (!window)
        return;
    window->updateAccountViewController();
    // The form that had the keyboard is gone; the pane that took its place says how the sign-in went.
    if (auto *signedIn = qobject_cast<KNVTPreferenceConfiguredAccountViewController *>(window->viewControllers()[1]))
        signedIn->takeFocusAfterSignIn();
}
