#pragma once

#include "foundation/Error.h"

class KNVTSignUpViewController;

// What the sign-up page tells its host (the sign-in and sign-up window).
class KNVTSignUpViewControllerDelegate
{
public:
    virtual ~KNVTSignUpViewControllerDelegate() = default;

    // The account exists and the store is configured.
    virtual void signUpViewControllerDidSuccessfullySignUp(KNVTSignUpViewController *controller) = 0;
    // Cancel while no request was running.
    virtual void signUpViewControllerDidCancel(KNVTSignUpViewController *controller) = 0;
    virtual void signUpViewControllerDidSelectTermsAndConditions(KNVTSignUpViewController *controller) = 0;
    // Never sent: failures are shown in the form itself.
    virtual void signUpViewControllerDidFailToSignUpWithError(KNVTSignUpViewController *controller,
                                                              const knvt::Error &error)
    {
        Q_UNUSED(controller);
        Q_UNUSED(error);
    }
};
