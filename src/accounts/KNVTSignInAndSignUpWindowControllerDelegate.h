#pragma once

class KNVTSignInAndSignUpWindowController;

// The owner of a sign-in and sign-up window; it closes the window on either message.
class KNVTSignInAndSignUpWindowControllerDelegate
{
public:
    virtual ~KNVTSignInAndSignUpWindowControllerDelegate() = default;

    // After a successful sign-in or sign-up.
    virtual void signInAndSignUpWindowControllerDidSignIn(KNVTSignInAndSignUpWindowController *controller) = 0;
    // Cancel on the sign-in page while no request was running.
    virtual void signInAndSignUpWindowControllerDidCancel(KNVTSignInAndSignUpWindowController *controller) = 0;
};
