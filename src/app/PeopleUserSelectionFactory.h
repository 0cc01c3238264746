#pragma once

#include "editors/KNVTUserSelectionFactory.h"

namespace knvt {

// The task forms' list of people as the people windows show it: the searchable list with check boxes and avatars.
class PeopleUserSelectionFactory final : public KNVTUserSelectionFactory
{
public:
    KNVTUserSelection *makeUserSelection(const std::vector<KNVTCDUser *> &users,
                                         const std::vector<KNVTCDUser *> &selectedUsers,
                                         KNVTUserSelectionDelegate *delegate) override;
};

} // namespace knvt
