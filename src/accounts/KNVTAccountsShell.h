#pragma once

#include "accounts/KNVTAuthenticationFailureWindowControllerDelegate.h"

class QWidget;

// What the account, people and sharing windows need of the application around them. The application implements it
// and installs it at start-up; windows reach it through shared().
class KNVTAccountsShell : public KNVTAuthenticationFailureWindowControllerDelegate
{
public:
    ~KNVTAccountsShell() override = default;

    // Shows the authentication-failure window, unless one is already shown.
    virtual void showAuthenticationFailureWindow() = 0;
    // The main window, parent of the sheets that belong to it; nullptr while there is none.
    virtual QWidget *mainWindow() = 0;

    // The installed shell; nullptr when none is installed.
    static KNVTAccountsShell *shared();
    // Installs `shell` (not owned); nullptr removes it.
    static void setShared(KNVTAccountsShell *shell);
};
