#include "accounts/KNVTAccountsShell.h"

namespace {

KNVTAccountsShell *gShell = nullptr;

} // namespace

KNVTAccountsShell *KNVTAccountsShell::shared()
{
    return gShell;
}

void KNVTAccountsShell::setShared(KNVTAccountsShell *shell)
{
    gShell = shell;
}
