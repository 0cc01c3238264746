#pragma once

#include "foundation/Error.h"

class KNVTSignInViewController;

// What the sign-in page tells its host (the sign-in and sign-up window).
class KNVTSignInViewControllerDelegate
{
public:
    virtual ~KNVTSignInViewControllerDelegate() = default;

    // The account is configured.
    virtual void signInViewControllerDidSuccessfullySignIn(KNVTSignInViewController *controller) = 0;
    virtual void signInViewControllerDidSelectCreateAccount(KNVTSignInViewController *controller) = 0;
    virtual void signInViewControllerDidSelectForgottenPassword(KNVTSignInViewController *controller) = 0;
    // Cancel while no request was running.
    virtual void signInViewControllerDidSelectCancel(KNVTSignInViewController *controller) = 0;
    // Never sent: failures are shown in the form itself.
    virtual void signInViewControllerDidFailToSignInWithError(KNVTSignInViewController *controller,
                                                              const knvt::Error &error)
    {
        Q_UNUSED(controller);
        Q_UNUSED(error);
    }
};
