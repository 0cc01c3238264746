#pragma once

class KNVTUserViewController;

// The detail pane's buttons; the user concerned is the pane's user().
class KNVTUserViewControllerDelegate
{
public:
    virtual ~KNVTUserViewControllerDelegate() = default;
    virtual void userViewControllerDidSelectInvite(KNVTUserViewController *controller) = 0;
    virtual void userViewControllerDidSelectAcceptInvite(KNVTUserViewController *controller) = 0;
    virtual void userViewControllerDidSelectDeclineInvite(KNVTUserViewController *controller) = 0;
};
