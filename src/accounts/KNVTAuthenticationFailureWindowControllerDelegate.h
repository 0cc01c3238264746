#pragma once

class KNVTAuthenticationFailureWindowController;

// The owner of the authentication-failure window. Both messages end the window's modal session: close the window
// and release the controller later (deleteLater), since the controller still runs after telling its owner.
class KNVTAuthenticationFailureWindowControllerDelegate
{
public:
    virtual ~KNVTAuthenticationFailureWindowControllerDelegate() = default;

    virtual void
    authenticationFailureWindowControllerDidSave(KNVTAuthenticationFailureWindowController *controller) = 0;
    virtual void
    authenticationFailureWindowControllerDidCancel(KNVTAuthenticationFailureWindowController *controller) = 0;
};
