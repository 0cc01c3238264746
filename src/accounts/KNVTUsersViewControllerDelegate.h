#pragma once

class KNVTUsersViewController;

class KNVTUsersViewControllerDelegate
{
public:
    virtual ~KNVTUsersViewControllerDelegate() = default;
    virtual void usersViewControllerSelectionDidChange(KNVTUsersViewController *controller) = 0;
};
