#pragma once

class KNVTUserGroupsViewController;

class KNVTUserGroupsViewControllerDelegate
{
public:
    virtual ~KNVTUserGroupsViewControllerDelegate() = default;
    virtual void userGroupsViewControllerSelectionDidChange(KNVTUserGroupsViewController *controller) = 0;
};
