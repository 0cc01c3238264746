#pragma once

class KNVTCDUser;
class KNVTUserSelectionViewController;

// Told of every tick and untick in a user selection list, at once.
class KNVTUserSelectionViewControllerDelegate
{
public:
    virtual ~KNVTUserSelectionViewControllerDelegate() = default;
    virtual void userSelectionViewControllerDidSelectUser(KNVTUserSelectionViewController *controller,
                                                          KNVTCDUser *user) = 0;
    virtual void userSelectionViewControllerDidDeselectUser(KNVTUserSelectionViewController *controller,
                                                            KNVTCDUser *user) = 0;
};
