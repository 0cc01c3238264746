#pragma once

#include <QtGlobal>

class KNVTAccountAuthenticationWindowController;

// The host of the re-authentication sheet (the preference window).
class KNVTAccountAuthenticationWindowControllerDelegate
{
public:
    virtual ~KNVTAccountAuthenticationWindowControllerDelegate() = default;

    // The password was verified and stored, and the failure cleared.
    virtual void
    accountAuthenticationWindowControllerDidAuthenticate(KNVTAccountAuthenticationWindowController *controller) = 0;
    // Never sent: the sheet closes itself on Cancel.
    virtual void accountAuthenticationWindowControllerDidCancel(KNVTAccountAuthenticationWindowController *controller)
    {
        Q_UNUSED(controller);
    }
};
