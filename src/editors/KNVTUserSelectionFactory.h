#pragma once

#include <vector>

class KNVTCDUser;
class KNVTUserSelection;
class KNVTUserSelectionDelegate;

// Where the task forms get their list of people from. The application installs the one of the people windows; until
// it does, a plain checkable list serves.
class KNVTUserSelectionFactory
{
public:
    virtual ~KNVTUserSelectionFactory() = default;

    // A new list offering `users`, with `selectedUsers` ticked, telling `delegate` (not owned) of every change.
    virtual KNVTUserSelection *makeUserSelection(const std::vector<KNVTCDUser *> &users,
                                                 const std::vector<KNVTCDUser *> &selectedUsers,
                                                 KNVTUserSelectionDelegate *delegate) = 0;

    static KNVTUserSelectionFactory &shared();
    // Installs `factory` (not owned); nullptr restores the checkable list.
    static void setShared(KNVTUserSelectionFactory *factory);
};
