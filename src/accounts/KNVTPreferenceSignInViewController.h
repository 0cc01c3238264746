#pragma once

#include "accounts/KNVTPreferenceViewController.h"
#include "accounts/KNVTSignInViewControllerDelegate.h"

class KNVTSignInViewController;
class KNVTTaskStore;

// The Account pane while no account is configured: the sign-in form. A successful sign-in asks the preference
// window to show the signed-in pane instead.
class KNVTPreferenceSignInViewController : public KNVTPreferenceViewController, public KNVTSignInViewControllerDelegate
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTPreferenceSignInViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTPreferenceSignInViewController() override;

    KNVTSignInViewController *signInViewController() const { return m_signInViewController; }

    void signInViewControllerDidSuccessfullySignIn(KNVTSignInViewController *controller) override;
    void signInViewControllerDidSelectCreateAccount(KNVTSignInViewController *) override {}
    void signInViewControllerDidSelectForgottenPassword(KNVTSignInViewController *) override {}
    void signInViewControllerDidSelectCancel(KNVTSignInViewController *) override {}

protected:
    void loadView() override;

private:
    KNVTSignInViewController *m_signInViewController;
};
